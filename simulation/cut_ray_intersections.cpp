// Closed-form intersections of a dexel ray with the solids of revolution of a tool body. The cases
// follow exact comparisons of the axis components with 0; every routine returns its crossings in
// ascending ray order with the height of each above the solid's base.
#include "simulation/cut_ray_intersections.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "work_model/geometry.h"

namespace {

const double kFarAlongAxis = 10000000.0;  // the open shank's reach along a ray parallel to the axis

// Per-call values of a ray against a solid with base B and axis n.
struct RayFrame {
    double dx, dy;  // B - ray cross coordinates
    double w;       // nx dx + ny dy
    double q;       // nx^2 + ny^2
};

inline RayFrame MakeRayFrame(const double B[3], const double n[3], double c1, double c2)
{
    RayFrame f;
    f.dx = B[0] - c1;
    f.dy = B[1] - c2;
    f.w = n[0] * f.dx + n[1] * f.dy;
    f.q = n[0] * n[0] + n[1] * n[1];
    return f;
}

// Ray coordinate of the ray point at height s (nz not 0).
inline double RayAtHeight(const double B[3], const double n[3], const RayFrame& f, double s)
{
    return B[2] + (s + f.w) / n[2];
}

// Puts a pair into ascending ray order, heights carried along.
inline int OrderPair(double t[2], double s[2])
{
    if (t[1] < t[0]) {
        const double tt = t[0];
        t[0] = t[1];
        t[1] = tt;
        const double ss = s[0];
        s[0] = s[1];
        s[1] = ss;
    }
    return 2;
}

// A chord at one height s across a ray perpendicular to the axis (nz = 0): the pair Bz -+ root.
inline int ChordAtHeight(double Bz, double radicand, double height, double t[2], double s[2])
{
    if (!(radicand > 0.0)) return 0;
    const double root = std::sqrt(radicand);
    t[0] = Bz - root;
    t[1] = Bz + root;
    s[0] = height;
    s[1] = height;
    return 2;
}

// The cylinder cases 5 and 6 (nz not 0), with or without a top at len; clips heights outside
// [0, len] to the base and top planes. Returns 0 or 2.
int IntersectTiltedCylinder(const double B[3], const double n[3], double R, double len, bool capped,
                            const RayFrame& f, double t[2], double s[2])
{
    const double nz = n[2];
    const double nz2 = nz * nz;
    double sLow, sHigh, tLow, tHigh;
    if (std::fabs(nz) >= 0.1) {
        const double A = f.q * f.q / nz2 + f.q;
        const double C = f.w * f.q / nz2 + f.w;
        const double D = f.dx * f.dx + f.dy * f.dy + f.w * f.w / nz2 - R * R;
        const double disc = C * C - A * D;
        if (!(disc > 0.0) || !(A > 0.0)) return 0;
        const double root = std::sqrt(disc);
        sHigh = (root - C) / A;
        if (sHigh < 0.0) return 0;
        sLow = (-C - root) / A;
        if (capped && sLow > len) return 0;
        tLow = RayAtHeight(B, n, f, sLow);
        tHigh = RayAtHeight(B, n, f, sHigh);
    } else {
        const double rootQ = std::sqrt(f.q);
        const double delta = std::fabs(n[1] * f.dx - n[0] * f.dy) / rootQ;
        if (!(R > delta)) return 0;
        const double s0 = -f.w / f.q;
        const double H = std::sqrt((R * R - delta * delta) / f.q);
        sLow = s0 - H * nz;
        sHigh = s0 + H * nz;
        tLow = B[2] + s0 * nz - H;
        tHigh = B[2] + s0 * nz + H;
        const double lower = sLow < sHigh ? sLow : sHigh;
        const double upper = sLow < sHigh ? sHigh : sLow;
        if ((capped && lower > len) || upper < 0.0) return 0;
    }
    t[0] = tLow;
    t[1] = tHigh;
    s[0] = sLow;
    s[1] = sHigh;
    for (int k = 0; k < 2; k++) {
        if (s[k] < 0.0) {
            s[k] = 0.0;
            t[k] = RayAtHeight(B, n, f, 0.0);
        } else if (capped && s[k] > len) {
            s[k] = len;
            t[k] = RayAtHeight(B, n, f, len);
        }
    }
    return OrderPair(t, s);
}

// The frustum radius R0 + k s, 0 <= s <= len, closed by its discs. The sign of k decides the case of
// a ray along the axis (growing: from the height where the radius reaches the ray up to the top;
// shrinking or constant: from the base up to that height).
int IntersectFrustum(const double B[3], const double n[3], double R0, double k, double len,
                     double c1, double c2, double t[2], double s[2])
{
    if (!(len > 0.0)) return 0;
    const RayFrame f = MakeRayFrame(B, n, c1, c2);
    const double nz = n[2];
    if (nz == 0.0) {
        const double height = -f.w;
        if (height > len || height < 0.0) return 0;
        const double ex = f.dx + height * n[0];
        const double ey = f.dy + height * n[1];
        const double radius = height * k + R0;
        return ChordAtHeight(B[2], radius * radius - ex * ex - ey * ey, height, t, s);
    }
    if (n[0] == 0.0 && n[1] == 0.0) {
        const double rho = std::sqrt(f.dx * f.dx + f.dy * f.dy);
        double from, to;
        if (k > 0.0) {
            const double sStar = (rho - R0) / k;
            if (sStar > len) return 0;
            from = sStar > 0.0 ? sStar : 0.0;
            to = len;
        } else if (k == 0.0) {
            if (!(rho <= R0)) return 0;
            from = 0.0;
            to = len;
        } else {
            const double sStar = (rho - R0) / k;
            if (!(sStar > 0.0)) return 0;
            from = 0.0;
            to = sStar < len ? sStar : len;
        }
        t[0] = B[2] + from * nz;
        t[1] = B[2] + to * nz;
        s[0] = from;
        s[1] = to;
        return OrderPair(t, s);
    }
    const double nz2 = nz * nz;
    int found = 0;
    const double baseDistance2 = f.dx * f.dx + f.dy * f.dy + f.w * f.w / nz2;
    if (std::sqrt(baseDistance2) <= R0) {
        t[found] = RayAtHeight(B, n, f, 0.0);
        s[found++] = 0.0;
    }
    {
        const double tTop = RayAtHeight(B, n, f, len);
        const double ex = f.dx + len * n[0];
        const double ey = f.dy + len * n[1];
        const double ez = tTop - (B[2] + len * nz);
        if (std::sqrt(ex * ex + ey * ey + ez * ez) <= R0 + k * len) {
            t[found] = tTop;
            s[found++] = len;
        }
    }
    if (found < 2) {
        const double M = f.q * f.q / nz2 + f.q - k * k;
        const double N = f.w * f.q / nz2 + f.w - R0 * k;
        const double G = baseDistance2 - R0 * R0;
        if (std::fabs(M) < 1e-14) {
            if (N != 0.0) {
                const double root = -G / (2.0 * N);
                if (root > 0.0 && root < len) {
                    t[found] = RayAtHeight(B, n, f, root);
                    s[found++] = root;
                }
            }
        } else {
            const double disc = N * N - G * M;
            if (disc > 0.0) {
                const double rootDisc = std::sqrt(disc);
                const double s1 = (-N - rootDisc) / M;
                if (s1 > 0.0 && s1 < len && found < 2) {
                    t[found] = RayAtHeight(B, n, f, s1);
                    s[found++] = s1;
                }
                const double s2 = (rootDisc - N) / M;
                if (found == 1 && s2 > 0.0 && s2 < len) {
                    t[found] = RayAtHeight(B, n, f, s2);
                    s[found++] = s2;
                }
            }
        }
    }
    if (found != 2) return 0;
    return OrderPair(t, s);
}

// Real roots of K s^2 + beta s + gamma (K > 0) by the cancellation-free form; returns their count.
int SolveFactorQuadratic(double K, double beta, double gamma, double out[2])
{
    const double disc = beta * beta - 4.0 * K * gamma;
    if (disc < 0.0) return 0;
    const double q = -0.5 * (beta + std::copysign(std::sqrt(disc), beta));
    if (q == 0.0) {
        out[0] = 0.0;
        return 1;
    }
    out[0] = q / K;
    out[1] = gamma / q;
    return 2;
}

// The torus quartic P(s) = Q(s)^2 - s (2 Rt - s), Q(s) = K s^2 + L s + U, K > 0, Rt > 0, factored:
// for any y, P = (Q + y)^2 - [(2 y K - 1) s^2 + 2 (y L + Rt) s + 2 y U + y^2]; the bracket is a
// perfect square (a s + b)^2 where y is a root of a cubic that is negative at y = 1 / (2 K) and so
// has a root at least that large. Its largest root, polished by Newton steps, splits P into the two
// real quadratics Q + y - (a s + b) and Q + y + (a s + b): no complex arithmetic, so no rounding
// noise in imaginary parts can hide a real crossing. E is the cubic's constant term, -Rt^2 / (2 K).
// Writes the roots of the two quadratics, not yet polished, and returns their count.
int FactorTorusQuartic(double K, double L, double U, double Rt, double E, double out[4])
{
    const double B = (4.0 * K * U - 1.0 - L * L) / (2.0 * K);
    const double C = -(U + L * Rt) / K;
    const double y = PolishMonicCubicRoot(FindRealCubicRootClosedForm(B, C, E, 1), B, C, E, 2);
    const double a2 = 2.0 * y * K - 1.0;
    const double b2 = y * (2.0 * U + y);
    const double a = a2 > 0.0 ? std::sqrt(a2) : 0.0;
    const double b = std::copysign(b2 > 0.0 ? std::sqrt(b2) : 0.0, y * L + Rt);
    const int count = SolveFactorQuadratic(K, L - a, U + y - b, out);
    return count + SolveFactorQuadratic(K, L + a, U + y + b, out + count);
}

// One Newton step on P from a root r of its factors, kept when it only refines the root (moves it
// by at most 1e-6 (1 + |r|)).
inline double PolishTorusRoot(double K, double L, double U, double Rt, double r)
{
    const double q = (K * r + L) * r + U;
    const double value = q * q - (2.0 * Rt - r) * r;
    const double slope = 2.0 * q * (2.0 * K * r + L) - 2.0 * Rt + 2.0 * r;
    if (slope != 0.0) {
        const double polished = r - value / slope;
        if (std::fabs(polished - r) <= 1e-6 * (1.0 + std::fabs(r))) return polished;
    }
    return r;
}

// Real roots of P, each given one Newton step on P itself. Returns the count of real roots.
int SolveTorusQuartic(double K, double L, double U, double Rt, double out[4])
{
    const int count = FactorTorusQuartic(K, L, U, Rt, -Rt * Rt / (2.0 * K), out);
    for (int k = 0; k < count; k++) out[k] = PolishTorusRoot(K, L, U, Rt, out[k]);
    return count;
}

}  // namespace

