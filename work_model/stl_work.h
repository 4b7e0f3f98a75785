// The STL branches of the work-file entry points: an STL file read as the work, and the work's
// surface written as an STL file.
#pragma once
#include "platform/ui/ui_types.h"
#include "work_model/stl_import_placement.h"
#include "work_model/work_model.h"

// The settings an STL work load uses, handed in by the caller.
struct StlWorkLoadOptions {
    ImportFrame frame;          // "IMPORT COORDINATE" and the active work coordinate system
    int stlFilter;              // "STL FILTER": smooth single rays that missed the surface
    const char* placementFile;  // "STL MATRIX": the placement file (empty or null: none)
};

// Reads an STL file as the work into an emptied record. The placement is the active work
// coordinate system when the file is in work coordinates, else the given one, possibly replaced
// by the placement file (the array is then overwritten). axisCode 0 casts the whole solid; +-1,
// +-2, +-3 cast one family of X, Y, Z seen from the positive or negative side and build the others
// from its heights. Returns 1, -20 (no STL, no vertices, a file that cannot be read or a ray with
// too many crossings), or a grid or allocation code (nodeCountX 0 then, the caller empties).
int LoadStlWorkModel(WindowHandle owner, WorkModel* work, const char* path, double placement[12],
                     double pitch, int axisCode, const StlWorkLoadOptions* options);
// Writes the work's surface as STL in format (0 ASCII, 1 binary, 2 binary byte-swapped), in work
// coordinates when inWorkCoordinates is 1 and the work frame is shifted or turned. The file is
// written under a temporary name that replaces path only when everything was written. Returns 1, or
// 0 (an unknown format, a write or memory failure; an earlier file at path is kept).
int SaveStlWorkModel(const WorkModel* work, const char* path, int format, int inWorkCoordinates,
                     int rotated, const double inverseRotation[9], const double workOrigin[3]);
