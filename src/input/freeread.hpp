// Free-format (list-directed) reading of values from a text, as the keyword
// lines of the model input are read: values separated by blanks or commas,
// "/" ends the values and leaves the remaining variables untouched, quoted
// strings, repeat forms such as 3*1.5, and null values (",,") that leave a
// variable as it was.
#pragma once
#include <initializer_list>
#include <span>
#include <string_view>

#include "input/ftext.hpp"

namespace riv {

// One variable to be read.
struct FTarget {
  enum class Kind { Int, Real, Double, Text };
  Kind kind;
  void* p;
  int len = 0;  // field length for Text

  FTarget(int& v) : kind(Kind::Int), p(&v) {}        // NOLINT
  FTarget(float& v) : kind(Kind::Real), p(&v) {}     // NOLINT
  FTarget(double& v) : kind(Kind::Double), p(&v) {}  // NOLINT
  FTarget(std::span<char> v)                         // NOLINT
      : kind(Kind::Text), p(v.data()), len(static_cast<int>(v.size())) {}
  template <int N>
  FTarget(FStr<N>& v) : kind(Kind::Text), p(v.c), len(N) {}  // NOLINT
};

// Reads the targets in order from text. Returns 0 when every target got a
// value or a "/" ended the list; a negative value when the text ended before
// all targets were read (Fortran's end of file); a positive value when a
// value cannot be read (text where a number belongs, a malformed number).
// Targets read before a failure keep their new values; the others are untouched.
// The positive value is the number (from 1) of the target that failed: a
// value that is no integer (3.5, 1e3, a quoted text) or beyond the int range,
// no real, a zero repeat count, or a quoted text not followed by a separator.
// A real too large for its variable reads as infinity, too small as zero.
// Semicolons separate values like commas; an unclosed quote runs to the end.
int fread_list(std::string_view text, std::initializer_list<FTarget> targets);

}  // namespace riv
