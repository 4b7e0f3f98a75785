// The program's file choices: the open dialog for definition and model files by kind, the open dialog
// for NC programs (user pattern, standard groups and the reader plug-ins' groups) and the save dialog
// for the work, with the filter groups each remembers. The dialogs themselves are platform/ui's; the
// commands that use the chosen files are the frame's.
#pragma once
#include "app/plugins.h"
#include "platform/ui/event_core.h"
#include "platform/ui/message_box.h"

const int FILE_DIALOG_PATH_SIZE = 256;         // path and folder buffers the callers pass
const int NC_PATTERN_SIZE = 258;               // the NC dialog's user pattern buffer
const int NC_FILTER_SIZE = 512;                // filter with the user group (no custom filter)
const int NC_CUSTOM_FILTER_SIZE = 80;          // user group shown as the custom filter
const int NC_PLUGIN_FILTER_SIZE = 1024;        // filter with user group and reader groups
const int NC_STANDARD_PLUGIN_FILTER_SIZE = 400; // standard groups with reader groups
const int OPEN_DIALOG_KIND_COUNT = 7;

// Kinds of ShowOpenDataFileDialog (3 is not used).
enum OpenDataFileKind {
    OPEN_TOOL_TABLE = 0,
    OPEN_CONTROLLER = 1,
    OPEN_WORK = 2,
    OPEN_MACHINE = 4,
    OPEN_BASIC_MODEL = 5,
    OPEN_VICE = 6,
};

// What the dialogs remember between calls and hand their hooks (UI thread only).
struct FileDialogMemory {
    int openFilterIndex[OPEN_DIALOG_KIND_COUNT];   // per kind; only kinds 2 and 5 store the choice back
    int saveFilterIndex;                           // the work save dialog (1 to 4)
    int ncFilterIndex;                             // the NC dialog (0: the user group)
    int openCoordinateValue;                       // the open hook's check box
    int saveCoordinateValue;                       // the save hook's check box
    char pendingName[FILE_DIALOG_PATH_SIZE];       // name the save routine hands to the hook
    int pendingNameSet;
};
extern FileDialogMemory g_FileDialogMemory;

// Set by the dialogs for the work commands (UI thread).
extern int g_WorkLoadKind;            // the work open dialog's chosen group until the load classifies it
extern int g_WorkSaveKind;            // 1 DME, 2 STL text, 3 STL binary little-, 4 big-endian
extern int g_BasicModelDialogActive;  // 1 while the basic-model command asks for its file

// Puts the remembered groups and hook values back to their start (program start, tests).
void ResetFileDialogMemory();

// The open dialog for a definition or model file of kind (OpenDataFileKind). folder (256 bytes): the
// start folder, on OK the chosen file's folder; path (256 bytes) receives the chosen file. Returns 1
// on OK; any other result leaves path, folder and every setting unchanged. Kind 2 sets
// g_WorkLoadKind, kind 5 g_ImportInWorkCoordinates (when the work-coordinate box was shown).
int ShowOpenDataFileDialog(WindowHandle owner, int kind, char* folder, char* path);
// The save dialog for the work (kind 1 only). path (256 bytes) proposes the name (its folder part is
// dropped) and receives the chosen file; on OK g_WorkSaveKind = the chosen group and
// g_ExportInWorkCoordinates = the check box, folder = the file's folder. Asks before overwriting.
int ShowSaveDataFileDialog(WindowHandle owner, int kind, char* folder, char* path);
// The open dialog for NC programs. pattern (258 bytes) is the user pattern and receives the chosen
// file; folder (256 bytes) takes its folder. Returns 1 on OK.
int ShowOpenNcFileDialog(WindowHandle owner, char* folder, char* pattern);

// 1 when module is not null and name ends in one of the ";"-separated suffixes of list (compared
// without regard to case, never reading before the name; at most PLUGIN_SUFFIX_SIZE bytes of list are
// read); an empty list matches every name. 0 otherwise.
int MatchesExtensionList(const void* module, const char* name, const char* list);
// Copies length bytes of base (filter pairs without their closing NULs) into buffer and appends one
// group per slot i < count with a module: names + 50 * i, then its pattern from suffixes + 10 * i
// ("*" before every "." of a list, or "*" and the single suffix), then two NULs. A group that would
// not fit bufferSize is left out. Returns the bytes before the closing NULs, -1 when base does not fit.
int BuildExtensionFilter(int length, int count, void* const* modules, const char* names, const char* suffixes,
                         const char* base, char* buffer, int bufferSize);
// folder = path up to its last separator ("/" or "\"; the root keeps its "/"); "" without one.
void GetDirectoryOfPath(const char* path, char* folder);

// What the hooks do as their dialog opens: rename OK, add the work-coordinate check box with the
// hook's value, put a pending name into the name field. Each returns 1.
int HookOpenDialogGoButton(FileDialogRequest* request);
int HookOpenDialogCoordinate(FileDialogRequest* request);
int HookSaveDialogCoordinate(FileDialogRequest* request);
