#!/usr/bin/env bash
# Golden run of the large generated river (1024 sections of 1000 points, made
# by scripts/gen_large_model.sh, not stored), with plain and with compound
# sections: the listing, the water-level table, the velocity table at one
# section, the routing result file and the terminal lines must have the
# checksums in large_model.md5 (time-stamp lines left out).
#
#   large_model.sh RIVSIM SOURCE_DIR [--print]
#
# --print writes the checksums of this build instead of comparing them.
set -u
exe=$(realpath "$1")
src=$(realpath "$2")
mode=${3:-}
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT

sums="$d/sums.txt"
: >"$sums"
for kind in plain compound; do
  m="$d/$kind"
  bash "$src/scripts/gen_large_model.sh" "$m" "$kind" || { echo "generator failed"; exit 1; }
  cat >"$m/run.script" <<'EOF'
B
W
T
waterlevel_table.txt
D
S
V
CSname=G0700
Slope=0.0005
Waterlevel=106.0
D
velocity.txt
X
C
B
R
X
X
F
X
EOF
  (cd "$m" && timeout 600 "$exe" --headless --script run.script river.txt >stdout.txt 2>&1)
  st=$?
  [ "$st" -eq 0 ] || { echo "FAIL: $kind run ended with status $st"; cat "$m/stdout.txt"; exit 1; }
  for f in out waterlevel_table.txt velocity.txt stdout.txt rxres; do
    [ -e "$m/$f" ] || { echo "FAIL: $kind: no $f"; exit 1; }
    # The run's time stamp is the only text that may differ.
    sum=$(grep -av -e '^/OUTPUT ' -e '^/created ' "$m/$f" | md5sum | cut -c1-32)
    echo "$kind $f $sum" >>"$sums"
  done
done

if [ "$mode" = --print ]; then
  cat "$sums"
  exit 0
fi
if ! diff "$src/tests/regress/large_model.md5" "$sums"; then
  echo "large_model: FAILED (outputs differ from the golden checksums)"
  exit 1
fi
echo "large_model: ok"
