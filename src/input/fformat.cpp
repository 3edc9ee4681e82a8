// Fortran edit-descriptor output as gfortran writes it. The format is parsed
// into a small token list on the stack, then interpreted against the values
// with the usual format control: repeat counts, nested groups, reversion to
// the last top-level group when values remain, and a stop at the first data
// descriptor that has no value left.
#include "input/fformat.hpp"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "input/units.hpp"

namespace riv {
namespace {

enum TokKind : char {
  kInt = 'I',
  kFix = 'F',
  kExp = 'E',
  kDexp = 'D',
  kSci = 'S',
  kGen = 'G',
  kChr = 'A',
  kLog = 'L',
  kSkip = 'X',
  kTab = 'T',
  kTabL = '<',
  kTabR = '>',
  kSlash = '/',
  kDollar = '$',
  kColon = ':',
  kLit = '\'',
  kOpen = '(',
  kClose = ')',
  kFault = '!'
};

struct Tok {
  char kind;
  char quote = 0;  // literal: the quote character (0 for Hollerith)
  int rep = 1;     // repeat count (data descriptors, groups, slash)
  int w = -1, d = -1, e = -1;
  int lit_off = 0, lit_len = 0;
};

constexpr int kMaxToks = 160;
constexpr int kMaxDepth = 24;

bool is_data(char k) {
  return k == kInt || k == kFix || k == kExp || k == kDexp || k == kSci || k == kGen || k == kChr ||
         k == kLog;
}

// Parses the format into toks. The outermost parentheses become the first
// and last tokens; a fault ends the list with kFault.
class Parser {
 public:
  Parser(std::string_view f, Tok* toks) : f_(f), t_(toks) {}

  int run() {
    skip();
    bool outer = p_ < f_.size() && f_[p_] == '(';
    if (outer) ++p_;
    add(Tok{kOpen});
    int depth = 1;
    while (true) {
      if (overflow_) return fault();
      skip();
      if (p_ >= f_.size()) break;
      char c = f_[p_];
      if (c == ',') {
        ++p_;
        continue;
      }
      if (c == ')') {
        ++p_;
        if (--depth == 0) break;
        add(Tok{kClose});
        continue;
      }
      int rep = -1;
      if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+') {
        bool neg = c == '-';
        if (c == '-' || c == '+') ++p_;
        rep = number();
        if (rep < 0) return fault();
        if (neg) rep = -rep;
        skip();
        if (p_ >= f_.size()) return fault();
        c = f_[p_];
      }
      char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (c == '(') {
        ++p_;
        if (++depth > kMaxDepth) return fault();
        Tok t{kOpen};
        t.rep = rep < 0 ? 1 : rep;
        if (t.rep < 1) return fault();
        add(t);
        continue;
      }
      if (u == 'P') {  // scale factor: accepted and ignored
        ++p_;
        continue;
      }
      if (rep < -1 || rep == 0) {
        // A sign or zero belongs to a scale factor only ("0p"); anything else is malformed.
        return fault();
      }
      if (c == '\'' || c == '"') {
        if (!literal(c)) return fault();
        continue;
      }
      ++p_;
      if (!descriptor(u, rep)) return fault();
    }
    for (; depth > 1; --depth) add(Tok{kClose});  // unclosed groups end with the format
    add(Tok{kClose});
    if (overflow_) return fault();
    return n_;
  }

 private:
  // A quoted literal from the opening quote c on (a doubled quote stands for
  // one); false when the format ends inside it.
  bool literal(char c) {
    ++p_;
    Tok t{kLit};
    t.quote = c;
    t.lit_off = static_cast<int>(p_);
    while (true) {
      if (p_ >= f_.size()) return false;
      if (f_[p_] == c) {
        if (p_ + 1 < f_.size() && f_[p_ + 1] == c) {
          p_ += 2;
          continue;
        }
        break;
      }
      ++p_;
    }
    t.lit_len = static_cast<int>(p_) - t.lit_off;
    ++p_;
    add(t);
    return true;
  }

