#!/usr/bin/env bash
# Pictures of plots drawn without a display (Hardcopy, PNG) and the screen
# shots of the same plots taken from the window on a virtual X server agree
# in at least 99 % of their pixels, and in 99 % of the pixels the window
# draws (a text drawn in another font would fail this). Both pictures and the
# map of the differing pixels are left in testrun/x11/shots of the build folder.
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
mkdir -p "$shots"
trap 'x_stop; rm -rf "$d"' EXIT
fail=0
# compare NAME ANSWERS...: the picture of one plot taken both ways.
compare_plot() {
  local name=$1 m
  shift
  printf '%s\n' "$@" >"$d/$name.script"
  for m in x h; do
    rm -rf "${d:?}/$m" && mkdir -p "$d/$m"
    cp "$src"/examples/reach/river.txt "$src"/examples/reach/sections.txt "$d/$m"
  done
  (cd "$d/x" && timeout 60 "$exe" --script "../$name.script" river.txt >log.txt 2>&1)
  (cd "$d/h" && timeout 60 "$exe" --headless --script "../$name.script" river.txt >log.txt 2>&1)
  for m in x h; do
    [ -f "$d/$m/gr0000.png" ] || { echo "FAIL: $name: no picture ($m)"; cat "$d/$m/log.txt"; fail=1; return; }
  done
  cp "$d/x/gr0000.png" "$shots/${name}_xvfb.png"
  cp "$d/h/gr0000.png" "$shots/${name}_headless.png"
  local size_x size_h diff total inked
  size_x=$(identify -format '%w %h' "$d/x/gr0000.png")
  size_h=$(identify -format '%w %h' "$d/h/gr0000.png")
  [ "$size_x" = "$size_h" ] || { echo "FAIL: $name: sizes differ: $size_x against $size_h"; fail=1; return; }
  diff=$(compare -metric AE "$d/x/gr0000.png" "$d/h/gr0000.png" "$shots/${name}_difference.png" 2>&1)
  total=$((${size_x% *} * ${size_x#* }))
  inked=$(convert "$d/x/gr0000.png" -fill black +opaque white -format '%[fx:int(w*h*(1-mean))]' info:)
  echo "$name: pixels differing $diff of $total; drawn (not white) in the screen shot $inked"
  if [ $((diff * 100)) -gt "$total" ] || [ $((diff * 100)) -gt "$inked" ]; then
    echo "FAIL: $name: more than 1 % of the pixels (or of the drawn pixels) differ"
    fail=1
  fi
}

# The backwater profile (lines, dashes, markers, texts) and the plan view of
# the stream tubes (filled contour bands and their key).
compare_plot profile B W P H P X D F X
compare_plot tubes B T 10 2 H P X F X
exit $fail
