// Forward kinematics: the worked machine examples, exact quarter turns, the axis clean-up, the MIX chain
// for machines without rotary configuration, and the round trip through ApplyForwardKinematicsForAngles.
#include "machine_setup/machine/forward_kinematics.h"

#include <gtest/gtest.h>

#include <random>

#include "kinematics_test_support.h"

namespace {

AxisPosition MakePosition(double x, double y, double z, double r1, double r2)
{
    AxisPosition p = {{x, y, z, r1, r2}};
    return p;
}

void ExpectVector(const double* v, double x, double y, double z, double tolerance)
{
    EXPECT_NEAR(v[0], x, tolerance);
    EXPECT_NEAR(v[1], y, tolerance);
    EXPECT_NEAR(v[2], z, tolerance);
}

TEST(ForwardKinematics, ZeroAnglesGiveTipBelowSpindleOnEveryKind)
{
    for (int kind : {MACHINE_NONE, MACHINE_HEAD, MACHINE_TABLE, MACHINE_MIX}) {
        SetUpMachineForTest(kind, 2, 0);
        g_ToolLength = 50.0;
        SetVectorForTest(g_TablePosition, 10.0, -20.0, 30.0);
        SetVectorForTest(g_TableOffset, 5.0, 7.0, 0.0);
        AxisPosition p = MakePosition(1.0, 2.0, 3.0, 0.0, 0.0);
        double tip[3], axis[3];
        ApplyForwardKinematics(&p, tip, axis);
        ExpectVector(tip, 1.0, 2.0, 3.0 - 50.0, 1e-12);
        EXPECT_EQ(axis[0], 0.0);
        EXPECT_EQ(axis[1], 0.0);
        EXPECT_EQ(axis[2], 1.0);
    }
}

TEST(ForwardKinematics, HeadQuarterTurnAboutXIsExact)
{
    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    AxisPosition p = MakePosition(0.0, 0.0, 0.0, 0.0, 90.0);
    double tip[3], axis[3];
    ApplyForwardKinematics(&p, tip, axis);
    EXPECT_EQ(axis[0], 0.0);
    EXPECT_EQ(axis[1], -1.0);
    EXPECT_EQ(axis[2], 0.0);
}

TEST(ForwardKinematics, HeadExample)
{
    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    SetVectorForTest(g_HeadPosition, 0.0, 0.0, 100.0);
    g_ToolLength = 50.0;
    AxisPosition p = MakePosition(10.0, 20.0, 30.0, 90.0, 30.0);
    double tip[3], axis[3];
    ApplyForwardKinematics(&p, tip, axis);
    ExpectVector(tip, -65.0, 20.0, 0.0961894, 5e-8);
    ExpectVector(axis, 0.5, 0.0, 0.8660254, 5e-8);
    EXPECT_EQ(tip[1], 20.0);
    EXPECT_EQ(axis[1], 0.0);
}

TEST(ForwardKinematics, TableExamples)
{
    SetUpMachineForTest(MACHINE_TABLE, 0, 2);
    AxisPosition p = MakePosition(0.0, 0.0, 100.0, 90.0, 0.0);
    double tip[3], axis[3];
    ApplyForwardKinematics(&p, tip, axis);
    EXPECT_EQ(tip[0], 0.0);
    EXPECT_EQ(tip[1], -100.0);
    EXPECT_EQ(tip[2], 0.0);
    EXPECT_EQ(axis[0], 0.0);
    EXPECT_EQ(axis[1], -1.0);
    EXPECT_EQ(axis[2], 0.0);

    SetVectorForTest(g_TablePosition, 0.0, 0.0, 50.0);
    SetVectorForTest(g_TableOffset, 10.0, 0.0, 0.0);
    g_ToolLength = 20.0;
    p = MakePosition(0.0, 0.0, 120.0, 90.0, 90.0);
    ApplyForwardKinematics(&p, tip, axis);
    EXPECT_EQ(tip[0], 60.0);
    EXPECT_EQ(tip[1], -10.0);
    EXPECT_EQ(tip[2], 50.0);
}

TEST(ForwardKinematics, AxisCleanUpBoundary)
{
    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    const double angles[2] = {0.0, 0.0};
    double axis[3];
    SetVectorForTest(g_ToolDirection, 5e-10, -5e-10, 1.0);
    ComputeRotaryFrame(angles, axis);
    EXPECT_EQ(axis[0], 0.0);
    EXPECT_EQ(axis[1], 0.0);
    SetVectorForTest(g_ToolDirection, 1e-9, -1e-9, 1.0);
    ComputeRotaryFrame(angles, axis);
    EXPECT_EQ(axis[0], 1e-9);
    EXPECT_EQ(axis[1], -1e-9);
    // ApplyRotaryAxesToPoint turns without the clean-up.
    const double v[3] = {5e-10, 0.0, 1.0};
    double turned[3];
    ApplyRotaryAxesToPoint(angles, v, turned);
    EXPECT_EQ(turned[0], 5e-10);
}

TEST(ForwardKinematics, NoRotaryConfigurationFollowsMixChain)
{
    const AxisPosition p = MakePosition(1.0, 2.0, 3.0, 30.0, 45.0);
    double tipNone[3], axisNone[3], tipMix[3], axisMix[3];
    SetUpMachineForTest(MACHINE_NONE, 1, 2);
    g_ToolLength = 40.0;
    ApplyForwardKinematics(&p, tipNone, axisNone);
    SetUpMachineForTest(MACHINE_MIX, 1, 2);
    g_ToolLength = 40.0;
    ApplyForwardKinematics(&p, tipMix, axisMix);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(tipNone[k], tipMix[k]);
        EXPECT_EQ(axisNone[k], axisMix[k]);
    }
    EXPECT_GT(std::fabs(axisNone[0]), 0.1);   // the tool is turned
}

