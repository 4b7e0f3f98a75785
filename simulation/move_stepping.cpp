// Move stepping: planning of the sub-steps and the per-sub-step work of a move.
#include "simulation/move_stepping.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/forward_kinematics.h"
#include "machine_setup/machine/inverse_kinematics.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/machine/stroke_limits.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/interpreter_state.h"
#include "nc/motion_delivery.h"
#include "platform/ui/shell_services.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "simulation/head_interference.h"
#include "simulation/holder_interference.h"
#include "simulation/interference_reports.h"
#include "simulation/limit_log.h"
#include "simulation/mounted_tools.h"
#include "simulation/run_display.h"
#include "simulation/run_state.h"
#include "simulation/simulation_thread.h"
#include "simulation/tool_length_results.h"
#include "work_model/work_model.h"
#include "work_model/work_values.h"

int g_CutStepsAhead = CUT_STEPS_AHEAD;

namespace {

const double kPi = 3.14159265358979323846;
// More sub-steps than this in one move means an absurd length or pitch; the move is cut in this many.
const double kMaxSubSteps = 1e8;
// Angular positions of a turning work per sub-step at most.
const double kMaxTurningPositions = 1e5;

int IsArc(int kind)
{
    return kind == MOTION_ARC_CW || kind == MOTION_ARC_CCW;
}

// The signed turn of a rotary axis from a to b: the shortest way when the axis takes it.
double RotaryDelta(int axis, double a, double b)
{
    const int shortest = axis == AXIS_ROTARY1 ? g_Rotary1Shortest : g_Rotary2Shortest;
    return shortest ? DiffRotaryAngle(a, b) : b - a;
}

int TakesShortestWay(int axis)
{
    return axis == AXIS_ROTARY1 ? g_Rotary1Shortest : g_Rotary2Shortest;
}

// An angle of a shortest-way axis brought into the axis range when the machine gives one.
void WrapIntoAxisRange(int axis, double* angle)
{
    if (!TakesShortestWay(axis) || g_StrokeLimitSetCount <= 0 || !g_StrokeLimits[0].enabled[axis]) return;
    WrapAngleIntoRange(angle, g_StrokeLimits[0].range[2 * axis], g_StrokeLimits[0].range[2 * axis + 1]);
}

// The tag of the cut: the block's line (the sub-program level's counter inside one), negated for a
// corner of the cutter compensation.
int CutTag()
{
    const int line = g_SubprogramDepth > 0 ? g_NcLineNumber : g_BlockLineNumber;
    return g_CornerMotion ? -line : line;
}

int HasCut()
{
    return g_CutInMove >= 1;
}

int RotatingWork()
{
    return g_TableType == TABLE_TYPE_LATHE || g_Table2Type == TABLE_TYPE_LATHE || g_LatheCodeState[0] ||
           g_LatheCodeState[1];
}

int UsesMountedSet()
{
    const int s = g_SpindleToolNumber;
    return (s >= 0 && s < TOOL_LAYOUT_SLOTS && g_ToolLayoutFlags[s]) || (s == 0 && g_MountedToolCount >= 2);
}

void MarkStepCut()
{
    if (g_MachineStepCount >= 0 && g_MachineStepCount < MACHINING_STEP_SLOTS) g_StepCutMarks[g_MachineStepCount] = 1;
}

void CallCutStepHook(int subStep, int subStepCount)
{
    if (g_RunCutStepHook == nullptr) return;
    RunCutStep step;
    step.motionKind = g_MotionKind;
    step.subStep = subStep;
    step.subStepCount = subStepCount;
    step.cut = g_CutInMove;
    step.removedVolume = g_MoveRemovedVolume;
    const CheckFlags& f = g_CheckFlags;
    step.kernelCheck = f.arbor || f.taper || f.length || f.chip;
    for (int a = 0; a < 3; ++a) {
        step.tip[a] = g_ToolTipPoint[a];
        step.axis[a] = g_ToolAxisVector[a];
    }
    step.colour = g_CutColour[0];
    step.tag = g_CutLineTag[0];
    step.tool = g_SpindleToolNumber;
    g_RunCutStepHook(&step);
}

// Cuts a work that turns about a rotary axis at every angular position of one turn.
void CutRotatingWork(int subStep, int subStepCount)
{
    double radii[2];
    ComputeToolAxisOfPosition(&g_MachinePosition, radii);
    int axis = AXIS_ROTARY2;
    if (g_MachineKind != MACHINE_MIX && (g_TableType == TABLE_TYPE_LATHE || g_LatheCodeState[0])) axis = AXIS_ROTARY1;
    g_RotatingAxisIndex = axis;
    const int m = CountTurningPositions(radii[axis - AXIS_ROTARY1], g_MovePitch);
    const double keep = g_ControlPoint.axis[axis];
    WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    for (int i = 0; i < m; ++i) {
        g_ControlPoint.axis[axis] = g_MachinePosition.axis[axis] = i * 360.0 / m;
        ApplyForwardKinematics(&g_MachinePosition, g_ToolTipPoint, g_ToolAxisVector);
        CutWorkAlongMove(work, g_ToolTipPoint, g_ToolAxisVector);
        CallCutStepHook(subStep, subStepCount);
    }
    g_ControlPoint.axis[axis] = keep;
    UpdateCurrentMachinePosition();
}

int AnyAbove0(std::initializer_list<int> settings)
{
    for (int s : settings) {
        if (s > 0) return 1;
    }
    return 0;
}

// The holder and head checks after an ordinary cut, each group only when one of its settings is on.
void RunInterferenceChecks()
{
    if (AnyAbove0({g_CheckToolVice, g_CheckToolTable2, g_CheckToolTable1, g_CheckToolTable, g_CheckToolBasic})) {
        CheckHolderInterference(0, g_ToolProfileShankEnd, g_ToolBox.minimum, g_ToolBox.maximum, g_ToolBox.corners,
                                g_ToolTipPoint);
    }
    if (g_OutputLengthCheckAll && g_ArborCheck == 1) return;  // the holder-length search measures instead
    if (AnyAbove0({g_CheckArborVice, g_CheckArborTable2, g_CheckArborTable1, g_CheckArborTable, g_CheckArborBasic})) {
        CheckHolderInterference(g_ToolProfileShankEnd - 1, g_ToolProfilePointCount, g_ToolHolderBox.minimum,
                                g_ToolHolderBox.maximum, g_ToolHolderBox.corners, g_ToolTipPoint);
    }
    if (AnyAbove0({g_CheckHead2Work, g_CheckHead2Vice, g_CheckHead2Table, g_CheckHead2Basic})) CheckHead2Interference();
    if (AnyAbove0({g_CheckHead1Work, g_CheckHead1Vice, g_CheckHead1Table1, g_CheckHead1Table, g_CheckHead1Basic})) {
        CheckHead1Interference();
    }
    if (AnyAbove0({g_CheckHeadWork, g_CheckHeadVice, g_CheckHeadTable2, g_CheckHeadTable1, g_CheckHeadTable,
                   g_CheckHeadBasic})) {
        CheckHeadInterference();
    }
}

int HolderOrCutFlagRaised()
{
    const CheckFlags& f = g_CheckFlags;
    return f.arbor || f.taper || f.attachment || f.length || f.chip;
}

struct MovePlan {
    int n;
    int machineMove;            // planned in machine coordinates
    double increments[5];       // per sub-step: X, Y, Z (program or machine), rotary 1, rotary 2
    double angleStep;           // arcs: sweep per sub-step (radians, negative clockwise)
    double spindleAxisStep;
    AxisPosition start;         // program start (or machine start of a machine-coordinate move)
    AxisPosition end;           // the control point of the move end (program moves)
    int toolAxisFrame;          // tool-centre vector mode: the rotary values follow the tool axis
    double frameAngleStep;      // its turn of the tool axis about the path per sub-step (radians)
    double direction[3];        // its unit path direction of a straight move (none: zero)
};

// Tool-centre vector mode: the tool axis of sub-step k, from the block's start axis, its per-step
// change and the turn about the path, solved for rotary angles; the control point's rotary values
// are those angles less the work offset's rotary parts. No solution keeps the rotary values as they
// are (the interpreter raised the tool-axis alarm for the block already).
void InterpolateToolAxisFrame(const MovePlan& p, int k)
{
    double direction[3] = {p.direction[0], p.direction[1], p.direction[2]};
    double toolAxis[3];
    ComputePathPointToolFrame(g_ControlPoint.axis, p.frameAngleStep, k, direction, toolAxis);
    if (!(toolAxis[0] * toolAxis[0] + toolAxis[1] * toolAxis[1] + toolAxis[2] * toolAxis[2] > 0.0)) return;
    for (int a = 0; a < 3; ++a) g_ToolAxisVector[a] = toolAxis[a];
    const double previous[2] = {g_MachinePosition.axis[AXIS_ROTARY1], g_MachinePosition.axis[AXIS_ROTARY2]};
    const int ranges[2] = {g_Rotary1RangeGiven, g_Rotary2RangeGiven};
    double angles[2] = {0.0, 0.0};
    if (!SolveInverseKinematics(toolAxis, previous, ranges, g_Rotary1Range, g_Rotary2Range, angles)) return;
    g_ControlPoint.axis[AXIS_ROTARY1] = angles[0] - g_ActiveWorkOffset.axis[AXIS_ROTARY1];
    g_ControlPoint.axis[AXIS_ROTARY2] = angles[1] - g_ActiveWorkOffset.axis[AXIS_ROTARY2];
}

// Sub-step k of a program-coordinate move into g_ControlPoint (and g_ZTurnAngle).
void InterpolateProgramPoint(const MovePlan& p, int k)
{
    if (k == p.n) {
        g_ControlPoint = p.end;
        g_ZTurnAngle = g_SpindleAxisPosition;
        if (p.toolAxisFrame) {
            InterpolateToolAxisFrame(p, k);
            for (int a = AXIS_ROTARY1; a <= AXIS_ROTARY2; ++a) WrapIntoAxisRange(a, &g_ControlPoint.axis[a]);
        }
        return;
    }
    if (IsArc(g_MotionKind)) {
        const double t = static_cast<double>(k) / p.n;
        const double r = (1.0 - t) * g_ArcStartRadius + t * g_ArcEndRadius;
        const double angle = k * p.angleStep;
        const double c = std::cos(angle), s = std::sin(angle);
        const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2, an = g_PlaneNormalAxis;
        const double* u = g_ArcStartDirection;
        g_ControlPoint.axis[a1] = g_MoveArcCentre[a1] + r * (u[a1] * c - u[a2] * s);
        g_ControlPoint.axis[a2] = g_MoveArcCentre[a2] + r * (u[a2] * c + u[a1] * s);
        g_ControlPoint.axis[an] = p.start.axis[an] + k * p.increments[an];
    } else {
        for (int a = 0; a < 3; ++a) g_ControlPoint.axis[a] = p.start.axis[a] + k * p.increments[a];
    }
    g_ZTurnAngle = g_SpindleAxisPrevious + k * p.spindleAxisStep;
    if (p.toolAxisFrame) {
        InterpolateToolAxisFrame(p, k);
    } else {
        for (int a = AXIS_ROTARY1; a <= AXIS_ROTARY2; ++a) g_ControlPoint.axis[a] = p.start.axis[a] + k * p.increments[a];
    }
    for (int a = AXIS_ROTARY1; a <= AXIS_ROTARY2; ++a) WrapIntoAxisRange(a, &g_ControlPoint.axis[a]);
}

void InterpolateMachinePoint(const MovePlan& p, int k)
{
    if (k == p.n) {
        g_MachinePosition = g_MachineAxisWords;
        return;
    }
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
        g_MachinePosition.axis[a] = g_RunStartMachinePosition.axis[a] + k * p.increments[a];
    }
}

