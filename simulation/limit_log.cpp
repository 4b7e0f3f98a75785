// The cutting-condition limit log: opened for the first logging tool of a run, one line per sub-step
// that exceeds a logging limit.
#include "simulation/limit_log.h"

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/interpreter_state.h"
#include "work_model/file_routines.h"

FILE* g_LimitLogFile = nullptr;
int g_LimitLogKind = 0;
int g_LimitLogLines = 0;

void OpenToolLimitLog(int tool)
{
    if (g_ToolLimitTable == nullptr || tool < 0 || tool >= g_ToolArrayCapacity) return;
    const int kind = g_ToolLimitTable[tool].kind;
    const char* name = nullptr;
    int logKind = 0;
    if (kind == LIMIT_PLAIN_LOG) {
        name = kLimitLogAreaFileName;
        logKind = 1;
    } else if (kind == LIMIT_S_LOG) {
        name = kLimitLogRateFileName;
        logKind = 2;
    } else {
        return;
    }
    FILE* file = OpenFile(name, "w");
    if (file == nullptr) return;
    g_LimitLogKind = logKind;
    g_LimitLogLines = 0;
    g_LimitLogFile = file;
}

void WriteLimitLogLine(double value)
{
    if (g_LimitLogFile == nullptr) return;
    const double* tip = g_ToolTipPoint;
    const double r1 = g_MachinePosition.axis[AXIS_ROTARY1], r2 = g_MachinePosition.axis[AXIS_ROTARY2];
    const int depth = g_SubprogramDepth;
    if (depth > 0 && depth <= 4) {
        std::fprintf(g_LimitLogFile, "%s:%d:X%fY%fZ%f%c%f%c%f:%f", g_SubprogramCallNames[depth - 1],
                     g_SubprogramLineCount[depth - 1], tip[0], tip[1], tip[2], g_Rotary1Letter, r1,
                     g_Rotary2Letter, r2, value);
    } else {
        std::fprintf(g_LimitLogFile, "%d:X%fY%fZ%f%c%f%c%f:%f", g_NcLineNumber, tip[0], tip[1], tip[2],
                     g_Rotary1Letter, r1, g_Rotary2Letter, r2, value);
    }
    std::fputs("(A)\n", g_LimitLogFile);
    ++g_LimitLogLines;
}
