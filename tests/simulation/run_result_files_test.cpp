// The warning file and the tool-length result lines against hand-written golden files; the warning
// file's name; the conditions under which no line is written.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "nc/interpreter_state.h"
#include "nc/motion_delivery.h"
#include "nc/nc_line_reader.h"
#include "platform/os/files.h"
#include "platform/ui/shell_services.h"
#include "simulation/check_flags.h"
#include "simulation/tool_length_results.h"
#include "simulation/warning_file.h"
#include "tests/nc/motion_test_support.h"

namespace {

std::string Golden(const char* name)
{
    std::string text;
    ReadWholeFile((std::string(QUMBRA_FIXTURE_DIR) + "/reports/" + name).c_str(), &text);
    return text;
}

TEST(WarningFileName, ExtensionIsReplacedOrTheEndingAppended)
{
    const char* const cases[][2] = {
        {"C:\\NC\\PART.NC", "C:\\NC\\PART_warning.txt"},
        {"C:\\NC\\PART", "C:\\NC\\PART_warning.txt"},
        {"/home/u/a.b/PART", "/home/u/a.b/PART_warning.txt"},
        {"x.y.nc", "x.y_warning.txt"},
        {"", "_warning.txt"},
    };
    for (const auto& c : cases) {
        char out[WARNING_FILE_PATH_SIZE];
        MakeWarningFilePath(c[0], out);
        EXPECT_STREQ(out, c[1]);
    }
}

class WarningFileTest : public ::testing::Test {
protected:
    motion_test::TempWorkFolder folder;
    int keptLevel = 0;
    void SetUp() override
    {
        keptLevel = g_WarningLevel;
        InstallWarningFileHook();
        std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("PART.NC").c_str());
    }
    void TearDown() override
    {
        if (g_WarningFile != nullptr) std::fclose(g_WarningFile);
        g_WarningFile = nullptr;
        g_WarnLongRotaryMoveHook = nullptr;
        g_WarningLevel = keptLevel;
        g_SubprogramDepth = 0;
    }
};

TEST_F(WarningFileTest, EntriesFromTheKinematicsMatchGolden)
{
    g_WarningLevel = 1;
    g_WarningCount = 7;  // a count left from an earlier run
    g_NcLineNumber = 7;
    std::snprintf(g_NcLineBuffer, sizeof g_NcLineBuffer, "G00 A90.\n");
    WarnLongRotaryMove(0.0, 0.0, 90.0, 180.0);
    g_SubprogramDepth = 1;
    std::snprintf(g_SubprogramCallNames[0], sizeof g_SubprogramCallNames[0], "O0010");
    g_SubprogramLineCount[0] = 3;
    std::snprintf(g_NcLineBuffer, sizeof g_NcLineBuffer, "G00 C-170.\n");
    WarnLongRotaryMove(-10.5, 20.0, 0.0, -170.0);
    EXPECT_EQ(g_WarningCount, 2);
    EXPECT_STREQ(g_WarningFilePath, folder.File("PART_warning.txt").c_str());
    std::fclose(g_WarningFile);
    g_WarningFile = nullptr;
    EXPECT_EQ(motion_test::ReadText(folder.File("PART_warning.txt")), Golden("PART_warning.txt"));
}

TEST_F(WarningFileTest, NothingAtWarningLevelZeroOrDuringTheDataCheck)
{
    g_WarningLevel = 1;
    g_WarningCount = 0;
    g_DataCheckRunning = 1;
    WarnLongRotaryMove(0.0, 0.0, 90.0, 180.0);
    g_DataCheckRunning = 0;
    EXPECT_EQ(g_WarningFile, nullptr);
    g_WarningLevel = 0;
    WarnLongRotaryMove(0.0, 0.0, 90.0, 180.0);
    EXPECT_EQ(g_WarningFile, nullptr);
    EXPECT_EQ(g_WarningCount, 0);
    EXPECT_FALSE(DoesFileExist(folder.File("PART_warning.txt").c_str()));
}

// A warning file that cannot be made gets no entry and no count: the frame opens the file when
// warnings were counted.
TEST_F(WarningFileTest, NoCountWhenTheFileCannotBeMade)
{
    g_WarningLevel = 1;
    g_WarningCount = 0;
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("no such folder/PART.NC").c_str());
    WarnLongRotaryMove(0.0, 0.0, 90.0, 180.0);
    EXPECT_EQ(g_WarningFile, nullptr);
    EXPECT_EQ(g_WarningCount, 0);
}

