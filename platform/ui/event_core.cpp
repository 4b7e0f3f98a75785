// The event core's windows: start and stop of the core, window records and their lifetime,
// geometry, show states, focus, capture, key states and registered messages. The queues and loops
// are in message_loop.cpp.
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include "platform/ui/cursor_clipboard.h"
#include "platform/ui/shell_services.h"
#include "platform/ui/gl_calls.h"
#include "platform/ui/ui_internal.h"

UiCoreSettings g_UiSettings = {0, nullptr, nullptr, 1024, 768};
UiCoreState g_UiCore;

// The shell's pump hook (app/shell_services.cpp calls it from PumpMessagesDuringWork).
void (*g_PumpOneMessageHook)() = nullptr;

namespace {

const UiBackend kHeadlessBackend = {"headless", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr};

std::atomic<int> g_KeyStates[256];                  // any thread: 1 while the key is held
std::map<std::string, unsigned> g_RegisteredMessages;   // guarded by g_UiCore.lock
std::map<std::string, int> g_ClassCursors;              // guarded by g_UiCore.lock

// The shell's pump: sends, paints and sizes (only sends when the shell allows no dispatch), then the
// wait cursor that tells the user the work goes on.
void PumpHookAdapter() {
    PumpUiDuringWork(g_PumpDispatchAllowed);
    SetUiCursor(IDC_WAIT);
}

UiRect MakeRect(int x, int y, int width, int height) { return UiRect{x, y, x + width, y + height}; }

// The client size the window procedure is told about: empty while minimised.
void GetClientSizeLocked(const UiWindow* w, int* width, int* height) {
    if (w->showState == 1) {
        *width = 0;
        *height = 0;
        return;
    }
    *width = w->rect.right - w->rect.left;
    *height = w->rect.bottom - w->rect.top;
}

void SendSizeMessage(UiWindow* w, unsigned kind) {
    int width = 0, height = 0;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        GetClientSizeLocked(w, &width, &height);
    }
    CallWindowProcedure(w, WM_SIZE, kind, MakeLParam(static_cast<unsigned>(width), static_cast<unsigned>(height)));
}

unsigned SizeKindOf(int showState) {
    if (showState == 1) return SIZE_MINIMIZED;
    if (showState == 2) return SIZE_MAXIMIZED;
    return SIZE_RESTORED;
}

// The windows destroyed with w: its children and owned windows, recursively, in creation order.
void CollectDependants(UiWindow* w, std::vector<UiWindow*>* out) {
    for (UiWindow* other : g_UiCore.windows) {
        if (!other->alive || other == w) continue;
        if (other->parent == w || other->owner == w) {
            out->push_back(other);
            CollectDependants(other, out);
        }
    }
}

// Applies a show command to the model; reports what changed. Lock held.
void ApplyShowCommandLocked(UiWindow* w, int command, int* visibilityChanged, int* stateChanged) {
    int oldVisible = w->visible;
    int oldState = w->showState;
    int newState = oldState;
    if (command == SW_HIDE) {
        w->visible = 0;
    } else {
        w->visible = 1;
        if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED || command == SW_SHOWMINNOACTIVE) newState = 1;
        else if (command == SW_MAXIMIZE) newState = 2;
        else if (command == SW_RESTORE || command == SW_SHOWNORMAL || command == SW_SHOWDEFAULT) newState = 0;
    }
    if (newState != oldState) {
        if (newState == 2) {
            if (oldState == 0) w->restoreRect = w->rect;
            w->rect = MakeRect(0, 0, g_UiSettings.screenWidth, g_UiSettings.screenHeight);
        } else if (oldState == 2) {
            w->rect = w->restoreRect;
        }
        w->showState = newState;
    }
    *visibilityChanged = oldVisible != w->visible;
    *stateChanged = newState != oldState;
}

