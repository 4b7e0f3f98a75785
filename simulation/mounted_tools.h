// The check of a tool set mounted together: while the spindle tool cuts, every other tool of the set
// goes along at its layout offset and may cut the work or hit a machine part. Stand-in
// (mounted_tools_standin.cpp) until the check is built: no tool of a set is cut or checked.
#pragma once

// MountedToolCode: 0 none, 5 removed material, 6 TOOLvsVICE, 7 TOOLvsTABLE, 8 TOOLvsTABLE1, 9 TOOLvsTABLE2.
struct MountedToolResult {
    int code;
    int toolChange;  // g_ToolChangeInProgress when the result was taken
};
constexpr int MOUNTED_TOOL_RESULT_SLOTS = 201;
extern MountedToolResult g_MountedToolResults[MOUNTED_TOOL_RESULT_SLOTS];  // by tool number
extern int g_MountedToolSharesPosition;  // 1: another tool of the set sits where the spindle tool is

// Cuts and checks every tool of the set at the sub-step, then the spindle tool.
void CutAndCheckMountedTools();
