// The block-end stage: the move handed to the drivers (g_NcMoveStart, g_NcMoveEnd, the arc centre of
// the move and the arc vectors) from the block's target through the offsets, the coordinate
// rotations, the OSP rotation and the programmable mirror; and the small geometric routines it shares
// with the block interpreter (rotations, scaled plane coordinates, per-axis scaling).
#pragma once

// Scales value (in/out) of axis 0, 1, 2 about g_ScalingCentre by g_ScaleFactorP (uniform scaling) or
// g_ScaleFactor[axis], when the axis's "SCALE EFFECT" is on. The caller applies it only while scaling
// is on. Other axis indices leave the value unchanged.
void ScaleAxisValue(int axis, double* value);

// The arc radius R under scaling: multiplied by the size of the factor of the plane's two axes when
// they are equal (an axis whose "SCALE EFFECT" is off has factor 1). Unchanged when scaling is off,
// in a G92 block, or when the two factors differ (a circle scaled so becomes an ellipse, which an arc
// cannot follow: the arc keeps the written radius through the scaled end point).
double ScaleArcRadius(double radius);

// The end-of-block step, once per motion after the motion was produced.
void FinishBlockPosition();

// Adds the head-tip or automatic tool offset to point (at least three doubles) in place.
void AddWorkOffsetsToPoint(double* point);

// Turns point (five or three doubles, by axis index) in place by one rotation level: axes is the
// level's axis triple (first, second, normal), c and s the cosine and sine, centre three doubles in
// the level's order. The first level's axis code decides between rotation about the centre (0) and
// rotation about the origin with the centre added afterwards.
void RotatePointInPlane(double* point, const int* axes, double c, double s, const double* centre);
void RotatePointInPlaneInverse(double* point, const int* axes, double c, double s, const double* centre);

// OSP rotation (g_OspRotationAngle) about a work-offset row origin (five doubles, by axis index).
void RotatePointAboutWorkOrigin(double* point, const int* axes, double c, double s, const double* origin);
void RotatePointAboutWorkOriginInverse(double* point, const int* axes, double c, double s,
                                       const double* origin);

// out[0..2] = point on the triple's first, second and normal axis; the first two scaled about the
// scaling centre while scaling is on, the block is not a G92 block and the axis's scale effect is on.
void GetScaledPlaneCoordinates(const int* axes, const double* point, double* out);
