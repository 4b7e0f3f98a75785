// Tests of the settings file: where it is found, the defaults with no file, a file that sets every key,
// the values the command line fixed, the path rules for definition files, a colour file named on the
// command line, silent mode and refused pitches.
#include "machine_setup/settings/settings_file.h"

#include "machine_setup/machine_setup_state.h"
#include "machine_setup/machine/machine_position.h"
#include "platform/os/files.h"
#include "platform/os/paths.h"
#include "platform/os/profile.h"
#include "settings_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <sys/stat.h>

using settings_test::SettingsTest;

namespace {

ColourValue Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

void MakeFolder(const std::string& path) { mkdir(path.c_str(), 0700); }

// Runs the body with the current folder changed to folder, then changes it back.
struct CurrentFolderScope {
    char previous[4096];
    explicit CurrentFolderScope(const std::string& folder)
    {
        if (getcwd(previous, sizeof previous) == nullptr) {
            previous[0] = '\0';
        }
        EXPECT_EQ(0, chdir(folder.c_str()));
    }
    ~CurrentFolderScope()
    {
        if (previous[0] != '\0' && chdir(previous) != 0) {
            ADD_FAILURE() << "cannot return to " << previous;
        }
    }
};

} // namespace

TEST(SettingsPaths, JoinPathAndFullPath)
{
    char out[32];
    EXPECT_STREQ("name.ttl", JoinPath("", "name.ttl", out, sizeof out));
    EXPECT_STREQ("/a/b/name.ttl", JoinPath("/a/b", "name.ttl", out, sizeof out));
    EXPECT_STREQ("/a/b/name.ttl", JoinPath("/a/b/", "name.ttl", out, sizeof out));
    EXPECT_STREQ("C\\tools\\name.ttl", JoinPath("C\\tools\\", "name.ttl", out, sizeof out));
    EXPECT_STREQ("", JoinPath("/a/very/long/folder/name", "and.a.long.file.name", out, sizeof out))
        << "a path that does not fit is refused, never cut";
    GetFullPathOfName("/x/y.ctl", out, sizeof out);
    EXPECT_STREQ("/x/y.ctl", out);
}

TEST_F(SettingsTest, NoSettingsFileGivesEveryDefault)
{
    g_WindowsVersionCode = 1;
    ReadSettings();
    const std::string current = folder.path;
    const std::string program = folder.path + "bin/";
    EXPECT_EQ(current, g_CurrentFolder);
    EXPECT_EQ(program, g_ProgramFolder);
    EXPECT_EQ(program + "qumbra.ini", g_IniFilePath);
    EXPECT_EQ(program + "HELP/index.htm", g_HelpIndexPath);
    EXPECT_EQ(current, g_TtlFolder);
    EXPECT_EQ(current, g_CtlFolder);
    EXPECT_EQ(current, g_MtlFolder);
    EXPECT_EQ(current, g_NcFolder);
    EXPECT_EQ(current, g_DmeFolder);
    EXPECT_EQ(current, g_VideoFolder);
    EXPECT_EQ(program + "atc.ttl", g_ToolTableFilePath);
    EXPECT_EQ(program + "hanuc.ctl", g_ControllerFilePath);
    EXPECT_EQ(program + "oguma.mtl", g_MachineFilePath);
    EXPECT_STREQ("", g_LogFolder);
    EXPECT_STREQ("txt", g_VerifySuffix);
    EXPECT_EQ(0, g_LengthCreateAppend);
    EXPECT_EQ(0, g_LengthNamingMode);
    EXPECT_EQ(1, g_VerifyNamingAuto);
    EXPECT_STREQ("notepad", g_EditorProgram);
    EXPECT_STREQ("%1", g_EditorOption);
    EXPECT_EQ(-1, g_ExecMacroNumber);
    EXPECT_STREQ("QUMBRAJUMP.MAC", g_ExecMacroName);
    EXPECT_STREQ("notepad", g_DefEditor);
    EXPECT_STREQ("/X2 ZEZOZ!.NC", g_ExecSelfOption);
    EXPECT_EQ(0, g_VideoNameAuto);
    EXPECT_EQ(1, g_MoveSwitchRButtonDown);
    EXPECT_EQ(0, g_WheelZoomReverse);
    EXPECT_EQ(1, g_SaveDisplay);
    EXPECT_EQ(1, g_SaveLineColour);
    EXPECT_EQ(-1, g_WindowX);
    EXPECT_EQ(-1, g_WindowWidth);
    EXPECT_EQ(1, g_SaveShowCmd);
    EXPECT_EQ(0, g_ShowCommandMenuPanel);
    EXPECT_EQ(0, g_ShowToolPanel);
    EXPECT_EQ(0, g_BasicModelGiven);
    EXPECT_EQ(1.0, g_WorkPitch);
    EXPECT_EQ(1.0, g_MovePitch);
    EXPECT_EQ(2, g_UndoRingSize);
    EXPECT_EQ(200, g_MaxMagazine);
    EXPECT_EQ(200.0, g_ControlPoint.axis[2]);
    EXPECT_EQ(1, g_InterferenceCheck);
    EXPECT_EQ(PART_DISPLAY_ON, g_WorkDisplayMode);
    EXPECT_EQ(Rgb(127, 127, 255), g_PenColours[0]);
    EXPECT_EQ(0.5f, g_MachineAlpha);
    EXPECT_EQ(315.0, g_ViewAngleA);

    g_WindowsVersionCode = 0;
    ReadSettings();
    EXPECT_EQ(0, g_MoveSwitchRButtonDown);
}

