// The event core's queues and loops: cross-thread sends, posted messages and the quit request,
// the main loop, one round for modal loops and backends, the pump for long work, serving waits,
// timers and paint requests.
#include <chrono>
#include "platform/ui/menu.h"
#include "platform/ui/ui_internal.h"

namespace {

constexpr unsigned kWaitForever = 0xFFFFFFFFu;

// Waits on the UI thread for up to timeoutMs, or until a send, a post or a change arrives.
void WaitForUiWork(unsigned timeoutMs) {
    const UiBackend* backend = GetUiBackend();
    if (backend->waitEvents != nullptr) {
        {
            std::lock_guard<std::mutex> guard(g_UiCore.lock);
            if (!g_UiCore.sends.empty() || !g_UiCore.posts.empty() || g_UiCore.changesPending) return;
        }
        backend->waitEvents(timeoutMs);
        return;
    }
    std::unique_lock<std::mutex> guard(g_UiCore.lock);
    int seen = g_UiCore.wakeCount;
    auto ready = [&] {
        return !g_UiCore.running || !g_UiCore.sends.empty() || !g_UiCore.posts.empty() || g_UiCore.changesPending ||
               g_UiCore.wakeCount != seen;
    };
    if (timeoutMs == kWaitForever) g_UiCore.wakeup.wait(guard, ready);
    else g_UiCore.wakeup.wait_for(guard, std::chrono::milliseconds(timeoutMs), ready);
}

// Milliseconds until the next timer is due (0 when one is due), kWaitForever when none.
unsigned MillisecondsToNextTimerLocked(uint64_t now) {
    unsigned best = kWaitForever;
    for (const TimerRecord& t : g_UiCore.timers) {
        unsigned wait = t.dueMs <= now ? 0u : static_cast<unsigned>(t.dueMs - now);
        if (wait < best) best = wait;
    }
    return best;
}

// Takes the first due timer (earliest due first) and schedules its next period. Lock held.
int TakeDueTimerLocked(uint64_t now, UiWindow** window, uintptr_t* id) {
    TimerRecord* due = nullptr;
    for (TimerRecord& t : g_UiCore.timers) {
        if (t.dueMs <= now && (due == nullptr || t.dueMs < due->dueMs)) due = &t;
    }
    if (due == nullptr) return 0;
    due->dueMs = now + due->intervalMs;
    *window = due->window;
    *id = due->id;
    return 1;
}

// Takes a visible window marked for painting and validates it. Lock held.
UiWindow* TakeInvalidWindowLocked() {
    for (UiWindow* w : g_UiCore.windows) {
        if (w->alive && w->invalid && w->visible) {
            w->invalid = 0;
            return w;
        }
    }
    return nullptr;
}

// Dispatches one posted message, offering it to the accelerators first.
void DispatchPost(const PostRecord& post, const AcceleratorTable* accelerators) {
    if (post.window == nullptr || !IsUiWindow(post.window)) return;
    if (accelerators != nullptr) {
        UiMessage message = {post.window, post.message, post.wParam, post.lParam};
        if (TranslateUiAccelerator(accelerators, &message)) return;
    }
    CallWindowProcedure(post.window, post.message, post.wParam, post.lParam);
}

// One round: sends, then a post, a paint or a timer; else a wait. See RunUiLoopOnce.
int RunLoopStep(unsigned timeoutMs, int withTimers, const AcceleratorTable* accelerators, int* exitCode) {
    ServePendingSends();
    DeliverPendingChanges();
    PostRecord post = {};
    UiWindow* paintWindow = nullptr;
    UiWindow* timerWindow = nullptr;
    uintptr_t timerId = 0;
    unsigned wait = timeoutMs;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        if (!g_UiCore.running) return -1;
        if (!g_UiCore.posts.empty()) {
            post = g_UiCore.posts.front();
            if (post.isQuit) {
                if (exitCode != nullptr) *exitCode = post.exitCode;
                return -1;
            }
            g_UiCore.posts.pop_front();
        } else if ((paintWindow = TakeInvalidWindowLocked()) == nullptr && withTimers) {
            uint64_t now = UiNowMs();
            if (!TakeDueTimerLocked(now, &timerWindow, &timerId)) {
                unsigned toTimer = MillisecondsToNextTimerLocked(now);
                if (toTimer < wait) wait = toTimer;
            }
        }
    }
    if (post.window != nullptr || post.message != 0) {
        DispatchPost(post, accelerators);
        return 1;
    }
    if (paintWindow != nullptr) {
        CallWindowProcedure(paintWindow, WM_PAINT, 0, 0);
        return 1;
    }
    if (timerWindow != nullptr) {
        CallWindowProcedure(timerWindow, WM_TIMER, timerId, 0);
        return 1;
    }
    if (wait > 0) WaitForUiWork(wait);
    ServePendingSends();
    DeliverPendingChanges();
    return 0;
}

