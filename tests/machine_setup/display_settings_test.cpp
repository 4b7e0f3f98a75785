// Tests of the check, display and view settings: the word and number rules of each key, the defaults,
// the display modes that depend on the transparencies and the stop flag of the checks.
#include "machine_setup/settings/display_settings.h"

#include "machine_setup/settings/colour_settings.h"
#include "settings_test_support.h"
#include "machine_setup/machine_setup_state.h"

#include <gtest/gtest.h>

#include <cstring>

using settings_test::SettingsTest;

namespace {

struct IntCase {
    const char* key;
    const char* value;
    int* target;
    int expected;
};

void ApplyAllDefaults()
{
    const struct {
        const DisplaySettingsKey* keys;
        int count;
    } groups[] = {{g_DisplayKeysFirst, g_DisplayKeysFirstCount},
                  {g_CheckKeys, g_CheckKeysCount},
                  {g_DisplayKeysBeforeUndo, g_DisplayKeysBeforeUndoCount},
                  {g_DisplayKeysAfterUndo, g_DisplayKeysAfterUndoCount},
                  {g_ViewKeys, g_ViewKeysCount}};
    for (const auto& group : groups) {
        for (int i = 0; i < group.count; ++i) {
            ReadDisplaySettingsKey(group.keys[i].key, nullptr);
        }
    }
}

} // namespace

TEST_F(SettingsTest, DefaultsOfEveryDisplayKey)
{
    // Start from values that no default gives, so each default shows.
    g_InterferenceCheck = g_ArborCheck = g_HeightCheck = g_ChipWidthCheck = 9;
    g_SkipBlock = g_SkipView = 9;
    g_SoundOn = 1;
    g_PauseKey = g_AbortKey = 0;
    g_OpenGlBufferMode = g_PumpOption = 9;
    ApplyAllDefaults();
    UpdateCheckStopFlag();
    EXPECT_EQ(5, g_SkipBlock);
    EXPECT_EQ(5, g_SkipView);
    EXPECT_EQ(1, g_TopPathColourSpecified);
    EXPECT_EQ(1, g_ToolTopColourSpecified);
    EXPECT_EQ(1, g_InterferenceCheck);
    EXPECT_EQ(0, g_ArborCheck);
    EXPECT_EQ(0, g_OutputLengthCheckAll);
    EXPECT_EQ(0, g_HeightCheckType);
    EXPECT_EQ(0, g_HeightCheck);
    EXPECT_EQ(0, g_ChipWidthCheck);
    EXPECT_EQ(0, g_SpindleCheck);
    EXPECT_EQ(0, g_SpindleCheckLimitsGiven);
    EXPECT_EQ(0, g_CheckToolVice);
    EXPECT_EQ(0, g_CheckHeadBasic);
    EXPECT_EQ(0, g_StopOnCheck);
    EXPECT_EQ(999999999.0, g_RapidFeedrate);
    EXPECT_EQ(0, g_ToolClearanceMode);
    EXPECT_EQ(0, g_ArborClearanceMode);
    EXPECT_EQ(PART_DISPLAY_ON, g_ToolDisplayMode);
    EXPECT_EQ(PART_DISPLAY_ON, g_MachineDisplayMode);
    EXPECT_EQ(PART_DISPLAY_ON, g_WorkDisplayMode);
    EXPECT_EQ(PART_DISPLAY_OFF, g_BasicModelDisplayMode);
    EXPECT_EQ(1, g_ShowAxisTriad);
    EXPECT_STREQ("", g_ProgressName);
    EXPECT_EQ(0, g_SoundOn);   // the default text is "OFF"
    EXPECT_EQ(5.0, g_OffsetValue);
    EXPECT_EQ(VK_CODE_CONTROL, g_PauseKey);
    EXPECT_EQ(VK_CODE_ESCAPE, g_AbortKey);
    EXPECT_EQ(1, g_Perspective);
    EXPECT_EQ(1, g_DifferenceArea);
    EXPECT_EQ(0.1, g_DifferenceMargin);
    EXPECT_EQ(0, g_DifferenceUsesPen);
    EXPECT_EQ(1, g_DifferenceKeepSameColour);
    EXPECT_EQ(0, g_ViewCentreFromIni);
    EXPECT_EQ(0, g_FullViewWork);
    EXPECT_EQ(2, g_OpenGlBufferMode);
    EXPECT_EQ(1, g_PumpOption);
    EXPECT_EQ(0, g_DifferenceTargetGiven);
    EXPECT_EQ(2.0, g_ToolDialogZoomRate);
    EXPECT_EQ(315.0, g_ViewAngleA);
    EXPECT_EQ(45.0, g_ViewAngleB);
    EXPECT_EQ(315.0, g_ViewAngleHome[0]);
    EXPECT_EQ(45.0, g_ViewAngleHome[1]);
    EXPECT_EQ(5.0, g_ZoomKeyFactor);
}

