// Handlers of the block interpreter's plain address words (T, K, R, P, Q, L, D, H, F, O, S, N, W, the
// comment, the wire taper A and the OSP B). Each is called with the position on the letter and
// returns a WordScanResult (nc/gm_codes.h).
#pragma once

int ReadToolWord(int* position, const char* line);
int ReadCycleRepeatWord(int* position, const char* line);   // K while a canned cycle is active
int ReadRWord(int* position, const char* line);
int ReadPWord(int* position, const char* line);
int ReadQWord(int* position, const char* line);
int ReadLWord(int* position, const char* line);
int ReadDWord(int* position, const char* line);
int ReadHWord(int* position, const char* line);
int ReadFWord(int* position, const char* line);
int ReadNumberWord(int* position, const char* line);        // O, N, W
int ReadSWord(int* position, const char* line);
int ReadCommentWord(int* position, const char* line);
int ReadWireTaperWord(int* position, const char* line);
int ReadOspBWord(int* position, const char* line);

// Tool length offset value of H number n: H[n] + H wear[n] as a double, 0 for a number outside the
// memory.
double ToolLengthOffsetOf(int n);
// Adds g_ToolHolderOffset when the tool base point is ARBOR-TOP.
double WithHolderOffset(double offset);
// g_ToolAxisIndex by "LENGTH OFFSET TYPE": FANUC-A the length axis, FANUC-B the plane normal,
// FANUC-C keepOrZ (2 for G43, unchanged for a T word).
void SetToolAxisByLengthOffsetType(int fanucCAxis);
