// Stand-in of the tool path display: no path is drawn.
#include "view/tool_path.h"

void DrawToolPath(int) {}
