// Writes the in-memory offset memories back into the controller definition's "MEMORY" lines: the D or
// H tool offsets, or the external and numbered work offsets. Every other line is kept byte for byte;
// the new file is written as "<file>.new", the old one kept as "<file>.bak", and the file's new time
// recorded so that the change watch does not read the program's own write again.
#pragma once
#include <cstdio>

enum ToolOffsetKind { TOOL_OFFSET_KIND_D = 0, TOOL_OFFSET_KIND_H = 1 };

// Rewrites the D (kind 0) or H (kind 1) lines of g_ControllerFilePath: lines of entries that are
// zero now are dropped, non-zero entries the file did not have are appended in number order. Returns
// 1, or 0 when the file could not be read or any write failed (the controller file is then unchanged).
int RewriteCtlToolOffsets(int kind);
// Rewrites the WK, G54 to G59 and EXOFS lines likewise. Result as above.
int RewriteCtlWorkOffsets();
// Writes "(x,y,z,r1,r2)" and a line end, each value "%f" without trailing zeros (and point).
void WriteValueList(FILE* stream, const double values[5]);
