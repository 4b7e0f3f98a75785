// The camera of the 3D view: the view transform against the projection of points, the axis-direction
// tables against the GL rotations, panning back and forth, drags, wheel steps, presets, the table
// transform and the display-list numbering.
#include <gtest/gtest.h>

#include <cmath>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/machine_setup_state.h"
#include "platform/ui/gl_calls.h"
#include "tests/view/gl_recorder.h"
#include "view/display_lists.h"
#include "view/view_camera.h"
#include "view/view_window.h"

namespace {

const int kAxisCodes[] = {0, 1, 2, 3, 10, 11, 12, 13, 20, 21, 22, 23, 30, 31, 32, 33, 40, 41, 42, 43};

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetViewCamera();
        ResetViewWindowState();
        ResetMachineDefinition();
        g_MachinePosition = AxisPosition{};
        g_AxisDirection = 0;
        g_Perspective = 0;
        g_ViewAngleA = 315.0;
        g_ViewAngleB = 45.0;
        UpdateViewRotationCosSin();
        SetViewAreaSize(800, 600);
        g_ViewAspect = 800.0 / 600.0;
        InstallGlRecorder();
    }
    void TearDown() override
    {
        SetUiGlCalls(nullptr);
        g_Perspective = 1;
        g_ViewAngleA = 315.0;
        g_ViewAngleB = 45.0;
        UpdateViewRotationCosSin();
    }
    void SetAngles(double a, double b)
    {
        g_ViewAngleA = a;
        g_ViewAngleB = b;
        UpdateViewRotationCosSin();
    }
};

// The orthographic pixel of a model point through the recorded view transform and glOrtho.
void ProjectThroughMatrix(const double* model, double* depth, double* x, double* y)
{
    GetGlRecorder().calls.clear();
    gl_recorder::Identity(GetGlRecorder().matrix);
    ApplyViewTransform();
    const double scene[3] = {model[0] / g_SceneScale, model[1] / g_SceneScale, model[2] / g_SceneScale};
    double eye[3];
    ApplyRecordedMatrix(scene, eye);
    *depth = eye[2] - g_ViewEyeZ;
    *x = g_ViewHalfWidth + g_ViewHalfHeight * eye[0];
    *y = g_ViewHalfHeight * (1.0 - eye[1]);
}

TEST_F(CameraTest, ProjectionAgreesWithTheViewTransformForEveryAxisDirection)
{
    g_SceneScale = 250.0;
    g_ViewZoom = 1.7;
    g_ViewCentre[0] = 0.1;
    g_ViewCentre[1] = -0.2;
    g_ViewCentre[2] = 0.05;
    const double angles[][2] = {{315.0, 45.0}, {30.0, 200.0}, {90.0, 0.0}, {123.0, 271.0}};
    const double points[][3] = {{10.0, 20.0, 30.0}, {-120.0, 35.0, -60.0}, {0.0, 0.0, 0.0}};
    for (int code : kAxisCodes) {
        g_AxisDirection = code;
        for (const auto& angle : angles) {
            SetAngles(angle[0], angle[1]);
            for (const auto& p : points) {
                double depth = 0, x = 0, y = 0, expectedDepth = 0, ex = 0, ey = 0;
                ProjectToScreen(p, &depth, &x, &y);
                ProjectThroughMatrix(p, &expectedDepth, &ex, &ey);
                EXPECT_NEAR(x, ex, 1e-9) << "code " << code << " A " << angle[0];
                EXPECT_NEAR(y, ey, 1e-9) << "code " << code << " A " << angle[0];
                EXPECT_NEAR(depth, expectedDepth, 1e-12) << "code " << code;
            }
        }
    }
}

TEST_F(CameraTest, AxisDirectionTablesAreTheRotationAndItsInverse)
{
    const double p[3] = {1.0, 2.0, 3.0};
    for (int code : kAxisCodes) {
        g_AxisDirection = code;
        InstallGlRecorder();
        RotateSceneForAxisDirection();
        double rotated[3];
        ApplyRecordedMatrix(p, rotated);
        double x = p[0], y = p[1], z = p[2];
        PermuteAxesForView(&x, &y, &z);
        EXPECT_NEAR(x, rotated[0], 1e-12) << code;
        EXPECT_NEAR(y, rotated[1], 1e-12) << code;
        EXPECT_NEAR(z, rotated[2], 1e-12) << code;
        MapAxisDirection(&x, &y, &z);
        EXPECT_EQ(x, p[0]) << code;
        EXPECT_EQ(y, p[1]) << code;
        EXPECT_EQ(z, p[2]) << code;
    }
    // Rows of the table, and a code without a row leaves points alone.
    g_AxisDirection = 13;
    double x = 1, y = 2, z = 3;
    PermuteAxesForView(&x, &y, &z);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, -1);
    EXPECT_EQ(z, -2);
    g_AxisDirection = 50;
    x = 1; y = 2; z = 3;
    MapAxisDirection(&x, &y, &z);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(z, 3);
}

