// The interpreter reset: start values from the controller settings and the control point, the
// program start by the end-of-record character, the length axis by "LENGTH OFFSET TYPE", the head tip
// offset of a lathe, the rotary shortest-route switch and the least-increment rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/tools/tool_table.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "nc/reader_plugin.h"
#include "nc_test_support.h"

namespace {

class InterpreterResetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetNcTestState();
        g_ControlPoint = AxisPosition{{10.0, 20.0, 30.0, 0.0, 0.0}};
    }
    void TearDown() override
    {
        g_ControlPoint = AxisPosition{};
        g_ToolLength = 0;
        g_CurrentToolLength = 0;
        g_MachineLathe = 0;
        g_Rotary1Letter = ' ';
        g_ToolBasePoint = 0;
        g_CurrentToolLengthRecord = ToolLengthRecord{};
        for (StrokeLimitSet& set : g_StrokeLimits) set = StrokeLimitSet{};
        ResetNcTestState();
    }
};

TEST_F(InterpreterResetTest, StartValuesComeFromTheControllerAndTheControlPoint)
{
    g_InitialPlane = 18;
    g_DecimalPointSetting = DECIMAL_POINT_YES;
    g_ToolCentreModeAtStart = 1;
    g_CuttingOnAtStart = 0;
    g_CycleReturnInitial = 0;
    g_WorkOffsetIndex = 2;
    g_WorkOffsets[0].axis[AXIS_X] = 1.0;
    g_WorkOffsets[2].axis[AXIS_X] = 100.0;
    g_WorkOffsets[2].axis[AXIS_Z] = -50.0;
    g_ToolLength = 120.0;
    g_CurrentToolLength = 100.0f;
    // Left over from an earlier pass.
    g_NcAlarmCode = 4;
    g_SequenceSearchNumber = 30;
    g_CannedCycleCode = 81;
    g_LookaheadCount = 3;
    g_ScalingOn = 1;
    g_LocalCoordinateShifts[2].axis[AXIS_X] = 5.0;

    ResetInterpreterState();
    EXPECT_EQ(18, g_PlaneCode);
    EXPECT_EQ(AXIS_Y, g_PlaneNormalAxis);
    EXPECT_EQ(DECIMAL_POINT_YES, g_DecimalPointMode);
    EXPECT_EQ(1, g_ToolCentreMode);
    EXPECT_EQ(0, g_CutCodeState);
    EXPECT_EQ(0, g_CycleReturnToInitial);
    EXPECT_EQ(0, g_NcAlarmCode);
    EXPECT_EQ(-1, g_SequenceSearchNumber);
    EXPECT_EQ(-1, g_CommandedToolNumber);
    EXPECT_EQ(80, g_CannedCycleCode);
    EXPECT_EQ(0, g_LookaheadCount);
    EXPECT_EQ(0, g_ScalingOn);
    EXPECT_EQ(0.0, g_LocalCoordinateShifts[2].axis[AXIS_X]);
    EXPECT_EQ(NC_RUN_READING, g_NcRunState);
    EXPECT_EQ(2, g_StartWorkOffset);
    EXPECT_DOUBLE_EQ(101.0, g_ActiveWorkOffset.axis[AXIS_X]);
    EXPECT_DOUBLE_EQ(101.0, g_RunStartActiveWorkOffset.axis[AXIS_X]);
    EXPECT_DOUBLE_EQ(100.0, g_RunStartWorkOffsets[2].axis[AXIS_X]);
    for (const AxisPosition* p : {&g_NcTargetPosition, &g_NcCommandedPosition, &g_NcMoveEnd, &g_NcStartPoint}) {
        EXPECT_DOUBLE_EQ(10.0, p->axis[AXIS_X]);
        EXPECT_DOUBLE_EQ(30.0, p->axis[AXIS_Z]);
    }
    // Machine position: control point + active offset, plus the length difference on Z.
    for (const AxisPosition* p : {&g_MachinePosition, &g_RunStartMachinePosition, &g_MachineAxisWords}) {
        EXPECT_DOUBLE_EQ(111.0, p->axis[AXIS_X]);
        EXPECT_DOUBLE_EQ(20.0, p->axis[AXIS_Y]);
        EXPECT_DOUBLE_EQ(30.0 - 50.0 + 20.0, p->axis[AXIS_Z]);
    }
    for (AxisPosition& entry : g_WorkOffsets) entry = AxisPosition{};
}

TEST_F(InterpreterResetTest, ProgramStartDependsOnTheEndOfRecordCharacter)
{
    g_EndOfRecordChar = ' ';
    ResetInterpreterState();
    EXPECT_EQ(1, g_ProgramStarted);
    g_EndOfRecordChar = '%';
    ResetInterpreterState();
    EXPECT_EQ(0, g_ProgramStarted);
}

TEST_F(InterpreterResetTest, RepeatedResetsGiveOneStateAndKeepTheLookaheadArrays)
{
    ResetInterpreterState();
    int* kinds = g_LookaheadKinds;
    double* values = g_LookaheadValues;
    ASSERT_NE(nullptr, kinds);
    ASSERT_NE(nullptr, values);
    EXPECT_EQ(LOOKAHEAD_INITIAL_CAPACITY, g_LookaheadCapacity);
    const AxisPosition target = g_NcTargetPosition;
    const int plane = g_PlaneCode;
    ResetInterpreterState();
    ResetInterpreterState();
    EXPECT_EQ(kinds, g_LookaheadKinds);
    EXPECT_EQ(values, g_LookaheadValues);
    EXPECT_EQ(0, std::memcmp(&target, &g_NcTargetPosition, sizeof target));
    EXPECT_EQ(plane, g_PlaneCode);
}

