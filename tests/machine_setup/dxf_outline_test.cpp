// DXF tool outlines: reading, axis removal and move, chaining from the lowest-left continuous end,
// classification by line style, the derived dimensions and broken files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <string>
#include <vector>

#include "machine_setup/tools/dxf_outline.h"
#include "tool_test_support.h"

namespace {

std::string Fixture(const char* name) { return std::string(QUMBRA_FIXTURE_DIR) + "/tools/" + name; }

struct Dxf {
    std::vector<DxfProfileSegment> segments = std::vector<DxfProfileSegment>(DXF_MAX_SEGMENTS);
    int count = 0;
    double extents[2] = {0, 0};
    int result = 0;
    explicit Dxf(const std::string& path) {
        result = ReadDxfToolProfile(path.c_str(), &count, segments.data(), extents);
    }
};

void ExpectSegment(const DxfProfileSegment& s, int kind, double x1, double y1, double x2, double y2) {
    EXPECT_EQ(kind, s.kind);
    EXPECT_NEAR(x1, s.startX, 1e-6);
    EXPECT_NEAR(y1, s.startY, 1e-6);
    EXPECT_NEAR(x2, s.endX, 1e-6);
    EXPECT_NEAR(y2, s.endY, 1e-6);
}

TEST(DxfOutline, ChainsMovesAndDropsTheAxis) {
    Dxf d(Fixture("endmill_outline.dxf"));
    ASSERT_EQ(DXF_READ_OK, d.result);
    ASSERT_EQ(8, d.count);
    EXPECT_DOUBLE_EQ(15, d.extents[0]);
    EXPECT_DOUBLE_EQ(60, d.extents[1]);
    ExpectSegment(d.segments[0], 1, 0, 0, 4, 0);      // drawn inward, chained reversed
    ExpectSegment(d.segments[1], 3, 4, 0, 5, 1);      // corner arc, forward
    EXPECT_DOUBLE_EQ(4, d.segments[1].centreX);
    EXPECT_DOUBLE_EQ(1, d.segments[1].centreY);
    ExpectSegment(d.segments[2], 1, 5, 1, 5, 20);
    ExpectSegment(d.segments[3], 2, 5, 20, 4, 21);    // fillet met at its end
    EXPECT_DOUBLE_EQ(270, d.segments[3].startAngle);
    EXPECT_DOUBLE_EQ(180, d.segments[3].endAngle);
    ExpectSegment(d.segments[4], 1, 4, 21, 4, 40);
    ExpectSegment(d.segments[5], 1, 4, 40, 15, 40);
    ExpectSegment(d.segments[6], 1, 15, 40, 15, 60);
    ExpectSegment(d.segments[7], 1, 15, 60, 0, 60);
    for (int i = 0; i < 8; i++) EXPECT_EQ(i, d.segments[i].mark);
    EXPECT_EQ(0, d.segments[0].lineTypeIndex);
    EXPECT_EQ(1, d.segments[3].lineTypeIndex);
    EXPECT_EQ(2, d.segments[3].lineTypeDashCount);
    EXPECT_EQ(4, d.segments[5].lineTypeDashCount);
    EXPECT_EQ(3, d.segments[5].colour);
}

TEST(DxfOutline, ClassifiesAndMeasures) {
    Dxf d(Fixture("endmill_outline.dxf"));
    ASSERT_EQ(8, d.count);
    int starts[3];
    ClassifyDxfProfileSegments(d.count, starts, d.segments.data());
    EXPECT_EQ(0, starts[0]);
    EXPECT_EQ(3, starts[1]);
    EXPECT_EQ(5, starts[2]);
    const int classes[8] = {1, 1, 1, 2, 2, 3, 3, 3};
    for (int i = 0; i < 8; i++) EXPECT_EQ(classes[i], d.segments[i].mark) << i;
    int scanEnd = 0;
    float dia, r, h, l6, l1, hd, hl;
    AnalyseDxfToolProfile(d.count, starts, &scanEnd, d.segments.data(), &dia, &r, &h, &l6, &l1, &hd, &hl);
    EXPECT_EQ(3, scanEnd);
    EXPECT_FLOAT_EQ(10, dia);
    EXPECT_FLOAT_EQ(1, r);
    EXPECT_FLOAT_EQ(20, h);
    EXPECT_FLOAT_EQ(8, l6);
    EXPECT_FLOAT_EQ(40, l1);
    EXPECT_FLOAT_EQ(30, hd);
    EXPECT_FLOAT_EQ(20, hl);
    EXPECT_EQ(1 + 1 + 10 + 1 + 10 + 1 + 3, CountDxfOutlinePoints(d.count, d.segments.data()));
}

TEST(DxfOutline, TwoStylesWithTheDashedOneFirst) {
    Dxf d(Fixture("two_styles.dxf"));
    ASSERT_EQ(DXF_READ_OK, d.result);
    ASSERT_EQ(3, d.count);  // the short continuous line at the start point is not on the chain
    ExpectSegment(d.segments[0], 1, 0, 0, 1, 2);
    int starts[3];
    ClassifyDxfProfileSegments(d.count, starts, d.segments.data());
    EXPECT_EQ(1, starts[0]);  // the continuous style is the cutting part
    EXPECT_EQ(-1, starts[1]);
    EXPECT_EQ(-1, starts[2]);
    EXPECT_EQ(0, d.segments[0].mark);
    EXPECT_EQ(1, d.segments[1].mark);
    EXPECT_EQ(1, d.segments[2].mark);
}

TEST(DxfOutline, ArcValuesAndJoinTolerance) {
    const std::string text =
        "0\nARC\n10\n0\n20\n3\n40\n2.99999\n50\n0.000004\n51\n270\n"   // from (r, 3) to (0, 3 - r)
        "0\nLINE\n10\n2.99990\n20\n3.00009\n11\n2.9999\n21\n8\n"         // joins the arc start
        "0\nLINE\n10\n2.9999\n20\n8\n11\n6\n21\n8\n"
        "0\nLINE\n10\n6.0001\n20\n8\n11\n6.0001\n21\n9\n";              // 0.0001 away: no join
    std::string path = WriteToolTestFile("arc_values.dxf", text);
    Dxf d(path);
    ASSERT_EQ(DXF_READ_OK, d.result);
    ASSERT_EQ(3, d.count);
    const DxfProfileSegment& arc = d.segments[0];
    EXPECT_DOUBLE_EQ(2.9999, arc.radius);
    EXPECT_EQ(2, arc.kind);  // met at its end point (0, 0.0001 below)
    EXPECT_DOUBLE_EQ(270, arc.startAngle);
    EXPECT_DOUBLE_EQ(0, arc.endAngle);
    EXPECT_DOUBLE_EQ(0, arc.startX);  // centre x minus the move, exactly on the axis side
    EXPECT_DOUBLE_EQ(0, arc.startY);
    EXPECT_NEAR(2.9999, arc.endX, 1e-6);
}

TEST(DxfOutline, AngleToCosSinIsExactAtQuarterTurns) {
    const double cases[][3] = {{0, 1, 0}, {360, 1, 0}, {-360, 1, 0}, {90, 0, 1}, {-270, 0, 1},
                               {-90, 0, -1}, {270, 0, -1}, {180, -1, 0}, {-180, -1, 0}};
    for (const auto& c : cases) {
        double co, si;
        AngleToCosSin(c[0], &co, &si);
        EXPECT_EQ(c[1], co) << c[0];
        EXPECT_EQ(c[2], si) << c[0];
    }
    double co, si;
    AngleToCosSin(30, &co, &si);
    EXPECT_NEAR(0.5, si, 1e-15);
}

TEST(DxfOutline, BrokenFilesGiveAClearResult) {
    Dxf missing(Fixture("none.dxf"));
    EXPECT_EQ(DXF_READ_CANNOT_OPEN, missing.result);
    EXPECT_EQ(0, missing.count);
    Dxf malformed(Fixture("malformed.dxf"));
    EXPECT_EQ(DXF_READ_MALFORMED, malformed.result);
    EXPECT_EQ(0, malformed.count);
    Dxf truncated(Fixture("truncated.dxf"));
    EXPECT_EQ(DXF_READ_MALFORMED, truncated.result);
    EXPECT_EQ(0, truncated.count);
    Dxf empty(WriteToolTestFile("empty.dxf", ""));
    EXPECT_EQ(DXF_READ_NO_SEGMENTS, empty.result);
    Dxf dashedOnly(WriteToolTestFile("dashed.dxf",
                                     "0\nLTYPE\n2\nDOT\n73\n2\n0\nLINE\n6\nDOT\n10\n1\n20\n0\n11\n2\n21\n5\n"));
    EXPECT_EQ(DXF_READ_NO_SEGMENTS, dashedOnly.result);  // no continuous segment: no start point
    EXPECT_EQ(0, dashedOnly.count);
    EXPECT_STRNE("", GetDxfReadResultText(DXF_READ_MALFORMED));
}

TEST(DxfOutline, ReadingStopsAtThreeHundredSegmentsAndLongLines) {
    std::string text = "0\nLINE\n10\n" + std::string(600, '1') + "\n20\n0\n11\n1\n21\n0\n";
    for (int i = 0; i < 400; i++) {
        text += "0\nLINE\n10\n" + std::to_string(i + 1) + "\n20\n0\n11\n" + std::to_string(i + 2) + "\n21\n0\n";
    }
    Dxf d(WriteToolTestFile("many.dxf", text));
    EXPECT_GE(DXF_MAX_SEGMENTS, d.count);
    EXPECT_EQ(DXF_READ_OK, d.result);
}

// A tool table may name a pipe or device: opening a pipe without writer would wait forever.
TEST(DxfOutline, PipeOrDeviceIsNoOutlineFile) {
    const std::string pipe = ToolTestFolder() + "/pipe.dxf";
    ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
    Dxf fromPipe(pipe);
    EXPECT_EQ(DXF_READ_CANNOT_OPEN, fromPipe.result);
    EXPECT_EQ(0, fromPipe.count);
    std::remove(pipe.c_str());
    Dxf fromDevice("/dev/zero");
    EXPECT_EQ(DXF_READ_CANNOT_OPEN, fromDevice.result);
}

}  // namespace
