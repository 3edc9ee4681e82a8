// Section properties at a water level: wet points and depths, the trapezoid
// sum over the profile segments with Horton-Einstein composite roughness, the
// circular tube, the entry point that chooses between the plain and the
// lateral method, and the property table of a section over its height.
#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// k^1.5 of a Strickler value. A model has few roughness classes, and their
// powers come back at every evaluation of a section: the last four are
// remembered.
float k15_of(float k) {
  if (!(k > 0.0f)) return 0.0f;
  static float key[4] = {-1.0f, -1.0f, -1.0f, -1.0f}, val[4] = {};
  static int next = 0;
  for (int i = 0; i < 4; ++i)
    if (key[i] == k) return val[i];
  key[next] = k;
  val[next] = std::pow(k, 1.5f);
  const float v = val[next];
  next = (next + 1) % 4;
  return v;
}

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
  // The power once per run of points with the same Strickler value.
  for (int i = 1; i <= c.np; ++i)
    k15[i - 1] = i > 1 && c.rks(i) == c.rks(i - 1) ? k15[i - 2] : k15_of(c.rks(i));
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
  // Without the powers of the load, each is computed where the Strickler
  // value changes along the profile.
  float k_last = -1.0f, k15_last = 0.0f;
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
      if (!k15 && c.rks(i) != k_last) {
        k_last = c.rks(i);
        k15_last = k15_of(k_last);
      }
      const float w = k15 ? k15[i - 1] : k15_last;
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

namespace {

// What the trapezoid sum needs of each segment i (points i, i+1) of the
// loaded section independently of the level: its lateral length, the length
// of the whole segment and that length over the Strickler power. The table
// rows then evaluate fully wet segments without a root or a division, with
// the same operations as cscnv and so the same results.
struct SegTable {
  float dy[mxpt];     // |y(i+1) - y(i)|
  float p[mxpt];      // sqrt(dz^2 + dy^2) of the whole segment
  float q[mxpt];      // p / rks(i)^1.5, the segment's share of the roughness sum
  float k15[mxpt];    // rks(i)^1.5
  int imin = 1;       // first lowest point of the shifted profile
  float zlow = 0.0f;  // its level
  // Running extremes that bound the wetted range (index i-1 for point i):
  // lowest of points 2..i, lowest of points i..np-1, highest of points
  // i..imin-1 (i < imin), highest of points imin+1..i (i > imin).
  float lo_from2[mxpt], lo_to_end[mxpt], hi_to_min[mxpt], hi_from_min[mxpt];
  bool usable = false;  // a profile section with no level that is not a number
};

// Lateral length, length and roughness share of every segment of the loaded
// section.
void seg_lengths(SegTable& t) {
  const Ccs& c = ccs;
  const float* y = c.ysec.data();
  const float* z = c.zsec.data();
  const int nseg = c.np - 1;
  int i = 0;
#if defined(__SSE2__)
  // Segments four at a time: the same correctly rounded operations per lane.
  const __m128 absmask = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
  for (; i + 4 <= nseg; i += 4) {
    const __m128 dz = _mm_sub_ps(_mm_loadu_ps(z + i), _mm_loadu_ps(z + i + 1));
    const __m128 dy = _mm_and_ps(absmask, _mm_sub_ps(_mm_loadu_ps(y + i + 1), _mm_loadu_ps(y + i)));
    const __m128 p = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(dz, dz), _mm_mul_ps(dy, dy)));
    const __m128 k = _mm_loadu_ps(t.k15 + i);
    _mm_storeu_ps(t.dy + i, dy);
    _mm_storeu_ps(t.p + i, p);
    _mm_storeu_ps(t.q + i, _mm_and_ps(_mm_cmpgt_ps(k, _mm_setzero_ps()), _mm_div_ps(p, k)));
  }
#endif
  for (; i < nseg; ++i) {
    const float dz = z[i] - z[i + 1];
    const float dy = std::fabs(y[i + 1] - y[i]);
    t.dy[i] = dy;
    t.p[i] = std::sqrt(dz * dz + dy * dy);
    t.q[i] = t.k15[i] > 0.0f ? t.p[i] / t.k15[i] : 0.0f;
  }
}

