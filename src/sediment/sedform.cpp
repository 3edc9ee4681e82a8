// Reading the values typed into the forms of the sediment tools.
#include <cmath>

#include "input/notify.hpp"
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
  if (fread_list(value(i).view(), {r}) != 0 || !std::isfinite(r)) {
    // The message line names the field: its label without the prompt sign
    // and with single blanks.
    std::string name;
    for (char ch : label(i).view())
      if (ch != '>' && !(ch == ' ' && (name.empty() || name.back() == ' '))) name += ch;
    while (!name.empty() && name.back() == ' ') name.pop_back();
    iimesg(name + ": \"" + std::string(text(i)).substr(0, len_trim(text(i))) +
           "\" is not a number");
    return false;
  }
  v = r;
  return true;
}

}  // namespace riv
