// Reading a 250,000-facet binary STL, and reading a 200,000-facet sphere as a work at pitch 0.2
// (all three families cast and cleaned), beside the same read with twice the facets and with twice
// the rays: the time must grow with rays plus facets, not with their product.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/work_model/stl_test_support.h"
#include "work_model/stl_files.h"
#include "work_model/work_files.h"

namespace {

// A binary sphere of radius 40 with segments x (2 rings - 2) facets, written once per run.
const std::string& GetSpherePath(int segments, int rings)
{
    static std::map<std::pair<int, int>, std::string> paths;
    std::string& path = paths[{segments, rings}];
    if (path.empty()) {
        std::vector<TestFacet> facets;
        const double centre[3] = {0.3, -0.7, 0.1};
        AddTestSphere(&facets, centre, 40.0, rings, segments);
        path = "/tmp/qumbra_bench_sphere_" + std::to_string(getpid()) + "_" +
               std::to_string(facets.size()) + ".stl";
        if (!WriteTestFile(path, MakeTestStlBinary(facets, false))) std::abort();
    }
    return path;
}

void BM_ReadBinaryStl250k(benchmark::State& state)
{
    const std::string& path = GetSpherePath(500, 251);
    std::vector<FacetVertices> facets;
    for (auto _ : state) {
        const int kind = DetectStlKind(path.c_str());
        const int count = CountStlFacets(kind, path.c_str());
        facets.resize(size_t(count));
        const double offset[3] = {0, 0, 0};
        double lo[3], hi[3];
        if (count != 250000 ||
            ReadStlFacets(kind, count, path.c_str(), offset, lo, hi, facets.data()) != 1)
            state.SkipWithError("read");
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 250000);
}

// Arguments: segments (500: 200,000 facets; 1000: 400,000) and the pitch step (0: 0.2; 1: 0.2 / sqrt 2,
// twice the rays).
void BM_ReadStlWork(benchmark::State& state)
{
    const int segments = int(state.range(0));
    const double pitch = state.range(1) == 0 ? 0.2 : 0.2 / std::sqrt(2.0);
    const std::string& path = GetSpherePath(segments, 201);
    WorkModel work{};
    int64_t rays = 0;
    // One untimed load first, so that every case starts with the file cached and the heap warm.
    work.undoLevels = 1;
    if (LoadWorkModelIdentity(nullptr, &work, path.c_str(), pitch, 0) != 1) state.SkipWithError("load");
    DestroyWorkModel(&work);
    work.nodeCountX = 0;
    for (auto _ : state) {
        work.undoLevels = 1;
        if (LoadWorkModelIdentity(nullptr, &work, path.c_str(), pitch, 0) != 1) state.SkipWithError("load");
        rays = int64_t(work.rayCountX) + work.rayCountY + work.rayCountZ;
        state.PauseTiming();
        DestroyWorkModel(&work);
        work.nodeCountX = 0;
        state.ResumeTiming();
    }
    state.counters["facets"] = double(segments) * 400;
    state.counters["rays"] = double(rays);
}

// Removes the generated files at exit.
struct BenchFiles {
    ~BenchFiles()
    {
        const std::string prefix = "/tmp/qumbra_bench_sphere_" + std::to_string(getpid()) + "_";
        for (const char* n : {"250000", "200000", "400000"}) std::remove((prefix + n + ".stl").c_str());
    }
} g_benchFiles;

}  // namespace

BENCHMARK(BM_ReadBinaryStl250k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadStlWork)->Args({500, 0})->Args({1000, 0})->Args({500, 1})->Unit(benchmark::kMillisecond)->Iterations(2);
