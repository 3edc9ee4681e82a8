// Shapefile export through shapelib: creating the files, appending point,
// arc and polygon objects with their attribute, the arc builder that merges
// the draws of a plot into polylines, and the export dialog.
#include <shapefil.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <unistd.h>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "graphics/graphics.hpp"
#include "graphics/keep.hpp"
#include "input/fformat.hpp"
#include "input/notify.hpp"
#include "input/stop.hpp"
#include "input/units.hpp"

namespace riv {

namespace {

// The shapefile being written (mode 10). Its three files are written under
// a temporary name in the same folder and take the name the user gave only
// when all three were written whole, so a failed or interrupted export never
// leaves a broken set under that name nor spoils an earlier one.
std::string g_name;   // the temporary (shapelib adds .shp, .shx and .dbf)
std::string g_final;  // the name the user gave, without an extension
int g_shptype = 3, g_atype = 1;
int g_ioerr = 0;       // errno of the first failed open, write, flush or close
std::string g_ioname;  // the file it concerns

// shapelib's geometry codes of the library's shape types 1..4.
int shp_code(int shptype) {
  static const int codes[4] = {SHPT_POINT, SHPT_ARC, SHPT_POLYGON, SHPT_MULTIPOINT};
  return shptype >= 1 && shptype <= 4 ? codes[shptype - 1] : 0;
}

// The first failure of the export being written; the export then writes
// nothing more and its end tells why instead of "Shapefile done".
std::string g_error;

// The failure text with the reason the system gave, when it gave one.
std::string why(std::string text) {
  const int e = errno;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return e != 0 ? text + " " + std::strerror(e) : text;
}

// The name of the set without an extension, as shapelib takes it: "river.shp"
// and "river" both write river.shp, river.shx and river.dbf.
std::string shape_base(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  const size_t dot = name.find_last_of('.');
  const size_t from = slash == std::string::npos ? 1 : slash + 1;
  return dot != std::string::npos && dot >= from ? name.substr(0, dot) : name;
}

constexpr const char* kShapeParts[3] = {".shp", ".shx", ".dbf"};

// The name a file of the set takes at the end ("x~Ab12Cd.dbf" -> "x.dbf").
std::string final_name(const std::string& file) {
  return !g_name.empty() && file.compare(0, g_name.size(), g_name) == 0
             ? g_final + file.substr(g_name.size())
             : file;
}

// shapelib's file calls with every failure noted in g_ioerr.
struct ShapeIo {
  SAHooks hooks{}, plain{};
  std::vector<std::pair<SAFile, std::string>> open;  // files open now, by handle
  ShapeIo() {
    SASetupDefaultHooks(&plain);
    hooks = plain;
    hooks.FOpen = [](const char* name, const char* access) {
      SAFile f = io().plain.FOpen(name, access);
      if (f) io().open.emplace_back(f, name);
      if (!f && std::strchr(access, 'w')) io().note(errno, name);
      return f;
    };
    hooks.FWrite = [](void* p, SAOffset size, SAOffset n, SAFile f) {
      CriticalIo critical;
      const SAOffset w = io().plain.FWrite(p, size, n, f);
      if (w != n) io().note(errno, io().name_of(f));
      return w;
    };
    // A seek writes out what is buffered: it can fail as a write does.
    hooks.FSeek = [](SAFile f, SAOffset offset, int whence) {
      const SAOffset r = io().plain.FSeek(f, offset, whence);
      if (r != 0) io().note(errno, io().name_of(f));
      return r;
    };
    hooks.FFlush = [](SAFile f) {
      const int r = io().plain.FFlush(f);
      if (r != 0) io().note(errno, io().name_of(f));
      return r;
    };
    hooks.FClose = [](SAFile f) {
      const std::string name = io().name_of(f);
      std::erase_if(io().open, [f](const auto& o) { return o.first == f; });
      const int r = io().plain.FClose(f);
      if (r != 0) io().note(errno, name);
      return r;
    };
  }
  std::string name_of(SAFile f) const {
    for (const auto& [h, n] : open)
      if (h == f) return n;
    return {};
  }
  void note(int e, const std::string& name) {
    if (g_ioerr != 0) return;
    g_ioerr = e != 0 ? e : EIO;
    g_ioname = final_name(name);
  }
  static ShapeIo& io() {
    static ShapeIo s;
    return s;
  }
};

SAHooks* shape_hooks() { return &ShapeIo::io().hooks; }

// Removes the temporaries of the set being written.
void discard_temporaries() {
  if (g_name.empty()) return;
  for (const char* part : kShapeParts) std::remove((g_name + part).c_str());
  std::remove(g_name.c_str());  // the reservation of the name
  g_name.clear();
}

// Reserves a temporary name beside the set (no dot after the folder, so
// that shapelib keeps it whole); false with the reason noted when the folder
// cannot take it.
bool reserve_temporary() {
  std::string tmp = g_final + "~XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) {
    g_ioerr = errno;
    g_ioname = g_final + ".shp";
    return false;
  }
  ::close(fd);
  g_name = tmp;
  static const bool hooked = (at_program_end(discard_temporaries), true);
  (void)hooked;
  return true;
}

// ---- The arc builder ----
constexpr int kMaxNodes = 39999;
constexpr double kMergeDist2 = 1e-6;  // end points closer than 0.001 are one node
constexpr double kCell = 0.001;       // lookup grid of the node search

struct Node {
  double x, y, z;
};
std::vector<Node> g_nodes;
std::vector<std::pair<int, int>> g_segs;
std::unordered_map<long long, std::vector<int>> g_grid;  // grid cell -> nodes
std::unordered_set<long long> g_pairs;                   // segments present
int g_batches = 0;

long long cell_key(long long i, long long j) { return i * 4000037LL + j; }

// The node at (x, y): the first collected node closer than 0.001, else a
// new one with this z.
int node_at(double x, double y, double z) {
  long long i = static_cast<long long>(std::floor(x / kCell));
  long long j = static_cast<long long>(std::floor(y / kCell));
  int best = -1;
  for (long long a = i - 1; a <= i + 1; ++a) {
    for (long long b = j - 1; b <= j + 1; ++b) {
      auto it = g_grid.find(cell_key(a, b));
      if (it == g_grid.end()) continue;
      for (int k : it->second) {
        double dx = g_nodes[k].x - x, dy = g_nodes[k].y - y;
        if (dx * dx + dy * dy < kMergeDist2 && (best < 0 || k < best)) best = k;
      }
    }
  }
  if (best >= 0) return best;
  g_nodes.push_back({x, y, z});
  int k = static_cast<int>(g_nodes.size() - 1);
  g_grid[cell_key(i, j)].push_back(k);
  return k;
}

// Joins the segments into polylines and writes them as arc objects.
void flush_arcs() {
  if (g_segs.empty()) {
    g_nodes.clear(), g_grid.clear(), g_pairs.clear();
    return;
  }
  // The segments in their list order (a segment taken into a polyline is
  // replaced by the last one) and per node the segments touching it.
  std::vector<std::pair<int, int>> segs = g_segs;
  std::vector<int> pos(segs.size());  // position of segment s in `order`
  std::vector<int> order(segs.size());
  for (size_t s = 0; s < segs.size(); ++s)
    order[s] = static_cast<int>(s), pos[s] = static_cast<int>(s);
  std::vector<std::vector<int>> touch(g_nodes.size());
  for (size_t s = 0; s < segs.size(); ++s) {
    touch[segs[s].first].push_back(static_cast<int>(s));
    touch[segs[s].second].push_back(static_cast<int>(s));
  }
  std::vector<char> used(segs.size(), 0);
  auto remove = [&](int s) {
    int p = pos[s], last = order.back();
    order[p] = last, pos[last] = p;
    order.pop_back();
    used[s] = 1;
  };
  std::vector<double> x, y, z;
  // Each segment in turn starts a polyline unless it was taken already; the
  // polyline grows at its end by the first later segment touching it.
  for (size_t i = 0; i < order.size(); ++i) {
    int s = order[i];
    used[s] = 1;
    std::vector<int> line = {segs[s].first, segs[s].second};
    for (;;) {
      int end = line.back(), found = -1;
      for (int t : touch[end])
        if (!used[t] && (found < 0 || pos[t] < pos[found])) found = t;
      if (found < 0) break;
      remove(found);
      line.push_back(segs[found].first == end ? segs[found].second : segs[found].first);
    }
    if (g_shptype == 2) {
      x.clear(), y.clear(), z.clear();
      for (int k : line) {
        x.push_back(g_nodes[k].x + grcomn.XORGR);
        y.push_back(g_nodes[k].y + grcomn.YORGR);
        z.push_back(g_nodes[k].z);
      }
      double v = z[0];
      int iv = static_cast<int>(std::lround(std::clamp(v, -2.0e9, 2.0e9)));
      if (g_error.empty())
        grshpadd(static_cast<int>(line.size()), x.data(), y.data(), z.data(), v, iv, g_name.c_str(),
                 g_shptype, g_atype);
    }
  }
  g_nodes.clear(), g_segs.clear(), g_grid.clear(), g_pairs.clear();
  grbeam(++g_batches, 20, "writing shape format");
}

// ---- Hooks of the graphics state ----

bool shape_open() {
  GrComn& c = grcomn;
  FStr<20> labels[3] = {"File prefix", "Field name", "Shape_type"};
  FStr<40> values[3];
  values[0] = grcomt.SHPNGR.view();
  std::string_view sub = grcomt.SUBTGR.view();
  size_t f = sub.find_first_not_of(' ');
  std::string field;
  if (f != std::string_view::npos) field = std::string(sub.substr(f, sub.find(' ', f) - f));
  values[1] = field;
  values[2] = "|" + std::to_string(std::clamp(c.ISHPGR, 1, 3)) + "|Point|Arc|Polygon";
  grinfo(3, labels, values);
  if (fequal(labels[0].view(), "cancel")) return false;
  std::string name(values[0].trimmed());
  name.erase(0, std::min(name.find_first_not_of(' '), name.size()));
  if (name.empty()) {
    grmesg("Filename cannot be all blanks.");
    return false;
  }
  int geometry = c.ISHPGR;
  std::string_view v = values[2].view();
  if (v.size() > 1 && v[0] == '|' && v[1] >= '1' && v[1] <= '3') geometry = v[1] - '0';
  grcomt.SHPNGR = name;
  for (const char* part : kShapeParts)
    if (iiguard(shape_base(name) + part)) return false;
  if (grshape_start(name, values[1].trimmed(), geometry)) return true;
  // The plot and the session go on; the message line says why.
  grmesg(g_error);
  return false;
}

void shape_add(int n, const double* x, const double* y, const double* z, double value, int ivalue) {
  if (g_error.empty()) grshpadd(n, x, y, z, value, ivalue, g_name.c_str(), g_shptype, g_atype);
}

}  // namespace

