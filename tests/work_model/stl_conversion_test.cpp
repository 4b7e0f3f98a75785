// STL solids cast into ray families and read as works: a cube gives the rays of the same box work,
// a sphere's chords follow the sphere, a height field gives the rays of the ".DMF" height field,
// and the projected triangle tests, the normal snap and the spike smoothing.
#include "work_model/stl_conversion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/work_model/stl_test_support.h"
#include "tests/work_model/work_file_test_support.h"
#include "work_model/dexel_cleaning.h"
#include "work_model/stl_files.h"
#include "work_model/work_creation.h"
#include "work_model/work_files.h"

namespace {

int LoadStl(WorkHolder* h, const std::string& path, double pitch, int axisCode)
{
    return LoadWorkModelIdentity(nullptr, &h->work, path.c_str(), pitch, axisCode);
}

TEST(StlConversion, CubeOnGridNodesGivesTheRaysOfTheSameBox)
{
    TempFolder folder;
    struct Case {
        double lo[3], hi[3], pitch;
        bool binary;
    } cases[] = {
        {{0, 0, 0}, {10, 6, 4}, 1.0, false},
        {{-2, 1, -1}, {3, 4, 2}, 0.5, true},
        {{-3, -2, 5}, {1, 2, 8}, 0.25, false},
    };
    for (const Case& c : cases) {
        std::vector<TestFacet> facets;
        AddTestBox(&facets, c.lo, c.hi);
        const std::string path = folder.File("cube.stl");
        ASSERT_TRUE(c.binary ? WriteTestFile(path, MakeTestStlBinary(facets, false))
                             : WriteTestFile(path, MakeTestStlText(facets)));
        WorkHolder fromStl, box;
        ASSERT_EQ(LoadStl(&fromStl, path, c.pitch, 0), 1);
        const double b[6] = {c.lo[0], c.lo[1], c.lo[2], c.hi[0], c.hi[1], c.hi[2]};
        ASSERT_EQ(CreateBoxWorkIdentity(&box.work, b, c.pitch), 1);
        ExpectSameWork(fromStl.work, box.work);
        for (int k = 0; k < 3; k++) {
            EXPECT_EQ(fromStl.work.minCorner[k], c.lo[k]);
            EXPECT_EQ(fromStl.work.maxCorner[k], c.hi[k]);
        }
    }
}

// Every ray of the family along axis whose cross point lies well inside (outside) the sphere holds
// one chord within a pitch of the exact one (nothing).
void ExpectSphereChords(const WorkModel& w, int axis, const double centre[3], double radius)
{
    const DexelFamily& f = axis == 0 ? w.familyX : axis == 1 ? w.familyY : w.familyZ;
    const double* coordinates[3] = {w.coordinatesX, w.coordinatesY, w.coordinatesZ};
    const int counts[3] = {w.nodeCountX, w.nodeCountY, w.nodeCountZ};
    const int a0 = axis == 2 ? 0 : axis == 0 ? 1 : 2, a1 = axis == 2 ? 1 : axis == 0 ? 2 : 0;
    int checked = 0;
    for (int i1 = 0; i1 < counts[a1]; i1++) {
        for (int i0 = 0; i0 < counts[a0]; i0++) {
            const int d = i0 + i1 * counts[a0];
            const double p = coordinates[a0][i0] - centre[a0], q = coordinates[a1][i1] - centre[a1];
            const double r2 = p * p + q * q;
            const std::vector<double> ends = RayEnds(f, d);
            if (r2 > (radius + w.pitch) * (radius + w.pitch)) {
                EXPECT_TRUE(ends.empty()) << axis << " " << d;
            } else if (r2 < (radius - w.pitch) * (radius - w.pitch)) {
                const double half = std::sqrt(radius * radius - r2);
                ASSERT_EQ(ends.size(), 2u) << axis << " " << d;
                EXPECT_NEAR(ends[0], centre[axis] - half, w.pitch) << axis << " " << d;
                EXPECT_NEAR(ends[1], centre[axis] + half, w.pitch) << axis << " " << d;
                checked++;
            }
        }
    }
    EXPECT_GT(checked, 100);
}

TEST(StlConversion, SphereChordsLieWithinOnePitch)
{
    TempFolder folder;
    std::vector<TestFacet> facets;
    const double centre[3] = {1.3, -2.1, 4.7}, radius = 10;
    AddTestSphere(&facets, centre, radius, 40, 80);
    const std::string path = folder.File("sphere.stl");
    ASSERT_TRUE(WriteTestFile(path, MakeTestStlBinary(facets, true)));
    WorkHolder h;
    ASSERT_EQ(LoadStl(&h, path, 0.5, 0), 1);
    for (int axis = 0; axis < 3; axis++) ExpectSphereChords(h.work, axis, centre, radius);
}

std::vector<uint8_t> MakeDmfBytes(int nx, int ny, double pitch, const std::vector<double>& heights,
                                  double base)
{
    std::vector<uint8_t> out(16, 0);
    auto put = [&](const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        out.insert(out.end(), b, b + n);
    };
    const double matrix[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    put(matrix, sizeof matrix);
    const int32_t ints[3] = {nx, ny, 0};
    put(ints, sizeof ints);
    const double doubles[3] = {pitch, 0, 0};  // pitch, unused, scale 0 (float heights)
    put(doubles, sizeof doubles);
    const int32_t modes[2] = {0, 0};          // no colours, not uniform
    put(modes, sizeof modes);
    for (double h : heights) {
        const float f = float(h);
        put(&f, 4);
    }
    out.insert(out.end(), 8, 0);
    const float b = float(base);
    put(&b, 4);
    return out;
}

TEST(StlConversion, HeightFieldGivesTheRaysOfTheDmfHeightField)
{
    TempFolder folder;
    const int nx = 9, ny = 7;
    std::vector<double> heights(size_t(nx * ny));
    for (int j = 0; j < ny; j++)
        for (int i = 0; i < nx; i++)
            heights[size_t(i + j * nx)] = 1.0 + 0.25 * ((i * 3 + j * 5) % 11);
    std::vector<TestFacet> facets;
    AddTestHeightField(&facets, nx, ny, 1.0, heights);
    const double a[3] = {0, 0, 0}, b[3] = {nx - 1.0, 0, 0}, c[3] = {nx - 1.0, ny - 1.0, 0},
                 d[3] = {0, ny - 1.0, 0};
    AddTestTriangle(&facets, a, c, b);  // the bottom face at the base
    AddTestTriangle(&facets, a, d, c);
    // Record normals as whole-number cross products keep the plane arithmetic exact.
    for (TestFacet& f : facets) {
        const double u[3] = {f.v[3] - f.v[0], f.v[4] - f.v[1], f.v[5] - f.v[2]};
        const double w[3] = {f.v[6] - f.v[0], f.v[7] - f.v[1], f.v[8] - f.v[2]};
        f.normal[0] = u[1] * w[2] - u[2] * w[1];
        f.normal[1] = u[2] * w[0] - u[0] * w[2];
        f.normal[2] = u[0] * w[1] - u[1] * w[0];
    }
    const std::string stl = folder.File("field.stl"), dmf = folder.File("field.dmf");
    ASSERT_TRUE(WriteTestFile(stl, MakeTestStlText(facets)));
    ASSERT_TRUE(WriteTestFile(dmf, MakeDmfBytes(nx, ny, 1.0, heights, 0.0)));
    WorkHolder fromStl, fromDmf;
    ASSERT_EQ(LoadStl(&fromStl, stl, 1.0, 3), 1);
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &fromDmf.work, dmf.c_str(), 1.0, 0), 1);
    ExpectSameWork(fromStl.work, fromDmf.work);
}

