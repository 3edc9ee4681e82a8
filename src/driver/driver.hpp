// The application driver: start-up, run files, command line and exit.
#pragma once

namespace riv {

// Runs the program with its command line; returns the exit status.
int rivsim_main(int argc, char** argv);

}  // namespace riv
