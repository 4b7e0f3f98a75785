// Polynomial root solvers up to the fourth degree, in closed form. Roots are written as consecutive complex
// numbers (real, imaginary). The cutting kernel uses them to intersect grid lines with tool surfaces.
#include "work_model/geometry.h"

#include <algorithm>
#include <cmath>

namespace {

// The terms of the monic cubic y^3 + B y^2 + C y + E that its closed form works from: with
// y = x - B / 3 the depressed cubic's R and Q, and the discriminant D = R^2 + Q^3 (below 0: three
// real roots; above 0: one).
struct CubicTerms {
    double R, Q, D, third;
};

inline CubicTerms GetCubicTerms(double B, double C, double E)
{
    CubicTerms t;
    t.R = (2.0 * B * B * B - 9.0 * B * C + 27.0 * E) / 54.0;
    t.Q = (3.0 * C - B * B) / 9.0;
    t.D = t.R * t.R + t.Q * t.Q * t.Q;
    t.third = B / 3.0;
    return t;
}

// Three real roots (D < 0): the roots are m cos(theta + 2 k pi / 3) less B / 3. The cosine
// argument is kept inside [-1, 1] against rounding.
inline void GetCubicAngle(const CubicTerms& t, double* theta, double* m)
{
    double ratio = -t.R / std::sqrt(-(t.Q * t.Q * t.Q));
    if (ratio > 1.0) ratio = 1.0;
    if (ratio < -1.0) ratio = -1.0;
    *theta = std::acos(ratio) / 3.0;
    *m = 2.0 * std::sqrt(-t.Q);
}

}  // namespace

double FindRealCubicRootClosedForm(double B, double C, double E, int largerAtDoubleRoot)
{
    const CubicTerms terms = GetCubicTerms(B, C, E);
    const double R = terms.R, D = terms.D, third = terms.third;
    if (D < 0.0) {
        double theta, m;
        GetCubicAngle(terms, &theta, &m);
        return m * std::cos(theta) - third;
    }
    if (D > 0.0) {
        double s = std::sqrt(D);
        double u = std::cbrt(s - R);
        double v = std::cbrt(-R - s);
        return u + v - third;
    }
    // A double root: the roots are 2 r and -r (less B / 3).
    const double r = std::cbrt(-R);
    if (largerAtDoubleRoot) return (r > 0.0 ? 2.0 * r : -r) - third;
    return 2.0 * r - third;
}

