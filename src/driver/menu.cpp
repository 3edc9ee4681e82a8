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

// Answers of the menus: the position of the chosen item (0 for a click
// outside the items).
enum MainItem { kMainOutside = 0, kMainFile, kMainSection, kMainBranch, kMainHelp };
enum FileItem { kFileOpen = 1, kFileRefresh, kFileExit };
enum SectionItem { kSecList = 1, kSecWLevel, kSecVelocity, kSecLoad, kSecHelp };
enum BranchItem { kBrWaterlevel = 1, kBrTubes, kBrEvolution, kBrRouting, kBrMixing, kBrHelp };

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
  if (k == kFileOpen) open_model();
  if (k == kFileRefresh) inrea(filin);
  return k == kFileExit;
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
  if (k >= kSecList && k <= kSecLoad) grview_reset();
  switch (k) {
    case kSecList: clist(); break;
    case kSecWLevel: discr(); break;
    case kSecVelocity: velo(); break;
    case kSecLoad: bdload(); break;
    case kSecHelp: section_help(); break;
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
  if (k >= kBrWaterlevel && k <= kBrMixing) grview_reset();
  switch (k) {
    case kBrWaterlevel: wlevel(1); break;
    case kBrTubes: tubes(); break;
    case kBrEvolution: evol(); break;
    case kBrRouting: flow(); break;
    case kBrMixing: mix(); break;
    case kBrHelp: branch_help(); break;
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
      case kMainOutside:
        if (y > 50.0f && y < 100.0f) help();
        break;
      case kMainFile:
        if (file_menu(it, x, y)) return;
        break;
      case kMainSection: section_menu(it, x, y); break;
      case kMainBranch: branch_menu(it, x, y); break;
      case kMainHelp: help(); break;
      default: break;
    }
  }
}

}  // namespace riv
