// Ray storage (inline slots and separate arrays) and the interval subtraction and union.
#include "work_model/dexel_intervals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

struct Ray {
    double ends[80];
    uint8_t attributes[80];
    int32_t values[80];
    int count;
};

Ray MakeRay(std::vector<double> ends)
{
    Ray ray{};
    for (size_t i = 0; i < ends.size(); i++) {
        ray.ends[i] = ends[i];
        ray.attributes[i] = uint8_t(0x10 * (i + 1));
        ray.values[i] = int32_t(100 + i);
    }
    ray.count = int(ends.size());
    return ray;
}

struct SubtractResult {
    std::vector<double> ends;
    std::vector<double> pieces;
    double volume;
};

const uint8_t kPair[2] = {0x31, 0x50};
const int32_t kTags[2] = {-7, 9};

SubtractResult Subtract(Ray* ray, double a, double b, double origin = 0.0, double pitch = 1.0,
                        double area = 2.0)
{
    double pieces[80];
    int removed = -1;
    double volume = 0.5;  // added to, never reset
    const double coordinates[1] = {origin};
    SubtractDexelIntervalWithVolume(ray->ends, ray->attributes, ray->values, &ray->count, pitch,
                                    coordinates, area, &volume, pieces, &removed, a, b, kPair, kTags);
    return SubtractResult{std::vector<double>(ray->ends, ray->ends + ray->count),
                          std::vector<double>(pieces, pieces + removed), volume - 0.5};
}

TEST(SubtractDexelIntervalWithVolume, CasesOfOneInterval)
{
    struct Case {
        std::vector<double> ray;
        double a, b;
        std::vector<double> ends, pieces;
        double volume;  // in cell areas
    };
    const Case cases[] = {
        {{0, 10}, 2, 5, {0, 2, 5, 10}, {2, 5}, 3},            // split
        {{0, 10}, -1, 0, {0, 10}, {}, 0},                     // touching below
        {{0, 10}, 10, 12, {0, 10}, {}, 0},                    // touching above
        {{0, 10}, -1, 11, {}, {0, 10}, 10},                   // whole interval
        {{0, 10}, 0, 10, {}, {0, 10}, 10},                    // exactly the interval
        {{0, 10}, -1, 3, {3, 10}, {0, 3}, 3},                 // covers the entry
        {{0, 10}, 8, 12, {0, 8}, {8, 10}, 2},                 // covers the exit
        {{0, 10}, 4.2, 4.6, {0, 4.2, 4.6, 10}, {4.2, 4.6}, 0.4},  // short cut, no sliver
        {{0, 4.9}, 4.2, 4.6, {0, 4.2}, {4.2, 4.9}, 0.4},      // sliver: exit in the cut's cell
        {{4.1, 10}, 4.2, 4.6, {4.6, 10}, {4.1, 4.6}, 0.4},    // sliver: entry in the cut's cell
        {{0, 10}, 4.5, 5.5, {0, 4.5, 5.5, 10}, {4.5, 5.5}, 1},  // spans node 5: no sliver rule
        {{0, 10}, 5, 5, {0, 10}, {}, 0},                      // empty cut: nothing
        {{0, 10}, 6, 3, {0, 10}, {}, 0},                      // reversed cut: nothing
    };
    for (const Case& c : cases) {
        Ray ray = MakeRay(c.ray);
        const SubtractResult r = Subtract(&ray, c.a, c.b);
        SCOPED_TRACE(testing::Message() << "cut [" << c.a << ", " << c.b << "]");
        EXPECT_EQ(r.ends, c.ends);
        EXPECT_EQ(r.pieces, c.pieces);
        EXPECT_NEAR(r.volume, c.volume * 2.0, 1e-12);
    }
}

TEST(SubtractDexelIntervalWithVolume, NewEndsCarryThePairAndOldEndsKeepTheirs)
{
    Ray ray = MakeRay({0, 10});
    Subtract(&ray, 2, 5);
    EXPECT_EQ(ray.attributes[0], 0x10);
    EXPECT_EQ(ray.attributes[1], kPair[0]);
    EXPECT_EQ(ray.attributes[2], kPair[1]);
    EXPECT_EQ(ray.attributes[3], 0x20);
    EXPECT_EQ(ray.values[0], 100);
    EXPECT_EQ(ray.values[1], kTags[0]);
    EXPECT_EQ(ray.values[2], kTags[1]);
    EXPECT_EQ(ray.values[3], 101);

    Ray sliver = MakeRay({0, 4.9});
    Subtract(&sliver, 4.2, 4.6);
    EXPECT_EQ(sliver.attributes[1], kPair[0]);
    EXPECT_EQ(sliver.values[1], kTags[0]);
}