  // The edit descriptor u with repeat count rep (-1: none) after its letter;
  // false when it is malformed.
  bool descriptor(char u, int rep) {
    switch (u) {
      case 'H': {  // Hollerith literal nHtext
        if (rep < 1 || p_ + rep > f_.size()) return false;
        Tok t{kLit};
        t.lit_off = static_cast<int>(p_);
        t.lit_len = rep;
        p_ += rep;
        add(t);
        break;
      }
      case 'X': {
        Tok t{kSkip};
        t.w = rep < 0 ? 1 : rep;
        add(t);
        break;
      }
      case '/': {
        Tok t{kSlash};
        t.rep = rep < 0 ? 1 : rep;
        add(t);
        break;
      }
      case '$':
      case '\\': add(Tok{kDollar}); break;
      case ':': add(Tok{kColon}); break;
      case 'T': {
        Tok t{kTab};
        skip();
        if (p_ < f_.size() && (f_[p_] == 'L' || f_[p_] == 'l'))
          t.kind = kTabL, ++p_;
        else if (p_ < f_.size() && (f_[p_] == 'R' || f_[p_] == 'r'))
          t.kind = kTabR, ++p_;
        skip();
        t.w = number();
        if (t.w < 0 || (t.kind == kTab && t.w < 1)) return false;
        add(t);
        break;
      }
      case 'B':  // BN, BZ: blank control, no effect on output
        skip();
        if (p_ < f_.size() && std::strchr("NZnz", f_[p_])) {
          ++p_;
          break;
        }
        return false;
      case 'S':  // S, SS, SP sign control (ignored) or ES
        skip();
        if (p_ < f_.size() && (f_[p_] == 'E' || f_[p_] == 'e')) {
          ++p_;
          if (!data(kSci, rep)) return false;
          break;
        }
        if (p_ < f_.size() && std::strchr("SPsp", f_[p_])) ++p_;
        break;
      case 'E':
        if (p_ < f_.size() && (f_[p_] == 'S' || f_[p_] == 's')) {
          ++p_;
          if (!data(kSci, rep)) return false;
          break;
        }
        if (!data(kExp, rep)) return false;
        break;
      case 'I':
      case 'F':
      case 'D':
      case 'G':
      case 'A':
      case 'L':
        if (!data(u, rep)) return false;
        break;
      default: return false;
    }
    return true;
  }

  void skip() {
    while (p_ < f_.size() && (f_[p_] == ' ' || f_[p_] == '\t')) ++p_;
  }
  // Unsigned number (blanks inside are ignored as Fortran does); -1 if none.
  int number() {
    skip();
    if (p_ >= f_.size() || !std::isdigit(static_cast<unsigned char>(f_[p_]))) return -1;
    long v = 0;
    while (p_ < f_.size()) {
      char c = f_[p_];
      if (std::isdigit(static_cast<unsigned char>(c))) {
        v = v * 10 + (c - '0');
        if (v > 100000) return -1;
        ++p_;
      } else if (c == ' ') {
        ++p_;
      } else {
        break;
      }
    }
    return static_cast<int>(v);
  }
  bool data(char kind, int rep) {
    Tok t{kind};
    t.rep = rep < 0 ? 1 : rep;
    t.w = number();
    if (t.w < 0 && kind != kChr && kind != kLog && kind != kInt && kind != kGen) {
      // Fw.d and friends need a width; gfortran rejects them otherwise.
      return false;
    }
    skip();
    if (p_ < f_.size() && f_[p_] == '.') {
      ++p_;
      t.d = number();
      if (t.d < 0) return false;
      skip();
      if ((kind == kExp || kind == kDexp || kind == kSci || kind == kGen) && p_ < f_.size() &&
          (f_[p_] == 'E' || f_[p_] == 'e')) {
        size_t save = p_++;
        t.e = number();
        if (t.e < 0) p_ = save;  // an E that starts the next descriptor
      }
    }
    if ((kind == kFix || kind == kExp || kind == kDexp || kind == kSci) && t.d < 0) return false;
    add(t);
    return true;
  }
  void add(const Tok& t) {
    if (n_ < kMaxToks - 2)
      t_[n_++] = t;
    else
      overflow_ = true;
  }
  int fault() {
    t_[n_++] = Tok{kFault};
    return n_;
  }

