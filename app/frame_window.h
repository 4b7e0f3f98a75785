// The frame window: its window procedure, its layout (status panel area, 3D view child, status bar with
// its ten parts and two progress bars), painting, the definition-file test on activation, dropped
// files, the end of automation, closing and shut-down, and the title.
#pragma once
#include <cstdint>
#include "platform/ui/progress.h"   // g_ProgressBar, g_ProgressBar2 (made by the first WM_SIZE)
#include "platform/ui/shell_services.h"
#include "platform/ui/ui_types.h"
#include "view/view_window.h"   // g_ViewWindow, g_ViewRect, g_ViewportWidth, g_ViewportHeight

const int STATUS_BAR_PART_COUNT = 10;
const int TIMER_RESIZE_REDRAW = 6;
const int FRAME_TITLE_SIZE = 1024;

// Window and layout state. Written by the UI thread only (WM_CREATE, WM_SIZE, WM_PAINT, commands);
// g_MainWindow and g_StatusBarWindow: shell_services.h.
extern MenuHandle g_MainMenu;          // the frame's menu bar (null with the no-menu switch)
extern int g_FrameCreated;             // 1 once WM_CREATE laid out the children
extern int g_ViewCreated;              // 1 once the view child exists
extern int g_FrameDestroyed;           // 1 once WM_DESTROY ran (shut-down runs once)
extern int g_PanelCharset;             // 0 default, 128 Japanese
extern int g_FrameBorderWidth;
extern int g_PanelInset;               // placement corrections of the floating panels
extern int g_ToolPanelInset;
extern int g_StatusBarHeight;
extern int g_StatusBarParts[STATUS_BAR_PART_COUNT];  // right edges; -1 to the bar's right end
extern UiRect g_FrameClientRect;       // client area above the status bar
extern int g_SavedViewportSize[2];     // viewport size when minimised (a restore at the same size keeps it)
extern int g_ResizePending;            // 1 while TIMER_RESIZE_REDRAW waits for the size to settle
extern uint64_t g_LastResizeTime;      // milliseconds
extern unsigned g_CustomColours[16];   // custom colours of the colour chooser
extern int g_DropLoadedWork;           // 1 from the loading of a dropped work to the end of that drop
extern int g_NcSelected;               // 0 no NC program selected, 1 first selection, 2 later ones

// The frame's window procedure. The creation parameter of CreateUiWindow is the menu bar (or null).
intptr_t MainWindowProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);
// Composes the frame title into text (FRAME_TITLE_SIZE bytes) and sets it; nothing while the frame is
// minimised during a run.
void UpdateMainTitle(WindowHandle frame);
void ComposeMainTitle(char* text, int size);
// Placement corrections of the floating panels for a version code and a border width.
void GetLayoutMetricsForWindowsVersion(int versionCode, int borderWidth, int* panelInset, int* toolPanelInset);
// The right edges of the ten status-bar parts for a client width.
void ComputeStatusBarParts(int clientWidth, int parts[STATUS_BAR_PART_COUNT]);
// Handles a drop of files on the frame or the view: each kind in its fixed pass, the commands sent to
// frame. Finishes the drop.
void HandleDroppedFiles(WindowHandle frame, uintptr_t drop);
// Keys and wheel of the frame (frame_keys.cpp).
void HandleFrameKeyDown(WindowHandle frame, int key);
void HandleFrameKeyUp(int key);
void HandleFrameWheel(int delta);
// Resets the frame state to its program start values (for tests and a second start).
void ResetFrameState();
