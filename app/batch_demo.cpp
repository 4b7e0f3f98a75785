// The batch demo: reads the demo folder's settings and definition files, builds the box work, runs the
// NC program block by block through the interpreter, steps every move by the move pitch through the
// machine position into the cutting kernel, and saves the cut work. It stands in for the simulation
// thread's block loop and the shell's batch commands, which replace it; it draws nothing and makes
// none of the holder, head or cutting-condition checks of a real run (only the kernel's own).
#include "app/batch_demo.h"

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
#include "work_model/dexel_intervals.h"
#include "work_model/file_routines.h"
#include "work_model/work_creation.h"
#include "work_model/work_files.h"
#include "work_model/work_model.h"

const char* const kBatchDemoNcFileName = "pocket.nc";
const char* const kBatchDemoWorkFileName = "pocket.dme";

namespace {

// A guard against a program that never ends (a sub-program calling itself): lines read at most.
const int kMaxDemoLines = 10000000;

// Records a failure: the code and its message. Returns code.
__attribute__((format(printf, 3, 4))) int Fail(BatchDemoReport* report, int code, const char* format, ...)
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
int ReadDemoDefinitions(const char* dataFolder, BatchDemoReport* report)
{
    // The settings file of the data folder only (never one beside the program); the folder also
    // becomes the current folder in which the definition files named there are found.
    char iniPath[sizeof g_CmdIniFile];
    JoinFolderAndName(dataFolder, "qumbra.ini", iniPath, sizeof iniPath);
    if (!DoesFileExist(iniPath)) {
        return Fail(report, BATCH_DEMO_DEFINITION_MISSING, "settings file %s not found", iniPath);
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
        return Fail(report, BATCH_DEMO_DEFINITION_MISSING, "tool table %s cannot be read", g_ToolTableFilePath);
    }
    ReadControllerFile();
    if (g_ControllerFileStatus != 1) {
        return Fail(report, BATCH_DEMO_DEFINITION_MISSING, "controller definition %s cannot be read",
                    g_ControllerFilePath);
    }
    ReadMachineFile(1);
    if (g_MachineFileStatus != 1) {
        return Fail(report, BATCH_DEMO_DEFINITION_MISSING, "machine definition %s cannot be read",
                    g_MachineFilePath);
    }
    report->workPitch = g_WorkPitch;
    report->movePitch = g_MovePitch;
    return 1;
}

// Step 2: the box work of "INITIAL SIZE" on the work pitch, made the current work and ready to be cut.
int CreateDemoWork(BatchDemoReport* report)
{
    const double box[6] = {g_InitialSizeMinCorner[0], g_InitialSizeMinCorner[1], g_InitialSizeMinCorner[2],
                           g_InitialSizeMaxCorner[0], g_InitialSizeMaxCorner[1], g_InitialSizeMaxCorner[2]};
    g_CurrentWorkIndex = 0;
    WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    const int made = CreateBoxWorkIdentity(work, box, g_WorkPitch);
    if (made != 1 || work->nodeCountX == 0) {
        return Fail(report, BATCH_DEMO_NO_WORK, "box work (%g,%g,%g)-(%g,%g,%g) at pitch %g not built (code %d)",
                    box[0], box[1], box[2], box[3], box[4], box[5], g_WorkPitch, made);
    }
    PrepareWorkForCutting(work);
    report->nodeCount[0] = work->nodeCountX;
    report->nodeCount[1] = work->nodeCountY;
    report->nodeCount[2] = work->nodeCountZ;
    report->workVolumeBefore = MeasureWorkVolume(work);
    return 1;
}

// Step 3: the interpreter reset for a new pass, the NC program opened as the main program, the start
// position computed.
int StartDemoRun(BatchDemoReport* report)
{
    if (g_NcFile != nullptr) {
        std::fclose(g_NcFile);
        g_NcFile = nullptr;
    }
    ResetInterpreterState();
    ResetBlockState();
    ClearCutRunValues();
    g_NcFile = OpenFile(report->ncPath, "rb");
    if (g_NcFile == nullptr) return Fail(report, BATCH_DEMO_NC_MISSING, "NC program %s cannot be opened", report->ncPath);
    UpdateCurrentMachinePosition();
    g_RunStartMachinePosition = g_MachinePosition;
    g_MachineAxisWords = g_MachinePosition;
    return 1;
}

// M6: the commanded tool becomes the spindle tool and the current tool. 0 when it is not defined.
int ChangeDemoTool(BatchDemoReport* report)
{
    const int number = g_CommandedToolNumber;
    if (number < 0) return 1;  // M6 without a T word: the tool stays
    if (SelectCurrentTool(number, g_WorkPitch) != 1) {
        Fail(report, BATCH_DEMO_NO_TOOL, "line %d: tool %d is not defined in %s", g_NcLineNumber, number,
             g_ToolTableFilePath);
        return 0;
    }
    g_SpindleToolNumber = number;
    ++report->toolChanges;
    return 1;
}

// The program position of sub-step k of n: the plane axes along the line or the arc, the normal axis
// and the rotary axes in equal steps; the move end exactly at k = n.
void InterpolateMovePoint(const AxisPosition& start, const AxisPosition& end, int k, int n, AxisPosition* point)
{
    if (k == n) {
        *point = end;
        return;
    }
    const double t = static_cast<double>(k) / n;
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) point->axis[a] = start.axis[a] + t * (end.axis[a] - start.axis[a]);
    if (g_MotionKind != MOTION_ARC_CW && g_MotionKind != MOTION_ARC_CCW) return;
    const int a1 = g_PlaneAxis1, a2 = g_PlaneAxis2;
    const double radius = (1.0 - t) * g_ArcStartRadius + t * g_ArcEndRadius;
    const double sweep = g_MotionKind == MOTION_ARC_CW ? -g_FeedValues[1] : g_FeedValues[1];
    const double angle = t * sweep;
    const double c = std::cos(angle), s = std::sin(angle);
    const double* u = g_ArcStartDirection;
    point->axis[a1] = g_MoveArcCentre[a1] + radius * (u[a1] * c - u[a2] * s);
    point->axis[a2] = g_MoveArcCentre[a2] + radius * (u[a2] * c + u[a1] * s);
}

