// The machine part models on the paths the interference checks take: a triangle tested edge by edge
// against every facet of a part mesh, head model points carried through the machine position, and the
// split of a basic model into regions when a machine definition is read.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_models.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine/part_transforms.h"
#include "work_model/facet_tables.h"
#include "work_model/hit_tests.h"

namespace {

// A closed sphere of triangles (rings x segments quads) around centre.
std::vector<FacetVertices> MakeSphere(const double centre[3], double radius, int rings, int segments)
{
    const double pi = 3.14159265358979323846;
    auto point = [&](int ring, int segment, double* out) {
        double theta = pi * ring / rings, phi = 2 * pi * segment / segments;
        out[0] = centre[0] + radius * std::sin(theta) * std::cos(phi);
        out[1] = centre[1] + radius * std::sin(theta) * std::sin(phi);
        out[2] = centre[2] + radius * std::cos(theta);
    };
    std::vector<FacetVertices> facets;
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            FacetVertices a = {}, b = {};
            point(r, s, a.vertices);
            point(r + 1, s, a.vertices + 3);
            point(r + 1, s + 1, a.vertices + 6);
            point(r, s, b.vertices);
            point(r + 1, s + 1, b.vertices + 3);
            point(r, s + 1, b.vertices + 6);
            facets.push_back(a);
            facets.push_back(b);
        }
    }
    return facets;
}

void BM_TriangleAgainstPartMesh(benchmark::State& state)
{
    const double centre[3] = {0, 0, 0};
    std::vector<FacetVertices> facets = MakeSphere(centre, 50.0, 40, 80);
    std::vector<FacetPlane> planes(facets.size());
    BuildFacetPlaneTable(static_cast<int>(facets.size()), facets.data(), planes.data());
    SortFacetsByTopChunked(static_cast<int>(facets.size()), facets.data(), planes.data());
    const double probe[9] = {45, 1, 10, 55, 2, 11, 50, -3, 12};  // crosses the surface
    for (auto _ : state) {
        int hits = 0;
        for (size_t f = 0; f < facets.size(); ++f) hits += IntersectSegmentTriangle(&facets[f], &planes[f], probe);
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(facets.size()));
}
BENCHMARK(BM_TriangleAgainstPartMesh);

void BM_HeadModelPointsOnMixMachine(benchmark::State& state)
{
    ResetMachineDefinition();
    g_MachineKind = MACHINE_MIX;
    g_Rotary1Axis = 1;
    g_Rotary1CrossAxes[0] = 2;
    g_Rotary1CrossAxes[1] = 0;
    g_HeadPosition[2] = 150.0;
    g_TablePosition[0] = 20.0;
    g_RotaryCosSin[0] = std::cos(0.3);
    g_RotaryCosSin[1] = std::sin(0.3);
    g_RotaryCosSin[2] = std::cos(1.1);
    g_RotaryCosSin[3] = std::sin(1.1);
    const double centre[3] = {0, 0, 200};
    std::vector<FacetVertices> head = MakeSphere(centre, 80.0, 20, 40);
    const double position[3] = {10, 20, 30};
    for (auto _ : state) {
        double sum = 0.0;
        for (const FacetVertices& f : head) {
            for (int v = 0; v < 3; ++v) {
                double moved[3];
                TransformHead1ModelPoint(position, f.vertices + 3 * v, moved);
                sum += moved[2];
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(head.size()) * 3);
}
BENCHMARK(BM_HeadModelPointsOnMixMachine);

void BM_SplitBasicModelIntoRegions(benchmark::State& state)
{
    const double centre[3] = {0, 0, 0};
    std::vector<FacetVertices> room = MakeSphere(centre, 500.0, 100, 200);
    const double point[3] = {0, 0, 0};
    double low[3], high[3];
    ComputeModelBoxAroundPoint(static_cast<int>(room.size()), room.data(), point, low, high);
    for (auto _ : state) {
        SplitBasicModelIntoRegions(static_cast<int>(room.size()), room.data(), low, high);
        benchmark::DoNotOptimize(g_BasicMeshes[0].count);
    }
    FreeBasicModels();
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(room.size()));
}
BENCHMARK(BM_SplitBasicModelIntoRegions);

}  // namespace
