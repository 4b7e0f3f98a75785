// Readers of NC word values: the number text after an address letter ends at the next letter, "(" or
// line feed; the readers differ in the decimal-point rule and in where they leave the scan position.
#include "nc/nc_words.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "nc/interpreter_state.h"

HeidenhainCycleParameters g_HeidenhainCycleParameters = {};

namespace {

// One number text copied out of the line.
struct NumberText {
    char text[NC_WORD_TEXT_MAX + 1];
    int end;        // index of the first character after the number text
    int hasPoint;   // 1 when the text holds a "."
};

int IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

// The end of the number text that starts at position (first ValueTextSet character or the NUL).
int FindValueTextEnd(int position, const char* line)
{
    int k = position;
    while (!IsValueTextEnd(line[k])) ++k;
    return k;
}

// Copies line[start, end) into out. A text longer than the work buffer is refused: it reads as an
// empty text (the value 0), so nothing is ever written beyond the buffer.
void TakeNumberText(const char* line, int start, int end, NumberText* out)
{
    out->end = end;
    const int length = end - start;
    if (length <= 0 || length > NC_WORD_TEXT_MAX) {
        out->text[0] = '\0';
        out->hasPoint = 0;
        return;
    }
    std::memcpy(out->text, line + start, (size_t)length);
    out->text[length] = '\0';
    out->hasPoint = std::memchr(out->text, '.', (size_t)length) != nullptr;
}

// Standard text-to-double conversion (leading blanks, sign, digits, point); 0 when no number starts it.
double ConvertDouble(const char* text)
{
    return std::strtod(text, nullptr);
}

// Standard text-to-int conversion, stopping at the first character that is not a digit; saturates.
int ConvertInteger(const char* text)
{
    const long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return (int)value;
}

double DivideUnlessPoint(const NumberText& number, double divisor)
{
    const double value = ConvertDouble(number.text);
    if (number.hasPoint || divisor <= 0.0) return value;
    return value / divisor;
}

int SafePosition(const int* position, const char* line)
{
    if (position == nullptr || line == nullptr || *position < 0) return -1;
    const int length = (int)std::strlen(line);
    return *position > length ? length : *position;
}

}  // namespace

int IsValueTextEnd(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '(' || c == '\n' || c == '\0';
}

void ReadWordValue(int* position, const char* line, double* value)
{
    const int start = SafePosition(position, line);
    if (start < 0) return;
    NumberText number;
    TakeNumberText(line, start, FindValueTextEnd(start, line), &number);
    double result = ConvertDouble(number.text);
    if (g_DecimalPointMode != DECIMAL_POINT_NORMAL) {
        if (number.hasPoint) {
            g_DecimalPointMode = 2;
        } else {
            result /= g_InputIncrement > 0 ? (double)g_InputIncrement : 1000.0;
            g_DecimalPointMode = 1;
        }
    }
    if (value) *value = result;
    *position = number.end;
}

void ReadIntegerWord(int* position, const char* line, int* value)
{
    const int start = SafePosition(position, line);
    if (start < 0) return;
    NumberText number;
    TakeNumberText(line, start, FindValueTextEnd(start, line), &number);
    if (value) *value = ConvertInteger(number.text);
    // A letter followed at once by another letter, "(" or the line end ends the scan of the block.
    *position = number.end == start ? (int)std::strlen(line) : number.end;
}

void ReadPlainValue(int* position, const char* line, double* value)
{
    const int start = SafePosition(position, line);
    if (start < 0) return;
    NumberText number;
    TakeNumberText(line, start, FindValueTextEnd(start, line), &number);
    if (value) *value = ConvertDouble(number.text);
    *position = number.end;
}

void ReadThousandthsValue(int* position, const char* line, double* value)
{
    const int start = SafePosition(position, line);
    if (start < 0) return;
    NumberText number;
    TakeNumberText(line, start, FindValueTextEnd(start, line), &number);
    const double result = g_DecimalPointMode == DECIMAL_POINT_NORMAL ? ConvertDouble(number.text)
                                                                      : DivideUnlessPoint(number, 1000.0);
    if (value) *value = result;
    *position = start;
}

void ReadValueWithDivisor(int* position, const char* line, double* value, int divisor)
{
    const int start = SafePosition(position, line);
    if (start < 0) return;
    NumberText number;
    TakeNumberText(line, start, FindValueTextEnd(start, line), &number);
    if (value) *value = DivideUnlessPoint(number, (double)divisor);
    *position = start;
}

void ReadDwellValue(int* position, const char* line, double* value)
{
    const int start = SafePosition(position, line);
    if (start < 0) return;
    NumberText number;
    TakeNumberText(line, start, FindValueTextEnd(start, line), &number);
    if (value) *value = DivideUnlessPoint(number, 1000.0);
    *position = start;
}

void ReadDelimitedValue(int* position, const char* line, double* value)
{
    const int start = SafePosition(position, line);
    if (start < 0) return;
    const char* from = line + start;
    int end = -1;
    for (int k = 0; from[k] != '\0'; ++k) {
        if (IsBlankOrTab(from[k])) {
            end = start + k;
            break;
        }
    }
    if (end < 0) {
        const char* semicolon = std::strchr(from, ';');
        end = semicolon != nullptr ? (int)(semicolon - line) : FindValueTextEnd(start, line);
    }
    NumberText number;
    TakeNumberText(line, start, end, &number);
    if (value) *value = ConvertDouble(number.text);
    *position = number.end;
}

void ReadCycleParameterWord(int* position, const char* line)
{
    int pos = SafePosition(position, line);
    if (pos < 0) return;
    if (line[pos] == '0') ++pos;
    const char digit = line[pos];
    if (digit != '\0') ++pos;
    *position = pos;
    HeidenhainCycleParameters& p = g_HeidenhainCycleParameters;
    const int peck = g_DefinedCycleCode == 73 || g_DefinedCycleCode == 83;
    switch (digit) {
    case '1':
        ReadThousandthsValue(position, line, &p.clearance);
        break;
    case '2':
        ReadWordValue(position, line, &p.holeBottom);
        g_CycleAxisWordSeen = 1;
        break;
    case '3':
        if (peck) ReadWordValue(position, line, &p.peckDepth);
        else ReadDwellValue(position, line, &p.dwell);
        break;
    case '4':
        if (peck) ReadDwellValue(position, line, &p.dwell);
        else ReadPlainValue(position, line, &p.plungeFeed);
        break;
    case '5':
        if (peck) ReadPlainValue(position, line, &p.plungeFeed);
        break;
    default:
        break;
    }
}
