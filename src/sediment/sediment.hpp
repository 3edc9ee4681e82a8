// Sediment transport: the bed-load capacity of the section evaluated last.
#pragma once

namespace riv {

// Bed-load transport capacity per unit width (m2/s, solid volume without
// pores) of the section whose area and conveyance were computed last, at
// energy slope s and bed slope sb (positive when the bed falls downstream),
// with the grain sizes d30def, dmdef, d90def of `cbedevol`. iform 1: the
// excess-shear formula; any other code: the steep-slope formula. iarm
// returns 1 when the bed is armoured (grain Shields value at or below the
// armouring threshold). Leaves the grain Shields value in `shld` and the
// threshold in `shlda`.
float qbprof(float s, float sb, int iform, int& iarm);

}  // namespace riv

// ===========================================================================
// Sediment commands: bed evolution run and its pictures (evol, eprog), the
// yearly bed load of a section over a hydrograph (bdload) and the section
// tool (discr).
//
// Every computation here is complete; everything a person sees goes through
// `seddisplay`, whose members are empty until the window code fills them.
// ===========================================================================
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "input/ftext.hpp"
#include "model/model.hpp"

namespace riv {

// ---- Forms (the dialogs of the commands) ----

// The fields of a form as the window's form routine edits them: labels of 18
// characters, values of 16 characters (left-justified texts). The form routine
// ends with the values edited in place; Cancel sets label(1) to "cancel".
struct SedForm {
  int n = 0;
  Arr<FStr<18>, 23> label;
  Arr<FStr<16>, 23> value;
  bool cancelled() const { return fequal(label(1).view(), "cancel"); }
  void add(std::string_view lab, std::string_view val) {
    ++n;
    label(n) = lab;
    value(n) = val;
  }
  // Value i without its leading blanks.
  std::string_view text(int i) const;
  // Value i read as one number into v; false, v kept, when it does not read
  // or is not finite.
  bool number(int i, float& v) const;
};

// ---- Pictures of the bed evolution run ----

constexpr int kEvolLines = 7;
constexpr int kEvolPoints = kEvolLines * mxbr;

// The longitudinal section handed to the line-plot viewer: lines 1..nline,
// line l with nper(l) points at x0, f0 positions (l-1)*nsec + 1 ... (the data
// line 7 likewise at 6*nsec + 1 ...). The plot titles stand in cinput.title:
// characters 1-80 the model title, 81-160 "Longitudinal Section", 161-200
// "[km]", 201-240 the y-axis text (also in ytext). Missing values are -9999.
// The viewer is called with kplot = -1 and the option word ichoice = 4
// (limits from the data); afterwards the graphics variable IN15GR is 1, so
// the control loop draws and returns at once (0 after Halt or Close: wait).
struct EvolPicture {
  int step = 0;  // 0 the set-up picture, else the step (the panel follows)
  int item = 1;  // 1 Levels, 2 Rate, 3 Sediment, 4 Load
  int nline = 0;
  int nsec = 0;
  int kplot = -1;
  int ichoice = 4;
  Arr<int, kEvolLines> ilin;  // line code: colour*100 + dash style
  Arr<int, kEvolLines> isym;  // marker code: colour*100 + symbol
  Arr<int, kEvolLines> nper;
  Arr<FStr<32>, kEvolLines> titl;
  FStr<40> ytext;
  Arr<float, kEvolPoints> x0;
  Arr<float, kEvolPoints> f0;
};

// The information panel drawn over the picture from step 1 on, with clipping
// off, in the plot's pixel frame: a box x -10..205, y -20..80 filled with
// colour -1 and framed with colour 1; in colour 0 the texts text(i) at
// (x(i), y(i)) and a line from (-5, 63) to (200, 63). The window draws this
// layout moved up and right into the plot area, clear of the axis labels.
struct EvolPanel {
  static constexpr int ntext = 5;
  Arr<std::string, ntext> text;
  Arr<float, ntext> x;
  Arr<float, ntext> y;
};

// ---- The display interface of the sediment commands ----
// Each member may stay empty. Messages go to grmesg directly.
struct SedDisplay {
  // Form with f.n fields (the window's grinfo with label length 18 and value
  // length 16). Empty: the form counts as cancelled.
  std::function<void(SedForm& f)> form;
  // Text window over cinput.ctext(1..n) with Save and Done (grtext).
  std::function<void(int n)> text;
  // Graphics restart before the first picture of a bed evolution run: grclos,
  // then grinit with input unit 5, output unit lulst, the name progid, the
  // text "out" and small-window flag 0.
  std::function<void()> restart;
  // Line-plot viewer (grklin) with the picture of the current item.
  std::function<void(const EvolPicture& p)> picture;
  // Information panel of a step (see EvolPanel).
  std::function<void(const EvolPanel& p)> panel;
  // Progress bar (grbeam): i = -1 resets it, then step i of n with the text.
  std::function<void(int i, int n, std::string_view text)> beam;
  // Step menu (grcurs with the layout 100: polled once without waiting):
  // items(1..n) of 18 characters, character 1 "-" when disabled. Returns the
  // index chosen, 0 when nothing is pending. Empty: 0.
  std::function<int(Arr<FStr<18>, 23>& items, int n)> menu;
};
extern SedDisplay seddisplay;
// Fills seddisplay with the window's forms, text window, line-plot viewer,
// panel, progress beam and polled step menu; called once after the graphics
// start.
void sediment_gui_install();

// ---- Bed evolution run ----

// Dialog of the run: "duration  [h]     " with tend "(f12.1)" and
// "time step [h]     " with dtime "(f12.2)" (fields of cunit).
void evol_form(SedForm& f);
// Reads the two values back into tend and dtime; false when either cannot
// be read or is not usable (a time step of 0 or less, a negative duration);
// then nothing is changed.
bool evol_read(const SedForm& f);

// Volumes of the last run, solid volume without pores (m3).
struct EvolResult {
  // 1: the steady state failed; stopped on the bed of the last sound part:
  // 2 a bed wave faster than the flow, 3 a main channel filled up to the
  // water surface.
  int ierr = 0;
  int nstep = 0;       // steps asked for
  int ndone = 0;       // steps completed
  double vin = 0.0;    // entered at the upstream end
  double vout = 0.0;   // left at the downstream end
  int nsplit = 0;      // steps split into parts for the bed wave
  int maxparts = 0;    // most parts of one step
  int nworst = 0;      // section where the run stopped
  float ratio = 0.0f;  // bed-wave celerity / flow velocity there (stop 2)
};

// The run with the duration and time step of cunit (everything after the
// dialog): steady state, capacities, inflow, armour limit, bed update, the
// pictures every fifth step and the listing of the volumes.
EvolResult evol_run();
// The command: dialog (repeated while unreadable), then the run.
void evol();

// Pictures and write requests of the run at step k (0: set-up). ichoice
// returns the answer of the step menu (7: Close).
void eprog(int k, int& ichoice, int nstep);
// The end of the run, however it ended: the step mode of the plots is what
// it was before the set-up call, so later plots wait for the user again.
void eprog_end();
// The picture and the item chosen (kept over the program run).
const EvolPicture& eprog_picture();
// Length of the active bed cell n of the last run (m).
float evol_cell(int n);
// Active bed width of section n in the last step (m).
float evol_width(int n);

// ---- Bed-load command ----

// The hydrograph: times in days, discharges in m3/s; yend(j) the index of the
// last value of year j (0-based vectors, indices from 1 as stored).
struct Hydrograph {
  static constexpr int nmax = 499999;
  int n = 0;
  int year0 = 0;  // year field of the first data line
  float qmax = 0.0f;
  int nbad = 0;            // unreadable data lines (skipped)
  bool truncated = false;  // more lines than nmax (the rest not read)
  std::vector<double> t;   // t[i-1] = t(i)
  std::vector<float> q;
  std::vector<int> yend;
};

// Reads a hydrograph from the unit until ">>" or the end: "gang" lines
// skipped; day from columns 1-2, year from column 7 on, time and discharge
// from column 12 on.
void bdload_read(int unit, Hydrograph& h);

// Dialog values of the bed-load command. The form shows the grain sizes of
// cbedevol (d30def, dmdef, d90def in mm); d30, dm, d90 here receive what the
// form gives back and are stored into cbedevol by bdload_compute. Fields:
//  1 "CS name/number  > " name        6 "Porosity[-]       " poros "(f10.2)"
//  2 "Slope        [%]> " "(f12.2)"   7 "Q-Factor[-]       " qfac "(f10.2)"
//  3 "d30         [mm]> " "(f12.0)"   8 "Formula           " "/1/MPM/VAW"
//  4 "dm          [mm]  " "(f12.0)"   9 "min.Load[1000m3]  " "(f12.1)"
//  5 "d90         [mm]  " "(f12.0)"  10 "max.Load[1000m3]  " "(f12.1)"
// Formula, porosity and discharge factor are kept between calls; the name
// starts as "1" and the slope as 1 % at every call.
struct BdloadInput {
  FStr<8> name{"1"};   // section name or number
  float slope = 1.0f;  // %
  float d30 = 10.0f;   // mm
  float dm = 50.0f;    // mm
  float d90 = 300.0f;  // mm
  float poros = 0.3f;
  float qfac = 1.0f;
  int formula = 1;  // 1 MPM, 2 VAW
};
struct BdloadResult {
  int status = 0;  // 0 computed, 1 section not on the list, 2 slope too small
  int isec = 0;
  double vmax = 0.0;  // total of the full capacity, 1000 m3 (bulk)
  double vmin = 0.0;  // total with armoured capacities 0, 1000 m3
  int nyear = 0;
  Arr<float, mxtabv> qr;   // rating table: discharge
  Arr<float, mxtabv> qbx;  // full capacity (m3/s)
  Arr<float, mxtabv> qbn;  // capacity, 0 where armoured
};

// Fields of the dialog (ten items) from the values and the last totals.
void bdload_form(const BdloadInput& in, double vmin, double vmax, SedForm& f);
// Reads the form back (sizes in mm); false when a value cannot be read.
bool bdload_read_form(const SedForm& f, BdloadInput& in);
// Rating table and integration over the hydrograph; yearly lines to the
// listing. Stores the grain sizes, repose and porf as the command does.
BdloadResult bdload_compute(BdloadInput& in, const Hydrograph& h);
// The command after the hydrograph file was opened on unit: read, message,
// dialog loop until cancel.
void bdload_unit(int unit);
// The command: file chooser, then bdload_unit.
void bdload();
// Dialog values kept between calls (formula, porosity, discharge factor).
BdloadInput& bdload_saved();

// ---- Section tool ----

// Dialog values of the section tool (23 fields, see discr_form: nine inputs,
// then the derived quantities of DiscrShow). The form shows the grain sizes
// and thcrit of cbedevol (sizes in cm); d30, dm, d90, thcrit here receive
// what the form gives back and are stored by discr_compute. The discharge,
// the slope and the two table columns are kept between uses of the command.
struct DiscrInput {
  FStr<8> name;        // section name or number
  float slope = 1.0f;  // %
  bool table = false;  // table mode
  float q0 = 0.0f;     // discharge (m3/s); -1: level given
  float z = 0.0f;      // water level (m)
  float d30 = 1.0f;    // cm
  float dm = 5.0f;     // cm
  float d90 = 30.0f;   // cm
  float thcrit = 0.047f;
};
// Values shown by the dialog, derived from the last computation.
struct DiscrShow {
  float depth = 0, energy = 0, rhyd = 0, rb = 0, u = 0, tau = 0, froude = 0, reynolds = 0;
  int iter = 0;
  float load1 = 0, load2 = 0;  // kg/s, formula 1 (MPM) and 2 (VAW)
  int iarm = 0;
  float shlda = 0, shld = 0;
};
// The section tool's state for one use of the command.
struct DiscrState {
  DiscrInput in;
  int isec = 0;
  int iter = 0;
  int iarm = 0;
  float q1 = 0.0f, q2 = 0.0f;  // loads m3/s of the two formulas
  int col1 = 1, col2 = 2;      // table columns
};

// Derived quantities of the dialog from the work record and the state.
DiscrShow discr_show(const DiscrState& s);
void discr_form(const DiscrState& s, SedForm& f);
// Reads the form back into in (sizes in cm); false when unreadable.
bool discr_read_form(const SedForm& f, DiscrInput& in);
// One computation after the dialog; zshown is the level the form showed (a
// change of more than 1 mm makes the level the given quantity). Returns 0
// computed, 1 section unknown, 2 slope too small, 3 discharge above the
// capacity (message shown), 4 table mode: the caller asks for the two
// columns (discr_column_form, message "value in 1st/2nd column") and calls
// discr_table, whose lines go to the text window. nlines: -1 in table mode.
int discr_compute(DiscrState& s, float zshown, int& nlines);
// Table mode: lines of columns col1, col2 into cinput.ctext (returns the
// count) and the armouring table to the listing.
int discr_table(DiscrState& s);
// Form of the column choice (8 items, "+" at the current column).
void discr_column_form(int col, SedForm& f);
// Column chosen in the form: the last item whose value begins with "+", else col.
int discr_column_read(const SedForm& f, int col);
// The command.
void discr();

}  // namespace riv
