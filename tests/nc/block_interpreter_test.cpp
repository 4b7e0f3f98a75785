// The block pass: word order, the letter chain and where a scan ends, plain words (T, K, F, D, H, P,
// Q, L, R by context, comments), the dialect ";" rule, and the refusal of table indices outside
// their tables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "block_test_support.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "nc/block_state.h"
#include "nc/nc_words.h"
#include "nc/interpreter_state.h"

namespace {

class BlockInterpreterTest : public ::testing::Test {
protected:
    void SetUp() override { ResetBlockTestState(); }
    void TearDown() override
    {
        g_ToolWordSplit = 0;
        g_ToolWordSplitDigits = 0;
        ResetBlockTestState();
    }
};

TEST_F(BlockInterpreterTest, LastMotionWordWinsAndBothAxisWordsMove)
{
    RunBlock("G01 X10. G00 Y5.");
    EXPECT_EQ(g_MotionKind, MOTION_RAPID);
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_X], 10.0);
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_Y], 5.0);
    EXPECT_TRUE(g_AxisWordGiven[AXIS_X] && g_AxisWordGiven[AXIS_Y]);
}

TEST_F(BlockInterpreterTest, WordsTakeEffectInTheirOrder)
{
    RunBlock("G90 Y5.");
    RunBlock("X10. G91 Y10.");
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 10.0);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_Y], 15.0);
}

TEST_F(BlockInterpreterTest, WordsWithoutBlanksReadAlike)
{
    g_WorkOffsets[1].axis[AXIS_X] = 30.0;
    RunBlock("G90G54G01X1.5Y-2.F100.");
    EXPECT_EQ(g_IncrementalMode, 0);
    EXPECT_EQ(g_WorkOffsetIndex, 1);
    EXPECT_EQ(g_MotionKind, MOTION_LINEAR);
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_X], 1.5);
    EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_Y], -2.0);
    EXPECT_DOUBLE_EQ(g_FeedValues[0], 100.0);
}

TEST_F(BlockInterpreterTest, LetterFollowedByLetterEndsTheScan)
{
    RunBlock("MX10.");
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 0.0);
    EXPECT_EQ(g_MoveChanged, 0);
    RunBlock("GX10.");
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 0.0);
    RunBlock("M X10.");  // the blank gives M0, then X moves
    EXPECT_EQ(g_LastMCode, 0);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 10.0);
}

TEST_F(BlockInterpreterTest, SemicolonEndsTheBlockOnlyInSiemensAndHeidenhain)
{
    RunBlock("G01 X10. ;Y20.");
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_Y], 20.0);  // FANUC: stepped over

    ResetBlockTestState();
    g_DialectSiemens = 1;
    RunBlock("G01 X10. ;Y20.");
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 10.0);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_Y], 0.0);
    g_DialectSiemens = 0;
}

TEST_F(BlockInterpreterTest, SplitToolWordGivesToolAndLengthOffset)
{
    g_ToolWordSplit = 4;
    g_ToolWordSplitDigits = 2;
    g_ToolOffsetH[3] = 50.0f;
    g_ToolOffsetH2[3] = 0.5f;
    RunBlock("T1203");
    EXPECT_EQ(g_CommandedToolNumber, 12);
    EXPECT_EQ(g_ToolCallNumber, 12);
    EXPECT_EQ(g_HWordNumber, 3);
    EXPECT_EQ(g_ToolLengthCompOn, 1);
    EXPECT_DOUBLE_EQ(g_ToolLengthOffset, 50.5);
    EXPECT_DOUBLE_EQ(g_PendingToolLengthShift, 50.5);

    RunBlock("T1200");
    EXPECT_EQ(g_CommandedToolNumber, 12);
    EXPECT_EQ(g_ToolLengthCompOn, 0);
    EXPECT_DOUBLE_EQ(g_ToolLengthOffset, 0.0);
}

TEST_F(BlockInterpreterTest, MazakKeepsTheFirstToolOfABlock)
{
    g_DialectMazak = 1;
    RunBlock("T5 T0");
    EXPECT_EQ(g_CommandedToolNumber, 5);
    g_DialectMazak = 0;
    RunBlock("T5 T0");
    EXPECT_EQ(g_CommandedToolNumber, 0);
}

