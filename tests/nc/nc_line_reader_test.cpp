// The NC line reader: line ends, long lines, replacement rules, block skip, character check, sequence
// search, the end of the input and reading from sub-program levels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "nc_test_support.h"

namespace {

class NcLineReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ResetNcTestState(); }
    void TearDown() override { ResetNcTestState(); }
};

std::string ReadFixture(const char* name)
{
    std::string path = std::string(QUMBRA_FIXTURE_DIR) + "/nc/" + name;
    FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr) << path;
    std::string bytes;
    if (file == nullptr) return bytes;
    char chunk[256];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
    std::fclose(file);
    return bytes;
}

TEST_F(NcLineReaderTest, LfCrLfAndMissingLastLineEndDeliverTheSameLines)
{
    const std::vector<std::string> expected = {"G0X1\n", "G1Y2\n", "Z3\n"};
    for (const char* name : {"lines_lf.nc", "lines_crlf.nc"}) {
        ResetNcTestState();
        OpenNcText(ReadFixture(name));
        EXPECT_EQ(expected, ReadAllNcLines()) << name;
        EXPECT_EQ(3, g_NcLineNumber) << name;
        EXPECT_EQ(3, g_BlockLineNumber) << name;
        EXPECT_EQ(NC_RUN_FINISHED, g_NcRunState) << name;
        EXPECT_EQ(0, ReadNextNcLine()) << name << ": the input stays ended";
    }
}

TEST_F(NcLineReaderTest, LineLengthIsMeasuredBeforeTheLineEndIsNormalised)
{
    OpenNcText("G0X1\r\nZ3");
    ASSERT_EQ(1, ReadNextNcLine());
    EXPECT_EQ(6, g_NcLineLength);
    ASSERT_EQ(1, ReadNextNcLine());
    EXPECT_STREQ("Z3\n", g_NcLineBuffer);
    EXPECT_EQ(2, g_NcLineLength);
}

TEST_F(NcLineReaderTest, EndOfInputClearsIncrementalModeAndWaitsForQueuedLookahead)
{
    OpenNcText("G91X1\n");
    ASSERT_EQ(1, ReadNextNcLine());
    g_IncrementalMode = 1;
    g_LookaheadCount = 1;
    EXPECT_EQ(0, ReadNextNcLine());
    EXPECT_EQ(NC_RUN_INPUT_ENDED, g_NcRunState);
    EXPECT_EQ(0, g_IncrementalMode);
    g_LookaheadCount = 0;
    EXPECT_EQ(0, ReadNextNcLine());
    EXPECT_EQ(NC_RUN_FINISHED, g_NcRunState);
}

// A line longer than the buffer arrives in pieces of at most 1023 characters (line feed included),
// each a line of its own, and the pieces together hold the whole line.
TEST_F(NcLineReaderTest, HundredThousandCharacterLineArrivesInBoundedPieces)
{
    std::string longLine;
    for (int k = 0; longLine.size() < 100000; ++k) longLine += "X" + std::to_string(k % 997) + ".5";
    longLine.resize(100000);
    OpenNcText(longLine + "\nG1X1\n");
    std::vector<std::string> lines = ReadAllNcLines();
    ASSERT_GE(lines.size(), 99u);
    EXPECT_EQ("G1X1\n", lines.back());
    lines.pop_back();
    std::string joined;
    for (const std::string& piece : lines) {
        ASSERT_LE(piece.size(), 1023u);
        ASSERT_EQ('\n', piece.back());
        joined += piece.substr(0, piece.size() - 1);
    }
    EXPECT_EQ(longLine, joined);
}

TEST_F(NcLineReaderTest, LinesAtTheBufferLimit)
{
    const std::string fits(1022, 'X');          // 1022 characters and the line feed: one line
    const std::string tooLong(1023, 'Y');       // one character more: two pieces
    OpenNcText(fits + "\n" + tooLong + "\n" + fits);
    const std::vector<std::string> lines = ReadAllNcLines();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(fits + "\n", lines[0]);
    EXPECT_EQ(std::string(1022, 'Y') + "\n", lines[1]);
    EXPECT_EQ("Y\n", lines[2]);
    EXPECT_EQ(fits + "\n", lines[3]);  // last line without a line end, at the limit
}

struct ReplaceCase {
    const char* line;
    const char* expected;
};

