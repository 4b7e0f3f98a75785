// Per-direction views of the current work that the cutting kernel reads (one per ray family),
// the machine-to-work frame conversion and the marking of display blocks changed by a cut.
#pragma once
#include <cstdint>
#include "work_model/work_model.h"

struct DexelSweepState;  // the cutting kernel's per-move state of one family (simulation/)

struct DexelDirectionBlock {
    WorkModel* work;             // the work described
    int32_t crossAxis1;          // 1 for X-rays, 2 for Y-rays, 0 for Z-rays
    int32_t crossAxis2;          // 2, 0, 1
    int32_t rayAxis;             // 0, 1, 2
    int32_t crossNodeCount1, crossNodeCount2;  // node counts along the cross axes
    int32_t crossCellCount1, crossCellCount2;  // cell counts (= last node index) along them
    int32_t rayNodeCount;        // node count along the rays
    double pitch;                // the work's pitch
    double* crossCoordinates1;   // node coordinates along cross axis 1
    double* crossCoordinates2;   // along cross axis 2
    double* rayCoordinates;      // along the rays
    int32_t capacity;            // inline capacity
    int32_t* counts;             // family arrays of the current level; ray i1 + i2 * crossNodeCount1
    double* ends;
    uint8_t* attributes;
    int32_t* values;
    int32_t* crossLowerBlock1;   // per node of cross axis 1: lower / upper display block
    int32_t* crossUpperBlock1;
    int32_t* crossLowerBlock2;   // per node of cross axis 2
    int32_t* crossUpperBlock2;
    DexelSweepState* sweep;      // owned and set by the cutting kernel; never touched here
};

// Published on the UI thread, read (sweep state written) by the simulation thread during a run.
extern DexelDirectionBlock g_DexelDirectionX;
extern DexelDirectionBlock g_DexelDirectionY;
extern DexelDirectionBlock g_DexelDirectionZ;

// Fills the work part of the three blocks from the work's current level.
void PublishDexelDirectionBlocks(WorkModel* work);
// Machine-frame point to work frame: (p + inverseTranslation) x inverseRotation when hasPlacement.
void ToWorkModelFrame(const WorkModel* work, double point[3]);
// Sets changedBlocks of every block in the cross ranges and the ray-axis range of span[0] to
// span[spanCount - 1]. Cross ranges in the family's cross-axis order.
void MarkChangedBlocksX(WorkModel* work, int firstY, int lastY, int firstZ, int lastZ,
                        const double* span, int spanCount);
void MarkChangedBlocksY(WorkModel* work, int firstZ, int lastZ, int firstX, int lastX,
                        const double* span, int spanCount);
void MarkChangedBlocksZ(WorkModel* work, int firstX, int lastX, int firstY, int lastY,
                        const double* span, int spanCount);
// The same for any ray family (rayAxis 0 X, 1 Y, 2 Z; cross ranges in the family's order) into
// marks, an array of one byte per display block (blockCount bytes) that receives 1 per block.
void MarkChangedBlocksInto(const WorkModel* work, uint8_t* marks, int rayAxis, int first1, int last1,
                           int first2, int last2, const double* span, int spanCount);