// Length of the move for the step count: the straight distance, or the arc length with its rise
// along the plane normal. The demo machine has no rotary axes, so rotary travel does not count.
double MeasureMoveLength(const AxisPosition& start, const AxisPosition& end)
{
    if (g_MotionKind == MOTION_ARC_CW || g_MotionKind == MOTION_ARC_CCW) {
        const double rise = end.axis[g_PlaneNormalAxis] - start.axis[g_PlaneNormalAxis];
        return std::sqrt(g_ArcLength * g_ArcLength + rise * rise);
    }
    double sum = 0.0;
    for (int a = 0; a < 3; ++a) {
        const double d = end.axis[a] - start.axis[a];
        sum += d * d;
    }
    return std::sqrt(sum);
}

// One move in sub-steps no longer than the move pitch; each sub-step moves the machine, checks the
// strokes and cuts the work. Returns 1, or 0 when an over-stroke ended the run.
int RunDemoMove(WorkModel* work, BatchDemoReport* report)
{
    const AxisPosition start = g_NcMoveStart, end = g_NcMoveEnd;
    const int arc = g_MotionKind == MOTION_ARC_CW || g_MotionKind == MOTION_ARC_CCW;
    if (arc && !(g_ArcLength > 0.0)) return 1;  // an arc of no length is dropped
    const double length = MeasureMoveLength(start, end);
    if (!(length >= g_LengthInputTolerance)) return 1;  // nothing moves
    const double pitch = g_MovePitch > 0.0 ? g_MovePitch : 1.0;
    const int n = std::max(1, static_cast<int>(std::ceil(length / pitch)));
    ++report->moves;
    if (arc) ++report->arcMoves;
    for (int k = 1; k <= n; ++k) {
        InterpolateMovePoint(start, end, k, n, &g_ControlPoint);
        SetCutColourAndTag(g_BlockLineNumber);
        UpdateCurrentMachinePosition();
        if (g_StrokeLimitSetCount > 0) {
            const int axis = FindNearestAxisOvertravel(g_MachinePosition.axis);
            if (axis >= 0) {
                report->overtravelAxis = axis;
                SaveCurrentPositions();
                return 0;
            }
        }
        g_MoveRemovedVolume = 0.0;
        ClearCheckFlags();
        CutWorkAlongMove(work, g_ToolTipPoint, g_ToolAxisVector);
        ++report->steps;
        if (g_CutInMove) ++report->cuttingSteps;
        report->removedVolume += g_MoveRemovedVolume;
        const CheckFlags& f = g_CheckFlags;
        if (f.arbor || f.length || f.chip || f.taper) ++report->checkSteps;
    }
    g_RunStartMachinePosition = g_MachinePosition;
    g_MachineAxisWords = g_MachinePosition;
    return 1;
}

