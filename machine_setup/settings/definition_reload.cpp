// The definition-file change watch: probes the four files' times, then for each changed file in the
// fixed order (tool table, arbor file, controller, machine) shows its message and runs the readers it
// needs; the shell's and the view's parts of a reload (title, sounds, panels, brush, animation) go
// through g_DefinitionReloadHooks.
#include "machine_setup/settings/definition_reload.h"

#include <cctype>
#include <cstring>
#include <string>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/tools/arbor_file.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/tools/tool_table.h"
#include "platform/os/paths.h"
#include "platform/ui/event_core.h"
#include "platform/ui/message_box.h"
#include "platform/ui/repaint_requests.h"
#include "platform/ui/shell_services.h"
#include "platform/ui/ui_constants.h"

DefinitionReloadHooks g_DefinitionReloadHooks = {};
int g_FileWatchState = FILE_WATCH_OFF;
FileTime g_ProbedFileTime = {0, 0};

namespace {

enum WatchedFile { WATCH_TOOL_TABLE, WATCH_ARBOR, WATCH_CONTROLLER, WATCH_MACHINE, WATCH_FILE_COUNT };

struct WatchedFileTexts {
    const char* changedEnglish;
    const char* changedJapanese;
    const char* missingEnglish;    // null: no message for a missing file
    const char* missingJapanese;
};

const WatchedFileTexts kTexts[WATCH_FILE_COUNT] = {
    {"Because the TTL-file has been update, it reads.", "工具設定ファイルが更新されているので読み込みます。",
     "The TTL-file is not found.", "工具設定ファイルが見つかりません。"},
    {"Because the ATL-file has been update, it reads.", "アーバー定義ファイルが更新されているので読み込みます。",
     nullptr, nullptr},
    {"Because the CTL-file has been update, it reads.",
     "コントローラー定義ファイルが更新されているので読み込みます。", "The CTL-file is not found.",
     "コントローラー定義ファイルが見つかりません。"},
    {"Because the MTL-file has been update, it reads.", "機械定義ファイルが更新されているので読み込みます。",
     "The MTL-file is not found.", "機械定義ファイルが見つかりません。"},
};

const char* PathOf(int file)
{
    switch (file) {
    case WATCH_TOOL_TABLE: return g_ToolTableFilePath;
    case WATCH_ARBOR: return g_ArborFilePath;
    case WATCH_CONTROLLER: return g_ControllerFilePath;
    default: return g_MachineFilePath;
    }
}

int* StatusOf(int file)
{
    switch (file) {
    case WATCH_TOOL_TABLE: return &g_ToolTableStatus;
    case WATCH_ARBOR: return &g_ArborFileStatus;
    case WATCH_CONTROLLER: return &g_ControllerFileStatus;
    default: return &g_MachineFileStatus;
    }
}

const FileTime* RecordedTimeOf(int file)
{
    switch (file) {
    case WATCH_TOOL_TABLE: return &g_ToolTableFileTime;
    case WATCH_ARBOR: return &g_ArborFileTime;
    case WATCH_CONTROLLER: return &g_ControllerFileTime;
    default: return &g_MachineFileTime;
    }
}

// A folder text comparable to another: "\" as "/", no trailing separator, lower case.
std::string NormaliseFolder(const char* folder)
{
    std::string text = folder != nullptr ? folder : "";
    for (char& c : text) {
        c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

int IsInStartupFolder()
{
    char current[1024];
    if (!GetCurrentFolder(current, sizeof current)) return 0;
    return NormaliseFolder(current) == NormaliseFolder(g_CurrentFolder);
}

int AreDefinitionsInUse()
{
    if (g_RunMode > 0) return 1;
    return g_DefinitionReloadHooks.tablesInUse != nullptr && g_DefinitionReloadHooks.tablesInUse();
}

void ShowWatchMessage(WindowHandle frame, const char* english, const char* japanese)
{
    ShowUiMessageBox(frame, g_EnglishUi ? english : japanese, g_ProgramCaption, MB_OK | MB_TOPMOST);
}

void PlaySound(int sound)
{
    if (g_DefinitionReloadHooks.playSound != nullptr) g_DefinitionReloadHooks.playSound(sound);
}

void UpdateTitle(WindowHandle frame)
{
    if (g_DefinitionReloadHooks.updateMainTitle != nullptr) g_DefinitionReloadHooks.updateMainTitle(frame);
}

void RepaintToolPanel()
{
    if (g_DefinitionReloadHooks.repaintToolPanel != nullptr) g_DefinitionReloadHooks.repaintToolPanel();
}

void RedrawFrame(WindowHandle frame)
{
    if (frame == nullptr) return;
    InvalidateUiWindow(frame, 1);
    UpdateUiWindow(frame);
}

// The controller definition read again with what the frame shows of it.
void ReloadControllerSettings()
{
    if (g_DefinitionReloadHooks.stopCutAnimation != nullptr) g_DefinitionReloadHooks.stopCutAnimation();
    ReadControllerFile();
    if (g_DefinitionReloadHooks.remakeBackgroundBrush != nullptr) g_DefinitionReloadHooks.remakeBackgroundBrush();
    UpdateStatusBar();
}

void ReloadToolTable(WindowHandle frame)
{
    ReadToolTableFile();
    if (g_ToolDisplayMode > 0) g_RebuildToolList = 1;
    UpdateCurrentMachinePosition();
    g_RebuildHead2PartList = 1;
    g_RebuildHead1PartList = 1;
    g_RebuildHeadPartLists = 1;
    UpdateTitle(frame);
    PlaySound(DEFINITION_SOUND_TOOL_CHANGE);
    RepaintToolPanel();
    RedrawFrame(frame);
}

void ReloadForArbor(WindowHandle frame)
{
    ReadToolTableFile();
    UpdateCurrentMachinePosition();
    UpdateTitle(frame);
    PlaySound(DEFINITION_SOUND_TOOL_CHANGE);
    RepaintToolPanel();
    RedrawFrame(frame);
}

// A controller change also reads the machine (keeping a vice the user chose) and the tool table.
void ReloadForController(WindowHandle frame)
{
    ReloadControllerSettings();
    ReadMachineFile(0);
    ReadToolTableFile();
    PlaySound(DEFINITION_SOUND_WORK_SET);
    RedrawFrame(frame);
}

void ReloadForMachine(WindowHandle frame)
{
    ReloadControllerSettings();
    ReadMachineFile(1);
    BuildToolProfile();
    if (g_ToolDisplayMode > 0) g_RebuildToolList = 1;
    ReadToolTableFile();
    UpdateCurrentMachinePosition();
    if (g_DefinitionReloadHooks.repaintStatusPanel != nullptr) g_DefinitionReloadHooks.repaintStatusPanel();
    UpdateTitle(frame);
    PlaySound(DEFINITION_SOUND_WORK_SET);
    RedrawFrame(frame);
    RepaintToolPanel();
}

}  // namespace

void CheckDefinitionFilesChanged(WindowHandle frame)
{
    if (g_FileWatchState != FILE_WATCH_IDLE) return;
    if (!IsInStartupFolder()) return;
    // The readers replace tables a run or the data check is reading: the reload waits for their end.
    if (AreDefinitionsInUse()) return;
    g_FileWatchState = FILE_WATCH_RUNNING;

    // Every file is probed before any is read again: a reload that reads a later file too (the tool
    // table reads the arbor file, the controller the machine) must not hide that file's own change.
    int changed[WATCH_FILE_COUNT];
    for (int file = 0; file < WATCH_FILE_COUNT; ++file) {
        // A file that cannot be probed keeps the time probed before it (and so normally counts as changed).
        if (PathOf(file)[0] != '\0') GetFileLastWriteTime(PathOf(file), &g_ProbedFileTime);
        changed[file] = !AreFileTimesEqual(&g_ProbedFileTime, RecordedTimeOf(file));
    }
    for (int file = 0; file < WATCH_FILE_COUNT; ++file) {
        int* status = StatusOf(file);
        const WatchedFileTexts& texts = kTexts[file];
        if (*status == 1 && changed[file]) {
            ShowWatchMessage(frame, texts.changedEnglish, texts.changedJapanese);
            switch (file) {
            case WATCH_TOOL_TABLE: ReloadToolTable(frame); break;
            case WATCH_ARBOR: ReloadForArbor(frame); break;
            case WATCH_CONTROLLER: ReloadForController(frame); break;
            default: ReloadForMachine(frame); break;
            }
        } else if (*status == -1 && texts.missingEnglish != nullptr) {
            ShowWatchMessage(frame, texts.missingEnglish, texts.missingJapanese);
            *status = 0;
        }
    }
    g_FileWatchState = FILE_WATCH_IDLE;
}
