// The STL import options with their start values.
#include "work_model/stl_import_options.h"

int g_StlScaleEnabled[3] = {0, 0, 0};
double g_StlScaleFactors[3] = {1.0, 1.0, 1.0};
double g_StlScaleCentre[3] = {0.0, 0.0, 0.0};
int g_StlMirrorEnabled[3] = {0, 0, 0};
double g_StlMirrorPlanes[3] = {0.0, 0.0, 0.0};

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
