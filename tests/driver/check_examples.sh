#!/usr/bin/env bash
# The golden regression reads the bundled examples as they are; here the
# option @flood selects the flood hydrograph of the reach, and an input with
# faults ends "rivsim --check" with status 2 and the faults in the listing.
set -u
source "$2/tests/lib/run.bash"
has() { grep -qF -- "$1" out || fails "listing of $2 lacks: $1"; }

"$exe" --check "$src/examples/reach/river.txt" @flood </dev/null >stdout.txt 2>&1 ||
  { fails "reach @flood: status $?"; cat stdout.txt; }
has "     18.0000    300.0000" "reach @flood"

printf '>>global\ndefkst abc\nbogus 1\n>>section\ncs \001\377 1.0 /\n0 1\n1 0\n2 1\n' >broken.txt
"$exe" --check broken.txt </dev/null >stdout.txt 2>&1
st=$?
[ "$st" -eq 2 ] || fails "broken.txt: status $st, expected 2"
has "**error: values cannot be read: defkst" "broken.txt"
has "**error: keyword unknown> bogus" "broken.txt"

[ "$fail" -eq 0 ] || { echo "check_examples: FAILED"; exit 1; }
echo "check_examples: ok"
