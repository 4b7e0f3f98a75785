// Machine definition file: a file with every keyword reads to the documented values, kept values
// survive a later file, a missing file leaves the definition and reports -1, and the companions of the
// reader (tool-change route, angle-head direction and angles, box corners).
#include "machine_setup/machine/machine_definition.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <string>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_models.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/ui/message_box.h"
#include "machine_setup/machine_setup_state.h"
#include "tests/scoped_temp_folder.h"

namespace {

const std::string kFixtures = std::string(QUMBRA_FIXTURE_DIR) + "/machine";

// Reads a fixture with a controller that names no rotary letters; model names resolve in the fixture folder.
void ReadFixture(const char* name, int resetUserVice = 1)
{
    ASSERT_EQ(chdir(kFixtures.c_str()), 0);
    std::snprintf(g_MachineFilePath, sizeof g_MachineFilePath, "%s", name);
    g_Rotary1Letter = ' ';
    g_Rotary2Letter = ' ';
    g_MachineAxisLetters[0] = 'X';
    g_MachineAxisLetters[1] = 'Y';
    g_MachineAxisLetters[2] = 'Z';
    ReadMachineFile(resetUserVice);
}

void ExpectVector3(const double* v, double x, double y, double z)
{
    EXPECT_DOUBLE_EQ(v[0], x);
    EXPECT_DOUBLE_EQ(v[1], y);
    EXPECT_DOUBLE_EQ(v[2], z);
}

class MachineDefinitionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_DialectHeidenhain = 0;
        g_ToolBasePointFromIni = 0;
        g_ViceModelsFromUser = 0;
        ClearShownMessageBoxes();
    }
};

