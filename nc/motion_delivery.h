// Motion delivery: FetchNextMotion hands the drivers one motion per call, first from the queues that
// earlier blocks filled (tool-change route, rapid steps, normal-axis moves, wire inclinations, cycle
// points and compensation corners), then from the next NC line; with cutter compensation the motion
// lags one block behind the line read. The block snapshots keep the state of the blocks handed out.
//
// Driver protocol: IndexNcFile (program run from memory), ResetInterpreterState, open the NC file (or
// start the reader plug-in), then while g_NcRunState is below 2: FetchNextMotion, FinishBlockPosition
// and the move from g_NcMoveStart to g_NcMoveEnd with g_MotionKind. nc/nc_motion.h wraps this for the
// drivers.
#pragma once
#include "machine_setup/machine/axis_position.h"
#include "nc/interpreter_state.h"   // g_CycleRapidInHole

constexpr int SNAPSHOT_VALUE_COUNT = 23;

// The interpreter state after a block. values: [0..2] arc start direction, [3..5] arc end direction,
// [6] start radius, [7] end radius, [8] sweep, [9] arc length, [10] feed, [11..16] the two further arc
// vectors kept while a coordinate rotation is on, [17..19] tool-axis start and [20..22] its change in
// tool centre mode 2.
struct NcBlockSnapshot {
    int line;
    int kind;
    AxisPosition previous;
    AxisPosition target;
    double centre[3];
    double values[SNAPSHOT_VALUE_COUNT];
    int cutState;
    int secondRotationMode;
    double secondRotationAngle;
    int planeRotationMode;
    double planeRotationAngle;
};
extern NcBlockSnapshot g_BlockSnapshot;                  // the block just saved
extern NcBlockSnapshot g_PreviousBlockSnapshot;          // the one saved before it
extern NcBlockSnapshot g_CompensationSnapshot;           // copy of g_CompensationRecord at the last save
extern NcBlockSnapshot g_PreviousCompensationSnapshot;   // the copy before it

// g_CycleRapidInHole (nc/interpreter_state.h): 1 for a rapid of a canned cycle inside the hole; the
// cut it makes is not marked as made in rapid.
// 1 for a motion taken from the look-ahead queue while compensation is on (a corner move).
extern int g_CornerMotion;
// 1 when the corner just classified is an outer corner.
extern int g_CompensationOuterCorner;
// 1 while the NC data check drives the interpreter: no rapid is split and no gouge is listed.
extern int g_DataCheckRunning;

// Produces at most one motion (see the protocol above).
void FetchNextMotion();
// Reads and interprets lines until a block moves in X, Y or Z or is an arc; 0 at once when the reader
// has no line, else 1.
int ReadUntilMotion();
// Keeps the block state: g_BlockSnapshot to g_PreviousBlockSnapshot, g_CompensationSnapshot to
// g_PreviousCompensationSnapshot, g_CompensationRecord to g_CompensationSnapshot, the state to
// g_BlockSnapshot.
void SaveBlockState();
// The state from g_BlockSnapshot.
void RestorePreviousBlockState();
// The state from g_BlockSnapshot with the positions of g_CompensationSnapshot.
void RestoreBlockStateCopy();
// The state from g_PreviousBlockSnapshot with the positions of g_PreviousCompensationSnapshot.
void RestoreLookaheadState();
// The line counter of the level being read (the main program's or the sub-program level's).
int CurrentLineCounter();
// Sets g_CompensationOuterCorner from the end tangent of the previous element and the start tangent of
// the new one.
void ClassifyCompensationCorner();