// Show command with its messages; echo 1 tells the backend.
int ShowWindowCommand(WindowHandle window, int command, int echo) {
    UiWindow* w = FindLiveWindow(window);
    if (w == nullptr) return 0;
    int wasVisible = 0, visibilityChanged = 0, stateChanged = 0;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        wasVisible = w->visible;
        ApplyShowCommandLocked(w, command, &visibilityChanged, &stateChanged);
        if (visibilityChanged && w->visible) w->invalid = 1;
    }
    if (echo && (visibilityChanged || stateChanged)) {
        NoteUiWindowChange(w, (visibilityChanged ? UI_CHANGE_VISIBILITY : 0u) | (stateChanged ? UI_CHANGE_STATE : 0u), -1);
    }
    if (visibilityChanged) CallWindowProcedure(w, WM_SHOWWINDOW, w->visible ? 1u : 0u, 0);
    if (stateChanged) SendSizeMessage(w, SizeKindOf(w->showState));
    if (visibilityChanged || stateChanged) WakeUiThread();
    return wasVisible;
}

int MoveWindowModel(WindowHandle window, int x, int y, int width, int height, int echo) {
    UiWindow* w = FindLiveWindow(window);
    if (w == nullptr) return 0;
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    int moved = 0, sized = 0;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        UiRect old = w->rect;
        w->rect = MakeRect(x, y, width, height);
        if (w->showState != 2) w->restoreRect = w->rect;
        moved = old.left != x || old.top != y;
        sized = (old.right - old.left) != width || (old.bottom - old.top) != height;
        if (sized) w->invalid = 1;
    }
    if (echo && (moved || sized)) NoteUiWindowChange(w, UI_CHANGE_GEOMETRY, -1);
    if (moved) CallWindowProcedure(w, WM_MOVE, 0, MakeLParam(static_cast<unsigned>(x), static_cast<unsigned>(y)));
    if (sized) SendSizeMessage(w, SizeKindOf(w->showState));
    return 1;
}

}  // namespace

// --- Helpers shared by the core's files -----------------------------------------------------------

uint64_t UiNowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int CopyUiText(const std::string& text, char* buffer, int size) {
    int length = static_cast<int>(text.size());
    if (buffer == nullptr || size <= 0) return length;
    int n = length < size - 1 ? length : size - 1;
    // Do not cut a UTF-8 character in two.
    while (n > 0 && n < length && (static_cast<unsigned char>(text[n]) & 0xC0u) == 0x80u) --n;
    std::memcpy(buffer, text.data(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return length;
}

void CopyUiTextToArray(const char* text, char* buffer, int size) {
    CopyUiText(std::string(text != nullptr ? text : ""), buffer, size);
}

UiWindow* FindLiveWindowLocked(WindowHandle window) {
    if (window == nullptr) return nullptr;
    for (UiWindow* w : g_UiCore.windows) {
        if (w == window) return w->alive ? w : nullptr;
    }
    return nullptr;
}

UiWindow* FindLiveWindow(WindowHandle window) {
    if (window == nullptr) return nullptr;
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    return FindLiveWindowLocked(window);
}

void WakeUiThread() {
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        ++g_UiCore.wakeCount;
    }
    g_UiCore.wakeup.notify_all();
    const UiBackend* backend = g_UiCore.backend;
    if (backend != nullptr && backend->wake != nullptr) backend->wake();
}

void NoteUiWindowChange(UiWindow* window, unsigned what, int detail) {
    if (window == nullptr) return;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        if (!window->alive) return;
        if ((what & UI_CHANGE_DIALOG_ITEM) != 0) {
            int hadItem = (window->pendingChanges & UI_CHANGE_DIALOG_ITEM) != 0;
            window->pendingDetail = (hadItem && window->pendingDetail != detail) ? -1 : detail;
        }
        window->pendingChanges |= what;
        g_UiCore.changesPending = 1;
    }
    if (IsUiThread()) DeliverPendingChanges();
    else WakeUiThread();
}

