// Axis-indexed access to a work's grid and ray families (axis 0 X, 1 Y, 2 Z), so that one routine
// can fill or read the rays of any family: the family along an axis, its node counts and
// coordinates, and the index of the ray through a node.
#pragma once
#include "work_model/work_model.h"

// The current level's family whose rays run along axis.
inline DexelFamily* GetFamilyAlongAxis(WorkModel* work, int axis)
{
    return axis == 0 ? &work->familyX : axis == 1 ? &work->familyY : &work->familyZ;
}

inline int GetNodeCountAlongAxis(const WorkModel* work, int axis)
{
    return axis == 0 ? work->nodeCountX : axis == 1 ? work->nodeCountY : work->nodeCountZ;
}

inline const double* GetNodeCoordinatesAlongAxis(const WorkModel* work, int axis)
{
    return axis == 0 ? work->coordinatesX : axis == 1 ? work->coordinatesY : work->coordinatesZ;
}

// Index of the ray along axis through node (nodes[0], nodes[1], nodes[2]); its own axis is ignored.
// Z-rays x + y * nodeCountX, X-rays y + z * nodeCountY, Y-rays z + x * nodeCountZ.
inline int GetRayIndexAlongAxis(const WorkModel* work, int axis, const int nodes[3])
{
    if (axis == 2) return nodes[0] + nodes[1] * work->nodeCountX;
    if (axis == 0) return nodes[1] + nodes[2] * work->nodeCountY;
    return nodes[2] + nodes[0] * work->nodeCountZ;
}
