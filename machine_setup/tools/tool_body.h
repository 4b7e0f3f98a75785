// The STL body of a mesh tool (tool-table keyword IMPORT), which the tool-table read and the tool
// selection load and the mesh-tool cut uses, and the
// cut's lists, which the tool selection has allocated for the current work. Written by the UI thread
// (tool selection) or the simulation thread (tool change during a run); read by the cutting.
#pragma once
#include "machine_setup/tools/tool_table.h"

extern double* g_ToolBodyFacets;         // facets of the loaded STL tool body, 12 doubles each (heap)
extern double g_ToolBodyBox[2][3];       // minimum and maximum corner
extern int g_MeshCutListsAllocated;      // 1 while the mesh-cut lists exist

// Allocates the mesh-cut lists for the current work through g_AllocateMeshCutListsHook, which the
// simulation installs at start-up; returns its result, or 0 while no hook is installed.
int AllocateMeshCutLists();
extern int (*g_AllocateMeshCutListsHook)();

// Releases the previous body and loads the STL file named by tool->name (as written, or beside the
// tool table for a relative name that cannot be opened) placed by tool->bodyPlacement; with
// turnForAngleHead 1 and a tilted tool direction the body is turned for the angle head. Sets
// g_ToolBodyFacets, g_ToolBodyFacetCount and g_ToolBodyBox. Returns 1, or 0 when the file is no
// STL, cannot be read or holds no facet (no body is kept then).
int LoadToolBody(const ToolRecord* tool, int turnForAngleHead);
