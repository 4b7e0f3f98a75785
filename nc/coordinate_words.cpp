// Coordinate words: where the value of each axis, rotary, spindle-position, arc-centre and radius word
// goes, by the block's G code and the modal state. The first context that applies takes the value.
#include "nc/coordinate_words.h"

#include <cmath>
#include <cstring>

#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "platform/ui/repaint_requests.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/tools/tool_profile.h"
#include "nc/block_end_position.h"
#include "nc/gm_codes.h"
#include "machine_setup/machine/stroke_limits.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_words.h"
#include "machine_setup/tools/tool_length_reference.h"

namespace {

double ReadValue(int* position, const char* line)
{
    double value = 0.0;
    ReadWordValue(position, line, &value);
    return value;
}

// Steps over the word's letter (never past the line's end).
void StepOverLetter(int* position, const char* line)
{
    if (line[*position] != '\0') ++*position;
}

// The start every linear, incremental and rotary word shares: a pending coordinate shift state 1 becomes
// 1 again with G354 and 2 otherwise (not with G49); the letter is stepped over.
void BeginCoordinateWord(int* position, const char* line, int axisWord)
{
    if (g_CoordinateShiftState == 1 && g_LastGCode != 49) {
        g_CoordinateShiftState = g_LastGCode == 354 ? 1 : 2;
    }
    StepOverLetter(position, line);
    if (axisWord) g_CycleAxisWordSeen = 1;
}

int IsAxisReversed(int axis)
{
    if (axis == AXIS_ROTARY1) return g_Rotary1Reversed;
    if (axis == AXIS_ROTARY2) return g_Rotary2Reversed;
    return g_AxisCodeReversed[axis];
}

double Signed(int axis, double value) { return IsAxisReversed(axis) ? -value : value; }

// The "scaled" step: only while scaling is on and the block is not a G92 block.
void ScaleIfActive(int axis, double* value)
{
    if (g_ScalingOn && g_LastGCode != 92) ScaleAxisValue(axis, value);
}

double ScaleFactorOf(int axis) { return g_ScalingUniform ? g_ScaleFactorP : g_ScaleFactor[axis]; }

void MarkAxisGiven(int axis)
{
    g_AxisWordGiven[axis] = 1;
    g_MoveChanged = 1;
}

void UpdateStatusWhileRunning()
{
    if (g_RunMode > 0) UpdateStatusBar();
}

int CurrentEntry()
{
    if (g_WorkOffsetIndex < 0 || g_WorkOffsetIndex >= WORK_OFFSET_COUNT) return -1;
    return g_WorkOffsetIndex;
}

// G10 L2 entry of the block (P number); -1 when it lies outside the work offset table.
int OffsetSettingEntry()
{
    if (g_BlockPNumber < 0 || g_BlockPNumber >= WORK_OFFSET_COUNT) return -1;
    return g_BlockPNumber;
}

// G10 L2: sets (or with add, increases) work offset entry P of axis. Only when P is the entry in use
// (or the external entry 0) does the active offset change, the G92 and local shifts kept; the tool
// stays where it is in the machine.
void SetWorkOffsetWord(int axis, double value, int add, int rebuildTriad)
{
    const int entry = OffsetSettingEntry();
    if (entry < 0) return;
    double& slot = g_WorkOffsets[entry].axis[axis];
    slot = add ? slot + value : value;
    const int inUse = CurrentEntry();
    if (inUse < 0 || (entry != 0 && entry != inUse)) return;
    AxisPosition next = g_ActiveWorkOffset;
    next.axis[axis] = ComposeWorkOffset(inUse).axis[axis];
    ChangeActiveWorkOffset(next);
    UpdateActiveWorkCoordinate();
    if (rebuildTriad) g_RebuildAxisTriad = 1;
}

// Reference return words (kind 1 G28/G30, kind 2 G29), held in single precision.
void SetReturnPointWord(int axis, double value, int incremental)
{
    const double single = (double)(float)value;
    if (g_ReferenceReturnKind == 1) {
        g_ReturnIntermediatePoint[axis] = single + (incremental ? g_NcMoveEnd.axis[axis] : 0.0);
        g_ReturnIntermediateGiven[axis] = 1;
    } else {
        g_ReturnFromReferencePoint[axis] = single + (incremental ? g_ReturnIntermediatePoint[axis] : 0.0);
        g_ReturnFromReferenceGiven[axis] = 1;
    }
}

// A machine-coordinate word (G53, HEIDENHAIN M91/M92, SIEMENS SUPA); returns the machine word.
double SetMachineWord(int axis, double value)
{
    double word = value;
    if (g_HeidenhainMachineM == 92 && g_ReferencePointGiven[0]) word += g_ReferencePoints[0][axis];
    g_MachineAxisWords.axis[axis] = word;
    const double program = word - g_ActiveWorkOffset.axis[axis];
    g_NcTargetPosition.axis[axis] = program;
    g_NcCommandedPosition.axis[axis] = program;
    g_ControlPoint.axis[axis] = program;
    MarkAxisGiven(axis);
    return word;
}

// Rule 4 of the linear words: machine coordinates, with the tool length difference on Z.
void SetMachineLinearWord(int axis, double value)
{
    const double word = SetMachineWord(axis, value);
    if (axis == AXIS_Z) {
        const double d = g_ToolLength - g_CurrentToolLength;
        if (g_ToolDirectionTilted) {
            for (int k = 0; k < 3; ++k) g_MachineAxisWords.axis[k] += d * g_ToolDirection[k];
        } else {
            g_MachineAxisWords.axis[AXIS_Z] += d;
        }
    }
    if (g_AutomaticToolOffset) {
        g_NcMoveEnd.axis[axis] = word - g_ActiveWorkOffset.axis[axis];
        g_NcTargetPosition.axis[axis] -= g_HeadTipOffset[axis];
        g_NcCommandedPosition.axis[axis] -= g_HeadTipOffset[axis];
    }
}

// Rule 6 of the linear words: G50.1, G51.1 and G68.2 words; 0 when the code reads no word.
int ApplyHighCodeWord(int* position, const char* line, int axis)
{
    const int g = g_LastGCode;
    if (g != 501 && g != 511 && g != 682) return 0;
    const double value = ReadValue(position, line);
    if (g == 682) {
        g_TiltedPlaneOrigin[axis] = value;
    } else if (g == 511) {
        g_MirrorCentre[axis] = value;
        g_MirrorAxes[axis] = 1;
        g_MirrorOn = 1;
    } else {
        g_MirrorCentre[axis] = value;
        g_MirrorAxes[axis] = 0;
        if (!(g_MirrorAxes[(axis + 1) % 3] && g_MirrorAxes[(axis + 2) % 3])) g_MirrorOn = 0;
    }
    return 1;
}

// Rule 11 of the linear words: X and Z under cylindrical interpolation; 0 for Y.
int ApplyCylindricalLinearWord(int axis, double value)
{
    if (axis == AXIS_X) {
        const int n = g_PlaneNormalAxis;
        double t = g_AxisCodeReversed[AXIS_Z] ? -value : value;
        if (g_LatheModeOn) t /= 2.0;
        if (g_IncrementalMode) t += g_NcCommandedPosition.axis[n];
        g_NcTargetPosition.axis[n] = t;
        g_NcCommandedPosition.axis[n] = t;
        MarkAxisGiven(AXIS_X);
        return 1;
    }
    if (axis == AXIS_Z) {
        double t = g_AxisCodeReversed[AXIS_Z] ? -value : value;
        if (g_IncrementalMode) t += g_NcCommandedPosition.axis[AXIS_Z];
        g_NcCommandedPosition.axis[AXIS_Z] = t;
        if (g_ScalingOn) ScaleAxisValue(AXIS_Z, &t);  // here also in a G92 block
        g_NcTargetPosition.axis[AXIS_Z] = t;
        MarkAxisGiven(AXIS_Z);
        return 1;
    }
    return 0;
}

// 1 when an X word is a diameter on this machine and dialect.
int IsDiameterX()
{
    if (!g_LatheModeOn) return 0;
    if (g_DialectMazak) return 1;
    if (!g_MachineLathe) return 0;
    if (g_DialectOsp) return !g_PolarInterpolationOn && !g_OspG138Active;
    return 1;
}

// Rule 12 of the linear words: the word moves the tool.
void ApplyOrdinaryLinearWord(int axis, double value)
{
    if (axis == AXIS_Z && g_DialectOsp && g_OspReturnLevelNext) {
        double level = value;
        ScaleIfActive(AXIS_Z, &level);
        g_CycleReturnLevel = level;
        g_OspReturnLevelNext = 0;
        MarkAxisGiven(AXIS_Z);
        return;
    }
    double t = Signed(axis, value);
    if (g_IncrementalMode && g_LastGCode != 92) t += g_NcCommandedPosition.axis[axis];
    g_NcCommandedPosition.axis[axis] = t;
    if (axis == AXIS_X && IsDiameterX()) t /= 2.0;
    ScaleIfActive(axis, &t);
    g_NcTargetPosition.axis[axis] = t;
    if (g_LengthOffsetBlock && g_LengthOffsetType == 2) g_ToolAxisIndex = axis;
    MarkAxisGiven(axis);
}

// HEIDENHAIN I word: IPA / IPR in a polar block, IX / IY / IZ incremental axis words. 1 when handled.
int ApplyHeidenhainIWord(int* position, const char* line)
{
    const char* rest = line + *position;
    if (g_PolarBlock && rest[0] == 'P' && (rest[1] == 'A' || rest[1] == 'R')) {
        *position += 2;
        double value = 0.0;
        ReadPlainValue(position, line, &value);
        if (rest[1] == 'A') {
            g_PolarEndAngle = g_PolarAngle + value;
        } else {
            g_PolarRadius += value;
            g_ArcEndRadius = g_PolarRadius;
        }
        return 1;
    }
    if (rest[0] == 'X' || rest[0] == 'Y' || rest[0] == 'Z') {
        const int axis = rest[0] - 'X';
        ++*position;
        const double value = ReadValue(position, line);
        g_NcTargetPosition.axis[axis] = value + g_NcCommandedPosition.axis[axis];
        return 1;
    }
    return 0;
}

}  // namespace

