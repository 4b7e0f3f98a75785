// Tool table reading: shapes, lengths, holders, limits, pens, feed optimisation, LAYOUT1, the
// end-of-file pass and broken input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "platform/ui/shell_services.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "nc/interpreter_state.h"
#include "machine_setup/tools/tool_body.h"
#include "tool_test_support.h"

namespace {

class ToolTableTest : public ::testing::Test {
protected:
    void SetUp() override { ResetToolSettings(); }
};

TEST_F(ToolTableTest, BallWithNameAndLength) {
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 BALL 10, 50 \"R5 ball\"\nLENGTH 80\n"));
    const ToolRecord& t = g_ToolTable[1];
    EXPECT_EQ(1, t.defined);
    EXPECT_EQ(TOOL_BALL, t.type);
    EXPECT_FLOAT_EQ(10, t.diameter);
    EXPECT_FLOAT_EQ(5, t.cornerRadius);
    EXPECT_FLOAT_EQ(0, t.cornerCentreRadius);
    EXPECT_FLOAT_EQ(5, t.cornerCentreHeight);
    EXPECT_FLOAT_EQ(50, t.cuttingLength);
    ASSERT_NE(nullptr, t.name);
    EXPECT_STREQ("R5 ball", t.name);
    EXPECT_EQ(LENGTH_ONE, g_ToolLengthTable[1].kind);
    EXPECT_FLOAT_EQ(80, g_ToolLengthTable[1].lengths[0]);
    EXPECT_EQ(1, g_ToolTableStatus);
    EXPECT_EQ(-1, g_SavedState.spindleToolNumber);
}

struct ShapeCase {
    const char* line;
    int type;
    float d, r, e, f, h;
};

TEST_F(ToolTableTest, EveryShapeKeyword) {
    const double taperD = 2 * 3 * (std::sin(10 * M_PI / 180) * std::tan(10 * M_PI / 180) -
                                   std::tan(10 * M_PI / 180) + std::cos(10 * M_PI / 180));
    const ShapeCase cases[] = {
        {"CUTTER 10, 5, 0, 5, 0, 0, 30", TOOL_BALL, 10, 5, 0, 5, 30},
        {"CUTTER 10, 0, 0, 0, 0, 0, 30", TOOL_FLAT, 10, 0, 0, 0, 30},
        {"CUTTER 10, 2, 3, 2, 0, 0, 30", TOOL_BULL, 10, 2, 3, 2, 30},
        {"CUTTER 10, 0, 5, 2, 20, 0, 30", TOOL_GENERAL, 10, 0, 5, 2, 30},
        {"DRILL 8, 45, 40", TOOL_GENERAL, 8, 0, 4, 4, 40},
        {"FLAT 12, 25", TOOL_FLAT, 12, 0, 0, 0, 25},
        {"BULL 10, 2, 30", TOOL_BULL, 10, 2, 3, 2, 30},
        {"BULL 10, 0, 30", TOOL_FLAT, 10, 0, 0, 0, 30},
        {"BULL 10, -1, 30", TOOL_GENERAL, 10, -1, 0, 1, 30},
        {"KEGAKI 6, 3", TOOL_SCRIBING, 6, 0, 0, 0, 3},
        {"TAPERBALL 3, 10, 40", TOOL_TAPER_BALL, (float)taperD, 3, 0, 0, 40},
        {"VERTICAL 20, 4, 10", TOOL_VERTICAL, 20, 0, 0, 0, 10},
        {"OVALR 20, 3, 12, 2, 15", TOOL_OVAL, 20, 2, 12, 3, 15},
        {"OVAL 20, 3, 12, 15", TOOL_OVAL, 20, 0, 12, 3, 15},
        {"T-THROW 30, 6, 1, 1, 12", TOOL_T_SLOT, 30, 1, 0, 0, 6},
        {"SPHERE 10, 4", TOOL_SPHERE, 10, 0, 0, 0, 50},
        {"RADIUS 20, 3, 3", TOOL_RADIUS, 20, 3, 4, 3, 3},
        {"RADIUS 20, 3, 1", TOOL_RADIUS, 20, 3, (float)(10 - 3 - std::sqrt(9.0 - 4.0)), 1, 3},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.line);
        ASSERT_EQ(1, ReadToolTableText(std::string("MAGAZINE 3 ") + c.line + "\n"));
        const ToolRecord& t = g_ToolTable[3];
        EXPECT_EQ(c.type, t.type);
        EXPECT_NEAR(c.d, t.diameter, 1e-5);
        EXPECT_NEAR(c.r, t.cornerRadius, 1e-6);
        EXPECT_NEAR(c.e, t.cornerCentreRadius, 1e-5);
        EXPECT_NEAR(c.f, t.cornerCentreHeight, 1e-5);
        EXPECT_NEAR(c.h, t.cuttingLength, 1e-6);
    }
}