TEST(StlConversion, OneDirectionFromBelowAndFromAbove)
{
    TempFolder folder;
    // Two horizontal facets over the whole grid at z 3 and 7, and a steep one reaching 20 in its plane.
    std::vector<TestFacet> facets;
    for (double z : {3.0, 7.0}) {
        const double a[3] = {0, 0, z}, b[3] = {4, 0, z}, c[3] = {4, 4, z}, d[3] = {0, 4, z};
        AddTestTriangle(&facets, a, b, c);
        AddTestTriangle(&facets, a, c, d);
    }
    const double floorA[3] = {0, 0, 0}, floorB[3] = {4, 0, 0}, floorC[3] = {0, 4, 0};
    AddTestTriangle(&facets, floorA, floorB, floorC);
    const std::string path = folder.File("levels.stl");
    ASSERT_TRUE(WriteTestFile(path, MakeTestStlText(facets)));
    WorkHolder up, down;
    ASSERT_EQ(LoadStl(&up, path, 1.0, 3), 1);
    ASSERT_EQ(LoadStl(&down, path, 1.0, -3), 1);
    EXPECT_EQ(RayEnds(up.work.familyZ, 12), (std::vector<double>{0, 7}));
    EXPECT_EQ(RayEnds(down.work.familyZ, 12), (std::vector<double>{0, 7}));
    // From above the last node lies on the box maximum.
    EXPECT_EQ(down.work.coordinatesZ[down.work.nodeCountZ - 1], 7.0);
}