namespace {

// Complex helpers on two-double arrays.
void SetComplex(double out[2], double re, double im)
{
    out[0] = re;
    out[1] = im;
}

// Roots of x^2 + B x + C (monic), first the "+ sqrt" root.
void SolveMonicQuadratic(double B, double C, double out[4])
{
    double D = B * B - 4.0 * C;
    if (D >= 0.0) {
        double s = std::sqrt(D);
        SetComplex(out, (s - B) / 2.0, 0.0);
        SetComplex(out + 2, (-B - s) / 2.0, 0.0);
    } else {
        double s = std::sqrt(-D);
        SetComplex(out, -B / 2.0, s / 2.0);
        SetComplex(out + 2, -B / 2.0, -s / 2.0);
    }
}

// |x^4 + b x^3 + c x^2 + d x + e| at the complex point x (Horner).
double EvaluateMonicQuarticModulus(double b, double c, double d, double e, const double x[2])
{
    // A real point: with every partial value finite the imaginary part stays exactly 0 and the
    // real part takes the same roundings as in the complex form below, so real Horner gives the
    // same value. Anything not finite goes the complex way, which treats it as before.
    if (x[1] == 0.0) {
        const double r = (((x[0] + b) * x[0] + c) * x[0] + d) * x[0] + e;
        if (std::isfinite(r)) return std::fabs(r);
    }
    const double coefficients[4] = {b, c, d, e};
    double re = 1.0, im = 0.0;
    for (int k = 0; k < 4; k++) {
        double nre = re * x[0] - im * x[1] + coefficients[k];
        double nim = re * x[1] + im * x[0];
        re = nre;
        im = nim;
    }
    // hypot(x, +-0) is exactly |x|: a real point (the usual case) needs no hypot.
    if (im == 0.0) return std::fabs(re);
    return std::hypot(re, im);
}

// Quality of a candidate set: the residual at its first root with an imaginary part of exactly 0. A set with
// no such root is judged by the largest residual of its four roots, so that rounding noise in the imaginary
// parts (a biquadratic, for instance) does not pick the set with the worse roots.
double MeasureQuarticRootSet(double b, double c, double d, double e, const double roots[8])
{
    for (int k = 0; k < 4; k++) {
        if (roots[2 * k + 1] == 0.0) return EvaluateMonicQuarticModulus(b, c, d, e, roots + 2 * k);
    }
    double worst = 0.0;
    for (int k = 0; k < 4; k++) {
        double residual = EvaluateMonicQuarticModulus(b, c, d, e, roots + 2 * k);
        if (!(residual <= worst)) worst = residual;  // a NaN residual makes the set the worst
    }
    return worst;
}

// Step 3 of Ferrari's method: the square roots z1, z2 of the two quadratic factors' discriminants.
// They do not depend on the sign of u, so both root sets share them.
void ComputeQuarticFactorRoots(double y1, double p, const double w[2], double z1[2], double z2[2])
{
    double base = 2.0 * y1 - p;
    double arg1[2] = {base - 4.0 * (y1 + w[0]), -4.0 * w[1]};
    double arg2[2] = {base - 4.0 * (y1 - w[0]), 4.0 * w[1]};
    ComputeComplexSqrt(arg1, z1);
    ComputeComplexSqrt(arg2, z2);
}

// Step 4 for one sign of u: the four roots, shifted back by b / 4.
void MakeQuarticRootSet(const double u[2], const double z1[2], const double z2[2], double shift,
                        double out[8])
{
    SetComplex(out + 0, (u[0] + z1[0]) / 2.0 - shift, (u[1] + z1[1]) / 2.0);
    SetComplex(out + 2, (u[0] - z1[0]) / 2.0 - shift, (u[1] - z1[1]) / 2.0);
    SetComplex(out + 4, (z2[0] - u[0]) / 2.0 - shift, (z2[1] - u[1]) / 2.0);
    SetComplex(out + 6, (-u[0] - z2[0]) / 2.0 - shift, (-u[1] - z2[1]) / 2.0);
}

// The first root that SolveCubic(1, B, C, E) writes (always real), by the same arithmetic, without
// the other two: Ferrari's method needs only this root of its resolvent.
double FindFirstCubicRoot(double B, double C, double E)
{
    if (E == 0.0) return 0.0;
    return FindRealCubicRootClosedForm(B, C, E, 0);
}

// The largest real root of y^3 + B y^2 + C y + E. Where two roots nearly coincide, the closed form
// can return them as a complex pair with a little imaginary noise and its one real root elsewhere;
// so the real part of each closed-form root is polished by Newton steps and the largest kept.
double FindLargestCubicRoot(double B, double C, double E)
{
    double roots[6];
    SolveCubic(1.0, B, C, E, roots);
    double largest = -HUGE_VAL;
    for (int k = 0; k < 3; k++) {
        const double y = PolishMonicCubicRoot(roots[2 * k], B, C, E, 4);
        if (std::isfinite(y) && y > largest) largest = y;
    }
    return largest;
}

// Real roots of y^2 + beta y + gamma by the cancellation-free form, appended to out; a discriminant
// negative only by rounding (a double root) gives the double root. Returns the count written.
int SolveRealMonicQuadratic(double beta, double gamma, double out[2])
{
    double disc = beta * beta - 4.0 * gamma;
    if (disc < 0.0) {
        if (disc < -1e-12 * (beta * beta + 4.0 * std::fabs(gamma))) return 0;
        disc = 0.0;
    }
    const double q = -0.5 * (beta + std::copysign(std::sqrt(disc), beta));
    if (q == 0.0) {
        out[0] = 0.0;
        out[1] = 0.0;
        return 2;
    }
    out[0] = q;
    out[1] = gamma / q;
    return 2;
}

// a x^4 + b x^3 + c x^2 + d x + e made monic in place (b, c, d, e divided by a); with x = y - shift it
// is y^4 + p y^2 + q y + r.
struct DepressedQuartic {
    double p, q, r, shift;
};

DepressedQuartic DepressQuartic(double a, double* bInOut, double* cInOut, double* dInOut, double* eInOut)
{
    const double b = *bInOut /= a, c = *cInOut /= a, d = *dInOut /= a, e = *eInOut /= a;
    const double b2 = b * b;
    DepressedQuartic dq;
    dq.p = c - 3.0 * b2 / 8.0;
    dq.q = b2 * b / 8.0 - b * c / 2.0 + d;
    dq.r = -3.0 * b2 * b2 / 256.0 + b2 * c / 16.0 - b * d / 4.0 + e;
    dq.shift = b / 4.0;
    return dq;
}

}  // namespace

