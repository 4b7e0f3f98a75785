// The 3D view child window: its window class and procedure (OpenGL context, size, painting, mouse
// drags, wheel, timers and mouse-mode commands) and the state the frame's keys and wheel share with it.
// The camera is view_camera.h; the keys of the view and picking are handled elsewhere.
#pragma once
#include <cstdint>
#include "platform/ui/ui_types.h"
#include "view/view_camera.h"

// ViewMouseMode: what a left click or drag in the view does.
enum ViewMouseMode {
    VIEW_MOUSE_MEASURE = 1,
    VIEW_MOUSE_NC_JUMP = 5,
    VIEW_MOUSE_ROTATE = 11,
    VIEW_MOUSE_ZOOM = 12,
    VIEW_MOUSE_PAN = 13
};

// Timers of the view window.
const int TIMER_AUTO_ROTATE = 2;
const int TIMER_WHEEL_ZOOM_END = 4;
const int TIMER_CUT_ANIMATION = 7;

extern WindowHandle g_ViewWindow;      // the 3D view child (created by the frame)
extern MenuHandle g_ViewPopupMenu;     // the view's popup menu of three mouse modes (made by the frame)

// Window and image size (UI thread, WM_SIZE).
extern int g_ViewWidth;                // client size
extern int g_ViewHeight;
extern int g_ViewRowBytes;             // bytes per row of a 24-bit image, 3 x width rounded up to 4
extern int g_ViewImageBytes;           // g_ViewRowBytes x height
extern double g_ViewAspect;            // width / height
extern int g_ViewGlContext;            // 1 while the view has its OpenGL context (never in silent mode)
extern unsigned g_ListIdBase;          // first of the reserved display-list names (1 on a fresh context)

// Interaction state of the view that the frame's keys and wheel read or set (UI thread).
extern int g_ZoomWindowArmed;       // 1 while the zoom-window mode waits for its rectangle
extern int g_ZoomWindowDragging;    // 1 while its rectangle is dragged
extern int g_ZoomWindowStart[2];    // client corners of the rectangle
extern int g_ZoomWindowEnd[2];
extern double g_ZoomRectangleCorners[8];  // its four corners in normalised device coordinates
extern int g_ViewCtrlKeyDown;       // 1 while Ctrl is held
extern int g_ViewDragging;          // 1 while a left drag turns, zooms or pans the view
extern int g_ViewMouseMode;         // ViewMouseMode
extern int g_RightButtonDown;       // 1 between a right press and release in the view
extern int g_ViewPopupMenuOpen;     // 1 while the popup menu is tracked; the next left click clears it
extern uint64_t g_WheelZoomTime;    // milliseconds of the last wheel step
extern uintptr_t g_WheelZoomTimer;  // the view's end-of-wheel-zoom timer, 0 when not running
extern int g_WheelZooming;          // 1 from the first wheel step until the timer ends it
extern uintptr_t g_AutoRotateTimer; // auto-rotation timer, 0 when off
extern uint64_t g_DragReleaseTime;  // milliseconds of the last drag release
extern uintptr_t g_CutAnimationTimer;  // turning animation timer, 0 when off
extern int g_CutAnimationStep;      // 0 to 35: the turning work is shown 10 degrees further per step

// The class name of the view window.
extern const char g_ViewClassName[];

// Registers the view's class (its cursor). Returns 1.
int RegisterViewClass();
// The view's window procedure.
intptr_t ViewWindowProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);
// Makes the view's OpenGL context and reserves the display-list names. Returns 1 when it exists.
int CreateViewGlContext(WindowHandle window);
// Sets the viewport, clears the view and applies the projection (WM_SIZE, the perspective key, the frame).
void ResetViewViewport();
// Zoom steps of a wheel delta: delta / 120 beyond one notch, else +1 or -1 (0 counts as -1); reversed
// by the setting.
int ComputeWheelZoomSteps(int delta, int reverse);
// One wheel step of the view or the frame: zooms and starts the end-of-wheel-zoom timer (no repaint).
void HandleViewWheel(int delta);
// Stops the auto-rotation and restores the mode cursor.
void RestoreCursorAndKillTimer();
// Puts the view window's state back to its start values (tests, a second start).
void ResetViewWindowState();
