// Part-model transforms: each moving part's model point carried through the linear axes and turned
// about the rotary axes around their pivots, in the frame where head and table meet; the placement
// of a work on a turned table and its file output; the display offsets of the table's linear axes.
#include "machine_setup/machine/part_transforms.h"

#include <cstdio>
#include <string>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/machine/rotation.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/os/files.h"
#include "work_model/matrix.h"
#include "work_model/work_model.h"

double g_TableAxisOffsets[3] = {0.0, 0.0, 0.0};

namespace {

// Turn about rotary axis 1 at the current angle, in the form the machine gives it.
void TurnRotary1(const double* point, double* result)
{
    RotatePointAboutRotaryAxes(point, g_RotaryCosSin[0], g_RotaryCosSin[1], result);
}

// Turn about rotary axis 2 at the current angle, plain, inclined or vector-given.
void TurnRotary2(const double* point, double* result)
{
    double c = g_RotaryCosSin[2], s = g_RotaryCosSin[3];
    int axis = g_Rotary2Axis;
    if (g_Rotary2Tilted) {
        RotateAboutTwoAxes(point, result, g_Rotary2TiltCosSin[1], g_Rotary2TiltCosSin[0], s, c, axis,
                           g_Rotary2CrossAxes);
    } else if (g_Rotary2ByVector && (axis == 0 || axis == 1)) {
        RotateInclinedPair(point, result, g_Rotary2TiltCosSin[1], g_Rotary2TiltCosSin[0], g_RotaryAxisFrame[3],
                           g_RotaryAxisFrame[2], s, c, axis, g_Rotary2CrossAxes);
    } else {
        RotatePointInAxisPlane(point, c, s, result);
    }
}

// Plain turn about rotary axis 2 (in place) around the pivot, in the two components across the axis.
void TurnRotary2AboutPivot(double* v, const double* pivot)
{
    int i = g_Rotary2CrossAxes[0], j = g_Rotary2CrossAxes[1];
    v[i] -= pivot[i];
    v[j] -= pivot[j];
    double turned[3];
    RotatePointInAxisPlane(v, g_RotaryCosSin[2], g_RotaryCosSin[3], turned);
    v[0] = turned[0];
    v[1] = turned[1];
    v[2] = turned[2];
    v[i] += pivot[i];
    v[j] += pivot[j];
}

}  // namespace

void TransformHead1ModelPoint(const double machinePosition[3], const double point[3], double result[3])
{
    double a[3], turned[3];
    for (int k = 0; k < 3; ++k) a[k] = point[k] - g_HeadPosition[k];
    TurnRotary1(a, turned);
    for (int k = 0; k < 3; ++k) result[k] = turned[k] + g_HeadPosition[k] + machinePosition[k];
    TurnRotary2AboutPivot(result, g_TablePosition);
}

void TransformHead1ModelPointOnHead(const double machinePosition[3], const double point[3], double result[3])
{
    double a[3], turned[3];
    for (int k = 0; k < 3; ++k) a[k] = point[k] - g_HeadPivot[k];
    if (g_Rotary1Tilted) {
        RotateAboutTwoAxes(a, turned, g_Rotary1TiltCosSin[1], g_Rotary1TiltCosSin[0], g_RotaryCosSin[1],
                           g_RotaryCosSin[0], g_Rotary1Axis, g_Rotary1CrossAxes);
    } else {
        TurnRotary1(a, turned);
    }
    for (int k = 0; k < 3; ++k) result[k] = turned[k] + g_HeadPivot[k] + machinePosition[k];
}

void TransformHead2ModelPoint(const double machinePosition[3], const double point[3], double result[3])
{
    double a[3], turned[3];
    for (int k = 0; k < 3; ++k) a[k] = point[k] - g_HeadPosition[k];
    TurnRotary2(a, turned);
    for (int k = 0; k < 3; ++k) a[k] = turned[k] - g_HeadOffset[k];
    TurnRotary1(a, turned);
    for (int k = 0; k < 3; ++k) result[k] = turned[k] + g_HeadPivot[k] + machinePosition[k];
}

