// Cutting the work at one tool position: removed volume against the analytic volume, repeated cuts,
// pen and tag of new ends, the ray ranges, the blend rule, the three families agreeing for tilted
// tools, the paint bit of neck sections and holder steps, and the LENGTH, CHIP, TAPER and ARBOR
// checks.
#include "simulation/cutting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "platform/ui/shell_services.h"
#include "simulation/cut_sweeps.h"
#include "tests/simulation/cut_test_support.h"

namespace {

const double kPi = 3.14159265358979323846;

class CutAlongMove : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (work.nodeCountX != 0) DestroyWorkModel(&work);  // a test starting afresh
        const double lo[3] = {0, 0, 0}, hi[3] = {40, 40, 20};
        ASSERT_EQ(BuildBoxWork(&work, lo, hi, 0.5), 1);
        PrepareWorkForCutting(&work);
        ResetCutSettings();
    }
    void TearDown() override { DestroyWorkModel(&work); }

    void UseTool(int type, double d, double r, double h, const ToolLengthRecord* length = nullptr,
                 const ArborRecord* arbor = nullptr, int pen = 3)
    {
        ToolRecord tool = MakeToolRecord(type, d, r, h);
        ASSERT_EQ(MakeCuttingToolCurrent(1, &tool, length, arbor, pen), 1);
    }
    // Ends of the Z-ray at node (i, j), the X-ray at (j, k) and so on.
    std::vector<double> ZRay(int i, int j) { return RayEnds(work.familyZ, i + j * work.nodeCountX); }
    std::vector<double> XRay(int j, int k) { return RayEnds(work.familyX, j + k * work.nodeCountY); }
    int ZIndex(int i, int j) const { return i + j * work.nodeCountX; }
    double VolumeZ() { return FamilyVolume(work, work.familyZ, work.nodeCountX, work.nodeCountY); }

    WorkModel work{};
    const double up[3] = {0, 0, 1};
};

TEST_F(CutAlongMove, FlatPlungeRemovesTheCylinderOnceAndNothingTheSecondTime)
{
    UseTool(TOOL_FLAT, 10, 0, 30);
    const double tip[3] = {20, 20, 15};
    const double before = VolumeZ();
    const double removed = CutOnce(&work, tip, up);
    const double analytic = kPi * 25 * 5;
    EXPECT_NEAR(removed, analytic, 0.03 * analytic);
    EXPECT_EQ(g_CutInMove, 1);
    EXPECT_NEAR(before - VolumeZ(), analytic, 0.03 * analytic);
    // The Z-ray under the axis now ends at the tip; one outside the tool is untouched.
    EXPECT_EQ(ZRay(40, 40), (std::vector<double>{0, 15}));
    EXPECT_EQ(ZRay(51, 40), (std::vector<double>{0, 20}));
    // The same cut again removes nothing.
    EXPECT_EQ(CutOnce(&work, tip, up), 0.0);
    EXPECT_EQ(g_CutInMove, 0);
}

TEST_F(CutAlongMove, BallAndBullRemoveTheirTipShapes)
{
    UseTool(TOOL_BALL, 10, 5, 30);
    const double tipBall[3] = {10, 10, 15};  // sphere centre on the top face: a half ball
    const double ball = CutOnce(&work, tipBall, up);
    EXPECT_NEAR(ball, 2.0 / 3.0 * kPi * 125, 0.03 * 2.0 / 3.0 * kPi * 125);

    UseTool(TOOL_BULL, 12, 2, 30);
    const double tipBull[3] = {28, 28, 15};
    const double bull = CutOnce(&work, tipBull, up);
    // 2 pi integral of rho x (depth - bottom(rho)) over the tool radius.
    double analytic = 0;
    const int steps = 200000;
    for (int k = 0; k < steps; k++) {
        const double rho = (k + 0.5) * 6.0 / steps;
        const double bottom = rho <= 4 ? 0 : 2 - std::sqrt(4 - (rho - 4) * (rho - 4));
        analytic += 2 * kPi * rho * (5 - bottom) * 6.0 / steps;
    }
    EXPECT_NEAR(bull, analytic, 0.03 * analytic);
}

