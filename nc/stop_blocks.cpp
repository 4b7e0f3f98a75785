// Stop blocks (IsProgramStopBlock), the "QUMBRA:" directive comments and the end of the NC alarm list.
#include "nc/stop_blocks.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "nc/interpreter_state.h"
#include "platform/ui/progress.h"
#include "nc/reader_plugin.h"
#include "platform/os/process.h"

char g_SnapshotBaseName[256] = {};
int g_MachineStepCount = 0;
int g_StepCutMarks[MACHINING_STEP_SLOTS] = {};
int g_StepToolNumbers[MACHINING_STEP_SLOTS] = {};

namespace {

const char kDirectivePrefix[] = "QUMBRA:";
const char* const kSaveEachProcess[] = {"SAVE WORK AT EACH PROCESS", "SAVE DME AT EACH PROCESS"};

int IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Stop mode 4: the first of the controller's stop words found in the line.
int HasStopWord(const char* line)
{
    if (g_ActiveReaderPlugin >= 0) return 0;
    const int count = g_StopPatternCount < STOP_PATTERN_SLOTS ? g_StopPatternCount : STOP_PATTERN_SLOTS;
    for (int k = 0; k < count; ++k) {
        if (g_StopPatterns[k][0] != '\0' && std::strstr(line, g_StopPatterns[k]) != nullptr) return 1;
    }
    return 0;
}

// 1 when the M at line[k] counts in this mode (HEIDENHAIN: only M0, or M0 and M1 with optional stops).
int CountsAsStopM(const char* line, int k, int optional)
{
    if (!g_DialectHeidenhain) return 1;
    const char next = line[k + 1];
    return next == '0' || (optional && next == '1');
}

// Stop modes 1 and 2: the value of the last M word of the line, -1 none. Comments go to the NC tool
// plug-in and the directive check on the way.
int FindLastMValue(const char* line, int optional)
{
    const int length = (int)std::strlen(line);
    int value = -1;
    int k = 0;
    while (k < length - 1) {
        const char c = line[k];
        if (c == 'M' && CountsAsStopM(line, k, optional)) {
            int j = k + 1;
            int number = 0;
            while (line[j] >= '0' && line[j] <= '9' && number < 100000) number = number * 10 + (line[j++] - '0');
            value = number;
            if (IsLetter(line[j])) break;  // a letter right behind the number ends the scan
            while (j < length && !IsLetter(line[j]) && line[j] != '(' && line[j] != '\n') ++j;
            k = j;
        } else if (c == '(') {
            if (g_ActiveReaderPlugin < 0) CallNcToolPlugin(line);
            CheckNcDirectiveComment(line + k + 1);
            const char* close = std::strchr(line + k + 1, ')');
            k = close != nullptr ? (int)(close - line) + 1 : length;
        } else if (c == ';' && (g_DialectSiemens || g_DialectHeidenhain)) {
            CheckNcDirectiveComment(line + k + 1);
            break;
        } else {
            ++k;
        }
    }
    return value;
}

// The snapshot base name: the NC path without the extension of its file name.
void SetSnapshotBaseName()
{
    std::strncpy(g_SnapshotBaseName, g_NcFilePath, sizeof g_SnapshotBaseName - 1);
    g_SnapshotBaseName[sizeof g_SnapshotBaseName - 1] = '\0';
    for (int k = (int)std::strlen(g_SnapshotBaseName) - 1; k >= 0; --k) {
        const char c = g_SnapshotBaseName[k];
        if (c == '\\' || c == '/') return;  // the file name has no extension
        if (c == '.') {
            g_SnapshotBaseName[k] = '\0';
            return;
        }
    }
}

}  // namespace

int IsProgramStopBlock(const char* line)
{
    if (g_StopAtNextBlock || g_PauseRequest) {
        g_StopAtNextBlock = 0;
        return 1;
    }
    if (line == nullptr) return 0;
    switch (g_StopMode) {
    case STOP_SINGLE: return 1;
    case STOP_DEFINE: return HasStopWord(line);
    case STOP_NORMAL:
    case STOP_M01: {
        const int optional = g_StopMode == STOP_M01;
        if (g_ActiveReaderPlugin >= 0) return 0;
        if (optional ? std::strchr(line, 'M') == nullptr : std::strstr(line, "M0") == nullptr) return 0;
        const int value = FindLastMValue(line, optional);
        return value == 0 || (optional && value == 1);
    }
    default: return 0;
    }
}

void CheckNcDirectiveComment(const char* text)
{
    if (g_RunMode == 0 || text == nullptr) return;
    const size_t length = sizeof kDirectivePrefix - 1;
    if (text[0] == ' ') ++text;
    if (strncasecmp(text, kDirectivePrefix, length) == 0) ApplySaveEachProcessDirective(text + length);
}

int ApplySaveEachProcessDirective(const char* text)
{
    if (text == nullptr) return 1;
    int known = 0;
    for (const char* directive : kSaveEachProcess) {
        if (strncasecmp(text, directive, std::strlen(directive)) == 0) known = 1;
    }
    if (!known) return 1;
    g_MachineStepCount = 0;
    std::memset(g_StepCutMarks, 0, sizeof g_StepCutMarks);
    std::memset(g_StepToolNumbers, 0, sizeof g_StepToolNumbers);
    g_StepToolNumbers[0] = g_SpindleToolNumber;
    g_SnapshotPerStep = 1;
    SetSnapshotBaseName();
    return 0;
}

void CloseAlarmFile()
{
    g_RadiusOffsetAlarm = 0;
    if (g_AlarmListFile == nullptr) return;
    std::fclose(g_AlarmListFile);
    g_AlarmListFile = nullptr;
    if (!g_SilentMode && g_RadiusCheckList == 2) OpenWithDefaultApplication(kAlarmListFileName);
}
