// Forward and inverse kinematics per call on a MIX machine (head B, table C) with pivots and a tool
// length: the cost paid for every sub-step of a move and every tool-centre step in vector mode.
#include <benchmark/benchmark.h>

#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/forward_kinematics.h"
#include "machine_setup/machine/inverse_kinematics.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/tools/tool_profile.h"

namespace {

void SetUpMixMachine()
{
    ResetMachineDefinition();
    g_MachineKind = MACHINE_MIX;
    g_Rotary1Axis = 1;
    g_Rotary1CrossAxes[0] = 2;
    g_Rotary1CrossAxes[1] = 0;
    g_Rotary2Axis = 2;
    g_Rotary2CrossAxes[0] = 0;
    g_Rotary2CrossAxes[1] = 1;
    g_Rotary1Direction = 1;
    g_Rotary2Direction = 1;
    g_HeadPosition[2] = 150.0;
    g_TablePosition[0] = 20.0;
    g_TablePosition[1] = -30.0;
    g_ToolLength = 120.0;
}

void BM_ForwardKinematicsMix(benchmark::State& state)
{
    SetUpMixMachine();
    AxisPosition p = {{10.0, 20.0, 30.0, 35.0, 125.0}};
    double tip[3], axis[3];
    for (auto _ : state) {
        p.axis[AXIS_ROTARY2] += 0.001;
        ApplyForwardKinematics(&p, tip, axis);
        benchmark::DoNotOptimize(tip);
        benchmark::DoNotOptimize(axis);
    }
}
BENCHMARK(BM_ForwardKinematicsMix);

void BM_InverseKinematicsMix(benchmark::State& state)
{
    SetUpMixMachine();
    const double angles[2] = {35.0, 125.0};
    double v[3];
    ComputeRotaryFrame(angles, v);
    const double previous[2] = {30.0, 120.0};
    const int enabled[2] = {1, 1};
    const double range1[2] = {-110.0, 110.0}, range2[2] = {-99999.0, 99999.0};
    double result[2];
    for (auto _ : state) {
        SolveInverseKinematics(v, previous, enabled, range1, range2, result);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_InverseKinematicsMix);

}  // namespace
