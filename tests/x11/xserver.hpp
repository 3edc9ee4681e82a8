// The window tests' X server and their screen shots. Other tests draw
// windows on a shared server at the same place, and a covered window cannot
// be read back; so each test process starts a private Xvfb when it is at
// hand (its number read back through -displayfd) and uses $DISPLAY
// otherwise. Screen shots are taken with ImageMagick's import.
#pragma once

#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) clash with its names.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/graphics.hpp"
#include "x11/x11.hpp"

namespace riv::test {

inline bool have_command(const std::string& cmd) {
  return std::system(("command -v " + cmd + " >/dev/null 2>&1").c_str()) == 0;
}

inline pid_t& xvfb_pid() {
  static pid_t pid = 0;
  return pid;
}

inline void start_own_server() {
  if (!have_command("Xvfb")) return;
  int fds[2];
  if (pipe(fds) != 0) return;
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
    xvfb_pid() = pid;
    setenv("DISPLAY", (":" + num).c_str(), 1);
  } else if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
}

struct XvfbEnvironment : ::testing::Environment {
  void TearDown() override {
    if (xvfb_pid() > 0) {
      kill(xvfb_pid(), SIGTERM);
      waitpid(xvfb_pid(), nullptr, 0);
      xvfb_pid() = 0;
    }
  }
};
inline ::testing::Environment* const xvfb_env =
    ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

// The connection stays open for the whole run, so that the server does not
// reset between the tests when the library closes its own.
inline bool have_display() {
  static Display* const d = [] {
    start_own_server();
    return XOpenDisplay(nullptr);
  }();
  return d != nullptr;
}

// Tests may run side by side on one server: each process names its window.
inline std::string window_name(const std::string& prefix) {
  return prefix + std::to_string(getpid());
}

struct Shot {
  int w = 0, h = 0;  // 0 when the picture could not be read
  std::vector<unsigned char> rgb;
  uint32_t at(int x, int y) const {
    const size_t i = 3 * (static_cast<size_t>(y) * w + x);
    return rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2];
  }
};

// Reads a binary PPM of 8 bits.
inline Shot load_ppm(const std::string& file) {
  Shot s;
  std::ifstream f(file, std::ios::binary);
  std::string magic;
  int maxval = 0;
  f >> magic >> s.w >> s.h >> maxval;
  f.get();
  if (!f || magic != "P6" || maxval != 255 || s.w <= 0 || s.h <= 0) return Shot{};
  s.rgb.resize(static_cast<size_t>(s.w) * s.h * 3);
  f.read(reinterpret_cast<char*>(s.rgb.data()), static_cast<std::streamsize>(s.rgb.size()));
  return f ? s : Shot{};
}

// Captures the window as <file>.png and returns its pixels.
inline Shot capture(const std::string& window, const std::string& file) {
  std::remove((file + ".ppm").c_str());
  std::system(("import -window " + window + " -depth 8 " + file + ".ppm; convert " + file +
               ".ppm " + file + ".png 2>/dev/null")
                  .c_str());
  return load_ppm(file + ".ppm");
}

inline void close_window() {
  grclos();
  grreset();
  grx_use_headless();
}

}  // namespace riv::test
