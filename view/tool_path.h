// The tool path of the NC program drawn into the open display list. Stand-in (tool_path_standin.cpp)
// until the tool path display is built: nothing is drawn.
#pragma once
#include "platform/os/files.h"

// Written by the UI thread: the path commands and the list builders.
extern int g_PathShiftHeld;            // 1 when Shift was down as a path display was switched on
extern FileTime g_ToolPathFileTime;    // last-write time of the NC file the path lists were built from

// Emits the path; interpolateRotary 1 interpolates rotary moves (list 31), 0 draws them straight (32).
void DrawToolPath(int interpolateRotary);
