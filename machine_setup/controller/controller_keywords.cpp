// The keyword lines of the controller definition: the fixed test order of the keywords and the
// reading of each value into its setting. Values that would not fit their field or table are refused
// (the setting keeps its value); the tables of offsets and rules are read in offset_memories.cpp.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/controller_line.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/settings/token_readers.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/machine/stroke_limits.h"
#include "work_model/file_routines.h"

namespace {

typedef int (*KeywordHandler)(const char* line, int cursor);

// ---------------------------------------------------------------------------------------------------
// Value forms

// Blanks and "=" skipped, then the index of the first of words (count of them) that the value begins
// with, compared case-insensitively over the word's length; -1 when none.
int MatchValueWord(const char* line, int cursor, const char* const* words, int count)
{
    SkipBlanksAndEquals(&cursor, line);
    for (int k = 0; k < count; ++k) {
        if (MatchesWordAt(line, cursor, words[k])) return k;
    }
    return -1;
}

// 1 when the value word is word.
int IsValueWord(const char* line, int cursor, const char* word)
{
    return MatchValueWord(line, cursor, &word, 1) == 0;
}

// Blanks and "=" skipped, the next character in upper case; 0 when there is no printable one.
char ReadLetterValue(const char* line, int cursor)
{
    SkipBlanksAndEquals(&cursor, line);
    unsigned char c = (unsigned char)line[cursor];
    if (c <= ' ' || c == 127) return 0;
    return (char)std::toupper(c);
}

double ReadNumberValue(const char* line, int cursor)
{
    double value = 0.0;
    ReadNextNumber(&cursor, line, &value);
    return value;
}

// Truncation of a double to an int, held within the int range.
int TruncateToInt(double value)
{
    if (!(value > -2147483648.0)) return value != value ? 0 : INT32_MIN;
    if (value >= 2147483647.0) return INT32_MAX;
    return (int)value;
}

int IsLineEnd(char c)
{
    return c == '\0' || c == '\n' || c == '\r';
}

// A code word: blanks, tabs and "=" skipped, the text up to the next blank or tab or the line end.
// Stored without a terminating zero with its length; a word longer than size is refused and an empty
// word stores nothing. 1 when stored.
int ReadCodeWord(const char* line, int cursor, char* out, int size, int* length)
{
    while (line[cursor] == ' ' || line[cursor] == '\t' || line[cursor] == '=') ++cursor;
    int end = cursor;
    while (!IsLineEnd(line[end]) && line[end] != ' ' && line[end] != '\t') ++end;
    int n = end - cursor;
    if (n == 0 || n > size) return 0;
    std::memcpy(out, line + cursor, (size_t)n);
    if (n < size) out[n] = '\0';
    *length = n;
    return 1;
}

// The text of a UNIT line from its first number character: the divisor of the first matching group,
// -1 when none matches.
int MatchUnitText(const char* line, int cursor, const char* const groups[][3], const int* values, int groupCount)
{
    int start = FindNumberStart(line, cursor);
    if (start < 0) return -1;
    for (int g = 0; g < groupCount; ++g) {
        for (int k = 0; k < 3; ++k) {
            if (MatchesWordAt(line, start, groups[g][k])) return values[g];
        }
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------------
// Name, display and units

int ReadNameLine(const char* line, int cursor)
{
    cursor = AdvanceCursor(line, cursor, 1);
    SkipBlanksAndEquals(&cursor, line);
    int end = cursor;
    while (!IsLineEnd(line[end])) ++end;
    int n = end - cursor;
    if (n > CONTROLLER_NAME_MAX) n = CONTROLLER_NAME_MAX;  // the name holds 20 characters
    std::memcpy(g_ControllerName, line + cursor, (size_t)n);
    g_ControllerName[n] = '\0';
    g_ControllerNameLength = n;
    return 1;
}

int ReadNameColourLine(const char* line, int cursor)
{
    cursor = AdvanceCursor(line, cursor, 1);
    double values[6];
    ReadNextNumber(&cursor, line, &values[0]);
    for (int k = 1; k < 6; ++k) ReadNumberAfterComma(&cursor, line, &values[k]);
    for (int k = 0; k < 3; ++k) {
        g_ControllerNameTextColour[k] = TruncateToInt(values[k]);
        g_ControllerNameBackColour[k] = TruncateToInt(values[3 + k]);
    }
    return 1;
}

int ReadViewCentreLine(const char* line, int cursor)
{
    cursor = AdvanceCursor(line, cursor, 1);
    ReadNextNumber(&cursor, line, &g_CtlViewCentre[0]);
    ReadNumberAfterComma(&cursor, line, &g_CtlViewCentre[1]);
    ReadNumberAfterComma(&cursor, line, &g_CtlViewCentre[2]);
    g_ViewCentreFromCtl = 1;
    return 1;
}

int ReadUnitLine(const char* line, int cursor)
{
    if (line[4] != '\0' && line[5] == '(') return 0;
    static const char* const groups[3][3] = {
        {"1/10000", "0.0001", ".0001"}, {"1/1000", "0.001", ".001"}, {"1/100", "0.01", ".01"}};
    static const int values[3] = {10000, 1000, 100};
    int unit = MatchUnitText(line, AdvanceCursor(line, cursor, 1), groups, values, 3);
    if (unit < 0) return 1;
    g_InputIncrement = unit;
    g_LengthInputTolerance = unit == 10000 ? 0.00005 : 0.0005;
    return 1;
}

int ReadScaleUnit(const char* line, int cursor, int* out)
{
    static const char* const groups[2][3] = {{"1/100000", "0.00001", ".00001"}, {"1/1000", "0.001", ".001"}};
    static const int values[2] = {100000, 1000};
    int unit = MatchUnitText(line, AdvanceCursor(line, cursor, 1), groups, values, 2);
    if (unit > 0) *out = unit;
    return 1;
}

int ReadUnitScaleLine(const char* line, int cursor) { return ReadScaleUnit(line, cursor, &g_ScaleInputUnit); }
int ReadUnitDegLine(const char* line, int cursor) { return ReadScaleUnit(line, cursor, &g_AngleInputUnit); }

int ReadDecimalPointLine(const char* line, int cursor)
{
    static const char* const words[] = {"NORMAL", "NO", "YES"};
    static const int values[] = {DECIMAL_POINT_NORMAL, DECIMAL_POINT_NO, DECIMAL_POINT_YES};
    int k = MatchValueWord(line, AdvanceCursor(line, cursor, 1), words, 3);
    g_DecimalPointSetting = k < 0 ? DECIMAL_POINT_OTHER : values[k];
    return 1;
}

// ---------------------------------------------------------------------------------------------------
// Dialect and machine type

int ReadProductLine(const char* line, int cursor)
{
    static const char* const words[] = {"OSP", "MAZAK", "SIEMENS", "HEIDENHAIN"};
    switch (MatchValueWord(line, cursor, words, 4)) {
    case 0:
        g_DialectOsp = 1;
        g_DialectCode = DIALECT_OSP;
        g_TclTableCoordinate = 1;
        g_StartWorkOffset = 0;
        g_WorkOffsetIndex = 0;
        break;
    case 1:
        g_DialectMazak = 1;
        break;
    case 2:
        g_DialectSiemens = 1;
        g_TclTableCoordinate = 1;
        break;
    case 3:
        g_DialectHeidenhain = 1;
        g_DialectCode = DIALECT_HEIDENHAIN;
        g_TclTableCoordinate = 1;
        break;
    default:
        break;
    }
    return 1;
}

int ReadTypeLine(const char* line, int cursor)
{
    static const char* const words[] = {"WIRE", "LATHE"};
    int k = MatchValueWord(line, cursor, words, 2);
    if (k == 0) {
        g_MachineWire = 1;
        g_TclVectorInterpolation = 1;
    } else if (k == 1) {
        g_MachineLathe = 1;
        g_LatheModeOn = 1;
        g_InitialPlane = 18;
        g_PlaneCode = 18;
    }
    return 1;
}

int ReadTclCoordinateLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "TABLE")) g_TclTableCoordinate = 0;
    return 1;
}

int ReadTclVectorLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "VECTOR")) g_TclVectorInterpolation = 1;
    return 1;
}

int ReadToolCentreLine(const char* line, int cursor)
{
    static const char* const words[] = {"NO", "TYPE1", "TYPE2"};
    int k = MatchValueWord(line, cursor, words, 3);
    if (k >= 0) {
        g_ToolCentreMode = k;
        g_ToolCentreModeAtStart = k;
    }
    return 1;
}

int ReadZCeLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "Z-C")) g_ZCeCoordinate = 1;
    return 1;
}

int ReadAngleDecisionLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "FANUC-2")) g_AngleDecisionFanuc2 = 1;
    return 1;
}

int ReadNo60Bit2Line(const char* line, int cursor)
{
    if (ReadNumberValue(line, cursor) == 1.0) g_No60Bit2 = 1;
    return 1;
}

// "EOR": the first "=" after the keyword, blanks, then the character.
int ReadEorLine(const char* line, int cursor)
{
    int equals = FindCharFrom(line, cursor, "=");
    if (equals < 0) return 1;
    int k = equals + 1;
    while (line[k] == ' ') ++k;
    if (IsLineEnd(line[k])) return 1;
    g_EndOfRecordChar = line[k];
    return 1;
}

// ---------------------------------------------------------------------------------------------------
// Reading NC lines

