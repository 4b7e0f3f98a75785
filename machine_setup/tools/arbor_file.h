// The tool holder (arbor) record and the arbor file: one holder of up to ten steps, read from the
// first "ARBOR3", "ARBOR2" or "ARBOR" line of the file an "ATL" line names. The tool table reader owns
// the holder records it fills; this file owns the holder line syntax shared with the tool table.
#pragma once
#include "platform/os/files.h"

constexpr int ARBOR_MAX_STEPS = 10;

enum ArborKind { ARBOR_KIND_STEPS = 0, ARBOR_KIND_TAPERS = 1, ARBOR_KIND_SECTIONS = 2 };  // ARBOR, 2, 3

struct ArborRecord {
    int used;                              // 1 after a holder line was read
    int kind;                              // ArborKind: 0 "ARBOR", 1 "ARBOR2", 2 "ARBOR3"
    int stepCount;                         // 0 to ARBOR_MAX_STEPS
    float diameters[ARBOR_MAX_STEPS + 1];  // step diameters (mm); "ARBOR3" uses stepCount + 1
    float lengths[ARBOR_MAX_STEPS];        // step lengths (mm)
    int sectionCodes[ARBOR_MAX_STEPS];     // "ARBOR3" only: 0 stepped transition, else a taper
};

extern FileTime g_ArborFileTime;   // last-write time of the default holder's file (UI thread)

// Clears used flag, kind, steps, diameters, lengths and section codes.
void ClearArborRecord(ArborRecord* record);

// Parses the values of a holder line of the given kind; valuesStart indexes the first character after
// the keyword. Fills steps, kind and used = 1. Shared by the arbor file and the tool table.
void ParseArborValues(const char* line, int valuesStart, int kind, ArborRecord* record);

// If line begins (case-insensitively) with "ARBOR3", "ARBOR2" or "ARBOR", returns the kind and sets
// *keywordLength; else -1.
int MatchArborKeyword(const char* line, int* keywordLength);

// Reads the holder file name (a 256-byte buffer; a bare name is completed in place with the tool
// table's folder) into record. For g_DefaultArbor it records g_ArborFileTime and g_ArborFileStatus.
// Returns 1 when a holder line was read, 0 when the file has none, -1 when it cannot be opened or is no
// regular file (a device or folder), -2 when the completed name does not fit in 256 bytes (the name is
// left as it was).
int ReadArborFile(char* name, ArborRecord* record);

// Written by the settings reader (the tool table's head "ATL" line) on the UI thread.
extern char g_ArborFilePath[256];        // holder file named by the tool table's head "ATL" line
extern int g_ArborFileStatus;            // 1 read, -1 missing, 0 none
