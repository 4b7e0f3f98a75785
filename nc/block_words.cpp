// The plain address words of a block that are not coordinates or G/M codes: tool (T), cycle repeat
// (K, L), R, P and Q by context, D and H offsets, feed (F), O/N/W numbers, spindle speed (S), comments,
// the wire taper angle and the OSP G127 angle. Table indices taken from a word are range-checked.
#include "nc/block_words.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/block_completion.h"
#include "nc/block_interpreter.h"
#include "nc/block_state.h"
#include "nc/coordinate_words.h"
#include "nc/dialect_keywords.h"
#include "nc/gm_codes.h"
#include "nc/interpreter_state.h"
#include "nc/nc_words.h"
#include "nc/reader_plugin.h"
#include "nc/stop_blocks.h"
#include "nc/subprogram_calls.h"
#include "nc/tool_change_route.h"
#include "machine_setup/tools/tool_length_reference.h"

namespace {

void StepOver(int* position, const char* line)
{
    if (line[*position] != '\0') ++*position;
}

int ReadInteger(int* position, const char* line)
{
    int value = 0;
    ReadIntegerWord(position, line, &value);
    return value;
}

double ReadValue(int* position, const char* line)
{
    double value = 0.0;
    ReadWordValue(position, line, &value);
    return value;
}

double ReadPlain(int* position, const char* line)
{
    double value = 0.0;
    ReadPlainValue(position, line, &value);
    return value;
}

// D and H numbers: 0..999; a larger (or negative) number becomes 0.
int ClampOffsetNumber(int n)
{
    return n < 0 || n >= TOOL_OFFSET_COUNT ? 0 : n;
}

int IsArcKind(int kind) { return kind == MOTION_ARC_CW || kind == MOTION_ARC_CCW; }

// The rotation angle of a G68 block (R, OSP P/Q/R): into g_RotationAngles at the count, with the
// rotation's axis code first for OSP (0 leaves it).
void ReadRotationAngle(int* position, const char* line, int ospAxisCode)
{
    const int k = g_RotationCount;
    if (k < 0 || k >= 2) return;
    if (ospAxisCode > 0) g_RotationAxisCodes[k] = ospAxisCode;
    ReadValueWithDivisor(position, line, &g_RotationAngles[k], g_AngleInputUnit);
}

// G10 R word: the value goes into tool offset entry P by memory type and L number.
void SetToolOffsetByG10(int* position, const char* line)
{
    const int column = *position;
    const double read = ReadValue(position, line);
    const int p = g_BlockPNumber;
    if (p < 0 || p >= TOOL_OFFSET_COUNT || !(std::fabs(read) <= FLT_MAX)) {
        RaiseWordRangeAlarm(column);
        return;
    }
    float* first = nullptr;
    float* second = nullptr;
    const int l = g_OffsetSettingL;
    switch (g_ToolOffsetMemoryType) {
    case TOOL_OFFSET_MEMORY_A: first = g_ToolOffsetH, second = g_ToolOffsetD; break;
    case TOOL_OFFSET_MEMORY_B:
        if (l == 10) first = g_ToolOffsetH, second = g_ToolOffsetD;
        else first = g_ToolOffsetH2, second = g_ToolOffsetD2;
        break;
    case TOOL_OFFSET_MEMORY_C:
        if (l == 10) first = g_ToolOffsetH;
        else if (l == 11 || l == 1) first = g_ToolOffsetH2;
        else if (l == 12) first = g_ToolOffsetD;
        else first = g_ToolOffsetD2;
        break;
    default: return;
    }
    const float value = (float)read;
    for (float* memory : {first, second}) {
        if (memory == nullptr) continue;
        memory[p] = g_IncrementalMode ? memory[p] + value : value;
    }
}

// D number n of the tool in the spindle with "D-CODE VALUE" AUTO: half the tool diameter.
void SetCompensationFromD(int n)
{
    if (n > 0 && n < TOOL_OFFSET_COUNT && g_DCodeValueAuto) g_ToolOffsetD[n] = g_CurrentTool.diameter * 0.5f;
    if (n < 0 || n >= TOOL_OFFSET_COUNT) return;
    g_CompensationValue = g_CompensationSide * ((double)g_ToolOffsetD[n] + (double)g_ToolOffsetD2[n]);
}

// OSP G353 with an H number: head mode on, the tip offset of the head angle.
void ApplyOspHeadOffset(int n)
{
    g_OffsetApplyMode = 1;
    RedrawAxisLabels();
    g_ToolLengthOffset = 0.0;
    ComputeHeadTipOffset(g_NcTargetPosition.axis[AXIS_ROTARY2]);
    if (g_ToolBasePoint == TOOL_BASE_ARBOR_TOP) {
        g_ToolLengthOffset = ToolLengthOffsetOf(n) + g_ToolHolderOffset;
        g_PendingToolLengthShift = g_ToolLengthOffset;
    }
}

// OSP H word in a G15 / G16 block: selects the work offset row (G15 applies it at once).
int ReadOspWorkOffsetH(int* position, const char* line)
{
    const int column = *position;
    const int n = ReadInteger(position, line);
    if (n < 0 || n >= WORK_OFFSET_COUNT) {
        RaiseWordRangeAlarm(column);
        return WORD_SCAN_GOES_ON;
    }
    g_WorkOffsetIndex = n;
    if (g_LastGCode != 15) return WORD_SCAN_GOES_ON;
    RedrawCoordinatePanels();
    ChangeActiveWorkOffset(g_WorkOffsets[n]);
    g_ControlPoint = g_NcTargetPosition;
    UpdateActiveWorkCoordinate();
    return WORD_SCAN_GOES_ON;
}

// OSP HA in a G353 or G56 block: the H number of the spindle tool.
void ReadOspSpindleToolH(int* position)
{
    ++*position;  // the A
    const int n = g_SpindleToolNumber;
    if (n < 0 || n >= TOOL_OFFSET_COUNT) return;
    g_HWordNumber = n;
    if (g_HCodeValueAuto) g_ToolOffsetH[n] = (float)g_ToolProfileTop;
    if (g_LastGCode == 353) {
        ApplyOspHeadOffset(n);
        return;
    }
    g_ToolLengthOffset = WithHolderOffset(ToolLengthOffsetOf(n));
    g_PendingToolLengthShift = g_ToolLengthOffset;
}

// Length of the F word's number text (up to the next letter, "(" or line feed; blanks count).
int NumberTextLength(const char* line, int position)
{
    int end = position;
    while (!IsValueTextEnd(line[end])) ++end;
    return end - position;
}

}  // namespace

