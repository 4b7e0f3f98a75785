// The block-end stage's shared routines; for now the per-axis scaling of a coordinate about the
// scaling centre.
#include "nc/block_end_position.h"

#include "machine_setup/controller_definition.h"
#include "nc/interpreter_state.h"

void ScaleAxisValue(int axis, double* value)
{
    if (value == nullptr || axis < 0 || axis > 2 || !g_ScaleEffect[axis]) return;
    const double factor = g_ScalingUniform ? g_ScaleFactorP : g_ScaleFactor[axis];
    const double centre = g_ScalingCentre[axis];
    *value = centre + (*value - centre) * factor;
}
