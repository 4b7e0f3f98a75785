// Work, pitch and tool settings: the program-wide variables of the "DMEdata" keys and of the work,
// pitch and tool keys of "Define", the box, origin-based box and cylinder parsers, one reader per key
// and the key table. Reading the settings file itself (order, sections, skips) is left to its reader.
#include "machine_setup/settings/work_settings.h"

#include "machine_setup/machine/machine_position.h"
#include "machine_setup/settings/token_readers.h"
#include "machine_setup/tools/tool_arrays.h"

#include <cfloat>
#include <cstdlib>
#include <cstring>

char g_DmeFolder[256] = "";
char g_DmeFolderAtStart[256] = "";
int g_DmfSelect = 1;
int g_StlSelect = 1;
int g_ExportInWorkCoordinates = 0;
int g_InputInWorkCoordinates = 0;
int g_RotationInWorkCoordinates = 0;

int g_StockAlign[3] = {-1, -1, -1};
double g_StockValues[3][3] = {{100.0, 0.0, 0.0}, {200.0, 0.0, 0.0}, {50.0, 0.0, 0.0}};
int g_CylinderAxis = 0;
double g_CylinderValues[6] = {-80.0, 0.0, 0.0, 80.0, 100.0, 40.0};
char g_BasicModelPath[256] = "";
int g_BasicModelGiven = 0;

float g_WorkMargins[3] = {0.0f, 0.0f, 0.0f};
int g_CmdStartPositionMachine = 0;
int g_NewControlPoint = 0;
int g_NewControlPointD = 1;
double g_SpecifiedPoint[3] = {0.0, 0.0, 100.0};
double g_SpecifiedPointD[3] = {0.0, 0.0, 100.0};
int g_ToolBasePoint = TOOL_BASE_BOTTOM;
int g_ToolBasePointFromIni = 0;
float g_WeldingHeight = 0.5f, g_WeldingWidth = 5.0f;
float g_GrinderDepth = 1.0f, g_GrinderWidth = 3.0f;
float g_PaperDepth = 0.1f, g_PaperWidth = 1.0f;
float g_BrushWidth = 1.0f, g_HeraWidth = 1.0f;
int g_MaxMagazine = 200;
int g_UndoRingSize = 2;
int g_CheckMatrix = 0;

namespace {

// Until "UNDO" is read, the ring buffer is this static pair of zero bytes (never freed).
unsigned char s_InitialWorkListRebuild[2] = {0, 0};

} // namespace

unsigned char* g_WorkListRebuild = s_InitialWorkListRebuild;

namespace {

int ReadOnWord(const char* value, const char* word, int* target)
{
    const WordChoice choice = {word, 1};
    return ReadWordChoice(value, &choice, 1, target);
}

void CopyTextCut(char* destination, size_t size, const char* source)
{
    size_t length = std::strlen(source);
    if (length >= size) {
        length = size - 1;
    }
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

float ConvertFloatText(const char* value)
{
    double number = ConvertNumberText(value);
    if (number > FLT_MAX) {
        return FLT_MAX;
    }
    if (number < -FLT_MAX) {
        return -FLT_MAX;
    }
    return static_cast<float>(number);
}

int ReadFloatValue(const char* value, float* target)
{
    if (value == nullptr) {
        return 0;
    }
    *target = ConvertFloatText(value);
    return 1;
}

// Numbers of a "(a,b,...)" list starting at value[open]: each read from the character after the "(" or
// "," before it. Returns 0 when a comma is missing.
int ReadBracketList(const char* value, int open, double* out, int count)
{
    int separator = open;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            const char* comma = std::strchr(value + separator + 1, ',');
            if (comma == nullptr) {
                return 0;
            }
            separator = static_cast<int>(comma - value);
        }
        out[i] = ConvertNumberText(value + separator + 1);
    }
    return 1;
}

