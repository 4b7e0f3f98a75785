// FinishBlockPosition: the move handed to the drivers, from the block's target through the length
// and head-tip offsets, the coordinate rotations, the OSP rotation and head mode and the mirror; and
// the rotation and scaling routines shared with the block interpreter.
#include "nc/block_end_position.h"

#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "nc/block_interpreter.h"
#include "nc/interpreter_state.h"
#include "platform/ui/event_core.h"
#include "nc/block_state.h"

namespace {

int IsArc() { return g_MotionKind == MOTION_ARC_CW || g_MotionKind == MOTION_ARC_CCW; }

// The tool length offset on the tool axis when compensation is on outside tool centre mode.
void AddToolLengthOffset(double* point)
{
    if (g_ToolLengthCompOn && g_ToolCentreMode == 0 && g_ToolAxisIndex >= 0 && g_ToolAxisIndex < 3) {
        point[g_ToolAxisIndex] += g_ToolLengthOffset;
    }
}

// Step 2: the rotation cancel; the move keeps its end (no length).
void FinishRotationCancel()
{
    if (g_RotationAxisCodes[0] == 0) {
        for (int k = 0; k < 2; ++k) {
            const int a = g_RotationPlaneAxes[0][k];
            g_NcTargetPosition.axis[a] = g_NcMoveEnd.axis[a];
        }
    } else {
        for (int a = 0; a < 3; ++a) g_NcTargetPosition.axis[a] = g_NcMoveEnd.axis[a];
    }
    if (g_DialectOsp && g_OffsetApplyMode == 2) {
        for (int a = 0; a < 3; ++a) g_NcTargetPosition.axis[a] -= g_HeadTipOffset[a];
    }
    if (g_ToolLengthCompOn && g_ToolCentreMode == 0 && g_ToolAxisIndex >= 0 && g_ToolAxisIndex < 3) {
        g_NcTargetPosition.axis[g_ToolAxisIndex] -= g_ToolLengthOffset;
    }
    // Incremental words add to the commanded values: they follow the rewritten target, so that the next
    // incremental move starts where the tool is.
    for (int a = 0; a < 3; ++a) g_NcCommandedPosition.axis[a] = g_NcTargetPosition.axis[a];
    g_RotationCount = 0;
    g_CoordinateRotationState = 0;
    g_RotationAxisCodes[0] = 0;
    g_RotationAxisCodes[1] = 0;
    if (g_RunMode > 0 && !IsUiWindowMinimised(g_MainWindow)) {
        BeginPanelDraw(g_MainWindow);
        DrawAxisLabelColumn();
        EndPanelDraw(g_MainWindow);
    }
}

// Turns the arc vectors u and w by one rotation on its first and second axes; v = w x u.
void RotateArcVectors(const int* axes, double c, double s)
{
    for (double* vector : {g_ArcStartDirection, g_ArcNormal}) {
        const double first = vector[axes[0]];
        const double second = vector[axes[1]];
        vector[axes[0]] = first * c - second * s;
        vector[axes[1]] = second * c + first * s;
    }
    const double* u = g_ArcStartDirection;
    const double* w = g_ArcNormal;
    g_ArcSideDirection[0] = w[1] * u[2] - w[2] * u[1];
    g_ArcSideDirection[1] = w[2] * u[0] - w[0] * u[2];
    g_ArcSideDirection[2] = w[0] * u[1] - w[1] * u[0];
}

// The selected work offset row, the origin of the OSP rotation (none outside the table).
double* OspRotationOrigin()
{
    if (g_WorkOffsetIndex < 0 || g_WorkOffsetIndex >= WORK_OFFSET_COUNT) return nullptr;
    return g_WorkOffsets[g_WorkOffsetIndex].axis;
}

// Step 6: the OSP rotation by its state.
void FinishOspRotation()
{
    double* origin = OspRotationOrigin();
    if (origin == nullptr) return;
    const int* axes = g_OspRotationAxes;
    const double c = g_OspRotationCos, s = g_OspRotationSin;
    if (g_OspRotationState == 1) {
        g_OspRotationState = 2;
        RotatePointAboutWorkOriginInverse(g_NcTargetPosition.axis, axes, c, s, origin);
    } else if (g_OspRotationState == 2) {
        RotatePointAboutWorkOrigin(g_NcMoveEnd.axis, axes, c, s, origin);
        if (IsArc()) {
            RotatePointAboutWorkOrigin(g_ArcCentre, axes, c, s, origin);
            RotatePointAboutWorkOrigin(g_MoveArcCentre, axes, c, s, origin);
            if (g_OspRotationAngle != 0.0) RotateArcVectors(axes, c, s);
        }
    } else if (g_OspRotationState == 3) {
        RotatePointAboutWorkOrigin(g_NcTargetPosition.axis, axes, c, s, origin);
        g_OspRotationAngle = 0.0;
        g_OspRotationCos = 1.0;
        g_OspRotationSin = 0.0;
        for (int a = 0; a < AXIS_POSITION_COUNT; ++a) origin[a] = 0.0;
        g_OspRotationState = 0;
    }
}

// Step 7: the coordinate rotations, last level first.
void FinishCoordinateRotation()
{
    for (int i = g_RotationCount - 1; i >= 0; --i) {
        if (i >= 2) continue;
        double centre[3];
        GetScaledPlaneCoordinates(g_RotationPlaneAxes[i], g_RotationCentres[i], centre);
        const double c = g_RotationCos[i], s = g_RotationSin[i];
        RotatePointInPlane(g_NcMoveEnd.axis, g_RotationPlaneAxes[i], c, s, centre);
        if (IsArc()) {
            RotatePointInPlane(g_ArcCentre, g_RotationPlaneAxes[i], c, s, centre);
            RotatePointInPlane(g_MoveArcCentre, g_RotationPlaneAxes[i], c, s, centre);
            RotateArcVectors(g_RotationPlaneAxes[i], c, s);
        }
    }
}

// Step 8: the OSP head mode by g_OffsetApplyMode.
void FinishOspHeadMode()
{
    if (g_OffsetApplyMode == 1) {
        for (int a = 0; a < 3; ++a) g_NcTargetPosition.axis[a] -= g_HeadTipOffset[a];
        g_OffsetApplyMode = 2;
    } else if (g_OffsetApplyMode == 2) {
        AddWorkOffsetsToPoint(g_NcMoveEnd.axis);
        if (IsArc()) AddWorkOffsetsToPoint(g_MoveArcCentre);
    } else if (g_OffsetApplyMode == 3) {
        AddWorkOffsetsToPoint(g_NcTargetPosition.axis);
        for (int a = 0; a < 3; ++a) g_NcMoveEnd.axis[a] = g_NcTargetPosition.axis[a];
        g_OffsetApplyMode = 0;
        for (int a = 0; a < 3; ++a) g_HeadTipOffset[a] = 0.0;
    }
}

// 1 when exactly one of the two in-plane axes of the plane is mirrored.
int MirrorReversesArcs()
{
    const int plane = g_PlaneCode < 0 ? -g_PlaneCode : g_PlaneCode;
    int first = 0, second = 1;
    if (plane == 18) first = 0, second = 2;
    else if (plane == 19) first = 1, second = 2;
    return (g_MirrorAxes[first] != 0) != (g_MirrorAxes[second] != 0);
}

// Step 9: the programmable mirror image.
void FinishMirror()
{
    const int arc = IsArc();
    for (int a = 0; a < 3; ++a) {
        if (!g_MirrorAxes[a]) continue;
        const double m = g_MirrorCentre[a];
        g_NcMoveEnd.axis[a] = 2.0 * m - g_NcMoveEnd.axis[a];
        if (arc) {
            g_ArcStartDirection[a] = -g_ArcStartDirection[a];
            g_ArcCentre[a] = 2.0 * m - g_ArcCentre[a];
            g_MoveArcCentre[a] = 2.0 * m - g_MoveArcCentre[a];
            g_ArcCentreWords[a] = -g_ArcCentreWords[a];
        }
    }
    if (arc && MirrorReversesArcs() && g_ArcMirrorPending) {
        g_ArcMirrorPending = 0;
        g_CompensationSide = -g_CompensationSide;
        g_MotionKind = 5 - g_MotionKind;
    }
}

}  // namespace

