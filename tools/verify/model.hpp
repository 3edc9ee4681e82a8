// Building verification models directly in the model records, the way the
// input reader stores them: sections, branch positions, condition and
// structure records of the common table.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "input/units.hpp"
#include "model/builder.hpp"
#include "model/model.hpp"
#include "steady/steady.hpp"

namespace riv::verify {

// Condition kinds of the common table.
constexpr int kLevel = kTabLevel, kFlow = kTabInflow, kFroude = kTabCritical, kSlope = kTabSlope;

class Model : public ModelBuilder {
 public:
  Model() {
    model_init();
    csstore_clear();
    ccs.ntabv = 40;
    qsv = -9999.0f;
    ccs.tabc(1, 1) = 0.0f;
    ccs.kstl(1) = 30.0f;
  }
  // Weir at position n: crest level, width, discharge coefficient.
  void weir(int n, float crest, float width, float cw) { structure(n, kTabWeir, crest, width, cw); }
  // Runs the backwater solver; true on success.
  static bool backwater() {
    int ierr = -1;
    bkwat(ierr, 0);
    return ierr == 0;
  }
  static float depth(int n) { return creach.zwl(n) - creach.zbed(n); }
};

}  // namespace riv::verify
