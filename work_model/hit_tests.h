// Point-in-triangle tests, segment/facet and triangle/facet hit tests for the collision checks, the bounds of
// a moved box, and the rounding of a length to the controller's least input increment.
#pragma once
#include "work_model/facet_types.h"

// Result codes of the point-in-triangle tests; callers treat any code above 0 as a hit.
enum PointInTriangleCode {
    POINT_OUTSIDE = 0,
    POINT_NEAR_VERTEX = 1,   // closer than 0.01 to a vertex
    POINT_ON_EDGE = 2,       // the directions to an edge's two vertices are opposite
    POINT_INSIDE_XY = 21,    // inside, decided in the XY projection (the only "inside" of the 2D test)
    POINT_INSIDE_YZ = 22,
    POINT_INSIDE_ZX = 23,
};

// Winding-angle test of point against the triangle (9 doubles, v0 v1 v2).
int TestPointInTriangle3D(const double triangle[9], const double point[3]);
// The same in the projection onto the axes axisA and axisB (0 x, 1 y, 2 z); returns 0, 1, 2 or 21.
int TestPointInTriangle2D(const double triangle[9], const double point[3], int axisA, int axisB);

// 1 when the segment start-end meets the plane of a facet perpendicular to axis at a point inside the facet
// (tested in the coordinates firstAxis, secondAxis); the meeting point is written to hit whenever the segment
// crosses the plane. 0 otherwise.
int IntersectSegmentAxisPlane(const double plane[4], const FacetVertices* facet, int axis, int firstAxis,
                              int secondAxis, const double start[3], const double end[3], double hit[3]);
// The same for a plane in any position, tested with TestPointInTriangle3D.
int IntersectSegmentPlane(const double plane[4], const FacetVertices* facet, const double start[3],
                          const double end[3], double hit[3]);
// Tests the edges (P0,P1), (P1,P2), (P2,P0) of triangle against the facet: 1 at the first edge that hits,
// else 0.
int IntersectSegmentTriangle(const FacetVertices* facet, const FacetPlane* facetPlane, const double triangle[9]);

// The axis-aligned bounds of the box's eight corners each moved by offset (bounds start at +1e12 / -1e12).
void BoundTransformedBox(const double boxMin[3], const double boxMax[3], const double offset[3],
                         double minOut[3], double maxOut[3]);
// x * g_InputIncrement rounded half away from zero; clamped to the int range (NaN gives 0).
int ScaleToDisplayUnits(double x);
