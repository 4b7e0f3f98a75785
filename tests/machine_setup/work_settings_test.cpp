// Tests of the work, pitch and tool settings: defaults of every key, the box, origin-based box and
// cylinder parsers, the word, pitch, undo and magazine readers, and refused values.
#include "machine_setup/settings/work_settings.h"

#include "machine_setup/machine/machine_position.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstring>
#include <string>

namespace {

// Puts every key back to the value it has when the settings file is missing.
void ApplyAllDefaults()
{
    g_WorkPitch = 0.0;
    g_MovePitch = 0.0;
    g_BasicModelPath[0] = '\0';
    g_BasicModelGiven = 0;
    for (int i = 0; i < g_WorkSettingsKeyCount; ++i) {
        ReadWorkSettingsKey(g_WorkSettingsKeys[i].key, nullptr, "/home/user/");
    }
}

class WorkSettings : public ::testing::Test {
protected:
    void SetUp() override { ApplyAllDefaults(); }
    void TearDown() override { FreeWorkSettingsBuffers(); }
};

} // namespace

TEST_F(WorkSettings, DefaultsOfEveryKey)
{
    EXPECT_STREQ("/home/user/", g_DmeFolder);
    EXPECT_STREQ("/home/user/", g_DmeFolderAtStart);
    EXPECT_EQ(0, g_DmeSelect);
    EXPECT_EQ(1, g_DmfSelect);
    EXPECT_EQ(1, g_StlSelect);
    EXPECT_EQ(0, g_StlWorkAxisCode);
    EXPECT_EQ(0, g_StlFilter);
    EXPECT_EQ(0, g_ImportInWorkCoordinates);
    EXPECT_EQ(0, g_ExportInWorkCoordinates);
    EXPECT_EQ(0, g_InputInWorkCoordinates);
    EXPECT_EQ(0, g_RotationInWorkCoordinates);
    const double minCorner[3] = {0, 0, 0};
    const double maxCorner[3] = {100, 100, 30};
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(minCorner[axis], g_InitialSizeMinCorner[axis]);
        EXPECT_EQ(maxCorner[axis], g_InitialSizeMaxCorner[axis]);
        EXPECT_EQ(-1, g_StockAlign[axis]);
        EXPECT_EQ(0.0f, g_WorkMargins[axis]);
    }
    EXPECT_EQ(100.0, g_StockValues[0][0]);
    EXPECT_EQ(200.0, g_StockValues[1][0]);
    EXPECT_EQ(50.0, g_StockValues[2][0]);
    EXPECT_EQ(0, g_CylinderAxis);
    const double cylinder[6] = {-80, 0, 0, 80, 100, 40};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(cylinder[i], g_CylinderValues[i]);
    }
    const double controlPoint[5] = {0, 0, 200, 0, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(controlPoint[i], g_ControlPoint.axis[i]);
    }
    EXPECT_EQ(1, g_NewControlPointD);
    EXPECT_EQ(0, g_NewControlPoint);
    EXPECT_EQ(100.0, g_SpecifiedPoint[2]);
    EXPECT_EQ(100.0, g_SpecifiedPointD[2]);
    EXPECT_EQ(0, g_ToolBasePointFromIni);
    EXPECT_EQ(0.01, g_MinimumWorkPitch);
    EXPECT_EQ(1.0, g_WorkPitch);
    EXPECT_EQ(1.0, g_WorkPitchSetting);
    EXPECT_EQ(0, g_AutoWorkPitch);
    EXPECT_EQ(1.0, g_MovePitch);
    EXPECT_EQ(0, g_AutoMovePitch);
    EXPECT_EQ(0.5f, g_WeldingHeight);
    EXPECT_EQ(5.0f, g_WeldingWidth);
    EXPECT_EQ(1.0f, g_GrinderDepth);
    EXPECT_EQ(3.0f, g_GrinderWidth);
    EXPECT_EQ(0.1f, g_PaperDepth);
    EXPECT_EQ(1.0f, g_PaperWidth);
    EXPECT_EQ(1.0f, g_BrushWidth);
    EXPECT_EQ(1.0f, g_HeraWidth);
    EXPECT_EQ(2, g_UndoRingSize);
    EXPECT_EQ(200, g_MaxMagazine);
    EXPECT_EQ(0, g_CheckMatrix);
    EXPECT_STREQ("", g_StlMatrixText);
}