void ReadLinearAxisWord(int* position, const char* line, int axis)
{
    if (axis < 0 || axis > 2) return;
    BeginCoordinateWord(position, line, 1);
    const int g = g_LastGCode;
    if (g_CannedCycleCode != 80 && axis == g_PlaneNormalAxis) {
        g_CycleBottom = ReadValue(position, line);
        return;
    }
    if (g == 52 && g_DialectCode == DIALECT_DEFAULT) {
        const double value = ReadValue(position, line);
        const int entry = CurrentEntry();
        if (entry < 0) return;
        double& shift = g_LocalCoordinateShifts[entry].axis[axis];
        shift = g_IncrementalMode ? shift + value : value;
        return;
    }
    if (g_OspRotationState == 1) {
        const double value = ReadValue(position, line);
        const int entry = CurrentEntry();
        if (entry >= 0) g_LocalCoordinateShifts[entry].axis[axis] = value;
        return;
    }
    if (g_MachineCoordinateBlock) {
        SetMachineLinearWord(axis, ReadValue(position, line));
        return;
    }
    if (g == 51) {
        g_ScalingCentre[axis] = ReadValue(position, line);
        return;
    }
    if (g > 500 && (axis != AXIS_Z || g <= 999)) {
        ApplyHighCodeWord(position, line, axis);  // other such codes leave the word unread
        return;
    }
    if (g_CoordinateRotationState == 1) {
        if (g_RotationCount < 0 || g_RotationCount >= 2) return;  // a third centre is not read
        double value = ReadValue(position, line);
        if (axis == AXIS_X && g_LatheModeOn) value /= 2.0;
        g_RotationCentres[g_RotationCount][axis] = value;
        return;
    }
    if (g_ReferenceReturnKind == 1 || g_ReferenceReturnKind == 2) {
        SetReturnPointWord(axis, ReadValue(position, line), g_IncrementalMode);
        return;
    }
    if (g_OffsetSettingL == 2) {
        SetWorkOffsetWord(axis, ReadValue(position, line), g_IncrementalMode, 1);
        return;
    }
    const double value = ReadValue(position, line);
    if (g_DialectHeidenhain && g_CircleCentreBlock) {
        double centre = Signed(axis, value);
        ScaleIfActive(axis, &centre);
        g_ArcCentre[axis] = centre;
        return;
    }
    if (g_CylindricalInterpolationOn && ApplyCylindricalLinearWord(axis, value)) return;
    ApplyOrdinaryLinearWord(axis, value);
}

