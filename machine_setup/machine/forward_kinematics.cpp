// Forward kinematics: one model of two rotary axes on the head (HEAD), on the table (TABLE) or one on
// each (MIX, also used when no rotary configuration is given). On TABLE and MIX machines the work stays
// still and the tool point is carried about the table axes, so tip and axis are in the work's frame.
#include "machine_setup/machine/forward_kinematics.h"

#include <cmath>

#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/rotation.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/machine_setup_state.h"

namespace {

// Cosine and sine of both rotary angles with their direction signs, exact at quarter turns.
struct RotaryTurns {
    double c[2];
    double s[2];
};

RotaryTurns MakeTurns(const double* anglesDeg)
{
    RotaryTurns t;
    ComputeAxisAngleSinCos(anglesDeg[0], g_Rotary1Direction, &t.s[0], &t.c[0]);
    ComputeAxisAngleSinCos(anglesDeg[1], g_Rotary2Direction, &t.s[1], &t.c[1]);
    return t;
}

// Turn of v about rotary axis k (0 or 1) by (c, s): plain, inclined or vector-given as the machine
// definition gives it; plainOnly forces the plain turn. result must differ from v.
void TurnRotary(int k, const double* v, double c, double s, int plainOnly, double* result)
{
    int axis = k == 0 ? g_Rotary1Axis : g_Rotary2Axis;
    const int* cross = k == 0 ? g_Rotary1CrossAxes : g_Rotary2CrossAxes;
    int tilted = k == 0 ? g_Rotary1Tilted : g_Rotary2Tilted;
    int byVector = k == 0 ? g_Rotary1ByVector : g_Rotary2ByVector;
    const double* tilt = k == 0 ? g_Rotary1TiltCosSin : g_Rotary2TiltCosSin;
    const double* azimuth = k == 0 ? &g_RotaryAxisFrame[0] : &g_RotaryAxisFrame[2];
    if (!plainOnly && tilted) {
        RotateAboutTwoAxes(v, result, tilt[1], tilt[0], s, c, axis, cross);
    } else if (!plainOnly && byVector && axis < 2) {
        RotateInclinedPair(v, result, tilt[1], tilt[0], azimuth[1], azimuth[0], s, c, axis, cross);
    } else {
        RotateAboutAxis(v, result, c, s, axis, cross[0], cross[1]);
    }
}

// Plain turn of the two coordinates across rotary axis 2 of p about the pivot (in place).
void TurnAcrossRotary2(double* p, const double* pivot, double c, double s)
{
    int i = g_Rotary2CrossAxes[0], j = g_Rotary2CrossAxes[1];
    double u = p[i] - pivot[i];
    double w = p[j] - pivot[j];
    p[i] = c * u - s * w + pivot[i];
    p[j] = s * u + c * w + pivot[j];
}

// The tool axis of the turns: HEAD R1(R2(D)), other kinds R2p(R1(D)).
void TurnSpindleDirection(const RotaryTurns& t, const double* d, double* axis)
{
    double w[3];
    if (g_MachineKind == MACHINE_HEAD) {
        TurnRotary(1, d, t.c[1], t.s[1], 0, w);
        TurnRotary(0, w, t.c[0], t.s[0], 0, axis);
    } else {
        TurnRotary(0, d, t.c[0], t.s[0], 0, w);
        TurnRotary(1, w, t.c[1], t.s[1], 1, axis);
    }
}

void CleanAxis(double* axis)
{
    for (int k = 0; k < 3; ++k) {
        if (std::fabs(axis[k]) < 1e-9) axis[k] = 0.0;
    }
}

// h: the tool tip relative to the inner head pivot at zero angles, for tool length length.
void MakeHeadTipVector(double length, double* h)
{
    h[0] = -g_HeadPosition[0];
    h[1] = -g_HeadPosition[1];
    h[2] = -g_HeadPosition[2] - length;
}

// HEAD: R1(R2(h) - HO).
void TurnHeadTip(const RotaryTurns& t, const double* h, double* out)
{
    double w[3];
    TurnRotary(1, h, t.c[1], t.s[1], 0, w);
    for (int k = 0; k < 3; ++k) w[k] -= g_HeadOffset[k];
    TurnRotary(0, w, t.c[0], t.s[0], 0, out);
}

// Machine X, Y, Z for a tip at given turns; headLength is the length along the head chains and
// tableLength the length added along the spindle on TABLE machines.
void InvertPositionChain(const double* tip, const RotaryTurns& t, double headLength, double tableLength,
                         double* result)
{
    double h[3], w[3];
    MakeHeadTipVector(headLength, h);
    if (g_MachineKind == MACHINE_HEAD) {
        TurnHeadTip(t, h, w);
        for (int k = 0; k < 3; ++k) result[k] = tip[k] - (g_HeadPosition[k] + g_HeadOffset[k]) - w[k];
    } else if (g_MachineKind == MACHINE_TABLE) {
        double u[3];
        for (int k = 0; k < 3; ++k) u[k] = tip[k] - g_TablePosition[k];
        TurnAcrossRotary2(u, g_TableOffset, t.c[1], -t.s[1]);
        TurnRotary(0, u, t.c[0], -t.s[0], 0, w);
        for (int k = 0; k < 3; ++k) result[k] = w[k] + g_TablePosition[k];
        if (g_ToolDirectionTilted) {
            for (int k = 0; k < 3; ++k) result[k] += tableLength * g_ToolDirection[k];
        } else {
            result[2] += tableLength;
        }
    } else {
        double q[3] = {tip[0], tip[1], tip[2]};
        TurnAcrossRotary2(q, g_TablePosition, t.c[1], -t.s[1]);
        TurnRotary(0, h, t.c[0], t.s[0], 0, w);
        for (int k = 0; k < 3; ++k) result[k] = q[k] - w[k] - g_HeadPosition[k];
    }
}

double RadiusAcross(const double* v, const int* cross)
{
    return std::sqrt(v[cross[0]] * v[cross[0]] + v[cross[1]] * v[cross[1]]);
}

}  // namespace

