// The program index of an NC file run from memory and the sub-program call stack (push on a call,
// pop on a return). The line reader reads from the level on top (nc/interpreter_state.h holds the
// per-level values); this header holds the index and call operations.
#pragma once

#include "nc/interpreter_state.h"  // NC_ALARM_SUBPROGRAM_NOT_FOUND

// Texts of NC_ALARM_SUBPROGRAM_NOT_FOUND (shown as alarm 111).
extern const char* const kSubprogramNotFoundText[2];  // [0] Japanese, [1] English

constexpr int MAX_CALL_LEVELS = 4;     // sub-program calls nest at most this deep

extern int g_MainProgramBytes;         // bytes of the lines before the first sub-program (progress)
extern char g_SubprogramPath[256];     // path of the sub-program file being opened

// Loads and indexes the NC file g_NcFilePath when "RUN TYPE" is MEMORY and the file changed since the
// last index: the whole text in g_ProgramText (line ends become NULs) and one entry per sub-program
// that stands after the main program (an O line up to its M99, or "RTS" for OSP). At most
// MEMORY_SUBPROGRAM_SLOTS entries are indexed.
void IndexNcFile();
// Index of the first indexed sub-program with O number n, -1 none.
int FindSubprogramByNumber(int number);
// Index of the first indexed OSP name that text begins with (case-insensitive), -1 none.
int FindSubprogramByName(const char* text);
// Sets g_SubprogramFolder to the folder part of path (up to and including its last "/" or "\").
void SetSubprogramFolder(const char* path);
