// Rotation routines: exact quarter turns, the three turn forms against an independent axis-angle
// formula, the table turn and its inverse, the tool-axis clean-up and the turn in the path frame.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine/rotation.h"
#include "nc/interpreter_state.h"
#include "machine_setup/machine_setup_state.h"

namespace {

const double kPi = 3.141592653589793;

void SetRotaryAxis(int rotary, int axis)
{
    static const int cross[3][2] = {{1, 2}, {2, 0}, {0, 1}};
    int* a = rotary == 1 ? &g_Rotary1Axis : &g_Rotary2Axis;
    int* c = rotary == 1 ? g_Rotary1CrossAxes : g_Rotary2CrossAxes;
    *a = axis;
    c[0] = cross[axis][0];
    c[1] = cross[axis][1];
}

// Machine values restored to plain axes (rotary 1 about X, rotary 2 about Z) around every test.
class RotationTest : public ::testing::Test {
protected:
    void SetUp() override { ResetPlain(); }
    void TearDown() override { ResetPlain(); }
    static void ResetPlain()
    {
        g_MachineKind = MACHINE_NONE;
        SetRotaryAxis(1, 0);
        SetRotaryAxis(2, 2);
        g_Rotary1Tilted = g_Rotary2Tilted = 0;
        g_Rotary1ByVector = g_Rotary2ByVector = 0;
        g_Rotary1TiltCosSin[0] = g_Rotary2TiltCosSin[0] = 1.0;
        g_Rotary1TiltCosSin[1] = g_Rotary2TiltCosSin[1] = 0.0;
        const double frame[4] = {1.0, 0.0, 1.0, 0.0};
        for (int k = 0; k < 4; ++k) g_RotaryAxisFrame[k] = frame[k];
        for (int k = 0; k < 3; ++k) g_TablePosition[k] = g_TableOffset[k] = 0.0;
        g_ZTurnAngle = 0.0;
        g_PlaneRotationMode = 0;
    }
};

// Right-handed turn of v by angle about the unit axis k (Rodrigues), as an independent reference.
void RotateRodrigues(const double* k, double angle, const double* v, double* out)
{
    double c = std::cos(angle), s = std::sin(angle);
    double cross[3] = {k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2], k[0] * v[1] - k[1] * v[0]};
    double dot = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
    for (int i = 0; i < 3; ++i) out[i] = v[i] * c + cross[i] * s + k[i] * dot * (1.0 - c);
}

void ExpectNear3(const double* a, const double* b, double tolerance)
{
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], tolerance) << "component " << i;
}

}  // namespace

TEST_F(RotationTest, AxisAngleSinCosIsExactAtQuarterTurns)
{
    struct Case {
        double angle;
        int sign;
        double sine;
        double cosine;
    };
    const Case cases[] = {
        {0, 1, 0, 1},    {360, 1, 0, 1},  {-360, -1, 0, 1}, {90, 1, 1, 0},   {90, -1, -1, 0},
        {-270, 1, 1, 0}, {-90, 1, -1, 0}, {270, -1, 1, 0},  {180, 1, 0, -1}, {-180, -1, 0, -1},
    };
    for (const Case& c : cases) {
        double s = 9, co = 9;
        ComputeAxisAngleSinCos(c.angle, c.sign, &s, &co);
        EXPECT_EQ(s, c.sine) << c.angle << " sign " << c.sign;
        EXPECT_EQ(co, c.cosine) << c.angle << " sign " << c.sign;
    }
    double s, co;
    ComputeAxisAngleSinCos(450.0, 1, &s, &co);  // general formula: no exact zero cosine
    EXPECT_NE(co, 0.0);
    EXPECT_NEAR(s, 1.0, 1e-15);
    ComputeAxisAngleSinCos(30.0, -1, &s, &co);
    EXPECT_NEAR(s, -0.5, 1e-15);
    EXPECT_NEAR(co, std::sqrt(3.0) / 2.0, 1e-15);
}

