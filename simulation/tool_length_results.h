// Tool-length results of a run: one line per tool used, with the protrusion, neck length, height and
// chip width the checks measured. Stand-in (tool_length_results_standin.cpp) until the results are
// built: no line is written.
#pragma once
#include <cstdio>

extern FILE* g_LengthOutputFile;  // the result file the frame opened for the run, none when off
extern int g_MeasureToolPending;  // 1 when the spindle tool made a sub-step since its last line

// Writes the line of the spindle tool and clears the measured values.
void WriteToolLengthResult();
