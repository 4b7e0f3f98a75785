// The verification report: its path, the fixed block, the copy of the template with its "$" keywords
// replaced, and the writing (a new report goes through a temporary name; an appended one is appended).
#include "simulation/verification_report.h"

#include <cctype>
#include <cstdarg>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_data_check.h"
#include "platform/os/files.h"
#include "platform/os/process.h"
#include "platform/ui/message_box.h"
#include "platform/ui/shell_services.h"
#include "platform/ui/ui_constants.h"
#include "simulation/removed_volume.h"

namespace {

enum KeywordId {
    KW_DCODE, KW_HCODE, KW_TCODE, KW_GCODEW, KW_GCODE, KW_MCODE, KW_NC, KW_TTL, KW_CTL, KW_MTL,
    KW_LENR, KW_LENF, KW_LEN1, KW_LEN2, KW_LEN, KW_EP_INFO,
    KW_TIMER, KW_TIMEF, KW_TIME1, KW_TIME2, KW_TIME, KW_TIMR, KW_TIMF, KW_TIM1, KW_TIM2, KW_TIM,
    KW_EXTENT, KW_MAXS, KW_MAXF2, KW_MAXF, KW_MINF, KW_RAPIDFEEDRATE, KW_RAPIDFX, KW_RAPIDFY, KW_RAPIDFZ,
    KW_SIZE, KW_LINES, KW_EXOFS, KW_G5, KW_WK, KW_VOLUME
};

// Box variants of the extent keywords.
enum ExtentBox { BOX_MACHINE, BOX_MACHINE_LESS_OFFSET, BOX_WORK, BOX_CUT_MACHINE, BOX_CUT_LESS_OFFSET, BOX_CUT_WORK };

struct Keyword {
    std::string text;  // with its "$"
    int id;
    int isMax;         // extent keywords: 1 maximum, 0 minimum
    int axis;          // extent keywords: stored component 0, 1, 2
    int box;           // extent keywords: ExtentBox
};

// The keywords in the order they are compared (a keyword that begins a longer one comes after it).
const std::vector<Keyword>& Keywords()
{
    static std::vector<Keyword> list;
    if (!list.empty()) return list;
    const struct {
        const char* text;
        int id;
    } head[] = {{"$DCODE", KW_DCODE}, {"$HCODE", KW_HCODE}, {"$TCODE", KW_TCODE}, {"$GCODEW", KW_GCODEW},
                {"$GCODE", KW_GCODE}, {"$MCODE", KW_MCODE}, {"$NC", KW_NC},       {"$TTL", KW_TTL},
                {"$CTL", KW_CTL},     {"$MTL", KW_MTL},     {"$LENR", KW_LENR},   {"$LENF", KW_LENF},
                {"$LEN1", KW_LEN1},   {"$LEN2", KW_LEN2},   {"$LEN", KW_LEN},     {"$EP_INFO", KW_EP_INFO},
                {"$TIMER", KW_TIMER}, {"$TIMEF", KW_TIMEF}, {"$TIME1", KW_TIME1}, {"$TIME2", KW_TIME2},
                {"$TIME", KW_TIME},   {"$TIMR", KW_TIMR},   {"$TIMF", KW_TIMF},   {"$TIM1", KW_TIM1},
                {"$TIM2", KW_TIM2},   {"$TIM", KW_TIM}};
    for (const auto& k : head) list.push_back({k.text, k.id, 0, 0, 0});
    const struct {
        const char* suffix;
        int box;
    } variants[] = {{"2W", BOX_CUT_WORK}, {"2E", BOX_CUT_LESS_OFFSET}, {"2", BOX_CUT_MACHINE},
                    {"W", BOX_WORK},      {"E", BOX_MACHINE_LESS_OFFSET}, {"", BOX_MACHINE}};
    for (int isMax = 1; isMax >= 0; --isMax) {
        for (int axis = 0; axis < 3; ++axis) {
            for (const auto& v : variants) {
                std::string text = isMax ? "$MAX" : "$MIN";
                text += "XYZ"[axis];
                text += v.suffix;
                list.push_back({text, KW_EXTENT, isMax, axis, v.box});
            }
        }
        if (isMax) list.push_back({"$MAXS", KW_MAXS, 0, 0, 0});
    }
    const struct {
        const char* text;
        int id;
    } tail[] = {{"$MAXF2", KW_MAXF2},   {"$MAXF", KW_MAXF},   {"$MINF", KW_MINF},   {"$RAPIDFEEDRATE", KW_RAPIDFEEDRATE},
                {"$RAPIDFX", KW_RAPIDFX}, {"$RAPIDFY", KW_RAPIDFY}, {"$RAPIDFZ", KW_RAPIDFZ}, {"$SIZE", KW_SIZE},
                {"$LINES", KW_LINES},   {"$EXOFS", KW_EXOFS}, {"$G5", KW_G5},       {"$WK", KW_WK},
                {"$VOLUME", KW_VOLUME}};
    for (const auto& k : tail) list.push_back({k.text, k.id, 0, 0, 0});
    return list;
}

void Append(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string* out, const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0) out->append(buffer, static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer - 1);
}

