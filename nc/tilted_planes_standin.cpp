// Stand-ins for the tilted-plane routines until they are built: each does nothing (ComputeToolAxisVector
// gives the spindle axis +Z).
#include "nc/tilted_planes.h"

void BuildSpatialPlane() {}
void BuildCycle800Plane() {}
void ComputeToolAxisVector(const double*, double* out)
{
    out[0] = 0.0;
    out[1] = 0.0;
    out[2] = 1.0;
}
void RotateWorkOffsetsWithTable(const double*, int) {}
void RotateWorkOffsetByRotaryAngles(int, double, double, double, double, double, int) {}
void SetAllPositionsFromStartPoint() {}
