// Opening a named file without the chooser dialog: a missing file is
// reported and left unopened.
#include <string>

#include "graphics/dialogs.hpp"
#include "input/ftext.hpp"
#include "input/units.hpp"

namespace riv {

void gropn(int unit, std::span<char> name, std::span<char> directory, int& mode) {
  if (directory.size() && directory[0] == ' ') fassign(directory, "./");
  std::string_view n = trim_right(std::string_view(name.data(), name.size()));
  if (n.empty() || n[0] == '.' || !file_exists(n)) {
    if (!n.empty()) grmesg("File not found: " + std::string(n.substr(0, 32)));
    fassign(name, "");
    mode = 0;
    return;
  }
  if (mode == 0) {
    if (uopen(unit, n, FStatus::Old) != 0) {
      grmesg("File not found: " + std::string(n.substr(0, 32)));
      fassign(name, "");
    }
    return;
  }
}

}  // namespace riv
