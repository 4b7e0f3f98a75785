// The machine position of a block. Normally the machine axes follow from the control point, the active
// work offset and the tool lengths through the forward kinematics; in the reverse modes (reference
// return, machine-coordinate blocks) the control point and the interpreter's target follow from the
// machine axes. Rotary following and tool-centre-point control go through the inverse kinematics.
#include "machine_setup/machine/machine_position.h"

#include <cmath>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/forward_kinematics.h"
#include "machine_setup/machine/inverse_kinematics.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/rotation.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/machine_setup_state.h"
#include "work_model/geometry.h"

AxisPosition g_ControlPoint = {{0.0, 0.0, 0.0, 0.0, 0.0}};
AxisPosition g_MachinePosition = {{0.0, 0.0, 0.0, 0.0, 0.0}};
double g_ToolTipPoint[3] = {0.0, 0.0, 0.0};
double g_ToolAxisVector[3] = {0.0, 0.0, 1.0};
double g_RotaryCosSin[4] = {1.0, 0.0, 1.0, 0.0};
SavedMachineState g_SavedState = {-1, {{0.0}}, {{0.0}}, {{0.0}}, {0.0, 0.0, 0.0}, {0.0, 0.0, 1.0}};

namespace {

const double kPi = 3.141592653589793;

// Who calls: the current position, or one of the two path-drawing variants.
enum PositionCaller { CALLER_CURRENT, CALLER_BLOCK_A, CALLER_BLOCK_B };

// The lengths of the computation: D = L - Lc (Lc widened to double) and H.
struct PositionLengths {
    double L;
    double Lc;
    double D;
    double H;
};

PositionLengths CurrentLengths()
{
    PositionLengths lengths;
    lengths.L = g_ToolLength;
    lengths.Lc = static_cast<double>(g_CurrentToolLength);
    lengths.D = lengths.L - lengths.Lc;
    lengths.H = g_ToolLengthOffset;
    return lengths;
}

// Removes the tool length difference d from X, Y, Z of p: along the spindle direction when it is
// tilted, else along Z.
void SubtractLengthDifference(AxisPosition* p, double d)
{
    if (g_ToolDirectionTilted) {
        for (int k = 0; k < 3; ++k) p->axis[k] -= g_ToolDirection[k] * d;
    } else {
        p->axis[AXIS_Z] -= d;
    }
}

// Step 3 of the reference return: the head tip offset or the length compensation on the target.
void ApplyTargetOffsets(AxisPosition* target, const PositionLengths& lengths)
{
    if (g_AutomaticToolOffset) {
        target->axis[AXIS_X] -= g_HeadTipOffset[0];
        target->axis[AXIS_Z] -= g_HeadTipOffset[2];
    } else if (g_ToolLengthCompOn) {
        target->axis[g_ToolAxisIndex] -= lengths.H;
    }
}

// Reference-point return, second phase: the control point and target follow from the machine position.
void ComputeReferenceReturn(const AxisPosition& mp, const PositionLengths& lengths, double* tip, double* axis)
{
    ApplyForwardKinematics(&mp, tip, axis);
    AxisPosition cp;
    for (int k = 0; k < AXIS_POSITION_COUNT; ++k) cp.axis[k] = mp.axis[k] - g_ActiveWorkOffset.axis[k];
    AxisPosition target = cp, moveEnd = cp;
    ApplyTargetOffsets(&target, lengths);
    SubtractLengthDifference(&target, lengths.D);
    SubtractLengthDifference(&moveEnd, lengths.D);
    g_ControlPoint = cp;
    g_NcTargetPosition = target;
    g_NcMoveEnd = moveEnd;
}

// Whether the table rotation is applied to a programmed tip (or removed from a recovered one).
int TableRotationApplies(const AxisPosition& mp, const AxisPosition& cp)
{
    const AxisPosition& wo = g_ActiveWorkOffset;
    if (g_TclTableCoordinate && wo.axis[AXIS_ROTARY1] == 0.0 && wo.axis[AXIS_ROTARY2] == 0.0) return 0;
    if (g_MachineKind == MACHINE_TABLE) {
        return mp.axis[AXIS_ROTARY1] != cp.axis[AXIS_ROTARY1] || mp.axis[AXIS_ROTARY2] != cp.axis[AXIS_ROTARY2];
    }
    if (g_MachineKind == MACHINE_MIX) return mp.axis[AXIS_ROTARY2] != cp.axis[AXIS_ROTARY2];
    return 0;
}

// How far the tip lies along the tool axis from where the offset H puts it: Lc - H on a table machine,
// L - H on the others; 0 when the two lengths are equal.
double ToolLengthStep(const PositionLengths& lengths)
{
    if (g_MachineKind == MACHINE_TABLE) {
        return lengths.H != lengths.Lc ? lengths.Lc - lengths.H : 0.0;
    }
    return lengths.H != lengths.L ? lengths.L - lengths.H : 0.0;
}

// Tool-centre-point control: the tip is programmed, the machine axes follow.
void ComputeToolCentre(const AxisPosition& cp, const PositionLengths& lengths, AxisPosition* mp, double* tip,
                       double* axis)
{
    const AxisPosition& wo = g_ActiveWorkOffset;
    for (int k = 0; k < 3; ++k) tip[k] = cp.axis[k] + wo.axis[k];
    mp->axis[AXIS_ROTARY1] = cp.axis[AXIS_ROTARY1] + wo.axis[AXIS_ROTARY1] + g_RotaryDisplayAngles[0];
    mp->axis[AXIS_ROTARY2] = cp.axis[AXIS_ROTARY2] + wo.axis[AXIS_ROTARY2] + g_RotaryDisplayAngles[1];
    if (g_MachineKind != MACHINE_TABLE) tip[2] += lengths.D;
    if (TableRotationApplies(*mp, cp)) ApplyTableRotaryToPosition(tip);
    ApplyRotaryAxesToPosition(tip, &mp->axis[AXIS_ROTARY1], mp->axis);
    ComputeRotaryFrame(&mp->axis[AXIS_ROTARY1], axis);
    double step = ToolLengthStep(lengths);
    if (step != 0.0) {
        for (int k = 0; k < 3; ++k) tip[k] -= axis[k] * step;
    }
}

// Machine-coordinate block: the control point follows from the machine position.
void ComputeMachineCoordinateBlock(const AxisPosition& mp, const AxisPosition& cpIn, const PositionLengths& lengths,
                                   PositionCaller caller, double* tip, double* axis)
{
    ApplyForwardKinematics(&mp, tip, axis);
    if (caller == CALLER_BLOCK_B) return;
    const AxisPosition& wo = g_ActiveWorkOffset;
    AxisPosition cp = cpIn;
    AxisPosition target;
    int followBlock = g_RotaryFollowState == 1 && g_MachineCoordinateBlock == 0;
    if (followBlock || (g_DialectHeidenhain && g_RotaryFollowState == 1 && g_MachineCoordinateBlock)) {
        MachineToWorkCoordinates(tip, cp.axis);
        cp.axis[AXIS_Z] += lengths.Lc;
        target = cp;
        if (caller == CALLER_BLOCK_A && followBlock && g_AutomaticToolOffset) {
            target.axis[AXIS_X] -= g_HeadTipOffset[0];
            target.axis[AXIS_Z] -= g_HeadTipOffset[2];
        } else if (g_ToolLengthCompOn) {
            target.axis[g_ToolAxisIndex] -= lengths.H;
        }
    } else {
        for (int k = 0; k < AXIS_POSITION_COUNT; ++k) cp.axis[k] = mp.axis[k] - wo.axis[k];
        cp.axis[AXIS_Z] -= lengths.D;
        target = cp;
        ApplyTargetOffsets(&target, lengths);
    }
    g_ControlPoint = cp;
    g_NcTargetPosition = target;
    g_NcMoveEnd = cp;
}

// Rotary following (tilted working plane): the tool axis of the plane, its rotary angles and the
// machine axes. Returns 0 when the angles had to be solved and no solution exists.
int ComputeRotaryFollowing(const AxisPosition& cp, const PositionLengths& lengths, AxisPosition* mp, double* tip,
                           double* axis)
{
    int result = 1;
    WorkToMachineCoordinates(cp.axis, tip);
    if (g_RotaryFollowMode) {
        double planeZ[3] = {g_TiltedPlaneMatrix[6], g_TiltedPlaneMatrix[7], g_TiltedPlaneMatrix[8]};
        if (g_WorkCoordRotated) RotateVector(g_ActiveWorkRotation, planeZ, axis);
        else for (int k = 0; k < 3; ++k) axis[k] = planeZ[k];
        if (g_RotaryFollowKind == 2) {
            mp->axis[AXIS_ROTARY1] = g_RotaryFollowAngles[0];
            mp->axis[AXIS_ROTARY2] = g_RotaryFollowAngles[1];
        } else {
            const StrokeLimitSet& set = g_StrokeLimits[0];
            const int enabled[2] = {set.enabled[AXIS_ROTARY1], set.enabled[AXIS_ROTARY2]};
            result = SolveInverseKinematics(axis, &g_RunStartMachinePosition.axis[AXIS_ROTARY1], enabled,
                                            &set.range[2 * AXIS_ROTARY1], &set.range[2 * AXIS_ROTARY2],
                                            &mp->axis[AXIS_ROTARY1]);
        }
    } else {
        for (int k = 0; k < 3; ++k) axis[k] = g_ToolDirection[k];
        mp->axis[AXIS_ROTARY1] = 0.0;
        mp->axis[AXIS_ROTARY2] = 0.0;
    }
    for (int k = 0; k < 3; ++k) tip[k] -= axis[k] * lengths.Lc;
    ApplyForwardKinematicsForAngles(tip, &mp->axis[AXIS_ROTARY1], mp->axis);
    if (g_RotaryAxesMoving) {
        mp->axis[AXIS_ROTARY1] = cp.axis[AXIS_ROTARY1] + g_ActiveWorkOffset.axis[AXIS_ROTARY1];
        mp->axis[AXIS_ROTARY2] = cp.axis[AXIS_ROTARY2] + g_ActiveWorkOffset.axis[AXIS_ROTARY2];
    }
    return result;
}

// The usual path: machine axes from the control point (plain, polar or cylindrical) and the work offset.
void ComputePlainPosition(const AxisPosition& cp, const PositionLengths& lengths, AxisPosition* mp, double* tip,
                          double* axis)
{
    const AxisPosition& wo = g_ActiveWorkOffset;
    if (g_PolarInterpolationOn) {
        ComputePolarAngle(&cp, 1, mp);
        for (int k = 0; k < AXIS_POSITION_COUNT; ++k) mp->axis[k] += wo.axis[k];
    } else if (g_CylindricalInterpolationOn) {
        mp->axis[AXIS_X] = cp.axis[g_PlaneNormalAxis] + wo.axis[AXIS_X];
        mp->axis[AXIS_Y] = wo.axis[AXIS_Y];
        if (g_CylinderMmPerDegree > 0.0) mp->axis[AXIS_ROTARY2] = cp.axis[g_CylindricalAxisPlane] / g_CylinderMmPerDegree;
        mp->axis[AXIS_Z] = cp.axis[AXIS_Z] + wo.axis[AXIS_Z];
        mp->axis[AXIS_ROTARY1] = cp.axis[AXIS_ROTARY1] + wo.axis[AXIS_ROTARY1];
        mp->axis[AXIS_ROTARY2] += wo.axis[AXIS_ROTARY2];
    } else {
        for (int k = 0; k < AXIS_POSITION_COUNT; ++k) mp->axis[k] = cp.axis[k] + wo.axis[k];
    }
    SubtractLengthDifference(mp, -lengths.D);
    ApplyForwardKinematics(mp, tip, axis);
}

// The whole computation for a control point and machine position; see the header for the callers.
int ComputeMachinePosition(PositionCaller caller, const AxisPosition& cp, const AxisPosition& mpIn, double* tip,
                           double* axis)
{
    PositionLengths lengths = CurrentLengths();
    AxisPosition mp = mpIn;
    int result = 1;
    if (g_ReferenceReturnPhase == 2) {
        ComputeReferenceReturn(mp, lengths, tip, axis);
        return 1;
    }
    if (g_ToolCentreMode != 0) {
        ComputeToolCentre(cp, lengths, &mp, tip, axis);
        if (caller == CALLER_CURRENT) g_MachinePosition = mp;
        return 1;
    }
    if (g_MachineCoordinateBlock || g_LastGCode == 531 || g_LastGCode == 536) {
        ComputeMachineCoordinateBlock(mp, cp, lengths, caller, tip, axis);
        return 1;
    }
    if (g_RotaryFollowState == 1) {
        result = ComputeRotaryFollowing(cp, lengths, &mp, tip, axis);
        if (caller == CALLER_BLOCK_A && g_RotaryAxesMoving) ApplyForwardKinematics(&mp, tip, axis);
    } else {
        ComputePlainPosition(cp, lengths, &mp, tip, axis);
    }
    if (caller != CALLER_BLOCK_B) g_MachinePosition = mp;
    return result;
}

}  // namespace