TEST_F(CutAlongMove, NewEndsCarryThePenAndLineTagAndThePaintBitAboveTheCuttingLength)
{
    UseTool(TOOL_FLAT, 10, 0, 2, nullptr, nullptr, 3);
    const double tip[3] = {20, 20, 15};
    g_MotionKind = 1;
    CutOnce(&work, tip, up, 1234);
    const int d = ZIndex(40, 40);
    const double* ends = GetDexelEndsPointer(d, work.familyZ.capacity, work.familyZ.counts, work.familyZ.ends);
    ASSERT_EQ(work.familyZ.counts[d], 2);
    EXPECT_EQ(ends[1], 15);
    EXPECT_EQ(work.familyZ.attributes[d * work.familyZ.capacity + 1], 0x30);  // at the tip: below the cutting length
    EXPECT_EQ(work.familyZ.values[d * work.familyZ.capacity + 1], 1234);
    // X-ray at y = 20, z = 18: the new ends lie 3 above the tip, above the cutting length 2.
    const int x = 40 + 36 * work.nodeCountY;
    ASSERT_EQ(work.familyX.counts[x], 4);
    EXPECT_EQ(work.familyX.attributes[x * 8 + 1], 0x31);
    EXPECT_EQ(work.familyX.attributes[x * 8 + 2], 0x31);
    EXPECT_EQ(work.familyX.values[x * 8 + 2], 1234);
    EXPECT_EQ(work.familyX.attributes[x * 8 + 0], 0);  // old ends keep theirs
    // A rapid move keeps the caller's colour: pen with bit 0, also at the tip.
    g_MotionKind = 0;
    const double tip2[3] = {8, 8, 15};
    CutOnce(&work, tip2, up, -55);
    const int d2 = ZIndex(16, 16);
    EXPECT_EQ(work.familyZ.attributes[d2 * work.familyZ.capacity + 1], 0x31);
    EXPECT_EQ(work.familyZ.values[d2 * work.familyZ.capacity + 1], -55);
}

// A ball along Z moved on by a step trims the tops of the Z-rays it newly reaches down to its
// sphere: the new end takes the pen, the paint bit where it lies above the cutting length (2.5),
// the line tag, and a rapid move keeps the caller's colour.
TEST_F(CutAlongMove, BallStepTrimsTheZRayTopsWithPenTagAndPaintBit)
{
    UseTool(TOOL_BALL, 10, 5, 2.5, nullptr, nullptr, 3);
    const double first[3] = {20, 20, 17}, second[3] = {21, 20, 17}, third[3] = {22, 20, 17};
    CutOnce(&work, first, up, 11);
    CutOnce(&work, second, up, 12);
    // Nodes at x = 25.5 and 25 on y = 20: beyond the first position's sphere, 4.5 and 4 from the
    // second one's axis, so their new ends lie 2.82 and 2.0 above the tip.
    const struct {
        int i;
        double q;
        uint8_t attribute;
    } cases[] = {{51, 4.5 * 4.5, 0x31}, {50, 4.0 * 4.0, 0x30}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.i);
        const int d = ZIndex(c.i, 40);
        EXPECT_EQ(ZRay(c.i, 40), (std::vector<double>{0, 22.0 - std::sqrt(25.0 - c.q)}));
        EXPECT_EQ(work.familyZ.attributes[d * work.familyZ.capacity + 1], c.attribute);
        EXPECT_EQ(work.familyZ.values[d * work.familyZ.capacity + 1], 12);
    }
    g_MotionKind = 0;
    CutOnce(&work, third, up, -5);
    const int d = ZIndex(53, 40);  // x = 26.5: 4.5 from the third position's axis
    EXPECT_EQ(ZRay(53, 40), (std::vector<double>{0, 22.0 - std::sqrt(25.0 - 4.5 * 4.5)}));
    EXPECT_EQ(work.familyZ.attributes[d * work.familyZ.capacity + 1], 0x31);
    EXPECT_EQ(work.familyZ.values[d * work.familyZ.capacity + 1], -5);
}

TEST_F(CutAlongMove, AxialToolRangesAreSymmetricAndOpenUpward)
{
    UseTool(TOOL_FLAT, 10, 0, 30);
    const double tip[3] = {20, 20, 15};
    CutOnce(&work, tip, up);
    EXPECT_EQ(g_SweepStateZ.rangeLow1, 30);  // x from 15 to 25
    EXPECT_EQ(g_SweepStateZ.rangeHigh1, 50);
    EXPECT_EQ(g_SweepStateZ.rangeLow2, 30);
    EXPECT_EQ(g_SweepStateZ.rangeHigh2, 50);
    // z from the tip (less one pitch of margin: the flat body starts there) up to the grid's top.
    EXPECT_EQ(g_SweepStateX.rangeLow2, 29);
    EXPECT_EQ(g_SweepStateX.rangeHigh2, 40);
    EXPECT_EQ(g_SweepStateY.rangeLow1, 29);
    EXPECT_EQ(g_SweepStateY.rangeHigh1, 40);
}

