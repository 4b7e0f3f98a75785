// Machine part models: which parts load for the enabled checks and the machine kind, their offsets,
// boxes and plane tables, the split of the basic model into regions and of the TABLE1 model into
// pieces, the free box around the reference point, and the loader after a settings change.
#include "machine_setup/machine/machine_models.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "tests/scoped_temp_folder.h"
#include "tests/work_model/stl_test_support.h"

namespace {

FacetVertices MakeTriangle(double x0, double y0, double z0, double x1, double y1, double z1, double x2, double y2,
                           double z2)
{
    FacetVertices f = {};
    const double v[9] = {x0, y0, z0, x1, y1, z1, x2, y2, z2};
    std::memcpy(f.vertices, v, sizeof v);
    return f;
}

int CountFacets(const MachinePartMesh* meshes, int n)
{
    int total = 0;
    for (int k = 0; k < n; ++k) total += meshes[k].count;
    return total;
}

class PartModelTest : public ::testing::Test {
protected:
    ScopedTempFolder folder;

    void SetUp() override
    {
        FreeMachineModels();
        ResetMachineModels(1);
        ResetDisplaySettings();
        g_CheckExtraPartBasic1 = 0;
        g_CheckExtraPartBasic2 = 0;
        ResetMachineDefinition();
    }
    void TearDown() override
    {
        FreeMachineModels();
        ResetMachineModels(1);
        ResetDisplaySettings();
        ResetMachineDefinition();
    }

    // A box STL (12 facets) from lo to hi; returns its path.
    std::string WriteBox(const char* name, const double lo[3], const double hi[3])
    {
        std::vector<TestFacet> facets;
        AddTestBox(&facets, lo, hi);
        std::string path = folder.File(name);
        EXPECT_TRUE(WriteTestFile(path, MakeTestStlText(facets)));
        return path;
    }
    void SetPart(int part, const std::string& path) { std::snprintf(g_PartModelFiles[part], MACHINE_PATH_SIZE, "%s", path.c_str()); }