class ToolLengthResultTest : public ::testing::Test {
protected:
    motion_test::TempWorkFolder folder;
    ToolRecord keptTool{};
    ArborRecord keptArbor{};
    ToolLengthRecord keptLength{};
    int keptSpindle = 0, keptArborCheck = 0, keptHeight = 0, keptChip = 0, keptEnglish = 0, keptRunMode = 0;
    char name[16] = "";
    void SetUp() override
    {
        keptTool = g_CurrentTool;
        keptArbor = g_CurrentArbor;
        keptLength = g_CurrentToolLengthRecord;
        keptSpindle = g_SpindleToolNumber;
        keptArborCheck = g_ArborCheck;
        keptHeight = g_HeightCheck;
        keptChip = g_ChipWidthCheck;
        keptEnglish = g_EnglishUi;
        keptRunMode = g_RunMode;
        g_EnglishUi = 1;
        g_RunMode = 1;
        g_LengthOutputFile = std::fopen(folder.File("length.txt").c_str(), "w");
    }
    void TearDown() override
    {
        if (g_LengthOutputFile != nullptr) std::fclose(g_LengthOutputFile);
        g_LengthOutputFile = nullptr;
        g_CurrentTool = keptTool;
        g_CurrentArbor = keptArbor;
        g_CurrentToolLengthRecord = keptLength;
        g_SpindleToolNumber = keptSpindle;
        g_ArborCheck = keptArborCheck;
        g_HeightCheck = keptHeight;
        g_ChipWidthCheck = keptChip;
        g_EnglishUi = keptEnglish;
        g_RunMode = keptRunMode;
        g_PluginToolActive = 0;
        g_MeasureToolPending = 0;
        ClearToolMeasureResult();
    }
    void SetTool(int number, int type, const char* toolName, int arbor, int lengthKind)
    {
        g_SpindleToolNumber = number;
        g_CurrentTool.type = type;
        std::snprintf(name, sizeof name, "%s", toolName);
        g_CurrentTool.name = name[0] != '\0' ? name : nullptr;
        g_CurrentArbor.used = arbor;
        g_CurrentToolLengthRecord.kind = lengthKind;
        g_MeasureToolPending = 1;
    }
};

TEST_F(ToolLengthResultTest, LinesMatchGolden)
{
    g_ArborCheck = g_HeightCheck = g_ChipWidthCheck = 1;
    SetTool(3, TOOL_FLAT, "FLAT10", 1, LENGTH_ONE);
    g_ToolMeasure.length = 24.5;
    g_ToolMeasure.height = 12.5;
    g_ReportedInterferenceCode = 24;
    WriteToolLengthResult();
    EXPECT_EQ(g_ToolMeasure.length, 0.0);
    EXPECT_EQ(g_ReportedInterferenceCode, 0);
    EXPECT_EQ(g_MeasureToolPending, 0);

    SetTool(12, TOOL_VERTICAL, "", 0, LENGTH_TWO);
    g_ToolMeasure.tipW = 2.25;
    WriteToolLengthResult();

    SetTool(7, TOOL_RADIUS, "R-MILL", 1, LENGTH_THREE);
    g_TaperInterferenceCode = 5;
    g_ToolMeasure.lu = 10.0;
    g_ToolMeasure.centerH = 0.75;
    WriteToolLengthResult();
    EXPECT_EQ(g_TaperInterferenceCode, 0);

    SetTool(7, TOOL_RADIUS, "R-MILL", 1, LENGTH_TWO);
    g_ToolMeasure.lu = 4.0;
    g_ToolMeasure.lt = -1.0;
    WriteToolLengthResult();
    SetTool(7, TOOL_RADIUS, "R-MILL", 1, LENGTH_TWO);
    g_ToolMeasure.lu = 4.0;
    g_ToolMeasure.lt = 2.0;
    WriteToolLengthResult();

    // HEIGHT CHECK alone, a plug-in tool.
    g_ArborCheck = g_ChipWidthCheck = 0;
    SetTool(0, TOOL_BALL, "R-MILL", 1, LENGTH_TWO_A);
    g_PluginToolActive = 1;
    g_ToolMeasure.height = 12.5;
    WriteToolLengthResult();

    std::fclose(g_LengthOutputFile);
    g_LengthOutputFile = nullptr;
    EXPECT_EQ(motion_test::ReadText(folder.File("length.txt")), Golden("length.txt"));
}

TEST_F(ToolLengthResultTest, NoLineWithoutOutputSettingPendingToolOrInCheckMode)
{
    g_HeightCheck = 1;
    SetTool(3, TOOL_FLAT, "FLAT10", 1, LENGTH_ONE);
    g_MeasureToolPending = 0;
    g_ToolMeasure.height = 3.0;
    WriteToolLengthResult();
    EXPECT_EQ(g_ToolMeasure.height, 3.0);  // nothing cleared
    g_MeasureToolPending = 1;
    g_RunMode = 4;
    WriteToolLengthResult();
    g_RunMode = 1;
    g_HeightCheck = 2;
    WriteToolLengthResult();
    EXPECT_EQ(g_MeasureToolPending, 1);
    // A file that failed to open: no line, the values are cleared for the next tool.
    g_HeightCheck = 1;
    FILE* file = g_LengthOutputFile;
    g_LengthOutputFile = nullptr;
    WriteToolLengthResult();
    EXPECT_EQ(g_MeasureToolPending, 0);
    EXPECT_EQ(g_ToolMeasure.height, 0.0);
    g_LengthOutputFile = file;
    std::fclose(g_LengthOutputFile);
    g_LengthOutputFile = nullptr;
    EXPECT_EQ(motion_test::ReadText(folder.File("length.txt")), "");
}

TEST_F(ToolLengthResultTest, JapaneseTexts)
{
    g_EnglishUi = 0;
    g_ArborCheck = g_HeightCheck = g_ChipWidthCheck = 1;
    SetTool(1, TOOL_FLAT, "F", 0, LENGTH_TWO);
    WriteToolLengthResult();
    std::fclose(g_LengthOutputFile);
    g_LengthOutputFile = nullptr;
    EXPECT_EQ(motion_test::ReadText(folder.File("length.txt")),
              "T01:F:ARBOR未定義（算出不能） :首下= 不定 or Lt= 不定:刃長=   1.000以上:NOT VERTICAL（算出不能）\n");
}

}  // namespace
