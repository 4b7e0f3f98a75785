// Box and cylinder works, the automatic work pitch and moving a work.
#include "work_model/work_creation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "machine_setup/settings/work_settings.h"
#include "work_model/dexel_intervals.h"
#include "work_model/ray_axes.h"
#include "work_model/undo_levels.h"

namespace {

struct WorkHolder {
    WorkModel work{};
    WorkHolder() { work.undoLevels = 1; }
    ~WorkHolder() { DestroyWorkModel(&work); }
};

std::vector<double> RayEnds(const DexelFamily& f, int d)
{
    const double* ends = GetDexelEndsPointer(d, f.capacity, f.counts, f.ends);
    return std::vector<double>(ends, ends + f.counts[d]);
}

TEST(CreateBoxWork, WholeNumberBoxFillsEveryRayWithOneInterval)
{
    WorkHolder h;
    const double box[6] = {0, 0, 0, 100, 100, 30};
    ASSERT_EQ(CreateBoxWorkIdentity(&h.work, box, 1.0), 1);
    EXPECT_EQ(h.work.nodeCountX, 101);
    EXPECT_EQ(h.work.nodeCountY, 101);
    EXPECT_EQ(h.work.nodeCountZ, 31);
    EXPECT_EQ(h.work.hasPlacement, 0);
    const DexelFamily* families[3] = {&h.work.familyX, &h.work.familyY, &h.work.familyZ};
    for (int axis = 0; axis < 3; axis++) {
        const DexelFamily& f = *families[axis];
        for (int d = 0; d < f.rayCount; d++) {
            ASSERT_EQ(f.counts[d], 2);
            EXPECT_EQ(f.ends[d * f.capacity], box[axis]);
            EXPECT_EQ(f.ends[d * f.capacity + 1], box[axis + 3]);
            EXPECT_EQ(f.attributes[d * f.capacity] | f.attributes[d * f.capacity + 1], 0);
            EXPECT_EQ(f.values[d * f.capacity] | f.values[d * f.capacity + 1], 0);
        }
    }
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(h.work.minCorner[k], box[k]);
        EXPECT_EQ(h.work.maxCorner[k], box[k + 3]);
    }
}

// Material length of every ray of the family along axis times its cell area (border nodes carry
// half a cell).
double FamilyVolume(WorkModel* work, int axis)
{
    const int u = (axis + 1) % 3, v = (axis + 2) % 3;
    const int lastU = GetNodeCountAlongAxis(work, u) - 1, lastV = GetNodeCountAlongAxis(work, v) - 1;
    const DexelFamily& f = *GetFamilyAlongAxis(work, axis);
    double volume = 0.0;
    int nodes[3] = {0, 0, 0};
    for (nodes[v] = 0; nodes[v] <= lastV; nodes[v]++) {
        for (nodes[u] = 0; nodes[u] <= lastU; nodes[u]++) {
            double area = work->pitch * work->pitch;
            if (nodes[u] == 0 || nodes[u] == lastU) area *= 0.5;
            if (nodes[v] == 0 || nodes[v] == lastV) area *= 0.5;
            const std::vector<double> ends = RayEnds(f, GetRayIndexAlongAxis(work, axis, nodes));
            for (size_t k = 0; k + 1 < ends.size(); k += 2) volume += (ends[k + 1] - ends[k]) * area;
        }
    }
    return volume;
}

TEST(CreateBoxWork, ExtentsOfWholePitchesKeepTheirLastNodeLayerWhateverTheRounding)
{
    struct Case {
        double box[6];
        double pitch;
        int nodes[3];
        double volume;
    } cases[] = {
        {{0, 0, 0, 10, 10, 0.3}, 0.1, {101, 101, 4}, 30.0},  // 0.3 / 0.1 = 2.9999999999999996
        {{0, 0, 0, 0.7, 1, 1}, 0.1, {8, 11, 11}, 0.7},       // last x node at 0.7000000000000001
        {{-0.3, 0.1, 0, 0, 0.4, 0.3}, 0.1, {4, 4, 4}, 0.027},
        {{0, 0, 0, 1.05, 1, 1}, 0.1, {12, 11, 11}, 1.05},    // a partial last cell stays partial
    };
    for (const Case& c : cases) {
        WorkHolder h;
        ASSERT_EQ(CreateBoxWorkIdentity(&h.work, c.box, c.pitch), 1);
        EXPECT_EQ(h.work.nodeCountX, c.nodes[0]) << c.box[3];
        EXPECT_EQ(h.work.nodeCountY, c.nodes[1]) << c.box[3];
        EXPECT_EQ(h.work.nodeCountZ, c.nodes[2]) << c.box[3];
        for (int axis = 0; axis < 3; axis++)
            EXPECT_NEAR(FamilyVolume(&h.work, axis), c.volume, 1e-9 * c.volume) << c.box[3] << " axis " << axis;
    }
}

