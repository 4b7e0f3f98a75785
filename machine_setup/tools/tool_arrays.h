// Allocation of the tool table and its per-tool side tables for g_MaxMagazine + 1 tools.
// The settings reader calls it once "MAX MAGAZINE" is known; the tool table reader fills the tables.
#pragma once

// Allocates (or reallocates) the tool arrays for tool numbers 0 to g_MaxMagazine.
void AllocateToolArrays();