void ReadIncrementalAxisWord(int* position, const char* line, int axis)
{
    if (axis < 0 || axis > 2) return;
    BeginCoordinateWord(position, line, 1);
    const double value = ReadValue(position, line);
    if (g_CannedCycleCode != 80 && axis == g_PlaneNormalAxis) {
        g_CycleBottom = value;
        return;
    }
    if (g_DialectCode == DIALECT_DEFAULT && g_LastGCode == 52) {
        const int entry = CurrentEntry();
        if (entry >= 0) g_LocalCoordinateShifts[entry].axis[axis] += value;
        return;
    }
    if (g_ReferenceReturnKind == 1 || g_ReferenceReturnKind == 2) {
        SetReturnPointWord(axis, value, 1);
        return;
    }
    if (g_OffsetSettingL == 2) {
        SetWorkOffsetWord(axis, value, 1, 1);
        return;
    }
    if (value == 0.0) return;  // U0 is no axis word at all
    MarkAxisGiven(axis);
    double t = g_NcCommandedPosition.axis[axis] + Signed(axis, value);
    g_NcCommandedPosition.axis[axis] = t;
    if (g_ScalingOn) ScaleAxisValue(axis, &t);  // also in a G92 block
    g_NcTargetPosition.axis[axis] = t;
    if (g_LengthOffsetBlock && g_LengthOffsetType == 2) g_ToolAxisIndex = axis;
}

