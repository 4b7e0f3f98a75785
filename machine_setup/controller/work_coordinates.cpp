// The active work coordinate system: entry 0 plus the selected entry of the work offset table, turned
// with the rotary table on TABLE and MIX machines, and the conversions between machine and work
// coordinates (the interpreter's tilted working plane applied inside them).
#include "machine_setup/controller/work_coordinates.h"

#include <cstring>

#include "platform/ui/repaint_requests.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/rotation.h"
#include "machine_setup/machine_setup_state.h"
#include "work_model/geometry.h"
#include "work_model/matrix.h"

WorkOffsetEntry g_ActiveWorkCoordEntry = {};
double g_WorkAxisMarks[9] = {};
double g_ActiveWorkOrigin[3] = {};
double g_ActiveWorkRotation[9] = {};
double g_ActiveWorkInverseRotation[9] = {};
int g_WorkCoordRotated = 0;
int g_WorkOriginShifted = 0;

namespace {

// Plain turn of v (in place) about rotary axis 2 by (c, s).
void TurnAboutRotary2(double* v, double c, double s)
{
    int k = g_Rotary2Axis;
    int i = g_Rotary2CrossAxes[0];
    int j = g_Rotary2CrossAxes[1];
    double t[3] = {v[0], v[1], v[2]};
    v[k] = t[k];
    v[i] = c * t[i] - s * t[j];
    v[j] = s * t[i] + c * t[j];
}

// Turns the point p (in place) as the table turns a work coordinate system: about rotary axis 1,
// then about rotary axis 2 around its offset from the table pivot. p is relative to the pivot.
void TurnWithTable(double* p, double c1, double s1, double c2, double s2)
{
    double turned[3];
    RotatePointAboutRotaryAxes(p, c1, s1, turned);
    int i2 = g_Rotary2CrossAxes[0];
    int j2 = g_Rotary2CrossAxes[1];
    turned[i2] -= g_TableOffset[i2];
    turned[j2] -= g_TableOffset[j2];
    TurnAboutRotary2(turned, c2, s2);
    turned[i2] += g_TableOffset[i2];
    turned[j2] += g_TableOffset[j2];
    for (int k = 0; k < 3; ++k) p[k] = turned[k];
}

}  // namespace

void BuildRotaryTransform(const WorkOffsetEntry* entry, double originOut[3], double rotationOut[9],
                          double markScale, double marksOut[9])
{
    const double* e = entry->axis;
    double s1, c1, s2, c2;
    ComputeAxisAngleSinCos(e[3], g_Rotary1Direction, &s1, &c1);
    ComputeAxisAngleSinCos(e[4], g_Rotary2Direction, &s2, &c2);
    for (int k = 0; k < 9; ++k) rotationOut[k] = (k % 4 == 0) ? 1.0 : 0.0;
    for (int k = 0; k < 3; ++k) originOut[k] = e[k];

    if (g_MachineKind == MACHINE_TABLE && (e[3] != 0.0 || e[4] != 0.0)) {
        double p[3];
        for (int k = 0; k < 3; ++k) p[k] = e[k] - g_TablePosition[k];
        TurnWithTable(p, c1, s1, c2, s2);
        for (int k = 0; k < 3; ++k) originOut[k] = p[k] + g_TablePosition[k];
        for (int row = 0; row < 3; ++row) {
            double* r = &rotationOut[3 * row];
            double turned[3];
            RotatePointAboutRotaryAxes(r, c1, s1, turned);
            TurnAboutRotary2(turned, c2, s2);
            for (int k = 0; k < 3; ++k) r[k] = turned[k];
        }
    } else if (g_MachineKind == MACHINE_MIX && e[4] != 0.0) {
        double p[3];
        for (int k = 0; k < 3; ++k) p[k] = e[k] - g_TablePosition[k];
        TurnAboutRotary2(p, c2, s2);
        for (int k = 0; k < 3; ++k) originOut[k] = p[k] + g_TablePosition[k];
        for (int row = 0; row < 3; ++row) TurnAboutRotary2(&rotationOut[3 * row], c2, s2);
    }
    for (int k = 0; k < 9; ++k) marksOut[k] = markScale * rotationOut[k];
}

