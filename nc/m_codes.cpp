// M words (spindle, tool change, program end in memory, sub-program calls and returns, the OSP and
// HEIDENHAIN M codes) and the GOTO jump of a program run from memory.
#include <cstdio>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "nc/block_interpreter.h"
#include "nc/interpreter_state.h"
#include "nc/block_state.h"
#include "nc/gm_codes.h"
#include "nc/gm_codes_internal.h"
#include "nc/nc_line_reader.h"
#include "nc/nc_words.h"
#include "nc/subprogram_calls.h"
#include "nc/subprograms.h"
#include "nc/tool_change_route.h"
#include "machine_setup/tools/tool_length_reference.h"

namespace {

// M98 / M198 directly before "<" (at open): file call with the name between "<" and ">"; the scan
// ends. 0 when the word has no complete "<name>".
int ReadFileCallWord(int open, const char* line)
{
    if (open < 0 || line[open] != '<') return 0;
    const char* close = std::strchr(line + open + 1, '>');
    if (close == nullptr) return 0;
    char name[256];
    const int length = (int)(close - (line + open + 1));
    if (length <= 0) return 1;  // no name: no call, the scan ends
    if (length >= (int)sizeof name) {
        // No file can have this name: the call finds nothing.
        if (g_SubprogramDepth < MAX_CALL_LEVELS && g_NcAlarmCode == 0) g_NcAlarmCode = NC_ALARM_SUBPROGRAM_NOT_FOUND;
        return 1;
    }
    std::memcpy(name, line + open + 1, (size_t)length);
    name[length] = '\0';
    CallSubprogramFile(name, -1);
    return 1;
}

// M02 / M30 of a program in memory: end of the input.
void EndInputFromMemory()
{
    g_NcRunState = NC_RUN_INPUT_ENDED;
    if (g_LookaheadCount == 0) {
        g_NcRunState = NC_RUN_FINISHED;
        if (g_DialectHeidenhain) CheckRotaryTurnOver360(0);
    }
}

int ApplyHeidenhainMCode(int code)
{
    switch (code) {
    case 99: {
        g_CannedCycleCode = g_DefinedCycleCode;
        g_CycleRepeatCount = 1;
        g_CycleAxisWordSeen = 1;
        g_LastMCode = 0;
        g_CycleInitialLevel = g_NcPreviousPosition.axis[g_PlaneNormalAxis];
        g_FeedValues[0] = g_HeidenhainCycleParameters.plungeFeed;
        return WORD_SCAN_GOES_ON;
    }
    case 126: CheckRotaryTurnOver360(1); return WORD_SCAN_GOES_ON;
    case 127: CheckRotaryTurnOver360(0); return WORD_SCAN_GOES_ON;
    case 128:
        g_LastGCode = 43;
        if (g_ToolCentreModeAtStart == 0) g_ToolCentreMode = 1;
        g_ToolLengthCompOn = 1;
        g_ToolCentreOn = 1;
        ComputeToolLengthReference();
        for (int a = AXIS_ROTARY1; a <= AXIS_ROTARY2; ++a) {
            g_NcMoveEnd.axis[a] = g_ControlPoint.axis[a];
            g_NcTargetPosition.axis[a] = g_ControlPoint.axis[a];
        }
        UpdateStatusWhileRunning();
        return WORD_SCAN_ENDS;
    case 129:
        g_LastGCode = 49;
        if (g_ToolLengthCompOn && g_G49Mode == 1) g_CoordinateShiftState = 1;
        g_ToolCentreMode = g_ToolCentreModeAtStart;
        UpdateStatusWhileRunning();
        UpdateMenuChecks();
        g_ToolLengthOffset = 0.0;
        return WORD_SCAN_ENDS;
    default: return WORD_SCAN_GOES_ON;
    }
}

int ApplyOspMCode(int code)
{
    if (code >= 52 && code <= 54) {
        static const int levels[3] = {1, 2, 0};
        g_CycleReturnToInitial = levels[code - 52];
    } else if (code == 109 && g_CylindricalInterpolationOn) {
        g_CylindricalInterpolationState = 2;
        g_PlaneCode = 18;
        SelectPlane();
        UpdateStatusWhileRunning();
    }
    return WORD_SCAN_GOES_ON;
}

int ApplyMCode(int code, int open, const char* line)
{
    if (code >= 3 && code <= 5) {
        static const int states[3] = {1, -1, 0};
        g_SpindleState = states[code - 3];
        return WORD_SCAN_GOES_ON;
    }
    if (code == 6) {
        if (g_ToolChangePositionGiven) {
            PrepareToolChangeRoute();
            if (g_ToolChangeRouteSteps > 0) NextToolChangeRouteStep();
        }
        return WORD_SCAN_GOES_ON;
    }
    if ((code == 2 || code == 30) && g_RunFromMemory) {
        EndInputFromMemory();
        return WORD_SCAN_ENDS;
    }
    if ((code == 98 || code == 198) && g_DialectCode == DIALECT_DEFAULT && ReadFileCallWord(open, line)) {
        return WORD_SCAN_ENDS;
    }
    if (g_DialectHeidenhain) return ApplyHeidenhainMCode(code);
    if (code == 99) {
        if (g_SubprogramDepth > 0) {
            ReturnFromSubprogram();
            return WORD_SCAN_ENDS;
        }
        return WORD_SCAN_GOES_ON;
    }
    if (g_DialectOsp) return ApplyOspMCode(code);
    return WORD_SCAN_GOES_ON;
}

}  // namespace

int ReadMWord(int* position, const char* line)
{
    ++*position;
    int open = *position;  // a "<" right behind the digits starts a file name
    while (line[open] >= '0' && line[open] <= '9') ++open;
    int code = 0;
    ReadIntegerWord(position, line, &code);
    if (g_ReportCheckRunning && code >= 0 && code < USED_CODE_TABLE_SIZE) g_UsedMCodes[code] = 1;
    if (g_LastGCode == 682) {
        g_TiltedPlaneMWord = code;
        return WORD_SCAN_GOES_ON;
    }
    g_LastMCode = code;
    return ApplyMCode(code, open, line);
}

int ReadGotoWord(int* position, const char* line)
{
    const int gotoStart = *position - 1;
    if (g_DialectHeidenhain) {
        *position += 3;
        ReadIntegerWord(position, line, &g_LastGCode);
        return WORD_SCAN_GOES_ON;
    }
    const char* firstI = std::strchr(line, 'I');
    if (firstI != nullptr && firstI[1] == 'F' && firstI - line < gotoStart) return WORD_SCAN_ENDS;  // IF ... GOTO
    *position += 3;
    if (g_DialectCode == DIALECT_DEFAULT) {
        int number = -1;
        ReadIntegerWord(position, line, &number);
        g_SequenceSearchNumber = number < 0 ? -1 : number;
        return WORD_SCAN_ENDS;
    }
    if (g_DialectOsp) {
        const char* n = std::strchr(line + *position, 'N');
        if (n == nullptr) return WORD_SCAN_ENDS;
        char name[6] = {};
        std::strncpy(name, n + 1, 5);
        CutAtNonAlphanumeric(name, 5);
        std::memcpy(g_SequenceSearchName, name, sizeof name);
        if (name[0] != '\0') g_SequenceSearchNumber = 1;
    }
    return WORD_SCAN_ENDS;
}
