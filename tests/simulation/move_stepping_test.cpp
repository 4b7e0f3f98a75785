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
#include "simulation/cutting.h"
#include "simulation/move_stepping.h"
#include "simulation/simulation_thread.h"
#include "tests/machine_setup/kinematics_test_support.h"
#include "tests/simulation/cut_test_support.h"
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

// Sub-steps cut together by the cutting threads and then checked one by one: two feed moves of a
// ball through the work, the second stopped halfway by the X stroke, give every sub-step the volume,
// cut flag and position of cutting them one by one, the same work and the same stop, on 1, 2 and 8
// threads and with passes that end inside a move.
TEST_F(MoveStepping, SubStepsCutTogetherGiveTheRunOfCuttingThemOneByOne)
{
    struct Outcome {
        std::vector<RunCutStep> steps;
        uint64_t hash = 0;
        uint64_t firstStepHash = 0;  // the work when the first sub-step is checked
        int secondMove = 0;
        int overtravelAxis = -1;
        AxisPosition machine{}, saved{};
    };
    static uint64_t s_FirstStepHash;
    auto run = [this](int stepsAhead, int threads, Outcome* out) {
        BuildWork();
        g_SpindleToolNumber = 2;
        ASSERT_EQ(SelectCurrentTool(2, g_WorkPitch), 1);
        g_CutStepsAhead = stepsAhead;
        SetCuttingThreadCount(threads);
        g_CutRaysPerThread = 16;
        s_FirstStepHash = 0;
        g_RunCutStepHook = [](const RunCutStep* step) {
            if (g_Steps.empty()) s_FirstStepHash = HashWorkRays(g_WorkModels[0]);
            g_Steps.push_back(*step);
        };
        g_Steps.clear();
        PlaceMove({{5.0, 10.0, -2.0, 0.0, 0.0}}, {{95.0, 30.0, -2.5, 0.0, 0.0}});
        g_MovePitch = 0.5;
        ASSERT_EQ(RunMove(), MOVE_NEXT_BLOCK);
        out->secondMove = int(g_Steps.size());
        PlaceMove({{90.0, 60.0, -1.5, 0.0, 0.0}}, {{10.0, 50.0, -1.5, 0.0, 0.0}});
        g_MovePitch = 0.5;
        g_StrokeLimitSetCount = 1;
        for (int a = 0; a < MACHINE_AXIS_COUNT; ++a) g_StrokeLimits[0].enabled[a] = 0;
        g_StrokeLimits[0].enabled[AXIS_X] = 1;
        g_StrokeLimits[0].range[2 * AXIS_X] = g_MachinePosition.axis[AXIS_X] - 40.2;
        g_StrokeLimits[0].range[2 * AXIS_X + 1] = g_MachinePosition.axis[AXIS_X] + 1.0;
        EXPECT_EQ(RunMove(), MOVE_END_RUN);
        g_StrokeLimitSetCount = 0;
        out->steps = g_Steps;
        out->hash = HashWorkRays(g_WorkModels[0]);
        out->firstStepHash = s_FirstStepHash;
        out->overtravelAxis = g_OvertravelAxis;
        out->machine = g_MachinePosition;
        out->saved = g_SavedState.machinePosition;
    };
    Outcome alone;
    run(1, 1, &alone);
    ASSERT_EQ(alone.overtravelAxis, AXIS_X);
    ASSERT_GT(alone.secondMove, 100);
    ASSERT_GT(int(alone.steps.size()) - alone.secondMove, 40);
    for (int threads : {1, 2, 8}) {
        for (int stepsAhead : {16, CUT_STEPS_AHEAD}) {
            SCOPED_TRACE(::testing::Message() << threads << " threads, " << stepsAhead << " sub-steps ahead");
            Outcome together;
            run(stepsAhead, threads, &together);
            // The work at the first check already holds later sub-steps: they were cut together.
            EXPECT_NE(together.firstStepHash, alone.firstStepHash);
            EXPECT_EQ(together.hash, alone.hash);
            EXPECT_EQ(together.overtravelAxis, alone.overtravelAxis);
            EXPECT_EQ(together.secondMove, alone.secondMove);
            ASSERT_EQ(together.steps.size(), alone.steps.size());
            for (size_t k = 0; k < alone.steps.size(); ++k) {
                const RunCutStep &a = alone.steps[k], &b = together.steps[k];
                ASSERT_EQ(b.subStep, a.subStep) << k;
                ASSERT_EQ(b.cut, a.cut) << k;
                ASSERT_EQ(b.removedVolume, a.removedVolume) << k;
                for (int i = 0; i < 3; ++i) ASSERT_EQ(b.tip[i], a.tip[i]) << k;
            }
            for (int i = 0; i < AXIS_POSITION_COUNT; ++i) {
                EXPECT_EQ(together.machine.axis[i], alone.machine.axis[i]);
                EXPECT_EQ(together.saved.axis[i], alone.saved.axis[i]);
            }
        }
    }
    g_CutStepsAhead = CUT_STEPS_AHEAD;
    SetCuttingThreadCount(0);
    g_CutRaysPerThread = CUT_RAYS_PER_THREAD;
}

}  // namespace