TEST(StlConversion, RayWithTooManyCrossingsFailsTheLoad)
{
    TempFolder folder;
    // 10001 stacked small facets around the node (0, 0), crossed by its Z-ray only.
    std::string text = "solid\n";
    char line[200];
    for (int i = 0; i <= DEXEL_MAX_ENDS; i++) {
        const double z = i * 0.001;
        std::snprintf(line, sizeof line,
                      "facet normal 0 0 1\nouter loop\nvertex -0.5 -0.5 %.3f\nvertex 0.5 -0.5 %.3f\n"
                      "vertex -0.5 0.5 %.3f\nendloop\nendfacet\n", z, z, z);
        text += line;
    }
    text += "endsolid\n";
    const std::string path = folder.File("stack.stl");
    ASSERT_TRUE(WriteTestFile(path, text));
    WorkHolder h;
    EXPECT_EQ(LoadStl(&h, path, 1.0, 0), STL_DATA_ERROR);
    EXPECT_EQ(h.work.nodeCountX, 0);
}

TEST(StlConversion, FacetsParallelToTheRaysAndSharedVertices)
{
    WorkHolder h;
    const double box[6] = {0, 0, 0, 4, 4, 4};
    ASSERT_EQ(CreateBoxWorkIdentity(&h.work, box, 1.0), 1);
    TempFolder folder;
    std::vector<TestFacet> facets;
    // A vertical wall (parallel to the Z-rays) and a fan of six facets around (2, 2, 1).
    const double w0[3] = {0, 1, 0}, w1[3] = {4, 1, 0}, w2[3] = {4, 1, 4};
    AddTestTriangle(&facets, w0, w1, w2);
    const double centre[3] = {2, 2, 1};
    for (int s = 0; s < 6; s++) {
        const double a0 = s * 3.14159265358979 / 3, a1 = (s + 1) * 3.14159265358979 / 3;
        const double p[3] = {2 + 1.5 * std::cos(a0), 2 + 1.5 * std::sin(a0), 2};
        const double q[3] = {2 + 1.5 * std::cos(a1), 2 + 1.5 * std::sin(a1), 2};
        AddTestTriangle(&facets, centre, p, q);
    }
    const std::string path = folder.File("fan.stl");
    ASSERT_TRUE(WriteTestFile(path, MakeTestStlText(facets)));
    StlRayFamily family;
    DescribeRayFamily(&h.work, 0, 1, 2, &family);
    ASSERT_EQ(ConvertStlToDexels(STL_ASCII, path.c_str(), &family), 1);
    // The ray through the fan's centre: one crossing per facet, all at 1; the wall adds nothing.
    EXPECT_EQ(RayEnds(h.work.familyZ, 2 + 2 * 5), std::vector<double>(6, 1.0));
    EXPECT_EQ(h.work.familyZ.counts[1 + 1 * 5], 0);
    EXPECT_EQ(h.work.minCorner[2], 1.0);
    EXPECT_GT(h.work.maxCorner[2], 1.0);
    EXPECT_LE(h.work.maxCorner[2], 2.0);
}

