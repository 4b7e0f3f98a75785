// Block completion: the steps that need the whole block, run once after the pass over its words:
// table-rotated offsets, coordinate rotation, vector-mode tool axis, arc geometry, coordinate setting
// (G92, G52, OSP G16), the tilted working plane and the zero-feed alarm.
#include "nc/block_completion.h"

#include <cmath>

#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "platform/ui/repaint_requests.h"
#include "machine_setup/machine/forward_kinematics.h"
#include "machine_setup/machine/inverse_kinematics.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/block_end_position.h"
#include "nc/block_interpreter.h"
#include "nc/interpreter_state.h"
#include "nc/block_state.h"
#include "nc/dialect_keywords.h"
#include "nc/gm_codes.h"
#include "nc/tilted_planes.h"
#include "machine_setup/tools/tool_length_reference.h"
#include "work_model/matrix.h"

void ExactCosSin(double angleDeg, double* cosine, double* sine)
{
    if (angleDeg == 0.0 || angleDeg == 360.0 || angleDeg == -360.0) {
        *cosine = 1.0, *sine = 0.0;
    } else if (angleDeg == 90.0 || angleDeg == -270.0) {
        *cosine = 0.0, *sine = 1.0;
    } else if (angleDeg == -90.0 || angleDeg == 270.0) {
        *cosine = 0.0, *sine = -1.0;
    } else if (angleDeg == 180.0 || angleDeg == -180.0) {
        *cosine = -1.0, *sine = 0.0;
    } else {
        const double r = angleDeg * M_PI / 180.0;
        *cosine = std::cos(r);
        *sine = std::sin(r);
    }
}

