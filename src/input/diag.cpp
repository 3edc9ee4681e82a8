// Warnings, errors and fatal errors: boxed in the listing, counted, and
// summarised at the end of a reading of the input.
#include "input/input.hpp"
#include "input/notify.hpp"

namespace riv {
namespace {
int nwrn = 0;
int nerr = 0;

void box(int lu, std::string_view head, std::string_view message) {
  std::string f = "(/,'***********************************************',/,'";
  f += head;
  f += "',a,/,'***********************************************',/)";
  fwrite(lu, f, {message});
}
}  // namespace

int iierr_warnings() { return nwrn; }
int iierr_errors() { return nerr; }

int iierr(int level, std::string_view message, int lu) {
  // A recorded warning or error is said again as such (counted again).
  struct Recorded {
    bool on;
    ~Recorded() {
      if (on) said_end_error();
    }
  } recorded{level > 0 && said_error(level, message, lu)};
  switch (level) {
    case 0: {
      if (nwrn + nerr > 0)
        fwrite(kStdout, "(/,' >>warnings',i4,', errors',i3,' ->check output listing',/)",
               {nwrn, nerr});
      bool failed = nerr > 0;
      nwrn = 0;
      nerr = 0;
      // A reading with errors ends the run; it is reported as a failure.
      if (failed) stop_program(kExitInputErrors);
      return 0;
    }
    case 1:
      ++nwrn;
      box(lu, "**warning: ", message);
      return nwrn;
    case 2:
      ++nerr;
      box(lu, "**error: ", message);
      if (nerr > 10) {
        fwritel(kStdout, {">>program aborted after 10 errors"});
        stop_program(kExitInputErrors);
      }
      return nerr;
    case 3:
      box(lu, "**fatal error: ", message);
      fwritel(kStdout, {"***fatal error detected"});
      stop_program(kExitInputErrors);
    default: return 0;
  }
}

}  // namespace riv