int UpdateCurrentMachinePosition()
{
    AxisPosition cp = g_ControlPoint;
    AxisPosition mp = g_MachinePosition;
    double tip[3], axis[3];
    int result = ComputeMachinePosition(CALLER_CURRENT, cp, mp, tip, axis);
    for (int k = 0; k < 3; ++k) {
        g_ToolTipPoint[k] = tip[k];
        g_ToolAxisVector[k] = axis[k];
    }
    ComputeAxisAngleSinCos(g_MachinePosition.axis[AXIS_ROTARY1], g_Rotary1Direction, &g_RotaryCosSin[1],
                           &g_RotaryCosSin[0]);
    ComputeAxisAngleSinCos(g_MachinePosition.axis[AXIS_ROTARY2], g_Rotary2Direction, &g_RotaryCosSin[3],
                           &g_RotaryCosSin[2]);
    return result;
}

int ComputeMachinePositionForBlockA(const AxisPosition* controlPoint, const AxisPosition* machinePosition,
                                    double* toolTip, double* toolAxis)
{
    return ComputeMachinePosition(CALLER_BLOCK_A, *controlPoint, *machinePosition, toolTip, toolAxis);
}

int ComputeMachinePositionForBlockB(const AxisPosition* controlPoint, const AxisPosition* machinePosition,
                                    double* toolTip, double* toolAxis)
{
    return ComputeMachinePosition(CALLER_BLOCK_B, *controlPoint, *machinePosition, toolTip, toolAxis);
}

