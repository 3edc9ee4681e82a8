#!/usr/bin/env bash
# Hostile input and surroundings: values the model cannot use, outputs named
# like the model, a full disk, a keep file with an absurd colour, a shapefile
# into a missing folder, a second run in the same folder, signals during a
# run, and rivsim-dump on devices and cut files. Nothing may hang, crash,
# lose data or report success after a failure.
set -u
source "$2/tests/lib/run.bash"
dump=$(dirname "$exe")/rivsim-dump
has() { grep -qF -- "$2" "$1" || fails "$1 lacks: $2"; }
# check WANT ARGS...: rivsim --check ARGS ends with status WANT.
check() {
  local want=$1
  shift
  timeout 30 "$exe" --check "$@" </dev/null >stdout.txt 2>stderr.txt
  local st=$?
  [ "$st" -eq "$want" ] || { fails "--check $* -> $st, expected $want"; cat stdout.txt stderr.txt; }
}
# script WANT TEXT MODEL: a headless run answered by TEXT ends with WANT.
script() {
  printf '%s\n' "$2" >answers.script
  timeout 60 "$exe" --headless --script answers.script "$3" >stdout.txt 2>stderr.txt
  local st=$?
  [ "$st" -eq "$1" ] || { fails "script run -> $st, expected $1: $2"; cat stdout.txt stderr.txt; }
}
cp "$src"/examples/reach/river.txt "$src"/examples/reach/sections.txt .

# Values no computation can use are errors of the reading.
# Each row EDIT:KEY gives a value the computations cannot use (no conveyance,
# no normal depth, an unstable scheme, a division by a grain size).
while IFS=: read -r edit key; do
  sed "$edit" river.txt >m.txt
  check 2 m.txt && has out "**error: value out of range: $key"
done <<'ROWS'
s/^table_values 40/table_values 0/:table_values
s/^defkst 25/defkst 0/:defkst
s/^kst 34/kst -5/:kst
s/^theta 0.60/theta 0.3/:theta
s/^theta 0.60/theta 1.5/:theta
s/^control_velocity .*/control_velocity 0/:control_velocity
s/^culvert .*/culvert 408.10 12.0 3.5 0 0.5/:culvert
s/^culvert .*/&\nslope -0.001/:slope
s/^d90 0.08/d90 0/:d90
/^dm \*\*/{n;s/ [0-9.]*$/ 0/}:dm
ROWS
for v in nan inf 1e39; do
  sed "s/^density .*/density $v/" river.txt >m.txt
  check 2 m.txt
done
has out "**error: value not finite: density"
sed '0,/^locate .*/s//locate nan nan nan/' sections.txt >s_nan.txt
sed 's/^include sections.txt/include s_nan.txt/' river.txt >m.txt
check 2 m.txt && has out "**error: value not finite: locate"

# A model that lost data in the reading is no usable model.
{ printf '>>section\ncs A 0 0\n0 1\n1 0\n2 1\n>>branch\n'; for i in $(seq 1025); do echo "cs A $i 0"; done; } >m.txt
check 2 m.txt && has stderr.txt "Too many cross-sections in branch"
sed 's#^include sections.txt#include /dev/zero#' river.txt >m.txt
check 2 m.txt && has stderr.txt "not found"

# ">" outputs: a check leaves hydrograph files alone; the model, an include
# file and the listing are refused and stay whole.
echo "earlier run" >q_k2500.txt
check 0 river.txt
has q_k2500.txt "earlier run"
for target in m.txt sections.txt out; do
  sed "s/>q_k2500.txt/>$target/" river.txt >m.txt
  cp m.txt before.txt
  cp sections.txt sections.before
  script 2 "F
X" m.txt
  has out "**error: output file is an input file or the listing: $target"
  cmp -s m.txt before.txt || fails "model changed by >$target"
  cmp -s sections.txt sections.before || fails "include file changed by >$target"
  cp sections.before sections.txt
done
# Bed-evolution write files and a saved table named like the model (also as
# "./m.txt" or through a link) are refused with a message; nothing written.
ln -sf sections.txt link.txt
sed "s#^write 5.0 .*#write 5.0 './m.txt'\nwrite 3.0 link.txt#" river.txt >m.txt
cp m.txt before.txt
script 0 "B
E
duration=10
time step=1
D
X
B
W
T
./m.txt
D
F
X" m.txt
[ "$(grep -c "File of the model, not overwritten: [.l]" stdout.txt)" -eq 3 ] || fails "not refused"
cmp -s m.txt before.txt || fails "model changed by a write request or a saved table"
cmp -s sections.txt sections.before || fails "include file changed through a link"
cp sections.before sections.txt
cp sections.before sections.txt

