// Other programs: opening a file with the desktop's default application, starting a program with
// parameters, and running a program with one argument until it ends. On posix_spawn and xdg-open.
#pragma once
#include <string>

// Opens path with the desktop's default application (xdg-open), detached: the call does not wait for it.
// "\" in the path is read as "/". Returns 1 when the opener was started, 0 when there is none (no
// xdg-open on the PATH) or it could not be started, -1 for a null or empty path.
int OpenWithDefaultApplication(const char* path);

// Starts program with its parameters, detached. parameters is one command-line text split into words at
// blanks and tabs, double quotes grouping words ("a b" is one word); null or empty means none. A program
// without "/" is looked up on the PATH. Returns 1 when started, 0 when it could not be, -1 for no program.
int StartProgram(const char* program, const char* parameters);

// Runs program with one argument (null or empty: none) and waits for it without a time limit. Returns
// 1 when the program ran (its exit status, when exitCode is not null, goes to *exitCode; a program killed
// by a signal gives 128 + the signal), 0 when it could not be started, -1 for no program.
int RunProgramAndWait(const char* program, const char* argument, int* exitCode);

// Looks name up as a program: a name with "/" is taken as a path, otherwise each folder of PATH is
// tried. Returns 1 with *path set when an executable file was found, else 0.
int FindProgramOnPath(const char* name, std::string* path);