TEST(SubtractDexelIntervalWithVolume, SeveralIntervalsAndOrigin)
{
    // A cut across three intervals: trims the first, removes the middle, trims the last.
    Ray ray = MakeRay({0, 2, 3, 4, 5, 9});
    SubtractResult r = Subtract(&ray, 1, 6);
    EXPECT_EQ(r.ends, (std::vector<double>{0, 1, 6, 9}));
    EXPECT_EQ(r.pieces, (std::vector<double>{1, 2, 3, 4, 5, 6}));
    EXPECT_DOUBLE_EQ(r.volume, 3 * 2.0);
    EXPECT_EQ(ray.values[1], kTags[0]);
    EXPECT_EQ(ray.values[2], kTags[1]);
    EXPECT_EQ(ray.values[3], 105);  // exit 9 kept its own tag through the move

    // The sliver cells count from the ray's first node: origin 0.5 shifts them by half a cell.
    Ray shifted = MakeRay({0, 5.6});
    r = Subtract(&shifted, 4.6, 4.8, 0.5, 1.0);
    EXPECT_EQ(r.ends, (std::vector<double>{0, 4.6, 4.8, 5.6}));
    Ray shifted2 = MakeRay({0, 5.4});
    r = Subtract(&shifted2, 4.6, 4.8, 0.5, 1.0);
    EXPECT_EQ(r.ends, (std::vector<double>{0, 4.6}));
    EXPECT_EQ(r.pieces, (std::vector<double>{4.6, 5.4}));
}

// The subtraction written interval by interval, as a reference for the in-place version.
struct RefEnd {
    double x;
    uint8_t attribute;
    int32_t value;
};

void ReferenceSubtract(std::vector<RefEnd>* ray, double a, double b, double origin, double pitch,
                       std::vector<double>* pieces, double* length)
{
    std::vector<RefEnd> out;
    const RefEnd low{a, kPair[0], kTags[0]}, high{b, kPair[1], kTags[1]};
    for (size_t k = 0; k < ray->size(); k += 2) {
        const RefEnd s = (*ray)[k], t = (*ray)[k + 1];
        auto piece = [&](double p, double q, double l) {
            pieces->push_back(p);
            pieces->push_back(q);
            *length += l;
        };
        if (b <= s.x || a >= t.x) {
            out.insert(out.end(), {s, t});
        } else if (a <= s.x && b >= t.x) {
            piece(s.x, t.x, t.x - s.x);
        } else if (a <= s.x) {
            out.insert(out.end(), {high, t});
            piece(s.x, b, b - s.x);
        } else if (b >= t.x) {
            out.insert(out.end(), {s, low});
            piece(a, t.x, t.x - a);
        } else {
            const double i = std::trunc((a - origin) / pitch), kk = std::ceil((b - origin) / pitch);
            if (b - a < pitch && kk == i + 1 && std::trunc((t.x - origin) / pitch) == i) {
                out.insert(out.end(), {s, low});
                piece(a, t.x, b - a);
            } else if (b - a < pitch && kk == i + 1 && std::ceil((s.x - origin) / pitch) == kk) {
                out.insert(out.end(), {high, t});
                piece(s.x, b, b - a);
            } else {
                out.insert(out.end(), {s, low, high, t});
                piece(a, b, b - a);
            }
        }
    }
    *ray = out;
}

