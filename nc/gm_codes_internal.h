// Shared between the G-code files: the coordinate-system G codes (work offsets, scaling, mirror,
// rotation, tilted plane, OSP coordinate codes), the M codes and the GOTO jump.
#pragma once

// Applies a coordinate-system G code (already folded, see ReadGWord); decimal is the digit after the
// point of the code (-1 none). Returns -1 when the code is not one of them, else a WordScanResult.
int ApplyCoordinateGCode(int code, int decimal, int* position, const char* line);
// The GOTO jump of a program in memory; position just behind the G. Returns a WordScanResult.
int ReadGotoWord(int* position, const char* line);