TEST_F(NcLineReaderTest, DefaultReplacementScansOnceAndSkipsTheCharacterAfterAMatch)
{
    ASSERT_TRUE(AddReplaceRule("G0", "G00"));
    ASSERT_TRUE(AddReplaceRule("M6", ""));
    ASSERT_TRUE(AddReplaceRule("G", "GG"));  // tried after G0 at every position
    const ReplaceCase cases[] = {
        {"G0G0X1\n", "G00G0X1\n"},     // the second G0 starts right after a match
        {"g0 g0\n", "G00 G00\n"},      // case-insensitive
        {"T1M6\n", "T1\n"},            // an empty replacement
        {"X1G0", "X1G00"},             // a match at the end of the line
        {"G1X1\n", "GG1X1\n"},
        {"X1\n", "X1\n"},
    };
    for (const ReplaceCase& c : cases) {
        char line[NC_LINE_BUFFER_SIZE];
        std::strcpy(line, c.line);
        int length = (int)std::strlen(line);
        ApplyReplaceRules(&length, line);
        EXPECT_STREQ(c.expected, line) << c.line;
        EXPECT_EQ((int)std::strlen(c.expected), length) << c.line;
    }
}

TEST_F(NcLineReaderTest, DefaultReplacementRecordsAtMost32Matches)
{
    ASSERT_TRUE(AddReplaceRule("A", "BB"));
    char line[NC_LINE_BUFFER_SIZE];
    std::string text;
    for (int k = 0; k < 40; ++k) text += "A-";
    std::strcpy(line, text.c_str());
    int length = (int)text.size();
    ApplyReplaceRules(&length, line);
    std::string expected;
    for (int k = 0; k < 40; ++k) expected += k < 32 ? "BB-" : "A-";
    EXPECT_EQ(expected, std::string(line));
    EXPECT_EQ((int)expected.size(), length);
}

TEST_F(NcLineReaderTest, ReplacementNeverGrowsALineBeyondTheBuffer)
{
    ASSERT_TRUE(AddReplaceRule("X", std::string(200, 'Z')));
    for (int mode = 0; mode < 2; ++mode) {
        char line[NC_LINE_BUFFER_SIZE];
        std::string text = std::string(900, '1') + "X1X2X3\n";
        std::strcpy(line, text.c_str());
        int length = (int)text.size();
        if (mode == 0) ApplyReplaceRules(&length, line);
        else ApplyReplaceRulesType2(&length, line);
        EXPECT_LE(std::strlen(line), (size_t)NC_LINE_BUFFER_SIZE - 1);
        EXPECT_EQ((int)std::strlen(line), length);
        EXPECT_EQ('\n', line[std::strlen(line) - 1]);
    }
}

TEST_F(NcLineReaderTest, SecondModeAppliesEachRuleToItsFirstOccurrenceInTurn)
{
    ASSERT_TRUE(AddReplaceRule("A", "B"));
    ASSERT_TRUE(AddReplaceRule("b", "C"));
    const ReplaceCase cases[] = {{"A\n", "C\n"}, {"AA\n", "CA\n"}, {"XB\n", "XC\n"}, {"XY\n", "XY\n"}};
    for (const ReplaceCase& c : cases) {
        char line[NC_LINE_BUFFER_SIZE];
        std::strcpy(line, c.line);
        int length = (int)std::strlen(line);
        ApplyReplaceRulesType2(&length, line);
        EXPECT_STREQ(c.expected, line) << c.line;
        EXPECT_EQ((int)std::strlen(c.expected), length);
    }
}

TEST_F(NcLineReaderTest, RulesApplyToEveryLineReadInTheChosenMode)
{
    ASSERT_TRUE(AddReplaceRule("A", "B"));
    ASSERT_TRUE(AddReplaceRule("B", "C"));
    OpenNcText("A1\r\nA2\n");
    EXPECT_EQ((std::vector<std::string>{"B1\n", "B2\n"}), ReadAllNcLines());
    g_ReplaceType2 = 1;
    ResetInterpreterState();
    OpenNcText("A1\r\nA2\n");
    EXPECT_EQ((std::vector<std::string>{"C1\n", "C2\n"}), ReadAllNcLines());
}

TEST_F(NcLineReaderTest, OptionalBlockSkipBySwitch)
{
    struct Case {
        int switchOn;
        const char* line;
        int skipped;
    };
    const Case cases[] = {
        {3, "/3X1\n", 1}, {3, "/X1\n", 0}, {3, "/1X1\n", 0},
        {1, "/X1\n", 1}, {1, "/1X1\n", 1}, {1, "/3X1\n", 0}, {0, "/X1\n", 1}, {9, "/9X1\n", 1},
        {3, "X1/3\n", 0},
    };
    for (const Case& c : cases) {
        for (int& on : g_OptionalBlockSkip) on = 0;
        g_OptionalBlockSkip[c.switchOn] = 1;
        std::strcpy(g_NcLineBuffer, c.line);
        EXPECT_EQ(c.skipped, IsBlockSkipped()) << "switch " << c.switchOn << " " << c.line;
    }
}

