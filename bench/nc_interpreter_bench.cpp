// Blocks per second through the block interpreter: a generated 100,000-line FANUC program of linear
// and circular moves, read by the line reader, interpreted and finished block by block.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "nc/block_end_position.h"
#include "nc/block_interpreter.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"

namespace {

constexpr int PROGRAM_LINES = 100000;

// A FANUC program: set-up lines, then zig-zag G01 moves and G02 / G03 arcs by radius and by I, J.
const std::string& ProgramText()
{
    static std::string text;
    if (!text.empty()) return text;
    text = "%\nO1000\nG90 G54 G17 G00 X0. Y0. Z10.\nG43 H1 Z5. M03 S3000\nG01 Z-1. F500.\n";
    char line[128];
    int written = 5;
    for (int k = 0; written < PROGRAM_LINES - 2; ++k, ++written) {
        const double x = (k % 200) * 0.5;
        const double y = (k / 200) * 0.25;
        switch (k % 4) {
        case 0: std::snprintf(line, sizeof line, "N%d G01 X%.3f Y%.3f F800.\n", k, x, y); break;
        case 1: std::snprintf(line, sizeof line, "N%d G02 X%.3f Y%.3f R2.\n", k, x + 1.0, y); break;
        case 2: std::snprintf(line, sizeof line, "N%d G03 X%.3f Y%.3f I0.5 J0.\n", k, x + 2.0, y); break;
        default: std::snprintf(line, sizeof line, "N%d X%.3f Y%.3f Z-1.\n", k, x, y + 0.1); break;
        }
        text += line;
    }
    text += "G00 Z10.\nM30\n";
    return text;
}

void BM_InterpretFanucProgram(benchmark::State& state)
{
    const std::string& text = ProgramText();
    ResetControllerSettings();
    ComputePlaneCodesFromAxisChars();
    int64_t blocks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FILE* file = std::tmpfile();
        std::fwrite(text.data(), 1, text.size(), file);
        std::rewind(file);
        g_NcFile = file;
        g_ControlPoint = AxisPosition{};
        ResetInterpreterState();
        ResetBlockState();
        state.ResumeTiming();
        while (g_NcRunState < NC_RUN_FINISHED && g_NcAlarmCode == 0) {
            if (!ReadNextNcLine()) continue;
            g_LastGCode = 0;
            g_LastMCode = -1;
            g_MoveChanged = 0;
            InterpretNcBlock(g_NcLineBuffer);
            FinishBlockPosition();
            ++blocks;
        }
        state.PauseTiming();
        std::fclose(file);
        g_NcFile = nullptr;
        state.ResumeTiming();
    }
    state.counters["blocks_per_second"] = benchmark::Counter((double)blocks, benchmark::Counter::kIsRate);
    state.counters["alarm"] = g_NcAlarmCode;
}
BENCHMARK(BM_InterpretFanucProgram)->Unit(benchmark::kMillisecond);

}  // namespace
