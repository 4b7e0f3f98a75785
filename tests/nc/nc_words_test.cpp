// NC word value readers: where a number text ends, the decimal point rules with the input unit, the
// decimal point mode they record, and where they leave the scan position.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "nc/nc_words.h"
#include "nc_test_support.h"

namespace {

class NcWordsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetNcTestState(); }
};

// Reads the word value at position 1 (after the letter) of text.
double WordValue(const char* text, int* end = nullptr)
{
    int position = 1;
    double value = -999.0;
    ReadWordValue(&position, text, &value);
    if (end) *end = position;
    return value;
}

TEST_F(NcWordsTest, WordValueFollowsUnitAndDecimalPoint)
{
    struct Case {
        int unit;
        int mode;
        const char* text;
        double value;
        int modeAfter;
    };
    const Case cases[] = {
        {1000, DECIMAL_POINT_NO, "X100\n", 0.1, 1},
        {1000, DECIMAL_POINT_NO, "X100.\n", 100.0, 2},
        {1000, DECIMAL_POINT_NO, "X-5\n", -0.005, 1},
        {1000, DECIMAL_POINT_NO, "X-5.5Y1\n", -5.5, 2},
        {10000, DECIMAL_POINT_NO, "X100\n", 0.01, 1},
        {100, DECIMAL_POINT_YES, "X100\n", 1.0, 1},
        {1000, DECIMAL_POINT_OTHER, "X 1 2\n", 0.001, 1},  // the conversion stops at the inner blank
        {1000, DECIMAL_POINT_NORMAL, "X100\n", 100.0, DECIMAL_POINT_NORMAL},
        {1000, DECIMAL_POINT_NORMAL, "X1.5\n", 1.5, DECIMAL_POINT_NORMAL},
        {1000, DECIMAL_POINT_NO, "XY5.\n", 0.0, 1},       // empty number text
        {1000, DECIMAL_POINT_NO, "X+2.(C)\n", 2.0, 2},
    };
    for (const Case& c : cases) {
        g_InputIncrement = c.unit;
        g_DecimalPointMode = c.mode;
        EXPECT_DOUBLE_EQ(c.value, WordValue(c.text)) << c.text << " unit " << c.unit;
        EXPECT_EQ(c.modeAfter, g_DecimalPointMode) << c.text;
    }
}

TEST_F(NcWordsTest, ModeRecordsTheLastWordOnly)
{
    const char* line = "X100Y2.5Z7\n";
    int position = 1;
    double x = 0, y = 0, z = 0;
    ReadWordValue(&position, line, &x);
    EXPECT_EQ(1, g_DecimalPointMode);
    EXPECT_EQ(4, position);
    ++position;
    ReadWordValue(&position, line, &y);
    EXPECT_EQ(2, g_DecimalPointMode);
    ++position;
    ReadWordValue(&position, line, &z);
    EXPECT_DOUBLE_EQ(0.1, x);
    EXPECT_DOUBLE_EQ(2.5, y);
    EXPECT_DOUBLE_EQ(0.007, z);
    EXPECT_EQ(10, position);
}

TEST_F(NcWordsTest, IntegerWordEndsTheBlockWhenNoNumberFollows)
{
    struct Case {
        const char* text;
        int value;
        int position;
    };
    const Case cases[] = {
        {"G01.1X5.\n", 1, 5},   // stops at the first non-digit; position on the X
        {"GX5.\n", 0, 5},       // a letter right after: the scan of the block ends
        {"M(C)\n", 0, 5},
        {"M 3X1\n", 3, 3},
        {"T12\n", 12, 3},
        {"N99999999999\n", 2147483647, 12},
    };
    for (const Case& c : cases) {
        int position = 1;
        int value = -1;
        ReadIntegerWord(&position, c.text, &value);
        EXPECT_EQ(c.value, value) << c.text;
        EXPECT_EQ(c.position, position) << c.text;
    }
}

TEST_F(NcWordsTest, DwellIsThousandthsOfASecondInEveryMode)
{
    struct Case {
        int unit;
        int mode;
        const char* text;
        double seconds;
    };
    const Case cases[] = {
        {1000, DECIMAL_POINT_NO, "P500\n", 0.5},
        {1000, DECIMAL_POINT_NO, "P1.\n", 1.0},
        {10000, DECIMAL_POINT_NO, "P500\n", 0.5},
        {1000, DECIMAL_POINT_NORMAL, "P500\n", 0.5},
    };
    for (const Case& c : cases) {
        g_InputIncrement = c.unit;
        g_DecimalPointMode = c.mode;
        int position = 1;
        double value = 0;
        ReadDwellValue(&position, c.text, &value);
        EXPECT_DOUBLE_EQ(c.seconds, value) << c.text;
        EXPECT_EQ(1, position) << "the dwell reader leaves the position on the number";
    }
}

