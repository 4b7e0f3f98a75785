// Point-in-triangle tests by winding angles, segment and triangle hits against facets, moved box bounds and
// rounding to the least input increment. The facet tables themselves are built elsewhere.
#include "work_model/hit_tests.h"

#include <climits>
#include <cmath>

#include "work_model/work_values.h"
#include "work_model/geometry.h"

namespace {

const double kVertexRadius = 0.01;
const double kEdgeCosine = -0.999999;
const double kFullTurn = 6.0;

// Unit directions from the point to the vertices, in `dimensions` components taken at axes[]. Returns 1 (near a
// vertex) or 2 (on an edge) when the test ends here, else 0 with the three angles between the directions.
int MeasureVertexDirections(const double triangle[9], const double point[3], const int* axes, int dimensions,
                            double directions[3][3], double angles[3])
{
    for (int vertex = 0; vertex < 3; vertex++) {
        double lengthSquared = 0.0;
        for (int k = 0; k < dimensions; k++) {
            directions[vertex][k] = triangle[3 * vertex + axes[k]] - point[axes[k]];
            lengthSquared += directions[vertex][k] * directions[vertex][k];
        }
        double length = std::sqrt(lengthSquared);
        if (length < kVertexRadius) return POINT_NEAR_VERTEX;
        for (int k = 0; k < dimensions; k++) directions[vertex][k] /= length;
    }
    double cosines[3];
    for (int pair = 0; pair < 3; pair++) {
        const double* a = directions[pair];
        const double* b = directions[(pair + 1) % 3];
        double c = 0.0;
        for (int k = 0; k < dimensions; k++) c += a[k] * b[k];
        if (c > 1.0) c = 1.0;
        if (c < -1.0) c = -1.0;
        cosines[pair] = c;
    }
    for (int pair = 0; pair < 3; pair++) {
        if (cosines[pair] < kEdgeCosine) return POINT_ON_EDGE;
    }
    for (int pair = 0; pair < 3; pair++) angles[pair] = std::acos(cosines[pair]);
    return 0;
}

// One component of a x b: for index 2 the z component (XY projection), 0 x (YZ), 1 y (ZX).
double CrossComponent(const double a[3], const double b[3], int index)
{
    int i = (index + 1) % 3, j = (index + 2) % 3;
    return a[i] * b[j] - a[j] * b[i];
}

int HaveOppositeSigns(double a, double b)
{
    return (a > 0.0 && b < 0.0) || (a < 0.0 && b > 0.0);
}

// The winding-angle sum with the angles 1-2 and 2-0 signed against w, the cross component of pair 0-1.
double SumSignedAngles(double w, const double angles[3], double cross12, double cross20)
{
    double s = angles[0];
    s += HaveOppositeSigns(cross12, w) ? -angles[1] : angles[1];
    s += HaveOppositeSigns(cross20, w) ? -angles[2] : angles[2];
    return s;
}

}  // namespace

int TestPointInTriangle3D(const double triangle[9], const double point[3])
{
    static const int axes[3] = {0, 1, 2};
    double u[3][3], angles[3];
    int early = MeasureVertexDirections(triangle, point, axes, 3, u, angles);
    if (early != 0) return early;
    // The projections in turn: XY (z components), YZ (x components), ZX (y components).
    static const int components[3] = {2, 0, 1};
    static const int codes[3] = {POINT_INSIDE_XY, POINT_INSIDE_YZ, POINT_INSIDE_ZX};
    for (int step = 0; step < 3; step++) {
        int index = components[step];
        double w = CrossComponent(u[0], u[1], index);
        int decided = step < 2 ? std::fabs(w) > 1e-6 : w != 0.0;
        if (!decided) continue;
        double s = SumSignedAngles(w, angles, CrossComponent(u[1], u[2], index), CrossComponent(u[2], u[0], index));
        return std::fabs(s) > kFullTurn ? codes[step] : POINT_OUTSIDE;
    }
    return POINT_OUTSIDE;
}

