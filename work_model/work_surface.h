// The cell kernel of the work surface: the twelve edges of one grid cell classified against the
// rays that run along them, reconciled at the cell's nodes and turned into oriented segments on the
// cell's six faces; and a walk over a box of cells that feeds each cell's segments to a driver.
// Chaining the segments into loops and writing triangles is in work_mesh_export.h.
#pragma once
#include <cstdint>
#include "work_model/work_model.h"

// How the material of an edge's ray meets the edge [L, U] (entry: start of an interval, exit: its
// end, inside: strictly between L and U).
enum EdgeCode {
    EDGE_EMPTY = 0,                       // no material on the edge
    EDGE_FULL = 1,                        // material over the whole edge, no crossing
    EDGE_ENTER_AT_LOWER = 2,              // entry at L, on beyond U (value L)
    EDGE_EXIT_AT_UPPER = 3,               // from below L, exit at U (value U)
    EDGE_SPAN_EXACT = 4,                  // entry at L, exit at U (L, U)
    EDGE_ENTER_INSIDE = 5,                // entry inside, on beyond U (entry)
    EDGE_ENTER_INSIDE_EXIT_AT_UPPER = 6,  // entry inside, exit at U (entry, U)
    EDGE_EXIT_INSIDE = 7,                 // from below L, exit inside (exit)
    EDGE_ENTER_AT_LOWER_EXIT_INSIDE = 8,  // entry at L, exit inside (L, exit)
    EDGE_INSIDE = 9,                      // entry and exit inside (entry, exit)
    EDGE_TOUCH_LOWER = 10,                // material ends exactly at L, the edge is empty (L)
    EDGE_TOUCH_UPPER = 11,                // material starts exactly at U, the edge is empty (U)
};

// One edge of a cell: its code and the crossing values (coordinates along the ray, ascending) with
// the attribute bytes of the ray ends they came from.
struct CellEdge {
    int code;               // EdgeCode
    int count;              // crossing values, 0 to 2
    double values[2];
    uint8_t attributes[2];
};

// The twelve edges of a cell (i, j, k), in the order the cell's records keep them. Xab is the X-ray
// at (y_j+a, z_k+b), Yab the Y-ray at (x_i+a, z_k+b), Zab the Z-ray at (x_i+a, y_j+b).
enum CellEdgeName {
    EDGE_X00, EDGE_X10, EDGE_X01, EDGE_X11,
    EDGE_Y00, EDGE_Y01, EDGE_Y10, EDGE_Y11,
    EDGE_Z00, EDGE_Z10, EDGE_Z01, EDGE_Z11,
    CELL_EDGE_COUNT
};

enum {
    CELL_FACE_COUNT = 6,       // faces 0 x = x_i, 1 x = x_i+1, 2 y = y_j, 3 y = y_j+1, 4 z_k, 5 z_k+1
    FACE_MAX_SEGMENTS = 8,     // segments one face gives at most
    CELL_MAX_SEGMENTS = 48,    // segments one cell gives at most
    SEGMENT_CROSSES_FACE = 10, // label offset of a segment that crosses a face
};

// One oriented segment on a face of a cell. label 0..5: the segment runs along a cell edge and
// outlines a flat piece of surface lying in face `label`; 10..15: it crosses face label - 10.
struct FaceSegment {
    double points[2][3];
    uint8_t attributes[2];
    int label;
};

// Per face of the grid box (index as the cell faces), one byte per ray of the family perpendicular
// to it: 1 when the boundary square whose lower corner is that ray is already written.
// CellFaceFlags are six ints: 1 for a cell face such a square covers.

// The first and last end (with their attribute bytes) of every ray of a family (0 X, 1 Y, 2 Z). An
// empty ray gives first = the last node along the ray and last = the first node, so that it never
// lies on a boundary plane; its attribute entries are left as they are. Attribute arrays may be null.
void GetDexelFirstLastEnds(const WorkModel* work, int family, double* first,
                           uint8_t* firstAttributes, double* last, uint8_t* lastAttributes);
// Classifies a ray of one interval (ends[0] entry, ends[1] exit) that is neither full nor disjoint
// over [L, U]: code, count, values and attributes.
void ClassifyIntervalInCell(const double ends[2], const uint8_t attributes[2], double L, double U,
                            CellEdge* edge);
