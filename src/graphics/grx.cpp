// Driver dispatch and the headless driver.
//
// The library calls the grx* routines below; they forward to the driver
// chosen at start-up. Until the window is opened (and after it is closed)
// every drawing call is dropped, so that a colour selected before the screen
// is up, or a flip while only a file is being written, touches nothing.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <deque>

#include "graphics/dialogs.hpp"
#include "graphics/font6x12.hpp"
#include "graphics/grx.hpp"
#include "input/fformat.hpp"
#include "input/ftext.hpp"
#include "input/stop.hpp"
#include "input/units.hpp"

namespace riv {

namespace {

// Dash patterns in pixels, on and off alternating (the same as on X).
constexpr int kDashed[] = {9, 3};
constexpr int kDotted[] = {3, 3};
constexpr int kDotDashed[] = {9, 3, 3, 3};
constexpr int kDotDotDashed[] = {9, 3, 3, 3, 3, 3};

struct Event {
  int type, x, y, code;
};

class Headless final : public GrxDriver {
 public:
  GrxHeadless st;
  std::deque<Event> events;
  long dash_pos = 0;  // position along the current dashed polyline

  std::vector<uint32_t>& target() { return st.to_pixmap ? st.pixmap : st.window; }

  void log(GrxCall::Op op, int a = 0, int b = 0, std::vector<int> x = {}, std::vector<int> y = {},
           std::string s = {}) {
    if (!st.record) return;
    GrxCall c;
    c.op = op, c.a = a, c.b = b, c.x = std::move(x), c.y = std::move(y), c.s = std::move(s);
    st.calls.push_back(std::move(c));
  }

  void open(int, int, int width, int height, int& depth, std::string_view,
            std::string_view) override {
    bool rec = st.record;
    st = GrxHeadless{};
    st.record = rec;
    st.width = std::clamp(width, 1, 8192);
    st.height = std::clamp(height, 1, 8192);
    st.stride = st.width;
    st.window.assign(static_cast<size_t>(st.width) * st.height, 0xFFFFFF);
    st.pixmap = st.window;
    st.open = true;
    depth = 24;
    log(GrxCall::Op::Open, width, height, {}, {}, {});
    // As the X server does, a freshly mapped window reports an exposure.
    events.push_front({kGrxExpose, 0, 0, 0});
  }
  void close() override {
    st.open = false;
    log(GrxCall::Op::Close);
  }
  void clear() override {
    std::fill(target().begin(), target().end(), 0xFFFFFFu);
    log(GrxCall::Op::Clear);
  }
  void to_pixmap() override {
    st.to_pixmap = true;
    log(GrxCall::Op::Pixmap);
  }
  void to_window() override { st.to_pixmap = false; }
  void restore(int x, int y, int w, int h) override {
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, st.width), y1 = std::min(y + h, st.height);
    for (int r = y0; r < y1; ++r)
      for (int c = x0; c < x1; ++c) {
        const size_t k = static_cast<size_t>(r) * st.width + c;
        st.window[k] = st.pixmap[k];
      }
  }
  void flip() override {
    if (st.to_pixmap) {
      st.window = st.pixmap;
      st.to_pixmap = false;
    }
    log(GrxCall::Op::Flip);
  }
  void set_colour(unsigned long pixel) override {
    st.colour = static_cast<uint32_t>(pixel & 0xFFFFFF);
    log(GrxCall::Op::Colour, static_cast<int>(pixel));
  }
  void set_dash(int style) override {
    if (style < 1 || style > 5) return;
    st.dash = style;
    log(GrxCall::Op::Dash, style);
  }