// Plans the move; 0 when it is not simulated (dropped, too short, a rapid ignored).
int PlanMove(MovePlan* p)
{
    const int kind = g_MotionKind;
    const int code = g_LastGCode;
    AxisPosition delta;
    ComputeToolAxisOfPosition(&g_MachineAxisWords, g_RotaryRadii);
    for (int a = 0; a < 3; ++a) delta.axis[a] = g_NcMoveEnd.axis[a] - g_NcMoveStart.axis[a];
    for (int a = AXIS_ROTARY1; a <= AXIS_ROTARY2; ++a) {
        delta.axis[a] = RotaryDelta(a, g_NcMoveStart.axis[a], g_NcMoveEnd.axis[a]);
    }
    g_MoveDelta = delta;
    const double spindleAxisDelta = g_SpindleAxisPosition - g_SpindleAxisPrevious;
    const int referencePhase2 = g_ReferenceReturnPhase == 2;
    const int machineMove = g_MachineCoordinateBlock || code == 531 || code == 536 || referencePhase2;

    // Blocks that move nothing are dropped.
    if (!g_RotaryFollowState && !g_RotaryFollowMode && !g_MachineCoordinateBlock) {
        const int tiltChange = g_WireTaperMode != 0 && (g_ToolAxisChange[0] != 0.0 || g_ToolAxisChange[1] != 0.0);
        if (code != 531 && code != 536 && !referencePhase2 && !IsArc(kind) && delta.axis[0] == 0.0 &&
            delta.axis[1] == 0.0 && delta.axis[2] == 0.0 && delta.axis[3] == 0.0 && delta.axis[4] == 0.0 &&
            !tiltChange) {
            return 0;
        }
    } else if (g_RotaryFollowMode) {
        const int linearDelta = delta.axis[0] != 0.0 || delta.axis[1] != 0.0 || delta.axis[2] != 0.0;
        if (!g_MoveChanged && code != 531 && code != 536 && !(IsArc(kind) && g_ArcLength > 0.0) && !referencePhase2 &&
            (g_CannedCycleCode == 80 || !linearDelta)) {
            return 0;
        }
    }
    if (IsArc(kind) && !(g_ArcLength > 0.0)) return 0;

    // The control point of the move end.
    p->end = g_NcMoveEnd;
    for (int a = AXIS_ROTARY1; a <= AXIS_ROTARY2; ++a) {
        if (TakesShortestWay(a)) p->end.axis[a] = g_NcMoveStart.axis[a] + delta.axis[a];
        WrapIntoAxisRange(a, &p->end.axis[a]);
    }
    g_ControlPoint.axis[0] = p->end.axis[0];
    g_ControlPoint.axis[1] = p->end.axis[1];
    g_ControlPoint.axis[2] = p->end.axis[2];
    g_ControlPoint.axis[3] = p->end.axis[3];
    g_ControlPoint.axis[4] = p->end.axis[4];

    // Locked rotary axes commanded to turn.
    if (g_ToolChangeRouteSteps <= 0) {
        if (g_Rotary1Locked && delta.axis[AXIS_ROTARY1] != 0.0) g_NcAlarmCode = NC_ALARM_ROTARY1_LOCKED;
        if (g_Rotary2Locked && delta.axis[AXIS_ROTARY2] != 0.0) g_NcAlarmCode = NC_ALARM_ROTARY2_LOCKED;
    }
    if (g_NcAlarmCode > 0) {
        g_RunEnded = 1;
        return -1;
    }
    g_RapidCheckActive = g_InterferenceCheck >= 1 && (kind == MOTION_RAPID || g_FeedValues[0] >= g_RapidFeedrate);
    if (kind == MOTION_NURBS_SPAN) return 0;  // NURBS spans are not stepped yet
    if (kind == MOTION_RAPID && g_IgnoreG00) return 0;

    double length;
    if (IsArc(kind)) {
        const double h = delta.axis[g_PlaneNormalAxis];
        length = std::sqrt(g_ArcLength * g_ArcLength + h * h);
    } else {
        length = MeasureStraightMoveLength(&delta, g_PrevRotaryRadii, g_RotaryRadii);
    }
    const int wireTilt = g_WireTaperMode && (g_ToolAxisChange[0] != 0.0 || g_ToolAxisChange[1] != 0.0);
    if (!(length >= g_LengthInputTolerance) && !wireTilt && !g_RotaryFollowState && !g_RotaryFollowMode &&
        !machineMove) {
        return 0;
    }
    p->machineMove = machineMove;
    p->start = g_NcMoveStart;
    p->angleStep = 0.0;
    if (machineMove) {
        AxisPosition d;
        for (int a = 0; a < 3; ++a) d.axis[a] = g_MachineAxisWords.axis[a] - g_RunStartMachinePosition.axis[a];
        for (int a = AXIS_ROTARY1; a <= AXIS_ROTARY2; ++a) {
            d.axis[a] = RotaryDelta(a, g_RunStartMachinePosition.axis[a], g_MachineAxisWords.axis[a]);
        }
        ComputeToolAxisOfPosition(&g_RunStartMachinePosition, g_PrevRotaryRadii);
        ComputeToolAxisOfPosition(&g_MachineAxisWords, g_RotaryRadii);
        length = MeasureStraightMoveLength(&d, g_PrevRotaryRadii, g_RotaryRadii);
        delta = d;
        g_MoveDelta = d;
    }
    p->n = CountMoveSubSteps(length, g_MovePitch);
    g_StepLength = length / p->n;
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) p->increments[a] = delta.axis[a] / p->n;
    if (IsArc(kind) && !machineMove) {
        p->angleStep = g_FeedValues[1] / p->n;
        if (kind == MOTION_ARC_CW) p->angleStep = -p->angleStep;
    }
    p->spindleAxisStep = spindleAxisDelta / p->n;
    p->toolAxisFrame = 0;
    p->frameAngleStep = 0.0;
    p->direction[0] = p->direction[1] = p->direction[2] = 0.0;
    if (g_ToolCentreMode == 2 && !machineMove &&
        (g_TclVectorInterpolation || g_SecondRotationAngle != 0.0 || g_PlaneRotationAngle != 0.0)) {
        p->toolAxisFrame = 1;
        for (int a = 0; a < 3; ++a) g_StepAxisIncrements[a] = g_ToolAxisChange[a] / p->n;
        p->frameAngleStep = (g_PlaneRotationAngle - g_SecondRotationAngle) / p->n;
        if (!IsArc(kind) && (delta.axis[AXIS_X] != 0.0 || delta.axis[AXIS_Y] != 0.0)) {
            const double* d = delta.axis;
            const double size = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            for (int a = 0; a < 3; ++a) p->direction[a] = d[a] / size;
        }
    }
    if (g_RotaryFollowState == -1) g_RotaryFollowState = 0;
    g_RealCutDisplayMove = (g_RealRotation && (delta.axis[3] != 0.0 || delta.axis[4] != 0.0)) ||
                           (g_RealRapid && kind == MOTION_RAPID && g_CannedCycleCode == 80);
    return 1;
}

