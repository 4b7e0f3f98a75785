// Definitions of the interpreter's modal machine state with the values of an interpreter that has not
// run yet, the plane selection, the rotary shortest-route switch and the least-increment rounding.
#include "nc/interpreter_state.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"

// Reading and run control
int g_NcRunState = NC_RUN_READING;
int g_ProgramStarted = 1;
int g_EorBlock = 0;
int g_NcLineNumber = 0;
int g_BlockLineNumber = 0;
int g_LevelLineNumber = 0;
int g_PickedBlockNumber = 0;
int g_NcAlarmCode = 0;
char g_NcAlarmChar = 0;
int g_NcAlarmColumn = 0;
int g_SequenceSearchNumber = -1;
char g_SequenceSearchName[6] = {};
int g_DecimalPointMode = 0;
int g_StopBlockPending = 0;

// Positions
AxisPosition g_NcPreviousPosition = {};
AxisPosition g_NcCommandedPosition = {};
AxisPosition g_NcMoveStart = {};
AxisPosition g_NcStartPoint = {};
AxisPosition g_MachineAxisWords = {};
AxisPosition g_MoveDelta = {};

// Work offsets and coordinate shifts
AxisPosition g_RunStartWorkOffsets[NC_WORK_OFFSET_ENTRIES] = {};
AxisPosition g_RunStartActiveWorkOffset = {};
AxisPosition g_CoordinateSetShift = {};
AxisPosition g_SavedActiveWorkOffset = {};
AxisPosition g_LocalActiveWorkOffset = {};
int g_G92StartTaken = 0;
int g_CoordinateShiftState = 0;

// Plane
int g_BlockPlaneCode = 17;

// Modal codes
int g_BlockMotionKind = MOTION_RAPID;
int g_LastMCode = -1;
int g_CommandedToolNumber = -1;
int g_ToolCallNumber = 0;
int g_ToolChangeInProgress = 0;
int g_CannedCycleCode = 80;
int g_DefinedCycleCode = 80;
int g_CycleReturnToInitial = 1;
int g_ToolCentreOn = 0;
int g_CutterCompensationState = 0;
int g_CoordinateRotationState = 0;
int g_SecondRotationMode = 0;
int g_PolarInterpolationState = 0;
int g_CylindricalInterpolationState = 0;
int g_OffsetApplyMode = 0;
int g_ReferenceReturnKind = 0;
int g_MoveChanged = 0;
int g_AxisWordGiven[AXIS_POSITION_COUNT] = {};
int g_LatheCodeState[2] = {};
int g_OspPlaneOrderCode = 313;
int g_SpindleState = 0;
double g_SpindleSpeed = 0.0;
double g_FeedValues[2] = {};
int g_SnapshotPerStep = 0;
FILE* g_AlarmListFile = nullptr;
FILE* g_InterferenceReportFile = nullptr;
int g_PauseReasonCount = 0;

// Tool centre point, rotary following and tilted working plane
double g_ToolAxisChange[3] = {};
double g_TiltedPlaneAngles[3] = {};
int g_HeidenhainRotaryWord = 0;
int g_OrientationByAngles = 0;

// Polar and cylindrical interpolation
double g_OspPolarC = 0.0;
int g_OspG138Active = 0;
double g_CylinderRadius = 0.0;

// Arc geometry and arc words
double g_ArcCentre[3] = {};
double g_ArcStartDirection[3] = {};
double g_ArcEndDirection[3] = {};
double g_ArcNormal[3] = {};
double g_ArcSideDirection[3] = {};
double g_ArcStartRadius = 0.0;
double g_ArcEndRadius = 0.0;
double g_ArcRise = 0.0;
double g_ArcLength = 0.0;
int g_ArcMirrorPending = 0;
double g_ArcCentreWords[3] = {};
int g_IjkGiven = 0;
int g_ArcDefinitionKind = 0;
double g_IjkAccumulators[3] = {};
double g_WireArcWords[3] = {};
int g_WireTaperMode = 0;
double g_PolarAngle = 0.0;
double g_PolarEndAngle = 0.0;
double g_PolarRadius = 0.0;

// Block values
int g_ToolWordBlock = 0;
int g_LengthOffsetBlock = 0;
int g_DwellBlock = 0;
int g_CycleAxisWordSeen = 0;
int g_HeidenhainMachineM = 0;
int g_LocalCoordinateBlock = 0;
int g_DirectionGiven = 0;
int g_PolarBlock = 0;
int g_CircleCentreBlock = 0;
int g_OrientationAnglesGiven = 0;
int g_OffsetSettingBlock = 0;
int g_OffsetSettingL = 0;
int g_BlockPNumber = 0;