int ReadRunTypeLine(const char* line, int cursor)
{
    if (!IsValueWord(line, cursor, "MEMORY")) return 1;
    g_RunFromMemory = 1;
    int32_t** arrays[4] = {&g_MemorySubprogramNumbers, &g_MemorySubprogramOffsets, &g_MemorySubprogramLines,
                           &g_MemorySubprogramLengths};
    for (int32_t** array : arrays) {
        if (*array == nullptr) *array = (int32_t*)std::calloc(MEMORY_SUBPROGRAM_SLOTS, sizeof(int32_t));
    }
    return 1;
}

int ReadReplaceTypeLine(const char* line, int cursor)
{
    int start = FindNumberStart(line, AdvanceCursor(line, cursor, 1));
    if (start >= 0 && line[start] == '2') g_ReplaceType2 = 1;
    return 1;
}

int ReadReplaceLine(const char* line, int)
{
    if (g_ReplaceRules.count >= REPLACE_RULE_MAX) return 0;  // a full table: the line matches nothing
    ReadReplaceRuleLine(line);
    return 1;
}

int ReadCheckCharLine(const char* line, int cursor)
{
    int open = FindCharFrom(line, cursor, "\"");
    if (open < 0) return 1;
    int close = FindCharFrom(line, open + 1, "\"");
    if (close < 0) return 1;
    int n = close - open - 1;
    char* copy = (char*)std::malloc((size_t)n + 1);
    if (copy == nullptr) return 1;
    std::memcpy(copy, line + open + 1, (size_t)n);
    copy[n] = '\0';
    std::free(g_CheckChars);
    g_CheckChars = copy;
    g_CheckCharsLength = n;
    return 1;
}

int ReadCodeCheckLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "YES")) g_CodeCheck = 1;
    return 1;
}

// Switch n on; values below 1 count as 1, switches above 9 do not exist.
void SetBlockSkipSwitch(double value)
{
    int n = TruncateToInt(value);
    if (n < 1) n = 1;
    if (n < OPTIONAL_BLOCK_SKIP_COUNT) g_OptionalBlockSkip[n] = 1;
}

int ReadOptionalBlockSkipLine(const char* line, int cursor)
{
    SetBlockSkipSwitch(ReadNumberValue(line, cursor));
    int comma = FindCharFrom(line, cursor, ",");
    while (comma >= 0) {
        SetBlockSkipSwitch(ReadNumberValue(line, comma + 1));
        comma = FindCharFrom(line, comma + 1, ",");
    }
    g_OptionalBlockSkipAny = 0;
    for (int n = 1; n < OPTIONAL_BLOCK_SKIP_COUNT; ++n) {
        if (g_OptionalBlockSkip[n]) g_OptionalBlockSkipAny = 1;
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------------
// Checks

int ReadCheckF0Line(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "YES")) g_CheckF0 = 1;
    return 1;
}

int ReadRToleranceLine(const char* line, int cursor)
{
    ReadNextFloat(&cursor, line, &g_ArcRadiusTolerance);
    return 1;
}

int ReadCheckRadiusOffsetLine(const char* line, int cursor)
{
    SkipBlanksAndEquals(&cursor, line);
    int length = (int)std::strlen(line);
    int k = cursor;
    while (k < length) {
        int found = 1;
        if (MatchesWordAt(line, k, "STOP")) {
            g_RadiusCheckStop = 1;
        } else if (MatchesWordAt(line, k, "LIST")) {
            g_RadiusCheckList = 1;
        } else if (MatchesWordAt(line, k, "OPEN")) {
            g_RadiusCheckList = 2;
        } else if (MatchesWordAt(line, k, "PENKI")) {
            g_RadiusCheckPaint = 1;
        } else {
            found = 0;
        }
        if (!found) {
            ++k;
            continue;
        }
        int plus = FindCharFrom(line, k, "+");
        if (plus < 0) break;
        k = plus + 1;
    }
    if (g_RadiusCheckStop || g_RadiusCheckList || g_RadiusCheckPaint) g_RadiusCheckEnabled = 1;
    return 1;
}

int ReadCheckReverseArcLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "YES")) g_CheckReverseArc = 1;
    return 1;
}

int ReadWarningLevelLine(const char* line, int cursor)
{
    ReadNextInteger(&cursor, line, &g_WarningLevel);
    return 1;
}

// ---------------------------------------------------------------------------------------------------
// Plane, feed and motion

int ReadInitialPlaneLine(const char* line, int cursor)
{
    static const char* const words[] = {"XY", "G17", "ZX", "G18", "YZ", "G19"};
    int k = MatchValueWord(line, cursor, words, 6);
    if (k >= 0) {
        g_InitialPlane = 17 + k / 2;
        g_PlaneCode = g_InitialPlane;
    }
    return 1;
}

int ReadFeedrateLine(const char* line, int cursor)
{
    static const char* const words[] = {"DIRECT", "INDIRECT", "AUTO1", "AUTO2"};
    int k = MatchValueWord(line, cursor, words, 4);
    if (k >= 0) g_FeedrateMode = k;
    return 1;
}

