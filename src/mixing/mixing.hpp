// Stream tubes and mixing.
//
// The steady discharge of every branch section is divided into `ntube` tubes
// of equal discharge dq0. Side discharges that join further downstream keep
// some tubes dry in the upstream sections (left inflows on the left, right
// inflows on the right). The tube geometry of a section comes from its
// lateral velocity distribution: tube i occupies the part of the section
// between the cumulative discharges (i-1)·dq and i·dq.
//
// `tubes` shows one flow quantity over the reach in plan view; `mix` moves a
// dissolved load (or a temperature excess) along the tubes with an explicit
// predictor-corrector step bounded by the Courant number and spreads it
// across the tubes with an implicit lateral diffusion step, writing the
// concentrations to a direct-access result file at a fixed interval.
//
// Everything shown to the user goes through MixDisplay (dialogs, progress,
// the plan view); the message line goes through grmesg.
#pragma once
#include <cstdio>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "input/ftext.hpp"
#include "model/model.hpp"

namespace riv {

// ---- Display interface ----

// The contour map of the `tubes` command. The viewer draws the field z over
// the plan positions (x, y) as colour-filled contour bands with a colour key,
// in the plot control loop, on a structured grid of nx (tubes, across the
// river) by ny (sections, along it) nodes: node (i, n) at [(n-1)*ldx + i-1],
// with ldx = 50 and ldy = 1024 the array dimensions. Nodes holding `nodata`
// (-99.0) are not contoured. `title` is the 240-character plot title: the
// model title in characters 1-80, the chosen quantity (for example
// "  Velocity [m/s]") in 81-110, and "[m]" as the labels of both plan axes in
// 161-200 (x) and 201-240 (y). `kplot` is the viewer option of the model.
struct PlanView {
  const float* x = nullptr;
  const float* y = nullptr;
  const float* z = nullptr;
  int nx = 0;
  int ny = 0;
  int ldx = mxtube;
  int ldy = mxbr;
  std::string_view title;
  int kplot = -1;
  float nodata = -99.0f;
};

// Callbacks of the commands; the defaults do nothing (no question answered,
// nothing chosen, nothing drawn), so the computations run without a window.
struct MixDisplay {
  // Integer input with a prompt ("number of streamtubes"); the value holds
  // the current setting on entry and is kept when nothing is entered. The
  // window's prompt refuses counts below 1 at once.
  std::function<void(std::string_view prompt, int& value)> ask_int = [](std::string_view, int&) {};
  // List chooser: the items (32 characters each) under the title ("ITEM");
  // returns the item number, 0 when nothing was chosen.
  std::function<int(std::span<const FStr<32>> items, std::string_view title)> choose =
      [](std::span<const FStr<32>>, std::string_view) { return 0; };
  // Progress bar at step k of n with its text ("Mixing   1.0h").
  std::function<void(int k, int n, std::string_view text)> progress = [](int, int,
                                                                         std::string_view) {};
  // The plan view of the stream tubes (see PlanView).
  std::function<void(const PlanView& view)> show_plan = [](const PlanView&) {};
};

// The callbacks in use (the window code replaces them).
MixDisplay& mix_display();
// Ties the callbacks to the window: the dialogs (grinpi, grchoice), the
// progress bar (grbeam) and the contour viewer (grcont) for the plan view.
// Called once at start-up by a program that has a window.
void mixing_gui_install();

// ---- Tube layout of the last run ----
struct Ctubes {
  int ntube = 0;      // tubes of the layout
  int nsec = 0;       // sections of the layout
  float dq0 = 0;      // discharge per tube, m3/s
  Arr<int, mxbr> il;  // wet tubes of section n: il(n)..ir(n)
  Arr<int, mxbr> ir;
  Arr<float, mxbr> dx;            // cell length of section n, m
  Arr2<float, mxtube, mxbr> xtb;  // plan position of the tube centre
  Arr2<float, mxtube, mxbr> ytb;
  Arr2<float, mxtube, mxbr> ztb;  // quantity of the `tubes` command
};
extern Ctubes ctubes;

// Quantities of the `tubes` command.
enum TubeItem { kItemNone = 0, kBedLevel = 1, kFlowDepth, kVelocity, kFlow, kBedShear };

// Wet tube ranges il/ir and dq0 of the branch from the side discharges qsl,
// qsr of the steady state, for ntube tubes. Returns 1 (with a message) when
// the branch carries no flow, or ntube is below 1; nothing is changed then.
int tube_alloc(int ntube);

// Loads branch section n with its lateral distribution at the steady level
// and fills the tube arrays of cmixing (area, depth, position, eddy
// viscosity), the plan positions xtb, ytb and, for item > 0, the quantity
// ztb. Needs tube_alloc first. itflag returns the iteration count of the
// distribution. Returns 1 (with a message) when the section is not on the
// list.
int tube_section(int n, int item, int& itflag);

// The computation of `tubes` on the current steady state: allocation and all
// sections. Returns 0, or 1 when the command ends with a message.
int tubes_compute(int item);

// The `tubes` command: asks the tube count and the quantity, computes the
// steady state and shows the plan view.
void tubes();

// ---- Mixing ----

// Account of the last mixing run: mass in g (or K·m3 in thermal mode)
// `released` by the loads into wet tubes, `outflow` through the last section
// (or into a section where the tube is dry), `lost` by decay and surface
// flux; the time step dt (s) and the number of steps.
struct MixBalance {
  double released = 0;
  double outflow = 0;
  double lost = 0;
  float dt = 0;
  int steps = 0;
};
extern MixBalance mixbal;

// One longitudinal transport step of all tubes over dt seconds at model time
// tsec (seconds): loads of the common table and losses as sources, then the
// predictor-corrector step with the limited slope. ctub changes in place;
// a tube that is dry at a section holds 0 there and passes nothing on.
void advec(float dq0, const Arr2<float, mxtube, mxbr>& atub, const Arr2<float, mxtube, mxbr>& htub,
           Arr2<float, mxtube, mxbr>& ctub, const Arr<int, mxbr>& il, const Arr<int, mxbr>& ir,
           const Arr<float, mxbr>& dx, float dt, float tsec);

// One implicit lateral diffusion step of all sections over dt seconds.
void mixlat(float dt);

// The mixing run on the current steady state (everything after it): tube
// layout, result file, time steps. Returns 0, or 1 when the command ended
// with a message before the run.
int mix_run();

// The `mix` command: steady state, then the run.
void mix();

// ---- Direct-access result file ----

// Fixed-length binary records (4-byte integers and reals, native byte
// order), record k at byte (k-1)·reclen; each record is written whole,
// blank parts filled with zeros.
struct DaFile {
  std::FILE* f = nullptr;
  int reclen = 0;
  bool failed = false;
  std::vector<unsigned char> buf;  // the record being built
  size_t pos = 0;
};
// Creates (or replaces) the file; false when it cannot be opened.
bool da_open(DaFile& d, std::string_view name, int reclen);
void da_begin(DaFile& d);
void da_int(DaFile& d, int v);
void da_real(DaFile& d, float v);
void da_text(DaFile& d, std::string_view s, int len);
// Writes the record built since da_begin as record k.
void da_write(DaFile& d, int k);
// Closes the file; false when a write failed.
bool da_close(DaFile& d);

}  // namespace riv
