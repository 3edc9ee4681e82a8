// The section list on a real X server (a private Xvfb): the example reach is
// read, Section -> List is run from a script of answers, and the shapes of
// three sections are captured through the plot's Hardcopy menu. The
// pictures stay in <build>/testrun/x11/sections for inspection.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "graphics/graphics.hpp"
#include "input/input.hpp"
#include "input/units.hpp"
#include "model/model.hpp"
#include "sections/sections.hpp"
#include "x11/x11.hpp"

namespace riv {
namespace {

// A server of this test's own, so that no other window covers the plot.
pid_t g_xvfb = 0;

bool start_server() {
  if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) return getenv("DISPLAY") != nullptr;
  int fds[2];
  if (pipe(fds) != 0) return false;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::freopen("/dev/null", "w", stderr);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
           "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string num;
  char ch;
  while (pid > 0 && read(fds[0], &ch, 1) == 1 && ch != '\n') num.push_back(ch);
  close(fds[0]);
  if (pid > 0 && !num.empty()) {
    g_xvfb = pid;
    setenv("DISPLAY", (":" + num).c_str(), 1);
    return true;
  }
  if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  return getenv("DISPLAY") != nullptr;
}

struct XvfbEnvironment : ::testing::Environment {
  void TearDown() override {
    if (g_xvfb > 0) {
      kill(g_xvfb, SIGTERM);
      waitpid(g_xvfb, nullptr, 0);
      g_xvfb = 0;
    }
  }
};
const auto* const g_xvfb_env = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

TEST(SectionListX11, ShapesOfThreeSectionsOfTheExampleReach) {
  if (std::system("command -v import >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ImageMagick";
  if (!start_server()) GTEST_SKIP() << "no X display";
  const std::filesystem::path home = std::filesystem::current_path();
  const std::string src = std::string(RIVSIM_SOURCE_DIR) + "/examples/reach/";
  std::filesystem::create_directories("sections");
  std::filesystem::current_path("sections");
  for (const auto& e : std::filesystem::directory_iterator("."))
    if (e.path().filename().string().rfind("gr", 0) == 0) std::filesystem::remove(e.path());
  for (const char* f : {"river.txt", "sections.txt"})
    std::filesystem::copy_file(src + f, f, std::filesystem::copy_options::overwrite_existing);

  // Answers: the table window closes; the sequence menu goes to a section,
  // is left for the control menu, whose Hardcopy PNG captures the plot at
  // its redraw; Select opens the sequence menu again. Sections 3, 13 (a
  // compound profile), 18 (the culvert pipe) and the last (End).
  std::ofstream("answers.txt") << "\n"
                                  "n\n3\nx\nh\np\n"
                                  "s\nn\n13\nx\nh\np\n"
                                  "s\nn\n18\nx\nh\np\n"
                                  "s\ne\nx\nh\np\n"
                                  "x\n";
  alarm(120);  // a script that falls short would leave the window waiting

  model_init();
  uopen_memory(cunit.lulst);
  grreset();
  grx_install_x11();
  grinit(5, 6, "rivsect" + std::to_string(getpid()), "", 0);
  if (!grx_is_open()) {
    int m = 2;
    grmode(m);
  }
  FStr<60> name("river.txt");
  testing::internal::CaptureStdout();
  inrea(name);
  testing::internal::GetCapturedStdout();
  ASSERT_EQ(creach.ncs, 26);
  ASSERT_EQ(cchar.csname(18).str(), "P4050");
  ASSERT_TRUE(grscript_file("answers.txt"));
  clist();
  std::string rest;
  EXPECT_FALSE(grscript_next(rest)) << rest;  // every answer was used
  alarm(0);

  EXPECT_EQ(cinput.ctext(5).str().substr(0, 22), "   3 K0500       0.500");
  EXPECT_EQ(cinput.ctext(28).str().substr(0, 22), "  26 K6000       6.000");
  for (const char* f : {"gr0000.png", "gr0001.png", "gr0002.png", "gr0003.png"})
    EXPECT_GT(std::filesystem::exists(f) ? std::filesystem::file_size(f) : 0u, 1000u) << f;
  grclos();
  grreset();
  grx_use_headless();
  uclose(cunit.lulst);
  std::filesystem::current_path(home);
}

}  // namespace
}  // namespace riv