// Step 4: the block loop. Every line is interpreted and ends its block; a tool change comes before
// the block's move. An NC alarm or an over-stroke ends the run (as in a real run) but not the demo.
int RunDemoBlocks(BatchDemoReport* report)
{
    WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    while (g_NcRunState < NC_RUN_FINISHED && report->linesRead < kMaxDemoLines) {
        ClearPerBlockFields();
        if (!ReadNextNcLine()) {
            if (g_NcAlarmCode != 0 || g_NcRunState != NC_RUN_READING) break;
            continue;  // a line passed over (sequence search)
        }
        ++report->linesRead;
        InterpretNcBlock(g_NcLineBuffer);
        if (g_NcAlarmCode != 0) break;
        FinishBlockPosition();
        if (g_LastMCode == 6 && !ChangeDemoTool(report)) return report->result;
        if (!RunDemoMove(work, report)) break;
        g_ControlPoint = g_NcMoveEnd;
    }
    report->ncAlarm = g_NcAlarmCode;
    if (g_NcAlarmCode != 0) report->ncAlarmLine = g_NcLineNumber;
    report->unstoredRays = g_UnstoredRayCount;
    report->firstUnstoredRayLine = g_FirstUnstoredRayLine < 0 ? -g_FirstUnstoredRayLine : g_FirstUnstoredRayLine;
    if (report->linesRead >= kMaxDemoLines) {
        std::snprintf(report->message, sizeof report->message, "stopped after %d lines", kMaxDemoLines);
    }
    return 1;
}

// Step 5: the cut work as ".DME" in the output folder, with the placement the settings ask for.
int SaveDemoWork(const char* outputFolder, BatchDemoReport* report)
{
    const WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    report->workVolumeAfter = MeasureWorkVolume(work);
    JoinFolderAndName(outputFolder, kBatchDemoWorkFileName, report->outputPath, sizeof report->outputPath);
    const int saved = SaveWorkModel(work, report->outputPath, 0, g_ExportInWorkCoordinates, g_WorkCoordRotated,
                                    g_ActiveWorkInverseRotation, g_ActiveWorkOrigin);
    if (saved != 1) return Fail(report, BATCH_DEMO_SAVE_FAILED, "%s not written (code %d)", report->outputPath, saved);
    return 1;
}

// Output folder: "" stays the current folder; a missing folder is created (one level).
int PrepareOutputFolder(const char* outputFolder, BatchDemoReport* report)
{
    if (outputFolder[0] == '\0' || DoesFolderExist(outputFolder)) return 1;
    if (CreateFolder(outputFolder) && DoesFolderExist(outputFolder)) return 1;
    return Fail(report, BATCH_DEMO_BAD_FOLDER, "output folder %s cannot be created", outputFolder);
}

int RunDemoSteps(const char* dataFolder, const char* outputFolder, BatchDemoReport* report)
{
    if (dataFolder == nullptr || !DoesFolderExist(dataFolder)) {
        return Fail(report, BATCH_DEMO_BAD_FOLDER, "data folder %s not found", dataFolder ? dataFolder : "(none)");
    }
    if (PrepareOutputFolder(outputFolder, report) != 1) return report->result;
    JoinFolderAndName(dataFolder, kBatchDemoNcFileName, report->ncPath, sizeof report->ncPath);
    if (ReadDemoDefinitions(dataFolder, report) != 1) return report->result;
    if (CreateDemoWork(report) != 1) return report->result;
    if (StartDemoRun(report) != 1) return report->result;
    g_RunMode = 1;
    const int ran = RunDemoBlocks(report);
    g_RunMode = 0;
    if (g_NcFile != nullptr) {
        std::fclose(g_NcFile);
        g_NcFile = nullptr;
    }
    if (ran != 1) return report->result;
    return SaveDemoWork(outputFolder, report);
}

}  // namespace

