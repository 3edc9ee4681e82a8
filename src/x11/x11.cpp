// The X11 window driver: one window, an off-screen pixmap of the same size
// for double buffering, one graphics context and the font "6x12".
#include "x11/x11.hpp"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "graphics/grx.hpp"
#include "input/fformat.hpp"
#include "input/stop.hpp"
#include "input/units.hpp"

namespace riv {

namespace {

Display* display = nullptr;
Window window = 0;
Pixmap pixmap = 0;
Drawable drawable = 0;
GC gc = nullptr;
XFontStruct* font = nullptr;
unsigned long fgcolor = 0, bgcolor = 0, pixelsave = 0;
int64_t width = 0, height = 0;
int64_t pix_w = 0, pix_h = 0;  // size the pixmap was created with

char dashed[] = {9, 3};
char dotted[] = {3, 3};
char dot_dashed[] = {9, 3, 3, 3};
char dot_dot_dashed[] = {9, 3, 3, 3, 3, 3};

// X points are 16-bit: coordinates far outside are pinned to the edge of
// that range rather than wrapped around.
short narrow(int v) { return static_cast<short>(std::clamp(v, -32000, 32000)); }

// A text as X wants it: without trailing blanks or NUL, ended by a NUL.
std::string c_text(std::string_view s) {
  s = s.substr(0, std::min(s.find('\0'), s.size()));
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

class X11Driver final : public GrxDriver {
 public:
  void open(int x, int y, int w, int h, int& depth, std::string_view name,
            std::string_view icon) override {
    display = XOpenDisplay(nullptr);
    // A server that has just lost its last client resets and refuses
    // connections for a moment; a display that is named is tried again.
    const char* name_env = std::getenv("DISPLAY");
    for (int i = 0; !display && name_env && *name_env && i < 20; ++i) {
      timespec t{0, 50000000L};
      nanosleep(&t, nullptr);
      display = XOpenDisplay(nullptr);
    }
    if (!display) {
      fwrite(kStdout, "(a)", {" Cannot open display...aborting"});
      stop_program(kExitNoDisplay);
    }
    int screen = DefaultScreen(display);
    fgcolor = bgcolor = WhitePixel(display, screen);
    pixelsave = fgcolor;
    width = std::max(w, 1);
    height = std::max(h, 1);
    depth = DefaultDepth(display, screen);
    XSetWindowAttributes attr{};
    attr.background_pixel = bgcolor;
    attr.border_pixel = bgcolor;
    attr.colormap = DefaultColormap(display, screen);
    attr.event_mask = KeyPressMask | ButtonPressMask | ExposureMask | StructureNotifyMask;
    window = XCreateWindow(display, RootWindow(display, screen), x, y, static_cast<unsigned>(width),
                           static_cast<unsigned>(height), 2, depth, InputOutput, CopyFromParent,
                           CWBackPixel | CWBorderPixel | CWColormap | CWEventMask, &attr);
    pixmap = XCreatePixmap(display, window, static_cast<unsigned>(width),
                           static_cast<unsigned>(height), static_cast<unsigned>(depth));
    pix_w = width, pix_h = height;
    drawable = window;
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = x, hints.y = y;
    hints.width = static_cast<int>(width), hints.height = static_cast<int>(height);
    XSetNormalHints(display, window, &hints);
    std::string wname = c_text(name), iname = c_text(icon);
    XSetStandardProperties(display, window, wname.c_str(), iname.c_str(), None, nullptr, 0, &hints);
    XFlush(display);
    gc = XCreateGC(display, window, 0, nullptr);
    XSetBackground(display, gc, bgcolor);
    XSetForeground(display, gc, fgcolor);
    XSetFunction(display, gc, GXcopy);
    // A server without the font keeps its default one instead of failing.
    font = XLoadQueryFont(display, "6x12");
    if (font) XSetFont(display, gc, font->fid);
    // The pixmap starts out blank, like the window.
    XFillRectangle(display, pixmap, gc, 0, 0, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
    XMapRaised(display, window);
  }
  void close() override {
    if (!display) return;
    if (font) XFreeFont(display, font);
    font = nullptr;
    if (gc) XFreeGC(display, gc);
    XFreePixmap(display, pixmap);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    display = nullptr;
    gc = nullptr;
  }
  void clear() override {
    XSetForeground(display, gc, bgcolor);
    XFillRectangle(display, drawable, gc, 0, 0, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
    XSetForeground(display, gc, pixelsave);
  }
  void to_pixmap() override { drawable = pixmap; }
  void to_window() override { drawable = window; }
  void restore(int x, int y, int w, int h) override {
    const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{x} + w, std::min(width, pix_w));
    const int64_t y1 = std::min<int64_t>(int64_t{y} + h, std::min(height, pix_h));
    if (x1 <= x0 || y1 <= y0) return;
    XCopyArea(display, pixmap, window, gc, static_cast<int>(x0), static_cast<int>(y0),
              static_cast<unsigned>(x1 - x0), static_cast<unsigned>(y1 - y0), static_cast<int>(x0),
              static_cast<int>(y0));
  }
  void flip() override {
    if (drawable == pixmap) {
      XCopyArea(display, pixmap, window, gc, 0, 0, static_cast<unsigned>(width),
                static_cast<unsigned>(height), 0, 0);
      drawable = window;
    }
    XFlush(display);
  }
  void set_colour(unsigned long pixel) override {
    pixelsave = pixel;
    XSetForeground(display, gc, pixel);
  }
  void set_dash(int style) override {
    if (style < 1 || style > 5) return;
    if (style == 1) {
      XSetLineAttributes(display, gc, 0, LineSolid, CapRound, JoinRound);
      return;
    }
    XSetLineAttributes(display, gc, 0, LineOnOffDash, CapRound, JoinRound);
    switch (style) {
      case 2: XSetDashes(display, gc, 0, dashed, 2); break;
      case 3: XSetDashes(display, gc, 0, dotted, 2); break;
      case 4: XSetDashes(display, gc, 0, dot_dashed, 4); break;
      default: XSetDashes(display, gc, 0, dot_dot_dashed, 6); break;
    }
  }
  void line(int x1, int y1, int x2, int y2) override {
    XDrawLine(display, drawable, gc, narrow(x1), narrow(y1), narrow(x2), narrow(y2));
  }
  void lines(int n, const int* x, const int* y) override {
    pts.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) pts[i] = {narrow(x[i]), narrow(y[i])};
    XDrawLines(display, drawable, gc, pts.data(), n, CoordModeOrigin);
  }
  void polygon(const int* x, const int* y, int n) override {
    pts.resize(static_cast<size_t>(n) + 1);
    for (int i = 0; i < n; ++i) pts[i] = {narrow(x[i]), narrow(y[i])};
    pts[n] = pts[0];
    XFillPolygon(display, drawable, gc, pts.data(), n, Nonconvex, CoordModeOrigin);
    XDrawLines(display, drawable, gc, pts.data(), n + 1, CoordModeOrigin);
  }
  void text(int x, int y, std::string_view s) override {
    XDrawString(display, drawable, gc, narrow(x), narrow(y), s.data(), static_cast<int>(s.size()));
  }
  void make_colours(const int* rgb, int* pixel, int n) override {
    Colormap cmap = DefaultColormap(display, DefaultScreen(display));
    for (int i = 0; i < n; ++i) {
      XColor c{};
      unsigned v = static_cast<unsigned>(rgb[i]);
      c.red = static_cast<unsigned short>((v >> 8) & 0xFF00);
      c.green = static_cast<unsigned short>(v & 0xFF00);
      c.blue = static_cast<unsigned short>((v << 8) & 0xFF00);
      c.flags = DoRed | DoGreen | DoBlue;
      if (!XAllocColor(display, cmap, &c))
        uwrite(kStdout, "could not allocate color " + std::to_string(i) + "\n");
      pixel[i] = static_cast<int>(c.pixel);
    }
  }
  // The key code of a press, translated or the raw keysym; false for a key
  // that gives no character and has no code of its own (Shift, Control,
  // function keys): such a press is no key for the program.
  static bool key_code(XKeyEvent& k, bool translate, int& code) {
    char buf[2];
    KeySym sym = 0;
    const int len = XLookupString(&k, buf, 2, &sym, nullptr);
    const int t = grx_translate_key(static_cast<long>(sym));
    if (len == 0 && t > 255) return false;
    code = translate ? t : static_cast<int>(sym);
    return true;
  }
  void wait_event(int& type, int& x, int& y, int& code) override {
    XEvent ev;
    for (;;) {
      XNextEvent(display, &ev);
      if (ev.type != KeyPress || key_code(ev.xkey, true, code)) break;
    }
    type = ev.type;
    switch (ev.type) {
      case KeyPress: x = ev.xkey.x, y = ev.xkey.y; break;
      case ButtonPress:
        x = ev.xbutton.x, y = ev.xbutton.y;
        code = static_cast<int>(ev.xbutton.button);
        break;
      case Expose:
        x = 0, y = 0;
        code = ev.xexpose.count;
        break;
      case ConfigureNotify:
        x = ev.xconfigure.width, y = ev.xconfigure.height;
        width = x, height = y;
        code = 1;
        break;
      default: break;
    }
  }
  void poll_event(int& type, int& x, int& y, int& code) override {
    XEvent ev;
    while (XCheckTypedEvent(display, ButtonPress, &ev)) {
      type = ButtonPress;
      x = ev.xbutton.x, y = ev.xbutton.y;
      code = static_cast<int>(ev.xbutton.button);
    }
    while (XCheckTypedEvent(display, KeyPress, &ev)) {
      if (!key_code(ev.xkey, false, code)) continue;
      type = KeyPress;
      x = ev.xkey.x, y = ev.xkey.y;
    }
  }
  void beep() override { XBell(display, 0); }
  void sleep(int n) override {
    for (int i = 0; i < n; ++i) {
      timespec t{0, 30000000L};
      nanosleep(&t, nullptr);
    }
  }

 private:
  std::vector<XPoint> pts;
};

X11Driver& driver() {
  static X11Driver d;
  return d;
}

}  // namespace

void grx_install_x11() { grx_use(&driver()); }

}  // namespace riv
