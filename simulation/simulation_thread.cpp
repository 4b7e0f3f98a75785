// The simulation thread: run set-up, the block loop with its stop test, block display, tool changes
// and per-step snapshots, the blocks settled before the move, the move and the end of the run.
#include "simulation/simulation_thread.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/machine/forward_kinematics.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/tool_length_reference.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/block_end_position.h"
#include "nc/interpreter_state.h"
#include "nc/motion_delivery.h"
#include "nc/nc_line_reader.h"
#include "nc/reader_plugin.h"
#include "nc/stop_blocks.h"
#include "nc/subprograms.h"
#include "nc/tool_change_route.h"
#include "platform/os/clock.h"
#include "platform/os/paths.h"
#include "platform/ui/event_core.h"
#include "platform/ui/repaint_requests.h"
#include "platform/ui/shell_services.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "simulation/limit_log.h"
#include "simulation/move_stepping.h"
#include "simulation/run_display.h"
#include "simulation/run_state.h"
#include "simulation/tool_length_results.h"
#include "simulation/warning_file.h"
#include "work_model/dexel_intervals.h"
#include "work_model/file_routines.h"
#include "work_model/work_files.h"
#include "work_model/work_model.h"
#include "work_model/work_values.h"

double g_RunStartAxes[5] = {};
SavedMachineState g_LastRunState = {-1, {{0.0}}, {{0.0}}, {{0.0}}, {0.0, 0.0, 0.0}, {0.0, 0.0, 1.0}};
int g_RunEnded = 0;
int g_AlarmPositionSaved = 0;
int g_LastRedrawLine = 0;
int g_PreviousTool = 0;
char g_CurrentBlockText[256] = "";
char g_WorkSavePath[WORK_SAVE_PATH_SIZE] = "";
int g_RealCutDisplayMove = 0;
int g_RapidCheckActive = 0;
double g_RotaryRadii[2] = {1.0, 1.0};
double g_PrevRotaryRadii[2] = {1.0, 1.0};
double g_StepLength = 0.0;

int g_LastMoveStepCount = 0;
char g_RunEndMessage[256] = "";
int g_RunRefusedTool = -1;
void (*g_RunCutStepHook)(const RunCutStep* step) = nullptr;

