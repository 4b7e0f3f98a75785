// Direction blocks published from a work, the machine-to-work frame conversion and the
// changed-block marks.
#include "work_model/direction_blocks.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

WorkModel MakeWork(int nx, int ny, int nz)
{
    WorkModel work{};
    work.nodeCountX = nx;
    work.nodeCountY = ny;
    work.nodeCountZ = nz;
    work.pitch = 1.0;
    EXPECT_EQ(SetUpWorkGrid(&work), 1);
    work.undoLevels = 2;
    EXPECT_EQ(AllocateWorkModelArrays(&work), 1);
    return work;
}

std::vector<int> MarkedBlocks(const WorkModel& work)
{
    std::vector<int> marked;
    for (int b = 0; b < work.blockCount; b++)
        if (work.changedBlocks[b]) marked.push_back(b);
    return marked;
}

void ClearMarks(WorkModel* work)
{
    for (int b = 0; b < work->blockCount; b++) work->changedBlocks[b] = 0;
}

TEST(PublishDexelDirectionBlocks, AxisRolesAndArrays)
{
    WorkModel work = MakeWork(21, 11, 6);
    PublishDexelDirectionBlocks(&work);
    const DexelDirectionBlock* blocks[3] = {&g_DexelDirectionX, &g_DexelDirectionY, &g_DexelDirectionZ};
    const int cross1[3] = {1, 2, 0}, cross2[3] = {2, 0, 1};
    const int nodes[3] = {21, 11, 6};
    double* const coordinates[3] = {work.coordinatesX, work.coordinatesY, work.coordinatesZ};
    int32_t* const lower[3] = {work.lowerBlockX, work.lowerBlockY, work.lowerBlockZ};
    const DexelFamily* families[3] = {&work.familyX, &work.familyY, &work.familyZ};
    for (int axis = 0; axis < 3; axis++) {
        const DexelDirectionBlock& b = *blocks[axis];
        EXPECT_EQ(b.work, &work);
        EXPECT_EQ(b.rayAxis, axis);
        EXPECT_EQ(b.crossAxis1, cross1[axis]);
        EXPECT_EQ(b.crossAxis2, cross2[axis]);
        EXPECT_EQ(b.crossNodeCount1, nodes[cross1[axis]]);
        EXPECT_EQ(b.crossCellCount2, nodes[cross2[axis]] - 1);
        EXPECT_EQ(b.rayNodeCount, nodes[axis]);
        EXPECT_EQ(b.rayCoordinates, coordinates[axis]);
        EXPECT_EQ(b.crossCoordinates1, coordinates[cross1[axis]]);
        EXPECT_EQ(b.crossLowerBlock2, lower[cross2[axis]]);
        EXPECT_EQ(b.counts, families[axis]->counts);
        EXPECT_EQ(b.values, families[axis]->values);
        EXPECT_EQ(b.capacity, axis == 2 ? 4 : 8);
        // The family numbering: ray i1 + i2 * crossNodeCount1 covers exactly the ray count.
        EXPECT_EQ(b.crossNodeCount1 * b.crossNodeCount2, families[axis]->rayCount);
    }
    DestroyWorkModel(&work);
}

TEST(ToWorkModelFrame, InverseOfThePlacement)
{
    WorkModel work{};
    double p[3] = {1.5, -2.0, 3.25};
    ToWorkModelFrame(&work, p);  // hasPlacement 0: unchanged, whatever the inverse holds
    EXPECT_EQ(p[0], 1.5);
    EXPECT_EQ(p[2], 3.25);
    // Placement: a quarter turn about Z (x -> y) and a shift; its inverse turns back.
    const double inverse[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 9; i++) work.inverseRotation[i] = inverse[i];
    work.inverseTranslation[0] = -10;
    work.inverseTranslation[1] = -20;
    work.inverseTranslation[2] = -30;
    work.hasPlacement = 1;
    double q[3] = {10, 21, 35};  // machine point of work point (1, 0, 5)
    ToWorkModelFrame(&work, q);
    EXPECT_EQ(q[0], 1.0);
    EXPECT_EQ(q[1], 0.0);
    EXPECT_EQ(q[2], 5.0);
}

TEST(MarkChangedBlocks, BoundaryNodesMarkBothNeighbours)
{
    WorkModel work = MakeWork(21, 11, 6);  // blocks of 5 cells: X 4, Y 2, Z 1
    ASSERT_EQ(work.blocksX, 4);
    ASSERT_EQ(work.blocksY, 2);
    ASSERT_EQ(work.blocksZ, 1);
    const double boundary[2] = {5.0, 7.0};
    MarkChangedBlocksX(&work, 0, 0, 0, 0, boundary, 2);
    EXPECT_EQ(MarkedBlocks(work), (std::vector<int>{0, 1}));
    ClearMarks(&work);
    const double inside[4] = {5.5, 6.0, 6.5, 7.0};
    MarkChangedBlocksX(&work, 1, 1, 0, 0, inside, 4);
    EXPECT_EQ(MarkedBlocks(work), (std::vector<int>{1 + 1 * 4}));
    ClearMarks(&work);
    const double last[2] = {18.0, 20.0};  // ends on the last node: last block only
    MarkChangedBlocksX(&work, 0, 1, 0, 0, last, 2);
    EXPECT_EQ(MarkedBlocks(work), (std::vector<int>{3, 7}));
    ClearMarks(&work);
    MarkChangedBlocksX(&work, 1, 0, 0, 0, boundary, 2);  // empty cross range
    EXPECT_TRUE(MarkedBlocks(work).empty());
    // Z-rays: cross ranges X then Y; the span along Z (one block).
    const double z[2] = {0.0, 5.0};
    MarkChangedBlocksZ(&work, 2, 3, 1, 1, z, 2);
    EXPECT_EQ(MarkedBlocks(work), (std::vector<int>{2 + 4, 3 + 4}));
    ClearMarks(&work);
    // Y-rays: cross ranges Z then X; node 5 of Y is the boundary between Y blocks 0 and 1.
    const double y[2] = {4.0, 5.0};
    MarkChangedBlocksY(&work, 0, 0, 3, 3, y, 2);
    EXPECT_EQ(MarkedBlocks(work), (std::vector<int>{3, 3 + 4}));
    ClearMarks(&work);
    // Entries beyond the grid are kept to its last node.
    const double beyond[2] = {19.0, 25.0};
    MarkChangedBlocksX(&work, 0, 0, 0, 0, beyond, 2);
    EXPECT_EQ(MarkedBlocks(work), (std::vector<int>{3}));
    DestroyWorkModel(&work);
}

}  // namespace
