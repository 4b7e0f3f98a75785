// The 3D view child window: its window class, its procedure (OpenGL context, painting, mouse and keys)
// and the camera step the start-up needs. Stand-in (view_window_standin.cpp) until the view window is
// built: the window makes its OpenGL context and paints nothing.
#pragma once
#include <cstdint>
#include "platform/ui/ui_types.h"

// The class name of the view window.
extern const char g_ViewClassName[];

// Registers the view's class (its cursor). Returns 1.
int RegisterViewClass();
// The view's window procedure.
intptr_t ViewWindowProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);
// Sets the view's rotation centre from the target (stand-in: nothing).
void SetViewCentreFromTarget();