TEST(CreateCylinderWork, LengthOfWholePitchesKeepsItsLastCrossLayer)
{
    WorkHolder h;
    const double start[3] = {0, 0, 0};
    ASSERT_EQ(CreateCylinderWork(&h.work, start, 2, 0.3, 1.0, 0.0, 0.1), 0);
    ASSERT_EQ(h.work.nodeCountZ, 4);
    const int centre[3] = {10, 10, 3};  // the axis, at the top face
    EXPECT_EQ(RayEnds(h.work.familyX, GetRayIndexAlongAxis(&h.work, 0, centre)).size(), 2u);
    EXPECT_EQ(RayEnds(h.work.familyY, GetRayIndexAlongAxis(&h.work, 1, centre)).size(), 2u);
}

TEST(CreateBoxWork, LastNodeLayerBeyondTheBoxStaysEmpty)
{
    WorkHolder h;
    const double box[6] = {0, 0, 0, 10.5, 4, 3};
    ASSERT_EQ(CreateBoxWorkIdentity(&h.work, box, 1.0), 1);
    ASSERT_EQ(h.work.nodeCountX, 12);
    // Z-rays at X node 11 (x = 11 > 10.5) are empty, at node 10 full.
    for (int j = 0; j < h.work.nodeCountY; j++) {
        EXPECT_EQ(h.work.familyZ.counts[11 + j * 12], 0);
        EXPECT_EQ(h.work.familyZ.counts[10 + j * 12], 2);
    }
    // Y-rays at X node 11 empty: ray k + i * nodeCountZ.
    for (int k = 0; k < h.work.nodeCountZ; k++) EXPECT_EQ(h.work.familyY.counts[k + 11 * 4], 0);
    // X-rays end on the box face.
    EXPECT_EQ(RayEnds(h.work.familyX, 0), (std::vector<double>{0, 10.5}));
}

TEST(CreateBoxWork, PlacementIsCopiedAndInverted)
{
    WorkHolder h;
    const double box[6] = {0, 0, 0, 4, 4, 4};
    const double placement[12] = {0, 1, 0, -1, 0, 0, 0, 0, 1, 5, 6, 7};
    ASSERT_EQ(CreateBoxWork(&h.work, box, placement, 1.0), 1);
    EXPECT_EQ(h.work.hasPlacement, 1);
    EXPECT_EQ(h.work.rotation[1], 1.0);
    EXPECT_EQ(h.work.inverseRotation[3], 1.0);  // transpose of a rotation
    EXPECT_EQ(h.work.inverseTranslation[2], -7.0);
}

TEST(CreateBoxWork, RefusesBoxesAndPitchesThatGiveNoGrid)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double box[6];
        double pitch;
        int code;
    } cases[] = {
        {{0, 0, 0, 0, 10, 10}, 1.0, WORK_GRID_BAD_NODE_COUNT},   // zero extent
        {{0, 0, 0, -5, 10, 10}, 1.0, WORK_GRID_BAD_NODE_COUNT},  // negative extent
        {{0, 0, 0, 10, 10, 10}, 0.0, WORK_GRID_BAD_PITCH},
        {{0, 0, 0, 10, 10, 10}, -1.0, WORK_GRID_BAD_PITCH},
        {{0, 0, 0, 10, 10, 10}, nan, WORK_GRID_BAD_PITCH},
        {{0, 0, 0, inf, 10, 10}, 1.0, WORK_GRID_BAD_NODE_COUNT},
        {{0, 0, 0, 1e12, 1e12, 10}, 1e-3, WORK_GRID_TOO_LARGE},  // node counts beyond 32 bits
        {{0, 0, 0, 2e9, 2e9, 1}, 1.0, WORK_GRID_TOO_LARGE},      // ray counts beyond 32 bits
    };
    for (const Case& c : cases) {
        WorkHolder h;
        EXPECT_EQ(CreateBoxWorkIdentity(&h.work, c.box, c.pitch), c.code) << c.box[3] << " " << c.pitch;
        EXPECT_EQ(h.work.nodeCountX, 0);
        EXPECT_EQ(h.work.coordinatesX, nullptr);
        EXPECT_EQ(h.work.levelCountsZ, nullptr);
    }
}

