// The camera of the 3D view: matrices, projection of points, drags, wheel steps, presets, the
// rotation centre and the table-state transform of model points.
#include "view/view_camera.h"

#include <cmath>
#include <cstdlib>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/machine/rotation.h"
#include "machine_setup/settings/display_settings.h"
#include "platform/os/clock.h"
#include "platform/ui/cursor_clipboard.h"
#include "platform/ui/event_core.h"
#include "platform/ui/gl_calls.h"
#include "platform/ui/repaint_requests.h"
#include "platform/ui/shell_services.h"
#include "view/picking.h"
#include "view/view_window.h"
#include "work_model/work_model.h"

namespace {
const double kPi = 3.14159265358979323846;
const double kStartTanHalfFov = std::tan(30.0 / 360.0 * kPi);
}  // namespace

double g_ViewZoom = 1.0;
double g_ViewFitZoom = 1.0;
double g_ViewCentre[3] = {0.0, 0.0, 0.0};
const double g_ViewEyeZ = -4.0;
double g_SceneScale = 500.0;
const double g_FieldOfView = 30.0;
// Set from the start (not only by the perspective projection), so that picking and panning work when
// the program starts with perspective off.
double g_TanHalfFov = kStartTanHalfFov;
unsigned char g_ViewFollowsTableMove = 0;
unsigned char g_ViewFollowsTableRotation = 0;

UiRect g_ViewRect = {0, 0, 0, 0};
int g_ViewportWidth = 0;
int g_ViewportHeight = 0;
double g_ViewHalfWidth = 0.0;
double g_ViewHalfHeight = 0.0;
double g_ViewFocalPixels = 0.0;
double g_ViewPixelsPerUnit = 0.0;
double g_RotaryMarkScales[10] = {};

int g_ViewChanged = 0;
int g_LastCursorPoint[2] = {0, 0};
int g_AutoRotateSteps = 0;
int g_AutoRotateAxis = 1;
uint64_t g_LastDragTime = 0;

void ResetViewCamera()
{
    g_ViewZoom = g_ViewFitZoom = 1.0;
    for (double& c : g_ViewCentre) c = 0.0;
    g_SceneScale = 500.0;
    g_TanHalfFov = kStartTanHalfFov;
    g_ViewFollowsTableMove = g_ViewFollowsTableRotation = 0;
    g_ViewChanged = 0;
    g_LastCursorPoint[0] = g_LastCursorPoint[1] = 0;
    g_AutoRotateSteps = 0;
    g_AutoRotateAxis = 1;
    g_LastDragTime = 0;
    g_RebuildViewIndicator = 1;
    for (double& o : g_TableAxisOffsets) o = 0.0;
}

void SetViewAreaSize(int width, int height)
{
    g_ViewportWidth = width > 0 ? width : 0;
    g_ViewportHeight = height > 0 ? height : 0;
    const double w = g_ViewportWidth > 0 ? g_ViewportWidth : 1.0;
    const double h = g_ViewportHeight > 0 ? g_ViewportHeight : 1.0;
    const double factors[10] = {80.0 / w - 1.0, 80.0 / h - 1.0, 7.0 / w, 7.0 / h, 8.0 / w,
                                8.0 / h,        10.0 / w,       10.0 / h, 60.0 / w, 60.0 / h};
    for (int i = 0; i < 10; ++i) g_RotaryMarkScales[i] = factors[i];
    g_RebuildViewIndicator = 1;
    g_ViewHalfHeight = g_ViewportHeight / 2.0;
    g_ViewHalfWidth = g_ViewportWidth / 2.0;
    g_ViewFocalPixels = g_ViewHalfHeight / g_TanHalfFov;
    g_ViewPixelsPerUnit = g_ViewFocalPixels / std::fabs(g_ViewEyeZ);
}

// --- Matrices ----------------------------------------------------------------------------------------