  std::string_view f_;
  Tok* t_;
  size_t p_ = 0;
  int n_ = 0;
  bool overflow_ = false;
};

// The record being built: the output text with a current column, so that
// T, TL and X can move over text already written. Pending blanks of X at the
// end of a record are not written; on a line kept open with "$" they are
// written when the next write continues the line (a keyword echo
// "(3x,a,1x,$)" leaves one blank before the values).
class Record {
 public:
  explicit Record(std::string& out) : out_(out), start_(out.size()) {}

  void put(const char* s, size_t n) {
    size_t len = out_.size() - start_;
    if (col_ > len) out_.append(col_ - len, ' ');
    size_t at = start_ + col_;
    size_t over = std::min(n, out_.size() - at);
    if (over) std::memcpy(&out_[at], s, over);
    if (n > over) out_.append(s + over, n - over);
    col_ += n;
  }
  void put(std::string_view s) { put(s.data(), s.size()); }
  void blanks(size_t n) {
    static const char kBl[] = "                                ";
    while (n > 0) {
      size_t k = std::min(n, sizeof kBl - 1);
      put(kBl, k);
      n -= k;
    }
  }
  void stars(size_t n) {
    for (size_t i = 0; i < n; ++i) put("*", 1);
  }
  // Text right-justified in a field of width w (w = 0: its own width);
  // asterisks when it does not fit.
  void field(const char* s, size_t n, int w) {
    if (w <= 0) return put(s, n);
    if (n > static_cast<size_t>(w)) return stars(w);
    blanks(w - n);
    put(s, n);
  }
  void skip(size_t n) { col_ += n; }
  void tab(size_t c) { col_ = c; }
  void back(size_t n) { col_ = n > col_ ? 0 : col_ - n; }
  size_t col() const { return col_; }
  size_t pending() const {
    size_t len = out_.size() - start_;
    return col_ > len ? col_ - len : 0;
  }
  void end() {
    out_.push_back('\n');
    start_ = out_.size();
    col_ = 0;
  }