TEST(StlConversion, TriangleTestCodes)
{
    const double t[9] = {0, 0, 0, 4, 0, 0, 0, 4, 0};
    struct Case {
        double x, y;
        int exact, tolerant;
    } cases[] = {
        {0, 0, 1, 1},   {4, 0, 2, 1},   {0, 4, 3, 1},    {2, 0, 4, 2},  {2, 2, 7, 2},
        {0, 2, 6, 2},   {1, 1, 7, 3},   {3, 3, 0, 0},    {-1, 0, 0, 0}, {0.005, 0, 4, 1},
    };
    for (const Case& c : cases) {
        const double p[3] = {c.x, c.y, 99};
        EXPECT_EQ(CheckTriangleAnglesAlt(t, 0, 1, p), c.exact) << c.x << " " << c.y;
        EXPECT_EQ(CheckTriangleAngles(t, 0, 1, p), c.tolerant) << c.x << " " << c.y;
    }
    // The projection onto other axes: the same triangle lying in the YZ plane.
    const double yz[9] = {7, 0, 0, 7, 4, 0, 7, 0, 4};
    const double p[3] = {0, 1, 1};
    EXPECT_EQ(CheckTriangleAnglesAlt(yz, 1, 2, p), 7);
}

TEST(StlConversion, SnapNormalDirection)
{
    struct Case {
        double in[3], out[3];
    } cases[] = {
        {{3, 0, 3}, {1, 0, 1}},     {{-2, 0, 2}, {-1, 0, 1}},   {{0, -4, 4}, {0, -1, 1}},
        {{1, 2, 2}, {1.0 / 3, 2.0 / 3, 2.0 / 3}},                 {{-5, -5, 0}, {-1, -1, 0}},
        {{2, -2, 0}, {1, -1, 0}},   {{0, 3, 3}, {0, 1, 1}},     {{0, 0, -7}, {0, 0, -1}},
    };
    for (const Case& c : cases) {
        double out[3] = {9, 9, 9};
        SnapNormalDirection(c.in, out);
        for (int k = 0; k < 3; k++) EXPECT_DOUBLE_EQ(out[k], c.out[k]) << c.in[0] << c.in[1] << c.in[2];
    }
    const double zero[3] = {0, 0, 0};
    double kept[3] = {5, 6, 7};
    SnapNormalDirection(zero, kept);
    EXPECT_EQ(kept[0], 5);
}

TEST(StlConversion, SmoothLevelSpikes)
{
    struct Case {
        double row[3];
        double middle;
    } cases[] = {{{5, 0, 5}, 5}, {{5, 0, 0.05}, 0}, {{5, 0.00005, 5}, 5}};
    for (const Case& c : cases) {
        // One row of three rays (capacity 2): the second ends are looked at for a positive code.
        double ends[6] = {0, c.row[0], 0, c.row[1], 0, c.row[2]};
        SmoothLevelSpikes(3, 3, 1, 2, ends, 0.0);
        EXPECT_EQ(ends[3], c.middle);
    }
    // From above: the first ends, threshold below the level.
    double ends[6] = {-5, 9, 0, 9, -5, 9};
    SmoothLevelSpikes(-3, 3, 1, 2, ends, 0.0);
    EXPECT_EQ(ends[2], -5);
}

}  // namespace
