// Sediment transport: the bed-load capacity of the section evaluated last.
#pragma once

namespace riv {

// Bed-load transport capacity per unit width (m2/s, solid volume without
// pores) of the section whose area and conveyance were computed last, at
// energy slope s and bed slope sb (positive when the bed falls downstream),
// with the grain sizes d30def, dmdef, d90def of `cbedevol`. iform 1: the
// excess-shear formula; any other code: the steep-slope formula. iarm
// returns 1 when the bed is armoured (grain Shields value at or below the
// armouring threshold). Leaves the grain Shields value in `shld` and the
// threshold in `shlda`.
float qbprof(float s, float sb, int iform, int& iarm);

}  // namespace riv
