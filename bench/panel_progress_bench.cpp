// The calls the simulation thread and long loops make at every step: the axis values of the status
// panel (one move's axes, and all five forced), the progress update that found nothing new, and the
// pump of long work between its pumps.
#include <benchmark/benchmark.h>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "nc/interpreter_state.h"
#include "platform/ui/event_core.h"
#include "platform/ui/progress.h"
#include "platform/ui/shell_services.h"
#include "view/status_panel.h"
#include "work_model/work_values.h"

namespace {

intptr_t PlainProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    return DefaultWindowProc(window, message, wParam, lParam);
}

WindowHandle StartPanel()
{
    StartEventCore(nullptr);
    const UiRect rect = {0, 0, 800, 600};
    WindowHandle frame = CreateUiWindow("BenchFrame", "", PlainProc, nullptr, 0, &rect, 0);
    InstallStatusPanelHooks();
    g_AxisCount = 5;
    LayOutStatusPanelCells(5);
    g_InputIncrement = 1000;
    return frame;
}

void AxisValuesOfOneStep(benchmark::State& state)
{
    WindowHandle frame = StartPanel();
    g_PositionDisplayKind = static_cast<int>(state.range(0));
    g_NcMoveStart = AxisPosition{{0, 0, 0, 0, 0}};
    g_NcMoveEnd = AxisPosition{{10, 5, 0, 0, 0}};
    double x = 0.0;
    for (auto _ : state) {
        x += 0.001;
        g_ToolTipPoint[0] = x;
        g_ControlPoint.axis[0] = x;
        BeginPanelDraw(frame);
        DrawAxisValuesPanel(0);
        EndPanelDraw(frame);
    }
    g_PositionDisplayKind = 0;
    StopEventCore();
}
BENCHMARK(AxisValuesOfOneStep)->Arg(0)->Arg(2);

void ProgressUpdateWithoutChange(benchmark::State& state)
{
    BeginProgress(nullptr, 1, 1000000000ull, nullptr, 1, "", "");
    UpdateProgress(0);
    for (auto _ : state) {
        AddProgress(1);
        benchmark::DoNotOptimize(UpdateProgress(0));
    }
    EndProgress();
}
BENCHMARK(ProgressUpdateWithoutChange);

void PumpBetweenPumps(benchmark::State& state)
{
    StartEventCore(nullptr);
    PumpMessagesDuringWork();
    for (auto _ : state) PumpMessagesDuringWork();
    StopEventCore();
}
BENCHMARK(PumpBetweenPumps);

}  // namespace