TEST_F(SettingsTest, EveryKeyOfTheFullFile)
{
    settings_test::WriteText(folder.File("qumbra.ini"),
                             settings_test::ReadText(settings_test::FixturePath("full.ini")));
    CurrentFolderScope scope(folder.path);
    ReadSettings();
    EXPECT_EQ(folder.File("qumbra.ini"), g_IniFilePath);
    // "Table"
    EXPECT_STREQ("/data/ttl/", g_TtlFolder);
    EXPECT_STREQ("/data/ctl", g_CtlFolder);
    EXPECT_STREQ("/data/mtl/", g_MtlFolder);
    EXPECT_STREQ("/data/tools/my.ttl", g_ToolTableFilePath);   // a path is kept even when missing
    EXPECT_EQ(folder.path + "bin/my.ctl", g_ControllerFilePath);
    EXPECT_EQ(folder.path + "sub\\my.mtl", g_MachineFilePath);   // relative path: from the current folder
    // "DMEdata"
    EXPECT_STREQ("/data/dme/", g_DmeFolder);
    EXPECT_STREQ("/data/dme/", g_DmeFolderAtStart);
    EXPECT_EQ(1, g_DmeSelect);
    EXPECT_EQ(0, g_DmfSelect);
    EXPECT_EQ(0, g_StlSelect);
    EXPECT_EQ(-2, g_StlWorkAxisCode);
    EXPECT_EQ(1, g_StlFilter);
    EXPECT_EQ(1, g_ImportInWorkCoordinates);
    EXPECT_EQ(1, g_ExportInWorkCoordinates);
    EXPECT_EQ(1, g_InputInWorkCoordinates);
    EXPECT_EQ(1, g_RotationInWorkCoordinates);
    EXPECT_EQ(-10.0, g_InitialSizeMinCorner[0]);
    EXPECT_EQ(-30.0, g_InitialSizeMinCorner[2]);
    EXPECT_EQ(40.5, g_InitialSizeMaxCorner[2]);
    EXPECT_EQ(0, g_StockAlign[0]);
    EXPECT_EQ(1, g_StockAlign[1]);
    EXPECT_EQ(1, g_StockAlign[2]);
    EXPECT_EQ(80.0, g_StockValues[0][0]);
    EXPECT_EQ(5.0, g_StockValues[0][2]);
    EXPECT_EQ(2.0, g_StockValues[2][2]);
    EXPECT_EQ(2, g_CylinderAxis);
    EXPECT_EQ(0.5, g_CylinderValues[2]);
    EXPECT_EQ(100.0, g_CylinderValues[4]);
    EXPECT_EQ(0.0, g_CylinderValues[5]);
    EXPECT_EQ(1, g_BasicModelGiven);
    EXPECT_STREQ("/data/basic.stl", g_BasicModelPath);
    EXPECT_STREQ("/data/nc/", g_NcFolder);
    // "OUTPUTdata"
    EXPECT_STREQ("/data/log/", g_LogFolder);
    EXPECT_STREQ("/data/length/", g_LengthFolder);
    EXPECT_STREQ("/data/verify/", g_VerifyFolder);
    EXPECT_STREQ("reportsuf", g_VerifySuffix);
    EXPECT_EQ(1, g_LengthCreateAppend);
    EXPECT_EQ(1, g_VerifyCreateAppend);
    EXPECT_EQ(2, g_LengthNamingMode);
    EXPECT_EQ(2, g_VerifyNamingAuto);
    // "Define": display, colours, work and pitch keys, checks, further keys, view
    EXPECT_EQ(12, g_SkipBlock);
    EXPECT_EQ(7, g_SkipView);
    EXPECT_EQ(1, g_RealRotation);
    EXPECT_EQ(1, g_RealRapid);
    EXPECT_EQ(1, g_WorkDisplayStyle);
    EXPECT_EQ(0, g_ColourMode);
    EXPECT_EQ(0, g_TopPathColourSpecified);
    EXPECT_EQ(0, g_ToolTopColourSpecified);
    EXPECT_EQ(Rgb(10, 20, 30), g_PenColours[0]);
    EXPECT_EQ(0, g_PenColourFlags[0]);
    EXPECT_EQ(0, g_PenColourFlags2[1]);
    EXPECT_EQ(0xFFFFFFu, g_PenColours[3]);
    EXPECT_EQ(Rgb(255, 0, 128), g_PenColours[4]);
    EXPECT_EQ(Rgb(241, 242, 243), g_BackgroundColourSetting);
    EXPECT_EQ(0.3f, g_WorkAlpha);
    EXPECT_EQ(1.0f, g_ToolAlpha);
    EXPECT_EQ(1.5f, g_WorkMargins[0]);
    EXPECT_EQ(3.5f, g_WorkMargins[2]);
    EXPECT_EQ(250.0, g_ControlPoint.axis[2]);
    EXPECT_EQ(1, g_CmdStartPositionMachine);
    EXPECT_EQ(2, g_NewControlPointD);
    EXPECT_EQ(1, g_NewControlPoint);
    EXPECT_EQ(3.0, g_SpecifiedPointD[2]);
    EXPECT_EQ(6.0, g_SpecifiedPoint[2]);
    EXPECT_EQ(2, g_ToolBasePoint);
    EXPECT_EQ(1, g_ToolBasePointFromIni);
    EXPECT_EQ(0.05, g_MinimumWorkPitch);
    EXPECT_EQ(1.0, g_WorkPitch);
    EXPECT_EQ(1, g_AutoWorkPitch);
    EXPECT_EQ(50000, g_AutoPitchCells);
    EXPECT_EQ(1, g_AutoMovePitch);
    EXPECT_EQ(2.0, g_AutoMovePitchFactor);
    EXPECT_EQ(2.0, g_MovePitch);
    EXPECT_EQ(0.75f, g_WeldingHeight);
    EXPECT_EQ(2.5f, g_HeraWidth);
    EXPECT_EQ(2, g_InterferenceCheck);
    EXPECT_EQ(2, g_ArborCheck);
    EXPECT_EQ(1, g_OutputLengthCheckAll);
    EXPECT_EQ(1, g_HeightCheckType);
    EXPECT_EQ(2.5, g_HeightCheckValue);
    EXPECT_EQ(1, g_HeightCheck);
    EXPECT_EQ(2, g_ChipWidthCheck);
    EXPECT_EQ(2, g_SpindleCheck);
    EXPECT_EQ(1, g_SpindleCheckLimitsGiven);
    EXPECT_EQ(8000.0, g_SpindleCheckLimit2);
    EXPECT_EQ(1, g_CheckToolVice);
    EXPECT_EQ(2, g_CheckToolTable2);
    EXPECT_EQ(2, g_CheckArborVice);
    EXPECT_EQ(1, g_CheckHead1Table1);
    EXPECT_EQ(2, g_CheckHeadWork);
    EXPECT_EQ(1, g_CheckHeadBasic);
    EXPECT_EQ(1, g_StopOnCheck);
    EXPECT_EQ(20000.0, g_RapidFeedrate);
    EXPECT_EQ(2, g_ToolClearanceMode);
    EXPECT_EQ(1.5, g_ToolClearance);
    EXPECT_EQ(1, g_ArborClearanceMode);
    EXPECT_EQ(PART_DISPLAY_SEMITRANSPARENT, g_ToolDisplayMode);
    EXPECT_EQ(PART_DISPLAY_OFF, g_MachineDisplayMode);
    EXPECT_EQ(PART_DISPLAY_SEMITRANSPARENT, g_WorkDisplayMode);   // PERS with a work alpha of 0.3
    EXPECT_EQ(PART_DISPLAY_ON, g_BasicModelDisplayMode);
    EXPECT_EQ(1, g_ShowViewCentre);
    EXPECT_EQ(1, g_ShowConstructionPoints);
    EXPECT_EQ(0, g_ShowAxisTriad);
    EXPECT_STREQ("A progress caption long", g_ProgressName);
    EXPECT_EQ(0, g_SoundOn);
    EXPECT_EQ(1, g_IgnoreG00);
    EXPECT_EQ(2.5, g_OffsetValue);
    EXPECT_EQ(32, g_PauseKey);
    EXPECT_EQ(3, g_AbortKey);
    EXPECT_EQ(6, g_UndoRingSize);
    EXPECT_EQ(0, g_Perspective);
    EXPECT_EQ(-1, g_DifferenceArea);
    EXPECT_EQ(0.25, g_DifferenceMargin);
    EXPECT_EQ(1, g_DifferenceUsesPen);
    EXPECT_EQ(7, g_DifferencePen);
    EXPECT_EQ(0, g_DifferenceKeepSameColour);
    EXPECT_EQ(0.05, g_DifferenceOffset);
    EXPECT_EQ(1, g_ViewCentreFromIni);
    EXPECT_EQ(30.0, g_IniViewCentre[2]);
    EXPECT_EQ(1, g_FullViewWork);
    EXPECT_EQ(1, g_OpenGlBufferMode);
    EXPECT_EQ(0, g_PumpOption);
    EXPECT_EQ(1, g_DifferenceTargetGiven);
    EXPECT_EQ(3, g_DifferenceTargetPen);
    EXPECT_EQ(9999.0, g_ToolDialogZoomRate);
    EXPECT_EQ(270.0, g_ViewAngleA);
    EXPECT_EQ(90.0, g_ViewAngleB);
    EXPECT_EQ(0.0, g_ViewAngleCosSin[0]);   // cos 270
    EXPECT_EQ(-1.0, g_ViewAngleCosSin[1]);
    EXPECT_EQ(0.0, g_ViewAngleCosSin[2]);   // cos 90
    EXPECT_EQ(1.0, g_ViewAngleCosSin[3]);
    EXPECT_EQ(2.0, g_ZoomKeyFactor);
    EXPECT_EQ(50, g_MaxMagazine);
    EXPECT_EQ(1, g_CheckMatrix);
    EXPECT_STREQ("placement.txt", g_StlMatrixText);
    // "ExecEditor", "ExecSelf", "Video", "Mouse", "Save"
    EXPECT_STREQ("vim", g_EditorProgram);
    EXPECT_STREQ("+%2 %1", g_EditorOption);
    EXPECT_EQ(3, g_ExecMacroNumber);
    EXPECT_STREQ("JUMP.MAC", g_ExecMacroName);
    EXPECT_EQ(1, g_EditorSelectOpen);
    EXPECT_EQ(1, g_CloseEditorAtEnd);
    EXPECT_STREQ("ttledit", g_TtlEditor);
    EXPECT_STREQ("defedit", g_DefEditor);
    EXPECT_STREQ("/X3 SELF.NC", g_ExecSelfOption);
    EXPECT_STREQ("/data/video/", g_VideoFolder);
    EXPECT_EQ(1, g_VideoNameAuto);
    EXPECT_EQ(1, g_VideoLapDialog);
    EXPECT_EQ(1, g_MoveSwitchRButtonDown);
    EXPECT_EQ(1, g_WheelZoomReverse);
    EXPECT_EQ(0, g_SaveMachineColour);
    EXPECT_EQ(2, g_SaveLineColour);
    EXPECT_EQ(100, g_WindowX);
    EXPECT_EQ(50, g_WindowY);
    EXPECT_EQ(700, g_WindowHeight);
    EXPECT_EQ(900, g_WindowWidth);
    EXPECT_EQ(3, g_SaveShowCmd);
    EXPECT_EQ(1, g_ShowCommandMenuPanel);
    EXPECT_EQ(1, g_ShowToolPanel);
}

