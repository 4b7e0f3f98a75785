// Message boxes and questions, open, save and colour dialogs: preset answers first, then the
// unattended default (logged), then the backend's real dialog on the UI thread, else headless
// answers. Keeps a short history of the boxes shown.
#include <cstring>
#include <deque>
#include <string>
#include "platform/ui/message_box.h"
#include "platform/ui/ui_internal.h"

namespace {

struct FilePreset {
    int result;
    std::string path;
    int filterIndex;
    int checkboxValue;
};

struct ColourPreset {
    int result;
    unsigned colour;
};

std::mutex g_BoxLock;                        // guards everything below
std::deque<int> g_BoxPresets;
std::deque<ShownMessageBox> g_BoxHistory;
std::deque<FilePreset> g_FilePresets;
std::deque<ColourPreset> g_ColourPresets;
ShownFileDialog g_LastFileDialog;
int g_FileDialogShown = 0;

// The filter's pairs up to the closing empty name, NULs included.
std::string CopyFilterPairs(const char* filter) {
    std::string pairs;
    for (const char* p = filter; p != nullptr && *p != '\0';) {
        size_t name = std::strlen(p);
        size_t pattern = std::strlen(p + name + 1);
        pairs.append(p, name + 1 + pattern + 1);
        p += name + 1 + pattern + 1;
    }
    return pairs;
}

void RememberFileDialog(const FileDialogRequest* request, int save) {
    ShownFileDialog shown;
    shown.save = save;
    shown.title = request->title != nullptr ? request->title : "";
    shown.filter = CopyFilterPairs(request->filter);
    shown.filterIndex = request->filterIndex;
    shown.initialFolder = request->initialFolder != nullptr ? request->initialFolder : "";
    shown.path = request->path != nullptr ? request->path : "";
    shown.flags = request->flags;
    shown.okCaption = request->okCaption != nullptr ? request->okCaption : "";
    shown.checkboxCaption = request->checkboxCaption != nullptr ? request->checkboxCaption : "";
    shown.hasCheckbox = request->checkboxCaption != nullptr ? 1 : 0;
    shown.checkboxValue = request->checkboxValue;
    std::lock_guard<std::mutex> guard(g_BoxLock);
    g_LastFileDialog = shown;
    g_FileDialogShown = 1;
}

int TakeBoxPreset(int* answer) {
    std::lock_guard<std::mutex> guard(g_BoxLock);
    if (g_BoxPresets.empty()) return 0;
    *answer = g_BoxPresets.front();
    g_BoxPresets.pop_front();
    return 1;
}

void RememberBox(const char* text, const char* caption, unsigned style, int answer, int unattended) {
    ShownMessageBox box;
    std::memset(&box, 0, sizeof(box));
    CopyUiTextToArray(caption, box.caption, sizeof(box.caption));
    CopyUiTextToArray(text, box.text, sizeof(box.text));
    box.style = style;
    box.answer = answer;
    box.unattended = unattended;
    std::lock_guard<std::mutex> guard(g_BoxLock);
    g_BoxHistory.push_back(box);
    while (g_BoxHistory.size() > static_cast<size_t>(kMessageBoxHistory)) g_BoxHistory.pop_front();
}

struct BoxCall {
    WindowHandle owner;
    const char* text;
    const char* caption;
    unsigned style;
};

intptr_t ShowBoxOnUiThread(void* context) {
    const BoxCall* call = static_cast<const BoxCall*>(context);
    const UiBackend* backend = GetUiBackend();
    if (backend->showMessageBox == nullptr) return -1;
    return backend->showMessageBox(call->owner, call->text, call->caption, call->style);
}

struct FileCall {
    FileDialogRequest* request;
    int save;
};

intptr_t ShowFileOnUiThread(void* context) {
    const FileCall* call = static_cast<const FileCall*>(context);
    const UiBackend* backend = GetUiBackend();
    if (backend->showFileDialog == nullptr) return -1;
    return backend->showFileDialog(call->request, call->save);
}

struct ColourCall {
    WindowHandle owner;
    unsigned* colour;
    unsigned* customColours;
};

intptr_t ShowColourOnUiThread(void* context) {
    const ColourCall* call = static_cast<const ColourCall*>(context);
    const UiBackend* backend = GetUiBackend();
    if (backend->showColourDialog == nullptr) return -1;
    return backend->showColourDialog(call->owner, call->colour, call->customColours);
}

// 1 when a backend can show a real dialog through this entry.
int HasRealDialogs(int hasEntry) { return hasEntry && !IsUiUnattended(); }

int ShowFileDialog(FileDialogRequest* request, int save) {
    if (request == nullptr) return 0;
    RememberFileDialog(request, save);
    FilePreset preset = {};
    int havePreset = 0;
    {
        std::lock_guard<std::mutex> guard(g_BoxLock);
        if (!g_FilePresets.empty()) {
            preset = g_FilePresets.front();
            g_FilePresets.pop_front();
            havePreset = 1;
        }
    }
    if (havePreset) {
        // A name that does not fit the caller's buffer would be a different file: refuse it.
        if (preset.result != 1 || request->path == nullptr ||
            preset.path.size() >= static_cast<size_t>(request->pathSize)) {
            return 0;
        }
        CopyUiText(preset.path, request->path, request->pathSize);
        request->filterIndex = preset.filterIndex;
        request->checkboxValue = preset.checkboxValue;
        return 1;
    }
    if (!HasRealDialogs(GetUiBackend()->showFileDialog != nullptr)) return 0;
    FileCall call = {request, save};
    intptr_t result = RunOnUiThread(ShowFileOnUiThread, &call);
    return result == 1 ? 1 : 0;
}

}  // namespace