// The X- and Y-ray ranges of a ball or bull along Z start at the tip (less the pitch of margin), not
// one corner radius below it where no ray can reach the body.
TEST_F(CutAlongMove, BallAndBullRangesStartAtTheTip)
{
    for (double r : {5.0, 2.0}) {
        UseTool(r == 5.0 ? TOOL_BALL : TOOL_BULL, 10, r, 30);
        const double tip[3] = {20, 20, 15};
        CutOnce(&work, tip, up);
        EXPECT_EQ(g_SweepStateX.rangeLow2, 29) << r;
        EXPECT_EQ(g_SweepStateY.rangeLow1, 29) << r;
    }
}

// A ray that only touches the tool (a chord of less than 1e-6 mm) keeps its material: it is not
// split by a gap of rounding size at every position that touches it.
TEST_F(CutAlongMove, ARayThatOnlyTouchesTheBallIsNotSplit)
{
    UseTool(TOOL_BALL, 10, 5, 30);
    const double tip[3] = {20, 20, 10 - 1e-14};  // the X-ray at (y 20, z 10) passes 1e-14 inside the ball
    CutOnce(&work, tip, up);
    EXPECT_EQ(XRay(40, 20), (std::vector<double>{0, 40}));
    EXPECT_EQ(XRay(40, 21).size(), 4u);  // half a pitch higher the ball cuts
}

TEST_F(CutAlongMove, ToolOutsideTheGridChangesNothing)
{
    UseTool(TOOL_BALL, 10, 5, 30);
    const double tip[3] = {-30, 20, 15};
    g_MoveRemovedVolume = 5.0;
    ClearCheckFlags();
    SetCutColourAndTag(1);
    CutWorkAlongMove(&work, tip, up);
    EXPECT_EQ(g_MoveRemovedVolume, 5.0);
    EXPECT_EQ(g_CutInMove, 0);
    EXPECT_EQ(ZRay(0, 0), (std::vector<double>{0, 20}));
}

TEST_F(CutAlongMove, NothingIsCutWithoutTheCutConditions)
{
    UseTool(TOOL_FLAT, 10, 0, 30);
    const double tip[3] = {20, 20, 15};
    g_WorkState = 1;
    EXPECT_EQ(CutOnce(&work, tip, up), 0.0);
    g_WorkState = 0;
    g_CutCodeState = 0;
    EXPECT_EQ(CutOnce(&work, tip, up), 0.0);
    g_CutCodeState = 1;
    EXPECT_EQ(ZRay(40, 40), (std::vector<double>{0, 20}));
    // An STL-body tool is left to the mesh cut (nothing here).
    ToolRecord body = MakeToolRecord(TOOL_STL, 10, 0, 30);
    g_ToolTable = g_ToolTable;  // arrays exist from UseTool
    g_ToolTable[2] = body;
    g_CurrentTool = body;
    CutOnce(&work, tip, up);
    EXPECT_EQ(ZRay(40, 40), (std::vector<double>{0, 20}));
}

TEST_F(CutAlongMove, PlacedWorkIsCutInItsOwnFrame)
{
    UseTool(TOOL_FLAT, 10, 0, 30);
    work.translation[0] = 100;
    work.inverseTranslation[0] = -100;
    UpdateWorkHasPlacement(&work);
    ASSERT_EQ(work.hasPlacement, 1);
    const double tip[3] = {120, 20, 15};
    CutOnce(&work, tip, up);
    EXPECT_EQ(ZRay(40, 40), (std::vector<double>{0, 15}));
}

TEST_F(CutAlongMove, RayThatWouldHoldTooManyEndsKeepsItsListAndIsCounted)
{
    // The Z-ray under (20, 20): 4999 short intervals below z 5 and one long one, [10, 20]: the most
    // ends a ray may hold.
    std::vector<double> ends;
    for (int k = 0; k < DEXEL_MAX_ENDS / 2 - 1; k++) {
        ends.push_back(k * 0.001);
        ends.push_back(k * 0.001 + 0.0005);
    }
    ends.push_back(10.0);
    ends.push_back(20.0);
    const std::vector<uint8_t> attributes(ends.size(), 0);
    const std::vector<int32_t> values(ends.size(), 0);
    DexelFamily& f = work.familyZ;
    const int d = ZIndex(40, 40);
    ASSERT_EQ(StoreDexel(d, f.capacity, f.counts, f.ends, f.attributes, f.values, ends.data(), attributes.data(),
                         values.data(), int(ends.size())),
              1);
    ClearCutRunValues();
    // A horizontal flat end mill through z 14..16 would split the long interval: two ends too many.
    UseTool(TOOL_FLAT, 2, 0, 30);
    const double tip[3] = {18, 20, 15}, alongX[3] = {1, 0, 0};
    CutOnce(&work, tip, alongX, 42);
    EXPECT_EQ(g_UnstoredRayCount, 1);
    EXPECT_EQ(g_FirstUnstoredRayLine, 42);
    EXPECT_EQ(ZRay(40, 40), ends);  // the old list, still valid
    EXPECT_EQ(ZRay(41, 40), (std::vector<double>{0, 14, 16, 20}));  // a plain ray is cut
    CutOnce(&work, tip, alongX, 43);  // the count goes on; the first line stays
    EXPECT_EQ(g_UnstoredRayCount, 2);
    EXPECT_EQ(g_FirstUnstoredRayLine, 42);
    ClearCutRunValues();
    EXPECT_EQ(g_UnstoredRayCount, 0);
    EXPECT_EQ(g_FirstUnstoredRayLine, 0);
}

