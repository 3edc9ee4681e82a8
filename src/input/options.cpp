// Input options given on the command line as "@name,name" arguments; the
// conditional lines of the input ask whether one of their names is set.
#include <string>
#include <vector>

#include "input/input.hpp"

namespace riv {
namespace {

std::vector<std::string>& args() {
  static std::vector<std::string> a;
  return a;
}

constexpr int kMaxOpt = 100;
char clabl0 = '@';
FStr<128> copt[kMaxOpt];
int nopt = 0;

void add_option(std::string_view name) {
  nopt = std::min(nopt + 1, kMaxOpt);
  copt[nopt - 1] = name;
}

}  // namespace

void set_command_line(int argc, char** argv) {
  args().clear();
  for (int i = 1; i < argc; ++i) args().emplace_back(argv[i]);
}

int iilabl(int mode, std::string_view text) {
  if (mode == 0) {
    clabl0 = text.empty() ? ' ' : text[0];
    nopt = 0;
    for (const std::string& full : args()) {
      std::string_view a = std::string_view(full).substr(0, 128);
      if (a.empty() || a[0] != clabl0) continue;
      int last = len_trim(a);  // 1-based position of the last non-blank
      int start = 2;
      for (int i = 2; i <= last; ++i) {
        if (i == last) {
          add_option(a.substr(start - 1, i - start + 1));
        } else if (a[i - 1] == ',') {
          add_option(a.substr(start - 1, i - start));
          start = i + 1;
        }
      }
    }
    return 0;
  }
  if (mode != 1) return 0;
  std::string_view w = trim_right(text);
  int l = static_cast<int>(w.size());
  int result = 0;
  if (l >= 1 && (l == 1 || w[1] == ' ')) {
    if (w[0] == '{') {
      fwrite(kStdout, "(a)", {"warning: option must have name"});
      result = 1;
    } else if (w[0] == '|') {
      return 1;
    }
  }
  std::string_view names = l >= 2 ? w.substr(1) : std::string_view();
  size_t p = 0;
  while (true) {
    size_t c = names.find(',', p);
    std::string_view name = names.substr(p, c == std::string_view::npos ? names.npos : c - p);
    for (int k = 0; k < nopt; ++k)
      if (fequal(copt[k].view(), name)) return 1;
    if (c == std::string_view::npos) break;
    p = c + 1;
  }
  return result;
}

}  // namespace riv
