// Numbered files ("units") as the program addresses them: the listing on 12,
// the model input on 11, include files on 45 and up, output files on 19 ...
// Unit 6 is standard output and unit 0 standard error. A unit is either a
// file or an in-memory text (used for tests and for scratch texts).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace riv {

enum class FStatus { Old, New, Unknown, Replace };

constexpr int kStdout = 6;
constexpr int kStderr = 0;

// Opens a sequential text file on a unit (closing what was open there).
// Old: the file must exist; New: it must not; Unknown: created if missing;
// Replace: created empty. With append the writes go to the end.
// Returns 0 on success, a positive status when the file cannot be opened.
int uopen(int unit, std::string_view name, FStatus st, bool append = false);
// Opens an in-memory unit holding text (read from its start, written at its end).
void uopen_memory(int unit, std::string_view text = {});
// Closes a unit; with del the file is removed. Closing a closed unit does nothing.
// Returns 0, or the errno of the first write, flush or close that failed: the
// failure is then told on standard error and kept for uwrite_failures.
int uclose(int unit, bool del = false);
// Opens a file that replaces `name` as a whole: the text goes to a temporary
// file in the same folder and takes the name when uclose finds every write
// done, so a failure leaves the earlier file whole; closed with del it is
// given up. 0 on success.
int uopen_replace(int unit, std::string_view name);
// Notes a file that cannot be written (told on standard error); returns 2.
int ufail(std::string_view name, int err);
// The writes that failed in this run, as "name: reason".
const std::vector<std::string>& uwrite_failures();
// The files the model reads (its input file, include, table and hydrograph
// files): uinputs_reset starts a new set at each reading of the model and
// uinput adds the file open on `unit`.
void uinputs_reset();
void uinput(int unit);
// True when an output named `name` would overwrite a file the model needs:
// one of the set above or a file open now on a unit other than `skip` (the
// listing, the section store, the bed-evolution write files). Compared as
// files, so "./x", "x" and links to it are one; a missing name is free.
bool uprotected(std::string_view name, int skip = -1);
bool uisopen(int unit);
std::string uname(int unit);

// Reads the next line (without its end-of-line). Returns 0, -1 at the end of
// the file, or a positive status on a read error or when the unit is closed.
int uread(int unit, std::string& line);
// The next read returns the last line read again.
void ubackspace(int unit);
void urewind(int unit);

// Writes text as it stands (records end with '\n'); units 6 and 0 go to the
// terminal. Writing to a closed unit is dropped.
// `pending` blanks are held after an open line and written only when the
// next text continues that line (positioning blanks of a "$" format).
void uwrite(int unit, std::string_view text, size_t pending = 0);
// Ends a line left open by a "$" format when one is open.
void uendline(int unit);
// True when the last text written to the unit did not end its line.
bool ulineopen(int unit);
void uflush(int unit);
// The whole text of an in-memory unit, or of a file unit as written so far.
std::string ucontents(int unit);
void ucloseall();

bool file_exists(std::string_view name);
// The file an include line names: the name as it stands when that file
// exists, otherwise, for a relative name, the same name beside the file read
// on `unit` (so a model can be read from another folder). Returns the name
// unchanged when neither exists.
std::string beside(std::string_view name, int unit);

}  // namespace riv
