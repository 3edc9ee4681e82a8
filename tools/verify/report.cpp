// Figures through the line-plot viewer on the headless driver, and the
// Markdown text of the report.
#include "verify/report.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "graphics/graphics.hpp"
#include "graphics/plots.hpp"
#include "input/fformat.hpp"

namespace riv::verify {

std::string num(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  // A value that rounds to zero is written without its sign.
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

namespace {

// Smallest axis step of the series 1, 2, 4, 5, 10, 20, 40 times a power of
// ten that covers r.
double axis_step(double r) {
  const double p = std::pow(10.0, std::floor(std::log10(r)));
  for (double m : {1.0, 2.0, 4.0, 5.0, 10.0})
    if (m * p >= r * (1 - 1e-9)) return m * p;
  return 10 * p;
}

// The interval count between lo and hi that wastes the least of the axis;
// with `even` only even counts (the y-axis label, written just above the
// middle tick, then falls between two tick labels).
int intervals(double lo, double hi, int fewest, int most, bool even) {
  int best = most - (even && most % 2 == 1 ? 1 : 0);
  double waste = 1e300;
  for (int n = most; n >= fewest; --n) {
    if (even && n % 2 == 1) continue;
    const double st = axis_step((hi - lo) / n);
    const double w = n * st - (hi - lo);
    if (std::ceil(hi / st) - std::floor(lo / st) <= n && w < waste * 0.999) waste = w, best = n;
  }
  return best;
}

}  // namespace

bool draw_figure(const Figure& f, const std::string& dir) {
  const int n = static_cast<int>(f.lines.size());
  std::vector<int> nper(n), isym(n), ilin(n);
  std::vector<FStr<40>> titl(n);
  std::vector<float> x, y;
  for (int i = 0; i < n; ++i) {
    const Line& l = f.lines[i];
    nper[i] = static_cast<int>(l.x.size());
    isym[i] = l.symbol;
    ilin[i] = l.line;
    titl[i] = l.label;
    x.insert(x.end(), l.x.begin(), l.x.end());
    y.insert(y.end(), l.y.begin(), l.y.end());
  }
  std::vector<float> values(x.size(), 0.0f);
  if (!x.empty()) {
    const auto [x0, x1] = std::minmax_element(x.begin(), x.end());
    const auto [y0, y1] = std::minmax_element(y.begin(), y.end());
    grcomn.NXINGR = intervals(*x0, std::max(*x1, *x0 + 1e-3f), 14, 24, false);
    grcomn.NYINGR = intervals(*y0, std::max(*y1, *y0 + 1e-3f), 10, 18, true);
  }
  FStr<240> titles;
  fassign(std::span<char>(titles.c, 80), f.title);
  fassign(std::span<char>(titles.c + 80, 80), " ");
  fassign(std::span<char>(titles.c + 160, 40), f.xlabel);
  fassign(std::span<char>(titles.c + 200, 40), f.ylabel);
  GrComn& c = grcomn;
  c.XKEYGR = (f.key == 2 || f.key == 3) ? 1e5f : 0.0f;
  c.YKEYGR = (f.key == 1 || f.key == 2) ? 1e5f : 0.0f;
  if (f.key == 4) {  // lower middle, a little above the axis
    c.XKEYGR = std::max(0.0f, c.NXINGR * c.CELLGR * c.XSCLGR / 2 - 150);
    c.YKEYGR = 60;
  } else if (f.key == 5) {  // right, half way up
    c.XKEYGR = 1e5f;
    c.YKEYGR = std::max(0.0f, c.NYINGR * c.CELLGR * c.YSCLGR / 2 - 40);
  }
  c.IN15GR = 1;  // draw once and return
  c.IN01GR = 1;  // scales from the data
  c.IN02GR = 0;  // independent scales in x and y
  c.IN03GR = 1;  // axes
  c.IN04GR = 1;  // grid
  c.INDSGR = 1;
  // The control loop resizes the window when the interval counts differ from
  // those of its previous plot; the first figure of the run is therefore
  // drawn once with the counts the window was opened with.
  static bool first = true;
  if (first) {
    const int nx = c.NXINGR, ny = c.NYINGR;
    c.NXINGR = 24, c.NYINGR = 18;
    grklin(nper.data(), isym.data(), ilin.data(), titl.data(), n, x.data(), y.data(), values.data(),
           titles, 0, -1);
    c.NXINGR = nx, c.NYINGR = ny;
    first = false;
  }
  grklin(nper.data(), isym.data(), ilin.data(), titl.data(), n, x.data(), y.data(), values.data(),
         titles, 0, -1);
  return grx_headless_png(dir + "/" + f.file);
}

namespace {

void write_case(std::ostream& o, const Case& k, const std::string& folder, int number) {
  o << "## " << number << ". " << k.title << "\n\n" << k.text << "\n\n";
  if (!k.rows.empty()) {
    o << "| Quantity | Unit | Reference | RIVSIM | Deviation | Tolerance | |\n";
    o << "|---|---|---:|---:|---:|---:|---|\n";
    for (const Row& r : k.rows) {
      if (r.pending) {
        o << "| " << r.what << " | " << r.unit << " | | | | | pending |\n";
        continue;
      }
      o << "| " << r.what << " | " << r.unit << " | " << num(r.ref, r.dec) << " | "
        << num(r.got, r.dec) << " | " << num(r.dev(), r.dec) << " | " << num(r.tol, r.dec) << " | "
        << (r.ok() ? "ok" : "**FAILED**") << " |\n";
    }
    o << "\n";
  }
  for (const Figure& f : k.figures)
    o << "![" << f.title << "](" << folder << "/" << f.file << ")\n\n";
}

}  // namespace

void write_report(const std::string& path, const std::string& folder,
                  const std::vector<Case>& cases) {
  std::ofstream o(path);
  int failed = 0;
  for (const Case& k : cases) failed += k.ok() ? 0 : 1;
  o << "# Verification report\n\n"
    << "Each solver of RIVSIM is run on a case whose answer is known independently of the\n"
    << "program: a closed-form solution, or a reference computed here in double precision\n"
    << "by a method of its own (Runge-Kutta integration, bisection, convolution). Every\n"
    << "table lists the reference, the program's value, their deviation (program minus\n"
    << "reference) and the tolerance accepted; the figures are drawn by the program's own\n"
    << "line-plot viewer without a display.\n\n"
    << "The whole report, tables and figures, is rebuilt from scratch by\n\n"
    << "    bash scripts/verify.sh\n\n"
    << "which builds the verification program `rivsim-verify` (`tools/verify/`), runs every\n"
    << "case headless, rewrites this file and the pictures in `docs/verification/`, and ends\n"
    << "with a non-zero status when a deviation exceeds its tolerance. CI runs it after the\n"
    << "tests. Do not edit this file by hand.\n\n"
    << "Last run: " << cases.size() << " cases, " << (failed ? std::to_string(failed) : "none")
    << " failed.\n\n"
    << "Tolerances are absolute, in the unit of the quantity. They allow for what the\n"
    << "solvers do by design: the property table of at most 40 levels that the backwater\n"
    << "and routing solvers interpolate in, the level tolerance of 1 mm of the structure and\n"
    << "critical-depth searches, the 1 mm steps of the supercritical search, single precision,\n"
    << "and the spacing of the branch sections.\n\n";
  int i = 0;
  for (const Case& k : cases) write_case(o, k, folder, ++i);
}

}  // namespace riv::verify
