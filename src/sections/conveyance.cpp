// Section properties at a water level: wet points and depths, the trapezoid
// sum over the profile segments with Horton-Einstein composite roughness, the
// circular tube, the entry point that chooses between the plain and the
// lateral method, and the property table of a section over its height.
#include <algorithm>
#include <cmath>

#include "input/input.hpp"
#include "model/model.hpp"
#include "sections/sections.hpp"

namespace riv {

namespace {

// Near-zero properties of a section without flow: divisions by area and
// conveyance stay finite in the solvers.
constexpr float kNoFlow = 1e-10f;

// Strickler value to the power 1.5; 0 for a value that carries no flow (zero
// or negative), which makes the segment's share of the roughness sum infinite.
inline float k15_of(float k) { return k > 0.0f ? std::pow(k, 1.5f) : 0.0f; }

// Level at or below the wetted bed: terminal line, no-flow properties and the
// level set just above the lowest point.
void below_bed(float& zw) {
  Ccs& c = ccs;
  fwrite(kStdout, "(2x,'>cscnv: waterlevel ',f10.2,' is below bedlevel',f10.2)", {zw, c.zmin});
  c.area = kNoFlow;
  c.perim = kNoFlow;
  c.conv = kNoFlow;
  c.rhyd = kNoFlow;
  zw = c.zmin + 0.001f;
}

}  // namespace

void csdry(const float* za, int n, float zw, int& ileft, int& iright) {
  Ccs& c = ccs;
  ileft = 0;
  iright = 0;
  n = std::min(n, mxpt);
  if (n < 1) return;
  c.zmin = za[0] + 1.0f;
  c.imin = 1;
  c.zmax = za[0];
  int first2 = 0;  // first wet point among 2..n
  int last1 = 0;   // last wet point among 1..n-1
  for (int i = 1; i <= n; ++i) {
    const float z = za[i - 1];
    if (zw > z) {
      c.idry(i) = 0;
      c.hp(i) = zw - z;
      if (i >= 2 && first2 == 0) first2 = i;
      if (i <= n - 1) last1 = i;
    } else {
      c.idry(i) = 1;
      c.hp(i) = 0.0f;
    }
    if (z < c.zmin) {
      c.zmin = z;
      c.imin = i;
    }
    if (z > c.zmax) c.zmax = z;
  }

  if (c.lmain == 1) {
    // Only the water connected to the lowest point: out to the nearest dry
    // point on each side.
    if (c.idry(c.imin) == 1) {
      ileft = iright = c.imin;
      return;
    }
    ileft = 1;
    for (int i = c.imin - 1; i >= 1; --i) {
      if (c.idry(i) == 1) {
        ileft = i;
        break;
      }
    }
    iright = n;
    for (int i = c.imin + 1; i <= n; ++i) {
      if (c.idry(i) == 1) {
        iright = i;
        break;
      }
    }
    return;
  }

  // All water between the first and the last wet point, with the dry
  // neighbour that closes it on each side.
  if (first2 > 0) ileft = first2 - 1;
  if (last1 > 0) iright = last1 + 1;
  // A level that wets only an end point: the wedge of water against that end
  // counts (as it does with `main`), so the range is the end segment.
  if (ileft == 0 && iright > 0) ileft = 1;
  if (iright == 0 && ileft > 0) iright = n;
}

void cs_k15(float* k15) {
  const Ccs& c = ccs;
  for (int i = 1; i <= c.np; ++i) k15[i - 1] = k15_of(c.rks(i));
}

void cscnv_k(float& zw, const float* k15) {
  Ccs& c = ccs;
  if (c.np == 1) {
    cstube(zw);
    return;
  }
  int il, ir;
  csdry(c.zsec.data(), c.np, zw, il, ir);
  if (ir == 0 || ir <= il) {
    below_bed(zw);
    return;
  }

  // Direction of the section: segments running against it (upper side of an
  // overhang or of a closed outline) take away area and width.
  float d = c.ysec(ir) - c.ysec(il);
  if (d == 0.0f) d = c.ysec(ir - 1) - c.ysec(il);

  float area = 0.0f;
  float perim = 0.0f;
  float wtop = 0.0001f;
  float s = 0.0f;        // roughness sum: perimeter / k^1.5
  bool blocked = false;  // a wet segment with Strickler value 0 carries no flow
  bool wet = false;
  for (int i = il; i < ir; ++i) {
    if (c.idry(i) == 1 && c.idry(i + 1) == 1) continue;
    wet = true;
    const float zi = c.zsec(i);
    const float zj = c.zsec(i + 1);
    float dz = zi - zj;
    float dy = std::fabs(c.ysec(i + 1) - c.ysec(i));
    // Only the wet part of a segment that crosses the water line.
    if (zi > zw) {
      const float f = c.hp(i + 1) / std::fabs(dz);
      dz *= f;
      dy *= f;
    } else if (zj > zw) {
      const float f = c.hp(i) / std::fabs(dz);
      dz *= f;
      dy *= f;
    }
    float a = (c.hp(i) + c.hp(i + 1)) / 2.0f * dy;
    const float p = std::sqrt(dz * dz + dy * dy);
    if ((c.ysec(i + 1) - c.ysec(i)) * d < 0.0f) {
      a = -a;
      dy = -dy;
    }
    area += a;
    perim += p;
    wtop += dy;
    if (p > 0.0f) {  // a segment of no length has no friction
      const float w = k15 ? k15[i - 1] : k15_of(c.rks(i));
      if (w > 0.0f)
        s += p / w;
      else
        blocked = true;
    }
  }

  // No wet segment, no friction, or no net area (an outline that crosses
  // itself): no flow at this level.
  if (!wet || !(area > 0.0f) || (s < 1e-20f && !blocked)) {
    below_bed(zw);
    return;
  }
  c.area = area;
  c.perim = perim;
  // A closed outline running full has no surface: keep the width positive.
  c.wtop = std::max(wtop, 0.0001f);
  c.conv = blocked ? 0.0f : area * std::pow(area / s, 0.666667f);
  c.rhyd = area / perim;
}

void cscnv(float& zw) { cscnv_k(zw, nullptr); }

void cstube(float zw) {
  Ccs& c = ccs;
  const float dia = c.ysec(1);
  const float h = zw - c.zsec(1);
  c.area = 0.0f;
  c.perim = 0.0f;
  c.rhyd = 0.0f;
  c.conv = 0.0f;
  c.wtop = c.wslot;
  if (!(h > 0.0f) || !(dia > 0.0f)) return;
  if (h > dia) {
    // Running full; pi as 3.1415 in both places.
    c.area = (dia * 0.5f) * (dia * 0.5f) * 3.1415f;
    c.perim = 3.1415f * dia;
    c.rhyd = 0.25f * dia;
  } else {
    const float t = std::acos(1.0f - 2.0f * h / dia);  // half angle of the wet arc
    c.perim = dia * t;
    c.area = 0.25f * dia * dia * (t - std::sin(t) * std::cos(t));
    c.rhyd = c.area / c.perim;
    c.wtop = std::max(dia * std::sin(t), c.wslot);
  }
  const float k = c.rks(1) > 0.0f ? c.rks(1) : 0.0f;
  c.conv = std::pow(c.rhyd, 0.6667f) * k * c.area;
}

void csval(int isec, float& zw, float dzb, float slope, int& itflag) {
  Ccs& c = ccs;
  csrea(isec, dzb);
  if (c.np == 1) {
    // A tube has its closed form whatever the compound setting.
    c.ng = 0;
    cstube(zw);
    itflag = 0;
    return;
  }
  if (itflag < 0) {
    c.lcomp = 1;
    vdis(isec, zw, slope, itflag);
  } else if (c.lcomp == 0) {
    cscnv(zw);
    itflag = 0;
  } else {
    vdis(isec, zw, slope, itflag);
  }
}

void cstab(int isec, float zoff, float dzb, int& itmax) {
  static float k15[mxpt];  // roughness powers of the loaded section
  Ccs& c = ccs;
  csrea(isec, dzb);
  itmax = 0;
  cs_k15(k15);
  const int nt = std::min(c.ntabv, mxtabv);

  c.ztab(1) = c.zmin + zoff;
  c.atab(1) = 0.0f;
  c.btab(1) = 0.0f;
  c.ktab(1) = 0.0f;
  c.rtab(1) = 0.0f;
  if (nt < 2) return;

  // Equidistant levels from the lowest point to 0.5 m above the highest.
  const float dzt = (0.5f + c.zmax - c.zmin) / static_cast<float>(nt - 1);
  const bool lateral = c.lcomp == 1 && c.np > 1;
  float zc = c.zmin - 0.0001f;
  for (int i = 2; i <= nt; ++i) {
    zc += dzt;
    if (lateral) {
      int it = 0;
      vdis_k(isec, zc, 0.001f, it, k15);
      itmax = std::max(itmax, it);
    } else {
      cscnv_k(zc, k15);
    }
    c.ztab(i) = zoff + zc;
    c.atab(i) = c.area;
    c.btab(i) = c.wtop;
    c.ktab(i) = c.conv;
    c.rtab(i) = c.perim > 0.0f ? c.area / c.perim : 0.0f;
  }
}

}  // namespace riv