// Classifies a ray of any other count; ends and attributes are its inline slots, followed into its
// separate arrays when count > capacity. The caller sets edge->code to 0 first. Gaps strictly inside
// the edge are closed over.
void ClipDexelToCell(int capacity, int count, const double* ends, const uint8_t* attributes,
                     double L, double U, CellEdge* edge);
// The whole classification of ray `ray` of a family against [L, U].
void ClassifyCellEdge(const DexelFamily* family, int ray, double L, double U, CellEdge* edge);
// Reconciles an edge with the two other cell edges at each of its nodes. type: where each neighbour
// touches the node: 0 the first at its upper end and the second at its lower end, 1 both upper,
// 2 both lower, 3 the first lower and the second upper. Changes edge in place.
void CombineCellCases(int type, CellEdge* edge, double L, double U, const CellEdge* n1Lower,
                      const CellEdge* n2Lower, const CellEdge* n1Upper, const CellEdge* n2Upper);
// Reconciles the twelve edges of a cell in their fixed order; lo and hi are the cell's lower and
// upper node coordinates.
void ReconcileCellEdges(CellEdge edges[CELL_EDGE_COUNT], const double lo[3], const double hi[3]);
// Fills flags (CellFaceFlags) for cell (i, j, k): a face of the cell that lies on the grid box is
// flagged when its boundary square is marked 1. xRay, yRay, zRay: the cell's X00, Y00, Z00 rays.
// marks may be null (no flags).
void GetCellBoundaryFlags(const WorkModel* work, int i, int j, int k, int xRay, int yRay, int zRay,
                          const uint8_t* const marks[CELL_FACE_COUNT], int flags[CELL_FACE_COUNT]);
// Appends the segments of one face (normal axis 0 X, 1 Y, 2 Z; f, g its in-face axes; plane its
// coordinate; e1..e4 its edges; ownFlag and adjacentFlags from CellFaceFlags, adjacentFlags in the
// order of e1..e4). Adds at most FACE_MAX_SEGMENTS to *segmentCount.
void BuildCellPolygons(int normalAxis, int f, int g, int face, double plane, double fLo, double fHi,
                       double gLo, double gHi, int ownFlag, const int adjacentFlags[4],
                       const CellEdge* e1, const CellEdge* e2, const CellEdge* e3,
                       const CellEdge* e4, FaceSegment* segments, int* segmentCount);
// The cell procedure after classification: edges holds the twelve classified edges of cell
// (i, j, k) (left as they were; reconciliation works on a copy). Fills faceFlags and segments and
// returns the number of segments (0 when the cell gives nothing).
int ExtractCellSegments(const WorkModel* work, int i, int j, int k,
                        const CellEdge edges[CELL_EDGE_COUNT],
                        const uint8_t* const marks[CELL_FACE_COUNT], int faceFlags[CELL_FACE_COUNT],
                        FaceSegment segments[CELL_MAX_SEGMENTS]);

// Receives the segments of one cell that gives more than two.
typedef void (*CellSegmentsSink)(void* context, const int faceFlags[CELL_FACE_COUNT],
                                 const FaceSegment* segments, int segmentCount);
// Runs the cell procedure over cells cellLo..cellHi - 1 (per axis; clipped to the grid), k outer,
// i inner, reusing the Y- and Z-edges shared along x. marks: the boundary marks (null: none).
void WalkWorkCells(const WorkModel* work, const int cellLo[3], const int cellHi[3],
                   const uint8_t* const marks[CELL_FACE_COUNT], CellSegmentsSink sink,
                   void* context);
// The same walk over cells cellLo..cellHi - 1 (clipped to the grid), in the same order, visiting
// only the cells that a ray end touches (the others give nothing): the cost follows the surface
// inside the box, not its volume. Returns 1, or 0 when its work arrays could not be allocated
// (nothing visited then).
int WalkWorkCellsSparse(const WorkModel* work, const int cellLo[3], const int cellHi[3],
                        const uint8_t* const marks[CELL_FACE_COUNT], CellSegmentsSink sink,
                        void* context);
// The same walk over every cell of the grid, visiting only the cells that a ray end touches (the
// others give nothing): the cost follows the surface, not the volume. Returns 1, or 0 when its work
// arrays could not be allocated (nothing visited then).
int WalkAllWorkCells(const WorkModel* work, const uint8_t* const marks[CELL_FACE_COUNT],
                     CellSegmentsSink sink, void* context);
