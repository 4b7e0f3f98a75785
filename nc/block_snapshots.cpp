// The block snapshots of motion delivery: saving the state of a block, the three restores the
// compensation look-ahead uses, and the inner / outer classification of a compensation corner.
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/motion_delivery.h"
#include "nc/radius_compensation.h"

NcBlockSnapshot g_BlockSnapshot = {};
NcBlockSnapshot g_PreviousBlockSnapshot = {};
NcBlockSnapshot g_CompensationSnapshot = {};
NcBlockSnapshot g_PreviousCompensationSnapshot = {};

namespace {

// The groups saved only under conditions: the further arc vectors while a coordinate rotation is on,
// the rotation fields in tool centre mode 2, and there the tool-axis vectors when they interpolate.
int SavesArcVectors()
{
    return g_CoordinateRotationState > 0;
}

int SavesRotations()
{
    return g_ToolCentreMode == 2;
}

int SavesToolAxis(const NcBlockSnapshot& s)
{
    return g_ToolCentreMode == 2 &&
           (g_TclVectorInterpolation || s.planeRotationAngle != 0.0 || s.secondRotationAngle != 0.0);
}

void CopyVector(double* to, const double* from)
{
    std::memcpy(to, from, 3 * sizeof(double));
}

// The state from snapshot s with the given positions.
void RestoreState(const NcBlockSnapshot& s, const AxisPosition& previous, const AxisPosition& target)
{
    g_BlockLineNumber = s.line;
    g_MotionKind = s.kind;
    g_NcPreviousPosition = previous;
    g_NcTargetPosition = target;
    CopyVector(g_ArcCentre, s.centre);
    CopyVector(g_ArcStartDirection, s.values);
    CopyVector(g_ArcEndDirection, s.values + 3);
    g_ArcStartRadius = s.values[6];
    g_ArcEndRadius = s.values[7];
    g_FeedValues[1] = s.values[8];
    g_ArcLength = s.values[9];
    g_FeedValues[0] = s.values[10];
    if (SavesArcVectors()) {
        CopyVector(g_ArcNormal, s.values + 11);
        CopyVector(g_ArcSideDirection, s.values + 14);
    }
    g_CutCodeState = s.cutState;
    if (SavesRotations()) {
        g_SecondRotationMode = s.secondRotationMode;
        g_SecondRotationAngle = s.secondRotationAngle;
        g_PlaneRotationMode = s.planeRotationMode;
        g_PlaneRotationAngle = s.planeRotationAngle;
        if (SavesToolAxis(s)) {
            CopyVector(g_ToolAxisStart, s.values + 17);
            CopyVector(g_ToolAxisChange, s.values + 20);
            for (int k = 0; k < 3; ++k) g_ToolAxisEnd[k] = g_ToolAxisStart[k] + g_ToolAxisChange[k];
        }
    }
}

// Tangent of a snapshot's element in the plane at its end (atEnd 1) or start.
void ElementTangent(const NcBlockSnapshot& s, int atEnd, double* t1, double* t2)
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
    if (s.kind == MOTION_ARC_CW || s.kind == MOTION_ARC_CCW) {
        const double* d = atEnd ? s.values + 3 : s.values;
        const double sense = s.kind == MOTION_ARC_CCW ? 1.0 : -1.0;
        *t1 = -sense * d[a2];
        *t2 = sense * d[a1];
        return;
    }
    *t1 = s.target.axis[a1] - s.previous.axis[a1];
    *t2 = s.target.axis[a2] - s.previous.axis[a2];
}

}  // namespace

int CurrentLineCounter()
{
    const int depth = g_SubprogramDepth;
    if (depth <= 0) return g_NcLineNumber;
    return g_SubprogramLineCount[depth <= MAX_SUBPROGRAM_DEPTH ? depth - 1 : MAX_SUBPROGRAM_DEPTH - 1];
}

void SaveBlockState()
{
    g_PreviousBlockSnapshot = g_BlockSnapshot;
    g_PreviousCompensationSnapshot = g_CompensationSnapshot;
    g_CompensationSnapshot = g_CompensationRecord;
    NcBlockSnapshot& s = g_BlockSnapshot;
    s.line = CurrentLineCounter();
    s.kind = g_MotionKind;
    s.previous = g_NcPreviousPosition;
    s.target = g_NcTargetPosition;
    CopyVector(s.centre, g_ArcCentre);
    CopyVector(s.values, g_ArcStartDirection);
    CopyVector(s.values + 3, g_ArcEndDirection);
    s.values[6] = g_ArcStartRadius;
    s.values[7] = g_ArcEndRadius;
    s.values[8] = g_FeedValues[1];
    s.values[9] = g_ArcLength;
    s.values[10] = g_CutterCompensationState != 0 ? g_CompensationRecord.values[10] : g_FeedValues[0];
    if (SavesArcVectors()) {
        CopyVector(s.values + 11, g_ArcNormal);
        CopyVector(s.values + 14, g_ArcSideDirection);
    }
    s.cutState = g_CutCodeState;
    if (SavesRotations()) {
        s.secondRotationMode = g_SecondRotationMode;
        s.secondRotationAngle = g_SecondRotationAngle;
        s.planeRotationMode = g_PlaneRotationMode;
        s.planeRotationAngle = g_PlaneRotationAngle;
        if (SavesToolAxis(s)) {
            CopyVector(s.values + 17, g_ToolAxisStart);
            CopyVector(s.values + 20, g_ToolAxisChange);
        }
    }
}

void RestorePreviousBlockState()
{
    RestoreState(g_BlockSnapshot, g_BlockSnapshot.previous, g_BlockSnapshot.target);
}

void RestoreBlockStateCopy()
{
    RestoreState(g_BlockSnapshot, g_CompensationSnapshot.previous, g_CompensationSnapshot.target);
}

void RestoreLookaheadState()
{
    RestoreState(g_PreviousBlockSnapshot, g_PreviousCompensationSnapshot.previous,
                 g_PreviousCompensationSnapshot.target);
}

void ClassifyCompensationCorner()
{
    double p1 = 0.0, p2 = 0.0, n1 = 0.0, n2 = 0.0;
    ElementTangent(g_PreviousBlockSnapshot, 1, &p1, &p2);
    ElementTangent(g_BlockSnapshot, 0, &n1, &n2);
    const double cross = p1 * n2 - p2 * n1;
    g_CompensationOuterCorner = (cross > 0.0 && g_CompensationValue < 0.0) || (cross < 0.0 && g_CompensationValue > 0.0);
}
