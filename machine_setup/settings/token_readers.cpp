// Token readers of the text definition files: numbers, integers, ";" values and quoted names pulled out
// of a line at a reading position, words matched at a value's start, plus the locale-independent
// decimal conversions behind them.
// What a value means is left to the file readers that call these.
#include "machine_setup/settings/token_readers.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <system_error>

namespace {

const char kNumberCharacters[] = "1234567890-.\n";

// Length of the line, or -1 when position does not lie inside it (0 .. length, the NUL included).
int CheckedLineLength(const char* line, int position)
{
    if (line == nullptr || position < 0) {
        return -1;
    }
    size_t length = std::strlen(line);
    if (length > static_cast<size_t>(INT_MAX) || static_cast<size_t>(position) > length) {
        return -1;
    }
    return static_cast<int>(length);
}

// Index of the first occurrence of c at or after position, or -1.
int FindCharacter(const char* line, int position, char c)
{
    if (CheckedLineLength(line, position) < 0) {
        return -1;
    }
    const char* found = std::strchr(line + position, c);
    if (found == nullptr || c == '\0') {
        return -1;
    }
    return static_cast<int>(found - line);
}

bool IsSpaceCharacter(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

float ClampToFloat(double value)
{
    if (value > FLT_MAX) {
        return FLT_MAX;
    }
    if (value < -FLT_MAX) {
        return -FLT_MAX;
    }
    return static_cast<float>(value);
}

// Decimal exponent of the leading significant digit of the mantissa text [mantissa, end) scaled by
// the written exponent; used only to tell an overflow from an underflow.
long EstimateMagnitude(const char* mantissa, const char* end, long exponent)
{
    long integerDigits = 0;
    long fractionZeros = 0;
    bool significant = false;
    bool inFraction = false;
    for (const char* p = mantissa; p < end; ++p) {
        if (*p == '.') {
            inFraction = true;
        } else if (!inFraction) {
            if (*p != '0' || significant) {
                significant = true;
                ++integerDigits;
            }
        } else if (integerDigits == 0 && !significant) {
            if (*p == '0') {
                ++fractionZeros;
            } else {
                significant = true;
            }
        }
    }
    return integerDigits > 0 ? integerDigits - 1 + exponent : exponent - fractionZeros - 1;
}

// Start of the digits of an atof/atoi text: leading white space and one "+" or "-" are passed over;
// *negative tells whether the sign was "-".
const char* SkipSpaceAndSign(const char* text, bool* negative)
{
    const char* p = text;
    while (IsSpaceCharacter(*p)) {
        ++p;
    }
    *negative = false;
    if (*p == '+' || *p == '-') {
        *negative = (*p == '-');
        ++p;
    }
    return p;
}

} // namespace

// Value of the number that starts at line[start]: a number that starts at the line end is 0, even when
// the buffer goes on with another line.
static double ConvertNumberAt(const char* line, int start)
{
    return line[start] == '\n' ? 0.0 : ConvertNumberText(line + start);
}

int FindNumberStart(const char* line, int position)
{
    if (CheckedLineLength(line, position) < 0) {
        return -1;
    }
    size_t offset = std::strcspn(line + position, kNumberCharacters);
    if (line[position + offset] == '\0') {
        return -1;
    }
    return position + static_cast<int>(offset);
}

// The atof form: white space, optional sign, digits with an optional point, an optional exponent that
// needs at least one digit; the text stops at the first character that does not fit. Converted without
// the C locale's decimal point; out of range: +-DBL_MAX or 0.
double ConvertNumberText(const char* text)
{
    if (text == nullptr) {
        return 0.0;
    }
    bool negative = false;
    const char* p = SkipSpaceAndSign(text, &negative);
    const char* mantissa = p;
    int digitCount = 0;
    while (IsDigit(*p)) {
        ++p;
        ++digitCount;
    }
    if (*p == '.') {
        ++p;
        while (IsDigit(*p)) {
            ++p;
            ++digitCount;
        }
    }
    if (digitCount == 0) {
        return 0.0;
    }
    const char* mantissaEnd = p;
    long exponent = 0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        bool exponentNegative = false;
        if (*q == '+' || *q == '-') {
            exponentNegative = (*q == '-');
            ++q;
        }
        if (IsDigit(*q)) {
            while (IsDigit(*q)) {
                if (exponent < 1000000) {
                    exponent = exponent * 10 + (*q - '0');
                }
                ++q;
            }
            if (exponentNegative) {
                exponent = -exponent;
            }
            p = q;
        }
    }
    double value = 0.0;
    std::from_chars_result result = std::from_chars(mantissa, p, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        value = EstimateMagnitude(mantissa, mantissaEnd, exponent) > 0 ? DBL_MAX : 0.0;
    } else if (result.ec != std::errc() || !std::isfinite(value)) {
        value = 0.0;
    }
    return negative ? -value : value;
}

