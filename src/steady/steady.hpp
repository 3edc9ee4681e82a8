// Steady flow along the branch: discharge through hydraulic structures, the
// critical level of a section, the conditions attached to branch positions,
// the backwater solver and the result table of the water-level command.
//
// Heads of the structure formulas are measured from the structure's reference
// level (crest, sill or culvert invert); a discharge is positive from side 1
// to side 2.
#pragma once
#include <string_view>
#include <vector>

#include "input/ftext.hpp"
#include "model/model.hpp"

namespace riv {

// ---- Hydraulic structures ----

// Overflow weir of crest width b and discharge coefficient cw, with the
// submergence factor (1 - (hd/hu)^3)^(1/3).
float rqweir(float h1, float h2, float b, float cw);

// Sluice gate of width b and opening a; hg is the depth above the sill on the
// inflow side (contraction coefficient a/hg, at least cmin, at most 1). A gate
// that does not touch the water (1.3 a above both heads) acts as a weir.
float rqgate(float h1, float h2, float hg, float b, float a, float cmin);

// Culvert: the smallest of inlet-control, outlet-control (barrel friction and
// local losses) and orifice discharge. he1, he2: energy heads, h1, h2: depths
// above the invert; w: width (rectangular, hc > 0) or diameter (hc <= 0);
// el: barrel length; ks: Strickler value; xi: local loss coefficients.
// itype: -1 on entry writes two debug lines to the terminal; on return the
// governing flow: 0 none, 1 inlet control, 2 outlet control with partly full
// barrel, 3 submerged inlet (orifice), 4 full barrel.
float rqculv(float he1, float he2, float h1, float h2, float w, float hc, float el, float ks,
             float xi, int& itype);

// ---- Critical depth and node conditions ----

// Sum of the inflow and discharge hydrographs at position n at time `tstart`.
// ktype: side code of the last one found (1 left, 2 right, 3 imposed
// discharge), -1 when none; vlat: its lateral velocity, 0 when none.
float qnode(int n, int& ktype, float& vlat);

// The inflows at position n split by side: left, right and imposed discharge.
void qnode_sides(int n, float& qleft, float& qright, float& qimposed);

// Level of the section at position n (with its shift) at which it carries q
// with Q^2 B / (g A^3) = fr (1: critical flow). Loads the section.
float zcrit(int n, float q, float fr);

// Level imposed at position n by its conditions (0 = upstream end). eoth: the
// energy level on the downstream side (-1e10 when none). istat: -1 on entry
// evaluates level conditions only. On return -1 no condition, 0 a level
// condition, 1 critical (or Froude >= 1), 2 solved from discharge conditions
// (rating curves, weirs, gates, culverts); the level is 0 with istat -1.
// The discharge search reads the section table the caller built with cstab.
float znode(int n, float eoth, int& istat);

// One record of the conditions and structures of the branch: its first row
// in the common table, its length in rows, branch position and kind (1 hq,
// 2 weir, 3 gate, 4 sideweir, 5 sidegate, 6 waterlevel, 7 inflow or
// discharge, 8 froude or critical, 9 slope, 11 culvert).
struct NodeRecord {
  int row = 0, len = 0, pos = 0, kind = 0;
};
// The branch records in input order (load records of the mixing model left
// out), at most cap of them; returns their number. The solvers that visit
// every position many times index the records once with it.
int node_records(NodeRecord* out, int cap);
// Value of the time table of a condition record at time `tstart`.
float node_at_time(const NodeRecord& rec);
// True when the record holds all the values its kind needs.
bool relation_valid(const NodeRecord& rec);
// Discharge passed by a rating curve, weir, gate or culvert record at level z
// with energy level e on its own side and eoth on the other (-1e10: free
// outflow), as the level search of znode evaluates it; el: barrel length.
float node_relation(const NodeRecord& rec, float z, float e, float eoth, float el);
// Discharge leaving the branch over a side weir or through a side gate at
// water level z (free outflow beside the branch); 0 for other records.
float side_outflow(const NodeRecord& rec, float z);

// Smoothed discharge of the `slope` condition, kept between calls; -9999
// until the first evaluation.
extern float qsv;

// ---- Backwater solver ----

// Static moment of the flow area of the tabulated section about level z.
float specp(float z);

// Steady water-surface profile of the branch: discharges, subcritical
// upstream pass, supercritical downstream pass with hydraulic jumps. ierr:
// 0 success, 1 a section is missing or the downstream condition is missing.
// imode 1: progress bar and completion message shown.
void bkwat(int& ierr, int imode);
// Drops the property tables bkwat keeps between runs (they are rebuilt
// anyway when a reading, a bed change or other settings make them stale).
void bkwat_forget();

// Counters of the last bkwat call: largest iteration counts of the lateral
// method (itc) and of the level iteration (itb), inexact sections (ninex, their
// lines stand in ctext(1..ninex)), and the supercritical flag that survives
// between calls.
struct Bkstat {
  int itc = 0;
  int itb = 0;
  int ninex = 0;
  int lsuper = 0;
};
extern Bkstat bkstat;
// Shows the sections of the last backwater run whose level did not converge
// ("inexact cs" lines) in the text window; nothing when all converged.
void bkwat_show_inexact();

// ---- Result table of the water-level command ----

constexpr int mxtable = mxbr + 5;
using TableLines = Arr<FStr<99>, mxtable>;

// Builds the result table of the branch: title, two header lines, one line per
// position, legend and water volume. Returns the number of lines (nsec + 5).
int wltable(TableLines& ctable);

// ---- Water-level and section velocity commands ----

// The water-level command: irun 1 runs the backwater solver first (nothing
// is shown when it fails); then the menu Table, Plot, Done.
void wlevel(int irun);
// The seven curves of the longitudinal profile (mean bed, talweg, water,
// energy and critical levels, left and right bank tops), nsec points each,
// and the observed data as an eighth line; x in km. nper receives the point
// counts. Returns the number of lines, -1 when the points do not fit.
int wlprofile(std::vector<float>& xx, std::vector<float>& yy, int* nper);

// The section velocity command: form, table and plot until Cancel.
void velo();
// One computation of the form's values (name or number, slope in %, level).
// slope is a fraction; iter the iteration count of the lateral method.
// Refused: a field did not read or the section is unknown (the message line
// says which; nothing changed); Dry: the level wets no point, level := the
// section's lowest point and q := 0.
enum class VeloStep { Computed, Refused, Dry };
VeloStep velo_compute(FStr<16>* values, float& slope, float& level, float& q, int& iter);
// The text-window lines of the distribution just computed.
int velo_text(std::string_view name, float slope, float level, float q, int iter,
              std::vector<FStr<80>>& lines);

}  // namespace riv
