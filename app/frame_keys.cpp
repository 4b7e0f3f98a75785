// Keys and the mouse wheel as the frame receives them: the abort key during a run, the function keys
// that start runs and path displays, the arrows and Tab that change the run's speed and mode, GO at a
// stop, and the letter keys handed on to the view.
#include "app/frame_window.h"

#include "app/plugins.h"
#include "app/run_control.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "nc/interpreter_state.h"
#include "platform/os/clock.h"
#include "platform/ui/event_core.h"
#include "view/view_window.h"

namespace {

void PostCommand(WindowHandle frame, int command)
{
    PostUiMessage(frame, WM_COMMAND, static_cast<uintptr_t>(command), 0);
}

void OnAbortKey(WindowHandle frame)
{
    g_AbortRequest = 1;
    g_RunWaitingForGo = 0;
    g_GoPromptBlink = 0;
    if (!IsUiTimerSet(frame, TIMER_RUN_POLL, nullptr)) SetUiTimer(frame, TIMER_RUN_POLL, g_RunMode == 3 ? 100 : 5);
}

// Right (step 1) or Left (step -1): the redraw interval of the run, never below 1.
void ChangeSkip(WindowHandle frame, int step)
{
    int* skip = g_RunMode == 1 ? &g_SkipView : g_RunMode == 2 ? &g_SkipBlock : nullptr;
    if (skip == nullptr) return;
    if (step > 0) ++*skip;
    else if (*skip > 1) --*skip;
    UpdateMainTitle(frame);
}

// Tab: the next run mode (1 to 2 to 3), with Shift the previous one; an idle program stays idle.
void ChangeRunMode(WindowHandle frame)
{
    if (g_NcSelected <= 0) return;
    if (IsUiKeyDown(VK_SHIFT)) {
        if (g_RunMode == 2 || g_RunMode == 3) --g_RunMode;
    } else if (g_RunMode == 1 || g_RunMode == 2) {
        ++g_RunMode;
    }
    UpdateMainTitle(frame);
}

// The keys of the table; returns 1 when the key was one of them.
int HandleTableKey(WindowHandle frame, int key)
{
    const int nc = g_NcSelected > 0;
    switch (key) {
    case VK_F5: if (nc) PostCommand(frame, 32776); return 1;
    case VK_F6: if (nc) PostCommand(frame, 32777); return 1;
    case VK_F7: if (nc) PostCommand(frame, 32778); return 1;
    case VK_F8:
        if (!IsSimPluginLoaded(0)) return 0;
        if (nc) PostCommand(frame, 32901);
        return 1;
    case VK_F9:
        if (!IsSimPluginLoaded(1)) return 0;
        if (nc) PostCommand(frame, 32902);
        return 1;
    case VK_RIGHT: ChangeSkip(frame, 1); return 1;
    case VK_LEFT: ChangeSkip(frame, -1); return 1;
    case VK_TAB: ChangeRunMode(frame); return 1;
    default: return 0;
    }
}

}  // namespace

void HandleFrameKeyDown(WindowHandle frame, int key)
{
    if (g_ZoomWindowArmed) return;
    if (key == VK_CONTROL) {
        g_ViewCtrlKeyDown = 1;
        return;
    }
    if (key == g_AbortKey && g_RunMode > 0 && !IsUiWindowMinimised(frame)) {
        OnAbortKey(frame);
        return;
    }
    if (g_ViewDragging) return;
    SetUiFocus(frame);
    if (HandleTableKey(frame, key)) return;
    const int character = MapVirtualKeyToChar(key);
    if (character == 'G' || character == 'g') {
        if (g_StopBlockPending) StartRunPolling();
    } else if (character >= '0') {
        PostUiMessage(g_ViewWindow, WM_KEYDOWN, static_cast<uintptr_t>(key), 0);
    }
}

void HandleFrameKeyUp(int key)
{
    if (key != VK_CONTROL) return;
    g_ViewCtrlKeyDown = 0;
    if (g_ViewDragging) {
        if (g_ViewMouseMode == 12) g_ViewMouseMode = 11;
    } else if (g_ViewMouseMode > 10) {
        g_ViewMouseMode = 11;
    }
}

void HandleFrameWheel(int delta) { HandleViewWheel(delta); }
