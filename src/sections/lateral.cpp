// Lateral distribution of the depth-averaged velocity in a section: an
// equidistant grid over the wetted width, local friction (Strickler value or
// roughness height, composite with the side walls, plus vegetation drag), and
// the lateral momentum balance between gravity, bed friction and turbulent
// exchange solved by Newton iterations on a tridiagonal system. The
// integrated discharge gives the section's conveyance.
#include <algorithm>
#include <cmath>
#include <limits>

#include "input/notify.hpp"
#include "input/input.hpp"
#include "model/model.hpp"
#include "numerics/numerics.hpp"
#include "sections/sections.hpp"

namespace riv {

namespace {

// Arrays of one lateral solve, grid point j at index j-1: the grid, its
// depths and dry flags, the local values and the work of the iterations.
struct Lat {
  float *yg, *zg, *rkg, *rvg, *hp, *ug, *usg, *epsg, *acum, *qcum;
  int* idry;
  float* wp;    // wetted perimeter of each grid cell
  float* wf;    // friction ratio u*/u
  float* wk15;  // Strickler value^1.5 of the profile segment of the point
  float* wu0;   // start velocities (fallback after a failed iteration)
  int* wfl;     // 1 = no flow at the point (dry, or no friction value)
  // Velocities during the iterations. Held in double: with single-precision
  // velocities the residual summed over a fine grid (hundreds of points)
  // stalls at rounding level above the tolerance, and the iteration never
  // ends.
  double* wu;
};

// Sums over the wet grid of one lateral solve.
struct LatSums {
  float area = 1e-10f, wtop = 0.0001f, perim = 1e-10f, conv = 0.0f, rhyd = 0.0f;
};

// Work arrays of a single call, kept here so that the iterations allocate
// nothing; the grid itself lives in the section record.
double wm[3 * mxgrid];  // tridiagonal matrix, band layout (3, ng)
double wr[mxgrid];      // right-hand side, then the velocity correction
float wp_[mxgrid], wf_[mxgrid], wk15_[mxgrid], wu0_[mxgrid];
int wfl_[mxgrid];
double wu_[mxgrid];

Lat section_lat() {
  Ccs& c = ccs;
  return Lat{c.yg.data(),   c.zg.data(),   c.rkg.data(),  c.rvg.data(), c.hp.data(),
             c.ug.data(),   c.usg.data(),  c.epsg.data(), c.acum.data(), c.qcum.data(),
             c.idry.data(), wp_,           wf_,           wk15_,         wu0_,
             wfl_,          wu_};
}

constexpr float kSameX = 1.0e-10f;  // abscissae closer than this are one point
constexpr float kEndTol = 1.0e-5f;  // table ends extended this far

// Bed level at xp on the line through points j and i of the table (x, z).
inline float along(const float* x, const float* z, int j, int i, float xp) {
  const float dx = x[i] - x[j];
  if (std::fabs(dx) < kSameX) return z[j];
  const float slope = (z[i] - z[j]) / dx;
  return z[j] + (xp - x[j]) * slope;
}

std::string_view section_name(int isec) {
  if (isec >= 1 && isec <= mxlist) return cchar.csname(isec).view();
  return "        ";
}

// The exchange operator for velocities held in single or double precision.
template <class U>
void diff_t(int n, const float* y, const U* u, const float* h, const float* eps, float fac,
            const int* idry, int ld, double* m, double* r) {
  auto at = [m, ld](int i, int j) -> double& { return m[(i - 1) + (j - 1) * ld]; };
  double cp = 0.0;  // conductance and velocity step of the interval to the left
  double dp = 0.0;
  for (int j = 1; j <= n; ++j) {
    if (idry[j - 1] == 1) {
      if (j > 1) at(3, j - 1) = 0.0;
      at(2, j) = 1.0;
      if (j < n) at(1, j + 1) = 0.0;
      r[j - 1] = 0.0;
      cp = 0.0;
      dp = 0.0;
      continue;
    }
    double du = 0.0;
    double c = 0.0;
    if (j < n) {
      du = static_cast<double>(u[j]) - u[j - 1];
      const double dy = std::fabs(static_cast<double>(y[j]) - y[j - 1]);
      const double hh = static_cast<double>(h[j - 1]) * h[j];
      // Points at one place exchange nothing (no gradient can be formed).
      if (dy > 0.0 && hh > 0.0)
        c = std::sqrt(hh) * (static_cast<double>(eps[j - 1]) + eps[j]) / 2.0 * fac / dy;
    }
    if (j > 1) at(3, j - 1) = -cp;
    at(2, j) = c + cp;
    if (j < n) at(1, j + 1) = -c;
    r[j - 1] = c * du - cp * dp;
    cp = c;
    dp = du;
  }
}

}  // namespace

void diff(int n, const float* y, const float* u, const float* h, const float* eps, float fac,
          const int* idry, int ld, double* m, double* r) {
  diff_t(n, y, u, h, eps, fac, idry, ld, m, r);
}

namespace {

// Lateral grid of one call over the wetted points il..ir: ng points from
// y(il) at spacing sp (negative when y decreases), dy = |sp|.
struct Grid {
  int il = 0, ir = 0, ng = 0;
  float sp = 0.0f, dy = 0.0f;
};

// Equidistant grid over the wetted range: the preferred spacing `dgrid`
// when `ngrid` points cover the width with it, else `ngrid` points.
void lay_grid(Grid& gr, float* yg) {
  const Ccs& c = ccs;
  const float w = c.ysec(gr.ir) - c.ysec(gr.il);
  const int ngr = std::clamp(c.ngrid, 2, mxgrid);
  if (c.dgrid > 0.0f && c.dgrid * static_cast<float>(ngr - 1) >= std::fabs(w)) {
    gr.sp = w < 0.0f ? -c.dgrid : c.dgrid;
    gr.ng = std::min(static_cast<int>(w / gr.sp) + 1, ngr);
  } else {
    gr.ng = ngr;
    gr.sp = w / static_cast<float>(ngr - 1);
  }
  gr.dy = std::fabs(gr.sp);
  for (int j = 1; j <= gr.ng; ++j) yg[j - 1] = c.ysec(gr.il) + static_cast<float>(j - 1) * gr.sp;
}

// Whether the profile points il..ir ascend (with the warning when not).
bool range_ascends(int isec, int il, int ir, float y0) {
  const Ccs& c = ccs;
  float sl;
  int ist;
  rmint(ir - il + 1, &c.ysec(il), &c.zsec(il), y0, sl, ist);
  if (ist != 4) return true;
  fwritel(kStdout, {"warning: data of section ", section_name(isec), " not in ascending order"});
  return false;
}

// Bed level, friction and vegetation value of every grid point. Bed levels:
// interpolation along an ascending profile, a linear search when y goes
// back (overhangs, closed outlines). A point takes the values of the profile
// segment it lies on; the end points those of the range's end points.
void grid_bed_and_roughness(const Grid& gr, const float* k15, bool asc, const Lat& a) {
  const Ccs& c = ccs;
  const int il = gr.il, ir = gr.ir, ng = gr.ng;
  const int npr = ir - il + 1;
  const float* ys = &c.ysec(il);
  const float* zs = &c.zsec(il);
  const float* y1 = c.ysec.data() - 1;  // 1-based
  float sl;
  int ist;
  int ip = il;  // first point of the range beyond yg(j) in the grid direction
  const float span = static_cast<float>(ir - il);
  const float per_y = ys[npr - 1] > ys[0] ? 1.0f / (ys[npr - 1] - ys[0]) : 0.0f;
  float k_last = -1.0f, k15_last = 0.0f;  // power of the last Strickler value
  for (int j = 1; j <= ng; ++j) {
    const float xp = a.yg[j - 1];
    if (asc) {
      // The grid ascends with the profile: the first point beyond yg(j),
      // searched from where evenly spaced points would put it; the interval
      // before it holds yg(j) (the values of rmint).
      float t = (xp - ys[0]) * per_y;
      t = t > 0.0f ? std::min(t, 1.0f) : 0.0f;  // also for a position not a number
      ip = std::clamp(il + static_cast<int>(t * span), il, ir + 1);
      while (ip > il && y1[ip - 1] > xp) --ip;
      while (ip <= ir && y1[ip] <= xp) ++ip;
      if (xp < ys[0] - kEndTol) {
        a.zg[j - 1] = zs[0];
      } else if (xp > ys[npr - 1] + kEndTol) {
        a.zg[j - 1] = zs[npr - 1];
      } else {
        const int lo = std::clamp(ip - 1 - il, 0, npr - 2);
        a.zg[j - 1] = along(ys, zs, lo, lo + 1, xp);
      }
    } else {
      a.zg[j - 1] = rmint0(npr, ys, zs, xp, sl, ist);
      if (gr.sp > 0.0f) {
        while (ip <= ir && c.ysec(ip) <= xp) ++ip;
      } else {
        while (ip <= ir && c.ysec(ip) >= xp) ++ip;
      }
    }
    int is = std::clamp(ip - 1, il, ir);
    if (j == 1) is = il;
    if (j == ng) is = ir;
    a.rkg[j - 1] = c.rks(is);
    a.rvg[j - 1] = c.rveg(is);
    if (!k15 && c.rks(is) != k_last) {
      k_last = c.rks(is);
      k15_last = k_last > 0.0f ? std::pow(k_last, 1.5f) : 0.0f;
    }
    a.wk15[j - 1] = k15 ? k15[is - 1] : k15_last;
  }
}

// x^e remembering the last argument: along a grid the same friction values
// come back again and again (the same power of the same number).
struct LastPower {
  float e = 1.0f;  // the exponent
  float x = std::numeric_limits<float>::quiet_NaN(), r = 0.0f;
  float operator()(float v) {
    if (!(v == x)) {
      x = v;
      r = std::pow(v, e);
    }
    return r;
  }
};

// Cell perimeters and composite friction of bottom and side walls (walls
// carry the neighbours' values; updated in place from left to right), and
// the area, width and perimeter of the wet grid; for n rows of grids of the
// same size at once (levels zw, grids gr, arrays a), each row with its
// operations in their order: the rows only share the loop, so that their
// chains (the friction carried along the grid, the sums) overlap.
void cell_geometry(int n, const Grid* gr, const float* zw, const Lat* a, LatSums* sum) {
  float area[kLatRows], wtop[kLatRows], perim[kLatRows], k15_last[kLatRows], share[kLatRows];
  LastPower pow15[kLatRows], pow23[kLatRows];
  for (int r = 0; r < n; ++r) {
    k15_last[r] = std::numeric_limits<float>::quiet_NaN();
    share[r] = 0.0f;
    area[r] = 1e-10f;
    wtop[r] = 0.0001f;
    perim[r] = 1e-10f;
    pow15[r].e = 1.5f;
    pow23[r].e = 0.66667f;
  }
  const int ng = gr[0].ng;
  for (int j = 1; j <= ng; ++j) {
    for (int r = 0; r < n; ++r) {
      const Lat& b = a[r];
      const float dy = gr[r].dy;
      if (b.idry[j - 1] == 1) {
        b.wp[j - 1] = dy;
        continue;
      }
      const int jl = std::max(j - 1, 1);
      const int jr = std::min(j + 1, ng);
      const float zj = b.zg[j - 1];
      const float wl = j == 1 ? 0.0f : std::max(std::min(b.zg[jl - 1], zw[r]) - zj, 0.0f);
      const float wrr = j == ng ? 0.0f : std::max(std::min(b.zg[jr - 1], zw[r]) - zj, 0.0f);
      // p = sqrt(dy^2 + wl^2 + wr^2)
      const float p = std::sqrt(dy * dy + wl * wl + wrr * wrr);
      b.wp[j - 1] = p;
      // k = ((wl + dy + wr) / (wl/kl^1.5 + dy/k^1.5 + wr/kr^1.5))^(2/3); a part
      // without friction value makes the point carry no flow.
      bool none = !(b.wk15[j - 1] > 0.0f);
      if (b.wk15[j - 1] != k15_last[r]) {  // dy / k^1.5 changes with the friction value only
        k15_last[r] = b.wk15[j - 1];
        share[r] = dy / k15_last[r];
      }
      float den = none ? 0.0f : share[r];
      if (wl > 0.0f) {
        const float kl = b.rkg[jl - 1];
        if (kl > 0.0f)
          den += wl / pow15[r](kl);
        else
          none = true;
      }
      if (wrr > 0.0f) {
        if (b.wk15[jr - 1] > 0.0f)
          den += wrr / b.wk15[jr - 1];
        else
          none = true;
      }
      b.rkg[j - 1] = (none || !(den > 0.0f)) ? 0.0f : pow23[r]((wl + dy + wrr) / den);
      area[r] += dy * b.hp[j - 1];
      wtop[r] += dy;
      perim[r] += p;
    }
  }
  for (int r = 0; r < n; ++r) {
    sum[r].area = area[r];
    sum[r].wtop = wtop[r];
    sum[r].perim = perim[r];
  }
}

// Start values: local uniform flow at energy slope s.
void start_values(const Grid& gr, float s, const Lat& a) {
  const Ccs& c = ccs;
  const float g = cunit.grav;
  const int ng = gr.ng;
  const float dy = gr.dy;
  const float cv = c.cvdef;
  const float visc = cunit.visc;
  for (int j = 0; j < ng; ++j) {
    const float h = a.hp[j];
    const float k = a.rkg[j];
    if (a.idry[j] == 1 || !(k > 0.0f) || ng < 2) {
      a.wfl[j] = 1;
      a.wf[j] = 0.0f;
      a.ug[j] = 0.0f;
      a.usg[j] = 0.0f;
      a.epsg[j] = visc;
      a.wu0[j] = 0.0f;
      a.wu[j] = 0.0;
      continue;
    }
    a.wfl[j] = 0;
    // u* = sqrt(g h S dy / p)
    const float us = std::sqrt(h * g * s * dy / a.wp[j]);
    float f;
    if (k > 1.0f) {
      f = 3.132f / (k * std::pow(h, 0.166667f));  // Strickler value; 3.132 = sqrt(g)
    } else {
      // Roughness height: logarithmic law, kept positive where the relative
      // depth is so small that the law no longer applies.
      const float x = h / k;
      const float cc = x > 2.0f ? std::sqrt(1.0f - 1.0f / x) : 0.5f * std::sqrt(x);
      f = 1.0f / std::max((2.5f * std::log(x) + 6.0f) * cc, 0.1f);
    }
    if (a.rvg[j] > 0.0f) f = std::sqrt(a.rvg[j] * 0.5f * h + f * f);  // vegetation drag
    a.wf[j] = f;
    a.usg[j] = us;
    a.ug[j] = us / f;
    // eps = u* cv h + visc
    a.epsg[j] = us * cv * h + visc;
    a.wu0[j] = a.ug[j];
    a.wu[j] = a.ug[j];
  }
}

// Newton iterations on gravity + lateral exchange - bed friction = 0; itflag
// receives the count. Returns whether the residual fell below the tolerance.
bool newton_lateral(const Grid& gr, float s, float area, const Lat& a, int& itflag) {
  const Ccs& c = ccs;
  const float g = cunit.grav;
  const int ng = gr.ng;
  const float dy = gr.dy;
  const float cv = c.cvdef;
  const float visc = cunit.visc;
  if (ng < 2) return true;
  const double gas = static_cast<double>(g) * area * s;
  for (int it = 1; it <= maxitv; ++it) {
    diff_t(ng, a.yg, a.wu, a.hp, a.epsg, 1.0f, a.wfl, 3, wm, wr);
    double res = 0.0;
    for (int j = 0; j < ng; ++j) {
      if (a.wfl[j] == 1) continue;
      const double uf = a.wu[j] * a.wf[j];
      const double p = a.wp[j];
      // r = g h S dy + exchange - (u f)^2 p; the diagonal takes d/du of the friction
      wm[1 + j * 3] += 2.0 * uf * a.wf[j] * p;
      wr[j] = static_cast<double>(g) * a.hp[j] * s * dy + wr[j] - uf * uf * p;
      res += std::fabs(wr[j]);
    }
    mmtri(ng, wm, 3, wr, cunit.lulst);
    for (int j = 0; j < ng; ++j) {
      if (a.wfl[j] == 1) continue;
      a.wu[j] += wr[j];
      a.ug[j] = static_cast<float>(a.wu[j]);
      a.usg[j] = static_cast<float>(a.wu[j] * a.wf[j]);
      a.epsg[j] = a.usg[j] * cv * a.hp[j] + visc;
    }
    itflag = it;
    if (!std::isfinite(res)) return false;
    if (res / gas < 1e-5) return true;
  }
  return false;
}

// An iteration that ran away leaves the start values. Returns false then.
bool keep_finite(const Grid& gr, const Lat& a) {
  const Ccs& c = ccs;
  const int ng = gr.ng;
  bool finite = true;
  for (int j = 0; j < ng; ++j) finite = finite && std::isfinite(a.ug[j]);
  if (finite) return true;
  for (int j = 0; j < ng; ++j) {
    a.ug[j] = a.wu0[j];
    a.usg[j] = a.wu0[j] * a.wf[j];
    a.epsg[j] = a.usg[j] * c.cvdef * a.hp[j] + cunit.visc;
  }
  return false;
}

// Area and discharge accumulated from the left edge (the first point counts
// with depth 0); conveyance Q / sqrt(S). Without flow the velocities are 0.
void integrate(const Grid& gr, float s, bool flow, const Lat& a, LatSums& sum) {
  const int ng = gr.ng;
  const float dy = gr.dy;
  a.acum[0] = 0.0f;
  a.qcum[0] = 0.0f;
  for (int j = 1; j < ng; ++j) {
    const float ha = j == 1 ? 0.0f : a.hp[j - 1];
    const float hb = j == 1 ? 0.0f : a.hp[j - 1] * a.ug[j - 1];
    // A(j) = A(j-1) + (h(j-1) + h(j))/2 dy,  Q(j) = Q(j-1) + (h u(j-1) + h u(j))/2 dy
    a.acum[j] = a.acum[j - 1] + (ha + a.hp[j]) / 2.0f * dy;
    a.qcum[j] = a.qcum[j - 1] + (hb + a.hp[j] * a.ug[j]) / 2.0f * dy;
  }
  sum.area = ng >= 2 ? a.acum[ng - 1] : 0.0f;
  sum.conv = ng >= 2 ? a.qcum[ng - 1] / std::sqrt(s) : 0.0f;
  sum.rhyd = sum.perim > 0.0f ? sum.area / sum.perim : 0.0f;
  if (!flow) {
    for (int j = 0; j < ng; ++j) {
      a.ug[j] = 0.0f;
      a.usg[j] = 0.0f;
      a.epsg[j] = cunit.visc;
      a.qcum[j] = 0.0f;
    }
  }
}

// Results of a lateral solve into the section record.
void put_sums(const LatSums& sum) {
  Ccs& c = ccs;
  c.area = sum.area;
  c.wtop = sum.wtop;
  c.perim = sum.perim;
  c.conv = sum.conv;
  c.rhyd = sum.rhyd;
}

// ---- Table rows side by side ----

// Two rows' values of one grid point, and a mask over them (all bits set
// where true). The operations on them are those of the single solve, done
// for both rows at once.
using V2 = double __attribute__((vector_size(16)));
using M2 = long long __attribute__((vector_size(16)));
using F2 = float __attribute__((vector_size(8)));
constexpr int kPairs = kLatRows / 2;  // pairs of rows side by side
static_assert(kLatRows % 2 == 0);

// Work of kLatRows lateral solves on grids of the same size: each row's own
// arrays for laying out the grid and the start values, and the iteration
// values interleaved point by point (index j * kPairs + pair), so that the
// rows' tridiagonal eliminations, each a chain of divisions, run side by
// side. The single-precision values of the iterations are held exactly in
// double.
struct RowWork {
  float yg[kLatRows][mxgrid], zg[kLatRows][mxgrid], rkg[kLatRows][mxgrid];
  float rvg[kLatRows][mxgrid], hp[kLatRows][mxgrid], ug[kLatRows][mxgrid];
  float usg[kLatRows][mxgrid], epsg[kLatRows][mxgrid], acum[kLatRows][mxgrid];
  float qcum[kLatRows][mxgrid], wp[kLatRows][mxgrid], wf[kLatRows][mxgrid];
  float wk15[kLatRows][mxgrid], wu0[kLatRows][mxgrid];
  int idry[kLatRows][mxgrid], wfl[kLatRows][mxgrid];
  double wu[kLatRows][mxgrid];
  // velocity, band matrix, right-hand side, elimination factors
  V2 u[kPairs * mxgrid], m1[kPairs * mxgrid], m2[kPairs * mxgrid], m3[kPairs * mxgrid];
  V2 r[kPairs * mxgrid], gam[kPairs * mxgrid];
  // lateral position, depth, eddy viscosity, friction ratio, cell perimeter
  V2 y[kPairs * mxgrid], h[kPairs * mxgrid], eps[kPairs * mxgrid], f[kPairs * mxgrid];
  V2 p[kPairs * mxgrid];
  M2 dry[kPairs * mxgrid];  // no flow at the point
  // Fixed during the iterations, of the interval to the right of a point:
  // sqrt(h(j) h(j+1)), |y(j+1) - y(j)|, and whether it exchanges at all.
  // The gravity term g h S dy of the point.
  V2 rt[kPairs * mxgrid], dy[kPairs * mxgrid], gh[kPairs * mxgrid];
  M2 ex[kPairs * mxgrid];
};
RowWork rw;

Lat row_lat(int l) {
  RowWork& w = rw;
  return Lat{w.yg[l],   w.zg[l],   w.rkg[l], w.rvg[l], w.hp[l], w.ug[l],
             w.usg[l],  w.epsg[l], w.acum[l], w.qcum[l], w.idry[l], w.wp[l],
             w.wf[l],   w.wk15[l], w.wu0[l], w.wfl[l],  w.wu[l]};
}

inline V2 splat(double v) { return V2{v, v}; }
inline V2 vabs(V2 v) { return v < 0.0 ? -v : v; }

// The parts of the residual that stay fixed during the iterations (slope
// s, grid spacings dyl of the rows).
void fixed_terms(int ng, double s, const V2* dyl) {
  constexpr int K = kPairs;
  RowWork& w = rw;
  const V2 g = splat(cunit.grav), sv = splat(s);
  for (int j = 0; j < ng; ++j) {
    for (int v = 0; v < K; ++v) {
      const int x = j * K + v;
      w.gh[x] = g * w.h[x] * sv * dyl[v];
      if (j + 1 == ng) continue;
      const V2 dy = vabs(w.y[x + K] - w.y[x]);
      const V2 hh = w.h[x] * w.h[x + K];
      w.rt[x] = V2{std::sqrt(hh[0]), std::sqrt(hh[1])};
      w.dy[x] = dy;
      // Points at one place exchange nothing (no gradient can be formed).
      w.ex[x] = (dy > 0.0) & (hh > 0.0);
    }
  }
}

// v where the mask is clear, +0 where it is set.
inline V2 unless(M2 m, V2 v) { return reinterpret_cast<V2>(~m & reinterpret_cast<M2>(v)); }

// The exchange operator of diff_t (velocities in double) and the gravity
// and friction of the Newton residual, for every row in one pass (res: the
// sum of the residual magnitudes of each row; the terms are added in the
// order of the single solve), with the forward elimination of mmtri at each
// point as soon as its row of the matrix is complete: the elimination's
// chain of divisions runs beside the residual's work. False when a row still
// iterating (mask active) meets a zero or vanishing pivot (the single-row
// path reports it).
bool residual_rows(int ng, V2* res, const M2* active) {
  constexpr int K = kPairs;
  RowWork& w = rw;
  const V2 zero = splat(0.0), one = splat(1.0), half = splat(0.5), two = splat(2.0);
  V2 cp[K], dp[K], bet[K];
  M2 bad = {0, 0};
  for (int v = 0; v < K; ++v) cp[v] = dp[v] = res[v] = zero;
  for (int j = 0; j < ng; ++j) {
    const bool last = j == ng - 1;
    for (int v = 0; v < K; ++v) {
      const int x = j * K + v;
      V2 du = zero, c = zero;
      if (!last) {
        du = w.u[x + K] - w.u[x];
        // c = sqrt(h h') (eps + eps') / 2 / dy (the halving as a product: same value)
        c = unless(~w.ex[x], w.rt[x] * (w.eps[x] + w.eps[x + K]) * half / w.dy[x]);
      }
      const M2 dry = w.dry[x];
      if (j > 0) w.m3[x - K] = unless(dry, -cp[v]);
      if (!last) w.m1[x + K] = unless(dry, -c);
      // r = g h S dy + exchange - (u f)^2 p; the diagonal takes d/du of the friction
      const V2 uf = w.u[x] * w.f[x];
      const V2 p = w.p[x];
      w.m2[x] = dry ? one : c + cp[v] + two * uf * w.f[x] * p;
      w.r[x] = unless(dry, w.gh[x] + (c * du - cp[v] * dp[v]) - uf * uf * p);
      res[v] += vabs(w.r[x]);
      cp[v] = unless(dry, c);
      dp[v] = unless(dry, du);
      // Forward elimination (mmtri) of point j.
      if (j == 0) {
        bet[v] = w.m2[x];
        bad |= active[v] & (bet[v] == 0.0);
        w.r[x] /= bet[v];
      } else {
        w.gam[x] = w.m1[x] / bet[v];
        bet[v] = w.m2[x] - w.m3[x - K] * w.gam[x];
        bad |= active[v] & (vabs(bet[v]) < kTinyTri);
        w.r[x] = (w.r[x] - w.m3[x - K] * w.r[x - K]) / bet[v];
      }
    }
  }
  return !(bad[0] || bad[1]);
}

// The back substitution of mmtri for every row, each velocity of a row still
// iterating (mask active) moved by its correction as soon as that is known,
// and the eddy viscosity updated with it.
void step_rows(int ng, const M2* active) {
  constexpr int K = kPairs;
  RowWork& w = rw;
  const F2 cv = {ccs.cvdef, ccs.cvdef}, visc = {cunit.visc, cunit.visc};
  // u += du; eps = u* cv h + visc in single precision, u* = u f
  auto move = [&w, cv, visc, active](int x, int v) {
    const M2 go = active[v] & ~w.dry[x];
    const V2 u = w.u[x] + w.r[x];
    const F2 us = __builtin_convertvector(u * w.f[x], F2);
    const F2 e = us * cv * __builtin_convertvector(w.h[x], F2) + visc;
    w.u[x] = go ? u : w.u[x];
    w.eps[x] = go ? __builtin_convertvector(e, V2) : w.eps[x];
  };
  for (int v = 0; v < K; ++v) move((ng - 1) * K + v, v);
  for (int j = ng - 2; j >= 0; --j) {
    for (int v = 0; v < K; ++v) {
      const int x = j * K + v;
      w.r[x] -= w.gam[x + K] * w.r[x + K];
      move(x, v);
    }
  }
}

// newton_lateral for every row: each row runs the operations of a single
// solve in their order, so its values are bit for bit the same, and stops
// at its own convergence (itl). False when a row needs the single-row path:
// no convergence, a residual not finite, a vanishing pivot.
bool newton_rows(int ng, float s, const float* dyl, const double* gas, int* itl) {
  constexpr int K = kPairs;
  V2 dy[K], res[K];
  M2 active[K];
  for (int v = 0; v < K; ++v) {
    dy[v] = V2{dyl[2 * v], dyl[2 * v + 1]};
    active[v] = M2{-1, -1};
  }
  int left = kLatRows;
  fixed_terms(ng, s, dy);
  for (int it = 1; it <= maxitv && left > 0; ++it) {
    if (!residual_rows(ng, res, active)) return false;
    step_rows(ng, active);
    for (int l = 0; l < kLatRows; ++l) {
      if (!active[l / 2][l % 2]) continue;
      itl[l] = it;
      const double rl = res[l / 2][l % 2];
      if (!std::isfinite(rl)) return false;
      if (rl / gas[l] < 1e-5) {
        active[l / 2][l % 2] = 0;
        --left;
      }
    }
  }
  return left == 0;
}

// Grid, bed levels, friction values and depths of row l; false when the
// row needs the single-row path.
bool lay_row(int l, float zw, int il, int ir, const float* k15, float zlow, Grid& gr) {
  const Ccs& c = ccs;
  gr.il = il;
  gr.ir = ir;
  if (!(zlow < zw) || il < 1 || ir <= il || c.ysec(ir) - c.ysec(il) == 0.0f) return false;
  const Lat a = row_lat(l);
  lay_grid(gr, a.yg);
  if (gr.ng < 2) return false;
  grid_bed_and_roughness(gr, k15, true, a);
  for (int j = 0; j < gr.ng; ++j) {
    const bool wet = zw > a.zg[j];
    a.idry[j] = wet ? 0 : 1;
    a.hp[j] = wet ? zw - a.zg[j] : 0.0f;
  }
  return true;
}

// Start values of row l and their interleaved copies.
void start_row(int l, const Grid& gr, float s) {
  constexpr int K = kPairs;
  RowWork& w = rw;
  const Lat a = row_lat(l);
  start_values(gr, s, a);
  const int v = l / 2, e = l % 2;
  for (int j = 0; j < gr.ng; ++j) {
    const int x = j * K + v;
    w.u[x][e] = a.wu[j];
    w.y[x][e] = a.yg[j];
    w.h[x][e] = a.hp[j];
    w.eps[x][e] = a.epsg[j];
    w.f[x][e] = a.wf[j];
    w.p[x][e] = a.wp[j];
    w.dry[x][e] = a.wfl[j] == 1 ? -1 : 0;
  }
}

// The section record as vdis_k leaves it after the solve of row l at level
// zw: depths and dry flags of the profile, then the grid and its values.
void keep_row(int l, float zw, int ng, const LatSums& sum) {
  constexpr int K = kPairs;
  Ccs& c = ccs;
  const RowWork& w = rw;
  int il, ir;
  csdry(c.zsec.data(), c.np, zw, il, ir);
  c.ng = ng;
  for (int j = 0; j < ng; ++j) {
    const int x = j * K + l / 2, e = l % 2;
    const bool fl = w.wfl[l][j] == 1;
    c.yg(j + 1) = w.yg[l][j];
    c.zg(j + 1) = w.zg[l][j];
    c.rkg(j + 1) = w.rkg[l][j];
    c.rvg(j + 1) = w.rvg[l][j];
    c.ug(j + 1) = w.ug[l][j];
    c.usg(j + 1) = fl ? w.usg[l][j] : static_cast<float>(w.u[x][e] * w.f[x][e]);
    c.epsg(j + 1) = fl ? w.epsg[l][j] : static_cast<float>(w.eps[x][e]);
    c.acum(j + 1) = w.acum[l][j];
    c.qcum(j + 1) = w.qcum[l][j];
  }
  csdry(c.zg.data(), ng, zw, il, ir);
  put_sums(sum);
}

}  // namespace

bool vdis_rows(int n, const float* zw, const int* il, const int* ir, float slope,
               const float* k15, float zlow, LatRow* out, int keep) {
  constexpr int K = kLatRows;
  RowWork& w = rw;
  if (n < 1 || n > K || !(slope > 0.0f && std::isfinite(slope))) return false;
  Grid gr[K];
  LatSums sum[K];
  float dyl[K];
  double gas[K];
  float zl[K];
  Lat lat[K];
  for (int l = 0; l < K; ++l) {
    const int q = std::min(l, n - 1);  // lanes beyond the rows repeat the last
    zl[l] = zw[q];
    lat[l] = row_lat(l);
    if (!lay_row(l, zl[l], il[q], ir[q], k15, zlow, gr[l])) return false;
    if (gr[l].ng != gr[0].ng) return false;
  }
  cell_geometry(K, gr, zl, lat, sum);
  for (int l = 0; l < K; ++l) {
    start_row(l, gr[l], slope);
    dyl[l] = gr[l].dy;
    gas[l] = static_cast<double>(cunit.grav) * sum[l].area * slope;
  }
  const int ng = gr[0].ng;
  int itl[K] = {};
  if (!newton_rows(ng, slope, dyl, gas, itl)) return false;
  for (int l = 0; l < K; ++l) {
    const Lat a = row_lat(l);
    for (int j = 0; j < ng; ++j) {
      a.ug[j] = a.wfl[j] == 1 ? a.ug[j] : static_cast<float>(w.u[j * kPairs + l / 2][l % 2]);
      if (!std::isfinite(a.ug[j])) return false;
    }
  }
  for (int l = 0; l < n; ++l) {
    integrate(gr[l], slope, true, row_lat(l), sum[l]);
    out[l] = {sum[l].area, sum[l].wtop, sum[l].perim, sum[l].conv, itl[l]};
  }
  if (keep >= 0 && keep < n) keep_row(keep, zw[keep], ng, sum[keep]);
  return true;
}

void vdis_k(int isec, float zw, float slope, int& itflag, const float* k15) {
  Ccs& c = ccs;
  const int ientry = itflag;
  itflag = 0;
  c.area = 1e-10f;
  c.perim = 1e-10f;
  c.wtop = 0.0001f;

  if (c.np == 1) {
    // A tube has no lateral distribution: its closed form.
    c.ng = 0;
    cstube(zw);
    return;
  }

  // Wetted range of points.
  int il, ir;
  if (ientry == -2) {
    il = 1;
    ir = c.np;
  } else {
    csdry(c.zsec.data(), c.np, zw, il, ir);
  }
  vdis_range(isec, zw, slope, itflag, k15, il, ir, c.zmin);
}

void vdis_range(int isec, float zw, float slope, int& itflag, const float* k15, int il, int ir,
                float zlow) {
  Ccs& c = ccs;
  itflag = 0;
  c.area = 1e-10f;
  c.perim = 1e-10f;
  c.wtop = 0.0001f;
  Grid gr;
  gr.il = il;
  gr.ir = ir;
  if (!(zlow < zw) || gr.il < 1 || gr.ir <= gr.il) {
    c.ng = 0;
    c.conv = 0.0f;
    c.rhyd = 1e-10f;
    return;
  }

  // A slope of zero carries no discharge; the distribution and the
  // conveyance are then those of a nominal slope, the velocities zero.
  const bool flow = slope > 0.0f && std::isfinite(slope);
  const float s = flow ? slope : 0.001f;

  // A range that ends where it starts (a closed outline under water) cannot
  // be gridded laterally: it gets the trapezoid sum.
  if (c.ysec(gr.ir) - c.ysec(gr.il) == 0.0f) {
    c.ng = 0;
    float z = zw;
    cscnv(z);
    return;
  }
  const Lat a = section_lat();
  lay_grid(gr, a.yg);
  c.ng = gr.ng;
  const bool asc = range_ascends(isec, gr.il, gr.ir, a.yg[0]);
  grid_bed_and_roughness(gr, k15, asc, a);
  int idum1, idum2;
  csdry(a.zg, gr.ng, zw, idum1, idum2);
  LatSums sum;
  cell_geometry(1, &gr, &zw, &a, &sum);
  start_values(gr, s, a);
  bool conv = newton_lateral(gr, s, sum.area, a, itflag);
  if (!keep_finite(gr, a)) conv = false;
  if (!conv) {
    cinput.cmesg = fformat("('WARNING: ',a8,' not converged')", {section_name(isec)});
    iimesg(cinput.cmesg.view());
  }
  integrate(gr, s, flow, a, sum);
  put_sums(sum);
}

void vdis(int isec, float zw, float slope, int& itflag) {
  vdis_k(isec, zw, slope, itflag, nullptr);
}

}  // namespace riv
