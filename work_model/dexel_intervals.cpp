// Storage of one ray (inline slots or three separate arrays referenced from the slots), the ray
// readers, and the interval operations: subtraction (with volume and sliver rule, with cleared
// marks, on plain lists) and union into a plain list. All coordinate comparisons are exact.
#include "work_model/dexel_intervals.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

template <class T>
T* ReadSlotPointer(const void* slot)
{
    T* pointer;
    std::memcpy(&pointer, slot, sizeof pointer);
    return pointer;
}

void WriteSlotPointer(void* slot, const void* pointer)
{
    std::memcpy(slot, &pointer, sizeof pointer);
}

// Copies n entries (or zeros when source is null); the areas may overlap.
template <class T>
void CopyEntries(T* target, const T* source, int n)
{
    if (n <= 0) return;
    if (source)
        std::memmove(target, source, size_t(n) * sizeof(T));
    else
        std::memset(target, 0, size_t(n) * sizeof(T));
}

// The slot holding the address of a long ray's separate attributes (see GetDexelAttributesPointer).
void* AttributesAddressSlot(size_t base, int c, double* ends, uint8_t* attributes)
{
    if (DexelAttributeSlotsHoldAddress(c)) return attributes + base;
    return ends + base + 1;
}

struct SeparateArrays {
    double* ends;
    uint8_t* attributes;
    int32_t* values;
};

bool AllocateSeparateArrays(SeparateArrays* arrays, int n)
{
    arrays->ends = static_cast<double*>(std::malloc(size_t(n) * sizeof(double)));
    arrays->attributes = static_cast<uint8_t*>(std::malloc(size_t(n)));
    arrays->values = static_cast<int32_t*>(std::malloc(size_t(n) * sizeof(int32_t)));
    if (arrays->ends && arrays->attributes && arrays->values) return true;
    std::free(arrays->ends);
    std::free(arrays->attributes);
    std::free(arrays->values);
    return false;
}

}  // namespace

int GetDexelSeparateCapacity(int count)
{
    int capacity = 16;
    while (capacity < count) capacity += (capacity >> 1) & ~1;
    return count <= DEXEL_MAX_ENDS && capacity > DEXEL_MAX_ENDS ? DEXEL_MAX_ENDS : capacity;
}

namespace {

std::atomic<uint64_t> s_StorageGeneration{1};

}  // namespace

uint64_t GetDexelStorageGeneration()
{
    return s_StorageGeneration.load(std::memory_order_acquire);
}

void MarkDexelStorageChanged()
{
    s_StorageGeneration.fetch_add(1, std::memory_order_acq_rel);
}

int StoreDexel(int d, int c, int32_t* counts, double* ends, uint8_t* attributes, int32_t* values,
               const double* newEnds, const uint8_t* newAttributes, const int32_t* newValues,
               int newCount)
{
    MarkDexelStorageChanged();
    return StoreDexelKeepingGeneration(d, c, counts, ends, attributes, values, newEnds, newAttributes,
                                       newValues, newCount);
}

