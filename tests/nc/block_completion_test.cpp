// Block completion: arc centre, sweep and length from a radius or I/J/K, the radius tolerance alarm,
// full circles, the zero-feed alarm, the G68.2 tilted plane and its work offset rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "block_test_support.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/forward_kinematics.h"
#include "nc/block_completion.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/reader_plugin.h"
#include "tests/machine_setup/kinematics_test_support.h"

namespace {

class BlockCompletionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetBlockTestState();
        g_DecimalPointMode = DECIMAL_POINT_NORMAL;  // words as written
    }
    void TearDown() override
    {
        g_MachineKind = 0;
        g_Rotary1Letter = g_Rotary2Letter = ' ';
        ResetBlockTestState();
    }
};

TEST_F(BlockCompletionTest, HalfCircleFromARadius)
{
    RunBlock("G02 X10 Y0 R5");
    EXPECT_DOUBLE_EQ(g_ArcCentre[0], 5.0);
    EXPECT_DOUBLE_EQ(g_ArcCentre[1], 0.0);
    EXPECT_DOUBLE_EQ(g_FeedValues[1], M_PI);
    EXPECT_DOUBLE_EQ(g_ArcLength, 5.0 * M_PI);
    EXPECT_DOUBLE_EQ(g_ArcStartDirection[0], -1.0);
    EXPECT_DOUBLE_EQ(g_ArcEndDirection[0], 1.0);
    EXPECT_DOUBLE_EQ(g_ArcNormal[2], 1.0);
    EXPECT_EQ(g_NcAlarmCode, 0);
}

TEST_F(BlockCompletionTest, NegativeRadiusGivesTheLongArc)
{
    struct Case {
        const char* text;
        bool longArc;
        double centreY;
    } cases[] = {{"G02 X10 Y0 R-7", true, std::sqrt(24.0)},
                 {"G02 X10 Y0 R7", false, -std::sqrt(24.0)},
                 {"G03 X10 Y0 R-7", true, -std::sqrt(24.0)},
                 {"G03 X10 Y0 R7", false, std::sqrt(24.0)}};
    for (const Case& c : cases) {
        ResetBlockTestState();
        g_DecimalPointMode = DECIMAL_POINT_NORMAL;
        RunBlock(c.text);
        EXPECT_NEAR(g_ArcCentre[1], c.centreY, 1e-12) << c.text;
        EXPECT_EQ(g_FeedValues[1] > M_PI, c.longArc) << c.text;
        EXPECT_NEAR(g_ArcStartRadius, 7.0, 1e-12) << c.text;
    }
}

TEST_F(BlockCompletionTest, ScalingScalesTheRadiusWhenThePlaneFactorsAreEqual)
{
    RunBlock("G51 X0 Y0 P2000");  // factor 2
    ASSERT_DOUBLE_EQ(g_ScaleFactorP, 2.0);
    RunBlock("G02 X5 Y5 R5");  // the quarter circle about (5, 0), doubled: end (10, 10), centre (10, 0)
    EXPECT_EQ(g_NcAlarmCode, 0);
    EXPECT_NEAR(g_ArcCentre[0], 10.0, 1e-12);
    EXPECT_NEAR(g_ArcCentre[1], 0.0, 1e-12);
    EXPECT_NEAR(g_ArcStartRadius, 10.0, 1e-12);
    EXPECT_NEAR(g_FeedValues[1], M_PI / 2, 1e-12);
    RunBlock("G50");

    // Factors of X 2 and Y 1: a circle would become an ellipse; the arc keeps the written radius
    // through the scaled end point (6, 0).
    ResetBlockTestState();
    g_DecimalPointMode = DECIMAL_POINT_NORMAL;
    RunBlock("G51 X0 Y0 I2000 J1000");
    RunBlock("G02 X3 Y0 R5");
    EXPECT_NEAR(g_NcMoveEnd.axis[AXIS_X], 6.0, 1e-12);
    EXPECT_NEAR(g_ArcCentre[0], 3.0, 1e-12);
    EXPECT_NEAR(g_ArcCentre[1], -4.0, 1e-12);
    EXPECT_NEAR(g_ArcStartRadius, 5.0, 1e-12);
}