// One axis of the origin-based box: the first of the letters from *cursor gives the alignment by the
// word it begins; then three numbers, each read after the next comma. *cursor ends behind the last comma.
int ReadAlignedAxis(const char* value, int* cursor, const char* letters, const char* lowWord,
                    const char* highWord, int* align, double* numbers)
{
    const char* letter = std::strpbrk(value + *cursor, letters);
    if (letter == nullptr) {
        return 0;
    }
    *align = StartsWithWordNoCase(letter, lowWord) ? -1 : (StartsWithWordNoCase(letter, highWord) ? 1 : 0);
    const char* p = letter;
    for (int i = 0; i < 3; ++i) {
        const char* comma = std::strchr(p, ',');
        if (comma == nullptr) {
            return 0;
        }
        numbers[i] = ConvertNumberText(comma + 1);
        p = comma + 1;
    }
    *cursor = static_cast<int>(p - value);
    return 1;
}

// Reads count numbers: the first number of the value, then one after each following comma.
void ReadPointNumbers(const char* value, double* out, int count)
{
    int position = 0;
    ReadNextNumber(&position, value, &out[0]);
    for (int i = 1; i < count; ++i) {
        ReadNumberAfterComma(&position, value, &out[i]);
    }
}

} // namespace

int ParseInitialSizeValue(const char* value)
{
    const char* open = value != nullptr ? std::strchr(value, '(') : nullptr;
    double numbers[6];
    if (open == nullptr || !ReadBracketList(value, static_cast<int>(open - value), numbers, 6)) {
        return 0;
    }
    for (int axis = 0; axis < 3; ++axis) {
        g_InitialSizeMinCorner[axis] = numbers[axis];
        g_InitialSizeMaxCorner[axis] = numbers[3 + axis];
    }
    return 1;
}