void DeliverPendingChanges() {
    if (!IsUiThread()) return;
    struct Change {
        UiWindow* window;
        unsigned what;
        int detail;
    };
    std::vector<Change> changes;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        if (!g_UiCore.changesPending) return;
        g_UiCore.changesPending = 0;
        for (UiWindow* w : g_UiCore.windows) {
            if (!w->alive || w->pendingChanges == 0) continue;
            changes.push_back(Change{w, w->pendingChanges, w->pendingDetail});
            w->pendingChanges = 0;
            w->pendingDetail = -1;
            if ((changes.back().what & UI_CHANGE_PANEL) != 0 && w->panel) ++w->panel->drawCount;
        }
    }
    const UiBackend* backend = g_UiCore.backend;
    if (backend == nullptr || backend->windowChanged == nullptr) return;
    for (const Change& c : changes) {
        if (IsUiWindow(c.window)) backend->windowChanged(c.window, c.what, c.detail);
    }
}

intptr_t CallWindowProcedure(UiWindow* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    WindowProc proc = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        if (!window->alive) return 0;
        proc = window->proc;
    }
    if (proc == nullptr) return DefaultWindowProc(window, message, wParam, lParam);
    return proc(window, message, wParam, lParam);
}

// --- Settings, start and stop --------------------------------------------------------------------

int IsUiUnattended() {
    if (g_UiSettings.unattended) return 1;
    return g_UiSettings.isUnattendedHook != nullptr && g_UiSettings.isUnattendedHook() ? 1 : 0;
}

const UiBackend* GetHeadlessUiBackend() { return &kHeadlessBackend; }

int StartEventCore(const UiBackend* backend) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    if (g_UiCore.running) return g_UiCore.uiThread == std::this_thread::get_id() ? 1 : 0;
    g_UiCore.running = 1;
    g_UiCore.uiThread = std::this_thread::get_id();
    g_UiCore.backend = backend != nullptr ? backend : &kHeadlessBackend;
    SetUiGlCalls(g_UiCore.backend.load()->gl);
    g_PumpOneMessageHook = &PumpHookAdapter;
    return 1;
}

void StopEventCore() {
    if (!IsUiThread()) return;
    // Release every waiting sender first, so nobody waits for a UI thread that is going away.
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        for (auto& send : g_UiCore.sends) send->done = 1;
        g_UiCore.sends.clear();
    }
    g_UiCore.sendDone.notify_all();
    std::vector<UiWindow*> tops;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        for (UiWindow* w : g_UiCore.windows) {
            if (w->alive && w->parent == nullptr && w->owner == nullptr) tops.push_back(w);
        }
    }
    for (UiWindow* w : tops) DestroyUiWindow(w);
    std::vector<UiWindow*> records;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        for (UiWindow* w : g_UiCore.windows) w->alive = 0;
        records.swap(g_UiCore.windows);
        for (auto& send : g_UiCore.sends) send->done = 1;
        g_UiCore.sends.clear();
        g_UiCore.posts.clear();
        g_UiCore.timers.clear();
        g_UiCore.changesPending = 0;
        g_UiCore.focus = g_UiCore.foreground = g_UiCore.capture = nullptr;
        g_UiCore.running = 0;
        g_UiCore.uiThread = std::thread::id();
        g_UiCore.backend = nullptr;
        SetUiGlCalls(nullptr);
        g_RegisteredMessages.clear();
        g_ClassCursors.clear();
    }
    g_UiCore.sendDone.notify_all();
    for (UiWindow* w : records) delete w;
    for (auto& key : g_KeyStates) key.store(0);
    if (g_PumpOneMessageHook == &PumpHookAdapter) g_PumpOneMessageHook = nullptr;
    ResetMenuState();
    ResetDialogState();
    ResetMessageBoxState();
    ResetCursorClipboardState();
}

int IsUiThread() {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    return g_UiCore.running && g_UiCore.uiThread == std::this_thread::get_id() ? 1 : 0;
}

const UiBackend* GetUiBackend() {
    const UiBackend* backend = g_UiCore.backend;
    return backend != nullptr ? backend : &kHeadlessBackend;
}

// --- Windows -------------------------------------------------------------------------------------

