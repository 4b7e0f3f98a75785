// The NC selection, command-line work load and save, and run commands of the frame.
#include "app/shell_commands.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/command_line.h"
#include "app/file_dialogs.h"
#include "app/gdi_resources.h"
#include "app/message_file.h"
#include "app/plugins.h"
#include "app/sound_effects.h"
#include "app/work_steps.h"
#include "app/frame_window.h"
#include "app/macro_log.h"
#include "app/run_control.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/machine/forward_kinematics.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/settings_sections.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/tool_body.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/interpreter_state.h"
#include "nc/nc_data_check.h"
#include "nc/subprograms.h"
#include "platform/os/files.h"
#include "platform/ui/event_core.h"
#include "platform/ui/menu.h"
#include "platform/ui/message_box.h"
#include "platform/ui/repaint_requests.h"
#include "platform/ui/shell_services.h"
#include "platform/ui/ui_constants.h"
#include "simulation/alarms.h"
#include "simulation/cutting.h"
#include "simulation/run_state.h"
#include "view/status_panel.h"
#include "view/tool_path.h"
#include "view/view_camera.h"
#include "view/work_display.h"
#include "work_model/work_creation.h"
#include "work_model/work_files.h"
#include "work_model/work_model.h"
#include "work_model/work_values.h"

int g_WorkFileFound = 0;
char g_WorkBaseName[256] = "";