TEST(BlendThreeValues, WinnerByRemovedEndsAndMeanOfTheSmallerVolumes)
{
    double out = -1;
    BlendThreeValues(3, 10, 2, 10, 1, 5, &out);
    EXPECT_DOUBLE_EQ(out, 2);  // X wins the tie with Y; 2 and 1 are smaller than 3
    BlendThreeValues(3, 10, 2, 10, 1, 10, &out);
    EXPECT_DOUBLE_EQ(out, 1);  // Z wins ties; nothing is smaller than 1
    BlendThreeValues(3, 4, 5, 9, 4, 2, &out);
    EXPECT_DOUBLE_EQ(out, 4);  // Y wins; 3 and 4 are smaller
    BlendThreeValues(5, 4, 5, 2, 5, 2, &out);
    EXPECT_DOUBLE_EQ(out, 5);  // equal volumes are not averaged in
}

// The three families estimate the same remaining solid after cuts with every common tool shape and
// axis, including tilted and reversed axes.
TEST_F(CutAlongMove, TheThreeFamiliesAgreeForTiltedTools)
{
    struct Case {
        int type;
        double d, r;
    } cases[] = {{TOOL_BALL, 10, 5}, {TOOL_FLAT, 10, 0}, {TOOL_BULL, 12, 2}};
    const double axes[][3] = {{0, 0, 1}, {0.05, 0, 0.99874921777}, {0.5, 0, 0.86602540378}, {0.6, 0.48, 0.64},
                              {0, 0.8, -0.6}};
    for (const Case& c : cases) {
        for (const auto& axis : axes) {
            SetUp();
            UseTool(c.type, c.d, c.r, 25);
            const double tip[3] = {20 - 8 * axis[0], 20 - 8 * axis[1], axis[2] < 0 ? 26.0 : 14.0};
            CutOnce(&work, tip, axis);
            const double vz = FamilyVolume(work, work.familyZ, work.nodeCountX, work.nodeCountY);
            const double vx = FamilyVolume(work, work.familyX, work.nodeCountY, work.nodeCountZ);
            const double vy = FamilyVolume(work, work.familyY, work.nodeCountZ, work.nodeCountX);
            const double full = 40.0 * 40 * 20;
            EXPECT_LT(vz, full - 300) << c.type;
            EXPECT_NEAR(vx, vz, 0.004 * full) << "type " << c.type << " axis " << axis[0] << "," << axis[2];
            EXPECT_NEAR(vy, vz, 0.004 * full) << "type " << c.type << " axis " << axis[0] << "," << axis[2];
            TearDown();
        }
    }
}

TEST_F(CutAlongMove, LengthCheckRaisesTheFlagOrMeasuresTheHeight)
{
    UseTool(TOOL_FLAT, 10, 0, 3);
    const double shallow[3] = {20, 20, 18};
    g_HeightCheck = 2;
    CutOnce(&work, shallow, up);
    EXPECT_EQ(g_CheckFlags.length, 0);  // 2 deep with a cutting length of 3
    const double deep[3] = {20, 20, 15};
    CutOnce(&work, deep, up);
    EXPECT_EQ(g_CheckFlags.length, 0);  // the new ends lie exactly 3 above the tip
    const double sideways[3] = {22, 20, 15};  // the side above the cutting length meets material
    CutOnce(&work, sideways, up);
    EXPECT_EQ(g_CheckFlags.length, 1);
    // OUTPUT: the largest height of a removed end above the tip.
    SetUp();
    UseTool(TOOL_FLAT, 10, 0, 3);
    g_HeightCheck = 1;
    CutOnce(&work, deep, up);
    EXPECT_EQ(g_CheckFlags.length, 0);
    EXPECT_NEAR(g_ToolMeasure.height, 5, 1e-9);
}