void ReadIncrementalRotaryWord(int* position, const char* line, int axis)
{
    if (axis != AXIS_ROTARY1 && axis != AXIS_ROTARY2) return;
    const int column = *position + 1;
    BeginCoordinateWord(position, line, 0);
    const double value = ReadValue(position, line);
    if (!IsSaneAxisValue(value)) {
        RaiseWordRangeAlarm(column);
        return;
    }
    if (g_OffsetSettingL == 2) {
        SetWorkOffsetWord(axis, value, 1, 0);
        return;
    }
    if (g_ReferenceReturnKind == 1 || g_ReferenceReturnKind == 2) {
        SetReturnPointWord(axis, value, 1);
        return;
    }
    if (axis == AXIS_ROTARY2 && g_CylindricalInterpolationOn) {
        const int c = g_CylindricalAxisPlane == 0 ? AXIS_X : AXIS_Y;
        if (value != 0.0) MarkAxisGiven(AXIS_ROTARY2);
        const double t = Signed(AXIS_ROTARY2, value * g_CylinderLengthPerDegree) + g_NcCommandedPosition.axis[c];
        g_NcTargetPosition.axis[c] = t;
        g_NcCommandedPosition.axis[c] = t;
        return;
    }
    if (value == 0.0) return;
    MarkAxisGiven(axis);
    const double t = g_NcCommandedPosition.axis[axis] + Signed(axis, value);
    g_NcTargetPosition.axis[axis] = t;
    g_NcCommandedPosition.axis[axis] = t;
}