namespace {

int Unattended() { return g_SilentMode || g_CmdBatchRun || g_CmdRunMode >= 5 || g_CmdReportMode >= 5; }

// A message about a file: a message box, or in a batch run a record of the macro log.
void ReportFileMessage(WindowHandle frame, const char* path, const char* english, const char* japanese)
{
    if (Unattended()) {
        char line[256];
        std::snprintf(line, sizeof line, " - %s\n", g_EnglishUi ? english : japanese);
        WriteMacroLogRecord(path, line);
    } else {
        ShowUiMessageBox(frame, path, g_EnglishUi ? english : japanese, MB_TOPMOST);
    }
}

void RepaintFrame(WindowHandle frame)
{
    InvalidateUiWindow(frame, 1);
    UpdateUiWindow(frame);
}

int CanRead(const char* path)
{
    if (path[0] == '\0' || !DoesFileExist(path)) return 0;
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return 0;
    std::fclose(f);
    return 1;
}

// The reader plug-in whose suffix list matches the NC file name: its slot, or -1.
void ChooseReaderPlugin()
{
    g_ActiveReaderPlugin = -1;
    for (int slot = 0; slot < PLUGIN_SLOT_COUNT && slot < g_ReadPlugins.count; ++slot) {
        if (MatchesExtensionList(g_ReadPlugins.module[slot], g_NcFilePath, g_ReadPlugins.suffix[slot])) {
            g_ActiveReaderPlugin = slot;
            return;
        }
    }
}

// Copies text into g_NcFilePath when it fits; 1 when it did.
int TakeNcPath(const char* text)
{
    const size_t n = std::strlen(text);
    if (n >= sizeof g_NcFilePath) return 0;
    std::memcpy(g_NcFilePath, text, n + 1);
    return 1;
}

// A command-line NC name: as given, with ".NC" appended, then in the program folder (after a question).
// Returns 1 when a file was found, 0 when none was, -1 when the user declined the program folder's.
int ResolveCommandLineNcName(WindowHandle frame)
{
    if (g_NcFilePath[0] == '\0') return 0;  // the command line's name did not open
    char name[sizeof g_NcFilePath];
    std::snprintf(name, sizeof name, "%s", g_NcFilePath);
    LocateDataFile(g_NcFolder, name, g_NcFilePath, sizeof g_NcFilePath);
    // A reader plug-in reads its own files: the name stands as it is.
    if (CanRead(g_NcFilePath) || g_ActiveReaderPlugin >= 0) return 1;
    std::string tried = std::string(g_NcFilePath) + ".NC";
    if (CanRead(tried.c_str()) && TakeNcPath(tried.c_str())) return 1;
    const std::string inProgramFolder[2] = {std::string(g_ProgramFolder) + name,
                                            std::string(g_ProgramFolder) + name + ".NC"};
    for (const std::string& candidate : inProgramFolder) {
        if (g_ProgramFolder[0] == '\0' || !CanRead(candidate.c_str())) continue;
        const int answer = ShowUiMessageBox(frame, candidate.c_str(),
                                            g_EnglishUi ? "Is the one of the program side folder acceptable?"
                                                        : "プログラム側ディレクトリのものでもよいですか？",
                                            MB_TOPMOST | MB_ICONQUESTION | MB_YESNO);
        if (answer != IDYES || !TakeNcPath(candidate.c_str())) return -1;
        return 1;
    }
    return 0;
}

// The box of the current work made from the NC data check's extents (the optimal stock).
// More nodes along one axis than any work grid holds.
constexpr double kMaxNodeCount = 2147483647.0;

// The pitches and default box the optimal stock chooses before it knows whether it replaces the work;
// put back when the work stays, so that the pitch in effect remains the current work's.
struct StockChoice {
    double minCorner[3];
    double maxCorner[3];
    double pitch;
    double pitchSetting;
    double pitchSquared;
    double movePitch;
};

StockChoice SaveStockChoice()
{
    StockChoice saved;
    for (int a = 0; a < 3; ++a) {
        saved.minCorner[a] = g_InitialSizeMinCorner[a];
        saved.maxCorner[a] = g_InitialSizeMaxCorner[a];
    }
    saved.pitch = g_WorkPitch;
    saved.pitchSetting = g_WorkPitchSetting;
    saved.pitchSquared = g_WorkPitchSquared;
    saved.movePitch = g_MovePitch;
    return saved;
}

void RestoreStockChoice(const StockChoice& saved)
{
    for (int a = 0; a < 3; ++a) {
        g_InitialSizeMinCorner[a] = saved.minCorner[a];
        g_InitialSizeMaxCorner[a] = saved.maxCorner[a];
    }
    const int pitchChanged = g_WorkPitch != saved.pitch;
    g_WorkPitch = saved.pitch;
    g_WorkPitchSetting = saved.pitchSetting;
    g_WorkPitchSquared = saved.pitchSquared;
    g_MovePitch = saved.movePitch;
    if (pitchChanged) SelectCurrentTool(g_SpindleToolNumber, g_WorkPitch);
}

// Puts the tool above the new work: the rotary axes at 0 and, when the tip lies lower than the
// current tool length over the work's top, the tip lifted there. The control point is the one that
// gives the lifted machine position back through the active work offset and the tool length shift, and
// becomes the start point of the program.
void LiftToolOverWork(const WorkModel* work)
{
    g_MachinePosition.axis[AXIS_ROTARY1] = 0.0;
    g_MachinePosition.axis[AXIS_ROTARY2] = 0.0;
    const double top = static_cast<double>(g_CurrentToolLength) + work->maxCorner[2];
    if (!(top > g_ToolTipPoint[2])) return;
    g_ToolTipPoint[2] = top;
    ApplyForwardKinematicsForAngles(g_ToolTipPoint, &g_MachinePosition.axis[AXIS_ROTARY1], g_MachinePosition.axis);
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a)
        g_ControlPoint.axis[a] = g_MachinePosition.axis[a] - g_ActiveWorkOffset.axis[a];
    const double lengthShift = g_ToolLength - static_cast<double>(g_CurrentToolLength);
    if (g_ToolDirectionTilted) {
        for (int a = 0; a < 3; ++a) g_ControlPoint.axis[a] -= g_ToolDirection[a] * lengthShift;
    } else {
        g_ControlPoint.axis[AXIS_Z] -= lengthShift;
    }
    g_NcStartPoint = g_ControlPoint;
}

