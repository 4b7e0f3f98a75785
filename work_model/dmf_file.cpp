// The ".DMF" height-field reader: one height per grid column (float, or int32 times a scale), read
// twice (the largest height sizes the grid), turned into Z-rays from the base up to each height and
// then into the Y- and X-rays by slicing the height profiles.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

#include "work_model/dexel_intervals.h"
#include "work_model/height_profile_rays.h"
#include "work_model/matrix.h"
#include "work_model/work_files.h"
#include "work_model/work_files_internal.h"

namespace {

enum { DMF_MATRIX_OFFSET = 16, DMF_HEIGHTS_OFFSET = 156 };

// The numbers of the ".DMF" head that the reader uses.
struct DmfHead {
    double matrix[12];  // m0..m11
    int32_t cellsX;     // nx: cells per row (X nodes)
    int32_t rows;       // ny: rows (Y nodes)
    double pitch;
    double scale;       // 0: heights are floats; else int32 times scale
    int32_t colourMode; // >= 1 one colour byte per cell, >= 2 also one int32
    int32_t uniform;    // non-zero: one value stands for every cell
};

bool AreFinite(const double* values, int n)
{
    for (int i = 0; i < n; i++)
        if (!std::isfinite(values[i])) return false;
    return true;
}

int ReadDmfHead(WorkFileSource* source, DmfHead* head)
{
    int32_t ignoredInt;
    double ignoredDouble;
    if (!SeekSource(source, DMF_MATRIX_OFFSET) || !ReadSourceDoubles(source, head->matrix, 12) ||
        !ReadSourceInt32(source, &head->cellsX) || !ReadSourceInt32(source, &head->rows) ||
        !ReadSourceInt32(source, &ignoredInt) || !ReadSourceDouble(source, &head->pitch) ||
        !ReadSourceDouble(source, &ignoredDouble) || !ReadSourceDouble(source, &head->scale) ||
        !ReadSourceInt32(source, &head->colourMode) || !ReadSourceInt32(source, &head->uniform))
        return WORK_FILE_DATA_ERROR;
    if (!AreFinite(head->matrix, 12) || !std::isfinite(head->scale) || head->cellsX < 0 ||
        head->rows < 0)
        return WORK_FILE_DATA_ERROR;
    return 1;
}

uint64_t CountDmfCells(const DmfHead* head)
{
    return head->uniform ? 1 : uint64_t(head->cellsX) * uint64_t(head->rows);
}

// One height value at the precision the file gives: a float, or int32 x scale rounded to float.
// *exact receives the value before that rounding (the double product for scaled integers).
int ReadHeightValue(WorkFileSource* source, const DmfHead* head, double* height, double* exact)
{
    double value;
    if (head->scale == 0.0) {
        float f;
        if (!ReadSourceFloat(source, &f)) return 0;
        value = f;
    } else {
        int32_t i;
        if (!ReadSourceInt32(source, &i)) return 0;
        value = double(i) * head->scale;
    }
    if (!std::isfinite(value) || std::fabs(value) > double(FLT_MAX)) return 0;
    *height = double(float(value));
    if (exact) *exact = value;
    return 1;
}

// First pass: the largest height, the base (rounded and exact). Checks that the file holds every
// value its head announces.
int ReadDmfExtremes(WorkFileSource* source, const DmfHead* head, double* largest, double* base,
                    double* baseExact)
{
    const uint64_t cells = CountDmfCells(head);
    const uint64_t perCell = 4 + (head->colourMode >= 1 ? 1 : 0) + (head->colourMode >= 2 ? 4 : 0);
    const uint64_t remaining = GetSourceRemaining(source);
    if (remaining < 12 || cells > (remaining - 12) / perCell) return WORK_FILE_DATA_ERROR;
    *largest = -99999999999.0;
    for (uint64_t c = 0; c < cells; c++) {
        double h;
        if (!ReadHeightValue(source, head, &h, nullptr)) return WORK_FILE_DATA_ERROR;
        *largest = std::max(*largest, h);
    }
    uint64_t skip = 8;
    if (head->colourMode >= 1) skip += cells;
    if (head->colourMode >= 2) skip += 4 * cells;
    if (!SkipSourceBytes(source, skip) || !ReadHeightValue(source, head, base, baseExact))
        return WORK_FILE_DATA_ERROR;
    return 1;
}

// Node counts, grid, origin, arrays and corners. Returns 1 or a negative code.
int SetUpDmfGrid(WorkModel* work, const DmfHead* head, double largest, double base, double baseExact)
{
    if (!std::isfinite(head->pitch) || head->pitch <= 0.0) return WORK_FILE_DATA_ERROR;
    // Heights that do not rise a pitch above the base give no grid (fewer than two Z nodes).
    const double nodesZ = std::ceil((largest - base) / head->pitch) + 1.0;
    if (!(nodesZ >= 2.0) || nodesZ > 2147483647.0) return WORK_FILE_DATA_ERROR;
    work->nodeCountX = head->cellsX;
    work->nodeCountY = head->rows;
    work->nodeCountZ = int32_t(nodesZ);
    work->pitch = head->pitch;
    int result = SetUpWorkGrid(work);
    if (result != 1) return MapGridCodeForLoad(result);
    static const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const bool plain = std::equal(identity, identity + 9, head->matrix);
    work->originX = plain ? head->matrix[9] : head->matrix[3];
    work->originY = plain ? head->matrix[10] : head->matrix[7];
    work->originZ = baseExact;
    result = AllocateWorkModelArrays(work);
    if (result != 1) return result;
    work->minCorner[0] = work->originX;
    work->minCorner[1] = work->originY;
    work->minCorner[2] = base;
    work->maxCorner[0] = work->originX + (work->nodeCountX - 1) * work->pitch;
    work->maxCorner[1] = work->originY + (work->nodeCountY - 1) * work->pitch;
    work->maxCorner[2] = largest;
    return 1;
}

// Second pass: every Z-ray gets (base, height) with the attributes and values the file gives.
int FillDmfZRays(WorkModel* work, WorkFileSource* source, const DmfHead* head, double base)
{
    DexelFamily* z = &work->familyZ;
    const size_t c = size_t(z->capacity);
    MarkDexelStorageChanged();
    if (!SeekSource(source, DMF_HEIGHTS_OFFSET)) return WORK_FILE_DATA_ERROR;
    if (head->uniform) {
        double h;
        uint8_t colour = 0;
        int32_t value = 0;
        if (!ReadHeightValue(source, head, &h, nullptr) ||
            (head->colourMode >= 1 && !ReadSourceBytes(source, &colour, 1)) ||
            (head->colourMode >= 2 && !ReadSourceInt32(source, &value)))
            return WORK_FILE_DATA_ERROR;
        for (int d = 0; d < z->rayCount; d++) {
            z->ends[d * c] = base;
            z->ends[d * c + 1] = h;
            z->attributes[d * c] = 0;
            z->attributes[d * c + 1] = head->colourMode >= 1 ? colour : 0;
            z->values[d * c] = 0;
            z->values[d * c + 1] = head->colourMode >= 2 ? value : 0;
            z->counts[d] = 2;
        }
        return 1;
    }
    for (int d = 0; d < z->rayCount; d++) {
        double h;
        if (!ReadHeightValue(source, head, &h, nullptr)) return WORK_FILE_DATA_ERROR;
        z->ends[d * c] = base;
        z->ends[d * c + 1] = h;
        z->attributes[d * c] = z->attributes[d * c + 1] = 0;
        z->values[d * c] = z->values[d * c + 1] = 0;
        z->counts[d] = 2;
        if ((d + 1) % work->nodeCountX == 0) ReportRowProgress(4 * work->nodeCountX);
    }
    if (head->colourMode >= 1 && !SkipSourceBytes(source, uint64_t(z->rayCount)))
        return WORK_FILE_DATA_ERROR;
    if (head->colourMode >= 2) {
        for (int d = 0; d < z->rayCount; d++)
            if (!ReadSourceInt32(source, &z->values[d * c + 1])) return WORK_FILE_DATA_ERROR;
    }
    return 1;
}

}  // namespace

int ReadDmfContent(WorkModel* work, WorkFileSource* source, const double placement[12],
                   const ImportFrame* frame)
{
    double snapped[12];
    SnapRotationMatrix(placement, snapped);
    if (frame->inWorkCoordinates) {
        std::memcpy(snapped, frame->rotation, 9 * sizeof(double));
        std::memcpy(snapped + 9, frame->origin, 3 * sizeof(double));
    }
    std::memcpy(work->rotation, snapped, sizeof work->rotation);
    std::memcpy(work->translation, snapped + 9, sizeof work->translation);
    DmfHead head;
    double largest, base, baseExact;
    int result = ReadDmfHead(source, &head);
    if (result == 1) result = ReadDmfExtremes(source, &head, &largest, &base, &baseExact);
    if (result == 1) result = SetUpDmfGrid(work, &head, largest, base, baseExact);
    if (result == 1) result = FillDmfZRays(work, source, &head, base);
    if (result != 1) return result;
    if (!BuildSideRaysFromHeights(work, 1)) return WORK_GRID_NO_MEMORY;
    DropInvertedDexels(work, 2);
    // The corners are kept in the machine frame, as for every other work.
    BoundTransformedGrid(work, work->minCorner, work->maxCorner);
    return 1;
}
