// Dialogs of the window: the message box, the field editor and the single
// line prompts built on it, forms, the text window, the list chooser, the
// title plate. Every dialog takes a pending script line first, then a line of
// the script file, and only then waits for the user.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "graphics/dlglocal.hpp"
#include "graphics/graphics.hpp"
#include "input/fformat.hpp"
#include "input/freeread.hpp"
#include "input/notify.hpp"
#include "input/units.hpp"

namespace riv {

namespace {

constexpr int kSaveUnit = 98;     // a text window saved to a file
constexpr int kEditLength = 128;  // the field editor's buffer
constexpr int kStack = 5, kHistory = 200;

// One key press, button press or window change of a dialog.
struct DlgEvent {
  int type = 0, x = 0, y = 0, code = 0;
};

// Waits for the next event other than an expose; the dialog is drawn again
// on every expose.
template <class Draw>
DlgEvent next_event(Draw&& draw) {
  for (;;) {
    DlgEvent e;
    grxevn(e.type, e.x, e.y, e.code);
    if (e.type != kGrxExpose) return e;
    draw();
  }
}

// Lines a list scrolls for an event: Up and Down keys by one, the mouse
// wheel by three; 0 for any other event.
int scroll_step(const DlgEvent& e) {
  if (e.type == kGrxKeyPress) return e.code == kKeyUp ? -1 : e.code == kKeyDown ? 1 : 0;
  if (e.type == kGrxButtonPress) return e.code == kWheelUp ? -3 : e.code == kWheelDown ? 3 : 0;
  return 0;
}

// Device position of the plot origin in pixel mode.
void origin(int& ox, int& oy) {
  const GrComn& c = grcomn;
  if (c.ISMLGR != 0) {
    ox = 10, oy = 105;
  } else {
    ox = 65, oy = c.WNDWGR[4] - 50;
  }
}

int text_width(std::string_view s) { return 6 * static_cast<int>(trim_right(s).size()); }

std::string left(std::string_view s) {
  size_t f = s.find_first_not_of(' ');
  return f == std::string_view::npos ? std::string() : std::string(trim_right(s.substr(f)));
}

bool in_box(int x, int y, int bx, int by, int bw, int bh) {
  return x >= bx && x <= bx + bw && y >= by && y <= by + bh;
}

// ---- Messages ----

struct Box {
  int x, y, w, h;  // device pixels, top left corner
  bool meets(const Box& b) const {
    return x <= b.x + b.w && b.x <= x + w && y <= b.y + b.h && b.y <= y + h;
  }
};

struct Messages {
  FStr<100> stack[kStack];
  int count = 0;
  std::vector<FStr<80>> history;
  bool shown = false;
  int bx = 0, by = 0, bw = 0, bh = 0;  // the box on the screen
  std::vector<Box> avoid;              // texts on the page the box keeps clear of
  Box prompt{0, 0, -1, -1};            // the prompt box while it is open
};
Messages g_msg;

// The message box of w x h pixels: at the plot origin, else right of the
// texts it would cover, else above them.
Box message_place(int w, int h) {
  int ox, oy;
  origin(ox, oy);
  std::vector<Box> avoid = g_msg.avoid;
  if (g_msg.prompt.w >= 0) avoid.push_back(g_msg.prompt);
  Box b{ox, oy - h, w, h};
  for (size_t k = 0; k <= avoid.size(); ++k) {
    auto hit = std::find_if(avoid.begin(), avoid.end(), [&](const Box& a) { return a.meets(b); });
    if (hit == avoid.end()) return b;
    b.x = hit->x + hit->w + 4;
    if (b.x + w > grcomn.WNDWGR[3] - 84) break;  // the menu column stays free
  }
  b.x = ox;
  b.y = oy - h;
  for (const Box& a : avoid)
    if (a.meets(Box{b.x, 0, b.w, oy})) b.y = std::min(b.y, a.y - 4 - h);
  b.y = std::max(b.y, 0);
  return b;
}

void draw_messages() {
  if (g_msg.count == 0) return;
  int longest = 0;
  for (int i = 0; i < g_msg.count; ++i) longest = std::max(longest, g_msg.stack[i].len_trim());
  int w = (longest + 2) * 6, h = 14 * g_msg.count;
  if (g_msg.shown) dlg_restore(g_msg.bx, g_msg.by, g_msg.bw, g_msg.bh);
  const Box p = message_place(w, h);
  const int ox = p.x, oy = p.y + h;
  g_msg.bx = ox, g_msg.by = oy - h, g_msg.bw = w, g_msg.bh = h;
  g_msg.shown = true;
  dlg_fill(ox, oy - h, w, h, -5, -3);
  dlg_text(ox + 5, oy - 3, g_msg.stack[0].view(), 0);
  if (g_msg.count > 1) {
    dlg_colour(-4);
    grxlin(ox, oy - 14, ox + w, oy - 14);
  }
  for (int i = 1; i < g_msg.count; ++i) dlg_text(ox + 5, oy - 3 - 14 * i, g_msg.stack[i].view(), 0);
}

// ---- The field editor ----

struct EditEnd {
  bool click = false;
  int x = 0, y = 0, button = 0;  // device position and button of the click
};

// A value field at device (fx, fy), vis characters wide, 15 pixels high.
void draw_field(int fx, int fy, int vis, const std::string& s, int p, bool cursor) {
  dlg_fill(fx, fy, 6 * vis + 6, 15, -1, 0);
  // The buffer is aligned to the right; the end shown keeps the cursor inside.
  int n = static_cast<int>(s.size());
  int end = n - std::max(0, p - (vis - 1));
  int start = std::max(0, end - vis);
  std::string shown = s.substr(start, end - start);
  int x0 = fx + 3 + 6 * (vis - static_cast<int>(shown.size()));
  dlg_colour(0);
  if (!shown.empty()) grxstr(x0, fy + 12, shown);
  if (cursor) {
    int cx = fx + 3 + 6 * (vis - (p - (n - end)));
    dlg_colour(7);
    grxlin(cx, fy + 2, cx, fy + 13);
  }
}

// Edits text in the field; ends with Return, Escape or a click.
EditEnd edit_field(int fx, int fy, int vis, std::span<char> text,
                   const std::function<void()>& redraw_around) {
  std::string s = left(std::string_view(text.data(), text.size()));
  const size_t cap = std::min<size_t>(kEditLength, text.size());
  if (s.size() > cap) s.resize(cap);
  int p = 0;
  bool first = true;
  EditEnd end;
  draw_field(fx, fy, vis, s, p, true);
  dlg_show();
  for (;;) {
    int type = 0, x = 0, y = 0, code = 0;
    grxevn(type, x, y, code);
    if (type == kGrxExpose) {
      if (redraw_around) redraw_around();
    } else if (type == kGrxButtonPress) {
      end.click = true, end.x = x, end.y = y, end.button = code;
      break;
    } else if (type == kGrxKeyPress) {
      if (code == kKeyReturn || code == kKeyEscape) break;
      if (code >= 32 && code <= 126) {
        if (first) s.clear(), p = 0;
        if (s.size() < cap)
          s.insert(s.size() - p, 1, static_cast<char>(code));
        else
          grxbeep();
      } else if (code == kKeyDelete || code == kKeyBackspace) {
        int at = static_cast<int>(s.size()) - p;
        if (at > 0) s.erase(at - 1, 1);
      } else if (code == kKeyLeft) {
        p = std::min(p + 1, static_cast<int>(s.size()));
      } else if (code == kKeyRight) {
        p = std::max(p - 1, 0);
      } else {
        continue;  // Shift and other keys that edit nothing
      }
      first = false;
    } else {
      continue;
    }
    draw_field(fx, fy, vis, s, p, true);
    dlg_show();
  }
  fassign(text, left(s));
  draw_field(fx, fy, vis, left(s), 0, false);
  return end;
}

// The prompt box of grgstr: geometry from the lower left corner (x, y
// pixels from the plot origin, y upwards; x = -1 the default place).
struct PromptBox {
  int bx, by, bw, bh, fx, fy, vis;
};

PromptBox prompt_box(float x, float y, std::string_view prompt, size_t len) {
  int ox, oy;
  origin(ox, oy);
  if (x == -1.0f) x = 0, y = 0;
  PromptBox b;
  b.vis = static_cast<int>(std::clamp<size_t>(len, 1, 40));
  int pw = text_width(prompt);
  b.bw = pw + 6 * b.vis + 6 + 18;
  b.bh = 21;
  b.bx = ox + static_cast<int>(x);
  b.by = oy - static_cast<int>(y) - b.bh;
  b.fx = b.bx + pw + 12;
  b.fy = b.by + 3;
  return b;
}

void draw_prompt(const PromptBox& b, std::string_view prompt, std::span<const char> text) {
  dlg_fill(b.bx, b.by, b.bw, b.bh, -5, -3);
  dlg_text(b.bx + 6, b.by + 15, prompt, 0);
  draw_field(b.fx, b.fy, b.vis, left(std::string_view(text.data(), text.size())), 0, false);
  dlg_show();
}

void remove_box(int x, int y, int w, int h) {
  dlg_restore(x, y, w, h);
  dlg_redraw_messages();
  dlg_show();
}

// The prompt box shown, answered from the script file or by the user; a
// note (why the last answer was refused) goes to the message line beside
// it. Returns true when the script file answered.
bool ask(float& x, float& y, std::string_view prompt, std::span<char> text, int flag,
         std::string_view note = {}) {
  GrComn& c = grcomn;
  PromptBox b = prompt_box(x, y, prompt, text.size());
  draw_prompt(b, prompt, text);
  g_msg.prompt = Box{b.bx, b.by, b.bw, b.bh};
  if (!note.empty()) grmesg(note);
  struct Closed {
    ~Closed() { g_msg.prompt.w = -1; }
  } closed;
  std::string line;
  if (grscript_next(line)) {
    dlg_script_step();
    if (len_trim(line) > static_cast<int>(text.size()))
      grscript_fail("longer than the " + std::to_string(text.size()) + " characters asked for \"" +
                    std::string(trim_right(prompt)) + "\"");
    fassign(text, line);
    if (flag == 0) remove_box(b.bx, b.by, b.bw, b.bh);
    return true;
  }
  EditEnd e = edit_field(b.fx, b.fy, b.vis, text, [&] { draw_prompt(b, prompt, text); });
  int ox, oy;
  origin(ox, oy);
  if (e.click) {
    x = static_cast<float>(e.x - ox);
    y = (e.button == 4 || e.button == 5) ? -9999.0f : static_cast<float>(oy - e.y);
    c.XCRSGR = x, c.YCRSGR = y;
  }
  if (flag == 0) remove_box(b.bx, b.by, b.bw, b.bh);
  return false;
}

// Reads a number from a text as the prompts do: blank keeps the value
// (returns true), otherwise true only when the whole text is one number.
template <class T>
bool read_number(std::string_view s, T& v) {
  if (trim_right(s).empty()) return true;
  T w = v;
  std::string t(s);
  if (t.find_first_of(",/;") != std::string::npos) return false;
  if (fread_list(t, {w}) != 0) return false;
  // one value only
  std::string rest = left(t);
  if (rest.find(' ') != std::string::npos) return false;
  v = w;
  return true;
}

// Reads a scripted queue line as a fixed field (e10.0, i5): blank is zero.
template <class T>
void read_queued(std::string_view field, T& v) {
  if (trim_right(field).empty()) {
    v = 0;
    return;
  }
  T w = v;
  if (fread_list(field, {w}) == 0) v = w;
}

// A number asked at a prompt until the answer reads and is not below
// lowest; each refusal says why on the message line.
template <class T>
void ask_number(std::string_view prompt, T& value, std::string_view shown_format, bool show,
                int queue_width, const char* kind, T lowest) {
  std::string line;
  if (dlg_queue_pending()) {
    dlg_answer(line, false);
    read_queued(std::string_view(line).substr(0, queue_width), value);
    return;
  }
  FStr<kEditLength> text;
  if (show) {
    std::string shown = fformat(shown_format, {value});
    text = left(shown.substr(0, shown.find('\n')));
  }
  grclip(0);
  std::string note;
  for (;;) {
    float x = -1, y = 0;
    bool scripted = ask(x, y, prompt, text, 0, note);
    std::string typed(text.trimmed());
    T v = value;
    const bool reads = read_number(typed, v);
    if (reads && v >= lowest) {
      value = v;
      break;
    }
    const std::string what =
        "\"" + typed + "\" " +
        (reads ? "is below " + std::to_string(lowest) : "is no " + std::string(kind));
    if (scripted) grscript_fail(what);
    note = std::string(trim_right(prompt)) + ": " + what;
    grxbeep();
  }
  grclip(1);
}

// ---- Forms ----

enum class FieldKind { Text, Check, Choice, Colour };

FieldKind kind_of(std::string_view label, std::string_view value) {
  if (!value.empty() && (value[0] == '+' || value[0] == '_')) return FieldKind::Check;
  if (value.size() >= 4 && value[0] == '|' && std::isdigit(static_cast<unsigned char>(value[1])) &&
      value[2] == '|')
    return FieldKind::Choice;
  if (left(label) == "Color") return FieldKind::Colour;
  return FieldKind::Text;
}

std::vector<std::string> choice_words(std::string_view value) {
  std::vector<std::string> w;
  std::string_view t = trim_right(value.substr(3));
  size_t a = 0;
  while (a <= t.size()) {
    size_t b = t.find('|', a);
    if (b == std::string_view::npos) b = t.size();
    w.emplace_back(t.substr(a, b - a));
    a = b + 1;
  }
  return w;
}

struct Form {
  int n, llen, vlen, lc, vc;
  char* labels;
  char* values;
  int bx, by, bw, bh;
  std::string_view label(int i) const {
    return {labels + static_cast<size_t>(i) * llen, static_cast<size_t>(llen)};
  }
  std::span<char> value(int i) const {
    return {values + static_cast<size_t>(i) * vlen, static_cast<size_t>(vlen)};
  }
  std::string_view vview(int i) const {
    return {values + static_cast<size_t>(i) * vlen, static_cast<size_t>(vlen)};
  }
  int row_y(int i) const { return by + 8 + 19 * i; }
  int field_x() const { return bx + 12 + 6 * lc; }
  int button_y() const { return by + 12 + 19 * n; }
};

void draw_form_field(const Form& f, int i) {
  int fx = f.field_x(), fy = f.row_y(i) + 1, fw = 6 * f.vc + 6;
  std::string_view v = f.vview(i);
  switch (kind_of(f.label(i), v)) {
    case FieldKind::Check: {
      dlg_erase(fx, fy, fw, 15);
      dlg_fill(fx + 1, fy + 2, 11, 11, -1, 0);
      if (v[0] == '+') {
        dlg_colour(0);
        grxlin(fx + 3, fy + 8, fx + 5, fy + 11);
        grxlin(fx + 5, fy + 11, fx + 10, fy + 3);
      }
      dlg_text(fx + 18, fy + 12, v.substr(1, f.vc - 3), 0);
      break;
    }
    case FieldKind::Choice: {
      dlg_erase(fx, fy, fw, 15);
      int k = v[1] - '0', x = fx;
      auto words = choice_words(v);
      for (size_t j = 0; j < words.size(); ++j) {
        int w = 6 * static_cast<int>(words[j].size()) + 6;
        if (static_cast<int>(j) + 1 == k) dlg_fill(x, fy, w, 15, 21, 0);
        dlg_text(x + 3, fy + 12, words[j], 0);
        x += w + 4;
      }
      break;
    }
    case FieldKind::Colour: {
      dlg_fill(fx, fy, fw, 15, -1, 0);
      int col = 0;
      if (read_number(left(v), col) && !trim_right(v).empty()) {
        dlg_fill(fx + 2, fy + 2, 20, 11, col, 0);
      }
      dlg_text(fx + 28, fy + 12, left(v), 0);
      break;
    }
    default: draw_field(fx, fy, f.vc, left(v), 0, false); break;
  }
}

void draw_form(const Form& f) {
  dlg_fill(f.bx, f.by, f.bw, f.bh, -2, -3);
  for (int i = 0; i < f.n; ++i) {
    dlg_text(f.bx + 6, f.row_y(i) + 13, f.label(i).substr(0, f.lc), 0);
    draw_form_field(f, i);
  }
  int y = f.button_y();
  dlg_button(f.bx + 6, y, 60, "Done", 31, 0, false);
  dlg_button(f.bx + 68, y, 60, "Invert", -3, 0, false);
  dlg_button(f.bx + 130, y, 60, "Cancel", -3, 0, false);
  dlg_show();
}

void invert(const Form& f) {
  for (int i = 0; i < f.n; ++i) {
    std::span<char> v = f.value(i);
    if (!v.empty() && (v[0] == '+' || v[0] == '_')) v[0] = v[0] == '+' ? '_' : '+';
  }
}

std::string without_blanks(std::string_view s) {
  std::string r;
  for (char ch : s)
    if (ch != ' ') r.push_back(ch);
  return r;
}

// A colour picked from the colour map (colours 1 to 200); false when none.
bool pick_colour(int x0, int y0, int& col) {
  const int s = 13;
  int bw = 20 * s + 8, bh = 10 * s + 8;
  const GrComn& c = grcomn;
  x0 = std::min(x0, c.WNDWGR[3] - bw - 2);
  y0 = std::min(y0, c.WNDWGR[4] - bh - 2);
  auto draw = [&] {
    dlg_fill(x0, y0, bw, bh, -2, 0);
    for (int k = 1; k <= 200; ++k) {
      int i = (k - 1) % 20, j = (k - 1) / 20;
      dlg_fill(x0 + 4 + s * i, y0 + 4 + s * j, s - 2, s - 2, k, -3);
    }
    dlg_show();
  };
  draw();
  bool got = false;
  for (;;) {
    const auto [type, x, y, code] = next_event(draw);
    if (type == kGrxKeyPress) break;
    if (type != kGrxButtonPress) continue;
    int i = (x - x0 - 4) / s, j = (y - y0 - 4) / s;
    if (x >= x0 + 4 && y >= y0 + 4 && i < 20 && j < 10) {
      col = 1 + i + 20 * j;
      got = true;
    }
    break;
  }
  dlg_restore(x0, y0, bw, bh);
  return got;
}

// Applies a script line to a form: 1 done, 2 cancel, 0 go on, -1 unknown
// line, -2 value too long for the field or not one of the choices.
int form_line(const Form& f, std::string_view line) {
  std::string t(trim_right(line));
  if (t == "D") return 1;
  if (t == "C") return 2;
  if (t == "I") {
    invert(f);
    return 0;
  }
  size_t eq = t.find('=');
  if (eq == std::string::npos) return -1;
  std::string key = without_blanks(t.substr(0, eq));
  std::string value = t.substr(eq + 1);
  if (key.empty()) return -1;
  for (int i = 0; i < f.n; ++i) {
    std::string lab = without_blanks(f.label(i));
    if (lab.compare(0, key.size(), key) != 0) continue;
    std::span<char> v = f.value(i);
    std::string_view old = f.vview(i);
    switch (kind_of(f.label(i), old)) {
      case FieldKind::Check:
        if (left(value) == "+" || left(value) == "_") {
          v[0] = left(value)[0];
          return 0;
        }
        break;
      case FieldKind::Choice: {
        auto words = choice_words(old);
        std::string w = left(value);
        for (size_t j = 0; j < words.size() && j < 9; ++j)
          if (w == words[j] || w == std::to_string(j + 1)) {
            v[1] = static_cast<char>('1' + j);
            return 0;
          }
        return -2;
      }
      default: break;
    }
    if (len_trim(value) > f.vlen) return -2;
    fassign(v, value);
    return 0;
  }
  return -1;
}

// ---- Text window ----

std::string window_name() {
  std::string_view n = grcomt.WNAMGR.view();
  n = n.substr(0, std::min(n.find('\0'), n.size()));
  return std::string(trim_right(n));
}

bool save_text(const std::string& name, bool append, int n, const char* lines, int len) {
  if (iiguard(name)) return false;
  // A new version replaces the file only when it was written whole.
  const int rc =
      append ? uopen(kSaveUnit, name, FStatus::Unknown, true) : uopen_replace(kSaveUnit, name);
  if (rc != 0) {
    if (append) ufail(name, errno);
    grmesg("Error opening: " + name);
    return false;
  }
  for (int i = 0; i < n; ++i)
    fwrite(kSaveUnit, "(a)",
           {trim_right(std::string_view(lines + static_cast<size_t>(i) * len, len))});
  fwrite(kSaveUnit, "(a)", {"/created " + grcomt.DATEGR.str() + " by " + window_name()});
  if (const int e = uclose(kSaveUnit); e != 0) {
    grmesg("Error writing: " + name + ": " + std::strerror(e));
    return false;
  }
  grmesg("data stored on file");
  return true;
}

// The interactive Save of the text window.
void save_dialog(int n, const char* lines, int len) {
  FStr<60> name;
  grinpa("Filename", name);
  std::string file = left(name.view());
  if (file.empty() || iiguard(file)) return;
  bool append = false;
  if (file_exists(file)) {
    FStr<8> a;
    grinpa("Append Overwrite eXit?", a);
    char ch = static_cast<char>(
        std::toupper(static_cast<unsigned char>(left(a.view()).empty() ? 'X' : left(a.view())[0])));
    if (ch == 'A')
      append = true;
    else if (ch != 'O')
      return;
  }
  save_text(file, append, n, lines, len);
}

void install_hooks() {
  grhooks.prompt = [](std::string_view prompt, std::span<char> text) { grinpa(prompt, text); };
  grhooks.clean = [] {
    dlg_forget_menus();
    g_msg.shown = false;
    g_msg.avoid.clear();
  };
}
const bool g_hooks_installed = (install_hooks(), true);

}  // namespace

// ---- Messages ----

void grmesg(std::string_view text) {
  (void)g_hooks_installed;
  GrComn& c = grcomn;
  // One line: a text written as a record ends at its line break.
  text = text.substr(0, text.find('\n'));
  if (trim_right(text).empty()) {
    if (g_msg.shown) {
      dlg_restore(g_msg.bx, g_msg.by, g_msg.bw, g_msg.bh);
      dlg_show();
    }
    g_msg.shown = false;
    g_msg.count = 0;
    return;
  }
  for (int i = kStack - 1; i > 0; --i) g_msg.stack[i] = g_msg.stack[i - 1];
  g_msg.stack[0] = text;
  g_msg.count = std::min(g_msg.count + 1, kStack);
  // The history follows its count (start-up sets it to 0).
  if (static_cast<int>(g_msg.history.size()) > c.NMSGGR)
    g_msg.history.resize(static_cast<size_t>(std::max(c.NMSGGR, 0)));
  if (g_msg.history.size() >= static_cast<size_t>(kHistory))
    g_msg.history.erase(g_msg.history.begin());
  g_msg.history.emplace_back(text);
  c.NMSGGR = static_cast<int>(g_msg.history.size());
  // Without a display the messages go to the terminal.
  if (grx_headless_running()) fwrite(kStdout, "(1x,a)", {trim_right(text.substr(0, 100))});
  draw_messages();
  grxflp();
}

std::vector<FStr<80>> grmesg_history() {
  size_t n = std::min(g_msg.history.size(), static_cast<size_t>(std::max(grcomn.NMSGGR, 0)));
  return {g_msg.history.begin(), g_msg.history.begin() + static_cast<long>(n)};
}

void grmesg_show() {
  dlg_redraw_messages();
  grxflp();
}

void dlg_redraw_messages() {
  g_msg.shown = false;
  draw_messages();
}

// ---- Single-line input ----

void grgstr(float& x, float& y, std::string_view prompt, std::span<char> text, int flag) {
  std::string line;
  if (dlg_queue_pending()) {
    dlg_answer(line, false);
    fassign(text, line);
    return;
  }
  ask(x, y, prompt, text, flag);
}

void grinpa(std::string_view prompt, std::span<char> text) {
  std::string line;
  if (dlg_queue_pending()) {
    dlg_answer(line, false);
    fassign(text, line);
    return;
  }
  grclip(0);
  float x = -1, y = 0;
  ask(x, y, prompt, text, 0);
  fassign(text, left(std::string_view(text.data(), text.size())));
  grclip(1);
}

void grinpf(std::string_view prompt, float& value) {
  ask_number(prompt, value, "(f12.3)", std::fabs(value) > 0.0001f, 10, "real number",
             -std::numeric_limits<float>::infinity());
}

void grinpi(std::string_view prompt, int& value) {
  ask_number(prompt, value, "(i6)", value != 0, 5, "integer", std::numeric_limits<int>::min());
}

void grinpi(std::string_view prompt, int& value, int lowest) {
  ask_number(prompt, value, "(i6)", value != 0, 5, "integer", lowest);
}

void grmesg_avoid(float x, float y, float w, float h) {
  int ox, oy;
  origin(ox, oy);
  const Box b{ox + static_cast<int>(x), oy - static_cast<int>(y + h), static_cast<int>(w),
              static_cast<int>(h)};
  for (const Box& a : g_msg.avoid)
    if (a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h) return;
  g_msg.avoid.push_back(b);
}

// ---- Forms ----

void grinfo_raw(int n, char* labels, int llen, char* values, int vlen) {
  if (n < 1 || llen < 1 || vlen < 1) return;
  Form f{n, llen, vlen, std::min(llen, 40), std::min(vlen, 50), labels, values, 0, 0, 0, 0};
  int ox, oy;
  origin(ox, oy);
  f.bx = ox + 10;
  f.by = 30;
  f.bw = std::max(12 + 6 * f.lc + 6 * f.vc + 6 + 8, 200);
  f.bh = 12 + 19 * n + 17 + 8;
  const std::vector<char> saved(values, values + static_cast<size_t>(n) * vlen);
  bool drawn = false;
  int result = 0;   // 1 done, 2 cancel
  EditEnd pending;  // a click that ended a field edit
  while (result == 0) {
    std::string line;
    if (!pending.click) {
      if (dlg_queue_pending()) {
        dlg_answer(line, false);
        int r = form_line(f, line);
        if (r < 0) dlg_queue_fail("unknown script line: " + std::string(trim_right(line)));
        result = r;
        continue;
      }
      if (!drawn) draw_form(f), drawn = true;
      if (grscript_next(line)) {
        dlg_script_step();
        int r = form_line(f, line);
        if (r == -1) grscript_fail("unknown script line: " + std::string(trim_right(line)));
        if (r == -2)
          grscript_fail("the value does not fit the field: " + std::string(trim_right(line)));
        result = r;
        if (result == 0) draw_form(f);
        continue;
      }
    }
    int type = 0, x = 0, y = 0, code = 0;
    if (pending.click) {
      type = kGrxButtonPress, x = pending.x, y = pending.y, code = pending.button;
      pending = EditEnd{};
    } else {
      grxevn(type, x, y, code);
    }
    if (type == kGrxExpose) {
      draw_form(f);
      continue;
    }
    if (type == kGrxKeyPress) {
      int k = std::toupper(code < 256 ? code : 0);
      if (k == 'D' || code == kKeyReturn) result = 1;
      if (k == 'C' || code == kKeyEscape) result = 2;
      if (k == 'I') invert(f), draw_form(f);
      continue;
    }
    if (type != kGrxButtonPress || code > 3) continue;
    int yb = f.button_y();
    if (in_box(x, y, f.bx + 6, yb, 60, 17)) result = 1;
    if (in_box(x, y, f.bx + 68, yb, 60, 17)) invert(f), draw_form(f);
    if (in_box(x, y, f.bx + 130, yb, 60, 17)) result = 2;
    for (int i = 0; i < n; ++i) {
      if (!in_box(x, y, f.bx, f.row_y(i), f.bw, 17)) continue;
      std::span<char> v = f.value(i);
      switch (kind_of(f.label(i), f.vview(i))) {
        case FieldKind::Check: v[0] = v[0] == '+' ? '_' : '+'; break;
        case FieldKind::Choice: {
          auto words = choice_words(f.vview(i));
          int wx = f.field_x();
          for (size_t j = 0; j < words.size() && j < 9; ++j) {
            int w = 6 * static_cast<int>(words[j].size()) + 6;
            if (x >= wx && x < wx + w + 4) v[1] = static_cast<char>('1' + j);
            wx += w + 4;
          }
          break;
        }
        case FieldKind::Colour: {
          int col = 0;
          if (pick_colour(f.field_x(), f.row_y(i) + 18, col)) fassign(v, std::to_string(col));
          draw_form(f);
          break;
        }
        default:
          pending = edit_field(f.field_x(), f.row_y(i) + 1, f.vc, v, [&] { draw_form(f); });
          break;
      }
      draw_form_field(f, i);
      dlg_show();
      break;
    }
  }
  if (result == 2) {
    std::copy(saved.begin(), saved.end(), values);
    fassign(std::span<char>(labels, static_cast<size_t>(llen)), "cancel");
  }
  if (drawn) remove_box(f.bx, f.by, f.bw, f.bh);
}

// ---- Text window ----

void grtext_raw(int n, const char* lines, int len) {
  n = std::max(n, 0);
  if (len < 1) n = 0;
  std::string line;
  DlgSource src = dlg_answer(line, true);
  if (src != DlgSource::None) {
    // A scripted answer names the file the text goes to; the window is not shown.
    std::string file = left(line);
    if (!file.empty()) save_text(file, false, n, lines, len);
    return;
  }
  const GrComn& c = grcomn;
  int ox, oy;
  origin(ox, oy);
  int bx = ox + 10, by = 30;
  int cols = std::min(len, 132);
  int bw = std::clamp(6 * cols + 20, 200, std::max(200, c.WNDWGR[3] - bx - 10));
  int bh = std::max(100, c.WNDWGR[4] - by - 60);
  const int rows = std::max(1, (bh - 34) / 12);
  int top = 0;
  const int sbx = bx + bw - 128, dbx = bx + bw - 66;
  auto draw = [&] {
    dlg_fill(bx, by, bw, bh, -1, 0);
    dlg_button(sbx, by + 4, 60, "Save", -3, 0, false);
    dlg_button(dbx, by + 4, 60, "Done", 31, 0, false);
    for (int r = 0; r < rows && top + r < n; ++r)
      dlg_text(bx + 8, by + 36 + 12 * r,
               std::string_view(lines + static_cast<size_t>(top + r) * len, len)
                   .substr(0, (bw - 16) / 6),
               0);
    dlg_show();
  };
  draw();
  const int last_top = std::max(0, n - rows);
  for (;;) {
    const DlgEvent e = next_event(draw);
    const int step = scroll_step(e);
    bool done = false, save = false;
    if (e.type == kGrxKeyPress) {
      int k = std::toupper(e.code < 256 ? e.code : 0);
      done = k == 'D' || e.code == kKeyEscape;
      save = k == 'S';
    } else if (e.type == kGrxButtonPress) {
      done = in_box(e.x, e.y, dbx, by + 4, 60, 17);
      save = in_box(e.x, e.y, sbx, by + 4, 60, 17);
    }
    if (done) break;
    if (save) {
      save_dialog(n, lines, len);
      draw();
    }
    if (step != 0) {
      int t = std::clamp(top + step, 0, last_top);
      if (t != top) top = t, draw();
    }
  }
  remove_box(bx, by, bw, bh);
}

// ---- List chooser ----

void grchoice(int n, const FStr<32>* items, std::string_view title, int& choice) {
  n = std::max(n, 0);
  choice = 0;
  std::string line;
  if (dlg_queue_pending()) {
    dlg_answer(line, false);
    int k = 0;
    read_queued(std::string_view(line), k);
    choice = k >= 1 && k <= n ? k : 0;
    return;
  }
  const GrComn& c = grcomn;
  int ox, oy;
  origin(ox, oy);
  int bx = ox + 10, by = 30, bw = 6 * 36 + 16;
  int rows = std::clamp(n, 1, std::max(1, (c.WNDWGR[4] - by - 80) / 16));
  int bh = 24 + 16 * rows + 6;
  int top = 0;
  auto draw = [&] {
    dlg_fill(bx, by, bw, bh, -2, 0);
    dlg_text(bx + 6, by + 15, title, 0);
    for (int r = 0; r < rows && top + r < n; ++r) {
      int i = top + r;
      dlg_button(bx + 6, by + 22 + 16 * r, bw - 12, items[i].view(), -3, 0, false);
    }
    dlg_show();
  };
  draw();
  if (grscript_next(line)) {
    dlg_script_step();
    int k = -1;
    if (!read_number(line, k) || trim_right(line).empty() || k < 0 || k > n)
      grscript_fail("\"" + std::string(trim_right(line)) + "\" is no item number from 0 to " +
                    std::to_string(n));
    choice = k;
  } else {
    for (;;) {
      const DlgEvent e = next_event(draw);
      const auto [type, x, y, code] = e;
      const int step = scroll_step(e);
      if (type == kGrxKeyPress) {
        if (code == kKeyReturn || code == kKeyEscape) break;
      } else if (type == kGrxButtonPress) {
        if (code <= 3) {
          int r = (y - by - 22) / 16;
          if (y >= by + 22 && r < rows && top + r < n && x >= bx && x <= bx + bw) {
            choice = top + r + 1;
            break;
          }
          if (!in_box(x, y, bx, by, bw, bh)) break;
        }
      }
      if (step != 0) {
        top = std::clamp(top + step, 0, std::max(0, n - rows));
        draw();
      }
    }
  }
  remove_box(bx, by, bw, bh);
}

// ---- Title plate and pause ----

void grplate(const FStr<60>* lines, int n, int flag) {
  const GrComn& c = grcomn;
  n = std::max(n, 0);
  int bw = 60 * 6 + 40, bh = 16 * n + 30;
  int bx = (c.WNDWGR[3] - bw) / 2, by = (c.WNDWGR[4] - bh) / 2;
  dlg_fill(bx, by, bw, bh, flag == 0 ? -3 : flag, 0);
  dlg_colour(0);
  int qx[5] = {bx + 4, bx + bw - 4, bx + bw - 4, bx + 4, bx + 4};
  int qy[5] = {by + 4, by + 4, by + bh - 4, by + bh - 4, by + 4};
  grxlnz(5, qx, qy);
  for (int i = 0; i < n; ++i) {
    std::string t = left(lines[i].view());
    dlg_text(bx + bw / 2 - 3 * static_cast<int>(t.size()), by + 24 + 16 * i, t, 0);
  }
  dlg_show();
}

void grpause(int n) { grxslp(n); }

}  // namespace riv
