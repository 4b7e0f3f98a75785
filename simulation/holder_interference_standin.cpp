// Stand-in of the holder interference check: nothing is found.
#include "simulation/holder_interference.h"

void CheckHolderInterference(int, int, const double*, const double*, const double (*)[3], const double*) {}
