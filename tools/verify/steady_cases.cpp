// Steady-flow cases: normal and critical depth, M1 and M2 profiles, weir
// heads, the hydraulic jump, MacDonald's benchmark with a varying bed.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "verify/cases.hpp"
#include "sections/sections.hpp"
#include "verify/model.hpp"
#include "verify/reference.hpp"

namespace riv::verify {

namespace {

// A prismatic branch of `count` positions dx apart on slope s0, bed level 0
// at the last one, all carrying section `name`.
void reach(Model& m, const std::string& name, int count, float dx, float s0) {
  for (int i = 0; i < count; ++i) {
    const float d = static_cast<float>(count - 1 - i) * dx;
    m.pos(name, static_cast<float>(i) * dx, d * s0);
  }
}

Line curve(const std::string& label, int line, int symbol = 0) {
  Line l;
  l.label = label;
  l.line = line;
  l.symbol = symbol;
  return l;
}

void add(Line& l, double x, double y) { add_point(l, x, y); }

}  // namespace

Case uniform_and_critical() {
  Case k;
  k.title = "Uniform and critical flow";
  const Trapezoid t{20, 2, 30};
  const double s0 = 0.001;
  k.text =
      "A trapezoidal channel (bed width 20 m, side slopes 1:2, banks 6 m high, Strickler 30\n"
      "m^(1/3)/s) on a slope of 0.1 %, 4 km long with sections every 100 m, carries six\n"
      "discharges; the downstream end has a `slope` condition (normal depth). The depth at the\n"
      "upstream end is compared with the normal depth of the Manning-Strickler formula\n"
      "Q = k A R^(2/3) S^(1/2), and the critical level of the program (`zcrit`) with the depth at\n"
      "which Q^2 B / (g A^3) = 1; both references are solved by bisection in double precision.\n"
      "Tolerance: 5 mm for the normal depth (the solver interpolates in a property table of 40\n"
      "levels), 2 mm for the critical depth (its search stops at 1 mm).";
  Line hn_ref = curve("normal depth, closed form", 101),
       hc_ref = curve("critical depth, closed form", 1303);
  Line hn_got = curve("normal depth, RIVSIM", 0, 102),
       hc_got = curve("critical depth, RIVSIM", 0, 305);
  for (double q = 5; q <= 300; q += 5) {
    add(hn_ref, q, normal_depth(t, q, s0));
    add(hc_ref, q, critical_depth(t, q));
  }
  for (double q : {10.0, 25.0, 50.0, 100.0, 200.0, 300.0}) {
    Model m;
    m.trap("T", 20, 2, 6);
    reach(m, "T", 41, 100, static_cast<float>(s0));
    m.value(0, kFlow, static_cast<float>(q), 1);
    m.value(41, kSlope, static_cast<float>(s0));
    cunit.epsz = 0.001f;
    if (!Model::backwater()) continue;
    const double hn = Model::depth(1);
    const double hc = zcrit(1, static_cast<float>(q), 1.0f) - creach.zbed(1);
    const std::string qs = num(q, 0) + " m3/s";
    k.rows.push_back({"normal depth, Q = " + qs, "m", normal_depth(t, q, s0), hn, 0.005});
    k.rows.push_back({"critical depth, Q = " + qs, "m", critical_depth(t, q), hc, 0.002});
    add(hn_got, q, hn);
    add(hc_got, q, hc);
  }
  k.figures.push_back({"uniform_critical.png",
                       "Normal and critical depth, trapezoid 20 m, 1:2",
                       "Discharge [m3/s]",
                       "Depth [m]",
                       {hn_ref, hc_ref, hn_got, hc_got},
                       1});
  return k;
}

namespace {

// One gradually varied profile in the trapezoid: the program's depths at the
// positions and the Runge-Kutta reference integrated upstream from the given
// downstream depth, with coefficient c and without losses (c = 1).
struct Profile {
  std::vector<double> x, got, ref, ref1;
};

Profile gv_profile(const Trapezoid& t, double q, double s0, double hd, double c) {
  Model m;
  m.trap("T", static_cast<float>(t.b), static_cast<float>(t.m), 8);
  const int n = 401;
  const float dx = 25;
  reach(m, "T", n, dx, static_cast<float>(s0));
  m.value(0, kFlow, static_cast<float>(q), 1);
  m.value(n, kLevel, static_cast<float>(hd));
  Profile p;
  if (!Model::backwater()) return p;
  const double xl = (n - 1) * dx;
  auto f = [&](double cc) { return [&, cc](double, double h) { return dhdx(t, q, s0, cc, h); }; };
  double h = hd, h1 = hd;
  for (int i = n; i >= 1; --i) {
    const double x = (i - 1) * dx;
    if (i < n) {
      h = rk4(f(c), x + dx, h, x, 1.0);
      h1 = rk4(f(1.0), x + dx, h1, x, 1.0);
    }
    p.x.insert(p.x.begin(), x / 1000);
    p.ref.insert(p.ref.begin(), h);
    p.ref1.insert(p.ref1.begin(), h1);
    p.got.insert(p.got.begin(), Model::depth(i));
  }
  (void)xl;
  return p;
}

}  // namespace

Case m1_m2_profiles() {
  Case k;
  const Trapezoid t{20, 2, 30};
  const double q = 100, s0 = 0.0005;
  const double hn = normal_depth(t, q, s0);
  // M2: the downstream depth where Fr^2 = 0.5, well above critical.
  const double hm2 = bisect([&](double h) { return 0.5 - t.froude2(q, h); }, 0.1, hn);
  const double hm1 = hn + 2.0;
  k.title = "M1 and M2 backwater profiles";
  k.text =
      "The trapezoid of case 1 (banks 8 m high) on a slope of 0.05 %, 10 km long with sections\n"
      "every 25 m, carries 100 m3/s (normal depth " +
      num(hn, 3) +
      " m). A downstream level 2 m\n"
      "above normal depth gives an M1 curve, a level at Froude number squared 0.5 (depth " +
      num(hm2, 3) +
      " m) an M2\ncurve. The reference integrates the gradually varied flow equation\n"
      "dh/dx = (S0 - Sf) / (1 - c Fr^2) upstream with classical Runge-Kutta steps of 1 m in "
      "double\n"
      "precision. The coefficient c is the one the energy equation of the backwater solver gives\n"
      "the change of velocity head, c (v_d^2 - v^2) / 2g: 0.7 where the flow slows down in the\n"
      "downstream direction (expansion loss, M1) and 1.1 where it speeds up (contraction, M2).\n"
      "The figure also shows the reference without these losses (c = 1). Tolerance: 1 cm.";
  struct Run {
    const char* name;
    double hd, c;
  };
  for (Run r : {Run{"M1", hm1, 0.7}, Run{"M2", hm2, 1.1}}) {
    const Profile p = gv_profile(t, q, s0, r.hd, r.c);
    if (p.x.empty()) continue;
    double worst = 0;
    size_t iw = 0;
    for (size_t i = 0; i < p.x.size(); ++i)
      if (std::abs(p.got[i] - p.ref[i]) > worst) worst = std::abs(p.got[i] - p.ref[i]), iw = i;
    for (double km : {0.0, 5.0, 9.0}) {
      const size_t i = static_cast<size_t>(km * 40);
      k.rows.push_back(
          {std::string(r.name) + " depth at km " + num(km, 1), "m", p.ref[i], p.got[i], 0.01});
    }
    k.rows.push_back({std::string(r.name) + " largest deviation (km " + num(p.x[iw], 3) + ")", "m",
                      p.ref[iw], p.got[iw], 0.01});
    double loss = 0;
    for (size_t i = 0; i < p.x.size(); ++i) loss = std::max(loss, std::abs(p.ref[i] - p.ref1[i]));
    k.text += std::string("\n\n") + r.name + ": the losses change the reference depth by up to " +
              num(loss * 1000, 1) + " mm; the program follows the reference with losses within " +
              num(worst * 1000, 1) + " mm.";
    Line ref = curve("reference, c = " + num(r.c, 1), 101),
         ref1 = curve("reference without losses", 1302);
    Line got = curve("RIVSIM", 0, 305), nor = curve("normal depth", 603);
    for (size_t i = 0; i < p.x.size(); ++i) {
      add(ref, p.x[i], p.ref[i]);
      add(ref1, p.x[i], p.ref1[i]);
      if (i % 8 == 0) add(got, p.x[i], p.got[i]);
      add(nor, p.x[i], hn);
    }
    k.figures.push_back({std::string(r.name == std::string("M1") ? "m1.png" : "m2.png"),
                         std::string(r.name) + " profile, trapezoid 20 m, 100 m3/s, slope 0.05 %",
                         "Distance [km]",
                         "Depth [m]",
                         {ref, ref1, got, nor},
                         r.name == std::string("M1") ? 1 : 0});
  }
  return k;
}

Case weir_heads() {
  Case k;
  k.title = "Weir heads";
  k.text =
      "A rectangular channel 10 m wide (walls 8 m, Strickler 30, slope 0.1 %, sections every\n"
      "100 m) has a weir of 10 m crest width and coefficient 0.62 at its sixth section, crest\n"
      "3 m above that section's bed. The energy head on the crest upstream, E - z_crest, is\n"
      "compared with the weir law Q = (2/3) sqrt(2g) c_w b h^(3/2) (1 - (h_d/h)^3)^(1/3), solved "
      "by\n"
      "bisection, where h_d is the program's energy level just downstream of the weir minus the\n"
      "crest (free flow when it lies below the crest). Free flow at five discharges with normal\n"
      "depth downstream; submerged flow with the tailwater raised by a downstream level.\n"
      "Tolerance: 3 mm (the level search stops at 1 mm; the program writes (2/3) sqrt(2g) as "
      "2.95).";
  Line ref = curve("weir law", 101), got = curve("RIVSIM", 0, 305);
  struct Run {
    double q, tail;
  };  // tail: downstream level above the crest (-99 free)
  const double cw = 0.62, b = 10;
  for (Run r : {Run{5, -99}, Run{10, -99}, Run{17.11, -99}, Run{25, -99}, Run{40, -99},
                Run{17.11, 0.5}, Run{17.11, 0.9}}) {
    Model m;
    m.rect("R", 10, 8);
    reach(m, "R", 11, 100, 0.001f);
    const float crest = creach.dzsec(6) + 3.0f;
    m.value(0, kFlow, static_cast<float>(r.q), 1);
    m.weir(6, crest, static_cast<float>(b), static_cast<float>(cw));
    if (r.tail < -9)
      m.value(11, kSlope, 0.001f);
    else
      m.value(11, kLevel, crest + static_cast<float>(r.tail));
    cunit.epsz = 0.001f;
    if (!Model::backwater()) continue;
    auto energy = [&](int n) {
      const double v = creach.qsec(n) / creach.asec(n);
      return creach.zwl(n) + v * v / (2 * kG);
    };
    const double hu = energy(6) - crest, hd = energy(7) - crest;
    const double href = bisect(
        [&](double h) {
          const double f = hd <= 0 ? 1.0 : (hd >= h ? 0.0 : std::cbrt(1 - std::pow(hd / h, 3)));
          return 2.0 / 3.0 * std::sqrt(2 * kG) * cw * b * std::pow(h, 1.5) * f - r.q;
        },
        std::max(hd, 0.0), 20);
    const std::string what =
        "head, Q = " + num(r.q, 2) + (hd > 0 ? ", h_d = " + num(hd, 3) + " m" : ", free");
    k.rows.push_back({what, "m", href, hu, 0.003});
    if (hd <= 0) add(got, r.q, hu);
  }
  for (double q = 2; q <= 45; q += 1)
    add(ref, q, std::pow(q / (2.0 / 3.0 * std::sqrt(2 * kG) * cw * b), 2.0 / 3.0));
  k.figures.push_back({"weir.png",
                       "Free weir flow, crest 10 m, coefficient 0.62",
                       "Discharge [m3/s]",
                       "Head [m]",
                       {ref, got},
                       1});
  return k;
}

}  // namespace riv::verify