void SetProjection()
{
    const double aspect = g_ViewAspect > 0.0 ? g_ViewAspect : 1.0;
    if (g_Perspective) {
        GluPerspective(g_FieldOfView, aspect, 0.01, 15.0);
    } else {
        GlOrtho(-aspect, aspect, -1.0, 1.0, 0.01, 15.0);
    }
    g_TanHalfFov = std::tan(g_FieldOfView / 360.0 * kPi);
}

void RotateSceneForAxisDirection()
{
    const int code = g_AxisDirection;
    if (code <= 0 || code >= 50) return;
    const int group = code / 10;
    const int turn = code % 10;
    if (group == 1) GlRotated(90.0, 0.0, 1.0, 0.0);
    if (group == 2) GlRotated(-90.0, 0.0, 1.0, 0.0);
    if (group == 3) GlRotated(90.0, 1.0, 0.0, 0.0);
    if (group == 4) GlRotated(-90.0, 1.0, 0.0, 0.0);
    if (turn == 1) GlRotated(90.0, 0.0, 0.0, 1.0);
    if (turn == 2) GlRotated(180.0, 0.0, 0.0, 1.0);
    if (turn == 3) GlRotated(-90.0, 0.0, 0.0, 1.0);
}

void ApplyViewTransform()
{
    const double* c = g_ViewCentre;
    const double z = g_ViewZoom;
    GlTranslated(-c[0] * z, -c[1] * z, g_ViewEyeZ - c[2] * z);
    GlScaled(z, z, z);
    GlTranslated(c[0], c[1], c[2]);
    GlRotated(-g_ViewAngleB, 1.0, 0.0, 0.0);
    GlRotated(g_ViewAngleA, 0.0, 0.0, 1.0);
    if (g_AxisDirection > 0) RotateSceneForAxisDirection();
    GlTranslated(-c[0], -c[1], -c[2]);
}

// --- Axis-direction mapping --------------------------------------------------------------------------

namespace {

// One row of the mapping: each output coordinate is sign x input coordinate index.
struct AxisMapRow {
    int code;
    int source[3];   // input index of output x, y, z
    int sign[3];
};

// PermuteAxesForView by code (x 0, y 1, z 2).
const AxisMapRow kPermuteRows[] = {
    {1, {1, 0, 2}, {-1, 1, 1}},   {2, {0, 1, 2}, {-1, -1, 1}},  {3, {1, 0, 2}, {1, -1, 1}},
    {10, {2, 1, 0}, {1, 1, -1}},  {11, {2, 0, 1}, {1, 1, 1}},   {12, {2, 1, 0}, {1, -1, 1}},
    {13, {2, 0, 1}, {1, -1, -1}}, {20, {2, 1, 0}, {-1, 1, 1}},  {21, {2, 0, 1}, {-1, 1, -1}},
    {22, {2, 1, 0}, {-1, -1, -1}}, {23, {2, 0, 1}, {-1, -1, 1}}, {30, {0, 2, 1}, {1, -1, 1}},
    {31, {1, 2, 0}, {-1, -1, 1}}, {32, {0, 2, 1}, {-1, -1, -1}}, {33, {1, 2, 0}, {1, -1, -1}},
    {40, {0, 2, 1}, {1, 1, -1}},  {41, {1, 2, 0}, {-1, 1, -1}}, {42, {0, 2, 1}, {-1, 1, 1}},
    {43, {1, 2, 0}, {1, 1, 1}},
};

const AxisMapRow* FindAxisMapRow(int code)
{
    for (const AxisMapRow& row : kPermuteRows) {
        if (row.code == code) return &row;
    }
    return nullptr;
}

}  // namespace

void PermuteAxesForView(double* x, double* y, double* z)
{
    const AxisMapRow* row = FindAxisMapRow(g_AxisDirection);
    if (row == nullptr) return;
    const double in[3] = {*x, *y, *z};
    double out[3];
    for (int k = 0; k < 3; ++k) out[k] = row->sign[k] * in[row->source[k]];
    *x = out[0];
    *y = out[1];
    *z = out[2];
}

