// The 3D view window: its OpenGL context and display-list names, size, paint with the turning
// animation, left and right mouse buttons, drags, the zoom window, the wheel and its timers.
#include "view/view_window.h"

#include <cstdlib>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/machine_setup_state.h"
#include "nc/interpreter_state.h"
#include "platform/os/clock.h"
#include "platform/ui/cursor_clipboard.h"
#include "platform/ui/event_core.h"
#include "platform/ui/gl_calls.h"
#include "platform/ui/menu.h"
#include "platform/ui/shell_services.h"
#include "simulation/cutting.h"
#include "view/scene_materials.h"
#include "view/display_lists.h"
#include "view/scene_rendering.h"
#include "work_model/work_model.h"

const char g_ViewClassName[] = "Picture";
WindowHandle g_ViewWindow = nullptr;
MenuHandle g_ViewPopupMenu = nullptr;
int g_ViewWidth = 0;
int g_ViewHeight = 0;
int g_ViewRowBytes = 0;
int g_ViewImageBytes = 0;
double g_ViewAspect = 1.0;
int g_ViewGlContext = 0;
unsigned g_ListIdBase = 0;
int g_ZoomWindowArmed = 0;
int g_ZoomWindowDragging = 0;
int g_ZoomWindowStart[2] = {0, 0};
int g_ZoomWindowEnd[2] = {0, 0};
double g_ZoomRectangleCorners[8] = {};
int g_ViewCtrlKeyDown = 0;
int g_ViewDragging = 0;
int g_ViewMouseMode = VIEW_MOUSE_ROTATE;
int g_RightButtonDown = 0;
int g_ViewPopupMenuOpen = 0;
uint64_t g_WheelZoomTime = 0;
uintptr_t g_WheelZoomTimer = 0;
int g_WheelZooming = 0;
uintptr_t g_AutoRotateTimer = 0;
uint64_t g_DragReleaseTime = 0;
uintptr_t g_CutAnimationTimer = 0;
int g_CutAnimationStep = 0;

