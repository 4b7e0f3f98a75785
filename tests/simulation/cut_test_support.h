// Helpers of the cutting tests: a box work built directly on the grid (one interval per ray), tool
// records for the common shapes, point classification against a ray's intervals, and the neutral
// settings a cut starts from.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

#include "machine_setup/tools/current_tool.h"
#include "machine_setup/settings/display_settings.h"
#include "nc/interpreter_state.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "work_model/dexel_intervals.h"
#include "work_model/work_model.h"

// A box [lo, hi] on a grid whose node 0 lies at lo (hi - lo a multiple of the pitch).
inline int BuildBoxWork(WorkModel* work, const double lo[3], const double hi[3], double pitch)
{
    *work = WorkModel{};
    int nodes[3];
    for (int k = 0; k < 3; k++) nodes[k] = int(std::lround((hi[k] - lo[k]) / pitch)) + 1;
    work->nodeCountX = nodes[0];
    work->nodeCountY = nodes[1];
    work->nodeCountZ = nodes[2];
    work->pitch = pitch;
    work->originX = lo[0];
    work->originY = lo[1];
    work->originZ = lo[2];
    work->rotation[0] = work->rotation[4] = work->rotation[8] = 1.0;
    work->inverseRotation[0] = work->inverseRotation[4] = work->inverseRotation[8] = 1.0;
    if (SetUpWorkGrid(work) != 1) return 0;
    work->undoLevels = 1;
    if (AllocateWorkModelArrays(work) != 1) return 0;
    DexelFamily* families[3] = {&work->familyX, &work->familyY, &work->familyZ};
    for (int axis = 0; axis < 3; axis++) {
        const double ends[2] = {lo[axis], hi[axis]};
        const uint8_t attributes[2] = {0, 0};
        const int32_t values[2] = {0, 0};
        DexelFamily* f = families[axis];
        for (int d = 0; d < f->rayCount; d++)
            StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, ends, attributes, values, 2);
    }
    return 1;
}

inline ToolRecord MakeToolRecord(int type, double diameter, double cornerRadius, double cuttingLength)
{
    ToolRecord tool{};
    tool.defined = 1;
    tool.type = type;
    tool.diameter = float(diameter);
    tool.cornerRadius = float(cornerRadius);
    tool.cuttingLength = float(cuttingLength);
    tool.readCuttingLength = float(cuttingLength);
    return tool;
}

inline ToolLengthRecord MakeLengthRecord(int kind, std::vector<double> lengths)
{
    ToolLengthRecord length{};
    length.kind = kind;
    for (size_t k = 0; k < lengths.size() && k < 6; k++) length.lengths[k] = float(lengths[k]);
    length.semicolonValue = -1.0f;
    return length;
}

// Neutral check settings, a feed move, cleared flags and measurements.
inline void ResetCutSettings()
{
    g_ArborCheck = 0;
    g_HeightCheck = 0;
    g_ChipWidthCheck = 0;
    g_OutputLengthCheckAll = 0;
    g_MotionKind = 1;
    g_CycleRapidInHole = 0;
    g_MachineStepCount = 0;
    for (int& mark : g_StepCutMarks) mark = 0;
    ClearCheckFlags();
    ClearToolMeasureResult();
}

// One cut as the move stepping makes it: volume zeroed, flags cleared, colour and tag set.
inline double CutOnce(WorkModel* work, const double tip[3], const double axis[3], int32_t tag = 7)
{
    g_MoveRemovedVolume = 0.0;
    ClearCheckFlags();
    SetCutColourAndTag(tag);
    CutWorkAlongMove(work, tip, axis);
    return g_MoveRemovedVolume;
}

// The ends of ray d of a family.
inline std::vector<double> RayEnds(const DexelFamily& f, int d)
{
    const int n = f.counts[d];
    const double* e = GetDexelEndsPointer(d, f.capacity, f.counts, f.ends);
    return std::vector<double>(e, e + n);
}

// Total material length of a family times the cell area (a volume estimate of the work).
inline double FamilyVolume(const WorkModel& work, const DexelFamily& f, int nodes1, int nodes2)
{
    double volume = 0.0;
    for (int i2 = 0; i2 < nodes2; i2++) {
        for (int i1 = 0; i1 < nodes1; i1++) {
            const int d = i1 + i2 * nodes1;
            double weight = work.pitch * work.pitch;
            if (i1 == 0 || i1 == nodes1 - 1) weight *= 0.5;
            if (i2 == 0 || i2 == nodes2 - 1) weight *= 0.5;
            const std::vector<double> ends = RayEnds(f, d);
            for (size_t k = 0; k + 1 < ends.size(); k += 2) volume += (ends[k + 1] - ends[k]) * weight;
        }
    }
    return volume;
}

// FNV-1a hash of the counts, ends, attributes and line tags of every ray of the three families.
inline uint64_t HashWorkRays(const WorkModel& work)
{
    uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](const void* data, size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t k = 0; k < size; k++) {
            hash ^= bytes[k];
            hash *= 1099511628211ull;
        }
    };
    const DexelFamily* families[3] = {&work.familyX, &work.familyY, &work.familyZ};
    for (const DexelFamily* f : families) {
        for (int d = 0; d < f->rayCount; d++) {
            const int n = f->counts[d];
            add(&n, sizeof n);
            add(GetDexelEndsPointer(d, f->capacity, f->counts, f->ends), size_t(n) * sizeof(double));
            add(GetDexelAttributesPointer(d, f->capacity, f->counts, f->ends, f->attributes), size_t(n));
            add(GetDexelValuesPointer(d, f->capacity, f->counts, f->values), size_t(n) * sizeof(int32_t));
        }
    }
    return hash;
}