int MakeOptimalStock(WindowHandle frame)
{
    if (g_CmdRunMode == 1) g_CmdRunMode = 0;
    SetCursorTo(g_WaitCursor);
    EnableWorkEditMenu(g_MainMenu, MF_GRAYED);
    BeginPanelDraw(frame);
    g_ReportCheckRunning = 1;
    RunNcDataCheck(frame);
    g_ReportCheckRunning = 0;
    EndPanelDraw(frame);
    CheckExtentBox box = g_CheckExtentsCutWork;
    double minZ, maxZ;
    if (box.min[0] > box.max[0] || box.min[1] > box.max[1]) {
        box = g_CheckExtentsWork;
        maxZ = box.min[2] - 5.0;
        minZ = maxZ - 10.0;
    } else {
        minZ = box.min[2];
        maxZ = box.max[2];
    }
    double minX = box.min[0] - g_WorkMargins[0], maxX = box.max[0] + g_WorkMargins[0];
    double minY = box.min[1] - g_WorkMargins[1], maxY = box.max[1] + g_WorkMargins[1];

    // The automatic pitch is chosen for this box; the tool's geometry follows the pitch.
    const StockChoice saved = SaveStockChoice();
    const double chosenBox[6] = {minX, minY, minZ, maxX, maxY, maxZ};
    for (int a = 0; a < 3; ++a) {
        g_InitialSizeMinCorner[a] = chosenBox[a];
        g_InitialSizeMaxCorner[a] = chosenBox[a + 3];
    }
    ChooseAutoWorkPitch();
    g_WorkPitchSquared = g_WorkPitch * g_WorkPitch;
    SelectCurrentTool(g_SpindleToolNumber, g_WorkPitch);

    const double p = g_WorkPitch > 0.0 ? g_WorkPitch : 1.0;
    minZ -= 10.0;
    // Node counts are taken in double first: extents far beyond any grid are refused below instead
    // of being cut down to an int.
    const double countX = std::floor((maxX - minX) / p + 1.5);
    const double countY = std::floor((maxY - minY) / p + 1.5);
    const double countZ = std::floor((g_WorkMargins[2] + maxZ - minZ) / p + 1.5);
    const int gridFits = countX < kMaxNodeCount && countY < kMaxNodeCount && countZ < kMaxNodeCount &&
                         countZ > -kMaxNodeCount;
    const int nx = gridFits && countX > 2.0 ? static_cast<int>(countX) : 2;
    const int ny = gridFits && countY > 2.0 ? static_cast<int>(countY) : 2;
    maxX = (nx - 1) * p + minX;
    maxY = (ny - 1) * p + minY;
    maxZ = gridFits ? (static_cast<int>(countZ) - 1) * p + minZ : minZ;

    // The program starts from its start point; a run's start and the kept positions begin there.
    g_ControlPoint = g_NcStartPoint;
    UpdateCurrentMachinePosition();
    g_StartWorkOffset = g_WorkOffsetIndex;
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) g_RunStartAxes[a] = g_MachinePosition.axis[a];
    CaptureCurrentPositions(&g_LastRunState);

    if (g_NcAlarmCode > 0) {
        RestoreStockChoice(saved);
        const int log = g_CmdRunMode != 0;
        if (log) {
            OpenMacroLog();
            WriteMacroLogLine(g_NcFilePath);
        }
        ShowAlarm(frame, log, g_NcFilePath, 100 + g_NcAlarmCode);
        if (log && g_MacroLog != nullptr) std::fputs("\n", g_MacroLog);
        if (log) CloseMacroLog();
        RestoreInteractionCursor();
        return 0;
    }
    if (!gridFits) {
        // No grid can hold such a box: the current work stays as it is.
        RestoreStockChoice(saved);
        ShowUiMessageBox(frame, "Memory over!", "Data size error", MB_TOPMOST);
        RestoreInteractionCursor();
        return 0;
    }
    g_InitialSizeMinCorner[0] = minX;
    g_InitialSizeMinCorner[1] = minY;
    g_InitialSizeMinCorner[2] = minZ;
    g_InitialSizeMaxCorner[0] = maxX;
    g_InitialSizeMaxCorner[1] = maxY;
    g_InitialSizeMaxCorner[2] = maxZ;
    WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    DestroyWorkModel(work);
    g_WorkFilePath[0] = '\0';
    work->undoLevels = g_UndoRingSize;
    const double corners[6] = {minX, minY, minZ, maxX, maxY, maxZ};
    if (CreateBoxWorkIdentity(work, corners, p) != 1) {
        // The old work is gone already: nothing is defined any more.
        g_WorkDefined = 0;
        ShowUiMessageBox(frame, "Memory over!", "Data size error", MB_TOPMOST);
        RestoreInteractionCursor();
        return 0;
    }

    InitWorkListIdTable(work, &g_WorkListIdTables[g_CurrentWorkIndex]);
    if (g_ToolBodyFacetCount > 0) AllocateMeshCutLists();
    PrepareWorkForCutting(work);  // publishes the dexel direction blocks
    FitViewToWork();
    g_WorkDefined = 1;
    FinishNewWork();

    LiftToolOverWork(work);

    g_MeasurePointCount = 0;
    g_PickLookupEnabled = 1;
    SetViewCentreFromTarget();
    g_ViewZoom = g_ViewFitZoom;
    g_ViewChanged = 1;
    RepaintFrame(frame);
    PlaySoundEffect(SOUND_WORKSET, 0);
    UpdateMenuChecks(g_MainMenu);
    RestoreInteractionCursor();
    return 1;
}

}  // namespace

