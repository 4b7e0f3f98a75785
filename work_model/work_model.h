// The tri-dexel work record: placement, grid, the ray families of every undo level and the
// display-block index. Owns the program-wide work records, grid set-up, allocation, memory size
// and destruction. Interval operations live in dexel_intervals.h, the undo ring in undo_levels.h.
#pragma once
#include <cstdint>

enum {
    WORK_MODEL_SLOTS = 20,            // work records kept in g_WorkModels
    DEXEL_INLINE_CAPACITY = 8,        // ends an X- or Y-ray keeps in its own slots
    DEXEL_INLINE_CAPACITY_Z = 4,      // ends a Z-ray keeps in its own slots: a work cut from above
                                      // seldom has more than one interval along Z, and room for a
                                      // second lets a cut edit it in place
    DEXEL_MAX_ENDS = 10000,           // most ends one ray may hold (5000 intervals)
    WORK_MAX_BLOCKS = 999,            // most display blocks of one work
    BLOCK_LIST_IDS_PER_LEVEL = 1000,  // one row of blockListIds per undo level
};

// Results of SetUpWorkGrid / BuildBlockIndex other than 1.
enum {
    WORK_GRID_BAD_NODE_COUNT = -101,  // a node count below 2
    WORK_GRID_BAD_PITCH = -102,       // pitch zero, negative or not finite
    WORK_GRID_TOO_LARGE = -103,       // a ray count (or its slot count) does not fit a 32-bit int
    WORK_GRID_NO_MEMORY = -104,       // the block index could not be allocated
    WORK_GRID_OVER_MEMORY = -105,     // the arrays would need more memory than the machine has
};
// AllocateWorkModelArrays: the level tables themselves could not be allocated.
enum { WORK_ALLOC_LEVEL_TABLES = -10004 };

// One family of parallel rays of one undo level. Ray d owns slots d*capacity .. d*capacity+capacity-1
// of ends, attributes and values. A ray of more than `capacity` ends keeps them in three separate
// heap arrays of GetDexelSeparateCapacity(counts[d]) entries whose addresses are stored in its slots (see
// GetDexelEndsPointer and friends in dexel_intervals.h).
struct DexelFamily {
    int32_t capacity;     // inline capacity: 8 for X- and Y-rays, 4 for Z-rays
    int32_t rayCount;     // number of rays
    int32_t* counts;      // ends per ray (even, 0 = empty)
    double* ends;         // rayCount * capacity slots: ascending (entry, exit) pairs
    uint8_t* attributes;  // rayCount * capacity slots: bits 4-7 pen, bit 0 paint mark
    int32_t* values;      // rayCount * capacity slots: NC line tag of the cut that made the end
};

// One work piece. Written on the user-interface thread (creation, loading, edits, undo) and by the
// simulation thread while a run cuts it; the shell keeps the two apart (no lock).
struct WorkModel {
    double rotation[9];        // placement rotation, row by row: machine = work x rotation + translation
    double translation[3];     // placement translation
    int32_t capacityX, capacityY, capacityZ;     // inline capacity of each family (8, 8, 4)
    int32_t nodeCountX, nodeCountY, nodeCountZ;  // grid nodes per axis (>= 2; nodeCountX 0 = no work)
    double pitch;                                // node spacing, the same on all axes
    double originX, originY, originZ;            // coordinates of node (0, 0, 0)
    int32_t rayCountZ;                           // nodeCountX * nodeCountY
    int32_t rayCountX;                           // nodeCountY * nodeCountZ
    int32_t rayCountY;                           // nodeCountX * nodeCountZ
    int32_t cellCountX, cellCountY, cellCountZ;  // node count - 1
    double cellArea;                             // pitch * pitch
    double* coordinatesZ;                        // node coordinates along Z (origin + i * pitch)
    double* coordinatesY;                        // along Y
    double* coordinatesX;                        // along X
    DexelFamily familyZ;                         // Z-rays of the current level (ray i + j * nodeCountX)
    DexelFamily familyX;                         // X-rays of the current level (ray j + k * nodeCountY)
    DexelFamily familyY;                         // Y-rays of the current level (ray k + i * nodeCountZ)
    double inverseRotation[9];                   // inverse of rotation, row by row
    double inverseTranslation[3];                // -translation
    int32_t hasPlacement;                        // 1 unless rotation is the identity and translation zero
    double* maxCorner;                           // largest X, Y, Z of the material (machine frame), current level
    double* minCorner;                           // smallest X, Y, Z, current level
    int32_t undoLevels;                          // levels in the undo ring (>= 1)
    int32_t currentLevel;                        // level the views show
    int32_t highestLevel;                        // highest level ever filled
    int32_t** levelCountsZ;                      // per level: counts of each family
    int32_t** levelCountsY;
    int32_t** levelCountsX;
    double** levelEndsZ;                         // per level: ends of each family
    double** levelEndsY;
    double** levelEndsX;
    uint8_t** levelAttributesZ;                  // per level: attributes of each family
    uint8_t** levelAttributesY;
    uint8_t** levelAttributesX;
    int32_t** levelValuesZ;                      // per level: values of each family
    int32_t** levelValuesY;
    int32_t** levelValuesX;
    double** levelMaxCorners;                    // per level: 3 doubles
    double** levelMinCorners;                    // per level: 3 doubles
    uint8_t* changedBlocks;                      // per display block: 1 = rebuild (the view clears it)
    int32_t* blockListIds;                       // undoLevels * 1000 triangle counts of the blocks' lists
                                                 // (0 no list, -1 no material; the view keeps the names)
    int32_t blockCount;                          // display blocks (1 to 999)
    int32_t blocksX, blocksY, blocksZ;           // display blocks per axis
    int32_t lastBlockX, lastBlockY, lastBlockZ;  // blocks per axis - 1
    int32_t blockCellsX, blockCellsY, blockCellsZ;              // cells per block
    int32_t lastBlockCellsX, lastBlockCellsY, lastBlockCellsZ;  // cells of the last block
    int32_t* lowerBlockX;                        // per X node: lower display block
    int32_t* upperBlockX;                        // per X node: upper display block
    int32_t* lowerBlockY;
    int32_t* upperBlockY;
    int32_t* lowerBlockZ;
    int32_t* upperBlockZ;
};

