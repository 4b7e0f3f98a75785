// Tool-change route steps: the moves to the machine's tool change position, one axis group a step.
#pragma once
#include "machine_setup/machine/machine_models.h"

// Sets up the route state for the tool change of the block (g_ToolChangeRouteSteps).
void PrepareToolChangeRoute();
// Sets the motion of the next route step, or ends the route; the route table, or none at its end.
const ToolChangeRouteStep* NextToolChangeRouteStep();
