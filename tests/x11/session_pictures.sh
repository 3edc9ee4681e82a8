#!/usr/bin/env bash
# A session on examples/reach in the window of a virtual X server, checked on
# its screen shots: the start screen without a stale progress bar; the
# longitudinal profile whole again (key included) after a text window and a
# form were closed over it; a clean main menu after the plot; the plot drawn
# whole after the window was made smaller; "?" typed with Shift in a
# sub-menu giving its help text. The screen shots stay in
# testrun/x11/session of the build folder.
set -u
exe=$1
src=$2
source "$src/tests/x11/lib/xsession.bash"
if ! x_start; then
  echo "session_pictures: skipped (no Xvfb or xdotool)"
  exit 0
fi
command -v convert >/dev/null 2>&1 || { x_stop; echo "session_pictures: skipped (no convert)"; exit 0; }
d=$(mktemp -d)
shots=$(dirname "$exe")/testrun/x11/session
mkdir -p "$shots"
trap 'x_stop; rm -rf "$d"' EXIT
fail=0
fails() { echo "FAIL: $*"; fail=1; }
# mean SHOT W H X Y: mean brightness (0 black .. 1 white) of an area
mean() { convert "$1" -crop "$2x$3+$4+$5" +repage -colorspace gray -format "%[fx:mean]" info:; }
# differ A B W H X Y: pixels that differ between two shots in an area
differ() {
  convert "$1" -crop "$3x$4+$5+$6" +repage a.png
  convert "$2" -crop "$3x$4+$5+$6" +repage b.png
  compare -metric AE a.png b.png null: 2>&1 | cut -d' ' -f1
}
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

cp "$src"/examples/reach/river.txt "$src"/examples/reach/sections.txt "$d"
cd "$d"
# The start screen: the progress bar of the first reading is gone.
"$exe" river.txt >stdout.txt 2>stderr.txt &
pid=$!
wid=$(x_window "RIVSIM") || { echo "FAIL: no window"; cat stderr.txt; exit 1; }
sleep 1
x_shot "$wid" "$shots/start.png"
below 0.999 "$(mean "$shots/start.png" 200 16 65 735)" || fails "start screen: progress bar left"
x_keys "$wid" f x
x_wait_exit "$pid" >/dev/null

printf 'B\nW\nP\n' >plot.script
"$exe" --script plot.script river.txt >stdout.txt 2>stderr.txt &
pid=$!
wid=$(x_window "RIVSIM") || { echo "FAIL: no window"; cat stderr.txt; exit 1; }
sleep 2

# The plot of the script; a text window (Trace) and a form (Query, then
# Cancel) over it: afterwards the plot area is the same picture again.
x_shot "$wid" "$shots/plot.png"
below "$(mean "$shots/plot.png" 400 130 0 600)" 0.97 || fails "no key in the plot"
x_keys "$wid" t
x_shot "$wid" "$shots/trace.png"
x_keys "$wid" d
x_shot "$wid" "$shots/trace_closed.png"
n=$(differ "$shots/plot.png" "$shots/trace_closed.png" 1030 786 0 0)
[ "$n" -lt 50 ] 2>/dev/null || fails "closed text window left $n pixels changed over the plot"
x_keys "$wid" q c
x_shot "$wid" "$shots/query_closed.png"
n=$(differ "$shots/plot.png" "$shots/query_closed.png" 1030 786 0 0)
[ "$n" -lt 50 ] 2>/dev/null || fails "closed form left $n pixels changed over the plot"

# eXit, Done: the main menu shows nothing of the plot.
x_keys "$wid" x d
x_shot "$wid" "$shots/main_menu.png"
below 0.999 "$(mean "$shots/main_menu.png" 1100 740 0 40)" || fails "main menu: plot left on the screen"

# "?" typed with Shift in the Section menu: its help text, saved from the
# text window; no complaint about keys without characters.
x_keys "$wid" s question s
x_type "$wid" "section_help.txt"
x_keys "$wid" Return d
grep -qF "Section options:" section_help.txt 2>/dev/null || fails "? in the Section menu gave no help text"
grep -q "Zero length" stdout.txt && fails "key without character reported on standard output"

# The plot again, in a window made smaller: the window takes the new size and
# the whole plot is drawn (the x axis with its labels along the bottom).
x_keys "$wid" b w p
xdotool windowsize "$wid" 800 600
sleep 1.5
wid=$(x_window "RIVSIM")
x_shot "$wid" "$shots/resized.png"
h=$(identify -format "%h" "$shots/resized.png")
axis=0
for y in $(seq $((h - 60)) $((h - 40))); do
  below "$(mean "$shots/resized.png" 550 1 70 "$y")" 0.3 && axis=1
done
[ "$axis" -eq 1 ] || fails "resized window: no x axis along the bottom of the plot"
below "$(mean "$shots/resized.png" 400 60 0 $((h - 35)))" 0.99 || fails "resized window: no x-axis labels"

x_keys "$wid" x d f x
st=$(x_wait_exit "$pid")
[ "$st" = "0" ] || fails "eXit ended with status $st"

if [ "$fail" -ne 0 ]; then
  echo "session_pictures: FAILED"
  cat stderr.txt
  exit 1
fi
echo "session_pictures: ok"
