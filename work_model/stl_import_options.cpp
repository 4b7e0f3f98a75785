// The STL import options; their start values are the reset values.
#include "work_model/stl_import_options.h"

int g_StlScaleEnabled[3];
double g_StlScaleFactors[3];
double g_StlScaleCentre[3];
int g_StlMirrorEnabled[3];
double g_StlMirrorPlanes[3];

void ResetStlImportOptions()
{
    for (int axis = 0; axis < 3; ++axis) {
        g_StlScaleEnabled[axis] = 0;
        g_StlScaleFactors[axis] = 1.0;
        g_StlScaleCentre[axis] = 0.0;
        g_StlMirrorEnabled[axis] = 0;
        g_StlMirrorPlanes[axis] = 0.0;
    }
}

namespace {
// The program start values are the reset values: the definitions leave them to this call, so each
// default is written once.
[[maybe_unused]] const int kStartValuesSet = (ResetStlImportOptions(), 1);
}  // namespace
