// Stand-in of the run control: the shared integers with their idle values; the poll restarts nothing.
#include "app/run_control.h"

int g_AbortRequest = 0;
int g_RunWaitingForGo = 0;

void StartRunPolling() {}
