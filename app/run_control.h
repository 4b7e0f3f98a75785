// Run control: the three run commands that start a cutting run on the simulation thread (or switch
// the mode of the running one), the run poll that shows the steps the thread hands over, the stop,
// resume and abort of a run, the choice of its alarm when the thread has ended and the closing of the
// run's output files.
#pragma once
// The shared integers the frame's keys write (g_AbortRequest, g_RunWaitingForGo, g_GoPromptBlink)
// are declared with the rest of the run control's integers in platform/ui/shell_services.h.
#include "platform/ui/shell_services.h"
#include "platform/ui/ui_types.h"

const int TIMER_RUN_POLL = 101;
const int TIMER_STOP_BLINK = 5;

constexpr int RUN_COMMAND_REAL = 32774;
constexpr int RUN_COMMAND_SKIP = 32775;
constexpr int RUN_COMMAND_RESULT = 32776;

extern unsigned g_RunPollInterval;   // 5 ms, 100 ms in cut-and-show-result mode (UI thread)
extern int g_RunPollTimerOn;         // 1 while TIMER_RUN_POLL runs (UI thread)
extern int g_BlinkTimerOn;           // 1 while TIMER_STOP_BLINK runs (UI thread)
extern int g_RunFinishing;           // 1 while an aborted run is wound down (UI thread; automation reads)

// Command 32774, 32775 or 32776: starts a run in mode 1, 2 or 3, or changes the mode of the running
// one. Returns 1 when a thread was started.
int RunCuttingCommand(WindowHandle frame, int command);
// 1 when the NC program g_NcFilePath can be read (or is already open); else the message and 0.
int CheckNcFileExists(WindowHandle frame);
// One tick of TIMER_RUN_POLL and of TIMER_STOP_BLINK.
void OnRunPollTimer(WindowHandle frame);
void OnStopBlinkTimer(WindowHandle frame);
// Resumes a stopped run (the G key, the GO button): the stop reasons cleared, the poll restarted.
void StartRunPolling();
// The poll found the thread waiting at a stop: the NC row and the blinking prompt.
void ShowRunStopped(WindowHandle frame);
// The end of an aborted run: files closed, start state restored, g_RunMode 0.
void FinishCuttingRun(WindowHandle frame);
// The end of a run that was not aborted: the alarm chosen and shown (or logged), files closed.
void FinishEndedRun(WindowHandle frame);
// The alarm of an ended run from the raised check flags, the NC alarm and the over-stroke, in their
// fixed order; 0 when the run ended without an alarm state.
int ChooseRunAlarm();
// Status bar parts 3 and 4 while a run is stopped at a block (installed as the status bar hook).
void UpdateRunStatusBar();
