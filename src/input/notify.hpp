// Messages, progress and file requests of the computations. The solvers and
// readers never talk to the window themselves: they call these, and the
// driver connects them to the message line, the progress bar and the file
// chooser. Unconnected (tests, tools), messages go to the terminal, progress
// is not shown and files are opened by name only.
#pragma once
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace riv {

struct Notifier {
  // A message line; a blank text clears the messages shown.
  void (*message)(std::string_view text) = nullptr;
  // Progress i of n with a label; i = -1 starts a new bar.
  void (*progress)(int i, int n, std::string_view text) = nullptr;
  // Opens the file `name` on `unit` (mode 0: sequential, status "old",
  // rewound); a request that cannot be met leaves the unit closed, the name
  // blank and the mode 0. `directory` is the caller's remembered folder.
  void (*open_file)(int unit, std::span<char> name, std::span<char> directory, int& mode) = nullptr;
};

// Connects the notifications (a null member keeps the terminal default).
void set_notifier(const Notifier& n);

void iimesg(std::string_view text);
void iibeam(int i, int n, std::string_view text);
void iiopn(int unit, std::span<char> name, std::span<char> directory, int& mode);
// True when an output may not be written under `name` because that file is
// the model, a file the model reads or a file held open (the listing, the
// section store, a bed-evolution write file); the message line says so.
// Every output whose name the user chooses asks here before writing.
bool iiguard(std::string_view name);

// What a computation said: its writes (terminal, listing, files), message
// lines and counted warnings and errors, in order, so that a result kept
// for reuse says again what building it said.
struct SaidEvent {
  enum Kind : unsigned char { kWrite, kMessage, kError } kind;
  int unit;       // unit written, or of the error's listing
  int level;      // level of a counted warning or error
  size_t pending; // blanks held after an open line (a write)
  std::string text;
};
using Said = std::vector<SaidEvent>;
// Appends to *s everything said from now on; nullptr stops the recording.
void said_record(Said* s);
// Says the recorded events again, as they were said.
void said_again(const Said& s);
// The writers' hooks: a write, a counted warning or error, and whether the
// recording is on (false inside a recorded message or error, whose own
// writes are not recorded apart).
void said_write(int unit, std::string_view text, size_t pending);
bool said_error(int level, std::string_view text, int unit);
void said_end_error();

}  // namespace riv
