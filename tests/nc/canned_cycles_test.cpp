// Canned cycle expansion: the points of drilling, peck and tapping cycles with G98 / G99 and repeats,
// the single feed of a peck cycle without peck depth, the in-plane values of every point, and the
// growth and bound of the look-ahead arrays.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/shell_services.h"
#include "block_test_support.h"
#include "nc/block_state.h"
#include "nc/canned_cycles.h"
#include "nc/interpreter_state.h"
#include "nc/nc_words.h"

namespace {

struct Point {
    int kind;
    double normal;
};

class CannedCyclesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetBlockTestState();
        g_RunMode = 0;
    }
    void TearDown() override { g_RunMode = 0; }

    // A cycle with the hole at (x, y), coming from (px, py, pz).
    void SetCycle(int code, int returnToInitial, double r, double bottom, double q, double x, double y, double px,
                  double py, double pz)
    {
        g_CannedCycleCode = code;
        g_CycleReturnToInitial = returnToInitial;
        g_CycleRPoint = r;
        g_CycleBottom = bottom;
        g_CyclePeck = q;
        g_CycleRepeatCount = 1;
        g_CycleInitialLevel = pz;
        g_NcPreviousPosition = AxisPosition{{px, py, pz, 0, 0}};
        g_NcTargetPosition = AxisPosition{{x, y, pz, 0, 0}};
    }
};

std::vector<Point> QueuedPoints()
{
    std::vector<Point> points;
    for (int k = 0; k < g_LookaheadCount; ++k) points.push_back({g_LookaheadKinds[k], g_LookaheadValues[k]});
    return points;
}

void ExpectPoints(const std::vector<Point>& expected)
{
    const std::vector<Point> points = QueuedPoints();
    ASSERT_EQ(expected.size(), points.size());
    for (size_t k = 0; k < points.size(); ++k) {
        EXPECT_EQ(expected[k].kind, points[k].kind) << "point " << k;
        EXPECT_EQ(expected[k].normal, points[k].normal) << "point " << k;
    }
}

TEST_F(CannedCyclesTest, DrillingCycleWithRLevelReturn)
{
    SetCycle(81, 0, 2.0, -10.0, 0.0, 10.0, 0.0, 0.0, 0.0, 50.0);
    ASSERT_EQ(4, QueueCannedCyclePoints());
    ExpectPoints({{0, 50.0}, {0, 2.0}, {1, -10.0}, {0, 2.0}});
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(10.0, g_LookaheadPoints[k][AXIS_X]);
        EXPECT_EQ(0.0, g_LookaheadPoints[k][AXIS_Y]);
        EXPECT_EQ(g_LookaheadValues[k], g_LookaheadPoints[k][AXIS_Z]);
    }
}

TEST_F(CannedCyclesTest, PeckCyclesRetractAndEndExactlyAtTheBottom)
{
    g_PeckReturnG73 = 0.1;
    SetCycle(73, 0, 2.0, -10.0, 3.0, 10.0, 0.0, 10.0, 0.0, 50.0);
    QueueCannedCyclePoints();
    ExpectPoints({{0, 2.0}, {1, -1.0}, {0, -1.0 + 0.1}, {1, -4.0}, {0, -4.0 + 0.1}, {1, -7.0}, {0, -7.0 + 0.1},
                  {1, -10.0}, {0, 2.0}});
    g_PeckReturnG83 = 0.5;
    SetCycle(83, 1, 2.0, -5.0, 4.0, 10.0, 0.0, 10.0, 0.0, 50.0);  // G98: back to the initial level
    QueueCannedCyclePoints();
    ExpectPoints({{0, 2.0}, {1, -2.0}, {0, 2.0}, {0, -2.0 + 0.5}, {1, -5.0}, {0, 50.0}});
}

TEST_F(CannedCyclesTest, PeckCycleWithoutPeckDepthFeedsToTheBottomOnce)
{
    for (int code : {73, 83}) {
        for (double q : {0.0, -3.0}) {
            SetCycle(code, 0, 2.0, -10.0, q, 10.0, 0.0, 10.0, 0.0, 2.0);
            ASSERT_EQ(2, QueueCannedCyclePoints()) << code << " " << q;
            ExpectPoints({{1, -10.0}, {0, 2.0}});
        }
    }
    g_RunMode = 2;  // skip-cutting runs drill every peck cycle in one feed
    SetCycle(83, 0, 2.0, -10.0, 3.0, 10.0, 0.0, 10.0, 0.0, 2.0);
    QueueCannedCyclePoints();
    ExpectPoints({{1, -10.0}, {0, 2.0}});
}

