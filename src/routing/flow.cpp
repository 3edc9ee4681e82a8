// The routing run: steady start, box-scheme steps from `tstart` to `tend`,
// every time level written to the result file, hydrograph lines for the
// sections that asked for them, and the pictures, panel and step menu handed
// to the view.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "input/notify.hpp"
#include "input/input.hpp"
#include "numerics/steps.hpp"
#include "routing/routing.hpp"
#include "steady/steady.hpp"

namespace riv {

RoutingView routing_view;
RoutingItems routing_items;

namespace {

// Writer of fixed-length binary records: a record is assembled in a buffer of
// the record length (unused bytes 0) and written at its place in the file.
struct RxWriter {
  std::FILE* f = nullptr;
  int recl = 0;
  int pos = 0;
  bool ok = false;
  std::vector<unsigned char> buf;

  bool open(const std::string& path, int nsec, int nbyte) {
    recl = rxres_recl(nsec, nbyte);
    buf.assign(static_cast<size_t>(recl), 0);
    f = std::fopen(path.c_str(), "wb");
    ok = f != nullptr;
    return ok;
  }
  void begin() {
    std::fill(buf.begin(), buf.end(), static_cast<unsigned char>(0));
    pos = 0;
  }
  void bytes(const void* p, int n) {
    if (pos + n > recl) return;  // the record length covers every record
    std::memcpy(buf.data() + pos, p, static_cast<size_t>(n));
    pos += n;
  }
  void i4(int32_t v) { bytes(&v, 4); }
  void r4(float v) { bytes(&v, 4); }
  void text(std::string_view s, int len) {
    for (int i = 0; i < len; ++i) {
      const char c = i < static_cast<int>(s.size()) ? s[i] : ' ';
      bytes(&c, 1);
    }
  }
  void write(int record) {
    if (!f || !ok) return;
    const long off = static_cast<long>(record - 1) * recl;
    if (std::fseek(f, off, SEEK_SET) != 0 ||
        std::fwrite(buf.data(), 1, buf.size(), f) != buf.size())
      ok = false;
  }
  void marker(int record) {
    begin();
    r4(cunit.rmiss);
    write(record);
  }
  bool close() {
    bool good = ok;
    if (f && std::fclose(f) != 0) good = false;
    f = nullptr;
    ok = false;
    return good;
  }
  ~RxWriter() { close(); }
};

Arr<float, mxbr> xkm, zstart, vel;

void show(const std::string& text) {
  std::string t = text;
  while (!t.empty() && t.back() == '\n') t.pop_back();
  cinput.cmesg = t;
  iimesg(cinput.cmesg.view());
}

std::string line(const std::string& s) {
  std::string t = s;
  while (!t.empty() && t.back() == '\n') t.pop_back();
  return t;
}

void set_title(int from, int to, std::string_view text) {
  fassign(std::span<char>(cinput.title.c + from - 1, static_cast<size_t>(to - from + 1)), text);
}

// One time level: time, levels, discharges, velocities and bed shear.
void write_state(RxWriter& w, int record, float time) {
  const Creach& rc = creach;
  const int ns = rc.nsec;
  w.begin();
  w.r4(time);
  for (int n = 1; n <= ns; ++n) w.r4(rc.zwl(n));
  for (int n = 1; n <= ns; ++n) w.r4(rc.qsec(n));
  for (int n = 1; n <= ns; ++n) w.r4(rc.qsec(n) / std::max(rc.asec(n), 0.0001f));
  for (int n = 1; n <= ns; ++n) {
    const float k = rc.ksec(n);
    const float sf = k > 0.0f ? (rc.qsec(n) / k) * (rc.qsec(n) / k) : 0.0f;
    w.r4(kUnitWeight * rc.rsec(n) * sf);
  }
  w.write(record);
  w.marker(record + 1);
  w.marker(record + 2);
}

void write_header(RxWriter& w) {
  const Creach& rc = creach;
  w.begin();
  w.i4(kRxresTag);
  w.i4(w.recl);
  w.i4(rc.nsec);
  w.i4(1);
  w.i4(1);
  w.i4(2);
  w.text(cinput.title.sub(1, 80), 80);
  w.write(1);
  w.begin();
  w.i4(4);
  for (const char* t : {"Time[h]", "  Waterlevel [m]", "  Discharge [m3/s]",
                        "  Flow Velocity [m/s]", "  Bed Shear [N/m2]"})
    w.text(t, 32);
  w.write(2);
  w.begin();
  w.r4(0.0f);
  for (int n = 1; n <= rc.nsec; ++n) w.r4(rc.xsec(n) * 0.001f);
  w.write(3);
}

void fill_panel(RoutingFrame& fr, float dzmax, float dqmax) {
  const Creach& rc = creach;
  fr.panel[0] = cinput.title.sub(1, 34);
  fr.panel[1] = "Step.....  Time/h...  Timestep/h..";
  fr.panel[2] = line(fformat("(i9,2f11.2)", {fr.step, cunit.tstart, cunit.dtime}));
  fr.panel[3] = "Iteration  dz/mm....  dq/m3/s....";
  fr.panel[4] = line(fformat("(i9,f11.2,f11.4)", {fr.iter, 1000.0f * dzmax, dqmax}));
  fr.panel[5] = "Inflow...  Outflow..  Balance/m3/s";
  const float qi = rc.qsec(1), qo = rc.qsec(rc.nsec);
  fr.panel[6] = line(fformat("(f9.1,2f11.1)", {qi, qo, qi - qo}));
  fr.panel[7] = std::string(static_cast<size_t>(std::clamp(fr.iter, 0, 40)), '.');
}

// The picture of the plotted item after step k, with the panel.
void frame_after_step(RoutingFrame& fr, int k, int iter, float dzmax, float dqmax, bool& wait) {
  const Creach& rc = creach;
  RoutingItems& it = routing_items;
  fr.step = k;
  fr.iter = iter;
  fr.item = it.item;
  fr.option = it.item != it.prev ? 4 : 0;
  it.prev = it.item;
  fr.wait = wait;
  wait = false;
  cunit.kplot = -1;
  set_title(201, 240, it.item == 2 ? "[m3/s]" : it.item == 3 ? "[m/s]" : "[m]");
  for (int n = 1; n <= rc.nsec; ++n) vel(n) = rc.qsec(n) / std::max(rc.asec(n), 0.01f);
  fill_panel(fr, dzmax, dqmax);
}

// Answer of the step menu; true when the run ends (eXit).
bool answer(const RoutingView& view, bool& wait) {
  const RoutingAnswer ans = view.poll ? view.poll() : RoutingAnswer::Continue;
  RoutingItems& it = routing_items;
  if (ans == RoutingAnswer::Waterlevel) it.item = 1;
  if (ans == RoutingAnswer::Discharge) it.item = 2;
  if (ans == RoutingAnswer::Velocity) it.item = 3;
  if (ans == RoutingAnswer::Halt) wait = true;
  return ans == RoutingAnswer::Exit;
}

void hydrograph_lines() {
  const Creach& rc = creach;
  for (int n = 1; n <= rc.nsec; ++n) {
    if (rc.iout(n) <= 0) continue;
    iiwrite(rc.iout(n), line(fformat("(i6,3f11.3)", {n, cunit.tstart, rc.qsec(n), rc.zwl(n)})),
            cunit.lulst);
  }
}

// The frame of the start state: arrays, titles and the three level lines.
void start_frame(RoutingFrame& fr, int nsteps) {
  Creach& rc = creach;
  const int ns = rc.nsec;
  set_title(81, 160, "Longitudinal Section");
  set_title(161, 200, "[km]");
  set_title(201, 240, "[m]");
  for (int n = 1; n <= ns; ++n) {
    xkm(n) = rc.xsec(n) * 0.001f;
    zstart(n) = rc.zwl(n);
    vel(n) = rc.qsec(n) / std::max(rc.asec(n), 0.01f);
  }
  fr.nsteps = nsteps;
  fr.nsec = ns;
  fr.xkm = xkm.data();
  fr.zwl = rc.zwl.data();
  fr.zstart = zstart.data();
  fr.zbed = rc.zbed.data();
  fr.qsec = rc.qsec.data();
  fr.vel = vel.data();
  fr.item = 1;
  fr.option = 4;
  cunit.kplot = -1;
  fill_panel(fr, 0.0f, 0.0f);
}

// The steps of the run; returns false when a step had no downstream condition.
bool time_loop(const RoutingView& view, RxWriter& w, RoutingFrame& fr, int nsteps, float t0) {
  Cunit& cu = cunit;
  bool wait = false;
  for (int k = 1; k <= nsteps; ++k) {
    // The time from the step count: a sum of steps would drift in single
    // precision.
    cu.tstart = t0 + static_cast<float>(k) * cu.dtime;
    int iter;
    float dzmax, dqmax;
    if (flow1(iter, dzmax, dqmax) != 0) return false;
    write_state(w, 5 + k, cu.tstart);
    frame_after_step(fr, k, iter, dzmax, dqmax, wait);
    if (view.step) view.step(fr);
    if (answer(view, wait)) break;
    hydrograph_lines();
  }
  return true;
}

}  // namespace

void flow() { flow(routing_view); }

void flow(const RoutingView& view) {
  Creach& rc = creach;
  Cunit& cu = cunit;
  if (rc.nsec < 1) return;
  std::string why;
  const int nsteps =
      count_steps(static_cast<double>(cu.tend) - static_cast<double>(cu.tstart), cu.dtime, why);
  if (nsteps == 0) {
    show(why);
    return;
  }

  // Steady start.
  int ierr = 0;
  bkwat(ierr, 1);
  if (ierr != 0) return;

  // Result file: header, chainages, the start state and two end markers.
  const std::string fname = cinput.filres.str();
  if (iiguard(fname)) return;
  RxWriter w;
  if (!w.open(fname, rc.nsec, cu.nbyte)) {
    show("Error opening: " + fname);
    return;
  }
  write_header(w);
  write_state(w, 5, cu.tstart);

  RoutingFrame fr;
  start_frame(fr, nsteps);
  if (view.start) view.start(fr);
  const float t0 = cu.tstart;
  const bool ok = time_loop(view, w, fr, nsteps, t0);
  const bool written = w.close();
  cu.tstart = t0;
  if (view.end) view.end(fr);
  if (!ok) {
    // The message of the failed step stays on the message line.
    show(cinput.cmesg.str());
  } else if (!written) {
    show("Error writing: " + fname);
  } else {
    // The result line also ends the hydrograph files at exit.
    cinput.cline = line(fformat("('>results on file ',a)", {cinput.filres.trimmed()}));
    show(cinput.cline.str());
  }
}

}  // namespace riv
