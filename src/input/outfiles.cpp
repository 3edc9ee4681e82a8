// Output files named on input lines with ">": their lines are collected in
// memory and appended in batches of 100, so a long run keeps no file open.
// A file is emptied by its first batch, not when it is named, so a reading
// that only checks the model leaves every file as it was.
#include <ctime>

#include "input/input.hpp"

namespace riv {
namespace {

constexpr int kMaxFiles = 100;
constexpr int kBatch = 100;
constexpr int kUnit = 19;

int nfile = 0;
FStr<128> filnam[kMaxFiles];
int nbuf[kMaxFiles];
bool fresh[kMaxFiles];  // not yet written in this run: the first batch replaces it
FStr<128> cbuf[kMaxFiles][kBatch];
bool g_dry = false;  // entries only, nothing written

// Appends the waiting lines of file f (0-based) and empties its buffer. When
// the file cannot be opened or written the batch is dropped (the buffer has
// no room to keep it) and the failure is told on standard error.
void write_batch(int f) {
  const std::string_view name = filnam[f].trimmed();
  if (g_dry) {
    nbuf[f] = 0;
    return;
  }
  if (uprotected(name)) {
    fwrite(kStderr, "(' >not written (an input file or the listing): ',a)", {name});
  } else if (uopen(kUnit, name, fresh[f] ? FStatus::Replace : FStatus::Unknown, !fresh[f]) == 0) {
    fresh[f] = false;
    for (int i = 0; i < nbuf[f]; ++i) fwrite(kUnit, "(a)", {cbuf[f][i].trimmed()});
    uclose(kUnit);
  } else {
    fwrite(kStderr, "(' >cannot open ''',a,'''')", {name});
  }
  nbuf[f] = 0;
}

void store(int f, std::string_view line) {
  cbuf[f][nbuf[f]] = line;
  ++nbuf[f];
}

}  // namespace

int iiwrite_nfile() { return nfile; }

void iiwrite_dry(bool dry) { g_dry = dry; }

int iiwrite(int ifile, std::string_view line, int lulst) {
  if (line.size() > 128) line = line.substr(0, 128);
  if (ifile == 0) {
    size_t gt = line.rfind('>');
    if (gt == std::string_view::npos) return 0;
    size_t p = gt + 1;
    while (p < line.size() && line[p] == ' ') ++p;
    FStr<128> name;
    fread_list(line.substr(p), {name});
    if (name.blank()) return -1;
    if (nfile == kMaxFiles) {
      iierr(1, "output file limit exceeded", lulst);
      return -2;
    }
    if (uprotected(name.trimmed())) {
      uendline(lulst);
      iierr(2, "output file is an input file or the listing: " + name.str(), lulst);
      return -3;
    }
    filnam[nfile] = name.view();
    nbuf[nfile] = 0;
    fresh[nfile] = true;
    ++nfile;
    if (file_exists(name.trimmed())) {
      fwrite(kStdout, "(' >overwriting ''',a,'''')", {name.trimmed()});
    } else {
      fwrite(kStdout, "(' >opening ''',a,'''')", {name.trimmed()});
    }
    return nfile;
  }
  if (nfile == 0) return 0;
  if (ifile > 0) {
    if (ifile > nfile) return 0;
    int f = ifile - 1;
    store(f, line);
    if (nbuf[f] >= kBatch) write_batch(f);
    return 0;
  }
  if (ifile == -1) {
    for (int f = 0; f < nfile; ++f) {
      store(f, line);
      write_batch(f);
    }
  }
  return 0;
}

std::string time_stamp(const std::tm& tm) {
  static const char* months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return fformat(
      "(i2,1x,a3,1x,i4.4,1x,i2.2,':',i2.2,':',i2.2,$)",
      {tm.tm_mday, months[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec});
}

void iitim(std::span<char> stamp) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  std::string s = time_stamp(tm);
  for (size_t i = 0; i < stamp.size() && i < 20 && i < s.size(); ++i) stamp[i] = s[i];
}

void iicls() {}

}  // namespace riv
