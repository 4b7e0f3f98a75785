// The NC data check (RunNcDataCheck) and its timing model: consecutive feed moves that continue in
// about the same direction are timed as one motion with trapezoidal speed ramps; rapids are timed on
// their dominant axis. The interpreter itself is driven through motion delivery and the block end.
#include "nc/nc_data_check.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/forward_kinematics.h"
#include "machine_setup/machine/inverse_kinematics.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/tool_length_reference.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/block_end_position.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/motion_delivery.h"
#include "nc/nc_line_reader.h"
#include "nc/nurbs.h"
#include "nc/reader_plugin.h"
#include "nc/subprograms.h"
#include "platform/ui/progress.h"
#include "work_model/work_values.h"

CheckExtentBox g_CheckExtentsWork;
CheckExtentBox g_CheckExtentsCutWork;
CheckExtentBox g_CheckExtentsMachine;
CheckExtentBox g_CheckExtentsCutMachine;
double g_CheckMaxFeed = -CHECK_EXTENT_EMPTY;
double g_CheckMaxCutFeed = -CHECK_EXTENT_EMPTY;
double g_CheckMinFeed = CHECK_EXTENT_EMPTY;
double g_CheckMaxSpindleSpeed = -CHECK_EXTENT_EMPTY;
double g_CheckFeedPathLength = 0.0;
double g_CheckCutLength = 0.0;
double g_CheckRapidSpeedLength = 0.0;
double g_CheckRapidLength = 0.0;
double g_CheckFeedTime = 0.0;
double g_CheckNonCutTime = 0.0;
double g_CheckCutTime = 0.0;
double g_CheckRapidSpeedTime = 0.0;
double g_StepTimes[MACHINING_STEP_SLOTS] = {};
unsigned char g_DUsedFlags[USAGE_FLAG_COUNT] = {};
unsigned char g_HUsedFlags[USAGE_FLAG_COUNT] = {};
int g_CheckLineCount = 0;
PendingFeedMove g_PendingFeedMove = {};

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGravity = 9800.0;  // mm/s^2 per G

// The step whose time and tool the check is filling (the step tables hold steps 1..SLOTS-1; more tool
// changes than that keep adding to the last step).
int CurrentStep()
{
    if (g_MachineStepCount < 1) return 1;
    return g_MachineStepCount < MACHINING_STEP_SLOTS ? g_MachineStepCount : MACHINING_STEP_SLOTS - 1;
}

void AddStepTime(double seconds) { g_StepTimes[CurrentStep()] += seconds; }

void ResetBox(CheckExtentBox* box)
{
    for (int a = 0; a < 3; ++a) {
        box->max[a] = -CHECK_EXTENT_EMPTY;
        box->min[a] = CHECK_EXTENT_EMPTY;
    }
}

void WidenBox(CheckExtentBox* box, int axis, double value)
{
    if (value > box->max[axis]) box->max[axis] = value;
    if (value < box->min[axis]) box->min[axis] = value;
}

int IsFeedKind(int kind)
{
    return kind == MOTION_LINEAR || kind == MOTION_ARC_CW || kind == MOTION_ARC_CCW || kind == MOTION_NURBS_SPAN;
}

// Adds a timed pending length to the feed path and to the cut or rapid-speed length.
void AddPendingLength(double length, double feed)
{
    g_CheckFeedPathLength += length;
    if (feed < g_RapidFeedrate) {
        g_CheckCutLength += length;
    } else {
        g_CheckRapidSpeedLength += length;
    }
}

// Times the pending motion with the given end speed (its end point already set).
void TimePendingMove(double endSpeed)
{
    const PendingFeedMove& p = g_PendingFeedMove;
    AccumulateFeedTime(p.kind, p.length, p.startSpeed, p.feed, endSpeed);
    AddPendingLength(p.length, p.feed);
}