namespace {

// Rotary words on a lathe (or MAZAK) with automatic tool offset and rotary 1 lettered B move the tip.
int HeadTipFollowsRotary1()
{
    return (g_MachineLathe || g_DialectMazak) && g_AutomaticToolOffset && g_Rotary1Letter == 'B';
}

// Rule 5 of the rotary words: rotary 2 lettered C under cylindrical interpolation.
void ApplyCylindricalRotaryWord(double value)
{
    if (g_LastGCode == 107) {
        g_CylinderRadius = value;
        if (value == 0.0) {
            g_CylindricalInterpolationState = 2;
        } else {
            g_CylindricalInterpolationState = 1;
            g_CylinderLengthPerDegree = value * M_PI / 180.0;
            g_CylindricalAxisPlane = std::abs(g_PlaneCode) == 18 ? 0 : 1;
        }
        UpdateStatusWhileRunning();
        return;
    }
    const int c = g_CylindricalAxisPlane == 0 ? AXIS_X : AXIS_Y;
    double t = value * g_CylinderLengthPerDegree;
    if (g_AxisCodeReversed[AXIS_Z]) t = -t;
    if (g_IncrementalMode) t += g_NcCommandedPosition.axis[c];
    g_NcTargetPosition.axis[c] = t;
    g_NcCommandedPosition.axis[c] = t;
    MarkAxisGiven(AXIS_ROTARY2);
}

// Rule 7 of the rotary words: the word turns the rotary axis.
void ApplyOrdinaryRotaryWord(int axis, double value)
{
    double t = Signed(axis, value);
    if (g_DialectHeidenhain) g_HeidenhainRotaryWord = 1;
    if (g_IncrementalMode && g_LastGCode != 92) t += g_NcCommandedPosition.axis[axis];
    g_NcTargetPosition.axis[axis] = t;
    g_NcCommandedPosition.axis[axis] = t;
    MarkAxisGiven(axis);
    if (axis == AXIS_ROTARY1 && HeadTipFollowsRotary1()) {
        ComputeHeadTipOffset(g_ActiveWorkOffset.axis[AXIS_ROTARY1] + g_NcTargetPosition.axis[AXIS_ROTARY1]);
    }
    if (g_DialectSiemens && (g_ToolCentreMode == 2 || g_OrientationByAngles)) {
        g_ToolCentreMode = 1;
        g_OrientationByAngles = 0;
        UpdateStatusWhileRunning();
    }
}

}  // namespace

void ReadRotaryWord(int* position, const char* line, int axis)
{
    if (axis != AXIS_ROTARY1 && axis != AXIS_ROTARY2) return;
    const int column = *position + 1;
    BeginCoordinateWord(position, line, 0);
    const double value = ReadValue(position, line);
    if (!IsSaneAxisValue(value)) {  // an angle of absurd magnitude is refused
        RaiseWordRangeAlarm(column);
        return;
    }
    const char letter = axis == AXIS_ROTARY1 ? g_Rotary1Letter : g_Rotary2Letter;
    if (g_LastGCode == 682) {
        // The angle goes to the follow angles only; the rotary target keeps its value.
        ++g_RotaryFollowKind;
        g_RotaryFollowAngles[axis - AXIS_ROTARY1] = value;
        return;
    }
    if (g_OffsetSettingL == 2) {
        SetWorkOffsetWord(axis, value, g_IncrementalMode, 0);
        return;
    }
    if (g_MachineCoordinateBlock) {
        const double word = SetMachineWord(axis, value);
        if (axis == AXIS_ROTARY1 && HeadTipFollowsRotary1()) ComputeHeadTipOffset(word);
        return;
    }
    if (axis == AXIS_ROTARY2 && letter == 'C' && g_PolarInterpolationOn) {
        if (g_DialectOsp && g_LastGCode == 137) {
            g_OspPolarC = value;
            return;
        }
        double y = value;
        if (g_IncrementalMode) y += g_NcCommandedPosition.axis[AXIS_Y];
        g_NcTargetPosition.axis[AXIS_Y] = y;
        g_NcCommandedPosition.axis[AXIS_Y] = y;
        MarkAxisGiven(AXIS_ROTARY2);
        return;
    }
    if (axis == AXIS_ROTARY2 && letter == 'C' && g_CylindricalInterpolationOn) {
        ApplyCylindricalRotaryWord(value);
        return;
    }
    if (g_ReferenceReturnKind == 1 || g_ReferenceReturnKind == 2) {
        SetReturnPointWord(axis, value, g_IncrementalMode);
        return;
    }
    ApplyOrdinaryRotaryWord(axis, value);
}