namespace {

int IsSpecialAngle(double a)
{
    return a == 0.0 || a == 90.0 || a == -90.0 || a == 180.0 || a == -180.0 || a == 270.0 || a == -270.0 ||
           a == 360.0 || a == -360.0;
}

// Step 2: the rotation set up by G68 (OSP G69) or OSP G127 in this block.
void CompleteRotation()
{
    const int k = g_RotationCount;
    if (k < 0 || k >= 2) {
        g_CoordinateRotationState = 2;  // a third rotation is not taken; the ones in force stay
        return;
    }
    if (g_RotationAngles[k] == 0.0 && g_RotationAxisCodes[k] == 0) g_RotationAngles[k] = g_RotationAngleSetting;
    int* axes = g_RotationPlaneAxes[k];
    switch (g_RotationAxisCodes[k]) {
    case 1: axes[0] = 1, axes[1] = 2, axes[2] = 0; break;
    case 2: axes[0] = 2, axes[1] = 0, axes[2] = 1; break;
    case 3: axes[0] = 0, axes[1] = 1, axes[2] = 2; break;
    default: axes[0] = g_PlaneAxis1, axes[1] = g_PlaneAxis2, axes[2] = g_PlaneNormalAxis; break;
    }
    ExactCosSin(g_RotationAngles[k], &g_RotationCos[k], &g_RotationSin[k]);
    g_RotationCount = k + 1;
    g_CoordinateRotationState = 2;
    if (g_RotationCount == 2 && g_RotationAxisCodes[0] != 0 && g_RotationAxisCodes[1] == 0) {
        for (int a = 0; a < 3; ++a) {
            g_RotationPlaneAxes[0][a] = g_RotationPlaneAxes[1][a];
            g_RotationCentres[0][a] = g_RotationCentres[1][a];
        }
        g_RotationAngles[0] = g_RotationAngles[1];
        g_RotationSin[0] = g_RotationSin[1];
        g_RotationCos[0] = g_RotationCos[1];
        g_RotationAxisCodes[0] = 0;
        g_RotationCount = 1;
    }
    if (g_RotationAxisCodes[0] == 0 && g_RotationAngles[0] == 0.0) {
        g_RotationCount = 0;
        g_CoordinateRotationState = 0;
    }
    if (g_No60Bit2 == 1 && g_RotationCount > 0) {
        const double* tip = g_RunMode > 0 ? g_ToolTipPoint : g_PathToolTipPoint;
        for (int a = 0; a < 3; ++a) g_NcTargetPosition.axis[a] = tip[a];
        for (int i = 0; i < g_RotationCount; ++i) {
            double centre[3];
            GetScaledPlaneCoordinates(g_RotationPlaneAxes[i], g_RotationCentres[i], centre);
            RotatePointInPlaneInverse(g_NcTargetPosition.axis, g_RotationPlaneAxes[i], g_RotationCos[i],
                                      g_RotationSin[i], centre);
        }
    }
    UpdateStatusWhileRunning();
}

int IsZero3(const double* v) { return v[0] == 0.0 && v[1] == 0.0 && v[2] == 0.0; }

// The rotary targets for g_ToolAxisVector. When no solution of the rotary axes reaches it the
// targets stay and the block raises the tool-axis alarm (a machine without rotary axes has none).
void SolveRotaryTargets()
{
    const double previous[2] = {g_MachineAxisWords.axis[AXIS_ROTARY1], g_MachineAxisWords.axis[AXIS_ROTARY2]};
    const int ranges[2] = {g_Rotary1RangeGiven, g_Rotary2RangeGiven};
    double solved[2] = {0.0, 0.0};
    if (!SolveInverseKinematics(g_ToolAxisVector, previous, ranges, g_Rotary1Range, g_Rotary2Range, solved) &&
        g_MachineKind != MACHINE_NONE) {
        RaiseToolAxisReachAlarm();
        return;
    }
    g_NcTargetPosition.axis[AXIS_ROTARY1] = g_Rotary1Reversed ? -solved[0] : solved[0];
    g_NcTargetPosition.axis[AXIS_ROTARY2] = g_Rotary2Reversed ? -solved[1] : solved[1];
}

// Step 3: the tool-axis vector of the vector mode.
void CompleteToolAxisVector()
{
    if (g_DialectSiemens) {
        if (IsZero3(g_OrientationVector) && !g_OrientationByAngles) {
            if (g_TclVectorInterpolation) {
                for (int k = 0; k < 3; ++k) g_OrientationVector[k] = g_ArcCentreWords[k] = g_ToolAxisAtSwitchOn[k];
            }
            return;
        }
        if (g_OrientationAnglesGiven) ComputeToolAxisVector(g_OrientationAngles, g_OrientationVector);
        for (int k = 0; k < 3; ++k) {
            if (g_TclVectorInterpolation) g_ArcCentreWords[k] = g_OrientationVector[k];
            g_ToolAxisVector[k] = g_OrientationVector[k];
        }
        SolveRotaryTargets();
        return;
    }
    if (g_MotionKind < MOTION_ARC_CW && !IsZero3(g_ArcCentreWords)) {
        for (int k = 0; k < 3; ++k) g_ToolAxisVector[k] = g_ArcCentreWords[k];
        SolveRotaryTargets();
    }
}

// Step 4: the tool axis at the start and end of the block and its change.
void CompleteToolAxisInterpolation()
{
    if (!g_TclVectorInterpolation && g_PlaneRotationAngle == 0.0 && g_SecondRotationAngle == 0.0) return;
    if (g_MoveChanged) {
        const double* end = g_ToolAxisAtSwitchOn;
        if (g_MotionKind < MOTION_ARC_CW && !IsZero3(g_ArcCentreWords)) end = g_ArcCentreWords;
        else if (g_WireTaperMode == 1 && !IsZero3(g_IjkAccumulators)) end = g_IjkAccumulators;
        double next[3] = {end[0], end[1], end[2]};
        for (int k = 0; k < 3; ++k) {
            g_ToolAxisStart[k] = g_ToolAxisEnd[k];
            g_ToolAxisEnd[k] = next[k];
            g_ToolAxisChange[k] = next[k] - g_ToolAxisStart[k];
        }
    } else if (g_WireTaperMode == 1) {
        for (int k = 0; k < 3; ++k) g_ArcCentreWords[k] = g_IjkAccumulators[k];
    }
}

// Step 6 for straight HEIDENHAIN blocks: the polar end point (LP) and the length of an I/J block.
void CompleteHeidenhainLine()
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
    if (g_PolarBlock) {
        double c = 0.0, s = 0.0;
        ExactCosSin(g_PolarEndAngle, &c, &s);
        g_ArcEndDirection[a1] = g_PolarRadius * c;
        g_ArcEndDirection[a2] = g_PolarRadius * s;
        g_NcTargetPosition.axis[a1] = g_ArcCentre[a1] + g_ArcEndDirection[a1];
        g_NcTargetPosition.axis[a2] = g_ArcCentre[a2] + g_ArcEndDirection[a2];
    } else if (g_IjkGiven) {
        g_ArcLength = 0.0;
    }
}