 private:
  std::string& out_;
  size_t start_;
  size_t col_ = 0;
};

// Formatting buffers: Fw.d of a double needs up to 309 integer digits.
constexpr int kBuf = 400;
constexpr int kMaxPrec = 60;

// Inf and NaN in a numeric field of width w, as gfortran writes them.
int infnan(char* b, double x, int w) {
  if (w == 0) w = std::isnan(x) ? 3 : (std::signbit(x) ? 4 : 3);
  if (std::isnan(x)) return w < 3 ? 0 : std::snprintf(b, kBuf, "NaN");
  bool neg = std::signbit(x);
  int room = neg ? w - 1 : w;
  if (room < 3) return 0;
  return std::snprintf(b, kBuf, "%s%s", neg ? "-" : "", room >= 8 ? "Infinity" : "Inf");
}

void write_infnan(Record& r, double x, int w) {
  char b[16];
  int n = infnan(b, x, w);
  if (n == 0) return r.stars(w);
  r.field(b, n, w);
}

// Decimal digits of the unsigned 128-bit integer v into p; returns their count.
int u128_digits(char* p, unsigned __int128 v) {
  char t[40];
  int k = 0;
  while (v > 0xFFFFFFFFFFFFFFFFull) {
    const unsigned __int128 q = v / 10000000000000000000ull;  // 10^19
    unsigned long long lo = static_cast<unsigned long long>(v - q * 10000000000000000000ull);
    for (int i = 0; i < 19; ++i, lo /= 10) t[k++] = static_cast<char>('0' + lo % 10);
    v = q;
  }
  unsigned long long w = static_cast<unsigned long long>(v);
  do {
    t[k++] = static_cast<char>('0' + w % 10);
    w /= 10;
  } while (w);
  for (int i = 0; i < k; ++i) p[i] = t[k - 1 - i];
  return k;
}

// "%.*f" of a finite a >= 0 by exact integer arithmetic: a = m 2^e, so
// a 10^d = m 10^d 2^e, rounded to an integer with ties to even, is the
// number the C library prints. Covers a < 2^50 with d <= 17 (products below
// 2^110); returns -1 otherwise, and the caller takes the C library.
int fixed_digits(char* p, double a, int d) {
  if (!(a < 1125899906842624.0) || d > 17) return -1;  // 2^50
  static constexpr unsigned long long kPow10[18] = {1ull,
                                                    10ull,
                                                    100ull,
                                                    1000ull,
                                                    10000ull,
                                                    100000ull,
                                                    1000000ull,
                                                    10000000ull,
                                                    100000000ull,
                                                    1000000000ull,
                                                    10000000000ull,
                                                    100000000000ull,
                                                    1000000000000ull,
                                                    10000000000000ull,
                                                    100000000000000ull,
                                                    1000000000000000ull,
                                                    10000000000000000ull,
                                                    100000000000000000ull};
  unsigned long long bits;
  std::memcpy(&bits, &a, sizeof bits);
  const int be = static_cast<int>(bits >> 52);  // biased exponent (a >= 0)
  unsigned long long m = bits & 0xFFFFFFFFFFFFFull;
  int sh = -1074;  // a = m 2^sh
  if (be != 0) {
    m |= 1ull << 52;
    sh = be - 1075;
  }
  unsigned __int128 q;
  if (a == 0.0) {
    q = 0;
  } else if (sh >= 0) {
    q = (static_cast<unsigned __int128>(m) << sh) * kPow10[d];
  } else {
    const unsigned __int128 prod = static_cast<unsigned __int128>(m) * kPow10[d];
    const int k = -sh;
    if (k >= 120) {
      q = 0;  // below 2^-10 of a unit in the last place: rounds to 0
    } else {
      q = prod >> k;
      const unsigned __int128 rest = prod - (q << k);
      const unsigned __int128 half = static_cast<unsigned __int128>(1) << (k - 1);
      if (rest > half || (rest == half && (q & 1))) ++q;
    }
  }
  char dig[48];
  int nd = u128_digits(dig, q);
  // At least one digit before the point.
  int lead = nd <= d ? d + 1 - nd : 0;
  int n = 0;
  const int nint = nd + lead - d;
  for (int i = 0; i < lead; ++i) p[n++] = '0';
  std::memcpy(p + n, dig, nd);
  n += nd;
  if (d > 0) {
    std::memmove(p + nint + 1, p + nint, d);
    p[nint] = '.';
    ++n;
  }
  p[n] = 0;
  return n;
}

// Fw.d: the exact binary value rounded to d decimals (ties to even, as
// gfortran leaves rounding to the C library). A zero integer part keeps its
// "0" only when the field has room; a negative value that rounds to zero
// keeps its sign.
int fixed_text(char* b, double x, int w, int d) {
  bool neg = std::signbit(x);
  double a = std::fabs(x);
  if (d > kMaxPrec) d = kMaxPrec;
  if (w > 0 && a >= 1e300) return -1;
  char* p = b + 1;
  int n = fixed_digits(p, a, d);
  if (n < 0) n = std::snprintf(p, kBuf - 2, "%.*f", d, a);
  if (n <= 0 || n >= kBuf - 3) return -1;
  if (d == 0) p[n++] = '.';
  p[n] = 0;
  if (neg) *--p = '-';
  int len = n + (neg ? 1 : 0);
  // Drop the leading zero of "0.xx" when it does not fit, or for w = 0;
  // "0." keeps it, a field needs at least one digit.
  char* z = neg ? p + 1 : p;
  if (z[0] == '0' && z[1] == '.' && d > 0 && (w == 0 || len > w)) {
    std::memmove(z, z + 1, std::strlen(z + 1) + 1);
    --len;
  }
  if (p != b) std::memmove(b, p, len + 1);
  return len;
}

void write_fixed(Record& r, double x, int w, int d) {
  if (!std::isfinite(x)) return write_infnan(r, x, w);
  char b[kBuf];
  int n = fixed_text(b, x, w, d);
  if (n < 0 || (w > 0 && n > w)) return r.stars(w);
  r.field(b, n, w);
}

// Significant digits of |x| rounded to nd digits: fills digs (nd chars) and
// returns the decimal exponent ex with |x| ~ d.ddd * 10^ex (0 for zero).
int sig_digits(double a, int nd, char* digs) {
  char b[kMaxPrec + 16];
  if (nd < 1) nd = 1;
  if (nd > kMaxPrec) nd = kMaxPrec;
  std::snprintf(b, sizeof b, "%.*e", nd - 1, a);
  int k = 0;
  const char* q = b;
  for (; *q && *q != 'e'; ++q)
    if (*q != '.') digs[k++] = *q;
  int ex = (*q == 'e') ? std::atoi(q + 1) : 0;
  return a == 0.0 ? 0 : ex;
}

// Exponent form: style 0 "0.ddddE+ee" (E, D), style 1 "d.ddddE+ee" (ES and
// list-directed). d digits after the point, e exponent digits (-1: default,
// which drops the letter for a three-digit exponent). Returns the length,
// or -1 when the exponent cannot be written.
int exp_text(char* b, double x, int w, int d, int e, char letter, int style) {
  bool neg = std::signbit(x);
  double a = std::fabs(x);
  if (d > kMaxPrec - 1) d = kMaxPrec - 1;
  int nd = style == 0 ? d : d + 1;
  char digs[kMaxPrec + 2];
  int ex;
  if (nd < 1) {  // E w.0: round to one digit and show none
    ex = sig_digits(a, 1, digs) + 1;
    if (a == 0.0) ex = 0;
    nd = 0;
  } else {
    ex = sig_digits(a, nd, digs);
    if (style == 0 && a != 0.0) ex += 1;
  }
  char eb[16];
  int ae = std::abs(ex);
  const char* sg = ex < 0 ? "-" : "+";
  if (e < 0) {
    if (ae <= 99)
      std::snprintf(eb, sizeof eb, "%c%s%02d", letter, sg, ae);
    else if (ae <= 999)
      std::snprintf(eb, sizeof eb, "%s%03d", sg, ae);
    else
      return -1;
  } else {
    int ee = e < 1 ? 1 : (e > 9 ? 9 : e);
    eb[0] = letter;
    eb[1] = *sg;
    int v = ae;
    for (int k = ee; k >= 1; --k, v /= 10) eb[1 + k] = static_cast<char>('0' + v % 10);
    if (v != 0) return -1;  // the exponent needs more digits than the field has
    eb[2 + ee] = 0;
  }
  int n = 0;
  if (neg) b[n++] = '-';
  if (style == 0) {
    int need = n + 1 + nd + static_cast<int>(std::strlen(eb));
    if (w <= 0 || need + 1 <= w) b[n++] = '0';
    b[n++] = '.';
    std::memcpy(b + n, digs, nd);
    n += nd;
  } else {
    b[n++] = digs[0];
    b[n++] = '.';
    std::memcpy(b + n, digs + 1, nd - 1);
    n += nd - 1;
  }
  int el = static_cast<int>(std::strlen(eb));
  std::memcpy(b + n, eb, el);
  n += el;
  b[n] = 0;
  return n;
}

void write_exp(Record& r, double x, int w, int d, int e, char letter, int style) {
  if (!std::isfinite(x)) return write_infnan(r, x, w);
  char b[kMaxPrec + 32];
  int n = exp_text(b, x, w, d, e, letter, style);
  if (n < 0 || (w > 0 && n > w)) return r.stars(w);
  r.field(b, n, w);
}

// Gw.d (and the list-directed real form, style 1): fixed form with d
// significant digits followed by trail blanks when the rounded value lies in
// [0.1, 10^d), otherwise the exponent form.
void write_general(Record& r, double x, int w, int d, int e, int style, int trail_e) {
  if (!std::isfinite(x)) return write_infnan(r, x, w);
  double a = std::fabs(x);
  int nd = d < 1 ? 1 : d;
  char digs[kMaxPrec + 2];
  int ex = sig_digits(a, nd, digs);
  if (a == 0.0 || (ex >= -1 && ex < nd)) {
    int trail = trail_e + 2;
    int dec = a == 0.0 ? nd - 1 : nd - 1 - ex;
    int fw = w > 0 ? w - trail : 0;
    char b[kBuf];
    int n = fixed_text(b, x, fw, dec);
    if (n < 0 || (w > 0 && (fw <= 0 || n > fw))) return r.stars(w);
    r.field(b, n, fw);
    r.blanks(trail);
    return;
  }
  write_exp(r, x, w, style == 1 ? nd - 1 : nd, e, 'E', style);
}

void write_int(Record& r, long long v, int w, int m) {
  char b[48];
  unsigned long long mag =
      v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  if (m == 0 && v == 0) return r.blanks(w < 0 ? 0 : w);
  char digs[24];
  int nd = 0;
  do {
    digs[nd++] = static_cast<char>('0' + mag % 10);
    mag /= 10;
  } while (mag);
  int n = 0;
  if (v < 0) b[n++] = '-';
  if (m > 22) m = 22;
  for (int i = nd; i < m; ++i) b[n++] = '0';
  while (nd) b[n++] = digs[--nd];
  r.field(b, n, w < 0 ? 0 : w);
}

// A real handed to an integer field is written rounded; out of range or not
// finite it fills the field with asterisks.
void write_int_of_real(Record& r, double x, int w, int m) {
  if (!std::isfinite(x) || std::fabs(x) >= 9.2e18) return r.stars(w < 1 ? 1 : w);
  write_int(r, std::llround(x), w, m);
}

void write_text(Record& r, std::string_view s, int w) {
  if (w < 0) return r.put(s);
  if (static_cast<int>(s.size()) >= w) return r.put(s.substr(0, w));
  r.blanks(w - s.size());
  r.put(s);
}

// Literal text with its doubled quotes made single.
void write_literal(Record& r, std::string_view f, const Tok& t) {
  std::string_view s = f.substr(t.lit_off, t.lit_len);
  if (!t.quote) return r.put(s);
  size_t i = 0;
  while (i < s.size()) {
    size_t j = s.find(t.quote, i);
    if (j == std::string_view::npos) return r.put(s.substr(i));
    r.put(s.substr(i, j - i + 1));
    i = j + 2;
  }
}

// List-directed text of one value without its separator.
void list_value(Record& r, const FArg& a);

// A value that does not match its descriptor is written in the nearest
// sensible way rather than dropped: numbers convert between integer and
// real fields, texts and logicals in numeric fields become asterisks.
void write_item(Record& r, const Tok& t, const FArg& a) {
  using K = FArg::Kind;
  bool real = a.kind == K::Real || a.kind == K::Double;
  double x = real ? a.d : static_cast<double>(a.i);
  switch (t.kind) {
    case kInt:
      if (a.kind == K::Int) return write_int(r, a.i, t.w, t.d);
      if (real) return write_int_of_real(r, x, t.w, t.d);
      return r.stars(t.w < 1 ? 1 : t.w);
    case kFix:
    case kExp:
    case kDexp:
    case kSci:
    case kGen:
      if (t.kind == kGen && !real) {
        if (a.kind == K::Int) return write_int(r, a.i, t.w, -1);
        if (a.kind == K::Logical) return r.field(a.i ? "T" : "F", 1, t.w);
        return write_text(r, a.s, t.w > 0 ? t.w : -1);
      }
      if (a.kind == K::Text || a.kind == K::Logical) return r.stars(t.w < 1 ? 1 : t.w);
      if (t.kind == kFix) return write_fixed(r, x, t.w, t.d);
      if (t.kind == kExp) return write_exp(r, x, t.w, t.d, t.e, 'E', 0);
      if (t.kind == kDexp) return write_exp(r, x, t.w, t.d, t.e, 'D', 0);
      if (t.kind == kSci) return write_exp(r, x, t.w, t.d, t.e, 'E', 1);
      if (t.w == 0 || t.d < 0) {  // G0: as list-directed, without leading blanks
        return list_value(r, a);
      }
      return write_general(r, x, t.w, t.d, t.e, 0, t.e < 0 ? 2 : t.e);
    case kChr:
      if (a.kind == K::Text) return write_text(r, a.s, t.w);
      if (t.w < 0) return list_value(r, a);
      {
        std::string tmp;
        Record sub(tmp);
        list_value(sub, a);
        std::string_view v = tmp;
        while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
        return write_text(r, v, t.w);
      }
    case kLog: {
      bool v = a.kind == K::Text ? !a.s.empty() : (real ? a.d != 0.0 : a.i != 0);
      return r.field(v ? "T" : "F", 1, t.w < 1 ? 1 : t.w);
    }
    default: return;
  }
}

// List-directed forms: integers in 11 columns (20 beyond 32 bits), REAL(4)
// with 9 and REAL(8) with 17 significant digits in 16 and 25 columns,
// logicals as T or F, texts as they stand.
void list_value(Record& r, const FArg& a) {
  using K = FArg::Kind;
  switch (a.kind) {
    case K::Int: {
      bool wide = a.i > 2147483647LL || a.i < -2147483648LL;
      return write_int(r, a.i, wide ? 20 : 11, -1);
    }
    case K::Real: return write_general(r, a.d, 16, 9, 2, 1, 2);
    case K::Double: return write_general(r, a.d, 25, 17, 3, 1, 3);
    case K::Logical: return r.put(a.i ? "T" : "F", 1);
    case K::Text: return r.put(a.s);
  }
}

void list_into(std::string& out, std::span<const FArg> args) {
  Record r(out);
  if (args.empty()) return r.end();  // an empty list writes an empty record
  r.put(" ", 1);
  bool prev_text = false;
  bool first = true;
  for (const FArg& a : args) {
    bool text = a.kind == FArg::Kind::Text;
    if (!first && !(text && prev_text)) r.put(" ", 1);
    list_value(r, a);
    prev_text = text;
    first = false;
  }
  r.end();
}

}  // namespace

