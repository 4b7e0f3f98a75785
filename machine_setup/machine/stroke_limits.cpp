// Rotary angles and stroke limits: a computed rotary angle moved by whole turns next to the previous
// angle and into its range, an interpolated angle wrapped into its range, and the axis of a position
// beyond its stroke over the stroke-range sets of the machine definition.
#include "machine_setup/machine/stroke_limits.h"

#include <cmath>

#include "machine_setup/machine/machine_definition.h"

char g_OvertravelAxisLetter = ' ';

namespace {

const double kPi = 3.141592653589793;
const double kTurn = 6.283185307179586;
const int kMaxRangeTurns = 1000;          // whole-turn shifts tried to bring an angle into its range
const int kMaxNearestTurns = 1000000;     // whole-turn shifts towards the previous angle
const double kOvertravelTolerance = 1e-5;

char LetterOfAxis(int axis)
{
    if (axis < 3) return g_MachineAxisLetters[axis];
    return axis == AXIS_ROTARY1 ? g_Rotary1Letter : g_Rotary2Letter;
}

// Amount by which value lies beyond [minimum, maximum], or 0 when inside within the tolerance.
double OvertravelAmount(double value, double minimum, double maximum)
{
    if (value < minimum && minimum - value > kOvertravelTolerance) return minimum - value;
    if (value > maximum && value - maximum > kOvertravelTolerance) return value - maximum;
    return 0.0;
}

// One rotary angle of the stroke check: inside, or shifted by one turn into the range.
// Returns 1 inside (angle possibly shifted), 0 outside.
int CheckOneRotaryRange(double* angle, double minimum, double maximum, int* shifted)
{
    *shifted = 0;
    double degrees = *angle * 180.0 / kPi;
    if (degrees >= minimum && degrees <= maximum) return 1;
    double shiftedDegrees = 0.0, shiftedAngle = 0.0;
    if (*angle > 0.0) {
        shiftedDegrees = degrees - 360.0;
        shiftedAngle = *angle - kTurn;
    } else if (*angle < 0.0) {
        shiftedDegrees = degrees + 360.0;
        shiftedAngle = *angle + kTurn;
    } else {
        return 0;
    }
    if (shiftedDegrees < minimum || shiftedDegrees > maximum) return 0;
    *angle = shiftedAngle;
    *shifted = 1;
    return 1;
}

}  // namespace

int NormaliseRotaryAngle(double previousDeg, int rangeEnabled, double minDeg, double maxDeg, double* candidate)
{
    double a = previousDeg * kPi / 180.0;
    double e = *candidate;
    if (!std::isfinite(a) || !std::isfinite(e)) return 0;
    int steps = 0;
    if (e > a) {
        while (e > a && e - a > kPi) {
            if (++steps > kMaxNearestTurns) return 0;
            e -= kTurn;
        }
    } else {
        while (e < a && a - e > kPi) {
            if (++steps > kMaxNearestTurns) return 0;
            e += kTurn;
        }
    }
    if (rangeEnabled) {
        double minimum = minDeg * kPi / 180.0;
        double maximum = maxDeg * kPi / 180.0;
        if (e < minimum) {
            int k = 0;
            for (; k < kMaxRangeTurns; ++k) {
                e += kTurn;
                if (e > maximum) return 0;
                if (e >= minimum) break;
            }
            if (k == kMaxRangeTurns) return 0;
        } else if (e > maximum) {
            int k = 0;
            for (; k < kMaxRangeTurns; ++k) {
                e -= kTurn;
                if (e < minimum) return 0;
                if (e <= maximum) break;
            }
            if (k == kMaxRangeTurns) return 0;
        }
    }
    *candidate = e;
    return 1;
}

int WrapAngleIntoRange(double* angleDeg, double minDeg, double maxDeg)
{
    const double angle = *angleDeg;
    if (!std::isfinite(angle) || !std::isfinite(minDeg) || !std::isfinite(maxDeg) || minDeg > maxDeg) return 0;
    // The whole turns are taken in one step from the remainder of the distance to the bound, so the
    // wrap ends for every finite value (repeated 360 steps would not move one of large magnitude).
    if (angle > maxDeg) {
        const double rest = std::fmod(angle - maxDeg, 360.0);   // angle lies rest above a turn of maxDeg
        *angleDeg = rest == 0.0 ? maxDeg : maxDeg - (360.0 - rest);
    } else if (angle < minDeg) {
        const double rest = std::fmod(minDeg - angle, 360.0);
        *angleDeg = rest == 0.0 ? minDeg : minDeg + (360.0 - rest);
    }
    return 1;
}

int IsSaneAxisValue(double value)
{
    return std::isfinite(value) && std::fabs(value) <= AXIS_VALUE_LIMIT ? 1 : 0;
}

int CheckRotaryStrokeLimits(double* angle1, double* angle2)
{
    const StrokeLimitSet& set = g_StrokeLimits[0];
    int shifted = 0;
    if (set.enabled[AXIS_ROTARY1]) {
        if (!CheckOneRotaryRange(angle1, set.range[2 * AXIS_ROTARY1], set.range[2 * AXIS_ROTARY1 + 1], &shifted)) {
            return 0;
        }
    }
    if (set.enabled[AXIS_ROTARY2]) {
        if (!CheckOneRotaryRange(angle2, set.range[2 * AXIS_ROTARY2], set.range[2 * AXIS_ROTARY2 + 1], &shifted)) {
            return 0;
        }
    }
    return 1;
}

int FindAxisOvertravel(const double* position)
{
    const StrokeLimitSet& set = g_StrokeLimits[0];
    for (int axis = 0; axis < MACHINE_AXIS_COUNT; ++axis) {
        if (!set.enabled[axis]) continue;
        if (OvertravelAmount(position[axis], set.range[2 * axis], set.range[2 * axis + 1]) > 0.0) {
            g_OvertravelAxisLetter = LetterOfAxis(axis);
            return axis;
        }
    }
    return -1;
}

int FindNearestAxisOvertravel(const double* position)
{
    int first = FindAxisOvertravel(position);
    if (g_StrokeLimitSetCount <= 1 || first < 0 || first >= AXIS_ROTARY1) return first;
    int setCount = g_StrokeLimitSetCount < STROKE_LIMIT_SET_MAX ? g_StrokeLimitSetCount : STROKE_LIMIT_SET_MAX;
    double bestAmount = 10000000.0;
    int bestAxis = first;
    for (int s = 0; s < setCount; ++s) {
        const StrokeLimitSet& set = g_StrokeLimits[s];
        double setAmount = 10000000.0;
        int setAxis = -1;
        for (int axis = 0; axis < 3; ++axis) {
            if (!set.enabled[axis]) continue;
            double amount = OvertravelAmount(position[axis], set.range[2 * axis], set.range[2 * axis + 1]);
            if (amount > 0.0 && amount < setAmount) {
                setAmount = amount;
                setAxis = axis;
            }
        }
        if (setAxis < 0) return -1;   // inside this set: the position is acceptable
        if (setAmount < bestAmount) {
            bestAmount = setAmount;
            bestAxis = setAxis;
        }
    }
    g_OvertravelAxisLetter = g_MachineAxisLetters[bestAxis];
    return bestAxis;
}