// What computing a sub-step's position leaves for the rest of the step.
struct StepPosition {
    AxisPosition controlPoint;
    AxisPosition machinePosition;
    double zTurnAngle;
    double tip[3];
    double axis[3];
    double rotaryCosSin[4];
};

void SaveStepPosition(StepPosition* s)
{
    s->controlPoint = g_ControlPoint;
    s->machinePosition = g_MachinePosition;
    s->zTurnAngle = g_ZTurnAngle;
    for (int a = 0; a < 3; ++a) {
        s->tip[a] = g_ToolTipPoint[a];
        s->axis[a] = g_ToolAxisVector[a];
    }
    for (int i = 0; i < 4; ++i) s->rotaryCosSin[i] = g_RotaryCosSin[i];
}

void RestoreStepPosition(const StepPosition& s)
{
    g_ControlPoint = s.controlPoint;
    g_MachinePosition = s.machinePosition;
    g_ZTurnAngle = s.zTurnAngle;
    for (int a = 0; a < 3; ++a) {
        g_ToolTipPoint[a] = s.tip[a];
        g_ToolAxisVector[a] = s.axis[a];
    }
    for (int i = 0; i < 4; ++i) g_RotaryCosSin[i] = s.rotaryCosSin[i];
}

// Sub-step k's control point, machine position, tool tip and axis, and the cut's colour and tag.
void ComputeStepPosition(const MovePlan& plan, int k)
{
    if (plan.machineMove) {
        InterpolateMachinePoint(plan, k);
    } else {
        InterpolateProgramPoint(plan, k);
    }
    SetCutColourAndTag(CutTag());
    UpdateCurrentMachinePosition();
    // The machine's rotary angles in the axis range as the control point's (a whole turn changes
    // neither the tool tip nor the tool axis).
    for (int a = AXIS_ROTARY1; a <= AXIS_ROTARY2; ++a) WrapIntoAxisRange(a, &g_MachinePosition.axis[a]);
}