namespace {

// What a pass of the block loop leads to.
enum PassOutcome {
    PASS_NEXT = 0,      // the next block
    PASS_END_RUN = 1,   // the run ends
    PASS_GO_ON = 2      // (settled blocks) the block goes on to the move
};

const int kStopPollMs = 100;

int IsBetweenBlocks()
{
    return g_StepQueueCount == 0 && g_NormalAxisQueueCount == 0 && g_WireTaperQueueCount == 0 &&
           g_LookaheadCount == 0 && g_ReferenceReturnPhase != 1;
}

// The block just fetched, shown in the NC row.
void ShowCurrentBlock()
{
    if (g_RunMode >= 3 && !g_RealCutDisplayMove) return;
    g_NcRowState = 2;
    g_LevelLineNumber = CurrentLineCounter();
    size_t length = std::strlen(g_NcLineBuffer);
    while (length > 0 && (g_NcLineBuffer[length - 1] == '\n' || g_NcLineBuffer[length - 1] == '\r')) --length;
    if (length > sizeof g_CurrentBlockText - 1) length = sizeof g_CurrentBlockText - 1;
    std::memcpy(g_CurrentBlockText, g_NcLineBuffer, length);
    g_CurrentBlockText[length] = '\0';
    if (IsFrameMinimised()) return;
    BeginPanelDraw(g_MainWindow);
    DrawRunNcBlockRow();
    EndPanelDraw(g_MainWindow);
}

void RepaintToolPanel()
{
    if (IsFrameMinimised() || !g_ShowToolPanel || g_ToolPanelWindow == nullptr) return;
    g_RepaintState = 1;
    SendUiMessage(g_ToolPanelWindow, WM_PAINT, 0, 0);
}

// Waits at a stop block until GO; 0 when an abort ended the wait.
int WaitForGo()
{
    StoreRunFlag(g_GoPromptBlink, 1);
    StoreRunFlag(g_RunWaitingForGo, 1);
    while (LoadRunFlag(g_RunWaitingForGo)) {
        if (LoadRunFlag(g_AbortRequest)) return 0;
        SleepMs(kStopPollMs);
    }
    return 1;
}

void SetStepTool()
{
    if (g_MachineStepCount >= 0 && g_MachineStepCount < MACHINING_STEP_SLOTS) {
        g_StepToolNumbers[g_MachineStepCount] = g_SpindleToolNumber;
    }
}

// The snapshot of the step that ends: numbered from 1 with its tool, only when it removed material.
void SavePerStepSnapshot()
{
    if (!g_SnapshotPerStep) return;
    const int k = g_MachineStepCount;
    if (k < 0 || k >= MACHINING_STEP_SLOTS) return;
    if (k == 0 && !g_StepCutMarks[0]) return;
    if (k + 1 >= MACHINING_STEP_SLOTS) return;  // every step slot is used: later steps share the last
    g_MachineStepCount = k + 1;
    if (!g_StepCutMarks[k]) return;
    const int written = std::snprintf(g_WorkSavePath, sizeof g_WorkSavePath, "%s_%03d_T%03d.DME", g_SnapshotBaseName,
                                      k + 1, g_StepToolNumbers[k]);
    if (written < 0 || written >= static_cast<int>(sizeof g_WorkSavePath)) {
        g_WorkSavePath[0] = '\0';  // a name that does not fit is not cut short into another file's name
        return;
    }
    SaveWorkModel(&g_WorkModels[g_CurrentWorkIndex], g_WorkSavePath, 0, g_ExportInWorkCoordinates, g_WorkCoordRotated,
                  g_ActiveWorkInverseRotation, g_ActiveWorkOrigin);
}

void MakeSpindleToolCurrent(int tool)
{
    g_SpindleToolNumber = tool;
    if (SelectCurrentTool(g_SpindleToolNumber, g_WorkPitch) != 1 && g_RunRefusedTool < 0) g_RunRefusedTool = tool;
}

// The tool change of the block: swap (WAIT2 with M6 and a tool call), direct, or pre-select.
void ChangeTool()
{
    if (g_CommandedToolNumber < 0 || g_ToolChangeRouteSteps > 0) return;
    const int m6 = g_LastMCode == 6;
    const int commanded = g_CommandedToolNumber;
    const int swap = g_AtcType == ATC_WAIT2 && m6 && g_ToolCallNumber >= 0;
    const int direct = !swap && (g_AtcType == ATC_DIRECT || m6 || g_AtcType < ATC_WAIT);
    if (!swap && !direct) {
        const int changed = g_SelectedToolNumber != commanded;
        g_SelectedToolNumber = commanded;
        if (changed && !IsFrameMinimised() && g_ShowToolPanel) {
            g_ToolDialogRefresh = 2;
            RepaintToolPanel();
        }
        SetStepTool();
        return;
    }
    const int incoming = swap ? g_SelectedToolNumber : commanded;
    if (incoming >= 0 && incoming < TOOL_LAYOUT_SLOTS && g_ToolLayoutFlags[incoming]) {
        const int s = g_SpindleToolNumber;
        if (s == 0 || (s > 0 && s < TOOL_LAYOUT_SLOTS && g_ToolLayoutFlags[s])) g_ToolChangeInProgress = 1;
        g_PreviousTool = s;
    }
    if (direct) g_SelectedToolNumber = commanded;
    WriteToolLengthResult();
    g_ToolContactState = CONTACT_RAPID_OR_TOOL_CHANGE;
    SavePerStepSnapshot();
    MakeSpindleToolCurrent(incoming);
    if (swap) {
        g_SelectedToolNumber = commanded;
        ApplyForwardKinematics(&g_MachinePosition, g_ToolTipPoint, g_ToolAxisVector);
        RepaintToolPanel();
    } else {
        RepaintToolPanel();
        g_CommandedToolNumber = -1;
        if (g_DialectHeidenhain || g_DialectSiemens) ComputeToolLengthReference();
        ApplyForwardKinematics(&g_MachinePosition, g_ToolTipPoint, g_ToolAxisVector);
    }
    SetStepTool();
}

// (R) The interpreter's positions taken again from the machine position.
void ResynchroniseFromMachine()
{
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
        g_NcMoveStart.axis[a] = g_MachinePosition.axis[a] - g_ActiveWorkOffset.axis[a];
    }
    g_NcMoveEnd = g_NcPreviousPosition = g_NcTargetPosition = g_NcMoveStart;
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
        g_MachinePosition.axis[a] = g_ActiveWorkOffset.axis[a] + g_NcMoveStart.axis[a];
    }
    g_RunStartMachinePosition = g_MachinePosition;
    g_MachineAxisWords = g_MachinePosition;
    g_PendingToolLengthShift = 0.0;
}

