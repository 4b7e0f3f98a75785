// Pen and paint passes, material extents and interval counts over the current undo level.
#include "work_model/pens_paint.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "machine_setup/controller/work_coordinates.h"
#include "work_model/dexel_intervals.h"
#include "work_model/work_creation.h"

namespace {

struct WorkHolder {
    WorkModel work{};
    WorkHolder() { work.undoLevels = 1; }
    ~WorkHolder() { DestroyWorkModel(&work); }
};

void MakeBox(WorkModel* work, const double placement[12] = nullptr)
{
    const double box[6] = {0, 0, 0, 100, 100, 30};
    if (placement)
        ASSERT_EQ(CreateBoxWork(work, box, placement, 5.0), 1);
    else
        ASSERT_EQ(CreateBoxWorkIdentity(work, box, 5.0), 1);
}

// Stores a 12-end ray (separate arrays) with every attribute byte set to byte.
void StoreLongRay(WorkModel* work, uint8_t byte)
{
    double ends[12];
    uint8_t attributes[12];
    for (int e = 0; e < 12; e++) {
        ends[e] = e;
        attributes[e] = byte;
    }
    ASSERT_EQ(StoreDexelOfFamily(work, 1, 2, 3, ends, attributes, nullptr, 12), 1);
}

uint8_t LongRayByte(const WorkModel& w, int e)
{
    const int d = 2 + 3 * w.nodeCountZ;
    return GetDexelAttributesPointer(d, 8, w.familyY.counts, w.familyY.ends, w.familyY.attributes)[e];
}

TEST(PenPaint, PassesRewriteTheRightBits)
{
    struct Case {
        void (*pass)(WorkModel*);
        int pen;  // for ClearPenColour, else 0
        uint8_t before, after;
    } cases[] = {
        {nullptr, 12, 0xC1, 0x01},
        {nullptr, 12, 0xB1, 0xB1},
        {nullptr, 12, 0xCE, 0x0E},  // bits 1 to 3 kept
        {ClearAllPenColours, 0, 0xF1, 0x01},
        {ClearPaint, 0, 0xF1, 0xF0},
        {PaintAll, 0, 0x20, 0x21},
    };
    for (const Case& c : cases) {
        WorkHolder h;
        MakeBox(&h.work);
        h.work.familyZ.attributes[h.work.familyZ.capacity] = c.before;  // inline slot of ray 1
        h.work.familyX.attributes[8 * 5 + 1] = c.before;
        StoreLongRay(&h.work, c.before);
        if (c.pass)
            c.pass(&h.work);
        else
            ClearPenColour(&h.work, c.pen);
        EXPECT_EQ(h.work.familyZ.attributes[h.work.familyZ.capacity], c.after) << int(c.before);
        EXPECT_EQ(h.work.familyX.attributes[8 * 5 + 1], c.after);
        EXPECT_EQ(LongRayByte(h.work, 11), c.after);
    }
}

TEST(PenPaint, PaintAllReachesEveryEnd)
{
    WorkHolder h;
    MakeBox(&h.work);
    PaintAll(&h.work);
    const DexelFamily* families[3] = {&h.work.familyX, &h.work.familyY, &h.work.familyZ};
    for (const DexelFamily* f : families)
        for (int d = 0; d < f->rayCount; d++)
            for (int e = 0; e < f->counts[d]; e++) ASSERT_EQ(f->attributes[d * f->capacity + e], 1);
}

TEST(WorkExtents, BoxWithAndWithoutPlacement)
{
    WorkHolder h;
    MakeBox(&h.work);
    double low[3], high[3];
    GetWorkExtents(&h.work, low, high);
    EXPECT_EQ(std::vector<double>(low, low + 3), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(std::vector<double>(high, high + 3), (std::vector<double>{100, 100, 30}));
    const double placement[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 10, 20, 0};
    WorkHolder moved;
    MakeBox(&moved.work, placement);
    GetWorkExtents(&moved.work, low, high);
    EXPECT_EQ(std::vector<double>(low, low + 3), (std::vector<double>{10, 20, 0}));
    EXPECT_EQ(std::vector<double>(high, high + 3), (std::vector<double>{110, 120, 30}));
}

TEST(WorkExtents, EmptyWorkKeepsTheStartValues)
{
    WorkHolder h;
    MakeBox(&h.work);
    DexelFamily* families[3] = {&h.work.familyX, &h.work.familyY, &h.work.familyZ};
    for (DexelFamily* f : families)
        for (int d = 0; d < f->rayCount; d++) f->counts[d] = 0;
    double low[3], high[3];
    GetWorkExtents(&h.work, low, high);
    EXPECT_EQ(low[1], 1e12);
    EXPECT_EQ(high[2], -1e12);
    WorkHolder none;
    GetWorkExtents(&none.work, low, high);
    EXPECT_EQ(low[0], 1e12);
}

TEST(WorkExtents, InTheActiveWorkCoordinateSystem)
{
    double savedOrigin[3];
    std::memcpy(savedOrigin, g_ActiveWorkOrigin, sizeof savedOrigin);
    const double origin[3] = {50, 50, 10};
    std::memcpy(g_ActiveWorkOrigin, origin, sizeof origin);
    WorkHolder h;
    MakeBox(&h.work);
    double low[3], high[3];
    GetWorkExtentsInWorkCoords(&h.work, ToWorkCoordinates, low, high);
    EXPECT_EQ(std::vector<double>(low, low + 3), (std::vector<double>{-50, -50, -10}));
    EXPECT_EQ(std::vector<double>(high, high + 3), (std::vector<double>{50, 50, 20}));
    std::memcpy(g_ActiveWorkOrigin, savedOrigin, sizeof savedOrigin);
}

TEST(CountModelIntervals, BoxAndALongRay)
{
    WorkHolder h;
    const double box[6] = {0, 0, 0, 10.5, 10, 10};
    ASSERT_EQ(CreateBoxWorkIdentity(&h.work, box, 1.0), 1);
    int largest[3] = {-1, -1, -1};
    // 12 x 11 x 11 nodes; the rays at X node 11 (beyond 10.5) are empty.
    const int64_t expected = 11 * 11 + 11 * 11 + 11 * 11;
    EXPECT_EQ(CountModelIntervals(&h.work, &largest[0], &largest[1], &largest[2]), expected);
    EXPECT_EQ(largest[0], 1);
    EXPECT_EQ(largest[1], 1);
    EXPECT_EQ(largest[2], 1);
    StoreLongRay(&h.work, 0);
    EXPECT_EQ(CountModelIntervals(&h.work, &largest[0], &largest[1], &largest[2]), expected + 5);
    EXPECT_EQ(largest[1], 6);
    EXPECT_EQ(largest[0], 1);
}

}  // namespace
