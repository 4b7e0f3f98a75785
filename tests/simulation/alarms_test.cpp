// The alarm catalogue: every alarm has its English and Japanese text; the run-dependent variants; the
// message box (caption the text, body the NC path) and the macro-log line of a batch run; the texts of
// a mounted tool set.
#include "simulation/alarms.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/machine/stroke_limits.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/interpreter_state.h"
#include "platform/ui/message_box.h"
#include "platform/ui/shell_services.h"
#include "simulation/mounted_tools.h"
#include "simulation/run_state.h"

namespace {

class Alarms : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearShownMessageBoxes();
        g_RunMode = 0;
        g_EnglishUi = 1;
        g_NcLineNumber = 0;
        g_ToolChangeInProgress = 0;
    }
    void TearDown() override
    {
        ClearShownMessageBoxes();
        g_RunMode = 0;
        g_EnglishUi = 0;
        g_NcLineNumber = 0;
        g_ToolChangeInProgress = 0;
        g_MacroLog = nullptr;
        g_MountedToolCount = 0;
        std::memset(g_ToolLayoutFlags, 0, sizeof g_ToolLayoutFlags);
        std::memset(g_MountedToolResults, 0, sizeof g_MountedToolResults);
    }
    static ShownMessageBox LastBox()
    {
        ShownMessageBox box{};
        const int count = CountShownMessageBoxes();
        EXPECT_GT(count, 0);
        if (count > 0) GetShownMessageBox(count - 1, &box);
        return box;
    }
    // What ShowAlarm wrote to the macro log.
    static std::string LogOf(int code)
    {
        FILE* log = std::tmpfile();
        g_MacroLog = log;
        ShowAlarm(nullptr, 1, "/nc/part.nc", code);
        g_MacroLog = nullptr;
        std::string text(4096, '\0');
        std::rewind(log);
        text.resize(std::fread(&text[0], 1, text.size(), log));
        std::fclose(log);
        return text;
    }
};

TEST_F(Alarms, EveryAlarmOfTheCatalogueHasBothTexts)
{
    const int withText[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 17, 18, 19, 20, 21, 24,
                            25, 26, 27, 30, 31, 32, 33, 34, 37, 38, 39, 40, 41, 42, 45, 91, 101, 102, 103,
                            104, 105, 106, 107, 108, 109, 110, 111, 112, 113};
    char english[ALARM_TEXT_SIZE], japanese[ALARM_TEXT_SIZE];
    g_NcAlarmChar = '#';
    for (int code : withText) {
        SCOPED_TRACE(code);
        EXPECT_EQ(FormatAlarmTexts(code, english, japanese), 1);
        EXPECT_GT(std::strlen(english), 5u);
        EXPECT_GT(std::strlen(japanese), 5u);
    }
    for (int code : {0, 15, 16, 22, 23, 28, 29, 35, 36, 43, 44, 46, 90, 100, 114}) {
        EXPECT_EQ(FormatAlarmTexts(code, english, japanese), 0) << code;
        ShowAlarm(nullptr, 0, "x", code);
    }
    EXPECT_EQ(CountShownMessageBoxes(), 0);

    struct Text {
        int code;
        const char* english;
        const char* japanese;
    } texts[] = {
        {110, "Word value out of range", "ワードの値が範囲外です"},
        {111, "Subprogram not found", "サブプログラムが見つかりません"},
        {112, "Tool axis out of reach of the rotary axes", "回転軸で工具軸方向に届きません"},
        {113, "Inch input (G20) is not supported", "インチ入力 (G20) には対応していません"},
        {7, "Too heavy Cutting. Tool was dameged.", "工具が過負荷で破損しました"},
    };
    for (const Text& t : texts) {
        FormatAlarmTexts(t.code, english, japanese);
        EXPECT_STREQ(english, t.english);
        EXPECT_STREQ(japanese, t.japanese);
    }
}