TEST_F(ToolTableTest, ShapeDetails) {
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 CUTTER 10, 0, 5, 2, 20;1.5, 10;14, 30 \"taper\"\n"
                                   "MAGAZINE 2 T-THROW 30;32, 6, 1, 2, 12 \"slot\"\n"
                                   "MAGAZINE 3 VERTICAL 20, 4, 10\n"
                                   "MAGAZINE 4 SPHERE 10, 4\n"
                                   "MAGAZINE 5 DRILL 8, 30\n"));
    const ToolRecord& c = g_ToolTable[1];
    EXPECT_FLOAT_EQ(1.5f, c.tipFlatDiameter);
    EXPECT_FLOAT_EQ(20, c.bottomAngle);
    EXPECT_FLOAT_EQ(10, c.sideAngle);
    EXPECT_FLOAT_EQ(30, c.readCuttingLength);
    EXPECT_FLOAT_EQ(14, c.topDiameter);  // within what the shape allows
    const ToolRecord& s = g_ToolTable[2];
    EXPECT_FLOAT_EQ(32, s.topDiameter);
    EXPECT_FLOAT_EQ(6, s.headLength);
    EXPECT_FLOAT_EQ(1, s.cornerRadius);
    EXPECT_FLOAT_EQ(2, s.secondRadius);
    EXPECT_FLOAT_EQ(12, s.neckDiameter);
    EXPECT_FLOAT_EQ(4, g_ToolTable[3].verticalInset);
    EXPECT_FLOAT_EQ(4, g_ToolTable[4].neckDiameter);
    EXPECT_STREQ("\xE3\x83\x89\xE3\x83\xAA\xE3\x83\xAB", g_ToolTable[5].name);  // Japanese default
    g_EnglishUi = 1;
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 5 DRILL 8, 30\nMAGAZINE 6 DRILL 8, 30 \"mine\"\n"));
    g_EnglishUi = 0;
    EXPECT_STREQ("Drill", g_ToolTable[5].name);
    EXPECT_STREQ("mine", g_ToolTable[6].name);
}

TEST_F(ToolTableTest, TopDiameterIsLimitedByTheShape) {
    // alpha = beta = 45: upper limit 2h.
    float top = 100;
    ComputeGeneralToolDimensions(10, 0, 45, 45, 20, &top);
    EXPECT_FLOAT_EQ(40, top);
    top = 1;  // lower limit: 2 (sin(beta) r / tan(45 + beta/2) + d/2) with beta 0: d
    ComputeGeneralToolDimensions(10, 2, 0, 0, 20, &top);
    EXPECT_FLOAT_EQ(10, top);
}

TEST_F(ToolTableTest, TSlotWithOverlappingCornersLosesThem) {
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 T-THROW 30, 4, 3, 3, 12\nMAGAZINE 2 T-THROW 30, 8, 3, 3, 12\n"));
    EXPECT_FLOAT_EQ(0, g_ToolTable[1].cornerRadius);
    EXPECT_FLOAT_EQ(0, g_ToolTable[1].secondRadius);
    EXPECT_FLOAT_EQ(3, g_ToolTable[2].cornerRadius);
    EXPECT_FLOAT_EQ(3, g_ToolTable[2].secondRadius);
}

TEST_F(ToolTableTest, ScribingToolHasNoLengthNorHolder) {
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 FLAT 1, 5 \"KEGAKI-01\"\nLENGTH 40\nARBOR 30, 20\n"));
    EXPECT_EQ(TOOL_SCRIBING, g_ToolTable[1].type);
    EXPECT_EQ(LENGTH_NONE, g_ToolLengthTable[1].kind);
    EXPECT_EQ(0, g_ArborTable[1].used);
    EXPECT_FLOAT_EQ(30, g_ArborTable[1].diameters[0]);  // filled all the same
}

