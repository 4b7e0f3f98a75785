// The block-end stage: clean-up of tiny values, the coordinate rotation of the following moves and its
// cancel, two stacked rotations, the mirror image of arcs and compensation side, and the rotation and
// scaling routines.
#include <gtest/gtest.h>

#include <cmath>

#include "block_test_support.h"
#include "machine_setup/controller/controller_definition.h"
#include "nc/block_end_position.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"

namespace {

class BlockEndPositionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetBlockTestState();
        g_DecimalPointMode = DECIMAL_POINT_NORMAL;
    }
    void TearDown() override { ResetBlockTestState(); }
};

TEST_F(BlockEndPositionTest, TinyTargetValuesBecomeZero)
{
    RunBlock("G01 X0.0000004 Y-0.0000009 Z0.000002 F100");
    EXPECT_EQ(g_NcMoveEnd.axis[AXIS_X], 0.0);
    EXPECT_EQ(std::signbit(g_NcMoveEnd.axis[AXIS_Y]), false);
    EXPECT_EQ(g_NcMoveEnd.axis[AXIS_Z], 0.000002);
}

TEST_F(BlockEndPositionTest, RotationTurnsTheNextMoveExactlyAndCancelsWithoutLength)
{
    RunBlock("G01 X3 Y4 F100");
    RunBlock("G68 X0 Y0 R90.");
    EXPECT_EQ(g_NcMoveEnd.axis[AXIS_X], 3.0);  // the command block itself is not rotated
    EXPECT_EQ(g_NcMoveEnd.axis[AXIS_Y], 4.0);
    RunBlock("G01 X10 Y0");
    EXPECT_EQ(g_NcMoveEnd.axis[AXIS_X], 0.0);
    EXPECT_EQ(g_NcMoveEnd.axis[AXIS_Y], 10.0);
    RunBlock("G69");  // the block-end stage completes the cancel: no travel
    EXPECT_EQ(g_CoordinateRotationState, 0);
    EXPECT_EQ(g_NcMoveStart.axis[AXIS_X], g_NcMoveEnd.axis[AXIS_X]);
    EXPECT_EQ(g_NcMoveStart.axis[AXIS_Y], g_NcMoveEnd.axis[AXIS_Y]);
    RunBlock("G91 X5");  // continues from where the tool is
    EXPECT_EQ(g_NcMoveEnd.axis[AXIS_X], 5.0);
    EXPECT_EQ(g_NcMoveEnd.axis[AXIS_Y], 10.0);
}

TEST_F(BlockEndPositionTest, RotationAboutACentre)
{
    RunBlock("G68 X10 Y10 R180.");
    RunBlock("G01 X12 Y10 F100");
    EXPECT_EQ(g_NcMoveEnd.axis[AXIS_X], 8.0);
    EXPECT_EQ(g_NcMoveEnd.axis[AXIS_Y], 10.0);
}

TEST_F(BlockEndPositionTest, SecondRotationLevelIsAppliedFirst)
{
    RunBlock("G68 I1 R90.");  // about X
    RunBlock("G68 J1 R90.");  // about Y
    ASSERT_EQ(g_RotationCount, 2);
    RunBlock("G01 X1 Y0 Z0 F100");
    EXPECT_NEAR(g_NcMoveEnd.axis[AXIS_X], 0.0, 1e-15);
    EXPECT_NEAR(g_NcMoveEnd.axis[AXIS_Y], 1.0, 1e-15);
    EXPECT_NEAR(g_NcMoveEnd.axis[AXIS_Z], 0.0, 1e-15);
}

