// Vector, placement and 2D rotation arithmetic, triangle bounds and planes, and the root solvers on fixed
// cases and on random polynomials built from known roots.
#include "work_model/geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <random>
#include <vector>

TEST(Vectors, ArithmeticAndAliasing)
{
    double a[3] = {1, 2, 3}, b[3] = {4, -5, 6}, out[3];
    EXPECT_DOUBLE_EQ(GetVectorLength(a), std::sqrt(14.0));
    AddVectors(a, b, out);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(out[1], -3);
    EXPECT_EQ(out[2], 9);
    SubtractVectors(a, b, out);
    EXPECT_EQ(out[0], -3);
    EXPECT_EQ(out[1], 7);
    EXPECT_EQ(out[2], -3);
    EXPECT_EQ(ComputeDotProduct(a, b), 4 - 10 + 18);
    double x[3] = {1, 0, 0}, y[3] = {0, 1, 0};
    ComputeCrossProduct(x, y, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 1);
    // The cross product may be written over one of its inputs.
    ComputeCrossProduct(a, b, a);
    EXPECT_EQ(a[0], 2 * 6 - 3 * -5);
    EXPECT_EQ(a[1], 3 * 4 - 1 * 6);
    EXPECT_EQ(a[2], 1 * -5 - 2 * 4);
}

TEST(Vectors, RotateAndTransformUseRowVectors)
{
    // Rows: X goes to Y, Y goes to -X, Z stays (a quarter turn about Z).
    const double placement[12] = {0, 1, 0, -1, 0, 0, 0, 0, 1, 10, 20, 30};
    double v[3] = {1, 2, 3}, out[3];
    RotateVector(placement, v, out);
    EXPECT_EQ(out[0], -2);
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(out[2], 3);
    double split[3];
    TransformPoint(placement, placement + 9, v, split);
    TransformPoint(placement, v, v);  // in place
    for (int axis = 0; axis < 3; axis++) EXPECT_EQ(split[axis], v[axis]);
    EXPECT_EQ(v[0], 8);
    EXPECT_EQ(v[1], 21);
    EXPECT_EQ(v[2], 33);
}

TEST(Vectors, RotatePoint2DQuarterTurnsAreExact)
{
    double x = 0.1, y = 0.7;
    RotatePoint2D(90, x, y, &x, &y);
    EXPECT_EQ(x, -0.7);
    EXPECT_EQ(y, 0.1);
    RotatePoint2D(-90, x, y, &x, &y);
    EXPECT_EQ(x, 0.1);
    EXPECT_EQ(y, 0.7);
    double ox, oy;
    RotatePoint2D(30, 2, 0, &ox, &oy);
    EXPECT_NEAR(ox, std::sqrt(3.0), 1e-15);
    EXPECT_NEAR(oy, 1.0, 1e-15);
}

TEST(Triangles, BoundsAndPlane)
{
    const double triangle[9] = {0, 0, 0, 0, 1, 0, 1, 0, 0};
    double lo[3], hi[3];
    GetTriangleBounds(triangle, lo, hi);
    EXPECT_EQ(lo[0], 0);
    EXPECT_EQ(hi[0], 1);
    EXPECT_EQ(hi[1], 1);
    EXPECT_EQ(lo[2], 0);
    EXPECT_EQ(hi[2], 0);
    double plane[4];
    EXPECT_EQ(ComputeTrianglePlane(triangle, plane), 1);
    EXPECT_EQ(plane[0], 0);
    EXPECT_EQ(plane[1], 0);
    EXPECT_EQ(plane[2], 1);  // (0, 0, -1) turned by the sign rule
    EXPECT_EQ(plane[3], 0);

    // Oblique plane x + y + z = 1 given clockwise: the first non-zero component is made positive.
    const double oblique[9] = {1, 0, 0, 0, 0, 1, 0, 1, 0};
    ASSERT_EQ(ComputeTrianglePlane(oblique, plane), 1);
    for (int axis = 0; axis < 3; axis++) EXPECT_NEAR(plane[axis], 1 / std::sqrt(3.0), 1e-15);
    EXPECT_NEAR(plane[3], -1 / std::sqrt(3.0), 1e-15);

    // Normal (0, -1, 0): X is zero, so Y is the component made positive.
    const double side[9] = {0, 2, 0, 1, 2, 0, 0, 2, 1};
    ASSERT_EQ(ComputeTrianglePlane(side, plane), 1);
    EXPECT_EQ(plane[0], 0);
    EXPECT_EQ(plane[1], 1);
    EXPECT_EQ(plane[2], 0);
    EXPECT_EQ(plane[3], -2);

    const double degenerate[9] = {1, 1, 1, 2, 2, 2, 3, 3, 3};
    EXPECT_EQ(ComputeTrianglePlane(degenerate, plane), 0);
    for (int i = 0; i < 4; i++) EXPECT_EQ(plane[i], 0);
}