int ParseInitialSize2Value(const char* value)
{
    static const char* const kLetters[3] = {"LRC", "FBC", "BTC"};
    static const char* const kLowWords[3] = {"LEFT", "FRONT", "BOTTOM"};
    static const char* const kHighWords[3] = {"RIGHT", "BACK", "TOP"};
    if (value == nullptr) {
        return 0;
    }
    int align[3];
    double numbers[3][3];
    int cursor = 0;
    for (int axis = 0; axis < 3; ++axis) {
        if (!ReadAlignedAxis(value, &cursor, kLetters[axis], kLowWords[axis], kHighWords[axis],
                             &align[axis], numbers[axis])) {
            return 0;
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        g_StockAlign[axis] = align[axis];
        for (int i = 0; i < 3; ++i) {
            g_StockValues[axis][i] = numbers[axis][i];
        }
    }
    return 1;
}

int ParseCylinderValue(const char* value)
{
    const char* letter = value != nullptr ? std::strpbrk(value, "XYZ") : nullptr;
    if (letter == nullptr) {
        return 0;
    }
    const char* open = std::strchr(letter, '(');
    double numbers[6];
    if (open == nullptr || !ReadBracketList(value, static_cast<int>(open - value), numbers, 6)) {
        return 0;
    }
    g_CylinderAxis = *letter - 'X';
    for (int i = 0; i < 6; ++i) {
        g_CylinderValues[i] = numbers[i];
    }
    return 1;
}

// --- "DMEdata" ----------------------------------------------------------------------------------

int ReadDmeFolderValue(const char* value)
{
    if (value == nullptr) {
        return 0;
    }
    CopyTextCut(g_DmeFolder, sizeof g_DmeFolder, value);
    CopyTextCut(g_DmeFolderAtStart, sizeof g_DmeFolderAtStart, g_DmeFolder);
    return 1;
}

int ReadDmeSelectValue(const char* value) { return ReadOnWord(value, "ON", &g_DmeSelect); }

int ReadDmfSelectValue(const char* value)
{
    const WordChoice choice = {"OFF", 0};
    return ReadWordChoice(value, &choice, 1, &g_DmfSelect);
}

int ReadStlSelectValue(const char* value)
{
    const WordChoice choice = {"OFF", 0};
    return ReadWordChoice(value, &choice, 1, &g_StlSelect);
}

int ReadStlAxisValue(const char* value)
{
    static const WordChoice kChoices[] = {{"+X", 1}, {"-X", -1}, {"+Y", 2}, {"-Y", -2}, {"+Z", 3}, {"-Z", -3}};
    return ReadWordChoice(value, kChoices, 6, &g_StlWorkAxisCode);
}

int ReadStlFilterValue(const char* value) { return ReadOnWord(value, "ON", &g_StlFilter); }

int ReadImportCoordinateValue(const char* value)
{
    return ReadOnWord(value, "WORK", &g_ImportInWorkCoordinates);
}

int ReadExportCoordinateValue(const char* value)
{
    g_ExportInWorkCoordinates = StartsWithWordNoCase(value, "WORK") ? 1 : 0;
    return 1;
}

int ReadInputCoordinateValue(const char* value)
{
    g_InputInWorkCoordinates = StartsWithWordNoCase(value, "WORK") ? 1 : 0;
    return 1;
}

int ReadRotationCoordinateValue(const char* value)
{
    g_RotationInWorkCoordinates = StartsWithWordNoCase(value, "WORK") ? 1 : 0;
    return 1;
}

int ReadInitialSizeValue(const char* value) { return ParseInitialSizeValue(value); }
int ReadInitialSize2Value(const char* value) { return ParseInitialSize2Value(value); }
int ReadCylinderValue(const char* value) { return ParseCylinderValue(value); }

int ReadBasicModelValues(const char* basicModelValue, const char* basicDmeValue)
{
    if (g_BasicModelPath[0] == '\0') {
        const char* name = basicModelValue;
        if (name == nullptr || name[0] == '\0') {
            name = basicDmeValue;
        }
        if (name != nullptr) {
            CopyTextCut(g_BasicModelPath, sizeof g_BasicModelPath, name);
        }
    }
    if (g_BasicModelPath[0] == '\0') {
        return 0;
    }
    g_BasicModelGiven = 1;
    return 1;
}

// --- "Define": control point ----------------------------------------------------------------------

int ReadWorkMarginXValue(const char* value) { return ReadFloatValue(value, &g_WorkMargins[0]); }
int ReadWorkMarginYValue(const char* value) { return ReadFloatValue(value, &g_WorkMargins[1]); }
int ReadWorkMarginZValue(const char* value) { return ReadFloatValue(value, &g_WorkMargins[2]); }

int ReadControlPointValue(const char* value)
{
    if (value == nullptr) {
        return 0;
    }
    if (std::strpbrk(value, "Mm") != nullptr) {
        g_CmdStartPositionMachine = 1;
    }
    ReadPointNumbers(value, g_ControlPoint.axis, 5);
    return 1;
}

static const WordChoice kNewControlPointWords[] = {{"BOX-TOP", 0}, {"CURRENT", 1}, {"SPECIFY", 2}};

int ReadNewControlPointDValue(const char* value)
{
    return ReadWordChoice(value, kNewControlPointWords, 3, &g_NewControlPointD);
}

int ReadNewControlPointValue(const char* value)
{
    return ReadWordChoice(value, kNewControlPointWords, 3, &g_NewControlPoint);
}

int ReadSpecifiedPointDValue(const char* value)
{
    if (value == nullptr) {
        return 0;
    }
    ReadPointNumbers(value, g_SpecifiedPointD, 3);
    return 1;
}

int ReadSpecifiedPointValue(const char* value)
{
    if (value == nullptr) {
        return 0;
    }
    ReadPointNumbers(value, g_SpecifiedPoint, 3);
    return 1;
}

int ReadToolBasePointValue(const char* value)
{
    static const WordChoice kChoices[] = {
        {"BOTTOM", TOOL_BASE_BOTTOM},         {"BALL-CENTER", TOOL_BASE_BALL_CENTER},
        {"F-CENTER", TOOL_BASE_F_CENTER},     {"R-HEIGHT", TOOL_BASE_R_HEIGHT},
        {"LENGTH-TOP", TOOL_BASE_LENGTH_TOP}, {"ARBOR-TOP", TOOL_BASE_ARBOR_TOP}};
    if (!ReadWordChoice(value, kChoices, 6, &g_ToolBasePoint)) {
        return 0;
    }
    g_ToolBasePointFromIni = 1;
    return 1;
}

// --- "Define": pitches ----------------------------------------------------------------------------

int ReadMinimumPitchValue(const char* value)
{
    if (value == nullptr) {
        return 0;
    }
    g_MinimumWorkPitch = ConvertNumberText(value);
    return 1;
}

// "AUTO" with an optional grid-point limit, or a pitch. A pitch that is not above 0 would make every
// new work fail (and every move step divide by it), so it is refused and the default 1.0 is taken.
int ReadWorkPitchValue(const char* value)
{
    if (value == nullptr) {
        return 0;
    }
    if (StartsWithWordNoCase(value, "AUTO")) {
        g_WorkPitch = 1.0;
        g_WorkPitchSetting = 1.0;
        g_AutoWorkPitch = 1;
        int cells = ConvertIntegerText(value + 4);
        g_AutoPitchCells = cells != 0 ? cells : DEFAULT_AUTO_PITCH_CELLS;
        return 1;
    }
    double pitch = ConvertNumberText(value);
    int accepted = pitch > 0.0;
    g_AutoWorkPitch = 0;
    g_WorkPitch = accepted ? pitch : 1.0;
    g_WorkPitchSetting = g_WorkPitch;
    return accepted;
}

// "AUTO" with an optional factor of the work pitch, or a pitch. A factor or pitch that is not above 0
// is refused (a move pitch of 0 would never advance a move): the factor becomes 1.0, the pitch 1.0.
int ReadMovePitchValue(const char* value)
{
    if (value == nullptr) {
        return 0;
    }
    if (StartsWithWordNoCase(value, "AUTO")) {
        double factor = ConvertNumberText(value + 4);
        int accepted = factor >= 0.0;
        g_AutoMovePitch = 1;
        g_AutoMovePitchFactor = factor > 0.0 ? factor : 1.0;
        g_MovePitch = g_AutoMovePitchFactor * g_WorkPitch;
        return accepted;
    }
    double pitch = ConvertNumberText(value);
    int accepted = pitch > 0.0;
    g_AutoMovePitch = 0;
    g_MovePitch = accepted ? pitch : 1.0;
    return accepted;
}

// --- "Define": special tools, undo ring, tools, placement -------------------------------------------

int ReadWeldingHeightValue(const char* value) { return ReadFloatValue(value, &g_WeldingHeight); }
int ReadWeldingWidthValue(const char* value) { return ReadFloatValue(value, &g_WeldingWidth); }
int ReadGrinderDepthValue(const char* value) { return ReadFloatValue(value, &g_GrinderDepth); }
int ReadGrinderWidthValue(const char* value) { return ReadFloatValue(value, &g_GrinderWidth); }
int ReadPaperDepthValue(const char* value) { return ReadFloatValue(value, &g_PaperDepth); }
int ReadPaperWidthValue(const char* value) { return ReadFloatValue(value, &g_PaperWidth); }
int ReadBrushWidthValue(const char* value) { return ReadFloatValue(value, &g_BrushWidth); }
int ReadHeraWidthValue(const char* value) { return ReadFloatValue(value, &g_HeraWidth); }

// n undo steps keep n + 1 slots. n is kept within 0 .. MAX_UNDO_COUNT: each slot is a whole copy of
// the work, so larger counts cannot be allocated anyway, and n + 1 must not overflow.
int ReadUndoValue(const char* value)
{
    if (value == nullptr) {
        return 0;
    }
    int count = ConvertIntegerText(value);
    if (count < 0) {
        count = 0;
    } else if (count > MAX_UNDO_COUNT) {
        count = MAX_UNDO_COUNT;
    }
    unsigned char* buffer = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(count) + 1, 1));
    if (buffer == nullptr) {
        return 0;
    }
    FreeWorkSettingsBuffers();
    g_WorkListRebuild = buffer;
    g_UndoRingSize = count + 1;
    return 1;
}

