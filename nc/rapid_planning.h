// Rapid-move planning: a rapid move split into the intermediate positions the machine's rapid
// behaviour gives (equal-speed axes that arrive one after the other, or axes with their own
// acceleration profile).
#pragma once
#include "machine_setup/machine/axis_position.h"

// Rapid modes (the controller's g_G00Mode).
enum RapidModeCode { RAPID_STRAIGHT = 0, RAPID_EQUAL_SPEED = 1, RAPID_ACCELERATED = 2, RAPID_NO_PLANNING = 9 };

// Plans the rapid from start to end in mode. *count becomes the number of steps (0: not split); mode 1
// writes the steps (at most 3) into steps; mode 2 keeps the plan for PositionOnAcceleratedMove.
void PlanRapidMove(int mode, const AxisPosition* start, const AxisPosition* end, int* count, AxisPosition* steps);
// Position of step k (1 to count) of the accelerated plan; step count is the end point exactly.
void PositionOnAcceleratedMove(int count, int k, AxisPosition* position);