// The value plus 0.5 with the fraction dropped (saturated at the int range; NaN gives 0).
long long Rounded(double value)
{
    const double v = value + 0.5;
    if (!(v == v)) return 0;
    if (v >= 9.0e18) return 9000000000000000000LL;
    if (v <= -9.0e18) return -9000000000000000000LL;
    return static_cast<long long>(v);
}

// The value with its fraction dropped (saturated as above).
long long DropFraction(double value)
{
    if (!(value == value)) return 0;
    if (value >= 9.0e18) return 9000000000000000000LL;
    if (value <= -9.0e18) return -9000000000000000000LL;
    return static_cast<long long>(value);
}

// "%7d" and friends of a 64-bit value.
void AppendNumber(std::string* out, int width, long long value) { Append(out, "%*lld", width, value); }

void AppendClock(std::string* out, long long seconds, int leadingBlank)
{
    const long long hours = seconds / 3600;
    const long long minutes = (seconds - hours * 3600) / 60;
    const long long rest = seconds - hours * 3600 - minutes * 60;
    Append(out, hours <= 99 ? "%s%02lld:%02lld:%02lld" : "%s%lld:%02lld:%02lld", leadingBlank ? " " : "", hours, minutes,
           rest);
}

// Every flagged number from first to last as "%02d" joined by ",", or "None".
void AppendNumberList(std::string* out, const unsigned char* flags, int first, int last)
{
    int written = 0;
    for (int n = first; flags != nullptr && n <= last; ++n) {
        if (flags[n] != 1) continue;
        Append(out, written ? ",%02d" : "%02d", n);
        ++written;
    }
    if (!written) *out += "None";
}

void AppendOffsetSlot(std::string* out, int slot)
{
    const WorkOffsetEntry& o = g_WorkOffsets[slot];
    Append(out, "(%9.3f,%9.3f,%9.3f,%9.3f,%9.3f)", o.axis[0], o.axis[1], o.axis[2], o.axis[3], o.axis[4]);
}

void AppendExtent(std::string* out, const Keyword& k)
{
    const CheckExtentBox* boxes[6] = {&g_CheckExtentsMachine, &g_CheckExtentsMachine, &g_CheckExtentsWork,
                                      &g_CheckExtentsCutMachine, &g_CheckExtentsCutMachine, &g_CheckExtentsCutWork};
    const CheckExtentBox* box = boxes[k.box];
    double value = k.isMax ? box->max[k.axis] : box->min[k.axis];
    if (k.box == BOX_MACHINE_LESS_OFFSET || k.box == BOX_CUT_LESS_OFFSET) value -= g_WorkOffsets[0].axis[k.axis];
    Append(out, "%9.3f", value);
}

// The step rows of "$EP_INFO".
void AppendStepRows(std::string* out, int commaForm)
{
    int steps = g_MachineStepCount;
    if (steps > MACHINING_STEP_SLOTS - 1) steps = MACHINING_STEP_SLOTS - 1;
    for (int k = 1; k <= steps; ++k) {
        const int tool = g_StepToolNumbers[k];
        const long long seconds = Rounded(g_StepTimes[k]);
        if (commaForm) {
            Append(out, tool < 100 ? "%d,T%02d," : "%d,T%3d,", k, tool);
            AppendClock(out, seconds, 0);
        } else {
            Append(out, tool < 100 ? "%3d | T%02d  |" : "%3d | T%3d |", k, tool);
            AppendClock(out, seconds, 1);
        }
        *out += "\n";
    }
}