// (D) After a rotation cancel with the rotation off: the start from the machine position, the end
// shifted by the change of tool length.
void RederiveAfterRotationCancel()
{
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
        g_NcMoveStart.axis[a] = g_MachinePosition.axis[a] - g_ActiveWorkOffset.axis[a];
    }
    g_MachineAxisWords = g_MachinePosition;
    const double d = g_ToolLength - g_CurrentToolLength;
    g_NcMoveEnd = g_NcMoveStart;
    if (g_ToolDirectionTilted) {
        for (int a = 0; a < 3; ++a) g_NcMoveEnd.axis[a] = g_NcMoveStart.axis[a] - d * g_ToolDirection[a];
    } else {
        g_NcMoveEnd.axis[AXIS_Z] = g_NcMoveStart.axis[AXIS_Z] - d;
    }
    g_NcTargetPosition = g_NcMoveEnd;
    if (g_AutomaticToolOffset) {
        g_NcTargetPosition.axis[AXIS_X] -= g_HeadTipOffset[0];
        g_NcTargetPosition.axis[AXIS_Z] -= g_HeadTipOffset[2];
    } else if (g_ToolLengthCompOn && g_ToolAxisIndex >= 0 && g_ToolAxisIndex < 3) {
        g_NcTargetPosition.axis[g_ToolAxisIndex] -= g_ToolLengthOffset;
    }
    g_RotaryFollowMode = 0;
    g_RebuildAxisTriad = 1;
    if (!IsFrameMinimised()) DrawAxisLabelColumn();
}

// (T) Tool-centre control switched on.
void StartToolCentreControl()
{
    g_RotaryDisplayAngles[0] = g_RotaryDisplayAngles[1] = 0.0;
    ApplyToolLengthCorrection(g_ToolTipPoint, g_ToolAxisVector);
    for (int a = 0; a < 3; ++a) g_NcMoveStart.axis[a] = g_ControlPoint.axis[a];
    if (!IsFrameMinimised()) DrawAxisLabelColumn();
    g_ToolCentreOn = 0;
    if (!g_MoveChanged) g_NcMoveEnd = g_NcTargetPosition = g_NcMoveStart;
}

int IsRotationCancelCode(int code)
{
    return code == 69 || code == 255 || (g_DialectCode == 1 && code == 126);
}

