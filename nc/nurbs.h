// NURBS interpolation: the G06.2 (and G132) block reader and its spans.
#pragma once

extern char g_NurbsKnotLetter;   // 'K' for G06.2, 'Q' for G132 (set by the G code)

// Reads a NURBS block from position in g_NcLineBuffer (just after the code) and its continuation lines.
void ReadNurbsBlock(int position);

// Control points of the curve just read (g_NurbsPointCount of them) and the calls of the data check.
extern int g_NurbsPointCount;
extern int g_NurbsAllocated;   // 1 while the curve arrays exist
// Control point index (X, Y, Z) into point; 0 when index is outside the curve.
int GetNurbsControlPoint(int index, double* point);
// Length of the whole curve (mm).
double MeasureNurbsLength();
// Applies the coordinate rotation and the mirror to the control points in place.
void TransformNurbsControlPoints();
// Frees the curve arrays.
void FreeNurbsBuffers();
