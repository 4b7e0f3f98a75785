// The frame's menu commands sent as WM_COMMAND to a frame on the headless event core with the demo's
// settings and definitions: a table of the switch commands and what they change, the NC selection from
// the dialog, a drop and the command line, the definition reloads, the settings dialogs (answered with
// Cancel) and the commands that only act with a preset name.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "app/command_line.h"
#include "app/file_dialogs.h"
#include "app/frame_window.h"
#include "app/menu_commands.h"
#include "app/message_file.h"
#include "app/plugins.h"
#include "app/run_control.h"
#include "app/settings_dialogs.h"
#include "app/shell_commands.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "nc/nc_data_check.h"
#include "platform/ui/event_core.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "platform/ui/panel_cells.h"
#include "platform/ui/repaint_requests.h"
#include "platform/ui/shell_services.h"
#include "resources/menu_resources.h"
#include "simulation/verification_report.h"
#include "tests/simulation/run_test_support.h"
#include "view/status_panel.h"
#include "view/tool_path.h"
#include "view/view_camera.h"
#include "view/view_window.h"
#include "work_model/work_model.h"
#include "work_model/work_values.h"

namespace {

class MenuCommands : public RunFixture {
protected:
    WindowHandle frame = nullptr;

    void SetUp() override
    {
        RunFixture::SetUp();
        ResetShellValues();
        ASSERT_EQ(StartEventCore(nullptr), 1);
        const UiRect rect = {0, 0, 1000, 700};
        frame = CreateUiWindow("QUMBRA5000", "", MainWindowProc, nullptr, 0, &rect,
                               reinterpret_cast<intptr_t>(LoadMenuResource(MENU_MAIN)));
        ASSERT_NE(frame, nullptr);
        g_MainWindow = frame;
    }
    void TearDown() override
    {
        StopEventCore();
        ResetFrameState();
        ResetShellValues();
        RunFixture::TearDown();
    }
    static void ResetShellValues()
    {
        ResetCommandLineRequests();
        ResetFileDialogMemory();
        ClearFileAndColourPresets();
        ClearMessageBoxPresets();
        g_FileNamePreset = 0;
        g_RunMode = 0;
        g_SilentMode = 0;
        g_EnglishUi = 0;
        g_NcAlarmCode = 0;
        g_ReadPlugins = PluginFamilyTable{};
        g_ActiveReaderPlugin = -1;
        g_ShowToolPath = g_ShowLinearToolPath = 0;
        g_RebuildToolPathList = g_RebuildLinearToolPathList = 0;
        g_WorkBaseName[0] = '\0';
        SetUiKeyState(VK_SHIFT, 0);
    }
    intptr_t Send(int id, intptr_t lParam = 0)
    {
        return SendUiMessage(frame, WM_COMMAND, static_cast<uintptr_t>(id), lParam);
    }
    std::string CellText(int cell)
    {
        PanelCell shown{};
        GetPanelCell(frame, cell, &shown);
        return shown.text;
    }
};

struct SwitchCase {
    const char* name;
    int id;
    std::function<void()> before;   // the precondition
    std::function<void()> check;    // the state change the command made
};

TEST_F(MenuCommands, SwitchCommandsChangeTheirSettings)
{
    const SwitchCase cases[] = {
        {"non-stop", 32853, [] { g_StopMode = 3; }, [] { EXPECT_EQ(g_StopMode, 0); }},
        {"M00", 32854, nullptr, [] { EXPECT_EQ(g_StopMode, 1); }},
        {"M01", 32855, nullptr, [] { EXPECT_EQ(g_StopMode, 2); }},
        {"single block", 32856, nullptr, [] { EXPECT_EQ(g_StopMode, 3); }},
        {"defined positions", 32857, nullptr, [] { EXPECT_EQ(g_StopMode, 4); }},
        {"tool centre normal", 32897, [] { g_ToolCentreMode = g_ToolCentreModeAtStart = 2; },
         [] { EXPECT_EQ(g_ToolCentreMode, 0); EXPECT_EQ(g_ToolCentreModeAtStart, 0); }},
        {"tool centre type 2", 32899, nullptr,
         [] { EXPECT_EQ(g_ToolCentreMode, 2); EXPECT_EQ(g_ToolCentreModeAtStart, 2); }},
        {"perspective", 32901, [] { g_Perspective = 0; }, [] { EXPECT_EQ(g_Perspective, 1); }},
        {"perspective back", 32901, nullptr, [] { EXPECT_EQ(g_Perspective, 0); }},
        {"real rotation", 32902, [] { g_RealRotation = 1; }, [] { EXPECT_EQ(g_RealRotation, 0); }},
        {"real rapid", 32908, [] { g_RealRapid = 0; }, [] { EXPECT_EQ(g_RealRapid, 1); }},
        {"construction points", 32800, [] { g_ShowConstructionPoints = 0; g_ShowToolPath = 1; },
         [] { EXPECT_EQ(g_ShowConstructionPoints, 1); EXPECT_EQ(g_RebuildToolPathList, 1); }},
        {"construction points while running", 32800, [] { g_RunMode = 1; g_RebuildToolPathList = 0; },
         [] { EXPECT_EQ(g_ShowConstructionPoints, 1); EXPECT_EQ(g_RebuildToolPathList, 0); g_RunMode = 0; }},
        {"axis triad from 2", 32828, [] { g_ShowAxisTriad = 2; }, [] { EXPECT_EQ(g_ShowAxisTriad, 1); }},
        {"axis triad off", 32828, nullptr, [] { EXPECT_EQ(g_ShowAxisTriad, 0); }},
        {"work display style wraps", 32872, [] { g_WorkDisplayStyle = 5; }, [] { EXPECT_EQ(g_WorkDisplayStyle, 0); }},
        {"measure mode", 250, [] { g_ViewPopupMenuOpen = 1; },
         [] { EXPECT_EQ(g_ViewMouseMode, 1); EXPECT_EQ(g_ViewPopupMenuOpen, 0); }},
        {"jump mode", 254, nullptr, [] { EXPECT_EQ(g_ViewMouseMode, 5); }},
        {"rotate mode", 257, [] { g_ViewPopupMenuOpen = 1; },
         [] { EXPECT_EQ(g_ViewMouseMode, 11); EXPECT_EQ(g_ViewPopupMenuOpen, 0); }},
        {"radius offsets", 32841, [] { g_OffsetTableKind = 1; },
         [] { EXPECT_EQ(g_OffsetTableKind, 0); }},
        {"length offsets", 32842, nullptr, [] { EXPECT_EQ(g_OffsetTableKind, 1); }},
        {"command menu panel on", 213, [] { g_ShowCommandMenuPanel = 0; },
         [] { EXPECT_EQ(g_ShowCommandMenuPanel, 1); }},
        {"command menu panel off", 213, nullptr, [] { EXPECT_EQ(g_ShowCommandMenuPanel, 0); }},
        {"tool panel on", 32816, [] { g_ShowToolPanel = 0; }, [] { EXPECT_EQ(g_ShowToolPanel, 1); }},
        {"tool panel off", 32816, nullptr, [] { EXPECT_EQ(g_ShowToolPanel, 0); }},
        {"nc tool library off", 32931, [] { g_UseNcComPlugin = 1; g_FileNamePreset = 1; },
         [] { EXPECT_EQ(g_UseNcComPlugin, 0); EXPECT_EQ(g_FileNamePreset, 0); }},
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before) c.before();
        EXPECT_EQ(Send(c.id), 0);
        c.check();
    }
    // The menu's check marks follow the settings the commands changed.
    EXPECT_NE(GetUiMenuItemState(g_MainMenu, 32857, MF_BYCOMMAND) & MF_CHECKED, 0);
    EXPECT_EQ(GetUiMenuItemState(g_MainMenu, 32853, MF_BYCOMMAND) & MF_CHECKED, 0);

