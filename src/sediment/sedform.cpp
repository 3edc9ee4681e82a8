// Reading the values typed into the forms of the sediment tools.
#include <cmath>

#include "input/freeread.hpp"
#include "sediment/sediment.hpp"

namespace riv {

std::string_view SedForm::text(int i) const {
  std::string_view s = value(i).view();
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

bool SedForm::number(int i, float& v) const {
  float r = v;
  if (fread_list(value(i).view(), {r}) != 0 || !std::isfinite(r)) return false;
  v = r;
  return true;
}

}  // namespace riv
