// The tool never jumps: every move starts in the machine where the one before it ended, across work
// offset selection, local shifts (G52), offset setting (G10 L2), G92, rotations, mirrors, scaling and
// length offsets; and the coordinate-system changes move the path only as far as they should.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "block_test_support.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "nc/interpreter_state.h"

namespace {

class MoveContinuityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetBlockTestState();
        g_DecimalPointMode = DECIMAL_POINT_NORMAL;  // words as written
    }
    void TearDown() override { ResetBlockTestState(); }
};

struct ContinuityCase {
    const char* name;
    void (*setUp)();  // controller settings and memories before the program; may be null
    std::vector<std::string> blocks;
};

void SetG54AndG55() { g_WorkOffsets[1].axis[AXIS_X] = 100.0, g_WorkOffsets[2].axis[AXIS_X] = 200.0; }
void SetExtendedEntries() { g_WorkOffsets[9].axis[AXIS_Y] = 9.0, g_WorkOffsets[7].axis[AXIS_Y] = 7.0; }
void SetOffsetMemories()
{
    g_ToolOffsetD[5] = 3.0f;
    g_ToolOffsetH[1] = 50.0f;
    g_ToolOffsetH[2] = 10.0f;
    g_ToolOffsetH[7] = 100.0f;
}
void SetLengthTypeC()
{
    SetOffsetMemories();
    g_LengthOffsetType = 2;
}
void SetOspWithEntry3()
{
    g_DialectOsp = 1;
    g_DialectCode = DIALECT_OSP;
    g_WorkOffsets[3].axis[AXIS_X] = 40.0;
}
void SetIncrementalU() { g_IncrementalAxisChars[0] = 'U'; }

