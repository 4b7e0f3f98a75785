// The run control's shared integers that the frame's keys write, and the restart of the run poll.
// Stand-in (run_control_standin.cpp) until the run control is built: no run ever starts, so these stay 0.
#pragma once
#include "view/status_panel.h"   // g_GoPromptBlink, which the panel reads

const int TIMER_RUN_POLL = 101;

// Written by the UI thread (keys, panel buttons), polled by the simulation thread.
extern int g_AbortRequest;       // 1: abort the run
extern int g_RunWaitingForGo;    // 1 while the run waits at a stop for GO

// Starts the run poll again after a stop (stand-in: nothing).
void StartRunPolling();
