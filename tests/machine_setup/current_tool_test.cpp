// The current tool: copies, length shift and pen, the derived cutting geometry of each shape, the
// length sections, holder steps and clearance, and the tool-length reference it triggers.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "nc/interpreter_state.h"
#include "machine_setup/tools/tool_length_reference.h"
#include "tool_test_support.h"

namespace {

class CurrentToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetToolSettings();
        g_ToolHolderOffset = 0;
        g_AutoLengthOffset = 0;
        g_AutomaticToolOffset = 0;
    }
    void Select(const char* table, int n, double gate = 0) {
        ASSERT_EQ(1, ReadToolTableText(table));
        ASSERT_EQ(1, SelectCurrentTool(n, gate));
    }
};

TEST_F(CurrentToolTest, BallAndBullGeometry) {
    Select("MAGAZINE 1 BALL 10, 30\nMAGAZINE 2 BULL 10, 2, 30\n", 1);
    EXPECT_DOUBLE_EQ(0, g_ToolCut.cornerCentreOffset);
    EXPECT_DOUBLE_EQ(5, g_ToolCut.cornerCentreHeight);
    EXPECT_DOUBLE_EQ(5, g_ToolCut.maxCuttingRadius);
    EXPECT_DOUBLE_EQ(0, g_ToolCut.sideCotangent);
    EXPECT_DOUBLE_EQ(0, g_ToolCut.bottomEdgeRadius);
    EXPECT_DOUBLE_EQ(25, g_ToolCut.cornerRadiusSquared);
    ASSERT_EQ(1, SelectCurrentTool(2, 0));
    EXPECT_DOUBLE_EQ(3, g_ToolCut.cornerCentreOffset);
    EXPECT_DOUBLE_EQ(3, g_ToolCut.bottomEdgeRadius);
    EXPECT_DOUBLE_EQ(2, g_ToolCut.cornerCentreHeight);
    EXPECT_DOUBLE_EQ(5, g_ToolCut.sideStartRadius);
    EXPECT_DOUBLE_EQ(2, g_ToolCut.sideLineOffset);
    EXPECT_EQ(0, g_ToolCut.hasShank);
}

TEST_F(CurrentToolTest, FortyFiveDegreeBottomUsesExactTangent) {
    Select("MAGAZINE 1 CUTTER 10, 1, 0, 0, 45, 0, 30\n", 1);
    EXPECT_EQ(1.0, g_ToolCut.bottomConeTangent);
    // offset = D - cos(45) R / tan(45 + 22.5) with R = 1.
    const double offset = 5 - std::cos(M_PI / 4) / std::tan(67.5 * M_PI / 180);
    EXPECT_NEAR(offset, g_ToolCut.cornerCentreOffset, 1e-12);
    EXPECT_NEAR(std::cos(M_PI / 4) + offset, g_ToolCut.cornerCentreHeight, 1e-12);
}

TEST_F(CurrentToolTest, SideTaperAndTipFlat) {
    Select("MAGAZINE 1 CUTTER 10, 0, 5, 0, 20;2, 10, 30\n", 1);
    EXPECT_DOUBLE_EQ(1, g_ToolCut.tipFlatRadius);
    const double tanA = std::tan(20 * M_PI / 180), tanB = std::tan(10 * M_PI / 180);
    EXPECT_NEAR(-tanA, g_ToolCut.bottomLineOffset, 1e-12);
    EXPECT_NEAR(1 / tanB, g_ToolCut.sideCotangent, 1e-12);
    EXPECT_NEAR(5 + tanB * (30 - tanA * 5), g_ToolCut.maxCuttingRadius, 1e-9);
    EXPECT_NEAR(g_ToolCut.maxCuttingRadius * g_ToolCut.sideCotangent + g_ToolCut.sideLineOffset,
                g_ToolCut.sideEndHeight, 1e-12);
}