TEST_F(SettingsTest, SettingsFileIsFoundInTheCurrentThenTheProgramFolder)
{
    const std::string program = folder.path + "bin/";
    MakeFolder(program);
    settings_test::WriteText(program + "qumbra.ini", "[Define]\nSKIP BLOCK=22\n");
    ReadSettings();
    EXPECT_EQ(program + "qumbra.ini", g_IniFilePath);
    EXPECT_EQ(22, g_SkipBlock);

    settings_test::WriteText(folder.File("qumbra.ini"), "[define]\nskip block=11\n");
    ReadSettings();
    EXPECT_EQ(folder.File("qumbra.ini"), g_IniFilePath);
    EXPECT_EQ(11, g_SkipBlock);

    // A name given by the switch: a bare name is looked for in the same two places ...
    settings_test::CopyText(g_CmdIniFile, sizeof g_CmdIniFile, "other.ini");
    settings_test::WriteText(program + "other.ini", "[Define]\nSKIP BLOCK=33\n");
    ReadSettings();
    EXPECT_EQ(program + "other.ini", g_IniFilePath);
    EXPECT_EQ(33, g_SkipBlock);
    // ... and a path is used as it is, even when it does not exist yet.
    settings_test::CopyText(g_CmdIniFile, sizeof g_CmdIniFile, folder.File("conf/new.ini"));
    ReadSettings();
    EXPECT_EQ(folder.File("conf/new.ini"), g_IniFilePath);
    EXPECT_EQ(5, g_SkipBlock);
}

