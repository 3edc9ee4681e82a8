// The notifications of the computations and their terminal defaults.
#include "input/notify.hpp"

#include <algorithm>
#include <string>

#include "input/fformat.hpp"
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

}  // namespace

void set_notifier(const Notifier& n) {
  g_notifier.message = n.message ? n.message : terminal_message;
  g_notifier.progress = n.progress ? n.progress : no_progress;
  g_notifier.open_file = n.open_file ? n.open_file : open_by_name;
}

void iimesg(std::string_view text) { g_notifier.message(text); }
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
