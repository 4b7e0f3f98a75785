// Stand-in of the tool-length results: no line is written.
#include "simulation/tool_length_results.h"

FILE* g_LengthOutputFile = nullptr;
int g_MeasureToolPending = 0;

void WriteToolLengthResult() {}
