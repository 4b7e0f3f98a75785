// The alarm catalogue and its output: texts by code with their run-dependent variants, the message
// box or macro-log line, and the texts naming the tool of a mounted set.
#include "simulation/alarms.h"

#include <cstdio>
#include <cstring>

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

struct AlarmTextPair {
    int code;
    const char* english;
    const char* japanese;
};

// Texts without a variant or place holder, by code.
const AlarmTextPair kPlainAlarms[] = {
    {2, "Arbor interfered.", "工具保持具が干渉しました"},
    {3, "Cut in an invalid part of tool length.", "有効刃長を越えて切削しました"},
    {4, "Cut in an invalid part of bottom.", "内径の無効部分で切削しました"},
    {5, "Tool side (*tapa*) interfered.", "工具側テーパ部が干渉しました"},
    {6, "RAPID Interference(Too fast Feedrate).", "早送り干渉(送り速度が速すぎます)"},
    {7, "Too heavy Cutting. Tool was dameged.", "工具が過負荷で破損しました"},
    {8, "Attachment interfered", "アタッチメントが干渉しました"},
    {9, "Spindle Stop", "主軸回転停止中に干渉しました"},
    {11, "TOOLvsVICE interfered.", "工具とバイスが干渉しています。"},
    {12, "TOOLvsTABLE2 interfered.", "工具とTABLE2が干渉しています。"},
    {13, "TOOLvsTABLE1 interfered.", "工具とTABLE1が干渉しています。"},
    {14, "TOOLvsTABLE interfered.", "工具とTABLEが干渉しています。"},
    {17, "TOOLvsBASIC interfered.", "TOOLとBASICが干渉しています。"},
    {18, "ARBORvsVICE interfered.", "ARBORとVICEが干渉しています。"},
    {19, "ARBORvsTABLE2 interfered.", "ARBORとTABLE2が干渉しています。"},
    {20, "ARBORvsTABLE1 interfered.", "ARBORとTABLE1が干渉しています。"},
    {21, "ARBORvsTABLE interfered.", "ARBORとTABLEが干渉しています。"},
    {24, "ARBORvsBASIC interfered.", "ARBORとBASICが干渉しています。"},
    {25, "HEAD2vsWORK interfered.", "HEAD2とWORKが干渉しています。"},
    {26, "HEAD2vsVICE interfered.", "HEAD2とVICEが干渉しています。"},
    {27, "HEAD2vsTABLE interfered.", "HEAD2とTABLEが干渉しています。"},
    {30, "HEAD2vsBASIC interfered.", "HEAD2とBASICが干渉しています。"},
    {31, "HEAD1vsWORK interfered.", "HEAD1とWORKが干渉しています。"},
    {32, "HEAD1vsVICE interfered.", "HEAD1とVICEが干渉しています。"},
    {33, "HEAD1vsTABLE1 interfered.", "HEAD1とTABLE1が干渉しています。"},
    {34, "HEAD1vsTABLE interfered.", "HEAD1とTABLEが干渉しています。"},
    {37, "HEAD1vsBASIC interfered.", "HEAD1とBASICが干渉しています。"},
    {38, "HEADvsWORK interfered.", "HEADとWORKが干渉しています。"},
    {39, "HEADvsVICE interfered.", "HEADとVICEが干渉しています。"},
    {40, "HEADvsTABLE2 interfered.", "HEADとTABLE2が干渉しています。"},
    {41, "HEADvsTABLE1 interfered.", "HEADとTABLE1が干渉しています。"},
    {42, "HEADvsTABLE interfered.", "HEADとTABLEが干渉しています。"},
    {45, "HEADvsBASIC interfered.", "HEADとBASICが干渉しています。"},
    {102, "Zero Feedrate!", "送り速度が0です!"},
    {101, "G02/G03 IJK Error - Invalid IJK Value.", "G02/G03 IJK Error - 始点の半径と終点の半径が大きく異なる"},
    {110, "Word value out of range", "ワードの値が範囲外です"},
    {111, "Subprogram not found", "サブプログラムが見つかりません"},
    {112, "Tool axis out of reach of the rotary axes", "回転軸で工具軸方向に届きません"},
};

const char kJapaneseJumpHint[] = " --- Jキーで干渉位置と往復";

void Copy(char* out, const char* text)
{
    std::snprintf(out, ALARM_TEXT_SIZE, "%s", text);
}

// Japanese tool-change texts of alarms 1, 2, 4 and 5 while a mounted set changes tools (null: none).
const char* ToolChangeJapaneseFormat(int code)
{
    switch (code) {
    case 1:
        return g_G00Mode == 9 ? "工具交換(T%02d→T%02d)中にT%02dがG00干渉、もしくはその可能性あり\n"
                              : "工具交換(T%02d→T%02d)中にT%02dが干渉\n";
    case 2: return "工具交換(T%02d→T%02d)中にT%02dの工具保持具が干渉しました\n";
    case 4: return "工具交換(T%02d→T%02d)中にT%02dの内径無効部分で切削しました\n";
    case 5: return "工具交換(T%02d→T%02d)中にT%02dの工具側テーパー部が干渉しました\n";
    default: return nullptr;
    }
}

