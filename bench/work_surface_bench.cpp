// The work surface: the whole surface of a cut work of 1.6 million rays extracted and written as
// binary STL (beside it the ".DME" save of the same work, as a reference), and one display block
// tessellated again as the view does after a cut changed it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/scoped_temp_folder.h"
#include "tests/work_model/work_surface_test_support.h"
#include "work_model/work_creation.h"
#include "work_model/work_files.h"
#include "work_model/work_mesh_export.h"
#include "work_model/work_surface.h"

namespace {

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const double kNoOrigin[3] = {0, 0, 0};

// 1001 x 1001 x 301 nodes at pitch 0.1 (1.6 million rays): a stepped pocket and a row of ball
// dimples, cut ray by ray.
WorkModel* BuildCutWork()
{
    static WorkModel work{};
    if (work.nodeCountX > 0) return &work;
    work.undoLevels = 1;
    const double box[6] = {0, 0, 0, 100, 100, 30};
    if (CreateBoxWorkIdentity(&work, box, 0.1) != 1) return nullptr;
    const double pocketLo[3] = {20.05, 20.05, 15.03}, pocketHi[3] = {79.95, 79.95, 31};
    CutBox(&work, pocketLo, pocketHi);
    const double stepLo[3] = {35.02, 35.02, 8.04}, stepHi[3] = {64.98, 64.98, 31};
    CutBox(&work, stepLo, stepHi);
    for (int i = 0; i < 5; i++) {
        for (int j = 0; j < 5; j++) {
            const double centre[3] = {6.0 + 22 * i, 6.0 + 22 * j, 32};
            if (i >= 1 && i <= 3 && j >= 1 && j <= 3) continue;
            CutBall(&work, centre, 4.5);
        }
    }
    return &work;
}

void BM_ExportWorkSurfaceStl(benchmark::State& state)
{
    WorkModel* work = BuildCutWork();
    if (!work) {
        state.SkipWithError("work not built");
        return;
    }
    ScopedTempFolder folder;
    const std::string path = folder.path + "/work.stl";
    int64_t bytes = 0;
    for (auto _ : state) {
        if (SaveWorkModel(work, path.c_str(), 1, 0, 0, kIdentity, kNoOrigin) != 1) {
            state.SkipWithError("save failed");
            return;
        }
        FILE* f = std::fopen(path.c_str(), "rb");
        if (f) {
            std::fseek(f, 0, SEEK_END);
            bytes = std::ftell(f);
            std::fclose(f);
        }
    }
    state.counters["rays"] = double(work->rayCountX) + work->rayCountY + work->rayCountZ;
    state.counters["facets"] = double((bytes - 84) / 50);
    std::remove(path.c_str());
}
BENCHMARK(BM_ExportWorkSurfaceStl)->Unit(benchmark::kMillisecond)->Iterations(3);

// The reference beside it: the same work saved as ".DME".
void BM_SaveWorkDmeReference(benchmark::State& state)
{
    WorkModel* work = BuildCutWork();
    if (!work) {
        state.SkipWithError("work not built");
        return;
    }
    ScopedTempFolder folder;
    const std::string path = folder.path + "/work.dme";
    for (auto _ : state) {
        if (SaveWorkModel(work, path.c_str(), 0, 0, 0, kIdentity, kNoOrigin) != 1) {
            state.SkipWithError("save failed");
            return;
        }
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveWorkDmeReference)->Unit(benchmark::kMillisecond)->Iterations(3);

// The view's rebuild of one display block: every cell of the block through the cell procedure, its
// segments chained into loops and fanned into a triangle buffer.
struct TriangleBuffer {
    std::vector<float> vertices;
};

void AddLoop(void* context, const double (*points)[3], const uint8_t*, int count)
{
    TriangleBuffer* buffer = static_cast<TriangleBuffer*>(context);
    for (int i = 1; i + 1 < count; i++) {
        for (const double* p : {points[0], points[i], points[i + 1]})
            for (int k = 0; k < 3; k++) buffer->vertices.push_back(float(p[k]));
    }
}

void AddCell(void* context, const int faceFlags[CELL_FACE_COUNT], const FaceSegment* segments,
             int segmentCount)
{
    ChainCellSegments(faceFlags, segments, segmentCount, AddLoop, context);
}

// Argument 0: the walk over every cell of the block; 1: the walk over the cells a ray end touches (what
// the work display runs), the same triangles.
void BM_TessellateOneDisplayBlock(benchmark::State& state)
{
    WorkModel* work = BuildCutWork();
    if (!work) {
        state.SkipWithError("work not built");
        return;
    }
    // The block holding the pocket's step corner (35, 35), which both cuts pass through.
    int cell[3] = {350, 350, 100};
    int lo[3], hi[3];
    const int blockCells[3] = {work->blockCellsX, work->blockCellsY, work->blockCellsZ};
    for (int a = 0; a < 3; a++) {
        lo[a] = cell[a] / blockCells[a] * blockCells[a];
        hi[a] = lo[a] + blockCells[a];
    }
    TriangleBuffer buffer;
    for (auto _ : state) {
        buffer.vertices.clear();
        if (state.range(0) == 0)
            WalkWorkCells(work, lo, hi, nullptr, AddCell, &buffer);
        else
            WalkWorkCellsSparse(work, lo, hi, nullptr, AddCell, &buffer);
        benchmark::DoNotOptimize(buffer.vertices.data());
    }
    state.counters["cells"] = double(blockCells[0]) * blockCells[1] * blockCells[2];
    state.counters["triangles"] = double(buffer.vertices.size() / 9);
}
BENCHMARK(BM_TessellateOneDisplayBlock)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
