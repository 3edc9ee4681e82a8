// The main menu: a row of main buttons with a column of items below each;
// it reads the model when a command needs it and runs the commands.
#include <array>

#include "driver/driver.hpp"
#include "graphics/graphics.hpp"
#include "mixing/mixing.hpp"
#include "model/model.hpp"
#include "routing/routing.hpp"
#include "sections/sections.hpp"
#include "sediment/sediment.hpp"
#include "steady/steady.hpp"

namespace riv {

namespace {

using Item = FStr<18>;
using Items = std::array<Item, 6>;

// Open: with a model loaded the file chooser asks for another one; a
// cancelled choice keeps the model that is loaded.
void open_model() {
  if (creach.ncs > 0) {
    FStr<60> name;
    int mode = 2;
    gropn(cunit.luin, name.span(), cinput.cfilin.span(), mode);
    if (name.blank()) return;
    filin = name;
  }
  inrea(filin);
}

// File: Open, Refresh (read the model again), eXit. Escape or a click
// outside the items changes nothing. Returns true for eXit.
bool file_menu(Items& it, float& x, float& y) {
  it[0] = " OOpen", it[1] = " RRefresh", it[2] = " XeXit";
  if (creach.ncs == 0) it[1](1) = '-';
  int k = 1;
  grcurs(3, it.data(), k, x, y);
  if (k == 1) open_model();
  if (k == 2) inrea(filin);
  return k == 3;
}

void section_menu(Items& it, float& x, float& y) {
  if (creach.ncs == 0) inrea(filin);
  it[0] = " LList", it[1] = " WW_level", it[2] = " VVelocity", it[3] = " LLoad", it[4] = " ??";
  if (creach.ncs == 0) {
    for (int i = 0; i < 5; ++i) it[i](1) = '-';
    grmesg("sections not found");
  }
  int k = 2;
  grcurs(5, it.data(), k, x, y);
  if (k >= 1 && k <= 4) grview_reset();
  switch (k) {
    case 1: clist(); break;
    case 2: discr(); break;
    case 3: velo(); break;
    case 4: bdload(); break;
    case 5: section_help(); break;
    default: break;
  }
}

void branch_menu(Items& it, float& x, float& y) {
  if (creach.nsec == 0) inrea(filin);
  it[0] = " WWaterlevel", it[1] = " TTubes", it[2] = " EEvolution", it[3] = " RRouting",
  it[4] = " MMixing", it[5] = " ??";
  if (creach.nsec == 0) {
    for (int i = 0; i < 5; ++i) it[i](1) = '-';
    grmesg("branch not found");
  }
  if (cmixing.nload == 0) it[4](1) = '-';
  int k = 3;
  grcurs(6, it.data(), k, x, y);
  if (k >= 1 && k <= 5) grview_reset();
  switch (k) {
    case 1: wlevel(1); break;
    case 2: tubes(); break;
    case 3: evol(); break;
    case 4: flow(); break;
    case 5: mix(); break;
    case 6: branch_help(); break;
    default: break;
  }
}

// Back in the main menu nothing of the last command stays on the screen (its
// plot, sub-menus, dialogs, progress bar) but its messages. At start-up only
// the progress bar of the first reading goes; the title plate stays.
void fresh_screen(bool first) {
  if (first) {
    grbeam_off();
    return;
  }
  grcler(0);
  grbeam_off();
  grmesg_show();
}

}  // namespace

void menu_loop() {
  Items it;
  for (bool first = true;; first = false) {
    fresh_screen(first);
    it[0] = " FFile", it[1] = " SSection", it[2] = " BBranch", it[3] = " ??";
    int ich = -1;
    float x = 0, y = 0;
    grcurs(4, it.data(), ich, x, y);
    switch (ich) {
      case 0:
        if (y > 50.0f && y < 100.0f) help();
        break;
      case 1:
        if (file_menu(it, x, y)) return;
        break;
      case 2:
        section_menu(it, x, y);
        break;
      case 3:
        branch_menu(it, x, y);
        break;
      case 4:
        help();
        break;
      default:
        break;
    }
  }
}

}  // namespace riv
