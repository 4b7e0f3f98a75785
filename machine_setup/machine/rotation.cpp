// Rotation routines: the plain, inclined and vector-given turn about a rotary axis, the exact cosine
// and sine of an axis angle, the table turn of a tool point, the tool-axis clean-up and the turn of
// the tool axis in the frame of the path. Pure functions of their arguments and the machine values.
#include "machine_setup/machine/rotation.h"

#include <cmath>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"

namespace {

const double kPi = 3.141592653589793;

void CopyVector(const double* source, double* result)
{
    result[0] = source[0];
    result[1] = source[1];
    result[2] = source[2];
}

// Turn in the (p, q) plane: w[p] = v[p] c - v[q] s, w[q] = v[q] c + v[p] s (in place).
void TurnInPlane(double* v, int p, int q, double c, double s)
{
    double vp = v[p];
    double vq = v[q];
    v[p] = vp * c - vq * s;
    v[q] = vq * c + vp * s;
}

// Turn about rotary axis k (1 or 2) in whichever form the machine definition gives it.
void RotateAboutRotaryAxis(int rotary, const double* source, double* result, double c, double s)
{
    int axis = rotary == 1 ? g_Rotary1Axis : g_Rotary2Axis;
    const int* cross = rotary == 1 ? g_Rotary1CrossAxes : g_Rotary2CrossAxes;
    int tilted = rotary == 1 ? g_Rotary1Tilted : g_Rotary2Tilted;
    int byVector = rotary == 1 ? g_Rotary1ByVector : g_Rotary2ByVector;
    const double* tilt = rotary == 1 ? g_Rotary1TiltCosSin : g_Rotary2TiltCosSin;
    const double* azimuth = rotary == 1 ? &g_RotaryAxisFrame[0] : &g_RotaryAxisFrame[2];
    if (tilted) {
        RotateAboutTwoAxes(source, result, tilt[1], tilt[0], s, c, axis, cross);
    } else if (byVector && (axis == 0 || axis == 1)) {
        RotateInclinedPair(source, result, tilt[1], tilt[0], azimuth[1], azimuth[0], s, c, axis, cross);
    } else {
        double v[3];
        CopyVector(source, v);
        RotateAboutAxis(v, result, c, s, axis, cross[0], cross[1]);
    }
}

// Plain turn of v (in place) about rotary axis 2.
void TurnAboutRotary2(double* v, double c, double s)
{
    double t[3];
    CopyVector(v, t);
    RotateAboutAxis(t, v, c, s, g_Rotary2Axis, g_Rotary2CrossAxes[0], g_Rotary2CrossAxes[1]);
}

// Plain turn of v (in place) about rotary axis 1.
void TurnAboutRotary1(double* v, double c, double s)
{
    double t[3];
    CopyVector(v, t);
    RotateAboutAxis(t, v, c, s, g_Rotary1Axis, g_Rotary1CrossAxes[0], g_Rotary1CrossAxes[1]);
}

// Angle of the direction (x, y) by the azimuth rule: exact on the axes, atan with pi corrections.
double ComputeAzimuth(double x, double y)
{
    if (x >= 1.0) return 0.0;
    if (x <= -1.0) return kPi;
    if (x == 0.0) {
        if (y > 0.0) return kPi / 2.0;
        if (y < 0.0) return -kPi / 2.0;
        return 0.0;
    }
    double angle = std::atan(y / x);
    if (x < 0.0) angle += y >= 0.0 ? kPi : -kPi;
    return angle;
}

// Carries v (in place) into the path frame: -f about Z, -e in the X-Z plane, +g about X.
void CarryIntoFrame(double* v, double cf, double sf, double ce, double se, double cg, double sg)
{
    double x1 = v[0] * cf + v[1] * sf;
    double y1 = v[1] * cf - v[0] * sf;
    double x2 = v[2] * se + x1 * ce;
    double z2 = v[2] * ce - x1 * se;
    v[0] = x2;
    v[1] = y1 * cg - z2 * sg;
    v[2] = z2 * cg + y1 * sg;
}

// The reverse of CarryIntoFrame: -g about X, +e in the X-Z plane, +f about Z.
void CarryOutOfFrame(double* v, double cf, double sf, double ce, double se, double cg, double sg)
{
    double y1 = v[1] * cg + v[2] * sg;
    double z1 = v[2] * cg - v[1] * sg;
    double x2 = v[0] * ce - z1 * se;
    double z2 = z1 * ce + v[0] * se;
    v[0] = x2 * cf - y1 * sf;
    v[1] = y1 * cf + x2 * sf;
    v[2] = z2;
}

}  // namespace

