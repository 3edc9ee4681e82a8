// Helpers shared by the menus and dialogs of the window (not for callers):
// drawing in device pixels and the answers taken from scripts.
#pragma once
#include <string>
#include <string_view>

namespace riv {

// ---- Drawing in device pixels (origin upper left, y downwards) ----
// These go to the window directly, whatever output mode is active, and
// leave the library's pen colour and dash style to be applied again.
void dlg_colour(int col);
void dlg_fill(int x, int y, int w, int h, int fill, int frame);
void dlg_text(int x, int y, std::string_view s, int col);
// A push button with rounded corners, top left corner at x, y (17 high).
void dlg_button(int x, int y, int w, std::string_view label, int fill, int frame, bool bold);
// Paints the area white (inside a dialog).
void dlg_erase(int x, int y, int w, int h);
// Removes a box: the picture beneath (plot, key, panels) shows again.
void dlg_restore(int x, int y, int w, int h);
// Makes what was drawn visible at once.
void dlg_show();
// Redraws the message box (after a dialog covered it).
void dlg_redraw_messages();
// Forgets the boxes remembered for removal (the screen was cleared).
void dlg_forget_menus();

// ---- Answers ----
enum class DlgSource { None, Queue, File };
// The next pending answer: a line of the program's own script queue (16
// characters) or, with file_ok, a line of the script file.
DlgSource dlg_answer(std::string& line, bool file_ok = true);
// True when a line of the script queue is pending.
bool dlg_queue_pending();
// Before a script-file answer is taken on a display: shows the step drawn.
void dlg_script_step();
// A queued line that a dialog cannot use: the program stops (status 2).
[[noreturn]] void dlg_queue_fail(std::string_view message);

}  // namespace riv
