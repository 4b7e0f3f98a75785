// The machine definition values with their start and reset values, and ReadMachineFile: opening the
// ".MTL" file, resetting, reading its lines (machine_definition_lines.cpp) and deriving the rotary
// frames, the spindle direction, the tool-change route and the work coordinates afterwards.
#include "machine_setup/machine/machine_definition.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition_lines.h"
#include "machine_setup/machine/machine_models.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/machine_setup_state.h"
#include "platform/ui/repaint_requests.h"
#include "work_model/file_routines.h"

// ---------------------------------------------------------------------------------------------------
// Values (start values; ReadMachineFile resets those a file does not keep)

char g_MachineFilePath[MACHINE_PATH_SIZE] = "oguma.mtl";
int g_MachineFileStatus = 0;
FileTime g_MachineFileTime = {0, 0};

char g_MachineName[MACHINE_PATH_SIZE] = "";
int g_SyncCellsEnabled = 1;

int g_AtcType = ATC_DIRECT;
int g_ToolWordSplit = 0;
int g_ToolWordSplitDigits = 0;
int g_ToolChangePositionGiven = 0;
AxisPosition g_ToolChangePosition = {{0.0, 0.0, 0.0, 0.0, 0.0}};
float g_ToolChangeTime = 1.0f;

float g_RapidFeedRates[3] = {10000.0f, 10000.0f, 10000.0f};
float g_RapidAccelerations[3] = {0.1f, 0.1f, 0.1f};
float g_MaximumFeedRates[3] = {10000.0f, 10000.0f, 10000.0f};
float g_AxisAccelerations[3] = {0.3f, 0.3f, 0.3f};

int g_AxisDirection;

int g_MachineKind;
int g_AxisCount = 5;
int g_Rotary1Axis;
int g_Rotary1CrossAxes[2];
int g_Rotary2Axis;
int g_Rotary2CrossAxes[2];
double g_Rotary1UnitVector[3];
double g_Rotary2UnitVector[3];
int g_Rotary1Tilted;
int g_Rotary2Tilted;
double g_Rotary1TiltCosSin[2] = {1.0, 0.0};
double g_Rotary2TiltCosSin[2] = {1.0, 0.0};
int g_Rotary1ByVector;
int g_Rotary2ByVector;
double g_Rotary1Vector[3] = {1.0, 0.0, 0.0};
double g_Rotary2Vector[3] = {0.0, 0.0, 1.0};
double g_RotaryAxisFrame[4] = {1.0, 0.0, 1.0, 0.0};
int g_Rotary1Reversed;
int g_Rotary2Reversed;

char g_MachineAxisLetters[3] = {'X', 'Y', 'Z'};
char g_Rotary1Letter = ' ';
char g_Rotary2Letter = ' ';
int g_Rotary1Direction = 1;
int g_Rotary2Direction = 1;

int g_TableType;
int g_Table2Type;
int g_HeadType;
int g_Head1Type;
int g_Head2Type;
double g_AngleHeadAngles[3];
double g_ToolDirection[3];
int g_ToolDirectionTilted;
double g_TablePosition[3];
double g_TableOffset[3];
double g_HeadPosition[3];
double g_HeadOffset[3];
double g_HeadPivot[3];
double g_TableViewPivot[3] = {0.0, 0.0, 0.0};
double g_ToolHolderOffset;

char g_BasicModelFiles[MAX_BASIC_MODEL_FILES][MACHINE_PATH_SIZE];
int g_BasicModelCount;
char g_ViceModelFiles[MAX_VICE_MODEL_FILES][MACHINE_PATH_SIZE];
int g_ViceModelCount;
int g_ViceOffsetCount;
char g_PartModelFiles[PART_MODEL_COUNT][MACHINE_PATH_SIZE];
PartModelOffsets g_PartModelOffsets;

unsigned char g_TableMovesAxis[3];
unsigned char g_TableMovedAxisCount;
StrokeLimitSet g_StrokeLimits[STROKE_LIMIT_SET_MAX];
int g_StrokeLimitSetCount;
int g_ViewCentreFromMtl = 0;
double g_ViewCentreFromMtlPoint[3] = {0.0, 0.0, 0.0};

