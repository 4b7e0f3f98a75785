// The mesh tool's body and the call that allocates the mesh-cut lists: no body loaded at start-up.
#include "machine_setup/tools/tool_body.h"

double* g_ToolBodyFacets = nullptr;
double g_ToolBodyBox[2][3];
int g_MeshCutListsAllocated = 0;
int (*g_AllocateMeshCutListsHook)() = nullptr;

int AllocateMeshCutLists() { return g_AllocateMeshCutListsHook != nullptr ? g_AllocateMeshCutListsHook() : 0; }
