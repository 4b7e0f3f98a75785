// Point-in-triangle tests, segment and triangle hits against facets, moved box bounds and rounding to the
// least input increment.
#include "work_model/hit_tests.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "machine_setup/controller/controller_definition.h"
#include "work_model/geometry.h"

namespace {

FacetVertices MakeFacet(const double v[9])
{
    FacetVertices facet = {};
    for (int k = 0; k < 9; k++) facet.vertices[k] = v[k];
    return facet;
}

FacetPlane MakeFacetPlane(const FacetVertices& facet)
{
    FacetPlane plane = {};
    ComputeTrianglePlane(facet.vertices, plane.plane);
    GetTriangleBounds(facet.vertices, plane.boxMin, plane.boxMax);
    const double* v = facet.vertices;
    plane.axisCode = 3;
    for (int axis = 0; axis < 3; axis++) {
        if (v[axis] == v[3 + axis] && v[axis] == v[6 + axis]) {
            plane.axisCode = axis;
            break;
        }
    }
    return plane;
}

}  // namespace

TEST(PointInTriangle, Codes3D)
{
    const double inZ[9] = {0, 0, 5, 3, 0, 5, 0, 3, 5};
    const double centroidZ[3] = {1, 1, 5};
    EXPECT_EQ(TestPointInTriangle3D(inZ, centroidZ), 21);
    const double inX[9] = {5, 0, 0, 5, 3, 0, 5, 0, 3};
    const double centroidX[3] = {5, 1, 1};
    EXPECT_EQ(TestPointInTriangle3D(inX, centroidX), 22);
    const double inY[9] = {0, 5, 0, 0, 5, 3, 3, 5, 0};
    const double centroidY[3] = {1, 5, 1};
    EXPECT_EQ(TestPointInTriangle3D(inY, centroidY), 23);

    // Near a vertex even off the triangle's plane; exactly on an edge; in the plane but outside.
    const double nearVertex[3] = {3.003, 0.004, 5.0};
    EXPECT_EQ(TestPointInTriangle3D(inZ, nearVertex), 1);
    const double offPlaneNearVertex[3] = {0, 0, 5.005};
    EXPECT_EQ(TestPointInTriangle3D(inZ, offPlaneNearVertex), 1);
    const double onEdge[3] = {1.5, 0, 5};
    EXPECT_EQ(TestPointInTriangle3D(inZ, onEdge), 2);
    const double outside[3] = {2.5, 2.5, 5};
    EXPECT_EQ(TestPointInTriangle3D(inZ, outside), 0);
    // An oblique triangle, inside and outside.
    const double oblique[9] = {3, 0, 0, 0, 3, 0, 0, 0, 3};
    const double obliqueCentroid[3] = {1, 1, 1};
    EXPECT_EQ(TestPointInTriangle3D(oblique, obliqueCentroid), 21);
    const double obliqueOutside[3] = {2, 2, -1};
    EXPECT_EQ(TestPointInTriangle3D(oblique, obliqueOutside), 0);
}

TEST(PointInTriangle, Codes2D)
{
    const double inX[9] = {5, 0, 0, 5, 3, 0, 5, 0, 3};
    const double centroid[3] = {5, 1, 1};
    EXPECT_EQ(TestPointInTriangle2D(inX, centroid, 1, 2), 21);
    EXPECT_EQ(TestPointInTriangle2D(inX, centroid, 2, 1), 21);  // orientation does not matter
    const double shifted[3] = {99, 1, 1};                        // the other coordinate is not looked at
    EXPECT_EQ(TestPointInTriangle2D(inX, shifted, 1, 2), 21);
    const double onEdge[3] = {5, 1.5, 0};
    EXPECT_EQ(TestPointInTriangle2D(inX, onEdge, 1, 2), 2);
    const double nearVertex[3] = {5, 0.005, 3};
    EXPECT_EQ(TestPointInTriangle2D(inX, nearVertex, 1, 2), 1);
    const double outside[3] = {5, 2.5, 2.5};
    EXPECT_EQ(TestPointInTriangle2D(inX, outside, 1, 2), 0);
    // In the XY projection the triangle is a segment: a point on it is on an edge, one beside it outside.
    EXPECT_EQ(TestPointInTriangle2D(inX, centroid, 0, 1), 2);
    const double beside[3] = {6, 1, 1};
    EXPECT_EQ(TestPointInTriangle2D(inX, beside, 0, 1), 0);
}