# A full disk: the saved table fails with its reason and the run with status 4.
script 4 "B
W
T
/dev/full
D
F
X" river.txt
has stdout.txt "Error writing: /dev/full: No space left on device"
grep -q "data stored on file" stdout.txt && fails "full disk reported as stored"
# The listing cut by a file-size limit: status 4 and the reason.
(trap '' XFSZ; ulimit -f 4; exec timeout 30 "$exe" --check river.txt) >stdout.txt 2>stderr.txt
[ $? -eq 4 ] || fails "listing beyond the size limit not reported"
has stderr.txt "cannot write out: File too large"

# A keep file with a colour beyond the table is a syntax error, not a crash.
printf 'MCOL\n  2\nCOLR\n-2147483648\nSYMB\n-2147483648\n' >bad.kep
script 0 "B
W
P
X
D
F
X" river.txt
sed -i '$d' .grset
printf "1\n'bad.kep'  2 /\n" >>.grset
script 0 "B
W
P
X
D
F
X" river.txt
has stdout.txt "Syntax error in: bad.kep"

# A shapefile into a missing folder: the reason, the session goes on, the
# run ends with the status of a failed write.
script 4 "B
W
P
H
S
Fileprefix=nodir/x
D
X
X
D
F
X" river.txt
has stdout.txt "Error writing: nodir/x.shp: No such file or directory"
has stderr.txt "rivsim: cannot write nodir/x.shp: No such file or directory"

# A second run in the folder stops at once and touches nothing.
if command -v flock >/dev/null; then
  echo "listing of the first run" >out
  exec 9<>out
  flock -n 9
  check 2 river.txt
  has stderr.txt "another run is using this folder"
  has out "listing of the first run"
  exec 9>&-
fi

# Signals end the run as eXit does: listing and hydrograph files complete.
if [ -n "${DISPLAY:-}" ] && command -v xdpyinfo >/dev/null && xdpyinfo >/dev/null 2>&1; then
  for sig in TERM INT HUP; do
    rm -f out q_k2500.txt
    "$exe" river.txt >stdout.txt 2>stderr.txt &
    pid=$!
    for _ in $(seq 50); do grep -q "/end_include" out 2>/dev/null && break; sleep 0.1; done
    sleep 0.5
    kill -$sig $pid
    wait $pid
    st=$?
    want=$((128 + $(kill -l $sig)))
    [ "$st" -eq "$want" ] || fails "SIG$sig -> status $st, expected $want"
    has q_k2500.txt "/Section Time[h] Discharge[m3/s] Level[m]"
    has out ">>bed_evolution"
  done
fi

# rivsim-dump: devices, cut files and missing end markers are told on
# standard error with status 1.
if command -v python3 >/dev/null; then
  python3 - <<'EOF'
import struct
recl = 165
def rec(words):
    b = b"".join(struct.pack("<i", w) if isinstance(w, int) else struct.pack("<f", w) for w in words)
    return b + bytes(recl - len(b))
head = rec([-93, recl, 1, 1, 1, 0])
state = rec([3600.0, 410.0, 55.0, 1.2, 20.0])
mark = rec([-99.0])
body = head + rec([5]) + rec([0, 0.0]) + rec([])
open("full.rx", "wb").write(body + state + mark + mark)
open("nomark.rx", "wb").write(body + state)
open("cut.rx", "wb").write((body + state + mark + mark)[:-10])
EOF
  "$dump" full.rx >dump.txt 2>dump.err || fails "complete result file refused"
  has dump.txt "end markers 2"
  for f in /dev/zero cut.rx nomark.rx; do
    timeout 10 "$dump" $f >dump.txt 2>dump.err
    [ $? -eq 1 ] || fails "rivsim-dump $f: status not 1"
    [ -s dump.err ] || fails "rivsim-dump $f: nothing on standard error"
  done
  has dump.err "end markers missing"
fi

if [ "$fail" -ne 0 ]; then
  echo "hostile: FAILED"
  exit 1
fi
echo "hostile: ok"