void UpdateActiveWorkCoordinate()
{
    int index = g_WorkOffsetIndex;
    if (index < 0 || index >= WORK_OFFSET_COUNT) index = 0;  // keep within the table
    g_ActiveWorkCoordEntry = g_WorkOffsets[0];
    if (index != 0) {
        for (int k = 0; k < 5; ++k) g_ActiveWorkCoordEntry.axis[k] += g_WorkOffsets[index].axis[k];
    }
    g_WorkOriginShifted = 0;
    g_WorkCoordRotated = 0;
    BuildRotaryTransform(&g_ActiveWorkCoordEntry, g_ActiveWorkOrigin, g_ActiveWorkRotation, 0.2, g_WorkAxisMarks);
    const double* e = g_ActiveWorkCoordEntry.axis;
    if ((g_MachineKind == MACHINE_TABLE && (e[3] != 0.0 || e[4] != 0.0)) ||
        (g_MachineKind == MACHINE_MIX && e[4] != 0.0)) {
        g_WorkCoordRotated = 1;
    }
    if (g_ActiveWorkOrigin[0] != 0.0 || g_ActiveWorkOrigin[1] != 0.0 || g_ActiveWorkOrigin[2] != 0.0) {
        g_WorkOriginShifted = 1;
    }
    InvertMatrix3(g_ActiveWorkRotation, g_ActiveWorkInverseRotation);
    g_RebuildAxisTriad = 1;
}

ImportFrame GetActiveImportFrame(int inWorkCoordinates)
{
    ImportFrame frame;
    frame.inWorkCoordinates = inWorkCoordinates;
    frame.workRotated = g_WorkCoordRotated;
    std::memcpy(frame.rotation, g_ActiveWorkRotation, sizeof frame.rotation);
    std::memcpy(frame.origin, g_ActiveWorkOrigin, sizeof frame.origin);
    return frame;
}

void ApplyCurrentWorkOffset()
{
    int index = g_WorkOffsetIndex;
    if (index < 0 || index >= WORK_OFFSET_COUNT) index = 0;  // keep within the table
    g_ActiveWorkOffset = g_WorkOffsets[0];
    if (index != 0) {
        for (int k = 0; k < 5; ++k) g_ActiveWorkOffset.axis[k] += g_WorkOffsets[index].axis[k];
    }
    UpdateActiveWorkCoordinate();
}

void UpdateWorkCoordinateMatrix()
{
    g_RebuildAxisTriad = 1;
}

void ToWorkCoordinates(const double machinePoint[3], double workPointOut[3])
{
    double d[3];
    for (int k = 0; k < 3; ++k) d[k] = machinePoint[k] - g_ActiveWorkOrigin[k];
    if (g_ActiveWorkCoordEntry.axis[3] == 0.0 && g_ActiveWorkCoordEntry.axis[4] == 0.0) {
        for (int k = 0; k < 3; ++k) workPointOut[k] = d[k];
    } else {
        RotateVector(g_ActiveWorkInverseRotation, d, workPointOut);
    }
}

void MachineToWorkCoordinates(const double machinePoint[3], double workPointOut[3])
{
    double t[3];
    if (g_WorkCoordRotated == 1) {
        double d[3];
        for (int k = 0; k < 3; ++k) d[k] = machinePoint[k] - g_ActiveWorkOrigin[k];
        RotateVector(g_ActiveWorkInverseRotation, d, t);
        for (int k = 0; k < 3; ++k) t[k] -= g_TiltedPlaneOrigin[k];
    } else {
        for (int k = 0; k < 3; ++k) {
            t[k] = machinePoint[k] - g_TiltedPlaneOrigin[k] - g_ActiveWorkOffset.axis[k];
        }
    }
    RotateVector(g_TiltedPlaneInverse, t, workPointOut);
}

void WorkToMachineCoordinates(const double workPoint[3], double machinePointOut[3])
{
    double v[3];
    RotateVector(g_TiltedPlaneMatrix, workPoint, v);
    for (int k = 0; k < 3; ++k) v[k] += g_TiltedPlaneOrigin[k];
    if (g_WorkCoordRotated == 1) {
        RotateVector(g_ActiveWorkRotation, v, machinePointOut);
        for (int k = 0; k < 3; ++k) machinePointOut[k] += g_ActiveWorkOrigin[k];
    } else {
        for (int k = 0; k < 3; ++k) machinePointOut[k] = v[k] + g_ActiveWorkOffset.axis[k];
    }
}

void SubtractWorkOffset5(const double position[5], double resultOut[5])
{
    for (int k = 0; k < 5; ++k) resultOut[k] = position[k] - g_ActiveWorkOffset.axis[k];
}

void AddWorkOffset5(const double position[5], double resultOut[5])
{
    for (int k = 0; k < 5; ++k) resultOut[k] = position[k] + g_ActiveWorkOffset.axis[k];
}