TEST(CreateBoxWork, AllocationFailureEmptiesTheRecord)
{
    WorkHolder h;
    const double box[6] = {0, 0, 0, 10, 10, 10};
    SetWorkAllocationFailureForTest(-7, 0);
    EXPECT_EQ(CreateBoxWorkIdentity(&h.work, box, 1.0), -7);
    SetWorkAllocationFailureForTest(0, 0);
    EXPECT_EQ(h.work.nodeCountX, 0);
    // A later creation in the same record works (nothing stale left behind).
    EXPECT_EQ(CreateBoxWorkIdentity(&h.work, box, 1.0), 1);
}

TEST(CreateCylinderWork, SolidCylinderAlongZ)
{
    WorkHolder h;
    const double start[3] = {0, 0, 0};
    ASSERT_EQ(CreateCylinderWork(&h.work, start, 2, 50, 10, 0, 1.0), 0);
    EXPECT_EQ(h.work.nodeCountX, 21);
    EXPECT_EQ(h.work.nodeCountY, 21);
    EXPECT_EQ(h.work.nodeCountZ, 51);
    EXPECT_EQ(h.work.originX, -10.0);
    EXPECT_EQ(h.work.hasPlacement, 0);
    const DexelFamily& z = h.work.familyZ;
    EXPECT_EQ(RayEnds(z, 20 + 10 * 21), (std::vector<double>{0, 50}));  // (10, 0): d = R
    EXPECT_EQ(z.counts[20 + 11 * 21], 0);                              // (10, 1): outside
    EXPECT_EQ(RayEnds(z, 10 + 10 * 21), (std::vector<double>{0, 50}));  // on the axis
    // X-ray through y = 6 (node 16), z node 3: half-length sqrt(100 - 36) = 8.
    EXPECT_EQ(RayEnds(h.work.familyX, 16 + 3 * 21), (std::vector<double>{-8, 8}));
    // Y-ray through x = -6 (node 4), z node 0: ray k + i * nodeCountZ.
    EXPECT_EQ(RayEnds(h.work.familyY, 0 + 4 * 51), (std::vector<double>{-8, 8}));
    EXPECT_EQ(h.work.minCorner[0], -10.0);
    EXPECT_EQ(h.work.maxCorner[2], 50.0);
}

TEST(CreateCylinderWork, TubeHasAHollowCore)
{
    WorkHolder h;
    const double start[3] = {0, 0, 0};
    ASSERT_EQ(CreateCylinderWork(&h.work, start, 2, 50, 10, 5, 1.0), 0);
    EXPECT_EQ(h.work.familyZ.counts[10 + 10 * 21], 0);                           // axis: hollow
    EXPECT_EQ(RayEnds(h.work.familyZ, 15 + 10 * 21), (std::vector<double>{0, 50}));  // d = r
    EXPECT_EQ(RayEnds(h.work.familyX, 10 + 0 * 21), (std::vector<double>{-10, -5, 5, 10}));
    const double h5 = std::sqrt(75.0);
    EXPECT_EQ(RayEnds(h.work.familyX, 15 + 0 * 21), (std::vector<double>{-h5, h5}));  // |d| = r
}

TEST(CreateCylinderWork, AxisAlongXWithShiftedStartAndPartialLength)
{
    WorkHolder h;
    const double start[3] = {5, 1, 2};
    ASSERT_EQ(CreateCylinderWork(&h.work, start, 0, 2.5, 2, 0, 1.0), 0);
    EXPECT_EQ(h.work.nodeCountX, 4);  // ceil(2.5) + 1
    EXPECT_EQ(h.work.nodeCountY, 5);
    EXPECT_EQ(h.work.nodeCountZ, 5);
    EXPECT_EQ(h.work.originY, -1.0);
    // The axial X-ray through the axis (y node 2, z node 2): ray j + k * nodeCountY.
    EXPECT_EQ(RayEnds(h.work.familyX, 2 + 2 * 5), (std::vector<double>{5, 7.5}));
    // Cross rays at x node 3 (x = 8 > 7.5) are empty: Y-ray k + i * nodeCountZ.
    EXPECT_EQ(h.work.familyY.counts[2 + 3 * 5], 0);
    EXPECT_EQ(RayEnds(h.work.familyY, 2 + 1 * 5), (std::vector<double>{-1, 3}));
}