// Serves one queued send; returns 0 when none was queued.
int ServeOneSend() {
    std::shared_ptr<SendRecord> send;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        if (g_UiCore.sends.empty()) return 0;
        send = g_UiCore.sends.front();
        g_UiCore.sends.pop_front();
        send->started = 1;
    }
    intptr_t result = 0;
    if (send->function != nullptr) result = send->function(send->context);
    else if (IsUiWindow(send->window)) result = CallWindowProcedure(send->window, send->message, send->wParam, send->lParam);
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        send->result = result;
        send->done = 1;
    }
    g_UiCore.sendDone.notify_all();
    return 1;
}

// Queues a send from another thread and waits for it (timeoutMs kWaitForever: no limit).
int QueueSendAndWait(const SendRecord& request, unsigned timeoutMs, intptr_t* result) {
    auto send = std::make_shared<SendRecord>(request);
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        if (!g_UiCore.running) return 0;
        if (send->function == nullptr && FindLiveWindowLocked(send->window) == nullptr) return 0;
        g_UiCore.sends.push_back(send);
    }
    WakeUiThread();
    std::unique_lock<std::mutex> guard(g_UiCore.lock);
    auto done = [&] { return send->done != 0; };
    if (timeoutMs == kWaitForever) {
        g_UiCore.sendDone.wait(guard, done);
    } else if (!g_UiCore.sendDone.wait_for(guard, std::chrono::milliseconds(timeoutMs), done)) {
        if (!send->started) {
            auto& sends = g_UiCore.sends;
            for (auto it = sends.begin(); it != sends.end(); ++it) {
                if (*it == send) {
                    sends.erase(it);
                    break;
                }
            }
            return 0;
        }
        // The procedure already runs and may use the caller's data: wait for its end.
        g_UiCore.sendDone.wait(guard, done);
    }
    if (result != nullptr) *result = send->result;
    return send->started ? 1 : 0;
}

}  // namespace

// --- Sends and posts -------------------------------------------------------------------------------

intptr_t SendUiMessage(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    intptr_t result = 0;
    SendUiMessageTimeout(window, message, wParam, lParam, kWaitForever, &result);
    return result;
}

int SendUiMessageTimeout(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam,
                         unsigned timeoutMs, intptr_t* result) {
    if (result != nullptr) *result = 0;
    UiWindow* w = FindLiveWindow(window);
    if (w == nullptr) return 0;
    if (IsUiThread()) {
        intptr_t value = CallWindowProcedure(w, message, wParam, lParam);
        if (result != nullptr) *result = value;
        return 1;
    }
    SendRecord request = {w, message, wParam, lParam, nullptr, nullptr, 0, 0, 0};
    return QueueSendAndWait(request, timeoutMs, result);
}

intptr_t RunOnUiThread(intptr_t (*fn)(void* context), void* context) {
    if (fn == nullptr) return 0;
    if (IsUiThread()) return fn(context);
    SendRecord request = {nullptr, 0, 0, 0, fn, context, 0, 0, 0};
    intptr_t result = 0;
    QueueSendAndWait(request, kWaitForever, &result);
    return result;
}

int PostUiMessage(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        UiWindow* w = FindLiveWindowLocked(window);
        if (w == nullptr || !g_UiCore.running) return 0;
        g_UiCore.posts.push_back(PostRecord{w, message, wParam, lParam, 0, 0});
    }
    WakeUiThread();
    return 1;
}

void PostQuitUiMessage(int exitCode) {
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        if (!g_UiCore.running) return;
        g_UiCore.posts.push_back(PostRecord{nullptr, WM_QUIT, static_cast<uintptr_t>(exitCode), 0, 1, exitCode});
    }
    WakeUiThread();
}

