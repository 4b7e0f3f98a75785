// Work record: grid validation, display-block index, allocation and its failures, memory size,
// destruction with long rays.
#include "work_model/work_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "work_model/dexel_intervals.h"

namespace {

WorkModel MakeGrid(int nx, int ny, int nz, double pitch)
{
    WorkModel work{};
    work.nodeCountX = nx;
    work.nodeCountY = ny;
    work.nodeCountZ = nz;
    work.pitch = pitch;
    return work;
}

std::vector<int> Table(const int32_t* table, int n) { return std::vector<int>(table, table + n); }

TEST(SetUpWorkGrid, HundredCellsGiveTwelveCellBlocks)
{
    WorkModel work = MakeGrid(101, 101, 101, 0.5);
    ASSERT_EQ(SetUpWorkGrid(&work), 1);
    EXPECT_EQ(work.capacityX, 8);
    EXPECT_EQ(work.capacityZ, 4);  // Z-rays keep fewer ends inline
    EXPECT_EQ(work.rayCountZ, 101 * 101);
    EXPECT_EQ(work.cellCountY, 100);
    EXPECT_DOUBLE_EQ(work.cellArea, 0.25);
    EXPECT_EQ(work.blockCount, 729);
    EXPECT_EQ(work.blocksX, 9);
    EXPECT_EQ(work.lastBlockZ, 8);
    EXPECT_EQ(work.blockCellsY, 12);
    EXPECT_EQ(work.lastBlockCellsX, 4);
    EXPECT_EQ(work.lowerBlockX[0], 0);
    EXPECT_EQ(work.upperBlockX[11], 0);
    EXPECT_EQ(work.lowerBlockX[12], 0);  // inner boundary node belongs to both blocks
    EXPECT_EQ(work.upperBlockX[12], 1);
    EXPECT_EQ(work.lowerBlockX[96], 7);
    EXPECT_EQ(work.upperBlockX[96], 8);
    EXPECT_EQ(work.lowerBlockX[100], 8);
    EXPECT_EQ(work.upperBlockX[100], 8);
    for (int b = 0; b < work.blockCount; b++) EXPECT_EQ(work.changedBlocks[b], 0);
    EXPECT_EQ(GetDisplayBlockIndex(&work, 8, 8, 8), 728);
    EXPECT_EQ(GetDisplayBlockIndex(&work, 1, 2, 3), 1 + (2 + 3 * 9) * 9);
    DestroyWorkModel(&work);
}

TEST(SetUpWorkGrid, EvenDivisionAndSmallGrids)
{
    // 10 cells, start 5: two blocks of 5; node 5 on the boundary, node 10 in block 1.
    WorkModel work = MakeGrid(11, 3, 2, 1.0);
    ASSERT_EQ(SetUpWorkGrid(&work), 1);
    EXPECT_EQ(work.blocksX, 2);
    EXPECT_EQ(work.lastBlockCellsX, 5);
    EXPECT_EQ(Table(work.lowerBlockX, 11), (std::vector<int>{0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1}));
    EXPECT_EQ(Table(work.upperBlockX, 11), (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(work.blocksY, 1);
    EXPECT_EQ(work.blockCellsY, 2);
    EXPECT_EQ(work.blockCount, 2);
    DestroyWorkModel(&work);

    WorkModel cell = MakeGrid(2, 2, 2, 1.0);
    ASSERT_EQ(SetUpWorkGrid(&cell), 1);
    EXPECT_EQ(cell.blockCount, 1);
    EXPECT_EQ(Table(cell.lowerBlockZ, 2), (std::vector<int>{0, 0}));
    EXPECT_EQ(Table(cell.upperBlockZ, 2), (std::vector<int>{0, 0}));
    DestroyWorkModel(&cell);
}

TEST(SetUpWorkGridSingleBlock, OneBlockForTheWholeGrid)
{
    WorkModel work = MakeGrid(301, 57, 1000, 1.0);
    ASSERT_EQ(SetUpWorkGridSingleBlock(&work), 1);
    EXPECT_EQ(work.blockCount, 1);
    EXPECT_EQ(work.blockCellsX, 300);
    EXPECT_EQ(work.lastBlockCellsZ, 999);
    EXPECT_EQ(work.upperBlockX[300], 0);
    EXPECT_EQ(work.upperBlockZ[999], 0);
    DestroyWorkModel(&work);
}

TEST(SetUpWorkGrid, LargeGridStaysWithin999Blocks)
{
    WorkModel work = MakeGrid(2001, 1501, 11, 1.0);
    ASSERT_EQ(SetUpWorkGrid(&work), 1);
    EXPECT_LE(work.blockCount, WORK_MAX_BLOCKS);
    EXPECT_EQ(work.blockCount, work.blocksX * work.blocksY * work.blocksZ);
    EXPECT_EQ(work.upperBlockX[2000], work.lastBlockX);
    DestroyWorkModel(&work);
}

TEST(SetUpWorkGrid, RefusesBadGrids)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        int nx, ny, nz;
        double pitch;
        int result;
    };
    const Case cases[] = {
        {1, 5, 5, 1.0, WORK_GRID_BAD_NODE_COUNT},
        {5, 0, 5, 1.0, WORK_GRID_BAD_NODE_COUNT},
        {5, 5, -3, 1.0, WORK_GRID_BAD_NODE_COUNT},
        {5, 5, 5, 0.0, WORK_GRID_BAD_PITCH},
        {5, 5, 5, -0.1, WORK_GRID_BAD_PITCH},
        {5, 5, 5, nan, WORK_GRID_BAD_PITCH},
        {5, 5, 5, inf, WORK_GRID_BAD_PITCH},
        {70000, 70000, 2, 0.1, WORK_GRID_TOO_LARGE},  // 4.9e9 Z-rays
        {2, 20000, 20000, 0.1, WORK_GRID_TOO_LARGE},  // 4e8 X-rays: 3.2e9 slots
    };
    for (const Case& c : cases) {
        WorkModel work = MakeGrid(c.nx, c.ny, c.nz, c.pitch);
        SCOPED_TRACE(testing::Message() << c.nx << "x" << c.ny << "x" << c.nz << " pitch " << c.pitch);
        EXPECT_EQ(SetUpWorkGrid(&work), c.result);
        EXPECT_EQ(SetUpWorkGridSingleBlock(&work), c.result);
        EXPECT_EQ(work.changedBlocks, nullptr);
        EXPECT_EQ(work.lowerBlockX, nullptr);
    }
}

WorkModel MakeWork(int nx, int ny, int nz, double pitch, int levels)
{
    WorkModel work = MakeGrid(nx, ny, nz, pitch);
    EXPECT_EQ(SetUpWorkGrid(&work), 1);
    work.originX = -1.0;
    work.originY = 2.0;
    work.originZ = 0.5;
    work.undoLevels = levels;
    return work;
}

TEST(AllocateWorkModelArrays, AllocatesEveryLevelAndTheCoordinateTables)
{
    WorkModel work = MakeWork(4, 3, 5, 0.5, 3);
    ASSERT_EQ(AllocateWorkModelArrays(&work), 1);
    EXPECT_EQ(work.currentLevel, 0);
    EXPECT_EQ(work.highestLevel, 0);
    EXPECT_EQ(work.familyZ.counts, work.levelCountsZ[0]);
    EXPECT_EQ(work.familyY.ends, work.levelEndsY[0]);
    EXPECT_EQ(work.maxCorner, work.levelMaxCorners[0]);
    EXPECT_EQ(work.familyX.rayCount, 3 * 5);
    for (int level = 0; level < 3; level++)
        for (int d = 0; d < work.rayCountY; d++) EXPECT_EQ(work.levelCountsY[level][d], 0);
    EXPECT_EQ(work.coordinatesX[3], -1.0 + 3 * 0.5);
    EXPECT_EQ(work.coordinatesY[2], 3.0);
    EXPECT_EQ(work.coordinatesZ[4], 2.5);
    // Memory: 174 per level, coordinate tables, 13 * capacity + 4 per ray and level (capacity 8 for
    // X- and Y-rays, 4 for Z-rays).
    const uint64_t crossRays = 3 * 5 + 4 * 5, zRays = 4 * 3;
    const uint64_t base = 3 * 174 + 8 * (4 + 3 + 5) + 3 * (crossRays * (13 * 8 + 4) + zRays * (13 * 4 + 4));
    EXPECT_EQ(GetWorkMemorySize(&work), base);
    std::vector<double> ends = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    ASSERT_EQ(StoreDexelOfFamily(&work, 2, 3, 2, ends.data(), nullptr, nullptr, 12), 1);  // long ray
    EXPECT_EQ(work.familyZ.counts[3 + 2 * 4], 12);
    EXPECT_EQ(GetWorkMemorySize(&work), base + 13 * 16);  // its arrays hold its size class, 16
    ASSERT_EQ(StoreDexelOfFamily(&work, 1, 4, 3, ends.data(), nullptr, nullptr, 10), 1);
    EXPECT_EQ(work.familyY.counts[4 + 3 * 5], 10);
    ASSERT_EQ(StoreDexelOfFamily(&work, 0, 2, 4, ends.data(), nullptr, nullptr, 2), 1);
    EXPECT_EQ(work.familyX.counts[2 + 4 * 3], 2);
    DestroyWorkModel(&work);  // releases the long rays' arrays too (checked by the sanitizer)
    EXPECT_EQ(work.levelCountsZ, nullptr);
    EXPECT_EQ(work.changedBlocks, nullptr);
    EXPECT_EQ(work.coordinatesX, nullptr);
    work.nodeCountX = 0;
    EXPECT_EQ(GetWorkMemorySize(&work), 0u);
    DestroyWorkModel(&work);  // a second destroy does nothing
}

TEST(AllocateWorkModelArrays, FailureReleasesWhatTheCallAllocated)
{
    struct Case {
        int code, level;
    };
    const Case cases[] = {{-12, 1}, {-1, 0}, {-6, 2}, {-11, 0}, {-10001, 0}, {-10003, 0}};
    for (const Case& c : cases) {
        WorkModel work = MakeWork(4, 3, 5, 0.5, 3);
        SetWorkAllocationFailureForTest(c.code, c.level);
        EXPECT_EQ(AllocateWorkModelArrays(&work), c.code);
        SetWorkAllocationFailureForTest(0, 0);
        EXPECT_EQ(work.levelCountsZ, nullptr);
        EXPECT_EQ(work.levelValuesY, nullptr);
        EXPECT_EQ(work.coordinatesZ, nullptr);
        EXPECT_EQ(work.familyZ.counts, nullptr);
        DestroyWorkModel(&work);  // the block index; the sanitizer reports any leak
    }
}

TEST(AllocateWorkModelArrays, UndoLevelsBelowOneCountAsOne)
{
    WorkModel work = MakeWork(3, 3, 3, 1.0, 0);
    ASSERT_EQ(AllocateWorkModelArrays(&work), 1);
    EXPECT_EQ(work.undoLevels, 1);
    EXPECT_EQ(GetWorkMemorySize(&work), 174u + 8 * 9 + 18u * (13 * 8 + 4) + 9u * (13 * 4 + 4));
    DestroyWorkModel(&work);
}

TEST(AllocateWorkModelArrays, RefusesAGridThatWasNotSetUp)
{
    WorkModel work = MakeGrid(10, 10, 10, 1.0);  // SetUpWorkGrid not called
    work.undoLevels = 2;
    EXPECT_EQ(AllocateWorkModelArrays(&work), WORK_GRID_BAD_NODE_COUNT);
    EXPECT_EQ(work.levelCountsZ, nullptr);
}

TEST(UpdateWorkHasPlacement, IdentityOrNot)
{
    WorkModel work{};
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (int i = 0; i < 9; i++) work.rotation[i] = identity[i];
    UpdateWorkHasPlacement(&work);
    EXPECT_EQ(work.hasPlacement, 0);
    work.translation[2] = 1e-300;
    UpdateWorkHasPlacement(&work);
    EXPECT_EQ(work.hasPlacement, 1);
    work.translation[2] = 0.0;
    work.rotation[1] = -0.0;  // exactly zero still
    UpdateWorkHasPlacement(&work);
    EXPECT_EQ(work.hasPlacement, 0);
    work.rotation[0] = std::nextafter(1.0, 2.0);
    UpdateWorkHasPlacement(&work);
    EXPECT_EQ(work.hasPlacement, 1);
}

}  // namespace
