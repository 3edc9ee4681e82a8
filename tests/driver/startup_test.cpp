#include <gtest/gtest.h>

#include "driver/driver.hpp"
#include "input/input.hpp"
#include "model/model.hpp"

using namespace riv;

TEST(Driver, FlagsAreSeparatedFromModelAndOptions) {
  const char* argv[] = {"rivsim", "--headless", "river.txt", "--script", "s.txt", "@calib,flood"};
  CommandLine cl = parse_command_line(6, const_cast<char**>(argv));
  EXPECT_TRUE(cl.error.empty());
  EXPECT_TRUE(cl.headless);
  EXPECT_EQ(cl.script, "s.txt");
  ASSERT_EQ(cl.args.size(), 2u);
  EXPECT_EQ(cl.args[0], "river.txt");
  const char* bad[] = {"rivsim", "--bogus"};
  EXPECT_FALSE(parse_command_line(2, const_cast<char**>(bad)).error.empty());
}

TEST(Driver, StartupTakesFileNameOptionsAndMakesTheListing) {
  std::remove("out");
  CommandLine cl;
  cl.args = {std::string(70, 'r'), "@calib,flood"};
  ASSERT_TRUE(startup(cl));
  EXPECT_TRUE(file_exists("out"));
  EXPECT_EQ(filin.view(), std::string(60, 'r'));
  EXPECT_EQ(iilabl(1, "{flood"), 1);
  EXPECT_EQ(iilabl(1, "{dry"), 0);
  // Output files named during the run are ended with the last input line at exit.
  int f = iiwrite(0, ">hydro_exit.txt", cunit.lulst);
  iiwrite(f, "first", cunit.lulst);
  cinput.cline = "last";
  run_end_hooks();
  uopen(50, "hydro_exit.txt", FStatus::Old);
  EXPECT_EQ(ucontents(50), "first\nlast\n");
  uclose(50, true);
  EXPECT_FALSE(uisopen(cunit.lulst));
}
