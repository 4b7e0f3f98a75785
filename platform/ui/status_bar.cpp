// The status bar (parts, texts and styles, kept along the bottom of its parent) and progress bars
// (range, step, position). Any thread sets them; the backend shows them on the UI thread.
#include "platform/ui/ui_internal.h"

namespace {

// Keeps the bar along the bottom of its parent's client area.
void PlaceStatusBar(WindowHandle bar) {
    UiWindow* w = FindLiveWindow(bar);
    if (w == nullptr || w->parent == nullptr) return;
    UiRect client;
    if (!GetUiClientRect(w->parent, &client)) return;
    int height = 0;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        if (!w->statusBar) return;
        height = w->statusBar->height;
    }
    UiRect now;
    GetUiWindowRect(bar, &now);
    int top = client.bottom - height;
    if (now.left != 0 || now.top != top || now.right != client.right || now.bottom - now.top != height) {
        MoveUiWindow(bar, 0, top, client.right, height);
    }
}

intptr_t StatusBarProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (message == WM_SIZE) {
        // The parent forwards its WM_SIZE: follow the parent's new size.
        PlaceStatusBar(window);
        return 0;
    }
    return DefaultWindowProc(window, message, wParam, lParam);
}

StatusBarState* GetBarLocked(WindowHandle bar) {
    UiWindow* w = FindLiveWindowLocked(bar);
    return w != nullptr && w->statusBar ? w->statusBar.get() : nullptr;
}

// The progress bar record; lock held.
UiWindow* GetProgressLocked(WindowHandle bar) {
    UiWindow* w = FindLiveWindowLocked(bar);
    return w != nullptr && w->kind == UI_WINDOW_PROGRESS_BAR ? w : nullptr;
}

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

}  // namespace

WindowHandle CreateStatusBar(WindowHandle parent, int height) {
    UiRect client = {0, 0, 640, 480};
    GetUiClientRect(parent, &client);
    if (height < 1) height = 1;
    UiRect rect = {0, client.bottom - height, client.right, client.bottom};
    WindowHandle bar = CreateUiWindowOfKind(UI_WINDOW_STATUS_BAR, "msctls_statusbar32", "", StatusBarProc, parent,
                                            nullptr, WS_CHILD | WS_VISIBLE, &rect, 0, nullptr);
    UiWindow* w = FindLiveWindow(bar);
    if (w == nullptr) return nullptr;
    NoteUiWindowChange(w, UI_CHANGE_STATUS, -1);
    return bar;
}

int SetStatusBarParts(WindowHandle bar, int count, const int* rightEdges) {
    UiWindow* w = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        StatusBarState* state = GetBarLocked(bar);
        if (state == nullptr || rightEdges == nullptr || count < 1) return 0;
        if (count > kStatusBarMaxParts) count = kStatusBarMaxParts;
        state->partCount = count;
        for (int i = 0; i < count; ++i) state->rightEdges[i] = rightEdges[i];
        w = FindLiveWindowLocked(bar);
    }
    NoteUiWindowChange(w, UI_CHANGE_STATUS, -1);
    return 1;
}

int GetStatusBarParts(WindowHandle bar, int* rightEdges, int maxCount) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    StatusBarState* state = GetBarLocked(bar);
    if (state == nullptr) return 0;
    for (int i = 0; i < state->partCount && i < maxCount && rightEdges != nullptr; ++i) rightEdges[i] = state->rightEdges[i];
    return state->partCount;
}

int SetStatusBarPartText(WindowHandle bar, int part, const char* text, int style) {
    UiWindow* w = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        StatusBarState* state = GetBarLocked(bar);
        if (state == nullptr || part < 0 || part >= kStatusBarMaxParts) return 0;
        std::string value = text != nullptr ? text : "";
        if (value.size() >= static_cast<size_t>(kStatusTextMax)) value.resize(kStatusTextMax - 1);
        if (state->texts[part] == value && state->styles[part] == style) return 1;
        state->texts[part] = value;
        state->styles[part] = style;
        w = FindLiveWindowLocked(bar);
    }
    NoteUiWindowChange(w, UI_CHANGE_STATUS, part);
    return 1;
}

int GetStatusBarPartText(WindowHandle bar, int part, char* text, int size, int* style) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    StatusBarState* state = GetBarLocked(bar);
    if (state == nullptr || part < 0 || part >= kStatusBarMaxParts) {
        if (text != nullptr && size > 0) text[0] = '\0';
        return -1;
    }
    if (style != nullptr) *style = state->styles[part];
    return CopyUiText(state->texts[part], text, size);
}

int GetStatusBarPartRect(WindowHandle bar, int part, UiRect* rect) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(bar);
    StatusBarState* state = GetBarLocked(bar);
    if (state == nullptr || rect == nullptr || part < 0 || part >= state->partCount) return 0;
    int width = w->rect.right - w->rect.left;
    int left = part == 0 ? 0 : state->rightEdges[part - 1];
    int right = state->rightEdges[part] < 0 ? width : state->rightEdges[part];
    *rect = UiRect{left, 0, right, state->height};
    return 1;
}

WindowHandle CreateProgressBar(WindowHandle parent, const UiRect* rect, const char* name) {
    return CreateUiWindowOfKind(UI_WINDOW_PROGRESS_BAR, "msctls_progress32", name, nullptr, parent, nullptr, WS_CHILD,
                                rect, 0, nullptr);
}

int SetProgressRange(WindowHandle bar, int minimum, int maximum) {
    UiWindow* w = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        w = GetProgressLocked(bar);
        if (w == nullptr) return 0;
        if (maximum < minimum) maximum = minimum;
        w->progress.minimum = minimum;
        w->progress.maximum = maximum;
        w->progress.position = Clamp(w->progress.position, minimum, maximum);
    }
    NoteUiWindowChange(w, UI_CHANGE_PROGRESS, -1);
    return 1;
}

int SetProgressStep(WindowHandle bar, int step) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = GetProgressLocked(bar);
    if (w == nullptr) return 0;
    w->progress.step = step;
    return 1;
}

int SetProgressPosition(WindowHandle bar, int position) {
    UiWindow* w = nullptr;
    int previous = 0;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        w = GetProgressLocked(bar);
        if (w == nullptr) return 0;
        previous = w->progress.position;
        w->progress.position = Clamp(position, w->progress.minimum, w->progress.maximum);
        if (w->progress.position == previous) return previous;
    }
    NoteUiWindowChange(w, UI_CHANGE_PROGRESS, -1);
    return previous;
}

int StepProgress(WindowHandle bar) {
    UiWindow* w = nullptr;
    int previous = 0;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        w = GetProgressLocked(bar);
        if (w == nullptr) return 0;
        ProgressBarState& p = w->progress;
        previous = p.position;
        p.position += p.step;
        if (p.position > p.maximum) p.position = p.minimum;
        if (p.position < p.minimum) p.position = p.minimum;
    }
    NoteUiWindowChange(w, UI_CHANGE_PROGRESS, -1);
    return previous;
}

int GetProgressBarState(WindowHandle bar, ProgressBarState* state) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = GetProgressLocked(bar);
    if (w == nullptr || state == nullptr) return 0;
    *state = w->progress;
    state->shown = w->visible;
    return 1;
}
