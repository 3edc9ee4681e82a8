// The input command language: what the rest of the program may use.
// Words and numbers on fixed-length fields, command-line options, the
// diagnostics, buffered output files and the time stamp, the command reader
// with blocks, include files and conditional lines, and the readers of tables,
// ranges and point lists. Texts are written through fformat.hpp and values
// read through freeread.hpp.
#pragma once
#include <ctime>
#include <span>
#include <string>
#include <string_view>

#include "input/fformat.hpp"
#include "input/freeread.hpp"
#include "input/ftext.hpp"
#include "input/stop.hpp"
#include "input/units.hpp"

namespace riv {

// ---- Words, tokens and numeric conversion (fields are 1-based) ----
// Invisible characters (all but 33..125) before the first visible one; 0 when none is visible.
int lenbl(std::string_view s);
// Position of the last character of the first word (separators are bytes 0..32).
int lenxt(std::string_view s);
// Left-justifies s and returns its first word in `word` (lw characters).
void rrwrd(std::span<char> s, std::span<char> word, int& lw);
// Like rrwrd, then removes the word from s; a quoted word loses its quotes.
void rrxwrd(std::span<char> s, std::span<char> word, int& lw);
// The non-negative integer written in s, or 0.
int iicnv(std::string_view s);
// Trimmed length, with the obsolescence notice on standard output.
int iilen(std::string_view s);

// ---- Input options from the command line ----
// The command line the options are collected from (set by the main program).
void set_command_line(int argc, char** argv);
// mode 0: collect the options of the arguments starting with text(1:1);
// mode 1: 1 when the conditional word text is true, else 0.
int iilabl(int mode, std::string_view text);

// ---- Diagnostics ----
// level 0 summary, 1 warning, 2 error, 3 fatal error; boxes go to unit lu.
int iierr(int level, std::string_view message, int lu);
int iierr_warnings();
int iierr_errors();

// ---- Output files and time stamp ----
// ifile 0: enter the file named after ">" in line; > 0 append line to that
// file; -1 append line to every file and flush them all.
int iiwrite(int ifile, std::string_view line, int lulst);
// Number of output files entered so far.
int iiwrite_nfile();
// With dry set the files are entered but never written (a reading that only
// checks the model). A name that is an input file or the listing is refused
// with an error and the result -3.
void iiwrite_dry(bool dry);
// Writes the 20-character time stamp " 5 Dec 2026 06:39:08" into stamp.
void iitim(std::span<char> stamp);
// The 20-character stamp of a given local time.
std::string time_stamp(const std::tm& tm);
void iicls();

// ---- Command reader ----
using Key = FStr<32>;
// Reads lines of unit lu until a keyword or block name of keys is found;
// returns its number (1-based) with the argument text in cline, or 0 at the
// end of the caller's block or of the input. lu changes while include files
// are read. iopt: 1 after "**", 2 after "***".
int iicmd(std::span<const Key> keys, FStr<128>& cline, int& lu, int lulst, int& iopt);
// Starts a new run of the reader (state as at program start).
void iicmd_reset();

// ---- Tables, ranges and point lists ----
// Reads a table of n (in: capacity) pairs following a "**" keyword.
void iitbl(int& n, float* x, float* y, int lu, int lulst);
// Reads a range "i1 to i2" from the argument text (words used are removed).
void iirng(std::span<char> text, int nmax, int lulst, int& i1, int& i2);
// Reads point pairs less the offsets x0, y0; returns the count stored.
int irpoly(int nmax, float* x, float* y, int lu, int lulst, double x0, double y0);
// Range errors counted by iirng.
int iirng_errors();

}  // namespace riv
