// Undo ring (push, cut, step back) and attribute snapshots.
#include "work_model/undo_levels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "work_model/dexel_intervals.h"

namespace {

// A 6 x 5 x 4 work whose rays hold 2 to 12 ends (long rays included), with marks and tags.
WorkModel MakeFilledWork(int levels)
{
    WorkModel work{};
    work.nodeCountX = 6;
    work.nodeCountY = 5;
    work.nodeCountZ = 4;
    work.pitch = 1.0;
    EXPECT_EQ(SetUpWorkGrid(&work), 1);
    work.undoLevels = levels;
    EXPECT_EQ(AllocateWorkModelArrays(&work), 1);
    double ends[12];
    uint8_t attributes[12];
    int32_t values[12];
    for (int family = 0; family < 3; family++) {
        for (int i = 0; i < 6; i++) {
            for (int j = 0; j < 6; j++) {
                const int n = 2 * (1 + (i + j + family) % 6);
                for (int e = 0; e < n; e++) {
                    ends[e] = e + 0.25 * j;
                    attributes[e] = uint8_t(e * 16 + family);
                    values[e] = 1000 * family + 10 * i + e;
                }
                const int limit1 = family == 2 ? 6 : family == 1 ? 4 : 5;
                const int limit2 = family == 2 ? 5 : family == 1 ? 6 : 4;
                if (i < limit1 && j < limit2) {
                    EXPECT_EQ(StoreDexelOfFamily(&work, family, i, j, ends, attributes, values, n), 1);
                }
            }
        }
    }
    for (int axis = 0; axis < 3; axis++) {
        work.maxCorner[axis] = 10.0 + axis;
        work.minCorner[axis] = -1.0 - axis;
    }
    return work;
}

// Everything a level holds, with long rays read through their separate arrays.
std::vector<uint8_t> CaptureLevel(const WorkModel& work, int level)
{
    std::vector<uint8_t> bytes;
    auto append = [&bytes](const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
    };
    int32_t* const counts[3] = {work.levelCountsZ[level], work.levelCountsX[level], work.levelCountsY[level]};
    double* const ends[3] = {work.levelEndsZ[level], work.levelEndsX[level], work.levelEndsY[level]};
    uint8_t* const attributes[3] = {work.levelAttributesZ[level], work.levelAttributesX[level],
                                    work.levelAttributesY[level]};
    int32_t* const values[3] = {work.levelValuesZ[level], work.levelValuesX[level], work.levelValuesY[level]};
    const int rays[3] = {work.rayCountZ, work.rayCountX, work.rayCountY};
    const int capacities[3] = {work.capacityZ, work.capacityX, work.capacityY};
    for (int f = 0; f < 3; f++) {
        const int c = capacities[f];
        append(counts[f], sizeof(int32_t) * rays[f]);
        for (int d = 0; d < rays[f]; d++) {
            const int n = counts[f][d];
            append(GetDexelEndsPointer(d, c, counts[f], ends[f]), sizeof(double) * n);
            append(GetDexelAttributesPointer(d, c, counts[f], ends[f], attributes[f]), n);
            append(GetDexelValuesPointer(d, c, counts[f], values[f]), sizeof(int32_t) * n);
        }
    }
    append(work.levelMaxCorners[level], 3 * sizeof(double));
    append(work.levelMinCorners[level], 3 * sizeof(double));
    return bytes;
}

// Cuts [a, b] from every ray of the current level's Z family.
void CutEveryZRay(WorkModel* work, double a, double b)
{
    DexelFamily& f = work->familyZ;
    double ends[DEXEL_MAX_ENDS + 2], pieces[DEXEL_MAX_ENDS];
    uint8_t attributes[DEXEL_MAX_ENDS + 2];
    int32_t values[DEXEL_MAX_ENDS + 2];
    const uint8_t pair[2] = {0x70, 0x71};
    const int32_t tags[2] = {55, 56};
    for (int d = 0; d < f.rayCount; d++) {
        int count, removed;
        double volume = 0;
        ReadDexel(d, f.capacity, f.counts, f.ends, f.attributes, f.values, &count, ends, attributes, values);
        SubtractDexelIntervalWithVolume(ends, attributes, values, &count, work->pitch,
                                        work->coordinatesZ, work->cellArea, &volume, pieces,
                                        &removed, a, b, pair, tags);
        if (removed > 0) {
            ASSERT_EQ(StoreDexel(d, f.capacity, f.counts, f.ends, f.attributes, f.values, ends,
                                 attributes, values, count), 1);
        }
    }
    work->maxCorner[2] = 0.0;
}

TEST(PushUndoLevel, CutThenStepBackRestoresTheArrays)
{
    WorkModel work = MakeFilledWork(3);
    const std::vector<uint8_t> before = CaptureLevel(work, 0);
    ASSERT_EQ(PushUndoLevel(&work), 1);
    EXPECT_EQ(work.currentLevel, 1);
    EXPECT_EQ(work.highestLevel, 1);
    EXPECT_EQ(work.familyZ.counts, work.levelCountsZ[1]);
    EXPECT_EQ(CaptureLevel(work, 1), before);  // a full copy
    // The copy shares no separate array with level 0.
    for (int d = 0; d < work.rayCountZ; d++) {
        if (work.levelCountsZ[0][d] > work.capacityZ) {
            EXPECT_NE(GetDexelEndsPointer(d, work.capacityZ, work.levelCountsZ[0], work.levelEndsZ[0]),
                      GetDexelEndsPointer(d, work.capacityZ, work.levelCountsZ[1], work.levelEndsZ[1]));
        }
    }
    CutEveryZRay(&work, 0.1, 1.1);   // splits or trims every ray; long rays change length
    CutEveryZRay(&work, 3.5, 20.0);  // shrinks long rays back into their slots
    EXPECT_NE(CaptureLevel(work, 1), before);
    EXPECT_EQ(CaptureLevel(work, 0), before);
    StepUndoLevelBack(&work);
    EXPECT_EQ(work.currentLevel, 0);
    EXPECT_EQ(work.familyZ.counts, work.levelCountsZ[0]);
    EXPECT_EQ(work.maxCorner, work.levelMaxCorners[0]);
    EXPECT_EQ(CaptureLevel(work, 0), before);
    DestroyWorkModel(&work);
}

TEST(PushUndoLevel, RingWrapsAndStepBackWrapsToHighest)
{
    WorkModel work = MakeFilledWork(3);
    const std::vector<uint8_t> level0 = CaptureLevel(work, 0);
    ASSERT_EQ(PushUndoLevel(&work), 1);  // level 1
    CutEveryZRay(&work, 0.1, 1.1);
    const std::vector<uint8_t> level1 = CaptureLevel(work, 1);
    ASSERT_EQ(PushUndoLevel(&work), 1);  // level 2
    CutEveryZRay(&work, 4.2, 4.6);
    EXPECT_EQ(work.currentLevel, 2);
    ASSERT_EQ(PushUndoLevel(&work), 1);  // wraps: overwrites the oldest level 0
    EXPECT_EQ(work.currentLevel, 0);
    EXPECT_EQ(work.highestLevel, 2);
    EXPECT_EQ(CaptureLevel(work, 0), CaptureLevel(work, 2));
    EXPECT_EQ(CaptureLevel(work, 1), level1);
    StepUndoLevelBack(&work);  // from 0 wraps to the highest level
    EXPECT_EQ(work.currentLevel, 2);
    StepUndoLevelBack(&work);
    EXPECT_EQ(work.currentLevel, 1);
    EXPECT_EQ(CaptureLevel(work, 1), level1);
    EXPECT_NE(level1, level0);
    DestroyWorkModel(&work);
}

TEST(PushUndoLevel, CopiesTheListIdRow)
{
    WorkModel work = MakeFilledWork(2);
    work.blockListIds[5] = 77;
    ASSERT_EQ(PushUndoLevel(&work), 1);
    EXPECT_EQ(work.blockListIds[BLOCK_LIST_IDS_PER_LEVEL + 5], 77);
    DestroyWorkModel(&work);
}

TEST(PushUndoLevel, RingOfOneChangesNothing)
{
    WorkModel work = MakeFilledWork(1);
    const std::vector<uint8_t> before = CaptureLevel(work, 0);
    ASSERT_EQ(PushUndoLevel(&work), 1);
    EXPECT_EQ(work.currentLevel, 0);
    EXPECT_EQ(work.highestLevel, 0);
    StepUndoLevelBack(&work);
    EXPECT_EQ(work.currentLevel, 0);
    EXPECT_EQ(CaptureLevel(work, 0), before);
    DestroyWorkModel(&work);
}

TEST(AttributeSnapshot, FollowsTheWorkCountsAndLeavesTheWorkAlone)
{
    WorkModel work = MakeFilledWork(2);
    const std::vector<uint8_t> before = CaptureLevel(work, 0);
    AttributeSnapshot snapshot;
    ASSERT_EQ(AllocateAttributeSnapshot(&snapshot, &work), 1);
    ASSERT_EQ(ClearAttributeSnapshot(&work, &snapshot), 1);
    EXPECT_EQ(CaptureLevel(work, 0), before);
    // Z-ray 3 holds 12 ends: separate bytes, all zero.
    const DexelFamily& f = work.familyZ;
    ASSERT_EQ(f.counts[3], 12);
    uint8_t bytes[12];
    std::memset(bytes, 9, sizeof bytes);
    ReadDexelAttributes(3, 8, f.counts, snapshot.attributesZ, bytes);
    for (uint8_t b : bytes) EXPECT_EQ(b, 0);
    bytes[11] = 1;
    RestoreDexelAttributes(3, 8, f.counts, snapshot.attributesZ, bytes);
    uint8_t back[12];
    ReadDexelAttributes(3, 8, f.counts, snapshot.attributesZ, back);
    EXPECT_EQ(back[11], 1);
    ASSERT_EQ(ClearAttributeSnapshot(&work, &snapshot), 1);  // cleared again: reuses its arrays
    ReadDexelAttributes(3, 8, f.counts, snapshot.attributesZ, back);
    EXPECT_EQ(back[11], 0);
    FreeAttributeSnapshot(&snapshot, &work);
    EXPECT_EQ(snapshot.attributesZ, nullptr);
    // Freed before it was cleared: no stray references are released.
    ASSERT_EQ(AllocateAttributeSnapshot(&snapshot, &work), 1);
    FreeAttributeSnapshot(&snapshot, &work);
    EXPECT_EQ(CaptureLevel(work, 0), before);
    DestroyWorkModel(&work);
}

}  // namespace
