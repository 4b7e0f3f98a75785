// Default shell services, valid with no display: the pump and the abort key do nothing until the
// event core and the frame install their hooks.
#include "platform/ui/shell_services.h"
#include "platform/os/clock.h"
#include "platform/ui/cursor_clipboard.h"

int g_PumpMessagesInLoops = 0;
int g_EnglishUi = 0;
int g_SilentMode = 0;
int g_SuppressResultListOpen = 0;
int g_RunMode = 0;
int g_FileNamePreset = 0;
int g_WindowsVersionCode = 0;
int g_WorkDefined = 0;
int g_WorkState = 0;
WindowHandle g_MainWindow = nullptr;
WindowHandle g_StatusBarWindow = nullptr;
char g_ProgramCaption[64] = "QUMBRA5000";
int g_StopAtNextBlock = 0;
int g_PauseRequest = 0;
int g_AbortRequest = 0;
int g_RunWaitingForGo = 0;
int g_GoPromptBlink = 0;
int g_StepDisplayWait = 0;
int g_StepDisplayRequest = 0;
int g_AlarmsToMacroLog = 0;
FILE* g_MacroLog = nullptr;
WindowHandle g_ToolPanelWindow = nullptr;
int g_RepaintState = 0;
int g_ToolDialogRefresh = 0;

int g_PumpDispatchAllowed = 1;

namespace {
const uint64_t kPumpIntervalMs = 3000;
uint64_t g_LastPumpTime = 0;
uint64_t g_LastBusyCursorTime = 0;
int g_Pumping = 0;
}

extern void (*g_PumpOneMessageHook)();         // defined and installed by the event core (platform/ui)
int (*g_AbortKeyHook)() = nullptr;             // installed by the frame
void (*g_StatusBarTextHook)(int, const char*) = nullptr;
void (*g_UpdateStatusBarHook)() = nullptr;

void PumpMessagesDuringWork() { PumpMessagesDuringWorkAt(GetTickCountMs()); }

int PumpMessagesDuringWorkAt(uint64_t now) {
    if (now - g_LastPumpTime <= kPumpIntervalMs) return 0;
    g_LastPumpTime = now;   // before dispatching: a paint that pumps again returns at once
    if (g_Pumping || g_PumpOneMessageHook == nullptr) return 1;
    g_Pumping = 1;
    g_PumpOneMessageHook();
    g_Pumping = 0;
    return 1;
}

void PumpMessagesAndBusyCursor() { PumpMessagesAndBusyCursorAt(GetTickCountMs()); }

int PumpMessagesAndBusyCursorAt(uint64_t now) {
    PumpMessagesDuringWorkAt(now);
    if (now - g_LastBusyCursorTime <= kPumpIntervalMs) return 0;
    SetUiCursor(IDC_WAIT);
    g_LastBusyCursorTime = now;
    return 1;
}

int IsPumpingDuringWork() { return g_Pumping; }

void ResetPumpTimes() {
    g_LastPumpTime = 0;
    g_LastBusyCursorTime = 0;
}

int IsAbortKeyDown() { return g_AbortKeyHook != nullptr ? g_AbortKeyHook() : 0; }

void SetStatusBarText(int part, const char* text) {
    if (g_StatusBarTextHook != nullptr) g_StatusBarTextHook(part, text);
}

void UpdateStatusBar() {
    if (g_UpdateStatusBarHook != nullptr) g_UpdateStatusBarHook();
}
