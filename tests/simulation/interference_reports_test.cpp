// The interference reports against hand-written golden files: the summary list with entries in the
// main program and in a sub-program, the detailed list when "interference2.txt" exists, a reason
// still pending at the end of the run; the status-bar text and the interference-code tags.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "platform/os/files.h"
#include "platform/ui/shell_services.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "simulation/interference_reports.h"
#include "tests/nc/motion_test_support.h"

namespace {

std::string Golden(const char* name)
{
    std::string text;
    ReadWholeFile((std::string(QUMBRA_FIXTURE_DIR) + "/reports/" + name).c_str(), &text);
    return text;
}

class InterferenceReportTest : public ::testing::Test {
protected:
    motion_test::TempWorkFolder folder;
    int keptSound = 0, keptSilent = 0, keptEnglish = 0;
    int keptHeight = 0;
    void SetUp() override
    {
        keptSound = g_SoundOn;
        keptSilent = g_SilentMode;
        keptEnglish = g_EnglishUi;
        keptHeight = g_HeightCheck;
        g_SoundOn = 0;
        g_SilentMode = 1;  // no shell opening of the lists
        std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", "C:\\NC\\PART1.NC");
        std::memset(g_StopReasonFlags, 0, sizeof g_StopReasonFlags);
        ClearCheckFlags();
        g_PauseReasonCount = 0;
        g_SubprogramDepth = 0;
    }
    void TearDown() override
    {
        if (g_InterferenceReportFile != nullptr) std::fclose(g_InterferenceReportFile);
        g_InterferenceReportFile = nullptr;
        g_DetailedInterferenceReport = 0;
        g_SoundOn = keptSound;
        g_SilentMode = keptSilent;
        g_EnglishUi = keptEnglish;
        g_HeightCheck = keptHeight;
        g_CheckToolVice = g_CheckHeadTable1 = 0;
        g_SubprogramDepth = 0;
        ClearCheckFlags();
    }
    static void SetLine(int number, const char* text)
    {
        g_NcLineNumber = number;
        std::snprintf(g_NcLineBuffer, sizeof g_NcLineBuffer, "%s", text);
    }
};

TEST_F(InterferenceReportTest, SummaryListMatchesGolden)
{
    SetLine(57, "G01 X10. Y20.\n");
    g_StopReasonFlags[18] = 1;  // TOOL-VICE
    g_PauseReasonCount = 1;
    WriteInterferenceReport();
    EXPECT_EQ(g_PauseReasonCount, 2);
    EXPECT_EQ(g_StopReasonFlags[18], 0);

    // Inside a sub-program, with the reason still pending when the run ends.
    g_SubprogramDepth = 1;
    std::snprintf(g_SubprogramCallNames[0], sizeof g_SubprogramCallNames[0], "O1234");
    g_SubprogramLineCount[0] = 5;
    SetLine(300, "G00 Z-5.\n");
    for (int reason : {0, 18, 26, 28, 45, 49}) g_StopReasonFlags[reason] = 1;
    g_PauseReasonCount = 1;
    CloseInterferenceFile();
    EXPECT_EQ(g_InterferenceReportFile, nullptr);
    EXPECT_EQ(g_PauseReasonCount, 0);
    EXPECT_EQ(motion_test::ReadText(folder.File("interference.txt")), Golden("interference.txt"));
    EXPECT_FALSE(DoesFileExist(folder.File("interference2.txt").c_str()));
}

TEST_F(InterferenceReportTest, DetailedListWhenTheUserCreatedIt)
{
    motion_test::WriteText(folder.File("interference2.txt"), "");
    g_CheckToolVice = 2;
    g_CheckFlags.toolVsVice = 1;
    SetLine(12, "G01 X5.\n");
    OpenInterference2Report();
    ASSERT_EQ(g_DetailedInterferenceReport, 1);
    const double tip1[3] = {1.0, 2.0, 3.0}, tip2[3] = {1.5, 2.0, 3.0};
    WriteInterference2Entry();
    WriteInterference2Position(1, 2, tip1, 'A', 0.0, 'C', 90.0);
    WriteInterference2Entry();
    WriteInterference2Position(2, 2, tip2, 'A', 0.0, 'C', 90.0);
    g_StopReasonFlags[18] = 1;
    g_PauseReasonCount = 1;
    WriteInterferenceReport();  // detailed mode: nothing goes to the summary

    SetLine(13, "G01 X6.\n");
    g_HeightCheck = 3;
    g_CheckFlags.length = 1;
    g_CheckHeadTable1 = 2;
    g_CheckFlags.headVsTable1 = 1;
    const double tip3[3] = {-4.25, 0.0, 12.0};
    WriteInterference2Entry();
    WriteInterference2Position(1, 1, tip3, 'A', -30.5, 'C', 0.0);
    CloseInterferenceFile();
    EXPECT_EQ(g_DetailedInterferenceReport, 0);
    EXPECT_EQ(motion_test::ReadText(folder.File("interference2.txt")), Golden("interference2.txt"));
    EXPECT_FALSE(DoesFileExist(folder.File("interference.txt").c_str()));
}

TEST_F(InterferenceReportTest, NoDetailedListWithoutTheFileOrWithoutAPauseReason)
{
    g_CheckToolVice = 1;  // stop setting: no pause reason
    g_CheckFlags.toolVsVice = 1;
    motion_test::WriteText(folder.File("interference2.txt"), "keep");
    OpenInterference2Report();
    EXPECT_EQ(g_InterferenceReportFile, nullptr);
    EXPECT_EQ(motion_test::ReadText(folder.File("interference2.txt")), "keep");
    std::remove(folder.File("interference2.txt").c_str());
    g_CheckToolVice = 2;
    OpenInterference2Report();
    EXPECT_EQ(g_DetailedInterferenceReport, 0);
    EXPECT_EQ(g_InterferenceReportFile, nullptr);
}

TEST_F(InterferenceReportTest, StatusBarText)
{
    g_EnglishUi = 1;
    struct Case {
        std::vector<int> reasons;
        const char* text;
    };
    const Case cases[] = {
        {{18}, "VICE Collide"},
        {{0, 4, 45}, "RAPID(G00),TAPER Collide,etc..."},
        {{4, 2}, "2)TAPER Collide,OVER LENGTH"},
        {{2, 5}, "2)OVER LENGTH,TOO FAST"},
        {{3}, "OVER CHIP"},
        {{2, 3, 9}, "OVER LENGTH,OVER CHIP,etc..."},
        {{1, 31}, "2)ARBOR,ARBORvsBASIC Collide"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        std::memset(g_StopReasonFlags, 0, sizeof g_StopReasonFlags);
        for (int r : c.reasons) g_StopReasonFlags[r] = 1;
        char text[INTERFERENCE_KINDS_TEXT_SIZE];
        FormatInterferenceKinds(text);
        EXPECT_STREQ(text, c.text);
    }
    g_EnglishUi = 0;
    std::memset(g_StopReasonFlags, 0, sizeof g_StopReasonFlags);
    g_StopReasonFlags[38] = 1;
    char text[INTERFERENCE_KINDS_TEXT_SIZE];
    FormatInterferenceKinds(text);
    EXPECT_STREQ(text, "HEAD1vsWORK干渉");
}

TEST_F(InterferenceReportTest, InterferenceCodeTags)
{
    const std::string path = folder.File("tags.txt");
    struct Case {
        int taper, part;
        const char* text;
    };
    const Case cases[] = {
        {0, 24, "(HEAD1vsVICE)"},  {0, 1, "(ARBORvsWORK)"},    {0, 15, "(HEADvsTABLE)"},
        {0, 37, "(HEAD2vsTABLE2)"}, {0, 9, "(ARBORvsBASIC)"},  {3, 0, "(TAPERvsWORK)"},
        {6, 8, "(TAPERvsTABLE1)(ARBORvsBASIC)"}, {0, 0, ""},
    };
    for (const Case& c : cases) {
        FILE* file = std::fopen(path.c_str(), "w");
        ASSERT_NE(file, nullptr);
        g_TaperInterferenceCode = c.taper;
        g_ReportedInterferenceCode = c.part;
        PrintTaperInterferenceTag(file);
        PrintPartInterferenceTag(file);
        std::fclose(file);
        EXPECT_EQ(motion_test::ReadText(path), c.text);
    }
    g_TaperInterferenceCode = g_ReportedInterferenceCode = 0;
}

}  // namespace
