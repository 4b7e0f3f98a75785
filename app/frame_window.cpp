// The frame's window procedure: creation of its children, layout on resize, painting, activation, the
// end of automation, closing and the first half of shut-down, and the title. Drops: frame_drop.cpp.
#include "app/frame_window.h"

#include <cstdio>
#include <cstring>

#include "app/automation.h"
#include "app/command_line.h"
#include "app/frame_services.h"
#include "app/message_file.h"
#include "app/plugins.h"
#include "app/run_control.h"
#include "app/shell_commands.h"
#include "app/sound_effects.h"
#include "app/startup.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/settings/definition_reload.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/settings_save.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/machine_setup_state.h"
#include "nc/interpreter_state.h"
#include "platform/os/clock.h"
#include "platform/ui/menu.h"
#include "platform/ui/status_bar.h"
#include "platform/ui/progress.h"
#include "view/status_panel.h"
#include "view/view_window.h"
#include "work_model/file_routines.h"

MenuHandle g_MainMenu = nullptr;
int g_FrameCreated = 0;
int g_ViewCreated = 0;
int g_FrameDestroyed = 0;
int g_PanelCharset = 128;
int g_FrameBorderWidth = 0;
int g_PanelInset = 0;
int g_ToolPanelInset = 0;
int g_StatusBarHeight = 0;
int g_StatusBarParts[STATUS_BAR_PART_COUNT] = {140, 190, 290, 390, 490, 590, 690, 790, 890, -1};
UiRect g_FrameClientRect = {0, 0, 0, 0};
int g_SavedViewportSize[2] = {0, 0};
int g_ResizePending = 0;
uint64_t g_LastResizeTime = 0;
unsigned g_CustomColours[16];
int g_DropLoadedWork = 0;
int g_NcSelected = 0;

