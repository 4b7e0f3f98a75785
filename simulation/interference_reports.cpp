// The interference reports: the summary and detailed lists, the status-bar text of the pause reasons
// and the interference-code tags of the tool-length results. The reasons themselves are recorded by
// the stop rules (g_StopReasonFlags); the position of a detailed line comes from the run thread.
#include "simulation/interference_reports.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "nc/interpreter_state.h"
#include "nc/motion_delivery.h"
#include "nc/nc_line_reader.h"
#include "platform/os/process.h"
#include "platform/os/sound.h"
#include "platform/ui/repaint_requests.h"
#include "platform/ui/shell_services.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"

int g_DetailedInterferenceReport = 0;
int g_LastInterference2Line = 0;
char g_InterferenceKindsText[INTERFERENCE_KINDS_TEXT_SIZE] = "";

namespace {

enum PartCode { PART_TOOL, PART_ARBOR, PART_HEAD2, PART_HEAD1, PART_HEAD, PART_COUNT };
const char* const kPartNames[PART_COUNT] = {"TOOL", "ARBOR", "HEAD2", "HEAD1", "HEAD"};

// One part pair: its stop-reason index (alarm number + 7), part, target word, flag and setting.
struct PairCheck {
    int reason;
    int part;
    const char* target;
    int CheckFlags::*flag;
    int* setting;
};

// In stop-reason index order.
const PairCheck kPairs[] = {
    {18, PART_TOOL, "VICE", &CheckFlags::toolVsVice, &g_CheckToolVice},
    {19, PART_TOOL, "TABLE2", &CheckFlags::toolVsTable2, &g_CheckToolTable2},
    {20, PART_TOOL, "TABLE1", &CheckFlags::toolVsTable1, &g_CheckToolTable1},
    {21, PART_TOOL, "TABLE", &CheckFlags::toolVsTable, &g_CheckToolTable},
    {24, PART_TOOL, "BASIC", &CheckFlags::toolVsBasic, &g_CheckToolBasic},
    {25, PART_ARBOR, "VICE", &CheckFlags::arborVsVice, &g_CheckArborVice},
    {26, PART_ARBOR, "TABLE2", &CheckFlags::arborVsTable2, &g_CheckArborTable2},
    {27, PART_ARBOR, "TABLE1", &CheckFlags::arborVsTable1, &g_CheckArborTable1},
    {28, PART_ARBOR, "TABLE", &CheckFlags::arborVsTable, &g_CheckArborTable},
    {31, PART_ARBOR, "BASIC", &CheckFlags::arborVsBasic, &g_CheckArborBasic},
    {32, PART_HEAD2, "WORK", &CheckFlags::head2VsWork, &g_CheckHead2Work},
    {33, PART_HEAD2, "VICE", &CheckFlags::head2VsVice, &g_CheckHead2Vice},
    {34, PART_HEAD2, "TABLE", &CheckFlags::head2VsTable, &g_CheckHead2Table},
    {37, PART_HEAD2, "BASIC", &CheckFlags::head2VsBasic, &g_CheckHead2Basic},
    {38, PART_HEAD1, "WORK", &CheckFlags::head1VsWork, &g_CheckHead1Work},
    {39, PART_HEAD1, "VICE", &CheckFlags::head1VsVice, &g_CheckHead1Vice},
    {40, PART_HEAD1, "TABLE1", &CheckFlags::head1VsTable1, &g_CheckHead1Table1},
    {41, PART_HEAD1, "TABLE", &CheckFlags::head1VsTable, &g_CheckHead1Table},
    {44, PART_HEAD1, "BASIC", &CheckFlags::head1VsBasic, &g_CheckHead1Basic},
    {45, PART_HEAD, "WORK", &CheckFlags::headVsWork, &g_CheckHeadWork},
    {46, PART_HEAD, "VICE", &CheckFlags::headVsVice, &g_CheckHeadVice},
    {47, PART_HEAD, "TABLE2", &CheckFlags::headVsTable2, &g_CheckHeadTable2},
    {48, PART_HEAD, "TABLE1", &CheckFlags::headVsTable1, &g_CheckHeadTable1},
    {49, PART_HEAD, "TABLE", &CheckFlags::headVsTable, &g_CheckHeadTable},
    {52, PART_HEAD, "BASIC", &CheckFlags::headVsBasic, &g_CheckHeadBasic},
};
constexpr int PAIR_COUNT = sizeof kPairs / sizeof kPairs[0];

// The detailed list's order: parts TOOL, ARBOR, HEAD, HEAD1, HEAD2; targets WORK, VICE, TABLE,
// TABLE1, TABLE2, BASIC within a part (indexes into kPairs).
const int kDetailedOrder[PAIR_COUNT] = {0, 3, 2, 1, 4,  5, 8, 7, 6, 9,  19, 20, 23, 22, 21, 24,
                                        14, 15, 17, 16, 18,  10, 11, 12, 13};

const char* const kConditionWords[10] = {"RAPID(G00)", "ARBOR",      "OVER LENGTH", "OVER CHIP",   "TAPER",
                                         "TOO FAST",   "ATTACHMENT", "SPINDLE",     "LOW SPINDLE", "OVER SPINDLE"};

// Appends the pair items to list: TOOL targets bare, each further part as its full pair name for the
// first target and ",TARGET" for the others. raised(k) says whether kPairs[k] takes part.
template <typename Raised>
void AppendPairItems(std::string* list, const int* order, const char* separator, Raised raised)
{
    int lastPart = -1;
    for (int n = 0; n < PAIR_COUNT; ++n) {
        const PairCheck& pair = kPairs[order[n]];
        if (!raised(order[n])) continue;
        if (pair.part != PART_TOOL && pair.part == lastPart) {
            *list += ",";
            *list += pair.target;
            continue;
        }
        if (!list->empty()) *list += separator;
        if (pair.part != PART_TOOL) {
            *list += kPartNames[pair.part];
            *list += "vs";
        }
        *list += pair.target;
        lastPart = pair.part;
    }
}

// The summary's kind list from g_StopReasonFlags.
std::string SummaryKindList()
{
    std::string list;
    for (int k = 0; k < 10; ++k) {
        if (g_StopReasonFlags[k] == 0) continue;
        if (!list.empty()) list += " + ";
        list += kConditionWords[k];
    }
    int order[PAIR_COUNT];
    for (int k = 0; k < PAIR_COUNT; ++k) order[k] = k;
    AppendPairItems(&list, order, " + ", [](int k) { return g_StopReasonFlags[kPairs[k].reason] != 0; });
    return list;
}

int CutCondition() { return g_WorkDefined && g_WorkState == 0 && g_CutInMove >= 1; }

// 1 when the spindle is out of the SPINDLE CHECK rules (stopped, or M3 outside the limits); *word
// names the failure.
int SpindleFails(const char** word)
{
    if (g_SpindleState == 0) {
        *word = "SPINDLE";
        return 1;
    }
    if (g_SpindleState == 1 && g_SpindleCheckLimitsGiven) {
        if (g_SpindleSpeed < g_SpindleCheckLimit1) {
            *word = "LOW SPINDLE";
            return 1;
        }
        if (g_SpindleSpeed > g_SpindleCheckLimit2) {
            *word = "OVER SPINDLE";
            return 1;
        }
    }
    return 0;
}

int IsFastMove() { return g_MotionKind == MOTION_RAPID || g_FeedValues[0] >= g_RapidFeedrate; }

// The detailed list's kind list from the sub-step's flags and the check settings.
std::string DetailedKindList()
{
    std::string list;
    auto add = [&list](const char* word) {
        if (!list.empty()) list += "+";
        list += word;
    };
    const int cut = CutCondition();
    if (g_InterferenceCheck == 2 && cut && IsFastMove()) add(g_MotionKind == MOTION_RAPID ? "RAPID(G00)" : "TOO FAST");
    if (g_HeightCheck == 3 && g_CheckFlags.length) add("LENGTH");
    if (g_ChipWidthCheck == 3 && g_CheckFlags.chip) add("CHIP");
    if (g_ArborCheck == 4) {
        if (g_CheckFlags.taper) {
            add("TAPER");
        } else if (g_CheckFlags.attachment) {
            add("ATTACHMENT");
        } else if (g_CheckFlags.arbor) {
            add("ARBOR");
        }
    }
    const char* spindleWord = nullptr;
    if (g_SpindleCheck == 2 && cut && SpindleFails(&spindleWord)) add(spindleWord);
    AppendPairItems(&list, kDetailedOrder, "+",
                    [](int k) { return *kPairs[k].setting == 2 && g_CheckFlags.*kPairs[k].flag != 0; });
    return list;
}

// 1 when the sub-step has a reason in pause setting (the conditions of the stop rules).
int HasPauseReason()
{
    const int cut = CutCondition();
    const char* word = nullptr;
    if (g_InterferenceCheck == 2 && cut && IsFastMove()) return 1;
    if (g_ArborCheck == 4 && (g_CheckFlags.arbor || g_CheckFlags.taper || g_CheckFlags.attachment)) return 1;
    if (g_HeightCheck == 3 && g_CheckFlags.length) return 1;
    if (g_ChipWidthCheck == 3 && g_CheckFlags.chip) return 1;
    for (const PairCheck& pair : kPairs) {
        if (*pair.setting == 2 && g_CheckFlags.*pair.flag != 0) return 1;
    }
    return g_SpindleCheck == 2 && cut && SpindleFails(&word);
}

// The NC file's name and extension (no folder).
const char* NcFileName()
{
    const char* name = g_NcFilePath;
    for (const char* p = g_NcFilePath; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') name = p + 1;
    }
    return name;
}

void WriteHead(FILE* file, const char* title)
{
    std::fprintf(file, "<<< %s INFORMATION >>>\n--------------", title);
    std::fprintf(file, " (%s)", NcFileName());
}

// The current NC line, with one line end.
void WriteNcLine(FILE* file)
{
    const size_t length = std::strlen(g_NcLineBuffer);
    std::fputs(g_NcLineBuffer, file);
    if (length == 0 || g_NcLineBuffer[length - 1] != '\n') std::fputc('\n', file);
}

// "%d:" with the main program's line, or "%s:%d:" with the sub-program level's name and counter;
// returns the line number written.
int WritePlace(FILE* file)
{
    if (g_SubprogramDepth > 0) {
        const int level = g_SubprogramDepth - 1;
        const int line = CurrentLineCounter();
        std::fprintf(file, "%s:%d:", g_SubprogramCallNames[level], line);
        return line;
    }
    std::fprintf(file, "%d:", g_NcLineNumber);
    return g_NcLineNumber;
}

void AppendLimited(char* text, const char* more)
{
    const size_t used = std::strlen(text);
    std::snprintf(text + used, INTERFERENCE_KINDS_TEXT_SIZE - used, "%s", more);
}

}  // namespace