TEST(SubtractDexelIntervalWithVolume, MatchesTheIntervalByIntervalReference)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> lattice(0, 400);  // multiples of 0.05 in [0, 20]
    std::uniform_int_distribution<int> intervals(0, 30);  // long rays take the binary search
    const double origin = 0.2, pitch = 0.5;
    for (int round = 0; round < 20000; round++) {
        std::vector<int> points;
        const int m = intervals(random);
        while (int(points.size()) < 2 * m) {
            const int p = lattice(random);
            if (std::find(points.begin(), points.end(), p) == points.end()) points.push_back(p);
        }
        std::sort(points.begin(), points.end());
        int a = lattice(random), b = lattice(random);
        if (round % 3 == 0) b = a + 1 + round % 12;  // many short cuts for the sliver rule
        if (a == b) continue;
        if (a > b) std::swap(a, b);
        Ray ray{};
        std::vector<RefEnd> reference;
        for (size_t e = 0; e < points.size(); e++) {
            ray.ends[e] = points[e] * 0.05;
            ray.attributes[e] = uint8_t(e + 1);
            ray.values[e] = int32_t(e + 100);
            reference.push_back(RefEnd{ray.ends[e], ray.attributes[e], ray.values[e]});
        }
        ray.count = int(points.size());
        std::vector<double> referencePieces;
        double referenceLength = 0;
        ReferenceSubtract(&reference, a * 0.05, b * 0.05, origin, pitch, &referencePieces, &referenceLength);
        const SubtractResult r = Subtract(&ray, a * 0.05, b * 0.05, origin, pitch, 1.0);
        ASSERT_EQ(ray.count, int(reference.size())) << "round " << round;
        for (int e = 0; e < ray.count; e++) {
            ASSERT_EQ(ray.ends[e], reference[e].x) << "round " << round;
            ASSERT_EQ(ray.attributes[e], reference[e].attribute) << "round " << round;
            ASSERT_EQ(ray.values[e], reference[e].value) << "round " << round;
        }
        ASSERT_EQ(r.pieces, referencePieces) << "round " << round;
        ASSERT_NEAR(r.volume, referenceLength, 1e-9) << "round " << round;
    }
}

TEST(SubtractDexelIntervalClearMarks, SplitsWithoutSliverRuleAndZeroMarks)
{
    Ray ray = MakeRay({0, 4.9});
    SubtractDexelIntervalClearMarks(ray.ends, ray.attributes, ray.values, &ray.count, 4.2, 4.6);
    ASSERT_EQ(ray.count, 4);
    EXPECT_EQ(std::vector<double>(ray.ends, ray.ends + 4), (std::vector<double>{0, 4.2, 4.6, 4.9}));
    EXPECT_EQ(ray.attributes[1], 0);
    EXPECT_EQ(ray.attributes[2], 0);
    EXPECT_EQ(ray.values[1], 0);
    EXPECT_EQ(ray.values[2], 0);
    EXPECT_EQ(ray.attributes[3], 0x20);
    EXPECT_EQ(ray.values[3], 101);
}

TEST(SubtractPlainInterval, Cases)
{
    double ends[8] = {0, 2, 3, 4, 5, 9};
    int count = 6;
    SubtractPlainInterval(ends, &count, 3, 4);  // exactly the middle interval
    EXPECT_EQ(std::vector<double>(ends, ends + count), (std::vector<double>{0, 2, 5, 9}));
    SubtractPlainInterval(ends, &count, 6, 7);
    EXPECT_EQ(std::vector<double>(ends, ends + count), (std::vector<double>{0, 2, 5, 6, 7, 9}));
    SubtractPlainInterval(ends, &count, 2, 5);  // touches both sides: nothing
    EXPECT_EQ(count, 6);
    SubtractPlainInterval(ends, &count, -100, 100);
    EXPECT_EQ(count, 0);
}

TEST(UniteDexelInterval, Cases)
{
    struct Case {
        std::vector<double> list;
        double a, b;
        std::vector<double> result;
    };
    const Case cases[] = {
        {{0, 3, 5, 8}, 3, 5, {0, 8}},               // touching on both sides merges
        {{3, 4}, 1, 2, {1, 2, 3, 4}},               // in front
        {{3, 4}, 5, 6, {3, 4, 5, 6}},               // appended
        {{3, 4}, 4, 6, {3, 6}},                     // touching the last exit
        {{}, 1, 2, {1, 2}},                         // empty list
        {{1, 2}, 3, 3, {1, 2}},                     // empty interval: unchanged
        {{1, 2}, 4, 3, {1, 2}},                     // reversed: unchanged
        {{0, 1, 4, 5, 8, 9}, 2, 3, {0, 1, 2, 3, 4, 5, 8, 9}},  // inserted between
        {{0, 1, 2, 3, 4, 5, 8, 9}, 0.5, 4.5, {0, 5, 8, 9}},    // absorbs several
        {{0, 1, 2, 3, 8, 9}, -1, 20, {-1, 20}},                // covers all
        {{2, 6}, 3, 4, {2, 6}},                                // inside one
    };
    for (const Case& c : cases) {
        double ends[16];
        for (size_t i = 0; i < c.list.size(); i++) ends[i] = c.list[i];
        int count = int(c.list.size());
        UniteDexelInterval(ends, &count, c.a, c.b);
        SCOPED_TRACE(testing::Message() << "union [" << c.a << ", " << c.b << "]");
        EXPECT_EQ(std::vector<double>(ends, ends + count), c.result);
    }
}