    // Six steps of the work display style come back to where they started.
    g_WorkDisplayStyle = 2;
    for (int i = 0; i < 6; ++i) Send(32872);
    EXPECT_EQ(g_WorkDisplayStyle, 2);
}

TEST_F(MenuCommands, SettingsDialogsAnsweredWithCancelChangeNothing)
{
    g_WorkPitch = 0.5;
    g_WorkPitchSetting = 0.25;
    const double pitch = g_WorkPitch;
    g_ViewChanged = 0;
    for (int id : {104, 138, 154, 208, 32779, 32841, 32842, 32852, 32884, 32894, 32900, 32907, 32912, 32951}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(Send(id), 0);
    }
    EXPECT_EQ(g_WorkPitch, pitch);
    EXPECT_EQ(g_ViewChanged, 0);
    // The cells of the dialogs are drawn again all the same.
    EXPECT_EQ(CellText(CELL_PITCH), "\t精度:0.500\t");
    EXPECT_EQ(CellText(CELL_D_CODE), "\t径補正値");
    EXPECT_EQ(CellText(CELL_H_CODE), "\t長補正値");
    EXPECT_EQ(CellText(CELL_WORK_COORDINATES), "\tﾜｰｸ座標");
    // An id no command has goes to the default procedure; the frame stays.
    EXPECT_EQ(Send(40000), 0);
    EXPECT_EQ(IsUiWindow(frame), 1);
}