void OpenInterference2Report()
{
    if (!HasPauseReason()) return;
    FILE* probe = std::fopen(kInterference2ReportName, "r");
    if (probe == nullptr) {
        g_DetailedInterferenceReport = 0;
        return;
    }
    std::fclose(probe);
    g_DetailedInterferenceReport = 1;
    g_InterferenceReportFile = std::fopen(kInterference2ReportName, "w");
    if (g_InterferenceReportFile != nullptr) WriteHead(g_InterferenceReportFile, "INTERFERENCE2");
    g_LastInterference2Line = 0;
}

void WriteInterference2Entry()
{
    FILE* file = g_InterferenceReportFile;
    if (file == nullptr || !g_DetailedInterferenceReport) return;
    const int line = g_SubprogramDepth > 0 ? CurrentLineCounter() : g_NcLineNumber;
    if (line != g_LastInterference2Line) {
        std::fputc('\n', file);
        g_LastInterference2Line = WritePlace(file);
        WriteNcLine(file);
    }
    std::fprintf(file, "%s:", DetailedKindList().c_str());
}

void WriteInterference2Position(int step, int steps, const double* tip, char rotary1Letter, double angle1,
                                char rotary2Letter, double angle2)
{
    FILE* file = g_InterferenceReportFile;
    if (file == nullptr || !g_DetailedInterferenceReport) return;
    std::fprintf(file, "%d/%d:X%fY%fZ%f%c%f%c%f\n", step, steps, tip[0], tip[1], tip[2], rotary1Letter, angle1,
                 rotary2Letter, angle2);
}

