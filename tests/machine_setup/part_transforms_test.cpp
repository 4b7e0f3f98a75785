// Part-model transforms: neutral angles give the plain translation, a tilt of 0 matches the plain
// turn, quarter turns carry head and table points as the machine turns them, the placement of a work
// on a turned table with its inverse, "matrix.txt" and the table axis offsets.
#include "machine_setup/machine/part_transforms.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/os/files.h"
#include "tests/machine_setup/kinematics_test_support.h"
#include "tests/scoped_temp_folder.h"
#include "work_model/work_model.h"

namespace {

void SetAngles(double c1, double s1, double c2, double s2)
{
    g_RotaryCosSin[0] = c1;
    g_RotaryCosSin[1] = s1;
    g_RotaryCosSin[2] = c2;
    g_RotaryCosSin[3] = s2;
}

void ExpectPoint(const double* p, double x, double y, double z)
{
    EXPECT_NEAR(p[0], x, 1e-12);
    EXPECT_NEAR(p[1], y, 1e-12);
    EXPECT_NEAR(p[2], z, 1e-12);
}

void SetVector(double* v, double x, double y, double z)
{
    v[0] = x;
    v[1] = y;
    v[2] = z;
}

class PartTransformTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ResetMachineDefinition();
        SetAngles(1, 0, 1, 0);
        g_ActiveWorkOffset = AxisPosition{};
    }
};

TEST_F(PartTransformTest, NeutralAnglesGiveThePlainTranslation)
{
    SetUpMachineForTest(MACHINE_HEAD, 0, 2);
    SetVector(g_HeadPosition, 1, 2, 3);
    SetVector(g_HeadOffset, 4, 5, 6);
    for (int k = 0; k < 3; ++k) g_HeadPivot[k] = g_HeadPosition[k] + g_HeadOffset[k];
    SetVector(g_TablePosition, 7, 8, 9);
    SetVector(g_TableOffset, 1, 1, 1);
    SetAngles(1, 0, 1, 0);
    const double m[3] = {10, 20, 30}, p[3] = {-1, 0.5, 2};
    double r[3];
    TransformHead1ModelPoint(m, p, r);
    ExpectPoint(r, 9, 20.5, 32);
    TransformHead1ModelPointOnHead(m, p, r);
    ExpectPoint(r, 9, 20.5, 32);
    TransformHead2ModelPoint(m, p, r);
    ExpectPoint(r, 9, 20.5, 32);
    TransformHeadModelPoint(m, p, r);
    ExpectPoint(r, 9, 20.5, 32);
    TransformHeadModelPointOnTable(m, p, r);
    ExpectPoint(r, 9, 20.5, 32);
    TransformHolderModelPoint(p, r);
    ExpectPoint(r, -1, 0.5, 2);
}