// Widens a box pair (work, machine) by the arc, the NURBS control points or the tool tip of the motion.
void WidenBoxes(CheckExtentBox* work, CheckExtentBox* machine, int kind)
{
    // Program axis order: X, Y and the tool axis as the controller routes them.
    const int xAxis = g_AxisOrderFirst, yAxis = g_AxisOrderSecond, toolAxis = g_AxisOrderNormal;
    if (kind == MOTION_RAPID || kind == MOTION_LINEAR) {
        for (int a = 0; a < 3; ++a) {
            WidenBox(machine, a, g_ToolTipPoint[a]);
            WidenBox(work, a, g_ToolTipPoint[a] - g_ActiveWorkOffset.axis[a]);
        }
        return;
    }
    const double lengthShift = -static_cast<double>(g_CurrentToolLength) + (g_ToolLengthCompOn ? g_ToolLengthOffset : 0.0);
    if (kind == MOTION_ARC_CW || kind == MOTION_ARC_CCW) {
        if (!(g_ArcLength > 0.0)) return;
        double min[3], max[3];
        ExtendBoxByArc(g_PlaneAxis1, g_PlaneAxis2, g_PlaneNormalAxis, kind, g_NcMoveStart.axis, g_NcMoveEnd.axis,
                       g_MoveArcCentre, std::fabs(g_ArcStartRadius), g_FeedValues[1], min, max);
        for (int axis : {xAxis, yAxis, toolAxis}) {
            const double shift = axis == toolAxis ? lengthShift : 0.0;
            const double values[2] = {min[axis] + shift, max[axis] + shift};
            for (double v : values) {
                WidenBox(work, axis, v);
                WidenBox(machine, axis, v + g_ActiveWorkOffset.axis[axis]);
            }
        }
        return;
    }
    if (kind == MOTION_NURBS_SPAN) {
        double point[3];
        for (int i = 0; i < g_NurbsPointCount && GetNurbsControlPoint(i, point); ++i) {
            point[g_ToolAxisIndex] += lengthShift;
            for (int a = 0; a < 3; ++a) {
                WidenBox(work, a, point[a]);
                WidenBox(machine, a, point[a] + g_ActiveWorkOffset.axis[a]);
            }
        }
    }
}

// Tool change of the check (the spindle takes tool). Starts a new step when the current one has time.
void ChangeCheckTool(int tool)
{
    g_SelectedToolNumber = g_SpindleToolNumber = tool;
    SelectCurrentTool(tool, g_WorkPitch);
    g_CommandedToolNumber = -1;
    if (g_DialectHeidenhain || g_DialectSiemens) ComputeToolLengthReference();
}

void CountToolChange()
{
    // The machine stops for the change: the feed motion before it ends at rest, in its own step.
    FlushPendingFeedMove();
    g_CheckNonCutTime += g_ToolChangeTime;
    g_CheckRapidSpeedTime += g_ToolChangeTime;
    // The change time belongs to the totals only, so a change right after another keeps its step.
    if (g_StepTimes[CurrentStep()] > 0.0 && g_MachineStepCount < MACHINING_STEP_SLOTS - 1) ++g_MachineStepCount;
}

// The tool-change rules of the check for a block that gave a T word.
void HandleToolWord()
{
    if (!g_ProgramStarted || g_EorBlock || g_CommandedToolNumber < 0 || g_ToolChangeRouteSteps != 0) return;
    const int tool = g_CommandedToolNumber;
    const int m6 = g_LastMCode == 6;
    if (g_AtcType == ATC_WAIT2 && g_ActiveReaderPlugin < 0) {
        // The block's own T word is the tool call number; the per-block clear leaves 0, not -1, so
        // the T word flag tells whether the M6 block named a tool.
        if (m6 && !g_ToolWordBlock) {
            ChangeCheckTool(tool);
            CountToolChange();
        } else if (m6) {
            g_SpindleToolNumber = g_SelectedToolNumber;
            SelectCurrentTool(g_SpindleToolNumber, g_WorkPitch);
            g_SelectedToolNumber = tool;
            CountToolChange();
        } else {
            g_SelectedToolNumber = tool;
        }
    } else if (g_AtcType == ATC_DIRECT || m6 || g_ActiveReaderPlugin >= 0) {
        ChangeCheckTool(tool);
        CountToolChange();
    } else {
        g_SelectedToolNumber = tool;
    }
    g_StepToolNumbers[CurrentStep()] = g_SpindleToolNumber;
}

// Shifts the pending tool-length change into the move, the machine position and the machine words.
void ApplyPendingLengthShift()
{
    const int axis = g_ToolAxisIndex;
    const double shift = g_PendingToolLengthShift;
    g_NcMoveStart.axis[axis] += shift;
    g_NcMoveEnd.axis[axis] += shift;
    g_MachinePosition.axis[axis] += shift;
    g_MachineAxisWords.axis[axis] += shift;
    g_PendingToolLengthShift = 0.0;
}

