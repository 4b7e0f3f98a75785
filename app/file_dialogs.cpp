// The program's open and save dialogs: titles and filter groups by kind and language, the groups
// each dialog remembers, the work-coordinate check box and the renamed OK button, the NC dialog's
// user group and reader plug-in groups. Showing them (and preset answers) is platform/ui's.
#include "app/file_dialogs.h"

#include <strings.h>

#include <cstring>
#include <string>

#include "app/plugins.h"
#include "app/startup.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/os/paths.h"
#include "platform/ui/shell_services.h"
#include "work_model/work_values.h"

FileDialogMemory g_FileDialogMemory;
int g_WorkLoadKind = 0;
int g_WorkSaveKind = 0;
int g_BasicModelDialogActive = 0;

namespace {

// Titles and filters of the open dialog by kind: English, then Japanese. Filters are the NUL-separated
// pairs "name", "pattern", closed by an empty name.
struct OpenKindTexts {
    const char* title[2];
    const char* filter[2];
};

const OpenKindTexts kOpenKinds[OPEN_DIALOG_KIND_COUNT] = {
    {{"TTL", "工具設定ファイル"}, {"TTL(*.TTL)\0*.TTL\0\0", "工具設定ﾌｧｲﾙ(*.TTL)\0*.TTL\0\0"}},
    {{"CTL", "コントローラ定義ファイル"}, {"CTL(*.CTL)\0*.CTL\0\0", "ｺﾝﾄﾛ-ﾗ定義ﾌｧｲﾙ(*.CTL)\0*.CTL\0\0"}},
    {{"Work", "被切削材定義ファイル"},
     {"DME(*.DME)\0*.DME\0DMF(*.DMF)\0*.DMF\0STL Format(*.STL)\0*.STL\0Work(*.DME;*.DMF;*.STL)\0"
      "*.DME;*.DMF;*.STL\0\0",
      "DMEﾌｧｲﾙ(*.DME)\0*.DME\0DMFﾌｧｲﾙ(*.DMF)\0*.DMF\0STLﾌｫｰﾏｯﾄ(*.STL)\0*.STL\0形状ﾌｧｲﾙ(*.DME;*.DMF;*.STL)\0"
      "*.DME;*.DMF;*.STL\0\0"}},
    {{nullptr, nullptr}, {nullptr, nullptr}},
    {{"MTL", "機械定義ファイル"}, {"MTL(*.MTL)\0*.MTL\0\0", "機械定義ﾌｧｲﾙ(*.MTL)\0*.MTL\0\0"}},
    {{"Basic Model", "基準形状ファイル"}, {"STL Format(*.STL)\0*.STL\0\0", "STLﾌｫｰﾏｯﾄ(*.STL)\0*.STL\0\0"}},
    {{"VICE", "VICE形状定義ファイル"}, {"VICE(*.STL)\0*.STL\0\0", "VICE形状定義ﾌｧｲﾙ(*.STL)\0*.STL\0\0"}},
};

const char* const kSaveTitle[2] = {"Save Work", "形状データを保存"};
const char* const kSaveFilter[2] = {
    "DME(*.DME)\0*.DME\0STL Format/Text(*.STL)\0*.STL\0STL Format/Binary/Intel(*.STL)\0*.STL\0"
    "STL Format/Binary/Motlora(*.STL)\0*.STL\0\0",
    "被切削材定義ﾌｧｲﾙ(*.DME)\0*.DME\0STLﾌｫｰﾏｯﾄ/ﾃｷｽﾄ(*.STL)\0*.STL\0STLﾌｫｰﾏｯﾄ/ﾊﾞｲﾅﾘ/ｲﾝﾃﾙ系(*.STL)\0*.STL\0"
    "STLﾌｫｰﾏｯﾄ/ﾊﾞｲﾅﾘ/ﾓﾄﾛｰﾗ系(*.STL)\0*.STL\0\0",
};

const char* const kNcTitle[2] = {"NC DATA FILE", "NCデータファイル"};
const char* const kNcUserGroup[2] = {"user specified files", "ユーザー指定"};
// The standard NC groups without their closing NULs.
const char kNcStandardEnglish[] = "NC-File(*.NC)\0*.NC\0All(*.*)\0*.*";
const char kNcStandardJapanese[] = "NCファイル(*.NC)\0*.NC\0すべてのﾌｧｲﾙ(*.*)\0*.*";

const char* const kGoButton[2] = {"&OK", "これを基準に"};
const char* const kOpenCoordinateBox[2] = {"Workpiece Coordinate", "ワーク座標系で処理"};
const char* const kSaveCoordinateBox[2] = {"Workpiece Coordinate", "保存時はワーク座標系で処理(DMEも対象)"};

const int kStartOpenFilterIndex[OPEN_DIALOG_KIND_COUNT] = {1, 1, 4, 1, 1, 1, 1};

int Language() { return g_EnglishUi ? 0 : 1; }

// Number of groups in a filter of NUL-separated pairs.
int CountFilterGroups(const char* filter) {
    int count = 0;
    for (const char* p = filter; p != nullptr && *p != '\0'; ++count) {
        p += std::strlen(p) + 1;
        p += std::strlen(p) + 1;
    }
    return count;
}

// The chosen group as a 1-based index inside the filter (an answer outside it counts as the first).
int ClampGroup(int index, const char* filter) {
    const int count = CountFilterGroups(filter);
    return index >= 1 && index <= count ? index : 1;
}

// Copies text, cut to size - 1 bytes (the buffers may overlap).
void CopyText(const char* text, char* out, int size) {
    const size_t length = strnlen(text, static_cast<size_t>(size) - 1);
    std::memmove(out, text, length);
    out[length] = '\0';
}

// A work coordinate system is in use: an offset in X, Y or Z, or a rotation.
int IsWorkCoordinateSystemInUse() {
    return g_ActiveWorkOffset.axis[AXIS_X] != 0.0 || g_ActiveWorkOffset.axis[AXIS_Y] != 0.0 ||
           g_ActiveWorkOffset.axis[AXIS_Z] != 0.0 || g_WorkCoordRotated != 0;
}

// The request every dialog starts from.
FileDialogRequest MakeRequest(WindowHandle owner, const char* title, const char* filter, int filterIndex,
                              const char* folder, char* file, unsigned flags) {
    FileDialogRequest request = {};
    request.owner = owner;
    request.title = title;
    request.filter = filter;
    request.filterIndex = filterIndex;
    request.initialFolder = folder;
    request.path = file;
    request.pathSize = FILE_DIALOG_PATH_SIZE;
    request.flags = flags | FILE_DIALOG_DEFAULT_EXTENSION;
    return request;
}

// The user group "name(pattern)", pattern as one pair with its NULs.
std::string MakeUserGroup(const char* pattern) {
    std::string group = std::string(kNcUserGroup[Language()]) + "(" + pattern + ")";
    group.append(1, '\0');
    group += pattern;
    group.append(1, '\0');
    return group;
}

// The reader plug-ins' groups after base (length bytes): the filter for the dialog, or base itself
// (with its closing NULs) when no reader is loaded or the groups do not fit.
std::string AddReaderGroups(const std::string& base, int bufferSize) {
    std::string filter = base + std::string(2, '\0');
    int loaded = 0;
    for (int i = 0; i < g_ReadPlugins.count && i < PLUGIN_SLOT_COUNT; ++i) loaded |= g_ReadPlugins.module[i] != nullptr;
    if (!loaded) return filter;
    std::string buffer(static_cast<size_t>(bufferSize), '\0');
    const int length = BuildExtensionFilter(static_cast<int>(base.size()), g_ReadPlugins.count, g_ReadPlugins.module,
                                            &g_ReadPlugins.name[0][0], &g_ReadPlugins.suffix[0][0], base.data(),
                                            &buffer[0], bufferSize);
    if (length < 0) return filter;
    buffer.resize(static_cast<size_t>(length) + 2);
    return buffer;
}

}  // namespace

