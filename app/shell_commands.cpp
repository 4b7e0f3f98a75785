// The NC selection, command-line work load and save, and run commands of the frame.
#include "app/shell_commands.h"

#include <cstdio>
#include <cstring>

#include "app/command_line.h"
#include "app/frame_window.h"
#include "app/macro_log.h"
#include "app/run_control.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/interpreter_state.h"
#include "nc/nc_data_check.h"
#include "platform/os/files.h"
#include "platform/ui/event_core.h"
#include "platform/ui/message_box.h"
#include "platform/ui/shell_services.h"
#include "platform/ui/ui_constants.h"
#include "simulation/alarms.h"
#include "simulation/cutting.h"
#include "simulation/run_state.h"
#include "view/view_camera.h"
#include "view/work_display.h"
#include "work_model/work_creation.h"
#include "work_model/work_files.h"
#include "work_model/work_model.h"
#include "work_model/work_values.h"

int g_WorkFileFound = 0;

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

int CanRead(const char* path)
{
    if (path[0] == '\0' || !DoesFileExist(path)) return 0;
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return 0;
    std::fclose(f);
    return 1;
}

// A command-line NC name: as given, with ".NC" appended, then in the program folder.
int ResolveCommandLineNcName()
{
    if (g_NcFilePath[0] == '\0') return 0;  // the command line's name did not open
    char name[sizeof g_NcFilePath];
    std::snprintf(name, sizeof name, "%s", g_NcFilePath);
    LocateDataFile(g_NcFolder, name, g_NcFilePath, sizeof g_NcFilePath);
    if (CanRead(g_NcFilePath)) return 1;
    char tried[sizeof g_NcFilePath + 8];
    std::snprintf(tried, sizeof tried, "%s.NC", g_NcFilePath);
    if (std::strlen(tried) < sizeof g_NcFilePath && CanRead(tried)) {
        std::memcpy(g_NcFilePath, tried, std::strlen(tried) + 1);
        return 1;
    }
    return 0;
}

// The box of the current work made from the NC data check's extents (the optimal stock).
int MakeOptimalStock(WindowHandle frame)
{
    if (g_CmdRunMode == 1) g_CmdRunMode = 0;
    RunNcDataCheck(frame);
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
    const double p = g_WorkPitch > 0.0 ? g_WorkPitch : 1.0;
    minZ -= 10.0;
    int nx = static_cast<int>((maxX - minX) / p + 1.5);
    int ny = static_cast<int>((maxY - minY) / p + 1.5);
    if (nx < 2) nx = 2;
    if (ny < 2) ny = 2;
    maxX = (nx - 1) * p + minX;
    maxY = (ny - 1) * p + minY;
    maxZ = (static_cast<int>((g_WorkMargins[2] + maxZ - minZ) / p + 1.5) - 1) * p + minZ;
    g_ControlPoint = g_NcStartPoint;
    UpdateCurrentMachinePosition();
    if (g_NcAlarmCode > 0) {
        const int log = g_CmdRunMode != 0;
        if (log) {
            OpenMacroLog();
            WriteMacroLogLine(g_NcFilePath);
        }
        ShowAlarm(frame, log, g_NcFilePath, 100 + g_NcAlarmCode);
        if (log && g_MacroLog != nullptr) std::fputs("\n", g_MacroLog);
        if (log) CloseMacroLog();
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
    const double corners[6] = {minX, minY, minZ, maxX, maxY, maxZ};
    if (CreateBoxWorkIdentity(work, corners, p) != 1) {
        ShowUiMessageBox(frame, "Memory over!", "Data size error", MB_TOPMOST);
        return 0;
    }
    PrepareWorkForCutting(work);
    g_WorkDefined = 1;
    // The new box is shown whole, around its centre.
    MarkWorkBlocksForRebuild();
    SetViewCentreFromTarget();
    if (frame != nullptr) InvalidateUiWindow(frame, 1);
    if (g_ViewWindow != nullptr) InvalidateUiWindow(g_ViewWindow, 0);
    return 1;
}

}  // namespace

int SelectNcData(WindowHandle frame, int optimalStock)
{
    if (!g_CmdNcGiven) return 0;  // the open dialog is not part of the batch road
    if (!ResolveCommandLineNcName()) {
        g_NcAlarmCode = 101;
        ReportFileMessage(frame, g_NcFilePath, "The NC data does not exist.", "NCデータが存在しません");
        g_CmdRunMode = 0;
        return 1;
    }
    g_LevelLineNumber = 0;
    g_NcLineNumber = 0;
    g_NcSelected = g_NcSelected == 0 ? 1 : 2;
    if (!g_SilentMode) UpdateMainTitle(frame);
    if (optimalStock && g_CmdWorkGiven == 0) MakeOptimalStock(frame);
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
    MarkWorkBlocksForRebuild();   // every block of the new work is tessellated at the next paint
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
    case 32771: SelectNcData(frame, 0); return 1;
    case 32772: SelectNcData(frame, 1); return 1;
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