TEST_F(SettingsTest, WordRulesOfTheDisplayKeys)
{
    const IntCase cases[] = {
        {"INTERFERENCE", "ARBOR", &g_InterferenceCheck, 0},
        {"INTERFERENCE", "YES", &g_InterferenceCheck, 1},
        {"INTERFERENCE", "on", &g_InterferenceCheck, 1},
        {"INTERFERENCE", "stop", &g_InterferenceCheck, 2},
        {"INTERFERENCE", "NO", &g_InterferenceCheck, 0},
        {"ARBOR CHECK", "YES", &g_ArborCheck, 3},
        {"ARBOR CHECK", "OUTPUT", &g_ArborCheck, 1},
        {"ARBOR CHECK", "CUT", &g_ArborCheck, 2},
        {"ARBOR CHECK", "STOP", &g_ArborCheck, 4},
        {"ARBOR CHECK", "MAYBE", &g_ArborCheck, 0},
        {"HEIGHT CHECK", "OUTPUT", &g_HeightCheck, 1},
        {"HEIGHT CHECK", "STOP", &g_HeightCheck, 3},
        {"HEIGHT CHECK", "YES", &g_HeightCheck, 2},
        {"CHIP-W CHECK", "stop", &g_ChipWidthCheck, 3},
        {"HEAD1-TABLE1 CHECK", "STOP", &g_CheckHead1Table1, 2},
        {"HEAD1-TABLE1 CHECK", "anything", &g_CheckHead1Table1, 1},
        {"HEAD1-TABLE1 CHECK", "no", &g_CheckHead1Table1, 0},
        {"TOOL DISPLAY", "PERS", &g_ToolDisplayMode, 2},
        {"TOOL DISPLAY", "OFF", &g_ToolDisplayMode, 0},
        {"TOOL DISPLAY", "BRIGHT", &g_ToolDisplayMode, 0},   // unknown word: unchanged
        {"BASIC AXIS", "OFF", &g_ShowAxisTriad, 0},
        {"BASIC AXIS", "ON", &g_ShowAxisTriad, 1},
        {"SOUND", "ON", &g_SoundOn, 1},   // start value kept
        {"SOUND", "off", &g_SoundOn, 0},
        {"STOP KEY", "PAUSE", &g_PauseKey, 19},
        {"STOP KEY", "SPACE", &g_PauseKey, 32},
        {"STOP KEY", "SHIFT", &g_PauseKey, 17},
        {"ESCAPE KEY", "BREAK", &g_AbortKey, 3},
        {"ESCAPE KEY", "F1", &g_AbortKey, 27},
        {"DIFFERENCE COLOR", "PEN16", &g_DifferencePen, 1},
        {"DIFFERENCE COLOR", "PEN12", &g_DifferencePen, 12},
        {"DIFFERENCE COLOR", "PENKI", &g_DifferencePen, 12},   // paint colour: unchanged
        {"DIFFERENCE TARGET", "PEN0", &g_DifferenceTargetPen, 1},
        {"DIFFERENCE TARGET", "pen15", &g_DifferenceTargetPen, 15},
        {"DIFFERENCE KEEP SAME COLOR", "YES", &g_DifferenceKeepSameColour, 0},
        {"OPENGL BUFFER", "not specified", &g_OpenGlBufferMode, 1},
        {"OPENGL BUFFER", "SINGLE", &g_OpenGlBufferMode, 2},
        {"IME VERSION", "OLD", &g_PumpOption, 0},
        {"IME VERSION", "X", &g_PumpOption, 1},
        {"TOP-PATH COLOR MODE", "PEN COLOR", &g_TopPathColourSpecified, 0},
        {"TOP-PATH COLOR MODE", "SPECIFIED", &g_TopPathColourSpecified, 0},   // only PEN is a word
        {"MESH MODE", "YES", &g_WorkDisplayStyle, 1},
        {"FULL VIEW", "WORK", &g_FullViewWork, 1},
        {"PERSPECTIVE", "OFF", &g_Perspective, 0},
        {"DIFFERENCE AREA", "MINUS", &g_DifferenceArea, -1},
    };
    for (const IntCase& c : cases) {
        ASSERT_NE(-1, ReadDisplaySettingsKey(c.key, c.value)) << c.key;
        EXPECT_EQ(c.expected, *c.target) << c.key << " = " << c.value;
    }
    EXPECT_EQ(1, g_DifferenceUsesPen);
    EXPECT_EQ(1, g_DifferenceTargetGiven);
    EXPECT_EQ(-1, ReadDisplaySettingsKey("NO SUCH KEY", "1"));
}

