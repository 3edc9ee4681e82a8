// The graphics tests run on the headless driver, each in the scratch folder
// every test gets (the settings file and exports go to the current folder).
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "graphics/graphics.hpp"
#include "input/units.hpp"

namespace riv {

class GrFixture : public ::testing::Test {
 protected:
  std::filesystem::path dir;

  void SetUp() override {
    dir = std::filesystem::current_path();
    grx_use_headless();
    grreset();
    grx_headless().calls.clear();
    grx_headless().record = true;  // these tests look at the driver calls
  }
  void TearDown() override {
    grx_headless().record = false;
    grx_headless().calls.clear();
    grreset();
  }

  static std::string slurp(const std::string& name) {
    std::ifstream f(name);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  static void put(const std::string& name, const std::string& text) { std::ofstream(name) << text; }
  // Starts the library with a window and a world window of 0..100 in both
  // directions that is also the clipping window.
  static void open_plot(double x0 = 0, double x1 = 100, double y0 = 0, double y1 = 100) {
    grinit(5, 12, "rivsim", "", 0);
    grsset(x0, x1, y0, y1);
    grsfac();
    grcomn.XMNCGR = x0, grcomn.XMXCGR = x1, grcomn.YMNCGR = y0, grcomn.YMXCGR = y1;
    grx_headless().calls.clear();
  }
  // Queues an answer to the next file prompt.
  static void answer(const char* text) {
    grcomn.ISCRGR = 0;
    grcomn.NSCRGR = 1;
    grcomt.SCRPGR[1] = text;
  }
  static int px(float x) {
    float xd, yd;
    grdevc(x, 0, xd, yd);
    return static_cast<int>(xd);
  }
  static int py(float y) {
    float xd, yd;
    grdevc(0, y, xd, yd);
    return static_cast<int>(yd);
  }
};

}  // namespace riv
