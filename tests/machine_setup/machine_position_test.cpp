// Machine position of a block: the plain path, polar form, the reverse modes (reference return and
// machine-coordinate blocks), tool-centre-point control with and without the table turn and its
// reverse step, rotary following, the path-drawing variants and the exact rotary cosines and sines.
#include "machine_setup/machine/machine_position.h"

#include <gtest/gtest.h>

#include "kinematics_test_support.h"
#include "machine_setup/machine/forward_kinematics.h"
#include "machine_setup/machine/rotation.h"
#include "machine_setup/controller/work_coordinates.h"

namespace {

AxisPosition MakePosition(double x, double y, double z, double r1, double r2)
{
    AxisPosition p = {{x, y, z, r1, r2}};
    return p;
}

void SetUpPositionTest(int kind, int axis1, int axis2)
{
    SetUpMachineForTest(kind, axis1, axis2);
    for (int k = 0; k < 9; ++k) g_TiltedPlaneMatrix[k] = (k % 4 == 0) ? 1.0 : 0.0;
    SetVectorForTest(g_TiltedPlaneOrigin, 0.0, 0.0, 0.0);
    g_WorkCoordRotated = 0;
    g_TclTableCoordinate = 0;
    g_RotaryFollowKind = 0;
    g_ToolCentreMode = 0;
    g_StrokeLimits[0].enabled[AXIS_ROTARY1] = 0;
    g_StrokeLimits[0].enabled[AXIS_ROTARY2] = 0;
    for (int k = 0; k < 4; ++k) g_TableRotaryCosSin[k] = (k % 2 == 0) ? 1.0 : 0.0;
}

void ExpectPosition(const AxisPosition& p, const AxisPosition& expected, double tolerance)
{
    for (int k = 0; k < AXIS_POSITION_COUNT; ++k) EXPECT_NEAR(p.axis[k], expected.axis[k], tolerance) << "axis " << k;
}

TEST(MachinePosition, PlainPathAddsWorkOffsetAndLengthDifference)
{
    SetUpPositionTest(MACHINE_HEAD, 2, 0);
    g_ActiveWorkOffset = MakePosition(100.0, 200.0, 300.0, 10.0, 0.0);
    g_ControlPoint = MakePosition(1.5, -2.25, 3.0, 20.0, 30.0);
    g_ToolLength = 80.0;
    g_CurrentToolLength = 80.0f;
    EXPECT_EQ(UpdateCurrentMachinePosition(), 1);
    const AxisPosition expected = MakePosition(101.5, 197.75, 303.0, 30.0, 30.0);
    for (int k = 0; k < AXIS_POSITION_COUNT; ++k) EXPECT_EQ(g_MachinePosition.axis[k], expected.axis[k]);
    double tip[3], axis[3];
    ApplyForwardKinematics(&g_MachinePosition, tip, axis);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(g_ToolTipPoint[k], tip[k]);
        EXPECT_EQ(g_ToolAxisVector[k], axis[k]);
    }
    // A shorter programmed length moves the machine up by the difference, along a tilted spindle too.
    g_CurrentToolLength = 70.0f;
    UpdateCurrentMachinePosition();
    EXPECT_EQ(g_MachinePosition.axis[AXIS_Z], 313.0);
    g_ToolDirectionTilted = 1;
    SetVectorForTest(g_ToolDirection, 0.6, 0.0, 0.8);
    UpdateCurrentMachinePosition();
    EXPECT_NEAR(g_MachinePosition.axis[AXIS_X], 107.5, 1e-12);
    EXPECT_NEAR(g_MachinePosition.axis[AXIS_Z], 311.0, 1e-12);
}

TEST(MachinePosition, RotaryCosSinIsExactAtQuarterTurns)
{
    SetUpPositionTest(MACHINE_HEAD, 2, 0);
    g_Rotary1Direction = -1;
    g_ControlPoint = MakePosition(0.0, 0.0, 0.0, 90.0, 360.0);
    UpdateCurrentMachinePosition();
    EXPECT_EQ(g_RotaryCosSin[0], 0.0);
    EXPECT_EQ(g_RotaryCosSin[1], -1.0);
    EXPECT_EQ(g_RotaryCosSin[2], 1.0);
    EXPECT_EQ(g_RotaryCosSin[3], 0.0);
    g_ControlPoint.axis[AXIS_ROTARY1] = 450.0;   // general formula
    UpdateCurrentMachinePosition();
    EXPECT_NEAR(g_RotaryCosSin[0], 0.0, 1e-15);
    EXPECT_NEAR(g_RotaryCosSin[1], -1.0, 1e-15);
}

