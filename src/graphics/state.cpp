// Graphics state: the shared records, the colour table, start-up, output
// modes and the plot settings file ".grset".
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "graphics/graphics.hpp"
#include "graphics/grlocal.hpp"
#include "graphics/keep.hpp"
#include "input/fformat.hpp"
#include "input/freeread.hpp"
#include "input/notify.hpp"
#include "input/stop.hpp"
#include "input/units.hpp"

namespace riv {

GrComn grcomn;
GrComt grcomt;
GrHooks grhooks;

namespace {

constexpr const char* kSettings = ".grset";
// Largest absolute world coordinate written to the settings file (the single
// precision value of 9e10).
constexpr double kWorldLimit = static_cast<double>(9.0e10f);

bool g_first = true;
int g_normal_nx = 24, g_normal_ny = 18;  // interval counts of the normal window
int g_saved_mode = 0, g_saved_trn = 0;   // mode and 3-D flag a file mode returns to
std::string g_file;                      // the export or keep file being written

void build_colour_table() {
  GrComn& c = grcomn;
  for (int i = 0; i <= 20; ++i)
    c.IRGBGR[i] = (255 - static_cast<int>(12.75f * static_cast<float>(i))) * 0x010101;
  // Twenty hues along a path from light blue over green and yellow to red,
  // magenta and back to yellow.
  static const float tn[7] = {0.f, 1.f, 2.f, 2.8f, 4.f, 5.f, 6.f};
  static const float rd[7] = {0.4f, 0.1f, 0.1f, 0.9f, 0.9f, 0.8f, 0.8f};
  static const float gn[7] = {0.7f, 0.1f, 0.9f, 0.9f, 0.2f, 0.3f, 0.9f};
  static const float bl[7] = {1.0f, 1.0f, 0.1f, 0.1f, 0.2f, 0.9f, 0.1f};
  auto rgb = [](float r, float g, float b) {
    auto ch = [](float v) { return std::clamp(static_cast<int>(v * 255.0f), 0, 255); };
    return ch(r) * 65536 + ch(g) * 256 + ch(b);
  };
  for (int j = 0; j < 20; ++j) {
    float t = 0.3f * static_cast<float>(j);
    float r = grint0(7, tn, rd, t), g = grint0(7, tn, gn, t), b = grint0(7, tn, bl, t);
    for (int k = 5; k >= 2; --k) {
      float e = 1.0f / static_cast<float>(k);
      c.IRGBGR[21 + j + 20 * (5 - k)] = rgb(std::pow(r, e), std::pow(g, e), std::pow(b, e));
    }
    for (int m = 1; m <= 5; ++m) {
      float f = 1.1f - 0.1f * static_cast<float>(m);
      c.IRGBGR[101 + j + 20 * (m - 1)] = rgb(r * f, g * f, b * f);
    }
  }
  c.RCOLGR = 5;
  c.MCOLGR = 2;
  c.NCOLGR = 12;
  c.IDXFGR = 2;
  static const int dxf[23] = {6,   1, 5,   2,   20, 253, 9,   9,  254, 7,  142, 4,
                              150, 5, 162, 122, 82, 3,   110, 62, 2,   20, 1};
  for (int col = -9; col <= 13; ++col) dxf_colour(col) = dxf[col + 9];
}

// The defaults of the plot settings, in force where no settings file (or a
// short one) gives a value.
void apply_defaults() {
  GrComn& c = grcomn;
  c.IN01GR = 1, c.IN02GR = 1, c.IN03GR = 1, c.IN04GR = 0, c.IN05GR = 1, c.IN06GR = 1;
  c.IN07GR = 1, c.IN08GR = 0, c.IN09GR = 0, c.IN10GR = 1, c.IN11GR = 1, c.IN12GR = 1;
  c.IN13GR = 1, c.IN14GR = 0, c.IN15GR = 0, c.IN16GR = 0, c.IN18GR = 0;
  c.ISHDGR = 0, c.ISHPGR = 3, c.IKEYGR = 1, c.ISHMGR = 1;
  c.XKEYGR = 0.0f, c.YKEYGR = 10.0f, c.SKEYGR = 1.0f;
  c.SYMFGR = 0.5f, c.ZOOMGR = 0.71f, c.XPSGR = 1.0f, c.YPSGR = 1.0f, c.SCALGR = 1.0f;
  c.XSCLGR = 0.7865f, c.YSCLGR = 0.7865f;
  c.NXINGR = 24, c.NYINGR = 18;
  c.LANGGR = 1;
  c.VECLGR = 10.0f, c.VECNGR = 1, c.VECCGR = 103, c.VECSGR = 0.01f;
  c.NCOLGR = 14, c.MCOLGR = 2, c.RCOLGR = 5;
  grcomt.TITLGR = "Title";
  grcomt.FIRMGR = "[]";
}

// Reads the settings file on JDV1GR. Reading stops at the first line that is
// missing or cannot be read; the values of that line and of all later lines
// keep what they had.
void read_settings() {
  GrComn& c = grcomn;
  const int u = c.JDV1GR;
  if (uopen(u, kSettings, FStatus::Old) != 0) return;
  std::string s;
  // A value that is no finite number counts as an unreadable line.
  auto next = [&](std::initializer_list<FTarget> t) {
    if (uread(u, s) != 0) return false;
    if (t.size() != 0 && fread_list(s, t) != 0) return false;
    for (const FTarget& v : t)
      if ((v.kind == FTarget::Kind::Real && !std::isfinite(*static_cast<float*>(v.p))) ||
          (v.kind == FTarget::Kind::Double && !std::isfinite(*static_cast<double*>(v.p))))
        return false;
    return true;
  };
  auto flag = [&](int& v) {
    int w = v;
    if (!next({w})) return false;
    v = w;
    return true;
  };
  int dummy = 0;
  bool ok = next({}) && next({dummy});
  c.IN01GR = 0;  // scales come from the file's world window
  ok = ok && flag(c.IN02GR) && flag(c.IN03GR) && flag(c.IN04GR) && flag(c.IN05GR) &&
       flag(c.IN06GR) && flag(c.IN07GR);
  if (ok) {
    int m = c.MCOLGR, r = c.RCOLGR, n = c.NCOLGR;
    ok = next({m, r, n});
    if (ok) {
      // Colour mode, row and count select entries of the colour table.
      c.MCOLGR = m == 0 ? 2 : std::clamp(m, -9, 9);
      c.RCOLGR = std::clamp(r, 0, 200);
      c.NCOLGR = std::clamp(c.MCOLGR < 4 ? std::min(n, 19) : n, 1, 200);
    }
  }
  ok = ok && flag(c.IN09GR) && flag(c.IN10GR) && flag(c.IN11GR) && flag(c.IN12GR) && next({dummy});
  if (ok) {
    int a = c.IN14GR, b = c.IN16GR, d = c.IN18GR;
    ok = next({a, b, d});
    if (ok) c.IN14GR = a, c.IN16GR = b, c.IN18GR = d;
  }
  // Interval counts beyond 1..100 would ask the server for absurd windows.
  if (ok && (ok = flag(c.NXINGR))) c.NXINGR = std::clamp(c.NXINGR, 1, 100);
  if (ok && (ok = flag(c.NYINGR))) c.NYINGR = std::clamp(c.NYINGR, 1, 100);
  for (double* v : {&c.XMINGR, &c.XMAXGR, &c.YMINGR, &c.YMAXGR}) {
    double w = *v;
    if (!(ok = ok && next({w}))) break;
    *v = w;
  }
  float f = 0.0f;
  if (ok && (ok = next({f = c.SYMFGR}))) c.SYMFGR = std::max(f, 0.1f);
  if (ok && (ok = next({f = c.ZOOMGR}))) c.ZOOMGR = std::max(f, 0.1f);
  if (ok && (ok = next({f = c.SCALGR}))) {
    c.SCALGR = f < 0.001f ? 1.0f : std::min(f, 10.0f);  // the window stays within reach
    c.XSCLGR *= c.SCALGR;
    c.YSCLGR *= c.SCALGR;
  }
  if (ok) {
    int ik = c.IKEYGR, lg = c.LANGGR;
    float xk = c.XKEYGR, yk = c.YKEYGR, sk = c.SKEYGR;
    if ((ok = next({ik, xk, yk, sk, lg}))) {
      c.IKEYGR = ik, c.XKEYGR = std::max(xk, 0.0f), c.YKEYGR = std::max(yk, 0.0f);
      c.SKEYGR = sk, c.LANGGR = std::clamp(lg, 1, 2);
    }
  }
  if (ok) {
    float vl = c.VECLGR, vs = c.VECSGR;
    int vn = c.VECNGR, vc = c.VECCGR;
    if ((ok = next({vl, vn, vc, vs}))) {
      c.VECLGR = std::max(vl, 0.1f), c.VECNGR = std::clamp(vn, 1, 10), c.VECCGR = vc;
      c.VECSGR = vs;
    }
  }
  ok = ok && flag(c.ISHDGR);
  for (auto* t : {&grcomt.FILNGR, &grcomt.FIRMGR, &grcomt.TITLGR, &grcomt.SUBTGR}) {
    FStr<80> w = *t;
    if (!(ok = ok && next({w}))) break;
    *t = w;
  }
  if (ok && grhooks.keep_read) grhooks.keep_read(u);
  uclose(u);
  // Even a file cut short must not leave an empty or inverted world window.
  c.XMAXGR = std::max(c.XMAXGR, c.XMINGR + 1.0);
  c.YMAXGR = std::max(c.YMAXGR, c.YMINGR + 1.0);
}

// The file modes end here: the file is finished and closed, the saved mode
// returns.
void finish_file_mode() {
  GrComn& c = grcomn;
  std::string msg;
  int rc = 0;
  switch (c.IMODGR) {
    case 8:
      rc = uclose(c.JDV3GR);
      msg = "saved on keep file";
      break;
    case 9:
      fwrite(c.JDV1GR, "('0',/,'ENDSEC',/,'0',/,'EOF')");
      rc = uclose(c.JDV1GR);
      msg = "DXF File done";
      break;
    case 10:
      if (grhooks.shape_segm) grhooks.shape_segm(0, 0, 0, 0, 0, 0, 0);
      c.ISHMGR = 1;
      msg = grshape_end();
      break;
    default:
      fwrite(c.JDV1GR, "('END')");
      rc = uclose(c.JDV1GR);
      msg = "ArcPolygon file done";
      break;
  }
  // A file not written whole is removed and the earlier one left in place.
  if (rc != 0) msg = "Error writing: " + g_file + ": " + std::strerror(rc);
  c.IMODGR = g_saved_mode;
  c.ITRNGR = g_saved_trn;
  c.IPINGR = 0;
  g_saved_mode = 0;
  grsfac();
  grmesg(msg);
  grxbeep();
}

void start_file_mode(int mode) {
  GrComn& c = grcomn;
  g_saved_mode = c.IMODGR;
  g_saved_trn = c.ITRNGR;
  c.IMODGR = mode;
  c.IPINGR = 1;
}

// Asks for a file name until it opens; false when the answer is blank.
bool ask_file(const char* prompt, int unit, const char* ext, std::string& name) {
  for (;;) {
    FStr<40> answer;
    gr_prompt(prompt, answer);
    if (answer.blank()) {
      grmesg("Filename cannot be all blanks.");
      return false;
    }
    name = std::string(trim_right(answer.view().substr(answer.view().find_first_not_of(' '))));
    if (*ext && !(name.size() >= 4 && name.substr(name.size() - 4) == ext)) name += ext;
    if (iiguard(name)) return false;
    if (uopen_replace(unit, name) == 0) {
      g_file = name;
      return true;
    }
    grmesg("Error opening: " + name);
  }
}

void open_screen(int mode) {
  GrComn& c = grcomn;
  grxcls();
  c.IMODGR = mode;
  std::string_view icon = grcomt.WNABGR.view();
  icon = icon.substr(0, std::min(icon.find('\0'), icon.size()));
  int depth = 0;
  grxopn(c.WNDWGR[1], c.WNDWGR[2], c.WNDWGR[3], c.WNDWGR[4], depth, grcomt.WNAMGR.trimmed(),
         trim_right(icon));
  gr_reset_pen_styles();
  int type = 0, x = 0, y = 0, code = 0;
  grxevn(type, x, y, code);
  grxmkc(c.IRGBGR, c.IPIXGR, 201);
  grxslp(3);
}

// No perspective: the identity transformation, switched off.
void reset_perspective() {
  GrComn& c = grcomn;
  c.ITRNGR = 0;
  for (int i = 1; i <= 4; ++i)
    for (int j = 1; j <= 4; ++j) c.TRANGR[i][j] = i == j ? 1.0f : 0.0f;
}

}  // namespace

void gr_prompt(std::string_view prompt, std::span<char> text) {
  fassign(text, "");
  if (grhooks.prompt) {
    grhooks.prompt(prompt, text);
    return;
  }
  GrComn& c = grcomn;
  if (c.ISCRGR < c.NSCRGR && c.ISCRGR >= 0 && c.ISCRGR < kScriptLines) {
    ++c.ISCRGR;
    fassign(text, grcomt.SCRPGR[c.ISCRGR].trimmed());
  }
}

void grreset() {
  grxcls();
  grcomn = GrComn{};
  grcomt = GrComt{};
  g_first = true;
  g_saved_mode = 0, g_saved_trn = 0;
  gr_reset_pen_styles();
  gr_reset_clip();
  gr_reset_beam();
}

int grsaved_mode() { return grcomn.IMODGR >= 8 ? g_saved_mode : 0; }

int gr_starts = 0;

void grinit(int jin, int jout, std::string_view name, std::string_view, int small) {
  ++gr_starts;
  GrComn& c = grcomn;
  c.IMODGR = 0;
  c.ISMLGR = small;
  c.IN08GR = 0;
  c.IN15GR = 0;
  c.YBEAMGR = 0.0f;
  c.ISHPGR = 3;
  c.ISHMGR = 1;
  grcomt.SHPNGR.clear();
  c.ISCRGR = 0;
  c.NSCRGR = 0;
  c.NMSGGR = 0;
  c.JINGR = jin;
  c.JOUTGR = jout;
  grcomt.WNAMGR = name;
  std::string icon(grcomt.WNAMGR.trimmed());
  icon = icon.substr(0, 19);
  icon.push_back('\0');
  grcomt.WNABGR = icon;

  if (g_first) {
    g_first = false;
    grexport_install();  // keep list in the settings file, shapefile export
    build_colour_table();
    char date[20];
    grxtim(date);
    grcomt.DATEGR = std::string_view(date, 15);
    static const float steps[8] = {0, 1, 2, 4, 5, 10, 20, 40};
    std::copy(steps, steps + 8, c.STEPGR);
    c.NSTPGR = 7;
    c.CELLGR = 50.0f;
    c.IPINGR = 0;
    c.IHTCGR = 0, c.NHTCGR = 5;
    c.ITRNGR = 0;
    c.XPENGR = c.YPENGR = c.ZPENGR = c.ZNXTGR = 0.0f;
    c.JDV1GR = 95, c.JDV2GR = 96, c.JDV3GR = 97;
    grcomt.PRNTGR = std::string_view("$VISTEL_PRINT\0", 14);
    grcomt.PRN3GR = std::string_view("$VISTEL_PRINT3\0", 15);
    c.XFACGR = c.YFACGR = 1.0f;
    c.XORGR = c.YORGR = 0.0;
    c.WNDWGR[1] = 100, c.WNDWGR[2] = 0;
    reset_perspective();
    apply_defaults();
    if (file_exists(kSettings)) {
      read_settings();
      grsfac();
    }
    g_normal_nx = c.NXINGR;
    g_normal_ny = c.NYINGR;
  }

  if (c.ISMLGR != 0) {
    if (!(c.NXINGR == 4 && c.NYINGR == 3)) g_normal_nx = c.NXINGR, g_normal_ny = c.NYINGR;
    c.NXINGR = 4, c.NYINGR = 3;
    c.WNDWGR[3] = 310, c.WNDWGR[4] = 125;
    c.XORGGR = 10.0f, c.YORGGR = 105.0f;
  } else {
    c.NXINGR = g_normal_nx, c.NYINGR = g_normal_ny;
    c.WNDWGR[3] = static_cast<int>((static_cast<float>(c.NXINGR) + 4.5f) * 50.0f * c.XSCLGR);
    c.WNDWGR[4] = static_cast<int>((static_cast<float>(c.NYINGR + 2) * 50.0f) * c.YSCLGR);
    c.WNDWGR[3] = std::clamp(c.WNDWGR[3], 100, 8000);
    c.WNDWGR[4] = std::clamp(c.WNDWGR[4], 100, 8000);
    c.XORGGR = 65.0f;
    c.YORGGR = static_cast<float>(c.WNDWGR[4] - 50);
  }
  if (jout != kStdout) {
    int mode = 2;
    grmode(mode);
    grcler(0);
  }
  grmesg(" ");
}

void grsfac() {
  GrComn& c = grcomn;
  if (c.IMODGR < 7) {
    c.XORGGR = 1.3f * c.CELLGR;
    c.YORGGR = static_cast<float>(c.WNDWGR[4]) - c.CELLGR;
    c.XFACGR =
        static_cast<float>(c.NXINGR * c.CELLGR * c.XSCLGR / std::max(c.XMAXGR - c.XMINGR, 0.01));
    c.YFACGR =
        static_cast<float>(-(c.NYINGR * c.CELLGR * c.YSCLGR / std::max(c.YMAXGR - c.YMINGR, 0.01)));
  }
  if (std::fabs(c.XFACGR) < 1e-10f) c.XFACGR = std::signbit(c.XFACGR) ? -1e-10f : 1e-10f;
  if (std::fabs(c.YFACGR) < 1e-10f) c.YFACGR = std::signbit(c.YFACGR) ? -1e-10f : 1e-10f;
}

void grmode(int& mode) {
  GrComn& c = grcomn;
  grdump();
  if (mode == 0) {
    if (c.IMODGR >= 8) {
      finish_file_mode();
    } else {
      grxcls();
      c.IMODGR = 0;
      grxslp(3);
    }
    return;
  }
  if (gr_screen_mode(mode)) {
    if (gr_screen_mode(c.IMODGR)) {
      grcolr(0);
      grdash(1);
    } else if (c.IMODGR == 0) {
      open_screen(mode);
    }
    // While a file is written the screen mode waits until the file is closed.
    return;
  }
  if (mode < 8 || mode > 11) {
    fwrite(c.JOUTGR, "(' ***ERROR***',a,'  (',g15.7,',',g15.7,')')",
           {"Mode not currently supported", static_cast<float>(mode), 0.0f});
    stop_program(kExitOk);
  }
  // One file at a time: a file still open is finished first.
  if (c.IMODGR >= 8) {
    int zero = 0;
    grmode(zero);
  }
  std::string name;
  switch (mode) {
    case 8:
      if (!ask_file("Keep prefix", c.JDV3GR, ".kep", name)) {
        mode = 0;
        return;
      }
      start_file_mode(8);
      c.ITRNGR = 1;
      fwrite(c.JDV3GR, "('MCOL',/,I3)", {c.MCOLGR});
      fwrite(c.JDV3GR, "('RCOL',/,I3)", {c.RCOLGR});
      fwrite(c.JDV3GR, "('XORG',/,D19.12)", {c.XORGR});
      fwrite(c.JDV3GR, "('YORG',/,D19.12)", {c.YORGR});
      return;
    case 9:
      if (!ask_file("DXF prefix", c.JDV1GR, ".dxf", name)) {
        mode = 0;
        return;
      }
      start_file_mode(9);
      c.ITRNGR = 0;
      gr_dxf_header();
      return;
    case 10:
      if (!grhooks.shape_open) {
        grmesg("Shapefile export not available");
        mode = 0;
        return;
      }
      {
        int saved = c.IMODGR, trn = c.ITRNGR;
        start_file_mode(10);
        if (!grhooks.shape_open()) {
          c.IMODGR = saved, c.ITRNGR = trn, c.IPINGR = 0;
          g_saved_mode = 0;
          mode = 0;
        }
      }
      return;
    default:
      if (!ask_file("ArcPolygon file name", c.JDV1GR, "", name)) {
        mode = 0;
        return;
      }
      start_file_mode(11);
      return;
  }
}

void grclos() {
  int mode = 0;
  grmode(mode);
}

void gr_dxf_header() {
  GrComn& c = grcomn;
  const int u = c.JDV1GR;
  auto lines = [u](std::initializer_list<const char*> items) {
    for (const char* s : items) fwrite(u, "(a)", {s});
  };
  lines({"999", "DXF created from VistelV3",
         "0",   "SECTION",
         "2",   "HEADER",
         "9",   "$ACADVER",
         "1",   "AC1006",
         "9",   "$INSBASE",
         "10",  "0.0",
         "20",  "0.0",
         "30",  "0.0",
         "9",   "$EXTMIN",
         "10"});
  fwrite(u, "(f12.2)", {c.XMINGR + c.XORGR});
  lines({"20"});
  fwrite(u, "(f12.2)", {c.YMINGR + c.YORGR});
  lines({"9", "$EXTMAX", "10"});
  fwrite(u, "(f12.2)", {c.XMAXGR + c.XORGR});
  lines({"20"});
  fwrite(u, "(f12.2)", {c.YMAXGR + c.YORGR});
  lines({"0", "ENDSEC"});
  lines({"0",  "SECTION",    "2",  "TABLES", "0",  "TABLE",      "2",  "LTYPE",
         "70", "1",          "0",  "LTYPE",  "2",  "CONTINUOUS", "70", "64",
         "3",  "Solid line", "72", "65",     "73", "0",          "40", "0.000000",
         "0",  "ENDTAB",     "0",  "TABLE",  "2",  "LAYER",      "70", "6"});
  for (auto [name, flags] : {std::pair{"0", "0"}, {"line", "0"}, {"fill", "64"}})
    lines({"0", "LAYER", "2", name, "70", flags, "62", "7", "6", "CONTINUOUS"});
  for (int i = 1; i <= 15; ++i) {
    grcolr(i);
    fwrite(u, "('0',/,'LAYER',/,'2',/,'fill',i2.2,/,'70',/,'64',/,'62',/,i3,/,'6',/,'CONTINUOUS')",
           {i, c.IDXFGR});
  }
  lines({"0", "ENDTAB", "0", "TABLE", "2", "STYLE", "70", "0", "0", "ENDTAB", "0", "ENDSEC"});
  lines({"0", "SECTION", "2", "BLOCKS", "0", "ENDSEC"});
  lines({"0", "SECTION", "2", "ENTITIES"});
}

void grwset() {
  GrComn& c = grcomn;
  const int u = c.JDV1GR;
  // The settings take the place of the earlier file only when written whole.
  if (uopen_replace(u, kSettings) != 0) {
    grmesg(std::string("Error opening: ") + kSettings);
    return;
  }
  fwrite(u, "('/GRAPHIC ATTRIBUTES')");
  fwrite(u, "(i2,' /CALC SCALES')", {c.IN01GR});
  fwrite(u, "(i2,' /DEP SCALING')", {c.IN02GR});
  fwrite(u, "(i2,' /DRAW AXES')", {c.IN03GR});
  fwrite(u, "(i2,' /DRAW GRID')", {c.IN04GR});
  fwrite(u, "(i2,' /INTERACTIVE MODE')", {c.IN05GR});
  fwrite(u, "(i2,' /TIC SPACING CENTIMETERS')", {c.IN06GR});
  fwrite(u, "(i2,' /DRAW NO-DATA VALUES')", {c.IN07GR});
  fwrite(u, "(i2,2i4,' /COLOR MODES')", {c.MCOLGR, c.RCOLGR, c.NCOLGR});
  fwrite(u, "(i2,' /SINGLE BUFFERED')", {c.IN09GR});
  fwrite(u, "(i2,' /SAVE HARDCOPY FILE')", {c.IN10GR});
  fwrite(u, "(i2,' /COLOR POSTSCRIPT')", {c.IN11GR});
  fwrite(u, "(i2,' /DOMAIN BOUNDARY')", {c.IN12GR});
  fwrite(u, "(' 1 /REDRAW KEEP FILES')");
  fwrite(u, "(3i2,' /MONO CONTOURS WITH LABELS, PAPER-SIZE')", {c.IN14GR, c.IN16GR, c.IN18GR});
  fwrite(u, "(i4,' /NUMBER OF X-AXIS INTERVALS')", {c.NXINGR});
  fwrite(u, "(i4,' /NUMBER OF Y-AXIS INTERVALS')", {c.NYINGR});
  fwrite(u, "(f15.2,' /XMIN')", {std::max(c.XMINGR + c.XORGR, -kWorldLimit)});
  fwrite(u, "(f15.2,' /XMAX')", {std::min(c.XMAXGR + c.XORGR, kWorldLimit)});
  fwrite(u, "(f15.2,' /YMIN')", {std::max(c.YMINGR + c.YORGR, -kWorldLimit)});
  fwrite(u, "(f15.2,' /YMAX')", {std::min(c.YMAXGR + c.YORGR, kWorldLimit)});
  fwrite(u, "(f12.2,' /SYMBOL FACTOR')", {c.SYMFGR});
  fwrite(u, "(f12.2,' /ZOOM FACTOR')", {c.ZOOMGR});
  fwrite(u, "(f12.2,' /SCALING FACTOR')", {c.SCALGR});
  fwrite(u, "(i2,2f12.2,f6.1,i2,' /KEY')", {c.IKEYGR, c.XKEYGR, c.YKEYGR, c.SKEYGR, c.LANGGR});
  fwrite(u, "(f12.2,2i5,f10.3,' /VECTORS')", {c.VECLGR, c.VECNGR, c.VECCGR, c.VECSGR});
  fwrite(u, "(i2,' /SHADING')", {c.ISHDGR});
  // Apostrophes inside a text are doubled, so that the file reads back.
  for (const auto* t : {&grcomt.FILNGR, &grcomt.FIRMGR, &grcomt.TITLGR, &grcomt.SUBTGR}) {
    std::string q = "'";
    for (char ch : t->trimmed()) {
      q.push_back(ch);
      if (ch == '\'') q.push_back(ch);
    }
    fwrite(u, "(a)", {q + "' /"});
  }
  if (grhooks.keep_write)
    grhooks.keep_write(u);
  else
    fwritel(u, {0});
  if (const int rc = uclose(u); rc != 0)
    grmesg(std::string("Error writing: ") + kSettings + ": " + std::strerror(rc));
}

void grview_reset() {
  reset_perspective();
  grctrl_view_reset();
  grklin_view_reset();
}

}  // namespace riv