int RunBatchDemo(const char* dataFolder, const char* outputFolder, BatchDemoReport* report)
{
    BatchDemoReport local;
    if (report == nullptr) report = &local;
    std::memset(report, 0, sizeof *report);
    report->overtravelAxis = -1;
    report->result = 1;
    const uint64_t startMs = GetTickCountMs();
    const int silent = g_SilentMode;
    g_SilentMode = 1;  // batch: no dialogs, no panels
    const int result = RunDemoSteps(dataFolder, outputFolder != nullptr ? outputFolder : "", report);
    g_SilentMode = silent;
    report->result = result;
    report->seconds = static_cast<double>(GetTickCountMs() - startMs) / 1000.0;
    return result;
}

void PrintBatchDemoReport(const BatchDemoReport* r)
{
    static const char kAxisLetters[AXIS_POSITION_COUNT] = {'X', 'Y', 'Z', '4', '5'};
    std::printf("qumbra batch demo: NC program cut on a box work without a window\n");
    if (r->result != 1 && r->nodeCount[0] == 0) {  // nothing was cut
        std::printf("  failed:      %s\n", r->message);
        return;
    }
    std::printf("  definitions: %s, controller \"%s\", machine \"%s\"\n", g_ToolTableFilePath, g_ControllerName,
                g_MachineName);
    std::printf("  work:        box (%g, %g, %g) to (%g, %g, %g) mm, %d x %d x %d nodes at pitch %g mm, move pitch %g mm\n",
                g_InitialSizeMinCorner[0], g_InitialSizeMinCorner[1], g_InitialSizeMinCorner[2],
                g_InitialSizeMaxCorner[0], g_InitialSizeMaxCorner[1], g_InitialSizeMaxCorner[2], r->nodeCount[0],
                r->nodeCount[1], r->nodeCount[2], r->workPitch, r->movePitch);
    std::printf("  NC program:  %s: %d blocks read, %d moves (%d arcs), %d tool changes\n", r->ncPath, r->linesRead,
                r->moves, r->arcMoves, r->toolChanges);
    std::printf("  cutting:     %d sub-steps, %d removed material; removed volume %.1f mm^3 (work volume %.1f -> %.1f mm^3)\n",
                r->steps, r->cuttingSteps, r->removedVolume, r->workVolumeBefore, r->workVolumeAfter);
    if (r->unstoredRays > 0) {
        std::printf("  rays kept:   %d rays could not take a cut (more than %d ends) and keep material the tool "
                    "passed through; first at line %d\n",
                    r->unstoredRays, static_cast<int>(DEXEL_MAX_ENDS), r->firstUnstoredRayLine);
    } else {
        std::printf("  rays kept:   none\n");
    }
    if (r->ncAlarm == NC_ALARM_INCH_INPUT) {
        std::printf("  NC alarms:   alarm %d at line %d: %s\n", 100 + r->ncAlarm, r->ncAlarmLine,
                    kInchInputAlarmTexts[0]);
    } else if (r->ncAlarm != 0) {
        std::printf("  NC alarms:   alarm %d at line %d\n", 100 + r->ncAlarm, r->ncAlarmLine);
    } else {
        std::printf("  NC alarms:   none\n");
    }
    if (r->overtravelAxis >= 0) std::printf("  over-stroke: axis %c, run stopped\n", kAxisLetters[r->overtravelAxis]);
    std::printf("  checks:      %d sub-steps raised a holder, neck, length or chip check\n", r->checkSteps);
    if (r->result == 1) std::printf("  output:      %s\n", r->outputPath);
    if (r->message[0] != '\0') std::printf("  %s  %s\n", r->result == 1 ? "note:  " : "failed:", r->message);
    std::printf("  time:        %.2f s\n", r->seconds);
}

int FindDefaultDemoFolder(char* out, int outSize)
{
    if (DoesFolderExist("resources/demo")) {
        std::snprintf(out, static_cast<size_t>(outSize), "%s", "resources/demo");
        return 1;
    }
    // The program usually sits in a build folder right below the source tree.
    char program[BATCH_DEMO_PATH_SIZE];
    if (GetProgramFilePath(program, sizeof program)) {
        const int separator = FindLastPathSeparator(program);
        if (separator >= 0) {
            program[separator] = '\0';
            std::snprintf(out, static_cast<size_t>(outSize), "%s/../resources/demo", program);
            if (DoesFolderExist(out)) return 1;
        }
    }
    out[0] = '\0';
    return 0;
}
