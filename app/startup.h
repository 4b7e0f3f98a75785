// The program's start-up in its fixed order, the message loop and the ordered release at exit; the frame
// class and the creation of the frame; the small operating-system probes (desktop composition, dialog
// themes, the ideal processor of the user-interface thread).
#pragma once
#include "platform/os/thread.h"
#include "platform/ui/ui_backend.h"
#include "view/status_panel.h"

const int MAIN_CLASS_NAME_SIZE = 11;    // the class name: at most 10 characters
const int PATH_POINT_CAPACITY = 10000;  // points of the view's measuring polyline

// Written by the UI thread at start-up and shut-down; the frame reads them.
extern char g_MainWindowClassName[MAIN_CLASS_NAME_SIZE];
extern ThreadHandle g_AutomationThread;   // null when no such thread was started
extern ThreadHandle g_SimulationThread;
extern ThreadHandle g_MacroThread;
extern int g_ExitCodeOverride;            // -1 after an aborted command-line batch run
extern int g_OsIsVistaOrLater;            // results of QueryDwmComposition
extern int g_DwmCompositionOn;
extern unsigned char* g_PathFlagBuffer;   // the view's measuring polyline: flags (heap); its points are
                                          // g_PathPointBuffer (view/status_panel.h)

// Chooses the face of the event core once the command line is known: the real backend when it can
// open a display (and silent is 0), else null for the headless one.
typedef const UiBackend* (*ChooseUiBackendFn)(int silent);

// The whole program: start-up, message loop, shut-down. commandLine is the text after the program
// name; showCommand the initial show state (SW_SHOWNORMAL). Returns the exit code.
int RunProgram(const char* commandLine, int showCommand, ChooseUiBackendFn chooseBackend);

// The frame class (menu 109 unless the no-menu switch is given) and the frame itself. CreateMainWindow
// returns 1 when the frame exists and is shown, 0 when it could not be created.
void RegisterMainWindowClass();
int CreateMainWindow(int showCommand);
// 1 when the saved rectangle (g_WindowX .. g_WindowHeight) may be used with monitorCount monitors on
// a screen of screenWidth x screenHeight.
int AcceptSavedFrameRectangle(int monitorCount, int screenWidth, int screenHeight);

// Operating-system probes.
void QueryDwmComposition(int* vistaOrLater, int* compositionOn);
int LoadThemeLibrary();
void EnableDialogThemeTexture(WindowHandle dialog);
void FreeThemeLibrary();
void SetMainThreadIdealProcessor();
// Whether the pump of long work paints and sizes windows (1) or only serves cross-thread calls (0):
// not with "IME VERSION" "OLD" (pumpOption 0) nor on a Windows build before 19041.
int DecidePumpDispatch(int windowsBuild, int pumpOption);
