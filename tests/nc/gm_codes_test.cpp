// G and M codes from NC text: motion kinds and the reversed plane, compensation side and value,
// length offsets by "LENGTH OFFSET TYPE", work offset selection, G92 and G52 shifts, rotation
// setting and stacking, canned cycle start and end, dwell and the program end in memory.
#include <gtest/gtest.h>

#include <cmath>

#include "block_test_support.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "nc/block_state.h"
#include "nc/gm_codes.h"
#include "nc/interpreter_state.h"

namespace {

class GmCodesTest : public ::testing::Test {
protected:
    void SetUp() override { ResetBlockTestState(); }
    void TearDown() override { ResetBlockTestState(); }
};

TEST_F(GmCodesTest, ArcCodesSwapInAReversedPlane)
{
    RunBlock("G02 X10. R5.");
    EXPECT_EQ(g_MotionKind, MOTION_ARC_CW);
    EXPECT_EQ(g_ArcMirrorPending, 1);
    g_PlaneCode = -17;
    RunBlock("G02 X20. R5.");
    EXPECT_EQ(g_MotionKind, MOTION_ARC_CCW);
    RunBlock("G03 X30. R5.");
    EXPECT_EQ(g_MotionKind, MOTION_ARC_CW);
}

TEST_F(GmCodesTest, CompensationValueFromTheDMemory)
{
    g_ToolOffsetD[5] = 3.0f;
    g_ToolOffsetD2[5] = 0.1f;
    RunBlock("G41 D05");
    EXPECT_NEAR(g_CompensationValue, 3.1, 1e-6);
    EXPECT_EQ(g_CutterCompensationState, 1);
    RunBlock("G42");
    EXPECT_NEAR(g_CompensationValue, -3.1, 1e-6);
    g_PlaneCode = -17;
    RunBlock("G41");
    EXPECT_NEAR(g_CompensationValue, -3.1, 1e-6);
    RunBlock("G40");
    EXPECT_EQ(g_CompensationSide, 0);
    EXPECT_EQ(g_CutterCompensationState, 2);
}

TEST_F(GmCodesTest, WorkOffsetChangeMovesTheTargetNotTheMachine)
{
    g_WorkOffsets[1].axis[AXIS_X] = 100.0;
    g_WorkOffsets[2].axis[AXIS_X] = 200.0;
    RunBlock("G54 G00 X10. Y5.");
    const double machineX = MachineAxis(AXIS_X);
    EXPECT_DOUBLE_EQ(machineX, 110.0);
    RunBlock("G55");
    EXPECT_EQ(g_WorkOffsetIndex, 2);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], -90.0);
    EXPECT_DOUBLE_EQ(MachineAxis(AXIS_X), machineX);
    RunBlock("X10.");
    EXPECT_DOUBLE_EQ(MachineAxis(AXIS_X), 210.0);
}

TEST_F(GmCodesTest, ExtendedWorkOffsets)
{
    g_WorkOffsets[9].axis[AXIS_Y] = 9.0;
    g_WorkOffsets[7].axis[AXIS_Y] = 7.0;
    RunBlock("G54 P3");
    EXPECT_EQ(g_WorkOffsetIndex, 9);
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_Y], 9.0);
    RunBlock("G54.1");
    EXPECT_EQ(g_WorkOffsetIndex, 7);
    RunBlock("G54.1 P3");
    EXPECT_EQ(g_WorkOffsetIndex, 9);
    EXPECT_EQ(g_NcAlarmCode, 0);
}

TEST_F(GmCodesTest, LengthOffsetAxisByOffsetType)
{
    g_ToolOffsetH[1] = 50.0f;
    // FANUC-C: the last axis word after G43 decides; G43 alone takes Z.
    g_LengthOffsetType = 2;
    RunBlock("G43 Z5. X10. H1");
    EXPECT_EQ(g_ToolAxisIndex, AXIS_X);
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_X], 60.0);
    RunBlock("G43 H1");
    EXPECT_EQ(g_ToolAxisIndex, AXIS_Z);
    // FANUC-B: the normal of the plane.
    g_LengthOffsetType = 1;
    RunBlock("G18 G43 H1");
    EXPECT_EQ(g_ToolAxisIndex, AXIS_Y);
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_Y], 50.0);
    // FANUC-A: the controller's tool axis.
    g_LengthOffsetType = 0;
    g_AxisOrderNormal = 0;
    RunBlock("G17 G43 H1");
    EXPECT_EQ(g_ToolAxisIndex, 0);
    g_AxisOrderNormal = 2;
    RunBlock("G17 G43 H1");
    EXPECT_EQ(g_ToolAxisIndex, AXIS_Z);
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_Z], 55.0);
}

