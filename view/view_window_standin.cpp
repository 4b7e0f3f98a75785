// Stand-in of the view window: it makes its OpenGL context when created, paints nothing and gives the
// context back when destroyed.
#include "view/view_window.h"

#include "platform/ui/event_core.h"

const char g_ViewClassName[] = "Picture";
int g_ZoomWindowArmed = 0;
int g_ViewCtrlKeyDown = 0;
int g_ViewDragging = 0;
int g_ViewMouseMode = 11;
uint64_t g_WheelZoomTime = 0;
uintptr_t g_WheelZoomTimer = 0;
int g_WheelZooming = 0;

void ZoomViewBySteps(int) {}

int RegisterViewClass() { return 1; }

intptr_t ViewWindowProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    switch (message) {
    case WM_CREATE:
        CreateUiGlContext(window, 1);
        return 0;
    case WM_PAINT:
        BeginUiPaint(window);
        EndUiPaint(window);
        return 0;
    default:
        return DefaultWindowProc(window, message, wParam, lParam);
    }
}

void SetViewCentreFromTarget() {}
