// Golden tool profiles: for each tool type the outline points, the part ends and the overall length,
// worked out by hand from the outline rules (tip, bottom, corner arc, side, shank, holder steps), with
// and without holders; then the revolved surface, the boxes and the refusal of oversized outlines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ui/shell_services.h"
#include "machine_setup/machine/machine_definition.h"
#include "tool_test_support.h"

namespace {

struct P {
    double r, h;
};

const double DEG = M_PI / 180.0;

class ToolProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetToolSettings();
        g_ToolHolderOffset = 100;
        g_ToolDirectionTilted = 0;
        g_AngleHeadAngles[0] = g_AngleHeadAngles[1] = g_AngleHeadAngles[2] = 0;
        g_RunMode = 0;
    }
    void TearDown() override {
        g_ToolHolderOffset = 0;
        g_RunMode = 0;
        g_ToolDirectionTilted = 0;
        g_AngleHeadAngles[0] = 0;
    }
    // Reads the table and makes tool n current.
    void Load(const std::string& table, int n = 1) {
        ASSERT_EQ(1, ReadToolTableText(table));
        ASSERT_EQ(1, SelectCurrentTool(n, 0));
    }
};

void ExpectProfile(const std::vector<P>& expected, int cutterEnd, int shankEnd, double toolLength) {
    ASSERT_EQ((int)expected.size(), g_ToolProfilePointCount);
    for (size_t j = 0; j < expected.size(); j++) {
        EXPECT_NEAR(expected[j].r, g_ToolProfileRadius[j], 1e-9) << "point " << j;
        EXPECT_NEAR(expected[j].h, g_ToolProfileHeight[j], 1e-9) << "point " << j;
    }
    EXPECT_EQ(cutterEnd, g_ToolProfileCutterEnd);
    EXPECT_EQ(shankEnd, g_ToolProfileShankEnd);
    EXPECT_NEAR(toolLength, g_ToolLength, 1e-5);
}

TEST_F(ToolProfileTest, FlatEndMillWithoutHolder) {
    Load("MAGAZINE 1 FLAT 10, 20\n");
    ExpectProfile({{0, 0}, {5, 0}, {5, 20}, {5, 30}}, 3, 4, 130);
    EXPECT_DOUBLE_EQ(30, g_ToolProfileTop);
    EXPECT_DOUBLE_EQ(0, g_HolderHeightAboveTool);
    EXPECT_EQ(36, g_ToolSurfaceStepCount);
    EXPECT_DOUBLE_EQ(-5, g_ToolBox.minimum[0]);
    EXPECT_DOUBLE_EQ(5, g_ToolBox.maximum[1]);
    EXPECT_DOUBLE_EQ(0, g_ToolBox.minimum[2]);
    EXPECT_DOUBLE_EQ(30, g_ToolBox.maximum[2]);
}

TEST_F(ToolProfileTest, ShankNeverEndsBelowALongCuttingPart) {
    // Six radii (30) lie below the cutting length 40: the shank ends at the cutting part's top.
    Load("MAGAZINE 1 FLAT 10, 40\n");
    ExpectProfile({{0, 0}, {5, 0}, {5, 40}, {5, 40}}, 3, 4, 140);
    EXPECT_DOUBLE_EQ(40, g_ToolBox.maximum[2]);
    // A given length below the cutting length: the same.
    Load("MAGAZINE 1 FLAT 10, 40\nLENGTH 35\n");
    EXPECT_EQ(g_ToolProfileHeight[g_ToolProfilePointCount - 1], 40.0);
    EXPECT_NEAR(g_ToolLength, 140.0, 1e-9);
}

TEST_F(ToolProfileTest, BallEndMillArcFromTheAxis) {
    Load("MAGAZINE 1 BALL 10, 20\n");
    std::vector<P> expected = {{0, 0}};
    for (int u = 1; u <= 9; u++) expected.push_back({0.5 * u, 5 - std::sqrt(25 - 0.25 * u * u)});
    expected.push_back({5, 5});
    expected.push_back({5, 20});
    expected.push_back({5, 30});
    ExpectProfile(expected, 12, 13, 130);
}

