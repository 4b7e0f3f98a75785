// Internal to the tool table reader: the keyword scan of one tool line (tool_table_keywords.cpp) and
// the reading state it shares with the line loop (tool_table.cpp).
#pragma once
#include "machine_setup/tools/dxf_outline.h"

struct ToolTableReadState {
    DxfProfileSegment* dxfScratch;  // DXF_MAX_SEGMENTS segments, allocated at the first IMPORT-TOOL
};

// Scans line from start for tool keywords and applies them to tool n (a valid table index).
void ScanToolLine(const char* line, int start, int n, ToolTableReadState* state);
// Reads the file name of an "ATL" value (from position: blanks, tabs, "=" and full-width blanks
// skipped; up to the line end) into out. 1, or 0 when empty or longer than outSize - 1 bytes.
int ReadAtlFileName(const char* line, int position, char* out, int outSize);
// Appends a problem text to g_ToolTableMessage (kept bounded).
void AddToolTableMessage(const char* text);