TEST_F(CurrentToolTest, NoLengthDefinitionGivesSixRadii) {
    Select("MAGAZINE 1 FLAT 10, 20\n", 1);
    EXPECT_DOUBLE_EQ(30, g_ToolCut.fluteLength);
    EXPECT_FLOAT_EQ(30, g_CurrentToolLengthRecord.lengths[0]);
    EXPECT_FLOAT_EQ(0, g_ToolLengthTable[1].lengths[0]);  // the table keeps its record
}

TEST_F(CurrentToolTest, LengthSections) {
    Select("MAGAZINE 1 FLAT 10, 20\nLENGTH2 60, 25, 10, 8\n"
           "MAGAZINE 2 FLAT 10, 20\nLENGTH2 60, 25, 10, 16\n"
           "MAGAZINE 3 FLAT 10, 20\nLENGTH3 60, 25, 10, 5, 30, 16\n"
           "MAGAZINE 4 FLAT 10, 20\nLENGTH3A 60, 25, 10, 0, 30, 16\n",
           1);
    EXPECT_DOUBLE_EQ(4, g_ToolCut.neckRadius);
    EXPECT_DOUBLE_EQ(0, g_ToolCut.neckCotangent2);
    EXPECT_DOUBLE_EQ(25, g_ToolCut.fluteLength);
    EXPECT_DOUBLE_EQ(10, g_ToolTaperLength);
    ASSERT_EQ(1, SelectCurrentTool(2, 0));
    EXPECT_DOUBLE_EQ(8, g_ToolCut.neckRadius);
    EXPECT_DOUBLE_EQ(10.0 / 3.0, g_ToolCut.neckCotangent2);
    ASSERT_EQ(1, SelectCurrentTool(3, 0));
    const double t5 = std::tan(5 * M_PI / 180), t30 = std::tan(30 * M_PI / 180);
    EXPECT_NEAR(5 + 10 * t5, g_ToolCut.neckConeTopRadius, 1e-12);
    EXPECT_NEAR(1 / t5, g_ToolCut.neckCotangent1, 1e-9);
    EXPECT_NEAR(1 / t30, g_ToolCut.neckCotangent2, 1e-12);
    EXPECT_NEAR((8 - (5 + 10 * t5)) / t30 + 10, g_ToolTaperLength, 1e-9);
    ASSERT_EQ(1, SelectCurrentTool(4, 0));
    EXPECT_EQ(DBL_MAX, g_ToolCut.neckCotangent1);
    EXPECT_DOUBLE_EQ(5, g_ToolCut.neckConeTopRadius);
    const double taper = 3 / t30 + 10;
    EXPECT_NEAR(taper, g_ToolTaperLength, 1e-9);
    EXPECT_NEAR(25 + taper, g_CurrentTool.cuttingLength, 1e-5);  // kind 13 raises the cutting length
    EXPECT_NEAR(25 + taper, g_ToolTable[4].cuttingLength, 1e-5);
    EXPECT_DOUBLE_EQ(60, g_HolderStepHeights[0]);
}

TEST_F(CurrentToolTest, HolderStepsNeverShrink) {
    Select("MAGAZINE 1 FLAT 10, 20\nLENGTH 50\nARBOR 30, 20, 20, 10\n", 1);
    EXPECT_DOUBLE_EQ(50, g_HolderStepHeights[0]);
    EXPECT_DOUBLE_EQ(70, g_HolderStepHeights[1]);
    EXPECT_DOUBLE_EQ(80, g_HolderStepHeights[2]);
    EXPECT_DOUBLE_EQ(5, g_HolderStepRadii[0]);
    EXPECT_DOUBLE_EQ(15, g_HolderStepRadii[1]);
    EXPECT_DOUBLE_EQ(15, g_HolderStepRadii[2]);
    EXPECT_DOUBLE_EQ(225, g_HolderStepRadiiSquared[2]);
}

