// Rewriting the controller's MEMORY lines: replaced, dropped and appended entries, every other line
// kept byte for byte, the read-back of what was written (type B second values included), the work
// offset names by dialect, and failures that leave the controller file as it was.
#include "machine_setup/controller/memory_rewrite.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "platform/os/files.h"
#include "tests/scoped_temp_folder.h"

namespace {

class MemoryRewriteTest : public ::testing::Test {
protected:
    ScopedTempFolder folder;
    std::string path;

    void SetUp() override
    {
        ClearOffsetMemories();
        path = folder.File("machine.ctl");
        std::snprintf(g_ControllerFilePath, sizeof g_ControllerFilePath, "%s", path.c_str());
        g_ToolOffsetMemoryType = TOOL_OFFSET_MEMORY_A;
        g_DialectCode = DIALECT_DEFAULT;
    }
    void TearDown() override
    {
        ClearOffsetMemories();
        g_ControllerFilePath[0] = '\0';
        g_ToolOffsetMemoryType = TOOL_OFFSET_MEMORY_C;
        g_DialectCode = DIALECT_DEFAULT;
    }

    void Write(const std::string& text) { ASSERT_EQ(WriteFileThroughTemporary(path.c_str(), text.data(), text.size()), 1); }
    std::string Read(const std::string& file)
    {
        std::string text;
        ReadWholeFile(file.c_str(), &text);
        return text;
    }
    // Reads the MEMORY lines of the controller file into the cleared tables, as the controller reader does.
    void ReadBack()
    {
        ClearOffsetMemories();
        std::string text = Read(path);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(start, end - start);
            if (line.compare(0, 6, "MEMORY") == 0) ReadMemoryLine(line.c_str());
            start = end + 1;
        }
    }
};

TEST_F(MemoryRewriteTest, ToolOffsetsTypeAKeepOtherLinesAndAppend)
{
    const std::string original =
        "# comment MEMORY D01= 1\n"
        "REPLACE \"G28\" \"G30\"\r\n"
        "MEMORY D01= 1.000000\n"
        "memory d02= 3.000000\r\n"
        "MEMORY H01= 7.5 trailing text\n"
        "MEMORY D1500= 9.0\n"
        "MEMORY WK1= (1,2,3,0,0)\n"
        "LAST LINE WITHOUT END";
    Write(original);
    g_ToolOffsetD[1] = 5.25f;   // replaced in place
    g_ToolOffsetD[2] = 0.0f;    // its line is dropped
    g_ToolOffsetD[7] = -2.5f;   // appended
    g_ToolOffsetD[120] = 1.0f;  // appended, three digits
    g_ToolOffsetH[1] = 99.0f;   // an H line is not touched by the D rewrite
    ASSERT_EQ(RewriteCtlToolOffsets(TOOL_OFFSET_KIND_D), 1);
    EXPECT_EQ(Read(path),
              "# comment MEMORY D01= 1\n"
              "REPLACE \"G28\" \"G30\"\r\n"
              "MEMORY D01= 5.250000\n"
              "MEMORY H01= 7.5 trailing text\n"
              "MEMORY D1500= 9.0\n"
              "MEMORY WK1= (1,2,3,0,0)\n"
              "LAST LINE WITHOUT END\n"
              "MEMORY D07= -2.500000\n"
              "MEMORY D120= 1.000000\n");
    EXPECT_EQ(Read(path + ".bak"), original);
    EXPECT_EQ(DoesPathExist((path + ".new").c_str()), 0);

    ReadBack();
    EXPECT_EQ(g_ToolOffsetD[1], 5.25f);
    EXPECT_EQ(g_ToolOffsetD[2], 0.0f);
    EXPECT_EQ(g_ToolOffsetD[7], -2.5f);
    EXPECT_EQ(g_ToolOffsetD[120], 1.0f);
    EXPECT_EQ(g_ToolOffsetH[1], 7.5f);
}

TEST_F(MemoryRewriteTest, TypeBLinesKeepTheirSecondValueThroughARead)
{
    g_ToolOffsetMemoryType = TOOL_OFFSET_MEMORY_B;
    Write("MEMORY H03= 1.000000 2.000000\nMEMORY H04= 5,6\n");
    g_ToolOffsetH[3] = 10.5f;
    g_ToolOffsetH2[3] = -0.25f;
    g_ToolOffsetH[4] = 0.0f;
    g_ToolOffsetH2[4] = 6.0f;   // one non-zero value keeps the line
    g_ToolOffsetH2[9] = 3.0f;   // appended with a first value of 0
    ASSERT_EQ(RewriteCtlToolOffsets(TOOL_OFFSET_KIND_H), 1);
    EXPECT_EQ(Read(path),
              "MEMORY H03= 10.500000 -0.250000\n"
              "MEMORY H04= 0.000000 6.000000\n"
              "MEMORY H09= 0.000000 3.000000\n");
    ReadBack();
    EXPECT_EQ(g_ToolOffsetH[3], 10.5f);
    EXPECT_EQ(g_ToolOffsetH2[3], -0.25f);
    EXPECT_EQ(g_ToolOffsetH2[4], 6.0f);
    EXPECT_EQ(g_ToolOffsetH2[9], 3.0f);
}