TEST_F(MenuCommands, SelectNcDataFromTheDialogEnablesTheNcItems)
{
    const std::string nc = folder.File("pocket.nc");
    EXPECT_NE(GetUiMenuItemState(g_MainMenu, 32773, MF_BYCOMMAND) & MF_GRAYED, 0);

    // Cancelled: nothing is selected, but the path display is switched off.
    g_ShowToolPath = 1;
    g_RebuildLinearToolPathList = 1;
    EXPECT_EQ(Send(32771), 0);
    EXPECT_EQ(g_NcSelected, 0);
    EXPECT_EQ(g_ShowToolPath, 0);
    EXPECT_EQ(g_RebuildLinearToolPathList, 0);

    PresetFileDialogAnswer(1, nc.c_str(), 1, 0);
    EXPECT_EQ(Send(32771), 0);
    EXPECT_EQ(std::string(g_NcFilePath), nc);
    EXPECT_EQ(std::string(g_NcFolder), folder.path);
    EXPECT_EQ(g_NcSelected, 1);
    EXPECT_EQ(g_ActiveReaderPlugin, -1);
    for (int id : {32773, 32813, 32774, 32775, 32776, 32777, 32778}) {
        EXPECT_EQ(GetUiMenuItemState(g_MainMenu, id, MF_BYCOMMAND) & MF_GRAYED, 0) << id;
    }
    PresetFileDialogAnswer(1, nc.c_str(), 1, 0);
    Send(32771);
    EXPECT_EQ(g_NcSelected, 2);

    // A name a reader plug-in claims chooses its slot.
    static int module;
    g_ReadPlugins.count = 2;
    g_ReadPlugins.module[1] = &module;
    std::snprintf(g_ReadPlugins.suffix[1], PLUGIN_SUFFIX_SIZE, ".abc");
    PresetFileDialogAnswer(1, folder.File("part.ABC").c_str(), 1, 0);
    Send(32771);
    EXPECT_EQ(g_ActiveReaderPlugin, 1);
}

