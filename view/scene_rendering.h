// One frame of the 3D view: the flagged lists are compiled, then the overlay, the table side, the work,
// the paths, the head side and the tool are replayed in a fixed order, each moved by the current
// machine position and rotary angles. Called from the view's paint with its context current.
#pragma once

struct WorkModel;

// Offsets of the frame (computed at its start; X, Y, Z).
extern double g_TableDisplayOffsets[3];   // scene units: minus the position on table-moved axes
extern double g_HeadDisplayOffsets[3];    // scene units: the position on head-moved axes (less the layout)

// Paints one frame of work (the current work record). The caller swaps the buffers.
void RenderScene(WorkModel* work);
// Computes g_TableAxisOffsets, g_TableDisplayOffsets and g_HeadDisplayOffsets from the machine position.
void ComputeSceneOffsets();
// Compiles every list whose rebuild flag is set (the first part of a frame).
void RebuildFlaggedLists(WorkModel* work);
// The zoom window's rectangle in normalised device coordinates (red, line width 2).
void DrawZoomRectangle();