namespace {

const int kStatusBarPixelHeight = 22;
const int kDefaultPanelFontHeight = 13;
const unsigned kResizeSettleMs = 350;
const unsigned kResizeTimerMs = 50;

// The rectangle right of the panel column and below the NC row, above the status bar.
void LayOutViewRect(WindowHandle frame)
{
    UiRect client;
    GetUiClientRect(frame, &client);
    client.bottom -= g_StatusBarHeight;
    if (client.bottom < client.top) client.bottom = client.top;
    g_FrameClientRect = client;
    g_ViewRect.left = g_StatusPanelCells[CELL_PANEL_FRAME].right;
    g_ViewRect.top = client.top + g_StatusPanelCells[CELL_NC_LABEL].bottom;
    g_ViewRect.right = client.right;
    g_ViewRect.bottom = client.bottom;
    if (g_ViewRect.right < g_ViewRect.left) g_ViewRect.right = g_ViewRect.left;
    if (g_ViewRect.bottom < g_ViewRect.top) g_ViewRect.bottom = g_ViewRect.top;
}

// The view area's size and the camera's pixel geometry from g_ViewRect.
void TakeViewportSize()
{
    SetViewAreaSize(g_ViewRect.right - g_ViewRect.left, g_ViewRect.bottom - g_ViewRect.top);
}

void MeasureFrameBorder(WindowHandle frame)
{
    UiRect window;
    UiRect client;
    GetUiWindowRect(frame, &window);
    GetUiClientRect(frame, &client);
    g_FrameBorderWidth = ((window.right - window.left) - (client.right - client.left)) / 2;
    if (g_DwmCompositionOn) {
        GetLayoutMetricsForWindowsVersion(g_WindowsVersionCode, g_FrameBorderWidth, &g_PanelInset, &g_ToolPanelInset);
    }
}

// The view's popup menu: three bitmap items (mouse modes) between separators.
MenuHandle CreateViewPopupMenu()
{
    MenuHandle popup = CreateUiPopupMenu();
    AppendUiBitmapItem(popup, 257, 228);
    AppendUiMenuItem(popup, MF_SEPARATOR, 0, nullptr);
    AppendUiBitmapItem(popup, 250, 154);
    AppendUiMenuItem(popup, MF_SEPARATOR, 0, nullptr);
    AppendUiBitmapItem(popup, 254, 149);
    return popup;
}

// The start position of the tool: given in machine coordinates it is turned into work coordinates.
void SetStartPosition()
{
    if (g_CmdStartPositionMachine) {
        double work[5];
        SubtractWorkOffset5(g_ControlPoint.axis, work);
        for (int i = 0; i < 5; ++i) g_ControlPoint.axis[i] = work[i];
    }
    if (g_ToolCentreMode > 0) {
        for (int i = 0; i < 3; ++i) g_ToolTipPoint[i] = g_ControlPoint.axis[i];
    }
    g_NcStartPoint = g_ControlPoint;
    UpdateCurrentMachinePosition();
    SetViewCentreFromTarget();
}

int OnCreate(WindowHandle frame, MenuHandle menu)
{
    g_MainWindow = frame;   // the automation thread may post to it from the first resize on
    if (menu != nullptr) SetUiWindowMenu(frame, menu);
    g_MainMenu = GetUiWindowMenu(frame);
    ApplyMessageFileTexts(g_MainMenu);
    RegisterPluginsAndMenus(frame, g_MainMenu, g_EnglishUi);
    UpdateMenuChecks(g_MainMenu);
    g_PanelCharset = g_EnglishUi ? 0 : 128;
    if (g_PanelFontHeight == 0) g_PanelFontHeight = kDefaultPanelFontHeight;
    LayOutViewRect(frame);
    TakeViewportSize();
    for (unsigned& colour : g_CustomColours) colour = 0x00FFFFFFu;
    if (!g_SilentMode) {
        g_PumpMessagesInLoops = 1;
        g_ViewPopupMenu = CreateViewPopupMenu();
        MeasureFrameBorder(frame);
        g_StatusBarWindow = CreateStatusBar(frame, kStatusBarPixelHeight);
        g_StatusBarHeight = kStatusBarPixelHeight;
        SetStatusBarParts(g_StatusBarWindow, STATUS_BAR_PART_COUNT, g_StatusBarParts);
        LayOutViewRect(frame);
        TakeViewportSize();
    }
    g_FrameCreated = 1;
    g_FileWatchState = FILE_WATCH_IDLE;
    SetStartPosition();
    RegisterViewClass();
    g_ViewWindow = CreateUiWindow(g_ViewClassName, "", ViewWindowProc, frame, 0x40000000u /* WS_CHILD */,
                                  &g_ViewRect, 0);
    ShowUiWindow(g_ViewWindow, g_SilentMode ? SW_MINIMIZE : SW_HIDE);
    g_ViewCreated = 1;
    return 0;
}

// The first paint of the frame plays the tool-change sound, and returns when it has ended.
void PlayStartSoundOnce()
{
    if (g_StartSoundPlayed) return;
    g_StartSoundPlayed = 1;
    if (g_SoundOn) PlaySoundEffect(SOUND_TOOLCHG, 1);
}

// Resumes the automation thread once, on the first paint (first resize in silent mode).
void ResumeAutomationOnce()
{
    if (!g_AutomationPending) return;
    g_AutomationPending = 0;
    if (g_ViewCreated && g_AutomationThread != nullptr) ResumeThread(g_AutomationThread);
}

// The two progress bars in status-bar parts 0 and 2, made once.
void CreateProgressBars()
{
    UiRect rect;
    if (g_ProgressBar == nullptr && GetStatusBarPartRect(g_StatusBarWindow, 0, &rect)) {
        g_ProgressBar = CreateProgressBar(g_StatusBarWindow, &rect, "ProgressBar");
        SetStatusBarPartText(g_StatusBarWindow, 0, "", SBT_NOBORDERS);
    }
    if (g_ProgressBar2 == nullptr && GetStatusBarPartRect(g_StatusBarWindow, 2, &rect)) {
        rect.right = rect.left + (rect.right - rect.left) / 2;
        g_ProgressBar2 = CreateProgressBar(g_StatusBarWindow, &rect, "ProgressBar2");
        SetStatusBarPartText(g_StatusBarWindow, 2, "", SBT_NOBORDERS);
    }
}

void OnSize(WindowHandle frame, uintptr_t kind, intptr_t lParam)
{
    if (g_SilentMode) {
        ResumeAutomationOnce();
        return;
    }
    MeasureFrameBorder(frame);
    LayOutViewRect(frame);
    g_StatusPanelCells[CELL_NC_TEXT].right = g_FrameClientRect.right;
    g_StatusPanelCells[CELL_PANEL_FRAME].bottom = g_FrameClientRect.bottom;
    if (kind == SIZE_MINIMIZED || IsUiWindowMinimised(frame)) {
        g_SavedViewportSize[0] = g_ViewportWidth;
        g_SavedViewportSize[1] = g_ViewportHeight;
        g_MainWindowIconic = 1;
        return;
    }
    TakeViewportSize();
    if (g_ViewportWidth != g_SavedViewportSize[0] || g_ViewportHeight != g_SavedViewportSize[1]) {
        g_LastResizeTime = GetTickCountMs();
        if (!g_ResizePending) {
            g_ResizePending = 1;
            SetUiTimer(frame, TIMER_RESIZE_REDRAW, kResizeTimerMs);
        }
    }
    g_SavedViewportSize[0] = g_SavedViewportSize[1] = 0;
    MoveUiWindow(g_ViewWindow, g_ViewRect.left, g_ViewRect.top, g_ViewportWidth, g_ViewportHeight);
    ShowUiWindow(g_ViewWindow, SW_SHOW);
    SendUiMessage(g_StatusBarWindow, WM_SIZE, kind, lParam);
    ComputeStatusBarParts(static_cast<int>(LowWord(static_cast<uintptr_t>(lParam))), g_StatusBarParts);
    SetStatusBarParts(g_StatusBarWindow, STATUS_BAR_PART_COUNT, g_StatusBarParts);
    if (g_MainWindowIconic) g_MainWindowIconic = 0;
    CreateProgressBars();
}

void OnPaint(WindowHandle frame)
{
    if (IsUiWindowMinimised(frame)) {
        g_MainWindowIconic = 1;
        BeginUiPaint(frame);
        EndUiPaint(frame);
    } else {
        g_MainWindowIconic = 0;
        PaintFrameWindow(frame);
        PlayStartSoundOnce();
        InvalidateUiWindow(g_ViewWindow, 1);
        UpdateUiWindow(g_ViewWindow);
        if (!g_ResizePending) {
            UpdateMainTitle(frame);
            UpdateStatusBar();
        }
        // A paint served by the pump of long work leaves that work's progress running.
        if (g_RunMode == 0 && !IsPumpingDuringWork()) EndProgress();
    }
    // Not in a paint the pump of long work serves: a definition reloaded under the running work could
    // free what it reads. The next paint or activation after the work looks again.
    if (g_FrameCreated && !IsPumpingDuringWork()) CheckDefinitionFilesChanged(frame);
    ResumeAutomationOnce();
}

void OnResizeTimer(WindowHandle frame)
{
    const uint64_t now = GetTickCountMs();
    if (now - g_LastResizeTime <= kResizeSettleMs) return;
    KillUiTimer(frame, TIMER_RESIZE_REDRAW);
    g_ResizePending = 0;
    g_LastResizeTime = now;
    InvalidateUiWindow(frame, 1);
    UpdateUiWindow(frame);
    RestoreInteractionCursor();
}

int IsAutomationThreadDone(void*)
{
    int code = 0;
    return !GetThreadExitCode(g_AutomationThread, &code) || code != kThreadStillActive;
}

// The automation thread has posted its end: wait until it has ended (serving its last sends meanwhile),
// then close the frame. Once the frame is going, a late message does nothing.
void OnAutomationFinished(WindowHandle frame)
{
    if (g_FrameDestroyed) return;
    if (g_AutomationThread != nullptr) WaitServingSends(IsAutomationThreadDone, nullptr, 0xFFFFFFFFu);
    DestroyUiWindow(frame);
}

// The first half of shut-down; runs once however many close requests arrive.
// The menus the frame made go with it.
void DestroyFrameMenus(WindowHandle frame)
{
    if (g_MainMenu != nullptr) {
        SetUiWindowMenu(frame, nullptr);
        DestroyUiMenu(g_MainMenu);
        g_MainMenu = nullptr;
    }
    if (g_ViewPopupMenu != nullptr) DestroyUiMenu(g_ViewPopupMenu);
    g_ViewPopupMenu = nullptr;
}

void OnDestroy(WindowHandle frame)
{
    if (g_FrameDestroyed) return;
    g_FrameDestroyed = 1;
    if (!g_SilentMode) {
        SaveSettingsToIni(g_MainWindow);
        FreeToolProfileBuffers();
    }
    if (g_CloseEditorAtEnd && g_EditorOpen) CloseEditor(g_EditorKind);
    DeleteUiGlContext(g_ViewWindow);
    CallPluginFreeFunctions();
    DestroyFrameMenus(frame);
    PostQuitUiMessage(0);
}

void OnDefinitionTest(WindowHandle frame)
{
    if (g_FrameCreated && !g_FileNamePreset) CheckDefinitionFilesChanged(frame);
}

// Appends text to the title buffer, bounded.
void AppendTitle(char* text, int size, const char* part)
{
    const size_t used = std::strlen(text);
    if (used + 1 >= static_cast<size_t>(size)) return;
    std::snprintf(text + used, size - used, "%s", part);
}

void AppendFileName(char* text, int size, const char* path, int withExtension)
{
    char name[SETTINGS_PATH_SIZE];
    GetFileNamePart(path, withExtension, name, sizeof name);
    AppendTitle(text, size, name);
}

char CheckLetter(int value, const char* letters)
{
    const int count = static_cast<int>(std::strlen(letters));
    return value >= 0 && value < count ? letters[value] : 'S';
}

}  // namespace

