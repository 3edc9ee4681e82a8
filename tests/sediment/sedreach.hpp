// Sections and reaches shared by the sediment tests.
#pragma once

#include "model/model.hpp"
#include "model/profile.hpp"
#include "steady/steady.hpp"

namespace riv::test {

// Stores section "R20": a rectangle 20 m wide with walls `wall` m high.
inline void store_r20(float wall) {
  store_profile(1, {0, 0, 20, 20}, {wall, 0, 0, wall});
  creach.ncs = 1;
  cchar.csname(1) = "R20";
}

// A prismatic reach of nsec sections R20 (walls 5 m) 100 m apart on a bed
// slope of 0.2 %, 50 m3/s entering upstream and the normal level imposed
// downstream; uniform gravel of 10 mm on rock `rock` m below the bed.
inline void gravel_reach(int nsec, float rock) {
  store_r20(5.0f);
  for (int n = 1; n <= nsec; ++n) {
    creach.nsec = n;
    cchar.secnam(n) = "R20";
    creach.xsec(n) = 100.0f * (n - 1);
    creach.dzsec(n) = 0.002f * 100.0f * (nsec - n);
    Cbedevol& b = cbedevol;
    b.d30(n) = b.dm(n) = b.d90(n) = 0.01f;
    b.drock(n) = rock;
  }
  // 50 m3/s entering on the left at position 0, the level 1.54 m downstream.
  ccs.tabc(4, 2) = 50.0f;
  const int r = tabc_condition(1, 0, kTabInflow, 1, 1);
  ccs.tabc(r + 3, 2) = 1.54f;
  tabc_condition(r, nsec, kTabLevel, 1);
  ccs.nstruc = 2;
  creach.ifix(nsec) = 1;
  cbedevol.iform = 1;
}

}  // namespace riv::test
