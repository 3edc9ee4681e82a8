#!/usr/bin/env bash
# Whole runs without a display, answered from script files (the bundled
# examples run in the golden regression): the file chooser, the help texts
# saved from the text window, a form, disabled menus, a PNG picture of a plot,
# and the exit statuses 0 (File, eXit), 2 (a script answer that does not fit)
# and 3 (script used up while the program waits).
set -u
source "$2/tests/lib/run.bash"
# run WANT SCRIPT-TEXT ARGS...: a headless run with the script given inline.
run() {
  local want=$1 text=$2
  shift 2
  printf '%s\n' "$text" >answers.script
  timeout 60 "$exe" --headless --script answers.script "$@" >stdout.txt 2>stderr.txt
  local st=$?
  [ "$st" -eq "$want" ] || { fails "status $st, expected $want for: $text"; cat stdout.txt stderr.txt; }
}
has() { grep -qF -- "$2" "$1" || fails "$1 lacks: $2"; }

cp "$src"/examples/reach/river.txt "$src"/examples/reach/sections.txt .

# Without a model and without "inx": Open reads "inx", which is missing, so
# the file chooser asks and the script names the model. Then the help
# screen and a form of the Section menu (filled, computed, shown again and
# cancelled).
run 0 "F
O
river.txt
?
help.txt
S
W
CSName=K1000
Discharge=55
D
C
F
X"
has stdout.txt "File not found: inx"
has out " >>branch"
[ -e tmp0 ] && fails "section store file left"
has help.txt "RIVSIM  is a program to estimate uniform and non-uniform"
has help.txt "Default names of these files are <section> and <reach>,"
[ "$(sed -n 3p help.txt)" = "" ] || fails "help screen: line 3 not empty"
has stdout.txt "fill in values"

# Nothing to read: the chooser is cancelled, the Section items are disabled
# (only Escape answers), Branch likewise; File, eXit still ends normally.
mkdir empty && cd empty
run 0 "S
ESC
ESC
B
ESC
ESC
F
X"
has stdout.txt "sections not found"
has stdout.txt "branch not found"
cd ..

# The script is used up while the program waits: the run is ended as by
# eXit (listing closed) with status 3.
run 3 "B" river.txt
has stderr.txt "script ended while waiting for input"
has out "/OUTPUT"

# Hardcopy PNG without a display writes the picture drawn in memory under the
# screen shot's name, the next free one; other picture formats need a display.
touch gr0000.png
run 0 "B
W
P
H
J
X
H
P
X
D
F
X" river.txt
has stdout.txt "without a display screen shots are PNG only: none taken"
has stdout.txt "screen shot to gr0001.png"
[ "$(identify -format '%m %w %h' gr0001.png 2>/dev/null)" = "PNG 1120 786" ] ||
  fails "gr0001.png is not a 1120 x 786 PNG picture"
ls gr0*.jpg >/dev/null 2>&1 && fails "a JPG screen shot was made without a display"
cp gr0001.png "$(dirname "$exe")/testrun/driver/headless_plot.png" 2>/dev/null
rm -f gr0*.png

# Refused input is named on the message line and what else was typed stays:
# the velocity form keeps the level when the slope does not read, the
# evolution form says why a time step 0 is refused, and 0 stream tubes are
# refused at the prompt, before the quantity is asked for.
run 0 "S
V
CSname=K3000
Slope=abc
Waterlevel=411.07
D
Slope=0.07
D
velo_table.txt
X
C
B
E
duration=2
timestep=0
D
timestep=1
D
X
F
X" river.txt
has stdout.txt 'Slope[%]: "abc" is not a number'
has velo_table.txt "level  =   411.07m"
has stdout.txt "time step [h]: must be above 0"
run 2 "B
T
0" river.txt
has stderr.txt '"0" is below 1'

# A bed evolution run, then Escape in the File menu and a cancelled Open: the
# model is not read again, so the water-level table still shows the changed
# bed; and the plots after the run wait for their eXit again.
run 0 "B
W
T
before.txt
D
B
E
duration=24
time step=1
D
X
F
ESC
F
O
ESC
B
W
P
X
T
after.txt
D
F
X" river.txt
cmp -s <(grep -v created before.txt) <(grep -v created after.txt) &&
  fails "the bed change of the evolution run was lost by leaving the File menu"

# Sections whose level did not converge (a trickle of 0.01 m3/s in a wide
# channel) are listed in the text window, answered here by a file name.
cat >trickle.txt <<'EOT'
title 'trickle'
>>global
defkst 30
>>section
cs 'T' 0.0 /
 -800.0 104.2
 -790.0 104.0
 -18.0 104.0
 -10.0 100.0
  10.0 100.0
  18.0 104.0
 790.0 104.0
 800.0 104.2
>>branch
inflow 0.01
cs 'T' 0.0 0.0
repeat 6 100 0.0005
waterlevel 99.71
>>
EOT
run 0 "B
W
inexact.txt
D
F
X" trickle.txt
has inexact.txt "inexact cs  5 dz -0.14"

# A file chooser answer naming no file ends the run with status 2.
run 2 "F
O
nothing.txt" river.txt
has stderr.txt "nothing.txt not found"

if [ "$fail" -ne 0 ]; then
  echo "headless_script: FAILED"
  exit 1
fi
echo "headless_script: ok"
