// The work display: a 100 x 100 x 30 box at pitch 0.1 (1.6 million rays) cut by a D10 ball along a
// zig-zag, shown for the first time (every display block tessellated), and refreshed after one more
// tool position (only the blocks that position changed). The GL calls go to no table here, so the
// figures are the tessellation's own cost.
#include <benchmark/benchmark.h>

#include <cmath>

#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "nc/interpreter_state.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "view/view_camera.h"
#include "view/work_display.h"
#include "tests/origin_box_work.h"
#include "work_model/dexel_intervals.h"
#include "work_model/work_model.h"

namespace {

const double kPitch = 0.1;
const double kSize[3] = {100, 100, 30};

struct ZigZag {
    double x = 8.0, y = 8.0, direction = 1.0;
    void Advance()
    {
        x += direction * 0.5;
        if (x > kSize[0] - 8.0 || x < 8.0) {
            direction = -direction;
            x += direction * 0.5;
            y += 4.0;
            if (y > kSize[1] - 8.0) y = 8.0;
        }
    }
};

ZigZag g_Path;

void CutOnePosition(WorkModel* work)
{
    const double tip[3] = {g_Path.x, g_Path.y, kSize[2] - 3.0}, axis[3] = {0, 0, 1};
    g_MoveRemovedVolume = 0.0;
    ClearCheckFlags();
    SetCutColourAndTag(10);
    CutWorkAlongMove(work, tip, axis);
    g_Path.Advance();
}

// The box in work slot 0, cut along 2000 positions of the zig-zag (pen 3).
WorkModel* BuildCutWork()
{
    WorkModel* work = &g_WorkModels[0];
    if (work->nodeCountX > 0) return work;
    if (!BuildOriginBoxWork(work, kSize, kPitch)) return nullptr;
    PrepareWorkForCutting(work);
    ToolRecord tool{};
    tool.defined = 1;
    tool.type = TOOL_BALL;
    tool.diameter = 10.0f;
    tool.cornerRadius = 5.0f;
    tool.cuttingLength = 30.0f;
    tool.readCuttingLength = 30.0f;
    if (MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 3) != 1) return nullptr;
    g_ArborCheck = 0;
    g_HeightCheck = 0;
    g_ChipWidthCheck = 0;
    g_MotionKind = 1;
    for (int p = 0; p < 2000; p++) CutOnePosition(work);
    g_SceneScale = 250.0;
    g_WorkDisplayMode = PART_DISPLAY_ON;
    g_WorkDisplayStyle = 0;
    return work;
}

void BM_ShowCutWorkFirstTime(benchmark::State& state)
{
    WorkModel* work = BuildCutWork();
    if (!work) {
        state.SkipWithError("work not built");
        return;
    }
    int surfaceBlocks = 0;
    long pieces = 0;
    for (auto _ : state) {
        for (int b = 0; b < work->blockCount; b++) work->blockListIds[b] = 0;
        MarkWorkBlocksForRebuild();
        DrawWorkModel(work);
        surfaceBlocks = 0;
        pieces = 0;
        for (int b = 0; b < work->blockCount; b++) {
            if (work->blockListIds[b] > 0) surfaceBlocks++;
            if (work->blockListIds[b] > 0) pieces += work->blockListIds[b];
        }
    }
    state.counters["rays"] = double(work->rayCountX) + work->rayCountY + work->rayCountZ;
    state.counters["blocks"] = double(work->blockCount);
    state.counters["blocks with surface"] = double(surfaceBlocks);
    state.counters["rectangles+triangles"] = double(pieces);
}
BENCHMARK(BM_ShowCutWorkFirstTime)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RefreshAfterOneToolPosition(benchmark::State& state)
{
    WorkModel* work = BuildCutWork();
    if (!work) {
        state.SkipWithError("work not built");
        return;
    }
    MarkWorkBlocksForRebuild();
    DrawWorkModel(work);
    long changed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CutOnePosition(work);
        for (int b = 0; b < work->blockCount; b++) changed += work->changedBlocks[b];
        g_WorkListRebuild[work->currentLevel] = 1;
        state.ResumeTiming();
        DrawWorkModel(work);
    }
    state.counters["blocks per refresh"] = double(changed) / double(state.iterations());
}
BENCHMARK(BM_RefreshAfterOneToolPosition)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