TEST_F(SettingsTest, ProgramFolderAndHelpPage)
{
    LocateIniFile(folder.path.c_str(), "qumbra");   // started as a bare name
    EXPECT_EQ(folder.path, g_ProgramFolder);
    EXPECT_STREQ("qumbra", g_ProgramFilePath);
    LocateIniFile(folder.path.c_str(), "/qumbra");   // a folder of one character is no folder
    EXPECT_EQ(folder.path, g_ProgramFolder);
    LocateIniFile(folder.path.substr(0, folder.path.size() - 1).c_str(), "/opt/q/qumbra");
    EXPECT_EQ(folder.path, g_CurrentFolder) << "the current folder ends in a separator";
    EXPECT_STREQ("/opt/q/", g_ProgramFolder);
    EXPECT_STREQ("/opt/q/HELP/index.htm", g_HelpIndexPath);
    MakeFolder(folder.File("HELP"));
    settings_test::WriteText(folder.File("HELP/index.htm"), "<html></html>");
    LocateIniFile(folder.path.c_str(), "/opt/q/qumbra");
    EXPECT_EQ(folder.File("HELP/index.htm"), g_HelpIndexPath);
}

TEST_F(SettingsTest, CommandLineValuesAreNotOverwritten)
{
    settings_test::WriteText(folder.File("qumbra.ini"),
                             settings_test::ReadText(settings_test::FixturePath("full.ini")));
    g_CmdToolTableGiven = 1;
    std::strcpy(g_ToolTableFilePath, "/cmd/tools.ttl");
    g_CmdControllerGiven = 1;
    std::strcpy(g_ControllerFilePath, "/cmd/ctl.ctl");
    g_CmdMachineGiven = 1;
    std::strcpy(g_MachineFilePath, "/cmd/mtl.mtl");
    g_CmdWorkGiven = 1;
    g_CmdWorkKind = CMD_WORK_BOX;
    g_InitialSizeMaxCorner[0] = 777.0;
    g_CmdStartPositionGiven = 1;
    g_ControlPoint.axis[2] = 123.0;
    g_WorkPitch = 0.5;
    g_MovePitch = 0.25;
    g_CmdDifference = 1;
    g_DifferenceMargin = 0.7;
    g_CmdOffsetRequest = 1;
    g_OffsetValue = 9.0;
    g_CmdWindowRectGiven = 1;
    g_WindowX = 10;
    g_WindowWidth = 20;
    std::strcpy(g_BasicModelPath, "/cmd/basic.stl");
    ReadSettings();
    EXPECT_STREQ("/cmd/tools.ttl", g_ToolTableFilePath);
    EXPECT_STREQ("/cmd/ctl.ctl", g_ControllerFilePath);
    EXPECT_STREQ("/cmd/mtl.mtl", g_MachineFilePath);
    EXPECT_EQ(0, g_StlWorkAxisCode) << "STL AXIS is skipped for any work given";
    EXPECT_EQ(777.0, g_InitialSizeMaxCorner[0]);
    EXPECT_EQ(1, g_StockAlign[1]) << "INITIAL SIZE2 is read for a box work";
    EXPECT_EQ(2, g_CylinderAxis);
    EXPECT_EQ(123.0, g_ControlPoint.axis[2]);
    EXPECT_EQ(0, g_CmdStartPositionMachine);
    EXPECT_EQ(0.5, g_WorkPitch);
    EXPECT_EQ(0, g_AutoWorkPitch);
    EXPECT_EQ(0.25, g_MovePitch);
    EXPECT_EQ(0, g_AutoMovePitch);
    EXPECT_EQ(0.7, g_DifferenceMargin);
    EXPECT_EQ(1, g_DifferenceArea);
    EXPECT_EQ(0, g_DifferenceUsesPen);
    EXPECT_EQ(1, g_DifferenceTargetGiven) << "DIFFERENCE TARGET is read in every case";
    EXPECT_EQ(9.0, g_OffsetValue);
    EXPECT_EQ(10, g_WindowX);
    EXPECT_EQ(-1, g_WindowY) << "not read either";
    EXPECT_EQ(20, g_WindowWidth);
    EXPECT_EQ(3, g_SaveShowCmd);
    EXPECT_STREQ("/cmd/basic.stl", g_BasicModelPath);
    EXPECT_EQ(1, g_BasicModelGiven);

    // The other work kinds skip their own key only.
    const struct {
        int kind;
        double* value;
        double fileValue;
    } kinds[] = {{CMD_WORK_FILE, &g_InitialSizeMaxCorner[0], 110.0},
                 {CMD_WORK_BOX_FROM_ORIGIN, &g_StockValues[0][0], 555.0},
                 {CMD_WORK_CYLINDER, &g_CylinderValues[4], 555.0}};
    for (const auto& k : kinds) {
        g_CmdWorkKind = k.kind;
        g_InitialSizeMaxCorner[0] = g_StockValues[0][0] = g_CylinderValues[4] = 555.0;
        ReadSettings();
        EXPECT_EQ(k.fileValue, *k.value) << k.kind;
    }
}

