// The fixed 6x12 character cell font the window draws its texts in (X
// misc-fixed 6x12, public domain), for pictures drawn without a display.
#pragma once

namespace riv {

constexpr int kFontWidth = 6;    // advance of one character in pixels
constexpr int kFontHeight = 12;  // rows of one cell
constexpr int kFontAscent = 10;  // rows of the cell above the base line

// Rows of each character cell, top first; bit 7 is the leftmost column.
extern const unsigned char kFont6x12[256][12];

}  // namespace riv