TEST_F(WorkSettings, KeyTableLookUp)
{
    EXPECT_EQ(nullptr, FindWorkSettingsKey("NO SUCH KEY"));
    EXPECT_EQ(nullptr, FindWorkSettingsKey("pitch(work)"));
    EXPECT_EQ(-1, ReadWorkSettingsKey("NO SUCH KEY", "1", ""));
    const WorkSettingsKey* key = FindWorkSettingsKey("PITCH(WORK)");
    ASSERT_NE(nullptr, key);
    EXPECT_STREQ("Define", key->section);
    EXPECT_EQ(KEY_WHILE_WORK_PITCH_ZERO, key->condition);
    // "INITIAL SIZE" and "INITIAL SIZE2" are distinct keys; each names its own reader.
    ASSERT_NE(nullptr, FindWorkSettingsKey("INITIAL SIZE"));
    EXPECT_EQ(KEY_UNLESS_CMD_BOX, FindWorkSettingsKey("INITIAL SIZE")->condition);
    EXPECT_EQ(KEY_UNLESS_CMD_BOX_FROM_ORIGIN, FindWorkSettingsKey("INITIAL SIZE2")->condition);
}

TEST_F(WorkSettings, WordValues)
{
    struct Case {
        int (*reader)(const char*);
        const char* value;
        int* target;
        int expected;
        int result;
        int start;  // the target's value before the read (kept when result is 0)
    };
    const Case cases[] = {
        {ReadDmeSelectValue, "on", &g_DmeSelect, 1, 1, 8},
        {ReadDmfSelectValue, "Off", &g_DmfSelect, 0, 1, 7},
        {ReadStlSelectValue, "maybe", &g_StlSelect, 4, 0, 4},
        {ReadStlAxisValue, "-Y", &g_StlWorkAxisCode, -2, 1, 5},
        {ReadStlAxisValue, "+z", &g_StlWorkAxisCode, 3, 1, 10},
        {ReadStlAxisValue, "Z", &g_StlWorkAxisCode, 6, 0, 6},
        {ReadStlFilterValue, "ONCE", &g_StlFilter, 1, 1, 8},
        {ReadImportCoordinateValue, "work", &g_ImportInWorkCoordinates, 1, 1, 8},
        {ReadExportCoordinateValue, "WORKPIECE", &g_ExportInWorkCoordinates, 1, 1, 8},
        {ReadInputCoordinateValue, "WORK", &g_InputInWorkCoordinates, 1, 1, 8},
        {ReadRotationCoordinateValue, "WOR", &g_RotationInWorkCoordinates, 0, 1, 7},
        {ReadNewControlPointValue, "specify", &g_NewControlPoint, 2, 1, 9},
        {ReadNewControlPointDValue, "BOX-TOP", &g_NewControlPointD, 0, 1, 7},
        {ReadNewControlPointDValue, "BOX", &g_NewControlPointD, 9, 0, 9},
        {ReadCheckMatrixValue, "YESSIR", &g_CheckMatrix, 1, 1, 8},
        {ReadCheckMatrixValue, "NO", &g_CheckMatrix, 3, 0, 3},
    };
    for (const Case& c : cases) {
        *c.target = c.start;
        EXPECT_EQ(c.result, c.reader(c.value)) << c.value;
        EXPECT_EQ(c.expected, *c.target) << c.value;
    }
    // "EXPORT COORDINATE" goes back to 0 for any other word.
    ReadExportCoordinateValue("WORK");
    ReadExportCoordinateValue("MACHINE");
    EXPECT_EQ(0, g_ExportInWorkCoordinates);
}

