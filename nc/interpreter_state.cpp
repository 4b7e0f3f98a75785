// Definitions of the interpreter's modal machine state, the plane selection, the rotary shortest-route
// switch and the least-increment rounding. ResetInterpreterState (interpreter_reset.cpp) writes the
// defaults of a pass; a value whose start value is zero carries no initializer here. The few non-zero
// start values stay written here: the reset runs once per pass and reads the controller settings, so
// it cannot run at start-up, and the panels and the data check read these values before any pass.
#include "nc/interpreter_state.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"

// Reading and run control
int g_NcRunState;
int g_ProgramStarted = 1;
int g_EorBlock = 0;
int g_NcLineNumber;
int g_BlockLineNumber;
int g_LevelLineNumber;
int g_PickedBlockNumber;
int g_NcAlarmCode;
char g_NcAlarmChar;
int g_NcAlarmColumn;
int g_SequenceSearchNumber = -1;
char g_SequenceSearchName[6];
int g_DecimalPointMode;
int g_StopBlockPending;

// Positions
AxisPosition g_NcPreviousPosition = {};
AxisPosition g_NcCommandedPosition;
AxisPosition g_NcMoveStart = {};
AxisPosition g_NcStartPoint;
AxisPosition g_MachineAxisWords;
AxisPosition g_MoveDelta;

// Work offsets and coordinate shifts
AxisPosition g_RunStartWorkOffsets[NC_WORK_OFFSET_ENTRIES] = {};
AxisPosition g_RunStartActiveWorkOffset;
AxisPosition g_CoordinateSetShift;
AxisPosition g_SavedActiveWorkOffset = {};
AxisPosition g_LocalActiveWorkOffset = {};
int g_G92StartTaken = 0;
int g_CoordinateShiftState;

// Plane
int g_BlockPlaneCode = 17;

// Modal codes
int g_BlockMotionKind = MOTION_RAPID;
int g_LastMCode = -1;
int g_CommandedToolNumber = -1;
int g_ToolCallNumber = 0;
int g_ToolChangeInProgress;
int g_CannedCycleCode = 80;
int g_DefinedCycleCode = 80;
int g_CycleReturnToInitial = 1;
int g_ToolCentreOn;
int g_CutterCompensationState;
int g_CoordinateRotationState;
int g_SecondRotationMode;
int g_PolarInterpolationState;
int g_CylindricalInterpolationState;
int g_OffsetApplyMode;
int g_ReferenceReturnKind;
int g_MoveChanged;
int g_AxisWordGiven[AXIS_POSITION_COUNT];
int g_LatheCodeState[2];
int g_OspPlaneOrderCode = 313;
int g_SpindleState;
double g_SpindleSpeed;
double g_FeedValues[2];
int g_SnapshotPerStep;
FILE* g_AlarmListFile;
FILE* g_InterferenceReportFile;
int g_PauseReasonCount;

// Tool centre point, rotary following and tilted working plane
double g_ToolAxisChange[3];
double g_TiltedPlaneAngles[3];
int g_HeidenhainRotaryWord = 0;
int g_OrientationByAngles = 0;

// Polar and cylindrical interpolation
double g_OspPolarC = 0.0;
int g_OspG138Active = 0;
double g_CylinderRadius = 0.0;

// Arc geometry and arc words
double g_ArcCentre[3];
double g_ArcStartDirection[3];
double g_ArcEndDirection[3];
double g_ArcNormal[3];
double g_ArcSideDirection[3];
double g_ArcStartRadius;
double g_ArcEndRadius;
double g_ArcRise;
double g_ArcLength;
int g_ArcMirrorPending = 0;
double g_ArcCentreWords[3];
int g_IjkGiven;
int g_ArcDefinitionKind;
double g_IjkAccumulators[3];
double g_WireArcWords[3];
int g_WireTaperMode;
double g_PolarAngle = 0.0;
double g_PolarEndAngle = 0.0;
double g_PolarRadius = 0.0;

// Block values
int g_ToolWordBlock;
int g_LengthOffsetBlock;
int g_DwellBlock;
int g_CycleAxisWordSeen;
int g_HeidenhainMachineM;
int g_LocalCoordinateBlock;
int g_DirectionGiven;
int g_PolarBlock;
int g_CircleCentreBlock;
int g_OrientationAnglesGiven;
int g_OffsetSettingBlock;
int g_OffsetSettingL;
int g_BlockPNumber;

// Canned cycles
double g_CycleBottom;
double g_CycleRPoint;
double g_CyclePeck;
double g_CycleDwell;
int g_CycleRepeatCount;
double g_CycleReturnLevel = 0.0;
int g_OspReturnLevelNext = 0;
OspCycleParameters g_OspCycleParameters;

// Rotation, mirror, scaling
int g_RotationCount;
double g_RotationCentres[2][3];
double g_RotationAngles[2];
int g_RotationAxisCodes[2];
int g_RotationPlaneAxes[2][3] = {};
double g_RotationSin[2];
double g_RotationCos[2] = {1.0, 1.0};
int g_OspRotationState;
int g_OspRotationAxes[3] = {0, 1, 2};
double g_OspRotationAngle;
double g_OspRotationCos = 1.0;
double g_OspRotationSin;
int g_MirrorOn;
int g_MirrorAxes[3];
double g_MirrorCentre[3] = {};
int g_ScalingOn;
int g_ScalingUniform;
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
int g_StepQueueCount;
AxisPosition g_RapidStepQueue[RAPID_STEP_QUEUE_SIZE] = {};
int g_NormalAxisQueueCount;
int g_NormalAxisQueueKinds[NORMAL_AXIS_QUEUE_SIZE] = {};
double g_NormalAxisQueueValues[NORMAL_AXIS_QUEUE_SIZE] = {};
int g_WireTaperQueueCount;
double g_WireTaperQueue[NORMAL_AXIS_QUEUE_SIZE][4] = {};
int g_LookaheadCount;
int g_LookaheadCapacity;
int* g_LookaheadKinds;
double* g_LookaheadValues;
double* g_LookaheadPlaneValues;
double g_LookaheadPoints[LOOKAHEAD_POINT_COUNT][3] = {};
double g_LookaheadArcCentre[3] = {};
int g_QueueReadIndex;

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
