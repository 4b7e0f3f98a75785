// The import transform of a basic-model load and the scale and mirror options of STL works.
#include "work_model/stl_import_placement.h"

#include <gtest/gtest.h>

namespace {

const double kIdentityPlacement[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};

ImportFrame MakeFrame(int inWork, int rotated, const double rotation[9], const double origin[3])
{
    ImportFrame frame;
    frame.inWorkCoordinates = inWork;
    frame.workRotated = rotated;
    for (int k = 0; k < 9; k++) frame.rotation[k] = rotation[k];
    for (int k = 0; k < 3; k++) frame.origin[k] = origin[k];
    return frame;
}

TEST(ImportPlacement, TransformFlags)
{
    const double origin[3] = {5, 6, 7};
    // In work coordinates with the model placed exactly at the work frame: nothing changes.
    ImportFrame work = MakeFrame(1, 0, kIdentityPlacement, origin);
    const double atFrame[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 6, 7};
    EXPECT_EQ(SetupImportTransform(atFrame, &work), 1);
    EXPECT_EQ(g_ImportTransform.active, 1);
    EXPECT_EQ(g_ImportTransform.transform, 0);
    // In machine coordinates with the identity placement: nothing changes either.
    const double none[3] = {0, 0, 0};
    ImportFrame machine = MakeFrame(0, 0, kIdentityPlacement, none);
    EXPECT_EQ(SetupImportTransform(kIdentityPlacement, &machine), 0);
    EXPECT_EQ(g_ImportTransform.transform, 0);
    ResetImportTransformFlags();
    EXPECT_EQ(g_ImportTransform.active, 0);
}

TEST(ImportPlacement, QuarterTurnAndShift)
{
    const double none[3] = {0, 0, 0};
    ImportFrame machine = MakeFrame(0, 0, kIdentityPlacement, none);
    const double placement[12] = {0, 1, 0, -1, 0, 0, 0, 0, 1, 10, 0, 0};
    SetupImportTransform(placement, &machine);
    EXPECT_EQ(g_ImportTransform.rotate, 1);
    EXPECT_EQ(g_ImportTransform.translate, 1);
    const double inverse[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    for (int k = 0; k < 9; k++) EXPECT_EQ(g_ImportTransform.rotation[k], inverse[k]) << k;
    EXPECT_EQ(g_ImportTransform.translation[0], -10);
    double p[3] = {10, 5, 0};
    TransformImportPoint(p);
    EXPECT_EQ(p[0], 5);
    EXPECT_EQ(p[1], 0);
    double n[3] = {0, 1, 0};
    RotateImportNormal(n);
    EXPECT_EQ(n[0], 1);
    // Work coordinates of a turned frame are first carried into machine coordinates.
    const double quarter[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1}, origin[3] = {1, 2, 3};
    ImportFrame work = MakeFrame(1, 1, quarter, origin);
    SetupImportTransform(kIdentityPlacement, &work);
    EXPECT_EQ(g_ImportTransform.transform, 1);
    double q[3] = {1, 0, 0};
    TransformImportPoint(q);
    EXPECT_EQ(q[0], 1);
    EXPECT_EQ(q[1], 3);
    EXPECT_EQ(q[2], 3);
    ResetImportTransformFlags();
}

TEST(ImportPlacement, ScaleAndMirror)
{
    g_StlScaleEnabled[0] = 1;
    g_StlScaleFactors[0] = 2;
    g_StlScaleCentre[0] = 10;
    g_StlMirrorEnabled[0] = 1;
    g_StlMirrorPlanes[0] = 0;
    EXPECT_EQ(IsImportScaleMirrorOn(), 1);
    double p[3] = {15, 1, 2};
    ApplyImportScaleMirror(p);
    EXPECT_EQ(p[0], -20);
    EXPECT_EQ(p[1], 1);
    // Scaling of x alone is not uniform: the normal is dropped for recomputation.
    double n[3] = {1, 0, 0};
    MirrorImportNormal(n);
    EXPECT_EQ(n[0], 0);
    g_StlScaleEnabled[1] = g_StlScaleEnabled[2] = 1;
    g_StlScaleFactors[1] = g_StlScaleFactors[2] = 2;
    double m[3] = {1, 2, 3};
    MirrorImportNormal(m);
    EXPECT_EQ(m[0], -1);
    EXPECT_EQ(m[1], 2);
    for (int k = 0; k < 3; k++) {
        g_StlScaleEnabled[k] = g_StlMirrorEnabled[k] = 0;
        g_StlScaleFactors[k] = 1;
        g_StlScaleCentre[k] = 0;
    }
    EXPECT_EQ(IsImportScaleMirrorOn(), 0);
}

}  // namespace
