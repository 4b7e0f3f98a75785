// Machine set-ups for the kinematics tests: a clean machine definition of a given kind and axes with
// the tool lengths, the controller switches and the interpreter modes the kinematics read all neutral.
#pragma once
#include <cmath>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/tools/tool_profile.h"
#include "nc/interpreter_state.h"
#include "machine_setup/machine_setup_state.h"

inline void SetRotaryAxisForTest(int rotary, int axis)
{
    int* value = rotary == 0 ? &g_Rotary1Axis : &g_Rotary2Axis;
    int* cross = rotary == 0 ? g_Rotary1CrossAxes : g_Rotary2CrossAxes;
    *value = axis;
    cross[0] = (axis + 1) % 3;
    cross[1] = (axis + 2) % 3;
}

// axis indices: 0 A (X), 1 B (Y), 2 C (Z).
inline void SetUpMachineForTest(int kind, int axis1, int axis2, int sign1 = 1, int sign2 = 1)
{
    ResetMachineDefinition();
    g_MachineKind = kind;
    SetRotaryAxisForTest(0, axis1);
    SetRotaryAxisForTest(1, axis2);
    g_Rotary1Direction = sign1;
    g_Rotary2Direction = sign2;
    g_Rotary1Letter = static_cast<char>('A' + axis1);
    g_Rotary2Letter = static_cast<char>('A' + axis2);
    for (int k = 0; k < 2; ++k) {
        g_Rotary1TiltCosSin[k] = k == 0 ? 1.0 : 0.0;
        g_Rotary2TiltCosSin[k] = k == 0 ? 1.0 : 0.0;
    }
    for (int k = 0; k < 4; ++k) g_RotaryAxisFrame[k] = (k % 2 == 0) ? 1.0 : 0.0;
    g_ToolLength = 0.0;
    g_CurrentToolLength = 0.0f;
    g_ToolLengthOffset = 0.0;
    g_ToolLengthCompOn = 0;
    g_DialectHeidenhain = 0;
    g_DialectSiemens = 0;
    g_AngleDecisionFanuc2 = 0;
    g_Rotary1Shortest = 0;
    g_Rotary2Shortest = 0;
    g_IncrementalMode = 0;
    g_PlaneSpatialSequence = 0;
    g_RotaryFollowMode = 0;
    g_RotaryFollowState = 0;
    g_ToolCentreMode = 0;
    g_MotionKind = 0;
    g_MachineCoordinateBlock = 0;
    g_ReferenceReturnPhase = 0;
    g_LastGCode = 0;
    g_PolarInterpolationOn = 0;
    g_CylindricalInterpolationOn = 0;
    g_AutomaticToolOffset = 0;
    g_RotaryAxesMoving = 0;
    g_RotaryDisplayAngles[0] = 0.0;
    g_RotaryDisplayAngles[1] = 0.0;
    for (int k = 0; k < AXIS_POSITION_COUNT; ++k) g_ActiveWorkOffset.axis[k] = 0.0;
}

// Rotary 1 or 2 inclined from its axis towards its first cross axis by angleDeg.
inline void InclineRotaryForTest(int rotary, double angleDeg)
{
    double t = angleDeg * 3.141592653589793 / 180.0;
    double* cs = rotary == 0 ? g_Rotary1TiltCosSin : g_Rotary2TiltCosSin;
    cs[0] = std::cos(t);
    cs[1] = std::sin(t);
    (rotary == 0 ? g_Rotary1Tilted : g_Rotary2Tilted) = 1;
}

// Rotary 1 or 2 (about X or Y) given by elevation and azimuth (degrees).
inline void SetRotaryVectorForTest(int rotary, double elevationDeg, double azimuthDeg)
{
    double e = elevationDeg * 3.141592653589793 / 180.0, a = azimuthDeg * 3.141592653589793 / 180.0;
    double* cs = rotary == 0 ? g_Rotary1TiltCosSin : g_Rotary2TiltCosSin;
    cs[0] = std::cos(e);
    cs[1] = std::sin(e);
    g_RotaryAxisFrame[2 * rotary] = std::cos(a);
    g_RotaryAxisFrame[2 * rotary + 1] = std::sin(a);
    (rotary == 0 ? g_Rotary1ByVector : g_Rotary2ByVector) = 1;
}

inline void SetVectorForTest(double* v, double x, double y, double z)
{
    v[0] = x;
    v[1] = y;
    v[2] = z;
}
