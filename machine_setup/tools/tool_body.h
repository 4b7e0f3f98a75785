// The STL body of a mesh tool, which the tool selection loads and the mesh-tool cut uses, and the
// cut's lists, which the tool selection has allocated for the current work. Written by the UI thread
// (tool selection) or the simulation thread (tool change during a run); read by the cutting.
#pragma once

extern double* g_ToolBodyFacets;         // facets of the loaded STL tool body, 12 doubles each (heap)
extern double g_ToolBodyBox[2][3];       // minimum and maximum corner
extern int g_MeshCutListsAllocated;      // 1 while the mesh-cut lists exist

// Allocates the mesh-cut lists for the current work through g_AllocateMeshCutListsHook, which the
// simulation installs at start-up; returns its result, or 0 while no hook is installed.
int AllocateMeshCutLists();
extern int (*g_AllocateMeshCutListsHook)();
