// Moves stepped on five-axis machines: the tool axis of a tool-centre move in vector mode follows the
// interpolated vector, not the interpolated angles; a shortest-way rotary axis stays in its range on
// the machine as well as in the program; and the positions converted when polar or cylindrical
// interpolation is switched on or off.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "nc/interpreter_state.h"
#include "simulation/move_stepping.h"
#include "simulation/simulation_thread.h"
#include "tests/machine_setup/kinematics_test_support.h"
#include "tests/simulation/run_test_support.h"

namespace {

std::vector<RunCutStep> g_Steps;
void RecordStep(const RunCutStep* step)
{
    g_Steps.push_back(*step);
}

class MoveStepping : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        g_Steps.clear();
        g_RunCutStepHook = RecordStep;
    }
    void TearDown() override
    {
        g_ToolCentreMode = 0;
        g_TclVectorInterpolation = 0;
        g_Rotary2Shortest = 0;
        g_StrokeLimitSetCount = 0;
        for (int k = 0; k < AXIS_POSITION_COUNT; ++k) g_ActiveWorkOffset.axis[k] = 0.0;
        RunFixture::TearDown();
    }
    // A straight feed move from start to end (program positions), the machine standing at the start.
    static void PlaceMove(const AxisPosition& start, const AxisPosition& end)
    {
        g_MotionKind = MOTION_LINEAR;
        g_LastGCode = 1;
        g_NcMoveStart = start;
        g_NcMoveEnd = end;
        g_ControlPoint = start;
        UpdateCurrentMachinePosition();
        g_RunStartMachinePosition = g_MachinePosition;
        g_MachineAxisWords = g_MachinePosition;
        g_FeedValues[0] = 500.0;
        g_MovePitch = 1.0;
        g_NcAlarmCode = 0;
    }
};

TEST_F(MoveStepping, ToolCentreVectorModeInterpolatesTheToolAxisVector)
{
    SetUpMachineForTest(MACHINE_HEAD, 1, 2);  // B about Y, C about Z
    g_ToolCentreMode = 2;
    g_TclVectorInterpolation = 1;
    g_SecondRotationAngle = g_PlaneRotationAngle = 0.0;
    const double startAxis[3] = {0.0, 0.0, 1.0}, change[3] = {1.0, 0.0, 0.0};  // to 45 degrees about Y
    for (int a = 0; a < 3; ++a) {
        g_ToolAxisStart[a] = startAxis[a];
        g_ToolAxisChange[a] = change[a];
    }
    PlaceMove({{0.0, 0.0, 300.0, 0.0, 0.0}}, {{8.0, 0.0, 300.0, 0.0, 0.0}});
    ASSERT_EQ(RunMove(), MOVE_NEXT_BLOCK);
    ASSERT_GE(g_Steps.size(), 8u);
    const int n = g_Steps.back().subStepCount;
    ASSERT_EQ(static_cast<int>(g_Steps.size()), n);
    EXPECT_NEAR(g_StepAxisIncrements[0], 1.0 / n, 1e-15);
    for (const RunCutStep& s : g_Steps) {
        SCOPED_TRACE(s.subStep);
        const double t = static_cast<double>(s.subStep) / n;
        const double v[3] = {t, 0.0, 1.0}, size = std::sqrt(1.0 + t * t);
        for (int a = 0; a < 3; ++a) EXPECT_NEAR(s.axis[a], v[a] / size, 1e-9);
        EXPECT_NEAR(s.tip[0], 8.0 * t, 1e-9);
        EXPECT_NEAR(s.tip[2], 300.0, 1e-9);
    }
    // A quarter of the way the vector is 14.04 degrees off the start, the angles would be 11.25.
    EXPECT_NEAR(std::fabs(g_MachinePosition.axis[AXIS_ROTARY1]), 45.0, 1e-9);
}