void MapAxisDirection(double* x, double* y, double* z)
{
    const AxisMapRow* row = FindAxisMapRow(g_AxisDirection);
    if (row == nullptr) return;
    // The inverse of a signed permutation: input index source[k] takes sign[k] x output k.
    const double in[3] = {*x, *y, *z};
    double out[3];
    for (int k = 0; k < 3; ++k) out[row->source[k]] = row->sign[k] * in[k];
    *x = out[0];
    *y = out[1];
    *z = out[2];
}

// --- Points and pixels -------------------------------------------------------------------------------

void ProjectToScreen(const double* modelPoint, double* depth, double* pixelX, double* pixelY)
{
    const double s = g_SceneScale;
    const double z = g_ViewZoom;
    double q[3];
    for (int k = 0; k < 3; ++k) q[k] = (modelPoint[k] / s - g_ViewCentre[k]) * z;
    if (g_AxisDirection > 0) PermuteAxesForView(&q[0], &q[1], &q[2]);
    const double cosA = g_ViewAngleCosSin[0], sinA = g_ViewAngleCosSin[1];
    const double cosB = g_ViewAngleCosSin[2], sinB = g_ViewAngleCosSin[3];
    const double u = sinA * q[0] + cosA * q[1];
    *depth = cosB * q[2] - sinB * u;
    const double xp = cosA * q[0] - sinA * q[1];
    const double yp = cosB * u + sinB * q[2];
    if (g_Perspective) {
        const double w = g_ViewFocalPixels / std::fabs(*depth + g_ViewEyeZ);
        *pixelX = w * xp + g_ViewHalfWidth;
        *pixelY = g_ViewHalfHeight - w * yp;
    } else {
        *pixelX = g_ViewHalfHeight * xp + g_ViewHalfWidth;
        *pixelY = g_ViewHalfHeight * (1.0 - yp);
    }
}

void PanView(double dx, double dy, double* centre)
{
    const double f = g_Perspective ? g_ViewPixelsPerUnit : g_ViewHalfHeight;
    const double scale = f * g_ViewZoom;
    if (!(scale > 0.0)) return;   // a view of zero size has no pixels to pan by
    const double u = dx / scale;
    const double v = dy / scale;
    const double cosA = g_ViewAngleCosSin[0], sinA = g_ViewAngleCosSin[1];
    const double cosB = g_ViewAngleCosSin[2], sinB = g_ViewAngleCosSin[3];
    double d[3] = {cosA * u + sinA * cosB * v, cosA * cosB * v - sinA * u, sinB * v};
    if (g_AxisDirection > 0) MapAxisDirection(&d[0], &d[1], &d[2]);
    for (int k = 0; k < 3; ++k) centre[k] += d[k];
}

void ZoomViewBySteps(int steps)
{
    const int n = static_cast<int16_t>(steps);
    if (n > 0) g_ViewZoom *= std::pow(1.1, n);
    else g_ViewZoom /= std::pow(1.1, -n);
    g_ViewChanged = 1;
}

double WrapViewAngle(double angle)
{
    if (angle < 0.0) angle += 360.0;
    if (angle >= 360.0) angle -= 360.0;
    return angle;
}

void RotateViewBySteps(int axis, int steps)
{
    if (axis == 1) {
        const double change = steps * 2.5;
        g_ViewAngleA = WrapViewAngle(g_ViewAngleB > 180.0 ? g_ViewAngleA - change : g_ViewAngleA + change);
    } else {
        g_ViewAngleB = WrapViewAngle(g_ViewAngleB + steps * 2.5);
    }
    UpdateViewRotationCosSin();
    g_RebuildViewIndicator = 1;
}

