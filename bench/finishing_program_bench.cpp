// The finishing benchmark: a 35,000-line 3-axis finish of a relief with a D2 ball over a
// 167 x 208 x 7 stock (written by make_finishing_program.py at build time), run as the batch demo
// runs a program: line reader, block interpreter, machine position and the cutting kernel at every
// sub-step. Work pitch and move pitch 0.2 and 0.1, on 1, 2, 4 and 8 cutting threads. Reported:
// seconds per run, sub-steps per second and the process's peak resident memory (run one case per
// process for a peak that belongs to that case alone).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <string>

#include "app/batch_demo.h"
#include "simulation/cutting.h"

namespace {

void RunFinishingProgram(benchmark::State& state, const char* pitch)
{
    const std::string folder = std::string(QUMBRA_FINISHING_DIR) + "/finishing_" + pitch;
    const std::string output = folder + "/out";
    SetCuttingThreadCount(int(state.range(0)));
    BatchDemoReport report{};
    for (auto _ : state) {
        if (RunBatchDemo(folder.c_str(), output.c_str(), &report) != 1) {
            state.SkipWithError(report.message);
            break;
        }
    }
    SetCuttingThreadCount(0);
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    state.counters["sub-steps/s"] =
        benchmark::Counter(double(report.steps) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak MB"] = double(usage.ru_maxrss) / 1024.0;
    state.counters["removed mm3"] = report.removedVolume;
}

void BM_FinishingProgramPitch02(benchmark::State& state) { RunFinishingProgram(state, "0.2"); }
void BM_FinishingProgramPitch01(benchmark::State& state) { RunFinishingProgram(state, "0.1"); }

BENCHMARK(BM_FinishingProgramPitch02)->ArgName("threads")->Arg(1)->Arg(2)->Arg(4)->Arg(8)
    ->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_FinishingProgramPitch01)->ArgName("threads")->Arg(1)->Arg(2)->Arg(4)->Arg(8)
    ->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
