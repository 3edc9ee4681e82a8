// The notifications of the computations and their terminal defaults.
#include "input/notify.hpp"

#include <algorithm>
#include <string>

#include "input/fformat.hpp"
#include "input/input.hpp"
#include "input/ftext.hpp"
#include "input/units.hpp"

namespace riv {

namespace {

void terminal_message(std::string_view text) {
  const std::string_view t = trim_right(text.substr(0, std::min<size_t>(text.size(), 100)));
  if (!t.empty()) fwrite(kStdout, "(1x,a)", {t});
}

void no_progress(int, int, std::string_view) {}

void open_by_name(int unit, std::span<char> name, std::span<char>, int& mode) {
  const std::string n(trim_right({name.data(), name.size()}));
  if (!n.empty() && file_exists(n) && mode == 0 && uopen(unit, n, FStatus::Old) == 0) {
    urewind(unit);
    return;
  }
  if (!n.empty() && mode == 0) terminal_message("File not found: " + n.substr(0, 32));
  fassign(name, "");
  mode = 0;
}

Notifier g_notifier{terminal_message, no_progress, open_by_name};

Said* g_said = nullptr;  // the recording, if one is on
int g_inside = 0;        // depth of recorded messages and errors being said

}  // namespace

void said_record(Said* s) {
  g_said = s;
  g_inside = 0;
}

void said_write(int unit, std::string_view text, size_t pending) {
  if (g_said && g_inside == 0)
    g_said->push_back({SaidEvent::kWrite, unit, 0, pending, std::string(text)});
}

bool said_error(int level, std::string_view text, int unit) {
  if (!g_said) return false;
  if (g_inside == 0) g_said->push_back({SaidEvent::kError, unit, level, 0, std::string(text)});
  ++g_inside;
  return true;
}

void said_end_error() {
  if (g_said && g_inside > 0) --g_inside;
}

void said_again(const Said& s) {
  for (const SaidEvent& e : s) {
    switch (e.kind) {
      case SaidEvent::kWrite: uwrite(e.unit, e.text, e.pending); break;
      case SaidEvent::kMessage: iimesg(e.text); break;
      case SaidEvent::kError: iierr(e.level, e.text, e.unit); break;
    }
  }
}

void set_notifier(const Notifier& n) {
  g_notifier.message = n.message ? n.message : terminal_message;
  g_notifier.progress = n.progress ? n.progress : no_progress;
  g_notifier.open_file = n.open_file ? n.open_file : open_by_name;
}

void iimesg(std::string_view text) {
  if (!g_said) {
    g_notifier.message(text);
    return;
  }
  if (g_inside == 0) g_said->push_back({SaidEvent::kMessage, 0, 0, 0, std::string(text)});
  ++g_inside;
  g_notifier.message(text);
  --g_inside;
}
void iibeam(int i, int n, std::string_view text) { g_notifier.progress(i, n, text); }
void iiopn(int unit, std::span<char> name, std::span<char> directory, int& mode) {
  g_notifier.open_file(unit, name, directory, mode);
}

bool iiguard(std::string_view name) {
  const std::string_view n = trim_right(name);
  if (!uprotected(n)) return false;
  iimesg("File of the model, not overwritten: " + std::string(n));
  return true;
}

}  // namespace riv