TEST_F(MemoryRewriteTest, WorkOffsetsTrimmedAndNamedByDialect)
{
    const std::string original =
        "MEMORY G54= (1,1,1,0,0)\n"
        "MEMORY WK1= (2,2,2,0,0)\n"
        "MEMORY EXOFS= (5,0,0,0,0)\n"
        "MEMORY WK300= (1,0,0,0,0)\n"
        "MEMORY G53= (1,0,0,0,0)\n"
        "MEMORY WK3= (1,0,0,0,0)\n";
    Write(original);
    g_WorkOffsets[1] = AxisPosition{{100, 0, -50.25, 0, 0}};
    g_WorkOffsets[2] = AxisPosition{{12.5, 3, 0, 90, 0}};
    g_WorkOffsets[150] = AxisPosition{{0, 0, 0, 0, -1e-6}};
    ASSERT_EQ(RewriteCtlWorkOffsets(), 1);
    // G54 and WK1 name one entry: both rewritten; the zero external offset and WK3 are dropped; numbers
    // outside the table pass unchanged.
    EXPECT_EQ(Read(path),
              "MEMORY G54= (100,0,-50.25,0,0)\n"
              "MEMORY WK1= (100,0,-50.25,0,0)\n"
              "MEMORY WK300= (1,0,0,0,0)\n"
              "MEMORY G53= (1,0,0,0,0)\n"
              "MEMORY G55= (12.5,3,0,90,0)\n"
              "MEMORY WK150= (0,0,0,0,-0.000001)\n");
    ReadBack();
    EXPECT_EQ(g_WorkOffsets[1].axis[2], -50.25);
    EXPECT_EQ(g_WorkOffsets[2].axis[3], 90.0);

    g_DialectCode = DIALECT_OSP;
    Write("");
    ClearOffsetMemories();
    g_WorkOffsets[2] = AxisPosition{{1, 0, 0, 0, 0}};
    g_WorkOffsets[0] = AxisPosition{{0, 7, 0, 0, 0}};
    ASSERT_EQ(RewriteCtlWorkOffsets(), 1);
    EXPECT_EQ(Read(path), "MEMORY EXOFS= (0,7,0,0,0)\nMEMORY WK2= (1,0,0,0,0)\n");
}

TEST_F(MemoryRewriteTest, FailuresLeaveTheControllerFileAsItWas)
{
    const std::string original = "MEMORY D01= 1.000000\n";
    Write(original);
    g_ToolOffsetD[1] = 2.0f;
    FileTime before = g_ControllerFileTime;

    // The ".new" name is taken by a folder: nothing can be written.
    ASSERT_EQ(mkdir((path + ".new").c_str(), 0700), 0);
    EXPECT_EQ(RewriteCtlToolOffsets(TOOL_OFFSET_KIND_D), 0);
    EXPECT_EQ(Read(path), original);
    EXPECT_EQ(DoesPathExist((path + ".bak").c_str()), 0);
    ASSERT_EQ(rmdir((path + ".new").c_str()), 0);

    // The backup cannot be written: the new file is removed again.
    ASSERT_EQ(mkdir((path + ".bak").c_str(), 0700), 0);
    EXPECT_EQ(RewriteCtlToolOffsets(TOOL_OFFSET_KIND_D), 0);
    EXPECT_EQ(Read(path), original);
    EXPECT_EQ(DoesPathExist((path + ".new").c_str()), 0);
    ASSERT_EQ(rmdir((path + ".bak").c_str()), 0);

    // A missing controller file is not made.
    std::snprintf(g_ControllerFilePath, sizeof g_ControllerFilePath, "%s", folder.File("none.ctl").c_str());
    EXPECT_EQ(RewriteCtlWorkOffsets(), 0);
    EXPECT_EQ(DoesPathExist(folder.File("none.ctl").c_str()), 0);
    EXPECT_EQ(DoesPathExist(folder.File("none.ctl.new").c_str()), 0);
    EXPECT_EQ(AreFileTimesEqual(&before, &g_ControllerFileTime), 1);
}

TEST_F(MemoryRewriteTest, ValueListTrimsEachValue)
{
    std::string file = folder.File("list.txt");
    FILE* stream = std::fopen(file.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    const double values[5] = {12.5, 3.0, 100.0, 0.0, -0.125};
    WriteValueList(stream, values);
    std::fclose(stream);
    EXPECT_EQ(Read(file), "(12.5,3,100,0,-0.125)\n");
}

}  // namespace
