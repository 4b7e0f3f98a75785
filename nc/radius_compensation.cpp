// Cutter radius compensation geometry: ComputeRadiusCompensation, the element intersections, the
// outer-corner envelope points and the gouge list "alarm.txt".
#include "nc/radius_compensation.h"

#include <cmath>
#include <cstdio>

#include "machine_setup/controller/controller_definition.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/stop_blocks.h"

NcBlockSnapshot g_CompensationRecord = {};

namespace {

const double kTwoPi = 2.0 * M_PI;

void CopyRotary(AxisPosition* to, const AxisPosition& from)
{
    to->axis[AXIS_ROTARY1] = from.axis[AXIS_ROTARY1];
    to->axis[AXIS_ROTARY2] = from.axis[AXIS_ROTARY2];
}

// A line element: offset by the left normal of length V (single precision steps as the controller).
void CompensateLine(int mode, double v)
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2, n = g_PlaneNormalAxis;
    NcBlockSnapshot& r = g_CompensationRecord;
    const AxisPosition& p = g_NcPreviousPosition;
    const AxisPosition& t = g_NcTargetPosition;
    if (mode == 2) {
        r.previous.axis[a1] = g_CompensationSnapshot.target.axis[a1];
        r.previous.axis[a2] = g_CompensationSnapshot.target.axis[a2];
        r.previous.axis[n] = t.axis[n];
        CopyRotary(&r.previous, g_CompensationSnapshot.target);
        r.target = t;
        return;
    }
    const float d1 = (float)(t.axis[a1] - p.axis[a1]);
    const float d2 = (float)(t.axis[a2] - p.axis[a2]);
    const float sum = d1 * d1 + d2 * d2;
    const double length = std::sqrt((double)sum);
    double o1 = 0.0, o2 = 0.0;  // a line without length in the plane has no offset direction
    if (length > 0.0) {
        const float k = (float)(v / length);
        o1 = (double)(float)(-k * d2);
        o2 = (double)(float)(k * d1);
    }
    r.previous = p;
    r.target = t;
    if (mode == 1) {
        r.previous.axis[a1] += o1;
        r.previous.axis[a2] += o2;
    }
    r.target.axis[a1] += o1;
    r.target.axis[a2] += o2;
}

// An arc element: the radius grows by V for a clockwise arc with the tool on the left.
void CompensateArc(int mode, double v)
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
    NcBlockSnapshot& r = g_CompensationRecord;
    double offset = (double)(float)v;
    if (g_MotionKind == MOTION_ARC_CCW) offset = -offset;
    const double* u = g_ArcStartDirection;
    const double* e = g_ArcEndDirection;
    const double rs = g_ArcStartRadius, re = g_ArcEndRadius;
    r.previous = g_NcPreviousPosition;
    r.target = g_NcTargetPosition;
    double startRadius = rs;
    if (mode != 0) {
        startRadius = offset + rs;
        r.previous.axis[a1] += offset * u[a1];
        r.previous.axis[a2] += offset * u[a2];
        const double unit = g_InputIncrement > 0 ? 1.0 / g_InputIncrement : 0.0;
        if (std::fabs(startRadius) > unit && g_ConcaveArcFeedAdjust == 1 && offset < 0.0 && rs != 0.0) {
            const double feed = std::fabs(startRadius) * r.values[10] / rs;
            r.values[10] = feed < 0.0 ? 0.0 : feed;
        }
    }
    double endRadius = re;
    if (mode != 2) {
        endRadius = offset + re;
        r.target.axis[a1] += offset * e[a1];
        r.target.axis[a2] += offset * e[a2];
    }
    r.values[6] = startRadius;
    r.values[7] = endRadius;
    r.values[9] = rs != 0.0 ? std::fabs(endRadius + startRadius) * g_ArcLength / rs * 0.5 : 0.0;
    if (g_CheckReverseArc == 1 && (ToIntegerUnits(startRadius) < 0 || ToIntegerUnits(endRadius) < 0)) {
        g_NcAlarmCode = NC_ALARM_RADIUS_OFFSET;
    }
}

double Cross(double a1, double a2, double b1, double b2)
{
    return a1 * b2 - a2 * b1;
}

