// Forward kinematics of HEAD, TABLE and MIX machines: tool tip and tool axis of a five-axis machine
// position, the linear axis values that put the tip at a point for given rotary angles, the tool axis
// of an angle pair, turning radii about the rotary axes and the tool axis of a tool-centre path point.
#pragma once
#include "machine_setup/machine/axis_position.h"

// Tip and unit tool axis of machine position p. Axis components below 1e-9 in size become exactly 0.
void ApplyForwardKinematics(const AxisPosition* p, double* toolTip, double* toolAxis);

// Tool axis for the rotary angles (degrees), with the same clean-up.
void ComputeRotaryFrame(const double* angles, double* toolAxis);

// Vector v turned through both rotary axes like the spindle direction (no clean-up). result may not be v.
void ApplyRotaryAxesToPoint(const double* angles, const double* v, double* result);

// Machine X, Y, Z that put the tool tip at toolTip with the given angles (tool length g_ToolLength).
void ApplyForwardKinematicsForAngles(const double* toolTip, const double* angles, double* result);

// The same with the active H offset in place of the tool length (tool-centre-point control).
void ApplyRotaryAxesToPosition(const double* toolTip, const double* angles, double* result);

// Distances of the tool point from rotary axis 1 and rotary axis 2 at machine position p.
void ComputeToolAxisOfPosition(const AxisPosition* p, double* radii);

// Tool axis at step n of a tool-centre move in vector mode, turned about the path frame by
// n x dq + g_SecondRotationAngle; direction (in/out) is replaced by the arc tangent on arcs.
void ComputePathPointToolFrame(const double* point, double dq, int n, double* direction, double* toolAxis);
