// Cleaning of a cast work: tidying each ray, reconciling the three families ray by ray through the
// perpendicular rays at the nodes inside each segment, and clearing the casting's marks.
#include "work_model/dexel_cleaning.h"

#include <algorithm>
#include <new>
#include <numeric>
#include <vector>

#include "work_model/dexel_intervals.h"
#include "work_model/ray_axes.h"
#include "work_model/stl_load_reports.h"

namespace {

enum {
    SELECTION_SORT_LIMIT = 64,
    BUFFER_ENDS = DEXEL_MAX_ENDS + 2,
};

// Segment marks of the reconciling: material, undecided, and which perpendicular ray said "none".
enum {
    MARK_MATERIAL = 1,
    MARK_NO_NODE = 250,
    MARK_NO_RAY = 251,
    MARK_SECOND_LONG_OUT = 252,
    MARK_FIRST_LONG_OUT = 253,
    MARK_SECOND_OUT = 254,
    MARK_FIRST_OUT = 255,
};

// Working copy of one ray.
struct RayBuffer {
    int count;
    std::vector<double> ends;
    std::vector<uint8_t> attributes;
    std::vector<int32_t> values;
};

void PrepareBuffer(RayBuffer* b)
{
    b->ends.resize(BUFFER_ENDS);
    b->attributes.resize(BUFFER_ENDS);
    b->values.resize(BUFFER_ENDS);
    b->count = 0;
}

void ReadRay(const DexelFamily* f, int d, RayBuffer* b)
{
    ReadDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, &b->count,
              b->ends.data(), b->attributes.data(), b->values.data());
}

void StoreRay(DexelFamily* f, int d, const RayBuffer* b)
{
    // A ray that could not be stored (beyond the limit, no memory) is emptied rather than left
    // holding ends the cleaning has given up on.
    if (!StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, b->ends.data(),
                    b->attributes.data(), b->values.data(), b->count))
        StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, nullptr, nullptr,
                   nullptr, 0);
}

// The four-end patterns kept as they are: a zero-length interval after or before a real one.
bool IsKeptFourEndPattern(const double* e)
{
    return (e[0] < e[1] && e[1] < e[2] && e[2] == e[3]) || (e[0] == e[1] && e[1] < e[2]);
}

// Merges equal neighbours (or-ing their attribute bytes) and evens out one and three ends.
void MergeEqualEnds(RayBuffer* b)
{
    double* e = b->ends.data();
    uint8_t* a = b->attributes.data();
    int kept = 1;
    for (int i = 1; i < b->count; i++) {
        if (e[i] == e[kept - 1]) {
            a[kept - 1] |= a[i];
        } else {
            e[kept] = e[i];
            a[kept] = a[i];
            kept++;
        }
    }
    if (kept == 1) {
        e[1] = e[0];
        a[1] = a[0];
        kept = 2;
    } else if (kept == 3) {
        e[1] = e[2];
        a[1] = a[2];
        kept = 2;
    }
    b->count = kept;
}

// Tidies one ray; returns true when it is one of the kept four-end patterns.
bool TidyRay(RayBuffer* b)
{
    SortDexelEnds(b->count, b->ends.data(), b->attributes.data());
    std::fill(b->values.begin(), b->values.begin() + std::max(b->count, 2), 0);
    if (b->count == 1) {
        b->count = 2;
        return false;
    }
    if (b->count == 4 && IsKeptFourEndPattern(b->ends.data())) return true;
    if (b->count >= 3) MergeEqualEnds(b);
    return false;
}

// A kept four-end pattern is not yet a pairing of entries and exits (the reconciling decides what
// lies between its ends), so its ends are held inside the range instead of being clipped as
// intervals: clipping [2, 2, 30, 30] to [0, 15] would leave only the zero-length [2, 2].
void ClampEndsToRange(RayBuffer* b, double lo, double hi)
{
    for (int i = 0; i < b->count; i++) {
        double& e = b->ends[size_t(i)];
        if (e < lo || e > hi) {
            e = e < lo ? lo : hi;
            b->attributes[size_t(i)] = 0;
        }
    }
}

