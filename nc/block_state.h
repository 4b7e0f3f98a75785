// The word memories of the block interpreter (D, H, F, O, N, W, S numbers, modal feed, compensation
// side, cycle and rigid-tap values, the used-code tables) and the tool-axis values of the vector mode.
// Written by the thread that runs the interpreter (one driver at a time, see interpreter_state.h).
#pragma once
#include "nc/interpreter_state.h"  // NcAlarmCode

constexpr int USED_CODE_TABLE_SIZE = 200;   // G and M codes 0..199 recorded for the verification report
constexpr int Q_PARAMETER_COUNT = 1000;     // HEIDENHAIN Q0 to Q999

extern int g_DWordNumber;                 // D number in effect (0..999)
extern int g_FWordNumber;                 // F number of a feed-table look-up (0..999)
extern int g_ProgramNumber;               // O word
extern int g_SequenceNumber;              // N word
extern int g_WWordNumber;                 // W word
extern int g_SpindleSpeedWord;            // S word as written (integer)
extern double g_ModalFeed;                // feed of the last F word; copied into g_FeedValues[0] per block
extern int g_CompensationSide;            // +1 G41, -1 G42, 0 off (negated by a mirror that reverses arcs)
extern double g_CompensationValue;        // side x (D + D wear)
extern double g_CycleInitialLevel;        // previous position along the plane normal at the cycle code
extern int g_CycleIncrementalMode;        // g_IncrementalMode when the cycle code was given
extern int g_RigidTapBlock;               // M29 with an S word in this block
extern double g_RigidTapFeed;             // F of a rigid-tap cycle
extern double g_RigidTapSpeed;            // S of the M29 block
extern int g_NoCycleBlock;                // OSP NCYL
extern int g_CornerArcBlock;              // G39
extern int g_OspCoordinateSelectMode;     // OSP G15 (2) / G16 (1): the H word selects a work offset
extern int g_TiltedPlaneMWord;            // M number of a G68.2 block (source row of a rotary plane)
extern int g_TiltedPlaneQWord;            // Q number of a G68.2 block (destination row)
extern unsigned char g_UsedGCodes[USED_CODE_TABLE_SIZE];  // marked while the report's data check runs
extern unsigned char g_UsedMCodes[USED_CODE_TABLE_SIZE];
extern double g_QParameters[Q_PARAMETER_COUNT];           // HEIDENHAIN Q parameters

// Tool-axis vectors of the vector mode (tool centre mode 2).
extern double g_ToolAxisEnd[3];           // tool axis at the block end
extern double g_ToolAxisAtSwitchOn[3];    // tool axis when the vector mode was switched on

// Raises NC_ALARM_WORD_OUT_OF_RANGE (unless an alarm is already set) with the 1-based column of the
// word: the word is refused, nothing is written.
void RaiseWordRangeAlarm(int column);
// Raises NC_ALARM_TOOL_AXIS_OUT_OF_REACH (unless an alarm is already set).
void RaiseToolAxisReachAlarm();

// Clears the values above (and g_ModalFeed) for a new run; part of the interpreter reset.
void ResetBlockState();

// Clears the per-block fields (sweep, arc length, repeat count, sequence, program, tool call and
// spindle words, axis-word flags, last G and M codes, a finished reference return) that the driver of
// the interpreter clears before it reads each block.
void ClearPerBlockFields();