// d[k * step] = op over s[0], s[step], ..., s[k * step] for k = 0..n-1, in
// four stretches scanned side by side (independent chains), each then
// joined with the extreme of the stretches before it.
template <class Op>
void running(const float* s, float* d, int n, int step, Op op) {
  if (n <= 0) return;
  const int q = (n + 3) / 4;
  float e[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  for (int k = 0; k < q; ++k) {
    for (int p = 0; p < 4; ++p) {
      const int i = p * q + k;
      if (i >= n) continue;
      e[p] = k == 0 ? s[i * step] : op(e[p], s[i * step]);
      d[i * step] = e[p];
    }
  }
  for (int p = 1; p < 4 && p * q < n; ++p) {
    const float before = d[(p * q - 1) * step];
    const int end = std::min(n, (p + 1) * q);
    for (int i = p * q; i < end; ++i) d[i * step] = op(before, d[i * step]);
  }
}

// The lengths and roughness shares (for the trapezoid sums) only when asked:
// the lateral method works on its own grid.
void seg_table(SegTable& t, bool lengths) {
  const Ccs& c = ccs;
  const float* z = c.zsec.data();
  cs_k15(t.k15);
  float zlow = z[0] + 1.0f;
  for (int i = 0; i < c.np; ++i) {
    if (z[i] < zlow) {
      zlow = z[i];
      t.imin = i + 1;
    }
  }
  t.zlow = zlow;
  if (lengths) seg_lengths(t);
  const int n = c.np;
  t.usable = n > 1;
  for (int i = 0; i < n; ++i) t.usable = t.usable && !std::isnan(z[i]);
  // Running extremes (they are compared only, so the order in which they
  // are formed does not matter).
  const auto lo = [](float a, float b) { return std::min(a, b); };
  const auto hi = [](float a, float b) { return std::max(a, b); };
  running(z + 1, t.lo_from2 + 1, n - 1, 1, lo);                // points 2..i
  running(z + n - 2, t.lo_to_end + n - 2, n - 1, -1, lo);       // points i..np-1
  running(z + t.imin - 2, t.hi_to_min + t.imin - 2, t.imin - 1, -1, hi);  // i..imin-1
  running(z + t.imin, t.hi_from_min + t.imin, n - t.imin, 1, hi);         // imin+1..i
}

// First k of lo..hi where pred(k) holds, pred being false then true along
// the range; hi + 1 when it never holds.
template <class Pred>
int first_true(int lo, int hi, Pred pred) {
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    if (pred(mid))
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return lo;
}

// Wetted range of the loaded profile at zw as csdry finds it, without
// writing depths: 0 when nothing is wet. The running extremes make each
// end a binary search.
void wet_range(const SegTable& t, float zw, int& il, int& ir) {
  const Ccs& c = ccs;
  const float* z = c.zsec.data();
  const int n = c.np;
  il = ir = 0;
  if (c.lmain == 1) {
    const int m = t.imin;
    if (!(zw > z[m - 1])) {
      il = ir = m;
      return;
    }
    // Nearest dry point left of the lowest one (1 if none): the last k < m
    // with a point at or above zw in k..m-1.
    const int kl = first_true(1, m - 1, [&](int k) { return !(t.hi_to_min[k - 1] >= zw); });
    il = kl - 1 >= 1 ? kl - 1 : 1;
    // Nearest dry point right of it (n if none).
    const int kr = first_true(m + 1, n, [&](int k) { return t.hi_from_min[k - 1] >= zw; });
    ir = kr <= n ? kr : n;
    return;
  }
  // First wet point among 2..n, last wet point among 1..n-1.
  const int f = first_true(2, n, [&](int k) { return zw > t.lo_from2[k - 1]; });
  if (f <= n) il = f - 1;
  const int l = first_true(1, n - 1, [&](int k) { return !(zw > t.lo_to_end[k - 1]); });
  if (l - 1 >= 1) ir = l;
  if (il == 0 && ir > 0) il = 1;
  if (ir == 0 && il > 0) ir = n;
}

// cscnv at zw for one row of the table, from the segment table. Returns
// false where cscnv would find no flow (the caller then runs cscnv itself,
// which reports it); the depths hp and dry flags are not written.
[[maybe_unused]] bool cscnv_row(const SegTable& t, float zw) {
  Ccs& c = ccs;
  int il, ir;
  wet_range(t, zw, il, ir);
  if (ir == 0 || ir <= il) return false;
  const float* y = c.ysec.data() - 1;  // 1-based
  const float* z = c.zsec.data() - 1;
  float d = y[ir] - y[il];
  if (d == 0.0f) d = y[ir - 1] - y[il];

  float area = 0.0f, perim = 0.0f, wtop = 0.0001f, s = 0.0f;
  bool blocked = false, wet = false;
  for (int i = il; i < ir; ++i) {
    const float zi = z[i], zj = z[i + 1];
    const bool wi = zw > zi, wj = zw > zj;
    if (!wi && !wj) continue;
    wet = true;
    const float hi = wi ? zw - zi : 0.0f;
    const float hj = wj ? zw - zj : 0.0f;
    float a, p, dy, share;
    if (wi && wj) {
      // a = (h(i) + h(i+1)) / 2 dy over the whole segment
      dy = t.dy[i - 1];
      a = (hi + hj) / 2.0f * dy;
      p = t.p[i - 1];
      share = t.q[i - 1];
    } else {
      // Only the wet part of a segment that crosses the water line.
      float dz = zi - zj;
      dy = t.dy[i - 1];
      if (zi > zw) {
        const float f = hj / std::fabs(dz);
        dz *= f;
        dy *= f;
      } else if (zj > zw) {
        const float f = hi / std::fabs(dz);
        dz *= f;
        dy *= f;
      }
      a = (hi + hj) / 2.0f * dy;
      p = std::sqrt(dz * dz + dy * dy);
      share = t.k15[i - 1] > 0.0f ? p / t.k15[i - 1] : 0.0f;
    }
    if ((y[i + 1] - y[i]) * d < 0.0f) {
      a = -a;
      dy = -dy;
    }
    area += a;
    perim += p;
    wtop += dy;
    if (p > 0.0f) {
      if (t.k15[i - 1] > 0.0f)
        s += share;
      else
        blocked = true;
    }
  }
  if (!wet || !(area > 0.0f) || (s < 1e-20f && !blocked)) return false;
  c.area = area;
  c.perim = perim;
  c.wtop = std::max(wtop, 0.0001f);
  c.conv = blocked ? 0.0f : area * std::pow(area / s, 0.666667f);
  c.rhyd = area / perim;
  return true;
}

// ---- Plain rows four at a time ----

// Properties of one table row.
struct RowProps {
  float area, perim, wtop, conv, rhyd;
};

constexpr int kLanes = 4;  // table rows evaluated side by side

#if defined(__SSE2__)
// Running sums of kLanes table rows (one per SSE lane) and the lanes that
// met a wet segment and a blocked one.
struct LaneSums {
  __m128 area, perim, wtop, s;
  int wetm = 0, blockm = 0;
};

// Adds the segments i0..i1-1 to the lanes of inr (levels zwv, directions
// dv), with the operations of cscnv_row in its order. Lanes without a
// segment add zero, which leaves their sums unchanged.
inline __attribute__((always_inline)) void add_segments(const SegTable& t, __m128 zwv, __m128 dv,
                                                        __m128 inr, int i0, int i1, LaneSums& u) {
  const Ccs& c = ccs;
  const float* y = c.ysec.data() - 1;  // 1-based
  const float* z = c.zsec.data() - 1;
  const __m128 zero = _mm_setzero_ps();
  __m128 area = u.area, perim = u.perim, wtop = u.wtop, s = u.s;
  for (int i = i0; i < i1; ++i) {
    const __m128 zi = _mm_set1_ps(z[i]), zj = _mm_set1_ps(z[i + 1]);
    const __m128 wi = _mm_cmpgt_ps(zwv, zi), wj = _mm_cmpgt_ps(zwv, zj);
    const __m128 act = _mm_and_ps(inr, _mm_or_ps(wi, wj));
    const int actm = _mm_movemask_ps(act);
    if (actm == 0) continue;
    u.wetm |= actm;
    const __m128 hiv = _mm_and_ps(wi, _mm_sub_ps(zwv, zi));
    const __m128 hjv = _mm_and_ps(wj, _mm_sub_ps(zwv, zj));
    __m128 dy = _mm_set1_ps(t.dy[i - 1]);
    __m128 p = _mm_set1_ps(t.p[i - 1]);
    __m128 share = _mm_set1_ps(t.q[i - 1]);
    const float k15 = t.k15[i - 1];
    const __m128 part = _mm_andnot_ps(_mm_and_ps(wi, wj), act);
    if (_mm_movemask_ps(part) != 0) {
      // Only the wet part of a segment that crosses the water line.
      const float dzs = z[i] - z[i + 1];
      const __m128 c1 = _mm_cmpgt_ps(zi, zwv);
      const __m128 c2 = _mm_andnot_ps(c1, _mm_cmpgt_ps(zj, zwv));
      const __m128 h = _mm_or_ps(_mm_and_ps(c1, hjv), _mm_andnot_ps(c1, hiv));
      const __m128 f = _mm_div_ps(h, _mm_set1_ps(std::fabs(dzs)));
      const __m128 fm = _mm_or_ps(c1, c2);
      const __m128 dz0 = _mm_set1_ps(dzs);
      const __m128 dzp = _mm_or_ps(_mm_and_ps(fm, _mm_mul_ps(dz0, f)), _mm_andnot_ps(fm, dz0));
      const __m128 dyp = _mm_or_ps(_mm_and_ps(fm, _mm_mul_ps(dy, f)), _mm_andnot_ps(fm, dy));
      const __m128 pp = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(dzp, dzp), _mm_mul_ps(dyp, dyp)));
      const __m128 sp = k15 > 0.0f ? _mm_div_ps(pp, _mm_set1_ps(k15)) : zero;
      dy = _mm_or_ps(_mm_and_ps(part, dyp), _mm_andnot_ps(part, dy));
      p = _mm_or_ps(_mm_and_ps(part, pp), _mm_andnot_ps(part, p));
      share = _mm_or_ps(_mm_and_ps(part, sp), _mm_andnot_ps(part, share));
    }
    // a = (h(i) + h(i+1)) / 2 dy
    __m128 a = _mm_mul_ps(_mm_div_ps(_mm_add_ps(hiv, hjv), _mm_set1_ps(2.0f)), dy);
    const __m128 flip = _mm_and_ps(_mm_cmplt_ps(_mm_mul_ps(_mm_set1_ps(y[i + 1] - y[i]), dv), zero),
                                   _mm_set1_ps(-0.0f));
    a = _mm_xor_ps(a, flip);
    dy = _mm_xor_ps(dy, flip);
    area = _mm_add_ps(area, _mm_and_ps(act, a));
    perim = _mm_add_ps(perim, _mm_and_ps(act, p));
    wtop = _mm_add_ps(wtop, _mm_and_ps(act, dy));
    const __m128 fr = _mm_and_ps(act, _mm_cmpgt_ps(p, zero));
    if (k15 > 0.0f)
      s = _mm_add_ps(s, _mm_and_ps(fr, share));
    else
      u.blockm |= _mm_movemask_ps(fr);
  }
  u.area = area;
  u.perim = perim;
  u.wtop = wtop;
  u.s = s;
}