int IntersectLineWithToolCylinder(const double B[3], const double n[3], double R, double len,
                                  double c1, double c2, double t[2], double s[2])
{
    const RayFrame f = MakeRayFrame(B, n, c1, c2);
    if (n[0] == 0.0 && n[1] == 0.0) {
        if (!(R > std::sqrt(f.dx * f.dx + f.dy * f.dy))) return 0;
        if (n[2] > 0.0) {
            t[0] = B[2];
            t[1] = B[2] + len * n[2];
            s[0] = 0.0;
            s[1] = len;
        } else {
            t[0] = B[2] + len * n[2];
            t[1] = B[2];
            s[0] = len;
            s[1] = 0.0;
        }
        return OrderPair(t, s);
    }
    if (n[2] == 0.0) return CylinderChordAcrossAxis(B, n, R, len, true, c1, c2, t, s);
    return IntersectTiltedCylinder(B, n, R, len, true, f, t, s);
}

int IntersectLineWithShank(const double B[3], const double n[3], double R, double c1, double c2,
                           double t[2], double s[2])
{
    const RayFrame f = MakeRayFrame(B, n, c1, c2);
    if (n[0] == 0.0 && n[1] == 0.0) {
        if (!(f.dx * f.dx + f.dy * f.dy < R * R)) return 0;
        if (n[2] > 0.0) {
            t[0] = B[2];
            t[1] = kFarAlongAxis;
            s[0] = 0.0;
            s[1] = kFarAlongAxis;
        } else {
            t[0] = -kFarAlongAxis;
            t[1] = B[2];
            s[0] = kFarAlongAxis;
            s[1] = 0.0;
        }
        return 2;
    }
    if (n[2] == 0.0) return CylinderChordAcrossAxis(B, n, R, 0.0, false, c1, c2, t, s);
    return IntersectTiltedCylinder(B, n, R, 0.0, false, f, t, s);
}

int IntersectLineWithToolCone(const double B[3], const double n[3], double R0, double k, double len,
                              double c1, double c2, double t[2], double s[2])
{
    return IntersectFrustum(B, n, R0, k, len, c1, c2, t, s);
}

int IntersectLineWithNextConeBand(const double B[3], const double n[3], double R0, double k,
                                  double len, double c1, double c2, double t[2], double s[2])
{
    return IntersectFrustum(B, n, R0, k, len, c1, c2, t, s);
}

int IntersectLineWithToolTip(const double B[3], const double n[3], double a, double b, double cap,
                             double c1, double c2, double t[2], double s[2])
{
    if (!(a > 0.0) || !(b > 0.0)) return 0;
    const RayFrame f = MakeRayFrame(B, n, c1, c2);
    const double g = a / b;
    const double nz = n[2];
    if (nz == 0.0) {
        const double height = -f.w;
        if (height > cap) return 0;
        const double ex = f.dx + height * n[0];
        const double ey = f.dy + height * n[1];
        return ChordAtHeight(B[2], (2.0 * b - height) * g * g * height - ex * ex - ey * ey, height,
                             t, s);
    }
    const double a2b = a * a / b;
    if (n[0] == 0.0 && n[1] == 0.0) {
        const double rho2 = f.dx * f.dx + f.dy * f.dy;
        const double disc = a2b * a2b - rho2 * g * g;
        if (!(disc > 0.0)) return 0;
        const double root = std::sqrt(disc);
        s[0] = (a2b - root) / (g * g);
        s[1] = (a2b + root) / (g * g);
        t[0] = B[2] + s[0] / nz;
        t[1] = B[2] + s[1] / nz;
    } else {
        const double nz2 = nz * nz;
        const double A = f.w * f.q / nz2 + f.w - g * a;
        const double M = f.q * f.q / nz2 + f.q + g * g;
        const double G = f.dx * f.dx + f.dy * f.dy + f.w * f.w / nz2;
        const double disc = A * A - G * M;
        if (!(disc > 0.0)) return 0;
        const double root = std::sqrt(disc);
        s[0] = (-A - root) / M;
        s[1] = (-A + root) / M;
        t[0] = RayAtHeight(B, n, f, s[0]);
        t[1] = RayAtHeight(B, n, f, s[1]);
    }
    if ((s[0] > cap && s[1] > cap) || (s[0] < 0.0 && s[1] < 0.0)) return 0;
    OrderPair(t, s);
    if (s[0] > cap)
        t[0] = t[1];
    else if (s[1] > cap)
        t[1] = t[0];
    return 2;
}

int IntersectLineWithTorus(const double B[3], const double n[3], double Rc, double Rt, double c1,
                           double c2, double t[4], double s[4])
{
    return IntersectLineWithTorusInBound(B, n, Rc, Rt, c1, c2, false, t, s);
}

int IntersectLineWithTorusInBound(const double B[3], const double n[3], double Rc, double Rt,
                                  double c1, double c2, bool boundMet, double t[4], double s[4])
{
    if (!(Rt > 0.0)) return 0;
    // A ray that passes outside the torus's bounding sphere cannot meet it.
    const double centre1 = B[0] + Rt * n[0] - c1, centre2 = B[1] + Rt * n[1] - c2;
    const double bound = std::fabs(Rc) + Rt;
    if (centre1 * centre1 + centre2 * centre2 >= bound * bound) return 0;
    const RayFrame f = MakeRayFrame(B, n, c1, c2);
    const double nz = n[2];
    int found = 0;
    if (nz == 0.0) {
        const double height = -f.w;
        if (height <= 0.0 || height >= 2.0 * Rt) return 0;
        const double m = std::sqrt((2.0 * Rt - height) * height);
        const double ex = f.dx + height * n[0];
        const double ey = f.dy + height * n[1];
        const double cross2 = ex * ex + ey * ey;
        found = ChordAtHeight(B[2], (Rc + m) * (Rc + m) - cross2, height, t, s);
        // The hole exists only where the tube does not reach the axis.
        if (found == 2 && Rc - m > 0.0) {
            const int inner = ChordAtHeight(B[2], (Rc - m) * (Rc - m) - cross2, height, t + 2, s + 2);
            found += inner;
        }
    } else if (n[0] == 0.0 && n[1] == 0.0) {
        const double rho = std::sqrt(f.dx * f.dx + f.dy * f.dy);
        const double fr = Rt * Rt - (Rc - rho) * (Rc - rho);
        if (!(fr > 0.0)) return 0;
        const double root = std::sqrt(fr);
        s[0] = Rt - root;
        s[1] = Rt + root;
        if ((s[0] > 2.0 * Rt && s[1] > 2.0 * Rt) || (s[0] < 0.0 && s[1] < 0.0)) return 0;
        t[0] = B[2] + s[0] * nz;
        t[1] = B[2] + s[1] * nz;
        found = 2;
    } else {
        if (!(Rc > 0.0)) return 0;
        // The torus lies inside the capped cylinder of its outer radius and height 2 Rt.
        double bt[2], bs[2];
        if (!boundMet && IntersectLineWithToolCylinder(B, n, Rc + Rt, 2.0 * Rt, c1, c2, bt, bs) != 2)
            return 0;
        const double nz2 = nz * nz;
        const double K = (f.q * f.q / nz2 + f.q + 1.0) / (2.0 * Rc);
        const double L = (f.w * f.q / nz2 + f.w - Rt) / Rc;
        const double U = (f.dx * f.dx + f.dy * f.dy + f.w * f.w / nz2 - Rc * Rc) / (2.0 * Rc);
        double roots[4];
        const int real = SolveTorusQuartic(K, L, U, Rt, roots);
        // Every real root lies in [0, 2 Rt] (the quartic is a square less s (2 Rt - s)); one through
        // the torus's lowest or highest circle may round just outside and is kept on it.
        const double slack = 1e-12 * (1.0 + 2.0 * Rt);
        for (int k = 0; k < real; k++) {
            double re = roots[k];
            if (re < -slack || re > 2.0 * Rt + slack) continue;
            re = std::min(std::max(re, 0.0), 2.0 * Rt);
            s[found] = re;
            t[found++] = RayAtHeight(B, n, f, re);
        }
    }
    for (int i = 0; i + 1 < found; i++) {  // selection sort by ray coordinate
        int best = i;
        for (int j = i + 1; j < found; j++)
            if (t[j] < t[best]) best = j;
        if (best != i) {
            std::swap(t[i], t[best]);
            std::swap(s[i], s[best]);
        }
    }
    if (found == 4 && t[2] == t[3]) found = 2;
    if (found == 2 && t[0] == t[1]) found = 0;
    return found;
}

