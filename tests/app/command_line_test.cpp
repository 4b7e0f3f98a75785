// The command line: a table of lines and the requests and values each one sets, including quoted names
// with blanks, names found word by word, the reversed corner order of -D and the consistency rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>

#include "app_test_support.h"
#include "app/command_line.h"
#include "simulation/run_state.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/settings/settings_file.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "work_model/stl_import_options.h"

namespace {

void ResetAll()
{
    ResetCommandLineRequests();
    ResetStlImportOptions();
    ResetDisplaySettings();
    g_SilentMode = 0;
    g_NcFilePath[0] = '\0';
    g_ToolTableFilePath[0] = g_ControllerFilePath[0] = g_MachineFilePath[0] = '\0';
    g_BasicModelPath[0] = '\0';
    g_StlWorkAxisCode = 0;
    g_CmdStartPositionMachine = 0;
    g_WorkPitch = g_WorkPitchSetting = g_MovePitch = 0.0;
    for (double& value : g_ControlPoint.axis) value = 0.0;
}

// Parses line with "@" replaced by the temporary folder (the current folder of the test).
void Parse(const TempFolder& folder, const std::string& line)
{
    std::string text = line;
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + folder.path.size())) {
        text.replace(at, 1, folder.path);
    }
    ResetAll();
    ParseCommandLine(text.c_str());
}

struct LineCase {
    const char* line;
    std::function<void(const TempFolder&)> check;
};

template <size_t N>
void RunCases(const TempFolder& folder, const LineCase (&cases)[N])
{
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        Parse(folder, c.line);
        c.check(folder);
    }
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.Write("a.nc", "");
        folder.Write("b.nc", "");
        folder.Write("my prog.nc", "");
        folder.Write("part one.stl", "");
    }
    void TearDown() override { ResetAll(); }
    TempFolder folder;
};

TEST_F(CommandLine, EmptyLineRequestsNothing)
{
    Parse(folder, "");
    EXPECT_STREQ(g_CmdIniFile, "qumbra.ini");
    EXPECT_EQ(g_CmdRunMode, 0);
    EXPECT_EQ(g_AutomationPending, 0);
    EXPECT_EQ(g_SilentMode, 0);
    EXPECT_EQ(g_CmdProcessor, -1);
}

