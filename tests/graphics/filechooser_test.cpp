// The file chooser and file opening: directory listing in "ls -p1" order,
// result-file format codes, the chooser answered by a queued line, and the
// dialog driven by clicks and keys on the headless driver.
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdint>

#include "graphics/filechooser.hpp"
#include "graphics/grfixture.hpp"

namespace riv {
namespace {

class FileChooser : public GrFixture {
 protected:
  static void result_file(const std::string& name, int32_t code, int32_t recl) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    int32_t head[8] = {code, recl};
    std::fwrite(head, sizeof head, 1, f);
    std::fclose(f);
  }
  // Where the dialog drew a text (the last time), as a click position.
  static bool find_text(const std::string& s, int& x, int& y) {
    bool found = false;
    for (const GrxCall& c : grx_headless().calls)
      if (c.op == GrxCall::Op::Text && c.s == s) x = c.a + 3, y = c.b - 4, found = true;
    return found;
  }
  static void click(int x, int y) { grx_headless_event(kGrxButtonPress, x, y, 1); }
  static void key(int keysym) { grx_headless_event(kGrxKeyPress, 0, 0, keysym); }
};

TEST_F(FileChooser, ListsEntriesAsLsDoesInTheCLocale) {
  for (const char* f : {"b.txt", "a.dat", "B.txt", ".hidden", "x@", "noext", "c.txt.bak"})
    put(f, "x\n");
  mkdir("zdir", 0755);
  mkdir("sub", 0755);
  ASSERT_EQ(symlink("sub", "link"), 0);
  const std::string here = dir.string() + "/";
  std::vector<std::string> want = {"/sub",  "/zdir",     "B.txt", "a.dat",
                                   "b.txt", "c.txt.bak", "link",  "noext"};
  EXPECT_EQ(list_directory(here, ""), want);
  // A filter may hold several extensions; files without one never pass it.
  want = {"/sub", "/zdir", "B.txt", "a.dat", "b.txt"};
  EXPECT_EQ(list_directory(here, ".txt.dat"), want);
  want = {"/sub", "/zdir", "c.txt.bak"};
  EXPECT_EQ(list_directory(here, ".bak"), want);
  EXPECT_TRUE(list_directory(here + "missing/", "").empty());
  EXPECT_EQ(parent_directory("/a/b/"), "/a/");
  EXPECT_EQ(parent_directory("/a/"), "/");
  EXPECT_EQ(parent_directory("/"), "/");
}

TEST_F(FileChooser, ListingStopsAtFourHundredEntries) {
  for (int i = 0; i < 450; ++i) put("f" + std::to_string(1000 + i), "");
  std::vector<std::string> l = list_directory(dir.string(), "");
  ASSERT_EQ(l.size(), 400u);
  EXPECT_EQ(l.front(), "f1000");
  EXPECT_EQ(l.back(), "f1399");
}

TEST_F(FileChooser, ResultFileCodesDecideModesOneAndTwo) {
  using Case = std::array<int, 3>;  // code, mode 1 result, mode 2 result
  for (auto [code, m1, m2] :
       std::array<Case, 4>{{{-90, 44, 0}, {-91, 44, 1}, {-198, 44, 1}, {-199, 44, 0}}}) {
    result_file("r.res", code, 44);
    FStr<60> name("r.res"), d;
    int mode = 1;
    gropn(13, name.span(), d.span(), mode);
    EXPECT_EQ(mode, m1) << code;
    EXPECT_EQ(d.trimmed(), "./");
    mode = 2;
    gropn(13, name.span(), d.span(), mode);
    EXPECT_EQ(mode, m2) << code;
  }
  // A wrong code sends the user to the chooser; here a queued line answers.
  result_file("bad.res", -200, 44);
  result_file("good.res", -93, 88);
  FStr<60> name("bad.res"), d;
  answer("good.res");
  int mode = 1;
  gropn(13, name.span(), d.span(), mode);
  EXPECT_EQ(mode, 88);
  EXPECT_EQ(name.trimmed(), "good.res");
  EXPECT_EQ(grmesg_history().back().trimmed(), "Wrong file format: bad.res");
}

TEST_F(FileChooser, MissingFileIsReportedAndAnotherChosen) {
  put("good.txt", "first line\n");
  FStr<60> name("river.txt"), d;
  answer("good.txt");
  int mode = 0;
  gropn(13, name.span(), d.span(), mode);
  EXPECT_EQ(name.trimmed(), "good.txt");
  EXPECT_EQ(grmesg_history().back().trimmed(), "File not found: river.txt");
  std::string line;
  ASSERT_EQ(uread(13, line), 0);
  EXPECT_EQ(line, "first line");
  uclose(13);
  // A relative path is a name, not an extension filter; a missing one
  // leaves only its extension (none here) for the chooser.
  mkdir("m.d", 0755);
  put("m.d/river", "r\n");
  name = "./m.d/river";
  gropn(13, name.span(), d.span(), mode);
  EXPECT_EQ(name.trimmed(), "./m.d/river");
  EXPECT_TRUE(uisopen(13));
  uclose(13);
  name = "../m.d/river";
  answer("good.txt");
  gropn(13, name.span(), d.span(), mode);
  EXPECT_EQ(name.trimmed(), "good.txt");
  uclose(13);
}

TEST_F(FileChooser, DialogWalksDirectoriesFiltersAndOpens) {
  open_plot();
  put("a.txt", "a\n");
  put("b.dat", "b\n");
  mkdir("sub", 0755);
  put("sub/c.txt", "c\n");
  const std::string here = std::filesystem::current_path().string() + "/";
  FStr<60> name(".txt"), d;
  int ok = -1;
  // Escape cancels: blank name, the directory shown handed back.
  key(0xff1b);
  grfile(name.span(), d.span(), ok);
  EXPECT_EQ(ok, 0);
  EXPECT_TRUE(name.blank());
  EXPECT_EQ(d.trimmed(), here);
  int x = 0, y = 0;
  EXPECT_TRUE(find_text("a.txt", x, y));
  EXPECT_FALSE(find_text("b.dat", x, y));
  ASSERT_TRUE(find_text("sub", x, y));
  const int sx = x, sy = y;
  ASSERT_TRUE(find_text("^ " + here, x, y));
  const int ux = x, uy = y;

  // The dialog stands near the last click: keep it in one place.
  const float cx = grcomn.XCRSGR, cy = grcomn.YCRSGR;
  auto same_place = [&] { grcomn.XCRSGR = cx, grcomn.YCRSGR = cy; };

  // Into "sub", pick c.txt, open: the name carries the directory walked to.
  grx_headless().calls.clear();
  name = ".txt";
  same_place();
  click(sx, sy);
  click(sx, sy);  // c.txt stands where sub stood
  key('o');
  grfile(name.span(), d.span(), ok);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(name.trimmed(), here + "sub/c.txt");
  EXPECT_EQ(d.trimmed(), here + "sub/");

  // The chooser reopens in sub; up one level, All files shows b.dat, pick and open.
  grx_headless().calls.clear();
  name = ".txt";
  d = "";
  same_place();
  click(ux, uy);
  key('a');
  key(0xff1b);
  grfile(name.span(), d.span(), ok);
  EXPECT_TRUE(find_text("b.dat", x, y));
  name = ".txt";
  same_place();
  key('a');
  click(x, y);
  key(0xff0d);
  grfile(name.span(), d.span(), ok);

  EXPECT_EQ(ok, 1);
  EXPECT_EQ(name.trimmed(), "b.dat");  // back in the start directory: no prefix
}

}  // namespace
}  // namespace riv
