// Tool numbers above 200 with a larger magazine: every per-tool table is indexed by the tool number up to
// the magazine size, the last number included; numbers past the arrays change nothing; a MAGAZINE line
// that ends inside its keyword or number is never read past its end.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/shell_services.h"
#include "machine_setup/machine/machine_definition.h"
#include "tool_test_support.h"

namespace {

class AcceptanceToolNumbers : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetToolSettings();
        g_ToolHolderOffset = 0;
        g_ToolDirectionTilted = 0;
        g_RunMode = 0;
    }
    void TearDown() override
    {
        g_MaxMagazine = 200;
        AllocateToolArrays();
    }
};

TEST_F(AcceptanceToolNumbers, NumbersUpToTheMagazineSizeKeepTheirOwnRecords)
{
    g_MaxMagazine = 400;
    AllocateToolArrays();
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 1 FLAT 4, 10\nPEN 1\n"
                                   "MAGAZINE 250 BALL 6, 12\nLENGTH 70\nARBOR 30, 20\nPEN 2\nSHIFT 1.5\n"
                                   "MAGAZINE 400 BULL 8, 1, 14\nLENGTH 60\nARBOR 40, 10\nPEN 3\nSHIFT 2.5\n"));
    EXPECT_EQ(1, g_ToolTable[250].defined);
    EXPECT_EQ(1, g_ToolTable[400].defined);
    EXPECT_EQ(0, g_ToolTable[399].defined);

    ASSERT_EQ(1, SelectCurrentTool(400, 0));
    EXPECT_EQ(400, g_CurrentToolNumber);
    EXPECT_FLOAT_EQ(8, g_CurrentTool.diameter);
    EXPECT_EQ(TOOL_BULL, g_CurrentTool.type);
    EXPECT_FLOAT_EQ(60, g_CurrentToolLengthRecord.lengths[0]);
    EXPECT_EQ(1, g_CurrentArbor.used);
    EXPECT_FLOAT_EQ(40, g_CurrentArbor.diameters[0]);
    EXPECT_EQ(3, g_CurrentToolPenIndex);

    ASSERT_EQ(1, SelectCurrentTool(250, 0));
    EXPECT_FLOAT_EQ(6, g_CurrentTool.diameter);
    EXPECT_EQ(TOOL_BALL, g_CurrentTool.type);
    EXPECT_FLOAT_EQ(70, g_CurrentToolLengthRecord.lengths[0]);
    EXPECT_FLOAT_EQ(30, g_CurrentArbor.diameters[0]);
    EXPECT_EQ(2, g_CurrentToolPenIndex);

    // Past the arrays: refused without reading past them; no cutting shape is left behind.
    for (int n : {401, 100000, -1}) {
        EXPECT_EQ(-1, SelectCurrentTool(n, 0)) << n;
        EXPECT_EQ(0, g_CurrentTool.defined) << n;
    }
    ASSERT_EQ(1, SelectCurrentTool(400, 0));
    EXPECT_FLOAT_EQ(8, g_CurrentTool.diameter);
}

TEST_F(AcceptanceToolNumbers, MagazineNumberBeyondTheTableIsNotStored)
{
    // 201 lies beyond a table of 200: reading stops there, nothing is written past the arrays.
    ASSERT_EQ(1, ReadToolTableText("MAGAZINE 200 FLAT 4, 10\nMAGAZINE 201 FLAT 5, 5\n"));
    EXPECT_EQ(1, g_ToolTable[200].defined);
    EXPECT_FLOAT_EQ(4, g_ToolTable[200].diameter);
    ASSERT_EQ(1, SelectCurrentTool(200, 0));
    EXPECT_FLOAT_EQ(4, g_CurrentTool.diameter);
}

TEST_F(AcceptanceToolNumbers, ShortMagazineLinesEndCleanly)
{
    // Lines that end inside the keyword, right after it, or inside the number: no crash, no stray tool.
    const char* texts[] = {"MAGAZ", "MAGAZINE", "MAGAZINE ", "MAGAZINE 1", "M", "MAGAZINE\n", "MAGAZINE 1\n"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        ResetToolSettings();
        EXPECT_EQ(1, ReadToolTableText(text));
        for (int n = 2; n <= 200; ++n) EXPECT_EQ(0, g_ToolTable[n].defined) << n;
    }
}

}  // namespace
