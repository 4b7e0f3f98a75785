// The keyword lines of the machine definition file. Keywords are compared with the start of the line,
// case-insensitively over their own length, in the order of kKeywords (a keyword that begins a longer
// one comes after it); the first that matches handles the line, others are ignored. A value starts
// behind the keyword and the one character after it; numbers are read by the token readers.
#include "machine_setup/machine/machine_definition_lines.h"

#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_models.h"
#include "machine_setup/settings/token_readers.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/machine/stroke_limits.h"
#include "work_model/file_routines.h"

namespace {

enum LineKind {
    LINE_NAME, LINE_ATC_TYPE, LINE_ROUTE, LINE_CHANGE_POSITION, LINE_CHANGE_TIME, LINE_RAPID,
    LINE_RAPID_ACCELERATION, LINE_MAXIMUM_FEED, LINE_MAXIMUM_FEED_ALL, LINE_ACCELERATION,
    LINE_AXIS_DIRECTION, LINE_ROTARY_TYPE, LINE_ROTARY_AXIS, LINE_AXIS_ANGLE, LINE_AXIS_VECTOR,
    LINE_TABLE_TYPE, LINE_HEAD_TYPE, LINE_ACCEPTED, LINE_ANGLE_HEAD, LINE_TOOL_DIRECTION, LINE_POINT,
    LINE_HOLDER_OFFSET, LINE_BASIC_OFFSET, LINE_VICE_OFFSET, LINE_PART_OFFSET, LINE_BASIC_MODEL,
    LINE_VICE_MODEL, LINE_PART_MODEL, LINE_MOVE, LINE_STROKE_SET0, LINE_STROKE_SET_N, LINE_VIEW_CENTRE
};

// Targets of LINE_POINT.
enum PointTarget { POINT_TABLE_POSITION, POINT_TABLE_OFFSET, POINT_HEAD_POSITION, POINT_HEAD_OFFSET };

struct KeywordEntry {
    const char* keyword;
    int kind;
    int index;   // axis, rotary axis, part or point target, by kind
};

const KeywordEntry kKeywords[] = {
    {"NAME", LINE_NAME, 0},
    {"ATC TYPE", LINE_ATC_TYPE, 0},
    {"TOOL CHANGE ROUTE", LINE_ROUTE, 0},
    {"TOOL CHANGE POSITION", LINE_CHANGE_POSITION, 0},
    {"TOOL CHANGE TIME", LINE_CHANGE_TIME, 0},
    {"RAPID(X)", LINE_RAPID, 0}, {"RAPID(Y)", LINE_RAPID, 1}, {"RAPID(Z)", LINE_RAPID, 2},
    {"RAPID ACCELERATION(X)", LINE_RAPID_ACCELERATION, 0},
    {"RAPID ACCELERATION(Y)", LINE_RAPID_ACCELERATION, 1},
    {"RAPID ACCELERATION(Z)", LINE_RAPID_ACCELERATION, 2},
    {"MAXIMUM FEEDRATE(X)", LINE_MAXIMUM_FEED, 0},
    {"MAXIMUM FEEDRATE(Y)", LINE_MAXIMUM_FEED, 1},
    {"MAXIMUM FEEDRATE(Z)", LINE_MAXIMUM_FEED, 2},
    {"MAXIMUM FEEDRATE", LINE_MAXIMUM_FEED_ALL, 0},
    {"ACCELERATION(X)", LINE_ACCELERATION, 0}, {"ACCELERATION(Y)", LINE_ACCELERATION, 1},
    {"ACCELERATION(Z)", LINE_ACCELERATION, 2},
    {"MAXIMUM ACCELERATION(X)", LINE_ACCELERATION, 0}, {"MAXIMUM ACCELERATION(Y)", LINE_ACCELERATION, 1},
    {"MAXIMUM ACCELERATION(Z)", LINE_ACCELERATION, 2},
    {"AXIS DIRECTION", LINE_AXIS_DIRECTION, 0},
    {"ROTARY TYPE", LINE_ROTARY_TYPE, 0},
    {"ROTARY AXIS1", LINE_ROTARY_AXIS, 0},
    {"ROTARY AXIS2", LINE_ROTARY_AXIS, 1},
    {"AXIS1 ANGLE", LINE_AXIS_ANGLE, 0}, {"AXIS2 ANGLE", LINE_AXIS_ANGLE, 1},
    {"AXIS1 VECTOR", LINE_AXIS_VECTOR, 0}, {"AXIS2 VECTOR", LINE_AXIS_VECTOR, 1},
    {"TABLE1 TYPE", LINE_TABLE_TYPE, 0}, {"TABLE TYPE", LINE_TABLE_TYPE, 0},
    {"TABLE2 TYPE", LINE_TABLE_TYPE, 1},
    {"HEAD1 TYPE", LINE_HEAD_TYPE, 1}, {"HEAD2 TYPE", LINE_HEAD_TYPE, 2}, {"HEAD TYPE", LINE_HEAD_TYPE, 0},
    {"TOOL AND ARBOR", LINE_ACCEPTED, 0}, {"ARBOR AND TOOL", LINE_ACCEPTED, 0},
    {"ARBOR AND HEAD", LINE_ACCEPTED, 0}, {"HEAD AND ARBOR", LINE_ACCEPTED, 0},
    {"ANGLE HEAD(", LINE_ANGLE_HEAD, 0},
    {"TOOL DIRECTION", LINE_TOOL_DIRECTION, 0},
    {"TABLE POSITION", LINE_POINT, POINT_TABLE_POSITION},
    {"TABLE OFFSET", LINE_POINT, POINT_TABLE_OFFSET},
    {"HEAD POSITION", LINE_POINT, POINT_HEAD_POSITION},
    {"HEAD OFFSET", LINE_POINT, POINT_HEAD_OFFSET},
    {"TOOL HOLDER OFFSET", LINE_HOLDER_OFFSET, 0},
    {"BASIC MODEL OFFSET", LINE_BASIC_OFFSET, 0},
    {"VICE MODEL OFFSET", LINE_VICE_OFFSET, 0},
    {"TABLE MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_TABLE},
    {"TABLE(X) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_TABLE_X},
    {"TABLE(Y) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_TABLE_Y},
    {"TABLE(Z) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_TABLE_Z},
    {"TABLE1 MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_TABLE1},
    {"TABLE2 MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_TABLE2},
    {"HEAD MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD},
    {"HEAD(XYZ) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD},
    {"HEAD(X) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD_X},
    {"HEAD(Y) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD_Y},
    {"HEAD(Z) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD_Z},
    {"HEAD(XY) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD_XY},
    {"HEAD(YX) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD_XY},
    {"HEAD(YZ) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD_YZ},
    {"HEAD(ZY) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD_YZ},
    {"HEAD(ZX) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD_ZX},
    {"HEAD(XZ) MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD_ZX},
    {"HEAD1 MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD1},
    {"HEAD2 MODEL OFFSET", LINE_PART_OFFSET, PART_MODEL_HEAD2},
    {"BASIC MODEL", LINE_BASIC_MODEL, 0},
    {"VICE MODEL", LINE_VICE_MODEL, 0},
    {"TABLE MODEL", LINE_PART_MODEL, PART_MODEL_TABLE},
    {"TABLE(X) MODEL", LINE_PART_MODEL, PART_MODEL_TABLE_X},
    {"TABLE(Y) MODEL", LINE_PART_MODEL, PART_MODEL_TABLE_Y},
    {"TABLE(Z) MODEL", LINE_PART_MODEL, PART_MODEL_TABLE_Z},
    {"TABLE1 MODEL", LINE_PART_MODEL, PART_MODEL_TABLE1},
    {"TABLE2 MODEL", LINE_PART_MODEL, PART_MODEL_TABLE2},
    {"HEAD MODEL", LINE_PART_MODEL, PART_MODEL_HEAD},
    {"HEAD(XYZ) MODEL", LINE_PART_MODEL, PART_MODEL_HEAD},
    {"HEAD(X) MODEL", LINE_PART_MODEL, PART_MODEL_HEAD_X},
    {"HEAD(Y) MODEL", LINE_PART_MODEL, PART_MODEL_HEAD_Y},
    {"HEAD(Z) MODEL", LINE_PART_MODEL, PART_MODEL_HEAD_Z},
    {"HEAD(XY) MODEL", LINE_PART_MODEL, PART_MODEL_HEAD_XY},
    {"HEAD(YX) MODEL", LINE_PART_MODEL, PART_MODEL_HEAD_XY},
    {"HEAD(YZ) MODEL", LINE_PART_MODEL, PART_MODEL_HEAD_YZ},
    {"HEAD(ZY) MODEL", LINE_PART_MODEL, PART_MODEL_HEAD_YZ},
    {"HEAD(ZX) MODEL", LINE_PART_MODEL, PART_MODEL_HEAD_ZX},
    {"HEAD(XZ) MODEL", LINE_PART_MODEL, PART_MODEL_HEAD_ZX},
    {"HEAD1 MODEL", LINE_PART_MODEL, PART_MODEL_HEAD1},
    {"HEAD2 MODEL", LINE_PART_MODEL, PART_MODEL_HEAD2},
    {"MOVE(X)", LINE_MOVE, 0}, {"MOVE(Y)", LINE_MOVE, 1}, {"MOVE(Z)", LINE_MOVE, 2},
    {"STROKE RANGE(", LINE_STROKE_SET0, 0},
    {"STROKE RANGE", LINE_STROKE_SET_N, 0},
    {"VIEW CENTER", LINE_VIEW_CENTRE, 0},
};

const WordChoice kAxisDirectionWords[] = {
    {"RIGHT-Y,BACK+X", 1}, {"RIGHT-X,BACK-Y", 2}, {"RIGHT+Y,BACK-X", 3},
    {"RIGHT+Z,BACK+Y", 10}, {"RIGHT+Z,BACK+X", 11}, {"RIGHT+Z,BACK-Y", 12}, {"RIGHT+Z,BACK-X", 13},
    {"RIGHT-Z,BACK+Y", 20}, {"RIGHT-Z,BACK+X", 21}, {"RIGHT-Z,BACK-Y", 22}, {"RIGHT-Z,BACK-X", 23},
    {"RIGHT+X,BACK-Z", 30}, {"RIGHT-Y,BACK-Z", 31}, {"RIGHT-X,BACK-Z", 32}, {"RIGHT+Y,BACK-Z", 33},
    {"RIGHT+X,BACK+Z", 40}, {"RIGHT-Y,BACK+Z", 41}, {"RIGHT-X,BACK+Z", 42}, {"RIGHT+Y,BACK+Z", 43},
};

// Index of the value behind a keyword of the given length: the character after it is skipped
// (normally a blank or "="), unless the line ends there.
int ValueStart(const char* line, int keywordLength)
{
    return line[keywordLength] == '\0' ? keywordLength : keywordLength + 1;
}

// The word value: blanks and "=" skipped from the value start.
const char* WordValue(const char* line, int keywordLength)
{
    int position = ValueStart(line, keywordLength);
    SkipBlanksAndEquals(&position, line);
    return line + position;
}

// The three numbers of a point value ("x, y, z").
void ReadThreeNumbers(const char* line, int position, double* out)
{
    ReadNextNumber(&position, line, &out[0]);
    ReadNumberAfterComma(&position, line, &out[1]);
    ReadNumberAfterComma(&position, line, &out[2]);
}

// Copies text without its line end into out (size bytes). Returns 0 when it does not fit.
int CopyWithoutLineEnd(const char* text, char* out, int size)
{
    int length = static_cast<int>(std::strcspn(text, "\r\n"));
    if (length >= size) return 0;
    std::memcpy(out, text, length);
    out[length] = '\0';
    return 1;
}

// A model file name value; 1 when it fits the path buffer and the file is readable.
int TakeModelFileName(const char* line, int keywordLength, char* path)
{
    char name[MACHINE_PATH_SIZE];
    if (!CopyWithoutLineEnd(WordValue(line, keywordLength), name, MACHINE_PATH_SIZE)) return 0;
    if (!CheckModelFileReadable(name)) return 0;
    std::strcpy(path, name);
    return 1;
}

void ReadNameLine(const char* line, int keywordLength)
{
    const char* value = line + ValueStart(line, keywordLength);
    int length = static_cast<int>(std::strcspn(value, "\r\n"));
    if (length > MACHINE_PATH_SIZE - 1) length = MACHINE_PATH_SIZE - 1;
    std::memcpy(g_MachineName, value, length);
    g_MachineName[length] = '\0';
}

void ReadAtcTypeLine(const char* line, int keywordLength)
{
    const char* value = WordValue(line, keywordLength);
    if (StartsWithWordNoCase(value, "DIRECT")) {
        g_AtcType = ATC_DIRECT;
        // "DIRECT", one character, then "T a,b": the T word's last b digits are a separate number.
        if (value[6] != '\0' && (value[7] == 'T' || value[7] == 't')) {
            int position = static_cast<int>(value - line) + 8;
            int first = 0, digits = 0;
            ReadNextInteger(&position, line, &first);
            if (std::strchr(line + position, ',') != nullptr) {
                ReadIntegerAfterComma(&position, line, &digits);
                if (digits > 0 && digits <= 9) {
                    g_ToolWordSplit = 4;
                    g_ToolWordSplitDigits = digits;
                }
            }
        }
    } else if (StartsWithWordNoCase(value, "WAIT2")) {
        g_AtcType = ATC_WAIT2;
    } else if (StartsWithWordNoCase(value, "WAIT")) {
        g_AtcType = ATC_WAIT;
    }
}

void ReadAxisDirectionLine(const char* line, int keywordLength)
{
    const char* value = WordValue(line, keywordLength);
    const int count = static_cast<int>(sizeof kAxisDirectionWords / sizeof kAxisDirectionWords[0]);
    ReadWordChoice(value, kAxisDirectionWords, count, &g_AxisDirection);
}

void ReadRotaryTypeLine(const char* line, int keywordLength)
{
    const char* value = WordValue(line, keywordLength);
    int kind = -1;
    if (StartsWithWordNoCase(value, "HEAD")) kind = MACHINE_HEAD;
    else if (StartsWithWordNoCase(value, "TABLE")) kind = MACHINE_TABLE;
    else if (StartsWithWordNoCase(value, "MIX")) kind = MACHINE_MIX;
    if (kind < 0) return;
    g_MachineKind = kind;
    if (!g_ToolBasePointFromIni) g_ToolBasePoint = (kind == MACHINE_HEAD) ? TOOL_BASE_ARBOR_TOP : TOOL_BASE_BOTTOM;
}

void ReadRotaryAxisLine(const char* line, int keywordLength, int rotary)
{
    char ch = *WordValue(line, keywordLength);
    int axis = -1;
    if (ch == 'X' || ch == 'A') axis = 0;
    else if (ch == 'Y' || ch == 'B') axis = 1;
    else if (ch == 'Z' || ch == 'C') axis = 2;
    int* axisValue = rotary == 0 ? &g_Rotary1Axis : &g_Rotary2Axis;
    int* cross = rotary == 0 ? g_Rotary1CrossAxes : g_Rotary2CrossAxes;
    double* unitVector = rotary == 0 ? g_Rotary1UnitVector : g_Rotary2UnitVector;
    char* letter = rotary == 0 ? &g_Rotary1Letter : &g_Rotary2Letter;
    if (axis >= 0) {
        *axisValue = axis;
        cross[0] = (axis + 1) % 3;
        cross[1] = (axis + 2) % 3;
        if (*letter == ' ') *letter = static_cast<char>('A' + axis);
        g_AxisLabelCells[AXIS_ROTARY1 + rotary][1] = *letter;
    }
    for (int k = 0; k < 3; ++k) unitVector[k] = (k == *axisValue) ? 1.0 : 0.0;
}

int TableTypeOfWord(const char* value)
{
    if (StartsWithWordNoCase(value, "PLANE")) return TABLE_TYPE_PLANE;
    if (StartsWithWordNoCase(value, "CIRCLE")) return TABLE_TYPE_CIRCLE;
    if (StartsWithWordNoCase(value, "AXIS")) return TABLE_TYPE_AXIS;
    if (StartsWithWordNoCase(value, "LATHE")) return TABLE_TYPE_LATHE;
    return TABLE_TYPE_NO;
}

void ReadAngleHeadLine(const char* line, int keywordLength)
{
    char ch = line[keywordLength];
    int index = -1;
    if (ch == 'A' || ch == 'X') index = 0;
    else if (ch == 'B' || ch == 'Y') index = 1;
    else if (ch == 'C' || ch == 'Z') index = 2;
    if (index < 0) return;
    int position = keywordLength + 1;
    ReadNextNumber(&position, line, &g_AngleHeadAngles[index]);
    // The later of A and B wins.
    if (index < 2 && g_AngleHeadAngles[0] != 0.0 && g_AngleHeadAngles[1] != 0.0) g_AngleHeadAngles[1 - index] = 0.0;
}

void ReadToolDirectionLine(const char* line, int keywordLength)
{
    double v[3];
    ReadThreeNumbers(line, ValueStart(line, keywordLength), v);
    if (v[0] == 0.0 && v[1] == 0.0 && v[2] == 0.0) return;   // no direction: ignored
    for (int k = 0; k < 3; ++k) g_ToolDirection[k] = v[k];
}

void ReadAxisVectorLine(const char* line, int keywordLength, int rotary)
{
    double v[3];
    ReadThreeNumbers(line, ValueStart(line, keywordLength), v);
    double squared = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
    if (!(squared > 0.0)) return;
    double* target = rotary == 0 ? g_Rotary1Vector : g_Rotary2Vector;
    for (int k = 0; k < 3; ++k) target[k] = v[k] / squared;
    (rotary == 0 ? g_Rotary1ByVector : g_Rotary2ByVector) = 1;
}

// Index 0 to 2 of the machine axis whose NC letter is ch, or -1.
int MachineAxisOfLetter(char ch)
{
    for (int k = 0; k < 3; ++k) {
        if (g_MachineAxisLetters[k] == ch) return k;
    }
    return -1;
}

void SetStrokeRange(int set, int axis, double minimum, double maximum)
{
    g_StrokeLimits[set].range[2 * axis] = minimum;
    g_StrokeLimits[set].range[2 * axis + 1] = maximum;
    g_StrokeLimits[set].enabled[axis] = 1;
}

void ReadStrokeSet0Line(const char* line, int keywordLength, MachineReadState* state)
{
    char letter = line[keywordLength];
    if (letter == '\0') return;
    int position = keywordLength + 1;
    double minimum = 0.0, maximum = 0.0;
    ReadNextNumber(&position, line, &minimum);
    ReadNumberAfterComma(&position, line, &maximum);
    if (!IsSaneAxisValue(minimum) || !IsSaneAxisValue(maximum)) return;  // an absurd stroke is refused
    int axis = MachineAxisOfLetter(letter);
    if (axis >= 0) {
        SetStrokeRange(0, axis, minimum, maximum);
        if (g_StrokeLimitSetCount < 1) g_StrokeLimitSetCount = 1;
    } else if (state->rotaryStrokeCount < MAX_PENDING_ROTARY_STROKES) {
        PendingStrokeLine& pending = state->rotaryStrokes[state->rotaryStrokeCount++];
        pending.letter = letter;
        pending.minimum = minimum;
        pending.maximum = maximum;
    }
}

// "STROKE RANGEn(" with one digit n from 1 to 5.
void ReadStrokeSetLine(const char* line, int keywordLength)
{
    char digit = line[keywordLength];
    if (digit < '1' || digit > '5' || line[keywordLength + 1] != '(') return;
    int set = digit - '0';
    char letter = line[keywordLength + 2];
    if (g_StrokeLimitSetCount < set + 1) g_StrokeLimitSetCount = set + 1;
    int axis = MachineAxisOfLetter(letter);
    if (letter == '\0' || axis < 0) return;
    int position = keywordLength + 3;
    double minimum = 0.0, maximum = 0.0;
    ReadNextNumber(&position, line, &minimum);
    ReadNumberAfterComma(&position, line, &maximum);
    if (!IsSaneAxisValue(minimum) || !IsSaneAxisValue(maximum)) return;
    SetStrokeRange(set, axis, minimum, maximum);
}

void ReadModelListLine(const char* line, int keywordLength, char files[][MACHINE_PATH_SIZE], int* count,
                       int capacity)
{
    if (*count >= capacity) return;
    if (TakeModelFileName(line, keywordLength, files[*count])) ++*count;
}

double* PointTargetOf(int target)
{
    switch (target) {
    case POINT_TABLE_POSITION: return g_TablePosition;
    case POINT_TABLE_OFFSET: return g_TableOffset;
    case POINT_HEAD_POSITION: return g_HeadPosition;
    default: return g_HeadOffset;
    }
}

// A rapid feed or acceleration: a value of 0 or less is refused (the rapid planning divides by both),
// the value before it stays.
void ReadPositiveFloat(int* position, const char* line, float* value)
{
    float read = 0.0f;
    ReadNextFloat(position, line, &read);
    if (read > 0.0f) *value = read;
}

// The tool changer, name and axis limit lines (keywords 1 to 11). Returns 0 for other kinds.
int HandleChangerLine(const KeywordEntry& entry, const char* line, int length, MachineReadState* state)
{
    int position = ValueStart(line, length);
    switch (entry.kind) {
    case LINE_NAME: ReadNameLine(line, length); return 1;
    case LINE_ATC_TYPE: ReadAtcTypeLine(line, length); return 1;
    case LINE_ROUTE: {
        const char* value = WordValue(line, length);
        int n = static_cast<int>(std::strcspn(value, "\r\n"));
        if (n > ROUTE_TEXT_SIZE - 1) n = ROUTE_TEXT_SIZE - 1;
        std::memcpy(state->routeText, value, n);
        state->routeText[n] = '\0';
        return 1;
    }
    case LINE_CHANGE_POSITION:
        ReadNextNumber(&position, line, &g_ToolChangePosition.axis[0]);
        for (int k = 1; k < AXIS_POSITION_COUNT; ++k) ReadNumberAfterComma(&position, line, &g_ToolChangePosition.axis[k]);
        g_ToolChangePositionGiven = 1;
        return 1;
    case LINE_CHANGE_TIME: ReadNextFloat(&position, line, &g_ToolChangeTime); return 1;
    case LINE_RAPID: ReadPositiveFloat(&position, line, &g_RapidFeedRates[entry.index]); return 1;
    case LINE_RAPID_ACCELERATION: ReadPositiveFloat(&position, line, &g_RapidAccelerations[entry.index]); return 1;
    case LINE_MAXIMUM_FEED: ReadNextFloat(&position, line, &g_MaximumFeedRates[entry.index]); return 1;
    case LINE_MAXIMUM_FEED_ALL: {
        float value = 0.0f;
        ReadNextFloat(&position, line, &value);
        for (int k = 0; k < 3; ++k) g_MaximumFeedRates[k] = value;
        return 1;
    }
    case LINE_ACCELERATION: ReadNextFloat(&position, line, &g_AxisAccelerations[entry.index]); return 1;
    default: return 0;
    }
}

// Handles a line by the kind of its keyword.
void HandleLine(const KeywordEntry& entry, const char* line, int length, MachineReadState* state)
{
    if (HandleChangerLine(entry, line, length, state)) return;
    int position = ValueStart(line, length);
    switch (entry.kind) {
    case LINE_AXIS_DIRECTION: ReadAxisDirectionLine(line, length); break;
    case LINE_ROTARY_TYPE: ReadRotaryTypeLine(line, length); break;
    case LINE_ROTARY_AXIS: ReadRotaryAxisLine(line, length, entry.index); break;
    case LINE_AXIS_ANGLE: ReadNextNumber(&position, line, &state->axisAngle[entry.index]); break;
    case LINE_AXIS_VECTOR: ReadAxisVectorLine(line, length, entry.index); break;
    case LINE_TABLE_TYPE:
        (entry.index == 0 ? g_TableType : g_Table2Type) = TableTypeOfWord(WordValue(line, length));
        break;
    case LINE_HEAD_TYPE:
        if (StartsWithWordNoCase(WordValue(line, length), "NO")) {
            (entry.index == 0 ? g_HeadType : entry.index == 1 ? g_Head1Type : g_Head2Type) = HEAD_TYPE_NO;
        }
        break;
    case LINE_ACCEPTED: break;
    case LINE_ANGLE_HEAD: ReadAngleHeadLine(line, length); break;
    case LINE_TOOL_DIRECTION: ReadToolDirectionLine(line, length); break;
    case LINE_POINT: ReadThreeNumbers(line, position, PointTargetOf(entry.index)); break;
    case LINE_HOLDER_OFFSET: ReadNextNumber(&position, line, &g_ToolHolderOffset); break;
    case LINE_BASIC_OFFSET: ReadThreeNumbers(line, position, g_PartModelOffsets.basic); break;
    case LINE_VICE_OFFSET:
        if (g_ViceOffsetCount < MAX_VICE_MODEL_FILES) {
            ReadThreeNumbers(line, position, g_PartModelOffsets.vice[g_ViceOffsetCount]);
            ++g_ViceOffsetCount;
        }
        break;
    case LINE_PART_OFFSET: ReadThreeNumbers(line, position, g_PartModelOffsets.part[entry.index]); break;
    case LINE_BASIC_MODEL:
        ReadModelListLine(line, length, g_BasicModelFiles, &g_BasicModelCount, MAX_BASIC_MODEL_FILES);
        break;
    case LINE_VICE_MODEL:
        ReadModelListLine(line, length, g_ViceModelFiles, &g_ViceModelCount, MAX_VICE_MODEL_FILES);
        break;
    case LINE_PART_MODEL:
        if (!TakeModelFileName(line, length, g_PartModelFiles[entry.index])) g_PartModelFiles[entry.index][0] = '\0';
        break;
    case LINE_MOVE:
        if (StartsWithWordNoCase(WordValue(line, length), "TABLE")) g_TableMovesAxis[entry.index] = 1;
        break;
    case LINE_STROKE_SET0: ReadStrokeSet0Line(line, length, state); break;
    case LINE_STROKE_SET_N: ReadStrokeSetLine(line, length); break;
    case LINE_VIEW_CENTRE:
        ReadThreeNumbers(line, position, g_ViewCentreFromMtlPoint);
        g_ViewCentreFromMtl = 1;
        break;
    default: break;
    }
}

}  // namespace

void ReadMachineLine(const char* line, MachineReadState* state)
{
    for (const KeywordEntry& entry : kKeywords) {
        if (StartsWithWordNoCase(line, entry.keyword)) {
            HandleLine(entry, line, static_cast<int>(std::strlen(entry.keyword)), state);
            return;
        }
    }
}
