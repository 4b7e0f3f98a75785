// The undo ring: pushing a level (a full copy of the current level that shares no separate array
// with it) and stepping back; attribute snapshots shaped like the current level's attribute arrays
// (at least 8 slots per ray, so that the slots of a long ray hold the address of its bytes).
#include "work_model/undo_levels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "work_model/dexel_intervals.h"

namespace {

struct FamilyLevels {
    int capacity;
    int rayCount;
    int32_t** counts;
    double** ends;
    uint8_t** attributes;
    int32_t** values;
};

void GetFamilyLevels(WorkModel* work, FamilyLevels families[3])
{
    families[0] = FamilyLevels{work->capacityZ, work->rayCountZ, work->levelCountsZ,
                               work->levelEndsZ, work->levelAttributesZ, work->levelValuesZ};
    families[1] = FamilyLevels{work->capacityX, work->rayCountX, work->levelCountsX,
                               work->levelEndsX, work->levelAttributesX, work->levelValuesX};
    families[2] = FamilyLevels{work->capacityY, work->rayCountY, work->levelCountsY,
                               work->levelEndsY, work->levelAttributesY, work->levelValuesY};
}

// Releases the separate arrays of the long rays of one family in one level (counts kept).
void ReleaseLongRays(const FamilyLevels& f, int level)
{
    const int32_t* counts = f.counts[level];
    for (int d = 0; d < f.rayCount; d++) {
        if (counts[d] <= f.capacity) continue;
        std::free(GetDexelEndsPointer(d, f.capacity, counts, f.ends[level]));
        std::free(GetDexelAttributesPointer(d, f.capacity, counts, f.ends[level], f.attributes[level]));
        std::free(GetDexelValuesPointer(d, f.capacity, counts, f.values[level]));
    }
}

void CopyFamilyLevel(const FamilyLevels& f, int from, int to)
{
    const size_t slots = size_t(f.rayCount) * size_t(f.capacity);
    MarkDexelStorageChanged();
    std::memcpy(f.counts[to], f.counts[from], size_t(f.rayCount) * sizeof(int32_t));
    std::memcpy(f.ends[to], f.ends[from], slots * sizeof(double));
    std::memcpy(f.attributes[to], f.attributes[from], slots);
    std::memcpy(f.values[to], f.values[from], slots * sizeof(int32_t));
}

// Gives every long ray of level `to` its own copy of the separate arrays of level `from`.
// A ray whose copy cannot be obtained is left empty in `to`; returns 0 when that happened.
int DuplicateLongRays(const FamilyLevels& f, int from, int to)
{
    int result = 1;
    int32_t* counts = f.counts[to];
    for (int d = 0; d < f.rayCount; d++) {
        const int n = counts[d];
        if (n <= f.capacity) continue;
        const double* ends = GetDexelEndsPointer(d, f.capacity, f.counts[from], f.ends[from]);
        const uint8_t* attributes =
            GetDexelAttributesPointer(d, f.capacity, f.counts[from], f.ends[from], f.attributes[from]);
        const int32_t* values = GetDexelValuesPointer(d, f.capacity, f.counts[from], f.values[from]);
        counts[d] = 0;  // the slots still refer to level `from`'s arrays: store as a fresh ray
        if (StoreDexel(d, f.capacity, counts, f.ends[to], f.attributes[to], f.values[to], ends,
                       attributes, values, n) != 1)
            result = 0;
    }
    return result;
}

}  // namespace

int PushUndoLevel(WorkModel* work)
{
    if (!work->levelCountsZ) return 1;
    const int a = work->currentLevel;
    const int b = a + 1 >= work->undoLevels ? 0 : a + 1;
    work->currentLevel = b;
    work->highestLevel = std::max(work->highestLevel, b);
    if (b == a) return 1;
    FamilyLevels families[3];
    GetFamilyLevels(work, families);
    for (const FamilyLevels& f : families) ReleaseLongRays(f, b);
    if (work->blockListIds)
        std::memcpy(work->blockListIds + size_t(b) * BLOCK_LIST_IDS_PER_LEVEL,
                    work->blockListIds + size_t(a) * BLOCK_LIST_IDS_PER_LEVEL,
                    BLOCK_LIST_IDS_PER_LEVEL * sizeof(int32_t));
    for (const FamilyLevels& f : families) CopyFamilyLevel(f, a, b);
    std::memcpy(work->levelMaxCorners[b], work->levelMaxCorners[a], 3 * sizeof(double));
    std::memcpy(work->levelMinCorners[b], work->levelMinCorners[a], 3 * sizeof(double));
    SelectUndoLevel(work);
    int result = 1;
    for (const FamilyLevels& f : families)
        if (DuplicateLongRays(f, a, b) != 1) result = 0;
    return result;
}

