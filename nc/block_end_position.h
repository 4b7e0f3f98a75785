// The block-end stage of the interpreter: the move handed to the drivers and the small geometric
// routines it shares with the block interpreter.
#pragma once

// Scales value (in/out) of axis 0, 1, 2 about g_ScalingCentre by g_ScaleFactorP (uniform scaling) or
// g_ScaleFactor[axis], when the axis's "SCALE EFFECT" is on. The caller applies it only while scaling
// is on. Other axis indices leave the value unchanged.
void ScaleAxisValue(int axis, double* value);
