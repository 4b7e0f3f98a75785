// Ray intersections with the tool solids: the named cases (torus hole, tangent cylinder, disc rim,
// open shank along the axis, oblique base plane, frustum through both discs, the |nz| = 0.1 switch)
// and a sampled comparison of every routine with the solid's own inside test on random rays.
#include "simulation/cut_ray_intersections.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

struct Crossings {
    int count;
    double t[4];
    double s[4];
};

// Height and squared radial distance of ray point (c1, c2, t) for base B and axis n.
void HeightAndRadius(const double B[3], const double n[3], double c1, double c2, double t, double* s,
                     double* r2)
{
    const double v[3] = {c1 - B[0], c2 - B[1], t - B[2]};
    *s = v[0] * n[0] + v[1] * n[1] + v[2] * n[2];
    *r2 = v[0] * v[0] + v[1] * v[1] + v[2] * v[2] - *s * *s;
}

TEST(IntersectLineWithTorus, RayAcrossTheHoleGivesFourCrossings)
{
    // Axis along X (perpendicular to the ray), torus of circle radius 4 and tube radius 1.
    const double B[3] = {0, 0, 0};
    const double n[3] = {1, 0, 0};
    Crossings c{};
    c.count = IntersectLineWithTorus(B, n, 4, 1, 1.0, 0.0, c.t, c.s);  // the ray at height 1, through the centre
    ASSERT_EQ(c.count, 4);
    EXPECT_NEAR(c.t[0], -5, 1e-12);  // outer entry
    EXPECT_NEAR(c.t[1], -3, 1e-12);  // inner exit
    EXPECT_NEAR(c.t[2], 3, 1e-12);   // inner entry
    EXPECT_NEAR(c.t[3], 5, 1e-12);   // outer exit
    for (int k = 0; k < 4; k++) EXPECT_EQ(c.s[k], 1);
    // The same torus crossed by a tilted ray through the hole (quartic path).
    const double tilted[3] = {std::cos(0.17453292519943295), 0, std::sin(0.17453292519943295)};
    c.count = IntersectLineWithTorus(B, tilted, 4, 1, 1.0, 0.0, c.t, c.s);
    ASSERT_EQ(c.count, 4);
    EXPECT_TRUE(c.t[0] < -3 && c.t[1] < 0 && c.t[2] > 0 && c.t[3] > 3);
    // Along the axis: a ray through the tube gives one pair.
    const double along[3] = {0, 0, 1};
    c.count = IntersectLineWithTorus(B, along, 4, 1, 4.0, 0.0, c.t, c.s);
    ASSERT_EQ(c.count, 2);
    EXPECT_NEAR(c.t[0], 0, 1e-12);
    EXPECT_NEAR(c.t[1], 2, 1e-12);
}

// Grid rays against a D12 R2 bull's corner torus tilted 30 degrees, placed on grid values as a cut
// places it: every crossing lies on the torus and the crossings are those a dense sampling of the
// inside test finds along the ray. Rays through the torus's lowest circle and rays whose roots come
// out of a general quartic formula with rounding noise in their imaginary parts must not lose their
// crossings.
TEST(IntersectLineWithTorus, TiltedTorusOnGridRaysFindsEveryCrossing)
{
    const double Rc = 4, Rt = 2;
    const double B[3] = {10, 10, 12};
    const double c = std::sqrt(3.0) / 2.0;
    const double axes[2][3] = {{0.5, 0, c}, {0, c, 0.5}};  // a ray along the axis's plane, one across it
    long rays = 0;
    for (const auto& n : axes) {
        for (int i = -36; i <= 36; i++) {
            for (int j = -36; j <= 36; j++) {
                const double c1 = 10 + 0.2 * i, c2 = 10 + 0.2 * j;
                Crossings x{};
                x.count = IntersectLineWithTorus(B, n, Rc, Rt, c1, c2, x.t, x.s);
                // Signed distance to the tube along the ray, sampled densely in long double.
                auto distance = [&](long double t) {
                    const long double v[3] = {c1 - B[0], c2 - B[1], t - B[2]};
                    const long double s = v[0] * n[0] + v[1] * n[1] + v[2] * n[2];
                    const long double r2 = v[0] * v[0] + v[1] * v[1] + v[2] * v[2] - s * s;
                    const long double r = std::sqrt(r2 > 0 ? r2 : 0.0L);
                    return std::sqrt((r - Rc) * (r - Rc) + (s - Rt) * (s - Rt)) - Rt;
                };
                int changes = 0;
                long double previous = distance(B[2] - 10.0L);
                for (int k = 1; k <= 5000; k++) {
                    const long double d = distance(B[2] - 10.0L + k * 0.004L);
                    if ((d < 0) != (previous < 0)) changes++;
                    previous = d;
                }
                for (int k = 0; k < x.count; k++) EXPECT_NEAR(double(distance(x.t[k])), 0.0, 1e-9) << c1 << " " << c2;
                // A ray that only grazes the tube may give a pair of equal crossings or none.
                const bool grazing = x.count >= 2 && x.t[x.count - 1] - x.t[0] < 1e-6;
                if (!grazing) { EXPECT_EQ(x.count, changes) << c1 << " " << c2 << " axis " << n[1]; }
                rays += x.count > 0;
            }
        }
    }
    EXPECT_GT(rays, 1000);
}

