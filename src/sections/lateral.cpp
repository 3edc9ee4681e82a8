// Lateral distribution of the depth-averaged velocity in a section: an
// equidistant grid over the wetted width, local friction (Strickler value or
// roughness height, composite with the side walls, plus vegetation drag), and
// the lateral momentum balance between gravity, bed friction and turbulent
// exchange solved by Newton iterations on a tridiagonal system. The
// integrated discharge gives the section's conveyance.
#include <algorithm>
#include <cmath>

#include "input/notify.hpp"
#include "input/input.hpp"
#include "model/model.hpp"
#include "numerics/numerics.hpp"
#include "sections/sections.hpp"

namespace riv {

namespace {

// Work arrays of one call (grid points 1..ng at index 0..ng-1). Kept here so
// that the iterations allocate nothing.
double wm[3 * mxgrid];  // tridiagonal matrix, band layout (3, ng)
double wr[mxgrid];      // right-hand side, then the velocity correction
float wp[mxgrid];       // wetted perimeter of each grid cell
float wf[mxgrid];       // friction ratio u*/u
float wk15[mxgrid];     // Strickler value^1.5 of the profile segment of the point
float wu0[mxgrid];      // start velocities (fallback after a failed iteration)
int wfl[mxgrid];        // 1 = no flow at the point (dry, or no friction value)
// Velocities during the iterations. Held in double: with single-precision
// velocities the residual summed over a fine grid (hundreds of points) stalls
// at rounding level above the tolerance, and the iteration never ends.
double wu[mxgrid];

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
void lay_grid(Grid& gr) {
  Ccs& c = ccs;
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
  c.ng = gr.ng;
  for (int j = 1; j <= gr.ng; ++j) c.yg(j) = c.ysec(gr.il) + static_cast<float>(j - 1) * gr.sp;
}

// Bed level, friction and vegetation value of every grid point. Bed levels:
// interpolation along an ascending profile, a linear search when y goes
// back (overhangs, closed outlines). A point takes the values of the profile
// segment it lies on; the end points those of the range's end points.
void grid_bed_and_roughness(int isec, const Grid& gr, const float* k15) {
  Ccs& c = ccs;
  const int il = gr.il, ir = gr.ir, ng = gr.ng;
  const int npr = ir - il + 1;
  const float* ys = &c.ysec(il);
  const float* zs = &c.zsec(il);
  float sl;
  int ist;
  rmint(npr, ys, zs, c.yg(1), sl, ist);
  const bool asc = ist != 4;
  if (!asc) {
    fwritel(kStdout, {"warning: data of section ", section_name(isec), " not in ascending order"});
  }
  int lo = 0;   // interval of the ascending profile holding yg(j)
  int ip = il;  // first point of the range beyond yg(j) in the grid direction
  float k_last = -1.0f, k15_last = 0.0f;  // power of the last Strickler value
  for (int j = 1; j <= ng; ++j) {
    const float xp = c.yg(j);
    if (asc) {
      // The grid ascends: walk the interval along (same values as rmint).
      if (xp < ys[0] - kEndTol) {
        c.zg(j) = zs[0];
      } else if (xp > ys[npr - 1] + kEndTol) {
        c.zg(j) = zs[npr - 1];
      } else {
        while (lo + 1 < npr - 1 && ys[lo + 1] <= xp) ++lo;
        c.zg(j) = along(ys, zs, lo, lo + 1, xp);
      }
    } else {
      c.zg(j) = rmint0(npr, ys, zs, xp, sl, ist);
    }
    if (gr.sp > 0.0f) {
      while (ip <= ir && c.ysec(ip) <= xp) ++ip;
    } else {
      while (ip <= ir && c.ysec(ip) >= xp) ++ip;
    }
    int is = std::clamp(ip - 1, il, ir);
    if (j == 1) is = il;
    if (j == ng) is = ir;
    c.rkg(j) = c.rks(is);
    c.rvg(j) = c.rveg(is);
    if (!k15 && c.rks(is) != k_last) {
      k_last = c.rks(is);
      k15_last = k_last > 0.0f ? std::pow(k_last, 1.5f) : 0.0f;
    }
    wk15[j - 1] = k15 ? k15[is - 1] : k15_last;
  }
}

// Cell perimeters and composite friction of bottom and side walls (walls
// carry the neighbours' values; updated in place from left to right), and
// the area, width and perimeter of the wet grid.
void cell_geometry(const Grid& gr, float zw) {
  Ccs& c = ccs;
  const int ng = gr.ng;
  const float dy = gr.dy;
  float area = 1e-10f;
  float wtop = 0.0001f;
  float perim = 1e-10f;
  for (int j = 1; j <= ng; ++j) {
    if (c.idry(j) == 1) {
      wp[j - 1] = dy;
      continue;
    }
    const int jl = std::max(j - 1, 1);
    const int jr = std::min(j + 1, ng);
    const float zj = c.zg(j);
    const float wl = j == 1 ? 0.0f : std::max(std::min(c.zg(jl), zw) - zj, 0.0f);
    const float wrr = j == ng ? 0.0f : std::max(std::min(c.zg(jr), zw) - zj, 0.0f);
    // p = sqrt(dy^2 + wl^2 + wr^2)
    const float p = std::sqrt(dy * dy + wl * wl + wrr * wrr);
    wp[j - 1] = p;
    // k = ((wl + dy + wr) / (wl/kl^1.5 + dy/k^1.5 + wr/kr^1.5))^(2/3); a part
    // without friction value makes the point carry no flow.
    bool none = !(wk15[j - 1] > 0.0f);
    float den = none ? 0.0f : dy / wk15[j - 1];
    if (wl > 0.0f) {
      const float kl = c.rkg(jl);
      if (kl > 0.0f)
        den += wl / std::pow(kl, 1.5f);
      else
        none = true;
    }
    if (wrr > 0.0f) {
      if (wk15[jr - 1] > 0.0f)
        den += wrr / wk15[jr - 1];
      else
        none = true;
    }
    c.rkg(j) = (none || !(den > 0.0f)) ? 0.0f : std::pow((wl + dy + wrr) / den, 0.66667f);
    area += dy * c.hp(j);
    wtop += dy;
    perim += p;
  }
  c.area = area;
  c.wtop = wtop;
  c.perim = perim;
}

// Start values: local uniform flow at energy slope s.
void start_values(const Grid& gr, float s) {
  Ccs& c = ccs;
  const float g = cunit.grav;
  const int ng = gr.ng;
  const float dy = gr.dy;
  const float cv = c.cvdef;
  const float visc = cunit.visc;
  for (int j = 1; j <= ng; ++j) {
    const float h = c.hp(j);
    const float k = c.rkg(j);
    if (c.idry(j) == 1 || !(k > 0.0f) || ng < 2) {
      wfl[j - 1] = 1;
      wf[j - 1] = 0.0f;
      c.ug(j) = 0.0f;
      c.usg(j) = 0.0f;
      c.epsg(j) = visc;
      wu0[j - 1] = 0.0f;
      wu[j - 1] = 0.0;
      continue;
    }
    wfl[j - 1] = 0;
    // u* = sqrt(g h S dy / p)
    const float us = std::sqrt(h * g * s * dy / wp[j - 1]);
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
    if (c.rvg(j) > 0.0f) f = std::sqrt(c.rvg(j) * 0.5f * h + f * f);  // vegetation drag
    wf[j - 1] = f;
    c.usg(j) = us;
    c.ug(j) = us / f;
    // eps = u* cv h + visc
    c.epsg(j) = us * cv * h + visc;
    wu0[j - 1] = c.ug(j);
    wu[j - 1] = c.ug(j);
  }
}

// Newton iterations on gravity + lateral exchange - bed friction = 0; itflag
// receives the count. Returns whether the residual fell below the tolerance.
bool newton_lateral(const Grid& gr, float s, int& itflag) {
  Ccs& c = ccs;
  const float g = cunit.grav;
  const int ng = gr.ng;
  const float dy = gr.dy;
  const float cv = c.cvdef;
  const float visc = cunit.visc;
  if (ng < 2) return true;
  const double gas = static_cast<double>(g) * c.area * s;
  for (int it = 1; it <= maxitv; ++it) {
    diff_t(ng, c.yg.data(), wu, c.hp.data(), c.epsg.data(), 1.0f, wfl, 3, wm, wr);
    double res = 0.0;
    for (int j = 1; j <= ng; ++j) {
      if (wfl[j - 1] == 1) continue;
      const double uf = wu[j - 1] * wf[j - 1];
      const double p = wp[j - 1];
      // r = g h S dy + exchange - (u f)^2 p; the diagonal takes d/du of the friction
      wm[1 + (j - 1) * 3] += 2.0 * uf * wf[j - 1] * p;
      wr[j - 1] = static_cast<double>(g) * c.hp(j) * s * dy + wr[j - 1] - uf * uf * p;
      res += std::fabs(wr[j - 1]);
    }
    mmtri(ng, wm, 3, wr, cunit.lulst);
    for (int j = 1; j <= ng; ++j) {
      if (wfl[j - 1] == 1) continue;
      wu[j - 1] += wr[j - 1];
      c.ug(j) = static_cast<float>(wu[j - 1]);
      c.usg(j) = static_cast<float>(wu[j - 1] * wf[j - 1]);
      c.epsg(j) = c.usg(j) * cv * c.hp(j) + visc;
    }
    itflag = it;
    if (!std::isfinite(res)) return false;
    if (res / gas < 1e-5) return true;
  }
  return false;
}

// An iteration that ran away leaves the start values. Returns false then.
bool keep_finite(const Grid& gr) {
  Ccs& c = ccs;
  const int ng = gr.ng;
  bool finite = true;
  for (int j = 1; j <= ng; ++j) finite = finite && std::isfinite(c.ug(j));
  if (finite) return true;
  for (int j = 1; j <= ng; ++j) {
    c.ug(j) = wu0[j - 1];
    c.usg(j) = wu0[j - 1] * wf[j - 1];
    c.epsg(j) = c.usg(j) * c.cvdef * c.hp(j) + cunit.visc;
  }
  return false;
}

// Area and discharge accumulated from the left edge (the first point counts
// with depth 0); conveyance Q / sqrt(S). Without flow the velocities are 0.
void integrate(const Grid& gr, float s, bool flow) {
  Ccs& c = ccs;
  const int ng = gr.ng;
  const float dy = gr.dy;
  c.acum(1) = 0.0f;
  c.qcum(1) = 0.0f;
  for (int j = 2; j <= ng; ++j) {
    const float a = j == 2 ? 0.0f : c.hp(j - 1);
    const float b = j == 2 ? 0.0f : c.hp(j - 1) * c.ug(j - 1);
    // A(j) = A(j-1) + (h(j-1) + h(j))/2 dy,  Q(j) = Q(j-1) + (h u(j-1) + h u(j))/2 dy
    c.acum(j) = c.acum(j - 1) + (a + c.hp(j)) / 2.0f * dy;
    c.qcum(j) = c.qcum(j - 1) + (b + c.hp(j) * c.ug(j)) / 2.0f * dy;
  }
  c.area = ng >= 2 ? c.acum(ng) : 0.0f;
  c.conv = ng >= 2 ? c.qcum(ng) / std::sqrt(s) : 0.0f;
  c.rhyd = c.perim > 0.0f ? c.area / c.perim : 0.0f;
  if (!flow) {
    for (int j = 1; j <= ng; ++j) {
      c.ug(j) = 0.0f;
      c.usg(j) = 0.0f;
      c.epsg(j) = cunit.visc;
      c.qcum(j) = 0.0f;
    }
  }
}

}  // namespace

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
  lay_grid(gr);
  grid_bed_and_roughness(isec, gr, k15);
  int idum1, idum2;
  csdry(c.zg.data(), gr.ng, zw, idum1, idum2);
  cell_geometry(gr, zw);
  start_values(gr, s);
  bool conv = newton_lateral(gr, s, itflag);
  if (!keep_finite(gr)) conv = false;
  if (!conv) {
    cinput.cmesg = fformat("('WARNING: ',a8,' not converged')", {section_name(isec)});
    iimesg(cinput.cmesg.view());
  }
  integrate(gr, s, flow);
}

void vdis(int isec, float zw, float slope, int& itflag) {
  vdis_k(isec, zw, slope, itflag, nullptr);
}

}  // namespace riv
