// The work records and their grid: set-up with validation, the display-block index, allocation of
// every undo level's ray families, memory size and destruction. The interval operations on one
// ray are in dexel_intervals.cpp, the undo ring in undo_levels.cpp.
#include "work_model/work_model.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/os/system_memory.h"
#include "work_model/dexel_intervals.h"

WorkModel g_WorkModels[WORK_MODEL_SLOTS];
int g_CurrentWorkIndex = 0;
WorkModel g_BasicModel;
WorkModel g_DifferenceOffsetModel;

namespace {

int s_failCode = 0;   // test hook: allocation code to fail
int s_failLevel = 0;  // test hook: level in which it fails
uint64_t s_memoryLimit = 0;  // test hook: memory a work's arrays may take (0: the physical memory)

// Allocates bytes (zeroed when asked), or fails on purpose when the test hook names this array.
void* AllocateWorkArray(size_t bytes, int code, int level, bool zeroed)
{
    if (s_failCode != 0 && code == s_failCode && level == s_failLevel) {
        s_failCode = 0;
        return nullptr;
    }
    if (bytes == 0) bytes = 1;
    return zeroed ? std::calloc(bytes, 1) : std::malloc(bytes);
}

int LevelTableCount(const WorkModel* work) { return std::max(work->undoLevels, 1); }

// 1 when the arrays of the grid fit in the machine's memory (or the test limit), else 0.
int CheckWorkGridMemory(const int32_t nodes[3], int undoLevels)
{
    const uint64_t limit = GetWorkMemoryLimit();
    return limit == 0 || EstimateWorkMemoryBytes(nodes, undoLevels) <= limit ? 1 : 0;
}

// Validates node counts and pitch and fills the derived counts. Sizes are computed in 64 bits so
// that a grid whose ray or slot counts do not fit a 32-bit int is refused, not truncated.
int SetUpGridCounts(WorkModel* work)
{
    const int32_t nodes[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    for (int axis = 0; axis < 3; axis++)
        if (nodes[axis] < 2) return WORK_GRID_BAD_NODE_COUNT;
    if (!std::isfinite(work->pitch) || work->pitch <= 0.0) return WORK_GRID_BAD_PITCH;
    const int64_t rays[3] = {int64_t(nodes[1]) * nodes[2], int64_t(nodes[0]) * nodes[2],
                             int64_t(nodes[0]) * nodes[1]};  // X-, Y-, Z-rays
    for (int family = 0; family < 3; family++)
        if (rays[family] > INT32_MAX / DEXEL_INLINE_CAPACITY) return WORK_GRID_TOO_LARGE;
    if (CheckWorkGridMemory(nodes, work->undoLevels) != 1) return WORK_GRID_OVER_MEMORY;
    work->capacityX = work->capacityY = DEXEL_INLINE_CAPACITY;
    work->capacityZ = DEXEL_INLINE_CAPACITY_Z;
    work->rayCountX = int32_t(rays[0]);
    work->rayCountY = int32_t(rays[1]);
    work->rayCountZ = int32_t(rays[2]);
    work->cellCountX = nodes[0] - 1;
    work->cellCountY = nodes[1] - 1;
    work->cellCountZ = nodes[2] - 1;
    work->cellArea = work->pitch * work->pitch;
    return 1;
}

void ReleaseBlockIndex(WorkModel* work)
{
    int32_t** tables[6] = {&work->lowerBlockX, &work->upperBlockX, &work->lowerBlockY,
                           &work->upperBlockY, &work->lowerBlockZ, &work->upperBlockZ};
    for (int32_t** table : tables) {
        std::free(*table);
        *table = nullptr;
    }
    std::free(work->changedBlocks);
    work->changedBlocks = nullptr;
    std::free(work->blockListIds);
    work->blockListIds = nullptr;
}

// Lower and upper display block of every node of one axis (size cells per block, blocks blocks).
void FillNodeBlocks(int32_t* lower, int32_t* upper, int nodeCount, int size, int blocks)
{
    for (int i = 0; i < nodeCount; i++) {
        const int q = i / size;
        if (q == 0) {
            lower[i] = upper[i] = 0;
        } else if (q < blocks && i == q * size) {
            lower[i] = q - 1;
            upper[i] = q;
        } else if (q >= blocks) {
            lower[i] = upper[i] = blocks - 1;
        } else {
            lower[i] = upper[i] = q;
        }
    }
}

}  // namespace

int SetUpWorkGrid(WorkModel* work)
{
    const int result = SetUpGridCounts(work);
    if (result != 1) return result;
    return BuildBlockIndex(work, 5, 5, 5);
}

int SetUpWorkGridSingleBlock(WorkModel* work)
{
    const int result = SetUpGridCounts(work);
    if (result != 1) return result;
    return BuildBlockIndex(work, work->cellCountX, work->cellCountY, work->cellCountZ);
}

int BuildBlockIndex(WorkModel* work, int startX, int startY, int startZ)
{
    const int cells[3] = {work->cellCountX, work->cellCountY, work->cellCountZ};
    int start[3] = {startX, startY, startZ};
    int size[3], blocks[3];
    for (;;) {
        int64_t product = 1;
        for (int axis = 0; axis < 3; axis++) {
            size[axis] = std::max(1, std::min(start[axis], cells[axis]));
            blocks[axis] = (cells[axis] + size[axis] - 1) / size[axis];
            product = std::min<int64_t>(product * blocks[axis], WORK_MAX_BLOCKS + 1);
        }
        if (product <= WORK_MAX_BLOCKS) break;
        for (int axis = 0; axis < 3; axis++) start[axis] = size[axis] + 1;
    }
    ReleaseBlockIndex(work);
    work->blockCount = blocks[0] * blocks[1] * blocks[2];
    int32_t* blockCounts[3] = {&work->blocksX, &work->blocksY, &work->blocksZ};
    int32_t* lastBlocks[3] = {&work->lastBlockX, &work->lastBlockY, &work->lastBlockZ};
    int32_t* blockCells[3] = {&work->blockCellsX, &work->blockCellsY, &work->blockCellsZ};
    int32_t* lastCells[3] = {&work->lastBlockCellsX, &work->lastBlockCellsY, &work->lastBlockCellsZ};
    for (int axis = 0; axis < 3; axis++) {
        *blockCounts[axis] = blocks[axis];
        *lastBlocks[axis] = blocks[axis] - 1;
        *blockCells[axis] = size[axis];
        *lastCells[axis] = cells[axis] == size[axis] * blocks[axis]
                               ? size[axis] : cells[axis] - size[axis] * (blocks[axis] - 1);
    }
    work->changedBlocks = static_cast<uint8_t*>(std::calloc(size_t(work->blockCount), 1));
    work->blockListIds = static_cast<int32_t*>(
        std::calloc(size_t(LevelTableCount(work)) * BLOCK_LIST_IDS_PER_LEVEL, sizeof(int32_t)));
    int32_t** lower[3] = {&work->lowerBlockX, &work->lowerBlockY, &work->lowerBlockZ};
    int32_t** upper[3] = {&work->upperBlockX, &work->upperBlockY, &work->upperBlockZ};
    bool ok = work->changedBlocks && work->blockListIds;
    for (int axis = 0; axis < 3 && ok; axis++) {
        const size_t nodes = size_t(cells[axis]) + 1;
        *lower[axis] = static_cast<int32_t*>(std::malloc(nodes * sizeof(int32_t)));
        *upper[axis] = static_cast<int32_t*>(std::malloc(nodes * sizeof(int32_t)));
        ok = *lower[axis] && *upper[axis];
        if (ok) FillNodeBlocks(*lower[axis], *upper[axis], int(nodes), size[axis], blocks[axis]);
    }
    if (!ok) {
        ReleaseBlockIndex(work);
        return WORK_GRID_NO_MEMORY;
    }
    return 1;
}

namespace {

// Allocates (zeroed) or releases the fourteen level tables of a record.
template <class T>
bool AllocateLevelTable(T*** table, int levels)
{
    *table = static_cast<T**>(std::calloc(size_t(levels), sizeof(T*)));
    return *table != nullptr;
}

template <class T>
void FreeLevelTable(T*** table)
{
    std::free(*table);
    *table = nullptr;
}

bool AllocateLevelTables(WorkModel* work, int levels)
{
    bool ok = AllocateLevelTable(&work->levelCountsZ, levels);
    ok = AllocateLevelTable(&work->levelEndsZ, levels) && ok;
    ok = AllocateLevelTable(&work->levelAttributesZ, levels) && ok;
    ok = AllocateLevelTable(&work->levelValuesZ, levels) && ok;
    ok = AllocateLevelTable(&work->levelCountsX, levels) && ok;
    ok = AllocateLevelTable(&work->levelEndsX, levels) && ok;
    ok = AllocateLevelTable(&work->levelAttributesX, levels) && ok;
    ok = AllocateLevelTable(&work->levelValuesX, levels) && ok;
    ok = AllocateLevelTable(&work->levelCountsY, levels) && ok;
    ok = AllocateLevelTable(&work->levelEndsY, levels) && ok;
    ok = AllocateLevelTable(&work->levelAttributesY, levels) && ok;
    ok = AllocateLevelTable(&work->levelValuesY, levels) && ok;
    ok = AllocateLevelTable(&work->levelMaxCorners, levels) && ok;
    ok = AllocateLevelTable(&work->levelMinCorners, levels) && ok;
    return ok;
}

void FreeLevelTables(WorkModel* work)
{
    FreeLevelTable(&work->levelCountsZ);
    FreeLevelTable(&work->levelEndsZ);
    FreeLevelTable(&work->levelAttributesZ);
    FreeLevelTable(&work->levelValuesZ);
    FreeLevelTable(&work->levelCountsX);
    FreeLevelTable(&work->levelEndsX);
    FreeLevelTable(&work->levelAttributesX);
    FreeLevelTable(&work->levelValuesX);
    FreeLevelTable(&work->levelCountsY);
    FreeLevelTable(&work->levelEndsY);
    FreeLevelTable(&work->levelAttributesY);
    FreeLevelTable(&work->levelValuesY);
    FreeLevelTable(&work->levelMaxCorners);
    FreeLevelTable(&work->levelMinCorners);
}

// Releases every level's arrays (with the separate arrays of long rays) and the level tables.
void ReleaseLevels(WorkModel* work)
{
    MarkDexelStorageChanged();
    if (work->levelCountsZ && work->levelEndsZ && work->levelAttributesZ && work->levelValuesZ &&
        work->levelCountsX && work->levelEndsX && work->levelAttributesX && work->levelValuesX &&
        work->levelCountsY && work->levelEndsY && work->levelAttributesY && work->levelValuesY &&
        work->levelMaxCorners && work->levelMinCorners) {
        const int levels = LevelTableCount(work);
        for (int level = 0; level < levels; level++) {
            FreeDexelFamilyArrays(work->capacityZ, work->rayCountZ, work->levelCountsZ[level],
                                  work->levelEndsZ[level], work->levelAttributesZ[level],
                                  work->levelValuesZ[level]);
            FreeDexelFamilyArrays(work->capacityX, work->rayCountX, work->levelCountsX[level],
                                  work->levelEndsX[level], work->levelAttributesX[level],
                                  work->levelValuesX[level]);
            FreeDexelFamilyArrays(work->capacityY, work->rayCountY, work->levelCountsY[level],
                                  work->levelEndsY[level], work->levelAttributesY[level],
                                  work->levelValuesY[level]);
            std::free(work->levelMaxCorners[level]);
            std::free(work->levelMinCorners[level]);
        }
    }
    FreeLevelTables(work);
    work->familyX = work->familyY = work->familyZ = DexelFamily{};
    work->maxCorner = work->minCorner = nullptr;
}

void ReleaseCoordinateTables(WorkModel* work)
{
    std::free(work->coordinatesZ);
    std::free(work->coordinatesY);
    std::free(work->coordinatesX);
    work->coordinatesZ = work->coordinatesY = work->coordinatesX = nullptr;
}

// Allocates the four arrays of one family in one level; returns 1 or the code of the failed one.
int AllocateFamilyLevel(int codeBase, int level, int rayCount, int capacity, int32_t** counts,
                        double** ends, uint8_t** attributes, int32_t** values)
{
    const size_t slots = size_t(rayCount) * size_t(capacity);
    *counts = static_cast<int32_t*>(
        AllocateWorkArray(size_t(rayCount) * sizeof(int32_t), codeBase - 0, level, true));
    if (!*counts) return codeBase;
    *ends = static_cast<double*>(AllocateWorkArray(slots * sizeof(double), codeBase - 1, level, false));
    if (!*ends) return codeBase - 1;
    *attributes = static_cast<uint8_t*>(AllocateWorkArray(slots, codeBase - 2, level, false));
    if (!*attributes) return codeBase - 2;
    *values = static_cast<int32_t*>(
        AllocateWorkArray(slots * sizeof(int32_t), codeBase - 3, level, false));
    if (!*values) return codeBase - 3;
    return 1;
}

int AllocateLevel(WorkModel* work, int level)
{
    int result = AllocateFamilyLevel(-1, level, work->rayCountZ, work->capacityZ,
                                     &work->levelCountsZ[level], &work->levelEndsZ[level],
                                     &work->levelAttributesZ[level], &work->levelValuesZ[level]);
    if (result != 1) return result;
    result = AllocateFamilyLevel(-5, level, work->rayCountX, work->capacityX,
                                 &work->levelCountsX[level], &work->levelEndsX[level],
                                 &work->levelAttributesX[level], &work->levelValuesX[level]);
    if (result != 1) return result;
    result = AllocateFamilyLevel(-9, level, work->rayCountY, work->capacityY,
                                 &work->levelCountsY[level], &work->levelEndsY[level],
                                 &work->levelAttributesY[level], &work->levelValuesY[level]);
    if (result != 1) return result;
    work->levelMaxCorners[level] =
        static_cast<double*>(AllocateWorkArray(3 * sizeof(double), -12, level, true));
    work->levelMinCorners[level] =
        static_cast<double*>(AllocateWorkArray(3 * sizeof(double), -12, level, true));
    if (!work->levelMaxCorners[level] || !work->levelMinCorners[level]) return -12;
    return 1;
}

int AllocateCoordinateTables(WorkModel* work)
{
    const int nodes[3] = {work->nodeCountZ, work->nodeCountY, work->nodeCountX};
    const double origins[3] = {work->originZ, work->originY, work->originX};
    double** tables[3] = {&work->coordinatesZ, &work->coordinatesY, &work->coordinatesX};
    for (int t = 0; t < 3; t++) {
        *tables[t] = static_cast<double*>(
            AllocateWorkArray(size_t(nodes[t]) * sizeof(double), -10001 - t, 0, false));
        if (!*tables[t]) return -10001 - t;
        for (int i = 0; i < nodes[t]; i++) (*tables[t])[i] = origins[t] + i * work->pitch;
    }
    return 1;
}

}  // namespace

int AllocateWorkModelArrays(WorkModel* work)
{
    // A grid that SetUpWorkGrid refused (or never saw) is not allocated.
    const int64_t nx = work->nodeCountX, ny = work->nodeCountY, nz = work->nodeCountZ;
    if (nx < 2 || ny < 2 || nz < 2 || work->rayCountZ != nx * ny || work->rayCountX != ny * nz ||
        work->rayCountY != nx * nz || work->capacityX != DEXEL_INLINE_CAPACITY ||
        work->capacityY != DEXEL_INLINE_CAPACITY || work->capacityZ != DEXEL_INLINE_CAPACITY_Z)
        return WORK_GRID_BAD_NODE_COUNT;
    MarkDexelStorageChanged();
    work->undoLevels = LevelTableCount(work);
    const int32_t nodes[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    if (CheckWorkGridMemory(nodes, work->undoLevels) != 1) return WORK_GRID_OVER_MEMORY;
    const int levels = work->undoLevels;
    const bool tablesOk = AllocateLevelTables(work, levels);
    // The view keeps one row of list ids per level: size the row table for the final level count.
    std::free(work->blockListIds);
    work->blockListIds = static_cast<int32_t*>(
        std::calloc(size_t(levels) * BLOCK_LIST_IDS_PER_LEVEL, sizeof(int32_t)));
    if (!tablesOk || !work->blockListIds) {
        ReleaseLevels(work);
        return WORK_ALLOC_LEVEL_TABLES;
    }
    work->currentLevel = 0;
    work->highestLevel = 0;
    int result = 1;
    for (int level = 0; level < levels && result == 1; level++) result = AllocateLevel(work, level);
    if (result == 1) result = AllocateCoordinateTables(work);
    if (result != 1) {
        ReleaseLevels(work);
        ReleaseCoordinateTables(work);
        return result;
    }
    SelectUndoLevel(work);
    return 1;
}

uint64_t EstimateWorkMemoryBytes(const int32_t nodes[3], int undoLevels)
{
    // Node counts are below 2^31, so the ray count fits 64 bits; the bytes saturate at the largest value.
    const uint64_t n[3] = {uint64_t(std::max(nodes[0], 0)), uint64_t(std::max(nodes[1], 0)),
                           uint64_t(std::max(nodes[2], 0))};
    const uint64_t crossRays = n[1] * n[2] + n[0] * n[2];  // X- and Y-rays
    const uint64_t zRays = n[0] * n[1];
    const uint64_t crossPerRay = 13 * uint64_t(DEXEL_INLINE_CAPACITY) + 4;
    const uint64_t zPerRay = 13 * uint64_t(DEXEL_INLINE_CAPACITY_Z) + 4;
    const uint64_t levels = uint64_t(std::max(undoLevels, 1));
    if (crossRays > (UINT64_MAX / 4) / crossPerRay / levels ||
        zRays > (UINT64_MAX / 4) / zPerRay / levels)
        return UINT64_MAX;
    return levels * (crossRays * crossPerRay + zRays * zPerRay + 174) + 8 * (n[0] + n[1] + n[2]);
}

uint64_t GetWorkMemoryLimit()
{
    return s_memoryLimit != 0 ? s_memoryLimit : GetPhysicalMemoryBytes();
}

void SetWorkFileMemoryLimitForTest(uint64_t bytes)
{
    s_memoryLimit = bytes;
}

uint64_t GetWorkMemorySize(const WorkModel* work)
{
    if (work->nodeCountX == 0 || !work->levelCountsZ) return 0;
    const uint64_t levels = uint64_t(LevelTableCount(work));
    uint64_t bytes = 174 * levels;
    bytes += 8 * (uint64_t(work->nodeCountX) + uint64_t(work->nodeCountY) + uint64_t(work->nodeCountZ));
    const int capacities[3] = {work->capacityZ, work->capacityX, work->capacityY};
    const int rayCounts[3] = {work->rayCountZ, work->rayCountX, work->rayCountY};
    int32_t** const countTables[3] = {work->levelCountsZ, work->levelCountsX, work->levelCountsY};
    for (uint64_t level = 0; level < levels; level++) {
        for (int f = 0; f < 3; f++) {
            bytes += uint64_t(rayCounts[f]) * (13 * uint64_t(capacities[f]) + 4);
            const int32_t* counts = countTables[f][level];
            if (!counts) continue;
            for (int d = 0; d < rayCounts[f]; d++)
                if (counts[d] > capacities[f]) bytes += 13 * uint64_t(GetDexelSeparateCapacity(counts[d]));
        }
    }
    return bytes;
}

void FreeDexelFamilyArrays(int capacity, int rayCount, int32_t* counts, double* ends,
                           uint8_t* attributes, int32_t* values)
{
    MarkDexelStorageChanged();
    if (counts && ends && attributes && values) {
        for (int d = 0; d < rayCount; d++) {
            if (counts[d] <= capacity) continue;
            std::free(GetDexelEndsPointer(d, capacity, counts, ends));
            std::free(GetDexelAttributesPointer(d, capacity, counts, ends, attributes));
            std::free(GetDexelValuesPointer(d, capacity, counts, values));
        }
    }
    std::free(counts);
    std::free(ends);
    std::free(attributes);
    std::free(values);
}

void (*g_WorkDestroyHook)(const WorkModel* work) = nullptr;

void DestroyWorkModel(WorkModel* work)
{
    if (g_WorkDestroyHook) g_WorkDestroyHook(work);
    ReleaseBlockIndex(work);
    ReleaseCoordinateTables(work);
    ReleaseLevels(work);
}

void SelectUndoLevel(WorkModel* work)
{
    MarkDexelStorageChanged();
    if (!work->levelCountsZ) return;
    const int level = work->currentLevel;
    work->familyZ = DexelFamily{work->capacityZ, work->rayCountZ, work->levelCountsZ[level],
                                work->levelEndsZ[level], work->levelAttributesZ[level],
                                work->levelValuesZ[level]};
    work->familyX = DexelFamily{work->capacityX, work->rayCountX, work->levelCountsX[level],
                                work->levelEndsX[level], work->levelAttributesX[level],
                                work->levelValuesX[level]};
    work->familyY = DexelFamily{work->capacityY, work->rayCountY, work->levelCountsY[level],
                                work->levelEndsY[level], work->levelAttributesY[level],
                                work->levelValuesY[level]};
    work->maxCorner = work->levelMaxCorners[level];
    work->minCorner = work->levelMinCorners[level];
}

void UpdateWorkHasPlacement(WorkModel* work)
{
    static const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    int moved = 0;
    for (int i = 0; i < 9; i++) moved |= work->rotation[i] != identity[i];
    for (int i = 0; i < 3; i++) moved |= work->translation[i] != 0.0;
    work->hasPlacement = moved;
}

void SetWorkAllocationFailureForTest(int code, int level)
{
    s_failCode = code;
    s_failLevel = level;
}