// The atoi form (white space, optional sign, decimal digits), saturated at INT_MIN and INT_MAX.
int ConvertIntegerText(const char* text)
{
    if (text == nullptr) {
        return 0;
    }
    bool negative = false;
    const char* p = SkipSpaceAndSign(text, &negative);
    long long magnitude = 0;
    const long long limit = static_cast<long long>(INT_MAX) + 1;
    while (IsDigit(*p)) {
        if (magnitude <= limit) {
            magnitude = magnitude * 10 + (*p - '0');
        }
        ++p;
    }
    if (negative) {
        return magnitude >= limit ? INT_MIN : static_cast<int>(-magnitude);
    }
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

// Moves *position to the next number character and returns its index; none (or no position): -1 and
// the position is unchanged.
static int MoveToNumberStart(int* position, const char* line)
{
    if (position == nullptr) {
        return -1;
    }
    int start = FindNumberStart(line, *position);
    if (start >= 0) {
        *position = start;
    }
    return start;
}

// Moves *position onto the next ","; returns false (position unchanged) when there is none.
static bool MoveToComma(int* position, const char* line)
{
    if (position == nullptr) {
        return false;
    }
    int comma = FindCharacter(line, *position, ',');
    if (comma < 0) {
        return false;
    }
    *position = comma;
    return true;
}

void ReadNextNumber(int* position, const char* line, double* out)
{
    *out = 0.0;
    int start = MoveToNumberStart(position, line);
    if (start >= 0) {
        *out = ConvertNumberAt(line, start);
    }
}

void ReadNumberAfterComma(int* position, const char* line, double* out)
{
    *out = 0.0;
    if (MoveToComma(position, line)) {
        ReadNextNumber(position, line, out);
    }
}

int ReadNextInteger(int* position, const char* line, int* out)
{
    *out = 0;
    int start = MoveToNumberStart(position, line);
    if (start >= 0) {
        *out = line[start] == '\n' ? 0 : ConvertIntegerText(line + start);
    }
    return *out;
}

void ReadIntegerAfterComma(int* position, const char* line, int* out)
{
    *out = 0;
    if (MoveToComma(position, line)) {
        ReadNextInteger(position, line, out);
    }
}

void ReadNextFloat(int* position, const char* line, float* out)
{
    double value = 0.0;
    ReadNextNumber(position, line, &value);
    *out = ClampToFloat(value);
}

void ReadFloatAfterComma(int* position, const char* line, float* out)
{
    double value = 0.0;
    ReadNumberAfterComma(position, line, &value);
    *out = ClampToFloat(value);
}

void ReadNumberAfterSemicolon(int* position, const char* line, float* out)
{
    *out = -1.0f;
    if (position == nullptr) {
        return;
    }
    int semicolon = FindCharacter(line, *position, ';');
    if (semicolon < 0) {
        return;
    }
    int start = FindNumberStart(line, semicolon);
    if (start < 0) {
        return;
    }
    int comma = FindCharacter(line, *position, ',');
    if (comma >= 0 && comma < start) {
        return;
    }
    *position = start;
    *out = ClampToFloat(ConvertNumberAt(line, start));
}

void ReleaseQuotedWord(char** text)
{
    if (text != nullptr) {
        std::free(*text);
        *text = nullptr;
    }
}

void ReadQuotedOrWord(int* position, const char* line, char** text)
{
    ReleaseQuotedWord(text);
    if (position == nullptr || CheckedLineLength(line, *position) < 0) {
        return;
    }
    int wordStart = *position;
    int open = FindCharacter(line, *position, '"');
    if (open >= 0) {
        int close = FindCharacter(line, open + 1, '"');
        if (close >= 0) {
            size_t length = static_cast<size_t>(close - open - 1);
            char* copy = static_cast<char*>(std::malloc(length + 1));
            if (copy != nullptr) {
                std::memcpy(copy, line + open + 1, length);
                copy[length] = '\0';
            }
            *text = copy;
            *position = close;
            return;
        }
        wordStart = open + 1;
    }
    *position = wordStart + static_cast<int>(std::strcspn(line + wordStart, " \t"));
}

void SnapNearZeroAngle(double* angle)
{
    if (angle != nullptr && std::fabs(*angle) < 1e-5) {
        *angle = static_cast<double>(static_cast<float>(*angle + 360.0)) - 360.0;
    }
}

int StartsWithWordNoCase(const char* text, const char* word)
{
    return text != nullptr && strncasecmp(text, word, std::strlen(word)) == 0 ? 1 : 0;
}

int ReadWordChoice(const char* value, const WordChoice* choices, int count, int* target)
{
    for (int i = 0; i < count; ++i) {
        if (StartsWithWordNoCase(value, choices[i].word)) {
            *target = choices[i].value;
            return 1;
        }
    }
    return 0;
}
