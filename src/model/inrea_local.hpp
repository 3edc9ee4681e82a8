// State shared by the parts of the model input reader (inrea.cpp and
// inrea_blocks.cpp); nothing else uses it.
#pragma once
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "input/input.hpp"
#include "model/model.hpp"

namespace riv {

// State of one reading, started afresh by every call of inrea.
struct InreaState {
  int icur = 0;          // current roughness class, 0 = none yet
  float defkst = 30.0f;  // Strickler value given to new classes
  float cfac = 1.0f;     // circle factor: 0.9 when azimuths are in grads
  float aoff = 0.0f;     // azimuth offset added to located sections
  int irow = 1;          // row of tabc where the next record starts
  int iside = 1;         // current side of inflows and side structures: 1 left, 2 right
  int isrc = 0;          // source section of loads
  int itub1 = 0;         // source tube range of loads
  int itub2 = 0;
  bool range = false;  // a source tube range was given in this reading
  float level = 0.0f;  // structure level: keeps the last value read (no preset)
  float cinv = 0.0f;   // culvert invert: likewise
  bool ended = false;  // the reading stopped early (a list beyond its capacity)
  int lost = 0;        // times data of the input was dropped (capacity, unknown section)
  std::string why;     // the first of them
  std::string writes[mxwrite];  // files of the bed-evolution write requests
};
extern InreaState inr;

// Kept for the rest of the program run once set.
extern int inr_lzy;     // 1: point lines give the level first
extern float inr_xrot;  // origin of the located sections
extern float inr_yrot;
extern float inr_vlat;  // lateral velocity of the next inflow or discharge

// Reads the values of the current keyword line (cinput.cline). On a line that
// cannot be read the error "values cannot be read: " + key is reported and
// false returned; the caller then leaves its values at their presets.
// Every real read must be finite: a NaN or an infinity (also a value beyond
// the single-precision range) is reported as "value not finite: " + key.
bool inr_values(std::string_view key, std::initializer_list<FTarget> targets);
// True when the n values are finite; otherwise the error for key.
bool inr_finite(std::string_view key, const float* v, int n);
// Reports "value out of range: " + key after the echo of the value; the
// keyword then leaves the model as it was.
void inr_out_of_range(std::string_view key);
// Notes that data of the input was dropped in this reading.
void inr_lost(std::string_view why);

// The blocks >>branch, >>mixing, >>output, >>compute and >>bed_evolution.
std::span<const Key> inr_branch_keys();
std::span<const Key> inr_mixing_keys();
std::span<const Key> inr_output_keys();
std::span<const Key> inr_compute_keys();
std::span<const Key> inr_bed_keys();
void inr_branch_keyword(int k, int iopt);
void inr_mixing_keyword(int k, int iopt);
void inr_output_keyword(int k, int iopt);
void inr_compute_keyword(int k, int iopt);
void inr_bed_keyword(int k, int iopt);
// The end of a >>bed_evolution block.
void inr_bed_end();
// Opens the files of the bed-evolution write requests on units 71 and up. Done
// when the whole model is read, so that a request naming the model or any file
// it reads (or the listing, or the file of another request) is known and gets
// no file: the evolution run would write over it.
void inr_open_writes();

}  // namespace riv