namespace {

const double kPi = 3.141592653589793;

void SetVector3(double* v, double x, double y, double z)
{
    v[0] = x;
    v[1] = y;
    v[2] = z;
}

// Step 1 of a read: the tool-changer values, also reset when the file is missing.
void ResetToolChangerValues()
{
    g_AtcType = ATC_DIRECT;
    g_ToolWordSplit = 0;
    g_ToolChangeRouteSteps = 0;
    g_ToolChangeRouteCurrentStep = 0;
    g_ToolChangePositionGiven = 0;
    g_ViewCentreFromMtl = 0;
}

// The rotary letter's code reversal of the controller definition ("A-CODE", "B-CODE", "C-CODE").
void ResolveRotaryReversal(char letter, int* reversed)
{
    if (letter >= 'A' && letter <= 'C') *reversed = g_RotaryCodeReversed[letter - 'A'];
}

// Inclination of rotary axis k (0 or 1) by angle (degrees).
void InclineAxisByAngle(double angleDeg, int* tilted, double* tiltCosSin, double* unitVector,
                        int axis, const int* cross, double* frame)
{
    *tilted = 1;
    double t = angleDeg * kPi / 180.0;
    tiltCosSin[0] = std::cos(t);
    tiltCosSin[1] = std::sin(t);
    unitVector[axis] = tiltCosSin[0];
    unitVector[cross[0]] = tiltCosSin[1];
    frame[0] = 1.0;
    frame[1] = 0.0;
}

// Inclination of a rotary axis about X or Y given by a direction vector: elevation towards Z into the
// tilt pair, azimuth in the X-Y plane into the frame pair, and the unit vector turned by both.
void InclineAxisByVector(const double* v, int axis, double angleAsRead, double* tiltCosSin,
                         double* unitVector, double* frame)
{
    int other = 1 - axis;
    double horizontal = std::sqrt(v[0] * v[0] + v[1] * v[1]);
    double elevation = 0.0;
    if (horizontal > 0.0) {
        elevation = std::atan(v[2] / horizontal);
    } else if (v[2] != 0.0) {
        elevation = (v[2] > 0.0) ? kPi / 2.0 : -kPi / 2.0;   // a vertical axis
    } else {
        elevation = angleAsRead;
    }
    tiltCosSin[0] = std::cos(elevation);
    tiltCosSin[1] = std::sin(elevation);
    unitVector[axis] = tiltCosSin[0];
    unitVector[other] = 0.0;
    unitVector[2] = tiltCosSin[1];

    double c = v[axis], s = v[other], azimuth = 0.0;
    if (c == 0.0) azimuth = (s > 0.0) ? kPi / 2.0 : -kPi / 2.0;
    else if (c > 0.0) azimuth = std::atan(s / c);
    else azimuth = (s > 0.0) ? std::atan(s / c) + kPi : std::atan(s / c) - kPi;
    frame[0] = std::cos(azimuth);
    frame[1] = std::sin(azimuth);

    double u = unitVector[axis], w = unitVector[other];
    unitVector[other] = w * frame[0] + u * frame[1];
    unitVector[axis] = u * frame[0] - w * frame[1];
}

// Steps 10 and 11: the inclination of the rotary axes by angle or by vector.
void DeriveRotaryFrames(const MachineReadState& state)
{
    if (state.axisAngle[0] != 0.0) {
        InclineAxisByAngle(state.axisAngle[0], &g_Rotary1Tilted, g_Rotary1TiltCosSin, g_Rotary1UnitVector,
                           g_Rotary1Axis, g_Rotary1CrossAxes, &g_RotaryAxisFrame[0]);
    } else if (state.axisAngle[1] != 0.0) {
        InclineAxisByAngle(state.axisAngle[1], &g_Rotary2Tilted, g_Rotary2TiltCosSin, g_Rotary2UnitVector,
                           g_Rotary2Axis, g_Rotary2CrossAxes, &g_RotaryAxisFrame[2]);
    }
    // Only an axis about X or Y can be given by a vector; a vector for an axis about Z is ignored.
    if (g_Rotary1ByVector && g_Rotary1Axis == 2) g_Rotary1ByVector = 0;
    if (g_Rotary2ByVector && g_Rotary2Axis == 2) g_Rotary2ByVector = 0;
    if (g_Rotary1ByVector) {
        InclineAxisByVector(g_Rotary1Vector, g_Rotary1Axis, state.axisAngle[0], g_Rotary1TiltCosSin,
                            g_Rotary1UnitVector, &g_RotaryAxisFrame[0]);
    } else if (g_Rotary2ByVector) {
        InclineAxisByVector(g_Rotary2Vector, g_Rotary2Axis, state.axisAngle[1], g_Rotary2TiltCosSin,
                            g_Rotary2UnitVector, &g_RotaryAxisFrame[2]);
    }
}

// Step 12: the spindle direction from the angle head or from TOOL DIRECTION (made a unit vector).
void DeriveToolDirection()
{
    if (g_AngleHeadAngles[0] != 0.0 || g_AngleHeadAngles[1] != 0.0) {
        g_ToolDirectionTilted = 1;
        ComputeToolDirectionFromAngles(g_AngleHeadAngles[0], g_AngleHeadAngles[1], g_AngleHeadAngles[2],
                                       g_ToolDirection);
        return;
    }
    if (g_ToolDirection[0] == 0.0 && g_ToolDirection[1] == 0.0 && g_ToolDirection[2] == 1.0) return;
    g_ToolDirectionTilted = 1;
    double length = std::sqrt(g_ToolDirection[0] * g_ToolDirection[0] + g_ToolDirection[1] * g_ToolDirection[1] +
                              g_ToolDirection[2] * g_ToolDirection[2]);
    for (int k = 0; k < 3; ++k) g_ToolDirection[k] /= length;   // the reader takes no zero vector
    ComputeDirectionAngles(g_ToolDirection, &g_AngleHeadAngles[0], &g_AngleHeadAngles[2]);
}

// Step 6: the kept stroke lines whose letter names a rotary axis.
void ApplyRotaryStrokeLines(const MachineReadState& state)
{
    for (int k = 0; k < state.rotaryStrokeCount; ++k) {
        const PendingStrokeLine& line = state.rotaryStrokes[k];
        int axis = -1;
        if (line.letter == g_Rotary1Letter) axis = AXIS_ROTARY1;
        else if (line.letter == g_Rotary2Letter) axis = AXIS_ROTARY2;
        if (axis < 0) continue;
        g_StrokeLimits[0].range[2 * axis] = line.minimum;
        g_StrokeLimits[0].range[2 * axis + 1] = line.maximum;
        g_StrokeLimits[0].enabled[axis] = 1;
        if (g_StrokeLimitSetCount < 1) g_StrokeLimitSetCount = 1;
    }
}

// Steps 8 to 20 after the lines were read.
void FinishMachineRead(const MachineReadState& state)
{
    ApplyRotaryStrokeLines(state);
    ResolveRotaryReversal(g_Rotary1Letter, &g_Rotary1Reversed);
    ResolveRotaryReversal(g_Rotary2Letter, &g_Rotary2Reversed);
    if (g_MachineKind == MACHINE_TABLE) {
        for (int k = 0; k < 3; ++k) g_TableViewPivot[k] = g_TablePosition[k];
        g_TableViewPivot[g_Rotary2CrossAxes[0]] += g_TableOffset[g_Rotary2CrossAxes[0]];
        g_TableViewPivot[g_Rotary2CrossAxes[1]] += g_TableOffset[g_Rotary2CrossAxes[1]];
    }
    DeriveRotaryFrames(state);
    DeriveToolDirection();
    // Vices beyond the last "VICE MODEL OFFSET" line take the last offset given; they are loaded
    // with it, so this comes before the loading.
    if (g_ViceModelCount > 0 && g_ViceOffsetCount > 0 && g_ViceOffsetCount < g_ViceModelCount) {
        const double* last = g_PartModelOffsets.vice[g_ViceOffsetCount - 1];
        for (int k = g_ViceOffsetCount; k < g_ViceModelCount && k < MAX_VICE_MODEL_FILES; ++k) {
            for (int j = 0; j < 3; ++j) g_PartModelOffsets.vice[k][j] = last[j];
        }
    }
    LoadAllMachineModels();
    if (g_DialectHeidenhain) g_AtcType = ATC_DIRECT;
    if (g_ToolChangePositionGiven) ParseToolChangeRoute(state.routeText);
    g_TableMovedAxisCount =
        static_cast<unsigned char>(g_TableMovesAxis[0] + g_TableMovesAxis[1] + g_TableMovesAxis[2]);
    UpdateWorkCoordinateMatrix();
    UpdateActiveWorkCoordinate();
    if (g_MachineKind == MACHINE_HEAD) {
        for (int k = 0; k < 3; ++k) g_HeadPivot[k] = g_HeadPosition[k] + g_HeadOffset[k];
    }
}

}  // namespace