// The decimal integer right after a keyword; *length := its digits (0: none, the value is then -1).
long long ReadKeywordNumber(const char* text, int* length)
{
    long long value = 0;
    int n = 0;
    while (std::isdigit(static_cast<unsigned char>(text[n])) && n < 18) {
        value = value * 10 + (text[n] - '0');
        ++n;
    }
    *length = n;
    return n > 0 ? value : -1;
}

void AppendFileSize(std::string* out)
{
    const int64_t size = GetFileSizeBytes(g_NcFilePath);
    const uint64_t bytes = size > 0 ? static_cast<uint64_t>(size) : 0;
    if (bytes < (1ULL << 32)) {
        Append(out, "%9u", static_cast<unsigned>(bytes));
    } else {
        Append(out, "%llu", static_cast<unsigned long long>(bytes));
    }
}

// Writes the value of keyword k; *consumed := characters taken after the keyword text ($G5 / $WK).
void AppendKeywordValue(std::string* out, const Keyword& k, const char* after, int commaForm, int* consumed)
{
    *consumed = 0;
    switch (k.id) {
    case KW_DCODE: AppendNumberList(out, g_DUsedFlags, 1, USAGE_FLAG_COUNT - 1); break;
    case KW_HCODE: AppendNumberList(out, g_HUsedFlags, 1, USAGE_FLAG_COUNT - 1); break;
    case KW_TCODE: AppendNumberList(out, g_ToolUsedFlags, 1, g_MaxMagazine); break;
    case KW_GCODEW:
        AppendNumberList(out, g_UsedGCodes, 54, 59);
        for (int n = 54; n <= 59; ++n) g_UsedGCodes[n] = 0;
        break;
    case KW_GCODE: AppendNumberList(out, g_UsedGCodes, 0, USED_CODE_TABLE_SIZE - 1); break;
    case KW_MCODE: AppendNumberList(out, g_UsedMCodes, 0, USED_CODE_TABLE_SIZE - 1); break;
    case KW_NC: *out += g_NcFilePath; break;
    case KW_TTL: *out += g_ToolTableFilePath; break;
    case KW_CTL: *out += g_ControllerFilePath; break;
    case KW_MTL: *out += g_MachineFilePath; break;
    case KW_LENR: AppendNumber(out, 7, Rounded(g_CheckRapidSpeedLength)); break;
    case KW_LENF: AppendNumber(out, 7, Rounded(g_CheckCutLength)); break;
    case KW_LEN1: AppendNumber(out, 7, Rounded(g_CheckRapidLength)); break;
    case KW_LEN2: AppendNumber(out, 7, Rounded(g_CheckFeedPathLength)); break;
    case KW_LEN: AppendNumber(out, 7, Rounded(g_CheckFeedPathLength) + Rounded(g_CheckRapidLength)); break;
    case KW_EP_INFO: AppendStepRows(out, commaForm); break;
    case KW_TIMER: AppendNumber(out, 7, Rounded(g_CheckRapidSpeedTime)); break;
    case KW_TIMEF: AppendNumber(out, 7, Rounded(g_CheckCutTime)); break;
    case KW_TIME1: AppendNumber(out, 7, Rounded(g_CheckNonCutTime)); break;
    case KW_TIME2: AppendNumber(out, 7, Rounded(g_CheckFeedTime)); break;
    case KW_TIME: AppendNumber(out, 7, Rounded(g_CheckFeedTime) + Rounded(g_CheckNonCutTime)); break;
    case KW_TIMR: AppendClock(out, Rounded(g_CheckRapidSpeedTime), 1); break;
    case KW_TIMF: AppendClock(out, Rounded(g_CheckCutTime), 1); break;
    case KW_TIM1: AppendClock(out, Rounded(g_CheckNonCutTime), 1); break;
    case KW_TIM2: AppendClock(out, Rounded(g_CheckFeedTime), 1); break;
    case KW_TIM: AppendClock(out, Rounded(g_CheckFeedTime) + Rounded(g_CheckNonCutTime), 1); break;
    case KW_EXTENT: AppendExtent(out, k); break;
    case KW_MAXS: AppendNumber(out, 8, DropFraction(g_CheckMaxSpindleSpeed)); break;
    case KW_MAXF2: AppendNumber(out, 7, DropFraction(g_CheckMaxCutFeed)); break;
    case KW_MAXF: AppendNumber(out, 7, DropFraction(g_CheckMaxFeed)); break;
    case KW_MINF: AppendNumber(out, 7, DropFraction(g_CheckMinFeed)); break;
    case KW_RAPIDFEEDRATE:
        if (g_RapidFeedrate == 999999999.0) {
            *out += "NO";
        } else {
            AppendNumber(out, 7, DropFraction(g_RapidFeedrate));
        }
        break;
    case KW_RAPIDFX: AppendNumber(out, 7, DropFraction(g_RapidFeedRates[0])); break;
    case KW_RAPIDFY: AppendNumber(out, 7, DropFraction(g_RapidFeedRates[1])); break;
    case KW_RAPIDFZ: AppendNumber(out, 7, DropFraction(g_RapidFeedRates[2])); break;
    case KW_SIZE: AppendFileSize(out); break;
    case KW_LINES: AppendNumber(out, 8, g_CheckLineCount); break;
    case KW_EXOFS: AppendOffsetSlot(out, 0); break;
    case KW_G5: {
        const long long n = ReadKeywordNumber(after, consumed);
        if (n >= 4 && n <= 9) AppendOffsetSlot(out, static_cast<int>(n - 3));
        break;
    }
    case KW_WK: {
        const long long n = ReadKeywordNumber(after, consumed);
        if (n >= 0 && n < WORK_OFFSET_COUNT) AppendOffsetSlot(out, static_cast<int>(n));
        break;
    }
    case KW_VOLUME: Append(out, "%.3f", ComputeRemovedVolume()); break;
    default: break;
    }
}

