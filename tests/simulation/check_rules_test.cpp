// The stop rules after a sub-step: which raised checks pause the run (reasons recorded, the run goes
// on to the next block) and which stop it; the alarm of the first raised part pair.
#include <gtest/gtest.h>

#include <cstring>

#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/display_settings.h"
#include "nc/interpreter_state.h"
#include "platform/ui/message_box.h"
#include "platform/ui/shell_services.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"

namespace {

class CheckRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDisplaySettings();
        g_CheckFlags = CheckFlags{};
        std::memset(g_StopReasonFlags, 0, sizeof g_StopReasonFlags);
        g_PauseReasonCount = 0;
        g_WorkDefined = 1;
        g_WorkState = 0;
        g_CutInMove = 0;
        g_MotionKind = MOTION_LINEAR;
        g_FeedValues[0] = 500.0;
        g_RapidFeedrate = 10000.0;
        g_SpindleState = 1;
        g_SpindleSpeed = 3000.0;
    }
    void TearDown() override
    {
        ResetDisplaySettings();
        g_CheckFlags = CheckFlags{};
        g_PauseReasonCount = 0;
        g_WorkDefined = 0;
        g_CutInMove = 0;
    }
    static int RecordedReasons()
    {
        int count = 0;
        for (unsigned char b : g_StopReasonFlags) count += b;
        return count;
    }
};

TEST_F(CheckRules, PauseSettingsRecordReasonsAndStopSettingsStop)
{
    // TOOL-VICE STOP touched: reason 18, the run goes on.
    g_CheckToolVice = 2;
    UpdateCheckStopFlag();
    g_CheckFlags.toolVsVice = 1;
    EXPECT_EQ(AnyCheckFlagRaised(), 1);
    EXPECT_EQ(RecordStopReasons(), 0);
    EXPECT_EQ(g_StopReasonFlags[18], 1);
    EXPECT_EQ(g_PauseReasonCount, 1);
    EXPECT_EQ(RecordedReasons(), 1);

    // The same with TOOL-BASIC YES raised too: the run stops.
    g_CheckToolBasic = 1;
    g_CheckFlags.toolVsBasic = 1;
    EXPECT_EQ(IsStopRequiredByChecks(), 1);
    EXPECT_EQ(RecordStopReasons(), 1);

    // Only TOOL-BASIC YES, nothing in pause setting: stop at once, nothing recorded.
    SetUp();
    g_CheckToolBasic = 1;
    UpdateCheckStopFlag();
    EXPECT_EQ(g_StopOnCheck, 0);
    g_CheckFlags.toolVsBasic = 1;
    EXPECT_EQ(RecordStopReasons(), 1);
    EXPECT_EQ(RecordedReasons(), 0);

    // A raised check in neither setting stops the run when another check is in pause setting.
    SetUp();
    g_CheckHeadVice = 2;
    UpdateCheckStopFlag();
    g_CheckFlags.toolVsTable = 1;
    EXPECT_EQ(RecordStopReasons(), 1);
}

TEST_F(CheckRules, CuttingConditionsRecordTheirReasons)
{
    struct Case {
        const char* what;
        int interference, spindleCheck, limitsGiven, spindleState, motionKind;
        double feed, speed;
        int reason;  // -1: nothing recorded
    } cases[] = {
        {"rapid that cuts", 2, 0, 0, 1, MOTION_RAPID, 500.0, 3000.0, 0},
        {"feed equal to the rapid feed", 2, 0, 0, 1, MOTION_LINEAR, 10000.0, 3000.0, 5},
        {"feed below the rapid feed", 2, 0, 0, 1, MOTION_LINEAR, 9999.0, 3000.0, -1},
        {"spindle stopped", 0, 2, 0, 0, MOTION_LINEAR, 500.0, 3000.0, 7},
        {"M3 below the range", 0, 2, 1, 1, MOTION_LINEAR, 500.0, 200.0, 8},
        {"M3 above the range", 0, 2, 1, 1, MOTION_LINEAR, 500.0, 6000.0, 9},
        {"M4 below the range", 0, 2, 1, -1, MOTION_LINEAR, 500.0, 200.0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        g_InterferenceCheck = c.interference;
        g_SpindleCheck = c.spindleCheck;
        g_SpindleCheckLimitsGiven = c.limitsGiven;
        g_SpindleCheckLimit1 = 1000.0;
        g_SpindleCheckLimit2 = 5000.0;
        UpdateCheckStopFlag();
        g_SpindleState = c.spindleState;
        g_SpindleSpeed = c.speed;
        g_MotionKind = c.motionKind;
        g_FeedValues[0] = c.feed;
        g_CutInMove = 1;
        const int result = RecordStopReasons();
        if (c.reason < 0) {
            EXPECT_EQ(RecordedReasons(), 0);
            EXPECT_EQ(result, 1);
        } else {
            EXPECT_EQ(g_StopReasonFlags[c.reason], 1);
            EXPECT_EQ(RecordedReasons(), 1);
            EXPECT_EQ(result, 0);
        }
        // Without a cut none of these conditions counts.
        SetUp();
        g_InterferenceCheck = c.interference;
        g_SpindleCheck = c.spindleCheck;
        UpdateCheckStopFlag();
        g_SpindleState = c.spindleState;
        g_MotionKind = c.motionKind;
        RecordStopReasons();
        EXPECT_EQ(RecordedReasons(), 0);
    }
}

TEST_F(CheckRules, HolderChecksInStopSettingStopTheRun)
{
    g_ArborCheck = 3;
    g_CutInMove = 1;
    g_CheckFlags.taper = 1;
    EXPECT_EQ(IsStopRequiredByChecks(), 1);
    g_ArborCheck = 4;
    UpdateCheckStopFlag();
    EXPECT_EQ(RecordStopReasons(), 0);
    EXPECT_EQ(g_StopReasonFlags[4], 1);  // TAPER comes before ARBOR
    g_CheckFlags.arbor = 1;
    std::memset(g_StopReasonFlags, 0, sizeof g_StopReasonFlags);
    RecordStopReasons();
    EXPECT_EQ(g_StopReasonFlags[1], 0);
    EXPECT_EQ(g_StopReasonFlags[4], 1);
}

TEST_F(CheckRules, TheAlarmOfTheFirstRaisedPairIsShown)
{
    g_EnglishUi = 1;
    ClearShownMessageBoxes();
    g_CheckFlags.head1VsTable = 1;
    g_CheckFlags.toolVsBasic = 1;
    ShowAlarmForRaisedFlag(nullptr);
    g_CheckFlags = CheckFlags{};
    g_RunMode = 0;
    ShowAlarmForRaisedFlag(nullptr);
    ASSERT_EQ(CountShownMessageBoxes(), 2);
    ShownMessageBox box;
    ASSERT_EQ(GetShownMessageBox(0, &box), 1);
    EXPECT_STREQ(box.caption, "TOOLvsBASIC interfered.");
    ASSERT_EQ(GetShownMessageBox(1, &box), 1);
    EXPECT_STREQ(box.caption, "The tool was dameged.");
    ClearShownMessageBoxes();
    g_EnglishUi = 0;
}

}  // namespace
