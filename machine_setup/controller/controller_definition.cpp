// Reading the controller definition: the settings with their defaults, the reset before every read,
// the line loop, and what is derived after reading (axis labels, rotary reversal, plane codes, plane,
// tool axis and active work offset). The keyword lines themselves are read in controller_keywords.cpp.
#include "machine_setup/controller/controller_definition.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ui/repaint_requests.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/machine_setup_state.h"
#include "platform/os/files.h"
#include "work_model/file_routines.h"

char g_ControllerFilePath[CONTROLLER_PATH_SIZE] = "hanuc.ctl";
int g_ControllerFileStatus = 0;
FileTime g_ControllerFileTime = {};

char g_ControllerName[CONTROLLER_NAME_MAX + 1] = {};
int g_ControllerNameLength = 0;
int g_ControllerNameTextColour[3];
int g_ControllerNameBackColour[3];
double g_CtlViewCentre[3] = {};
int g_ViewCentreFromCtl;
char g_AxisLabelCells[5][3] = {};

double g_LengthInputTolerance;
int g_ScaleInputUnit;
int g_AngleInputUnit;
int g_DecimalPointSetting;

int g_DialectCode;
int g_DialectOsp;
int g_DialectMazak;
int g_DialectSiemens;
int g_DialectHeidenhain;
int g_MachineWire;
int g_MachineLathe;
int g_TclTableCoordinate;
int g_TclVectorInterpolation;
int g_ToolCentreModeAtStart;
int g_ZCeCoordinate;
int g_AngleDecisionFanuc2;
int g_No60Bit2;
char g_EndOfRecordChar;

int g_RunFromMemory;
int g_ReplaceType2;
char* g_CheckChars;
int g_CheckCharsLength;
int g_CodeCheck;
int g_OptionalBlockSkip[OPTIONAL_BLOCK_SKIP_COUNT];
int g_OptionalBlockSkipAny;

int g_CheckF0;
float g_ArcRadiusTolerance = 1000000.0f;
int g_RadiusCheckStop;
int g_RadiusCheckList;
int g_RadiusCheckPaint;
int g_RadiusCheckEnabled;
int g_CheckReverseArc;
int g_WarningLevel;

int g_InitialPlane;
int g_FeedrateMode;
int g_G00Mode;
int g_G00PathLine;
float g_SmoothAngle = 2.0f;
int g_ConcaveArcFeedAdjust;
int g_G92Mode;
double g_RotationAngleSetting;
double g_ScaleFactor[3];
int g_ScaleEffect[3];

int g_CycleReturnInitial;
double g_PeckReturnG83;
double g_PeckReturnG73;
double g_CycleClearance[CYCLE_CLEARANCE_COUNT];
int g_CycleL0Ignore;
int g_CycleK0Ignore;
int g_SpindleControl;
char g_SpindleControlCode;

int g_ToolOffsetMemoryType;
int g_LengthOffsetType;
int g_CompensationCancelMode;
int g_G49Mode;
int g_DCodeValueAuto;
int g_HCodeValueAuto;
int g_AutomaticToolOffset;
int g_AutoLengthOffset;
int g_AutoLengthPosition;

char g_AxisChars[3];
char g_ArcCentreLetters[3];
int g_AxisCodeReversed[3];
int g_RotaryCodeReversed[3];
char g_IncrementalAxisChars[4];
char g_IncrementalOtherChars[4];
int g_PlaneCodes[3] = {17, 18, 19};
int g_AxisOrderFirst = 0;
int g_AxisOrderSecond = 1;
int g_AxisOrderNormal = 2;

char g_Rotary1LockCode[LOCK_CODE_SIZE] = {};
int g_Rotary1LockCodeLength;
char g_Rotary1UnlockCode[LOCK_CODE_SIZE] = {};
int g_Rotary1UnlockCodeLength;
char g_Rotary2LockCode[LOCK_CODE_SIZE] = {};
int g_Rotary2LockCodeLength;
char g_Rotary2UnlockCode[LOCK_CODE_SIZE] = {};
int g_Rotary2UnlockCodeLength;
int g_Rotary1ShortestSetting;
int g_Rotary1Shortest;
int g_Rotary2ShortestSetting;
int g_Rotary2Shortest;
double g_Rotary1Range[2] = {};
double g_Rotary2Range[2] = {};
int g_Rotary1RangeGiven;
int g_Rotary2RangeGiven;

