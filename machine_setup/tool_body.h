// The STL body of an imported tool (tool-table keyword IMPORT): one shared block of facets that
// belongs to the tool loaded last, read when the tool table names it and again when the tool is
// selected.
#pragma once
#include "machine_setup/tool_table.h"

extern double* g_ToolBodyFacets;    // facets of the loaded body, 12 doubles each (malloc; null: none)
extern double g_ToolBodyBox[2][3];  // minimum and maximum corner of the loaded body

// Releases the previous body and loads the STL file named by tool->name (as written, or beside the
// tool table for a relative name that cannot be opened) placed by tool->bodyPlacement; with
// turnForAngleHead 1 and a tilted tool direction the body is turned for the angle head. Sets
// g_ToolBodyFacets, g_ToolBodyFacetCount and g_ToolBodyBox. Returns 1, or 0 when the file is no
// STL, cannot be read or holds no facet (no body is kept then).
int LoadToolBody(const ToolRecord* tool, int turnForAngleHead);