int StoreDexelKeepingGeneration(int d, int c, int32_t* counts, double* ends, uint8_t* attributes,
                                int32_t* values, const double* newEnds, const uint8_t* newAttributes,
                                const int32_t* newValues, int newCount)
{
    if (newCount < 0 || newCount > DEXEL_MAX_ENDS) return 0;
    const size_t base = size_t(d) * size_t(c);
    const int oldCount = counts[d];
    const int n = newCount;
    if (oldCount > c && n > c && GetDexelSeparateCapacity(n) == GetDexelSeparateCapacity(oldCount)) {
        // The separate arrays have room: overwrite in place.
        CopyEntries(ReadSlotPointer<double>(ends + base), newEnds, n);
        CopyEntries(ReadSlotPointer<uint8_t>(AttributesAddressSlot(base, c, ends, attributes)),
                    newAttributes, n);
        CopyEntries(ReadSlotPointer<int32_t>(values + base), newValues, n);
        counts[d] = n;
        return 1;
    }
    SeparateArrays old = {nullptr, nullptr, nullptr};
    if (oldCount > c)
        old = SeparateArrays{ReadSlotPointer<double>(ends + base),
                             ReadSlotPointer<uint8_t>(AttributesAddressSlot(base, c, ends, attributes)),
                             ReadSlotPointer<int32_t>(values + base)};
    if (n > c) {
        SeparateArrays fresh;
        if (!AllocateSeparateArrays(&fresh, GetDexelSeparateCapacity(n))) return 0;  // ray left as it was
        CopyEntries(fresh.ends, newEnds, n);
        CopyEntries(fresh.attributes, newAttributes, n);
        CopyEntries(fresh.values, newValues, n);
        WriteSlotPointer(ends + base, fresh.ends);
        WriteSlotPointer(AttributesAddressSlot(base, c, ends, attributes), fresh.attributes);
        WriteSlotPointer(values + base, fresh.values);
    } else {
        // Copy before releasing: the new entries may come from the old separate arrays.
        CopyEntries(ends + base, newEnds, n);
        CopyEntries(attributes + base, newAttributes, n);
        CopyEntries(values + base, newValues, n);
    }
    std::free(old.ends);
    std::free(old.attributes);
    std::free(old.values);
    counts[d] = n;
    return 1;
}

int StoreDexelOfFamily(WorkModel* work, int family, int i, int j, const double* newEnds,
                       const uint8_t* newAttributes, const int32_t* newValues, int newCount)
{
    DexelFamily* f;
    int d;
    if (family == 2) {
        f = &work->familyZ;
        d = i + j * work->nodeCountX;
    } else if (family == 1) {
        f = &work->familyY;
        d = i + j * work->nodeCountZ;
    } else {
        f = &work->familyX;
        d = i + j * work->nodeCountY;
    }
    return StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, newEnds,
                      newAttributes, newValues, newCount);
}

void ReadDexel(int d, int c, const int32_t* counts, const double* ends, const uint8_t* attributes,
               const int32_t* values, int* count, double* outEnds, uint8_t* outAttributes,
               int32_t* outValues)
{
    const int n = counts[d];
    *count = n;
    if (n <= 0) return;
    std::memcpy(outEnds, GetDexelEndsPointer(d, c, counts, const_cast<double*>(ends)),
                size_t(n) * sizeof(double));
    std::memcpy(outAttributes,
                GetDexelAttributesPointer(d, c, counts, ends, const_cast<uint8_t*>(attributes)),
                size_t(n));
    std::memcpy(outValues, GetDexelValuesPointer(d, c, counts, const_cast<int32_t*>(values)),
                size_t(n) * sizeof(int32_t));
}

void ReadDexelEnds(int d, int c, const int32_t* counts, const double* ends, int* count,
                   double* outEnds)
{
    const int n = counts[d];
    *count = n;
    if (n <= 0) return;
    std::memcpy(outEnds, GetDexelEndsPointer(d, c, counts, const_cast<double*>(ends)),
                size_t(n) * sizeof(double));
}

void ReadDexelEndsValues(int d, int c, const int32_t* counts, const double* ends,
                         const int32_t* values, int* count, double* outEnds, int32_t* outValues)
{
    ReadDexelEnds(d, c, counts, ends, count, outEnds);
    if (*count <= 0) return;
    std::memcpy(outValues, GetDexelValuesPointer(d, c, counts, const_cast<int32_t*>(values)),
                size_t(*count) * sizeof(int32_t));
}

void ReadDexelEndsAttributes(int d, int c, const int32_t* counts, const double* ends,
                             const uint8_t* attributes, int* count, double* outEnds,
                             uint8_t* outAttributes)
{
    ReadDexelEnds(d, c, counts, ends, count, outEnds);
    if (*count <= 0) return;
    std::memcpy(outAttributes,
                GetDexelAttributesPointer(d, c, counts, ends, const_cast<uint8_t*>(attributes)),
                size_t(*count));
}

void ReadDexelAttributes(int d, int c, const int32_t* counts, const uint8_t* attributes,
                         uint8_t* outAttributes)
{
    const int n = counts[d];
    if (n <= 0) return;
    const uint8_t* source =
        GetDexelEntriesPointer(d, c, counts, const_cast<uint8_t*>(attributes));
    if (source) std::memcpy(outAttributes, source, size_t(n));
}

