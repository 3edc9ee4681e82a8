// Flood routing on the branch: the box-scheme step of the unsteady flow
// equations, the routing run with its result file and hydrograph lines, and
// the reader of the result file.
//
// The step solves continuity and momentum in conservative form, centred in
// space over each reach and weighted in time with `theta`, by Newton
// iterations on the level and discharge corrections of all sections at once
// (a band system of five diagonals). The run starts from the steady state of
// the backwater solver and advances the model time `tstart` by `dtime` per
// step; `tstart` is restored at the end, so repeated runs cover one period.
#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "input/ftext.hpp"
#include "model/model.hpp"

namespace riv {

// ---- Box-scheme step ----

// Advances the branch state (zwl, qsec, asec, bsec, ksec, rsec of positions
// 1..nsec) by one time step of `dtime` hours; the caller has already advanced
// `tstart`, so the hydrographs are read at the new time. Upstream the inflow
// of position 0 is imposed; a `discharge` hydrograph with a positive value
// fixes the discharge at its section, a level condition (`waterlevel`,
// `froude`, `critical`, `slope`) its level, the change of an imposed level per
// step being limited to `vcontr` * `dtime`.
// iter: Newton iterations done (1..10); dzmax, dqmax: largest level (m) and
// discharge (m3/s) corrections of the last iteration. The step has converged
// when dzmax < 0.001 and dqmax < 0.1; after 10 iterations the last state is
// kept all the same.
// Rating curves, weirs, gates and culverts are internal conditions: the
// discharge through them follows the formulas of the steady solver in place
// of the momentum equation of their reach; side weirs and side gates take
// water out of the branch. A `slope` condition is the normal-depth relation
// Q = K(z) sqrt(S).
// Returns 0, or 1 when the last section carries no condition the step can use
// ("missing downstream boundary condition" on the message line, branch state
// unchanged, iter = 0), 2 when an iteration gives no finite correction (the
// old state restored, the message on the message line). Nothing is done (iter = 0) without sections
// or with a time step that is not positive. Works in fixed storage: nothing is allocated.
int flow1(int& iter, float& dzmax, float& dqmax);

// ---- Display of the routing run ----

// Answers of the step menu (" WWaterlevel", " DDischarge", " VVelocity",
// " HHalt", " XeXit", polled without waiting).
enum class RoutingAnswer { Continue, Waterlevel, Discharge, Velocity, Halt, Exit };

// Everything one picture of the run shows. Arrays hold positions 1..nsec at
// [0..nsec-1] and stay valid only during the callback.
struct RoutingFrame {
  int step = 0;       // time step k; 0 for the start state
  int nsteps = 0;     // steps of the whole run: the count of a full progress beam
  int item = 1;       // plotted item: 1 water level, 2 discharge, 3 velocity
  int option = 4;     // option of the line-plot viewer: 4 limits from the data, 0 keep
  bool wait = false;  // after Halt: enter the interactive plot control loop and wait
  int nsec = 0;
  const float* xkm = nullptr;     // chainage, km (x of every line)
  const float* zwl = nullptr;     // current water level
  const float* zstart = nullptr;  // water level of the start state
  const float* zbed = nullptr;    // lowest bed level
  const float* qsec = nullptr;    // discharge
  const float* vel = nullptr;     // velocity qsec / max(asec, 0.01)
  int iter = 0;                   // Newton iterations of the step
  // Information panel, window coordinates: line j at (0, kPanelY[j]).
  // 0 title (34 characters), 1 "Step.....  Time/h...  Timestep/h..",
  // 2 step, time, time step "(i9,2f11.2)", 3 "Iteration  dz/mm....  dq/m3/s....",
  // 4 iterations, dz in mm, dq "(i9,f11.2,f11.4)",
  // 5 "Inflow...  Outflow..  Balance/m3/s", 6 inflow, outflow, difference
  // "(f9.1,2f11.1)", 7 one dot per Newton iteration.
  static constexpr std::array<float, 8> kPanelY{95, 75, 65, 50, 40, 25, 15, 5};
  std::array<FStr<40>, 8> panel;
};

// What the routing run shows, filled in by the window front end. Each member
// may be left empty: the run then shows nothing there and never halts.
struct RoutingView {
  // Called once before the first step (frame.step = 0, option 4, item 1
  // lines): restart the graphics (grclos; grinit with input unit 5, output
  // unit `lulst`, name `progid`, text "out", small-window flag 0). The title
  // texts stand in `title` (81-160 "Longitudinal Section", 161-200 "[km]",
  // 201-240 "[m]"). Draw the first picture: three lines of nsec points,
  // x = xkm, labels "Waterlevel", "Waterlevel T=0", "Bedlevel", y = zwl,
  // zstart, zbed, style codes 101, 102, 1, symbol codes 105, 0, 0, with
  // grklin option 4 and `kplot` = -1; then IN15GR = 1 (grvalu) so that the
  // plot control loop draws and returns without waiting.
  std::function<void(const RoutingFrame&)> start;
  // Called after every computed step:
  // 1. the picture of frame.item with grklin (option frame.option, `kplot`
  //    = -1, title 201-240 holds the y-axis text): item 1 the three lines of
  //    `start`; item 2 one line "Discharge", y = qsec; item 3 one line
  //    "Flow Velocity", y = vel; single lines with style 101, no symbol. With
  //    frame.wait set IN15GR is 0 for this picture (the control loop waits
  //    for the user), otherwise 1; afterwards IN15GR = 1.
  // 2. the information panel: clipping off (grclip(0)); a box x = -10..205,
  //    y = -20..110 filled with colour -1 (grfil2) and framed with colour 1
  //    (grfram); colour 0: panel line 0 at (0, 95), a line from (-5, 93) to
  //    (200, 93), lines 1..7 at (0, kPanelY) with granot.
  // 3. the progress beam: grbeam(-1, ...) then grbeam(step, nsteps, "routing").
  std::function<void(const RoutingFrame&)> step;
  // The step menu, shown with grcurs (layout code 100: polled once, no wait);
  // items " WWaterlevel", " DDischarge", " VVelocity", " HHalt", " XeXit".
  // Return Continue when nothing is pending.
  std::function<RoutingAnswer()> poll;
  // Called once after the last step (also after a failed step) with the
  // frame of the last picture: the last picture stays in the plot control
  // loop until the user leaves it; then grclos and grinit as in `start`,
  // IN15GR = 0.
  std::function<void(const RoutingFrame&)> end;
};

// The view used by flow(); shows nothing until the window front end sets it.
extern RoutingView routing_view;
// Fills routing_view with the window front end (line-plot viewer, panel,
// progress beam, polled step menu); called once after the graphics start.
void routing_gui_install();

// Plotted item of the routing pictures, kept between runs (1 water level,
// 2 discharge, 3 velocity) and the item of the previous picture.
struct RoutingItems {
  int item = 1;
  int prev = 1;
};
extern RoutingItems routing_items;

// ---- Routing run ----

// The Branch -> Routing command: steady start with bkwat, then the steps of
// `dtime` from `tstart` to `tend` that count_steps gives (at least one),
// each written to the result file `filres` (unit `luaux`) and shown through
// the view; hydrograph lines "(i6,3f11.3)" (position, time, discharge, level)
// go to the output files of positions with `iout` > 0. Ends with
// ">results on file <filres>" on the message line and in `cline` (so that it
// ends the hydrograph files at exit), and `tstart` restored.
// A step without a usable downstream condition ends the run with its message
// and returns; the result file then ends after the last complete state.
void flow();
void flow(const RoutingView& view);

// ---- Result file ----

// Result-file tag and record length in bytes for a branch of nsec sections:
// nbyte * max(41, 4 * nsec + 1) + 1 (41 words hold the variable titles).
constexpr int kRxresTag = -93;
int rxres_recl(int nsec, int nbyte);

// The contents of a routing result file as written by flow().
struct RxresData {
  int recl = 0;
  int nsec = 0;
  int ndim = 0, nz = 0, jbl = 0;
  std::string title;  // 80 characters
  int nvar = 0;
  std::vector<std::string> names;  // five 32-character column titles
  std::vector<float> xkm;          // chainage, km
  struct State {
    int record = 0;
    float time = 0.0f;
    std::vector<float> z, q, u, tau;
  };
  std::vector<State> states;  // records 5, 6, ... up to the first end marker
  int end_markers = 0;        // end-marker records found after the last state
};

// Reads a routing result file. Returns an empty text on success, else the
// reason ("Error opening: <path>", "not a routing result file", ...).
std::string read_rxres(const std::string& path, RxresData& data);

// The result file as text lines, for users and tests: the header values, the
// column titles and chainages, then per state record a line
// "record     r  time      t" followed by one line per section
// "(i6,f10.3,f10.3,f11.3,f9.3,f10.2)" (position, km, level, discharge,
// velocity, shear) and finally "end markers" with their count. A file that
// cannot be read gives one line with the reason.
std::vector<std::string> read_rxres(const std::string& path);

}  // namespace riv