// A one-ray family: counts, slots and helpers to store and read it.
struct OneRayFamily {
    int32_t counts[2] = {0, 0};
    double ends[16];
    uint8_t attributes[16];
    int32_t values[16];
};

std::vector<double> ReadBack(const OneRayFamily& f, int d, std::vector<uint8_t>* attributes = nullptr,
                             std::vector<int32_t>* values = nullptr)
{
    double ends[DEXEL_MAX_ENDS];
    uint8_t attr[DEXEL_MAX_ENDS];
    int32_t val[DEXEL_MAX_ENDS];
    int count = -1;
    ReadDexel(d, 8, f.counts, f.ends, f.attributes, f.values, &count, ends, attr, val);
    if (attributes) attributes->assign(attr, attr + count);
    if (values) values->assign(val, val + count);
    return std::vector<double>(ends, ends + count);
}

TEST(StoreDexel, RayGrowsFromEightToTenEndsAndBack)
{
    OneRayFamily f;
    Ray ray = MakeRay({0, 1, 2, 3, 4, 5, 6, 10});
    ASSERT_EQ(StoreDexel(1, 8, f.counts, f.ends, f.attributes, f.values, ray.ends, ray.attributes,
                         ray.values, ray.count), 1);
    EXPECT_EQ(GetDexelEndsPointer(1, 8, f.counts, f.ends), f.ends + 8);  // inline

    // Split the last interval: 10 ends go to separate arrays (of their size class, 16 entries).
    double work[16];
    uint8_t workAttributes[16];
    int32_t workValues[16];
    int count;
    ReadDexel(1, 8, f.counts, f.ends, f.attributes, f.values, &count, work, workAttributes, workValues);
    double volume = 0, pieces[16];
    int removed;
    const double origin[1] = {0};
    SubtractDexelIntervalWithVolume(work, workAttributes, workValues, &count, 1.0, origin, 1.0, &volume,
                                    pieces, &removed, 7, 8, kPair, kTags);
    ASSERT_EQ(count, 10);
    ASSERT_EQ(StoreDexel(1, 8, f.counts, f.ends, f.attributes, f.values, work, workAttributes,
                         workValues, count), 1);
    EXPECT_EQ(f.counts[1], 10);
    EXPECT_NE(GetDexelEndsPointer(1, 8, f.counts, f.ends), f.ends + 8);
    std::vector<uint8_t> attributes;
    std::vector<int32_t> values;
    EXPECT_EQ(ReadBack(f, 1, &attributes, &values),
              (std::vector<double>{0, 1, 2, 3, 4, 5, 6, 7, 8, 10}));
    EXPECT_EQ(attributes[7], kPair[0]);
    EXPECT_EQ(values[8], kTags[1]);
    EXPECT_EQ(values[9], 107);

    // A trim keeps the length: cut in the separate arrays themselves and store back in place.
    SubtractDexelIntervalWithVolume(GetDexelEndsPointer(1, 8, f.counts, f.ends),
                                    GetDexelAttributesPointer(1, 8, f.counts, f.ends, f.attributes),
                                    GetDexelValuesPointer(1, 8, f.counts, f.values), &count, 1.0,
                                    origin, 1.0, &volume, pieces, &removed, 9.5, 11, kPair, kTags);
    ASSERT_EQ(count, 10);
    ASSERT_EQ(StoreDexel(1, 8, f.counts, f.ends, f.attributes, f.values,
                         GetDexelEndsPointer(1, 8, f.counts, f.ends),
                         GetDexelAttributesPointer(1, 8, f.counts, f.ends, f.attributes),
                         GetDexelValuesPointer(1, 8, f.counts, f.values), count), 1);
    EXPECT_EQ(ReadBack(f, 1), (std::vector<double>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9.5}));

    // Shrink through a work buffer: back to the slots.
    ReadDexel(1, 8, f.counts, f.ends, f.attributes, f.values, &count, work, workAttributes, workValues);
    ASSERT_EQ(count, 10);
    SubtractDexelIntervalWithVolume(work, workAttributes, workValues, &count, 1.0, origin, 1.0,
                                    &volume, pieces, &removed, -1, 3.5, kPair, kTags);
    ASSERT_EQ(count, 6);
    ASSERT_EQ(StoreDexel(1, 8, f.counts, f.ends, f.attributes, f.values, work, workAttributes,
                         workValues, count), 1);
    EXPECT_EQ(GetDexelEndsPointer(1, 8, f.counts, f.ends), f.ends + 8);  // back in the slots
    EXPECT_EQ(ReadBack(f, 1), (std::vector<double>{4, 5, 6, 7, 8, 9.5}));
    EXPECT_EQ(f.counts[0], 0);  // the neighbour is untouched
    StoreDexel(1, 8, f.counts, f.ends, f.attributes, f.values, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(ReadBack(f, 1).size(), 0u);
}