TEST_F(CameraTest, CentreProjectsToTheMiddleAndAxisCodeElevenMapsXToY)
{
    g_ViewCentre[0] = 0.3;
    g_ViewCentre[1] = 0.1;
    for (double zoom : {0.5, 1.0, 3.0}) {
        g_ViewZoom = zoom;
        SetAngles(17.0, 123.0);
        const double centre[3] = {0.3 * g_SceneScale, 0.1 * g_SceneScale, 0.0};
        double depth = 0, x = 0, y = 0;
        ProjectToScreen(centre, &depth, &x, &y);
        EXPECT_NEAR(x, g_ViewHalfWidth, 1e-9);
        EXPECT_NEAR(y, g_ViewHalfHeight, 1e-9);
    }
    g_ViewCentre[0] = g_ViewCentre[1] = 0.0;
    const double unitX[3] = {1.0, 0.0, 0.0};
    const double unitY[3] = {0.0, 1.0, 0.0};
    double d1 = 0, x1 = 0, y1 = 0, d2 = 0, x2 = 0, y2 = 0;
    g_AxisDirection = 11;
    ProjectToScreen(unitX, &d1, &x1, &y1);
    g_AxisDirection = 0;
    ProjectToScreen(unitY, &d2, &x2, &y2);
    EXPECT_DOUBLE_EQ(x1, x2);
    EXPECT_DOUBLE_EQ(y1, y2);
}

// Panning by a pixel step moves a point of the centre's screen plane by that step, in both
// projections; unprojecting that point's pixel brings it back to the middle.
TEST_F(CameraTest, PanAndUnprojectRoundTrip)
{
    for (int perspective : {0, 1}) {
        for (int code : {0, 12, 31}) {
            g_Perspective = perspective;
            g_AxisDirection = code;
            SetAngles(200.0, 60.0);
            g_ViewZoom = 2.0;
            g_ViewCentre[0] = 0.2;
            g_ViewCentre[1] = 0.4;
            g_ViewCentre[2] = -0.1;
            double moved[3] = {g_ViewCentre[0], g_ViewCentre[1], g_ViewCentre[2]};
            PanView(37.0, -21.0, moved);
            const double model[3] = {moved[0] * g_SceneScale, moved[1] * g_SceneScale, moved[2] * g_SceneScale};
            double depth = 0, x = 0, y = 0;
            ProjectToScreen(model, &depth, &x, &y);
            EXPECT_NEAR(depth, 0.0, 1e-12);
            EXPECT_NEAR(x, g_ViewHalfWidth + 37.0, 1e-9) << perspective << " " << code;
            EXPECT_NEAR(y, g_ViewHalfHeight + 21.0, 1e-9) << perspective << " " << code;
            EXPECT_EQ(0, UnprojectViewPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)), 1,
                                            g_ViewCentre));
            ProjectToScreen(model, &depth, &x, &y);
            EXPECT_NEAR(x, g_ViewHalfWidth, 1e-6);
            EXPECT_NEAR(y, g_ViewHalfHeight, 1e-6);
        }
    }
    // Without panning a miss changes nothing.
    const double before[3] = {g_ViewCentre[0], g_ViewCentre[1], g_ViewCentre[2]};
    EXPECT_EQ(0, UnprojectViewPoint(10, 10, 0, g_ViewCentre));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(before[k], g_ViewCentre[k]);
}

// The field-of-view tangent is there before any projection was set, so the focal length and panning
// are finite when the program starts with perspective off.
TEST_F(CameraTest, PanningWorksBeforeAnyPerspectiveProjection)
{
    ResetViewCamera();
    EXPECT_NEAR(g_TanHalfFov, std::tan(15.0 * 3.14159265358979323846 / 180.0), 1e-15);
    SetViewAreaSize(640, 480);
    EXPECT_TRUE(std::isfinite(g_ViewFocalPixels));
    EXPECT_GT(g_ViewPixelsPerUnit, 0.0);
    g_Perspective = 1;
    double centre[3] = {0.0, 0.0, 0.0};
    PanView(10.0, 0.0, centre);
    for (double c : centre) EXPECT_TRUE(std::isfinite(c));
    // A view of no size pans nothing rather than dividing by zero.
    SetViewAreaSize(0, 0);
    g_Perspective = 0;
    double still[3] = {0.0, 0.0, 0.0};
    PanView(10.0, 5.0, still);
    for (double c : still) EXPECT_EQ(c, 0.0);
}