std::string grshpopen(int shptype, int atype, const char* name, const char* field) {
  errno = 0;
  if (atype != 1 && atype != 2) return "Argument Type not recognised.";
  const int code = shp_code(shptype);
  if (code == 0) return "Shape Type not recognised.";
  DBFHandle dbf = DBFCreateLL(name, "LDID/87", shape_hooks());
  if (!dbf) return why(fformat("('DBFCreate(',a,') failed.')", {name}));
  const bool integer = atype == 1;
  if (DBFAddField(dbf, field, integer ? FTInteger : FTDouble, integer ? 8 : 12, integer ? 0 : 3) <
      0) {
    DBFClose(dbf);
    return why(fformat(integer ? "('DBFAddField(hDBF,',a,',FTInteger) failed.')"
                               : "('DBFAddField(hDBF,',a,',FTDouble) failed.')",
                       {field}));
  }
  DBFClose(dbf);
  SHPHandle shp = SHPCreateLL(name, code, shape_hooks());
  if (!shp) return why(fformat("('SHPOpen(',a,') failed.')", {name}));
  SHPClose(shp);
  return {};
}

std::string grshpadd(int n, const double* x, const double* y, const double* z, double dvalue,
                     int ivalue, const char* name, int shptype, int atype) {
  errno = 0;
  if (atype != 1 && atype != 2) return "Argument Type not recognised.";
  const int code = shp_code(shptype);
  if (code == 0) return "Shape Type not recognised.";
  if (n < 1) return {};
  DBFHandle dbf = DBFOpenLL(name, "r+b", shape_hooks());
  if (!dbf) return g_error = why(fformat("('DBFOpen(',a,',\"rb+\") failed.')", {name}));
  SHPHandle shp = SHPOpenLL(name, "r+b", shape_hooks());
  if (!shp) {
    DBFClose(dbf);
    return g_error = why(fformat("('Unable to open:',a)", {name}));
  }
  SHPObject* obj = SHPCreateObject(code, -1, 0, nullptr, nullptr, n, x, y, z, nullptr);
  const bool written = SHPWriteObject(shp, -1, obj) >= 0;
  SHPDestroyObject(obj);
  SHPClose(shp);
  int record = DBFGetRecordCount(dbf);
  bool attr = true;
  if (DBFGetFieldCount(dbf) > 0)
    attr = atype == 1 ? DBFWriteIntegerAttribute(dbf, record, 0, ivalue)
                      : DBFWriteDoubleAttribute(dbf, record, 0, dvalue);
  DBFClose(dbf);
  if (!written || !attr || g_ioerr != 0) return g_error = why(fformat("('object not written to ',a)", {name}));
  return {};
}

