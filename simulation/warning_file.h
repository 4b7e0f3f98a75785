// The warning file of a run: named after the NC program with "_warning.txt" in place of its extension,
// one entry per rotary move that the kinematics judge too long, written while the controller's
// "WARNING LEVEL" is above 0. Written by the thread that moves the machine; the frame closes it at the
// end of the run and opens it when warnings were written.
#pragma once
#include <cstdio>

#include "machine_setup/controller/controller_definition.h"  // g_WarningLevel
#include "machine_setup/machine_setup_state.h"       // g_WarningCount, WarnLongRotaryMove

constexpr int WARNING_FILE_PATH_SIZE = 272;  // the NC path (255) and the "_warning.txt" ending

extern FILE* g_WarningFile;                             // open warning file, or none
extern char g_WarningFilePath[WARNING_FILE_PATH_SIZE];  // its name (the frame opens it by this name)

// The warning file's name for an NC path: the path up to the last "." of its file name, then
// "_warning.txt"; a file name without "." keeps the whole path. out holds WARNING_FILE_PATH_SIZE bytes.
void MakeWarningFilePath(const char* ncPath, char* out);
// Creates the warning file from g_NcFilePath with its head; g_WarningCount := 0. Nothing when the
// warning level is 0 or less.
void OpenWarningFile();
// One warning: the NC line, "* Long movement of rotary axis *" and the angles before and after; opens
// the file at the first. Counts it in g_WarningCount when it was written (a file that failed to open
// gets neither). Nothing when the warning level is 0 or less, or while the NC data check runs (it is
// no run).
void WriteLongRotaryMoveWarning(double previous1, double previous2, double new1, double new2);
// Installs WriteLongRotaryMoveWarning as the kinematics' long-rotary-move hook (start-up).
void InstallWarningFileHook();
