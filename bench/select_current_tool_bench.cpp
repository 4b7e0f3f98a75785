// SelectCurrentTool for each tool type: it runs at every tool change and, for mounted tool sets, for
// every other tool of the set at each checked step.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "machine_setup/tools/current_tool.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/tools/tool_table.h"
#include "machine_setup/settings/work_settings.h"
#include "tests/scoped_temp_folder.h"

namespace {

const char* const TOOL_LINES[] = {
    "MAGAZINE 1 CUTTER 10, 0, 5, 0, 20;2, 10, 30\nLENGTH 60\n",
    "MAGAZINE 2 BALL 10, 30\nLENGTH 60\nARBOR 30, 20, 40, 20\n",
    "MAGAZINE 3 FLAT 10, 30\nLENGTH2 60, 25, 10, 16\nARBOR2 30, 20, 40, 20\n",
    "MAGAZINE 4 BULL 10, 2, 30\nLENGTH3 60, 25, 10, 5, 30, 16\nARBOR3 30, 20, 0, 40, 20, 1, 50\n",
    "MAGAZINE 5 TAPERBALL 3, 10, 40\nLENGTH 60\n",
    "MAGAZINE 6 VERTICAL 20, 4, 10\nLENGTH 60\n",
    "MAGAZINE 7 OVALR 20, 4, 12, 2, 15\nLENGTH 60\n",
    "MAGAZINE 8 T-THROW 30, 8, 1, 2, 12\nLENGTH 60\n",
    "MAGAZINE 9 SPHERE 10, 4\nLENGTH 60\n",
    "MAGAZINE 10 RADIUS 20, 3, 3\nLENGTH 60\n",
    "MAGAZINE 11 KEGAKI 6, 3\n",
    "MAGAZINE 12 X IMPORT \"body.stl\", 0, 0, 0, 8\nLENGTH 60\n",
};
const char* const TOOL_NAMES[] = {"general", "ball", "flat", "bull", "taper_ball", "vertical",
                                  "oval", "t_slot", "sphere", "radius", "scribing", "stl"};

void LoadToolTable() {
    static int loaded = 0;
    if (loaded) return;
    loaded = 1;
    std::string text;
    for (const char* line : TOOL_LINES) text += line;
    std::string path = ProgramTempFolder().File("tools.ttl");
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    std::snprintf(g_ToolTableFilePath, sizeof(g_ToolTableFilePath), "%s", path.c_str());
    g_MaxMagazine = 200;
    g_WorkPitch = 0.5;
    AllocateToolArrays();
    ReadToolTableFile();
}

void BM_SelectCurrentTool(benchmark::State& state) {
    LoadToolTable();
    const int n = (int)state.range(0);
    state.SetLabel(TOOL_NAMES[n - 1]);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SelectCurrentTool(n, g_WorkPitch));
    }
}
BENCHMARK(BM_SelectCurrentTool)->DenseRange(1, 12);

}  // namespace
