// Inverse kinematics for plain rotary axes: the first-solved (outer) angle from the tool axis, the inner
// angle from the axis turned back, the filters (direction restriction, whole turns and ranges), the
// choice between two survivors, the chooser for delivered vectors and the signed angle difference.
#include "machine_setup/machine/inverse_kinematics.h"

#include <cmath>

#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/inverse_kinematics_internal.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/stroke_limits.h"
#include "machine_setup/machine_setup_state.h"

int g_LastRotarySolutionCount = 0;
int g_RotarySolutionMemory = 0;

namespace {

const double kPi = 3.141592653589793;
const double kDegrees = 180.0 / kPi;

int AxisOf(int rotary) { return rotary == 0 ? g_Rotary1Axis : g_Rotary2Axis; }
const int* CrossOf(int rotary) { return rotary == 0 ? g_Rotary1CrossAxes : g_Rotary2CrossAxes; }
int SignOf(int rotary) { return rotary == 0 ? g_Rotary1Direction : g_Rotary2Direction; }

// The first-solved (outer) rotary axis: rotary 1 on HEAD machines and on TABLE machines whose
// rotary 1 is a C axis, otherwise rotary 2.
int FirstSolvedRotary()
{
    if (g_MachineKind == MACHINE_HEAD) return 0;
    if (g_MachineKind == MACHINE_TABLE && g_Rotary1Axis == 2) return 0;
    return 1;
}

// atan(num / den) brought to the half-turn of (num, den): moved by pi towards zero when den < 0.
// den = 0 gives +-pi/2 by the sign of signSource, or 0.
double AngleOfPair(double num, double den, double signSource)
{
    if (den == 0.0) {
        if (signSource > 0.0) return kPi / 2.0;
        if (signSource < 0.0) return -kPi / 2.0;
        return 0.0;
    }
    double angle = std::atan(num / den);
    if (den < 0.0) angle = angle > 0.0 ? angle - kPi : angle + kPi;
    return angle;
}

// The angle kept for a tool axis along a first-solved C axis (radians, before the sign step).
double KeptFirstAngle(int first, const double* previousDeg)
{
    int sign = SignOf(first);
    double base = sign * previousDeg[first];
    if (first == 1 && g_Rotary1Axis == 1) base = 0.0;
    double kept = base / kDegrees;
    if (g_DialectHeidenhain && g_RotaryFollowMode) kept = g_SpatialAngleC / kDegrees;
    if (g_DialectSiemens && g_RotaryFollowMode) kept = SelectRotationAngle(base) / kDegrees;
    return kept;
}

// Candidates of a first-solved C axis whose inner axis is A (innerA) or B. keep: the kept angle is
// used for an axis along C; without it the candidates are 0 and -pi.
int FirstCandidatesForC(const double* v, int innerA, int keep, double kept, double* t)
{
    double vx = v[0], vy = v[1];
    if (vx == 0.0 && vy == 0.0) {
        if (keep) {
            t[0] = kept;
            return 1;
        }
        t[0] = 0.0;
        t[1] = -kPi;
        return 2;
    }
    if (innerA) {
        if (vx == 0.0) { t[0] = 0.0; t[1] = -kPi; return 2; }
        if (vy == 0.0) { t[0] = vx > 0.0 ? -kPi / 2.0 : kPi / 2.0; t[1] = -t[0]; return 2; }
        t[0] = std::atan(-vx / vy);
    } else {
        if (vy == 0.0) { t[0] = 0.0; t[1] = -kPi; return 2; }
        if (vx == 0.0) { t[0] = vy > 0.0 ? kPi / 2.0 : -kPi / 2.0; t[1] = -t[0]; return 2; }
        t[0] = std::atan(vy / vx);
    }
    t[1] = t[0] >= 0.0 ? t[0] - kPi : t[0] + kPi;
    return 2;
}

// Candidates of a first-solved A or B axis with cross pair (i, j). A B axis takes
// t = atan(v[j] / v[i]) (for B: atan(vx / vz)), an A axis t = atan(-v[i] / v[j]) (for A: atan(-vy / vz)).
// The second candidate is the opposite half-turn.
int FirstCandidatesForAOrB(const double* v, int axis, const int* cross, double* t)
{
    double vi = v[cross[0]], vj = v[cross[1]];
    if (axis == 1) {
        if (vi == 0.0) t[0] = vj > 0.0 ? kPi / 2.0 : (vj < 0.0 ? -kPi / 2.0 : 0.0);
        else if (vj == 0.0) t[0] = vi < 0.0 ? kPi : 0.0;
        else t[0] = std::atan(vj / vi);
    } else {
        if (vj == 0.0) t[0] = vi > 0.0 ? kPi / 2.0 : (vi < 0.0 ? -kPi / 2.0 : 0.0);
        else if (vi == 0.0) t[0] = vj < 0.0 ? kPi : 0.0;
        else t[0] = std::atan(-vi / vj);
    }
    t[1] = t[0] >= 0.0 ? t[0] - kPi : t[0] + kPi;
    return 2;
}

// Whether the order and axes give a defined inner angle (see InnerAngle).
int IsSupportedCombination(int first)
{
    int a1 = g_Rotary1Axis, a2 = g_Rotary2Axis;
    if (first == 0) {
        if (a1 == 2) return a2 == 0 || a2 == 1;
        return a1 == 0 || a1 == 1;
    }
    if (a2 == 2) return a1 == 0 || a1 == 1;
    if (a2 == 1) return a1 == 0;
    return a1 == 1;
}

// The inner angle from w, the tool axis turned back by the first angle; v is the untouched axis.
double InnerAngle(int first, const double* w, const double* v)
{
    int inner = 1 - first;
    int a1 = g_Rotary1Axis, a2 = g_Rotary2Axis;
    if (first == 0 && (a1 == 0 || (a1 == 1 && a2 != 0))) {
        int i2 = g_Rotary2CrossAxes[0], j2 = g_Rotary2CrossAxes[1];
        return AngleOfPair(w[j2], w[i2], v[j2]);
    }
    if (AxisOf(inner) == 0) return AngleOfPair(-w[1], w[2], -w[1]);
    return AngleOfPair(w[0], w[2], w[0]);
}

// Turn in the (p, q) plane by (c, s) in place: w[p] = v[p] c - v[q] s, w[q] = v[q] c + v[p] s.
void TurnInPlane(double* w, int p, int q, double c, double s)
{
    double wp = w[p], wq = w[q];
    w[p] = wp * c - wq * s;
    w[q] = wq * c + wp * s;
}

// Undoes the inclination of rotary axis 1 on w (in place): an axis inclined by angle in the plane of
// its axis and first cross axis; a vector-given axis by its azimuth, then by its elevation towards Z.
void TurnBackInclinedRotary1(double* w)
{
    int a = g_Rotary1Axis;
    const double* tilt = g_Rotary1TiltCosSin;
    if (g_Rotary1Tilted) {
        TurnInPlane(w, a, g_Rotary1CrossAxes[0], tilt[0], -tilt[1]);
    } else if (g_Rotary1ByVector && a < 2) {
        TurnInPlane(w, a, 1 - a, g_RotaryAxisFrame[0], -g_RotaryAxisFrame[1]);
        TurnInPlane(w, a, 2, tilt[0], -tilt[1]);
    }
}

// Candidate pairs (radians, before the signs) of the plain solver; keep as in FirstCandidatesForC.
// turnBack: undo an inclined rotary 1 before the inner angle when rotary 2 is a C axis solved first.
void CollectPlainCandidates(const double* v, const double* previousDeg, int keep, int turnBack,
                            RotaryCandidates* list)
{
    list->count = 0;
    int first = FirstSolvedRotary();
    if (!IsSupportedCombination(first)) return;
    int axis = AxisOf(first);
    const int* cross = CrossOf(first);
    double t[2];
    int n = 0;
    // A table C axis under the other table axis turns the work about the spindle: the tool axis does
    // not depend on it, so it keeps its angle and the other angle comes from the tool axis itself.
    int spindleParallel = g_MachineKind == MACHINE_TABLE && first == 0 && axis == 2;
    if (spindleParallel) {
        t[0] = KeptFirstAngle(first, previousDeg);
        n = 1;
    } else if (axis == 2) {
        n = FirstCandidatesForC(v, AxisOf(1 - first) == 0, keep, KeptFirstAngle(first, previousDeg), t);
    } else {
        n = FirstCandidatesForAOrB(v, axis, cross, t);
    }
    for (int k = 0; k < n; ++k) {
        double c = 0.0, s = 0.0, w[3];
        ComputeExactCosSin(spindleParallel ? 0.0 : t[k], &c, &s);
        w[axis] = v[axis];
        w[cross[0]] = c * v[cross[0]] + s * v[cross[1]];
        w[cross[1]] = c * v[cross[1]] - s * v[cross[0]];
        if (turnBack && first == 1 && axis == 2) TurnBackInclinedRotary1(w);
        double inner = InnerAngle(first, w, v);
        if (first == 0) AddRotaryCandidate(list, t[k], inner);
        else AddRotaryCandidate(list, inner, t[k]);
    }
}

// Distance of one axis for the choice: the route difference when the axis turns the shortest way.
double ChoiceDistance(int shortest, double previous, double value)
{
    return shortest ? std::fabs(DiffRotaryAngle(previous, value)) : std::fabs(value - previous);
}

double TurnRemainder(double value)
{
    return std::fabs(value - 360.0 * std::trunc(value / 360.0));
}

// Index (0 or 1) of the survivor the choice rules take; angles in degrees.
int ChooseBetweenTwo(const double (*angles)[2], const double* previousDeg)
{
    int primary = ((g_AngleDecisionFanuc2 == 1) != (g_MachineKind == MACHINE_MIX)) ? 1 : 0;
    int secondary = 1 - primary;
    int shortest[2] = {g_Rotary1Shortest != 0, g_Rotary2Shortest != 0};
    double values[3][2];
    for (int k = 0; k < 2; ++k) {
        values[0][k] = ChoiceDistance(shortest[primary], previousDeg[primary], angles[k][primary]);
        values[1][k] = ChoiceDistance(shortest[secondary], previousDeg[secondary], angles[k][secondary]);
        values[2][k] = TurnRemainder(angles[k][primary]);
    }
    for (int r = 0; r < 3; ++r) {
        if (std::fabs(values[r][0] - values[r][1]) >= 1e-6) return values[r][1] < values[r][0] ? 1 : 0;
    }
    return TurnRemainder(angles[1][secondary]) < TurnRemainder(angles[0][secondary]) ? 1 : 0;
}

void ApplySigns(RotaryCandidates* list)
{
    for (int k = 0; k < list->count; ++k) {
        list->angle[k][0] *= g_Rotary1Direction;
        list->angle[k][1] *= g_Rotary2Direction;
    }
}

}  // namespace

