// Stand-in definitions of the values and calls listed in cut_services_standin.h.
#include "simulation/cut_services_standin.h"

int g_WorkState = 0;

void CutWorkWithMeshTool() {}
