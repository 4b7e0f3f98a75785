// Stand-in definitions of the values of other subsystems that the tool code reads or sets (see
// tool_services_standin.h); each goes away when its owner defines it.
#include "machine_setup/tool_services_standin.h"

char g_ArborFilePath[256] = "";
int g_ArborFileStatus = 0;
int g_PluginToolActive = 0;
int g_KeepPluginTool = 0;
int g_CmdToolNumber = 0;
int g_WorkDefined = 0;
int g_ToolPanelPage = 0;
unsigned char g_RebuildToolList = 0;
unsigned char g_RebuildHeadPartLists = 0;
unsigned char g_RebuildHead1PartList = 0;
unsigned char g_RebuildHead2PartList = 0;
double g_PendingToolLengthShift = 0;
int g_HWordNumber = 0;
double g_HeidenhainLengthDelta = 0;
int g_MazakHeadOffsetMode = 0;
int g_MeshCutListsAllocated = 0;

int AllocateMeshCutLists() { return 0; }