TEST_F(MoveStepping, ShortestWayRotaryStaysInItsRangeOnTheMachine)
{
    SetUpMachineForTest(MACHINE_TABLE, 0, 2);  // A about X, C about Z
    g_Rotary2Shortest = 1;
    g_StrokeLimitSetCount = 1;
    for (int a = 0; a < MACHINE_AXIS_COUNT; ++a) g_StrokeLimits[0].enabled[a] = 0;
    g_StrokeLimits[0].enabled[AXIS_ROTARY2] = 1;
    g_StrokeLimits[0].range[2 * AXIS_ROTARY2] = 0.0;
    g_StrokeLimits[0].range[2 * AXIS_ROTARY2 + 1] = 360.0;
    g_ActiveWorkOffset.axis[AXIS_ROTARY2] = 30.0;  // program 300..340 is machine 330..370
    PlaceMove({{10.0, 0.0, 300.0, 0.0, 300.0}}, {{10.0, 0.0, 300.0, 0.0, 340.0}});
    ASSERT_EQ(RunMove(), MOVE_NEXT_BLOCK);
    EXPECT_EQ(g_OvertravelAxis, -1);
    ASSERT_GE(g_Steps.size(), 2u);
    EXPECT_NEAR(g_MachinePosition.axis[AXIS_ROTARY2], 10.0, 1e-9);
    EXPECT_NEAR(g_RunStartMachinePosition.axis[AXIS_ROTARY2], 10.0, 1e-9);
}

