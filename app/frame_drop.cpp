// Files dropped on the frame or the view: shortcuts resolved, then one pass per kind in a fixed order
// (machine, controller, tool table, colours, work, NC program, macro), each acting on the first dropped
// name of its kind, so that a drop loads its files in the order the later ones depend on.
#include <cstring>

#include "app/automation.h"
#include "app/command_line.h"
#include "app/frame_services.h"
#include "app/frame_window.h"
#include "app/startup.h"
#include "machine_setup/settings/colour_file.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "platform/os/paths.h"
#include "platform/ui/cursor_clipboard.h"
#include "platform/ui/event_core.h"

namespace {

const int kDropPathSize = 256;
const int kMaxDroppedFiles = 64;   // names beyond are not looked at

struct DroppedFiles {
    char paths[kMaxDroppedFiles][kDropPathSize];
    int count;
};

const char* const kNotNcExtensions[] = {".TTL", ".CTL", ".MTL", ".CTC", ".MAC",
                                        ".STL", ".DMF", ".DME", ".DMFZ", ".DMEZ"};

int IsWorkFile(const char* path)
{
    return HasFileExtension(path, ".DME") || HasFileExtension(path, ".DMF") || HasFileExtension(path, ".DMEZ") ||
           HasFileExtension(path, ".DMFZ") || HasFileExtension(path, ".STL");
}

int IsNcFile(const char* path)
{
    for (const char* extension : kNotNcExtensions) {
        if (HasFileExtension(path, extension)) return 0;
    }
    return 1;
}

// Reads the dropped names (each at most 255 characters; a longer one is left out), shortcuts resolved.
void ReadDroppedFiles(uintptr_t drop, DroppedFiles* files)
{
    files->count = 0;
    const int count = CountDroppedFiles(drop);
    for (int i = 0; i < count && files->count < kMaxDroppedFiles; ++i) {
        char* path = files->paths[files->count];
        if (GetDroppedFile(drop, i, path, kDropPathSize) >= kDropPathSize) continue;
        if (HasFileExtension(path, ".lnk")) {
            char target[260];
            std::strcpy(target, path);
            int length = static_cast<int>(std::strlen(target));
            if (ResolveShellLink(target, &length) && length < kDropPathSize) std::strcpy(path, target);
        }
        ++files->count;
    }
}

// The first dropped name with the extension, or null.
const char* FindFirst(const DroppedFiles* files, int (*matches)(const char*))
{
    for (int i = 0; i < files->count; ++i) {
        if (matches(files->paths[i])) return files->paths[i];
    }
    return nullptr;
}

int IsMachineFile(const char* path) { return HasFileExtension(path, ".MTL"); }
int IsControllerFile(const char* path) { return HasFileExtension(path, ".CTL"); }
int IsToolTableFile(const char* path) { return HasFileExtension(path, ".TTL"); }
int IsColourFile(const char* path) { return HasFileExtension(path, ".CTC"); }
int IsMacroFile(const char* path) { return HasFileExtension(path, ".MAC"); }

// A preset name into its path variable, then the command that takes it.
void SendFileCommand(WindowHandle frame, const char* path, char* target, int targetSize, int command)
{
    g_FileNamePreset = 1;
    std::strncpy(target, path, targetSize - 1);
    target[targetSize - 1] = '\0';
    SendUiMessage(frame, WM_COMMAND, static_cast<uintptr_t>(command), 0);
}

void DropWorkFile(WindowHandle frame, const char* path)
{
    const int ctrl = IsUiKeyDown(VK_CONTROL);
    if (!HasFileExtension(path, ".STL") || !ctrl) {
        SendFileCommand(frame, path, g_WorkFilePath, sizeof g_WorkFilePath, 32784);
        g_DropLoadedWork = 1;
    } else if (g_WorkDefined) {
        SendFileCommand(frame, path, g_BasicModelPath, sizeof g_BasicModelPath, 32851);
    }
}

// Closes the handles of worker threads that have ended; 1 when one still runs.
int IsWorkerThreadRunning()
{
    ThreadHandle* handles[] = {&g_AutomationThread, &g_SimulationThread, &g_MacroThread};
    for (ThreadHandle* handle : handles) {
        if (*handle == nullptr) continue;
        int code = 0;
        if (GetThreadExitCode(*handle, &code) && code == kThreadStillActive) return 1;
        CloseThreadHandle(*handle);
        *handle = nullptr;
    }
    return 0;
}

void StartDroppedMacro(const char* path)
{
    if (IsWorkerThreadRunning()) return;
    std::strncpy(g_MacroFilePath, path, sizeof g_MacroFilePath - 1);
    g_MacroFilePath[sizeof g_MacroFilePath - 1] = '\0';
    g_MacroThread = StartThread(RunMacroFile, nullptr, 1);
    ResumeThread(g_MacroThread);
}

}  // namespace

void HandleDroppedFiles(WindowHandle frame, uintptr_t drop)
{
    static DroppedFiles files;   // UI thread only; too large for the stack of a nested send
    ReadDroppedFiles(drop, &files);
    const char* path = FindFirst(&files, IsMachineFile);
    if (path != nullptr) SendFileCommand(frame, path, g_MachineFilePath, sizeof g_MachineFilePath, 32783);
    if ((path = FindFirst(&files, IsControllerFile)) != nullptr) {
        SendFileCommand(frame, path, g_ControllerFilePath, sizeof g_ControllerFilePath, 32782);
    }
    if ((path = FindFirst(&files, IsToolTableFile)) != nullptr) {
        SendFileCommand(frame, path, g_ToolTableFilePath, sizeof g_ToolTableFilePath, 32781);
    }
    if ((path = FindFirst(&files, IsColourFile)) != nullptr) {
        if (ReadColourFile(path)) ApplyColourSettings();
        InvalidateUiWindow(g_ViewWindow, 1);
        UpdateUiWindow(g_ViewWindow);
        RestoreInteractionCursor();
    }
    if ((path = FindFirst(&files, IsWorkFile)) != nullptr) DropWorkFile(frame, path);
    if ((path = FindFirst(&files, IsNcFile)) != nullptr) {
        SendFileCommand(frame, path, g_NcFilePath, sizeof g_NcFilePath, 32771);
    }
    if ((path = FindFirst(&files, IsMacroFile)) != nullptr) StartDroppedMacro(path);
    FinishDrop(drop);
    g_DropLoadedWork = 0;
}