void FinishBlockPosition()
{
    g_NcMoveStart = g_NcMoveEnd;
    if (g_CoordinateRotationState == 3) {
        FinishRotationCancel();
        return;
    }
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
        if (g_NcTargetPosition.axis[a] > -1e-6 && g_NcTargetPosition.axis[a] < 1e-6) g_NcTargetPosition.axis[a] = 0.0;
    }
    g_NcMoveEnd = g_NcTargetPosition;
    const int arc = IsArc();
    if (arc) {
        for (int k = 0; k < 3; ++k) g_MoveArcCentre[k] = g_ArcCentre[k];
    }
    if (g_OffsetApplyMode == 0) {
        if (g_AutomaticToolOffset) {
            AddWorkOffsetsToPoint(g_NcMoveEnd.axis);
            if (arc) AddWorkOffsetsToPoint(g_MoveArcCentre);
        } else {
            if (g_ReferenceReturnPhase == 0) AddToolLengthOffset(g_NcMoveEnd.axis);
            if (arc) AddToolLengthOffset(g_MoveArcCentre);
        }
    }
    if (g_DialectOsp) FinishOspRotation();
    if (g_CoordinateRotationState == 2 && g_LastGCode != 68) FinishCoordinateRotation();
    if (g_DialectOsp) FinishOspHeadMode();
    if (g_MirrorOn) FinishMirror();
}