TEST_F(BlockEndPositionTest, MirrorOfOneInPlaneAxisReversesArcsAndCompensation)
{
    RunBlock("G51.1 X0");
    EXPECT_EQ(g_MirrorOn, 1);
    RunBlock("G41 G02 X10 Y0 R5 F100");
    EXPECT_EQ(g_MotionKind, MOTION_ARC_CCW);
    EXPECT_EQ(g_CompensationSide, -1);
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_X], -10.0);
    EXPECT_DOUBLE_EQ(g_ArcCentre[AXIS_X], -5.0);
    EXPECT_DOUBLE_EQ(g_MoveArcCentre[AXIS_X], -5.0);
    EXPECT_EQ(g_ArcMirrorPending, 0);
    FinishBlockPosition();  // a second call for the same block does not swap again
    EXPECT_EQ(g_MotionKind, MOTION_ARC_CCW);
}

TEST_F(BlockEndPositionTest, MirrorOfBothInPlaneAxesKeepsTheDirection)
{
    RunBlock("G51.1 X0 Y0");
    RunBlock("G42 G02 X10 Y0 I5 J0 F100");
    EXPECT_EQ(g_MotionKind, MOTION_ARC_CW);
    EXPECT_EQ(g_CompensationSide, -1);
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_X], -10.0);
    EXPECT_DOUBLE_EQ(g_ArcCentreWords[AXIS_X], -5.0);
    RunBlock("G50.1 X0");
    EXPECT_EQ(g_MirrorAxes[AXIS_X], 0);
    EXPECT_EQ(g_MirrorAxes[AXIS_Y], 1);
}

TEST_F(BlockEndPositionTest, MirrorInAnotherPlane)
{
    RunBlock("G51.1 Y0");  // Y is not in the ZX plane
    RunBlock("G18 G02 X10 Z0 R5 F100");
    EXPECT_EQ(g_MotionKind, MOTION_ARC_CW);
}

TEST_F(BlockEndPositionTest, LengthOffsetOnlyOutsideReferenceReturns)
{
    g_ToolLengthCompOn = 1;
    g_ToolLengthOffset = 25.0;
    RunBlock("G01 Z5 F100");
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_Z], 30.0);
    g_ReferenceReturnPhase = 1;
    RunBlock("Z6");
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_Z], 6.0);
}

TEST_F(BlockEndPositionTest, RotationRoutinesInvertEachOther)
{
    const int axes[3] = {0, 1, 2};
    const double centre[3] = {2.0, -1.0, 0.0};
    double p[5] = {7.0, 3.0, 1.0, 0.0, 0.0};
    const double c = std::cos(0.3), s = std::sin(0.3);
    RotatePointInPlane(p, axes, c, s, centre);
    RotatePointInPlaneInverse(p, axes, c, s, centre);
    EXPECT_NEAR(p[0], 7.0, 1e-12);
    EXPECT_NEAR(p[1], 3.0, 1e-12);
    EXPECT_EQ(p[2], 1.0);

    g_OspRotationAngle = 30.0;
    const double origin[5] = {1.0, 2.0, 3.0, 0.0, 0.0};
    RotatePointAboutWorkOrigin(p, axes, c, s, origin);
    RotatePointAboutWorkOriginInverse(p, axes, c, s, origin);
    EXPECT_NEAR(p[0], 7.0, 1e-12);
    EXPECT_NEAR(p[1], 3.0, 1e-12);
    EXPECT_NEAR(p[2], 1.0, 1e-12);
}

TEST_F(BlockEndPositionTest, ScaledPlaneCoordinates)
{
    const int axes[3] = {2, 0, 1};
    const double point[3] = {4.0, 5.0, 6.0};
    double out[3];
    GetScaledPlaneCoordinates(axes, point, out);
    EXPECT_EQ(out[0], 6.0);
    EXPECT_EQ(out[1], 4.0);
    EXPECT_EQ(out[2], 5.0);
    g_ScalingOn = 1;
    g_ScalingUniform = 1;
    g_ScaleFactorP = 2.0;
    g_ScalingCentre[0] = g_ScalingCentre[1] = g_ScalingCentre[2] = 1.0;
    GetScaledPlaneCoordinates(axes, point, out);
    EXPECT_EQ(out[0], 11.0);
    EXPECT_EQ(out[1], 7.0);
    EXPECT_EQ(out[2], 5.0);  // the normal is never scaled
}

}  // namespace