TEST(SegmentHits, AgainstAxisAndObliqueFacets)
{
    const double square[9] = {0, 0, 2, 4, 0, 2, 0, 4, 2};  // in z = 2
    FacetVertices facet = MakeFacet(square);
    FacetPlane plane = MakeFacetPlane(facet);
    ASSERT_EQ(plane.axisCode, 2);
    double hit[3];
    const double below[3] = {1, 1, 0}, above[3] = {1, 1, 3};
    EXPECT_EQ(IntersectSegmentAxisPlane(plane.plane, &facet, 2, 0, 1, below, above, hit), 1);
    EXPECT_EQ(hit[0], 1);
    EXPECT_EQ(hit[1], 1);
    EXPECT_EQ(hit[2], 2);
    EXPECT_EQ(IntersectSegmentPlane(plane.plane, &facet, below, above, hit), 1);

    // Ending exactly on the plane (t = 1) hits inside the facet; stopping short does not.
    const double onPlane[3] = {1, 1, 2}, short_[3] = {1, 1, 1.999};
    EXPECT_EQ(IntersectSegmentPlane(plane.plane, &facet, below, onPlane, hit), 1);
    EXPECT_EQ(IntersectSegmentPlane(plane.plane, &facet, below, short_, hit), 0);
    // Lying in the plane: no hit.
    const double inPlaneA[3] = {0.5, 0.5, 2}, inPlaneB[3] = {1, 1.5, 2};
    EXPECT_EQ(IntersectSegmentPlane(plane.plane, &facet, inPlaneA, inPlaneB, hit), 0);
    EXPECT_EQ(IntersectSegmentAxisPlane(plane.plane, &facet, 2, 0, 1, inPlaneA, inPlaneB, hit), 0);
    // Crossing the plane outside the facet.
    const double outBelow[3] = {3, 3, 0}, outAbove[3] = {3, 3, 3};
    EXPECT_EQ(IntersectSegmentPlane(plane.plane, &facet, outBelow, outAbove, hit), 0);
    EXPECT_EQ(IntersectSegmentAxisPlane(plane.plane, &facet, 2, 0, 1, outBelow, outAbove, hit), 0);
}

TEST(SegmentHits, TriangleAgainstFacet)
{
    const double wall[9] = {5, 0, 0, 5, 4, 0, 5, 0, 4};  // in x = 5
    FacetVertices facet = MakeFacet(wall);
    FacetPlane plane = MakeFacetPlane(facet);
    ASSERT_EQ(plane.axisCode, 0);
    // Only the triangle's second edge (P1, P2) pierces the wall.
    const double piercing[9] = {0, 1, 1, 4, 1, 1, 6, 1, 1.2};
    EXPECT_EQ(IntersectSegmentTriangle(&facet, &plane, piercing), 1);
    const double clear[9] = {0, 1, 1, 4, 1, 1, 4.5, 2, 1};
    EXPECT_EQ(IntersectSegmentTriangle(&facet, &plane, clear), 0);

    // The same against an oblique facet.
    const double slope[9] = {0, 0, 0, 4, 0, 4, 0, 4, 0};
    FacetVertices obliqueFacet = MakeFacet(slope);
    FacetPlane obliquePlane = MakeFacetPlane(obliqueFacet);
    ASSERT_EQ(obliquePlane.axisCode, 3);
    const double through[9] = {1, 1, 3, 1, 1, -3, 9, 9, 9};
    EXPECT_EQ(IntersectSegmentTriangle(&obliqueFacet, &obliquePlane, through), 1);
    const double apart[9] = {10, 10, 3, 10, 10, -3, 11, 11, 0};
    EXPECT_EQ(IntersectSegmentTriangle(&obliqueFacet, &obliquePlane, apart), 0);
}

