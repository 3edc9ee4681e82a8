#!/usr/bin/env bash
# Every block of model input in the user's manual (docs/manual/*.md, fenced
# as "rivsim") is read with "rivsim --check" and must end with the status its
# fence states (0 unless "status=N"). Fence words: "+T" reads the block after
# the channel section T of the manual, "@opt" passes options, "file=NAME"
# only writes the block to NAME for the blocks after it (include files).
set -u
source "$2/tests/lib/run.bash"
cat >prelude_T.txt <<'T'
>>section
cs 'T' 0.0 /
 -18.0  104.0
 -10.0  100.0
  10.0  100.0
  18.0  104.0
T
n=0
for md in "$src"/docs/manual/*.md; do
  # Split the file into numbered blocks with their fence words.
  rm -f block_* 
  awk -v base="$d/block_" '
    /^```rivsim/ { k++; f = sprintf("%s%03d", base, k); sub(/^```rivsim */, ""); print > (f ".fence"); inb = 1; lno = NR; print lno > (f ".line"); next }
    /^```/ && inb { inb = 0; close(f); next }
    inb { print > f }
  ' "$md"
  for f in block_???; do
    [ -e "$f" ] || continue
    words=$(cat "$f.fence")
    line=$(cat "$f.line")
    want=0
    opts=()
    prefix=""
    target=""
    for w in $words; do
      case $w in
        status=*) want=${w#status=} ;;
        +T) prefix=prelude_T.txt ;;
        @*) opts+=("$w") ;;
        file=*) target=${w#file=} ;;
      esac
    done
    if [ -n "$target" ]; then
      cp "$f" "$target"
      continue
    fi
    n=$((n + 1))
    if [ -n "$prefix" ]; then cat "$prefix" "$f" >model.txt; else cp "$f" model.txt; fi
    "$exe" --check model.txt "${opts[@]}" </dev/null >stdout.txt 2>&1
    st=$?
    if [ "$st" -ne "$want" ]; then
      echo "FAIL: $(basename "$md"):$line: rivsim --check gives status $st, expected $want"
      sed 's/^/    /' model.txt
      grep -B1 -A1 -E '\*\*(error|fatal)' out | sed 's/^/  | /'
      sed 's/^/  > /' stdout.txt
      fail=1
    fi
  done
done
if [ "$n" -lt 10 ]; then
  echo "FAIL: only $n model fragments found in the manual"
  fail=1
fi
[ "$fail" -eq 0 ] && echo "manual_fragments: $n fragments ok"
exit "$fail"
