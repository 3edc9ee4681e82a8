// The river model: the global records every computation works on, the
// roughness class names of the input reader, and the cross-section store
// with its work record.
//
// One instance of each record exists for the whole program run. The records
// get their initial values when the program image is built; no initializer of
// another translation unit's static object may use them.
#pragma once
#include <span>

#include "input/ftext.hpp"
#include "model/arrays.hpp"

namespace riv {

// ---- Capacities ----
constexpr int mxlist = 1024;  // sections on the list (ncs)
constexpr int mxbr = 1024;    // sections in the branch (maxsec, nsec)
constexpr int mxpt = 1000;    // points of one section
constexpr int mxcls = 100;    // roughness classes
constexpr int mxtube = 50;    // stream tubes
constexpr int mxtabv = 40;    // rows of the per-section property table
constexpr int mxtabc = 1000;  // rows of the common table tabc
constexpr int mxdata = 100;   // observed data points
constexpr int mxwrite = 10;   // bed-evolution write requests
constexpr int mxgrid = 1000;  // points of the lateral grid
constexpr int maxitv = 20;    // iteration limit of the lateral velocity distribution

// ---- Physical constants and unit conversions (single precision) ----
constexpr float kRhoWater = 1000.0f;                 // density of water, kg/m3
constexpr float kGravity = 9.81f;                    // m/s2, as cunit.grav
constexpr float kUnitWeight = kRhoWater * kGravity;  // rho g = 9810 N/m3: bed shear rho g R Sf
constexpr float kVelocityHead = 0.051f;  // 1/(2g) = 0.05097 s2/m, rounded as the tables give it
constexpr float kSecondsPerHour = 3600.0f;
// 1/3600 rounded to six digits: rates per hour in the input become rates per second.
constexpr float kPerHourToPerSecond = 0.000277778f;
// 1/(rho cp) = 1/(1000 kg/m3 x 4186 J/(kg K)) = 2.39e-7 m3 K/J, rounded: a surface heat
// flux (W/m2) becomes a temperature flux (K m/s).
constexpr float kHeatFluxToRate = 2.4e-7f;

// ---- Units, constants, run settings ----
struct Cunit {
  int luin = 11;         // model input file (include files use other units)
  int lulst = 12;        // listing "out"
  int luaux = 13;        // result and data files opened by commands
  int lucs = 14;         // section store
  int nbyte = 4;         // bytes per storage word
  float grav = 9.81f;    // gravity, m/s2
  float rhow = 1000.0f;  // density of water, kg/m3
  float visc = 1.0e-6f;  // kinematic viscosity, m2/s
  float rmiss = -99.0f;  // filler value of result files
  int kplot = -1;        // option of the line-plot viewer for result plots
  float theta = 0.55f;   // time weight of the box scheme
  float tstart = 0.0f;   // model time, h
  float dtime = 0.1f;    // time step, h
  float tend = 100.0f;   // end time, h
  float cfl = 0.8f;      // Courant number
  float epsz = 0.001f;   // level tolerance of the steady solvers, m
  int maxsec = 1024;     // largest number of branch sections
  int nfreq = 10;        // output frequency, time steps
};

// ---- The branch and its per-position state (positions 1..nsec) ----
struct Creach {
  float wfac = 1.0f;          // factor on lateral distances in plan views
  Arr<float, mxbr> xsec;      // chainage, m
  Arr<float, mxbr> qsec;      // discharge, m3/s
  Arr<float, mxbr> zwl;       // water level, m
  Arr<float, mxbr> asec;      // flow area at zwl, m2
  Arr<float, mxbr> dzsec;     // vertical shift of the listed section, m
  Arr<float, mxbr> sfsec;     // friction slope (Q/K)^2
  Arr<float, mxbr> bsec;      // surface width, m
  Arr<float, mxbr> ksec;      // conveyance, m3/s
  Arr2<float, 2, mxbr> qlat;  // inflow at position n-1: (1, n) left, (2, n) right
  Arr<float, mxbr> qsl;       // side discharge left
  Arr<float, mxbr> qsr;       // side discharge right
  Arr<float, mxbr> zbed;      // lowest bed level, m
  Arr<float, mxbr> rsec;      // hydraulic radius, m
  int ndata = 0;              // observed data points
  Arr<float, mxdata> xdata;
  Arr<float, mxdata> ydata;
  int nsec = 0;         // branch sections
  int ncs = 0;          // sections on the list
  Arr<int, mxbr> ifix;  // 1: a condition or structure sets the level here
  Arr<int, mxbr> iout;  // output-file number of the hydrograph, 0 = none
};

// ---- Names and tags (blank padded) ----
struct Cchar {
  Arr<FStr<8>, mxlist> csname;  // names of the sections on the list
  Arr0<FStr<8>, mxbr> secnam;   // listed section at branch position n
  Arr<FStr<3>, mxbr> cflag;     // result flags of the steady solver
  Arr0<FStr<6>, mxbr> ctag;     // tag of the last condition at position n
  FStr<32> datfil;              // title of the observed data
};

// ---- Texts, buffers, file names ----
struct Cinput {
  FStr<16> ctime;             // time stamp of the run
  FStr<60> filwr;             // file of the last bed-evolution write request
  FStr<240> title;            // model title
  Arr<FStr<18>, 23> menu;     // item buffer of menus and dialogs
  FStr<128> cline;            // argument text of the current input line
  Arr<FStr<80>, 1026> ctext;  // lines for the text window
  FStr<20> progid;            // program identity handed to the graphics start
  FStr<60> filres{"rxres"};   // routing and mixing result file
  FStr<60> cfilin;            // directory of the file dialog for the input
  float vcontr = 0.1f;        // largest rate of change of an imposed level, m/h
  FStr<128> cmesg;            // message line text (shown with iimesg)
};

// ---- Section work record, roughness classes, common table ----
struct Ccs {
  Ccs();

