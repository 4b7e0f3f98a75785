// The STL branches of the work-file entry points: an STL file read as the work, and the work's
// surface written as an STL file.
#pragma once
#include "platform/ui/ui_types.h"
#include "work_model/work_model.h"

// Reads an STL file as the work (placement may be replaced by the placement file; pitch and
// axisCode as the settings give them). Returns 1, -20 (no STL) or an allocation code (nodeCountX 0).
int LoadStlWorkModel(WindowHandle owner, WorkModel* work, const char* path, double placement[12],
                     double pitch, int axisCode);
// Writes the work's surface as STL in format (0 ASCII, 1 binary, 2 binary byte-swapped). Returns 1
// when written, 0 when nothing was written.
int SaveStlWorkModel(const WorkModel* work, const char* path, int format, int inWorkCoordinates,
                     int rotated, const double inverseRotation[9], const double workOrigin[3]);
