// The tool-change route hand-out state that the machine definition reader resets. It is part of the
// interpreter state (g_ToolChangeRouteSteps, g_ToolChangeRouteCurrentStep in nc/interpreter_state.h).
#pragma once
#include "nc/interpreter_state.h"