// The programs of the interpreter's tests (with the controller settings they run under) and the
// coordinate-system changes that once made the path jump. Programs whose G92 "MOVE" mode places the
// tool at its start point by design are not among them.
const std::vector<ContinuityCase>& ContinuityCases()
{
    static const std::vector<ContinuityCase> cases = {
        {"arcs by radius", nullptr, {"G02 X10. R5.", "G02 X20. R5.", "G03 X30. R5."}},
        {"compensation codes", SetOffsetMemories, {"G41 D05", "G42", "G41", "G40"}},
        {"work offset change", SetG54AndG55, {"G54 G00 X10. Y5.", "G55", "X10.", "G54 G01 Y20."}},
        {"work offset change in G91", SetG54AndG55, {"G54 G00 X10. Y5.", "G91 G55", "X10.", "G54 Y5."}},
        {"extended work offsets", SetExtendedEntries, {"G01 X5. Y5.", "G54 P3", "G54.1", "G54.1 P3", "Y1."}},
        {"length offset axis", SetLengthTypeC, {"G43 Z5. X10. H1", "G43 H1", "G18 G43 H1", "G17 G43 H1", "G49"}},
        {"G92 shift", SetG54AndG55, {"G00 X100. Y50.", "G92 X0 Y0", "G54", "G01 X10.", "G92 X0", "G55 X5."}},
        {"G52 slot", SetG54AndG55,
         {"G54 G90 G00 X0 Y0 Z5", "G01 Z-1 F500", "G52 X30 Y0", "G01 X20", "G52 X0 Y0", "X0"}},
        {"G52 incremental", SetG54AndG55, {"G54", "G01 X3.", "G52 X10.", "G91 G52 X5.", "G90 X0", "G55 X1."}},
        {"G10 L2 of the entry in use", SetG54AndG55,
         {"G54 G01 X10. Y10. F100", "G10 L2 P1 X50.", "X20.", "G91 G10 L2 P1 Y5.", "G90 Y0"}},
        {"G10 L2 of another entry", SetG54AndG55, {"G54 G01 X10. Y10. F100", "G10 L2 P2 X100 Y50", "X20.", "G55 X0"}},
        {"G10 L2 of the external entry", SetG54AndG55, {"G54 G01 X10. F100", "G10 L2 P0 X7.", "X20."}},
        {"G10 L2 after G92", SetG54AndG55, {"G54 G00 X10.", "G92 X0", "G10 L2 P1 X150.", "G01 X5. F100"}},
        {"rotations", nullptr,
         {"G68 R0", "G68 X0 Y0 R90.", "G01 X10. Y5. F100", "G68 X1. Y1. R30.", "X20.", "G69", "G00", "G68 I1. R90.",
          "G68 J1. R45.", "G68 R10.", "X5. Y5. Z5."}},
        {"rotation cancel", nullptr, {"G01 X3 Y4 F100", "G68 X0 Y0 R90.", "G01 X10 Y0", "G69", "G91 X5"}},
        {"rotation about a centre", nullptr, {"G68 X10 Y10 R180.", "G01 X12 Y10 F100"}},
        {"two rotation levels", nullptr, {"G68 I1 R90.", "G68 J1 R90.", "G01 X1 Y0 Z0 F100"}},
        {"canned cycle", nullptr, {"G00 Z10.", "G81 Z-5. R2.", "X10.", "G80", "G00 X0"}},
        {"dwell", nullptr, {"G01 X5. F100", "G04 P500", "G04 X1.5", "Y5."}},
        {"scaling", nullptr, {"M03 S1200", "G01 X3. F100.", "G51 X0 Y0 P2.", "G01 X10. F100.", "G50", "X4."}},
        {"scaled arcs", nullptr, {"G51 X0 Y0 P2000", "G01 X5. F100", "G02 X15. R5.", "G03 X5. I-5. J0", "G50"}},
        {"machine coordinates", SetG54AndG55, {"G54 G00 X1. Y2. Z30.", "G90 G53 X-50.", "X10."}},
        {"incremental letters", SetIncrementalU, {"G90 X10. U0", "U2.5", "X0"}},
        {"radius arcs", nullptr, {"G02 X10 Y0 R5", "G02 X0 Y0 R-7", "G03 X10 Y0 R7", "G02 R10", "G02 I10"}},
        {"arcs in the ZX plane", nullptr, {"G18 G03 X10 Z0 R5", "G02 X20 Z0 I5 K0", "G17"}},
        {"arc radius mismatch", nullptr, {"G03 X20.02 Y0 I10 J0"}},
        {"tiny values", nullptr, {"G01 X0.0000004 Y-0.0000009 Z0.000002 F100", "X1."}},
        {"mirror of one axis", nullptr, {"G01 X2 F100", "G51.1 X0", "G41 G02 X10 Y0 R5 F100", "G50.1 X0", "G40 X0"}},
        {"mirror of both axes", nullptr, {"G51.1 X0 Y0", "G42 G02 X10 Y0 I5 J0 F100", "G50.1 X0", "G50.1 Y0", "G40"}},
        {"mirror in the ZX plane", nullptr, {"G51.1 Y0", "G18 G02 X10 Z0 R5 F100", "G17 G50.1 Y0"}},
        {"words in order", nullptr, {"G01 X10. G00 Y5.", "G90 Y5.", "X10. G91 Y10.", "G90"}},
        {"words without blanks", SetG54AndG55, {"G90G54G01X1.5Y-2.F100.", "G55G00X0"}},
        {"letter chains", nullptr, {"MX10.", "GX10.", "M X10."}},
        {"comments", nullptr, {"(T5 D10) X1.", "X2. (open comment Y5."}},
        {"D and H memories", SetOffsetMemories, {"G41 D5", "D1500", "G44 H7", "G01 Z5. F100", "H0", "G40"}},
        {"cycle repeats", nullptr, {"G81 X10. Z-5. R1. K0", "X20. K0", "G80"}},
        {"G10 offsets", nullptr,
         {"G01 X3. F100", "G10 L10 P5 R12.5", "G10 L12 P5 R4.", "G91 G10 L12 P5 R1.", "G90 G10 L2 P1 X-100.",
          "G10 L20 P2 Y7.", "G54 X1."}},
        {"OSP work offset row", SetOspWithEntry3, {"G01 X5. F100", "G15 H3", "X10."}},
    };
    return cases;
}

TEST_F(MoveContinuityTest, EveryMoveStartsWhereTheOneBeforeItEnded)
{
    for (const ContinuityCase& c : ContinuityCases()) {
        ResetBlockTestState();
        g_DecimalPointMode = DECIMAL_POINT_NORMAL;
        if (c.setUp != nullptr) c.setUp();
        EXPECT_EQ(FindFirstMoveJump(c.blocks), "") << c.name;
        EXPECT_EQ(g_NcAlarmCode, 0) << c.name;
    }
}

