// The graphics library: plotting in world coordinates on the screen or into
// keep, DXF, shapefile and ArcPolygon files, with its shared state records.
//
// Arrays that the plotting code indexes from 1 (STEPGR, WNDWGR, TRANGR,
// ICMPGR, IXPLGR, IYPLGR) are declared one element longer and element 0 is
// not used; the colour tables IRGBGR and IPIXGR run from 0; IDXCGR runs from
// -10 and is read through dxf_colour().
#pragma once
#include <span>
#include <string_view>

#include "graphics/dialogs.hpp"
#include "graphics/grx.hpp"
#include "graphics/plots.hpp"
#include "input/ftext.hpp"

namespace riv {

// Numbers of the graphics library.
struct GrComn {
  double XORGR = 0, YORGR = 0;                            // origin of user coordinates
  double XMINGR = 0, XMAXGR = 0, YMINGR = 0, YMAXGR = 0;  // world window
  double XMNCGR = 0, XMXCGR = 0, YMNCGR = 0, YMXCGR = 0;  // clipping window
  float CELLGR = 0;
  int ISMLGR = 0;
  // Option switches (1 on); 01..13 can also be set by the options of grctrl,
  // 02..12 and 14, 16, 18 travel in the settings file ".grset".
  int IN01GR = 0;  // calculate the scales from the data
  int IN02GR = 0;  // dependent scaling: one scale for x and y (plan views)
  int IN03GR = 0;  // draw the axes
  int IN04GR = 0;  // draw the grid lines
  int IN05GR = 0;  // interactive mode
  int IN06GR = 0;  // tic spacing in centimetres
  int IN07GR = 0;  // draw no-data values (contours: a band of their own)
  int IN08GR = 0;  // keep the screen open when the control loop is left
  int IN09GR = 0;  // single buffered drawing
  int IN10GR = 0;  // save a hardcopy file
  int IN11GR = 0;  // colour PostScript
  int IN12GR = 0;  // draw the domain boundary
  int IN13GR = 0;  // set by the options of grctrl only, not in the settings file
  int IN14GR = 0;  // monochrome contours
  int IN15GR = 0;  // animated runs: the control loop draws and returns without waiting
  int IN16GR = 0;  // contours with labels
  int IN17GR = 0;  // unused
  int IN18GR = 0;  // paper size of a hardcopy
  int IN19GR = 0;  // unused
  int JINGR = 0, JOUTGR = 0, JDV1GR = 0, JDV2GR = 0, JDV3GR = 0;
  int ISHDGR = 0, ISHPGR = 0, IMODGR = 0, IKEYGR = 0;
  float XKEYGR = 0, YKEYGR = 0, SKEYGR = 0;  // key position and size
  int ISHMGR = 0;
  float XPENGR = 0, YPENGR = 0, ZPENGR = 0, ZNXTGR = 0;
  int IPINGR = 0, ITRNGR = 0;
  float STEPGR[8] = {};
  int NSTPGR = 0;
  int IHTCGR = 0, NHTCGR = 0;
  float XCRSGR = 0, YCRSGR = 0;
  float SYMFGR = 0, ZOOMGR = 0, XPSGR = 0, YPSGR = 0, SCALGR = 0;
  int INDSGR = 0;
  float XSCLGR = 0, YSCLGR = 0;
  int NXINGR = 0, NYINGR = 0;
  float YBEAMGR = 0;
  float XORGGR = 0, YORGGR = 0, XFACGR = 0, YFACGR = 0;
  int ISCRGR = 0, NSCRGR = 0, NMSGGR = 0;
  float TRANGR[5][5] = {};  // TRANGR[i][j]: row i, column j
  int WNDWGR[5] = {};
  int LANGGR = 0;
  float VECLGR = 0;
  int VECNGR = 0, VECCGR = 0;
  float VECSGR = 0;
  int NCOLGR = 0, MCOLGR = 0, RCOLGR = 0;
  int ICMPGR[21] = {};
  int IRGBGR[201] = {};
  int IPIXGR[201] = {};
  int IDXCGR[26] = {};  // DXF colour of library colours -10..15
  int IDXFGR = 0;
  int NPOLGR = 0;
  int IXPLGR[101] = {}, IYPLGR[101] = {};
  int IDATGR = 0;  // 1: the date and author line is written under the plot
};

constexpr int kScriptLines = 8000;

// Texts of the graphics library.
struct GrComt {
  FStr<80> TITLGR, SUBTGR;
  FStr<40> XTXTGR, YTXTGR;
  FStr<15> DATEGR;
  FStr<20> AUXCGR, WNABGR;
  FStr<40> PRNTGR, PRN3GR, SHPNGR;
  FStr<80> FIRMGR;
  FStr<20> WNAMGR;
  FStr<80> FILNGR;
  FStr<10> LTYPGR;                    // DXF line type name of the dash style
  FStr<16> SCRPGR[kScriptLines + 1];  // script queue, lines 1..NSCRGR
};

extern GrComn grcomn;
extern GrComt grcomt;

inline int& dxf_colour(int col) { return grcomn.IDXCGR[col + 10]; }

// Work not done in this part of the library is reached through these hooks;
// the modules that own it install them. A hook left empty does nothing.
struct GrHooks {
  // Asks for a text (a file prefix); returns it blank when cancelled.
  void (*prompt)(std::string_view prompt, std::span<char> text) = nullptr;
  // Removes dialog boxes left on the screen.
  void (*clean)() = nullptr;
  // The keep list after line 31 of the settings file.
  void (*keep_read)(int unit) = nullptr;
  void (*keep_write)(int unit) = nullptr;
  // Shapefile export: open (dialog and files; false when cancelled), one
  // polygon or point object, the arc builder (flag 1 adds, 0 flushes).
  bool (*shape_open)() = nullptr;
  void (*shape_add)(int n, const double* x, const double* y, const double* z, double value,
                    int ivalue) = nullptr;
  void (*shape_segm)(int flag, float x1, float y1, float z1, float x2, float y2,
                     float z2) = nullptr;
};
extern GrHooks grhooks;

// ---- State, start-up and settings ----
void grinit(int jin, int jout, std::string_view name, std::string_view text, int small);
void grmode(int& mode);
void grclos();
void grsfac();
void grwset();
// Forgets the start-up: both records return to zero and the next grinit
// builds the colour table and reads the settings file again.
void grreset();
// The mode that a file mode returns to when it is closed (0 when none).
int grsaved_mode();

// ---- Coordinates ----
void grtran(float x, float y, float z, float& xo, float& yo, float& zo);
void grclip(int flag);
void grsset(double x1, double x2, double y1, double y2);
void grzoom(float x, float y, int mode);
void grscal(float a, float b, int n, double& start, float& step);
// World to device, single precision (pixel = truncated value on the screen).
void grdevc(float x, float y, float& xd, float& yd);
bool grinside(float x, float y);

// ---- Primitives ----
void grmov2(float x, float y);
void grdrw2(float x, float y);
void grmov3(float x, float y, float z);
void grdrw3(float x, float y, float z);
void grfil2(const float* x, const float* y, int n, int col);
void grfil3(const float* x, const float* y, const float* z, int n, int col);
void grcolr(int col);
void grdash(int style);
void grsymb(int code);
void granot(std::string_view text);
void grdump();
void grflip();
void grcler(int flag);

// ---- Axes, labels, progress ----
void graxes(float xmin, float xmax, float ymin, float ymax, int flag);
// The axes box and ticks once more, over a finished plot.
void graxes2();
void grprnt(float value, float step, std::span<char> text, int& width);
void grbeam(int i, int n, std::string_view text);
// Removes a progress bar left on the screen by a finished computation.
void grbeam_off();
void grfram(const float* x, const float* y, int flag, int col);
// A box the key of the viewers keeps clear of (an information panel drawn
// over the pictures of a run), pixels from the plot origin with y upwards;
// w = 0: none.
void grkey_avoid(float x, float y, float w, float h);
float grint0(int n, const float* xs, const float* ys, float x);

}  // namespace riv
