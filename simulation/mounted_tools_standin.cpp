// Stand-in of the mounted-tool check: no results; the spindle tool is not cut either.
#include "simulation/mounted_tools.h"

MountedToolResult g_MountedToolResults[MOUNTED_TOOL_RESULT_SLOTS] = {};
int g_MountedToolSharesPosition = 0;

void CutAndCheckMountedTools() {}