extern WorkModel g_WorkModels[WORK_MODEL_SLOTS];  // work records; UI thread (and the cutting run)
extern int g_CurrentWorkIndex;                    // current work: always 0
extern WorkModel g_BasicModel;                    // basic model for difference painting (UI thread)
extern WorkModel g_DifferenceOffsetModel;         // basic model grown/shrunk by the difference margin

// Index of display block (bx, by, bz) in changedBlocks and in a level's row of blockListIds.
inline int GetDisplayBlockIndex(const WorkModel* work, int bx, int by, int bz)
{
    return bx + (by + bz * work->blocksY) * work->blocksX;
}

// The caller has set the node counts and pitch. Sets capacities, ray and cell counts, cellArea and
// builds the block index (start sizes 5). Returns 1, or WORK_GRID_* (nothing allocated) for node
// counts below 2, a pitch that is not a positive finite number, ray counts too large for 32-bit
// ints, or arrays larger than the machine's memory (WORK_GRID_OVER_MEMORY). Creators then set
// nodeCountX to 0 and pass the code on; work-file loaders return -20 (the memory codes as they are).
int SetUpWorkGrid(WorkModel* work);
// The same with one display block for the whole grid (basic model).
int SetUpWorkGridSingleBlock(WorkModel* work);
// Chooses the display blocks and allocates changedBlocks, blockListIds (undoLevels x 1000) and the
// six per-node block tables (releasing earlier ones). Returns 1 or WORK_GRID_NO_MEMORY.
int BuildBlockIndex(WorkModel* work, int startX, int startY, int startZ);
// After the grid, origin and undoLevels are set: allocates every level's arrays and the coordinate
// tables and selects level 0. Returns 1 or -1..-12, -10001..-10003, WORK_ALLOC_LEVEL_TABLES
// (WORK_GRID_BAD_NODE_COUNT when the grid was not set up); on a failure nothing this call
// allocated is kept. undoLevels below 1 becomes 1; blockListIds is resized to undoLevels rows.
int AllocateWorkModelArrays(WorkModel* work);
// Bytes the arrays of a grid with these node counts and undo levels will take when no ray needs
// separate arrays: the estimate made before anything is allocated. SetUpWorkGrid and
// AllocateWorkModelArrays refuse (WORK_GRID_OVER_MEMORY) a grid whose estimate passes the machine's
// physical memory.
uint64_t EstimateWorkMemoryBytes(const int32_t nodes[3], int undoLevels);
// The memory a work's arrays may take: the machine's physical memory (0 when unknown: no limit).
uint64_t GetWorkMemoryLimit();
// Bytes held by the work's arrays (display-block arrays not counted); 0 when there is no work.
uint64_t GetWorkMemorySize(const WorkModel* work);
// Releases the separate arrays of every ray longer than capacity, then the four arrays.
void FreeDexelFamilyArrays(int capacity, int rayCount, int32_t* counts, double* ends,
                           uint8_t* attributes, int32_t* values);
// Releases everything the record owns and nulls the pointers; the caller sets nodeCountX 0 or builds anew.
void DestroyWorkModel(WorkModel* work);
// Called by DestroyWorkModel before it releases anything (null: none). The cutting kernel sets it
// to end the threads that cut the work.
extern void (*g_WorkDestroyHook)(const WorkModel* work);
// Points familyX/Y/Z, maxCorner and minCorner at the arrays of currentLevel.
void SelectUndoLevel(WorkModel* work);
// hasPlacement = 1 unless rotation is exactly the identity and translation exactly zero.
void UpdateWorkHasPlacement(WorkModel* work);

// Test hook: make the allocation of array `code` (-1..-12, -10001..-10003) in `level` fail once
// inside AllocateWorkModelArrays. code 0 switches it off.
void SetWorkAllocationFailureForTest(int code, int level);