// Angle from s to x about the arc's turning sense; 2 pi when x points along s.
double TurnAngle(int kind, double s1, double s2, double x1, double x2, double radius)
{
    double c = (s1 * x1 + s2 * x2) / (radius * radius);
    c = c > 1.0 ? 1.0 : c < -1.0 ? -1.0 : c;
    if (c == 1.0) return kTwoPi;
    double angle = std::acos(c);
    const double cross = Cross(s1, s2, x1, x2);
    if ((kind == MOTION_ARC_CW && cross > 0.0) || (kind == MOTION_ARC_CCW && cross < 0.0)) angle = kTwoPi - angle;
    return angle;
}

int InUnitRange(double t)
{
    return t >= 0.0 && t <= 1.0;
}

// Keeps the candidates whose parameters on both elements lie in [0, 1]: a first one outside gives way
// to the second; none left gives code -1.
void KeepCandidatesInRange(PathIntersection* out)
{
    if (out->count <= 0) return;
    if (!InUnitRange(out->onA[0]) || !InUnitRange(out->onB[0])) {
        if (out->count == 1) {
            out->code = -1;
            out->count = 0;
            return;
        }
        out->onA[0] = out->onA[1];
        out->onB[0] = out->onB[1];
        for (int k = 0; k < 3; ++k) {
            out->pointA[0][k] = out->pointA[1][k];
            out->pointB[0][k] = out->pointB[1][k];
        }
        out->count = 1;
        if (!InUnitRange(out->onA[0]) || !InUnitRange(out->onB[0])) {
            out->code = -1;
            out->count = 0;
        }
        return;
    }
    if (out->count == 2 && (!InUnitRange(out->onA[1]) || !InUnitRange(out->onB[1]))) out->count = 1;
}

double ArcNormalAt(const PathElement* arc, double c, int n)
{
    return (1.0 - c) * arc->start[n] + c * arc->end[n];
}

// Swaps the A and B sides of a result.
void SwapSides(PathIntersection* out)
{
    for (int i = 0; i < 2; ++i) {
        const double t = out->onA[i];
        out->onA[i] = out->onB[i];
        out->onB[i] = t;
        for (int k = 0; k < 3; ++k) {
            const double p = out->pointA[i][k];
            out->pointA[i][k] = out->pointB[i][k];
            out->pointB[i][k] = p;
        }
    }
}

}  // namespace

void ComputeRadiusCompensation(int mode)
{
    NcBlockSnapshot& r = g_CompensationRecord;
    r.values[10] = g_FeedValues[0];
    r.kind = g_MotionKind;
    for (int k = 0; k < 3; ++k) r.centre[k] = g_ArcCentre[k];
    if (g_MotionKind == MOTION_ARC_CW || g_MotionKind == MOTION_ARC_CCW) {
        CompensateArc(mode, g_CompensationValue);
    } else {
        CompensateLine(mode, g_CompensationValue);
    }
    r.cutState = g_CutCodeState;
}

double ArcParameter(const PathElement* arc, const double* point, const int* axes)
{
    const int a1 = axes[0], a2 = axes[1];
    const double* c = arc->centre;
    const double radius = std::fabs(arc->radius);
    if (radius == 0.0) return -1.0;
    const double s1 = arc->start[a1] - c[a1], s2 = arc->start[a2] - c[a2];
    const double sweep = TurnAngle(arc->kind, s1, s2, arc->end[a1] - c[a1], arc->end[a2] - c[a2], radius);
    return TurnAngle(arc->kind, s1, s2, point[a1] - c[a1], point[a2] - c[a2], radius) / sweep;
}

