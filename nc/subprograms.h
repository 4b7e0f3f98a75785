// The program index of an NC file run from memory and the sub-program call stack (push on a call,
// pop on a return). The line reader reads from the level on top (nc/interpreter_state.h holds the
// per-level values); this header holds the index and call operations.
#pragma once

extern int g_MainProgramBytes;         // bytes of the lines before the first sub-program (progress)
extern char g_SubprogramPath[256];     // path of the sub-program file being opened

// Loads and indexes the NC file when "RUN TYPE" is MEMORY and the file changed since the last index.
void IndexNcFile();
// Index of the first indexed sub-program with O number n, -1 none.
int FindSubprogramByNumber(int number);
// Index of the first indexed OSP name that text begins with (case-insensitive), -1 none.
int FindSubprogramByName(const char* text);
