// Box and cylinder works and the automatic work pitch: the grid is laid over the stock, every ray
// is filled with its intervals (directly in its inline slots where they fit), and the placement is set. Also moving a
// work in the machine frame.
#include "work_model/work_creation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "work_model/dexel_intervals.h"
#include "work_model/work_values.h"
#include "work_model/matrix.h"
#include "work_model/ray_axes.h"

const double g_AutoPitchTable[AUTO_PITCH_TABLE_SIZE] = {
    0.001, 0.002, 0.005, 0.01, 0.02, 0.025, 0.05, 0.1, 0.2, 0.25, 0.5, 1,
    1.5,   2,     2.5,   3,    4,    5,     6,    7,   8,   9,    10};

namespace {

const double kIdentityPlacement[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};

// An extent within this fraction of the pitch of a whole number of pitches is that whole number: the
// quotient of two typed decimals (0.3 / 0.1 = 2.9999999999999996) and the node coordinates
// (3 x 0.1 = 0.30000000000000004) carry rounding the user never meant.
const double kWholePitchTolerance = 1e-6;

// Cells of the grid over extent: the whole number of pitches when extent is one (within the
// tolerance), else one more than the whole cells (a partial last cell).
double CountGridCells(double extent, double pitch)
{
    const double q = extent / pitch;
    const double whole = std::nearbyint(q);
    return std::fabs(q - whole) <= kWholePitchTolerance ? whole : std::ceil(q);
}

// 1 when the node coordinate lies beyond the face (by more than the tolerance).
bool IsBeyondFace(double node, double face, double pitch) { return node > face + kWholePitchTolerance * pitch; }

// Cells + 1 as a node count; WORK_GRID_* when it is no usable count.
int ComputeNodeCount(double extent, double pitch, int32_t* nodes)
{
    if (!std::isfinite(pitch) || pitch <= 0.0) return WORK_GRID_BAD_PITCH;
    const double count = CountGridCells(extent, pitch) + 1.0;
    if (!std::isfinite(extent) || count < 2.0) return WORK_GRID_BAD_NODE_COUNT;
    if (count > 2147483647.0) return WORK_GRID_TOO_LARGE;
    *nodes = int32_t(count);
    return 1;
}

// Writes up to four ends (attribute 0, value 0) into ray d of a fresh family: into its slots, or
// into separate arrays when the family keeps fewer inline. Returns 1, or 0 when those arrays
// cannot be obtained.
int SetFreshRay(DexelFamily* family, int d, const double* ends, int count)
{
    MarkDexelStorageChanged();
    if (count > family->capacity)
        return StoreDexel(d, family->capacity, family->counts, family->ends, family->attributes,
                          family->values, ends, nullptr, nullptr, count);
    const size_t base = size_t(d) * size_t(family->capacity);
    for (int e = 0; e < count; e++) {
        family->ends[base + e] = ends[e];
        family->attributes[base + e] = 0;
        family->values[base + e] = 0;
    }
    family->counts[d] = count;
    return 1;
}

int FailCreation(WorkModel* work, int code)
{
    DestroyWorkModel(work);
    work->nodeCountX = 0;
    return code;
}

void SetPlacement(WorkModel* work, const double placement[12])
{
    std::memcpy(work->rotation, placement, sizeof work->rotation);
    std::memcpy(work->translation, placement + 9, sizeof work->translation);
}

void FinishPlacement(WorkModel* work)
{
    InvertMatrix3(work->rotation, work->inverseRotation);
    for (int k = 0; k < 3; k++) work->inverseTranslation[k] = -work->translation[k];
    UpdateWorkHasPlacement(work);
}

// Sets node counts, pitch, grid, origin and arrays. Returns 1 or the negative code (record emptied).
int BuildGrid(WorkModel* work, const int32_t nodes[3], const double origin[3], double pitch)
{
    for (int axis = 0; axis < 3; axis++)
        if (!std::isfinite(origin[axis])) return FailCreation(work, WORK_GRID_BAD_NODE_COUNT);
    work->nodeCountX = nodes[0];
    work->nodeCountY = nodes[1];
    work->nodeCountZ = nodes[2];
    work->pitch = pitch;
    int result = SetUpWorkGrid(work);
    if (result != 1) return FailCreation(work, result);
    work->originX = origin[0];
    work->originY = origin[1];
    work->originZ = origin[2];
    result = AllocateWorkModelArrays(work);
    if (result != 1) return FailCreation(work, result);
    return 1;
}

}  // namespace

