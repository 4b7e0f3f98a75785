// The verification report: the shipped template with every keyword against a golden report, the
// fixed block without a template, the FIXED and AUTO naming, the NEW and APPEND modes, the clock text
// at 99:59:59 and 100:00:00, and the copying rules of template lines (case, unknown "$", line ends,
// the step rows' two forms, "$G5" and "$WK" numbers, the dialect gate of "$GCODEW").
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/tools/tool_arrays.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_data_check.h"
#include "platform/os/files.h"
#include "platform/ui/message_box.h"
#include "platform/ui/shell_services.h"
#include "simulation/verification_report.h"
#include "tests/nc/motion_test_support.h"

namespace {

std::string Fixture(const char* name)
{
    std::string text;
    ReadWholeFile((std::string(QUMBRA_FIXTURE_DIR) + "/reports/" + name).c_str(), &text);
    return text;
}

std::string ShippedTemplate()
{
    std::string text;
    ReadWholeFile((std::string(QUMBRA_SOURCE_DIR) + "/resources/verify_form.def").c_str(), &text);
    return text;
}

void SetBox(CheckExtentBox* box, double x1, double y1, double z1, double x0, double y0, double z0)
{
    *box = CheckExtentBox{{x1, y1, z1}, {x0, y0, z0}};
}

// The data check's results of the golden report, set by hand.
class VerificationReportTest : public ::testing::Test {
protected:
    motion_test::TempWorkFolder folder;
    char keptTtl[SETTINGS_PATH_SIZE] = "", keptCtl[CONTROLLER_PATH_SIZE] = "", keptMtl[MACHINE_PATH_SIZE] = "";
    char keptProgramFolder[SETTINGS_PATH_SIZE] = "";
    float keptRapid[3] = {};
    int keptEnglish = 0, keptDefined = 0, keptDialect = 0;
    void SetUp() override
    {
        std::memcpy(keptTtl, g_ToolTableFilePath, sizeof keptTtl);
        std::memcpy(keptCtl, g_ControllerFilePath, sizeof keptCtl);
        std::memcpy(keptMtl, g_MachineFilePath, sizeof keptMtl);
        std::memcpy(keptProgramFolder, g_ProgramFolder, sizeof keptProgramFolder);
        for (int a = 0; a < 3; ++a) keptRapid[a] = g_RapidFeedRates[a];
        keptEnglish = g_EnglishUi;
        keptDefined = g_WorkDefined;
        keptDialect = g_DialectCode;
        if (g_ToolUsedFlags == nullptr) AllocateToolArrays();
        g_ProgramFolder[0] = '\0';
        g_WorkDefined = 0;
        g_EnglishUi = 1;
        g_DialectCode = 0;
        g_SilentMode = 1;
        motion_test::WriteText(folder.File("A01.NC"), std::string(123, 'x'));
        std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "A01.NC");
        std::snprintf(g_ToolTableFilePath, sizeof g_ToolTableFilePath, "atc.ttl");
        std::snprintf(g_ControllerFilePath, sizeof g_ControllerFilePath, "fanuc.ctl");
        std::snprintf(g_MachineFilePath, sizeof g_MachineFilePath, "oguma.mtl");
        g_CheckLineCount = 1234;
        std::memset(g_DUsedFlags, 0, sizeof g_DUsedFlags);
        std::memset(g_HUsedFlags, 0, sizeof g_HUsedFlags);
        std::memset(g_UsedGCodes, 0, sizeof g_UsedGCodes);
        std::memset(g_UsedMCodes, 0, sizeof g_UsedMCodes);
        std::memset(g_ToolUsedFlags, 0, static_cast<size_t>(g_MaxMagazine) + 1);
        for (int d : {5, 12, 105}) g_DUsedFlags[d] = 1;
        for (int t : {0, 1, 3, 12}) g_ToolUsedFlags[t] = 1;
        for (int g : {0, 1, 2, 17, 40, 41, 43, 54, 56, 80, 90}) g_UsedGCodes[g] = 1;
        for (int m : {3, 6, 30}) g_UsedMCodes[m] = 1;
        g_CheckRapidLength = 1234.4;
        g_CheckRapidSpeedLength = 1500.5;
        g_CheckFeedPathLength = 2345.6;
        g_CheckCutLength = 2000.49;
        g_CheckRapidSpeedTime = 3600.5;
        g_CheckCutTime = 359999.4;
        g_CheckNonCutTime = 360000.0;
        g_CheckFeedTime = 7325.2;
        SetBox(&g_CheckExtentsMachine, 100.0, 50.5, 10.0, -100.0, -50.5, -20.125);
        SetBox(&g_CheckExtentsWork, 90.0, 40.5, 5.0, -110.0, -60.5, -25.125);
        SetBox(&g_CheckExtentsCutMachine, 80.0, 30.0, 0.0, -80.0, -30.0, -20.125);
        SetBox(&g_CheckExtentsCutWork, 70.0, 20.0, -5.0, -90.0, -40.0, -25.125);
        for (auto& offset : g_WorkOffsets) offset = AxisPosition{};
        g_WorkOffsets[0] = AxisPosition{{1.5, -2.0, 3.0, 0.0, 90.0}};
        g_WorkOffsets[1] = AxisPosition{{10.0, 20.0, -30.0, 0.0, 0.0}};
        g_WorkOffsets[6] = AxisPosition{{-1.25, 0.0, 0.0, 45.0, -90.0}};
        g_WorkOffsets[7] = AxisPosition{{1.0, 2.0, 3.0, 4.0, 5.0}};
        g_CheckMaxFeed = 8000.9;
        g_CheckMaxCutFeed = 1200.0;
        g_CheckMinFeed = 50.7;
        g_CheckMaxSpindleSpeed = 12000.0;
        g_RapidFeedrate = 999999999.0;
        g_RapidFeedRates[0] = 10000.0f;
        g_RapidFeedRates[1] = 12000.5f;
        g_RapidFeedRates[2] = 8000.0f;
        g_MachineStepCount = 3;
        g_StepToolNumbers[1] = 1;
        g_StepTimes[1] = 12.4;
        g_StepToolNumbers[2] = 105;
        g_StepTimes[2] = 3725.6;
        g_StepToolNumbers[3] = 12;
        g_StepTimes[3] = 0.0;
    }
    void TearDown() override
    {
        std::memcpy(g_ToolTableFilePath, keptTtl, sizeof keptTtl);
        std::memcpy(g_ControllerFilePath, keptCtl, sizeof keptCtl);
        std::memcpy(g_MachineFilePath, keptMtl, sizeof keptMtl);
        std::memcpy(g_ProgramFolder, keptProgramFolder, sizeof keptProgramFolder);
        for (int a = 0; a < 3; ++a) g_RapidFeedRates[a] = keptRapid[a];
        for (auto& offset : g_WorkOffsets) offset = AxisPosition{};
        g_EnglishUi = keptEnglish;
        g_WorkDefined = keptDefined;
        g_DialectCode = keptDialect;
        g_VerifyFolder[0] = '\0';
        std::strcpy(g_VerifySuffix, "txt");
        g_VerifyNamingAuto = 1;
        g_VerifyCreateAppend = 0;
        g_SilentMode = 0;
    }
    // The template lines copied one after another.
    static std::string Copy(const std::string& text)
    {
        std::string out;
        int commas = -1;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            end = end == std::string::npos ? text.size() : end + 1;
            commas = CopyVerifyTemplateLine(text.substr(start, end - start).c_str(), commas, &out);
            start = end;
        }
        return out;
    }
};