TEST_F(CurrentToolTest, HolderClearanceNeedsTheGate) {
    g_ArborClearanceMode = 2;
    g_ArborClearance = 1.5;
    Select("MAGAZINE 1 FLAT 10, 20\nLENGTH2 50, 25, 10, 12\nARBOR 30, 20\n", 1, 0.5);
    EXPECT_FLOAT_EQ(33, g_CurrentArbor.diameters[0]);
    EXPECT_FLOAT_EQ(15, g_CurrentToolLengthRecord.lengths[5]);
    EXPECT_FLOAT_EQ(30, g_ArborTable[1].diameters[0]);
    ASSERT_EQ(1, SelectCurrentTool(1, 0));
    EXPECT_FLOAT_EQ(30, g_CurrentArbor.diameters[0]);
    g_ArborClearanceMode = 1;
    g_WorkPitch = 1;
    EXPECT_FLOAT_EQ((float)(2 * std::sqrt(0.25 + 16.0 * 16.0)), ComputeEffectiveDiameter(30));
}

TEST_F(CurrentToolTest, LengthShiftPenAndUndefinedTools) {
    Select("MAGAZINE 1 FLAT 10, 20\nSHIFT 3\nPEN 5\n", 1);
    EXPECT_FLOAT_EQ(3, g_CurrentToolLength);
    EXPECT_EQ(5, g_CurrentToolPenIndex);
    EXPECT_EQ(80, g_ToolPenAttribute);
    EXPECT_EQ(80, g_CutColour[1]);
    g_ToolHolderOffset = 100;
    EXPECT_EQ(0, SelectCurrentTool(2, 0));
    EXPECT_DOUBLE_EQ(100, g_ToolLength);
    EXPECT_DOUBLE_EQ(0, g_ToolProfileTop);
    EXPECT_EQ(-1, SelectCurrentTool(5000, 0));
    EXPECT_EQ(-1, SelectCurrentTool(-1, 0));
    EXPECT_EQ(0, g_CurrentTool.defined);
    g_ToolTable[0] = g_ToolTable[1];
    g_ToolLengths[0] = -0.0123f;
    EXPECT_EQ(1, SelectCurrentTool(0, 0));
    EXPECT_FLOAT_EQ(0, g_CurrentToolLength);
    g_ToolTable[0].defined = 0;
}

TEST_F(CurrentToolTest, ShankByHeightCheckType) {
    g_HeightCheckType = 1;
    g_HeightCheckValue = 0.5;
    Select("MAGAZINE 1 FLAT 10, 20\nLENGTH2 50, 25, 10, 12\nMAGAZINE 2 FLAT 10, 20\nLENGTH 50;8\n"
           "MAGAZINE 3 FLAT 10, 20\nLENGTH2A 50, 25, 10, 12\n",
           1);
    EXPECT_DOUBLE_EQ(5.5, g_ToolCut.shankRadius);
    EXPECT_EQ(1, g_ToolCut.hasShank);
    ASSERT_EQ(1, SelectCurrentTool(2, 0));
    EXPECT_DOUBLE_EQ(4, g_ToolCut.shankRadius);
    ASSERT_EQ(1, SelectCurrentTool(3, 0));
    EXPECT_DOUBLE_EQ(5, g_ToolCut.shankRadius);
    EXPECT_EQ(0, g_ToolCut.hasShank);
    g_HeightCheckType = 2;
    ASSERT_EQ(1, SelectCurrentTool(1, 0));
    EXPECT_DOUBLE_EQ(0, g_ToolCut.shankRadius);
    EXPECT_EQ(0, g_ToolCut.hasShank);
    g_HeightCheckType = 0;
}