TEST_F(CutAlongMove, VerticalToolChipCheckAndInnerPaint)
{
    ToolRecord tool = MakeToolRecord(TOOL_VERTICAL, 10, 0, 30);
    tool.verticalInset = 2;  // inner radius 3
    ASSERT_EQ(MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 2), 1);
    g_ChipWidthCheck = 2;
    const double side[3] = {-4, 20, 15};  // only the ring 4 < r < 5 reaches the work
    CutOnce(&work, side, up);
    EXPECT_GT(g_MoveRemovedVolume, 0);
    EXPECT_EQ(g_CheckFlags.chip, 0);
    const double centre[3] = {20, 20, 15};
    CutOnce(&work, centre, up);
    EXPECT_EQ(g_CheckFlags.chip, 1);
    // The new end under the axis lies inside the inner radius: bit 0 in a feed move.
    EXPECT_EQ(work.familyZ.attributes[ZIndex(40, 40) * work.familyZ.capacity + 1], 0x21);
    // OUTPUT: the chip width at the tip grows to the full radius.
    SetUp();
    ASSERT_EQ(MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 2), 1);
    g_ChipWidthCheck = 1;
    CutOnce(&work, centre, up);
    EXPECT_EQ(g_CheckFlags.chip, 0);
    EXPECT_NEAR(g_ToolMeasure.tipW, 5, 1e-9);
}

TEST_F(CutAlongMove, NeckSectionsPaintAndRaiseTaperByTheArborCheck)
{
    // Cutting edge 15, then a neck growing from radius 5 to 7 over 5, the holder from 40.
    const ToolLengthRecord length = MakeLengthRecord(LENGTH_TWO, {40, 15, 5, 0, 0, 14});
    UseTool(TOOL_FLAT, 10, 0, 15, &length);
    const double tip[3] = {20, 20, 2};  // neck base at 17, below the top face
    g_ArborCheck = 2;
    CutOnce(&work, tip, up);
    EXPECT_EQ(g_CheckFlags.taper, 0);
    // The X-ray at y = 20, z = 19 crosses the neck (radius 5.8 there): painted new ends.
    const int x = 40 + 38 * work.nodeCountY;
    ASSERT_EQ(work.familyX.counts[x], 4);
    EXPECT_NEAR(work.familyX.ends[x * 8 + 1], 20 - 5.8, 1e-9);
    EXPECT_EQ(work.familyX.attributes[x * 8 + 1], 0x31);
    EXPECT_EQ(work.familyX.attributes[x * 8 + 2], 0x31);
    // YES: the same cut raises TAPER.
    SetUp();
    UseTool(TOOL_FLAT, 10, 0, 15, &length);
    g_ArborCheck = 3;
    CutOnce(&work, tip, up);
    EXPECT_EQ(g_CheckFlags.taper, 1);
    // LENGTH2A cuts its sections whatever the ARBOR CHECK and never raises TAPER.
    SetUp();
    const ToolLengthRecord lengthA = MakeLengthRecord(LENGTH_TWO_A, {40, 15, 5, 0, 0, 14});
    UseTool(TOOL_FLAT, 10, 0, 15, &lengthA);
    g_ArborCheck = 3;
    const double tipA[3] = {20, 20, 2};
    CutOnce(&work, tipA, up);
    EXPECT_EQ(g_CheckFlags.taper, 0);
    EXPECT_EQ(work.familyX.counts[x], 4);
    EXPECT_NEAR(work.familyX.ends[x * 8 + 1], 20 - 5.8, 1e-9);
}

TEST_F(CutAlongMove, HolderStepsPaintRaiseArborAndNarrowingStepsAreCones)
{
    const ToolLengthRecord length = MakeLengthRecord(LENGTH_ONE, {20});
    ArborRecord arbor{};
    arbor.used = 1;
    arbor.kind = ARBOR_KIND_STEPS;
    arbor.stepCount = 1;
    arbor.diameters[0] = 30;
    arbor.lengths[0] = 10;
    UseTool(TOOL_FLAT, 10, 0, 20, &length, &arbor);
    const double tip[3] = {20, 20, -3};  // holder from 17 to 27
    g_ArborCheck = 2;
    CutOnce(&work, tip, up);
    EXPECT_EQ(g_CheckFlags.arbor, 0);
    EXPECT_EQ(ZRay(60, 40), (std::vector<double>{0, 17}));  // x = 30, inside the holder radius 15
    EXPECT_EQ(work.familyZ.attributes[ZIndex(60, 40) * work.familyZ.capacity + 1], 0x31);
    SetUp();
    UseTool(TOOL_FLAT, 10, 0, 20, &length, &arbor);
    g_ArborCheck = 4;
    CutOnce(&work, tip, up);
    EXPECT_EQ(g_CheckFlags.arbor, 1);

    // A tapered holder (ARBOR2) whose second step narrows from radius 7 to 3 over 10, after a first
    // step of no height: its bounding radius is 7 and a ray at radius 6.5 is inside from the base up
    // to 1.25 above it.
    SetUp();
    const ToolLengthRecord shortTool = MakeLengthRecord(LENGTH_ONE, {15});
    ArborRecord taper{};
    taper.used = 1;
    taper.kind = ARBOR_KIND_TAPERS;
    taper.stepCount = 2;
    taper.diameters[0] = 14;
    taper.diameters[1] = 6;
    taper.lengths[0] = 0;
    taper.lengths[1] = 10;
    UseTool(TOOL_FLAT, 10, 0, 10, &shortTool, &taper);
    g_ArborCheck = 2;
    const double low[3] = {20, 20, 0};  // holder base at 15
    CutOnce(&work, low, up);
    const std::vector<double> ray = ZRay(53, 40);  // x = 26.5
    ASSERT_EQ(ray.size(), 4u);
    EXPECT_EQ(ray[1], 15);
    EXPECT_NEAR(ray[2], 16.25, 1e-9);
}