void ReadSpindlePositionWord(int* position, const char* line)
{
    StepOverLetter(position, line);
    const double value = ReadValue(position, line);
    g_SpindleAxisPosition = value;
    if (g_IncrementalMode && g_LastGCode != 92) {
        g_SpindleAxisPosition += g_SpindleAxisCommanded;
    }
    g_SpindleAxisCommanded = g_SpindleAxisPosition;
}

void ReadArcCentreWord(int* position, const char* line, int axis)
{
    if (axis < 0 || axis > 2) return;
    StepOverLetter(position, line);
    const int g = g_LastGCode;
    if (g == 682) {
        g_TiltedPlaneAngles[axis] = ReadValue(position, line);
        return;
    }
    if (g == 51) {
        if (g_DialectCode == DIALECT_DEFAULT) {
            ReadValueWithDivisor(position, line, &g_ScaleFactor[axis], g_ScaleInputUnit);
        } else if (g_DialectOsp) {
            ReadValueWithDivisor(position, line, &g_ScaleFactor[axis], 1);
        }
        return;
    }
    if (axis == AXIS_X && g_DialectHeidenhain && ApplyHeidenhainIWord(position, line)) return;
    const double value = ReadValue(position, line);
    if (axis < 2 && g_DialectOsp &&
        (g_CannedCycleCode == 76 || g_CannedCycleCode == 83 || g_CannedCycleCode == 87)) {
        g_OspCycleParameters.values[axis] = value;
        if (!g_OspCycleParameters.peck) g_OspCycleParameters.iGiven = 1;
        return;
    }
    if (axis < 2 && g_MachineWire && g_MotionKind > 1 && g_ToolCentreMode == 2) {
        g_WireArcWords[axis] = Signed(axis, value);
        g_IjkGiven = 1;
        g_ArcDefinitionKind = 1;
        return;
    }
    double word = Signed(axis, value);
    g_ArcCentreWords[axis] = word;
    if ((axis == AXIS_X && g_IncrementalOtherChars[1]) || (axis == AXIS_Y && g_IncrementalOtherChars[2]) ||
        (axis == AXIS_Z && g_MachineWire)) {
        g_IjkAccumulators[axis] = word;
    }
    if (g_DialectCode == DIALECT_DEFAULT && g_CoordinateRotationState == 1) {
        if (g_RotationCount >= 0 && g_RotationCount < 2 && value != 0.0) {
            g_RotationAxisCodes[g_RotationCount] = axis + 1;
        }
        return;
    }
    if (g_ScalingOn && g_ScaleEffect[axis] && g != 51) g_ArcCentreWords[axis] = word * ScaleFactorOf(axis);
    g_IjkGiven = 1;
    g_ArcDefinitionKind = 1;
}

void ReadIncrementalArcWord(int* position, const char* line, int axis)
{
    if (axis < 0 || axis > 2) return;
    StepOverLetter(position, line);
    const double value = ReadValue(position, line);
    if (g_MachineWire && axis < 2) g_WireTaperMode = 1;
    g_IjkAccumulators[axis] += Signed(axis, value);
    g_ArcCentreWords[axis] = g_IjkAccumulators[axis];
    if (g_MachineWire && axis < 2 && g_CutterCompensationState == 2) {
        g_IjkAccumulators[axis] = 0.0;
        g_ArcCentreWords[axis] = 0.0;
    }
    if (g_ScalingOn && g_ScaleEffect[axis] && g_LastGCode != 51) g_ArcCentreWords[axis] *= ScaleFactorOf(axis);
}

void ReadArcRadiusWord(int* position, const char* line)
{
    g_ArcStartRadius = ReadValue(position, line);
    g_ArcDefinitionKind = 2;
}
