// Tests of the definition-file token readers: reading positions, conversions, list and ";" values,
// quoted names and the near-zero angle snap.
#include "machine_setup/settings/token_readers.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

TEST(TokenReaders, NumberStaysAtItsFirstCharacterAndCommaReaderMovesOn)
{
    const char* line = "12, 34\n";
    int position = 0;
    double value = -1.0;
    ReadNextNumber(&position, line, &value);
    EXPECT_EQ(12.0, value);
    EXPECT_EQ(0, position);
    ReadNextNumber(&position, line, &value);
    EXPECT_EQ(12.0, value);
    EXPECT_EQ(0, position);
    ReadNumberAfterComma(&position, line, &value);
    EXPECT_EQ(34.0, value);
    EXPECT_EQ(4, position);
    // No further comma: 0, position unchanged.
    ReadNumberAfterComma(&position, line, &value);
    EXPECT_EQ(0.0, value);
    EXPECT_EQ(4, position);
}

TEST(TokenReaders, NoNumberCharacterAndLineEnd)
{
    int position = 2;
    double value = 5.0;
    ReadNextNumber(&position, "abc def", &value);
    EXPECT_EQ(0.0, value);
    EXPECT_EQ(2, position);

    position = 0;
    value = 5.0;
    ReadNextNumber(&position, "KEY\n", &value);
    EXPECT_EQ(0.0, value);
    EXPECT_EQ(3, position);

    // Empty line, and a line of only the line end.
    position = 0;
    ReadNextNumber(&position, "", &value);
    EXPECT_EQ(0.0, value);
    EXPECT_EQ(0, position);
    ReadNextNumber(&position, "\n", &value);
    EXPECT_EQ(0.0, value);
    EXPECT_EQ(0, position);

    // A buffer of several lines: the line end stops the value, the next line's number is not taken.
    const char* lines = "KEY\n  7\n";
    int integer = 5;
    position = 0;
    ReadNextNumber(&position, lines, &value);
    EXPECT_EQ(0.0, value);
    EXPECT_EQ(3, position);
    EXPECT_EQ(0, ReadNextInteger(&position, lines, &integer));
    float single = 5.0f;
    position = 0;
    ReadNumberAfterSemicolon(&position, "A;\n7", &single);
    EXPECT_EQ(0.0f, single);
    EXPECT_EQ(2, position);
}

TEST(TokenReaders, PositionsOutsideTheLineFindNothing)
{
    const char* line = "1,2";
    for (int start : {-1, -100, 4, 1000, INT_MIN, INT_MAX}) {
        int position = start;
        double value = 9.0;
        ReadNextNumber(&position, line, &value);
        EXPECT_EQ(0.0, value) << start;
        EXPECT_EQ(start, position);
        ReadNumberAfterComma(&position, line, &value);
        EXPECT_EQ(0.0, value);
        EXPECT_EQ(start, position);
        int integer = 9;
        EXPECT_EQ(0, ReadNextInteger(&position, line, &integer));
        EXPECT_EQ(start, position);
        char* name = nullptr;
        ReadQuotedOrWord(&position, line, &name);
        EXPECT_EQ(nullptr, name);
        EXPECT_EQ(start, position);
    }
    // The position at the terminating NUL is inside the line: nothing after it.
    int position = 3;
    double value = 9.0;
    ReadNextNumber(&position, line, &value);
    EXPECT_EQ(0.0, value);
    EXPECT_EQ(3, position);
}

TEST(TokenReaders, ConversionTable)
{
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"-.5", -0.5},     {"-", 0.0},          {".", 0.0},          {"-.", 0.0},
        {"12.5mm", 12.5},  {"1e3,", 1000.0},    {"1E-2", 0.01},      {"2e", 2.0},
        {"2e+", 2.0},      {"3.e1", 30.0},      {"\n", 0.0},         {"\n  7", 7.0},
        {"-0", 0.0},       {"007", 7.0},        {"1.5.5", 1.5},      {"--1", 0.0},
        {"-inf", 0.0},     {"0x10", 0.0},       {"123456789012345678901234567890", 1.2345678901234568e29},
        {"1e-400", 0.0},   {"0.000e999999", 0.0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, ConvertNumberText(c.text)) << c.text;
    }
    // Out of range: clamped, never infinite.
    EXPECT_EQ(DBL_MAX, ConvertNumberText("1e400"));
    EXPECT_EQ(-DBL_MAX, ConvertNumberText("-1e999999999999"));
    EXPECT_EQ(DBL_MAX, ConvertNumberText("0.01e311"));
    EXPECT_EQ(1e308, ConvertNumberText("0.001e311"));
    EXPECT_EQ(1e-310, ConvertNumberText("1e-310"));
    EXPECT_EQ(0.0, ConvertNumberText("0.0001e-320"));
    std::string longDigits(5000, '9');
    EXPECT_EQ(DBL_MAX, ConvertNumberText(longDigits.c_str()));
}

