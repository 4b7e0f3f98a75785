// Token readers shared by every text definition file (tool table, arbor file, controller and machine
// definitions, settings and colour values, MEMORY lines, dialect keyword blocks). They pull one number,
// integer, quoted word or ";" value out of a line at a reading position, or match the words of a value;
// the file readers own the lines.
#pragma once

// Reading position: a signed index into a NUL-terminated line, owned by the caller and updated in place.
// A reader that finds its value leaves the position at the value's FIRST character (not behind it), so a
// list is read with the after-comma readers. Nothing found is never an error: the value reads as 0 (or as
// said below) and the position stays where it was. A position below 0 or beyond the line's end finds
// nothing. Numbers start at the first character of "1234567890-.\n" (the line end counts and reads as 0).
// Conversion is the plain decimal form (optional sign, digits, point, exponent); a lone "-" or "." is 0.
// Out-of-range values are clamped: doubles to +-DBL_MAX, floats to +-FLT_MAX, integers to INT_MIN/INT_MAX;
// no reader ever yields an infinity or a NaN.

// Next number from *position: the position moves to its first character and *out is its value;
// none on the line: *out = 0 and the position is unchanged.
void ReadNextNumber(int* position, const char* line, double* out);

// Next "," from *position: the position moves onto it and ReadNextNumber reads from there;
// no comma: *out = 0 and the position is unchanged.
void ReadNumberAfterComma(int* position, const char* line, double* out);

// ReadNextNumber with an integer (base-10 whole-number) conversion; returns *out as well.
int ReadNextInteger(int* position, const char* line, int* out);

// Next ",": the position moves onto it, then to the next number character (none: *out = 0 and the
// position stays on the comma) and *out is its integer conversion; no comma: *out = 0, position unchanged.
void ReadIntegerAfterComma(int* position, const char* line, int* out);

// ReadNextNumber / ReadNumberAfterComma rounded to single precision.
void ReadNextFloat(int* position, const char* line, float* out);
void ReadFloatAfterComma(int* position, const char* line, float* out);

// The value written after the next ";" (single precision), or -1 when there is no ";", no number after
// it, or a "," comes before that number (the value then belongs to a later list element). On success
// the position moves to the number's first character.
void ReadNumberAfterSemicolon(int* position, const char* line, float* out);

// A name in double quotes anywhere further on the line. Frees *text first (it must be 0 or a string from
// an earlier call). Found: *text = a new malloc'ed copy of the characters between the quotes, position on
// the closing quote. No closing quote: *text = 0, position at the next blank/tab after the opening quote
// (or the line's NUL). No quote at all: *text = 0, position at the next blank/tab (or the NUL).
// Release the last name with ReleaseQuotedWord (or std::free).
void ReadQuotedOrWord(int* position, const char* line, char** text);
void ReleaseQuotedWord(char** text);

// An angle of magnitude below 1e-5 becomes exactly 0 (computed as float(angle + 360) - 360).
void SnapNearZeroAngle(double* angle);

// 1 when text begins with word, letter case ignored ("Auto..." begins with "AUTO"); a null text begins
// with nothing.
int StartsWithWordNoCase(const char* text, const char* word);

// A word a value may begin with and the number it stands for.
struct WordChoice {
    const char* word;
    int value;
};

// The first listed word that begins the value (StartsWithWordNoCase) sets *target: result 1; none
// leaves *target unchanged: result 0.
int ReadWordChoice(const char* value, const WordChoice* choices, int count, int* target);

// Low-level helpers used by the readers above and by file readers that scan values inline.
// Index of the first number character at or after position, or -1 (also for an invalid position).
int FindNumberStart(const char* line, int position);
// Decimal conversion of the text (atof/atoi forms: leading white space, sign, ...), clamped as above.
double ConvertNumberText(const char* text);
int ConvertIntegerText(const char* text);
