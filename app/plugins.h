// The optional plug-in libraries: loading them at start, their menu items, their free entry points at
// shut-down and unloading them. Stand-in (plugins_standin.cpp) until the plug-in loader is built: no
// library is loaded, so every plug-in feature stays off.
#pragma once
#include "platform/ui/ui_types.h"

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