TEST_F(PartTransformTest, QuarterTurnsAboutThePivots)
{
    // HEAD machine: rotary 1 about X (inner), rotary 2 about Z (outer).
    SetUpMachineForTest(MACHINE_HEAD, 0, 2);
    SetVector(g_HeadPosition, 0, 0, 10);
    SetVector(g_HeadOffset, 0, 0, 5);
    SetVector(g_HeadPivot, 0, 0, 15);
    const double m[3] = {100, 0, 0};
    const double p[3] = {0, 1, 10};
    double r[3];
    SetAngles(0, 1, 1, 0);  // rotary 1 at 90 degrees
    TransformHead1ModelPointOnHead(m, p, r);  // about the pivot (0, 0, 15): (0, 1, -5) -> (0, 5, 1)
    ExpectPoint(r, 100, 5, 16);
    SetAngles(1, 0, 0, 1);  // rotary 2 at 90 degrees about the head position
    TransformHead2ModelPoint(m, p, r);  // (0, 1, 0) -> (-1, 0, 0), - offset, + pivot
    ExpectPoint(r, 99, 0, 10);
    const double tool[3] = {1, 0, 0};
    TransformHolderModelPoint(tool, r);
    ExpectPoint(r, 0, 1, 0);

    // A tilted rotary 1 with tilt 0 turns like the plain axis.
    SetAngles(0.6, 0.8, 1, 0);
    double plain[3];
    TransformHead1ModelPointOnHead(m, p, plain);
    g_Rotary1Tilted = 1;
    g_Rotary1TiltCosSin[0] = 1.0;
    g_Rotary1TiltCosSin[1] = 0.0;
    TransformHead1ModelPointOnHead(m, p, r);
    ExpectPoint(r, plain[0], plain[1], plain[2]);

    // TABLE machine: rotary 1 about X at the table pivot, then rotary 2 about Z beside it.
    SetUpMachineForTest(MACHINE_TABLE, 0, 2);
    SetVector(g_TablePosition, 0, 0, 0);
    SetVector(g_TableOffset, 0, 0, 0);
    SetAngles(0, 1, 1, 0);
    const double origin[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    TransformHeadModelPointOnTable(origin, up, r);
    ExpectPoint(r, 0, 0, 1);
    SetVector(g_TableOffset, 5, 0, 0);
    SetAngles(1, 0, 0, 1);
    const double onAxis[3] = {6, 0, 0};
    TransformHeadModelPointOnTable(origin, onAxis, r);  // (1, 0) about (5, 0) -> (5, 1)
    ExpectPoint(r, 5, 1, 0);

    // MIX machine: the head point turned with the table about its pivot.
    SetUpMachineForTest(MACHINE_MIX, 1, 2);
    SetVector(g_TablePosition, 10, 0, 0);
    SetAngles(1, 0, -1, 0);
    const double near[3] = {12, 0, 3};
    TransformHeadModelPoint(origin, near, r);
    ExpectPoint(r, 8, 0, 3);
}

TEST_F(PartTransformTest, WorkPlacementOnATurnedTable)
{
    WorkModel work = {};
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    auto place = [&](double tx) {
        std::memcpy(work.rotation, identity, sizeof identity);
        SetVector(work.translation, tx, 0, 0);
        std::memset(work.inverseRotation, 0, sizeof work.inverseRotation);
    };

    SetUpMachineForTest(MACHINE_HEAD, 0, 2);
    g_ActiveWorkOffset.axis[AXIS_ROTARY2] = 90.0;
    place(10);
    ComputeTablePlacementMatrix(&work);  // a HEAD machine: unchanged, inverse rebuilt
    for (int k = 0; k < 9; ++k) EXPECT_EQ(work.inverseRotation[k], identity[k]);
    EXPECT_EQ(work.translation[0], 10.0);
    EXPECT_EQ(work.inverseTranslation[0], -10.0);

    SetUpMachineForTest(MACHINE_MIX, 0, 2);
    g_ActiveWorkOffset.axis[AXIS_ROTARY2] = 90.0;
    place(10);
    ComputeTablePlacementMatrix(&work);
    ExpectPoint(work.rotation, 0, 1, 0);
    ExpectPoint(work.rotation + 3, -1, 0, 0);
    ExpectPoint(work.translation, 0, 10, 0);
    ExpectPoint(work.inverseRotation, 0, -1, 0);
    EXPECT_EQ(work.hasPlacement, 1);

    SetUpMachineForTest(MACHINE_TABLE, 0, 2);
    SetVector(g_TablePosition, 0, 0, 5);
    g_ActiveWorkOffset.axis[AXIS_ROTARY1] = 90.0;
    g_ActiveWorkOffset.axis[AXIS_ROTARY2] = 0.0;
    place(0);
    work.translation[1] = 1.0;
    ComputeTablePlacementMatrix(&work);  // (0, 1, -5) about X by 90 -> (0, 5, 1), + pivot
    ExpectPoint(work.translation, 0, 5, 6);
    ExpectPoint(work.rotation + 3, 0, 0, 1);
}

TEST_F(PartTransformTest, MatrixFileAndTableAxisOffsets)
{
    ScopedTempFolder folder;
    char previous[1024];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder.path.c_str()), 0);
    const double placement[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 12.5, -3, 0};
    int saved = g_CheckMatrix;
    g_CheckMatrix = 0;
    EXPECT_EQ(WritePlacementMatrix(placement), 0);
    EXPECT_EQ(DoesFileExist("matrix.txt"), 0);
    g_CheckMatrix = 1;
    EXPECT_EQ(WritePlacementMatrix(placement), 1);
    std::string text;
    EXPECT_EQ(ReadWholeFile("matrix.txt", &text), 1);
    EXPECT_EQ(text,
              "1.000000\n0.000000\n0.000000\n0.000000\n1.000000\n0.000000\n0.000000\n0.000000\n1.000000\n"
              "12.500000\n-3.000000\n0.000000\n");
    g_CheckMatrix = saved;
    ASSERT_EQ(chdir(previous), 0);

    g_TableMovesAxis[0] = 1;
    g_TableMovesAxis[1] = 0;
    g_TableMovesAxis[2] = 1;
    AxisPosition savedPosition = g_MachinePosition;
    g_MachinePosition.axis[0] = 5;
    g_MachinePosition.axis[1] = 6;
    g_MachinePosition.axis[2] = 7;
    UpdateTableAxisOffsets();
    EXPECT_EQ(g_TableAxisOffsets[0], -5.0);
    EXPECT_EQ(g_TableAxisOffsets[1], 0.0);
    EXPECT_EQ(g_TableAxisOffsets[2], -7.0);
    g_MachinePosition = savedPosition;
}

}  // namespace