TEST_F(NcLineReaderTest, SkippedBlocksAreDroppedButCounted)
{
    g_OptionalBlockSkip[2] = 1;
    OpenNcText(ReadFixture("sequence_and_skip.nc"));
    g_OptionalBlockSkipAny = 0;  // no switch counts while the flag is off
    EXPECT_EQ(5u, ReadAllNcLines().size());
    ResetInterpreterState();
    OpenNcText(ReadFixture("sequence_and_skip.nc"));
    g_OptionalBlockSkipAny = 1;
    const std::vector<std::string> lines = ReadAllNcLines();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("(NOTE) N20 X1.5\n", lines[2]);
    EXPECT_EQ(5, g_NcLineNumber);
}

TEST_F(NcLineReaderTest, CharacterCheckRaisesItsAlarmsWithTheColumn)
{
    struct Case {
        const char* allowed;
        const char* line;
        int alarm;
        int column;
        char character;
    };
    const Case cases[] = {
        {"", "X1.2.3\n", NC_ALARM_DOUBLE_POINT, 5, 0},
        {"", "X1.2Y3.4\n", 0, 0, 0},
        {"", "X1.2y3.4\n", NC_ALARM_DOUBLE_POINT, 7, 0},   // a lower-case letter does not reset the count
        {"", "#1=1.5#2=2.5\r\n", 0, 0, 0},
        {"XYZ", "G01\n", NC_ALARM_BAD_CHARACTER, 1, 'G'},
        {"XYZ.", "X1.Y2.Z3\n", 0, 0, 0},
        {"XY().", "X1(G..anything)Y2\n", 0, 0, 0},  // a comment is passed over up to its ")"
        {"XY(", "X1(G)Y2\n", NC_ALARM_BAD_CHARACTER, 5, ')'},
        {"XY", "X1 Y2\n", NC_ALARM_BAD_CHARACTER, 3, ' '},
    };
    for (const Case& c : cases) {
        ResetNcTestState();
        g_CodeCheck = 1;
        g_CheckCharsLength = (int)std::strlen(c.allowed);
        g_CheckChars = g_CheckCharsLength > 0 ? strdup(c.allowed) : nullptr;
        OpenNcText(std::string(c.line) + "X2\n");
        const int first = ReadNextNcLine();
        EXPECT_EQ(c.alarm == 0 ? 1 : 0, first) << c.line;
        EXPECT_EQ(c.alarm, g_NcAlarmCode) << c.line;
        if (c.alarm != 0) {
            EXPECT_EQ(c.column, g_NcAlarmColumn) << c.line;
            EXPECT_EQ('\n', g_NcLineBuffer[std::strlen(g_NcLineBuffer) - 1]) << c.line;
        }
        if (c.alarm == NC_ALARM_BAD_CHARACTER) {
            EXPECT_EQ(c.character, g_NcAlarmChar) << c.line;
        }
        int column = 0;
        g_NcAlarmCode = 0;
        EXPECT_EQ(c.alarm != 0 ? 1 : 0, CheckNcLineSyntax(c.line, &column)) << c.line;
        EXPECT_EQ(c.column, column) << c.line;
        std::free(g_CheckChars);
        g_CheckChars = nullptr;
        g_CheckCharsLength = 0;
    }
}

TEST_F(NcLineReaderTest, SequenceSearchPassesOverLinesUntilItsNumber)
{
    const struct {
        const char* line;
        int passed;
    } cases[] = {
        {"(N100)X1\n", 1}, {"(NOTE)N100X1\n", 0}, {"N10X1\n", 1}, {"X1\n", 1},
        {"(N100 X1\n", 1},  // the comment never closes
        {"N100\n", 0}, {"N0100 G1\n", 0}, {"N1000\n", 1},
    };
    for (const auto& c : cases) {
        g_SequenceSearchNumber = 100;
        std::strcpy(g_NcLineBuffer, c.line);
        EXPECT_EQ(c.passed, SequenceNumberSearch()) << c.line;
        EXPECT_EQ(c.passed ? 100 : -1, g_SequenceSearchNumber) << c.line;
    }
}