TEST_F(CannedCyclesTest, RepeatsAndTapping)
{
    SetCycle(81, 0, 2.0, -10.0, 0.0, 10.0, 0.0, 0.0, 0.0, 50.0);
    g_CycleRepeatCount = 0;  // K0: positioning only
    QueueCannedCyclePoints();
    ExpectPoints({{0, 50.0}});

    // K3 in incremental mode: three holes 10 apart, each returning to the initial level.
    SetCycle(81, 0, -48.0, -12.0, 0.0, 10.0, 0.0, 0.0, 0.0, 50.0);
    g_CycleIncrementalMode = 1;
    g_CycleRepeatCount = 3;
    QueueCannedCyclePoints();
    ExpectPoints({{0, 50.0}, {0, 2.0}, {1, -10.0}, {0, 50.0}, {0, 50.0}, {0, 2.0}, {1, -10.0}, {0, 50.0}, {0, 50.0},
                  {0, 2.0}, {1, -10.0}, {0, 50.0}});
    EXPECT_EQ(20.0, g_LookaheadPoints[4][AXIS_X]);
    EXPECT_EQ(30.0, g_LookaheadPoints[8][AXIS_X]);
    EXPECT_EQ(30.0, g_NcTargetPosition.axis[AXIS_X]);
    EXPECT_EQ(20.0, g_NcPreviousPosition.axis[AXIS_X]);

    g_CycleIncrementalMode = 0;
    SetCycle(84, 1, 2.0, -10.0, 0.0, 10.0, 0.0, 10.0, 0.0, 50.0);  // G84 G98
    QueueCannedCyclePoints();
    ExpectPoints({{0, 2.0}, {1, -10.0}, {1, 2.0}, {0, 50.0}});
}

TEST_F(CannedCyclesTest, EveryPointKeepsItsOwnHolePosition)
{
    SetCycle(81, 0, 2.0, -10.0, 0.0, 10.0, 5.0, 0.0, 5.0, 50.0);
    g_CycleRepeatCount = 5;
    ASSERT_EQ(20, QueueCannedCyclePoints());
    for (int k = 0; k < 20; ++k) {
        EXPECT_EQ(10.0 * (k / 4 + 1), g_LookaheadPlaneValues[2 * k]) << k;
        EXPECT_EQ(5.0, g_LookaheadPlaneValues[2 * k + 1]) << k;
    }
}

TEST_F(CannedCyclesTest, LargeExpansionsGrowAndStayBounded)
{
    SetCycle(83, 0, 0.0, -400.0, 1.0, 10.0, 0.0, 10.0, 0.0, 50.0);
    ASSERT_EQ(1200, QueueCannedCyclePoints());
    EXPECT_EQ(1210, g_LookaheadCapacity);
    EXPECT_EQ(-400.0, g_LookaheadValues[1198]);

    SetCycle(81, 0, 2.0, -10.0, 0.0, 10.0, 0.0, 0.0, 0.0, 50.0);
    g_CycleRepeatCount = 100000;  // would be 400000 points: cut off within the arrays
    const int count = QueueCannedCyclePoints();
    EXPECT_LE(count, LOOKAHEAD_MAX_CAPACITY);
    EXPECT_LE(count, g_LookaheadCapacity);
    EXPECT_GT(count, 40000);
}

TEST_F(CannedCyclesTest, HeidenhainCycle200SetsThePeckReturns)
{
    g_DialectHeidenhain = 1;
    g_QParameters[200] = 2.0;
    g_QParameters[201] = -9.0;
    g_QParameters[203] = 0.0;
    g_QParameters[204] = 20.0;
    g_HeidenhainCycleParameters.peckDepth = 5.0;
    SetCycle(200, 0, 0.0, 0.0, 0.0, 10.0, 0.0, 10.0, 0.0, 50.0);
    QueueCannedCyclePoints();
    ExpectPoints({{0, 2.0}, {1, -5.0}, {0, 2.0}, {0, -5.0 + 2.0}, {1, -9.0}, {0, 20.0}});
    EXPECT_EQ(2.0, g_PeckReturnG73);
    EXPECT_EQ(2.0, g_PeckReturnG83);
    g_DialectHeidenhain = 0;
    g_HeidenhainCycleParameters = HeidenhainCycleParameters{};
}

}  // namespace