void AddRotaryCandidate(RotaryCandidates* list, double angle1, double angle2)
{
    if (list->count >= MAX_ROTARY_CANDIDATES) return;
    list->angle[list->count][0] = angle1;
    list->angle[list->count][1] = angle2;
    ++list->count;
}

double ClampUnit(double value)
{
    if (value > 1.0) return 1.0;
    if (value < -1.0) return -1.0;
    return value;
}

void ComputeExactCosSin(double t, double* c, double* s)
{
    if (t == 0.0) { *c = 1.0; *s = 0.0; }
    else if (t == kPi / 2.0) { *c = 0.0; *s = 1.0; }
    else if (t == -kPi / 2.0) { *c = 0.0; *s = -1.0; }
    else if (t == kPi || t == -kPi) { *c = -1.0; *s = 0.0; }
    else { *c = std::cos(t); *s = std::sin(t); }
}

int FinishRotarySolve(RotaryCandidates* list, const double* previousDeg, const int* rangeEnabled,
                      const double* range1, const double* range2, int requireRunMode, double* resultDeg)
{
    ApplySigns(list);
    double survivors[MAX_ROTARY_CANDIDATES][2];
    int n = 0;
    for (int k = 0; k < list->count; ++k) {
        double a1 = list->angle[k][0], a2 = list->angle[k][1];
        if (g_DialectHeidenhain && !CheckRotaryDirectionRestriction(a1, a2)) continue;
        if (!NormaliseRotaryAngle(previousDeg[0], rangeEnabled[0], range1[0], range1[1], &a1)) continue;
        if (!NormaliseRotaryAngle(previousDeg[1], rangeEnabled[1], range2[0], range2[1], &a2)) continue;
        survivors[n][0] = a1 * kDegrees;
        survivors[n][1] = a2 * kDegrees;
        ++n;
    }
    int chosen = 0;
    if (n >= 2) chosen = ChooseBetweenTwo(survivors, previousDeg);
    if (g_MotionKind > 0 && g_ToolCentreMode == 2 && (!requireRunMode || g_RunMode > 0) &&
        (rangeEnabled[0] || rangeEnabled[1]) && g_LastRotarySolutionCount == 2 && n == 1 &&
        (std::fabs(previousDeg[0] - survivors[0][0]) > 160.0 || std::fabs(previousDeg[1] - survivors[0][1]) > 160.0)) {
        WarnLongRotaryMove(previousDeg[0], previousDeg[1], survivors[0][0], survivors[0][1]);
    }
    g_LastRotarySolutionCount = n > 2 ? 2 : n;
    if (n == 0) {
        resultDeg[0] = 0.0;
        resultDeg[1] = 0.0;
        return 0;
    }
    resultDeg[0] = survivors[chosen][0];
    resultDeg[1] = survivors[chosen][1];
    return 1;
}