TEST(IntersectLineWithToolCylinder, TangentRayGivesNoCrossing)
{
    const double B[3] = {0, 0, 0};
    Crossings c{};
    const double up[3] = {0, 0, 1};
    EXPECT_EQ(IntersectLineWithToolCylinder(B, up, 2, 5, 2.0, 0.0, c.t, c.s), 0);  // along the axis, on the wall
    const double across[3] = {0, 1, 0};
    EXPECT_EQ(IntersectLineWithToolCylinder(B, across, 2, 5, 2.0, 1.0, c.t, c.s), 0);
    EXPECT_EQ(IntersectLineWithToolCylinder(B, across, 2, 5, 1.0, 1.0, c.t, c.s), 2);
    const double oblique[3] = {0.6, 0.0, 0.8};
    // Ray (c1, c2) = (x, 2): its distance from the axis in the Y direction is exactly 2.
    EXPECT_EQ(IntersectLineWithToolCylinder(B, oblique, 2, 5, 1.0, 2.0, c.t, c.s), 0);
    EXPECT_EQ(IntersectLineWithShank(B, oblique, 2, 1.0, 2.0, c.t, c.s), 0);
}

TEST(IntersectLineWithToolCylinder, ObliqueRayThroughTheBaseStartsAtTheBasePlane)
{
    const double B[3] = {0, 0, 0};
    const double n[3] = {0.6, 0.0, 0.8};
    Crossings c{};
    ASSERT_EQ(IntersectLineWithToolCylinder(B, n, 3, 10, 0.0, 0.0, c.t, c.s), 2);
    EXPECT_NEAR(c.t[0], 0.0, 1e-12);  // the base plane through B
    EXPECT_NEAR(c.s[0], 0.0, 1e-12);
    double s, r2;
    HeightAndRadius(B, n, 0, 0, c.t[1], &s, &r2);
    EXPECT_NEAR(r2, 9, 1e-9);  // leaves through the wall
    EXPECT_NEAR(c.s[1], s, 1e-9);
}

TEST(IntersectLineWithToolCylinder, SameCrossingsEitherSideOfTheNearlyAcrossSwitch)
{
    const double B[3] = {0.3, -0.2, 1.0};
    for (double nz : {0.1 - 1e-12, 0.1 + 1e-12, -0.1 + 1e-12, -0.1 - 1e-12}) {
        const double nx = std::sqrt(1 - nz * nz) * 0.8, ny = std::sqrt(1 - nz * nz) * 0.6;
        const double n[3] = {nx, ny, nz};
        Crossings a{}, b{};
        a.count = IntersectLineWithToolCylinder(B, n, 2, 4, 0.5, 0.5, a.t, a.s);
        const double n2[3] = {nx, ny, nz > 0 ? 0.1 : -0.1};
        b.count = IntersectLineWithToolCylinder(B, n2, 2, 4, 0.5, 0.5, b.t, b.s);
        ASSERT_EQ(a.count, 2);
        ASSERT_EQ(b.count, 2);
        EXPECT_NEAR(a.t[0], b.t[0], 1e-6);
        EXPECT_NEAR(a.t[1], b.t[1], 1e-6);
    }
}

