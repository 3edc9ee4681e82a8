// The plot control loop: scales from the plot's drawing routine, axes,
// keep-file overlays and the plot, then the control menu (zoom, pan, query,
// exports, screen shots, keep files, values at the cursor) until eXit.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "graphics/grlocal.hpp"
#include "graphics/keep.hpp"
#include "input/fformat.hpp"
#include "input/freeread.hpp"
#include "input/units.hpp"

namespace riv {

GrShot grshot;

namespace {

constexpr int kMaxItems = 25;
constexpr int kStdItems = 11;

std::vector<FStr<16>> g_menu;
std::string g_command;               // pending screen-shot command
std::string g_shot;                  // its file name
int g_sticky = 0;                    // sticky item last chosen (0 none)
int g_nx_open = -1, g_ny_open = -1;  // interval counts of the open window
// Scale array of the last plot: a plot that comes back with the same ranges
// (an animation frame, a replot) keeps the world window the user zoomed to.
float g_last[4] = {0, 0, 0, 0};
// The library start the remembered scales belong to.
int g_last_start = -1;
bool g_have_last = false;
// Perspective of the Yaw command: rotation about the vertical and tilt.
float g_rot = 0.0f, g_tilt = 0.0f;

int keep_count() {
  int n = 0;
  grklst(-4, n);
  return n;
}

void keep_pass(int option) {
  int n = 0;
  grklst(option, n);
}

void reset_menu() {
  g_menu.clear();
  for (const char* s : {" DDraw", " HHardcopy", " KKeep", " OOriginal", " QQuery", " RReplot",
                        " TTrace", "<VValue", " YYaw", " ??", " XeXit"})
    g_menu.emplace_back(s);
}

template <int N>
void show_text(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  std::vector<FStr<N>> t(lines.begin(), lines.end());
  grtext(static_cast<int>(t.size()), t.data());
}

const std::vector<std::string>& control_help() {
  static const std::vector<std::string> h = {
      "vistel V3.0, 2018 ------------------------------------",
      " Draw       -put lines (by moves and draws), text, and",
      "             markers on the plot",
      " Hardcopy   -for hardcopies in different file formats",
      "             (DXF, shapefile, ArcPolygon, screen shots)",
      " Keep       -a meta-filing capability to:",
      "             save the plot on a keep file, open keep",
      "             files and play them behind or over the plot",
      " Original   -use the original scales, (useful after Zoom)",
      " Query      -change global settings and variables",
      "             (axes, grid, scales, units, zoom factor,",
      "             symbol size, window scale, language)",
      " Replot     -replot (useful after Query, or Keep)",
      " Trace      -plots trace list",
      "             (the messages shown so far)",
      " Value      -look-up and print the value at the",
      "             cursor position (click into the plot)",
      " Yaw        -do perspective plots (beta version)",
      " ??         -this text",
      " eXit       -leave vistel window",
      "",
      "(1) Changing colors and contour spacing",
      "    -use Query and the viewer's own items",
      "(2) Placing a color key",
      "    -click on the pin of the key, then click on",
      "     the new place of the key",
      "(3) Changing title and subtitle",
      "    -click on the title above the plot and edit",
      "     the texts in the form",
      "(4) Zooming",
      "    -use mouse wheel to zoom in/out",
      "    -or press left/right mouse button",
      "    -arrow keys move the plot by a third",
      "    -Original restores the first scales",
      "------------------------------------------------------"};
  return h;
}

// Window size for the interval counts and the scale, as at start-up.
void resize_window() {
  GrComn& c = grcomn;
  if (c.ISMLGR != 0) return;
  c.WNDWGR[3] = std::clamp(
      static_cast<int>((static_cast<float>(c.NXINGR) + 4.5f) * 50.0f * c.XSCLGR), 100, 8000);
  c.WNDWGR[4] =
      std::clamp(static_cast<int>(static_cast<float>(c.NYINGR + 2) * 50.0f * c.YSCLGR), 100, 8000);
}

void ensure_screen() {
  GrComn& c = grcomn;
  if (gr_screen_mode(c.IMODGR)) return;
  if (c.IMODGR >= 8) {
    int zero = 0;
    grmode(zero);
  }
  int m = 2;
  grmode(m);
}

void reopen_screen() {
  GrComn& c = grcomn;
  if (gr_screen_mode(c.IMODGR)) {
    int zero = 0;
    grmode(zero);
  }
  resize_window();
  int m = 2;
  grmode(m);
  g_nx_open = c.NXINGR, g_ny_open = c.NYINGR;
}

// The check box and choice values of the Query form.
std::string box(int on) { return on != 0 ? "+" : "_"; }
int unbox(std::string_view s, int old) {
  size_t f = s.find_first_not_of(' ');
  if (f == std::string_view::npos) return old;
  return s[f] == '+' ? 1 : (s[f] == '_' ? 0 : old);
}

// A number of the Query form within (lo, hi); otherwise the message line
// names the field and false.
template <class T>
bool query_number(std::string_view label, std::string_view text, T lo, T hi, std::string_view range,
                  T& v) {
  T w = v;
  if (fread_list(text, {w}) != 0 || !(w >= lo && w <= hi)) {
    grmesg(std::string(label) + ": \"" + std::string(trim_right(text)) +
           "\" is not a number from " + std::string(range));
    return false;
  }
  v = w;
  return true;
}

// The Query form; returns true when the plot needs new scales. A field that
// does not read brings the form back with everything typed, the message
// line naming the field.
bool query_form() {
  GrComn& c = grcomn;
  FStr<18> lab[10];
  // The language choice "|1|english|german" needs 17 characters.
  FStr<20> val[10];
  val[0] = box(c.IN03GR), val[1] = box(c.IN04GR), val[2] = box(c.IN02GR), val[3] = box(c.IN12GR);
  val[4] = trim_right(fformat("(i2)", {c.NXINGR}));
  val[5] = trim_right(fformat("(i2)", {c.NYINGR}));
  val[6] = trim_right(fformat("(f6.2)", {c.ZOOMGR}));
  val[7] = trim_right(fformat("(f6.1)", {c.SYMFGR}));
  val[8] = trim_right(fformat("(f6.2)", {c.SCALGR}));
  val[9] = fformat("('|',i1,'|english|german')", {std::clamp(c.LANGGR, 1, 2)});
  for (auto& v : val) v = trim_right(std::string(v.view()).substr(0, v.view().find('\n')));
  int nx = c.NXINGR, ny = c.NYINGR;
  float zoom = c.ZOOMGR, symf = c.SYMFGR, scal = c.SCALGR;
  for (;;) {
    const char* names[10] = {"Draw Axes",    "Draw Grid", "Dependent Scales", "Domain Boundary",
                             "X-Units",      "Y-Units",   "Zoom Factor",      "Symbol Factor",
                             "Scale Factor", "Language"};
    for (int i = 0; i < 10; ++i) lab[i] = names[i];
    grinfo(10, lab, val);
    if (lab[0] == std::string_view("cancel")) return false;
    // Factors that would turn zooming or the window into nonsense are refused.
    if (query_number("X-Units", val[4].view(), 1, 100, "1 to 100", nx) &&
        query_number("Y-Units", val[5].view(), 1, 100, "1 to 100", ny) &&
        query_number("Zoom Factor", val[6].view(), 0.01f, 100.0f, "0.01 to 100", zoom) &&
        query_number("Symbol Factor", val[7].view(), 0.01f, 100.0f, "0.01 to 100", symf) &&
        query_number("Scale Factor", val[8].view(), 0.01f, 100.0f, "0.01 to 100", scal))
      break;
  }
  const int in02 = c.IN02GR;
  c.IN03GR = unbox(val[0].view(), c.IN03GR);
  c.IN04GR = unbox(val[1].view(), c.IN04GR);
  c.IN02GR = unbox(val[2].view(), c.IN02GR);
  c.IN12GR = unbox(val[3].view(), c.IN12GR);
  c.NXINGR = nx, c.NYINGR = ny, c.ZOOMGR = zoom, c.SYMFGR = symf;
  if (scal != c.SCALGR) {
    c.XSCLGR *= scal / c.SCALGR;
    c.YSCLGR *= scal / c.SCALGR;
    c.SCALGR = scal;
    g_nx_open = -1;  // the window takes the new size
  }
  std::string_view lang = val[9].view();
  size_t bar = lang.find('|');
  if (bar != std::string_view::npos && bar + 1 < lang.size() && lang[bar + 1] >= '1' &&
      lang[bar + 1] <= '2')
    c.LANGGR = lang[bar + 1] - '0';
  return c.IN02GR != in02;
}

// The title form opened by a click on the title.
void title_form() {
  FStr<18> lab[2] = {"Title", "Subtitle"};
  FStr<80> val[2] = {grcomt.TITLGR, grcomt.SUBTGR};
  grinfo(2, lab, val);
  if (lab[0] == std::string_view("cancel")) return;
  grcomt.TITLGR = val[0].view();
  grcomt.SUBTGR = val[1].view();
}

void attributes_form() {
  FStr<18> lab[3] = {"with frame", "crop", "with date"};
  FStr<16> val[3] = {FStr<16>(box(grshot.frame)), FStr<16>(box(grshot.crop)),
                     FStr<16>(box(grcomn.IDATGR))};
  grinfo(3, lab, val);
  if (lab[0] == std::string_view("cancel")) return;
  grshot.frame = unbox(val[0].view(), grshot.frame) != 0;
  grshot.crop = unbox(val[1].view(), grshot.crop) != 0;
  grcomn.IDATGR = unbox(val[2].view(), grcomn.IDATGR);
}

// Draws the plot into the file mode `mode` (keep, DXF, shapefile,
// ArcPolygon) when the user did not cancel the file prompt.
bool draw_into_file(int mode, const GrPlot& plot, float* scale) {
  GrComn& c = grcomn;
  int m = mode;
  grmode(m);
  if (c.IMODGR != mode) return false;
  plot(1, scale);
  int zero = 0;
  grmode(zero);
  return true;
}

// The Hardcopy submenu; true when a screen shot is pending (redraw).
bool hardcopy_menu(const GrPlot& plot, float* scale) {
  static const FStr<16> items[12] = {" DDXF",  " SShape",      " AArcPolygon", " BBMP",
                                     " GGIF",  " JJPG",        " PPNG",        " MPNM",
                                     " TTIFF", " AAttributes", " ??",          " XeXit"};
  for (;;) {
    int ich = 0;
    float x = 0, y = 0;
    grcurs(12, items, ich, x, y);
    if (ich >= 1 && ich <= 3) {
      if (draw_into_file(8 + ich, plot, scale)) return false;
    } else if (ich >= 4 && ich <= 9) {
      std::string ext(items[ich - 1].sub(3, 5));
      for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      // Without a display the picture in memory is written as PNG.
      if (grx_headless_running() && ext != "png") {
        grmesg("without a display screen shots are PNG only: none taken");
        continue;
      }
      std::string name = grshot_name(ext, true);
      if (name.empty()) {
        grmesg("no free screen-shot name (gr0000 .. gr9999 exist)");
        continue;
      }
      g_shot = name;
      g_command = grshot_command(name, grshot.frame, grshot.crop);
      return true;
    } else if (ich == 10) {
      attributes_form();
    } else if (ich == 11) {
      show_text<80>({"Stores display content in vector formats (Shape,",
                     "DXF, ArcPolygon) or screen shots (TIFF, GIF etc).",
                     "Makes use of the import function (ImageMagick) to",
                     "capture screen input. Attributes (color, frames) can", "be specified"});
    } else if (ich == 12) {
      return false;
    }
  }
}

// The Keep submenu; true when the keep files are to be played (redraw).
bool keep_menu(const GrPlot& plot, float* scale) {
  for (;;) {
    FStr<16> items[5] = {" SSave", " OOpen", " PPlay", " ??", ">DDone"};
    if (keep_count() == 0) items[2] = "-PPlay";
    int ich = 0;
    float x = 0, y = 0;
    grcurs(5, items, ich, x, y);
    switch (ich) {
      case 1: draw_into_file(8, plot, scale); break;
      case 2: {
        // Open adds a file; when the chooser adds none, the list dialog
        // changes the statuses of the files listed.
        int before = keep_count();
        keep_pass(1);
        if (keep_count() == before && before > 0) keep_pass(2);
        break;
      }
      case 3: return true;
      case 4:
        show_text<80>({"KEEP options:", " Save   -stores the plot on a keep file (.kep)",
                       " Open   -adds keep files to the keep list, or changes",
                       "         their status (background, foreground, off)",
                       " Play   -replots with the listed keep files",
                       " Done   -back to the plot menu"});
        break;
      case 5: return false;
      default: break;
    }
  }
}

// The plot being shown, for the redraw after an arrow-key pan.
const GrPlot* g_plot = nullptr;
float* g_scale = nullptr;

// Clears the page and draws axes, keep files, the plot and its overlays.
void draw_plot(const GrPlot& plot, float* scale, bool new_scales) {
  GrComn& c = grcomn;
  ensure_screen();
  if (c.NXINGR != g_nx_open || c.NYINGR != g_ny_open) reopen_screen();
  grcler(1);
  grmesg(" ");
  if (new_scales) {
    graxes(scale[0], scale[1], scale[2], scale[3], 1);
  } else {
    grsfac();
    c.XMNCGR = std::min(c.XMINGR, c.XMAXGR), c.XMXCGR = std::max(c.XMINGR, c.XMAXGR);
    c.YMNCGR = std::min(c.YMINGR, c.YMAXGR), c.YMXCGR = std::max(c.YMINGR, c.YMAXGR);
    graxes(scale[0], scale[1], scale[2], scale[3], 0);
  }
  keep_pass(3);
  plot(1, scale);
  keep_pass(4);
  graxes2();
  plot(3, scale);
  grflip();
}

void pan_redraw() {
  if (g_plot && g_scale) draw_plot(*g_plot, g_scale, false);
}

// The interval counts of the window opened last follow a resize.
void note_window() {
  g_nx_open = grcomn.NXINGR;
  g_ny_open = grcomn.NYINGR;
}

}  // namespace

void grctrl_view_reset() {
  g_have_last = false;
  g_rot = g_tilt = 0.0f;
}

void grctrl_item(std::string_view item) {
  if (static_cast<int>(g_menu.size()) < kStdItems) reset_menu();
  if (static_cast<int>(g_menu.size()) == kStdItems) g_menu.emplace_back("");
  if (static_cast<int>(g_menu.size()) < kMaxItems) g_menu.emplace_back(item);
}

std::vector<std::string> grctrl_menu() {
  std::vector<std::string> v;
  for (const auto& m : g_menu) v.emplace_back(m.view());
  return v;
}

std::string grvalue_text(double x, double y) {
  std::string s = fformat("(2F12.3,' /xy')", {x, y});
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

std::string grshot_name(std::string_view ext, bool reserve) {
  for (int i = 0; i <= 9999; ++i) {
    std::string name = fformat("('gr',i4.4,'.',a)", {i, ext});
    while (!name.empty() && name.back() == '\n') name.pop_back();
    // Free means nothing of that name: no file, folder or link, dangling or not.
    struct stat st;
    if (::lstat(name.c_str(), &st) == 0 || errno != ENOENT) continue;
    if (!reserve) return name;
    // The capture writes into a new, empty file of its own.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) continue;
    ::close(fd);
    return name;
  }
  return {};
}

bool grshot_done(const std::string& name, int rc) {
  struct stat st;
  if (rc == 0 && ::lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    return true;
  // A capture that failed leaves no empty file behind.
  if (::lstat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0)
    ::unlink(name.c_str());
  return false;
}

std::string grshot_command(std::string_view file, bool frame, bool crop) {
  const GrComn& c = grcomn;
  std::string name(grcomt.WNAMGR.trimmed());
  name = name.substr(0, name.find('\0'));
  // The window name goes to a shell: anything but plain name characters is
  // quoted.
  bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](char ch) {
    return std::isalnum(static_cast<unsigned char>(ch)) || ch == '.' || ch == '_' || ch == '-';
  });
  if (!plain) {
    std::string q = "'";
    for (char ch : name) q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    name = q + "'";
  }
  std::string opts;
  if (frame) opts += " -frame ";
  if (crop) {
    std::string s =
        fformat("(' -crop ',I4.4,'X',I4.4,'+0+0 ')", {std::max(c.WNDWGR[3] - 100, 0), c.WNDWGR[4]});
    while (!s.empty() && s.back() == '\n') s.pop_back();
    opts += s;
  }
  return "import -window " + name + opts + " " + std::string(file) + " ";
}

std::string grtrans(int lang, std::string_view text) {
  static const char* const table[37][2] = {{"Bed Level", "Sohlenlage"},
                                           {"Bed Shear", "Sohlenschubspannung"},
                                           {"Critical Level", "krit. Hoehe"},
                                           {"Depth", "Tiefe"},
                                           {"Distance", "Distanz"},
                                           {"Discharge", "Abfluss"},
                                           {"Energy Level", "Energielinie"},
                                           {"Flow", "spezifischer Fluss"},
                                           {"Flow Depth", "Fliesstiefe"},
                                           {"Flow Velocity", "Fliessgeschwindigkeit"},
                                           {"Flow Vectors", "Fliessvektoren"},
                                           {"Left Dam", "Linker Damm"},
                                           {"Right Dam", "Rechter Damm"},
                                           {"Level", "Kote"},
                                           {"Froude Number", "Froude Zahl"},
                                           {"Arrival Time", "Eintreffzeit"},
                                           {"Backwater Curve", "Staukurve"},
                                           {"Velocity Vectors", "Geschwindigkeitsvektoren"},
                                           {"Shear Velocity", "Schubspannungsgeschwindigkeit"},
                                           {"Velocity", "Fliessgeschwindigkeit"},
                                           {"Water Level", "Wasserspiegel"},
                                           {"Rock", "Fels"},
                                           {"Armoring", "Deckschicht"},
                                           {"Pressure Flow", "Druckabfluss"},
                                           {"Bed Roughness", "Sohlenrauigkeit"},
                                           {"Maximum Specific Flow", "max. spezifischer Fluss"},
                                           {"Mean Bed", "mittl. Sohle"},
                                           {"Bridge Deck", "Bruecken UK"},
                                           {"Longitudinal Profile", "Laengenprofil"},
                                           {"Sediment Load", "Geschiebefracht"},
                                           {"Aggradation", "Auflandung"},
                                           {"Maximum Flow Depth", "maximale Fliesstiefe"},
                                           {"Bed", "Sohle"},
                                           {"Return Period", "Wiederkehrperiode"},
                                           {"Left Wall", "Ufer links"},
                                           {"Right Wall", "Ufer rechts"},
                                           {"Pressurized Flow", "Druckabfluss"}};
  if (lang != 2) return std::string(text);
  size_t br = text.find('[');
  std::string_view label = text.substr(0, br);
  if (label.size() > 64) return std::string(text);
  for (const auto& e : table) {
    if (!fequal(label, e[0]) || label.substr(0, 1) == " ") continue;
    std::string out = e[1];
    if (br != std::string_view::npos) out += " " + std::string(trim_right(text.substr(br)));
    return out;
  }
  return std::string(text);
}

namespace {

// What one run of the control loop keeps: the scales the plot gave first
// (Original) and whether the next redraw asks for scales or new axes.
struct CtrlRun {
  float first[4] = {0, 0, 0, 0};
  bool have_first = false;
  bool new_scales = true;
  bool scales = true;
};

enum class Next { Menu, Redraw, Exit };

// The option switches and the titles handed to the control loop.
void take_titles(int options, const FStr<240>& titles) {
  GrComn& c = grcomn;
  if (options > 0) {
    int* sw[13] = {&c.IN01GR, &c.IN02GR, &c.IN03GR, &c.IN04GR, &c.IN05GR, &c.IN06GR, &c.IN07GR,
                   &c.IN08GR, &c.IN09GR, &c.IN10GR, &c.IN11GR, &c.IN12GR, &c.IN13GR};
    for (int k = 0; k < 13; ++k) *sw[k] = (options >> k) & 1;
  }
  if (!FStr<80>(titles.sub(1, 80)).blank()) grcomt.TITLGR = titles.sub(1, 80);
  if (!FStr<80>(titles.sub(81, 160)).blank()) grcomt.SUBTGR = titles.sub(81, 160);
  grcomt.XTXTGR = titles.sub(161, 200);
  grcomt.YTXTGR = titles.sub(201, 240);
  if (c.LANGGR > 1) {
    grtrans(c.LANGGR, grcomt.SUBTGR);
    grtrans(c.LANGGR, grcomt.XTXTGR);
    grtrans(c.LANGGR, grcomt.YTXTGR);
  }
}

// Scales from the plot; a plot that comes back with the ranges of the last
// one (an animation frame) keeps the world window the user zoomed to.
void ask_scales(const GrPlot& plot, float* scale, CtrlRun& run) {
  plot(0, scale);
  if (!run.have_first) std::copy(scale, scale + 4, run.first), run.have_first = true;
  run.new_scales = grcomn.INDSGR == 1 || !g_have_last || g_last_start != gr_starts ||
                   !std::equal(scale, scale + 4, g_last);
  g_last_start = gr_starts;
  std::copy(scale, scale + 4, g_last);
  g_have_last = true;
  run.scales = false;
}

// A screen shot asked for in the Hardcopy menu, of the plot just drawn.
void take_shot() {
  if (g_command.empty()) return;
  grflip();
  bool headless = grx_headless_running();
  int rc = headless ? !grx_headless_png(g_shot) : std::system(g_command.c_str());
  if (grshot_done(g_shot, rc))
    grmesg("screen shot to " + g_shot);
  else
    grmesg("screen shot failed: " + g_shot);
  g_command.clear();
}

// Value: the plot's value at the cursor, marked and reported.
void show_value(const GrPlot& plot, float* scale, float x, float y) {
  GrComn& c = grcomn;
  if (!grinside(x, y)) {
    grmesg("click into the plot");
    return;
  }
  float v[4] = {x, y, scale[2], scale[3]};
  plot(2, v);
  grmov2(x, y);
  grsymb(2);
  grflip();
  std::string t = grvalue_text(x + c.XORGR, y + c.YORGR);
  grmesg(t);
  if (c.JOUTGR == kStdout || uisopen(c.JOUTGR)) fwrite(c.JOUTGR, "(a)", {t});
}

// eXit: the titles go back to the caller, the settings to the settings file.
void leave(FStr<240>& titles) {
  GrComn& c = grcomn;
  if (c.IN08GR == 0 && c.JOUTGR == kStdout) {
    int zero = 0;
    grmode(zero);
  }
  fassign(std::span<char>(titles.c, 80), grcomt.TITLGR.view());
  fassign(std::span<char>(titles.c + 80, 80), grcomt.SUBTGR.view());
  if (c.ISMLGR == 0) grwset();
}

// A click outside the buttons goes to the plot (key, sticky commands); just
// above the plot area it edits the title. True when the plot is to be redrawn.
bool plot_click(const GrPlot& plot, float* scale, int ich) {
  const GrComn& c = grcomn;
  plot(4, scale);
  if (ich != 0) return false;
  float top = static_cast<float>(-(c.YMAXGR - c.YMINGR) * c.YFACGR);
  float right = static_cast<float>((c.XMAXGR - c.XMINGR) * c.XFACGR);
  if (c.YCRSGR > top && c.YCRSGR < top + 40 && c.XCRSGR >= 0 && c.XCRSGR <= right && c.IKEYGR < 1) {
    title_form();
    return true;
  }
  return false;
}

// One choice of the control menu.
Next menu_choice(const GrPlot& plot, float* scale, CtrlRun& run, FStr<240>& titles, int ich,
                 float x, float y) {
  GrComn& c = grcomn;
  switch (ich) {
    case 1: grdraw(); return Next::Menu;
    case 2: return hardcopy_menu(plot, scale) ? Next::Redraw : Next::Menu;
    case 3: return keep_menu(plot, scale) ? Next::Redraw : Next::Menu;
    case 4:
      c.INDSGR = 1;
      c.ITRNGR = 0;
      std::copy(run.first, run.first + 4, scale);
      run.scales = true;
      return Next::Redraw;
    case 5:
      if (query_form()) run.new_scales = true;
      return Next::Redraw;
    case 6: return Next::Redraw;
    case 7: {
      std::vector<FStr<80>> h = grmesg_history();
      if (h.empty()) h.emplace_back("no messages");
      grtext(static_cast<int>(h.size()), h.data());
      return Next::Menu;
    }
    case 8: show_value(plot, scale, x, y); return Next::Menu;
    case 9:
      gryaw();
      run.scales = true;
      return Next::Redraw;
    case 10: show_text<80>(control_help()); return Next::Menu;
    case 11: leave(titles); return Next::Exit;
    default:
      if (ich >= 13) {
        c.XCRSGR = x;
        c.YCRSGR = y;
        plot(12 - ich, scale);
      }
      return Next::Menu;
  }
}

// The control menu until a choice needs a redraw or ends the loop.
Next control_menu(const GrPlot& plot, float* scale, CtrlRun& run, FStr<240>& titles) {
  const GrComn& c = grcomn;
  for (;;) {
    int ich = 0;
    float x = 0, y = 0;
    const GrPlot* saved_plot = g_plot;
    float* saved_scale = g_scale;
    g_plot = &plot, g_scale = scale;
    grcurs1(static_cast<int>(g_menu.size()), g_menu.data(), ich, x, y, pan_redraw);
    g_plot = saved_plot, g_scale = saved_scale;
    // A resized window is opened again at its new size by the redraw.
    if (c.NXINGR != g_nx_open || c.NYINGR != g_ny_open) return Next::Redraw;
    if (ich < 0) {
      // Wheel and right button zoom; an arrow-key pan has redrawn already.
      if (ich == kMenuPan) continue;
      if (ich == kMenuRightClick || ich == kMenuWheelUp || ich == kMenuWheelDown) grzoom(x, y, ich);
      return Next::Redraw;
    }
    if (ich > 0 && ich <= static_cast<int>(g_menu.size()))
      g_sticky = g_menu[ich - 1](1) == '<' ? ich : 0;
    if (ich == 0 || ich == g_sticky) {
      const bool redraw = plot_click(plot, scale, ich);
      if (ich == 0) {
        if (redraw) return Next::Redraw;
        continue;
      }
    }
    const Next next = menu_choice(plot, scale, run, titles, ich, x, y);
    if (next != Next::Menu) return next;
  }
}

}  // namespace

void grctrl(const GrPlot& plot, int options, FStr<240>& titles, float* scale) {
  reset_menu();
  g_sticky = 0;
  grmesg(" ");
  take_titles(options, titles);
  ensure_screen();
  if (g_nx_open < 0) note_window();
  CtrlRun run;
  for (;;) {
    if (run.scales) ask_scales(plot, scale, run);
    draw_plot(plot, scale, run.new_scales);
    run.new_scales = false;
    take_shot();
    if (grcomn.IN15GR == 1) return;
    if (control_menu(plot, scale, run, titles) == Next::Exit) return;
  }
}

// ---- Drawing tools ----

void grdraw() {
  static const FStr<16> items[3] = {" LLine", " TText", " DDone"};
  GrComn& c = grcomn;
  for (;;) {
    int ich = 0;
    float x = 0, y = 0;
    grcurs(3, items, ich, x, y);
    if (ich == 3 || ich < 0) return;
    if (ich == 1) {
      // Line: the clicks give the points; Done ends it.
      static const FStr<16> end[1] = {" DDone"};
      grmesg("click the points of the line");
      bool first = true;
      for (int k = 0; k < 1000; ++k) {
        int j = 0;
        grcurs(1, end, j, x, y);
        if (j != 0) break;
        if (!grinside(x, y)) continue;
        grcolr(0);
        if (first)
          grmov2(x, y);
        else
          grdrw2(x, y);
        grsymb(1);
        grmov2(x, y);
        grflip();
        first = false;
      }
    } else if (ich == 2) {
      FStr<80> text;
      grinpa("Text", text);
      if (text.blank()) continue;
      grmesg("click the place of the text");
      static const FStr<16> cancel[1] = {" CCancel"};
      int j = 0;
      grcurs(1, cancel, j, x, y);
      if (j != 0 || !grinside(x, y)) continue;
      grcolr(0);
      grmov2(x, y);
      granot(text.trimmed());
      grflip();
    }
    (void)c;
  }
}

// Perspective: a rotation about the vertical axis and a tilt, applied to the
// 3-D coordinates of the plot; both 0 switch the perspective off.
void gryaw() {
  float& rot = g_rot;
  float& tilt = g_tilt;
  GrComn& c = grcomn;
  FStr<18> lab[2] = {"rotation [deg]", "tilt [deg]"};
  FStr<16> val[2] = {trim_right(fformat("(f8.1)", {rot}).substr(0, 8)),
                     trim_right(fformat("(f8.1)", {tilt}).substr(0, 8))};
  grinfo(2, lab, val);
  if (lab[0] == std::string_view("cancel")) return;
  float r = rot, t = tilt;
  if (fread_list(val[0].view(), {r}) != 0 || fread_list(val[1].view(), {t}) != 0 ||
      !std::isfinite(r) || !std::isfinite(t)) {
    grmesg("rotation and tilt must be numbers");
    return;
  }
  rot = std::fmod(r, 360.0f), tilt = std::clamp(t, -90.0f, 90.0f);
  const float a = rot * 3.14159265f / 180.0f, b = tilt * 3.14159265f / 180.0f;
  for (int i = 1; i <= 4; ++i)
    for (int j = 1; j <= 4; ++j) c.TRANGR[i][j] = i == j ? 1.0f : 0.0f;
  // Rotation about z, then the tilt about the new x axis: screen y takes part
  // of the height.
  const float ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
  c.TRANGR[1][1] = ca, c.TRANGR[2][1] = -sa;
  c.TRANGR[1][2] = sa * cb, c.TRANGR[2][2] = ca * cb, c.TRANGR[3][2] = sb;
  c.TRANGR[1][3] = -sa * sb, c.TRANGR[2][3] = -ca * sb, c.TRANGR[3][3] = cb;
  c.ITRNGR = (rot == 0.0f && tilt == 0.0f) ? 0 : 1;
}

}  // namespace riv