namespace {

// Values of the torus quartic that depend only on the axis and the torus, kept per thread for the
// last ones seen.
struct TorusAxisConstants {
    double n[3], Rc, Rt;
    double q, invNz2, invNz, invRc, invTwoRc, K, invK, invTwoK, E;
};

const TorusAxisConstants& GetTorusAxisConstants(const double n[3], double Rc, double Rt)
{
    thread_local TorusAxisConstants k = {{NAN, NAN, NAN}, NAN, NAN, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    if (n[0] != k.n[0] || n[1] != k.n[1] || n[2] != k.n[2] || Rc != k.Rc || Rt != k.Rt) {
        for (int i = 0; i < 3; i++) k.n[i] = n[i];
        k.Rc = Rc;
        k.Rt = Rt;
        k.q = n[0] * n[0] + n[1] * n[1];
        const double nz2 = n[2] * n[2];
        k.invNz2 = 1.0 / nz2;
        k.invNz = 1.0 / n[2];
        k.invRc = 1.0 / Rc;
        k.invTwoRc = 1.0 / (2.0 * Rc);
        k.K = (k.q * k.q / nz2 + k.q + 1.0) / (2.0 * Rc);
        k.invK = 1.0 / k.K;
        k.invTwoK = 1.0 / (2.0 * k.K);
        k.E = -Rt * Rt * k.invTwoK;
    }
    return k;
}

int TakeHull(int count, const double tt[4], double t[2])
{
    if (count < 2) return 0;
    t[0] = tt[0];
    t[1] = tt[count - 1];
    return 2;
}

// The real cube root of x (finite, not 0) to about 1e-14 relative: the exponent divided by three
// in the bits gives a start within a few percent, two Halley steps (cubic convergence) the rest.
// Its result only starts the factorisation, whose roots each get a Newton step on the quartic.
inline double CubeRootForStart(double x)
{
    const double a = std::fabs(x);
    uint64_t bits;
    std::memcpy(&bits, &a, sizeof bits);
    bits = bits / 3 + 0x2A9F7893782DA1CEull;
    double y;
    std::memcpy(&y, &bits, sizeof y);
    for (int step = 0; step < 2; step++) {
        const double y3 = y * y * y;
        y = y * (y3 + 2.0 * a) / (2.0 * y3 + a);
    }
    return std::copysign(y, x);
}

// The largest real root of y^3 + B y^2 + C y + E in closed form where the roots are clear of each
// other: with one real root, from one cube root (u of the sum that does not cancel, v = -Q / u for
// u v = -Q); with three, from the cosine form. False where two roots nearly coincide.
inline bool FindLargestClearCubicRoot(double B, double C, double E, double* y)
{
    const double R = (2.0 * B * B * B - 9.0 * B * C + 27.0 * E) * (1.0 / 54.0);
    const double Q = (3.0 * C - B * B) * (1.0 / 9.0);
    const double Q3 = Q * Q * Q;
    const double D = R * R + Q3;
    const double size = R * R + std::fabs(Q3);
    if (D > 1e-6 * size) {
        const double u = CubeRootForStart(-(R + std::copysign(std::sqrt(D), R)));
        *y = u - Q / u - B * (1.0 / 3.0);
    } else if (D < -1e-6 * size) {
        const double theta = std::acos(-R / std::sqrt(-Q3)) * (1.0 / 3.0);
        *y = 2.0 * std::sqrt(-Q) * std::cos(theta) - B * (1.0 / 3.0);
    } else {
        return false;
    }
    return std::isfinite(*y);
}

// The roots of K s^2 + beta s + gamma (K > 0) where its discriminant is clear of 0, so that the
// rounding of the coefficients cannot change their count and moves them only by rounding; false
// otherwise.
inline bool SolveClearQuadratic(double K, double invK, double beta, double gamma, double out[2], int* count)
{
    const double disc = beta * beta - 4.0 * K * gamma;
    const double size = beta * beta + 4.0 * K * std::fabs(gamma);
    if (!(std::fabs(disc) > 1e-6 * size)) return false;
    if (disc < 0.0) return true;
    const double q = -0.5 * (beta + std::copysign(std::sqrt(disc), beta));
    out[(*count)++] = q * invK;
    out[(*count)++] = gamma / q;
    return true;
}

// The hull of IntersectLineWithTorusInBound's crossings for a ray across the axis (n[2] = 0, Rt > 0),
// the same to the bit without its general steps: the ray lies at one height, where the torus is
// a ring whose outer chord holds the inner one, so the hull is the outer chord. Only where rounding
// makes an end of both chords equal do the routine's merging rules give another hull, kept here.
inline int TorusHullAcrossAxis(const double B[3], const double n[3], double Rc, double Rt, double c1, double c2,
                               double t[2])
{
    const double centre1 = B[0] + Rt * n[0] - c1, centre2 = B[1] + Rt * n[1] - c2;
    const double bound = std::fabs(Rc) + Rt;
    if (centre1 * centre1 + centre2 * centre2 >= bound * bound) return 0;
    const double dx = B[0] - c1, dy = B[1] - c2;
    const double height = -(n[0] * dx + n[1] * dy);
    if (height <= 0.0 || height >= 2.0 * Rt) return 0;
    const double m = std::sqrt((2.0 * Rt - height) * height);
    const double ex = dx + height * n[0];
    const double ey = dy + height * n[1];
    const double cross2 = ex * ex + ey * ey;
    const double outer = (Rc + m) * (Rc + m) - cross2;
    if (!(outer > 0.0)) return 0;
    const double root = std::sqrt(outer);
    t[0] = B[2] - root;
    t[1] = B[2] + root;
    if (Rc - m > 0.0) {
        const double inner = (Rc - m) * (Rc - m) - cross2;
        if (inner > 0.0) {
            // Sorted, the four crossings are t[0] <= B2 - ri <= B2 + ri <= t[1]; the upper two equal
            // leave the lower two, and those equal leave none.
            const double ri = std::sqrt(inner);
            if (B[2] + ri == t[1]) {
                t[1] = B[2] - ri;
                return t[0] == t[1] ? 0 : 2;
            }
            return 2;
        }
    }
    return t[0] == t[1] ? 0 : 2;
}

// The lowest and highest of the count roots (heights over the torus's lowest plane) that lie within
// the tube's height range 0..2 Rt, in *low, *high (-1: none). False where a root lies near an end of
// the range, two kept roots lie near each other or a root is not finite: then the full solve decides.
inline bool PickOuterTorusRoots(const double* roots, int count, double Rt, int* low, int* high)
{
    const double margin = 1e-6 * (1.0 + 2.0 * Rt);
    for (int i = 0; i < count; i++) {
        const double r = roots[i];
        if (r > margin && r < 2.0 * Rt - margin) {
            if (*low < 0 || r < roots[*low]) *low = i;
            if (*high < 0 || r > roots[*high]) *high = i;
            for (int j = 0; j < i; j++)
                if (!(std::fabs(roots[j] - r) > margin)) return false;
        } else if (!(r < -margin || r > 2.0 * Rt + margin)) {
            return false;
        }
    }
    return true;
}

}  // namespace

int IntersectLineWithTorusHullInBound(const double B[3], const double n[3], double Rc, double Rt, double c1,
                                      double c2, bool boundMet, double t[2])
{
    double tt[4], ss[4];
    if (n[2] == 0.0 && Rt > 0.0) return TorusHullAcrossAxis(B, n, Rc, Rt, c1, c2, t);
    if (!(std::fabs(n[2]) >= 0.1) || (n[0] == 0.0 && n[1] == 0.0) || !(Rt > 0.0) || !(Rc > 0.0))
        return TakeHull(IntersectLineWithTorusInBound(B, n, Rc, Rt, c1, c2, boundMet, tt, ss), tt, t);
    const double centre1 = B[0] + Rt * n[0] - c1, centre2 = B[1] + Rt * n[1] - c2;
    const double bound = std::fabs(Rc) + Rt;
    if (centre1 * centre1 + centre2 * centre2 >= bound * bound) return 0;
    double bt[2], bs[2];
    if (!boundMet && IntersectLineWithToolCylinder(B, n, Rc + Rt, 2.0 * Rt, c1, c2, bt, bs) != 2) return 0;
    // The quartic P(s) = Q(s)^2 - s (2 Rt - s) of the full solve, factored the same way. Where the
    // factoring is well conditioned (a single real resolvent root, both factors' discriminants
    // clear of 0, the roots clear of each other and of the ends of [0, 2 Rt]) the count of kept
    // roots cannot change by rounding and each root is found to rounding: only the lowest and
    // highest kept roots are needed, each given a Newton step on P. Otherwise (a ray near a
    // tangent or through the torus's lowest or highest circle) the full solve decides.
    const double dx = B[0] - c1, dy = B[1] - c2;
    const double w = n[0] * dx + n[1] * dy;
    const TorusAxisConstants& k = GetTorusAxisConstants(n, Rc, Rt);
    const double K = k.K;
    const double L = (w * k.q * k.invNz2 + w - Rt) * k.invRc;
    const double U = (dx * dx + dy * dy + w * w * k.invNz2 - Rc * Rc) * k.invTwoRc;
    const double Bc = (4.0 * K * U - 1.0 - L * L) * k.invTwoK;
    const double Cc = -(U + L * Rt) * k.invK;
    double y;
    bool decided = FindLargestClearCubicRoot(Bc, Cc, k.E, &y);
    double roots[4];
    int count = 0;
    if (decided) {
        const double a2 = 2.0 * y * K - 1.0;
        const double b2 = y * (2.0 * U + y);
        const double a = a2 > 0.0 ? std::sqrt(a2) : 0.0;
        const double b = std::copysign(b2 > 0.0 ? std::sqrt(b2) : 0.0, y * L + Rt);
        decided = SolveClearQuadratic(K, k.invK, L - a, U + y - b, roots, &count) &&
                  SolveClearQuadratic(K, k.invK, L + a, U + y + b, roots, &count);
    }
    int low = -1, high = -1;
    if (decided) decided = PickOuterTorusRoots(roots, count, Rt, &low, &high);
    if (decided) {
        if (low < 0 || low == high) return 0;
        double ends[2];
        const int which[2] = {low, high};
        for (int e = 0; e < 2; e++) {
            const double r = roots[which[e]];
            const double q = (K * r + L) * r + U;
            const double value = q * q - (2.0 * Rt - r) * r;
            const double slope = 2.0 * q * (2.0 * K * r + L) - 2.0 * Rt + 2.0 * r;
            const double step = value / slope;
            if (!(std::fabs(step) <= 1e-9 * (1.0 + 2.0 * Rt))) decided = false;
            ends[e] = B[2] + (r - step + w) * k.invNz;
        }
        if (decided) {
            t[0] = std::min(ends[0], ends[1]);
            t[1] = std::max(ends[0], ends[1]);
            return 2;
        }
    }
    return TakeHull(IntersectLineWithTorusInBound(B, n, Rc, Rt, c1, c2, true, tt, ss), tt, t);
}

namespace {

// Two doubles worked on side by side: each operation is the IEEE operation of each element, so a
// pair gives both rays exactly the values each gets alone (no contraction: -ffp-contract=off).
typedef double Pair __attribute__((vector_size(16)));
typedef int64_t PairBits __attribute__((vector_size(16)));

inline Pair LoadPair(const double* p)
{
    Pair v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void StorePair(double* p, Pair v) { std::memcpy(p, &v, sizeof v); }

// x > 0 ? sqrt(x) : 0 for each element (a NaN gives 0).
inline Pair SqrtOfPositive(Pair x)
{
#if defined(__SSE2__)
    return Pair(_mm_sqrt_pd(_mm_max_pd(__m128d(x), _mm_setzero_pd())));
#else
    Pair r;
    for (int i = 0; i < 2; i++) r[i] = x[i] > 0.0 ? std::sqrt(x[i]) : 0.0;
    return r;
#endif
}

inline Pair CopySign(Pair magnitude, Pair sign)
{
    const PairBits mask = {INT64_MIN, INT64_MIN};
    return Pair((PairBits(magnitude) & ~mask) | (PairBits(sign) & mask));
}

inline Pair Abs(Pair x)
{
    const PairBits mask = {INT64_MIN, INT64_MIN};
    return Pair(PairBits(x) & ~mask);
}

const int kTorusLanes = 16;

// The start of the cube root of |x| for every lane, from the bits (refined by Halley steps after).
void CubeRootStarts(int lanes, const double x[], double r[])
{
    for (int i = 0; i < lanes; i++) {
        const double a = std::fabs(x[i]);
        uint64_t bits;
        std::memcpy(&bits, &a, sizeof bits);
        bits = bits / 3 + 0x2A9F7893782DA1CEull;
        std::memcpy(&r[i], &bits, sizeof bits);
    }
}

// Lanes whose ray misses the torus's bounding cylinder (mode 0: no crossing), where the caller has
// not checked it.
void DropRaysOffTorusBound(const double B[3], const double n[3], double Rc, double Rt, int m, const double c1[],
                           const double c2[], int mode[])
{
    for (int i = 0; i < m; i++) {
        double bt[2], bs[2];
        if (mode[i] != 0 && IntersectLineWithToolCylinder(B, n, Rc + Rt, 2.0 * Rt, c1[i], c2[i], bt, bs) != 2)
            mode[i] = 0;
    }
}

// The hulls of the lanes once their roots are refined: none for mode 0, the refined ends where both
// last steps were negligible, else the full solve of the ray on its own.
void TakeTorusHulls(const double B[3], const double n[3], double Rc, double Rt, int m, const double c1[],
                    const double c2[], const int mode[], const double step[2][kTorusLanes],
                    const double ends[2][kTorusLanes], double t[][2], int found[])
{
    for (int i = 0; i < m; i++) {
        if (mode[i] == 0) {
            found[i] = 0;
            continue;
        }
        if (mode[i] != 3 && std::fabs(step[0][i]) <= 1e-9 * (1.0 + 2.0 * Rt) &&
            std::fabs(step[1][i]) <= 1e-9 * (1.0 + 2.0 * Rt)) {
            t[i][0] = std::min(ends[0][i], ends[1][i]);
            t[i][1] = std::max(ends[0][i], ends[1][i]);
            found[i] = 2;
            continue;
        }
        double tt[4], ss[4];
        found[i] = TakeHull(IntersectLineWithTorusInBound(B, n, Rc, Rt, c1[i], c2[i], true, tt, ss), tt, t[i]);
    }
}

// The arithmetic of IntersectLineWithTorusHullInBound for the tilted axes it solves in closed form,
// operation for operation, one stage at a time across up to sixteen rays, two at a time in each
// operation: the rays' long dependent chains (roots, cube root, quotients) overlap and share the
// divider, and every ray gets the very same values as on its own. Rays the fast factoring does not
// decide take the full solve one by one, as there.
void SolveTorusHullLanes(const double B[3], const double n[3], double Rc, double Rt, const TorusAxisConstants& k,
                         int m, const double x1[], const double x2[], bool boundMet, double t[][2], int found[])
{
    const double K = k.K;
    const double bound = std::fabs(Rc) + Rt;
    const int lanes = (m + 1) & ~1;  // the last ray repeated in a spare lane
    double c1[kTorusLanes], c2[kTorusLanes];
    for (int i = 0; i < lanes; i++) {
        c1[i] = x1[std::min(i, m - 1)];
        c2[i] = x2[std::min(i, m - 1)];
    }
    double w[kTorusLanes], L[kTorusLanes], U[kTorusLanes], Bc[kTorusLanes], R[kTorusLanes], Q[kTorusLanes];
    double D[kTorusLanes], size[kTorusLanes], x[kTorusLanes], outside[kTorusLanes];
    const double centreBase1 = B[0] + Rt * n[0], centreBase2 = B[1] + Rt * n[1];
    for (int i = 0; i < lanes; i += 2) {
        const Pair p1 = LoadPair(c1 + i), p2 = LoadPair(c2 + i);
        const Pair centre1 = centreBase1 - p1, centre2 = centreBase2 - p2;
        const Pair dx = B[0] - p1, dy = B[1] - p2;
        const Pair wv = n[0] * dx + n[1] * dy;
        const Pair Lv = (wv * k.q * k.invNz2 + wv - Rt) * k.invRc;
        const Pair Uv = (dx * dx + dy * dy + wv * wv * k.invNz2 - Rc * Rc) * k.invTwoRc;
        const Pair Bv = (4.0 * K * Uv - 1.0 - Lv * Lv) * k.invTwoK;
        const Pair Cc = -(Uv + Lv * Rt) * k.invK;
        const Pair Rv = (2.0 * Bv * Bv * Bv - 9.0 * Bv * Cc + 27.0 * k.E) * (1.0 / 54.0);
        const Pair Qv = (3.0 * Cc - Bv * Bv) * (1.0 / 9.0);
        const Pair Q3 = Qv * Qv * Qv;
        const Pair Dv = Rv * Rv + Q3;
        StorePair(w + i, wv);
        StorePair(L + i, Lv);
        StorePair(U + i, Uv);
        StorePair(Bc + i, Bv);
        StorePair(R + i, Rv);
        StorePair(Q + i, Qv);
        StorePair(D + i, Dv);
        StorePair(size + i, Rv * Rv + Abs(Q3));
        StorePair(x + i, -(Rv + CopySign(SqrtOfPositive(Dv), Rv)));
        // Outside the bounding sphere where centre1^2 + centre2^2 >= bound^2: a mask of all ones.
        const auto out = centre1 * centre1 + centre2 * centre2 >= bound * bound;
        StorePair(outside + i, Pair(out));
    }
    // 0: passes outside the torus; 1: one real resolvent root; 2: three; 3: full solve.
    int mode[kTorusLanes];
    for (int i = 0; i < lanes; i++) {
        mode[i] = D[i] > 1e-6 * size[i] ? 1 : D[i] < -1e-6 * size[i] ? 2 : 3;
        uint64_t out;
        std::memcpy(&out, &outside[i], sizeof out);
        if (out != 0) mode[i] = 0;
    }
    if (!boundMet) DropRaysOffTorusBound(B, n, Rc, Rt, m, c1, c2, mode);
    // The cube root of x for every lane (used where the mode says so): the start from the bits,
    // then two Halley steps.
    double r[kTorusLanes], y[kTorusLanes];
    CubeRootStarts(lanes, x, r);
    for (int i = 0; i < lanes; i += 2) {
        const Pair xv = LoadPair(x + i);
        const Pair a = Abs(xv);
        Pair rv = LoadPair(r + i);
        for (int step = 0; step < 2; step++) {
            const Pair r3 = rv * rv * rv;
            rv = rv * (r3 + 2.0 * a) / (2.0 * r3 + a);
        }
        const Pair u = CopySign(rv, xv);
        StorePair(y + i, u - LoadPair(Q + i) / u - LoadPair(Bc + i) * (1.0 / 3.0));
    }
    for (int i = 0; i < m; i++)
        if (mode[i] == 2) {
            const double theta = std::acos(-R[i] / std::sqrt(-(Q[i] * Q[i] * Q[i]))) * (1.0 / 3.0);
            y[i] = 2.0 * std::sqrt(-Q[i]) * std::cos(theta) - Bc[i] * (1.0 / 3.0);
        }
    // The two factor quadratics K s^2 + beta s + gamma of every lane and their roots.
    double beta[2][kTorusLanes], gamma[2][kTorusLanes], disc[2][kTorusLanes], roots[2][2][kTorusLanes];
    for (int i = 0; i < lanes; i += 2) {
        const Pair yv = LoadPair(y + i), Lv = LoadPair(L + i), Uv = LoadPair(U + i);
        const Pair a2 = 2.0 * yv * K - 1.0;
        const Pair b2 = yv * (2.0 * Uv + yv);
        const Pair af = SqrtOfPositive(a2);
        const Pair bf = CopySign(SqrtOfPositive(b2), yv * Lv + Rt);
        const Pair betas[2] = {Lv - af, Lv + af};
        const Pair gammas[2] = {Uv + yv - bf, Uv + yv + bf};
        for (int f = 0; f < 2; f++) {
            const Pair d = betas[f] * betas[f] - 4.0 * K * gammas[f];
            const Pair q = -0.5 * (betas[f] + CopySign(SqrtOfPositive(d), betas[f]));
            StorePair(beta[f] + i, betas[f]);
            StorePair(gamma[f] + i, gammas[f]);
            StorePair(disc[f] + i, d);
            StorePair(roots[f][0] + i, q * k.invK);
            StorePair(roots[f][1] + i, gammas[f] / q);
        }
    }
    // Which roots are kept, in the order and with the tests of the single ray's routine.
    double end[2][kTorusLanes];
    for (int i = 0; i < lanes; i++) {
        end[0][i] = end[1][i] = 0.0;
        if (i >= m || mode[i] == 0 || mode[i] == 3) continue;
        bool decided = std::isfinite(y[i]);
        double list[4];
        int count = 0;
        for (int f = 0; f < 2 && decided; f++) {
            const double extent = beta[f][i] * beta[f][i] + 4.0 * K * std::fabs(gamma[f][i]);
            if (!(std::fabs(disc[f][i]) > 1e-6 * extent)) {
                decided = false;
            } else if (!(disc[f][i] < 0.0)) {
                list[count++] = roots[f][0][i];
                list[count++] = roots[f][1][i];
            }
        }
        int low = -1, high = -1;
        if (decided) decided = PickOuterTorusRoots(list, count, Rt, &low, &high);
        if (!decided) {
            mode[i] = 3;
        } else if (low < 0 || low == high) {
            mode[i] = 0;
        } else {
            end[0][i] = list[low];
            end[1][i] = list[high];
        }
    }
    // A Newton step on the quartic at both kept ends.
    double step[2][kTorusLanes], ends[2][kTorusLanes];
    for (int e = 0; e < 2; e++)
        for (int i = 0; i < lanes; i += 2) {
            const Pair re = LoadPair(end[e] + i), Lv = LoadPair(L + i);
            const Pair q = (K * re + Lv) * re + LoadPair(U + i);
            const Pair value = q * q - (2.0 * Rt - re) * re;
            const Pair slope = 2.0 * q * (2.0 * K * re + Lv) - 2.0 * Rt + 2.0 * re;
            const Pair sv = value / slope;
            StorePair(step[e] + i, sv);
            StorePair(ends[e] + i, B[2] + (re - sv + LoadPair(w + i)) * k.invNz);
        }
    TakeTorusHulls(B, n, Rc, Rt, m, c1, c2, mode, step, ends, t, found);
}



#if defined(__x86_64__) && defined(__GNUC__)
#define QUMBRA_TORUS_FOUR_LANES 1
#define QUMBRA_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline
QUMBRA_AVX2_INLINE __m256d CopySignFour(__m256d magnitude, __m256d sign)
{
    const __m256d signBit = _mm256_set1_pd(-0.0);
    return _mm256_or_pd(_mm256_andnot_pd(signBit, magnitude), _mm256_and_pd(signBit, sign));
}
QUMBRA_AVX2_INLINE __m256d AbsFour(__m256d v) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), v); }
QUMBRA_AVX2_INLINE __m256d NegateFour(__m256d v) { return _mm256_xor_pd(v, _mm256_set1_pd(-0.0)); }
// x > 0 ? sqrt(x) : 0 for each element (a NaN gives 0), as SqrtOfPositive.
QUMBRA_AVX2_INLINE __m256d SqrtOfPositiveFour(__m256d v) { return _mm256_sqrt_pd(_mm256_max_pd(v, _mm256_setzero_pd())); }