void ResetFileDialogMemory() {
    std::memset(&g_FileDialogMemory, 0, sizeof g_FileDialogMemory);
    for (int kind = 0; kind < OPEN_DIALOG_KIND_COUNT; ++kind) {
        g_FileDialogMemory.openFilterIndex[kind] = kStartOpenFilterIndex[kind];
    }
    g_FileDialogMemory.saveFilterIndex = 1;
    g_FileDialogMemory.ncFilterIndex = 0;
}

// --- Small routines ------------------------------------------------------------------------------

int MatchesExtensionList(const void* module, const char* name, const char* list) {
    if (module == nullptr || name == nullptr || list == nullptr) return 0;
    const size_t nameLength = std::strlen(name);
    const char* end = name + nameLength;
    const size_t listLength = strnlen(list, PLUGIN_SUFFIX_SIZE);
    size_t start = 0;
    for (;;) {
        size_t stop = start;
        while (stop < listLength && list[stop] != ';') ++stop;
        const size_t itemLength = stop - start;
        if (itemLength <= nameLength && strncasecmp(end - itemLength, list + start, itemLength) == 0) return 1;
        if (stop >= listLength) return 0;
        start = stop + 1;
    }
}

int BuildExtensionFilter(int length, int count, void* const* modules, const char* names, const char* suffixes,
                         const char* base, char* buffer, int bufferSize) {
    if (buffer == nullptr || length < 0 || length + 2 > bufferSize) return -1;
    if (length > 0) std::memcpy(buffer, base, static_cast<size_t>(length));
    int pos = length;
    for (int i = 0; i < count && i < PLUGIN_SLOT_COUNT; ++i) {
        if (modules[i] == nullptr) continue;
        const char* name = names + PLUGIN_NAME_SIZE * i;
        const char* suffix = suffixes + PLUGIN_SUFFIX_SIZE * i;
        const size_t nameLength = strnlen(name, PLUGIN_NAME_SIZE - 1);
        const size_t suffixLength = strnlen(suffix, PLUGIN_SUFFIX_SIZE);
        std::string pattern;
        if (std::memchr(suffix, ';', suffixLength) != nullptr) {
            for (size_t k = 0; k < suffixLength; ++k) {
                if (suffix[k] == '.') pattern += '*';
                pattern += suffix[k];
            }
        } else {
            pattern = "*" + std::string(suffix, suffixLength);
        }
        // The first group of an empty base needs no separating NUL (it would end the list).
        const int separator = pos > 0 ? 1 : 0;
        const int groupLength = separator + static_cast<int>(nameLength) + 1 + static_cast<int>(pattern.size());
        if (pos + groupLength + 2 > bufferSize) continue;
        if (separator) buffer[pos] = '\0';
        std::memcpy(buffer + pos + separator, name, nameLength);
        buffer[pos + separator + nameLength] = '\0';
        std::memcpy(buffer + pos + separator + nameLength + 1, pattern.data(), pattern.size());
        pos += groupLength;
    }
    buffer[pos] = '\0';
    buffer[pos + 1] = '\0';
    return pos;
}

