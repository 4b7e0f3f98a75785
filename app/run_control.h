// The run control's shared integers that the frame's keys write, and the restart of the run poll.
// Stand-in (run_control_standin.cpp) until the run control is built: no run ever starts, so these stay 0.
#pragma once
// The shared integers the frame's keys write (g_AbortRequest, g_RunWaitingForGo, g_GoPromptBlink)
// are declared with the rest of the run control's integers in platform/ui/shell_services.h.
#include "platform/ui/shell_services.h"

const int TIMER_RUN_POLL = 101;

// Starts the run poll again after a stop (stand-in: nothing).
void StartRunPolling();
