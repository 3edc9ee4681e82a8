#!/usr/bin/env bash
# Writes a large model for benchmarks and golden runs: a straight river of
# NSEC surveyed sections 50 m apart, each of NPT points (a curved main channel
# of 60 m between banks with shrubs and uneven meadow and forest floodplains),
# bed slope 0.05 %, an inflow hydrograph upstream, a weir in the middle and a
# fixed level downstream, with a short routing run in >>compute.
#
#   gen_large_model.sh DIR [plain|compound] [NSEC] [NPT]
#
# DIR receives river.txt (the model) and sections.txt (the sections). The
# levels are made of sines only, so every awk writes the same file.
set -eu
dir=$1
mode=${2:-plain}
nsec=${3:-1024}
npt=${4:-1000}
mkdir -p "$dir"

awk -v nsec="$nsec" -v npt="$npt" 'BEGIN {
  print "# Generated sections: valley of 300 m, main channel 120..180 m."
  for (s = 1; s <= nsec; ++s) {
    bed = 120.0 - 0.025 * (s - 1)   # 0.05 % over 50 m
    printf "cs '\''G%04d'\'' %.3f 0.0\n", s, 0.05 * (s - 1)
    last = ""
    for (i = 1; i <= npt; ++i) {
      y = 300.0 * (i - 1) / (npt - 1)
      noise = 0.08 * sin(0.37 * i + s) + 0.05 * sin(0.051 * i * (s % 17 + 1))
      if (y < 5.0 || y > 295.0)        { z = bed + 7.0 + noise; lab = "def" }
      else if (y < 110.0)              { z = bed + 3.5 + 0.01 * (110.0 - y) + noise; lab = "mea" }
      else if (y > 190.0)              { z = bed + 3.5 + 0.012 * (y - 190.0) + noise; lab = "for" }
      else if (y < 120.0 || y >= 180.0) {
        d = (y < 120.0) ? 120.0 - y : y - 180.0
        z = bed + 3.5 - 0.3 * (10.0 - d) + noise; lab = "bnk"
      } else {
        x = (y - 150.0) / 30.0
        z = bed + 0.5 + 0.5 * x * x * (1.0 + 0.1 * sin(0.2 * s)) + noise; lab = "bed"
      }
      if (lab != last) { printf "%9.3f %9.3f  %s\n", y, z, lab; last = lab }
      else printf "%9.3f %9.3f\n", y, z
    }
    print ""
  }
}' >"$dir/sections.txt"

{
  echo "title 'Generated river of $nsec sections with $npt points each ($mode)'"
  echo ">>global"
  echo "defkst 25"
  echo "label bed"
  echo "kst 34"
  echo "label bnk"
  echo "kst 20"
  echo "vegetation 0.1"
  echo "label mea"
  echo "kst 22"
  echo "label for"
  echo "kst 15"
  echo "vegetation 0.05"
  echo "table_values 40"
  echo "grid_values 40"
  if [ "$mode" = compound ]; then echo "compound"; fi
  echo ">>section"
  echo "include sections.txt"
  echo ">>branch"
  echo "inflow **"
  echo "  0.0  150.0"
  echo "  0.5  260.0"
  echo "  2.0  150.0"
  awk -v nsec="$nsec" 'BEGIN {
    mid = int(nsec / 2)
    for (s = 1; s <= nsec; ++s) {
      printf "cs '\''G%04d'\'' %.3f 0.0\n", s, 0.05 * (s - 1)
      if (s == mid) printf "weir %.2f 60.0 0.62\n", 120.0 - 0.025 * (s - 1) + 2.0
    }
    printf "waterlevel %.3f\n", 120.0 - 0.025 * (nsec - 1) + 2.7
  }'
  echo ">>compute"
  echo "start 0.0"
  echo "end 0.2"
  echo "time_step 0.05"
  echo "frequence 2"
  echo ">>"
} >"$dir/river.txt"
