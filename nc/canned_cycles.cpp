// ExpandCannedCycle: the points of one drilling cycle block (the levels, the stroke of each cycle code,
// the return and the repetitions) and the growth of the look-ahead arrays that hold them.
#include "nc/canned_cycles.h"

#include <cmath>
#include <cstdlib>

#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_words.h"

namespace {

// The levels of a cycle along the plane normal and the expansion's output state.
struct CycleExpansion {
    int fill;         // 1: store the points
    int limit;        // entries the points may fill
    int full;         // 1 once a point did not fit
    double g;         // R level
    double f;         // bottom
    double m;         // return level
    double peck;      // Q
    int lastFeed;     // index of the last feed point, -1 none
    double lastValue; // normal value of the last point appended
};

int IsSkipRun()
{
    return g_RunMode == 2 || g_RunMode == 3;
}

void Append(CycleExpansion* e, int kind, double value)
{
    const int n = g_LookaheadCount;
    if (n >= e->limit) {
        e->full = 1;
        return;
    }
    if (e->fill) {
        g_LookaheadKinds[n] = kind;
        g_LookaheadValues[n] = value;
        g_LookaheadPlaneValues[2 * n] = g_NcTargetPosition.axis[g_PlaneAxis1];
        g_LookaheadPlaneValues[2 * n + 1] = g_NcTargetPosition.axis[g_PlaneAxis2];
        if (n < LOOKAHEAD_POINT_COUNT) {
            g_LookaheadPoints[n][g_PlaneAxis1] = g_NcTargetPosition.axis[g_PlaneAxis1];
            g_LookaheadPoints[n][g_PlaneAxis2] = g_NcTargetPosition.axis[g_PlaneAxis2];
            g_LookaheadPoints[n][g_PlaneNormalAxis] = value;
        }
    }
    if (kind == MOTION_LINEAR) e->lastFeed = n;
    e->lastValue = value;
    g_LookaheadCount = n + 1;
}

// The last feed point of a peck stroke goes exactly to the bottom.
void SetLastFeedToBottom(CycleExpansion* e)
{
    const int n = e->lastFeed;
    if (n < 0 || !e->fill) return;
    g_LookaheadValues[n] = e->f;
    if (n < LOOKAHEAD_POINT_COUNT) g_LookaheadPoints[n][g_PlaneNormalAxis] = e->f;
}

// 1 when a peck loop must end before its next point: bottom reached, a skip run, or no room left.
int PeckEnds(const CycleExpansion* e, double depth)
{
    return IsSkipRun() || e->f >= depth || g_LookaheadCount + 1 > e->limit - 5 || e->full;
}

// Retract distance of a peck in the HEIDENHAIN dialect.
double HeidenhainPeckReturn(double q)
{
    const double a = std::fabs(q);
    return a <= 30.0 ? 0.6 : std::fmin(7.0, a / 50.0);
}

// G73 (high-speed peck), G83 (deep-hole peck) and HEIDENHAIN 200 / 203. A peck depth of 0 or less
// gives one feed to the bottom.
void AppendPeckStroke(CycleExpansion* e, int code)
{
    if (e->peck <= 0.0) {
        Append(e, MOTION_LINEAR, e->f);
        return;
    }
    const int heidenhain = g_DialectHeidenhain;
    const double top = code >= 200 ? g_QParameters[203] : e->g;
    double d = code == 73 ? g_PeckReturnG73 : g_PeckReturnG83;
    if (heidenhain && code < 200) d = HeidenhainPeckReturn(e->peck);
    for (int w = 1;; ++w) {
        const double depth = top - w * e->peck;
        Append(e, MOTION_LINEAR, depth);
        if (PeckEnds(e, depth)) break;
        if (code == 73) {
            Append(e, MOTION_RAPID, depth + d);
        } else {
            Append(e, MOTION_RAPID, e->g);
            Append(e, MOTION_RAPID, depth + d);
        }
    }
    SetLastFeedToBottom(e);
}

// G83 in the OSP form: I per cut, a full retract after every J of depth.
void AppendOspPeckStroke(CycleExpansion* e)
{
    const double i = g_OspCycleParameters.values[0];
    const double j = g_OspCycleParameters.values[1];
    if (i <= 0.0) return;
    double top = e->g;
    for (;;) {
        int retract = 0;
        for (int c = 1;; ++c) {
            const double depth = top - c * i;
            Append(e, MOTION_LINEAR, depth);
            if (PeckEnds(e, depth)) {
                SetLastFeedToBottom(e);
                return;
            }
            if (j > 0.0 && depth <= top - j) {
                top = depth;
                retract = 1;
                break;
            }
            Append(e, MOTION_RAPID, depth + g_PeckReturnG73);
        }
        if (!retract) return;
        Append(e, MOTION_RAPID, e->g);
        Append(e, MOTION_RAPID, top + g_PeckReturnG83);
    }
}

void AppendStroke(CycleExpansion* e, int code)
{
    if (code == 73 || code == 83 || code == 200 || code == 203) {
        if (code == 83 && g_DialectOsp && g_OspCycleParameters.iGiven && !g_OspCycleParameters.peck) {
            AppendOspPeckStroke(e);
        } else if (code < 200 || g_DialectHeidenhain) {
            AppendPeckStroke(e, code);
        }
        return;
    }
    const int feedsToBottom = code == 74 || code == 76 || code == 81 || code == 82 || (code >= 84 && code <= 199) ||
                              code == 201 || code == 202 || code == 206 || code == 207 || code == 209;
    if (feedsToBottom) Append(e, MOTION_LINEAR, e->f);
}

void AppendReturn(CycleExpansion* e, int code)
{
    const int rapidOut = code == 73 || code == 76 || code == 81 || code == 82 || code == 83 || code == 86 ||
                         (code >= 200 && code <= 203);
    if (rapidOut) {
        Append(e, MOTION_RAPID, e->m);
        return;
    }
    Append(e, MOTION_LINEAR, e->g);
    if (g_CycleReturnToInitial > 0) Append(e, MOTION_RAPID, e->m);
}

// The R level, bottom, return level and peck depth of the active cycle.
void ComputeCycleLevels(CycleExpansion* e, int code)
{
    const double initial = g_CycleInitialLevel;
    const int heidenhain = g_DialectHeidenhain;
    const HeidenhainCycleParameters& h = g_HeidenhainCycleParameters;
    e->peck = heidenhain ? h.peckDepth : g_CyclePeck;
    if (heidenhain && code >= 200) {
        const double surface = g_QParameters[203];
        e->g = g_QParameters[200] + surface;
        e->f = g_QParameters[201] + surface;
        e->m = g_QParameters[204] + surface;
        g_PeckReturnG83 = g_QParameters[200];
        g_PeckReturnG73 = g_QParameters[200];
    } else {
        if (heidenhain) {
            e->g = initial;
            e->f = e->g - h.clearance + h.holeBottom;
        } else if (g_CycleIncrementalMode) {
            e->g = initial + g_CycleRPoint;
            e->f = e->g + g_CycleBottom;
        } else {
            e->g = g_CycleRPoint;
            e->f = g_CycleBottom;
        }
        const int r = g_CycleReturnToInitial;
        e->m = r == 1 ? initial : r == 2 ? g_CycleReturnLevel : e->g;
    }
    if (g_CycleRepeatCount >= 2) e->m = initial;
}

// The points of one hole at g_NcTargetPosition, coming from g_NcPreviousPosition.
void AppendHole(CycleExpansion* e, int code)
{
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2, n = g_PlaneNormalAxis;
    const double previousNormal = g_NcPreviousPosition.axis[n];
    if (g_NcPreviousPosition.axis[a1] != g_NcTargetPosition.axis[a1] ||
        g_NcPreviousPosition.axis[a2] != g_NcTargetPosition.axis[a2]) {
        Append(e, MOTION_RAPID, previousNormal);
    }
    if (g_CycleRepeatCount == 0) return;
    if (previousNormal != e->g) Append(e, MOTION_RAPID, e->g);
    if (!g_DialectHeidenhain && code >= 70 && code <= 89 && g_CycleClearance[code - 70] > 0.0) {
        Append(e, MOTION_RAPID, e->g - g_CycleClearance[code - 70]);
    }
    AppendStroke(e, code);
    AppendReturn(e, code);
}

// Replaces the look-ahead arrays by empty ones of capacity entries; 0 (arrays kept) without memory.
int ReallocateLookaheadArrays(int capacity)
{
    int* kinds = (int*)std::calloc((size_t)capacity, sizeof(int));
    double* values = (double*)std::calloc((size_t)capacity, sizeof(double));
    double* plane = (double*)std::calloc(2 * (size_t)capacity, sizeof(double));
    if (kinds == nullptr || values == nullptr || plane == nullptr) {
        std::free(kinds);
        std::free(values);
        std::free(plane);
        return 0;
    }
    std::free(g_LookaheadKinds);
    std::free(g_LookaheadValues);
    std::free(g_LookaheadPlaneValues);
    g_LookaheadKinds = kinds;
    g_LookaheadValues = values;
    g_LookaheadPlaneValues = plane;
    g_LookaheadCapacity = capacity;
    return 1;
}

}  // namespace

