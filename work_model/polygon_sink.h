// Where drawn mesh polygons go: the view installs a sink that issues each polygon into the display
// list it is compiling (with the current context's colour and lighting); tests install one that
// records. With no sink installed nothing is drawn.
#pragma once

struct PolygonSink {
    // One triangle: its normal and vertices 0, 1, 2 (x, y, z each), already in scene units.
    void (*drawTriangle)(void* context, const double normal[3], const double vertices[9]);
    void* context;
};
extern PolygonSink g_PolygonSink;  // set by the view (UI thread)