double ToolLengthOffsetOf(int n)
{
    if (n < 0 || n >= TOOL_OFFSET_COUNT) return 0.0;
    return (double)g_ToolOffsetH[n] + (double)g_ToolOffsetH2[n];
}

double WithHolderOffset(double offset)
{
    return g_ToolBasePoint == TOOL_BASE_ARBOR_TOP ? offset + g_ToolHolderOffset : offset;
}

void SetToolAxisByLengthOffsetType(int fanucCAxis)
{
    if (g_LengthOffsetType == 0) {
        g_ToolAxisIndex = g_AxisOrderNormal;   // the controller's length (tool) axis
    } else if (g_LengthOffsetType == 1) {
        g_ToolAxisIndex = g_PlaneNormalAxis;
    } else if (fanucCAxis >= 0) {
        g_ToolAxisIndex = fanucCAxis;
    }
}

int ReadToolWord(int* position, const char* line)
{
    StepOver(position, line);
    const int n = ReadInteger(position, line);
    if (g_ToolWordBlock && g_DialectMazak && n == 0) return WORD_SCAN_GOES_ON;
    g_ToolCallNumber = n;
    if (g_ToolWordSplit == 4) {
        int divisor = 1;
        for (int k = 0; k < g_ToolWordSplitDigits && k < 9; ++k) divisor *= 10;
        const int tool = n / divisor;
        const int h = ClampOffsetNumber(n % divisor);
        g_HWordNumber = h;
        g_CommandedToolNumber = tool;
        if (h == 0) {
            if (g_ToolLengthCompOn && g_G49Mode == 1) g_CoordinateShiftState = 1;
            if (!g_AutoLengthOffset) {
                g_ToolLengthOffset = 0.0;
                g_ToolLengthCompOn = 0;
            }
        } else {
            g_ToolCallNumber = tool;
            g_ToolLengthCompOn = 1;
            g_ToolLengthOffset = WithHolderOffset(ToolLengthOffsetOf(h));
            g_PendingToolLengthShift = g_ToolLengthOffset;
            SetToolAxisByLengthOffsetType(-1);
        }
    } else {
        if (n >= 0) g_CommandedToolNumber = n;
        if (g_ToolChangePositionGiven) {
            PrepareToolChangeRoute();
            if (g_ToolChangeRouteSteps > 0) NextToolChangeRouteStep();
        }
    }
    g_ToolWordBlock = 1;
    return WORD_SCAN_GOES_ON;
}