TEST(MachinePosition, PolarForm)
{
    g_PolarAngleOffset = 5.0;
    g_AutomaticToolOffset = 0;
    struct Case { double x, y, radius, angle; };
    const Case cases[] = {{-4.0, 0.0, 4.0, 185.0}, {0.0, -3.0, 3.0, 275.0}, {2.0, 0.0, 2.0, 5.0},
                          {0.0, 6.0, 6.0, 95.0}, {1.0, 1.0, std::sqrt(2.0), 50.0}, {1.0, -1.0, std::sqrt(2.0), 320.0},
                          {-1.0, 1.0, std::sqrt(2.0), 140.0}, {-1.0, -1.0, std::sqrt(2.0), 230.0}};
    for (const Case& c : cases) {
        AxisPosition source = MakePosition(c.x, c.y, 7.0, 8.0, 9.0), out;
        ComputePolarAngle(&source, 1, &out);
        EXPECT_NEAR(out.axis[AXIS_X], c.radius, 1e-12);
        EXPECT_EQ(out.axis[AXIS_Y], 0.0);
        EXPECT_EQ(out.axis[AXIS_Z], 7.0);
        EXPECT_EQ(out.axis[AXIS_ROTARY1], 8.0);
        EXPECT_NEAR(out.axis[AXIS_ROTARY2], c.angle, 1e-12) << c.x << ", " << c.y;
    }
    g_AutomaticToolOffset = 1;
    SetVectorForTest(g_HeadTipOffset, 0.5, 9.0, 0.25);
    AxisPosition source = MakePosition(-4.0, 0.0, 7.0, 0.0, 0.0), out;
    ComputePolarAngle(&source, 1, &out);
    EXPECT_EQ(out.axis[AXIS_X], 4.5);
    EXPECT_EQ(out.axis[AXIS_Z], 7.25);
    ComputePolarAngle(&source, 0, &out);
    EXPECT_EQ(out.axis[AXIS_X], 4.0);
    g_AutomaticToolOffset = 0;
    g_PolarAngleOffset = 0.0;
}

TEST(MachinePosition, ReferenceReturnDerivesControlPointAndTarget)
{
    SetUpPositionTest(MACHINE_HEAD, 2, 0);
    g_ReferenceReturnPhase = 2;
    g_ToolLength = 100.0;
    g_CurrentToolLength = 60.0f;
    g_ToolLengthCompOn = 1;
    g_ToolAxisIndex = 2;
    g_ToolLengthOffset = 5.0;
    g_ActiveWorkOffset = MakePosition(10.0, 20.0, 30.0, 0.0, 0.0);
    g_MachinePosition = MakePosition(500.0, 400.0, 300.0, 0.0, 0.0);
    UpdateCurrentMachinePosition();
    EXPECT_EQ(g_ControlPoint.axis[AXIS_Z], 270.0);             // uncorrected
    EXPECT_EQ(g_NcTargetPosition.axis[AXIS_Z], 270.0 - 5.0 - 40.0);
    EXPECT_EQ(g_NcMoveEnd.axis[AXIS_Z], 270.0 - 40.0);
    EXPECT_EQ(g_ControlPoint.axis[AXIS_X], 490.0);
    EXPECT_EQ(g_ToolTipPoint[2], 200.0);
    g_ReferenceReturnPhase = 0;
    g_ToolLengthCompOn = 0;
}

