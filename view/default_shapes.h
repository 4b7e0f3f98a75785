// The shapes the view draws for machine parts that have no model file (a box for the HEAD, cylinders
// for HEAD1 and HEAD2, plates, discs or bars for the rotary tables) and the two primitives they are
// made of. Everything is emitted into the open display list in scene units (mm / g_SceneScale).
#pragma once

// Size of the default table shapes in mm: 80 at start; a quarter of the work's scene diagonal once a
// work is defined (UI thread).
extern double g_DefaultPartSize;

// One GL_QUADS primitive of the six faces of an axis-parallel box (scene units), outward normals.
void DrawBox(const double* minimum, const double* maximum);
// An n-sided cylinder along axis (0 X, 1 Y, 2 Z) from centre (base circle, scene units) up by length,
// with both caps. Selects flat shading.
void DrawCylinder(const double* centre, double radius, int axis, double length, int sides);

// The default shapes; each draws nothing when its part has a model file or its conditions fail.
void DrawDefaultHeadBox();
void DrawDefaultHead1Cylinder();
void DrawDefaultHead2Cylinder();
void DrawDefaultTable1Shape();
void DrawDefaultTable2Shape();