TEST(Roots, ComplexSqrtSignRule)
{
    double z[2] = {-4, 0}, out[2];
    ComputeComplexSqrt(z, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], -2);  // a negative real number gives -i sqrt(x)
    double w[2] = {0, 2};
    ComputeComplexSqrt(w, out);
    EXPECT_DOUBLE_EQ(out[0], 1);
    EXPECT_DOUBLE_EQ(out[1], 1);
    double v[2] = {3, -4};
    ComputeComplexSqrt(v, out);
    EXPECT_DOUBLE_EQ(out[0], 2);
    EXPECT_DOUBLE_EQ(out[1], -1);
}

TEST(Roots, QuadraticCases)
{
    double out[4];
    SolveQuadratic(1, -3, 2, out);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 1);
    EXPECT_EQ(out[3], 0);
    SolveQuadratic(1, 0, 1, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], -1);
    double keep[4] = {7, 7, 7, 7};
    SolveQuadratic(0, 2, -4, keep);
    EXPECT_EQ(keep[0], 2);
    EXPECT_EQ(keep[1], 0);
    EXPECT_EQ(keep[2], 7);  // second root left unwritten
    EXPECT_EQ(keep[3], 7);
    SolveQuadratic(0, 0, 5, keep);
    EXPECT_EQ(keep[0], 0);
    EXPECT_EQ(keep[1], 0);
}

TEST(Roots, CubicCases)
{
    double out[6];
    SolveCubic(1, -6, 11, -6, out);  // three real roots in the order of the trigonometric form
    EXPECT_NEAR(out[0], 3, 1e-14);
    EXPECT_NEAR(out[2], 2, 1e-14);
    EXPECT_NEAR(out[4], 1, 1e-14);
    for (int k = 0; k < 3; k++) EXPECT_EQ(out[2 * k + 1], 0);

    SolveCubic(1, 0, -3, 2, out);  // D = 0, R = 1
    EXPECT_EQ(out[0], -2);
    EXPECT_EQ(out[2], 1);
    EXPECT_EQ(out[4], 1);

    SolveCubic(1, 3, 3, 1, out);
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(out[2 * k], -1);
        EXPECT_EQ(out[2 * k + 1], 0);
    }

    SolveCubic(2, -2, -4, 0, out);  // constant 0: roots 0, then x^2 - x - 2
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], 2);
    EXPECT_EQ(out[4], -1);

    SolveCubic(1, 0, 0, -8, out);  // one real root, a conjugate pair
    EXPECT_NEAR(out[0], 2, 1e-15);
    EXPECT_EQ(out[1], 0);
    EXPECT_NEAR(out[2], -1, 1e-15);
    EXPECT_NEAR(out[3], std::sqrt(3.0), 1e-15);
    EXPECT_NEAR(out[4], -1, 1e-15);
    EXPECT_NEAR(out[5], -std::sqrt(3.0), 1e-15);

    double keep[6] = {9, 9, 9, 9, 9, 9};
    SolveCubic(0, 1, -3, 2, keep);  // hands over to the quadratic
    EXPECT_EQ(keep[0], 2);
    EXPECT_EQ(keep[2], 1);
    EXPECT_EQ(keep[4], 9);
    EXPECT_EQ(keep[5], 9);
}

