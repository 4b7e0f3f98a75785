// Services of the shell's editor bridge that the settings reader uses: the editor plug-in's two entry
// points (each may rewrite the 256-byte buffer it is given) and the editor kind. The shell's plug-in
// loader writes them (UI thread); they are declared here because the settings reader reads them.
#pragma once

struct EditorPluginEntries {
    void (*execProgram)(char* buffer);   // "EXEC_PROGRAM" value; null when the plug-in is not loaded
    void (*execOption)(char* buffer);    // "EXEC_OPTION" value; null when not exported
};
extern EditorPluginEntries g_EditorPlugin;   // UI thread (plug-in loading at start-up)
extern int g_EditorKind;                     // 99 = the editor plug-in; UI thread
