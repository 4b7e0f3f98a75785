// The G word: reading and folding the code (decimal codes, OSP codes), and the motion, plane,
// compensation, length offset and canned cycle codes. The coordinate-system codes are in
// gm_coordinate_codes.cpp, the M codes and the jump in m_codes.cpp.
#include "nc/gm_codes.h"

#include <cstdlib>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "nc/block_interpreter.h"
#include "nc/interpreter_state.h"
#include "machine_setup/machine/inverse_kinematics.h"
#include "nc/block_state.h"
#include "nc/block_words.h"
#include "nc/gm_codes_internal.h"
#include "nc/motion_delivery.h"
#include "nc/nc_words.h"
#include "nc/nurbs.h"
#include "nc/tilted_planes.h"
#include "machine_setup/tools/tool_length_reference.h"

namespace {

// The digit after the point of the G word that ends at next (the start of the next word), blanks and
// tabs before it stepped back over; -1 when the word has no decimal.
int DecimalOfWord(const char* line, int letter, int next)
{
    int q = next;
    while (q > letter + 1 && (line[q - 1] == ' ' || line[q - 1] == '\t')) --q;
    if (q - 2 <= letter || line[q - 2] != '.') return -1;
    const char d = line[q - 1];
    return d >= '0' && d <= '9' ? d - '0' : -1;
}

// G00 to G03 (and the OSP forms): the motion kind of the block; the canned cycle ends.
void SetMotionKind(int kind, int planeSwap)
{
    if (planeSwap && g_PlaneCode < 0 && kind >= MOTION_ARC_CW) kind = 5 - kind;
    g_MotionKind = kind;
    g_BlockMotionKind = kind;
    if (kind >= MOTION_ARC_CW) g_ArcMirrorPending = 1;
    g_CannedCycleCode = 80;
    g_CycleRPoint = 0.0;
}

// G04: the dwell is the first P (X for code 0, F for OSP) in the rest of the line.
int ReadDwellCode(int* position, const char* line)
{
    g_DwellBlock = 1;
    if (g_DialectCode != DIALECT_DEFAULT && !g_DialectOsp) return WORD_SCAN_GOES_ON;
    for (int p = *position; line[p] != '\0'; ++p) {
        const char c = line[p];
        if (c == 'P' || (c == 'X' && g_DialectCode == DIALECT_DEFAULT) || (c == 'F' && g_DialectOsp)) {
            int at = p + 1;
            ReadDwellValue(&at, line, &g_CycleDwell);
            *position = p + 1;
            return WORD_SCAN_GOES_ON;
        }
    }
    return WORD_SCAN_ENDS;
}

int StartNurbs(int* position, char knotLetter)
{
    g_NurbsKnotLetter = knotLetter;
    ReadNurbsBlock(*position);
    g_MotionKind = MOTION_NURBS_SPAN;
    return WORD_SCAN_ENDS;
}

void SetPlane(int code)
{
    g_BlockPlaneCode = code;
    g_PlaneCode = code;
    SelectPlane();
    SetToolAxisByLengthOffsetType(-1);
}

void StartCylindrical(int plane)
{
    g_PlaneCode = plane;
    SelectPlane();
    UpdateStatusWhileRunning();
}

// OSP G136 / G138: polar interpolation off (G136 only) and the cylindrical cancel.
void EndOspInterpolation(int code)
{
    if (code == 136) {
        if (g_OspG138Active) {
            g_OspG138Active = 0;
            if (g_NcTargetPosition.axis[AXIS_Y] != 0.0) {
                g_AxisWordGiven[AXIS_Y] = 1;
                g_MoveChanged = 1;
            }
            g_NcTargetPosition.axis[AXIS_Y] = 0.0;
            g_NcCommandedPosition.axis[AXIS_Y] = 0.0;
        }
        g_PolarInterpolationState = 2;
        g_PolarInterpolationOn = 0;
        UpdateStatusWhileRunning();
    } else {
        g_OspG138Active = 1;
    }
    if (g_CylindricalInterpolationOn) {
        g_CylindricalInterpolationState = 2;
        StartCylindrical(18);
    }
}

// G40: compensation cancel (and the wire taper end).
void CancelCompensation()
{
    if (g_MachineWire) {
        const int mode = g_CompensationSide == 1 ? 2 : 0;
        g_PlaneRotationMode = mode;
        g_SecondRotationMode = mode;
        g_SecondRotationAngle = g_BlockSnapshot.secondRotationAngle;
        g_PlaneRotationAngle = 0.0;
        g_IjkAccumulators[0] = 0.0;
        g_IjkAccumulators[1] = 0.0;
    }
    g_CompensationSide = 0;
    if (g_CutterCompensationState == 1) g_CutterCompensationState = 2;
}

// G41 / G42: compensation side and radius.
void StartCompensation(int side)
{
    if (g_PlaneCode < 0) side = -side;
    double radius = 0.0;
    if (g_DialectHeidenhain || g_CylindricalInterpolationOn) {
        const int t = g_SpindleToolNumber;
        const double d = t >= 0 && t < TOOL_OFFSET_COUNT ? (double)g_ToolOffsetD[t] : 0.0;
        if (d == 0.0) radius = g_CurrentTool.diameter * 0.5;
        else radius = d + (double)g_ToolOffsetD2[t];
    } else {
        const int n = g_DWordNumber;
        if (n >= 0 && n < TOOL_OFFSET_COUNT) radius = (double)g_ToolOffsetD[n] + (double)g_ToolOffsetD2[n];
    }
    g_CompensationSide = side;
    g_CompensationValue = side * radius;
    if (g_CutterCompensationState == 0) g_CutterCompensationState = 1;
}

// The length offset of the block's H number for G43 (sign +1) or G44 (-1).
void SetLengthOffset(int sign)
{
    const double h = ToolLengthOffsetOf(g_HWordNumber);
    g_ToolLengthOffset = sign > 0 ? WithHolderOffset(h) : WithHolderOffset(0.0) - h;
    g_PendingToolLengthShift = g_ToolLengthOffset;
}

void ApplyMazakLengthCode()
{
    if (!g_DialectMazak) return;
    g_MazakHeadOffsetMode = 0;
    if (g_AutomaticToolOffset && g_Rotary1Letter == 'B') ComputeHeadTipOffset(g_MachineAxisWords.axis[AXIS_ROTARY1]);
}

// OSP G169 and G43.4: tool centre point on.
void StartToolCentrePoint()
{
    g_ToolLengthCompOn = 1;
    g_ToolCentreOn = 1;
    if (g_ToolCentreModeAtStart == 0) g_ToolCentreMode = 1;
    SetLengthOffset(1);
    UpdateStatusWhileRunning();
}

// G43 family (code 0).
void ApplyLengthOffsetCode(int decimal, int sign)
{
    const int rotary = g_MachineKind != MACHINE_NONE;
    if (sign > 0 && rotary && decimal == 4) {
        StartToolCentrePoint();
        return;
    }
    if (sign > 0 && rotary && decimal == 5) {
        g_ToolLengthCompOn = 1;
        g_RotarySolutionMemory = 0;
        if (g_ToolCentreModeAtStart == 0) g_ToolCentreMode = 2;
        g_ToolCentreOn = 1;
        SetLengthOffset(1);
        for (int k = 0; k < 3; ++k) g_ToolAxisAtSwitchOn[k] = g_ToolAxisVector[k];
        UpdateStatusWhileRunning();
        return;
    }
    g_ToolLengthCompOn = sign;
    SetLengthOffset(sign);
    SetToolAxisByLengthOffsetType(AXIS_Z);
    g_LengthOffsetBlock = 1;
    ApplyMazakLengthCode();
}

// G49 (code 0), OSP G170 and HEIDENHAIN M129: length offset and tool centre point off.
void CancelLengthOffset(int clearComp, int mazak)
{
    if (g_ToolLengthCompOn && g_G49Mode == 1) g_CoordinateShiftState = 1;
    if (clearComp) g_ToolLengthCompOn = 0;
    if (g_ToolCentreMode != 0) {
        g_ToolCentreOn = 2;
        SetAllPositionsFromStartPoint();
    }
    g_ToolCentreMode = g_ToolCentreModeAtStart;
    if (mazak) ApplyMazakLengthCode();
    UpdateStatusWhileRunning();
    UpdateMenuChecks();
    g_ToolLengthOffset = 0.0;
}

// G70 to G89.
void ApplyCycleCode(int code)
{
    if (g_DialectOsp) {
        g_OspCycleParameters = OspCycleParameters{};
        if (code == 71) {
            g_OspReturnLevelNext = 1;
            return;
        }
    }
    if (g_DialectHeidenhain) {
        g_DefinedCycleCode = code;
        return;
    }
    g_CycleIncrementalMode = g_IncrementalMode;
    g_CannedCycleCode = code;
    const int n = g_PlaneNormalAxis;
    if (code == 73 || code == 74 || code == 76 || (code >= 81 && code <= 89)) {
        g_CycleRepeatCount = 1;
        g_CycleInitialLevel = g_NcPreviousPosition.axis[n];
    } else if (code == 80) {
        g_CycleRPoint = 0.0;
        if (g_CycleReturnToInitial == 0) g_NcCommandedPosition.axis[n] = g_NcPreviousPosition.axis[n];
    } else {
        g_CannedCycleCode = 80;
        g_CycleRPoint = 0.0;
    }
}

// G20 (inch input): the block stops with NC alarm 13 (unless an alarm is already set). G21 (metric
// input) is what the simulation assumes and has no effect.
int RaiseInchInputAlarm()
{
    if (g_NcAlarmCode == NC_ALARM_NONE) g_NcAlarmCode = NC_ALARM_INCH_INPUT;
    return WORD_SCAN_ENDS;
}

// Motion, plane, interpolation and compensation codes; -1 when the code is none of them.
int ApplyMotionGCode(int code, int decimal, int* position, const char* line)
{
    const int osp = g_DialectOsp;
    const int code0 = g_DialectCode == DIALECT_DEFAULT;
    if (code >= 0 && code <= 3) SetMotionKind(code, 1);
    else if (osp && code >= 100 && code <= 103) SetMotionKind(code - 100, 1);
    else if (osp && (code == 132 || code == 133)) SetMotionKind(code - 130, 0);
    else if (code == 132) return StartNurbs(position, 'Q');
    else if (code == 4) return ReadDwellCode(position, line);
    else if (code == 6) return decimal == 2 ? StartNurbs(position, 'K') : WORD_SCAN_GOES_ON;
    else if (code == 107) {
        g_CylindricalInterpolationOn = 1;
        const int plane = std::abs(g_PlaneCode);
        if (plane == 18 || plane == 19) {
            g_CylindricalAxisPlane = plane == 18 ? 0 : 1;
            SelectPlane();
        }
        UpdateStatusWhileRunning();
    } else if (osp && code == 119) {
        g_CylindricalInterpolationState = 1;
        g_CylindricalInterpolationOn = 1;
        if (g_ZCeCoordinate) g_CylindricalAxisPlane = 0, g_PlaneCode = 18;
        else g_CylindricalAxisPlane = 1, g_PlaneCode = 19;
        StartCylindrical(g_PlaneCode);
    } else if ((code0 && code == 12 && decimal == 1) || (osp && code == 137)) {
        g_PolarInterpolationState = 1;
        g_PolarInterpolationOn = 1;
        UpdateStatusWhileRunning();
    } else if (code0 && code == 13 && decimal == 1) {
        if (g_PolarInterpolationOn) g_PolarInterpolationState = 2;
        g_PolarInterpolationOn = 0;
        UpdateStatusWhileRunning();
    } else if (osp && (code == 136 || code == 138)) EndOspInterpolation(code);
    else if (code >= 17 && code <= 19) SetPlane(code);
    else if (code0 && !g_DialectSiemens && code == 20 && decimal < 0) return RaiseInchInputAlarm();
    else if (code == 90 || code == 91) g_IncrementalMode = code - 90;
    else if (code == 98 || code == 99) g_CycleReturnToInitial = code == 98 ? 1 : 0;
    else if (g_DialectMazak && (code == 122 || code == 123) && decimal == 1) g_LatheModeOn = code - 122;
    else if (code >= 65 && code <= 67) return WORD_SCAN_ENDS;
    else if (code >= 27 && code <= 30) {
        static const int kinds[4] = {3, 1, 2, 1};
        g_ReferenceReturnKind = kinds[code - 27];
        if (code == 28) g_ReferencePointIndex = 0;
        if (code == 30) g_ReferencePointIndex = 1;
    } else if (code == 39) g_CornerArcBlock = 1;
    else if (code == 40) CancelCompensation();
    else if (code == 41 || code == 42) StartCompensation(code == 41 ? 1 : -1);
    else if (code0 && (code == 43 || code == 44)) ApplyLengthOffsetCode(decimal, code == 43 ? 1 : -1);
    else if (code0 && code == 49) CancelLengthOffset(1, 1);
    else if (osp && code == 169) StartToolCentrePoint();
    else if (osp && code == 170) CancelLengthOffset(1, 0);
    else if (osp && code == 53) {
        if (!g_AutoLengthOffset) {
            g_ToolLengthOffset = 0.0;
            g_ToolLengthCompOn = 0;
        }
    } else if ((osp || g_DialectHeidenhain) && code == 56) {
        g_ToolLengthCompOn = 1;
        SetLengthOffset(1);
    } else if (code >= 70 && code <= 89) ApplyCycleCode(code);
    else return -1;
    return WORD_SCAN_GOES_ON;
}

}  // namespace