TEST_F(RotationTest, TurnAboutZByAxisAngle)
{
    const double p[3] = {1, 0, 5};
    double out[3];
    for (double angle : {90.0, -270.0}) {
        g_ZTurnAngle = angle;
        RotateAboutZByAxisAngle(p, out);
        EXPECT_EQ(out[0], 0.0);
        EXPECT_EQ(out[1], 1.0);
        EXPECT_EQ(out[2], 5.0);
    }
    g_ZTurnAngle = 180.0;
    RotateAboutZByAxisAngle(p, out);
    EXPECT_EQ(out[0], -1.0);
    EXPECT_EQ(out[1], 0.0);
    g_ZTurnAngle = 0.0;
    const double q[3] = {0.3, -7.25, 2};
    RotateAboutZByAxisAngle(q, out);
    EXPECT_EQ(out[0], 0.3);
    EXPECT_EQ(out[1], -7.25);
    g_ZTurnAngle = 30.0;
    RotateAboutZByAxisAngle(p, out);
    EXPECT_NEAR(out[0], std::sqrt(3.0) / 2.0, 1e-15);
    EXPECT_NEAR(out[1], 0.5, 1e-15);
}

TEST_F(RotationTest, PlainQuarterTurnAboutRotary1IsExact)
{
    const double y[3] = {0, 1, 0};
    double out[3];
    RotatePointAboutRotaryAxes(y, 0.0, 1.0, out);
    EXPECT_EQ(out[0], 0.0);
    EXPECT_EQ(out[1], 0.0);
    EXPECT_EQ(out[2], 1.0);

    ComputeAxisAngleSinCos(90.0, 1, &g_RotaryCosSin[1], &g_RotaryCosSin[0]);
    RotateByInclinedAxis(y, out);
    EXPECT_EQ(out[0], 0.0);
    EXPECT_EQ(out[1], 0.0);
    EXPECT_EQ(out[2], 1.0);

    // Rotary 2 about Z: (1, 0, 3) to (0, 1, 3).
    const double x[3] = {1, 0, 3};
    RotatePointInAxisPlane(x, 0.0, 1.0, out);
    EXPECT_EQ(out[0], 0.0);
    EXPECT_EQ(out[1], 1.0);
    EXPECT_EQ(out[2], 3.0);
}

// The plain, inclined and vector-given forms agree with each other and with the axis-angle formula
// for the same axis and turn.
TEST_F(RotationTest, TurnFormsAgreeOnTheSameTurn)
{
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> coordinate(-100.0, 100.0);
    std::uniform_real_distribution<double> angleDeg(-350.0, 350.0);
    static const int cross[3][2] = {{1, 2}, {2, 0}, {0, 1}};
    for (int trial = 0; trial < 200; ++trial) {
        double v[3] = {coordinate(random), coordinate(random), coordinate(random)};
        double theta = angleDeg(random);
        double s, c;
        ComputeAxisAngleSinCos(theta, 1, &s, &c);
        double turn = theta * kPi / 180.0;
        int a = trial % 2;  // vector-given axes exist about X and Y only
        double g = angleDeg(random) / 4.0 * kPi / 180.0;
        double st = std::sin(g), ct = std::cos(g);

        // Plain against the formula about the coordinate axis.
        double axis[3] = {0, 0, 0};
        axis[a] = 1.0;
        double plain[3], reference[3];
        RotateAboutAxis(v, plain, c, s, a, cross[a][0], cross[a][1]);
        RotateRodrigues(axis, turn, v, reference);
        ExpectNear3(plain, reference, 1e-10);

        // Inclination 0 and a vector along the axis are the plain turn.
        double inclined[3], byVector[3];
        RotateAboutTwoAxes(v, inclined, 0.0, 1.0, s, c, a, cross[a]);
        RotateInclinedPair(v, byVector, 0.0, 1.0, 0.0, 1.0, s, c, a, cross[a]);
        ExpectNear3(inclined, plain, 1e-10);
        ExpectNear3(byVector, plain, 1e-10);

        // An inclined axis: a turned towards its first cross axis.
        int i = cross[a][0];
        double inclinedAxis[3] = {0, 0, 0};
        inclinedAxis[a] = ct;
        inclinedAxis[i] = st;
        RotateAboutTwoAxes(v, inclined, st, ct, s, c, a, cross[a]);
        RotateRodrigues(inclinedAxis, turn, v, reference);
        ExpectNear3(inclined, reference, 1e-10);

        // The same axis given as a vector: about X it is an azimuth towards Y, about Y an elevation.
        if (a == 0) {
            RotateInclinedPair(v, byVector, 0.0, 1.0, st, ct, s, c, a, cross[a]);
        } else {
            RotateInclinedPair(v, byVector, st, ct, 0.0, 1.0, s, c, a, cross[a]);
        }
        ExpectNear3(byVector, inclined, 1e-10);

        // A general vector axis: azimuth and elevation together.
        double az = angleDeg(random) / 4.0 * kPi / 180.0;
        double sa = std::sin(az), ca = std::cos(az);
        int m = 1 - a;
        double vectorAxis[3];
        vectorAxis[a] = ct * ca;
        vectorAxis[m] = ct * sa;
        vectorAxis[2] = st;
        RotateInclinedPair(v, byVector, st, ct, sa, ca, s, c, a, cross[a]);
        RotateRodrigues(vectorAxis, turn, v, reference);
        ExpectNear3(byVector, reference, 1e-10);

        // In place as well.
        double same[3] = {v[0], v[1], v[2]};
        RotateInclinedPair(same, same, st, ct, sa, ca, s, c, a, cross[a]);
        ExpectNear3(same, byVector, 0.0);
    }
}

