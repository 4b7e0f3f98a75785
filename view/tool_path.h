// The tool path of the NC program drawn into the open display list. Stand-in (tool_path_standin.cpp)
// until the tool path display is built: nothing is drawn.
#pragma once

// Emits the path; interpolateRotary 1 interpolates rotary moves (list 31), 0 draws them straight (32).
void DrawToolPath(int interpolateRotary);
