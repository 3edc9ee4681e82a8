// Keep files: pictures stored as text metafiles (and PBM/PGM bitmaps with a
// world file), listed with a status, replayed behind or over every plot.
#pragma once

namespace riv {

// Keep-list operations: 0 empty the list; 1 Open (file chooser, append,
// queue "P"); 2 the list dialog (statuses, remove, queue "R" on change);
// 3 replay the background pass; 4 replay the foreground pass; -2 read the
// list from the settings file being read; -3 write it to the settings file
// being written; -4 return the number of entries in `count`.
void grklst(int option, int& count);
inline void grklst(int option) {
  int count = 0;
  grklst(option, count);
}

}  // namespace riv