// SolveTorusHullLanes four rays at a time where the processor has the four-lane instructions: every
// arithmetic operation is the one of the pairs, in the same order on each ray, and comparisons are of
// the same kind (ordered: false for a NaN), so each ray gets the very same hull. The roots are
// picked with masks here: for kept roots clear of each other the lowest and the highest in the tube's
// height range are the ones the single ray's routine keeps.
__attribute__((target("avx2"))) void SolveTorusHullFour(const double B[3], const double n[3], double Rc, double Rt,
                                                        const TorusAxisConstants& k, int m, const double x1[],
                                                        const double x2[], bool boundMet, double t[][2],
                                                        int found[])
{
    const double K = k.K;
    const double bound = std::fabs(Rc) + Rt;
    const int lanes = (m + 3) & ~3;  // the last ray repeated in the spare lanes
    alignas(32) double c1[kTorusLanes], c2[kTorusLanes], x[kTorusLanes], r[kTorusLanes], y[kTorusLanes];
    alignas(32) double R[kTorusLanes], Q[kTorusLanes], Bc[kTorusLanes];
    alignas(32) double step[2][kTorusLanes], ends[2][kTorusLanes];
    int mode[kTorusLanes];
    for (int i = 0; i < lanes; i++) {
        c1[i] = x1[std::min(i, m - 1)];
        c2[i] = x2[std::min(i, m - 1)];
    }
    const __m256d zero = _mm256_setzero_pd();
    const __m256d vK = _mm256_set1_pd(K), vRt = _mm256_set1_pd(Rt);
    const __m256d vq = _mm256_set1_pd(k.q), vInvNz2 = _mm256_set1_pd(k.invNz2), vInvRc = _mm256_set1_pd(k.invRc);
    const __m256d vInvTwoRc = _mm256_set1_pd(k.invTwoRc), vInvTwoK = _mm256_set1_pd(k.invTwoK);
    const __m256d vInvK = _mm256_set1_pd(k.invK);
    const __m256d vFourK = _mm256_set1_pd(4.0 * K), vTwoK = _mm256_set1_pd(2.0 * K);
    const __m256d one = _mm256_set1_pd(1.0), two = _mm256_set1_pd(2.0);
    const __m256d vTwoRt = _mm256_set1_pd(2.0 * Rt);
    __m256d w[kTorusLanes / 4], L[kTorusLanes / 4], U[kTorusLanes / 4];
    for (int g = 0; g < lanes / 4; g++) {
        const int i = 4 * g;
        const __m256d p1 = _mm256_load_pd(c1 + i), p2 = _mm256_load_pd(c2 + i);
        const __m256d centre1 = _mm256_sub_pd(_mm256_set1_pd(B[0] + Rt * n[0]), p1);
        const __m256d centre2 = _mm256_sub_pd(_mm256_set1_pd(B[1] + Rt * n[1]), p2);
        const __m256d dx = _mm256_sub_pd(_mm256_set1_pd(B[0]), p1), dy = _mm256_sub_pd(_mm256_set1_pd(B[1]), p2);
        const __m256d wv = _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(n[0]), dx), _mm256_mul_pd(_mm256_set1_pd(n[1]), dy));
        const __m256d Lv = _mm256_mul_pd(
            _mm256_sub_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_mul_pd(wv, vq), vInvNz2), wv), vRt), vInvRc);
        const __m256d Uv = _mm256_mul_pd(
            _mm256_sub_pd(_mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)),
                                        _mm256_mul_pd(_mm256_mul_pd(wv, wv), vInvNz2)),
                          _mm256_set1_pd(Rc * Rc)),
            vInvTwoRc);
        const __m256d Bv = _mm256_mul_pd(
            _mm256_sub_pd(_mm256_sub_pd(_mm256_mul_pd(vFourK, Uv), one), _mm256_mul_pd(Lv, Lv)), vInvTwoK);
        const __m256d Cc = _mm256_mul_pd(NegateFour(_mm256_add_pd(Uv, _mm256_mul_pd(Lv, vRt))), vInvK);
        const __m256d Rv = _mm256_mul_pd(
            _mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(two, Bv), Bv), Bv),
                                        _mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(9.0), Bv), Cc)),
                          _mm256_set1_pd(27.0 * k.E)),
            _mm256_set1_pd(1.0 / 54.0));
        const __m256d Qv = _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(_mm256_set1_pd(3.0), Cc), _mm256_mul_pd(Bv, Bv)),
                                         _mm256_set1_pd(1.0 / 9.0));
        const __m256d Q3 = _mm256_mul_pd(_mm256_mul_pd(Qv, Qv), Qv);
        const __m256d Dv = _mm256_add_pd(_mm256_mul_pd(Rv, Rv), Q3);
        const __m256d size = _mm256_mul_pd(_mm256_set1_pd(1e-6), _mm256_add_pd(_mm256_mul_pd(Rv, Rv), AbsFour(Q3)));
        _mm256_store_pd(x + i, NegateFour(_mm256_add_pd(Rv, CopySignFour(SqrtOfPositiveFour(Dv), Rv))));
        _mm256_store_pd(R + i, Rv);
        _mm256_store_pd(Q + i, Qv);
        _mm256_store_pd(Bc + i, Bv);
        w[g] = wv;
        L[g] = Lv;
        U[g] = Uv;
        // 0: passes outside the torus; 1: one real resolvent root; 2: three; 3: full solve.
        const int outside = _mm256_movemask_pd(_mm256_cmp_pd(
            _mm256_add_pd(_mm256_mul_pd(centre1, centre1), _mm256_mul_pd(centre2, centre2)),
            _mm256_set1_pd(bound * bound), _CMP_GE_OQ));
        const int oneRoot = _mm256_movemask_pd(_mm256_cmp_pd(Dv, size, _CMP_GT_OQ));
        const int threeRoots = _mm256_movemask_pd(_mm256_cmp_pd(Dv, NegateFour(size), _CMP_LT_OQ));
        for (int j = 0; j < 4; j++)
            mode[i + j] = outside >> j & 1 ? 0 : oneRoot >> j & 1 ? 1 : threeRoots >> j & 1 ? 2 : 3;
    }
    if (!boundMet) DropRaysOffTorusBound(B, n, Rc, Rt, m, c1, c2, mode);
    // The cube root of x for every lane: the start from the bits, then two Halley steps.
    CubeRootStarts(lanes, x, r);
    for (int i = 0; i < lanes; i += 4) {
        const __m256d xv = _mm256_load_pd(x + i);
        const __m256d a = AbsFour(xv);
        __m256d rv = _mm256_load_pd(r + i);
        for (int s = 0; s < 2; s++) {
            const __m256d r3 = _mm256_mul_pd(_mm256_mul_pd(rv, rv), rv);
            rv = _mm256_div_pd(_mm256_mul_pd(rv, _mm256_add_pd(r3, _mm256_mul_pd(two, a))),
                               _mm256_add_pd(_mm256_mul_pd(two, r3), a));
        }
        const __m256d u = CopySignFour(rv, xv);
        _mm256_store_pd(y + i, _mm256_sub_pd(_mm256_sub_pd(u, _mm256_div_pd(_mm256_load_pd(Q + i), u)),
                                             _mm256_mul_pd(_mm256_load_pd(Bc + i), _mm256_set1_pd(1.0 / 3.0))));
    }
    for (int i = 0; i < m; i++)
        if (mode[i] == 2) {
            const double theta = std::acos(-R[i] / std::sqrt(-(Q[i] * Q[i] * Q[i]))) * (1.0 / 3.0);
            y[i] = 2.0 * std::sqrt(-Q[i]) * std::cos(theta) - Bc[i] * (1.0 / 3.0);
        }
    const double margin = 1e-6 * (1.0 + 2.0 * Rt);
    const __m256d vMargin = _mm256_set1_pd(margin), vLowEnd = _mm256_set1_pd(-margin);
    const __m256d vHighIn = _mm256_set1_pd(2.0 * Rt - margin), vHighOut = _mm256_set1_pd(2.0 * Rt + margin);
    const __m256d infinity = _mm256_set1_pd(HUGE_VAL);
    for (int g = 0; g < lanes / 4; g++) {
        const int i = 4 * g;
        const __m256d yv = _mm256_load_pd(y + i), Lv = L[g], Uv = U[g];
        // The two factor quadratics K s^2 + beta s + gamma and their roots.
        const __m256d a2 = _mm256_sub_pd(_mm256_mul_pd(_mm256_mul_pd(two, yv), vK), one);
        const __m256d b2 = _mm256_mul_pd(yv, _mm256_add_pd(_mm256_mul_pd(two, Uv), yv));
        const __m256d af = SqrtOfPositiveFour(a2);
        const __m256d bf = CopySignFour(SqrtOfPositiveFour(b2), _mm256_add_pd(_mm256_mul_pd(yv, Lv), vRt));
        const __m256d betas[2] = {_mm256_sub_pd(Lv, af), _mm256_add_pd(Lv, af)};
        const __m256d Uy = _mm256_add_pd(Uv, yv);
        const __m256d gammas[2] = {_mm256_sub_pd(Uy, bf), _mm256_add_pd(Uy, bf)};
        __m256d roots[4], present[2];
        // Decided: y finite and both discriminants clear of 0.
        __m256d decided = _mm256_cmp_pd(AbsFour(yv), infinity, _CMP_LT_OQ);
        for (int f = 0; f < 2; f++) {
            const __m256d bb = _mm256_mul_pd(betas[f], betas[f]);
            const __m256d d = _mm256_sub_pd(bb, _mm256_mul_pd(vFourK, gammas[f]));
            const __m256d q = _mm256_mul_pd(_mm256_set1_pd(-0.5), _mm256_add_pd(betas[f], CopySignFour(SqrtOfPositiveFour(d), betas[f])));
            roots[2 * f] = _mm256_mul_pd(q, vInvK);
            roots[2 * f + 1] = _mm256_div_pd(gammas[f], q);
            const __m256d extent = _mm256_add_pd(bb, _mm256_mul_pd(vFourK, AbsFour(gammas[f])));
            decided = _mm256_and_pd(decided, _mm256_cmp_pd(AbsFour(d), _mm256_mul_pd(_mm256_set1_pd(1e-6), extent), _CMP_GT_OQ));
            present[f] = _mm256_cmp_pd(d, zero, _CMP_NLT_UQ);
        }
        // The lowest and highest roots in the height range; undecided where a present root lies near
        // an end of the range or is not a number, or a kept root lies near an earlier present one.
        __m256d inRange[4], low = infinity, high = NegateFour(infinity), kept = zero, keptTwo = zero;
        for (int e = 0; e < 4; e++) {
            const __m256d re = roots[e], has = present[e / 2];
            inRange[e] = _mm256_and_pd(has, _mm256_and_pd(_mm256_cmp_pd(re, vMargin, _CMP_GT_OQ),
                                                          _mm256_cmp_pd(re, vHighIn, _CMP_LT_OQ)));
            const __m256d outside = _mm256_or_pd(_mm256_cmp_pd(re, vLowEnd, _CMP_LT_OQ),
                                                 _mm256_cmp_pd(re, vHighOut, _CMP_GT_OQ));
            decided = _mm256_andnot_pd(_mm256_andnot_pd(_mm256_or_pd(inRange[e], outside), has), decided);
            for (int j = 0; j < e; j++) {
                const __m256d apart = _mm256_cmp_pd(AbsFour(_mm256_sub_pd(roots[j], re)), vMargin, _CMP_GT_OQ);
                decided = _mm256_andnot_pd(_mm256_andnot_pd(apart, _mm256_and_pd(inRange[e], present[j / 2])), decided);
            }
            low = _mm256_blendv_pd(low, _mm256_min_pd(low, re), inRange[e]);
            high = _mm256_blendv_pd(high, _mm256_max_pd(high, re), inRange[e]);
            keptTwo = _mm256_or_pd(keptTwo, _mm256_and_pd(kept, inRange[e]));
            kept = _mm256_or_pd(kept, inRange[e]);
        }
        // Lanes kept with two roots get their ends; the others 0, as in the pairs.
        const __m256d use = _mm256_and_pd(decided, keptTwo);
        const __m256d endValues[2] = {_mm256_and_pd(low, use), _mm256_and_pd(high, use)};
        const int decidedBits = _mm256_movemask_pd(decided), useBits = _mm256_movemask_pd(use);
        for (int j = 0; j < 4; j++) {
            if (i + j >= m || mode[i + j] == 0 || mode[i + j] == 3) continue;
            mode[i + j] = !(decidedBits >> j & 1) ? 3 : !(useBits >> j & 1) ? 0 : mode[i + j];
        }
        // A Newton step on the quartic at both kept ends.
        for (int e = 0; e < 2; e++) {
            const __m256d re = endValues[e];
            const __m256d q = _mm256_add_pd(_mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(vK, re), Lv), re), Uv);
            const __m256d value = _mm256_sub_pd(_mm256_mul_pd(q, q), _mm256_mul_pd(_mm256_sub_pd(vTwoRt, re), re));
            const __m256d slope = _mm256_add_pd(
                _mm256_sub_pd(_mm256_mul_pd(_mm256_mul_pd(two, q), _mm256_add_pd(_mm256_mul_pd(vTwoK, re), Lv)), vTwoRt),
                _mm256_mul_pd(two, re));
            const __m256d sv = _mm256_div_pd(value, slope);
            _mm256_store_pd(step[e] + i, sv);
            _mm256_store_pd(ends[e] + i,
                            _mm256_add_pd(_mm256_set1_pd(B[2]),
                                          _mm256_mul_pd(_mm256_add_pd(_mm256_sub_pd(re, sv), w[g]),
                                                        _mm256_set1_pd(k.invNz))));
        }
    }
    TakeTorusHulls(B, n, Rc, Rt, m, c1, c2, mode, step, ends, t, found);
}
#undef QUMBRA_AVX2_INLINE
#endif

