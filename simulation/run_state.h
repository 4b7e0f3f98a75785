// The values one cutting run keeps on the simulation thread and leaves for the frame's end-of-run work
// (alarm choice, file closing): the start position, the end and alarm-position marks, the rotary radii
// of the move stepping and the run's end message. Written by the simulation thread; the UI thread reads
// them while the thread waits in a display handshake or after it ended.
#pragma once
#include "machine_setup/machine/machine_position.h"

extern double g_RunStartAxes[5];       // X, Y, Z, rotary 1, rotary 2 of the machine at the run start
// The positions kept at the end of the last run (control point, machine position, active work offset,
// tip and axis; the view swaps the current ones with them). The work commands overwrite it with the
// current positions. UI thread.
extern SavedMachineState g_LastRunState;
extern int g_RunEnded;                 // 1 when the run ended early on an NC alarm; 0 after each sub-step
extern int g_AlarmPositionSaved;       // 1 when this sub-step saved the alarm position
extern int g_LastRedrawLine;           // NC line at which the skip-cutting display last waited
extern int g_PreviousTool;             // spindle tool before the last change of a mounted set
extern char g_CurrentBlockText[256];   // the block shown in the NC row (without its line end)
// A work file name: where the command line's -O request saves the work (UI thread), and the name of
// the last per-step snapshot of a run (simulation thread).
constexpr int WORK_SAVE_PATH_SIZE = 256;
extern char g_WorkSavePath[WORK_SAVE_PATH_SIZE];
extern int g_RealCutDisplayMove;       // 1 when the move is shown step by step whatever the run mode
extern int g_RapidCheckActive;         // 1 when the rapid check applies to the move
extern double g_RotaryRadii[2];        // distance of the tool point from rotary axis 1 and 2
extern double g_PrevRotaryRadii[2];    // the same before the move
extern double g_StepLength;            // length of one sub-step of the move (mm)
extern int g_LastMoveStepCount;        // sub-steps the last move was planned in (0 when not simulated)
// Said when the run ended (empty when there is nothing to say): the rays the cutting kernel could not
// update over the run, with their count and the NC line of the first.
extern char g_RunEndMessage[256];
// The first tool of the run that the tool table does not define (SelectCurrentTool refused it), -1 none.
extern int g_RunRefusedTool;
