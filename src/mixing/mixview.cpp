// The window side of the stream tubes and the mixing run: the tube count
// and the quantity are asked in dialogs, the mixing run shows its progress
// bar, and the tube plan is shown in the contour viewer.
#include <algorithm>
#include <vector>

#include "graphics/graphics.hpp"
#include "mixing/mixing.hpp"

namespace riv {

namespace {

// The plan view: the viewer may change node values (Alter), so it works on
// a copy and the tube results of the run stay as computed.
void show_plan(const PlanView& v) {
  if (!v.x || !v.y || !v.z || v.nx < 1 || v.ny < 1 || v.ldx < v.nx) return;
  const size_t n = static_cast<size_t>(v.ny - 1) * v.ldx + v.nx;
  std::vector<float> z(v.z, v.z + n);
  FStr<240> titles(v.title);
  grcont(v.x, v.y, z.data(), v.nx, v.ny, v.ldx, titles, v.kplot, v.nodata);
}

}  // namespace

void mixing_gui_install() {
  MixDisplay& m = mix_display();
  m.ask_int = [](std::string_view prompt, int& value) { grinpi(prompt, value, 1); };
  m.choose = [](std::span<const FStr<32>> items, std::string_view title) {
    int choice = 0;
    grchoice(static_cast<int>(items.size()), items.data(), title, choice);
    return choice;
  };
  m.progress = [](int k, int n, std::string_view text) { grbeam(k, n, text); };
  m.show_plan = show_plan;
}

}  // namespace riv
