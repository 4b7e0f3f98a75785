// Point classifiers of the reference test of the cutting kernel: the tool body as a union of
// solids of revolution on the tool axis (cylinders, frustums, spheres, filled and ring tori, the
// ellipsoidal tip), each classified point by point with a safety margin, never by ray crossings.
#pragma once
#include <cmath>
#include <vector>

// Kinds of reference solids. Heights are measured along the tool axis from the tip.
enum RefSolidKind {
    REF_CYLINDER,      // heights [base, base + length], radius radius0 (length may be infinite)
    REF_FRUSTUM,       // heights [base, base + length], radius radius0 at the base, radius1 at the top
    REF_SPHERE,        // centre at height base, radius radius0
    REF_FILLED_TORUS,  // tube radius1 around the circle radius0 at height base + radius1, hole filled
    REF_RING_TORUS,    // the same tube without its hole
    REF_TIP_ELLIPSOID  // radial semi-axis radius0, axial semi-axis radius1, cut at height base + length
};

struct RefSolid {
    int kind;         // RefSolidKind
    double base;      // height of the solid's base (sphere: of its centre)
    double length;    // height extent (cylinder, frustum); cap height (tip ellipsoid)
    double radius0;   // see RefSolidKind
    double radius1;
};

// One piece of a tool body: a solid, optionally minus a second solid (a hollow core or groove).
struct RefPiece {
    RefSolid solid;
    int hasHole;      // 1: hole is taken out of solid
    RefSolid hole;
};

// A tool body placed in space: the union of its pieces around the axis through tip.
struct RefToolBody {
    double tip[3];
    double axis[3];   // unit vector from the tip towards the holder
    std::vector<RefPiece> pieces;
};

inline RefSolid MakeRefSolid(int kind, double base, double length, double radius0, double radius1)
{
    RefSolid s;
    s.kind = kind;
    s.base = base;
    s.length = length;
    s.radius0 = radius0;
    s.radius1 = radius1;
    return s;
}

inline void AddRefPiece(RefToolBody* body, const RefSolid& solid)
{
    RefPiece piece;
    piece.solid = solid;
    piece.hasHole = 0;
    piece.hole = solid;
    body->pieces.push_back(piece);
}

inline void AddRefPieceWithHole(RefToolBody* body, const RefSolid& solid, const RefSolid& hole)
{
    RefPiece piece;
    piece.solid = solid;
    piece.hasHole = 1;
    piece.hole = hole;
    body->pieces.push_back(piece);
}

// Classification results: the point lies inside by more than the margin, outside by more than the
// margin, or too near the surface to tell.
enum { REF_OUTSIDE = -1, REF_NEAR = 0, REF_INSIDE = 1 };

// Inside when value < limit - margin, outside when value > limit + margin.
inline int RefCompareWithMargin(double value, double limit, double margin)
{
    if (value < limit - margin) return REF_INSIDE;
    if (value > limit + margin) return REF_OUTSIDE;
    return REF_NEAR;
}

// Both conditions must hold: inside only when both are inside, outside when either is outside.
inline int RefIntersectClasses(int a, int b)
{
    if (a == REF_OUTSIDE || b == REF_OUTSIDE) return REF_OUTSIDE;
    if (a == REF_INSIDE && b == REF_INSIDE) return REF_INSIDE;
    return REF_NEAR;
}

// Either condition suffices.
inline int RefUniteClasses(int a, int b)
{
    if (a == REF_INSIDE || b == REF_INSIDE) return REF_INSIDE;
    if (a == REF_OUTSIDE && b == REF_OUTSIDE) return REF_OUTSIDE;
    return REF_NEAR;
}

// Height band [low, high] (high may be infinite).
inline int RefClassifyBand(double s, double low, double high, double margin)
{
    int lower = RefCompareWithMargin(low, s, margin);  // inside when low < s
    int upper = std::isinf(high) ? REF_INSIDE : RefCompareWithMargin(s, high, margin);
    return RefIntersectClasses(lower, upper);
}

