// Passes over every end of the current undo level: pen colours and the paint mark in the attribute
// bytes, the material's extents (machine frame or active work coordinates) and interval counts.
#include "work_model/pens_paint.h"

#include <algorithm>

#include "platform/ui/shell_services.h"
#include "work_model/dexel_intervals.h"
#include "work_model/geometry.h"

namespace {

// The families in pass order: Z-, X-, Y-rays.
void GetFamiliesInPassOrder(WorkModel* work, DexelFamily* families[3])
{
    families[0] = &work->familyZ;
    families[1] = &work->familyX;
    families[2] = &work->familyY;
}

bool HasArrays(const WorkModel* work)
{
    return work->nodeCountX > 0 && work->familyZ.counts && work->familyX.counts &&
           work->familyY.counts;
}

// Applies byte = (byte & keep) | set to every attribute byte whose pen nibble matches (pen < 0: all).
void RewriteAttributes(WorkModel* work, int pen, uint8_t keep, uint8_t set)
{
    if (!HasArrays(work)) return;
    DexelFamily* families[3];
    GetFamiliesInPassOrder(work, families);
    for (DexelFamily* f : families) {
        for (int d = 0; d < f->rayCount; d++) {
            const int n = f->counts[d];
            if (n <= 0) continue;
            uint8_t* bytes = GetDexelAttributesPointer(d, f->capacity, f->counts, f->ends, f->attributes);
            for (int e = 0; e < n; e++)
                if (pen < 0 || (bytes[e] >> 4) == pen) bytes[e] = uint8_t((bytes[e] & keep) | set);
            if (g_PumpMessagesInLoops && (d & 0xFFFF) == 0) PumpMessagesDuringWork();
        }
    }
}

// Cross node coordinates of ray d of the family along axis: fills the two cross components of point.
void SetCrossCoordinates(const WorkModel* work, int axis, int d, double point[3])
{
    if (axis == 2) {  // Z-ray i + j * nodeCountX
        point[0] = work->coordinatesX[d % work->nodeCountX];
        point[1] = work->coordinatesY[d / work->nodeCountX];
    } else if (axis == 0) {  // X-ray j + k * nodeCountY
        point[1] = work->coordinatesY[d % work->nodeCountY];
        point[2] = work->coordinatesZ[d / work->nodeCountY];
    } else {  // Y-ray k + i * nodeCountZ
        point[2] = work->coordinatesZ[d % work->nodeCountZ];
        point[0] = work->coordinatesX[d / work->nodeCountZ];
    }
}

void MeasureExtents(const WorkModel* work, ConvertPointFn toWork, double minOut[3], double maxOut[3])
{
    for (int k = 0; k < 3; k++) {
        minOut[k] = 1e12;
        maxOut[k] = -1e12;
    }
    if (!HasArrays(work)) return;
    const DexelFamily* families[3] = {&work->familyZ, &work->familyX, &work->familyY};
    const int axes[3] = {2, 0, 1};
    for (int f = 0; f < 3; f++) {
        const DexelFamily* family = families[f];
        const int axis = axes[f];
        for (int d = 0; d < family->rayCount; d++) {
            const int n = family->counts[d];
            if (n <= 0) continue;
            const double* ends = GetDexelEndsPointer(d, family->capacity, family->counts,
                                                     const_cast<double*>(family->ends));
            double point[3];
            SetCrossCoordinates(work, axis, d, point);
            double placed[2][3];
            point[axis] = ends[0];
            TransformPoint(work->rotation, work->translation, point, placed[0]);
            point[axis] = ends[n - 1];
            TransformPoint(work->rotation, work->translation, point, placed[1]);
            if (toWork != nullptr) {
                for (double* p : placed) {
                    const double machine[3] = {p[0], p[1], p[2]};
                    toWork(machine, p);
                }
            }
            for (int k = 0; k < 3; k++) {
                minOut[k] = std::min(minOut[k], placed[0][k]);
                maxOut[k] = std::max(maxOut[k], placed[1][k]);
            }
        }
    }
}

}  // namespace

void ClearPenColour(WorkModel* work, int pen)
{
    if (pen < 1 || pen > 15) return;
    RewriteAttributes(work, pen, 0x0F, 0x00);
}

void ClearAllPenColours(WorkModel* work)
{
    RewriteAttributes(work, -1, 0x0F, 0x00);
}

void ClearPaint(WorkModel* work)
{
    RewriteAttributes(work, -1, 0xFE, 0x00);
}

void PaintAll(WorkModel* work)
{
    RewriteAttributes(work, -1, 0xFF, 0x01);
}

void GetWorkExtents(const WorkModel* work, double minOut[3], double maxOut[3])
{
    MeasureExtents(work, nullptr, minOut, maxOut);
}

void GetWorkExtentsInWorkCoords(const WorkModel* work, ConvertPointFn toWork, double minOut[3],
                                double maxOut[3])
{
    MeasureExtents(work, toWork, minOut, maxOut);
}

int64_t CountModelIntervals(const WorkModel* work, int* largestX, int* largestY, int* largestZ)
{
    int largest[3] = {0, 0, 0};  // X, Y, Z
    int64_t total = 0;
    if (HasArrays(work)) {
        const DexelFamily* families[3] = {&work->familyZ, &work->familyX, &work->familyY};
        const int axes[3] = {2, 0, 1};
        for (int f = 0; f < 3; f++) {
            for (int d = 0; d < families[f]->rayCount; d++) {
                const int intervals = std::max(families[f]->counts[d], 0) / 2;
                total += intervals;
                largest[axes[f]] = std::max(largest[axes[f]], intervals);
            }
        }
    }
    if (largestX) *largestX = largest[0];
    if (largestY) *largestY = largest[1];
    if (largestZ) *largestZ = largest[2];
    return total;
}
