// Counting the time steps of a run.
#include "numerics/steps.hpp"

#include <cmath>

namespace riv {

namespace {
constexpr double kWhole = 1e-4;  // steps: tolerance of a whole number of steps
}

int count_steps(double duration, double dt, std::string& why) {
  why.clear();
  if (!(dt > 0.0) || !std::isfinite(dt) || !std::isfinite(duration)) {
    why = "time step must be positive";
    return 0;
  }
  // n = floor(duration / dt + tolerance), at least 1
  const double n = std::floor(duration / dt + kWhole);
  if (n > static_cast<double>(kMaxSteps)) {
    why = "more than 10000000 time steps: take a longer time step or a shorter duration";
    return 0;
  }
  return n < 1.0 ? 1 : static_cast<int>(n);
}

}  // namespace riv