int SolveRealQuartic(double a, double b, double c, double d, double e, double out[4])
{
    if (a == 0.0 || !std::isfinite(a)) return 0;
    // Depressed quartic y^4 + p y^2 + q y + r (x = y - b / 4). For any m,
    // (y^2 + m)^2 = (2m - p) y^2 - q y + m^2 - r + (the quartic); the right side is the square
    // (alpha y + beta)^2 when m is a root of the resolvent cubic, whose value at m = p / 2 is
    // -q^2 / 8 <= 0, so its largest root has 2m - p >= 0. The quartic is then the product of the
    // real quadratics y^2 - alpha y + m - beta and y^2 + alpha y + m + beta: no complex arithmetic,
    // so no rounding noise in an imaginary part can hide a real root.
    const DepressedQuartic dq = DepressQuartic(a, &b, &c, &d, &e);
    const double p = dq.p, q = dq.q, r = dq.r, shift = dq.shift;
    const double m = FindLargestCubicRoot(-p / 2.0, -r, (4.0 * p * r - q * q) / 8.0);
    const double alpha2 = 2.0 * m - p;
    const double beta2 = m * m - r;
    const double alpha = alpha2 > 0.0 ? std::sqrt(alpha2) : 0.0;
    // 2 alpha beta = -q; where alpha is tiny (q about 0) beta comes from beta^2 = m^2 - r instead.
    const double beta = alpha > 1e-8 * (1.0 + std::fabs(m)) ? -q / (2.0 * alpha)
                                                            : std::copysign(beta2 > 0.0 ? std::sqrt(beta2) : 0.0, -q);
    double y[4];
    int count = SolveRealMonicQuadratic(-alpha, m - beta, y);
    count += SolveRealMonicQuadratic(alpha, m + beta, y + count);
    int written = 0;
    for (int k = 0; k < count; k++) {
        double x = y[k] - shift;
        if (!std::isfinite(x)) continue;
        // One Newton step on the quartic itself, kept when it only refines the root.
        const double value = (((x + b) * x + c) * x + d) * x + e;
        const double slope = ((4.0 * x + 3.0 * b) * x + 2.0 * c) * x + d;
        if (slope != 0.0) {
            const double polished = x - value / slope;
            if (std::fabs(polished - x) <= 1e-6 * (1.0 + std::fabs(x))) x = polished;
        }
        out[written++] = x;
    }
    std::sort(out, out + written);
    return written;
}

