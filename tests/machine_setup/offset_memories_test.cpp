// Replacement rules and offset memories: the "REPLACE" line in both quote styles, the forms of the
// "MEMORY" line and the bare D/H/F lines, numbers outside the tables, and the clearing rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "machine_setup/controller/offset_memories.h"

namespace {

class OffsetMemoriesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FreeReplaceRules();
        ClearOffsetMemories();
        std::memset(g_FeedTable, 0, sizeof g_FeedTable);
        std::memset(g_ReferencePoints, 0, sizeof g_ReferencePoints);
    }
    void TearDown() override { FreeReplaceRules(); }
};

std::string RuleFrom(int k)
{
    return std::string(g_ReplaceRules.fromText[k], (size_t)g_ReplaceRules.fromLength[k]);
}

std::string RuleTo(int k)
{
    return std::string(g_ReplaceRules.toText[k], (size_t)g_ReplaceRules.toLength[k]);
}

void ExpectEntry(int entry, double x, double y, double z, double r1, double r2)
{
    const double* v = g_WorkOffsets[entry].axis;
    EXPECT_EQ(v[0], x) << "entry " << entry;
    EXPECT_EQ(v[1], y) << "entry " << entry;
    EXPECT_EQ(v[2], z) << "entry " << entry;
    EXPECT_EQ(v[3], r1) << "entry " << entry;
    EXPECT_EQ(v[4], r2) << "entry " << entry;
}

}  // namespace

TEST_F(OffsetMemoriesTest, ReplaceLinesInBothQuoteStyles)
{
    EXPECT_EQ(ReadReplaceRuleLine("REPLACE \"G28\" \"G30\"\n"), 1);
    EXPECT_EQ(ReadReplaceRuleLine("REPLACE 'A\"B' 'C\"'\n"), 1);   // the other quote inside the texts
    EXPECT_EQ(ReadReplaceRuleLine("REPLACE=\"M06\",\"\"\n"), 1);   // empty replacement
    EXPECT_EQ(ReadReplaceRuleLine("REPLACE \"X'\" 'ignored' \"Y\"\n"), 1);  // first quote decides
    ASSERT_EQ(g_ReplaceRules.count, 4);
    EXPECT_EQ(RuleFrom(0), "G28");
    EXPECT_EQ(RuleTo(0), "G30");
    EXPECT_EQ(RuleFrom(1), "A\"B");
    EXPECT_EQ(RuleTo(1), "C\"");
    EXPECT_EQ(RuleFrom(2), "M06");
    EXPECT_EQ(g_ReplaceRules.toLength[2], 0);
    ASSERT_NE(g_ReplaceRules.toText[2], nullptr);
    EXPECT_EQ(g_ReplaceRules.toText[2][0], '\0');
    EXPECT_EQ(RuleFrom(3), "X'");
    EXPECT_EQ(RuleTo(3), "Y");

    const char* refused[] = {
        "REPLACE G28 G30\n",        // no quote
        "REPLACE \"G28 G30\n",      // no closing quote
        "REPLACE \"G28\"\n",        // no replacement
        "REPLACE \"G28\" \"G30\n",  // replacement not closed
        "REPLACE \"\" \"G30\"\n",   // empty text to find
        "REPLACE 'G28' \"G30\"\n",  // mixed quotes
        "REPLACE",
    };
    for (const char* line : refused) EXPECT_EQ(ReadReplaceRuleLine(line), 0) << line;
    EXPECT_EQ(g_ReplaceRules.count, 4);

    FreeReplaceRules();
    EXPECT_EQ(g_ReplaceRules.count, 0);
    EXPECT_EQ(g_ReplaceRules.fromText[0], nullptr);
    EXPECT_EQ(g_ReplaceRules.toText[3], nullptr);
}

TEST_F(OffsetMemoriesTest, TableHoldsAThousandRules)
{
    for (int k = 0; k < REPLACE_RULE_MAX; ++k) {
        std::string line = "REPLACE \"A" + std::to_string(k) + "\" \"B\"\n";
        ASSERT_EQ(ReadReplaceRuleLine(line.c_str()), 1);
    }
    EXPECT_EQ(ReadReplaceRuleLine("REPLACE \"more\" \"rules\"\n"), 0);
    EXPECT_EQ(g_ReplaceRules.count, REPLACE_RULE_MAX);
    EXPECT_EQ(RuleFrom(999), "A999");
}