WindowHandle CreateUiWindowOfKind(int kind, const char* className, const char* title, WindowProc proc,
                                  WindowHandle parent, WindowHandle owner, unsigned style, const UiRect* rect,
                                  intptr_t createParam, std::unique_ptr<DialogState> dialog) {
    StartEventCore(nullptr);
    if (!IsUiThread()) return nullptr;
    UiWindow* w = new UiWindow();
    w->alive = 1;
    w->kind = kind;
    w->className = className != nullptr ? className : "";
    w->title = title != nullptr ? title : "";
    w->proc = proc;
    w->style = style;
    w->rect = rect != nullptr ? *rect : MakeRect(0, 0, 640, 480);
    w->restoreRect = w->rect;
    w->visible = (style & WS_VISIBLE) != 0;
    w->enabled = 1;
    w->pendingDetail = -1;
    w->progress = ProgressBarState{0, 100, 10, 0, 0};
    w->dialog = std::move(dialog);
    if (kind == UI_WINDOW_STATUS_BAR) {
        w->statusBar = std::make_unique<StatusBarState>();
        w->statusBar->height = w->rect.bottom - w->rect.top;
        w->statusBar->partCount = 1;
        w->statusBar->rightEdges[0] = -1;
        for (int& style : w->statusBar->styles) style = 0;
    }
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        w->parent = FindLiveWindowLocked(parent);
        w->owner = FindLiveWindowLocked(owner);
        g_UiCore.windows.push_back(w);
    }
    const UiBackend* backend = GetUiBackend();
    if (backend->createWindow != nullptr) backend->createWindow(w);
    if (CallWindowProcedure(w, WM_CREATE, 0, createParam) == -1) {
        DestroyUiWindow(w);
        return nullptr;
    }
    if (!IsUiWindow(w)) return nullptr;
    SendSizeMessage(w, SIZE_RESTORED);
    if (w->visible) InvalidateUiWindow(w, 1);
    return w;
}

WindowHandle CreateUiWindow(const char* className, const char* title, WindowProc proc, WindowHandle parent,
                            unsigned style, const UiRect* rect, intptr_t createParam) {
    return CreateUiWindowOfKind(UI_WINDOW_PLAIN, className, title, proc, parent, nullptr, style, rect, createParam,
                                nullptr);
}

int DestroyUiWindow(WindowHandle window) {
    UiWindow* w = FindLiveWindow(window);
    if (w == nullptr || !IsUiThread()) return 0;
    std::vector<UiWindow*> doomed;
    doomed.push_back(w);
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        CollectDependants(w, &doomed);
    }
    for (UiWindow* d : doomed) CallWindowProcedure(d, WM_DESTROY, 0, 0);
    const UiBackend* backend = GetUiBackend();
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
        UiWindow* d = *it;
        if (backend->destroyWindow != nullptr && d->alive) backend->destroyWindow(d);
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        d->alive = 0;
        d->pendingChanges = 0;
        auto& timers = g_UiCore.timers;
        for (size_t i = timers.size(); i-- > 0;) {
            if (timers[i].window == d) timers.erase(timers.begin() + static_cast<long>(i));
        }
        if (g_UiCore.focus == d) g_UiCore.focus = nullptr;
        if (g_UiCore.foreground == d) g_UiCore.foreground = nullptr;
        if (g_UiCore.capture == d) g_UiCore.capture = nullptr;
    }
    WakeUiThread();   // modal loops of destroyed dialogs look again
    return 1;
}

int IsUiWindow(WindowHandle window) { return FindLiveWindow(window) != nullptr ? 1 : 0; }

WindowHandle GetUiWindowParent(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    return w != nullptr ? w->parent : nullptr;
}

const char* GetUiWindowClassName(WindowHandle window) {
    UiWindow* w = FindLiveWindow(window);
    return w != nullptr ? w->className.c_str() : "";
}

intptr_t DefaultWindowProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    (void)lParam;
    switch (message) {
    case WM_CLOSE:
        DestroyUiWindow(window);
        return 0;
    case WM_SYSCOMMAND: {
        unsigned command = static_cast<unsigned>(wParam) & 0xFFF0u;
        if (command == SC_MINIMIZE) ShowUiWindow(window, SW_MINIMIZE);
        else if (command == SC_MAXIMIZE) ShowUiWindow(window, SW_MAXIMIZE);
        else if (command == SC_RESTORE) ShowUiWindow(window, SW_RESTORE);
        else if (command == SC_CLOSE) SendUiMessage(window, WM_CLOSE, 0, 0);
        return 0;
    }
    case WM_PAINT: {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        UiWindow* w = FindLiveWindowLocked(window);
        if (w != nullptr) w->invalid = 0;
        return 0;
    }
    default:
        return 0;
    }
}

