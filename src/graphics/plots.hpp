// Interactive plots: the control loop behind every plot, access to the plot
// variables by name, and the line-plot viewer.
#pragma once
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/ftext.hpp"

namespace riv {

// ---- Plot control loop ----

// The drawing routine of a plot, called with a mode: 0 fill the scale array
// s (x min, x max, y min, y max) and append menu items (grctrl_item); 1 draw;
// 2 the value at (s[0], s[1]); 3 overlays such as the key; 4 a click in the
// plot area (XCRSGR, YCRSGR in pixels from the plot origin); -j the j-th
// item the routine appended (XCRSGR, YCRSGR then hold the cursor in user
// coordinates).
using GrPlot = std::function<void(int mode, float* s)>;

// Runs the plot: scales, axes, keep-file overlays and the plot, then the
// control menu until eXit. options > 0: bit k-1 sets INkkGR (k = 1..13).
// titles: title (1-80), subtitle (81-160), x label (161-200), y label
// (201-240); title and subtitle come back as edited. scale: 4 reals.
void grctrl(const GrPlot& plot, int options, FStr<240>& titles, float* scale);
// Appends a viewer item (16 characters used) to the control menu; called by
// the drawing routine in mode 0. At most 25 items in all.
void grctrl_item(std::string_view item);
// The control menu as it stands (standard items, separator, viewer items).
std::vector<std::string> grctrl_menu();
// Appends a viewer's items once: a drawing routine asked for its scales
// again (Original, Yaw) finds them in place at 13 and on and adds nothing.
inline void grctrl_items(std::initializer_list<const char*> items) {
  if (grctrl_menu().size() > 11) return;
  for (const char* it : items) grctrl_item(it);
}

// Label translation: language 2 replaces a known English label (the part
// before a "[" unit) by its German counterpart; language 1 keeps it.
std::string grtrans(int lang, std::string_view text);
template <int N>
void grtrans(int lang, FStr<N>& text) {
  text = grtrans(lang, text.view());
}

// Drawing tools (lines and texts put on the plot by the user) and the
// rotation of 3-D plots.
void grdraw();
void gryaw();

// A new command's plots start from their own view: no perspective, no
// rotation, smoothing, node labels or reference line in the line-plot
// viewer, scales from the data. What the settings file keeps (scale options,
// zoom factor, key, keep list) stays.
void grview_reset();
// The parts of that view kept by the control loop and the line-plot viewer.
void grctrl_view_reset();
void grklin_view_reset();

// Texts of the control loop, shared with the tests.
// The Value message: the absolute position with (2F12.3,' /xy').
std::string grvalue_text(double x, double y);
// First free screen-shot name "gr" + 4 digits + "." + ext (nothing of that
// name exists, not even a link); blank after 9999. With reserve the name is
// taken by creating it as a new empty file for the capture to write.
std::string grshot_name(std::string_view ext, bool reserve = false);
// True when the capture rc wrote the file; an empty reserved file is removed.
bool grshot_done(const std::string& name, int rc);
// The ImageMagick command that captures the window into `file`.
std::string grshot_command(std::string_view file, bool frame, bool crop);
// Screen-shot options of the Attributes form.
struct GrShot {
  bool frame = false;
  bool crop = false;
};
extern GrShot grshot;

// ---- Plot variables by name ----

// set = 0 reads, otherwise writes. Numbers go through value, texts through
// text. An unknown name ends the program.
void grvalu(std::string_view name, int set, float& value, std::span<char> text = {});
// XORGR and YORGR in double precision.
void grvalu8(std::string_view name, int set, double& value);

// ---- Line-plot viewer ----

constexpr int kKlinMax = 400;    // lines accepted
constexpr int kKlinShown = 100;  // lines shown

// Shows nline lines: nper points each, one after the other in x and y;
// isym marker codes (< 1 none, > 999 none and no smoothing); ilin line codes
// (<= 0 not drawn, -99 no smoothing); titl key labels; values written beside
// the nodes when labels are on; titles as for grctrl; options the option
// word; kplot the caller's plot unit (kept for the caller). Hide, Alter and
// Origine change ilin, x and y in place.
void grklin(const int* nper, const int* isym, int* ilin, const FStr<40>* titl, int nline, float* x,
            float* y, const float* values, FStr<240>& titles, int options, int kplot);
// The drawing routine of the viewer (modes of GrPlot).
void grkli1(int mode, float* s);
// The key: mode 3 draws it, mode 4 takes a click (grab and move by its pin).
void grkey1(int mode);
// Index (from 0) of the node nearest to (x, y) among n points, measured on
// the screen; the node is marked. -1 when n < 1.
int grnear(float x, float y, int n, const float* xs, const float* ys);

// Pieces of the viewer, shared with the tests.
struct KlinScaleChoice {
  bool x = false, y = false;  // ranges to compute from the data
};
// Applies the option word: smoothing switch (in/out), IN08GR; returns which
// ranges mode 0 computes (inds = INDSGR).
KlinScaleChoice grklin_option(int option, int inds, bool& smooth);
// x and y ranges of n points into s (only those asked for); y minimum skips
// the no-data value 9999.
void grklin_range(int n, const float* x, const float* y, KlinScaleChoice which, float* s);
// Whether the smoothing applies to a line.
inline bool grklin_smoothable(int isym, int ilin) { return isym <= 999 && ilin != -99; }
// Effective y of point i (from 0) of a line of n points: smoothed inner
// points, minus the rotation s (x - x0) when |slope percent| > 0.01.
float grklin_y(int n, const float* x, const float* y, int i, bool smooth, float x0,
               float slope_pct);
struct KlinStat {
  int n = 0;
  float mean = 0, median = 0, sd = 0, volume = 0;
};
KlinStat grklin_stat(int n, const float* x, const float* y);
std::vector<std::string> grklin_stat_lines(std::string_view label, const KlinStat& s);
// Slopes in percent at every point (one-sided at the ends).
void grklin_slope(int n, const float* x, const float* y, float* s);
// The Nearest message.
std::string grnear_text(float x, float y, int line, int point);

}  // namespace riv

