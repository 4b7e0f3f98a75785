// Values of the machining simulation that the kinematics read, and the warning-file entry for a long
// rotary move. The simulation thread (during a run: the over-travel axis of each sub-step, the spindle
// axis turn, the moving rotary axes) and the tool-path drawing write the values; the simulation
// installs the hook that writes the warning file at start-up.
#pragma once

extern double g_TableRotaryCosSin[4];    // cos r1, sin r1, cos r2, sin r2 taken when tool-centre control starts
extern double g_StepAxisIncrements[3];   // per-sub-step increment of the tool-axis vector (vector mode)
extern double g_ZTurnAngle;              // degrees: turn about Z of a tool given as triangles
extern int g_RotatingAxisIndex;          // the turning axis of a lathe run: 3 rotary 1, 4 rotary 2 (view spin)
extern int g_OvertravelAxis;             // result of FindNearestAxisOvertravel; -1 none
extern double g_RotaryDisplayAngles[2];  // rotary angles taken over when tool-centre control starts
extern int g_RotaryAxesMoving;           // 1 when the step moves a rotary axis
extern int g_WarningCount;               // lines written to the warning file

// Appends "* Long movement of rotary axis *" with the angles before and after the move to the warning
// file when the controller's warning level is above 0.
void WarnLongRotaryMove(double previous1, double previous2, double new1, double new2);
// Writes and counts the warning itself (installed by the simulation; null: the warning is only counted).
extern void (*g_WarnLongRotaryMoveHook)(double previous1, double previous2, double new1, double new2);
