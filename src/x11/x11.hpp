// The Xlib display driver. Only built where X11 is found (RIVSIM_HAVE_X11).
#pragma once

namespace riv {

// Makes the Xlib driver the one the graphics library draws with. Call it at
// start-up before grinit; without it the headless driver is used.
void grx_install_x11();

}  // namespace riv
