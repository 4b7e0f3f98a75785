// STL solids cast into ray families: every ray of a family collects the coordinates along its axis
// where it crosses a facet (the whole solid, cleaned afterwards by dexel_cleaning.h), or one
// interval per ray from the box face to the surface seen from one side; the projected
// point-in-triangle tests and the normal snap the casting uses; the smoothing of single rays that
// missed the surface.
#pragma once
#include <cstdint>
#include "work_model/work_model.h"

// One family as the conversions address it: ax0 and ax1 run across the rays, axR along them; the
// ray through nodes i0, i1 is dexel i0 + i1 * n0. Orders (0, 1, 2) Z-rays, (1, 2, 0) X-rays,
// (2, 0, 1) Y-rays.
struct StlRayFamily {
    int ax0, ax1, axR;
    double origin[3];        // coordinates of node (0, 0, 0)
    double pitch;
    int n0;                  // node count along ax0
    int last0, last1, lastR; // last node index along ax0, ax1, axR
    double* maxCorner;       // the model's corners (3 doubles each); component axR is updated
    double* minCorner;
    int rayCount;
    int capacity;
    int32_t* counts;
    double* ends;
    uint8_t* attributes;
    int32_t* values;
};
// The current level's family of work along axR, with ax0 and ax1 across it.
void DescribeRayFamily(WorkModel* work, int ax0, int ax1, int axR, StlRayFamily* family);

// Casts every facet of the file into the family: each crossing is appended to its ray, unsorted,
// with attribute bits 1/2 (the ray lies on the facet box's smallest/largest ax0) and 4/8 (the same
// for ax1) and value 0; the corners along axR become the extent of the crossings. Vertices are
// placed by the armed import transform (basic models) or else by the scale and mirror options.
// Returns 1; STL_DATA_ERROR (-20) when the file cannot be read or a ray would collect more than
// DEXEL_MAX_ENDS crossings; WORK_GRID_NO_MEMORY when a long ray's arrays cannot be obtained.
int ConvertStlToDexels(int kind, const char* path, const StlRayFamily* family);
// Gives every ray one interval: for sign +1 from minCorner[axR] up to the highest crossing, for
// sign -1 from the lowest crossing up to maxCorner[axR] (an empty interval where nothing is met).
// Returns 1 or STL_DATA_ERROR.
int ConvertStlToDexelsOneDirection(int kind, const char* path, int sign, const StlRayFamily* family);

// Exact test of point (its ax0, ax1 coordinates) against the projected triangle (9 doubles): 0
// outside, 1-3 on vertex 0-2, 4-6 strictly inside edge v0v1, v1v2, v2v0 lying on the point's
// axis-parallel line, 7 inside or on another edge.
int CheckTriangleAnglesAlt(const double triangle[9], int ax0, int ax1, const double point[3]);
// Tolerant test: 0 outside, 1 within 0.01 of a vertex, 2 on an edge, 3 inside.
int CheckTriangleAngles(const double triangle[9], int ax0, int ax1, const double point[3]);
// The plane direction of a facet with 45-degree cases kept as whole numbers ((3, 0, 3) gives
// (1, 0, 1)); other directions made unit; (0, 0, 0) leaves destination unchanged.
void SnapNormalDirection(const double source[3], double destination[3]);
// Repairs single rays of a one-direction family whose looked-at end (second for a positive code,
// first otherwise) lies at level while both neighbours lie more than 0.1 beyond it: first along
// ax0 row by row, then along ax1 column by column.
void SmoothLevelSpikes(int axisCode, int count0, int count1, int capacity, double* ends,
                       double level);