// The spindle tool belongs to a mounted set and no other tool of the set shares its position.
int IsMountedSetAlarm(int code)
{
    if (code != 8 && (code < 11 || code > 14)) return 0;
    const int s = g_SpindleToolNumber;
    const int inSet = (s >= 0 && s < TOOL_LAYOUT_SLOTS && g_ToolLayoutFlags[s]) || (s == 0 && g_ToolLayoutFlags[1]);
    return inSet && !g_MountedToolSharesPosition;
}

void WriteMacroLogLine(const char* text)
{
    if (g_MacroLog == nullptr) return;
    std::fprintf(g_MacroLog, "(%d) - ", g_NcLineNumber);
    std::fputs(text, g_MacroLog);
    std::fflush(g_MacroLog);
}

}  // namespace

int FormatAlarmTexts(int code, char* english, char* japanese)
{
    english[0] = japanese[0] = '\0';
    for (const AlarmTextPair& a : kPlainAlarms) {
        if (a.code == code) {
            Copy(english, a.english);
            Copy(japanese, a.japanese);
            return 1;
        }
    }
    const char r1 = g_Rotary1Letter, r2 = g_Rotary2Letter;
    char eor[2] = {g_EndOfRecordChar, '\0'};
    switch (code) {
    case 1:
        if (g_RunMode == 0) {
            Copy(english, "The tool was dameged.");
            Copy(japanese, "工具が干渉しました");
        } else if (g_G00Mode == 9) {
            Copy(english, "G00 interference or it's possible");
            Copy(japanese, "G00干渉、もしくはその可能性あり");
        } else {
            Copy(english, "The tool was dameged. (G00 interference)");
            Copy(japanese, "工具が破損しました(G00干渉)");
        }
        return 1;
    case 10:
        if (g_SpindleSpeed < g_SpindleCheckLimit1) {
            Copy(english, "Low Spindle Speed");
            Copy(japanese, "主軸回転数が指定範囲より少ないです");
        } else {
            Copy(english, "Over Spindle Speed");
            Copy(japanese, "主軸回転数が指定範囲を超えています");
        }
        return 1;
    case 91:
        std::snprintf(english, ALARM_TEXT_SIZE, "Over Stroke of %c-axis!", g_OvertravelAxisLetter);
        std::snprintf(japanese, ALARM_TEXT_SIZE, "%c軸の可動範囲を越えました!", g_OvertravelAxisLetter);
        return 1;
    case 103:
        std::snprintf(english, ALARM_TEXT_SIZE, "Start Code(%s) is not Fonud !", eor);
        std::snprintf(japanese, ALARM_TEXT_SIZE, "開始コード(%s)が見つかりません!", eor);
        return 1;
    case 104:
        std::snprintf(english, ALARM_TEXT_SIZE, "%d\"%c\" - Invalid Character!", g_NcAlarmColumn, g_NcAlarmChar);
        std::snprintf(japanese, ALARM_TEXT_SIZE, "%d文字目\"%c\" - 不正文字検出!", g_NcAlarmColumn, g_NcAlarmChar);
        return 1;
    case 105:
        std::snprintf(english, ALARM_TEXT_SIZE, "%dth - Double decimal points!", g_NcAlarmColumn);
        std::snprintf(japanese, ALARM_TEXT_SIZE, "%d文字目 - 小数点重複!", g_NcAlarmColumn);
        return 1;
    case 106:
        std::snprintf(english, ALARM_TEXT_SIZE, "Over Offset - Reverse Arc!(%dLine)", g_NcLineNumber);
        std::snprintf(japanese, ALARM_TEXT_SIZE, "過剰オフセット - 円弧が反転!(%d行目)", g_NcLineNumber);
        return 1;
    case 107:
        std::snprintf(english, ALARM_TEXT_SIZE, "Over Offset - Alarm(%dLine)", g_NcLineNumber);
        std::snprintf(japanese, ALARM_TEXT_SIZE, "過剰オフセット - アラーム(%d行目)", g_NcLineNumber);
        return 1;
    case 108:
    case 109: {
        const char letter = code == 108 ? r1 : r2;
        std::snprintf(english, ALARM_TEXT_SIZE, "%c-Axis Lock(%d行目)", letter, g_NcLineNumber);
        std::snprintf(japanese, ALARM_TEXT_SIZE, "%c軸Lock中!(%dLine)", letter, g_NcLineNumber);
        return 1;
    }
    case 113:
        Copy(english, kInchInputAlarmTexts[0]);
        Copy(japanese, kInchInputAlarmTexts[1]);
        return 1;
    default:
        return 0;
    }
}

