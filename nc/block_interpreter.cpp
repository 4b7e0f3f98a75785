// InterpretNcBlock: the start of a block, blocks from a reader plug-in, and the one left-to-right pass
// over a text block with its controller words and letter chain; the word handlers are in
// block_words.cpp, gm_codes.cpp and m_codes.cpp, the coordinate words in coordinate_words.cpp.
#include "nc/block_interpreter.h"

#include <cstring>
#include <strings.h>

#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine_setup_state.h"
#include "platform/ui/repaint_requests.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/machine/inverse_kinematics.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/tools/current_tool.h"
#include "nc/block_completion.h"
#include "nc/interpreter_state.h"
#include "platform/ui/event_core.h"
#include "nc/block_state.h"
#include "nc/block_words.h"
#include "nc/coordinate_words.h"
#include "nc/dialect_keywords.h"
#include "nc/gm_codes.h"
#include "nc/reader_plugin.h"
#include "nc/stop_blocks.h"

void UpdateStatusWhileRunning()
{
    if (g_RunMode > 0) UpdateStatusBar();
}

void RedrawAxisLabels()
{
    if (g_RunMode <= 0) return;
    if (!IsUiWindowMinimised(g_MainWindow)) {
        BeginPanelDraw(g_MainWindow);
        DrawAxisLabelColumn();
        EndPanelDraw(g_MainWindow);
    }
    UpdateStatusBar();
}

void RedrawCoordinatePanels()
{
    g_RebuildAxisTriad = 1;
    UpdateStatusWhileRunning();
    BeginPanelDraw(g_MainWindow);
    if (g_ShowWorkCoordinates) DrawMeasurePointPanel();
    if (g_ShowExtentsInWorkCoordinates) DrawWorkExtentsPanel();
    EndPanelDraw(g_MainWindow);
}

