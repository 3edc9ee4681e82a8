// Ending the program from anywhere: the diagnostics end a reading with errors,
// the kernels stop on a singular system. Every way out runs the cleanup hooks
// (output-file buffers flushed, units closed) before the process ends.
#pragma once
#include <functional>

namespace riv {

// Exit statuses of the program.
constexpr int kExitOk = 0;
constexpr int kExitNoDisplay = 1;
constexpr int kExitInputErrors = 2;
constexpr int kExitScriptEnded = 3;
constexpr int kExitWriteFailed = 4;  // an output file could not be written whole

// Registers a hook run once at program end (last registered runs first).
void at_program_end(std::function<void()> hook);
// Runs the hooks and ends the process with the status.
[[noreturn]] void stop_program(int status);
// Runs the hooks without ending the process (the normal exit path).
void run_end_hooks();

// SIGTERM, SIGINT and SIGHUP end the run as the normal exit does (the hooks
// run, open files are flushed and closed), with the status 128 + signal.
void stop_on_signals();
// The signal that is ending the run, 0 while none arrived.
int stop_signal();
// Marks a file write in progress: a signal arriving meanwhile is taken when
// the write is done, so no file is left with half a line or half a record.
struct CriticalIo {
  CriticalIo();
  ~CriticalIo();
  CriticalIo(const CriticalIo&) = delete;
  CriticalIo& operator=(const CriticalIo&) = delete;
};

}  // namespace riv
