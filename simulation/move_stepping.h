// Move stepping: the move the interpreter handed out, settled (blocks that move nothing, locked rotary
// axes), divided into sub-steps no longer than the move pitch, and every sub-step interpolated, driven
// through the kinematics, tested against the strokes, cut into the work, held against the cutting-
// condition limit and the interference checks and judged by the stop rules; the steps that must be
// shown go to the frame through the display handshake. Runs on the simulation thread.
#pragma once
#include "machine_setup/machine/axis_position.h"

// Outcomes of RunMove.
enum MoveOutcome {
    MOVE_NEXT_BLOCK = 0,
    MOVE_END_RUN = 1
};

// Carries out the move from g_NcMoveStart to g_NcMoveEnd with g_MotionKind. Where nothing that a
// cut yields can stop the move or be shown before, up to g_CutStepsAhead sub-steps are cut together
// by the cutting threads and then taken through their checks one by one; every result is the one
// of cutting them one by one.
int RunMove();
// RunMove for the block loop: the sub-steps of the move's last pass may wait, uncut and unchecked,
// for the sub-steps of the following moves (the pass spans moves), when nothing at the move's end
// shows or stops anything. The block loop cuts and checks them (CutWaitingSubSteps) before anything
// that could change what is cut, show the work or read what their checks leave; a move that cannot
// join them does so itself.
int RunMoveInPass();
// Cuts the sub-steps waiting in the pass and takes each through its checks (no abort is served).
void CutWaitingSubSteps();
// Whether sub-steps wait for their cut; and whether they do while a value the cut reads (cutting
// on, the work, the spindle tool, the machining step, feed or rapid, ...) has changed since.
int SubStepsWaitForCut();
int SubStepsWaitWithOtherKernelValues();
// Sub-steps of a move cut together at most (1: each on its own; tests lower it to split moves).
constexpr int CUT_STEPS_AHEAD = 128;
extern int g_CutStepsAhead;

// Length of a straight move for its step count: the linear deltas with the rotary deltas (degrees)
// weighted by the tool point's travel per degree, k = (previous radius + radius) x pi / 360.
double MeasureStraightMoveLength(const AxisPosition* delta, const double previousRadii[2], const double radii[2]);
// Sub-steps of a move of length L at the move pitch: max(1, ceil(L / pitch)); a pitch of 0 (no
// subdivision) or below gives 1, and the count is bounded for absurd lengths.
int CountMoveSubSteps(double length, double pitch);
// Angular positions at which a lathe-type work turning about the tool point at radius is cut per
// sub-step: max(1, ceil(2 pi radius / pitch)); a pitch of 0 gives 1.
int CountTurningPositions(double radius, double pitch);
// The cutting-condition limit of the spindle tool at a sub-step that cut in a feed move: the removed
// cross-section g_MoveRemovedVolume / g_StepLength (or, for the rate kinds, feed x section / 60)
// against the first limit value. A stopping kind raises the LIMIT flag and saves the position; a
// logging kind writes a line of the limit log (opening it at the first). Skipped for a step of no
// length, which has no cross-section.
void CheckCuttingLimit();