// Whether the sub-steps of the move may be cut ahead of their checks, several in one pass of the
// cutting threads: only when nothing that a cut yields can stop the move or be shown before the
// last sub-step of a pass (no check that reads the cut, no holder or head check, no display of
// every step), and when a sub-step's position is all that computing it changes (a plain
// program-coordinate move). The stroke test still stops the move at its own sub-step, before that
// sub-step is cut.
int CanCutStepsAhead(const MovePlan& plan)
{
    if (plan.n < 2 || g_CutStepsAhead < 2 || plan.machineMove || plan.toolAxisFrame) return 0;
    if (g_ToolCentreMode != 0 || g_ReferenceReturnPhase == 2 || g_RotaryFollowState == 1) return 0;
    if (RotatingWork() || UsesMountedSet() || g_RapidCheckActive) return 0;
    if (g_RunMode == 1 || g_RealCutDisplayMove) return 0;
    if (g_SpindleCheck > 0 && IsSpindleOutOfRange()) return 0;
    const int s = g_SpindleToolNumber;
    if (g_ToolLimitTable != nullptr && s >= 0 && s < g_ToolArrayCapacity) {
        const ToolLimitRecord& limit = g_ToolLimitTable[s];
        if ((limit.kind == LIMIT_PLAIN || limit.kind == LIMIT_S) && limit.limits[0] > 0.0) return 0;
    }
    if (AnyAbove0({g_CheckToolVice, g_CheckToolTable2, g_CheckToolTable1, g_CheckToolTable, g_CheckToolBasic,
                   g_CheckArborVice, g_CheckArborTable2, g_CheckArborTable1, g_CheckArborTable, g_CheckArborBasic,
                   g_CheckHead2Work, g_CheckHead2Vice, g_CheckHead2Table, g_CheckHead2Basic, g_CheckHead1Work,
                   g_CheckHead1Vice, g_CheckHead1Table1, g_CheckHead1Table, g_CheckHead1Basic, g_CheckHeadWork,
                   g_CheckHeadVice, g_CheckHeadTable2, g_CheckHeadTable1, g_CheckHeadTable, g_CheckHeadBasic})) {
        return 0;
    }
    return CanCutPositionsTogether();
}