void SetUiWindowText(WindowHandle window, const char* text) {
    UiWindow* w = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        w = FindLiveWindowLocked(window);
        if (w == nullptr) return;
        w->title = text != nullptr ? text : "";
    }
    NoteUiWindowChange(w, UI_CHANGE_TEXT, -1);
}

int GetUiWindowText(WindowHandle window, char* text, int size) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    if (w == nullptr) {
        if (text != nullptr && size > 0) text[0] = '\0';
        return 0;
    }
    return CopyUiText(w->title, text, size);
}

int MoveUiWindow(WindowHandle window, int x, int y, int width, int height) {
    return MoveWindowModel(window, x, y, width, height, 1);
}

int GetUiWindowRect(WindowHandle window, UiRect* rect) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    if (w == nullptr || rect == nullptr) return 0;
    *rect = w->rect;
    return 1;
}

int GetUiClientRect(WindowHandle window, UiRect* rect) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    if (w == nullptr || rect == nullptr) return 0;
    int width = 0, height = 0;
    GetClientSizeLocked(w, &width, &height);
    *rect = MakeRect(0, 0, width, height);
    return 1;
}

void ClientToScreenPoint(WindowHandle window, int* x, int* y) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    for (UiWindow* w = FindLiveWindowLocked(window); w != nullptr; w = w->parent) {
        *x += w->rect.left;
        *y += w->rect.top;
    }
}

void ScreenToClientPoint(WindowHandle window, int* x, int* y) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    for (UiWindow* w = FindLiveWindowLocked(window); w != nullptr; w = w->parent) {
        *x -= w->rect.left;
        *y -= w->rect.top;
    }
}

int ShowUiWindow(WindowHandle window, int showCommand) { return ShowWindowCommand(window, showCommand, 1); }

int IsUiWindowVisible(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    return w != nullptr ? w->visible : 0;
}

int IsUiWindowMinimised(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    return w != nullptr && w->showState == 1 ? 1 : 0;
}

int IsUiWindowMaximised(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    return w != nullptr && w->showState == 2 ? 1 : 0;
}

int EnableUiWindow(WindowHandle window, int enable) {
    UiWindow* w = nullptr;
    int wasDisabled = 0;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        w = FindLiveWindowLocked(window);
        if (w == nullptr) return 0;
        wasDisabled = !w->enabled;
        w->enabled = enable ? 1 : 0;
    }
    if (wasDisabled == (enable ? 1 : 0)) NoteUiWindowChange(w, UI_CHANGE_ENABLED, -1);
    return wasDisabled;
}

int IsUiWindowEnabled(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    return w != nullptr ? w->enabled : 0;
}

// --- Focus, capture, keys ------------------------------------------------------------------------

WindowHandle SetUiFocus(WindowHandle window) {
    UiWindow* previous = nullptr;
    UiWindow* w = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        previous = g_UiCore.focus;
        w = FindLiveWindowLocked(window);
        g_UiCore.focus = w;
    }
    if (previous == w) return previous;
    if (previous != nullptr) CallWindowProcedure(previous, WM_KILLFOCUS, 0, 0);
    if (w != nullptr) {
        CallWindowProcedure(w, WM_SETFOCUS, 0, 0);
        NoteUiWindowChange(w, UI_CHANGE_FOCUS, -1);
    }
    return previous;
}

WindowHandle GetUiFocus() {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    return g_UiCore.focus;
}

WindowHandle SetUiForegroundWindow(WindowHandle window) {
    UiWindow* previous = nullptr;
    UiWindow* w = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        previous = g_UiCore.foreground;
        w = FindLiveWindowLocked(window);
        if (w == nullptr) return previous;
        g_UiCore.foreground = w;
    }
    if (previous != w) {
        if (previous != nullptr) CallWindowProcedure(previous, WM_ACTIVATE, WA_INACTIVE, 0);
        CallWindowProcedure(w, WM_ACTIVATE, WA_ACTIVE, 0);
    }
    return previous;
}

