// FetchNextMotion: one motion per call, from the queues first (tool-change route, rapid steps,
// normal-axis moves, wire inclinations, cycle points and compensation corners), then from the next
// line: the program start, end-of-record lines, rapid planning, canned cycles, reference returns and
// the cutter compensation look-ahead that hands out each element one block late.
#include "nc/motion_delivery.h"

#include <cmath>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "nc/block_interpreter.h"
#include "nc/block_state.h"
#include "nc/canned_cycles.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "platform/ui/progress.h"
#include "nc/radius_compensation.h"
#include "nc/rapid_planning.h"
#include "nc/tool_change_route.h"

int g_CycleRapidInHole = 0;
int g_CornerMotion = 0;
int g_CompensationOuterCorner = 0;
int g_DataCheckRunning = 0;

namespace {

int g_RapidStepReadIndex = 0;  // rapid steps handed out (the other queues share g_QueueReadIndex)

int IsArcKind(int kind)
{
    return kind == MOTION_ARC_CW || kind == MOTION_ARC_CCW;
}

// Step 2: the fields every call that is not a route step starts from.
void ClearPerCallFields()
{
    ClearPerBlockFields();
    g_CycleRapidInHole = 0;
    g_CornerMotion = 0;
}

// Local coordinate block (G52) met during a queue: the last entry moves the target into the new
// offset's frame, and the active offset is the new one once the queue is empty.
void ApplyLocalOffsetToQueueEntry(int last)
{
    if (!g_LocalCoordinateBlock) return;
    if (last) {
        for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
            const double shift = g_SavedActiveWorkOffset.axis[a] - g_LocalActiveWorkOffset.axis[a];
            g_NcMoveEnd.axis[a] += shift;
            g_NcTargetPosition.axis[a] += shift;
        }
    }
    g_ActiveWorkOffset = last ? g_LocalActiveWorkOffset : g_SavedActiveWorkOffset;
}

// Step 3: the next rapid-path step.
void HandOutRapidStep()
{
    const int k = ++g_RapidStepReadIndex;
    g_MotionKind = MOTION_RAPID;
    g_MoveChanged = 1;
    g_NcPreviousPosition = g_NcTargetPosition;
    if (g_G00Mode == RAPID_ACCELERATED) {
        PositionOnAcceleratedMove(g_StepQueueCount, k, &g_NcTargetPosition);
    } else if (k - 1 < RAPID_STEP_QUEUE_SIZE) {
        g_NcTargetPosition = g_RapidStepQueue[k - 1];
    }
    if (k >= g_StepQueueCount) {
        g_StepQueueCount = 0;
        g_RapidStepReadIndex = 0;
    }
}

// Splits the rapid from g_NcPreviousPosition to g_NcTargetPosition and hands out its first step;
// 0 when it is not split.
int SplitRapid()
{
    if (g_DataCheckRunning) return 0;
    int count = 0;
    const AxisPosition start = g_NcPreviousPosition;
    const AxisPosition end = g_NcTargetPosition;
    PlanRapidMove(g_G00Mode, &start, &end, &count, g_RapidStepQueue);
    if (count <= 0) return 0;
    g_StepQueueCount = count;
    g_RapidStepReadIndex = 0;
    g_NcTargetPosition = start;
    HandOutRapidStep();
    return 1;
}

// Step 4: the next normal-axis entry.
void HandOutNormalAxisEntry()
{
    const int i = g_QueueReadIndex++;
    const int last = g_QueueReadIndex >= g_NormalAxisQueueCount;
    g_MoveChanged = 1;
    g_MotionKind = g_NormalAxisQueueKinds[i];
    g_NcPreviousPosition = g_NcTargetPosition;
    g_NcTargetPosition.axis[g_PlaneNormalAxis] = g_NormalAxisQueueValues[i];
    ApplyLocalOffsetToQueueEntry(last);
    if (last) {
        g_NormalAxisQueueCount = 0;
        g_QueueReadIndex = 0;
    }
}

