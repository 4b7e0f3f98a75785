// The NC data check: one pass of the whole program through the interpreter without cutting, on the
// UI thread, that collects the extents of the tool tip, feed and spindle extremes, path lengths and
// machining times (with an acceleration model), the machining steps and the numbers and codes the
// program uses. The frame sizes the stock and shows the first NC alarm from it; the verification report
// prints it. The interpreter state, tool selection, control point and work offset are as before.
#pragma once
#include "nc/stop_blocks.h"  // MACHINING_STEP_SLOTS, g_MachineStepCount, g_StepToolNumbers
#include "platform/ui/ui_types.h"

constexpr int USAGE_FLAG_COUNT = 1000;        // D and H numbers 0..999
constexpr double CHECK_EXTENT_EMPTY = 9999999.0;  // a box starts with min +this and max -this

// One extent box of the tool tip (X, Y, Z). An empty box has min above max.
struct CheckExtentBox {
    double max[3];
    double min[3];
};

// The check's results (NcCheckResult), written by RunNcDataCheck on the UI thread and read by the
// frame and the verification report until the next check.
extern CheckExtentBox g_CheckExtentsWork;        // every move, work coordinates
extern CheckExtentBox g_CheckExtentsCutWork;     // cutting moves (feed below RAPID FEEDRATE), work
extern CheckExtentBox g_CheckExtentsMachine;     // every move, machine coordinates
extern CheckExtentBox g_CheckExtentsCutMachine;  // cutting moves, machine coordinates
extern double g_CheckMaxFeed;            // largest F of a feed move
extern double g_CheckMaxCutFeed;         // largest F below RAPID FEEDRATE
extern double g_CheckMinFeed;            // smallest F above 0
extern double g_CheckMaxSpindleSpeed;    // largest integer S
extern double g_CheckFeedPathLength;     // mm: every feed move
extern double g_CheckCutLength;          // mm: feed moves below RAPID FEEDRATE
extern double g_CheckRapidSpeedLength;   // mm: feed moves at or above RAPID FEEDRATE, and rapids
extern double g_CheckRapidLength;        // mm: rapid moves
extern double g_CheckFeedTime;           // s: feed moves, dwells in feed motion, cycle dwells
extern double g_CheckNonCutTime;         // s: rapids, tool changes, dwells in rapid motion
extern double g_CheckCutTime;            // s: feed moves below RAPID FEEDRATE, feed dwells, cycle dwells
extern double g_CheckRapidSpeedTime;     // s: rapids, fast feed moves, tool changes, rapid dwells
extern double g_StepTimes[MACHINING_STEP_SLOTS];  // s: time of each machining step (index = step)
extern unsigned char g_DUsedFlags[USAGE_FLAG_COUNT];  // 1 when the D number was in effect
extern unsigned char g_HUsedFlags[USAGE_FLAG_COUNT];  // 1 when the H number was in effect
extern int g_CheckLineCount;             // main-program line counter at the end of the check

// The consecutive feed moves timed as one motion.
struct PendingFeedMove {
    double length;        // mm
    double startSpeed;    // mm/min
    double feed;          // mm/min
    int kind;             // motion kind of the last move added
    int moves;            // moves joined
    double start[3];
    double end[3];
    double direction[3];  // direction of the last move added (0 for arcs and NURBS)
};
extern PendingFeedMove g_PendingFeedMove;

// Runs the whole program once (see the file comment); window owns the progress display. Leaves the
// first NC alarm in g_NcAlarmCode, or NC_ALARM_NO_START_CODE when no end-of-record line started the
// program (also when the NC file cannot be opened). g_ReportCheckRunning is the caller's to set.
void RunNcDataCheck(WindowHandle window);

// Bounding box of an arc (plane axes first and second, normal axis; kind 2 clockwise, 3 counter-
// clockwise; sweep in radians) into min and max (three doubles each).
void ExtendBoxByArc(int first, int second, int normal, int kind, const double* start, const double* end,
                    const double* centre, double radius, double sweep, double* min, double* max);
// Adds one feed move of length with its direction (null: none, as for arcs) to g_PendingFeedMove,
// timing the pending motion when the direction turns by more than SMOOTH ANGLE or the feed changes.
void AccumulateFeedMove(double length, const double* direction);
// Times the pending motion with end speed 0 and empties it.
void FlushPendingFeedMove();
// Times one motion (speeds mm/min) and adds it to the feed time, the cut or rapid-speed time and the
// current step.
void AccumulateFeedTime(int kind, double length, double startSpeed, double feed, double endSpeed);
// Seconds for a motion of distance s (mm) from speed vs through at most vm to ve (mm/s) with the
// acceleration a (G; 1 G = 9800 mm/s^2). A speed of exactly 0 counts as 10 mm/s.
double ComputeMoveTime(double s, double vs, double vm, double ve, double a);
