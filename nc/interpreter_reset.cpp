// ResetInterpreterState: sets the whole modal machine state up for a new pass over the NC program,
// from the controller's start modes, the control point and the active work offset.
#include <cstdlib>
#include <cstring>

#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine_setup_state.h"
#include "platform/ui/repaint_requests.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/controller/work_coordinates.h"
#include "nc/interpreter_state.h"
#include "nc/block_state.h"
#include "nc/reader_plugin.h"
#include "machine_setup/tools/tool_length_reference.h"

namespace {

// Step 6: rotations, arc geometry, compensation working values, coordinate shifts and queues.
void ClearWorkingValues()
{
    g_PlaneRotationMode = 0;
    g_PlaneRotationAngle = 0.0;
    g_SecondRotationMode = 0;
    g_SecondRotationAngle = 0.0;
    g_RotationCount = 0;
    std::memset(g_RotationCentres, 0, sizeof g_RotationCentres);
    std::memset(g_RotationAngles, 0, sizeof g_RotationAngles);
    std::memset(g_RotationAxisCodes, 0, sizeof g_RotationAxisCodes);
    for (int k = 0; k < 2; ++k) {
        g_RotationSin[k] = 0.0;
        g_RotationCos[k] = 1.0;
    }
    g_CoordinateRotationState = 0;
    // Scaling and the programmable mirror of a previous pass must not carry into a new one.
    g_ScalingOn = 0;
    g_ScalingUniform = 0;
    g_ScaleFactorP = 1.0;
    g_MirrorOn = 0;
    for (int k = 0; k < 3; ++k) g_MirrorAxes[k] = 0;
    g_OspRotationState = 0;
    g_OspRotationAngle = 0.0;
    g_OspRotationCos = 1.0;
    g_OspRotationSin = 0.0;

    for (int k = 0; k < 3; ++k) {
        g_ArcCentre[k] = g_ArcStartDirection[k] = g_ArcEndDirection[k] = 0.0;
        g_ArcNormal[k] = g_ArcSideDirection[k] = g_ArcCentreWords[k] = 0.0;
        g_IjkAccumulators[k] = g_WireArcWords[k] = 0.0;
        g_TiltedPlaneOrigin[k] = g_TiltedPlaneAngles[k] = 0.0;
        g_MoveArcCentre[k] = 0.0;
    }
    g_ArcStartRadius = g_ArcEndRadius = g_ArcRise = g_ArcLength = 0.0;
    g_IjkGiven = 0;
    g_ArcDefinitionKind = 0;
    g_RotaryFollowAngles[0] = g_RotaryFollowAngles[1] = 0.0;
    g_CutterCompensationState = 0;

    g_CycleBottom = g_CycleRPoint = g_CyclePeck = g_CycleDwell = 0.0;
    g_CycleRepeatCount = 0;
    g_OspCycleParameters = OspCycleParameters{};

    g_ToolChangeRouteSteps = 0;
    g_ToolChangeRouteCurrentStep = 0;
    g_StepQueueCount = 0;
    g_NormalAxisQueueCount = 0;
    g_WireTaperQueueCount = 0;
    g_LookaheadCount = 0;
    g_QueueReadIndex = 0;

    // Block values (every block clears them too; a pass cut short must not leave them set).
    g_ToolWordBlock = g_LengthOffsetBlock = g_DwellBlock = g_CycleAxisWordSeen = 0;
    g_HeidenhainMachineM = g_LocalCoordinateBlock = 0;
    g_DirectionGiven = g_PolarBlock = g_CircleCentreBlock = g_OrientationAnglesGiven = 0;
    g_OffsetSettingBlock = g_OffsetSettingL = g_BlockPNumber = 0;

    g_OvertravelAxis = -1;
    g_CommandedToolNumber = -1;
    g_SequenceSearchNumber = -1;
    g_SequenceSearchName[0] = '\0';
    std::memset(g_WorkOffsetAdjustments, 0, sizeof g_WorkOffsetAdjustments);
    g_CoordinateSetShift = AxisPosition{};
    g_MoveDelta = AxisPosition{};
}

// Step 9: tool 0 of the tool table becomes undefined (unless the NC tool plug-in gave it).
void ClearPluginToolSlot()
{
    if (g_ToolArrayCapacity <= 0) return;
    if (g_ToolTable) g_ToolTable[0].type = -1;
    if (g_ToolPenTable) g_ToolPenTable[0] = -1;
    if (g_ToolLengths) g_ToolLengths[0] = TOOL_PLUGIN_LENGTH_MARKER;
    if (g_ArborTable) g_ArborTable[0].used = 0;
    if (g_ToolLengthTable) g_ToolLengthTable[0].kind = LENGTH_NONE;
}

// Reading counters and the modal codes whose start values come from nowhere else.
void ResetReadingAndModes()
{
    g_NcRunState = NC_RUN_READING;
    g_NcLineNumber = 0;
    g_BlockLineNumber = 0;
    g_LevelLineNumber = 0;
    g_PickedBlockNumber = 0;
    g_NcAlarmCode = 0;
    g_NcAlarmChar = 0;
    g_NcAlarmColumn = 0;
    g_StopBlockPending = 0;
    g_MotionKind = MOTION_RAPID;
    g_IncrementalMode = 0;
    g_ToolChangeInProgress = 0;
    g_CycleReturnToInitial = g_CycleReturnInitial;
    g_ToolCentreOn = 0;
    g_ToolLengthCompOn = 0;
    g_ToolLengthOffset = 0.0;
    g_PolarInterpolationOn = g_PolarInterpolationState = 0;
    g_CylindricalInterpolationOn = g_CylindricalInterpolationState = 0;
    g_RotaryFollowMode = g_RotaryFollowState = g_RotaryFollowKind = 0;
    g_OffsetApplyMode = 0;
    g_ReferenceReturnKind = g_ReferenceReturnPhase = 0;
    g_CoordinateShiftState = 0;
    g_MachineCoordinateBlock = 0;
    g_MoveChanged = 0;
    std::memset(g_AxisWordGiven, 0, sizeof g_AxisWordGiven);
    g_LatheCodeState[0] = g_LatheCodeState[1] = 0;
    g_SpindleState = 0;
    g_SpindleSpeed = 0.0;
    g_FeedValues[0] = 0.0;
}

// Step 12: every program position starts at the control point; the machine position is the control
// point plus the active work offset plus the tool length difference.
void StartPositionsFromControlPoint()
{
    g_NcStartPoint = g_ControlPoint;
    g_NcMoveEnd = g_ControlPoint;
    g_NcTargetPosition = g_ControlPoint;
    g_NcCommandedPosition = g_ControlPoint;
    AxisPosition machine;
    for (int a = 0; a < AXIS_POSITION_COUNT; ++a) {
        machine.axis[a] = g_ControlPoint.axis[a] + g_ActiveWorkOffset.axis[a];
    }
    const double d = g_ToolLength - g_CurrentToolLength;
    if (g_ToolDirectionTilted) {
        for (int a = 0; a < 3; ++a) machine.axis[a] += d * g_ToolDirection[a];
    } else {
        machine.axis[AXIS_Z] += d;
    }
    g_MachinePosition = machine;
    g_RunStartMachinePosition = machine;
    g_MachineAxisWords = machine;
}

// Step 18: the look-ahead arrays are allocated by the first reset and kept.
void AllocateLookaheadArrays()
{
    if (g_LookaheadKinds != nullptr && g_LookaheadValues != nullptr && g_LookaheadPlaneValues != nullptr) return;
    std::free(g_LookaheadKinds);
    std::free(g_LookaheadValues);
    std::free(g_LookaheadPlaneValues);
    g_LookaheadKinds = (int*)std::calloc(LOOKAHEAD_INITIAL_CAPACITY, sizeof(int));
    g_LookaheadValues = (double*)std::calloc(LOOKAHEAD_INITIAL_CAPACITY, sizeof(double));
    g_LookaheadPlaneValues = (double*)std::calloc(2 * LOOKAHEAD_INITIAL_CAPACITY, sizeof(double));
    const int allocated = g_LookaheadKinds && g_LookaheadValues && g_LookaheadPlaneValues;
    g_LookaheadCapacity = allocated ? LOOKAHEAD_INITIAL_CAPACITY : 0;
}

}  // namespace