  void plot(int x, int y) {
    if (x < 0 || y < 0 || x >= st.width || y >= st.height) return;
    target()[static_cast<size_t>(y) * st.stride + x] = st.colour;
  }
  bool dash_on() const {
    const int* p = kDashed;
    int n = 0;
    switch (st.dash) {
      case 2:
        p = kDashed;
        n = 2;
        break;
      case 3:
        p = kDotted;
        n = 2;
        break;
      case 4:
        p = kDotDashed;
        n = 4;
        break;
      case 5:
        p = kDotDotDashed;
        n = 6;
        break;
      default: return true;
    }
    int period = 0;
    for (int i = 0; i < n; ++i) period += p[i];
    long r = dash_pos % period;
    for (int i = 0; i < n; ++i) {
      if (r < p[i]) return i % 2 == 0;
      r -= p[i];
    }
    return true;
  }
  // Bresenham from (x1, y1) to (x2, y2), both ends drawn.
  void segment(long x1, long y1, long x2, long y2) {
    long dx = std::labs(x2 - x1), dy = -std::labs(y2 - y1);
    long sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1, err = dx + dy;
    for (long guard = 0; guard < 40000; ++guard) {
      if (dash_on()) plot(static_cast<int>(x1), static_cast<int>(y1));
      if (x1 == x2 && y1 == y2) break;
      ++dash_pos;
      long e2 = 2 * err;
      if (e2 >= dy) {
        err += dy;
        x1 += sx;
      }
      if (e2 <= dx) {
        err += dx;
        y1 += sy;
      }
    }
  }
  void line(int x1, int y1, int x2, int y2) override {
    dash_pos = 0;
    segment(x1, y1, x2, y2);
    log(GrxCall::Op::Line, 0, 0, {x1, x2}, {y1, y2}, {});
  }
  void lines(int n, const int* x, const int* y) override {
    if (n < 1) return;
    dash_pos = 0;
    if (n == 1) plot(x[0], y[0]);
    for (int i = 1; i < n; ++i) segment(x[i - 1], y[i - 1], x[i], y[i]);
    log(GrxCall::Op::Lines, n, 0, {x, x + n}, {y, y + n}, {});
  }
  // Even-odd scan-line fill (the X fill rule), then the outline.
  void polygon(const int* x, const int* y, int n) override {
    if (n < 1) return;
    int ymin = *std::min_element(y, y + n), ymax = *std::max_element(y, y + n);
    ymin = std::max(ymin, 0);
    ymax = std::min(ymax, st.height - 1);
    std::vector<double> xs;
    for (int row = ymin; row <= ymax; ++row) {
      double yc = row + 0.5;
      xs.clear();
      for (int i = 0; i < n; ++i) {
        int j = (i + 1) % n;
        double ya = y[i], yb = y[j];
        if ((ya <= yc && yb > yc) || (yb <= yc && ya > yc))
          xs.push_back(x[i] + (yc - ya) / (yb - ya) * (x[j] - x[i]));
      }
      std::sort(xs.begin(), xs.end());
      for (size_t k = 0; k + 1 < xs.size(); k += 2) {
        int a = static_cast<int>(std::ceil(xs[k] - 0.5));
        int b = static_cast<int>(std::ceil(xs[k + 1] - 0.5)) - 1;
        for (int c = std::max(a, 0); c <= std::min(b, st.width - 1); ++c) plot(c, row);
      }
    }
    dash_pos = 0;
    for (int i = 0; i < n; ++i) segment(x[i], y[i], x[(i + 1) % n], y[(i + 1) % n]);
    log(GrxCall::Op::Polygon, n, 0, {x, x + n}, {y, y + n}, {});
  }
  // The characters of the window's 6x12 font, left end of the base line at
  // (x, y); only the set pixels are drawn, as XDrawString does.
  void text(int x, int y, std::string_view s) override {
    for (size_t i = 0; i < s.size(); ++i) {
      const unsigned char* cell = kFont6x12[static_cast<unsigned char>(s[i])];
      int cx = x + static_cast<int>(kFontWidth * i);
      for (int r = 0; r < kFontHeight; ++r)
        for (int c = 0; c < 8; ++c)
          if (cell[r] & (0x80 >> c)) plot(cx + c, y - kFontAscent + r);
    }
    log(GrxCall::Op::Text, x, y, {}, {}, std::string(s));
  }
  void make_colours(const int* rgb, int* pixel, int n) override {
    for (int i = 0; i < n; ++i) pixel[i] = rgb[i] & 0xFFFFFF;
  }
  void wait_event(int& type, int& x, int& y, int& code) override {
    // A key without a character or code of its own (Shift, Control) is no
    // key for the program, as on X.
    while (!events.empty() && events.front().type == kGrxKeyPress &&
           grx_translate_key(events.front().code) > 255)
      events.pop_front();
    if (events.empty()) {
      // Without a display the program is driven by its scripts only; a wait
      // for a key that no script provides would never end.
      fwrite(kStderr, "(a)", {"script ended while waiting for input"});
      stop_program(kExitScriptEnded);
    }
    take(type, x, y, code, true);
  }
  void take(int& type, int& x, int& y, int& code, bool translate) {
    Event e = events.front();
    events.pop_front();
    type = e.type;
    switch (e.type) {
      case kGrxKeyPress:
        x = e.x;
        y = e.y;
        code = translate ? grx_translate_key(e.code) : e.code;
        break;
      case kGrxButtonPress:
      case kGrxExpose:
        x = e.x;
        y = e.y;
        code = e.code;
        break;
      case kGrxConfigure:
        x = e.x;
        y = e.y;
        code = 1;
        st.width = std::max(1, std::min(e.x, st.width));
        st.height = std::max(1, std::min(e.y, st.height));
        break;
      default: break;
    }
  }
  void poll_event(int& type, int& x, int& y, int& code) override {
    // The last queued press of each kind wins; a key press over a button.
    for (int kind : {kGrxButtonPress, kGrxKeyPress}) {
      for (auto it = events.begin(); it != events.end();) {
        if (it->type == kind) {
          type = kind;
          x = it->x;
          y = it->y;
          code = it->code;
          it = events.erase(it);
        } else {
          ++it;
        }
      }
    }
  }
  void beep() override { ++st.beeps; }
  void sleep(int) override {}
};

Headless& headless() {
  static Headless h;
  return h;
}

GrxDriver* g_driver = nullptr;
bool g_open = false;
bool g_on_pixmap = false;  // a frame is being drawn off screen

GrxDriver& drv() { return g_driver ? *g_driver : headless(); }

// Draws on the current target and, when that is the window, once more into
// the pixmap (not logged by the headless driver: one drawing, one record).
template <class Draw>
void on_frame(Draw&& draw) {
  if (!g_open) return;
  draw();
  if (g_on_pixmap) return;
  GrxHeadless& h = headless().st;
  const bool rec = h.record;
  h.record = false;
  drv().to_pixmap();
  draw();
  drv().to_window();
  h.record = rec;
}

}  // namespace