// The torus is solved four rays at a time where the processor allows it (unless a test asked for
// the pairs), else two.
bool s_TorusPairsOnly = false;

bool TorusFourLanes()
{
#if defined(QUMBRA_TORUS_FOUR_LANES)
    static const bool available = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return available && !s_TorusPairsOnly;
#else
    return false;
#endif
}

}  // namespace

void IntersectLinesWithTorusHullInBound(const double B[3], const double n[3], double Rc, double Rt, int rayCount,
                                        const double c1[], const double c2[], bool boundMet, double t[][2],
                                        int found[])
{
    if (!(std::fabs(n[2]) >= 0.1) || (n[0] == 0.0 && n[1] == 0.0) || !(Rt > 0.0) || !(Rc > 0.0)) {
        for (int i = 0; i < rayCount; i++)
            found[i] = IntersectLineWithTorusHullInBound(B, n, Rc, Rt, c1[i], c2[i], boundMet, t[i]);
        return;
    }
    const TorusAxisConstants& k = GetTorusAxisConstants(n, Rc, Rt);
#if defined(QUMBRA_TORUS_FOUR_LANES)
    if (TorusFourLanes()) {
        for (int first = 0; first < rayCount; first += kTorusLanes)
            SolveTorusHullFour(B, n, Rc, Rt, k, std::min(kTorusLanes, rayCount - first), c1 + first, c2 + first,
                               boundMet, t + first, found + first);
        return;
    }
#endif
    for (int first = 0; first < rayCount; first += kTorusLanes)
        SolveTorusHullLanes(B, n, Rc, Rt, k, std::min(kTorusLanes, rayCount - first), c1 + first, c2 + first,
                            boundMet, t + first, found + first);
}

