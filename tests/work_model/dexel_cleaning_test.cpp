// Cleaning a cast work: tidying rays, clipping to a range, reconciling the families and clearing
// the casting's marks.
#include "work_model/dexel_cleaning.h"

#include <gtest/gtest.h>

#include "tests/work_model/work_file_test_support.h"
#include "work_model/work_creation.h"

namespace {

// A 5 x 5 x 5 node box work at pitch 1 with every ray emptied.
void MakeEmptyGrid(WorkHolder* h)
{
    const double box[6] = {0, 0, 0, 4, 4, 4};
    ASSERT_EQ(CreateBoxWorkIdentity(&h->work, box, 1.0), 1);
    for (DexelFamily* f : {&h->work.familyX, &h->work.familyY, &h->work.familyZ})
        for (int d = 0; d < f->rayCount; d++) f->counts[d] = 0;
}

void SetRay(DexelFamily* f, int d, const std::vector<double>& ends, const std::vector<uint8_t>& attributes)
{
    std::vector<int32_t> values(ends.size(), 5);
    ASSERT_EQ(StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, ends.data(),
                         attributes.data(), values.data(), int(ends.size())), 1);
}

TEST(DexelCleaning, TidyingRays)
{
    struct Case {
        std::vector<double> in, out;
    } cases[] = {
        {{5, 2, 2}, {2, 5}},       {{3}, {3, 3}},          {{4, 1, 4}, {1, 4}},
        {{6, 1, 2, 6}, {1, 2, 6, 6}}, {{5, 1, 3, 1}, {1, 1, 3, 5}}, {{7, 2}, {2, 7}},
        {{1, 1, 1, 1, 1}, {1, 1}}, {{4, 3, 2, 1, 2, 3}, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        WorkHolder h;
        MakeEmptyGrid(&h);
        SetRay(&h.work.familyZ, 3, c.in, std::vector<uint8_t>(c.in.size(), 0));
        TidyDexelEnds(&h.work);
        EXPECT_EQ(RayEnds(h.work.familyZ, 3), c.out);
    }
    // Merged ends or their attribute bytes together.
    WorkHolder h;
    MakeEmptyGrid(&h);
    SetRay(&h.work.familyX, 0, {2, 5, 2}, {1, 0, 8});
    TidyDexelEnds(&h.work);
    EXPECT_EQ(RayAttributes(h.work.familyX, 0), (std::vector<int>{9, 0}));
    // Long rays (beyond the selection sort) come out sorted as well.
    std::vector<double> many;
    for (int i = 0; i < 100; i++) many.push_back(double((i * 37) % 100));
    SetRay(&h.work.familyY, 1, many, std::vector<uint8_t>(many.size(), 0));
    TidyDexelEnds(&h.work);
    const std::vector<double> sorted = RayEnds(h.work.familyY, 1);
    ASSERT_EQ(sorted.size(), 100u);
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
}

TEST(DexelCleaning, ClippingToARange)
{
    struct Case {
        std::vector<double> in;
        double lo, hi;
        std::vector<double> out;
    } cases[] = {
        {{0, 10}, 2, 8, {2, 8}},
        {{0, 10}, 10, 20, {}},
        {{0, 10}, -5, 0, {}},
        {{0, 10}, -1, 11, {0, 10}},
        {{0, 2, 4, 6, 8, 10}, 3, 7, {4, 6}},         // bounds in gaps
        {{0, 2, 4, 6, 8, 10}, 1, 9, {1, 2, 4, 6, 8, 9}},
        {{0, 2, 4, 6}, 2, 4, {}},                    // on an exit and an entry
        {{0, 2, 4, 6}, 4, 6, {4, 6}},
    };
    for (const Case& c : cases) {
        std::vector<double> ends = c.in;
        std::vector<uint8_t> attributes(ends.size(), 3);
        std::vector<int32_t> values(ends.size(), 9);
        int count = int(ends.size());
        ClipDexelToRange(&count, ends.data(), attributes.data(), values.data(), c.lo, c.hi);
        ends.resize(size_t(count));
        EXPECT_EQ(ends, c.out) << c.lo << " " << c.hi;
        EXPECT_EQ(count % 2, 0);
    }
}

TEST(DexelCleaning, UndecidedSegmentsKeepEndsByTheirMarks)
{
    // Five ends between neighbouring nodes: no node inside any segment.
    for (int marked = 0; marked < 2; marked++) {
        WorkHolder h;
        MakeEmptyGrid(&h);
        SetRay(&h.work.familyX, 0, {0.1, 0.2, 0.3, 0.4, 0.5}, {0, 0, uint8_t(marked ? 4 : 0), 0, 0});
        DexelCleaningState state = {{h.work.familyX.counts, h.work.familyY.counts,
                                     h.work.familyZ.counts}, {0, 0, 0}};
        ReconcileDexelDirections(&h.work, 0, &state);
        EXPECT_EQ(RayEnds(h.work.familyX, 0), marked ? (std::vector<double>{0.1, 0.2, 0.4, 0.5})
                                                     : (std::vector<double>{0.1, 0.2, 0.3, 0.5}));
        EXPECT_EQ(state.familyFlags[0], 0);
    }
}

TEST(DexelCleaning, PerpendicularRaysDecideAndOddRaysAreEmptied)
{
    WorkHolder h;
    MakeEmptyGrid(&h);
    // An X-ray (y 0, z 0) of three ends over nodes 1 and 2, where no perpendicular ray holds material:
    // pass 0 leaves it odd and flags the X family, pass 1 empties it.
    SetRay(&h.work.familyX, 0, {0.5, 1.5, 2.5}, {0, 0, 0});
    // An X-ray (y 1, z 0) of four ends of which only the middle segment is material (the Z-ray at x 2).
    SetRay(&h.work.familyX, 1, {0.5, 1.5, 2.5, 3.5}, {0, 0, 0, 0});
    SetRay(&h.work.familyZ, 2 + 1 * 5, {0, 4}, {0, 0});
    const std::vector<int32_t> x(h.work.familyX.counts, h.work.familyX.counts + h.work.rayCountX);
    const std::vector<int32_t> y(h.work.familyY.counts, h.work.familyY.counts + h.work.rayCountY);
    const std::vector<int32_t> z(h.work.familyZ.counts, h.work.familyZ.counts + h.work.rayCountZ);
    DexelCleaningState state = {{x.data(), y.data(), z.data()}, {0, 0, 0}};
    ReconcileDexelDirections(&h.work, 0, &state);
    EXPECT_EQ(state.familyFlags[0], 1);
    EXPECT_EQ(h.work.familyX.counts[0] % 2, 1);
    EXPECT_EQ(RayEnds(h.work.familyX, 1), (std::vector<double>{1.5, 2.5}));
    ReconcileDexelDirections(&h.work, 1, &state);
    EXPECT_EQ(h.work.familyX.counts[0], 0);
    // The whole cleaning leaves every ray even with zero marks.
    SetRay(&h.work.familyY, 3, {2, 2, 3}, {1, 2, 4});
    ASSERT_EQ(CleanConvertedWork(&h.work, 1), 1);
    for (const DexelFamily* f : {&h.work.familyX, &h.work.familyY, &h.work.familyZ}) {
        for (int d = 0; d < f->rayCount; d++) {
            EXPECT_EQ(f->counts[d] % 2, 0);
            for (int a : RayAttributes(*f, d)) EXPECT_EQ(a, 0);
            for (int v : RayValues(*f, d)) EXPECT_EQ(v, 0);
        }
    }
    EXPECT_EQ(RayEnds(h.work.familyY, 3), (std::vector<double>{2, 3}));
}

}  // namespace