// Step 7: the offset setting ends; OSP G16 adds the selected row to the given axes.
void CompleteOffsetSetting()
{
    g_OffsetSettingL = 0;
    g_OffsetSettingBlock = 0;
    if (g_OspCoordinateSelectMode == 1) {
        const int entry = g_WorkOffsetIndex;
        if (entry >= 0 && entry < WORK_OFFSET_COUNT) {
            for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
                if (g_AxisWordGiven[a]) {
                    g_NcTargetPosition.axis[a] += g_ActiveWorkOffset.axis[a] + g_WorkOffsets[entry].axis[a];
                }
            }
        }
        g_ControlPoint = g_NcTargetPosition;
        g_WorkOffsetIndex = 0;
    }
    g_OspCoordinateSelectMode = 0;
}

// Step 8: G92 coordinate setting.
void CompleteCoordinateSetting()
{
    const int moveMode = g_G92Mode == 1 && !g_G92StartTaken;
    if (!moveMode) {
        for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
            double d = g_ControlPoint.axis[a] - g_NcTargetPosition.axis[a];
            if (a == AXIS_Z && g_ToolLengthCompOn && g_ToolCentreMode == 0) d -= g_ToolLengthOffset;
            if (g_DialectCode == DIALECT_DEFAULT) g_CoordinateSetShift.axis[a] += d;
            g_ActiveWorkOffset.axis[a] += d;
        }
    }
    g_NcCommandedPosition = g_NcTargetPosition;
    g_ControlPoint = g_NcTargetPosition;
    g_NcMoveEnd = g_NcTargetPosition;
    g_NcMoveStart = g_NcTargetPosition;
    g_NcPreviousPosition = g_NcTargetPosition;
    if (moveMode) {
        g_NcStartPoint = g_NcTargetPosition;
        g_G92StartTaken = 1;
    }
}

// Step 10, kinds 0 and 1: the tilted plane from the G68.2 Euler angles I, J, K.
void BuildEulerPlane()
{
    double c[3], s[3];
    for (int k = 0; k < 3; ++k) {
        ExactCosSin(g_TiltedPlaneAngles[k], &c[k], &s[k]);
        if (!IsSpecialAngle(g_TiltedPlaneAngles[k])) g_TiltedPlaneAngles[k] *= M_PI / 180.0;
    }
    double m[9] = {c[2], s[2], 0.0, -s[2], c[2], 0.0, 0.0, 0.0, 1.0};
    const int order323 = g_DialectOsp && g_OspPlaneOrderCode == 323;
    for (int r = 0; r < 3; ++r) {
        double* row = m + 3 * r;
        const double x = row[0], y = row[1], z = row[2];
        if (order323) {
            row[0] = x * c[1] + z * s[1];
            row[2] = z * c[1] - x * s[1];
        } else {
            row[1] = y * c[1] - z * s[1];
            row[2] = z * c[1] + y * s[1];
        }
    }
    for (int r = 0; r < 3; ++r) {
        double* row = m + 3 * r;
        const double x = row[0], y = row[1];
        row[0] = x * c[0] - y * s[0];
        row[1] = y * c[0] + x * s[0];
    }
    for (int k = 0; k < 9; ++k) g_TiltedPlaneMatrix[k] = m[k];
    InvertMatrix3(g_TiltedPlaneMatrix, g_TiltedPlaneInverse);
}