    void NameEveryPart()
    {
        const double lo[3] = {0, 0, 0}, hi[3] = {10, 20, 30};
        std::string box = WriteBox("box.stl", lo, hi);
        const int parts[] = {PART_MODEL_TABLE, PART_MODEL_TABLE1, PART_MODEL_TABLE2, PART_MODEL_HEAD,
                             PART_MODEL_HEAD1, PART_MODEL_HEAD2};
        for (int part : parts) SetPart(part, box);
        std::snprintf(g_ViceModelFiles[0], MACHINE_PATH_SIZE, "%s", box.c_str());
        g_ViceModelCount = 1;
        std::snprintf(g_BasicModelFiles[0], MACHINE_PATH_SIZE, "%s", box.c_str());
        g_BasicModelCount = 1;
    }
};

TEST_F(PartModelTest, NoCheckLoadsOnlyTheVicesWithTheirOffsets)
{
    NameEveryPart();
    g_PartModelOffsets.vice[0][0] = 100.0;
    g_MachineKind = MACHINE_MIX;
    EXPECT_EQ(HasAnyMachineModel(), 1);
    LoadAllMachineModels();
    EXPECT_EQ(g_ViceMeshes[0].count, 12);
    EXPECT_EQ(g_ViceMeshes[0].boxMin[0], 100.0);
    EXPECT_EQ(g_ViceMeshes[0].boxMax[0], 110.0);
    ASSERT_NE(g_ViceMeshes[0].planes, nullptr);
    for (int f = 1; f < 12; ++f) EXPECT_GE(g_ViceMeshes[0].planes[f - 1].boxMax[2], g_ViceMeshes[0].planes[f].boxMax[2]);
    EXPECT_EQ(g_TableMesh.count, 0);
    EXPECT_EQ(g_Table1PieceCount, 0);
    EXPECT_EQ(g_HeadMesh.count, 0);
    EXPECT_EQ(g_Head1Mesh.count, 0);
    EXPECT_EQ(CountFacets(g_BasicMeshes, BASIC_REGION_COUNT), 0);

    FreeMachineModels();
    ResetMachineModels(1);
    EXPECT_EQ(HasAnyMachineModel(), 0);
}

TEST_F(PartModelTest, PartsFollowTheChecksAndTheMachineKind)
{
    NameEveryPart();
    g_PartModelOffsets.part[PART_MODEL_HEAD][2] = 5.0;
    g_CheckToolTable1 = 1;
    g_CheckHeadWork = 2;
    g_CheckHead1Work = 1;
    g_CheckHead2Work = 1;
    g_CheckToolTable2 = 1;

    g_MachineKind = MACHINE_HEAD;  // no TABLE1 or TABLE2 on a HEAD machine; all three heads
    LoadAllMachineModels();
    EXPECT_EQ(g_Table1PieceCount, 0);
    EXPECT_EQ(g_Table2Mesh.count, 0);
    EXPECT_EQ(g_Head2Mesh.count, 12);
    EXPECT_EQ(g_Head1Mesh.count, 12);
    EXPECT_EQ(g_HeadMesh.count, 12);
    EXPECT_EQ(g_HeadMesh.planes, nullptr);
    EXPECT_EQ(g_HeadMesh.corners[0][2], 5.0);
    EXPECT_EQ(g_HeadMesh.corners[7][0], 10.0);
    EXPECT_EQ(g_HeadMesh.corners[7][2], 35.0);

    FreeMachineModels();
    g_MachineKind = MACHINE_MIX;  // TABLE1 is one mesh; no HEAD2
    LoadAllMachineModels();
    EXPECT_EQ(g_Table1PieceCount, 1);
    EXPECT_EQ(g_Table1Pieces[0].count, 12);
    EXPECT_NE(g_Table1Pieces[0].planes, nullptr);
    EXPECT_EQ(g_Head2Mesh.count, 0);
    EXPECT_EQ(g_Head1Mesh.count, 12);

    FreeMachineModels();
    g_MachineKind = MACHINE_TABLE;  // TABLE1 in 19 pieces, TABLE2 loaded, no HEAD1
    LoadAllMachineModels();
    EXPECT_EQ(g_Table1PieceCount, TABLE1_PIECE_COUNT);
    EXPECT_EQ(CountFacets(g_Table1Pieces, TABLE1_PIECE_COUNT), 12);
    EXPECT_EQ(g_Table2Mesh.count, 12);
    EXPECT_EQ(g_Head1Mesh.count, 0);
}

TEST_F(PartModelTest, SettingsChangeLoadsOnlyWhatIsMissing)
{
    NameEveryPart();
    g_MachineKind = MACHINE_MIX;
    g_CheckToolTable = 1;
    LoadAllMachineModels();
    ASSERT_EQ(g_TableMesh.count, 12);
    const FacetVertices* tableFacets = g_TableMesh.facets;
    const FacetVertices* viceFacets = g_ViceMeshes[0].facets;
    g_CheckHeadBasic = 1;
    LoadCheckModelsIfNeeded();
    EXPECT_EQ(g_TableMesh.facets, tableFacets);
    EXPECT_EQ(g_ViceMeshes[0].facets, viceFacets);
    EXPECT_EQ(g_HeadMesh.count, 12);
    EXPECT_EQ(CountFacets(g_BasicMeshes, BASIC_REGION_COUNT), 12);
}

TEST_F(PartModelTest, CountsBeyondTheTablesAndUnreadableFilesLoadNothingOutside)
{
    const double lo[3] = {0, 0, 0}, hi[3] = {1, 1, 1};
    std::string box = WriteBox("vice.stl", lo, hi);
    std::string broken = folder.File("broken.stl");
    ASSERT_TRUE(WriteTestFile(broken, std::string("not an stl file at all")));
    for (int k = 0; k < MAX_VICE_MODEL_FILES; ++k) {
        std::snprintf(g_ViceModelFiles[k], MACHINE_PATH_SIZE, "%s", (k == 1 ? broken : box).c_str());
        std::snprintf(g_BasicModelFiles[k], MACHINE_PATH_SIZE, "%s", box.c_str());
    }
    g_ViceModelCount = 40;
    g_BasicModelCount = 40;
    g_CheckToolBasic = 1;
    LoadAllMachineModels();
    EXPECT_EQ(g_ViceMeshes[0].count, 12);
    EXPECT_EQ(g_ViceMeshes[1].count, 0);
    EXPECT_EQ(g_ViceMeshes[4].count, 12);
    EXPECT_EQ(g_BasicMeshes[4].count, 12);
    EXPECT_EQ(g_BasicMeshes[5].count, 0);
}

TEST_F(PartModelTest, TwoBasicFilesFillOneSlotEach)
{
    const double lo[3] = {-50, -50, -10}, hi[3] = {50, 50, -5};
    std::string floor = WriteBox("floor.stl", lo, hi);
    const double wlo[3] = {40, -50, -5}, whi[3] = {45, 50, 20};
    std::string wall = WriteBox("wall.stl", wlo, whi);
    std::snprintf(g_BasicModelFiles[0], MACHINE_PATH_SIZE, "%s", floor.c_str());
    std::snprintf(g_BasicModelFiles[1], MACHINE_PATH_SIZE, "%s", wall.c_str());
    g_BasicModelCount = 2;
    g_PartModelOffsets.basic[2] = 1.0;
    g_MachineKind = MACHINE_HEAD;  // no table: the reference point is the origin
    g_CheckExtraPartBasic2 = 1;
    LoadAllMachineModels();
    EXPECT_EQ(g_BasicMeshes[0].count, 12);
    EXPECT_EQ(g_BasicMeshes[1].count, 12);
    EXPECT_EQ(g_BasicMeshes[2].count, 0);
    EXPECT_EQ(g_BasicMeshes[0].boxMax[2], -4.0);
    EXPECT_EQ(g_BasicFreeBoxes[0].low[2], -4.0);   // the floor bounds the opening below
    EXPECT_EQ(g_BasicFreeBoxes[0].high[2], 1e11);
    EXPECT_EQ(g_BasicFreeBoxes[1].high[0], 40.0);  // the wall bounds it on the X side
    EXPECT_EQ(g_BasicFreeBoxes[1].low[0], -1e11);
}

TEST(PartModelGeometry, FreeBoxAroundPoint)
{
    const std::vector<FacetVertices> room = {
        MakeTriangle(-100, -100, -5, 100, -100, -5, 0, 100, -5),  // floor below, covers the opening
        MakeTriangle(-100, -100, 40, 100, -100, 40, 0, 100, 40),  // ceiling
        MakeTriangle(20, -1, -1, 20, 1, -1, 20, 0, 1),            // small wall at x = 20
        MakeTriangle(-30, -1, -1, -30, 1, -1, -31, 0, 1),         // wall at x = -30 .. -31
        MakeTriangle(-300, -1, -1, -300, 1, -1, -300, 0, 1),      // farther wall: does not widen
    };
    const double point[3] = {0, 0, 0};
    double low[3], high[3];
    ComputeModelBoxAroundPoint(static_cast<int>(room.size()), room.data(), point, low, high);
    EXPECT_EQ(low[2], -5.0);
    EXPECT_EQ(high[2], 40.0);
    EXPECT_EQ(high[0], 20.0);
    EXPECT_EQ(low[0], -30.0);
    EXPECT_EQ(low[1], -1e11);
    EXPECT_EQ(high[1], 1e11);
}

TEST(PartModelGeometry, BasicRegionsAndTablePieces)
{
    const double low[3] = {0, 0, 0}, high[3] = {10, 10, 10};
    struct Case {
        FacetVertices triangle;
        int region;
    };
    const Case cases[] = {
        {MakeTriangle(10, 2, 10, 12, 3, 11, 11, 4, 12), 11},   // above, all X at or beyond high X
        {MakeTriangle(2, 2, 12, 3, 3, 12, 4, 2, 12), 5},       // above only
        {MakeTriangle(2, -3, -1, 3, -2, -2, 4, -1, -3), 8},    // below, y-low
        {MakeTriangle(12, 12, 5, 13, 12, 6, 12, 13, 7), 17},   // x-high and y-high
        {MakeTriangle(-1, 2, 5, -2, 3, 6, -1, 4, 7), 0},       // x-low side
        {MakeTriangle(2, 2, 5, 3, 3, 6, 4, 2, 7), 0},          // touches no side
        {MakeTriangle(2, 11, 5, 3, 11, 6, 4, 12, 7), 4},       // y-high
    };
    std::vector<FacetVertices> triangles;
    int expected[BASIC_REGION_COUNT] = {};
    for (const Case& c : cases) {
        triangles.push_back(c.triangle);
        expected[c.region]++;
    }
    SplitBasicModelIntoRegions(static_cast<int>(triangles.size()), triangles.data(), low, high);
    for (int r = 0; r < BASIC_REGION_COUNT; ++r) EXPECT_EQ(g_BasicMeshes[r].count, expected[r]) << "region " << r;
    EXPECT_EQ(g_BasicMeshes[11].boxMin[0], 10.0);
    EXPECT_EQ(g_BasicMeshes[11].boxMax[2], 12.0);
    // Region 0 keeps the input order: the x-low triangle first.
    EXPECT_EQ(g_BasicMeshes[0].facets[0].vertices[0], -1.0);
    EXPECT_EQ(g_BasicMeshes[3].facets, nullptr);

    // TABLE1 pieces by thirds of the box 0..30: a triangle in no third goes to piece 18.
    const double boxMin[3] = {0, 0, 0}, boxMax[3] = {30, 30, 30};
    const std::vector<FacetVertices> table = {
        MakeTriangle(12, 12, 12, 14, 12, 13, 13, 14, 15),  // middle: piece 18
        MakeTriangle(25, 12, 22, 26, 13, 23, 27, 14, 24),  // upper Z and upper X: piece 11
        MakeTriangle(5, 12, 12, 6, 13, 13, 7, 14, 14),     // lower X only: piece 0
    };
    PrepareTableModel(static_cast<int>(table.size()), table.data(), boxMin, boxMax);
    EXPECT_EQ(g_Table1Pieces[18].count, 1);
    EXPECT_EQ(g_Table1Pieces[11].count, 1);
    EXPECT_EQ(g_Table1Pieces[0].count, 1);
    FreeMachineModels();
}

}  // namespace
