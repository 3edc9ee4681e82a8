// Stores a cross-section profile as the input reader hands it over.
#pragma once

#include <vector>

#include "model/model.hpp"

namespace riv::test {

// Profile (y, z) with its point classes (all 1 when none are given) and kind
// bits, stored as section isec from the current section record.
inline void store_profile(int isec, const std::vector<float>& y, const std::vector<float>& z,
                          const std::vector<int>& cls = {}, int kind = 0) {
  ccs.np = static_cast<int>(y.size());
  for (int i = 1; i <= ccs.np; ++i) {
    ccs.ysec(i) = y[i - 1];
    ccs.zsec(i) = z[i - 1];
    ccs.iclass(i) = cls.empty() ? 1 : cls[i - 1];
  }
  ccs.kind = kind;
  cswrite(isec);
}

}  // namespace riv::test