void ChooseAutoWorkPitch()
{
    double p = g_WorkPitchSetting;
    if (g_AutoWorkPitch == 1) {
        double extents[3];
        for (int axis = 0; axis < 3; axis++)
            extents[axis] = g_InitialSizeMaxCorner[axis] - g_InitialSizeMinCorner[axis];
        for (double candidate : g_AutoPitchTable) {
            double n[3];
            for (int axis = 0; axis < 3; axis++)
                n[axis] = std::max(2.0, std::trunc(extents[axis] / candidate + 1.5));
            if (2.0 * (n[0] * n[1] + (n[0] + n[1]) * n[2]) <= double(g_AutoPitchCells)) {
                p = candidate;
                g_WorkPitchSetting = p;
                break;
            }
        }
        if (g_MinimumWorkPitch > 0.0 && p <= g_MinimumWorkPitch) {
            p = g_MinimumWorkPitch;
            g_WorkPitchSetting = p;
        }
    }
    g_WorkPitch = p;
    if (g_AutoMovePitch == 1) g_MovePitch = g_AutoMovePitchFactor * p;
}

int CreateBoxWork(WorkModel* work, const double box[6], const double placement[12], double pitch)
{
    DestroyWorkModel(work);
    int32_t nodes[3];
    for (int axis = 0; axis < 3; axis++) {
        const int result = ComputeNodeCount(box[axis + 3] - box[axis], pitch, &nodes[axis]);
        if (result != 1) return FailCreation(work, result);
    }
    const int result = BuildGrid(work, nodes, box, pitch);
    if (result != 1) return result;
    SetPlacement(work, placement);
    for (int axis = 0; axis < 3; axis++) {
        work->minCorner[axis] = box[axis];
        work->maxCorner[axis] = box[axis + 3];
    }
    // A ray is empty when one of its cross nodes is the last node of its axis and lies beyond the box.
    bool beyond[3];
    for (int axis = 0; axis < 3; axis++) {
        const int last = GetNodeCountAlongAxis(work, axis) - 1;
        beyond[axis] = IsBeyondFace(GetNodeCoordinatesAlongAxis(work, axis)[last], box[axis + 3], pitch);
    }
    for (int axis = 0; axis < 3; axis++) {
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        const int lastU = GetNodeCountAlongAxis(work, u) - 1, lastV = GetNodeCountAlongAxis(work, v) - 1;
        const double interval[2] = {box[axis], box[axis + 3]};
        DexelFamily* family = GetFamilyAlongAxis(work, axis);
        int nodes[3] = {0, 0, 0};
        for (nodes[v] = 0; nodes[v] <= lastV; nodes[v]++) {
            for (nodes[u] = 0; nodes[u] <= lastU; nodes[u]++) {
                const bool empty = (nodes[u] == lastU && beyond[u]) || (nodes[v] == lastV && beyond[v]);
                SetFreshRay(family, GetRayIndexAlongAxis(work, axis, nodes), interval, empty ? 0 : 2);
            }
        }
    }
    FinishPlacement(work);
    return 1;
}

int CreateBoxWorkIdentity(WorkModel* work, const double box[6], double pitch)
{
    return CreateBoxWork(work, box, kIdentityPlacement, pitch);
}

