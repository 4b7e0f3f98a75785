// Stand-in definitions of the editor bridge values the settings reader uses (no plug-in loaded); the
// shell's plug-in loader and editor bridge replace them.
#include "machine_setup/settings/editor_plugin_services.h"

EditorPluginEntries g_EditorPlugin = {nullptr, nullptr};
int g_EditorKind = 0;
