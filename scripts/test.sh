#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (the display tests on a
# virtual X server). With --sanitize the build uses ASan and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh "$@"
dir=build; [ "${1:-}" = "--sanitize" ] && dir=build-asan
cd "$dir"
export ASAN_OPTIONS=detect_leaks=0
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure
