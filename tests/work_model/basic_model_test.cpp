// The basic model on the work's widened grid and the placement file of twelve numbers.
#include "work_model/basic_model.h"

#include <gtest/gtest.h>

#include "tests/work_model/stl_test_support.h"
#include "tests/work_model/work_file_test_support.h"
#include "work_model/work_creation.h"
#include "work_model/stl_work.h"
#include "work_model/work_files.h"

namespace {

ImportFrame MachineFrame()
{
    ImportFrame frame = {0, 0, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}};
    return frame;
}

TEST(BasicModel, WidenedGridOfTheWork)
{
    WorkHolder work;
    const double box[6] = {0, 0, -10, 20, 40, 0};
    ASSERT_EQ(CreateBoxWorkIdentity(&work.work, box, 2.0), 1);
    ASSERT_EQ(work.work.nodeCountX, 11);
    WorkModel basic{};
    double lo[3], hi[3];
    int mx = 0, my = 0, mz = 0;
    DeriveMarginGrid(&work.work, &basic, lo, hi, &mx, &my, &mz);
    EXPECT_EQ(mx + my + mz, 15);
    EXPECT_EQ(basic.nodeCountX, 21);
    EXPECT_EQ(basic.nodeCountY, 31);
    EXPECT_EQ(basic.nodeCountZ, 16);
    EXPECT_EQ(basic.originX, -10);
    EXPECT_EQ(basic.originY, -10);
    EXPECT_EQ(basic.originZ, -20);
    EXPECT_EQ(hi[0], 30);
    EXPECT_EQ(hi[2], 10);
    EXPECT_EQ(basic.pitch, 2.0);
    EXPECT_EQ(basic.undoLevels, 1);
}

TEST(BasicModel, LoadsOnTheWidenedGridClippedAndPlaced)
{
    TempFolder folder;
    WorkHolder work, basic;
    const double box[6] = {0, 0, 0, 10, 10, 10};
    const double placement[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 100, 0, 0};
    ASSERT_EQ(CreateBoxWork(&work.work, box, placement, 1.0), 1);
    // A part in machine coordinates, shifted by the work's placement, reaching past the widened grid
    // along +z.
    std::vector<TestFacet> facets;
    const double lo[3] = {102, 3, 2}, hi[3] = {106, 7, 30};
    AddTestBox(&facets, lo, hi);
    const std::string path = folder.File("part.STL");
    ASSERT_TRUE(WriteTestFile(path, MakeTestStlBinary(facets, false)));
    ImportFrame frame = MachineFrame();
    frame.origin[0] = 50;  // the active work coordinate system, used only in work coordinates
    ASSERT_EQ(LoadBasicModelStl(nullptr, &basic.work, path.c_str(), &work.work, &frame), 1);
    EXPECT_EQ(basic.work.nodeCountX, 21);
    EXPECT_EQ(basic.work.blockCount, 1);
    EXPECT_EQ(basic.work.translation[0], 100);
    // The Z-ray at work point (4, 5): node (9, 10) of the widened grid; clipped at the grid top 15.
    EXPECT_EQ(RayEnds(basic.work.familyZ, 9 + 10 * 21), (std::vector<double>{2, 15}));
    EXPECT_EQ(RayEnds(basic.work.familyZ, 0), std::vector<double>{});
    EXPECT_EQ(basic.work.minCorner[0], 102);
    EXPECT_EQ(basic.work.maxCorner[2], 15);
    // Read in work coordinates by the one-load override: the part is taken as given in the work
    // coordinate system at x 50, so it lies 50 further along x, beyond the grid.
    g_BasicModelPlacementOverride = 1;
    ASSERT_EQ(LoadBasicModelStl(nullptr, &basic.work, path.c_str(), &work.work, &frame), 1);
    EXPECT_EQ(g_BasicModelPlacementOverride, -1);
    EXPECT_EQ(basic.work.familyZ.counts[9 + 10 * 21], 0);
}

