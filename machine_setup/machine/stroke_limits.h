// Rotary angles and stroke limits: a computed angle brought onto the turn nearest the previous one and
// into its range, an interpolated angle wrapped into its range, and the search for the axis of a
// position that lies beyond its stroke over one or several stroke-range sets.
#pragma once

extern char g_OvertravelAxisLetter;   // letter of the last axis found beyond its stroke (caller's thread)

// Candidate (radians, in/out) moved by whole turns next to previousDeg and, when rangeEnabled, into
// [minDeg, maxDeg]. 1 with the candidate written; 0 with the candidate untouched when no turn fits.
int NormaliseRotaryAngle(double previousDeg, int rangeEnabled, double minDeg, double maxDeg, double* candidate);

// Adds or subtracts whole turns until angle (degrees, in/out) lies in [minDeg, maxDeg]: an angle
// above the range becomes the largest such value not above maxDeg, one below it the smallest not below
// minDeg, so a range narrower than one turn may leave it outside. Ends for every finite input. Returns
// 1, or 0 (angle unchanged) when the range is inverted or a value is not finite.
int WrapAngleIntoRange(double* angleDeg, double minDeg, double maxDeg);

// Largest magnitude of a stroke bound (mm or degrees) or a rotary angle (degrees) that the machine and
// controller definitions and the NC words accept; larger values are refused where they are read.
constexpr double AXIS_VALUE_LIMIT = 1e7;
// 1 when value is finite and within AXIS_VALUE_LIMIT, else 0.
int IsSaneAxisValue(double value);

// Rotary angles (radians, in/out) checked against the enabled rotary ranges of set 0, each allowed a
// one-turn shift. 1 inside, 0 outside.
int CheckRotaryStrokeLimits(double* angle1, double* angle2);

// Index 0 to 4 of the first axis beyond its set-0 stroke by more than 1e-5, or -1; sets the letter.
int FindAxisOvertravel(const double* position);

// Index of the axis to report over all sets in use, or -1 when the position lies inside some set.
int FindNearestAxisOvertravel(const double* position);
