#!/usr/bin/env bash
# The user's manual (docs/manual/*.md) names every keyword and block of the
# model file, taken from the reader's keyword tables, as `keyword`, and every
# item of every menu, taken from the menu texts in the sources (state
# character, hot key, label), by its label.
set -u
src=$2
manual=$(cat "$src"/docs/manual/*.md)
lower=$(printf '%s' "$manual" | tr 'A-Z' 'a-z')
fail=0
nk=0
# Keyword tables: const Key kName[] = { "a", "b", ... };
keys=$(perl -0777 -ne 'while (/const Key k\w+\[\]\s*=\s*\{(.*?)\};/sg) { my $b = $1; print "$1\n" while $b =~ /"([^"]+)"/g; }' \
  "$src"/src/model/inrea.cpp "$src"/src/model/inrea_blocks.cpp)
for k in $keys; do
  nk=$((nk + 1))
  if ! grep -qF -- "\`$k\`" <<<"$manual"; then
    echo "FAIL: keyword $k is not in the manual (as \`$k\`)"
    fail=1
  fi
done
# Menu items: literals of a state character, a hot key and a label.
ni=0
while IFS= read -r item; do
  label=$(printf '%s' "${item:2}" | sed 's/[<>]//g; s/^ *//; s/ *$//')
  [ -z "$label" ] && continue
  ni=$((ni + 1))
  l=$(printf '%s' "$label" | tr 'A-Z' 'a-z')
  if ! grep -qF -- "$l" <<<"$lower"; then
    echo "FAIL: menu item \"$item\" ($label) is not in the manual"
    fail=1
  fi
done < <(grep -rhoE '"[ <>-][A-Z?][A-Za-z?_][^"]{0,14}"|"  smooth"' "$src"/src --include=*.cpp | tr -d '"' | sort -u)
if [ "$nk" -lt 60 ] || [ "$ni" -lt 60 ]; then
  echo "FAIL: found only $nk keywords and $ni menu items in the sources"
  fail=1
fi
[ "$fail" -eq 0 ] && echo "manual_coverage: $nk keywords and $ni menu items documented"
exit "$fail"