TEST(Roots, QuarticCases)
{
    double out[8];
    // x^4 - 5x^2 + 4: the resolvent's first root is 2, u = 3, w = 0, giving 2, 1, -1, -2 in this order. In
    // double arithmetic the resolvent root comes out as 2 - 4.4e-16, so w = sqrt(y1^2 - r) is the square root
    // of a rounding error (about 4e-8 i) and the roots carry that much imaginary noise.
    SolveQuartic(1, 0, -5, 0, 4, out);
    const double expected[4] = {2, 1, -1, -2};
    for (int k = 0; k < 4; k++) {
        EXPECT_NEAR(out[2 * k], expected[k], 1e-14);
        EXPECT_NEAR(out[2 * k + 1], 0, 1e-7);
    }

    // x^4 + 1: two conjugate pairs at 45 degrees.
    SolveQuartic(1, 0, 0, 0, 1, out);
    std::vector<std::complex<double>> roots;
    for (int k = 0; k < 4; k++) roots.emplace_back(out[2 * k], out[2 * k + 1]);
    for (const auto& r : roots) EXPECT_NEAR(std::abs(std::pow(r, 4) + 1.0), 0, 1e-14);

    double keep[8] = {5, 5, 5, 5, 5, 5, 5, 5};
    SolveQuartic(0, 1, -6, 11, -6, keep);
    EXPECT_NEAR(keep[0], 3, 1e-14);
    EXPECT_EQ(keep[6], 5);
    EXPECT_EQ(keep[7], 5);
}

namespace {

// Distinct random roots in [-10, 10], at least 0.1 apart.
std::vector<double> MakeSpacedRoots(std::mt19937_64& random, int count)
{
    std::uniform_real_distribution<double> pick(-10.0, 10.0);
    std::vector<double> roots;
    while (static_cast<int>(roots.size()) < count) {
        double r = pick(random);
        bool spaced = true;
        for (double other : roots) spaced = spaced && std::fabs(other - r) >= 0.1;
        if (spaced) roots.push_back(r);
    }
    return roots;
}

// Largest distance from a known root to the nearest computed root.
double WorstRootError(const std::vector<double>& known, const double* out, int count)
{
    double worst = 0;
    for (double r : known) {
        double best = INFINITY;
        for (int k = 0; k < count; k++) best = std::min(best, std::hypot(out[2 * k] - r, out[2 * k + 1]));
        worst = std::max(worst, best);
    }
    return worst;
}

double LargestMagnitude(const std::vector<double>& roots)
{
    double m = 0;
    for (double r : roots) m = std::max(m, std::fabs(r));
    return m;
}

}  // namespace

TEST(Roots, RandomPolynomialsFromKnownRoots)
{
    std::mt19937_64 random(20261210);
    const int trials = 20000;
    int quadraticMisses = 0, cubicMisses = 0, quarticMisses = 0;
    double quarticWorst = 0;
    for (int trial = 0; trial < trials; trial++) {
        std::vector<double> r = MakeSpacedRoots(random, 4);
        double out[8];

        std::vector<double> r2(r.begin(), r.begin() + 2);
        SolveQuadratic(1, -(r[0] + r[1]), r[0] * r[1], out);
        if (WorstRootError(r2, out, 2) > 1e-9 * LargestMagnitude(r2)) quadraticMisses++;

        std::vector<double> r3(r.begin(), r.begin() + 3);
        double s1 = r[0] + r[1] + r[2], s2 = r[0] * r[1] + r[0] * r[2] + r[1] * r[2], s3 = r[0] * r[1] * r[2];
        SolveCubic(1, -s1, s2, -s3, out);
        if (WorstRootError(r3, out, 3) > 1e-9 * LargestMagnitude(r3)) cubicMisses++;

        double e1 = r[0] + r[1] + r[2] + r[3];
        double e2 = r[0] * r[1] + r[0] * r[2] + r[0] * r[3] + r[1] * r[2] + r[1] * r[3] + r[2] * r[3];
        double e3 = r[0] * r[1] * r[2] + r[0] * r[1] * r[3] + r[0] * r[2] * r[3] + r[1] * r[2] * r[3];
        double e4 = r[0] * r[1] * r[2] * r[3];
        SolveQuartic(1, -e1, e2, -e3, e4, out);
        double relative = WorstRootError(r, out, 4) / LargestMagnitude(r);
        quarticWorst = std::max(quarticWorst, relative);
        if (relative > 1e-9) quarticMisses++;
    }
    std::printf("random roots: %d trials; misses beyond 1e-9 of the largest root: quadratic %d, cubic %d, "
                "quartic %d; worst quartic error %.3g of the largest root\n",
                trials, quadraticMisses, cubicMisses, quarticMisses, quarticWorst);
    EXPECT_EQ(quadraticMisses, 0);
    EXPECT_EQ(cubicMisses, 0);
    EXPECT_EQ(quarticMisses, 0);
}