TEST_F(ToolTableTest, LengthLines) {
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 FLAT 10, 20\nLENGTH2 50;8, 25, 10, 14\n"
                                   "MAGAZINE 2 FLAT 10, 20\nLENGTH2 50;8, 25;9, 10, 14\n"
                                   "MAGAZINE 3 FLAT 10, 20\nLENGTH3 50, 25, 10, 5, 30, 16\n"
                                   "MAGAZINE 4 FLAT 10, 20\nLENGTH2A 50, 25, 10, 14\n"
                                   "MAGAZINE 5 FLAT 10, 20\nLENGTH3A 50, 25, 10, 5, 30, 16\n"
                                   "MAGAZINE 6 RADIUS 20, 3, 3\nLENGTH2A 50, 25, 10, 14\n"
                                   "MAGAZINE 7 FLAT 10, 20\nLENGTH 60;1\n"));
    EXPECT_EQ(LENGTH_TWO, g_ToolLengthTable[1].kind);
    EXPECT_FLOAT_EQ(8, g_ToolLengthTable[1].semicolonValue);
    EXPECT_FLOAT_EQ(14, g_ToolLengthTable[1].lengths[5]);
    EXPECT_FLOAT_EQ(9, g_ToolLengthTable[2].semicolonValue);  // the value behind L2 counts
    const ToolLengthRecord& l3 = g_ToolLengthTable[3];
    EXPECT_EQ(LENGTH_THREE, l3.kind);
    const float expected3[6] = {50, 25, 10, 5, 30, 16};
    for (int i = 0; i < 6; i++) EXPECT_FLOAT_EQ(expected3[i], l3.lengths[i]);
    EXPECT_FLOAT_EQ(-1, l3.semicolonValue);
    EXPECT_EQ(LENGTH_TWO_A, g_ToolLengthTable[4].kind);
    EXPECT_FLOAT_EQ(35, g_ToolTable[4].cuttingLength);  // raised to L2 + L3
    EXPECT_EQ(LENGTH_THREE_A, g_ToolLengthTable[5].kind);
    EXPECT_EQ(LENGTH_TWO, g_ToolLengthTable[6].kind);  // RADIUS takes the plain kind
    EXPECT_FLOAT_EQ(10, g_ToolLengthTable[7].lengths[5]);  // ";" copies the diameter into L6
    EXPECT_FLOAT_EQ(1, g_ToolLengthTable[7].semicolonValue);
}

TEST_F(ToolTableTest, HolderLines) {
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 FLAT 10, 20\nLENGTH 50\nARBOR2 50, 20, 40, 30, 35\n"
                                   "MAGAZINE 2 FLAT 10, 20\nLENGTH 50\nARBOR 50, 20, 40, 30\n"
                                   "MAGAZINE 3 FLAT 10, 20\nLENGTH 50\nARBOR3 40, 30, 0, 40, 20, 1, 60\n"
                                   "MAGAZINE 4 FLAT 10, 20\nARBOR 50, 20\n"));
    const ArborRecord& a2 = g_ArborTable[1];
    EXPECT_EQ(1, a2.used);
    EXPECT_EQ(ARBOR_KIND_TAPERS, a2.kind);
    EXPECT_EQ(2, a2.stepCount);
    EXPECT_FLOAT_EQ(50, a2.diameters[0]);
    EXPECT_FLOAT_EQ(40, a2.diameters[1]);
    EXPECT_FLOAT_EQ(35, a2.diameters[2]);
    EXPECT_FLOAT_EQ(20, a2.lengths[0]);
    EXPECT_FLOAT_EQ(30, a2.lengths[1]);
    EXPECT_EQ(2, g_ArborTable[2].stepCount);
    EXPECT_EQ(ARBOR_KIND_STEPS, g_ArborTable[2].kind);
    const ArborRecord& a3 = g_ArborTable[3];
    EXPECT_EQ(ARBOR_KIND_SECTIONS, a3.kind);
    EXPECT_EQ(2, a3.stepCount);
    EXPECT_FLOAT_EQ(60, a3.diameters[2]);
    EXPECT_EQ(1, a3.sectionCodes[1]);
    EXPECT_EQ(0, g_ArborTable[4].used);  // no length definition: the holder does not count
}

