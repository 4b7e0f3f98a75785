// The two progress channels: counters against totals in per-mille steps, shown in the status bar and
// its bars, or in a window title while the frame is minimised (title mode), where title changes are
// kept to about one every 700 ms.
#include "platform/ui/progress.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/os/clock.h"
#include "platform/os/files.h"
#include "platform/ui/event_core.h"
#include "platform/ui/shell_services.h"
#include "platform/ui/status_bar.h"

ProgressState g_Progress;
WindowHandle g_ProgressBar = nullptr;
WindowHandle g_ProgressBar2 = nullptr;
char g_ProgressTitleText[64] = "";
ProgressHooks g_ProgressHooks = {nullptr, nullptr, nullptr, nullptr, nullptr};

namespace {

const int kBarRange = 1001;
const int kTitleRefreshMs = 700;
const int kTitleJump = 200;

// Title mode: the frame is minimised, or there is no frame to show a status bar (silent runs).
int IsTitleMode() { return g_SilentMode || (g_MainWindow != nullptr && IsUiWindowMinimised(g_MainWindow)); }

int PerMille(uint64_t count, double scale)
{
    const double value = static_cast<double>(count) * scale + 0.5;
    return value >= 1000.0 ? 1000 : static_cast<int>(value);
}

uint64_t FileSizeOrZero(const char* file)
{
    if (file == nullptr || file[0] == '\0') return 0;
    const int64_t size = GetFileSizeBytes(file);
    return size > 0 ? static_cast<uint64_t>(size) : 0;   // a file that cannot be opened counts 0 (total 1)
}

// The caption cut to 19 characters, never inside a UTF-8 sequence.
void SetCaption(const char* text)
{
    char* out = g_Progress.caption;
    int characters = 0;
    size_t used = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text != nullptr ? text : ""); *p != 0;) {
        size_t length = 1;
        if ((*p & 0xE0) == 0xC0) length = 2;
        else if ((*p & 0xF0) == 0xE0) length = 3;
        else if ((*p & 0xF8) == 0xF0) length = 4;
        size_t have = 0;
        while (have < length && p[have] != 0) ++have;
        if (characters == PROGRESS_CAPTION_MAX || used + have >= sizeof g_Progress.caption) break;
        std::memcpy(out + used, p, have);
        used += have;
        p += have;
        ++characters;
    }
    out[used] = '\0';
}

void SetTitleText(int perMille)
{
    const int stopped = g_ProgressHooks.stopPending != nullptr && g_ProgressHooks.stopPending();
    std::snprintf(g_Progress.titleText, sizeof g_Progress.titleText, "%s:%5.1f%c%s", g_Progress.caption,
                  perMille / 10.0, '%', stopped ? (g_EnglishUi ? "-STOP!" : "-停止!") : "");
    if (g_Progress.titleWindow != nullptr) SetUiWindowText(g_Progress.titleWindow, g_Progress.titleText);
}

void SetStatusPercentage(int perMille)
{
    std::snprintf(g_Progress.statusText, sizeof g_Progress.statusText, "%5.1f%c", perMille / 10.0, '%');
    if (g_StatusBarWindow != nullptr) SetStatusBarPartText(g_StatusBarWindow, 1, g_Progress.statusText, 0);
}

void ShowBar(WindowHandle bar)
{
    if (bar == nullptr) return;
    SetProgressRange(bar, 0, kBarRange);
    SetProgressStep(bar, 1);
    SetProgressPosition(bar, 0);
    ShowUiWindow(bar, SW_SHOW);
}

void UpdateMainTitle()
{
    if (g_ProgressHooks.updateMainTitle != nullptr) g_ProgressHooks.updateMainTitle();
}

// Title mode: the title is rewritten on a jump of more than 200 per-mille, at the end, and otherwise
// about every 700 ms, the number of updates between refreshes following the measured rate.
void UpdateTitleMode(int p, int force)
{
    if (p == 0 && !g_Progress.zeroShown) {
        SetTitleText(0);
        g_Progress.zeroShown = 1;
        return;
    }
    if (!force && p <= g_Progress.lastShown) return;
    g_Progress.refreshCounter += 1;
    if (g_Progress.refreshCounter != g_Progress.refreshStep && p - g_Progress.lastShown <= kTitleJump && p < 1000) {
        g_Progress.lastShown = p;
        return;
    }
    SetTitleText(p);
    for (int k = 0; k < 10; ++k) SleepMs(1);   // lets the user interface run
    g_Progress.refreshCounter = 0;
    g_Progress.lastClock = GetTickCountMs();
    uint64_t elapsed = g_Progress.lastClock - g_Progress.refreshStamp;
    if (elapsed < 1) elapsed = 1;
    // In 64 bits and capped: a fast loop must not overflow the step.
    const uint64_t step = static_cast<uint64_t>(g_Progress.refreshStep) * kTitleRefreshMs / elapsed;
    g_Progress.refreshStep = step < 1 ? 1 : step > INT_MAX ? INT_MAX : static_cast<int>(step);
    g_Progress.refreshStamp = g_Progress.lastClock;
    g_Progress.lastShown = g_Progress.current;
}

}  // namespace

