// The import transform of a basic-model load and the scale and mirror options of STL works.
#include "work_model/stl_import_placement.h"

#include <cstring>

#include "work_model/geometry.h"
#include "work_model/matrix.h"

ImportTransform g_ImportTransform;

namespace {

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

bool IsIdentityRotation(const double m[9])
{
    for (int k = 0; k < 9; k++)
        if (m[k] != kIdentity[k]) return false;
    return true;
}

// 1 when the placement equals the frame's rotation and origin number by number.
bool IsPlacedAtFrame(const double placement[12], const ImportFrame* frame)
{
    for (int k = 0; k < 9; k++)
        if (placement[k] != frame->rotation[k]) return false;
    for (int k = 0; k < 3; k++)
        if (placement[9 + k] != frame->origin[k]) return false;
    return true;
}

}  // namespace

int SetupImportTransform(const double placement[12], const ImportFrame* frame)
{
    ImportTransform* t = &g_ImportTransform;
    t->frame = *frame;
    t->active = 1;
    t->transform = 1;
    t->translate = 0;
    t->rotate = 0;
    if (frame->inWorkCoordinates == 1 && IsPlacedAtFrame(placement, frame)) {
        t->transform = 0;
        return frame->inWorkCoordinates;
    }
    if (!IsIdentityRotation(placement)) {
        t->rotate = 1;
        InvertMatrix3(placement, t->rotation);
    } else {
        std::memcpy(t->rotation, placement, sizeof t->rotation);
    }
    if (placement[9] == 0.0 && placement[10] == 0.0 && placement[11] == 0.0) {
        for (int k = 0; k < 3; k++) t->translation[k] = 0.0;
        if (t->rotate == 0 && frame->inWorkCoordinates == 0) t->transform = 0;
    } else {
        t->translate = 1;
        for (int k = 0; k < 3; k++) t->translation[k] = -placement[9 + k];
    }
    return frame->inWorkCoordinates;
}

void ResetImportTransformFlags()
{
    g_ImportTransform.active = 0;
    g_ImportTransform.translate = 0;
    g_ImportTransform.rotate = 0;
    g_ImportTransform.transform = 0;
}

void TransformImportPoint(double point[3])
{
    const ImportTransform* t = &g_ImportTransform;
    if (t->frame.inWorkCoordinates == 1) {
        if (t->frame.workRotated == 1) RotateVector(t->frame.rotation, point, point);
        AddVectors(point, t->frame.origin, point);
    }
    if (t->translate == 1) AddVectors(point, t->translation, point);
    if (t->rotate == 1) RotateVector(t->rotation, point, point);
}

void RotateImportNormal(double direction[3])
{
    const ImportTransform* t = &g_ImportTransform;
    if (t->frame.inWorkCoordinates == 1 && t->frame.workRotated == 1)
        RotateVector(t->frame.rotation, direction, direction);
    RotateVector(t->rotation, direction, direction);
}

int IsImportScaleMirrorOn()
{
    for (int k = 0; k < 3; k++)
        if (g_StlScaleEnabled[k] || g_StlMirrorEnabled[k]) return 1;
    return 0;
}

void ApplyImportScaleMirror(double point[3])
{
    for (int k = 0; k < 3; k++)
        if (g_StlScaleEnabled[k])
            point[k] = (point[k] - g_StlScaleCentre[k]) * g_StlScaleFactors[k] + g_StlScaleCentre[k];
    for (int k = 0; k < 3; k++)
        if (g_StlMirrorEnabled[k]) point[k] = 2.0 * g_StlMirrorPlanes[k] - point[k];
}

void MirrorImportNormal(double direction[3])
{
    const int* on = g_StlScaleEnabled;
    const double* f = g_StlScaleFactors;
    const bool allOff = !on[0] && !on[1] && !on[2];
    const bool allEqual = on[0] && on[1] && on[2] && f[0] == f[1] && f[1] == f[2];
    if (!allOff && !allEqual) {
        for (int k = 0; k < 3; k++) direction[k] = 0.0;
        return;
    }
    for (int k = 0; k < 3; k++)
        if (g_StlMirrorEnabled[k]) direction[k] = -direction[k];
}