// The words are recognised, but every one of them leaves the rapid-move mode at 0.
int ReadG00ModeLine(const char*, int)
{
    return 1;
}

int ReadG00PathLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "LINE")) g_G00PathLine = 1;
    return 1;
}

int ReadSmoothAngleLine(const char* line, int cursor)
{
    ReadNextFloat(&cursor, line, &g_SmoothAngle);
    return 1;
}

int ReadConcaveArcFeedLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "KEEP")) g_ConcaveArcFeedAdjust = 0;
    return 1;
}

int ReadG92ModeLine(const char* line, int cursor)
{
    static const char* const words[] = {"NORMAL", "MOVE"};
    int k = MatchValueWord(line, cursor, words, 2);
    if (k >= 0) g_G92Mode = k;
    return 1;
}

int ReadRotationAngleLine(const char* line, int cursor)
{
    g_RotationAngleSetting = ReadNumberValue(line, cursor);
    return 1;
}

int ReadScaleXLine(const char* line, int cursor) { g_ScaleFactor[0] = ReadNumberValue(line, cursor); return 1; }
int ReadScaleYLine(const char* line, int cursor) { g_ScaleFactor[1] = ReadNumberValue(line, cursor); return 1; }
int ReadScaleZLine(const char* line, int cursor) { g_ScaleFactor[2] = ReadNumberValue(line, cursor); return 1; }

int ReadScaleEffectLine(const char* line, int cursor)
{
    int axis = std::toupper((unsigned char)line[cursor]) - 'X';
    if (axis < 0 || axis > 2) return 1;
    if (IsValueWord(line, AdvanceCursor(line, cursor, 2), "OFF")) g_ScaleEffect[axis] = 0;
    return 1;
}

// ---------------------------------------------------------------------------------------------------
// Cycles

int ReadReturnLevelLine(const char* line, int cursor)
{
    static const char* const words[] = {"R", "G99", "INITIAL", "G98"};
    int k = MatchValueWord(line, cursor, words, 4);
    if (k >= 0) g_CycleReturnInitial = k / 2;
    return 1;
}

int ReadCycleDLine(const char* line, int cursor)
{
    g_PeckReturnG83 = ReadNumberValue(line, cursor);
    g_PeckReturnG73 = g_PeckReturnG83;
    return 1;
}

int ReadG73DLine(const char* line, int cursor) { g_PeckReturnG73 = ReadNumberValue(line, cursor); return 1; }
int ReadG83DLine(const char* line, int cursor) { g_PeckReturnG83 = ReadNumberValue(line, cursor); return 1; }

// "G7" or "G8": a clearance line when " CLEARANCE" stands at column 3; any other such line is ignored.
int ReadClearanceLine(const char* line, int)
{
    if (!MatchesWordAt(line, 3, " CLEARANCE")) return 1;
    int cursor = 1;
    int code = 0;
    ReadNextInteger(&cursor, line, &code);
    int entry = code - 70;
    if (entry < 0 || entry >= CYCLE_CLEARANCE_COUNT) return 1;
    g_CycleClearance[entry] = ReadNumberValue(line, AdvanceCursor(line, 0, 13));
    return 1;
}

int ReadCycleL0Line(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "IGNORE")) g_CycleL0Ignore = 1;
    return 1;
}

int ReadCycleK0Line(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "IGNORE")) g_CycleK0Ignore = 1;
    return 1;
}

int ReadSpindleControlLine(const char* line, int cursor)
{
    char letter = ReadLetterValue(line, cursor);
    if (letter != 0) {
        g_SpindleControl = 1;
        g_SpindleControlCode = letter;
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------------
// Tool offsets and tool length

int ReadToolOffsetMemoryLine(const char* line, int cursor)
{
    SkipBlanksAndEquals(&cursor, line);
    char c = line[cursor];
    if (c >= 'A' && c <= 'C') g_ToolOffsetMemoryType = c - 'A' + 1;
    return 1;
}

int ReadG10ModeLine(const char* line, int cursor)
{
    static const char* const words[] = {"FANUC-A", "FANUC-B", "FANUC-C"};
    int k = MatchValueWord(line, cursor, words, 3);
    if (k >= 0) g_ToolOffsetMemoryType = k + 1;
    return 1;
}

int ReadLengthOffsetTypeLine(const char* line, int cursor)
{
    static const char* const words[] = {"FANUC-A", "FANUC-B", "FANUC-C"};
    int k = MatchValueWord(line, cursor, words, 3);
    if (k >= 0) g_LengthOffsetType = k;
    return 1;
}

int ReadOnlyG40Line(const char* line, int cursor)
{
    static const char* const words[] = {"OFFSET", "RESET"};
    int k = MatchValueWord(line, cursor, words, 2);
    if (k >= 0) g_CompensationCancelMode = k + 1;
    return 1;
}

int ReadG49ModeLine(const char* line, int cursor)
{
    static const char* const words[] = {"NORMAL", "KEEP"};
    int k = MatchValueWord(line, cursor, words, 2);
    if (k >= 0) g_G49Mode = k;
    return 1;
}

int ReadDCodeValueLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "AUTO")) g_DCodeValueAuto = 1;
    return 1;
}

int ReadHCodeValueLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "AUTO")) g_HCodeValueAuto = 1;
    return 1;
}

int ReadAutomaticToolOffsetLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "YES")) g_AutomaticToolOffset = 1;
    return 1;
}

int ReadAutoLengthOffsetLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "YES")) g_AutoLengthOffset = 1;
    return 1;
}

int ReadAutoLengthPositionLine(const char* line, int cursor)
{
    static const char* const words[] = {"BOTTOM", "BALL-CENTER", "F-CENTER", "R-HEIGHT"};
    int k = MatchValueWord(line, cursor, words, 4);
    if (k >= 0) g_AutoLengthPosition = k;
    return 1;
}

int ReadMemoryKeywordLine(const char* line, int)
{
    ReadMemoryLine(line);
    return 1;
}

int ReadBareOffsetKeywordLine(const char* line, int)
{
    ReadBareOffsetLine(line);
    return 1;
}

// ---------------------------------------------------------------------------------------------------
// Axis letters

int ReadAxisCharLine(const char* line, int cursor, int axis)
{
    char letter = ReadLetterValue(line, cursor);
    if (letter != 0) {
        g_AxisChars[axis] = letter;
        g_MachineAxisLetters[axis] = letter;
    }
    return 1;
}

int ReadCharXLine(const char* line, int cursor) { return ReadAxisCharLine(line, cursor, 0); }
int ReadCharYLine(const char* line, int cursor) { return ReadAxisCharLine(line, cursor, 1); }
int ReadCharZLine(const char* line, int cursor) { return ReadAxisCharLine(line, cursor, 2); }

// "X-CODE", "Y-CODE", "Z-CODE": routes program axis letter programAxis to a machine axis.
int ReadAxisCodeLine(const char* line, int cursor, int programAxis)
{
    static const char* const words[] = {"X", "Y", "Z", "-X", "-Y", "-Z"};
    int k = MatchValueWord(line, cursor, words, 6);
    if (k < 0) return 1;
    int machineAxis = k % 3;
    g_MachineAxisLetters[machineAxis] = "XYZ"[programAxis];
    g_ArcCentreLetters[machineAxis] = "IJK"[programAxis];
    g_AxisCodeReversed[programAxis] = k >= 3 ? 1 : 0;
    return 1;
}

int ReadXCodeLine(const char* line, int cursor) { return ReadAxisCodeLine(line, cursor, 0); }
int ReadYCodeLine(const char* line, int cursor) { return ReadAxisCodeLine(line, cursor, 1); }
int ReadZCodeLine(const char* line, int cursor) { return ReadAxisCodeLine(line, cursor, 2); }

int ReadRotaryCodeLine(const char* line, int cursor, int rotary)
{
    static const char* const minusWords[] = {"-A", "-B", "-C"};
    if (IsValueWord(line, cursor, minusWords[rotary])) g_RotaryCodeReversed[rotary] = 1;
    return 1;
}

int ReadACodeLine(const char* line, int cursor) { return ReadRotaryCodeLine(line, cursor, 0); }
int ReadBCodeLine(const char* line, int cursor) { return ReadRotaryCodeLine(line, cursor, 1); }
int ReadCCodeLine(const char* line, int cursor) { return ReadRotaryCodeLine(line, cursor, 2); }

int ReadRotary1CharLine(const char* line, int cursor)
{
    char letter = ReadLetterValue(line, cursor);
    if (letter != 0) g_Rotary1Letter = letter;
    return 1;
}

int ReadRotary2CharLine(const char* line, int cursor)
{
    char letter = ReadLetterValue(line, cursor);
    if (letter != 0) g_Rotary2Letter = letter;
    return 1;
}

int ReadIncrementalCharLine(const char* line, int cursor, char* slot)
{
    char letter = ReadLetterValue(line, cursor);
    if (letter != 0) *slot = letter;
    return 1;
}