void ResetMachineDefinition()
{
    g_AxisDirection = AXIS_DIRECTION_NONE;
    g_MachineKind = MACHINE_NONE;
    g_Rotary1Axis = 0;
    g_Rotary1CrossAxes[0] = 1;
    g_Rotary1CrossAxes[1] = 2;
    g_Rotary2Axis = 2;
    g_Rotary2CrossAxes[0] = 0;
    g_Rotary2CrossAxes[1] = 1;
    // The unit vectors follow the reset axes, so an inclination never builds on an earlier file's axis.
    SetVector3(g_Rotary1UnitVector, 1.0, 0.0, 0.0);
    SetVector3(g_Rotary2UnitVector, 0.0, 0.0, 1.0);
    g_Rotary1Tilted = 0;
    g_Rotary2Tilted = 0;
    g_Rotary1ByVector = 0;
    g_Rotary2ByVector = 0;
    g_TableType = TABLE_TYPE_PLANE;
    g_Table2Type = TABLE_TYPE_CIRCLE;
    g_HeadType = HEAD_TYPE_PRESENT;
    g_Head1Type = HEAD_TYPE_PRESENT;
    g_Head2Type = HEAD_TYPE_PRESENT;
    SetVector3(g_AngleHeadAngles, 0.0, 0.0, 0.0);
    SetVector3(g_ToolDirection, 0.0, 0.0, 1.0);
    g_ToolDirectionTilted = 0;
    SetVector3(g_TablePosition, 0.0, 0.0, 0.0);
    SetVector3(g_TableOffset, 0.0, 0.0, 0.0);
    SetVector3(g_HeadPosition, 0.0, 0.0, 0.0);
    SetVector3(g_HeadOffset, 0.0, 0.0, 0.0);
    SetVector3(g_HeadPivot, 0.0, 0.0, 0.0);
    g_ToolHolderOffset = 0.0;
    for (int k = 0; k < 3; ++k) g_TableMovesAxis[k] = 0;
    g_TableMovedAxisCount = 0;
    for (int s = 0; s < STROKE_LIMIT_SET_MAX; ++s) {
        for (int a = 0; a < MACHINE_AXIS_COUNT; ++a) g_StrokeLimits[s].enabled[a] = 0;
    }
    g_StrokeLimitSetCount = 0;
    g_OvertravelAxis = -1;
}

