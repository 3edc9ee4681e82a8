// The writer of the records of the common table, shared by the input reader
// and the tests that build a branch without an input file.
#include "model/model.hpp"

namespace riv {

namespace {

// Ends the chain at row r (length 0) and returns r.
int end_chain(int r) {
  ccs.tabc(r, 1) = 0.0f;
  return r;
}

}  // namespace

int tabc_condition(int r, int n, TabKind kind, int m, int code, float vlat) {
  Arr2<float, mxtabc, 2>& t = ccs.tabc;
  t(r + 1, 1) = static_cast<float>(n);
  t(r + 1, 2) = static_cast<float>(kind);
  if (kind == kTabInflow) {
    t(r + 2, 2) = static_cast<float>(code);
    t(r, 2) = vlat;
  }
  t(r, 1) = static_cast<float>(m + 3);
  t(r + 2, 1) = static_cast<float>(m);
  return end_chain(r + m + 3);
}

int tabc_structure(int r, int n, TabKind kind, float v1, float v2, float v3, int side) {
  Arr2<float, mxtabc, 2>& t = ccs.tabc;
  t(r, 1) = 4.0f;
  t(r + 1, 1) = static_cast<float>(n);
  t(r + 1, 2) = static_cast<float>(kind);
  t(r + 2, 1) = v1;
  t(r + 2, 2) = v2;
  t(r + 3, 1) = v3;
  t(r + 3, 2) = static_cast<float>(side);
  return end_chain(r + 4);
}

int tabc_culvert(int r, int n, float inv, float width, float height, float kst, float loss) {
  Arr2<float, mxtabc, 2>& t = ccs.tabc;
  t(r, 1) = 5.0f;
  t(r + 1, 1) = static_cast<float>(n);
  t(r + 1, 2) = static_cast<float>(kTabCulvert);
  t(r + 2, 1) = inv;
  t(r + 2, 2) = width;
  t(r + 3, 1) = height;
  t(r + 3, 2) = kst;
  t(r + 4, 1) = loss;
  return end_chain(r + 5);
}

int tabc_load(int r, int source, int tube1, int tube2, int m) {
  Arr2<float, mxtabc, 2>& t = ccs.tabc;
  t(r, 1) = static_cast<float>(m + 3);
  t(r, 2) = static_cast<float>(kTabLoad);
  t(r + 1, 1) = static_cast<float>(source);
  t(r + 1, 2) = static_cast<float>(tube1);
  t(r + 2, 1) = static_cast<float>(m);
  t(r + 2, 2) = static_cast<float>(tube2);
  return end_chain(r + m + 3);
}

}  // namespace riv