void ApplyForwardKinematics(const AxisPosition* p, double* toolTip, double* toolAxis)
{
    const double* position = p->axis;
    RotaryTurns t = MakeTurns(&position[AXIS_ROTARY1]);
    double length = g_ToolLength;
    double w[3];
    if (g_MachineKind == MACHINE_HEAD) {
        double h[3];
        MakeHeadTipVector(length, h);
        TurnHeadTip(t, h, w);
        for (int k = 0; k < 3; ++k) toolTip[k] = position[k] + g_HeadPosition[k] + g_HeadOffset[k] + w[k];
    } else if (g_MachineKind == MACHINE_TABLE) {
        double u[3];
        for (int k = 0; k < 3; ++k) u[k] = position[k] - g_TablePosition[k];
        if (g_ToolDirectionTilted) {
            for (int k = 0; k < 3; ++k) u[k] -= length * g_ToolDirection[k];
        } else {
            u[2] -= length;
        }
        TurnRotary(0, u, t.c[0], t.s[0], 0, w);
        TurnAcrossRotary2(w, g_TableOffset, t.c[1], t.s[1]);
        for (int k = 0; k < 3; ++k) toolTip[k] = w[k] + g_TablePosition[k];
    } else {
        double h[3];
        MakeHeadTipVector(length, h);
        TurnRotary(0, h, t.c[0], t.s[0], 0, w);
        for (int k = 0; k < 3; ++k) w[k] += g_HeadPosition[k] + position[k];
        TurnAcrossRotary2(w, g_TablePosition, t.c[1], t.s[1]);
        for (int k = 0; k < 3; ++k) toolTip[k] = w[k];
    }
    TurnSpindleDirection(t, g_ToolDirection, toolAxis);
    CleanAxis(toolAxis);
}

void ComputeRotaryFrame(const double* angles, double* toolAxis)
{
    RotaryTurns t = MakeTurns(angles);
    TurnSpindleDirection(t, g_ToolDirection, toolAxis);
    CleanAxis(toolAxis);
}

void ApplyRotaryAxesToPoint(const double* angles, const double* v, double* result)
{
    RotaryTurns t = MakeTurns(angles);
    TurnSpindleDirection(t, v, result);
}