namespace {

#if defined(QUMBRA_TORUS_FOUR_LANES)
#define QUMBRA_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline
// TorusClearOfRayStretch for four stretches at once (axis checked by the caller): the same
// operations on each lane, ordered comparisons as there, min and max with the operand order of
// std::min and std::max, so each lane's answer is the single call's.
QUMBRA_AVX2_INLINE int TorusClearOfFourStretches(const double B[3], const double n[3], double Rc, double Rt,
                                                 const TorusAxisConstants& k, const double* c1, const double* c2,
                                                 const double* ta, const double* tb)
{
    const __m256d zero = _mm256_setzero_pd(), two = _mm256_set1_pd(2.0);
    const __m256d vK = _mm256_set1_pd(k.K), vRt = _mm256_set1_pd(Rt), vTwoRt = _mm256_set1_pd(2.0 * Rt);
    const __m256d vTa = _mm256_loadu_pd(ta), vTb = _mm256_loadu_pd(tb);
    const __m256d dx = _mm256_sub_pd(_mm256_set1_pd(B[0]), _mm256_loadu_pd(c1));
    const __m256d dy = _mm256_sub_pd(_mm256_set1_pd(B[1]), _mm256_loadu_pd(c2));
    const __m256d w = _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(n[0]), dx), _mm256_mul_pd(_mm256_set1_pd(n[1]), dy));
    const __m256d vB2 = _mm256_set1_pd(B[2]), vNz = _mm256_set1_pd(n[2]);
    const __m256d s0 = _mm256_sub_pd(_mm256_mul_pd(_mm256_sub_pd(vTa, vB2), vNz), w);
    const __m256d s1 = _mm256_sub_pd(_mm256_mul_pd(_mm256_sub_pd(vTb, vB2), vNz), w);
    const __m256d swap = _mm256_cmp_pd(s1, s0, _CMP_LT_OQ);
    // sa = max(sa, 0) and sb = min(sb, 2 Rt) as std::max and std::min give them (NaN kept).
    const __m256d sa = _mm256_max_pd(zero, _mm256_blendv_pd(s0, s1, swap));
    const __m256d sb = _mm256_min_pd(vTwoRt, _mm256_blendv_pd(s1, s0, swap));
    const __m256d ordered = _mm256_cmp_pd(vTa, vTb, _CMP_LE_OQ);
    const __m256d inHeights = _mm256_cmp_pd(sa, sb, _CMP_LE_OQ);
    const __m256d aboveHeights = _mm256_cmp_pd(sa, sb, _CMP_GT_OQ);
    const __m256d L = _mm256_mul_pd(
        _mm256_sub_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_mul_pd(w, _mm256_set1_pd(k.q)), _mm256_set1_pd(k.invNz2)), w),
                      vRt),
        _mm256_set1_pd(k.invRc));
    const __m256d U = _mm256_mul_pd(
        _mm256_sub_pd(_mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)),
                                    _mm256_mul_pd(_mm256_mul_pd(w, w), _mm256_set1_pd(k.invNz2))),
                      _mm256_set1_pd(Rc * Rc)),
        _mm256_set1_pd(k.invTwoRc));
    const __m256d qa = _mm256_add_pd(_mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(vK, sa), L), sa), U);
    const __m256d p0 = _mm256_sub_pd(_mm256_mul_pd(qa, qa), _mm256_mul_pd(_mm256_sub_pd(vTwoRt, sa), sa));
    const __m256d p1 = _mm256_add_pd(
        _mm256_sub_pd(_mm256_mul_pd(_mm256_mul_pd(two, qa),
                                    _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(2.0 * k.K), sa), L)),
                      vTwoRt),
        _mm256_mul_pd(two, sa));
    const __m256d fourKU = _mm256_mul_pd(_mm256_set1_pd(4.0 * k.K), U);
    const __m256d c0 = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_mul_pd(two, L), L), fourKU), two);
    const __m256d c1s = _mm256_mul_pd(_mm256_set1_pd(12.0 * k.K), L);
    const __m256d c2s = _mm256_set1_pd(12.0 * k.K * k.K);
    const __m256d atA = _mm256_add_pd(_mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(c2s, sa), c1s), sa), c0);
    const __m256d atB = _mm256_add_pd(_mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(c2s, sb), c1s), sb), c0);
    __m256d m = _mm256_min_pd(atB, atA);
    const __m256d vertex = _mm256_div_pd(NegateFour(L), _mm256_set1_pd(2.0 * k.K));
    const __m256d inside = _mm256_and_pd(_mm256_cmp_pd(vertex, sa, _CMP_GT_OQ), _mm256_cmp_pd(vertex, sb, _CMP_LT_OQ));
    const __m256d atVertex = _mm256_sub_pd(_mm256_add_pd(fourKU, two), _mm256_mul_pd(L, L));
    m = _mm256_blendv_pd(m, _mm256_min_pd(atVertex, m), inside);
    const __m256d h = _mm256_sub_pd(sb, sa);
    const __m256d tolerance = _mm256_mul_pd(
        _mm256_set1_pd(1e-9),
        _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(qa, qa), _mm256_set1_pd(Rt * Rt)),
                                    _mm256_mul_pd(AbsFour(p1), h)),
                      _mm256_mul_pd(_mm256_mul_pd(AbsFour(m), h), h)));
    const __m256d atEnd = _mm256_add_pd(_mm256_add_pd(p0, _mm256_mul_pd(p1, h)),
                                        _mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(0.5), m), h), h));
    const __m256d bounded = _mm256_and_pd(_mm256_cmp_pd(p0, tolerance, _CMP_GT_OQ),
                                          _mm256_cmp_pd(atEnd, tolerance, _CMP_GT_OQ));
    const __m256d innerMinimum = _mm256_and_pd(
        _mm256_and_pd(_mm256_cmp_pd(m, zero, _CMP_GT_OQ), _mm256_cmp_pd(p1, zero, _CMP_LT_OQ)),
        _mm256_cmp_pd(NegateFour(p1), _mm256_mul_pd(m, h), _CMP_LT_OQ));
    const __m256d innerClear = _mm256_cmp_pd(_mm256_mul_pd(_mm256_mul_pd(two, m), _mm256_sub_pd(p0, tolerance)),
                                             _mm256_mul_pd(p1, p1), _CMP_GT_OQ);
    const __m256d clearInside = _mm256_and_pd(bounded, _mm256_blendv_pd(_mm256_castsi256_pd(_mm256_set1_epi64x(-1)),
                                                                         innerClear, innerMinimum));
    const __m256d clear = _mm256_and_pd(ordered, _mm256_blendv_pd(aboveHeights, clearInside, inHeights));
    return _mm256_movemask_pd(clear);
}