TEST_F(SettingsTest, DefinitionFilesAreResolvedInFolderCurrentThenProgramFolder)
{
    const std::string ctl = folder.path + "ctl/";
    MakeFolder(ctl);
    MakeFolder(folder.path + "bin");
    settings_test::WriteText(ctl + "found.ctl", "");
    settings_test::WriteText(folder.File("here.mtl"), "");
    settings_test::WriteText(folder.File("both.ttl"), "");
    settings_test::WriteText(ctl + "both.ttl", "");
    const std::string ini = folder.File("qumbra.ini");
    WriteProfileString("Table", "Target_TTLdir", ctl.c_str(), ini.c_str());
    WriteProfileString("Table", "Target_CTLdir", (folder.path + "ctl").c_str(), ini.c_str());
    WriteProfileString("Table", "TOOL_TABLE", "both.ttl", ini.c_str());
    WriteProfileString("Table", "CONTROLLER_TABLE", "found.ctl", ini.c_str());
    WriteProfileString("Table", "MACHINE_TABLE", "here.mtl", ini.c_str());
    CurrentFolderScope scope(folder.path);
    ReadSettings();
    EXPECT_EQ(ctl + "both.ttl", g_ToolTableFilePath);
    EXPECT_EQ(ctl + "found.ctl", g_ControllerFilePath);
    EXPECT_EQ(folder.File("here.mtl"), g_MachineFilePath);

    char out[SETTINGS_PATH_SIZE];
    LocateDataFile(ctl.c_str(), "nowhere.ttl", out, sizeof out);
    EXPECT_EQ(folder.path + "bin/nowhere.ttl", out);
    LocateDataFile(ctl.c_str(), "rel\\x.ttl", out, sizeof out);
    EXPECT_EQ(folder.path + "rel\\x.ttl", out);
    LocateDataFile(ctl.c_str(), "ctl", out, sizeof out);   // a folder is no file
    EXPECT_EQ(folder.path + "bin/ctl", out);

    // The basic model is resolved against the work-file folder.
    settings_test::WriteText(ctl + "model.stl", "");
    WriteProfileString("DMEdata", "Target_DMEdir", ctl.c_str(), ini.c_str());
    WriteProfileString("DMEdata", "BASIC DME", "model.stl", ini.c_str());
    ReadSettings();
    EXPECT_EQ(1, g_BasicModelGiven);
    EXPECT_EQ(ctl + "model.stl", g_BasicModelPath);
}