TEST(BoxAndIncrement, BoundTransformedBoxAndRounding)
{
    const double lo[3] = {0, 0, 0}, hi[3] = {1, 2, 3}, offset[3] = {10, 0, 0};
    double outLo[3], outHi[3];
    BoundTransformedBox(lo, hi, offset, outLo, outHi);
    EXPECT_EQ(outLo[0], 10);
    EXPECT_EQ(outLo[1], 0);
    EXPECT_EQ(outLo[2], 0);
    EXPECT_EQ(outHi[0], 11);
    EXPECT_EQ(outHi[1], 2);
    EXPECT_EQ(outHi[2], 3);

    int saved = g_InputIncrement;
    g_InputIncrement = 1000;
    EXPECT_EQ(ScaleToDisplayUnits(0.0025), 3);
    EXPECT_EQ(ScaleToDisplayUnits(-0.0025), -3);
    EXPECT_EQ(ScaleToDisplayUnits(1.2344), 1234);
    EXPECT_EQ(ScaleToDisplayUnits(0.0), 0);
    g_InputIncrement = 10000;
    EXPECT_EQ(ScaleToDisplayUnits(-1.00004), -10000);
    EXPECT_EQ(ScaleToDisplayUnits(1e12), INT_MAX);
    EXPECT_EQ(ScaleToDisplayUnits(-1e12), INT_MIN);
    EXPECT_EQ(ScaleToDisplayUnits(NAN), 0);
    g_InputIncrement = saved;
}

TEST(SegmentHits, EveryAxisFacetTakesItsInPlaneCoordinates)
{
    // A right triangle of legs 4 in the plane at 3 across each axis; segments end exactly on the plane
    // (t = 1) inside it, or cross it beside it.
    struct Case {
        int axis;
        double facet[9];
        double inside[3];
        double beside[3];
    };
    const Case cases[] = {
        {0, {3, 0, 0, 3, 4, 0, 3, 0, 4}, {3, 1, 1}, {3, 3.5, 3.5}},
        {1, {0, 3, 0, 0, 3, 4, 4, 3, 0}, {1, 3, 1}, {3.5, 3, 3.5}},
        {2, {0, 0, 3, 4, 0, 3, 0, 4, 3}, {1, 1, 3}, {3.5, 3.5, 3}},
    };
    for (const Case& c : cases) {
        FacetVertices facet = MakeFacet(c.facet);
        FacetPlane plane = MakeFacetPlane(facet);
        ASSERT_EQ(plane.axisCode, c.axis);
        double start[3] = {c.inside[0], c.inside[1], c.inside[2]};
        start[c.axis] = -2.0;
        // The facet's edge test: only the second edge (P1, P2) reaches the plane, and exactly at its end.
        const double triangle[9] = {start[0], start[1], start[2], start[0], start[1], start[2],
                                    c.inside[0], c.inside[1], c.inside[2]};
        EXPECT_EQ(IntersectSegmentTriangle(&facet, &plane, triangle), 1) << "axis " << c.axis;
        double hit[3] = {0, 0, 0};
        EXPECT_EQ(IntersectSegmentPlane(plane.plane, &facet, start, c.inside, hit), 1);
        EXPECT_EQ(hit[c.axis], 3.0);
        double besideStart[3] = {c.beside[0], c.beside[1], c.beside[2]};
        besideStart[c.axis] = 10.0;
        const double passing[9] = {besideStart[0], besideStart[1], besideStart[2], c.beside[0], c.beside[1],
                                   c.beside[2], besideStart[0], besideStart[1], besideStart[2]};
        EXPECT_EQ(IntersectSegmentTriangle(&facet, &plane, passing), 0) << "axis " << c.axis;
    }
}