// Step 5: the next wire inclination entry (no travel).
void HandOutWireTaperEntry()
{
    const int i = g_QueueReadIndex++;
    g_MoveChanged = 1;
    for (int a = 0; a < 3; ++a) g_NcPreviousPosition.axis[a] = g_NcTargetPosition.axis[a];
    g_ToolAxisStart[0] = g_WireTaperQueue[i][0];
    g_ToolAxisStart[1] = g_WireTaperQueue[i][1];
    g_ToolAxisChange[0] = g_WireTaperQueue[i][2];
    g_ToolAxisChange[1] = g_WireTaperQueue[i][3];
    if (g_QueueReadIndex >= g_WireTaperQueueCount) {
        g_WireTaperQueueCount = 0;
        g_QueueReadIndex = 0;
    }
}

// The arc geometry of an arc entry about g_LookaheadArcCentre.
void ComputeQueuedArcGeometry()
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
    std::memcpy(g_ArcCentre, g_LookaheadArcCentre, sizeof g_ArcCentre);
    double rs = 0.0, re = 0.0;
    for (int a : {a1, a2}) {
        g_ArcStartDirection[a] = g_NcPreviousPosition.axis[a] - g_ArcCentre[a];
        g_ArcEndDirection[a] = g_NcTargetPosition.axis[a] - g_ArcCentre[a];
        rs += g_ArcStartDirection[a] * g_ArcStartDirection[a];
        re += g_ArcEndDirection[a] * g_ArcEndDirection[a];
    }
    rs = std::sqrt(rs);
    re = std::sqrt(re);
    for (int a : {a1, a2}) {
        if (rs > 0.0) g_ArcStartDirection[a] /= rs;
        if (re > 0.0) g_ArcEndDirection[a] /= re;
    }
    g_ArcStartRadius = rs;
    g_ArcEndRadius = re;
    const double* u = g_ArcStartDirection;
    const double* e = g_ArcEndDirection;
    double dot = u[a1] * e[a1] + u[a2] * e[a2];
    dot = dot > 1.0 ? 1.0 : dot < -1.0 ? -1.0 : dot;
    double sweep = std::acos(dot);
    const double cross = u[a1] * e[a2] - u[a2] * e[a1];
    if ((g_MotionKind == MOTION_ARC_CW && cross > 0.0) || (g_MotionKind == MOTION_ARC_CCW && cross < 0.0)) {
        sweep = 2.0 * M_PI - sweep;
    }
    if (sweep == 0.0) sweep = 2.0 * M_PI;
    g_FeedValues[1] = sweep;
    g_ArcLength = (rs + re) / 2.0 * sweep;
}

// Sets the target of look-ahead entry i (its own point, or its in-plane values and normal value).
void SetTargetFromLookahead(int i)
{
    if (i < LOOKAHEAD_POINT_COUNT) {
        for (int a = 0; a < 3; ++a) g_NcTargetPosition.axis[a] = g_LookaheadPoints[i][a];
        return;
    }
    g_NcTargetPosition.axis[g_PlaneAxis1] = g_LookaheadPlaneValues[2 * i];
    g_NcTargetPosition.axis[g_PlaneAxis2] = g_LookaheadPlaneValues[2 * i + 1];
    g_NcTargetPosition.axis[g_PlaneNormalAxis] = g_LookaheadValues[i];
}

// Step 6 without the compensation fields: look-ahead entry i becomes the motion.
void HandOutLookaheadEntry(int i)
{
    const int last = i + 1 >= g_LookaheadCount;
    g_MoveChanged = 1;
    g_MotionKind = g_LookaheadKinds[i];
    if (IsArcKind(g_MotionKind)) g_ArcMirrorPending = 1;
    g_NcPreviousPosition = g_NcTargetPosition;
    SetTargetFromLookahead(i);
    ApplyLocalOffsetToQueueEntry(last);
    const int n = g_PlaneNormalAxis;
    if (g_MotionKind == MOTION_RAPID && g_CannedCycleCode != 80) {
        const double z = g_NcTargetPosition.axis[n], previous = g_NcPreviousPosition.axis[n];
        g_CycleRapidInHole = z > previous || (z < previous && i >= 2);
    }
    if (IsArcKind(g_MotionKind)) ComputeQueuedArcGeometry();
    g_QueueReadIndex = i + 1;
    if (last) {
        g_LookaheadCount = 0;
        g_QueueReadIndex = 0;
    }
}

