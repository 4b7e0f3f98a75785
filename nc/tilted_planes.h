// Tilted working planes, table-following work offsets and the small NC routines they share.
#pragma once

// Tilted plane from the three HEIDENHAIN PLANE SPATIAL angles.
void BuildSpatialPlane();
// Tilted plane from the last "CYCLE800" call (g_Cycle800Parameters).
void BuildCycle800Plane();
// Tool-axis vector from three orientation angles (degrees).
void ComputeToolAxisVector(const double* angles, double* out);
// Turns the work offsets with the rotary table for the target (five doubles) and the W word number.
void RotateWorkOffsetsWithTable(const double* target, int wNumber);
// Destination work offset row (number - 53) from a source row, a shift and two rotary angles.
void RotateWorkOffsetByRotaryAngles(int sourceNumber, double shiftX, double shiftY, double shiftZ,
                                    double angle1, double angle2, int destinationNumber);
// Sets every position of the interpreter from the start point (tool centre control switched off).
void SetAllPositionsFromStartPoint();
