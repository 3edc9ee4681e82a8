// The verification report: cases with their deviation tables and figures,
// written as Markdown; figures drawn by the program's line-plot viewer
// without a display and saved as PNG.
#pragma once
#include <cmath>
#include <string>
#include <vector>

namespace riv::verify {

// One compared quantity: the reference value, the program's value, and the
// largest deviation accepted (absolute, in the unit of the quantity).
struct Row {
  std::string what;
  std::string unit;
  double ref = 0, got = 0, tol = 0;
  int dec = 3;  // decimals shown
  bool pending = false;
  double dev() const { return got - ref; }
  bool ok() const { return pending || std::abs(got - ref) <= tol; }
};

// A line of a figure: label, points, line code (colour x 100 + dash style,
// 0 none) and marker code (colour x 100 + symbol, 0 none).
struct Line {
  std::string label;
  std::vector<float> x, y;
  int line = 101;
  int symbol = 0;
};

inline void add_point(Line& l, double x, double y) {
  l.x.push_back(static_cast<float>(x));
  l.y.push_back(static_cast<float>(y));
}

struct Figure {
  std::string file;  // PNG file name in the figure folder
  std::string title, xlabel, ylabel;
  std::vector<Line> lines;
  int key = 0;  // place of the key: 0 lower left, 1 upper left, 2 upper right, 3 lower right,
                // 4 lower middle, 5 right half way up
};

struct Case {
  std::string title;
  std::string text;  // Markdown: set-up, reference, what is compared
  std::vector<Row> rows;
  std::vector<Figure> figures;
  bool ok() const {
    for (const Row& r : rows)
      if (!r.ok()) return false;
    return true;
  }
};

// Draws the figure headless and writes it to dir/file; false on failure.
bool draw_figure(const Figure& f, const std::string& dir);

// Writes the whole report; the figures are linked as folder/file.
void write_report(const std::string& path, const std::string& folder,
                  const std::vector<Case>& cases);

// Number formatting for the tables.
std::string num(double v, int decimals);

}  // namespace riv::verify
