// The work's surface as triangles for an STL file: the faces of the grid box that the material
// reaches as merged rectangles, then every cell's segments (work_surface.h) chained into closed
// loops and written as triangle fans, all through the facet writers of stl_writer.h in machine
// coordinates. Opening the file and writing its head and trail is the STL save's (stl_work.h).
#pragma once
#include <cstdint>
#include "work_model/work_model.h"
#include "work_model/work_surface.h"

// Receives one closed loop of a cell (count >= 3 points, in order) with the attribute byte of the
// ray end each point came from.
typedef void (*SurfaceLoopSink)(void* context, const double (*points)[3], const uint8_t* attributes,
                                int count);

// Writes the whole surface of the work's current undo level through the facet writers of
// g_MeshOutput (whose stream, format and work-coordinate fields the caller set); sets the output
// transform fields and counts the chains given up in g_MeshOutput.givenUpChains. *facetCount is set
// to the number of facets written. Returns 1, or 0 when its work arrays could not be allocated (the
// surface is then incomplete and the save discards the file).
int ExportWorkMesh(const WorkModel* work, uint32_t* facetCount);
// Writes the covered part of one face of the grid box (face 0..5 as the cell faces) as rectangles of
// two facets each and fills that face's marks (one byte per ray: 1 covered, 2 examined and not on
// the face). The ray at node (a, b) is entry a + b * uCount of ends; plane is the face's coordinate.
void WriteCellFaces(int face, uint32_t* facetCount, int uCount, const double* uCoordinates,
                    int vCount, const double* vCoordinates, double plane, const double* ends,
                    uint8_t* marks);
// Chains one cell's segments into loops and hands each closed loop to sink. Segments on a face the
// boundary pass covered (faceFlags) are left out. Returns the number of chains given up.
int ChainCellSegments(const int faceFlags[CELL_FACE_COUNT], const FaceSegment* segments,
                      int segmentCount, SurfaceLoopSink sink, void* context);
// ChainCellSegments writing each loop as a triangle fan with WriteStlFacet (placed by the output
// transform); adds the facets written to *facetCount and the chains given up to
// g_MeshOutput.givenUpChains.
void WriteClosingPolygons(uint32_t* facetCount, const int faceFlags[CELL_FACE_COUNT],
                          const FaceSegment* segments, int segmentCount);
// Turns point by g_MeshOutput.outputRotation (when rotate is set: column form, the inverse of the
// work's rotation) and adds outputTranslation (when translate is set).
void ApplyOutputTransform(int rotate, int translate, double point[3]);
