// Stand-in of the tool path display: no path is drawn. The path switches' values live here until the
// display that reads them is built.
#include "view/tool_path.h"

int g_PathShiftHeld = 0;
FileTime g_ToolPathFileTime = {0, 0};

void DrawToolPath(int) {}