TEST_F(CommandLine, SwitchesAndFileKindsSetTheirVariables)
{
    const LineCase cases[] = {
        {"x.ttl y.ttl", [](const TempFolder&) {
             EXPECT_STREQ(g_ToolTableFilePath, "x.ttl");   // the first bare argument of a kind wins
             EXPECT_EQ(g_CmdToolTableGiven, 1);
         }},
        {"x.ttl -Ty", [](const TempFolder&) { EXPECT_STREQ(g_ToolTableFilePath, "y.TTL"); }},
        {"-Ty x.ttl", [](const TempFolder&) { EXPECT_STREQ(g_ToolTableFilePath, "y.TTL"); }},
        {"-T tools.ttl,5", [](const TempFolder&) {
             EXPECT_STREQ(g_ToolTableFilePath, "tools.ttl");
             EXPECT_EQ(g_CmdToolNumber, 5);
         }},
        {"-T\"my tools\",12", [](const TempFolder&) {
             EXPECT_STREQ(g_ToolTableFilePath, "my tools.TTL");
             EXPECT_EQ(g_CmdToolNumber, 12);
         }},
        {"-Cfanuc -M \"big mill.mtl\" c.ctl", [](const TempFolder&) {
             EXPECT_STREQ(g_ControllerFilePath, "fanuc.CTL");
             EXPECT_STREQ(g_MachineFilePath, "big mill.mtl");
             EXPECT_EQ(g_CmdControllerGiven + g_CmdMachineGiven, 2);
         }},
        {"-Iother /IC colours", [](const TempFolder&) {
             EXPECT_STREQ(g_CmdIniFile, "other.INI");
             EXPECT_EQ(g_CmdIniGiven, 1);
             EXPECT_STREQ(g_CmdCtcFile, "colours.CTC");
             EXPECT_EQ(g_CmdCtcGiven, 1);
         }},
        {"set.ini pal.ctc m.mac", [](const TempFolder&) {
             EXPECT_STREQ(g_CmdIniFile, "set.ini");
             EXPECT_STREQ(g_CmdCtcFile, "pal.ctc");
             EXPECT_STREQ(g_MacroFilePath, "m.mac");
             EXPECT_EQ(g_CmdMacroGiven, 1);
             EXPECT_EQ(g_AutomationPending, 1);
         }},
        {"-D(100,100,30,0,0,0)", [](const TempFolder&) {
             EXPECT_DOUBLE_EQ(g_InitialSizeMaxCorner[0], 100.0);
             EXPECT_DOUBLE_EQ(g_InitialSizeMaxCorner[2], 30.0);
             EXPECT_DOUBLE_EQ(g_InitialSizeMinCorner[0], 0.0);
             EXPECT_EQ(g_CmdWorkKind, CMD_WORK_BOX);
             EXPECT_EQ(g_CmdWorkGiven, 1);
             EXPECT_EQ(g_AutomationPending, 1);
         }},
        {"-DY(1,2,3,40,50,6)", [](const TempFolder&) {
             EXPECT_EQ(g_CylinderAxis, 1);
             EXPECT_DOUBLE_EQ(g_CylinderValues[3], 40.0);
             EXPECT_DOUBLE_EQ(g_CylinderValues[5], 6.0);
             EXPECT_EQ(g_CmdWorkKind, CMD_WORK_CYLINDER);
         }},
        {"-Dblock,W", [](const TempFolder&) {
             EXPECT_STREQ(g_WorkFilePath, "block.DME");
             EXPECT_EQ(g_CmdWorkKind, CMD_WORK_FILE);
             EXPECT_EQ(g_WorkPlacementOverride, 1);
         }},
        {"-D part.stl-X,MY5,S2", [](const TempFolder&) {
             EXPECT_STREQ(g_WorkFilePath, "part.stl");
             EXPECT_EQ(g_StlWorkAxisCode, -1);
             EXPECT_EQ(g_StlMirrorEnabled[1], 1);
             EXPECT_DOUBLE_EQ(g_StlMirrorPlanes[1], 5.0);
             EXPECT_DOUBLE_EQ(g_StlScaleFactors[2], 2.0);
             EXPECT_EQ(g_StlScaleEnabled[0], 1);
         }},
        {"-D\"s.stl\"+Y,S(1,2,3)(1,0.5,1)", [](const TempFolder&) {
             EXPECT_STREQ(g_WorkFilePath, "s.stl");
             EXPECT_EQ(g_StlWorkAxisCode, 2);
             EXPECT_DOUBLE_EQ(g_StlScaleCentre[2], 3.0);
             EXPECT_EQ(g_StlScaleEnabled[0], 0);
             EXPECT_EQ(g_StlScaleEnabled[1], 1);
         }},
        {"part.stl+Z", [](const TempFolder&) {
             EXPECT_STREQ(g_WorkFilePath, "part.stl");
             EXPECT_EQ(g_StlWorkAxisCode, 3);
         }},
        {"\"@/part one.stl\"+Y", [](const TempFolder& f) {
             EXPECT_EQ(std::string(g_WorkFilePath), f.path + "/part one.stl");
             EXPECT_EQ(g_StlWorkAxisCode, 2);
         }},
        {"-Kbase.stl,M", [](const TempFolder&) {
             EXPECT_STREQ(g_BasicModelPath, "base.stl");
             EXPECT_STREQ(g_BasicModelTitle, "base.stl");
             EXPECT_EQ(g_BasicModelPlacementOverride, 0);
         }},
        {"-S(1,2,3)", [](const TempFolder&) {
             EXPECT_DOUBLE_EQ(g_ControlPoint.axis[2], 3.0);
             EXPECT_DOUBLE_EQ(g_ControlPoint.axis[3], 0.0);
             EXPECT_EQ(g_CmdStartPositionGiven, 1);
             EXPECT_EQ(g_CmdStartPositionMachine, 0);
         }},
        {"-SM(1,2,3,45,-90)", [](const TempFolder&) {
             EXPECT_DOUBLE_EQ(g_ControlPoint.axis[4], -90.0);
             EXPECT_EQ(g_CmdStartPositionMachine, 1);
         }},
        {"-P(0.5,0.25) -G2 -F17 -N -(10,20,800,600)", [](const TempFolder&) {
             EXPECT_DOUBLE_EQ(g_WorkPitch, 0.5);
             EXPECT_DOUBLE_EQ(g_WorkPitchSetting, 0.5);
             EXPECT_DOUBLE_EQ(g_MovePitch, 0.25);
             EXPECT_EQ(g_CmdProcessor, 2);
             EXPECT_EQ(g_PanelFontHeight, 17);
             EXPECT_EQ(g_CmdNoMenu, 1);
             EXPECT_EQ(g_WindowX, 10);
             EXPECT_EQ(g_WindowHeight, 600);
             EXPECT_EQ(g_CmdWindowRectGiven, 1);
         }},
        {"-VA", [](const TempFolder&) {
             EXPECT_EQ(g_CmdReportMode, 1);
             EXPECT_EQ(g_CmdReportAfterCut, 1);
         }},
        {"-V6", [](const TempFolder&) {   // a quiet report alone runs silent
             EXPECT_EQ(g_CmdReportMode, 6);
             EXPECT_EQ(g_SilentMode, 1);
             EXPECT_EQ(g_MainWindowIconic, 1);
         }},
        {"-Q -Z", [](const TempFolder&) { EXPECT_EQ(g_AutomationPending, 0); }},
    };
    RunCases(folder, cases);
}

