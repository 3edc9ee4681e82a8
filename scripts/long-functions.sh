#!/usr/bin/env bash
# Lists the functions longer than a limit (default 100 lines, from the line
# of the signature to the closing brace), longest first:
#   bash scripts/long-functions.sh [LIMIT] [FILES or folders...]   (default src)
# A function is recognised by its signature line ending in "{" and by its
# closing "}" at the same indentation (the code's own layout); lambdas and
# bodies opened on a line of their own are counted with the enclosing one.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${1:-100}
shift || true
[ $# -gt 0 ] || set -- src
find "$@" -name '*.cpp' -o -name '*.hpp' | sort | xargs awk -v limit="$limit" '
  FNR == 1 { depth = 0; cand = 0 }
  {
    if (depth == 0) {
      # A signature may run over several lines: it starts at the last line
      # that begins a declaration at this indentation.
      if ($0 ~ /^ *[A-Za-z_]/ && $0 !~ /^ *(if|for|while|switch|else|do|catch|return|case)\>/ &&
          (cand == 0 || $0 ~ /^[A-Za-z_]/)) { cand = FNR; sig = $0 }
      if ($0 ~ /;$/ || $0 ~ /^ *\}/ || $0 ~ /^ *$/ || $0 ~ /^ *\/\//) cand = 0
      if (cand && $0 ~ /\)[^;{]*\{$/ && sig !~ /^ *(namespace|struct|class|enum)\>/) {
        match(sig, /^ */)
        indent = RLENGTH
        start = cand
        sub(/^ */, "", sig)
        depth = 1
        cand = 0
      } else if ($0 ~ /\{$/) {
        cand = 0  # a class, namespace or initialiser opened
      }
      next
    }
    match($0, /^ */)
    if ($0 ~ /^ *\}/ && RLENGTH == indent) {
      n = FNR - start + 1
      if (n > limit) printf "%5d %s:%d %s\n", n, FILENAME, start, substr(sig, 1, 80)
      depth = 0
    }
  }' | sort -rn
