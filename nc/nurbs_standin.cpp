// Stand-in for the NURBS block reader until it is built: the block is not read.
#include "nc/nurbs.h"

char g_NurbsKnotLetter = 'K';

void ReadNurbsBlock(int) {}
