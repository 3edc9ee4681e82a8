#include <gtest/gtest.h>

#include "input/ftext.hpp"
#include "input/notify.hpp"
#include "input/units.hpp"

using namespace riv;

TEST(Units, MemoryUnitReadsLinesAndBackspaces) {
  uopen_memory(30, "a\nbb\n");
  std::string l;
  EXPECT_EQ(uread(30, l), 0);
  EXPECT_EQ(l, "a");
  ubackspace(30);
  EXPECT_EQ(uread(30, l), 0);
  EXPECT_EQ(l, "a");
  EXPECT_EQ(uread(30, l), 0);
  EXPECT_EQ(l, "bb");
  EXPECT_EQ(uread(30, l), -1);
  uclose(30);
  EXPECT_GT(uread(30, l), 0);
}

TEST(Units, FileUnitWritesAppendsAndDeletes) {
  ASSERT_EQ(uopen(31, "units_test.txt", FStatus::Replace), 0);
  uwrite(31, "one\ntwo");
  EXPECT_TRUE(ulineopen(31));
  uendline(31);
  uclose(31);
  ASSERT_EQ(uopen(31, "units_test.txt", FStatus::Unknown, true), 0);
  uwrite(31, "three\n");
  EXPECT_EQ(ucontents(31), "one\ntwo\nthree\n");
  uclose(31);
  // Written over from its start, the file ends after the last line written.
  ASSERT_EQ(uopen(31, "units_test.txt", FStatus::Unknown), 0);
  uwrite(31, "four\n");
  uclose(31);
  ASSERT_EQ(uopen(31, "units_test.txt", FStatus::Old), 0);
  EXPECT_EQ(ucontents(31), "four\n");
  uclose(31, true);
  EXPECT_FALSE(file_exists("units_test.txt"));
  EXPECT_NE(uopen(31, "units_test.txt", FStatus::Old), 0);
}

TEST(FStr, PadsCutsAndCompares) {
  FStr<8> a("abc");
  EXPECT_EQ(a.view(), "abc     ");
  a = "0123456789";
  EXPECT_EQ(a.view(), "01234567");
  EXPECT_TRUE(FStr<8>("x") == std::string_view("x  "));
  EXPECT_EQ(FStr<4>("ab").len_trim(), 2);
}

TEST(Notify, UnconnectedOpensByNameAndSaysWhatIsMissing) {
  // Without the window a missing file is not chosen: the request ends as a
  // cancelled chooser would, and the message goes to the terminal.
  FStr<60> name("no_such_model.txt"), dir;
  int mode = 0;
  testing::internal::CaptureStdout();
  iiopn(32, name.span(), dir.span(), mode);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), " File not found: no_such_model.txt\n");
  EXPECT_TRUE(name.blank());
  EXPECT_FALSE(uisopen(32));
  std::FILE* f = std::fopen("notify_test.txt", "w");
  std::fputs("line\n", f);
  std::fclose(f);
  name = "notify_test.txt";
  iiopn(32, name.span(), dir.span(), mode);
  std::string l;
  EXPECT_EQ(uread(32, l), 0);
  EXPECT_EQ(l, "line");
  uclose(32, true);
}