TEST(MachinePosition, MachineCoordinateBlock)
{
    SetUpPositionTest(MACHINE_TABLE, 0, 2);
    g_MachineCoordinateBlock = 1;
    g_ToolLength = 100.0;
    g_CurrentToolLength = 90.0f;
    g_ActiveWorkOffset = MakePosition(1.0, 2.0, 3.0, 4.0, 5.0);
    g_MachinePosition = MakePosition(11.0, 12.0, 13.0, 14.0, 15.0);
    UpdateCurrentMachinePosition();
    ExpectPosition(g_ControlPoint, MakePosition(10.0, 10.0, 0.0, 10.0, 10.0), 0.0);
    ExpectPosition(g_NcMoveEnd, g_ControlPoint, 0.0);
    // Variant B only computes tip and axis.
    g_ControlPoint = MakePosition(0.0, 0.0, 0.0, 0.0, 0.0);
    AxisPosition block = MakePosition(0.0, 0.0, 0.0, 0.0, 0.0);
    double tip[3], axis[3];
    ComputeMachinePositionForBlockB(&block, &g_MachinePosition, tip, axis);
    EXPECT_EQ(g_ControlPoint.axis[AXIS_X], 0.0);
    g_MachineCoordinateBlock = 0;
}

TEST(MachinePosition, ToolCentreTableCoordinateOptionSkipsTableTurn)
{
    SetUpPositionTest(MACHINE_TABLE, 0, 2);
    g_ToolCentreMode = 1;
    ComputeAxisAngleSinCos(90.0, 1, &g_TableRotaryCosSin[3], &g_TableRotaryCosSin[2]);
    g_ControlPoint = MakePosition(10.0, 0.0, 5.0, 0.0, 0.0);
    g_RotaryDisplayAngles[1] = 90.0;   // the table's C stands at 90 while the program says 0
    g_TclTableCoordinate = 1;
    UpdateCurrentMachinePosition();
    EXPECT_EQ(g_ToolTipPoint[0], 10.0);
    EXPECT_EQ(g_ToolTipPoint[1], 0.0);
    g_TclTableCoordinate = 0;
    UpdateCurrentMachinePosition();
    EXPECT_EQ(g_ToolTipPoint[0], 0.0);   // carried through the table's C turn
    EXPECT_EQ(g_ToolTipPoint[1], 10.0);
    EXPECT_EQ(g_MachinePosition.axis[AXIS_ROTARY2], 90.0);
    g_RotaryDisplayAngles[1] = 0.0;
    g_ToolCentreMode = 0;
}

TEST(MachinePosition, ToolLengthCorrectionReversesToolCentrePath)
{
    const int kinds[] = {MACHINE_HEAD, MACHINE_TABLE, MACHINE_MIX};
    for (int kind : kinds) {
        SetUpPositionTest(kind, kind == MACHINE_HEAD ? 2 : 1, kind == MACHINE_HEAD ? 0 : 2);
        SetVectorForTest(g_HeadPosition, 0.0, 0.0, 120.0);
        SetVectorForTest(g_TablePosition, 5.0, -5.0, 20.0);
        g_ToolCentreMode = 1;
        g_ToolLength = 90.0;
        g_CurrentToolLength = 85.0f;
        g_ToolLengthOffset = 70.0;
        ComputeAxisAngleSinCos(30.0, 1, &g_TableRotaryCosSin[1], &g_TableRotaryCosSin[0]);
        ComputeAxisAngleSinCos(40.0, 1, &g_TableRotaryCosSin[3], &g_TableRotaryCosSin[2]);
        g_ActiveWorkOffset = MakePosition(3.0, 4.0, 5.0, 0.0, 0.0);
        const AxisPosition programmed = MakePosition(12.0, -7.0, 33.0, 30.0, 40.0);
        g_ControlPoint = programmed;
        g_RotaryDisplayAngles[0] = 1.0;
        UpdateCurrentMachinePosition();
        double tip[3] = {g_ToolTipPoint[0], g_ToolTipPoint[1], g_ToolTipPoint[2]};
        double axis[3] = {g_ToolAxisVector[0], g_ToolAxisVector[1], g_ToolAxisVector[2]};
        ApplyToolLengthCorrection(tip, axis);
        ExpectPosition(g_ControlPoint, programmed, 1e-9);
        g_ToolCentreMode = 0;
        g_RotaryDisplayAngles[0] = 0.0;
    }
}