int g_StopMode;
char g_StopPatterns[STOP_PATTERN_SLOTS][STOP_PATTERN_SIZE] = {};
int g_StopPatternCount;
int g_WaitMCodes[WAIT_MCODE_MAX] = {};
char g_WaitFileNames[WAIT_MCODE_MAX][WAIT_FILE_NAME_SIZE] = {};
int g_WaitMCodeCount;
char g_LatheOnCodes[2][LATHE_CODE_SIZE] = {};
int g_LatheOnCodeLengths[2];
char g_LatheOffCodes[2][LATHE_CODE_SIZE] = {};
int g_LatheOffCodeLengths[2];
char g_CutOnCode[CUT_CODE_SIZE] = {};
int g_CutOnCodeLength;
char g_CutOffCode[CUT_CODE_SIZE] = {};
int g_CutOffCodeLength;
int g_CuttingOnAtStart;


namespace {

void ResetDisplayAndUnits()
{
    // g_ControllerName, g_ControllerNameLength and g_CtlViewCentre are kept.
    const int text[3] = {255, 0, 0};
    const int back[3] = {255, 255, 0};
    std::memcpy(g_ControllerNameTextColour, text, sizeof text);
    std::memcpy(g_ControllerNameBackColour, back, sizeof back);
    g_ViewCentreFromCtl = 0;
    g_InputIncrement = 1000;
    g_LengthInputTolerance = 0.0005;
    g_ScaleInputUnit = 1000;
    g_AngleInputUnit = 1000;
    g_DecimalPointSetting = DECIMAL_POINT_NO;
}

void ResetDialectAndReading()
{
    g_DialectCode = DIALECT_DEFAULT;
    g_DialectOsp = 0;
    g_DialectMazak = 0;
    g_DialectSiemens = 0;
    g_DialectHeidenhain = 0;
    g_MachineWire = 0;
    g_MachineLathe = 0;
    g_TclTableCoordinate = 1;
    g_TclVectorInterpolation = 0;
    g_ToolCentreModeAtStart = TOOL_CENTRE_NO;
    g_ZCeCoordinate = 0;
    g_AngleDecisionFanuc2 = 0;
    g_No60Bit2 = 0;
    g_EndOfRecordChar = ' ';
    g_RunFromMemory = 0;
    g_ReplaceType2 = 0;
    std::free(g_CheckChars);
    g_CheckChars = nullptr;
    g_CheckCharsLength = 0;
    g_CodeCheck = 0;
    std::memset(g_OptionalBlockSkip, 0, sizeof g_OptionalBlockSkip);
    g_OptionalBlockSkipAny = 0;
}

void ResetChecksAndMotion()
{
    // g_ArcRadiusTolerance, g_SmoothAngle and g_PlaneCode are kept.
    g_CheckF0 = 0;
    g_RadiusCheckStop = 0;
    g_RadiusCheckList = 0;
    g_RadiusCheckPaint = 0;
    g_RadiusCheckEnabled = 0;
    g_CheckReverseArc = 0;
    g_WarningLevel = 1;
    g_InitialPlane = 17;
    g_FeedrateMode = FEEDRATE_DIRECT;
    g_G00Mode = 0;
    g_G00PathLine = 0;
    g_ConcaveArcFeedAdjust = 1;
    g_G92Mode = 0;
    g_RotationAngleSetting = 0.0;
    for (int k = 0; k < 3; ++k) {
        g_ScaleFactor[k] = 1.0;
        g_ScaleEffect[k] = 1;
    }
    g_CycleReturnInitial = 1;
    g_PeckReturnG83 = 0.1;
    g_PeckReturnG73 = 0.1;
    std::memset(g_CycleClearance, 0, sizeof g_CycleClearance);
    g_CycleL0Ignore = 0;
    g_CycleK0Ignore = 0;
    g_SpindleControl = 0;
    g_SpindleControlCode = ' ';
}

void ResetToolOffsetsAndLetters()
{
    g_ToolOffsetMemoryType = TOOL_OFFSET_MEMORY_C;
    g_LengthOffsetType = 0;
    g_CompensationCancelMode = 1;
    g_G49Mode = 0;
    g_DCodeValueAuto = 0;
    g_HCodeValueAuto = 0;
    g_AutomaticToolOffset = 0;
    g_AutoLengthOffset = 0;
    g_AutoLengthPosition = 0;
    for (int k = 0; k < 3; ++k) {
        g_AxisChars[k] = "XYZ"[k];
        g_MachineAxisLetters[k] = "XYZ"[k];
        g_ArcCentreLetters[k] = "IJK"[k];
        g_AxisCodeReversed[k] = 0;
        g_RotaryCodeReversed[k] = 0;
    }
    std::memset(g_IncrementalAxisChars, 0, sizeof g_IncrementalAxisChars);
    std::memset(g_IncrementalOtherChars, 0, sizeof g_IncrementalOtherChars);
    g_Rotary1Letter = ' ';
    g_Rotary2Letter = ' ';
}

void ResetRotaryAndRunControl()
{
    // The rotary range values are kept; only their flags are reset.
    g_Rotary1LockCodeLength = 0;
    g_Rotary1UnlockCodeLength = 0;
    g_Rotary2LockCodeLength = 0;
    g_Rotary2UnlockCodeLength = 0;
    g_Rotary1ShortestSetting = 0;
    g_Rotary1Shortest = 0;
    g_Rotary2ShortestSetting = 0;
    g_Rotary2Shortest = 0;
    g_Rotary1Direction = 1;
    g_Rotary2Direction = 1;
    g_Rotary1RangeGiven = 0;
    g_Rotary2RangeGiven = 0;
    g_StopMode = STOP_NONE;
    g_StopPatternCount = 0;
    g_WaitMCodeCount = 0;
    g_LatheOnCodeLengths[0] = g_LatheOnCodeLengths[1] = 0;
    g_LatheOffCodeLengths[0] = g_LatheOffCodeLengths[1] = 0;
    g_CutOnCodeLength = 0;
    g_CutOffCodeLength = 0;
    g_CuttingOnAtStart = 1;
}

// The interpreter values every read resets.
void ResetInterpreterValues()
{
    g_ToolCentreMode = 0;
    g_PolarInterpolationOn = 0;
    g_CylindricalInterpolationOn = 0;
    g_Rotary1Locked = 0;
    g_Rotary2Locked = 0;
    g_CutCodeState = 1;
    g_LatheModeOn = 0;
    g_RadiusOffsetAlarm = 0;
    for (int k = 0; k < 3; ++k) g_ScaleCentre[k] = 0.1;
    g_StartWorkOffset = 1;
    g_WorkOffsetIndex = 1;
    std::memset(g_WorkOffsetAdjustments, 0, sizeof g_WorkOffsetAdjustments);
}

// Reads the lines of an open file; CR LF line ends count as LF.
void ReadControllerLines(FILE* file)
{
    char line[CONTROLLER_LINE_SIZE];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        size_t n = std::strlen(line);
        if (n >= 2 && line[n - 2] == '\r' && line[n - 1] == '\n') {
            line[n - 2] = '\n';
            line[n - 1] = '\0';
        }
        ApplyControllerLine(line);
    }
}

