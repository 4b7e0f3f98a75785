// Cost of the dexel interval subtraction: per call on short and long rays, and a ball's
// footprint cut from a family of 1000 x 1000 Z-rays through the rays' own slots.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "work_model/dexel_intervals.h"
#include "work_model/direction_blocks.h"
#include "work_model/work_model.h"

namespace {

const uint8_t kPair[2] = {0x10, 0x20};
const int32_t kTags[2] = {1, 2};
const double kOrigin[1] = {0.0};

// Per call: `batch` copies of one ray, each cut once; the copies are restored outside the timing.
void RunSubtractBatch(benchmark::State& state, const std::vector<double>& ray, double a, double b)
{
    const int batch = 1024;
    const int stride = int(ray.size()) + 2;
    std::vector<double> ends(size_t(batch) * stride);
    std::vector<uint8_t> attributes(ends.size(), 0);
    std::vector<int32_t> values(ends.size(), 0);
    std::vector<int> counts(batch);
    static double pieces[2 * DEXEL_MAX_ENDS];
    double volume = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int r = 0; r < batch; r++) {
            std::memcpy(&ends[size_t(r) * stride], ray.data(), ray.size() * sizeof(double));
            counts[r] = int(ray.size());
        }
        state.ResumeTiming();
        for (int r = 0; r < batch; r++) {
            int removed;
            const size_t base = size_t(r) * stride;
            SubtractDexelIntervalWithVolume(&ends[base], &attributes[base], &values[base], &counts[r],
                                            0.1, kOrigin, 0.01, &volume, pieces, &removed, a, b,
                                            kPair, kTags);
        }
        benchmark::DoNotOptimize(volume);
    }
    state.SetItemsProcessed(state.iterations() * batch);
}

void BM_SubtractShortRaySplit(benchmark::State& state)
{
    RunSubtractBatch(state, {0.0, 50.0}, 20.0, 30.0);
}

void BM_SubtractShortRayTrim(benchmark::State& state)
{
    RunSubtractBatch(state, {0.0, 50.0}, 45.0, 60.0);
}

void BM_SubtractShortRaySliver(benchmark::State& state)
{
    RunSubtractBatch(state, {0.0, 49.95}, 49.91, 49.93);
}

// A ray of n ends (n / 2 intervals); the cut hits the last interval after scanning the others.
std::vector<double> MakeLongRay(int n)
{
    std::vector<double> ray(static_cast<size_t>(n));
    for (int i = 0; i < n; i++) ray[size_t(i)] = i;
    return ray;
}

void BM_SubtractLongRayLastInterval(benchmark::State& state)
{
    const int n = int(state.range(0));
    RunSubtractBatch(state, MakeLongRay(n), n - 1.75, n - 1.25);
}

void BM_SubtractLongRayAcrossAll(benchmark::State& state)
{
    const int n = int(state.range(0));
    RunSubtractBatch(state, MakeLongRay(n), 0.5, n - 1.5);
}

// A D10 ball at pitch 0.1 (about 7,850 rays) cut from 1000 x 1000 Z-rays [0, 10] in their slots,
// with the display blocks of the removed pieces marked, as the cutting kernel does per stamp.
void BM_BallFootprintOnZRays(benchmark::State& state)
{
    WorkModel work{};
    work.nodeCountX = 1000;
    work.nodeCountY = 1000;
    work.nodeCountZ = 101;
    work.pitch = 0.1;
    if (SetUpWorkGrid(&work) != 1) return state.SkipWithError("grid");
    work.undoLevels = 1;
    if (AllocateWorkModelArrays(&work) != 1) return state.SkipWithError("memory");
    DexelFamily& f = work.familyZ;
    const double full[2] = {0.0, 10.0};
    const uint8_t zeroAttributes[2] = {0, 0};
    const int32_t zeroValues[2] = {0, 0};
    for (int d = 0; d < f.rayCount; d++)
        StoreDexel(d, f.capacity, f.counts, f.ends, f.attributes, f.values, full, zeroAttributes,
                   zeroValues, 2);
    const double radius = 5.0, centre[3] = {50.0, 50.0, 8.0};
    const int low = int(std::floor((centre[0] - radius) / work.pitch));
    const int high = int(std::ceil((centre[0] + radius) / work.pitch));
    std::vector<int> rays;
    std::vector<double> halfHeights;
    for (int j = low; j <= high; j++) {
        for (int i = low; i <= high; i++) {
            const double dx = work.coordinatesX[i] - centre[0], dy = work.coordinatesY[j] - centre[1];
            const double h2 = radius * radius - dx * dx - dy * dy;
            if (h2 <= 0.0) continue;
            rays.push_back(i + j * work.nodeCountX);
            halfHeights.push_back(std::sqrt(h2));
        }
    }
    double pieces[16];
    for (auto _ : state) {
        state.PauseTiming();
        for (int d : rays)
            StoreDexel(d, f.capacity, f.counts, f.ends, f.attributes, f.values, full, zeroAttributes,
                       zeroValues, 2);
        state.ResumeTiming();
        double volume = 0.0;
        for (size_t r = 0; r < rays.size(); r++) {
            const int d = rays[r];
            const int i = d % work.nodeCountX, j = d / work.nodeCountX;
            int count = f.counts[d];
            int removed = 0;
            SubtractDexelIntervalWithVolume(GetDexelEndsPointer(d, f.capacity, f.counts, f.ends),
                                            GetDexelAttributesPointer(d, f.capacity, f.counts, f.ends, f.attributes),
                                            GetDexelValuesPointer(d, f.capacity, f.counts, f.values),
                                            &count, work.pitch, work.coordinatesZ, work.cellArea,
                                            &volume, pieces, &removed, centre[2] - halfHeights[r],
                                            centre[2] + halfHeights[r], kPair, kTags);
            f.counts[d] = count;
            if (removed > 0)
                MarkChangedBlocksZ(&work, work.lowerBlockX[i], work.upperBlockX[i], work.lowerBlockY[j],
                                   work.upperBlockY[j], pieces, removed);
        }
        benchmark::DoNotOptimize(volume);
    }
    state.counters["rays"] = double(rays.size());
    state.SetItemsProcessed(state.iterations() * int64_t(rays.size()));
    DestroyWorkModel(&work);
}

}  // namespace

BENCHMARK(BM_SubtractShortRaySplit);
BENCHMARK(BM_SubtractShortRayTrim);
BENCHMARK(BM_SubtractShortRaySliver);
BENCHMARK(BM_SubtractLongRayLastInterval)->Arg(8)->Arg(64)->Arg(1000);
BENCHMARK(BM_SubtractLongRayAcrossAll)->Arg(8)->Arg(64)->Arg(1000);
BENCHMARK(BM_BallFootprintOnZRays)->Unit(benchmark::kMicrosecond);
