// Character work on blank-padded fields: words, quotes and digit strings.
#include <climits>

#include "input/input.hpp"

namespace riv {
namespace {

// Visible characters: "!" to "}". Blank, tilde, DEL, control characters and
// bytes from 128 up are not.
inline bool visible(char c) {
  auto u = static_cast<unsigned char>(c);
  return u >= 33 && u <= 125;
}
// Word characters end at a blank or a control character only.
inline bool wordchar(char c) { return static_cast<unsigned char>(c) > 32; }

// Moves s(from..) (0-based) to the start of s and pads with blanks.
void shift_left(std::span<char> s, size_t from, size_t to_excl) {
  size_t n = s.size();
  size_t k = 0;
  for (size_t i = from; i < to_excl && i < n; ++i) s[k++] = s[i];
  for (; k < n; ++k) s[k] = ' ';
}

}  // namespace

int lenbl(std::string_view s) {
  int n = static_cast<int>(s.size());
  for (int i = 0; i < n; ++i)
    if (visible(s[i])) return i;
  return 0;
}

int lenxt(std::string_view s) {
  int n = static_cast<int>(s.size());
  for (int i = 0; i + 1 < n; ++i)
    if (wordchar(s[i]) && !wordchar(s[i + 1])) return i + 1;
  return n;
}

void rrwrd(std::span<char> s, std::span<char> word, int& lw) {
  size_t n = s.size();
  if (n == 0) {
    lw = 0;
    fassign(word, "");
    return;
  }
  std::string_view sv(s.data(), n);
  int k = lenbl(sv);
  int e = static_cast<int>(n);
  while (e > 0 && !visible(s[e - 1])) --e;
  if (e == 0) {
    lw = 0;
    fassign(word, "");
    return;
  }
  shift_left(s, static_cast<size_t>(k), static_cast<size_t>(e));
  lw = lenxt(sv);
  fassign(word, sv.substr(0, static_cast<size_t>(lw)));
}

void rrxwrd(std::span<char> s, std::span<char> word, int& lw) {
  rrwrd(s, word, lw);
  if (lw == 0) return;
  std::string_view sv(s.data(), s.size());
  int t = len_trim(sv);
  shift_left(s, static_cast<size_t>(lw), static_cast<size_t>(t));
  int k = lenbl(sv);
  if (k > 0) shift_left(s, static_cast<size_t>(k), s.size());
  if (!word.empty() && word[0] == '\'') {
    // Drop the opening quote and the last character of the word.
    int last = std::min<int>(lw - 1, static_cast<int>(word.size()));
    size_t m = 0;
    for (int i = 1; i < last; ++i) word[m++] = word[i];
    for (; m < word.size(); ++m) word[m] = ' ';
    lw -= 2;
  }
}

int iicnv(std::string_view s) {
  int t = len_trim(s);
  if (t == 0) return 0;
  int i = 0;
  while (i < t && s[i] == ' ') ++i;
  long long v = 0;
  for (int j = i; j < t; ++j) {
    char c = s[j];
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (c - '0');
    // A digit string beyond the integer range is no valid count: 0.
    if (v > INT_MAX) return 0;
  }
  return static_cast<int>(v);
}

int iilen(std::string_view s) {
  fwritel(kStdout, {"!!iilen obsolet: replace with intrinsic function len_trim"});
  return len_trim(s);
}

}  // namespace riv
