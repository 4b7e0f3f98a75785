// Definitions of the block interpreter's word memories and vector-mode tool axes, and their reset.
#include "nc/block_state.h"

#include <cstring>

#include "nc/interpreter_state.h"

int g_DWordNumber;
int g_FWordNumber;
int g_ProgramNumber;
int g_SequenceNumber;
int g_WWordNumber;
int g_SpindleSpeedWord;
double g_ModalFeed;
int g_CompensationSide;
double g_CompensationValue;
double g_CycleInitialLevel;
int g_CycleIncrementalMode;
int g_RigidTapBlock;
double g_RigidTapFeed;
double g_RigidTapSpeed;
int g_NoCycleBlock;
int g_CornerArcBlock;
int g_OspCoordinateSelectMode;
int g_TiltedPlaneMWord;
int g_TiltedPlaneQWord;
unsigned char g_UsedGCodes[USED_CODE_TABLE_SIZE] = {};
unsigned char g_UsedMCodes[USED_CODE_TABLE_SIZE] = {};
double g_QParameters[Q_PARAMETER_COUNT];
double g_ToolAxisEnd[3];
double g_ToolAxisAtSwitchOn[3];

void ResetBlockState()
{
    g_DWordNumber = 0;
    g_FWordNumber = 0;
    g_ProgramNumber = 0;
    g_SequenceNumber = 0;
    g_WWordNumber = 0;
    g_SpindleSpeedWord = 0;
    g_ModalFeed = 0.0;
    g_CompensationSide = 0;
    g_CompensationValue = 0.0;
    g_CycleInitialLevel = 0.0;
    g_CycleIncrementalMode = 0;
    g_RigidTapBlock = 0;
    g_RigidTapFeed = 0.0;
    g_RigidTapSpeed = 0.0;
    g_NoCycleBlock = 0;
    g_CornerArcBlock = 0;
    g_OspCoordinateSelectMode = 0;
    g_TiltedPlaneMWord = 0;
    g_TiltedPlaneQWord = 0;
    std::memset(g_QParameters, 0, sizeof g_QParameters);
    for (int k = 0; k < 3; ++k) {
        g_ToolAxisEnd[k] = k == 2 ? 1.0 : 0.0;
        g_ToolAxisAtSwitchOn[k] = k == 2 ? 1.0 : 0.0;
    }
}

void RaiseWordRangeAlarm(int column)
{
    if (g_NcAlarmCode != NC_ALARM_NONE) return;
    g_NcAlarmCode = NC_ALARM_WORD_OUT_OF_RANGE;
    g_NcAlarmColumn = column;
}

void RaiseToolAxisReachAlarm()
{
    if (g_NcAlarmCode != NC_ALARM_NONE) return;
    g_NcAlarmCode = NC_ALARM_TOOL_AXIS_OUT_OF_REACH;
    g_NcAlarmColumn = 0;
}

void ClearPerBlockFields()
{
    g_FeedValues[1] = 0.0;
    g_ArcLength = 0.0;
    g_CycleRepeatCount = 1;
    g_ToolChangeInProgress = 0;
    g_EorBlock = 0;
    g_SequenceNumber = 0;
    g_SpindleSpeedWord = 0;
    g_ProgramNumber = 0;
    g_ToolCallNumber = 0;
    g_HeidenhainRotaryWord = 0;
    g_MoveChanged = 0;
    g_LastGCode = 0;
    for (int& given : g_AxisWordGiven) given = 0;
    g_LastMCode = -1;
    if (g_ReferenceReturnPhase == 2) g_ReferenceReturnPhase = 0;
}

namespace {
// The program start values of the values above are the reset values: their definitions leave them
// to this call, so each default is written once.
[[maybe_unused]] const int kStartValuesSet = (ResetBlockState(), 1);
}  // namespace
