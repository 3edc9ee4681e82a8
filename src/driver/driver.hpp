// The application driver: start-up, run files, command line and exit.
#pragma once
#include <string>
#include <vector>

#include "input/ftext.hpp"

namespace riv {

// The program's own flags (arguments beginning with "--") and the others.
struct CommandLine {
  bool help = false;
  bool check = false;             // read the model, write the listing, exit
  bool headless = false;          // no window
  std::string script;             // file of scripted answers
  std::vector<std::string> args;  // MODEL and "@" option arguments, in order
  std::string error;              // a flag that cannot be understood
};

CommandLine parse_command_line(int argc, char** argv);
// The text of "rivsim --help".
std::string usage_text();

// Input file name of the run ("inx" until the command line names one).
extern FStr<60> filin;

// The main menu; returns when the user chooses File and eXit.
void menu_loop();
// The help screen with the limits of the program (text window, then the
// drawing area cleared), and the short help texts of two menus.
std::vector<FStr<64>> help_lines();
void help();
void section_help();
void branch_help();

// Ties the forms, texts, choices and progress bars of the computations to
// the dialogs of the window.
void install_dialogs();
// Ties the messages, progress bars and file requests of the computations to
// the message line, the progress bar and the file chooser (every run).
void connect_notifications();

// Start-up: limits, listing, the graphics window (not with --check) and the
// title plate, time stamp, file name and options, the section store.
// Returns false when the listing cannot be made.
bool startup(const CommandLine& cl);
// Exit steps: output files flushed, listing closed, store emptied, write
// files closed, the window closed.
void shutdown();

// Runs the program with its command line; returns the exit status.
int rivsim_main(int argc, char** argv);

}  // namespace riv