void GetDirectoryOfPath(const char* path, char* folder) {
    const int last = FindLastPathSeparator(path);
    const int length = last > 0 ? last : (last == 0 ? 1 : 0);   // a file in the root keeps "/"
    const int kept = length < FILE_DIALOG_PATH_SIZE ? length : FILE_DIALOG_PATH_SIZE - 1;
    std::memmove(folder, path, static_cast<size_t>(kept));
    folder[kept] = '\0';
}

// --- Hooks ---------------------------------------------------------------------------------------

// Puts a pending name into the name field and clears it.
void TakePendingName(FileDialogRequest* request) {
    if (!g_FileDialogMemory.pendingNameSet) return;
    CopyText(g_FileDialogMemory.pendingName, request->path, request->pathSize);
    g_FileDialogMemory.pendingNameSet = 0;
}

int HookOpenDialogGoButton(FileDialogRequest* request) {
    if (g_BasicModelDialogActive == 1) request->okCaption = kGoButton[Language()];
    TakePendingName(request);
    return 1;
}

int HookOpenDialogCoordinate(FileDialogRequest* request) {
    request->checkboxCaption = kOpenCoordinateBox[Language()];
    request->okCaption = kGoButton[Language()];
    g_FileDialogMemory.openCoordinateValue = g_ImportInWorkCoordinates;
    request->checkboxValue = g_FileDialogMemory.openCoordinateValue == 1 ? 1 : 0;
    return 1;
}

int HookSaveDialogCoordinate(FileDialogRequest* request) {
    g_FileDialogMemory.saveCoordinateValue = g_ExportInWorkCoordinates;
    request->checkboxCaption = kSaveCoordinateBox[Language()];
    request->checkboxValue = g_FileDialogMemory.saveCoordinateValue == 1 ? 1 : 0;
    TakePendingName(request);
    return 1;
}

// --- The dialogs ---------------------------------------------------------------------------------

int ShowOpenDataFileDialog(WindowHandle owner, int kind, char* folder, char* path) {
    if (kind < 0 || kind >= OPEN_DIALOG_KIND_COUNT || kOpenKinds[kind].title[0] == nullptr) return 0;
    const int language = Language();
    char file[FILE_DIALOG_PATH_SIZE] = "";
    FileDialogRequest request =
        MakeRequest(owner, kOpenKinds[kind].title[language], kOpenKinds[kind].filter[language],
                    g_FileDialogMemory.openFilterIndex[kind], folder, file, FILE_DIALOG_MUST_EXIST);
    int coordinateBox = 0;
    if (kind == OPEN_BASIC_MODEL && IsWorkCoordinateSystemInUse()) {
        coordinateBox = HookOpenDialogCoordinate(&request);
    } else if (g_BasicModelDialogActive == 1) {
        HookOpenDialogGoButton(&request);
    }
    const int result = ShowOpenFileDialog(&request);
    if (result != 1) return result;
    const int group = ClampGroup(request.filterIndex, request.filter);
    CopyText(file, path, FILE_DIALOG_PATH_SIZE);
    GetDirectoryOfPath(path, folder);
    if (kind == OPEN_WORK) {
        g_WorkLoadKind = group;
        g_FileDialogMemory.openFilterIndex[kind] = group;
    } else if (kind == OPEN_BASIC_MODEL) {
        g_FileDialogMemory.openFilterIndex[kind] = group;
        // Only a box shown this time speaks for the user; a value left from an earlier (perhaps
        // cancelled) dialog would overwrite the setting behind the user's back.
        if (coordinateBox) {
            g_FileDialogMemory.openCoordinateValue = request.checkboxValue;
            g_ImportInWorkCoordinates = g_FileDialogMemory.openCoordinateValue;
        }
    }
    return 1;
}