// Hand-computed conversions of the switch blocks (angles in degrees).
TEST_F(MoveStepping, PolarAndCylindricalSwitchesConvertThePositions)
{
    const double keptOffset[3] = {g_HeadTipOffset[0], g_HeadTipOffset[1], g_HeadTipOffset[2]};
    const double keptPolarC = g_OspPolarC, keptF = g_CylinderLengthPerDegree;
    const int keptNormal = g_PlaneNormalAxis, keptPlane = g_CylindricalAxisPlane;
    g_HeadTipOffset[0] = g_HeadTipOffset[1] = g_HeadTipOffset[2] = 0.0;

    // Polar on, reference angle 30: target radius 10 at 120 degrees is (0, 10); the move end
    // radius 20 at 30 degrees starts the move at (20, 0).
    g_OspPolarC = 30.0;
    g_NcTargetPosition = {{10.0, 0.0, -2.0, 0.0, 120.0}};
    g_NcMoveEnd = {{20.0, 0.0, -1.0, 5.0, 30.0}};
    g_PolarInterpolationState = 1;
    ConvertPolarOrCylindricalSwitch();
    EXPECT_EQ(g_PolarInterpolationState, 0);
    EXPECT_NEAR(g_NcTargetPosition.axis[AXIS_X], 0.0, 1e-12);
    EXPECT_NEAR(g_NcTargetPosition.axis[AXIS_Y], 10.0, 1e-12);
    EXPECT_NEAR(g_NcPreviousPosition.axis[AXIS_Y], 10.0, 1e-12);
    EXPECT_EQ(g_NcPreviousPosition.axis[AXIS_ROTARY2], 120.0);
    for (const AxisPosition* p : {&g_NcMoveStart, &g_NcMoveEnd, &g_ControlPoint}) {
        EXPECT_NEAR(p->axis[AXIS_X], 20.0, 1e-12);
        EXPECT_NEAR(p->axis[AXIS_Y], 0.0, 1e-12);
        EXPECT_EQ(p->axis[AXIS_Z], -1.0);
        EXPECT_EQ(p->axis[AXIS_ROTARY1], 5.0);
        EXPECT_EQ(p->axis[AXIS_ROTARY2], 30.0);
    }

    // Polar off: the target (0, 10) goes back to radius 10 at 90 degrees; the start, end and control
    // point take it with the head tip offset on X and Z.
    g_PolarInterpolationOn = 1;
    g_HeadTipOffset[0] = 1.0;
    g_HeadTipOffset[2] = 2.0;
    g_NcTargetPosition = {{0.0, 10.0, -2.0, 0.0, 0.0}};
    g_PolarInterpolationState = 2;
    ConvertPolarOrCylindricalSwitch();
    g_PolarInterpolationOn = 0;
    EXPECT_NEAR(g_NcTargetPosition.axis[AXIS_X], 10.0, 1e-12);
    EXPECT_NEAR(g_NcTargetPosition.axis[AXIS_ROTARY2], 90.0, 1e-9);
    for (const AxisPosition* p : {&g_NcMoveStart, &g_NcMoveEnd, &g_ControlPoint}) {
        EXPECT_NEAR(p->axis[AXIS_X], 11.0, 1e-12);
        EXPECT_EQ(p->axis[AXIS_Z], 0.0);
        EXPECT_NEAR(p->axis[AXIS_ROTARY2], 90.0, 1e-9);
    }
    g_HeadTipOffset[0] = g_HeadTipOffset[2] = 0.0;

    // Cylindrical on, X the normal axis, Y the cylinder's, 0.5 mm per degree: target X 40 at 90
    // degrees is (40, 45); the move end X 30 at 10 degrees starts the move at (30, 5).
    g_PlaneNormalAxis = AXIS_X;
    g_CylindricalAxisPlane = AXIS_Y;
    g_CylinderLengthPerDegree = 0.5;
    g_NcTargetPosition = {{40.0, 0.0, -3.0, 0.0, 90.0}};
    g_NcMoveEnd = {{30.0, 0.0, -2.0, 0.0, 10.0}};
    g_CylindricalInterpolationState = 1;
    ConvertPolarOrCylindricalSwitch();
    EXPECT_EQ(g_CylindricalInterpolationState, 0);
    EXPECT_EQ(g_NcTargetPosition.axis[AXIS_X], 40.0);
    EXPECT_EQ(g_NcTargetPosition.axis[AXIS_Y], 45.0);
    EXPECT_EQ(g_NcTargetPosition.axis[AXIS_ROTARY2], 0.0);
    for (const AxisPosition* p : {&g_NcMoveStart, &g_NcMoveEnd, &g_ControlPoint}) {
        EXPECT_EQ(p->axis[AXIS_X], 30.0);
        EXPECT_EQ(p->axis[AXIS_Y], 5.0);
        EXPECT_EQ(p->axis[AXIS_ROTARY2], 0.0);
    }

    // Cylindrical off: back to X and a rotary 2 angle (length / 0.5).
    g_CylindricalInterpolationOn = 1;
    g_NcTargetPosition = {{40.0, 45.0, -3.0, 0.0, 0.0}};
    g_NcMoveEnd = {{30.0, 5.0, -2.0, 0.0, 0.0}};
    g_CylindricalInterpolationState = 2;
    ConvertPolarOrCylindricalSwitch();
    EXPECT_EQ(g_CylindricalInterpolationOn, 0);
    EXPECT_EQ(g_NcTargetPosition.axis[AXIS_X], 40.0);
    EXPECT_EQ(g_NcTargetPosition.axis[AXIS_Y], 0.0);
    EXPECT_EQ(g_NcTargetPosition.axis[AXIS_ROTARY2], 90.0);
    for (const AxisPosition* p : {&g_NcMoveStart, &g_NcMoveEnd, &g_ControlPoint}) {
        EXPECT_EQ(p->axis[AXIS_X], 30.0);
        EXPECT_EQ(p->axis[AXIS_Y], 0.0);
        EXPECT_EQ(p->axis[AXIS_Z], -2.0);
        EXPECT_EQ(p->axis[AXIS_ROTARY2], 10.0);
    }

    g_HeadTipOffset[0] = keptOffset[0];
    g_HeadTipOffset[1] = keptOffset[1];
    g_HeadTipOffset[2] = keptOffset[2];
    g_OspPolarC = keptPolarC;
    g_CylinderLengthPerDegree = keptF;
    g_PlaneNormalAxis = keptNormal;
    g_CylindricalAxisPlane = keptPlane;
}

}  // namespace