TEST_F(CurrentToolTest, OvalVerticalRadiusAndStlShapes) {
    Select("MAGAZINE 1 OVAL 20, 3, 10, 15\nMAGAZINE 2 VERTICAL 20, 4, 10\nMAGAZINE 3 RADIUS 20, 3, 3\n"
           "MAGAZINE 4 X IMPORT \"b.stl\", 0, 0, 0, 8\nMAGAZINE 5 OVALR 20, 4, 12, 2, 15\n",
           1);
    EXPECT_EQ(-1.0, g_ToolCut.bottomConeTangent);
    EXPECT_DOUBLE_EQ(0, g_ToolCut.cornerRadius);  // e equals d/2
    EXPECT_DOUBLE_EQ(10, g_ToolCut.cornerCentreOffset);
    EXPECT_DOUBLE_EQ(10, g_ToolCut.bottomEdgeRadius);
    EXPECT_DOUBLE_EQ(3, g_ToolCut.cornerCentreHeight);
    EXPECT_DOUBLE_EQ(100, g_ToolCut.ovalRadialSemiAxisSquared);
    ASSERT_EQ(1, SelectCurrentTool(2, 0));
    EXPECT_DOUBLE_EQ(36, g_ToolCut.innerRadiusSquared);
    ASSERT_EQ(1, SelectCurrentTool(3, 0));
    EXPECT_DOUBLE_EQ(4, g_CurrentTool.cornerCentreRadius);
    EXPECT_DOUBLE_EQ(4, ComputeBullNoseOffset(20, 3, 3));
    ASSERT_EQ(1, SelectCurrentTool(4, 0));
    EXPECT_DOUBLE_EQ(4, g_ToolCut.maxCuttingRadius);
    EXPECT_DOUBLE_EQ(4, g_ToolCut.shankRadius);
    ASSERT_EQ(1, SelectCurrentTool(5, 0));
    // e > d/2: the corner centre lies on the ellipse offset by r, strictly between d/2 - r and d/2.
    const double x = g_ToolCut.cornerCentreOffset;
    EXPECT_GT(x, 8.0);
    EXPECT_LT(x, 10.0);
    EXPECT_DOUBLE_EQ(8, g_ToolCut.bottomEdgeRadius);
}

TEST_F(CurrentToolTest, ProfileIntersectionRoots) {
    // e = f: a circle of radius e; the corner centre solves a quadratic.
    const double x = SolveProfileIntersection(12, 12, 2, 20);
    EXPECT_GT(x, 8.0);
    EXPECT_LT(x, 10.0);
    EXPECT_DOUBLE_EQ(0, SolveProfileIntersection(0, 3, 2, 20));
    // e != f: the contact point solves a quartic. Here the complex solver lists a complex pair whose
    // real part lies inside (c, D) before the real root; the result must be a real root.
    const auto Square = [](double v) { return v * v; };
    struct Case {
        double e, f, r, d;
    };
    const Case cases[] = {{15.41, 17.1, 13.89, 30}, {18.96, 24.57, 14.63, 30}, {16, 8, 2, 20}, {12, 30, 3, 20}};
    for (const Case& k : cases) {
        const double D = k.d / 2.0, c = D - k.r, K = k.e * k.e - k.f * k.f;
        const double got = SolveProfileIntersection(k.e, k.f, k.r, k.d);
        // The ellipse point whose inner normal at distance r reaches the corner centre circle.
        const double residual = (got - c) * (got - c) * (Square(k.e * k.e) - K * got * got) -
                                Square(got * k.r * k.f);
        EXPECT_GT(got, c) << k.e << " " << k.f;
        EXPECT_LT(got, D) << k.e << " " << k.f;
        EXPECT_NEAR(residual, 0.0, 1e-8 * Square(k.e * k.e) * D * D) << k.e << " " << k.f;
    }
}

