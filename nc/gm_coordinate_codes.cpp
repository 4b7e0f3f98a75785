// Coordinate-system G codes: work offset selection (G54 to G59, G54.1 P), local and machine
// coordinates, scaling, mirror image, coordinate rotation (G68 / G69 and the OSP forms), the tilted
// plane and rotary-follow codes, offset setting (G10) and the OSP coordinate codes.
#include "nc/gm_codes.h"

#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "platform/ui/repaint_requests.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/controller/work_coordinates.h"
#include "nc/block_interpreter.h"
#include "nc/interpreter_state.h"
#include "nc/block_state.h"
#include "nc/gm_codes_internal.h"
#include "nc/nc_words.h"

AxisPosition ComposeWorkOffset(int entry)
{
    if (entry < 0 || entry >= WORK_OFFSET_COUNT) return g_ActiveWorkOffset;
    AxisPosition offset;
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
        const double selected = entry != 0 ? g_WorkOffsets[entry].axis[a] : 0.0;  // 0: the external one alone
        offset.axis[a] = g_CoordinateSetShift.axis[a] + g_WorkOffsets[0].axis[a] + selected +
                         g_LocalCoordinateShifts[entry].axis[a];
    }
    return offset;
}

void ChangeActiveWorkOffset(const AxisPosition& next)
{
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
        const double change = g_ActiveWorkOffset.axis[a] - next.axis[a];
        g_NcTargetPosition.axis[a] += change;
        g_NcCommandedPosition.axis[a] += change;
        g_NcPreviousPosition.axis[a] += change;
        g_NcMoveEnd.axis[a] += change;
        g_ControlPoint.axis[a] += change;
    }
    g_ActiveWorkOffset = next;
}

int SelectWorkOffsetEntry(int entry)
{
    if (entry < 0 || entry >= WORK_OFFSET_COUNT) return 0;
    ChangeActiveWorkOffset(ComposeWorkOffset(entry));
    g_WorkOffsetIndex = entry;
    g_ControlPoint = g_NcTargetPosition;
    UpdateActiveWorkCoordinate();
    return 1;
}