TEST_F(OffsetMemoriesTest, ToolOffsetMemoryLines)
{
    EXPECT_EQ(ReadMemoryLine("MEMORY D05= 2.5\n"), 1);
    EXPECT_EQ(ReadMemoryLine("MEMORY D105= 2.5\n"), 1);
    EXPECT_EQ(ReadMemoryLine("MEMORY D07= 1.5 0.25\n"), 1);
    EXPECT_EQ(ReadMemoryLine("MEMORY D08= -1.5\t-0.125\n"), 1);
    EXPECT_EQ(ReadMemoryLine("MEMORY D09= 3,0.5\n"), 1);
    EXPECT_EQ(ReadMemoryLine("memory h12= 150.125 -0.5\n"), 1);
    EXPECT_EQ(ReadMemoryLine("MEMORY   =F3= 1500\n"), 1);
    EXPECT_EQ(ReadMemoryLine("MEMORY D999= 9"), 1);  // last line without a line end
    EXPECT_EQ(g_ToolOffsetD[5], 2.5f);
    EXPECT_EQ(g_ToolOffsetD2[5], 0.0f);
    EXPECT_EQ(g_ToolOffsetD[105], 2.5f);
    EXPECT_EQ(g_ToolOffsetD[7], 1.5f);
    EXPECT_EQ(g_ToolOffsetD2[7], 0.25f);
    EXPECT_EQ(g_ToolOffsetD[8], -1.5f);
    EXPECT_EQ(g_ToolOffsetD2[8], -0.125f);
    EXPECT_EQ(g_ToolOffsetD[9], 3.0f);
    EXPECT_EQ(g_ToolOffsetD2[9], 0.5f);
    EXPECT_EQ(g_ToolOffsetH[12], 150.125f);
    EXPECT_EQ(g_ToolOffsetH2[12], -0.5f);
    EXPECT_EQ(g_FeedTable[3], 1500.0f);
    EXPECT_EQ(g_ToolOffsetD[999], 9.0f);
}

TEST_F(OffsetMemoriesTest, WorkOffsetAndReferencePointLines)
{
    EXPECT_EQ(ReadMemoryLine("MEMORY WK150= (1,2,3,0,0)\n"), 1);
    EXPECT_EQ(ReadMemoryLine("MEMORY WK3= (100,-20.5,0,0,90)\n"), 1);
    EXPECT_EQ(ReadMemoryLine("MEMORY G57= (10,0,0,0,0)\n"), 1);
    EXPECT_EQ(ReadMemoryLine("MEMORY G54= (1.5,2.5,-3.5,45,-90)\n"), 1);
    EXPECT_EQ(ReadMemoryLine("MEMORY EXOFS= (0,0,-5,0,0)\n"), 1);
    EXPECT_EQ(ReadMemoryLine("MEMORY REF-PT2= 0,0,500,0,0\n"), 1);
    EXPECT_EQ(ReadMemoryLine("MEMORY REF-PT= 1,2,3,4,5\n"), 1);
    ExpectEntry(150, 1, 2, 3, 0, 0);
    ExpectEntry(3, 100, -20.5, 0, 0, 90);
    ExpectEntry(4, 10, 0, 0, 0, 0);
    ExpectEntry(1, 1.5, 2.5, -3.5, 45, -90);
    ExpectEntry(0, 0, 0, -5, 0, 0);
    EXPECT_EQ(g_ReferencePointGiven[1], 1);
    EXPECT_EQ(g_ReferencePoints[1][2], 500.0f);
    EXPECT_EQ(g_ReferencePointGiven[0], 1);
    const float expected[5] = {1, 2, 3, 4, 5};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(g_ReferencePoints[0][k], expected[k]);
    EXPECT_EQ(g_ReferencePointGiven[2], 0);

    // A later line for the same entry overwrites it.
    EXPECT_EQ(ReadMemoryLine("MEMORY WK4= (-1,-2,-3,-4,-5)\n"), 1);
    ExpectEntry(4, -1, -2, -3, -4, -5);
}

