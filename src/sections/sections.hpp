// Cross-section hydraulics on the section loaded in the work record `ccs`:
// wet points and depths, area, wetted perimeter, surface width, conveyance
// and hydraulic radius at a water level (trapezoid sum or circular tube), the
// property table of a section over its height, and the lateral distribution
// of the depth-averaged velocity for compound sections.
//
// Arrays are passed as pointers to their first element (index 1 of the model
// arrays). Results go to the work record; they describe the section loaded
// last and the level given last.
#pragma once

namespace riv {

// ---- Conveyance and section properties ----

// Depth hp(i) and dry flag idry(i) of the n levels za at water level zw (a
// level at or above zw is dry); recomputes zmin, imin and zmax of za. ileft
// and iright bound the wetted range (0 when nothing is wet): with `lmain` only
// the water connected to the lowest point, otherwise from the first to the
// last wet point widened by one dry neighbour on each side.
void csdry(const float* za, int n, float zw, int& ileft, int& iright);

// Area, perimeter, width, conveyance and hydraulic radius of the loaded
// section at zw (tubes through cstube). A level that wets nothing is reported
// on the terminal, gets near-zero properties (1e-10) and is set to zmin+0.001.
void cscnv(float& zw);
inline void cscnv(float&& zw) { cscnv(zw); }

// Properties of a circular tube (diameter ysec(1), invert zsec(1)); the
// surface width never falls below the slot width `wslot`.
void cstube(float zw);

// Loads section isec with bed shift dzb and computes its properties at zw:
// trapezoid sum, or the lateral method for compound sections (itflag < 0
// forces it, -2 over the whole profile). itflag returns the iteration count.
void csval(int isec, float& zw, float dzb, float slope, int& itflag);
inline void csval(int isec, float&& zw, float dzb, float slope, int& itflag) {
  csval(isec, zw, dzb, slope, itflag);
}

// Loads section isec with bed shift dzb and fills the property table ztab,
// atab, btab, ktab, rtab at `ntabv` (at most 40) equidistant levels from the
// lowest point to 0.5 m above the highest; zoff is added to the levels.
// itmax: largest iteration count of the lateral method (0 for plain sections).
void cstab(int isec, float zoff, float dzb, int& itmax);

// ---- Lateral velocity distribution ----

// Lateral distribution of the depth-averaged velocity of the loaded section
// at level zw and energy slope `slope` on a grid of at most `ngrid` points;
// fills the grid arrays, area, perim, wtop, rhyd and conv = Q / sqrt(slope).
// isec names the section in messages. itflag: -2 on entry grids the whole
// profile; on return the number of Newton iterations.
void vdis(int isec, float zw, float slope, int& itflag);

// Lateral exchange operator for a quantity u on n grid points (y, depth h,
// eddy viscosity eps scaled by fac, dry flags idry): the symmetric
// tridiagonal matrix m(ld, n) (m(1,j) above, m(2,j) on, m(3,j) below the
// diagonal in column j) and the net exchange r(n) at each point. Dry points
// get an identity row.
void diff(int n, const float* y, const float* u, const float* h, const float* eps, float fac,
          const int* idry, int ld, double* m, double* r);

// ---- Kernels used by cstab: as cscnv and vdis, with the power 1.5 of the
// Strickler value of every point of the loaded section computed once per
// load (k15[i-1] = rks(i)^1.5). Results are identical to cscnv and vdis.
void cs_k15(float* k15);
void cscnv_k(float& zw, const float* k15);
void vdis_k(int isec, float zw, float slope, int& itflag, const float* k15);
// vdis_k on the wetted points il..ir found by the caller; zlow is the lowest
// point of the profile. Depths and dry flags of the profile are not written.
void vdis_range(int isec, float zw, float slope, int& itflag, const float* k15, int il, int ir,
                float zlow);
// vdis_range for n <= kLatRows levels zw of the loaded section at once
// (wetted ranges il..ir, lowest point zlow), whose points must ascend: the
// rows' area, top width, perimeter, conveyance and iteration count, bit for
// bit those of vdis_range, in out. Row `keep` (if any, else -1) also leaves
// the section record as vdis_k would; nothing else is written. False, with
// nothing stored, when a row needs vdis_range itself (its grid size
// differs, it does not converge, or a message would be due).
constexpr int kLatRows = 4;
struct LatRow {
  float area, wtop, perim, conv;
  int it;
};
bool vdis_rows(int n, const float* zw, const int* il, const int* ir, float slope,
               const float* k15, float zlow, LatRow* out, int keep);

// ---- Section list command ----

// Lists all sections of the list (text window and listing, with branch lines
// in list and in reverse order) and shows their shapes one after another.
void clist();
// The 1000 picture points of the loaded section: lateral positions from the
// smaller of its first and last coordinate, levels above its lowest point;
// the last point repeated beyond np. A circular tube gives its outline.
void clist_shape(float* x, float* y);

}  // namespace riv
