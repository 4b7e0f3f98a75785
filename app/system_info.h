// What the program knows of the system it runs on: a version code and name from the decision table of
// the version data, the build, the processor count, the memory, and the count of other windows.
// On Linux the version queries of the table do not exist: the platform supplies no version data of
// that family, so the code is 200 (not recognised), the build 0 and the name empty.
#pragma once
#include "platform/ui/ui_types.h"

const int OS_NAME_SIZE = 64;

// Written by the UI thread at start-up.
extern int g_WindowsBuild;          // build from the real-version query, else 0
extern char g_OsName[OS_NAME_SIZE]; // short system name ("" when not recognised)
extern int g_ProcessorCount;        // processors online (at least 1)

// The version data the decision table reads (what the platform's version queries report).
struct OsVersionData {
    int family16;              // 1 for the 16-bit family (top bit of the packed version)
    int major, minor, build;   // basic version data
    char service[128];         // service text
    int extendedOk;            // 1 when the extended version data was obtained
    int productType;           // 1 workstation, 2 domain controller, 3 server
    unsigned suiteMask;        // 0x200 personal
    int realVersionOk;         // 1 when the real-version query answered
    int realMajor, realMinor, realBuild;
    int legacyLevel;           // 0 none, 1 "_2K", 2 "_XP", 3 "_S2"
};

// The decision table: base code (0 .. 76), build and name of the data.
int DecideOsVersion(const OsVersionData* data, int* build, char* name, int nameSize);
// The extended-data part of the table for NT major 5 and 6 (GetOsVersionNumbers on the given data).
int DecideOsVersionNumbers(const OsVersionData* data, int* build);
// Fills the code (200 + base), build and name of this system. Returns the code.
int GetOsDescription(int* code, int* build, char* name);
// " Ver <release>", " Build<n>" or "" for a build of the 10 and 11 families.
void FormatWin10ReleaseId(int build, char* text, int size);
void FormatWin11ReleaseId(int build, char* text, int size);
// Total and free physical memory, page file (swap) and address space, in KB.
void GetMemoryStatusKb(double* totalPhysical, double* freePhysical, double* totalPage, double* freePage,
                       double* totalVirtual, double* freeVirtual);
// The number of top-level windows other than window.
int CountOtherWindows(WindowHandle window);
// g_ProcessorCount from the system.
void GetProcessorInfo();