TEST_F(SettingsTest, HeightCheckTypeAndSpindleLimits)
{
    const struct {
        const char* value;
        int type;
        double number;
    } heights[] = {{"B", 1, -0.1}, {"B0", 0, 0.0}, {"B2.5", 1, 2.5}, {"b 1.5", 1, 1.5}, {"C", 2, 0.0},
                   {"A", 0, 0.0}};
    for (const auto& c : heights) {
        g_HeightCheckValue = 0.0;
        ReadDisplaySettingsKey("HEIGHT CHECK TYPE", c.value);
        EXPECT_EQ(c.type, g_HeightCheckType) << c.value;
        EXPECT_EQ(c.number, g_HeightCheckValue) << c.value;
    }
    const struct {
        const char* value;
        int action;
        int given;
        double limit1;
        double limit2;
    } spindles[] = {{"STOP 1000,8000", 2, 1, 1000, 8000}, {"STOP 1000", 2, 0, 0, 0},
                    {"YES 500,6000.5", 1, 1, 500, 6000.5}, {"NO 100,200", 0, 0, 0, 0},
                    {"YES 100,", 1, 0, 0, 0},             {"Y", 1, 0, 0, 0}};
    for (const auto& c : spindles) {
        ReadDisplaySettingsKey("SPINDLE CHECK", c.value);
        EXPECT_EQ(c.action, g_SpindleCheck) << c.value;
        EXPECT_EQ(c.given, g_SpindleCheckLimitsGiven) << c.value;
        EXPECT_EQ(c.limit1, g_SpindleCheckLimit1) << c.value;
        EXPECT_EQ(c.limit2, g_SpindleCheckLimit2) << c.value;
    }
}

TEST_F(SettingsTest, NumbersClearancesAndViewCentre)
{
    ReadDisplaySettingsKey("RAPID FEEDRATE", "NO");
    EXPECT_EQ(999999999.0, g_RapidFeedrate);
    ReadDisplaySettingsKey("RAPID FEEDRATE", "15000");
    EXPECT_EQ(15000.0, g_RapidFeedrate);
    ReadDisplaySettingsKey("TOOL CLEARANCE", "0.75");
    EXPECT_EQ(2, g_ToolClearanceMode);
    EXPECT_EQ(0.75, g_ToolClearance);
    ReadDisplaySettingsKey("TOOL CLEARANCE", "YES");
    EXPECT_EQ(1, g_ToolClearanceMode);
    EXPECT_EQ(0.75, g_ToolClearance);
    ReadDisplaySettingsKey("ARBOR CLEARANCE", "NO");
    EXPECT_EQ(0, g_ArborClearanceMode);
    ReadDisplaySettingsKey("DIFFERENCE MARGIN", "0.3");
    EXPECT_EQ(0.3, g_DifferenceMargin);
    EXPECT_EQ(0.3, g_DifferenceMarginBuilt);
    ReadDisplaySettingsKey("TOOL DIALOG ZOOM RATE", "max");
    EXPECT_EQ(9999.0, g_ToolDialogZoomRate);
    ReadDisplaySettingsKey("VIEW CENTER", "(1.5,-2,300)");
    EXPECT_EQ(1, g_ViewCentreFromIni);
    EXPECT_EQ(1.5, g_IniViewCentre[0]);
    EXPECT_EQ(-2.0, g_IniViewCentre[1]);
    EXPECT_EQ(300.0, g_IniViewCentre[2]);
    ReadDisplaySettingsKey("VIEW CENTER", "AUTO");
    EXPECT_EQ(0, g_ViewCentreFromIni);
    ReadDisplaySettingsKey("PROGRESS NAME", "A caption much longer than twenty-three characters");
    EXPECT_EQ(23u, std::strlen(g_ProgressName));
    // 22 ASCII bytes and a three-byte character: the character does not fit and is left out whole.
    ReadDisplaySettingsKey("PROGRESS NAME", "0123456789012345678901\xE5\x88\x87");
    EXPECT_STREQ("0123456789012345678901", g_ProgressName);
    ReadDisplaySettingsKey("ANGLE-A", "90");
    ReadDisplaySettingsKey("ANGLE-B", "180");
    EXPECT_EQ(90.0, g_ViewAngleHome[0]);
    EXPECT_EQ(180.0, g_ViewAngleHome[1]);
}