void WriteInterferenceReport()
{
    if (!g_DetailedInterferenceReport) {
        if (g_InterferenceReportFile == nullptr) {
            g_InterferenceReportFile = std::fopen(kInterferenceReportName, "w");
            if (g_InterferenceReportFile != nullptr) WriteHead(g_InterferenceReportFile, "INTERFERENCE");
        }
        if (g_InterferenceReportFile != nullptr) {
            std::fprintf(g_InterferenceReportFile, "\n%s\n", SummaryKindList().c_str());
            WritePlace(g_InterferenceReportFile);
            WriteNcLine(g_InterferenceReportFile);
        }
    }
    g_ToolContactState = 0;
    FormatInterferenceKinds(g_InterferenceKindsText);
    if (g_ShowToolPanel) {
        if (!g_SilentMode) g_RepaintToolPanel = 1;
        g_ToolDialogRefresh = 1;
    }
    std::memset(g_StopReasonFlags, 0, sizeof g_StopReasonFlags);
    if (g_SoundOn) PlaySystemSound("SystemHand");
    g_PauseReasonCount = 2;
}

void FormatInterferenceKinds(char* text)
{
    text[0] = '\0';
    const char* collide = g_EnglishUi ? " Collide" : "干渉";
    int count = 0;
    auto addItem = [&](const char* item) {
        ++count;
        if (count == 1) {
            std::snprintf(text, INTERFERENCE_KINDS_TEXT_SIZE, "%s", item);
        } else {
            AppendLimited(text, ",");
            AppendLimited(text, item);
        }
    };
    // Collision items: RAPID(G00), ARBOR, TAPER, ATTACHMENT, then the pairs in index order.
    std::string pairNames[PAIR_COUNT];
    const char* collisions[4 + PAIR_COUNT];
    int collisionCount = 0;
    for (int k : {0, 1, 4, 6}) {
        if (g_StopReasonFlags[k]) collisions[collisionCount++] = kConditionWords[k];
    }
    for (int k = 0; k < PAIR_COUNT; ++k) {
        if (!g_StopReasonFlags[kPairs[k].reason]) continue;
        pairNames[k] = kPairs[k].part == PART_TOOL ? std::string() : std::string(kPartNames[kPairs[k].part]) + "vs";
        pairNames[k] += kPairs[k].target;
        collisions[collisionCount++] = pairNames[k].c_str();
    }
    for (int n = 0; n < collisionCount; ++n) {
        if (count == 2) {
            AppendLimited(text, collide);
            AppendLimited(text, ",etc...");
            return;
        }
        addItem(collisions[n]);
    }
    if (count > 0) AppendLimited(text, collide);
    for (int k : {2, 3, 5, 7, 8, 9}) {
        if (!g_StopReasonFlags[k]) continue;
        if (count == 2) {
            AppendLimited(text, ",etc...");
            return;
        }
        addItem(kConditionWords[k]);
    }
    if (count == 2) {
        const std::string counted = "2)" + std::string(text);
        std::snprintf(text, INTERFERENCE_KINDS_TEXT_SIZE, "%s", counted.c_str());
    }
}