namespace {

// A format parsed once: its tokens and the reversion point (the last group
// opened at the top level, else the whole format). Literal tokens point into
// the format text, which is the same text at every use.
struct Compiled {
  std::vector<Tok> toks;
  int rev = 0;
};

struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// Formats keyed by their text. Formats built at run time could grow the
// cache without end, so it starts afresh beyond kMaxCached entries.
constexpr size_t kMaxCached = 4096;

Compiled compile(std::string_view format);

const Compiled& compiled(std::string_view format) {
  static std::unordered_map<std::string, Compiled, TextHash, std::equal_to<>> cache;
  // The formats used last, by the address of their text: a loop writing one
  // format finds it without hashing. The text is compared, since a format
  // built at run time may reuse an address with another text.
  struct Recent {
    const char* p = nullptr;
    const std::string* key = nullptr;
    const Compiled* c = nullptr;
  };
  static Recent recent[4];
  static unsigned next = 0;
  for (const Recent& r : recent) {
    if (r.p == format.data() && r.key && *r.key == format) return *r.c;
  }
  auto it = cache.find(format);
  if (it == cache.end()) {
    if (cache.size() >= kMaxCached) {
      cache.clear();
      for (Recent& r : recent) r = Recent{};
    }
    it = cache.emplace(std::string(format), compile(format)).first;
  }
  recent[next++ % 4] = Recent{format.data(), &it->first, &it->second};
  return it->second;
}

Compiled compile(std::string_view format) {
  Tok toks[kMaxToks];
  const int nt = Parser(format, toks).run();
  Compiled c;
  c.toks.assign(toks, toks + nt);
  int depth = 0;
  for (int i = 0; i < nt; ++i) {
    if (toks[i].kind == kOpen) {
      if (depth == 1) c.rev = i;
      ++depth;
    } else if (toks[i].kind == kClose) {
      --depth;
    }
  }
  return c;
}

void fformat_open(std::string& out, std::string_view format, std::span<const FArg> args,
                  size_t& pending);

}  // namespace