TEST_F(CurrentToolTest, TSlotGeometry) {
    Select("MAGAZINE 1 T-THROW 30, 8, 1, 2, 12\nMAGAZINE 2 T-THROW 30;34, 8, 1, 1, 12\n", 1);
    EXPECT_DOUBLE_EQ(14, g_ToolCut.bottomEdgeRadius);
    EXPECT_DOUBLE_EQ(1, g_ToolCut.cornerCentreHeight);
    EXPECT_DOUBLE_EQ(1, g_ToolCut.slotSideStartHeight);
    EXPECT_DOUBLE_EQ(6, g_ToolCut.slotSideEndHeight);
    EXPECT_DOUBLE_EQ(6, g_ToolCut.slotTopCornerHeight);
    EXPECT_DOUBLE_EQ(13, g_ToolCut.slotTopCornerRadius);
    EXPECT_DOUBLE_EQ(5, g_ToolCut.slotSideLength);
    EXPECT_DOUBLE_EQ(30, g_ToolCut.slotBoundingDiameter);
    EXPECT_NEAR(M_PI / 2, g_ToolCut.slotBottomCornerSweep, 1e-15);
    EXPECT_DOUBLE_EQ(6, g_ToolCut.neckRadius);
    ASSERT_EQ(1, SelectCurrentTool(2, 0));
    const double theta = std::atan(8.0 / 2.0);
    EXPECT_NEAR(M_PI - 2 * ((M_PI - theta) / 2), g_ToolCut.slotBottomCornerSweep, 1e-12);
    EXPECT_NEAR(M_PI - theta, g_ToolCut.slotTopCornerSweep, 1e-12);
    EXPECT_NEAR(2 * (g_ToolCut.slotTopCornerRadius + 1), g_ToolCut.slotBoundingDiameter, 1e-12);
}

TEST_F(CurrentToolTest, ToolLengthReferenceByBasePoint) {
    g_AutoLengthOffset = 1;
    g_ToolBasePoint = TOOL_BASE_BALL_CENTER;
    Select("I 7\nMAGAZINE 7 BALL 10, 30\nLENGTH 60\n", 7);
    EXPECT_EQ(7, g_HWordNumber);
    EXPECT_FLOAT_EQ(5, g_ToolOffsetH[7]);
    EXPECT_DOUBLE_EQ(5, g_ToolLengthOffset);
    EXPECT_DOUBLE_EQ(5, g_PendingToolLengthShift);
    g_ToolBasePoint = TOOL_BASE_ARBOR_TOP;
    g_AutoLengthPosition = 0;
    g_HeidenhainLengthDelta = 0.25;
    g_ToolHolderOffset = 100;
    ComputeToolLengthReference();
    EXPECT_FLOAT_EQ((float)g_ToolProfileTop, g_ToolOffsetH[7]);
    EXPECT_FLOAT_EQ(0.25f, g_ToolOffsetH2[7]);
    EXPECT_DOUBLE_EQ((double)(float)(g_ToolProfileTop + 0.25f) + 100, g_ToolLengthOffset);
    g_ToolBasePoint = TOOL_BASE_LENGTH_TOP;
    g_AutoLengthPosition = 1;
    ComputeToolLengthReference();
    EXPECT_FLOAT_EQ(55, g_ToolOffsetH[7]);
    g_ToolBasePoint = TOOL_BASE_BOTTOM;
    ComputeToolLengthReference();
    EXPECT_DOUBLE_EQ(0, g_ToolLengthOffset);
    g_SpindleToolNumber = 5000;  // beyond the H memory: nothing stored there
    ComputeToolLengthReference();
    EXPECT_EQ(5000, g_HWordNumber);
    g_AutoLengthOffset = 0;
    g_HeidenhainLengthDelta = 0;
}

TEST_F(CurrentToolTest, HeadTipOffset) {
    g_DialectOsp = 0;
    g_DialectMazak = 0;
    g_ToolLengthOffset = 10;
    ComputeHeadTipOffset(90);
    EXPECT_NEAR(10, g_HeadTipOffset[0], 1e-12);
    EXPECT_DOUBLE_EQ(0, g_HeadTipOffset[1]);
    EXPECT_NEAR(0, g_HeadTipOffset[2], 1e-12);
    g_DialectMazak = 1;
    g_MachineLathe = 0;
    g_MazakHeadOffsetMode = 0;
    ComputeHeadTipOffset(90);
    EXPECT_DOUBLE_EQ(0, g_HeadTipOffset[0]);
    EXPECT_DOUBLE_EQ(10, g_HeadTipOffset[2]);
    g_DialectMazak = 0;
}

}  // namespace
