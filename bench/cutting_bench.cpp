// Benchmarks of the cutting kernel: a D10 ball, a D12 R2 bull and a D10 flat cutting a 100 x 100 x 30
// box at pitch 0.1 along a zig-zag at move pitch 0.1, with the axis along Z and tilted 30 degrees.
// Reported: tool positions per second and removed pieces (ray updates) per second.
#include <benchmark/benchmark.h>

#include <cmath>

#include "machine_setup/tools/current_tool.h"
#include "machine_setup/settings/display_settings.h"
#include "nc/interpreter_state.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "work_model/dexel_intervals.h"
#include "work_model/work_model.h"

namespace {

const double kPitch = 0.1;
const double kSize[3] = {100, 100, 30};

// A box work on the grid with node 0 at the origin: one interval per ray.
bool BuildBox(WorkModel* work)
{
    *work = WorkModel{};
    work->nodeCountX = int(std::lround(kSize[0] / kPitch)) + 1;
    work->nodeCountY = int(std::lround(kSize[1] / kPitch)) + 1;
    work->nodeCountZ = int(std::lround(kSize[2] / kPitch)) + 1;
    work->pitch = kPitch;
    work->rotation[0] = work->rotation[4] = work->rotation[8] = 1.0;
    work->inverseRotation[0] = work->inverseRotation[4] = work->inverseRotation[8] = 1.0;
    if (SetUpWorkGrid(work) != 1) return false;
    work->undoLevels = 1;
    if (AllocateWorkModelArrays(work) != 1) return false;
    DexelFamily* families[3] = {&work->familyX, &work->familyY, &work->familyZ};
    const uint8_t attributes[2] = {0, 0};
    const int32_t values[2] = {0, 0};
    for (int axis = 0; axis < 3; axis++) {
        const double ends[2] = {0.0, kSize[axis]};
        DexelFamily* f = families[axis];
        for (int d = 0; d < f->rayCount; d++)
            StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, ends, attributes, values, 2);
    }
    return true;
}

// Tool type, diameter, corner radius; the tilt in degrees about Y.
void CutZigZag(benchmark::State& state, int type, double diameter, double cornerRadius, double tiltDegrees)
{
    static WorkModel work;
    if (!BuildBox(&work)) {
        state.SkipWithError("no work");
        return;
    }
    PrepareWorkForCutting(&work);
    ToolRecord tool{};
    tool.defined = 1;
    tool.type = type;
    tool.diameter = float(diameter);
    tool.cornerRadius = float(cornerRadius);
    tool.cuttingLength = 30.0f;
    tool.readCuttingLength = 30.0f;
    if (MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 3) != 1) {
        state.SkipWithError("no tool");
        DestroyWorkModel(&work);
        return;
    }
    g_ArborCheck = 0;
    g_HeightCheck = 0;
    g_ChipWidthCheck = 0;
    g_MotionKind = 1;
    const double tilt = tiltDegrees * M_PI / 180.0;
    const double axis[3] = {std::sin(tilt), 0.0, std::cos(tilt)};
    const double depth = 3.0, margin = 8.0, stepOver = 4.0;
    double x = margin, y = margin, direction = 1.0;
    long pieces = 0;
    for (auto _ : state) {
        const double tip[3] = {x, y, kSize[2] - depth};
        g_MoveRemovedVolume = 0.0;
        ClearCheckFlags();
        SetCutColourAndTag(10);
        CutWorkAlongMove(&work, tip, axis);
        pieces += (g_SweepStateX.removedEndCount + g_SweepStateY.removedEndCount + g_SweepStateZ.removedEndCount) / 2;
        x += direction * kPitch;  // move pitch 0.1 along the row, then step over and reverse
        if (x > kSize[0] - margin || x < margin) {
            direction = -direction;
            x += direction * kPitch;
            y += stepOver;
            if (y > kSize[1] - margin) y = margin;
        }
    }
    state.counters["positions/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["ray updates/s"] = benchmark::Counter(double(pieces), benchmark::Counter::kIsRate);
    DestroyWorkModel(&work);
}

void BM_CutBallD10Axial(benchmark::State& s) { CutZigZag(s, TOOL_BALL, 10, 5, 0); }
void BM_CutBallD10Tilted30(benchmark::State& s) { CutZigZag(s, TOOL_BALL, 10, 5, 30); }
void BM_CutBullD12R2Axial(benchmark::State& s) { CutZigZag(s, TOOL_BULL, 12, 2, 0); }
void BM_CutBullD12R2Tilted30(benchmark::State& s) { CutZigZag(s, TOOL_BULL, 12, 2, 30); }
void BM_CutFlatD10Axial(benchmark::State& s) { CutZigZag(s, TOOL_FLAT, 10, 0, 0); }
void BM_CutFlatD10Tilted30(benchmark::State& s) { CutZigZag(s, TOOL_FLAT, 10, 0, 30); }

BENCHMARK(BM_CutBallD10Axial)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_CutBallD10Tilted30)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_CutBullD12R2Axial)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_CutBullD12R2Tilted30)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_CutFlatD10Axial)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_CutFlatD10Tilted30)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