TEST_F(ToolTableTest, DefaultHolderAndAtlFile) {
    WriteToolTestFile("holder.atl", "# holder\nsome text\narbor 40, 30, 50, 20\nARBOR 1, 1\n");
    ASSERT_EQ(1, ReadToolTableText("ATL = holder.atl\nMAGAZINE 1 FLAT 10, 20\nLENGTH 50\n"
                                   "MAGAZINE 2 FLAT 10, 20\n"));
    EXPECT_EQ(1, g_ArborFileStatus);
    EXPECT_EQ(ToolTestFolder() + "/holder.atl", std::string(g_ArborFilePath));
    EXPECT_EQ(1, g_ArborTable[1].used);
    EXPECT_EQ(2, g_ArborTable[1].stepCount);
    EXPECT_FLOAT_EQ(50, g_ArborTable[1].diameters[1]);
    EXPECT_EQ(0, g_ArborTable[2].used);  // no LENGTH line
    ASSERT_EQ(1, ReadToolTableText("ARBOR 60, 10\nMAGAZINE 1 FLAT 10, 20\nLENGTH 50\n"));
    EXPECT_EQ(0, g_ArborFileStatus);
    EXPECT_FLOAT_EQ(60, g_ArborTable[1].diameters[0]);
    EXPECT_EQ(1, g_ArborTable[1].stepCount);
}

TEST_F(ToolTableTest, LimitsInPercentAndLogged) {
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 FLAT 10, 20\nLIMITS 10%\n"
                                   "MAGAZINE 2 FLAT 10, 20\nLIMITSP 100, 200\n"
                                   "MAGAZINE 3 FLAT 10, 20\nLIMIT 1, 2%, 3, 4\n"
                                   "MAGAZINE 4 FLAT 10, 20\nLIMITP 5\n"));
    const ToolLimitRecord& a = g_ToolLimitTable[1];
    EXPECT_EQ(LIMIT_S, a.kind);
    for (int i = 0; i < 4; i++) EXPECT_NEAR(2.5 * M_PI, a.limits[i], 1e-5);
    const ToolLimitRecord& b = g_ToolLimitTable[2];
    EXPECT_EQ(LIMIT_S_LOG, b.kind);
    EXPECT_FLOAT_EQ(100, b.limits[0]);
    EXPECT_FLOAT_EQ(200, b.limits[1]);
    EXPECT_FLOAT_EQ(0, b.limits[2]);
    EXPECT_FLOAT_EQ(0, b.limits[3]);
    const ToolLimitRecord& c = g_ToolLimitTable[3];
    EXPECT_EQ(LIMIT_PLAIN, c.kind);
    EXPECT_FLOAT_EQ(1, c.limits[0]);
    EXPECT_NEAR(0.5 * M_PI, c.limits[1], 1e-5);
    EXPECT_FLOAT_EQ(3, c.limits[2]);
    EXPECT_EQ(LIMIT_PLAIN_LOG, g_ToolLimitTable[4].kind);
    EXPECT_FLOAT_EQ(5, g_ToolLimitTable[4].limits[3]);
    EXPECT_EQ(1, HasPercentBeforeComma("10%"));
    EXPECT_EQ(0, HasPercentBeforeComma("10, 5%"));
    EXPECT_EQ(1, HasPercentBeforeComma("10%, 5%"));
    EXPECT_EQ(0, HasPercentBeforeComma("10, 5"));
}

