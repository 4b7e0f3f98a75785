// Inverse kinematics: every supported axis combination solved back from random angles, the solution
// choice (kept angle, nearer survivor, primary axis, ties), the filters, the long-move warning, the
// chooser for delivered vectors and the signed rotary difference with its HEIDENHAIN ties.
#include "machine_setup/machine/inverse_kinematics.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/ui/shell_services.h"
#include "kinematics_test_support.h"
#include "machine_setup/machine/forward_kinematics.h"

namespace {

const int kNoRange[2] = {0, 0};
const double kAnyRange[2] = {0.0, 0.0};

struct Combination {
    const char* name;
    int kind, axis1, axis2;
    int form;   // 0 plain; 1 rotary 1 inclined; 2 rotary 2 inclined; 3 rotary 1 by vector; 4 rotary 2 by vector
};

void SetUpCombination(const Combination& c, int sign1, int sign2)
{
    SetUpMachineForTest(c.kind, c.axis1, c.axis2, sign1, sign2);
    if (c.form == 1) InclineRotaryForTest(0, 30.0);
    if (c.form == 2) InclineRotaryForTest(1, -25.0);
    if (c.form == 3) SetRotaryVectorForTest(0, 25.0, 35.0);
    if (c.form == 4) SetRotaryVectorForTest(1, 20.0, -40.0);
}

TEST(InverseKinematics, SolvedAnglesReproduceTheToolAxis)
{
    const Combination combinations[] = {
        {"HEAD C/A", MACHINE_HEAD, 2, 0, 0}, {"HEAD C/B", MACHINE_HEAD, 2, 1, 0},
        {"HEAD B/A", MACHINE_HEAD, 1, 0, 0}, {"HEAD A/B", MACHINE_HEAD, 0, 1, 0},
        {"HEAD A/C", MACHINE_HEAD, 0, 2, 0}, {"HEAD B/C", MACHINE_HEAD, 1, 2, 0},
        {"TABLE A/C", MACHINE_TABLE, 0, 2, 0}, {"TABLE B/C", MACHINE_TABLE, 1, 2, 0},
        {"TABLE A/B", MACHINE_TABLE, 0, 1, 0}, {"TABLE B/A", MACHINE_TABLE, 1, 0, 0},
        {"TABLE C/A", MACHINE_TABLE, 2, 0, 0}, {"TABLE C/B", MACHINE_TABLE, 2, 1, 0},
        {"MIX B/C", MACHINE_MIX, 1, 2, 0}, {"MIX A/C", MACHINE_MIX, 0, 2, 0},
        {"MIX A/B", MACHINE_MIX, 0, 1, 0}, {"MIX B/A", MACHINE_MIX, 1, 0, 0},
        {"NONE B/C", MACHINE_NONE, 1, 2, 0}, {"NONE A/B", MACHINE_NONE, 0, 1, 0},
        {"HEAD inclined B/A", MACHINE_HEAD, 1, 0, 1}, {"HEAD inclined C/B", MACHINE_HEAD, 2, 1, 1},
        {"HEAD B/inclined B", MACHINE_HEAD, 1, 1, 2}, {"HEAD C/inclined A", MACHINE_HEAD, 2, 0, 2},
        {"HEAD C/inclined B", MACHINE_HEAD, 2, 1, 2}, {"HEAD C/vector A", MACHINE_HEAD, 2, 0, 4},
        {"HEAD C/vector B", MACHINE_HEAD, 2, 1, 4},
        {"TABLE inclined B/A", MACHINE_TABLE, 1, 0, 1}, {"TABLE inclined A/A", MACHINE_TABLE, 0, 0, 1},
        {"TABLE vector A/A", MACHINE_TABLE, 0, 0, 3}, {"TABLE vector B/A", MACHINE_TABLE, 1, 0, 3},
        {"TABLE inclined B/C", MACHINE_TABLE, 1, 2, 1}, {"TABLE inclined A/C", MACHINE_TABLE, 0, 2, 1},
        {"TABLE vector A/C", MACHINE_TABLE, 0, 2, 3}, {"TABLE vector B/C", MACHINE_TABLE, 1, 2, 3},
        {"MIX inclined B/A", MACHINE_MIX, 1, 0, 1}, {"MIX inclined B/C", MACHINE_MIX, 1, 2, 1},
        {"MIX vector B/C", MACHINE_MIX, 1, 2, 3}, {"NONE vector A/C", MACHINE_NONE, 0, 2, 3},
    };
    std::mt19937 random(20261210);
    std::uniform_real_distribution<double> angle(-179.0, 179.0), noise(-30.0, 30.0);
    for (const Combination& c : combinations) {
        for (int signs = 0; signs < 4; ++signs) {
            SetUpCombination(c, (signs & 1) ? -1 : 1, (signs & 2) ? -1 : 1);
            for (int n = 0; n < 250; ++n) {
                double theta[2] = {angle(random), angle(random)};
                double v[3];
                ComputeRotaryFrame(theta, v);
                double previous[2] = {theta[0] + noise(random), theta[1] + noise(random)};
                double result[2], back[3];
                ASSERT_EQ(SolveInverseKinematics(v, previous, kNoRange, kAnyRange, kAnyRange, result), 1) << c.name;
                ComputeRotaryFrame(result, back);
                for (int k = 0; k < 3; ++k) {
                    ASSERT_NEAR(back[k], v[k], 1e-9) << c.name << " signs " << signs << " angles " << theta[0]
                                                      << ", " << theta[1];
                }
            }
        }
    }
}

TEST(InverseKinematics, ToolAxisAlongFirstAxisKeepsPreviousAngle)
{
    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    const double v[3] = {0.0, 0.0, 1.0};
    const double previous[2] = {37.0, 5.0};
    double result[2];
    EXPECT_EQ(SolveInverseKinematics(v, previous, kNoRange, kAnyRange, kAnyRange, result), 1);
    EXPECT_EQ(g_LastRotarySolutionCount, 1);
    EXPECT_NEAR(result[0], 37.0, 1e-12);
    EXPECT_EQ(result[1], 0.0);

    // TABLE B/C: the C axis starts from 0 and is brought to the turn nearest the previous C.
    SetUpMachineForTest(MACHINE_TABLE, 1, 2);
    const double previousTable[2] = {5.0, 725.0};
    EXPECT_EQ(SolveInverseKinematics(v, previousTable, kNoRange, kAnyRange, kAnyRange, result), 1);
    EXPECT_EQ(result[0], 0.0);
    EXPECT_NEAR(result[1], 720.0, 1e-9);
}

TEST(InverseKinematics, NearerOfTwoSurvivorsIsTaken)
{
    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    const double tilted[3] = {0.5, 0.0, 0.8660254};
    const double previous[2] = {80.0, 20.0};
    double result[2];
    EXPECT_EQ(SolveInverseKinematics(tilted, previous, kNoRange, kAnyRange, kAnyRange, result), 1);
    EXPECT_EQ(g_LastRotarySolutionCount, 2);
    EXPECT_NEAR(result[0], 90.0, 1e-9);
    EXPECT_NEAR(result[1], 30.0, 1e-6);

    const double previousOther[2] = {-80.0, 20.0};
    SolveInverseKinematics(tilted, previousOther, kNoRange, kAnyRange, kAnyRange, result);
    EXPECT_NEAR(result[0], -90.0, 1e-9);
    EXPECT_NEAR(result[1], -30.0, 1e-6);

    // Along X: (-90, -90) and (90, 90); equal distances keep the first candidate.
    const double alongX[3] = {1.0, 0.0, 0.0};
    const double zero[2] = {0.0, 0.0};
    SolveInverseKinematics(alongX, zero, kNoRange, kAnyRange, kAnyRange, result);
    EXPECT_EQ(result[0], -90.0);
    EXPECT_EQ(result[1], -90.0);
    const double near90[2] = {80.0, 0.0};
    SolveInverseKinematics(alongX, near90, kNoRange, kAnyRange, kAnyRange, result);
    EXPECT_EQ(result[0], 90.0);
    EXPECT_EQ(result[1], 90.0);
}

TEST(InverseKinematics, PrimaryAxisFollowsMachineKindAndDecisionMode)
{
    // MIX B/C, tool axis with candidates (B, C) = (30, 0) and (-30, 180). Previous (-25, 10):
    // rotary 1 alone would take (-30, 180); rotary 2 primary takes (30, 0).
    SetUpMachineForTest(MACHINE_MIX, 1, 2);
    const double angles[2] = {30.0, 0.0};
    double v[3], result[2];
    ComputeRotaryFrame(angles, v);
    const double previous[2] = {-25.0, 10.0};
    SolveInverseKinematics(v, previous, kNoRange, kAnyRange, kAnyRange, result);
    EXPECT_NEAR(result[0], 30.0, 1e-9);
    EXPECT_NEAR(result[1], 0.0, 1e-9);
    g_AngleDecisionFanuc2 = 1;   // with MIX: both hold, so rotary 1 is primary again
    SolveInverseKinematics(v, previous, kNoRange, kAnyRange, kAnyRange, result);
    EXPECT_NEAR(result[0], -30.0, 1e-9);
    EXPECT_NEAR(std::fabs(result[1]), 180.0, 1e-9);
}

TEST(InverseKinematics, NoSurvivorWritesZeroAndReportsIt)
{
    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    const double angles[2] = {0.0, 60.0};
    double v[3], result[2] = {5.0, 5.0};
    ComputeRotaryFrame(angles, v);
    const double previous[2] = {0.0, 60.0};
    const int enabled[2] = {0, 1};
    const double range2[2] = {-30.0, 30.0};
    EXPECT_EQ(SolveInverseKinematics(v, previous, enabled, kAnyRange, range2, result), 0);
    EXPECT_EQ(result[0], 0.0);
    EXPECT_EQ(result[1], 0.0);
    EXPECT_EQ(g_LastRotarySolutionCount, 0);

    SetUpMachineForTest(MACHINE_MIX, 2, 0);   // head C with table A: no defined solution
    EXPECT_EQ(SolveInverseKinematics(v, previous, kNoRange, kAnyRange, kAnyRange, result), 0);
}

TEST(InverseKinematics, SpatialSequenceRestrictsTiltingAxesOnly)
{
    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    g_PlaneSpatialSequence = -1;
    EXPECT_EQ(CheckRotaryDirectionRestriction(20.0, -20.0), 1);   // C is never restricted
    EXPECT_EQ(CheckRotaryDirectionRestriction(-20.0, 20.0), 0);
    EXPECT_EQ(CheckRotaryDirectionRestriction(20.0, 0.0), 1);
    g_PlaneSpatialSequence = 1;
    EXPECT_EQ(CheckRotaryDirectionRestriction(0.0, -20.0), 0);
    g_PlaneSpatialSequence = 0;
    EXPECT_EQ(CheckRotaryDirectionRestriction(-20.0, -20.0), 1);

    // Solving with HEIDENHAIN and SEQ-: of (90, 30) and (-90, -30) only the second may be taken.
    g_DialectHeidenhain = 1;
    g_PlaneSpatialSequence = -1;
    const double tilted[3] = {0.5, 0.0, 0.8660254};
    const double previous[2] = {80.0, 20.0};
    double result[2];
    EXPECT_EQ(SolveInverseKinematics(tilted, previous, kNoRange, kAnyRange, kAnyRange, result), 1);
    EXPECT_NEAR(result[0], -90.0, 1e-9);
    EXPECT_EQ(g_LastRotarySolutionCount, 1);
    g_PlaneSpatialSequence = 0;
    g_DialectHeidenhain = 0;
}

TEST(InverseKinematics, LongMoveAfterLosingASolutionIsWarned)
{
    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    g_WarningLevel = 1;
    g_MotionKind = 1;
    g_ToolCentreMode = 2;
    g_RunMode = 1;
    int count = g_WarningCount;
    const int enabled[2] = {1, 0};
    const double range1[2] = {-100.0, 100.0};
    double result[2];
    const double first[3] = {0.5, 0.0, 0.8660254};
    const double previous[2] = {80.0, 20.0};
    SolveInverseKinematics(first, previous, enabled, range1, kAnyRange, result);   // two survivors
    EXPECT_EQ(g_LastRotarySolutionCount, 2);
    const double second[3] = {-0.5, 0.0, 0.8660254};   // C = +-90 again, A = -+30
    const double previous2[2] = {90.0, 30.0};
    const double range1b[2] = {-100.0, -80.0};
    SolveInverseKinematics(second, previous2, enabled, range1b, kAnyRange, result);   // one survivor at -90
    EXPECT_EQ(g_LastRotarySolutionCount, 1);
    EXPECT_NEAR(result[0], -90.0, 1e-9);
    EXPECT_EQ(g_WarningCount, count + 1);
    g_RunMode = 0;
    g_MotionKind = 0;
    g_ToolCentreMode = 0;
}

TEST(InverseKinematics, NearUnitInputGivesNoNaN)
{
    const Combination inclined[] = {{"HB", MACHINE_HEAD, 1, 0, 1}, {"HBB", MACHINE_HEAD, 1, 1, 2},
                                    {"C2", MACHINE_HEAD, 2, 1, 2}, {"TC", MACHINE_TABLE, 1, 2, 1}};
    const double v[3] = {0.0, 0.0, 1.0 + 4e-16};
    for (const Combination& c : inclined) {
        SetUpCombination(c, 1, 1);
        const double previous[2] = {10.0, 0.0};
        double result[2];
        SolveInverseKinematics(v, previous, kNoRange, kAnyRange, kAnyRange, result);
        EXPECT_TRUE(std::isfinite(result[0]) && std::isfinite(result[1])) << c.name;
    }
}

TEST(InverseKinematics, ChooserTakesSmallestTurnWithinStrokes)
{
    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    const double alongC[3] = {0.0, 0.0, 1.0};
    double result[2];
    EXPECT_EQ(ChooseRotarySolution(alongC, result), 1);
    EXPECT_EQ(result[0], 0.0);
    EXPECT_EQ(result[1], 0.0);
    // With rotary 1 limited to 10..350 the 0 candidate is dropped; -180 shifts to 180.
    g_StrokeLimits[0].enabled[AXIS_ROTARY1] = 1;
    g_StrokeLimits[0].range[2 * AXIS_ROTARY1] = 10.0;
    g_StrokeLimits[0].range[2 * AXIS_ROTARY1 + 1] = 350.0;
    EXPECT_EQ(ChooseRotarySolution(alongC, result), 1);
    EXPECT_NEAR(result[0], 180.0, 1e-12);
    EXPECT_EQ(result[1], 0.0);
    g_StrokeLimits[0].range[2 * AXIS_ROTARY1 + 1] = 20.0;
    EXPECT_EQ(ChooseRotarySolution(alongC, result), 0);
    EXPECT_EQ(result[0], 0.0);
    g_StrokeLimits[0].enabled[AXIS_ROTARY1] = 0;
}

TEST(InverseKinematics, DiffRotaryAngle)
{
    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    struct Case { double a, b, plain, heidenhain; };
    const Case cases[] = {{370.0, 190.0, 180.0, -180.0}, {190.0, 370.0, -180.0, 180.0},
                          {-170.0, 10.0, -180.0, -180.0}, {-360.0, 90.0, 90.0, 90.0},
                          {10.0, 350.0, -20.0, -20.0}, {0.0, 0.0, 0.0, 0.0}};
    for (const Case& c : cases) {
        g_DialectHeidenhain = 0;
        EXPECT_EQ(DiffRotaryAngle(c.a, c.b), c.plain) << c.a << " -> " << c.b;
        g_DialectHeidenhain = 1;
        EXPECT_EQ(DiffRotaryAngle(c.a, c.b), c.heidenhain) << c.a << " -> " << c.b;
    }
    g_DialectHeidenhain = 0;
    g_IncrementalMode = 1;
    EXPECT_EQ(DiffRotaryAngle(10.0, 400.0), 390.0);
    g_IncrementalMode = 0;
}

}  // namespace
