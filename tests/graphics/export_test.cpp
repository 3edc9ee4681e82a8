#include <shapefil.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "graphics/keep.hpp"
#include "grfixture.hpp"

namespace riv {

namespace {

class GrExport : public GrFixture {
 protected:
  void TearDown() override {
    grhooks = GrHooks{};
    GrFixture::TearDown();
  }
  // Output of a shell command (empty when it failed).
  static std::string run(const std::string& cmd) {
    std::string out;
    if (FILE* p = popen((cmd + " 2>&1").c_str(), "r")) {
      char buf[512];
      while (fgets(buf, sizeof buf, p)) out += buf;
      if (pclose(p) != 0) out = "FAILED: " + out;
    }
    return out;
  }
  static bool have(const std::string& check) {
    return std::system((check + " >/dev/null 2>&1").c_str()) == 0;
  }

  // Exports through mode 10 with the dialog answered by the arguments.
  static void shape_export(const char* name, const char* field, int geometry, void (*draw)()) {
    grexport_install();
    static const char* n;
    static const char* f;
    static int g;
    n = name, f = field, g = geometry;
    grhooks.shape_open = [] {
      grshape_start(n, f, g);
      return true;
    };
    int mode = 10;
    grmode(mode);
    ASSERT_EQ(grcomn.IMODGR, 10);
    draw();
    mode = 0;
    grmode(mode);
  }
  struct Shape {
    int type = 0;
    std::vector<double> x, y, z;
  };
  static std::vector<Shape> read_shapes(const char* name, int& type) {
    std::vector<Shape> v;
    SHPHandle h = SHPOpen(name, "rb");
    if (!h) return v;
    int n = 0;
    double lo[4], hi[4];
    SHPGetInfo(h, &n, &type, lo, hi);
    for (int i = 0; i < n; ++i) {
      SHPObject* o = SHPReadObject(h, i);
      Shape s;
      s.type = o->nSHPType;
      s.x.assign(o->padfX, o->padfX + o->nVertices);
      s.y.assign(o->padfY, o->padfY + o->nVertices);
      s.z.assign(o->padfZ, o->padfZ + o->nVertices);
      v.push_back(s);
      SHPDestroyObject(o);
    }
    SHPClose(h);
    return v;
  }
};

void backwater_plot() {
  grcolr(2);
  grmov2(10, 20);
  grdrw2(30, 25);
  grdrw2(60, 27);
  float x[4] = {10, 20, 20, 10}, y[4] = {5, 5, 15, 15};
  grfil2(x, y, 4, 3);
  grmov2(40, 40);
  grsymb(204);
  granot("Water Level");
}

void triangles(int n) {
  for (int i = 0; i < n; ++i) {
    float x[3] = {0, 1, 0}, y[3] = {0, 0, 1.0f + i};
    grfil2(x, y, 3, 7);
  }
}

}  // namespace

TEST_F(GrExport, DxfOpensInAReaderWithTheEntitiesDrawn) {
  open_plot();
  grcomn.XORGR = 1000;
  answer("empty");
  int mode = 9;
  grmode(mode);
  mode = 0;
  grmode(mode);
  std::string e = slurp("empty.dxf");
  EXPECT_NE(e.find("0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n"), std::string::npos);
  answer("bw");
  mode = 9;
  grmode(mode);
  backwater_plot();
  mode = 0;
  grmode(mode);
  EXPECT_EQ(grcomn.IMODGR, 2);
  const std::string py = "/usr/bin/python3";
  if (!have(py + " -c 'import ezdxf'")) GTEST_SKIP() << "ezdxf not installed";
  const std::string script =
      " -c 'import sys, ezdxf\n"
      "for f in sys.argv[1:]:\n"
      "  d = ezdxf.readfile(f)\n"
      "  m = d.modelspace()\n"
      "  print(f, len(m.query(\"LINE\")), len(m.query(\"SOLID\")), len(m.query(\"POINT\")),"
      " len(m.query(\"TEXT\")))\n"
      "  for l in m.query(\"LINE\"): print(round(l.dxf.start.x, 2), round(l.dxf.end.y, 2))\n"
      "  for t in m.query(\"TEXT\"): print(t.dxf.text)\n' empty.dxf bw.dxf";
  EXPECT_EQ(run(py + script),
            "empty.dxf 0 0 0 0\nbw.dxf 2 1 1 1\n1010.0 25.0\n1030.0 27.0\nWater Level\n");
}

TEST_F(GrExport, PolygonsBecomeClosedRingsWithTheirColour) {
  open_plot();
  grcomn.XORGR = 500;
  grcomt.SUBTGR = "Depth class 2";
  grcomn.ISHMGR = 1;
  shape_export("poly", "depth class", 3, [] {
    float x[4] = {10, 20, 20, 10}, y[4] = {5, 5, 15, 15};
    grfil2(x, y, 4, 7);
    grmov2(1, 1);
    grdrw2(5, 5);  // lines are no polygons
    float t[3] = {50, 60, 55}, u[3] = {50, 50, 60};
    grfil2(t, u, 3, 9);
  });
  EXPECT_EQ(grcomn.ISHMGR, 1);
  int type = 0;
  auto s = read_shapes("poly", type);
  EXPECT_EQ(type, SHPT_POLYGON);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].x, (std::vector<double>{510, 520, 520, 510, 510}));
  EXPECT_EQ(s[0].y, (std::vector<double>{15, 15, 5, 5, 15}));
}