// Deletes the wait files that a run may have left behind.
void DeleteWaitFiles()
{
    for (int k = 0; k < g_WaitMCodeCount; ++k) {
        FILE* file = OpenFile(g_WaitFileNames[k], "r");
        if (file == nullptr) continue;
        std::fclose(file);
        DeleteFileAtPath(g_WaitFileNames[k]);
    }
}

void BuildAxisLabelCells()
{
    const char letters[5] = {g_AxisChars[0], g_AxisChars[1], g_AxisChars[2], g_Rotary1Letter, g_Rotary2Letter};
    int count = g_AxisCount < 0 ? 0 : (g_AxisCount > 5 ? 5 : g_AxisCount);
    for (int k = 0; k < count; ++k) {
        g_AxisLabelCells[k][0] = '\t';
        g_AxisLabelCells[k][1] = letters[k];
        g_AxisLabelCells[k][2] = '\0';
    }
}

// The rotary reversal of rotary k follows the "A-CODE", "B-CODE" or "C-CODE" flag of its letter.
void ResolveRotaryReversal()
{
    if (g_Rotary1Letter >= 'A' && g_Rotary1Letter <= 'C') {
        g_Rotary1Reversed = g_RotaryCodeReversed[g_Rotary1Letter - 'A'];
    }
    if (g_Rotary2Letter >= 'A' && g_Rotary2Letter <= 'C') {
        g_Rotary2Reversed = g_RotaryCodeReversed[g_Rotary2Letter - 'A'];
    }
}

// Steps after the file was read: everything derived from the settings.
void DeriveAfterReading()
{
    DeleteWaitFiles();
    BuildAxisLabelCells();
    ResolveRotaryReversal();
    ComputePlaneCodesFromAxisChars();
    SelectPlane();
    g_ToolAxisIndex = g_AxisOrderNormal;
    UpdateWorkCoordinateMatrix();
    ApplyCurrentWorkOffset();
    if (g_LengthOffsetType == 0) {
        g_ToolAxisIndex = g_AxisOrderNormal;
    } else if (g_LengthOffsetType == 1) {
        g_ToolAxisIndex = g_PlaneNormalAxis;
    }
    if (g_DialectHeidenhain) {
        g_EndOfRecordChar = ' ';
        g_DecimalPointSetting = DECIMAL_POINT_NORMAL;
    }
    if (g_RunFromMemory && g_DialectOsp && g_MemorySubprogramNames == nullptr) {
        g_MemorySubprogramNames = (char*)std::calloc(MEMORY_SUBPROGRAM_NAMES_SIZE, 1);
    }
    g_RebuildAxisTriad = 1;
}