namespace {

const int kDisplayListReservation = 400034;
const int kAutoRotateCursor = 238;
const uint64_t kAutoRotateReleaseMs = 75;

// Cursor resources of the mouse modes.
int CursorOfMode(int mode)
{
    switch (mode) {
    case VIEW_MOUSE_MEASURE: return 248;
    case VIEW_MOUSE_NC_JUMP: return 240;
    case VIEW_MOUSE_ZOOM: return 243;
    case VIEW_MOUSE_PAN: return 245;
    default: return 247;
    }
}

void SetMode(int mode)
{
    g_ViewMouseMode = mode;
    SetUiCursor(CursorOfMode(mode));
}

// The cursor of the zoom window by the quadrant of the moving corner.
int ZoomWindowCursor()
{
    const int right = g_ZoomWindowEnd[0] >= g_ZoomWindowStart[0];
    const int below = g_ZoomWindowEnd[1] >= g_ZoomWindowStart[1];
    if (right) return below ? 252 : 253;
    return below ? 254 : 251;
}

void RepaintNow(WindowHandle window)
{
    InvalidateUiWindow(window, 0);
    UpdateUiWindow(window);
}

int IsTurningWork()
{
    if (g_MachineKind != MACHINE_TABLE && g_MachineKind != MACHINE_MIX) return 0;
    return g_TableType == TABLE_TYPE_LATHE || g_Table2Type == TABLE_TYPE_LATHE || g_LatheCodeState[0] != 0 ||
           g_LatheCodeState[1] != 0;
}

void UpdateCutAnimationTimer(WindowHandle window)
{
    const int turning = IsTurningWork();
    if (g_CutAnimationTimer == 0) {
        if (g_RunMode == 1 && turning) g_CutAnimationTimer = SetUiTimer(window, TIMER_CUT_ANIMATION, 10);
        return;
    }
    const int keep = (g_MachineKind == MACHINE_TABLE || g_MachineKind == MACHINE_MIX) ? turning : g_RunMode == 1;
    if (keep) return;
    KillUiTimer(window, TIMER_CUT_ANIMATION);
    g_CutAnimationStep = 0;
    g_CutAnimationTimer = 0;
}

void OnSize(WindowHandle, intptr_t lParam)
{
    g_ViewWidth = static_cast<int>(LowWord(static_cast<uintptr_t>(lParam)));
    g_ViewHeight = static_cast<int>(HighWord(static_cast<uintptr_t>(lParam)));
    g_ViewRowBytes = (3 * g_ViewWidth / 4) * 4;
    if (g_ViewRowBytes < 3 * g_ViewWidth) g_ViewRowBytes += 4;
    // A view of zero height keeps a finite aspect; it is never drawn.
    g_ViewAspect = g_ViewHeight > 0 ? static_cast<double>(g_ViewWidth) / g_ViewHeight : 1.0;
    g_ViewImageBytes = g_ViewHeight * g_ViewRowBytes;
    ResetViewViewport();
}

void OnPaint(WindowHandle window)
{
    const int drawable = BeginUiPaint(window);
    if (drawable && g_ViewGlContext && g_ViewportWidth > 0 && g_ViewportHeight > 0 && MakeUiGlCurrent(window)) {
        RenderScene(&g_WorkModels[g_CurrentWorkIndex]);
        SwapUiGlBuffers(window);
        GlFinish();
        MakeUiGlCurrent(nullptr);
    }
    EndUiPaint(window);
    UpdateCutAnimationTimer(window);
}

void OnCommand(uintptr_t wParam)
{
    const int id = static_cast<int>(LowWord(wParam));
    if (id == 250 || id == 254) {
        SetMode(id == 250 ? VIEW_MOUSE_MEASURE : VIEW_MOUSE_NC_JUMP);
        g_ViewPopupMenuOpen = 0;
    } else if (id == 257) {
        SetMode(VIEW_MOUSE_ROTATE);
        g_ViewPopupMenuOpen = 0;
    }
}

void OnLeftButtonDown(WindowHandle window, int x, int y, uintptr_t keys)
{
    if (g_ViewPopupMenuOpen) {
        g_ViewPopupMenuOpen = 0;
        return;
    }
    if (g_ZoomWindowArmed) {
        if (!g_ZoomWindowDragging) {
            SetUiCursor(250);
            g_ZoomWindowStart[0] = g_ZoomWindowEnd[0] = x;
            g_ZoomWindowStart[1] = g_ZoomWindowEnd[1] = y;
            g_ZoomWindowDragging = 1;
        }
        return;
    }
    SetUiCapture(window);
    g_LastCursorPoint[0] = x;
    g_LastCursorPoint[1] = y;
    RestoreCursorAndKillTimer();
    if (g_ViewMouseMode > 10) {
        if ((keys & MK_RBUTTON) && g_RightButtonDown) {
            if (g_MoveSwitchRButtonDown) g_ViewMouseMode = VIEW_MOUSE_PAN;
        } else if ((keys & MK_CONTROL) && g_ViewCtrlKeyDown) {
            g_ViewMouseMode = VIEW_MOUSE_ZOOM;
        } else if (g_MoveSwitchRButtonDown) {
            g_ViewMouseMode = VIEW_MOUSE_ROTATE;
        }
        SetMode(g_ViewMouseMode);
        g_ViewDragging = 1;
    } else {
        // Measuring and the jump to the NC block pick on the work; the mode's cursor only.
        SetUiCursor(CursorOfMode(g_ViewMouseMode));
    }
}

void OnMouseMove(WindowHandle window, int x, int y, uintptr_t keys)
{
    if (g_ZoomWindowArmed) {
        if (!g_ZoomWindowDragging) {
            SetUiCursor(250);
            return;
        }
        g_ZoomWindowEnd[0] = x;
        g_ZoomWindowEnd[1] = y;
        SetUiCursor(ZoomWindowCursor());
        const double w = g_ViewportWidth > 0 ? g_ViewportWidth : 1;
        const double h = g_ViewportHeight > 0 ? g_ViewportHeight : 1;
        const int corners[8] = {g_ZoomWindowStart[0], g_ZoomWindowStart[1], g_ZoomWindowEnd[0], g_ZoomWindowStart[1],
                                g_ZoomWindowEnd[0],   g_ZoomWindowEnd[1],   g_ZoomWindowStart[0], g_ZoomWindowEnd[1]};
        for (int i = 0; i < 4; ++i) {
            g_ZoomRectangleCorners[2 * i] = 2.0 * corners[2 * i] / w - 1.0;
            g_ZoomRectangleCorners[2 * i + 1] = 1.0 - 2.0 * corners[2 * i + 1] / h;
        }
        RepaintNow(window);
        return;
    }
    if (!g_ViewDragging) {
        if (!g_WheelZooming && GetUiFocus() != window) SetUiFocus(window);
        return;
    }
    if (!(keys & MK_LBUTTON)) {
        SetMode(VIEW_MOUSE_ROTATE);
        return;
    }
    if ((keys & MK_RBUTTON) && g_RightButtonDown) {
        if (g_MoveSwitchRButtonDown) g_ViewMouseMode = VIEW_MOUSE_PAN;
    } else if (keys & MK_CONTROL) {
        if (g_MoveSwitchRButtonDown || g_ViewMouseMode == VIEW_MOUSE_ROTATE) g_ViewMouseMode = VIEW_MOUSE_ZOOM;
    } else if (g_MoveSwitchRButtonDown || g_ViewMouseMode == VIEW_MOUSE_ZOOM) {
        g_ViewMouseMode = VIEW_MOUSE_ROTATE;
    }
    if (HandleViewMouseDrag(window, x, y)) RepaintNow(window);
    SetUiCursor(CursorOfMode(g_ViewMouseMode));
}

void OnLeftButtonUp(WindowHandle window, int x, int y)
{
    if (g_ZoomWindowArmed) {
        SetUiCursor(IDC_WAIT);
        g_ZoomWindowEnd[0] = x;
        g_ZoomWindowEnd[1] = y;
        const int dx = std::abs(g_ZoomWindowEnd[0] - g_ZoomWindowStart[0]);
        const int dy = std::abs(g_ZoomWindowEnd[1] - g_ZoomWindowStart[1]);
        if (dx < 5 || dy < 5) return;   // stays armed for another try
        g_LastCursorPoint[0] = (g_ZoomWindowStart[0] + g_ZoomWindowEnd[0]) / 2;
        g_LastCursorPoint[1] = (g_ZoomWindowStart[1] + g_ZoomWindowEnd[1]) / 2;
        UnprojectViewPoint(g_LastCursorPoint[0], g_LastCursorPoint[1], 1, g_ViewCentre);
        const int w = g_ViewRect.right - g_ViewRect.left;
        const int h = g_ViewRect.bottom - g_ViewRect.top;
        if (w / dx >= h / dy) g_ViewZoom *= static_cast<double>(h) / dy;
        else g_ViewZoom *= static_cast<double>(w) / dx;
        g_ZoomWindowArmed = g_ZoomWindowDragging = 0;
        g_ViewChanged = 1;
        RepaintNow(window);
        ClipUiCursor(nullptr);
        SetUiFocus(window);
        SetUiCursor(CursorOfMode(g_ViewMouseMode));
        return;
    }
    if (g_ViewDragging) {
        g_DragReleaseTime = GetTickCountMs();
        g_ViewDragging = 0;
        g_ViewMouseMode = VIEW_MOUSE_ROTATE;
        ReleaseUiCapture();
        SetUiCursor(CursorOfMode(g_ViewMouseMode));
        if (g_AutoRotateSteps != 0 && g_LastDragTime != 0 && g_DragReleaseTime - g_LastDragTime < kAutoRotateReleaseMs) {
            SetUiClassCursor(window, kAutoRotateCursor);
            g_AutoRotateTimer = SetUiTimer(window, TIMER_AUTO_ROTATE, 10);
        }
        return;
    }
    ReleaseUiCapture();
    SetUiCursor(CursorOfMode(g_ViewMouseMode));
}

void OnRightButtonDown(WindowHandle window, int x, int y)
{
    g_RightButtonDown = 1;
    if (g_ViewDragging && (g_ViewMouseMode > 10 || !g_MoveSwitchRButtonDown)) {
        if (g_MoveSwitchRButtonDown) SetMode(VIEW_MOUSE_PAN);
        else SetMode(g_ViewMouseMode == VIEW_MOUSE_ROTATE ? VIEW_MOUSE_PAN : VIEW_MOUSE_ROTATE);
        return;
    }
    // No drag: the popup menu of the mouse modes at the click; the choice comes back as WM_COMMAND.
    g_LastCursorPoint[0] = x;
    g_LastCursorPoint[1] = y;
    if (g_ViewPopupMenu == nullptr) return;
    int sx = x, sy = y;
    ClientToScreenPoint(window, &sx, &sy);
    g_ViewPopupMenuOpen = 1;
    TrackUiPopupMenu(g_ViewPopupMenu, sx, sy, window);
}

void OnRightButtonUp()
{
    g_RightButtonDown = 0;
    if (g_ViewDragging) {
        if (g_ViewCtrlKeyDown) SetMode(VIEW_MOUSE_ZOOM);
        else if (g_MoveSwitchRButtonDown) SetMode(VIEW_MOUSE_ROTATE);
    } else if (g_ViewMouseMode > 10 && g_MoveSwitchRButtonDown) {
        g_ViewMouseMode = VIEW_MOUSE_ROTATE;
    }
}

void OnTimer(WindowHandle window, uintptr_t id)
{
    if (id == TIMER_AUTO_ROTATE) {
        RotateViewBySteps(g_AutoRotateAxis, g_AutoRotateSteps);
        g_ViewChanged = 1;
        RepaintNow(window);
    } else if (id == TIMER_WHEEL_ZOOM_END) {
        if (GetTickCountMs() - g_WheelZoomTime <= 50) return;
        KillUiTimer(window, TIMER_WHEEL_ZOOM_END);
        g_WheelZoomTimer = 0;
        g_WheelZoomTime = 0;
        g_WheelZooming = 0;
        g_ViewChanged = 1;
        RepaintNow(window);
    } else if (id == TIMER_CUT_ANIMATION) {
        g_CutAnimationStep = g_CutAnimationStep >= 35 ? 0 : g_CutAnimationStep + 1;
    }
}

}  // namespace