// ==== Contour viewer (contour.cpp) ====
namespace riv {

// A structured grid of nx by ny nodes: node (i, j), counted from 1, at
// [(j-1)*ldx + i-1] of x, y and z; nodes holding `nodata` in z carry no value.
struct ContGrid {
  const float* x = nullptr;
  const float* y = nullptr;
  const float* z = nullptr;
  int nx = 0, ny = 0, ldx = 0;
  float nodata = -99.0f;
  int at(int i, int j) const { return (j - 1) * ldx + i - 1; }
  bool valid(int i, int j) const { return z[at(i, j)] != nodata; }
};

// Most contour levels the viewer holds (the bands keep colours 1 to 20).
constexpr int kContLevels = 19;

// Shows the field z as colour-filled contour bands with their key in the
// plot control loop; Alter changes z in place. options and titles as for
// grctrl.
void grcont(const float* x, const float* y, float* z, int nx, int ny, int ldx, FStr<240>& titles,
            int options, float nodata);
// The drawing routine of the viewer (modes of GrPlot).
void grcon1(int mode, float* s);
// The key of the bands: mode 3 draws it, mode 4 takes a click (the pin
// grabs it, the box at the top right hides it, a click elsewhere on the key
// switches contour editing: Examine then adds a level where it is clicked).
void grkey2(int mode);

// Contour levels from the nodes above zlow: |m|+1 levels into levels[0..|m|];
// levels[0] = -99 on entry, or m < 0, keeps the lowest level at 0 or above.
void grcfil(const ContGrid& g, float zlow, int m, float* levels);
// Fills one cell of n vertices (at most 12) band by band with the m levels
// (ascending); grcol3 records it with values while a keep file is written.
void grcol2(const float* x, const float* y, const float* z, int n, const float* levels, int m);
void grcol3(const float* x, const float* y, const float* z, int n, const float* levels, int m);
// Band of a value: the smallest k (from 1) with levels[k-1] >= z, m+1 above.
int grcband(float z, const float* levels, int m);
// The cell holding (xp, yp): its lower node (i, j) and the value there,
// interpolated as the bands are drawn (nodata when a corner has none).
// False outside the grid.
bool grloct(const ContGrid& g, float xp, float yp, int& i, int& j, float& value);

// The minimal standard random generator: the next value in [0, 1); a seed
// of -1 is first replaced by one taken from the clock.
float rgrand(int& seed);

// Texts and files of the viewer's commands (absolute coordinates: the
// origin xo, yo is added).
std::string grcont_nearest_text(double x, double y, int i, int j, float f);
std::string grcont_examine_text(double x, double y, float f);
std::string grcont_added_text(float f);
// XYZ points, every node displaced by up to `dist` in x and y at random.
void grcont_write_xyz(int unit, const ContGrid& g, double xo, double yo, float dist, int& seed);
// ESRI ASCII grid; false (nothing written) unless the nodes lie on rows and
// columns of one equal cell size with x growing with i and y with j.
bool grcont_write_grid(int unit, const ContGrid& g, double xo, double yo);
// Every row (fixed j) and every column (fixed i) as a breakline: x, y, z and
// 1 at the first point of a line, 0 on the others; nodes without a value
// break the line.
void grcont_write_breaklines(int unit, const ContGrid& g, double xo, double yo);
// The Sum text: the sum curve of the node values and the area of the grid
// at or below each level.
std::vector<std::string> grcont_sum(const ContGrid& g, const float* levels, int m);
// Values along a polyline (user coordinates), a point every `spacing`
// (only the vertices when spacing <= 0), as lines of x, y and value.
std::vector<std::string> grcont_section(const ContGrid& g, const std::vector<float>& px,
                                        const std::vector<float>& py, float spacing, double xo,
                                        double yo);

}  // namespace riv

// ==== Curve-sequence viewer (movie.cpp) ====
namespace riv {

// Step state of the viewer: the current step (1..length), the sequence
// length (curves in display mode 1, points per curve in mode 0) and the
// number of 30-ms pauses between two steps of Play.
struct GrMovie {
  int step = 1;
  int length = 0;
  int delay = 0;
};
// Applies choice ich of the sequence menu (1 Begin, 2 Forward, 3 Reverse,
// 4 End, 5 Number with the answer `number`, 6 Play, 7 sloW, 8 ??, 9 eXit,
// anything else: no change) and returns the number of script lines to queue
// after it ("R", "S" and, while Play has steps left, "P"); 0 after ?? and
// eXit.
int grmovy_step(GrMovie& m, int ich, int number);
// The state of the viewer being shown.
GrMovie& grmovy_state();
// Shows ncurv curves of npt points each, stored one after the other in x
// and y, one step at a time: display 1 draws the current curve, 0 the line
// through the step-th point of every curve. titles and options as for
// grctrl; the key is off while the viewer runs.
void grmovy(const float* x, const float* y, int npt, int ncurv, FStr<240>& titles, int display,
            int options);
// The drawing routine of the viewer (modes of GrPlot); -1 opens the sequence
// menu.
void grmov1(int mode, float* s);

}  // namespace riv