namespace {

// G54 to G59 and G54.1 (code 0): the entry by the code, a P word right behind it, or ".1" alone.
void ApplyWorkOffsetCode(int code, int* position, const char* line)
{
    int entry = code == 54 ? 1 : code - 53;
    if (code == 54 && line[*position] == 'P') {
        const int column = *position + 1;
        ++*position;
        int p = 0;
        ReadIntegerWord(position, line, &p);
        if (p < 0 || p >= WORK_OFFSET_COUNT - 6) {
            RaiseWordRangeAlarm(column);
            return;  // the word is refused: the selection stays
        }
        entry = p + 6;
    } else if (code == 54 && *position >= 2 && line[*position - 2] == '.' && line[*position - 1] == '1') {
        entry = 7;
    }
    RedrawCoordinatePanels();
    SelectWorkOffsetEntry(entry);
}

// 1 when one of the arc-centre letters stands anywhere in the rest of the line.
int ArcCentreLetterFollows(const char* line, int position)
{
    for (const char* p = line + position; *p != '\0'; ++p) {
        for (int a = 0; a < 3; ++a) {
            if (*p == g_ArcCentreLetters[a]) return 1;
        }
    }
    return 0;
}

// Setting a rotation (code 0 G68, OSP G69): axis words now give the centre, I, J, K the axis, R the
// angle; the block completion turns the setting into the rotation.
void BeginRotationSetting(int* position, const char* line)
{
    g_CoordinateRotationState = 1;
    if (g_RotationCount > 0 && g_RotationAxisCodes[0] == 0) g_RotationCount = 0;
    const int k = g_RotationCount;
    if (k >= 0 && k < 2) {
        g_RotationAngles[k] = 0.0;     // a G68 without an angle word uses "ROTATION ANGLE"
        g_RotationAxisCodes[k] = 0;
        const int aboutOrigin = g_DialectOsp || ArcCentreLetterFollows(line, *position);
        for (int a = 0; a < 3; ++a) {
            if (aboutOrigin) g_NcTargetPosition.axis[a] = 0.0;
            g_RotationCentres[k][a] = g_NcTargetPosition.axis[a];
        }
    }
    RedrawAxisLabels();
}

void CancelRotation()
{
    if (g_CoordinateRotationState > 0) g_CoordinateRotationState = 3;
    g_RotaryFollowState = -1;
    g_RotaryFollowKind = 0;
    UpdateStatusWhileRunning();
}

// OSP G68 text (recorded 69): drops the second rotation, or cancels the only one.
void DropOspRotation()
{
    if (g_RotationCount >= 2) {
        g_RotationCount = 1;
        g_RotationAxisCodes[1] = 0;
        return;
    }
    CancelRotation();
}

void StartScaling()
{
    g_ScalingOn = 1;
    if (g_DialectCode == DIALECT_DEFAULT) {
        g_ScalingUniform = 0;
    } else {
        g_ScaleFactorP = 1.0;
        g_ScalingUniform = 1;
    }
    for (int a = 0; a < 3; ++a) g_ScalingCentre[a] = g_NcTargetPosition.axis[a];
}

void SetRotaryFollow(int state, int mode, int kind)
{
    g_RotaryFollowState = state;
    g_RotaryFollowMode = mode;
    g_RotaryFollowKind = kind;
    g_RebuildAxisTriad = 1;
    RedrawAxisLabels();
}

// G10: MAZAK G10.9 (lathe mode by the X after it) or offset setting.
void ApplyOffsetSettingCode(int decimal, int* position, const char* line)
{
    if (g_DialectMazak && decimal == 9) {
        if (line[*position] == 'X') {
            ++*position;
            ReadIntegerWord(position, line, &g_LatheModeOn);
        } else {
            for (int k = 0; k < 2 && line[*position] != '\0'; ++k) ++*position;
        }
        return;
    }
    if (g_ToolOffsetMemoryType > 0) g_OffsetSettingBlock = 1;
}

// OSP G127: rotation about Y given by the B word (only from a plain state).
void StartOspG127()
{
    if (g_CoordinateRotationState != 0 || g_PolarInterpolationOn || !g_OspG138Active) return;
    for (int a = 0; a < 3; ++a) {
        g_ArcCentreWords[a] = 0.0;
        g_NcTargetPosition.axis[a] = 0.0;
        g_RotationCentres[0][a] = 0.0;
    }
    g_CoordinateRotationState = 1;
    g_RotationCount = 0;
    g_RotationAxisCodes[0] = 2;
    RedrawAxisLabels();
}

// The OSP-only coordinate codes; -1 when the code is none of them.
int ApplyOspCoordinateCode(int code)
{
    switch (code) {
    case 11:
        g_OspRotationAxes[0] = g_PlaneAxis1;
        g_OspRotationAxes[1] = g_PlaneAxis2;
        g_OspRotationAxes[2] = g_PlaneNormalAxis;
        g_OspRotationState = 1;
        break;
    case 10:
        if (g_OspRotationState > 0) g_OspRotationState = 3;
        break;
    case 15: g_OspCoordinateSelectMode = 2; break;
    case 16: g_OspCoordinateSelectMode = 1; break;
    case 126:
        if (g_CoordinateRotationState > 0) g_CoordinateRotationState = 3;
        break;
    case 127: StartOspG127(); break;
    case 353: break;
    case 354:
        if (g_OffsetApplyMode > 0) {
            g_OffsetApplyMode = 3;
            RedrawAxisLabels();
            UpdateMenuChecks();
        }
        break;
    case 469: SetRotaryFollow(1, 1, g_RotaryFollowKind); break;
    case 468:
        g_OspPlaneOrderCode = 313;
        g_LastGCode = 69;
        SetRotaryFollow(-1, 0, 0);
        break;
    default: return -1;
    }
    return WORD_SCAN_GOES_ON;
}

}  // namespace

int ApplyCoordinateGCode(int code, int decimal, int* position, const char* line)
{
    const int code0 = g_DialectCode == DIALECT_DEFAULT;
    if (g_DialectOsp && ApplyOspCoordinateCode(code) >= 0) return WORD_SCAN_GOES_ON;
    if (code == 50) {
        g_ScalingOn = 0;
    } else if (code == 51) {
        StartScaling();
    } else if (code0 && code == 52) {
        g_LocalCoordinateBlock = 1;
    } else if (code0 && (code == 531 || code == 536)) {
        if (g_RotaryFollowState == 1) g_RotaryFollowMode = 1;
        RedrawAxisLabels();
    } else if (code0 && code == 53) {
        g_MachineCoordinateBlock = 1;
    } else if (code0 && code >= 54 && code <= 59) {
        ApplyWorkOffsetCode(code, position, line);
    } else if (code0 && code == 682) {
        g_RotaryFollowState = 1;
        g_RotaryFollowKind = 0;
    } else if ((code0 && code == 68) || (g_DialectOsp && code == 68)) {
        BeginRotationSetting(position, line);
    } else if (code0 && code == 69) {
        CancelRotation();
    } else if (g_DialectOsp && code == 69) {
        DropOspRotation();
    } else if (code0 && code == 10) {
        ApplyOffsetSettingCode(decimal, position, line);
    } else if (code == 254) {
        g_RotaryFollowAngles[0] = g_MachinePosition.axis[AXIS_ROTARY1];
        g_RotaryFollowAngles[1] = g_MachinePosition.axis[AXIS_ROTARY2];
        for (int a = 0; a < 3; ++a) g_TiltedPlaneOrigin[a] = 0.0;
        SetRotaryFollow(1, 1, 3);
    } else if (code == 255) {
        SetRotaryFollow(0, 0, 0);
    } else {
        return -1;  // G92, G8110 and the rest: nothing at the word
    }
    return WORD_SCAN_GOES_ON;
}
