// The verification cases; each runs the program's solvers on a case with an
// independent reference and returns its table and figures.
#pragma once
#include "verify/report.hpp"

namespace riv::verify {

Case uniform_and_critical();
Case m1_m2_profiles();
Case weir_heads();
Case hydraulic_jump();
Case macdonald();
Case lateral_distribution();
Case routing_balance_and_wave();
Case level_pool();
Case sediment_balance();
Case mixing_balance();

}  // namespace riv::verify