int SelectNcData(WindowHandle frame, int optimalStock)
{
    char pattern[NC_PATTERN_SIZE];
    ReadIniValue("NCdata", "Target_NCfile", "*.NC", pattern, sizeof pattern);
    int accepted = 0;
    if (g_CmdNcGiven || g_FileNamePreset) {
        ChooseReaderPlugin();
        if (g_FileNamePreset == 1) {
            SetUiForegroundWindow(frame);
        } else {
            const int found = ResolveCommandLineNcName(frame);
            if (found <= 0) {
                if (found == 0) {
                    g_NcAlarmCode = 101;
                    ReportFileMessage(frame, g_NcFilePath, "The NC data does not exist.", "NCデータが存在しません");
                }
                g_CmdRunMode = 0;
                g_FileNamePreset = 0;
                return 1;
            }
        }
        accepted = g_CmdNcGiven == 1 || g_FileNamePreset == 1;
    } else if (ShowOpenNcFileDialog(frame, g_NcFolder, pattern) == 1 && TakeNcPath(pattern)) {
        ChooseReaderPlugin();
        accepted = 1;
    }

    // A new selection (or a cancelled dialog) starts the program's lines and tool path afresh.
    g_LevelLineNumber = 0;
    g_PickedBlockNumber = 0;
    g_NcLineNumber = 0;
    if (g_PluginToolActive) {
        g_PluginToolActive = 0;
        if (g_ArborTable != nullptr) std::memset(&g_ArborTable[0], 0, sizeof(int));
        if (g_ToolLengthTable != nullptr) std::memset(&g_ToolLengthTable[0], 0, sizeof(int));
        ReadToolTableFile();
        if (g_ShowToolPanel && g_ToolPanelWindow != nullptr) SendUiMessage(g_ToolPanelWindow, WM_PAINT, 0, 0);
    }
    g_RebuildToolPathList = g_RebuildLinearToolPathList = 0;
    g_ShowToolPath = g_ShowLinearToolPath = 0;
    ClearFileTime(&g_ToolPathFileTime);
    if (!accepted) {
        g_FileNamePreset = 0;
        return 0;
    }

    const int ncItems[] = {32773, 32813, 32774, 32775, 32776, 32777, 32778};
    if (g_MainMenu != nullptr) {
        for (int id : ncItems) EnableUiMenuItem(g_MainMenu, id, MF_BYCOMMAND | MF_ENABLED);
        for (int slot = 0; slot < 2; ++slot) {
            if (IsSimPluginLoaded(slot)) EnableUiMenuItem(g_MainMenu, 32901 + slot, MF_BYCOMMAND | MF_ENABLED);
        }
    }
    g_FileNamePreset = 0;
    g_NcSelected = g_NcSelected == 0 ? 1 : 2;
    if (!g_SilentMode) {
        UpdateMainTitle(frame);
        g_NcRowState = 1;
        BeginPanelDraw(frame);
        DrawNcBlockRow();
        EndPanelDraw(frame);
    }
    if (g_RunFromMemory) {
        ClearFileTime(&g_NcExtentsFileTime);
        IndexNcFile();
    }
    if (optimalStock && g_CmdWorkGiven == 0 && g_DropLoadedWork == 0) {
        int update = 1;
        if (g_WorkDefined > 0) {
            update = ShowUiMessageBox(frame, g_NcFilePath,
                                      g_EnglishUi ? "Do you update the work?" : "被切削材を更新してよいですね？",
                                      MB_TOPMOST | MB_ICONQUESTION | MB_YESNO) == IDYES;
        }
        if (update && !MakeOptimalStock(frame)) return 0;
    }
    if (!g_SilentMode && g_EditorSelectOpen) SendUiMessage(frame, WM_COMMAND, 32813, 0);
    return 0;
}