int MatchesAt(const char* text, const std::string& keyword)
{
    for (size_t k = 0; k < keyword.size(); ++k) {
        if (text[k] == '\0') return 0;
        if (std::toupper(static_cast<unsigned char>(text[k])) != keyword[k]) return 0;
    }
    return 1;
}

void AppendFixedBlock(std::string* out)
{
    const int english = g_EnglishUi != 0;
    Append(out, english ? "<<< \"%s\" Cutting Information >>>\n" : "<<< \"%s\" の加工情報出力 >>>\n", g_NcFilePath);
    *out += english ? "※:\"verify_form.def\" is not found.\n"
                    : "※:\"verify_form.def\"が見つかりません。一部適当に出力しておきます。\n";
    Append(out, english ? "Length of Rapid Path:%7lld\n" : "早送り長さ:%7lld\n", Rounded(g_CheckRapidLength));
    Append(out, english ? "Length of Feed Path:%7lld\n" : "切削送り長さ:%7lld\n", Rounded(g_CheckFeedPathLength));
    Append(out, english ? "Time:%7lld\n" : "全加工時間:%7lld\n", Rounded(g_CheckFeedTime) + Rounded(g_CheckNonCutTime));
    // The stored components shown as X, Y and Z by the controller's axis order.
    const int x = g_AxisOrderFirst, y = g_AxisOrderSecond, z = g_AxisOrderNormal;
    const CheckExtentBox& box = g_CheckExtentsMachine;
    Append(out, english ? "Maximum X:%9.3f ,Y:%9.3f ,Z:%9.3f\n" : "最大 X:%9.3f ,Y:%9.3f ,Z:%9.3f\n", box.max[x], box.max[y],
           box.max[z]);
    Append(out, english ? "Minimum X:%9.3f ,Y:%9.3f ,Z:%9.3f\n" : "最小 X:%9.3f ,Y:%9.3f ,Z:%9.3f\n", box.min[x], box.min[y],
           box.min[z]);
}

FILE* OpenTemplate()
{
    FILE* file = std::fopen(kVerifyTemplateName, "r");
    if (file != nullptr) return file;
    const std::string path = std::string(g_ProgramFolder) + kVerifyTemplateName;
    return std::fopen(path.c_str(), "r");
}

