// Check, display and view settings: the program-wide variables with their start values, the stop flag
// of the checks, one reader per key and the key tables in reading order. Opening the settings file,
// the order between groups and the command-line skips belong to the settings file reader.
#include "machine_setup/settings/display_settings.h"

#include "machine_setup/settings/colour_settings.h"
#include "machine_setup/settings/token_readers.h"
#include "machine_setup/machine_setup_state.h"

#include <cstring>

int g_InterferenceCheck;
int g_ArborCheck;
int g_OutputLengthCheckAll;
int g_HeightCheckType;
double g_HeightCheckValue;
int g_HeightCheck;
int g_ChipWidthCheck;
int g_SpindleCheck;
int g_SpindleCheckLimitsGiven;
double g_SpindleCheckLimit1;
double g_SpindleCheckLimit2;
int g_CheckToolVice, g_CheckToolTable2, g_CheckToolTable1, g_CheckToolTable,
    g_CheckToolBasic;
int g_CheckArborVice, g_CheckArborTable2, g_CheckArborTable1, g_CheckArborTable,
    g_CheckArborBasic;
int g_CheckHead2Work, g_CheckHead2Vice, g_CheckHead2Table, g_CheckHead2Basic;
int g_CheckHead1Work, g_CheckHead1Vice, g_CheckHead1Table1, g_CheckHead1Table,
    g_CheckHead1Basic;
int g_CheckHeadWork, g_CheckHeadVice, g_CheckHeadTable2, g_CheckHeadTable1,
    g_CheckHeadTable;
int g_CheckHeadBasic;
int g_DialogPairChecks[DIALOG_PAIR_CHECK_COUNT];
int g_StopOnCheck;
double g_RapidFeedrate;
int g_ToolClearanceMode;
double g_ToolClearance;
int g_ArborClearanceMode;
double g_ArborClearance;

int g_WorkDisplayMode;
int g_ToolDisplayMode;
int g_MachineDisplayMode;
int g_BasicModelDisplayMode;
int g_SkipBlock;
int g_SkipView;
int g_RealRotation;
int g_RealRapid;
int g_WorkDisplayStyle;
int g_ColourMode;
int g_TopPathColourSpecified;
int g_ToolTopColourSpecified;
int g_ShowViewCentre;
int g_ShowConstructionPoints;
int g_ShowAxisTriad;
char g_ProgressName[24];
int g_SoundOn;
int g_IgnoreG00;
double g_OffsetValue;
int g_PauseKey;
int g_AbortKey;
int g_DifferenceArea;
double g_DifferenceMargin;
double g_DifferenceMarginBuilt;
int g_DifferenceUsesPen;
int g_DifferencePen;
int g_DifferenceKeepSameColour;
double g_DifferenceOffset;
int g_DifferenceTargetGiven;
int g_DifferenceTargetPen;
int g_ViewCentreFromIni;
double g_IniViewCentre[3];
int g_FullViewWork;
int g_OpenGlBufferMode;
int g_PumpOption;
double g_ToolDialogZoomRate;

namespace {

// The part-pair checks in the order of their keys.
int* const kPartPairChecks[PART_PAIR_CHECK_COUNT] = {
    &g_CheckToolVice,   &g_CheckToolTable2,  &g_CheckToolTable1, &g_CheckToolTable,  &g_CheckToolBasic,
    &g_CheckArborVice,  &g_CheckArborTable2, &g_CheckArborTable1, &g_CheckArborTable, &g_CheckArborBasic,
    &g_CheckHead2Work,  &g_CheckHead2Vice,   &g_CheckHead2Table,  &g_CheckHead2Basic, &g_CheckHead1Work,
    &g_CheckHead1Vice,  &g_CheckHead1Table1, &g_CheckHead1Table,  &g_CheckHead1Basic, &g_CheckHeadWork,
    &g_CheckHeadVice,   &g_CheckHeadTable2,  &g_CheckHeadTable1,  &g_CheckHeadTable,  &g_CheckHeadBasic};

} // namespace

void UpdateCheckStopFlag()
{
    int stop = g_InterferenceCheck == 2 || g_ArborCheck == 4 || g_HeightCheck == 3 || g_ChipWidthCheck == 3 ||
               g_SpindleCheck == 2;
    for (int i = 0; i < PART_PAIR_CHECK_COUNT && !stop; ++i) {
        stop = *kPartPairChecks[i] == 2;
    }
    for (int i = 0; i < DIALOG_PAIR_CHECK_COUNT && !stop; ++i) {
        stop = g_DialogPairChecks[i] == 2;
    }
    g_StopOnCheck = stop ? 1 : 0;
}

