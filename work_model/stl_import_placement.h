// The placement of STL vertices on import: the transform that carries a basic model's file
// coordinates into the work's frame (armed for one load), and the user's per-axis scale and mirror
// options that an STL work honours instead.
#pragma once
#include "work_model/stl_import_options.h"   // the user's scale and mirror options

// The frame in which file coordinates are given when they are read in work coordinates: the active
// work coordinate system, handed in by the caller (it belongs to the machine set-up).
struct ImportFrame {
    int inWorkCoordinates;  // 1: file coordinates are work coordinates ("IMPORT COORDINATE" WORK)
    int workRotated;        // 1: the active work coordinate system is turned
    double rotation[9];     // its rotation, row by row
    double origin[3];       // its origin in machine coordinates
};

// The import transform of one basic-model load (UI thread; one load at a time).
struct ImportTransform {
    int active;             // 1 from SetupImportTransform until ResetImportTransformFlags
    int translate;          // 1: translation is added
    int rotate;             // 1: rotation is applied
    int transform;          // 1: points change at all; 0: the file frame is the model's frame
    double rotation[9];     // inverse of the placement's rotation (the identity when that is one)
    double translation[3];  // minus the placement's translation
    ImportFrame frame;      // the frame given to SetupImportTransform
};
extern ImportTransform g_ImportTransform;

// The user's scale and mirror options for STL works (g_StlScaleEnabled, ...): stl_import_options.h.

// Arms g_ImportTransform for a model placed by placement (rotation rows, translation) whose file
// coordinates are given in frame. Returns frame->inWorkCoordinates.
int SetupImportTransform(const double placement[12], const ImportFrame* frame);
// Disarms the transform (active, translate, rotate, transform 0; the numbers stay).
void ResetImportTransformFlags();
// File frame to the model's frame, in place.
void TransformImportPoint(double point[3]);
// Turns a direction like TransformImportPoint, without translations, in place.
void RotateImportNormal(double direction[3]);
// 1 when any scale or mirror switch is on.
int IsImportScaleMirrorOn();
// Scales, then mirrors, the point's coordinates by the options, in place.
void ApplyImportScaleMirror(double point[3]);
// Mirrors a direction by the options; a non-uniform scaling makes it (0, 0, 0) (its user recomputes
// it from the vertices).
void MirrorImportNormal(double direction[3]);