void grx_use(GrxDriver* driver) {
  if (g_open) grxcls();
  g_driver = driver;
}
void grx_use_headless() { grx_use(&headless()); }
GrxDriver* grx_current() { return &drv(); }
bool grx_headless_running() { return &drv() == &headless(); }
bool grx_is_open() { return g_open; }

GrxHeadless& grx_headless() { return headless().st; }
void grx_headless_event(int type, int x, int y, int code) {
  headless().events.push_back({type, x, y, code});
}
uint32_t grx_headless_pixel(int x, int y) {
  const GrxHeadless& s = headless().st;
  if (x < 0 || y < 0 || x >= s.width || y >= s.height || s.window.empty()) return 0xFFFFFF;
  return s.window[static_cast<size_t>(y) * s.stride + x];
}

void grxopn(int x, int y, int width, int height, int& depth, std::string_view name,
            std::string_view icon) {
  if (g_open) grxcls();
  drv().open(x, y, width, height, depth, name, icon);
  g_open = true;
  g_on_pixmap = false;
}
void grxcls() {
  if (!g_open) return;
  drv().close();
  g_open = false;
}
void grxclr() {
  if (g_open) drv().clear();
}
void grxpix() {
  if (!g_open) return;
  drv().to_pixmap();
  g_on_pixmap = true;
}
void grxflp() {
  if (!g_open) return;
  drv().flip();
  g_on_pixmap = false;
}
void grxclr_frame() {
  on_frame([] { drv().clear(); });
}
void grxlnz_frame(int n, const int* x, const int* y) {
  if (n > 0) on_frame([&] { drv().lines(n, x, y); });
}
void grxply_frame(const int* x, const int* y, int n) {
  if (n > 0) on_frame([&] { drv().polygon(x, y, n); });
}
void grxstr_frame(int x, int y, std::string_view text) {
  if (!text.empty()) on_frame([&] { drv().text(x, y, text); });
}
void grxrst(int x, int y, int w, int h) {
  if (g_open && !g_on_pixmap && w > 0 && h > 0) drv().restore(x, y, w, h);
}
void grxstc(int pixel) {
  if (g_open) drv().set_colour(static_cast<unsigned long>(static_cast<uint32_t>(pixel)));
}
void grxdsh(int style) {
  if (g_open) drv().set_dash(style);
}
void grxlin(int x1, int y1, int x2, int y2) {
  if (g_open) drv().line(x1, y1, x2, y2);
}
void grxlnz(int n, const int* x, const int* y) {
  if (g_open && n > 0) drv().lines(n, x, y);
}
void grxply(const int* x, const int* y, int n) {
  if (g_open && n > 0) drv().polygon(x, y, n);
}
void grxstr(int x, int y, std::string_view text) {
  if (g_open && !text.empty()) drv().text(x, y, text);
}
void grxmkc(const int* rgb, int* pixel, int n) {
  if (g_open) drv().make_colours(rgb, pixel, n);
}
void grxevn(int& type, int& x, int& y, int& code) {
  if (!g_open) {
    // Nothing can arrive without a window: behave as the headless driver.
    headless().wait_event(type, x, y, code);
    return;
  }
  drv().wait_event(type, x, y, code);
}
void grxcvn(int& type, int& x, int& y, int& code) {
  if (g_open) drv().poll_event(type, x, y, code);
}
void grxbeep() {
  if (g_open) drv().beep();
}
void grxslp(int n) {
  if (n >= 1) drv().sleep(n);
}