// The blocks that change coordinates or modes, settled before the move.
int SettleBlockBeforeMove()
{
    const int code = g_LastGCode;
    if (code == 92) {
        g_NcMoveStart = g_ControlPoint;
        UpdateCurrentMachinePosition();
        return PASS_NEXT;
    }
    if (code == 68) return PASS_NEXT;
    if (code == 127 && g_DialectCode == 1) return PASS_NEXT;
    if (g_CoordinateRotationState == 2 && g_ReferenceReturnKind == 0) {
        const int kind = g_MotionKind;
        const int arc = kind == MOTION_ARC_CW || kind == MOTION_ARC_CCW;
        if ((!arc && !g_MoveChanged) || (arc && g_ArcLength == 0.0)) return PASS_NEXT;
    }
    if (g_CoordinateShiftState == 1) {
        if (g_RotaryFollowState == 1) {
            g_PendingToolLengthShift = 0.0;
            return PASS_NEXT;
        }
        if (code == 354) {
            ResynchroniseFromMachine();
            g_CoordinateShiftState = 0;
            return PASS_NEXT;
        }
        if (!IsRotationCancelCode(code)) {
            if (g_PendingToolLengthShift != 0.0) ResynchroniseFromMachine();
            return PASS_NEXT;
        }
        g_CoordinateShiftState = 0;
    } else if (g_CoordinateShiftState == 2) {
        g_CoordinateShiftState = 0;
    }
    g_PrevRotaryRadii[0] = g_RotaryRadii[0];
    g_PrevRotaryRadii[1] = g_RotaryRadii[1];
    if (IsRotationCancelCode(code)) {
        if (g_CoordinateRotationState == 0) {
            RederiveAfterRotationCancel();
            return PASS_NEXT;
        }
        FinishBlockPosition();
    } else {
        FinishBlockPosition();
        if (g_ToolChangeInProgress) {
            const int s = g_SpindleToolNumber, p = g_PreviousTool;
            if (s >= 0 && s < TOOL_LAYOUT_SLOTS && p >= 0 && p < TOOL_LAYOUT_SLOTS) {
                g_MotionKind = MOTION_RAPID;
                for (int a = 0; a < 3; ++a) {
                    g_NcMoveStart.axis[a] += g_ToolLayoutPositions[s][a] - g_ToolLayoutPositions[p][a];
                }
            }
        }
    }
    if (g_ToolCentreOn == 1) {
        StartToolCentreControl();
        if (!g_MoveChanged) return PASS_NEXT;
    } else if (g_ToolCentreOn == 2) {
        if (!IsFrameMinimised()) DrawAxisLabelColumn();
        g_ToolCentreOn = 0;
    }
    if (g_PolarInterpolationState == 1 || g_PolarInterpolationState == 2 || g_CylindricalInterpolationState == 1 ||
        g_CylindricalInterpolationState == 2) {
        ConvertPolarOrCylindricalSwitch();
        return PASS_NEXT;
    }
    if (((g_PolarInterpolationOn || g_CylindricalInterpolationOn) && !g_MoveChanged) || code == 17 || code == 18 ||
        code == 19) {
        return PASS_NEXT;
    }
    return PASS_GO_ON;
}

// Whether the block just fetched is settled before its move by nothing but its end position (no
// coordinate, plane, rotation, tool-centre, polar or cylindrical change, no tool change under way).
int IsPlainMoveBlock()
{
    const int code = g_LastGCode;
    if (code == 92 || code == 68 || code == 127 || code == 354 || code == 17 || code == 18 || code == 19 ||
        IsRotationCancelCode(code)) {
        return 0;
    }
    return g_CoordinateRotationState == 0 && g_CoordinateShiftState == 0 && !g_ToolChangeInProgress &&
           g_ToolCentreOn == 0 && g_PolarInterpolationState == 0 && g_CylindricalInterpolationState == 0 &&
           !g_PolarInterpolationOn && !g_CylindricalInterpolationOn;
}

// Whether the block row is drawn for the block just fetched.
int ShowsCurrentBlock()
{
    return !(g_RunMode >= 3 && !g_RealCutDisplayMove) && !IsFrameMinimised();
}

