// Fixed-length, blank-padded character fields, as the model records and the
// input language hold their texts (section names of 8 characters, input lines
// of 128, file names of 60...). Comparisons are exact on the padded field.
#pragma once
#include <algorithm>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace riv {

// Trimmed length of a text: the length without trailing blanks.
inline int len_trim(std::string_view s) {
  int n = static_cast<int>(s.size());
  while (n > 0 && s[n - 1] == ' ') --n;
  return n;
}

inline std::string_view trim_right(std::string_view s) { return s.substr(0, len_trim(s)); }

// Copy s into the field f, cut or blank padded to its length.
inline void fassign(std::span<char> f, std::string_view s) {
  size_t n = std::min(f.size(), s.size());
  if (n) std::memmove(f.data(), s.data(), n);
  if (f.size() > n) std::memset(f.data() + n, ' ', f.size() - n);
}

// Equality of two texts as blank-padded fields (the shorter one is padded).
inline bool fequal(std::string_view a, std::string_view b) {
  return trim_right(a) == trim_right(b);
}

template <int N>
struct FStr {
  static_assert(N > 0);
  char c[N];

  FStr() { std::memset(c, ' ', N); }
  FStr(std::string_view s) { fassign(span(), s); }  // NOLINT: implicit on purpose
  FStr(const char* s) { fassign(span(), std::string_view(s)); }
  FStr& operator=(std::string_view s) {
    fassign(span(), s);
    return *this;
  }
  FStr& operator=(const char* s) { return *this = std::string_view(s); }

  static constexpr int size() { return N; }
  std::span<char> span() { return {c, static_cast<size_t>(N)}; }
  std::string_view view() const { return {c, static_cast<size_t>(N)}; }
  std::string_view trimmed() const { return trim_right(view()); }
  std::string str() const { return std::string(trimmed()); }
  int len_trim() const { return riv::len_trim(view()); }
  bool blank() const { return len_trim() == 0; }
  void clear() { std::memset(c, ' ', N); }

  // 1-based character access, as the routines that work on fields count.
  char& operator()(int i) { return c[i - 1]; }
  char operator()(int i) const { return c[i - 1]; }
  // Substring i..j (1-based, inclusive), clipped to the field.
  std::string_view sub(int i, int j) const {
    i = std::max(i, 1);
    j = std::min(j, N);
    if (j < i) return {};
    return {c + i - 1, static_cast<size_t>(j - i + 1)};
  }

  operator std::span<char>() { return span(); }         // NOLINT
  operator std::string_view() const { return view(); }  // NOLINT

  bool operator==(const FStr& o) const { return std::memcmp(c, o.c, N) == 0; }
  bool operator==(std::string_view s) const { return fequal(view(), s); }
};

}  // namespace riv
