#!/usr/bin/env bash
# Rebuilds the verification report docs/verification.md and its figures in
# docs/verification/ from scratch: builds the verification program, runs
# every case without a display and writes tables and pictures. Ends with a
# non-zero status when a deviation exceeds the tolerance stated in the report.
# With --check the report is written to a scratch folder instead (CI).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$dir" -j"$(nproc)" --target rivsim-verify
report=docs/verification.md
figures=docs/verification
if [ "${1:-}" = "--check" ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  report=$scratch/verification.md
  figures=$scratch/verification
else
  rm -rf "$figures"
fi
status=0
"$dir/rivsim-verify" "$report" "$figures" >"$dir/verify.log" 2>&1 || status=$?
grep -E "ok$|pending$|FAILED|reference|cases in" "$dir/verify.log" || true
if [ "${1:-}" = "--check" ] && [ "$status" -eq 0 ] &&
   ! diff -q "$report" docs/verification.md >/dev/null 2>&1; then
  echo "note: docs/verification.md differs from this run: rebuild it with scripts/verify.sh"
fi
if [ "$status" -ne 0 ]; then
  echo "verification: a deviation exceeds its tolerance (see $report)"
else
  echo "verification: all cases within their tolerances ($report)"
fi
exit "$status"
