// STL files: kind detection, facet counts, the facet, tool-body and vertex-box readers, the facet
// writers, and files that promise more than they hold.
#include "work_model/stl_files.h"

#include <gtest/gtest.h>

#include "tests/work_model/stl_test_support.h"
#include "tests/work_model/work_file_test_support.h"
#include "work_model/stl_import_placement.h"
#include "work_model/stl_writer.h"

namespace {

std::vector<TestFacet> TwoFacets()
{
    std::vector<TestFacet> facets;
    const double a[3] = {0, 0, 0}, b[3] = {10, 0, 0}, c[3] = {0, 10, 5}, d[3] = {-1.5, 2, 3};
    AddTestTriangle(&facets, a, b, c);
    AddTestTriangle(&facets, a, c, d);
    return facets;
}

std::vector<FacetVertices> ReadAll(const std::string& path, int* kind, int* result)
{
    *kind = DetectStlKind(path.c_str());
    const int count = CountStlFacets(*kind, path.c_str());
    std::vector<FacetVertices> facets(size_t(std::max(count, 0)));
    const double offset[3] = {0, 0, 0};
    double lo[3], hi[3];
    *result = ReadStlFacets(*kind, count, path.c_str(), offset, lo, hi, facets.data());
    return facets;
}

TEST(StlFiles, DetectionCases)
{
    TempFolder folder;
    const std::vector<TestFacet> facets = TwoFacets();
    std::vector<uint8_t> le = MakeTestStlBinary(facets, false);
    std::vector<uint8_t> be = MakeTestStlBinary(facets, true);
    // Extra bytes after the facets, count below the whole facets: little-endian by the short count.
    std::vector<uint8_t> shortCount = MakeTestStlBinary(facets, false, 1);
    shortCount.insert(shortCount.end(), 20, 0);
    // A count above the facets the file holds, without and with "facet" in the header.
    std::vector<uint8_t> overCount = MakeTestStlBinary(facets, false, 7);
    std::vector<uint8_t> overCountText = overCount;
    std::memcpy(overCountText.data() + 10, "FACET", 5);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int kind;
    } cases[] = {
        {"le.stl", le, STL_BINARY_LE},
        {"be.stl", be, STL_BINARY_BE},
        {"short_count.stl", shortCount, STL_BINARY_LE},
        {"over.stl", overCount, STL_NONE},
        {"over_text.stl", overCountText, STL_ASCII},
        {"text.stl", std::vector<uint8_t>(), STL_ASCII},
        {"tiny.stl", {'s', 'o', 'l', 'i', 'd'}, STL_NONE},
        {"tiny_facet.stl", {'f', 'a', 'c', 'e', 't'}, STL_ASCII},
        {"empty.stl", std::vector<uint8_t>(), STL_NONE},
    };
    const std::string text = MakeTestStlText(facets);
    cases[5].bytes.assign(text.begin(), text.end());
    for (const Case& c : cases) {
        const std::string path = folder.File(c.name);
        ASSERT_TRUE(WriteTestFile(path, c.bytes));
        EXPECT_EQ(DetectStlKind(path.c_str()), c.kind) << c.name;
    }
    EXPECT_EQ(DetectStlKind(folder.File("missing.stl").c_str()), STL_NONE);
    // A binary file of exactly 84 bytes with count 0 holds no facet.
    const std::string zero = folder.File("zero.stl");
    ASSERT_TRUE(WriteTestFile(zero, MakeTestStlBinary({}, false)));
    EXPECT_EQ(DetectStlKind(zero.c_str()), STL_BINARY_LE);
    EXPECT_EQ(CountStlFacets(STL_BINARY_LE, zero.c_str()), 0);
}

TEST(StlFiles, AllKindsReadTheSameFacets)
{
    TempFolder folder;
    const std::vector<TestFacet> facets = TwoFacets();
    const std::string paths[5] = {folder.File("lower.stl"), folder.File("upper.stl"),
                                  folder.File("mixed_plus.stl"), folder.File("le.stl"),
                                  folder.File("be.stl")};
    ASSERT_TRUE(WriteTestFile(paths[0], MakeTestStlText(facets, TEXT_LOWER)));
    ASSERT_TRUE(WriteTestFile(paths[1], MakeTestStlText(facets, TEXT_UPPER)));
    ASSERT_TRUE(WriteTestFile(paths[2], MakeTestStlText(facets, TEXT_MIXED, true)));
    ASSERT_TRUE(WriteTestFile(paths[3], MakeTestStlBinary(facets, false)));
    ASSERT_TRUE(WriteTestFile(paths[4], MakeTestStlBinary(facets, true)));
    for (const std::string& path : paths) {
        int kind, result;
        const std::vector<FacetVertices> read = ReadAll(path, &kind, &result);
        ASSERT_EQ(result, 1) << path;
        ASSERT_EQ(read.size(), 2u) << path;
        for (size_t f = 0; f < 2; f++)
            for (int k = 0; k < 9; k++)
                EXPECT_EQ(read[f].vertices[k], double(float(facets[f].v[k]))) << path;
        EXPECT_EQ(read[1].vertices[6], -1.5);
    }
}

