// Benchmarks of the cutting kernel: a D10 ball, a D12 R2 bull and a D10 flat cutting a 100 x 100 x 30
// box at pitch 0.1 along a zig-zag at move pitch 0.1, with the axis along Z and tilted 30 degrees.
// Reported: tool positions per second and removed pieces (ray updates) per second. Beside them the
// streaming floor: the least a cut can cost, a D10 ball stamped along the same zig-zag over plain
// single-interval Z-rays (chord, subtract, store), and the same kernel cuts on 1 to 8 threads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "machine_setup/tools/current_tool.h"
#include "machine_setup/settings/display_settings.h"
#include "nc/interpreter_state.h"
#include "simulation/check_flags.h"
#include "simulation/cut_ray_intersections.h"
#include "simulation/cutting.h"
#include "work_model/dexel_intervals.h"
#include "work_model/work_model.h"
#include "tests/origin_box_work.h"

namespace {

const double kPitch = 0.1;
const double kSize[3] = {100, 100, 30};
// Every case cuts the same first positions of its zig-zag (about seven rows): the zig-zag comes back
// over rows already cut after about 18,000 positions, where positions cost less, so a case timed
// for a while would report a lower cost the faster it runs.
const int kPositions = 6000;

// A box work on the grid with node 0 at the origin: one interval per ray.
bool BuildBox(WorkModel* work)
{
    return BuildOriginBoxWork(work, kSize, kPitch);
}

// The zig-zag of every case: rows along X at the move pitch 0.1, a step-over of 4
// between rows, 8 mm from the box sides.
struct ZigZag {
    double x = 8.0, y = 8.0, direction = 1.0;
    void Advance()
    {
        x += direction * kPitch;
        if (x > kSize[0] - 8.0 || x < 8.0) {
            direction = -direction;
            x += direction * kPitch;
            y += 4.0;
            if (y > kSize[1] - 8.0) y = 8.0;
        }
    }
};

// The streaming floor: a D10 ball along Z over 1001 x 1001 Z-rays of one interval each. Per ray of
// the footprint: the chord of the sphere, the subtraction of the chord and everything above it
// from the interval, the store.
void BM_StreamingFloorBallD10Axial(benchmark::State& state)
{
    const int nodes = int(std::lround(kSize[0] / kPitch)) + 1;
    std::vector<double> ends(size_t(nodes) * nodes * 2);
    for (size_t d = 0; d < ends.size(); d += 2) {
        ends[d] = 0.0;
        ends[d + 1] = kSize[2];
    }
    const double radius = 5.0, depth = 3.0;
    ZigZag path;
    long updates = 0;
    for (auto _ : state) {
        const double centre[3] = {path.x, path.y, kSize[2] - depth + radius};
        const int i0 = std::max(0, int(std::ceil((centre[0] - radius) / kPitch)));
        const int i1 = std::min(nodes - 1, int(std::floor((centre[0] + radius) / kPitch)));
        const int j0 = std::max(0, int(std::ceil((centre[1] - radius) / kPitch)));
        const int j1 = std::min(nodes - 1, int(std::floor((centre[1] + radius) / kPitch)));
        for (int j = j0; j <= j1; j++) {
            const double dy = j * kPitch - centre[1];
            double* row = &ends[size_t(j) * nodes * 2];
            for (int i = i0; i <= i1; i++) {
                const double dx = i * kPitch - centre[0];
                const double q = radius * radius - dx * dx - dy * dy;
                if (!(q > 0.0)) continue;
                const double low = centre[2] - std::sqrt(q);
                double* ray = row + 2 * i;
                if (low < ray[1]) {
                    ray[1] = std::max(low, ray[0]);
                    updates++;
                }
            }
        }
        benchmark::DoNotOptimize(ends.data());
        path.Advance();
    }
    state.counters["positions/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["ray updates/s"] = benchmark::Counter(double(updates), benchmark::Counter::kIsRate);
}

// Tool type, diameter, corner radius; the tilt in degrees about Y, or the unit axis where given; the
// cutting threads (0: one per processor).
void CutZigZag(benchmark::State& state, int type, double diameter, double cornerRadius, double tiltDegrees,
               int threads = 1, const double* unitAxis = nullptr)
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
    double axis[3] = {std::sin(tilt), 0.0, std::cos(tilt)};
    if (unitAxis)
        for (int k = 0; k < 3; k++) axis[k] = unitAxis[k];
    const double depth = 3.0;
    ZigZag path;
    SetCuttingThreadCount(threads);
    long pieces = 0;
    for (auto _ : state) {
        const double tip[3] = {path.x, path.y, kSize[2] - depth};
        g_MoveRemovedVolume = 0.0;
        ClearCheckFlags();
        SetCutColourAndTag(10);
        CutWorkAlongMove(&work, tip, axis);
        pieces += (g_SweepStateX.removedEndCount + g_SweepStateY.removedEndCount + g_SweepStateZ.removedEndCount) / 2;
        path.Advance();
    }
    SetCuttingThreadCount(0);
    state.counters["positions/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["ray updates/s"] = benchmark::Counter(double(pieces), benchmark::Counter::kIsRate);
    DestroyWorkModel(&work);
}

// The corner torus of the D12 R2 bull tilted 30 degrees alone: the hull of its crossings with the
// rays at pitch 0.1 of the two families the axis is not perpendicular to that cross its bounding
// cylinder, in the families' axis orders. Reported per ray.
void BM_TorusHullD12R2Tilted30(benchmark::State& state)
{
    const double Rc = 4.0, Rt = 2.0;
    const double c = std::cos(M_PI / 6.0), s = std::sin(M_PI / 6.0);
    const double axes[2][3] = {{0.0, c, s}, {s, 0.0, c}};
    const double base[3] = {0.03, 0.07, 0.0};
    struct Ray {
        int axis;
        double c1, c2;
    };
    std::vector<Ray> rays;
    for (int a = 0; a < 2; a++)
        for (int i = -90; i <= 90; i++)
            for (int j = -90; j <= 90; j++) {
                double t[2], h[2];
                if (IntersectLineWithToolCylinder(base, axes[a], Rc + Rt, 2.0 * Rt, 0.1 * i, 0.1 * j, t, h) == 2)
                    rays.push_back(Ray{a, 0.1 * i, 0.1 * j});
            }
    double sum = 0.0;
    for (auto _ : state) {
        for (const Ray& r : rays) {
            double t[2];
            if (IntersectLineWithTorusHullInBound(base, axes[r.axis], Rc, Rt, r.c1, r.c2, true, t) == 2)
                sum += t[1] - t[0];
        }
    }
    benchmark::DoNotOptimize(sum);
    state.counters["rays/s"] =
        benchmark::Counter(double(state.iterations()) * double(rays.size()), benchmark::Counter::kIsRate);
}

// The same rays handed to the torus eight at a time.
void BM_TorusHullD12R2Tilted30Grouped(benchmark::State& state)
{
    const double Rc = 4.0, Rt = 2.0;
    const double c = std::cos(M_PI / 6.0), s = std::sin(M_PI / 6.0);
    const double axes[2][3] = {{0.0, c, s}, {s, 0.0, c}};
    const double base[3] = {0.03, 0.07, 0.0};
    std::vector<double> c1[2], c2[2];
    for (int a = 0; a < 2; a++)
        for (int i = -90; i <= 90; i++)
            for (int j = -90; j <= 90; j++) {
                double t[2], h[2];
                if (IntersectLineWithToolCylinder(base, axes[a], Rc + Rt, 2.0 * Rt, 0.1 * i, 0.1 * j, t, h) == 2) {
                    c1[a].push_back(0.1 * i);
                    c2[a].push_back(0.1 * j);
                }
            }
    double sum = 0.0;
    for (auto _ : state) {
        for (int a = 0; a < 2; a++)
            for (size_t r = 0; r < c1[a].size(); r += 8) {
                const int count = int(std::min<size_t>(8, c1[a].size() - r));
                double t[8][2];
                int found[8];
                IntersectLinesWithTorusHullInBound(base, axes[a], Rc, Rt, count, &c1[a][r], &c2[a][r], true, t, found);
                for (int i = 0; i < count; i++)
                    if (found[i] == 2) sum += t[i][1] - t[i][0];
            }
    }
    benchmark::DoNotOptimize(sum);
    state.counters["rays/s"] = benchmark::Counter(double(state.iterations()) * double(c1[0].size() + c1[1].size()),
                                                  benchmark::Counter::kIsRate);
}

void BM_CutBallD10Axial(benchmark::State& s) { CutZigZag(s, TOOL_BALL, 10, 5, 0); }
void BM_CutBallD10Tilted30(benchmark::State& s) { CutZigZag(s, TOOL_BALL, 10, 5, 30); }
void BM_CutBullD12R2Axial(benchmark::State& s) { CutZigZag(s, TOOL_BULL, 12, 2, 0); }
void BM_CutBullD12R2Tilted30(benchmark::State& s) { CutZigZag(s, TOOL_BULL, 12, 2, 30); }
void BM_CutFlatD10Axial(benchmark::State& s) { CutZigZag(s, TOOL_FLAT, 10, 0, 0); }
void BM_CutFlatD10Tilted30(benchmark::State& s) { CutZigZag(s, TOOL_FLAT, 10, 0, 30); }
// Tilted 30 degrees toward the diagonal of X and -Y: no family's rays lie in a plane of the axis.
const double kDiagonalTilt30[3] = {0.5 * std::sqrt(0.5), -0.5 * std::sqrt(0.5), 0.8660254037844386};
void BM_CutBullD12R2TiltedDiagonal30(benchmark::State& s) { CutZigZag(s, TOOL_BULL, 12, 2, 0, 1, kDiagonalTilt30); }

void BM_CutBallD10AxialThreads(benchmark::State& s) { CutZigZag(s, TOOL_BALL, 10, 5, 0, int(s.range(0))); }
void BM_CutBullD12R2Tilted30Threads(benchmark::State& s) { CutZigZag(s, TOOL_BULL, 12, 2, 30, int(s.range(0))); }

BENCHMARK(BM_StreamingFloorBallD10Axial)->Unit(benchmark::kMicrosecond)->Iterations(kPositions);
BENCHMARK(BM_CutBallD10Axial)->Unit(benchmark::kMicrosecond)->Iterations(kPositions);
BENCHMARK(BM_CutBallD10Tilted30)->Unit(benchmark::kMicrosecond)->Iterations(kPositions);
BENCHMARK(BM_CutBullD12R2Axial)->Unit(benchmark::kMicrosecond)->Iterations(kPositions);
BENCHMARK(BM_CutBullD12R2Tilted30)->Unit(benchmark::kMicrosecond)->Iterations(kPositions);
BENCHMARK(BM_CutFlatD10Axial)->Unit(benchmark::kMicrosecond)->Iterations(kPositions);
BENCHMARK(BM_CutFlatD10Tilted30)->Unit(benchmark::kMicrosecond)->Iterations(kPositions);
BENCHMARK(BM_TorusHullD12R2Tilted30)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_TorusHullD12R2Tilted30Grouped)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_CutBullD12R2TiltedDiagonal30)->Unit(benchmark::kMicrosecond)->Iterations(kPositions);

BENCHMARK(BM_CutBallD10AxialThreads)->ArgName("threads")->Arg(1)->Arg(2)->Arg(4)->Arg(8)
    ->Unit(benchmark::kMicrosecond)->Iterations(kPositions)->UseRealTime();
BENCHMARK(BM_CutBullD12R2Tilted30Threads)->ArgName("threads")->Arg(1)->Arg(2)->Arg(4)->Arg(8)
    ->Unit(benchmark::kMicrosecond)->Iterations(kPositions)->UseRealTime();

}  // namespace
