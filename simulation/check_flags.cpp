// The check flags and measured lengths of a cutting run and their clearing.
#include "simulation/check_flags.h"

#include "simulation/cutting.h"

CheckFlags g_CheckFlags;
ToolMeasureResult g_ToolMeasure;
int g_TaperInterferenceCode = 0;
int g_ReportedInterferenceCode = 0;
int g_LastInterferenceCode = 0;
int g_LastHolderTarget = 0;
unsigned char g_StopReasonFlags[STOP_REASON_COUNT] = {};
int g_ToolContactState = 1;

void ClearCheckFlags()
{
    g_CheckFlags = CheckFlags{};
    g_CutInMove = 0;
    g_LastInterferenceCode = 0;
    g_LastHolderTarget = 0;
}

void ClearToolMeasureResult()
{
    g_ToolMeasure = ToolMeasureResult{};
}
