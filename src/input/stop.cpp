#include "input/stop.hpp"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace riv {
namespace {
std::vector<std::function<void()>>& hooks() {
  static std::vector<std::function<void()>> h;
  return h;
}
}  // namespace

void at_program_end(std::function<void()> hook) { hooks().push_back(std::move(hook)); }

void run_end_hooks() {
  auto& h = hooks();
  while (!h.empty()) {
    auto f = std::move(h.back());
    h.pop_back();
    f();
  }
  std::fflush(stdout);
}

void stop_program(int status) {
  run_end_hooks();
  std::exit(status);
}

}  // namespace riv
