// Thousands of damaged model inputs, derived from the bundled example reach,
// go through the reader, and every model the reader accepts through the
// backwater solver and the stream tubes: every one must end (normally or
// through the diagnostics) without a crash, a sanitizer report or a hang. The inputs run
// in forked children so that a crash is seen as a signal and a hang as a
// timeout; the input that failed is reported by its number (fixed seed).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "input/input.hpp"
#include "mixing/mixing.hpp"
#include "model/model.hpp"
#include "steady/steady.hpp"

namespace riv {
namespace {

constexpr int kInputs = 3000;
constexpr int kSecondsPerInput = 10;

std::vector<std::string> lines_of(const std::string& path) {
  std::ifstream f(path);
  std::vector<std::string> v;
  for (std::string s; std::getline(f, s);) v.push_back(s);
  return v;
}

// The example reach with a part of its sections in place of the include line.
std::vector<std::string> base_input() {
  const std::string dir = std::string(RIVSIM_SOURCE_DIR) + "/examples/reach/";
  std::vector<std::string> main = lines_of(dir + "river.txt");
  std::vector<std::string> secs = lines_of(dir + "sections.txt");
  std::vector<std::string> v;
  for (const std::string& l : main) {
    if (l.rfind("include", 0) == 0) {
      for (size_t i = 0; i < secs.size() && i < 160; ++i) v.push_back(secs[i]);
      v.push_back("tube 'P4050' 4.050 2.0 408.38");
    } else {
      v.push_back(l);
    }
  }
  return v;
}

const char* const kTokens[] = {"**",
                               "***",
                               "/",
                               "{flood",
                               "|",
                               "}",
                               ">>",
                               ">>section",
                               "'",
                               ",",
                               "3*1.5",
                               "-1e38",
                               "1e39",
                               "nan",
                               "-0",
                               "99999999999",
                               "\t",
                               "  ",
                               "include",
                               "include no_such_file.txt",
                               "repeat 5000 1 1",
                               "tubes -3",
                               "hq",
                               "cs",
                               "label",
                               "write 1 w.txt",
                               "load **",
                               "source_pos 9 to 1",
                               ">x.txt",
                               "continue",
                               "porosity 0.5",
                               "z-y",
                               "culvert",
                               "data 'd'"};

std::string mutate(const std::vector<std::string>& base, std::mt19937& rng) {
  std::vector<std::string> v = base;
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  const int nmut = 1 + static_cast<int>(rng() % 6);
  for (int m = 0; m < nmut && !v.empty(); ++m) {
    size_t i = pick(v.size());
    switch (rng() % 10) {
      case 0:  // drop a line
        v.erase(v.begin() + static_cast<long>(i));
        break;
      case 1:  // repeat a line
        v.insert(v.begin() + static_cast<long>(i), 1 + pick(60), v[i]);
        break;
      case 2:  // swap two lines
        std::swap(v[i], v[pick(v.size())]);
        break;
      case 3:  // a byte of any value
        if (!v[i].empty()) v[i][pick(v[i].size())] = static_cast<char>(rng() & 0xff);
        break;
      case 4:  // a token inserted into a line
      {
        std::string t = kTokens[pick(std::size(kTokens))];
        size_t p = v[i].empty() ? 0 : pick(v[i].size() + 1);
        v[i].insert(p, " " + t + " ");
        break;
      }
      case 5:  // a line cut short
        v[i].resize(pick(v[i].size() + 1));
        break;
      case 6:  // an overlong line
        v[i] += std::string(100 + pick(300), "0123456789 x/"[pick(13)]);
        break;
      case 7:  // a token as a line of its own
        v.insert(v.begin() + static_cast<long>(i), kTokens[pick(std::size(kTokens))]);
        break;
      case 8:  // a number replaced by an extreme one
      {
        size_t p = v[i].find_first_of("0123456789");
        if (p != std::string::npos) v[i].replace(p, 1, pick(2) ? "-4e9" : "1e30");
        break;
      }
      default:  // a block of lines repeated (capacities)
      {
        size_t n = std::min<size_t>(v.size() - i, 1 + pick(30));
        std::vector<std::string> blk(v.begin() + static_cast<long>(i),
                                     v.begin() + static_cast<long>(i + n));
        for (int r = 0; r < 1 + static_cast<int>(pick(40)); ++r)
          v.insert(v.begin() + static_cast<long>(i), blk.begin(), blk.end());
        break;
      }
    }
  }
  std::string s;
  for (const std::string& l : v) s += l + "\n";
  return s;
}

struct Stopped {};

// Ends of the program (hooks run by stop_program) are caught as exceptions.
template <class F>
bool until_stop(F&& f) {
  at_program_end([] { throw Stopped{}; });
  try {
    f();
  } catch (const Stopped&) {
    return false;
  }
  try {
    run_end_hooks();
  } catch (const Stopped&) {
  }
  return true;
}

// The computations on a model the reader accepted: the backwater profile,
// then the stream tubes on it (every 3rd input, to keep the run short).
void compute(int i) {
  if (i % 3 != 0 || creach.nsec < 2 || iierr_errors() > 0) return;
  until_stop([] {
    int ierr = 0;
    bkwat(ierr, 0);
    if (ierr == 0) tubes_compute(kVelocity);
  });
}

// Runs inputs first..n-1 in this (child) process; `cur` tells the parent
// which input is running, the model is reset before each.
[[noreturn]] void child(const std::vector<std::string>& inputs, int first, volatile int* cur) {
  int devnull = ::open("/dev/null", O_WRONLY);
  if (devnull >= 0) ::dup2(devnull, 1);
  for (int i = first; i < static_cast<int>(inputs.size()); ++i) {
    *cur = i;
    ::alarm(kSecondsPerInput);
    { std::ofstream("fuzz_in.txt", std::ios::binary) << inputs[static_cast<size_t>(i)]; }
    model_init();
    iicmd_reset();
    uopen_memory(cunit.lulst);
    FStr<60> name("fuzz_in.txt");
    const bool read = until_stop([&] { inrea(name); });
    if (read && inrea_lost() == 0) compute(i);
    // Counts left by an early end or an abort.
    if (iierr_warnings() + iierr_errors() > 0) until_stop([] { iierr(0, "", 39); });
    uclose(cunit.lulst);
    uclose(cunit.luin);
  }
  *cur = static_cast<int>(inputs.size());
  std::_Exit(0);
}

TEST(InreaFuzz, DamagedInputsNeverCrashOrHang) {
  const std::vector<std::string> base = base_input();
  ASSERT_GT(base.size(), 200u);
  std::mt19937 rng(20240611);
  std::vector<std::string> inputs;
  inputs.push_back([&] {
    std::string s;
    for (const std::string& l : base) s += l + "\n";
    return s;
  }());
  for (int i = 1; i < kInputs; ++i) inputs.push_back(mutate(base, rng));

  // Files written by the inputs stay in a folder of their own.
  const std::filesystem::path home = std::filesystem::current_path();
  const std::filesystem::path dir = home / "inrea_fuzz";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);