TEST(TokenReaders, IntegersSaturate)
{
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"42", 42},  {"-42x", -42}, {"3.9", 3},  {"-", 0},  {".5", 0}, {"\n", 0}, {"+7", 7},
        {"2147483647", INT_MAX},   {"2147483648", INT_MAX},    {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},  {"-2147483649", INT_MIN},   {"-99999999999999999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, ConvertIntegerText(c.text)) << c.text;
    }
    int position = 0;
    int value = 0;
    EXPECT_EQ(-8, ReadNextInteger(&position, "T=-8,3", &value));
    EXPECT_EQ(-8, value);
    EXPECT_EQ(2, position);
    ReadIntegerAfterComma(&position, "T=-8,3", &value);
    EXPECT_EQ(3, value);
    EXPECT_EQ(5, position);
}

TEST(TokenReaders, IntegerAfterCommaWithoutNumberStaysOnTheComma)
{
    int position = 0;
    int value = 7;
    ReadIntegerAfterComma(&position, "5,abc", &value);
    EXPECT_EQ(0, value);
    EXPECT_EQ(1, position);
    position = 0;
    ReadIntegerAfterComma(&position, "5 6", &value);
    EXPECT_EQ(0, value);
    EXPECT_EQ(0, position);
}

TEST(TokenReaders, FloatsRoundAndClamp)
{
    int position = 0;
    float value = 0.0f;
    ReadNextFloat(&position, "0.1,1e300,-1e300\n", &value);
    EXPECT_EQ(0.1f, value);
    ReadFloatAfterComma(&position, "0.1,1e300,-1e300\n", &value);
    EXPECT_EQ(FLT_MAX, value);
    ReadFloatAfterComma(&position, "0.1,1e300,-1e300\n", &value);
    EXPECT_EQ(-FLT_MAX, value);
    position = 0;
    ReadNextFloat(&position, "none", &value);
    EXPECT_EQ(0.0f, value);
}

TEST(TokenReaders, SemicolonValue)
{
    struct Case {
        const char* line;
        int start;
        float expected;
        int endPosition;
    };
    const Case cases[] = {
        {"30;5, 40", 0, 5.0f, 3},
        {"30, 40;5", 0, -1.0f, 0},
        {"30, 40;5", 4, 5.0f, 7},
        {"30, 40", 0, -1.0f, 0},
        {"30;x", 0, -1.0f, 0},
        {"30;\n", 0, 0.0f, 3},
        {"30;", 9, -1.0f, 9},
    };
    for (const Case& c : cases) {
        int position = c.start;
        float value = 123.0f;
        ReadNumberAfterSemicolon(&position, c.line, &value);
        EXPECT_EQ(c.expected, value) << c.line << " from " << c.start;
        EXPECT_EQ(c.endPosition, position) << c.line << " from " << c.start;
    }
}

TEST(TokenReaders, QuotedOrWord)
{
    char* name = nullptr;
    int position = 0;
    const char* quoted = "10 \"ab c\" 20";
    ReadQuotedOrWord(&position, quoted, &name);
    ASSERT_NE(nullptr, name);
    EXPECT_STREQ("ab c", name);
    EXPECT_EQ(8, position);

    // A second read releases the first name; no quote: none, position at the next blank.
    position = 0;
    ReadQuotedOrWord(&position, "10 ab", &name);
    EXPECT_EQ(nullptr, name);
    EXPECT_EQ(2, position);

    // No blank either: the terminating NUL.
    position = 0;
    ReadQuotedOrWord(&position, "10ab", &name);
    EXPECT_EQ(nullptr, name);
    EXPECT_EQ(4, position);

    // Unclosed quote: none, position at the blank or tab after the opening quote.
    position = 0;
    ReadQuotedOrWord(&position, "5 \"abc\tdef", &name);
    EXPECT_EQ(nullptr, name);
    EXPECT_EQ(6, position);
    position = 0;
    ReadQuotedOrWord(&position, "5 \"abc", &name);
    EXPECT_EQ(nullptr, name);
    EXPECT_EQ(6, position);

    // Empty quotes give an empty name.
    position = 0;
    ReadQuotedOrWord(&position, "\"\"", &name);
    ASSERT_NE(nullptr, name);
    EXPECT_STREQ("", name);
    EXPECT_EQ(1, position);
    ReleaseQuotedWord(&name);
    EXPECT_EQ(nullptr, name);
}

TEST(TokenReaders, SnapNearZeroAngle)
{
    struct Case {
        double angle;
        double expected;
    };
    const Case cases[] = {
        {0.000009, 0.0}, {-0.000009, 0.0}, {0.00001, 0.00001}, {-0.00001, -0.00001}, {45.0, 45.0}, {0.0, 0.0},
    };
    for (const Case& c : cases) {
        double angle = c.angle;
        SnapNearZeroAngle(&angle);
        EXPECT_EQ(c.expected, angle) << c.angle;
    }
    double nan = std::nan("");
    SnapNearZeroAngle(&nan);
    EXPECT_TRUE(std::isnan(nan));
}
