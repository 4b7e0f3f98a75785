// Slicing height profiles and building the cross ray families of a height field.
#include "work_model/height_profile_rays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "work_model/dexel_intervals.h"

namespace {

std::vector<double> Slice(bool top, const std::vector<double>& heights, double level)
{
    std::vector<double> coordinates(heights.size());
    for (size_t i = 0; i < heights.size(); i++) coordinates[i] = double(i);
    const double lo = *std::min_element(heights.begin(), heights.end());
    const double hi = *std::max_element(heights.begin(), heights.end());
    std::vector<double> ends(heights.size() + 1);
    int count = -1;
    if (top)
        SliceTopProfile(heights.data(), 1, lo, hi, int(heights.size()), 1.0, coordinates.data(),
                        level, ends.data(), &count);
    else
        SliceBottomProfile(heights.data(), 1, lo, hi, int(heights.size()), 1.0, coordinates.data(),
                           level, ends.data(), &count);
    ends.resize(size_t(count));
    return ends;
}

TEST(SliceTopProfile, Cases)
{
    struct Case {
        std::vector<double> heights;
        double level;
        std::vector<double> ends;
    } cases[] = {
        {{5, 6, 7}, 2, {0, 2}},                  // wholly above the level: the whole row
        {{1, 1, 1}, 2, {}},                      // wholly below: nothing
        {{0, 2, 0}, 2, {1, 1}},                  // a peak touching the level: zero-length at node 1
        {{0, 4, 0}, 2, {0.5, 1.5}},              // rising and falling crossings
        {{3, 1, 3}, 2, {0, 0.5, 1.5, 2}},        // a dip below the level
        {{3, 1, 3, 1, 3}, 2, {0, 0.5, 1.5, 2.5, 3.5, 4}},  // alternating, n odd: n + 1 ends
        {{2, 0}, 2, {0, 0}},                     // equal at the start, falling
    };
    for (const Case& c : cases) EXPECT_EQ(Slice(true, c.heights, c.level), c.ends) << c.level;
    // A stride skips interleaved entries.
    const double strided[6] = {0, 99, 4, 99, 0, 99};
    const double coordinates[3] = {10, 11, 12};
    double ends[4];
    int count = 0;
    SliceTopProfile(strided, 2, 0, 4, 3, 1.0, coordinates, 2, ends, &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(ends[0], 10.5);
    EXPECT_EQ(ends[1], 11.5);
}

TEST(SliceBottomProfile, Cases)
{
    struct Case {
        std::vector<double> heights;
        double level;
        std::vector<double> ends;
    } cases[] = {
        {{1, 1, 1}, 2, {0, 2}},          // wholly below the level: the whole row
        {{5, 6, 7}, 2, {}},
        {{4, 2, 4}, 2, {1, 1}},          // a dip touching the level
        {{4, 0, 4}, 2, {0.5, 1.5}},
        {{0, 4, 0}, 2, {0, 0.5, 1.5, 2}},
    };
    for (const Case& c : cases) EXPECT_EQ(Slice(false, c.heights, c.level), c.ends) << c.level;
}

struct WorkHolder {
    WorkModel work{};
    ~WorkHolder() { DestroyWorkModel(&work); }
};

// A grid of nx x ny x nz nodes at pitch 1 from the origin, all rays empty.
void MakeGrid(WorkModel* work, int nx, int ny, int nz)
{
    work->undoLevels = 1;
    work->nodeCountX = nx;
    work->nodeCountY = ny;
    work->nodeCountZ = nz;
    work->pitch = 1.0;
    ASSERT_EQ(SetUpWorkGrid(work), 1);
    ASSERT_EQ(AllocateWorkModelArrays(work), 1);
}

std::vector<double> RayEnds(const DexelFamily& f, int d)
{
    const double* ends = GetDexelEndsPointer(d, f.capacity, f.counts, f.ends);
    return std::vector<double>(ends, ends + f.counts[d]);
}

TEST(BuildSideRaysFromHeights, SlicesRowsAndColumnsOfAHeightField)
{
    WorkHolder h;
    MakeGrid(&h.work, 3, 2, 4);
    // Heights (x, y): row y0: 1 2 3, row y1: 3 2 1, base 0.
    const double heights[6] = {1, 2, 3, 3, 2, 1};
    for (int d = 0; d < 6; d++) {
        const double ends[2] = {0, heights[d]};
        StoreDexelOfFamily(&h.work, 2, d % 3, d / 3, ends, nullptr, nullptr, 2);
    }
    ASSERT_EQ(BuildSideRaysFromHeights(&h.work, 1), 1);
    // X-rays (y node j, z node k): ray j + k * 2.
    EXPECT_EQ(RayEnds(h.work.familyX, 0 + 0 * 2), (std::vector<double>{0, 2}));
    EXPECT_EQ(RayEnds(h.work.familyX, 0 + 2 * 2), (std::vector<double>{1, 2}));
    EXPECT_EQ(RayEnds(h.work.familyX, 0 + 3 * 2), (std::vector<double>{2, 2}));
    EXPECT_EQ(RayEnds(h.work.familyX, 1 + 3 * 2), (std::vector<double>{0, 0}));
    // Y-rays (z node k, x node i): ray k + i * 4; x0 profile along y is 1, 3.
    EXPECT_EQ(RayEnds(h.work.familyY, 2 + 0 * 4), (std::vector<double>{0.5, 1}));
    EXPECT_EQ(RayEnds(h.work.familyY, 1 + 1 * 4), (std::vector<double>{0, 1}));
    // Built ends carry attribute 0 and value 0.
    EXPECT_EQ(h.work.familyY.attributes[(2 + 0 * 4) * 8], 0);
    EXPECT_EQ(h.work.familyY.values[(2 + 0 * 4) * 8 + 1], 0);
}

TEST(BuildCrossRaysFromHeights, NegativeCodeSlicesFirstEndsFromBelow)
{
    WorkHolder h;
    MakeGrid(&h.work, 2, 3, 2);
    // X-rays (code -1) hold the material from the surface (first end) to the upper face x = 1:
    // X-ray j + k * 3; surface at x = 0.5 for y node 1, else at x = 0 (full).
    for (int k = 0; k < 2; k++)
        for (int j = 0; j < 3; j++) {
            const double ends[2] = {j == 1 ? 0.5 : 0.0, 1.0};
            StoreDexelOfFamily(&h.work, 0, j, k, ends, nullptr, nullptr, 2);
        }
    ASSERT_EQ(BuildCrossRaysFromHeights(&h.work, -1), 1);
    // Z-rays (first built, profile along z for each y node, levels along x): at x = 0 the level 0
    // lies at or above the surface only where the surface is 0: y nodes 0 and 2.
    EXPECT_EQ(RayEnds(h.work.familyZ, 0 + 0 * 2), (std::vector<double>{0, 1}));
    EXPECT_EQ(h.work.familyZ.counts[0 + 1 * 2], 0);
    EXPECT_EQ(RayEnds(h.work.familyZ, 1 + 1 * 2), (std::vector<double>{0, 1}));
    // Y-rays (profile along y for each z node, levels along x): at x = 0 the profile 0, 0.5, 0
    // is at or below the level 0 at y 0 and y 2 only: [0, 0] and [2, 2].
    EXPECT_EQ(RayEnds(h.work.familyY, 0 + 0 * 2), (std::vector<double>{0, 0, 2, 2}));
    EXPECT_EQ(RayEnds(h.work.familyY, 0 + 1 * 2), (std::vector<double>{0, 2}));
}

TEST(DropInvertedDexels, EmptiesOnlyInvertedPairs)
{
    WorkHolder h;
    MakeGrid(&h.work, 2, 2, 2);
    const double inverted[2] = {5, 3};
    const double four[4] = {5, 3, 7, 9};
    const double fine[2] = {3, 5};
    StoreDexelOfFamily(&h.work, 2, 0, 0, inverted, nullptr, nullptr, 2);
    StoreDexelOfFamily(&h.work, 2, 1, 0, four, nullptr, nullptr, 4);
    StoreDexelOfFamily(&h.work, 2, 0, 1, fine, nullptr, nullptr, 2);
    StoreDexelOfFamily(&h.work, 0, 0, 0, inverted, nullptr, nullptr, 2);
    DropInvertedDexels(&h.work, 2);
    EXPECT_EQ(h.work.familyZ.counts[0], 0);
    EXPECT_EQ(h.work.familyZ.counts[1], 4);
    EXPECT_EQ(h.work.familyZ.counts[2], 2);
    EXPECT_EQ(h.work.familyX.counts[0], 2);  // another family is left alone
}

}  // namespace