// cscnv_row for kLanes levels zw at once, one level per SSE lane: every lane
// runs the same operations in the same order as cscnv_row, so its sums are
// bit for bit those of the row alone; the rows only share the pass over the
// segments (the single-row sums are bound by the latency of the additions).
// ok[r]: the row has flow (otherwise the caller falls back to cscnv).
void cscnv_rows(const SegTable& t, const float* zw, RowProps* out, bool* ok) {
  const float* y = ccs.ysec.data() - 1;  // 1-based
  int il[kLanes], ir[kLanes], cut[2 * kLanes];
  alignas(16) float d[kLanes];
  for (int r = 0; r < kLanes; ++r) {
    wet_range(t, zw[r], il[r], ir[r]);
    d[r] = 0.0f;
    if (ir[r] == 0 || ir[r] <= il[r]) {
      il[r] = ir[r] = 0;  // no segment: the lane fails below
    } else {
      d[r] = y[ir[r]] - y[il[r]];
      if (d[r] == 0.0f) d[r] = y[ir[r] - 1] - y[il[r]];
    }
    cut[2 * r] = il[r];
    cut[2 * r + 1] = ir[r];
  }
  // Between consecutive range ends the set of lanes is fixed.
  std::sort(cut, cut + 2 * kLanes);
  const __m128 zwv = _mm_loadu_ps(zw), dv = _mm_load_ps(d);
  LaneSums u{_mm_setzero_ps(), _mm_setzero_ps(), _mm_set1_ps(0.0001f), _mm_setzero_ps()};
  for (int k = 0; k + 1 < 2 * kLanes; ++k) {
    if (cut[k] == cut[k + 1]) continue;
    alignas(16) int lanes[kLanes];
    bool any = false;
    for (int r = 0; r < kLanes; ++r) {
      lanes[r] = il[r] <= cut[k] && cut[k] < ir[r] ? -1 : 0;
      any = any || lanes[r] != 0;
    }
    if (!any) continue;
    const __m128 inr = _mm_castsi128_ps(_mm_load_si128(reinterpret_cast<const __m128i*>(lanes)));
    add_segments(t, zwv, dv, inr, cut[k], cut[k + 1], u);
  }
  alignas(16) float av[kLanes], pv[kLanes], wv[kLanes], sv[kLanes];
  _mm_store_ps(av, u.area);
  _mm_store_ps(pv, u.perim);
  _mm_store_ps(wv, u.wtop);
  _mm_store_ps(sv, u.s);
  for (int r = 0; r < kLanes; ++r) {
    const bool b = (u.blockm >> r) & 1;
    ok[r] = ((u.wetm >> r) & 1) && av[r] > 0.0f && !(sv[r] < 1e-20f && !b);
    if (!ok[r]) continue;
    out[r].area = av[r];
    out[r].perim = pv[r];
    out[r].wtop = std::max(wv[r], 0.0001f);
    out[r].conv = b ? 0.0f : av[r] * std::pow(av[r] / sv[r], 0.666667f);
    out[r].rhyd = av[r] / pv[r];
  }
}

