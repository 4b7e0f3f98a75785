// The tool-length result file of a run: one line per tool that made sub-steps, with the protrusion,
// neck length, height and chip width that the checks measured for it (ToolMeasureResult). The frame
// opens the file before the run ("length.txt", "height.txt", "chip-w.txt" or named after the NC
// program) and closes it after; the simulation thread writes the line of the spindle tool before each
// tool change, the path drawing before its tool changes and the frame at the end of the run.
#pragma once
#include <cstdio>

#include "machine_setup/tools/tool_table.h"

extern FILE* g_LengthOutputFile;    // opened by the frame (UI thread), or none
extern int g_MeasureToolPending;    // 1 when the spindle tool made a sub-step since its last line

// The tool's display name when it has none of its own (its type name in the interface language);
// installed by the view, which owns the type names. Null: the line carries the tool's own name only.
extern void (*g_ToolTypeNameHook)(const ToolRecord* tool, char* text, int size);

// Writes the line of the spindle tool and clears its measured values, g_ReportedInterferenceCode,
// g_TaperInterferenceCode and g_MeasureToolPending. Only when ARBOR CHECK, HEIGHT CHECK or CHIP-W
// CHECK is OUTPUT, g_RunMode is 3 or less and g_MeasureToolPending is 1; otherwise nothing changes.
// A file that failed to open gets no line (the values are cleared all the same).
void WriteToolLengthResult();