void ComputeComplexSqrt(const double z[2], double out[2])
{
    // hypot(x, +-0) is exactly |x|, so a real argument skips the hypot call.
    double modulus = z[1] == 0.0 ? std::fabs(z[0]) : std::hypot(z[0], z[1]);
    double re = std::sqrt((modulus + z[0]) / 2.0);
    double im = std::sqrt((modulus - z[0]) / 2.0);
    out[0] = re;
    out[1] = z[1] > 0.0 ? im : -im;
}

void SolveQuadratic(double a, double b, double c, double out[4])
{
    if (a == 0.0) {
        if (b == 0.0) SetComplex(out, 0.0, 0.0);
        else SetComplex(out, -c / b, 0.0);
        return;
    }
    double B = b / a;
    SolveMonicQuadratic(B, c / a, out);
}

void SolveCubic(double a, double b, double c, double d, double out[6])
{
    if (a == 0.0) {
        SolveQuadratic(b, c, d, out);
        return;
    }
    const double B = b / a, C = c / a, E = d / a;
    for (int k = 0; k < 3; k++) out[2 * k + 1] = 0.0;
    if (E == 0.0) {
        SetComplex(out, 0.0, 0.0);
        SolveMonicQuadratic(B, C, out + 2);
        return;
    }
    const CubicTerms terms = GetCubicTerms(B, C, E);
    const double R = terms.R, D = terms.D, third = terms.third;
    if (D < 0.0) {
        // Three real roots.
        double theta, m;
        GetCubicAngle(terms, &theta, &m);
        out[0] = m * std::cos(theta) - third;
        out[2] = -m * std::cos(theta + M_PI / 3.0) - third;
        out[4] = -m * std::cos(theta - M_PI / 3.0) - third;
    } else if (D > 0.0) {
        double s = std::sqrt(D);
        double u = std::cbrt(s - R);
        double v = std::cbrt(-R - s);
        double imaginary = (std::sqrt(3.0) / 2.0) * (u - v);
        SetComplex(out, u + v - third, 0.0);
        SetComplex(out + 2, -(u + v) / 2.0 - third, imaginary);
        SetComplex(out + 4, -(u + v) / 2.0 - third, -imaginary);
    } else {
        double r = 2.0 * std::cbrt(-R);
        out[0] = r - third;
        out[2] = -r / 2.0 - third;
        out[4] = -r / 2.0 - third;
    }
}

void SolveQuartic(double a, double b, double c, double d, double e, double out[8])
{
    if (a == 0.0) {
        SolveCubic(b, c, d, e, out);
        return;
    }
    const DepressedQuartic dq = DepressQuartic(a, &b, &c, &d, &e);
    const double p = dq.p, q = dq.q, r = dq.r, shift = dq.shift;

    // Resolvent cubic (only its first root is used); a constant term 0 gives the root 0.
    const double y1 = FindFirstCubicRoot(-p / 2.0, -r, (4.0 * p * r - q * q) / 8.0);

    double uArg[2] = {2.0 * y1 - p, 0.0};
    double wArg[2] = {y1 * y1 - r, 0.0};
    double u[2], w[2];
    ComputeComplexSqrt(uArg, u);
    ComputeComplexSqrt(wArg, w);

    const double limit = 2.220446049250313e-16;
    double z1[2], z2[2];
    ComputeQuarticFactorRoots(y1, p, w, z1, z2);
    double first[8];
    MakeQuarticRootSet(u, z1, z2, shift, first);
    double firstQuality = MeasureQuarticRootSet(b, c, d, e, first);
    if (firstQuality <= limit) {
        for (int k = 0; k < 8; k++) out[k] = first[k];
        return;
    }
    double negatedU[2] = {-u[0], -u[1]};
    double second[8];
    MakeQuarticRootSet(negatedU, z1, z2, shift, second);
    double secondQuality = MeasureQuarticRootSet(b, c, d, e, second);
    const double* chosen = (secondQuality <= limit || secondQuality < firstQuality) ? second : first;
    for (int k = 0; k < 8; k++) out[k] = chosen[k];
}
