// Rotary angles and stroke limits: the nearest turn, ranges reached by whole turns (and the failure
// when none fits), wrapping, the rotary stroke check, and the overtravel search over two range sets.
#include "machine_setup/machine/stroke_limits.h"

#include <gtest/gtest.h>

#include "kinematics_test_support.h"

namespace {

const double kPi = 3.141592653589793;

double Radians(double degrees) { return degrees * kPi / 180.0; }
double Degrees(double radians) { return radians * 180.0 / kPi; }

void SetRange(int set, int axis, double minimum, double maximum)
{
    g_StrokeLimits[set].range[2 * axis] = minimum;
    g_StrokeLimits[set].range[2 * axis + 1] = maximum;
    g_StrokeLimits[set].enabled[axis] = 1;
}

TEST(StrokeLimits, NormaliseRotaryAngle)
{
    struct Case { double previous; int enabled; double minimum, maximum, candidate; int result; double expected; };
    const Case cases[] = {
        {0.0, 0, 0.0, 0.0, 190.0, 1, -170.0},      // nearest turn
        {0.0, 0, 0.0, 0.0, 170.0, 1, 170.0},
        {0.0, 0, 0.0, 0.0, 180.0, 1, 180.0},       // exactly half a turn stays
        {725.0, 0, 0.0, 0.0, 0.0, 1, 720.0},
        {0.0, 1, -30.0, 30.0, 400.0, 0, 400.0},    // 40, then -320: no turn fits, candidate untouched
        {0.0, 1, 0.0, 360.0, -90.0, 1, 270.0},     // below the range: one turn up
        {0.0, 1, -360.0, -200.0, 100.0, 1, -260.0},
        {0.0, 1, 400000.0, 400001.0, 0.0, 0, 0.0}, // more than 1000 turns away: a failure
    };
    for (const Case& c : cases) {
        double candidate = Radians(c.candidate);
        EXPECT_EQ(NormaliseRotaryAngle(c.previous, c.enabled, c.minimum, c.maximum, &candidate), c.result)
            << c.candidate;
        EXPECT_NEAR(Degrees(candidate), c.expected, 1e-9) << c.candidate;
    }
    double notFinite = std::nan("");
    EXPECT_EQ(NormaliseRotaryAngle(0.0, 0, 0.0, 0.0, &notFinite), 0);
}

TEST(StrokeLimits, WrapAngleIntoRange)
{
    struct Case { double angle, minimum, maximum, expected; };
    const Case cases[] = {{-10.0, 0.0, 100.0, 350.0}, {725.0, 0.0, 360.0, 5.0}, {-725.0, 0.0, 360.0, 355.0},
                          {50.0, 0.0, 100.0, 50.0}, {360.0, 0.0, 360.0, 360.0}};
    for (const Case& c : cases) {
        double angle = c.angle;
        EXPECT_EQ(WrapAngleIntoRange(&angle, c.minimum, c.maximum), 1);
        EXPECT_EQ(angle, c.expected) << c.angle;
    }
    double huge = 1e300;
    EXPECT_EQ(WrapAngleIntoRange(&huge, 0.0, 360.0), 1);   // terminates
    EXPECT_TRUE(huge >= 0.0 && huge <= 360.0);
    double infinite = HUGE_VAL;
    EXPECT_EQ(WrapAngleIntoRange(&infinite, 0.0, 360.0), 0);
    // Bounds of a magnitude at which one turn is below the rounding step: the wrap still ends.
    struct Far { double angle, minimum, maximum; };
    const Far far[] = {{-1e20 + 65536, -1e20, -1e20}, {-1e20 - 65536, -1e20, -1e20}, {1e20, -1e20, -1e20},
                       {-1e300, 1e300, 1e300}, {5.0, 1e300, 1e300}, {1e300, -1e300, -1e300}};
    for (const Far& f : far) {
        double angle = f.angle;
        EXPECT_EQ(WrapAngleIntoRange(&angle, f.minimum, f.maximum), 1) << f.angle;
        EXPECT_TRUE(std::isfinite(angle)) << f.angle;
    }
}

TEST(StrokeLimits, SaneAxisValues)
{
    EXPECT_EQ(IsSaneAxisValue(0.0), 1);
    EXPECT_EQ(IsSaneAxisValue(-AXIS_VALUE_LIMIT), 1);
    EXPECT_EQ(IsSaneAxisValue(AXIS_VALUE_LIMIT * 1.5), 0);
    EXPECT_EQ(IsSaneAxisValue(-1e20), 0);
    EXPECT_EQ(IsSaneAxisValue(std::nan("")), 0);
    EXPECT_EQ(IsSaneAxisValue(HUGE_VAL), 0);
}

TEST(StrokeLimits, RotaryStrokeCheckShiftsOneTurn)
{
    SetUpMachineForTest(MACHINE_TABLE, 0, 2);
    SetRange(0, AXIS_ROTARY1, 0.0, 360.0);
    double a1 = Radians(-90.0), a2 = Radians(1000.0);
    EXPECT_EQ(CheckRotaryStrokeLimits(&a1, &a2), 1);   // rotary 2 has no range
    EXPECT_NEAR(Degrees(a1), 270.0, 1e-9);
    a1 = Radians(-400.0);
    EXPECT_EQ(CheckRotaryStrokeLimits(&a1, &a2), 0);
    SetRange(0, AXIS_ROTARY1, 10.0, 20.0);
    a1 = 0.0;
    EXPECT_EQ(CheckRotaryStrokeLimits(&a1, &a2), 0);   // exactly 0 outside the range
    SetRange(0, AXIS_ROTARY1, -10.0, 10.0);
    SetRange(0, AXIS_ROTARY2, -180.0, 0.0);
    a1 = 0.0;
    a2 = Radians(270.0);
    EXPECT_EQ(CheckRotaryStrokeLimits(&a1, &a2), 1);
    EXPECT_NEAR(Degrees(a2), -90.0, 1e-9);
}

TEST(StrokeLimits, OvertravelToleranceAndLetters)
{
    SetUpMachineForTest(MACHINE_TABLE, 0, 2);
    g_Rotary1Letter = 'A';
    SetRange(0, AXIS_X, -100.0, 0.0);
    SetRange(0, AXIS_ROTARY1, -30.0, 30.0);
    g_StrokeLimitSetCount = 1;
    double inside[5] = {1e-5, 0.0, 0.0, 0.0, 0.0};
    EXPECT_EQ(FindAxisOvertravel(inside), -1);
    double beyond[5] = {1.1e-5, 0.0, 0.0, 0.0, 0.0};
    EXPECT_EQ(FindAxisOvertravel(beyond), AXIS_X);
    EXPECT_EQ(g_OvertravelAxisLetter, 'X');
    double rotary[5] = {-50.0, 0.0, 0.0, 31.0, 0.0};
    EXPECT_EQ(FindNearestAxisOvertravel(rotary), AXIS_ROTARY1);
    EXPECT_EQ(g_OvertravelAxisLetter, 'A');
}

TEST(StrokeLimits, NearestOvertravelOverTwoSets)
{
    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    g_MachineAxisLetters[0] = 'X';
    g_MachineAxisLetters[1] = 'Y';
    SetRange(0, AXIS_X, 0.0, 100.0);
    SetRange(0, AXIS_Y, 0.0, 100.0);
    SetRange(1, AXIS_X, 0.0, 103.0);
    SetRange(1, AXIS_Y, -50.0, 50.0);
    g_StrokeLimitSetCount = 2;
    // X beyond set 0 by 5 and set 1 by 2; Y beyond set 1 by 10: set 1's X excess (2) is the smallest.
    double p[5] = {105.0, 60.0, 0.0, 0.0, 0.0};
    EXPECT_EQ(FindNearestAxisOvertravel(p), AXIS_X);
    EXPECT_EQ(g_OvertravelAxisLetter, 'X');
    // Y beyond set 0 by 1 and set 1 by 51: Y through set 0.
    double q[5] = {50.0, 101.0, 0.0, 0.0, 0.0};
    g_OvertravelAxisLetter = ' ';
    EXPECT_EQ(FindNearestAxisOvertravel(q), AXIS_Y);
    EXPECT_EQ(g_OvertravelAxisLetter, 'Y');
    // Inside set 1 entirely: acceptable although beyond set 0.
    double r[5] = {102.0, 10.0, 0.0, 0.0, 0.0};
    EXPECT_EQ(FindNearestAxisOvertravel(r), -1);
    // One set in use: the set-0 answer as it is.
    g_StrokeLimitSetCount = 1;
    EXPECT_EQ(FindNearestAxisOvertravel(r), AXIS_X);
}

}  // namespace