TEST_F(InterpreterResetTest, LengthAxisFollowsTheLengthOffsetType)
{
    g_InitialPlane = 19;
    g_LengthOffsetType = 1;  // FANUC-B: the normal of the start plane
    ResetInterpreterState();
    EXPECT_EQ(AXIS_X, g_ToolAxisIndex);
    g_LengthOffsetType = 2;  // FANUC-C: Z whatever the plane
    ResetInterpreterState();
    EXPECT_EQ(AXIS_Z, g_ToolAxisIndex);
    g_LengthOffsetType = 0;  // FANUC-A: the normal axis of the routed axis letters
    g_AxisOrderNormal = AXIS_Y;
    ResetInterpreterState();
    EXPECT_EQ(AXIS_Y, g_ToolAxisIndex);
}

TEST_F(InterpreterResetTest, LatheWithAutomaticToolOffsetStartsLessTheHeadTipOffset)
{
    g_MachineLathe = 1;
    g_AutomaticToolOffset = 1;
    g_Rotary1Letter = 'B';
    g_ToolBasePoint = TOOL_BASE_LENGTH_TOP;
    g_CurrentToolLengthRecord.lengths[0] = 50.0f;
    g_ControlPoint.axis[AXIS_ROTARY1] = 60.0;
    g_WorkOffsets[1].axis[AXIS_ROTARY1] = 30.0;  // the angle is control point + offset: 90 degrees
    ResetInterpreterState();
    EXPECT_EQ(1, g_LatheModeOn);
    EXPECT_DOUBLE_EQ(50.0, g_ToolLengthOffset);
    EXPECT_NEAR(50.0, g_HeadTipOffset[0], 1e-9);
    EXPECT_NEAR(0.0, g_HeadTipOffset[2], 1e-9);
    EXPECT_NEAR(10.0 - 50.0, g_NcTargetPosition.axis[AXIS_X], 1e-9);
    EXPECT_NEAR(30.0, g_NcTargetPosition.axis[AXIS_Z], 1e-9);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], g_NcCommandedPosition.axis[AXIS_X]);
    EXPECT_DOUBLE_EQ(20.0, g_NcTargetPosition.axis[AXIS_Y]);
    g_WorkOffsets[1] = AxisPosition{};
    g_AutomaticToolOffset = 0;
}

TEST_F(InterpreterResetTest, ToolZeroBecomesUndefinedUnlessThePluginGaveTheTools)
{
    const int savedMax = g_MaxMagazine;
    if (g_ToolTable == nullptr) {
        g_MaxMagazine = 10;
        AllocateToolArrays();
    }
    ASSERT_NE(nullptr, g_ToolTable);
    g_ToolTable[0].type = TOOL_BALL;
    g_ToolLengths[0] = 5.0f;
    g_FileToolsFromPlugin = 1;
    ResetInterpreterState();
    EXPECT_EQ(TOOL_BALL, g_ToolTable[0].type);
    g_FileToolsFromPlugin = 0;
    ResetInterpreterState();
    EXPECT_EQ(-1, g_ToolTable[0].type);
    EXPECT_EQ(-1, g_ToolPenTable[0]);
    EXPECT_FLOAT_EQ(-0.0123f, g_ToolLengths[0]);
    EXPECT_EQ(0, g_ArborTable[0].used);
    EXPECT_EQ(0, g_ToolLengthTable[0].kind);
    g_MaxMagazine = savedMax;
}

TEST_F(InterpreterResetTest, ShortestRouteOfAFullTurnRotary)
{
    g_StrokeLimits[0].range[2 * AXIS_ROTARY1] = 0.0;
    g_StrokeLimits[0].range[2 * AXIS_ROTARY1 + 1] = 360.0;
    g_StrokeLimits[0].range[2 * AXIS_ROTARY2] = -90.0;
    g_StrokeLimits[0].range[2 * AXIS_ROTARY2 + 1] = 90.0;
    g_Rotary1ShortestSetting = 0;
    CheckRotaryTurnOver360(1);  // M126
    EXPECT_EQ(1, g_Rotary1Shortest);
    EXPECT_EQ(0, g_Rotary2Shortest);
    g_DialectHeidenhain = 1;
    ResetInterpreterState();  // the reset ends it for HEIDENHAIN
    EXPECT_EQ(0, g_Rotary1Shortest);
    g_Rotary1ShortestSetting = 1;
    g_Rotary1Shortest = 1;
    CheckRotaryTurnOver360(0);  // M127 does not end a configured shortest route
    EXPECT_EQ(1, g_Rotary1Shortest);
    g_Rotary1ShortestSetting = 0;
    g_Rotary1Shortest = 0;
}

TEST_F(InterpreterResetTest, ToIntegerUnitsRoundsHalfAwayFromZero)
{
    g_InputIncrement = 1000;
    EXPECT_EQ(1, ToIntegerUnits(0.0005));
    EXPECT_EQ(-1, ToIntegerUnits(-0.0005));
    EXPECT_EQ(0, ToIntegerUnits(-0.0004));
    EXPECT_EQ(0, ToIntegerUnits(0.0));
    EXPECT_EQ(12346, ToIntegerUnits(12.3456));
    EXPECT_EQ(0, ToIntegerUnits(std::nan("")));
    EXPECT_EQ(2147483647, ToIntegerUnits(1e300));
}

}  // namespace
