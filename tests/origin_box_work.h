// A box work for tests and benchmarks that cut or draw it: node 0 at the origin, an identity
// placement, one undo level, every ray one interval from 0 to the box's size along its axis, pen 0.
#pragma once
#include <cmath>
#include <cstdint>

#include "work_model/dexel_intervals.h"
#include "work_model/work_model.h"

inline bool BuildOriginBoxWork(WorkModel* work, const double size[3], double pitch)
{
    *work = WorkModel{};
    work->nodeCountX = int(std::lround(size[0] / pitch)) + 1;
    work->nodeCountY = int(std::lround(size[1] / pitch)) + 1;
    work->nodeCountZ = int(std::lround(size[2] / pitch)) + 1;
    work->pitch = pitch;
    work->rotation[0] = work->rotation[4] = work->rotation[8] = 1.0;
    work->inverseRotation[0] = work->inverseRotation[4] = work->inverseRotation[8] = 1.0;
    if (SetUpWorkGrid(work) != 1) return false;
    work->undoLevels = 1;
    if (AllocateWorkModelArrays(work) != 1) return false;
    DexelFamily* families[3] = {&work->familyX, &work->familyY, &work->familyZ};
    const uint8_t attributes[2] = {0, 0};
    const int32_t values[2] = {0, 0};
    for (int axis = 0; axis < 3; axis++) {
        const double ends[2] = {0.0, size[axis]};
        DexelFamily* f = families[axis];
        for (int d = 0; d < f->rayCount; d++)
            StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, ends, attributes, values, 2);
    }
    return true;
}
