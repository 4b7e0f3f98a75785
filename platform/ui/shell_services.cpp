// Default shell services, valid with no display: the pump and the abort key do nothing until the
// event core and the frame install their hooks.
#include "platform/ui/shell_services.h"
#include "platform/os/clock.h"

int g_PumpMessagesInLoops = 0;
int g_EnglishUi = 0;
int g_SilentMode = 0;
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

namespace {
uint64_t g_LastPumpTime = 0;
}

extern void (*g_PumpOneMessageHook)();         // defined and installed by the event core (platform/ui)
int (*g_AbortKeyHook)() = nullptr;             // installed by the frame
void (*g_StatusBarTextHook)(int, const char*) = nullptr;
void (*g_UpdateStatusBarHook)() = nullptr;

void PumpMessagesDuringWork() {
    uint64_t now = GetTickCountMs();
    if (now - g_LastPumpTime <= 3000) return;
    if (g_PumpOneMessageHook != nullptr) g_PumpOneMessageHook();
    g_LastPumpTime = GetTickCountMs();
}

int IsAbortKeyDown() { return g_AbortKeyHook != nullptr ? g_AbortKeyHook() : 0; }

void SetStatusBarText(int part, const char* text) {
    if (g_StatusBarTextHook != nullptr) g_StatusBarTextHook(part, text);
}

void UpdateStatusBar() {
    if (g_UpdateStatusBarHook != nullptr) g_UpdateStatusBarHook();
}
