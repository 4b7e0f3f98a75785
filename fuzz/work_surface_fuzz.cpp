// Feeds arbitrary rays to the work surface: a small grid whose rays take sorted ends from the input
// (on quarter cells, so that ends fall on nodes often), then the mesh export and the cell walk of the
// view. Every cell must stay within its segment limits and every loop must close or be given up, and
// the walk over the cells ray ends touch must give exactly what the walk over every cell gives.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "work_model/dexel_intervals.h"
#include "work_model/stl_writer.h"
#include "work_model/work_creation.h"
#include "work_model/work_mesh_export.h"
#include "work_model/work_surface.h"

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at;
    int Next()
    {
        return at < size ? data[at++] : 0;
    }
};

void FillFamily(WorkModel* work, int axis, Input* in)
{
    DexelFamily* f = axis == 0 ? &work->familyX : axis == 1 ? &work->familyY : &work->familyZ;
    const int nodes[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    const double length = work->pitch * (nodes[axis] - 1);
    std::vector<double> ends;
    for (int d = 0; d < f->rayCount; d++) {
        const int byte = in->Next();
        const int count = 2 * (byte % 4);
        ends.clear();
        double at = -work->pitch * 0.5;
        for (int e = 0; e < count; e++) {
            at += 0.25 * work->pitch * (in->Next() % 9);
            ends.push_back(at);
        }
        if (byte & 0x80) ends = {0.0, length};  // much of the grid stays full
        std::vector<uint8_t> attributes(ends.size(), 0);
        std::vector<int32_t> values(ends.size(), 0);
        StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, ends.data(),
                   attributes.data(), values.data(), int(ends.size()));
    }
}

void CheckCell(void*, const int faceFlags[CELL_FACE_COUNT], const FaceSegment* segments, int count)
{
    if (count < 0 || count > CELL_MAX_SEGMENTS) std::abort();
    ChainCellSegments(faceFlags, segments, count, [](void*, const double (*)[3], const uint8_t*, int points) {
        if (points < 3 || points > CELL_MAX_SEGMENTS + 1) std::abort();
    }, nullptr);
}

// Every sink call of a walk, flattened (flags, count, segment points, attributes and labels).
void RecordCell(void* context, const int faceFlags[CELL_FACE_COUNT], const FaceSegment* segments, int count)
{
    std::vector<double>* stream = static_cast<std::vector<double>*>(context);
    stream->insert(stream->end(), faceFlags, faceFlags + CELL_FACE_COUNT);
    stream->push_back(count);
    for (int s = 0; s < count; s++) {
        for (int p = 0; p < 2; p++) {
            stream->insert(stream->end(), segments[s].points[p], segments[s].points[p] + 3);
            stream->push_back(segments[s].attributes[p]);
        }
        stream->push_back(segments[s].label);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in = {data, size, 0};
    WorkModel work{};
    work.undoLevels = 1;
    const double box[6] = {0, 0, 0, double(1 + in.Next() % 5), double(1 + in.Next() % 5),
                           double(1 + in.Next() % 5)};
    if (CreateBoxWorkIdentity(&work, box, 1.0) != 1) return 0;
    for (int axis = 0; axis < 3; axis++) FillFamily(&work, axis, &in);
    FILE* sink = std::tmpfile();
    if (sink) {
        g_MeshOutput.stream = sink;
        g_MeshOutput.format = (in.Next() & 1) ? STL_OUT_BINARY : STL_OUT_ASCII;
        g_MeshOutput.toWorkCoordinates = 0;
        uint32_t facets = 0;
        ExportWorkMesh(&work, &facets);
        g_MeshOutput.stream = nullptr;
        std::fclose(sink);
    }
    const int lo[3] = {0, 0, 0}, hi[3] = {work.cellCountX, work.cellCountY, work.cellCountZ};
    WalkWorkCells(&work, lo, hi, nullptr, CheckCell, nullptr);
    // The walk over the cells ray ends touch gives what the walk over every cell gives, on a sub-box.
    const int cells[3] = {work.cellCountX, work.cellCountY, work.cellCountZ};
    int subLo[3], subHi[3];
    for (int a = 0; a < 3; a++) {
        subLo[a] = in.Next() % (cells[a] + 1);
        subHi[a] = subLo[a] + 1 + in.Next() % cells[a];
    }
    std::vector<double> dense, sparse;
    WalkWorkCells(&work, subLo, subHi, nullptr, RecordCell, &dense);
    if (WalkWorkCellsSparse(&work, subLo, subHi, nullptr, RecordCell, &sparse) == 1 && dense != sparse) std::abort();
    DestroyWorkModel(&work);
    return 0;
}
