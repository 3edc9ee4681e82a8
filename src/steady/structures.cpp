// Discharge through the structures of a branch position: overflow weir,
// sluice gate and culvert, from the heads on their two sides.
#include <algorithm>
#include <cmath>

#include "input/fformat.hpp"
#include "input/units.hpp"
#include "steady/steady.hpp"

namespace riv {

namespace {
constexpr float cgate = 0.62f;  // contraction coefficient of a submerged culvert inlet

// (1 - (hd/hu)^3)^(1/3): reduction of a free overflow by the tailwater.
float submergence(float hu, float hd) {
  if (hd <= 0.0f) return 1.0f;
  if (hd >= hu) return 0.0f;
  const float r = hd / hu;
  return std::cbrt(1.0f - r * r * r);
}
}  // namespace

float rqweir(float h1, float h2, float b, float cw) {
  const float hu = std::max(h1, h2), hd = std::min(h1, h2);
  const float s = h1 > h2 ? 1.0f : -1.0f;
  if (hu <= 0.0f) return 0.0f;
  // 2.95 = (2/3) sqrt(2g)
  return s * 2.95f * cw * hu * std::sqrt(hu) * submergence(hu, hd) * b;
}

float rqgate(float h1, float h2, float hg, float b, float a, float cmin) {
  if (a <= 0.0f) return 0.0f;
  const float hu = std::max(h1, h2), hd = std::min(h1, h2);
  if (1.3f * a > hu) return rqweir(h1, h2, b, 0.58f);  // the gate leaves the water
  const float s = h1 > h2 ? 1.0f : -1.0f;
  const float f = submergence(hu, hd);
  float cc = hg != 0.0f ? a / hg : 1.0f;
  cc = std::min(std::max(cc, cmin), 1.0f);
  const float ae = cc * a;
  return s * f * b * ae * std::sqrt(19.62f * (hu - ae));
}

float rqculv(float he1, float he2, float h1, float h2, float w, float hc, float el, float ks,
             float xi, int& itype) {
  const bool debug = itype == -1;
  itype = 0;
  float heu = he2, hu = h2, hed = he1, hdn = h1;
  if (he1 > he2) {
    heu = he1;
    hu = h1;
    hed = he2;
    hdn = h2;
  }
  if (heu - hed < 1e-5f || heu < 0.001f || hu < 0.001f) return 0.0f;

  float rel, qin, area, rh;
  int full;
  const bool circular = hc <= 0.0f;
  if (circular) {
    const float d = w;
    if (d <= 0.0f) return 0.0f;
    rel = hu / d;
    qin = std::pow(0.6f * heu / d, 1.6667f) * std::sqrt(9.81f * std::pow(d, 5.0f));
    const float hu1 = std::min(hu, d), hd1 = std::max(std::min(hdn, d), 0.5f * d);
    const float hm = 0.5f * (hu1 + hd1);
    if (hm < 0.9f * d) {
      const float r0 = 0.5f * d;
      const float t = std::acos((r0 - hm) / r0);
      area = (t - std::sin(t) * std::cos(t)) * r0 * r0;
      rh = area / (d * t);
      full = 0;
    } else {
      area = 0.7854f * d * d;
      rh = 0.25f * d;
      full = 2;
    }
  } else {
    const float hh = hc, ww = w;
    rel = hu / hh;
    qin = 0.544f * ww * std::sqrt(9.81f * heu * heu * heu);
    const float hu1 = std::min(hu, hh), hd1 = std::max(std::min(hdn, hh), 0.5f * hh);
    const float hm = 0.5f * (hu1 + hd1);
    if (hm < 0.95f * hh) {
      area = ww * hm;
      rh = area / (2.0f * hm + ww);
      full = 0;
    } else {
      area = hh * ww;
      rh = hh * ww / (2.0f * (hh + ww));
      full = 2;
    }
  }

  // Outlet control: barrel friction plus entrance and other local losses.
  const float r = el / (ks * ks * std::pow(rh, 1.3333f)) + (1.0f + xi) * 0.051f;
  const float qout = area * std::sqrt((heu - hed) / r);

  // Orifice flow once the inlet is well submerged.
  float qgate = 0.0f;
  if (rel >= 1.2f) {
    qgate = circular ? rqgate(heu, hed, hu, 1.0f, w, cgate) / w * area
                     : rqgate(heu, hed, hu, w, hc, cgate);
  }

  float q;
  if (rel < 1.2f) {
    if (qout > qin) {
      q = qin;
      itype = 1;
    } else {
      q = qout;
      itype = 2 + full;
    }
  } else {
    if (qout > qgate) {
      q = qgate;
      itype = 3;
    } else {
      q = qout;
      itype = 2 + full;
    }
  }
  if (!(he1 > he2)) q = -q;

  if (debug) {
    fwritel(kStdout, {"rqculv he1 he2 h1 h2", heu, hed, hu, hdn, rh, r});
    fwritel(kStdout, {"(1)", qin, " (2)", qout, " (3)", qgate, " culv=", q});
  }
  return q;
}

}  // namespace riv
