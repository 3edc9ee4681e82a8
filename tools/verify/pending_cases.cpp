// Cases that wait for a solver the program does not have yet.
#include "verify/cases.hpp"

namespace riv::verify {

Case level_pool() {
  Case k;
  k.title = "Level-pool routing behind a weir";
  k.text =
      "A flood routed through a wide, deep pool behind a weir attenuates as level-pool\n"
      "(storage) routing predicts: dS/dt = I - O(h) with the weir law for the outflow.\n"
      "Pending: the routing step does not yet take weirs, gates and culverts inside the branch.";
  Row r;
  r.what = "peak outflow and its time against level-pool routing";
  r.pending = true;
  k.rows.push_back(r);
  return k;
}

}  // namespace riv::verify