TEST_F(VerificationReportTest, ShippedTemplateGivesTheGoldenReport)
{
    motion_test::WriteText(folder.File("verify_form.def"), ShippedTemplate());
    WriteVerificationReport(nullptr, 1);
    const std::string golden = Fixture("verify_golden.txt");
    ASSERT_GT(golden.size(), 1000u);
    EXPECT_EQ(motion_test::ReadText(folder.File("verify.txt")), golden);
    // "$GCODEW" took G54 to G59 out of the G list until the next check.
    EXPECT_EQ(g_UsedGCodes[54], 0);
}

TEST_F(VerificationReportTest, TemplateFromTheProgramFolderAndFixedBlockWithout)
{
    // No template anywhere: the fixed block.
    WriteVerificationReport(nullptr, 1);
    EXPECT_EQ(motion_test::ReadText(folder.File("verify.txt")), Fixture("verify_fixed.txt"));
    // A template beside the program is used when the current folder has none.
    ASSERT_TRUE(CreateFolder(folder.File("program").c_str()));
    motion_test::WriteText(folder.File("program/verify_form.def"), "Lines:$LINES\n");
    std::snprintf(g_ProgramFolder, sizeof g_ProgramFolder, "%s", folder.File("program/").c_str());
    WriteVerificationReport(nullptr, 1);
    EXPECT_EQ(motion_test::ReadText(folder.File("verify.txt")), "Lines:    1234\n");
}