__attribute__((target("avx2"))) void TorusClearOfRayStretchesFour(const double B[3], const double n[3], double Rc,
                                                                  double Rt, const TorusAxisConstants& k, int count,
                                                                  const double c1[], const double c2[],
                                                                  const double ta[], const double tb[], bool clear[])
{
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const int bits = TorusClearOfFourStretches(B, n, Rc, Rt, k, c1 + i, c2 + i, ta + i, tb + i);
        for (int j = 0; j < 4; j++) clear[i + j] = (bits >> j & 1) != 0;
    }
    if (i < count) {
        // The last stretches padded with copies of the last one.
        double p1[4], p2[4], pa[4], pb[4];
        for (int j = 0; j < 4; j++) {
            const int from = std::min(i + j, count - 1);
            p1[j] = c1[from], p2[j] = c2[from], pa[j] = ta[from], pb[j] = tb[from];
        }
        const int bits = TorusClearOfFourStretches(B, n, Rc, Rt, k, p1, p2, pa, pb);
        for (int j = 0; i + j < count; j++) clear[i + j] = (bits >> j & 1) != 0;
    }
}
#undef QUMBRA_AVX2_INLINE
#endif

}  // namespace

void SetUpToolFrameAxis(const double n[3], ToolFrameAxis* k)
{
    const double q = n[0] * n[0] + n[1] * n[1];
    const double nz2 = n[2] * n[2];
    k->usable = n[2] != 0.0 && !(n[0] == 0.0 && n[1] == 0.0) && std::fabs(n[2]) >= 0.1;
    if (k->usable) {
        k->A = q * q / nz2 + q;
        k->Cfactor = q / nz2 + 1.0;
        k->invNz2 = 1.0 / nz2;
        k->invA = 1.0 / k->A;
        k->invNz = 1.0 / n[2];
        k->usable = k->A > 0.0;
    }
}

