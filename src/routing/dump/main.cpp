// rivsim-dump: prints the records of a routing result file as text.
#include <cstdio>

#include "routing/routing.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: rivsim-dump RESULTFILE\n", stderr);
    return 2;
  }
  for (const std::string& line : riv::read_rxres(argv[1])) std::puts(line.c_str());
  return 0;
}
