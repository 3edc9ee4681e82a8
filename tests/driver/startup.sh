#!/usr/bin/env bash
# The program started with a model name and options makes the listing in the
# current folder and ends normally.
set -eu
exe=$1
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
cd "$d"
"$exe" --help | grep -q "usage: rivsim"
if "$exe" --bogus 2>/dev/null; then echo "bad flag accepted"; exit 1; fi
"$exe" river.txt @calib,flood </dev/null
test -f out
echo "startup ok"