void TidyFamilies(WorkModel* work, bool clip)
{
    RayBuffer b;
    PrepareBuffer(&b);
    static const int axes[3] = {2, 0, 1};  // Z-, X-, Y-rays
    for (int axis : axes) {
        DexelFamily* f = GetFamilyAlongAxis(work, axis);
        const double* coordinates = GetNodeCoordinatesAlongAxis(work, axis);
        const int last = GetNodeCountAlongAxis(work, axis) - 1;
        for (int d = 0; d < f->rayCount; d++) {
            if (f->counts[d] <= 0) continue;
            ReadRay(f, d, &b);
            const bool pattern = TidyRay(&b);
            if (clip && pattern)
                ClampEndsToRange(&b, coordinates[0], coordinates[last]);
            else if (clip)
                ClipDexelToRange(&b.count, b.ends.data(), b.attributes.data(), b.values.data(),
                                 coordinates[0], coordinates[last]);
            StoreRay(f, d, &b);
        }
        PumpDuringStlWork();
    }
}

// Index of the first end at or above lo (count when none).
int FindFirstAtOrAbove(int count, const double* ends, double lo)
{
    return int(std::lower_bound(ends, ends + count, lo) - ends);
}

}  // namespace

void SortDexelEnds(int count, double* ends, uint8_t* attributes)
{
    if (count == 1) {
        ends[1] = ends[0];
        attributes[1] = attributes[0];
        return;
    }
    if (count > SELECTION_SORT_LIMIT) {
        std::vector<int> order(static_cast<size_t>(count));
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return ends[a] < ends[b]; });
        std::vector<double> e(ends, ends + count);
        std::vector<uint8_t> a(attributes, attributes + count);
        for (int i = 0; i < count; i++) {
            ends[i] = e[size_t(order[size_t(i)])];
            attributes[i] = a[size_t(order[size_t(i)])];
        }
        return;
    }
    for (int i = 0; i < count - 1; i++) {
        int smallest = i;
        for (int j = i + 1; j < count; j++)
            if (ends[j] < ends[smallest]) smallest = j;
        std::swap(ends[i], ends[smallest]);
        std::swap(attributes[i], attributes[smallest]);
    }
}

void ClipDexelToRange(int* count, double* ends, uint8_t* attributes, int32_t* values, double lo,
                      double hi)
{
    const int n = *count;
    if (n <= 0) return;
    if (lo <= ends[0] && hi >= ends[n - 1]) return;
    if (hi <= ends[0] || lo >= ends[n - 1]) {
        *count = 0;
        return;
    }
    int first = 0, last = n - 1;
    if (lo > ends[0]) {
        first = FindFirstAtOrAbove(n, ends, lo);
        if (ends[first] == lo) {
            if (first % 2 == 1) first++;  // an exit on lo: its interval lies outside but for lo
        } else if (first % 2 == 1) {
            first--;                      // lo inside an interval: its entry moves to lo
            ends[first] = lo;
            attributes[first] = 0;
            values[first] = 0;
        }
    }
    if (hi < ends[n - 1]) {
        last = int(std::upper_bound(ends, ends + n, hi) - ends) - 1;
        if (ends[last] == hi) {
            if (last % 2 == 0) last--;    // an entry on hi
        } else if (last % 2 == 0) {
            last++;                       // hi inside an interval: its exit moves to hi
            ends[last] = hi;
            attributes[last] = 0;
            values[last] = 0;
        }
    }
    const int kept = last - first + 1;
    if (kept <= 0) {
        *count = 0;
        return;
    }
    for (int i = 0; i < kept; i++) {
        ends[i] = ends[first + i];
        attributes[i] = attributes[first + i];
        values[i] = values[first + i];
    }
    *count = kept;
}

void TidyDexelEnds(WorkModel* work)
{
    TidyFamilies(work, false);
}

void TidyAndClipDexels(WorkModel* work)
{
    TidyFamilies(work, true);
}