void ReadMachineFile(int resetUserVice)
{
    ResetToolChangerValues();
    FileTime time = {0, 0};
    if (GetFileLastWriteTime(g_MachineFilePath, &time)) g_MachineFileTime = time;
    else ClearFileTime(&g_MachineFileTime);

    FILE* file = OpenFile(g_MachineFilePath, "rb");
    if (file == nullptr) {
        g_MachineFileStatus = -1;
        return;
    }
    ResetMachineDefinition();
    g_MachineFileStatus = 1;
    FreeMachineModels();
    ResetMachineModels(resetUserVice);

    MachineReadState state;
    std::memset(&state, 0, sizeof state);
    char line[1024];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        ReadMachineLine(line, &state);
    }
    std::fclose(file);
    FinishMachineRead(state);
    // The axis direction, the parts and their files may have changed: every machine list is redrawn.
    g_RebuildViewIndicator = g_RebuildAxisTriad = g_RebuildMachineBasicModelsList = g_RebuildViceModelsList = 1;
    g_RebuildHeadPartLists = g_RebuildHead1PartList = g_RebuildHead2PartList = 1;
    g_RebuildTablePartLists = g_RebuildTable1PartList = g_RebuildTable2PartList = 1;
}

namespace {
// The program start values of the values above are the reset values: their definitions leave them
// to this call, so each default is written once.
[[maybe_unused]] const int kStartValuesSet = (ResetMachineDefinition(), 1);
}  // namespace
