// Stores a cross-section profile as the input reader hands it over.
#pragma once

#include <vector>

#include "model/builder.hpp"

namespace riv::test {

// Profile (y, z) with its point classes (all 1 when none are given) and kind
// bits, stored as section isec from the current section record.
inline void store_profile(int isec, const std::vector<float>& y, const std::vector<float>& z,
                          const std::vector<int>& cls = {}, int kind = 0) {
  ModelBuilder::store(isec, y, z, cls, kind);
}

}  // namespace riv::test
