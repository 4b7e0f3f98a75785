// Small file, path and number-text routines that the readers and writers of every subsystem share: opening a
// stream, splitting a path, long path names, the keyword/value separator of definition lines and one number
// formatted into a fixed buffer. Paths split at "/" and at "\"; there are no drive letters.
#pragma once
#include <cstdio>

// Opens path (either separator) with a standard stream mode ("rb", "wb+", "r" ...); null when it cannot.
FILE* OpenFile(const char* path, const char* mode);

// The directory part of path, with its trailing separator when it has one; "" for a bare name.
// Returns 1, or 0 with out set to "" when the part does not fit in outSize bytes (or outSize < 1).
int GetDriveAndDirectory(const char* path, char* out, int outSize);
// The file name without directory; with its extension (from the last ".", dot included) when withExtension
// is not 0. Returns 1, or 0 with out set to "" when it does not fit.
int GetFileNamePart(const char* path, int withExtension, char* out, int outSize);

// 1 and the path with each existing component under its long name (on this system: the path as given);
// 0 with out untouched when the path does not exist or the result does not fit in outSize bytes.
int ExpandLongPath(const char* path, char* out, int outSize);

// Advances *position past every " " and "=" at that position of line (a tab is not skipped).
void SkipBlanksAndEquals(int* position, const char* line);

// Formats one double with a printf-style format (one conversion for a double) into out, never writing past
// outSize bytes (the text is cut and terminated); returns the number of characters written.
int FormatDouble(char* out, int outSize, const char* format, double value);
