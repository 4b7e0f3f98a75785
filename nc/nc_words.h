// Readers of the number after an NC address letter (X-12.5, G01, P500): where the number text ends,
// whether a number without a decimal point counts in least input increments, and whether the scan
// position moves past it. Every reader takes the scan position (in/out), the line and the result.
#pragma once

constexpr int NC_WORD_TEXT_MAX = 79;   // longest number text converted; a longer one reads as 0

// HEIDENHAIN ISO cycle parameters P01 to P05 (and Q202, Q206, Q211 of the dialect keywords).
struct HeidenhainCycleParameters {
    double dwell;        // dwell at the bottom (seconds)
    double peckDepth;
    double clearance;    // R-level clearance
    double holeBottom;
    double plungeFeed;
};
extern HeidenhainCycleParameters g_HeidenhainCycleParameters;

// 1 for a character that ends a number text: an ASCII letter, "(" or the line feed (and the NUL).
int IsValueTextEnd(char c);

// Axis words and most length values: mode 3 (NORMAL) as written; with a "." as written (mode becomes
// 2); without a "." divided by g_InputIncrement (mode becomes 1). Position moves past the number text.
void ReadWordValue(int* position, const char* line, double* value);
// G, M, T, D, H, O, N ...: integer conversion (stops at the first non-digit). Position at the end of the
// number text; when that is the scan position itself, at the end of the line (ends the block's scan).
void ReadIntegerWord(int* position, const char* line, int* value);
// F and others: as written whatever the mode; position moves past the number text.
void ReadPlainValue(int* position, const char* line, double* value);
// As written with a "." or in mode 3, else divided by 1000; position unchanged.
void ReadThousandthsValue(int* position, const char* line, double* value);
// As written with a ".", else divided by divisor; position unchanged.
void ReadValueWithDivisor(int* position, const char* line, double* value, int divisor);
// Dwell: as written with a ".", else thousandths of a second in every mode; position unchanged.
void ReadDwellValue(int* position, const char* line, double* value);
// HEIDENHAIN Q parameter value: ends at the first blank or tab, else ";", else the usual end, else the
// end of the line; as written; position moves past it.
void ReadDelimitedValue(int* position, const char* line, double* value);
// HEIDENHAIN ISO cycle P word (position just after the "P"): fills g_HeidenhainCycleParameters.
void ReadCycleParameterWord(int* position, const char* line);
