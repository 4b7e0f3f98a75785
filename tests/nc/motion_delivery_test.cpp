// Motion delivery against hand-written golden motion lists (kind, start, end, and the centre of arcs)
// for FANUC programs: record marks, cutter compensation with entry, exit, inner and outer corners,
// drilling and peck cycles with G98 / G99 and repeats, sub-programs in memory and in files; the gouge
// list of an inner corner; rapid planning in each mode.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/work_settings.h"
#include "motion_test_support.h"
#include "nc/motion_delivery.h"
#include "nc/nc_motion.h"
#include "nc/rapid_planning.h"
#include "nc/stop_blocks.h"

using namespace motion_test;

namespace {

struct Golden {
    int kind;
    double start[3];
    double end[3];
    double centre[3] = {};  // arcs only
};

using MotionDeliveryTest = ProgramTest;

// Every motion handed out until the run ends (bounded).
std::vector<NcMotion> RecordMotions()
{
    std::vector<NcMotion> motions;
    NcMotion motion = {};
    for (int k = 0; k < 10000 && !motion.last; ++k) {
        if (FetchNcMotion(&motion)) motions.push_back(motion);
    }
    return motions;
}

void ExpectMotions(const std::vector<Golden>& golden, const std::vector<NcMotion>& motions)
{
    ASSERT_EQ(golden.size(), motions.size());
    for (size_t k = 0; k < golden.size(); ++k) {
        SCOPED_TRACE("motion " + std::to_string(k + 1));
        EXPECT_EQ(golden[k].kind, motions[k].kind);
        for (int a = 0; a < 3; ++a) {
            EXPECT_NEAR(golden[k].start[a], motions[k].start[a], 1e-9) << "start axis " << a;
            EXPECT_NEAR(golden[k].end[a], motions[k].end[a], 1e-9) << "end axis " << a;
            if (golden[k].kind == 2 || golden[k].kind == 3) {
                EXPECT_NEAR(golden[k].centre[a], motions[k].centre[a], 1e-9) << "centre axis " << a;
            }
        }
    }
}

const char* const kNormalPoint[] = {"DECIMAL POINT NORMAL"};

TEST_F(MotionDeliveryTest, RecordMarksStartAndEndTheProgram)
{
    const char* const lines[] = {"DECIMAL POINT NORMAL", "EOR = %"};
    ResetWithController(lines, 2);
    ASSERT_TRUE(StartProgram(folder, "P.NC", "G00 X77.\n%\nG90 G00 X10. Y0 Z5.\nG01 Z-1. F100.\nX20.\n%\nX99.\n"));
    NcMotion first = {};
    EXPECT_EQ(0, FetchNcMotion(&first));  // the line before the start is passed over
    EXPECT_EQ(0, FetchNcMotion(&first));  // the start line itself moves nothing
    EXPECT_EQ(1, g_EorBlock);
    ExpectMotions({{0, {0, 0, 0}, {10, 0, 5}}, {1, {10, 0, 5}, {10, 0, -1}}, {1, {10, 0, -1}, {20, 0, -1}}},
                  RecordMotions());
    EXPECT_EQ(NC_RUN_FINISHED, g_NcRunState);
}

TEST_F(MotionDeliveryTest, LeftCompensationWithOuterAndInnerCorners)
{
    ResetWithController(kNormalPoint, 1);
    g_ToolOffsetD[1] = 5.0f;
    ASSERT_TRUE(StartProgram(folder, "P.NC",
                             "G90 G00 X-10. Y10.\nG41 D1 G01 X0 Y0 F100.\nX50.\nY-30.\nX80.\nG40 X90. Y-40.\nM30\n"));
    const double t = 5.0 * std::tan(M_PI / 4.0);  // the envelope point of the quarter turn
    ExpectMotions({{0, {0, 0, 0}, {-10, 10, 0}},
                   {1, {-10, 10, 0}, {0, 5, 0}},     // entry to the first element's compensated start
                   {1, {0, 5, 0}, {50, 5, 0}},
                   {1, {50, 5, 0}, {50 + t, 5, 0}},  // outer corner: tangents meet at (55, 5)
                   {1, {50 + t, 5, 0}, {55, 0, 0}},
                   {1, {55, 0, 0}, {55, -25, 0}},    // inner corner: cut at the intersection
                   {1, {55, -25, 0}, {80, -25, 0}},
                   {1, {80, -25, 0}, {90, -40, 0}}},  // exit move of G40
                  RecordMotions());
    EXPECT_EQ(0, g_NcAlarmCode);
    EXPECT_EQ(0, g_CutterCompensationState);
}

TEST_F(MotionDeliveryTest, RightCompensationTurnsOuterOnLeftTurns)
{
    ResetWithController(kNormalPoint, 1);
    g_ToolOffsetD[2] = 3.0f;
    ASSERT_TRUE(StartProgram(folder, "P.NC", "G00 X0 Y-10.\nG42 D2 G01 X0 Y0 F100.\nX40.\nY20.\nG40 X50. Y30.\nM30\n"));
    const double t = 3.0 * std::tan(M_PI / 4.0);
    ExpectMotions({{0, {0, 0, 0}, {0, -10, 0}},
                   {1, {0, -10, 0}, {0, -3, 0}},
                   {1, {0, -3, 0}, {40, -3, 0}},
                   {1, {40, -3, 0}, {40 + t, -3, 0}},
                   {1, {40 + t, -3, 0}, {43, 0, 0}},
                   {1, {43, 0, 0}, {43, 20, 0}},
                   {1, {43, 20, 0}, {50, 30, 0}}},
                  RecordMotions());
}

TEST_F(MotionDeliveryTest, CompensatedArcIsCutAtBothInnerCorners)
{
    ResetWithController(kNormalPoint, 1);
    g_ToolOffsetD[1] = 5.0f;
    ASSERT_TRUE(StartProgram(folder, "P.NC", "G00 X0 Y-10.\nG41 D1 G01 Y0 F100.\nX20.\nG02 X40. I10.\nG01 X60.\n"
                                             "G40 X70.\nM30\n"));
    // The clockwise arc of radius 10 about (30, 0) grows to 15 and meets the offset lines y = 5 at
    // x = 30 -+ sqrt(15 * 15 - 5 * 5).
    const double h = std::sqrt(200.0);
    ExpectMotions({{0, {0, 0, 0}, {0, -10, 0}, {}},
                   {1, {0, -10, 0}, {0, 5, 0}, {}},
                   {1, {0, 5, 0}, {30 - h, 5, 0}, {}},
                   {2, {30 - h, 5, 0}, {30 + h, 5, 0}, {30, 0, 0}},
                   {1, {30 + h, 5, 0}, {60, 5, 0}, {}},
                   {1, {60, 5, 0}, {70, 0, 0}, {}}},
                  RecordMotions());
}

TEST_F(MotionDeliveryTest, GougingInnerCornerIsListedAndThePathGoesOn)
{
    const char* const lines[] = {"DECIMAL POINT NORMAL", "CHECK RADIUS OFFSET LIST"};
    ResetWithController(lines, 2);
    g_ToolOffsetD[1] = 5.0f;
    ASSERT_TRUE(StartProgram(folder, "P.NC", "G00 X0 Y-10.\nG41 D1 G01 Y0 F100.\nX50.\nY3.\nG40 X60.\nM30\n"));
    ExpectMotions({{0, {0, 0, 0}, {0, -10, 0}},
                   {1, {0, -10, 0}, {0, 5, 0}},
                   {1, {0, 5, 0}, {50, 5, 0}},
                   {1, {50, 5, 0}, {45, 0, 0}},  // the connecting move over the gouge
                   {1, {45, 0, 0}, {45, 3, 0}},
                   {1, {45, 3, 0}, {60, 3, 0}}},
                  RecordMotions());
    CloseAlarmFile();
    EXPECT_EQ("<<< ALARM INFORMATION >>>\n--------------\nINTERFERENCE IN RADIUS(5.000) OFFSET\n4:Y3.\n",
              ReadText(folder.File("alarm.txt")));
}

TEST_F(MotionDeliveryTest, DrillingAndPeckCyclesWithReturnLevelsAndRepeats)
{
    ResetWithController(kNormalPoint, 1);
    ASSERT_TRUE(StartProgram(folder, "P.NC",
                             "G90 G00 X10. Y10. Z50.\nG99 G81 X20. Y10. Z-10. R2. F100.\nX30. K2\n"
                             "G98 G83 X50. Y10. Z-9. R2. Q4.\nG80\nM30\n"));
    ExpectMotions({{0, {0, 0, 0}, {10, 10, 50}},
                   // G81 G99: in the plane at the old height, to R, down, back to R
                   {0, {10, 10, 50}, {20, 10, 50}},
                   {0, {20, 10, 50}, {20, 10, 2}},
                   {1, {20, 10, 2}, {20, 10, -10}},
                   {0, {20, 10, -10}, {20, 10, 2}},
                   // K2: two holes 10 apart, each back to the initial level
                   {0, {20, 10, 2}, {30, 10, 2}},
                   {1, {30, 10, 2}, {30, 10, -10}},
                   {0, {30, 10, -10}, {30, 10, 50}},
                   {0, {30, 10, 50}, {40, 10, 50}},
                   {0, {40, 10, 50}, {40, 10, 2}},
                   {1, {40, 10, 2}, {40, 10, -10}},
                   {0, {40, 10, -10}, {40, 10, 50}},
                   // G83 G98 Q4: pecks with full retracts to R, the last one clamped to the bottom
                   {0, {40, 10, 50}, {50, 10, 50}},
                   {0, {50, 10, 50}, {50, 10, 2}},
                   {1, {50, 10, 2}, {50, 10, -2}},
                   {0, {50, 10, -2}, {50, 10, 2}},
                   {0, {50, 10, 2}, {50, 10, -1.9}},
                   {1, {50, 10, -1.9}, {50, 10, -6}},
                   {0, {50, 10, -6}, {50, 10, 2}},
                   {0, {50, 10, 2}, {50, 10, -5.9}},
                   {1, {50, 10, -5.9}, {50, 10, -9}},
                   {0, {50, 10, -9}, {50, 10, 50}}},
                  RecordMotions());
}

TEST_F(MotionDeliveryTest, SubprogramsInMemoryAndInFiles)
{
    const char* const lines[] = {"DECIMAL POINT NORMAL", "RUN TYPE MEMORY"};
    ResetWithController(lines, 2);
    WriteText(folder.File("O0012"), "G01 Z5.\nM99\n");
    ASSERT_TRUE(StartProgram(folder, "P.NC",
                             "G90 G00 X0 Y0 Z10.\nM98 P100\nG00 X5.\nM198 P12\nM30\nO100\nG01 X10. F100.\nY10.\nM99\n"));
    ExpectMotions({{0, {0, 0, 0}, {0, 0, 10}},
                   {1, {0, 0, 10}, {10, 0, 10}},
                   {1, {10, 0, 10}, {10, 10, 10}},
                   {0, {10, 10, 10}, {5, 10, 10}},
                   {1, {5, 10, 10}, {5, 10, 5}}},
                  RecordMotions());
    EXPECT_EQ(0, g_NcAlarmCode);
    EXPECT_EQ(0, g_SubprogramDepth);
}

TEST_F(MotionDeliveryTest, RecordMarkInsideASubprogramOnlyMarksTheBlock)
{
    const char* const lines[] = {"DECIMAL POINT NORMAL", "RUN TYPE MEMORY", "EOR = %"};
    ResetWithController(lines, 3);
    ASSERT_TRUE(StartProgram(folder, "P.NC", "%\nG00 X1.\nM98 P100\nG00 X5.\nM30\nO100\n%\nG01 X3. F100.\nM99\n"));
    std::vector<NcMotion> motions;
    int marks = 0;
    NcMotion motion = {};
    for (int k = 0; k < 100 && !motion.last; ++k) {
        if (FetchNcMotion(&motion)) motions.push_back(motion);
        marks += g_EorBlock;
    }
    EXPECT_EQ(2, marks);  // the start line and the one in the sub-program
    ExpectMotions({{0, {0, 0, 0}, {1, 0, 0}}, {1, {1, 0, 0}, {3, 0, 0}}, {0, {3, 0, 0}, {5, 0, 0}}}, motions);
}

TEST_F(MotionDeliveryTest, MissingSubprogramEndsTheRunWithAlarm11)
{
    ResetWithController(kNormalPoint, 1);
    ASSERT_TRUE(StartProgram(folder, "P.NC", "G00 X1.\nM198 P12\nG00 X5.\n"));
    const std::vector<NcMotion> motions = RecordMotions();
    ASSERT_FALSE(motions.empty());
    EXPECT_EQ(NC_ALARM_SUBPROGRAM_NOT_FOUND, g_NcAlarmCode);
    EXPECT_EQ(1.0, motions.back().end[0]);  // X5. is never reached
}

TEST_F(MotionDeliveryTest, RapidPlanningModes)
{
    ResetWithController(kNormalPoint, 1);
    g_G00Mode = RAPID_EQUAL_SPEED;
    ASSERT_TRUE(StartProgram(folder, "P.NC", "G00 X10. Y5. Z2.\nG00 X20. Y15. Z2.\nG01 X30.\n"));
    ExpectMotions({{0, {0, 0, 0}, {2, 2, 2}},
                   {0, {2, 2, 2}, {5, 5, 2}},
                   {0, {5, 5, 2}, {10, 5, 2}},
                   {0, {10, 5, 2}, {20, 15, 2}},  // two axes, equal distances: one move
                   {1, {20, 15, 2}, {30, 15, 2}}},
                  RecordMotions());

    // Accelerated axes: X slower than Y; one step per move pitch of the slowest axis.
    CloseProgram();
    g_G00Mode = RAPID_ACCELERATED;
    const float feeds[3] = {g_RapidFeedRates[0], g_RapidFeedRates[1], g_RapidFeedRates[2]};
    g_RapidFeedRates[0] = 6000.0f;
    g_RapidFeedRates[1] = 12000.0f;
    const double pitch = g_MovePitch;
    g_MovePitch = 2.0;
    ASSERT_TRUE(StartProgram(folder, "P.NC", "G00 X10. Y5.\n"));
    std::vector<NcMotion> motions = RecordMotions();
    ASSERT_EQ(5u, motions.size());
    for (size_t k = 1; k < motions.size(); ++k) {
        EXPECT_GT(motions[k].end[0], motions[k - 1].end[0]);
        EXPECT_GE(motions[k].end[1], motions[k - 1].end[1]);
    }
    EXPECT_EQ(10.0, motions.back().end[0]);
    EXPECT_EQ(5.0, motions.back().end[1]);

    // A move pitch of 0 means no subdivision: the rapid is one move.
    CloseProgram();
    g_MovePitch = 0.0;
    ASSERT_TRUE(StartProgram(folder, "P.NC", "G00 X10. Y5.\n"));
    ExpectMotions({{0, {0, 0, 0}, {10, 5, 0}}}, RecordMotions());

    // Straight mode and equal behaviour of both axes: never split.
    CloseProgram();
    g_MovePitch = 2.0;
    g_RapidFeedRates[0] = g_RapidFeedRates[1];
    ASSERT_TRUE(StartProgram(folder, "P.NC", "G00 X10. Y10.\n"));
    EXPECT_EQ(1u, RecordMotions().size());
    g_MovePitch = pitch;
    for (int a = 0; a < 3; ++a) g_RapidFeedRates[a] = feeds[a];
}

}  // namespace