TEST_F(SettingsTest, ColourFileNamedOnTheCommandLine)
{
    settings_test::WriteText(folder.File("qumbra.ini"), "[Define]\nPEN3 COLOR=(1,1,1)\nVICE COLOR=(2,2,2)\n");
    settings_test::WriteText(folder.File("my.ctc"), "PEN3 COLOR (255,0,0)01\n");
    g_CmdCtcGiven = 1;
    std::strcpy(g_CmdCtcFile, "my.ctc");   // a bare name is taken from the current folder
    ReadSettings();
    EXPECT_EQ(Rgb(255, 0, 0), g_PenColours[3]);
    EXPECT_EQ(0, g_PenColourFlags[3]);
    EXPECT_EQ(Rgb(2, 2, 2), g_ViceColour);
    EXPECT_EQ(0, g_CmdCtcGiven);

    g_CmdCtcGiven = 1;
    std::strcpy(g_CmdCtcFile, "/no/such/file.ctc");
    ReadSettings();
    EXPECT_EQ(Rgb(1, 1, 1), g_PenColours[3]) << "a colour file that cannot be read changes nothing";
    EXPECT_EQ(0, g_CmdCtcGiven);
}

namespace {

void ReplaceProgram(char* buffer) { std::strcpy(buffer, "plugin-editor"); }

} // namespace