TEST_F(GmCodesTest, G49KeepSetsTheShiftState)
{
    g_ToolOffsetH[2] = 10.0f;
    g_G49Mode = 1;
    RunBlock("G43 H2");
    RunBlock("G49");
    EXPECT_EQ(g_CoordinateShiftState, 1);
    EXPECT_EQ(g_ToolLengthCompOn, 0);
    EXPECT_DOUBLE_EQ(g_ToolLengthOffset, 0.0);
}

TEST_F(GmCodesTest, G92ShiftsTheActiveOffset)
{
    g_ControlPoint.axis[AXIS_X] = 100.0;
    g_ControlPoint.axis[AXIS_Y] = 50.0;
    g_NcTargetPosition = g_ControlPoint;
    RunBlock("G92 X0 Y0");
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_X], 100.0);
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_Y], 50.0);
    EXPECT_DOUBLE_EQ(g_CoordinateSetShift.axis[AXIS_X], 100.0);
    for (const AxisPosition* p : {&g_NcCommandedPosition, &g_ControlPoint, &g_NcMoveEnd, &g_NcPreviousPosition}) {
        EXPECT_DOUBLE_EQ(p->axis[AXIS_X], 0.0);
        EXPECT_DOUBLE_EQ(p->axis[AXIS_Y], 0.0);
    }
    // A later G54 selection keeps the G92 shift.
    RunBlock("G54");
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_X], 100.0);
}

TEST_F(GmCodesTest, G92MoveModeTakesTheStartPointFirst)
{
    g_G92Mode = 1;
    g_ControlPoint.axis[AXIS_X] = 30.0;
    g_NcTargetPosition = g_ControlPoint;
    RunBlock("G92 X10.");
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_X], 0.0);
    EXPECT_DOUBLE_EQ(g_NcStartPoint.axis[AXIS_X], 10.0);
    EXPECT_EQ(g_G92StartTaken, 1);
    RunBlock("G92 X0");
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_X], 10.0);
}

TEST_F(GmCodesTest, G52SetsTheLocalShiftOfTheSelectedEntry)
{
    g_WorkOffsets[1].axis[AXIS_X] = 100.0;
    RunBlock("G54");
    const double targetX = g_NcTargetPosition.axis[AXIS_X];
    RunBlock("G52 X10.");
    EXPECT_DOUBLE_EQ(g_LocalCoordinateShifts[1].axis[AXIS_X], 10.0);
    EXPECT_DOUBLE_EQ(g_SavedActiveWorkOffset.axis[AXIS_X], 100.0);
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_X], 110.0);
    EXPECT_DOUBLE_EQ(g_LocalActiveWorkOffset.axis[AXIS_X], 110.0);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], targetX - 10.0);  // the tool stays in the machine
    RunBlock("G91 G52 X5.");
    EXPECT_DOUBLE_EQ(g_LocalCoordinateShifts[1].axis[AXIS_X], 15.0);
}

TEST_F(GmCodesTest, RotationSettingAndStacking)
{
    RunBlock("G68 R0");  // no angle, "ROTATION ANGLE" 0: no rotation
    EXPECT_EQ(g_RotationCount, 0);
    EXPECT_EQ(g_CoordinateRotationState, 0);

    RunBlock("G68 X0 Y0 R90.");
    EXPECT_EQ(g_RotationCount, 1);
    EXPECT_EQ(g_RotationCos[0], 0.0);
    EXPECT_EQ(g_RotationSin[0], 1.0);
    RunBlock("G68 X1. Y1. R30.");  // a plane rotation replaces the plane rotation
    EXPECT_EQ(g_RotationCount, 1);
    EXPECT_DOUBLE_EQ(g_RotationAngles[0], 30.0);
    RunBlock("G69");
    RunBlock("G00");  // the cancel block
    EXPECT_EQ(g_CoordinateRotationState, 0);

    RunBlock("G68 I1. R90.");  // about X
    RunBlock("G68 J1. R45.");  // about Y: stacks
    EXPECT_EQ(g_RotationCount, 2);
    EXPECT_EQ(g_RotationAxisCodes[0], 1);
    EXPECT_EQ(g_RotationAxisCodes[1], 2);
    RunBlock("G68 R10.");  // a third one is not taken
    EXPECT_EQ(g_RotationCount, 2);
    EXPECT_EQ(g_CoordinateRotationState, 2);
}

TEST_F(GmCodesTest, PlaneRotationTakesThePlaceOfAnAxisRotation)
{
    RunBlock("G68 I1. R90.");
    RunBlock("G68 R30.");
    EXPECT_EQ(g_RotationCount, 1);
    EXPECT_EQ(g_RotationAxisCodes[0], 0);
    EXPECT_DOUBLE_EQ(g_RotationAngles[0], 30.0);
    EXPECT_EQ(g_RotationPlaneAxes[0][0], g_PlaneAxis1);
}