TEST_F(NcLineReaderTest, SequenceSearchThroughTheReader)
{
    OpenNcText(ReadFixture("sequence_and_skip.nc"));
    g_SequenceSearchNumber = 20;
    std::vector<std::string> lines = ReadAllNcLines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("(NOTE) N20 X1.5\n", lines[0]);
    EXPECT_EQ("N30 Z-1.\n", lines[1]);
    EXPECT_EQ(-1, g_SequenceSearchNumber);
}

TEST_F(NcLineReaderTest, OspSearchesANameAndHeidenhainNeverMatches)
{
    g_DialectCode = DIALECT_OSP;
    std::strcpy(g_SequenceSearchName, "ab1");
    g_SequenceSearchNumber = 0;
    std::strcpy(g_NcLineBuffer, "NAB12 X1\n");
    EXPECT_EQ(0, SequenceNumberSearch());
    g_SequenceSearchNumber = 0;
    std::strcpy(g_NcLineBuffer, "NAC1 X1\n");
    EXPECT_EQ(1, SequenceNumberSearch());
    g_DialectCode = DIALECT_HEIDENHAIN;
    std::strcpy(g_NcLineBuffer, "N0\n");
    EXPECT_EQ(1, SequenceNumberSearch());
}

TEST_F(NcLineReaderTest, CutAtNonAlphanumeric)
{
    const struct {
        const char* name;
        int limit;
        const char* expected;
    } cases[] = {{"AB1-2", 5, "AB1"}, {"ABCDE.", 5, "ABCDE."}, {"A B", 5, "A"}, {"", 5, ""}, {"O12.NC", 32, "O12"}};
    for (const auto& c : cases) {
        char name[32];
        std::strcpy(name, c.name);
        CutAtNonAlphanumeric(name, c.limit);
        EXPECT_STREQ(c.expected, name) << c.name;
    }
}

TEST_F(NcLineReaderTest, SubprogramFileLevelReturnsToTheCaller)
{
    OpenNcText("G1X1\nG1X3\n");
    ASSERT_EQ(1, ReadNextNcLine());
    FILE* sub = std::tmpfile();
    std::fputs("G1X2\r\nM99", sub);
    std::rewind(sub);
    g_SubprogramDepth = 1;
    g_SubprogramInMemory[0] = 0;
    g_SubprogramFiles[0] = sub;
    g_SubprogramLineCount[0] = 0;
    ASSERT_EQ(1, ReadNextNcLine());
    EXPECT_STREQ("G1X2\n", g_NcLineBuffer);
    ASSERT_EQ(1, ReadNextNcLine());
    EXPECT_STREQ("M99\n", g_NcLineBuffer);
    EXPECT_EQ(2, g_SubprogramLineCount[0]);
    EXPECT_EQ(0, ReadNextNcLine());  // the file ended: back to the main program
    EXPECT_EQ(0, g_SubprogramDepth);
    EXPECT_EQ(nullptr, g_SubprogramFiles[0]);
    EXPECT_EQ(NC_RUN_READING, g_NcRunState);
    ASSERT_EQ(1, ReadNextNcLine());
    EXPECT_STREQ("G1X3\n", g_NcLineBuffer);
    EXPECT_EQ(2, g_NcLineNumber);
    EXPECT_EQ(4, g_BlockLineNumber);
}

TEST_F(NcLineReaderTest, InMemorySubprogramLinesGetALineFeed)
{
    static char text[] = "O100\0G1X2\0M99\0";
    int32_t offsets[MEMORY_SUBPROGRAM_SLOTS] = {};
    int32_t lengths[MEMORY_SUBPROGRAM_SLOTS] = {};
    lengths[0] = (int32_t)sizeof text - 1;
    g_ProgramText = text;
    g_MemorySubprogramOffsets = offsets;
    g_MemorySubprogramLengths = lengths;
    g_SubprogramDepth = 1;
    g_SubprogramInMemory[0] = 1;
    g_SubprogramIndex[0] = 0;
    g_SubprogramOffset[0] = 0;
    g_SubprogramLineCount[0] = 0;
    std::vector<std::string> lines;
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(1, ReadNextNcLine());
        lines.push_back(g_NcLineBuffer);
    }
    EXPECT_EQ((std::vector<std::string>{"O100\n", "G1X2\n", "M99\n"}), lines);
    EXPECT_EQ(3, g_LevelLineNumber);
    EXPECT_EQ(0, ReadNextNcLine());  // past its end the level is left
    EXPECT_EQ(0, g_SubprogramDepth);
    g_ProgramText = nullptr;
    g_MemorySubprogramOffsets = nullptr;
    g_MemorySubprogramLengths = nullptr;
}

}  // namespace