void ExpandCannedCycle(int fill)
{
    const int code = g_CannedCycleCode;
    CycleExpansion e = {};
    e.fill = fill;
    e.limit = fill ? g_LookaheadCapacity : LOOKAHEAD_MAX_CAPACITY;
    e.lastFeed = -1;
    g_LookaheadCount = 0;
    if (fill && (g_LookaheadKinds == nullptr || g_LookaheadValues == nullptr || g_LookaheadPlaneValues == nullptr)) {
        return;
    }
    ComputeCycleLevels(&e, code);
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
    const int holes = g_CycleRepeatCount > 1 ? g_CycleRepeatCount : 1;
    for (int hole = 1;; ++hole) {
        e.lastFeed = -1;
        AppendHole(&e, code);
        if (hole >= holes || e.full) break;
        for (int a : {a1, a2}) {
            const double step = g_NcTargetPosition.axis[a] - g_NcPreviousPosition.axis[a];
            g_NcPreviousPosition.axis[a] = g_NcTargetPosition.axis[a];
            g_NcTargetPosition.axis[a] += step;
        }
        // The next hole starts where this one's return left the tool, not at the height before it.
        if (g_LookaheadCount > 0) g_NcPreviousPosition.axis[g_PlaneNormalAxis] = e.lastValue;
    }
}

int QueueCannedCyclePoints()
{
    const AxisPosition previous = g_NcPreviousPosition;
    const AxisPosition target = g_NcTargetPosition;
    const double peckReturns[2] = {g_PeckReturnG73, g_PeckReturnG83};
    ExpandCannedCycle(0);
    const int count = g_LookaheadCount;
    // Room for the points and the margin the peck loops keep, so that both passes end alike.
    if (count + 10 > g_LookaheadCapacity || g_LookaheadKinds == nullptr) {
        int capacity = count + 10 < LOOKAHEAD_MAX_CAPACITY ? count + 10 : LOOKAHEAD_MAX_CAPACITY;
        if (capacity < LOOKAHEAD_INITIAL_CAPACITY) capacity = LOOKAHEAD_INITIAL_CAPACITY;
        if (capacity != g_LookaheadCapacity && !ReallocateLookaheadArrays(capacity)) {
            g_LookaheadCount = 0;
            return 0;
        }
    }
    // The second pass starts from the same inputs as the first.
    g_NcPreviousPosition = previous;
    g_NcTargetPosition = target;
    g_PeckReturnG73 = peckReturns[0];
    g_PeckReturnG83 = peckReturns[1];
    ExpandCannedCycle(1);
    return g_LookaheadCount;
}