#else

// Without SSE2: the rows one after another.
void cscnv_rows(const SegTable& t, const float* zw, RowProps* out, bool* ok) {
  const Ccs& c = ccs;
  for (int r = 0; r < kLanes; ++r) {
    ok[r] = cscnv_row(t, zw[r]);
    if (ok[r]) out[r] = {c.area, c.perim, c.wtop, c.conv, c.rhyd};
  }
}

#endif

// Row i of the table at level zoff + zc from the properties of a row.
void store_row_of(int i, float zoff, float zc, const LatRow& row) {
  Ccs& c = ccs;
  c.ztab(i) = zoff + zc;
  c.atab(i) = row.area;
  c.btab(i) = row.wtop;
  c.ktab(i) = row.conv;
  c.rtab(i) = row.perim > 0.0f ? row.area / row.perim : 0.0f;
}

// Row i of the table from the properties in the work record.
void store_row(int i, float zoff, float zc) {
  const Ccs& c = ccs;
  store_row_of(i, zoff, zc, LatRow{c.area, c.wtop, c.perim, c.conv, 0});
}

// Rows 2..nt of a plain section, levels zc + dzt, zc + 2 dzt, ... A row
// without flow is done by cscnv_k, which may move its level (and so the
// levels of the rows above): the rows computed with it are then dropped.
void plain_rows(const SegTable& seg, int nt, float dzt, float zoff, float zc) {
  Ccs& c = ccs;
  int i = 2;
  while (i <= nt) {
    const int nb = seg.usable ? std::min(kLanes, nt - i) : 0;
    if (nb == 0) {
      // The last row in full, so that depths and dry flags are those of
      // the top of the table as always.
      zc += dzt;
      cscnv_k(zc, seg.k15);
      store_row(i++, zoff, zc);
      continue;
    }
    float zl[kLanes];
    for (int r = 0; r < kLanes; ++r) zl[r] = r < nb ? (zc += dzt) : zc;
    RowProps rows[kLanes];
    bool ok[kLanes];
    cscnv_rows(seg, zl, rows, ok);
    for (int r = 0; r < nb; ++r) {
      zc = zl[r];
      if (!ok[r]) {
        cscnv_k(zc, seg.k15);
        store_row(i++, zoff, zc);
        break;
      }
      c.area = rows[r].area;
      c.perim = rows[r].perim;
      c.wtop = rows[r].wtop;
      c.conv = rows[r].conv;
      c.rhyd = rows[r].rhyd;
      store_row(i++, zoff, zc);
    }
  }
}

