#!/usr/bin/env bash
# The share of test lines against source lines (non-blank lines of tests/
# against src/), in total and without the stored expected outputs of the
# golden regression (tests/regress/expected/).
set -euo pipefail
cd "$(dirname "$0")/.."
count() { find "$@" -type f -print0 | xargs -0 cat | grep -cv '^[[:space:]]*$'; }
src=$(count src)
all=$(count tests)
data=$(count tests/regress/expected 2>/dev/null || echo 0)
awk -v s="$src" -v a="$all" -v d="$data" 'BEGIN {
  printf "src %d, tests %d (%.1f %%), tests without expected outputs %d (%.1f %%)\n",
         s, a, 100 * a / s, a - d, 100 * (a - d) / s }'
