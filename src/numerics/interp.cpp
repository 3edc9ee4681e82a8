// Linear interpolation in tables of pairs: hydrographs, boundary tables, the
// level-dependent section tables and lateral bed profiles. Indices below are
// 0-based; lo and hi bracket xp after the bisection.
#include <cmath>

#include "numerics/numerics.hpp"

namespace riv {
namespace {

// Abscissae closer than this are treated as one point (no slope).
constexpr float kSameX = 1.0e-10f;
// rmint extends the end intervals this far beyond the table ends.
constexpr float kEndTol = 1.0e-5f;

// Narrows [lo, hi] = [0, n-1] to the interval holding xp (n >= 2).
void bisect(int n, const float* x, float xp, int& lo, int& hi) {
  lo = 0;
  hi = n - 1;
  while (hi - lo >= 2) {
    int mid = (lo + hi) / 2;
    if (x[mid] > xp)
      hi = mid;
    else
      lo = mid;
  }
}

// Value on the line through (x[j], y[j]) and (x[i], y[i]); y[j] with slope 0
// when the two abscissae coincide.
float along(const float* x, const float* y, int j, int i, float xp, float& slope) {
  float dx = x[i] - x[j];
  if (std::fabs(dx) < kSameX) {
    slope = 0.0f;
    return y[j];
  }
  slope = (y[i] - y[j]) / dx;
  return y[j] + (xp - x[j]) * slope;
}

}  // namespace

float rmint(int n, const float* x, const float* y, float xp, float& slope, int& ierr) {
  ierr = 0;
  if (n <= 0) return 0.0f;
  if (n == 1) {
    slope = 0.0f;
    ierr = 1;
    return y[0];
  }
  for (int i = 1; i < n; ++i)
    if (x[i - 1] > x[i]) ierr = 4;  // reported, the value is still computed
  slope = 0.0f;
  if (xp < x[0] - kEndTol) {
    ierr = 2;
    return y[0];
  }
  if (xp > x[n - 1] + kEndTol) {
    ierr = 3;
    return y[n - 1];
  }
  int lo, hi;
  bisect(n, x, xp, lo, hi);
  return along(x, y, lo, hi, xp, slope);
}

float rmint0(int n, const float* x, const float* y, float xp, float& slope, int& ierr) {
  slope = 0.0f;
  ierr = 0;
  if (n <= 0) return 0.0f;
  if (n == 1) {
    ierr = 1;
    return y[0];
  }
  int i, j;
  if (x[n - 1] - x[0] > 0.0f) {
    // Ascending: first point at or beyond xp, interval (i-1, i).
    i = n - 1;
    for (int k = 1; k < n; ++k)
      if (x[k] >= xp) {
        i = k;
        break;
      }
    j = i - 1;
  } else {
    // Descending: scanning back from the end, interval (i+1, i).
    i = 0;
    for (int k = n - 2; k >= 0; --k)
      if (x[k] >= xp) {
        i = k;
        break;
      }
    j = i + 1;
  }
  return along(x, y, j, i, xp, slope);
}

float rmint1(int n, const float* x, const float* y, float xp, float& slope, int& ierr) {
  slope = 0.0f;
  if (n <= 0) {
    ierr = 0;
    return 0.0f;
  }
  if (n == 1) {
    ierr = 1;
    return y[0];
  }
  if (xp < x[0]) {
    ierr = 2;
    return y[0];
  }
  if (xp > x[n - 1]) {
    ierr = 3;
    return along(x, y, n - 1, n - 2, xp, slope);  // last interval extended
  }
  ierr = 0;
  int lo, hi;
  bisect(n, x, xp, lo, hi);
  return along(x, y, lo, hi, xp, slope);
}

}  // namespace riv