TEST(ForwardKinematics, TableTurnsInclinedRotary2AsPlain)
{
    const double angles[2] = {20.0, 50.0};
    double plain[3], inclined[3];
    SetUpMachineForTest(MACHINE_TABLE, 0, 2);
    ComputeRotaryFrame(angles, plain);
    InclineRotaryForTest(1, 30.0);
    ComputeRotaryFrame(angles, inclined);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(plain[k], inclined[k]);
}

TEST(ForwardKinematics, ForAnglesInvertsForwardOnEveryKind)
{
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> length(-200.0, 200.0), angle(-400.0, 400.0);
    struct Setup { int kind, axis1, axis2, incline1, incline2; };
    const Setup setups[] = {{MACHINE_HEAD, 2, 0, 0, 0}, {MACHINE_HEAD, 1, 0, 1, 0}, {MACHINE_HEAD, 2, 1, 0, 1},
                            {MACHINE_TABLE, 0, 2, 0, 0}, {MACHINE_TABLE, 1, 2, 1, 0}, {MACHINE_MIX, 1, 2, 0, 0},
                            {MACHINE_MIX, 0, 2, 1, 0}, {MACHINE_NONE, 1, 0, 0, 0}};
    for (const Setup& s : setups) {
        SetUpMachineForTest(s.kind, s.axis1, s.axis2, -1, 1);
        if (s.incline1) InclineRotaryForTest(0, 25.0);
        if (s.incline2) InclineRotaryForTest(1, -35.0);
        SetVectorForTest(g_HeadPosition, 3.0, -4.0, 120.0);
        SetVectorForTest(g_HeadOffset, 1.0, 2.0, 30.0);
        SetVectorForTest(g_TablePosition, 15.0, -25.0, 40.0);
        SetVectorForTest(g_TableOffset, 7.0, 9.0, 11.0);
        g_ToolLength = 75.0;
        for (int n = 0; n < 50; ++n) {
            AxisPosition p = MakePosition(length(random), length(random), length(random), angle(random), angle(random));
            double tip[3], axis[3], back[3];
            ApplyForwardKinematics(&p, tip, axis);
            ApplyForwardKinematicsForAngles(tip, &p.axis[AXIS_ROTARY1], back);
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(back[k], p.axis[k], 1e-9) << "kind " << s.kind;
            double norm = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
            EXPECT_NEAR(norm, 1.0, 1e-12);
        }
    }
}

TEST(ForwardKinematics, ToolCentreInversionUsesLengthOffset)
{
    // HEAD and MIX: h runs along -Z by the H offset, so with H = L the two inversions agree.
    SetUpMachineForTest(MACHINE_MIX, 1, 2);
    g_ToolLength = 60.0;
    g_ToolLengthOffset = 60.0;
    const double tip[3] = {5.0, 6.0, 7.0}, angles[2] = {30.0, 40.0};
    double byLength[3], byOffset[3];
    ApplyForwardKinematicsForAngles(tip, angles, byLength);
    ApplyRotaryAxesToPosition(tip, angles, byOffset);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(byLength[k], byOffset[k], 1e-12);
    // TABLE: the length step is L + H - Lc along Z.
    SetUpMachineForTest(MACHINE_TABLE, 0, 2);
    g_ToolLength = 60.0;
    g_ToolLengthOffset = 10.0;
    g_CurrentToolLength = 15.0f;
    const double zero[2] = {0.0, 0.0};
    ApplyRotaryAxesToPosition(tip, zero, byOffset);
    ExpectVector(byOffset, 5.0, 6.0, 7.0 + 55.0, 1e-12);
}

TEST(ForwardKinematics, TurningRadii)
{
    SetUpMachineForTest(MACHINE_TABLE, 0, 2);
    SetVectorForTest(g_TablePosition, 0.0, 10.0, 20.0);
    AxisPosition onAxis = MakePosition(50.0, 10.0, 20.0, 0.0, 0.0);
    double radii[2];
    ComputeToolAxisOfPosition(&onAxis, radii);
    EXPECT_EQ(radii[0], 0.0);
    EXPECT_EQ(radii[1], 50.0);

    SetUpMachineForTest(MACHINE_HEAD, 2, 0);
    SetVectorForTest(g_HeadPosition, 0.0, 0.0, 100.0);
    g_ToolLength = 50.0;
    AxisPosition p = MakePosition(0.0, 0.0, 0.0, 0.0, 90.0);
    ComputeToolAxisOfPosition(&p, radii);
    EXPECT_EQ(radii[1], 150.0);   // across A: the whole pivot-to-tip distance
    EXPECT_NEAR(radii[0], 150.0, 1e-12);   // turned by 90 degrees it lies across C
}

TEST(ForwardKinematics, PathPointFrameWithoutTurnInterpolatesOnly)
{
    SetVectorForTest(g_ToolAxisStart, 0.0, 0.0, 1.0);
    SetVectorForTest(g_StepAxisIncrements, 0.1, 0.0, -0.05);
    g_SecondRotationAngle = 0.0;
    g_PlaneRotationAngle = 0.0;
    g_MotionKind = 2;
    double direction[3] = {0.3, 0.4, 0.5};
    double axis[3];
    const double point[3] = {1.0, 2.0, 3.0};
    ComputePathPointToolFrame(point, 0.01, 4, direction, axis);
    ExpectVector(axis, 0.4, 0.0, 0.8, 1e-15);
    ExpectVector(direction, 0.3, 0.4, 0.5, 0.0);
    g_MotionKind = 0;
}

}  // namespace
