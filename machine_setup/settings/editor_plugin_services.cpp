// The editor bridge values the settings reader and the interpreter use: no plug-in loaded at start-up;
// the shell's plug-in loader fills them.
#include "machine_setup/machine_setup_state.h"

EditorPluginEntries g_EditorPlugin = {nullptr, nullptr};
int g_EditorKind = 0;