TEST(StoreDexel, LongToLongOfOtherLengthAndFromItsOwnArrays)
{
    OneRayFamily f;
    std::vector<double> twelve = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    Ray ray = MakeRay(twelve);
    ASSERT_EQ(StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, ray.ends, ray.attributes,
                         ray.values, 12), 1);
    ASSERT_EQ(StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, ray.ends, ray.attributes,
                         ray.values, 10), 1);
    EXPECT_EQ(ReadBack(f, 0), std::vector<double>(twelve.begin(), twelve.begin() + 10));
    // Store back from the ray's own separate arrays (the kernel's in-place cut then store).
    double* own = GetDexelEndsPointer(0, 8, f.counts, f.ends);
    ASSERT_EQ(StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, own,
                         GetDexelAttributesPointer(0, 8, f.counts, f.ends, f.attributes),
                         GetDexelValuesPointer(0, 8, f.counts, f.values), 4), 1);
    std::vector<uint8_t> attributes;
    EXPECT_EQ(ReadBack(f, 0, &attributes), (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(attributes, (std::vector<uint8_t>{0x10, 0x20, 0x30, 0x40}));
}

// A long ray keeps its arrays while its count stays in one size class (growing by half from 16),
// so that a ray growing by two ends per cut allocates only now and then.
TEST(StoreDexel, LongRayKeepsItsArraysWithinItsSizeClass)
{
    const int classes[][2] = {{9, 16}, {16, 16}, {17, 24}, {25, 36}, {37, 54}, {9999, DEXEL_MAX_ENDS},
                              {DEXEL_MAX_ENDS, DEXEL_MAX_ENDS}};
    for (const auto& c : classes) EXPECT_EQ(GetDexelSeparateCapacity(c[0]), c[1]) << c[0];
    OneRayFamily f;
    std::vector<double> ends(40);
    for (size_t k = 0; k < ends.size(); k++) ends[k] = double(k);
    ASSERT_EQ(StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, ends.data(), nullptr, nullptr, 10), 1);
    const double* first = GetDexelEndsPointer(0, 8, f.counts, f.ends);
    ASSERT_EQ(StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, ends.data(), nullptr, nullptr, 16), 1);
    EXPECT_EQ(GetDexelEndsPointer(0, 8, f.counts, f.ends), first);
    ASSERT_EQ(StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, ends.data(), nullptr, nullptr, 24), 1);
    EXPECT_EQ(ReadBack(f, 0), std::vector<double>(ends.begin(), ends.begin() + 24));
    ASSERT_EQ(StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, ends.data(), nullptr, nullptr, 12), 1);
    EXPECT_EQ(ReadBack(f, 0), std::vector<double>(ends.begin(), ends.begin() + 12));
    StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, nullptr, nullptr, nullptr, 0);
}

