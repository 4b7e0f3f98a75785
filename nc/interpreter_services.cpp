// The shell and view values the interpreter reads, with their headless start values, and the calls
// that go through the hooks the shell and the view install.
#include "nc/interpreter_state.h"

int g_ActiveReaderPlugin = -1;
int g_EditorOpen = 0;
int g_EditorFollowsRun = 0;
int g_ReportCheckRunning = 0;
char g_NcFilePath[256] = {};
int g_ShowWorkCoordinates = 0;
int g_ShowExtentsInWorkCoordinates = 0;
double g_PathToolTipPoint[3] = {};
InterpreterUiHooks g_InterpreterUiHooks = {};

void EditorFollowRunLine(int editorKind, int lineNumber)
{
    if (g_InterpreterUiHooks.editorFollowRunLine) g_InterpreterUiHooks.editorFollowRunLine(editorKind, lineNumber);
}

void EditorJumpToLine(int editorKind, int lineNumber, int third)
{
    if (g_InterpreterUiHooks.editorJumpToLine) g_InterpreterUiHooks.editorJumpToLine(editorKind, lineNumber, third);
}

void BeginPanelDraw(WindowHandle window)
{
    if (g_InterpreterUiHooks.beginPanelDraw) g_InterpreterUiHooks.beginPanelDraw(window);
}

void EndPanelDraw(WindowHandle window)
{
    if (g_InterpreterUiHooks.endPanelDraw) g_InterpreterUiHooks.endPanelDraw(window);
}

void DrawAxisLabelColumn()
{
    if (g_InterpreterUiHooks.drawAxisLabelColumn) g_InterpreterUiHooks.drawAxisLabelColumn();
}

void DrawMeasurePointPanel()
{
    if (g_InterpreterUiHooks.drawMeasurePointPanel) g_InterpreterUiHooks.drawMeasurePointPanel();
}

void DrawWorkExtentsPanel()
{
    if (g_InterpreterUiHooks.drawWorkExtentsPanel) g_InterpreterUiHooks.drawWorkExtentsPanel();
}

void UpdateMenuChecks()
{
    if (g_InterpreterUiHooks.updateMenuChecks) g_InterpreterUiHooks.updateMenuChecks();
}
