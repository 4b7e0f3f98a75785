// Path texts: separators, extensions, conversion to the native form, the current and the program folders.
// Paths are written with "/" on this system; "\" is accepted as a separator wherever a path is read, and
// there are no drive letters. Extensions compare without regard to case.
#pragma once
#include <string>

// 1 for "/" and "\", else 0.
int IsPathSeparator(int c);
// Index of the last separator in path, or -1 when it holds none.
int FindLastPathSeparator(const char* path);
// Points at the "." that starts the extension of the path's last component, or at the terminating zero when
// that component has no ".".
const char* GetPathExtension(const char* path);
// 1 when the path's extension equals extension (given with its dot, ".DME"), compared without regard to case.
int HasFileExtension(const char* path, const char* extension);
// 1 when the path starts at the root ("/" or "\").
int IsAbsolutePath(const char* path);

// The path with every "\" turned into "/", ready for the operating system.
std::string MakeNativePath(const char* path);
// The same into a fixed buffer: 1, or 0 with out set to "" when it does not fit (or outSize < 1).
int ConvertToNativePath(const char* path, char* out, int outSize);

// The current folder with a trailing "/": 1, or 0 with out set to "" when unknown or too long.
int GetCurrentFolder(char* out, int outSize);
// 1 when the current folder was changed to path.
int SetCurrentFolder(const char* path);
// The full path of the running program file: 1, or 0 with out set to "".
int GetProgramFilePath(char* out, int outSize);
