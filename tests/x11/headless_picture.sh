#!/usr/bin/env bash
# The picture of the backwater plot drawn without a display (Hardcopy, PNG)
# and the screen shot of the same plot taken from the window on a virtual X
# server agree in at least 99 % of their pixels, and in 99 % of the pixels
# the window draws (a text drawn in another font would fail this). Both pictures and the map of
# the differing pixels are left in testrun/x11/shots of the build folder.
set -u
exe=$1
src=$2
source "$src/tests/x11/lib/xsession.bash"
if ! x_start; then
  echo "headless_picture: skipped (no Xvfb or xdotool)"
  exit 0
fi
d=$(mktemp -d)
shots=$(dirname "$exe")/testrun/x11/shots
mkdir -p "$shots" "$d/x" "$d/h"
trap 'x_stop; rm -rf "$d"' EXIT
printf '%s\n' B W P H P X D F X >"$d/plot.script"
for m in x h; do
  cp "$src"/examples/reach/river.txt "$src"/examples/reach/sections.txt "$d/$m"
done
(cd "$d/x" && timeout 60 "$exe" --script ../plot.script river.txt >log.txt 2>&1)
(cd "$d/h" && timeout 60 "$exe" --headless --script ../plot.script river.txt >log.txt 2>&1)
for m in x h; do
  [ -f "$d/$m/gr0000.png" ] || { echo "FAIL: no picture ($m)"; cat "$d/$m/log.txt"; exit 1; }
done
cp "$d/x/gr0000.png" "$shots/plot_xvfb.png"
cp "$d/h/gr0000.png" "$shots/plot_headless.png"
size_x=$(identify -format '%w %h' "$d/x/gr0000.png")
size_h=$(identify -format '%w %h' "$d/h/gr0000.png")
[ "$size_x" = "$size_h" ] || { echo "FAIL: sizes differ: $size_x against $size_h"; exit 1; }
diff=$(compare -metric AE "$d/x/gr0000.png" "$d/h/gr0000.png" "$shots/plot_difference.png" 2>&1)
set -- $size_x
total=$(($1 * $2))
inked=$(convert "$d/x/gr0000.png" -fill black +opaque white -format '%[fx:int(w*h*(1-mean))]' info:)
echo "pixels differing: $diff of $total; drawn (not white) in the screen shot: $inked"
if [ $((diff * 100)) -gt "$total" ] || [ $((diff * 100)) -gt "$inked" ]; then
  echo "FAIL: more than 1 % of the pixels (or of the drawn pixels) differ"
  exit 1
fi
