// The movable key of the line-plot and contour viewers (not for callers):
// a framed box in pixels from the plot origin with a pin at its top left
// (grabs it) and a box at its top right (hides it); a hidden key shows as a
// small box "Key".
#pragma once
#include <string_view>

namespace riv {

struct GrKeyBox {
  float x, y, w, h;  // lower left corner and size, pixels from the plot origin
  float row;         // row height
};

// The key's scale factor (SKEYGR when sensible, else 1).
float gr_key_scale();
// The key of w x h pixels at (XKEYGR, YKEYGR), both first moved so that it
// stays inside the window and at not negative places; row = 12 * scale.
GrKeyBox gr_key_place(float w, float h);
bool gr_in_box(float x, float y, float x0, float y0, float w, float h);
// A rectangle outlined in black, filled first with colour fill unless 0.
void gr_key_frame(float x0, float y0, float w, float h, int fill);
void gr_key_text(float x, float y, std::string_view s);
// Starts the key's drawing, unclipped: the hidden key (false, clipping
// back on) or the box k = box() with its pin and hide box (true; the caller
// fills in the rows, then grdump and grclip(1)).
bool gr_key_begin(GrKeyBox (*box)(), GrKeyBox& k);

// What a click at (XCRSGR, YCRSGR) did to the key.
enum class GrKeyClick {
  Off,     // not on the key
  Moved,   // the grabbed key moved there (its top left corner)
  Shown,   // the hidden key shown again
  Hidden,  // the hide box hidden the key
  Inside,  // elsewhere inside the shown key: the caller decides
};
// Moves a grabbed key (grab cleared), shows or hides it; box() places the
// shown key.
GrKeyClick gr_key_click(bool& grab, GrKeyBox (*box)());

}  // namespace riv
