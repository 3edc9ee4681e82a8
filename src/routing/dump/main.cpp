// rivsim-dump: prints the records of a routing result file as text.
// Failures go to standard error with status 1: a name that is no regular
// file (a device, a pipe, a folder), a file whose size is no whole number of
// its records, a file that is no routing result file. A file without its two
// end markers (a run that stopped while writing it) is listed as far as it
// goes and then said to be incomplete, also with status 1.
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "routing/routing.hpp"

namespace {

int fail(const std::string& path, const std::string& why) {
  std::fprintf(stderr, "rivsim-dump: %s: %s\n", path.c_str(), why.c_str());
  return 1;
}

// The record length the file's header gives, checked against its size;
// 0 with the reason in `why` when the file cannot be a result file.
long long record_length(const std::string& path, long long size, std::string& why) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    why = std::strerror(errno);
    return 0;
  }
  int32_t head[3] = {0, 0, 0};
  const size_t got = std::fread(head, 4, 3, f);
  std::fclose(f);
  if (got != 3 || head[0] != riv::kRxresTag) {
    why = "not a routing result file";
    return 0;
  }
  const long long recl = head[1];
  if (recl < 165 || size % recl != 0 || size < 3 * recl) {
    why = "size " + std::to_string(size) + " does not fit records of " + std::to_string(recl) +
          " bytes";
    return 0;
  }
  return recl;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: rivsim-dump RESULTFILE\n", stderr);
    return 2;
  }
  const std::string path = argv[1];
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return fail(path, std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return fail(path, "not a regular file");
  std::string why;
  if (record_length(path, static_cast<long long>(st.st_size), why) == 0) return fail(path, why);
  riv::RxresData d;
  why = riv::read_rxres(path, d);
  if (!why.empty()) return fail(path, why);
  for (const std::string& line : riv::read_rxres(path)) std::puts(line.c_str());
  if (std::fflush(stdout) != 0 || std::ferror(stdout))
    return fail("standard output", std::strerror(errno));
  if (d.end_markers < 2)
    return fail(path, "end markers missing: the file ends after record " +
                          std::to_string(d.states.empty() ? 3 : d.states.back().record) +
                          " (the run did not finish writing it)");
  return 0;
}
