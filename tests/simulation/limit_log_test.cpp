// The cutting-condition limit of a sub-step: the logging kinds against hand-written golden files of
// "limitp.txt" and "limitsp.txt" (main program and sub-program lines, the limit itself not exceeded),
// the stopping kinds, the steps that are never tested; and the log made at run start for a logging
// tool in the spindle.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/interpreter_state.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "simulation/limit_log.h"
#include "simulation/move_stepping.h"
#include "simulation/run_state.h"
#include "tests/simulation/run_test_support.h"

namespace {

std::string Golden(const char* name)
{
    return ReadTextFile(std::string(QUMBRA_FIXTURE_DIR) + "/reports/" + name);
}

class CuttingLimit : public RunFixture {
protected:
    char keptLetters[2] = {' ', ' '};
    void SetUp() override
    {
        RunFixture::SetUp();
        ASSERT_NE(g_ToolLimitTable, nullptr);
        keptLetters[0] = g_Rotary1Letter;
        keptLetters[1] = g_Rotary2Letter;
        g_Rotary1Letter = 'A';
        g_Rotary2Letter = 'C';
        g_LimitLogFile = nullptr;
        g_SubprogramDepth = 0;
        ClearCheckFlags();
    }
    void TearDown() override
    {
        CloseLog();
        std::memset(g_ToolLimitTable, 0, sizeof(ToolLimitRecord) * size_t(g_ToolArrayCapacity));
        g_Rotary1Letter = keptLetters[0];
        g_Rotary2Letter = keptLetters[1];
        g_SubprogramDepth = 0;
        g_CutInMove = 0;
        g_MoveRemovedVolume = 0.0;
        g_StepLength = 0.0;
        ClearCheckFlags();
        RunFixture::TearDown();
    }
    static void CloseLog()
    {
        if (g_LimitLogFile != nullptr) std::fclose(g_LimitLogFile);
        g_LimitLogFile = nullptr;
    }

