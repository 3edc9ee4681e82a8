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

// Registers a hook run once at program end (last registered runs first).
void at_program_end(std::function<void()> hook);
// Runs the hooks and ends the process with the status.
[[noreturn]] void stop_program(int status);
// Runs the hooks without ending the process (the normal exit path).
void run_end_hooks();

}  // namespace riv
