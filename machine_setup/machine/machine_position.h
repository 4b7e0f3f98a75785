// The machine position of the current block: control point, machine axis values, tool tip and tool
// axis, kept consistent by UpdateCurrentMachinePosition; the two variants for the tool-path drawing,
// the reverse step of tool-centre-point control, the polar form and the save of the position set.
#pragma once
#include "machine_setup/machine/axis_position.h"

// The saved position set (alarm position the view returns to).
struct SavedMachineState {
    int spindleToolNumber;          // -1 after a tool table read: the set is not valid
    AxisPosition controlPoint;
    AxisPosition machinePosition;
    AxisPosition activeWorkOffset;
    double toolTip[3];
    double toolAxis[3];
};

// Written by whichever thread computes the position (the simulation thread during a run, the
// user-interface thread otherwise); read by the interpreter, the checks and the view.
extern AxisPosition g_ControlPoint;      // programmed control point, relative to the active work offset
extern AxisPosition g_MachinePosition;   // machine X, Y, Z and rotary angles
extern double g_ToolTipPoint[3];         // tool tip in machine space (work frame on TABLE/MIX machines)
extern double g_ToolAxisVector[3];       // unit tool axis, tip into spindle
extern double g_RotaryCosSin[4];         // cos r1, sin r1, cos r2, sin r2 of g_MachinePosition, signs applied
extern SavedMachineState g_SavedState;   // written by SaveCurrentPositions and the simulation thread

// Recomputes g_MachinePosition, g_ToolTipPoint, g_ToolAxisVector (in the reverse modes also
// g_ControlPoint, g_NcTargetPosition, g_NcMoveEnd) and always g_RotaryCosSin.
// Returns 1, or 0 when a rotary solution was needed and none exists (the position is still written).
int UpdateCurrentMachinePosition();

// Path-drawing variants: the block's control point (read) and machine position (read in the reverse
// modes) in place of the globals; tip and axis go to the outputs; g_RotaryCosSin is left alone.
// Variant A stores machine values where UpdateCurrentMachinePosition does; variant B stores none
// except in the reference-return path. Results as UpdateCurrentMachinePosition.
int ComputeMachinePositionForBlockA(const AxisPosition* controlPoint, const AxisPosition* machinePosition,
                                    double* toolTip, double* toolAxis);
int ComputeMachinePositionForBlockB(const AxisPosition* controlPoint, const AxisPosition* machinePosition,
                                    double* toolTip, double* toolAxis);

// Sets g_ControlPoint from a tool tip and axis (the reverse of the tool-centre-point computation).
void ApplyToolLengthCorrection(const double* toolTip, const double* toolAxis);

// Polar form of source's X and Y: out.X radius, out.r2 angle (0 to 360) + g_PolarAngleOffset,
// out.Y 0, out.Z and out.r1 copied; headOffsetFlag 1 adds the head tip offset (automatic tool offset).
void ComputePolarAngle(const AxisPosition* source, int headOffsetFlag, AxisPosition* out);

// out = P + r x unit(a u + b v) + t w; out untouched when a u + b v has no length.
void OffsetPointAlongDirections(const double* p, const double* u, const double* v, const double* w,
                                double r, double a, double b, double t, double* out);

// Copies the spindle tool number, control point, machine position, work offset, tip and axis into
// state; SaveCurrentPositions into g_SavedState.
void CaptureCurrentPositions(SavedMachineState* state);
void SaveCurrentPositions();
