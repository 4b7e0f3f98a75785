// Coordinate words: each context (cycle bottom, G52, G53, G51, mirror, G68, G28/G29, G10 L2, HEIDENHAIN
// CC, cylindrical and polar interpolation, lathe diameters, incremental letters, rotary words, I/J/K
// and R) puts the word's value into its own target, set up here through the block's G code and the
// modal state directly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/tools/tool_profile.h"
#include "nc/block_end_position.h"
#include "nc/coordinate_words.h"
#include "nc/interpreter_state.h"
#include "nc_test_support.h"

namespace {

class CoordinateWordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetNcTestState();
        g_DecimalPointMode = DECIMAL_POINT_NO;
        g_NcTargetPosition = AxisPosition{};
        g_NcCommandedPosition = AxisPosition{};
        g_ActiveWorkOffset = AxisPosition{};
    }
    void TearDown() override
    {
        g_ToolLength = 0;
        g_CurrentToolLength = 0;
        g_ToolDirectionTilted = 0;
        g_MachineLathe = 0;
        g_Rotary1Letter = g_Rotary2Letter = ' ';
        ResetNcTestState();
    }
};

// Runs one handler over a whole word text ("X10.") with the position on its letter.
void Linear(const char* word, int axis)
{
    int position = 0;
    ReadLinearAxisWord(&position, word, axis);
}
void Rotary(const char* word, int axis)
{
    int position = 0;
    ReadRotaryWord(&position, word, axis);
}
void ArcCentre(const char* word, int axis)
{
    int position = 0;
    ReadArcCentreWord(&position, word, axis);
}

TEST_F(CoordinateWordsTest, OrdinaryWordsFollowUnitAndDecimalPoint)
{
    Linear("X100\n", AXIS_X);
    EXPECT_DOUBLE_EQ(0.1, g_NcTargetPosition.axis[AXIS_X]);
    Linear("Y100.\n", AXIS_Y);
    EXPECT_DOUBLE_EQ(100.0, g_NcTargetPosition.axis[AXIS_Y]);
    EXPECT_EQ(1, g_AxisWordGiven[AXIS_X]);
    EXPECT_EQ(1, g_AxisWordGiven[AXIS_Y]);
    EXPECT_EQ(0, g_AxisWordGiven[AXIS_Z]);
    EXPECT_EQ(1, g_MoveChanged);
    EXPECT_EQ(1, g_CycleAxisWordSeen);
}

