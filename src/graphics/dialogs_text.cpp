// The message line as text on the terminal (until the window dialogs).
#include <string>

#include "graphics/dialogs.hpp"
#include "input/fformat.hpp"
#include "input/ftext.hpp"
#include "input/units.hpp"

namespace riv {

void grmesg(std::string_view text) {
  std::string_view t = trim_right(text);
  if (t.empty()) return;
  fwrite(kStdout, "(1x,a)", {t});
}

}  // namespace riv