// The block end and the machine position of the motion; updates the rotary degree-to-mm factors.
void FinishCheckMotion(double* rotaryRadii, double* degreeFactors)
{
    if (g_CoordinateShiftState == 2) g_CoordinateShiftState = 0;
    FinishBlockPosition();
    if (g_MotionKind == MOTION_NURBS_SPAN) TransformNurbsControlPoints();
    if (g_SubprogramDepth == 0) UpdateProgress(0);
    g_ControlPoint = g_NcMoveEnd;
    UpdateCurrentMachinePosition();
    double radii[2] = {0.0, 0.0};
    ComputeToolAxisOfPosition(&g_MachinePosition, radii);
    for (int r = 0; r < 2; ++r) {
        degreeFactors[r] = (radii[r] + rotaryRadii[r]) * kPi / 360.0;
        rotaryRadii[r] = radii[r];
    }
}

void AddDwell(double seconds)
{
    FlushPendingFeedMove();
    if (g_MotionKind != MOTION_RAPID) {
        g_CheckFeedTime += seconds;
        g_CheckCutTime += seconds;
    } else {
        g_CheckNonCutTime += seconds;
        g_CheckRapidSpeedTime += seconds;
    }
    AddStepTime(seconds);
}

void MarkUsage()
{
    if (g_DWordNumber > 0 && g_DWordNumber < USAGE_FLAG_COUNT) g_DUsedFlags[g_DWordNumber] = 1;
    if (g_HWordNumber > 0 && g_HWordNumber < USAGE_FLAG_COUNT) g_HUsedFlags[g_HWordNumber] = 1;
    const int called = g_ToolWordBlock || g_ToolCallNumber > 0;
    if (called && g_ToolCallNumber >= 0 && g_ToolCallNumber <= g_MaxMagazine && g_ToolUsedFlags != nullptr) {
        g_ToolUsedFlags[g_ToolCallNumber] = 1;
    }
}

// Lengths, times and feed extremes of a feed motion.
void MeasureFeedMotion()
{
    const int kind = g_MotionKind;
    const double feed = g_FeedValues[0];
    double length = 0.0;
    if (kind == MOTION_LINEAR) {
        double direction[3];
        double sum = 0.0;
        for (int a = 0; a < 3; ++a) {
            direction[a] = g_NcMoveEnd.axis[a] - g_NcMoveStart.axis[a];
            sum += direction[a] * direction[a];
        }
        length = std::sqrt(sum);
        if (length == 0.0) return;
        AccumulateFeedMove(length, direction);
    } else {
        if (kind == MOTION_NURBS_SPAN) {
            length = MeasureNurbsLength();
        } else {
            const double rise = g_NcMoveEnd.axis[g_PlaneNormalAxis] - g_NcMoveStart.axis[g_PlaneNormalAxis];
            length = std::sqrt(rise * rise + g_ArcLength * g_ArcLength);
        }
        if (length > 0.0) AccumulateFeedMove(length, nullptr);
    }
    if (feed > 0.0) {
        if (feed > g_CheckMaxFeed) g_CheckMaxFeed = feed;
        if (feed < g_CheckMinFeed) g_CheckMinFeed = feed;
        if (feed < g_RapidFeedrate && feed > g_CheckMaxCutFeed) g_CheckMaxCutFeed = feed;
    }
    const int cycle = g_CannedCycleCode;
    if (kind == MOTION_LINEAR && (cycle == 76 || cycle == 82 || cycle == 88 || cycle == 89) &&
        g_NcMoveEnd.axis[AXIS_Z] < g_NcMoveStart.axis[AXIS_Z]) {
        g_CheckFeedTime += g_CycleDwell;
        g_CheckCutTime += g_CycleDwell;
        AddStepTime(g_CycleDwell);
    }
}

// Lengths and time of a rapid motion; 0 when it does not move.
int MeasureRapidMotion(const double* degreeFactors)
{
    FlushPendingFeedMove();
    double delta[5];
    for (int a = 0; a < 3; ++a) delta[a] = g_NcMoveEnd.axis[a] - g_NcMoveStart.axis[a];
    const int shortest[2] = {g_Rotary1Shortest, g_Rotary2Shortest};
    for (int r = 0; r < 2; ++r) {
        const double from = g_NcMoveStart.axis[AXIS_ROTARY1 + r], to = g_NcMoveEnd.axis[AXIS_ROTARY1 + r];
        delta[3 + r] = (shortest[r] ? DiffRotaryAngle(from, to) : to - from) * degreeFactors[r];
    }
    double sum = 0.0;
    for (double d : delta) sum += d * d;
    const double length = std::sqrt(sum);
    if (length == 0.0) return 0;
    g_CheckRapidLength += length;
    g_CheckRapidSpeedLength += length;
    const double ax = std::fabs(delta[0]), ay = std::fabs(delta[1]), az = std::fabs(delta[2]);
    const int axis = (ax > ay && ax > az) ? 0 : (ay > ax && ay > az) ? 1 : 2;
    const double t = ComputeMoveTime(std::fabs(delta[axis]), 0.0, g_RapidFeedRates[axis] / 60.0, 0.0,
                                     g_RapidAccelerations[axis]);
    g_CheckRapidSpeedTime += t;
    g_CheckNonCutTime += t;
    AddStepTime(t);
    return 1;
}