namespace {

// The two perpendicular axes that judge a family's segments (first, second).
void GetJudgingAxes(int axis, int* first, int* second)
{
    *first = axis == 2 ? 0 : 2;
    *second = axis == 1 ? 0 : 1;
}

// One perpendicular ray chosen for a segment.
struct JudgingRay {
    int found;
    int index;   // ray index in its family
    int count;   // its current count
};

// Chooses among the rays along judge at the inside nodes first..last of the rebuilt ray's axis: even
// counts only, a smaller count wins, an equal one while below the middle node; a ray of two ends
// after the first inside node ends the scan when it is chosen.
JudgingRay ChooseJudgingRay(WorkModel* work, int axis, int judge, int nodes[3], int first, int last)
{
    const DexelFamily* f = GetFamilyAlongAxis(work, judge);
    const int middle = (first + last) / 2;
    JudgingRay chosen = {0, 0, 0};
    const int keep = nodes[axis];
    for (int m = first; m <= last; m++) {
        nodes[axis] = m;
        const int d = GetRayIndexAlongAxis(work, judge, nodes);
        const int c = f->counts[d];
        if (c % 2 != 0) continue;
        if (!chosen.found || c < chosen.count || (c == chosen.count && m < middle)) {
            chosen = {1, d, c};
            if (c == 2 && m > first) break;
        }
    }
    nodes[axis] = keep;
    return chosen;
}

// 1 when coordinate lies in one of the ray's intervals (bounds included).
bool HoldsCoordinate(const DexelFamily* f, int d, double coordinate)
{
    const double* e = GetDexelEndsPointer(d, f->capacity, f->counts, f->ends);
    for (int i = 0; i + 1 < f->counts[d]; i += 2)
        if (coordinate >= e[i] && coordinate <= e[i + 1]) return true;
    return false;
}

// The mark of one segment whose inside nodes are first..last.
int MarkSegment(WorkModel* work, int axis, int nodes[3], int first, int last,
                const DexelCleaningState* state)
{
    int judges[2];
    GetJudgingAxes(axis, &judges[0], &judges[1]);
    JudgingRay rays[2];
    static const int shortOut[2] = {MARK_FIRST_OUT, MARK_SECOND_OUT};
    static const int longOut[2] = {MARK_FIRST_LONG_OUT, MARK_SECOND_LONG_OUT};
    for (int j = 0; j < 2; j++) {
        rays[j] = ChooseJudgingRay(work, axis, judges[j], nodes, first, last);
        if (rays[j].found && rays[j].count <= 2) {
            const double coordinate = GetNodeCoordinatesAlongAxis(work, judges[j])[nodes[judges[j]]];
            return rays[j].count == 2 &&
                           HoldsCoordinate(GetFamilyAlongAxis(work, judges[j]), rays[j].index, coordinate)
                       ? MARK_MATERIAL : shortOut[j];
        }
    }
    int j;
    if (rays[0].found && rays[1].found && rays[0].count == rays[1].count) {
        const int32_t* saved0 = state->savedCounts[judges[0]];
        const int32_t* saved1 = state->savedCounts[judges[1]];
        j = saved1[rays[1].index] < saved0[rays[0].index] ? 1 : 0;
    } else if (rays[0].found && (!rays[1].found || rays[0].count < rays[1].count)) {
        j = 0;
    } else if (rays[1].found) {
        j = 1;
    } else {
        return MARK_NO_RAY;
    }
    const double coordinate = GetNodeCoordinatesAlongAxis(work, judges[j])[nodes[judges[j]]];
    return HoldsCoordinate(GetFamilyAlongAxis(work, judges[j]), rays[j].index, coordinate)
               ? MARK_MATERIAL : longOut[j];
}

void AppendEnd(RayBuffer* out, const RayBuffer* in, int i, bool clearAttribute)
{
    out->ends[size_t(out->count)] = in->ends[size_t(i)];
    out->attributes[size_t(out->count)] = clearAttribute ? 0 : in->attributes[size_t(i)];
    out->values[size_t(out->count)] = in->values[size_t(i)];
    out->count++;
}

void ReplaceLastEnd(RayBuffer* out, const RayBuffer* in, int i)
{
    out->count--;
    AppendEnd(out, in, i, false);
}

// Rebuilds the ray in from its segment marks into out.
void RebuildFromMarks(const RayBuffer* in, const uint8_t* marks, RayBuffer* out)
{
    out->count = 0;
    AppendEnd(out, in, 0, false);
    const int segments = in->count - 1;
    for (int k = 0; k < segments; k++) {
        const bool open = out->count % 2 == 1, lastSegment = k == segments - 1;
        const int next = k + 1;
        if (marks[k] == MARK_MATERIAL) {
            if (open) AppendEnd(out, in, next, false);
            else ReplaceLastEnd(out, in, next);
        } else if (marks[k] >= MARK_SECOND_LONG_OUT) {
            if (lastSegment) continue;
            if (!open) {
                AppendEnd(out, in, next, false);
            } else if (out->count == 1 && k > 0) {
                AppendEnd(out, in, k, false);
                AppendEnd(out, in, next, false);
            } else {
                ReplaceLastEnd(out, in, next);
            }
        } else if (lastSegment) {
            if (open) AppendEnd(out, in, next, false);
            else ReplaceLastEnd(out, in, next);
        } else if (in->attributes[size_t(next)] == 0) {
            AppendEnd(out, in, next, true);
        }
    }
}

// Marks every segment of the ray through nodes (its own axis varying) held in in.
void MarkSegments(WorkModel* work, int axis, int nodes[3], const RayBuffer* in, uint8_t* marks,
                  const DexelCleaningState* state)
{
    const double* coordinates = GetNodeCoordinatesAlongAxis(work, axis);
    const int nodeCount = GetNodeCountAlongAxis(work, axis);
    for (int k = 0; k + 1 < in->count; k++) {
        const int first = int(std::upper_bound(coordinates, coordinates + nodeCount,
                                               in->ends[size_t(k)]) - coordinates);
        const int last = int(std::lower_bound(coordinates, coordinates + nodeCount,
                                              in->ends[size_t(k) + 1]) - coordinates) - 1;
        marks[k] = uint8_t(first > last ? int(MARK_NO_NODE) : MarkSegment(work, axis, nodes, first, last, state));
    }
}

// The cross nodes of ray d of the family along axis.
void GetRayNodes(const WorkModel* work, int axis, int d, int nodes[3])
{
    nodes[axis] = 0;
    if (axis == 2) {
        nodes[0] = d % work->nodeCountX;
        nodes[1] = d / work->nodeCountX;
    } else if (axis == 0) {
        nodes[1] = d % work->nodeCountY;
        nodes[2] = d / work->nodeCountY;
    } else {
        nodes[2] = d % work->nodeCountZ;
        nodes[0] = d / work->nodeCountZ;
    }
}

}  // namespace