TEST_F(SettingsTest, SilentModeAndEditorPlugin)
{
    settings_test::WriteText(folder.File("qumbra.ini"),
                             settings_test::ReadText(settings_test::FixturePath("full.ini")));
    g_SilentMode = 1;
    g_EditorPlugin.execProgram = ReplaceProgram;
    g_EditorKind = 0;
    ReadSettings();
    g_EditorPlugin.execProgram = nullptr;
    EXPECT_EQ(0, g_ShowToolPanel);
    EXPECT_EQ(0, g_ToolDisplayMode);
    EXPECT_EQ(0, g_ShowToolPath);
    EXPECT_EQ(0, g_ShowLinearToolPath);
    EXPECT_EQ(1, g_ShowCommandMenuPanel);
    EXPECT_STREQ("plugin-editor", g_EditorProgram);
    EXPECT_EQ(99, g_EditorKind);
    EXPECT_STREQ("ttledit", g_TtlEditor);
}

TEST_F(SettingsTest, PitchesThatAreNotPositiveNumbersAreRefused)
{
    const struct {
        const char* work;
        const char* move;
        double workPitch;
        double movePitch;
    } cases[] = {{"0", "0", 1.0, 1.0},         {"-0.5", "-2", 1.0, 1.0},     {"fine", "coarse", 1.0, 1.0},
                 {"0.5", "AUTO", 0.5, 0.5},    {"0.5", "AUTO2", 0.5, 1.0},   {"0.5", "AUTO-3", 0.5, 0.5},
                 {"AUTO", "0.2", 1.0, 0.2},    {"0.25", "", 0.25, 1.0}};
    const std::string ini = folder.File("qumbra.ini");
    for (const auto& c : cases) {
        WriteProfileString("Define", "PITCH(WORK)", c.work, ini.c_str());
        WriteProfileString("Define", "PITCH(MOVE)", c.move, ini.c_str());
        g_WorkPitch = 0.0;
        g_MovePitch = 0.0;
        ReadSettings();
        EXPECT_EQ(c.workPitch, g_WorkPitch) << c.work;
        EXPECT_EQ(c.workPitch, g_WorkPitchSetting) << c.work;
        EXPECT_EQ(c.movePitch, g_MovePitch) << c.move;
    }
    // A pitch the command line gave as negative counts as not given.
    WriteProfileString("Define", "PITCH(WORK)", "0.4", ini.c_str());
    WriteProfileString("Define", "PITCH(MOVE)", "AUTO", ini.c_str());
    g_WorkPitch = -1.0;
    g_MovePitch = 0.0;
    ReadSettings();
    EXPECT_EQ(0.4, g_WorkPitch);
    EXPECT_EQ(0.4, g_MovePitch);
}
