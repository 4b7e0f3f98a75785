// Stand-in for the mesh-tool cut until it is built: removes nothing.
#include "simulation/mesh_tool_cut.h"

void CutWorkWithMeshTool() {}