TEST_F(BlockInterpreterTest, FeedTableLookUpByNumberLength)
{
    g_FeedTable[3] = 1234.0f;
    g_FeedrateMode = FEEDRATE_AUTO1;
    struct Case {
        const char* text;
        double feed;
    } cases[] = {{"G01 F3", 1234.0}, {"G01 F3X1.", 1234.0}, {"G01 F3 X1.", 3.0}, {"G01 F300.", 300.0}};
    for (const Case& c : cases) {
        RunBlock(c.text);
        EXPECT_DOUBLE_EQ(g_FeedValues[0], c.feed) << c.text;
        EXPECT_DOUBLE_EQ(g_ModalFeed, c.feed) << c.text;
    }
}

TEST_F(BlockInterpreterTest, CycleRepeatZeroFollowsTheIgnoreSetting)
{
    RunBlock("G81 X10. Z-5. R1. K0");
    EXPECT_EQ(g_CannedCycleCode, 81);
    EXPECT_EQ(g_CycleRepeatCount, 0);
    EXPECT_DOUBLE_EQ(g_CycleBottom, -5.0);
    EXPECT_DOUBLE_EQ(g_CycleRPoint, 1.0);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_Z], 0.0);
    g_CycleK0Ignore = 1;
    RunBlock("X20. K0");
    EXPECT_EQ(g_CycleRepeatCount, 1);
}

TEST_F(BlockInterpreterTest, CommentSelectsNothing)
{
    g_ToolOffsetD[10] = 4.0f;
    RunBlock("(T5 D10) X1.");
    EXPECT_EQ(g_CommandedToolNumber, -1);
    EXPECT_EQ(g_DWordNumber, 0);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 1.0);
    RunBlock("X2. (open comment Y5.");  // an unclosed comment runs to the line end
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 2.0);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_Y], 0.0);
}

TEST_F(BlockInterpreterTest, DAndHWordsReadTheOffsetMemories)
{
    g_ToolOffsetD[5] = 3.0f;
    g_ToolOffsetD2[5] = 0.25f;
    RunBlock("G41 D5");
    EXPECT_DOUBLE_EQ(g_CompensationValue, 3.25);
    RunBlock("D1500");  // beyond the memory: becomes 0
    EXPECT_EQ(g_DWordNumber, 0);
    g_ToolOffsetH[7] = 100.0f;
    RunBlock("G44 H7");
    EXPECT_DOUBLE_EQ(g_ToolLengthOffset, -100.0);
    RunBlock("H0");
    EXPECT_EQ(g_ToolLengthCompOn, 0);
    EXPECT_DOUBLE_EQ(g_ToolLengthOffset, 0.0);
}

TEST_F(BlockInterpreterTest, G10SetsToolAndWorkOffsets)
{
    RunBlock("G10 L10 P5 R12.5");  // memory type C: L10 is H
    EXPECT_FLOAT_EQ(g_ToolOffsetH[5], 12.5f);
    RunBlock("G10 L12 P5 R4.");
    EXPECT_FLOAT_EQ(g_ToolOffsetD[5], 4.0f);
    RunBlock("G91 G10 L12 P5 R1.");
    EXPECT_FLOAT_EQ(g_ToolOffsetD[5], 5.0f);
    RunBlock("G90 G10 L2 P1 X-100.");
    EXPECT_DOUBLE_EQ(g_WorkOffsets[1].axis[AXIS_X], -100.0);
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_X], -100.0);
    RunBlock("G10 L20 P2 Y7.");  // extended offsets: entry P + 6
    EXPECT_DOUBLE_EQ(g_WorkOffsets[8].axis[AXIS_Y], 7.0);
    EXPECT_EQ(g_OffsetSettingBlock, 0);
    EXPECT_EQ(g_NcAlarmCode, 0);
}

