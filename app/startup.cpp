// The program's start-up in its fixed order, the message loop, and the releases after it; the frame's
// class and creation; the operating-system probes. Everything here runs on the user-interface thread.
#include "app/run_control.h"
#include "app/startup.h"

#include <cstdlib>
#include <cstring>

#include "app/automation.h"
#include "app/command_line.h"
#include "app/frame_services.h"
#include "app/frame_window.h"
#include "app/message_file.h"
#include "app/plugins.h"
#include "app/sound_effects.h"
#include "app/system_info.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/settings/definition_reload.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_models.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/tools/tool_table.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "nc/motion_delivery.h"
#include "platform/os/files.h"
#include "platform/os/paths.h"
#include "platform/ui/event_core.h"
#include "platform/ui/menu.h"
#include "platform/ui/status_bar.h"
#include "resources/menu_resources.h"
#include "simulation/warning_file.h"
#include "view/progress_display.h"
#include "view/view_window.h"
#include "work_model/work_model.h"

char g_MainWindowClassName[MAIN_CLASS_NAME_SIZE] = "";
ThreadHandle g_AutomationThread = nullptr;
ThreadHandle g_SimulationThread = nullptr;
ThreadHandle g_MacroThread = nullptr;
int g_ExitCodeOverride = 0;
int g_OsIsVistaOrLater = 0;
int g_DwmCompositionOn = 0;
unsigned char* g_PathFlagBuffer = nullptr;

namespace {

// The frame class as registered.
struct MainWindowClass {
    int menuId;   // 0: no menu
    int iconId;
};
MainWindowClass g_MainClass = {0, 0};
int g_ThemeLibraryState = -1;   // -1 not tried; 1 loaded, 0 missing

int IsAbortKeyHeld()
{
    return IsUiKeyDown(g_AbortKey) && GetUiForegroundWindow() == g_MainWindow;
}

void SetStatusBarTextOfFrame(int part, const char* text)
{
    if (g_StatusBarWindow != nullptr) SetStatusBarPartText(g_StatusBarWindow, part, text, 0);
}

// The interpreter asks for the menu check marks when a block changes a mode they show.
void UpdateMenuChecksOfFrame() { UpdateMenuChecks(g_MainMenu); }

void UpdateMainTitleOfFrame()
{
    if (g_MainWindow != nullptr) UpdateMainTitle(g_MainWindow);
}

// Silent and batch runs answer message boxes themselves and log them.
int IsShellUnattended() { return g_SilentMode || g_CmdBatchRun; }

// The program folder must be known before the message file is looked for.
void LocateProgramFolder()
{
    char program[SETTINGS_PATH_SIZE];
    if (!GetProgramFilePath(program, sizeof program)) return;
    const int separator = FindLastPathSeparator(program);
    if (separator < 0) return;
    program[separator + 1] = '\0';
    std::strcpy(g_ProgramFolder, program);
}

// Step 4: nothing loaded yet.
void ResetLoadedState()
{
    ClearFileTime(&g_NcExtentsFileTime);
    g_BasicModel.nodeCountX = 0;
    g_WorkModels[g_CurrentWorkIndex].nodeCountX = 0;
    g_BasicModelPath[0] = '\0';
    g_WorkFilePath[0] = '\0';
}

void ReadSettingsAndDefinitions()
{
    ReadIniSettings();
    ReadToolTableFile();
    ReadControllerFile();
    ReadMachineFile(1);
    ReadToolTableFile();   // tool geometry depends on the machine definition
}

void AllocatePathBuffers()
{
    g_PathFlagBuffer = static_cast<unsigned char*>(std::calloc(PATH_POINT_CAPACITY, 1));
    if (g_PathFlagBuffer != nullptr) g_PathFlagBuffer[0] = 1;
    g_PathPointBuffer = static_cast<double*>(std::calloc(PATH_POINT_CAPACITY * 3, sizeof(double)));
}

void CloseThread(ThreadHandle* thread)
{
    if (*thread == nullptr) return;
    CloseThreadHandle(*thread);
    *thread = nullptr;
}

// After the message loop, in this order.
void ReleaseEverything()
{
    FreeReplaceRules();
    DeleteGdiResources();
    FreeToolArrays();
    FreeMachineModels();
    std::free(g_PathPointBuffer);
    std::free(g_PathFlagBuffer);
    g_PathPointBuffer = nullptr;
    g_PathFlagBuffer = nullptr;
    FreeThemeLibrary();
    FreeSoundImages();
    FreeInMemoryProgramBuffers();
    std::free(g_CheckChars);
    g_CheckChars = nullptr;
    FreeWorkSettingsBuffers();
    CloseThread(&g_AutomationThread);
    CloseThread(&g_SimulationThread);
    CloseThread(&g_MacroThread);
    UnloadPlugins();
}

void PlayDefinitionReloadSound(int sound)
{
    PlaySoundEffect(sound == DEFINITION_SOUND_WORK_SET ? SOUND_WORKSET : SOUND_TOOLCHG, 0);
}

// The NC data check reads the tool table and the controller and machine settings while it runs.
int IsDataCheckRunning() { return g_DataCheckRunning != 0; }

void StartEventCoreForRun(ChooseUiBackendFn chooseBackend)
{
    const UiBackend* backend = chooseBackend != nullptr ? chooseBackend(g_SilentMode) : nullptr;
    if (backend == nullptr && !g_SilentMode) {
        // Without a display nobody can work with the frame: the run goes on without windows, as a
        // silent run does, and ends when its requests are done.
        g_SilentMode = 1;
        g_MainWindowIconic = 1;
    }
    StartEventCore(backend);
    g_UiSettings.isUnattendedHook = IsShellUnattended;
    g_AbortKeyHook = IsAbortKeyHeld;
    g_StatusBarTextHook = SetStatusBarTextOfFrame;
    g_UpdateStatusBarHook = UpdateRunStatusBar;
    g_InterpreterUiHooks.updateMenuChecks = UpdateMenuChecksOfFrame;
    g_DefinitionReloadHooks.updateMainTitle = UpdateMainTitle;
    g_DefinitionReloadHooks.playSound = PlayDefinitionReloadSound;
    g_DefinitionReloadHooks.tablesInUse = IsDataCheckRunning;
    InstallWarningFileHook();
    InstallStatusPanelHooks();
    InstallProgressDisplayHooks();
    g_ProgressHooks.updateMainTitle = UpdateMainTitleOfFrame;
}

}  // namespace