TEST_F(CutAlongMove, OutputModeSearchesTheHolderLengthWithoutCutting)
{
    const ToolLengthRecord length = MakeLengthRecord(LENGTH_ONE, {20});
    ArborRecord arbor{};
    arbor.used = 1;
    arbor.kind = ARBOR_KIND_STEPS;
    arbor.stepCount = 1;
    arbor.diameters[0] = 30;
    arbor.lengths[0] = 10;
    UseTool(TOOL_FLAT, 10, 0, 20, &length, &arbor);
    g_ArborCheck = 1;
    const double tip[3] = {20, 20, 10};  // the holder must start 10 above the tip to clear the work
    CutOnce(&work, tip, up);
    EXPECT_NEAR(g_ToolMeasure.length, 10, 0.1 + 1e-9);
    EXPECT_EQ(g_CheckFlags.arbor, 0);
    EXPECT_EQ(ZRay(60, 40), (std::vector<double>{0, 20}));  // the holder test cut nothing
}

TEST_F(CutAlongMove, RadiusMillRaisesChipWhenItsCentreStemCuts)
{
    // d 8, corner radius 1.5 with its centre 4 above the tip: the uncut core (radius 1) ends at 2.5
    // and the stem above 4 cuts again.
    ToolRecord tool = MakeToolRecord(TOOL_RADIUS, 8, 1.5, 1.5);
    tool.cornerCentreHeight = 4;
    tool.cornerCentreRadius = 1;
    ASSERT_EQ(MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 2), 1);
    g_ChipWidthCheck = 2;
    const double shallow[3] = {20, 20, 17};  // stem base at 21, above the work
    CutOnce(&work, shallow, up);
    EXPECT_GT(g_MoveRemovedVolume, 0);
    EXPECT_EQ(g_CheckFlags.chip, 0);
    // The core (radius 1 up to 2.5 above the tip) keeps its material: the axis ray ends at 17 + 2.5.
    EXPECT_EQ(ZRay(40, 40), (std::vector<double>{0, 19.5}));
    const std::vector<double> corner = ZRay(44, 40);  // radius 2: down to the corner torus
    ASSERT_EQ(corner.size(), 2u);
    EXPECT_NEAR(corner[1], 17 + 1.5 - std::sqrt(2.0), 1e-9);
    const double deep[3] = {20, 20, 14};
    CutOnce(&work, deep, up);
    EXPECT_EQ(g_CheckFlags.chip, 1);
}

TEST_F(CutAlongMove, OutputModeSearchesTheNeckStartWithoutCutting)
{
    // LENGTH2: neck of radius 7 from 15 above the tip; cutting 10 deep needs the neck start above 10.
    const ToolLengthRecord length = MakeLengthRecord(LENGTH_TWO, {60, 15, 0, 0, 0, 14});
    UseTool(TOOL_FLAT, 10, 0, 15, &length);
    g_ArborCheck = 1;
    const double tip[3] = {20, 20, 10};
    CutOnce(&work, tip, up);
    EXPECT_NEAR(g_ToolMeasure.lu, 10, 0.1 + 1e-9);
    EXPECT_EQ(g_CheckFlags.taper, 0);
    // Only the body cut: the ray at radius 6 keeps its material.
    EXPECT_EQ(ZRay(52, 40), (std::vector<double>{0, 20}));
}

TEST_F(CutAlongMove, BorderRaysWeighHalfAndCornerRaysAQuarter)
{
    UseTool(TOOL_FLAT, 0.6, 0, 30);  // reaches one Z-ray only
    const double corner[3] = {0, 0, 15};
    CutOnce(&work, corner, up);
    EXPECT_DOUBLE_EQ(g_SweepStateZ.removedVolume, 5 * 0.25 * 0.25);
    const double edge[3] = {20, 0, 15};
    CutOnce(&work, edge, up);
    EXPECT_DOUBLE_EQ(g_SweepStateZ.removedVolume, 5 * 0.25 * 0.5);
    const double inside[3] = {20, 20, 15};
    CutOnce(&work, inside, up);
    EXPECT_DOUBLE_EQ(g_SweepStateZ.removedVolume, 5 * 0.25);
}

