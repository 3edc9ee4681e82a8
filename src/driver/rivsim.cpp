// Start-up and exit of an interactive run.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/driver.hpp"
#include "input/input.hpp"
#include "model/model.hpp"

namespace riv {

FStr<60> filin("inx");

CommandLine parse_command_line(int argc, char** argv) {
  CommandLine cl;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--", 0) != 0) {
      cl.args.push_back(a);
    } else if (a == "--help") {
      cl.help = true;
    } else if (a == "--check") {
      cl.check = true;
    } else if (a == "--headless") {
      cl.headless = true;
    } else if (a == "--script") {
      if (i + 1 >= argc) {
        cl.error = "--script needs a file name";
        break;
      }
      cl.script = argv[++i];
    } else {
      cl.error = "unknown flag " + a;
      break;
    }
  }
  return cl;
}

std::string usage_text() {
  return "usage: rivsim [--check] [--headless] [--script FILE] [MODEL] [@option,...]\n"
         "  MODEL            model input file (default inx)\n"
         "  @a,b             input options: switch on the conditional lines naming a or b\n"
         "  --check          read the model, write the listing \"out\" and exit\n"
         "                   (status 0 without errors, 2 when the reading had errors)\n"
         "  --headless       run without a window\n"
         "  --script FILE    take the answers to menus and dialogs from FILE\n"
         "  --help           this text\n";
}

namespace {

void close_write_files() {
  for (int k = 1; k <= cbedevol.nwrite && k <= mxwrite; ++k) uclose(70 + k);
}

}  // namespace

bool startup(const CommandLine& cl) {
  cunit.maxsec = 1024;
  if (uopen(cunit.lulst, "out", FStatus::Replace) != 0) {
    std::fputs("rivsim: cannot create the listing file out\n", stderr);
    return false;
  }
  std::string id = "RIVSIM_2.2";
  id.push_back('\0');
  cinput.progid = id;
  iicls();
  FStr<20> stamp;
  iitim(stamp);
  cinput.ctime = stamp.sub(1, 16);
  std::vector<char*> argv;
  static char prog[] = "rivsim";
  argv.push_back(prog);
  for (const std::string& a : cl.args) argv.push_back(const_cast<char*>(a.c_str()));
  set_command_line(static_cast<int>(argv.size()), argv.data());
  if (!cl.args.empty()) filin = std::string_view(cl.args[0]).substr(0, 60);
  iilabl(0, "@");
  csstore_clear();
  // Every way out of the program, also an abort after input errors, ends
  // the output files and closes the run files.
  at_program_end(shutdown);
  return true;
}

void shutdown() {
  static bool done = false;
  if (done) return;
  done = true;
  iiwrite(-1, cinput.cline.view(), cunit.lulst);
  uendline(cunit.lulst);
  uclose(cunit.lulst);
  csstore_clear();
  close_write_files();
}

int rivsim_main(int argc, char** argv) {
  CommandLine cl = parse_command_line(argc, argv);
  if (!cl.error.empty()) {
    std::fprintf(stderr, "rivsim: %s\n%s", cl.error.c_str(), usage_text().c_str());
    return 2;
  }
  if (cl.help) {
    std::fputs(usage_text().c_str(), stdout);
    return 0;
  }
  if (!startup(cl)) return 2;
  if (cl.check) {
    // Read the model, leave the listing, and say whether the input is sound
    // (a reading with errors ends through the diagnostics with status 2).
    inrea(filin);
    const int status = iierr_errors() > 0 ? kExitInputErrors : kExitOk;
    run_end_hooks();
    return status;
  }
  if (!cl.args.empty() && !cl.args[0].starts_with("@")) inrea(filin);
  fwritel(kStdout, {"interactive menu not available yet"});
  run_end_hooks();
  return 0;
}

}  // namespace riv