TEST_F(VerificationReportTest, JapaneseFixedBlock)
{
    g_EnglishUi = 0;
    WriteVerificationReport(nullptr, 1);
    const std::string text = motion_test::ReadText(folder.File("verify.txt"));
    EXPECT_EQ(text.substr(0, text.find('\n', text.find('\n') + 1) + 1),
              "<<< \"A01.NC\" の加工情報出力 >>>\n※:\"verify_form.def\"が見つかりません。一部適当に出力しておきます。\n");
    EXPECT_NE(text.find("早送り長さ:   1234\n切削送り長さ:   2346\n全加工時間: 367325\n"), std::string::npos);
    EXPECT_NE(text.find("最小 X: -100.000 ,Y:  -50.500 ,Z:  -20.125\n"), std::string::npos);
}

TEST_F(VerificationReportTest, NamingAndCreateModes)
{
    motion_test::WriteText(folder.File("verify_form.def"), "$LINES\n");
    // FIXED naming into a report folder that does not exist yet, with another suffix.
    std::snprintf(g_VerifyFolder, sizeof g_VerifyFolder, "%s", folder.File("reports").c_str());
    std::strcpy(g_VerifySuffix, "log");
    EXPECT_EQ(MakeVerificationReportPath(), folder.File("reports/verify.log"));
    WriteVerificationReport(nullptr, 1);
    EXPECT_EQ(motion_test::ReadText(folder.File("reports/verify.log")), "    1234\n");
    // NEW replaces, APPEND adds.
    g_CheckLineCount = 7;
    WriteVerificationReport(nullptr, 1);
    g_VerifyCreateAppend = 1;
    g_CheckLineCount = 8;
    WriteVerificationReport(nullptr, 1);
    EXPECT_EQ(motion_test::ReadText(folder.File("reports/verify.log")), "       7\n       8\n");
    // AUTO naming: beside the NC program, its extension replaced or the ending appended.
    g_VerifyNamingAuto = 2;
    g_VerifyCreateAppend = 0;
    std::strcpy(g_VerifySuffix, "txt");
    const char* const cases[][2] = {{"A01.NC", "A01_verify.txt"},
                                    {"C:\\NC\\PART", "C:\\NC\\PART_verify.txt"},
                                    {"/a.b/PART", "/a.b/PART_verify.txt"},
                                    {"x.y.nc", "x.y_verify.txt"}};
    for (const auto& c : cases) {
        std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", c[0]);
        EXPECT_EQ(MakeVerificationReportPath(), c[1]);
    }
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "A01.NC");
    WriteVerificationReport(nullptr, 1);
    EXPECT_EQ(motion_test::ReadText(folder.File("A01_verify.txt")), "       8\n");
    // FIXED naming with an empty folder: the current folder.
    g_VerifyNamingAuto = 1;
    g_VerifyFolder[0] = '\0';
    EXPECT_EQ(MakeVerificationReportPath(), "verify.txt");
}

TEST_F(VerificationReportTest, ReportThatCannotBeWrittenSaysWriteProtect)
{
    // The report folder is a file: neither the report nor the folder can be made.
    motion_test::WriteText(folder.File("blocked"), "");
    std::snprintf(g_VerifyFolder, sizeof g_VerifyFolder, "%s", folder.File("blocked").c_str());
    ClearShownMessageBoxes();
    WriteVerificationReport(nullptr, 1);
    ASSERT_EQ(CountShownMessageBoxes(), 1);
    ShownMessageBox box{};
    GetShownMessageBox(0, &box);
    EXPECT_STREQ(box.text, "Write protect");
    EXPECT_EQ(std::string(box.caption), folder.File("blocked/verify.txt"));
    EXPECT_EQ(motion_test::ReadText(folder.File("blocked")), "");
}

