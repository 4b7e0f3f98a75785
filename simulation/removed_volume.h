// The removed volume of the last run: the material of the current work's current undo level against
// the level before it (the work as the run found it), ray by ray in each of the three ray families;
// the family that saw the most changed rays gives the answer. Read by the verification report.
#pragma once
#include <cstdint>

extern double g_RemovedVolume;   // current minus stored material (mm^3): negative when material went

// Computes g_RemovedVolume for the current work and returns it; 0 when no work is defined. With a
// single undo level the stored state is the current one (0).
double ComputeRemovedVolume();

// One family: rays numbered outer x innerCount + inner; each ray whose material length differs
// between the stored and the current state is counted, and the change is added weighted by
// cellArea (halved at the first and last outer index, halved again at the first and last inner one).
void SumDexelDifference(int capacity, int innerCount, int outerCount, double cellArea, const int32_t* storedCounts,
                        const double* storedEnds, const int32_t* currentCounts, const double* currentEnds,
                        int* changedRays, double* volumeChange);
