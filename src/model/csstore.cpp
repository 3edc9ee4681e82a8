// The cross-section store: one record per section of the list, kept in
// memory (two runs in one folder cannot overwrite each other's sections), and
// the loading of a section into the work record with its level-independent
// quantities: lowest and highest point, bank tops, main channel, mean bed
// level, roughness per point and the bed shift of the main channel.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "input/notify.hpp"
#include "input/fformat.hpp"
#include "input/input.hpp"
#include "model/model.hpp"

namespace riv {

namespace {

// One stored section: exactly what the reader hands over; roughness values
// are resolved from the class tables only when the section is loaded.
struct SecRec {
  int np = 0;  // 0 = no section stored under this number
  float cskm = 0.0f;
  float xloc = 0.0f;
  float yloc = 0.0f;
  float azim = 0.0f;
  int kind = 0;
  float cvdef = 0.0f;
  std::vector<float> y;
  std::vector<float> z;
  std::vector<int> cls;
};

std::vector<SecRec>& store() {
  static std::vector<SecRec> s;
  return s;
}

void show(const std::string& text) {
  std::string t = text;
  while (!t.empty() && t.back() == '\n') t.pop_back();
  cinput.cmesg = t;
  iimesg(cinput.cmesg.view());
}

unsigned generation = 1;

}  // namespace

unsigned cs_generation() { return generation; }

void csstore_clear() {
  ++generation;
  std::vector<SecRec>().swap(store());
}

void cswrite(int isec) {
  const int np = ccs.np;
  if (isec < 1 || isec > mxlist || np < 1 || np > mxpt) {
    show(fformat("('cross-section',i6,' not stored:',i6,' points')", {isec, np}));
    return;
  }
  ++generation;
  std::vector<SecRec>& s = store();
  if (static_cast<int>(s.size()) < isec) s.resize(isec);
  SecRec& r = s[isec - 1];
  r.np = np;
  r.cskm = ccs.cskm;
  r.xloc = ccs.xloc;
  r.yloc = ccs.yloc;
  r.azim = ccs.azim;
  r.kind = ccs.kind;
  r.cvdef = ccs.cvdef;
  r.y.assign(ccs.ysec.data(), ccs.ysec.data() + np);
  r.z.assign(ccs.zsec.data(), ccs.zsec.data() + np);
  r.cls.assign(ccs.iclass.data(), ccs.iclass.data() + np);
}

namespace {

// Copies stored section r into the work record.
void load_record(const SecRec& r) {
  Ccs& c = ccs;
  const int np = r.np;
  c.np = np;
  c.cskm = r.cskm;
  c.xloc = r.xloc;
  c.yloc = r.yloc;
  c.azim = r.azim;
  c.kind = r.kind;
  c.cvdef = r.cvdef;
  std::copy(r.y.begin(), r.y.begin() + np, c.ysec.data());
  std::copy(r.z.begin(), r.z.begin() + np, c.zsec.data());
  std::copy(r.cls.begin(), r.cls.begin() + np, c.iclass.data());
}

// Lowest point (the first of equal ones), highest point, and the bank tops:
// the highest points left and right of the lowest point.
void extreme_points() {
  Ccs& c = ccs;
  const int np = c.np;
  c.zmin = 9e10f;
  c.imin = 1;
  c.zmax = -9e10f;
  for (int i = 1; i <= np; ++i) {
    const float z = c.zsec(i);
    if (z < c.zmin) {
      c.zmin = z;
      c.imin = i;
    }
    if (z > c.zmax) c.zmax = z;
  }
  c.zbl = c.zmin;
  c.ibl = c.imin;
  for (int i = 1; i <= c.imin; ++i) {
    if (c.zsec(i) > c.zbl) {
      c.zbl = c.zsec(i);
      c.ibl = i;
    }
  }
  c.zbr = c.zmin;
  c.ibr = c.imin;
  for (int i = c.imin; i <= np; ++i) {
    if (c.zsec(i) > c.zbr) {
      c.zbr = c.zsec(i);
      c.ibr = i;
    }
  }
}

// Roughness of each point from the classes in force now; a class outside
// the table counts as the default class.
void point_roughness() {
  Ccs& c = ccs;
  for (int i = 1; i <= c.np; ++i) {
    int k = c.iclass(i);
    if (k < 1 || k > mxcls) k = 1;
    c.rks(i) = c.kstl(k);
    c.rveg(i) = c.vegl(k);
  }
}

// Main channel by level: the points well below the lower bank top,
// zlow = (2 zmin + min(zbl, zbr)) / 3.
void channel_by_level(int& il, int& ir) {
  const Ccs& c = ccs;
  const int np = c.np;
  if (std::fmin(c.zbl, c.zbr) <= c.zmin) {
    // No bank rises above the lowest point on one side (flat profile, or
    // lowest point at an end): the whole section is the main channel.
    il = 1;
    ir = np;
    return;
  }
  const float zlow = (2.0f * c.zmin + std::fmin(c.zbl, c.zbr)) / 3.0f;
  for (int k = c.ibl; k <= np; ++k) {
    if (c.zsec(k) < zlow) {
      il = k;
      break;
    }
  }
  if (il == 0) {
    il = 1;
    ir = np;
    return;
  }
  ir = il;
  for (int k = c.ibr; k >= il; --k) {
    if (c.zsec(k) < zlow) {
      ir = k;
      break;
    }
  }
}

// Main channel il..ir: points 3..5 of the standard seven-point compound
// profile, else the first run of "bed" points that ends before the last
// point, else by level.
void main_channel(int& il, int& ir) {
  const Ccs& c = ccs;
  const int np = c.np;
  il = ir = 0;
  if (np == 7) {
    il = 3;
    ir = 5;
    return;
  }
  int i = 1;
  while (i <= np && c.iclass(i) != 2) ++i;
  if (i <= np) {
    int j = i;
    while (j < np && c.iclass(j + 1) == 2) ++j;
    if (j < np) {
      il = i;
      ir = j;
      return;
    }
  }
  channel_by_level(il, ir);
}

}  // namespace

void csrea(int isec, float dzb) {
  if (isec == 0) return;
  const std::vector<SecRec>& s = store();
  if (isec < 1 || isec > static_cast<int>(s.size()) || s[isec - 1].np == 0) {
    // Callers pass only numbers of stored sections; anything else leaves the
    // work record as it is.
    show(fformat("('cross-section',i6,' not stored')", {isec}));
    return;
  }
  Ccs& c = ccs;
  load_record(s[isec - 1]);
  extreme_points();
  point_roughness();
  c.lcomp = c.lcompd;
  c.lmain = 0;

  // Circular tube: diameter in y(1), invert in z(1); no bed shift.
  if (c.np == 1) {
    c.zmin = c.zbm = c.zsec(1);
    c.zmax = c.zbl = c.zbr = c.zsec(1) + c.ysec(1);
    c.bm = c.ysec(1) * 0.5f;
    return;
  }

  int il, ir;
  main_channel(il, ir);
  // Main-channel width and mean bed level from the surveyed points:
  // bm = sum |dy|, zbm = sum (z(i) + z(i+1))/2 |dy| / bm + dzb
  float b = 0.0001f;
  float zb = 0.0f;
  for (int i = il; i < ir; ++i) {
    const float dy = std::fabs(c.ysec(i + 1) - c.ysec(i));
    b += dy;
    zb += (c.zsec(i) + c.zsec(i + 1)) * 0.5f * dy;
  }
  c.bm = b;
  c.zbm = zb / b + dzb;

  // Bed shift of the main channel; the bank tops keep their surveyed levels.
  for (int i = il; i <= ir; ++i) c.zsec(i) += dzb;
  c.zmin += dzb;

  if (c.kind & 2) c.lcomp = 1;
  if (c.kind & 1) c.lmain = 1;
}

void csinq(int& isec, std::span<char> name) {
  if (isec > 0) {
    if (isec <= mxlist)
      fassign(name, cchar.csname(isec).view());
    else
      fassign(name, "");
    return;
  }
  isec = 0;
  std::string_view key(name.data(), name.size());
  const int n = std::min(creach.ncs, mxlist);
  // Names are 8 blank-padded characters: the key padded alike matches a
  // name as a whole (one comparison of 8 bytes per name). A longer key
  // matches none.
  if (trim_right(key).size() <= 8) {
    FStr<8> padded(trim_right(key));
    std::uint64_t want;
    std::memcpy(&want, padded.c, 8);
    for (int i = 1; i <= n; ++i) {
      std::uint64_t have;
      std::memcpy(&have, cchar.csname(i).c, 8);
      if (have == want) {
        isec = i;
        return;
      }
    }
  }
  show(fformat("('cross-section ''',a,''' not found')", {key}));
}

int cs_at(int n) {
  // The solvers visit every position many times per run and step.
  struct Found {
    unsigned gen = 0;
    FStr<8> name;
    int isec = 0;
  };
  static Found found[mxbr];
  if (n < 1 || n > mxbr) return 0;
  Found& f = found[n - 1];
  const FStr<8>& name = cchar.secnam(n);
  if (f.isec > 0 && f.isec <= creach.ncs && f.gen == generation &&
      std::memcmp(f.name.c, name.c, 8) == 0)
    return f.isec;
  int isec = 0;
  FStr<8> key = name;
  csinq(isec, key.span());
  f = {generation, name, isec};
  return isec;
}

int cs_by_number_or_name(FStr<8>& name) {
  int isec = std::min(iicnv(name.view()), creach.ncs);
  FStr<8> found = name;
  if (isec > 0) {
    csinq(isec, found.span());
    name = found;
  } else {
    isec = 0;
    csinq(isec, found.span());
  }
  return isec;
}

}  // namespace riv