TEST_F(CommandLine, NcProgramsAndRunModes)
{
    const LineCase cases[] = {
        {"@/a.nc @/b.nc", [](const TempFolder& f) {
             EXPECT_EQ(std::string(g_NcFilePath), f.path + "/b.nc");   // the last that opens
             EXPECT_EQ(g_CmdNcGiven, 1);
             EXPECT_EQ(g_AutomationPending, 1);
         }},
        {"@/a.nc @/none.nc", [](const TempFolder& f) { EXPECT_EQ(std::string(g_NcFilePath), f.path + "/a.nc"); }},
        {"@/my prog.nc -X2", [](const TempFolder& f) {   // found word by word
             EXPECT_EQ(std::string(g_NcFilePath), f.path + "/my prog.nc");
             EXPECT_EQ(g_CmdRunMode, 2);
         }},
        {"\"@/my prog.nc\" -X 4", [](const TempFolder& f) {
             EXPECT_EQ(std::string(g_NcFilePath), f.path + "/my prog.nc");
             EXPECT_EQ(g_CmdRunMode, 4);
         }},
        {"@/missing", [](const TempFolder&) {
             EXPECT_STREQ(g_NcFilePath, "");
             EXPECT_EQ(g_CmdNcGiven, 1);
         }},
        {"@/a.nc -X3n", [](const TempFolder&) {
             EXPECT_EQ(g_CmdRunMode, 3);
             EXPECT_EQ(g_CmdQuietResults, 1);
             EXPECT_EQ(g_CmdNoAutoStock, 0);
         }},
        {"@/a.nc -X30n", [](const TempFolder&) {
             EXPECT_EQ(g_CmdQuietResults, 1);
             EXPECT_EQ(g_CmdNoAutoStock, 1);
         }},
        {"@/a.nc -X50", [](const TempFolder&) {
             EXPECT_EQ(g_CmdRunMode, 5);
             EXPECT_EQ(g_CmdBatchRun, 1);
             EXPECT_EQ(g_CmdNoAutoStock, 1);
             EXPECT_EQ(g_SilentMode, 0);
         }},
        {"@/a.nc -X5n -V6", [](const TempFolder&) {
             EXPECT_EQ(g_CmdQuietInterference, 1);
             EXPECT_EQ(g_CmdReportMode, 1);   // with a run mode the quiet reports become 1
         }},
        {"@/a.nc -X6", [](const TempFolder&) {
             EXPECT_EQ(g_CmdRunMode, 6);
             EXPECT_EQ(g_SilentMode, 1);
             EXPECT_EQ(g_MainWindowIconic, 1);
         }},
        {"-X6", [](const TempFolder&) {   // no NC program: the run and its silent state are dropped
             EXPECT_EQ(g_CmdRunMode, 0);
             EXPECT_EQ(g_CmdBatchRun, 0);
             EXPECT_EQ(g_SilentMode, 0);
         }},
        {"@/a.nc -X1 -Oout.dme", [](const TempFolder&) {
             EXPECT_EQ(g_CmdRunMode, 1);
             EXPECT_EQ(g_CmdSaveWork, 0);
         }},
        {"@/a.nc -X2 -Oout.stl,b2", [](const TempFolder&) {
             EXPECT_EQ(g_CmdSaveWork, 4);
             EXPECT_STREQ(g_WorkSavePath, "out.stl");
         }},
    };
    RunCases(folder, cases);
}

