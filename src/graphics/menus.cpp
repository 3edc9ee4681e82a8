// Menus of push buttons with hot keys, and the drawing in device pixels that
// all dialogs of the window share.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "graphics/dlglocal.hpp"
#include "graphics/graphics.hpp"
#include "graphics/grlocal.hpp"
#include "input/freeread.hpp"

namespace riv {

namespace {

// Library colours 0 and below (black, white, greys and tints) as indices of
// the colour table, as the primitives map them.
constexpr int kFixedColours[12] = {20, 0, 1, 3, 10, 73, 71, 103, 114, 118, 98, 128};

constexpr int kButtonHeight = 17;
constexpr int kRowPitch = 19;

struct Rect {
  int x, y, w, h;
};

// What the menus remember between calls.
struct MenuMemory {
  // The item chosen last in each menu (known by its hot keys and labels),
  // highlighted when that menu is drawn again.
  std::map<std::string, int> last_choice;
  std::string current;      // the menu being shown
  int sticky = 0;           // the sticky item in force (0 none)
  float row_width = 76.5f;  // button width of the last row of buttons
  int rows = 0;             // rows of the last menu
  std::vector<Rect> row_boxes, column_boxes;
};
MenuMemory g_menu;

// One button of a menu, in pixels relative to the plot origin (y upwards,
// lower left corner).
struct Button {
  float x, y, w;
};

int device_x(float xr) { return static_cast<int>(grcomn.XORGGR + xr); }
int device_y(float yr) { return static_cast<int>(grcomn.YORGGR - yr); }

bool begins(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

int item_colour(std::string_view item) {
  if (!item.empty() && item[0] == '-') return -1;
  std::string_view k = item.substr(std::min<size_t>(1, item.size()));
  for (const char* p : {"XeXit", "DDone", "CClose", "FFile", "OOpen"})
    if (begins(k, p)) return 31;
  for (const char* p : {"CCompute", "CContinue", "EEdit"})
    if (begins(k, p)) return 21;
  return -3;
}

std::string_view label_of(std::string_view item) {
  if (item.size() <= 2) return {};
  return trim_right(item.substr(2, 10));
}

void draw_pin(int x, int y, int w, std::string_view item) {
  dlg_erase(x, y, w, kButtonHeight);
  dlg_colour(0);
  int cx = x + 7, cy = y + 6;
  int px[8], py[8];
  for (int i = 0; i < 8; ++i) {
    double a = i * 0.785398;
    px[i] = cx + static_cast<int>(std::lround(4 * std::cos(a)));
    py[i] = cy + static_cast<int>(std::lround(4 * std::sin(a)));
  }
  dlg_colour(13);
  grxply(px, py, 8);
  dlg_colour(0);
  grxlin(cx, cy + 4, cx - 3, y + kButtonHeight - 1);
  std::string_view t = item.size() > 3 ? trim_right(item.substr(3, 9)) : std::string_view();
  dlg_text(x + 15, y + 13, t, 0);
}

}  // namespace

// ---- Drawing in device pixels ----

void dlg_colour(int col) {
  const GrComn& c = grcomn;
  grdump();
  int k = col >= 1 ? (col - 1) % 200 + 1 : kFixedColours[std::min(-col, 11)];
  grxstc(c.IPIXGR[std::clamp(k, 0, 200)]);
  grxdsh(1);
  // The pen of the plot is applied again at its next use.
  gr_reset_pen_styles();
}

void dlg_fill(int x, int y, int w, int h, int fill, int frame) {
  int px[4] = {x, x + w, x + w, x}, py[4] = {y, y, y + h, y + h};
  dlg_colour(fill);
  grxply(px, py, 4);
  dlg_colour(frame);
  int qx[5] = {x, x + w, x + w, x, x}, qy[5] = {y, y, y + h, y + h, y};
  grxlnz(5, qx, qy);
}

void dlg_text(int x, int y, std::string_view s, int col) {
  s = trim_right(s);
  if (s.empty()) return;
  dlg_colour(col);
  grxstr(x, y, s);
}

void dlg_button(int x, int y, int w, std::string_view label, int fill, int frame, bool bold) {
  // Rounded corners of radius 4 from the sines of 0, 10, 20, 35, 55, 70, 80
  // and 90 degrees.
  static const double s[8] = {0.0, 0.173648, 0.342020, 0.573576, 0.819152, 0.939693, 0.984808, 1.0};
  const double r = 4.0;
  int px[32], py[32], m = 0;
  // Corner centres clockwise on the screen (y downwards): top left, top
  // right, bottom right, bottom left; each arc runs over a quarter turn.
  const double cx[4] = {x + r, x + w - r, x + w - r, x + r};
  const double cy[4] = {y + r, y + r, y + kButtonHeight - r, y + kButtonHeight - r};
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < 8; ++i) {
      double cs = s[7 - i], sn = s[i], dx = 0, dy = 0;  // cos, sin of the step angle
      switch (k) {
        case 0: dx = -cs, dy = -sn; break;  // 180 .. 270 degrees
        case 1: dx = sn, dy = -cs; break;   // 270 .. 360
        case 2: dx = cs, dy = sn; break;    // 0 .. 90
        default: dx = -sn, dy = cs; break;  // 90 .. 180
      }
      px[m] = static_cast<int>(std::lround(cx[k] + r * dx));
      py[m] = static_cast<int>(std::lround(cy[k] + r * dy));
      ++m;
    }
  }
  dlg_colour(fill);
  grxply(px, py, m);
  dlg_colour(frame);
  int qx[33], qy[33];
  std::copy(px, px + m, qx);
  std::copy(py, py + m, qy);
  qx[m] = px[0], qy[m] = py[0];
  grxlnz(m + 1, qx, qy);
  if (bold) {
    int bx[5] = {x + 2, x + w - 2, x + w - 2, x + 2, x + 2};
    int by[5] = {y + 2, y + 2, y + kButtonHeight - 2, y + kButtonHeight - 2, y + 2};
    grxlnz(5, bx, by);
  }
  dlg_text(x + 4, y + 13, label, fill == -1 ? -4 : 0);
}

