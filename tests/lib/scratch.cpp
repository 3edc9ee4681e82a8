// Linked into every unit-test program: each test runs in a scratch folder of
// its own, removed after it, so the listings, section stores, result and
// export files a test writes never meet those of another test, also when
// ctest runs the tests of one program side by side.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace {

class ScratchFolder : public ::testing::EmptyTestEventListener {
  std::filesystem::path home_, dir_;

  void OnTestStart(const ::testing::TestInfo&) override {
    home_ = std::filesystem::current_path();
    std::string tmpl = (std::filesystem::temp_directory_path() / "rivtestXXXXXX").string();
    if (!mkdtemp(tmpl.data())) return;
    dir_ = tmpl;
    std::filesystem::current_path(dir_);
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    if (dir_.empty()) return;
    std::error_code ec;
    std::filesystem::current_path(home_, ec);
    std::filesystem::remove_all(dir_, ec);
    dir_.clear();
  }
};

const bool g_installed =
    (::testing::UnitTest::GetInstance()->listeners().Append(new ScratchFolder), true);

}  // namespace