// Resets every result before a pass.
void ResetCheckResults()
{
    ResetBox(&g_CheckExtentsWork);
    ResetBox(&g_CheckExtentsCutWork);
    ResetBox(&g_CheckExtentsMachine);
    ResetBox(&g_CheckExtentsCutMachine);
    g_CheckMaxFeed = g_CheckMaxCutFeed = g_CheckMaxSpindleSpeed = -CHECK_EXTENT_EMPTY;
    g_CheckMinFeed = CHECK_EXTENT_EMPTY;
    g_CheckFeedPathLength = g_CheckCutLength = g_CheckRapidSpeedLength = g_CheckRapidLength = 0.0;
    g_CheckFeedTime = g_CheckNonCutTime = g_CheckCutTime = g_CheckRapidSpeedTime = 0.0;
    g_PendingFeedMove = PendingFeedMove{};
    std::memset(g_DUsedFlags, 0, sizeof g_DUsedFlags);
    std::memset(g_HUsedFlags, 0, sizeof g_HUsedFlags);
    std::memset(g_UsedGCodes, 0, sizeof g_UsedGCodes);
    std::memset(g_UsedMCodes, 0, sizeof g_UsedMCodes);
    if (g_ToolUsedFlags != nullptr) std::memset(g_ToolUsedFlags, 0, static_cast<size_t>(g_MaxMagazine) + 1);
    std::memset(g_StepToolNumbers, 0, sizeof g_StepToolNumbers);
    std::memset(g_StepTimes, 0, sizeof g_StepTimes);
    g_MachineStepCount = 1;
    g_StepToolNumbers[1] = g_SpindleToolNumber;
}

// Opens the input of the pass; 0 when there is none.
int OpenCheckInput()
{
    if (g_ActiveReaderPlugin >= 0) return StartNcReadPlugin();
    g_NcFile = std::fopen(g_NcFilePath, "rb");
    g_SubprogramFolder[0] = '\0';
    if (g_NcFile != nullptr) SetSubprogramFolder(g_NcFilePath);
    return g_NcFile != nullptr;
}

void CloseCheckInput()
{
    for (int level = 0; level < MAX_SUBPROGRAM_DEPTH; ++level) {
        if (g_SubprogramFiles[level] != nullptr) std::fclose(g_SubprogramFiles[level]);
        g_SubprogramFiles[level] = nullptr;
    }
    if (g_ActiveReaderPlugin >= 0) {
        CloseNcReadPlugin();
    } else if (g_NcFile != nullptr) {
        std::fclose(g_NcFile);
    }
    g_NcFile = nullptr;
}

// The measuring loop: one motion per pass until the input ends or an NC alarm stops it.
void RunCheckLoop()
{
    double rotaryRadii[2] = {0.0, 0.0};
    double degreeFactors[2] = {0.0, 0.0};
    ComputeToolAxisOfPosition(&g_MachinePosition, rotaryRadii);
    while (g_NcRunState < NC_RUN_FINISHED) {
        FetchNextMotion();
        if (g_NcAlarmCode != 0) break;
        if (g_SpindleSpeedWord > g_CheckMaxSpindleSpeed) g_CheckMaxSpindleSpeed = g_SpindleSpeedWord;
        HandleToolWord();
        if (g_LastGCode == 92) continue;
        if (g_CoordinateShiftState == 1 && g_PendingToolLengthShift != 0.0) {
            ApplyPendingLengthShift();
            continue;
        }
        FinishCheckMotion(rotaryRadii, degreeFactors);
        if (g_NcAlarmCode != 0) break;
        if (g_DwellBlock) {
            AddDwell(g_CycleDwell);
            continue;
        }
        MarkUsage();
        const int kind = g_MotionKind;
        if (IsFeedKind(kind)) {
            if (kind == MOTION_LINEAR) {
                double sum = 0.0;
                for (int a = 0; a < 3; ++a) {
                    const double d = g_NcMoveEnd.axis[a] - g_NcMoveStart.axis[a];
                    sum += d * d;
                }
                if (sum == 0.0) continue;
            }
            MeasureFeedMotion();
        } else if (kind == MOTION_RAPID) {
            if (!MeasureRapidMotion(degreeFactors)) continue;
        }
        WidenBoxes(&g_CheckExtentsWork, &g_CheckExtentsMachine, kind);
        if (IsFeedKind(kind) && g_FeedValues[0] < g_RapidFeedrate) {
            WidenBoxes(&g_CheckExtentsCutWork, &g_CheckExtentsCutMachine, kind);
        }
    }
}

}  // namespace