// One pass of the block loop. Sub-steps of earlier moves may wait for their cut (RunMoveInPass):
// the block is read and interpreted ahead of them, and they are cut and checked before anything
// else of the block could change what is cut, show something or read their results.
int RunBlockPass()
{
    int fetched = 0;
    const int stopTestDue = LoadRunFlag(g_PauseRequest) || (g_StopMode != 0 && IsBetweenBlocks());
    if (!(g_StopBlockPending || !stopTestDue)) CutWaitingSubSteps();
    if (g_StopBlockPending || !stopTestDue) {
        FetchNextMotion();
        fetched = 1;
    } else if (g_ToolChangeRouteSteps >= 1) {
        NextToolChangeRouteStep();
    } else if (ReadNextNcLine()) {
        g_StopBlockPending = 1;
        if (IsProgramStopBlock(g_NcLineBuffer)) {
            ShowCurrentBlock();
            if (!WaitForGo()) return PASS_END_RUN;
            g_StopAtNextBlock = 0;
            return PASS_NEXT;
        }
        FetchNextMotion();
        fetched = 1;
    } else if (g_NcRunState < NC_RUN_FINISHED && g_NcAlarmCode == 0) {
        // No line is left: the fetch ends the input (and hands out what the look-ahead still holds).
        FetchNextMotion();
        fetched = 1;
    }
    if (SubStepsWaitForCut() &&
        (g_NcAlarmCode > 0 || (fetched && ShowsCurrentBlock()) || SubStepsWaitWithOtherKernelValues() ||
         (!IsFrameMinimised() && g_ShowToolPanel && g_RepaintState == 2) ||
         (g_ProgramStarted && !g_EorBlock &&
          ((g_CommandedToolNumber >= 0 && g_ToolChangeRouteSteps <= 0) || !IsPlainMoveBlock())))) {
        CutWaitingSubSteps();
    }
    if (fetched) ShowCurrentBlock();
    if (g_NcAlarmCode > 0) {
        g_RunEnded = 1;
        return PASS_END_RUN;
    }
    if (!IsFrameMinimised() && g_ShowToolPanel && g_RepaintState == 2) RepaintToolPanel();
    if (!g_ProgramStarted || g_EorBlock) return PASS_NEXT;
    ChangeTool();
    const int settled = SettleBlockBeforeMove();
    if (settled != PASS_GO_ON) return settled;
    return RunMoveInPass() == MOVE_END_RUN ? PASS_END_RUN : PASS_NEXT;
}

void BeginRun()
{
    g_RotaryRadii[0] = g_RotaryRadii[1] = 1.0;
    g_PrevRotaryRadii[0] = g_PrevRotaryRadii[1] = 1.0;
    ClearToolMeasureResult();
    g_RealCutDisplayMove = 0;
    g_ToolContactState = CONTACT_CUTTING;
    g_ReportedInterferenceCode = 0;
    g_TaperInterferenceCode = 0;
    g_RunEnded = 0;
    g_AlarmPositionSaved = 0;
    g_OvertravelAxis = -1;
    g_LastRedrawLine = 0;
    g_LastMoveStepCount = 0;
    g_RunEndMessage[0] = '\0';
    g_RunRefusedTool = -1;
    ClearCutRunValues();
    g_MachineStepCount = 0;
    std::memset(g_StepCutMarks, 0, sizeof g_StepCutMarks);
    std::memset(g_StepToolNumbers, 0, sizeof g_StepToolNumbers);

    if (g_RunFromMemory) IndexNcFile();
    ResetInterpreterState();
    UpdateCurrentMachinePosition();
    g_RunStartMachinePosition = g_MachinePosition;
    g_MachineAxisWords = g_MachinePosition;
    for (int a = 0; a < 5; ++a) g_RunStartAxes[a] = g_MachinePosition.axis[a];
    g_StepToolNumbers[0] = g_SpindleToolNumber;

    g_LimitLogFile = nullptr;
    OpenToolLimitLog(g_SpindleToolNumber);

    if (g_NcFile != nullptr) {
        std::fclose(g_NcFile);
        g_NcFile = nullptr;
    }
    if (g_ActiveReaderPlugin < 0) {
        g_NcFile = OpenFile(g_NcFilePath, "rb");
        if (GetDriveAndDirectory(g_NcFilePath, g_SubprogramFolder, sizeof g_SubprogramFolder) != 1) {
            g_SubprogramFolder[0] = '\0';
        }
        if (g_NcFile == nullptr) g_NcRunState = NC_RUN_FINISHED;  // ends as at the end of the input
    } else if (!StartNcReadPlugin()) {
        g_NcRunState = NC_RUN_FINISHED;
    }
}

