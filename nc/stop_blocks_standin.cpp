// Stand-in for the directive comments until they are built: no directive is recognised.
#include "nc/stop_blocks.h"

void CheckNcDirectiveComment(const char*) {}