int ReadCycleRepeatWord(int* position, const char* line)
{
    StepOver(position, line);
    if (g_DialectOsp) {
        const double value = ReadValue(position, line);
        if (g_CannedCycleCode == 83) g_PeckReturnG83 = value;
        if (g_CannedCycleCode == 73) g_PeckReturnG73 = value;
        return WORD_SCAN_GOES_ON;
    }
    int count = ReadInteger(position, line);
    if (count == 0 && g_CycleK0Ignore) count = 1;
    if (g_DialectHeidenhain) count = 1;
    g_CycleRepeatCount = count;
    return WORD_SCAN_GOES_ON;
}

int ReadRWord(int* position, const char* line)
{
    StepOver(position, line);
    const int g = g_LastGCode;
    if (g_DialectCode == DIALECT_DEFAULT && g == 68) {
        ReadRotationAngle(position, line, 0);
        return WORD_SCAN_GOES_ON;
    }
    if (g_DialectOsp && g == 68) {
        ReadRotationAngle(position, line, 1);
        return WORD_SCAN_GOES_ON;
    }
    if (g_OffsetSettingBlock) {
        SetToolOffsetByG10(position, line);
        return WORD_SCAN_GOES_ON;
    }
    if (g_DialectOsp && g_SubprogramDepth > 0 && std::strncmp(line + *position, "TS", 2) == 0) {
        ReturnFromSubprogram();
        return WORD_SCAN_ENDS;
    }
    if (g_CannedCycleCode != 80) {
        g_CycleRPoint = ReadValue(position, line);
        return WORD_SCAN_GOES_ON;
    }
    if (g_DialectHeidenhain && !IsArcKind(g)) {
        ReadValue(position, line);  // read and dropped
        return WORD_SCAN_GOES_ON;
    }
    ReadArcRadiusWord(position, line);
    return WORD_SCAN_GOES_ON;
}

namespace {

// P rule 5: the block's P number of G10 (offset memory entry or work offset row).
void ReadOffsetSettingP(int* position, const char* line)
{
    const int column = *position;
    int p = ReadInteger(position, line);
    if (g_OffsetSettingL == 20) {
        p = p >= 0 && p < WORK_OFFSET_COUNT ? p + 6 : -1;  // extended rows: P + 6
        g_OffsetSettingL = 2;
    }
    if (g_OffsetSettingL == 2 && (p < 0 || p >= WORK_OFFSET_COUNT)) {
        RaiseWordRangeAlarm(column);
        p = -1;  // no row is written
    }
    g_BlockPNumber = p;
}

// P rule 6: M98 / M198 P: the call; the scan ends.
int ReadCallP(int* position, const char* line)
{
    const int number = ReadInteger(position, line);
    if (g_LastMCode == 98) {
        if (g_RunFromMemory) CallMemorySubprogram(number, nullptr);
        return WORD_SCAN_ENDS;
    }
    char name[32];
    std::snprintf(name, sizeof name, "O%d", number);
    CallSubprogramFile(name, number);
    return WORD_SCAN_ENDS;
}

// OSP P words (rules 2 and 3); -1 when none applies.
int ReadOspPWord(int* position, const char* line)
{
    if (g_OspRotationState == 1) {
        g_OspRotationAngle = ReadPlain(position, line);
        ExactCosSin(g_OspRotationAngle, &g_OspRotationCos, &g_OspRotationSin);
        return WORD_SCAN_GOES_ON;
    }
    if (!g_DialectOsp) return -1;
    const int g = g_LastGCode;
    if (g == 68) {
        ReadRotationAngle(position, line, 3);
        return WORD_SCAN_GOES_ON;
    }
    if (g == 353 || g == 354) {
        const int r = ReadOspHeadAngleWord(position, line);
        return r == DIALECT_WORD_ENDS_SCAN ? WORD_SCAN_ENDS : WORD_SCAN_GOES_ON;
    }
    if (g == 469) {
        if (ReadInteger(position, line) == 1) {
            g_OspPlaneOrderCode = 313;
            g_LastGCode = 682;
            g_RotaryFollowKind = 0;
        }
        return WORD_SCAN_GOES_ON;
    }
    return -1;
}

}  // namespace