// Step 6.
void HandOutNextLookaheadEntry()
{
    if (g_CutterCompensationState != 0) {
        g_FeedValues[0] = g_ModalFeed;
        g_CornerMotion = 1;
    }
    g_BlockLineNumber = CurrentLineCounter();
    HandOutLookaheadEntry(g_QueueReadIndex);
}

// Step 7: the second leg of a reference return.
void HandOutReferenceSecondLeg()
{
    g_MotionKind = MOTION_RAPID;
    g_NcPreviousPosition = g_NcTargetPosition;
    if (g_ReferenceReturnKind == 1) {
        const int p = g_ReferencePointIndex;
        if (p >= 0 && p < REFERENCE_POINT_COUNT && g_ReferencePointGiven[p]) {
            g_ReferenceReturnPhase = 2;
            for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
                if (!g_ReturnIntermediateGiven[a]) continue;
                g_MachineAxisWords.axis[a] = g_ReferencePoints[p][a];
                g_NcCommandedPosition.axis[a] = g_ReferencePoints[p][a] - g_ActiveWorkOffset.axis[a];
            }
            return;
        }
        g_ReferenceReturnPhase = 0;
        for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
            if (!g_ReturnIntermediateGiven[a]) continue;
            double value = g_NcStartPoint.axis[a];
            if (a == g_ToolAxisIndex && g_ToolLengthCompOn && g_ToolCentreMode == 0) value -= g_ToolLengthOffset;
            g_NcTargetPosition.axis[a] = g_NcCommandedPosition.axis[a] = value;
        }
        return;
    }
    g_ReferenceReturnPhase = 0;
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
        if (!g_ReturnFromReferenceGiven[a]) continue;
        g_NcTargetPosition.axis[a] = g_NcCommandedPosition.axis[a] = g_ReturnFromReferencePoint[a];
    }
}

// Step 12: the first leg of G28 / G30 / G29, to the intermediate point.
void StartReferenceReturn()
{
    g_ReferenceReturnPhase = 1;
    g_MotionKind = MOTION_RAPID;
    const int* given = g_ReferenceReturnKind == 1 ? g_ReturnIntermediateGiven : g_ReturnFromReferenceGiven;
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
        if (given[a]) g_NcTargetPosition.axis[a] = g_ReturnIntermediatePoint[a];
    }
    if (g_AutomaticToolOffset) {
        for (int a = 0; a < 3; ++a) {
            g_NcTargetPosition.axis[a] -= g_HeadTipOffset[a];
            g_NcCommandedPosition.axis[a] = g_NcTargetPosition.axis[a];
        }
    }
}

// An end-of-record line: its first character (or the second after a blank) is the EOR character.
int IsEorLine()
{
    if (g_ActiveReaderPlugin >= 0 || g_EndOfRecordChar == ' ') return 0;
    const char* line = g_NcLineBuffer;
    return line[0] == g_EndOfRecordChar || (line[0] == ' ' && line[1] == g_EndOfRecordChar);
}

void ClearReturnAxisFlags()
{
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) g_ReturnIntermediateGiven[a] = g_ReturnFromReferenceGiven[a] = 0;
}

