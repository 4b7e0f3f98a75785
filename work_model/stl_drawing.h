// Drawing STL files straight from disk for the machine parts of the 3D view: one polygon per facet
// to the installed polygon sink, each vertex moved, optionally turned by the model rotation of the
// shell's "Rotary Method" operation, and scaled to the scene. Nothing of the file stays in memory.
#pragma once

// The model rotation as the shell set it: a turn about a coordinate axis through a centre.
struct ModelRotation {
    int active;        // exactly 1 while the rotation applies to drawn vertices
    int axis;          // 0 X, 1 Y, any other value Z
    double centre[3];  // a point of the rotation axis
    double sine;       // of the angle
    double cosine;
};

// Turns v about the rotation's coordinate axis through the origin, in place.
void RotatePointAboutAxis(const ModelRotation* rotation, double v[3]);
// Turns p about the rotation's axis through its centre, in place.
void RotateModelPoint(const ModelRotation* rotation, double p[3]);
// Reads the file of kind (DetectStlKind of path; STL_NONE draws nothing) and gives each facet to
// g_PolygonSink: vertices plus offset, turned when rotation->active is 1, divided by sceneScale; the
// normal as read. A text facet is drawn at its "endloop" when its loop held three vertices.
void DrawStlFile(int kind, const char* path, const double offset[3], const ModelRotation* rotation,
                 double sceneScale);