int ReadPWord(int* position, const char* line)
{
    StepOver(position, line);
    const int g = g_LastGCode;
    if (g == 51) {
        if (g_DialectCode == DIALECT_DEFAULT) {
            ReadValueWithDivisor(position, line, &g_ScaleFactorP, g_ScaleInputUnit);
        } else if (g_DialectOsp) {
            ReadValueWithDivisor(position, line, &g_ScaleFactorP, 1);
        }
        g_ScalingUniform = 1;
        return WORD_SCAN_GOES_ON;
    }
    const int osp = ReadOspPWord(position, line);
    if (osp >= 0) return osp;
    if (g_DialectMazak && (g_LengthOffsetBlock || g_ToolWordBlock)) {
        if (ReadInteger(position, line) == 1) {
            g_MazakHeadOffsetMode = 1;
            if (g_AutomaticToolOffset && g_Rotary1Letter == 'B') {
                ComputeHeadTipOffset(g_ActiveWorkOffset.axis[AXIS_ROTARY1] + g_NcTargetPosition.axis[AXIS_ROTARY1]);
            }
        }
        return WORD_SCAN_GOES_ON;
    }
    if (g_OffsetSettingBlock || g_OffsetSettingL == 2 || g_OffsetSettingL == 20) {
        ReadOffsetSettingP(position, line);
        return WORD_SCAN_GOES_ON;
    }
    if (g_LastMCode == 98 || g_LastMCode == 198) return ReadCallP(position, line);
    const int planeWord = g_DialectHeidenhain && strncasecmp(line + *position - 1, "PLANE ", 6) == 0;
    if (g_CannedCycleCode != 80 || (g_DefinedCycleCode != 80 && !planeWord)) {
        if (g_DialectHeidenhain) ReadCycleParameterWord(position, line);
        else ReadDwellValue(position, line, &g_CycleDwell);
        return WORD_SCAN_GOES_ON;
    }
    if (g_DialectHeidenhain && g_PolarBlock && (line[*position] == 'A' || line[*position] == 'R')) {
        const char which = line[(*position)++];
        const double value = ReadPlain(position, line);
        if (which == 'A') {
            g_PolarEndAngle = value;
        } else {
            g_PolarRadius = value;
            g_ArcEndRadius = value;
        }
        return WORD_SCAN_GOES_ON;
    }
    if (g_DwellBlock) {
        ReadDwellValue(position, line, &g_CycleDwell);
        return WORD_SCAN_GOES_ON;
    }
    if (g == 30) {
        const int column = *position;
        const int n = ReadInteger(position, line);
        if (n < 1 || n > REFERENCE_POINT_COUNT) {
            RaiseWordRangeAlarm(column);
        } else {
            g_ReferencePointIndex = n - 1;
        }
        return WORD_SCAN_GOES_ON;
    }
    if (planeWord) return WORD_SCAN_GOES_ON;  // HEIDENHAIN PLANE: dialect keywords
    g_CycleDwell = ReadPlain(position, line);
    return WORD_SCAN_GOES_ON;
}