TEST(MachinePosition, RotaryFollowingSolvesThePlaneAxis)
{
    SetUpPositionTest(MACHINE_HEAD, 2, 0);
    g_RotaryFollowState = 1;
    g_RotaryFollowMode = 1;
    g_CurrentToolLength = 50.0f;
    g_ToolLength = 50.0;
    // Tilted plane with its Z along (0.5, 0, 0.866): C = 90, A = 30 from previous (80, 20).
    const double s = 0.5, c = std::sqrt(0.75);
    const double plane[9] = {c, 0.0, -s, 0.0, 1.0, 0.0, s, 0.0, c};
    for (int k = 0; k < 9; ++k) g_TiltedPlaneMatrix[k] = plane[k];
    g_RunStartMachinePosition = MakePosition(0.0, 0.0, 0.0, 80.0, 20.0);
    g_ControlPoint = MakePosition(0.0, 0.0, 0.0, 0.0, 0.0);
    EXPECT_EQ(UpdateCurrentMachinePosition(), 1);
    EXPECT_NEAR(g_MachinePosition.axis[AXIS_ROTARY1], 90.0, 1e-9);
    EXPECT_NEAR(g_MachinePosition.axis[AXIS_ROTARY2], 30.0, 1e-6);
    double tip[3], axis[3];
    ApplyForwardKinematics(&g_MachinePosition, tip, axis);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(tip[k], g_ToolTipPoint[k], 1e-9);
    // An unreachable range: the position is still written, the result tells the caller.
    g_StrokeLimits[0].enabled[AXIS_ROTARY2] = 1;
    g_StrokeLimits[0].range[2 * AXIS_ROTARY2] = -10.0;
    g_StrokeLimits[0].range[2 * AXIS_ROTARY2 + 1] = 10.0;
    EXPECT_EQ(UpdateCurrentMachinePosition(), 0);
    EXPECT_EQ(g_MachinePosition.axis[AXIS_ROTARY1], 0.0);
    g_StrokeLimits[0].enabled[AXIS_ROTARY2] = 0;
    // Kind 2 takes the angles kept at the switch.
    g_RotaryFollowKind = 2;
    g_RotaryFollowAngles[0] = 12.0;
    g_RotaryFollowAngles[1] = 34.0;
    UpdateCurrentMachinePosition();
    EXPECT_EQ(g_MachinePosition.axis[AXIS_ROTARY1], 12.0);
    EXPECT_EQ(g_MachinePosition.axis[AXIS_ROTARY2], 34.0);
    g_RotaryFollowKind = 0;
    g_RotaryFollowState = 0;
    g_RotaryFollowMode = 0;
}

TEST(MachinePosition, VariantBLeavesMachinePositionAlone)
{
    SetUpPositionTest(MACHINE_MIX, 1, 2);
    g_MachinePosition = MakePosition(1.0, 2.0, 3.0, 4.0, 5.0);
    AxisPosition block = MakePosition(10.0, 20.0, 30.0, 0.0, 0.0);
    double tip[3], axis[3];
    ComputeMachinePositionForBlockB(&block, &g_MachinePosition, tip, axis);
    EXPECT_EQ(g_MachinePosition.axis[AXIS_X], 1.0);
    EXPECT_EQ(tip[0], 10.0);
    ComputeMachinePositionForBlockA(&block, &g_MachinePosition, tip, axis);
    EXPECT_EQ(g_MachinePosition.axis[AXIS_X], 10.0);
}

TEST(MachinePosition, SaveAndArcPoint)
{
    g_SpindleToolNumber = 7;
    g_ControlPoint = MakePosition(1.0, 2.0, 3.0, 4.0, 5.0);
    SaveCurrentPositions();
    EXPECT_EQ(g_SavedState.spindleToolNumber, 7);
    EXPECT_EQ(g_SavedState.controlPoint.axis[AXIS_ROTARY2], 5.0);

    const double p[3] = {1.0, 1.0, 1.0}, u[3] = {1.0, 0.0, 0.0}, v[3] = {0.0, 1.0, 0.0}, w[3] = {0.0, 0.0, 1.0};
    double out[3] = {-1.0, -1.0, -1.0};
    OffsetPointAlongDirections(p, u, v, w, 2.0, 0.0, 3.0, 0.5, out);
    EXPECT_EQ(out[0], 1.0);
    EXPECT_EQ(out[1], 3.0);
    EXPECT_EQ(out[2], 1.5);
    const double minusU[3] = {-1.0, 0.0, 0.0};
    out[0] = -1.0;
    OffsetPointAlongDirections(p, u, minusU, w, 2.0, 1.0, 1.0, 0.5, out);   // directions cancel
    EXPECT_EQ(out[0], -1.0);
}

}  // namespace
