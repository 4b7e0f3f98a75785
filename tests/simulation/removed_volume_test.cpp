// The removed volume against the stored undo level: edge weights, the choice of the direction, a
// single level, no work, paint-only changes and a ray long enough to leave the inline slots.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/ui/shell_services.h"
#include "simulation/removed_volume.h"
#include "work_model/dexel_intervals.h"
#include "work_model/undo_levels.h"
#include "work_model/work_model.h"

namespace {

// A 4 x 4 x 4 mm box at pitch 1 (5 nodes per axis) as the current work with `levels` undo levels,
// pushed once so that the level before holds the untouched box.
class RemovedVolumeTest : public ::testing::Test {
protected:
    WorkModel& work = g_WorkModels[0];
    int keptDefined = 0;
    void Build(int levels)
    {
        work = WorkModel{};
        work.nodeCountX = work.nodeCountY = work.nodeCountZ = 5;
        work.pitch = 1.0;
        work.rotation[0] = work.rotation[4] = work.rotation[8] = 1.0;
        work.inverseRotation[0] = work.inverseRotation[4] = work.inverseRotation[8] = 1.0;
        ASSERT_EQ(SetUpWorkGrid(&work), 1);
        work.undoLevels = levels;
        ASSERT_EQ(AllocateWorkModelArrays(&work), 1);
        DexelFamily* families[3] = {&work.familyX, &work.familyY, &work.familyZ};
        for (DexelFamily* f : families) {
            for (int d = 0; d < f->rayCount; ++d) SetRay(f, d, {0.0, 4.0});
        }
        ASSERT_EQ(PushUndoLevel(&work), 1);
    }
    static void SetRay(DexelFamily* f, int d, const std::vector<double>& ends)
    {
        std::vector<uint8_t> attributes(ends.size(), 0);
        std::vector<int32_t> values(ends.size(), 0);
        ASSERT_EQ(StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, ends.data(),
                             attributes.data(), values.data(), int(ends.size())),
                  1);
    }
    void SetUp() override
    {
        keptDefined = g_WorkDefined;
        g_WorkDefined = 1;
        g_CurrentWorkIndex = 0;
    }
    void TearDown() override
    {
        DestroyWorkModel(&work);
        work.nodeCountX = 0;
        g_WorkDefined = keptDefined;
    }
};

TEST_F(RemovedVolumeTest, RemovedMaterialIsNegativeWithEdgeWeights)
{
    Build(2);
    SetRay(&work.familyZ, 1 + 1 * 5, {0.0, 2.0});  // inner ray: full cell
    SetRay(&work.familyZ, 0, {0.0, 3.0});          // corner ray: a quarter cell
    SetRay(&work.familyZ, 2, {0.0, 3.0});          // first row: half a cell
    EXPECT_DOUBLE_EQ(ComputeRemovedVolume(), -(2.0 + 0.25 + 0.5));
    EXPECT_DOUBLE_EQ(g_RemovedVolume, -2.75);
}

TEST_F(RemovedVolumeTest, DirectionWithMostChangedRaysWins)
{
    Build(2);
    // X and Y tied at one ray each, above Z: the X volume.
    SetRay(&work.familyX, 1 + 1 * 5, {0.0, 3.0});
    SetRay(&work.familyY, 1 + 1 * 5, {0.0, 1.0});
    EXPECT_DOUBLE_EQ(ComputeRemovedVolume(), -1.0);
    // Y ahead: the Y volume.
    SetRay(&work.familyY, 2 + 2 * 5, {0.0, 3.0});
    EXPECT_DOUBLE_EQ(ComputeRemovedVolume(), -4.0);
    // All three tied: the Z volume, here an added interval of 1 mm.
    SetRay(&work.familyX, 3 + 3 * 5, {0.0, 3.0});
    SetRay(&work.familyZ, 1 + 1 * 5, {0.0, 4.0, 5.0, 6.0});
    SetRay(&work.familyZ, 2 + 2 * 5, {0.0, 4.0, 5.0, 6.0});
    EXPECT_DOUBLE_EQ(ComputeRemovedVolume(), 2.0);
}

TEST_F(RemovedVolumeTest, SingleLevelPaintOnlyAndNoWorkGiveZero)
{
    Build(1);
    SetRay(&work.familyZ, 6, {0.0, 2.0});
    EXPECT_DOUBLE_EQ(ComputeRemovedVolume(), 0.0);
    DestroyWorkModel(&work);
    Build(2);
    work.familyZ.attributes[6 * work.familyZ.capacity] = 0x31;  // pen and paint mark only
    EXPECT_DOUBLE_EQ(ComputeRemovedVolume(), 0.0);
    SetRay(&work.familyZ, 6, {0.0, 2.0});
    g_WorkDefined = 0;
    EXPECT_DOUBLE_EQ(ComputeRemovedVolume(), 0.0);
}

TEST_F(RemovedVolumeTest, LongRaysAreReadFromTheirSeparateArrays)
{
    Build(2);
    std::vector<double> ends;
    for (int k = 0; k < 20; ++k) {
        ends.push_back(k * 0.2);
        ends.push_back(k * 0.2 + 0.1);
    }
    SetRay(&work.familyZ, 12, ends);  // 40 ends: 2 mm of material left of 4
    EXPECT_NEAR(ComputeRemovedVolume(), -2.0, 1e-12);
}

}  // namespace