void StepUndoLevelBack(WorkModel* work)
{
    work->currentLevel -= 1;
    if (work->currentLevel < 0) work->currentLevel = work->highestLevel;
    SelectUndoLevel(work);
}

int GetAttributeSnapshotCapacity(int capacity)
{
    return std::max(capacity, int(DEXEL_INLINE_CAPACITY));
}

int AllocateAttributeSnapshot(AttributeSnapshot* snapshot, const WorkModel* work)
{
    *snapshot = AttributeSnapshot{nullptr, nullptr, nullptr};
    // Zeroed, so that a snapshot freed before it is cleared holds no stray references.
    snapshot->attributesZ = static_cast<uint8_t*>(
        std::calloc(size_t(work->rayCountZ) * size_t(GetAttributeSnapshotCapacity(work->capacityZ)) + 1, 1));
    if (!snapshot->attributesZ) return -1;
    snapshot->attributesX = static_cast<uint8_t*>(
        std::calloc(size_t(work->rayCountX) * size_t(GetAttributeSnapshotCapacity(work->capacityX)) + 1, 1));
    if (!snapshot->attributesX) {
        std::free(snapshot->attributesZ);
        *snapshot = AttributeSnapshot{nullptr, nullptr, nullptr};
        return -2;
    }
    snapshot->attributesY = static_cast<uint8_t*>(
        std::calloc(size_t(work->rayCountY) * size_t(GetAttributeSnapshotCapacity(work->capacityY)) + 1, 1));
    if (!snapshot->attributesY) {
        std::free(snapshot->attributesZ);
        std::free(snapshot->attributesX);
        *snapshot = AttributeSnapshot{nullptr, nullptr, nullptr};
        return -3;
    }
    return 1;
}

namespace {

int ClearSnapshotFamily(const DexelFamily& f, uint8_t* bytes)
{
    int result = 1;
    const int c = GetAttributeSnapshotCapacity(f.capacity);
    for (int d = 0; d < f.rayCount; d++) {
        const int n = f.counts[d];
        uint8_t* slots = bytes + size_t(d) * size_t(c);
        if (n <= 0) continue;
        if (n <= c) {
            std::memset(slots, 0, size_t(n));
            continue;
        }
        uint8_t* separate;
        std::memcpy(&separate, slots, sizeof separate);
        if (separate) {  // cleared before: the counts have not changed, so reuse it
            std::memset(separate, 0, size_t(n));
            continue;
        }
        separate = static_cast<uint8_t*>(std::calloc(size_t(n), 1));
        if (!separate) result = 0;
        std::memcpy(slots, &separate, sizeof separate);
    }
    return result;
}

void FreeSnapshotFamily(const DexelFamily& f, uint8_t* bytes)
{
    if (!bytes) return;
    if (f.counts) {
        const int c = GetAttributeSnapshotCapacity(f.capacity);
        for (int d = 0; d < f.rayCount; d++) {
            if (f.counts[d] <= c) continue;
            uint8_t* separate;
            std::memcpy(&separate, bytes + size_t(d) * size_t(c), sizeof separate);
            std::free(separate);
        }
    }
    std::free(bytes);
}

}  // namespace

int ClearAttributeSnapshot(const WorkModel* work, AttributeSnapshot* snapshot)
{
    int result = ClearSnapshotFamily(work->familyZ, snapshot->attributesZ);
    if (ClearSnapshotFamily(work->familyX, snapshot->attributesX) != 1) result = 0;
    if (ClearSnapshotFamily(work->familyY, snapshot->attributesY) != 1) result = 0;
    return result;
}

void FreeAttributeSnapshot(AttributeSnapshot* snapshot, const WorkModel* work)
{
    FreeSnapshotFamily(work->familyX, snapshot->attributesX);
    FreeSnapshotFamily(work->familyY, snapshot->attributesY);
    FreeSnapshotFamily(work->familyZ, snapshot->attributesZ);
    *snapshot = AttributeSnapshot{nullptr, nullptr, nullptr};
}