int RunProgram(const char* commandLine, int showCommand, ChooseUiBackendFn chooseBackend)
{
    LocateProgramFolder();
    OpenMessageFile();
    GetOsDescription(&g_WindowsVersionCode, &g_WindowsBuild, g_OsName);
    LoadPlugins();
    ResetLoadedState();
    ParseCommandLine(commandLine);
    StartEventCoreForRun(chooseBackend);
    GetProcessorInfo();
    SetMainThreadIdealProcessor();
    ReadSettingsAndDefinitions();
    g_PumpDispatchAllowed = DecidePumpDispatch(g_WindowsBuild, g_PumpOption);
    LoadSoundImages();
    CreateGdiResources();
    QueryDwmComposition(&g_OsIsVistaOrLater, &g_DwmCompositionOn);
    AllocatePathBuffers();
    SetViewCentreFromTarget();
    if (g_AutomationPending) g_AutomationThread = StartThread(RunStartupAutomation, nullptr, 1);
    LoadStringResource(STRING_CLASS_NAME, g_MainWindowClassName, sizeof g_MainWindowClassName);
    RegisterMainWindowClass();
    if (!CreateMainWindow(showCommand)) return 0;
    // A silent run with nothing to carry out has nobody to close it: it ends at once.
    if (g_SilentMode && g_AutomationThread == nullptr) PostUiMessage(g_MainWindow, WM_CLOSE, 0, 0);
    const int exitCode = RunMessageLoop(LoadAcceleratorTable(ACCELERATORS_MAIN));
    ReleaseEverything();
    StopEventCore();
    return g_ExitCodeOverride == -1 ? -1 : exitCode;
}

void RegisterMainWindowClass()
{
    g_MainClass.menuId = g_CmdNoMenu ? 0 : MENU_MAIN;
    g_MainClass.iconId = ICON_MAIN;
}

int AcceptSavedFrameRectangle(int monitorCount, int screenWidth, int screenHeight)
{
    if (!g_SaveDisplay && !g_CmdWindowRectGiven) return 0;
    if (monitorCount != 1) return 1;
    if (screenWidth < g_WindowX || screenHeight < g_WindowY) return 0;
    if (screenWidth < g_WindowWidth || screenHeight < g_WindowHeight) return 0;
    if (g_WindowWidth <= 0 || g_WindowHeight <= 0) return 0;
    if (g_WindowX + g_WindowWidth <= 0 || g_WindowY + g_WindowHeight <= 0) return 0;
    return 1;
}

int CreateMainWindow(int showCommand)
{
    const int accepted = AcceptSavedFrameRectangle(1, g_UiSettings.screenWidth, g_UiSettings.screenHeight);
    const UiRect saved = {g_WindowX, g_WindowY, g_WindowX + g_WindowWidth, g_WindowY + g_WindowHeight};
    const UiRect standard = {40, 40, 40 + 960, 40 + 700};
    const UiRect* rect = accepted ? &saved : &standard;
    const UiRect size = {rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top};
    MenuHandle menu = g_MainClass.menuId != 0 ? LoadMenuResource(g_MainClass.menuId) : nullptr;
    g_MainWindow = CreateUiWindow(g_MainWindowClassName, "", MainWindowProc, nullptr, 0, &size,
                                  reinterpret_cast<intptr_t>(menu));
    if (g_MainWindow == nullptr) {
        if (menu != nullptr) DestroyUiMenu(menu);
        return 0;
    }
    const int show = g_SilentMode ? SW_MINIMIZE : accepted ? g_SaveShowCmd : showCommand;
    ShowUiWindow(g_MainWindow, show);
    UpdateUiWindow(g_MainWindow);
    return 1;
}

void QueryDwmComposition(int* vistaOrLater, int* compositionOn)
{
    *vistaOrLater = 0;
    *compositionOn = 0;
    // Desktop composition is asked of the system only from code 240 on; this platform has no such
    // interface, so composition stays off there too.
    if (g_WindowsVersionCode >= 240 && g_WindowsVersionCode <= 299) *vistaOrLater = 1;
}

int LoadThemeLibrary() { return 0; }   // no dialog theme library on this platform

void EnableDialogThemeTexture(WindowHandle)
{
    if (g_ThemeLibraryState == -1) g_ThemeLibraryState = LoadThemeLibrary();
}

void FreeThemeLibrary() { g_ThemeLibraryState = -1; }

int DecidePumpDispatch(int windowsBuild, int pumpOption)
{
    // Build 0: no Windows build is known on this platform, and the older builds' limit does not apply.
    if (pumpOption != 1) return 0;
    return windowsBuild == 0 || windowsBuild >= 19041 ? 1 : 0;
}

void SetMainThreadIdealProcessor()
{
    if (g_CmdProcessor < 0 || g_ProcessorCount <= 1 || g_CmdProcessor >= g_ProcessorCount) return;
    SetCurrentThreadPreferredProcessor(g_CmdProcessor);
}
