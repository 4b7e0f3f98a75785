// Inverse kinematics for machines with an inclined or vector-given rotary axis: closed forms per
// configuration (inclined B or C head axes, an inclined B inside a B, a C axis with an inclined second
// axis, table machines with an inclined first axis), then the shared filters and choice.
#include "machine_setup/machine/inverse_kinematics.h"

#include <cmath>

#include "machine_setup/machine/inverse_kinematics_internal.h"
#include "machine_setup/machine/machine_definition.h"

namespace {

const double kPi = 3.141592653589793;

struct InclinedInput {
    double x, y, z;        // unit tool axis
    double ct1, st1, ct2, st2;
    double ca1, sa1, ca2, sa2;
    int azimuth1, azimuth2;   // the axis leaves its vertical plane: (ca, sa) turn it about Z
    double fallback[2];    // sign x previous angle (radians): the previous angle after the sign step
};

// asin p moved into the half-turn of a negative cosine when flip is set: pi - asin p (p >= 0) or
// -pi - asin p (p < 0), so that the sine stays p.
double CorrectedAsin(double p, int flip)
{
    double a = std::asin(ClampUnit(p));
    if (!flip) return a;
    return p >= 0.0 ? kPi - a : -kPi - a;
}

// The two roots of the quadratic A' p^2 + 2 B' p + C' = 0 (as the cases write it), clamped;
// a negative discriminant counts as 0 (one root).
int SolveClampedPair(double aq, double bq, double disc, double sign, double* p)
{
    if (disc < 0.0) disc = 0.0;
    if (disc == 0.0) {
        p[0] = ClampUnit(sign * bq / aq);
        return 1;
    }
    double root = std::sqrt(disc);
    p[0] = ClampUnit((root + sign * bq) / aq);
    p[1] = ClampUnit((sign * bq - root) / aq);
    return 2;
}

// HEAD, rotary 1 an inclined B, rotary 2 A.
void SolveHeadInclinedB(const InclinedInput& in, RotaryCandidates* list)
{
    if (in.st1 == 0.0) return;
    double k = in.ct1 / in.st1;
    double q = in.y * k + in.z;
    double aq = k * k + 1.0;
    double bq = q * k;
    double p[2];
    int n = SolveClampedPair(aq, bq, bq * bq - (q * q - 1.0) * aq, -1.0, p);
    for (int m = 0; m < n; ++m) {
        double g = (p[m] + in.y) * k + in.z;
        double angle2 = CorrectedAsin(p[m], g < 0.0);
        double den = g * in.ct1 + p[m] * in.st1;
        double angle1 = in.fallback[0];
        if (std::fabs(den) >= 1e-11) {
            double r = in.x / den;
            double c = ((g * in.st1 - p[m] * in.ct1) * in.ct1 - in.y) / den / in.st1;
            angle1 = CorrectedAsin(r, c < 0.0);
        }
        AddRotaryCandidate(list, angle1, angle2);
    }
}

// HEAD, rotary 1 an inclined C, rotary 2 B.
void SolveHeadInclinedC(const InclinedInput& in, RotaryCandidates* list)
{
    if (in.ct1 == 0.0 || in.st1 == 0.0) return;
    double k = in.st1 / in.ct1;
    double q = in.x * k + in.z;
    double aq = k * k + 1.0;
    double bq = q * k;
    double p[2];
    int n = SolveClampedPair(aq, bq, bq * bq - (q * q - 1.0) * aq, 1.0, p);
    for (int m = 0; m < n; ++m) {
        double g = (in.x - p[m]) * k + in.z;
        double angle2 = CorrectedAsin(p[m], g < 0.0);
        double den = p[m] * in.ct1 - g * in.st1;
        double angle1 = in.fallback[0];
        if (std::fabs(den) >= 1e-11) {
            double r = in.y / den;
            double c = ((g * in.ct1 + p[m] * in.st1) * in.ct1 - in.z) / den / in.st1;
            angle1 = CorrectedAsin(r, c < 0.0);
        }
        AddRotaryCandidate(list, angle1, angle2);
    }
}

// HEAD, rotary 1 B, rotary 2 an inclined B.
void SolveHeadDoubleB(const InclinedInput& in, RotaryCandidates* list)
{
    if (in.ct2 == 0.0 || in.st2 == 0.0) return;
    double c2 = ClampUnit(1.0 - in.y / in.ct2 / in.st2);
    double angles[2] = {std::acos(c2), -std::acos(c2)};
    for (double angle2 : angles) {
        double p = in.ct2 * std::sin(angle2);
        double q = in.ct2 * in.ct2 * std::cos(angle2) + in.st2 * in.st2;
        double angle1 = in.fallback[0];
        if (p != 0.0 && q != 0.0) {
            angle1 = std::acos(ClampUnit((in.x * p + in.z * q) / (p * p + q * q)));
            if (in.z * p - in.x * q > 0.0) angle1 = -angle1;
        }
        AddRotaryCandidate(list, angle1, angle2);
    }
}

// (P, Q): the horizontal part of the spindle turned by the inclined axis of letter A or B (axis), by
// angle with cosine co and sine si; turned by the azimuth (ca, sa) for a vector-given axis.
void InclinedTurnPair(int axis, int byVector, double ct, double st, double ca, double sa, double co, double si,
                      double* pOut, double* qOut)
{
    double p = 0.0, q = 0.0;
    if (axis == 0) {
        p = (1.0 - co) * st * ct;
        q = -ct * si;
    } else {
        p = ct * si;
        q = (1.0 - co) * st * ct;
    }
    if (byVector) {
        double tp = p, tq = q;
        if (axis == 0) {
            p = tp * ca - tq * sa;
            q = tp * sa + tq * ca;
        } else {
            p = tp * ca + tq * sa;
            q = tq * ca - tp * sa;
        }
    }
    *pOut = p;
    *qOut = q;
}

// The angle that turns (P, Q) onto (x, y): acos of the projection, negated when x Q - y P > 0.
double AngleOntoPair(double x, double y, double p, double q)
{
    double angle = std::acos(ClampUnit((x * p + y * q) / (p * p + q * q)));
    return (x * q - y * p > 0.0) ? -angle : angle;
}

// Rotary 1 C, rotary 2 an inclined or vector-given A or B.
void SolveCWithInclinedSecond(const InclinedInput& in, const double* u, RotaryCandidates* list)
{
    if (in.ct2 == 0.0) return;
    double c2 = (u[g_Rotary1Axis] == 1.0) ? 1.0 : ClampUnit((u[g_Rotary1Axis] - in.st2 * in.st2) / (in.ct2 * in.ct2));
    double angles[2] = {std::acos(c2), -std::acos(c2)};
    for (double angle2 : angles) {
        double p = 0.0, q = 0.0;
        InclinedTurnPair(g_Rotary2Axis, in.azimuth2, in.ct2, in.st2, in.ca2, in.sa2,
                         std::cos(angle2), std::sin(angle2), &p, &q);
        double angle1 = (p == 0.0 || q == 0.0) ? in.fallback[0] : AngleOntoPair(in.x, in.y, p, q);
        AddRotaryCandidate(list, angle1, angle2);
    }
}

// Table (or MIX) machines: rotary 1 an inclined or vector-given A or B, rotary 2 A.
void SolveTableInclinedA(const InclinedInput& in, RotaryCandidates* list)
{
    double p0 = 0.0, q0 = 0.0, e = 0.0, f = 0.0;
    if (g_Rotary1Axis == 0) {
        p0 = in.st1 * in.ct1 * in.ca1;
        q0 = in.sa1 * in.ct1;
        e = in.sa1;
        f = in.ca1;
    } else {
        p0 = in.st1 * in.ct1 * in.sa1;
        q0 = in.ca1 * in.ct1;
        e = in.ca1;
        f = in.sa1;
    }
    double aq = p0 * p0 + q0 * q0;
    if (aq == 0.0) return;
    double bq = (in.x - p0) * p0;
    double disc = bq * bq - ((in.x - p0) * (in.x - p0) - q0 * q0) * aq;
    if (disc < 0.0) return;
    double root = std::sqrt(disc);
    double cs[2] = {ClampUnit((root - bq) / aq), ClampUnit((-bq - root) / aq)};
    for (double c : cs) {
        double numerator = in.x - (1.0 - c) * p0;
        double s = q0 != 0.0 ? numerator / q0 : numerator;
        double angle1 = std::acos(c);
        if (s < 0.0) angle1 = -angle1;
        double q = in.ct1 * in.ct1 * c + in.st1 * in.st1;
        double p = in.st1 * in.ct1 * e * (1.0 - c) - in.ct1 * f * s;
        double angle2 = in.fallback[1];
        if (p != 0.0 && q != 0.0) {
            angle2 = std::acos(ClampUnit((in.y * p + in.z * q) / (p * p + q * q)));
            if (in.y * q - in.z * p > 0.0) angle2 = -angle2;
        }
        AddRotaryCandidate(list, angle1, angle2);
    }
}

// Table (or MIX) machines: rotary 1 an inclined or vector-given A or B, rotary 2 C.
void SolveTableInclinedC(const InclinedInput& in, RotaryCandidates* list)
{
    if (in.ct1 == 0.0) return;
    double c1 = (in.z == 1.0) ? 1.0 : ClampUnit((in.z - in.st1 * in.st1) / (in.ct1 * in.ct1));
    double angles[2] = {std::acos(c1), -std::acos(c1)};
    for (double angle1 : angles) {
        double p = 0.0, q = 0.0;
        InclinedTurnPair(g_Rotary1Axis, in.azimuth1, in.ct1, in.st1, in.ca1, in.sa1,
                         std::cos(angle1), std::sin(angle1), &p, &q);
        double angle2 = (p == 0.0 || q == 0.0) ? 0.0 : AngleOntoPair(in.x, in.y, p, q);
        AddRotaryCandidate(list, angle1, angle2);
    }
}

// Elevation towards Z (ct, st) and azimuth about Z (ca, sa) of rotary axis k. An A axis inclined by
// angle leans towards Y, not Z: it is the horizontal axis of that azimuth. A plain axis is upright.
void DescribeInclinedAxis(int k, double* ct, double* st, double* ca, double* sa, int* azimuth)
{
    int axis = k == 0 ? g_Rotary1Axis : g_Rotary2Axis;
    int tilted = k == 0 ? g_Rotary1Tilted : g_Rotary2Tilted;
    int byVector = k == 0 ? g_Rotary1ByVector : g_Rotary2ByVector;
    const double* tilt = k == 0 ? g_Rotary1TiltCosSin : g_Rotary2TiltCosSin;
    const double* frame = k == 0 ? &g_RotaryAxisFrame[0] : &g_RotaryAxisFrame[2];
    *ct = 1.0; *st = 0.0; *ca = 1.0; *sa = 0.0; *azimuth = 0;
    if (tilted && axis == 0) {
        *ca = tilt[0];
        *sa = tilt[1];
        *azimuth = 1;
    } else if (tilted) {
        *ct = tilt[0];
        *st = tilt[1];
    } else if (byVector) {
        *ct = tilt[0];
        *st = tilt[1];
        *ca = frame[0];
        *sa = frame[1];
        *azimuth = 1;
    }
}

void CollectInclinedCandidates(const InclinedInput& in, const double* u, RotaryCandidates* list)
{
    list->count = 0;
    int a1 = g_Rotary1Axis, a2 = g_Rotary2Axis;
    int inclined1 = g_Rotary1Tilted || g_Rotary1ByVector;
    int inclined2 = g_Rotary2Tilted || g_Rotary2ByVector;
    int kind = g_MachineKind;
    if (kind == MACHINE_HEAD) {
        if (g_Rotary1Tilted && a1 == 1 && a2 == 0 && !inclined2) SolveHeadInclinedB(in, list);
        else if (g_Rotary1Tilted && a1 == 2 && a2 == 1 && !inclined2) SolveHeadInclinedC(in, list);
        else if (a1 == 1 && !inclined1 && g_Rotary2Tilted && a2 == 1) SolveHeadDoubleB(in, list);
        else if (a1 == 2 && inclined2 && a2 < 2) SolveCWithInclinedSecond(in, u, list);
        return;
    }
    if (kind == MACHINE_TABLE && a1 == 2) {
        if (inclined2 && a2 < 2) SolveCWithInclinedSecond(in, u, list);
        return;
    }
    if (inclined1 && a1 < 2 && in.ct1 != 0.0) {
        if (a2 == 0) SolveTableInclinedA(in, list);
        else if (a2 == 2) SolveTableInclinedC(in, list);
    }
}

}  // namespace

int SolveInverseKinematicsInclined(const double* v, const double* previousDeg, const int* rangeEnabled,
                                   const double* range1, const double* range2, double* resultDeg)
{
    double u[3] = {v[0], v[1], v[2]};
    double length = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
    if (length > 0.0) {
        for (double& value : u) value /= length;
    }
    InclinedInput in;
    in.x = u[0];
    in.y = u[1];
    in.z = u[2];
    DescribeInclinedAxis(0, &in.ct1, &in.st1, &in.ca1, &in.sa1, &in.azimuth1);
    DescribeInclinedAxis(1, &in.ct2, &in.st2, &in.ca2, &in.sa2, &in.azimuth2);
    in.fallback[0] = g_Rotary1Direction * previousDeg[0] * kPi / 180.0;
    in.fallback[1] = g_Rotary2Direction * previousDeg[1] * kPi / 180.0;
    RotaryCandidates list;
    CollectInclinedCandidates(in, u, &list);
    return FinishRotarySolve(&list, previousDeg, rangeEnabled, range1, range2, 0, resultDeg);
}