void ComposeMainTitle(char* text, int size)
{
    if (size < 1) return;
    text[0] = '\0';
    AppendTitle(text, size, g_MachineName);
    AppendTitle(text, size, " - ");
    if (g_NcSelected > 0) AppendFileName(text, size, g_NcFilePath, 1);
    else AppendTitle(text, size, g_EnglishUi ? "Not Selected" : "NCデータ未選択");
    if (g_WorkFilePath[0] != '\0') {
        AppendTitle(text, size, "/");
        AppendFileName(text, size, g_WorkFilePath, 1);
    }
    AppendTitle(text, size, "(");
    AppendFileName(text, size, g_ToolTableFilePath, 0);
    AppendTitle(text, size, ",");
    AppendFileName(text, size, g_ControllerFilePath, 0);
    AppendTitle(text, size, ",");
    AppendFileName(text, size, g_MachineFilePath, 0);
    AppendTitle(text, size, ")");
    char part[64];
    if (g_RunMode > 0) {
        AppendTitle(text, size, " - ");
        if (g_RunMode == 1) {
            std::snprintf(part, sizeof part, "%s%d", g_EnglishUi ? "Cutting : Real:" : "加工 : 実切削:", g_SkipView);
        } else if (g_RunMode == 2) {
            std::snprintf(part, sizeof part, "%s%d", g_EnglishUi ? "Cutting : Skip:" : "加工 : スキップ:", g_SkipBlock);
        } else {
            std::snprintf(part, sizeof part, "%s", g_EnglishUi ? "Cutting : Result" : "加工 : 結果表示");
        }
        AppendTitle(text, size, part);
    } else if (g_ProgressTitleText[0] != '\0') {
        AppendTitle(text, size, " - ");
        AppendTitle(text, size, g_ProgressTitleText);
    }
    std::snprintf(part, sizeof part, "%s%c%c%c%c", g_EnglishUi ? "Check-" : " 干渉チェック-",
                  CheckLetter(g_InterferenceCheck, "NY"), CheckLetter(g_ArborCheck, "NOCY"),
                  CheckLetter(g_HeightCheck, "NOY"), CheckLetter(g_ChipWidthCheck, "NOY"));
    AppendTitle(text, size, part);
}

