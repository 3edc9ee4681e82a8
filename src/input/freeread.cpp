// List-directed reading of one record, as gfortran reads an internal file:
// values separated by blanks, tabs, commas (or semicolons), "/" ending the
// list, r*value repeats, r* and empty fields as null values, quoted texts.
#include "input/freeread.hpp"

#include <charconv>
#include <climits>
#include <limits>
#include <cstring>

namespace riv {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool is_sep(char c) { return is_blank(c) || c == ',' || c == ';' || c == '/'; }

// One value of the record: text (unquoted or the inside of quotes) or null.
struct Value {
  bool null = false;
  bool quoted = false;
  char quote = 0;
  std::string_view text;
};

class Lexer {
 public:
  explicit Lexer(std::string_view s) : s_(s) {}

  enum class Got { Value, Slash, End, Bad };

  // Next value with its repeat count. A comma (or the record start followed
  // by a comma) with no value before it is a null value.
  Got next(Value& v, long& rep) {
    v = Value{};
    rep = 1;
    skip_blanks();
    if (p_ >= s_.size()) return Got::End;
    char c = s_[p_];
    if (c == '/') return Got::Slash;
    if (c == ',' || c == ';') {
      ++p_;
      v.null = true;
      return Got::Value;
    }
    // A repeat count: digits directly followed by '*'.
    size_t q = p_;
    while (q < s_.size() && s_[q] >= '0' && s_[q] <= '9') ++q;
    if (q > p_ && q < s_.size() && s_[q] == '*') {
      long r = 0;
      for (size_t k = p_; k < q; ++k) {
        r = r * 10 + (s_[k] - '0');
        if (r > INT_MAX) return Got::Bad;
      }
      if (r == 0) return Got::Bad;
      rep = r;
      p_ = q + 1;
      if (p_ >= s_.size() || is_sep(s_[p_])) {  // r* alone: r null values
        v.null = true;
        after_value();
        return Got::Value;
      }
    }
    c = s_[p_];
    if (c == '\'' || c == '"') {
      size_t start = ++p_;
      while (p_ < s_.size()) {
        if (s_[p_] == c) {
          if (p_ + 1 < s_.size() && s_[p_ + 1] == c) {
            p_ += 2;
            continue;
          }
          break;
        }
        ++p_;
      }
      v.quoted = true;
      v.quote = c;
      v.text = s_.substr(start, p_ - start);
      if (p_ < s_.size()) ++p_;  // closing quote (an unclosed one runs to the end)
      if (p_ < s_.size() && !is_sep(s_[p_])) return Got::Bad;
      after_value();
      return Got::Value;
    }
    size_t start = p_;
    while (p_ < s_.size() && !is_sep(s_[p_])) ++p_;
    v.text = s_.substr(start, p_ - start);
    after_value();
    return Got::Value;
  }

 private:
  void skip_blanks() {
    while (p_ < s_.size() && is_blank(s_[p_])) ++p_;
  }
  // The separator after a value: blanks and at most one comma; a slash is
  // left for the next call.
  void after_value() {
    skip_blanks();
    if (p_ < s_.size() && (s_[p_] == ',' || s_[p_] == ';')) ++p_;
  }

  std::string_view s_;
  size_t p_ = 0;
};

bool read_int(std::string_view t, int& out) {
  size_t i = 0;
  bool neg = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  if (i >= t.size()) return false;
  long long v = 0;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;  // overflow
  }
  if (neg) v = -v;
  if (v > INT_MAX || v < INT_MIN) return false;
  out = static_cast<int>(v);
  return true;
}

bool ieq(std::string_view a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if ((a[i] | 0x20) != b[i]) return false;
  return true;
}