TEST(IntersectLineWithShank, RayAlongTheAxisReachesFarAway)
{
    const double B[3] = {0, 0, 5};
    Crossings c{};
    const double up[3] = {0, 0, 1};
    ASSERT_EQ(IntersectLineWithShank(B, up, 2, 1.0, 0.0, c.t, c.s), 2);
    EXPECT_EQ(c.t[0], 5);
    EXPECT_EQ(c.t[1], 10000000);
    const double down[3] = {0, 0, -1};
    ASSERT_EQ(IntersectLineWithShank(B, down, 2, 1.0, 0.0, c.t, c.s), 2);
    EXPECT_EQ(c.t[0], -10000000);
    EXPECT_EQ(c.t[1], 5);
}

TEST(IntersectLineWithToolCone, DiscRimCountsAndBothDiscsGiveTheCrossings)
{
    const double B[3] = {0, 0, 0};
    Crossings c{};
    // Growing frustum 1 -> 3 over 4, axis along X; the ray through the top disc's centre plane.
    const double across[3] = {1, 0, 0};
    ASSERT_EQ(IntersectLineWithToolCone(B, across, 1, 0.5, 4, 2.0, 0.0, c.t, c.s), 2);
    EXPECT_NEAR(c.t[0], -2, 1e-12);
    EXPECT_NEAR(c.t[1], 2, 1e-12);
    // Tilted axis, ray through both discs near the axis: the two disc crossings.
    const double n[3] = {0.0, 0.6, 0.8};
    ASSERT_EQ(IntersectLineWithToolCone(B, n, 1, 0.5, 4, 0.0, 0.0, c.t, c.s), 2);
    EXPECT_EQ(c.s[0], 0);
    EXPECT_EQ(c.s[1], 4);
    EXPECT_NEAR(c.t[0], 0, 1e-12);
    EXPECT_NEAR(c.t[1], 4 / 0.8, 1e-12);
    // A ray exactly on the base disc's rim (axis along the ray, at radius R0) enters at height 0.
    const double up[3] = {0, 0, 1};
    ASSERT_EQ(IntersectLineWithToolCone(B, up, 1, 0.5, 4, 1.0, 0.0, c.t, c.s), 2);
    EXPECT_EQ(c.t[0], 0);
    EXPECT_EQ(c.t[1], 4);
}

TEST(IntersectLineWithNextConeBand, ShrinkingFrustumAlongTheAxisRunsFromTheBase)
{
    const double B[3] = {0, 0, 0};
    const double up[3] = {0, 0, 1};
    Crossings c{};
    // Radius 3 at the base shrinking to 1 at height 4: a ray at radius 2 is inside from 0 to 2.
    ASSERT_EQ(IntersectLineWithNextConeBand(B, up, 3, -0.5, 4, 2.0, 0.0, c.t, c.s), 2);
    EXPECT_EQ(c.t[0], 0);
    EXPECT_EQ(c.t[1], 2);
    // The growing routine given the same shrinking frustum answers the same (the slope decides).
    ASSERT_EQ(IntersectLineWithToolCone(B, up, 3, -0.5, 4, 2.0, 0.0, c.t, c.s), 2);
    EXPECT_EQ(c.t[1], 2);
    // A frustum of no height holds nothing.
    EXPECT_EQ(IntersectLineWithToolCone(B, up, 3, 0.0, 0.0, 0.0, 0.0, c.t, c.s), 0);
}

TEST(IntersectLineWithToolTip, EllipsoidChordAndCapCollapse)
{
    const double B[3] = {0, 0, 0};
    const double up[3] = {0, 0, 1};
    Crossings c{};
    // a = 2, b = 3: along the axis at the centre the chord is the whole axial extent 0..6.
    ASSERT_EQ(IntersectLineWithToolTip(B, up, 2, 3, 6, 0.0, 0.0, c.t, c.s), 2);
    EXPECT_NEAR(c.t[0], 0, 1e-12);
    EXPECT_NEAR(c.t[1], 6, 1e-12);
    // Cap at 3: the upper end lies above it, so the stretch collapses onto its lower end.
    ASSERT_EQ(IntersectLineWithToolTip(B, up, 2, 3, 3, 0.0, 0.0, c.t, c.s), 2);
    EXPECT_EQ(c.t[1], c.t[0]);
    // Across the axis at height 3 (the equator): half width a.
    const double across[3] = {1, 0, 0};
    ASSERT_EQ(IntersectLineWithToolTip(B, across, 2, 3, 6, 3.0, 0.0, c.t, c.s), 2);
    EXPECT_NEAR(c.t[0], -2, 1e-12);
    EXPECT_NEAR(c.t[1], 2, 1e-12);
}

