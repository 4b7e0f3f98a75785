// Picking in the 3D view: the work point under a pixel, the tool-path point under the cursor, the pick
// mark and the measure polyline. Stand-in (picking_standin.cpp) until picking is built: nothing is hit.
#pragma once

// Pick mark (UI thread): 2 after a pick (list 28 is rebuilt), 1 once built, 0 removed.
extern int g_PickMarkState;
extern double g_PickedPoint[3];        // model millimetres

// The nearest work surface point under pixel x, y (client coordinates) into point (model mm).
// Returns 1 on a hit, 0 otherwise.
int PickNearestWorkPoint(int x, int y, double* point);
