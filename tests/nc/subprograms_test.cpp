// The program index of a program run from memory and the sub-program calls and returns: which
// sub-programs are indexed, which lines a call reads, file calls with the four-digit fallback, the
// alarm of a call that finds nothing, the nesting limit and the re-index on a changed file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <string>
#include <vector>

#include "motion_test_support.h"
#include "nc/block_interpreter.h"
#include "nc/subprogram_calls.h"

using namespace motion_test;

namespace {

const char* const kMemoryRun[] = {"RUN TYPE MEMORY"};

using SubprogramsTest = ProgramTest;

// Every line read and interpreted until the input ends or an alarm is raised, without its line feed.
std::vector<std::string> RunAllLines()
{
    std::vector<std::string> lines;
    for (int k = 0; k < 1000 && g_NcRunState < NC_RUN_FINISHED && g_NcAlarmCode == 0; ++k) {
        ClearPerBlockFields();
        if (!ReadNextNcLine()) continue;
        std::string line = g_NcLineBuffer;
        if (!line.empty() && line.back() == '\n') line.pop_back();
        lines.push_back(line);
        InterpretNcBlock(g_NcLineBuffer);
    }
    return lines;
}

TEST_F(SubprogramsTest, IndexHoldsTheSubprogramsAfterTheMainProgram)
{
    ResetWithController(kMemoryRun, 1);
    const std::string text = "O1\nG00 X0\nO50\nM30\nO100\nG01 X1\nN10 M99\nO200\r\nG00 M99\r\nX2\r\nM99\r\n";
    ASSERT_TRUE(StartProgram(folder, "MAIN.NC", text));
    ASSERT_EQ(2, g_MemorySubprogramCount);
    EXPECT_EQ(100, g_MemorySubprogramNumbers[0]);
    EXPECT_EQ(200, g_MemorySubprogramNumbers[1]);
    EXPECT_EQ(4, g_MemorySubprogramLines[0]);  // O100 is line 5
    EXPECT_EQ(7, g_MemorySubprogramLines[1]);
    EXPECT_STREQ("O100", g_ProgramText + g_MemorySubprogramOffsets[0]);
    EXPECT_EQ((int)std::strlen("O100\nG01 X1\nN10 M99\n"), g_MemorySubprogramLengths[0]);
    // CR LF lines keep their carriage return (as a NUL) and lose the line feed.
    EXPECT_EQ((int)std::strlen("O200\rG00 M99\rX2\rM99\r"), g_MemorySubprogramLengths[1]);
    EXPECT_EQ((int)std::strlen("O1\nG00 X0\nO50\nM30\n"), g_MainProgramBytes);
    EXPECT_EQ(-1, FindSubprogramByNumber(50));
    EXPECT_EQ(1, FindSubprogramByNumber(200));
}

TEST_F(SubprogramsTest, MemoryCallReadsTheSubprogramAndReturns)
{
    ResetWithController(kMemoryRun, 1);
    ASSERT_TRUE(StartProgram(folder, "MAIN.NC", "G00 X0\nM98 P100\nX5\nM30\nO100\nG01 X1\nM99\nO200\nX9\nM99\n"));
    const std::vector<std::string> expected = {"G00 X0", "M98 P100", "O100", "G01 X1", "M99", "X5", "M30"};
    EXPECT_EQ(expected, RunAllLines());
    EXPECT_EQ(0, g_NcAlarmCode);
    EXPECT_EQ(0, g_SubprogramDepth);
    EXPECT_STREQ("O0100", g_SubprogramCallNames[0]);
}

TEST_F(SubprogramsTest, SkippedReturnStillEndsTheSubprogramText)
{
    const char* const lines[] = {"RUN TYPE MEMORY"};
    ResetWithController(lines, 1);
    g_OptionalBlockSkip[0] = 1;
    g_OptionalBlockSkipAny = 1;
    ASSERT_TRUE(StartProgram(folder, "MAIN.NC", "M98 P100\nX5\nM30\nO100\nX1\n/M99\nO200\nX9\nM99\n"));
    const std::vector<std::string> expected = {"M98 P100", "O100", "X1", "X5", "M30"};
    EXPECT_EQ(expected, RunAllLines());
}

TEST_F(SubprogramsTest, FileCallTriesTheFourDigitNameNext)
{
    ResetWithController(nullptr, 0);
    WriteText(folder.File("O12"), "G01 X12\nM99\n");
    ASSERT_TRUE(StartProgram(folder, "MAIN.NC", "M198 P12\nX1\n"));
    std::vector<std::string> expected = {"M198 P12", "G01 X12", "M99", "X1"};
    EXPECT_EQ(expected, RunAllLines());
    EXPECT_EQ(folder.File("O12"), std::string(g_LastSubprogramPath));

    CloseProgram();
    std::remove(folder.File("O12").c_str());
    WriteText(folder.File("O0012"), "G01 X34\nM99\n");
    ASSERT_TRUE(StartProgram(folder, "MAIN.NC", "M198 P12\nX1\n"));
    expected = {"M198 P12", "G01 X34", "M99", "X1"};
    EXPECT_EQ(expected, RunAllLines());
    EXPECT_EQ(0, g_NcAlarmCode);
}

TEST_F(SubprogramsTest, CallThatFindsNothingRaisesAlarm11)
{
    struct Case {
        int memory;
        const char* program;
        int alarm;
    } cases[] = {
        {0, "M198 P77\nX1\n", NC_ALARM_SUBPROGRAM_NOT_FOUND},        // no file O77 nor O0077
        {0, "M98<NOFILE.NC>\nX1\n", NC_ALARM_SUBPROGRAM_NOT_FOUND}, // named file missing
        {1, "M98 P999\nM30\nO100\nM99\n", NC_ALARM_SUBPROGRAM_NOT_FOUND},  // number not indexed
        {0, "M98 P100\nX1\n", 0},                                     // M98 P without memory: no call
    };
    const std::string longName = "M98<" + std::string(300, 'A') + ">\nX1\n";  // longer than any path
    const std::string longFolderName = "M198<" + std::string(250, 'B') + ">\nX1\n";  // folder + name too long
    for (const Case& c : cases) {
        ResetWithController(kMemoryRun, c.memory);
        ASSERT_TRUE(StartProgram(folder, "MAIN.NC", c.program));
        RunAllLines();
        EXPECT_EQ(c.alarm, g_NcAlarmCode) << c.program;
        EXPECT_EQ(0, g_SubprogramDepth) << c.program;
        CloseProgram();
    }
    for (const std::string& program : {longName, longFolderName}) {
        ResetWithController(kMemoryRun, 0);
        ASSERT_TRUE(StartProgram(folder, "MAIN.NC", program));
        RunAllLines();
        EXPECT_EQ(NC_ALARM_SUBPROGRAM_NOT_FOUND, g_NcAlarmCode);
        EXPECT_EQ(0, g_SubprogramDepth);
        CloseProgram();
    }
    EXPECT_STREQ("Subprogram not found", kSubprogramNotFoundText[1]);
    EXPECT_STREQ("サブプログラムが見つかりません", kSubprogramNotFoundText[0]);
}

TEST_F(SubprogramsTest, FifthNestedCallIsIgnored)
{
    ResetWithController(nullptr, 0);
    for (int n = 1; n <= 4; ++n) {
        WriteText(folder.File(("O" + std::to_string(n)).c_str()), "M198 P" + std::to_string(n + 1) + "\nX" +
                                                                   std::to_string(n) + "\nM99\n");
    }
    WriteText(folder.File("O5"), "X55\nM99\n");
    ASSERT_TRUE(StartProgram(folder, "MAIN.NC", "M198 P1\nX0\n"));
    const std::vector<std::string> lines = RunAllLines();
    const std::vector<std::string> expected = {"M198 P1", "M198 P2", "M198 P3", "M198 P4", "M198 P5", "X4", "M99",
                                               "X3", "M99", "X2", "M99", "X1", "M99", "X0"};
    EXPECT_EQ(expected, lines);
    EXPECT_EQ(0, g_NcAlarmCode);
}

TEST_F(SubprogramsTest, UnchangedFileIsNotIndexedAgain)
{
    ResetWithController(kMemoryRun, 1);
    ASSERT_TRUE(StartProgram(folder, "MAIN.NC", "M30\nO100\nM99\n"));
    ASSERT_EQ(1, g_MemorySubprogramCount);
    struct stat before;
    ASSERT_EQ(0, stat(g_NcFilePath, &before));
    WriteText(g_NcFilePath, "M30\nO100\nM99\nO200\nM99\n");
    struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(0, utimensat(AT_FDCWD, g_NcFilePath, times, 0));
    IndexNcFile();
    EXPECT_EQ(1, g_MemorySubprogramCount);  // same time: the index is current
    times[1].tv_sec += 10;
    ASSERT_EQ(0, utimensat(AT_FDCWD, g_NcFilePath, times, 0));
    IndexNcFile();
    EXPECT_EQ(2, g_MemorySubprogramCount);
}

}  // namespace