void OutputAlarmText(WindowHandle owner, int toMacroLog, const char* body, const char* englishText,
                     const char* japaneseText)
{
    const char* text = g_EnglishUi ? englishText : japaneseText;
    if (toMacroLog) {
        WriteMacroLogLine(text);
        return;
    }
    ShowUiMessageBox(owner, body != nullptr ? body : "", text, MB_OK | MB_TOPMOST);
}

void ShowAlarm(WindowHandle owner, int toMacroLog, const char* body, int code)
{
    if (IsMountedSetAlarm(code)) {
        ShowToolChangeInterference(owner, toMacroLog, code);
        return;
    }
    char english[ALARM_TEXT_SIZE], japanese[ALARM_TEXT_SIZE];
    if (!FormatAlarmTexts(code, english, japanese)) return;
    if (code == 103 && toMacroLog) {
        char eor[2] = {g_EndOfRecordChar, '\0'};
        std::snprintf(english, sizeof english, "Start Code(%s) is Not Found !", eor);
        std::snprintf(japanese, sizeof japanese, "開始コード(%s)が見つかりません!", eor);
    }
    const char* toolChange =
        g_ToolChangeInProgress && (code != 1 || g_RunMode != 0) ? ToolChangeJapaneseFormat(code) : nullptr;
    if (toolChange != nullptr) {
        std::snprintf(japanese, sizeof japanese, toolChange, g_PreviousTool, g_SpindleToolNumber,
                      g_SpindleToolNumber);
    } else if (code == 1 && g_RunMode != 0 && !toMacroLog) {
        std::strncat(japanese, kJapaneseJumpHint, sizeof japanese - std::strlen(japanese) - 1);
    }
    OutputAlarmText(owner, toMacroLog, body, english, japanese);
}

void ShowToolChangeInterference(WindowHandle owner, int toMacroLog, int code)
{
    int m = -1;
    for (int k = 0; k < g_MountedToolCount && k < MAX_MOUNTED_TOOLS; ++k) {
        const int t = g_MountedTools[k];
        if (t >= 0 && t < MOUNTED_TOOL_RESULT_SLOTS && g_MountedToolResults[t].code != 0) {
            m = t;
            break;
        }
    }
    if (m < 0) return;
    const char* englishCaption = "KUSHIHA interfered";
    const char* japaneseCaption = "くし刃干渉";
    switch (code) {
    case 11: englishCaption = "KUSHIHA and VICE interfered"; japaneseCaption = "くし刃とバイスの干渉"; break;
    case 12: englishCaption = "KUSHIHA and TABLE2 interfered"; japaneseCaption = "くし刃とTABLE2の干渉"; break;
    case 13: englishCaption = "KUSHIHA and TABLE1 interfered"; japaneseCaption = "くし刃とTABLE1の干渉"; break;
    case 14: englishCaption = "KUSHIHA and TABLE interfered"; japaneseCaption = "くし刃とTABLEの干渉"; break;
    default: break;
    }
    const int p = g_PreviousTool, s = g_SpindleToolNumber;
    char body[ALARM_TEXT_SIZE];
    if (g_MountedToolResults[m].toolChange) {
        if (g_EnglishUi) {
            std::snprintf(body, sizeof body, "T%02d interference during tool change(T%02d→T%02d).\n", m, p, s);
        } else {
            std::snprintf(body, sizeof body, "工具交換(T%02d→T%02d)中にT%02dが干渉\n", p, s, m);
        }
    } else if (g_RunMode > 0) {
        if (g_EnglishUi) {
            std::snprintf(body, sizeof body, "T%02d interference during cutting by T%02d.\n", m, s);
        } else {
            std::snprintf(body, sizeof body, "T%02dによる加工動作中にT%02dが干渉\n", s, m);
        }
    } else if (s == 0) {
        if (g_EnglishUi) {
            std::snprintf(body, sizeof body, "T%02d interference when tool isn't chosen.\n", m);
        } else {
            std::snprintf(body, sizeof body, "工具未選択状態でT%02dが干渉\n", m);
        }
    } else if (g_EnglishUi) {
        std::snprintf(body, sizeof body, "T%02d interference in selecting T%02d\n", m, s);
    } else {
        std::snprintf(body, sizeof body, "T%02d選択状態でT%02dが干渉\n", s, m);
    }
    const char* caption = g_EnglishUi ? englishCaption : japaneseCaption;
    if (toMacroLog) {
        WriteMacroLogLine(caption);
        return;
    }
    ShowUiMessageBox(owner, body, caption, MB_OK | MB_TOPMOST);
}