TEST_F(CoordinateWordsTest, IncrementalWordsAddTheCommandedValue)
{
    g_NcCommandedPosition.axis[AXIS_Y] = 5.0;
    g_IncrementalMode = 1;
    Linear("Y10.\n", AXIS_Y);
    EXPECT_DOUBLE_EQ(15.0, g_NcTargetPosition.axis[AXIS_Y]);
    EXPECT_DOUBLE_EQ(15.0, g_NcCommandedPosition.axis[AXIS_Y]);
    g_LastGCode = 92;  // G92 words are absolute even under G91
    Linear("Y3.\n", AXIS_Y);
    EXPECT_DOUBLE_EQ(3.0, g_NcTargetPosition.axis[AXIS_Y]);
    g_LastGCode = 0;
    g_AxisCodeReversed[AXIS_X] = 1;
    g_IncrementalMode = 0;
    Linear("X2.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(-2.0, g_NcTargetPosition.axis[AXIS_X]);
}

TEST_F(CoordinateWordsTest, CycleNormalWordIsTheHoleBottom)
{
    g_CannedCycleCode = 81;
    g_NcTargetPosition.axis[AXIS_Z] = 50.0;
    Linear("Z-20.\n", AXIS_Z);
    EXPECT_DOUBLE_EQ(-20.0, g_CycleBottom);
    EXPECT_DOUBLE_EQ(50.0, g_NcTargetPosition.axis[AXIS_Z]);
    Linear("X10.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(10.0, g_NcTargetPosition.axis[AXIS_X]);
    int position = 0;
    ReadIncrementalAxisWord(&position, "W-3.\n", AXIS_Z);
    EXPECT_DOUBLE_EQ(-3.0, g_CycleBottom);
}

TEST_F(CoordinateWordsTest, G52SetsOrAddsTheLocalShiftOfTheSelectedEntry)
{
    g_WorkOffsetIndex = 1;
    g_LastGCode = 52;
    Linear("X10.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(10.0, g_LocalCoordinateShifts[1].axis[AXIS_X]);
    EXPECT_DOUBLE_EQ(0.0, g_NcTargetPosition.axis[AXIS_X]);
    g_IncrementalMode = 1;
    Linear("X5.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(15.0, g_LocalCoordinateShifts[1].axis[AXIS_X]);
    int position = 0;
    ReadIncrementalAxisWord(&position, "U1.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(16.0, g_WorkOffsetAdjustments[1].axis[AXIS_X]);
    g_DialectCode = DIALECT_OSP;  // other dialects: an ordinary word
    g_IncrementalMode = 0;
    Linear("X7.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(7.0, g_NcTargetPosition.axis[AXIS_X]);
}

TEST_F(CoordinateWordsTest, G53WordsAreMachineCoordinatesWithTheLengthDifference)
{
    g_MachineCoordinateBlock = 1;
    g_ActiveWorkOffset.axis[AXIS_Z] = -100.0;
    g_ToolLength = 112.0;
    g_CurrentToolLength = 100.0f;
    Linear("Z0.\n", AXIS_Z);
    EXPECT_DOUBLE_EQ(12.0, g_MachineAxisWords.axis[AXIS_Z]);
    EXPECT_DOUBLE_EQ(100.0, g_NcTargetPosition.axis[AXIS_Z]);
    EXPECT_DOUBLE_EQ(100.0, g_NcCommandedPosition.axis[AXIS_Z]);
    EXPECT_DOUBLE_EQ(100.0, g_ControlPoint.axis[AXIS_Z]);
    EXPECT_EQ(1, g_AxisWordGiven[AXIS_Z]);

    g_ToolDirectionTilted = 1;  // the difference goes along the spindle direction
    const double saved[3] = {g_ToolDirection[0], g_ToolDirection[1], g_ToolDirection[2]};
    g_ToolDirection[0] = 1.0;
    g_ToolDirection[1] = 0.0;
    g_ToolDirection[2] = 0.0;
    g_MachineAxisWords = AxisPosition{};
    Linear("Z0.\n", AXIS_Z);
    EXPECT_DOUBLE_EQ(12.0, g_MachineAxisWords.axis[AXIS_X]);
    EXPECT_DOUBLE_EQ(0.0, g_MachineAxisWords.axis[AXIS_Z]);
    for (int k = 0; k < 3; ++k) g_ToolDirection[k] = saved[k];
}

TEST_F(CoordinateWordsTest, HeidenhainM92AddsReferencePointOne)
{
    g_MachineCoordinateBlock = 1;
    g_HeidenhainMachineM = 92;
    g_ReferencePointGiven[0] = 1;
    g_ReferencePoints[0][AXIS_X] = 250.0f;
    Linear("X10.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(260.0, g_MachineAxisWords.axis[AXIS_X]);
    g_ReferencePointGiven[0] = 0;
}

TEST_F(CoordinateWordsTest, G51WordsSetTheScalingCentre)
{
    g_LastGCode = 51;
    Linear("X0\n", AXIS_X);
    Linear("Y3.\n", AXIS_Y);
    EXPECT_DOUBLE_EQ(0.0, g_ScalingCentre[AXIS_X]);
    EXPECT_DOUBLE_EQ(3.0, g_ScaleCentre[AXIS_Y]);
    EXPECT_EQ(0, g_AxisWordGiven[AXIS_X]);
    ArcCentre("I2000\n", AXIS_X);  // G51 I: scale factor, divided by "UNIT(SCALE)"
    EXPECT_DOUBLE_EQ(2.0, g_ScaleFactor[AXIS_X]);
}

TEST_F(CoordinateWordsTest, MirrorWordsSetAndClearAxes)
{
    g_LastGCode = 511;
    Linear("X0.\n", AXIS_X);
    Linear("Y0.\n", AXIS_Y);
    EXPECT_EQ(1, g_MirrorOn);
    EXPECT_EQ(1, g_MirrorAxes[AXIS_X]);
    g_LastGCode = 501;
    Linear("X0.\n", AXIS_X);  // Z is not mirrored: the mirror goes off, the Y axis stays marked
    EXPECT_EQ(0, g_MirrorAxes[AXIS_X]);
    EXPECT_EQ(1, g_MirrorAxes[AXIS_Y]);
    EXPECT_EQ(0, g_MirrorOn);
    Linear("Y0.\n", AXIS_Y);
    EXPECT_EQ(0, g_MirrorAxes[AXIS_Y]);
    g_LastGCode = 682;
    Linear("Z5.\n", AXIS_Z);
    EXPECT_DOUBLE_EQ(5.0, g_TiltedPlaneOrigin[AXIS_Z]);
    g_LastGCode = 8110;  // a Z word of such a code is an ordinary word
    Linear("Z6.\n", AXIS_Z);
    EXPECT_DOUBLE_EQ(6.0, g_NcTargetPosition.axis[AXIS_Z]);
    g_LastGCode = 700;  // other codes above 500 leave an X word unread
    int position = 0;
    ReadLinearAxisWord(&position, "X9.\n", AXIS_X);
    EXPECT_EQ(1, position);
    EXPECT_DOUBLE_EQ(0.0, g_NcTargetPosition.axis[AXIS_X]);
}

TEST_F(CoordinateWordsTest, G68WordsSetTheRotationCentreAndAxis)
{
    g_LastGCode = 68;
    g_CoordinateRotationState = 1;
    g_RotationCount = 1;
    Linear("X4.\n", AXIS_X);
    Linear("Y6.\n", AXIS_Y);
    EXPECT_DOUBLE_EQ(4.0, g_RotationCentres[1][AXIS_X]);
    EXPECT_DOUBLE_EQ(6.0, g_RotationCentres[1][AXIS_Y]);
    EXPECT_DOUBLE_EQ(0.0, g_NcTargetPosition.axis[AXIS_X]);
    ArcCentre("K1\n", AXIS_Z);
    EXPECT_EQ(3, g_RotationAxisCodes[1]);
    EXPECT_EQ(0, g_IjkGiven);
    g_RotationCount = 2;  // a third level reads nothing
    int position = 0;
    ReadLinearAxisWord(&position, "X4.\n", AXIS_X);
    EXPECT_EQ(1, position);
}

TEST_F(CoordinateWordsTest, ReferenceReturnWordsAreSinglePrecisionPoints)
{
    g_ReferenceReturnKind = 1;
    g_IncrementalMode = 1;
    g_NcMoveEnd.axis[AXIS_Z] = 37.5;
    g_NcTargetPosition.axis[AXIS_Z] = 10.0;
    Linear("Z0.\n", AXIS_Z);
    EXPECT_DOUBLE_EQ(37.5, g_ReturnIntermediatePoint[AXIS_Z]);
    EXPECT_EQ(1, g_ReturnIntermediateGiven[AXIS_Z]);
    EXPECT_DOUBLE_EQ(10.0, g_NcTargetPosition.axis[AXIS_Z]);
    g_IncrementalMode = 0;
    Linear("X0.1\n", AXIS_X);
    EXPECT_DOUBLE_EQ((double)0.1f, g_ReturnIntermediatePoint[AXIS_X]);
    g_ReferenceReturnKind = 2;
    g_IncrementalMode = 1;
    Linear("Z1.\n", AXIS_Z);
    EXPECT_DOUBLE_EQ(38.5, g_ReturnFromReferencePoint[AXIS_Z]);
    EXPECT_EQ(1, g_ReturnFromReferenceGiven[AXIS_Z]);
    g_Rotary1Letter = 'A';
    g_ReferenceReturnKind = 1;
    g_IncrementalMode = 0;
    Rotary("A90.\n", AXIS_ROTARY1);
    EXPECT_DOUBLE_EQ(90.0, g_ReturnIntermediatePoint[AXIS_ROTARY1]);
}

TEST_F(CoordinateWordsTest, G10L2WritesTheWorkOffsetEntry)
{
    g_OffsetSettingL = 2;
    g_BlockPNumber = 1;
    Linear("X-100.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(-100.0, g_WorkOffsets[1].axis[AXIS_X]);
    EXPECT_DOUBLE_EQ(-100.0, g_ActiveWorkOffset.axis[AXIS_X]);
    EXPECT_DOUBLE_EQ(100.0, g_NcTargetPosition.axis[AXIS_X]);  // the tool stays at machine X 0
    g_IncrementalMode = 1;
    Linear("X10.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(-90.0, g_WorkOffsets[1].axis[AXIS_X]);
    int position = 0;
    ReadIncrementalAxisWord(&position, "V1.\n", AXIS_Y);
    EXPECT_DOUBLE_EQ(1.0, g_WorkOffsets[1].axis[AXIS_Y]);
    g_Rotary2Letter = 'C';
    g_IncrementalMode = 0;
    Rotary("C45.\n", AXIS_ROTARY2);
    EXPECT_DOUBLE_EQ(45.0, g_WorkOffsets[1].axis[AXIS_ROTARY2]);
    EXPECT_DOUBLE_EQ(45.0, g_ActiveWorkOffset.axis[AXIS_ROTARY2]);
    g_BlockPNumber = 500;  // outside the table: the word is read and dropped
    Linear("X1.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(-90.0, g_WorkOffsets[1].axis[AXIS_X]);
    g_WorkOffsets[1] = AxisPosition{};
}

TEST_F(CoordinateWordsTest, HeidenhainCircleCentreIsScaledPerAxis)
{
    g_DialectHeidenhain = 1;
    g_DialectCode = DIALECT_HEIDENHAIN;
    g_DecimalPointMode = DECIMAL_POINT_NORMAL;
    g_CircleCentreBlock = 1;
    g_ScalingOn = 1;
    g_ScaleFactor[0] = 2.0;
    g_ScaleFactor[1] = 3.0;
    g_ScaleFactor[2] = 1.0;
    g_ScalingCentre[0] = g_ScalingCentre[1] = g_ScalingCentre[2] = 0.0;
    Linear("X1\n", AXIS_X);
    Linear("Y1\n", AXIS_Y);
    EXPECT_DOUBLE_EQ(2.0, g_ArcCentre[AXIS_X]);
    EXPECT_DOUBLE_EQ(3.0, g_ArcCentre[AXIS_Y]);
    g_CircleCentreBlock = 0;
    g_NcCommandedPosition.axis[AXIS_X] = 5.0;
    g_NcCommandedPosition.axis[AXIS_Y] = 1.0;
    ArcCentre("IX+10\n", AXIS_X);
    EXPECT_DOUBLE_EQ(15.0, g_NcTargetPosition.axis[AXIS_X]);
    ArcCentre("IY+2\n", AXIS_X);
    EXPECT_DOUBLE_EQ(3.0, g_NcTargetPosition.axis[AXIS_Y]);
    g_PolarBlock = 1;
    g_PolarAngle = 30.0;
    g_PolarRadius = 5.0;
    ArcCentre("IPA+15\n", AXIS_X);
    ArcCentre("IPR+1\n", AXIS_X);
    EXPECT_DOUBLE_EQ(45.0, g_PolarEndAngle);
    EXPECT_DOUBLE_EQ(6.0, g_PolarRadius);
    EXPECT_DOUBLE_EQ(6.0, g_ArcEndRadius);
    for (double& f : g_ScaleFactor) f = 1.0;
}

TEST_F(CoordinateWordsTest, ScalingAppliesToTargetsButNotToG92)
{
    g_ScalingOn = 1;
    g_ScalingUniform = 1;
    g_ScaleFactorP = 2.0;
    g_ScalingCentre[AXIS_X] = 10.0;
    Linear("X20.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(30.0, g_NcTargetPosition.axis[AXIS_X]);
    EXPECT_DOUBLE_EQ(20.0, g_NcCommandedPosition.axis[AXIS_X]);
    g_LastGCode = 92;
    Linear("X20.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(20.0, g_NcTargetPosition.axis[AXIS_X]);
    g_LastGCode = 0;
    g_ScaleEffect[AXIS_X] = 0;  // "SCALE EFFECT(X)" OFF
    Linear("X20.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(20.0, g_NcTargetPosition.axis[AXIS_X]);
    double value = 4.0;
    ScaleAxisValue(3, &value);  // rotary axes are never scaled
    EXPECT_DOUBLE_EQ(4.0, value);
}

TEST_F(CoordinateWordsTest, LatheDiameterAndOspReturnLevel)
{
    g_MachineLathe = 1;
    g_LatheModeOn = 1;
    Linear("X40.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(20.0, g_NcTargetPosition.axis[AXIS_X]);
    EXPECT_DOUBLE_EQ(40.0, g_NcCommandedPosition.axis[AXIS_X]);
    g_DialectOsp = 1;
    g_DialectCode = DIALECT_OSP;
    g_OspG138Active = 1;  // OSP G138: X is not halved
    Linear("X40.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(40.0, g_NcTargetPosition.axis[AXIS_X]);
    g_OspReturnLevelNext = 1;
    Linear("Z12.\n", AXIS_Z);
    EXPECT_DOUBLE_EQ(12.0, g_CycleReturnLevel);
    EXPECT_EQ(0, g_OspReturnLevelNext);
    EXPECT_DOUBLE_EQ(0.0, g_NcTargetPosition.axis[AXIS_Z]);
}

TEST_F(CoordinateWordsTest, IncrementalLettersIgnoreZeroAndCountOtherwise)
{
    g_NcCommandedPosition.axis[AXIS_X] = 3.0;
    int position = 0;
    ReadIncrementalAxisWord(&position, "U0\n", AXIS_X);
    EXPECT_EQ(0, g_AxisWordGiven[AXIS_X]);
    EXPECT_EQ(0, g_MoveChanged);
    position = 0;
    ReadIncrementalAxisWord(&position, "U2.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(5.0, g_NcTargetPosition.axis[AXIS_X]);
    EXPECT_EQ(1, g_AxisWordGiven[AXIS_X]);
    g_IncrementalMode = 1;  // X0 under G91 counts as an axis word
    g_AxisWordGiven[AXIS_Y] = 0;
    Linear("Y0\n", AXIS_Y);
    EXPECT_EQ(1, g_AxisWordGiven[AXIS_Y]);
    g_LengthOffsetBlock = 1;
    g_LengthOffsetType = 2;  // FANUC-C: the axis word of the G43 block names the length axis
    position = 0;
    ReadIncrementalAxisWord(&position, "V1.\n", AXIS_Y);
    EXPECT_EQ(AXIS_Y, g_ToolAxisIndex);
    g_NcCommandedPosition.axis[AXIS_ROTARY1] = 10.0;
    position = 0;
    ReadIncrementalRotaryWord(&position, "H5.\n", AXIS_ROTARY1);
    EXPECT_DOUBLE_EQ(15.0, g_NcTargetPosition.axis[AXIS_ROTARY1]);
    EXPECT_EQ(1, g_AxisWordGiven[AXIS_ROTARY1]);
}

TEST_F(CoordinateWordsTest, RotaryWordsTurnTheAxis)
{
    g_Rotary1Letter = 'B';
    g_Rotary2Letter = 'C';
    Rotary("B45.\n", AXIS_ROTARY1);
    EXPECT_DOUBLE_EQ(45.0, g_NcTargetPosition.axis[AXIS_ROTARY1]);
    g_Rotary2Reversed = 1;
    Rotary("C30.\n", AXIS_ROTARY2);
    EXPECT_DOUBLE_EQ(-30.0, g_NcTargetPosition.axis[AXIS_ROTARY2]);
    g_Rotary2Reversed = 0;
    g_IncrementalMode = 1;
    Rotary("B5.\n", AXIS_ROTARY1);
    EXPECT_DOUBLE_EQ(50.0, g_NcTargetPosition.axis[AXIS_ROTARY1]);
    EXPECT_EQ(1, g_AxisWordGiven[AXIS_ROTARY1]);
    EXPECT_EQ(1, g_AxisWordGiven[AXIS_ROTARY2]);

    g_IncrementalMode = 0;
    g_LastGCode = 682;  // G68.2: the angle goes to the follow angles; the target keeps its value
    Rotary("B20.\n", AXIS_ROTARY1);
    EXPECT_DOUBLE_EQ(20.0, g_RotaryFollowAngles[0]);
    EXPECT_EQ(1, g_RotaryFollowKind);
    EXPECT_DOUBLE_EQ(50.0, g_NcTargetPosition.axis[AXIS_ROTARY1]);

    g_LastGCode = 53;
    g_MachineCoordinateBlock = 1;
    g_ActiveWorkOffset.axis[AXIS_ROTARY2] = 10.0;
    Rotary("C90.\n", AXIS_ROTARY2);
    EXPECT_DOUBLE_EQ(90.0, g_MachineAxisWords.axis[AXIS_ROTARY2]);
    EXPECT_DOUBLE_EQ(80.0, g_NcTargetPosition.axis[AXIS_ROTARY2]);
    EXPECT_DOUBLE_EQ(80.0, g_ControlPoint.axis[AXIS_ROTARY2]);
}

TEST_F(CoordinateWordsTest, SiemensRotaryWordEndsTheVectorOrientation)
{
    g_DialectSiemens = 1;
    g_Rotary1Letter = 'A';
    g_ToolCentreMode = 2;
    Rotary("A10.\n", AXIS_ROTARY1);
    EXPECT_EQ(1, g_ToolCentreMode);
}

TEST_F(CoordinateWordsTest, PolarAndCylindricalInterpolation)
{
    g_Rotary2Letter = 'C';
    g_PolarInterpolationOn = 1;
    Rotary("C5.\n", AXIS_ROTARY2);
    EXPECT_DOUBLE_EQ(5.0, g_NcTargetPosition.axis[AXIS_Y]);
    EXPECT_EQ(1, g_AxisWordGiven[AXIS_ROTARY2]);
    g_PolarInterpolationOn = 0;

    g_CylindricalInterpolationOn = 1;
    g_PlaneCode = 18;
    g_LastGCode = 107;
    Rotary("C30.\n", AXIS_ROTARY2);
    EXPECT_EQ(1, g_CylindricalInterpolationState);
    EXPECT_DOUBLE_EQ(30.0 * M_PI / 180.0, g_CylinderLengthPerDegree);
    EXPECT_EQ(0, g_CylindricalAxisPlane);
    g_LastGCode = 1;
    Rotary("C90.\n", AXIS_ROTARY2);
    EXPECT_NEAR(47.12, g_NcTargetPosition.axis[AXIS_X], 0.01);
    int position = 0;
    ReadIncrementalRotaryWord(&position, "H-90.\n", AXIS_ROTARY2);
    EXPECT_NEAR(0.0, g_NcTargetPosition.axis[AXIS_X], 1e-9);
    Linear("Z7.\n", AXIS_Z);
    EXPECT_DOUBLE_EQ(7.0, g_NcTargetPosition.axis[AXIS_Z]);
    g_LastGCode = 107;
    Rotary("C0\n", AXIS_ROTARY2);
    EXPECT_EQ(2, g_CylindricalInterpolationState);
    g_CylindricalInterpolationOn = 0;
}

TEST_F(CoordinateWordsTest, ArcCentreWordsAndRadius)
{
    ArcCentre("I5.\n", AXIS_X);
    ArcCentre("J-2.\n", AXIS_Y);
    EXPECT_DOUBLE_EQ(5.0, g_ArcCentreWords[AXIS_X]);
    EXPECT_DOUBLE_EQ(-2.0, g_ArcCentreWords[AXIS_Y]);
    EXPECT_EQ(1, g_IjkGiven);
    EXPECT_EQ(1, g_ArcDefinitionKind);
    g_AxisCodeReversed[AXIS_Z] = 1;
    ArcCentre("K3.\n", AXIS_Z);
    EXPECT_DOUBLE_EQ(-3.0, g_ArcCentreWords[AXIS_Z]);
    g_ScalingOn = 1;
    g_ScaleFactor[AXIS_X] = 2.0;
    ArcCentre("I5.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(10.0, g_ArcCentreWords[AXIS_X]);
    g_ScaleFactor[AXIS_X] = 1.0;
    g_ScalingOn = 0;
    g_LastGCode = 682;
    ArcCentre("J30.\n", AXIS_Y);
    EXPECT_DOUBLE_EQ(30.0, g_TiltedPlaneAngles[AXIS_Y]);
    g_LastGCode = 0;

    int position = 0;
    ReadArcRadiusWord(&position, "-25.\n");
    EXPECT_DOUBLE_EQ(-25.0, g_ArcStartRadius);
    EXPECT_EQ(2, g_ArcDefinitionKind);
}

TEST_F(CoordinateWordsTest, IncrementalArcLettersAccumulate)
{
    g_IncrementalOtherChars[1] = 'Q';  // an "INC-I CHAR" is configured
    ArcCentre("I2.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(2.0, g_IjkAccumulators[AXIS_X]);
    int position = 0;
    ReadIncrementalArcWord(&position, "Q3.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(5.0, g_ArcCentreWords[AXIS_X]);
    position = 0;
    ReadIncrementalArcWord(&position, "Q1.\n", AXIS_X);
    EXPECT_DOUBLE_EQ(6.0, g_ArcCentreWords[AXIS_X]);
    g_IncrementalOtherChars[1] = 0;
}

TEST_F(CoordinateWordsTest, SpindlePositionWord)
{
    int position = 0;
    ReadSpindlePositionWord(&position, "S90.\n");
    EXPECT_DOUBLE_EQ(90.0, g_SpindleAxisPosition);
    g_IncrementalMode = 1;
    position = 0;
    ReadSpindlePositionWord(&position, "S10.\n");
    EXPECT_DOUBLE_EQ(100.0, g_SpindleAxisPosition);
    EXPECT_DOUBLE_EQ(100.0, g_SpindleAxisCommanded);
}

TEST_F(CoordinateWordsTest, PendingCoordinateShiftIsMarkedByTheFirstAxisWord)
{
    g_CoordinateShiftState = 1;
    g_LastGCode = 1;
    Linear("X1.\n", AXIS_X);
    EXPECT_EQ(2, g_CoordinateShiftState);
    g_CoordinateShiftState = 1;
    g_LastGCode = 354;
    Linear("X1.\n", AXIS_X);
    EXPECT_EQ(1, g_CoordinateShiftState);
}

}  // namespace