TEST_F(ToolTableTest, PenShiftAndOptFeed) {
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 FLAT 10, 20 PEN 20\nSHIFT 2.5\n"
                                   "MAGAZINE 2 FLAT 10, 20\nPEN 0\nOPT-F 500, 1, 600, 2, 700\n"
                                   "OPT-F D 100, 3, 200, 0, 300\n"
                                   "MAGAZINE 3 FLAT 10, 20\nPEN -3\nPEN 7.9\n"));
    EXPECT_EQ(15, g_ToolPenTable[1]);
    EXPECT_FLOAT_EQ(2.5f, g_ToolLengths[1]);
    EXPECT_EQ(0, g_ToolPenTable[2]);
    EXPECT_EQ(7, g_ToolPenTable[3]);
    const ToolOptFeedRecord& o = g_ToolOptFeedTable[2];
    EXPECT_EQ(1, o.used[0]);
    EXPECT_EQ(2, o.pairCount[0]);
    EXPECT_FLOAT_EQ(500, o.feeds[0][0]);
    EXPECT_FLOAT_EQ(1, o.thresholds[0][0]);
    EXPECT_FLOAT_EQ(600, o.feeds[0][1]);
    EXPECT_FLOAT_EQ(2, o.thresholds[0][1]);
    EXPECT_FLOAT_EQ(700, o.feeds[0][2]);
    EXPECT_EQ(1, o.used[3]);
    EXPECT_EQ(1, o.pairCount[3]);  // the zero threshold ends the list
    EXPECT_FLOAT_EQ(100, o.feeds[3][0]);
    EXPECT_FLOAT_EQ(200, o.feeds[3][1]);
    EXPECT_EQ(0, o.used[1]);
}

TEST_F(ToolTableTest, OptFeedStopsAfterNineteenPairs) {
    std::string line = "MAGAZINE 1 FLAT 10, 20\nOPT-F V 1";
    for (int k = 0; k < 30; k++) line += ", 1, 2";
    ASSERT_EQ(1, ReadToolTableText(line + "\n"));
    EXPECT_EQ(19, g_ToolOptFeedTable[1].pairCount[1]);
}

TEST_F(ToolTableTest, LayoutSets) {
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 FLAT 10, 20\nLAYOUT1 1, 2, 3\nMAGAZINE 2 FLAT 8, 20\n"
                                   "LAYOUT1 -4, 5.5, 6\n"));
    EXPECT_EQ(2, g_MountedToolCount);
    EXPECT_EQ(1, g_MountedTools[0]);
    EXPECT_EQ(2, g_MountedTools[1]);
    EXPECT_EQ(1, g_ToolLayoutFlags[2]);
    EXPECT_DOUBLE_EQ(-4, g_ToolLayoutPositions[2][0]);
    EXPECT_DOUBLE_EQ(5.5, g_ToolLayoutPositions[2][1]);
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 FLAT 10, 20\nLAYOUT1 1, 2, 3\n"));
    EXPECT_EQ(0, g_MountedToolCount);  // one tool is no set
    EXPECT_EQ(0, g_ToolLayoutFlags[1]);
}

TEST_F(ToolTableTest, LayoutBeyondTheTablesIsIgnored) {
    g_MaxMagazine = 400;
    AllocateToolArrays();
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 FLAT 10, 20\nLAYOUT1 1, 2, 3\nMAGAZINE 300 FLAT 8, 20\n"
                                   "LAYOUT1 4, 5, 6\nMAGAZINE 2 FLAT 8, 20\nLAYOUT1 7, 8, 9\n"));
    EXPECT_EQ(1, g_ToolTable[300].defined);
    EXPECT_EQ(2, g_MountedToolCount);
    EXPECT_EQ(2, g_MountedTools[1]);
    EXPECT_NE(nullptr, std::strstr(g_ToolTableMessage, "LAYOUT1"));
}

TEST_F(ToolTableTest, SpindleLineAndMagazineRange) {
    ASSERT_EQ(1, ReadToolTableText("I 3\nMAGAZINE 3 FLAT 10, 20\nMAGAZINE 201 FLAT 5, 5\nMAGAZINE 4 FLAT 5, 5\n"));
    EXPECT_EQ(3, g_SpindleToolNumber);
    EXPECT_EQ(3, g_SelectedToolNumber);
    EXPECT_EQ(0, g_ToolTable[4].defined);  // reading stopped at 201
    EXPECT_EQ(3, g_CurrentToolNumber);
    EXPECT_FLOAT_EQ(10, g_CurrentTool.diameter);
    EXPECT_EQ(11, g_HighestToolNumber);
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 0 FLAT 10, 20\nMAGAZINE 1 FLAT 5, 5\n"));
    EXPECT_EQ(0, g_ToolTable[1].defined);
    EXPECT_EQ(1, g_CurrentToolNumber);
    EXPECT_EQ(0, g_CurrentTool.defined);
    EXPECT_DOUBLE_EQ(g_ToolHolderOffset, g_ToolLength);
}

