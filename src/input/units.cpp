#include "input/units.hpp"

#include "input/notify.hpp"

#include "input/stop.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace riv {
namespace {

struct Unit {
  std::string name;
  FILE* fp = nullptr;     // file units
  bool memory = false;    // in-memory units
  std::string text;       // in-memory contents
  size_t rpos = 0;        // in-memory read position
  std::string last;       // last line read, for backspace
  bool pushed = false;    // the next read returns `last`
  bool lineopen = false;  // last write did not end its line
  bool writing = false;   // file position is at the end for writing
  size_t pending = 0;     // positioning blanks after an open line
  bool wrote = false;     // something was written to the file
  int err = 0;            // errno of the first failed write, 0 while all went well
  std::string target;     // a replacing file: the name it takes when closed whole
};

std::map<int, std::unique_ptr<Unit>>& table() {
  static std::map<int, std::unique_ptr<Unit>> t;
  return t;
}

bool term_lineopen[2] = {false, false};
// Files the model reads, by name and by device and inode (the inode still
// finds a file renamed since, the name one replaced by an editor's save).
std::vector<std::string> g_input_names;
std::set<std::pair<dev_t, ino_t>> g_inputs;
std::vector<std::string> g_failures;         // "name: reason" of failed writes
size_t term_pending[2] = {0, 0};

Unit* find(int unit) {
  auto& t = table();
  auto it = t.find(unit);
  return it == t.end() ? nullptr : it->second.get();
}

}  // namespace

