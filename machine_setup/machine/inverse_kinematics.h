// Inverse kinematics: the rotary angles that point the spindle along a tool axis, closed forms for
// plain and for inclined or vector-given axes, the controller's direction restriction and tie rules,
// the choice between two solutions and the signed rotary angle difference.
#pragma once

extern int g_LastRotarySolutionCount;   // solutions accepted by the last solve (0, 1, 2); either thread
extern int g_RotarySolutionMemory;      // solution memory of the vector mode; cleared when it starts

// Rotary angles (degrees) for tool axis v, chosen by the previous angles, within the ranges whose
// flag is set. Writes the result always ((0, 0) when no solution survives); returns 1 when a solution
// was found, 0 when none (unsupported configuration or every candidate filtered out).
int SolveInverseKinematics(const double* v, const double* previousDeg, const int* rangeEnabled,
                           const double* range1, const double* range2, double* resultDeg);
// The same for machines with an inclined or vector-given rotary axis (called by SolveInverseKinematics).
int SolveInverseKinematicsInclined(const double* v, const double* previousDeg, const int* rangeEnabled,
                                   const double* range1, const double* range2, double* resultDeg);

// Rotary angles (degrees) for a tool axis delivered to the interpreter: smallest total turn among the
// survivors. Returns 1, or 0 with (0, 0) when none survives.
int ChooseRotarySolution(const double* v, double* resultDeg);

// 1 when the angles are allowed by the HEIDENHAIN spatial sequence g_PlaneSpatialSequence, else 0.
int CheckRotaryDirectionRestriction(double angle1, double angle2);

// Signed turn b - a (degrees) by the rotary route rule.
double DiffRotaryAngle(double a, double b);