// --- Passes of the cutting threads ---------------------------------------------------------------
//
// Sub-steps whose positions are known wait in a pass, uncut, until the pass is full, a stroke stops
// the move or something must see the work; then the cutting threads cut them all in one round and
// every sub-step is taken through the rest of its step one by one, with its own position, cut
// result and block values, so every check, hook and report sees what it sees for a sub-step cut on
// its own. In the block loop a pass may span several moves: the blocks between them run ahead of
// the cut when nothing they do can change what is cut or reach what the user sees.

// What a sub-step's checks read of its block.
struct PassMove {
    int n;
    int motionKind;
    int cannedCycleCode;
    int cycleRapidInHole;
    int rapidCheckActive;
    int realCutDisplayMove;
    int spindleState;
    int spindleCheck;
    double spindleSpeed;
    double stepLength;
    double feed;
};

// The values the kernel reads that blocks can change: a pass holds positions of equal values only.
struct PassKernelState {
    int cutCodeState, workDefined, workState, workIndex;
    int spindleTool, machineStep, toolPen;
    int feedMove, cycleRapidInHole;
    int arborCheck, chipWidthCheck, heightCheck;
};

struct CutPass {
    int count = 0;
    PassKernelState kernel{};
    std::vector<PassMove> moves;
    std::vector<int> moveOf, stepOf;
    std::vector<StepPosition> positions;
    std::vector<CutPositionResult> results;
    std::vector<double> tips, axes;
    std::vector<unsigned char> colours;  // two per position
    std::vector<int32_t> tags;           // two per position
};

CutPass s_Pass;

PassKernelState CaptureKernelState()
{
    PassKernelState k;
    k.cutCodeState = g_CutCodeState;
    k.workDefined = g_WorkDefined;
    k.workState = g_WorkState;
    k.workIndex = g_CurrentWorkIndex;
    k.spindleTool = g_SpindleToolNumber;
    k.machineStep = g_MachineStepCount;
    k.toolPen = g_ToolPenAttribute;
    k.feedMove = g_MotionKind > 0;
    k.cycleRapidInHole = g_CycleRapidInHole;
    k.arborCheck = g_ArborCheck;
    k.chipWidthCheck = g_ChipWidthCheck;
    k.heightCheck = g_HeightCheck;
    return k;
}

int SameKernelState(const PassKernelState& a, const PassKernelState& b)
{
    return a.cutCodeState == b.cutCodeState && a.workDefined == b.workDefined && a.workState == b.workState &&
           a.workIndex == b.workIndex && a.spindleTool == b.spindleTool && a.machineStep == b.machineStep &&
           a.toolPen == b.toolPen && a.feedMove == b.feedMove && a.cycleRapidInHole == b.cycleRapidInHole &&
           a.arborCheck == b.arborCheck && a.chipWidthCheck == b.chipWidthCheck && a.heightCheck == b.heightCheck;
}

PassMove CapturePassMove(int n)
{
    PassMove m;
    m.n = n;
    m.motionKind = g_MotionKind;
    m.cannedCycleCode = g_CannedCycleCode;
    m.cycleRapidInHole = g_CycleRapidInHole;
    m.rapidCheckActive = g_RapidCheckActive;
    m.realCutDisplayMove = g_RealCutDisplayMove;
    m.spindleState = g_SpindleState;
    m.spindleCheck = g_SpindleCheck;
    m.spindleSpeed = g_SpindleSpeed;
    m.stepLength = g_StepLength;
    m.feed = g_FeedValues[0];
    return m;
}

void InstallPassMove(const PassMove& m)
{
    g_MotionKind = m.motionKind;
    g_CannedCycleCode = m.cannedCycleCode;
    g_CycleRapidInHole = m.cycleRapidInHole;
    g_RapidCheckActive = m.rapidCheckActive;
    g_RealCutDisplayMove = m.realCutDisplayMove;
    g_SpindleState = m.spindleState;
    g_SpindleCheck = m.spindleCheck;
    g_SpindleSpeed = m.spindleSpeed;
    g_StepLength = m.stepLength;
    g_FeedValues[0] = m.feed;
}

