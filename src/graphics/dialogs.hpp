// Messages and file opening as the computations and the input reader use them.
// These are the text-only versions used until the window dialogs are in
// place: messages go to standard output, a missing file is reported and left
// unopened.
#pragma once
#include <span>
#include <string_view>

namespace riv {

// Shows a message on the message line; a blank text clears the line.
void grmesg(std::string_view text);
// Opens the file `name` on `unit` (mode 0: sequential, status "old", rewound).
// When the file cannot be found, says so and leaves the unit closed with the
// mode set to 0 and the name blank. `directory` is the caller's remembered
// directory of the file dialog.
void gropn(int unit, std::span<char> name, std::span<char> directory, int& mode);

}  // namespace riv