namespace {

// Q rule 5: HEIDENHAIN Q parameter assignment Qn=value.
void ReadQParameter(int* position, const char* line)
{
    const int column = *position;  // the Q letter's column (1-based)
    const int digits = *position;
    const int n = ReadInteger(position, line);
    const char* equals = std::strchr(line + digits, '=');
    if (equals == nullptr) return;
    *position = (int)(equals - line) + 1;
    double value = 0.0;
    ReadDelimitedValue(position, line, &value);
    if (n < 0 || n >= Q_PARAMETER_COUNT) {
        RaiseWordRangeAlarm(column);
        return;
    }
    g_QParameters[n] = value;
    if (n == 202) g_HeidenhainCycleParameters.peckDepth = value;
    if (n == 206) g_HeidenhainCycleParameters.plungeFeed = value;
    if (n == 211) g_HeidenhainCycleParameters.dwell = value;
}

}  // namespace

int ReadQWord(int* position, const char* line)
{
    StepOver(position, line);
    const int g = g_LastGCode;
    if (g == 682) {
        if (g_DialectOsp && g_OspPlaneOrderCode != 0) g_OspPlaneOrderCode = ReadInteger(position, line);
        else g_TiltedPlaneQWord = ReadInteger(position, line);
        return WORD_SCAN_GOES_ON;
    }
    if (g_DialectOsp && g == 68) {
        ReadRotationAngle(position, line, 2);
        return WORD_SCAN_GOES_ON;
    }
    if (g_ToolCentreMode == 2) {
        const char c = line[*position];
        g_PlaneRotationMode = c == 'R' ? 1 : c == 'L' ? -1 : c == 'B' ? 2 : 0;
        if (c == 'R' || c == 'L' || c == 'B' || c == 'F') ++*position;
        g_PlaneRotationAngle = ReadPlain(position, line) * M_PI / 180.0;
        return WORD_SCAN_GOES_ON;
    }
    if (g_DialectHeidenhain && g_CannedCycleCode != 80) {
        g_CyclePeck = std::fabs(ReadValue(position, line));
        return WORD_SCAN_GOES_ON;
    }
    if (g_DialectHeidenhain && g_DefinedCycleCode >= 200 && g_CannedCycleCode == 80) {
        ReadQParameter(position, line);
        return WORD_SCAN_GOES_ON;
    }
    g_CyclePeck = ReadValue(position, line);
    if (g_DialectOsp && g_CannedCycleCode == 83) g_OspCycleParameters.peck = 1;
    return WORD_SCAN_GOES_ON;
}

int ReadLWord(int* position, const char* line)
{
    StepOver(position, line);
    if (g_DialectOsp && g_MachineLathe && IsArcKind(g_MotionKind)) {
        ReadArcRadiusWord(position, line);
        return WORD_SCAN_GOES_ON;
    }
    const int n = ReadInteger(position, line);
    if ((g_DialectCode == DIALECT_DEFAULT && g_LastGCode == 10 && (n == 2 || n == 20)) || g_OffsetSettingBlock) {
        g_OffsetSettingL = n;
        return WORD_SCAN_GOES_ON;
    }
    int count = n;
    if (count == 0 && g_CannedCycleCode != 80 && g_CycleL0Ignore) count = 1;
    if (g_DialectHeidenhain) count = 1;
    g_CycleRepeatCount = count;
    return WORD_SCAN_GOES_ON;
}

int ReadDWord(int* position, const char* line)
{
    StepOver(position, line);
    if (g_DialectOsp && line[*position] == 'A') {
        ++*position;
        g_DWordNumber = ClampOffsetNumber(g_SpindleToolNumber);
        SetCompensationFromD(g_DWordNumber);
        RedrawAxisLabels();
        return WORD_SCAN_GOES_ON;
    }
    g_DWordNumber = ClampOffsetNumber(ReadInteger(position, line));
    SetCompensationFromD(g_DWordNumber);
    return WORD_SCAN_GOES_ON;
}

