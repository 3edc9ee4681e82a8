// The script queue (lines the program queues to answer its own dialogs) and
// the script file of answers given on the command line.
#include <algorithm>
#include <string>
#include <vector>

#include "graphics/dlglocal.hpp"
#include "graphics/graphics.hpp"
#include "input/fformat.hpp"
#include "input/stop.hpp"
#include "input/units.hpp"

namespace riv {

namespace {

constexpr int kScriptUnit = 99;        // the script file
constexpr size_t kAnswerLength = 128;  // longest answer line

struct ScriptFile {
  bool open = false;
  std::string name;
  int line_no = 0;  // number of the last line read
};
ScriptFile g_file;

}  // namespace

void grscpt_raw(int n, const char* lines, int len) {
  GrComn& c = grcomn;
  n = std::clamp(n, 0, kScriptLines);
  std::vector<FStr<16>> queue;
  for (int i = 0; i < n; ++i)
    queue.emplace_back(std::string_view(lines + static_cast<size_t>(i) * len, len));
  // Lines of an earlier script still pending follow the new ones.
  for (int i = std::max(c.ISCRGR, 0) + 1; i <= std::min(c.NSCRGR, kScriptLines); ++i)
    queue.push_back(grcomt.SCRPGR[i]);
  c.NSCRGR = std::min(static_cast<int>(queue.size()), kScriptLines);
  c.ISCRGR = 0;
  for (int i = 0; i < c.NSCRGR; ++i) grcomt.SCRPGR[i + 1] = queue[i];
}

void grscpt(const std::vector<std::string>& lines) {
  std::vector<FStr<16>> v(lines.begin(), lines.end());
  if (v.empty()) {
    FStr<16> none;
    grscpt_raw(0, none.c, 16);
    return;
  }
  grscpt_raw(static_cast<int>(v.size()), v[0].c, 16);
}

bool dlg_queue_pending() {
  const GrComn& c = grcomn;
  return c.ISCRGR >= 0 && c.ISCRGR < std::min(c.NSCRGR, kScriptLines);
}

DlgSource dlg_answer(std::string& line, bool file_ok) {
  GrComn& c = grcomn;
  if (dlg_queue_pending()) {
    ++c.ISCRGR;
    line = std::string(grcomt.SCRPGR[c.ISCRGR].view());
    return DlgSource::Queue;
  }
  if (file_ok && grscript_next(line)) return DlgSource::File;
  return DlgSource::None;
}

void dlg_queue_fail(std::string_view message) {
  fwrite(kStderr, "(a)", {message});
  stop_program(kExitInputErrors);
}

bool grscript_file(const std::string& path) {
  grscript_close();
  if (uopen(kScriptUnit, path, FStatus::Old) != 0) return false;
  g_file.open = true;
  g_file.name = path;
  g_file.line_no = 0;
  return true;
}

void grscript_close() {
  if (g_file.open) uclose(kScriptUnit);
  g_file.open = false;
}

bool grscript_active() { return g_file.open; }

bool grscript_next(std::string& line) {
  while (g_file.open) {
    std::string s;
    if (uread(kScriptUnit, s) != 0) {
      // Used up: from here on the user answers (or, without a display, the
      // next wait ends the run).
      grscript_close();
      return false;
    }
    ++g_file.line_no;
    if (!s.empty() && s.back() == '\r') s.pop_back();
    if (!s.empty() && s[0] == '#') continue;
    if (s.size() > kAnswerLength) grscript_fail("longer than 128 characters");
    line = s;
    return true;
  }
  return false;
}

void grscript_fail(std::string_view what) {
  std::string msg = "script file " + g_file.name + " line " + std::to_string(g_file.line_no) +
                    ": " + std::string(what);
  fwrite(kStderr, "(a)", {msg});
  stop_program(kExitInputErrors);
}

void dlg_script_step() {
  if (grx_headless_running() || !grx_is_open()) return;
  dlg_show();
  grxslp(3);
}

}  // namespace riv
