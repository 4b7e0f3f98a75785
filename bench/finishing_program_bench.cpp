// The finishing benchmark: a 35,000-line 3-axis finish of a relief with a D2 ball over a
// 167 x 208 x 7 stock (written by make_finishing_program.py at build time), run by the driver of finishing_run.h on
// the simulation thread: line reader, interpreter, move stepping, machine position, the run's checks
// and the cutting kernel at every sub-step. Work pitch and move pitch 0.2 and 0.1, on 1, 2, 4 and 8
// cutting threads. Reported: seconds per run, sub-steps per second and the process's peak resident
// memory (run one case per process for a peak that belongs to that case alone).
//
// The thread against the kernel alone: BM_FinishingThreadAndKernel runs the whole program on the
// thread and then the kernel alone at the very sub-steps the thread cut (tip, axis, colour, tag and
// tool recorded by the thread's step watcher), on a fresh work, one after the other in every
// iteration; the counters give both times and their ratio. BM_FinishingKernelAlone replays the
// sub-steps saved by BM_FinishingRecordSteps (run that case first, in its own process) so that its
// peak memory is the kernel's with the work alone; BM_FinishingKernelInPasses replays them move by
// move in passes of sub-steps cut together, as the move stepping cuts them.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/finishing_run.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/tools/tool_table.h"
#include "platform/os/clock.h"
#include "simulation/cutting.h"
#include "simulation/move_stepping.h"
#include "simulation/simulation_thread.h"
#include "work_model/work_creation.h"
#include "work_model/work_model.h"
#include "work_model/work_values.h"

