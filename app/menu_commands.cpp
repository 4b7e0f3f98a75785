// The frame's menu commands: the dispatch of WM_COMMAND ids and the commands for NC data, the
// verification report, the definition files, the path and view display switches, the settings
// dialogs, the floating panels and the image of the view.
#include "app/menu_commands.h"

#include <cstdio>
#include <cstring>

#include "app/command_line.h"
#include "app/editor_bridge.h"
#include "app/file_dialogs.h"
#include "app/frame_window.h"
#include "app/gdi_resources.h"
#include "app/macro_log.h"
#include "app/message_file.h"
#include "app/plugins.h"
#include "app/run_control.h"
#include "app/settings_dialogs.h"
#include "app/shell_commands.h"
#include "app/sound_effects.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_models.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/definition_reload.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/interpreter_state.h"
#include "nc/nc_data_check.h"
#include "platform/os/files.h"
#include "platform/os/process.h"
#include "platform/ui/event_core.h"
#include "platform/ui/gl_calls.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "platform/ui/panel_cells.h"
#include "platform/ui/repaint_requests.h"
#include "platform/ui/shell_services.h"
#include "platform/ui/ui_constants.h"
#include "simulation/alarms.h"
#include "simulation/run_state.h"
#include "simulation/verification_report.h"
#include "view/display_lists.h"
#include "view/image_capture.h"
#include "view/movie_settings.h"
#include "view/status_panel.h"
#include "view/tool_panel.h"
#include "view/tool_path.h"
#include "view/view_camera.h"
#include "view/view_window.h"
#include "view/work_display.h"
#include "work_model/work_model.h"
#include "work_model/work_values.h"