void CloseInterferenceFile()
{
    if (g_PauseReasonCount > 0) {
        if (g_PauseReasonCount == 1) WriteInterferenceReport();
        g_PauseReasonCount = 0;
    }
    std::memset(g_StopReasonFlags, 0, sizeof g_StopReasonFlags);
    if (g_InterferenceReportFile != nullptr) {
        std::fclose(g_InterferenceReportFile);
        g_InterferenceReportFile = nullptr;
        if (!g_SilentMode && !g_SuppressResultListOpen) {
            OpenWithDefaultApplication(g_DetailedInterferenceReport ? kInterference2ReportName : kInterferenceReportName);
        }
    }
    g_DetailedInterferenceReport = 0;
}

void PrintInterferenceTargetTag(FILE* file, int target)
{
    if (file == nullptr) return;
    static const char* const kWords[4] = {"VICE)", "TABLE)", "TABLE1)", "TABLE2)"};
    if (target <= 3) {
        std::fputs("WORK)", file);
    } else if (target <= 7) {
        std::fputs(kWords[target - 4], file);
    } else {
        std::fputs("BASIC)", file);
    }
}

void PrintTaperInterferenceTag(FILE* file)
{
    if (file == nullptr || g_TaperInterferenceCode <= 0) return;
    std::fputs("(TAPERvs", file);
    PrintInterferenceTargetTag(file, g_TaperInterferenceCode % 10);
}

void PrintPartInterferenceTag(FILE* file)
{
    const int code = g_ReportedInterferenceCode;
    if (file == nullptr || code <= 0 || code > 39) return;
    static const char* const kParts[4] = {"(ARBORvs", "(HEADvs", "(HEAD1vs", "(HEAD2vs"};
    std::fputs(kParts[code / 10], file);
    PrintInterferenceTargetTag(file, code % 10);
}
