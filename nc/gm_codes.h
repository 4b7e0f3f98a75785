// The G and M words of a block: motion kind, plane, compensation, length offset, work offset, scaling,
// mirror, coordinate rotation, tilted plane, canned cycles, spindle, calls and returns, by dialect.
#pragma once

// Word handler results: the pass goes on behind the word, or the rest of the line is not read.
enum WordScanResult { WORD_SCAN_ENDS = 0, WORD_SCAN_GOES_ON = 1 };

// The G word at *position (on the letter): reads the code into g_LastGCode and applies it.
// Returns a WordScanResult.
int ReadGWord(int* position, const char* line);
// The M word at *position (on the letter): reads the code into g_LastMCode and applies it.
int ReadMWord(int* position, const char* line);

// Selects work offset entry (0..200) and applies it: the target and the move end shift by the change
// of the active offset so that the machine position stays. 0 (nothing changed) when the entry lies
// outside the work offset table.
int SelectWorkOffsetEntry(int entry);
