// The event core: windows with window procedures, synchronous sends and posted messages across
// threads, the message loop, the pump for long work, timers, paint requests, window states, focus,
// capture and key states. Backends (headless by default) give the windows a face (ui_backend.h).
//
// Rules the core keeps (one user-interface thread, the one that called StartEventCore):
//  1. SendUiMessage from another thread blocks until the UI thread ran the window procedure and
//     returns its result. Every wait on the UI thread serves pending sends: RunMessageLoop, modal
//     dialog loops, message boxes, file dialogs, PumpOneUiMessage, SleepServingSends and
//     WaitServingSends.
//  2. PostUiMessage is asynchronous and first in, first out; PostQuitUiMessage queues the quit
//     behind the posts made before it.
//  3. Timers belong to (window, id); setting an existing id replaces it. WM_TIMER is generated only
//     in RunMessageLoop and modal loops, never in PumpOneUiMessage or the serving waits.
//  4. WM_PAINT runs on the UI thread only: another thread asks for it with SendUiMessage(WM_PAINT)
//     or with InvalidateUiWindow (painted by the next loop iteration).
//  5. Minimised, maximised and restored states are kept here, changed by ShowUiWindow and by the
//     default handling of WM_SYSCOMMAND.
#pragma once
#include <cstdint>
#include "platform/ui/ui_constants.h"
#include "platform/ui/ui_types.h"

struct UiBackend;

// Program-wide settings of the event core (written by the UI thread at start-up, or by tests).
struct UiCoreSettings {
    int unattended;                            // 1: message boxes and dialogs answer by themselves
    int (*isUnattendedHook)();                 // the shell's live test (silent or batch run); null: none
    void (*logHook)(const char* caption, const char* text);  // receives what unattended boxes would have shown
    int screenWidth;                           // the screen a maximised window fills (default 1024 x 768)
    int screenHeight;
};
extern UiCoreSettings g_UiSettings;

// 1 when message boxes, questions and file dialogs must answer without a user: unattended set, or the
// hook says so.
int IsUiUnattended();

// Makes the calling thread the UI thread, installs the backend (null: headless) and the shell's pump
// hook. Returns 1; 0 when the core already runs on another thread.
int StartEventCore(const UiBackend* backend);
// Destroys every window, drops queued posts and timers, releases every blocked sender (their sends
// return 0) and forgets the UI thread. For tests and for the end of the program.
void StopEventCore();
// 1 when the caller is the UI thread.
int IsUiThread();
// The installed backend (the headless one when none was given).
const UiBackend* GetUiBackend();

// --- Windows -------------------------------------------------------------------------------------

// Creates a window (UI thread; the core is started headless on the caller when it is not running). Sends
// WM_CREATE with lParam = createParam (a result of -1 refuses: the window is destroyed and null
// returned), then WM_SIZE with the client size. className groups windows for class cursors.
// style: WS_CHILD, WS_VISIBLE. rect: position (client coordinates of the parent for a child) and size;
// null gives 0, 0, 640, 480.
WindowHandle CreateUiWindow(const char* className, const char* title, WindowProc proc, WindowHandle parent,
                            unsigned style, const UiRect* rect, intptr_t createParam);
// Destroys a window, its children and the windows it owns (WM_DESTROY to the window first, then to
// the others), kills their timers; posts still queued for them are dropped. The handle stays invalid (IsUiWindow 0) afterwards. Returns 1 or 0.
int DestroyUiWindow(WindowHandle window);
// 1 for a live window of the core.
int IsUiWindow(WindowHandle window);
WindowHandle GetUiWindowParent(WindowHandle window);
const char* GetUiWindowClassName(WindowHandle window);   // "" for a dead window
// The default handling of a message: WM_CLOSE destroys, WM_SYSCOMMAND SC_MINIMIZE, SC_MAXIMIZE,
// SC_RESTORE change the state, SC_CLOSE sends WM_CLOSE; WM_PAINT validates; anything else gives 0.
intptr_t DefaultWindowProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);