TEST_F(WorkSettings, ToolBasePoint)
{
    const char* words[] = {"BOTTOM", "BALL-CENTER", "F-CENTER", "R-HEIGHT", "LENGTH-TOP", "ARBOR-TOP"};
    for (int i = 0; i < 6; ++i) {
        ApplyAllDefaults();
        g_ToolBasePointFromIni = 0;
        EXPECT_EQ(1, ReadToolBasePointValue(words[i]));
        EXPECT_EQ(i, g_ToolBasePoint);
        EXPECT_EQ(1, g_ToolBasePointFromIni);
    }
    g_ToolBasePoint = TOOL_BASE_F_CENTER;
    g_ToolBasePointFromIni = 0;
    EXPECT_EQ(0, ReadToolBasePointValue(""));
    EXPECT_EQ(TOOL_BASE_F_CENTER, g_ToolBasePoint);
    EXPECT_EQ(0, g_ToolBasePointFromIni);
}

TEST_F(WorkSettings, InitialSizeBox)
{
    EXPECT_EQ(1, ParseInitialSizeValue("( -10, 2.5,-3 ,110,120,40)"));
    const double minCorner[3] = {-10, 2.5, -3};
    const double maxCorner[3] = {110, 120, 40};
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(minCorner[axis], g_InitialSizeMinCorner[axis]);
        EXPECT_EQ(maxCorner[axis], g_InitialSizeMaxCorner[axis]);
    }
    // Refused: no "(", too few commas. The corners stay.
    EXPECT_EQ(0, ParseInitialSizeValue("0,0,0,1,1,1"));
    EXPECT_EQ(0, ParseInitialSizeValue("(0,0,0,1,1)"));
    EXPECT_EQ(0, ParseInitialSizeValue(""));
    EXPECT_EQ(-10.0, g_InitialSizeMinCorner[0]);
    EXPECT_EQ(40.0, g_InitialSizeMaxCorner[2]);
    // Text that is no number reads as 0.
    EXPECT_EQ(1, ParseInitialSizeValue("(a,0,0,b,100,30)"));
    EXPECT_EQ(0.0, g_InitialSizeMinCorner[0]);
    EXPECT_EQ(0.0, g_InitialSizeMaxCorner[0]);
}

TEST_F(WorkSettings, InitialSize2OriginBox)
{
    EXPECT_EQ(1, ParseInitialSize2Value("(CENTER,80,5,5,BACK,60,0,0,TOP,40,0,2)"));
    EXPECT_EQ(0, g_StockAlign[0]);
    EXPECT_EQ(1, g_StockAlign[1]);
    EXPECT_EQ(1, g_StockAlign[2]);
    const double values[3][3] = {{80, 5, 5}, {60, 0, 0}, {40, 0, 2}};
    for (int axis = 0; axis < 3; ++axis) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(values[axis][i], g_StockValues[axis][i]) << axis << " " << i;
        }
    }
    EXPECT_EQ(1, ParseInitialSize2Value("(RIGHT,1,2,3,FRONT,4,5,6,BOTTOM,7,8,9)"));
    EXPECT_EQ(1, g_StockAlign[0]);
    EXPECT_EQ(-1, g_StockAlign[1]);
    EXPECT_EQ(-1, g_StockAlign[2]);
    EXPECT_EQ(9.0, g_StockValues[2][2]);
    // Refused: lower-case letters are not searched, and a missing comma.
    EXPECT_EQ(0, ParseInitialSize2Value("(left,1,2,3,front,4,5,6,bottom,7,8,9)"));
    EXPECT_EQ(0, ParseInitialSize2Value("(LEFT,1,2,3,FRONT,4,5,6,BOTTOM,7,8)"));
    EXPECT_EQ(0, ParseInitialSize2Value("(LEFT,1,2,3)"));
    EXPECT_EQ(1, g_StockAlign[0]);
    EXPECT_EQ(9.0, g_StockValues[2][2]);
}

TEST_F(WorkSettings, Cylinder)
{
    EXPECT_EQ(1, ParseCylinderValue("Z(0,0,0,50,100,0)"));
    EXPECT_EQ(2, g_CylinderAxis);
    const double values[6] = {0, 0, 0, 50, 100, 0};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(values[i], g_CylinderValues[i]);
    }
    EXPECT_EQ(1, ParseCylinderValue("Y(1,2,3,4,5,6)"));
    EXPECT_EQ(1, g_CylinderAxis);
    EXPECT_EQ(6.0, g_CylinderValues[5]);
    // Refused: lower-case axis, no "(" after the letter, too few commas.
    EXPECT_EQ(0, ParseCylinderValue("x(1,2,3,4,5,6)"));
    EXPECT_EQ(0, ParseCylinderValue("(1,2,3,4,5,6)X"));
    EXPECT_EQ(0, ParseCylinderValue("X(1,2,3,4,5)"));
    EXPECT_EQ(1, g_CylinderAxis);
    EXPECT_EQ(6.0, g_CylinderValues[5]);
}

