#!/usr/bin/env bash
# Configures and builds into build/ (or build-asan/ with --sanitize).
# RIVSIM_WERROR=ON in the environment turns compiler warnings into errors.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build; extra=()
if [ "${1:-}" = "--sanitize" ]; then dir=build-asan; extra=(-DRIVSIM_SANITIZE=ON); fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRIVSIM_WERROR="${RIVSIM_WERROR:-OFF}" "${extra[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