TEST_F(MachineDefinitionTest, EveryKeywordReadsToItsValue)
{
    g_ToolBasePoint = TOOL_BASE_ARBOR_TOP;
    g_OvertravelAxis = 2;
    ReadFixture("full.mtl");
    EXPECT_EQ(g_MachineFileStatus, 1);
    EXPECT_STREQ(g_MachineName, "Five-axis test machine");
    EXPECT_EQ(g_AtcType, ATC_WAIT2);
    EXPECT_EQ(g_ToolWordSplit, 0);
    EXPECT_EQ(g_ToolChangePositionGiven, 1);
    const double position[5] = {100.5, -200.0, 300.0, 0.0, 90.0};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(g_ToolChangePosition.axis[k], position[k]);
    EXPECT_EQ(g_ToolChangeTime, 4.5f);
    EXPECT_EQ(g_RapidFeedRates[0], 20000.0f);
    EXPECT_EQ(g_RapidFeedRates[2], 22000.0f);
    EXPECT_EQ(g_RapidAccelerations[1], 0.25f);
    EXPECT_EQ(g_MaximumFeedRates[0], 5000.0f);
    EXPECT_EQ(g_MaximumFeedRates[1], 5000.0f);
    EXPECT_EQ(g_MaximumFeedRates[2], 4000.0f);
    EXPECT_EQ(g_AxisAccelerations[0], 0.4f);
    EXPECT_EQ(g_AxisAccelerations[1], 0.45f);
    EXPECT_EQ(g_AxisAccelerations[2], 0.5f);
    EXPECT_EQ(g_AxisDirection, AXIS_DIRECTION_RIGHT_PZ_BACK_MY);

    EXPECT_EQ(g_MachineKind, MACHINE_MIX);
    EXPECT_EQ(g_ToolBasePoint, TOOL_BASE_BOTTOM);
    EXPECT_EQ(g_Rotary1Axis, 1);
    EXPECT_EQ(g_Rotary1CrossAxes[0], 2);
    EXPECT_EQ(g_Rotary1CrossAxes[1], 0);
    EXPECT_EQ(g_Rotary2Axis, 2);
    EXPECT_EQ(g_Rotary1Letter, 'B');
    EXPECT_EQ(g_Rotary2Letter, 'C');
    EXPECT_EQ(g_AxisLabelCells[3][1], 'B');
    EXPECT_EQ(g_AxisLabelCells[4][1], 'C');
    // Both AXIS1 and AXIS2 ANGLE given: only rotary 1 is inclined.
    EXPECT_EQ(g_Rotary1Tilted, 1);
    EXPECT_EQ(g_Rotary2Tilted, 0);
    EXPECT_DOUBLE_EQ(g_Rotary1TiltCosSin[0], std::cos(3.141592653589793 / 4.0));
    EXPECT_DOUBLE_EQ(g_Rotary1TiltCosSin[1], std::sin(3.141592653589793 / 4.0));
    ExpectVector3(g_Rotary1UnitVector, 0.0, std::cos(3.141592653589793 / 4.0), std::sin(3.141592653589793 / 4.0));
    ExpectVector3(g_Rotary2UnitVector, 0.0, 0.0, 1.0);

    EXPECT_EQ(g_TableType, TABLE_TYPE_CIRCLE);
    EXPECT_EQ(g_Table2Type, TABLE_TYPE_NO);
    EXPECT_EQ(g_HeadType, HEAD_TYPE_NO);
    EXPECT_EQ(g_Head1Type, HEAD_TYPE_NO);
    EXPECT_EQ(g_Head2Type, HEAD_TYPE_PRESENT);
    ExpectVector3(g_AngleHeadAngles, 0.0, 0.0, 15.0);   // C alone tilts nothing
    ExpectVector3(g_ToolDirection, 0.0, 0.0, 1.0);
    EXPECT_EQ(g_ToolDirectionTilted, 0);
    ExpectVector3(g_TablePosition, 1.0, 2.0, 3.0);
    ExpectVector3(g_TableOffset, 4.0, 5.0, 6.0);
    ExpectVector3(g_HeadPosition, 0.0, 0.0, 150.0);
    ExpectVector3(g_HeadOffset, 0.0, 10.0, 20.0);
    ExpectVector3(g_HeadPivot, 0.0, 0.0, 0.0);   // not a HEAD machine
    EXPECT_EQ(g_ToolHolderOffset, 65.5);

    EXPECT_EQ(g_BasicModelCount, 1);   // the missing file is not counted
    EXPECT_STREQ(g_BasicModelFiles[0], "part.stl");
    EXPECT_EQ(g_ViceModelCount, 3);
    EXPECT_EQ(g_ViceOffsetCount, 1);
    for (int k = 0; k < 3; ++k) ExpectVector3(g_PartModelOffsets.vice[k], 10.0, 20.0, 30.0);
    ExpectVector3(g_PartModelOffsets.basic, 1.0, 1.0, 1.0);
    ExpectVector3(g_PartModelOffsets.part[PART_MODEL_TABLE], 7.0, 8.0, 9.0);
    ExpectVector3(g_PartModelOffsets.part[PART_MODEL_TABLE1], 11.0, 12.0, 13.0);
    ExpectVector3(g_PartModelOffsets.part[PART_MODEL_HEAD], 14.0, 15.0, 16.0);
    ExpectVector3(g_PartModelOffsets.part[PART_MODEL_HEAD_YZ], 17.0, 18.0, 19.0);
    ExpectVector3(g_PartModelOffsets.part[PART_MODEL_HEAD2], 20.0, 21.0, 22.0);
    EXPECT_STREQ(g_PartModelFiles[PART_MODEL_TABLE], "part.stl");
    EXPECT_STREQ(g_PartModelFiles[PART_MODEL_TABLE1], "part.stl");
    EXPECT_STREQ(g_PartModelFiles[PART_MODEL_HEAD], "");
    EXPECT_STREQ(g_PartModelFiles[PART_MODEL_HEAD_XY], "part.stl");
    EXPECT_STREQ(g_PartModelFiles[PART_MODEL_HEAD2], "part.stl");
    EXPECT_EQ(CountShownMessageBoxes(), 2);   // the two missing model files
    ShownMessageBox box;
    ASSERT_EQ(GetShownMessageBox(0, &box), 1);
    EXPECT_STREQ(box.text, "missing.stl");

    EXPECT_EQ(g_TableMovesAxis[0], 1);
    EXPECT_EQ(g_TableMovesAxis[1], 0);
    EXPECT_EQ(g_TableMovesAxis[2], 1);
    EXPECT_EQ(g_TableMovedAxisCount, 2);

    // A set-2 line before set 0, a set-3 line for a rotary letter, set 6 and set 12 ignored.
    EXPECT_EQ(g_StrokeLimitSetCount, 4);
    const StrokeLimitSet& set0 = g_StrokeLimits[0];
    EXPECT_EQ(set0.enabled[AXIS_X], 1);
    EXPECT_EQ(set0.range[0], -100.0);
    EXPECT_EQ(set0.range[1], 100.0);
    EXPECT_EQ(set0.range[3], 200.5);
    EXPECT_EQ(set0.enabled[AXIS_Z], 0);
    EXPECT_EQ(set0.enabled[AXIS_ROTARY1], 1);
    EXPECT_EQ(set0.range[6], -120.0);
    EXPECT_EQ(set0.range[7], 30.0);
    EXPECT_EQ(set0.enabled[AXIS_ROTARY2], 1);
    EXPECT_EQ(set0.range[9], 99999.0);
    EXPECT_EQ(g_StrokeLimits[2].enabled[AXIS_X], 1);
    EXPECT_EQ(g_StrokeLimits[2].range[0], -50.0);
    EXPECT_EQ(g_StrokeLimits[3].enabled[AXIS_ROTARY1], 0);
    EXPECT_EQ(g_StrokeLimits[3].enabled[AXIS_X], 0);

    EXPECT_EQ(g_ViewCentreFromMtl, 1);
    ExpectVector3(g_ViewCentreFromMtlPoint, 10.0, 20.0, 30.0);
    EXPECT_EQ(g_OvertravelAxis, -1);

    // Route "Z-XY-B-C": Z; X and Y; rotary 1; rotary 2.
    ASSERT_EQ(g_ToolChangeRouteStepCount, 4);
    EXPECT_EQ(g_ToolChangeRoute[0].moves[AXIS_Z], 1);
    EXPECT_EQ(g_ToolChangeRoute[1].moves[AXIS_X] + g_ToolChangeRoute[1].moves[AXIS_Y], 2);
    EXPECT_EQ(g_ToolChangeRoute[2].moves[AXIS_ROTARY1], 1);
    EXPECT_EQ(g_ToolChangeRoute[3].moves[AXIS_ROTARY2], 1);
}