void grxtim(std::span<char> text) {
  std::time_t t = std::time(nullptr);
  char buf[32];
  const char* c = ctime_r(&t, buf);  // "Wed Dec  5 06:34:08 2026\n"
  std::string s;
  if (c && std::string_view(c).size() >= 24) {
    std::string_view v(c);
    std::string day(v.substr(8, 2));
    if (day[0] == ' ') day[0] = '0';
    s = day + std::string(v.substr(3, 4)) + " " + std::string(v.substr(20, 4)) +
        std::string(v.substr(10, 9));
  }
  s.resize(20, ' ');
  fassign(text, s);
}

int grx_translate_key(long keysym) {
  // X keysyms (X11/keysymdef.h) of the keys translated.
  constexpr long kXkReturn = 0xFF0D, kXkKpEnter = 0xFF8D, kXkEscape = 0xFF1B, kXkDelete = 0xFFFF,
                 kXkBackSpace = 0xFF08, kXkLeft = 0xFF51, kXkUp = 0xFF52, kXkRight = 0xFF53,
                 kXkDown = 0xFF54, kXkKpMultiply = 0xFFAA, kXkKp9 = 0xFFB9;
  // Keypad characters * + , - . / 0..9 lie 0xFF80 above their ASCII codes.
  constexpr long kXkKeypadOffset = 0xFF80;
  switch (keysym) {
    case kXkReturn:
    case kXkKpEnter: return kKeyReturn;
    case kXkEscape: return kKeyEscape;
    case kXkDelete: return kKeyDelete;
    case kXkBackSpace: return kKeyBackspace;
    case kXkLeft: return kKeyLeft;
    case kXkUp: return kKeyUp;
    case kXkRight: return kKeyRight;
    case kXkDown: return kKeyDown;
    default: break;
  }
  if (keysym >= kXkKpMultiply && keysym <= kXkKp9)
    return static_cast<int>(keysym - kXkKeypadOffset);
  return static_cast<int>(keysym);
}

}  // namespace riv
