// Motions per second delivered for a generated 100,000-line FANUC program with cutter compensation
// and drilling cycles, and, beside it on the same program, the block interpreter alone (lines read,
// interpreted and finished, no look-ahead, no cycle points).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/controller/offset_memories.h"
#include "nc/block_end_position.h"
#include "nc/block_interpreter.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "nc/nc_motion.h"

namespace {

constexpr int PROGRAM_LINES = 100000;

// Pockets of 16 lines: a compensated contour with an arc, its exit, a row of G81 holes and a G83 hole.
const std::string& ProgramText()
{
    static std::string text;
    if (!text.empty()) return text;
    text = "%\nO2000\nG90 G54 G17 G00 X0. Y0. Z10.\nG01 Z-1. F500.\n";
    char line[160];
    int written = 4;
    for (int k = 0; written < PROGRAM_LINES - 2; ++k) {
        const double x = (k % 50) * 30.0, y = (k / 50 % 50) * 30.0;
        const int n = std::snprintf(line, sizeof line,
                                    "G41 D1 G01 X%.3f Y%.3f F800.\nX%.3f\nY%.3f\nG03 X%.3f Y%.3f R5.\nY%.3f\n"
                                    "G40 X%.3f Y%.3f\nG00 Z10.\nG99 G81 X%.3f Y%.3f Z-5. R2. F200.\n",
                                    x, y, x + 10.0, y + 10.0, x, y + 10.0, y, x - 2.0, y - 2.0, x + 2.0, y + 2.0);
        text.append(line, (size_t)n);
        const int m = std::snprintf(line, sizeof line,
                                    "X%.3f\nX%.3f\nX%.3f\nG83 X%.3f Y%.3f Z-8. R2. Q2.\nG80\nG00 X%.3f Y%.3f\n"
                                    "G01 Z-1. F500.\nX%.3f Y%.3f\n",
                                    x + 4.0, x + 6.0, x + 8.0, x + 5.0, y + 5.0, x + 15.0, y + 15.0, x + 20.0, y + 20.0);
        text.append(line, (size_t)m);
        written += 16;
    }
    text += "G00 Z10.\nM30\n";
    return text;
}

// A fresh run of the program from a temporary file.
FILE* StartRun(const std::string& text)
{
    FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    g_NcFile = file;
    g_ControlPoint = AxisPosition{};
    ResetInterpreterState();
    return file;
}

void SetUpController()
{
    ResetControllerSettings();
    ApplyControllerLine("DECIMAL POINT NORMAL");
    ApplyControllerLine("EOR = %");
    ComputePlaneCodesFromAxisChars();
    g_ToolOffsetD[1] = 2.0f;
}

void EndRun(benchmark::State& state, FILE* file)
{
    state.PauseTiming();
    std::fclose(file);
    g_NcFile = nullptr;
    state.ResumeTiming();
}

void BM_DeliverMotions(benchmark::State& state)
{
    const std::string& text = ProgramText();
    SetUpController();
    int64_t motions = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FILE* file = StartRun(text);
        state.ResumeTiming();
        NcMotion motion = {};
        while (!motion.last) motions += FetchNcMotion(&motion);
        EndRun(state, file);
    }
    state.counters["motions_per_second"] = benchmark::Counter((double)motions, benchmark::Counter::kIsRate);
    state.counters["alarm"] = g_NcAlarmCode;
}
BENCHMARK(BM_DeliverMotions)->Unit(benchmark::kMillisecond);

// The baseline: the same program through the block interpreter alone.
void BM_InterpretBlocksAlone(benchmark::State& state)
{
    const std::string& text = ProgramText();
    SetUpController();
    int64_t blocks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FILE* file = StartRun(text);
        state.ResumeTiming();
        while (g_NcRunState < NC_RUN_FINISHED && g_NcAlarmCode == 0) {
            ClearPerBlockFields();
            if (!ReadNextNcLine()) continue;
            InterpretNcBlock(g_NcLineBuffer);
            FinishBlockPosition();
            ++blocks;
        }
        EndRun(state, file);
    }
    state.counters["blocks_per_second"] = benchmark::Counter((double)blocks, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_InterpretBlocksAlone)->Unit(benchmark::kMillisecond);

}  // namespace