TEST_F(CommandLine, WorkEditsSurviveOnlyWithAWorkAndASave)
{
    const LineCase cases[] = {
        {"w.dme -XPP", [](const TempFolder&) {
             EXPECT_EQ(g_CmdPaint, 0);
             EXPECT_EQ(g_SilentMode, 0);
             EXPECT_EQ(g_AutomationPending, 1);   // the work is still loaded
         }},
        {"w.dme -XPP -Oout.stl,b", [](const TempFolder&) {
             EXPECT_EQ(g_CmdPaint, 1);
             EXPECT_EQ(g_CmdSaveWork, 3);
             EXPECT_EQ(g_SilentMode, 1);
             EXPECT_EQ(g_MainWindowIconic, 1);
         }},
        {"w.dme -XPC -O o", [](const TempFolder&) {
             EXPECT_EQ(g_CmdPaint, 2);
             EXPECT_STREQ(g_WorkSavePath, "o.DME");
             EXPECT_EQ(g_CmdSaveWork, 1);
         }},
        {"w.dme -XP12C -Oo", [](const TempFolder&) { EXPECT_EQ(g_CmdStripPen, 12); }},
        {"w.dme -XPAC -Oo", [](const TempFolder&) { EXPECT_EQ(g_CmdStripPen, 16); }},
        {"w.dme -XM (1,-2,3.5) -Oo", [](const TempFolder&) {
             EXPECT_EQ(g_CmdMoveWork, 1);
             EXPECT_DOUBLE_EQ(g_MoveWorkVector[1], -2.0);
             EXPECT_DOUBLE_EQ(g_MoveWorkVector[2], 3.5);
         }},
        {"w.dme -XRY30 -Oo", [](const TempFolder&) {
             EXPECT_EQ(g_CmdRotateWork, 1);
             EXPECT_EQ(g_RotateAxis, 1);
             EXPECT_DOUBLE_EQ(g_RotateAngle, 30.0);
         }},
        {"w.dme -XD-0.5N12K,0.2 -Oo", [](const TempFolder&) {
             EXPECT_EQ(g_CmdDifference, 1);
             EXPECT_EQ(g_DifferenceArea, -1);
             EXPECT_DOUBLE_EQ(g_DifferenceMargin, 0.5);
             EXPECT_EQ(g_DifferenceUsesPen, 1);
             EXPECT_EQ(g_DifferencePen, 12);
             EXPECT_EQ(g_DifferenceKeepSameColour, 0);
             EXPECT_DOUBLE_EQ(g_DifferenceOffset, 0.2);
         }},
        {"w.dme @/a.nc -X2 -XPP -Oo", [](const TempFolder&) {   // an edit clears the run and the NC request
             EXPECT_EQ(g_CmdRunMode, 0);
             EXPECT_EQ(g_CmdNcGiven, 0);
             EXPECT_EQ(g_CmdPaint, 1);
         }},
        {"w.dme -Oo", [](const TempFolder&) {   // a work alone is converted silently
             EXPECT_EQ(g_CmdSaveWork, 1);
             EXPECT_EQ(g_SilentMode, 1);
         }},
        {"w.dme @/a.nc -Oo", [](const TempFolder&) {   // work and NC without a run: no save
             EXPECT_EQ(g_CmdSaveWork, 0);
             EXPECT_EQ(g_SilentMode, 0);
         }},
    };
    RunCases(folder, cases);
}

