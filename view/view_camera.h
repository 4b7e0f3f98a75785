// The camera of the 3D view: zoom, rotation centre, projection, the pixel geometry of the view area,
// the axis-direction mapping and the transform of model points by the rotary and linear table state;
// the projection of a model point to a pixel and back, drags, wheel steps and the view presets. The
// two view angles and their cosines live in machine_setup/machine_setup_state.h (the
// settings reader fills them). Everything here runs on the UI thread.
#pragma once
#include <cstdint>
#include "platform/ui/ui_types.h"

// --- Camera (UI thread) ----------------------------------------------------------------------------
extern double g_ViewZoom;              // scale factor of the view (1.0 at start)
extern double g_ViewFitZoom;           // zoom that shows the whole work ("F", "R" and the latched presets)
extern double g_ViewCentre[3];         // rotation centre in scene units, always at the middle of the view
extern const double g_ViewEyeZ;        // -4.0: the centre lies 4 scene units in front of the eye
extern double g_SceneScale;            // model millimetres per scene unit (500.0 until a work is defined)
extern const double g_FieldOfView;     // 30 degrees, vertical, of the perspective projection
extern double g_TanHalfFov;            // tan(g_FieldOfView / 2), valid from the start
extern unsigned char g_ViewFollowsTableMove;      // "[" key: the scene is shifted back with the table
extern unsigned char g_ViewFollowsTableRotation;  // "]" key: the scene turns with the rotary tables

// --- Pixel geometry of the view area (the frame's layout writes it through SetViewAreaSize) ---------
extern UiRect g_ViewRect;              // where the view child lives in the frame's client area
extern int g_ViewportWidth;            // drawable area; glViewport and every hit test use it
extern int g_ViewportHeight;
extern double g_ViewHalfWidth;         // half the view area in pixels
extern double g_ViewHalfHeight;
extern double g_ViewFocalPixels;       // g_ViewHalfHeight / g_TanHalfFov
extern double g_ViewPixelsPerUnit;     // g_ViewFocalPixels / |g_ViewEyeZ|
extern double g_RotaryMarkScales[10];  // 80/W - 1, 80/H - 1, 7/W, 7/H, 8/W, 8/H, 10/W, 10/H, 60/W, 60/H

// --- Interaction state the camera keeps ------------------------------------------------------------
extern int g_ViewChanged;              // a key, drag or wheel step changed the view
extern int g_LastCursorPoint[2];       // client point of the last press or processed drag step
extern int g_AutoRotateSteps;          // signed 2.5-degree steps of the last rotation step
extern int g_AutoRotateAxis;           // 1 angle A, 2 angle B
extern uint64_t g_LastDragTime;        // milliseconds of the last rotation step (0 after zoom or pan)
#include "machine_setup/machine/part_transforms.h"  // g_TableAxisOffsets: minus the machine position on each table-moved axis

// View presets of the digit keys.
enum ViewPreset {
    VIEW_PRESET_0 = 0, VIEW_PRESET_1, VIEW_PRESET_2, VIEW_PRESET_3, VIEW_PRESET_4, VIEW_PRESET_5,
    VIEW_PRESET_6, VIEW_PRESET_7, VIEW_PRESET_8, VIEW_PRESET_9
};

// Takes a new view area of width x height pixels: viewport size, halves, focal length, indicator
// factors; asks for the indicator to be rebuilt. A zero size keeps the factors finite.
void SetViewAreaSize(int width, int height);
// Multiplies the current (projection) matrix by the projection and sets g_TanHalfFov.
void SetProjection();
// Multiplies the modelview matrix by the view transform.
void ApplyViewTransform();
// The GL rotations of the axis-direction mapping (g_AxisDirection).
void RotateSceneForAxisDirection();
// The axis-direction rotation of a point, and its inverse (in place).
void PermuteAxesForView(double* x, double* y, double* z);
void MapAxisDirection(double* x, double* y, double* z);
// The pixel (client coordinates, y downwards) of a model point and its depth (larger is nearer).
void ProjectToScreen(const double* modelPoint, double* depth, double* pixelX, double* pixelY);
// Moves centre (scene units) so that the scene moves by dx, dy pixels on the screen.
void PanView(double dx, double dy, double* centre);
// Zooms by n steps of 1.1 (n above 0 in, else out); sets g_ViewChanged. No repaint.
void ZoomViewBySteps(int steps);
// One step of a left-button drag of the view window in the current mouse mode, the cursor at client
// point x, y. Returns 1 when the camera changed.
int HandleViewMouseDrag(WindowHandle view, int x, int y);
// The model point under pixel x, y becomes the out centre (result 1); without a hit and with allowPan
// the view is panned so that the pixel comes to the middle (result 0).
int UnprojectViewPoint(int x, int y, int allowPan, double* centre);
// UnprojectViewPoint at the cursor when it lies inside the view area; else 0.
int PickPointUnderCursor(WindowHandle view, int allowPan, double* centre);
// Recomputes g_ViewCentre from the view-centre settings, the work or the work offsets.
void SetViewCentreFromTarget();
// The model point as the scene shows it under the current rotary and linear table state.
void TransformByMachineKinematics(const double* point, double* out);
// Brings an angle into 0 to 360 by adding or subtracting 360.
double WrapViewAngle(double angle);
// Turns angle A (axis 1) or B (axis 2) by steps of 2.5 degrees, as a drag or the auto-rotation does.
void RotateViewBySteps(int axis, int steps);
// Applies a digit-key preset (shift: Shift held). Returns 1 when the camera changed.
int ApplyViewPreset(int preset, int shift);
// Puts the camera values this file owns back to their start values (tests, a second start).
void ResetViewCamera();