int ReadHWord(int* position, const char* line)
{
    StepOver(position, line);
    const int g = g_LastGCode;
    if (g_DialectOsp && g_OspCoordinateSelectMode && (g == 15 || g == 16)) return ReadOspWorkOffsetH(position, line);
    if (g_DialectOsp && (g == 353 || g == 56) && line[*position] == 'A') {
        ReadOspSpindleToolH(position);
        return WORD_SCAN_GOES_ON;
    }
    const int n = ClampOffsetNumber(ReadInteger(position, line));
    g_HWordNumber = n;
    if (n == 0) {
        if (!g_AutoLengthOffset) {
            g_ToolLengthOffset = 0.0;
            g_ToolLengthCompOn = 0;
        }
        return WORD_SCAN_GOES_ON;
    }
    if (g_HCodeValueAuto) g_ToolOffsetH[n] = (float)g_ToolProfileTop;
    if (g_DialectOsp && g == 353) {
        ApplyOspHeadOffset(n);
        return WORD_SCAN_GOES_ON;
    }
    g_ToolLengthOffset = WithHolderOffset(ToolLengthOffsetOf(n) * g_ToolLengthCompOn);
    g_PendingToolLengthShift = g_ToolLengthOffset;
    return WORD_SCAN_GOES_ON;
}

int ReadFWord(int* position, const char* line)
{
    StepOver(position, line);
    if (g_RigidTapBlock && (g_CannedCycleCode == 74 || g_CannedCycleCode == 84)) {
        g_RigidTapFeed = ReadPlain(position, line);
        return WORD_SCAN_GOES_ON;
    }
    const int column = *position;
    const int textLength = NumberTextLength(line, *position);
    double feed = ReadPlain(position, line);
    if (g_DialectHeidenhain && g_MotionKind == MOTION_RAPID) g_MotionKind = MOTION_LINEAR;
    const int mode = g_FeedrateMode;
    if (mode == FEEDRATE_INDIRECT || (mode == FEEDRATE_AUTO1 && textLength <= 1) ||
        (mode == FEEDRATE_AUTO2 && textLength <= 2)) {
        if (!(feed >= 0.0 && feed < (double)TOOL_OFFSET_COUNT)) {
            RaiseWordRangeAlarm(column);
            return WORD_SCAN_GOES_ON;
        }
        g_FWordNumber = (int)feed;
        feed = g_FeedTable[g_FWordNumber];
    }
    g_FeedValues[0] = feed;
    g_ModalFeed = feed;
    return WORD_SCAN_GOES_ON;
}

int ReadNumberWord(int* position, const char* line)
{
    const char letter = line[*position];
    StepOver(position, line);
    if (letter == 'N' && g_DialectOsp && std::strncmp(line + *position, "CYL", 3) == 0) {
        g_NoCycleBlock = 1;
        *position += 3;
        return WORD_SCAN_GOES_ON;
    }
    const int n = ReadInteger(position, line);
    if (letter == 'O') g_ProgramNumber = n;
    else if (letter == 'N') g_SequenceNumber = n;
    else g_WWordNumber = n;
    return WORD_SCAN_GOES_ON;
}

int ReadSWord(int* position, const char* line)
{
    StepOver(position, line);
    if (g_LastMCode == 29) {
        g_RigidTapBlock = 1;
        g_RigidTapSpeed = ReadPlain(position, line);
        return WORD_SCAN_GOES_ON;
    }
    g_SpindleSpeedWord = ReadInteger(position, line);
    g_SpindleSpeed = g_SpindleSpeedWord;
    return WORD_SCAN_GOES_ON;
}

int ReadCommentWord(int* position, const char* line)
{
    if (g_ActiveReaderPlugin < 0) CallNcToolPlugin(line);
    CheckNcDirectiveComment(line + *position + 1);
    const char* close = std::strchr(line + *position, ')');
    if (close == nullptr) return WORD_SCAN_ENDS;  // the rest of the line is comment
    *position = (int)(close - line) + 1;
    return WORD_SCAN_GOES_ON;
}

int ReadWireTaperWord(int* position, const char* line)
{
    StepOver(position, line);
    g_WireTaperMode = 2;
    g_PlaneRotationAngle = ReadPlain(position, line) * M_PI / 180.0;
    g_PlaneRotationMode = 1;
    return WORD_SCAN_GOES_ON;
}

int ReadOspBWord(int* position, const char* line)
{
    StepOver(position, line);
    const int k = g_RotationCount;
    if (k >= 0 && k < 2) g_RotationAngles[k] = ReadPlain(position, line);
    return WORD_SCAN_GOES_ON;
}
