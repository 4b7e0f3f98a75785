// The external editor: opening the current NC program in it and closing it at exit. Stand-ins
// (editor_bridge_standin.cpp) until the editor bridge is built: each does nothing.
#pragma once

// Opens g_NcFilePath in the configured editor (stand-in: nothing).
void OpenNcFileInEditor();
// Closes the external editor at exit (stand-in: nothing).
void CloseEditor(int editorKind);
