// Numerical kernels shared by the hydraulic computations: linear
// interpolation in tables of pairs, the banded LU solver of the flood-routing
// step, the tridiagonal solver of the lateral velocity distribution and of the
// mixing model, and an array fill.
//
// Arrays are passed by pointer with their counts. Band matrices keep the
// column-major layout of the routing and mixing code: element (i, j), both
// 1-based, of an array with leading dimension ld stands at [(i-1) + (j-1)*ld].
#pragma once

namespace riv {

// ---- Table interpolation ----
// All three interpolate linearly in the table (x(i), y(i)), i = 1..n, and
// return the value at xp, the slope dy/dx of the interval used (0 when a table
// value is returned as it is) and a status:
//   0 inside the table, 1 single pair (y(1) returned), 2 xp below the table,
//   3 xp above the table, 4 (rmint only) x not ascending.
// An empty table (n <= 0) gives 0 with status 0.

// Ascending table (checked, status 4); bisection; y(1) below and y(n) above
// the table, the end intervals being extended within 1e-5 of the ends.
// An empty table leaves slope untouched.
float rmint(int n, const float* x, const float* y, float xp, float& slope, int& ierr);

// Ascending or descending table; linear scan; outside the table the end
// interval is extended (not reported in ierr).
float rmint0(int n, const float* x, const float* y, float xp, float& slope, int& ierr);

// Strictly ascending table (not checked); bisection; y(1) below the table, the
// last interval extended above it. Equal abscissae give y(lo) with slope 0.
float rmint1(int n, const float* x, const float* y, float xp, float& slope, int& ierr);

// ---- Banded system, LU decomposition with partial pivoting ----
// a(np, m1+m2+1): row i of the matrix in row i of a, element (i, j) of the
// matrix in column j-i+m1+1 (diagonal in column m1+1). On return a holds U
// (diagonal in column 1), al(np, m1) the multipliers of L and indx(n) the row
// interchanges; b(n) holds the solution. A pivot below 1e-20 is reported as
// the error "mbsolv: matrix is numerically singular" on unit iunit and
// replaced by 1e-20; an exactly zero pivot is a fatal error (program ends).
// Nothing is done when n <= 0, m1 < 0, m2 < 0 or np < n.
void mbsolv(int n, double* a, int np, int m1, int m2, double* b, double* al, int* indx, int iunit);
// The factorisation step of mbsolv.
void bandec(int n, double* a, int np, int m1, int m2, double* al, int* indx, int iunit);
// Forward and back substitution with a factorisation from bandec.
void banbks(int n, const double* a, int np, int m1, int m2, const double* al, const int* indx,
            double* b);

// ---- Tridiagonal system, Thomas algorithm (no pivoting) ----
// m(ld, n), ld >= 3: m(1,j) = A(j-1,j), m(2,j) = A(j,j), m(3,j) = A(j+1,j).
// r(n): right-hand side on entry, solution on return. At most kMmtriMax
// equations (more ends the program); a zero first diagonal element is fatal;
// a later pivot below 1e-16 is reported as the error "mmtri: matrix
// algorithmically singular" and replaced by 1e-16.
constexpr int kMmtriMax = 1024;
// The smallest pivot mmtri accepts (single-precision 1e-16 in double).
constexpr double kTinyTri = static_cast<double>(1.0e-16f);
void mmtri(int n, const double* m, int ld, double* r, int iunit);

// Sets a(1..n) to v; nothing when n <= 0.
void mmset(float* a, int n, float v);

}  // namespace riv