void FreeWorkSettingsBuffers()
{
    if (g_WorkListRebuild != s_InitialWorkListRebuild) {
        std::free(g_WorkListRebuild);
    }
    s_InitialWorkListRebuild[0] = 0;
    s_InitialWorkListRebuild[1] = 0;
    g_WorkListRebuild = s_InitialWorkListRebuild;
    g_UndoRingSize = 2;
}

// A count below 1 is refused (the previous value stays); above MAX_MAGAZINE_LIMIT it is cut there.
// The tool arrays are allocated in every case, since the tool table reader relies on them.
int ReadMaxMagazineValue(const char* value)
{
    int count = value != nullptr ? ConvertIntegerText(value) : 0;
    int accepted = count >= 1;
    if (accepted) {
        g_MaxMagazine = count > MAX_MAGAZINE_LIMIT ? MAX_MAGAZINE_LIMIT : count;
    }
    AllocateToolArrays();
    return accepted;
}

int ReadCheckMatrixValue(const char* value) { return ReadOnWord(value, "YES", &g_CheckMatrix); }

int ReadStlMatrixValue(const char* value)
{
    if (value == nullptr) {
        return 0;
    }
    CopyTextCut(g_StlMatrixText, sizeof g_StlMatrixText, value);
    return 1;
}