  auto* cur = static_cast<volatile int*>(
      ::mmap(nullptr, sizeof(int), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(cur, MAP_FAILED);
  std::fflush(stdout);
  int first = 0;
  int forks = 0;
  std::string failure;
  while (first < kInputs && failure.empty()) {
    *cur = first;
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) child(inputs, first, cur);
    ++forks;
    int status = 0;
    ::waitpid(pid, &status, 0);
    const int at = *cur;
    if (WIFSIGNALED(status)) {
      failure = "input " + std::to_string(at) + " ended by signal " +
                std::to_string(WTERMSIG(status)) + (WTERMSIG(status) == SIGALRM ? " (hang)" : "");
    } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0 && at < kInputs &&
               WEXITSTATUS(status) != kExitInputErrors && WEXITSTATUS(status) != kExitOk) {
      failure = "input " + std::to_string(at) + " exited with status " +
                std::to_string(WEXITSTATUS(status));
    }
    first = at + 1;
  }
  std::filesystem::current_path(home);
  if (!failure.empty()) {
    const int at = std::stoi(failure.substr(6));
    std::ofstream("inrea_fuzz_failed.txt", std::ios::binary) << inputs[static_cast<size_t>(at)];
  } else {
    std::filesystem::remove_all(dir);
  }
  ::munmap(const_cast<int*>(cur), sizeof(int));
  EXPECT_TRUE(failure.empty()) << failure << " (input kept in inrea_fuzz_failed.txt)";
  RecordProperty("children", forks);
}

}  // namespace
}  // namespace riv
