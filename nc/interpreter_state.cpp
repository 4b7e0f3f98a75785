// Definitions of the interpreter's modal machine state with the values of an interpreter that has not
// run yet, the plane selection, the rotary shortest-route switch and the least-increment rounding.
#include "nc/interpreter_state.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "machine_setup/controller_definition.h"
#include "machine_setup/machine_definition.h"

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
AxisPosition g_NcTargetPosition = {};
AxisPosition g_NcCommandedPosition = {};
AxisPosition g_NcMoveStart = {};
AxisPosition g_NcMoveEnd = {};
AxisPosition g_NcStartPoint = {};
AxisPosition g_MachineAxisWords = {};
AxisPosition g_RunStartMachinePosition = {};
AxisPosition g_MoveDelta = {};
double g_HeadTipOffset[3] = {};
double g_ToolLengthOffset = 0.0;
int g_ToolAxisIndex = 2;
double g_MoveArcCentre[3] = {};
int g_SpindleToolNumber = 0;

// Work offsets and coordinate shifts
AxisPosition g_ActiveWorkOffset = {};
int g_WorkOffsetIndex = 1;
int g_StartWorkOffset = 1;
AxisPosition g_RunStartWorkOffsets[NC_WORK_OFFSET_ENTRIES] = {};
AxisPosition g_RunStartActiveWorkOffset = {};
AxisPosition g_WorkOffsetAdjustments[NC_WORK_OFFSET_ENTRIES] = {};
AxisPosition (&g_LocalCoordinateShifts)[NC_WORK_OFFSET_ENTRIES] = g_WorkOffsetAdjustments;
AxisPosition g_CoordinateSetShift = {};
AxisPosition g_SavedActiveWorkOffset = {};
AxisPosition g_LocalActiveWorkOffset = {};
int g_G92StartTaken = 0;
int g_CoordinateShiftState = 0;

// Plane
int g_PlaneCode = 17;
int g_BlockPlaneCode = 17;
int g_PlaneAxis1 = 0;
int g_PlaneAxis2 = 1;
int g_PlaneNormalAxis = 2;

// Modal codes
int g_MotionKind = MOTION_RAPID;
int g_BlockMotionKind = MOTION_RAPID;
int g_IncrementalMode = 0;
int g_LastGCode = 0;
int g_LastMCode = -1;
int g_CommandedToolNumber = -1;
int g_ToolCallNumber = 0;
int g_ToolChangeInProgress = 0;
int g_CannedCycleCode = 80;
int g_DefinedCycleCode = 80;
int g_CycleReturnToInitial = 1;
int g_ToolCentreMode = 0;
int g_ToolCentreOn = 0;
int g_ToolLengthCompOn = 0;
int g_CutterCompensationState = 0;
int g_CoordinateRotationState = 0;
int g_PlaneRotationMode = 0;
double g_PlaneRotationAngle = 0.0;
int g_SecondRotationMode = 0;
double g_SecondRotationAngle = 0.0;
int g_PolarInterpolationOn = 0;
int g_PolarInterpolationState = 0;
int g_CylindricalInterpolationOn = 0;
int g_CylindricalInterpolationState = 0;
int g_RotaryFollowMode = 0;
int g_RotaryFollowState = 0;
int g_RotaryFollowKind = 0;
int g_OffsetApplyMode = 0;
int g_ReferenceReturnKind = 0;
int g_ReferenceReturnPhase = 0;
int g_MachineCoordinateBlock = 0;
int g_MoveChanged = 0;
int g_AxisWordGiven[AXIS_POSITION_COUNT] = {};
int g_CutCodeState = 1;
int g_LatheCodeState[2] = {};
int g_LatheModeOn = 0;
int g_OspPlaneOrderCode = 313;
int g_SpindleState = 0;
double g_SpindleSpeed = 0.0;
double g_FeedValues[2] = {};
int g_SnapshotPerStep = 0;
int g_RadiusOffsetAlarm = 0;
FILE* g_AlarmListFile = nullptr;
FILE* g_InterferenceReportFile = nullptr;
int g_PauseReasonCount = 0;
int g_Rotary1Locked = 0;
int g_Rotary2Locked = 0;