// The report's text: the template copied with its keywords replaced, or the fixed block.
std::string BuildReportText()
{
    std::string out;
    FILE* form = OpenTemplate();
    if (form == nullptr) {
        AppendFixedBlock(&out);
        return out;
    }
    char line[VERIFY_TEMPLATE_LINE_SIZE];
    int commas = -1;
    while (std::fgets(line, sizeof line, form) != nullptr) commas = CopyVerifyTemplateLine(line, commas, &out);
    std::fclose(form);
    return out;
}

void ShowWriteProtect(WindowHandle window, const std::string& path)
{
    ShowUiMessageBox(window, g_EnglishUi ? "Write protect" : "書き込み保護されています", path.c_str(), MB_OK | MB_TOPMOST);
}

// Writes text as the report: appended, or anew through a temporary name. A missing report folder is
// created once. 0 when the report could not be written (the message was shown).
int WriteReportFile(WindowHandle window, const std::string& path, const std::string& text)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt == 1) {
            if (g_VerifyFolder[0] == '\0' || !CreateFolder(g_VerifyFolder)) break;
        }
        if (g_VerifyCreateAppend == 1) {
            FILE* file = std::fopen(path.c_str(), "a");
            if (file == nullptr) continue;
            const size_t written = std::fwrite(text.data(), 1, text.size(), file);
            const int closed = std::fclose(file) == 0;
            if (written == text.size() && closed) return 1;
            break;
        }
        FileRewrite rewrite;
        if (!BeginFileRewrite(path.c_str(), &rewrite)) continue;
        if (std::fwrite(text.data(), 1, text.size(), rewrite.stream) != text.size()) {
            AbortFileRewrite(&rewrite);
            break;
        }
        if (CommitFileRewrite(&rewrite)) return 1;
        break;
    }
    ShowWriteProtect(window, path);
    return 0;
}

}  // namespace

std::string FormatClockText(long long seconds)
{
    std::string out;
    AppendClock(&out, seconds, 1);
    return out;
}

std::string MakeVerificationReportPath()
{
    std::string path;
    if (g_VerifyNamingAuto == 2) {
        path = g_NcFilePath;
        size_t cut = path.size();
        for (size_t k = path.size(); k > 0; --k) {
            const char c = path[k - 1];
            if (c == '\\' || c == '/') break;
            if (c == '.') {
                cut = k - 1;
                break;
            }
        }
        path.resize(cut);
        path += "_verify.";
    } else {
        char joined[SETTINGS_PATH_SIZE + 16];
        JoinPath(g_VerifyFolder, "verify.", joined, sizeof joined);
        path = joined;
    }
    return path + g_VerifySuffix;
}

int CopyVerifyTemplateLine(const char* line, int previousCommas, std::string* out)
{
    const size_t length = std::strlen(line);
    int commas = 0;
    for (size_t k = 0; k < length; ++k) commas += line[k] == ',';
    const int commaForm = previousCommas == 2;
    const std::vector<Keyword>& keywords = Keywords();
    size_t cursor = 0;
    for (;;) {
        const char* dollar = std::strchr(line + cursor, '$');
        if (dollar == nullptr) {
            out->append(line + cursor);
            return commas;
        }
        const size_t at = static_cast<size_t>(dollar - line);
        out->append(line + cursor, at - cursor);
        cursor = at + 2;  // a "$" that begins no keyword goes with the character after it
        for (const Keyword& k : keywords) {
            if (k.id == KW_GCODEW && g_DialectCode != 0) continue;
            if (!MatchesAt(dollar, k.text)) continue;
            int consumed = 0;
            AppendKeywordValue(out, k, dollar + k.text.size(), commaForm, &consumed);
            cursor = at + k.text.size() + static_cast<size_t>(consumed);
            break;
        }
        if (cursor >= length) {
            *out += "\n";
            return commas;
        }
    }
}

void WriteVerificationReport(WindowHandle window, int quiet)
{
    const std::string path = MakeVerificationReportPath();
    // The report is built first, so the file is written at once and a failure leaves no half report.
    const std::string text = BuildReportText();
    if (!WriteReportFile(window, path, text)) return;
    if (quiet == 0) OpenWithDefaultApplication(path.c_str());
}
