// The command reader: reads the model input line by line until it meets a
// keyword or block name of the caller's table. On the way it skips comments,
// echoes blank lines and keywords to the listing, follows include files,
// evaluates the option-dependent conditional lines ("{name", "|name", "}")
// and recognises the start and end of blocks (">>name", ">>").
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "input/input.hpp"

namespace riv {
namespace {

constexpr int kMaxLevels = 100;    // conditional depth
constexpr int kFirstInclude = 45;  // unit of the first include file
constexpr int kMaxIncludes = 20;   // include files open at once

struct FileId {
  bool valid = false;
  dev_t dev = 0;
  ino_t ino = 0;
  bool operator==(const FileId& o) const {
    return valid && o.valid && dev == o.dev && ino == o.ino;
  }
};

FileId file_id(const std::string& name) {
  FileId id;
  struct stat st;
  if (!name.empty() && ::stat(name.c_str(), &st) == 0) {
    id.valid = true;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
  }
  return id;
}

struct Include {
  int unit;
  int parent;  // the unit reading resumes on when this file ends
  FileId id;
};

// One reader per program run.
struct Reader {
  bool started = false;
  int level = 0;                   // block level
  int ncall = 0;                   // calls since the start of the current reading
  int nlab = 0;                    // conditional depth
  int lget[kMaxLevels + 1] = {};   // lines at this depth are taken
  int lget0[kMaxLevels + 1] = {};  // a branch of this conditional was taken
  int nin0 = 0;                    // unit of the main input file
  int nclose = 0;                  // "}" of the last line, not yet applied
  std::vector<Include> inc;        // open include files, innermost last
};

Reader rd;

bool in_include(int lu) { return !rd.inc.empty() && rd.inc.back().unit == lu; }

// Closes the levels ended by the "}" of the last line.
void close_levels(int lulst) {
  if (rd.nclose > rd.nlab) iierr(1, "option level not open", lulst);
  rd.nlab = std::max(0, rd.nlab - rd.nclose);
  rd.nclose = 0;
}

// Closes include files left open by a reading that ended inside them.
void close_includes(int& lu) {
  if (rd.inc.empty()) return;
  for (const Include& f : rd.inc)
    if (f.unit == lu) lu = rd.inc.front().parent;
  for (const Include& f : rd.inc) uclose(f.unit);
  rd.inc.clear();
}

std::string cut128(std::string s) {
  if (s.size() > 128) s.resize(128);
  return s;
}

int find_key(std::span<const Key> keys, std::string_view word) {
  if (word.empty()) return 0;
  for (size_t i = 0; i < keys.size(); ++i)
    if (fequal(keys[i].view(), word)) return static_cast<int>(i) + 1;
  return 0;
}

void write_keylist(std::span<const Key> keys, int lulst) {
  fwrite(lulst, "('* available keywords are:')");
  for (const Key& k : keys) fwrite(lulst, "('* ',10X,A20)", {k});
  fwrite(lulst, "('***********************************************')");
}

// A file the chain of open include files already reads (or the main file).
bool includes_itself(const FileId& id) {
  if (id == file_id(uname(rd.nin0))) return true;
  for (const Include& f : rd.inc)
    if (id == f.id) return true;
  return false;
}

// Follows "include name"; cline holds the rest of the line after "include".
void open_include(FStr<128>& cline, int& lu, int lulst) {
  FStr<128> fname;
  int ln = 0;
  rrxwrd(cline.span(), fname.span(), ln);
  std::string name = ln > 0 ? std::string(fname.sub(1, ln)) : std::string();
  std::string path = beside(name, lu);
  if (!file_exists(path)) {
    iierr(1, cut128("file not found: " + name), lulst);
    return;
  }
  FileId id = file_id(path);
  if (static_cast<int>(rd.inc.size()) >= kMaxIncludes || includes_itself(id)) {
    iierr(2, cut128("include nesting too deep: " + name), lulst);
    return;
  }
  int unit = rd.inc.empty() ? kFirstInclude : rd.inc.back().unit + 1;
  if (uopen(unit, path, FStatus::Old) != 0) {
    iierr(1, cut128("file not found: " + name), lulst);
    return;
  }
  uinput(unit);
  rd.inc.push_back({unit, lu, id});
  fwrite(lulst, "(/,'/include ''',a,'''')", {name});
  fwrite(kStdout, "(' >include ''',a,'''')", {name});
  lu = unit;
}

enum class Words { Taken, NextLine };

// Takes the conditional words off the start of the line. Leaves the first
// other word in `word` (Taken), or says the line is done (NextLine).
Words take_words(FStr<128>& cline, FStr<128>& word, int& lw, int lulst) {
  for (;;) {
    rrxwrd(cline.span(), word.span(), lw);
    if (lw == 0) {
      fwrite(lulst, "(a)", {""});
      return Words::NextLine;
    }
    char c0 = word(1);
    if (lw > 0 && (c0 == '/' || c0 == '#')) return Words::NextLine;
    if (c0 == '{') {
      if (rd.nlab >= kMaxLevels) {
        iierr(2, "too many option levels", lulst);
        continue;
      }
      bool names = iilabl(1, word.view()) == 1;
      ++rd.nlab;
      rd.lget0[rd.nlab] = 0;
      if (names && (rd.nlab == 1 || rd.lget[rd.nlab - 1] == 1)) {
        rd.lget[rd.nlab] = 1;
        rd.lget0[rd.nlab] = 1;
        continue;
      }
      rd.lget[rd.nlab] = 0;
      return Words::NextLine;
    }
    if (c0 == '|') {
      if (rd.nlab == 0) {
        iierr(1, "option level not open", lulst);
        continue;
      }
      bool names = iilabl(1, word.view()) == 1;
      if (rd.lget0[rd.nlab] == 0 && names && (rd.nlab == 1 || rd.lget[rd.nlab - 1] == 1)) {
        rd.lget[rd.nlab] = 1;
        rd.lget0[rd.nlab] = 1;
        continue;
      }
      rd.lget[rd.nlab] = 0;
      return Words::NextLine;
    }
    if (rd.nlab >= 1 && rd.lget[rd.nlab] == 0) return Words::NextLine;
    return Words::Taken;
  }
}

// The end of an include file (">>" or its last line) returns to the file
// that included it; false when lu is not an include file.
bool leave_include(int& lu, int lulst) {
  rd.nclose = 0;  // the end of a file closes no option level
  if (!in_include(lu)) return false;
  fwrite(lulst, "('/end_include')");
  uclose(lu);
  lu = rd.inc.back().parent;
  rd.inc.pop_back();
  return true;
}

// ">>" or the end of the main file ends the caller's block; the line is read
// again by the outer call.
void end_block(int lu, int lulst, bool eof) {
  --rd.level;
  if (rd.level == 0) fwrite(lulst, "(1x,a)", {">>"});
  if (!eof) ubackspace(lu);
  if (rd.level < 0) {
    rd.level = 0;
    rd.ncall = 0;
  }
}

// A line ">>name": the number of the block it opens, or 0 when it ends the
// caller's block (another block begins) or, at the outer level, the reading.
int block_line(std::span<const Key> keys, std::string_view w, int lu, int lulst) {
  if (int k = find_key(keys, w); k > 0) {
    rd.nclose = 0;  // a line opening a block closes no option level
    ++rd.level;
    fwrite(lulst, rd.level == 1 ? "(1x,a,$)" : "(3x,a,$)", {w});
    uendline(lulst);
    return k;
  }
  close_levels(lulst);
  --rd.level;
  if (rd.level >= 0) {
    // Another block begins: end the caller's block, the outer call reads it again.
    ubackspace(lu);
    return 0;
  }
  // Not a block name at the outer level: the reading ends here.
  rd.level = 0;
  rd.ncall = 0;
  iierr(2, cut128("command unknown> " + std::string(w)), lulst);
  write_keylist(keys, lulst);
  return 0;
}

}  // namespace

void iicmd_reset() {
  for (const Include& f : rd.inc) uclose(f.unit);
  rd = Reader();
}

int iicmd(std::span<const Key> keys, FStr<128>& cline, int& lu, int lulst, int& iopt) {
  if (!rd.started) {
    rd.started = true;
    rd.nin0 = lu;
  }
  if (++rd.ncall == 1) {
    close_includes(lu);
    FStr<20> stamp;
    iitim(stamp.span());
    fwrite(lulst, "(/,'/OUTPUT ',a17,'/',/)", {stamp.sub(1, 17)});
  }
  iopt = 0;
  FStr<128> word;
  int lw = 0;
  std::string buf;
  for (;;) {
    close_levels(lulst);
    bool eof = uread(lu, buf) != 0;
    if (eof) {
      cline.clear();
      // An open conditional at the end of the main file ends the reading.
      if (rd.level == 0 && rd.nlab >= 1 && !in_include(lu)) {
        fwrite(kStdout, "(a)", {">warning: end of option expected!"});
        rd.nlab = 0;
        rd.ncall = 0;
        return 0;
      }
    } else {
      cline = buf;
    }
    int nbrace = 0;
    for (char& c : cline.c)
      if (c == '}') {
        c = ' ';
        ++nbrace;
      }
    rd.nclose = nbrace;

    // The end of a file reads as ">>", also inside a skipped conditional
    // branch (which would otherwise wait for a line that never comes).
    std::string_view w = ">>";
    if (!eof) {
      if (take_words(cline, word, lw, lulst) == Words::NextLine) continue;
      w = lw > 0 ? word.sub(1, lw) : std::string_view();
    }

    if (w == "include") {
      open_include(cline, lu, lulst);
      continue;
    }

    if (w == ">>") {
      if (leave_include(lu, lulst)) continue;
      end_block(lu, lulst, eof);
      return 0;
    }
    if (w.size() >= 2 && w[0] == '>' && w[1] == '>') return block_line(keys, w, lu, lulst);

    if (int k = find_key(keys, w); k > 0) {
      close_levels(lulst);
      fwrite(lulst, rd.level >= 1 ? "(3x,a,1x,$)" : "(5x,a,1x,$)", {w});
      std::string_view t = cline.view();
      if (t.find("***") != std::string_view::npos)
        iopt = 2;
      else if (t.find("**") != std::string_view::npos)
        iopt = 1;
      if (iopt != 0) std::replace(cline.c, cline.c + cline.size(), '*', ' ');
      return k;
    }
    iierr(2, cut128("keyword unknown> " + std::string(w)), lulst);
    write_keylist(keys, lulst);
  }
}

}  // namespace riv
