#include "input/stop.hpp"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace riv {
namespace {
std::vector<std::function<void()>>& hooks() {
  static std::vector<std::function<void()>> h;
  return h;
}
}  // namespace

void at_program_end(std::function<void()> hook) { hooks().push_back(std::move(hook)); }

void run_end_hooks() {
  auto& h = hooks();
  while (!h.empty()) {
    auto f = std::move(h.back());
    h.pop_back();
    f();
  }
  std::fflush(stdout);
}

void stop_program(int status) {
  run_end_hooks();
  std::exit(status);
}

namespace {

volatile std::sig_atomic_t g_signal = 0;    // the signal ending the run
volatile std::sig_atomic_t g_io_depth = 0;  // file writes in progress
volatile std::sig_atomic_t g_ending = 0;    // the hooks of the signal are running

[[noreturn]] void end_on_signal() {
  g_ending = 1;
  stop_program(128 + g_signal);
}

void on_signal(int sig) {
  if (g_signal != 0) return;  // already ending
  g_signal = sig;
  if (g_io_depth == 0) end_on_signal();
}

}  // namespace

void stop_on_signals() {
  struct sigaction sa {};
  sa.sa_handler = on_signal;
  sigfillset(&sa.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

int stop_signal() { return g_signal; }

CriticalIo::CriticalIo() { g_io_depth = g_io_depth + 1; }

CriticalIo::~CriticalIo() {
  g_io_depth = g_io_depth - 1;
  if (g_io_depth == 0 && g_signal != 0 && g_ending == 0) end_on_signal();
}

}  // namespace riv
