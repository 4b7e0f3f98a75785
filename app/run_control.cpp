// Run control on the UI thread: the run commands start the simulation thread, TIMER_RUN_POLL shows the
// steps it hands over and finds its end, TIMER_STOP_BLINK blinks the "G or ESC" prompt at a stop. The
// thread and the frame meet only through the run integers (platform/ui/shell_services.h).
#include "app/run_control.h"

#include <cstdio>
#include <cstring>

#include "app/frame_window.h"
#include "app/macro_log.h"
#include "app/message_file.h"
#include "app/startup.h"
#include "app/command_line.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "nc/stop_blocks.h"
#include "platform/os/clock.h"
#include "platform/os/thread.h"
#include "platform/ui/event_core.h"
#include "platform/ui/message_box.h"
#include "platform/ui/panel_cells.h"
#include "app/sound_effects.h"
#include "platform/ui/progress.h"
#include "platform/ui/ui_constants.h"
#include "simulation/alarms.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "simulation/interference_reports.h"
#include "simulation/limit_log.h"
#include "simulation/run_state.h"
#include "view/work_display.h"
#include "simulation/simulation_thread.h"
#include "simulation/warning_file.h"
#include "view/progress_display.h"
#include "view/status_panel.h"
#include "work_model/work_model.h"

unsigned g_RunPollInterval = 5;
int g_RunPollTimerOn = 0;
int g_BlinkTimerOn = 0;
int g_RunFinishing = 0;

namespace {

unsigned WantedPollInterval() { return g_RunMode == 3 && !g_RealCutDisplayMove ? 100u : 5u; }

void StartPollTimer(WindowHandle frame)
{
    g_RunPollInterval = g_RunMode == 3 ? 100u : 5u;
    SetUiTimer(frame, TIMER_RUN_POLL, g_RunPollInterval);
    g_RunPollTimerOn = 1;
}

void StopPollTimer(WindowHandle frame)
{
    KillUiTimer(frame, TIMER_RUN_POLL);
    g_RunPollTimerOn = 0;
}

void StopBlinkTimer(WindowHandle frame)
{
    KillUiTimer(frame, TIMER_STOP_BLINK);
    g_BlinkTimerOn = 0;
}

constexpr unsigned kCellText = 0x000000, kCellFace = 0xF0F0F0;

int Minimised(WindowHandle frame) { return frame == nullptr || IsUiWindowMinimised(frame); }

// The panel cells that show where the run stands, inside the panel bracket.
void DrawRunCells(WindowHandle frame, int ncRow, int values, int stopRow)
{
    if (Minimised(frame) || g_SilentMode) return;
    BeginPanelDraw(frame);
    if (ncRow) DrawNcBlockRow();
    if (values) {
        DrawAxisLabelColumnCells();
        DrawAxisValuesPanel(1);
    }
    if (stopRow) DrawStopModeRow();
    EndPanelDraw(frame);
}

void DrawCell(WindowHandle frame, int cell, const char* text, int style)
{
    if (Minimised(frame) || g_SilentMode) return;
    DrawPanelStatusText(frame, cell, &g_StatusPanelCells[cell], text, style, kCellText, kCellFace);
}

// The current line without its line end, for the NC row.
void TakeCurrentBlockText()
{
    g_LevelLineNumber = g_LevelLineNumber > 0 ? g_LevelLineNumber : g_NcLineNumber;
    size_t n = strnlen(g_NcLineBuffer, sizeof g_CurrentBlockText - 1);
    std::memcpy(g_CurrentBlockText, g_NcLineBuffer, n);
    g_CurrentBlockText[n] = '\0';
    while (n > 0 && (g_CurrentBlockText[n - 1] == '\n' || g_CurrentBlockText[n - 1] == '\r')) g_CurrentBlockText[--n] = '\0';
}

void RepaintView()
{
    if (g_ViewWindow != nullptr) InvalidateUiWindow(g_ViewWindow, 0);
}

// Sub-program levels left open by an ended run.
void CloseSubprogramLevels()
{
    if (g_SubprogramDepth > 0) HideSubProgress();
    g_SubprogramDepth = 0;
}

// The run's output lists: the limit log, the warning file, the alarm list and the interference list;
// each is closed only when it was opened.
void CloseRunLists()
{
    if (g_LimitLogFile != nullptr) {
        std::fclose(g_LimitLogFile);
        g_LimitLogFile = nullptr;
    }
    if (g_WarningFile != nullptr) {
        std::fclose(g_WarningFile);
        g_WarningFile = nullptr;
    }
    CloseAlarmFile();
    CloseInterferenceFile();
}

// The run modes the interpreter keeps only while a run lasts.
void ResetRunTimeModes()
{
    g_ToolCentreMode = g_ToolCentreModeAtStart;
    g_LastGCode = 0;
    g_MachineCoordinateBlock = 0;
    g_RotaryFollowMode = 0;
    g_RotaryFollowKind = 0;
    g_RotaryFollowState = 0;
    g_ReferenceReturnPhase = 0;
    g_CylindricalInterpolationState = 0;
    g_PolarInterpolationState = 0;
    g_CylindricalInterpolationOn = 0;
    g_PolarInterpolationOn = 0;
    g_CoordinateRotationState = 0;
}

// Back to the run's start so that the program can be run again.
void RestoreStartState()
{
    g_ControlPoint = g_NcStartPoint;
    std::memcpy(g_WorkOffsets, g_RunStartWorkOffsets, sizeof g_RunStartWorkOffsets);
    g_ActiveWorkOffset = g_RunStartActiveWorkOffset;
    g_WorkOffsetIndex = g_StartWorkOffset;
    UpdateCurrentMachinePosition();
    for (int a = 0; a < 5; ++a) g_RunStartAxes[a] = g_MachinePosition.axis[a];
}

void EndRunCommon(WindowHandle frame)
{
    CloseRunLists();
    EndNcProgress();
    EnableMenusAfterRun(frame, g_MainMenu);
    UpdateStatusBar();
}

}  // namespace

