// The interface a backend implements to give the event core's windows a face (real windows, menus,
// dialogs, boxes, OpenGL). The headless backend is the default; platform/ui/fltk provides the real
// one. Every entry is called on the UI thread only; a null entry means "nothing to do" (or, for the
// entries that return an answer, "cannot": the core then answers as headless).
#pragma once
#include <cstddef>
#include <cstdint>
#include "platform/ui/event_core.h"

struct DialogTemplate;
struct UiGlCalls;
struct FileDialogRequest;

// Kinds of windows, for the backend to choose the widget.
enum UiWindowKind {
    UI_WINDOW_PLAIN = 0,         // frame or child drawn by its window procedure
    UI_WINDOW_STATUS_BAR = 1,
    UI_WINDOW_PROGRESS_BAR = 2,
    UI_WINDOW_DIALOG = 3,
};

// What changed, for UiBackend::windowChanged (a bit set; detail is a part or control id).
constexpr unsigned UI_CHANGE_TEXT = 0x001;         // title
constexpr unsigned UI_CHANGE_GEOMETRY = 0x002;
constexpr unsigned UI_CHANGE_VISIBILITY = 0x004;
constexpr unsigned UI_CHANGE_STATE = 0x008;        // minimised, maximised, restored
constexpr unsigned UI_CHANGE_ENABLED = 0x010;
constexpr unsigned UI_CHANGE_MENU = 0x020;         // the window's menu bar or its items
constexpr unsigned UI_CHANGE_STATUS = 0x040;       // status-bar parts or texts
constexpr unsigned UI_CHANGE_PROGRESS = 0x080;     // progress-bar range or position
constexpr unsigned UI_CHANGE_DIALOG_ITEM = 0x100;  // a control of a dialog (detail: its id, -1 all)
constexpr unsigned UI_CHANGE_PANEL = 0x200;        // the panel-cell model: draw it
constexpr unsigned UI_CHANGE_FOCUS = 0x400;
constexpr unsigned UI_CHANGE_CLASS_CURSOR = 0x800;

struct UiBackend {
    const char* name;
    // Any thread: interrupts waitEvents (a send, post, timer or change arrived).
    void (*wake)();
    // Waits up to timeoutMs for native events and handles them; returns early after wake.
    void (*waitEvents)(unsigned timeoutMs);
    // A window was created (before WM_CREATE) or is being destroyed (after WM_DESTROY).
    int (*createWindow)(WindowHandle window);
    void (*destroyWindow)(WindowHandle window);
    // Model changes to show (what: UI_CHANGE_* bits; detail: control id or -1).
    void (*windowChanged)(WindowHandle window, unsigned what, int detail);
    // The window was invalidated (a WM_PAINT will follow from the core's loop).
    void (*invalidate)(WindowHandle window);
    // The bracket of a WM_PAINT handler: returns 1 when the window can be drawn.
    int (*beginPaint)(WindowHandle window);
    void (*endPaint)(WindowHandle window);
    // OpenGL of a window: create returns 1 when a context exists; makeCurrent(null) releases.
    int (*createGlContext)(WindowHandle window, int doubleBuffered);
    int (*makeGlCurrent)(WindowHandle window);
    void (*swapGlBuffers)(WindowHandle window);
    void (*deleteGlContext)(WindowHandle window);
    // A popup menu at a screen point: the chosen command id, 0 for none, -1 cannot.
    int (*trackPopupMenu)(MenuHandle menu, int screenX, int screenY, WindowHandle owner);
    // Modal boxes and dialogs: the answer, or -1 cannot. They run their own wait, calling
    // RunUiLoopOnce (which serves sends) so that nothing deadlocks.
    int (*showMessageBox)(WindowHandle owner, const char* text, const char* caption, unsigned style);
    int (*showFileDialog)(FileDialogRequest* request, int save);
    int (*showColourDialog)(WindowHandle owner, unsigned* colour, unsigned* customColours);
    // The cursor shown, its clip rectangle, the clipboard image (rows as in cursor_clipboard.h).
    void (*setCursor)(int cursor);
    void (*clipCursor)(const UiRect* rect);
    void (*setClipboardImage)(const unsigned char* pixels, int width, int height);
    // The GL calls of the windows' contexts (gl_calls.h), installed by StartEventCore; null: none.
    const UiGlCalls* gl;
};

// The headless backend (every entry null): what StartEventCore(null) installs.
const UiBackend* GetHeadlessUiBackend();

// Window facts for backends.
int GetUiWindowKind(WindowHandle window);                          // UiWindowKind, -1 when dead
unsigned GetUiWindowStyle(WindowHandle window);
const DialogTemplate* GetUiDialogTemplate(WindowHandle window);    // null unless a dialog
void SetUiWindowBackendData(WindowHandle window, void* data);     // the backend's own record
void* GetUiWindowBackendData(WindowHandle window);
// Every live window in creation order (copies at most maxCount). Returns the count of live windows.
int ListUiWindows(WindowHandle* windows, int maxCount);

// What the user did to a window, reported by the backend: the model takes the new geometry or state
// and the window procedure gets WM_MOVE / WM_SIZE, without the change being echoed to the backend.
void ReportUiWindowGeometry(WindowHandle window, int x, int y, int width, int height);
void ReportUiWindowShowCommand(WindowHandle window, int showCommand);
