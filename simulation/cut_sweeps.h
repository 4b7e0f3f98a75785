// The dexel-grid sweeps of the cutting kernel: the tool body over one ray family, one neck section,
// one holder step, and the helpers they share (interval joining, paint bits, LENGTH and CHIP).
#pragma once
#include "simulation/cutting.h"
#include "work_model/direction_blocks.h"

// Cuts the tool body (every type but the STL body) from the rays of the three blocks' ranges on up
// to `threads` threads (disjoint runs of rows; the caller's thread takes part). Each block's
// removedVolume and removedEndCount grow by the sums of its rows taken in row order, the changed
// display blocks are marked and the LENGTH and CHIP results merged into g_CheckFlags and
// g_ToolMeasure, so that every result is the same for any number of threads.
void SweepToolThroughDexelGrids(DexelDirectionBlock* const blocks[3], int threads);
// The tool-axis plane values (n, -(n . tip), |n|, h x |n|, unused, |n|^2, section length, base and
// top radius) and the points on the axis (corner-centre, corner-base, side-start, side-end,
// shank-base; a section's base in point 0) of the position that the sweeps and section stamps run
// on the calling thread cut next.
void SetCutPositionValues(const double toolAxisPlane[11], const double cutPoints[5][3]);
// One tool position of a run of positions cut together: the families' sweep states (ranges,
// points, results) and the working values of the position.
struct SweepPosition {
    DexelSweepState states[3];  // in the order of the blocks
    double toolAxisPlane[11];
    double cutPoints[5][3];
    uint8_t colour[2];   // the colour and line tag of its new ends
    int32_t lineTag[2];
};
// Cuts the tool body at positions[0 .. count-1] in their order as if each were swept alone: every
// ray is cut by one thread, which applies the positions to it one after the other. Each position's
// states gain their removedVolume and removedEndCount as the sweep of that position alone gives
// them; the marks and the LENGTH and CHIP results of all positions are merged at the end. The
// blocks' own sweep states are not used.
void SweepToolThroughDexelGridsAtPositions(DexelDirectionBlock* const blocks[3], SweepPosition* positions,
                                           int count, int threads);
// Releases the working arrays of the threads that cut (made again by the next sweep) and the
// summary of the Z-rays' tops.
void ReleaseCutScratches();
// The kernel's summary of the material tops of the work's Z-rays (per ray a float at or above its
// highest end, -inf for an empty ray), or null when it does not describe the work's current Z-rays
// as they are now (the next sweep builds it anew). For tests.
const float* GetZTopSummaryForTest(const WorkModel* work);
// With pairsOnly the kernel tests the summary two rays at a time even where it could four (whose
// results must be the same). For tests.
void SetCutSummaryPairsOnlyForTest(bool pairsOnly);
// The kernel's known empty stretches of the work's X-rays (family 0) or Y-rays (family 1): per ray
// a low and a high float bounding a stretch without material (low > high where none is known), or
// null when they do not describe the family's current rays. For tests.
const float* GetGapSummaryForTest(const WorkModel* work, int family);
// One neck section (block->sweep->sectionIndex). In the OUTPUT test (ARBOR CHECK 1, length kind
// below 10) returns 1 at the first ray that would lose material, changing nothing; else 0.
int StampToolSection(DexelDirectionBlock* block);
// One holder step. With ARBOR CHECK 1 returns 1 at the first ray that would lose material.
int StampToolSectionFromTable(DexelDirectionBlock* block);

// Joins column and shank intervals into the candidate list (count 0 or 2 in, 0, 2 or 4 out).
void UpdateIntervalOverlap(double* candidates, int* candidateCount, int columnCount,
                           const double column[2], int shankCount, const double shank[2]);
// Check results of one thread that cuts: flags raised and largest values measured, merged into
// g_CheckFlags and g_ToolMeasure after a sweep.
struct CutCheckResults {
    int length, chip;     // LENGTH and CHIP flags
    double height, tipW;  // largest height and chip width measured (-HUGE_VAL: none)
};
void ClearCutCheckResults(CutCheckResults* results);
// Raises the flags and the measured lengths by the results, then clears them.
void MergeCutCheckResults(CutCheckResults* results);

// Bit 0 of colour[0] / colour[1] when end t0 / t1 lies above the cutting length. rayPlane is the
// tip plane's value at the ray's point t = 0: n . (that point) - n . tip.
void TestPointsAgainstPlaneBand(int rayAxis, double rayPlane, double t0, double t1, unsigned char colour[2]);
// Bit 0 of a byte whose end lies nearer the axis (through the corner centre) than the inner radius.
void TestPointsAgainstCylinder(int cross1, int cross2, int rayAxis, double c1, double c2, double t0,
                               double t1, unsigned char colour[2]);
// LENGTH check on removed piece ends (by g_HeightCheck) into results.
void CheckAxialDepth(int rayAxis, double rayPlane, const double* pieces, int pieceEndCount,
                     CutCheckResults* results);
// CHIP check on removed piece ends (by g_ChipWidthCheck) into results.
void CheckRadialEngagement(int cross1, int cross2, int rayAxis, double c1, double c2,
                           const double* pieces, int pieceEndCount, CutCheckResults* results);