void ReconcileDexelDirections(WorkModel* work, int pass, DexelCleaningState* state)
{
    RayBuffer in, out;
    PrepareBuffer(&in);
    PrepareBuffer(&out);
    std::vector<uint8_t> marks(BUFFER_ENDS);
    MarkDexelStorageChanged();
    for (int axis = 0; axis < 3; axis++) {  // X-, Y-, Z-rays
        if (pass == 1 && state->familyFlags[axis] == 0) continue;
        DexelFamily* f = GetFamilyAlongAxis(work, axis);
        for (int d = 0; d < f->rayCount; d++) {
            const int n = f->counts[d];
            if (pass == 1 && n == 1) {
                // Left with a single end by pass 0: no interval can be made of it.
                f->counts[d] = 0;
                continue;
            }
            if (n <= 2 || (pass == 1 && n % 2 == 0)) continue;
            int nodes[3];
            GetRayNodes(work, axis, d, nodes);
            ReadRay(f, d, &in);
            MarkSegments(work, axis, nodes, &in, marks.data(), state);
            RebuildFromMarks(&in, marks.data(), &out);
            if (out.count % 2 == 1) {
                if (pass == 1) out.count = 0;
                else state->familyFlags[axis] = 1;
            }
            StoreRay(f, d, &out);
        }
        PumpDuringStlWork();
    }
}

void ClearDexelAttributes(WorkModel* work)
{
    static const int axes[3] = {2, 0, 1};  // Z-, X-, Y-rays
    for (int axis : axes) {
        DexelFamily* f = GetFamilyAlongAxis(work, axis);
        for (int d = 0; d < f->rayCount; d++) {
            const int n = f->counts[d];
            if (n <= 0) continue;
            uint8_t* a = GetDexelAttributesPointer(d, f->capacity, f->counts, f->ends, f->attributes);
            int32_t* v = GetDexelValuesPointer(d, f->capacity, f->counts, f->values);
            std::fill(a, a + n, uint8_t(0));
            std::fill(v, v + n, 0);
        }
        PumpDuringStlWork();
    }
}

int CleanConvertedWork(WorkModel* work, int clipToGrid)
{
    TidyFamilies(work, clipToGrid == 1);
    DexelCleaningState state = {{nullptr, nullptr, nullptr}, {0, 0, 0}};
    int32_t* copies[3] = {nullptr, nullptr, nullptr};
    int result = 1;
    for (int axis = 0; axis < 3 && result == 1; axis++) {
        const DexelFamily* f = GetFamilyAlongAxis(work, axis);
        copies[axis] = new (std::nothrow) int32_t[size_t(std::max(f->rayCount, 1))];
        if (!copies[axis]) result = WORK_GRID_NO_MEMORY;
        else std::copy(f->counts, f->counts + f->rayCount, copies[axis]);
        state.savedCounts[axis] = copies[axis];
    }
    if (result == 1) {
        ReconcileDexelDirections(work, 0, &state);
        if (state.familyFlags[0] || state.familyFlags[1] || state.familyFlags[2])
            ReconcileDexelDirections(work, 1, &state);
        ClearDexelAttributes(work);
    }
    for (int32_t* copy : copies) delete[] copy;
    return result;
}
