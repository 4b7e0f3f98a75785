// Work coordinate systems: the active entry from the table, the table-turned origin and rotation
// (exact at quarter turns), and the conversions between machine and work coordinates.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/ui/repaint_requests.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/controller/work_coordinates.h"
#include "nc/interpreter_state.h"

namespace {

void SetRotaryAxis(int rotary, int axis)
{
    static const int cross[3][2] = {{1, 2}, {2, 0}, {0, 1}};
    int* a = rotary == 1 ? &g_Rotary1Axis : &g_Rotary2Axis;
    int* c = rotary == 1 ? g_Rotary1CrossAxes : g_Rotary2CrossAxes;
    *a = axis;
    c[0] = cross[axis][0];
    c[1] = cross[axis][1];
}

void SetEntry(int entry, double x, double y, double z, double r1, double r2)
{
    const double v[5] = {x, y, z, r1, r2};
    for (int k = 0; k < 5; ++k) g_WorkOffsets[entry].axis[k] = v[k];
}

void SetIdentity(double* m)
{
    for (int k = 0; k < 9; ++k) m[k] = (k % 4 == 0) ? 1.0 : 0.0;
}

class WorkCoordinatesTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        ClearOffsetMemories();
        g_MachineKind = MACHINE_NONE;
        SetRotaryAxis(1, 0);
        SetRotaryAxis(2, 2);
        g_Rotary1Tilted = g_Rotary2Tilted = 0;
        g_Rotary1ByVector = g_Rotary2ByVector = 0;
        g_Rotary1Direction = g_Rotary2Direction = 1;
        for (int k = 0; k < 3; ++k) {
            g_TablePosition[k] = g_TableOffset[k] = 0.0;
            g_TiltedPlaneOrigin[k] = 0.0;
        }
        SetIdentity(g_TiltedPlaneMatrix);
        SetIdentity(g_TiltedPlaneInverse);
        g_WorkOffsetIndex = 1;
    }
};

void ExpectEqual3(const double* a, const double* b)
{
    for (int k = 0; k < 3; ++k) EXPECT_EQ(a[k], b[k]) << "component " << k;
}

void ExpectNear3(const double* a, const double* b, double tolerance)
{
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(a[k], b[k], tolerance) << "component " << k;
}

}  // namespace

TEST_F(WorkCoordinatesTest, ActiveOffsetIsTheExternalOffsetPlusTheSelectedEntry)
{
    SetEntry(0, 1, 2, 3, 4, 5);
    SetEntry(2, 10, 20, 30, 40, 50);
    g_WorkOffsetIndex = 0;
    ApplyCurrentWorkOffset();
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(g_ActiveWorkOffset.axis[k], g_WorkOffsets[0].axis[k]);
        EXPECT_EQ(g_ActiveWorkCoordEntry.axis[k], g_WorkOffsets[0].axis[k]);
    }
    g_WorkOffsetIndex = 2;
    ApplyCurrentWorkOffset();
    const double sum[5] = {11, 22, 33, 44, 55};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(g_ActiveWorkOffset.axis[k], sum[k]);
        EXPECT_EQ(g_ActiveWorkCoordEntry.axis[k], sum[k]);
    }
    // HEAD machines do not turn the work: origin = entry, identity, not rotated.
    g_MachineKind = MACHINE_HEAD;
    g_RebuildAxisTriad = 0;
    UpdateActiveWorkCoordinate();
    EXPECT_EQ(g_RebuildAxisTriad, 1);
    const double origin[3] = {11, 22, 33};
    ExpectEqual3(g_ActiveWorkOrigin, origin);
    EXPECT_EQ(g_WorkCoordRotated, 0);
    EXPECT_EQ(g_WorkOriginShifted, 1);
    for (int k = 0; k < 9; ++k) EXPECT_EQ(g_ActiveWorkRotation[k], (k % 4 == 0) ? 1.0 : 0.0);

    // An index outside the table falls back to the external offset instead of reading past it.
    g_WorkOffsetIndex = 500;
    ApplyCurrentWorkOffset();
    for (int k = 0; k < 5; ++k) EXPECT_EQ(g_ActiveWorkOffset.axis[k], g_WorkOffsets[0].axis[k]);
}

