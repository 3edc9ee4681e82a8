#!/usr/bin/env bash
# Golden regression: the bundled examples run without a window and what they
# leave (messages, listing, water-level and velocity tables, section list,
# hydrograph files, routing result) matches the stored files in expected/
# within the tolerances named in lib/compare.awk. After an intended change of
# the results, regenerate them with scripts/regress-update.sh and review the
# difference before committing it.
set -u
exe=$1
src=$2
here=$src/tests/regress
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
# shellcheck source=lib/cases.bash
source "$here/lib/cases.bash"
fail=0
run_cases "$exe" "$src" "$d" || fail=1
for e in "$here"/expected/*/*; do
  rel=${e#"$here"/expected/}
  if [ ! -e "$d/$rel" ]; then
    echo "FAIL: no $rel"
    fail=1
  elif ! awk -f "$here/lib/compare.awk" "$e" "$d/$rel"; then
    echo "FAIL: $rel differs from the expected file"
    fail=1
  fi
done
for a in "$d"/*/*; do
  rel=${a#"$d"/}
  [ -e "$here/expected/$rel" ] || { echo "FAIL: $rel has no expected file"; fail=1; }
done
exit $fail