TEST_F(CutAlongMove, InHoleRapidSkipsThePlaneBandButNotTheInnerCylinder)
{
    ToolRecord tool = MakeToolRecord(TOOL_VERTICAL, 10, 0, 2);
    tool.verticalInset = 2;
    ASSERT_EQ(MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 2), 1);
    g_MotionKind = 1;
    g_CycleRapidInHole = 1;
    const double tip[3] = {20, 20, 15};
    CutOnce(&work, tip, up);
    // X-ray at y = 20, z = 18: ends at radius 5, 3 above the tip: no band bit while in the hole.
    const int x = 40 + 36 * work.nodeCountY;
    EXPECT_EQ(work.familyX.attributes[x * 8 + 1], 0x20);
    // The Z-ray under the axis: inside the inner radius, marked in spite of the in-hole flag.
    EXPECT_EQ(work.familyZ.attributes[ZIndex(40, 40) * work.familyZ.capacity + 1], 0x21);
}

TEST_F(CutAlongMove, BoundingRadiusOfSlotAndPlainTools)
{
    ToolRecord slot = MakeToolRecord(TOOL_T_SLOT, 9, 0.5, 4);
    slot.headLength = 3;
    slot.secondRadius = 0.5;
    slot.neckDiameter = 4;
    ASSERT_EQ(MakeCuttingToolCurrent(1, &slot, nullptr, nullptr, 2), 1);
    const double tip[3] = {20, 20, 15};
    CutOnce(&work, tip, up);
    EXPECT_DOUBLE_EQ(g_CutBoundRadius, g_ToolCut.slotBoundingDiameter / 2);
    UseTool(TOOL_BULL, 12, 2, 30);
    CutOnce(&work, tip, up);
    EXPECT_DOUBLE_EQ(g_CutBoundRadius, 6);
}

TEST(OutputHolderSearch, HolderThatKeepsTouchingStopsAt499)
{
    WorkModel tall{};
    const double lo[3] = {0, 0, 0}, hi[3] = {10, 10, 520};
    ASSERT_EQ(BuildBoxWork(&tall, lo, hi, 2.0), 1);
    PrepareWorkForCutting(&tall);
    ResetCutSettings();
    const ToolLengthRecord length = MakeLengthRecord(LENGTH_ONE, {20});
    ArborRecord arbor{};
    arbor.used = 1;
    arbor.stepCount = 1;
    arbor.diameters[0] = 30;
    arbor.lengths[0] = 10;
    ToolRecord tool = MakeToolRecord(TOOL_FLAT, 4, 0, 20);
    ASSERT_EQ(MakeCuttingToolCurrent(1, &tool, &length, &arbor, 1), 1);
    g_ArborCheck = 1;
    const double tip[3] = {5, 5, 4};
    const double up[3] = {0, 0, 1};
    CutOnce(&tall, tip, up);
    EXPECT_GE(g_ToolMeasure.length, 499);
    EXPECT_LT(g_ToolMeasure.length, 499.2);
    DestroyWorkModel(&tall);
}

TEST(UpdateIntervalOverlap, JoinsTouchingIntervalsAndKeepsGaps)
{
    double list[6];
    int count = 0;
    const double column[2] = {0, 5};
    const double touching[2] = {5 + 0.5e-9, 9};
    UpdateIntervalOverlap(list, &count, 2, column, 2, touching);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(list[1], 9);
    count = 0;
    const double gap[2] = {5 + 2e-9, 9};
    UpdateIntervalOverlap(list, &count, 2, column, 2, gap);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(list[1], 5);
    EXPECT_EQ(list[2], 5 + 2e-9);
    // A shank inside the column leaves it; one containing it replaces it.
    count = 0;
    const double inner[2] = {1, 2};
    UpdateIntervalOverlap(list, &count, 2, column, 2, inner);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(list[0], 0);
    EXPECT_EQ(list[1], 5);
    count = 0;
    const double outer[2] = {-1, 7};
    UpdateIntervalOverlap(list, &count, 2, column, 2, outer);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(list[0], -1);
    EXPECT_EQ(list[1], 7);
    // A candidate already held is joined with the column by hull.
    list[0] = -3;
    list[1] = -2;
    count = 2;
    UpdateIntervalOverlap(list, &count, 2, column, 0, nullptr);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(list[0], -3);
    EXPECT_EQ(list[1], 5);
}

}  // namespace

