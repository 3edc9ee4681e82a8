// The display driver as the graphics library sees it: a window with an
// off-screen pixmap, colours, lines, polygons, texts and events, all in device
// pixels (origin at the upper left corner, y downwards).
//
// Two drivers implement it: the Xlib driver (src/x11, registered by
// grx_install_x11()) and the headless driver below, which draws into an
// in-memory RGB raster and takes its events only from a queue filled by the
// program (or by tests). One of them is chosen at start-up; the library calls
// the grx* routines and never knows which one runs. Until a display is opened
// every drawing call does nothing.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace riv {

// Event types returned by grxevn / grxcvn (the X event numbers).
constexpr int kGrxKeyPress = 2;
constexpr int kGrxButtonPress = 4;
constexpr int kGrxExpose = 12;
constexpr int kGrxConfigure = 22;

// Key codes of a key press after translation (grx_translate_key): the
// editing keys get small numbers below the printable characters.
constexpr int kKeyReturn = 11;  // Return and keypad Enter
constexpr int kKeyEscape = 12;
constexpr int kKeyDelete = 13;
constexpr int kKeyBackspace = 14;
constexpr int kKeyLeft = 15;
constexpr int kKeyUp = 16;
constexpr int kKeyRight = 17;
constexpr int kKeyDown = 18;
// Buttons of a button press: 1..3 left, middle, right; 4 and 5 the wheel.
constexpr int kButtonLeft = 1;
constexpr int kButtonMiddle = 2;
constexpr int kButtonRight = 3;
constexpr int kWheelUp = 4;
constexpr int kWheelDown = 5;

class GrxDriver {
 public:
  virtual ~GrxDriver() = default;
  // Opens the window at (x, y) of the given size; depth receives the colour
  // depth. Names are handed over without trailing blanks.
  virtual void open(int x, int y, int width, int height, int& depth, std::string_view name,
                    std::string_view icon) = 0;
  virtual void close() = 0;
  virtual void clear() = 0;
  virtual void to_pixmap() = 0;
  // Drawing goes to the window again, without copying the pixmap.
  virtual void to_window() = 0;
  virtual void flip() = 0;
  // Copies an area of the pixmap onto the window (clipped to both).
  virtual void restore(int x, int y, int w, int h) = 0;
  virtual void set_colour(unsigned long pixel) = 0;
  virtual void set_dash(int style) = 0;
  virtual void line(int x1, int y1, int x2, int y2) = 0;
  virtual void lines(int n, const int* x, const int* y) = 0;
  virtual void polygon(const int* x, const int* y, int n) = 0;
  virtual void text(int x, int y, std::string_view s) = 0;
  virtual void make_colours(const int* rgb, int* pixel, int n) = 0;
  virtual void wait_event(int& type, int& x, int& y, int& code) = 0;
  virtual void poll_event(int& type, int& x, int& y, int& code) = 0;
  virtual void beep() = 0;
  virtual void sleep(int n) = 0;
};

// Driver choice (start-up). The headless driver is in force until another
// driver is chosen.
void grx_use(GrxDriver* driver);
void grx_use_headless();
GrxDriver* grx_current();
bool grx_is_open();

// ---- The driver routines used by the library ----
void grxopn(int x, int y, int width, int height, int& depth, std::string_view name,
            std::string_view icon);
void grxcls();
void grxclr();
void grxpix();
void grxflp();
void grxstc(int pixel);
void grxdsh(int style);
void grxlin(int x1, int y1, int x2, int y2);
void grxlnz(int n, const int* x, const int* y);
void grxply(const int* x, const int* y, int n);
void grxstr(int x, int y, std::string_view text);
void grxmkc(const int* rgb, int* pixel, int n);
// Plot drawing. After a frame was shown (grxflp) it goes into the window and
// into the frame's pixmap alike, so that the pixmap keeps the whole picture
// (plot, key, panels, marks) that the dialogs are drawn over.
void grxclr_frame();
void grxlnz_frame(int n, const int* x, const int* y);
void grxply_frame(const int* x, const int* y, int n);
void grxstr_frame(int x, int y, std::string_view text);
// Shows the picture again where a dialog, menu or message was: the area of
// the frame's pixmap copied onto the window.
void grxrst(int x, int y, int w, int h);
void grxevn(int& type, int& x, int& y, int& code);
void grxcvn(int& type, int& x, int& y, int& code);
void grxbeep();
// Local date and time as 20 characters: "05 Dec 2026 06:34:08".
void grxtim(std::span<char> text);
// Sleeps n times 30 ms (nothing for n < 1).
void grxslp(int n);

// Key translation shared by the drivers: Return and keypad Enter 11, Escape
// 12, Delete 13, BackSpace 14, arrows 15..18, keypad characters to ASCII.
int grx_translate_key(long keysym);

// ---- The headless driver ----
// What it has been asked to do, for tests: every driver call as one record.
struct GrxCall {
  enum class Op { Open, Close, Clear, Pixmap, Flip, Colour, Dash, Line, Lines, Polygon, Text };
  Op op;
  int a = 0, b = 0;       // colour pixel / dash style / text position
  std::vector<int> x, y;  // points of lines and polygons
  std::string s;          // text
};

struct GrxHeadless {
  int width = 0, height = 0;
  // Pixels per raster row: the size at open (a resized window keeps its
  // rasters, as the X pixmap does, and shows their upper left part).
  int stride = 0;
  // Window and pixmap rasters, 0xRRGGBB per pixel, row by row.
  std::vector<uint32_t> window, pixmap;
  bool to_pixmap = false;
  uint32_t colour = 0xFFFFFF;
  int dash = 1;
  bool open = false;
  // Keep the call log (tests ask for it; off, so long runs stay in flat
  // memory).
  bool record = false;
  std::vector<GrxCall> calls;
  int beeps = 0;
};

// State of the headless driver (reset at each open, except the event queue).
GrxHeadless& grx_headless();
// Queues an event for the headless driver (key codes are keysyms and are
// translated like the X driver does).
void grx_headless_event(int type, int x, int y, int code);
// The visible picture: the colour at a window pixel (white outside).
uint32_t grx_headless_pixel(int x, int y);
// Writes the visible picture as an 8-bit RGB PNG file; false when no window
// is open or the file cannot be written (nothing is left then).
bool grx_headless_png(const std::string& path);
// Writes width x height pixels of 0xRRGGBB, row by row, as a PNG file.
bool write_png(const std::string& path, int width, int height, const uint32_t* rgb);

}  // namespace riv