// --- Sampled comparison with the solids' inside tests ------------------------------------------

enum SolidKind { CYLINDER, SHANK, CONE, BAND, TORUS, TIP };

bool InsideSolid(SolidKind kind, const double B[3], const double n[3], const double p[4], double c1,
                 double c2, double t)
{
    double s, r2;
    HeightAndRadius(B, n, c1, c2, t, &s, &r2);
    const double r = std::sqrt(std::max(r2, 0.0));
    switch (kind) {
    case CYLINDER: return s >= 0 && s <= p[1] && r < p[0];
    case SHANK: return s >= 0 && r < p[0];
    case CONE:
    case BAND: return s >= 0 && s <= p[2] && r <= p[0] + p[1] * s;
    case TORUS: return (r - p[0]) * (r - p[0]) + (s - p[1]) * (s - p[1]) <= p[1] * p[1];
    case TIP: return s >= 0 && r2 <= (p[0] / p[1]) * (p[0] / p[1]) * s * (2 * p[1] - s);
    }
    return false;
}

int IntersectSolid(SolidKind kind, const double B[3], const double n[3], const double p[4], double c1,
                   double c2, double t[4], double s[4])
{
    switch (kind) {
    case CYLINDER: return IntersectLineWithToolCylinder(B, n, p[0], p[1], c1, c2, t, s);
    case SHANK: return IntersectLineWithShank(B, n, p[0], c1, c2, t, s);
    case CONE: return IntersectLineWithToolCone(B, n, p[0], p[1], p[2], c1, c2, t, s);
    case BAND: return IntersectLineWithNextConeBand(B, n, p[0], p[1], p[2], c1, c2, t, s);
    case TORUS: return IntersectLineWithTorus(B, n, p[0], p[1], c1, c2, t, s);
    case TIP: return IntersectLineWithToolTip(B, n, p[0], p[1], 2 * p[1], c1, c2, t, s);
    }
    return 0;
}

// A unit axis: random, or with exact zero components (the special cases of the routines).
void RandomAxis(std::mt19937& rng, double n[3])
{
    std::uniform_real_distribution<double> u(-1, 1);
    const int pattern = int(rng() % 6);
    for (int k = 0; k < 3; k++) n[k] = u(rng);
    if (pattern == 1) n[0] = n[1] = 0;  // along the ray
    if (pattern == 2) n[2] = 0;         // across the ray
    if (pattern == 3) n[2] = 0.05 * u(rng);
    if (pattern == 4) n[1] = 0, n[2] = 0;
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; k < 3; k++) n[k] /= length;
}

// A torus of the four test shapes (ring and spindle) by trial, with a random axis and base, and the
// unit vector m across its axis in the plane of the rays' cross coordinates.
struct TorusCase {
    double n[3], Rc, Rt, B[3], m[2];
};

TorusCase RandomTorusCase(std::mt19937& rng, std::uniform_real_distribution<double>& u, int trial)
{
    static const double tori[][2] = {{4, 2}, {3, 1}, {1, 2}, {5, 0.25}};
    TorusCase c;
    RandomAxis(rng, c.n);
    c.Rc = tori[trial % 4][0], c.Rt = tori[trial % 4][1];
    for (int k = 0; k < 3; k++) c.B[k] = 5 * u(rng);
    const double across = std::sqrt(c.n[0] * c.n[0] + c.n[1] * c.n[1]);
    c.m[0] = across > 0 ? c.n[1] / across : 1.0;
    c.m[1] = across > 0 ? -c.n[0] / across : 0.0;
    return c;
}