void RunNcDataCheck(WindowHandle window)
{
    g_DataCheckRunning = 1;
    if (g_RunFromMemory) IndexNcFile();
    const AxisPosition keptControlPoint = g_ControlPoint;
    const AxisPosition keptWorkOffset = g_ActiveWorkOffset;
    const int keptSpindleTool = g_SpindleToolNumber;
    const int keptSelectedTool = g_SelectedToolNumber;
    BeginProgress(window, 0, 0, g_NcFilePath, 1, "データチェック", "Check Data");
    ResetCheckResults();
    ResetInterpreterState();
    if (OpenCheckInput()) RunCheckLoop();
    if (!g_ProgramStarted) g_NcAlarmCode = NC_ALARM_NO_START_CODE;
    CloseCheckInput();
    if (!g_PluginToolActive) {
        g_SpindleToolNumber = keptSpindleTool;
        SelectCurrentTool(keptSpindleTool, g_WorkPitch);
        g_SelectedToolNumber = keptSelectedTool;
    }
    FlushPendingFeedMove();
    if (g_NurbsAllocated) FreeNurbsBuffers();
    g_CheckLineCount = g_NcLineNumber;
    g_ControlPoint = keptControlPoint;
    g_ActiveWorkOffset = keptWorkOffset;
    // The reset clears the alarm of the pass; the caller reads it afterwards.
    const int alarm = g_NcAlarmCode;
    ResetInterpreterState();
    g_NcAlarmCode = alarm;
    EndProgress();
    if (g_SubprogramDepth > 0) {
        HideSubProgress();
        g_SubprogramDepth = 0;
    }
    CloseAlarmFile();
    g_DataCheckRunning = 0;
}

void ExtendBoxByArc(int first, int second, int normal, int kind, const double* start, const double* end,
                    const double* centre, double radius, double sweep, double* min, double* max)
{
    min[normal] = std::fmin(start[normal], end[normal]);
    max[normal] = std::fmax(start[normal], end[normal]);
    if (std::fabs(2.0 * kPi - sweep) < 0.01) {
        for (int axis : {first, second}) {
            min[axis] = centre[axis] - radius;
            max[axis] = centre[axis] + radius;
        }
        return;
    }
    for (int axis : {first, second}) {
        min[axis] = std::fmin(start[axis], end[axis]);
        max[axis] = std::fmax(start[axis], end[axis]);
    }
    const double s1 = start[first] - centre[first], s2 = start[second] - centre[second];
    const double t = std::sqrt(s1 * s1 + s2 * s2);
    if (t < 0.001) return;
    double c = s1 / t;
    if (c > 1.0) c = 1.0;
    if (c < -1.0) c = -1.0;
    double v = std::acos(c);
    if (s2 < 0.0) v = 2.0 * kPi - v;
    double low = v, high = v + sweep;
    if (kind == MOTION_ARC_CW) {
        low = v - sweep;
        high = v;
    }
    if (high >= 2.0 * kPi) {
        low -= 2.0 * kPi;
        high -= 2.0 * kPi;
    }
    const double eps = 1e-5;
    auto covers = [&](double angle) { return low - eps <= angle && angle <= high + eps; };
    if (covers(0.0)) max[first] = std::fmax(max[first], centre[first] + radius);
    if (covers(kPi / 2.0) || covers(-3.0 * kPi / 2.0)) max[second] = std::fmax(max[second], centre[second] + radius);
    if (covers(kPi) || covers(-kPi)) min[first] = std::fmin(min[first], centre[first] - radius);
    if (covers(3.0 * kPi / 2.0) || covers(-kPi / 2.0)) min[second] = std::fmin(min[second], centre[second] - radius);
}