TEST(StlFiles, NumbersNormalsAndBox)
{
    TempFolder folder;
    const std::string path = folder.File("n.stl");
    ASSERT_TRUE(WriteTestFile(path,
        "solid\n facet normal 1 0.0000001 0\n outer loop\n vertex +1.5 2 3\n vertex 4 5 6\n"
        " vertex 7 8 9\n endloop\n endfacet\n"
        " facet normal 0 0 0\n outer loop\n vertex 0 0 0\n vertex 1 0 0\n vertex 0 1 0\n"
        " endloop\n endfacet\n"
        " facet normal 0.7071 0.7071 0\n outer loop\n vertex 0 0 0\n vertex 1 0 0\n"
        " vertex 0 1 -2\n endloop\n endfacet\nendsolid\n"));
    ASSERT_EQ(DetectStlKind(path.c_str()), STL_ASCII);
    ASSERT_EQ(CountStlFacets(STL_ASCII, path.c_str()), 3);
    FacetVertices f[3];
    const double offset[3] = {10, 20, 30};
    double lo[3], hi[3];
    ASSERT_EQ(ReadStlFacets(STL_ASCII, 3, path.c_str(), offset, lo, hi, f), 1);
    EXPECT_EQ(f[0].vertices[0], 11.5);
    EXPECT_EQ(f[0].normal[0], 1.0);
    EXPECT_EQ(f[0].normal[1], 0.0);
    EXPECT_EQ(f[1].normal[2], 0.0);       // a text facet's zero normal stays
    EXPECT_EQ(f[2].normal[0], 0.7071);
    EXPECT_EQ(lo[2], 28.0);
    EXPECT_EQ(hi[0], 17.0);
    // A binary facet with a zero normal gets its edges' normalised cross product.
    std::vector<TestFacet> facets = TwoFacets();
    facets[0].normal[0] = facets[0].normal[1] = facets[0].normal[2] = 0;
    const std::string bin = folder.File("b.stl");
    ASSERT_TRUE(WriteTestFile(bin, MakeTestStlBinary(facets, true)));
    FacetVertices g[2];
    const double none[3] = {0, 0, 0};
    ASSERT_EQ(ReadStlFacets(STL_BINARY_BE, 2, bin.c_str(), none, lo, hi, g), 1);
    const double length = std::sqrt(50.0 * 50 + 100 * 100);
    EXPECT_NEAR(g[0].normal[1], -50 / length, 1e-12);
    EXPECT_NEAR(g[0].normal[2], 100 / length, 1e-12);
}