void ResetMessageBoxState() {
    ClearMessageBoxPresets();
    ClearShownMessageBoxes();
    ClearFileAndColourPresets();
}

int GetMessageBoxDefaultAnswer(unsigned style) {
    static const int kAnswers[6][3] = {
        {IDOK, IDOK, IDOK},         {IDOK, IDCANCEL, IDCANCEL}, {IDABORT, IDRETRY, IDIGNORE},
        {IDYES, IDNO, IDCANCEL},    {IDYES, IDNO, IDNO},        {IDRETRY, IDCANCEL, IDCANCEL},
    };
    unsigned type = style & MB_TYPEMASK;
    if (type > 5) type = 0;
    int button = (style & MB_DEFBUTTON3) != 0 ? 2 : ((style & MB_DEFBUTTON2) != 0 ? 1 : 0);
    return kAnswers[type][button];
}

int ShowUiMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
    if (text == nullptr) text = "";
    if (caption == nullptr) caption = "";
    int answer = 0;
    if (TakeBoxPreset(&answer)) {
        RememberBox(text, caption, style, answer, 1);
        return answer;
    }
    const UiBackend* backend = GetUiBackend();
    if (HasRealDialogs(backend->showMessageBox != nullptr)) {
        BoxCall call = {owner, text, caption, style};
        intptr_t shown = RunOnUiThread(ShowBoxOnUiThread, &call);
        if (shown > 0) {
            RememberBox(text, caption, style, static_cast<int>(shown), 0);
            return static_cast<int>(shown);
        }
    }
    // Nobody to ask: log the box and take its default answer.
    answer = GetMessageBoxDefaultAnswer(style);
    if (g_UiSettings.logHook != nullptr) g_UiSettings.logHook(caption, text);
    RememberBox(text, caption, style, answer, 1);
    return answer;
}

void PresetMessageBoxAnswer(int answer) {
    std::lock_guard<std::mutex> guard(g_BoxLock);
    g_BoxPresets.push_back(answer);
}

void ClearMessageBoxPresets() {
    std::lock_guard<std::mutex> guard(g_BoxLock);
    g_BoxPresets.clear();
}

int CountShownMessageBoxes() {
    std::lock_guard<std::mutex> guard(g_BoxLock);
    return static_cast<int>(g_BoxHistory.size());
}

int GetShownMessageBox(int index, ShownMessageBox* box) {
    std::lock_guard<std::mutex> guard(g_BoxLock);
    if (box == nullptr || index < 0 || index >= static_cast<int>(g_BoxHistory.size())) return 0;
    *box = g_BoxHistory[static_cast<size_t>(index)];
    return 1;
}

void ClearShownMessageBoxes() {
    std::lock_guard<std::mutex> guard(g_BoxLock);
    g_BoxHistory.clear();
}

int ShowOpenFileDialog(FileDialogRequest* request) { return ShowFileDialog(request, 0); }

int ShowSaveFileDialog(FileDialogRequest* request) { return ShowFileDialog(request, 1); }

void PresetFileDialogAnswer(int result, const char* path, int filterIndex, int checkboxValue) {
    std::lock_guard<std::mutex> guard(g_BoxLock);
    g_FilePresets.push_back(FilePreset{result, path != nullptr ? path : "", filterIndex, checkboxValue});
}

int ShowColourDialog(WindowHandle owner, unsigned* colour, unsigned* customColours) {
    if (colour == nullptr) return 0;
    {
        std::lock_guard<std::mutex> guard(g_BoxLock);
        if (!g_ColourPresets.empty()) {
            ColourPreset preset = g_ColourPresets.front();
            g_ColourPresets.pop_front();
            if (preset.result != 1) return 0;
            *colour = preset.colour & 0x00FFFFFFu;
            return 1;
        }
    }
    if (!HasRealDialogs(GetUiBackend()->showColourDialog != nullptr)) return 0;
    ColourCall call = {owner, colour, customColours};
    return RunOnUiThread(ShowColourOnUiThread, &call) == 1 ? 1 : 0;
}

void PresetColourDialogAnswer(int result, unsigned colour) {
    std::lock_guard<std::mutex> guard(g_BoxLock);
    g_ColourPresets.push_back(ColourPreset{result, colour});
}

void ClearFileAndColourPresets() {
    std::lock_guard<std::mutex> guard(g_BoxLock);
    g_FilePresets.clear();
    g_ColourPresets.clear();
    g_FileDialogShown = 0;
}

int GetLastFileDialog(ShownFileDialog* shown) {
    std::lock_guard<std::mutex> guard(g_BoxLock);
    if (shown == nullptr || !g_FileDialogShown) return 0;
    *shown = g_LastFileDialog;
    return 1;
}