void AccumulateFeedMove(double length, const double* direction)
{
    PendingFeedMove& p = g_PendingFeedMove;
    double feed = g_FeedValues[0];
    if (g_RigidTapBlock && (g_CannedCycleCode == 74 || g_CannedCycleCode == 84)) feed = g_RigidTapSpeed * g_RigidTapFeed;
    const double zero[3] = {0.0, 0.0, 0.0};
    const double* d = direction != nullptr ? direction : zero;
    if (p.length > 0.0 || p.moves > 0) {
        const double dd = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        const double pd = std::sqrt(p.direction[0] * p.direction[0] + p.direction[1] * p.direction[1] +
                                    p.direction[2] * p.direction[2]);
        double startSpeed = 0.0;
        int smooth = 0;
        if (dd > 0.0 && pd > 0.0) {
            double c = (d[0] * p.direction[0] + d[1] * p.direction[1] + d[2] * p.direction[2]) / (dd * pd);
            if (c > 1.0) c = 1.0;
            if (c < -1.0) c = -1.0;
            smooth = std::acos(c) * 180.0 / kPi <= static_cast<double>(g_SmoothAngle);
        }
        if (smooth && feed == p.feed) {
            p.moves += 1;
            for (int a = 0; a < 3; ++a) p.end[a] = g_NcMoveEnd.axis[a];
            p.length += length;
            for (int a = 0; a < 3; ++a) p.direction[a] = d[a];
            p.kind = g_MotionKind;
            return;
        }
        for (int a = 0; a < 3; ++a) p.end[a] = g_NcMoveStart.axis[a];
        if (smooth) startSpeed = std::fmin(feed, p.feed);
        TimePendingMove(startSpeed);
        p.startSpeed = startSpeed;
    } else {
        p.startSpeed = 0.0;
    }
    p.feed = feed;
    p.moves = 1;
    for (int a = 0; a < 3; ++a) {
        p.start[a] = g_NcMoveStart.axis[a];
        p.end[a] = g_NcMoveEnd.axis[a];
        p.direction[a] = d[a];
    }
    p.length = length;
    p.kind = g_MotionKind;
}

void FlushPendingFeedMove()
{
    PendingFeedMove& p = g_PendingFeedMove;
    if (p.length > 0.0) TimePendingMove(0.0);
    p.length = 0.0;
    p.startSpeed = 0.0;
    p.kind = 0;
    p.moves = 0;
}

void AccumulateFeedTime(int kind, double length, double startSpeed, double feed, double endSpeed)
{
    const PendingFeedMove& p = g_PendingFeedMove;
    double distance = length;
    double scale = 1.0 / 60.0;
    double acceleration = g_AxisAccelerations[0];
    if (kind == MOTION_LINEAR && p.moves == 1 && length > 0.0) {
        const double d[3] = {std::fabs(p.end[0] - p.start[0]), std::fabs(p.end[1] - p.start[1]),
                             std::fabs(p.end[2] - p.start[2])};
        const int axis = (d[0] >= d[1] && d[0] >= d[2]) ? 0 : (d[1] >= d[2]) ? 1 : 2;
        distance = d[axis];
        scale = distance / length / 60.0;
        acceleration = g_AxisAccelerations[axis];
    }
    const double t = ComputeMoveTime(distance, startSpeed * scale, feed * scale, endSpeed * scale, acceleration);
    g_CheckFeedTime += t;
    if (feed < g_RapidFeedrate) {
        g_CheckCutTime += t;
    } else {
        g_CheckRapidSpeedTime += t;
    }
    AddStepTime(t);
}

double ComputeMoveTime(double s, double vs, double vm, double ve, double a)
{
    if (vs == 0.0) vs = 10.0;
    if (vm == 0.0) vm = 10.0;
    if (ve == 0.0) ve = 10.0;
    const double A = a * kGravity;
    if (!(A > 0.0)) return vm > 0.0 ? s / vm : 0.0;
    const double h = (vm + ve) / 2.0 * (vm - ve) / A;
    const double m = (vs + vm) / 2.0 * (vm - vs) / A;
    if (s > h + m) return (s - m - h) / vm + (vm - ve) / A + (vm - vs) / A;
    const double p = std::sqrt(vs * vs / 2.0 + A * s + ve * ve / 2.0);
    return (p - vs) / A + (p - ve) / A;
}
