// The work model's display lists: the surface of each display block per undo level, the one list of
// the ray-end point styles, and the triangulation of a work into an open list (used for the basic
// model too). Stand-in (work_display_standin.cpp) until the work display is built: nothing is drawn.
#pragma once

struct WorkModel;

// The list of the current work in the ray-end point display styles (UI thread).
extern unsigned g_PointModeListId;

// Compiles the lists of the work's changed display blocks at its current undo level.
void DrawWorkModel(WorkModel* work);
// Replays the lists of the work's display blocks at its current undo level (triangle count above 0).
void CallWorkBlockLists(const WorkModel* work);
// Marks every display block of the current work changed and its current level's lists for rebuilding.
void MarkWorkBlocksForRebuild();
// The face buffers of a work, the triangles of a range of its cells into the open list (solid 1: the
// solid surface), and their release. TessellateWorkBlock returns the triangles emitted.
int PrepareWorkFaceBuffers(const WorkModel* work);
int TessellateWorkBlock(const WorkModel* work, int solid, const int firstCell[3], const int lastCell[3]);
void FreeWorkFaceBuffers();
