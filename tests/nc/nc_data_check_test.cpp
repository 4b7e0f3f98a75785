// The NC data check on programs written for the test: extents of the tool tip, lengths, times by the
// acceleration model, steps of tool changes, used numbers, the missing start line alarm; the move time
// formula and the arc box on their own.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/tools/tool_arrays.h"
#include "machine_setup/tools/tool_table.h"
#include "motion_test_support.h"
#include "nc/motion_delivery.h"
#include "nc/nc_data_check.h"

using namespace motion_test;

namespace {

const char* const kController[] = {"DECIMAL POINT NORMAL", "EOR = %"};

// A test with the program written beside it and the check run over it.
class DataCheckTest : public ProgramTest {
protected:
    float keptAcceleration[3] = {};
    float keptRapid[3] = {};
    float keptRapidAcceleration[3] = {};
    float keptChangeTime = 0.0f;
    int keptAtc = 0;
    void SetUp() override
    {
        keptAtc = g_AtcType;
        for (int a = 0; a < 3; ++a) {
            keptAcceleration[a] = g_AxisAccelerations[a];
            keptRapid[a] = g_RapidFeedRates[a];
            keptRapidAcceleration[a] = g_RapidAccelerations[a];
        }
        keptChangeTime = g_ToolChangeTime;
        if (g_ToolUsedFlags == nullptr) AllocateToolArrays();
        ResetWithController(kController, 2);
    }
    void TearDown() override
    {
        for (int a = 0; a < 3; ++a) {
            g_AxisAccelerations[a] = keptAcceleration[a];
            g_RapidFeedRates[a] = keptRapid[a];
            g_RapidAccelerations[a] = keptRapidAcceleration[a];
        }
        g_ToolChangeTime = keptChangeTime;
        g_AtcType = keptAtc;
        g_RapidFeedrate = 999999999.0;
        ProgramTest::TearDown();
    }
    void Check(const std::string& text)
    {
        const std::string path = folder.File("check.nc");
        WriteText(path, text);
        std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", path.c_str());
        g_ReportCheckRunning = 1;
        RunNcDataCheck(nullptr);
        g_ReportCheckRunning = 0;
    }
};

// The time of one motion with ramps from and to rest (10 mm/s stands for 0).
double RampedTime(double s, double vm, double g)
{
    const double A = g * 9800.0;
    const double ramp = (vm + 10.0) / 2.0 * (vm - 10.0) / A;
    return (s - 2.0 * ramp) / vm + 2.0 * (vm - 10.0) / A;
}

TEST(MoveTime, TrapezoidAndPeakProfiles)
{
    // 100 mm at 100 mm/s, 0.3 G: both ramps about 1.684 mm, about 1.0276 s.
    EXPECT_NEAR(ComputeMoveTime(100.0, 0.0, 100.0, 0.0, 0.3), 1.0276, 5e-5);
    EXPECT_DOUBLE_EQ(ComputeMoveTime(100.0, 0.0, 100.0, 0.0, 0.3), RampedTime(100.0, 100.0, 0.3));
    // Too short to reach the speed: up to the peak and down again.
    const double A = 0.3 * 9800.0;
    const double peak = std::sqrt(50.0 + A * 1.0 + 50.0);
    EXPECT_DOUBLE_EQ(ComputeMoveTime(1.0, 0.0, 100.0, 0.0, 0.3), 2.0 * (peak - 10.0) / A);
    // A zero acceleration from a broken file does not divide by zero.
    EXPECT_TRUE(std::isfinite(ComputeMoveTime(100.0, 0.0, 100.0, 0.0, 0.0)));
}

TEST(ArcBox, QuadrantsAndFullCircle)
{
    double min[3], max[3];
    // Quarter arc counter-clockwise from (10,0) to (0,10) about the origin: covers 90 degrees.
    const double s[3] = {10.0, 0.0, 0.0}, e[3] = {0.0, 10.0, -2.0}, c[3] = {0.0, 0.0, 0.0};
    ExtendBoxByArc(0, 1, 2, 3, s, e, c, 10.0, 3.14159265358979 / 2.0, min, max);
    EXPECT_DOUBLE_EQ(max[0], 10.0);
    EXPECT_DOUBLE_EQ(max[1], 10.0);
    EXPECT_DOUBLE_EQ(min[0], 0.0);
    EXPECT_DOUBLE_EQ(min[1], 0.0);
    EXPECT_DOUBLE_EQ(min[2], -2.0);
    // The same ends clockwise: three quarters through 0, 270 and 180 degrees.
    ExtendBoxByArc(0, 1, 2, 2, s, e, c, 10.0, 3.0 * 3.14159265358979 / 2.0, min, max);
    EXPECT_DOUBLE_EQ(min[0], -10.0);
    EXPECT_DOUBLE_EQ(min[1], -10.0);
    EXPECT_DOUBLE_EQ(max[0], 10.0);
    EXPECT_DOUBLE_EQ(max[1], 10.0);
    // A full circle widens by the radius around the centre.
    const double c2[3] = {5.0, 5.0, 0.0}, p[3] = {8.0, 5.0, 0.0};
    ExtendBoxByArc(0, 1, 2, 2, p, p, c2, 3.0, 2.0 * 3.14159265358979, min, max);
    EXPECT_DOUBLE_EQ(min[0], 2.0);
    EXPECT_DOUBLE_EQ(max[1], 8.0);
}

TEST_F(DataCheckTest, SingleLinearMoveIsTimedByTheRampFormula)
{
    g_AxisAccelerations[0] = 0.3f;
    Check("%\nG90 G01 X100. F6000.\nM30\n%\n");
    EXPECT_EQ(g_NcAlarmCode, 0);
    EXPECT_DOUBLE_EQ(g_CheckFeedPathLength, 100.0);
    EXPECT_DOUBLE_EQ(g_CheckCutLength, 100.0);
    EXPECT_DOUBLE_EQ(g_CheckRapidLength, 0.0);
    const double expected = ComputeMoveTime(100.0, 0.0, 100.0, 0.0, static_cast<double>(0.3f));
    EXPECT_NEAR(expected, 1.0276, 5e-5);
    EXPECT_DOUBLE_EQ(g_CheckFeedTime, expected);
    EXPECT_DOUBLE_EQ(g_CheckCutTime, expected);
    EXPECT_DOUBLE_EQ(g_CheckNonCutTime, 0.0);
    EXPECT_DOUBLE_EQ(g_StepTimes[1], expected);
    EXPECT_EQ(g_MachineStepCount, 1);
    EXPECT_DOUBLE_EQ(g_CheckMaxFeed, 6000.0);
    EXPECT_DOUBLE_EQ(g_CheckMinFeed, 6000.0);
    EXPECT_DOUBLE_EQ(g_CheckMaxCutFeed, 6000.0);
    EXPECT_DOUBLE_EQ(g_CheckExtentsCutWork.max[0], 100.0);
    EXPECT_DOUBLE_EQ(g_CheckExtentsWork.max[0], 100.0);
}

TEST_F(DataCheckTest, CollinearMovesJoinAndCornersBrake)
{
    g_AxisAccelerations[0] = g_AxisAccelerations[1] = 0.3f;
    const double a = static_cast<double>(0.3f);
    // Two collinear moves of one feed: one motion of 100 mm.
    Check("%\nG90 G01 X40. F6000.\nX100.\nM30\n%\n");
    EXPECT_DOUBLE_EQ(g_CheckFeedTime, ComputeMoveTime(100.0, 0.0, 100.0, 0.0, a));
    // A corner of 90 degrees ends the first motion at rest.
    Check("%\nG90 G01 X50. F6000.\nY50.\nM30\n%\n");
    EXPECT_DOUBLE_EQ(g_CheckFeedTime, 2.0 * ComputeMoveTime(50.0, 0.0, 100.0, 0.0, a));
    EXPECT_DOUBLE_EQ(g_CheckFeedPathLength, 100.0);
    // A feed change along a line: the first motion ends at the lower feed, the second starts there.
    Check("%\nG90 G01 X50. F6000.\nX100. F3000.\nM30\n%\n");
    const double first = ComputeMoveTime(50.0, 0.0, 100.0, 50.0, a);
    const double second = ComputeMoveTime(50.0, 50.0, 50.0, 0.0, a);
    EXPECT_DOUBLE_EQ(g_CheckFeedTime, first + second);
    EXPECT_DOUBLE_EQ(g_CheckMinFeed, 3000.0);
}

TEST_F(DataCheckTest, RapidsAndFastFeedsCountApart)
{
    g_RapidFeedRates[0] = 10000.0f;
    g_RapidAccelerations[0] = 0.5f;
    g_RapidFeedrate = 5000.0;
    Check("%\nG90 G00 X200.\nG01 X300. F8000.\nG01 Y10. F1000.\nM30\n%\n");
    EXPECT_EQ(g_NcAlarmCode, 0);
    EXPECT_DOUBLE_EQ(g_CheckRapidLength, 200.0);
    EXPECT_DOUBLE_EQ(g_CheckRapidSpeedLength, 300.0);
    EXPECT_DOUBLE_EQ(g_CheckCutLength, 10.0);
    EXPECT_DOUBLE_EQ(g_CheckFeedPathLength, 110.0);
    const double rapid = ComputeMoveTime(200.0, 0.0, 10000.0 / 60.0, 0.0, static_cast<double>(0.5f));
    EXPECT_DOUBLE_EQ(g_CheckNonCutTime, rapid);
    EXPECT_DOUBLE_EQ(g_CheckRapidSpeedTime - rapid, g_CheckFeedTime - g_CheckCutTime);
    EXPECT_DOUBLE_EQ(g_CheckMaxCutFeed, 1000.0);
    EXPECT_DOUBLE_EQ(g_CheckMaxFeed, 8000.0);
    // The cutting boxes hold only the feed move below RAPID FEEDRATE.
    EXPECT_DOUBLE_EQ(g_CheckExtentsCutWork.max[1], 10.0);
    EXPECT_DOUBLE_EQ(g_CheckExtentsCutWork.min[0], 300.0);
    EXPECT_DOUBLE_EQ(g_CheckExtentsWork.min[0], 200.0);
}

TEST_F(DataCheckTest, OnlyRapidsLeaveTheCuttingBoxesEmpty)
{
    Check("%\nG90 G00 X10. Y-5. Z3.\nX-20.\nM30\n%\n");
    EXPECT_DOUBLE_EQ(g_CheckExtentsCutMachine.min[0], 9999999.0);
    EXPECT_DOUBLE_EQ(g_CheckExtentsCutMachine.max[0], -9999999.0);
    EXPECT_DOUBLE_EQ(g_CheckExtentsWork.max[0], 10.0);
    EXPECT_DOUBLE_EQ(g_CheckExtentsWork.min[0], -20.0);
    EXPECT_DOUBLE_EQ(g_CheckExtentsWork.min[1], -5.0);
    EXPECT_DOUBLE_EQ(g_CheckMaxFeed, -9999999.0);
}

TEST_F(DataCheckTest, FullCircleWidensTheBoxByItsRadius)
{
    Check("%\nG90 G17 G00 X10. Y0.\nG02 I-10. F500.\nM30\n%\n");
    EXPECT_EQ(g_NcAlarmCode, 0);
    EXPECT_NEAR(g_CheckExtentsCutWork.max[0], 10.0, 1e-9);
    EXPECT_NEAR(g_CheckExtentsCutWork.min[0], -10.0, 1e-9);
    EXPECT_NEAR(g_CheckExtentsCutWork.max[1], 10.0, 1e-9);
    EXPECT_NEAR(g_CheckExtentsCutWork.min[1], -10.0, 1e-9);
    EXPECT_NEAR(g_CheckFeedPathLength, 2.0 * 3.14159265358979 * 10.0, 1e-6);
}

TEST_F(DataCheckTest, ToolChangesMakeStepsAndUsedNumbersAreFlagged)
{
    g_ToolChangeTime = 2.0f;
    g_AtcType = ATC_WAIT;
    Check("%\nT1 M6\nG90 G43 H1 G01 X10. F600. M8\nT2 M6\nT3 M6\nG41 D12 G01 X20.\nM30\n%\n");
    EXPECT_EQ(g_NcAlarmCode, 0);
    // T1 changes while step 1 has no time: it stays step 1. T2 starts step 2; T3 follows T2 before any
    // move, so step 2 has no time yet and takes tool 3.
    EXPECT_EQ(g_MachineStepCount, 2);
    EXPECT_EQ(g_StepToolNumbers[1], 1);
    EXPECT_EQ(g_StepToolNumbers[2], 3);
    EXPECT_DOUBLE_EQ(g_CheckNonCutTime, 6.0);
    EXPECT_DOUBLE_EQ(g_StepTimes[1], g_CheckFeedTime - g_StepTimes[2]);
    EXPECT_GT(g_StepTimes[2], 0.0);
    EXPECT_EQ(g_ToolUsedFlags[2], 1);
    EXPECT_EQ(g_ToolUsedFlags[3], 1);
    EXPECT_EQ(g_ToolUsedFlags[4], 0);
    EXPECT_EQ(g_HUsedFlags[1], 1);
    EXPECT_EQ(g_DUsedFlags[12], 1);
    EXPECT_EQ(g_DUsedFlags[1], 0);
    EXPECT_EQ(g_UsedGCodes[43], 1);
    EXPECT_EQ(g_UsedGCodes[41], 1);
    EXPECT_EQ(g_UsedMCodes[8], 1);
    EXPECT_EQ(g_UsedMCodes[6], 1);
    EXPECT_EQ(g_CheckLineCount, 8);
}

TEST_F(DataCheckTest, WaitingMagazineChangesAtM6)
{
    g_ToolChangeTime = 1.5f;
    g_AtcType = ATC_WAIT2;
    // T1 only selects; M6 alone puts it in the spindle; T2 M6 puts the waiting tool (1) in and makes
    // 2 wait; the next M6 alone changes to 2.
    Check("%\nT1\nM6\nG90 G01 X10. F600.\nT2 M6\nG01 X20.\nM6\nG01 X30.\nM30\n%\n");
    EXPECT_EQ(g_NcAlarmCode, 0);
    EXPECT_EQ(g_MachineStepCount, 3);
    EXPECT_EQ(g_StepToolNumbers[1], 1);
    EXPECT_EQ(g_StepToolNumbers[2], 1);
    EXPECT_EQ(g_StepToolNumbers[3], 2);
    EXPECT_DOUBLE_EQ(g_CheckNonCutTime, 4.5);
}

TEST_F(DataCheckTest, StepsBeyondTheTablesKeepAddingToTheLastStep)
{
    std::string text = "%\nG90 G01 F1000.\n";
    for (int k = 0; k < 250; ++k) text += "T" + std::to_string(k % 9 + 1) + " M6\nX" + std::to_string(k % 2 ? 0 : 10) + ".\n";
    Check(text + "M30\n%\n");
    EXPECT_EQ(g_NcAlarmCode, 0);
    EXPECT_EQ(g_MachineStepCount, MACHINING_STEP_SLOTS - 1);
    double steps = 0.0;
    for (int k = 1; k < MACHINING_STEP_SLOTS; ++k) steps += g_StepTimes[k];
    EXPECT_NEAR(steps, g_CheckFeedTime, 1e-9);
    EXPECT_EQ(g_StepToolNumbers[MACHINING_STEP_SLOTS - 1], 249 % 9 + 1);
}

TEST_F(DataCheckTest, MissingStartLineOrFileRaisesAlarm3AndStateIsKept)
{
    g_ControlPoint.axis[0] = 12.5;
    const int spindle = g_SpindleToolNumber;
    Check("G01 X10. F100.\nM30\n");
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_NO_START_CODE);
    EXPECT_DOUBLE_EQ(g_CheckFeedPathLength, 0.0);
    EXPECT_DOUBLE_EQ(g_ControlPoint.axis[0], 12.5);
    EXPECT_EQ(g_SpindleToolNumber, spindle);
    EXPECT_EQ(g_DataCheckRunning, 0);
    // A file that cannot be opened ends the check as an empty program.
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("missing.nc").c_str());
    RunNcDataCheck(nullptr);
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_NO_START_CODE);
    EXPECT_EQ(g_NcFile, nullptr);
}

TEST_F(DataCheckTest, FirstNcAlarmStopsTheCheck)
{
    g_CheckF0 = 1;
    Check("%\nG90 G01 X10. F100.\nG01 X20. F0\nX30. F100.\nM30\n%\n");
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_ZERO_FEED);
    EXPECT_DOUBLE_EQ(g_CheckExtentsWork.max[0], 10.0);
}

}  // namespace
