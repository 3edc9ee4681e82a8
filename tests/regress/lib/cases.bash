# Runs the bundled examples without a window, answered from the scripts in
# tests/regress/cases/, and collects what they leave, one folder per
# example: the messages (messages.txt), the listing (listing.txt; of the
# surveyed points echoed in the >>section block only those of the first
# section, whose format stands for all), the
# tables saved from the text window, the hydrograph files and the routing
# result printed by rivsim-dump (routing_dump.txt; of a long run only the
# records at whole multiples of DUMP_EVERY_H hours).
#   source cases.bash; run_cases RIVSIM SOURCE-DIR OUT-DIR
# Returns non-zero when a run does not end with status 0.

DUMP_EVERY_H=25

# dump_records FILE: the records of a result file at whole multiples of
# DUMP_EVERY_H hours, with the header and the end markers.
dump_records() {
  "$(dirname "$rivsim")/rivsim-dump" "$1" | awk -v every="$DUMP_EVERY_H" '
    /^record / { keep = ($4 + 0) % every == 0 }
    /^end markers/ { keep = 1 }
    !seen_record && !/^record / { print; next }
    { seen_record = 1; if (keep) print }'
}

# undated: the date and time of the run (listing header, footer of saved
# texts) replaced by "(date)", so that the stored files stay as they are.
undated() { sed -E 's|^/OUTPUT .*/$|/OUTPUT (date)/|; s|^/created .* by |/created (date) by |'; }

# listing FILE: the listing with the echo of the surveyed points of all
# sections but the first left out.
listing() {
  awk '/^ >>section/ { insec = 1 } /^ >>branch/ { insec = 0 }
    insec && /^   (cs|tube) / { ++ncs }
    insec && ncs > 1 && /^ +-?[0-9.]+ +-?[0-9.]+ +[a-z]+ \/$/ { next }
    { print }' "$1"
}

run_cases() {
  rivsim=$1
  local src=$2 out=$3 status=0 c work
  for c in reach simple; do
    work=$(mktemp -d)
    cp "$src"/examples/$c/*.txt "$work"/
    (cd "$work" && timeout 120 "$rivsim" --headless --script "$src/tests/regress/cases/$c.script" \
      river.txt >messages.txt 2>&1) || { echo "run of $c ended with status $?"; status=1; }
    mkdir -p "$out/$c"
    for f in messages.txt waterlevel_table.txt velocity_K3000.txt section_list.txt q_k2500.txt \
      q_k6000.txt; do
      [ -e "$work/$f" ] && undated <"$work/$f" >"$out/$c/$f"
    done
    listing "$work/out" | undated >"$out/$c/listing.txt"
    [ -e "$work/rxres" ] && dump_records "$work/rxres" >"$out/$c/routing_dump.txt"
    rm -rf "$work"
  done
  return $status
}
