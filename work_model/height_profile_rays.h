// Ray families built from a height field: a work whose rays along one axis each hold one interval
// ending at a surface height gets its two other families by slicing the height profiles of its
// grid rows at every node level; inverted columns are removed afterwards.
#pragma once
#include "work_model/work_model.h"

// Slices a profile of n heights (heights[i * stride]) over the node coordinates coordinates[0..n-1]
// (spacing pitch) at level. minimum and maximum are the profile's extremes. The Top form gives the
// ends of where the profile lies at or above the level, the Bottom form where it lies at or below
// it; outEnds has room for n + 1 ends; *outCount receives their (even) count.
void SliceTopProfile(const double* heights, int stride, double minimum, double maximum, int n,
                     double pitch, const double* coordinates, double level, double* outEnds,
                     int* outCount);
void SliceBottomProfile(const double* heights, int stride, double minimum, double maximum, int n,
                        double pitch, const double* coordinates, double level, double* outEnds,
                        int* outCount);

// Builds the two families across the height family of axisCode (+-1 X-rays, +-2 Y-rays, +-3
// Z-rays hold the heights): for a positive code a ray's second end is the height and material lies
// below it (SliceTopProfile); for a negative code the first end is the height and material lies
// above it (SliceBottomProfile). A height ray with fewer than two ends stands for no material.
// Built ends get attribute 0 and value 0. Returns 1, or 0 when a work buffer or a ray's separate
// arrays could not be obtained (the rays not stored stay as they were).
int BuildCrossRaysFromHeights(WorkModel* work, int axisCode);
// The height field case: BuildCrossRaysFromHeights with +3 (flag 1) or -3 (flag 0).
int BuildSideRaysFromHeights(WorkModel* work, int secondEndsAreHeights);
// Empties every ray of the family (0 X-rays, 1 Y-rays, 2 Z-rays) that holds exactly two ends with
// the first above the second.
void DropInvertedDexels(WorkModel* work, int family);