int CheckNcFileExists(WindowHandle frame)
{
    if (g_NcFile != nullptr) return 1;
    FILE* f = g_NcFilePath[0] != '\0' ? std::fopen(g_NcFilePath, "rb") : nullptr;
    if (f != nullptr) {
        std::fclose(f);
        return 1;
    }
    const char* caption = g_EnglishUi ? "Selected NC data does not exist." : "選択中のNCデータが存在しません";
    if (g_AlarmsToMacroLog || g_CmdBatchRun || g_SilentMode) {
        // Nobody is there to close a message box: the message goes to the macro log.
        WriteMacroLogRecord(g_NcFilePath, g_EnglishUi ? " - The NC data does not exist.\n" : " - NCデータが存在しません\n");
    } else {
        ShowUiMessageBox(frame, g_NcFilePath, caption, MB_TOPMOST);
    }
    return 0;
}

int RunCuttingCommand(WindowHandle frame, int command)
{
    if (command < RUN_COMMAND_REAL || command > RUN_COMMAND_RESULT) return 0;
    const int wasRunning = g_RunMode != 0;
    if (!wasRunning && !CheckNcFileExists(frame)) return 0;
    g_RunMode = command - RUN_COMMAND_REAL + 1;
    UpdateMainTitle(frame);
    if (wasRunning) return 0;

    if (g_CmdRunMode > 4) {
        OpenMacroLog();
        WriteMacroLogLine(g_NcFilePath);
        g_AlarmsToMacroLog = 1;
    } else {
        g_AlarmsToMacroLog = 0;
    }
    g_CmdRunMode = 0;
    StoreRunFlag(g_PauseRequest, 0);
    StoreRunFlag(g_AbortRequest, 0);
    DrawCell(frame, CELL_STOP_GO, "\tSTOP", SBT_POPOUT);
    DrawCell(frame, CELL_ESC, "\tESC", SBT_POPOUT);
    DisableMenusForRun(frame, g_MainMenu);
    BeginNcProgress(frame, g_NcFilePath, "切削", "Cut");

    if (g_SimulationThread != nullptr) {
        JoinThread(g_SimulationThread, nullptr);
        g_SimulationThread = nullptr;
    }
    g_SimulationThread = StartSimulationThread();
    if (g_SimulationThread == nullptr) {
        g_RunMode = 0;
        EndNcProgress();
        EnableMenusAfterRun(frame, g_MainMenu);
        return 0;
    }
    StartPollTimer(frame);
    return 1;
}