  // Section being read or loaded
  int np = 0;             // points (1 = circular tube)
  float cskm = 0.0f;      // station, km
  float xloc = -9999.0f;  // map x, m; -9999 = no location
  float yloc = 0.0f;      // map y, m
  float azim = 0.0f;      // orientation of the section line, rad
  int kind = 0;           // bits: 1 main, 2 compound, 4 closed outline
  float cvdef = 0.11f;    // eddy-viscosity coefficient
  Arr<float, mxpt> ysec;  // lateral coordinate (tube: diameter in 1)
  Arr<float, mxpt> zsec;  // level (tube: invert in 1)
  Arr<int, mxpt> iclass;  // roughness class of each point
  Arr<float, mxpt> rks;   // Strickler value of the segment from point i
  Arr<float, mxpt> rveg;  // vegetation value of the segment from point i
  float zmin = 0.0f;      // lowest point
  int imin = 0;
  float zmax = 0.0f;  // highest point
  float zbl = 0.0f;   // left bank top (highest point 1..imin)
  int ibl = 0;
  float zbr = 0.0f;  // right bank top (highest point imin..np)
  int ibr = 0;
  float zbm = 0.0f;  // mean bed level of the main channel
  float bm = 0.0f;   // main-channel width
  int lmain = 0;     // only water connected to the lowest point flows
  int lcomp = 0;     // lateral distribution method

  // Global settings
  float dgrid = 0.05f;  // lateral grid spacing, m
  float wslot = 0.05f;  // slot width, m
  int ntabv = 100;      // rows of the property table (at most 40 in use)
  int ngrid = 40;       // lateral grid points, at most 1000
  int nstruc = 0;       // conditions and structures entered
  int ldebug = 0;
  int lmomen = 0;
  int lcompd = 0;               // default of the compound flag
  Arr<float, mxcls> kstl;       // Strickler value of class j
  Arr<float, mxcls> vegl;       // vegetation value of class j, -1 = none
  Arr2<float, mxtabc, 2> tabc;  // common table of conditions, structures, loads