// Distance of (rho, s) from the tube centre circle in the meridian plane, against the tube radius.
inline int RefClassifyTube(const RefSolid& t, double s, double rho, double margin)
{
    const double dr = rho - t.radius0, dz = s - (t.base + t.radius1);
    return RefCompareWithMargin(std::sqrt(dr * dr + dz * dz), t.radius1, margin);
}

// Classifies a point given by its height s above the tip and its distance rho from the axis.
inline int ClassifyRefSolid(const RefSolid& solid, double s, double rho, double margin)
{
    switch (solid.kind) {
    case REF_CYLINDER:
        return RefIntersectClasses(RefClassifyBand(s, solid.base, solid.base + solid.length, margin),
                                   RefCompareWithMargin(rho, solid.radius0, margin));
    case REF_FRUSTUM: {
        const int band = RefClassifyBand(s, solid.base, solid.base + solid.length, margin);
        if (band == REF_OUTSIDE) return REF_OUTSIDE;
        double u = (s - solid.base) / solid.length;  // clamped: the radius of the nearest disc
        u = u < 0 ? 0 : (u > 1 ? 1 : u);
        const double radius = solid.radius0 + (solid.radius1 - solid.radius0) * u;
        // The radial gap shrinks to the normal distance by the slope; widen the margin by it.
        const double slope = (solid.radius1 - solid.radius0) / solid.length;
        const double radialMargin = margin * std::sqrt(1 + slope * slope);
        return RefIntersectClasses(band, RefCompareWithMargin(rho, radius, radialMargin));
    }
    case REF_SPHERE: {
        const double dz = s - solid.base;
        return RefCompareWithMargin(std::sqrt(rho * rho + dz * dz), solid.radius0, margin);
    }
    case REF_RING_TORUS:
        return RefClassifyTube(solid, s, rho, margin);
    case REF_FILLED_TORUS: {
        const int disc = RefIntersectClasses(RefClassifyBand(s, solid.base, solid.base + 2 * solid.radius1, margin),
                                             RefCompareWithMargin(rho, solid.radius0, margin));
        return RefUniteClasses(disc, RefClassifyTube(solid, s, rho, margin));
    }
    case REF_TIP_ELLIPSOID: {
        // (rho / a)^2 + ((h - b) / b)^2 < 1, h the height above the base; the normalised value
        // changes by at most 1 / min(a, b) per unit of distance.
        const double a = solid.radius0, b = solid.radius1, h = s - solid.base;
        const double value = std::sqrt((rho / a) * (rho / a) + ((h - b) / b) * ((h - b) / b));
        const double scale = a < b ? a : b;
        return RefIntersectClasses(RefClassifyBand(s, solid.base, solid.base + solid.length, margin),
                                   RefCompareWithMargin(value, 1.0, margin / scale));
    }
    }
    return REF_OUTSIDE;
}

inline int ClassifyRefPiece(const RefPiece& piece, double s, double rho, double margin)
{
    const int inSolid = ClassifyRefSolid(piece.solid, s, rho, margin);
    if (!piece.hasHole || inSolid == REF_OUTSIDE) return inSolid;
    const int inHole = ClassifyRefSolid(piece.hole, s, rho, margin);
    // Inside the piece = inside the solid and outside the hole.
    const int outsideHole = inHole == REF_INSIDE ? REF_OUTSIDE : (inHole == REF_OUTSIDE ? REF_INSIDE : REF_NEAR);
    return RefIntersectClasses(inSolid, outsideHole);
}

// Classifies a point of space against the whole tool body.
inline int ClassifyPointInToolBody(const RefToolBody& body, const double p[3], double margin)
{
    double d[3] = {p[0] - body.tip[0], p[1] - body.tip[1], p[2] - body.tip[2]};
    const double s = d[0] * body.axis[0] + d[1] * body.axis[1] + d[2] * body.axis[2];
    double r2 = 0;
    for (int k = 0; k < 3; ++k) {
        const double radial = d[k] - s * body.axis[k];
        r2 += radial * radial;
    }
    const double rho = std::sqrt(r2);
    int result = REF_OUTSIDE;
    for (const RefPiece& piece : body.pieces) {
        result = RefUniteClasses(result, ClassifyRefPiece(piece, s, rho, margin));
        if (result == REF_INSIDE) break;
    }
    return result;
}