// The kernel values of a pass put in place for its cut (and back).
void InstallKernelState(const PassKernelState& k)
{
    g_CutCodeState = k.cutCodeState;
    g_WorkDefined = k.workDefined;
    g_WorkState = k.workState;
    g_CurrentWorkIndex = k.workIndex;
    g_SpindleToolNumber = k.spindleTool;
    g_MachineStepCount = k.machineStep;
    g_ToolPenAttribute = static_cast<unsigned char>(k.toolPen);
    g_CycleRapidInHole = k.cycleRapidInHole;
    g_ArborCheck = k.arborCheck;
    g_ChipWidthCheck = k.chipWidthCheck;
    g_HeightCheck = k.heightCheck;
}

// Whether the spindle tool has a cutting-condition limit (its log names the block being read).
int ToolHasCuttingLimit()
{
    const int s = g_SpindleToolNumber;
    if (g_ToolLimitTable == nullptr || s < 0 || s >= g_ToolArrayCapacity) return 0;
    const ToolLimitRecord& limit = g_ToolLimitTable[s];
    return limit.kind != LIMIT_NONE && limit.limits[0] > 0.0;
}

// The current sub-step's position into the pass, with its colour and tag.
void AddToPass(int k)
{
    CutPass& p = s_Pass;
    const size_t j = size_t(p.count);
    if (p.positions.size() <= j) {
        const size_t size = std::max<size_t>(size_t(g_CutStepsAhead), j + 1);
        p.positions.resize(size);
        p.results.resize(size);
        p.moveOf.resize(size);
        p.stepOf.resize(size);
        p.tips.resize(3 * size);
        p.axes.resize(3 * size);
        p.colours.resize(2 * size);
        p.tags.resize(2 * size);
    }
    SaveStepPosition(&p.positions[j]);
    p.moveOf[j] = int(p.moves.size()) - 1;
    p.stepOf[j] = k;
    for (int a = 0; a < 3; ++a) {
        p.tips[3 * j + size_t(a)] = g_ToolTipPoint[a];
        p.axes[3 * j + size_t(a)] = g_ToolAxisVector[a];
    }
    for (int i = 0; i < 2; ++i) {
        p.colours[2 * j + size_t(i)] = g_CutColour[i];
        p.tags[2 * j + size_t(i)] = g_CutLineTag[i];
    }
    ++p.count;
}

// The rest of sub-step k of n once its position is current: the cut (or its result cut ahead),
// the hook, the checks, the limit and the stop rules. Returns 1 when the run stops at the step.
int CheckStep(int k, int n, const CutPositionResult* ahead, WorkModel* work, int skipView, int* displayPending)
{
    g_MoveRemovedVolume = 0.0;
    ClearCheckFlags();
    if (ahead != nullptr) {
        // Cut ahead: the work neither turned nor held a mounted set and no holder or head check
        // was on when its move was planned (a later block read meanwhile does not change that).
        if (ahead->swept) g_MoveRemovedVolume = ahead->removedVolume;
        if (ahead->cut) g_CutInMove = 1;
        CallCutStepHook(k, n);
        if (g_CutInMove == 1) MarkStepCut();
        if (g_CannedCycleCode != 80 && g_CycleRapidInHole) g_CutInMove = 0;
    } else if (RotatingWork()) {
        CutRotatingWork(k, n);
    } else {
        if (UsesMountedSet()) {
            CutAndCheckMountedTools();
        } else {
            CutWorkAlongMove(work, g_ToolTipPoint, g_ToolAxisVector);
            CallCutStepHook(k, n);
            if (g_CutInMove == 1) MarkStepCut();
        }
        if (g_CannedCycleCode != 80 && g_CycleRapidInHole) g_CutInMove = 0;
        if (!UsesMountedSet()) RunInterferenceChecks();
    }

    CheckCuttingLimit();
    const int spindleFails = g_SpindleCheck > 0 && HasCut() && IsSpindleOutOfRange();
    if ((HasCut() && g_RapidCheckActive) || spindleFails || HolderOrCutFlagRaised() || AnyCheckFlagRaised()) {
        g_AlarmPositionSaved = 1;
        SaveCurrentPositions();
    }
    g_MeasureToolPending = 1;
    if (!HasCut()) {
        if (AnyCheckFlagRaised()) {
            g_ToolContactState = CONTACT_CHECK_FIRED;
        } else {
            g_ToolContactState = g_MotionKind == MOTION_RAPID ? CONTACT_RAPID_OR_TOOL_CHANGE : CONTACT_FEED_WITHOUT_CUT;
        }
    } else if (g_RapidCheckActive || spindleFails || HolderOrCutFlagRaised() || g_AlarmPositionSaved) {
        g_ToolContactState = CONTACT_CHECK_FIRED;
    } else {
        g_ToolContactState = CONTACT_CUTTING;
    }
    if (g_ToolContactState == CONTACT_CHECK_FIRED) {
        if (g_InterferenceReportFile == nullptr) OpenInterference2Report();
        if (g_DetailedInterferenceReport && g_InterferenceReportFile != nullptr) {
            WriteInterference2Entry();
            WriteInterference2Position(k, n, g_ToolTipPoint, g_Rotary1Letter, g_MachinePosition.axis[AXIS_ROTARY1],
                                       g_Rotary2Letter, g_MachinePosition.axis[AXIS_ROTARY2]);
        }
        if (RecordStopReasons() != 0) return 1;
    }
    g_RunEnded = 0;
    if (!IsFrameMinimised() && (g_RunMode == 1 || g_RealCutDisplayMove || LoadRunFlag(g_StepDisplayRequest)) &&
        (skipView == 1 || k == n || k % skipView == 0)) {
        *displayPending = 1;
    }
    return 0;
}

