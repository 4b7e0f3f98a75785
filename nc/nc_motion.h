// The one record a driver of the interpreter (the simulation thread, the NC data check, the path
// drawing) reads per motion, and the call that hands it out. Everything a driver needs to draw, check
// or simulate a move is here, so drivers need not read the interpreter's program-wide state.
#pragma once

// One motion, in the frame of the move handed to the drivers (program target plus tool-length or
// head-tip offset, turned by the coordinate rotations and reflected by the mirror).
struct NcMotion {
    int kind;            // MotionKind: 0 rapid, 1 linear, 2 clockwise arc, 3 counter-clockwise arc,
                         // 132 one NURBS span
    double start[3];     // X, Y, Z where the move starts (mm)
    double end[3];       // X, Y, Z where the move ends (mm)
    double centre[3];    // arc centre X, Y, Z (kinds 2 and 3; 0 otherwise)
    int plane;           // plane code of the move: 17, 18, 19, negative when seen reversed
    double feed;         // feed (mm/min; the rapid feed applies to kind 0)
    int line;            // line number of the block the motion comes from (counted in its level)
    int tool;            // tool number in the spindle
    double rotary[2];    // target angles of rotary axis 1 and 2 (degrees)
    double rotaryStart[2];  // their angles at the start of the move
    int last;            // 1 when nothing follows: the program ended or an NC alarm stopped it
    int alarm;           // NC alarm code set by this call (0 none)
};

// Runs the interpreter until it hands out its next motion or ends, and fills *motion.
// Returns 1 when *motion holds a move (its end differs from its start on any axis, or it is an arc); 0 when
// the call handed out no move (a line before the program start, an end-of-record line, a block that moves
// nothing). The driver calls again while motion->last is 0. The driver has opened the NC file (or the
// reader plug-in) and reset the interpreter before the first call (see nc/motion_delivery.h).
int FetchNcMotion(NcMotion* motion);
