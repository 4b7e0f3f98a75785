// Feeds arbitrary bytes to the STL readers, the drawing and the casting of STL solids into ray families: as a
// file of each kind they detect, the readers must read or refuse within their arrays, the casting on
// a small fixed grid and the cleaning must leave even rays, and an STL work load must load or refuse.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "work_model/dexel_cleaning.h"
#include "work_model/polygon_sink.h"
#include "work_model/stl_conversion.h"
#include "work_model/stl_drawing.h"
#include "work_model/stl_files.h"
#include "work_model/work_creation.h"
#include "work_model/work_files.h"

namespace {

const std::string& TempPath()
{
    static const std::string path = "/tmp/qumbra_stl_fuzz_" + std::to_string(getpid()) + ".stl";
    return path;
}

void CheckEvenRays(const WorkModel& work)
{
    const DexelFamily* families[3] = {&work.familyX, &work.familyY, &work.familyZ};
    for (const DexelFamily* f : families)
        for (int d = 0; d < f->rayCount; d++) {
            const int n = f->counts[d];
            if (n < 0 || n > DEXEL_MAX_ENDS || (n & 1)) std::abort();
        }
}

void ReadFacets(int kind, const char* path)
{
    const int count = CountStlFacets(kind, path);
    if (count < 0 || count > 200000) return;
    std::vector<FacetVertices> facets(size_t(count) + 1);
    const double offset[3] = {1, 2, 3}, angles[3] = {90, 0, 30};
    double lo[3], hi[3];
    ReadStlFacets(kind, count, path, offset, lo, hi, facets.data());
    ReadStlToolShape(kind, count, path, offset, lo, hi, facets.data(), angles);
    ReadStlVertices(kind, path, hi, lo);
}

void CastOnSmallGrid(int kind, const char* path)
{
    WorkModel work{};
    work.undoLevels = 1;
    const double box[6] = {-8, -8, -8, 8, 8, 8};
    if (CreateBoxWorkIdentity(&work, box, 1.0) != 1) std::abort();
    static const int orders[3][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}};
    int result = 1;
    for (int f = 0; f < 3 && result == 1; f++) {
        StlRayFamily family;
        DescribeRayFamily(&work, orders[f][0], orders[f][1], orders[f][2], &family);
        result = ConvertStlToDexels(kind, path, &family);
    }
    if (result == 1) {
        CleanConvertedWork(&work, 1);
        CheckEvenRays(work);
    }
    StlRayFamily family;
    DescribeRayFamily(&work, 0, 1, 2, &family);
    ConvertStlToDexelsOneDirection(kind, path, -1, &family);
    DestroyWorkModel(&work);
}

void CountTriangle(void* context, const double*, const double*)
{
    ++*static_cast<int*>(context);
}

void DrawFile(int kind, const char* path)
{
    int drawn = 0;
    g_PolygonSink = {CountTriangle, &drawn};
    const ModelRotation rotation = {1, 1, {1, 2, 3}, 0.6, 0.8};
    const double offset[3] = {5, 0, -5};
    DrawStlFile(kind, path, offset, &rotation, 3.0);
    g_PolygonSink = {nullptr, nullptr};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetWorkFileMemoryLimitForTest(8u << 20);
    const char* path = TempPath().c_str();
    FILE* f = std::fopen(path, "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    const int detected = DetectStlKind(path);
    const int kinds[4] = {detected, STL_ASCII, STL_BINARY_LE, STL_BINARY_BE};
    for (int kind : kinds) {
        ReadFacets(kind, path);
        CastOnSmallGrid(kind, path);
        DrawFile(kind, path);
    }
    WorkModel work{};
    work.undoLevels = 1;
    for (int axisCode : {0, 3, -2}) {
        if (LoadWorkModelIdentity(nullptr, &work, path, 1.0, axisCode) == 1) CheckEvenRays(work);
        DestroyWorkModel(&work);
        work.nodeCountX = 0;
    }
    std::remove(path);
    return 0;
}
