// The NC line reader on a 100,000-line program with a controller of 1000 replacement rules, which
// run on every line the interpreter reads (default mode and "REPLACE TYPE" 2), and without rules.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"

namespace {

constexpr int PROGRAM_LINES = 100000;
constexpr int RULE_COUNT = 1000;

// 1000 rules: a few that match words of the program, the rest macro-like words that occur rarely.
void MakeRules()
{
    FreeReplaceRules();
    const char* common[][2] = {{"G0 ", "G00 "}, {"M8", "M08"}, {"F1200", "F1500."}, {"(OP", "(OPERATION"}};
    for (const auto& rule : common) {
        const std::string line = std::string("REPLACE \"") + rule[0] + "\" \"" + rule[1] + "\"";
        ReadReplaceRuleLine(line.c_str());
    }
    for (int k = (int)(sizeof common / sizeof common[0]); k < RULE_COUNT; ++k) {
        char line[96];
        std::snprintf(line, sizeof line, "REPLACE \"#V%d=\" \"#%d=\"", k, 500 + k % 400);
        ReadReplaceRuleLine(line);
    }
}

FILE* MakeProgram()
{
    FILE* file = std::tmpfile();
    std::fputs("%\r\nO1000 (OP1 ROUGHING)\r\n", file);
    for (int k = 0; k < PROGRAM_LINES - 2; ++k) {
        if (k % 50 == 0) {
            std::fprintf(file, "N%d G0 X%.3f Y%.3f M8\r\n", k, (k % 977) * 0.125, (k % 613) * -0.25);
        } else {
            std::fprintf(file, "N%d G01 X%.3f Y%.3f Z%.3f F1200\r\n", k, (k % 977) * 0.125, (k % 613) * -0.25,
                         -(k % 31) * 0.1);
        }
    }
    return file;
}

void ReadProgram(benchmark::State& state, int type2, int withRules = 1)
{
    ResetControllerSettings();
    if (withRules) MakeRules();
    g_ReplaceType2 = type2;
    FILE* program = MakeProgram();
    int64_t lines = 0;
    for (auto _ : state) {
        std::rewind(program);
        ResetInterpreterState();
        g_NcFile = program;
        while (g_NcRunState < NC_RUN_FINISHED) {
            if (ReadNextNcLine()) ++lines;
        }
        benchmark::DoNotOptimize(g_NcLineBuffer[0]);
    }
    g_NcFile = nullptr;
    std::fclose(program);
    ResetControllerSettings();
    state.SetItemsProcessed(lines);
}

void BM_ReadLinesWith1000ReplaceRules(benchmark::State& state) { ReadProgram(state, 0); }
void BM_ReadLinesWith1000ReplaceRulesType2(benchmark::State& state) { ReadProgram(state, 1); }
void BM_ReadLinesWithoutRules(benchmark::State& state) { ReadProgram(state, 0, 0); }

}  // namespace

BENCHMARK(BM_ReadLinesWith1000ReplaceRules)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLinesWith1000ReplaceRulesType2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLinesWithoutRules)->Unit(benchmark::kMillisecond);