int LoadCommandLineWork(WindowHandle frame)
{
    g_WorkFileFound = 0;
    WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    if (g_WorkFilePath[0] == '\0') {
        if (g_CmdWorkKind != CMD_WORK_BOX && g_CmdWorkKind != CMD_WORK_BOX_FROM_ORIGIN) return 0;
        const double box[6] = {g_InitialSizeMinCorner[0], g_InitialSizeMinCorner[1], g_InitialSizeMinCorner[2],
                               g_InitialSizeMaxCorner[0], g_InitialSizeMaxCorner[1], g_InitialSizeMaxCorner[2]};
        DestroyWorkModel(work);
        if (CreateBoxWorkIdentity(work, box, g_WorkPitch) != 1 || work->nodeCountX == 0) {
            ReportFileMessage(frame, "", "Data size error", "データサイズエラー");
            return 0;
        }
    } else {
        char path[sizeof g_WorkFilePath];
        LocateDataFile(g_DmeFolder, g_WorkFilePath, path, sizeof path);
        if (!CanRead(path)) {
            ReportFileMessage(frame, g_WorkFilePath, "The Work data does not exist.", "被切削材データが存在しません");
            return 1;
        }
        g_WorkFileFound = 1;
        std::memcpy(g_WorkFilePath, path, sizeof path);
        DestroyWorkModel(work);
        const ImportFrame importFrame = GetActiveImportFrame(g_ExportInWorkCoordinates);
        const int loaded = LoadWorkModelDme(work, g_WorkFilePath, &importFrame);
        if (loaded != 1) {
            g_WorkFileFound = 0;
            ReportFileMessage(frame, g_WorkFilePath, "The Work data cannot be read.", "被切削材データが読めません");
            return 0;
        }
        g_WorkPitch = work->pitch;
    }
    PrepareWorkForCutting(work);
    g_WorkDefined = 1;
    ShowNewWork();
    if (!g_SilentMode) RepaintFrame(frame);
    return 0;
}

int SaveWorkForCommand(WindowHandle frame, int kind)
{
    const WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    if (g_WorkDefined <= 0 || work->nodeCountX == 0 || g_WorkSavePath[0] == '\0') return 0;
    const int stlFormat = kind >= 2 && kind <= 4 ? kind : 0;
    const int saved = SaveWorkModel(work, g_WorkSavePath, stlFormat, g_ExportInWorkCoordinates, g_WorkCoordRotated,
                                    g_ActiveWorkInverseRotation, g_ActiveWorkOrigin);
    if (saved != 1) {
        ReportFileMessage(frame, g_WorkSavePath, "The Work data cannot be written.", "被切削材データを書き込めません");
        return 0;
    }
    return 1;
}

int RunShellCommand(WindowHandle frame, int id, intptr_t lParam)
{
    switch (id) {
    case RUN_COMMAND_REAL:
    case RUN_COMMAND_SKIP:
    case RUN_COMMAND_RESULT: RunCuttingCommand(frame, id); return 1;
    case 32784:
        if (!g_CmdWorkGiven) return 0;
        LoadCommandLineWork(frame);
        return 1;
    case 32786: SaveWorkForCommand(frame, static_cast<int>(lParam)); return 1;
    default: return 0;
    }
}