namespace {

// A block from the reader plug-in: the path record of the block instead of the line.
void InterpretPluginBlock()
{
    const ReaderPathRecord& path = g_ReaderPath;
    if (path.kind >= 1000) {
        g_PluginToolActive = 0;
        g_ToolCallNumber = path.kind - 1000;
        if (g_ToolCallNumber >= 0) g_CommandedToolNumber = g_ToolCallNumber;
        return;
    }
    for (int k = 0; k < 3; ++k) g_NcTargetPosition.axis[k] = path.point[k];
    g_MotionKind = path.kind;
    const double before[2] = {g_NcTargetPosition.axis[AXIS_ROTARY1], g_NcTargetPosition.axis[AXIS_ROTARY2]};
    double angles[2] = {before[0], before[1]};
    ChooseRotarySolution(&path.point[3], angles);
    g_NcTargetPosition.axis[AXIS_ROTARY1] = angles[0];
    g_NcTargetPosition.axis[AXIS_ROTARY2] = angles[1];
    for (int k = 0; k < 3; ++k) g_ArcCentre[k] = path.centre[k];
    if (path.plane != g_PlaneCode) {
        g_PlaneCode = path.plane;
        SelectPlane();  // the plane axes follow the record's plane
    }
    g_FeedValues[0] = path.feed;
    if (!ReaderPluginHasPathWithPlane()) {
        // Vector mode: the record's I, J, K is the tool axis.
        for (int k = 0; k < 3; ++k) g_ToolAxisVector[k] = path.point[3 + k];
        const double previous[2] = {g_NcTargetPosition.axis[AXIS_ROTARY1], g_NcTargetPosition.axis[AXIS_ROTARY2]};
        const int ranges[2] = {g_Rotary1RangeGiven, g_Rotary2RangeGiven};
        double solved[2] = {0.0, 0.0};
        // Out of reach of the rotary axes: they keep their angles and the record raises the tool-axis
        // alarm (a machine without rotary axes has no angles to keep).
        if (!SolveInverseKinematics(g_ToolAxisVector, previous, ranges, g_Rotary1Range, g_Rotary2Range, solved) &&
            g_MachineKind != MACHINE_NONE) {
            solved[0] = before[0];
            solved[1] = before[1];
            RaiseToolAxisReachAlarm();
        }
        g_NcTargetPosition.axis[AXIS_ROTARY1] = solved[0];
        g_NcTargetPosition.axis[AXIS_ROTARY2] = solved[1];
        g_ToolCentreMode = 2;
        UpdateStatusWhileRunning();
        g_RotarySolutionMemory = 0;
        g_ToolLengthCompOn = 1;
        g_PendingToolLengthShift = g_ToolLength;
        g_ToolLengthOffset = g_ToolLength;
        if ((double)g_CurrentToolLength != g_ToolLength) g_CurrentToolLength = (float)g_ToolLength;
        return;
    }
    if (g_MotionKind == MOTION_ARC_CW || g_MotionKind == MOTION_ARC_CCW) ComputeArcFromCentre();
}

// Steps 1 to 5 of the start of a text block.
void BeginTextBlock()
{
    g_SpindleAxisPrevious = g_SpindleAxisPosition;
    g_SecondRotationAngle = g_PlaneRotationAngle;
    g_SecondRotationMode = g_PlaneRotationMode;
    if (g_DialectCode == DIALECT_HEIDENHAIN) {
        g_DirectionGiven = 0;
        g_PolarBlock = 0;
        g_CircleCentreBlock = 0;
    } else {
        for (int k = 0; k < 3; ++k) g_ArcCentreWords[k] = 0.0;
        g_IjkGiven = 0;
        g_OrientationAnglesGiven = 0;
    }
    if (g_OspRotationState == 1) g_OspRotationState = 2;
    g_FeedValues[0] = g_ModalFeed;
    g_ToolWordBlock = 0;
    g_LengthOffsetBlock = 0;
    g_ReferenceReturnKind = 0;
    g_DwellBlock = 0;
    g_CycleAxisWordSeen = 0;
    g_HeidenhainMachineM = 0;
    g_MachineCoordinateBlock = 0;
    g_LocalCoordinateBlock = 0;
    g_PauseReasonCount = 0;
    g_RadiusOffsetAlarm = 0;
}

// Index where the scan of the line ends: before the line feed, or with SIEMENS and HEIDENHAIN at the
// first ";" (which also hands the line to the directive comment check).
int FindScanEnd(const char* line)
{
    int end = (int)std::strlen(line);
    if (end > 0 && line[end - 1] == '\n') --end;
    if (g_DialectSiemens || g_DialectHeidenhain) {
        const char* semicolon = (const char*)std::memchr(line, ';', (size_t)end);
        if (semicolon != nullptr) end = (int)(semicolon - line);
        if (line[0] != '\0') CheckNcDirectiveComment(line + 1);
        g_OrientationAnglesGiven = 0;
    }
    return end;
}

// 1 when the controller code (length > 0) stands at position, compared without regard to case.
int CodeAt(const char* line, int position, const char* code, int length)
{
    return length > 0 && strncasecmp(line + position, code, (size_t)length) == 0;
}

// The controller's special words; 1 when one matched (the position is behind it).
int ReadControllerWord(int* position, const char* line)
{
    const int p = *position;
    int* state = nullptr;
    int value = 0;
    int length = 0;
    int cut = 0;
    if (CodeAt(line, p, g_LatheOnCodes[0], g_LatheOnCodeLengths[0])) {
        state = &g_LatheCodeState[0], value = 1, length = g_LatheOnCodeLengths[0];
    } else if (CodeAt(line, p, g_LatheOnCodes[1], g_LatheOnCodeLengths[1])) {
        state = &g_LatheCodeState[1], value = 1, length = g_LatheOnCodeLengths[1];
    } else if (CodeAt(line, p, g_LatheOffCodes[0], g_LatheOffCodeLengths[0])) {
        state = &g_LatheCodeState[0], value = 0, length = g_LatheOffCodeLengths[0];
    } else if (CodeAt(line, p, g_LatheOffCodes[1], g_LatheOffCodeLengths[1])) {
        state = &g_LatheCodeState[1], value = 0, length = g_LatheOffCodeLengths[1];
    } else if (CodeAt(line, p, g_CutOnCode, g_CutOnCodeLength)) {
        state = &g_CutCodeState, value = 1, length = g_CutOnCodeLength, cut = 1;
    } else if (CodeAt(line, p, g_CutOffCode, g_CutOffCodeLength)) {
        state = &g_CutCodeState, value = 0, length = g_CutOffCodeLength, cut = 1;
    } else if (CodeAt(line, p, g_Rotary1LockCode, g_Rotary1LockCodeLength)) {
        state = &g_Rotary1Locked, value = 1, length = g_Rotary1LockCodeLength;
    } else if (CodeAt(line, p, g_Rotary1UnlockCode, g_Rotary1UnlockCodeLength)) {
        state = &g_Rotary1Locked, value = 0, length = g_Rotary1UnlockCodeLength;
    } else if (CodeAt(line, p, g_Rotary2LockCode, g_Rotary2LockCodeLength)) {
        state = &g_Rotary2Locked, value = 1, length = g_Rotary2LockCodeLength;
    } else if (CodeAt(line, p, g_Rotary2UnlockCode, g_Rotary2UnlockCodeLength)) {
        state = &g_Rotary2Locked, value = 0, length = g_Rotary2UnlockCodeLength;
    } else {
        return 0;
    }
    *state = value;
    *position = p + length;
    if (cut) {
        g_RebuildToolList = 1;
        if (g_MachineWire) g_WireTaperMode = 0;
    }
    return 1;
}

// Index 0..2 of the machine axis whose letter is c, -1 none.
int FindLetter(const char* letters, char c)
{
    for (int a = 0; a < 3; ++a) {
        if (letters[a] == c && c != '\0' && c != ' ') return a;
    }
    return -1;
}

// Chain entry 12: the configured incremental letters; 1 when c is one (and its word was read).
int ReadIncrementalLetter(int* position, const char* line, char c)
{
    if (c == '\0' || c == ' ') return 0;
    const char* axisChars = g_IncrementalAxisChars;    // X, Y, Z, rotary 1
    const char* otherChars = g_IncrementalOtherChars;  // rotary 2, I, J, K
    for (int a = 0; a < 3; ++a) {
        if (axisChars[a] == c) {
            ReadIncrementalAxisWord(position, line, a);
            return 1;
        }
    }
    if (otherChars[0] == c) {
        ReadIncrementalRotaryWord(position, line, AXIS_ROTARY2);
        return 1;
    }
    if (axisChars[3] == c) {
        ReadIncrementalRotaryWord(position, line, AXIS_ROTARY1);
        return 1;
    }
    for (int a = 0; a < 3; ++a) {
        if (otherChars[1 + a] == c) {
            ReadIncrementalArcWord(position, line, a);
            return 1;
        }
    }
    return 0;
}

int FromDialect(int result)
{
    return result == DIALECT_WORD_ENDS_SCAN ? WORD_SCAN_ENDS : WORD_SCAN_GOES_ON;
}

// Chain entries 1 to 12: G, T, M, axis letters, spindle letter, cycle K, arc-centre letters and the
// dialect keywords. Returns -1 when none applies, else a WordScanResult.
int ReadLeadingWord(int* position, const char* line)
{
    const char c = line[*position];
    if (c == 'G') return ReadGWord(position, line);
    if (c == 'T') {
        if (g_DialectSiemens || g_DialectHeidenhain) {
            const int r = ReadDialectToolWord(position, line);
            if (r != DIALECT_WORD_NONE) return FromDialect(r);
        }
        return ReadToolWord(position, line);
    }
    if (c == 'M') return ReadMWord(position, line);
    const int axis = FindLetter(g_MachineAxisLetters, c);
    if (axis >= 0) {
        ReadLinearAxisWord(position, line, axis);
        return WORD_SCAN_GOES_ON;
    }
    if (g_SpindleControl && c == g_SpindleControlCode) {
        ReadSpindlePositionWord(position, line);
        return WORD_SCAN_GOES_ON;
    }
    if (c == 'K' && g_CannedCycleCode != 80 && g_ToolCentreMode == 0) return ReadCycleRepeatWord(position, line);
    const int centreAxis = FindLetter(g_ArcCentreLetters, c);
    if (centreAxis >= 0) {
        ReadArcCentreWord(position, line, centreAxis);
        return WORD_SCAN_GOES_ON;
    }
    int r = DIALECT_WORD_NONE;
    if (g_DialectHeidenhain) r = ReadHeidenhainKeyword(position, line);
    if (r == DIALECT_WORD_NONE && g_DialectSiemens) r = ReadSiemensKeyword(position, line);
    if (r == DIALECT_WORD_NONE && g_DialectOsp) r = ReadOspCallWord(position, line);
    if (r != DIALECT_WORD_NONE) return FromDialect(r);
    if (ReadIncrementalLetter(position, line, c)) return WORD_SCAN_GOES_ON;
    return -1;
}

// Chain entries 13 to 31.
int ReadTrailingWord(int* position, const char* line)
{
    const char c = line[*position];
    if (g_DialectHeidenhain && (c == 'R' || c == 'D' || c == 'F' || c == 'P' || c == 'Q')) {
        const int r = ReadHeidenhainLetterWord(position, line);
        if (r != DIALECT_WORD_NONE) return FromDialect(r);
    }
    if (g_DialectSiemens && (c == 'O' || c == 'S')) {
        const int r = ReadSiemensKeyword(position, line);
        if (r != DIALECT_WORD_NONE) return FromDialect(r);
    }
    switch (c) {
    case 'R': return ReadRWord(position, line);
    case 'P': return ReadPWord(position, line);
    case 'Q': return ReadQWord(position, line);
    case 'L': return ReadLWord(position, line);
    case 'D': return ReadDWord(position, line);
    case 'H': return ReadHWord(position, line);
    case 'F': return ReadFWord(position, line);
    case 'O': case 'N': case 'W': return ReadNumberWord(position, line);
    case 'S': return ReadSWord(position, line);
    case '(': return ReadCommentWord(position, line);
    default: break;
    }
    if (c == 'A' && g_MachineWire) return ReadWireTaperWord(position, line);
    if (c == 'B' && g_DialectOsp && g_LastGCode == 127) return ReadOspBWord(position, line);
    if (c == '*' && g_DialectHeidenhain) return WORD_SCAN_ENDS;
    if (g_MachineKind != 0 && ((c == g_Rotary1Letter && c != ' ') || (c == g_Rotary2Letter && c != ' '))) {
        ReadRotaryWord(position, line, c == g_Rotary1Letter ? AXIS_ROTARY1 : AXIS_ROTARY2);
        return WORD_SCAN_GOES_ON;
    }
    ++*position;  // "/", blanks, digits and every other character
    return WORD_SCAN_GOES_ON;
}

}  // namespace

void InterpretNcBlock(const char* line)
{
    g_NcPreviousPosition = g_NcTargetPosition;
    if (g_ActiveReaderPlugin >= 0) {
        InterpretPluginBlock();
        return;
    }
    if (line == nullptr) return;
    BeginTextBlock();
    const int end = FindScanEnd(line);
    int position = 0;
    while (position < end) {
        const int before = position;
        if (ReadControllerWord(&position, line)) continue;
        int result = ReadLeadingWord(&position, line);
        if (result < 0) result = ReadTrailingWord(&position, line);
        if (result == WORD_SCAN_ENDS) break;
        if (position <= before) position = before + 1;  // every word handler moves on
    }
    CompleteNcBlock();
}
