// The routing result file: fixed-length records addressed by number, 4-byte
// integers and reals in the byte order of the machine. Record 1 holds the tag
// -93, the record length, the number of sections and the title; record 2 the
// variable titles; record 3 the chainages; records 5, 6, ... one time level
// each, followed by two end markers (rmiss as first word).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "input/fformat.hpp"
#include "routing/routing.hpp"

namespace riv {

int rxres_recl(int nsec, int nbyte) {
  return std::max(nbyte, 4) * std::max(41, 4 * std::max(nsec, 0) + 1) + 1;
}

// ---- Reader ----

namespace {

struct Bytes {
  std::vector<unsigned char> b;
  int32_t i(size_t off) const {
    int32_t v = 0;
    if (off + 4 <= b.size()) std::memcpy(&v, b.data() + off, 4);
    return v;
  }
  float r(size_t off) const {
    float v = 0.0f;
    if (off + 4 <= b.size()) std::memcpy(&v, b.data() + off, 4);
    return v;
  }
  std::string t(size_t off, size_t n) const {
    if (off >= b.size()) return {};
    n = std::min(n, b.size() - off);
    return std::string(reinterpret_cast<const char*>(b.data() + off), n);
  }
};

}  // namespace

std::string read_rxres(const std::string& path, RxresData& d) {
  d = RxresData{};
  Bytes f;
  {
    std::FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp) return "Error opening: " + path;
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, fp)) > 0)
      f.b.insert(f.b.end(), chunk, chunk + got);
    std::fclose(fp);
  }
  if (f.b.size() < 8 || f.i(0) != kRxresTag) return "not a routing result file";
  d.recl = f.i(4);
  d.nsec = f.i(8);
  if (d.nsec < 1 || d.nsec > mxbr || d.recl < 4 * (4 * d.nsec + 1) || d.recl < 165)
    return "damaged routing result file: record length or section count";
  const size_t rl = static_cast<size_t>(d.recl);
  const size_t nrec = f.b.size() / rl;
  if (nrec < 3) return "damaged routing result file: header incomplete";
  d.ndim = f.i(12);
  d.nz = f.i(16);
  d.jbl = f.i(20);
  d.title = f.t(24, 80);
  d.nvar = f.i(rl);
  for (int k = 0; k < 5; ++k) d.names.push_back(f.t(rl + 4 + 32 * k, 32));
  for (int n = 0; n < d.nsec; ++n) d.xkm.push_back(f.r(2 * rl + 4 + 4 * n));
  const float rmiss = cunit.rmiss;
  const size_t ns = static_cast<size_t>(d.nsec);
  for (size_t r = 5; r <= nrec; ++r) {
    const size_t off = (r - 1) * rl;
    const float t = f.r(off);
    if (t == rmiss) {
      // End markers: the state records end here.
      ++d.end_markers;
      if (r + 1 <= nrec && f.r(r * rl) == rmiss) ++d.end_markers;
      break;
    }
    RxresData::State s;
    s.record = static_cast<int>(r);
    s.time = t;
    s.z.resize(ns);
    s.q.resize(ns);
    s.u.resize(ns);
    s.tau.resize(ns);
    for (size_t n = 0; n < ns; ++n) {
      s.z[n] = f.r(off + 4 * (1 + n));
      s.q[n] = f.r(off + 4 * (1 + ns + n));
      s.u[n] = f.r(off + 4 * (1 + 2 * ns + n));
      s.tau[n] = f.r(off + 4 * (1 + 3 * ns + n));
    }
    d.states.push_back(std::move(s));
  }
  return {};
}

std::vector<std::string> read_rxres(const std::string& path) {
  std::vector<std::string> out;
  auto add = [&out](std::string s) {
    while (!s.empty() && s.back() == '\n') s.pop_back();
    out.push_back(std::move(s));
  };
  RxresData d;
  const std::string err = read_rxres(path, d);
  if (!err.empty()) {
    out.push_back(err);
    return out;
  }
  add(fformat("('tag',i4,'  record length',i7,'  sections',i5,'  ndim',i2,'  nz',i2,'  jbl',i2)",
              {kRxresTag, d.recl, d.nsec, d.ndim, d.nz, d.jbl}));
  add(fformat("('title ',a)", {trim_right(d.title)}));
  add(fformat("('variables',i3)", {d.nvar}));
  for (const std::string& s : d.names) add(fformat("(2x,a)", {trim_right(s)}));
  add("chainage [km]");
  for (size_t n = 0; n < d.xkm.size(); ++n)
    add(fformat("(i6,f10.3)", {static_cast<int>(n + 1), d.xkm[n]}));
  for (const RxresData::State& s : d.states) {
    add(fformat("('record',i6,'  time',f11.3)", {s.record, s.time}));
    for (size_t n = 0; n < s.z.size(); ++n)
      add(fformat("(i6,f10.3,f10.3,f11.3,f9.3,f10.2)",
                  {static_cast<int>(n + 1), d.xkm[n], s.z[n], s.q[n], s.u[n], s.tau[n]}));
  }
  add(fformat("('end markers',i2)", {d.end_markers}));
  return out;
}

}  // namespace riv
