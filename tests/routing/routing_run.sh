#!/usr/bin/env bash
# A routing run without a display, answered from a script file: a branch
# without a downstream condition ends the run, not the session. (The flood
# routed through the bundled example is compared by the golden regression.)
set -u
source "$2/tests/lib/run.bash"
cp "$src"/examples/reach/river.txt "$src"/examples/reach/sections.txt .

# Without the rating curve the branch has no downstream condition: the
# message, then the section list, and File, eXit with status 0.
sed '/^hq$/,/^411.5/d' river.txt >nohq.txt
printf 'B\nR\nS\nL\nlist.txt\nX\nX\nF\nX\n' >nohq.script
timeout 60 "$exe" --headless --script nohq.script nohq.txt @flood >stdout.txt 2>&1
st=$?
[ $st -eq 0 ] || { fails "no-condition run status $st"; tail stdout.txt; }
grep -q "missing downstream boundary condition" stdout.txt || fails "no message"
[ -s list.txt ] || fails "the session did not go on after the routing run"
exit $fail