// Roots symmetric about their mean make the shifted quartic biquadratic (q = 0): w is then the square root
// of a rounding error and about half of the digits are lost. This is a limit of the closed-form method, kept
// as it is; the test pins the accuracy that remains.
TEST(Roots, RootsSymmetricAboutTheirMeanKeepHalfTheDigits)
{
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> pick(0.1, 10.0);
    double worst = 0;
    for (int trial = 0; trial < 2000; trial++) {
        double a = pick(random), b = pick(random);
        if (std::fabs(a - b) < 0.1) continue;
        std::vector<double> r = {a, -a, b, -b};
        double out[8];
        SolveQuartic(1, 0, -(a * a + b * b), 0, a * a * b * b, out);
        worst = std::max(worst, WorstRootError(r, out, 4) / LargestMagnitude(r));
    }
    std::printf("symmetric roots: worst error %.3g of the largest root\n", worst);
    EXPECT_LT(worst, 1e-5);
}

// The real factorisation: every real root, in ascending order, whatever the complex solver's noise.
TEST(Roots, RealQuarticFindsEveryRealRoot)
{
    struct Case {
        const char* name;
        double k[5];        // a .. e
        int count;
        double roots[4];    // ascending
    };
    const Case cases[] = {
        // (x + 3)(x + 1)(x - 1)(x - 2) = x^4 + x^3 - 7x^2 - x + 6
        {"FourDistinct", {1, 1, -7, -1, 6}, 4, {-3, -1, 1, 2}},
        // Symmetric roots: the complex solver leaves about 4e-8 of imaginary noise on them.
        {"Biquadratic", {1, 0, -5, 0, 4}, 4, {-2, -1, 1, 2}},
        // (x - 1)^2 (x^2 + 1): a double root beside a complex pair.
        {"DoubleRoot", {1, -2, 2, -2, 1}, 2, {1, 1}},
        {"NoRealRoot", {1, 0, 0, 0, 1}, 0, {}},
        // 2 (x - 0.5)(x - 4)(x^2 + 2x + 5): a leading coefficient other than 1.
        {"Scaled", {2, -5, -4, -37, 20}, 2, {0.5, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double out[4];
        ASSERT_EQ(SolveRealQuartic(c.k[0], c.k[1], c.k[2], c.k[3], c.k[4], out), c.count);
        for (int i = 0; i < c.count; i++) EXPECT_NEAR(out[i], c.roots[i], 1e-7 * (1.0 + std::fabs(c.roots[i])));
    }
    // Random real roots: all found, to 1e-9 of the largest.
    std::mt19937_64 random(20261211);
    int misses = 0;
    for (int trial = 0; trial < 5000; trial++) {
        std::vector<double> r = MakeSpacedRoots(random, 4);
        double e1 = r[0] + r[1] + r[2] + r[3];
        double e2 = r[0] * r[1] + r[0] * r[2] + r[0] * r[3] + r[1] * r[2] + r[1] * r[3] + r[2] * r[3];
        double e3 = r[0] * r[1] * r[2] + r[0] * r[1] * r[3] + r[0] * r[2] * r[3] + r[1] * r[2] * r[3];
        double e4 = r[0] * r[1] * r[2] * r[3];
        double out[4];
        std::sort(r.begin(), r.end());
        if (SolveRealQuartic(1, -e1, e2, -e3, e4, out) != 4) {
            misses++;
            continue;
        }
        for (int i = 0; i < 4; i++)
            if (std::fabs(out[i] - r[size_t(i)]) > 1e-9 * LargestMagnitude(r)) {
                misses++;
                break;
            }
    }
    EXPECT_EQ(misses, 0);
}