TEST(StlFiles, MalformedFilesNeverOverrunTheirArrays)
{
    TempFolder folder;
    const std::string path = folder.File("bad.stl");
    // Four vertices in one facet, vertices without "outer", a vertex after the last "endfacet".
    ASSERT_TRUE(WriteTestFile(path,
        "solid\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n"
        "vertex 9 9 9\nendloop\nendfacet\nfacet normal 0 0 1\nvertex 0 0 1\nvertex 1 0 1\n"
        "vertex 0 1 1\nendfacet\nfacet normal 0 0 1\nvertex 5 5 5\n"));
    const int kind = DetectStlKind(path.c_str());
    ASSERT_EQ(kind, STL_ASCII);
    ASSERT_EQ(CountStlFacets(kind, path.c_str()), 2);
    std::vector<FacetVertices> facets(2);
    const double offset[3] = {0, 0, 0};
    double lo[3], hi[3];
    ASSERT_EQ(ReadStlFacets(kind, 2, path.c_str(), offset, lo, hi, facets.data()), 1);
    EXPECT_EQ(hi[0], 1.0);                 // the fourth vertex was ignored
    EXPECT_EQ(facets[1].vertices[2], 1.0); // a facet without "outer" is read
    // A caller's array smaller than the file's facets: refused, nothing written past it.
    FacetVertices one[2];
    one[1].vertices[0] = 42;
    EXPECT_EQ(ReadStlFacets(kind, 1, path.c_str(), offset, lo, hi, one), STL_DATA_ERROR);
    EXPECT_EQ(one[1].vertices[0], 42);
    // A binary file shorter than its count promises.
    std::vector<uint8_t> bytes = MakeTestStlBinary(TwoFacets(), false);
    bytes.resize(bytes.size() - 10);
    const std::string shortFile = folder.File("short.stl");
    ASSERT_TRUE(WriteTestFile(shortFile, bytes));
    EXPECT_EQ(CountStlFacets(STL_BINARY_LE, shortFile.c_str()), STL_DATA_ERROR);
    FacetVertices two[2];
    EXPECT_EQ(ReadStlFacets(STL_BINARY_LE, 2, shortFile.c_str(), offset, lo, hi, two),
              STL_DATA_ERROR);
    double maxOut[3], minOut[3];
    EXPECT_EQ(ReadStlVertices(STL_BINARY_LE, shortFile.c_str(), maxOut, minOut), STL_DATA_ERROR);
    // STL_NONE touches nothing.
    lo[0] = 7;
    EXPECT_EQ(ReadStlFacets(STL_NONE, 0, path.c_str(), offset, lo, hi, nullptr), 1);
    EXPECT_EQ(lo[0], 7);
    EXPECT_EQ(CountStlFacets(STL_NONE, path.c_str()), 0);
}

TEST(StlFiles, ToolShapeTurnsForTheAngleHead)
{
    TempFolder folder;
    const std::string path = folder.File("tool.stl");
    std::vector<TestFacet> facets;
    const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0}, c[3] = {0, 2, 3};
    AddTestTriangle(&facets, a, b, c);
    ASSERT_TRUE(WriteTestFile(path, MakeTestStlText(facets)));
    FacetVertices f;
    const double offset[3] = {0, 0, 0};
    double lo[3], hi[3];
    const double aboutX[3] = {90, 45, 90};  // A used (B ignored), then C
    ASSERT_EQ(ReadStlToolShape(STL_ASCII, 1, path.c_str(), offset, lo, hi, &f, aboutX), 1);
    // (0, 2, 3): (y, z) by 90 gives (0, -3, 2); then (x, y) by 90 gives (3, 0, 2).
    EXPECT_EQ(f.vertices[6], 3.0);
    EXPECT_EQ(f.vertices[7], 0.0);
    EXPECT_EQ(f.vertices[8], 2.0);
    EXPECT_EQ(hi[0], 3.0);
    const double none[3] = {0, 0, 30};      // A and B zero: C is not used either
    ASSERT_EQ(ReadStlToolShape(STL_ASCII, 1, path.c_str(), offset, lo, hi, &f, none), 1);
    EXPECT_EQ(f.vertices[7], 2.0);
}

TEST(StlFiles, VertexBoxHonoursScaleAndMirror)
{
    TempFolder folder;
    const std::string path = folder.File("v.stl");
    ASSERT_TRUE(WriteTestFile(path, MakeTestStlBinary(TwoFacets(), false)));
    double hi[3], lo[3];
    ASSERT_EQ(ReadStlVertices(STL_BINARY_LE, path.c_str(), hi, lo), 1);
    EXPECT_EQ(lo[0], -1.5);
    EXPECT_EQ(hi[0], 10.0);
    g_StlScaleEnabled[0] = 1;
    g_StlScaleFactors[0] = 2;
    g_StlScaleCentre[0] = 10;
    g_StlMirrorEnabled[0] = 1;
    ASSERT_EQ(ReadStlVertices(STL_BINARY_LE, path.c_str(), hi, lo), 1);
    g_StlScaleEnabled[0] = g_StlMirrorEnabled[0] = 0;
    g_StlScaleFactors[0] = 1;
    g_StlScaleCentre[0] = 0;
    // x -1.5 scales to -13 and mirrors to 13; x 10 stays 10 and mirrors to -10.
    EXPECT_EQ(lo[0], -10.0);
    EXPECT_EQ(hi[0], 13.0);
    // An STL without vertices leaves the box inverted.
    const std::string empty = folder.File("e.stl");
    ASSERT_TRUE(WriteTestFile(empty, "solid x\n facet\nendsolid\n"));
    ASSERT_EQ(ReadStlVertices(STL_ASCII, empty.c_str(), hi, lo), 1);
    EXPECT_GT(lo[0], hi[0]);
}

