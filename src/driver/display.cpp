// The computations show their forms, texts, choices, progress and pictures
// through hooks; here they are tied to the dialogs and viewers of the window.
#include "driver/driver.hpp"
#include "graphics/dialogs.hpp"
#include "graphics/graphics.hpp"
#include "input/notify.hpp"
#include "mixing/mixing.hpp"
#include "routing/routing.hpp"
#include "sediment/sediment.hpp"

namespace riv {

void connect_notifications() { set_notifier({grmesg, grbeam, gropn}); }

void install_dialogs() {
  sediment_gui_install();
  routing_gui_install();
  mixing_gui_install();
}

}  // namespace riv