TEST(StoreDexel, RefusesCountsOutsideTheLimit)
{
    OneRayFamily f;
    Ray ray = MakeRay({1, 2});
    ASSERT_EQ(StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, ray.ends, ray.attributes,
                         ray.values, 2), 1);
    EXPECT_EQ(StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, ray.ends, ray.attributes,
                         ray.values, -2), 0);
    std::vector<double> many(DEXEL_MAX_ENDS + 2, 0.0);
    EXPECT_EQ(StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, many.data(), nullptr,
                         nullptr, DEXEL_MAX_ENDS + 2), 0);
    EXPECT_EQ(ReadBack(f, 0), (std::vector<double>{1, 2}));
}

TEST(ReadDexel, AttributeReadersAndRestore)
{
    OneRayFamily f;
    Ray ray = MakeRay({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});  // long ray
    StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, ray.ends, ray.attributes, ray.values, 10);
    uint8_t bytes[16];
    ReadDexelAttributes(0, 8, f.counts, f.attributes, bytes);
    EXPECT_EQ(bytes[9], 0xA0);
    for (uint8_t& b : bytes) b = 3;
    RestoreDexelAttributes(0, 8, f.counts, f.attributes, bytes);
    double ends[16];
    uint8_t attributes[16];
    int32_t values[16];
    int count = 0;
    ReadDexelEndsAttributes(0, 8, f.counts, f.ends, f.attributes, &count, ends, attributes);
    EXPECT_EQ(count, 10);
    EXPECT_EQ(attributes[0], 3);
    EXPECT_EQ(attributes[9], 3);
    ReadDexelEndsValues(0, 8, f.counts, f.ends, f.values, &count, ends, values);
    EXPECT_EQ(values[9], 109);
    EXPECT_EQ(ends[9], 9.0);
    // An empty ray copies nothing.
    ends[0] = -5;
    ReadDexelEnds(1, 8, f.counts, f.ends, &count, ends);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ends[0], -5);
    // Clean up the separate arrays.
    StoreDexel(0, 8, f.counts, f.ends, f.attributes, f.values, nullptr, nullptr, nullptr, 0);
}

// A family of capacity 4 (as the Z-rays) has attribute slots too narrow for an address: a long
// ray keeps its attributes' address in its end slots, and its neighbours' slots stay untouched.
TEST(StoreDexel, NarrowFamilyKeepsItsNeighboursAndItsLongRays)
{
    const int c = 4;
    int32_t counts[3] = {0, 0, 0};
    double ends[3 * c];
    uint8_t attributes[3 * c];
    int32_t values[3 * c];
    const Ray neighbour = MakeRay({7, 8, 9, 11});
    for (int d : {0, 2})
        ASSERT_EQ(StoreDexel(d, c, counts, ends, attributes, values, neighbour.ends,
                             neighbour.attributes, neighbour.values, 4), 1);
    for (int n : {6, 12, 4, 2}) {  // inline to long, longer, back inline and shorter
        std::vector<double> list;
        for (int e = 0; e < n; e++) list.push_back(e);
        const Ray ray = MakeRay(list);
        ASSERT_EQ(StoreDexel(1, c, counts, ends, attributes, values, ray.ends, ray.attributes,
                             ray.values, n), 1);
        EXPECT_EQ(GetDexelEndsPointer(1, c, counts, ends) == ends + c, n <= c) << n;
        double readEnds[16];
        uint8_t readAttributes[16];
        int32_t readValues[16];
        int count = 0;
        ReadDexel(1, c, counts, ends, attributes, values, &count, readEnds, readAttributes, readValues);
        ASSERT_EQ(count, n);
        for (int e = 0; e < n; e++) {
            EXPECT_EQ(readEnds[e], e);
            EXPECT_EQ(readAttributes[e], ray.attributes[e]) << n << " " << e;
            EXPECT_EQ(readValues[e], ray.values[e]);
        }
        EXPECT_EQ(GetDexelAttributesPointer(1, c, counts, ends, attributes)[n - 1], ray.attributes[n - 1]);
        for (int d : {0, 2}) {
            for (int e = 0; e < 4; e++) {
                EXPECT_EQ(ends[d * c + e], neighbour.ends[e]);
                EXPECT_EQ(attributes[d * c + e], neighbour.attributes[e]) << n << " " << d << " " << e;
                EXPECT_EQ(values[d * c + e], neighbour.values[e]);
            }
        }
    }
}

}  // namespace
