// Facet plane tables and the sort of facets and planes together by their top, highest first.
#include "work_model/facet_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

// A flat facet whose top is at height top, tagged by normal[0].
FacetVertices MakeTaggedFacet(double tag, double top)
{
    FacetVertices facet = {{tag, 0, 0}, {0, 0, top - 1, 1, 0, top - 0.5, 0, 1, top}};
    return facet;
}

struct FacetTable {
    std::vector<FacetVertices> facets;
    std::vector<FacetPlane> planes;
};

FacetTable MakeTable(const std::vector<double>& tops)
{
    FacetTable table;
    for (size_t i = 0; i < tops.size(); i++) table.facets.push_back(MakeTaggedFacet(static_cast<double>(i), tops[i]));
    table.planes.resize(tops.size());
    BuildFacetPlaneTable(static_cast<int>(tops.size()), table.facets.data(), table.planes.data());
    return table;
}

// The tags of the first count entries.
std::vector<int> LeadingTags(const FacetTable& table, int count)
{
    std::vector<int> tags;
    for (int i = 0; i < count; i++) tags.push_back(static_cast<int>(table.facets[static_cast<size_t>(i)].normal[0]));
    return tags;
}

// Keys: Y at 1 and X at xAt share 50 in different chunks; larger keys behind them move Y past X in the plain
// sort, so the plain sort gives X before Y while the chunked merge puts the lower chunk's Y first.
std::vector<double> MakeEqualKeyPattern(int count, int xAt, int sixtyAt, int seventyAt)
{
    std::vector<double> tops(static_cast<size_t>(count), 0.0);
    tops[1] = 50;
    tops[static_cast<size_t>(xAt)] = 50;
    tops[static_cast<size_t>(sixtyAt)] = 60;
    tops[static_cast<size_t>(seventyAt)] = 70;
    return tops;
}

}  // namespace

TEST(FacetTables, PlaneBoxAndAxisCode)
{
    const FacetVertices facets[3] = {
        {{0, 0, 0}, {5, 0, 0, 5, 2, 0, 5, 0, 3}},  // same x
        {{0, 0, 0}, {1, 2, 3, 1, 2, 3, 1, 2, 3}},  // all equal: x is tested first
        {{0, 0, 0}, {0, 0, 0, 1, 0, 1, 0, 1, 0}},  // oblique
    };
    FacetPlane planes[3];
    BuildFacetPlaneTable(3, facets, planes);
    EXPECT_EQ(planes[0].axisCode, 0);
    EXPECT_EQ(planes[0].plane[0], 1);
    EXPECT_EQ(planes[0].plane[3], -5);
    EXPECT_EQ(planes[0].boxMax[1], 2);
    EXPECT_EQ(planes[0].boxMax[2], 3);
    EXPECT_EQ(planes[1].axisCode, 0);
    EXPECT_EQ(planes[1].plane[0], 0);  // no area: no plane
    EXPECT_EQ(planes[2].axisCode, 3);
    EXPECT_EQ(planes[2].boxMin[0], 0);
    EXPECT_EQ(planes[2].boxMax[2], 1);
}

TEST(FacetTables, SmallTablesSortInOnePiece)
{
    FacetTable one = MakeTable({3});
    EXPECT_EQ(SortFacetsByTopChunked(1, one.facets.data(), one.planes.data()), 1);
    EXPECT_EQ(LeadingTags(one, 1), std::vector<int>{0});

    FacetTable small = MakeTable({1, 5, 3, 5, 2});
    EXPECT_EQ(SortFacetsByTopChunked(5, small.facets.data(), small.planes.data()), 1);
    EXPECT_EQ(LeadingTags(small, 5), (std::vector<int>{1, 3, 2, 4, 0}));

    // 4999 entries: one piece, so the plain sort's order of equal keys (X before Y).
    FacetTable table = MakeTable(MakeEqualKeyPattern(4999, 3000, 3500, 4000));
    EXPECT_EQ(SortFacetsByTopChunked(4999, table.facets.data(), table.planes.data()), 1);
    EXPECT_EQ(LeadingTags(table, 4), (std::vector<int>{4000, 3500, 3000, 1}));
}

TEST(FacetTables, ChunksMergeWithTheLowerChunkFirstOnEqualKeys)
{
    // 5000 entries: two chunks of 2500; Y (chunk 0) comes before X (chunk 1).
    FacetTable table = MakeTable(MakeEqualKeyPattern(5000, 3000, 3500, 4000));
    EXPECT_EQ(SortFacetsByTopChunked(5000, table.facets.data(), table.planes.data()), 1);
    EXPECT_EQ(LeadingTags(table, 4), (std::vector<int>{4000, 3500, 1, 3000}));
}

TEST(FacetTables, LargeTableComesBackComplete)
{
    std::mt19937 random(12000);
    std::uniform_int_distribution<int> pick(0, 300);  // many equal keys across chunks
    std::vector<double> tops;
    for (int i = 0; i < 12000; i++) tops.push_back(pick(random) * 0.5);
    FacetTable table = MakeTable(tops);
    ASSERT_EQ(SortFacetsByTopChunked(12000, table.facets.data(), table.planes.data()), 1);
    std::vector<int> seen(12000, 0);
    for (size_t i = 0; i < table.facets.size(); i++) {
        int tag = static_cast<int>(table.facets[i].normal[0]);
        ASSERT_TRUE(tag >= 0 && tag < 12000);
        seen[static_cast<size_t>(tag)]++;
        EXPECT_EQ(table.planes[i].boxMax[2], tops[static_cast<size_t>(tag)]);  // facet and plane stay paired
        if (i > 0) {
            EXPECT_LE(table.planes[i].boxMax[2], table.planes[i - 1].boxMax[2]);
        }
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 12000);
}

TEST(FacetTables, QuarterMillionFacetsSortHighestFirstWithTheChunkTieRule)
{
    const int n = 250000, chunkLength = n / 50;
    std::mt19937 random(250000);
    std::uniform_int_distribution<int> pick(0, 2000);
    std::vector<double> tops;
    for (int i = 0; i < n; i++) tops.push_back(pick(random) * 0.25);
    FacetTable table = MakeTable(tops);
    ASSERT_EQ(SortFacetsByTopChunked(n, table.facets.data(), table.planes.data()), 1);
    std::vector<int> seen(static_cast<size_t>(n), 0);
    int previousChunk = 0;
    for (size_t i = 0; i < table.facets.size(); i++) {
        const int tag = static_cast<int>(table.facets[i].normal[0]);
        ASSERT_TRUE(tag >= 0 && tag < n);
        seen[static_cast<size_t>(tag)]++;
        ASSERT_EQ(table.planes[i].boxMax[2], tops[static_cast<size_t>(tag)]);
        const int chunk = tag / chunkLength;
        if (i > 0 && table.planes[i].boxMax[2] == table.planes[i - 1].boxMax[2]) {
            // Among equal tops the entries of a lower-numbered chunk come first.
            ASSERT_GE(chunk, previousChunk) << i;
        } else if (i > 0) {
            ASSERT_LT(table.planes[i].boxMax[2], table.planes[i - 1].boxMax[2]) << i;
        }
        previousChunk = chunk;
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), n);
}