int ReadGWord(int* position, const char* line)
{
    const int letter = *position;
    ++*position;
    if (g_RunFromMemory && std::strncmp(line + *position, "OTO", 3) == 0) return ReadGotoWord(position, line);
    int code = 0;
    ReadIntegerWord(position, line, &code);
    if (g_DialectOsp && (code == 274 || code == 283 || code == 284)) code -= 200;
    if (g_ReportCheckRunning && code >= 0 && code < USED_CODE_TABLE_SIZE) g_UsedGCodes[code] = 1;
    const int decimal = DecimalOfWord(line, letter, *position);
    if (code == 7 && decimal == 1) code = 107;
    else if (code == 53 && decimal == 1) code = 531;
    else if (code == 53 && decimal == 6) code = 536;
    else if (code == 68 && decimal == 2) code = 682;
    else if (g_DialectCode == DIALECT_DEFAULT && (code == 50 || code == 51) && decimal == 1) code = code * 10 + 1;
    if (g_DialectOsp && (code == 68 || code == 69)) code = 137 - code;  // OSP G68 cancels, G69 sets
    g_LastGCode = code;
    const int result = ApplyMotionGCode(code, decimal, position, line);
    if (result >= 0) return result;
    const int coordinate = ApplyCoordinateGCode(code, decimal, position, line);
    return coordinate >= 0 ? coordinate : WORD_SCAN_GOES_ON;
}
