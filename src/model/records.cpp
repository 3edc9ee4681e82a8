// The model records with their initial values, and the resets of a reading.
#include <memory>

#include "model/model.hpp"

namespace riv {

Ccs::Ccs() {
  // The predefined classes "def" and "bed": Strickler 30, no vegetation.
  kstl(1) = kstl(2) = 30.0f;
  vegl(1) = vegl(2) = -1.0f;
}

Cbedevol::Cbedevol() { d90.fill(d90def); }

Cunit cunit;
Creach creach;
Cchar cchar;
Cinput cinput;
Ccs ccs;
Cmixing cmixing;
Cbedevol cbedevol;

namespace {

Arr<FStr<3>, mxcls> initial_classes() {
  Arr<FStr<3>, mxcls> c;
  c(1) = "def";
  c(2) = "bed";
  return c;
}

}  // namespace

Arr<FStr<3>, mxcls> clas = initial_classes();
int nclas = 2;

namespace {

void reset_classes() {
  clas = initial_classes();
  nclas = 2;
}

// Rebuilds a record in place (the records are too large for a temporary on
// the stack).
template <class T>
void rebuild(T& r) {
  std::destroy_at(&r);
  std::construct_at(&r);
}

}  // namespace

void model_init() {
  rebuild(cunit);
  rebuild(creach);
  rebuild(cchar);
  rebuild(cinput);
  rebuild(ccs);
  rebuild(cmixing);
  rebuild(cbedevol);
  reset_classes();
}

void model_reset_for_reading() {
  creach.nsec = 0;
  creach.ncs = 0;
  creach.ndata = 0;
  ccs.nstruc = 0;
  cmixing.nload = 0;
  cmixing.ltherm = 0;
  ccs.lmain = 0;
  ccs.lcomp = 0;
  ccs.lcompd = 0;
  ccs.xloc = -9999.0f;
  creach.qlat.fill(0.0f);
  // A new model starts from the surveyed bed.
  cbedevol.dzb.fill(0.0f);
  cbedevol.d90.fill(cbedevol.d90def);
  // Empty common table: the chain ends at row 1. Cells a record leaves
  // unwritten read as 0, never as a value of an earlier reading.
  ccs.tabc.fill(0.0f);
  ccs.kstl(1) = ccs.kstl(2) = 30.0f;
  ccs.vegl(1) = ccs.vegl(2) = -1.0f;
  // Names of an earlier reading must not match labels of this one.
  reset_classes();
}

}  // namespace riv