// Cuts the positions waiting in the pass in one round and takes each through the rest of its step
// with its block's values; the block values, kernel values and position of the caller are kept. A
// display asked for meanwhile is served at the last of them and, with serveAbort, an abort ends
// there (the position is then that of the last sub-step). Returns 1 on such an abort. Every check
// that could stop the run at one of them keeps its move out of a pass.
int CutAndCheckPass(int serveAbort)
{
    CutPass& p = s_Pass;
    if (p.count <= 0) return 0;
    const int count = p.count;
    p.count = 0;
    const PassKernelState kernelNow = CaptureKernelState();
    const PassMove moveNow = CapturePassMove(0);
    StepPosition positionNow;
    SaveStepPosition(&positionNow);
    const unsigned char colourNow[2] = {g_CutColour[0], g_CutColour[1]};
    const int32_t tagNow[2] = {g_CutLineTag[0], g_CutLineTag[1]};

    InstallKernelState(p.kernel);
    InstallPassMove(p.moves[size_t(p.moveOf[0])]);
    WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    CutWorkAtPositions(work, count, reinterpret_cast<const double(*)[3]>(p.tips.data()),
                       reinterpret_cast<const double(*)[3]>(p.axes.data()), p.results.data(),
                       reinterpret_cast<const unsigned char(*)[2]>(p.colours.data()),
                       reinterpret_cast<const int32_t(*)[2]>(p.tags.data()));
    const int skipView = g_SkipView > 1 ? g_SkipView : 1;
    int displayPending = 0;
    int aborted = 0;
    for (int j = 0; j < count; ++j) {
        const PassMove& move = p.moves[size_t(p.moveOf[size_t(j)])];
        InstallPassMove(move);
        RestoreStepPosition(p.positions[size_t(j)]);
        for (int i = 0; i < 2; ++i) {
            g_CutColour[i] = p.colours[2 * size_t(j) + size_t(i)];
            g_CutLineTag[i] = p.tags[2 * size_t(j) + size_t(i)];
        }
        g_AlarmPositionSaved = 0;
        if (g_StrokeLimitSetCount > 0) g_OvertravelAxis = -1;
        // A check that stops the run keeps its move out of a pass, so none stops here.
        CheckStep(p.stepOf[size_t(j)], move.n, &p.results[size_t(j)], work, skipView, &displayPending);
    }
    if (displayPending && !IsFrameMinimised()) WaitForStepDisplay(1);
    if (serveAbort && LoadRunFlag(g_AbortRequest)) aborted = 1;

    p.moves.erase(p.moves.begin(), p.moves.begin() + p.moveOf[size_t(count - 1)]);
    InstallKernelState(kernelNow);
    InstallPassMove(moveNow);
    if (aborted) return 1;
    RestoreStepPosition(positionNow);
    g_CutColour[0] = colourNow[0];
    g_CutColour[1] = colourNow[1];
    g_CutLineTag[0] = tagNow[0];
    g_CutLineTag[1] = tagNow[1];
    return 0;
}

// Whether a move whose sub-steps may be cut ahead can join the positions waiting in the pass.
int PassTakesMove()
{
    return s_Pass.count == 0 || (SameKernelState(s_Pass.kernel, CaptureKernelState()) && !ToolHasCuttingLimit());
}