void IntersectLineLine(const PathElement* a, const PathElement* b, const int* axes, PathIntersection* out)
{
    const int a1 = axes[0], a2 = axes[1], n = axes[2];
    *out = PathIntersection{};
    const double da1 = a->end[a1] - a->start[a1], da2 = a->end[a2] - a->start[a2];
    const double db1 = b->end[a1] - b->start[a1], db2 = b->end[a2] - b->start[a2];
    const double h = db2 * da1 - db1 * da2;
    if (h == 0.0) {
        out->code = -2;
        return;
    }
    const double t = ((b->start[a1] - a->start[a1]) * db2 - (b->start[a2] - a->start[a2]) * db1) / h;
    const double p1 = a->start[a1] + t * da1, p2 = a->start[a2] + t * da2;
    const double u = std::fabs(db1) > std::fabs(db2) ? (p1 - b->start[a1]) / db1 : (p2 - b->start[a2]) / db2;
    out->count = 1;
    out->code = InUnitRange(t) && InUnitRange(u) ? 0 : -1;
    out->onA[0] = t;
    out->onB[0] = u;
    out->pointA[0][a1] = p1;
    out->pointA[0][a2] = p2;
    out->pointA[0][n] = a->start[n] + t * (a->end[n] - a->start[n]);
    for (int k = 0; k < 3; ++k) out->pointB[0][k] = b->start[k] + u * (b->end[k] - b->start[k]);
}

void IntersectLineArc(const PathElement* line, const PathElement* arc, const int* axes, int lineFirst,
                      PathIntersection* out)
{
    const int a1 = axes[0], a2 = axes[1], n = axes[2];
    *out = PathIntersection{};
    const double radius = std::fabs(arc->radius);
    const double d1 = line->end[a1] - line->start[a1], d2 = line->end[a2] - line->start[a2];
    const double dd = d1 * d1 + d2 * d2;
    if (radius == 0.0) return;
    if (dd == 0.0) {
        out->code = -2;
        return;
    }
    const double* c = arc->centre;
    const double m = ((c[a1] - line->start[a1]) * d1 + (c[a2] - line->start[a2]) * d2) / dd;
    const double f1 = line->start[a1] + m * d1, f2 = line->start[a2] + m * d2;
    const double foot = (c[a1] - f1) * (c[a1] - f1) + (c[a2] - f2) * (c[a2] - f2);
    if (radius * radius < foot) return;
    const double w = std::sqrt(radius * radius - foot);
    const double length = std::sqrt(dd);
    for (int side = -1; side <= 1; side += 2) {
        const double x1 = f1 + side * w * d1 / length, x2 = f2 + side * w * d2 / length;
        const double t = std::fabs(d1) > std::fabs(d2) ? (x1 - line->start[a1]) / d1 : (x2 - line->start[a2]) / d2;
        if (!InUnitRange(t)) continue;
        if (out->count == 1 && t == out->onA[0]) continue;  // a tangent: one point
        const int i = out->count++;
        out->onA[i] = t;
        out->pointA[i][a1] = out->pointB[i][a1] = x1;
        out->pointA[i][a2] = out->pointB[i][a2] = x2;
        out->pointA[i][n] = line->start[n] + t * (line->end[n] - line->start[n]);
    }
    if (out->count == 0) {
        out->code = -1;
        return;
    }
    for (int i = 0; i < out->count; ++i) {
        out->onB[i] = ArcParameter(arc, out->pointB[i], axes);
        out->pointB[i][n] = ArcNormalAt(arc, out->onB[i], n);
    }
    KeepCandidatesInRange(out);
    if (!lineFirst) SwapSides(out);
}

void IntersectArcArc(const PathElement* a, const PathElement* b, const int* axes, PathIntersection* out)
{
    const int a1 = axes[0], a2 = axes[1], n = axes[2];
    *out = PathIntersection{};
    const double ra = std::fabs(a->radius), rb = std::fabs(b->radius);
    if (ra == 0.0 || rb == 0.0) return;
    const double* ca = a->centre;
    const double* cb = b->centre;
    if (ca[a1] == cb[a1] && ca[a2] == cb[a2]) {
        out->code = -2;
        return;
    }
    const double dx = cb[a1] - ca[a1], dy = cb[a2] - ca[a2];
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d > ra + rb) return;
    const double l = (ra * ra - rb * rb + d * d) / (2.0 * d);
    if (ra * ra < l * l) return;
    const double m1 = ca[a1] + dx * l / d, m2 = ca[a2] + dy * l / d;
    const double w = std::sqrt(ra * ra - l * l);
    const double p1 = (ca[a2] - cb[a2]) / d, p2 = (cb[a1] - ca[a1]) / d;
    out->count = w == 0.0 ? 1 : 2;
    for (int i = 0; i < out->count; ++i) {
        const double side = i == 0 ? -1.0 : 1.0;
        out->pointA[i][a1] = out->pointB[i][a1] = m1 + side * w * p1;
        out->pointA[i][a2] = out->pointB[i][a2] = m2 + side * w * p2;
        out->onA[i] = ArcParameter(a, out->pointA[i], axes);
        out->onB[i] = ArcParameter(b, out->pointB[i], axes);
        out->pointA[i][n] = ArcNormalAt(a, out->onA[i], n);
        out->pointB[i][n] = ArcNormalAt(b, out->onB[i], n);
    }
    KeepCandidatesInRange(out);
}