// Step 12, canned cycle with a hole position: its points queued and the first one handed out.
void StartCannedCycleBlock()
{
    if (g_NoCycleBlock) {
        g_NoCycleBlock = 0;
        return;
    }
    const AxisPosition from = g_NcPreviousPosition;
    if (QueueCannedCyclePoints() <= 0) return;
    SaveBlockState();
    g_NcTargetPosition = from;
    HandOutLookaheadEntry(0);
    if (g_MotionKind == MOTION_RAPID) {
        const int inHole = g_CycleRapidInHole;
        if (SplitRapid()) g_CycleRapidInHole = inHole;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// The compensation look-ahead

namespace {

int MovesInPlane(int lookahead)
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
    if (g_NcPreviousPosition.axis[a1] != g_NcTargetPosition.axis[a1]) return 1;
    if (g_NcPreviousPosition.axis[a2] != g_NcTargetPosition.axis[a2]) return 1;
    return lookahead && IsArcKind(g_MotionKind) && g_ArcLength > 0.0;
}

// A block that does not move in the plane: a normal-axis entry when it moves along the normal, else a
// wire inclination entry when the tool axis turns. A full queue takes no more entries.
void QueueNonPlaneBlock()
{
    const int n = g_PlaneNormalAxis;
    if (g_NcPreviousPosition.axis[n] != g_NcTargetPosition.axis[n]) {
        if (g_NormalAxisQueueCount >= NORMAL_AXIS_QUEUE_SIZE) return;
        g_NormalAxisQueueKinds[g_NormalAxisQueueCount] = g_MotionKind;
        g_NormalAxisQueueValues[g_NormalAxisQueueCount++] = g_NcTargetPosition.axis[n];
        return;
    }
    if (g_WireTaperMode == 1 && (g_ToolAxisChange[0] != 0.0 || g_ToolAxisChange[1] != 0.0)) {
        if (g_WireTaperQueueCount >= NORMAL_AXIS_QUEUE_SIZE) return;
        double* entry = g_WireTaperQueue[g_WireTaperQueueCount++];
        entry[0] = g_ToolAxisStart[0];
        entry[1] = g_ToolAxisStart[1];
        entry[2] = g_ToolAxisChange[0];
        entry[3] = g_ToolAxisChange[1];
    }
}

// Appends a look-ahead entry to point (X, Y, Z).
void AppendLookaheadPoint(int kind, const double* point)
{
    const int i = g_LookaheadCount;
    if (i >= g_LookaheadCapacity || g_LookaheadKinds == nullptr) return;
    g_LookaheadKinds[i] = kind;
    g_LookaheadValues[i] = point[g_PlaneNormalAxis];
    g_LookaheadPlaneValues[2 * i] = point[g_PlaneAxis1];
    g_LookaheadPlaneValues[2 * i + 1] = point[g_PlaneAxis2];
    if (i < LOOKAHEAD_POINT_COUNT) std::memcpy(g_LookaheadPoints[i], point, 3 * sizeof(double));
    g_LookaheadCount = i + 1;
}

// The end of the input while an element waits in the look-ahead: it is handed out with its
// compensated positions instead of being dropped, and the queued normal-axis moves follow it.
void EndInputInLookahead()
{
    if (g_CutterCompensationState == 1) {
        RestoreBlockStateCopy();
        g_CutterCompensationState = 0;
        g_MoveChanged = 1;
        if (IsArcKind(g_MotionKind)) g_ArcMirrorPending = 1;
    }
    EndNcInput();
    if (g_NcRunState == NC_RUN_FINISHED && (g_NormalAxisQueueCount > 0 || g_WireTaperQueueCount > 0)) {
        g_NcRunState = NC_RUN_INPUT_ENDED;
    }
}

// Mode 2, save and the previous element back: the look-ahead ends with the cancel element.
void FinishLookaheadWithCancel(int mode)
{
    ComputeRadiusCompensation(mode);
    SaveBlockState();
    RestoreLookaheadState();
}

// Recomputes the end direction and end radius of an arc from its (moved) target.
void RecomputeArcEnd()
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
    const double e1 = g_NcTargetPosition.axis[a1] - g_ArcCentre[a1];
    const double e2 = g_NcTargetPosition.axis[a2] - g_ArcCentre[a2];
    const double r = std::sqrt(e1 * e1 + e2 * e2);
    g_ArcEndRadius = r;
    g_ArcEndDirection[a1] = r > 0.0 ? e1 / r : 0.0;
    g_ArcEndDirection[a2] = r > 0.0 ? e2 / r : 0.0;
    g_ArcMirrorPending = 1;
}

// Reads and interprets the next line for the look-ahead; 0 when the reader has none.
int ReadAndInterpretNext()
{
    if (!ReadNextNcLine()) return 0;
    InterpretNcBlock(g_NcLineBuffer);
    return 1;
}

// The block that switched compensation on.
void StartCompensation()
{
    if (!MovesInPlane(0) && !ReadUntilMotion()) return;
    ComputeRadiusCompensation(0);
    SaveBlockState();
    if (!ReadUntilMotion()) return;
    while (!MovesInPlane(1)) {
        QueueNonPlaneBlock();
        if (!ReadAndInterpretNext()) return;
    }
    if (g_NcRunState != NC_RUN_READING) return;
    ComputeRadiusCompensation(1);
    SaveBlockState();
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
    const double start1 = g_CompensationRecord.previous.axis[a1];
    const double start2 = g_CompensationRecord.previous.axis[a2];
    RestoreLookaheadState();
    g_NcTargetPosition.axis[a1] = start1;
    g_NcTargetPosition.axis[a2] = start2;
    if (IsArcKind(g_MotionKind)) RecomputeArcEnd();
    if (g_MachineWire && g_BlockSnapshot.planeRotationAngle != 0.0) {
        const double angle = g_BlockSnapshot.planeRotationAngle;
        g_SecondRotationAngle = 0.0;
        g_PlaneRotationAngle = angle;
        g_BlockSnapshot.secondRotationAngle = angle;
        g_PlaneRotationMode = g_SecondRotationMode = g_CompensationSide == 1 ? 0 : 2;
    }
}

// A compensated element of a snapshot pair as a path element.
PathElement ElementOf(const NcBlockSnapshot& block, const NcBlockSnapshot& compensated)
{
    PathElement e = {};
    e.kind = block.kind;
    for (int a = 0; a < 3; ++a) {
        e.start[a] = compensated.previous.axis[a];
        e.end[a] = compensated.target.axis[a];
        e.centre[a] = block.centre[a];
    }
    e.radius = compensated.values[6];
    return e;
}

// Unit direction of point from the arc centre in the plane, into values (3 doubles by axis).
void SetArcDirection(const double* centre, const double* point, double* values, double* radius)
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
    const double d1 = point[a1] - centre[a1], d2 = point[a2] - centre[a2];
    const double r = std::sqrt(d1 * d1 + d2 * d2);
    values[a1] = r > 0.0 ? d1 / r : 0.0;
    values[a2] = r > 0.0 ? d2 / r : 0.0;
    if (radius != nullptr) *radius = r;
}