void RestoreDexelAttributes(int d, int c, const int32_t* counts, uint8_t* attributes,
                            const uint8_t* source)
{
    const int n = counts[d];
    if (n <= 0) return;
    uint8_t* target = GetDexelEntriesPointer(d, c, counts, attributes);
    if (target) std::memcpy(target, source, size_t(n));
}

namespace {

// Moves entries [from, count) of the ray to start at `to` (ends and, when present, marks).
inline void ShiftEntries(double* ends, uint8_t* attributes, int32_t* values, int from, int to,
                         int count)
{
    const int n = count - from;
    if (n <= 0) return;
    std::memmove(ends + to, ends + from, size_t(n) * sizeof(double));
    if (attributes) std::memmove(attributes + to, attributes + from, size_t(n));
    if (values) std::memmove(values + to, values + from, size_t(n) * sizeof(int32_t));
}

inline void SetEnd(double* ends, uint8_t* attributes, int32_t* values, int k, double x,
                   uint8_t attribute, int32_t value)
{
    ends[k] = x;
    if (attributes) attributes[k] = attribute;
    if (values) values[k] = value;
}

// Index of the first interval whose exit lies above a (n when none): a scan for short rays,
// a binary search over the exits for long ones.
inline int FindFirstExitAbove(const double* ends, int n, double a)
{
    if (n <= 16) {
        int k = 0;
        while (k < n && ends[k + 1] <= a) k += 2;
        return k;
    }
    int low = 0, high = n / 2;  // interval indices
    while (low < high) {
        const int middle = (low + high) / 2;
        if (ends[2 * middle + 1] <= a)
            low = middle + 1;
        else
            high = middle;
    }
    return 2 * low;
}

// Records one removed piece and its volume.
struct Removal {
    double* pieces;
    int count;
    double* volume;  // the caller's sum, added to piece by piece
};

template <bool measure>
inline void RecordPiece(Removal* removal, double start, double end, double length, double cellArea)
{
    if (!measure) return;
    removal->pieces[removal->count++] = start;
    removal->pieces[removal->count++] = end;
    *removal->volume += length * cellArea;
}

// Shared subtraction. With `measure` the volume and pieces are recorded and the sliver rule
// applies. Intervals wholly inside the cut are removed with one move of the rest of the ray.
template <bool measure>
inline void SubtractInterval(double* ends, uint8_t* attributes, int32_t* values, int* count,
                             double pitch, double origin, double cellArea, double* removedVolume,
                             double* pieces, int* removedCount, double a, double b,
                             const uint8_t attributePair[2], const int32_t valuePair[2])
{
    const int n = *count;
    Removal removal{pieces, 0, removedVolume};
    // An empty or reversed cut (or one with a NaN end) removes nothing.
    int k = a < b ? FindFirstExitAbove(ends, n, a) : n;  // intervals ending at or below a stay
    if (k < n && ends[k] < b) {
        const double s = ends[k];
        const double t = ends[k + 1];
        if (s < a && b < t) {  // the cut lies inside this interval
            bool split = true;
            if (measure && b - a < pitch) {  // sliver rule
                const double cellOfA = std::trunc((a - origin) / pitch);
                const double cellEndOfB = std::ceil((b - origin) / pitch);
                if (cellEndOfB == cellOfA + 1.0) {
                    if (std::trunc((t - origin) / pitch) == cellOfA) {  // exit shares the cut's cell
                        SetEnd(ends, attributes, values, k + 1, a, attributePair[0], valuePair[0]);
                        RecordPiece<measure>(&removal, a, t, b - a, cellArea);
                        split = false;
                    } else if (std::ceil((s - origin) / pitch) == cellEndOfB) {  // entry shares it
                        SetEnd(ends, attributes, values, k, b, attributePair[1], valuePair[1]);
                        RecordPiece<measure>(&removal, s, b, b - a, cellArea);
                        split = false;
                    }
                }
            }
            if (split) {
                ShiftEntries(ends, attributes, values, k + 1, k + 3, n);
                SetEnd(ends, attributes, values, k + 1, a, attributePair[0], valuePair[0]);
                SetEnd(ends, attributes, values, k + 2, b, attributePair[1], valuePair[1]);
                *count = n + 2;
                RecordPiece<measure>(&removal, a, b, b - a, cellArea);
            }
        } else {
            if (s < a) {  // the cut covers the exit
                SetEnd(ends, attributes, values, k + 1, a, attributePair[0], valuePair[0]);
                RecordPiece<measure>(&removal, a, t, t - a, cellArea);
                k += 2;
            }
            int j = k;
            while (j < n && ends[j + 1] <= b) {  // wholly inside the cut
                RecordPiece<measure>(&removal, ends[j], ends[j + 1], ends[j + 1] - ends[j], cellArea);
                j += 2;
            }
            if (j < n && ends[j] < b) {  // the cut covers the entry
                RecordPiece<measure>(&removal, ends[j], b, b - ends[j], cellArea);
                SetEnd(ends, attributes, values, j, b, attributePair[1], valuePair[1]);
            }
            if (j > k) {
                ShiftEntries(ends, attributes, values, j, k, n);
                *count = n - (j - k);
            }
        }
    }
    if (measure) *removedCount = removal.count;
}

const uint8_t kZeroAttributes[2] = {0, 0};
const int32_t kZeroValues[2] = {0, 0};

}  // namespace