TEST_F(BlockInterpreterTest, TableIndicesOutsideTheirTablesAreRefusedWithAnAlarm)
{
    struct Case {
        const char* text;
        int column;
    } cases[] = {
        {"G10 L2 P201 X5.", 8},     // work offset row (column of the P)
        {"G10 L20 P195 X5.", 9},    // extended row 201
        {"G10 L10 P1000 R5.", 15},  // tool offset entry: the R word is refused
        {"G54.1 P195", 7},          // G54.1 P row 201
        {"G30 P5", 5},              // reference point 5 of 4
    };
    for (const Case& c : cases) {
        ResetBlockTestState();
        const AxisPosition offsetsBefore = g_WorkOffsets[WORK_OFFSET_COUNT - 1];
        RunBlock(c.text);
        EXPECT_EQ(g_NcAlarmCode, NC_ALARM_WORD_OUT_OF_RANGE) << c.text;
        EXPECT_EQ(g_NcAlarmColumn, c.column) << c.text;
        EXPECT_EQ(g_WorkOffsetIndex, 1) << c.text;
        EXPECT_DOUBLE_EQ(g_WorkOffsets[WORK_OFFSET_COUNT - 1].axis[0], offsetsBefore.axis[0]) << c.text;
    }
}

TEST_F(BlockInterpreterTest, FeedNumberOutsideTheTableIsRefused)
{
    g_FeedrateMode = FEEDRATE_INDIRECT;
    g_FeedTable[12] = 500.0f;
    RunBlock("G01 F12");
    EXPECT_DOUBLE_EQ(g_FeedValues[0], 500.0);
    RunBlock("G01 F1000");
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_WORD_OUT_OF_RANGE);
    EXPECT_DOUBLE_EQ(g_ModalFeed, 500.0);
}

TEST_F(BlockInterpreterTest, OspWorkOffsetHWordIsRangeChecked)
{
    g_DialectOsp = 1;
    g_DialectCode = DIALECT_OSP;
    g_WorkOffsets[3].axis[AXIS_X] = 40.0;
    RunBlock("G15 H3");
    EXPECT_EQ(g_WorkOffsetIndex, 3);
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_X], 40.0);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], -40.0);  // the machine position stays
    RunBlock("G15 H201");
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_WORD_OUT_OF_RANGE);
    EXPECT_EQ(g_WorkOffsetIndex, 3);
    g_DialectOsp = 0;
}

TEST_F(BlockInterpreterTest, HeidenhainQParameterNumbersAreRangeChecked)
{
    g_DialectHeidenhain = 1;
    g_DialectCode = DIALECT_HEIDENHAIN;
    g_DefinedCycleCode = 200;
    RunBlock("Q202=-2.5 ;peck");
    EXPECT_DOUBLE_EQ(g_QParameters[202], -2.5);
    EXPECT_DOUBLE_EQ(g_HeidenhainCycleParameters.peckDepth, -2.5);
    RunBlock("Q1000=5");
    EXPECT_EQ(g_NcAlarmCode, NC_ALARM_WORD_OUT_OF_RANGE);
    g_DialectHeidenhain = 0;
}

TEST_F(BlockInterpreterTest, RotaryAnglesOfAbsurdMagnitudeAreRefused)
{
    auto reset = [] {
        ResetBlockTestState();
        g_DecimalPointMode = DECIMAL_POINT_NORMAL;
        g_MachineKind = 1;
        g_Rotary1Letter = 'A';
        g_Rotary2Letter = 'C';
    };
    struct Case {
        const char* text;
        int column;
    } cases[] = {{"G01 A100000000.", 5}, {"G01 X1. C-99999999.", 9}, {"G91 G01 A20000000.", 9}};
    for (const Case& c : cases) {
        reset();
        RunBlock(c.text);
        EXPECT_EQ(g_NcAlarmCode, NC_ALARM_WORD_OUT_OF_RANGE) << c.text;
        EXPECT_EQ(g_NcAlarmColumn, c.column) << c.text;
        EXPECT_EQ(g_NcTargetPosition.axis[AXIS_ROTARY1], 0.0) << c.text;
        EXPECT_EQ(g_NcTargetPosition.axis[AXIS_ROTARY2], 0.0) << c.text;
    }
    reset();
    RunBlock("G01 A9000000. C-720.");  // large but sane angles still move
    EXPECT_EQ(g_NcAlarmCode, 0);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_ROTARY1], 9000000.0);
    g_MachineKind = 0;
    g_Rotary1Letter = g_Rotary2Letter = ' ';
}