TEST_F(SettingsTest, PersDisplayModesFollowTheTransparencies)
{
    const struct {
        float alpha;
        int mode;
    } cases[] = {{1.0f, PART_DISPLAY_ON}, {0.0f, PART_DISPLAY_OFF}, {0.5f, PART_DISPLAY_SEMITRANSPARENT}};
    for (const auto& c : cases) {
        g_WorkAlpha = c.alpha;
        g_BaseAlpha = c.alpha;
        ReadDisplaySettingsKey("WORK DISPLAY", "PERS");
        ReadDisplaySettingsKey("BASE DISPLAY", "PERS");
        EXPECT_EQ(c.mode, g_WorkDisplayMode) << c.alpha;
        EXPECT_EQ(c.mode, g_BasicModelDisplayMode) << c.alpha;
    }
    ReadDisplaySettingsKey("BASE DISPLAY", "ON");
    EXPECT_EQ(PART_DISPLAY_ON, g_BasicModelDisplayMode);
    ReadDisplaySettingsKey("WORK DISPLAY", "OFF");
    EXPECT_EQ(PART_DISPLAY_OFF, g_WorkDisplayMode);
}

TEST_F(SettingsTest, AnyCheckInItsStopSettingSetsTheStopFlag)
{
    UpdateCheckStopFlag();
    EXPECT_EQ(0, g_StopOnCheck);
    int* const stopVariables[] = {&g_InterferenceCheck, &g_ArborCheck,     &g_HeightCheck,
                                  &g_ChipWidthCheck,    &g_SpindleCheck,   &g_CheckToolVice,
                                  &g_CheckHeadBasic,    &g_CheckHead2Work, &g_DialogPairChecks[21]};
    const int stopValues[] = {2, 4, 3, 3, 2, 2, 2, 2, 2};
    for (int i = 0; i < 9; ++i) {
        ResetDisplaySettings();
        g_InterferenceCheck = 0;
        *stopVariables[i] = stopValues[i];
        UpdateCheckStopFlag();
        EXPECT_EQ(1, g_StopOnCheck) << i;
        *stopVariables[i] = stopValues[i] - 1;   // one below the stop setting
        UpdateCheckStopFlag();
        EXPECT_EQ(0, g_StopOnCheck) << i;
    }
    // Every part-pair key reaches its own variable: STOP on all of them, one at a time.
    for (int i = 0; i < g_CheckKeysCount; ++i) {
        if (std::strstr(g_CheckKeys[i].key, "-") == nullptr || i < 7) {
            continue;
        }
        ResetDisplaySettings();
        ReadDisplaySettingsKey(g_CheckKeys[i].key, "STOP");
        UpdateCheckStopFlag();
        EXPECT_EQ(1, g_StopOnCheck) << g_CheckKeys[i].key;
    }
    EXPECT_EQ(7 + PART_PAIR_CHECK_COUNT, g_CheckKeysCount);
}
