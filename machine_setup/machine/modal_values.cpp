// Definitions of the interpreter's modal values that the machine setup reads, and the plane selection.
// ResetInterpreterState (nc) and the controller reset write their defaults; a value either of them
// writes carries no initializer here when its start value is zero. A non-zero start value stays
// written here: the interpreter's reset runs once per pass over a program and reads the controller
// settings, so it cannot run at start-up, and these values are read before the first pass.
#include "machine_setup/machine_setup_state.h"

#include <cstdlib>

#include "machine_setup/controller/controller_definition.h"

AxisPosition g_NcTargetPosition;
AxisPosition g_NcMoveEnd;
AxisPosition g_RunStartMachinePosition;
double g_HeadTipOffset[3];
double g_ToolLengthOffset;
int g_ToolAxisIndex = 2;
double g_MoveArcCentre[3];
int g_SpindleToolNumber = 0;
AxisPosition g_ActiveWorkOffset = {};
int g_WorkOffsetIndex = 1;
int g_StartWorkOffset = 1;
AxisPosition g_WorkOffsetAdjustments[NC_WORK_OFFSET_ENTRIES];
AxisPosition (&g_LocalCoordinateShifts)[NC_WORK_OFFSET_ENTRIES] = g_WorkOffsetAdjustments;
int g_PlaneCode = 17;
int g_PlaneAxis1 = 0;
int g_PlaneAxis2 = 1;
int g_PlaneNormalAxis = 2;
int g_MotionKind;
int g_IncrementalMode;
int g_LastGCode;
int g_ToolCentreMode;
int g_ToolLengthCompOn;
int g_PlaneRotationMode;
double g_PlaneRotationAngle;
double g_SecondRotationAngle;
int g_PolarInterpolationOn;
int g_CylindricalInterpolationOn;
int g_RotaryFollowMode;
int g_RotaryFollowState;
int g_RotaryFollowKind;
int g_ReferenceReturnPhase;
int g_MachineCoordinateBlock;
int g_CutCodeState = 1;
int g_LatheModeOn;
int g_RadiusOffsetAlarm;
int g_Rotary1Locked;
int g_Rotary2Locked;
double g_ToolAxisStart[3] = {0.0, 0.0, 1.0};
int g_PlaneSpatialSequence = 0;
double g_SpatialAngleC = 0.0;
double g_RotaryFollowAngles[2];
double g_TiltedPlaneMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
double g_TiltedPlaneInverse[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
double g_TiltedPlaneOrigin[3];
double g_PolarAngleOffset = 0.0;
double g_CylinderMmPerDegree = 0.0;
double& g_CylinderLengthPerDegree = g_CylinderMmPerDegree;
int g_CylindricalAxisPlane = 0;
double g_ScaleCentre[3] = {0.1, 0.1, 0.1};
double (&g_ScalingCentre)[3] = g_ScaleCentre;
int g_ToolChangeRouteSteps;
int g_ToolChangeRouteCurrentStep;
char* g_ProgramText;
int32_t* g_MemorySubprogramNumbers = nullptr;
char* g_MemorySubprogramNames;
int32_t* g_MemorySubprogramOffsets = nullptr;
int32_t* g_MemorySubprogramLines = nullptr;
int32_t* g_MemorySubprogramLengths = nullptr;
int g_MemorySubprogramCount;
int g_SubprogramDepth;
int g_SubprogramInMemory[MAX_SUBPROGRAM_DEPTH];
int g_SubprogramIndex[MAX_SUBPROGRAM_DEPTH];
int64_t g_SubprogramOffset[MAX_SUBPROGRAM_DEPTH];
int g_SubprogramLineCount[MAX_SUBPROGRAM_DEPTH];
char g_SubprogramCallNames[4][256];
char g_SubprogramFolder[256];
char g_LastSubprogramPath[256];
FileTime g_NcExtentsFileTime = {};
int g_HWordNumber = 0;
double g_PendingToolLengthShift = 0;
double g_HeidenhainLengthDelta = 0;
int g_MazakHeadOffsetMode = 0;
int g_PluginToolActive;
int g_KeepPluginTool = 0;

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