// RotatePointAboutRotaryAxes and RotateByInclinedAxis pick the form the machine gives rotary 1.
TEST_F(RotationTest, RotaryAxis1FollowsTheMachineForm)
{
    const double v[3] = {3.0, -2.0, 5.0};
    double s, c;
    ComputeAxisAngleSinCos(37.0, 1, &s, &c);
    g_RotaryCosSin[0] = c;
    g_RotaryCosSin[1] = s;
    double g = 20.0 * kPi / 180.0;

    SetRotaryAxis(1, 1);  // about Y, inclined towards Z
    g_Rotary1Tilted = 1;
    g_Rotary1TiltCosSin[0] = std::cos(g);
    g_Rotary1TiltCosSin[1] = std::sin(g);
    double expected[3], out[3], viaCurrent[3];
    RotateAboutTwoAxes(v, expected, std::sin(g), std::cos(g), s, c, 1, g_Rotary1CrossAxes);
    RotatePointAboutRotaryAxes(v, c, s, out);
    RotateByInclinedAxis(v, viaCurrent);
    ExpectNear3(out, expected, 0.0);
    ExpectNear3(viaCurrent, expected, 0.0);

    g_Rotary1Tilted = 0;  // the same axis given by a vector: elevation 20 degrees, azimuth 0
    g_Rotary1ByVector = 1;
    RotatePointAboutRotaryAxes(v, c, s, out);
    ExpectNear3(out, expected, 1e-12);
}

TEST_F(RotationTest, TableTurnIsUndoneOnTableAndMixMachines)
{
    const double start[3] = {120.5, -33.25, 47.0};
    g_TablePosition[0] = 10.0;
    g_TablePosition[1] = -20.0;
    g_TablePosition[2] = 5.0;
    g_TableOffset[0] = 3.0;
    g_TableOffset[1] = 7.0;
    g_TableOffset[2] = 11.0;
    ComputeAxisAngleSinCos(33.0, 1, &g_TableRotaryCosSin[1], &g_TableRotaryCosSin[0]);
    ComputeAxisAngleSinCos(-121.0, -1, &g_TableRotaryCosSin[3], &g_TableRotaryCosSin[2]);
    for (int kind : {MACHINE_TABLE, MACHINE_MIX}) {
        g_MachineKind = kind;
        double p[3] = {start[0], start[1], start[2]};
        ApplyTableRotaryToPosition(p);
        EXPECT_GT(std::fabs(p[0] - start[0]) + std::fabs(p[1] - start[1]), 1.0);
        RemoveTableRotaryFromPosition(p);
        ExpectNear3(p, start, 1e-11);
    }
    // MIX turns only across rotary 2 (about Z): Z stays.
    g_MachineKind = MACHINE_MIX;
    double p[3] = {start[0], start[1], start[2]};
    ApplyTableRotaryToPosition(p);
    EXPECT_EQ(p[2], start[2]);
    // HEAD machines do not move the point.
    g_MachineKind = MACHINE_HEAD;
    ApplyTableRotaryToPosition(p);
    RemoveTableRotaryFromPosition(p);
    double q[3] = {p[0], p[1], p[2]};
    ApplyTableRotaryToPosition(q);
    ExpectNear3(q, p, 0.0);
}

