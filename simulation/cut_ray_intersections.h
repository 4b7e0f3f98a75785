// Closed-form intersections of one ray of a dexel family with the solids of revolution that build
// a tool body: capped and open cylinder, frustum (growing or shrinking upward), ellipsoidal tip,
// torus. Points are in the family's axis order (cross 1, cross 2, ray); n is the unit tool axis.
#pragma once

#include <cmath>

// Each routine writes the count (0 or 2; the torus 0 to 4), the ray coordinates t of the crossings
// in ascending order and the height s above the solid's base B at each, and returns the count.
// (c1, c2) are the ray's cross coordinates.

// Capped cylinder: 0 <= s <= len, radial distance < R.
int IntersectLineWithToolCylinder(const double B[3], const double n[3], double R, double len,
                                  double c1, double c2, double t[2], double s[2]);
// Open cylinder: s >= 0, radial distance < R (reaches to +-10000000 along the axis).
int IntersectLineWithShank(const double B[3], const double n[3], double R, double c1, double c2,
                           double t[2], double s[2]);
// Frustum closed by its discs, radius R0 + k s for 0 <= s <= len, for a radius growing upward.
int IntersectLineWithToolCone(const double B[3], const double n[3], double R0, double k, double len,
                              double c1, double c2, double t[2], double s[2]);
// The same frustum for a radius that shrinks upward or stays constant.
int IntersectLineWithNextConeBand(const double B[3], const double n[3], double R0, double k,
                                  double len, double c1, double c2, double t[2], double s[2]);
// Ellipsoidal tip: squared radius (a/b)^2 s (2b - s), cut at height cap.
int IntersectLineWithToolTip(const double B[3], const double n[3], double a, double b, double cap,
                             double c1, double c2, double t[2], double s[2]);
// Torus: tube of radius Rt around the circle of radius Rc at height Rt (heights 0 to 2 Rt).
int IntersectLineWithTorus(const double B[3], const double n[3], double Rc, double Rt, double c1,
                           double c2, double t[4], double s[4]);
// The same; boundMet true says the caller found that the ray crosses the torus's bounding capped
// cylinder (radius Rc + Rt, height 2 Rt from B), so that test is not repeated.
int IntersectLineWithTorusInBound(const double B[3], const double n[3], double Rc, double Rt,
                                  double c1, double c2, bool boundMet, double t[4], double s[4]);
// The hull of IntersectLineWithTorusInBound's crossings, the same to the bit: the first and the
// last crossing in ray order (count 2), or count 0 where it gives fewer than two.
int IntersectLineWithTorusHullInBound(const double B[3], const double n[3], double Rc, double Rt, double c1,
                                      double c2, bool boundMet, double t[2]);
// IntersectLineWithTorusHullInBound for rayCount rays (c1[i], c2[i]), the same to the bit for each:
// found[i] is its count (0 or 2), t[i] its hull.
void IntersectLinesWithTorusHullInBound(const double B[3], const double n[3], double Rc, double Rt, int rayCount,
                                        const double c1[], const double c2[], bool boundMet, double t[][2],
                                        int found[]);
// Makes IntersectLinesWithTorusHullInBound solve two rays at a time even where the processor could
// take four (for tests comparing the two).
void SetTorusPairsOnlyForTest(bool pairsOnly);
// True when the ray provably has no point inside the torus for ray coordinates ta to tb (a bound of
// the torus quartic from ta's end stays positive over the stretch); false where that is not shown,
// and always for an axis with |nz| < 0.1 or along the ray.
bool TorusClearOfRayStretch(const double B[3], const double n[3], double Rc, double Rt, double c1, double c2,
                            double ta, double tb);
// TorusClearOfRayStretch for count stretches, of the rays (c1[i], c2[i]) from ta[i] to tb[i]: clear[i]
// is its answer, the same for each (four stretches at a time where the processor allows it).
void TorusClearOfRayStretches(const double B[3], const double n[3], double Rc, double Rt, int count,
                              const double c1[], const double c2[], const double ta[], const double tb[],
                              bool clear[]);

