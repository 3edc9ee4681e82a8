#!/usr/bin/env bash
# Whole routing runs without a display, answered from script files: the
# bundled example routes its flood through the weir, gate and culvert to the
# rating curve and writes both hydrograph files; a branch without a
# downstream condition ends the run, not the session.
set -u
exe=$1
src=$2
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
cd "$d"
fail=0
fails() { echo "FAIL: $*"; fail=1; }
cp "$src"/examples/reach/river.txt "$src"/examples/reach/sections.txt .

# Branch, Routing: the start state and the last picture are left with X;
# then the backwater table, to show that the session goes on.
printf 'B\nR\nX\nX\nB\nW\nT\nwl.txt\nD\nF\nX\n' >flood.script
timeout 120 "$exe" --headless --script flood.script river.txt @flood >stdout.txt 2>&1
st=$?
[ $st -eq 0 ] || { fails "flood run status $st"; tail stdout.txt; }
[ -s wl.txt ] || fails "no water-level table after the routing run"
for f in q_k2500.txt q_k6000.txt; do
  [ "$(wc -l <$f)" -eq 1442 ] || fails "$f: $(wc -l <$f) lines, expected 1442"
  [ "$(tail -n 1 $f)" = ">results on file rxres" ] || fails "$f does not end with the result line"
done
# Peaks: (time, discharge) of the largest value of each file.
peak() { awk 'NF==4 && $3+0 > q {q = $3 + 0; t = $2 + 0} END {print t, q}' "$1"; }
read -r t1 q1 <<<"$(peak q_k2500.txt)"
read -r t2 q2 <<<"$(peak q_k6000.txt)"
echo "peaks: K2500 $q1 m3/s at $t1 h, K6000 $q2 m3/s at $t2 h (inflow 300 + 40 at 18 h)"
awk -v q1="$q1" -v t1="$t1" 'BEGIN {exit !(q1 < 300 && q1 > 150 && t1 > 18)}' || fails "K2500 peak"
awk -v q2="$q2" -v t2="$t2" -v t1="$t1" 'BEGIN {exit !(q2 < 300 && t2 > t1)}' || fails "K6000 peak"

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