void TransformHeadModelPoint(const double machinePosition[3], const double point[3], double result[3])
{
    for (int k = 0; k < 3; ++k) result[k] = point[k] + machinePosition[k];
    TurnRotary2AboutPivot(result, g_TablePosition);
}

void TransformHeadModelPointOnTable(const double machinePosition[3], const double point[3], double result[3])
{
    double q[3], turned[3];
    for (int k = 0; k < 3; ++k) q[k] = point[k] + machinePosition[k] - g_TablePosition[k];
    TurnRotary1(q, turned);
    TurnRotary2AboutPivot(turned, g_TableOffset);
    for (int k = 0; k < 3; ++k) result[k] = turned[k] + g_TablePosition[k];
}

void TransformHolderModelPoint(const double point[3], double result[3])
{
    double turned[3];
    if (g_MachineKind == MACHINE_HEAD) {
        TurnRotary2(point, turned);
        if (g_Rotary1Tilted) {
            RotateAboutTwoAxes(turned, result, g_Rotary1TiltCosSin[1], g_Rotary1TiltCosSin[0], g_RotaryCosSin[1],
                               g_RotaryCosSin[0], g_Rotary1Axis, g_Rotary1CrossAxes);
        } else {
            TurnRotary1(turned, result);
        }
        return;
    }
    TurnRotary1(point, turned);
    RotatePointInAxisPlane(turned, g_RotaryCosSin[2], g_RotaryCosSin[3], result);
}

void ComputeTablePlacementMatrix(WorkModel* work)
{
    double* rotation = work->rotation;
    double* translation = work->translation;
    double s1 = 0.0, c1 = 1.0, s2 = 0.0, c2 = 1.0;
    ComputeAxisAngleSinCos(g_ActiveWorkOffset.axis[AXIS_ROTARY1], g_Rotary1Direction, &s1, &c1);
    ComputeAxisAngleSinCos(g_ActiveWorkOffset.axis[AXIS_ROTARY2], g_Rotary2Direction, &s2, &c2);
    double turned[3], twice[3];
    if (g_MachineKind == MACHINE_TABLE) {
        for (int row = 0; row < 3; ++row) {
            RotatePointAboutRotaryAxes(rotation + 3 * row, c1, s1, turned);
            RotatePointInAxisPlane(turned, c2, s2, rotation + 3 * row);
        }
        double t[3];
        for (int k = 0; k < 3; ++k) t[k] = translation[k] - g_TablePosition[k];
        RotatePointAboutRotaryAxes(t, c1, s1, turned);
        for (int k = 0; k < 3; ++k) turned[k] -= g_TableOffset[k];
        RotatePointInAxisPlane(turned, c2, s2, twice);
        for (int k = 0; k < 3; ++k) translation[k] = twice[k] + g_TableOffset[k] + g_TablePosition[k];
    } else if (g_MachineKind == MACHINE_MIX) {
        for (int row = 0; row < 3; ++row) {
            double source[3] = {rotation[3 * row], rotation[3 * row + 1], rotation[3 * row + 2]};
            RotatePointInAxisPlane(source, c2, s2, rotation + 3 * row);
        }
        double t[3];
        for (int k = 0; k < 3; ++k) t[k] = translation[k] - g_TablePosition[k];
        RotatePointInAxisPlane(t, c2, s2, turned);
        for (int k = 0; k < 3; ++k) translation[k] = turned[k] + g_TablePosition[k];
    }
    InvertMatrix3(rotation, work->inverseRotation);
    for (int k = 0; k < 3; ++k) work->inverseTranslation[k] = -translation[k];
    UpdateWorkHasPlacement(work);
}

int WritePlacementMatrix(const double placement[12])
{
    if (!g_CheckMatrix) return 0;
    std::string text;
    char number[400];
    for (int k = 0; k < 12; ++k) {
        std::snprintf(number, sizeof number, "%f\n", placement[k]);
        text += number;
    }
    return WriteFileThroughTemporary("matrix.txt", text.data(), text.size());
}

void UpdateTableAxisOffsets()
{
    for (int k = 0; k < 3; ++k) {
        g_TableAxisOffsets[k] = g_TableMovesAxis[k] ? -g_MachinePosition.axis[k] : 0.0;
    }
}