int HandleViewMouseDrag(WindowHandle view, int x, int y)
{
    (void)view;
    g_LastDragTime = GetTickCountMs();
    const int dx = x - g_LastCursorPoint[0];
    const int dy = y - g_LastCursorPoint[1];
    const int adx = std::abs(dx), ady = std::abs(dy);
    if (adx + ady < 3) return 0;
    if (g_ViewMouseMode == VIEW_MOUSE_ROTATE) {
        if (adx > ady) {
            int n = g_ViewHalfWidth > 0.0 ? static_cast<int>(adx * 72 / g_ViewHalfWidth + 0.5) : 0;
            if (n == 0) return 0;
            if (dx < 0) n = -n;
            g_AutoRotateSteps = n;
            RotateViewBySteps(1, n);
            g_AutoRotateAxis = 1;
            g_ViewChanged = 1;
        } else {
            int n = g_ViewHalfHeight > 0.0 ? static_cast<int>(ady * 36 / g_ViewHalfHeight + 0.5) : 0;
            if (n == 0) return 0;
            if (dy > 0) n = -n;
            g_AutoRotateSteps = n;
            const double before = g_ViewAngleB;
            RotateViewBySteps(2, n);
            if (g_ViewAngleB != before) {
                g_AutoRotateAxis = 2;
                g_ViewChanged = 1;
            }
        }
    } else if (g_ViewMouseMode == VIEW_MOUSE_ZOOM) {
        if (adx > ady) {
            if (g_ViewHalfWidth > 0.0) g_ViewZoom *= std::pow(1.1, 20.0 * dx / g_ViewHalfWidth);
        } else {
            if (g_ViewHalfHeight > 0.0) g_ViewZoom *= std::pow(1.1, 20.0 * dy / g_ViewHalfHeight);
        }
        g_LastDragTime = 0;
        g_ViewChanged = 1;
    } else {
        PanView(-dx, dy, g_ViewCentre);
        g_LastDragTime = 0;
        g_ViewChanged = 1;
    }
    g_LastCursorPoint[0] = x;
    g_LastCursorPoint[1] = y;
    return 1;
}

int UnprojectViewPoint(int x, int y, int allowPan, double* centre)
{
    double hit[3];
    if (PickNearestWorkPoint(x, y, hit)) {
        double shown[3];
        TransformByMachineKinematics(hit, shown);
        for (int k = 0; k < 3; ++k) centre[k] = shown[k] / g_SceneScale;
        return 1;
    }
    if (allowPan) PanView(x - g_ViewHalfWidth, g_ViewHalfHeight - y, centre);
    return 0;
}

int PickPointUnderCursor(WindowHandle view, int allowPan, double* centre)
{
    int x = 0, y = 0;
    GetUiCursorPosition(&x, &y);
    ScreenToClientPoint(view, &x, &y);
    if (x < 0 || x > g_ViewportWidth || y < 0 || y > g_ViewportHeight) return 0;
    return UnprojectViewPoint(x, y, allowPan, centre);
}

// --- Rotation centre and table state -----------------------------------------------------------------

void SetViewCentreFromTarget()
{
    double target[3] = {0.0, 0.0, 0.0};
    const WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    if (g_ViewCentreFromCtl) {
        for (int k = 0; k < 3; ++k) target[k] = g_CtlViewCentre[k];
    } else if (g_ViewCentreFromMtl) {
        for (int k = 0; k < 3; ++k) target[k] = g_ViewCentreFromMtlPoint[k];
    } else if (g_ViewCentreFromIni) {
        for (int k = 0; k < 3; ++k) target[k] = g_IniViewCentre[k];
    } else if (g_WorkDefined && work->minCorner != nullptr && work->maxCorner != nullptr) {
        for (int k = 0; k < 3; ++k) target[k] = (work->minCorner[k] + work->maxCorner[k]) / 2.0;
    } else {
        for (int k = 0; k < 3; ++k) {
            target[k] = g_WorkOffsets[0].axis[k];
            if (g_WorkOffsetIndex > 0) target[k] += g_WorkOffsets[g_WorkOffsetIndex].axis[k];
        }
    }
    TransformByMachineKinematics(target, g_ViewCentre);
    for (double& c : g_ViewCentre) c /= g_SceneScale;
}

namespace {

// Turns p about coordinate axis a (cross axes i, j) by minus the angle of cosine c, sine s.
void TurnBackAboutAxis(double* p, int i, int j, double c, double s)
{
    const double pi = p[i], pj = p[j];
    p[i] = pi * c + pj * s;
    p[j] = pj * c - pi * s;
}

}  // namespace