void BeginProgress(WindowHandle owner, int kind, uint64_t count, const char* file, int factor,
                   const char* japaneseText, const char* englishText)
{
    uint64_t total = 0;
    if (kind == 1) {
        total = count;
    } else if (kind == 2 || kind == 1000) {
        if (g_ProgressHooks.kindTotal != nullptr) total = g_ProgressHooks.kindTotal(kind, file);
    } else {
        total = FileSizeOrZero(file) * static_cast<uint64_t>(factor > 0 ? factor : 0);
    }
    if (total < 1) total = 1;
    g_Progress.total = total;
    g_Progress.zeroShown = 0;
    g_Progress.count.store(0);
    const char* setting = g_ProgressHooks.captionSetting;
    SetCaption(setting != nullptr && setting[0] != '\0' ? setting : g_EnglishUi ? englishText : japaneseText);
    g_Progress.titleWindow = owner;
    g_Progress.lastShown = 0;
    g_Progress.current = 0;
    g_Progress.refreshCounter = 0;
    g_Progress.refreshStep = 1;
    g_Progress.scale = 1000.0 / static_cast<double>(total);
    g_Progress.refreshStamp = GetTickCountMs();
    g_Progress.active = 1;
    if (g_SilentMode) {
        if (owner != nullptr) SetUiWindowText(owner, g_Progress.caption);
        return;
    }
    std::snprintf(g_ProgressTitleText, sizeof g_ProgressTitleText, "%s",
                  (g_EnglishUi ? englishText : japaneseText) != nullptr ? (g_EnglishUi ? englishText : japaneseText) : "");
    UpdateMainTitle();
    ShowBar(g_ProgressBar);
}

void AddProgress(int count)
{
    if (count > 0) g_Progress.count.fetch_add(static_cast<uint64_t>(count), std::memory_order_relaxed);
}

void IncProgress() { g_Progress.count.fetch_add(1, std::memory_order_relaxed); }

int GetProgress() { return static_cast<int>(g_Progress.count.load(std::memory_order_relaxed)); }

int UpdateProgress(int force)
{
    const int p = PerMille(g_Progress.count.load(std::memory_order_relaxed), g_Progress.scale);
    g_Progress.current = p;
    if (IsTitleMode()) {
        UpdateTitleMode(p, force);
        return p;
    }
    if (p == 0 && !g_Progress.zeroShown) {
        SetStatusPercentage(0);
        if (g_ProgressBar != nullptr) {
            SetProgressPosition(g_ProgressBar, 10);
            SetProgressPosition(g_ProgressBar, 0);
        }
        g_Progress.zeroShown = 1;
        return p;
    }
    if (!force && p <= g_Progress.lastShown) return p;
    SetStatusPercentage(p);
    if (g_ProgressBar != nullptr) SetProgressPosition(g_ProgressBar, p);
    g_Progress.lastShown = p;
    return p;
}

void EndProgress()
{
    // Ended fully also while the frame is minimised: a restored frame shows no stale bar or percentage.
    g_Progress.statusText[0] = '\0';
    g_ProgressTitleText[0] = '\0';
    g_Progress.active = 0;
    if (g_StatusBarWindow != nullptr) {
        SetStatusBarPartText(g_StatusBarWindow, 0, "", SBT_NOBORDERS);
        SetStatusBarPartText(g_StatusBarWindow, 1, "", SBT_NOBORDERS);
    }
    if (g_ProgressBar != nullptr) ShowUiWindow(g_ProgressBar, SW_HIDE);
    UpdateMainTitle();
}

void RestoreProgressText()
{
    if (g_StatusBarWindow == nullptr) return;
    if (g_Progress.statusText[0] != '\0') SetStatusBarPartText(g_StatusBarWindow, 1, g_Progress.statusText, 0);
    else SetStatusBarPartText(g_StatusBarWindow, 1, "", SBT_NOBORDERS);
}

ProgressSnapshot GetProgressSnapshot()
{
    ProgressSnapshot snapshot;
    snapshot.active = g_Progress.active;
    snapshot.counter = g_Progress.count.load(std::memory_order_relaxed);
    snapshot.total = g_Progress.total < 1 ? 1 : g_Progress.total;
    snapshot.perMille = g_Progress.current;
    return snapshot;
}

void BeginSubprogramProgress(WindowHandle, const char* path)
{
    uint64_t total = g_ProgressHooks.subprogramTotal != nullptr ? g_ProgressHooks.subprogramTotal(path) : 0;
    if (total == 0) total = FileSizeOrZero(path);
    if (total < 1) total = 1;
    g_Progress.subTotal = total;
    g_Progress.subZeroShown = 0;
    g_Progress.subCount.store(0);
    g_Progress.subLastShown = 0;
    g_Progress.subCurrent = 0;
    g_Progress.subScale = 1000.0 / static_cast<double>(total);
    if (!g_SilentMode) ShowBar(g_ProgressBar2);
}

void AddSubProgress(int count)
{
    if (count > 0) g_Progress.subCount.fetch_add(static_cast<uint64_t>(count), std::memory_order_relaxed);
}

void UpdateSubProgress(int force)
{
    const int p = PerMille(g_Progress.subCount.load(std::memory_order_relaxed), g_Progress.subScale);
    g_Progress.subCurrent = p;
    if (IsTitleMode()) {
        if (p == 0 && !g_Progress.subZeroShown) g_Progress.subZeroShown = 1;
        else if (force || p > g_Progress.subLastShown) g_Progress.subLastShown = p;
        return;
    }
    if (p == 0 && !g_Progress.subZeroShown) {
        if (g_ProgressBar2 != nullptr) {
            SetProgressPosition(g_ProgressBar2, 10);
            SetProgressPosition(g_ProgressBar2, 0);
        }
        g_Progress.subZeroShown = 1;
        return;
    }
    if (force || p > g_Progress.subLastShown) {
        if (g_ProgressBar2 != nullptr) SetProgressPosition(g_ProgressBar2, p);
        g_Progress.subLastShown = p;
    }
}

void HideSubProgress()
{
    if (!IsTitleMode() && g_StatusBarWindow != nullptr) SetStatusBarPartText(g_StatusBarWindow, 2, "", SBT_NOBORDERS);
    if (g_ProgressBar2 != nullptr) ShowUiWindow(g_ProgressBar2, SW_HIDE);
}
