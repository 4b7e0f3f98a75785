// The G and M words of a block: motion kind, plane, compensation, length offset, work offset, scaling,
// mirror, coordinate rotation, tilted plane, canned cycles, spindle, calls and returns, by dialect.
#pragma once

#include "machine_setup/machine/axis_position.h"

// Word handler results: the pass goes on behind the word, or the rest of the line is not read.
enum WordScanResult { WORD_SCAN_ENDS = 0, WORD_SCAN_GOES_ON = 1 };

// The G word at *position (on the letter): reads the code into g_LastGCode and applies it.
// Returns a WordScanResult.
int ReadGWord(int* position, const char* line);
// The M word at *position (on the letter): reads the code into g_LastMCode and applies it.
int ReadMWord(int* position, const char* line);

// Selects work offset entry (0..200) and applies it (ChangeActiveWorkOffset with ComposeWorkOffset):
// the machine position stays. 0 (nothing changed) when the entry lies outside the work offset table.
int SelectWorkOffsetEntry(int entry);

// The active offset that work offset entry `entry` gives: the G92 shift, the external offset (entry
// 0), the entry itself (when not 0) and the entry's local shift (G52). The active offset as it is
// for an entry outside the table.
AxisPosition ComposeWorkOffset(int entry);
// Makes `next` the active work offset with the tool staying where it is in the machine: the program
// positions (target, commanded values, previous position, move end, control point) are taken again
// in the new frame, so the next move starts where the last one ended.
void ChangeActiveWorkOffset(const AxisPosition& next);