TEST_F(RotationTest, TableTurnAtQuarterTurnsAboutThePivot)
{
    g_MachineKind = MACHINE_TABLE;
    g_TablePosition[0] = 100.0;
    g_TablePosition[1] = 50.0;
    ComputeAxisAngleSinCos(0.0, 1, &g_TableRotaryCosSin[1], &g_TableRotaryCosSin[0]);
    ComputeAxisAngleSinCos(90.0, 1, &g_TableRotaryCosSin[3], &g_TableRotaryCosSin[2]);
    double p[3] = {110.0, 50.0, 7.0};  // 10 along +X from the pivot turns to +Y
    ApplyTableRotaryToPosition(p);
    EXPECT_EQ(p[0], 100.0);
    EXPECT_EQ(p[1], 60.0);
    EXPECT_EQ(p[2], 7.0);
}

TEST_F(RotationTest, NormaliseAxisVector)
{
    struct Case {
        double in[3];
        double out[3];
    };
    const Case cases[] = {
        {{0.0001, 0, 1}, {0, 0, 1}},
        {{0.0001, 0.6, 0.8}, {0, 0.6, 0.8}},
        {{0.3, 0.4, 0.866}, {0.3, 0.4, 0.866}},  // nothing removed: not rescaled
        {{0.0001, 0, -0.5}, {0, 0, -1}},
        {{0.0002, -0.7, 0}, {0, -1, 0}},
        {{0.0001, 0.3, 0.4}, {0, 0.6, 0.8}},
        {{0.0001, -0.0001, 0}, {0, 0, -1}},
    };
    for (const Case& c : cases) {
        double v[3] = {c.in[0], c.in[1], c.in[2]};
        NormaliseAxisVector(v);
        ExpectNear3(v, c.out, 1e-15);
    }
}

TEST_F(RotationTest, TurnInPathFrame)
{
    const double d[3] = {0.6, 0.8, 0.0};
    const double c[3] = {0.0, 0.0, 1.0};
    for (int mode : {0, 2, 1, -1}) {
        g_PlaneRotationMode = mode;
        double t[3] = {0.1, -0.2, 0.97};
        RotateVectorBySphericalAngles(d, c, t, 0.0);
        EXPECT_EQ(t[0], 0.1);
        EXPECT_EQ(t[1], -0.2);
        EXPECT_EQ(t[2], 0.97);
    }

    // Forward tilt (mode 0) of a vertical tool along a path in +X leans it towards +X; mode 2 the
    // other way; modes 1 and -1 lean it sideways.
    const double dx[3] = {1, 0, 0};
    const double up[3] = {0, 0, 1};
    struct Case {
        int mode;
        double expected[3];
    };
    const Case cases[] = {{0, {1, 0, 0}}, {2, {-1, 0, 0}}, {1, {0, -1, 0}}, {-1, {0, 1, 0}}};
    for (const Case& cs : cases) {
        g_PlaneRotationMode = cs.mode;
        double t[3] = {0, 0, 1};
        RotateVectorBySphericalAngles(dx, up, t, kPi / 2.0);
        ExpectNear3(t, cs.expected, 1e-15);
    }

    // A general frame: the turn keeps the length; sideways turns keep the part along the path.
    const double d3[3] = {0.48, 0.64, 0.6};
    const double c3[3] = {-0.36, -0.48, 0.8};
    for (int mode : {0, 1}) {
        g_PlaneRotationMode = mode;
        double t[3] = {0.2, -0.3, 0.9};
        double length = std::sqrt(0.04 + 0.09 + 0.81);
        double along = 0.2 * d3[0] - 0.3 * d3[1] + 0.9 * d3[2];
        RotateVectorBySphericalAngles(d3, c3, t, 0.4);
        EXPECT_NEAR(std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]), length, 1e-14);
        if (mode == 1) {
            EXPECT_NEAR(t[0] * d3[0] + t[1] * d3[1] + t[2] * d3[2], along, 1e-14);
        }
    }
}
