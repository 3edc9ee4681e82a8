#!/usr/bin/env bash
# Every bundled example model reads without errors with "rivsim --check",
# with and without the option @flood, and leaves its listing "out"; an input
# with faults ends with status 2 and the faults in the listing. The models
# are read where they lie; the run happens in a folder of its own.
set -u
exe=$1
src=$2
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
cd "$d"
fail=0

# run EXPECTED-STATUS ARGS...: rivsim --check ARGS in the temp folder.
run() {
  local want=$1
  shift
  rm -f out
  "$exe" --check "$@" </dev/null >stdout.txt 2>&1
  local st=$?
  if [ "$st" -ne "$want" ]; then
    echo "FAIL: rivsim --check $* -> status $st, expected $want"
    cat stdout.txt
    fail=1
    return 1
  fi
  if [ ! -s out ]; then
    echo "FAIL: rivsim --check $* left no listing"
    fail=1
    return 1
  fi
  return 0
}

# expect PATTERN WHAT: the listing holds PATTERN.
expect() {
  if ! grep -qF -- "$1" out; then
    echo "FAIL: listing of $2 lacks: $1"
    fail=1
  fi
}

n=0
for model in "$src"/examples/*/river.txt; do
  n=$((n + 1))
  for opt in "" "@flood"; do
    run 0 "$model" $opt || continue
    expect "/OUTPUT " "$model $opt"
    expect " >>branch" "$model $opt"
    if grep -q "file not found" out; then
      echo "FAIL: $model $opt: an include file was not found"
      grep -A1 "file not found" out
      fail=1
    fi
  done
done
if [ "$n" -lt 2 ]; then
  echo "FAIL: expected at least two examples, found $n"
  fail=1
fi

# The reach: the sections come from the include file, the option selects the
# flood hydrograph.
reach=$src/examples/reach/river.txt
if run 0 "$reach"; then
  expect "/end_include" "reach"
  expect "   tube  'P4050   '    4.0500    2.00  408.38 /" "reach"
  expect "     18.0000    160.0000" "reach"
  grep -qF "     18.0000    300.0000" out && { echo "FAIL: flood hydrograph read without @flood"; fail=1; }
fi
if run 0 "$reach" @flood; then
  expect "     18.0000    300.0000" "reach @flood"
fi

# Faulty input: unreadable values, an unknown keyword and binary bytes.
printf '>>global\ndefkst abc\nbogus 1\n>>section\ncs \001\377 1.0 /\n0 1\n1 0\n2 1\n' >broken.txt
if run 2 broken.txt; then
  expect "**error: values cannot be read: defkst" "broken.txt"
  expect "**error: keyword unknown> bogus" "broken.txt"
fi

if [ "$fail" -ne 0 ]; then
  echo "check_examples: FAILED"
  exit 1
fi
echo "check_examples: ok"
