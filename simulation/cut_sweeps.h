// The dexel-grid sweeps of the cutting kernel: the tool body over one ray family, one neck section,
// one holder step, and the helpers they share (interval joining, paint bits, LENGTH and CHIP).
#pragma once
#include "work_model/direction_blocks.h"

// Cuts the tool body (every type but the STL body) from the rays of block's range. Returns 0.
int SweepToolThroughDexelGrid(DexelDirectionBlock* block);
// One neck section (block->sweep->sectionIndex). In the OUTPUT test (ARBOR CHECK 1, length kind
// below 10) returns 1 at the first ray that would lose material, changing nothing; else 0.
int StampToolSection(DexelDirectionBlock* block);
// One holder step. With ARBOR CHECK 1 returns 1 at the first ray that would lose material.
int StampToolSectionFromTable(DexelDirectionBlock* block);

// Joins column and shank intervals into the candidate list (count 0 or 2 in, 0, 2 or 4 out).
void UpdateIntervalOverlap(double* candidates, int* candidateCount, int columnCount,
                           const double column[2], int shankCount, const double shank[2]);
// Bit 0 of colour[0] / colour[1] when end t0 / t1 lies above the cutting length.
void TestPointsAgainstPlaneBand(int rayAxis, double t0, double t1, unsigned char colour[2]);
// Bit 0 of a byte whose end lies nearer the axis (through the corner centre) than the inner radius.
void TestPointsAgainstCylinder(int cross1, int cross2, int rayAxis, double c1, double c2, double t0,
                               double t1, unsigned char colour[2]);
// LENGTH check on removed piece ends (by g_HeightCheck).
void CheckAxialDepth(int rayAxis, const double* pieces, int pieceEndCount);
// CHIP check on removed piece ends (by g_ChipWidthCheck).
void CheckRadialEngagement(int cross1, int cross2, int rayAxis, double c1, double c2,
                           const double* pieces, int pieceEndCount);
