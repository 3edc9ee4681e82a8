#!/usr/bin/env bash
# The program started with a model name and options, without a window and
# with a script that leaves at once, makes the listing in the current folder
# and ends normally; bad flags and unreadable scripts are refused.
set -eu
exe=$1
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
cd "$d"
"$exe" --help | grep -q "usage: rivsim"
if "$exe" --bogus 2>/dev/null; then echo "bad flag accepted"; exit 1; fi
if "$exe" --headless --script missing.script 2>/dev/null; then echo "missing script accepted"; exit 1; fi
# No model file: the chooser is cancelled, nothing is read, File, eXit.
printf 'ESC\nF\nX\n' >quit.script
"$exe" --headless --script quit.script river.txt @calib,flood </dev/null >/dev/null
test -f out
echo "startup ok"