void UpdateMainTitle(WindowHandle frame)
{
    if (IsUiWindowMinimised(frame) && g_RunMode > 0) return;
    char title[FRAME_TITLE_SIZE];
    ComposeMainTitle(title, sizeof title);
    SetUiWindowText(frame, title);
}

void GetLayoutMetricsForWindowsVersion(int versionCode, int borderWidth, int* panelInset, int* toolPanelInset)
{
    if (versionCode >= 260 && versionCode <= 269) {
        *panelInset = borderWidth > 4 ? 3 - borderWidth : 0;
        *toolPanelInset = borderWidth > 4 ? 9 - 3 * borderWidth : 0;
    } else if (versionCode >= 270 && versionCode <= 299) {
        *panelInset = 2;
        *toolPanelInset = 7;
    } else {
        *panelInset = 4 - borderWidth;
        *toolPanelInset = 12 - 3 * borderWidth;
    }
}

void ComputeStatusBarParts(int clientWidth, int parts[STATUS_BAR_PART_COUNT])
{
    parts[0] = 140;
    parts[1] = 190;
    for (int k = 1; k <= 7; ++k) parts[1 + k] = 190 + static_cast<int>(k * (clientWidth - 190.0) / 8.0);
    parts[STATUS_BAR_PART_COUNT - 1] = -1;
}

