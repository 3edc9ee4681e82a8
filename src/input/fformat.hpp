// Listing, message and file texts written with Fortran edit descriptors:
// "(f10.4)", "(i4)", "(a)", "a3", "2x", "/", "$", 'literal' texts, repeat
// counts, format reversion, and list-directed output with its leading blank.
#pragma once
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "input/ftext.hpp"

namespace riv {

// One value handed to a format. Keeps whether a real was single or double
// precision, since list-directed and G output depend on it.
struct FArg {
  enum class Kind { Int, Real, Double, Text, Logical };
  Kind kind;
  long long i = 0;
  double d = 0.0;
  std::string_view s;

  FArg(int v) : kind(Kind::Int), i(v) {}                  // NOLINT
  FArg(long v) : kind(Kind::Int), i(v) {}                 // NOLINT
  FArg(long long v) : kind(Kind::Int), i(v) {}            // NOLINT
  FArg(float v) : kind(Kind::Real), d(v) {}               // NOLINT
  FArg(double v) : kind(Kind::Double), d(v) {}            // NOLINT
  FArg(bool v) : kind(Kind::Logical), i(v ? 1 : 0) {}     // NOLINT
  FArg(std::string_view v) : kind(Kind::Text), s(v) {}    // NOLINT
  FArg(const char* v) : kind(Kind::Text), s(v) {}         // NOLINT
  FArg(const std::string& v) : kind(Kind::Text), s(v) {}  // NOLINT
  template <int N>
  FArg(const FStr<N>& v) : kind(Kind::Text), s(v.view()) {}  // NOLINT
};

// The text that a Fortran WRITE with this format and these values produces:
// every record ends with '\n', except the last when the format ends with "$".
// A malformed format yields what could be written up to the fault.
std::string fformat(std::string_view format, std::initializer_list<FArg> args = {});
// Same, written to a unit (see units.hpp).
void fwrite(int unit, std::string_view format, std::initializer_list<FArg> args = {});

// List-directed output ("write(*,*)"): one record starting with a blank,
// values as gfortran writes them, ended with '\n'.
std::string flist(std::initializer_list<FArg> args);
void fwritel(int unit, std::initializer_list<FArg> args);

// The same with a value list built at run time (a row of n values written
// with a format such as "(10f10.3)").
std::string fformat(std::string_view format, std::span<const FArg> args);
void fwrite(int unit, std::string_view format, std::span<const FArg> args);
std::string flist(std::span<const FArg> args);

}  // namespace riv