TEST(ClockText, TwoDigitHoursUpTo99)
{
    EXPECT_EQ(FormatClockText(99 * 3600 + 59 * 60 + 59), " 99:59:59");
    EXPECT_EQ(FormatClockText(100 * 3600), " 100:00:00");
    EXPECT_EQ(FormatClockText(0), " 00:00:00");
    EXPECT_EQ(FormatClockText(61), " 00:01:01");
}

TEST_F(VerificationReportTest, TemplateLineCopyingRules)
{
    struct Case {
        const char* line;
        const char* text;
    };
    const Case cases[] = {
        {"$dcode;$Hcode\n", "05,12,105;None\n"},
        {"$TIMEX\n", " 367325X\n"},
        {"$Q1\n", "1\n"},
        {"end$\n", "end\n"},
        {"$LINES", "    1234\n"},
        {"plain", "plain"},
        {"[$G53][$G510][$G59]x\n", "[][][(   -1.250,    0.000,    0.000,   45.000,  -90.000)]x\n"},
        {"[$WK300][$wk0]\n", "[][(    1.500,   -2.000,    3.000,    0.000,   90.000)]\n"},
        {"$MAXX2 $MINX2\n", "   80.000   -80.000\n"},
        {"$RAPIDFEEDRATE$MAXS\n", "NO   12000\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Copy(c.line), c.text) << c.line;
    g_RapidFeedrate = 5000.7;
    EXPECT_EQ(Copy("$RAPIDFEEDRATE\n"), "   5000\n");
    g_RapidFeedrate = 999999999.0;
    // An empty cutting box prints its start values.
    SetBox(&g_CheckExtentsCutMachine, -9999999.0, -9999999.0, -9999999.0, 9999999.0, 9999999.0, 9999999.0);
    EXPECT_EQ(Copy("$MAXX2|$MINX2\n"), "-9999999.000|9999999.000\n");
    // Step rows: comma form after a header of exactly two commas, a table otherwise.
    EXPECT_EQ(Copy("No,Tool\n$EP_INFO\n"),
              "No,Tool\n  1 | T01  | 00:00:12\n  2 | T105 | 01:02:06\n  3 | T12  | 00:00:00\n\n");
    EXPECT_EQ(Copy("a,b,c,d\n$EP_INFO"), "a,b,c,d\n  1 | T01  | 00:00:12\n  2 | T105 | 01:02:06\n  3 | T12  | 00:00:00\n\n");
    EXPECT_EQ(Copy("$EP_INFO\n"), "  1 | T01  | 00:00:12\n  2 | T105 | 01:02:06\n  3 | T12  | 00:00:00\n\n");
    // Another dialect never compares "$GCODEW": "$GCODE" takes it and the W stays.
    g_DialectCode = 1;
    EXPECT_EQ(Copy("$GCODEW\n"), "00,01,02,17,40,41,43,54,56,80,90W\n");
    g_DialectCode = 0;
    EXPECT_EQ(Copy("$GCODEW $GCODE\n"), "54,56 00,01,02,17,40,41,43,80,90\n");
    // No steps: no rows.
    g_MachineStepCount = 0;
    EXPECT_EQ(Copy("$EP_INFO\n"), "\n");
}

TEST_F(VerificationReportTest, LongTemplateLinesAndEmptyTemplate)
{
    // A line over 1023 characters is copied as several lines (no characters lost).
    const std::string longLine = std::string(1500, 'a') + "$LINES\n";
    motion_test::WriteText(folder.File("verify_form.def"), longLine);
    WriteVerificationReport(nullptr, 1);
    EXPECT_EQ(motion_test::ReadText(folder.File("verify.txt")), std::string(1500, 'a') + "    1234\n");
    motion_test::WriteText(folder.File("verify_form.def"), "");
    WriteVerificationReport(nullptr, 1);
    EXPECT_TRUE(DoesFileExist(folder.File("verify.txt").c_str()));
    EXPECT_EQ(motion_test::ReadText(folder.File("verify.txt")), "");
}

}  // namespace
