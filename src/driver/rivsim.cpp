// Start-up and exit of an interactive run.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver/driver.hpp"
#include "graphics/graphics.hpp"
#include "input/input.hpp"
#include "model/model.hpp"
#ifdef RIVSIM_HAVE_X11
#include "x11/x11.hpp"
#endif

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
  return "usage: rivsim [--headless] [--script FILE] [MODEL] [@option,...]\n"
         "       rivsim --check [MODEL] [@option,...]\n"
         "  MODEL            model input file (default inx)\n"
         "  @a,b             input options: switch on the conditional lines naming a or b\n"
         "  --headless       run without a window (the answers come from --script)\n"
         "  --script FILE    take the answers to menus and dialogs from FILE, one per\n"
         "                   line: a menu answer is its hot key, a form answer a field\n"
         "                   line, the file chooser takes a file name, the list chooser\n"
         "                   an item number, a text window the name of a file to save\n"
         "                   the text to. With a window the user takes over when the\n"
         "                   script ends; without one the run ends with status 3.\n"
         "  --check          read the model, write the listing \"out\" and exit\n"
         "                   (status 0 without errors, 2 when the reading had errors)\n"
         "  --help           this text\n"
         "Exit status: 0 after File/eXit, 1 no display, 2 input errors, a model that\n"
         "lost data in the reading, a bad command line or another run in this folder,\n"
         "3 the script ended while the program waited for input, 4 an output file\n"
         "could not be written, 128 + signal after SIGTERM, SIGINT or SIGHUP.\n";
}

namespace {

bool g_shut_down = false;  // the exit steps of this run are done
int g_lock = -1;           // the listing, locked for the whole run

// Two runs in one folder would write over each other's listing and output
// files: the listing "out" is locked (advisory) before any file is touched,
// and a second run stops at once.
bool lock_folder() {
  if (g_lock >= 0) ::close(g_lock);
  g_lock = ::open("out", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (g_lock < 0) return true;  // no listing can be made: said when it is opened
  if (::flock(g_lock, LOCK_EX | LOCK_NB) == 0) return true;
  ::close(g_lock);
  g_lock = -1;
  std::fputs("rivsim: another run is using this folder (its listing out is locked)\n", stderr);
  return false;
}

void unlock_folder() {
  if (g_lock >= 0) ::close(g_lock);
  g_lock = -1;
}

void close_write_files() {
  for (int k = 1; k <= cbedevol.nwrite && k <= mxwrite; ++k) uclose(70 + k);
}

}  // namespace

bool startup(const CommandLine& cl) {
  g_shut_down = false;
  connect_notifications();
  cunit.maxsec = 1024;
  if (!lock_folder()) return false;
  stop_on_signals();
  if (uopen(cunit.lulst, "out", FStatus::Replace) != 0) {
    std::fputs("rivsim: cannot create the listing file out\n", stderr);
    return false;
  }
  std::string id = "RIVSIM_2.2";
  id.push_back('\0');
  cinput.progid = id;
  if (!cl.check) {
    grinit(5, cunit.lulst, cinput.progid.view(), "out", 0);
    // Every way out of the program closes the window (and keeps the settings);
    // a signal leaves the display alone, the process end closes it.
    at_program_end([] {
      if (stop_signal() == 0) grclos();
    });
  }
  iicls();
  if (!cl.check) {
    static const FStr<60> plate[3] = {
        "RIVSIM 2.2",
        "one-dimensional hydraulics of rivers and river reaches",
        "water levels, stream tubes, bed evolution, routing, mixing",
    };
    grplate(plate, 3, -3);
    install_dialogs();
  }
  FStr<20> stamp;
  iitim(stamp);
  cinput.ctime = stamp.sub(1, 16);
  std::vector<char*> argv;
  static char prog[] = "rivsim";
  argv.push_back(prog);
  for (const std::string& a : cl.args) argv.push_back(const_cast<char*>(a.c_str()));
  set_command_line(static_cast<int>(argv.size()), argv.data());
  // An "@" argument carries options; it is never taken for the model name.
  if (!cl.args.empty() && !cl.args[0].starts_with("@"))
    filin = std::string_view(cl.args[0]).substr(0, 60);
  iilabl(0, "@");
  csstore_clear();
  // Every way out of the program, also an abort after input errors, ends
  // the output files and closes the run files.
  at_program_end(shutdown);
  return true;
}

void shutdown() {
  if (g_shut_down) return;
  g_shut_down = true;
  iiwrite(-1, cinput.cline.view(), cunit.lulst);
  uendline(cunit.lulst);
  uclose(cunit.lulst);
  csstore_clear();
  close_write_files();
  unlock_folder();
}

// The status of a run that went through its exit steps: a file that could
// not be written whole turns success into failure.
static int final_status(int status) {
  if (status == kExitOk && !uwrite_failures().empty()) return kExitWriteFailed;
  return status;
}

int rivsim_main(int argc, char** argv) {
  CommandLine cl = parse_command_line(argc, argv);
  if (!cl.error.empty()) {
    std::fprintf(stderr, "rivsim: %s\n%s", cl.error.c_str(), usage_text().c_str());
    return kExitInputErrors;
  }
  if (cl.help) {
    std::fputs(usage_text().c_str(), stdout);
    return kExitOk;
  }
  const bool named = !cl.args.empty() && !cl.args[0].starts_with("@");
  if (cl.check) {
    if (!startup(cl)) return kExitInputErrors;
    // Read the model, leave the listing, and say whether the input is sound
    // (a reading with errors ends through the diagnostics with status 2).
    // Without a window there is no one to choose another file.
    if (!file_exists(filin.trimmed())) {
      std::fprintf(stderr, "rivsim: file not found: %s\n", filin.str().c_str());
      run_end_hooks();
      return kExitInputErrors;
    }
    // A check reads, it does not run: no output file is emptied or written.
    iiwrite_dry(true);
    inrea(filin);
    int status = iierr_errors() > 0 ? kExitInputErrors : kExitOk;
    std::string why;
    if (inrea_lost(&why) > 0) {
      std::fprintf(stderr, "rivsim: the model lost data in the reading: %s\n", why.c_str());
      status = kExitInputErrors;
    }
    run_end_hooks();
    iiwrite_dry(false);
    return final_status(status);
  }
  if (!cl.script.empty() && !grscript_file(cl.script)) {
    std::fprintf(stderr, "rivsim: cannot read the script file %s\n", cl.script.c_str());
    return kExitInputErrors;
  }
  if (cl.headless) {
    grx_use_headless();
  } else {
#ifdef RIVSIM_HAVE_X11
    grx_install_x11();
#else
    grx_use_headless();
#endif
  }
  if (!startup(cl)) return kExitInputErrors;
  if (named) inrea(filin);
  menu_loop();
  run_end_hooks();
  return final_status(kExitOk);
}

}  // namespace riv