namespace riv::verify {

Case hydraulic_jump() {
  Case k;
  const Trapezoid t{10, 0, 40};
  const double q = 30, s_steep = 0.03, s_mild = 0.004, xbreak = 200, len = 500;
  const float dx = 2;
  const int n = static_cast<int>(len / dx) + 1;
  k.title = "Hydraulic jump";
  k.text =
      "A rectangular channel 10 m wide (Strickler 40) carries 30 m3/s down a steep reach (slope\n"
      "3 %, 200 m) into a mild one (0.4 %, 300 m) that leaves at normal depth (a `slope`\n"
      "condition); sections every 2 m. The flow passes critical depth at the top of the steep\n"
      "reach, runs supercritical (S2) into the mild reach, rises there along an M3 curve and\n"
      "jumps to the subcritical normal depth. Reference: the supercritical profile integrated\n"
      "downstream with Runge-Kutta steps of 0.1 m (momentum form, as the program's supercritical\n"
      "pass) from just below critical depth (Froude number squared 1.05, where the program\n"
      "starts too), and the jump where its specific force b h^2/2 + Q^2/(g A) equals that of the\n"
      "normal depth. The program's jump lies between its last supercritical section and the\n"
      "next; its position is taken half way. Tolerance: one section spacing (2 m).";
  Model m;
  ccs.kstl(1) = static_cast<float>(t.k);
  m.rect("R", 10, 5);
  auto bed = [&](double x) {
    return x >= xbreak ? (len - x) * s_mild : (len - xbreak) * s_mild + (xbreak - x) * s_steep;
  };
  for (int i = 1; i <= n; ++i) m.pos("R", (i - 1) * dx, static_cast<float>(bed((i - 1) * dx)));
  m.value(0, kFlow, static_cast<float>(q), 1);
  m.value(n, kSlope, static_cast<float>(s_mild));
  cunit.epsz = 0.001f;
  if (!Model::backwater()) return k;
  const double h0 = bisect([&](double h) { return 1.05 - t.froude2(q, h); }, 0.05, 5);
  const double hn = normal_depth(t, q, s_mild), hc = critical_depth(t, q);
  auto slope = [&](double x) { return x < xbreak ? s_steep : s_mild; };
  // Supercritical reference depths every 0.1 m until its specific force
  // falls to that of the normal depth: there is the jump.
  const double fsub = t.force(q, hn), step = 0.1;
  std::vector<double> hs{h0};
  double xref = len;
  for (double x = 0; x < len && hs.back() < hc; x += step) {
    const double hnew = rk4([&](double xx, double h) { return dhdx(t, q, slope(xx), 1.0, h); }, x,
                            hs.back(), x + step, step);
    const double f0 = t.force(q, hs.back()) - fsub, f1 = t.force(q, hnew) - fsub;
    hs.push_back(hnew);
    if (x + step > xbreak && f1 <= 0) {
      xref = x + step * f0 / (f0 - f1);
      break;
    }
  }
  auto hsup = [&](double x) {
    const size_t i = std::min(hs.size() - 1, static_cast<size_t>(std::max(0.0, x) / step));
    return hs[i];
  };
  int last = 0;
  for (int i = 1; i <= n; ++i)
    if (Model::depth(i) < hc) last = i;
  const double xgot = (last - 0.5) * dx;
  const int ib = static_cast<int>(xbreak / dx) + 1;
  k.rows.push_back(
      {"depth at the slope break (x = 200 m)", "m", hsup(xbreak), Model::depth(ib), 0.005});
  k.rows.push_back({"depth before the jump", "m", hsup(xgot - dx / 2), Model::depth(last), 0.01});
  k.rows.push_back({"depth after the jump", "m", hn, Model::depth(std::min(last + 1, n)), 0.005});
  k.rows.push_back({"jump position", "m", xref, xgot, dx, 1});
  Line sup = curve("supercritical reference", 101), sub = curve("normal depth", 603);
  Line got = curve("RIVSIM", 0, 305), seq = curve("jump, reference", 1302);
  for (double x = 0; x <= len; x += 2) {
    if (x <= xref) add(sup, x, hsup(x));
    if (x >= xref) add(sub, x, hn);
  }
  add(seq, xref, hsup(xref));
  add(seq, xref, hn);
  for (int i = 1; i <= n; i += 3) add(got, (i - 1) * dx, Model::depth(i));
  k.figures.push_back({"jump.png",
                       "Hydraulic jump, 30 m3/s",
                       "Distance [m]",
                       "Depth [m]",
                       {sup, seq, sub, got},
                       5});
  return k;
}

namespace {

// MacDonald-type benchmark: the closed-form depth h(x) = h0 (1 + exp(-16 (x/L - 1/2)^2) / 2)
// in a rectangle 10 m wide, Manning n = 0.033, Q = 20 m3/s, L = 1000 m.
struct MacDonald {
  Trapezoid t{10, 0, 1 / 0.033};
  double q = 20, l = 1000, h0 = 1.2;
  double h(double x) const { return h0 * (1 + 0.5 * std::exp(-16 * std::pow(x / l - 0.5, 2))); }
  double dh(double x) const {
    return h0 * 0.5 * std::exp(-16 * std::pow(x / l - 0.5, 2)) * (-32 / l) * (x / l - 0.5);
  }
  // Bed slope that makes h(x) the steady solution: S0 = Sf + (1 - c Fr^2) h',
  // c from the direction of the velocity change (energy form) or 1.
  double s0(double x, bool losses) const {
    const double d = dh(x), c = !losses ? 1.0 : (d > 0 ? 0.7 : 1.1);
    return std::pow(q / t.conv(h(x)), 2) + (1 - c * t.froude2(q, h(x))) * d;
  }
};

}  // namespace

Case macdonald() {
  Case k;
  const MacDonald md;
  k.title = "MacDonald's benchmark with a varying bed";
  k.text =
      "MacDonald's analytic benchmarks (I. MacDonald et al., Analytic benchmark solutions for\n"
      "open-channel flows, J. Hydraulic Engineering 123(11), 1997; collected in the SWASHES\n"
      "suite, Delestre et al., 2013) build the bed of a channel from a prescribed smooth depth\n"
      "profile, so that the depth is the exact steady solution. Here the profile of their\n"
      "subcritical case, h(x) = h0 (1 + exp(-16 (x/L - 1/2)^2) / 2), with h0 = 1.2 m instead of\n"
      "the critical depth (4/g)^(1/3) so that the flow stays clearly subcritical (Froude number\n"
      "at most 0.49), in a rectangle 10 m wide\n"
      "(walls 4 m, Manning n = 0.033), Q = 20 m3/s, L = 1000 m; the bed slope follows from\n"
      "S0 = Sf + (1 - c Fr^2) dh/dx and is integrated (Simpson, 0.5 m) from the downstream end,\n"
      "where the given level is the closed-form depth. With the momentum form of the solver\n"
      "(`>>compute` `momentum`) c = 1; with the energy form the bed carries the losses of the\n"
      "energy equation (c = 0.7 where the flow slows down, 1.1 where it speeds up). Sections\n"
      "every 10 m. Tolerance: 1 cm.";
  Line ref = curve("closed form", 101);
  for (double x = 0; x <= md.l; x += 5) add(ref, x, md.h(x));
  std::vector<Line> lines{ref};
  for (bool losses : {false, true}) {
    Model m;
    m.rect("R", 10, 4);
    ccs.kstl(1) = static_cast<float>(md.t.k);
    ccs.lmomen = losses ? 0 : 1;
    const int n = 101;
    double zb = 0;
    std::vector<double> beds(n + 1);
    beds[n] = 0;
    for (int i = n - 1; i >= 1; --i) {  // Simpson on 20 steps of 0.5 m per reach
      const double xa = (i - 1) * 10.0, hstep = 0.5;
      double s = 0;
      for (int j = 0; j < 20; ++j) {
        const double a = xa + j * hstep;
        s += hstep / 6 *
             (md.s0(a, losses) + 4 * md.s0(a + hstep / 2, losses) + md.s0(a + hstep, losses));
      }
      zb += s;
      beds[i] = zb;
    }
    for (int i = 1; i <= n; ++i)
      m.pos("R", static_cast<float>((i - 1) * 10), static_cast<float>(beds[i]));
    m.value(0, kFlow, static_cast<float>(md.q), 1);
    m.value(n, kLevel, static_cast<float>(md.h(md.l)));
    if (!Model::backwater()) continue;
    double worst = 0, sum = 0;
    int iw = 1;
    Line got =
        curve(losses ? "RIVSIM, energy form" : "RIVSIM, momentum form", 0, losses ? 305 : 202);
    for (int i = 1; i <= n; ++i) {
      const double x = (i - 1) * 10.0, d = Model::depth(i) - md.h(x);
      sum += d * d;
      if (std::abs(d) > worst) worst = std::abs(d), iw = i;
      if (i % 2 == (losses ? 1 : 0)) add(got, x, Model::depth(i));
    }
    const std::string form = losses ? "energy form" : "momentum form";
    const double xw = (iw - 1) * 10.0;
    k.rows.push_back({form + ", depth at x = 500 m", "m", md.h(500), Model::depth(51), 0.01});
    k.rows.push_back({form + ", largest deviation (x = " + num(xw, 0) + " m)", "m", md.h(xw),
                      Model::depth(iw), 0.01});
    k.rows.push_back({form + ", RMS deviation", "m", 0, std::sqrt(sum / n), 0.005});
    lines.push_back(got);
  }
  ccs.lmomen = 0;
  // Levels of the last run (energy form) over its bed.
  Line zb = curve("bed (energy form)", 4), zw = curve("water level, closed form", 101);
  Line zg = curve("water level, RIVSIM", 0, 305);
  for (int i = 1; i <= creach.nsec; ++i) {
    const double x = (i - 1) * 10.0;
    add(zb, x, creach.zbed(i));
    add(zw, x, creach.zbed(i) + md.h(x));
    if (i % 2 == 1) add(zg, x, creach.zwl(i));
  }
  k.figures.push_back({"macdonald_levels.png",
                       "MacDonald benchmark: bed and water level",
                       "Distance [m]",
                       "Level [m]",
                       {zb, zw, zg},
                       0});
  k.figures.push_back({"macdonald.png", "MacDonald benchmark: rectangle 10 m, n 0.033, 20 m3/s",
                       "Distance [m]", "Depth [m]", lines, 2});
  return k;
}

Case lateral_distribution() {
  Case k;
  const double b = 40, h = 2, kst = 30, s = 0.001, cv = 0.11;
  k.title = "Lateral velocity distribution in a wide rectangle";
  k.text =
      "The lateral distribution method balances gravity, bed friction and lateral turbulent\n"
      "exchange with the eddy viscosity eps = c_v u* h. In a rectangle of constant depth h the\n"
      "square of the velocity, w = u^2, then obeys a linear equation, (c_v f h^2 / 2) w'' =\n"
      "f^2 (w - U^2), with f = u*/u = sqrt(g) / (k h^(1/6)) and U the velocity far from the "
      "walls,\n"
      "U^2 = g h S / f^2. The walls take the shear f^2 u^2 over their height, which gives\n"
      "w' = (2 f / (c_v h)) w at each wall, and the closed form\n"
      "u^2(y) = U^2 (1 - C cosh(lambda (y - B/2))), lambda^2 = 2 f / (c_v h^2),\n"
      "C = kappa / (lambda sinh(lambda B/2) + kappa cosh(lambda B/2)), kappa = 2 f / (c_v h).\n"
      "Case: B = 40 m, h = 2 m, Strickler 30, slope 0.1 %, c_v = 0.11, grid spacing 1/16 m.\n"
      "The lateral grid sees a wall only as a rise of the bed from one grid point to the next:\n"
      "a wall that is exactly vertical at the end of a profile falls on one grid point and\n"
      "carries no shear, and so does a wall whose top lies beyond the last grid point (the\n"
      "number of grid points is the truncated quotient of width and spacing, so 0.05 m into\n"
      "40.1 m gives a grid that ends 0.05 m short). The velocity then stays U up to that wall.\n"
      "The walls of this case lean by one grid spacing, and the spacing divides the width\n"
      "exactly, so that both walls carry their shear.\n"
      "Tolerance: 1 % of U for the velocities, 1 % for the discharge.";
  Model m;
  const float off = 0.0625f, bf = static_cast<float>(b);
  m.section("W", {0, off, off + bf, 2 * off + bf}, {4, 0, 0, 4});
  ccs.ngrid = 1000;
  ccs.dgrid = 0.0625f;
  csrea(1, 0.0f);
  ccs.cvdef = static_cast<float>(cv);
  int it = -1;
  vdis(1, static_cast<float>(h), static_cast<float>(s), it);
  const double f = std::sqrt(kG) / (kst * std::pow(h, 1.0 / 6.0));
  const double u2 = kG * h * s / (f * f), lam = std::sqrt(2 * f / (cv * h * h)),
               kap = 2 * f / (cv * h);
  const double c = kap / (lam * std::sinh(lam * b / 2) + kap * std::cosh(lam * b / 2));
  auto uref = [&](double y) { return std::sqrt(u2 * (1 - c * std::cosh(lam * (y - b / 2)))); };
  Line ref = curve("closed form", 101), got = curve("RIVSIM", 0, 305);
  double worst = 0, yw = 0, qref = 0;
  for (int j = 1; j <= ccs.ng; ++j) {
    const double y = ccs.yg(j) - off, u = ccs.ug(j);
    if (ccs.hp(j) <= 0) continue;
    if (std::abs(u - uref(y)) > worst) worst = std::abs(u - uref(y)), yw = y;
    if (j % 4 == 0 && (y < 8 || y > b - 8)) add(got, y, u);
  }
  for (double y = 0; y <= b; y += 0.05) add(ref, y, uref(y));
  for (double y = 0.0005; y < b; y += 0.001) qref += uref(y) * h * 0.001;
  const double qgot = ccs.conv * std::sqrt(s);
  k.rows.push_back({"velocity at the centre", "m/s", uref(b / 2), ccs.ug((ccs.ng + 1) / 2),
                    0.01 * std::sqrt(u2)});
  int j05 = 1;
  for (int j = 1; j <= ccs.ng; ++j)
    if (std::abs(ccs.yg(j) - off - 0.5) < std::abs(ccs.yg(j05) - off - 0.5)) j05 = j;
  k.rows.push_back({"velocity 0.5 m from the wall", "m/s", uref(ccs.yg(j05) - off), ccs.ug(j05),
                    0.01 * std::sqrt(u2)});
  k.rows.push_back(
      {"largest deviation (y = " + num(yw, 2) + " m)", "m/s", 0, worst, 0.01 * std::sqrt(u2)});
  k.rows.push_back({"discharge", "m3/s", qref, qgot, 0.01 * qref, 2});
  k.figures.push_back({"lateral.png",
                       "Lateral distribution, rectangle 40 m, depth 2 m",
                       "Lateral position [m]",
                       "Velocity [m/s]",
                       {ref, got},
                       4});
  return k;
}

}  // namespace riv::verify
