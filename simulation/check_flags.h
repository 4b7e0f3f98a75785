// The flags that the checks of one cutting sub-step raise (CheckFlags), the lengths measured for
// the tool-length result of the current tool (ToolMeasureResult), the interference codes the
// reports print, and their clearing. The stop rules that read them come with the run thread.
#pragma once
#include "platform/ui/ui_types.h"

// One int per check: 1 when the check fired in the current sub-step. Written by the thread that
// moves the tool (simulation thread in a run, UI thread for jogs); the frame reads it after the run.
struct CheckFlags {
    int arbor;        // holder touched the work (CutWorkAlongMove)
    int length;       // material removed above the cutting length (length check)
    int chip;         // chip width check
    int taper;        // neck section touched the work (CutWorkAlongMove)
    int attachment;   // another mounted tool touched (mounted-tool check)
    int limit;        // cutting-condition limit (kinds 1 and 2)
    int toolVsVice, toolVsTable2, toolVsTable1, toolVsTable, toolVsBasic;
    int arborVsVice, arborVsTable2, arborVsTable1, arborVsTable, arborVsBasic;
    int head2VsWork, head2VsVice, head2VsTable, head2VsBasic;
    int head1VsWork, head1VsVice, head1VsTable1, head1VsTable, head1VsBasic;
    int headVsWork, headVsVice, headVsTable2, headVsTable1, headVsTable, headVsBasic;
};

// Lengths (mm) measured during a run for the tool-length result line of the current tool; running
// values over the sub-steps of one tool. Written by the thread that cuts.
struct ToolMeasureResult {
    double length;              // needed protrusion out of the holder
    double height;              // depth cut with the part that may not cut (HEIGHT CHECK OUTPUT)
    double tipW;                // chip width at the tip of a vertical tool (CHIP-W CHECK OUTPUT)
    double centerH;             // centre height of a radius mill (CHIP-W CHECK OUTPUT)
    double lu;                  // length needed below the neck
    double lt;                  // taper length needed; negative: not possible
    double holderSearchLength;  // holder search position (protrusion + g_HolderHeightAboveTool)
};

extern CheckFlags g_CheckFlags;
extern ToolMeasureResult g_ToolMeasure;
extern int g_TaperInterferenceCode;     // InterferenceCode of the taper part (printed with the lengths)
extern int g_ReportedInterferenceCode;  // InterferenceCode of the holder or head (printed likewise)
extern int g_LastInterferenceCode;      // last head check at a given position
extern int g_LastHolderTarget;          // target (0..9) of the last holder check at a position

// Every flag (LIMIT included) := 0; also g_CutInMove, g_LastInterferenceCode, g_LastHolderTarget.
void ClearCheckFlags();
// Every ToolMeasureResult value := 0 (start of a run, after each tool's result line).
void ClearToolMeasureResult();

// --- Stop rules -----------------------------------------------------------------------------------

// ToolContactState of the sub-step just run (g_ToolContactState).
enum ToolContactStateCode {
    CONTACT_RAPID_OR_TOOL_CHANGE = 0,  // rapid move without cutting, or just after a tool change
    CONTACT_CUTTING = 1,
    CONTACT_FEED_WITHOUT_CUT = 2,
    CONTACT_CHECK_FIRED = 4            // a check fired in this sub-step
};
extern int g_ToolContactState;         // written by the simulation thread; 1 at the start of a run

// Reasons a pause was recorded since the last interference report (StopReasonFlags): one byte per
// index (0 rapid, 1 ARBOR, 2 LENGTH, 3 CHIP, 4 TAPER, 5 too fast, 6 ATTACHMENT, 7 spindle stopped,
// 8 low spindle, 9 over spindle, alarm + 7 for a part pair). With g_PauseReasonCount (interpreter_state.h).
constexpr int STOP_REASON_COUNT = 54;
extern unsigned char g_StopReasonFlags[STOP_REASON_COUNT];

// The part-pair checks in the order of their alarms: flag, setting and alarm number (reason = alarm + 7).
struct PartPairCheck {
    int CheckFlags::*flag;
    int* setting;
    int alarm;
};
constexpr int PART_PAIR_FLAG_COUNT = 25;
extern const PartPairCheck kPartPairChecks[PART_PAIR_FLAG_COUNT];

// 1 when any part-pair flag is raised (ARBOR, TAPER, LENGTH, CHIP, ATTACHMENT and LIMIT are not pairs).
int AnyCheckFlagRaised();
// 1 when a raised check is in its stop setting.
int IsStopRequiredByChecks();
// Records the pause reasons of the sub-step; 0 the run may go on (pause), 1 it must stop.
int RecordStopReasons();
// Shows the alarm of the first raised part-pair flag (TOOL, ARBOR, HEAD2, HEAD1, HEAD in target
// order), or alarm 1 when none is raised, in a message box owned by window.
void ShowAlarmForRaisedFlag(WindowHandle window);
// 1 when the spindle fails the spindle check: stopped, or turning forward outside the given limits.
int IsSpindleOutOfRange();
