// PlanRapidMove and PositionOnAcceleratedMove: equal-speed steps and the acceleration-limited plan.
#include "nc/rapid_planning.h"

#include <cmath>

#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"

namespace {

constexpr double ARRIVAL_TOLERANCE = 0.00001;

// The accelerated plan of the last rapid planned in mode 2, per axis X, Y, Z.
struct RapidAccelerationPlan {
    AxisPosition start;
    AxisPosition end;
    double distance[3];
    double speed[3];          // top speed (mm/s)
    double acceleration[3];   // mm/s2
    double cruise[3];         // distance at constant speed (0 or less: never at full speed)
    double accelEnd[3];       // time at the end of the acceleration
    double decelStart[3];     // time at the start of the deceleration
    double accelDistance[3];  // distance covered while accelerating
    double total[3];          // time of the whole move
    double stepTime;
};
RapidAccelerationPlan g_RapidPlan = {};

int CountMovingAxes(const double* distance, int axes)
{
    int moving = 0;
    for (int a = 0; a < axes; ++a) moving += distance[a] != 0.0;
    return moving;
}

// Mode 1: every axis runs at the same speed and stops when it arrives.
int PlanEqualSpeedSteps(const AxisPosition* start, const AxisPosition* end, const double* distance, int axes,
                        AxisPosition* steps)
{
    const int moving = CountMovingAxes(distance, axes);
    if (moving < 2) return 0;
    if (moving == 2) {
        double pair[2];
        int k = 0;
        for (int a = 0; a < axes; ++a) {
            if (distance[a] != 0.0) pair[k++] = distance[a];
        }
        if (pair[0] == pair[1]) return 0;
    }
    const double small = std::fmin(distance[0], std::fmin(distance[1], distance[2]));
    const double large = std::fmax(distance[0], std::fmax(distance[1], distance[2]));
    double middle = small;
    for (int a = 0; a < 3; ++a) {
        if (distance[a] != small && distance[a] != large) {
            middle = distance[a];
            break;
        }
    }
    const double lengths[3] = {small, middle - small, large - middle};
    AxisPosition position = *start;
    int arrived[3] = {0, 0, 0};
    int count = 0;
    for (double length : lengths) {
        if (length == 0.0) continue;
        for (int a = 0; a < 3; ++a) {
            const double target = end->axis[a];
            if (arrived[a] || position.axis[a] == target) continue;
            position.axis[a] += target > position.axis[a] ? length : -length;
            if (std::fabs(position.axis[a] - target) <= ARRIVAL_TOLERANCE) {
                position.axis[a] = target;
                arrived[a] = 1;
            }
        }
        steps[count] = position;
        steps[count].axis[AXIS_ROTARY1] = end->axis[AXIS_ROTARY1];
        steps[count].axis[AXIS_ROTARY2] = end->axis[AXIS_ROTARY2];
        ++count;
    }
    return count;
}

// 1 when two axes of equal distance with equal feeds and accelerations make the plan pointless.
int SameAxisBehaviour(int a, int b)
{
    return g_RapidFeedRates[a] == g_RapidFeedRates[b] && g_RapidAccelerations[a] == g_RapidAccelerations[b];
}

int IsPlanPointless(const double* d)
{
    if (d[0] == d[1]) {
        if (d[2] == 0.0) return SameAxisBehaviour(0, 1);
        return SameAxisBehaviour(0, 1) && SameAxisBehaviour(1, 2);
    }
    if (d[1] == d[2]) return SameAxisBehaviour(1, 2);
    if (d[2] == d[0]) return SameAxisBehaviour(2, 0);
    return 0;
}

// Mode 2: the profile of each axis; the slowest axis sets the step count (one step per move pitch).
int PlanAcceleratedSteps(const AxisPosition* start, const AxisPosition* end, const double* distance)
{
    if (CountMovingAxes(distance, 3) < 2 || IsPlanPointless(distance)) return 0;
    RapidAccelerationPlan& p = g_RapidPlan;
    int slowest = 0;
    for (int a = 0; a < 3; ++a) {
        const double v = g_RapidFeedRates[a] / 60.0;
        const double acc = g_RapidAccelerations[a] * 1000.0;
        if (distance[a] != 0.0 && (!(v > 0.0) || !(acc > 0.0))) return 0;  // no profile without speed
        p.distance[a] = distance[a];
        p.speed[a] = v;
        p.acceleration[a] = acc;
        p.total[a] = p.accelEnd[a] = p.decelStart[a] = p.accelDistance[a] = p.cruise[a] = 0.0;
        if (distance[a] == 0.0) continue;
        p.cruise[a] = distance[a] - v * v / acc;
        if (p.cruise[a] <= 0.0) {
            p.accelEnd[a] = p.decelStart[a] = std::sqrt(distance[a] / acc);
            p.total[a] = 2.0 * p.accelEnd[a];
        } else {
            p.accelEnd[a] = v / acc;
            p.total[a] = 2.0 * p.accelEnd[a] + p.cruise[a] / v;
            p.decelStart[a] = p.accelEnd[a] + p.cruise[a] / v;
            p.accelDistance[a] = p.accelEnd[a] * p.accelEnd[a] * acc / 2.0;
        }
        if (p.total[a] > p.total[slowest]) slowest = a;
    }
    if (!(g_MovePitch > 0.0)) return 0;  // a pitch of 0: no subdivision
    const double steps = std::ceil(distance[slowest] / g_MovePitch);
    if (!(steps >= 2.0)) return 0;
    const int count = steps > 1e9 ? 1000000000 : (int)steps;
    p.stepTime = p.total[slowest] / count;
    p.start = *start;
    p.end = *end;
    return count;
}

// Distance travelled by axis a of the plan at time t.
double TravelAt(int a, double t)
{
    const RapidAccelerationPlan& p = g_RapidPlan;
    const double acc = p.acceleration[a];
    if (t <= p.accelEnd[a]) return t * t * acc / 2.0;
    if (p.cruise[a] > 0.0 && t <= p.decelStart[a]) return (t - p.accelEnd[a]) * p.speed[a] + p.accelDistance[a];
    if (t < p.total[a]) return p.distance[a] - (p.total[a] - t) * (p.total[a] - t) * acc / 2.0;
    return p.distance[a];
}

}  // namespace