void OnRunPollTimer(WindowHandle frame)
{
    if (!g_RunPollTimerOn) return;
    const unsigned wanted = WantedPollInterval();
    if (wanted != g_RunPollInterval) {
        KillUiTimer(frame, TIMER_RUN_POLL);
        g_RunPollInterval = wanted;
        SetUiTimer(frame, TIMER_RUN_POLL, wanted);
    }
    if (g_SubprogramDepth == 0) UpdateNcProgress(0);
    else UpdateSubProgress(0);
    if (g_RunMode == 3 && !g_RealCutDisplayMove && !Minimised(frame)) {
        TakeCurrentBlockText();
        g_NcRowState = 2;
        DrawRunCells(frame, 1, 0, 0);
    }

    int exitCode = 0;
    const int running = g_SimulationThread != nullptr && GetThreadExitCode(g_SimulationThread, &exitCode) &&
                        exitCode == kThreadStillActive;
    if (running) {
        if (!g_AlarmsToMacroLog && ((g_RadiusOffsetAlarm && g_RadiusCheckStop) || g_PauseReasonCount)) {
            StoreRunFlag(g_PauseRequest, 1);
        }
        if (LoadRunFlag(g_StepDisplayWait)) {
            if (!Minimised(frame) && !g_AlarmsToMacroLog) {
                DrawRunCells(frame, 0, 1, 0);
                MarkWorkStepForRebuild();   // the cuts since the last step are shown
                RepaintView();
            }
            StoreRunFlag(g_StepDisplayWait, 0);
            return;
        }
        if (LoadRunFlag(g_RunWaitingForGo)) {
            if (g_AlarmsToMacroLog || g_SilentMode) {
                // An unattended run never waits at a stop: the stop block is logged and the run goes on.
                if (g_MacroLog != nullptr) {
                    std::fprintf(g_MacroLog, "(%d) - STOP\n", g_NcLineNumber);
                    std::fflush(g_MacroLog);
                }
                StoreRunFlag(g_GoPromptBlink, 0);
                StoreRunFlag(g_RunWaitingForGo, 0);
                return;
            }
            StopPollTimer(frame);
            if (!g_BlinkTimerOn) ShowRunStopped(frame);
            return;
        }
        if (!Minimised(frame) && g_PauseKey != 0 && IsUiKeyDown(g_PauseKey)) StoreRunFlag(g_PauseRequest, 1);
        return;
    }

    StopPollTimer(frame);
    if (g_SimulationThread != nullptr) {
        JoinThread(g_SimulationThread, nullptr);
        g_SimulationThread = nullptr;
    }
    ResetRunTimeModes();
    if (LoadRunFlag(g_AbortRequest)) {
        FinishCuttingRun(frame);
        RepaintView();
    } else {
        FinishEndedRun(frame);
    }
}

int ChooseRunAlarm()
{
    if (!g_ProgramStarted && g_NcAlarmCode == 0) g_NcAlarmCode = 3;
    const CheckFlags& f = g_CheckFlags;
    if (!(g_ToolContactState == CONTACT_CHECK_FIRED || g_NcAlarmCode > 0 || g_OvertravelAxis >= 0 || f.limit)) return 0;
    if (f.taper && g_ArborCheck == 3) return 5;
    for (const PartPairCheck& check : kPartPairChecks) {
        if (f.*check.flag && *check.setting == 1) return check.alarm;
    }
    if (f.attachment && g_ArborCheck == 3) return 8;
    if (f.arbor && g_ArborCheck == 3) return 2;
    if (f.length && g_HeightCheck == 2) return 3;
    if (g_SpindleCheck >= 1 && g_CutInMove) {
        if (g_SpindleState == 0) return 9;
        if (g_SpindleState == 1 && g_SpindleCheckLimitsGiven &&
            (g_SpindleSpeed < g_SpindleCheckLimit1 || g_SpindleSpeed > g_SpindleCheckLimit2)) {
            return 10;
        }
    }
    if (f.chip && g_ChipWidthCheck == 2) return 4;
    if (g_OvertravelAxis >= 0) return 91;
    if (g_NcAlarmCode > 0) return 100 + g_NcAlarmCode;
    if (g_MotionKind == 0 && g_InterferenceCheck == 1) return 1;
    return LoadRunFlag(g_AlarmPositionSaved) ? 7 : 6;
}