int ReadIncXLine(const char* l, int c) { return ReadIncrementalCharLine(l, c, &g_IncrementalAxisChars[0]); }
int ReadIncYLine(const char* l, int c) { return ReadIncrementalCharLine(l, c, &g_IncrementalAxisChars[1]); }
int ReadIncZLine(const char* l, int c) { return ReadIncrementalCharLine(l, c, &g_IncrementalAxisChars[2]); }
int ReadIncR1Line(const char* l, int c) { return ReadIncrementalCharLine(l, c, &g_IncrementalAxisChars[3]); }
int ReadIncR2Line(const char* l, int c) { return ReadIncrementalCharLine(l, c, &g_IncrementalOtherChars[0]); }
int ReadIncILine(const char* l, int c) { return ReadIncrementalCharLine(l, c, &g_IncrementalOtherChars[1]); }
int ReadIncJLine(const char* l, int c) { return ReadIncrementalCharLine(l, c, &g_IncrementalOtherChars[2]); }
int ReadIncKLine(const char* l, int c) { return ReadIncrementalCharLine(l, c, &g_IncrementalOtherChars[3]); }

// ---------------------------------------------------------------------------------------------------
// Rotary axes

int ReadR1LockLine(const char* l, int c)
{
    ReadCodeWord(l, c, g_Rotary1LockCode, LOCK_CODE_SIZE, &g_Rotary1LockCodeLength);
    return 1;
}
int ReadR1UnlockLine(const char* l, int c)
{
    ReadCodeWord(l, c, g_Rotary1UnlockCode, LOCK_CODE_SIZE, &g_Rotary1UnlockCodeLength);
    return 1;
}
int ReadR2LockLine(const char* l, int c)
{
    ReadCodeWord(l, c, g_Rotary2LockCode, LOCK_CODE_SIZE, &g_Rotary2LockCodeLength);
    return 1;
}
int ReadR2UnlockLine(const char* l, int c)
{
    ReadCodeWord(l, c, g_Rotary2UnlockCode, LOCK_CODE_SIZE, &g_Rotary2UnlockCodeLength);
    return 1;
}

int ReadR1RouteLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "SHORTEST")) {
        g_Rotary1ShortestSetting = 1;
        g_Rotary1Shortest = 1;
    }
    return 1;
}

int ReadR2RouteLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "SHORTEST")) {
        g_Rotary2ShortestSetting = 1;
        g_Rotary2Shortest = 1;
    }
    return 1;
}

int ReadR1DirectionLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "REVERSE")) g_Rotary1Direction = -1;
    return 1;
}

int ReadR2DirectionLine(const char* line, int cursor)
{
    if (IsValueWord(line, cursor, "REVERSE")) g_Rotary2Direction = -1;
    return 1;
}

int ReadRangeLine(const char* line, int cursor, double range[2], int* given)
{
    double read[2] = {range[0], range[1]};
    ReadNextNumber(&cursor, line, &read[0]);
    ReadNumberAfterComma(&cursor, line, &read[1]);
    if (!IsSaneAxisValue(read[0]) || !IsSaneAxisValue(read[1])) return 1;  // an absurd range is refused
    range[0] = read[0];
    range[1] = read[1];
    *given = 1;
    return 1;
}

int ReadR1RangeLine(const char* l, int c) { return ReadRangeLine(l, c, g_Rotary1Range, &g_Rotary1RangeGiven); }
int ReadR2RangeLine(const char* l, int c) { return ReadRangeLine(l, c, g_Rotary2Range, &g_Rotary2RangeGiven); }

// ---------------------------------------------------------------------------------------------------
// Run control

int ReadStopOptionLine(const char* line, int cursor)
{
    static const char* const words[] = {"NONE", "NORMAL", "M01", "SINGLE", "DEFINE"};
    int k = MatchValueWord(line, cursor, words, 5);
    if (k >= 0) g_StopMode = k;
    return 1;
}

// Words after the first "=", separated by blanks, tabs and commas; each fills the next slot.
int ReadStopCharacterLine(const char* line, int cursor)
{
    int k = FindCharFrom(line, cursor, "=");
    if (k < 0) return 1;
    ++k;
    while (!IsLineEnd(line[k])) {
        if (line[k] == ' ' || line[k] == '\t' || line[k] == ',') {
            ++k;
            continue;
        }
        int end = k;
        while (!IsLineEnd(line[end]) && line[end] != ' ' && line[end] != '\t' && line[end] != ',') ++end;
        int n = end - k;
        if (n < STOP_PATTERN_SIZE && g_StopPatternCount < STOP_PATTERN_SLOTS) {
            char* slot = g_StopPatterns[g_StopPatternCount++];
            std::memset(slot, 0, STOP_PATTERN_SIZE);
            std::memcpy(slot, line + k, (size_t)n);
        }
        k = end;
    }
    return 1;
}

// The wait-file name of the last entry: the text from start up to end with trailing blanks removed.
void SetWaitFileName(const char* line, int start, int end)
{
    while (end > start && (line[end - 1] == ' ' || line[end - 1] == '\t' || IsLineEnd(line[end - 1]))) --end;
    int n = end - start;
    if (g_WaitMCodeCount == 0 || n >= WAIT_FILE_NAME_SIZE) return;  // no entry yet, or too long
    char* name = g_WaitFileNames[g_WaitMCodeCount - 1];
    std::memset(name, 0, WAIT_FILE_NAME_SIZE);
    std::memcpy(name, line + start, (size_t)n);
}

