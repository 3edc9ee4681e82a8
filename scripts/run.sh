#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program on the bundled
# example model in the folder run/ (extra arguments are passed on).
# With a display the window opens on the example; without one the example
# runs headless with the demo script, and the results are listed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
mkdir -p run
cd run
model=../examples/reach/river.txt
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec ../build/rivsim "$model" "$@"
fi
echo "no display: running the example headless with examples/reach/demo.script"
rm -f waterlevel_table.txt
status=0
../build/rivsim --headless --script ../examples/reach/demo.script "$model" "$@" || status=$?
echo
echo "results in $(pwd):"
for f in out waterlevel_table.txt velocity_K3000.txt section_list.txt; do
  [ -f "$f" ] && echo "  $f"
done
if [ -f waterlevel_table.txt ]; then
  echo
  echo "backwater table (waterlevel_table.txt):"
  cat waterlevel_table.txt
fi
exit "$status"
