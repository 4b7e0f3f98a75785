// The NC line reader: hands the interpreter the next NC line of the main program, of the sub-program
// level being executed or of a reader plug-in, after the controller's text replacement rules, the
// character check, optional block skip and the sequence search; every text line ends in one line feed.
#pragma once
#include <cstdio>

constexpr int NC_LINE_BUFFER_SIZE = 1024;     // a text line holds at most 1023 characters
constexpr int NC_REPLACE_MATCH_MAX = 32;      // matches one line records in the default replacement mode

extern char g_NcLineBuffer[NC_LINE_BUFFER_SIZE];  // current line, NUL-terminated (driver thread)
extern int g_NcLineLength;                        // length as read (line feed included), after replacements
extern FILE* g_NcFile;                            // main program, opened "rb" by the driver

// 1 when a line (or a plug-in path record) is ready; 0 when there is none this time: the input ended,
// a sub-program file ended, the character check raised an alarm or the sequence search passed over the
// line (g_NcRunState and g_NcAlarmCode tell which). A line longer than the buffer arrives in pieces of
// at most 1023 characters, each delivered as a line of its own.
int ReadNextNcLine();

// Rewrites line in place by g_ReplaceRules (one left-to-right scan; a character right after a match
// never starts another match) and adds the change of length to *length. A line is never lengthened
// beyond NC_LINE_BUFFER_SIZE - 1 characters: a replacement that would not fit is not made.
void ApplyReplaceRules(int* length, char* line);
// "REPLACE TYPE" 2: each rule in file order replaces its first occurrence; same contract.
void ApplyReplaceRulesType2(int* length, char* line);

// The controller's character check: 1 with g_NcAlarmCode 4 (bad character, g_NcAlarmChar) or 5 (second
// decimal point) and *column the 1-based column of the offending character; 0 when the line passes.
int CheckNcLineSyntax(const char* line, int* column);

// 1 when the line in g_NcLineBuffer is an optional-skip block ("/" or "/n") whose switch is on.
int IsBlockSkipped();

// 1 when the line in g_NcLineBuffer is passed over by the sequence search; 0 when it is the target
// (the search then ends: g_SequenceSearchNumber becomes -1).
int SequenceNumberSearch();

// Cuts name in place at its first character that is not an ASCII letter or digit, looking at most at
// limit bytes.
void CutAtNonAlphanumeric(char* name, int limit);

// Ends the input: clears G91 and sets g_NcRunState to 1, or to 2 when no look-ahead block is queued.
void EndNcInput();