int ReadWaitMCodeLine(const char* line, int cursor)
{
    static const char* const letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz(\n";
    int length = (int)std::strlen(line);
    while (cursor < length) {
        int number = FindNumberStart(line, cursor);
        int letter = FindCharFrom(line, cursor, letters);
        if (number < 0 && letter < 0) break;
        if (number == letter) break;  // only the line end remains
        int comma;
        if (letter < 0 || (number >= 0 && number < letter)) {
            int at = number;
            int code = 0;
            ReadNextInteger(&at, line, &code);
            if (g_WaitMCodeCount < WAIT_MCODE_MAX) {
                g_WaitMCodes[g_WaitMCodeCount] = code;
                std::memset(g_WaitFileNames[g_WaitMCodeCount], 0, WAIT_FILE_NAME_SIZE);
                std::strcpy(g_WaitFileNames[g_WaitMCodeCount], "waitfile");
                ++g_WaitMCodeCount;
            }
            comma = FindCharFrom(line, number, ",");
        } else {
            comma = FindCharFrom(line, letter, ",");
            SetWaitFileName(line, letter, comma < 0 ? length : comma);
        }
        if (comma < 0) break;
        cursor = comma + 1;
    }
    return 1;
}

// "LATHE", "LATHE1", "LATHE2" with "ON CODE" or "OFF CODE".
int ReadLatheLine(const char* line, int)
{
    int unit;
    int subKey;
    if (line[5] == ' ' || line[5] == '1') {
        unit = 0;
    } else if (line[5] == '2') {
        unit = 1;
    } else {
        return 1;
    }
    subKey = line[5] == ' ' ? 6 : 7;
    if (line[5] != ' ' && line[6] == '\0') return 1;
    if (MatchesWordAt(line, subKey, "ON CODE")) {
        ReadCodeWord(line, subKey + 7, g_LatheOnCodes[unit], LATHE_CODE_SIZE, &g_LatheOnCodeLengths[unit]);
    } else if (MatchesWordAt(line, subKey, "OFF CODE")) {
        ReadCodeWord(line, subKey + 8, g_LatheOffCodes[unit], LATHE_CODE_SIZE, &g_LatheOffCodeLengths[unit]);
    }
    return 1;
}

int ReadCutLine(const char* line, int)
{
    if (MatchesWordAt(line, 4, "ON CODE")) {
        int stored = ReadCodeWord(line, 11, g_CutOnCode, CUT_CODE_SIZE, &g_CutOnCodeLength);
        if (stored && g_CutOffCodeLength == 0) {
            g_CutCodeState = 0;
            g_CuttingOnAtStart = 0;
        }
    } else if (MatchesWordAt(line, 4, "OFF CODE")) {
        ReadCodeWord(line, 12, g_CutOffCode, CUT_CODE_SIZE, &g_CutOffCodeLength);
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------------
// The keyword table, in test order. Where one keyword begins another the longer one comes first.

struct KeywordEntry {
    const char* keyword;
    KeywordHandler handler;
};

const KeywordEntry kKeywords[] = {
    {"NAME(MAX20)", ReadNameLine},
    {"REPLACE TYPE", ReadReplaceTypeLine},
    {"REPLACE", ReadReplaceLine},
    {"NAME COLOR", ReadNameColourLine},
    {"UNIT(SCALE)", ReadUnitScaleLine},
    {"UNIT(DEG)", ReadUnitDegLine},
    {"UNIT", ReadUnitLine},
    {"DECIMAL POINT", ReadDecimalPointLine},
    {"PRODUCT", ReadProductLine},
    {"ONLY G40", ReadOnlyG40Line},
    {"INITIAL PLANE", ReadInitialPlaneLine},
    {"RETURN LEVEL", ReadReturnLevelLine},
    {"CHECK F0", ReadCheckF0Line},
    {"R-TOLERANCE", ReadRToleranceLine},
    {"CODE CHECK", ReadCodeCheckLine},
    {"CHECK CHAR", ReadCheckCharLine},
    {"CHECK RADIUS OFFSET", ReadCheckRadiusOffsetLine},
    {"CHECK REVERSE ARC", ReadCheckReverseArcLine},
    {"SMOOTH ANGLE", ReadSmoothAngleLine},
    {"WARNING LEVEL", ReadWarningLevelLine},
    {"FEEDRATE", ReadFeedrateLine},
    {"TOOL OFFSET MEMORY", ReadToolOffsetMemoryLine},
    {"G10MODE", ReadG10ModeLine},
    {"G92MODE", ReadG92ModeLine},
    {"G49MODE", ReadG49ModeLine},
    {"G00MODE", ReadG00ModeLine},
    {"G00PATH", ReadG00PathLine},
    {"OPTIONAL BLOCK SKIP", ReadOptionalBlockSkipLine},
    {"STOP CHARACTER", ReadStopCharacterLine},
    {"LATHE", ReadLatheLine},
    {"CUT ", ReadCutLine},
    {"CONCAVE-ARC FEED", ReadConcaveArcFeedLine},
    {"STOP OPTION", ReadStopOptionLine},
    {"WAIT M-CODE", ReadWaitMCodeLine},
    {"CYCLE(D)", ReadCycleDLine},
    {"G73_D", ReadG73DLine},
    {"G83_D", ReadG83DLine},
    {"G83_OSP_D1", ReadG83DLine},
    {"G83_OSP_D2", ReadG73DLine},
    {"G7", ReadClearanceLine},
    {"G8", ReadClearanceLine},
    {"CYCLE(L0)", ReadCycleL0Line},
    {"SPINDLE CONTROL", ReadSpindleControlLine},
    {"CYCLE(K0)", ReadCycleK0Line},
    {"SCALE EFFECT(", ReadScaleEffectLine},
    {"SCALE(X)", ReadScaleXLine},
    {"SCALE(Y)", ReadScaleYLine},
    {"SCALE(Z)", ReadScaleZLine},
    {"ROTATION ANGLE", ReadRotationAngleLine},
    {"LENGTH OFFSET TYPE", ReadLengthOffsetTypeLine},
    {"CHAR(X)", ReadCharXLine},
    {"CHAR(Y)", ReadCharYLine},
    {"CHAR(Z)", ReadCharZLine},
    {"X-CODE", ReadXCodeLine},
    {"Y-CODE", ReadYCodeLine},
    {"Z-CODE", ReadZCodeLine},
    {"A-CODE", ReadACodeLine},
    {"B-CODE", ReadBCodeLine},
    {"C-CODE", ReadCCodeLine},
    {"MEMORY", ReadMemoryKeywordLine},
    {"EOR", ReadEorLine},
    {"TYPE", ReadTypeLine},
    {"Z-CE COORDINATE", ReadZCeLine},
    {"AUTO LENGTH OFFSET", ReadAutoLengthOffsetLine},
    {"AUTO LENGTH POSITION", ReadAutoLengthPositionLine},
    {"D-CODE VALUE", ReadDCodeValueLine},
    {"H-CODE VALUE", ReadHCodeValueLine},
    {"AUTOMATIC TOOL OFFSET", ReadAutomaticToolOffsetLine},
    {"TCL VECTOR INTERPOLATION", ReadTclVectorLine},
    {"TCL COORDINATE", ReadTclCoordinateLine},
    {"TOOL CENTER CONTROL", ReadToolCentreLine},
    {"ROTARY1 CHAR", ReadRotary1CharLine},
    {"ROTARY2 CHAR", ReadRotary2CharLine},
    {"ROTARY1 LOCK", ReadR1LockLine},
    {"ROTARY1 UNLOCK", ReadR1UnlockLine},
    {"ROTARY2 LOCK", ReadR2LockLine},
    {"ROTARY2 UNLOCK", ReadR2UnlockLine},
    {"INC-X CHAR", ReadIncXLine},
    {"INC-Y CHAR", ReadIncYLine},
    {"INC-Z CHAR", ReadIncZLine},
    {"INC-ROTARY1 CHAR", ReadIncR1Line},
    {"INC-ROTARY2 CHAR", ReadIncR2Line},
    {"INC-I CHAR", ReadIncILine},
    {"INC-J CHAR", ReadIncJLine},
    {"INC-K CHAR", ReadIncKLine},
    {"ROTARY1 ROUTE", ReadR1RouteLine},
    {"ROTARY2 ROUTE", ReadR2RouteLine},
    {"ROTARY1 DIRECTION", ReadR1DirectionLine},
    {"ROTARY2 DIRECTION", ReadR2DirectionLine},
    {"ROTARY1 RANGE", ReadR1RangeLine},
    {"ROTARY2 RANGE", ReadR2RangeLine},
    {"ANGLE DECISION", ReadAngleDecisionLine},
    {"RUN TYPE", ReadRunTypeLine},
    {"VIEW CENTER", ReadViewCentreLine},
    {"NO60_BIT2", ReadNo60Bit2Line},
    {"D", ReadBareOffsetKeywordLine},
    {"H", ReadBareOffsetKeywordLine},
    {"F", ReadBareOffsetKeywordLine},
};

}  // namespace

int ApplyControllerLine(const char* line)
{
    for (const KeywordEntry& entry : kKeywords) {
        if (!MatchesWordAt(line, 0, entry.keyword)) continue;
        int cursor = (int)std::strlen(entry.keyword);
        if (entry.handler(line, cursor)) return 1;
    }
    return 0;
}
