// Result table of the water-level command: one line per branch position with
// station, discharge, bed, water and energy levels, friction slope, bed shear
// stress, velocity, Froude number, flags, freeboard and air entrainment,
// closed by the legend and the volume of water in the branch.
#include <algorithm>
#include <cmath>
#include <string>

#include "input/fformat.hpp"
#include "steady/steady.hpp"

namespace riv {

namespace {
std::string line_of(const std::string& s) {
  std::string t = s;
  while (!t.empty() && t.back() == '\n') t.pop_back();
  return t;
}
}  // namespace

int wltable(TableLines& ctable) {
  const Creach& rc = creach;
  const Cchar& ch = cchar;
  Ccs& c = ccs;
  const float g = cunit.grav;
  const int nsec = std::clamp(rc.nsec, 0, mxbr);

  ctable(1) = cinput.title.sub(1, 80);
  ctable(2) =
      line_of(fformat("(' Station      Q     Bed  W_Level E_Level F_Slope t_bed ',"
                      "   ' Veloc Froude Section  CC  Node Freibrd Air')"));
  ctable(3) =
      line_of(fformat("('   [km]    [m3/s]   [m]     [m]     [m]     [%]  [N/m2]',"
                      "   '  [m/s]    [-]                      [m]  [%]')"));

  float vol = 0.0f;
  for (int n = 1; n <= nsec; ++n) {
    // The listed section at its place gives the mean bed and the bank tops.
    const int isec = cs_at(n);
    csrea(isec, cbedevol.dzb(n));

    const float q = rc.qsec(n), a = rc.asec(n), b = rc.bsec(n), r = rc.rsec(n);
    const float z = rc.zwl(n), dz = rc.dzsec(n);
    const float v = q / std::max(a, 0.0001f);
    const float e = v * v * kVelocityHead + z;
    const float tau = r * g * rc.sfsec(n) * 1000.0f;
    float fr = 0.0f;
    if (b > 0.01f) fr = q / std::max(std::sqrt(a * a * a * g / std::max(b, 0.01f)), 0.01f);
    const float fb = std::min(c.zbl, c.zbr) + dz - z;
    const float fa = std::max(v / std::sqrt(std::max(r, 0.01f) * 9.81f) - 6.0f, 0.0f);
    const int air =
        static_cast<int>(std::lround((1.0f - 1.0f / (1.0f + 0.02f * std::pow(fa, 1.5f))) * 100.0f));
    ctable(n + 3) =
        line_of(fformat("(f8.3,f9.2,3f8.2,f7.3,f8.2,f7.2,f6.2,1x,a8,1x,a3,1x,a6,f5.2,i4)",
                        {rc.xsec(n) * 0.001f, q, c.zbm + dz, z, e, rc.sfsec(n) * 100.0f, tau, v, fr,
                         ch.secnam(n), ch.cflag(n), ch.ctag(n), fb, air}));
    const int m = std::min(n + 1, nsec);
    vol += std::fabs(rc.xsec(n) - rc.xsec(m)) * (a + rc.asec(m)) * 0.5f;
  }
  ctable(nsec + 4) = line_of(
      fformat("(' *=inexact; !=critical flow; <>=overflow left/right;',' #=pressurized flow')"));
  if (vol >= 10000.0f)
    ctable(nsec + 5) =
        line_of(fformat("(' Total Volume of Water [1000 m3]:',f10.1)", {vol * 0.001f}));
  else
    ctable(nsec + 5) = line_of(fformat("(' Total Volume of Water [m3]:',f10.1)", {vol}));
  return nsec + 5;
}

}  // namespace riv
