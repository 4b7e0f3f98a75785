// Coordinate words of a block: linear axis words, incremental axis letters, rotary words, the
// spindle-position word, the arc-centre words I, J, K with their incremental letters, and the arc
// radius. Each handler is called with the position on the word's letter, steps over it, reads the
// value and puts it where the block's context (g_LastGCode and the modal state) says; the contexts
// are tried in a fixed order and the first that applies takes the value.
#pragma once

// Linear axis word of machine axis (0 X, 1 Y, 2 Z).
void ReadLinearAxisWord(int* position, const char* line, int axis);
// Incremental axis letter ("INC-X CHAR" ...) of machine axis 0, 1, 2.
void ReadIncrementalAxisWord(int* position, const char* line, int axis);
// Incremental rotary letter ("INC-ROTARY1 CHAR" axis 3, "INC-ROTARY2 CHAR" axis 4).
void ReadIncrementalRotaryWord(int* position, const char* line, int axis);
// Rotary word (g_Rotary1Letter axis 3, g_Rotary2Letter axis 4).
void ReadRotaryWord(int* position, const char* line, int axis);
// Spindle-position word (the "SPINDLE CONTROL" letter).
void ReadSpindlePositionWord(int* position, const char* line);
// Arc-centre word of machine axis 0, 1, 2 (normally I, J, K).
void ReadArcCentreWord(int* position, const char* line, int axis);
// Incremental arc letter ("INC-I CHAR", "INC-J CHAR", "INC-K CHAR") of axis 0, 1, 2.
void ReadIncrementalArcWord(int* position, const char* line, int axis);
// Arc radius (position after the R or OSP lathe L letter, which the caller stepped over).
void ReadArcRadiusWord(int* position, const char* line);
