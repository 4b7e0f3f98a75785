// The simulation thread: one cutting run of the NC program against the current work, block by block
// through the interpreter, with stops, tool changes, per-step snapshots and the move stepping. It
// meets the frame (UI thread) only through the run-control integers of platform/ui/shell_services.h:
// the frame sets g_RunMode and starts the thread; the thread raises g_StepDisplayWait after a step to
// be shown and g_RunWaitingForGo at a stop, and sleeps until the frame clears them; g_PauseRequest
// forces a stop at the next block and g_AbortRequest ends the run at the next poll.
#pragma once
#include "platform/os/thread.h"

// The thread's body: runs the program in g_NcFilePath (or through the reader plug-in) and returns 0
// when the run ended (end of the input, an NC alarm, an over-stroke, a stopping check, an abort).
// The frame reads what it left (run_state.h, check_flags.h) to choose the alarm.
int RunSimulationThread(void* unused);

// Starts RunSimulationThread on a thread of its own at below-normal priority; null when none could be
// made. The caller set g_RunMode (1 real cutting, 2 skip cutting, 3 cut and show result) and the
// current work, and joins the handle after the run.
ThreadHandle StartSimulationThread();

// One position the cutting kernel cut, for callers that watch a run (the batch demo, benchmarks,
// tests): the tool tip and axis, the cut's colour and tag, the spindle tool, the sub-step within its
// move and the kernel's results. Called on the simulation thread right after CutWorkAlongMove; null
// (the default) watches nothing.
struct RunCutStep {
    double tip[3];
    double axis[3];
    unsigned char colour;
    int tag;
    int tool;
    int motionKind;        // MotionKind of the move
    int subStep;           // 1..subStepCount
    int subStepCount;
    int cut;               // g_CutInMove: 1 when material was removed
    double removedVolume;  // g_MoveRemovedVolume (mm^3)
    int kernelCheck;       // 1 when the kernel raised ARBOR, TAPER, LENGTH or CHIP
};
extern void (*g_RunCutStepHook)(const RunCutStep* step);

// The block that switches polar or cylindrical interpolation on or off (g_PolarInterpolationState or
// g_CylindricalInterpolationState 1 or 2): the interpreter's positions go from one form to the other
// (polar: X a radius and rotary 2 an angle from g_OspPolarC; cylindrical: rotary 2 times
// g_CylinderLengthPerDegree a length on the cylinder), and both states return to 0. Called by the
// thread's block loop before the move.
void ConvertPolarOrCylindricalSwitch();
