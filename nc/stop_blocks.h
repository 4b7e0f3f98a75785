// Stop blocks and directive comments: whether a run stops before a block under the user's stop mode,
// the "QUMBRA:" directives written in NC comments, and the end of the NC alarm list of a run.
#pragma once

constexpr int MACHINING_STEP_SLOTS = 200;
constexpr char kAlarmListFileName[] = "alarm.txt";   // NC alarm list of a run, in the current folder

// Directive state read by the simulation thread (set by the save-each-process directive).
extern char g_SnapshotBaseName[256];                 // NC path without extension: base of the snapshot names
extern int g_MachineStepCount;                       // index of the current machining step
extern int g_StepCutMarks[MACHINING_STEP_SLOTS];     // 1 once the step removed material
extern int g_StepToolNumbers[MACHINING_STEP_SLOTS];  // tool of each step

// 1 when the run must stop before the block of line (a pending user stop or pause, or the stop mode).
int IsProgramStopBlock(const char* line);
// Looks for a directive in the comment text after its "(" or ";" (only while a run is active).
void CheckNcDirectiveComment(const char* text);
// Applies the directive text after "QUMBRA:"; 0 when it was recognised, 1 otherwise.
int ApplySaveEachProcessDirective(const char* text);
// Ends the NC alarm list of a run: closes "alarm.txt" and, for "CHECK RADIUS OFFSET" OPEN in a run
// that is not silent, opens it with the desktop's viewer; clears g_RadiusOffsetAlarm.
void CloseAlarmFile();