// Step 10, kind 2: the destination work offset row from two rotary words; rows are numbers - 53.
void RotateRowByRotaryWords()
{
    g_LastGCode = 65;
    g_RotaryFollowState = 0;
    const int first = 53;  // number of row 0
    const int m = g_TiltedPlaneMWord, q = g_TiltedPlaneQWord;
    if (m < first || m >= first + WORK_OFFSET_COUNT || q < first || q >= first + WORK_OFFSET_COUNT) {
        RaiseWordRangeAlarm(0);
        return;
    }
    RotateWorkOffsetByRotaryAngles(g_TiltedPlaneMWord, g_TiltedPlaneOrigin[0], g_TiltedPlaneOrigin[1],
                                   g_TiltedPlaneOrigin[2], g_RotaryFollowAngles[0], g_RotaryFollowAngles[1],
                                   g_TiltedPlaneQWord);
}

// Step 10: the tilted working plane by g_RotaryFollowKind.
void CompleteTiltedPlane()
{
    switch (g_RotaryFollowKind) {
    case 2: RotateRowByRotaryWords(); break;
    case 3: {
        for (int r = 0; r < 3; ++r) {
            double unit[3] = {0.0, 0.0, 0.0};
            unit[r] = 1.0;
            ApplyRotaryAxesToPoint(g_RotaryFollowAngles, unit, g_TiltedPlaneMatrix + 3 * r);
        }
        InvertMatrix3(g_TiltedPlaneMatrix, g_TiltedPlaneInverse);
        break;
    }
    case 4:
        BuildCycle800Plane();
        g_ToolLengthCompOn = 1;
        ComputeToolLengthReference();
        break;
    case 0:
    case 1: BuildEulerPlane(); break;
    default: break;
    }
}

// Step 9: the dialect's finishing of G52 and the tilted-plane codes.
void CompleteDialectCodes()
{
    const int g = g_LastGCode;
    if (g_DialectCode == DIALECT_DEFAULT && g == 52) {
        g_SavedActiveWorkOffset = g_ActiveWorkOffset;
        const int entry = g_WorkOffsetIndex;
        if (entry < 0 || entry >= WORK_OFFSET_COUNT) return;
        // The tool stays where it is: the program position is taken again in the shifted frame.
        ChangeActiveWorkOffset(ComposeWorkOffset(entry));
        g_LocalActiveWorkOffset = g_ActiveWorkOffset;
    } else if (g_DialectCode == DIALECT_DEFAULT && (g == 682 || g == 254)) {
        CompleteTiltedPlane();
    } else if (g_DialectOsp && g == 682 && (g_OspPlaneOrderCode == 313 || g_OspPlaneOrderCode == 323)) {
        CompleteTiltedPlane();
    } else if (g_DialectHeidenhain && g == 682 && g_RotaryFollowKind == 5) {
        BuildSpatialPlane();
        g_NcTargetPosition.axis[AXIS_ROTARY1] = g_ControlPoint.axis[AXIS_ROTARY1];
        g_NcTargetPosition.axis[AXIS_ROTARY2] = g_ControlPoint.axis[AXIS_ROTARY2];
        g_RebuildAxisTriad = 1;
        g_RotaryFollowState = 1;
        g_RotaryFollowMode = 1;
        g_ToolLengthCompOn = 1;
        ComputeToolLengthReference();
        RedrawAxisLabels();
    }
}

// Step 11: a feed move with feed 0 that goes somewhere.
void CheckZeroFeed()
{
    if (!g_CheckF0 || g_MotionKind <= 0 || g_FeedValues[0] != 0.0) return;
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
        if (g_NcTargetPosition.axis[a] != g_NcPreviousPosition.axis[a]) {
            g_NcAlarmCode = NC_ALARM_ZERO_FEED;
            return;
        }
    }
}

double Length2(double x, double y) { return std::sqrt(x * x + y * y); }

