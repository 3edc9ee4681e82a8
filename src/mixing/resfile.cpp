// Direct-access result file of fixed-length binary records.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "mixing/mixing.hpp"

namespace riv {

bool da_open(DaFile& d, std::string_view name, int reclen) {
  if (d.f) da_close(d);
  d.failed = false;
  d.reclen = std::max(reclen, 1);
  d.buf.assign(static_cast<size_t>(d.reclen), 0);
  d.pos = 0;
  const std::string n(trim_right(name));
  if (n.empty()) return false;
  d.f = std::fopen(n.c_str(), "w+b");
  return d.f != nullptr;
}

void da_begin(DaFile& d) {
  std::fill(d.buf.begin(), d.buf.end(), static_cast<unsigned char>(0));
  d.pos = 0;
}

namespace {
void put(DaFile& d, const void* p, size_t n) {
  if (d.pos + n > d.buf.size()) {
    d.failed = true;  // longer than a record: cut
    n = d.buf.size() - std::min(d.pos, d.buf.size());
  }
  if (n) std::memcpy(d.buf.data() + d.pos, p, n);
  d.pos += n;
}
}  // namespace

void da_int(DaFile& d, int v) {
  const std::int32_t w = v;
  put(d, &w, 4);
}

void da_real(DaFile& d, float v) { put(d, &v, 4); }

void da_text(DaFile& d, std::string_view s, int len) {
  std::string t(static_cast<size_t>(std::max(len, 0)), ' ');
  t.replace(0, std::min(t.size(), s.size()), s.substr(0, std::min(t.size(), s.size())));
  put(d, t.data(), t.size());
}

void da_write(DaFile& d, int k) {
  if (!d.f || k < 1) {
    d.failed = true;
    return;
  }
  const long off = static_cast<long>(k - 1) * d.reclen;
  if (std::fseek(d.f, off, SEEK_SET) != 0 ||
      std::fwrite(d.buf.data(), 1, d.buf.size(), d.f) != d.buf.size())
    d.failed = true;
}

bool da_close(DaFile& d) {
  bool ok = !d.failed;
  if (d.f) {
    if (std::fclose(d.f) != 0) ok = false;
    d.f = nullptr;
  }
  return ok;
}

}  // namespace riv