TEST_F(ToolTableTest, ImportLineStartingWithIIsASpindleLine) {
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 2 FLAT 10, 20\nIMPORT \"a.stl\", 1, 2, 3\n"));
    EXPECT_EQ(0, g_SpindleToolNumber);
    EXPECT_EQ(TOOL_FLAT, g_ToolTable[2].type);
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 2 X IMPORT \"body.stl\", 1, 2, 3, 8\n"));
    const ToolRecord& t = g_ToolTable[2];
    EXPECT_EQ(TOOL_STL, t.type);
    EXPECT_STREQ("body.stl", t.name);
    EXPECT_DOUBLE_EQ(2, t.bodyPlacement[1]);
    EXPECT_FLOAT_EQ(8, t.neckDiameter);
}

TEST_F(ToolTableTest, ToolBasePointLengthTop) {
    g_ToolBasePoint = TOOL_BASE_LENGTH_TOP;
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 FLAT 10, 20\nLENGTH 60\nSHIFT 5\nMAGAZINE 2 FLAT 10, 20\nSHIFT 5\n"));
    EXPECT_FLOAT_EQ(65, g_ToolLengths[1]);
    EXPECT_FLOAT_EQ(5, g_ToolLengths[2]);  // no length definition: no correction
    g_ToolBasePoint = TOOL_BASE_BALL_CENTER;
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 BALL 10, 20\nLENGTH 60\nMAGAZINE 2 BULL 10, 2, 20\nLENGTH 60\n"));
    EXPECT_FLOAT_EQ(5, g_ToolLengths[1]);
    EXPECT_FLOAT_EQ(0, g_ToolLengths[2]);
    g_ToolBasePoint = TOOL_BASE_F_CENTER;
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 2 BULL 10, 2, 20\nLENGTH 60\n"));
    EXPECT_FLOAT_EQ(2, g_ToolLengths[2]);
    g_ToolBasePoint = TOOL_BASE_BOTTOM;
}

TEST_F(ToolTableTest, CommandLineToolBecomesSpindleTool) {
    g_CmdToolNumber = 2;
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 FLAT 10, 20\nMAGAZINE 2 BALL 6, 20\n"));
    EXPECT_EQ(2, g_SpindleToolNumber);
    EXPECT_EQ(TOOL_BALL, g_CurrentTool.type);
    g_CmdToolNumber = 0;
}

TEST_F(ToolTableTest, MissingFileKeepsTheCurrentTool) {
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 BALL 6, 20\n"));
    std::snprintf(g_ToolTableFilePath, sizeof(g_ToolTableFilePath), "%s/none.ttl", ToolTestFolder().c_str());
    EXPECT_EQ(-1, ReadToolTableFile());
    EXPECT_EQ(-1, g_ToolTableStatus);
    EXPECT_EQ(0, g_ToolTable[1].defined);
    EXPECT_EQ(TOOL_BALL, g_CurrentTool.type);
}

TEST_F(ToolTableTest, MalformedLinesNeverCrash) {
    std::string longLine(5000, 'A');
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE\nMAGAZINE 1 FLAT 10, 20\n"));
    EXPECT_EQ(0, g_ToolTable[1].defined);  // a MAGAZINE line without number ends the reading
    std::string text = "MAGAZINE 1\nMAGAZINE 1 CUTTER\nLIMIT%,,%\nOPT-F\nPEN\nARBOR3 ,,,,,,,,\n"
                       "BALL \"unterminated\nATL\nATL " + std::string(400, 'x') + "\nLENGTH3;;;;\n" +
                       longLine + "\nNAME= BALL 10, 10\nLAYOUT1\n\"\"\"\nPEN 1e300\nSHIFT -1e300\n";
    ASSERT_EQ(1, ReadToolTableText(text));
    EXPECT_EQ(1, g_ToolTable[1].defined);
    EXPECT_EQ(15, g_ToolPenTable[1]);
    EXPECT_EQ(TOOL_BALL, g_ToolTable[1].type);  // the last shape line of the tool
    EXPECT_NE(nullptr, std::strstr(g_ToolTableMessage, "ATL"));
}

