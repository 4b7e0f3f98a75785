// Rotary solution choice between two survivors: primary distances closer than 1e-6 hand the choice to
// the secondary distance, a larger difference decides by itself; and the overtravel search over two
// stroke-range sets reports a rotary axis beyond set 0 without looking at the other sets.
#include "machine_setup/machine/inverse_kinematics.h"

#include <gtest/gtest.h>

#include "kinematics_test_support.h"
#include "machine_setup/machine/forward_kinematics.h"
#include "machine_setup/machine/stroke_limits.h"

namespace {

const int kNoRange[2] = {0, 0};
const double kAnyRange[2] = {0.0, 0.0};

TEST(AcceptanceRotaryChoice, PrimaryTieWithinOneMillionthGoesToTheSecondaryDistance)
{
    // HEAD C/A, tool axis along +X: candidates (C, A) = (-90, -90) and (90, 90). C is primary.
    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    const double alongX[3] = {1.0, 0.0, 0.0};
    struct Case {
        double previousC, previousA;
        double c, a;
    };
    const Case cases[] = {
        {0.0, 80.0, 90.0, 90.0},      // equal primary distances: A's 10 beats 170
        {0.0, -80.0, -90.0, -90.0},
        {-3e-7, 80.0, 90.0, 90.0},    // primary 89.9999997 against 90.0000003: a tie within 1e-6
        {3e-7, -80.0, -90.0, -90.0},
        {-2e-6, 80.0, -90.0, -90.0},  // primary differs by 4e-6: C decides although A prefers 90
        {2e-6, -80.0, 90.0, 90.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "previous (" << c.previousC << ", " << c.previousA << ")");
        const double previous[2] = {c.previousC, c.previousA};
        double result[2];
        ASSERT_EQ(1, SolveInverseKinematics(alongX, previous, kNoRange, kAnyRange, kAnyRange, result));
        EXPECT_EQ(2, g_LastRotarySolutionCount);
        EXPECT_NEAR(c.c, result[0], 1e-9);
        EXPECT_NEAR(c.a, result[1], 1e-9);
    }
}

TEST(AcceptanceRotaryChoice, RotaryAxisBeyondSetZeroIsReportedWithoutTheOtherSets)
{
    SetUpMachineForTest(MACHINE_TABLE, 0, 2);
    for (int set = 0; set < 2; ++set) {
        for (int axis = 0; axis < 5; ++axis) g_StrokeLimits[set].enabled[axis] = 0;
    }
    g_StrokeLimits[0].range[2 * AXIS_ROTARY1] = -30.0;
    g_StrokeLimits[0].range[2 * AXIS_ROTARY1 + 1] = 30.0;
    g_StrokeLimits[0].enabled[AXIS_ROTARY1] = 1;
    // Set 1 takes every linear position; its rotary range is never looked at.
    for (int axis = 0; axis < 3; ++axis) {
        g_StrokeLimits[1].range[2 * axis] = -1000.0;
        g_StrokeLimits[1].range[2 * axis + 1] = 1000.0;
        g_StrokeLimits[1].enabled[axis] = 1;
    }
    g_StrokeLimitSetCount = 2;
    g_Rotary1Letter = 'A';
    double position[5] = {0.0, 0.0, 0.0, 45.0, 0.0};
    EXPECT_EQ(AXIS_ROTARY1, FindNearestAxisOvertravel(position));
    EXPECT_EQ('A', g_OvertravelAxisLetter);
    position[3] = 30.0 + 1e-5;  // within the tolerance
    EXPECT_EQ(-1, FindNearestAxisOvertravel(position));
    g_StrokeLimitSetCount = 0;
    g_StrokeLimits[0].enabled[AXIS_ROTARY1] = 0;
    for (int axis = 0; axis < 3; ++axis) g_StrokeLimits[1].enabled[axis] = 0;
}

}  // namespace