// Inner corner with an intersection: the new element starts at it and the previous one ends there.
void CutElementsAtIntersection(const PathIntersection& x)
{
    NcBlockSnapshot& next = g_BlockSnapshot;
    NcBlockSnapshot& previous = g_PreviousBlockSnapshot;
    for (int a = 0; a < 3; ++a) {
        g_CompensationSnapshot.previous.axis[a] = x.pointB[0][a];
        g_PreviousCompensationSnapshot.target.axis[a] = x.pointA[0][a];
    }
    if (IsArcKind(next.kind)) {
        const double keep = 1.0 - x.onB[0];
        next.values[8] *= keep;
        next.values[9] *= keep;
        g_CompensationSnapshot.values[9] *= keep;
        SetArcDirection(next.centre, x.pointB[0], next.values, nullptr);
    }
    if (IsArcKind(previous.kind)) {
        const double keep = x.onA[0];
        previous.values[8] *= keep;
        previous.values[9] *= keep;
        g_PreviousCompensationSnapshot.values[9] *= keep;
        SetArcDirection(previous.centre, x.pointA[0], previous.values + 3, &previous.values[7]);
    }
}

int DiffersInUnits(const double* a, const double* b, int axes)
{
    for (int k = 0; k < axes; ++k) {
        const int axis = axes == 2 ? (k == 0 ? g_PlaneAxis1 : g_PlaneAxis2) : k;
        if (ToIntegerUnits(a[axis]) != ToIntegerUnits(b[axis])) return 1;
    }
    return 0;
}

