// Private to the command-line parser (command_line.cpp, command_line_arguments.cpp): the switch bodies
// and the small readers they share. Each switch body takes the position after its letter and returns
// the position to go on from, or -1 to end the parse (a missing ")" or missing numbers).
#pragma once

int SkipToBlank(const char* line, int position);
// 1 when the first length characters of text end with suffix, letter case ignored.
int EndsWithTextNoCase(const char* text, int length, const char* suffix);
// ".STL" followed by exactly extra characters at the end of the first length characters of token.
int EndsWithStlPlus(const char* token, int length, int extra);
// Copies name when it fits in targetSize bytes (with its terminator). Returns 1, else 0 (target kept).
int CopyBoundedName(const char* name, char* target, int targetSize);
// Resolves a ".lnk" argument in name (size bytes) and classifies the target; -1 when it cannot be
// resolved or is a link again.
int ResolveLinkKind(char* name, int size);
// "+X" .. "-Z" (any case; letters other than X and Y mean Z) into g_StlWorkAxisCode.
void SetStlAxisFromSuffix(const char* suffix);

int ParseIniSwitch(const char* line, int position);
int ParseToolTableSwitch(const char* line, int position);
int ParseFileSwitch(const char* line, int position, const char* extension, char* path, int pathSize, int* given);
int ParseSaveSwitch(const char* line, int position);
int ParseBasicModelSwitch(const char* line, int position);
int ParseWorkSwitch(const char* line, int position);
int ParseStartPositionSwitch(const char* line, int position);
int ParsePitchSwitch(const char* line, int position);
int ParseWindowRectSwitch(const char* line, int position);
int ParseMoveEdit(const char* line, int position);
int ParseRotateEdit(const char* line, int position);
int ParsePaintEdit(const char* line, int position);
int ParseDifferenceEdit(const char* line, int position);