TEST_F(ToolTableTest, ShortMagazineLinesAndLinesWithoutEnd) {
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 5\nBALL 8, 20\nMAGAZINE 9"));
    EXPECT_EQ(TOOL_BALL, g_ToolTable[5].type);
    EXPECT_EQ(1, g_ToolTable[9].defined);
    EXPECT_EQ(TOOL_GENERAL, g_ToolTable[9].type);
    EXPECT_EQ(11, g_HighestToolNumber);
    ASSERT_EQ(1, ReadToolTableText("ATL " + std::string(300, 'a') + "\nMAGAZINE 12 FLAT 4, 4 PEN 3"));
    EXPECT_EQ(0, g_ArborFileStatus);
    EXPECT_EQ(3, g_ToolPenTable[12]);
    EXPECT_EQ(12, g_HighestToolNumber);
    EXPECT_NE(nullptr, std::strstr(g_ToolTableMessage, "ATL"));
}

std::string Fixture(const char* name) { return std::string(QUMBRA_FIXTURE_DIR) + "/tools/" + name; }

TEST_F(ToolTableTest, ImportToolReadsTheDxfOutline) {
    const std::string dxf = Fixture("endmill_outline.dxf");
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 X IMPORT-TOOL \"" + dxf + "\"\n"
                                   "MAGAZINE 2 X IMPORT-TOOL \"" + dxf + "\"\nLENGTH 50\n"));
    const ToolRecord& t = g_ToolTable[1];
    EXPECT_EQ(TOOL_DXF, t.type);
    EXPECT_EQ(8, t.dxfSegmentCount);
    EXPECT_EQ(8, t.dxfSegmentsUsed);
    EXPECT_EQ(0, t.dxfClassStart[0]);
    EXPECT_EQ(3, t.dxfClassStart[1]);
    EXPECT_EQ(5, t.dxfClassStart[2]);
    EXPECT_FLOAT_EQ(10, t.diameter);
    EXPECT_FLOAT_EQ(1, t.cornerRadius);
    EXPECT_FLOAT_EQ(20, t.cuttingLength);
    EXPECT_STREQ("endmill_outline.dxf", t.name);
    EXPECT_EQ(dxf, std::string(t.shapeFile));
    EXPECT_DOUBLE_EQ(15, t.dxfExtents[0]);
    EXPECT_DOUBLE_EQ(60, t.dxfExtents[1]);
    EXPECT_FLOAT_EQ(40, g_ToolLengthTable[1].lengths[0]);
    EXPECT_FLOAT_EQ(8, g_ToolLengthTable[1].lengths[5]);
    EXPECT_FLOAT_EQ(30, g_ArborTable[1].diameters[0]);
    EXPECT_FLOAT_EQ(20, g_ArborTable[1].lengths[0]);
    EXPECT_EQ(LENGTH_NONE, g_ToolLengthTable[1].kind);
    EXPECT_EQ(3, g_ToolTable[2].dxfSegmentsUsed);  // with a LENGTH line: up to the shank
    EXPECT_FLOAT_EQ(50, g_ToolLengthTable[2].lengths[0]);
}

TEST_F(ToolTableTest, ImportToolProblemsAreReported) {
    WriteToolTestFile("beside.dxf", "0\nLINE\n10\n0\n20\n0\n11\n3\n21\n0\n0\nLINE\n10\n3\n20\n0\n11\n3\n21\n9\n");
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 X IMPORT-TOOL \"" + Fixture("malformed.dxf") + "\"\n"
                                   "MAGAZINE 2 X IMPORT-TOOL \"" + Fixture("many_arcs.dxf") + "\"\n"
                                   "MAGAZINE 3 X IMPORT-TOOL \"beside.dxf\"\n"
                                   "MAGAZINE 4 X IMPORT-TOOL \"missing.dxf\"\n"));
    EXPECT_EQ(TOOL_GENERAL, g_ToolTable[1].type);  // keeps its type, with d = h = 10
    EXPECT_FLOAT_EQ(10, g_ToolTable[1].diameter);
    EXPECT_EQ(0, g_ToolTable[2].defined);  // refused: too many profile points
    EXPECT_EQ(TOOL_DXF, g_ToolTable[3].type);  // found beside the tool table
    EXPECT_FLOAT_EQ(6, g_ToolTable[3].diameter);
    EXPECT_FLOAT_EQ(9, g_ToolTable[3].cuttingLength);
    EXPECT_NE(nullptr, std::strstr(g_ToolTableMessage, "malformed"));
    EXPECT_NE(nullptr, std::strstr(g_ToolTableMessage, "tool 2 refused"));
    EXPECT_NE(nullptr, std::strstr(g_ToolTableMessage, "cannot be opened"));
}