// --- Key table ----------------------------------------------------------------------------------

const WorkSettingsKey g_WorkSettingsKeys[] = {
    {"DMEdata", "Target_DMEdir", nullptr, KEY_ALWAYS, ReadDmeFolderValue},
    {"DMEdata", "DME SELECT", "OFF", KEY_ALWAYS, ReadDmeSelectValue},
    {"DMEdata", "DMF SELECT", "ON", KEY_ALWAYS, ReadDmfSelectValue},
    {"DMEdata", "STL SELECT", "ON", KEY_ALWAYS, ReadStlSelectValue},
    {"DMEdata", "STL AXIS", "NO", KEY_UNLESS_CMD_WORK, ReadStlAxisValue},
    {"DMEdata", "STL FILTER", "OFF", KEY_ALWAYS, ReadStlFilterValue},
    {"DMEdata", "IMPORT COORDINATE", "MACHINE", KEY_ALWAYS, ReadImportCoordinateValue},
    {"DMEdata", "EXPORT COORDINATE", "MACHINE", KEY_ALWAYS, ReadExportCoordinateValue},
    {"DMEdata", "INPUT COORDINATE", "MACHINE", KEY_ALWAYS, ReadInputCoordinateValue},
    {"DMEdata", "ROTATION COORDINATE", "MACHINE", KEY_ALWAYS, ReadRotationCoordinateValue},
    {"DMEdata", "INITIAL SIZE", "(0,0,0,100,100,30)", KEY_UNLESS_CMD_BOX, ReadInitialSizeValue},
    {"DMEdata", "INITIAL SIZE2", "(LEFT,100,0,0,FRONT,200,0,0,BOTTOM,50,0,0)", KEY_UNLESS_CMD_BOX_FROM_ORIGIN,
     ReadInitialSize2Value},
    {"DMEdata", "CYLINDER", "X(-80,0,0,80,100,40)", KEY_UNLESS_CMD_CYLINDER, ReadCylinderValue},
    {"Define", "WORK MARGIN(X)", "0.0", KEY_ALWAYS, ReadWorkMarginXValue},
    {"Define", "WORK MARGIN(Y)", "0.0", KEY_ALWAYS, ReadWorkMarginYValue},
    {"Define", "WORK MARGIN(Z)", "0.0", KEY_ALWAYS, ReadWorkMarginZValue},
    {"Define", "CONTROL POINT", "(0.0,0.0,200.0,0.0,0.0)", KEY_UNLESS_CMD_START_POSITION, ReadControlPointValue},
    {"Define", "NEW CONTROL POINTD", "CURRENT", KEY_ALWAYS, ReadNewControlPointDValue},
    {"Define", "NEW CONTROL POINT", "BOX-TOP", KEY_ALWAYS, ReadNewControlPointValue},
    {"Define", "SPECIFIED POINTD", "(0.0,0.0,100.0)", KEY_ALWAYS, ReadSpecifiedPointDValue},
    {"Define", "SPECIFIED POINT", "(0.0,0.0,100.0)", KEY_ALWAYS, ReadSpecifiedPointValue},
    {"Define", "TOOL BASE POINT", "", KEY_ALWAYS, ReadToolBasePointValue},
    {"Define", "MINIMUM PITCH(WORK)", "0.01", KEY_ALWAYS, ReadMinimumPitchValue},
    {"Define", "PITCH(WORK)", "1.0", KEY_WHILE_WORK_PITCH_ZERO, ReadWorkPitchValue},
    {"Define", "PITCH(MOVE)", "1.0", KEY_WHILE_MOVE_PITCH_ZERO, ReadMovePitchValue},
    {"Define", "WELDING(HEIGHT)", "0.5", KEY_ALWAYS, ReadWeldingHeightValue},
    {"Define", "WELDING(WIDTH)", "5.0", KEY_ALWAYS, ReadWeldingWidthValue},
    {"Define", "GRINDER(DEPTH)", "1.0", KEY_ALWAYS, ReadGrinderDepthValue},
    {"Define", "GRINDER(WIDTH)", "3.0", KEY_ALWAYS, ReadGrinderWidthValue},
    {"Define", "PAPER(DEPTH)", "0.1", KEY_ALWAYS, ReadPaperDepthValue},
    {"Define", "PAPER(WIDTH)", "1.0", KEY_ALWAYS, ReadPaperWidthValue},
    {"Define", "BRUSH(WIDTH)", "1.0", KEY_ALWAYS, ReadBrushWidthValue},
    {"Define", "HERA(WIDTH)", "1.0", KEY_ALWAYS, ReadHeraWidthValue},
    {"Define", "UNDO", "1", KEY_ALWAYS, ReadUndoValue},
    {"Define", "MAX MAGAZINE", "200", KEY_ALWAYS, ReadMaxMagazineValue},
    {"Define", "CHECK MATRIX", "NO", KEY_ALWAYS, ReadCheckMatrixValue},
    {"Define", "STL MATRIX", "", KEY_ALWAYS, ReadStlMatrixValue},
};

const int g_WorkSettingsKeyCount = static_cast<int>(sizeof g_WorkSettingsKeys / sizeof g_WorkSettingsKeys[0]);

const WorkSettingsKey* FindWorkSettingsKey(const char* key)
{
    if (key == nullptr) {
        return nullptr;
    }
    for (int i = 0; i < g_WorkSettingsKeyCount; ++i) {
        if (std::strcmp(g_WorkSettingsKeys[i].key, key) == 0) {
            return &g_WorkSettingsKeys[i];
        }
    }
    return nullptr;
}

int ReadWorkSettingsKey(const char* key, const char* value, const char* currentFolder)
{
    const WorkSettingsKey* entry = FindWorkSettingsKey(key);
    if (entry == nullptr) {
        return -1;
    }
    if (value == nullptr) {
        value = entry->defaultValue != nullptr ? entry->defaultValue : currentFolder;
    }
    return entry->readValue(value != nullptr ? value : "");
}
