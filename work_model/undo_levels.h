// The undo ring of a work (push a level, step back) and attribute snapshots: one byte per end laid
// out like the current level's attribute arrays, used by marking operations.
#pragma once
#include <cstdint>
#include "work_model/work_model.h"

// One byte per end for the Z-, X- and Y-ray families, shaped like attribute arrays of capacity
// GetAttributeSnapshotCapacity(family capacity): read and write them with ReadDexelAttributes and
// RestoreDexelAttributes at that capacity. A ray of more ends keeps its bytes in a separate array
// whose address its slots hold.
struct AttributeSnapshot {
    uint8_t* attributesZ;
    uint8_t* attributesX;
    uint8_t* attributesY;
};

// Advances the ring and copies the current level into the new one. Returns 1, or 0 when separate
// arrays of long rays could not be obtained (those rays of the new level are then left empty).
int PushUndoLevel(WorkModel* work);
// Shows the previous level (below 0 wraps to highestLevel).
void StepUndoLevelBack(WorkModel* work);

// The slots per ray of a snapshot of a family of this capacity: at least 8, room for an address.
int GetAttributeSnapshotCapacity(int capacity);
// Returns 1, or -1, -2, -3 when the Z, X or Y array cannot be allocated (nothing kept).
int AllocateAttributeSnapshot(AttributeSnapshot* snapshot, const WorkModel* work);
// Gives every ray room for one zero byte per end of the current level. Returns 1, or 0 when a
// separate array could not be obtained (that ray then keeps no bytes; its slots hold null).
int ClearAttributeSnapshot(const WorkModel* work, AttributeSnapshot* snapshot);
// Releases the separate arrays of rays longer than capacity, then the three arrays.
void FreeAttributeSnapshot(AttributeSnapshot* snapshot, const WorkModel* work);
