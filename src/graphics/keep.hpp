// Keep files: pictures stored as text metafiles (and PBM/PGM bitmaps with a
// world file), listed with a status, replayed behind or over every plot.
// Hardcopy exports to ESRI shapefiles.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "input/ftext.hpp"

namespace riv {

// Keep-list operations: 0 empty the list; 1 Open (file chooser, append,
// queue "P"); 2 the list dialog (statuses, remove, queue "R" on change);
// 3 replay the background pass; 4 replay the foreground pass; -2 read the
// list from the settings file being read; -3 write it to the settings file
// being written; -4 return the number of entries in `count`.
// Passes 3 and 4 reload the keep files first when the list, a status or the
// origin changed since they were last loaded.
void grklst(int option, int& count);
inline void grklst(int option) {
  int count = 0;
  grklst(option, count);
}

// Keep-list statuses.
constexpr int kKeepHide = 1, kKeepBackground = 2, kKeepForeground = 3, kKeepRemove = 4;
constexpr int kKeepListMax = 40;

// Loads (pass 2) the listed files into the replay cache, or replays
// (pass 3 background, pass 4 foreground) the cache. Loading sets the status
// of a missing file to 4 and of an unopenable one to 1.
void grkpla(int n, FStr<128>* names, int* statuses, int pass);

// The list operations without their dialogs (the Open and list dialogs end
// in these): appends a file with status 2 (false when it is already listed
// or the list is full); takes over new statuses, drops entries marked 4 and
// returns whether a replot is due.
bool grklst_add(std::string_view name);
bool grklst_apply(const int* statuses, int n);
// Entry i (from 0) of the list.
std::string_view grklst_name(int i);
int grklst_status(int i);

// A bitmap (PBM or PGM) drawn with nearest neighbours so that its upper
// left corner lies at (x0, y0) in user coordinates, dx by dy world units per
// bitmap pixel (rows downwards). In keep mode the "BITM" record is written.
void grbitmap(std::string_view name, double x0, double y0, double dx, double dy);
// Reads a PBM/PGM bitmap as grey values (0 black .. 255 white), rows from
// the top; false when the file cannot be read.
struct GrImage {
  int width = 0, height = 0;
  std::vector<unsigned char> grey;
};
bool grbmpr(std::string_view name, GrImage& image);
// Placement of a bitmap from its world file (the name with ".wld" in place
// of its extension): absolute upper left corner and pixel size. A missing
// world file is created so that the bitmap fills the current world window
// ("created new world file"). False when neither works.
bool grbmp_world(std::string_view name, int width, int height, double& x0, double& y0, double& dx,
                 double& dy);

// ---- Shapefiles (through shapelib) ----
// Creates the empty ".shp" and ".dbf" files: shape type 1 point, 2 arc,
// 3 polygon, 4 multipoint; attribute type 1 integer, 2 double. Returns ""
// or the failure (the message of shapelib's failing call and the reason).
std::string grshpopen(int shptype, int atype, const char* name, const char* field);
// Appends one object of n vertices with its attribute record; "" or the failure.
std::string grshpadd(int n, const double* x, const double* y, const double* z, double dvalue,
                     int ivalue, const char* name, int shptype, int atype);
// The arc builder: flag 1 adds the segment, flag 0 joins the collected
// segments into polylines and writes them.
void grsegm(int flag, float x1, float y1, float z1, float x2, float y2, float z2);

// Installs the keep-list and shapefile hooks of the graphics state (the
// keep list in ".grset", the shapefile dialog and writers). Call once
// before grinit.
void grexport_install();
// The keep-list part of it (the keep list in ".grset").
void gr_keep_install();
// Shapefile export without the dialog: the files are created with this
// name, field, geometry (1 point, 2 arc, 3 polygon) and the attribute type
// that geometry takes; the arc builder is emptied. Used by the dialog.
// False when the files cannot be made (grshape_error says why).
bool grshape_start(std::string_view name, std::string_view field, int geometry);
// The first failure of the shapefile export in progress, "" while none.
std::string grshape_error();
// Ends the shapefile export: the three files take the name given when all
// were written whole; otherwise the temporaries are removed and the failure
// is told like any failed write. Returns the text for the message line.
std::string grshape_end();

}  // namespace riv
