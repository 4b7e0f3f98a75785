// Closed-form intersections of one ray of a dexel family with the solids of revolution that build
// a tool body: capped and open cylinder, frustum (growing or shrinking upward), ellipsoidal tip,
// torus. Points are in the family's axis order (cross 1, cross 2, ray); n is the unit tool axis.
#pragma once

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
// True when the ray provably has no point inside the torus for ray coordinates ta to tb (a bound of
// the torus quartic from ta's end stays positive over the stretch); false where that is not shown,
// and always for an axis with |nz| < 0.1 or along the ray.
bool TorusClearOfRayStretch(const double B[3], const double n[3], double Rc, double Rt, double c1, double c2,
                            double ta, double tb);

// A ray's distance-from-axis quadratic about the tool tip T, shared by every cylinder whose base
// lies on the axis: moving the base along the axis only shifts the heights, and a cylinder's
// radius only changes the discriminant by A R^2, so each cylinder costs one square root.
struct ToolFrameRay {
    const double* T;
    double w;          // nx dx + ny dy for dx, dy the tip less the ray's cross coordinates
    double A, C;       // the squared distance from the axis at height s is A s^2 + 2 C s + G
    double disc0;      // C^2 - A G
    double scale;      // C^2 + A G: the size of the terms disc0 comes from
    double invA, invNz;
    bool usable;       // the quadratic applies (tilted axis, |nz| >= 0.1)
};
void SetUpToolFrameRay(const double T[3], const double n[3], double c1, double c2, ToolFrameRay* ray);
// IntersectLineWithToolCylinder (capped) or IntersectLineWithShank (open, len unused) for base B
// on the axis of ray. Within rounding of the plain routines; near a tangent ray, where the square
// root would magnify that rounding, and where the quadratic does not apply, it is the plain routine.
int IntersectAxisCylinder(const ToolFrameRay& ray, const double B[3], const double n[3], double R, double len,
                          bool capped, double c1, double c2, double t[2], double s[2]);

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
