// Blocks per second of the NC data check over a generated 1,000,000-line FANUC program (linear moves
// that turn and change feed, arcs, rapids, dwells and tool changes), and, beside it on the same
// program, motion delivery alone (FetchNcMotion until the program ends).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/tools/tool_arrays.h"
#include "machine_setup/tools/tool_table.h"
#include "nc/interpreter_state.h"
#include "nc/nc_data_check.h"
#include "nc/nc_line_reader.h"
#include "nc/nc_motion.h"

namespace {

constexpr int PROGRAM_LINES = 1000000;

// Pieces of 20 lines; the file is written once into the temporary folder and removed at exit.
const std::string& ProgramPath()
{
    static std::string path;
    if (!path.empty()) return path;
    const char* tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/qumbra_check_bench_XXXXXX";
    const int fd = mkstemp(&name[0]);
    if (fd < 0) return path;
    FILE* file = fdopen(fd, "wb");
    std::fputs("%\nO1000\nG90 G54 G17 G00 X0. Y0. Z10.\nT1 M6\nS3000 M3\n", file);
    int written = 5;
    for (int k = 0; written < PROGRAM_LINES - 2; ++k) {
        const double x = (k % 100) * 20.0, y = (k / 100 % 100) * 20.0;
        std::fprintf(file,
                     "G00 X%.3f Y%.3f\nZ2.\nG01 Z-1. F300.\nX%.3f F1200.\nX%.3f Y%.3f\nY%.3f F900.\n"
                     "G02 X%.3f Y%.3f R4.\nG03 X%.3f Y%.3f I-2. J0.\nG01 X%.3f\nY%.3f F1500.\n",
                     x, y, x + 5.0, x + 10.0, y + 0.1, y + 6.0, x + 14.0, y + 10.0, x + 10.0, y + 10.0, x + 2.0,
                     y + 2.0);
        std::fprintf(file,
                     "X%.3f Y%.3f\nG04 X0.5\nG01 Z-2. F200.\nX%.3f F1000.\nY%.3f\nX%.3f\nY%.3f\nG00 Z10.\nT%d M6\n"
                     "S%d M3\n",
                     x + 3.0, y + 3.0, x + 8.0, y + 8.0, x + 3.0, y + 3.0, k % 20 + 1, 2000 + k % 7 * 100);
        written += 20;
    }
    std::fputs("G00 Z100.\nM30\n", file);
    std::fclose(file);
    path = name;
    std::atexit([] { std::remove(path.c_str()); });
    return path;
}

void SetUpController()
{
    ResetControllerSettings();
    ApplyControllerLine("DECIMAL POINT NORMAL");
    ApplyControllerLine("EOR = %");
    ComputePlaneCodesFromAxisChars();
    if (g_ToolUsedFlags == nullptr) AllocateToolArrays();
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", ProgramPath().c_str());
    g_ControlPoint = AxisPosition{};
}

void BM_NcDataCheck(benchmark::State& state)
{
    SetUpController();
    int64_t blocks = 0;
    for (auto _ : state) {
        RunNcDataCheck(nullptr);
        blocks += g_CheckLineCount;
    }
    state.counters["blocks_per_second"] = benchmark::Counter((double)blocks, benchmark::Counter::kIsRate);
    state.counters["alarm"] = g_NcAlarmCode;
    state.counters["total_time_s"] = g_CheckFeedTime + g_CheckNonCutTime;
}
BENCHMARK(BM_NcDataCheck)->Unit(benchmark::kMillisecond);

// The baseline: motion delivery alone on the same file.
void BM_MotionDeliveryAlone(benchmark::State& state)
{
    SetUpController();
    int64_t blocks = 0;
    for (auto _ : state) {
        ResetInterpreterState();
        g_NcFile = std::fopen(g_NcFilePath, "rb");
        NcMotion motion = {};
        while (!motion.last) FetchNcMotion(&motion);
        blocks += g_NcLineNumber;
        std::fclose(g_NcFile);
        g_NcFile = nullptr;
    }
    state.counters["blocks_per_second"] = benchmark::Counter((double)blocks, benchmark::Counter::kIsRate);
    state.counters["alarm"] = g_NcAlarmCode;
}
BENCHMARK(BM_MotionDeliveryAlone)->Unit(benchmark::kMillisecond);

}  // namespace