// A real in any of the list-directed forms: [sign] digits [. digits]
// [exponent], the exponent being e, E, d, D, q or Q with an optional sign,
// or a bare sign ("1.5+3"); at least one mantissa digit. Also Inf, Infinity
// and NaN. The text is rewritten into buf for the correctly rounded
// conversion of from_chars.
template <class T>
bool read_real(std::string_view t, T& out) {
  size_t i = 0;
  bool neg = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  std::string_view body = t.substr(i);
  if (ieq(body, "inf") || ieq(body, "infinity")) {
    out = neg ? -std::numeric_limits<T>::infinity() : std::numeric_limits<T>::infinity();
    return true;
  }
  if (ieq(body, "nan")) {
    out = std::numeric_limits<T>::quiet_NaN();
    return true;
  }
  char buf[128];
  size_t n = 0;
  int mdigits = 0;
  auto push = [&](char c) {
    if (n < sizeof buf - 1) buf[n++] = c;
  };
  // Mantissa: leading zeros are dropped so that long texts still fit.
  bool lead = true;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
    ++mdigits;
    if (lead && t[i] == '0') continue;
    lead = false;
    push(t[i]);
  }
  if (n == 0) push('0');
  if (i < t.size() && t[i] == '.') {
    push('.');
    for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
      ++mdigits;
      push(t[i]);
    }
  }
  if (mdigits == 0) return false;
  if (i < t.size()) {
    char c = static_cast<char>(t[i] | 0x20);
    if (c == 'e' || c == 'd' || c == 'q')
      ++i;
    else if (t[i] != '+' && t[i] != '-')
      return false;
    push('e');
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) push(t[i++]);
    size_t ed = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++ed) {
      if (ed < 6)
        push(t[i]);
      else
        return false;  // an exponent of seven digits is no number we can hold
    }
    if (ed == 0 || i != t.size()) return false;
  }
  if (n >= sizeof buf - 1) return false;  // too many digits to convert exactly
  T v{};
  auto res = std::from_chars(buf, buf + n, v);
  if (res.ptr != buf + n) return false;
  if (res.ec == std::errc::result_out_of_range) {
    // As gfortran: too large becomes infinity, too small zero.
    bool big = false;
    for (size_t k = 0; k < n; ++k)
      if (buf[k] == 'e') big = buf[k + 1] != '-';
    v = big ? std::numeric_limits<T>::infinity() : T(0);
  } else if (res.ec != std::errc()) {
    return false;
  }
  out = neg ? -v : v;
  return true;
}

// Copies a text value into a field, cut or blank padded; doubled quotes of
// a quoted value become single.
void read_text(const Value& v, char* f, int len) {
  int k = 0;
  std::string_view t = v.text;
  for (size_t i = 0; i < t.size() && k < len; ++i) {
    f[k++] = t[i];
    if (v.quoted && t[i] == v.quote && i + 1 < t.size() && t[i + 1] == v.quote) ++i;
  }
  if (k < len) std::memset(f + k, ' ', len - k);
}

bool store(const FTarget& t, const Value& v) {
  switch (t.kind) {
    case FTarget::Kind::Int: return !v.quoted && read_int(v.text, *static_cast<int*>(t.p));
    case FTarget::Kind::Real: return !v.quoted && read_real(v.text, *static_cast<float*>(t.p));
    case FTarget::Kind::Double: return !v.quoted && read_real(v.text, *static_cast<double*>(t.p));
    case FTarget::Kind::Text: read_text(v, static_cast<char*>(t.p), t.len); return true;
  }
  return false;
}

}  // namespace

int fread_list(std::string_view text, std::initializer_list<FTarget> targets) {
  Lexer lex(text);
  Value v;
  long rep = 0;
  int item = 0;
  for (const FTarget& t : targets) {
    ++item;
    if (rep == 0) {
      switch (lex.next(v, rep)) {
        case Lexer::Got::Value: break;
        case Lexer::Got::Slash: return 0;
        case Lexer::Got::End: return -1;
        case Lexer::Got::Bad: return item;
      }
    }
    --rep;
    if (!v.null && !store(t, v)) return item;
  }
  return 0;
}

}  // namespace riv