// Title text (any thread). GetUiWindowText copies at most size - 1 bytes; returns the full length.
void SetUiWindowText(WindowHandle window, const char* text);
int GetUiWindowText(WindowHandle window, char* text, int size);

// Geometry. The window rectangle is in the parent's client coordinates (screen for top windows); the
// client rectangle starts at 0, 0 and is empty while minimised. MoveUiWindow sends WM_MOVE and, when
// the size changed, WM_SIZE.
int MoveUiWindow(WindowHandle window, int x, int y, int width, int height);
int GetUiWindowRect(WindowHandle window, UiRect* rect);
int GetUiClientRect(WindowHandle window, UiRect* rect);
// Client point to screen and back.
void ClientToScreenPoint(WindowHandle window, int* x, int* y);
void ScreenToClientPoint(WindowHandle window, int* x, int* y);

// Show commands SW_*: SW_HIDE hides; SW_MINIMIZE, SW_SHOWMINIMIZED, SW_SHOWMINNOACTIVE minimise;
// SW_MAXIMIZE maximises; SW_RESTORE, SW_SHOWNORMAL restore; SW_SHOW and the others show in the
// current state. A change of state sends WM_SIZE (SIZE_MINIMIZED, SIZE_MAXIMIZED, SIZE_RESTORED),
// a change of visibility WM_SHOWWINDOW. Returns 1 when the window was visible before.
int ShowUiWindow(WindowHandle window, int showCommand);
int IsUiWindowVisible(WindowHandle window);
int IsUiWindowMinimised(WindowHandle window);
int IsUiWindowMaximised(WindowHandle window);
int EnableUiWindow(WindowHandle window, int enable);     // returns 1 when it was disabled before
int IsUiWindowEnabled(WindowHandle window);

// Focus, activation and mouse capture (UI thread). Return the previous window.
WindowHandle SetUiFocus(WindowHandle window);
WindowHandle GetUiFocus();
WindowHandle SetUiForegroundWindow(WindowHandle window);  // also sends WM_ACTIVATE WA_ACTIVE
WindowHandle GetUiForegroundWindow();
WindowHandle SetUiCapture(WindowHandle window);
void ReleaseUiCapture();
WindowHandle GetUiCapture();

// Key and mouse-button states as the backend (or a test) reports them: 1 while held.
void SetUiKeyState(int virtualKey, int down);
int IsUiKeyDown(int virtualKey);
// The character of a virtual key as the keyboard maps it (upper-case letters, digits, space, tab,
// return, escape, backspace, the OEM punctuation of a US layout); 0 for keys without one.
int MapVirtualKeyToChar(int virtualKey);

// Registered message numbers: the same name always gives the same number (from WM_REGISTERED_FIRST).
unsigned RegisterUiMessage(const char* name);

// --- Messages ------------------------------------------------------------------------------------

// Runs the window procedure and returns its result. On the UI thread it is a direct call; from any
// other thread it blocks until the UI thread has served it (rule 1). A dead window, or a core that
// stops while the send waits, gives 0.
intptr_t SendUiMessage(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);
// The same with a time limit (milliseconds) for callers that must not wait forever: 1 with *result
// set when served, 0 on time-out (the send is withdrawn when it has not started) or a dead window.
int SendUiMessageTimeout(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam,
                         unsigned timeoutMs, intptr_t* result);
// Queues the message for the UI thread (any thread). Returns 1, or 0 for a dead window.
int PostUiMessage(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);
// Queues the quit request behind every post made before it (any thread).
void PostQuitUiMessage(int exitCode);
// Runs fn(context) on the UI thread and returns its result: a synchronous call like a send (direct
// on the UI thread). Returns 0 without running fn when the core does not run.
intptr_t RunOnUiThread(intptr_t (*fn)(void* context), void* context);

// One message as the loops see it.
struct UiMessage {
    WindowHandle window;
    unsigned message;
    uintptr_t wParam;
    intptr_t lParam;
};