// Tool centre point, rotary following and tilted working plane
double g_ToolAxisStart[3] = {0.0, 0.0, 1.0};
double g_ToolAxisChange[3] = {};
int g_PlaneSpatialSequence = 0;
double g_SpatialAngleC = 0.0;
double g_RotaryFollowAngles[2] = {};
double g_TiltedPlaneMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
double g_TiltedPlaneInverse[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
double g_TiltedPlaneOrigin[3] = {};
double g_TiltedPlaneAngles[3] = {};
int g_HeidenhainRotaryWord = 0;
int g_OrientationByAngles = 0;

// Polar and cylindrical interpolation
double g_PolarAngleOffset = 0.0;
double g_OspPolarC = 0.0;
int g_OspG138Active = 0;
double g_CylinderRadius = 0.0;
double g_CylinderMmPerDegree = 0.0;
double& g_CylinderLengthPerDegree = g_CylinderMmPerDegree;
int g_CylindricalAxisPlane = 0;

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
double g_ScaleCentre[3] = {0.1, 0.1, 0.1};
double (&g_ScalingCentre)[3] = g_ScaleCentre;

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
int g_ToolChangeRouteSteps = 0;
int g_ToolChangeRouteCurrentStep = 0;
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
char* g_ProgramText = nullptr;
int32_t* g_MemorySubprogramNumbers = nullptr;
char* g_MemorySubprogramNames = nullptr;
int32_t* g_MemorySubprogramOffsets = nullptr;
int32_t* g_MemorySubprogramLines = nullptr;
int32_t* g_MemorySubprogramLengths = nullptr;
int g_MemorySubprogramCount = 0;
int g_SubprogramDepth = 0;
int g_SubprogramInMemory[MAX_SUBPROGRAM_DEPTH] = {};
int g_SubprogramIndex[MAX_SUBPROGRAM_DEPTH] = {};
int64_t g_SubprogramOffset[MAX_SUBPROGRAM_DEPTH] = {};
int g_SubprogramLineCount[MAX_SUBPROGRAM_DEPTH] = {};
FILE* g_SubprogramFiles[MAX_SUBPROGRAM_DEPTH] = {};
char g_SubprogramCallNames[4][256] = {};
char g_SubprogramFolder[256] = {};
char g_LastSubprogramPath[256] = {};
FileTime g_NcExtentsFileTime = {};

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

// The program plane 17, 18 or anything else (19) is looked up among the machine plane codes: machine
// XY first, then ZX, then YZ; the sign of the matching code gives the sense of the plane.
void SelectPlane()
{
    int magnitude = std::abs(g_PlaneCode);
    if (magnitude != 17 && magnitude != 18) {
        magnitude = 19;
    }
    if (std::abs(g_PlaneCodes[0]) == magnitude) {
        g_PlaneCode = g_PlaneCodes[0] > 0 ? 17 : -17;
        g_PlaneAxis1 = 0;
        g_PlaneAxis2 = 1;
        g_PlaneNormalAxis = 2;
    } else if (std::abs(g_PlaneCodes[1]) == magnitude) {
        g_PlaneCode = g_PlaneCodes[1] > 0 ? 18 : -18;
        g_PlaneAxis1 = 2;
        g_PlaneAxis2 = 0;
        g_PlaneNormalAxis = 1;
    } else {
        g_PlaneCode = g_PlaneCodes[2] == magnitude ? 19 : -19;
        g_PlaneAxis1 = 1;
        g_PlaneAxis2 = 2;
        g_PlaneNormalAxis = 0;
    }
}

// No SIEMENS frame rotation-order code is kept yet: the angle stands.
double SelectRotationAngle(double angleDeg)
{
    return angleDeg;
}