TEST_F(BlockInterpreterTest, ControllerCutCodesSwitchCutting)
{
    std::strcpy(g_CutOffCode, "M55");
    g_CutOffCodeLength = 3;
    std::strcpy(g_CutOnCode, "m56");
    g_CutOnCodeLength = 3;
    RunBlock("M55 X1.");
    EXPECT_EQ(g_CutCodeState, 0);
    EXPECT_EQ(g_LastMCode, -1);  // the code is stepped over, not read as an M word
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], 1.0);
    RunBlock("M56");
    EXPECT_EQ(g_CutCodeState, 1);
}

TEST_F(BlockInterpreterTest, ArbitraryBytesNeverRunPastTheLine)
{
    const char* lines[] = {"(", "G", "GOTO", "M98<", "M98<abc", "P", "Q=", "T", "F", "G54.1P", "G10L2P",
                           "X--..", "G04", "((((", "N", "\x01\x7f\xff"};
    for (const char* text : lines) RunBlock(text);
    SUCCEED();
}

TEST_F(BlockInterpreterTest, RandomBlocksInEveryDialectStayInsideTheirTables)
{
    const char alphabet[] = "GMTXYZABCIJKRPQLDHFOSNW0123456789.-+ ;()/<>=*#\t";
    unsigned seed = 12345u;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    for (int dialect = 0; dialect < 5; ++dialect) {
        ResetBlockTestState();
        g_DialectOsp = dialect == 1;
        g_DialectMazak = dialect == 2;
        g_DialectSiemens = dialect == 3;
        g_DialectHeidenhain = dialect == 4;
        g_DialectCode = dialect == 1 ? DIALECT_OSP : dialect == 4 ? DIALECT_HEIDENHAIN : DIALECT_DEFAULT;
        g_RunFromMemory = 1;
        g_MachineKind = 3;
        g_Rotary1Letter = 'A';
        g_Rotary2Letter = 'C';
        g_IncrementalAxisChars[0] = 'U';
        for (int block = 0; block < 3000; ++block) {
            std::string text;
            const int length = (int)(next() % 40);
            for (int k = 0; k < length; ++k) text += alphabet[next() % (sizeof alphabet - 1)];
            g_NcAlarmCode = 0;
            g_NcRunState = NC_RUN_READING;
            RunBlock(text);
            ASSERT_GE(g_WorkOffsetIndex, 0) << text;
            ASSERT_LT(g_WorkOffsetIndex, WORK_OFFSET_COUNT) << text;
            ASSERT_LE(g_RotationCount, 2) << text;
        }
    }
    g_DialectOsp = g_DialectMazak = g_DialectSiemens = g_DialectHeidenhain = 0;
    g_MachineKind = 0;
}

TEST_F(BlockInterpreterTest, ProgramThroughTheLineReader)
{
    const std::string text = "G90 G54\r\nG01 X10. F100.\r\n/X99.\r\nG02 X20. Y0 R5.\r\nM30";
    FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    g_NcFile = file;
    g_OptionalBlockSkip[1] = 1;
    g_OptionalBlockSkipAny = 1;
    int blocks = 0;
    while (g_NcRunState < NC_RUN_FINISHED && blocks < 10) {
        if (!ReadNextNcLine()) continue;
        ClearPerCallFields();
        InterpretNcBlock(g_NcLineBuffer);
        FinishBlockPosition();
        ++blocks;
        if (blocks == 3) {
            EXPECT_EQ(g_MotionKind, MOTION_ARC_CW);
            EXPECT_DOUBLE_EQ(g_NcMoveStart.axis[AXIS_X], 10.0);
            EXPECT_DOUBLE_EQ(g_NcMoveEnd.axis[AXIS_X], 20.0);
            EXPECT_DOUBLE_EQ(g_FeedValues[1], M_PI);
            EXPECT_DOUBLE_EQ(g_FeedValues[0], 100.0);
        }
    }
    EXPECT_EQ(blocks, 4);  // the skipped block never reaches the interpreter
    EXPECT_EQ(g_NcAlarmCode, 0);
    g_OptionalBlockSkip[1] = 0;
    g_OptionalBlockSkipAny = 0;
}

}  // namespace
