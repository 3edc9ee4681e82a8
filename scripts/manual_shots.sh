#!/usr/bin/env bash
# Takes the screen shots of the user's manual (docs/manual/img/) on a
# virtual X server: each picture is one run of rivsim on examples/reach (or
# examples/simple) with a script that leaves the window at the step shown;
# the window is captured, reduced to a small palette PNG, and the run ended.
# Usage: bash scripts/manual_shots.sh [path/to/rivsim]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$root/build/rivsim}
img=$root/docs/manual/img
mkdir -p "$img"
source "$root/tests/x11/lib/xsession.bash"
x_start || { echo "manual_shots: no virtual X server"; exit 1; }
work=$(mktemp -d)
trap 'x_stop; rm -rf "$work"' EXIT

# shot NAME MODEL WAIT SCRIPT-LINES...: runs the script in the window, waits
# WAIT seconds after the window appears, captures it as img/NAME.png.
shot() {
  local name=$1 model=$2 wait=$3
  shift 3
  printf '%s\n' "$@" >"$work/s.script"
  (cd "$work" && exec "$exe" --script s.script "$model" >/dev/null 2>&1) &
  local pid=$!
  local wid
  wid=$(x_window RIVSIM) || { echo "no window for $name"; kill "$pid"; return 1; }
  sleep "$wait"
  import -window "$wid" "$work/raw.png" 2>/dev/null
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  convert "$work/raw.png" -colors 16 PNG8:"$img/$name.png"
  echo "$img/$name.png"
}

reach=$root/examples/reach/river.txt
simple=$root/examples/simple/river.txt
shot main_menu "$reach" 2 B
shot wl_table "$reach" 3 B W T
shot wl_plot "$reach" 3 B W T wl.txt P
shot velocity_plot "$reach" 3 S V CSname=K3000 Slope=0.07 Waterlevel=411.07 D v.txt
shot section_list "$reach" 3 S L list.txt
shot tubes_plan "$reach" 4 B T 20 3
shot routing_run "$simple" 4 B R
shot evolution_run "$reach" 6 B E duration=24 timestep=0.5 D
shot section_tool "$reach" 3 S W CSName=K3000 Slope=0.07 Discharge=63 D