TEST_F(BlockCompletionTest, RadiusMismatchAlarmFollowsTheTolerance)
{
    g_ArcRadiusTolerance = 0.01f;
    RunBlock("G03 X20.02 Y0 I10 J0");
    EXPECT_DOUBLE_EQ(g_ArcStartRadius, 10.0);
    EXPECT_NEAR(g_ArcEndRadius, 10.02, 1e-12);
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_ARC_RADIUS);

    ResetBlockTestState();
    g_DecimalPointMode = DECIMAL_POINT_NORMAL;
    g_ArcRadiusTolerance = 0.05f;
    RunBlock("G03 X20.02 Y0 I10 J0");
    EXPECT_EQ(g_NcAlarmCode, 0);
}

TEST_F(BlockCompletionTest, FullCircleByCentreButNotByRadius)
{
    RunBlock("G02 I10");
    EXPECT_DOUBLE_EQ(g_FeedValues[1], 2.0 * M_PI);
    EXPECT_DOUBLE_EQ(g_ArcLength, 20.0 * M_PI);
    RunBlock("G02 R10");
    EXPECT_DOUBLE_EQ(g_ArcLength, 0.0);
    EXPECT_DOUBLE_EQ(g_FeedValues[1], 0.0);
}

TEST_F(BlockCompletionTest, ArcsInTheZxPlane)
{
    RunBlock("G18 G03 X10 Z0 R5");
    EXPECT_EQ(g_PlaneAxis1, AXIS_Z);
    EXPECT_DOUBLE_EQ(g_ArcCentre[AXIS_X], 5.0);
    EXPECT_NEAR(g_ArcCentre[AXIS_Z], 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(g_ArcNormal[AXIS_Y], 1.0);
    EXPECT_NEAR(g_FeedValues[1], M_PI, 1e-12);
}

TEST_F(BlockCompletionTest, ZeroFeedAlarm)
{
    g_CheckF0 = 1;
    RunBlock("G01 X0 Y0");  // no travel
    EXPECT_EQ(g_NcAlarmCode, 0);
    RunBlock("G00 X5");  // rapid
    EXPECT_EQ(g_NcAlarmCode, 0);
    RunBlock("G01 X10");
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_ZERO_FEED);

    ResetBlockTestState();
    g_DecimalPointMode = DECIMAL_POINT_NORMAL;
    RunBlock("G01 X10");  // "CHECK F0" off
    EXPECT_EQ(g_NcAlarmCode, 0);
}

TEST_F(BlockCompletionTest, TiltedPlaneFromEulerAngles)
{
    RunBlock("G68.2 X0 Y0 Z0 I0 J90 K0");
    EXPECT_EQ(g_RotaryFollowState, 1);
    const double expected[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};
    for (int k = 0; k < 9; ++k) EXPECT_EQ(g_TiltedPlaneMatrix[k], expected[k]) << k;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k) sum += g_TiltedPlaneMatrix[3 * r + k] * g_TiltedPlaneInverse[3 * k + c];
            EXPECT_NEAR(sum, r == c ? 1.0 : 0.0, 1e-12);
        }
    }
    RunBlock("G68.2 I30 J0 K0");  // a non-special angle is kept in radians
    EXPECT_NEAR(g_TiltedPlaneAngles[0], M_PI / 6.0, 1e-15);
}

TEST_F(BlockCompletionTest, TiltedPlaneRowsOutsideTheTableAreRefused)
{
    g_MachineKind = 1;
    g_Rotary1Letter = 'A';
    g_Rotary2Letter = 'C';
    RunBlock("G68.2 A10 C20 M54 Q60");
    EXPECT_EQ(g_NcAlarmCode, 0);
    EXPECT_EQ(g_LastGCode, 65);
    RunBlock("G68.2 A10 C20 M54 Q300");
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_WORD_OUT_OF_RANGE);
    ResetBlockTestState();
    g_DecimalPointMode = DECIMAL_POINT_NORMAL;
    g_MachineKind = 1;
    g_Rotary1Letter = 'A';
    g_Rotary2Letter = 'C';
    RunBlock("G68.2 A10 C20 M50 Q60");  // source row -3
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_WORD_OUT_OF_RANGE);
}

TEST_F(BlockCompletionTest, ArcFromAGivenCentre)
{
    g_NcPreviousPosition.axis[AXIS_X] = 10.0;
    g_NcTargetPosition.axis[AXIS_Y] = 10.0;
    g_ArcCentre[0] = g_ArcCentre[1] = 0.0;
    g_MotionKind = MOTION_ARC_CCW;
    ComputeArcFromCentre();
    EXPECT_DOUBLE_EQ(g_FeedValues[1], M_PI / 2.0);
    EXPECT_DOUBLE_EQ(g_ArcLength, 5.0 * M_PI);
    g_MotionKind = MOTION_ARC_CW;
    ComputeArcFromCentre();
    EXPECT_DOUBLE_EQ(g_FeedValues[1], 1.5 * M_PI);
}

