#!/usr/bin/env bash
# The README's plots from a script on a virtual X server: the backwater
# profile and the velocity distribution of K3000, each taken in a fresh
# folder (default settings). The velocity curves must fill the plot height:
# depth, velocity and unit discharge are no distances, so the plot opens
# with a scale of its own on each axis. The pictures stay in
# testrun/x11/readme of the build folder.
set -u
exe=$1
src=$2
command -v Xvfb >/dev/null 2>&1 && command -v import >/dev/null 2>&1 &&
  command -v python3 >/dev/null 2>&1 || { echo "readme_pictures: skipped"; exit 0; }
source "$src/tests/x11/lib/xsession.bash"
x_start || { echo "readme_pictures: skipped (no Xvfb)"; exit 0; }
d=$(mktemp -d)
shots=$(dirname "$exe")/testrun/x11/readme
mkdir -p "$shots"
trap 'x_stop; rm -rf "$d"' EXIT
fail=0
picture() {  # picture NAME SCRIPT-TEXT: runs the script in a fresh folder
  mkdir "$d/$1" && cd "$d/$1" || exit 1
  cp "$src"/examples/reach/river.txt "$src"/examples/reach/sections.txt .
  printf '%s\n' "$2" >plot.script
  timeout 60 "$exe" --script plot.script river.txt >stdout.txt 2>&1
  [ $? -eq 0 ] && [ -f gr0000.png ] || { echo "FAIL: $1: no picture"; cat stdout.txt; fail=1; }
  cp gr0000.png "$shots/$1.png" 2>/dev/null
}
picture profile "B
W
T
waterlevel_table.txt
P
H
P
X
D
F
X"
picture velocity "S
V
CSname=K3000
Slope=0.07
Waterlevel=411.07
D
velo_table.txt
H
P
X
C
F
X"
# The plot box: the longest black rows; the curves: coloured pixels inside
# it (the key's samples lie in its lowest part). The highest curve must
# reach the upper half of the box.
convert "$d/velocity/gr0000.png" -depth 8 "$d/v.ppm"
python3 - "$d/v.ppm" <<'PY' || fail=1
import sys
data = open(sys.argv[1], 'rb').read()
parts = data.split(maxsplit=4)
w, h = int(parts[1]), int(parts[2])
px = parts[4]
def rgb(x, y):
    i = 3 * (y * w + x)
    return px[i], px[i + 1], px[i + 2]
rows = [sum(1 for x in range(w) if rgb(x, y) == (0, 0, 0)) for y in range(h)]
long = [y for y in range(h) if rows[y] > w // 2]
top, bottom = min(long), max(long)
curve = [y for y in range(top + 1, bottom) for x in range(0, w, 2)
         if max(rgb(x, y)) - min(rgb(x, y)) > 60]
if not curve or (min(curve) - top) > 0.5 * (bottom - top):
    print("FAIL: velocity curves do not reach the upper half of the plot",
          top, bottom, min(curve) if curve else None)
    sys.exit(1)
PY
if [ "$fail" -ne 0 ]; then
  echo "readme_pictures: FAILED"
  exit 1
fi
echo "readme_pictures: ok"
