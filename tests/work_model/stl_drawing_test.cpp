// Drawing STL files into the polygon sink: the polygons of either byte order, the model rotation
// and files that hold more than their facets have room for.
#include "work_model/stl_drawing.h"

#include <gtest/gtest.h>

#include "tests/work_model/stl_test_support.h"
#include "tests/work_model/work_file_test_support.h"
#include "work_model/polygon_sink.h"
#include "work_model/stl_files.h"

namespace {

struct Recorded {
    std::vector<std::vector<double>> polygons;  // normal then vertices, 12 numbers each
};

void Record(void* context, const double normal[3], const double vertices[9])
{
    std::vector<double> p(normal, normal + 3);
    p.insert(p.end(), vertices, vertices + 9);
    static_cast<Recorded*>(context)->polygons.push_back(p);
}

// Draws path into a recording sink.
Recorded Draw(const std::string& path, const double offset[3], const ModelRotation* rotation,
              double scale)
{
    Recorded recorded;
    g_PolygonSink = {Record, &recorded};
    DrawStlFile(DetectStlKind(path.c_str()), path.c_str(), offset, rotation, scale);
    g_PolygonSink = {nullptr, nullptr};
    return recorded;
}

TEST(StlDrawing, BothByteOrdersDrawTheSamePolygons)
{
    TempFolder folder;
    std::vector<TestFacet> facets;
    const double lo[3] = {0, 0, 0}, hi[3] = {1, 2, 3};
    AddTestBox(&facets, lo, hi);
    const std::string le = folder.File("le.stl"), be = folder.File("be.stl"), text = folder.File("t.stl");
    ASSERT_TRUE(WriteTestFile(le, MakeTestStlBinary(facets, false)));
    ASSERT_TRUE(WriteTestFile(be, MakeTestStlBinary(facets, true)));
    ASSERT_TRUE(WriteTestFile(text, MakeTestStlText(facets)));
    const double offset[3] = {10, 0, 0};
    const Recorded a = Draw(le, offset, nullptr, 2.0), b = Draw(be, offset, nullptr, 2.0),
                   c = Draw(text, offset, nullptr, 2.0);
    ASSERT_EQ(a.polygons.size(), 12u);
    EXPECT_EQ(a.polygons, b.polygons);
    EXPECT_EQ(a.polygons, c.polygons);
    EXPECT_EQ(a.polygons[0][3], 5.0);  // (0 + 10) / 2
    EXPECT_EQ(Draw(folder.File("missing.stl"), offset, nullptr, 1.0).polygons.size(), 0u);
}

TEST(StlDrawing, ModelRotationTurnsVertices)
{
    TempFolder folder;
    const std::string path = folder.File("r.stl");
    ASSERT_TRUE(WriteTestFile(path, "solid\nfacet normal 0 0 1\nouter loop\nvertex 20 0 5\n"
                                    "vertex 21 0 5\nvertex 20 1 5\nendloop\nendfacet\nendsolid\n"));
    const ModelRotation quarter = {1, 2, {10, 0, 0}, 1.0, 0.0};
    const double none[3] = {0, 0, 0};
    const Recorded r = Draw(path, none, &quarter, 5.0);
    ASSERT_EQ(r.polygons.size(), 1u);
    EXPECT_EQ(r.polygons[0][3], 2.0);   // (10, 10, 5) / 5
    EXPECT_EQ(r.polygons[0][4], 2.0);
    EXPECT_EQ(r.polygons[0][5], 1.0);
    EXPECT_EQ(r.polygons[0][2], 1.0);   // the normal as read
    struct Case {
        int axis;
        double out[3];
    } cases[] = {{0, {1, -3, 2}}, {1, {3, 2, -1}}, {2, {-2, 1, 3}}};
    for (const Case& c : cases) {
        const ModelRotation turn = {1, c.axis, {0, 0, 0}, 1.0, 0.0};
        double v[3] = {1, 2, 3};
        RotatePointAboutAxis(&turn, v);
        for (int k = 0; k < 3; k++) EXPECT_EQ(v[k], c.out[k]) << c.axis;
    }
}

TEST(StlDrawing, MalformedFacetsStayWithinThreeVertices)
{
    TempFolder folder;
    const std::string path = folder.File("m.stl");
    ASSERT_TRUE(WriteTestFile(path, "solid\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
                                    "vertex 0 1 0\nvertex 7 7 7\nvertex 8 8 8\nendloop\nendfacet\n"
                                    "facet normal 0 0 1\nouter loop\nvertex 0 0 0\nendloop\nendfacet\n"
                                    "endsolid\n"));
    const double none[3] = {0, 0, 0};
    const Recorded r = Draw(path, none, nullptr, 1.0);
    ASSERT_EQ(r.polygons.size(), 1u);
    EXPECT_EQ(r.polygons[0][10], 1.0);
}

}  // namespace