TEST_F(WorkSettings, ControlAndSpecifiedPoints)
{
    g_CmdStartPositionMachine = 0;
    EXPECT_EQ(1, ReadControlPointValue("(0,0,250,0,0)M"));
    EXPECT_EQ(1, g_CmdStartPositionMachine);
    EXPECT_EQ(250.0, g_ControlPoint.axis[2]);
    g_CmdStartPositionMachine = 0;
    EXPECT_EQ(1, ReadControlPointValue("(1.5,-2,3,90,-45)"));
    EXPECT_EQ(0, g_CmdStartPositionMachine);
    const double expected[5] = {1.5, -2, 3, 90, -45};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(expected[i], g_ControlPoint.axis[i]);
    }
    // Missing list elements read as 0.
    EXPECT_EQ(1, ReadControlPointValue("(7,8)"));
    EXPECT_EQ(7.0, g_ControlPoint.axis[0]);
    EXPECT_EQ(8.0, g_ControlPoint.axis[1]);
    EXPECT_EQ(0.0, g_ControlPoint.axis[2]);
    EXPECT_EQ(0.0, g_ControlPoint.axis[4]);

    EXPECT_EQ(1, ReadSpecifiedPointValue("(1,2,3)"));
    EXPECT_EQ(1, ReadSpecifiedPointDValue("(-4,-5,-6)"));
    EXPECT_EQ(3.0, g_SpecifiedPoint[2]);
    EXPECT_EQ(-4.0, g_SpecifiedPointD[0]);
}

TEST_F(WorkSettings, WorkPitch)
{
    g_WorkPitch = 0.0;
    EXPECT_EQ(1, ReadWorkPitchValue("AUTO"));
    EXPECT_EQ(1.0, g_WorkPitch);
    EXPECT_EQ(1.0, g_WorkPitchSetting);
    EXPECT_EQ(1, g_AutoWorkPitch);
    EXPECT_EQ(20000, g_AutoPitchCells);
    EXPECT_EQ(1, ReadWorkPitchValue("AUTO50000"));
    EXPECT_EQ(50000, g_AutoPitchCells);
    EXPECT_EQ(1, ReadWorkPitchValue("auto0"));
    EXPECT_EQ(20000, g_AutoPitchCells);
    EXPECT_EQ(1, ReadWorkPitchValue("0.25"));
    EXPECT_EQ(0, g_AutoWorkPitch);
    EXPECT_EQ(0.25, g_WorkPitch);
    EXPECT_EQ(0.25, g_WorkPitchSetting);
    // A pitch that is not above 0 is refused: the default 1.0 is taken.
    for (const char* bad : {"0", "-0.5", "abc", ""}) {
        EXPECT_EQ(0, ReadWorkPitchValue(bad)) << bad;
        EXPECT_EQ(1.0, g_WorkPitch) << bad;
        EXPECT_EQ(1.0, g_WorkPitchSetting) << bad;
        EXPECT_EQ(0, g_AutoWorkPitch);
    }
}

TEST_F(WorkSettings, MovePitch)
{
    ReadWorkPitchValue("0.5");
    EXPECT_EQ(1, ReadMovePitchValue("AUTO2"));
    EXPECT_EQ(1, g_AutoMovePitch);
    EXPECT_EQ(2.0, g_AutoMovePitchFactor);
    EXPECT_EQ(1.0, g_MovePitch);
    EXPECT_EQ(1, ReadMovePitchValue("AUTO"));
    EXPECT_EQ(1.0, g_AutoMovePitchFactor);
    EXPECT_EQ(0.5, g_MovePitch);
    EXPECT_EQ(1, ReadMovePitchValue("0.3"));
    EXPECT_EQ(0, g_AutoMovePitch);
    EXPECT_EQ(0.3, g_MovePitch);
    // Refused: a negative factor, a pitch that is not above 0.
    EXPECT_EQ(0, ReadMovePitchValue("AUTO-2"));
    EXPECT_EQ(1.0, g_AutoMovePitchFactor);
    EXPECT_EQ(0.5, g_MovePitch);
    EXPECT_EQ(0, ReadMovePitchValue("0"));
    EXPECT_EQ(1.0, g_MovePitch);
    EXPECT_EQ(0, ReadMovePitchValue("-1"));
    EXPECT_EQ(1.0, g_MovePitch);
}