int CountQueuedUiMessages() {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    return static_cast<int>(g_UiCore.posts.size());
}

// --- Loops -----------------------------------------------------------------------------------------

int RunMessageLoop(const AcceleratorTable* accelerators) {
    if (!IsUiThread()) return 0;
    for (;;) {
        int exitCode = 0;
        if (RunLoopStep(kWaitForever, 1, accelerators, &exitCode) >= 0) continue;
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        if (!g_UiCore.posts.empty() && g_UiCore.posts.front().isQuit) g_UiCore.posts.pop_front();
        return exitCode;
    }
}

int RunUiLoopOnce(unsigned timeoutMs, int withTimers, int* exitCode) {
    if (!IsUiThread()) return 0;
    return RunLoopStep(timeoutMs, withTimers, nullptr, exitCode);
}

int PumpOneUiMessage() {
    if (!IsUiThread()) return 0;
    ServePendingSends();
    DeliverPendingChanges();
    PostRecord post = {};
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        if (g_UiCore.posts.empty() || g_UiCore.posts.front().isQuit) return 0;
        post = g_UiCore.posts.front();
        g_UiCore.posts.pop_front();
    }
    DispatchPost(post, nullptr);
    return 1;
}

int PumpUiDuringWork(int dispatch) {
    if (!IsUiThread()) return 0;
    ServePendingSends();
    if (!dispatch) return 0;
    // Native events: input becomes posts (they stay queued), geometry and exposure reach the windows.
    const UiBackend* backend = GetUiBackend();
    if (backend->waitEvents != nullptr) backend->waitEvents(0);
    ServePendingSends();
    DeliverPendingChanges();
    // Posted paints and sizes are taken out of the queue; every other post keeps its place and order.
    std::vector<PostRecord> taken;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        auto& posts = g_UiCore.posts;
        for (auto it = posts.begin(); it != posts.end();) {
            if (!it->isQuit && (it->message == WM_PAINT || it->message == WM_SIZE)) {
                taken.push_back(*it);
                it = posts.erase(it);
            } else {
                ++it;
            }
        }
    }
    int handled = 0;
    for (const PostRecord& post : taken) {
        if (!IsUiWindow(post.window)) continue;
        CallWindowProcedure(post.window, post.message, post.wParam, post.lParam);
        ++handled;
    }
    for (;;) {
        UiWindow* paintWindow = nullptr;
        {
            std::lock_guard<std::mutex> guard(g_UiCore.lock);
            paintWindow = TakeInvalidWindowLocked();
        }
        if (paintWindow == nullptr) break;
        CallWindowProcedure(paintWindow, WM_PAINT, 0, 0);
        ++handled;
    }
    DeliverPendingChanges();
    return handled;
}

int ServePendingSends() {
    if (!IsUiThread()) return 0;
    int count = 0;
    while (ServeOneSend()) ++count;
    return count;
}

void SleepServingSends(unsigned milliseconds) {
    if (!IsUiThread()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    uint64_t end = UiNowMs() + milliseconds;
    for (;;) {
        ServePendingSends();
        uint64_t now = UiNowMs();
        if (now >= end) return;
        std::unique_lock<std::mutex> guard(g_UiCore.lock);
        g_UiCore.wakeup.wait_for(guard, std::chrono::milliseconds(end - now),
                                 [] { return !g_UiCore.sends.empty() || !g_UiCore.running; });
        if (!g_UiCore.running) return;
    }
}

int WaitServingSends(int (*isDone)(void* context), void* context, unsigned timeoutMs) {
    uint64_t start = UiNowMs();
    for (;;) {
        ServePendingSends();
        if (isDone == nullptr || isDone(context)) return 1;
        uint64_t elapsed = UiNowMs() - start;
        if (timeoutMs != kWaitForever && elapsed >= timeoutMs) return 0;
        unsigned slice = 5;
        if (timeoutMs != kWaitForever && timeoutMs - elapsed < slice) slice = static_cast<unsigned>(timeoutMs - elapsed);
        if (IsUiThread()) {
            std::unique_lock<std::mutex> guard(g_UiCore.lock);
            g_UiCore.wakeup.wait_for(guard, std::chrono::milliseconds(slice), [] { return !g_UiCore.sends.empty(); });
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(slice));
        }
    }
}