void ResetDisplaySettings()
{
    g_InterferenceCheck = 1;
    g_ArborCheck = 0;
    g_OutputLengthCheckAll = 0;
    g_HeightCheckType = 0;
    g_HeightCheckValue = 0.0;
    g_HeightCheck = g_ChipWidthCheck = 0;
    g_SpindleCheck = g_SpindleCheckLimitsGiven = 0;
    g_SpindleCheckLimit1 = g_SpindleCheckLimit2 = 0.0;
    for (int i = 0; i < PART_PAIR_CHECK_COUNT; ++i) {
        *kPartPairChecks[i] = 0;
    }
    for (int i = 0; i < DIALOG_PAIR_CHECK_COUNT; ++i) {
        g_DialogPairChecks[i] = 0;
    }
    g_StopOnCheck = 0;
    g_RapidFeedrate = 999999999.0;
    g_ToolClearanceMode = g_ArborClearanceMode = 0;
    g_ToolClearance = g_ArborClearance = 0.0;
    g_WorkDisplayMode = g_ToolDisplayMode = g_MachineDisplayMode = PART_DISPLAY_ON;
    g_BasicModelDisplayMode = PART_DISPLAY_OFF;
    g_SkipBlock = g_SkipView = 5;
    g_RealRotation = g_RealRapid = g_WorkDisplayStyle = g_ColourMode = 0;
    g_TopPathColourSpecified = g_ToolTopColourSpecified = 1;
    g_ShowViewCentre = g_ShowConstructionPoints = 0;
    g_ShowAxisTriad = 1;
    g_ProgressName[0] = '\0';
    g_SoundOn = 1;
    g_IgnoreG00 = 0;
    g_OffsetValue = 5.0;
    g_PauseKey = VK_CODE_CONTROL;
    g_AbortKey = VK_CODE_ESCAPE;
    g_DifferenceArea = 1;
    g_DifferenceMargin = g_DifferenceMarginBuilt = 0.1;
    g_DifferenceUsesPen = 0;
    g_DifferencePen = 1;
    g_DifferenceKeepSameColour = 1;
    g_DifferenceOffset = 0.0;
    g_DifferenceTargetGiven = 0;
    g_DifferenceTargetPen = 1;
    g_ViewCentreFromIni = 0;
    g_IniViewCentre[0] = g_IniViewCentre[1] = g_IniViewCentre[2] = 0.0;
    g_FullViewWork = 0;
    g_OpenGlBufferMode = 2;
    g_PumpOption = 1;
    g_ToolDialogZoomRate = 2.0;
}

// --- Value helpers --------------------------------------------------------------------------------

