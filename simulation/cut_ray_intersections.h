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

// The values one ray shares with every solid based at B on axis n, set once per ray and base: the
// *WithTerms routines give exactly the crossings of the routines above without working them out
// again for each solid.
struct AxisRayTerms {
    double dx, dy;        // B - ray cross coordinates
    double w, q;          // nx dx + ny dy; nx^2 + ny^2
    double quadratic[3];  // A, C, G: the squared distance from the axis at height s is A s^2 + 2 C s + G
    bool tilted;          // nz not 0 and the axis not along the ray: the quadratic is set
};
void SetUpAxisRayTerms(const double B[3], const double n[3], double c1, double c2, AxisRayTerms* terms);
// IntersectLineWithToolCylinder for the base and axis of terms.
int IntersectToolCylinderWithTerms(const AxisRayTerms& terms, const double B[3], const double n[3], double R,
                                   double len, double c1, double c2, double t[2], double s[2]);
// IntersectLineWithTorusInBound for the base and axis of terms.
int IntersectTorusInBoundWithTerms(const AxisRayTerms& terms, const double B[3], const double n[3], double Rc,
                                   double Rt, double c1, double c2, bool boundMet, double t[4], double s[4]);