TEST_F(BlockCompletionTest, ReaderPluginToolCall)
{
    g_ActiveReaderPlugin = 0;
    g_ReaderPath.kind = 1007;
    InterpretNcBlock("");
    EXPECT_EQ(g_ToolCallNumber, 7);
    EXPECT_EQ(g_CommandedToolNumber, 7);
    g_ActiveReaderPlugin = -1;
    g_ReaderPath = ReaderPathRecord{};
}

// Head C over A with A held to +-30 degrees: a tool axis tilted by A = 60 degrees is out of reach.
class ToolAxisReachTest : public BlockCompletionTest {
protected:
    void SetUp() override
    {
        BlockCompletionTest::SetUp();
        SetUpMachineForTest(MACHINE_HEAD, 2, 0);
        g_Rotary2RangeGiven = 1;
        g_Rotary2Range[0] = -30.0;
        g_Rotary2Range[1] = 30.0;
        const double near[2] = {0.0, 20.0}, far[2] = {0.0, 60.0};
        ComputeRotaryFrame(near, reachable_);
        ComputeRotaryFrame(far, unreachable_);
    }
    void TearDown() override
    {
        g_Rotary2RangeGiven = 0;
        g_ActiveReaderPlugin = -1;
        g_ReaderPath = ReaderPathRecord{};
        ResetMachineDefinition();
        BlockCompletionTest::TearDown();
    }
    static std::string VectorBlock(const double* v)
    {
        char text[128];
        std::snprintf(text, sizeof text, "G01 X1. I%.12f J%.12f K%.12f", v[0], v[1], v[2]);
        return text;
    }
    double reachable_[3], unreachable_[3];
};

TEST_F(ToolAxisReachTest, VectorModeBlockRaisesTheAlarmAndKeepsTheRotaryAxes)
{
    RunBlock("G43.5 H1");
    ASSERT_EQ(g_ToolCentreMode, 2);
    RunBlock(VectorBlock(reachable_));
    ASSERT_EQ(g_NcAlarmCode, 0);
    EXPECT_NEAR(g_NcTargetPosition.axis[AXIS_ROTARY2], 20.0, 1e-6);
    RunBlock(VectorBlock(unreachable_));
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_TOOL_AXIS_OUT_OF_REACH);
    EXPECT_EQ(100 + g_NcAlarmCode, 112);
    EXPECT_NEAR(g_NcTargetPosition.axis[AXIS_ROTARY2], 20.0, 1e-6);  // not sent to 0
}

TEST_F(ToolAxisReachTest, VectorPathRecordRaisesTheAlarmAndKeepsTheRotaryAxes)
{
    g_ActiveReaderPlugin = 0;
    g_ReaderPath.kind = MOTION_LINEAR;
    for (int k = 0; k < 3; ++k) g_ReaderPath.point[3 + k] = reachable_[k];
    InterpretNcBlock("");
    ASSERT_EQ(g_NcAlarmCode, 0);
    EXPECT_NEAR(g_NcTargetPosition.axis[AXIS_ROTARY2], 20.0, 1e-6);
    for (int k = 0; k < 3; ++k) g_ReaderPath.point[3 + k] = unreachable_[k];
    InterpretNcBlock("");
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_TOOL_AXIS_OUT_OF_REACH);
    EXPECT_NEAR(g_NcTargetPosition.axis[AXIS_ROTARY2], 20.0, 1e-6);
}

TEST_F(BlockCompletionTest, ExactCosSinOfSpecialAngles)
{
    struct Case {
        double angle, c, s;
    } cases[] = {{0, 1, 0}, {90, 0, 1}, {-270, 0, 1}, {-90, 0, -1}, {270, 0, -1}, {180, -1, 0}, {-360, 1, 0}};
    for (const Case& c : cases) {
        double cosine = 9, sine = 9;
        ExactCosSin(c.angle, &cosine, &sine);
        EXPECT_EQ(cosine, c.c) << c.angle;
        EXPECT_EQ(sine, c.s) << c.angle;
    }
}

}  // namespace