TEST_F(CommandLine, DifferenceArgumentForms)
{
    ResetAll();
    EXPECT_EQ(ParseDifferenceArgument("+0.3HP"), 0);
    EXPECT_EQ(g_DifferenceArea, 1);
    EXPECT_DOUBLE_EQ(g_DifferenceMargin, 0.3);
    EXPECT_EQ(g_DifferenceUsesPen, 0);
    EXPECT_EQ(ParseDifferenceArgument("0.1N7,0.05 more"), 1);
    EXPECT_EQ(g_DifferencePen, 7);
    EXPECT_DOUBLE_EQ(g_DifferenceOffset, 0.05);
    EXPECT_EQ(ParseDifferenceArgument("0.2H"), 0);
    EXPECT_EQ(g_DifferenceUsesPen, 0);
}

TEST_F(CommandLine, MalformedSwitchesEndTheParseAndOverlongNamesAreRefused)
{
    Parse(folder, "-D(1,2,3 x.ttl");   // no ")": the parse ends
    EXPECT_EQ(g_CmdWorkGiven, 0);
    EXPECT_EQ(g_CmdToolTableGiven, 0);
    Parse(folder, "-S(1,2) x.ttl");    // too few numbers
    EXPECT_EQ(g_CmdStartPositionGiven, 0);
    const std::string longName(400, 'a');
    Parse(folder, "-T" + longName + " " + longName + ".mtl " + longName + ".nc");
    EXPECT_EQ(g_CmdToolTableGiven, 0);
    EXPECT_EQ(g_CmdMachineGiven, 0);
    EXPECT_STREQ(g_NcFilePath, "");
    const std::string huge(3000, 'b');
    Parse(folder, huge + " " + huge);   // longer than the assembly buffer: dropped, no overrun
    EXPECT_STREQ(g_NcFilePath, "");
}

TEST_F(CommandLine, SymbolicLinksAreFollowedOnce)
{
    const std::string target = folder.path + "/a.nc";
    const std::string link = folder.path + "/prog.lnk";
    const std::string loop = folder.path + "/loop.lnk";
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    Parse(folder, "@/prog.lnk");
    EXPECT_EQ(std::string(g_NcFilePath), target);
    Parse(folder, "@/loop.lnk @/b.nc");
    EXPECT_EQ(std::string(g_NcFilePath), folder.path + "/b.nc");
}

TEST(CommandLineJoin, QuotesArgumentsWithBlanks)
{
    char a0[] = "qumbra", a1[] = "-T", a2[] = "my tools.ttl", a3[] = "-Mbig mill", a4[] = "x.nc";
    char* argv[] = {a0, a1, a2, a3, a4};
    char line[256];
    ASSERT_EQ(JoinCommandLineArguments(5, argv, line, sizeof line), 1);
    EXPECT_STREQ(line, "-T \"my tools.ttl\" -M\"big mill\" x.nc");
    char small[8];
    EXPECT_EQ(JoinCommandLineArguments(5, argv, small, sizeof small), 0);
    EXPECT_STREQ(small, "");
}

}  // namespace