// Machine X and Y of the move start and end of the last block.
void ExpectMachineMove(double startX, double startY, double endX, double endY)
{
    EXPECT_DOUBLE_EQ(g_NcMoveStart.axis[AXIS_X] + g_ActiveWorkOffset.axis[AXIS_X], startX);
    EXPECT_DOUBLE_EQ(g_NcMoveStart.axis[AXIS_Y] + g_ActiveWorkOffset.axis[AXIS_Y], startY);
    EXPECT_DOUBLE_EQ(MachineAxis(AXIS_X), endX);
    EXPECT_DOUBLE_EQ(MachineAxis(AXIS_Y), endY);
}

TEST_F(MoveContinuityTest, G52SlotIsCutFromWhereTheToolStands)
{
    g_WorkOffsets[1].axis[AXIS_X] = 100.0;
    g_WorkOffsets[1].axis[AXIS_Y] = 50.0;
    RunBlock("G54 G90 G00 X0 Y0 Z5");
    RunBlock("G01 Z-1 F500");
    RunBlock("G52 X30 Y0");  // no move: the tool stays at machine (100, 50, -1)
    ExpectMachineMove(100.0, 50.0, 100.0, 50.0);
    EXPECT_DOUBLE_EQ(g_NcTargetPosition.axis[AXIS_X], -30.0);
    RunBlock("G01 X20");  // X20 of the shifted frame is machine 150: a 50 mm slot from 100
    ExpectMachineMove(100.0, 50.0, 150.0, 50.0);
    EXPECT_DOUBLE_EQ(MachineAxis(AXIS_Z), -1.0);
    RunBlock("G52 X0 Y0");
    RunBlock("X0");  // back to the G54 origin
    ExpectMachineMove(150.0, 50.0, 100.0, 50.0);
}

TEST_F(MoveContinuityTest, G10L2MovesThePathOnlyForTheEntryInUse)
{
    g_WorkOffsets[1].axis[AXIS_X] = 10.0;
    RunBlock("G54 G01 X5. Y5. F100");
    RunBlock("G10 L2 P2 X100 Y50");  // another entry: the G54 path stays
    EXPECT_DOUBLE_EQ(g_WorkOffsets[2].axis[AXIS_X], 100.0);
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_X], 10.0);
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_Y], 0.0);
    RunBlock("X20.");
    ExpectMachineMove(15.0, 5.0, 30.0, 5.0);
    RunBlock("G55 X0 Y0");  // the new entry takes effect when selected
    ExpectMachineMove(30.0, 5.0, 100.0, 50.0);

    RunBlock("G10 L2 P2 X110");  // the entry in use: the tool stays, the next move goes by the new origin
    ExpectMachineMove(100.0, 50.0, 100.0, 50.0);
    RunBlock("X1.");
    ExpectMachineMove(100.0, 50.0, 111.0, 50.0);
}

TEST_F(MoveContinuityTest, G10L2KeepsTheG92Shift)
{
    g_WorkOffsets[1].axis[AXIS_X] = 100.0;
    RunBlock("G54 G00 X10.");  // machine 110
    RunBlock("G92 X0");        // program 0 at machine 110: a G92 shift of 10
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_X], 110.0);
    RunBlock("G10 L2 P1 X200.");
    EXPECT_DOUBLE_EQ(g_ActiveWorkOffset.axis[AXIS_X], 210.0);  // G92 shift + the new entry
    RunBlock("G01 X5. F100");
    ExpectMachineMove(110.0, 0.0, 215.0, 0.0);
}

TEST_F(MoveContinuityTest, IncrementalMoveAfterAFrameChangeGoesFromTheTool)
{
    g_WorkOffsets[1].axis[AXIS_X] = 100.0;
    g_WorkOffsets[2].axis[AXIS_X] = 200.0;
    RunBlock("G54 G00 X10. Y5.");  // machine 110
    RunBlock("G91 G55");
    RunBlock("X10.");
    ExpectMachineMove(110.0, 5.0, 120.0, 5.0);
    RunBlock("G52 X-5.");
    RunBlock("X10.");
    ExpectMachineMove(120.0, 5.0, 130.0, 5.0);
}

}  // namespace
