// The watch on the definition files (tool table, arbor file, controller, machine): when the frame is
// activated, painted or moved, each file's last-write time is compared with the one recorded when it
// was last read (or rewritten by the program itself); a changed file is announced and read again with
// everything that depends on it, and a file missing at its last read is reported once.
#pragma once
#include "platform/os/files.h"
#include "platform/ui/ui_types.h"

enum FileWatchStateCode {
    FILE_WATCH_OFF = 0,       // before the frame window exists
    FILE_WATCH_IDLE = 1,      // the watch may run
    FILE_WATCH_RUNNING = 2    // a pass is under way (its message boxes keep the frame's messages coming)
};

enum DefinitionReloadSound { DEFINITION_SOUND_TOOL_CHANGE = 0, DEFINITION_SOUND_WORK_SET = 1 };

// What a reload asks of the shell and the view above. Installed by them at start-up; a null entry does
// nothing (tablesInUse null: only g_RunMode counts).
struct DefinitionReloadHooks {
    void (*stopCutAnimation)();             // stops the view's cut animation timer and clears its counter
    void (*remakeBackgroundBrush)();        // the frame's background brush from g_ControllerNameBackColour
    void (*updateMainTitle)(WindowHandle frame);
    void (*playSound)(int sound);           // DefinitionReloadSound, from memory, while sound is on
    void (*repaintToolPanel)();             // sends WM_PAINT to the tool panel when it is shown
    void (*repaintStatusPanel)();           // redraws the status panel when the sync plug-in is loaded
    int (*tablesInUse)();                   // 1 while a run or the NC data check uses the definitions
};
extern DefinitionReloadHooks g_DefinitionReloadHooks;   // written at start-up (UI thread)

extern int g_FileWatchState;        // FileWatchStateCode; the frame sets 1 when it is created (UI thread)
extern FileTime g_ProbedFileTime;   // last-write time just taken from a file (UI thread)

// Compares the recorded file times with the files' current ones and reloads what changed. Does
// nothing unless g_FileWatchState is 1 and the current folder is the start-up folder; while a run or
// the NC data check uses the definitions it waits (a later call, after the run, does the reload).
void CheckDefinitionFilesChanged(WindowHandle frame);