int SolveInverseKinematics(const double* v, const double* previousDeg, const int* rangeEnabled,
                           const double* range1, const double* range2, double* resultDeg)
{
    if (g_Rotary1Tilted || g_Rotary1ByVector || g_Rotary2Tilted || g_Rotary2ByVector) {
        return SolveInverseKinematicsInclined(v, previousDeg, rangeEnabled, range1, range2, resultDeg);
    }
    RotaryCandidates list;
    CollectPlainCandidates(v, previousDeg, 1, 0, &list);
    return FinishRotarySolve(&list, previousDeg, rangeEnabled, range1, range2, 1, resultDeg);
}

int CheckRotaryDirectionRestriction(double angle1, double angle2)
{
    int sequence = g_PlaneSpatialSequence;
    if (sequence == 0) return 1;
    if (g_Rotary1Axis < 2) {
        if (sequence == 1 && angle1 < 0.0) return 0;
        if (sequence == -1 && angle1 > 0.0) return 0;
    }
    if (g_Rotary2Axis < 2) {
        if (sequence == 1 && angle2 < 0.0) return 0;
        if (sequence == -1 && angle2 > 0.0) return 0;
    }
    return 1;
}

double DiffRotaryAngle(double a, double b)
{
    if (g_IncrementalMode) return b - a;
    auto reduce = [](double x) {
        if (x > 0.0) return x - 360.0 * std::trunc(x / 360.0);
        if (x < 0.0) return x - 360.0 * std::trunc(x / 360.0) + 360.0;
        return x;
    };
    double d = reduce(b) - reduce(a);
    if (d > 180.0) return d - 360.0;
    if (d < -180.0) return d + 360.0;
    if (g_DialectHeidenhain) {
        if (d == 180.0 && a > b) return -180.0;
        if (d == -180.0 && b > a && a >= 0.0) return 180.0;
    }
    return d;
}

int ChooseRotarySolution(const double* v, double* resultDeg)
{
    const double noPrevious[2] = {0.0, 0.0};
    RotaryCandidates list;
    CollectPlainCandidates(v, noPrevious, 0, 1, &list);
    ApplySigns(&list);
    double best = 9999999.0;
    int found = 0;
    resultDeg[0] = 0.0;
    resultDeg[1] = 0.0;
    for (int k = 0; k < list.count; ++k) {
        double a1 = list.angle[k][0], a2 = list.angle[k][1];
        if (g_DialectHeidenhain && !CheckRotaryDirectionRestriction(a1, a2)) continue;
        if (!CheckRotaryStrokeLimits(&a1, &a2)) continue;
        double total = std::fabs(a1) + std::fabs(a2);
        if (total < best) {
            best = total;
            resultDeg[0] = a1 * kDegrees;
            resultDeg[1] = a2 * kDegrees;
            found = 1;
        }
    }
    return found;
}
