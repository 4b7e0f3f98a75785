// Stand-ins for values and calls of other parts of the system that the cutting kernel reads or
// calls, until their owners provide them: the shell's work state, the interpreter's in-hole rapid
// flag, the run thread's machining-step marks and the mesh-tool cut. Each goes when its owner has it.
#pragma once
#include "nc/motion_delivery.h"  // g_CycleRapidInHole
#include "nc/stop_blocks.h"      // the machining-step marks

extern int g_WorkState;                              // shell: 0 takes part, 1 disabled, 2 deleted

// Mesh-tool cut of an STL-body tool (stand-in: removes nothing).
void CutWorkWithMeshTool();
