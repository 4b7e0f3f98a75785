// The work model's display lists: the surface of each display block per undo level (merged
// rectangles on the outer faces of the grid box plus coloured polygons inside the cells), the one
// list of the ray-end point styles, and the same tessellation for the basic model. Everything runs
// on the UI thread with the view's context current.
#pragma once
#include <cstdint>
#include "work_model/work_model.h"
#include "work_model/work_surface.h"

// The list of the current work in the ray-end point display styles (UI thread). It is column 999 of
// the current undo level's row of the work's names: no display block ever has that column.
extern unsigned g_PointModeListId;
// Per work slot: list names of its display blocks, one row of 1000 per undo level (malloc'ed by
// InitWorkListIdTable; null = none). Row l, column b names block b's list at level l.
extern int32_t* g_WorkListIdTables[WORK_MODEL_SLOTS];

// The placement of the vertices emitted: rotate with g_FaceMatrix (the inverse of the work's
// rotation, column form) when g_FaceRotate, add g_FaceShiftVector when g_FaceShift. Set by
// PrepareWorkFaceBuffers.
extern int g_FaceRotate;
extern int g_FaceShift;
extern double g_FaceMatrix[9];
extern double g_FaceShiftVector[3];

// Emission state of the block being tessellated: the open primitive (0 none, UI_GL_LINE_LOOP or
// UI_GL_TRIANGLES + 1), the current material (-2 none yet, -1 paint, 0 to 15 pen) and the count at
// the last material change.
extern unsigned g_OpenPrimitive;
extern int g_CurrentFaceMaterial;
extern int g_BatchStartCount;

// Brings the current work's lists up to date for its current undo level by g_WorkDisplayStyle (0
// solid, 1 wire, 2 to 5 ray ends of X, Y, Z or all). Nothing when the work display is off.
void DrawWorkModel(WorkModel* work);
// Replays the lists of the work's display blocks at its current undo level (triangle count above 0).
void CallWorkBlockLists(const WorkModel* work);
// Marks every display block of the current work changed and its current level's lists for rebuilding.
void MarkWorkBlocksForRebuild();
// Asks for the current work's lists of its current level to be brought up to date at the next paint
// (the blocks a cut changed are tessellated again); nothing without a defined work.
void MarkWorkStepForRebuild();

// Tessellates every display block of the work whose changed byte is set, at the current undo level,
// into a list name no other level of that block uses; stores the counts in the level's row of
// blockListIds and clears the changed bytes. Returns the blocks tessellated.
int RebuildWorkBlockLists(WorkModel* work, int32_t* idTable, int wire);
// Compiles the surface of cells [x0, x1) x [y0, y1) x [z0, z1) into list `listName` (opened only when
// something is emitted; 0: into the list the caller opened). Returns the rectangles plus triangles
// emitted (0: nothing, no list), or -1 when no cell of the range has material on an X edge. The face
// buffers must be prepared.
int TessellateWorkBlock(const WorkModel* work, int wire, int x0, int x1, int y0, int y1, int z0, int z1,
                        unsigned listName);
// Emits the merged rectangles of outer face `face` (0 x-min .. 5 z-max) over the block's cells
// cellLo..cellHi - 1 and marks the face cells they cover; adds them to *count.
void DrawWorkModelFace(const WorkModel* work, int wire, int face, const int cellLo[3], const int cellHi[3],
                       int* count);
// Chains one cell's segments into closed polygons and emits them as triangle fans coloured by the
// pens of their corners; adds the triangles to *count.
void EmitColouredTriangles(int wire, const int faceFlags[CELL_FACE_COUNT], const FaceSegment* segments,
                           int segmentCount, int* count);
// The pen of a triangle from the attribute bytes of its corners: 0 when any corner has pen 0, else
// the pen two corners share, 0 when all three differ.
int GetTrianglePen(uint8_t a, uint8_t b, uint8_t c);
// Places point (work frame) in the machine frame, in place.
void TransformVertex(int rotate, int shift, double point[3]);
// Allocates the face marks of a work (the faces read the ray ends from the work itself) and sets
// the face transform. Returns 1, or 0 when
// the buffers could not be allocated (nothing kept).
int PrepareWorkFaceBuffers(const WorkModel* work);
void FreeWorkFaceBuffers();

// Allocates the name table (undo levels x 1000) of the work's slot into *table (freeing what it held)
// and fills row 0 with the first names of the blocks. Returns 1, or 0 without memory (*table null).
int InitWorkListIdTable(const WorkModel* work, int32_t** table);
// Copies the names of the previous undo level (of level 0: the highest level used) into the current
// level's row; called right after an undo level is pushed.
void CopyPreviousStepListIds(const WorkModel* work, int32_t* table);
// Deletes every list a work slot may have compiled and frees its name table (work discarded).
void FreeWorkDisplayLists(int slot, const WorkModel* work);

// Emit the ray ends of one family of the work as GL_POINTS into the open list.
void DrawWorkRayPointsX(const WorkModel* work);
void DrawWorkRayPointsY(const WorkModel* work);
void DrawWorkRayPointsZ(const WorkModel* work);
