// Stand-in for the NURBS block reader until it is built: the block is not read.
#include "nc/nurbs.h"

char g_NurbsKnotLetter = 'K';

void ReadNurbsBlock(int) {}
int g_NurbsPointCount = 0;
int g_NurbsAllocated = 0;

int GetNurbsControlPoint(int, double*) { return 0; }
double MeasureNurbsLength() { return 0.0; }
void TransformNurbsControlPoints() {}
void FreeNurbsBuffers() {}
