// Stop blocks under each stop mode, the "QUMBRA:" directive comment and the snapshot base name, and
// the end of the NC alarm list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "motion_test_support.h"
#include "nc/interpreter_state.h"
#include "platform/ui/progress.h"
#include "nc/stop_blocks.h"

namespace {

class StopBlocksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetControllerSettings();
        g_RunMode = 1;
        g_StopAtNextBlock = g_PauseRequest = 0;
        g_SnapshotPerStep = 0;
        g_SnapshotBaseName[0] = '\0';
        g_NcFilePath[0] = '\0';
    }
    void TearDown() override
    {
        g_RunMode = 0;
        g_StopMode = 0;
        g_ActiveReaderPlugin = -1;
        g_NcFilePath[0] = '\0';
        ResetControllerSettings();
    }
};

TEST_F(StopBlocksTest, StopModesDecideByTheLastMWord)
{
    struct Case {
        int mode;
        int heidenhain;
        const char* line;
        int stops;
    } cases[] = {
        {STOP_NORMAL, 0, "M00\n", 1},
        {STOP_NORMAL, 0, "M01\n", 0},
        {STOP_NORMAL, 0, "M05 M00\n", 1},
        {STOP_NORMAL, 0, "M00 M05\n", 0},            // the last M word decides
        {STOP_NORMAL, 0, "G00 X1 (M0 IN A NOTE)\n", 0},
        {STOP_NORMAL, 0, "G00 X1 (M0 NOT CLOSED\n", 0},
        {STOP_M01, 0, "M01\n", 1},
        {STOP_M01, 0, "M00\n", 1},
        {STOP_M01, 0, "M02\n", 0},
        {STOP_NORMAL, 1, "L X10 M3\n", 0},
        {STOP_NORMAL, 1, "L X10 M0\n", 1},
        {STOP_SINGLE, 0, "G01 X1\n", 1},
        {STOP_NONE, 0, "M00\n", 0},
    };
    for (const Case& c : cases) {
        g_StopMode = c.mode;
        g_DialectHeidenhain = c.heidenhain;
        EXPECT_EQ(c.stops, IsProgramStopBlock(c.line)) << c.mode << " " << c.line;
    }
    g_DialectHeidenhain = 0;
}

TEST_F(StopBlocksTest, StopWordsUserStopAndReaderPlugin)
{
    g_StopMode = STOP_DEFINE;
    std::strcpy(g_StopPatterns[0], "T12");
    g_StopPatternCount = 1;
    EXPECT_EQ(1, IsProgramStopBlock("M06 T12\n"));
    EXPECT_EQ(0, IsProgramStopBlock("M06 T13\n"));
    g_StopAtNextBlock = 1;
    EXPECT_EQ(1, IsProgramStopBlock("G01 X1\n"));
    EXPECT_EQ(0, g_StopAtNextBlock);
    g_ActiveReaderPlugin = 0;  // with a reader plug-in only every-block stops apply
    for (int mode : {STOP_NORMAL, STOP_M01, STOP_DEFINE}) {
        g_StopMode = mode;
        EXPECT_EQ(0, IsProgramStopBlock("M00 T12\n")) << mode;
    }
    g_StopMode = STOP_SINGLE;
    EXPECT_EQ(1, IsProgramStopBlock("G01 X1\n"));
}

TEST_F(StopBlocksTest, DirectiveSwitchesSnapshotsOnDuringARunOnly)
{
    std::strcpy(g_NcFilePath, "/data/v1.2/PART.NC");
    g_SpindleToolNumber = 7;
    g_RunMode = 0;
    CheckNcDirectiveComment("QUMBRA:SAVE WORK AT EACH PROCESS)\n");
    EXPECT_EQ(0, g_SnapshotPerStep);
    g_RunMode = 1;
    CheckNcDirectiveComment(" qumbra:save dme at each process)\n");
    EXPECT_EQ(1, g_SnapshotPerStep);
    EXPECT_STREQ("/data/v1.2/PART", g_SnapshotBaseName);
    EXPECT_EQ(7, g_StepToolNumbers[0]);
    EXPECT_EQ(1, ApplySaveEachProcessDirective("SAVE SOMETHING ELSE"));
    // A file name without extension keeps the whole path, even with a dot in a folder name.
    std::strcpy(g_NcFilePath, "/data/v1.2/PART");
    g_StopMode = STOP_NORMAL;
    EXPECT_EQ(1, IsProgramStopBlock("M05 (QUMBRA:SAVE WORK AT EACH PROCESS) M00\n"));  // the comment is checked too
    EXPECT_STREQ("/data/v1.2/PART", g_SnapshotBaseName);
}

TEST_F(StopBlocksTest, CloseAlarmFileClosesTheListAndClearsTheFlag)
{
    motion_test::TempWorkFolder folder;
    g_AlarmListFile = std::fopen(kAlarmListFileName, "w");
    ASSERT_NE(nullptr, g_AlarmListFile);
    g_RadiusOffsetAlarm = 1;
    g_RadiusCheckList = 1;
    CloseAlarmFile();
    EXPECT_EQ(nullptr, g_AlarmListFile);
    EXPECT_EQ(0, g_RadiusOffsetAlarm);
    CloseAlarmFile();  // nothing open: nothing happens
}

}  // namespace
