// Shared by the tests of the readers that report through the diagnostics:
// the message box of the listing, and runs in which the end of the program
// (after input errors) is turned into an exception so the test goes on.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "input/input.hpp"

namespace riv::test {

inline const std::string kStars(47, '*');

inline std::string box(const std::string& kind, const std::string& msg) {
  return "\n" + kStars + "\n**" + kind + ": " + msg + "\n" + kStars + "\n\n";
}

struct Stopped {};

// Calls f with the end of the program thrown as Stopped; true when f ended
// the program. Otherwise the end hooks left (its own ones too) are run.
template <class F>
bool stops(F&& f) {
  at_program_end([] { throw Stopped{}; });
  try {
    f();
  } catch (const Stopped&) {
    return true;
  }
  try {
    run_end_hooks();
  } catch (const Stopped&) {
  }
  return false;
}

// Clears the diagnostics counters through their summary (unit 39), its
// terminal output dropped unless another capture is running.
inline void clear_diag(bool capture = true) {
  if (iierr_warnings() + iierr_errors() == 0) return;
  uopen_memory(39);
  if (capture) testing::internal::CaptureStdout();
  stops([] { iierr(0, "", 39); });
  if (capture) testing::internal::GetCapturedStdout();
  uclose(39);
}

}  // namespace riv::test
