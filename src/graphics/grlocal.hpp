// Helpers shared by the sources of the graphics library (not for callers).
#pragma once
#include <span>
#include <string_view>

namespace riv {

inline bool gr_screen_mode(int mode) { return mode >= 1 && mode <= 6; }
// Forgets the colour and dash style last applied (a new window starts with
// its own defaults).
void gr_reset_pen_styles();
// Back to the world mapping without restoring anything, and a progress
// bar that draws at its next call (start-up of the library).
void gr_reset_clip();
void gr_reset_beam();
// Asks for a text through the prompt hook; without one the next pending
// script line answers, and blank when none is pending.
void gr_prompt(std::string_view prompt, std::span<char> text);
// Counts the starts of the library (grinit); what a plot remembers from an
// earlier start (its scales) does not apply after a new one.
extern int gr_starts;
// Writes the opening records of a DXF drawing to JDV1GR.
void gr_dxf_header();

}  // namespace riv
