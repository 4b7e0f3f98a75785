// Vector, rotation and placement arithmetic, 2D point rotation and triangle bounds and planes.
// The polynomial root solvers are in root_solvers.cpp.
#include "work_model/geometry.h"

#include <cmath>

double GetVectorLength(const double v[3])
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

void AddVectors(const double a[3], const double b[3], double out[3])
{
    for (int axis = 0; axis < 3; axis++) out[axis] = a[axis] + b[axis];
}

void SubtractVectors(const double a[3], const double b[3], double out[3])
{
    for (int axis = 0; axis < 3; axis++) out[axis] = a[axis] - b[axis];
}

void ComputeCrossProduct(const double a[3], const double b[3], double out[3])
{
    // Computed into locals first so that out may be a or b.
    double x = a[1] * b[2] - a[2] * b[1];
    double y = a[2] * b[0] - a[0] * b[2];
    double z = a[0] * b[1] - a[1] * b[0];
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

double ComputeDotProduct(const double a[3], const double b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void RotateVector(const double matrix[9], const double v[3], double out[3])
{
    double result[3];
    for (int j = 0; j < 3; j++) result[j] = v[0] * matrix[j] + v[1] * matrix[3 + j] + v[2] * matrix[6 + j];
    for (int j = 0; j < 3; j++) out[j] = result[j];
}

void TransformPoint(const double placement[12], const double v[3], double out[3])
{
    double result[3];
    for (int j = 0; j < 3; j++) {
        result[j] = v[0] * placement[j] + v[1] * placement[3 + j] + v[2] * placement[6 + j] + placement[9 + j];
    }
    for (int j = 0; j < 3; j++) out[j] = result[j];
}

void TransformPoint(const double rotation[9], const double translation[3], const double v[3], double out[3])
{
    double result[3];
    for (int j = 0; j < 3; j++) {
        result[j] = v[0] * rotation[j] + v[1] * rotation[3 + j] + v[2] * rotation[6 + j] + translation[j];
    }
    for (int j = 0; j < 3; j++) out[j] = result[j];
}

void RotatePoint2D(double angleDegrees, double x, double y, double* outX, double* outY)
{
    double rx, ry;
    if (angleDegrees == 90.0) {
        rx = -y;
        ry = x;
    } else if (angleDegrees == -90.0) {
        rx = y;
        ry = -x;
    } else {
        double radians = angleDegrees * M_PI / 180.0;
        double c = std::cos(radians);
        double s = std::sin(radians);
        rx = x * c - y * s;
        ry = x * s + y * c;
    }
    *outX = rx;
    *outY = ry;
}

void GetTriangleBounds(const double triangle[9], double minOut[3], double maxOut[3])
{
    for (int axis = 0; axis < 3; axis++) {
        minOut[axis] = 1e12;
        maxOut[axis] = -1e12;
    }
    for (int vertex = 0; vertex < 3; vertex++) {
        for (int axis = 0; axis < 3; axis++) {
            double value = triangle[3 * vertex + axis];
            if (value < minOut[axis]) minOut[axis] = value;
            if (value > maxOut[axis]) maxOut[axis] = value;
        }
    }
}

int ComputeTrianglePlane(const double triangle[9], double planeOut[4])
{
    double edge1[3], edge2[3], normal[3];
    SubtractVectors(triangle + 3, triangle, edge1);
    SubtractVectors(triangle + 6, triangle, edge2);
    ComputeCrossProduct(edge1, edge2, normal);
    double length = GetVectorLength(normal);
    if (!(length > 0.0) || !std::isfinite(length)) {
        // No area (or no finite normal): there is no plane to give.
        for (int i = 0; i < 4; i++) planeOut[i] = 0.0;
        return 0;
    }
    for (int axis = 0; axis < 3; axis++) normal[axis] /= length;
    double d = -ComputeDotProduct(normal, triangle);
    for (int first = 0; first < 3; first++) {
        if (normal[first] == 0.0) continue;
        if (normal[first] < 0.0) {
            for (int axis = first; axis < 3; axis++) normal[axis] = -normal[axis];
            d = -d;
        }
        break;
    }
    for (int axis = 0; axis < 3; axis++) planeOut[axis] = normal[axis];
    planeOut[3] = d;
    return 1;
}

void MakeBoxCorners(const double* boxMin, const double* boxMax, double corners[8][3])
{
    for (int k = 0; k < 8; ++k) {
        corners[k][0] = (k & 1) ? boxMax[0] : boxMin[0];
        corners[k][1] = (k & 2) ? boxMax[1] : boxMin[1];
        corners[k][2] = (k & 4) ? boxMax[2] : boxMin[2];
    }
}