// Rays the kernel could not update: one warning-file line for the run and the count in the end message.
void ReportUnstoredRays()
{
    if (g_UnstoredRayCount <= 0) return;
    const int line = g_FirstUnstoredRayLine < 0 ? -g_FirstUnstoredRayLine : g_FirstUnstoredRayLine;
    std::snprintf(g_RunEndMessage, sizeof g_RunEndMessage,
                  g_EnglishUi ? "%d rays could not take the cut (more than %d ends) and keep material; first at line %d"
                              : "%d本の線で切削できませんでした(端点%d個超過、材料が残ります)。最初は%d行目",
                  g_UnstoredRayCount, static_cast<int>(DEXEL_MAX_ENDS), line);
    if (g_WarningFile == nullptr) OpenWarningFile();
    if (g_WarningFile == nullptr) {
        // The warning file is written for this whatever the warning level: the cut is incomplete. Its
        // count starts here as when the warning writer opens it.
        char path[WARNING_FILE_PATH_SIZE];
        MakeWarningFilePath(g_NcFilePath, path);
        g_WarningFile = OpenFile(path, "w");
        if (g_WarningFile == nullptr) return;
        std::memcpy(g_WarningFilePath, path, sizeof path);
        g_WarningCount = 0;
        std::fputs("<<< WARNING INFORMATION >>>\n-----------\n", g_WarningFile);
    }
    std::fprintf(g_WarningFile, "%d:* %d rays could not take the cut (more than %d ends) *\n\n", line,
                 g_UnstoredRayCount, static_cast<int>(DEXEL_MAX_ENDS));
    std::fflush(g_WarningFile);
    ++g_WarningCount;
}

void EndRun()
{
    CutWaitingSubSteps();
    if (g_ActiveReaderPlugin < 0) {
        if (g_NcFile != nullptr) std::fclose(g_NcFile);
        g_NcFile = nullptr;
    } else {
        CloseNcReadPlugin();
    }
    SavePerStepSnapshot();
    ReportUnstoredRays();
    if (g_RunRefusedTool >= 0 && g_RunEndMessage[0] == '\0') {
        std::snprintf(g_RunEndMessage, sizeof g_RunEndMessage,
                      g_EnglishUi ? "Tool %d is not defined in the tool table" : "工具%dは工具テーブルに定義されていません",
                      g_RunRefusedTool);
    }
}

int RunThreadProcedure(void* argument)
{
    return RunSimulationThread(argument);
}

}  // namespace

