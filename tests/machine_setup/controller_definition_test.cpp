// Controller definition reader: a file with every keyword, a second read of the same file, the values
// a read keeps, a missing file, single-line value rules and lines that do not fit their fields.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/controller/work_coordinates.h"
#include "nc/interpreter_state.h"
#include "tests/scoped_temp_folder.h"

namespace {

const std::string kFixtures = std::string(QUMBRA_FIXTURE_DIR) + "/controller/";

void UsePath(const std::string& path)
{
    std::snprintf(g_ControllerFilePath, sizeof g_ControllerFilePath, "%s", path.c_str());
}

// A scratch folder that is also the working folder while a test runs (the wait files are relative).
class ControllerFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch_.path.empty());
        folder_ = scratch_.path;
        ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
        ASSERT_EQ(chdir(folder_.c_str()), 0);
        std::memset(g_FeedTable, 0, sizeof g_FeedTable);
    }
    void TearDown() override
    {
        FreeReplaceRules();
        FreeInMemoryProgramBuffers();
        EXPECT_EQ(chdir(previous_), 0);
    }
    std::string WriteFile(const std::string& name, const std::string& text)
    {
        std::string path = folder_ + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out << text;
        return path;
    }
    ScopedTempFolder scratch_;
    std::string folder_;
    char previous_[4096];
};

