// Canned cycle expansion: the active drilling cycle and the hole position of the block become a list
// of queued motion points along the plane normal (positioning, approach, pecks, bottom, return).
#pragma once

// Appends the points of the active cycle for the block's hole (and its repetitions) to the look-ahead
// queue from index 0. fill 0 only counts them into g_LookaheadCount; fill 1 also stores kinds, normal
// values and in-plane values (the first LOOKAHEAD_POINT_COUNT points also as g_LookaheadPoints). Both
// passes give the same points; neither goes beyond the arrays' size (the counting pass beyond
// LOOKAHEAD_MAX_CAPACITY). Repetitions leave the last hole in g_NcTargetPosition and the one before it
// in g_NcPreviousPosition.
void ExpandCannedCycle(int fill);

// Counts the points, grows the look-ahead arrays when they are too small (count + 10 entries, at most
// LOOKAHEAD_MAX_CAPACITY) and fills them. Returns the number of points queued.
int QueueCannedCyclePoints();