namespace {

// Fills the rays along the cylinder axis w: material over [S_w, S_w + L] where r <= d <= R.
void FillAxialRays(WorkModel* work, int w, const double start[3], double length, double outer,
                   double inner, int centreNode)
{
    const int u = (w + 1) % 3, v = (w + 2) % 3;
    const double interval[2] = {start[w], start[w] + length};
    DexelFamily* family = GetFamilyAlongAxis(work, w);
    int nodes[3] = {0, 0, 0};
    for (nodes[v] = 0; nodes[v] < GetNodeCountAlongAxis(work, v); nodes[v]++) {
        for (nodes[u] = 0; nodes[u] < GetNodeCountAlongAxis(work, u); nodes[u]++) {
            const double du = (nodes[u] - centreNode) * work->pitch;
            const double dv = (nodes[v] - centreNode) * work->pitch;
            const double d2 = du * du + dv * dv;
            const bool full = inner * inner <= d2 && d2 <= outer * outer;
            SetFreshRay(family, GetRayIndexAlongAxis(work, w, nodes), interval, full ? 2 : 0);
        }
    }
}

// Fills the rays along cross axis a (the other cross axis b) of a cylinder along w. Returns 1, or
// 0 when the separate arrays of a ray crossing the bore cannot be obtained.
int FillCrossRays(WorkModel* work, int w, int a, int b, const double start[3], double length,
                   double outer, double inner, int centreNode)
{
    DexelFamily* family = GetFamilyAlongAxis(work, a);
    const double* axial = GetNodeCoordinatesAlongAxis(work, w);
    const double c = start[a];
    int nodes[3] = {0, 0, 0};
    for (nodes[w] = 0; nodes[w] < GetNodeCountAlongAxis(work, w); nodes[w]++) {
        for (nodes[b] = 0; nodes[b] < GetNodeCountAlongAxis(work, b); nodes[b]++) {
            const double delta = (nodes[b] - centreNode) * work->pitch;
            const int d = GetRayIndexAlongAxis(work, a, nodes);
            if (IsBeyondFace(axial[nodes[w]], start[w] + length, work->pitch) || std::fabs(delta) > outer) {
                SetFreshRay(family, d, nullptr, 0);
                continue;
            }
            const double hOuter = std::sqrt(outer * outer - delta * delta);
            if (std::fabs(delta) < inner) {
                const double hInner = std::sqrt(inner * inner - delta * delta);
                const double ends[4] = {c - hOuter, c - hInner, c + hInner, c + hOuter};
                if (!SetFreshRay(family, d, ends, 4)) return 0;
            } else {
                const double ends[2] = {c - hOuter, c + hOuter};
                SetFreshRay(family, d, ends, 2);
            }
        }
    }
    return 1;
}

}  // namespace

int CreateCylinderWork(WorkModel* work, const double start[3], int axis, double length,
                       double outerRadius, double innerRadius, double pitch)
{
    if (!std::isfinite(outerRadius) || !std::isfinite(innerRadius) || innerRadius < 0.0 ||
        innerRadius > outerRadius) {
        return FailCreation(work, WORK_CREATE_BAD_RADIUS);
    }
    const int w = axis == 0 || axis == 1 ? axis : 2;
    const int u = (w + 1) % 3, v = (w + 2) % 3;
    DestroyWorkModel(work);
    int32_t nodes[3];
    int result = ComputeNodeCount(length, pitch, &nodes[w]);
    if (result != 1) return FailCreation(work, result);
    const double t = CountGridCells(outerRadius, pitch);
    if (t < 1.0) return FailCreation(work, WORK_GRID_BAD_NODE_COUNT);
    if (2.0 * t + 1.0 > 2147483647.0) return FailCreation(work, WORK_GRID_TOO_LARGE);
    nodes[u] = nodes[v] = 2 * int32_t(t) + 1;
    double origin[3];
    origin[w] = start[w];
    origin[u] = start[u] - t * pitch;  // the axis passes through node t of both cross axes
    origin[v] = start[v] - t * pitch;
    result = BuildGrid(work, nodes, origin, pitch);
    if (result != 1) return result;
    SetPlacement(work, kIdentityPlacement);
    for (int k = 0; k < 3; k++) {
        work->minCorner[k] = k == w ? start[w] : start[k] - outerRadius;
        work->maxCorner[k] = k == w ? start[w] + length : start[k] + outerRadius;
    }
    const int centreNode = int(t);
    FillAxialRays(work, w, start, length, outerRadius, innerRadius, centreNode);
    if (!FillCrossRays(work, w, u, v, start, length, outerRadius, innerRadius, centreNode) ||
        !FillCrossRays(work, w, v, u, start, length, outerRadius, innerRadius, centreNode))
        return FailCreation(work, WORK_GRID_NO_MEMORY);
    FinishPlacement(work);
    return 0;
}

void MoveWork(WorkModel* work, const double offset[3])
{
    for (int k = 0; k < 3; k++) {
        work->translation[k] += offset[k];
        work->inverseTranslation[k] -= offset[k];
    }
    // The placement is shared by every undo level, so every level's corners move with it.
    if (!work->levelMaxCorners || !work->levelMinCorners) return;
    for (int level = 0; level < work->undoLevels; level++) {
        double* corners[2] = {work->levelMaxCorners[level], work->levelMinCorners[level]};
        for (double* corner : corners)
            if (corner)
                for (int k = 0; k < 3; k++) corner[k] += offset[k];
    }
}
