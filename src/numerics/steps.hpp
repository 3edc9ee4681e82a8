// The number of time steps of a run, the same rule for routing, bed
// evolution and mixing.
#pragma once
#include <string>

namespace riv {

// Largest number of steps of one run.
constexpr int kMaxSteps = 10000000;

// Steps of a run of `duration` with steps of `dt` (same unit): the whole
// steps that fit into the duration, at least one. A duration within 1e-4 of
// a step of a whole number of steps runs exactly that many; any other
// duration ends with the last whole step inside it. Returns 0 and puts the
// reason into `why` when dt is not a positive number or the run would need
// more than kMaxSteps steps.
int count_steps(double duration, double dt, std::string& why);

}  // namespace riv