namespace {

std::string Folder(const char* pitch)
{
    return std::string(QUMBRA_FINISHING_DIR) + "/finishing_" + pitch;
}

double PeakMegabytes()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void RunFinishingProgram(benchmark::State& state, const char* pitch)
{
    const std::string folder = Folder(pitch);
    const std::string output = folder + "/out";
    SetCuttingThreadCount(int(state.range(0)));
    FinishingRunReport report{};
    for (auto _ : state) {
        if (RunFinishingFolder(folder.c_str(), output.c_str(), &report) != 1) {
            state.SkipWithError(report.message);
            break;
        }
    }
    SetCuttingThreadCount(0);
    state.counters["sub-steps/s"] =
        benchmark::Counter(double(report.steps) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak MB"] = PeakMegabytes();
    state.counters["removed mm3"] = report.removedVolume;
    state.counters["run s"] = report.runSeconds;
}

void BM_FinishingProgramPitch02(benchmark::State& state) { RunFinishingProgram(state, "0.2"); }
void BM_FinishingProgramPitch01(benchmark::State& state) { RunFinishingProgram(state, "0.1"); }

BENCHMARK(BM_FinishingProgramPitch02)->ArgName("threads")->Arg(1)->Arg(2)->Arg(4)->Arg(8)
    ->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_FinishingProgramPitch01)->ArgName("threads")->Arg(1)->Arg(2)->Arg(4)->Arg(8)
    ->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// --- The kernel alone at the thread's sub-steps ----------------------------------------------------

struct SavedStep {
    double tip[3];
    double axis[3];
    int tag;
    int tool;
    int subStep;  // 1 starts a move
    unsigned char colour;
};
std::vector<SavedStep> g_Recorded;

void RecordStep(const RunCutStep* step)
{
    SavedStep s;
    for (int a = 0; a < 3; ++a) {
        s.tip[a] = step->tip[a];
        s.axis[a] = step->axis[a];
    }
    s.tag = step->tag;
    s.tool = step->tool;
    s.subStep = step->subStep;
    s.colour = step->colour;
    g_Recorded.push_back(s);
}

// The box work again, fresh (the settings of the last run are still in force).
void RebuildWork()
{
    const double box[6] = {g_InitialSizeMinCorner[0], g_InitialSizeMinCorner[1], g_InitialSizeMinCorner[2],
                           g_InitialSizeMaxCorner[0], g_InitialSizeMaxCorner[1], g_InitialSizeMaxCorner[2]};
    WorkModel* work = &g_WorkModels[0];
    DestroyWorkModel(work);
    CreateBoxWorkIdentity(work, box, g_WorkPitch);
    PrepareWorkForCutting(work);
}

// Cuts every recorded sub-step into the current work; returns the removed volume.
double ReplaySteps(const std::vector<SavedStep>& steps)
{
    WorkModel* work = &g_WorkModels[0];
    int tool = -1;
    double removed = 0.0;
    for (const SavedStep& s : steps) {
        if (s.tool != tool) {
            tool = s.tool;
            g_SpindleToolNumber = tool;
            SelectCurrentTool(tool, g_WorkPitch);
        }
        g_CutColour[0] = g_CutColour[1] = s.colour;
        g_CutLineTag[0] = g_CutLineTag[1] = s.tag;
        g_MoveRemovedVolume = 0.0;
        CutWorkAlongMove(work, s.tip, s.axis);
        removed += g_MoveRemovedVolume;
    }
    return removed;
}

// Cuts the recorded sub-steps move by move, each move in passes of up to CUT_STEPS_AHEAD sub-steps
// cut together, as the move stepping cuts them; returns the removed volume.
double ReplayStepsInPasses(const std::vector<SavedStep>& steps)
{
    WorkModel* work = &g_WorkModels[0];
    int tool = -1;
    double removed = 0.0;
    std::vector<double> tips, axes;
    std::vector<CutPositionResult> results;
    for (size_t first = 0; first < steps.size();) {
        const SavedStep& s = steps[first];
        if (s.tool != tool) {
            tool = s.tool;
            g_SpindleToolNumber = tool;
            SelectCurrentTool(tool, g_WorkPitch);
        }
        size_t end = first + 1;
        while (end < steps.size() && end - first < size_t(CUT_STEPS_AHEAD) && steps[end].subStep != 1 &&
               steps[end].tool == s.tool && steps[end].tag == s.tag && steps[end].colour == s.colour)
            ++end;
        const int count = int(end - first);
        tips.resize(3 * size_t(count));
        axes.resize(3 * size_t(count));
        results.resize(size_t(count));
        for (int j = 0; j < count; ++j)
            for (int a = 0; a < 3; ++a) {
                tips[3 * size_t(j) + a] = steps[first + size_t(j)].tip[a];
                axes[3 * size_t(j) + a] = steps[first + size_t(j)].axis[a];
            }
        g_CutColour[0] = g_CutColour[1] = s.colour;
        g_CutLineTag[0] = g_CutLineTag[1] = s.tag;
        CutWorkAtPositions(work, count, reinterpret_cast<const double(*)[3]>(tips.data()),
                           reinterpret_cast<const double(*)[3]>(axes.data()), results.data());
        for (const CutPositionResult& r : results)
            if (r.swept) removed += r.removedVolume;
        first = end;
    }
    return removed;
}

void BM_FinishingThreadAndKernel(benchmark::State& state)
{
    const std::string folder = Folder("0.1");
    const std::string output = folder + "/out";
    SetCuttingThreadCount(int(state.range(0)));
    FinishingRunReport report{};
    double threadSeconds = 1e300, kernelSeconds = 1e300, threadSum = 0.0, kernelSum = 0.0, removed = 0.0;
    for (auto _ : state) {
        g_Recorded.clear();
        g_RunCutStepHook = RecordStep;
        const int result = RunFinishingFolder(folder.c_str(), output.c_str(), &report);
        g_RunCutStepHook = nullptr;
        if (result != 1) {
            state.SkipWithError(report.message);
            break;
        }
        state.PauseTiming();
        RebuildWork();
        state.ResumeTiming();
        const uint64_t start = GetTickCountMs();
        removed = ReplaySteps(g_Recorded);
        const double kernel = double(GetTickCountMs() - start) / 1000.0;
        threadSeconds = std::min(threadSeconds, report.runSeconds);
        kernelSeconds = std::min(kernelSeconds, kernel);
        threadSum += report.runSeconds;
        kernelSum += kernel;
    }
    SetCuttingThreadCount(0);
    state.counters["thread s"] = threadSeconds;
    state.counters["kernel s"] = kernelSeconds;
    state.counters["ratio (min)"] = threadSeconds / kernelSeconds;
    state.counters["ratio (sum)"] = threadSum / kernelSum;
    state.counters["sub-steps"] = double(g_Recorded.size());
    state.counters["removed: thread/kernel"] = report.removedVolume / removed;
}
BENCHMARK(BM_FinishingThreadAndKernel)->ArgName("threads")->Arg(8)->Unit(benchmark::kSecond)->Iterations(3)
    ->UseRealTime();

std::string StepsFile()
{
    return Folder("0.1") + "/out/steps.bin";
}

void BM_FinishingRecordSteps(benchmark::State& state)
{
    const std::string folder = Folder("0.1");
    const std::string output = folder + "/out";
    FinishingRunReport report{};
    for (auto _ : state) {
        g_Recorded.clear();
        g_RunCutStepHook = RecordStep;
        RunFinishingFolder(folder.c_str(), output.c_str(), &report);
        g_RunCutStepHook = nullptr;
    }
    FILE* file = std::fopen(StepsFile().c_str(), "wb");
    if (file == nullptr || std::fwrite(g_Recorded.data(), sizeof(SavedStep), g_Recorded.size(), file) != g_Recorded.size()) {
        state.SkipWithError("steps file not written");
    }
    if (file != nullptr) std::fclose(file);
    state.counters["peak MB"] = PeakMegabytes();
    state.counters["sub-steps"] = double(g_Recorded.size());
}
BENCHMARK(BM_FinishingRecordSteps)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// Cuts the sub-steps saved by BM_FinishingRecordSteps with the definitions as the driver reads
// them, without a run: replay cuts them one by one or move by move in passes.
void ReplaySavedSteps(benchmark::State& state, double (*replay)(const std::vector<SavedStep>&))
{
    std::vector<SavedStep> steps;
    FILE* file = std::fopen(StepsFile().c_str(), "rb");
    if (file == nullptr) {
        state.SkipWithError("run BM_FinishingRecordSteps first");
        return;
    }
    SavedStep s;
    while (std::fread(&s, sizeof s, 1, file) == 1) steps.push_back(s);
    std::fclose(file);
    const std::string folder = Folder("0.1");
    const std::string ini = folder + "/qumbra.ini";
    std::snprintf(g_CmdIniFile, sizeof g_CmdIniFile, "%s", ini.c_str());
    LocateIniFile(folder.c_str(), "");
    ReadIniSettingsFile();
    if (ReadToolTableFile() != 1) {
        state.SkipWithError("tool table not read");
        return;
    }
    ReadControllerFile();
    ReadMachineFile(1);
    SetCuttingThreadCount(int(state.range(0)));
    double removed = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        RebuildWork();
        state.ResumeTiming();
        removed = replay(steps);
    }
    SetCuttingThreadCount(0);
    state.counters["peak MB"] = PeakMegabytes();
    state.counters["removed mm3"] = removed;
}

void BM_FinishingKernelAlone(benchmark::State& state) { ReplaySavedSteps(state, ReplaySteps); }
BENCHMARK(BM_FinishingKernelAlone)->ArgName("threads")->Arg(1)->Arg(8)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// The saved sub-steps cut move by move in passes (as the move stepping cuts them), on 1 to 8
// threads, with each pass's positions against cutting them one by one (BM_FinishingKernelAlone).
void BM_FinishingKernelInPasses(benchmark::State& state) { ReplaySavedSteps(state, ReplayStepsInPasses); }
BENCHMARK(BM_FinishingKernelInPasses)->ArgName("threads")->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kSecond)
    ->Iterations(1)->UseRealTime();

}  // namespace