void dlg_erase(int x, int y, int w, int h) {
  int px[4] = {x, x + w + 1, x + w + 1, x}, py[4] = {y, y, y + h + 1, y + h + 1};
  dlg_colour(-1);
  grxply(px, py, 4);
}

void dlg_restore(int x, int y, int w, int h) {
  grdump();
  grxrst(x, y, w + 2, h + 2);
}

void dlg_show() { grxflp(); }

void dlg_forget_menus() {
  g_menu.row_boxes.clear();
  g_menu.column_boxes.clear();
}

// ---- The menu ----

namespace {

void erase_boxes(std::vector<Rect>& boxes) {
  for (const Rect& r : boxes) dlg_restore(r.x, r.y, r.w, r.h);
  boxes.clear();
}

std::vector<Button> layout(int n, int ich) {
  const GrComn& c = grcomn;
  std::vector<Button> b;
  const float w3 = static_cast<float>(c.WNDWGR[3]);
  if (ich < 0) {
    float w = std::min(76.5f, (w3 - n) / (n + 1));
    g_menu.row_width = w;
    for (int i = 0; i < n; ++i) b.push_back({-10.0f + (w + 2) * i, c.YORGGR - 20, w});
  } else if (ich == 0 || ich == 100) {
    float w = std::min(76.5f, (w3 - 1) / 2);
    for (int i = 0; i < n; ++i)
      b.push_back({w3 - c.XORGGR - 4 - w, c.YORGGR - 20 - kRowPitch * i, w});
  } else {
    float w = g_menu.row_width;
    for (int i = 0; i < n; ++i)
      b.push_back({(w + 2) * (ich - 1) - 10, c.YORGGR - 39 - kRowPitch * i, w});
  }
  return b;
}

Rect box_of(const Button& b) {
  return {device_x(b.x), device_y(b.y) - kButtonHeight, static_cast<int>(b.w), kButtonHeight};
}

void draw_menu(int n, const char* items, int len, const std::vector<Button>& b, int ich) {
  auto& boxes = ich < 0 ? g_menu.row_boxes : g_menu.column_boxes;
  boxes.clear();
  for (int i = 0; i < n; ++i) {
    std::string_view item(items + static_cast<size_t>(i) * len, len);
    Rect r = box_of(b[i]);
    boxes.push_back(r);
    if (begins(item, "PIN"))
      draw_pin(r.x, r.y, r.w, item);
    else
      dlg_button(r.x, r.y, r.w, label_of(item), item_colour(item), 0,
                 i + 1 == g_menu.last_choice[g_menu.current]);
  }
  dlg_show();
}

int hot_key(int n, const char* items, int len, int key) {
  if (key >= 'a' && key <= 'z') key -= 32;
  for (int i = 0; i < n; ++i) {
    const char* it = items + static_cast<size_t>(i) * len;
    if (len >= 2 && it[0] != '-' && static_cast<unsigned char>(it[1]) == key) return i + 1;
  }
  return 0;
}

// Shifts the world window (and the clipping window with it) by a third.
void pan(int key) {
  GrComn& c = grcomn;
  double dx = 0, dy = 0;
  const double w = c.XMAXGR - c.XMINGR, h = c.YMAXGR - c.YMINGR;
  if (key == kKeyLeft) dx = -w / 3;
  if (key == kKeyUp) dy = h / 3;
  if (key == kKeyRight) dx = w / 3;
  if (key == kKeyDown) dy = -h / 3;
  c.XMINGR += dx, c.XMAXGR += dx, c.XMNCGR += dx, c.XMXCGR += dx;
  c.YMINGR += dy, c.YMAXGR += dy, c.YMNCGR += dy, c.YMXCGR += dy;
  c.INDSGR = 0;
}

// A menu's name for its memory: the items without their states.
std::string menu_name(int n, const char* items, int len) {
  std::string name;
  for (int i = 0; i < n; ++i)
    name.append(items + static_cast<size_t>(i) * len + 1, static_cast<size_t>(len - 1)) += '|';
  return name;
}

void choose(int ich, const char* items, int len) {
  if (ich <= 0) return;
  g_menu.last_choice[g_menu.current] = ich;
  g_menu.sticky = items[static_cast<size_t>(ich - 1) * len] == '<' ? ich : 0;
}

// One menu being shown: its items, layout code, buttons and the redraw of
// the plot after a pan (control loop only).
struct Menu {
  int n;
  const char* items;
  int len;
  int kind;
  void (*redraw)();
  std::vector<Button> b;
  std::string_view item(int i) const {
    return {items + static_cast<size_t>(i - 1) * len, static_cast<size_t>(len)};
  }
};

// Removes the buttons of the menus before (a new row removes all; a shorter
// column those of the longer one) and remembers this menu.
void prepare(const Menu& m) {
  g_menu.current = menu_name(m.n, m.items, m.len);
  grdump();
  grclip(0);
  const int rows = m.kind < 0 ? 1 : m.n;
  if (m.kind < 0) {
    erase_boxes(g_menu.row_boxes);
    erase_boxes(g_menu.column_boxes);
  } else if (g_menu.rows > rows) {
    erase_boxes(g_menu.column_boxes);
  }
  g_menu.rows = rows;
}

// A key from a script line; the cursor position it gives is returned as is.
void scripted(const Menu& m, int key, int& ich) {
  if (key >= kKeyLeft && key <= kKeyDown) {
    grclip(1);
    pan(key);
    if (m.redraw)
      m.redraw();
    else
      graxes(0, 0, 0, 0, 0);
    ich = kMenuPan;
    return;
  }
  ich = hot_key(m.n, m.items, m.len, key);
  choose(ich, m.items, m.len);
  grclip(1);
}

// A line of the program's own script queue: the key, then an optional x, y.
void queued_answer(const Menu& m, int& ich, float& x, float& y) {
  std::string line;
  dlg_answer(line, false);
  float sx = x, sy = y;
  std::string rest = line.substr(1);
  if (!trim_right(rest).empty() && fread_list(rest, {sx, sy}) == 0) x = sx, y = sy;
  scripted(m, static_cast<unsigned char>(line[0]), ich);
}

// A line of the script file: "ESC", "!b x y" (mouse button 3, 4 or 5 at a
// position) or a hot key of the menu with an optional x, y.
void script_file_answer(const Menu& m, const std::string& line, int& ich, float& x, float& y) {
  dlg_script_step();
  std::string_view t = trim_right(line);
  if (t == "ESC") {
    ich = 0;
    grclip(1);
    return;
  }
  std::string rest = line.size() > 1 ? line.substr(1) : std::string();
  float sx = x, sy = y;
  int button = 0;
  if (!line.empty() && line[0] == '!') {
    if (fread_list(rest, {button, sx, sy}) > 0 || button < 3 || button > 5)
      grscript_fail("\"" + std::string(t) + "\" is no mouse button 3, 4 or 5");
    x = sx, y = sy;
    ich = -button;
    grclip(1);
    return;
  }
  int key = line.empty() ? ' ' : static_cast<unsigned char>(line[0]);
  if (hot_key(m.n, m.items, m.len, key) == 0)
    grscript_fail("\"" + std::string(t.substr(0, 1)) + "\" is no key of this menu");
  if (!trim_right(rest).empty() && fread_list(rest, {sx, sy}) != 0)
    grscript_fail("the cursor position \"" + std::string(trim_right(rest)) + "\" cannot be read");
  x = sx, y = sy;
  scripted(m, key, ich);
}

// The window took a new size: the interval counts follow it. True when the
// menu returns (in the control loop, which opens the window again at its new
// size and draws the plot whole); otherwise the buttons are drawn again.
bool resized(Menu& m, int ex, int ey) {
  GrComn& c = grcomn;
  if (ex == c.WNDWGR[3] && ey == c.WNDWGR[4]) return false;
  c.WNDWGR[3] = ex, c.WNDWGR[4] = ey;
  c.YORGGR = static_cast<float>(ey - 25);
  c.NXINGR = std::max(1, static_cast<int>(ex / (50 * c.XSCLGR) - 4));
  c.NYINGR = static_cast<int>(ey / (50 * c.YSCLGR) - 1.5f);
  if (m.redraw) return true;
  m.b = layout(m.n, m.kind);
  draw_menu(m.n, m.items, m.len, m.b, m.kind);
  return false;
}

// A mouse button at the cursor (XCRSGR, YCRSGR): -button for 3, 4 and 5, the
// item under the cursor, or the sticky item outside the buttons. False when
// a disabled button was hit (the menu keeps waiting, unless only polled).
bool button_choice(const Menu& m, int code, int& ich) {
  const GrComn& c = grcomn;
  if (code >= kButtonRight && code <= kWheelDown) {
    ich = -code;
    return true;
  }
  int hit = 0;
  for (int i = 0; i < m.n && !hit; ++i)
    if (c.XCRSGR >= m.b[i].x && c.XCRSGR <= m.b[i].x + m.b[i].w && c.YCRSGR >= m.b[i].y &&
        c.YCRSGR <= m.b[i].y + kButtonHeight)
      hit = i + 1;
  if (hit && m.item(hit)[0] == '-') {
    grxbeep();
    ich = 0;
    return m.kind == 100;
  }
  if (!hit) {
    ich = g_menu.sticky;
    return true;
  }
  Rect r = box_of(m.b[hit - 1]);
  if (!begins(m.item(hit), "PIN")) dlg_button(r.x, r.y, r.w, label_of(m.item(hit)), -4, -7, false);
  dlg_show();
  ich = hit;
  choose(ich, m.items, m.len);
  return true;
}

// Waits for a key or click (layout 100: polls once) and returns the choice.
void wait_choice(Menu& m, int& ich, float& x, float& y) {
  GrComn& c = grcomn;
  int type = 0, ex = 0, ey = 0, code = 0;
  auto world = [&] {
    x = static_cast<float>((ex - c.XORGGR) / c.XFACGR + c.XMINGR);
    y = static_cast<float>((ey - c.YORGGR) / c.YFACGR + c.YMINGR);
  };
  for (;;) {
    if (m.kind == 100) {
      type = 0;
      grxcvn(type, ex, ey, code);
      if (type == kGrxKeyPress) code = grx_translate_key(code);
      if (type != kGrxKeyPress && type != kGrxButtonPress) {
        ich = 0;
        grclip(1);
        return;
      }
    } else {
      grxevn(type, ex, ey, code);
    }
    if (type == kGrxExpose) {
      // The window was uncovered: the picture, then the buttons again.
      grxrst(0, 0, c.WNDWGR[3], c.WNDWGR[4]);
      draw_menu(m.n, m.items, m.len, m.b, m.kind);
      continue;
    }
    if (type == kGrxConfigure) {
      if (resized(m, ex, ey)) {
        ich = kMenuPan;
        grclip(1);
        return;
      }
      continue;
    }
    if (type != kGrxKeyPress && type != kGrxButtonPress) continue;
    c.XCRSGR = static_cast<float>(ex) - c.XORGGR;
    c.YCRSGR = c.YORGGR - static_cast<float>(ey);
    if (type == kGrxButtonPress) {
      if (!button_choice(m, code, ich)) continue;
      break;
    }
    if (code >= kKeyLeft && code <= kKeyDown) {
      grclip(1);
      pan(code);
      if (m.redraw)
        m.redraw();
      else
        graxes(0, 0, 0, 0, 0);
      ich = kMenuPan;
      world();
      return;
    }
    ich = hot_key(m.n, m.items, m.len, code);
    choose(ich, m.items, m.len);
    break;
  }
  grclip(1);
  world();
}

void menu(int n, const char* items, int len, int& ich, float& x, float& y, void (*redraw)()) {
  n = std::max(n, 0);
  if (len < 2) n = 0;
  Menu m{n, items, len, ich, redraw, {}};
  prepare(m);
  if (dlg_queue_pending()) {
    queued_answer(m, ich, x, y);
    return;
  }
  m.b = layout(n, m.kind);
  draw_menu(n, items, len, m.b, m.kind);
  std::string line;
  if (m.kind != 100 && grscript_next(line)) {
    script_file_answer(m, line, ich, x, y);
    return;
  }
  wait_choice(m, ich, x, y);
}

}  // namespace

void grcurs_raw(int n, const char* items, int len, int& ich, float& x, float& y) {
  menu(n, items, len, ich, x, y, nullptr);
}

void grcurs1_raw(int n, const char* items, int len, int& ich, float& x, float& y,
                 void (*redraw)()) {
  menu(n, items, len, ich, x, y, redraw);
}

}  // namespace riv
