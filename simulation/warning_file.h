// The warning file of a run: the NC path with "_warning.txt" in place of its extension, opened at the
// first warning. Stand-in (warning_file_standin.cpp) until the warning file is built: OpenWarningFile
// opens nothing.
#pragma once
#include <cstdio>

extern FILE* g_WarningFile;           // the open warning file, none before the first warning
extern char g_WarningFilePath[512];   // its name, for the frame that opens it after the run

// Creates the warning file with its head when the controller's warning level is above 0.
void OpenWarningFile();
