// The optional plug-in libraries: loading them at start, their menu items, their free entry points at
// shut-down and unloading them. Stand-in (plugins_standin.cpp) until the plug-in loader is built: no
// library is loaded, so every plug-in feature stays off.
#pragma once
#include "platform/ui/ui_types.h"

// One family of plug-in libraries (readers of foreign NC data, work loaders, ...). Slots 0 to count - 1
// are in use; a slot counts only while its module is not null. Written by the UI thread at start-up.
const int PLUGIN_SLOT_COUNT = 3;
const int PLUGIN_NAME_SIZE = 50;     // the display name the library writes
const int PLUGIN_SUFFIX_SIZE = 10;   // ";"-separated extensions, each with its dot (".nc1;.nc2")
struct PluginFamilyTable {
    int count;
    void* module[PLUGIN_SLOT_COUNT];
    char name[PLUGIN_SLOT_COUNT][PLUGIN_NAME_SIZE];
    char suffix[PLUGIN_SLOT_COUNT][PLUGIN_SUFFIX_SIZE];
};
extern PluginFamilyTable g_ReadPlugins;   // readers of NC data: their groups in the NC open dialog

extern void* g_NcComPlugin;        // the NC tool-data library "qbnccom", null when not loaded
extern int g_UseNcComPlugin;       // 1 while its tools are used

// 1 when the simulation plug-in of slot 0 or 1 is loaded (stand-in: 0).
int IsSimPluginLoaded(int slot);
// Loads the plug-in libraries found beside the program (stand-in: none).
void LoadPlugins();
// Puts the loaded plug-ins' items into the menu bar (stand-in: nothing).
void RegisterPluginsAndMenus(WindowHandle frame, MenuHandle menu, int english);
// Calls the free entry points of the loaded plug-ins (stand-in: nothing).
void CallPluginFreeFunctions();
// Unloads the plug-in libraries (stand-in: nothing).
void UnloadPlugins();
