#include <cstdio>

#include "driver/driver.hpp"

namespace riv {

int rivsim_main(int, char**) {
  std::puts(" interactive menu not available yet");
  return 0;
}

}  // namespace riv