// Arc steps 7 to 9: radii, the radius alarm, the sweep and the arc length; sense 2 or 3.
void FinishArcGeometry(int sense, int wireCase)
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2, n = g_PlaneNormalAxis;
    double* u = g_ArcStartDirection;
    double* e = g_ArcEndDirection;
    e[n] = 0.0;
    u[n] = 0.0;
    g_ArcEndRadius = Length2(e[a1], e[a2]);
    if (g_ArcStartRadius > 0.0) {
        u[a1] /= g_ArcStartRadius;
        u[a2] /= g_ArcStartRadius;
    }
    if (std::fabs(g_ArcStartRadius - g_ArcEndRadius) >= (double)g_ArcRadiusTolerance) {
        g_NcAlarmCode = NC_ALARM_ARC_RADIUS;
    }
    if (g_ArcEndRadius > 0.0) {
        e[a1] /= g_ArcEndRadius;
        e[a2] /= g_ArcEndRadius;
    }
    double sweep = 2.0 * M_PI;
    const double* prev = g_NcPreviousPosition.axis;
    const double* target = g_NcTargetPosition.axis;
    if (!(prev[a1] == target[a1] && prev[a2] == target[a2])) {
        double dot = e[a1] * u[a1] + e[a2] * u[a2];
        dot = dot > 1.0 ? 1.0 : dot < -1.0 ? -1.0 : dot;
        sweep = std::acos(dot);
        const double c = e[a2] * u[a1] - e[a1] * u[a2];
        if ((sense == MOTION_ARC_CW && c > 0.0) || (sense == MOTION_ARC_CCW && c < 0.0)) sweep = 2.0 * M_PI - sweep;
        if (sweep == 0.0) sweep = 2.0 * M_PI;
    }
    g_FeedValues[1] = sweep;
    g_ArcLength = (g_ArcStartRadius + g_ArcEndRadius) * sweep * 0.5;
    if (wireCase && g_MachineWire && g_WireTaperMode > 0) {
        AdjustWireArcLength(&g_ArcLength, sweep, g_ArcStartRadius, g_ArcEndRadius);
    }
    // v = w x u, the third vector the drivers interpolate rotated arcs with.
    const double* w = g_ArcNormal;
    g_ArcSideDirection[0] = w[1] * u[2] - w[2] * u[1];
    g_ArcSideDirection[1] = w[2] * u[0] - w[0] * u[2];
    g_ArcSideDirection[2] = w[0] * u[1] - w[1] * u[0];
}

void SetArcNormal()
{
    for (int k = 0; k < 3; ++k) g_ArcNormal[k] = 0.0;
    g_ArcNormal[g_PlaneNormalAxis] = 1.0;
}

// Arc steps 2 and 3: the centre from I, J, K or from the radius.
void ComputeArcCentre()
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
    const double* prev = g_NcPreviousPosition.axis;
    const double* target = g_NcTargetPosition.axis;
    double* u = g_ArcStartDirection;
    if (g_ArcDefinitionKind == 1) {
        if (g_DialectHeidenhain) {
            u[a1] = prev[a1] - g_ArcCentre[a1];
            u[a2] = prev[a2] - g_ArcCentre[a2];
        } else if (g_IjkGiven) {
            const double* offset = g_MachineWire && g_ToolCentreMode == 2 ? g_WireArcWords : g_ArcCentreWords;
            for (int a : {a1, a2}) {
                g_ArcCentre[a] = prev[a] + offset[a];
                u[a] = -offset[a];
            }
        }
        return;
    }
    if (prev[a1] == target[a1] && prev[a2] == target[a2]) return;
    const double d1 = (target[a1] - prev[a1]) * 0.5;
    const double d2 = (target[a2] - prev[a2]) * 0.5;
    const double r = ScaleArcRadius(g_ArcStartRadius);
    const double h2 = r * r - (d1 * d1 + d2 * d2);
    const double h = h2 > 0.0 ? std::sqrt(h2) : 0.0;
    double p1 = d2, p2 = -d1;
    const int kind = g_BlockMotionKind;
    if ((kind == MOTION_ARC_CW && r < 0.0) || (kind == MOTION_ARC_CCW && r > 0.0)) p1 = -p1, p2 = -p2;
    const double length = Length2(p1, p2);
    p1 /= length;
    p2 /= length;
    g_ArcCentre[a1] = prev[a1] + d1 + h * p1;
    g_ArcCentre[a2] = prev[a2] + d2 + h * p2;
    u[a1] = prev[a1] - g_ArcCentre[a1];
    u[a2] = prev[a2] - g_ArcCentre[a2];
}

}  // namespace