// Positions cut together, in runs that end anywhere in a row and hold positions that reach no ray,
// give every position the volume and cut flag of cutting them one by one and leave the same rays,
// display marks and run values, on any thread count.
TEST(CutAtPositions, RunsOfPositionsGiveTheResultsOfCuttingThemOneByOne)
{
    struct Case {
        const char* name;
        int type;
        double diameter, cornerRadius, tiltDegrees;
    };
    const Case cases[] = {
        {"BallAlongZ", TOOL_BALL, 10, 5, 0},
        {"FlatAlongZ", TOOL_FLAT, 10, 0, 0},
        {"BullTilted30", TOOL_BULL, 12, 2, 30},
    };
    // Zig-zag rows along X, 3 deep, each row one line; every 40th position lies far off the work.
    std::vector<std::array<double, 3>> tips;
    std::vector<int> rowStarts;
    double direction = 1.0;
    for (double y = 5.0; y <= 25.0; y += 3.0) {
        rowStarts.push_back(int(tips.size()));
        for (int k = 0; k <= 100; k++) {
            const double x = direction > 0 ? 5.0 + 0.2 * k : 25.0 - 0.2 * k;
            tips.push_back({k % 40 == 39 ? 500.0 : x, y, 12.0});
        }
        direction = -direction;
    }
    rowStarts.push_back(int(tips.size()));
    struct Outcome {
        uint64_t hash;
        std::vector<uint8_t> marks;
        std::vector<double> volumes;
        std::vector<int> cuts;
    };
    // Cuts every row in runs of runLength positions (0: one by one with CutWorkAlongMove).
    auto cutAll = [&](const Case& c, int threads, int runLength, Outcome* out) {
        WorkModel work{};
        const double lo[3] = {0, 0, 0}, hi[3] = {30, 30, 15};
        ASSERT_EQ(BuildBoxWork(&work, lo, hi, 0.2), 1);
        PrepareWorkForCutting(&work);
        ResetCutSettings();
        ClearCutRunValues();
        SetCuttingThreadCount(threads);
        ToolRecord tool = MakeToolRecord(c.type, c.diameter, c.cornerRadius, 20);
        ASSERT_EQ(MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 3), 1);
        ASSERT_EQ(CanCutPositionsTogether(), 1);
        const double tilt = c.tiltDegrees * kPi / 180.0;
        const double axis[3] = {std::sin(tilt), 0.0, std::cos(tilt)};
        std::fill(work.changedBlocks, work.changedBlocks + work.blockCount, uint8_t(0));
        for (size_t row = 0; row + 1 < rowStarts.size(); row++) {
            SetCutColourAndTag(int32_t(row + 1));
            for (int first = rowStarts[row]; first < rowStarts[row + 1];) {
                const int count = runLength == 0 ? 1 : std::min(runLength, rowStarts[row + 1] - first);
                if (runLength == 0) {
                    g_MoveRemovedVolume = 0.0;
                    g_CutInMove = 0;
                    CutWorkAlongMove(&work, tips[size_t(first)].data(), axis);
                    out->volumes.push_back(g_MoveRemovedVolume);
                    out->cuts.push_back(g_CutInMove);
                } else {
                    std::vector<std::array<double, 3>> axes(size_t(count), {axis[0], axis[1], axis[2]});
                    std::vector<CutPositionResult> results(static_cast<size_t>(count));
                    CutWorkAtPositions(&work, count, reinterpret_cast<const double(*)[3]>(&tips[size_t(first)]),
                                       reinterpret_cast<const double(*)[3]>(axes.data()), results.data());
                    for (const CutPositionResult& r : results) {
                        out->volumes.push_back(r.swept ? r.removedVolume : 0.0);
                        out->cuts.push_back(r.cut);
                    }
                }
                first += count;
            }
        }
        out->hash = HashWorkRays(work);
        out->marks.assign(work.changedBlocks, work.changedBlocks + work.blockCount);
        EXPECT_EQ(g_UnstoredRayCount, 0);
        DestroyWorkModel(&work);
    };
    g_CutRaysPerThread = 16;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outcome alone;
        cutAll(c, 1, 0, &alone);
        ASSERT_EQ(alone.volumes.size(), tips.size());
        for (int threads : {1, 2, 8}) {
            for (int runLength : {7, 128}) {
                SCOPED_TRACE(::testing::Message() << threads << " threads, runs of " << runLength);
                Outcome together;
                cutAll(c, threads, runLength, &together);
                EXPECT_EQ(together.hash, alone.hash);
                EXPECT_TRUE(together.marks == alone.marks);
                EXPECT_TRUE(together.cuts == alone.cuts);
                ASSERT_EQ(together.volumes.size(), alone.volumes.size());
                for (size_t k = 0; k < alone.volumes.size(); k++) ASSERT_EQ(together.volumes[k], alone.volumes[k]) << k;
            }
        }
    }
    SetCuttingThreadCount(0);
    g_CutRaysPerThread = CUT_RAYS_PER_THREAD;
}
