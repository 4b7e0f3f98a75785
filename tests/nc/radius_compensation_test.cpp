// Cutter radius compensation geometry: compensated lines and arcs, the concave-arc feed, the reversed
// arc alarm, the element intersections, the outer-corner envelope points and the gouge list format.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "block_test_support.h"
#include "motion_test_support.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/radius_compensation.h"
#include "nc/stop_blocks.h"

namespace {

const int kXY[3] = {AXIS_X, AXIS_Y, AXIS_Z};

class RadiusCompensationTest : public ::testing::Test {
protected:
    void SetUp() override { ResetBlockTestState(); }
    void TearDown() override { ResetControllerSettings(); }
};

PathElement Line(double x0, double y0, double x1, double y1)
{
    PathElement e = {};
    e.kind = MOTION_LINEAR;
    e.start[0] = x0, e.start[1] = y0, e.end[0] = x1, e.end[1] = y1;
    return e;
}

PathElement Arc(int kind, double cx, double cy, double r, double x0, double y0, double x1, double y1)
{
    PathElement e = Line(x0, y0, x1, y1);
    e.kind = kind;
    e.centre[0] = cx, e.centre[1] = cy;
    e.radius = r;
    return e;
}

TEST_F(RadiusCompensationTest, LineIsOffsetToTheSideOfTravel)
{
    for (double side : {5.0, -5.0}) {
        g_NcPreviousPosition = AxisPosition{{0, 0, 0, 0, 0}};
        g_NcTargetPosition = AxisPosition{{100, 0, 0, 0, 0}};
        g_MotionKind = MOTION_LINEAR;
        g_CompensationValue = side;
        ComputeRadiusCompensation(1);
        EXPECT_EQ(0.0, g_CompensationRecord.previous.axis[AXIS_X]);
        EXPECT_EQ(side, g_CompensationRecord.previous.axis[AXIS_Y]);
        EXPECT_EQ(100.0, g_CompensationRecord.target.axis[AXIS_X]);
        EXPECT_EQ(side, g_CompensationRecord.target.axis[AXIS_Y]);
        ComputeRadiusCompensation(0);  // start-up: from the programmed start
        EXPECT_EQ(0.0, g_CompensationRecord.previous.axis[AXIS_Y]);
        EXPECT_EQ(side, g_CompensationRecord.target.axis[AXIS_Y]);
    }
}

TEST_F(RadiusCompensationTest, ArcRadiusFeedAndReversedArc)
{
    // G02 and G03 of radius 20 about the origin from (20, 0) to (0, 20) / (0, -20) with G41 D5.
    struct Case {
        int kind;
        double value;
        double radius;
        double feed;
    } cases[] = {{MOTION_ARC_CW, 5.0, 25.0, 1000.0}, {MOTION_ARC_CCW, 5.0, 15.0, 750.0}};
    for (const Case& c : cases) {
        RunBlock("G90 G00 X20. Y0");
        RunBlock(c.kind == MOTION_ARC_CW ? "G02 X0 Y-20. I-20. J0 F1000." : "G03 X0 Y20. I-20. J0 F1000.");
        g_CompensationValue = c.value;
        ComputeRadiusCompensation(1);
        EXPECT_NEAR(c.radius, g_CompensationRecord.values[6], 1e-9);
        EXPECT_NEAR(c.radius, g_CompensationRecord.values[7], 1e-9);
        EXPECT_NEAR(c.feed, g_CompensationRecord.values[10], 1e-9);
        EXPECT_NEAR(c.radius, g_CompensationRecord.previous.axis[AXIS_X], 1e-9);
    }
    g_ConcaveArcFeedAdjust = 0;  // "KEEP"
    ComputeRadiusCompensation(1);
    EXPECT_EQ(1000.0, g_CompensationRecord.values[10]);
    g_CheckReverseArc = 1;
    g_CompensationValue = 24.0;  // tool radius beyond the arc radius
    ComputeRadiusCompensation(1);
    EXPECT_EQ(NC_ALARM_RADIUS_OFFSET, g_NcAlarmCode);
}

TEST_F(RadiusCompensationTest, Intersections)
{
    PathIntersection r;
    PathElement a = Line(0, 0, 10, 0), b = Line(0, 5, 10, 5);
    IntersectPathElements(&a, &b, kXY, &r);
    EXPECT_EQ(-2, r.code);  // parallel
    b = Line(20, -5, 20, 5);
    IntersectPathElements(&a, &b, kXY, &r);
    EXPECT_EQ(-1, r.code);  // beyond the end of A, still stored
    EXPECT_EQ(1, r.count);
    EXPECT_EQ(20.0, r.pointA[0][0]);
    EXPECT_EQ(2.0, r.onA[0]);
    b = Line(5, -5, 5, 5);
    IntersectPathElements(&a, &b, kXY, &r);
    EXPECT_EQ(0, r.code);
    EXPECT_EQ(0.5, r.onA[0]);
    EXPECT_EQ(0.5, r.onB[0]);

    // A line tangent to a circle gives one point; an arc first keeps the A-then-B order.
    PathElement arc = Arc(MOTION_ARC_CCW, 5, 5, 5, 10, 5, 0, 5);  // upper half from (10, 5) to (0, 5)
    PathElement tangent = Line(0, 10, 10, 10);
    IntersectPathElements(&tangent, &arc, kXY, &r);
    EXPECT_EQ(1, r.count);
    EXPECT_NEAR(5.0, r.pointA[0][0], 1e-9);
    EXPECT_NEAR(0.5, r.onB[0], 1e-9);
    IntersectPathElements(&arc, &tangent, kXY, &r);
    EXPECT_NEAR(0.5, r.onA[0], 1e-9);
    EXPECT_NEAR(0.5, r.onB[0], 1e-9);

    // Two circles that touch.
    PathElement left = Arc(MOTION_ARC_CW, 0, 0, 5, 0, 5, 0, -5);    // right half, clockwise
    PathElement right = Arc(MOTION_ARC_CW, 10, 0, 5, 10, -5, 10, 5);  // left half, clockwise
    IntersectPathElements(&left, &right, kXY, &r);
    EXPECT_EQ(1, r.count);
    EXPECT_NEAR(5.0, r.pointA[0][0], 1e-9);
    EXPECT_NEAR(0.0, r.pointA[0][1], 1e-9);
}

TEST_F(RadiusCompensationTest, OuterCornerEnvelope)
{
    double points[3][3];
    // A quarter turn at the corner (10, 0) with radius 5 on the left: from (10, 5) to (15, 0) clockwise.
    const double start[3] = {10, 5, 0}, end[3] = {15, 0, 0}, corner[3] = {10, 0, 0};
    ASSERT_EQ(2, ComputeArcEnvelopePoints(MOTION_ARC_CW, start, end, corner, 5.0, kXY, points));
    EXPECT_NEAR(15.0, points[0][0], 1e-9);
    EXPECT_NEAR(5.0, points[0][1], 1e-9);
    EXPECT_EQ(15.0, points[1][0]);
    // A half turn: two tangent ends and the end.
    const double back[3] = {10, -5, 0};
    ASSERT_EQ(3, ComputeArcEnvelopePoints(MOTION_ARC_CW, start, back, corner, 5.0, kXY, points));
    EXPECT_NEAR(15.0, points[0][0], 1e-9);
    EXPECT_NEAR(5.0, points[0][1], 1e-9);
    EXPECT_NEAR(15.0, points[1][0], 1e-9);
    EXPECT_NEAR(-5.0, points[1][1], 1e-9);
    EXPECT_EQ(-5.0, points[2][1]);
}

TEST_F(RadiusCompensationTest, GougeListFormat)
{
    motion_test::TempWorkFolder folder;
    g_RadiusCheckList = 1;
    g_CompensationValue = -5.0;
    g_NcLineNumber = 12;
    ListRadiusOffsetGouge("G01 X10 Y10\n");
    g_NcLineNumber = 14;
    ListRadiusOffsetGouge("G01 X20\n");
    EXPECT_EQ(1, g_RadiusOffsetAlarm);
    CloseAlarmFile();
    EXPECT_EQ("<<< ALARM INFORMATION >>>\n--------------\nINTERFERENCE IN RADIUS(-5.000) OFFSET\n12:G01 X10 Y10\n"
              "\nINTERFERENCE IN RADIUS(-5.000) OFFSET\n14:G01 X20\n",
              motion_test::ReadText(folder.File("alarm.txt")));
    g_RadiusCheckList = 0;  // any other action only raises the flag
    ListRadiusOffsetGouge("G01 X30\n");
    EXPECT_EQ(1, g_RadiusOffsetAlarm);
    EXPECT_EQ(nullptr, g_AlarmListFile);
}

}  // namespace
