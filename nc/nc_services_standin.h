// Stand-ins for the shell and view services the NC interpreter calls or reads (editor bridge, status
// bar, sub-file progress, reader plug-in slot, NC file path), until their owners provide them. Each
// goes away when its owner's header has it.
#pragma once
#include <cstdint>

// Shell (written by the UI thread).
extern int g_ActiveReaderPlugin;     // slot 0 to 2 of the reader plug-in for the NC file, -1 none
extern int g_EditorOpen;             // 1 while an external editor shows the NC program
extern int g_EditorFollowsRun;       // 1 when the editor follows sub-program lines as well
extern int g_MainWindowIconic;       // 1 while the frame is minimised
extern int g_ReportCheckRunning;     // 1 while the data check for the verification report runs
extern char g_NcFilePath[256];       // the NC program's path

// Moves the external editor to the executed line (stand-in: nothing).
void EditorFollowRunLine(int editorKind, int lineNumber);
// Jumps the external editor to a line (stand-in: nothing).
void EditorJumpToLine(int editorKind, int lineNumber, int third);
// Rewrites the status bar parts (stand-in: nothing).
void UpdateStatusBar();

// View: sub-file progress of a sub-program (stand-ins: nothing).
void AddSubProgress(int count);
void HideSubProgress();