void PlanRapidMove(int mode, const AxisPosition* start, const AxisPosition* end, int* count, AxisPosition* steps)
{
    *count = 0;
    if (mode != RAPID_EQUAL_SPEED && mode != RAPID_ACCELERATED) return;
    if ((g_G00PathLine && g_RunMode >= 4) || g_CoordinateRotationState > 0) return;
    int axes = g_AxisCount < AXIS_POSITION_COUNT ? g_AxisCount : AXIS_POSITION_COUNT;
    if (axes < 3) axes = 3;
    double distance[AXIS_POSITION_COUNT] = {};
    for (int a = 0; a < axes; ++a) distance[a] = std::fabs(end->axis[a] - start->axis[a]);
    if (mode == RAPID_EQUAL_SPEED) {
        *count = PlanEqualSpeedSteps(start, end, distance, axes, steps);
    } else {
        *count = PlanAcceleratedSteps(start, end, distance);
    }
}

void PositionOnAcceleratedMove(int count, int k, AxisPosition* position)
{
    const RapidAccelerationPlan& p = g_RapidPlan;
    *position = p.end;
    if (k >= count) return;
    const double t = k * p.stepTime;
    for (int a = 0; a < 3; ++a) {
        const double from = p.start.axis[a];
        if (p.distance[a] == 0.0) {
            position->axis[a] = from;
            continue;
        }
        const double e = TravelAt(a, t);
        position->axis[a] = p.end.axis[a] > from ? from + e : from - e;
    }
}