void AddWorkOffsetsToPoint(double* point)
{
    const int referenceReturn = g_ReferenceReturnKind != 0;
    if (g_PolarInterpolationOn && !referenceReturn) return;
    if (g_CylindricalInterpolationOn && !referenceReturn && g_CylindricalInterpolationState != 1) {
        point[g_PlaneNormalAxis] += g_HeadTipOffset[0];
        point[AXIS_Z] += g_HeadTipOffset[2];
        return;
    }
    if (g_DialectOsp && g_OffsetApplyMode >= 1) {
        for (int a = 0; a < 3; ++a) point[a] += g_HeadTipOffset[a];
        return;
    }
    if (g_CoordinateRotationState != 0) {
        if (g_ToolAxisIndex >= 0 && g_ToolAxisIndex < 3) point[g_ToolAxisIndex] += g_ToolLengthOffset;
        return;
    }
    point[AXIS_X] += g_HeadTipOffset[0];
    point[AXIS_Z] += g_HeadTipOffset[2];
}

void RotatePointInPlane(double* point, const int* axes, double c, double s, const double* centre)
{
    const int a = axes[0], b = axes[1], n = axes[2];
    const double pa = point[a], pb = point[b];
    if (g_RotationAxisCodes[0] == 0) {
        point[a] = (pa - centre[0]) * c - (pb - centre[1]) * s + centre[0];
        point[b] = (pb - centre[1]) * c + (pa - centre[0]) * s + centre[1];
    } else {
        point[a] = pa * c - pb * s + centre[0];
        point[b] = pb * c + pa * s + centre[1];
        point[n] += centre[2];
    }
}

void RotatePointInPlaneInverse(double* point, const int* axes, double c, double s, const double* centre)
{
    const int a = axes[0], b = axes[1], n = axes[2];
    const double pa = point[a], pb = point[b];
    if (g_RotationAxisCodes[0] == 0) {
        point[a] = (pa - centre[0]) * c + (pb - centre[1]) * s + centre[0];
        point[b] = (pb - centre[1]) * c - (pa - centre[0]) * s + centre[1];
    } else {
        point[a] = pa * c + pb * s + centre[0];
        point[b] = pb * c - pa * s + centre[1];
        point[n] += centre[2];
    }
}

void RotatePointAboutWorkOrigin(double* point, const int* axes, double c, double s, const double* origin)
{
    const int a = axes[0], b = axes[1], n = axes[2];
    if (g_OspRotationAngle == 0.0) {
        for (int k = 0; k < 3; ++k) point[k] += origin[k];
        return;
    }
    const double pa = point[a], pb = point[b];
    point[a] = pa * c - pb * s + origin[a];
    point[b] = pb * c + pa * s + origin[b];
    point[n] += origin[n];
}

void RotatePointAboutWorkOriginInverse(double* point, const int* axes, double c, double s,
                                       const double* origin)
{
    const int a = axes[0], b = axes[1], n = axes[2];
    if (g_OspRotationAngle == 0.0) {
        for (int k = 0; k < 3; ++k) point[k] -= origin[k];
        return;
    }
    const double pa = point[a] - origin[a], pb = point[b] - origin[b];
    point[a] = pa * c + pb * s;
    point[b] = pb * c - pa * s;
    point[n] -= origin[n];
}

void GetScaledPlaneCoordinates(const int* axes, const double* point, double* out)
{
    for (int k = 0; k < 3; ++k) {
        const int axis = axes[k];
        double v = point[axis];
        if (k < 2 && g_ScalingOn && g_LastGCode != 92) ScaleAxisValue(axis, &v);
        out[k] = v;
    }
}

namespace {

double ScaleFactorOfAxis(int axis)
{
    if (!g_ScaleEffect[axis]) return 1.0;
    return g_ScalingUniform ? g_ScaleFactorP : g_ScaleFactor[axis];
}

}  // namespace

double ScaleArcRadius(double radius)
{
    if (!g_ScalingOn || g_LastGCode == 92) return radius;
    const double f1 = ScaleFactorOfAxis(g_PlaneAxis1), f2 = ScaleFactorOfAxis(g_PlaneAxis2);
    if (f1 != f2) return radius;
    return radius * (f1 < 0.0 ? -f1 : f1);
}

void ScaleAxisValue(int axis, double* value)
{
    if (value == nullptr || axis < 0 || axis > 2 || !g_ScaleEffect[axis]) return;
    const double factor = g_ScalingUniform ? g_ScaleFactorP : g_ScaleFactor[axis];
    const double centre = g_ScalingCentre[axis];
    *value = centre + (*value - centre) * factor;
}
