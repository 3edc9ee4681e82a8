// Pieces of the file chooser that other code and tests use directly.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace riv {

// The entries of a directory as the chooser lists them: hidden entries left
// out, names in byte order, directories first (with a leading "/"), then the
// files whose extension occurs in `filter` (all files when it is empty); at
// most 400 entries in all. An unreadable directory gives an empty list.
std::vector<std::string> list_directory(const std::string& dir, std::string_view filter);
// The path one level up: "/a/b/" gives "/a/", "/" stays "/".
std::string parent_directory(const std::string& dir);
// The format code of a result file (its first 4-byte integer) and the record
// length after it; 0 when the file cannot be read or is too short.
int result_file_code(std::string_view name, int& reclen);

}  // namespace riv