void SetUpToolFrameRay(const double T[3], const double n[3], double c1, double c2, ToolFrameRay* ray)
{
    // The values of the last axis seen, kept per thread.
    thread_local double last[3] = {NAN, NAN, NAN};
    thread_local ToolFrameAxis k = {0.0, 0.0, 0.0, 0.0, 0.0, false};
    if (n[0] != last[0] || n[1] != last[1] || n[2] != last[2]) {
        for (int i = 0; i < 3; i++) last[i] = n[i];
        SetUpToolFrameAxis(n, &k);
    }
    ray->T = T;
    ray->usable = k.usable;
    if (!k.usable) return;
    SetUpToolFrameRayOnAxis(k, T, n, c1, c2, ray);
}

bool TorusClearOfRayStretch(const double B[3], const double n[3], double Rc, double Rt, double c1, double c2,
                            double ta, double tb)
{
    if (!(std::fabs(n[2]) >= 0.1) || (n[0] == 0.0 && n[1] == 0.0) || !(Rt > 0.0) || !(Rc > 0.0) || !(ta <= tb))
        return false;
    const double dx = B[0] - c1, dy = B[1] - c2;
    const double w = n[0] * dx + n[1] * dy;
    // Heights above the base at the stretch's ends; the torus lies between heights 0 and 2 Rt.
    double sa = (ta - B[2]) * n[2] - w, sb = (tb - B[2]) * n[2] - w;
    if (sb < sa) std::swap(sa, sb);
    sa = std::max(sa, 0.0);
    sb = std::min(sb, 2.0 * Rt);
    if (!(sa <= sb)) return sa > sb;  // outside the heights (or not a number: not shown clear)
    const TorusAxisConstants& k = GetTorusAxisConstants(n, Rc, Rt);
    const double K = k.K;
    const double L = (w * k.q * k.invNz2 + w - Rt) * k.invRc;
    const double U = (dx * dx + dy * dy + w * w * k.invNz2 - Rc * Rc) * k.invTwoRc;
    // The torus quartic P = Q^2 - s (2 Rt - s), Q = K s^2 + L s + U, is negative exactly inside the
    // torus. From sa, P >= p0 + p1 x + m x^2 / 2 for x = s - sa, where m is the least of the
    // quadratic P'' over [sa, sb]; the stretch is clear where that bound stays above the rounding
    // of P's terms over all of it.
    const double qa = (K * sa + L) * sa + U;
    const double p0 = qa * qa - (2.0 * Rt - sa) * sa;
    const double p1 = 2.0 * qa * (2.0 * K * sa + L) - 2.0 * Rt + 2.0 * sa;
    const double c0 = 2.0 * L * L + 4.0 * K * U + 2.0, c1s = 12.0 * K * L, c2s = 12.0 * K * K;
    double m = std::min((c2s * sa + c1s) * sa + c0, (c2s * sb + c1s) * sb + c0);
    const double vertex = -L / (2.0 * K);
    if (vertex > sa && vertex < sb) m = std::min(m, 4.0 * K * U + 2.0 - L * L);
    const double h = sb - sa;
    const double tolerance = 1e-9 * (qa * qa + Rt * Rt + std::fabs(p1) * h + std::fabs(m) * h * h);
    const double atEnd = p0 + p1 * h + 0.5 * m * h * h;
    if (!(p0 > tolerance) || !(atEnd > tolerance)) return false;
    // An inner minimum of the bound, at x = -p1 / m, where it lies inside the stretch.
    if (m > 0.0 && p1 < 0.0 && -p1 < m * h) return 2.0 * m * (p0 - tolerance) > p1 * p1;
    return true;
}

void SetTorusPairsOnlyForTest(bool pairsOnly)
{
    s_TorusPairsOnly = pairsOnly;
}

void TorusClearOfRayStretches(const double B[3], const double n[3], double Rc, double Rt, int count,
                              const double c1[], const double c2[], const double ta[], const double tb[],
                              bool clear[])
{
    if (!(std::fabs(n[2]) >= 0.1) || (n[0] == 0.0 && n[1] == 0.0) || !(Rt > 0.0) || !(Rc > 0.0)) {
        for (int i = 0; i < count; i++) clear[i] = false;
        return;
    }
#if defined(QUMBRA_TORUS_FOUR_LANES)
    if (TorusFourLanes()) {
        TorusClearOfRayStretchesFour(B, n, Rc, Rt, GetTorusAxisConstants(n, Rc, Rt), count, c1, c2, ta, tb, clear);
        return;
    }
#endif
    for (int i = 0; i < count; i++) clear[i] = TorusClearOfRayStretch(B, n, Rc, Rt, c1[i], c2[i], ta[i], tb[i]);
}