namespace {

// The first listed word that begins the value sets *target, else otherValue when it is given
// (hasOther), else nothing changes (result 0).
int ReadWords(const char* value, const WordChoice* choices, int count, int* target, bool hasOther = false,
              int otherValue = 0)
{
    if (ReadWordChoice(value, choices, count, target)) {
        return 1;
    }
    if (hasOther && value != nullptr) {
        *target = otherValue;
        return 1;
    }
    return 0;
}

int ReadOneWord(const char* value, const char* word, int wordValue, int* target)
{
    const WordChoice choice = {word, wordValue};
    return ReadWords(value, &choice, 1, target);
}

int ReadNumber(const char* value, double* target)
{
    if (value == nullptr) {
        return 0;
    }
    *target = ConvertNumberText(value);
    return 1;
}

int ReadInteger(const char* value, int* target)
{
    if (value == nullptr) {
        return 0;
    }
    *target = ConvertIntegerText(value);
    return 1;
}

// "NO" 0, "STOP" stopValue, any other value otherValue.
int ReadCheckAction(const char* value, int* target, int stopValue = 2, int otherValue = 1)
{
    const WordChoice choices[] = {{"NO", 0}, {"STOP", stopValue}};
    return ReadWords(value, choices, 2, target, true, otherValue);
}

// "NO" 0, "YES" 1, any other value: mode 2 and the value read as a number.
int ReadClearance(const char* value, int* mode, double* clearance)
{
    const WordChoice choices[] = {{"NO", 0}, {"YES", 1}};
    if (ReadWords(value, choices, 2, mode) || value == nullptr) {
        return value != nullptr;
    }
    *mode = 2;
    *clearance = ConvertNumberText(value);
    return 1;
}

// "PERS": on when the transparency is 1, off when it is 0, else semitransparent.
int PersDisplayMode(float alpha)
{
    if (alpha == 1.0f) {
        return PART_DISPLAY_ON;
    }
    return alpha == 0.0f ? PART_DISPLAY_OFF : PART_DISPLAY_SEMITRANSPARENT;
}

// "PENn": n when it is 1 to 15, else 1.
int PenNumberAfterWord(const char* value)
{
    int pen = ConvertIntegerText(value + 3);
    return pen >= 1 && pen <= 15 ? pen : 1;
}

// Copies at most size - 1 bytes, cut at a character boundary (the texts are UTF-8).
void CopyTextCut(char* destination, size_t size, const char* source)
{
    size_t length = std::strlen(source);
    if (length >= size) {
        length = size - 1;
        while (length > 0 && (static_cast<unsigned char>(source[length]) & 0xC0u) == 0x80u) {
            --length;
        }
    }
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

// --- First part of "Define" ------------------------------------------------------------------------

int ReadSkipBlock(const char* v) { return ReadInteger(v, &g_SkipBlock); }
int ReadSkipView(const char* v) { return ReadInteger(v, &g_SkipView); }
int ReadRealRotation(const char* v) { return ReadOneWord(v, "YES", 1, &g_RealRotation); }
int ReadRealRapid(const char* v) { return ReadOneWord(v, "YES", 1, &g_RealRapid); }
int ReadMeshMode(const char* v) { return ReadOneWord(v, "YES", 1, &g_WorkDisplayStyle); }
// Any value: the colour mode is always 0.
int ReadColourMode(const char* v)
{
    g_ColourMode = 0;
    return v != nullptr;
}
int ReadTopPathColourMode(const char* v) { return ReadOneWord(v, "PEN", 0, &g_TopPathColourSpecified); }
int ReadToolTopColourMode(const char* v) { return ReadOneWord(v, "PEN", 0, &g_ToolTopColourSpecified); }

// --- Checks ---------------------------------------------------------------------------------------

int ReadInterference(const char* v)
{
    const WordChoice choices[] = {{"NO", 0}, {"TOOL", 1}, {"ARBOR", 0}, {"STOP", 2}};
    return ReadWords(v, choices, 4, &g_InterferenceCheck, true, 1);
}

int ReadArborCheck(const char* v)
{
    const WordChoice choices[] = {{"YES", 3}, {"OUTPUT", 1}, {"CUT", 2}, {"STOP", 4}};
    return ReadWords(v, choices, 4, &g_ArborCheck, true, 0);
}

int ReadOutputLengthCheck(const char* v) { return ReadOneWord(v, "ALL", 1, &g_OutputLengthCheckAll); }

// "B" with an optional value (no number after it: -0.1; a value of 0: type A), "C", else "A".
int ReadHeightCheckType(const char* v)
{
    if (v == nullptr) {
        return 0;
    }
    if (v[0] == 'B' || v[0] == 'b') {
        g_HeightCheckValue = FindNumberStart(v, 1) >= 0 ? ConvertNumberText(v + 1) : -0.1;
        g_HeightCheckType = g_HeightCheckValue != 0.0 ? 1 : 0;
    } else if (v[0] == 'C' || v[0] == 'c') {
        g_HeightCheckType = 2;
    } else {
        g_HeightCheckType = 0;
    }
    return 1;
}

int ReadHeightCheck(const char* v)
{
    const WordChoice choices[] = {{"NO", 0}, {"OUTPUT", 1}, {"STOP", 3}};
    return ReadWords(v, choices, 3, &g_HeightCheck, true, 2);
}

int ReadChipWidthCheck(const char* v)
{
    const WordChoice choices[] = {{"NO", 0}, {"OUTPUT", 1}, {"STOP", 3}};
    return ReadWords(v, choices, 3, &g_ChipWidthCheck, true, 2);
}

// The action word, then from the fourth character two limits "a,b"; both must be there.
int ReadSpindleCheck(const char* v)
{
    if (!ReadCheckAction(v, &g_SpindleCheck)) {
        return 0;
    }
    g_SpindleCheckLimitsGiven = 0;
    g_SpindleCheckLimit1 = g_SpindleCheckLimit2 = 0.0;
    if (g_SpindleCheck == 0 || std::strlen(v) < 4) {
        return 1;
    }
    int first = FindNumberStart(v, 3);
    const char* comma = first >= 0 ? std::strchr(v + first, ',') : nullptr;
    if (comma == nullptr || FindNumberStart(v, static_cast<int>(comma - v)) < 0) {
        return 1;
    }
    int position = 3;
    ReadNextNumber(&position, v, &g_SpindleCheckLimit1);
    ReadNumberAfterComma(&position, v, &g_SpindleCheckLimit2);
    g_SpindleCheckLimitsGiven = 1;
    return 1;
}

template <int* Check>
int ReadPairCheck(const char* v)
{
    return ReadCheckAction(v, Check);
}

// --- Further keys ---------------------------------------------------------------------------------

int ReadRapidFeedrate(const char* v)
{
    if (StartsWithWordNoCase(v, "NO")) {
        g_RapidFeedrate = 999999999.0;
        return 1;
    }
    return ReadNumber(v, &g_RapidFeedrate);
}

int ReadToolClearance(const char* v) { return ReadClearance(v, &g_ToolClearanceMode, &g_ToolClearance); }
int ReadArborClearance(const char* v) { return ReadClearance(v, &g_ArborClearanceMode, &g_ArborClearance); }

int ReadToolDisplay(const char* v)
{
    const WordChoice choices[] = {{"OFF", PART_DISPLAY_OFF}, {"PERS", PART_DISPLAY_SEMITRANSPARENT}};
    return ReadWords(v, choices, 2, &g_ToolDisplayMode);
}

int ReadMachineDisplay(const char* v)
{
    const WordChoice choices[] = {{"OFF", PART_DISPLAY_OFF}, {"PERS", PART_DISPLAY_SEMITRANSPARENT}};
    return ReadWords(v, choices, 2, &g_MachineDisplayMode);
}

int ReadWorkDisplay(const char* v)
{
    const WordChoice choices[] = {{"OFF", PART_DISPLAY_OFF}, {"PERS", PersDisplayMode(g_WorkAlpha)}};
    return ReadWords(v, choices, 2, &g_WorkDisplayMode);
}

int ReadBaseDisplay(const char* v)
{
    const WordChoice choices[] = {{"ON", PART_DISPLAY_ON}, {"PERS", PersDisplayMode(g_BaseAlpha)}};
    return ReadWords(v, choices, 2, &g_BasicModelDisplayMode);
}

int ReadRotationCentreDisplay(const char* v) { return ReadOneWord(v, "ON", 1, &g_ShowViewCentre); }
int ReadConstructionPoint(const char* v) { return ReadOneWord(v, "ON", 1, &g_ShowConstructionPoints); }

int ReadBasicAxis(const char* v)
{
    const WordChoice choices[] = {{"NO", 0}, {"ON", 1}, {"OFF", 0}};
    return ReadWords(v, choices, 3, &g_ShowAxisTriad);
}

int ReadProgressName(const char* v)
{
    if (v == nullptr) {
        return 0;
    }
    CopyTextCut(g_ProgressName, sizeof g_ProgressName, v);
    return 1;
}

int ReadSound(const char* v) { return ReadOneWord(v, "OFF", 0, &g_SoundOn); }
int ReadIgnoreG00(const char* v) { return ReadOneWord(v, "YES", 1, &g_IgnoreG00); }
int ReadOffsetValue(const char* v) { return ReadNumber(v, &g_OffsetValue); }

int ReadStopKey(const char* v)
{
    const WordChoice choices[] = {{"SPACE", VK_CODE_SPACE}, {"PAUSE", VK_CODE_PAUSE}};
    return ReadWords(v, choices, 2, &g_PauseKey, true, VK_CODE_CONTROL);
}

int ReadEscapeKey(const char* v)
{
    const WordChoice choices[] = {{"BREAK", VK_CODE_CANCEL}, {"PAUSE", VK_CODE_PAUSE}};
    return ReadWords(v, choices, 2, &g_AbortKey, true, VK_CODE_ESCAPE);
}

int ReadPerspective(const char* v) { return ReadOneWord(v, "OFF", 0, &g_Perspective); }
int ReadDifferenceArea(const char* v) { return ReadOneWord(v, "MINUS", -1, &g_DifferenceArea); }

int ReadDifferenceMargin(const char* v)
{
    if (!ReadNumber(v, &g_DifferenceMargin)) {
        return 0;
    }
    g_DifferenceMarginBuilt = g_DifferenceMargin;
    return 1;
}

int ReadDifferenceColour(const char* v)
{
    if (!StartsWithWordNoCase(v, "PEN") || StartsWithWordNoCase(v, "PENKI")) {
        return 0;
    }
    g_DifferenceUsesPen = 1;
    g_DifferencePen = PenNumberAfterWord(v);
    return 1;
}

int ReadDifferenceKeepSameColour(const char* v)
{
    return ReadOneWord(v, "YES", 0, &g_DifferenceKeepSameColour);
}

int ReadDifferenceOffset(const char* v) { return ReadNumber(v, &g_DifferenceOffset); }

int ReadViewCentre(const char* v)
{
    if (v == nullptr) {
        return 0;
    }
    if (StartsWithWordNoCase(v, "AUTO")) {
        g_ViewCentreFromIni = 0;
        return 1;
    }
    g_ViewCentreFromIni = 1;
    int position = 0;
    ReadNextNumber(&position, v, &g_IniViewCentre[0]);
    ReadNumberAfterComma(&position, v, &g_IniViewCentre[1]);
    ReadNumberAfterComma(&position, v, &g_IniViewCentre[2]);
    return 1;
}

int ReadFullView(const char* v) { return ReadOneWord(v, "WORK", 1, &g_FullViewWork); }

int ReadOpenGlBuffer(const char* v)
{
    const WordChoice choice = {"NOT SPECIFIED", 1};
    return ReadWords(v, &choice, 1, &g_OpenGlBufferMode, true, 2);
}

int ReadImeVersion(const char* v)
{
    const WordChoice choice = {"OLD", 0};
    return ReadWords(v, &choice, 1, &g_PumpOption, true, 1);
}

int ReadDifferenceTarget(const char* v)
{
    if (!StartsWithWordNoCase(v, "PEN")) {
        return 0;
    }
    g_DifferenceTargetGiven = 1;
    g_DifferenceTargetPen = PenNumberAfterWord(v);
    return 1;
}

int ReadToolDialogZoomRate(const char* v)
{
    if (StartsWithWordNoCase(v, "MAX")) {
        g_ToolDialogZoomRate = 9999.0;
        return 1;
    }
    return ReadNumber(v, &g_ToolDialogZoomRate);
}

// --- View keys ------------------------------------------------------------------------------------

int ReadAngleA(const char* v)
{
    if (!ReadNumber(v, &g_ViewAngleA)) {
        return 0;
    }
    g_ViewAngleHome[0] = g_ViewAngleA;
    return 1;
}

int ReadAngleB(const char* v)
{
    if (!ReadNumber(v, &g_ViewAngleB)) {
        return 0;
    }
    g_ViewAngleHome[1] = g_ViewAngleB;
    return 1;
}

int ReadExpandRate(const char* v) { return ReadNumber(v, &g_ZoomKeyFactor); }

} // namespace

// --- Key tables -----------------------------------------------------------------------------------

const DisplaySettingsKey g_DisplayKeysFirst[] = {
    {"SKIP BLOCK", "5", DISPLAY_KEY_ALWAYS, ReadSkipBlock},
    {"SKIP VIEW", "5", DISPLAY_KEY_ALWAYS, ReadSkipView},
    {"REAL ROTATION", "NO", DISPLAY_KEY_ALWAYS, ReadRealRotation},
    {"REAL RAPID", "NO", DISPLAY_KEY_ALWAYS, ReadRealRapid},
    {"MESH MODE", "NO", DISPLAY_KEY_ALWAYS, ReadMeshMode},
    {"COLOR MODE", "TOOL-PEN", DISPLAY_KEY_ALWAYS, ReadColourMode},
    {"TOP-PATH COLOR MODE", "SPECIFIED", DISPLAY_KEY_ALWAYS, ReadTopPathColourMode},
    {"TOOL-TOP COLOR MODE", "SPECIFIED", DISPLAY_KEY_ALWAYS, ReadToolTopColourMode},
};
const int g_DisplayKeysFirstCount = static_cast<int>(sizeof g_DisplayKeysFirst / sizeof g_DisplayKeysFirst[0]);

const DisplaySettingsKey g_CheckKeys[] = {
    {"INTERFERENCE", "YES", DISPLAY_KEY_ALWAYS, ReadInterference},
    {"ARBOR CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadArborCheck},
    {"CHECK OF OUTPUT LENGTH", "WORK", DISPLAY_KEY_ALWAYS, ReadOutputLengthCheck},
    {"HEIGHT CHECK TYPE", "A", DISPLAY_KEY_ALWAYS, ReadHeightCheckType},
    {"HEIGHT CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadHeightCheck},
    {"CHIP-W CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadChipWidthCheck},
    {"SPINDLE CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadSpindleCheck},
    {"TOOL-VICE CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckToolVice>},
    {"TOOL-TABLE2 CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckToolTable2>},
    {"TOOL-TABLE1 CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckToolTable1>},
    {"TOOL-TABLE CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckToolTable>},
    {"TOOL-BASIC CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckToolBasic>},
    {"ARBOR-VICE CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckArborVice>},
    {"ARBOR-TABLE2 CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckArborTable2>},
    {"ARBOR-TABLE1 CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckArborTable1>},
    {"ARBOR-TABLE CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckArborTable>},
    {"ARBOR-BASIC CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckArborBasic>},
    {"HEAD2-WORK CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHead2Work>},
    {"HEAD2-VICE CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHead2Vice>},
    {"HEAD2-TABLE CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHead2Table>},
    {"HEAD2-BASIC CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHead2Basic>},
    {"HEAD1-WORK CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHead1Work>},
    {"HEAD1-VICE CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHead1Vice>},
    {"HEAD1-TABLE1 CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHead1Table1>},
    {"HEAD1-TABLE CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHead1Table>},
    {"HEAD1-BASIC CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHead1Basic>},
    {"HEAD-WORK CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHeadWork>},
    {"HEAD-VICE CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHeadVice>},
    {"HEAD-TABLE2 CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHeadTable2>},
    {"HEAD-TABLE1 CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHeadTable1>},
    {"HEAD-TABLE CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHeadTable>},
    {"HEAD-BASIC CHECK", "NO", DISPLAY_KEY_ALWAYS, ReadPairCheck<&g_CheckHeadBasic>},
};
const int g_CheckKeysCount = static_cast<int>(sizeof g_CheckKeys / sizeof g_CheckKeys[0]);

const DisplaySettingsKey g_DisplayKeysBeforeUndo[] = {
    {"RAPID FEEDRATE", "999999999.0", DISPLAY_KEY_ALWAYS, ReadRapidFeedrate},
    {"TOOL CLEARANCE", "NO", DISPLAY_KEY_ALWAYS, ReadToolClearance},
    {"ARBOR CLEARANCE", "NO", DISPLAY_KEY_ALWAYS, ReadArborClearance},
    {"TOOL DISPLAY", "ON", DISPLAY_KEY_ALWAYS, ReadToolDisplay},
    {"MACHINE DISPLAY", "ON", DISPLAY_KEY_ALWAYS, ReadMachineDisplay},
    {"WORK DISPLAY", "ON", DISPLAY_KEY_ALWAYS, ReadWorkDisplay},
    {"BASE DISPLAY", "OFF", DISPLAY_KEY_ALWAYS, ReadBaseDisplay},
    {"ROTATION CENTER DISPLAY", "OFF", DISPLAY_KEY_ALWAYS, ReadRotationCentreDisplay},
    {"CONSTRUCTION POINT", "OFF", DISPLAY_KEY_ALWAYS, ReadConstructionPoint},
    {"BASIC AXIS", "YES", DISPLAY_KEY_ALWAYS, ReadBasicAxis},
    {"PROGRESS NAME", "", DISPLAY_KEY_ALWAYS, ReadProgressName},
    {"SOUND", "OFF", DISPLAY_KEY_ALWAYS, ReadSound},
    {"IGNORE G00", "NO", DISPLAY_KEY_ALWAYS, ReadIgnoreG00},
    {"OFFSET VALUE", "5.0", DISPLAY_KEY_UNLESS_CMD_OFFSET, ReadOffsetValue},
    {"STOP KEY", "CTRL", DISPLAY_KEY_ALWAYS, ReadStopKey},
    {"ESCAPE KEY", "ESC", DISPLAY_KEY_ALWAYS, ReadEscapeKey},
};
const int g_DisplayKeysBeforeUndoCount =
    static_cast<int>(sizeof g_DisplayKeysBeforeUndo / sizeof g_DisplayKeysBeforeUndo[0]);

const DisplaySettingsKey g_DisplayKeysAfterUndo[] = {
    {"PERSPECTIVE", "ON", DISPLAY_KEY_ALWAYS, ReadPerspective},
    {"DIFFERENCE AREA", "PLUS", DISPLAY_KEY_UNLESS_CMD_DIFFERENCE, ReadDifferenceArea},
    {"DIFFERENCE MARGIN", "0.1", DISPLAY_KEY_UNLESS_CMD_DIFFERENCE, ReadDifferenceMargin},
    {"DIFFERENCE COLOR", "PENKI", DISPLAY_KEY_UNLESS_CMD_DIFFERENCE, ReadDifferenceColour},
    {"DIFFERENCE KEEP SAME COLOR", "NO", DISPLAY_KEY_UNLESS_CMD_DIFFERENCE, ReadDifferenceKeepSameColour},
    {"DIFFERENCE OFFSET", "0.0", DISPLAY_KEY_UNLESS_CMD_DIFFERENCE, ReadDifferenceOffset},
    {"VIEW CENTER", "AUTO", DISPLAY_KEY_ALWAYS, ReadViewCentre},
    {"FULL VIEW", "ALL", DISPLAY_KEY_ALWAYS, ReadFullView},
    {"OPENGL BUFFER", "DOUBLE", DISPLAY_KEY_ALWAYS, ReadOpenGlBuffer},
    {"IME VERSION", "NEW", DISPLAY_KEY_ALWAYS, ReadImeVersion},
    {"DIFFERENCE TARGET", "NO", DISPLAY_KEY_ALWAYS, ReadDifferenceTarget},
    {"TOOL DIALOG ZOOM RATE", "2.0", DISPLAY_KEY_ALWAYS, ReadToolDialogZoomRate},
};
const int g_DisplayKeysAfterUndoCount =
    static_cast<int>(sizeof g_DisplayKeysAfterUndo / sizeof g_DisplayKeysAfterUndo[0]);

const DisplaySettingsKey g_ViewKeys[] = {
    {"ANGLE-A", "315.0", DISPLAY_KEY_ALWAYS, ReadAngleA},
    {"ANGLE-B", "45.0", DISPLAY_KEY_ALWAYS, ReadAngleB},
    {"EXPAND RATE", "5.0", DISPLAY_KEY_ALWAYS, ReadExpandRate},
};
const int g_ViewKeysCount = static_cast<int>(sizeof g_ViewKeys / sizeof g_ViewKeys[0]);

const DisplaySettingsKey* FindDisplaySettingsKey(const char* key)
{
    if (key == nullptr) {
        return nullptr;
    }
    const struct {
        const DisplaySettingsKey* keys;
        int count;
    } groups[] = {{g_DisplayKeysFirst, g_DisplayKeysFirstCount},
                  {g_CheckKeys, g_CheckKeysCount},
                  {g_DisplayKeysBeforeUndo, g_DisplayKeysBeforeUndoCount},
                  {g_DisplayKeysAfterUndo, g_DisplayKeysAfterUndoCount},
                  {g_ViewKeys, g_ViewKeysCount}};
    for (const auto& group : groups) {
        for (int i = 0; i < group.count; ++i) {
            if (std::strcmp(group.keys[i].key, key) == 0) {
                return &group.keys[i];
            }
        }
    }
    return nullptr;
}

int ReadDisplaySettingsKey(const char* key, const char* value)
{
    const DisplaySettingsKey* entry = FindDisplaySettingsKey(key);
    if (entry == nullptr) {
        return -1;
    }
    return entry->readValue(value != nullptr ? value : entry->defaultValue);
}

namespace {
// The program start values of the values above are the reset values: their definitions leave them
// to this call, so each default is written once.
[[maybe_unused]] const int kStartValuesSet = (ResetDisplaySettings(), 1);
}  // namespace