// One row of the plane-code table: when the letter driving the plane's first machine axis is C(a) and
// the one driving its second is C(b), the code is value; the two 17 rows also set the axis order.
struct PlaneCodeRow {
    int a;
    int b;
    int value;
    int setsOrder;
};

// Rows in test order; every machine plane uses the same rows. No row matches: -19.
const PlaneCodeRow kPlaneCodeRows[5] = {{0, 1, 17, 1}, {1, 0, -17, 1}, {2, 0, 18, 0}, {0, 2, -18, 0}, {1, 2, 19, 0}};

// The signed code of the machine plane of machine axes first and second; *setsOrder 1 when the
// matching row sets the axis order.
int FindPlaneCode(int first, int second, int sign, int* setsOrder)
{
    for (const PlaneCodeRow& row : kPlaneCodeRows) {
        if (g_MachineAxisLetters[first] == g_AxisChars[row.a] && g_MachineAxisLetters[second] == g_AxisChars[row.b]) {
            *setsOrder = row.setsOrder;
            return row.value * sign;
        }
    }
    *setsOrder = 0;
    return -19 * sign;
}

}  // namespace

void ResetControllerSettings()
{
    ResetDisplayAndUnits();
    ResetDialectAndReading();
    ResetChecksAndMotion();
    ResetToolOffsetsAndLetters();
    ResetRotaryAndRunControl();
    ResetInterpreterValues();
    FreeReplaceRules();
    FreeInMemoryProgramBuffers();
    ClearOffsetMemories();
}

void ReadControllerFile()
{
    ResetControllerSettings();
    if (!GetFileLastWriteTime(g_ControllerFilePath, &g_ControllerFileTime)) ClearFileTime(&g_ControllerFileTime);
    FILE* file = DoesFolderExist(g_ControllerFilePath) ? nullptr : OpenFile(g_ControllerFilePath, "r");
    if (file == nullptr) {
        g_ControllerFileStatus = -1;
        return;
    }
    g_ControllerFileStatus = 1;
    ReadControllerLines(file);
    std::fclose(file);
    DeriveAfterReading();
}

void ComputePlaneCodesFromAxisChars()
{
    // Machine planes XY, ZX, YZ: their first and second machine axes and the axis order they set.
    const int planeAxes[3][2] = {{0, 1}, {2, 0}, {1, 2}};
    const int planeOrder[3][3] = {{0, 1, 2}, {2, 0, 1}, {1, 2, 0}};
    int s[3];
    for (int k = 0; k < 3; ++k) s[k] = g_AxisCodeReversed[k] ? -1 : 1;
    for (int p = 0; p < 3; ++p) {
        int first = planeAxes[p][0];
        int second = planeAxes[p][1];
        int setsOrder = 0;
        g_PlaneCodes[p] = FindPlaneCode(first, second, s[first] * s[second], &setsOrder);
        if (setsOrder) {
            g_AxisOrderFirst = planeOrder[p][0];
            g_AxisOrderSecond = planeOrder[p][1];
            g_AxisOrderNormal = planeOrder[p][2];
        }
    }
}

void FreeInMemoryProgramBuffers()
{
    std::free(g_ProgramText);
    g_ProgramText = nullptr;
    int32_t** arrays[4] = {&g_MemorySubprogramNumbers, &g_MemorySubprogramOffsets, &g_MemorySubprogramLines,
                           &g_MemorySubprogramLengths};
    for (int32_t** array : arrays) {
        std::free(*array);
        *array = nullptr;
    }
    std::free(g_MemorySubprogramNames);
    g_MemorySubprogramNames = nullptr;
    g_SubprogramDepth = 0;
    std::memset(g_SubprogramInMemory, 0, sizeof g_SubprogramInMemory);
    std::memset(g_SubprogramIndex, 0, sizeof g_SubprogramIndex);
    std::memset(g_SubprogramOffset, 0, sizeof g_SubprogramOffset);
    std::memset(g_SubprogramLineCount, 0, sizeof g_SubprogramLineCount);
    std::memset(g_SubprogramCallNames, 0, sizeof g_SubprogramCallNames);
    std::memset(g_SubprogramFolder, 0, sizeof g_SubprogramFolder);
    std::memset(g_LastSubprogramPath, 0, sizeof g_LastSubprogramPath);
    g_MemorySubprogramCount = 0;
    ClearFileTime(&g_NcExtentsFileTime);
}

namespace {
// The program start values of the values above are the reset values: their definitions leave them
// to this call, so each default is written once.
[[maybe_unused]] const int kStartValuesSet = (ResetControllerSettings(), 1);
}  // namespace
