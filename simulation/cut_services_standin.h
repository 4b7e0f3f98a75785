// Stand-ins for values and calls of other parts of the system that the cutting kernel reads or
// calls, until their owners provide them: the shell's work state, the interpreter's in-hole rapid
// flag, the run thread's machining-step marks and the mesh-tool cut. Each goes when its owner has it.
#pragma once

constexpr int MACHINING_STEP_SLOTS = 200;
extern int g_WorkState;                              // shell: 0 takes part, 1 disabled, 2 deleted
extern int g_CycleRapidInHole;                       // interpreter: canned-cycle positioning rapid
extern int g_MachineStepCount;                       // run thread: index of the current step
extern int g_StepCutMarks[MACHINING_STEP_SLOTS];     // run thread: 1 once the step removed material

// Mesh-tool cut of an STL-body tool (stand-in: removes nothing).
void CutWorkWithMeshTool();