void grsegm(int flag, float x1, float y1, float z1, float x2, float y2, float z2) {
  if (flag == 0) {
    flush_arcs();
    return;
  }
  if (g_shptype != 2) return;  // only arcs are built from draws
  int a = node_at(x1, y1, z1), b = node_at(x2, y2, z2);
  if (a != b) {
    long long key = static_cast<long long>(std::min(a, b)) * 100000LL + std::max(a, b);
    if (g_pairs.insert(key).second) g_segs.emplace_back(a, b);
  }
  if (static_cast<int>(g_nodes.size()) >= kMaxNodes || static_cast<int>(g_segs.size()) >= kMaxNodes)
    flush_arcs();
}

bool grshape_start(std::string_view name, std::string_view field, int geometry) {
  GrComn& c = grcomn;
  c.ISHPGR = std::clamp(geometry, 1, 3);
  if (c.ISHPGR != 3) c.ISHMGR = 2;  // points and arcs carry their z
  // The field name: blanks become "_"; a blank name would make no field.
  std::string f(trim_right(field));
  f.erase(0, std::min(f.find_first_not_of(' '), f.size()));
  std::replace(f.begin(), f.end(), ' ', '_');
  if (f.empty()) f = "VALUE";
  discard_temporaries();
  g_final = shape_base(std::string(trim_right(name)));
  g_shptype = c.ISHPGR;
  g_atype = c.ISHMGR == 2 ? 2 : 1;
  g_nodes.clear(), g_segs.clear(), g_grid.clear(), g_pairs.clear();
  g_batches = 0;
  g_ioerr = 0;
  g_ioname.clear();
  g_error.clear();
  if (reserve_temporary()) {
    grbeam(-1, 1, "");
    g_error = grshpopen(g_shptype, g_atype, g_name.c_str(), f.c_str());
    if (g_error.empty() && g_ioerr == 0) return true;
  }
  g_error = grshape_end();
  return false;
}

std::string grshape_end() {
  if (g_error.empty() && g_ioerr == 0 && !g_name.empty()) {
    // All three written whole: they take their names.
    for (const char* part : kShapeParts)
      if (std::rename((g_name + part).c_str(), (g_final + part).c_str()) != 0) {
        g_ioerr = errno;
        g_ioname = g_final + part;
        break;
      }
  }
  discard_temporaries();
  if (g_error.empty() && g_ioerr == 0) return "Shapefile done";
  // Told like any failed write: standard error and the exit status.
  const std::string name = g_ioname.empty() ? g_final + ".shp" : g_ioname;
  ufail(name, g_ioerr);
  if (g_ioerr == 0) return "Shapefile not written: " + g_error;
  return "Error writing: " + name + ": " + std::strerror(g_ioerr);
}

std::string grshape_error() { return g_error; }

void grexport_install() {
  gr_keep_install();
  grhooks.shape_open = shape_open;
  grhooks.shape_add = shape_add;
  grhooks.shape_segm = grsegm;
}

}  // namespace riv