TEST_F(GmCodesTest, CannedCyclesStartAndEnd)
{
    struct Case {
        const char* second;
        int cycle;
    } cases[] = {{"G01", 80}, {"G76", 76}, {"G72", 80}, {"G80", 80}};
    for (const Case& c : cases) {
        ResetBlockTestState();
        RunBlock("G00 Z10.");
        RunBlock("G81 Z-5. R2.");
        EXPECT_EQ(g_CannedCycleCode, 81);
        EXPECT_DOUBLE_EQ(g_CycleInitialLevel, 10.0);
        RunBlock(c.second);
        EXPECT_EQ(g_CannedCycleCode, c.cycle) << c.second;
    }
}

TEST_F(GmCodesTest, DwellAndReferenceReturn)
{
    RunBlock("G04 P500");
    EXPECT_EQ(g_DwellBlock, 1);
    EXPECT_DOUBLE_EQ(g_CycleDwell, 0.5);
    RunBlock("G04 X1.5");
    EXPECT_DOUBLE_EQ(g_CycleDwell, 1.5);
    RunBlock("G30 P3 Z0.");
    EXPECT_EQ(g_ReferenceReturnKind, 1);
    EXPECT_EQ(g_ReferencePointIndex, 2);
    EXPECT_EQ(g_ReturnIntermediateGiven[AXIS_Z], 1);
}

TEST_F(GmCodesTest, ProgramEndOnlyFromMemory)
{
    RunBlock("M30 X5.");
    EXPECT_EQ(g_NcRunState, NC_RUN_READING);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 5.0);
    g_RunFromMemory = 1;
    RunBlock("M30 X9.");
    EXPECT_EQ(g_NcRunState, NC_RUN_FINISHED);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 5.0);
}

TEST_F(GmCodesTest, GotoStartsTheSequenceSearch)
{
    g_RunFromMemory = 1;
    RunBlock("GOTO 120");
    EXPECT_EQ(g_SequenceSearchNumber, 120);
    g_SequenceSearchNumber = -1;
    RunBlock("IF [#1 GT 0] GOTO 5");
    EXPECT_EQ(g_SequenceSearchNumber, -1);
}

TEST_F(GmCodesTest, SpindleAndScaling)
{
    RunBlock("M03 S1200");
    EXPECT_EQ(g_SpindleState, 1);
    EXPECT_DOUBLE_EQ(g_SpindleSpeed, 1200.0);
    RunBlock("G51 X0 Y0 P2.");
    EXPECT_EQ(g_ScalingOn, 1);
    EXPECT_EQ(g_ScalingUniform, 1);
    RunBlock("G01 X10. F100.");
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_X], 20.0);
    RunBlock("G50");
    EXPECT_EQ(g_ScalingOn, 0);
}

TEST_F(GmCodesTest, InchInputStopsTheBlockWithAlarm13)
{
    RunBlock("G21 G01 X10. F100.");  // metric input: what the simulation assumes
    EXPECT_EQ(g_NcAlarmCode, 0);
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_X], 10.0);
    RunBlock("G90 G20 X1.");  // an inch program would come out 25.4 times too small: no word is read on
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_INCH_INPUT);
    EXPECT_EQ(g_NcAlarmCode, 13);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 10.0);
    g_NcAlarmCode = NC_ALARM_WORD_OUT_OF_RANGE;  // an alarm already raised stays
    RunBlock("G20");
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_WORD_OUT_OF_RANGE);
}

TEST_F(GmCodesTest, CoordinateWordContextsFromNcText)
{
    RunBlock("G00 X1. Y2. Z30.");
    RunBlock("G28 G91 Z0.");  // the intermediate Z is the current move end Z
    EXPECT_EQ(g_ReferenceReturnKind, 1);
    EXPECT_DOUBLE_EQ(g_ReturnIntermediatePoint[AXIS_Z], 30.0);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_Z], 30.0);

    RunBlock("G90 G53 X-50.");  // machine coordinates less the active offset
    EXPECT_EQ(g_MachineCoordinateBlock, 1);
    EXPECT_DOUBLE_EQ(g_MachineAxisWords.axis[AXIS_X], -50.0);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], -50.0 - g_ActiveWorkOffset.axis[AXIS_X]);

    g_IncrementalAxisChars[0] = 'U';
    RunBlock("G90 X10. U0");  // U0 is no axis word
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 10.0);
    RunBlock("U2.5");
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 12.5);

    g_MachineKind = 1;
    g_Rotary1Letter = 'A';
    RunBlock("A30.");
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_ROTARY1], 30.0);
    g_MachineKind = 0;  // without rotary axes the letter is stepped over
    RunBlock("A45.");
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_ROTARY1], 30.0);
}

}  // namespace