void HandleInnerCorner()
{
    const double* end = g_PreviousCompensationSnapshot.target.axis;
    const double* start = g_CompensationSnapshot.previous.axis;
    if (DiffersInUnits(end, start, 2)) {
        const PathElement a = ElementOf(g_PreviousBlockSnapshot, g_PreviousCompensationSnapshot);
        const PathElement b = ElementOf(g_BlockSnapshot, g_CompensationSnapshot);
        const int axes[3] = {g_PlaneAxis1, g_PlaneAxis2, g_PlaneNormalAxis};
        PathIntersection x;
        IntersectPathElements(&a, &b, axes, &x);
        if (x.count >= 1 && x.code == 0) {
            CutElementsAtIntersection(x);
            return;
        }
    }
    if (!DiffersInUnits(end, start, 3)) return;
    const double startPoint[3] = {start[0], start[1], start[2]};
    AppendLookaheadPoint(MOTION_LINEAR, startPoint);
    const int gouge = std::fabs(end[g_PlaneAxis1] - start[g_PlaneAxis1]) > 0.01 ||
                      std::fabs(end[g_PlaneAxis2] - start[g_PlaneAxis2]) > 0.01;
    if (gouge && g_RadiusCheckEnabled && !g_DataCheckRunning) ListRadiusOffsetGouge(g_NcLineBuffer);
}

void HandleOuterCorner()
{
    const double value = g_CompensationValue;
    const int kind = value > 0.0 ? MOTION_ARC_CW : MOTION_ARC_CCW;
    const double* start = g_PreviousCompensationSnapshot.target.axis;
    const double* end = g_CompensationSnapshot.previous.axis;
    const double* corner = g_PreviousBlockSnapshot.target.axis;
    if (g_CornerArcBlock) {
        g_CornerArcBlock = 0;
        for (int a = 0; a < 3; ++a) g_LookaheadArcCentre[a] = corner[a];
        AppendLookaheadPoint(kind, end);
        return;
    }
    const int axes[3] = {g_PlaneAxis1, g_PlaneAxis2, g_PlaneNormalAxis};
    double points[3][3];
    const int count = ComputeArcEnvelopePoints(kind, start, end, corner, std::fabs(value), axes, points);
    for (int k = 0; k < count; ++k) {
        if (g_NormalAxisQueueCount > 0) points[k][g_PlaneNormalAxis] = g_NormalAxisQueueValues[g_NormalAxisQueueCount - 1];
        AppendLookaheadPoint(MOTION_LINEAR, points[k]);
    }
}

// The next line of the look-ahead: end-of-record lines of a sub-program are passed over; in the main
// program one ends the input (or, with "ONLY G40" OFFSET after a cancel, the look-ahead). 0 when the
// call ends here.
int ReadLookaheadLine()
{
    for (;;) {
        if (!ReadNextNcLine()) {
            if (g_NcRunState != NC_RUN_READING) EndInputInLookahead();
            return 0;
        }
        if (!IsEorLine()) return 1;
        if (g_SubprogramDepth > 0) {
            g_EorBlock = 1;
            continue;
        }
        if (g_CutterCompensationState == 2 && g_CompensationCancelMode == 1) {
            FinishLookaheadWithCancel(2);
        } else {
            EndInputInLookahead();
        }
        return 0;
    }
}

