// The 3D view child window: its window class, its procedure (OpenGL context, painting, mouse and keys)
// and the camera step the start-up needs. Stand-in (view_window_standin.cpp) until the view window is
// built: the window makes its OpenGL context and paints nothing.
#pragma once
#include <cstdint>
#include "platform/ui/ui_types.h"

// Interaction state of the view that the frame's keys and wheel read or set (UI thread).
extern int g_ZoomWindowArmed;       // 1 while the zoom-window mode waits for its rectangle
extern int g_ViewCtrlKeyDown;       // 1 while Ctrl is held
extern int g_ViewDragging;          // 1 while a left drag turns, zooms or pans the view
extern int g_ViewMouseMode;         // ViewMouseMode: 1 measure, 5 jump, 11 rotate, 12 zoom, 13 pan
extern uint64_t g_WheelZoomTime;    // milliseconds of the last wheel step
extern uintptr_t g_WheelZoomTimer;  // the view's end-of-wheel-zoom timer, 0 when not running
extern int g_WheelZooming;          // 1 from the first wheel step until the timer ends it
const int TIMER_WHEEL_ZOOM_END = 4;

// Zooms the view by steps (stand-in: nothing).
void ZoomViewBySteps(int steps);

// The class name of the view window.
extern const char g_ViewClassName[];

// Registers the view's class (its cursor). Returns 1.
int RegisterViewClass();
// The view's window procedure.
intptr_t ViewWindowProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);
// Sets the view's rotation centre from the target (stand-in: nothing).
void SetViewCentreFromTarget();
