// Cutter radius compensation geometry: the compensated element of a block, the intersection of two
// compensated elements in the working plane, the points around an outer corner, and the gouge list.
#pragma once
#include "nc/motion_delivery.h"

extern NcBlockSnapshot g_CompensationRecord;   // the compensated element of the last block

// The compensated element of the block just interpreted. mode 0: start-up element (compensation was
// just switched on), 1: running, 2: cancel element. Writes g_CompensationRecord; NC alarm 6 for an arc
// whose compensated radius turns negative under "CHECK REVERSE ARC" YES.
void ComputeRadiusCompensation(int mode);

// A path element in the plane given by axes (first, second, normal axis index).
struct PathElement {
    int kind;           // MotionKind: 2 and 3 arcs, 0 and 1 lines
    double start[3];    // X, Y, Z
    double end[3];
    double centre[3];
    double radius;
};

struct PathIntersection {
    int count;                // 0, 1 or 2
    int code;                 // 0 normal, -1 outside an element, -2 no intersection can exist
    double onA[2];            // parameters along A (0 start, 1 end)
    double onB[2];            // parameters along B
    double pointA[2][3];      // the points as on A (normal coordinate interpolated along A)
    double pointB[2][3];      // and as on B
};

void IntersectPathElements(const PathElement* a, const PathElement* b, const int* axes, PathIntersection* out);
void IntersectLineLine(const PathElement* a, const PathElement* b, const int* axes, PathIntersection* out);
// The line is always the first element; lineFirst 0 stores the results as (arc, line).
void IntersectLineArc(const PathElement* line, const PathElement* arc, const int* axes, int lineFirst,
                      PathIntersection* out);
void IntersectArcArc(const PathElement* a, const PathElement* b, const int* axes, PathIntersection* out);

// Angle parameter (0 to 1 over the sweep) of point on the arc element.
double ArcParameter(const PathElement* arc, const double* point, const int* axes);

// The points that go around an outer corner from start to end about corner (radius the absolute
// compensation value, kind 2 or 3 as the corner arc would turn): 1 to 3 points, the last one end.
// Returns the count.
int ComputeArcEnvelopePoints(int kind, const double* start, const double* end, const double* corner, double radius,
                             const int* axes, double points[3][3]);

// Records a gouge (an inner corner whose compensated elements do not meet) for the NC line just read:
// sets g_RadiusOffsetAlarm and, with "CHECK RADIUS OFFSET" LIST or OPEN, writes it to "alarm.txt"
// (created with its header at the first gouge of a run).
void ListRadiusOffsetGouge(const char* line);
