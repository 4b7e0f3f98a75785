// The view's per-frame work: projecting model points (picking projects every candidate point), one
// frame of the renderer replaying its lists, and compiling a revolved tool into its list. The GL
// calls go to a table that only counts them, so the figures are the view's own cost.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/tool_profile.h"
#include "platform/ui/gl_calls.h"
#include "platform/ui/repaint_requests.h"
#include "view/display_lists.h"
#include "view/scene_materials.h"
#include "view/scene_rendering.h"
#include "view/view_camera.h"
#include "work_model/work_model.h"

namespace {

long g_GlCallCount = 0;

const UiGlCalls* CountingGl()
{
    static const UiGlCalls table = {
        [](int) -> unsigned { ++g_GlCallCount; return 1u; },
        [](unsigned, int) { ++g_GlCallCount; },
        [](unsigned) -> int { ++g_GlCallCount; return 1; },
        [](unsigned, unsigned) { ++g_GlCallCount; },
        []() { ++g_GlCallCount; },
        [](unsigned) { ++g_GlCallCount; },
        [](unsigned) { ++g_GlCallCount; },
        []() { ++g_GlCallCount; },
        [](double, double, double) { ++g_GlCallCount; },
        [](double, double, double) { ++g_GlCallCount; },
        [](const float*) { ++g_GlCallCount; },
        [](unsigned, unsigned, const float*) { ++g_GlCallCount; },
        [](unsigned, unsigned, const float*) { ++g_GlCallCount; },
        [](float) { ++g_GlCallCount; },
        [](float) { ++g_GlCallCount; },
        [](unsigned) { ++g_GlCallCount; },
        [](unsigned) { ++g_GlCallCount; },
        [](unsigned, unsigned) { ++g_GlCallCount; },
        [](unsigned) { ++g_GlCallCount; },
        [](float, float, float, float) { ++g_GlCallCount; },
        [](unsigned) { ++g_GlCallCount; },
        [](int, int, int, int) { ++g_GlCallCount; },
        [](unsigned) { ++g_GlCallCount; },
        []() { ++g_GlCallCount; },
        []() { ++g_GlCallCount; },
        []() { ++g_GlCallCount; },
        [](double, double, double) { ++g_GlCallCount; },
        [](double, double, double, double) { ++g_GlCallCount; },
        [](double, double, double) { ++g_GlCallCount; },
        [](double, double, double, double, double, double) { ++g_GlCallCount; },
        [](double, double, double, double) { ++g_GlCallCount; },
        [](unsigned) { ++g_GlCallCount; },
        [](int, int, int, int, unsigned, unsigned, void*) { ++g_GlCallCount; },
        []() { ++g_GlCallCount; },
    };
    return &table;
}

void BM_ProjectToScreen(benchmark::State& state)
{
    SetViewAreaSize(800, 600);
    g_Perspective = static_cast<int>(state.range(0));
    g_AxisDirection = 11;
    g_ViewAngleA = 315.0;
    g_ViewAngleB = 45.0;
    UpdateViewRotationCosSin();
    std::vector<double> points(3 * 1024);
    for (size_t i = 0; i < points.size(); ++i) points[i] = std::sin(static_cast<double>(i)) * 200.0;
    double sum = 0.0;
    for (auto _ : state) {
        for (size_t i = 0; i < points.size(); i += 3) {
            double depth = 0, x = 0, y = 0;
            ProjectToScreen(&points[i], &depth, &x, &y);
            sum += x + y + depth;
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_ProjectToScreen)->Arg(0)->Arg(1);

// One frame of a TABLE machine whose lists are all built: replay and transforms only.
void BM_RenderSceneReplay(benchmark::State& state)
{
    SetUiGlCalls(CountingGl());
    g_MachineKind = MACHINE_TABLE;
    g_TableType = TABLE_TYPE_PLANE;
    g_Table2Type = TABLE_TYPE_CIRCLE;
    SetViewAreaSize(800, 600);
    UpdateSceneMaterials();
    RenderScene(&g_WorkModels[g_CurrentWorkIndex]);   // builds the lists once
    for (auto _ : state) RenderScene(&g_WorkModels[g_CurrentWorkIndex]);
    state.counters["gl_calls_per_frame"] = static_cast<double>(g_GlCallCount) / static_cast<double>(state.iterations() + 1);
    SetUiGlCalls(nullptr);
}
BENCHMARK(BM_RenderSceneReplay);

// Compiling the revolved surface of a tool of 40 profile points into list 4.
void BM_BuildCurrentToolList(benchmark::State& state)
{
    SetUiGlCalls(CountingGl());
    const int points = 40;
    std::vector<double> rings(static_cast<size_t>(points) * 36 * 3);
    for (int k = 0; k < points; ++k) {
        for (int j = 0; j < 36; ++j) {
            double* p = &rings[(static_cast<size_t>(k) * 36 + j) * 3];
            p[0] = (5.0 + k * 0.2) * std::cos(j * 0.17453292519943295);
            p[1] = (5.0 + k * 0.2) * std::sin(j * 0.17453292519943295);
            p[2] = k * 2.0;
        }
    }
    double* saved = g_ToolSolidBuffers[0];
    const int savedCount = g_ToolProfilePointCount;
    g_ToolSolidBuffers[0] = rings.data();
    g_ToolProfilePointCount = points;
    g_ToolProfileCutterEnd = 10;
    g_ToolProfileShankEnd = 30;
    g_CurrentTool.defined = 1;
    for (auto _ : state) BuildCurrentToolList();
    g_CurrentTool.defined = 0;
    g_ToolSolidBuffers[0] = saved;
    g_ToolProfilePointCount = savedCount;
    SetUiGlCalls(nullptr);
}
BENCHMARK(BM_BuildCurrentToolList);

}  // namespace
