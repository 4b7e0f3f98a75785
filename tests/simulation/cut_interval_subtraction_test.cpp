// Removal of a cut interval from one ray: the reach of 1e-9, splitting, the short-cut (sliver)
// rule, colours and tags of new ends, the removed volume and the reported pieces.
#include "simulation/cut_interval_subtraction.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Ray {
    double ends[16];
    uint8_t attributes[16];
    int32_t tags[16];
    int count;
};

Ray MakeRay(std::vector<double> ends)
{
    Ray ray{};
    ray.count = int(ends.size());
    for (int k = 0; k < ray.count; k++) {
        ray.ends[k] = ends[k];
        ray.attributes[k] = uint8_t(0x10 + k);
        ray.tags[k] = 100 + k;
    }
    return ray;
}

const double kNodes[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
const uint8_t kColour[2] = {0x31, 0x40};
const int32_t kTag[2] = {-12, 12};

struct Result {
    double volume;
    double pieces[16];
    int pieceEnds;
};

Result Cut(Ray* ray, double c, double e, double area = 1.0)
{
    Result r{};
    SubtractCutIntervalFromDexel(ray->ends, ray->attributes, ray->tags, &ray->count, 1.0, 12, kNodes, area,
                                 &r.volume, r.pieces, &r.pieceEnds, c, e, kColour, kTag);
    return r;
}

std::vector<double> Ends(const Ray& ray) { return std::vector<double>(ray.ends, ray.ends + ray.count); }

TEST(SubtractCutIntervalFromDexel, CutReachingAnEndWithinTheToleranceTakesTheWholeInterval)
{
    Ray ray = MakeRay({0, 10});
    Result r = Cut(&ray, -1, 10 - 5e-10);
    EXPECT_EQ(ray.count, 0);
    ASSERT_EQ(r.pieceEnds, 2);
    EXPECT_EQ(r.pieces[0], 0);
    EXPECT_EQ(r.pieces[1], 10);
    EXPECT_DOUBLE_EQ(r.volume, 10);
}

TEST(SubtractCutIntervalFromDexel, CutAcrossNodesSplitsWithColoursAndTags)
{
    Ray ray = MakeRay({0, 10});
    Result r = Cut(&ray, 4, 6, 0.25);
    EXPECT_EQ(Ends(ray), (std::vector<double>{0, 4, 6, 10}));
    EXPECT_EQ(ray.attributes[0], 0x10);
    EXPECT_EQ(ray.attributes[1], 0x31);
    EXPECT_EQ(ray.attributes[2], 0x40);
    EXPECT_EQ(ray.attributes[3], 0x11);
    EXPECT_EQ(ray.tags[1], -12);
    EXPECT_EQ(ray.tags[2], 12);
    EXPECT_EQ(ray.tags[3], 101);
    EXPECT_DOUBLE_EQ(r.volume, 2 * 0.25);
    EXPECT_EQ(r.pieceEnds, 2);
}

TEST(SubtractCutIntervalFromDexel, ShortCutInTheCellOfAnEndTrimsInsteadOfSplitting)
{
    Ray ray = MakeRay({0, 4.7});
    Result r = Cut(&ray, 4.2, 4.4);
    EXPECT_EQ(Ends(ray), (std::vector<double>{0, 4.2}));
    EXPECT_EQ(ray.attributes[1], 0x31);
    EXPECT_EQ(ray.tags[1], -12);
    ASSERT_EQ(r.pieceEnds, 2);
    EXPECT_EQ(r.pieces[0], 4.2);
    EXPECT_EQ(r.pieces[1], 4.7);
    EXPECT_NEAR(r.volume, 0.2, 1e-12);  // the cut's length, not the trimmed one

    // The start in the cut's cell: the interval starts at the cut's end instead.
    Ray upper = MakeRay({4.1, 9});
    Result u = Cut(&upper, 4.3, 4.6);
    EXPECT_EQ(Ends(upper), (std::vector<double>{4.6, 9}));
    EXPECT_EQ(upper.attributes[0], 0x40);
    EXPECT_EQ(u.pieces[0], 4.1);
    EXPECT_EQ(u.pieces[1], 4.6);
    EXPECT_NEAR(u.volume, 0.3, 1e-12);

    // Neither end in the cell: a real split.
    Ray middle = MakeRay({0, 9});
    Cut(&middle, 4.3, 4.6);
    EXPECT_EQ(Ends(middle), (std::vector<double>{0, 4.3, 4.6, 9}));
}

TEST(SubtractCutIntervalFromDexel, MissingCutChangesNothing)
{
    Ray ray = MakeRay({0, 2, 5, 7});
    const Ray before = ray;
    Result r = Cut(&ray, 2.5, 4.5);
    EXPECT_EQ(Ends(ray), Ends(before));
    EXPECT_EQ(r.pieceEnds, 0);
    EXPECT_EQ(r.volume, 0);
    for (int k = 0; k < 4; k++) {
        EXPECT_EQ(ray.attributes[k], before.attributes[k]);
        EXPECT_EQ(ray.tags[k], before.tags[k]);
    }
}

TEST(SubtractCutIntervalFromDexel, CutAcrossThreeIntervalsRemovesTheMiddleAndTrimsTheOthers)
{
    Ray ray = MakeRay({0, 2, 3, 5, 6, 9});
    Result r = Cut(&ray, 1, 7);
    EXPECT_EQ(Ends(ray), (std::vector<double>{0, 1, 7, 9}));
    EXPECT_EQ(ray.attributes[0], 0x10);
    EXPECT_EQ(ray.attributes[1], 0x31);
    EXPECT_EQ(ray.attributes[2], 0x40);
    EXPECT_EQ(ray.attributes[3], 0x15);
    EXPECT_EQ(ray.tags[3], 105);
    ASSERT_EQ(r.pieceEnds, 6);
    EXPECT_EQ((std::vector<double>(r.pieces, r.pieces + 6)), (std::vector<double>{1, 2, 3, 5, 6, 7}));
    EXPECT_DOUBLE_EQ(r.volume, 1 + 2 + 1);
}

TEST(SubtractCutIntervalFromDexel, CutInsideALaterIntervalKeepsTheEarlierOnesAndEndsTheWalk)
{
    Ray ray = MakeRay({0, 1, 2, 3, 4, 10, 11, 12});
    Result r = Cut(&ray, 5, 8);
    EXPECT_EQ(Ends(ray), (std::vector<double>{0, 1, 2, 3, 4, 5, 8, 10, 11, 12}));
    EXPECT_EQ(ray.tags[9], 107);
    EXPECT_EQ(r.pieceEnds, 2);
    // A removed interval before the split moves the rest down.
    Ray ray2 = MakeRay({0, 1, 2, 3, 4, 10});
    Cut(&ray2, 1.5, 3.5);
    EXPECT_EQ(Ends(ray2), (std::vector<double>{0, 1, 4, 10}));
    EXPECT_EQ(ray2.attributes[2], 0x14);
}

TEST(SubtractCutIntervalFromDexel, PartialCoverAtEitherSide)
{
    Ray lower = MakeRay({2, 8});
    Result r = Cut(&lower, 1, 5);
    EXPECT_EQ(Ends(lower), (std::vector<double>{5, 8}));
    EXPECT_EQ(lower.attributes[0], 0x40);
    EXPECT_DOUBLE_EQ(r.volume, 3);
    Ray upper = MakeRay({2, 8});
    r = Cut(&upper, 5, 9);
    EXPECT_EQ(Ends(upper), (std::vector<double>{2, 5}));
    EXPECT_EQ(upper.attributes[1], 0x31);
    EXPECT_DOUBLE_EQ(r.volume, 3);
    // A start within 1e-9 above the cut's end counts as reached (it takes the cut's end and colour);
    // one 2e-9 above it is left alone.
    Ray near = MakeRay({5 + 5e-10, 8});
    Cut(&near, 1, 5);
    EXPECT_EQ(near.ends[0], 5);
    EXPECT_EQ(near.attributes[0], 0x40);
    Ray apart = MakeRay({5 + 2e-9, 8});
    r = Cut(&apart, 1, 5);
    EXPECT_EQ(apart.ends[0], 5 + 2e-9);
    EXPECT_EQ(apart.attributes[0], 0x10);
    EXPECT_EQ(r.pieceEnds, 0);
}

}  // namespace
