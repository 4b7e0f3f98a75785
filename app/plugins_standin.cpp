// Stand-in of the plug-in loader: no plug-in is ever loaded.
#include "app/plugins.h"

PluginFamilyTable g_ReadPlugins = {};
void* g_NcComPlugin = nullptr;
int g_UseNcComPlugin = 0;

int IsSimPluginLoaded(int) { return 0; }
void LoadPlugins() {}
void RegisterPluginsAndMenus(WindowHandle, MenuHandle, int) {}
void CallPluginFreeFunctions() {}
void UnloadPlugins() {}