TEST(BasicModel, FailuresLeaveNoModel)
{
    TempFolder folder;
    WorkHolder work, basic;
    const double box[6] = {0, 0, 0, 4, 4, 4};
    ASSERT_EQ(CreateBoxWorkIdentity(&work.work, box, 1.0), 1);
    const ImportFrame frame = MachineFrame();
    const std::string notStl = folder.File("part.dme");
    ASSERT_TRUE(WriteTestFile(notStl, MakeTestStlBinary({}, false)));
    EXPECT_EQ(LoadBasicModelStl(nullptr, &basic.work, notStl.c_str(), &work.work, &frame), -20);
    EXPECT_EQ(basic.work.nodeCountX, 0);
    const std::string garbage = folder.File("garbage.stl");
    ASSERT_TRUE(WriteTestFile(garbage, "no solid here"));
    EXPECT_EQ(LoadBasicModelStl(nullptr, &basic.work, garbage.c_str(), &work.work, &frame), -20);
    EXPECT_EQ(basic.work.nodeCountX, 0);
    g_BasicModelPlacementOverride = 0;
    EXPECT_EQ(LoadBasicModelStl(nullptr, &basic.work, folder.File("missing.stl").c_str(),
                                &work.work, &frame), -20);
    EXPECT_EQ(g_BasicModelPlacementOverride, -1);
}

TEST(PlacementFile, TwelveNumbersReplaceThePlacement)
{
    TempFolder folder;
    const std::string path = folder.File("matrix.txt");
    ASSERT_TRUE(WriteTestFile(path, "1.000000\n0\n0\n0\n  1\n0\n0\n0\n1e0\n10\n+20\n30.5\n"));
    double placement[12] = {0};
    ReadPlacementMatrixFile(placement, path.c_str());
    const double expected[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 10, 20, 30.5};
    for (int k = 0; k < 12; k++) EXPECT_EQ(placement[k], expected[k]) << k;
    // Missing lines and text keep their values; an unnamed or missing file changes nothing.
    const std::string shortFile = folder.File("short.txt");
    ASSERT_TRUE(WriteTestFile(shortFile, "2\nabc\n" + std::string(100, '7') + "\n"));
    double kept[12] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    ReadPlacementMatrixFile(kept, shortFile.c_str());
    EXPECT_EQ(kept[0], 2);
    EXPECT_EQ(kept[1], 9);
    EXPECT_EQ(kept[2], 7777777777777777777777777777777777777777777777777777777777777777777777777777777777777777777777777777.0 / 1e37);
    EXPECT_EQ(kept[3], 9);
    ReadPlacementMatrixFile(kept, "");
    ReadPlacementMatrixFile(kept, folder.File("none.txt").c_str());
    EXPECT_EQ(kept[0], 2);
}

TEST(PlacementFile, PlacesAnStlWork)
{
    TempFolder folder;
    const std::string matrix = folder.File("m.txt");
    ASSERT_TRUE(WriteTestFile(matrix, "1\n0\n0\n0\n1\n0\n0\n0\n1\n10\n20\n30\n"));
    std::vector<TestFacet> facets;
    const double lo[3] = {0, 0, 0}, hi[3] = {2, 2, 2};
    AddTestBox(&facets, lo, hi);
    const std::string path = folder.File("w.stl");
    ASSERT_TRUE(WriteTestFile(path, MakeTestStlText(facets)));
    StlWorkLoadOptions options = {MachineFrame(), 0, matrix.c_str()};
    WorkHolder h;
    double placement[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    ASSERT_EQ(LoadStlWorkModel(nullptr, &h.work, path.c_str(), placement, 1.0, 0, &options), 1);
    EXPECT_EQ(h.work.translation[0], 10);
    EXPECT_EQ(h.work.translation[1], 20);
    EXPECT_EQ(h.work.translation[2], 30);
}

}  // namespace