void ApplyForwardKinematicsForAngles(const double* toolTip, const double* angles, double* result)
{
    RotaryTurns t = MakeTurns(angles);
    InvertPositionChain(toolTip, t, g_ToolLength, g_ToolLength, result);
}

void ApplyRotaryAxesToPosition(const double* toolTip, const double* angles, double* result)
{
    RotaryTurns t = MakeTurns(angles);
    double tableLength = g_ToolLength + g_ToolLengthOffset - static_cast<double>(g_CurrentToolLength);
    InvertPositionChain(toolTip, t, g_ToolLengthOffset, tableLength, result);
}

void ComputeToolAxisOfPosition(const AxisPosition* p, double* radii)
{
    const double* position = p->axis;
    RotaryTurns t = MakeTurns(&position[AXIS_ROTARY1]);
    double h[3], w[3];
    MakeHeadTipVector(g_ToolLength, h);
    if (g_MachineKind == MACHINE_HEAD) {
        radii[1] = RadiusAcross(h, g_Rotary2CrossAxes);
        TurnRotary(1, h, t.c[1], t.s[1], 0, w);
        for (int k = 0; k < 3; ++k) w[k] -= g_HeadOffset[k];
        radii[0] = RadiusAcross(w, g_Rotary1CrossAxes);
    } else if (g_MachineKind == MACHINE_TABLE) {
        double u[3];
        for (int k = 0; k < 3; ++k) u[k] = position[k] - g_TablePosition[k];
        radii[0] = RadiusAcross(u, g_Rotary1CrossAxes);
        TurnRotary(0, u, t.c[0], t.s[0], 0, w);
        for (int k = 0; k < 3; ++k) w[k] -= g_TableOffset[k];
        radii[1] = RadiusAcross(w, g_Rotary2CrossAxes);
    } else {
        radii[0] = RadiusAcross(h, g_Rotary1CrossAxes);
        TurnRotary(0, h, t.c[0], t.s[0], 0, w);
        for (int k = 0; k < 3; ++k) w[k] += g_HeadPosition[k] + position[k] - g_TablePosition[k];
        radii[1] = RadiusAcross(w, g_Rotary2CrossAxes);
    }
}

void ComputePathPointToolFrame(const double* point, double dq, int n, double* direction, double* toolAxis)
{
    for (int k = 0; k < 3; ++k) toolAxis[k] = g_ToolAxisStart[k] + n * g_StepAxisIncrements[k];
    if (g_SecondRotationAngle == 0.0 && g_PlaneRotationAngle == 0.0) return;
    double q = n * dq + g_SecondRotationAngle;
    if (g_MotionKind == 2 || g_MotionKind == 3) {
        double r[3] = {0.0, 0.0, 0.0};
        r[g_PlaneAxis1] = point[g_PlaneAxis1] - g_MoveArcCentre[g_PlaneAxis1];
        r[g_PlaneAxis2] = point[g_PlaneAxis2] - g_MoveArcCentre[g_PlaneAxis2];
        double nz[3] = {0.0, 0.0, 0.0};
        nz[g_PlaneNormalAxis] = (g_MotionKind == 3) ? -1.0 : 1.0;
        double d[3] = {r[1] * nz[2] - r[2] * nz[1], r[2] * nz[0] - r[0] * nz[2], r[0] * nz[1] - r[1] * nz[0]};
        double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        for (int k = 0; k < 3; ++k) direction[k] = length > 0.0 ? d[k] / length : d[k];
    }
    const double* t = toolAxis;
    double b[3] = {t[1] * direction[2] - t[2] * direction[1], t[2] * direction[0] - t[0] * direction[2],
                   t[0] * direction[1] - t[1] * direction[0]};
    double lengthB = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2]);
    if (lengthB > 0.0) {
        for (int k = 0; k < 3; ++k) b[k] /= lengthB;
    }
    double c[3] = {direction[1] * b[2] - direction[2] * b[1], direction[2] * b[0] - direction[0] * b[2],
                   direction[0] * b[1] - direction[1] * b[0]};
    RotateVectorBySphericalAngles(direction, c, toolAxis, q);
}
