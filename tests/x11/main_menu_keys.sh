#!/usr/bin/env bash
# The main menu on a virtual X server, driven with the keyboard: the help
# screen saved from its text window, Refresh reading the model again into
# the listing "out", a form of the Section menu, the file chooser opening the
# model by name, and eXit ending the run with nothing left behind. Screen
# shots of the main menu, a sub-menu, a form and the file chooser are left in
# testrun/x11/shots of the build folder.
set -u
exe=$1
src=$2
source "$src/tests/x11/lib/xsession.bash"
if ! x_start; then
  echo "main_menu_keys: skipped (no Xvfb or xdotool)"
  exit 0
fi
d=$(mktemp -d)
shots=$(dirname "$exe")/testrun/x11/shots
mkdir -p "$shots"
trap 'x_stop; rm -rf "$d"' EXIT
fail=0
check() {  # check CONDITION-STATUS WHAT
  if [ "$1" -ne 0 ]; then
    echo "FAIL: $2"
    fail=1
  fi
}

cp "$src"/examples/reach/river.txt "$src"/examples/reach/sections.txt "$d"
cd "$d"
"$exe" river.txt >stdout.txt 2>stderr.txt &
pid=$!
wid=$(x_window "RIVSIM") || { echo "FAIL: no window"; cat stderr.txt; exit 1; }
sleep 0.5
x_shot "$wid" "$shots/main_menu.png"
n_before=$(grep -c "/OUTPUT" out)

# ? : the help screen; Save asks for a file name, Done closes it.
x_keys "$wid" question s
x_type "$wid" "help.txt"
x_keys "$wid" Return
x_wait_file help.txt " -sections in branch:   1024"
check $? "help screen not saved with its limits"
grep -qF "RIVSIM  is a program to estimate uniform and non-uniform" help.txt
check $? "help screen text"
grep -qF " -size of common table: 1000" help.txt
check $? "help screen limit lines"
x_keys "$wid" d

# File: the sub-menu; Refresh reads the model again into the listing.
x_keys "$wid" f
x_shot "$wid" "$shots/file_menu.png"
x_keys "$wid" r
sleep 0.5
n_after=$(grep -c "/OUTPUT" out)
[ "$n_after" -gt "$n_before" ]
check $? "Refresh did not read the model again ($n_before -> $n_after readings)"

# Section, W_level: a form; Cancel leaves it.
x_keys "$wid" s w
sleep 0.3
x_shot "$wid" "$shots/form.png"
x_keys "$wid" c

# File, eXit: the run ends normally and leaves no scratch store.
x_keys "$wid" f x
st=$(x_wait_exit "$pid")
[ "$st" = "0" ]
check $? "eXit ended with status $st"
[ ! -e tmp0 ]
check $? "a section store file was left"
ls -a | grep -q -e '^tmp' -e '^\.grtmp' && { echo "FAIL: scratch files left: $(ls -a)"; fail=1; }

# Without a model and without "inx": File, Open shows the file chooser;
# F edits its name field, O opens the file named.
rm -f out
"$exe" >stdout.txt 2>stderr.txt &
pid=$!
wid=$(x_window "RIVSIM") || { echo "FAIL: no window"; exit 1; }
sleep 0.5
x_keys "$wid" f o
x_shot "$wid" "$shots/file_chooser.png"
x_keys "$wid" f
x_type "$wid" "river.txt"
x_keys "$wid" Return o
sleep 0.5
grep -q "/OUTPUT" out
check $? "the file chosen was not read"
x_keys "$wid" f x
st=$(x_wait_exit "$pid")
[ "$st" = "0" ]
check $? "second run: eXit ended with status $st"

if [ "$fail" -ne 0 ]; then
  echo "main_menu_keys: FAILED"
  cat stderr.txt
  exit 1
fi
echo "main_menu_keys: ok"