TEST_F(WorkCoordinatesTest, TableQuarterTurnIsExact)
{
    g_MachineKind = MACHINE_TABLE;
    g_TablePosition[1] = 100.0;
    g_TablePosition[2] = 50.0;
    SetEntry(1, 10, 120, 60, 90, 0);  // G54 with rotary 1 (about X) at 90 degrees
    g_WorkOffsetIndex = 1;
    ApplyCurrentWorkOffset();
    EXPECT_EQ(g_WorkCoordRotated, 1);
    EXPECT_EQ(g_WorkOriginShifted, 1);
    // (Y, Z) = (20, 10) from the table centre turns to (-10, 20).
    const double origin[3] = {10, 90, 70};
    ExpectEqual3(g_ActiveWorkOrigin, origin);
    const double rotation[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};
    const double inverse[9] = {1, 0, 0, 0, 0, -1, 0, 1, 0};
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(g_ActiveWorkRotation[k], rotation[k]) << k;
        EXPECT_EQ(g_ActiveWorkInverseRotation[k], inverse[k]) << k;
        EXPECT_EQ(g_WorkAxisMarks[k], 0.2 * rotation[k]) << k;
    }

    // Machine to work and back returns exactly at a quarter turn.
    const double machine[3] = {37.5, -12.25, 81.0};
    double work[3], back[3];
    MachineToWorkCoordinates(machine, work);
    WorkToMachineCoordinates(work, back);
    ExpectEqual3(back, machine);
    ToWorkCoordinates(machine, back);
    ExpectEqual3(back, work);  // no tilted plane: the same conversion

    // The work origin lies at the turned origin; work +Y runs along machine +Z.
    const double workY[3] = {0, 1, 0};
    WorkToMachineCoordinates(workY, back);
    const double expected[3] = {10, 90, 71};
    ExpectEqual3(back, expected);
}

TEST_F(WorkCoordinatesTest, DirectionSignTurnsTheOtherWay)
{
    g_MachineKind = MACHINE_TABLE;
    g_Rotary1Direction = -1;
    SetEntry(0, 0, 10, 0, 90, 0);
    g_WorkOffsetIndex = 0;
    UpdateActiveWorkCoordinate();
    const double origin[3] = {0, 0, -10};
    ExpectEqual3(g_ActiveWorkOrigin, origin);
}