TEST_F(MenuCommands, SelectNcDataFromSenderNamesAndMissingFiles)
{
    // A drop or macro name is taken as it is.
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("pocket.nc").c_str());
    g_FileNamePreset = 1;
    EXPECT_EQ(Send(32771), 0);
    EXPECT_EQ(g_FileNamePreset, 0);
    EXPECT_EQ(g_NcSelected, 1);

    // A command-line name without extension finds the file with ".NC" appended, without a question.
    WriteTextFile(folder.File("plain.NC"), "G0X0\n");
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("plain").c_str());
    g_CmdNcGiven = 1;
    const int boxes = CountShownMessageBoxes();
    EXPECT_EQ(Send(32771), 0);
    EXPECT_EQ(std::string(g_NcFilePath), folder.File("plain.NC"));
    EXPECT_EQ(CountShownMessageBoxes(), boxes);

    // Found only in the program folder: taken after Yes, refused after No (result 1). A name with a
    // folder part is not looked for in the NC folder.
    ScopedTempFolder program{"qumbra_program_"};
    ASSERT_EQ(CreateFolder(program.File("sub").c_str()), 1);
    WriteTextFile(program.File("sub/only.nc"), "G0X0\n");
    std::snprintf(g_ProgramFolder, sizeof g_ProgramFolder, "%s/", program.path.c_str());
    std::snprintf(g_NcFolder, sizeof g_NcFolder, "%s/", folder.path.c_str());
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "sub/only.nc");
        g_CmdRunMode = 2;
        PresetMessageBoxAnswer(answer);
        EXPECT_EQ(Send(32771), answer == IDYES ? 0 : 1);
        ShownMessageBox box{};
        ASSERT_EQ(GetShownMessageBox(CountShownMessageBoxes() - 1, &box), 1);
        EXPECT_STREQ(box.caption, "プログラム側ディレクトリのものでもよいですか？");
        if (answer == IDYES) EXPECT_EQ(std::string(g_NcFilePath), program.File("sub/only.nc"));
        else EXPECT_EQ(g_CmdRunMode, 0);
    }
    g_ProgramFolder[0] = '\0';

    // Missing everywhere: NC alarm 101, the message, result 1.
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("missing.nc").c_str());
    PresetMessageBoxAnswer(IDOK);
    EXPECT_EQ(Send(32771), 1);
    EXPECT_EQ(g_NcAlarmCode, 101);
    ShownMessageBox box{};
    ASSERT_EQ(GetShownMessageBox(CountShownMessageBoxes() - 1, &box), 1);
    EXPECT_STREQ(box.caption, "NCデータが存在しません");
    EXPECT_EQ(g_FileNamePreset, 0);
}

