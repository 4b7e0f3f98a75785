// The basic model, the finished part that the difference painting compares the cut work against:
// an STL solid loaded onto the current work's grid widened by five cells on every side, with the
// work's placement; and the placement file of twelve numbers that places an STL work.
#pragma once
#include "platform/ui/ui_types.h"
#include "work_model/stl_import_placement.h"
#include "work_model/work_model.h"

// Cells the basic model's grid reaches beyond the work's on each side along x, y, z; set to 5 by
// DeriveMarginGrid (UI thread), read by the difference painting to line the cells up.
extern int g_BasicModelMarginX;
extern int g_BasicModelMarginY;
extern int g_BasicModelMarginZ;
// -1 none; 0 or 1 replaces "IMPORT COORDINATE" for the next basic model load (command line); 2 while
// that load runs. UI thread.
extern int g_BasicModelPlacementOverride;

// Loads the STL at path as basicModel on work's widened grid (one display block, one undo level),
// carrying the file's vertices into the work's frame; frame says whether the file is in work
// coordinates and gives the active work coordinate system. The record is emptied first. Returns 1,
// -20 (the path does not end in ".STL", the file is no STL or cannot be read), or the code of the
// grid set-up or allocation; on failure nodeCountX is 0.
int LoadBasicModelStl(WindowHandle owner, WorkModel* basicModel, const char* path,
                      const WorkModel* work, const ImportFrame* frame);
// Sets the three margins to 5 and gives basicModel work's pitch and a grid 2 x 5 nodes larger per
// axis, its origin 5 pitches below the work's first node; gridMin / gridMax receive the grid's box.
void DeriveMarginGrid(const WorkModel* work, WorkModel* basicModel, double gridMin[3],
                      double gridMax[3], int* marginX, int* marginY, int* marginZ);
// When matrixPath names a file that can be read, its numbers (one per line, the first 63
// characters of each) replace the twelve placement values in order; values whose line is missing
// or holds no finite number are kept.
void ReadPlacementMatrixFile(double placement[12], const char* matrixPath);
