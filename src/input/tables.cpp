// Values that do not fit on one keyword line: tables of (x, value) rows after
// a "**" keyword (rating curves, hydrographs), ranges "i1 to i2" of stream
// tubes, and lists of measured data points. Each reads from the input at its
// current position and leaves the first line that is not its own for the
// command reader.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "input/input.hpp"

namespace riv {
namespace {

constexpr int kFirstTableInclude = 51;  // unit of the first include file of a table
constexpr int kMaxTableIncludes = 20;   // include files of one table open at once

int inlib = 0;  // ranges that could not be read

struct TableInclude {
  int unit;
  int parent;
  dev_t dev;
  ino_t ino;
};

bool is_row_start(char c) { return c == '-' || c == '.' || (c >= '0' && c <= '9'); }

// Follows "include name" inside a table: on success nin is the new unit.
void table_include(const FStr<132>& line, int& nin, int lu, int lulst,
                   std::vector<TableInclude>& inc) {
  FStr<132> rest = line;
  FStr<64> fname;
  int lw = 0;
  rrxwrd(rest.span(), fname.span(), lw);  // "include"
  rrxwrd(rest.span(), fname.span(), lw);
  std::string name = lw > 0 ? std::string(fname.sub(1, lw)) : std::string();
  std::string path = beside(name, nin);
  struct stat st;
  bool exists = file_exists(path) && ::stat(path.c_str(), &st) == 0;
  if (!exists) {
    iierr(1, ("file not found: " + name).substr(0, 32), lulst);
    return;
  }
  // A table file including itself, directly or through others, would never end.
  bool cycle = std::any_of(inc.begin(), inc.end(), [&](const TableInclude& f) {
    return f.dev == st.st_dev && f.ino == st.st_ino;
  });
  if (cycle || static_cast<int>(inc.size()) >= kMaxTableIncludes) {
    iierr(2, ("include nesting too deep: " + name).substr(0, 128), lulst);
    return;
  }
  // The command reader's include files may already use units from 51 up;
  // the table's files go above the unit being read.
  int unit = inc.empty() ? std::max(kFirstTableInclude, lu + 1) : nin + 1;
  if (uopen(unit, path, FStatus::Old) != 0) {
    iierr(1, ("file not found: " + name).substr(0, 32), lulst);
    return;
  }
  uinput(unit);
  if (lulst != 0) fwrite(lulst, "(/,'/include ''',a,'''')", {name});
  fwrite(kStdout, "(' >include ''',a,'''')", {name});
  inc.push_back({unit, nin, st.st_dev, st.st_ino});
  nin = unit;
}

}  // namespace

int iirng_errors() { return inlib; }

void iitbl(int& n, float* x, float* y, int lu, int lulst) {
  const int cap = std::max(n, 0);
  n = 0;
  float offset = 0.0f;
  int nin = lu;
  std::vector<TableInclude> inc;
  bool overflow = false;
  float xv = 0.0f, yv = 0.0f;  // the values a "/" in a row leaves unchanged
  std::string buf;
  if (lulst != 0) uendline(lulst);
  for (;;) {
    if (n >= cap) overflow = true;
    if (uread(nin, buf) == 0) {
      FStr<132> line(buf);
      int k = lenbl(line.view());
      std::string_view rest = line.view().substr(static_cast<size_t>(k));
      char ch = rest[0];
      if (ch == '/') continue;
      bool row_read = false;
      if (is_row_start(ch)) {
        float xr = xv, yr = yv;
        if (fread_list(line.view(), {xr, yr}) == 0) {
          row_read = true;
          xv = xr;
          yv = yr;
          if (n < cap) {
            ++n;
            x[n - 1] = xv + offset;
            y[n - 1] = yv;
            if (lulst != 0) {
              if (n <= 10)
                fwrite(lulst, "(2f12.4)", {x[n - 1], y[n - 1]});
              else if (n <= 13)
                fwrite(lulst, "('.')");
            }
          }
        }
      } else if (rest.starts_with("continue")) {
        if (lulst != 0) fwrite(lulst, "('CONTINUE /')");
        if (n > 0) offset = x[n - 1];
        continue;
      } else if (rest.starts_with("include")) {
        table_include(line, nin, lu, lulst, inc);
        continue;
      }
      if (row_read) continue;
      ubackspace(nin);  // the line belongs to the next command
    }
    // End of the table in this file: an include file returns to its parent,
    // where the table goes on.
    if (inc.empty()) break;
    uclose(nin);
    nin = inc.back().parent;
    inc.pop_back();
  }
  if (overflow)
    iierr(2, "table size exceeds space", lulst);
  else if (n < 2)
    iierr(1, "found table with <2 rows", lulst);
}

void iirng(std::span<char> text, int nmax, int lulst, int& i1, int& i2) {
  FStr<128> word;
  int lw = 0;
  int a = i1, b = i2;
  std::string_view tv(text.data(), text.size());
  bool ok = fread_list(tv, {a}) == 0;
  if (ok) {
    rrxwrd(text, word.span(), lw);
    rrwrd(text, word.span(), lw);
    if (lw == 2 && word.sub(1, 2) == "to") {
      rrxwrd(text, word.span(), lw);
      ok = fread_list(tv, {b}) == 0;
      if (ok) rrxwrd(text, word.span(), lw);
    } else {
      b = a;
    }
  }
  if (!ok) {
    ++inlib;
    fwrite(lulst, "(/,' ********* range error ****************',/ ,' * found:',2I5)", {a, b});
    fwrite(lulst, "(' **************************************',/)");
    return;
  }
  i1 = std::min(a, nmax);
  i2 = std::max(std::min(b, nmax), i1);
  fwrite(lulst, "(i4,' to',i4,$)", {i1, i2});
}

int irpoly(int nmax, float* x, float* y, int lu, int lulst, double x0, double y0) {
  const int cap = std::max(nmax, 0);
  const int lerr = std::abs(lulst);
  int count = 0;
  std::string buf;
  while (uread(lu, buf) == 0) {
    FStr<64> line(buf);
    std::string_view v = line.view();
    size_t k = v.find_first_not_of(' ');
    if (k == std::string_view::npos || v[k] == '/') break;  // end of the list, line used
    if (static_cast<unsigned char>(v[k]) > '9') {
      ubackspace(lu);  // a command
      break;
    }
    double xd = 0.0, yd = 0.0;
    if (fread_list(v, {xd, yd}) != 0) {
      ubackspace(lu);
      break;
    }
    ++count;
    if (count <= cap) {
      x[count - 1] = static_cast<float>(xd - x0);
      y[count - 1] = static_cast<float>(yd - y0);
      if (lulst > 0) fwrite(lulst, "(2f12.2)", {xd, yd});
    } else if (count == cap + 1) {
      std::string msg = fformat("('VERTICES IGNORED (MAXIMUM=',I6,')')", {cap});
      if (!msg.empty() && msg.back() == '\n') msg.pop_back();
      iierr(1, msg, lerr);
    }
  }
  return std::min(count, cap);
}

}  // namespace riv