struct AcceleratorTable;   // platform/ui/menu.h

// The main message loop (UI thread): serves sends, dispatches posts in order (each offered to
// TranslateUiAccelerator with the table first, when it is not null), generates WM_TIMER for due
// timers and WM_PAINT for invalidated windows when nothing is queued, and waits for more. Returns the
// exit code of the quit request that ends it.
int RunMessageLoop(const AcceleratorTable* accelerators);
// One round of the loop for backends and modal loops: serves sends, then dispatches at most one
// posted message, due timer (withTimers 1) or paint; waits up to timeoutMs when there is nothing.
// Returns 1 when something was handled, 0 when nothing was, -1 when the next message is the quit
// request (it stays queued; *exitCode gets its code when exitCode is not null).
int RunUiLoopOnce(unsigned timeoutMs, int withTimers, int* exitCode);
// The pump for long work (UI thread): serves pending sends and dispatches one posted message; never
// a timer, never a paint, never the quit request (that stays queued). Returns 1 when a posted message
// was dispatched. StartEventCore installs it (followed by SetUiCursor(IDC_WAIT)) as the hook of the
// shell's PumpMessagesDuringWork.
int PumpOneUiMessage();
// The pump of long work on the UI thread: serves pending sends; with dispatch 1 also lets the backend
// take its native events (input becomes posts), dispatches posted WM_PAINT and WM_SIZE and paints
// invalidated windows. Every other posted message (clicks, keys, commands, close, quit) stays queued in
// its order for the main loop, so long work is never re-entered by a command; never a timer.
// Returns how many paints and sizes were handled.
int PumpUiDuringWork(int dispatch);
// Runs every pending cross-thread send now (UI thread). Returns how many ran.
int ServePendingSends();
// Sleeps on the UI thread while serving sends (on another thread: a plain sleep).
void SleepServingSends(unsigned milliseconds);
// Waits until isDone(context) returns non-zero, serving sends meanwhile (UI thread) and looking at
// least every 5 ms. timeoutMs 0xFFFFFFFF waits without limit. Returns 1 when done, 0 on time-out.
int WaitServingSends(int (*isDone)(void* context), void* context, unsigned timeoutMs);
// The number of posted messages not yet dispatched (for tests).
int CountQueuedUiMessages();

// --- Timers --------------------------------------------------------------------------------------

// Starts (or replaces) timer id of the window with a period of intervalMs (any thread). Returns id,
// or 0 for a dead window or id 0.
uintptr_t SetUiTimer(WindowHandle window, uintptr_t id, unsigned intervalMs);
// Stops it. Returns 1 when it existed.
int KillUiTimer(WindowHandle window, uintptr_t id);
// 1 while the timer exists; *intervalMs gets its period when not null.
int IsUiTimerSet(WindowHandle window, uintptr_t id, unsigned* intervalMs);

// --- Painting ------------------------------------------------------------------------------------

// Marks the window for repainting (any thread); the loop sends WM_PAINT later.
void InvalidateUiWindow(WindowHandle window, int erase);
// Sends WM_PAINT now when the window is marked (from another thread: a synchronous send).
void UpdateUiWindow(WindowHandle window);
int IsUiWindowInvalid(WindowHandle window);
// The bracket of a WM_PAINT handler: validates the window and lets the backend prepare and finish its
// drawing. BeginUiPaint returns 1 when the window has a drawable face (0 headless).
int BeginUiPaint(WindowHandle window);
void EndUiPaint(WindowHandle window);

// OpenGL of a window (UI thread). Headless, or with no display, there is no context: create gives 0
// and make-current gives 0, so callers skip every GL call.
int CreateUiGlContext(WindowHandle window, int doubleBuffered);
int MakeUiGlCurrent(WindowHandle window);                // null releases the current context
void SwapUiGlBuffers(WindowHandle window);
void DeleteUiGlContext(WindowHandle window);
int HasUiGlContext(WindowHandle window);
