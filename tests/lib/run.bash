# Sourced by the whole-run test scripts, which are called with the program
# ($1) and the source tree ($2): the script runs in a scratch folder that is
# removed at exit; fails records a failure and says what failed.
exe=$1
src=$2
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
cd "$d" || exit 1
fail=0
fails() { echo "FAIL: $*"; fail=1; }