  // Properties at one level
  float area = 0.0f;    // flow area, m2
  float perim = 0.0f;   // wetted perimeter, m
  float wtop = 0.0f;    // surface width, m
  float conv = 0.0f;    // conveyance, m3/s
  float rhyd = 0.0f;    // hydraulic radius, m
  Arr<float, mxpt> hp;  // depth at point (or grid point), m
  Arr<int, mxpt> idry;  // 1 = dry

  // Property table, rows 1..ntabv
  Arr<float, mxtabv> ztab;
  Arr<float, mxtabv> atab;
  Arr<float, mxtabv> btab;
  Arr<float, mxtabv> ktab;
  Arr<float, mxtabv> rtab;

  // Lateral grid, points 1..ng
  int ng = 0;
  Arr<float, mxgrid> yg;    // lateral coordinate
  Arr<float, mxgrid> zg;    // bed level
  Arr<float, mxgrid> rkg;   // friction value
  Arr<float, mxgrid> rvg;   // vegetation value
  Arr<float, mxgrid> ug;    // depth-averaged velocity
  Arr<float, mxgrid> usg;   // shear velocity
  Arr<float, mxgrid> epsg;  // eddy viscosity
  Arr<float, mxgrid> acum;  // area accumulated from the left edge
  Arr<float, mxgrid> qcum;  // discharge accumulated from the left edge
};

// ---- Mixing settings ----
struct Cmixing {
  int ntube = 10;          // stream tubes, at most 50
  int nload = 0;           // load records
  float tprint = 3600.0f;  // output interval, s
  float dcoef = 2.0f;      // diffusivity coefficient
  float sflux = 0.0f;      // surface flux coefficient
  float decay = 0.0f;      // decay rate, 1/s
  int ltherm = 0;          // heat instead of a load

  // Stream tubes of the last tube or mixing run: tube i of branch section n
  // at (i, n). Dry tubes have area, depth and eddy viscosity 0.
  Arr2<float, mxtube, mxbr> atub;  // cross-section area of the tube, m2
  Arr2<float, mxtube, mxbr> htub;  // mean depth = area / tube width, m
  Arr2<float, mxtube, mxbr> ytub;  // lateral position of the tube centre, m
  Arr2<float, mxtube, mxbr> ntub;  // eddy viscosity at the tube centre, m2/s
  Arr2<float, mxtube, mxbr> ctub;  // concentration (g/m3) or temperature excess (K)
};

// ---- Sediment settings and bed state (positions 1..nsec) ----
struct Cbedevol {
  Cbedevol();

  float d30def = 0.01f;  // current grain sizes, m
  float dmdef = 0.05f;
  float d90def = 0.3f;
  float qsin = -1.0f;     // sediment inflow factor, -1 = not given
  float thcrit = 0.047f;  // critical Shields value
  float repose = 1.0f;
  float delta = 1.65f;  // relative submerged density
  int iform = 0;        // transport formula: 1 mpm, 2 smart, 3 wilcock
  float porf = 1.43f;   // 1 / (1 - porosity)
  Arr<float, mxbr> d30;
  Arr<float, mxbr> dm;
  Arr<float, mxbr> d90;
  Arr<float, mxbr> drock;    // rock depth
  int nwrite = 0;            // write requests
  Arr<int, mxwrite> iwrsec;  // branch position of write request k (unit 70 + k)

