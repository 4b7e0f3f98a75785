// Stand-ins for values of other subsystems that the tool table, the current tool and the tool profile
// read or set, until their owners provide them (settings file, check settings, controller definition,
// NC plug-in calls, shell, view and mesh cutting). Each goes away when its owner's header has it.
#pragma once
#include "machine_setup/display_settings.h"  // check settings: holder check, height check type, clearances
#include "machine_setup/settings_file.h"     // g_ToolTableFilePath

// Settings file, tools (owned by the settings reader).
extern char g_ArborFilePath[256];        // holder file named by the tool table's head "ATL" line
extern int g_ArborFileStatus;            // 1 read, -1 missing, 0 none
// NC plug-in tool state.
extern int g_PluginToolActive;           // 1 while tool 0 holds a plug-in tool
extern int g_KeepPluginTool;             // plug-in tool data of the previous run still count
// Shell.
extern int g_CmdToolNumber;              // command-line T switch
extern int g_WorkDefined;                // 1 while a work model exists
// View.
extern int g_ToolPanelPage;
extern unsigned char g_RebuildToolList;
extern unsigned char g_RebuildHeadPartLists;
extern unsigned char g_RebuildHead1PartList;
extern unsigned char g_RebuildHead2PartList;
// Interpreter values used by the tool-length reference.
extern double g_PendingToolLengthShift;  // offset change the drivers have not applied yet
extern int g_HWordNumber;                // H number in effect
extern double g_HeidenhainLengthDelta;   // DL of the last HEIDENHAIN tool call
extern int g_MazakHeadOffsetMode;
// Mesh-tool cutting.
extern int g_MeshCutListsAllocated;      // 1 while the mesh-cut lists exist
// Allocates the mesh-cut lists for the current work (stand-in: does nothing, returns 0).
int AllocateMeshCutLists();
