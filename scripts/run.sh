#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program on the bundled
# example model (extra arguments are passed on to the program).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
mkdir -p run
cd run
../build/rivsim ../examples/reach/river.txt "$@"
