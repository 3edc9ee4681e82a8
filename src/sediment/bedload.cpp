// Bed-load transport capacity from the grain shear of a section: the grain
// hydraulic radius follows from the section's conveyance and a grain
// Strickler value 21 / d90^(1/6); the critical Shields value is reduced on a
// bed falling towards the angle of repose and raised on a rising bed.
#include <algorithm>
#include <cmath>

#include "model/model.hpp"
#include "sediment/sediment.hpp"

namespace riv {

float qbprof(float s, float sb, int iform, int& iarm) {
  Cbedevol& b = cbedevol;
  const float a = std::max(ccs.area, 0.001f);
  const float k = std::max(ccs.conv, 0.0f);
  s = std::max(s, 0.0f);  // a friction slope is never negative
  // Grain sizes as the bed-load dialogs accept them: d30 at least 0.01 mm,
  // dm not below d30, d90 not below dm (sizes not yet given are 0).
  const float d30 = std::max(b.d30def, 1.0e-5f);
  const float dm = std::max(b.dmdef, d30);
  const float d90 = std::max(b.d90def, dm);
  const float delta = std::max(b.delta, 0.1f);

  // Critical Shields value on the sloping bed.
  const float phi = std::atan(b.repose);
  const float beta = std::atan(sb);
  const float sphi = std::sin(phi);
  const float fslope = sphi > 0.0f ? std::sin(std::max(0.0f, phi - beta)) / sphi : 0.0f;
  const float thc = b.thcrit * fslope;

  // Grain roughness, grain hydraulic radius and grain Shields value.
  const float kr = 21.0f / std::pow(d90, 0.166667f);
  const float rg = std::pow(k / (kr * a), 1.5f);
  const float th = s * rg / (delta * dm);
  b.shld = th;

  float q;
  if (iform == 1) {
    q = 8.0f * std::pow(std::max(0.0f, 0.85f * th - thc), 1.5f) *
        std::sqrt(delta * cunit.grav * dm) * dm;
  } else {
    const float excess = th > 0.0f ? std::max(0.0f, 1.0f - thc / th) : 0.0f;
    const float vmean = k * std::sqrt(s) / a;
    q = 4.0f / delta * std::pow(d90 / d30, 0.2f) * std::pow(s, 1.6f) * vmean * rg * excess;
  }

  // Armouring threshold.
  const float tha = std::pow(d90 / dm, 0.67f) * thc;
  b.shlda = tha;
  iarm = th <= tha ? 1 : 0;
  return q;
}

}  // namespace riv
