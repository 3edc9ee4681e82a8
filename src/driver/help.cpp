// The help screen with the limits of the program, and the short help texts
// of the Section and Branch menus.
#include <array>

#include "driver/driver.hpp"
#include "graphics/graphics.hpp"
#include "input/fformat.hpp"
#include "model/model.hpp"

namespace riv {

namespace {

// One formatted line without its line end.
FStr<64> line(std::string_view format, int value) {
  std::string s = fformat(format, {value});
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return FStr<64>(s);
}

}  // namespace

std::vector<FStr<64>> help_lines() {
  std::vector<FStr<64>> l;
  for (const char* s : {
           "RIVSIM  is a program to estimate uniform and non-uniform",
           "------  flows in river sections and reaches.",
           "",
           "The following options are available:",
           "File",
           "  Refresh  reads again from the input file.",
           "  Exit     terminates program",
           "Section    cross-section calculation",
           "Branch     calculations in river branches",
           "",
           "The geometry of the cross-sections and the topology of",
           "the reach have to be specified in two separate files",
           "(see the README file for the syntax).",
           "Default names of these files are <section> and <reach>,",
           "respectively.",
           "",
           "Limits of this program version:",
           "",
       })
    l.emplace_back(s);
  l.push_back(line("(' -sections on list:    ',i5)", mxlist));
  l.push_back(line("(' -sections in branch:  ',i5)", cunit.maxsec));
  l.push_back(line("(' -points in section:   ',i5)", mxpt));
  l.push_back(line("(' -stream tubes:        ',i5)", mxtube));
  l.push_back(line("(' -table values:        ',i5)", mxtabv));
  l.push_back(line("(' -size of common table:',i5)", mxtabc));
  return l;
}

void help() {
  const std::vector<FStr<64>> l = help_lines();
  grtext(static_cast<int>(l.size()), l.data());
  grcler(0);
}

void section_help() {
  static const std::array<FStr<60>, 6> l = {
      "Section options:",
      " List       gives a list of the stored sections.",
      " Waterlevel estimates level or discharge.",
      " Velocity   estimates velocity distribution.",
      " LLoad      estimates sediment load for given",
      "            time period.",
  };
  grtext(static_cast<int>(l.size()), l.data());
}

void branch_help() {
  static const std::array<FStr<60>, 9> l = {
      "Branch options:",
      " Waterlevel performs backwater calculation",
      " Tubes      calculates streamtubes values of",
      "            bedlevel and flow variables",
      " Evolution  mobile bed calculation based on",
      "            steady flow",
      " Routing    flood routing with BOX method",
      " Mixing     estimates longitudinal and lateral",
      "            mixing with streamtube method",
  };
  grtext(static_cast<int>(l.size()), l.data());
}

}  // namespace riv
