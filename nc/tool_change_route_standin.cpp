// Stand-in for the tool-change route until it is built: no route steps.
#include "nc/tool_change_route.h"

void PrepareToolChangeRoute() {}
const ToolChangeRouteStep* NextToolChangeRouteStep() { return nullptr; }