TEST_F(WorkSettings, NumbersAndFloats)
{
    EXPECT_EQ(1, ReadWorkMarginYValue("2.5"));
    EXPECT_EQ(2.5f, g_WorkMargins[1]);
    EXPECT_EQ(1, ReadWeldingWidthValue("1e300"));
    EXPECT_EQ(FLT_MAX, g_WeldingWidth);
    EXPECT_EQ(1, ReadHeraWidthValue("x"));
    EXPECT_EQ(0.0f, g_HeraWidth);
    EXPECT_EQ(1, ReadMinimumPitchValue("0.005"));
    EXPECT_EQ(0.005, g_MinimumWorkPitch);
}

TEST_F(WorkSettings, UndoSlots)
{
    struct Case {
        const char* value;
        int slots;
    };
    const Case cases[] = {{"0", 1}, {"5", 6}, {"-3", 1}, {"abc", 1}, {"2147483647", MAX_UNDO_COUNT + 1}, {"1", 2}};
    for (const Case& c : cases) {
        EXPECT_EQ(1, ReadUndoValue(c.value)) << c.value;
        EXPECT_EQ(c.slots, g_UndoRingSize) << c.value;
        ASSERT_NE(nullptr, g_WorkListRebuild);
        for (int i = 0; i < g_UndoRingSize; ++i) {
            EXPECT_EQ(0, g_WorkListRebuild[i]);
        }
        g_WorkListRebuild[g_UndoRingSize - 1] = 1;  // the next read gives a fresh zeroed buffer
    }
}

TEST_F(WorkSettings, MaxMagazine)
{
    EXPECT_EQ(1, ReadMaxMagazineValue("50"));
    EXPECT_EQ(50, g_MaxMagazine);
    EXPECT_EQ(0, ReadMaxMagazineValue("0"));
    EXPECT_EQ(50, g_MaxMagazine);
    EXPECT_EQ(0, ReadMaxMagazineValue("-7"));
    EXPECT_EQ(50, g_MaxMagazine);
    EXPECT_EQ(1, ReadMaxMagazineValue("99999999999"));
    EXPECT_EQ(MAX_MAGAZINE_LIMIT, g_MaxMagazine);
}

TEST_F(WorkSettings, TextValuesAreCut)
{
    std::string longName(300, 'a');
    EXPECT_EQ(1, ReadStlMatrixValue(longName.c_str()));
    EXPECT_EQ(63u, std::strlen(g_StlMatrixText));
    EXPECT_EQ(1, ReadDmeFolderValue(longName.c_str()));
    EXPECT_EQ(255u, std::strlen(g_DmeFolder));
    EXPECT_STREQ(g_DmeFolder, g_DmeFolderAtStart);
}

TEST_F(WorkSettings, BasicModel)
{
    EXPECT_EQ(0, ReadBasicModelValues("", ""));
    EXPECT_EQ(0, g_BasicModelGiven);
    EXPECT_EQ(1, ReadBasicModelValues("", "part.dme"));
    EXPECT_STREQ("part.dme", g_BasicModelPath);
    EXPECT_EQ(1, g_BasicModelGiven);
    g_BasicModelPath[0] = '\0';
    EXPECT_EQ(1, ReadBasicModelValues("model.stl", "part.dme"));
    EXPECT_STREQ("model.stl", g_BasicModelPath);
    // A path the command line set wins.
    std::strcpy(g_BasicModelPath, "cmd.stl");
    g_BasicModelGiven = 0;
    EXPECT_EQ(1, ReadBasicModelValues("model.stl", nullptr));
    EXPECT_STREQ("cmd.stl", g_BasicModelPath);
    EXPECT_EQ(1, g_BasicModelGiven);
}