TEST_F(MachineDefinitionTest, LaterFileKeepsAndResetsAsDocumented)
{
    ReadFixture("full.mtl");
    ReadFixture("second.mtl");
    EXPECT_EQ(g_MachineFileStatus, 1);
    EXPECT_STREQ(g_MachineName, "Five-axis test machine");   // kept
    EXPECT_EQ(g_RapidFeedRates[0], 20000.0f);                  // kept
    EXPECT_EQ(g_MachineKind, MACHINE_TABLE);
    EXPECT_EQ(g_AtcType, ATC_DIRECT);
    EXPECT_EQ(g_ToolWordSplit, 4);
    EXPECT_EQ(g_ToolWordSplitDigits, 2);
    EXPECT_EQ(g_ToolChangePositionGiven, 0);
    EXPECT_EQ(g_TableType, TABLE_TYPE_PLANE);                  // reset
    EXPECT_EQ(g_HeadType, HEAD_TYPE_PRESENT);
    EXPECT_EQ(g_BasicModelCount, 0);
    EXPECT_EQ(g_ViceModelCount, 0);
    EXPECT_EQ(g_ViewCentreFromMtl, 0);
    EXPECT_EQ(g_TableMovedAxisCount, 0);
    // Only the rotary-1 stroke line: one set with the rotary-1 range.
    EXPECT_EQ(g_StrokeLimitSetCount, 1);
    EXPECT_EQ(g_StrokeLimits[0].enabled[AXIS_ROTARY1], 1);
    EXPECT_EQ(g_StrokeLimits[0].enabled[AXIS_X], 0);
    EXPECT_EQ(g_StrokeLimits[0].range[7], 120.0);
    // Angle head A 30, then B 45: A is dropped and the spindle leans about Y.
    ExpectVector3(g_AngleHeadAngles, 0.0, 45.0, 0.0);
    EXPECT_EQ(g_ToolDirectionTilted, 1);
    EXPECT_NEAR(g_ToolDirection[0], std::sqrt(0.5), 1e-15);
    EXPECT_EQ(g_ToolDirection[1], 0.0);
    EXPECT_NEAR(g_ToolDirection[2], std::sqrt(0.5), 1e-15);
    // Rotary 1 A given by the vector (0, 1, 1): elevation 45 degrees, azimuth 90 degrees.
    EXPECT_EQ(g_Rotary1ByVector, 1);
    EXPECT_EQ(g_Rotary1Tilted, 0);
    EXPECT_NEAR(g_Rotary1TiltCosSin[1], std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(g_RotaryAxisFrame[0], 0.0, 1e-15);
    EXPECT_NEAR(g_RotaryAxisFrame[1], 1.0, 1e-15);
    EXPECT_NEAR(g_Rotary1UnitVector[0], 0.0, 1e-15);
    EXPECT_NEAR(g_Rotary1UnitVector[1], std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(g_Rotary1UnitVector[2], std::sqrt(0.5), 1e-15);
    // TABLE: the view pivot is the table position plus the offset across rotary 2 (C: X and Y).
    ExpectVector3(g_TableViewPivot, 10.0, 20.0, 50.0);
}

TEST_F(MachineDefinitionTest, ToolDirectionAndHeadPivot)
{
    ReadFixture("direction.mtl");
    EXPECT_EQ(g_MachineKind, MACHINE_HEAD);
    EXPECT_EQ(g_ToolBasePoint, TOOL_BASE_ARBOR_TOP);
    EXPECT_EQ(g_ToolDirectionTilted, 1);   // (0, 0, 2) is not exactly +Z
    ExpectVector3(g_ToolDirection, 0.0, 0.0, 1.0);   // used as a unit direction
    EXPECT_EQ(g_ToolChangePositionGiven, 0);
    ExpectVector3(g_HeadPivot, 0.0, 5.0, 150.0);
    g_ToolBasePointFromIni = 1;
    g_ToolBasePoint = TOOL_BASE_LENGTH_TOP;
    ReadFixture("direction.mtl");
    EXPECT_EQ(g_ToolBasePoint, TOOL_BASE_LENGTH_TOP);   // the settings file's value stays
}

TEST_F(MachineDefinitionTest, HeidenhainForcesDirectToolChange)
{
    g_DialectHeidenhain = 1;
    ReadFixture("full.mtl");
    EXPECT_EQ(g_AtcType, ATC_DIRECT);
    g_DialectHeidenhain = 0;
}

TEST_F(MachineDefinitionTest, UserViceSurvivesControllerRead)
{
    ReadFixture("full.mtl");
    g_ViceModelCount = 1;
    std::strcpy(g_ViceModelFiles[0], "user.stl");
    g_ViceModelsFromUser = 1;
    g_ViceOffsetCount = 0;
    ReadFixture("full.mtl", 0);
    EXPECT_EQ(g_ViceModelCount, 4);
    EXPECT_STREQ(g_ViceModelFiles[0], "user.stl");
    ReadFixture("full.mtl", 1);
    EXPECT_EQ(g_ViceModelCount, 3);
    EXPECT_EQ(g_ViceModelsFromUser, 0);
}

TEST_F(MachineDefinitionTest, MissingFileKeepsDefinition)
{
    ReadFixture("full.mtl");
    ReadFixture("no-such-machine.mtl");
    EXPECT_EQ(g_MachineFileStatus, -1);
    EXPECT_EQ(g_MachineKind, MACHINE_MIX);      // the earlier definition stays
    EXPECT_EQ(g_StrokeLimitSetCount, 4);
    EXPECT_EQ(g_AtcType, ATC_DIRECT);           // reset before the open
    EXPECT_EQ(g_ToolChangePositionGiven, 0);
    EXPECT_EQ(g_ViewCentreFromMtl, 0);
    EXPECT_EQ(g_MachineFileTime.lowDateTime, 0u);
    EXPECT_EQ(g_MachineFileTime.highDateTime, 0u);
}

TEST_F(MachineDefinitionTest, LinesWithoutValuesAreHarmless)
{
    ResetMachineDefinition();
    const char* lines[] = {"NAME", "ATC TYPE", "ATC TYPE DIRECT T", "ANGLE HEAD(", "STROKE RANGE(",
                           "STROKE RANGE1(", "ROTARY AXIS1", "TABLE MODEL", "AXIS1 VECTOR 0, 0, 0",
                           "TOOL DIRECTION 0,0,0", "STROKE RANGE5"};
    const ScopedTempFolder scratch;
    const std::string path = scratch.File("scratch.mtl");
    for (const char* line : lines) {
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs(line, file);
        std::fclose(file);
        ReadFixture(path.c_str());
        EXPECT_EQ(g_MachineFileStatus, 1) << line;
    }
    EXPECT_EQ(g_Rotary1ByVector, 0);
    ExpectVector3(g_ToolDirection, 0.0, 0.0, 1.0);
    EXPECT_EQ(g_ToolDirectionTilted, 0);
}

TEST(MachineModels, ToolChangeRoute)
{
    g_Rotary1Letter = 'B';
    g_Rotary2Letter = ' ';
    EXPECT_EQ(ParseToolChangeRoute(""), 1);
    ASSERT_EQ(g_ToolChangeRouteStepCount, 2);
    EXPECT_EQ(g_ToolChangeRoute[0].moves[AXIS_Z], 1);
    EXPECT_EQ(g_ToolChangeRoute[0].moves[AXIS_X], 0);
    EXPECT_EQ(g_ToolChangeRoute[1].moves[AXIS_X] + g_ToolChangeRoute[1].moves[AXIS_Y], 2);
    EXPECT_EQ(ParseToolChangeRoute("Z-XY-B"), 1);
    EXPECT_EQ(g_ToolChangeRouteStepCount, 3);
    EXPECT_EQ(g_ToolChangeRoute[2].moves[AXIS_ROTARY1], 1);
    // A blank rotary letter names no axis: the blank ends the route.
    EXPECT_EQ(ParseToolChangeRoute("Z X"), 1);
    EXPECT_EQ(g_ToolChangeRouteStepCount, 1);
    EXPECT_EQ(g_ToolChangeRoute[0].moves[AXIS_X], 0);
    EXPECT_EQ(ParseToolChangeRoute("Z-X-Y-Z-X-Y"), 0);   // more steps than the route holds
    EXPECT_EQ(g_ToolChangeRouteStepCount, MAX_TOOL_CHANGE_ROUTE_STEPS);
}

TEST(MachineModels, AngleHeadDirection)
{
    double d[3];
    ComputeToolDirectionFromAngles(90.0, 0.0, 0.0, d);
    ExpectVector3(d, 0.0, -1.0, 0.0);
    ComputeToolDirectionFromAngles(30.0, 0.0, 0.0, d);
    EXPECT_EQ(d[0], 0.0);
    EXPECT_NEAR(d[1], -0.5, 1e-15);
    EXPECT_NEAR(d[2], std::cos(3.141592653589793 / 6.0), 1e-15);
    ComputeToolDirectionFromAngles(0.0, 0.0, 45.0, d);
    ExpectVector3(d, 0.0, 0.0, 1.0);
    ComputeToolDirectionFromAngles(0.0, -90.0, 90.0, d);
    EXPECT_EQ(d[0], 0.0);
    EXPECT_EQ(d[1], -1.0);
    EXPECT_EQ(d[2], 0.0);

    struct Case { double x, y, z, a, c; };
    const Case cases[] = {{0.0, 0.0, 1.0, 0.0, 0.0}, {0.0, 1.0, 0.0, 90.0, 0.0}, {0.0, -1.0, 0.0, 90.0, 180.0},
                          {1.0, 0.0, 0.0, 90.0, 90.0}, {-1.0, 0.0, 0.0, 90.0, -90.0}};
    for (const Case& c : cases) {
        const double v[3] = {c.x, c.y, c.z};
        double a = -1.0, angleC = -1.0;
        ComputeDirectionAngles(v, &a, &angleC);
        EXPECT_EQ(a, c.a);
        EXPECT_EQ(angleC, c.c);
    }
}

TEST(MachineModels, BoxCornersAndReset)
{
    const double minimum[3] = {1.0, 2.0, 3.0}, maximum[3] = {4.0, 5.0, 6.0};
    double corners[8][3];
    MakeBoxCorners(minimum, maximum, corners);
    ExpectVector3(corners[0], 1.0, 2.0, 3.0);
    ExpectVector3(corners[1], 4.0, 2.0, 3.0);
    ExpectVector3(corners[2], 1.0, 5.0, 3.0);
    ExpectVector3(corners[3], 4.0, 5.0, 3.0);
    ExpectVector3(corners[4], 1.0, 2.0, 6.0);
    ExpectVector3(corners[7], 4.0, 5.0, 6.0);

    g_BasicModelCount = 2;
    std::strcpy(g_PartModelFiles[PART_MODEL_HEAD], "head.stl");
    g_PartModelOffsets.part[PART_MODEL_HEAD][0] = 5.0;
    g_ViceModelCount = 1;
    g_ViceModelsFromUser = 1;
    ResetMachineModels(0);
    EXPECT_EQ(g_BasicModelCount, 0);
    EXPECT_STREQ(g_PartModelFiles[PART_MODEL_HEAD], "");
    EXPECT_EQ(g_PartModelOffsets.part[PART_MODEL_HEAD][0], 0.0);
    EXPECT_EQ(g_ViceModelCount, 1);
    ResetMachineModels(1);
    EXPECT_EQ(g_ViceModelCount, 0);
    EXPECT_EQ(g_ViceModelsFromUser, 0);
}

}  // namespace
