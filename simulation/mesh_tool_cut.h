// The cut of a mesh tool: a tool given as an STL body (g_ToolBodyFacets) removes the material it
// occupies at the current position.
#pragma once

// Cuts the current work with the mesh tool at the current position.
void CutWorkWithMeshTool();
