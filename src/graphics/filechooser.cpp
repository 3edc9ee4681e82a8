// Opening files the user names, and the file chooser dialog that lists a
// directory, walks the directory tree and picks a file.
//
// The directory is read directly (no shell command, no temporary file): the
// entries come in the order "ls -p1" gives them in the C locale, that is
// hidden entries left out, names sorted by their bytes, directories marked.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/dlglocal.hpp"
#include "graphics/filechooser.hpp"
#include "graphics/graphics.hpp"
#include "input/fformat.hpp"
#include "input/ftext.hpp"
#include "input/stop.hpp"
#include "input/units.hpp"

namespace riv {

namespace {

constexpr int kMaxEntries = 400;
constexpr int kRows = 15;       // entries per column
constexpr int kShownCols = 3;   // columns shown at a time
constexpr int kColWidth = 124;  // pixels per column
constexpr int kRowHeight = 15;
constexpr int kInnerW = kShownCols * kColWidth;  // 372
constexpr int kInnerH = 288;
constexpr int kMargin = 8;
constexpr int kBoxW = kInnerW + 2 * kMargin;
constexpr int kBoxH = kInnerH + 2 * kMargin;
constexpr int kNameChars = 18;  // characters of a name shown in a column

std::string g_saved_dir;  // directory the chooser showed last, kept between calls

std::string_view view_of(std::span<char> f) { return trim_right({f.data(), f.size()}); }

bool is_directory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A name beginning with "." is an extension filter, unless it is a path
// ("./river.txt", "../model/river.txt").
bool is_filter(std::string_view name) {
  return !name.empty() && name[0] == '.' && name.find('/') == std::string_view::npos;
}

// The file's extension: from the last "." of its last path component on,
// empty without one.
std::string_view extension(std::string_view name) {
  size_t dot = name.rfind('.');
  size_t slash = name.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return name.substr(dot);
}

// ---- The dialog on the screen ----

struct Button {
  const char* label;        // hot-key form: state, key, text
  int x = 0, y = 0, w = 0;  // device pixels, top left
};

struct Chooser {
  std::string dir;                   // path shown, ending in "/"
  std::string start_dir;             // path at the start of the call
  std::string filter;                // extension filter, empty for all files
  std::string name;                  // the file name field
  std::vector<std::string> entries;  // "/dir" entries first, then files
  int first_col = 0;                 // first column shown
  int left = 0, top = 0;             // box, device pixels
  std::vector<Button> buttons;
};

// Device pixels to the pixel coordinates of the library (origin at the plot
// origin, y upwards), in which the cursor position is kept.
float ux(int px) { return static_cast<float>(px) - grcomn.XORGGR; }
float uy(int py) { return grcomn.YORGGR - static_cast<float>(py); }

int button_colour(std::string_view label) {
  std::string_view key = label.substr(1);
  for (const char* s : {"XeXit", "DDone", "CClose", "FFile", "OOpen"})
    if (key.starts_with(s)) return 31;
  return -3;
}

// The box near the last cursor position, inside the window.
void place(Chooser& ch) {
  const GrComn& c = grcomn;
  const int wx = c.WNDWGR[3], wy = c.WNDWGR[4];
  int px = static_cast<int>(c.XORGGR + c.XCRSGR);
  int py = static_cast<int>(c.YORGGR - c.YCRSGR) - kBoxH / 2;
  ch.left = std::clamp(px, 5, std::max(5, wx - kBoxW - 5));
  ch.top = std::clamp(py, 5, std::max(5, wy - kBoxH - 5));
}

// Layout: the name field and the buttons on top, the path, then the
// columns of entries.
void layout(Chooser& ch) {
  ch.buttons.clear();
  int bx = ch.left + kMargin;
  const int by = ch.top + kMargin + 22;
  for (const char* l : {" OOpen", " <<<", " >>>", " AAll files ", " CCancel"}) {
    std::string_view lv(l);
    if (lv == " AAll files " && ch.filter.empty()) continue;
    Button b{l, bx, by, static_cast<int>(trim_right(lv.substr(2)).size()) * 6 + 12};
    ch.buttons.push_back(b);
    bx += b.w + 4;
  }
}

int field_x(const Chooser& ch) { return ch.left + kMargin + 60; }
int field_y(const Chooser& ch) { return ch.top + kMargin; }
int path_y(const Chooser& ch) { return ch.top + kMargin + 44; }
int entry_y(const Chooser& ch, int row) { return path_y(ch) + kRowHeight + 2 + row * kRowHeight; }
int entry_x(const Chooser& ch, int col) { return ch.left + kMargin + col * kColWidth; }

std::string shown_name(std::string_view n) {
  if (static_cast<int>(n.size()) <= kNameChars) return std::string(n);
  return std::string(n.substr(0, kNameChars - 1)) + "~";
}

void draw(const Chooser& ch) {
  grdump();
  dlg_fill(ch.left, ch.top, kBoxW, kBoxH, -2, 0);
  // The name field.
  dlg_text(ch.left + kMargin, field_y(ch) + 13, "Filename", 0);
  dlg_fill(field_x(ch), field_y(ch), ch.left + kBoxW - kMargin - field_x(ch), 17, -1, -3);
  std::string fn = ch.name;
  const size_t room = static_cast<size_t>((kBoxW - 2 * kMargin - 66) / 6);
  if (fn.size() > room) fn = "~" + fn.substr(fn.size() - room + 1);
  dlg_text(field_x(ch) + 3, field_y(ch) + 13, fn, 0);
  for (const Button& b : ch.buttons) {
    std::string_view l(b.label);
    dlg_button(b.x, b.y, b.w, trim_right(l.substr(2)), button_colour(l), 0, false);
  }
  // The current path: a click on it goes one level up.
  dlg_fill(ch.left + kMargin, path_y(ch), kInnerW, kRowHeight, -1, -3);
  std::string p = ch.dir;
  const size_t proom = static_cast<size_t>(kInnerW / 6 - 4);
  if (p.size() > proom) p = "~" + p.substr(p.size() - proom + 1);
  dlg_text(ch.left + kMargin + 3, path_y(ch) + 12, "^ " + p, 0);
  const int n = static_cast<int>(ch.entries.size());
  for (int col = 0; col < kShownCols; ++col) {
    for (int row = 0; row < kRows; ++row) {
      const int k = (ch.first_col + col) * kRows + row;
      if (k >= n) break;
      const std::string& e = ch.entries[k];
      const int x = entry_x(ch, col), y = entry_y(ch, row);
      const bool is_dir = e[0] == '/';
      if (!is_dir && e == ch.name) dlg_fill(x, y, kColWidth - 2, kRowHeight - 1, 31, 31);
      // Folder mark: a tab over a box; page mark: a sheet with a folded corner.
      if (is_dir) {
        dlg_fill(x + 1, y + 3, 4, 2, 41, 0);
        dlg_fill(x + 1, y + 5, 10, 7, 41, 0);
      } else {
        dlg_fill(x + 2, y + 2, 7, 10, -1, 0);
        grxlin(x + 6, y + 2, x + 9, y + 5);
      }
      dlg_text(x + 14, y + 11, shown_name(is_dir ? std::string_view(e).substr(1) : e), 0);
    }
  }
  dlg_show();
}

// Removes the dialog: the picture beneath shows again.
void erase(const Chooser& ch) {
  dlg_restore(ch.left, ch.top, kBoxW, kBoxH);
  dlg_redraw_messages();
  dlg_show();
}

void relist(Chooser& ch) {
  ch.entries = list_directory(ch.dir, ch.filter);
  ch.first_col = 0;
}

enum class Action { None, Open, Cancel, Left, Right, All, Up, Edit };

Action hit(Chooser& ch, int x, int y) {
  for (const Button& b : ch.buttons) {
    if (x >= b.x && x <= b.x + b.w && y >= b.y && y <= b.y + 17) {
      switch (b.label[1]) {
        case 'O': return Action::Open;
        case '<': return Action::Left;
        case '>': return Action::Right;
        case 'A': return Action::All;
        default: return Action::Cancel;
      }
    }
  }
  if (x >= field_x(ch) && x <= ch.left + kBoxW - kMargin && y >= field_y(ch) &&
      y <= field_y(ch) + 17)
    return Action::Edit;
  const int x0 = ch.left + kMargin;
  if (x < x0 || x >= x0 + kInnerW) return Action::None;
  if (y >= path_y(ch) && y < path_y(ch) + kRowHeight) return Action::Up;
  const int row = (y - entry_y(ch, 0)) / kRowHeight;
  if (y < entry_y(ch, 0) || row >= kRows) return Action::None;
  const int k = (ch.first_col + (x - x0) / kColWidth) * kRows + row;
  if (k >= static_cast<int>(ch.entries.size())) return Action::None;
  const std::string e = ch.entries[k];
  if (e[0] == '/') {
    ch.dir += e.substr(1) + "/";
    relist(ch);
  } else {
    ch.name = e;
  }
  return Action::None;
}

Action key_action(int code) {
  if (code == kKeyReturn) return Action::Open;
  if (code == kKeyEscape) return Action::Cancel;
  if (code == kKeyLeft) return Action::Left;
  if (code == kKeyRight) return Action::Right;
  if (code > 96 && code < 123) code -= 32;
  switch (code) {
    case 'O': return Action::Open;
    case 'C': return Action::Cancel;
    case '<': return Action::Left;
    case '>': return Action::Right;
    case 'A': return Action::All;
    case 'F': return Action::Edit;
    default: return Action::None;
  }
}

// The name the chooser hands back: the directory prefixed when the user
// walked away from the start directory. A name too long for the caller's
// field is tried relative to the working directory; empty when neither fits.
std::string resolved(const Chooser& ch, size_t room) {
  if (ch.dir == ch.start_dir) return ch.name;
  std::string full = ch.name.starts_with("/") ? ch.name : ch.dir + ch.name;
  if (full.size() <= room) return full;
  std::error_code ec;
  std::filesystem::path rel =
      std::filesystem::path(full).lexically_relative(std::filesystem::current_path(ec));
  if (!ec && !rel.empty() && rel.string().size() <= room) return rel.string();
  return {};
}

std::string start_directory(std::span<char> directory) {
  std::string d(view_of(directory));
  if (!d.empty() && d != "./" && d != "." && is_directory(d)) {
    if (d[0] != '/') {
      std::error_code ec;
      std::filesystem::path a = std::filesystem::absolute(d, ec);
      if (!ec) d = a.lexically_normal().string();
    }
  } else if (!g_saved_dir.empty() && is_directory(g_saved_dir)) {
    d = g_saved_dir;
  } else {
    char buf[4096];
    d = getcwd(buf, sizeof buf) ? std::string(buf) : std::string("/");
  }
  if (d.empty()) d = "/";
  if (d.back() != '/') d.push_back('/');
  return d;
}

}  // namespace

std::vector<std::string> list_directory(const std::string& dir, std::string_view filter) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.empty() ? "/" : dir.c_str())) {
    while (const dirent* e = readdir(d)) {
      if (e->d_name[0] == '.') continue;  // hidden entries, "." and ".."
      names.emplace_back(e->d_name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());  // byte order, as in the C locale
  std::vector<std::string> dirs, files;
  std::string base = dir.empty() ? "/" : dir;
  if (base.back() != '/') base.push_back('/');
  for (const std::string& n : names) {
    if (static_cast<int>(dirs.size() + files.size()) >= kMaxEntries) break;
    struct stat st;
    // As "ls -p": a directory is marked, a link is not followed.
    const bool is_dir = ::lstat((base + n).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if (is_dir) {
      dirs.push_back("/" + n);
    } else if (n.back() != '@') {
      std::string_view ext = extension(n);
      if (filter.empty() || (!ext.empty() && filter.find(ext) != std::string_view::npos))
        files.push_back(n);
    }
  }
  dirs.insert(dirs.end(), files.begin(), files.end());
  return dirs;
}

std::string parent_directory(const std::string& dir) {
  if (dir.size() <= 1) return "/";
  size_t end = dir.back() == '/' ? dir.size() - 1 : dir.size();
  size_t slash = dir.rfind('/', end - 1);
  if (slash == std::string::npos) return "/";
  return dir.substr(0, slash + 1);
}

int result_file_code(std::string_view name, int& reclen) {
  reclen = 0;
  std::FILE* f = std::fopen(std::string(name).c_str(), "rb");
  if (!f) return 0;
  int32_t head[2] = {0, 0};
  const size_t got = std::fread(head, sizeof(int32_t), 2, f);
  std::fclose(f);
  if (got != 2) return 0;
  reclen = head[1];
  return head[0];
}

namespace {

// A line of the program's own script queue names the file at once; a file
// that does not exist ends the run.
void queue_answer(std::span<char> name, std::span<char> directory, int& ok) {
  std::string answer;
  dlg_answer(answer, false);
  fassign(directory, "");
  const std::string n(trim_right(answer));
  fassign(name, n);
  if (file_exists(n)) {
    ok = 1;
    return;
  }
  fwrite(kStdout, "(a)", {"grfile: file " + n + " not found"});
  stop_program(kExitInputErrors);
}

// An answer of the script file: the file name, or "ESC" (or nothing) to
// cancel.
void script_answer(Chooser& ch, const std::string& answer, std::span<char> name,
                   std::span<char> directory, int& ok) {
  dlg_script_step();
  erase(ch);
  std::string n(trim_right(answer));
  size_t f = n.find_first_not_of(' ');
  n = f == std::string::npos ? std::string() : n.substr(f);
  if (n == "ESC") n.clear();
  fassign(name, n);
  fassign(directory, ch.dir.substr(0, 256));
  if (n.empty()) return;
  if (n.size() > name.size()) grscript_fail("file name " + n + " too long");
  if (!file_exists(n)) grscript_fail("grfile: file " + n + " not found");
  ok = 1;
}

// Waits for the next event that the chooser answers and returns its action
// (None for a redraw after an expose or a resize).
Action next_action(Chooser& ch) {
  for (;;) {
    int type = 0, x = 0, y = 0, code = 0;
    grxevn(type, x, y, code);
    if (type == kGrxKeyPress) return key_action(code);
    if (type == kGrxButtonPress && (code == kButtonLeft || code == kButtonMiddle)) {
      grcomn.XCRSGR = ux(x);
      grcomn.YCRSGR = uy(y);
      return hit(ch, x, y);
    }
    if (type == kGrxConfigure) {
      grcomn.WNDWGR[3] = x;
      grcomn.WNDWGR[4] = y;
      place(ch);
      layout(ch);
      return Action::None;
    }
    if (type == kGrxExpose) return Action::None;
  }
}

// Closes the chooser with the name (blank: cancelled) and keeps its folder.
void close_with(Chooser& ch, const std::string& n, std::span<char> name,
                std::span<char> directory) {
  erase(ch);
  fassign(name, n);
  fassign(directory, ch.dir.substr(0, 256));
  g_saved_dir = ch.dir;
}

// Carries out one action; true when the chooser is closed.
bool apply(Chooser& ch, Action a, std::span<char> name, std::span<char> directory, int& ok) {
  const int ncols = (static_cast<int>(ch.entries.size()) + kRows - 1) / kRows;
  switch (a) {
    case Action::Up:
      ch.dir = parent_directory(ch.dir);
      relist(ch);
      break;
    case Action::Left: ch.first_col = std::max(0, ch.first_col - kShownCols); break;
    case Action::Right:
      if (ch.first_col + kShownCols < ncols) ch.first_col += kShownCols;
      break;
    case Action::All:
      if (!ch.filter.empty()) {
        ch.filter.clear();
        relist(ch);
        layout(ch);
      }
      break;
    case Action::Edit: {
      FStr<128> buf(ch.name);
      float fx = ux(ch.left + kMargin), fy = uy(field_y(ch) + 17);
      grgstr(fx, fy, "Filename", buf.span(), 0);
      ch.name = buf.str();
      size_t f = ch.name.find_first_not_of(' ');
      ch.name = f == std::string::npos ? std::string() : ch.name.substr(f);
      break;
    }
    case Action::Cancel: close_with(ch, "", name, directory); return true;
    case Action::Open: {
      if (ch.name.empty()) {
        close_with(ch, "", name, directory);
        return true;
      }
      const std::string r = resolved(ch, name.size());
      if (r.empty()) {
        grmesg("File name too long: " + ch.name.substr(0, 32));
      } else if (file_exists(r)) {
        close_with(ch, r, name, directory);
        ok = 1;
        return true;
      } else {
        grmesg("File not found: " + ch.name.substr(0, 32));
      }
      break;
    }
    default: break;
  }
  return false;
}

}  // namespace

void grfile(std::span<char> name, std::span<char> directory, int& ok) {
  ok = 0;
  if (dlg_queue_pending()) {
    queue_answer(name, directory, ok);
    return;
  }
  // The dialog works in pixels from the plot origin; the world mapping
  // returns on every way out.
  struct PixelMode {
    PixelMode() { grclip(0); }
    ~PixelMode() { grclip(1); }
  } pixel_mode;
  Chooser ch;
  ch.dir = start_directory(directory);
  ch.start_dir = ch.dir;
  std::string_view proposal = view_of(name);
  if (is_filter(proposal)) {
    ch.filter = std::string(proposal.substr(0, 20));
  } else {
    ch.name = std::string(proposal);
  }
  relist(ch);
  place(ch);
  layout(ch);
  draw(ch);
  std::string answer;
  if (grscript_next(answer)) {
    script_answer(ch, answer, name, directory, ok);
    return;
  }
  while (!apply(ch, next_action(ch), name, directory, ok)) draw(ch);
}

void gropn(int unit, std::span<char> name, std::span<char> directory, int& mode) {
  if (!directory.empty() && view_of(directory).empty()) fassign(directory, "./");
  for (;;) {
    std::string n(view_of(name));
    if (n.empty() || is_filter(n)) {
      int ok = 0;
      grfile(name, directory, ok);
      n = std::string(view_of(name));
      if (n.empty() || ok == 0) {
        fassign(name, "");
        mode = 0;
        return;
      }
    }
    if (!file_exists(n)) {
      grmesg("File not found: " + n.substr(0, 32));
      // The chooser opens filtered on the missing file's extension.
      fassign(name, extension(n));
      continue;
    }
    if (mode == 0) {
      if (uopen(unit, n, FStatus::Old) != 0) {
        grmesg("Cannot read file: " + n.substr(0, 32));
        fassign(name, extension(n));
        continue;
      }
      urewind(unit);
      grflip();
      return;
    }
    if (mode == 1) {
      int reclen = 0;
      const int code = result_file_code(n, reclen);
      if (code >= -199 && code <= -90 && reclen > 0) {
        // Result files are read by name through their own reader; the
        // record length tells it the layout.
        mode = reclen;
        grflip();
        return;
      }
      grmesg("Wrong file format: " + n.substr(0, 32));
      fassign(name, "");
      continue;
    }
    if (mode == 2) {
      int reclen = 0;
      const int code = result_file_code(n, reclen);
      mode = (code >= -198 && code <= -91) ? 1 : 0;
      return;
    }
    return;
  }
}

}  // namespace riv
