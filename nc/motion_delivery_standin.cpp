// Stand-in for the snapshot values of motion delivery until it is built: an empty snapshot.
#include "nc/motion_delivery.h"

NcBlockSnapshot g_BlockSnapshot = {};
int g_CycleRapidInHole = 0;
