// The finishing benchmark's driver: reads a data folder's settings and definition files, builds the box
// work, runs the NC program on the simulation thread (block by block, every move in sub-steps of the
// move pitch through the kinematics into the cutting kernel, with the run's checks), answering its
// display handshake as the frame's run poll would, counts what the run did and saves the cut work.
#include "bench/finishing_run.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "machine_setup/machine_setup_state.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/machine/stroke_limits.h"
#include "machine_setup/tools/tool_table.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/block_end_position.h"
#include "nc/block_interpreter.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "platform/os/clock.h"
#include "platform/os/files.h"
#include "platform/os/paths.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "simulation/run_state.h"
#include "simulation/simulation_thread.h"
#include "platform/os/thread.h"
#include "work_model/dexel_intervals.h"
#include "work_model/file_routines.h"
#include "work_model/work_creation.h"
#include "work_model/work_files.h"
#include "work_model/work_model.h"

const char* const kFinishingNcFileName = "pocket.nc";
const char* const kFinishingWorkFileName = "pocket.dme";

namespace {

// A stop in a batch run goes on at once: there is no one to press GO.
void GoOnAfterStop()
{
    StoreRunFlag(g_GoPromptBlink, 0);
    StoreRunFlag(g_RunWaitingForGo, 0);
}

// Records a failure: the code and its message. Returns code.
__attribute__((format(printf, 3, 4))) int Fail(FinishingRunReport* report, int code, const char* format, ...)
{
    report->result = code;
    va_list args;
    va_start(args, format);
    std::vsnprintf(report->message, sizeof report->message, format, args);
    va_end(args);
    return code;
}

// folder + "/" + name into out (folder "" gives name alone).
void JoinFolderAndName(const char* folder, const char* name, char* out, int outSize)
{
    const size_t n = std::strlen(folder);
    const char* separator = (n == 0 || IsPathSeparator(folder[n - 1])) ? "" : "/";
    std::snprintf(out, static_cast<size_t>(outSize), "%s%s%s", folder, separator, name);
}

// Material volume of the work from its Z-rays: each ray stands for one pitch-square cell, halved on the
// grid's border rows (the nodes lie on the box faces).
double MeasureWorkVolume(const WorkModel* work)
{
    const DexelFamily& f = work->familyZ;
    double volume = 0.0;
    for (int j = 0; j < work->nodeCountY; ++j) {
        for (int i = 0; i < work->nodeCountX; ++i) {
            const int d = i + j * work->nodeCountX;
            double weight = work->cellArea;
            if (i == 0 || i == work->nodeCountX - 1) weight *= 0.5;
            if (j == 0 || j == work->nodeCountY - 1) weight *= 0.5;
            const double* ends = GetDexelEndsPointer(d, f.capacity, f.counts, f.ends);
            for (int k = 0; k + 1 < f.counts[d]; k += 2) volume += (ends[k + 1] - ends[k]) * weight;
        }
    }
    return volume;
}

// Step 1: the settings file of the data folder, then the tool table, controller and machine it names.
int ReadRunDefinitions(const char* dataFolder, FinishingRunReport* report)
{
    // The settings file of the data folder only (never one beside the program); the folder also
    // becomes the current folder in which the definition files named there are found.
    char iniPath[sizeof g_CmdIniFile];
    JoinFolderAndName(dataFolder, "qumbra.ini", iniPath, sizeof iniPath);
    if (!DoesFileExist(iniPath)) {
        return Fail(report, FINISHING_RUN_DEFINITION_MISSING, "settings file %s not found", iniPath);
    }
    char savedIniName[sizeof g_CmdIniFile];
    std::memcpy(savedIniName, g_CmdIniFile, sizeof savedIniName);
    std::memcpy(g_CmdIniFile, iniPath, sizeof iniPath);
    char programPath[SETTINGS_PATH_SIZE];
    if (!GetProgramFilePath(programPath, sizeof programPath)) programPath[0] = '\0';
    LocateIniFile(dataFolder, programPath);
    std::memcpy(g_CmdIniFile, savedIniName, sizeof savedIniName);
    ReadIniSettingsFile();
    if (ReadToolTableFile() != 1) {
        return Fail(report, FINISHING_RUN_DEFINITION_MISSING, "tool table %s cannot be read", g_ToolTableFilePath);
    }
    ReadControllerFile();
    if (g_ControllerFileStatus != 1) {
        return Fail(report, FINISHING_RUN_DEFINITION_MISSING, "controller definition %s cannot be read",
                    g_ControllerFilePath);
    }
    ReadMachineFile(1);
    if (g_MachineFileStatus != 1) {
        return Fail(report, FINISHING_RUN_DEFINITION_MISSING, "machine definition %s cannot be read",
                    g_MachineFilePath);
    }
    report->workPitch = g_WorkPitch;
    report->movePitch = g_MovePitch;
    return 1;
}

// Step 2: the box work of "INITIAL SIZE" on the work pitch, made the current work and ready to be cut.
int CreateRunWork(FinishingRunReport* report)
{
    const double box[6] = {g_InitialSizeMinCorner[0], g_InitialSizeMinCorner[1], g_InitialSizeMinCorner[2],
                           g_InitialSizeMaxCorner[0], g_InitialSizeMaxCorner[1], g_InitialSizeMaxCorner[2]};
    g_CurrentWorkIndex = 0;
    WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    const int made = CreateBoxWorkIdentity(work, box, g_WorkPitch);
    if (made != 1 || work->nodeCountX == 0) {
        return Fail(report, FINISHING_RUN_NO_WORK, "box work (%g,%g,%g)-(%g,%g,%g) at pitch %g not built (code %d)",
                    box[0], box[1], box[2], box[3], box[4], box[5], g_WorkPitch, made);
    }
    PrepareWorkForCutting(work);
    report->nodeCount[0] = work->nodeCountX;
    report->nodeCount[1] = work->nodeCountY;
    report->nodeCount[2] = work->nodeCountZ;
    report->workVolumeBefore = MeasureWorkVolume(work);
    return 1;
}

// What the driver counts of every position the run's thread cut.
FinishingRunReport* g_CountingReport = nullptr;
int g_LastCountedTool = -1;
void (*g_OtherStepWatcher)(const RunCutStep* step) = nullptr;  // a watcher installed before the run

void CountCutStep(const RunCutStep* step)
{
    if (g_OtherStepWatcher != nullptr) g_OtherStepWatcher(step);
    FinishingRunReport* report = g_CountingReport;
    if (report == nullptr) return;
    if (step->subStep == 1) {
        ++report->moves;
        if (step->motionKind == MOTION_ARC_CW || step->motionKind == MOTION_ARC_CCW) ++report->arcMoves;
    }
    if (step->tool != g_LastCountedTool) {
        ++report->toolChanges;
        g_LastCountedTool = step->tool;
    }
    ++report->steps;
    if (step->cut) ++report->cuttingSteps;
    report->removedVolume += step->removedVolume;
    if (step->kernelCheck) ++report->checkSteps;
}

// Step 3: the run on the simulation thread, in cut-and-show-result mode with the alarms for the log
// and no stops (no one is there to press GO); the driver answers the display handshake as the frame's
// run poll would.
int RunProgramThread(FinishingRunReport* report)
{
    if (std::strlen(report->ncPath) >= sizeof g_NcFilePath) {
        return Fail(report, FINISHING_RUN_NC_MISSING, "NC program path %s is too long", report->ncPath);
    }
    if (!DoesFileExist(report->ncPath)) {
        return Fail(report, FINISHING_RUN_NC_MISSING, "NC program %s cannot be opened", report->ncPath);
    }
    std::memcpy(g_NcFilePath, report->ncPath, std::strlen(report->ncPath) + 1);
    const int stopMode = g_StopMode, alarmsToLog = g_AlarmsToMacroLog;
    g_StopMode = 0;
    g_AlarmsToMacroLog = 1;
    StoreRunFlag(g_PauseRequest, 0);
    StoreRunFlag(g_AbortRequest, 0);
    g_RunMode = 3;
    g_CountingReport = report;
    g_LastCountedTool = -1;
    g_OtherStepWatcher = g_RunCutStepHook;
    g_RunCutStepHook = CountCutStep;
    const uint64_t runStartMs = GetTickCountMs();
    ThreadHandle thread = StartSimulationThread();
    int result = 1;
    if (thread == nullptr) {
        result = Fail(report, FINISHING_RUN_NC_MISSING, "the simulation thread could not be started");
    } else {
        int exitCode = kThreadStillActive;
        while (GetThreadExitCode(thread, &exitCode) && exitCode == kThreadStillActive) {
            if (LoadRunFlag(g_StepDisplayWait)) StoreRunFlag(g_StepDisplayWait, 0);
            if (LoadRunFlag(g_RunWaitingForGo)) GoOnAfterStop();
            SleepMs(1);
        }
        JoinThread(thread, nullptr);
    }
    report->runSeconds = static_cast<double>(GetTickCountMs() - runStartMs) / 1000.0;
    g_RunCutStepHook = g_OtherStepWatcher;
    g_OtherStepWatcher = nullptr;
    g_CountingReport = nullptr;
    g_RunMode = 0;
    g_StopMode = stopMode;
    g_AlarmsToMacroLog = alarmsToLog;
    if (result != 1) return result;

    report->linesRead = g_NcLineNumber;
    report->ncAlarm = g_NcAlarmCode;
    if (g_NcAlarmCode != 0) report->ncAlarmLine = g_NcLineNumber;
    report->overtravelAxis = g_OvertravelAxis;
    report->unstoredRays = g_UnstoredRayCount;
    report->firstUnstoredRayLine = g_FirstUnstoredRayLine < 0 ? -g_FirstUnstoredRayLine : g_FirstUnstoredRayLine;
    if (g_RunRefusedTool >= 0) {
        return Fail(report, FINISHING_RUN_NO_TOOL, "tool %d is not defined in %s", g_RunRefusedTool, g_ToolTableFilePath);
    }
    if (g_RunEndMessage[0] != '\0') std::snprintf(report->message, sizeof report->message, "%s", g_RunEndMessage);
    return 1;
}

// Step 5: the cut work as ".DME" in the output folder, with the placement the settings ask for.
int SaveRunWork(const char* outputFolder, FinishingRunReport* report)
{
    const WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    report->workVolumeAfter = MeasureWorkVolume(work);
    JoinFolderAndName(outputFolder, kFinishingWorkFileName, report->outputPath, sizeof report->outputPath);
    const int saved = SaveWorkModel(work, report->outputPath, 0, g_ExportInWorkCoordinates, g_WorkCoordRotated,
                                    g_ActiveWorkInverseRotation, g_ActiveWorkOrigin);
    if (saved != 1) return Fail(report, FINISHING_RUN_SAVE_FAILED, "%s not written (code %d)", report->outputPath, saved);
    return 1;
}

// Output folder: "" stays the current folder; a missing folder is created (one level).
int PrepareOutputFolder(const char* outputFolder, FinishingRunReport* report)
{
    if (outputFolder[0] == '\0' || DoesFolderExist(outputFolder)) return 1;
    if (CreateFolder(outputFolder) && DoesFolderExist(outputFolder)) return 1;
    return Fail(report, FINISHING_RUN_BAD_FOLDER, "output folder %s cannot be created", outputFolder);
}

int RunSteps(const char* dataFolder, const char* outputFolder, FinishingRunReport* report)
{
    if (dataFolder == nullptr || !DoesFolderExist(dataFolder)) {
        return Fail(report, FINISHING_RUN_BAD_FOLDER, "data folder %s not found", dataFolder ? dataFolder : "(none)");
    }
    if (PrepareOutputFolder(outputFolder, report) != 1) return report->result;
    JoinFolderAndName(dataFolder, kFinishingNcFileName, report->ncPath, sizeof report->ncPath);
    if (ReadRunDefinitions(dataFolder, report) != 1) return report->result;
    if (CreateRunWork(report) != 1) return report->result;
    if (RunProgramThread(report) != 1) return report->result;
    return SaveRunWork(outputFolder, report);
}

}  // namespace

int RunFinishingFolder(const char* dataFolder, const char* outputFolder, FinishingRunReport* report)
{
    FinishingRunReport local;
    if (report == nullptr) report = &local;
    std::memset(report, 0, sizeof *report);
    report->overtravelAxis = -1;
    report->result = 1;
    const uint64_t startMs = GetTickCountMs();
    const int silent = g_SilentMode;
    g_SilentMode = 1;  // batch: no dialogs, no panels
    const int result = RunSteps(dataFolder, outputFolder != nullptr ? outputFolder : "", report);
    g_SilentMode = silent;
    report->result = result;
    report->seconds = static_cast<double>(GetTickCountMs() - startMs) / 1000.0;
    return result;
}