// Canned cycles
double g_CycleBottom = 0.0;
double g_CycleRPoint = 0.0;
double g_CyclePeck = 0.0;
double g_CycleDwell = 0.0;
int g_CycleRepeatCount = 0;
double g_CycleReturnLevel = 0.0;
int g_OspReturnLevelNext = 0;
OspCycleParameters g_OspCycleParameters = {};

// Rotation, mirror, scaling
int g_RotationCount = 0;
double g_RotationCentres[2][3] = {};
double g_RotationAngles[2] = {};
int g_RotationAxisCodes[2] = {};
int g_RotationPlaneAxes[2][3] = {};
double g_RotationSin[2] = {};
double g_RotationCos[2] = {1.0, 1.0};
int g_OspRotationState = 0;
int g_OspRotationAxes[3] = {0, 1, 2};
double g_OspRotationAngle = 0.0;
double g_OspRotationCos = 1.0;
double g_OspRotationSin = 0.0;
int g_MirrorOn = 0;
int g_MirrorAxes[3] = {};
double g_MirrorCentre[3] = {};
int g_ScalingOn = 0;
int g_ScalingUniform = 0;
double g_ScaleFactorP = 1.0;

// Reference-point return
double g_ReturnIntermediatePoint[AXIS_POSITION_COUNT] = {};
int g_ReturnIntermediateGiven[AXIS_POSITION_COUNT] = {};
double g_ReturnFromReferencePoint[AXIS_POSITION_COUNT] = {};
int g_ReturnFromReferenceGiven[AXIS_POSITION_COUNT] = {};
int g_ReferencePointIndex = 0;

// Spindle-position axis
double g_SpindleAxisPosition = 0.0;
double g_SpindleAxisCommanded = 0.0;
double g_SpindleAxisPrevious = 0.0;

// Motion queues
int g_StepQueueCount = 0;
AxisPosition g_RapidStepQueue[RAPID_STEP_QUEUE_SIZE] = {};
int g_NormalAxisQueueCount = 0;
int g_NormalAxisQueueKinds[NORMAL_AXIS_QUEUE_SIZE] = {};
double g_NormalAxisQueueValues[NORMAL_AXIS_QUEUE_SIZE] = {};
int g_WireTaperQueueCount = 0;
double g_WireTaperQueue[NORMAL_AXIS_QUEUE_SIZE][4] = {};
int g_LookaheadCount = 0;
int g_LookaheadCapacity = 0;
int* g_LookaheadKinds = nullptr;
double* g_LookaheadValues = nullptr;
double* g_LookaheadPlaneValues = nullptr;
double g_LookaheadPoints[LOOKAHEAD_POINT_COUNT][3] = {};
double g_LookaheadArcCentre[3] = {};
int g_QueueReadIndex = 0;

// In-memory program and call stack
FILE* g_SubprogramFiles[MAX_SUBPROGRAM_DEPTH] = {};

namespace {

// 1 when the rotary axis (0 or 1) has a stroke range of at least 360 degrees in stroke-limit set 0.
int RotaryRangeIsFullTurn(int rotary)
{
    const int axis = AXIS_ROTARY1 + rotary;
    const double span = g_StrokeLimits[0].range[2 * axis + 1] - g_StrokeLimits[0].range[2 * axis];
    return span >= 360.0;
}

}  // namespace

void CheckRotaryTurnOver360(int value)
{
    if (RotaryRangeIsFullTurn(0) && !g_Rotary1ShortestSetting) {
        g_Rotary1Shortest = value;
    }
    if (RotaryRangeIsFullTurn(1) && !g_Rotary2ShortestSetting) {
        g_Rotary2Shortest = value;
    }
}

int ToIntegerUnits(double value)
{
    double scaled = 0.0;
    if (value > 0.0) {
        scaled = value * g_InputIncrement + 0.5;
    } else if (value < 0.0) {
        scaled = value * g_InputIncrement - 0.5;
    } else {
        return 0;  // zero and NaN
    }
    if (scaled >= (double)INT_MAX) return INT_MAX;
    if (scaled <= (double)INT_MIN) return INT_MIN;
    return (int)scaled;  // truncation toward zero
}