void ConvertPolarOrCylindricalSwitch()
{
    const double degree = 3.14159265358979323846 / 180.0;
    const double a = g_OspPolarC, f = g_CylinderLengthPerDegree;
    AxisPosition& prev = g_NcPreviousPosition;
    AxisPosition& target = g_NcTargetPosition;
    AxisPosition& start = g_NcMoveStart;
    AxisPosition& end = g_NcMoveEnd;
    AxisPosition& control = g_ControlPoint;
    const int started = g_PolarInterpolationState == 1 || g_CylindricalInterpolationState == 1;
    if (g_PolarInterpolationState == 1) {
        const double r = target.axis[AXIS_X], t = (target.axis[AXIS_ROTARY2] - a) * degree;
        prev.axis[AXIS_X] = target.axis[AXIS_X] = r * std::cos(t);
        prev.axis[AXIS_Y] = target.axis[AXIS_Y] = r * std::sin(t);
        const double rs = end.axis[AXIS_X], ts = (end.axis[AXIS_ROTARY2] - a) * degree;
        start.axis[AXIS_X] = rs * std::cos(ts);
        start.axis[AXIS_Y] = rs * std::sin(ts);
        prev.axis[AXIS_ROTARY2] = target.axis[AXIS_ROTARY2];
        start.axis[AXIS_ROTARY2] = end.axis[AXIS_ROTARY2];
    } else if (g_CylindricalInterpolationState == 1) {
        const int n = g_PlaneNormalAxis, c = g_CylindricalAxisPlane;
        if (n >= 0 && n < 3 && c >= 0 && c < 3) {
            prev.axis[n] = target.axis[AXIS_X];
            prev.axis[c] = f * target.axis[AXIS_ROTARY2];
            start.axis[n] = end.axis[AXIS_X];
            start.axis[c] = f * end.axis[AXIS_ROTARY2];
        }
        target.axis[AXIS_X] = prev.axis[AXIS_X];
        target.axis[AXIS_Y] = prev.axis[AXIS_Y];
        prev.axis[AXIS_ROTARY2] = start.axis[AXIS_ROTARY2] = 0.0;
    }
    if (started) {
        end.axis[AXIS_X] = control.axis[AXIS_X] = start.axis[AXIS_X];
        end.axis[AXIS_Y] = control.axis[AXIS_Y] = start.axis[AXIS_Y];
        start.axis[AXIS_Z] = control.axis[AXIS_Z] = end.axis[AXIS_Z];
        start.axis[AXIS_ROTARY1] = control.axis[AXIS_ROTARY1] = end.axis[AXIS_ROTARY1];
        target.axis[AXIS_ROTARY2] = prev.axis[AXIS_ROTARY2];
        end.axis[AXIS_ROTARY2] = control.axis[AXIS_ROTARY2] = start.axis[AXIS_ROTARY2];
        prev.axis[AXIS_Z] = target.axis[AXIS_Z];
        prev.axis[AXIS_ROTARY1] = target.axis[AXIS_ROTARY1];
    } else if (g_PolarInterpolationState == 2) {
        ComputePolarAngle(&target, 0, &prev);
        target = prev;
        start = end = control = prev;
        for (AxisPosition* p : {&start, &end, &control}) {
            p->axis[AXIS_X] += g_HeadTipOffset[0];
            p->axis[AXIS_Z] += g_HeadTipOffset[2];
        }
    } else if (g_CylindricalInterpolationState == 2) {
        g_CylindricalInterpolationOn = 0;
        const int n = g_PlaneNormalAxis, c = g_CylindricalAxisPlane;
        const int valid = n >= 0 && n < 3 && c >= 0 && c < 3;
        prev.axis[AXIS_X] = valid ? target.axis[n] : target.axis[AXIS_X];
        prev.axis[AXIS_Y] = 0.0;
        if (valid && f > 0.0) prev.axis[AXIS_ROTARY2] = target.axis[c] / f;
        prev.axis[AXIS_Z] = target.axis[AXIS_Z];
        prev.axis[AXIS_ROTARY1] = target.axis[AXIS_ROTARY1];
        const double startX = valid ? end.axis[n] : end.axis[AXIS_X];
        if (valid && f > 0.0) start.axis[AXIS_ROTARY2] = end.axis[c] / f;
        start.axis[AXIS_X] = startX;
        start.axis[AXIS_Y] = 0.0;
        start.axis[AXIS_Z] = end.axis[AXIS_Z];
        start.axis[AXIS_ROTARY1] = end.axis[AXIS_ROTARY1];
        target.axis[AXIS_X] = prev.axis[AXIS_X];
        target.axis[AXIS_Y] = 0.0;
        target.axis[AXIS_ROTARY2] = prev.axis[AXIS_ROTARY2];
        for (AxisPosition* p : {&control, &end}) {
            p->axis[AXIS_X] = start.axis[AXIS_X];
            p->axis[AXIS_Y] = 0.0;
            p->axis[AXIS_Z] = end.axis[AXIS_Z];
            p->axis[AXIS_ROTARY1] = end.axis[AXIS_ROTARY1];
            p->axis[AXIS_ROTARY2] = start.axis[AXIS_ROTARY2];
        }
        UpdateStatusBar();
    }
    g_PolarInterpolationState = 0;
    g_CylindricalInterpolationState = 0;
    if (!IsFrameMinimised()) {
        DrawAxisLabelColumn();
        DrawRunAxisValues(1);
    }
}

int RunSimulationThread(void*)
{
    BeginRun();
    while (g_NcRunState < NC_RUN_FINISHED) {
        if (RunBlockPass() == PASS_END_RUN) break;
    }
    EndRun();
    return 0;
}

ThreadHandle StartSimulationThread()
{
    ThreadHandle thread = StartThread(RunThreadProcedure, nullptr, 1);
    if (thread == nullptr) return nullptr;
    SetThreadBelowNormalPriority(thread);
    ResumeThread(thread);
    return thread;
}