void ApplyToolLengthCorrection(const double* toolTip, const double* toolAxis)
{
    PositionLengths lengths = CurrentLengths();
    const AxisPosition& wo = g_ActiveWorkOffset;
    double v[3] = {toolTip[0], toolTip[1], toolTip[2]};
    double step = ToolLengthStep(lengths);
    if (step != 0.0) {
        for (int k = 0; k < 3; ++k) v[k] += toolAxis[k] * step;
    }
    if (TableRotationApplies(g_MachinePosition, g_ControlPoint)) RemoveTableRotaryFromPosition(v);
    if (g_MachineKind != MACHINE_TABLE) v[2] -= lengths.D;
    for (int k = 0; k < 3; ++k) g_ControlPoint.axis[k] = v[k] - wo.axis[k];
    g_ControlPoint.axis[AXIS_ROTARY1] =
        g_MachinePosition.axis[AXIS_ROTARY1] - wo.axis[AXIS_ROTARY1] - g_RotaryDisplayAngles[0];
    g_ControlPoint.axis[AXIS_ROTARY2] =
        g_MachinePosition.axis[AXIS_ROTARY2] - wo.axis[AXIS_ROTARY2] - g_RotaryDisplayAngles[1];
}

void ComputePolarAngle(const AxisPosition* source, int headOffsetFlag, AxisPosition* out)
{
    double x = source->axis[AXIS_X], y = source->axis[AXIS_Y];
    double radius = 0.0, angle = 0.0;
    const double degrees = 180.0 / kPi;
    if (y == 0.0) {
        radius = x >= 0.0 ? x : -x;
        angle = x >= 0.0 ? 0.0 : 180.0;
    } else if (x == 0.0) {
        radius = y >= 0.0 ? y : -y;
        angle = y >= 0.0 ? 90.0 : 270.0;
    } else {
        radius = std::sqrt(x * x + y * y);
        double q = y / x;
        if (x > 0.0 && y > 0.0) angle = std::atan(q) * degrees;
        else if (x > 0.0) angle = 360.0 - std::atan(-q) * degrees;
        else if (y > 0.0) angle = 180.0 - std::atan(-q) * degrees;
        else angle = std::atan(q) * degrees + 180.0;
    }
    double z = source->axis[AXIS_Z], r1 = source->axis[AXIS_ROTARY1];
    out->axis[AXIS_X] = radius;
    out->axis[AXIS_Y] = 0.0;
    out->axis[AXIS_Z] = z;
    out->axis[AXIS_ROTARY1] = r1;
    out->axis[AXIS_ROTARY2] = angle + g_PolarAngleOffset;
    if (headOffsetFlag == 1 && g_AutomaticToolOffset) {
        out->axis[AXIS_X] += g_HeadTipOffset[0];
        out->axis[AXIS_Z] += g_HeadTipOffset[2];
    }
}

void OffsetPointAlongDirections(const double* p, const double* u, const double* v, const double* w, double r,
                                double a, double b, double t, double* out)
{
    double s[3] = {a * u[0] + b * v[0], a * u[1] + b * v[1], a * u[2] + b * v[2]};
    double length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    if (!(length > 0.0)) return;
    for (int k = 0; k < 3; ++k) out[k] = p[k] + r * s[k] / length + t * w[k];
}

void CaptureCurrentPositions(SavedMachineState* state)
{
    state->spindleToolNumber = g_SpindleToolNumber;
    state->controlPoint = g_ControlPoint;
    state->machinePosition = g_MachinePosition;
    state->activeWorkOffset = g_ActiveWorkOffset;
    for (int k = 0; k < 3; ++k) {
        state->toolTip[k] = g_ToolTipPoint[k];
        state->toolAxis[k] = g_ToolAxisVector[k];
    }
}

void SaveCurrentPositions() { CaptureCurrentPositions(&g_SavedState); }