int ShowSaveDataFileDialog(WindowHandle owner, int kind, char* folder, char* path) {
    if (kind != 1) return 0;
    const int language = Language();
    char file[FILE_DIALOG_PATH_SIZE] = "";
    const int last = FindLastPathSeparator(path);
    CopyText(path + last + 1, file, sizeof file);
    if (g_OsIsVistaOrLater == 0 && std::strchr(file, '.') != nullptr) {
        CopyText(file, g_FileDialogMemory.pendingName, sizeof g_FileDialogMemory.pendingName);
        file[0] = '\0';
        g_FileDialogMemory.pendingNameSet = 1;
    }
    FileDialogRequest request = MakeRequest(owner, kSaveTitle[language], kSaveFilter[language],
                                            g_FileDialogMemory.saveFilterIndex, folder, file,
                                            FILE_DIALOG_OVERWRITE_PROMPT);
    HookSaveDialogCoordinate(&request);
    const int result = ShowSaveFileDialog(&request);
    if (result != 1) return result;
    const int group = ClampGroup(request.filterIndex, request.filter);
    g_FileDialogMemory.saveCoordinateValue = request.checkboxValue;
    g_ExportInWorkCoordinates = g_FileDialogMemory.saveCoordinateValue;
    CopyText(file, path, FILE_DIALOG_PATH_SIZE);
    GetDirectoryOfPath(path, folder);
    g_WorkSaveKind = group;
    g_FileDialogMemory.saveFilterIndex = group;
    return 1;
}

int ShowOpenNcFileDialog(WindowHandle owner, char* folder, char* pattern) {
    const int language = Language();
    const std::string standard = language == 0 ? std::string(kNcStandardEnglish, sizeof kNcStandardEnglish - 1)
                                               : std::string(kNcStandardJapanese, sizeof kNcStandardJapanese - 1);
    const std::string user = MakeUserGroup(pattern);
    // The user group leads the filter where the dialog shows no custom filter; elsewhere it is the
    // custom filter, which the dialog lists first as group 0 (so the remembered index counts it as 0).
    // A pattern too long for its buffer is left out.
    std::string filter;
    int customShown = 0;
    if (g_OsIsVistaOrLater == 1) {
        const int fits = static_cast<int>(user.size() + standard.size()) + 2 <= NC_FILTER_SIZE;
        filter = AddReaderGroups(fits ? user + standard : standard, NC_PLUGIN_FILTER_SIZE);
    } else {
        filter = AddReaderGroups(standard, NC_STANDARD_PLUGIN_FILTER_SIZE);
        const size_t customLength = std::strlen(kNcUserGroup[language]) + 1 + std::strlen(pattern) + 1;
        if (static_cast<int>(customLength) <= NC_CUSTOM_FILTER_SIZE) {
            std::string custom(kNcUserGroup[language]);
            custom.append(1, '\0');
            custom += pattern;
            custom.append(1, '\0');
            filter = custom + filter;
            customShown = 1;
        }
    }
    char file[FILE_DIALOG_PATH_SIZE] = "";
    FileDialogRequest request = MakeRequest(owner, kNcTitle[language], filter.c_str(),
                                            g_FileDialogMemory.ncFilterIndex + customShown, folder, file,
                                            FILE_DIALOG_MUST_EXIST);
    const int result = ShowOpenFileDialog(&request);
    if (result != 1) return result;
    CopyText(file, pattern, NC_PATTERN_SIZE);
    GetDirectoryOfPath(pattern, folder);
    g_FileDialogMemory.ncFilterIndex = ClampGroup(request.filterIndex, filter.c_str()) - customShown;
    return 1;
}

namespace {
// The start values are the reset values, written once there.
[[maybe_unused]] const int kStartValuesSet = (ResetFileDialogMemory(), 1);
}  // namespace