TEST_F(ToolProfileTest, CornerArcPointCountFollowsThePitch) {
    g_WorkPitch = 2;  // 5 / 2 pitches: still five points
    Load("MAGAZINE 1 BALL 10, 20\n");
    EXPECT_EQ(1 + 5 + 2, g_ToolProfilePointCount);
    EXPECT_NEAR(1, g_ToolProfileRadius[1], 1e-12);
    g_WorkPitch = 0.1;  // fifty pitches: ten points
    ASSERT_EQ(1, SelectCurrentTool(1, 0));
    EXPECT_EQ(1 + 10 + 2, g_ToolProfilePointCount);
}

TEST_F(ToolProfileTest, BullNoseWithSteppedHolder) {
    Load("MAGAZINE 1 BULL 10, 2, 20\nLENGTH 50\nARBOR 30, 20, 20, 10\n");
    std::vector<P> expected = {{0, 0}, {3, 0}};
    for (int u = 1; u <= 4; u++) {
        const double x = 0.4 * u;
        expected.push_back({3 + x, 2 - std::sqrt(4 - x * x)});
    }
    expected.push_back({5, 2});
    expected.push_back({5, 20});
    const int cutterEnd = (int)expected.size();
    expected.push_back({5, 50});
    const int shankEnd = (int)expected.size();
    for (P p : std::vector<P>{{15, 50}, {15, 70}, {15, 70}, {15, 80}}) expected.push_back(p);
    ExpectProfile(expected, cutterEnd, shankEnd, 180);
    EXPECT_DOUBLE_EQ(130, g_HolderHeightAboveTool);
    EXPECT_DOUBLE_EQ(-15, g_ToolHolderBox.minimum[0]);
    EXPECT_DOUBLE_EQ(50, g_ToolHolderBox.minimum[2]);
    EXPECT_DOUBLE_EQ(80, g_ToolHolderBox.maximum[2]);
    EXPECT_DOUBLE_EQ(50, g_ToolBox.maximum[2]);
    EXPECT_DOUBLE_EQ(15, g_ToolHolderBox.corners[7][1]);
}

TEST_F(ToolProfileTest, TaperedAndSectionHolders) {
    Load("MAGAZINE 1 FLAT 10, 20\nLENGTH 50\nARBOR2 30, 20, 20, 10\n"
         "MAGAZINE 2 FLAT 10, 20\nLENGTH 50\nARBOR3 40, 30, 0, 40, 20, 1, 60\n");
    ExpectProfile({{0, 0}, {5, 0}, {5, 20}, {5, 50}, {15, 70}, {15, 80}}, 3, 4, 180);
    ASSERT_EQ(1, SelectCurrentTool(2, 0));
    ExpectProfile({{0, 0}, {5, 0}, {5, 20}, {5, 50}, {20, 50}, {20, 80}, {20, 80}, {30, 100}}, 3, 4, 200);
}

TEST_F(ToolProfileTest, TaperBall) {
    Load("MAGAZINE 1 TAPERBALL 3, 10, 40\n");
    const double sb = std::sin(10 * DEG), tb = std::tan(10 * DEG), cb = std::cos(10 * DEG);
    const double D = (float)(2 * 3 * (sb * tb - tb + cb)) / 2.0;  // the table keeps d in single precision
    const double cornerEnd = sb * 3 / std::tan(50 * DEG) + D;  // the tangent point 3 cos 10
    const double top = D + tb * 40;
    std::vector<P> expected = {{0, 0}};
    for (int u = 1; u <= 5; u++) {
        const double r = u * cornerEnd / 5;
        expected.push_back({r, 3 - std::sqrt(9 - r * r)});
    }
    expected.push_back({top, top / tb - D / tb});
    expected.push_back({top, 6 * top});
    ExpectProfile(expected, 7, 8, 100 + 6 * top);
    EXPECT_NEAR(3 * cb, cornerEnd, 1e-6);
    EXPECT_NEAR(40, g_ToolProfileHeight[6], 1e-9);
}

TEST_F(ToolProfileTest, GeneralCutterWithTipFlat) {
    Load("MAGAZINE 1 CUTTER 10, 0, 5, 0, 20;2, 0, 30\n");
    const double t20 = std::tan(20 * DEG);
    ExpectProfile({{0, 0}, {1, 0}, {5, 4 * t20}, {5, 30}, {5, 30}}, 4, 5, 130);
}

