// Stand-in definitions of the interpreter values that the machine set-up reads and resets, with the
// plane selection and the rotation-angle selection. The NC interpreter replaces this file with its
// own state and reset; until then these hold the values of an interpreter that has not run.
#include "nc/interpreter_state.h"
#include <cstdlib>

AxisPosition g_ActiveWorkOffset = {};
int g_WorkOffsetIndex = 1;
int g_StartWorkOffset = 1;
AxisPosition g_WorkOffsetAdjustments[201] = {};

int g_PlaneCode = 17;
int g_PlaneAxis1 = 0;
int g_PlaneAxis2 = 1;
int g_PlaneNormalAxis = 2;

int g_MotionKind = 0;
int g_LastGCode = 0;
int g_IncrementalMode = 0;
int g_MachineCoordinateBlock = 0;
int g_ReferenceReturnPhase = 0;
double g_MoveArcCentre[3] = {};
AxisPosition g_NcTargetPosition = {};
AxisPosition g_NcMoveEnd = {};
AxisPosition g_RunStartMachinePosition = {};
int g_SpindleToolNumber = 0;

int g_ToolCentreMode = 0;
double g_ToolAxisStart[3] = {0.0, 0.0, 1.0};
int g_PlaneSpatialSequence = 0;
double g_SpatialAngleC = 0.0;
int g_RotaryFollowState = 0;
int g_RotaryFollowMode = 0;
int g_RotaryFollowKind = 0;
double g_RotaryFollowAngles[2] = {};
double g_TiltedPlaneMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
double g_TiltedPlaneInverse[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
double g_TiltedPlaneOrigin[3] = {};
double g_SecondRotationAngle = 0.0;
double g_PlaneRotationAngle = 0.0;
int g_PlaneRotationMode = 0;

double g_ToolLengthOffset = 0.0;
int g_ToolAxisIndex = 2;
int g_ToolLengthCompOn = 0;
double g_HeadTipOffset[3] = {};

int g_PolarInterpolationOn = 0;
int g_CylindricalInterpolationOn = 0;
double g_PolarAngleOffset = 0.0;
double g_CylinderMmPerDegree = 0.0;
int g_CylindricalAxisPlane = 0;

int g_Rotary1Locked = 0;
int g_Rotary2Locked = 0;
int g_CutCodeState = 1;
int g_LatheModeOn = 0;
int g_RadiusOffsetAlarm = 0;
double g_ScaleCentre[3] = {0.1, 0.1, 0.1};

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
char g_SubprogramCallNames[4][256] = {};
char g_SubprogramFolder[256] = {};
char g_LastSubprogramPath[256] = {};
FileTime g_NcExtentsFileTime = {};

// The program plane 17, 18 or anything else (19) is looked up among the machine plane codes: machine
// XY first, then ZX, then YZ; the sign of the matching code gives the sense of the plane.
void SelectPlane()
{
    int wanted = g_PlaneCode;
    int magnitude = std::abs(wanted);
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

// No SIEMENS frame rotation-order code is active without the interpreter: the angle stands.
double SelectRotationAngle(double angleDeg)
{
    return angleDeg;
}
