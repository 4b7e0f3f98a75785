// The five-axis position record of the interpreter, the kinematics and the settings: control points,
// machine positions, move targets and work offsets all have this form.
#pragma once

// Index of an element of an AxisPosition.
enum AxisPositionIndex {
    AXIS_X = 0,
    AXIS_Y = 1,
    AXIS_Z = 2,
    AXIS_ROTARY1 = 3,
    AXIS_ROTARY2 = 4,
    AXIS_POSITION_COUNT = 5
};

// X, Y, Z in millimetres, rotary axis 1 and rotary axis 2 in degrees, indexed by AxisPositionIndex.
struct AxisPosition {
    double axis[AXIS_POSITION_COUNT];
};