TEST_F(Alarms, MessageBoxAndMacroLogLine)
{
    g_OvertravelAxisLetter = 'Y';
    ShowAlarm(nullptr, 0, "/nc/part.nc", 91);
    ShownMessageBox box = LastBox();
    EXPECT_STREQ(box.caption, "Over Stroke of Y-axis!");
    EXPECT_STREQ(box.text, "/nc/part.nc");
    EXPECT_NE(box.style & MB_TOPMOST, 0u);

    g_NcLineNumber = 120;
    EXPECT_EQ(LogOf(91), "(120) - Over Stroke of Y-axis!");
    EXPECT_EQ(CountShownMessageBoxes(), 1);  // the batch run shows no box

    // An invalid "%" is written as it is.
    g_NcAlarmChar = '%';
    g_NcAlarmColumn = 3;
    EXPECT_EQ(LogOf(104), "(120) - 3\"%\" - Invalid Character!");
    g_EndOfRecordChar = '%';
    EXPECT_EQ(LogOf(103), "(120) - Start Code(%) is Not Found !");

    g_Rotary1Letter = 'B';
    g_NcLineNumber = 40;
    ShowAlarm(nullptr, 0, "p", 108);
    EXPECT_STREQ(LastBox().caption, "B-Axis Lock(40行目)");
}

TEST_F(Alarms, RunDependentTexts)
{
    g_EnglishUi = 0;
    g_G00Mode = 0;
    ShowAlarm(nullptr, 0, "p", 1);
    EXPECT_STREQ(LastBox().caption, "工具が干渉しました");
    g_RunMode = 1;
    ShowAlarm(nullptr, 0, "p", 1);
    EXPECT_STREQ(LastBox().caption, "工具が破損しました(G00干渉) --- Jキーで干渉位置と往復");
    g_EnglishUi = 1;
    ShowAlarm(nullptr, 0, "p", 1);
    EXPECT_STREQ(LastBox().caption, "The tool was dameged. (G00 interference)");

    // Alarm 2 during a mounted-set tool change from tool 1 to tool 3, Japanese.
    g_EnglishUi = 0;
    g_ToolChangeInProgress = 1;
    g_PreviousTool = 1;
    g_SpindleToolNumber = 3;
    ShowAlarm(nullptr, 0, "p", 2);
    EXPECT_STREQ(LastBox().caption, "工具交換(T01→T03)中にT03の工具保持具が干渉しました\n");
    g_RunMode = 0;
    ShowAlarm(nullptr, 0, "p", 1);
    EXPECT_STREQ(LastBox().caption, "工具が干渉しました");

    g_SpindleSpeed = 100.0;
    g_SpindleCheckLimit1 = 1000.0;
    g_EnglishUi = 1;
    ShowAlarm(nullptr, 0, "p", 10);
    EXPECT_STREQ(LastBox().caption, "Low Spindle Speed");
    g_SpindleSpeed = 1000.0;
    ShowAlarm(nullptr, 0, "p", 10);
    EXPECT_STREQ(LastBox().caption, "Over Spindle Speed");
    g_SpindleToolNumber = 0;
}

TEST_F(Alarms, MountedSetTextsNameTheToolThatWasHit)
{
    g_RunMode = 1;
    g_SpindleToolNumber = 3;
    g_ToolLayoutFlags[3] = g_ToolLayoutFlags[5] = 1;
    g_MountedTools[0] = 3;
    g_MountedTools[1] = 5;
    g_MountedToolCount = 2;
    ShowAlarm(nullptr, 0, "p", 12);  // no result recorded: nothing shown
    EXPECT_EQ(CountShownMessageBoxes(), 0);
    g_MountedToolResults[5].code = 9;
    ShowAlarm(nullptr, 0, "p", 12);
    ShownMessageBox box = LastBox();
    EXPECT_STREQ(box.caption, "KUSHIHA and TABLE2 interfered");
    EXPECT_STREQ(box.text, "T05 interference during cutting by T03.\n");
    g_NcLineNumber = 7;
    EXPECT_EQ(LogOf(8), "(7) - KUSHIHA interfered");
    g_MountedToolSharesPosition = 1;  // another tool shares the position: the plain text
    ShowAlarm(nullptr, 0, "p", 12);
    EXPECT_STREQ(LastBox().caption, "TOOLvsTABLE2 interfered.");
    g_MountedToolSharesPosition = 0;
    g_SpindleToolNumber = 0;
}

}  // namespace
