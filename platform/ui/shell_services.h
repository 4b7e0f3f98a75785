// Services of the application shell that the core subsystems use: the message pump during long
// work, the abort key, and the shell's program-wide flags. The shell owns these variables.
#pragma once
#include <cstdint>
#include <cstdio>

#include "platform/ui/ui_types.h"

extern int g_PumpMessagesInLoops;   // 1 when long loops may call PumpMessagesDuringWork (UI thread)
extern int g_EnglishUi;             // non-zero: English texts; 0: Japanese (set at start-up)
extern int g_SilentMode;            // 1 in batch runs without user interface
extern int g_SuppressResultListOpen;  // 1 while a command-line or macro run request asks that the run's
                                      // result lists are not opened with the shell
extern int g_RunMode;               // RunMode: 0 idle, 1 real cutting, 2 skip cutting, 3 cut and show
extern int g_FileNamePreset;        // 1 when the next command's file name is already set
extern int g_WindowsVersionCode;    // operating-system code (1 selects "RBUTTONDOWN" for MOVE SWITCH)
extern int g_WorkDefined;           // 1 while a work model exists
extern int g_WorkState;             // work: 0 takes part in the cutting, 1 disabled, 2 deleted
extern WindowHandle g_MainWindow;   // frame window; owner of progress and message boxes
extern WindowHandle g_StatusBarWindow;
extern char g_ProgramCaption[64];   // caption of the program's message boxes
extern int g_StopAtNextBlock;       // set by the frame: the run stops before the next block
extern int g_PauseRequest;          // a pause asked for by the user or a check (run thread and frame)

extern int g_PumpDispatchAllowed;   // 1: the pump of long work paints and sizes windows; 0: it only serves
                                    // cross-thread calls (set by the shell at start-up, UI thread)

// The pump of long work (UI thread): at most once every 3000 ms it serves cross-thread calls, paints
// and sizes the windows and shows the wait cursor. Clicks, keys, commands, close and quit requests
// stay queued for the main loop, so a click cannot start a second load or exit in the middle of one.
// Run control: the integers through which the frame (UI thread) steers a cutting run and the
// simulation thread answers. Each is a whole int written at once; the other side polls it and may
// see a change one poll late (read and write them with LoadRunFlag / StoreRunFlag across threads).
extern int g_AbortRequest;          // frame (abort key): the run ends at the thread's next poll
extern int g_RunWaitingForGo;       // thread at a stop (1); frame on GO or abort (0)
extern int g_GoPromptBlink;         // thread at a stop (1); frame on GO or abort (0)
extern int g_StepDisplayWait;       // thread after a step to be shown (1); frame's run poll after drawing (0)
extern int g_StepDisplayRequest;    // view's step keys (1): show the next sub-step; thread (0)
extern int g_AlarmsToMacroLog;      // 1: the alarms of this run go to the macro log (batch request)
extern FILE* g_MacroLog;            // the open macro log, none when no macro runs (shell)
extern WindowHandle g_ToolPanelWindow;  // the tool panel window (frame), none when not made
extern int g_RepaintState;          // 2: a tool-panel repaint is pending; the thread makes it 1
extern int g_ToolDialogRefresh;     // 2 after a tool pre-selection, 1 after a report: pockets repaint

inline int LoadRunFlag(const int& flag) { return __atomic_load_n(&flag, __ATOMIC_ACQUIRE); }
inline void StoreRunFlag(int& flag, int value) { __atomic_store_n(&flag, value, __ATOMIC_RELEASE); }

// At most once every 3000 ms handles one pending window message of the UI thread.
void PumpMessagesDuringWork();
// The same with the clock reading given (milliseconds); returns 1 when it pumped.
int PumpMessagesDuringWorkAt(uint64_t now);
// The pump, then the wait cursor again when more than 3000 ms have passed since its last refresh.
void PumpMessagesAndBusyCursor();
int PumpMessagesAndBusyCursorAt(uint64_t now);   // returns 1 when the cursor was refreshed
// 1 while the pump is handling messages (a paint then must not end the progress of the work).
int IsPumpingDuringWork();
// Forgets the pump's time stamps (tests).
void ResetPumpTimes();
// 1 when the abort key (g_AbortKey) is held down while the frame is the foreground window.
int IsAbortKeyDown();
// Sets the text of a status-bar part (the loaders write part 0).
void SetStatusBarText(int part, const char* text);
// Rewrites the status bar parts (through g_UpdateStatusBarHook, which the frame installs).
void UpdateStatusBar();
// Hooks of the three calls above, installed by the event core and the frame; null: the call does
// nothing (g_PumpOneMessageHook is the event core's, in platform/ui/event_core.cpp).
extern int (*g_AbortKeyHook)();
extern void (*g_StatusBarTextHook)(int part, const char* text);
extern void (*g_UpdateStatusBarHook)();