TEST_F(CameraTest, WheelDeltasZoomByWholeSteps)
{
    struct Case { int delta; int steps; };
    const Case cases[] = {{240, 2}, {120, 1}, {60, 1}, {0, -1}, {-60, -1}, {-120, -1}, {-240, -2}, {360, 3}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.steps, ComputeWheelZoomSteps(c.delta, 0)) << c.delta;
        EXPECT_EQ(-c.steps, ComputeWheelZoomSteps(c.delta, 1)) << c.delta;
    }
    g_ViewZoom = 1.0;
    g_WheelZoomReverse = 0;
    HandleViewWheel(240);
    EXPECT_NEAR(g_ViewZoom, 1.21, 1e-12);
    g_WheelZoomReverse = 1;   // "WHEEL ZOOM" "REVERSE"
    HandleViewWheel(240);
    HandleViewWheel(-120);
    EXPECT_NEAR(g_ViewZoom, 1.1, 1e-12);
    g_WheelZoomReverse = 0;
    EXPECT_EQ(1, g_WheelZooming);
    g_ViewChanged = 0;
    ZoomViewBySteps(0);
    EXPECT_NEAR(g_ViewZoom, 1.1, 1e-12);
    EXPECT_EQ(1, g_ViewChanged);
}

TEST_F(CameraTest, DragStepsTurnZoomAndPan)
{
    g_ViewMouseMode = VIEW_MOUSE_ROTATE;
    // Less than 3 pixels in all does nothing and keeps the last point, so small moves add up.
    g_LastCursorPoint[0] = 100;
    g_LastCursorPoint[1] = 100;
    EXPECT_EQ(0, HandleViewMouseDrag(nullptr, 102, 100));
    EXPECT_EQ(100, g_LastCursorPoint[0]);
    EXPECT_DOUBLE_EQ(315.0, g_ViewAngleA);
    // 2 right, 1 down: horizontal; n = int(2 x 72 / 400 + 0.5) = 0, nothing.
    EXPECT_EQ(0, HandleViewMouseDrag(nullptr, 102, 101));
    // 6 right: n = int(6 x 72 / 400 + 0.5) = 1: A + 2.5.
    EXPECT_EQ(1, HandleViewMouseDrag(nullptr, 106, 100));
    EXPECT_DOUBLE_EQ(317.5, g_ViewAngleA);
    EXPECT_EQ(1, g_AutoRotateAxis);
    EXPECT_EQ(1, g_AutoRotateSteps);
    // 2 right, 2 down: vertical; with B = 200 a rightward drag lowers A.
    SetAngles(10.0, 200.0);
    g_LastCursorPoint[0] = g_LastCursorPoint[1] = 0;
    EXPECT_EQ(1, HandleViewMouseDrag(nullptr, 0, 25));   // n = -int(25 x 36 / 300 + 0.5) = -3
    EXPECT_DOUBLE_EQ(192.5, g_ViewAngleB);
    EXPECT_EQ(2, g_AutoRotateAxis);
    EXPECT_EQ(1, HandleViewMouseDrag(nullptr, 12, 25));  // n = int(12 x 72 / 400 + 0.5) = 2
    EXPECT_DOUBLE_EQ(5.0, g_ViewAngleA);
    // Angle wraps: 350 + 8 steps gives 10, 10 - 8 steps gives 350.
    SetAngles(350.0, 45.0);
    RotateViewBySteps(1, 8);
    EXPECT_DOUBLE_EQ(10.0, g_ViewAngleA);
    RotateViewBySteps(1, -8);
    EXPECT_DOUBLE_EQ(350.0, g_ViewAngleA);
    // Zoom: right zooms in; no auto-rotation after a zoom step.
    g_ViewMouseMode = VIEW_MOUSE_ZOOM;
    g_ViewZoom = 1.0;
    g_LastCursorPoint[0] = g_LastCursorPoint[1] = 0;
    EXPECT_EQ(1, HandleViewMouseDrag(nullptr, 40, 0));
    EXPECT_NEAR(g_ViewZoom, std::pow(1.1, 2.0), 1e-12);
    EXPECT_EQ(0u, g_LastDragTime);
    // Pan: the centre follows the mouse.
    g_ViewMouseMode = VIEW_MOUSE_PAN;
    g_ViewZoom = 1.0;
    SetAngles(0.0, 0.0);
    g_LastCursorPoint[0] = g_LastCursorPoint[1] = 0;
    EXPECT_EQ(1, HandleViewMouseDrag(nullptr, 30, 0));
    EXPECT_NEAR(g_ViewCentre[0], -30.0 / 300.0, 1e-12);
}