  Arr<float, mxbr> dzb;   // accumulated bed change of the main channel, m
  Arr0<float, mxbr> qs;   // transport capacity; qs(0) inflow at the upstream end
  Arr<float, mxbr> qsm;   // mean sediment flux of the last step
  Arr<float, mxbr> vol;   // volume transported since the start of the run
  Arr<float, mxbr> zarm;  // armour limit of the bed change
  float shld = 0.0f;      // grain Shields value of the last capacity
  float shlda = 0.0f;     // armouring threshold of the last capacity
};

extern Cunit cunit;
extern Creach creach;
extern Cchar cchar;
extern Cinput cinput;
extern Ccs ccs;
extern Cmixing cmixing;
extern Cbedevol cbedevol;

// Roughness class names of the input reader: 1 "def", 2 "bed", 3..nclas
// defined with `label`.
extern Arr<FStr<3>, mxcls> clas;
extern int nclas;
inline Arr<FStr<3>, mxcls>& clabel = clas;

// All records back to their initial values (program start).
void model_init();
// The resets at the start of each reading of the input file: counts and
// per-reading flags to 0, no location, side inflows and bed change to 0,
// d90 from d90def, empty common table, classes back to "def" and "bed".
void model_reset_for_reading();

// ---- Records of the common table tabc ----
// A record starts at row r with (length in rows, head value); row r+1 holds
// (branch position, kind), row r+2 (count of table rows m, second code), and
// the (x, value) rows follow; the row after the last record has length 0.
// Kinds (column 2 of row r+1; a load carries kTabLoad in column 2 of row r,
// so a culvert and a load share the number):
enum TabKind : int {
  kTabHq = 1,    // rating curve: (level, discharge) rows
  kTabWeir = 2,  // structures: (level, width), (third value, side)
  kTabGate = 3,
  kTabSideWeir = 4,
  kTabSideGate = 5,
  kTabLevel = 6,     // given water level
  kTabInflow = 7,    // inflow or discharge hydrograph; second code: side 1/2, 3 discharge
  kTabCritical = 8,  // critical or Froude level
  kTabSlope = 9,     // normal-depth level at a given slope
  kTabCulvert = 11,  // (invert, width), (height, Strickler value), (loss coefficient, -)
  kTabLoad = 11,     // pollutant load: (section, first tube), (m, last tube), (time s, load)
};
// Heads of the records at row r; each ends the chain after the record and
// returns the row after it. A condition's m table rows are written at rows
// r+3.. by the caller; its second code and head value (lateral velocity) are
// written only for an inflow, as the solvers read them only there.
int tabc_condition(int r, int n, TabKind kind, int m, int code = 0, float vlat = 0.0f);
int tabc_structure(int r, int n, TabKind kind, float v1, float v2, float v3, int side);
int tabc_culvert(int r, int n, float inv, float width, float height, float kst, float loss);
int tabc_load(int r, int source, int tube1, int tube2, int m);

// ---- Cross-section store ----
// Stores the section held in the work record (np, cskm, xloc, yloc, azim,
// kind, cvdef, ysec, zsec, iclass) as section isec (1..1024).
void cswrite(int isec);
// Forgets every stored section.
void csstore_clear();
// Generation of the store, 1 at the start and counted up by every cswrite and
// csstore_clear: what was computed from the stored sections under another
// generation is stale.
unsigned cs_generation();
// Loads section isec into the work record and shifts its main-channel bed by
// dzb; isec = 0 leaves the work record unchanged.
void csrea(int isec, float dzb);
// isec > 0: name receives its section name; isec = 0: name is looked up and
// isec receives its number, or stays 0 with a message.
void csinq(int& isec, std::span<char> name);
// The listed section named at branch position n (csinq of secnam(n)), kept
// while the section store is unchanged and the position names the same
// section; 0 with csinq's message, at every call, when none is found.
int cs_at(int n);
// The section a user names in a form: a number (limited to the list) or a
// name; the name field receives the section's name. 0 when none is found
// (with the not-found message).
int cs_by_number_or_name(FStr<8>& name);

// ---- Reader of the model input file ----
// Reads the whole model input file `name` into the records (the file dialog
// is used when the name is blank or unusable; the name opened is returned).
void inrea(FStr<60>& name);
// Times the last reading dropped data of the input (a list or the branch
// beyond its capacity, a branch section not on the list, points beyond their
// limit); why receives the first reason.
int inrea_lost(std::string* why = nullptr);

}  // namespace riv
