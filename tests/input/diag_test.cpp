#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include "input/diag_helpers.hpp"
#include "input/input.hpp"

using namespace riv;

using test::box;

TEST(Diag, BoxesCountsAndSummary) {
  uopen_memory(40);
  EXPECT_EQ(iierr(1, "first", 40), 1);
  EXPECT_EQ(iierr(1, std::string("padded") + std::string(122, ' '), 40), 2);
  EXPECT_EQ(ucontents(40),
            box("warning", "first") + box("warning", "padded" + std::string(122, ' ')));
  testing::internal::CaptureStdout();
  EXPECT_EQ(iierr(0, "", 40), 0);
  EXPECT_EQ(iierr(0, "", 40), 0);  // counters were reset: nothing more
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "\n >>warnings   2, errors  0 ->check output listing\n\n");
  EXPECT_EQ(iierr(7, "ignored", 40), 0);
  uclose(40);
}

TEST(DiagDeathTest, ErrorsEndTheReadingWithFailureStatus) {
  EXPECT_EXIT(
      {
        uopen_memory(40);
        iierr(2, "bad", 40);
        iierr(0, "", 40);
      },
      testing::ExitedWithCode(2), "");
  EXPECT_EXIT(
      {
        uopen_memory(40);
        for (int i = 1; i <= 10; ++i) iierr(2, "bad", 40);
        std::fputs("tenth passed\n", stderr);
        iierr(2, "eleventh", 40);
        std::fputs("not reached\n", stderr);
      },
      testing::ExitedWithCode(2), "tenth passed\n$");
  EXPECT_EXIT(
      {
        uopen_memory(40);
        iierr(3, "broken", 40);
      },
      testing::ExitedWithCode(2), "");
}

TEST(OutFiles, EnterAppendInBatchesAndFlush) {
  std::remove("q_a.txt");
  testing::internal::CaptureStdout();
  EXPECT_EQ(iiwrite(0, "'A' 1.0 0.0", 12), 0);
  EXPECT_EQ(iiwrite(0, "'A' / >", 12), -1);
  int f = iiwrite(0, "'A' 1.0 0.0 >x.txt >q_a.txt", 12);
  EXPECT_EQ(f, iiwrite_nfile());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), " >opening 'q_a.txt'\n");
  for (int i = 1; i <= 99; ++i) iiwrite(f, "line " + std::to_string(i) + "   ", 12);
  EXPECT_FALSE(file_exists("q_a.txt"));  // 99 lines wait in memory
  iiwrite(f, "line 100", 12);
  auto slurp = [] {
    std::ifstream in("q_a.txt");
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  std::string text = slurp();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 100);
  EXPECT_EQ(text.substr(0, 7), "line 1\n");
  iiwrite(f, "after", 12);
  iiwrite(-1, "    ", 12);
  text = slurp();
  EXPECT_EQ(text.substr(text.size() - 8), "\nafter\n\n");
  // Entering it again leaves it whole until its first batch replaces it.
  testing::internal::CaptureStdout();
  int g = iiwrite(0, ">q_a.txt", 12);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), " >overwriting 'q_a.txt'\n");
  EXPECT_EQ(g, f + 1);
  EXPECT_EQ(slurp(), text);
  std::remove("q_a.txt");
}

TEST(OutFiles, TimeStamp) {
  std::tm tm{};
  tm.tm_mday = 5, tm.tm_mon = 11, tm.tm_year = 126, tm.tm_hour = 6, tm.tm_min = 39, tm.tm_sec = 8;
  EXPECT_EQ(time_stamp(tm), " 5 Dec 2026 06:39:08");
  FStr<16> s16;
  iitim(s16);
  EXPECT_EQ(s16(3), ' ');
  EXPECT_EQ(s16(16) != ' ', true);
  FStr<24> s24("xxxxxxxxxxxxxxxxxxxxxxxx");
  iitim(s24);
  EXPECT_EQ(s24.view().substr(20), "xxxx");
}