void IntersectPathElements(const PathElement* a, const PathElement* b, const int* axes, PathIntersection* out)
{
    const int arcA = a->kind == MOTION_ARC_CW || a->kind == MOTION_ARC_CCW;
    const int arcB = b->kind == MOTION_ARC_CW || b->kind == MOTION_ARC_CCW;
    if (!arcA && !arcB) IntersectLineLine(a, b, axes, out);
    else if (!arcA) IntersectLineArc(a, b, axes, 1, out);
    else if (!arcB) IntersectLineArc(b, a, axes, 0, out);
    else IntersectArcArc(a, b, axes, out);
}

int ComputeArcEnvelopePoints(int kind, const double* start, const double* end, const double* corner, double radius,
                             const int* axes, double points[3][3])
{
    const int a1 = axes[0], a2 = axes[1], n = axes[2];
    int count = 0;
    const double s1 = start[a1] - corner[a1], s2 = start[a2] - corner[a2];
    const double e1 = end[a1] - corner[a1], e2 = end[a2] - corner[a2];
    const int close = std::fabs(start[a1] - end[a1]) + std::fabs(start[a2] - end[a2]) < 0.001;
    double c = radius != 0.0 ? (s1 * e1 + s2 * e2) / (radius * radius) : 1.0;
    if (c > 1.0) c = 1.0;
    if (!close && c != 1.0) {
        double m = std::acos(c < -1.0 ? -1.0 : c);
        const double cross = Cross(s1, s2, e1, e2);
        if ((kind == MOTION_ARC_CCW && cross < 0.0) || (kind == MOTION_ARC_CW && cross > 0.0)) m = kTwoPi - m;
        const double ts1 = kind == MOTION_ARC_CW ? s2 : -s2, ts2 = kind == MOTION_ARC_CW ? -s1 : s1;
        const double te1 = kind == MOTION_ARC_CW ? e2 : -e2, te2 = kind == MOTION_ARC_CW ? -e1 : e1;
        if (m <= M_PI / 2.0) {
            const double q = std::tan(m / 2.0);
            points[count][a1] = start[a1] + q * ts1;
            points[count][a2] = start[a2] + q * ts2;
            points[count++][n] = start[n];
        } else {
            points[count][a1] = start[a1] + ts1;
            points[count][a2] = start[a2] + ts2;
            points[count++][n] = start[n];
            const double x1 = end[a1] - te1, x2 = end[a2] - te2;
            if (x1 != points[0][a1] || x2 != points[0][a2]) {
                points[count][a1] = x1;
                points[count][a2] = x2;
                points[count++][n] = end[n];
            }
        }
    }
    for (int k = 0; k < 3; ++k) points[count][k] = end[k];
    return count + 1;
}

void ListRadiusOffsetGouge(const char* line)
{
    if (g_RadiusCheckList > 0 && g_AlarmListFile == nullptr) {
        g_AlarmListFile = std::fopen(kAlarmListFileName, "w");
        if (g_AlarmListFile != nullptr) std::fputs("<<< ALARM INFORMATION >>>\n--------------", g_AlarmListFile);
    }
    if (g_AlarmListFile != nullptr) {
        std::fprintf(g_AlarmListFile, "\nINTERFERENCE IN RADIUS(%.3f) OFFSET\n", g_CompensationValue);
        std::fprintf(g_AlarmListFile, "%d:%s", g_NcLineNumber, line != nullptr ? line : "");
        std::fflush(g_AlarmListFile);
    }
    g_RadiusOffsetAlarm = 1;
}