void ComputeAxisAngleSinCos(double angleDeg, int directionSign, double* sine, double* cosine)
{
    if (angleDeg == 0.0 || std::fabs(angleDeg) == 360.0) {
        *sine = 0.0;
        *cosine = 1.0;
    } else if (angleDeg == 90.0 || angleDeg == -270.0) {
        *sine = directionSign;
        *cosine = 0.0;
    } else if (angleDeg == -90.0 || angleDeg == 270.0) {
        *sine = -directionSign;
        *cosine = 0.0;
    } else if (std::fabs(angleDeg) == 180.0) {
        *sine = 0.0;
        *cosine = -1.0;
    } else {
        double t = directionSign * angleDeg / 180.0 * kPi;
        *sine = std::sin(t);
        *cosine = std::cos(t);
    }
}

void RotateAboutAxis(const double* source, double* result, double c, double s, int a, int i, int j)
{
    result[a] = source[a];
    result[i] = c * source[i] - s * source[j];
    result[j] = s * source[i] + c * source[j];
}

void RotateAboutTwoAxes(const double* source, double* result, double st, double ct, double s, double c,
                        int a, const int cross[2])
{
    int i = cross[0];
    int j = cross[1];
    double v[3];
    CopyVector(source, v);
    TurnInPlane(v, a, i, ct, -st);  // inclination undone
    double vi = v[i];
    double vj = v[j];
    v[i] = c * vi - s * vj;
    v[j] = s * vi + c * vj;
    TurnInPlane(v, a, i, ct, st);   // inclination applied again
    CopyVector(v, result);
}

void RotateInclinedPair(const double* source, double* result, double st, double ct, double sa, double ca,
                        double s, double c, int a, const int cross[2])
{
    double v[3];
    CopyVector(source, v);
    if (a != 0 && a != 1) {  // only axes about X or Y can be given by a vector: plain turn
        double vi = v[cross[0]];
        double vj = v[cross[1]];
        v[cross[0]] = c * vi - s * vj;
        v[cross[1]] = s * vi + c * vj;
        CopyVector(v, result);
        return;
    }
    int m = 1 - a;
    TurnInPlane(v, a, m, ca, -sa);  // azimuth undone
    TurnInPlane(v, a, 2, ct, -st);  // elevation undone
    double vi = v[cross[0]];
    double vj = v[cross[1]];
    v[cross[0]] = c * vi - s * vj;
    v[cross[1]] = s * vi + c * vj;
    TurnInPlane(v, a, 2, ct, st);
    TurnInPlane(v, a, m, ca, sa);
    CopyVector(v, result);
}

void RotateByInclinedAxis(const double* source, double* result)
{
    RotateAboutRotaryAxis(1, source, result, g_RotaryCosSin[0], g_RotaryCosSin[1]);
}

void RotateAboutZByAxisAngle(const double* source, double* result)
{
    double angle = g_ZTurnAngle;
    if (angle == 0.0) {
        CopyVector(source, result);
        return;
    }
    double c;
    double s;
    if (std::fabs(angle) == 360.0) {
        c = 1.0;
        s = 0.0;
    } else if (angle == 90.0 || angle == -270.0) {
        c = 0.0;
        s = 1.0;
    } else if (angle == -90.0 || angle == 270.0) {
        c = 0.0;
        s = -1.0;
    } else if (std::fabs(angle) == 180.0) {
        c = -1.0;
        s = 0.0;
    } else {
        c = std::cos(angle * kPi / 180.0);
        s = std::sin(angle * kPi / 180.0);
    }
    double x = source[0];
    double y = source[1];
    result[0] = c * x - s * y;
    result[1] = s * x + c * y;
    result[2] = source[2];
}

void RotatePointAboutRotaryAxes(const double* point, double c, double s, double* result)
{
    RotateAboutRotaryAxis(1, point, result, c, s);
}

void RotatePointInAxisPlane(const double* point, double c, double s, double* result)
{
    double v[3];
    CopyVector(point, v);
    TurnAboutRotary2(v, c, s);
    CopyVector(v, result);
}

