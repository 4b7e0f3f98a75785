// The check flags and measured lengths of a cutting run and their clearing.
#include "simulation/check_flags.h"

#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/display_settings.h"
#include "nc/interpreter_state.h"
#include "platform/ui/shell_services.h"
#include "simulation/alarms.h"
#include "simulation/cutting.h"

CheckFlags g_CheckFlags;
ToolMeasureResult g_ToolMeasure;
int g_TaperInterferenceCode = 0;
int g_ReportedInterferenceCode = 0;
int g_LastInterferenceCode = 0;
int g_LastHolderTarget = 0;

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

int g_ToolContactState = CONTACT_CUTTING;
unsigned char g_StopReasonFlags[STOP_REASON_COUNT] = {};

const PartPairCheck kPartPairChecks[PART_PAIR_FLAG_COUNT] = {
    {&CheckFlags::toolVsVice, &g_CheckToolVice, 11},
    {&CheckFlags::toolVsTable2, &g_CheckToolTable2, 12},
    {&CheckFlags::toolVsTable1, &g_CheckToolTable1, 13},
    {&CheckFlags::toolVsTable, &g_CheckToolTable, 14},
    {&CheckFlags::toolVsBasic, &g_CheckToolBasic, 17},
    {&CheckFlags::arborVsVice, &g_CheckArborVice, 18},
    {&CheckFlags::arborVsTable2, &g_CheckArborTable2, 19},
    {&CheckFlags::arborVsTable1, &g_CheckArborTable1, 20},
    {&CheckFlags::arborVsTable, &g_CheckArborTable, 21},
    {&CheckFlags::arborVsBasic, &g_CheckArborBasic, 24},
    {&CheckFlags::head2VsWork, &g_CheckHead2Work, 25},
    {&CheckFlags::head2VsVice, &g_CheckHead2Vice, 26},
    {&CheckFlags::head2VsTable, &g_CheckHead2Table, 27},
    {&CheckFlags::head2VsBasic, &g_CheckHead2Basic, 30},
    {&CheckFlags::head1VsWork, &g_CheckHead1Work, 31},
    {&CheckFlags::head1VsVice, &g_CheckHead1Vice, 32},
    {&CheckFlags::head1VsTable1, &g_CheckHead1Table1, 33},
    {&CheckFlags::head1VsTable, &g_CheckHead1Table, 34},
    {&CheckFlags::head1VsBasic, &g_CheckHead1Basic, 37},
    {&CheckFlags::headVsWork, &g_CheckHeadWork, 38},
    {&CheckFlags::headVsVice, &g_CheckHeadVice, 39},
    {&CheckFlags::headVsTable2, &g_CheckHeadTable2, 40},
    {&CheckFlags::headVsTable1, &g_CheckHeadTable1, 41},
    {&CheckFlags::headVsTable, &g_CheckHeadTable, 42},
    {&CheckFlags::headVsBasic, &g_CheckHeadBasic, 45},
};

namespace {

// The sub-step cut the work that takes part in the run.
int HoldsCutCondition()
{
    return g_WorkDefined && g_WorkState == 0 && g_CutInMove >= 1;
}

// The move is a rapid, or its feed reaches the rapid feed rate.
int IsRapidOrTooFast()
{
    return g_MotionKind == MOTION_RAPID || g_FeedValues[0] >= g_RapidFeedrate;
}

void RecordReason(int index)
{
    if (index < 0 || index >= STOP_REASON_COUNT) return;
    g_StopReasonFlags[index] = 1;
    if (g_PauseReasonCount == 0) g_PauseReasonCount = 1;
}

}  // namespace

int IsSpindleOutOfRange()
{
    if (g_SpindleState == 0) return 1;
    if (g_SpindleState != 1 || !g_SpindleCheckLimitsGiven) return 0;
    return g_SpindleSpeed < g_SpindleCheckLimit1 || g_SpindleSpeed > g_SpindleCheckLimit2;
}

int AnyCheckFlagRaised()
{
    for (const PartPairCheck& c : kPartPairChecks) {
        if (g_CheckFlags.*c.flag) return 1;
    }
    return 0;
}

int IsStopRequiredByChecks()
{
    const CheckFlags& f = g_CheckFlags;
    if (HoldsCutCondition()) {
        if (g_InterferenceCheck == 1 && IsRapidOrTooFast()) return 1;
        if (g_ArborCheck == 3 && (f.taper || f.attachment || f.arbor)) return 1;
        if (g_HeightCheck == 2 && f.length) return 1;
        if (g_ChipWidthCheck == 2 && f.chip) return 1;
        if (g_SpindleCheck == 1 && IsSpindleOutOfRange()) return 1;
        return 0;
    }
    for (const PartPairCheck& c : kPartPairChecks) {
        if (f.*c.flag && *c.setting == 1) return 1;
    }
    return 0;
}

int RecordStopReasons()
{
    if (!g_StopOnCheck) return 1;
    const CheckFlags& f = g_CheckFlags;
    int recorded = 0;
    auto record = [&recorded](int index) {
        RecordReason(index);
        recorded = 1;
    };
    if (HoldsCutCondition()) {
        if (g_ArborCheck == 4) {
            if (f.taper) {
                record(4);
            } else if (f.attachment) {
                record(6);
            } else if (f.arbor) {
                record(1);
            }
        }
        if (g_HeightCheck == 3 && f.length) record(2);
        if (g_ChipWidthCheck == 3 && f.chip) record(3);
        if (g_SpindleCheck == 2) {
            if (g_SpindleState == 0) {
                record(7);
            } else if (g_SpindleState == 1 && g_SpindleCheckLimitsGiven) {
                if (g_SpindleSpeed < g_SpindleCheckLimit1) {
                    record(8);
                } else if (g_SpindleSpeed > g_SpindleCheckLimit2) {
                    record(9);
                }
            }
        }
        if (g_InterferenceCheck == 2) {
            if (g_MotionKind == MOTION_RAPID) {
                record(0);
            } else if (g_FeedValues[0] >= g_RapidFeedrate) {
                record(5);
            }
        }
    }
    for (const PartPairCheck& c : kPartPairChecks) {
        if (*c.setting == 2 && f.*c.flag) record(c.alarm + 7);
    }
    return recorded && !IsStopRequiredByChecks() ? 0 : 1;
}

void ShowAlarmForRaisedFlag(WindowHandle window)
{
    int code = ALARM_TOOL_DAMAGED;
    for (const PartPairCheck& c : kPartPairChecks) {
        if (g_CheckFlags.*c.flag) {
            code = c.alarm;
            break;
        }
    }
    ShowAlarm(window, 0, g_NcFilePath, code);
}