// --- Timers ----------------------------------------------------------------------------------------

uintptr_t SetUiTimer(WindowHandle window, uintptr_t id, unsigned intervalMs) {
    if (id == 0) return 0;
    if (intervalMs == 0) intervalMs = 1;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        UiWindow* w = FindLiveWindowLocked(window);
        if (w == nullptr) return 0;
        uint64_t due = UiNowMs() + intervalMs;
        for (TimerRecord& t : g_UiCore.timers) {
            if (t.window == w && t.id == id) {
                t.intervalMs = intervalMs;
                t.dueMs = due;
                return id;
            }
        }
        g_UiCore.timers.push_back(TimerRecord{w, id, intervalMs, due});
    }
    WakeUiThread();
    return id;
}

int KillUiTimer(WindowHandle window, uintptr_t id) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    auto& timers = g_UiCore.timers;
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->window == window && it->id == id) {
            timers.erase(it);
            return 1;
        }
    }
    return 0;
}

int IsUiTimerSet(WindowHandle window, uintptr_t id, unsigned* intervalMs) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    for (const TimerRecord& t : g_UiCore.timers) {
        if (t.window == window && t.id == id) {
            if (intervalMs != nullptr) *intervalMs = t.intervalMs;
            return 1;
        }
    }
    return 0;
}

// --- Painting --------------------------------------------------------------------------------------

void InvalidateUiWindow(WindowHandle window, int erase) {
    (void)erase;
    UiWindow* w = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        w = FindLiveWindowLocked(window);
        if (w == nullptr) return;
        w->invalid = 1;
    }
    const UiBackend* backend = GetUiBackend();
    if (backend->invalidate != nullptr && IsUiThread()) backend->invalidate(w);
    WakeUiThread();
}

void UpdateUiWindow(WindowHandle window) {
    if (IsUiWindowInvalid(window)) SendUiMessage(window, WM_PAINT, 0, 0);
}

int IsUiWindowInvalid(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    return w != nullptr ? w->invalid : 0;
}

int BeginUiPaint(WindowHandle window) {
    UiWindow* w = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        w = FindLiveWindowLocked(window);
        if (w == nullptr) return 0;
        w->invalid = 0;
    }
    const UiBackend* backend = GetUiBackend();
    return backend->beginPaint != nullptr && IsUiThread() ? backend->beginPaint(w) : 0;
}

void EndUiPaint(WindowHandle window) {
    UiWindow* w = FindLiveWindow(window);
    const UiBackend* backend = GetUiBackend();
    if (w != nullptr && backend->endPaint != nullptr && IsUiThread()) backend->endPaint(w);
}

int CreateUiGlContext(WindowHandle window, int doubleBuffered) {
    UiWindow* w = FindLiveWindow(window);
    const UiBackend* backend = GetUiBackend();
    if (w == nullptr || !IsUiThread() || backend->createGlContext == nullptr) return 0;
    w->hasGl = backend->createGlContext(w, doubleBuffered) ? 1 : 0;
    return w->hasGl;
}

int MakeUiGlCurrent(WindowHandle window) {
    const UiBackend* backend = GetUiBackend();
    if (!IsUiThread() || backend->makeGlCurrent == nullptr) return 0;
    if (window == nullptr) return backend->makeGlCurrent(nullptr);
    UiWindow* w = FindLiveWindow(window);
    if (w == nullptr || !w->hasGl) return 0;
    return backend->makeGlCurrent(w);
}

void SwapUiGlBuffers(WindowHandle window) {
    UiWindow* w = FindLiveWindow(window);
    const UiBackend* backend = GetUiBackend();
    if (w != nullptr && w->hasGl && IsUiThread() && backend->swapGlBuffers != nullptr) backend->swapGlBuffers(w);
}

void DeleteUiGlContext(WindowHandle window) {
    UiWindow* w = FindLiveWindow(window);
    const UiBackend* backend = GetUiBackend();
    if (w == nullptr || !w->hasGl || !IsUiThread()) return;
    if (backend->deleteGlContext != nullptr) backend->deleteGlContext(w);
    w->hasGl = 0;
}

int HasUiGlContext(WindowHandle window) {
    UiWindow* w = FindLiveWindow(window);
    return w != nullptr ? w->hasGl : 0;
}
