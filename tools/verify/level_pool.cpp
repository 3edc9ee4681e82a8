// Level-pool routing behind a weir: a flood through a wide, deep pool whose
// outflow passes a weir attenuates as storage routing predicts. A routing
// step that let the pool drain through the weir section before the flood
// arrives would leave the case pending instead of comparing.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "routing/routing.hpp"
#include "verify/cases.hpp"
#include "verify/model.hpp"
#include "verify/reference.hpp"

namespace riv::verify {

namespace {

struct Peak {
  double t = 0, q = 0;
};

struct Pool {
  double b = 200, len = 1900, crest = 3, width = 20, cw = 0.62;
  double q0 = 20, dq = 100, tpeak = 6, spread = 2;
  double inflow(double t) const { return q0 + dq * std::exp(-std::pow((t - tpeak) / spread, 2)); }
  double weir(double h) const {
    return h <= 0 ? 0 : 2.0 / 3.0 * std::sqrt(2 * kG) * cw * width * std::pow(h, 1.5);
  }
};

Case pending(Case k, const std::string& why) {
  k.text += "\n\nPending: " + why;
  Row r;
  r.what = "peak outflow and its time against level-pool routing";
  r.pending = true;
  k.rows.push_back(r);
  return k;
}

}  // namespace

Case level_pool() {
  Case k;
  const Pool p;
  k.title = "Level-pool routing behind a weir";
  k.text =
      "A pool 200 m wide and 1.9 km long (rectangle, Strickler 30, slope 0.01 %, sections every\n"
      "100 m) ends in a weir of 20 m crest width, coefficient 0.62, crest 3 m above the bed,\n"
      "with free outflow into a lower reach. A flood rising from 20 to 120 m3/s (a bell of\n"
      "2 h around hour 6) is routed with steps of 0.05 h. Reference: level-pool routing,\n"
      "A_s dh/dt = I(t) - O(h), with the pool's surface A_s = 200 m x 1.9 km and the weir law\n"
      "for O, integrated with Runge-Kutta steps of 36 s. Tolerance: 3 % of the peak outflow\n"
      "and 0.3 h on its time.";
  std::vector<std::pair<float, float>> rows;
  for (double t = 0; t <= 30; t += 0.25)
    rows.push_back({static_cast<float>(t), static_cast<float>(p.inflow(t))});
  Model m;
  m.rect("P", static_cast<float>(p.b), 10);
  const int n = 22;  // 20 pool sections, the weir at the last, two below
  for (int i = 1; i <= 20; ++i)
    m.pos("P", (i - 1) * 100.0f, 2.0f + 0.0001f * (1900 - (i - 1) * 100));
  m.pos("P", 1950.0f, 0.0f);
  m.pos("P", 2050.0f, -0.1f);
  m.cond(0, kFlow, rows, 1);
  const float crest = creach.dzsec(20) + static_cast<float>(p.crest);
  m.weir(20, crest, static_cast<float>(p.width), static_cast<float>(p.cw));
  m.value(n, kSlope, 0.001f);
  cunit.tstart = 0;
  cunit.dtime = 0.05f;
  if (!Model::backwater()) return pending(k, "the steady start through the weir failed.");
  const double z0 = creach.zwl(20);
  std::vector<double> times{0}, out{creach.qsec(n)};
  for (int s = 1; s <= 400; ++s) {  // 20 h
    cunit.tstart += cunit.dtime;
    int iter = 0;
    float dz = 0, dqm = 0;
    if (flow1(iter, dz, dqm) != 0) break;
    times.push_back(s * 0.05);
    out.push_back(creach.qsec(n));
    // Before the flood arrives the pool must hold its level.
    if (s == 20 && std::abs(creach.zwl(20) - z0) > 0.05) {
      cunit.tstart = 0;
      return pending(k,
                     "the routing step does not yet take weirs, gates and culverts inside "
                     "the branch (the pool drains through the weir section).");
    }
  }
  cunit.tstart = 0;
  // Level-pool reference.
  const double as = p.b * p.len;
  double h = std::pow(p.q0 / p.weir(1.0), 2.0 / 3.0);
  Line ref = {"level-pool routing", {}, {}, 101, 0}, got = {"RIVSIM outflow", {}, {}, 0, 305};
  Line in = {"inflow", {}, {}, 1302, 0};
  Peak pr, pg;
  for (double t = 0; t <= 20 + 1e-9; t += 0.01) {
    const double o = p.weir(h);
    add_point(ref, t, o);
    add_point(in, t, p.inflow(t));
    if (o > pr.q) pr = {t, o};
    h = rk4([&](double tt, double hh) { return (p.inflow(tt / 3600) - p.weir(hh)) / as; }, t * 3600,
            h, (t + 0.01) * 3600, 36);
  }
  for (size_t i = 0; i < times.size(); ++i) {
    if (out[i] > pg.q) pg = {times[i], out[i]};
    if (i % 4 == 0) add_point(got, times[i], out[i]);
  }
  k.rows.push_back({"peak outflow", "m3/s", pr.q, pg.q, 0.03 * pr.q, 2});
  k.rows.push_back({"time of the peak outflow", "h", pr.t, pg.t, 0.3, 2});
  k.figures.push_back({"level_pool.png",
                       "Flood through a pool behind a weir",
                       "Time [h]",
                       "Discharge [m3/s]",
                       {in, ref, got},
                       2});
  return k;
}

}  // namespace riv::verify