TEST_F(ToolProfileTest, TSlotCutter) {
    Load("MAGAZINE 1 T-THROW 30, 8, 1, 2, 12\n");
    std::vector<P> expected = {{0, 0}, {14, 0}};
    for (int i = 0; i <= 10; i++) {
        const double phi = M_PI / 2 - i * (M_PI / 2) / 10;
        expected.push_back({14 + std::cos(phi), 1 - std::sin(phi)});
    }
    expected.push_back({15, 6});
    for (int k = 9; k >= 0; k--) {
        const double phi = M_PI / 2 - k * (M_PI / 2) / 10;
        expected.push_back({13 + 2 * std::cos(phi), 6 + 2 * std::sin(phi)});
    }
    expected.push_back({6, 8});
    const int cutterEnd = (int)expected.size();
    expected.push_back({6, 36});
    ExpectProfile(expected, cutterEnd, cutterEnd + 1, 136);
}

TEST_F(ToolProfileTest, OvalRadiusMillVerticalAndStl) {
    Load("MAGAZINE 1 OVAL 20, 3, 10, 15\nMAGAZINE 2 RADIUS 20, 3, 3\nMAGAZINE 3 VERTICAL 20, 4, 10\n"
         "MAGAZINE 4 X IMPORT \"b.stl\", 0, 0, 0, 8\nMAGAZINE 5 X IMPORT \"b.stl\", 0, 0, 0, 8\nLENGTH 50\n");
    std::vector<P> oval = {{0, 0}};
    for (int i = 1; i <= 6; i++) {
        const double r = i * 10.0 / 6;
        oval.push_back({r, i == 6 ? 3 : (1 - std::sqrt(1 - r * r / 100)) * 3});
    }
    oval.push_back({10, 15});
    oval.push_back({10, 60});
    ExpectProfile(oval, 8, 9, 160);

    ASSERT_EQ(1, SelectCurrentTool(2, 0));
    std::vector<P> radius = {{0, 3}, {4, 3}};
    for (int i = 1; i <= 10; i++) {
        const double x = 3 - 0.6 * i;
        radius.push_back({4 + 0.6 * i, i == 10 ? 3 : (1 - std::sqrt(1 - x * x / 9)) * 3});
    }
    radius.push_back({10, 60});
    ExpectProfile(radius, 12, 13, 160);

    ASSERT_EQ(1, SelectCurrentTool(3, 0));
    ExpectProfile({{0, 0}, {6, 0}, {10, 0}, {10, 10}, {10, 60}}, 4, 5, 160);

    ASSERT_EQ(1, SelectCurrentTool(4, 0));
    ExpectProfile({{4, 0}}, 1, 1, 100);
    ASSERT_EQ(1, SelectCurrentTool(5, 0));
    ExpectProfile({{4, 0}, {4, 50}}, 1, 2, 150);
}

TEST_F(ToolProfileTest, TwoAndThreeSectionLengths) {
    Load("MAGAZINE 1 FLAT 10, 30\nLENGTH2 60, 25, 10, 16\nMAGAZINE 2 FLAT 10, 30\nLENGTH3 60, 25, 10, 5, 30, 16\n");
    ExpectProfile({{0, 0}, {5, 0}, {5, 25}, {5, 25}, {8, 35}, {8, 60}}, 3, 6, 160);
    EXPECT_EQ(3, g_ToolProfileLength2Index);
    ASSERT_EQ(1, SelectCurrentTool(2, 0));
    const double cone = 5 + 10 * std::tan(5 * DEG);
    ExpectProfile({{0, 0}, {5, 0}, {5, 25}, {5, 25}, {cone, 35}, {8, (8 - cone) / std::tan(30 * DEG) + 35},
                   {8, 60}},
                  3, 7, 160);
}