TEST_F(GrExport, ShapefileDialogChoosesNameFieldAndGeometry) {
  open_plot();
  grexport_install();
  grcomt.SUBTGR = "Bed Level";
  grscpt(std::vector<std::string>{"File=bed", "Shape=Arc", "D"});
  int mode = 10;
  grmode(mode);
  ASSERT_EQ(grcomn.IMODGR, 10);
  EXPECT_EQ(grcomn.ISHMGR, 2);
  grmov3(0, 0, 2);
  grdrw3(1, 1, 3);
  mode = 0;
  grmode(mode);
  int type = 0;
  EXPECT_EQ(read_shapes("bed", type).size(), 1u);
  EXPECT_EQ(type, SHPT_ARC);
  DBFHandle d = DBFOpen("bed", "rb");
  ASSERT_NE(d, nullptr);
  char field[12] = {};
  DBFGetFieldInfo(d, 0, field, nullptr, nullptr);
  EXPECT_STREQ(field, "Bed");  // the first word of the subtitle
  DBFClose(d);
  // Cancel leaves the screen mode.
  grscpt(std::vector<std::string>{"C"});
  mode = 10;
  grmode(mode);
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(grcomn.IMODGR, 2);
}

TEST_F(GrExport, DrawsAreJoinedIntoArcsWithMergedNodes) {
  open_plot();
  shape_export("arcs", "Level", 2, [] {
    // Joined only at the end: (40, 0)-(50, 0) comes first, so (30, 0)-(40, 0)
    // makes a line of its own.
    grmov3(40, 0, 1);
    grdrw3(50, 0, 1);
    grmov3(30, 0, 2);
    grdrw3(40, 0, 1);
    grmov3(0, 0, 4.5f);
    grdrw3(10, 0, 5);
    grdrw3(10, 10, 6);
    grmov3(10.0005f, 10.0004f, 9);  // merges with (10, 10)
    grdrw3(10, 0, 5);               // the same segment backwards: not again
    grdrw3(20, 0, 7);
  });
  EXPECT_EQ(grcomn.ISHMGR, 1);
  int type = 0;
  auto s = read_shapes("arcs", type);
  EXPECT_EQ(type, SHPT_ARC);
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[0].x, (std::vector<double>{40, 50}));
  EXPECT_EQ(s[1].x, (std::vector<double>{30, 40}));
  EXPECT_EQ(s[2].x, (std::vector<double>{0, 10, 10}));
  EXPECT_EQ(s[2].y, (std::vector<double>{0, 0, 10}));
  EXPECT_EQ(s[3].x, (std::vector<double>{10, 20}));
  DBFHandle d = DBFOpen("arcs", "rb");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(DBFGetFieldInfo(d, 0, nullptr, nullptr, nullptr), FTDouble);
  EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(d, 1, 0), 2.0);
  EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(d, 2, 0), 4.5);
  EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(d, 3, 0), 5.0);
  DBFClose(d);
}

TEST_F(GrExport, MarkersBecomePoints) {
  open_plot();
  grcomn.YORGR = 100;
  shape_export("pts", " ", 1, [] {
    grmov3(1, 2, 3.25f);
    grsymb(102);
    grmov2(4, 5);
    grsymb(3);
  });
  int type = 0;
  auto s = read_shapes("pts", type);
  EXPECT_EQ(type, SHPT_POINT);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].y[0], 102.0);
  DBFHandle d = DBFOpen("pts", "rb");
  ASSERT_NE(d, nullptr);
  char field[12] = {};
  DBFGetFieldInfo(d, 0, field, nullptr, nullptr);
  EXPECT_STREQ(field, "VALUE");  // a blank field name still makes a field
  EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(d, 0, 0), 3.25);
  DBFClose(d);
}

TEST_F(GrExport, FailedShapefileLeavesTheEarlierSetWhole) {
  open_plot();
  shape_export("set", "v", 3, [] { triangles(1); });
  const std::string shp = slurp("set.shp"), shx = slurp("set.shx"), dbf = slurp("set.dbf");
  ASSERT_FALSE(shp.empty());
  // The disk takes no more than 4 kB per file: 300 polygons do not fit.
  const size_t failures = uwrite_failures().size();
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit was{}, lim{};
  getrlimit(RLIMIT_FSIZE, &was);
  lim = was, lim.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &lim);
  shape_export("set", "v", 3, [] { triangles(300); });
  setrlimit(RLIMIT_FSIZE, &was);
  EXPECT_EQ(uwrite_failures().size(), failures + 1);
  EXPECT_EQ(slurp("set.shp"), shp);
  EXPECT_EQ(slurp("set.shx"), shx);
  EXPECT_EQ(slurp("set.dbf"), dbf);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 3);  // no temporaries
}

TEST_F(GrExport, ArcPolygonFile) {
  open_plot();
  grcomn.XORGR = 100;
  answer("areas.txt");
  int mode = 11;
  grmode(mode);
  grmov2(0, 0);
  grdrw2(5, 5);
  float x[3] = {1, 2, 1.5f}, y[3] = {1, 1, 2};
  grfil2(x, y, 3, 4);
  mode = 0;
  grmode(mode);
  EXPECT_EQ(
      slurp("areas.txt"),
      "           4\n     101.000       1.000\n     102.000       1.000\n     101.500       2.000\n"
      "     101.000       1.000\nEND\nEND\n");
}

}  // namespace riv
