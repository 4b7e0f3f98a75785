// The shell and view values the interpreter reads, and the calls through which it asks the shell and
// the view to follow a run: editor follow, status bar, panel drawing, menu checks. The values are
// written by the UI thread (file commands, editor bridge, view options) and by the path drawing; the
// interpreter's thread reads them. Each call goes through a hook of g_InterpreterUiHooks that the shell
// or the view installs at start-up; without a hook the call does nothing (batch runs, tests).
#pragma once
#include "platform/ui/ui_types.h"

// Shell (written by the UI thread).
extern int g_ActiveReaderPlugin;     // slot 0 to 2 of the reader plug-in for the NC file, -1 none
extern int g_EditorOpen;             // 1 while an external editor shows the NC program
extern int g_EditorFollowsRun;       // 1 when the editor follows sub-program lines as well
extern int g_ReportCheckRunning;     // 1 while the data check for the verification report runs
extern char g_NcFilePath[256];       // the NC program's path

// View (read or set by the interpreter's thread).
extern int g_ShowWorkCoordinates;            // the measure point cell shows work coordinates
extern int g_ShowExtentsInWorkCoordinates;   // the work extents cells show work coordinates
extern double g_PathToolTipPoint[3];         // tool tip of the path drawing

// Hooks of the calls below; a null entry makes its call do nothing.
struct InterpreterUiHooks {
    void (*editorFollowRunLine)(int editorKind, int lineNumber);
    void (*editorJumpToLine)(int editorKind, int lineNumber, int third);
    void (*beginPanelDraw)(WindowHandle window);
    void (*endPanelDraw)(WindowHandle window);
    void (*drawAxisLabelColumn)();
    void (*drawMeasurePointPanel)();
    void (*drawWorkExtentsPanel)();
    void (*updateMenuChecks)();
};
extern InterpreterUiHooks g_InterpreterUiHooks;   // installed by the shell and the view at start-up

// Moves the external editor to the executed line.
void EditorFollowRunLine(int editorKind, int lineNumber);
// Jumps the external editor to a line.
void EditorJumpToLine(int editorKind, int lineNumber, int third);
// Panel drawing of the view: the axis label column, the measure point and the work extents cells.
void BeginPanelDraw(WindowHandle window);
void EndPanelDraw(WindowHandle window);
void DrawAxisLabelColumn();
void DrawMeasurePointPanel();
void DrawWorkExtentsPanel();
// Shell: sets the menu check marks from the settings.
void UpdateMenuChecks();
