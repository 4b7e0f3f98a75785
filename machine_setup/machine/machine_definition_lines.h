// One line of the machine definition file: the keyword table and the values each keyword fills.
// Used by ReadMachineFile only; the read state holds what is applied after the last line.
#pragma once

constexpr int MAX_PENDING_ROTARY_STROKES = 8;
constexpr int ROUTE_TEXT_SIZE = 11;   // the first ten characters of TOOL CHANGE ROUTE

// A "STROKE RANGE(" line whose letter is none of the machine X, Y, Z letters.
struct PendingStrokeLine {
    char letter;
    double minimum;
    double maximum;
};

// Values that exist only during one read.
struct MachineReadState {
    char routeText[ROUTE_TEXT_SIZE];   // TOOL CHANGE ROUTE text
    double axisAngle[2];               // AXIS1 ANGLE, AXIS2 ANGLE (degrees)
    PendingStrokeLine rotaryStrokes[MAX_PENDING_ROTARY_STROKES];
    int rotaryStrokeCount;
};

// Handles one line (NUL-terminated, line end included or not) by the first keyword it starts with.
void ReadMachineLine(const char* line, MachineReadState* state);
