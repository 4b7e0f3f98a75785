// Stand-in of the work display: no work list is built or drawn.
#include "view/work_display.h"

unsigned g_PointModeListId = 0;

void DrawWorkModel(WorkModel*) {}
void CallWorkBlockLists(const WorkModel*) {}
void MarkWorkBlocksForRebuild() {}
int PrepareWorkFaceBuffers(const WorkModel*) { return 0; }
int TessellateWorkBlock(const WorkModel*, int, const int*, const int*) { return 0; }
void FreeWorkFaceBuffers() {}