namespace {

constexpr unsigned kCellText = 0x000000, kCellFace = 0xF0F0F0;

const char* Choose(const char* english, const char* japanese) { return g_EnglishUi ? english : japanese; }

void DrawCell(WindowHandle frame, int cell, const char* text, int style)
{
    if (g_SilentMode || IsUiWindowMinimised(frame)) return;
    DrawPanelStatusText(frame, cell, &g_StatusPanelCells[cell], text, style, kCellText, kCellFace);
}

void RepaintWindow(WindowHandle window)
{
    if (window == nullptr) return;
    InvalidateUiWindow(window, 1);
    UpdateUiWindow(window);
}

void RepaintToolPanel()
{
    if (g_ShowToolPanel && g_ToolPanelWindow != nullptr) SendUiMessage(g_ToolPanelWindow, WM_PAINT, 0, 0);
}

int IsMenuItemChecked(int id)
{
    const int state = g_MainMenu != nullptr ? GetUiMenuItemState(g_MainMenu, id, MF_BYCOMMAND) : -1;
    return state >= 0 && (static_cast<unsigned>(state) & MF_CHECKED) != 0;
}

// 32773: the NC data check, then the report unless the check raised an alarm.
void WriteReport(WindowHandle frame, intptr_t quiet)
{
    if (!CheckNcFileExists(frame)) return;
    SetCursorTo(g_WaitCursor);
    g_ReportCheckRunning = 1;
    RunNcDataCheck(frame);
    g_ReportCheckRunning = 0;
    if (g_NcAlarmCode > 0) {
        const int batch = g_CmdRunMode >= 4 || (g_CmdRunMode == 0 && g_CmdReportMode >= 5);
        if (batch) {
            OpenMacroLog();
            WriteMacroLogLine(g_NcFilePath);
        }
        ShowAlarm(frame, batch, g_NcFilePath, 100 + g_NcAlarmCode);
        if (batch) {
            if (g_MacroLog != nullptr) std::fputs("\n", g_MacroLog);
            CloseMacroLog();
        }
        RestoreInteractionCursor();
        return;
    }
    // The check moved the control point and the work offsets: put them back as they were at reset.
    g_ControlPoint = g_NcStartPoint;
    UpdateCurrentMachinePosition();
    for (int a = 0; a < 5; ++a) g_RunStartAxes[a] = g_MachinePosition.axis[a];
    g_ActiveWorkOffset = g_RunStartActiveWorkOffset;
    std::memcpy(g_WorkOffsets, g_RunStartWorkOffsets, sizeof g_RunStartWorkOffsets);
    g_WorkOffsetIndex = g_StartWorkOffset;
    WriteVerificationReport(frame, static_cast<int>(quiet));
    RestoreInteractionCursor();
}

// 32781, 32782, 32783: the file from the sender or the open dialog; 1 when the reload is to run.
int TakeDefinitionFile(WindowHandle frame, int kind, char* folder, char* path)
{
    if (g_FileNamePreset) {
        SetUiForegroundWindow(frame);
        return g_FileNamePreset == 1;
    }
    return ShowOpenDataFileDialog(frame, kind, folder, path) == 1;
}

void StopViewSpin()
{
    if (g_AutoRotateTimer != 0 && g_ViewWindow != nullptr) KillUiTimer(g_ViewWindow, TIMER_AUTO_ROTATE);
    g_AutoRotateTimer = 0;
}

void RemakeBackgroundBrush()
{
    if (g_DefinitionReloadHooks.remakeBackgroundBrush != nullptr) g_DefinitionReloadHooks.remakeBackgroundBrush();
}

void ReloadToolTable(WindowHandle frame)
{
    if (!TakeDefinitionFile(frame, OPEN_TOOL_TABLE, g_TtlFolder, g_ToolTableFilePath)) {
        RepaintWindow(frame);
        return;
    }
    ReadToolTableFile();
    UpdateCurrentMachinePosition();
    g_RebuildHeadPartLists = g_RebuildHead1PartList = g_RebuildHead2PartList = 1;
    if (g_ToolDisplayMode > 0) g_RebuildToolList = 1;
    g_FileNamePreset = 0;
    UpdateMainTitle(frame);
    PlaySoundEffect(SOUND_TOOLCHG, 0);
    RepaintToolPanel();
    RepaintWindow(frame);
}

void ReloadController(WindowHandle frame)
{
    if (!TakeDefinitionFile(frame, OPEN_CONTROLLER, g_CtlFolder, g_ControllerFilePath)) return;
    StopViewSpin();
    ReadControllerFile();
    RemakeBackgroundBrush();
    UpdateStatusBar();
    ReadMachineFile(0);
    ReadToolTableFile();
    g_FileNamePreset = 0;
    PlaySoundEffect(SOUND_WORKSET, 0);
    RepaintWindow(frame);
}

void ReloadMachine(WindowHandle frame)
{
    if (!TakeDefinitionFile(frame, OPEN_MACHINE, g_MtlFolder, g_MachineFilePath)) return;
    StopViewSpin();
    ReadControllerFile();
    ReadMachineFile(1);
    BuildToolProfile();
    ReadToolTableFile();
    if (g_ToolDisplayMode > 0) g_RebuildToolList = 1;
    g_FileNamePreset = 0;
    UpdateMainTitle(frame);
    RepaintWindow(frame);
    PlaySoundEffect(SOUND_WORKSET, 0);
    RepaintToolPanel();
}

// 32777 (interpolateRotary 1, list 31) and 32778 (0, list 32).
// 1 when the view holds the path list (31 or 32) of the last build.
int IsToolPathListBuilt(int interpolateRotary)
{
    if (g_ViewWindow == nullptr || !g_ViewGlContext || !MakeUiGlCurrent(g_ViewWindow)) return 0;
    const int built = GlIsList(interpolateRotary ? LIST_TOOL_PATH : LIST_LINEAR_TOOL_PATH);
    MakeUiGlCurrent(nullptr);
    return built;
}

void SwitchPathDisplay(WindowHandle frame, int interpolateRotary)
{
    int* shown = interpolateRotary ? &g_ShowToolPath : &g_ShowLinearToolPath;
    if (g_RunMode == 0) {
        if (!CheckNcFileExists(frame)) return;
        *shown ^= 1;
        if (*shown) {
            if (interpolateRotary) g_RebuildToolPathList = 1;
            else g_RebuildLinearToolPathList = 1;
            g_PathShiftHeld = IsUiKeyDown(VK_SHIFT) ? 1 : 0;
        }
    } else {
        // During a run only a list built from the file as it is on disk may be shown or hidden.
        FileTime now = {0, 0};
        if (!GetFileLastWriteTime(g_NcFilePath, &now) || !AreFileTimesEqual(&now, &g_ToolPathFileTime)) return;
        if (!IsToolPathListBuilt(interpolateRotary)) return;
        *shown ^= 1;
    }
    SetCursorTo(g_WaitCursor);
    RepaintWindow(g_ViewWindow);
    RestoreInteractionCursor();
    UpdateMenuChecks(g_MainMenu);
}

void SetViewMouseMode(int mode, int cursorResource)
{
    g_ViewMouseMode = mode;
    SetCursorTo(GetModeCursor(cursorResource));
    g_ViewPopupMenuOpen = 0;
    if (mode == VIEW_MOUSE_ROTATE) return;
    BeginPanelDraw(g_MainWindow);
    DrawMeasurePointPanel();
    EndPanelDraw(g_MainWindow);
}

void SetWorkPitch(WindowHandle frame)
{
    if (RunPitchDialog(frame) == 1) {
        if (g_WorkDefined <= 0) {
            g_WorkPitch = g_WorkPitchSetting;
            SelectCurrentTool(g_SpindleToolNumber, g_WorkPitch);
        } else if (g_WorkPitchSetting != g_WorkPitch) {
            ShowUiMessageBox(frame,
                             Choose("Work pitch is reflected, When redefining work.",
                                    "被切削材の精度は、再定義時に反映されます。"),
                             "QUMBRA5000", MB_TOPMOST);
        }
    }
    char text[258];
    std::snprintf(text, sizeof text, Choose("\tPitch:%5.3f\t", "\t精度:%5.3f\t"), g_WorkPitch);
    DrawCell(frame, CELL_PITCH, text, SBT_POPOUT);
}

void SetControlPoint(WindowHandle frame)
{
    if (g_RunMode != 0) return;
    if (RunControlPointDialog(frame) == 1) {
        SetCursorTo(g_WaitCursor);
        RepaintWindow(frame);
    }
    BeginPanelDraw(frame);
    DrawControlPointKind();
    EndPanelDraw(frame);
}

void EditOffsetTable(WindowHandle frame, int kind)
{
    g_OffsetTableKind = kind;
    RunOffsetTableDialog(frame);
    if (kind == 0) DrawCell(frame, CELL_D_CODE, Choose("\tD-Code", "\t径補正値"), SBT_POPOUT);
    else DrawCell(frame, CELL_H_CODE, Choose("\tH-Code", "\t長補正値"), SBT_POPOUT);
}

// The command menu panel: the flag follows the menu item's check mark; the panel is placed at the
// frame's lower right corner above the status bar.
void SwitchCommandMenuPanel(WindowHandle frame)
{
    g_ShowCommandMenuPanel = IsMenuItemChecked(213) ? 0 : 1;
    UpdateMenuChecks(g_MainMenu);
    SetUiFocus(frame);
}

void SwitchToolPanel(WindowHandle frame)
{
    UiRect frameRect = {0, 0, 0, 0};
    GetUiWindowRect(frame, &frameRect);
    if (IsMenuItemChecked(32816)) {
        if (g_ToolPanelWindow != nullptr) DestroyUiWindow(g_ToolPanelWindow);
        g_ToolPanelWindow = nullptr;
        g_ShowToolPanel = 0;
        UpdateMenuChecks(g_MainMenu);
        return;
    }
    g_ToolPanelWindow = CreateToolPanel(frame);
    if (g_ToolPanelWindow != nullptr) {
        UiRect panel = {0, 0, 0, 0};
        GetUiWindowRect(g_ToolPanelWindow, &panel);
        const int width = panel.right - panel.left, height = panel.bottom - panel.top;
        const int x = frameRect.right + g_ToolPanelInset - width - g_FrameBorderWidth;
        const int y = frameRect.bottom + g_PanelInset - height - g_FrameBorderWidth - g_StatusBarHeight;
        MoveUiWindow(g_ToolPanelWindow, x, y, width, height);
        ShowUiWindow(g_ToolPanelWindow, SW_SHOW);
    }
    g_ShowToolPanel = 1;
    UpdateMenuChecks(g_MainMenu);
}

void NextWorkDisplayStyle()
{
    SetCursorTo(g_WaitCursor);
    g_WorkDisplayStyle = g_WorkDisplayStyle >= 5 || g_WorkDisplayStyle < 0 ? 0 : g_WorkDisplayStyle + 1;
    if (g_WorkDefined > 0) {
        MarkWorkBlocksForRebuild();
        RepaintWindow(g_ViewWindow);
    }
    UpdateMenuChecks(g_MainMenu);
    RestoreInteractionCursor();
}

void AfterSettingsDialog(WindowHandle frame, int ok, int waitCursor)
{
    if (ok != 1) return;
    if (waitCursor) SetCursorTo(g_WaitCursor);
    g_ViewChanged = 1;
    RepaintWindow(g_ViewWindow != nullptr ? g_ViewWindow : frame);
    RestoreInteractionCursor();
    PlaySoundEffect(SOUND_WORKSET, 0);
}

// 32889: the view as a PNG file named by the sender in g_WorkBaseName.
void SaveImageOfView()
{
    if (g_FileNamePreset != 1) return;
    SetCursorTo(g_WaitCursor);
    SaveViewImage(g_WorkBaseName);
    RestoreInteractionCursor();
    g_FileNamePreset = 0;
}

void SetToolCentreMode(WindowHandle frame, int mode)
{
    g_ToolCentreMode = g_ToolCentreModeAtStart = mode;
    UpdateCurrentMachinePosition();
    UpdateStatusBar();
    UpdateMenuChecks(g_MainMenu);
    RepaintWindow(frame);
}

void SwitchNcComPlugin(WindowHandle frame)
{
    g_UseNcComPlugin ^= 1;
    UpdateMenuChecks(g_MainMenu);
    if (!g_UseNcComPlugin) {
        ReadToolTableFile();
        g_FileNamePreset = 0;
        UpdateMainTitle(frame);
    }
    RepaintToolPanel();
}

}  // namespace