int TestPointInTriangle2D(const double triangle[9], const double point[3], int axisA, int axisB)
{
    if (axisA < 0 || axisA > 2 || axisB < 0 || axisB > 2) return POINT_OUTSIDE;
    const int axes[2] = {axisA, axisB};
    double u[3][3], angles[3];
    int early = MeasureVertexDirections(triangle, point, axes, 2, u, angles);
    if (early != 0) return early;
    double w = u[0][0] * u[1][1] - u[0][1] * u[1][0];
    if (w == 0.0) return POINT_OUTSIDE;
    double cross12 = u[1][0] * u[2][1] - u[1][1] * u[2][0];
    double cross20 = u[2][0] * u[0][1] - u[2][1] * u[0][0];
    return std::fabs(SumSignedAngles(w, angles, cross12, cross20)) > kFullTurn ? POINT_INSIDE_XY : POINT_OUTSIDE;
}

int IntersectSegmentAxisPlane(const double plane[4], const FacetVertices* facet, int axis, int firstAxis,
                              int secondAxis, const double start[3], const double end[3], double hit[3])
{
    if (axis < 0 || axis > 2) return 0;
    double direction[3];
    SubtractVectors(end, start, direction);
    double denominator = plane[axis] * direction[axis];
    if (denominator == 0.0) return 0;
    double t = -(plane[axis] * start[axis] + plane[3]) / denominator;
    if (!(t >= 0.0 && t <= 1.0)) return 0;
    for (int k = 0; k < 3; k++) hit[k] = start[k] + t * direction[k];
    return TestPointInTriangle2D(facet->vertices, hit, firstAxis, secondAxis) > 0 ? 1 : 0;
}

int IntersectSegmentPlane(const double plane[4], const FacetVertices* facet, const double start[3],
                          const double end[3], double hit[3])
{
    double direction[3];
    SubtractVectors(end, start, direction);
    double m = ComputeDotProduct(plane, direction);
    if (m == 0.0) return 0;
    double t = -(ComputeDotProduct(plane, start) + plane[3]) / m;
    if (!(t >= 0.0 && t <= 1.0)) return 0;
    for (int k = 0; k < 3; k++) hit[k] = start[k] + t * direction[k];
    return TestPointInTriangle3D(facet->vertices, hit) > 0 ? 1 : 0;
}

int IntersectSegmentTriangle(const FacetVertices* facet, const FacetPlane* facetPlane, const double triangle[9])
{
    // In-plane coordinates of a facet perpendicular to X, Y, Z.
    static const int firstAxes[3] = {1, 2, 0};
    static const int secondAxes[3] = {2, 0, 1};
    for (int edge = 0; edge < 3; edge++) {
        const double* start = triangle + 3 * edge;
        const double* end = triangle + 3 * ((edge + 1) % 3);
        double hit[3];
        int code = facetPlane->axisCode;
        int result;
        if (code >= 0 && code <= 2) {
            result = IntersectSegmentAxisPlane(facetPlane->plane, facet, code, firstAxes[code], secondAxes[code],
                                               start, end, hit);
        } else {
            result = IntersectSegmentPlane(facetPlane->plane, facet, start, end, hit);
        }
        if (result > 0) return result;
    }
    return 0;
}

void BoundTransformedBox(const double boxMin[3], const double boxMax[3], const double offset[3],
                         double minOut[3], double maxOut[3])
{
    double corners[8][3];
    MakeBoxCorners(boxMin, boxMax, corners);
    for (int axis = 0; axis < 3; axis++) {
        minOut[axis] = 1e12;
        maxOut[axis] = -1e12;
    }
    for (int corner = 0; corner < 8; corner++) {
        double moved[3];
        AddVectors(corners[corner], offset, moved);
        for (int axis = 0; axis < 3; axis++) {
            if (moved[axis] < minOut[axis]) minOut[axis] = moved[axis];
            if (moved[axis] > maxOut[axis]) maxOut[axis] = moved[axis];
        }
    }
}

int ScaleToDisplayUnits(double x)
{
    double scaled = x * g_InputIncrement;
    double rounded = x > 0.0 ? scaled + 0.5 : scaled - 0.5;
    // Out-of-range values would make the conversion undefined: they are held at the ends of the int range.
    if (std::isnan(rounded)) return 0;
    if (rounded >= 2147483647.0) return INT_MAX;
    if (rounded <= -2147483648.0) return INT_MIN;
    return static_cast<int>(rounded);
}