bool file_exists(std::string_view name) {
  std::string n(name);
  struct stat st;
  return !n.empty() && ::stat(n.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string beside(std::string_view name, int unit) {
  std::string n(name);
  if (n.empty() || n[0] == '/' || file_exists(n)) return n;
  std::string from = uname(unit);
  size_t slash = from.rfind('/');
  if (slash == std::string::npos) return n;
  std::string alt = from.substr(0, slash + 1) + n;
  return file_exists(alt) ? alt : n;
}

int uopen(int unit, std::string_view name, FStatus st, bool append) {
  uclose(unit);
  std::string n(name);
  while (!n.empty() && n.back() == ' ') n.pop_back();
  if (n.empty()) return 2;
  bool exists = file_exists(n);
  if (st == FStatus::Old && !exists) return 2;
  if (st == FStatus::New && exists) return 2;
  const char* mode = "r+";
  if (!exists || st == FStatus::Replace) mode = "w+";
  FILE* fp = std::fopen(n.c_str(), mode);
  if (!fp && st == FStatus::Old) fp = std::fopen(n.c_str(), "r");  // read-only input
  if (!fp) return 2;
  auto u = std::make_unique<Unit>();
  u->name = n;
  u->fp = fp;
  if (append) {
    std::fseek(fp, 0, SEEK_END);
    u->writing = true;
  }
  table()[unit] = std::move(u);
  return 0;
}

void uopen_memory(int unit, std::string_view text) {
  uclose(unit);
  auto u = std::make_unique<Unit>();
  u->memory = true;
  u->text = std::string(text);
  table()[unit] = std::move(u);
}

int uclose(int unit, bool del) {
  auto& t = table();
  auto it = t.find(unit);
  if (it == t.end()) return 0;
  CriticalIo io;
  Unit* u = it->second.get();
  int rc = u->err;
  if (u->fp) {
    if (std::fflush(u->fp) != 0 && rc == 0) rc = errno ? errno : EIO;
    // A sequential file ends after the last line written: an earlier,
    // longer version of it leaves no lines behind.
    struct stat fs;
    const long end = u->writing && u->wrote ? std::ftell(u->fp) : -1;
    if (end >= 0 && ::fstat(::fileno(u->fp), &fs) == 0 && S_ISREG(fs.st_mode) && fs.st_size > end &&
        ::ftruncate(::fileno(u->fp), end) != 0 && rc == 0)
      rc = errno;
    if (u->wrote && std::ferror(u->fp) && rc == 0) rc = EIO;
    if (std::fclose(u->fp) != 0 && rc == 0) rc = errno ? errno : EIO;
  }
  if (!u->wrote) rc = 0;  // a file only read: its read errors are the reader's
  if (del && !u->target.empty()) {
    // A replacing file given up: the earlier file stays as it was.
    ::unlink(u->name.c_str());
    del = false;
    rc = 0;
  } else if (!u->target.empty()) {
    // A replacing file takes its name only when it was written whole; the
    // earlier file stays untouched otherwise.
    if (rc == 0 && std::rename(u->name.c_str(), u->target.c_str()) != 0) rc = errno;
    if (rc != 0) ::unlink(u->name.c_str());
  }
  if (del && !u->memory && !u->name.empty()) ::unlink(u->name.c_str());
  if (rc != 0) {
    const std::string& shown = u->target.empty() ? u->name : u->target;
    g_failures.push_back(shown + ": " + std::strerror(rc));
    std::fprintf(stderr, "rivsim: cannot write %s: %s\n", shown.c_str(), std::strerror(rc));
  }
  t.erase(it);
  return rc;
}

int ufail(std::string_view name, int err) {
  const std::string n(name);
  if (err == 0) err = EIO;
  g_failures.push_back(n + ": " + std::strerror(err));
  std::fprintf(stderr, "rivsim: cannot write %s: %s\n", n.c_str(), std::strerror(err));
  return 2;
}

int uopen_replace(int unit, std::string_view name) {
  uclose(unit);
  std::string n(name);
  while (!n.empty() && n.back() == ' ') n.pop_back();
  if (n.empty()) return 2;
  struct stat st;
  if (::stat(n.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    // A device or a pipe is written as it stands; it cannot be replaced.
    if (S_ISDIR(st.st_mode)) return ufail(n, EISDIR);
    if (uopen(unit, n, FStatus::Unknown) != 0) return ufail(n, errno);
    find(unit)->wrote = true;
    return 0;
  }
  const size_t slash = n.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : n.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? n : n.substr(slash + 1);
  std::string tmp = dir + "." + base + ".XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return ufail(n, errno);
  // The new version keeps the permissions of the file it replaces.
  mode_t mode = 0;
  if (::stat(n.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd, mode);
  FILE* fp = ::fdopen(fd, "w+");
  if (!fp) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return 2;
  }
  auto u = std::make_unique<Unit>();
  u->name = tmp;
  u->target = n;
  u->fp = fp;
  u->wrote = true;  // even an empty new version must reach its name
  table()[unit] = std::move(u);
  return 0;
}

const std::vector<std::string>& uwrite_failures() { return g_failures; }

void uinputs_reset() {
  g_inputs.clear();
  g_input_names.clear();
}

void uinput(int unit) {
  Unit* u = find(unit);
  struct stat fs;
  if (!u || !u->fp || ::fstat(::fileno(u->fp), &fs) != 0) return;
  g_inputs.insert({fs.st_dev, fs.st_ino});
  g_input_names.push_back(u->name);
}

bool uprotected(std::string_view name, int skip) {
  namespace fs = std::filesystem;
  std::string n(name);
  while (!n.empty() && n.back() == ' ') n.pop_back();
  struct stat st;
  if (n.empty() || ::stat(n.c_str(), &st) != 0) return false;
  if (g_inputs.count({st.st_dev, st.st_ino}) > 0) return true;
  const auto same = [&n](const std::string& other) {
    std::error_code ec;
    return fs::equivalent(n, other, ec);
  };
  for (const std::string& f : g_input_names)
    if (same(f)) return true;
  for (const auto& [unit, u] : table())
    if (unit != skip && u->fp && u->target.empty() && same(u->name)) return true;
  return false;
}

bool uisopen(int unit) { return find(unit) != nullptr; }

std::string uname(int unit) {
  Unit* u = find(unit);
  return u ? u->name : std::string();
}

int uread(int unit, std::string& line) {
  Unit* u = find(unit);
  if (!u) return 5;
  if (u->pushed) {
    u->pushed = false;
    line = u->last;
    return 0;
  }
  line.clear();
  if (u->memory) {
    if (u->rpos >= u->text.size()) return -1;
    size_t e = u->text.find('\n', u->rpos);
    if (e == std::string::npos) e = u->text.size();
    line.assign(u->text, u->rpos, e - u->rpos);
    u->rpos = e + 1;
  } else {
    if (u->writing) return -1;  // positioned at the end after writing
    // One buffer for all lines read: it grows to the longest line and stays.
    static char* lbuf = nullptr;
    static size_t lcap = 0;
    const ssize_t n = getline(&lbuf, &lcap, u->fp);
    if (n <= 0) return std::ferror(u->fp) ? 5 : -1;
    line.assign(lbuf, static_cast<size_t>(n) - (lbuf[n - 1] == '\n' ? 1 : 0));
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  u->last = line;
  return 0;
}

void ubackspace(int unit) {
  if (Unit* u = find(unit)) u->pushed = true;
}

void urewind(int unit) {
  Unit* u = find(unit);
  if (!u) return;
  u->pushed = false;
  u->rpos = 0;
  if (u->fp) {
    std::fflush(u->fp);
    std::rewind(u->fp);
    u->writing = false;
  }
}

namespace {

void raw_write(Unit* u, std::string_view text) {
  CriticalIo io;
  if (u->memory) {
    u->text.append(text);
    return;
  }
  if (!u->writing) {
    // Switching from reading to writing needs a positioning call.
    std::fseek(u->fp, 0, SEEK_CUR);
    u->writing = true;
  }
  u->wrote = true;
  if (std::fwrite(text.data(), 1, text.size(), u->fp) != text.size() && u->err == 0)
    u->err = errno ? errno : EIO;
}

}  // namespace

void uwrite(int unit, std::string_view text, size_t pending) {
  if (text.empty() && pending == 0) return;
  said_write(unit, text, pending);
  // Blanks held after an open line are written when the line goes on, and
  // dropped when it ends.
  bool continues = !text.empty() && text.front() != '\n';
  bool open = text.empty() ? true : text.back() != '\n';
  bool term = unit == kStdout || unit == kStderr;
  Unit* u = term ? nullptr : find(unit);
  if (!term && !u) return;
  int t = unit == kStdout ? 0 : 1;
  size_t& held = term ? term_pending[t] : u->pending;
  bool& lineopen = term ? term_lineopen[t] : u->lineopen;
  std::string blanks;
  if (continues && held) blanks.assign(held, ' ');
  held = !open ? 0 : (text.empty() ? held : 0) + pending;
  lineopen = open;
  if (term) {
    FILE* f = unit == kStdout ? stdout : stderr;
    std::fwrite(blanks.data(), 1, blanks.size(), f);
    std::fwrite(text.data(), 1, text.size(), f);
    if (!open) std::fflush(f);
    return;
  }
  if (!blanks.empty()) raw_write(u, blanks);
  if (!text.empty()) raw_write(u, text);
}

void uendline(int unit) {
  if (ulineopen(unit)) uwrite(unit, "\n");
}

bool ulineopen(int unit) {
  if (unit == kStdout) return term_lineopen[0];
  if (unit == kStderr) return term_lineopen[1];
  Unit* u = find(unit);
  return u && u->lineopen;
}

void uflush(int unit) {
  if (unit == kStdout) {
    std::fflush(stdout);
    return;
  }
  if (Unit* u = find(unit); u && u->fp) std::fflush(u->fp);
}

std::string ucontents(int unit) {
  Unit* u = find(unit);
  if (!u) return {};
  if (u->memory) return u->text;
  std::fflush(u->fp);
  std::string s;
  if (FILE* f = std::fopen(u->name.c_str(), "r")) {
    char buf[4096];
    size_t k;
    while ((k = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, k);
    std::fclose(f);
  }
  return s;
}

void ucloseall() {
  auto& t = table();
  while (!t.empty()) uclose(t.begin()->first);
  std::fflush(stdout);
}

}  // namespace riv