int RunMenuCommand(WindowHandle frame, int id, intptr_t lParam, intptr_t* result)
{
    *result = 0;
    switch (id) {
    case 104: RunVersionInfoDialog(frame); return 1;
    case 105: DestroyUiWindow(frame); return 1;
    case 138: SetWorkPitch(frame); return 1;
    case 154: SetControlPoint(frame); return 1;
    case 208: RunStartupStateDialog(frame); return 1;
    case 213: SwitchCommandMenuPanel(frame); return 1;
    case 250: SetViewMouseMode(VIEW_MOUSE_MEASURE, 248); return 1;
    case 254: SetViewMouseMode(VIEW_MOUSE_NC_JUMP, 240); return 1;
    case 257: SetViewMouseMode(VIEW_MOUSE_ROTATE, 247); return 1;
    case 801:
        if (g_HelpIndexPath[0] != '\0') OpenWithDefaultApplication(g_HelpIndexPath);
        return 1;
    case 32771: *result = SelectNcData(frame, 0); return 1;
    case 32772: *result = SelectNcData(frame, 1); return 1;
    case 32773: WriteReport(frame, lParam); return 1;
    case 32777: SwitchPathDisplay(frame, 1); return 1;
    case 32778: SwitchPathDisplay(frame, 0); return 1;
    case 32779: AfterSettingsDialog(frame, RunColourSettingsDialog(frame), 0); return 1;
    case 32781: ReloadToolTable(frame); return 1;
    case 32782: ReloadController(frame); return 1;
    case 32783: ReloadMachine(frame); return 1;
    case 32800:
        if (g_RunMode != 0) return 1;
        g_ShowConstructionPoints ^= 1;
        UpdateMenuChecks(g_MainMenu);
        if (g_ShowToolPath) g_RebuildToolPathList = 1;
        if (g_ShowLinearToolPath) g_RebuildLinearToolPathList = 1;
        RepaintWindow(g_ViewWindow);
        return 1;
    case 32813:
        if (g_NcSelected > 0 && g_ActiveReaderPlugin < 0) OpenNcFileInEditor();
        return 1;
    case 32816: SwitchToolPanel(frame); return 1;
    case 32828:
        g_ShowAxisTriad = g_ShowAxisTriad == 1 ? 0 : 1;
        UpdateMenuChecks(g_MainMenu);
        RepaintWindow(g_ViewWindow);
        return 1;
    case 32841: EditOffsetTable(frame, 0); return 1;
    case 32842: EditOffsetTable(frame, 1); return 1;
    case 32852: RunOptionalBlockSkipDialog(frame); return 1;
    case 32853:
    case 32854:
    case 32855:
    case 32856:
    case 32857:
        g_StopMode = id - 32853;
        if (!g_SilentMode && !IsUiWindowMinimised(frame)) {
            BeginPanelDraw(frame);
            DrawStopModeRow();
            EndPanelDraw(frame);
        }
        UpdateMenuChecks(g_MainMenu);
        return 1;
    case 32872: NextWorkDisplayStyle(); return 1;
    case 32884:
        if (RunWorkCoordinateDialog(frame) == 1) {
            UpdateCurrentMachinePosition();
            RepaintWindow(g_ViewWindow);
        }
        DrawCell(frame, CELL_WORK_COORDINATES, Choose("\tWorkpiece", "\tﾜｰｸ座標"), SBT_POPOUT);
        return 1;
    case 32889: SaveImageOfView(); return 1;
    case 32894:
        if (RunCutCheckSettingsDialog(frame) == 1) UpdateMainTitle(frame);
        return 1;
    case 32897:
    case 32898:
    case 32899: SetToolCentreMode(frame, id - 32897); return 1;
    case 32900: AfterSettingsDialog(frame, RunDisplayVisibilityDialog(frame), 1); return 1;
    case 32901:
        g_Perspective ^= 1;
        UpdateMenuChecks(g_MainMenu);
        ResetViewViewport();
        RepaintWindow(g_ViewWindow);
        return 1;
    case 32902:
        g_RealRotation ^= 1;
        UpdateMenuChecks(g_MainMenu);
        return 1;
    case 32907: RunMovieSettingsDialog(frame); return 1;
    case 32908:
        g_RealRapid ^= 1;
        UpdateMenuChecks(g_MainMenu);
        return 1;
    case 32912:
        if (RunMachineCheckSettingsDialog(frame) == 1) {
            SetCursorTo(g_WaitCursor);
            LoadCheckModelsIfNeeded();
            SetCursorTo(g_ArrowCursor);
        }
        return 1;
    case 32931: SwitchNcComPlugin(frame); return 1;
    case 32951:
    case 32952:
    case 32953: return 1;
    default: return 0;
    }
}
