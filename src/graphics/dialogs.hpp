// Menus, dialogs, messages and file opening in the graphics window; every
// dialog can also be answered from the script queue (lines the program
// queues itself) or from a script file of answers (--script).
#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/ftext.hpp"

namespace riv {

// ---- Menus and the script queue ----
// Menu items are fixed-length texts stored one after the other (an array of
// FStr<N>): character 1 the state (blank, "-" disabled, "<" sticky),
// character 2 the hot key, then the label. ich: in the layout (-1 a new row
// of buttons, 0 or 100 a column at the right edge, k a column below the k-th
// button of the last row), out the choice (item index, 0 none, negative for
// mouse buttons 3..5 and -9 for an arrow-key pan); x, y the cursor position
// in user coordinates.
void grcurs_raw(int n, const char* items, int len, int& ich, float& x, float& y);
// The negative answers of a menu: mouse buttons 3 (right), 4 and 5 (the
// wheel) outside the buttons, and a pan with an arrow key.
constexpr int kMenuRightClick = -3;
constexpr int kMenuWheelUp = -4;
constexpr int kMenuWheelDown = -5;
constexpr int kMenuPan = -9;
template <int N>
void grcurs(int n, const FStr<N>* items, int& ich, float& x, float& y) {
  grcurs_raw(n, items[0].c, N, ich, x, y);
}
// Queues n script lines (16 characters used of each) before the pending ones.
void grscpt_raw(int n, const char* lines, int len);
template <int N>
void grscpt(int n, const FStr<N>* lines) {
  grscpt_raw(n, lines[0].c, N);
}
void grscpt(const std::vector<std::string>& lines);
// grcurs for the plot control loop: an arrow-key pan calls redraw (the whole
// plot) instead of only drawing the axes again.
void grcurs1_raw(int n, const char* items, int len, int& ich, float& x, float& y, void (*redraw)());
template <int N>
void grcurs1(int n, const FStr<N>* items, int& ich, float& x, float& y, void (*redraw)()) {
  grcurs1_raw(n, items[0].c, N, ich, x, y, redraw);
}

// ---- Single-line input ----
void grinpa(std::string_view prompt, std::span<char> text);
void grinpf(std::string_view prompt, float& value);
void grinpi(std::string_view prompt, int& value);
// grinpi that refuses values below lowest at the prompt, with a message.
void grinpi(std::string_view prompt, int& value, int lowest);
// The field editor: prompt and value in a box whose lower left corner is at
// x, y (pixels from the plot origin, y upwards; x = -1 the default place).
// A pending script line answers instead. flag 0 removes the box afterwards,
// 1 leaves it. Returns the last cursor position in x, y (y = -9999 after a
// wheel click), also in XCRSGR, YCRSGR.
void grgstr(float& x, float& y, std::string_view prompt, std::span<char> text, int flag);

// ---- Forms, messages, texts, choices ----
// A form of n labelled fields with Done, Invert and Cancel; Cancel sets the
// first label to "cancel".
void grinfo_raw(int n, char* labels, int llen, char* values, int vlen);
template <int L, int V>
void grinfo(int n, FStr<L>* labels, FStr<V>* values) {
  grinfo_raw(n, labels[0].c, L, values[0].c, V);
}
// Shows a message on the message line; a blank text clears the stack.
void grmesg(std::string_view text);
// A box of texts drawn over the plot (the key, an information panel, the
// progress bar), pixels from the plot origin with y upwards: the message box
// keeps clear of it until the page is cleared.
void grmesg_avoid(float x, float y, float w, float h);
// The message history, oldest first (at most 200 messages of 80 characters).
std::vector<FStr<80>> grmesg_history();
// Draws the message stack again (after the screen was cleared).
void grmesg_show();
// The text window with Save and Done.
void grtext_raw(int n, const char* lines, int len);
template <int N>
void grtext(int n, const FStr<N>* lines) {
  grtext_raw(n, lines[0].c, N);
}
// List chooser: choice receives the item chosen (0 none).
void grchoice(int n, const FStr<32>* items, std::string_view title, int& choice);
// The title plate of the program; flag is the fill colour of the plate
// (0: colour -3).
void grplate(const FStr<60>* lines, int n, int flag);
// Waits n x 30 ms.
void grpause(int n);

// ---- Files ----
// Opens the file `name` on `unit` (mode 0: sequential, status "old",
// rewound; 1: a result file, mode returns its record length; 2: only tests
// the format code), through the file chooser when the name is blank, begins
// with "." (an extension filter) or does not exist. A cancelled chooser
// leaves the unit closed, the name blank and the mode 0. `directory` is the
// caller's remembered directory of the chooser.
void gropn(int unit, std::span<char> name, std::span<char> directory, int& mode);
// The file chooser: name in: proposal or filter, out: the file chosen; ok 1
// when it exists, 0 on cancel.
void grfile(std::span<char> name, std::span<char> directory, int& ok);

// ---- Answers from a script file (--script) ----
// Answers are taken from this file, one per line, whenever the program waits
// for the user and no line of the program's own script queue is pending.
// Returns false when the file cannot be read.
bool grscript_file(const std::string& path);
// True while a script file is open and not used up.
bool grscript_active();
// The next answer line of the script file (comments skipped); false when
// there is none (no file, or the file is used up: the user takes over).
bool grscript_next(std::string& line);
// Ends the program (status 2) because the last script-file line does not fit
// what is asked: "script file NAME line N: what" on standard error.
[[noreturn]] void grscript_fail(std::string_view what);
// Closes the script file (the user answers from here on).
void grscript_close();

// True when the headless driver (no display) is the one in use.
bool grx_headless_running();

}  // namespace riv