// Numbers outside the tables pass the line over and write nothing anywhere.
TEST_F(OffsetMemoriesTest, NumbersOutsideTheTablesArePassedOver)
{
    const char* lines[] = {
        "MEMORY D1000= 5\n", "MEMORY D-1= 5\n",     "MEMORY H99999999999999999999= 5\n",
        "MEMORY F1e300= 5\n", "MEMORY WK201= (1,1,1,1,1)\n", "MEMORY WK-3= (1,1,1,1,1)\n",
        "MEMORY G53= (1,1,1,1,1)\n", "MEMORY G5X= (1,1,1,1,1)\n", "MEMORY REF-PT5= 1,1,1,1,1\n",
        "MEMORY REF-PT0= 1,1,1,1,1\n", "MEMORY XYZ= 1\n", "MEMORY\n", "MEMORY",
    };
    for (const char* line : lines) EXPECT_EQ(ReadMemoryLine(line), 0) << line;
    for (int k = 0; k < TOOL_OFFSET_COUNT; ++k) {
        ASSERT_EQ(g_ToolOffsetD[k], 0.0f);
        ASSERT_EQ(g_ToolOffsetH[k], 0.0f);
        ASSERT_EQ(g_FeedTable[k], 0.0f);
    }
    for (int k = 0; k < WORK_OFFSET_COUNT; ++k) ExpectEntry(k, 0, 0, 0, 0, 0);
    for (int k = 0; k < REFERENCE_POINT_COUNT; ++k) EXPECT_EQ(g_ReferencePointGiven[k], 0);
}

TEST_F(OffsetMemoriesTest, BareOffsetLines)
{
    EXPECT_EQ(ReadBareOffsetLine("D12= 0.5\n"), 1);
    EXPECT_EQ(ReadBareOffsetLine("h7=2.5 0.1\n"), 1);
    EXPECT_EQ(ReadBareOffsetLine("F3=1500\n"), 1);
    EXPECT_EQ(g_ToolOffsetD[12], 0.5f);
    EXPECT_EQ(g_ToolOffsetH[7], 2.5f);
    EXPECT_EQ(g_ToolOffsetH2[7], 0.1f);
    EXPECT_EQ(g_FeedTable[3], 1500.0f);

    // The number must start right after the letter.
    EXPECT_EQ(ReadBareOffsetLine("D 12= 0.5\n"), 0);
    EXPECT_EQ(ReadBareOffsetLine("DX=1\n"), 0);
    EXPECT_EQ(ReadBareOffsetLine("FOO 5\n"), 0);
    EXPECT_EQ(ReadBareOffsetLine("D"), 0);
    EXPECT_EQ(ReadBareOffsetLine("X12=1\n"), 0);
    // A lone line end reads as offset 0 with the value 0; nothing is read past the line.
    g_ToolOffsetD[0] = 4.0f;
    EXPECT_EQ(ReadBareOffsetLine("D\n"), 1);
    EXPECT_EQ(g_ToolOffsetD[0], 0.0f);
}

TEST_F(OffsetMemoriesTest, ClearingKeepsTheFeedNumbers)
{
    ReadMemoryLine("MEMORY D05= 2.5 1\n");
    ReadMemoryLine("MEMORY H05= 2.5 1\n");
    ReadMemoryLine("MEMORY F05= 800\n");
    ReadMemoryLine("MEMORY WK5= (1,2,3,4,5)\n");
    ReadMemoryLine("MEMORY REF-PT3= 1,2,3,4,5\n");
    ClearOffsetMemories();
    EXPECT_EQ(g_ToolOffsetD[5], 0.0f);
    EXPECT_EQ(g_ToolOffsetD2[5], 0.0f);
    EXPECT_EQ(g_ToolOffsetH[5], 0.0f);
    EXPECT_EQ(g_ToolOffsetH2[5], 0.0f);
    ExpectEntry(5, 0, 0, 0, 0, 0);
    EXPECT_EQ(g_ReferencePointGiven[2], 0);
    EXPECT_EQ(g_FeedTable[5], 800.0f);
}