// Compensation active: the new element was interpreted after the pending one was restored.
void ContinueCompensation()
{
    while (!MovesInPlane(1)) {
        QueueNonPlaneBlock();
        if (g_CutterCompensationState == 2 && g_CompensationCancelMode == 2) {
            FinishLookaheadWithCancel(2);
            return;
        }
        if (!ReadLookaheadLine()) return;
        InterpretNcBlock(g_NcLineBuffer);
        if (g_NcAlarmCode != 0) return;
        if (g_LocalCoordinateBlock) {
            FinishLookaheadWithCancel(g_CutterCompensationState == 2 ? 2 : 1);
            g_ActiveWorkOffset = g_SavedActiveWorkOffset;
            return;
        }
    }
    ComputeRadiusCompensation(g_CutterCompensationState == 2 ? 2 : 1);
    SaveBlockState();
    if (g_CutterCompensationState == 1) {
        ClassifyCompensationCorner();
        if (g_CompensationOuterCorner) HandleOuterCorner();
        else HandleInnerCorner();
    }
    RestoreLookaheadState();
    if (IsArcKind(g_MotionKind)) g_ArcMirrorPending = 1;
}

}  // namespace

int ReadUntilMotion()
{
    for (;;) {
        if (!ReadNextNcLine()) return 0;
        InterpretNcBlock(g_NcLineBuffer);
        if (g_NcAlarmCode != 0) return 1;
        for (int a = 0; a < 3; ++a) {
            if (g_NcPreviousPosition.axis[a] != g_NcTargetPosition.axis[a]) return 1;
        }
        if (IsArcKind(g_MotionKind)) return 1;
    }
}

namespace {

// Steps 9 to 15: the next line.
void ReadAndDeliverLine()
{
    ClearReturnAxisFlags();
    const int state = g_CutterCompensationState;
    if (state != 2 && !ReadNextNcLine()) return;
    if (state != 2) {
        if (!g_ProgramStarted) {
            if (IsEorLine()) {
                g_ProgramStarted = 1;
                g_EorBlock = 1;
            }
            return;
        }
        if (IsEorLine()) {
            if (g_SubprogramDepth > 0) {
                g_EorBlock = 1;
            } else {
                EndInputInLookahead();
            }
            return;
        }
    }
    if (state == 0) {
        InterpretNcBlock(g_NcLineBuffer);
        g_BlockLineNumber = CurrentLineCounter();
        if (g_NcAlarmCode != 0) return;
        if (g_CutterCompensationState == 1) {
            StartCompensation();
        } else if (g_CannedCycleCode == 80 || !g_CycleAxisWordSeen) {
            if (g_ReferenceReturnKind == 1 || g_ReferenceReturnKind == 2) {
                StartReferenceReturn();
            } else if (g_MotionKind == MOTION_RAPID && g_CannedCycleCode == 80) {
                SplitRapid();
            }
        } else {
            StartCannedCycleBlock();
        }
        return;
    }
    if (state == 1) {
        RestorePreviousBlockState();
        InterpretNcBlock(g_NcLineBuffer);
        if (g_NcAlarmCode != 0) return;
        ContinueCompensation();
        return;
    }
    RestoreBlockStateCopy();
    g_CutterCompensationState = 0;
    if (IsArcKind(g_MotionKind)) g_ArcMirrorPending = 1;
    int moves = IsArcKind(g_MotionKind) ? g_ArcLength != 0.0 : 0;
    for (int a = 0; a < 3; ++a) moves |= g_NcPreviousPosition.axis[a] != g_NcTargetPosition.axis[a];
    if (moves) g_MoveChanged = 1;
}

}  // namespace

void FetchNextMotion()
{
    if (g_ToolChangeRouteSteps > 0) {
        NextToolChangeRouteStep();
        return;
    }
    ClearPerCallFields();
    if (g_StepQueueCount > 0) {
        HandOutRapidStep();
    } else if (g_NormalAxisQueueCount > 0) {
        HandOutNormalAxisEntry();
    } else if (g_WireTaperQueueCount > 0) {
        HandOutWireTaperEntry();
    } else if (g_LookaheadCount > 0) {
        HandOutNextLookaheadEntry();
    } else if (g_ReferenceReturnPhase == 1) {
        HandOutReferenceSecondLeg();
    } else if (g_NcRunState == NC_RUN_INPUT_ENDED) {
        g_NcRunState = NC_RUN_FINISHED;
        if (g_DialectHeidenhain) CheckRotaryTurnOver360(0);
    } else {
        ReadAndDeliverLine();
    }
}
