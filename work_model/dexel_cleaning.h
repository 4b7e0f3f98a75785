// Cleaning a work cast from an STL solid: every ray tidied (sorted, equal ends merged, made even
// where that is plain), the three families reconciled where a ray holds more than one interval, and
// the casting's marks cleared from the attribute bytes and values.
#pragma once
#include <cstdint>
#include "work_model/work_model.h"

// What the reconciling passes share: the counts of the three families (X, Y, Z) as they were before
// pass 0, and per family a flag that pass 0 left one of its rays odd.
struct DexelCleaningState {
    const int32_t* savedCounts[3];
    int familyFlags[3];
};

// Tidies every ray of the Z-, X- and Y-ray families, in that order.
void TidyDexelEnds(WorkModel* work);
// The same, and clips each ray to its axis's first and last node coordinate.
void TidyAndClipDexels(WorkModel* work);
// Sorts count ends ascending, each attribute byte moving with its end; a single end is copied into
// the second place as well.
void SortDexelEnds(int count, double* ends, uint8_t* attributes);
// Clips a ray's list to [lo, hi] in place; the ends kept still pair into entries and exits (a
// zero-length interval touching a bound from outside is dropped).
void ClipDexelToRange(int* count, double* ends, uint8_t* attributes, int32_t* values, double lo,
                      double hi);
// Rebuilds every ray of more than two ends (pass 1: only the odd ones of flagged families) segment by
// segment from what the perpendicular rays say about the material. Pass 0 flags a family whose
// rebuilt ray is still odd; pass 1 empties such a ray.
void ReconcileDexelDirections(WorkModel* work, int pass, DexelCleaningState* state);
// Zeroes the attribute bytes and values of every ray of the Z-, X- and Y-ray families.
void ClearDexelAttributes(WorkModel* work);
// The whole cleaning: tidy (clipping to the grid when clipToGrid is 1), reconcile pass 0 and, when it
// flagged a family, pass 1, then clear the marks. Returns 1, or WORK_GRID_NO_MEMORY when the saved
// counts could not be kept (nothing cleaned beyond the tidying then).
int CleanConvertedWork(WorkModel* work, int clipToGrid);
