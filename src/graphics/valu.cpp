// Access to the plot variables by name, for callers outside the library:
// one real carries numbers, one text carries texts.
#include <cmath>
#include <string>

#include "graphics/graphics.hpp"
#include "input/fformat.hpp"
#include "input/stop.hpp"
#include "input/units.hpp"

namespace riv {

namespace {

std::string_view name_of(std::string_view name) { return trim_right(name); }

// Integer variables: read as reals, written rounded to the nearest integer.
int* rounded_int(std::string_view n) {
  GrComn& c = grcomn;
  struct Entry {
    const char* name;
    int* p;
  };
  const Entry table[] = {
      {"INDSGR", &c.INDSGR}, {"IN01GR", &c.IN01GR}, {"IN02GR", &c.IN02GR}, {"IN03GR", &c.IN03GR},
      {"IN04GR", &c.IN04GR}, {"IN05GR", &c.IN05GR}, {"IN06GR", &c.IN06GR}, {"IN07GR", &c.IN07GR},
      {"IN08GR", &c.IN08GR}, {"IN09GR", &c.IN09GR}, {"IN10GR", &c.IN10GR}, {"IN11GR", &c.IN11GR},
      {"IN12GR", &c.IN12GR}, {"IN15GR", &c.IN15GR}, {"JINGR", &c.JINGR},   {"JOUTGR", &c.JOUTGR},
      {"JDV1GR", &c.JDV1GR}, {"JDV2GR", &c.JDV2GR}, {"JDV3GR", &c.JDV3GR}, {"IMODGR", &c.IMODGR},
      {"IKEYGR", &c.IKEYGR}, {"NXINGR", &c.NXINGR}, {"NYINGR", &c.NYINGR}};
  for (const Entry& e : table)
    if (n == e.name) return e.p;
  return nullptr;
}

// Integer variables written truncated towards zero.
int* truncated_int(std::string_view n) {
  GrComn& c = grcomn;
  for (int i = 1; i <= 4; ++i)
    if (n == "WNDWGR(" + std::to_string(i) + ")") return &c.WNDWGR[i];
  if (n == "NCOLGR") return &c.NCOLGR;
  if (n == "NSCRGR") return &c.NSCRGR;
  return nullptr;
}

float* real_var(std::string_view n) {
  GrComn& c = grcomn;
  struct Entry {
    const char* name;
    float* p;
  };
  const Entry table[] = {{"XCRSGR", &c.XCRSGR}, {"YCRSGR", &c.YCRSGR}, {"SYMFGR", &c.SYMFGR},
                         {"XSCLGR", &c.XSCLGR}, {"YSCLGR", &c.YSCLGR}, {"XORGGR", &c.XORGGR},
                         {"YORGGR", &c.YORGGR}, {"XFACGR", &c.XFACGR}, {"YFACGR", &c.YFACGR},
                         {"XPSGR", &c.XPSGR},   {"YPSGR", &c.YPSGR},   {"YBEAMGR", &c.YBEAMGR}};
  for (const Entry& e : table)
    if (n == e.name) return e.p;
  // TRANGR(i,j): row i, column j.
  if (n.size() == 11 && n.substr(0, 7) == "TRANGR(" && n[8] == ',' && n[10] == ')') {
    int i = n[7] - '0', j = n[9] - '0';
    if (i >= 1 && i <= 4 && j >= 1 && j <= 4) return &c.TRANGR[i][j];
  }
  return nullptr;
}

std::span<char> text_var(std::string_view n) {
  GrComt& t = grcomt;
  if (n == "TITLGR") return t.TITLGR.span();
  if (n == "DATEGR") return t.DATEGR.span();
  if (n == "AUXCGR") return t.AUXCGR.span();
  if (n == "PRNTGR") return t.PRNTGR.span();
  if (n == "FIRMGR") return t.FIRMGR.span();
  if (n == "FILNGR") return t.FILNGR.span();
  if (n == "WNABGR") return t.WNABGR.span();
  return {};
}

// Moves the origin in one direction; the world and clipping windows follow,
// so that the picture keeps its absolute place.
void shift_origin(double& origin, double value, double& lo, double& hi, double& clo, double& chi) {
  const double d = value - origin;
  origin = value;
  lo -= d, hi -= d, clo -= d, chi -= d;
}

[[noreturn]] void undefined(const char* who, std::string_view n) {
  fwrite(kStdout, "(a,a)", {who, n});
  stop_program(kExitOk);
}

}  // namespace

void grvalu(std::string_view name, int set, float& value, std::span<char> text) {
  GrComn& c = grcomn;
  const std::string_view n = name_of(name);
  const bool write = set != 0;
  struct DEntry {
    const char* name;
    double* p;
  };
  const DEntry window[] = {{"XMINGR", &c.XMINGR}, {"XMAXGR", &c.XMAXGR}, {"YMINGR", &c.YMINGR},
                           {"YMAXGR", &c.YMAXGR}, {"XMNCGR", &c.XMNCGR}, {"XMXCGR", &c.XMXCGR},
                           {"YMNCGR", &c.YMNCGR}, {"YMXCGR", &c.YMXCGR}};
  for (const DEntry& e : window)
    if (n == e.name) {
      if (write)
        *e.p = value;
      else
        value = static_cast<float>(*e.p);
      return;
    }
  if (n == "XORGR" || n == "YORGR") {
    double v = value;
    grvalu8(n, set, v);
    if (!write) value = static_cast<float>(v);
    return;
  }
  if (int* p = rounded_int(n)) {
    if (!write) {
      value = static_cast<float>(*p);
      return;
    }
    const int v = static_cast<int>(std::lround(std::fmax(std::fmin(value, 2e9f), -2e9f)));
    if (p == &c.IN02GR && v != c.IN02GR) c.INDSGR = 1;
    *p = v;
    return;
  }
  if (int* p = truncated_int(n)) {
    if (write)
      *p = static_cast<int>(std::fmax(std::fmin(value, 2e9f), -2e9f));
    else
      value = static_cast<float>(*p);
    return;
  }
  if (float* p = real_var(n)) {
    if (write)
      *p = value;
    else
      value = *p;
    return;
  }
  std::span<char> t = text_var(n);
  if (!t.empty()) {
    if (write)
      fassign(t, std::string_view(text.data(), text.size()));
    else
      fassign(text, std::string_view(t.data(), t.size()));
    return;
  }
  undefined("grvalu: variable not defined> ", n);
}

void grvalu8(std::string_view name, int set, double& value) {
  GrComn& c = grcomn;
  const std::string_view n = name_of(name);
  if (n == "XORGR") {
    if (set == 0)
      value = c.XORGR;
    else
      shift_origin(c.XORGR, value, c.XMINGR, c.XMAXGR, c.XMNCGR, c.XMXCGR);
    return;
  }
  if (n == "YORGR") {
    if (set == 0)
      value = c.YORGR;
    else
      shift_origin(c.YORGR, value, c.YMINGR, c.YMAXGR, c.YMNCGR, c.YMXCGR);
    return;
  }
  undefined("grvalu8: variable not defined> ", n);
}

}  // namespace riv