TEST_F(CameraTest, PresetsSetTheAnglesAndLatchedPresetsKeepTheZoom)
{
    SetAngles(100.0, 200.0);
    EXPECT_EQ(1, ApplyViewPreset(VIEW_PRESET_5, 0));   // B above 180: + 15
    EXPECT_DOUBLE_EQ(115.0, g_ViewAngleA);
    EXPECT_EQ(1, ApplyViewPreset(VIEW_PRESET_7, 1));
    EXPECT_DOUBLE_EQ(295.0, g_ViewAngleA);
    EXPECT_DOUBLE_EQ(20.0, g_ViewAngleB);
    EXPECT_EQ(1, ApplyViewPreset(VIEW_PRESET_8, 0));
    EXPECT_EQ(0, ApplyViewPreset(VIEW_PRESET_8, 0));    // already there: nothing
    g_ViewZoom = 3.0;
    g_ViewFitZoom = 1.5;
    g_ViewCtrlKeyDown = 1;
    EXPECT_EQ(1, ApplyViewPreset(VIEW_PRESET_8, 0));    // Ctrl restores the fit zoom
    EXPECT_DOUBLE_EQ(1.5, g_ViewZoom);
    EXPECT_EQ(0, g_ViewCtrlKeyDown);
}

TEST_F(CameraTest, TableTransformOnlyAddsOffsetsWhenTheAnglesAreZero)
{
    g_MachineKind = MACHINE_TABLE;
    g_TablePosition[0] = 5.0;
    g_TableAxisOffsets[0] = -7.0;
    g_TableAxisOffsets[1] = 2.0;
    const double p[3] = {1.0, 2.0, 3.0};
    double out[3];
    TransformByMachineKinematics(p, out);
    EXPECT_DOUBLE_EQ(-6.0, out[0]);
    EXPECT_DOUBLE_EQ(4.0, out[1]);
    EXPECT_DOUBLE_EQ(3.0, out[2]);
    g_ViewFollowsTableMove = 1;
    TransformByMachineKinematics(p, out);
    EXPECT_DOUBLE_EQ(1.0, out[0]);
    // A quarter turn of the second table about Z (cross axes X, Y) turns the point back by it.
    g_ViewFollowsTableMove = 0;
    g_TableAxisOffsets[0] = g_TableAxisOffsets[1] = 0.0;
    g_TablePosition[0] = 0.0;
    g_MachinePosition.axis[4] = 90.0;
    g_Rotary2Axis = 2;
    g_Rotary2CrossAxes[0] = 0;
    g_Rotary2CrossAxes[1] = 1;
    g_RotaryCosSin[0] = 1.0; g_RotaryCosSin[1] = 0.0;
    g_RotaryCosSin[2] = 0.0; g_RotaryCosSin[3] = 1.0;
    g_Rotary1CrossAxes[0] = 1;
    g_Rotary1CrossAxes[1] = 2;
    TransformByMachineKinematics(p, out);
    EXPECT_DOUBLE_EQ(2.0, out[0]);
    EXPECT_DOUBLE_EQ(-1.0, out[1]);
    EXPECT_DOUBLE_EQ(3.0, out[2]);
    g_MachinePosition.axis[4] = 0.0;
    g_RotaryCosSin[2] = 1.0; g_RotaryCosSin[3] = 0.0;
}

TEST(DisplayListScheme, WorkBlockNamesStayInsideTheReservation)
{
    EXPECT_EQ(35u, WorkBlockListName(1, 0, 0, 0));
    EXPECT_EQ(1u + 20000u + 34u + 5u + 2000u, WorkBlockListName(1, 1, 2, 5));
    const unsigned highest = WorkBlockListName(1, 19, 19, 998);
    EXPECT_EQ(1u + 19u * 20000u + 34u + 998u + 19000u, highest);
    EXPECT_LT(highest, 1u + static_cast<unsigned>(DISPLAY_LIST_RESERVATION));
    EXPECT_LT(static_cast<unsigned>(LIST_BASIC_MODEL), WorkBlockListName(1, 0, 0, 0));
}

}  // namespace
