// Private to platform/ui: the window record, the core's queues and the helpers the files of the
// event core share. Nothing outside platform/ui includes this file.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "platform/ui/dialog.h"
#include "platform/ui/event_core.h"
#include "platform/ui/panel_cells.h"
#include "platform/ui/status_bar.h"
#include "platform/ui/ui_backend.h"

// One control of a dialog.
struct DialogItemState {
    int id;
    int kind;                          // DialogItemKind
    UiRect rect;
    unsigned style;                    // DIALOG_ITEM_* flags of the template
    std::string text;
    int checked;                       // BST_CHECKED / BST_UNCHECKED
    int enabled;
    int shown;
    std::vector<std::string> listItems;
    int selection;                     // -1 none
};

// The dialog part of a window record (UI thread writes; other threads read under g_UiCore.lock).
struct DialogState {
    const DialogTemplate* dialogTemplate;
    WindowProc dialogProc;
    intptr_t param;
    int modal;                         // 1 while RunModalDialog runs it
    int ended;                         // 1 after EndUiDialog
    intptr_t result;
    int initialised;                   // 1 once WM_INITDIALOG was sent
    std::vector<DialogItemState> items;
};

struct StatusBarState {
    int height;
    int partCount;
    int rightEdges[kStatusBarMaxParts];
    std::string texts[kStatusBarMaxParts];
    int styles[kStatusBarMaxParts];
};

struct PanelModel {
    PanelCell cells[kPanelMaxCells];
    int drawCount;                     // UI thread: model drawings delivered
};

// A window of the core. Records are never freed while the core runs, so a stale handle held by another
// thread is harmless; IsUiWindow tells a live one. Fields are guarded by g_UiCore.lock unless noted.
struct UiWindow {
    int alive;                         // 0 once destroyed
    int kind;                          // UiWindowKind
    std::string className;
    std::string title;
    WindowProc proc;                   // set at creation
    UiWindow* parent;                  // child windows: parent; null for top windows
    UiWindow* owner;                   // dialogs: owner
    unsigned style;
    UiRect rect;                       // parent client coordinates (screen for top windows)
    UiRect restoreRect;                // rectangle to return to from maximised
    int visible;
    int showState;                     // 0 restored, 1 minimised, 2 maximised
    int enabled;
    int invalid;                       // 1: WM_PAINT pending
    unsigned pendingChanges;           // UI_CHANGE_* bits not yet given to the backend
    int pendingDetail;                 // control id of a single pending dialog-item change, -1 several
    MenuHandle menu;
    void* backendData;                 // UI thread
    int hasGl;                         // UI thread
    std::unique_ptr<DialogState> dialog;
    std::unique_ptr<StatusBarState> statusBar;
    ProgressBarState progress;         // progress bars
    std::unique_ptr<PanelModel> panel; // created on first use
};

// A cross-thread send (or a call to run on the UI thread) waiting to be served.
struct SendRecord {
    UiWindow* window;
    unsigned message;
    uintptr_t wParam;
    intptr_t lParam;
    intptr_t (*function)(void* context);   // RunOnUiThread: called instead of a window procedure
    void* context;
    int started;
    int done;
    intptr_t result;
};

struct PostRecord {
    UiWindow* window;
    unsigned message;
    uintptr_t wParam;
    intptr_t lParam;
    int isQuit;
    int exitCode;
};

struct TimerRecord {
    UiWindow* window;
    uintptr_t id;
    unsigned intervalMs;
    uint64_t dueMs;
};

// The core's state, one per program.
struct UiCoreState {
    std::mutex lock;                          // guards everything below and the window records
    std::condition_variable wakeup;           // the UI thread waits here (headless)
    std::condition_variable sendDone;         // senders wait here
    int running;                              // 1 between StartEventCore and StopEventCore
    std::thread::id uiThread;
    std::atomic<const UiBackend*> backend;    // written by the UI thread at start and stop
    std::vector<UiWindow*> windows;           // every record made since start, in creation order
    std::deque<std::shared_ptr<SendRecord>> sends;
    std::deque<PostRecord> posts;
    std::vector<TimerRecord> timers;
    int changesPending;                       // 1 when some window has pendingChanges
    UiWindow* focus;
    UiWindow* foreground;
    UiWindow* capture;
    int wakeCount;                            // bumped by every wake
};
extern UiCoreState g_UiCore;

// Finds a live window; call with g_UiCore.lock held.
UiWindow* FindLiveWindowLocked(WindowHandle window);
// Finds a live window (takes the lock).
UiWindow* FindLiveWindow(WindowHandle window);
// Wakes the UI thread (lock must NOT be held by the caller... either is fine: it only notifies).
void WakeUiThread();
// Notes a model change for the backend: delivered at once on the UI thread, else by the next loop
// round. detail: control id or part, -1 for several.
void NoteUiWindowChange(UiWindow* window, unsigned what, int detail);
// Gives the pending changes to the backend (UI thread).
void DeliverPendingChanges();
// Calls the window procedure of a live window (UI thread); 0 for a dead one.
intptr_t CallWindowProcedure(UiWindow* window, unsigned message, uintptr_t wParam, intptr_t lParam);
// Creates a window record of a kind (UI thread), with WM_CREATE and WM_SIZE as CreateUiWindow.
WindowHandle CreateUiWindowOfKind(int kind, const char* className, const char* title, WindowProc proc,
                                  WindowHandle parent, WindowHandle owner, unsigned style, const UiRect* rect,
                                  intptr_t createParam, std::unique_ptr<DialogState> dialog);
uint64_t UiNowMs();
// Copies text into a fixed buffer of size bytes (size - 1 at most, cut at a UTF-8 character
// boundary); returns the full length of text.
int CopyUiText(const std::string& text, char* buffer, int size);
void CopyUiTextToArray(const char* text, char* buffer, int size);
// Resets the other files' state (called by StopEventCore).
void ResetMenuState();
void ResetDialogState();
void ResetMessageBoxState();
void ResetCursorClipboardState();
