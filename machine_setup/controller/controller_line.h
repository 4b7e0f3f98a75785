// Small text helpers of the controller definition reader: case-insensitive keyword tests at a cursor
// and cursor moves that never pass the end of the line.
#pragma once

// 1 when line[cursor...] begins with word, compared case-insensitively over the word's length.
int MatchesWordAt(const char* line, int cursor, const char* word);

// cursor + count, but never beyond the line's terminating zero (and never below 0).
int AdvanceCursor(const char* line, int cursor, int count);

// Index of the first character of chars at or after cursor, or -1.
int FindCharFrom(const char* line, int cursor, const char* chars);