WindowHandle GetUiForegroundWindow() {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    return g_UiCore.foreground;
}

WindowHandle SetUiCapture(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* previous = g_UiCore.capture;
    g_UiCore.capture = FindLiveWindowLocked(window);
    return previous;
}

void ReleaseUiCapture() {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    g_UiCore.capture = nullptr;
}

WindowHandle GetUiCapture() {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    return g_UiCore.capture;
}

void SetUiKeyState(int virtualKey, int down) {
    if (virtualKey >= 0 && virtualKey < 256) g_KeyStates[virtualKey].store(down ? 1 : 0);
}

int IsUiKeyDown(int virtualKey) {
    return virtualKey >= 0 && virtualKey < 256 ? g_KeyStates[virtualKey].load() : 0;
}

int MapVirtualKeyToChar(int virtualKey) {
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) return virtualKey;
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9) return '0' + (virtualKey - VK_NUMPAD0);
    switch (virtualKey) {
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 27;
    case VK_SPACE: return ' ';
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return ';';
    case VK_OEM_PLUS: return '=';
    case VK_OEM_COMMA: return ',';
    case VK_OEM_MINUS: return '-';
    case VK_OEM_PERIOD: return '.';
    case VK_OEM_2: return '/';
    default: return 0;
    }
}

unsigned RegisterUiMessage(const char* name) {
    if (name == nullptr || name[0] == '\0') return 0;
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    auto found = g_RegisteredMessages.find(name);
    if (found != g_RegisteredMessages.end()) return found->second;
    unsigned number = WM_REGISTERED_FIRST + static_cast<unsigned>(g_RegisteredMessages.size());
    g_RegisteredMessages[name] = number;
    return number;
}

// --- Class cursors (kept with the window classes) -------------------------------------------------

int SetUiClassCursor(WindowHandle window, int cursor) {
    std::vector<UiWindow*> same;
    int previous = IDC_ARROW;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        UiWindow* w = FindLiveWindowLocked(window);
        if (w == nullptr) return 0;
        auto found = g_ClassCursors.find(w->className);
        if (found != g_ClassCursors.end()) previous = found->second;
        g_ClassCursors[w->className] = cursor;
        for (UiWindow* other : g_UiCore.windows) {
            if (other->alive && other->className == w->className) same.push_back(other);
        }
    }
    for (UiWindow* other : same) NoteUiWindowChange(other, UI_CHANGE_CLASS_CURSOR, -1);
    return previous;
}

int GetUiClassCursor(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    if (w == nullptr) return IDC_ARROW;
    auto found = g_ClassCursors.find(w->className);
    return found != g_ClassCursors.end() ? found->second : IDC_ARROW;
}

// --- Facts for backends ----------------------------------------------------------------------------

int GetUiWindowKind(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    return w != nullptr ? w->kind : -1;
}

unsigned GetUiWindowStyle(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    return w != nullptr ? w->style : 0u;
}

const DialogTemplate* GetUiDialogTemplate(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    return w != nullptr && w->dialog ? w->dialog->dialogTemplate : nullptr;
}

void SetUiWindowBackendData(WindowHandle window, void* data) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    if (w != nullptr) w->backendData = data;
}

void* GetUiWindowBackendData(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    for (UiWindow* w : g_UiCore.windows) {
        if (w == window) return w->backendData;   // also for a window being destroyed
    }
    return nullptr;
}

int ListUiWindows(WindowHandle* windows, int maxCount) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    int count = 0;
    for (UiWindow* w : g_UiCore.windows) {
        if (!w->alive) continue;
        if (windows != nullptr && count < maxCount) windows[count] = w;
        ++count;
    }
    return count;
}

void ReportUiWindowGeometry(WindowHandle window, int x, int y, int width, int height) {
    MoveWindowModel(window, x, y, width, height, 0);
}

void ReportUiWindowShowCommand(WindowHandle window, int showCommand) { ShowWindowCommand(window, showCommand, 0); }
