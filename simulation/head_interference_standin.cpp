// Stand-in of the head interference checks: nothing is found.
#include "simulation/head_interference.h"

int CheckHeadInterference() { return 0; }
int CheckHead1Interference() { return 0; }
int CheckHead2Interference() { return 0; }