void ApplyTableRotaryToPosition(double* point)
{
    const double* cs = g_TableRotaryCosSin;
    int i2 = g_Rotary2CrossAxes[0];
    int j2 = g_Rotary2CrossAxes[1];
    double v[3];
    for (int k = 0; k < 3; ++k) v[k] = point[k] - g_TablePosition[k];
    if (g_MachineKind == MACHINE_TABLE) {
        v[i2] -= g_TableOffset[i2];
        v[j2] -= g_TableOffset[j2];
        TurnAboutRotary2(v, cs[2], cs[3]);
        v[i2] += g_TableOffset[i2];
        v[j2] += g_TableOffset[j2];
        TurnAboutRotary1(v, cs[0], cs[1]);
        for (int k = 0; k < 3; ++k) point[k] = v[k] + g_TablePosition[k];
    } else if (g_MachineKind == MACHINE_MIX) {
        TurnAboutRotary2(v, cs[2], cs[3]);
        point[i2] = v[i2] + g_TablePosition[i2];
        point[j2] = v[j2] + g_TablePosition[j2];
    }
}

void RemoveTableRotaryFromPosition(double* point)
{
    const double* cs = g_TableRotaryCosSin;
    int i2 = g_Rotary2CrossAxes[0];
    int j2 = g_Rotary2CrossAxes[1];
    double v[3];
    for (int k = 0; k < 3; ++k) v[k] = point[k] - g_TablePosition[k];
    if (g_MachineKind == MACHINE_TABLE) {
        TurnAboutRotary1(v, cs[0], -cs[1]);
        v[i2] -= g_TableOffset[i2];
        v[j2] -= g_TableOffset[j2];
        TurnAboutRotary2(v, cs[2], -cs[3]);
        v[i2] += g_TableOffset[i2];
        v[j2] += g_TableOffset[j2];
        for (int k = 0; k < 3; ++k) point[k] = v[k] + g_TablePosition[k];
    } else if (g_MachineKind == MACHINE_MIX) {
        TurnAboutRotary2(v, cs[2], -cs[3]);
        point[i2] = v[i2] + g_TablePosition[i2];
        point[j2] = v[j2] + g_TablePosition[j2];
    }
}

void NormaliseAxisVector(double* vector)
{
    int removed = 0;
    for (int k = 0; k < 3; ++k) {
        if (vector[k] != 0.0 && std::fabs(vector[k]) < 2.5e-4) {
            vector[k] = 0.0;
            removed = 1;
        }
    }
    if (!removed) return;
    int kept[3];
    int count = 0;
    for (int k = 0; k < 3; ++k) {
        if (vector[k] != 0.0) kept[count++] = k;
    }
    if (count == 2) {
        double length = std::sqrt(vector[kept[0]] * vector[kept[0]] + vector[kept[1]] * vector[kept[1]]);
        vector[kept[0]] /= length;
        vector[kept[1]] /= length;
    } else if (count == 1 && kept[0] != 2) {
        vector[kept[0]] = vector[kept[0]] > 0.0 ? 1.0 : -1.0;
    } else {
        vector[2] = vector[2] > 0.0 ? 1.0 : -1.0;
    }
}

void RotateVectorBySphericalAngles(const double* d, const double* c, double* t, double q)
{
    if (q == 0.0) return;  // no turn: t stays exactly as it is
    double f = ComputeAzimuth(d[0], d[1]);
    double r = std::sqrt(d[0] * d[0] + d[1] * d[1]);
    double e = (r > 0.0 && r < 1.0) ? std::atan(d[2] / r) : 0.0;
    double cf = std::cos(f), sf = std::sin(f);
    double ce = std::cos(e), se = std::sin(e);
    double frame[3];
    CopyVector(c, frame);
    CarryIntoFrame(frame, cf, sf, ce, se, 1.0, 0.0);
    double g = ComputeAzimuth(frame[2], frame[1]);
    double cg = std::cos(g), sg = std::sin(g);

    double v[3];
    CopyVector(t, v);
    CarryIntoFrame(v, cf, sf, ce, se, cg, sg);
    double cq = std::cos(q), sq = std::sin(q);
    double x = v[0], y = v[1], z = v[2];
    switch (g_PlaneRotationMode) {
    case 0: v[0] = z * sq + x * cq; v[2] = z * cq - x * sq; break;
    case 2: v[0] = x * cq - z * sq; v[2] = z * cq + x * sq; break;
    case 1: v[1] = y * cq - z * sq; v[2] = z * cq + y * sq; break;
    case -1: v[1] = y * cq + z * sq; v[2] = z * cq - y * sq; break;
    default: break;
    }
    CarryOutOfFrame(v, cf, sf, ce, se, cg, sg);
    CopyVector(v, t);
}