TEST_F(NcWordsTest, PositionStayingReadersAndDivisors)
{
    int position = 1;
    double value = 0;
    ReadThousandthsValue(&position, "P2000\n", &value);
    EXPECT_DOUBLE_EQ(2.0, value);
    g_DecimalPointMode = DECIMAL_POINT_NORMAL;
    ReadThousandthsValue(&position, "P2000\n", &value);
    EXPECT_DOUBLE_EQ(2000.0, value);
    ReadValueWithDivisor(&position, "I2000\n", &value, 1000);
    EXPECT_DOUBLE_EQ(2.0, value);
    ReadValueWithDivisor(&position, "I2.\n", &value, 1000);
    EXPECT_DOUBLE_EQ(2.0, value);
    ReadValueWithDivisor(&position, "I7\n", &value, 1);
    EXPECT_DOUBLE_EQ(7.0, value);
    EXPECT_EQ(1, position);
    ReadPlainValue(&position, "F300Y1\n", &value);
    EXPECT_DOUBLE_EQ(300.0, value);
    EXPECT_EQ(4, position);
}

TEST_F(NcWordsTest, DelimitedValueEndsAtABlankOrSemicolon)
{
    const char* lines[] = {"Q201=-20 ;DEPTH\n", "Q201=-20;DEPTH\n", "Q201=-20\n", "Q201=-20"};
    for (const char* line : lines) {
        int position = 5;
        double value = 0;
        ReadDelimitedValue(&position, line, &value);
        EXPECT_DOUBLE_EQ(-20.0, value) << line;
        EXPECT_EQ(8, position) << line;
    }
}

TEST_F(NcWordsTest, HeidenhainCycleParametersOfAPeckCycle)
{
    g_DecimalPointMode = DECIMAL_POINT_NORMAL;
    g_DefinedCycleCode = 83;
    const std::string line = "G83 P01 2 P02 -20 P03 5 P04 500 P05 150\n";
    for (size_t k = 0; k < line.size(); ++k) {
        if (line[k] != 'P') continue;
        int position = (int)k + 1;
        ReadCycleParameterWord(&position, line.c_str());
        EXPECT_GT(position, (int)k + 1);
    }
    EXPECT_DOUBLE_EQ(2.0, g_HeidenhainCycleParameters.clearance);
    EXPECT_DOUBLE_EQ(-20.0, g_HeidenhainCycleParameters.holeBottom);
    EXPECT_DOUBLE_EQ(5.0, g_HeidenhainCycleParameters.peckDepth);
    EXPECT_DOUBLE_EQ(0.5, g_HeidenhainCycleParameters.dwell);
    EXPECT_DOUBLE_EQ(150.0, g_HeidenhainCycleParameters.plungeFeed);
    EXPECT_EQ(1, g_CycleAxisWordSeen);

    g_DefinedCycleCode = 81;  // other cycles: P3 dwell, P4 feed
    int position = 1;
    ReadCycleParameterWord(&position, "P3 250\n");
    EXPECT_DOUBLE_EQ(0.25, g_HeidenhainCycleParameters.dwell);
    position = 1;
    ReadCycleParameterWord(&position, "P4 90\n");
    EXPECT_DOUBLE_EQ(90.0, g_HeidenhainCycleParameters.plungeFeed);
    position = 1;
    ReadCycleParameterWord(&position, "P0\n");  // nothing to read; stays within the line
    EXPECT_LE(position, 3);
}

TEST_F(NcWordsTest, OverlongNumberTextReadsAsZeroWithoutOverrun)
{
    const std::string line = "X" + std::string(200, '9') + "Y1\n";
    int end = 0;
    EXPECT_DOUBLE_EQ(0.0, WordValue(line.c_str(), &end));
    EXPECT_EQ(201, end);
    const std::string fits = "X" + std::string(79, '1') + "\n";
    EXPECT_GT(WordValue(fits.c_str()), 1e70);
}

TEST_F(NcWordsTest, ReadersStayInsideTheLine)
{
    const char* line = "X";
    int position = 5;  // beyond the line: clamped to its end
    double value = 1;
    ReadWordValue(&position, line, &value);
    EXPECT_EQ(1, position);
    EXPECT_DOUBLE_EQ(0.0, value);
    int integer = 1;
    position = 1;
    ReadIntegerWord(&position, line, &integer);
    EXPECT_EQ(1, position);
}

}  // namespace