TEST_F(MenuCommands, OptimalStockFromTheNcExtents)
{
    g_WorkMargins[0] = g_WorkMargins[1] = g_WorkMargins[2] = 0.0f;
    g_AutoWorkPitch = 0;
    g_WorkPitchSetting = 0.5;
    g_CmdNcGiven = 1;
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("pocket.nc").c_str());
    // A start point inside the work: the tool is lifted over the new work's top.
    g_ControlPoint = AxisPosition{{0.0, 0.0, -50.0, 0.0, 0.0}};
    EXPECT_EQ(Send(32772), 0);
    ASSERT_EQ(g_WorkDefined, 1);
    EXPECT_EQ(g_WorkPitch, 0.5);
    EXPECT_EQ(g_WorkPitchSquared, 0.25);
    const WorkModel& work = g_WorkModels[g_CurrentWorkIndex];
    EXPECT_EQ(work.pitch, 0.5);
    EXPECT_DOUBLE_EQ(g_ToolTipPoint[2], g_CurrentToolLength + work.maxCorner[2]);
    EXPECT_EQ(g_MachinePosition.axis[3], 0.0);
    EXPECT_EQ(g_MachinePosition.axis[4], 0.0);
    for (int a = 0; a < 5; ++a) EXPECT_EQ(g_NcStartPoint.axis[a], g_ControlPoint.axis[a]) << a;
    // The start point gives the lifted machine position back through the active work offset.
    const AxisPosition lifted = g_MachinePosition;
    const double liftedTip[3] = {g_ToolTipPoint[0], g_ToolTipPoint[1], g_ToolTipPoint[2]};
    UpdateCurrentMachinePosition();
    for (int a = 0; a < 5; ++a) EXPECT_NEAR(g_MachinePosition.axis[a], lifted.axis[a], 1e-9) << a;
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(g_ToolTipPoint[a], liftedTip[a], 1e-9) << a;
    const CheckExtentBox cut = g_CheckExtentsCutWork;
    EXPECT_DOUBLE_EQ(g_InitialSizeMinCorner[0], cut.min[0]);
    EXPECT_DOUBLE_EQ(g_InitialSizeMinCorner[2], cut.min[2] - 10.0);
    EXPECT_GE(g_InitialSizeMaxCorner[0], cut.max[0]);
    EXPECT_LT(g_InitialSizeMaxCorner[0], cut.max[0] + 0.5);
    EXPECT_GE(g_WorkModels[g_CurrentWorkIndex].nodeCountX, 2);
    EXPECT_EQ(g_ReportCheckRunning, 0);

    // With a work defined the user is asked first; No keeps the work and its file name.
    std::snprintf(g_WorkFilePath, sizeof g_WorkFilePath, "/x/kept.dme");
    const double keptMinX = g_InitialSizeMinCorner[0];
    PresetMessageBoxAnswer(IDNO);
    EXPECT_EQ(Send(32772), 0);
    ShownMessageBox box{};
    ASSERT_EQ(GetShownMessageBox(CountShownMessageBoxes() - 1, &box), 1);
    EXPECT_STREQ(box.caption, "被切削材を更新してよいですね？");
    EXPECT_STREQ(g_WorkFilePath, "/x/kept.dme");
    EXPECT_EQ(g_InitialSizeMinCorner[0], keptMinX);

    // Rapids only along one X: the box comes from all moves, its top 5 below the lowest point and its
    // bottom 20 below the top, with the two nodes a grid needs along X.
    WriteTextFile(folder.File("rapids.nc"), "%\nG90 G00 X10. Y0. Z8.\nG00 Y20. Z3.\nM30\n%\n");
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("rapids.nc").c_str());
    PresetMessageBoxAnswer(IDYES);
    EXPECT_EQ(Send(32772), 0);
    const CheckExtentBox all = g_CheckExtentsWork;
    EXPECT_DOUBLE_EQ(g_InitialSizeMaxCorner[2], all.min[2] - 5.0);
    EXPECT_DOUBLE_EQ(g_InitialSizeMinCorner[2], all.min[2] - 25.0);
    EXPECT_EQ(g_WorkModels[g_CurrentWorkIndex].nodeCountX, 2);
    EXPECT_EQ(g_WorkFilePath[0], '\0');

    // The automatic pitch is chosen for the new box, not the default box it replaces: the pocket's box
    // stays within 1500 grid points at 1.5 mm (not at 1 mm); the old 10 m box at no pitch of the table.
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("pocket.nc").c_str());
    g_AutoWorkPitch = 1;
    g_AutoPitchCells = 1500;
    g_MinimumWorkPitch = 0.0;
    g_InitialSizeMaxCorner[0] = g_InitialSizeMaxCorner[1] = 10000.0;
    PresetMessageBoxAnswer(IDYES);
    EXPECT_EQ(Send(32772), 0);
    EXPECT_EQ(g_WorkPitch, 1.5);
    EXPECT_EQ(g_WorkPitchSquared, 2.25);
    EXPECT_EQ(g_WorkModels[g_CurrentWorkIndex].pitch, 1.5);
    EXPECT_LT(g_InitialSizeMaxCorner[0], 100.0);
    g_AutoWorkPitch = 0;

    // Margins no grid can hold: the message, and the work stays with its pitch in effect.
    g_WorkMargins[0] = 1e12f;
    g_WorkPitchSetting = 0.5;
    const int nodes = g_WorkModels[g_CurrentWorkIndex].nodeCountY;
    PresetMessageBoxAnswer(IDYES);
    PresetMessageBoxAnswer(IDOK);
    EXPECT_EQ(Send(32772), 0);
    ASSERT_EQ(GetShownMessageBox(CountShownMessageBoxes() - 1, &box), 1);
    EXPECT_STREQ(box.caption, "Data size error");
    EXPECT_EQ(g_WorkDefined, 1);
    EXPECT_EQ(g_WorkModels[g_CurrentWorkIndex].nodeCountY, nodes);
    EXPECT_EQ(g_WorkPitch, 1.5);  // still the pitch of the work that stays
    g_WorkMargins[0] = 0.0f;
}

TEST_F(MenuCommands, PathDisplaySwitchesAndStaysWhileTheFileChangedDuringARun)
{
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("pocket.nc").c_str());
    SetUiKeyState(VK_SHIFT, 1);
    Send(32777);
    EXPECT_EQ(g_ShowToolPath, 1);
    EXPECT_EQ(g_RebuildToolPathList, 1);
    EXPECT_EQ(g_PathShiftHeld, 1);
    SetUiKeyState(VK_SHIFT, 0);
    Send(32778);
    EXPECT_EQ(g_ShowLinearToolPath, 1);
    EXPECT_EQ(g_PathShiftHeld, 0);
    Send(32777);
    EXPECT_EQ(g_ShowToolPath, 0);

    // During a run, with a file time other than the lists' (or no list), nothing changes.
    g_RunMode = 1;
    g_ToolPathFileTime = FileTime{1, 1};
    Send(32777);
    EXPECT_EQ(g_ShowToolPath, 0);
    g_RunMode = 0;

    // Without the NC file nothing switches.
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("gone.nc").c_str());
    PresetMessageBoxAnswer(IDOK);
    Send(32778);
    EXPECT_EQ(g_ShowLinearToolPath, 1);
}

