// The three per-direction views of the current work for the cutting kernel, the conversion of
// machine points into the work frame, and the changed-block marks of cut spans.
#include "work_model/direction_blocks.h"

#include <algorithm>
#include <cmath>

DexelDirectionBlock g_DexelDirectionX;
DexelDirectionBlock g_DexelDirectionY;
DexelDirectionBlock g_DexelDirectionZ;

namespace {

struct AxisView {
    int32_t nodeCount;
    double* coordinates;
    int32_t* lowerBlock;
    int32_t* upperBlock;
};

AxisView GetAxisView(const WorkModel* work, int axis)
{
    if (axis == 0) return AxisView{work->nodeCountX, work->coordinatesX, work->lowerBlockX, work->upperBlockX};
    if (axis == 1) return AxisView{work->nodeCountY, work->coordinatesY, work->lowerBlockY, work->upperBlockY};
    return AxisView{work->nodeCountZ, work->coordinatesZ, work->lowerBlockZ, work->upperBlockZ};
}

// Fills the work part of one block; the kernel's sweep pointer is left as it is.
void PublishBlock(DexelDirectionBlock* block, WorkModel* work, int rayAxis, const DexelFamily& family)
{
    const int cross1 = (rayAxis + 1) % 3;
    const int cross2 = (rayAxis + 2) % 3;
    const AxisView v1 = GetAxisView(work, cross1);
    const AxisView v2 = GetAxisView(work, cross2);
    const AxisView ray = GetAxisView(work, rayAxis);
    block->work = work;
    block->crossAxis1 = cross1;
    block->crossAxis2 = cross2;
    block->rayAxis = rayAxis;
    block->crossNodeCount1 = v1.nodeCount;
    block->crossNodeCount2 = v2.nodeCount;
    block->crossCellCount1 = v1.nodeCount - 1;
    block->crossCellCount2 = v2.nodeCount - 1;
    block->rayNodeCount = ray.nodeCount;
    block->pitch = work->pitch;
    block->crossCoordinates1 = v1.coordinates;
    block->crossCoordinates2 = v2.coordinates;
    block->rayCoordinates = ray.coordinates;
    block->capacity = family.capacity;
    block->counts = family.counts;
    block->ends = family.ends;
    block->attributes = family.attributes;
    block->values = family.values;
    block->crossLowerBlock1 = v1.lowerBlock;
    block->crossUpperBlock1 = v1.upperBlock;
    block->crossLowerBlock2 = v2.lowerBlock;
    block->crossUpperBlock2 = v2.upperBlock;
}

// Node index of a coordinate along an axis, truncated toward zero and kept inside the grid.
int GetNodeIndex(double x, double origin, double pitch, int nodeCount)
{
    const double index = std::trunc((x - origin) / pitch);
    if (!(index >= 0.0)) return 0;
    if (index > double(nodeCount - 1)) return nodeCount - 1;
    return int(index);
}

// Marks the blocks of the ray-axis range of span and the two cross ranges. blockRanges holds
// first and last block per axis X, Y, Z; the ray axis's range is computed here.
void MarkBlocks(const WorkModel* work, uint8_t* marks, int rayAxis, int first[3], int last[3],
                const double* span, int spanCount)
{
    if (spanCount < 1 || !marks) return;
    const double origins[3] = {work->originX, work->originY, work->originZ};
    const AxisView ray = GetAxisView(work, rayAxis);
    const int nodeFirst = GetNodeIndex(span[0], origins[rayAxis], work->pitch, ray.nodeCount);
    const int nodeLast = GetNodeIndex(span[spanCount - 1], origins[rayAxis], work->pitch, ray.nodeCount);
    // The span's start marks the block below only when it lies exactly on a boundary node.
    const bool onNode = ray.coordinates ? span[0] == ray.coordinates[nodeFirst]
                                        : span[0] == origins[rayAxis] + nodeFirst * work->pitch;
    first[rayAxis] = onNode ? ray.lowerBlock[nodeFirst] : ray.upperBlock[nodeFirst];
    last[rayAxis] = ray.upperBlock[nodeLast];
    const int blocks[3] = {work->blocksX, work->blocksY, work->blocksZ};
    for (int axis = 0; axis < 3; axis++) {
        first[axis] = std::max(first[axis], 0);
        last[axis] = std::min(last[axis], blocks[axis] - 1);
    }
    for (int bz = first[2]; bz <= last[2]; bz++)
        for (int by = first[1]; by <= last[1]; by++)
            for (int bx = first[0]; bx <= last[0]; bx++)
                marks[GetDisplayBlockIndex(work, bx, by, bz)] = 1;
}

}  // namespace

void PublishDexelDirectionBlocks(WorkModel* work)
{
    PublishBlock(&g_DexelDirectionX, work, 0, work->familyX);
    PublishBlock(&g_DexelDirectionY, work, 1, work->familyY);
    PublishBlock(&g_DexelDirectionZ, work, 2, work->familyZ);
}

void ToWorkModelFrame(const WorkModel* work, double point[3])
{
    if (work->hasPlacement == 0) return;
    double shifted[3];
    for (int i = 0; i < 3; i++) shifted[i] = point[i] + work->inverseTranslation[i];
    for (int j = 0; j < 3; j++) {
        double sum = 0.0;
        for (int i = 0; i < 3; i++) sum += shifted[i] * work->inverseRotation[3 * i + j];
        point[j] = sum;
    }
}

void MarkChangedBlocksX(WorkModel* work, int firstY, int lastY, int firstZ, int lastZ,
                        const double* span, int spanCount)
{
    int first[3] = {0, firstY, firstZ};
    int last[3] = {0, lastY, lastZ};
    MarkBlocks(work, work->changedBlocks, 0, first, last, span, spanCount);
}

void MarkChangedBlocksY(WorkModel* work, int firstZ, int lastZ, int firstX, int lastX,
                        const double* span, int spanCount)
{
    int first[3] = {firstX, 0, firstZ};
    int last[3] = {lastX, 0, lastZ};
    MarkBlocks(work, work->changedBlocks, 1, first, last, span, spanCount);
}

void MarkChangedBlocksZ(WorkModel* work, int firstX, int lastX, int firstY, int lastY,
                        const double* span, int spanCount)
{
    int first[3] = {firstX, firstY, 0};
    int last[3] = {lastX, lastY, 0};
    MarkBlocks(work, work->changedBlocks, 2, first, last, span, spanCount);
}

void MarkChangedBlocksInto(const WorkModel* work, uint8_t* marks, int rayAxis, int first1, int last1,
                           int first2, int last2, const double* span, int spanCount)
{
    int first[3] = {0, 0, 0};
    int last[3] = {0, 0, 0};
    first[(rayAxis + 1) % 3] = first1;
    last[(rayAxis + 1) % 3] = last1;
    first[(rayAxis + 2) % 3] = first2;
    last[(rayAxis + 2) % 3] = last2;
    MarkBlocks(work, marks, rayAxis, first, last, span, spanCount);
}