int RegisterViewClass() { return 1; }

int CreateViewGlContext(WindowHandle window)
{
    const int doubleBuffered = g_OpenGlBufferMode == 1 ? 0 : 1;
    if (!CreateUiGlContext(window, doubleBuffered)) return 0;
    if (!MakeUiGlCurrent(window)) return 0;
    g_ListIdBase = GlGenLists(kDisplayListReservation);
    MakeUiGlCurrent(nullptr);
    MarkAllSceneListsForRebuild();
    return 1;
}

void ResetViewViewport()
{
    if (!g_ViewGlContext || g_ViewWindow == nullptr || !MakeUiGlCurrent(g_ViewWindow)) return;
    GlMatrixMode(UI_GL_PROJECTION);
    GlLoadIdentity();
    GlViewport(0, 0, g_ViewportWidth, g_ViewportHeight);
    GlClearColor(g_BackgroundColour[0], g_BackgroundColour[1], g_BackgroundColour[2], g_BackgroundColour[3]);
    GlClear(UI_GL_COLOR_BUFFER_BIT | UI_GL_DEPTH_BUFFER_BIT);
    SetProjection();
    GlMatrixMode(UI_GL_MODELVIEW);
    MakeUiGlCurrent(nullptr);
}

int ComputeWheelZoomSteps(int delta, int reverse)
{
    const int magnitude = delta < 0 ? -delta : delta;
    const int steps = magnitude > 120 ? delta / 120 : delta > 0 ? 1 : -1;
    return reverse ? -steps : steps;
}