TEST_F(ToolProfileTest, ShankBoxDuringAnOutputLengthRun) {
    Load("MAGAZINE 1 FLAT 10, 30\nLENGTH2 60, 25, 10, 16\n");
    g_RunMode = 1;
    g_OutputLengthCheckAll = 1;
    g_ArborCheck = 1;
    ASSERT_EQ(1, SelectCurrentTool(1, 0));
    EXPECT_DOUBLE_EQ(25, g_ToolBox.maximum[2]);
    EXPECT_DOUBLE_EQ(5, g_ToolBox.maximum[0]);
    EXPECT_DOUBLE_EQ(25, g_ToolShankBox.minimum[2]);
    EXPECT_DOUBLE_EQ(60, g_ToolShankBox.maximum[2]);
    EXPECT_DOUBLE_EQ(8, g_ToolShankBox.maximum[0]);
    g_OutputLengthCheckAll = 0;
    g_ArborCheck = 0;
}

std::string Fixture(const char* name) { return std::string(QUMBRA_FIXTURE_DIR) + "/tools/" + name; }

TEST_F(ToolProfileTest, DxfOutlineWithItsOwnShankAndHolder) {
    Load("MAGAZINE 1 X IMPORT-TOOL \"" + Fixture("endmill_outline.dxf") + "\"\n");
    std::vector<P> expected = {{0, 0}, {4, 0}};
    for (int k = 1; k <= 9; k++) {
        const double a = (270 + 9 * k) * DEG;
        expected.push_back({4 + std::cos(a), 1 + std::sin(a)});
    }
    expected.push_back({5, 1});
    expected.push_back({5, 20});
    for (int k = 1; k <= 9; k++) {
        const double a = (270 - 9 * k) * DEG;
        expected.push_back({5 + std::cos(a), 21 + std::sin(a)});
    }
    expected.push_back({4, 21});
    expected.push_back({4, 40});
    expected.push_back({15, 40});
    expected.push_back({15, 60});
    expected.push_back({0, 60});
    ExpectProfile(expected, 13, 24, 160);
    EXPECT_DOUBLE_EQ(15, g_ToolHolderBox.maximum[0]);
    EXPECT_DOUBLE_EQ(40, g_ToolHolderBox.minimum[2]);
}

TEST_F(ToolProfileTest, DxfOutlineWithALengthLine) {
    Load("MAGAZINE 1 X IMPORT-TOOL \"" + Fixture("endmill_outline.dxf") + "\"\nLENGTH 50\n");
    ASSERT_EQ(14, g_ToolProfilePointCount);
    EXPECT_EQ(13, g_ToolProfileCutterEnd);
    EXPECT_DOUBLE_EQ(20, g_ToolProfileHeight[12]);
    EXPECT_DOUBLE_EQ(5, g_ToolProfileRadius[13]);
    EXPECT_DOUBLE_EQ(50, g_ToolProfileHeight[13]);
    EXPECT_NEAR(150, g_ToolLength, 1e-9);
}

TEST_F(ToolProfileTest, DxfShankPointsOutsideTheCountWithoutHolder) {
    const std::string dxf = WriteToolTestFile(
        "cut_and_shank.dxf",
        "0\nLTYPE\n2\nCONT\n73\n0\n0\nLTYPE\n2\nDASH\n73\n2\n"
        "0\nLINE\n6\nCONT\n10\n0\n20\n0\n11\n5\n21\n0\n0\nLINE\n6\nCONT\n10\n5\n20\n0\n11\n5\n21\n10\n"
        "0\nLINE\n6\nDASH\n10\n5\n20\n10\n11\n4\n21\n12\n0\nLINE\n6\nDASH\n10\n4\n20\n12\n11\n4\n21\n30\n");
    Load("MAGAZINE 1 X IMPORT-TOOL \"" + dxf + "\"\n");
    EXPECT_EQ(3, g_ToolProfilePointCount);
    EXPECT_EQ(3, g_ToolProfileCutterEnd);
    EXPECT_EQ(5, g_ToolProfileShankEnd);
    EXPECT_DOUBLE_EQ(4, g_ToolProfileRadius[4]);
    EXPECT_DOUBLE_EQ(30, g_ToolProfileHeight[4]);
    EXPECT_NEAR(110, g_ToolLength, 1e-9);  // the top of the counted points
}