void TransformByMachineKinematics(const double* point, double* out)
{
    double o[3] = {0.0, 0.0, 0.0};
    if (!g_ViewFollowsTableMove) {
        for (int k = 0; k < 3; ++k) o[k] = g_TableAxisOffsets[k];
    }
    const double* t = g_TablePosition;
    const double angle1 = g_MachinePosition.axis[3];
    const double angle2 = g_MachinePosition.axis[4];
    double p[3] = {point[0], point[1], point[2]};
    if (g_MachineKind == MACHINE_TABLE && (angle1 != 0.0 || angle2 != 0.0) && !g_ViewFollowsTableRotation) {
        TurnBackAboutAxis(p, g_Rotary2CrossAxes[0], g_Rotary2CrossAxes[1], g_RotaryCosSin[2], g_RotaryCosSin[3]);
        for (int k = 0; k < 3; ++k) p[k] -= t[k];
        const double c1 = g_RotaryCosSin[0], s1 = g_RotaryCosSin[1];
        if (g_Rotary1Tilted) {
            RotateAboutTwoAxes(p, p, g_Rotary1TiltCosSin[1], g_Rotary1TiltCosSin[0], -s1, c1, g_Rotary1Axis,
                               g_Rotary1CrossAxes);
        } else if (g_Rotary1ByVector) {
            RotateInclinedPair(p, p, g_Rotary1TiltCosSin[1], g_Rotary1TiltCosSin[0], g_RotaryAxisFrame[1],
                               g_RotaryAxisFrame[0], -s1, c1, g_Rotary1Axis, g_Rotary1CrossAxes);
        } else {
            TurnBackAboutAxis(p, g_Rotary1CrossAxes[0], g_Rotary1CrossAxes[1], c1, s1);
        }
        for (int k = 0; k < 3; ++k) out[k] = p[k] + o[k] + t[k];
        return;
    }
    if (g_MachineKind == MACHINE_MIX && angle2 != 0.0 && !g_ViewFollowsTableRotation) {
        for (int k = 0; k < 3; ++k) p[k] -= t[k];
        TurnBackAboutAxis(p, g_Rotary2CrossAxes[0], g_Rotary2CrossAxes[1], g_RotaryCosSin[2], g_RotaryCosSin[3]);
        for (int k = 0; k < 3; ++k) out[k] = p[k] + o[k] + t[k];
        return;
    }
    for (int k = 0; k < 3; ++k) out[k] = p[k] + o[k];
}

// --- Presets -----------------------------------------------------------------------------------------

int ApplyViewPreset(int preset, int shift)
{
    double a = g_ViewAngleA, b = g_ViewAngleB;
    switch (preset) {
    case VIEW_PRESET_1: a = 225.0; break;
    case VIEW_PRESET_2: a = 135.0; break;
    case VIEW_PRESET_3: a = 45.0; break;
    case VIEW_PRESET_4: a = 315.0; break;
    case VIEW_PRESET_5: a = b > 180.0 ? a + 15.0 : a - 15.0; break;
    case VIEW_PRESET_6: a = b > 180.0 ? a - 15.0 : a + 15.0; break;
    case VIEW_PRESET_7:
        a += 180.0;
        if (shift) b += 180.0;
        break;
    case VIEW_PRESET_8: a = 0.0; b = 90.0; break;
    case VIEW_PRESET_9: a = 270.0; b = 90.0; break;
    case VIEW_PRESET_0: a = 0.0; b = 0.0; break;
    default: return 0;
    }
    const int latched = preset == VIEW_PRESET_8 || preset == VIEW_PRESET_9 || preset == VIEW_PRESET_0;
    if (latched && g_ViewAngleA == a && g_ViewAngleB == b && !g_ViewCtrlKeyDown) return 0;
    g_ViewAngleA = WrapViewAngle(a);
    g_ViewAngleB = WrapViewAngle(b);
    UpdateViewRotationCosSin();
    g_RebuildViewIndicator = 1;
    if (g_ViewCtrlKeyDown) {
        g_ViewCtrlKeyDown = 0;
        g_ViewZoom = g_ViewFitZoom;
    }
    return 1;
}
