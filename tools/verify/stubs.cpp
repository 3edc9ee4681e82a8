#include "verify/cases.hpp"
namespace riv::verify {
Case routing_balance_and_wave() { return {}; }
Case level_pool() { return {}; }
Case sediment_balance() { return {}; }
Case mixing_balance() { return {}; }
}