// Absurd values found by fuzzing: each file is read and its tools built without an out-of-range
// conversion or a write past a buffer.
TEST_F(ToolTableTest, AbsurdValuesAreReadSafely) {
    const char* const tables[] = {
        "MAGAZINE 1 OVAL -1e38, 1e38, 4, 20\n",  // arc point count of a span far below the int range
    };
    for (const char* text : tables) {
        SCOPED_TRACE(text);
        ASSERT_EQ(1, ReadToolTableText(text));
        EXPECT_EQ(1, g_ToolTable[1].defined);
        EXPECT_LE(g_ToolProfilePointCount, TOOL_PROFILE_MAX_POINTS);
    }
}

}  // namespace

namespace {

TEST_F(ToolTableTest, ImportReadsTheStlBodyAndSelectionTurnsItForTheAngleHead) {
    const std::string body = WriteToolTestFile("box_body.stl",
        "solid\n"
        "facet normal 0 0 -1\nouter loop\nvertex 0 0 0\nvertex 4 0 0\nvertex 0 6 0\nendloop\nendfacet\n"
        "facet normal 0 0 1\nouter loop\nvertex 4 6 10\nvertex 0 6 10\nvertex 4 0 10\nendloop\nendfacet\n"
        "endsolid\n");
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 3 X IMPORT \"box_body.stl\", 1, 2, 3, 8\n"
                                   "MAGAZINE 4 X IMPORT \"missing_body.stl\", 0, 0, 0, 8\n"));
    // The last IMPORT line names a missing file: reported, no body kept.
    EXPECT_EQ(0, g_ToolBodyFacetCount);
    EXPECT_NE(nullptr, std::strstr(g_ToolTableMessage, "missing_body.stl"));
    const ToolRecord& t = g_ToolTable[3];
    EXPECT_EQ(TOOL_STL, t.type);
    EXPECT_FLOAT_EQ(5, t.diameter);        // ((5 - 1) + (8 - 2)) / 2
    EXPECT_FLOAT_EQ(10, t.cuttingLength);  // 13 - 3
    // Selecting the tool loads its body again, turned by A = 90 degrees about X for a tilted head.
    g_ToolDirectionTilted = 1;
    g_AngleHeadAngles[0] = 90;
    SelectCurrentTool(3, 0);
    g_ToolDirectionTilted = 0;
    g_AngleHeadAngles[0] = 0;
    ASSERT_EQ(2, g_ToolBodyFacetCount);
    ASSERT_NE(nullptr, g_ToolBodyFacets);
    EXPECT_DOUBLE_EQ(1, g_ToolBodyBox[0][0]);
    EXPECT_DOUBLE_EQ(-13, g_ToolBodyBox[0][1]);  // (y, z) turned by 90: y' = -z, z' = y
    EXPECT_DOUBLE_EQ(8, g_ToolBodyBox[1][2]);
    EXPECT_DOUBLE_EQ(1, g_ToolBodyFacets[3 + 0]);  // facet 0, vertex 0: (0, 0, 0) + placement, turned
    EXPECT_DOUBLE_EQ(-3, g_ToolBodyFacets[3 + 1]);
    EXPECT_DOUBLE_EQ(2, g_ToolBodyFacets[3 + 2]);
    FreeToolShapeBuffers();
    EXPECT_EQ(nullptr, g_ToolBodyFacets);
    std::remove(body.c_str());
}

}  // namespace