// Writes facets through the writer state into path with format.
uint32_t WriteFacets(const std::string& path, int format, const std::vector<TestFacet>& facets)
{
    MeshOutputState saved = g_MeshOutput;
    g_MeshOutput = MeshOutputState{};
    g_MeshOutput.stream = std::fopen(path.c_str(), "wb");
    g_MeshOutput.format = format;
    uint32_t count = 0;
    if (format == STL_OUT_ASCII) {
        std::fputs("solid\n", g_MeshOutput.stream);
    } else {
        const std::vector<uint8_t> head = MakeTestStlBinary({}, false);
        std::fwrite(head.data(), 1, head.size(), g_MeshOutput.stream);
    }
    for (const TestFacet& f : facets) WriteStlFacet(&count, f.v, f.v + 3, f.v + 6);
    if (format == STL_OUT_ASCII) {
        std::fputs("endsolid\n", g_MeshOutput.stream);
    } else {
        uint32_t word = count;
        if (format == STL_OUT_BINARY_SWAPPED) SwapBytes32Array(&word, 1);
        std::fseek(g_MeshOutput.stream, 80, SEEK_SET);
        std::fwrite(&word, 4, 1, g_MeshOutput.stream);
    }
    std::fclose(g_MeshOutput.stream);
    g_MeshOutput = saved;
    return count;
}

TEST(StlWriter, FormatsRoundTripAndDegenerateFacetsAreDropped)
{
    TempFolder folder;
    std::vector<TestFacet> facets = TwoFacets();
    const double p[3] = {1, 1, 1}, q[3] = {2, 2, 2}, tiny[3] = {1 + 1e-12, 1, 1};
    AddTestTriangle(&facets, p, p, q);      // v1 equal to v0
    AddTestTriangle(&facets, p, tiny, q);   // equal only as floats
    const int kinds[3] = {STL_ASCII, STL_BINARY_LE, STL_BINARY_BE};
    for (int format = 0; format < 3; format++) {
        const std::string path = folder.File(("w" + std::to_string(format) + ".stl").c_str());
        EXPECT_EQ(WriteFacets(path, format, facets), 2u);
        int kind, result;
        const std::vector<FacetVertices> read = ReadAll(path, &kind, &result);
        EXPECT_EQ(kind, kinds[format]);
        ASSERT_EQ(result, 1);
        ASSERT_EQ(read.size(), 2u);
        EXPECT_EQ(read[1].vertices[6], -1.5);
        EXPECT_NEAR(read[0].normal[2], facets[0].normal[2], 1e-6);
    }
}

TEST(StlWriter, WorkCoordinatesSubtractTheOriginAndTurn)
{
    TempFolder folder;
    const std::string path = folder.File("wc.stl");
    MeshOutputState saved = g_MeshOutput;
    g_MeshOutput = MeshOutputState{};
    g_MeshOutput.stream = std::fopen(path.c_str(), "wb");
    g_MeshOutput.format = STL_OUT_ASCII;
    g_MeshOutput.toWorkCoordinates = 1;
    g_MeshOutput.rotate = 1;
    const double origin[3] = {10, 0, 0}, quarter[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    std::memcpy(g_MeshOutput.workOrigin, origin, sizeof origin);
    std::memcpy(g_MeshOutput.rotation, quarter, sizeof quarter);
    const double n[3] = {1, 0, 0}, a[3] = {11, 0, 0}, b[3] = {10, 1, 0}, c[3] = {10, 0, 1};
    EXPECT_EQ(WriteStlFacetWithNormal(n, a, b, c), 1);
    std::fclose(g_MeshOutput.stream);
    g_MeshOutput = saved;
    std::string text;
    ASSERT_EQ(ReadWholeFile(path.c_str(), &text), 1);
    EXPECT_NE(text.find("facet normal 0.000000 1.000000 0.000000"), std::string::npos) << text;
    EXPECT_NE(text.find("vertex 0.000000 1.000000 0.000000"), std::string::npos) << text;
    EXPECT_NE(text.find("vertex -1.000000 0.000000 0.000000"), std::string::npos) << text;
}

TEST(StlFiles, SwapBytes32Array)
{
    uint32_t words[2] = {0x01020304u, 0xAABBCCDDu};
    SwapBytes32Array(words, 0);
    EXPECT_EQ(words[0], 0x01020304u);
    SwapBytes32Array(words, 2);
    EXPECT_EQ(words[0], 0x04030201u);
    EXPECT_EQ(words[1], 0xDDCCBBAAu);
}

}  // namespace