// A ray of the case: kind 0 at random beside the torus, 1 tangent to the outer equator where the
// ray lies in its tangent plane, 2 through the lowest circle.
void RandomTorusRay(const TorusCase& c, int kind, std::mt19937& rng, std::uniform_real_distribution<double>& u,
                    double* c1, double* c2)
{
    *c1 = c.B[0] + (c.Rc + c.Rt + 0.5) * u(rng), *c2 = c.B[1] + (c.Rc + c.Rt + 0.5) * u(rng);
    if (kind == 1) {
        const double d = (c.Rc + c.Rt) * (1.0 + 1e-9 * u(rng));
        *c1 = c.B[0] + c.Rt * c.n[0] + d * c.m[0], *c2 = c.B[1] + c.Rt * c.n[1] + d * c.m[1];
    } else if (kind == 2) {
        *c1 = c.B[0] + c.Rc * (1.0 + 1e-12 * u(rng)) * c.m[0], *c2 = c.B[1] + c.Rc * c.m[1];
    }
}

TEST(ToolSolidIntersections, AgreeWithTheInsideTestsOnRandomRays)
{
    std::mt19937 rng(20261210);
    std::uniform_real_distribution<double> u(-1, 1);
    const SolidKind kinds[6] = {CYLINDER, SHANK, CONE, BAND, TORUS, TIP};
    int mismatches = 0, hits = 0;
    for (SolidKind kind : kinds) {
        for (int trial = 0; trial < 400; trial++) {
            double n[3];
            RandomAxis(rng, n);
            const double B[3] = {u(rng), u(rng), u(rng)};
            double p[4] = {0, 0, 0, 0};
            if (kind == CYLINDER || kind == SHANK) p[0] = 1 + u(rng) * 0.5, p[1] = 2 + u(rng);
            if (kind == CONE) p[0] = 1 + 0.5 * u(rng), p[1] = 0.3 + 0.25 * u(rng), p[2] = 2 + u(rng);
            if (kind == BAND) p[0] = 2 + 0.5 * u(rng), p[1] = -0.3 + 0.25 * u(rng), p[2] = 2 + u(rng);
            if (kind == TORUS) p[0] = 2 + 0.5 * u(rng), p[1] = 0.8 + 0.3 * u(rng);
            if (kind == TIP) p[0] = 1 + 0.5 * u(rng), p[1] = 1.5 + 0.5 * u(rng);
            const double c1 = B[0] + 2.5 * u(rng), c2 = B[1] + 2.5 * u(rng);
            double t[4], s[4];
            const int count = IntersectSolid(kind, B, n, p, c1, c2, t, s);
            if (count > 0) hits++;
            for (double x = -12; x <= 12; x += 0.003) {
                bool inInterval = false;
                double nearest = 1e9;
                for (int k = 0; k + 1 < count; k += 2) {
                    if (x >= t[k] && x <= t[k + 1]) inInterval = true;
                    nearest = std::min({nearest, std::fabs(x - t[k]), std::fabs(x - t[k + 1])});
                }
                if (nearest < 1e-6) continue;
                if (inInterval != InsideSolid(kind, B, n, p, c1, c2, x)) {
                    if (++mismatches < 5)
                        ADD_FAILURE() << "kind " << kind << " trial " << trial << " n " << n[0] << "," << n[1]
                                      << "," << n[2] << " t " << x << " count " << count;
                    break;
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(hits, 600);
}

// A cylinder along the axis solved from the ray's quadratic about the tip gives the plain routines'
// crossings within rounding, capped or open, for bases above and below the tip, and exactly theirs
// for rays grazing the cylinder (there the plain routine is used) and for axes the quadratic does not
// serve (along, across or nearly across the ray).
TEST(ToolFrameRay, CylindersAlongTheAxisMatchThePlainRoutines)
{
    std::mt19937 rng(20261212);
    std::uniform_real_distribution<double> u(-1, 1);
    int hits = 0, grazing = 0;
    for (int trial = 0; trial < 20000; trial++) {
        double n[3];
        RandomAxis(rng, n);
        const double T[3] = {10 * u(rng), 10 * u(rng), 10 * u(rng)};
        const double h = 3.0 * u(rng), R = 2.0 + u(rng), len = 3.0 + u(rng);
        const double B[3] = {T[0] + h * n[0], T[1] + h * n[1], T[2] + h * n[2]};
        double c1 = B[0] + 3.0 * u(rng), c2 = B[1] + 3.0 * u(rng);
        if (trial % 4 == 0) {
            // A ray at distance R (1 + tiny) from the axis: the point of the axis nearest to it
            // offset across both by that distance.
            const double m[3] = {n[1], -n[0], 0.0};  // across the axis and the ray (1, 0, 0)-free
            const double mm = std::sqrt(m[0] * m[0] + m[1] * m[1]);
            if (mm > 0.1 && std::fabs(n[2]) > 0.1) {
                const double d = R * (1.0 + 1e-9 * u(rng)) / mm;
                c1 = B[0] + d * m[0], c2 = B[1] + d * m[1];
                grazing++;
            }
        }
        ToolFrameRay frame;
        SetUpToolFrameRay(T, n, c1, c2, &frame);
        for (bool capped : {true, false}) {
            Crossings plain{}, framed{};
            plain.count = capped ? IntersectLineWithToolCylinder(B, n, R, len, c1, c2, plain.t, plain.s)
                                 : IntersectLineWithShank(B, n, R, c1, c2, plain.t, plain.s);
            framed.count = IntersectAxisCylinder(frame, B, n, R, len, capped, c1, c2, framed.t, framed.s);
            ASSERT_EQ(plain.count, framed.count) << "trial " << trial << " capped " << capped;
            for (int k = 0; k < plain.count; k++) {
                EXPECT_NEAR(plain.t[k], framed.t[k], 1e-9) << "trial " << trial << " capped " << capped;
                EXPECT_NEAR(plain.s[k], framed.s[k], 1e-9) << "trial " << trial << " capped " << capped;
            }
            hits += plain.count > 0;
        }
    }
    EXPECT_GT(hits, 10000);
    EXPECT_GT(grazing, 500);
}

// The hull of the torus crossings, found on its own, against the full solve: random rays, rays
// grazing the outer equator and rays through the lowest circle, over ring and spindle tori and axes
// on both sides of the |nz| = 0.1 switch. The count is the same and the ends within 1e-9.
TEST(IntersectLineWithTorusHullInBound, MatchesTheFullSolve)
{
    std::mt19937 rng(20261211);
    std::uniform_real_distribution<double> u(-1, 1);
    int hits = 0;
    for (int trial = 0; trial < 4000; trial++) {
        const TorusCase c = RandomTorusCase(rng, u, trial);
        const double* n = c.n;
        const double *B = c.B, Rc = c.Rc, Rt = c.Rt;
        for (int kind = 0; kind < 3; kind++) {
            double c1, c2;
            RandomTorusRay(c, kind, rng, u, &c1, &c2);
            for (bool boundMet : {false, true}) {
                Crossings full{};
                full.count = IntersectLineWithTorusInBound(B, n, Rc, Rt, c1, c2, boundMet, full.t, full.s);
                double hull[2];
                const int count = IntersectLineWithTorusHullInBound(B, n, Rc, Rt, c1, c2, boundMet, hull);
                ASSERT_EQ(count, full.count >= 2 ? 2 : 0) << "trial " << trial << " kind " << kind;
                if (count != 2) continue;
                EXPECT_NEAR(hull[0], full.t[0], 1e-9) << "trial " << trial << " kind " << kind;
                EXPECT_NEAR(hull[1], full.t[full.count - 1], 1e-9) << "trial " << trial << " kind " << kind;
                hits++;
            }
        }
    }
    EXPECT_GT(hits, 4000);
}

// Rays handed over together give each the very values it gets on its own, whatever its neighbours:
// the random, grazing and lowest-circle rays above in groups of 1 to 19 (past one group of lanes),
// over ring and spindle tori and axes on both sides of the |nz| = 0.1 switch; both with four rays
// at a time (where the processor has it) and with pairs.
TEST(IntersectLinesWithTorusHullInBound, EachRayAsOnItsOwn)
{
    for (bool pairsOnly : {false, true}) {
        SetTorusPairsOnlyForTest(pairsOnly);
        std::mt19937 rng(20261214);
        std::uniform_real_distribution<double> u(-1, 1);
        int hits = 0;
        for (int trial = 0; trial < 3000; trial++) {
            const TorusCase c = RandomTorusCase(rng, u, trial);
            const double* n = c.n;
            const double *B = c.B, Rc = c.Rc, Rt = c.Rt;
            const int count = 1 + trial % 19;
            double c1[19], c2[19];
            for (int i = 0; i < count; i++)
                RandomTorusRay(c, i % 3 == 1 ? 1 : i % 5 == 2 ? 2 : 0, rng, u, &c1[i], &c2[i]);
            for (bool boundMet : {false, true}) {
                double t[19][2];
                int found[19];
                IntersectLinesWithTorusHullInBound(B, n, Rc, Rt, count, c1, c2, boundMet, t, found);
                for (int i = 0; i < count; i++) {
                    double hull[2];
                    const int one = IntersectLineWithTorusHullInBound(B, n, Rc, Rt, c1[i], c2[i], boundMet, hull);
                    ASSERT_EQ(found[i], one) << "trial " << trial << " ray " << i;
                    if (one != 2) continue;
                    EXPECT_EQ(t[i][0], hull[0]) << "trial " << trial << " ray " << i;
                    EXPECT_EQ(t[i][1], hull[1]) << "trial " << trial << " ray " << i;
                    hits++;
                }
            }
        }
        EXPECT_GT(hits, 10000);
    }
    SetTorusPairsOnlyForTest(false);
}

// For an axis across the rays, the hull is the full solve's first and last crossing to the bit:
// rays at random heights, near the lowest and highest circles, grazing the outer equator and
// touching the hole, over ring and spindle tori.
TEST(IntersectLineWithTorusHullInBound, AcrossTheAxisAsTheFullSolve)
{
    std::mt19937 rng(20261215);
    std::uniform_real_distribution<double> u(-1, 1);
    const double tori[][2] = {{4, 2}, {3, 1}, {1, 2}, {5, 0.25}, {0.0, 1.5}};
    int hits = 0;
    for (int trial = 0; trial < 20000; trial++) {
        const double angle = M_PI * u(rng);
        const double n[3] = {std::cos(angle), std::sin(angle), 0.0};
        const double Rc = tori[trial % 5][0], Rt = tori[trial % 5][1];
        const double B[3] = {5 * u(rng), 5 * u(rng), 5 * u(rng)};
        // The ray's height along the axis and its offset across it, within the axis plane.
        double height = Rt * (1.0 + 1.05 * u(rng));
        if (trial % 7 == 1) height = 2.0 * Rt * (1.0 + 1e-12 * u(rng));
        if (trial % 7 == 2) height = 1e-9 * (1.0 + u(rng));
        double side = (Rc + Rt + 0.5) * u(rng);
        if (trial % 7 == 3) side = (Rc + Rt) * (1.0 + 1e-12 * u(rng));
        if (trial % 7 == 4) side = Rc - Rt + 1e-12 * u(rng);
        const double c1 = B[0] + height * n[0] - side * n[1], c2 = B[1] + height * n[1] + side * n[0];
        Crossings full{};
        full.count = IntersectLineWithTorusInBound(B, n, Rc, Rt, c1, c2, true, full.t, full.s);
        double hull[2];
        const int count = IntersectLineWithTorusHullInBound(B, n, Rc, Rt, c1, c2, true, hull);
        ASSERT_EQ(count, full.count >= 2 ? 2 : 0) << "trial " << trial;
        if (count != 2) continue;
        EXPECT_EQ(hull[0], full.t[0]) << "trial " << trial;
        EXPECT_EQ(hull[1], full.t[full.count - 1]) << "trial " << trial;
        hits++;
    }
    EXPECT_GT(hits, 5000);
}

// A stretch of a ray shown clear of a ring torus holds no crossing of the full solve and no sampled
// point inside the tube; stretches beside the torus, through it and just short of it are tried.
TEST(TorusClearOfRayStretch, ClearOnlyWhereTheRayStaysOutside)
{
    std::mt19937 rng(20261213);
    std::uniform_real_distribution<double> u(-1, 1);
    const double tori[][2] = {{4, 2}, {3, 1}, {2.5, 0.5}};
    int clear = 0, crossed = 0;
    for (int trial = 0; trial < 20000; trial++) {
        double n[3];
        RandomAxis(rng, n);
        const double Rc = tori[trial % 3][0], Rt = tori[trial % 3][1];
        const double B[3] = {2 * u(rng), 2 * u(rng), 2 * u(rng)};
        const double c1 = B[0] + (Rc + Rt) * u(rng), c2 = B[1] + (Rc + Rt) * u(rng);
        Crossings full{};
        full.count = IntersectLineWithTorusInBound(B, n, Rc, Rt, c1, c2, false, full.t, full.s);
        crossed += full.count > 0;
        double ta = B[2] + (Rc + 2 * Rt) * u(rng), tb = ta + (Rc + Rt) * 0.5 * (1 + u(rng));
        if (full.count > 0 && trial % 2 == 0) tb = full.t[0] - 1e-4 * (1 + u(rng));  // stopping short of it
        if (!TorusClearOfRayStretch(B, n, Rc, Rt, c1, c2, ta, tb)) continue;
        clear++;
        for (int k = 0; k < full.count; k++)
            EXPECT_FALSE(full.t[k] >= ta && full.t[k] <= tb) << "trial " << trial << " crossing " << k;
        for (int k = 0; k <= 200; k++) {
            const double t = ta + (tb - ta) * k / 200.0;
            double s, r2;
            HeightAndRadius(B, n, c1, c2, t, &s, &r2);
            const double r = std::sqrt(r2 > 0 ? r2 : 0.0);
            EXPECT_GT((r - Rc) * (r - Rc) + (s - Rt) * (s - Rt), Rt * Rt) << "trial " << trial << " sample " << k;
        }
    }
    EXPECT_GT(clear, 3000);
    EXPECT_GT(crossed, 3000);
}

// Stretches tested together get each the single call's answer, four at a time and in pairs: random,
// grazing and lowest-circle rays over ring and spindle tori, with stretches reaching in, stopping
// just short of the first crossing, reversed, outside the torus's heights and not a number.
TEST(TorusClearOfRayStretches, EachAsOnItsOwn)
{
    for (bool pairsOnly : {false, true}) {
        SetTorusPairsOnlyForTest(pairsOnly);
        std::mt19937 rng(20261216);
        std::uniform_real_distribution<double> u(-1, 1);
        int clear = 0, notClear = 0;
        for (int trial = 0; trial < 3000; trial++) {
            const TorusCase c = RandomTorusCase(rng, u, trial);
            const int count = 1 + trial % 11;
            double c1[11], c2[11], ta[11], tb[11];
            for (int i = 0; i < count; i++) {
                RandomTorusRay(c, i % 3, rng, u, &c1[i], &c2[i]);
                Crossings full{};
                full.count = IntersectLineWithTorusInBound(c.B, c.n, c.Rc, c.Rt, c1[i], c2[i], false, full.t, full.s);
                ta[i] = c.B[2] + (c.Rc + 2 * c.Rt) * u(rng);
                tb[i] = ta[i] + (c.Rc + c.Rt) * (1 + u(rng));
                if (full.count > 0 && i % 2 == 0) tb[i] = full.t[0] - 1e-4 * (1 + u(rng));
                if (i % 7 == 3) std::swap(ta[i], tb[i]);
                if (i % 11 == 5) tb[i] = NAN;
                if (i % 13 == 6) ta[i] = tb[i] - 1e-3, tb[i] = ta[i] + 1e-3 * u(rng) * u(rng);
            }
            bool together[11];
            TorusClearOfRayStretches(c.B, c.n, c.Rc, c.Rt, count, c1, c2, ta, tb, together);
            for (int i = 0; i < count; i++) {
                const bool one = TorusClearOfRayStretch(c.B, c.n, c.Rc, c.Rt, c1[i], c2[i], ta[i], tb[i]);
                ASSERT_EQ(together[i], one) << "trial " << trial << " stretch " << i;
                (one ? clear : notClear)++;
            }
        }
        EXPECT_GT(clear, 2000);
        EXPECT_GT(notClear, 2000);
    }
    SetTorusPairsOnlyForTest(false);
}

}  // namespace