void FinishEndedRun(WindowHandle frame)
{
    DrawRunCells(frame, 1, 1, 1);
    MarkWorkStepForRebuild();
    RepaintView();
    CloseSubprogramLevels();
    const int alarm = ChooseRunAlarm();
    if (alarm != 0) {
        g_CheckFlags.limit = 0;
        g_ToolContactState = 0;
        if (g_SoundOn && alarm >= 6 && alarm <= 7) PlaySoundEffect(SOUND_POKIN, 0);
        ShowAlarm(frame, g_AlarmsToMacroLog, g_NcFilePath, alarm);
        RestoreStartState();
        if (frame != nullptr) InvalidateUiWindow(frame, 1);
    }
    g_RunMode = 0;
    EndRunCommon(frame);
}

void FinishCuttingRun(WindowHandle frame)
{
    CloseSubprogramLevels();
    g_RunFinishing = 1;
    if (g_CmdBatchRun) g_ExitCodeOverride = -1;
    CloseRunLists();
    StopBlinkTimer(frame);
    StopPollTimer(frame);
    RestoreStartState();
    ResetInterpreterState();
    UpdateCurrentMachinePosition();
    RepaintView();
    DrawCell(frame, CELL_ESC, "\tESC", 0);
    if (g_NcFile != nullptr) {
        std::fclose(g_NcFile);
        g_NcFile = nullptr;
    }
    g_StopBlockPending = 0;
    if (!Minimised(frame)) {
        g_NcRowState = 1;
        DrawRunCells(frame, 1, 1, 1);
    }
    g_StopAtNextBlock = 0;
    g_RunMode = 0;
    g_RunEnded = 0;
    EndRunCommon(frame);
    g_SubprogramDepth = 0;
    StoreRunFlag(g_AbortRequest, 0);
    g_RunFinishing = 0;
}

void ShowRunStopped(WindowHandle frame)
{
    g_StopAtNextBlock = 1;
    g_NcRowState = 2;
    TakeCurrentBlockText();
    DrawRunCells(frame, 1, 0, 0);
    DrawCell(frame, CELL_STOP_GO, "\tSTOP", 0);
    if (frame != nullptr) InvalidateUiWindow(frame, 1);
    RepaintView();
    StoreRunFlag(g_GoPromptBlink, 0);
    SetUiTimer(frame, TIMER_STOP_BLINK, 500);
    g_BlinkTimerOn = 1;
    UpdateStatusBar();
}

void OnStopBlinkTimer(WindowHandle frame)
{
    if (!g_BlinkTimerOn) return;
    if (!Minimised(frame)) SetUiFocus(frame);
    StoreRunFlag(g_GoPromptBlink, 1 - LoadRunFlag(g_GoPromptBlink));
    DrawRunCells(frame, 0, 0, 1);
    UpdateStatusBar();
}

void StartRunPolling()
{
    WindowHandle frame = g_MainWindow;
    g_PauseReasonCount = 0;
    g_RadiusOffsetAlarm = 0;
    std::memset(g_StopReasonFlags, 0, sizeof g_StopReasonFlags);
    StopBlinkTimer(frame);
    DrawCell(frame, CELL_STOP_GO, "\tSTOP", SBT_POPOUT);
    DrawCell(frame, CELL_ESC, "\tESC", SBT_POPOUT);
    StoreRunFlag(g_RunWaitingForGo, 0);
    StoreRunFlag(g_GoPromptBlink, 0);
    SetStatusBarText(3, "");
    SetStatusBarText(4, "");
    StoreRunFlag(g_PauseRequest, 0);
    StartPollTimer(frame);
}

void UpdateRunStatusBar()
{
    if (g_StopBlockPending) {
        const char* stop = g_RadiusOffsetAlarm ? "OFFSET ALARM" : g_PauseReasonCount ? g_InterferenceKindsText
                                                               : g_EnglishUi ? "STOP" : "停止";
        SetStatusBarText(3, stop);
        SetStatusBarText(4, LoadRunFlag(g_GoPromptBlink) ? "G or ESC" : "");
    } else {
        for (int part : {2, 3, 4}) SetStatusBarText(part, "");
    }
}