void HandleViewWheel(int delta)
{
    ZoomViewBySteps(ComputeWheelZoomSteps(delta, g_WheelZoomReverse));
    g_WheelZoomTime = GetTickCountMs();
    if (g_WheelZoomTimer == 0) {
        g_WheelZooming = 1;
        g_WheelZoomTimer = SetUiTimer(g_ViewWindow, TIMER_WHEEL_ZOOM_END, 25);
    }
}

void RestoreCursorAndKillTimer()
{
    if (g_AutoRotateTimer == 0) return;
    KillUiTimer(g_ViewWindow, TIMER_AUTO_ROTATE);
    g_AutoRotateTimer = 0;
    SetUiClassCursor(g_ViewWindow, IDC_ARROW);
    SetUiCursor(CursorOfMode(g_ViewMouseMode));
}

intptr_t ViewWindowProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    const int x = SignedLowWord(static_cast<uintptr_t>(lParam));
    const int y = SignedHighWord(static_cast<uintptr_t>(lParam));
    switch (message) {
    case WM_CREATE:
        g_ViewWindow = window;   // the frame keeps the same handle; WM_SIZE needs it before that
        UpdateSceneMaterials();
        g_ColoursAppliedHook = ApplyChangedColours;
        // In silent mode the view has no context and never draws.
        g_ViewGlContext = g_SilentMode ? 0 : CreateViewGlContext(window);
        return 0;
    case WM_SIZE:
        OnSize(window, lParam);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_COMMAND:
        OnCommand(wParam);
        return 0;
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(window, x, y, wParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(window, x, y, wParam);
        return 0;
    case WM_LBUTTONUP:
        OnLeftButtonUp(window, x, y);
        return 0;
    case WM_RBUTTONDOWN:
        OnRightButtonDown(window, x, y);
        return 0;
    case WM_RBUTTONUP:
        OnRightButtonUp();
        return 0;
    case WM_MOUSEWHEEL:
        HandleViewWheel(SignedHighWord(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(window, wParam);
        return 0;
    case WM_DROPFILES:
        SendUiMessage(g_MainWindow, WM_DROPFILES, wParam, 0);
        return 0;
    case WM_DESTROY:
        g_ViewGlContext = 0;
        return 0;
    default:
        return DefaultWindowProc(window, message, wParam, lParam);
    }
}

void ResetViewWindowState()
{
    g_ViewWidth = g_ViewHeight = g_ViewRowBytes = g_ViewImageBytes = 0;
    g_ViewAspect = 1.0;
    g_ViewGlContext = 0;
    g_ListIdBase = 0;
    g_ZoomWindowArmed = g_ZoomWindowDragging = 0;
    g_ViewCtrlKeyDown = g_ViewDragging = 0;
    g_ViewMouseMode = VIEW_MOUSE_ROTATE;
    g_RightButtonDown = g_ViewPopupMenuOpen = 0;
    g_WheelZoomTime = 0;
    g_WheelZoomTimer = 0;
    g_WheelZooming = 0;
    g_AutoRotateTimer = 0;
    g_DragReleaseTime = 0;
    g_CutAnimationTimer = 0;
    g_CutAnimationStep = 0;
}