intptr_t MainWindowProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    switch (message) {
    case WM_CREATE: return OnCreate(window, reinterpret_cast<MenuHandle>(lParam));
    case WM_SIZE: OnSize(window, wParam, lParam); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_TIMER:
        if (wParam == static_cast<uintptr_t>(TIMER_RESIZE_REDRAW)) OnResizeTimer(window);
        else if (wParam == static_cast<uintptr_t>(TIMER_RUN_POLL)) OnRunPollTimer(window);
        else if (wParam == static_cast<uintptr_t>(TIMER_STOP_BLINK)) OnStopBlinkTimer(window);
        return 0;
    case WM_ACTIVATE:
        if (LowWord(wParam) == WA_ACTIVE || LowWord(wParam) == WA_CLICKACTIVE) OnDefinitionTest(window);
        return 0;
    case WM_SETFOCUS: return 0;
    case WM_WINDOWPOSCHANGED:
        OnDefinitionTest(window);
        return DefaultWindowProc(window, message, wParam, lParam);
    case WM_KEYDOWN: HandleFrameKeyDown(window, static_cast<int>(wParam)); return 0;
    case WM_KEYUP: HandleFrameKeyUp(static_cast<int>(wParam)); return 0;
    case WM_MOUSEWHEEL: HandleFrameWheel(SignedHighWord(wParam)); return 0;
    case WM_MENUSELECT: RestoreInteractionCursor(); return 0;
    case WM_DROPFILES: HandleDroppedFiles(window, wParam); return 0;
    case WM_COMMAND: {
        intptr_t result = 0;
        if (RunMenuCommand(window, static_cast<int>(LowWord(wParam)), lParam, &result)) return result;
        if (RunShellCommand(window, static_cast<int>(LowWord(wParam)), lParam)) return 0;
        return DefaultWindowProc(window, message, wParam, lParam);
    }
    case WM_AUTOMATION_FINISHED: OnAutomationFinished(window); return 0;
    case WM_CLOSE: DestroyUiWindow(window); return 0;
    case WM_DESTROY: OnDestroy(window); return 0;
    default: return DefaultWindowProc(window, message, wParam, lParam);
    }
}

void ResetFrameState()
{
    g_MainMenu = nullptr;
    g_ViewWindow = g_ProgressBar = g_ProgressBar2 = nullptr;
    g_ViewPopupMenu = nullptr;
    g_FrameCreated = g_ViewCreated = g_FrameDestroyed = 0;
    g_FileWatchState = FILE_WATCH_OFF;
    g_StatusBarHeight = 0;
    g_ResizePending = 0;
    g_SavedViewportSize[0] = g_SavedViewportSize[1] = 0;
    g_DropLoadedWork = 0;
    g_NcSelected = 0;
    g_MainWindow = nullptr;
    g_StatusBarWindow = nullptr;
}