TEST_F(MenuCommands, DefinitionFilesReloadFromTheSenderOrTheDialog)
{
    // The tool table named by a drop is read; the head lists are asked for again.
    g_RebuildHeadPartLists = 0;
    g_FileNamePreset = 1;
    std::snprintf(g_ToolTableFilePath, sizeof g_ToolTableFilePath, "%s", folder.File("demo.ttl").c_str());
    Send(32781);
    EXPECT_EQ(g_FileNamePreset, 0);
    EXPECT_EQ(g_RebuildHeadPartLists, 1);
    EXPECT_EQ(g_ToolTableStatus, 1);

    // The controller and machine from the dialog: the chosen file is read and its folder kept.
    const std::string controller = folder.File("fanuc_demo.ctl");
    PresetFileDialogAnswer(1, controller.c_str(), 1, 0);
    g_ControllerFileStatus = 0;
    Send(32782);
    EXPECT_EQ(std::string(g_ControllerFilePath), controller);
    EXPECT_EQ(std::string(g_CtlFolder), folder.path);
    EXPECT_EQ(g_ControllerFileStatus, 1);
    PresetFileDialogAnswer(1, folder.File("vmc3.mtl").c_str(), 1, 0);
    g_MachineFileStatus = 0;
    Send(32783);
    EXPECT_EQ(g_MachineFileStatus, 1);

    // Cancelled: the paths stay.
    Send(32782);
    EXPECT_EQ(std::string(g_ControllerFilePath), controller);
}

TEST_F(MenuCommands, ImageOfTheViewOnlyWithAPresetName)
{
    // Without a name nothing happens; with one the flag is used up even when the view has no
    // pixels to give (no display here).
    std::snprintf(g_WorkBaseName, sizeof g_WorkBaseName, "%s", folder.File("shot").c_str());
    Send(32889);
    g_FileNamePreset = 1;
    Send(32889);
    EXPECT_EQ(g_FileNamePreset, 0);
    EXPECT_EQ(DoesFileExist(folder.File("shot.PNG").c_str()), 0);
}

TEST_F(MenuCommands, ReportIsWrittenUnlessTheCheckRaisedAnAlarm)
{
    std::snprintf(g_VerifyFolder, sizeof g_VerifyFolder, "%s", folder.path.c_str());
    std::snprintf(g_LogFolder, sizeof g_LogFolder, "%s", folder.path.c_str());
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("pocket.nc").c_str());
    const std::string report = MakeVerificationReportPath();
    ASSERT_EQ(DoesFileExist(report.c_str()), 0);
    Send(32773, 1);
    EXPECT_EQ(g_NcAlarmCode, 0);
    EXPECT_EQ(g_ReportCheckRunning, 0);
    EXPECT_EQ(DoesFileExist(report.c_str()), 1);
    DeleteFileAtPath(report.c_str());

    // A zero feed raises an alarm: in a batch it goes to the macro log, and no report is written.
    g_CheckF0 = 1;
    WriteTextFile(folder.File("bad.nc"), "%\nG90 G01 X10. F100.\nG01 X20. F0\nM30\n%\n");
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", folder.File("bad.nc").c_str());
    const std::string badReport = MakeVerificationReportPath();
    g_CmdReportMode = 5;
    Send(32773, 1);
    EXPECT_GT(g_NcAlarmCode, 0);
    EXPECT_EQ(g_ReportCheckRunning, 0);
    EXPECT_EQ(DoesFileExist(badReport.c_str()), 0);
    EXPECT_EQ(DoesFileExist(folder.File("qumbra.log").c_str()), 1);
    g_CheckF0 = 0;
}

}  // namespace
