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


}  // namespace

void menu_loop() {
  std::array<Item, 6> it;
  for (;;) {
    it[0] = " FFile", it[1] = " SSection", it[2] = " BBranch", it[3] = " ??";
    int ich = -1;
    float x = 0, y = 0;
    grcurs(4, it.data(), ich, x, y);
    switch (ich) {
      case 0:
        if (y > 50.0f && y < 100.0f) help();
        break;
      case 1: {
        it[0] = " OOpen", it[1] = " RRefresh", it[2] = " XeXit";
        if (creach.ncs == 0) it[1](1) = '-';
        int k = 1;
        grcurs(3, it.data(), k, x, y);
        if (k == 3) return;
        if (k == 1 && creach.ncs > 0) filin = "";
        inrea(filin);
        break;
      }
      case 2: {
        if (creach.ncs == 0) inrea(filin);
        it[0] = " LList", it[1] = " WW_level", it[2] = " VVelocity", it[3] = " LLoad",
        it[4] = " ??";
        if (creach.ncs == 0) {
          for (int i = 0; i < 5; ++i) it[i](1) = '-';
          grmesg("sections not found");
        }
        int k = 2;
        grcurs(5, it.data(), k, x, y);
        switch (k) {
          case 1: clist(); break;
          case 2: discr(); break;
          case 3: velo(); break;
          case 4: bdload(); break;
          case 5: section_help(); break;
          default: break;
        }
        break;
      }
      case 3: {
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
        switch (k) {
          case 1: wlevel(1); break;
          case 2: tubes(); break;
          case 3: evol(); break;
          case 4: flow(); break;
          case 5: mix(); break;
          case 6: branch_help(); break;
          default: break;
        }
        break;
      }
      case 4:
        help();
        break;
      default:
        break;
    }
  }
}

}  // namespace riv