// IntersectLineWithToolCylinder (capped, of length len) or IntersectLineWithShank (open) for an
// axis across the rays (n[2] = 0, not both n[0] and n[1] 0): the ray lies at one height above the
// base, where the cylinder's section is a disc, so the chord is B[2] -+ its half length. Expanded in
// its callers (the sweeps call it for every ray across the axis).
inline int CylinderChordAcrossAxis(const double B[3], const double n[3], double R, double len, bool capped,
                                   double c1, double c2, double t[2], double s[2])
{
    const double dx = B[0] - c1, dy = B[1] - c2;
    double height, ex, ey;
    if (capped && n[0] == 0.0 && std::fabs(n[1]) == 1.0) {
        height = -dy / n[1];
        ex = dx;
        ey = 0.0;
    } else if (capped && n[1] == 0.0 && std::fabs(n[0]) == 1.0) {
        height = -dx / n[0];
        ex = 0.0;
        ey = dy;
    } else if (!capped && n[0] == 0.0) {
        height = n[1] > 0.0 ? c2 - B[1] : B[1] - c2;
        ex = dx;
        ey = 0.0;
    } else if (!capped && n[1] == 0.0) {
        height = n[0] > 0.0 ? c1 - B[0] : B[0] - c1;
        ex = 0.0;
        ey = dy;
    } else {
        height = -(n[0] * dx + n[1] * dy);
        ex = dx + height * n[0];
        ey = dy + height * n[1];
    }
    if (height < 0.0 || (capped && height > len)) return 0;
    const double radicand = R * R - ex * ex - ey * ey;
    if (!(radicand > 0.0)) return 0;
    const double root = std::sqrt(radicand);
    t[0] = B[2] - root;
    t[1] = B[2] + root;
    s[0] = height;
    s[1] = height;
    return 2;
}

// A ray's distance-from-axis quadratic about the tool tip T, shared by every cylinder whose base
// lies on the axis: moving the base along the axis only shifts the heights, and a cylinder's
// radius only changes the discriminant by A R^2, so each cylinder costs one square root (and
// cylinders of one radius share it: the last root found is kept with its discriminant).
struct ToolFrameRay {
    const double* T;
    double w;          // nx dx + ny dy for dx, dy the tip less the ray's cross coordinates
    double A, C;       // the squared distance from the axis at height s is A s^2 + 2 C s + G
    double disc0;      // C^2 - A G
    double scale;      // C^2 + A G: the size of the terms disc0 comes from
    double invA, invNz;
    bool usable;       // the quadratic applies (tilted axis, |nz| >= 0.1)
    mutable double lastDisc, lastRoot;  // the last discriminant whose root was taken, and the root
};
// The values of an axis that the quadratics of all its rays share.
struct ToolFrameAxis {
    double A, Cfactor, invNz2, invA, invNz;
    bool usable;       // the quadratic applies (tilted axis, |nz| >= 0.1)
};
void SetUpToolFrameAxis(const double n[3], ToolFrameAxis* axis);
void SetUpToolFrameRay(const double T[3], const double n[3], double c1, double c2, ToolFrameRay* ray);

// SetUpToolFrameRay with the axis values found once for many rays (axis.usable).
inline void SetUpToolFrameRayOnAxis(const ToolFrameAxis& k, const double T[3], const double n[3], double c1,
                                    double c2, ToolFrameRay* ray)
{
    ray->T = T;
    ray->usable = true;
    const double dx = T[0] - c1, dy = T[1] - c2;
    const double w = n[0] * dx + n[1] * dy;
    const double C = w * k.Cfactor;
    const double G = dx * dx + dy * dy + w * w * k.invNz2;
    ray->w = w;
    ray->A = k.A;
    ray->C = C;
    ray->disc0 = C * C - k.A * G;
    ray->scale = C * C + k.A * G;
    ray->invA = k.invA;
    ray->invNz = k.invNz;
    ray->lastDisc = -1.0;  // never a discriminant whose root is taken
    ray->lastRoot = 0.0;
}

// The terms of a cylinder of radius R with base B on the axis that are the same for every ray of
// one tip T and axis of quadratic coefficient A: the base's height above the tip and the squares
// the discriminant and its size take.
struct AxisCylinderTerms {
    double h;     // (B - T) . n
    double AR2;   // A R^2
    double AAh2;  // A^2 h^2
};

inline AxisCylinderTerms GetAxisCylinderTerms(double A, const double T[3], const double B[3], const double n[3],
                                              double R)
{
    AxisCylinderTerms terms;
    terms.h = (B[0] - T[0]) * n[0] + (B[1] - T[1]) * n[1] + (B[2] - T[2]) * n[2];
    terms.AR2 = A * R * R;
    terms.AAh2 = A * A * terms.h * terms.h;
    return terms;
}