void ComputeArcGeometry()
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2, n = g_PlaneNormalAxis;
    const double* prev = g_NcPreviousPosition.axis;
    double* target = g_NcTargetPosition.axis;
    SetArcNormal();
    g_ArcRise = target[n] - prev[n];
    ComputeArcCentre();
    g_ArcCentre[n] = prev[n];
    g_ArcStartDirection[n] = 0.0;
    const int samePoint = prev[a1] == target[a1] && prev[a2] == target[a2];
    if (!g_DirectionGiven && (g_ArcDefinitionKind == 2 || !g_IjkGiven) && samePoint) {
        g_ArcLength = 0.0;
        g_FeedValues[1] = 0.0;
        return;
    }
    double* e = g_ArcEndDirection;
    if (g_DialectHeidenhain && g_PolarBlock) {
        double c = 0.0, s = 0.0;
        ExactCosSin(g_PolarEndAngle, &c, &s);
        e[a1] = g_PolarRadius * c;
        e[a2] = g_PolarRadius * s;
        target[a1] = g_ArcCentre[a1] + e[a1];
        target[a2] = g_ArcCentre[a2] + e[a2];
    } else {
        e[a1] = target[a1] - g_ArcCentre[a1];
        e[a2] = target[a2] - g_ArcCentre[a2];
        g_ArcStartRadius = Length2(g_ArcStartDirection[a1], g_ArcStartDirection[a2]);
    }
    FinishArcGeometry(g_BlockMotionKind, 1);
}

void ComputeArcFromCentre()
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
    SetArcNormal();
    for (int a : {a1, a2}) {
        g_ArcStartDirection[a] = g_NcPreviousPosition.axis[a] - g_ArcCentre[a];
        g_ArcEndDirection[a] = g_NcTargetPosition.axis[a] - g_ArcCentre[a];
    }
    g_ArcStartRadius = Length2(g_ArcStartDirection[a1], g_ArcStartDirection[a2]);
    FinishArcGeometry(g_MotionKind, 0);
}

void AdjustWireArcLength(double* arcLength, double sweep, double startRadius, double endRadius)
{
    const double l = g_ToolLength;
    const double s1 = std::sin(g_SecondRotationAngle);
    const double s2 = std::sin(g_PlaneRotationAngle);
    int kind = g_MotionKind;
    if (g_ToolBasePoint != 0) kind = 5 - kind;
    double e = 0.0, f = 0.0;
    if (kind == MOTION_ARC_CW) {
        e = std::fabs(s1 * l + startRadius);
        f = std::fabs(s2 * l + endRadius);
    } else {
        e = std::fabs(startRadius - s1 * l);
        f = std::fabs(endRadius - s2 * l);
    }
    const double maxStart = startRadius > e ? startRadius : e;
    const double maxEnd = endRadius > f ? endRadius : f;
    if (maxStart > startRadius || maxEnd > endRadius) *arcLength = (maxEnd + maxStart) * sweep * 0.5;
}

void CompleteNcBlock()
{
    const int g = g_LastGCode;
    if (g == 8110) {
        RotateWorkOffsetsWithTable(g_NcTargetPosition.axis, g_WWordNumber);
        g_NcTargetPosition = g_NcPreviousPosition;
        g_NcCommandedPosition = g_NcPreviousPosition;
        return;
    }
    if (g_CoordinateRotationState == 1) CompleteRotation();  // set by G68 (OSP G69) or OSP G127
    if (g_ToolCentreMode == 2) {
        CompleteToolAxisVector();
        CompleteToolAxisInterpolation();
    }
    if (g_DialectHeidenhain && g_IjkGiven == 1) {
        for (int a : {g_PlaneAxis1, g_PlaneAxis2}) {
            g_ArcCentre[a] = g_ArcCentreWords[a] + (g_IncrementalMode ? g_NcPreviousPosition.axis[a] : 0.0);
        }
        g_IjkGiven = 2;
    }
    if (g_MotionKind == MOTION_ARC_CW || g_MotionKind == MOTION_ARC_CCW) {
        ComputeArcGeometry();
    } else if (g_DialectHeidenhain) {
        CompleteHeidenhainLine();
    }
    CompleteOffsetSetting();
    if (g_LastGCode == 92) {
        CompleteCoordinateSetting();
    } else {
        CompleteDialectCodes();
    }
    CheckZeroFeed();
}