// Whether no point of the loaded profile lies left of the one before.
bool profile_ascends() {
  const Ccs& c = ccs;
  for (int i = 2; i <= c.np; ++i)
    if (!(c.ysec(i - 1) <= c.ysec(i))) return false;
  return true;
}

// Rows 2..nt of a compound section, levels zc + dzt, zc + 2 dzt, ... The
// lateral solves of an ascending profile go kLatRows rows at a time; a
// group with a row that needs the single solve (it would print a message,
// or its grid differs) is done row by row. The top row leaves its grid in
// the section record.
void compound_rows(int isec, const SegTable& seg, int nt, float dzt, float zoff, float zc,
                   int& itmax) {
  const bool batch = seg.usable && profile_ascends();
  int i = 2;
  while (i <= nt) {
    const int nb = batch ? std::min(kLatRows, nt - i + 1) : 1;
    float zl[kLatRows];
    int il[kLatRows], ir[kLatRows];
    for (int r = 0; r < nb; ++r) {
      zl[r] = (zc += dzt);
      if (seg.usable) wet_range(seg, zl[r], il[r], ir[r]);
    }
    LatRow rows[kLatRows];
    const int top = nt - i < nb ? nt - i : -1;  // the top row among these
    if (batch && vdis_rows(nb, zl, il, ir, 0.001f, seg.k15, seg.zlow, rows, top)) {
      for (int r = 0; r < nb; ++r) {
        itmax = std::max(itmax, rows[r].it);
        store_row_of(i++, zoff, zl[r], rows[r]);
      }
      continue;
    }
    for (int r = 0; r < nb; ++r) {
      int it = 0;
      if (i == nt || !seg.usable)
        vdis_k(isec, zl[r], 0.001f, it, seg.k15);
      else
        vdis_range(isec, zl[r], 0.001f, it, seg.k15, il[r], ir[r], seg.zlow);
      itmax = std::max(itmax, it);
      store_row(i++, zoff, zl[r]);
    }
  }
}

}  // namespace

void cstab(int isec, float zoff, float dzb, int& itmax) {
  static SegTable seg;  // level-independent values of the loaded section
  Ccs& c = ccs;
  csrea(isec, dzb);
  itmax = 0;
  seg_table(seg, !(c.lcomp == 1 && c.np > 1));
  const int nt = std::min(c.ntabv, mxtabv);

  c.ztab(1) = c.zmin + zoff;
  c.atab(1) = 0.0f;
  c.btab(1) = 0.0f;
  c.ktab(1) = 0.0f;
  c.rtab(1) = 0.0f;
  if (nt < 2) return;

  // Equidistant levels from the lowest point to 0.5 m above the highest.
  const float dzt = (0.5f + c.zmax - c.zmin) / static_cast<float>(nt - 1);
  float zc = c.zmin - 0.0001f;
  if (!(c.lcomp == 1 && c.np > 1)) {
    plain_rows(seg, nt, dzt, zoff, zc);
    return;
  }
  compound_rows(isec, seg, nt, dzt, zoff, zc, itmax);
}

}  // namespace riv