    // One sub-step as the move leaves it before the limit test: where the tool is, what it removed
    // over how long a step, at which feed; inside sub-program O0010 at its line 3 when sub is set.
    struct Step {
        int motion;
        int line;
        int sub;
        double x, y, z, a, c;
        double volume, length, feed;
    };
    static void TestStep(const Step& s)
    {
        g_MotionKind = s.motion;
        g_CutInMove = s.volume > 0.0 ? 1 : 0;
        g_NcLineNumber = s.line;
        g_SubprogramDepth = s.sub;
        if (s.sub > 0) {
            std::snprintf(g_SubprogramCallNames[0], sizeof g_SubprogramCallNames[0], "O0010");
            g_SubprogramLineCount[0] = 3;
        }
        g_ToolTipPoint[0] = s.x;
        g_ToolTipPoint[1] = s.y;
        g_ToolTipPoint[2] = s.z;
        g_MachinePosition.axis[AXIS_ROTARY1] = s.a;
        g_MachinePosition.axis[AXIS_ROTARY2] = s.c;
        g_MoveRemovedVolume = s.volume;
        g_StepLength = s.length;
        g_FeedValues[0] = s.feed;
        CheckCuttingLimit();
    }
};

// Kind 11 logs the cross-section, kind 12 the removal rate (feed x section / 60); a value equal to the
// limit, a rapid, a step that cut nothing and a step of no length give no line.
TEST_F(CuttingLimit, LoggingKindsWriteTheGoldenLines)
{
    const Step area[] = {
        {MOTION_LINEAR, 6, 0, 30.0, 25.0, -2.0, 0.0, 0.0, 12.5, 0.5, 300.0},        // 25 mm2
        {MOTION_LINEAR, 6, 0, 30.5, 25.0, -2.0, 0.0, 0.0, 2.5, 0.5, 300.0},         // 5: the limit itself
        {MOTION_RAPID, 6, 0, 31.0, 25.0, -2.0, 0.0, 0.0, 100.0, 0.5, 300.0},        // rapid: no test
        {MOTION_LINEAR, 3, 1, 31.5, 25.0, -2.0, 12.5, -90.0, 3.0, 0.5, 300.0},      // 6, in O0010
        {MOTION_LINEAR, 7, 0, -4.25, 0.125, 10.0, 0.0, 360.0, 5.0001, 1.0, 0.0},   // just above
        {MOTION_LINEAR, 7, 0, -4.0, 0.0, 10.0, 0.0, 0.0, 0.0, 1.0, 300.0},          // nothing cut
        {MOTION_ARC_CW, 8, 0, -4.0, 0.0, 10.0, 0.0, 0.0, 9.0, 0.0, 300.0},          // no length
    };
    g_SpindleToolNumber = 1;
    g_ToolLimitTable[1] = ToolLimitRecord{LIMIT_PLAIN_LOG, {5.0f, 0.0f, 0.0f, 0.0f}};
    for (const Step& s : area) TestStep(s);
    EXPECT_EQ(g_LimitLogKind, 1);
    EXPECT_EQ(g_LimitLogLines, 3);
    EXPECT_EQ(g_CheckFlags.limit, 0);
    CloseLog();
    EXPECT_EQ(ReadTextFile(folder.File(kLimitLogAreaFileName)), Golden("limitp.txt"));
    EXPECT_FALSE(DoesFileExist(folder.File(kLimitLogRateFileName).c_str()));

    const Step rate[] = {
        {MOTION_LINEAR, 6, 0, 30.0, 25.0, -2.0, 0.0, 0.0, 12.5, 0.5, 300.0},     // 125 mm3/s
        {MOTION_LINEAR, 6, 0, 30.5, 25.0, -2.0, 0.0, 0.0, 2.0, 0.5, 300.0},      // 20: the limit itself
        {MOTION_LINEAR, 3, 1, 31.5, 25.0, -2.0, 12.5, -90.0, 3.0, 0.5, 300.0},   // 30, in O0010
        {MOTION_LINEAR, 7, 0, 30.0, 25.0, -2.0, 0.0, 0.0, 12.5, 0.5, 0.0},       // no feed: 0
    };
    g_SpindleToolNumber = 2;
    g_ToolLimitTable[2] = ToolLimitRecord{LIMIT_S_LOG, {20.0f, 0.0f, 0.0f, 0.0f}};
    for (const Step& s : rate) TestStep(s);
    EXPECT_EQ(g_LimitLogKind, 2);
    EXPECT_EQ(g_LimitLogLines, 2);
    CloseLog();
    EXPECT_EQ(ReadTextFile(folder.File(kLimitLogRateFileName)), Golden("limitsp.txt"));
}

// A stopping kind raises the LIMIT flag and saves the position; a step of no length (the first after
// a tool change can be one) is no heavy cut, whatever volume the tool body stamped there.
TEST_F(CuttingLimit, StoppingKindsAndStepsOfNoLength)
{
    struct Case {
        int kind;
        double volume, length, feed;
        int raised;
    } cases[] = {
        {LIMIT_PLAIN, 12.5, 0.5, 300.0, 1},  // 25 mm2 > 5
        {LIMIT_PLAIN, 2.5, 0.5, 300.0, 0},   // 5: not above
        {LIMIT_PLAIN, 12.5, 0.0, 300.0, 0},  // no length
        {LIMIT_S, 12.5, 0.5, 60.0, 1},       // 25 mm3/s > 5
        {LIMIT_S, 12.5, 0.5, 12.0, 0},       // 5 mm3/s: not above
        {LIMIT_S, 12.5, 0.0, 300.0, 0},      // no length
        {LIMIT_PLAIN_LOG, 12.5, 0.0, 300.0, 0},
    };
    g_SpindleToolNumber = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << c.volume << "/" << c.length);
        g_ToolLimitTable[1] = ToolLimitRecord{c.kind, {5.0f, 0.0f, 0.0f, 0.0f}};
        ClearCheckFlags();
        g_AlarmPositionSaved = 0;
        g_SavedState.toolTip[0] = 0.0;
        TestStep({MOTION_LINEAR, 6, 0, 30.0, 25.0, -2.0, 0.0, 0.0, c.volume, c.length, c.feed});
        EXPECT_EQ(g_CheckFlags.limit, c.raised);
        EXPECT_EQ(g_AlarmPositionSaved, c.raised);
        EXPECT_EQ(g_SavedState.toolTip[0], c.raised ? 30.0 : 0.0);
        EXPECT_EQ(g_LimitLogFile, nullptr);
    }
}

// Tool 3 with a logging rate limit in the spindle at run start: "limitsp.txt" is made (empty, no
// line counted) although the limit is never exceeded; the frame opens it only when lines came.
TEST_F(CuttingLimit, LogOfTheSpindleToolIsMadeAtRunStart)
{
    g_ToolLimitTable[3] = ToolLimitRecord{LIMIT_S_LOG, {1e9f, 0.0f, 0.0f, 0.0f}};
    g_SpindleToolNumber = 3;
    UseProgram("%\nG90 G54\nS8000 M3\nG00 X30. Y25. Z2.\nG01 Z-1. F200.\nX40.\nM30\n%\n");
    Run();
    EXPECT_EQ(g_NcRunState, NC_RUN_FINISHED);
    ASSERT_NE(g_LimitLogFile, nullptr);
    EXPECT_EQ(g_LimitLogKind, 2);
    EXPECT_EQ(g_LimitLogLines, 0);
    CloseLog();
    EXPECT_TRUE(DoesFileExist(folder.File(kLimitLogRateFileName).c_str()));
    EXPECT_EQ(ReadTextFile(folder.File(kLimitLogRateFileName)), "");
    EXPECT_FALSE(DoesFileExist(folder.File(kLimitLogAreaFileName).c_str()));

    // Another tool in the spindle at the start makes no log.
    BuildWork();
    std::remove(folder.File(kLimitLogRateFileName).c_str());
    g_SpindleToolNumber = 2;
    Run();
    EXPECT_EQ(g_LimitLogFile, nullptr);
    EXPECT_FALSE(DoesFileExist(folder.File(kLimitLogRateFileName).c_str()));
}

}  // namespace