void ResetInterpreterState()
{
    ResetBlockState();  // word memories (modal feed, compensation side ...) start clean in every run
    g_HeadTipOffset[0] = g_HeadTipOffset[1] = g_HeadTipOffset[2] = 0.0;
    ClearNcToolPluginCallMemory();
    g_PlaneCode = g_InitialPlane;
    g_BlockPlaneCode = g_InitialPlane;
    g_SubprogramDepth = 0;
    g_LastGCode = 0;
    if (g_DialectHeidenhain) CheckRotaryTurnOver360(0);
    SelectPlane();
    g_OspPlaneOrderCode = 313;
    g_ToolCentreMode = g_ToolCentreModeAtStart;
    if (g_MachineLathe) g_LatheModeOn = 1;
    g_CutCodeState = g_CuttingOnAtStart;
    ResetReadingAndModes();
    ClearWorkingValues();
    g_RebuildAxisTriad = 1;

    ApplyCurrentWorkOffset();
    g_StartWorkOffset = g_WorkOffsetIndex;
    std::memcpy(g_RunStartWorkOffsets, g_WorkOffsets, sizeof g_RunStartWorkOffsets);
    g_RunStartActiveWorkOffset = g_ActiveWorkOffset;
    g_SnapshotPerStep = 0;
    if (!g_FileToolsFromPlugin) ClearPluginToolSlot();
    if (!g_KeepPluginTool) g_PluginToolActive = 0;
    g_DefinedCycleCode = 80;
    g_CannedCycleCode = 80;
    g_DecimalPointMode = g_DecimalPointSetting;
    g_ProgramStarted = (g_EndOfRecordChar == ' ' || g_ActiveReaderPlugin >= 0) ? 1 : 0;

    StartPositionsFromControlPoint();
    for (int k = 0; k < 3; ++k) g_ToolAxisStart[k] = g_ToolAxisChange[k] = 0.0;
    if (g_MachineWire) g_WireTaperMode = 0;
    g_InterferenceReportFile = nullptr;
    g_AlarmListFile = nullptr;
    g_PauseReasonCount = 0;
    g_RadiusOffsetAlarm = 0;

    if (g_AutoLengthOffset || g_AutomaticToolOffset) ComputeToolLengthReference();
    if ((g_MachineLathe || g_DialectMazak) && g_AutomaticToolOffset && g_Rotary1Letter == 'B') {
        ComputeHeadTipOffset(g_ControlPoint.axis[AXIS_ROTARY1] + g_ActiveWorkOffset.axis[AXIS_ROTARY1]);
    }
    if (g_AutomaticToolOffset) {
        g_NcTargetPosition.axis[AXIS_X] -= g_HeadTipOffset[0];
        g_NcTargetPosition.axis[AXIS_Z] -= g_HeadTipOffset[2];
        g_NcCommandedPosition.axis[AXIS_X] = g_NcTargetPosition.axis[AXIS_X];
        g_NcCommandedPosition.axis[AXIS_Z] = g_NcTargetPosition.axis[AXIS_Z];
    }
    // FANUC-A offsets act on the controller's length axis: the normal axis of the routed G17 plane.
    if (g_LengthOffsetType == 1) {
        g_ToolAxisIndex = g_PlaneNormalAxis;
    } else if (g_LengthOffsetType == 2) {
        g_ToolAxisIndex = AXIS_Z;
    } else {
        g_ToolAxisIndex = g_AxisOrderNormal;
    }
    AllocateLookaheadArrays();
    if (g_RunMode > 0) UpdateStatusBar();
}
