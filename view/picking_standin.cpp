// Stand-in of picking: nothing is ever hit.
#include "view/picking.h"

int g_PickMarkState = 0;
double g_PickedPoint[3] = {0.0, 0.0, 0.0};

int PickNearestWorkPoint(int, int, double*) { return 0; }