int RunMoveSteps(int carry)
{
    MovePlan plan;
    const int planned = PlanMove(&plan);
    g_LastMoveStepCount = planned > 0 ? plan.n : 0;
    if (planned < 0) {
        CutAndCheckPass(0);
        return MOVE_END_RUN;
    }
    if (planned == 0) {
        if (!carry) CutAndCheckPass(0);
        return MOVE_NEXT_BLOCK;
    }

    WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    const int n = plan.n;
    const int skipView = g_SkipView > 1 ? g_SkipView : 1;
    int stopRun = 0;
    int aborted = 0;
    g_OvertravelAxis = -1;
    const int cutAhead = CanCutStepsAhead(plan);
    if (!cutAhead || !PassTakesMove()) CutAndCheckPass(0);
    int displayPending = 0;
    if (cutAhead) {
        // The sub-steps join the pass; a full pass is cut and checked. The stroke test stops the
        // move at its own sub-step before that sub-step is cut.
        CutPass& p = s_Pass;
        if (p.count == 0) {
            p.moves.clear();
            p.kernel = CaptureKernelState();
        }
        p.moves.push_back(CapturePassMove(n));
        for (int k = 1; k <= n; ++k) {
            ComputeStepPosition(plan, k);
            if (g_StrokeLimitSetCount > 0) {
                const int axis = FindNearestAxisOvertravel(g_MachinePosition.axis);
                if (axis >= 0) {
                    if (CutAndCheckPass(1)) {
                        aborted = 1;
                        break;
                    }
                    g_AlarmPositionSaved = 0;
                    g_OvertravelAxis = axis;
                    g_AlarmPositionSaved = 1;
                    SaveCurrentPositions();
                    break;
                }
            }
            AddToPass(k);
            if (p.count >= g_CutStepsAhead && CutAndCheckPass(1)) {
                aborted = 1;
                break;
            }
        }
        if (!aborted && g_OvertravelAxis < 0 && p.count > 0) {
            // The pass stays open for the next move only when the end of this one shows or stops
            // nothing.
            const int keep = carry && !ToolHasCuttingLimit() && !LoadRunFlag(g_AbortRequest) &&
                             !(g_RunMode == 2 && !IsFrameMinimised()) && !g_PauseReasonCount &&
                             !g_RadiusOffsetAlarm;
            if (!keep && CutAndCheckPass(1)) aborted = 1;
        }
    } else {
        for (int k = 1; k <= n; ++k) {
            ComputeStepPosition(plan, k);
            g_AlarmPositionSaved = 0;
            if (g_StrokeLimitSetCount > 0) {
                g_OvertravelAxis = FindNearestAxisOvertravel(g_MachinePosition.axis);
                if (g_OvertravelAxis >= 0) {
                    g_AlarmPositionSaved = 1;
                    SaveCurrentPositions();
                    break;
                }
            }
            if (CheckStep(k, n, nullptr, work, skipView, &displayPending)) {
                stopRun = 1;
                break;
            }
            if (displayPending && !IsFrameMinimised()) WaitForStepDisplay(1);
            displayPending = 0;
            if (LoadRunFlag(g_AbortRequest)) {
                aborted = 1;
                break;
            }
        }
    }
    g_RunStartMachinePosition = g_MachinePosition;
    g_MachineAxisWords = g_MachinePosition;
    if (g_RunEnded == 1 || stopRun || aborted || g_OvertravelAxis >= 0) return MOVE_END_RUN;
    if (g_RunMode == 2 && !g_RealCutDisplayMove && !IsFrameMinimised()) {
        const int counter = CurrentLineCounter();
        if (counter - g_LastRedrawLine >= g_SkipBlock) {
            WaitForStepDisplay(0);
            g_LastRedrawLine = counter;
        }
    }
    if (((g_PauseReasonCount && g_StopOnCheck) || g_RadiusOffsetAlarm) && !IsFrameMinimised() && !g_AlarmsToMacroLog) {
        WaitForStepDisplay(0);
    }
    if (LoadRunFlag(g_AbortRequest)) return MOVE_END_RUN;
    if (g_PauseReasonCount) WriteInterferenceReport();
    return g_CheckFlags.limit ? MOVE_END_RUN : MOVE_NEXT_BLOCK;
}

}  // namespace

double MeasureStraightMoveLength(const AxisPosition* delta, const double previousRadii[2], const double radii[2])
{
    const double k1 = (previousRadii[0] + radii[0]) * kPi / 360.0;
    const double k2 = (previousRadii[1] + radii[1]) * kPi / 360.0;
    const double* d = delta->axis;
    const double r1 = d[AXIS_ROTARY1] * k1, r2 = d[AXIS_ROTARY2] * k2;
    return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2] + r1 * r1 + r2 * r2);
}

int CountMoveSubSteps(double length, double pitch)
{
    if (!(pitch > 0.0) || !(length > 0.0)) return 1;
    const double n = std::ceil(length / pitch);
    if (!(n < kMaxSubSteps)) return static_cast<int>(kMaxSubSteps);
    return n < 1.0 ? 1 : static_cast<int>(n);
}

int CountTurningPositions(double radius, double pitch)
{
    if (!(pitch > 0.0) || !(radius > 0.0)) return 1;
    const double m = std::ceil(2.0 * kPi * radius / pitch);
    if (!(m < kMaxTurningPositions)) return static_cast<int>(kMaxTurningPositions);
    return m < 1.0 ? 1 : static_cast<int>(m);
}

void CheckCuttingLimit()
{
    if (g_MotionKind == MOTION_RAPID || !HasCut()) return;
    const int s = g_SpindleToolNumber;
    if (g_ToolLimitTable == nullptr || s < 0 || s >= g_ToolArrayCapacity) return;
    const ToolLimitRecord& limit = g_ToolLimitTable[s];
    const double v = limit.limits[0];
    // A step of no length (the first after a tool change can be one) has no cross-section.
    if (limit.kind == LIMIT_NONE || !(v > 0.0) || !(g_StepLength > 0.0)) return;
    const double area = g_MoveRemovedVolume / g_StepLength;
    double value = area;
    if (limit.kind != LIMIT_PLAIN && limit.kind != LIMIT_PLAIN_LOG) value = g_FeedValues[0] * area / 60.0;
    if (!(value > v)) return;
    if (limit.kind == LIMIT_PLAIN || limit.kind == LIMIT_S) {
        g_CheckFlags.limit = 1;
        g_AlarmPositionSaved = 1;
        SaveCurrentPositions();
        return;
    }
    if (g_LimitLogFile == nullptr) OpenToolLimitLog(s);
    WriteLimitLogLine(value);
}

int RunMove()
{
    return RunMoveSteps(0);
}

int RunMoveInPass()
{
    return RunMoveSteps(1);
}

void CutWaitingSubSteps()
{
    CutAndCheckPass(0);
}

int SubStepsWaitForCut()
{
    return s_Pass.count > 0;
}

int SubStepsWaitWithOtherKernelValues()
{
    return s_Pass.count > 0 && !SameKernelState(s_Pass.kernel, CaptureKernelState());
}
