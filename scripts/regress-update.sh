#!/usr/bin/env bash
# Regenerates the expected files of the golden regression (tests/regress/)
# from the program as built, on purpose, after a change of the results that
# is intended: review "git diff tests/regress/expected" before committing.
#   bash scripts/regress-update.sh [BUILD-DIR]     (default build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
# shellcheck source=../tests/regress/lib/cases.bash
source "$root/tests/regress/lib/cases.bash"
rm -rf "$root/tests/regress/expected"
run_cases "$build/rivsim" "$root" "$root/tests/regress/expected"
echo "expected files written to tests/regress/expected"
