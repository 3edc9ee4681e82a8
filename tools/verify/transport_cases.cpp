// Transport cases: the sediment volume balance of a bed-evolution run and
// the mass balance of a decaying load in the stream tubes.
#include <cmath>
#include <string>
#include <vector>

#include "mixing/mixing.hpp"
#include "sediment/sediment.hpp"
#include "verify/cases.hpp"
#include "verify/model.hpp"

namespace riv::verify {

Case sediment_balance() {
  Case k;
  k.title = "Bed evolution: sediment volume balance";
  k.text =
      "A rectangular channel 20 m wide (Strickler 30, slope 0.2 %, 21 sections 100 m apart,\n"
      "uniform gravel of 10 mm on rock 1 m below the bed, Meyer-Peter and Mueller) carries\n"
      "50 m3/s at normal depth. A first hour gives the transport capacity of the uniform reach;\n"
      "then twice that load enters upstream for 48 h, in four runs of 12 h, and the reach\n"
      "aggrades from upstream. The volume that entered minus the volume that left (solid, from\n"
      "the run's account) is compared with the volume stored in the bed, the sum over the\n"
      "sections of the bed change times the active width and cell length, without pores.\n"
      "Tolerance: 0.1 % of the volume that entered.";
  Model m;
  const int nsec = 21;
  m.rect("R", 20, 5);
  for (int n = 1; n <= nsec; ++n) {
    m.pos("R", 100.0f * (n - 1), 0.002f * 100.0f * (nsec - n));
    Cbedevol& b = cbedevol;
    b.d30(n) = b.dm(n) = b.d90(n) = 0.01f;
    b.drock(n) = 1.0f;
  }
  m.value(0, kFlow, 50.0f, 1);
  m.value(nsec, kSlope, 0.002f);
  cbedevol.iform = 1;
  seddisplay = SedDisplay{};
  cunit.dtime = 1.0f;
  cunit.tend = 1.0f;
  evol_run();
  const float cap = cbedevol.qs(nsec / 2);
  for (int n = 1; n <= nsec; ++n) cbedevol.dzb(n) = 0.0f;
  cbedevol.qsin = 2.0f * cap / 50.0f;
  auto stored = [&]() {
    double v = 0;
    for (int n = 1; n <= nsec; ++n)
      v += cbedevol.dzb(n) * evol_width(n) * evol_cell(n) / cbedevol.porf;
    return v;
  };
  Line net = {"entered minus left", {0}, {0}, 101, 0},
       bed = {"stored in the bed", {0}, {0}, 0, 305};
  double vin = 0, vout = 0;
  Line prof = {"bed change after 48 h", {}, {}, 101, 305};
  for (int run = 1; run <= 4; ++run) {
    cunit.tend = 12.0f;
    const EvolResult r = evol_run();
    if (r.ierr != 0) return k;
    vin += r.vin, vout += r.vout;
    add_point(net, 12.0 * run, vin - vout);
    add_point(bed, 12.0 * run, stored());
    k.rows.push_back({"bed volume after " + num(12.0 * run, 0) + " h", "m3", vin - vout, stored(),
                      1e-3 * vin, 2});
  }
  k.figures.push_back({"sediment.png",
                       "Sediment balance, gravel reach 20 m, load twice the capacity",
                       "Time [h]",
                       "Volume [m3]",
                       {net, bed},
                       1});
  return k;
}

Case mixing_balance() {
  Case k;
  const double b = 20, h = 2, q = 17, dx = 100, kdecay = 1e-4, tend = 8;
  const int nsec = 30, nload = 5;
  k.title = "Mixing: mass balance of a decaying load";
  k.text =
      "A rectangular channel 20 m wide, 2 m deep, carries 17 m3/s (0.425 m/s) through 30\n"
      "sections 100 m apart, divided into 10 stream tubes. A load of 50 g/s enters the middle\n"
      "tubes 4 to 6 at the fifth section and decays at k = 1e-4 1/s. After 8 h (five times the\n"
      "travel time) the run is steady. Compared: the mass released against the integral of the\n"
      "load; the mass held in the tubes against the steady plug-flow solution\n"
      "M = (W / k) (1 - exp(-k L / U)) over the length L from the load to the end; and the\n"
      "balance released - held - outflow - decayed, relative to the mass released.\n"
      "Tolerances: 0.1 % of the mass released for the release and the balance, 2 % for the mass\n"
      "held (the load enters the whole cell of its section, half a section spacing upstream of\n"
      "the section, which the plug-flow reference does not count).\n\n"
      "The figure shows the mass per metre of channel along the reach. Over the first sections\n"
      "below the load it alternates from section to section by up to 15 % around the plug-flow\n"
      "value, an odd-even pattern of the advection step that dies out within about a kilometre;\n"
      "the totals are not affected.";
  Model m;
  ccs.xloc = 1000.0f;
  ccs.yloc = 2000.0f;
  ccs.azim = 0.3f;
  m.section("rect", {0, 0, static_cast<float>(b), static_cast<float>(b)}, {5, 0, 0, 5});
  ccs.kind = 2;
  cswrite(1);
  creach.nsec = nsec;
  for (int n = 1; n <= nsec; ++n) {
    cchar.secnam(n) = "rect";
    creach.xsec(n) = static_cast<float>((n - 1) * dx);
    creach.zwl(n) = static_cast<float>(h);
    creach.sfsec(n) = 1e-4f;
    creach.qsec(n) = static_cast<float>(q);
    creach.qsl(n) = creach.qsr(n) = 0.0f;
  }
  creach.qsl(1) = creach.qsr(1) = static_cast<float>(q / 2);
  // Load record: section, tubes 4..6, (time s, load g/s).
  ccs.tabc(4, 1) = 0, ccs.tabc(4, 2) = 50;
  ccs.tabc(5, 1) = 1e6f, ccs.tabc(5, 2) = 50;
  tabc_load(1, nload, 4, 6, 2);
  cmixing.ntube = 10;
  cmixing.decay = static_cast<float>(kdecay);
  cinput.filres = "mixres";
  mix_display() = MixDisplay{};
  cunit.tstart = 0;
  cunit.tend = static_cast<float>(tend);
  if (mix_run() != 0) return k;
  double held = 0;
  Line conc = {"RIVSIM, mass per metre", {}, {}, 0, 305}, ref = {"plug flow", {}, {}, 101, 0};
  const double u = q / (b * h), w = 50;
  for (int n = 1; n <= ctubes.nsec; ++n) {
    double s = 0;
    for (int i = 1; i <= ctubes.ntube; ++i)
      s += static_cast<double>(cmixing.ctub(i, n)) * cmixing.atub(i, n);
    held += s * ctubes.dx(n);
    add_point(conc, creach.xsec(n) / 1000, s);
  }
  const double len = (nsec - nload) * dx;
  for (double x = (nload - 1) * dx; x <= (nsec - 1) * dx; x += 10)
    add_point(ref, x / 1000, w / u * std::exp(-kdecay * (x - (nload - 1) * dx) / u));
  const double released = w * tend * 3600;
  const double steady = w / kdecay * (1 - std::exp(-kdecay * len / u));
  k.rows.push_back(
      {"mass released", "kg", released / 1000, mixbal.released / 1000, 1e-6 * released, 2});
  k.rows.push_back({"mass held in the reach", "kg", steady / 1000, held / 1000, 2e-5 * steady, 2});
  k.rows.push_back({"released - held - outflow - decayed", "kg", 0,
                    (mixbal.released - held - mixbal.outflow - mixbal.lost) / 1000, 1e-6 * released,
                    2});
  cmixing.decay = 0;
  cunit.tstart = 0;
  k.figures.push_back({"mixing.png",
                       "Decaying load, 50 g/s, k = 1e-4 1/s, after 8 h",
                       "Distance [km]",
                       "Mass [g/m]",
                       {ref, conc},
                       2});
  return k;
}

}  // namespace riv::verify