TEST_F(ToolProfileTest, RevolvedSurfaceAndAngleHead) {
    Load("MAGAZINE 1 FLAT 10, 20\n");
    const double* s = g_ToolSolidBuffers[0];
    const int j = 1;  // point (5, 0)
    EXPECT_DOUBLE_EQ(5, s[(j * 36 + 0) * 3 + 0]);
    EXPECT_DOUBLE_EQ(5, s[(j * 36 + 9) * 3 + 1]);
    EXPECT_DOUBLE_EQ(0, s[(j * 36 + 9) * 3 + 0]);
    EXPECT_NEAR(5 * std::cos(30 * DEG), s[(j * 36 + 3) * 3 + 0], 1e-12);
    EXPECT_NEAR(5 * std::sin(30 * DEG), s[(j * 36 + 3) * 3 + 1], 1e-12);
    g_ToolSolidBuffers[1][(3 * 36) * 3 + 1] = 12345;
    ASSERT_EQ(1, SelectCurrentTool(1, 0));
    EXPECT_EQ(12345, g_ToolSolidBuffers[1][(3 * 36) * 3 + 1]);  // angle head off: not written
    g_ToolDirectionTilted = 1;
    g_AngleHeadAngles[0] = 90;
    ASSERT_EQ(1, SelectCurrentTool(1, 0));
    const int top = 3;  // point (5, 30), step 0: (5, 0, 30) turned about X by 90 degrees
    EXPECT_NEAR(5, g_ToolSolidBuffers[1][(top * 36) * 3 + 0], 1e-12);
    EXPECT_NEAR(-30, g_ToolSolidBuffers[1][(top * 36) * 3 + 1], 1e-12);
    EXPECT_NEAR(0, g_ToolSolidBuffers[1][(top * 36) * 3 + 2], 1e-12);
    EXPECT_NEAR(-30, g_ToolSolidBuffers[0][(top * 36) * 3 + 1], 1e-12);
    EXPECT_NEAR(-30, g_ToolBox.minimum[1], 1e-9);
}

TEST_F(ToolProfileTest, OversizedOutlineIsRefused) {
    std::string text = "0\nLINE\n10\n0\n20\n0\n11\n1\n21\n0\n";
    for (int i = 0; i < 4; i++) {
        const int x = 1 + i;
        text += "0\nARC\n10\n" + std::to_string(x) + ".5\n20\n0\n40\n0.5\n50\n180\n51\n0\n";
    }
    const std::string dxf = WriteToolTestFile("four_arcs.dxf", text);
    std::string arbor = "ARBOR3 10";
    for (int i = 0; i < 10; i++) arbor += ", 5, 0, " + std::to_string(12 + 2 * i);
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 X IMPORT-TOOL \"" + dxf + "\"\n"
                                   "MAGAZINE 2 X IMPORT-TOOL \"" + dxf + "\"\nLENGTH 50\n" + arbor + "\n"
                                   "MAGAZINE 3 X IMPORT-TOOL \"" + Fixture("many_arcs.dxf") + "\"\n"));
    EXPECT_EQ(1, g_ToolTable[1].defined);  // 42 points fit
    ASSERT_EQ(1, SelectCurrentTool(1, 0));
    EXPECT_EQ(42, g_ToolProfilePointCount);
    EXPECT_EQ(0, g_ToolTable[2].defined);  // with 22 holder points it does not
    EXPECT_EQ(0, g_ToolTable[3].defined);
    // A record changed after reading is refused by the builder itself.
    g_ToolTable[2].defined = 1;
    EXPECT_EQ(-2, SelectCurrentTool(2, 0));
    EXPECT_EQ(0, g_ToolProfilePointCount);
    EXPECT_DOUBLE_EQ(100, g_ToolLength);
    g_ToolTable[2].defined = 0;
}

TEST_F(ToolProfileTest, NoToolCurrent) {
    Load("MAGAZINE 1 FLAT 10, 20\n");
    std::memset(&g_CurrentTool, 0, sizeof(g_CurrentTool));
    EXPECT_EQ(0, BuildToolProfile());
    EXPECT_DOUBLE_EQ(0, g_ToolLength);
    EXPECT_EQ(0, BuildDxfToolOutline());
}

}  // namespace