// AxisCylinderChordOnFrame below with the cylinder's terms found beforehand for the ray's tip and
// axis (ray usable).
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline int AxisCylinderChordWithTerms(const ToolFrameRay& ray, const AxisCylinderTerms& terms, double len,
                                      bool capped, double* tLow, double* tHigh, double* sLow, double* sHigh)
{
    const double C = ray.C;
    const double* T = ray.T;
    const double h = terms.h;
    const double disc = ray.disc0 + terms.AR2;
    // The rounding of disc grows with the terms it comes from (those of the plain routine's base
    // included); only well away from a tangent is the root's change negligible.
    const double size = ray.scale + terms.AR2 + terms.AAh2 + 1e-300;
    if (disc <= -1e-5 * size) return 0;
    if (!(disc >= 1e-5 * size)) return -1;
    if (disc != ray.lastDisc) {
        ray.lastDisc = disc;
        ray.lastRoot = std::sqrt(disc);
    }
    const double root = ray.lastRoot;
    const double high = (root - C) * ray.invA;  // heights above the tip
    if (high - h < 0.0) return 0;
    const double low = (-C - root) * ray.invA;
    if (capped && low - h > len) return 0;
    const double w = ray.w;
    double s0 = low - h, s1 = high - h;
    double t0 = T[2] + (low + w) * ray.invNz, t1 = T[2] + (high + w) * ray.invNz;
    if (s0 < 0.0) {
        s0 = 0.0;
        t0 = T[2] + (h + w) * ray.invNz;
    } else if (capped && s0 > len) {
        s0 = len;
        t0 = T[2] + (h + len + w) * ray.invNz;
    }
    if (s1 < 0.0) {
        s1 = 0.0;
        t1 = T[2] + (h + w) * ray.invNz;
    } else if (capped && s1 > len) {
        s1 = len;
        t1 = T[2] + (h + len + w) * ray.invNz;
    }
    const bool swap = t1 < t0;
    *tLow = swap ? t1 : t0;
    *tHigh = swap ? t0 : t1;
    *sLow = swap ? s1 : s0;
    *sHigh = swap ? s0 : s1;
    return 2;
}

// The chord of a cylinder of radius R with base B on the axis of ray (capped: of length len) from
// the ray's quadratic, clipped to the base and top planes in registers: 2 with the ray parameters
// t and axial offsets s of its ends in ray order, 0 where the ray misses it, -1 where the quadratic
// does not decide (not usable, or near a tangent, where the square root would magnify the rounding).
// Expanded in its callers, so a caller that keeps only the ends keeps them in registers.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline int AxisCylinderChordOnFrame(const ToolFrameRay& ray, const double B[3], const double n[3], double R,
                                    double len, bool capped, double* tLow, double* tHigh, double* sLow,
                                    double* sHigh)
{
    if (!ray.usable) return -1;
    const AxisCylinderTerms terms = GetAxisCylinderTerms(ray.A, ray.T, B, n, R);
    return AxisCylinderChordWithTerms(ray, terms, len, capped, tLow, tHigh, sLow, sHigh);
}

// IntersectLineWithToolCylinder (capped) or IntersectLineWithShank (open, len unused) for base B
// on the axis of ray. Within rounding of the plain routines; near a tangent ray, where the square
// root would magnify that rounding, and where the quadratic does not apply, it is the plain routine.
inline int IntersectAxisCylinder(const ToolFrameRay& ray, const double B[3], const double n[3], double R,
                                 double len, bool capped, double c1, double c2, double t[2], double s[2])
{
    const int count = AxisCylinderChordOnFrame(ray, B, n, R, len, capped, &t[0], &t[1], &s[0], &s[1]);
    if (count >= 0) return count;
    if (capped) return IntersectLineWithToolCylinder(B, n, R, len, c1, c2, t, s);
    return IntersectLineWithShank(B, n, R, c1, c2, t, s);
}

// Sets up *ray when the axis is one the quadratic serves and returns it; nullptr otherwise (then the
// plain routines are the ones to call), without any per-ray work for such an axis.
inline const ToolFrameRay* SetUpToolFrameRayIfTilted(const double T[3], const double n[3], double c1, double c2,
                                                     ToolFrameRay* ray)
{
    if (n[2] == 0.0 || (n[0] == 0.0 && n[1] == 0.0) || !(n[2] >= 0.1 || n[2] <= -0.1)) return nullptr;
    SetUpToolFrameRay(T, n, c1, c2, ray);
    return ray->usable ? ray : nullptr;
}

// IntersectAxisCylinder where ray is set, else the plain capped or open routine.
inline int IntersectCylinderOnAxis(const ToolFrameRay* ray, const double B[3], const double n[3], double R,
                                   double len, bool capped, double c1, double c2, double t[2], double s[2])
{
    if (ray) return IntersectAxisCylinder(*ray, B, n, R, len, capped, c1, c2, t, s);
    if (capped) return IntersectLineWithToolCylinder(B, n, R, len, c1, c2, t, s);
    return IntersectLineWithShank(B, n, R, c1, c2, t, s);
}
