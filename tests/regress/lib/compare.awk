# Compares a result file with its expected file, line by line and word by
# word: words that are numbers may differ within the tolerances below, all
# other words must be equal.
#   awk -f compare.awk EXPECTED ACTUAL
# Prints each difference and exits 1 when there is one.
#
# Tolerances (the numbers are the printed ones, so a tolerance is stated in
# units of the last digit printed):
#   LAST_DIGIT_UNITS  a number may differ by this many units of its last
#                     printed digit: a level printed as 412.26 may read
#                     412.25 or 412.27 when another build rounds the
#                     single-precision value on the other side of the half.
#   RELATIVE          and in addition by this fraction of its size, for
#                     numbers printed with an exponent or many digits.
BEGIN {
  LAST_DIGIT_UNITS = 1
  RELATIVE = 1.0e-5
  MAX_REPORTED = 20
  ACTUAL = ARGV[2]
  NUMBER = "^[-+]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eEdD][-+]?[0-9]+)?$"
}
function decimals(w,    p, m) {
  m = w
  sub(/[eEdD].*$/, "", m)
  p = index(m, ".")
  return p ? length(m) - p : 0
}
function exponent(w) { return match(w, /[eEdD][-+]?[0-9]+$/) ? substr(w, RSTART + 1) + 0 : 0 }
function numval(w) { gsub(/[dD]/, "e", w); return w + 0 }
function close_enough(e, a,    ve, va, unit, d) {
  if (e == a) return 1
  if (e !~ NUMBER || a !~ NUMBER) return 0
  ve = numval(e); va = numval(a)
  unit = 10 ^ (exponent(e) - decimals(e))
  d = ve - va; if (d < 0) d = -d
  return d <= LAST_DIGIT_UNITS * unit * 1.0001 + RELATIVE * (ve < 0 ? -ve : ve)
}
function differ(n, e, a) {
  bad++
  if (bad <= MAX_REPORTED) printf "%s line %d:\n  expected: %s\n  actual:   %s\n", ACTUAL, n, e, a
}
FILENAME == ARGV[1] { exp_line[FNR] = $0; nexp = FNR; next }
{
  nact = FNR
  e = exp_line[FNR]
  ne = split(e, we, /[ \t]+/)
  na = split($0, wa, /[ \t]+/)
  if (ne != na) { differ(FNR, e, $0); next }
  for (i = 1; i <= ne; i++) if (!close_enough(we[i], wa[i])) { differ(FNR, e, $0); break }
}
END {
  if (nact != nexp) { printf "%s: %d lines, expected %d\n", ACTUAL, nact, nexp; bad++ }
  exit bad > 0
}