std::string ReadFixture(const std::string& name)
{
    std::ifstream in(kFixtures + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

template <typename T>
void Append(std::string* out, const T& value)
{
    out->append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Every setting and table a read fills, as bytes, for comparing two reads.
std::string Snapshot()
{
    std::string s;
    Append(&s, g_ControllerFileStatus);
    s.append(g_ControllerName, (size_t)g_ControllerNameLength);
    Append(&s, g_ControllerNameTextColour); Append(&s, g_ControllerNameBackColour);
    Append(&s, g_CtlViewCentre); Append(&s, g_ViewCentreFromCtl); Append(&s, g_AxisLabelCells);
    Append(&s, g_InputIncrement); Append(&s, g_LengthInputTolerance); Append(&s, g_ScaleInputUnit);
    Append(&s, g_AngleInputUnit); Append(&s, g_DecimalPointSetting);
    Append(&s, g_DialectCode); Append(&s, g_DialectOsp); Append(&s, g_DialectMazak); Append(&s, g_DialectSiemens);
    Append(&s, g_DialectHeidenhain); Append(&s, g_MachineWire); Append(&s, g_MachineLathe);
    Append(&s, g_TclTableCoordinate); Append(&s, g_TclVectorInterpolation); Append(&s, g_ToolCentreModeAtStart);
    Append(&s, g_ZCeCoordinate); Append(&s, g_AngleDecisionFanuc2); Append(&s, g_No60Bit2);
    Append(&s, g_EndOfRecordChar); Append(&s, g_RunFromMemory); Append(&s, g_ReplaceType2);
    if (g_CheckChars != nullptr) s.append(g_CheckChars, (size_t)g_CheckCharsLength);
    Append(&s, g_CheckCharsLength); Append(&s, g_CodeCheck); Append(&s, g_OptionalBlockSkip);
    Append(&s, g_OptionalBlockSkipAny); Append(&s, g_CheckF0); Append(&s, g_ArcRadiusTolerance);
    Append(&s, g_RadiusCheckStop); Append(&s, g_RadiusCheckList); Append(&s, g_RadiusCheckPaint);
    Append(&s, g_RadiusCheckEnabled); Append(&s, g_CheckReverseArc); Append(&s, g_WarningLevel);
    Append(&s, g_InitialPlane); Append(&s, g_FeedrateMode); Append(&s, g_G00Mode); Append(&s, g_G00PathLine);
    Append(&s, g_SmoothAngle); Append(&s, g_ConcaveArcFeedAdjust); Append(&s, g_G92Mode);
    Append(&s, g_RotationAngleSetting); Append(&s, g_ScaleFactor); Append(&s, g_ScaleEffect);
    Append(&s, g_CycleReturnInitial); Append(&s, g_PeckReturnG83); Append(&s, g_PeckReturnG73);
    Append(&s, g_CycleClearance); Append(&s, g_CycleL0Ignore); Append(&s, g_CycleK0Ignore);
    Append(&s, g_SpindleControl); Append(&s, g_SpindleControlCode);
    Append(&s, g_ToolOffsetMemoryType); Append(&s, g_LengthOffsetType); Append(&s, g_CompensationCancelMode);
    Append(&s, g_G49Mode); Append(&s, g_DCodeValueAuto); Append(&s, g_HCodeValueAuto);
    Append(&s, g_AutomaticToolOffset); Append(&s, g_AutoLengthOffset); Append(&s, g_AutoLengthPosition);
    Append(&s, g_AxisChars); Append(&s, g_ArcCentreLetters); Append(&s, g_AxisCodeReversed);
    Append(&s, g_RotaryCodeReversed); Append(&s, g_IncrementalAxisChars); Append(&s, g_IncrementalOtherChars);
    Append(&s, g_PlaneCodes); Append(&s, g_AxisOrderFirst); Append(&s, g_AxisOrderSecond);
    Append(&s, g_AxisOrderNormal); Append(&s, g_MachineAxisLetters); Append(&s, g_Rotary1Letter);
    Append(&s, g_Rotary2Letter); Append(&s, g_Rotary1Direction); Append(&s, g_Rotary2Direction);
    Append(&s, g_Rotary1Reversed); Append(&s, g_Rotary2Reversed);
    s.append(g_Rotary1LockCode, (size_t)g_Rotary1LockCodeLength);
    s.append(g_Rotary1UnlockCode, (size_t)g_Rotary1UnlockCodeLength);
    s.append(g_Rotary2LockCode, (size_t)g_Rotary2LockCodeLength);
    s.append(g_Rotary2UnlockCode, (size_t)g_Rotary2UnlockCodeLength);
    Append(&s, g_Rotary1ShortestSetting); Append(&s, g_Rotary1Shortest); Append(&s, g_Rotary2ShortestSetting);
    Append(&s, g_Rotary2Shortest); Append(&s, g_Rotary1Range); Append(&s, g_Rotary2Range);
    Append(&s, g_Rotary1RangeGiven); Append(&s, g_Rotary2RangeGiven);
    Append(&s, g_StopMode); Append(&s, g_StopPatternCount);
    s.append(&g_StopPatterns[0][0], (size_t)g_StopPatternCount * STOP_PATTERN_SIZE);
    Append(&s, g_WaitMCodeCount);
    for (int k = 0; k < g_WaitMCodeCount; ++k) {
        Append(&s, g_WaitMCodes[k]);
        Append(&s, g_WaitFileNames[k]);
    }
    for (int u = 0; u < 2; ++u) {
        s.append(g_LatheOnCodes[u], (size_t)g_LatheOnCodeLengths[u]);
        s.append(g_LatheOffCodes[u], (size_t)g_LatheOffCodeLengths[u]);
    }
    s.append(g_CutOnCode, (size_t)g_CutOnCodeLength);
    s.append(g_CutOffCode, (size_t)g_CutOffCodeLength);
    Append(&s, g_CuttingOnAtStart);
    Append(&s, g_ReplaceRules.count);
    for (int k = 0; k < g_ReplaceRules.count; ++k) {
        s.append(g_ReplaceRules.fromText[k], (size_t)g_ReplaceRules.fromLength[k]);
        s += '|';
        s.append(g_ReplaceRules.toText[k], (size_t)g_ReplaceRules.toLength[k]);
    }
    Append(&s, g_ToolOffsetD); Append(&s, g_ToolOffsetD2); Append(&s, g_ToolOffsetH); Append(&s, g_ToolOffsetH2);
    Append(&s, g_FeedTable); Append(&s, g_WorkOffsets); Append(&s, g_ReferencePointGiven);
    for (int k = 0; k < REFERENCE_POINT_COUNT; ++k) {
        if (g_ReferencePointGiven[k]) Append(&s, g_ReferencePoints[k]);
    }
    Append(&s, g_PlaneCode); Append(&s, g_PlaneAxis1); Append(&s, g_PlaneAxis2); Append(&s, g_PlaneNormalAxis);
    Append(&s, g_ToolAxisIndex); Append(&s, g_ToolCentreMode); Append(&s, g_LatheModeOn);
    Append(&s, g_CutCodeState); Append(&s, g_WorkOffsetIndex); Append(&s, g_StartWorkOffset);
    Append(&s, g_ActiveWorkOffset);
    s += g_MemorySubprogramNumbers != nullptr ? 'N' : '-';
    s += g_MemorySubprogramNames != nullptr ? 'O' : '-';
    return s;
}

}  // namespace

TEST_F(ControllerFileTest, EveryKeywordGivesItsValue)
{
    std::string done = WriteFile("done1", "x");
    UsePath(kFixtures + "full.ctl");
    ReadControllerFile();
    ASSERT_EQ(g_ControllerFileStatus, 1);
    EXPECT_FALSE(std::ifstream(done).good());  // the wait file of M100 was deleted

    EXPECT_EQ(std::string(g_ControllerName, (size_t)g_ControllerNameLength), "TEST CONTROL 5AX");
    EXPECT_EQ(g_ReplaceType2, 1);
    ASSERT_EQ(g_ReplaceRules.count, 2);
    EXPECT_EQ(std::string(g_ReplaceRules.fromText[1], 3), "M6\"");
    EXPECT_EQ(g_ReplaceRules.toLength[1], 0);
    const int text[3] = {10, 20, 30}, back[3] = {40, 50, 60};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(g_ControllerNameTextColour[k], text[k]);
        EXPECT_EQ(g_ControllerNameBackColour[k], back[k]);
    }
    EXPECT_EQ(g_ScaleInputUnit, 100000);
    EXPECT_EQ(g_AngleInputUnit, 100000);
    EXPECT_EQ(g_InputIncrement, 10000);
    EXPECT_EQ(g_LengthInputTolerance, 0.00005);
    EXPECT_EQ(g_DecimalPointSetting, 1);
    EXPECT_EQ(g_DialectSiemens, 1);
    EXPECT_EQ(g_DialectCode, 0);
    EXPECT_EQ(g_CompensationCancelMode, 2);
    EXPECT_EQ(g_InitialPlane, 18);
    EXPECT_EQ(g_CycleReturnInitial, 0);
    EXPECT_EQ(g_CheckF0, 1);
    EXPECT_EQ(g_ArcRadiusTolerance, 0.05f);
    EXPECT_EQ(g_CodeCheck, 1);
    ASSERT_NE(g_CheckChars, nullptr);
    EXPECT_STREQ(g_CheckChars, "GXYZ0123456789.");
    EXPECT_EQ(g_CheckCharsLength, 15);
    EXPECT_EQ(g_RadiusCheckStop, 1);
    EXPECT_EQ(g_RadiusCheckList, 2);
    EXPECT_EQ(g_RadiusCheckPaint, 1);
    EXPECT_EQ(g_RadiusCheckEnabled, 1);
    EXPECT_EQ(g_CheckReverseArc, 1);
    EXPECT_EQ(g_SmoothAngle, 5.5f);
    EXPECT_EQ(g_WarningLevel, 3);
    EXPECT_EQ(g_FeedrateMode, 1);
    EXPECT_EQ(g_ToolOffsetMemoryType, 2);  // "TOOL OFFSET MEMORY" B after "G10MODE" FANUC-A
    EXPECT_EQ(g_G92Mode, 1);
    EXPECT_EQ(g_G49Mode, 1);
    EXPECT_EQ(g_G00Mode, 0);
    EXPECT_EQ(g_G00PathLine, 1);
    for (int n = 0; n < OPTIONAL_BLOCK_SKIP_COUNT; ++n) EXPECT_EQ(g_OptionalBlockSkip[n], n == 2 || n == 5) << n;
    EXPECT_EQ(g_OptionalBlockSkipAny, 1);
    ASSERT_EQ(g_StopPatternCount, 3);
    EXPECT_STREQ(g_StopPatterns[0], "M00X");
    EXPECT_STREQ(g_StopPatterns[1], "STOPHERE");
    EXPECT_STREQ(g_StopPatterns[2], "M30");
    EXPECT_EQ(std::string(g_LatheOnCodes[0], (size_t)g_LatheOnCodeLengths[0]), "M150");
    EXPECT_EQ(std::string(g_LatheOffCodes[0], (size_t)g_LatheOffCodeLengths[0]), "M151");
    EXPECT_EQ(std::string(g_LatheOnCodes[1], (size_t)g_LatheOnCodeLengths[1]), "M250");
    EXPECT_EQ(std::string(g_LatheOffCodes[1], (size_t)g_LatheOffCodeLengths[1]), "M251");
    EXPECT_EQ(std::string(g_CutOnCode, (size_t)g_CutOnCodeLength), "M200");
    EXPECT_EQ(std::string(g_CutOffCode, (size_t)g_CutOffCodeLength), "M201");
    EXPECT_EQ(g_CutCodeState, 0);
    EXPECT_EQ(g_CuttingOnAtStart, 0);
    EXPECT_EQ(g_ConcaveArcFeedAdjust, 0);
    EXPECT_EQ(g_StopMode, 4);
    ASSERT_EQ(g_WaitMCodeCount, 2);
    EXPECT_EQ(g_WaitMCodes[0], 100);
    EXPECT_STREQ(g_WaitFileNames[0], "done1");
    EXPECT_EQ(g_WaitMCodes[1], 101);
    EXPECT_STREQ(g_WaitFileNames[1], "waitfile");
    EXPECT_EQ(g_PeckReturnG73, 0.7);
    EXPECT_EQ(g_PeckReturnG83, 0.6);
    for (int k = 0; k < CYCLE_CLEARANCE_COUNT; ++k) {
        double expected = k == 11 ? 2.5 : (k == 6 ? 1.25 : 0.0);
        EXPECT_EQ(g_CycleClearance[k], expected) << "G" << 70 + k;
    }
    EXPECT_EQ(g_CycleL0Ignore, 1);
    EXPECT_EQ(g_CycleK0Ignore, 1);
    EXPECT_EQ(g_SpindleControl, 1);
    EXPECT_EQ(g_SpindleControlCode, 'S');
    EXPECT_EQ(g_ScaleEffect[0], 1);
    EXPECT_EQ(g_ScaleEffect[1], 0);
    EXPECT_EQ(g_ScaleEffect[2], 1);
    EXPECT_EQ(g_ScaleFactor[0], 2.0);
    EXPECT_EQ(g_ScaleFactor[1], 0.5);
    EXPECT_EQ(g_ScaleFactor[2], 3.0);
    EXPECT_EQ(g_RotationAngleSetting, 15.0);
    EXPECT_EQ(g_LengthOffsetType, 1);
    EXPECT_EQ(g_AxisCodeReversed[0], 0);
    EXPECT_EQ(g_AxisCodeReversed[2], 1);
    EXPECT_EQ(g_RotaryCodeReversed[0], 0);
    EXPECT_EQ(g_RotaryCodeReversed[1], 1);
    EXPECT_EQ(g_RotaryCodeReversed[2], 0);
    EXPECT_EQ(g_ToolOffsetD[5], 2.5f);
    EXPECT_EQ(g_ToolOffsetD2[5], 0.5f);
    EXPECT_EQ(g_ToolOffsetH[12], 150.25f);
    EXPECT_EQ(g_FeedTable[3], 1500.0f);
    EXPECT_EQ(g_WorkOffsets[0].axis[2], -5.0);
    EXPECT_EQ(g_WorkOffsets[150].axis[2], 3.0);
    EXPECT_EQ(g_WorkOffsets[2].axis[1], -20.5);
    EXPECT_EQ(g_ReferencePointGiven[1], 1);
    EXPECT_EQ(g_ReferencePoints[1][2], 500.0f);
    EXPECT_EQ(g_EndOfRecordChar, '%');
    EXPECT_EQ(g_MachineWire, 1);
    EXPECT_EQ(g_ZCeCoordinate, 1);
    EXPECT_EQ(g_AutoLengthOffset, 1);
    EXPECT_EQ(g_AutoLengthPosition, 2);
    EXPECT_EQ(g_DCodeValueAuto, 1);
    EXPECT_EQ(g_HCodeValueAuto, 1);
    EXPECT_EQ(g_AutomaticToolOffset, 1);
    EXPECT_EQ(g_TclVectorInterpolation, 1);
    EXPECT_EQ(g_TclTableCoordinate, 0);  // "TABLE" after "PRODUCT" "SIEMENS"
    EXPECT_EQ(g_ToolCentreMode, 2);
    EXPECT_EQ(g_ToolCentreModeAtStart, 2);
    EXPECT_EQ(g_Rotary1Letter, 'B');
    EXPECT_EQ(g_Rotary2Letter, 'C');
    EXPECT_EQ(g_Rotary1Reversed, 1);  // rotary 1 is B, and "B-CODE" is "-B"
    EXPECT_EQ(g_Rotary2Reversed, 0);
    EXPECT_EQ(std::string(g_Rotary1LockCode, (size_t)g_Rotary1LockCodeLength), "M10");
    EXPECT_EQ(std::string(g_Rotary1UnlockCode, (size_t)g_Rotary1UnlockCodeLength), "M11");
    EXPECT_EQ(std::string(g_Rotary2LockCode, (size_t)g_Rotary2LockCodeLength), "M12");
    EXPECT_EQ(std::string(g_Rotary2UnlockCode, (size_t)g_Rotary2UnlockCodeLength), "M13");
    EXPECT_EQ(std::string(g_IncrementalAxisChars, 4), "UVWG");
    EXPECT_EQ(std::string(g_IncrementalOtherChars, 4), "EPQR");
    EXPECT_EQ(g_Rotary1Shortest, 1);
    EXPECT_EQ(g_Rotary1ShortestSetting, 1);
    EXPECT_EQ(g_Rotary2Shortest, 1);
    EXPECT_EQ(g_Rotary1Direction, -1);
    EXPECT_EQ(g_Rotary2Direction, 1);
    EXPECT_EQ(g_Rotary1Range[0], -120.0);
    EXPECT_EQ(g_Rotary1Range[1], 30.0);
    EXPECT_EQ(g_Rotary2Range[0], -360.0);
    EXPECT_EQ(g_Rotary2Range[1], 360.0);
    EXPECT_EQ(g_Rotary1RangeGiven, 1);
    EXPECT_EQ(g_Rotary2RangeGiven, 1);
    EXPECT_EQ(g_AngleDecisionFanuc2, 1);
    EXPECT_EQ(g_RunFromMemory, 1);
    EXPECT_NE(g_MemorySubprogramNumbers, nullptr);
    EXPECT_NE(g_MemorySubprogramLengths, nullptr);
    EXPECT_EQ(g_MemorySubprogramNames, nullptr);  // only for OSP
    EXPECT_EQ(g_ViewCentreFromCtl, 1);
    EXPECT_EQ(g_CtlViewCentre[2], 30.0);
    EXPECT_EQ(g_No60Bit2, 1);
    EXPECT_EQ(g_ToolOffsetD[7], 1.25f);
    EXPECT_EQ(g_ToolOffsetH[8], 99.5f);
    EXPECT_EQ(g_ToolOffsetH2[8], 0.5f);
    EXPECT_EQ(g_FeedTable[4], 2500.0f);

    // Derived after reading: labels, plane codes (Z reversed), plane ZX seen reversed, the tool axis
    // along the plane normal (FANUC-B), the active work offset (G54 with the external offset).
    const char labels[5][3] = {"\tX", "\tY", "\tZ", "\tB", "\tC"};
    for (int k = 0; k < 5; ++k) EXPECT_STREQ(g_AxisLabelCells[k], labels[k]);
    EXPECT_EQ(g_PlaneCodes[0], 17);
    EXPECT_EQ(g_PlaneCodes[1], -18);
    EXPECT_EQ(g_PlaneCodes[2], -19);
    EXPECT_EQ(g_PlaneCode, -18);
    EXPECT_EQ(g_PlaneNormalAxis, 1);
    EXPECT_EQ(g_ToolAxisIndex, 1);
    EXPECT_EQ(g_WorkOffsetIndex, 1);
    EXPECT_EQ(g_ActiveWorkOffset.axis[2], -5.0);
}

TEST_F(ControllerFileTest, ReadingTwiceGivesTheSameTables)
{
    UsePath(kFixtures + "full.ctl");
    ReadControllerFile();
    std::string first = Snapshot();
    ReadControllerFile();
    EXPECT_EQ(Snapshot(), first);
    EXPECT_EQ(g_ReplaceRules.count, 2);

    // The same file with CR LF line ends reads the same.
    std::string text = ReadFixture("full.ctl");
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    UsePath(WriteFile("crlf.ctl", crlf));
    ReadControllerFile();
    EXPECT_EQ(Snapshot(), first);
}

TEST_F(ControllerFileTest, RotaryRangesOfAbsurdMagnitudeAreRefused)
{
    UsePath(WriteFile("range.ctl", "ROTARY1 RANGE= -100000000000000000000, -100000000000000000000\nROTARY2 RANGE= -360, 360\n"));
    ReadControllerFile();
    ASSERT_EQ(g_ControllerFileStatus, 1);
    EXPECT_EQ(g_Rotary1RangeGiven, 0);
    EXPECT_EQ(g_Rotary2RangeGiven, 1);
    EXPECT_EQ(g_Rotary2Range[0], -360.0);
}

TEST_F(ControllerFileTest, ReadKeepsOnlyTheMarkedValues)
{
    UsePath(kFixtures + "full.ctl");
    ReadControllerFile();
    UsePath(WriteFile("small.ctl", "FEEDRATE= AUTO1\n"));
    ReadControllerFile();
    ASSERT_EQ(g_ControllerFileStatus, 1);
    // Kept from the first file.
    EXPECT_EQ(std::string(g_ControllerName, (size_t)g_ControllerNameLength), "TEST CONTROL 5AX");
    EXPECT_EQ(g_ArcRadiusTolerance, 0.05f);
    EXPECT_EQ(g_SmoothAngle, 5.5f);
    EXPECT_EQ(g_CtlViewCentre[0], 10.0);
    EXPECT_EQ(g_Rotary1Range[0], -120.0);
    EXPECT_EQ(g_FeedTable[3], 1500.0f);
    EXPECT_EQ(g_FeedTable[4], 2500.0f);
    // Everything else back at its default.
    EXPECT_EQ(g_FeedrateMode, 2);
    EXPECT_EQ(g_ViewCentreFromCtl, 0);
    EXPECT_EQ(g_Rotary1RangeGiven, 0);
    EXPECT_EQ(g_ReplaceRules.count, 0);
    EXPECT_EQ(g_ReplaceType2, 0);
    EXPECT_EQ(g_ToolOffsetD[5], 0.0f);
    EXPECT_EQ(g_ToolOffsetH[8], 0.0f);
    EXPECT_EQ(g_WorkOffsets[150].axis[2], 0.0);
    EXPECT_EQ(g_ReferencePointGiven[1], 0);
    EXPECT_EQ(g_CheckChars, nullptr);
    EXPECT_EQ(g_StopPatternCount, 0);
    EXPECT_EQ(g_WaitMCodeCount, 0);
    EXPECT_EQ(g_CutOnCodeLength, 0);
    EXPECT_EQ(g_CuttingOnAtStart, 1);
    EXPECT_EQ(g_CutCodeState, 1);
    EXPECT_EQ(g_Rotary1Direction, 1);
    EXPECT_EQ(g_Rotary1Letter, ' ');
    EXPECT_EQ(g_TclTableCoordinate, 1);
    EXPECT_EQ(g_ToolCentreMode, 0);
    EXPECT_EQ(g_ToolOffsetMemoryType, 3);
    EXPECT_EQ(g_InputIncrement, 1000);
    EXPECT_EQ(g_EndOfRecordChar, ' ');
    EXPECT_EQ(g_RunFromMemory, 0);
    EXPECT_EQ(g_MemorySubprogramNumbers, nullptr);
    EXPECT_EQ(g_PlaneCodes[1], 18);
    EXPECT_EQ(g_InitialPlane, 17);
    EXPECT_EQ(g_PlaneCode, 18);  // the plane is not reset; the ZX plane is no longer reversed
    EXPECT_EQ(g_ToolAxisIndex, 2);
}

TEST_F(ControllerFileTest, MissingFileLeavesTheDefaults)
{
    UsePath(kFixtures + "full.ctl");
    ReadControllerFile();
    g_ActiveWorkOffset.axis[0] = 123.0;  // steps after reading do not run
    ResetControllerSettings();
    std::string defaults = Snapshot();
    g_ActiveWorkOffset.axis[0] = 123.0;
    UsePath(kFixtures + "does_not_exist.ctl");
    ReadControllerFile();
    EXPECT_EQ(g_ControllerFileStatus, -1);
    // Everything but the status (the first value) equals the reset values.
    EXPECT_EQ(Snapshot().substr(sizeof(int)), defaults.substr(sizeof(int)));
    EXPECT_EQ(g_ActiveWorkOffset.axis[0], 123.0);
    EXPECT_EQ(g_ReplaceRules.count, 0);
    EXPECT_EQ(g_ToolOffsetMemoryType, 3);
    EXPECT_EQ(g_StopMode, 0);
    EXPECT_EQ(g_WarningLevel, 1);
    EXPECT_EQ(g_PeckReturnG83, 0.1);

    UsePath(folder_);  // a folder is no controller file
    ReadControllerFile();
    EXPECT_EQ(g_ControllerFileStatus, -1);
    // A path written with "\" separators names the same file.
    std::string path = WriteFile("back.ctl", "WARNING LEVEL= 4\n");
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    UsePath(path);
    ReadControllerFile();
    EXPECT_EQ(g_ControllerFileStatus, 1);
    EXPECT_EQ(g_WarningLevel, 4);
}

TEST_F(ControllerFileTest, DialectsAdjustAfterReading)
{
    UsePath(kFixtures + "heidenhain.ctl");
    ReadControllerFile();
    EXPECT_EQ(g_DialectHeidenhain, 1);
    EXPECT_EQ(g_DialectCode, 11);
    EXPECT_EQ(g_EndOfRecordChar, ' ');
    EXPECT_EQ(g_DecimalPointSetting, 3);

    UsePath(kFixtures + "osp_memory.ctl");
    ReadControllerFile();
    EXPECT_EQ(g_DialectCode, 1);
    EXPECT_EQ(g_WorkOffsetIndex, 0);
    EXPECT_EQ(g_StartWorkOffset, 0);
    ASSERT_NE(g_MemorySubprogramNames, nullptr);
    for (int k = 0; k < MEMORY_SUBPROGRAM_NAMES_SIZE; ++k) ASSERT_EQ(g_MemorySubprogramNames[k], 0);
    // Index 0: the external offset alone is active.
    EXPECT_EQ(g_ActiveWorkOffset.axis[0], 1.0);
    EXPECT_EQ(g_WorkOffsets[1].axis[0], 10.0);

    UsePath(WriteFile("empty.ctl", ""));
    ReadControllerFile();
    EXPECT_EQ(g_ControllerFileStatus, 1);
    EXPECT_EQ(g_MemorySubprogramNames, nullptr);
    EXPECT_EQ(g_PlaneCodes[0], 17);
    EXPECT_EQ(g_ToolAxisIndex, 2);
    EXPECT_EQ(g_WorkOffsetIndex, 1);
}

TEST_F(ControllerFileTest, TheThousandAndFirstRuleIsIgnored)
{
    std::string text;
    for (int k = 0; k < 1001; ++k) text += "REPLACE \"T" + std::to_string(k) + "\" \"U\"\n";
    UsePath(WriteFile("rules.ctl", text));
    ReadControllerFile();
    ASSERT_EQ(g_ReplaceRules.count, 1000);
    EXPECT_EQ(std::string(g_ReplaceRules.fromText[999], (size_t)g_ReplaceRules.fromLength[999]), "T999");
    ReadControllerFile();
    EXPECT_EQ(g_ReplaceRules.count, 1000);
}

// Single lines on top of the defaults.
TEST(ControllerLines, ValueWordsAndNumbers)
{
    struct Case {
        const char* line;
        const int* value;
        int expected;
    };
    const Case cases[] = {
        {"DECIMAL POINT= NORMAL\n", &g_DecimalPointSetting, 3},
        {"DECIMAL POINT= NOT\n", &g_DecimalPointSetting, 0},
        {"DECIMAL POINT= MAYBE\n", &g_DecimalPointSetting, 2},
        {"decimal point=yes\n", &g_DecimalPointSetting, 1},
        {"RETURN LEVEL= RAPID\n", &g_CycleReturnInitial, 0},
        {"RETURN LEVEL= G98\n", &g_CycleReturnInitial, 1},
        {"TOOL OFFSET MEMORY= b\n", &g_ToolOffsetMemoryType, 3},
        {"TOOL OFFSET MEMORY= A\n", &g_ToolOffsetMemoryType, 1},
        {"G10MODE= FANUC-B\n", &g_ToolOffsetMemoryType, 2},
        {"UNIT= 1/10000\n", &g_InputIncrement, 10000},
        {"UNIT= .01\n", &g_InputIncrement, 100},
        {"UNIT= 1/5\n", &g_InputIncrement, 1000},
        {"UNIT (1/10000)\n", &g_InputIncrement, 1000},
        {"UNIT(SCALE)= 1/10000\n", &g_ScaleInputUnit, 1000},
        {"UNIT(DEG)= .00001\n", &g_AngleInputUnit, 100000},
        {"FEEDRATE= AUTO2\n", &g_FeedrateMode, 3},
        {"FEEDRATE= SOMETIMES\n", &g_FeedrateMode, 0},
        {"STOP OPTION= M01\n", &g_StopMode, 2},
        {"LENGTH OFFSET TYPE= FANUC-C\n", &g_LengthOffsetType, 2},
        {"AUTO LENGTH POSITION= R-HEIGHT\n", &g_AutoLengthPosition, 3},
        {"WARNING LEVEL= 0\n", &g_WarningLevel, 0},
        {"NO60_BIT2= 2\n", &g_No60Bit2, 0},
        {"REPLACE TYPE 2\n", &g_ReplaceType2, 1},
        {"REPLACE TYPE= 1\n", &g_ReplaceType2, 0},
        {"INITIAL PLANE= G19\n", &g_InitialPlane, 19},
        {"ONLY G40= OFFSET\n", &g_CompensationCancelMode, 1},
    };
    for (const Case& c : cases) {
        ResetControllerSettings();
        ApplyControllerLine(c.line);
        EXPECT_EQ(*c.value, c.expected) << c.line;
    }
    ResetControllerSettings();
    ApplyControllerLine("# MEMORY D01= 5\n");  // no comment syntax, but no keyword either
    EXPECT_EQ(g_ToolOffsetD[1], 0.0f);
    ApplyControllerLine("UNIT= 0.0001\n");
    EXPECT_EQ(g_LengthInputTolerance, 0.00005);

    ResetControllerSettings();
    ApplyControllerLine("OPTIONAL BLOCK SKIP\n");  // the line end reads as 0, which counts as 1
    EXPECT_EQ(g_OptionalBlockSkip[1], 1);
    EXPECT_EQ(g_OptionalBlockSkipAny, 1);

    ResetControllerSettings();
    ApplyControllerLine("CHECK RADIUS OFFSET= STOP+OPEN\n");
    EXPECT_EQ(g_RadiusCheckStop, 1);
    EXPECT_EQ(g_RadiusCheckList, 2);
    EXPECT_EQ(g_RadiusCheckPaint, 0);
    EXPECT_EQ(g_RadiusCheckEnabled, 1);

    ResetControllerSettings();
    ApplyControllerLine("G81 CLEARANCE 2.5\n");
    ApplyControllerLine("G82 DWELL 3\n");
    ApplyControllerLine("G91 CLEARANCE 7\n");  // no G91 entry
    for (int k = 0; k < CYCLE_CLEARANCE_COUNT; ++k) EXPECT_EQ(g_CycleClearance[k], k == 11 ? 2.5 : 0.0);

    ResetControllerSettings();
    ApplyControllerLine("TYPE= LATHE\n");
    EXPECT_EQ(g_InitialPlane, 18);
    EXPECT_EQ(g_PlaneCode, 18);
    EXPECT_EQ(g_LatheModeOn, 1);
    ApplyControllerLine("INITIAL PLANE= XY\n");
    EXPECT_EQ(g_InitialPlane, 17);
    EXPECT_EQ(g_PlaneCode, 17);

    ResetControllerSettings();
    ApplyControllerLine("X-CODE= Y\n");
    EXPECT_EQ(g_MachineAxisLetters[1], 'X');
    EXPECT_EQ(g_ArcCentreLetters[1], 'I');
    ApplyControllerLine("CHAR(Y)= Q\n");  // a later CHAR line overwrites the routed letter
    EXPECT_EQ(g_MachineAxisLetters[1], 'Q');
    EXPECT_EQ(g_AxisChars[1], 'Q');

    ResetControllerSettings();
    ApplyControllerLine("SCALE EFFECT(z)= off\n");
    ApplyControllerLine("SCALE EFFECT(W)= OFF\n");
    EXPECT_EQ(g_ScaleEffect[2], 0);
    EXPECT_EQ(g_ScaleEffect[0] + g_ScaleEffect[1], 2);

    ResetControllerSettings();
    ApplyControllerLine("CUT OFF CODE= M9\n");
    ApplyControllerLine("CUT ON CODE= M8\n");  // an OFF code was read first: cutting starts on
    EXPECT_EQ(g_CuttingOnAtStart, 1);
    EXPECT_EQ(g_CutCodeState, 1);

    ResetControllerSettings();
    ApplyControllerLine("WAIT M-CODE= M100, 7 , name2 \n");
    ASSERT_EQ(g_WaitMCodeCount, 1);  // a name before the first number is passed over
    EXPECT_EQ(g_WaitMCodes[0], 7);
    EXPECT_STREQ(g_WaitFileNames[0], "name2");
}

TEST(ControllerLines, PlaneCodesFromRoutedAndReversedLetters)
{
    ResetControllerSettings();
    ComputePlaneCodesFromAxisChars();
    EXPECT_EQ(g_PlaneCodes[0], 17);
    EXPECT_EQ(g_PlaneCodes[1], 18);
    EXPECT_EQ(g_PlaneCodes[2], 19);
    EXPECT_EQ(g_AxisOrderNormal, 2);

    // Program X drives machine Y and program Y machine X: machine XY is G17 seen reversed.
    ApplyControllerLine("X-CODE= Y\n");
    ApplyControllerLine("Y-CODE= X\n");
    ComputePlaneCodesFromAxisChars();
    EXPECT_EQ(g_PlaneCodes[0], -17);
    EXPECT_EQ(g_AxisOrderFirst, 0);
    EXPECT_EQ(g_AxisOrderNormal, 2);

    // Program Z drives machine Y and program Y machine Z: G17 (program X, Y) lands on machine ZX,
    // seen reversed.
    ResetControllerSettings();
    ApplyControllerLine("Z-CODE= Y\n");
    ApplyControllerLine("Y-CODE= Z\n");
    ComputePlaneCodesFromAxisChars();
    EXPECT_EQ(g_PlaneCodes[0], -18);
    EXPECT_EQ(g_PlaneCodes[1], -17);
    EXPECT_EQ(g_PlaneCodes[2], -19);
    EXPECT_EQ(g_AxisOrderFirst, 2);
    EXPECT_EQ(g_AxisOrderSecond, 0);
    EXPECT_EQ(g_AxisOrderNormal, 1);
    g_PlaneCode = 17;
    SelectPlane();
    EXPECT_EQ(g_PlaneCode, -18);
    EXPECT_EQ(g_PlaneNormalAxis, 1);

    // Reversing X flips the sign of the two planes that contain machine X.
    ResetControllerSettings();
    ApplyControllerLine("X-CODE= -X\n");
    ComputePlaneCodesFromAxisChars();
    EXPECT_EQ(g_PlaneCodes[0], -17);
    EXPECT_EQ(g_PlaneCodes[1], -18);
    EXPECT_EQ(g_PlaneCodes[2], 19);
    ResetControllerSettings();
    ComputePlaneCodesFromAxisChars();
}

// Values longer than their fields, more entries than the tables hold and over-long lines are refused
// or cut without writing past any field.
TEST_F(ControllerFileTest, OversizedValuesStayInTheirFields)
{
    std::string text;
    text += "NAME(MAX20)= " + std::string(3000, 'N') + "\n";
    text += "ROTARY1 LOCK= " + std::string(40, 'L') + "\n";
    text += "ROTARY2 LOCK= M" + std::string(30, '1') + "\n";  // 31 characters fit
    text += "LATHE ON CODE= " + std::string(21, 'C') + "\n";
    text += "LATHE2 OFF CODE= " + std::string(20, 'D') + "\n";
    text += "CUT ON CODE= " + std::string(33, 'K') + "\n";
    text += "STOP CHARACTER= A1234567890 B123456789 C12345678";
    for (int k = 0; k < 30; ++k) text += " W" + std::to_string(k);
    text += "\n";
    text += "WAIT M-CODE= 1,averyveryverylongname,2,shortname";
    for (int k = 3; k < 40; ++k) text += "," + std::to_string(k);
    text += "\n";
    text += "OPTIONAL BLOCK SKIP= 12,-3,9\n";
    text += "CHECK CHAR= \"unclosed\n";
    text += "EOR\n";
    text += "LATHE3 ON CODE= M1\n";
    text += "MEMORY WK9999= (1,2,3,4,5)\n";
    text += "D" + std::string(2000, '9') + "=1\n";
    text += "ROTARY1 CHAR=\n";
    text += "NAME COLOR= 1e300,-1e300,nan,3,4,5\n";
    text += "SPINDLE CONTROL= ";  // last line without a line end
    UsePath(WriteFile("limits.ctl", text));
    ReadControllerFile();
    ASSERT_EQ(g_ControllerFileStatus, 1);
    EXPECT_EQ(g_ControllerNameLength, CONTROLLER_NAME_MAX);
    EXPECT_EQ(std::string(g_ControllerName), std::string(20, 'N'));
    EXPECT_EQ(g_Rotary1LockCodeLength, 0);
    EXPECT_EQ(g_Rotary2LockCodeLength, 31);
    EXPECT_EQ(g_LatheOnCodeLengths[0], 0);
    EXPECT_EQ(g_LatheOffCodeLengths[1], 20);
    EXPECT_EQ(g_CutOnCodeLength, 0);
    EXPECT_EQ(g_CuttingOnAtStart, 1);
    EXPECT_EQ(g_StopPatternCount, STOP_PATTERN_SLOTS);
    EXPECT_STREQ(g_StopPatterns[0], "C12345678");  // words of 10 characters or more are refused
    EXPECT_STREQ(g_StopPatterns[1], "W0");
    EXPECT_STREQ(g_StopPatterns[19], "W18");
    EXPECT_EQ(g_WaitMCodeCount, WAIT_MCODE_MAX);
    EXPECT_STREQ(g_WaitFileNames[0], "waitfile");
    EXPECT_STREQ(g_WaitFileNames[1], "shortname");
    EXPECT_EQ(g_WaitMCodes[19], 20);
    EXPECT_EQ(g_OptionalBlockSkip[1], 1);
    EXPECT_EQ(g_OptionalBlockSkip[9], 1);
    EXPECT_EQ(g_CheckChars, nullptr);
    EXPECT_EQ(g_EndOfRecordChar, ' ');
    EXPECT_EQ(g_LatheOnCodeLengths[1], 0);
    EXPECT_EQ(g_Rotary1Letter, ' ');
    EXPECT_EQ(g_ControllerNameTextColour[0], 2147483647);
    EXPECT_EQ(g_ControllerNameTextColour[1], -2147483647 - 1);
    EXPECT_EQ(g_SpindleControl, 0);
    for (int k = 0; k < WORK_OFFSET_COUNT; ++k) ASSERT_EQ(g_WorkOffsets[k].axis[0], 0.0);
}
