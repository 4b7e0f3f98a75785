// Vector, rotation and placement arithmetic on plain double arrays, the polynomial root solvers up to the
// fourth degree and triangle bounds and planes. Matrices are nine doubles row by row acting on row vectors
// (out[j] = sum over i of v[i] * m[3i + j]); a placement is such a matrix followed by a translation.
#pragma once

#include <cmath>

// Vectors: three doubles X, Y, Z. Outputs may alias inputs.
double GetVectorLength(const double v[3]);
void AddVectors(const double a[3], const double b[3], double out[3]);
void SubtractVectors(const double a[3], const double b[3], double out[3]);
void ComputeCrossProduct(const double a[3], const double b[3], double out[3]);
double ComputeDotProduct(const double a[3], const double b[3]);

// out = v x M (no translation); out may be v.
void RotateVector(const double matrix[9], const double v[3], double out[3]);
// out = v x M + t with the twelve-double placement (rotation rows, then translation); out may be v.
// A WorkModel's first twelve fields are its placement: this maps a work point into the machine frame.
void TransformPoint(const double placement[12], const double v[3], double out[3]);
// The same with the rotation and the translation held apart (a WorkModel's rotation and translation fields).
void TransformPoint(const double rotation[9], const double translation[3], const double v[3], double out[3]);
// Turns (x, y) about the origin by angleDegrees; exactly (-y, x) for 90 and (y, -x) for -90.
// Both inputs are read before either output is written, so the outputs may be the inputs.
void RotatePoint2D(double angleDegrees, double x, double y, double* outX, double* outY);

// Complex numbers are two doubles, real then imaginary. The solvers write their roots as consecutive
// complex numbers. A leading coefficient of exactly 0 hands the rest to the solver one degree lower,
// which writes only its own roots; the entries behind them are left as they were.
void ComputeComplexSqrt(const double z[2], double out[2]);
void SolveQuadratic(double a, double b, double c, double out[4]);                    // 2 roots
void SolveCubic(double a, double b, double c, double d, double out[6]);              // 3 roots, first real
void SolveQuartic(double a, double b, double c, double d, double e, double out[8]);  // 4 roots
// The real roots of a x^4 + b x^3 + c x^2 + d x + e (a not 0) in ascending order, a double root
// twice; returns their count (0, 2 or 4). Found by a factorisation into two real quadratics, so a
// real root is never lost to rounding noise in an imaginary part.
int SolveRealQuartic(double a, double b, double c, double d, double e, double out[4]);
// A real root of y^3 + B y^2 + C y + E in closed form: the real root, or the largest where all three
// are real; where two coincide exactly, the simple root (largerAtDoubleRoot 0) or the larger of the
// two roots (1).
double FindRealCubicRootClosedForm(double B, double C, double E, int largerAtDoubleRoot);
// Up to `steps` Newton steps from y toward a root of y^3 + B y^2 + C y + E; stops early where the
// slope vanishes or a step would leave the finite numbers.
inline double PolishMonicCubicRoot(double y, double B, double C, double E, int steps)
{
    for (int step = 0; step < steps; step++) {
        const double value = ((y + B) * y + C) * y + E;
        const double slope = (3.0 * y + 2.0 * B) * y + C;
        if (!(slope != 0.0)) break;
        const double next = y - value / slope;
        if (!std::isfinite(next)) break;
        y = next;
    }
    return y;
}

// Triangles: three vertices, nine doubles. Bounds start at +1e12 / -1e12.
void GetTriangleBounds(const double triangle[9], double minOut[3], double maxOut[3]);
// Unit plane (a, b, c, d) of a x + b y + c z + d = 0, normal from (P1-P0) x (P2-P0), its first non-zero
// component made positive. A triangle of zero area gives the plane (0, 0, 0, 0); the result is then 0,
// otherwise 1.
int ComputeTrianglePlane(const double triangle[9], double planeOut[4]);
// The eight corners of a box, X changing fastest, then Y, then Z.
void MakeBoxCorners(const double* boxMin, const double* boxMax, double corners[8][3]);