TEST(CreateCylinderWork, RefusesBadRadiiAndLengths)
{
    const double start[3] = {0, 0, 0};
    struct Case {
        double length, outer, inner, pitch;
        int code;
    } cases[] = {
        {10, 0, 0, 1, WORK_GRID_BAD_NODE_COUNT},   // no radius: one node across
        {0, 5, 0, 1, WORK_GRID_BAD_NODE_COUNT},    // no length
        {10, 5, 6, 1, WORK_CREATE_BAD_RADIUS},     // inner above outer
        {10, 5, -1, 1, WORK_CREATE_BAD_RADIUS},
        {10, 5, 0, 0, WORK_GRID_BAD_PITCH},
    };
    for (const Case& c : cases) {
        WorkHolder h;
        EXPECT_EQ(CreateCylinderWork(&h.work, start, 2, c.length, c.outer, c.inner, c.pitch), c.code);
        EXPECT_EQ(h.work.nodeCountX, 0);
        EXPECT_EQ(h.work.coordinatesX, nullptr);
    }
}

class AutoPitchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_[0] = g_WorkPitch;
        saved_[1] = g_WorkPitchSetting;
        saved_[2] = g_MovePitch;
        saved_[3] = g_MinimumWorkPitch;
        g_AutoWorkPitch = 1;
        g_AutoPitchCells = 20000;
        g_MinimumWorkPitch = 0;
        g_AutoMovePitch = 1;
        g_AutoMovePitchFactor = 2.0;
        const double low[3] = {0, 0, 0}, high[3] = {100, 100, 30};
        for (int k = 0; k < 3; k++) {
            g_InitialSizeMinCorner[k] = low[k];
            g_InitialSizeMaxCorner[k] = high[k];
        }
    }
    void TearDown() override
    {
        g_WorkPitch = saved_[0];
        g_WorkPitchSetting = saved_[1];
        g_MovePitch = saved_[2];
        g_MinimumWorkPitch = saved_[3];
        g_AutoWorkPitch = 0;
        g_AutoMovePitch = 0;
    }
    double saved_[4];
};

TEST_F(AutoPitchTest, ChoosesFirstTablePitchWithinTheLimit)
{
    ChooseAutoWorkPitch();
    EXPECT_EQ(g_WorkPitch, 1.5);
    EXPECT_EQ(g_WorkPitchSetting, 1.5);
    EXPECT_EQ(g_MovePitch, 3.0);
}

TEST_F(AutoPitchTest, MinimumPitchRaisesTheChoice)
{
    g_MinimumWorkPitch = 2.0;
    ChooseAutoWorkPitch();
    EXPECT_EQ(g_WorkPitch, 2.0);
    EXPECT_EQ(g_WorkPitchSetting, 2.0);
}

TEST_F(AutoPitchTest, NoFittingEntryKeepsTheSetting)
{
    g_AutoPitchCells = 10;
    g_WorkPitchSetting = 0.7;
    ChooseAutoWorkPitch();
    EXPECT_EQ(g_WorkPitch, 0.7);
}

TEST_F(AutoPitchTest, OffTakesTheSetting)
{
    g_AutoWorkPitch = 0;
    g_AutoMovePitch = 0;
    g_WorkPitchSetting = 0.25;
    g_MovePitch = 9;
    ChooseAutoWorkPitch();
    EXPECT_EQ(g_WorkPitch, 0.25);
    EXPECT_EQ(g_MovePitch, 9.0);
}

TEST(MoveWork, ShiftsPlacementAndTheCornersOfEveryLevel)
{
    WorkHolder h;
    h.work.undoLevels = 3;
    const double box[6] = {0, 0, 0, 10, 10, 10};
    ASSERT_EQ(CreateBoxWorkIdentity(&h.work, box, 1.0), 1);
    PushUndoLevel(&h.work);
    const double offset[3] = {1, -2, 3};
    MoveWork(&h.work, offset);
    UpdateWorkHasPlacement(&h.work);
    EXPECT_EQ(h.work.hasPlacement, 1);
    EXPECT_EQ(h.work.translation[1], -2.0);
    EXPECT_EQ(h.work.inverseTranslation[2], -3.0);
    EXPECT_EQ(h.work.minCorner[0], 1.0);
    EXPECT_EQ(h.work.maxCorner[2], 13.0);
    StepUndoLevelBack(&h.work);
    EXPECT_EQ(h.work.minCorner[1], -2.0);
    EXPECT_EQ(h.work.maxCorner[0], 11.0);
    EXPECT_EQ(RayEnds(h.work.familyZ, 0), (std::vector<double>{0, 10}));  // rays stay in the work frame
}

}  // namespace