TEST_F(WorkCoordinatesTest, MachineToWorkAndBackWithBothTableAxesAndATiltedPlane)
{
    g_MachineKind = MACHINE_TABLE;
    SetRotaryAxis(1, 0);
    SetRotaryAxis(2, 2);
    g_TablePosition[0] = 250.0;
    g_TablePosition[1] = -40.0;
    g_TablePosition[2] = 120.0;
    g_TableOffset[0] = 15.0;
    g_TableOffset[1] = -8.0;
    g_TableOffset[2] = 99.0;  // along rotary 2's own axis: not used
    SetEntry(0, 1, 2, 3, 0, 0);
    SetEntry(3, 100, 20, -30, 30, -45);
    g_WorkOffsetIndex = 3;
    ApplyCurrentWorkOffset();
    ASSERT_EQ(g_WorkCoordRotated, 1);
    // A tilted working plane: 20 degrees about X, shifted.
    double a = 20.0 * 3.141592653589793 / 180.0;
    const double tilt[9] = {1, 0, 0, 0, std::cos(a), std::sin(a), 0, -std::sin(a), std::cos(a)};
    const double tiltInverse[9] = {1, 0, 0, 0, std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a)};
    std::memcpy(g_TiltedPlaneMatrix, tilt, sizeof tilt);
    std::memcpy(g_TiltedPlaneInverse, tiltInverse, sizeof tiltInverse);
    g_TiltedPlaneOrigin[0] = 5.0;
    g_TiltedPlaneOrigin[2] = -7.0;

    const double points[3][3] = {{0, 0, 0}, {123.4, -56.7, 89.0}, {-300, 410.5, -2.25}};
    for (const auto& p : points) {
        double work[3], back[3];
        MachineToWorkCoordinates(p, work);
        WorkToMachineCoordinates(work, back);
        ExpectNear3(back, p, 1e-11);
    }
    // The work origin maps to the active origin plus the tilted plane's shift turned with the table.
    const double zero[3] = {0, 0, 0};
    double w[3];
    SetIdentity(g_TiltedPlaneMatrix);
    SetIdentity(g_TiltedPlaneInverse);
    g_TiltedPlaneOrigin[0] = g_TiltedPlaneOrigin[2] = 0.0;
    WorkToMachineCoordinates(zero, w);
    ExpectNear3(w, g_ActiveWorkOrigin, 0.0);
    // The rotation stays orthonormal: rows of unit length.
    for (int r = 0; r < 3; ++r) {
        const double* row = &g_ActiveWorkRotation[3 * r];
        EXPECT_NEAR(row[0] * row[0] + row[1] * row[1] + row[2] * row[2], 1.0, 1e-15);
    }
}

TEST_F(WorkCoordinatesTest, MixMachineTurnsWithRotary2Only)
{
    g_MachineKind = MACHINE_MIX;
    g_TablePosition[0] = 100.0;
    SetEntry(1, 110, 0, 5, 30, 0);  // rotary 1 (head) set, rotary 2 zero
    g_WorkOffsetIndex = 1;
    ApplyCurrentWorkOffset();
    EXPECT_EQ(g_WorkCoordRotated, 0);
    const double origin[3] = {110, 0, 5};
    ExpectEqual3(g_ActiveWorkOrigin, origin);
    const double p[3] = {120, 3, 7};
    double work[3];
    ToWorkCoordinates(p, work);  // through the identity inverse, since rotary 1 is not 0
    const double expected[3] = {10, 3, 2};
    ExpectEqual3(work, expected);

    SetEntry(1, 110, 0, 5, 30, 90);  // rotary 2 (about Z) a quarter turn about the table centre
    ApplyCurrentWorkOffset();
    EXPECT_EQ(g_WorkCoordRotated, 1);
    const double turned[3] = {100, 10, 5};
    ExpectEqual3(g_ActiveWorkOrigin, turned);
    double back[3];
    MachineToWorkCoordinates(p, work);
    WorkToMachineCoordinates(work, back);
    ExpectEqual3(back, p);
}

TEST_F(WorkCoordinatesTest, UnrotatedConversionsUseTheActiveOffset)
{
    SetEntry(1, 10, 20, 30, 0, 0);
    g_WorkOffsetIndex = 1;
    ApplyCurrentWorkOffset();
    g_ActiveWorkOffset.axis[0] += 1.0;  // a shift that is not in the table
    const double p[3] = {15, 25, 35};
    double work[3], back[3];
    MachineToWorkCoordinates(p, work);
    const double expected[3] = {4, 5, 5};
    ExpectEqual3(work, expected);
    WorkToMachineCoordinates(work, back);
    ExpectEqual3(back, p);

    const double position[5] = {1, 2, 3, 4, 5};
    double out[5], again[5];
    SubtractWorkOffset5(position, out);
    EXPECT_EQ(out[0], 1 - 11.0);
    EXPECT_EQ(out[2], 3 - 30.0);
    AddWorkOffset5(out, again);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(again[k], position[k]);

    // No shift at all: the origin flag stays 0.
    ClearOffsetMemories();
    ApplyCurrentWorkOffset();
    EXPECT_EQ(g_WorkOriginShifted, 0);
}
