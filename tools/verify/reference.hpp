// Independent references in double precision: the geometry and friction of
// a trapezoid (a rectangle with m = 0), normal and critical depth by
// bisection, and the gradually varied flow equation integrated with
// Runge-Kutta.
#pragma once
#include <cmath>
#include <functional>

namespace riv::verify {

constexpr double kG = 9.81;  // gravity, m/s2

struct Trapezoid {
  double b = 10;  // bed width, m
  double m = 0;   // side slope, horizontal per vertical
  double k = 30;  // Strickler value, m^(1/3)/s
  double area(double h) const { return (b + m * h) * h; }
  double width(double h) const { return b + 2 * m * h; }
  double perim(double h) const { return b + 2 * h * std::sqrt(1 + m * m); }
  // K = k A R^(2/3) (Manning-Strickler).
  double conv(double h) const { return k * area(h) * std::pow(area(h) / perim(h), 2.0 / 3.0); }
  double froude2(double q, double h) const {
    return q * q * width(h) / (kG * std::pow(area(h), 3));
  }
  // Specific force: static moment of the area about the surface plus Q^2/(gA).
  double force(double q, double h) const {
    return b * h * h / 2 + m * h * h * h / 3 + q * q / (kG * area(h));
  }
};

// Root of a function that increases through zero in (lo, hi), by bisection.
inline double bisect(const std::function<double(double)>& f, double lo, double hi) {
  for (int i = 0; i < 200; ++i) {
    const double mid = 0.5 * (lo + hi);
    (f(mid) < 0 ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi);
}

inline double normal_depth(const Trapezoid& t, double q, double s0) {
  return bisect([&](double h) { return t.conv(h) * std::sqrt(s0) - q; }, 1e-6, 100);
}

inline double critical_depth(const Trapezoid& t, double q) {
  return bisect([&](double h) { return 1 - t.froude2(q, h); }, 1e-6, 100);
}

// dh/dx of steady gradually varied flow in a prismatic channel on slope s0
// (x downstream): (s0 - Sf) / (1 - c Fr^2); c is the coefficient of the
// velocity-head change that the energy equation carries (1 without losses).
inline double dhdx(const Trapezoid& t, double q, double s0, double c, double h) {
  const double sf = std::pow(q / t.conv(h), 2);
  return (s0 - sf) / (1 - c * t.froude2(q, h));
}

// Integrates dh/dx from x0 (depth h0) to x1 with classical Runge-Kutta steps
// of at most |step| metres; c(h_old, h_new-estimate) is not needed: the
// coefficient is fixed per integration.
inline double rk4(const std::function<double(double, double)>& f, double x0, double h0, double x1,
                  double step) {
  const int n = std::max(1, static_cast<int>(std::ceil(std::abs(x1 - x0) / step)));
  const double dx = (x1 - x0) / n;
  double x = x0, h = h0;
  for (int i = 0; i < n; ++i) {
    const double k1 = f(x, h);
    const double k2 = f(x + dx / 2, h + dx / 2 * k1);
    const double k3 = f(x + dx / 2, h + dx / 2 * k2);
    const double k4 = f(x + dx, h + dx * k3);
    h += dx / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
    x += dx;
  }
  return h;
}

}  // namespace riv::verify