std::string fformat(std::string_view format, std::span<const FArg> args) {
  size_t pending = 0;
  std::string out;
  out.reserve(64);
  fformat_open(out, format, args, pending);
  out.append(pending, ' ');
  return out;
}

namespace {
// The text of the write appended to out; on a line kept open with "$",
// `pending` receives the blanks that X positioned after the last character:
// they are written only when the next write continues the line.
void fformat_open(std::string& out, std::string_view format, std::span<const FArg> args,
                  size_t& pending) {
  const Compiled& cf = compiled(format);
  const Tok* toks = cf.toks.data();
  const int nt = static_cast<int>(cf.toks.size());
  const int rev = cf.rev;
  Record rec(out);

  const FArg* arg = args.data();
  const FArg* arg_end = arg + args.size();

  struct Level {
    int open;
    int left;
  };
  Level stack[kMaxDepth + 2];
  int sp = 0;
  stack[sp++] = {0, 1};
  bool dollar = false;
  bool used_since_rev = false;
  int i = 1;
  while (i < nt) {
    const Tok& t = toks[i];
    if (is_data(t.kind)) {
      for (int k = 0; k < t.rep; ++k) {
        if (arg == arg_end) goto done;
        write_item(rec, t, *arg++);
        used_since_rev = true;
      }
      ++i;
      continue;
    }
    switch (t.kind) {
      case kOpen:
        if (sp < kMaxDepth + 2) stack[sp++] = {i, t.rep};
        ++i;
        break;
      case kClose:
        if (sp == 1) {  // end of the format
          if (arg == arg_end || !used_since_rev) goto done;
          rec.end();
          used_since_rev = false;
          if (rev == 0) {
            i = 1;
          } else {
            stack[sp++] = {rev, toks[rev].rep};
            i = rev + 1;
          }
          break;
        }
        if (--stack[sp - 1].left > 0) {
          i = stack[sp - 1].open + 1;
        } else {
          --sp;
          ++i;
        }
        break;
      case kLit:
        write_literal(rec, format, t);
        ++i;
        break;
      case kSkip:
        rec.skip(t.w);
        ++i;
        break;
      case kTab:
        rec.tab(t.w - 1);
        ++i;
        break;
      case kTabL:
        rec.back(t.w);
        ++i;
        break;
      case kTabR:
        rec.skip(t.w);
        ++i;
        break;
      case kSlash:
        for (int k = 0; k < t.rep; ++k) rec.end();
        ++i;
        break;
      case kDollar:
        dollar = true;
        ++i;
        break;
      case kColon:
        if (arg == arg_end) goto done;
        ++i;
        break;
      default: goto done;  // fault in the format
    }
  }
done:
  if (dollar)
    pending = rec.pending();
  else
    rec.end();
}
}  // namespace

std::string fformat(std::string_view format, std::initializer_list<FArg> args) {
  return fformat(format, std::span<const FArg>(args.begin(), args.size()));
}

void fwrite(int unit, std::string_view format, std::span<const FArg> args) {
  // One buffer for every write: its capacity stays, so a write allocates nothing.
  static std::string text;
  text.clear();
  size_t pending = 0;
  fformat_open(text, format, args, pending);
  uwrite(unit, text, pending);
}

void fwrite(int unit, std::string_view format, std::initializer_list<FArg> args) {
  fwrite(unit, format, std::span<const FArg>(args.begin(), args.size()));
}

std::string flist(std::span<const FArg> args) {
  std::string out;
  out.reserve(64);
  list_into(out, args);
  return out;
}

std::string flist(std::initializer_list<FArg> args) {
  return flist(std::span<const FArg>(args.begin(), args.size()));
}

void fwritel(int unit, std::initializer_list<FArg> args) {
  static std::string text;
  text.clear();
  list_into(text, std::span<const FArg>(args.begin(), args.size()));
  uwrite(unit, text);
}

}  // namespace riv