void SubtractDexelIntervalWithVolume(double* ends, uint8_t* attributes, int32_t* values, int* count,
                                     double pitch, const double* rayCoordinates, double cellArea,
                                     double* removedVolume, double* removedPieces,
                                     int* removedCount, double a, double b,
                                     const uint8_t attributePair[2], const int32_t valuePair[2])
{
    SubtractInterval<true>(ends, attributes, values, count, pitch, rayCoordinates[0], cellArea,
                           removedVolume, removedPieces, removedCount, a, b, attributePair,
                           valuePair);
}

void SubtractDexelIntervalClearMarks(double* ends, uint8_t* attributes, int32_t* values, int* count,
                                     double a, double b)
{
    SubtractInterval<false>(ends, attributes, values, count, 0.0, 0.0, 0.0, nullptr, nullptr,
                            nullptr, a, b, kZeroAttributes, kZeroValues);
}

void SubtractPlainInterval(double* ends, int* count, double a, double b)
{
    SubtractInterval<false>(ends, nullptr, nullptr, count, 0.0, 0.0, 0.0, nullptr, nullptr,
                            nullptr, a, b, kZeroAttributes, kZeroValues);
}

void UniteDexelInterval(double* ends, int* count, double a, double b)
{
    const int n = *count;
    if (!(a < b)) return;
    if (n <= 0) {
        ends[0] = a;
        ends[1] = b;
        *count = 2;
        return;
    }
    if (b < ends[0]) {
        std::memmove(ends + 2, ends, size_t(n) * sizeof(double));
        ends[0] = a;
        ends[1] = b;
        *count = n + 2;
        return;
    }
    if (a > ends[n - 1]) {
        ends[n] = a;
        ends[n + 1] = b;
        *count = n + 2;
        return;
    }
    int first = 0;  // first interval that ends at or above a
    while (first < n && ends[first + 1] < a) first += 2;
    if (ends[first] > b) {  // lies wholly above the new interval: insert before it
        std::memmove(ends + first + 2, ends + first, size_t(n - first) * sizeof(double));
        ends[first] = a;
        ends[first + 1] = b;
        *count = n + 2;
        return;
    }
    const double entry = ends[first] < a ? ends[first] : a;
    double exit = ends[first + 1] > b ? ends[first + 1] : b;
    int next = first + 2;
    while (next < n && ends[next] <= exit) {  // absorb the intervals the merged one reaches
        if (ends[next + 1] > exit) exit = ends[next + 1];
        next += 2;
    }
    ends[first] = entry;
    ends[first + 1] = exit;
    std::memmove(ends + first + 2, ends + next, size_t(n - next) * sizeof(double));
    *count = n - (next - first - 2);
}
