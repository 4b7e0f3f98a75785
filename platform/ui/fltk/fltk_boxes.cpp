// Message boxes (dialogs of the event core made from a template built for the text), the file
// chooser and the colour chooser. Every wait runs the core's loop, so sends, posts, timers and paints
// are served while a box is open.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Color_Chooser.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>
#include "platform/os/files.h"
#include "platform/os/paths.h"
#include "platform/ui/dialog.h"
#include "platform/ui/fltk/fltk_internal.h"
#include "platform/ui/message_box.h"

namespace {

constexpr int kBoxTemplateId = -32770;   // never a program template, so no preset answers it

// The buttons of each message-box type (MB_OK .. MB_RETRYCANCEL).
const int kBoxButtons[6][3] = {
    {IDOK, 0, 0},     {IDOK, IDCANCEL, 0},    {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL},
    {IDYES, IDNO, 0}, {IDRETRY, IDCANCEL, 0},
};

struct BoxState {
    int buttons[3];
    int count;
};

// The box's answers are the ids of its buttons, read back from its template.
intptr_t MessageBoxProc(WindowHandle dialog, unsigned message, uintptr_t wParam, intptr_t lParam) {
    (void)lParam;
    if (message == WM_INITDIALOG) return 1;
    const DialogTemplate* t = GetUiDialogTemplate(dialog);
    if (message != WM_COMMAND || t == nullptr) return 0;
    int id = static_cast<int>(LowWord(wParam));
    int buttons = 0, first = 0;
    for (int i = 0; i < t->itemCount; ++i) {
        const DialogItemTemplate& item = t->items[i];
        if (item.kind != DIALOG_ITEM_BUTTON && item.kind != DIALOG_ITEM_DEFAULT_BUTTON) continue;
        if (buttons++ == 0) first = item.id;
        if (item.id == id) {
            EndUiDialog(dialog, id);
            return 1;
        }
    }
    // Escape or the close button: Cancel where there is one, OK on a box with OK alone.
    if (id == IDCANCEL && buttons == 1) EndUiDialog(dialog, first);
    return 1;
}

std::string DoubleAmpersands(const char* text) {
    std::string result;
    for (const char* p = text; *p != '\0'; ++p) {
        result += *p;
        if (*p == '&') result += '&';
    }
    return result;
}

struct ChooserState {
    Fl_File_Chooser* fileChooser;   // the open file chooser, or null
    int* colourDone;                // the open colour chooser's end flag, or null
    int* colourAccepted;
    int forced;                     // AnswerFltkChooser: 1 accepted, -1 cancelled, 0 none
};
ChooserState g_Chooser = {nullptr, nullptr, nullptr, 0};

int IsFileChooserClosed(void* context) { return !static_cast<Fl_File_Chooser*>(context)->shown(); }

int FileExists(const char* path) { return DoesFileExist(path); }

// "*.nc;*.TXT" becomes "*.{[nN][cC],[tT][xX][tT]}": extensions match without regard to case.
std::string ConvertPattern(const std::string& patterns) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        if (end == std::string::npos) end = patterns.size();
        std::string part = patterns.substr(start, end - start);
        if (part == "*.*" || part == "*") return "*";
        std::string converted;
        for (char c : part) {
            if (std::isalpha(static_cast<unsigned char>(c))) {
                converted += '[';
                converted += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                converted += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                converted += ']';
            } else if (c != ' ') {
                converted += c;
            }
        }
        if (!converted.empty()) parts.push_back(converted);
        start = end + 1;
    }
    if (parts.empty()) return "*";
    if (parts.size() == 1) return parts[0];
    std::string joined = "{";
    for (size_t i = 0; i < parts.size(); ++i) joined += (i > 0 ? "," : "") + parts[i];
    return joined + "}";
}

// The NUL-separated pairs "name", "patterns" become FLTK's tab-separated "name (pattern)" list; the
// name's own brackets are changed so that FLTK reads only ours.
std::string ConvertFilter(const char* filter) {
    std::string result;
    for (const char* p = filter; p != nullptr && *p != '\0';) {
        std::string name = p;
        p += name.size() + 1;
        std::string patterns = p;
        p += patterns.size() + 1;
        for (char& c : name) {
            if (c == '(') c = '[';
            else if (c == ')') c = ']';
            else if (c == '\t') c = ' ';
        }
        if (!result.empty()) result += '\t';
        result += name + " (" + ConvertPattern(patterns) + ")";
        if (patterns.empty()) break;
    }
    return result.empty() ? "* (*)" : result;
}

std::string StartFolder(const FileDialogRequest* request) {
    if (request->initialFolder != nullptr && request->initialFolder[0] != '\0') {
        return MakeNativePath(request->initialFolder);
    }
    std::string path = request->path != nullptr ? MakeNativePath(request->path) : "";
    size_t slash = path.rfind('/');
    return slash != std::string::npos ? path.substr(0, slash + 1) : ".";
}

// The proposed name as the chooser takes it: a bare name is placed in the start folder (the chooser
// would place it in the process's current folder).
std::string ProposedPath(const FileDialogRequest* request, const std::string& folder) {
    std::string path = MakeNativePath(request->path);
    if (path.empty() || path.find('/') != std::string::npos) return path;
    return folder + (folder.back() == '/' ? "" : "/") + path;
}

// The extension of the first pattern of group index (0-based) of the filter ("*.DME" gives ".DME"),
// "" when the group has none or its pattern matches every name.
std::string GroupExtension(const char* filter, int index) {
    for (const char* p = filter; p != nullptr && *p != '\0'; --index) {
        std::string patterns = p + std::strlen(p) + 1;
        p += std::strlen(p) + 1 + patterns.size() + 1;
        if (index > 0) continue;
        std::string first = patterns.substr(0, patterns.find(';'));
        size_t dot = first.rfind('.');
        if (dot == std::string::npos || first.find_first_of("*?", dot) != std::string::npos) return "";
        return first.substr(dot);
    }
    return "";
}

// The chosen path with the group's extension when the flag asks for it and the name has none.
std::string AddDefaultExtension(const std::string& path, const FileDialogRequest* request, int group, int save) {
    if ((request->flags & FILE_DIALOG_DEFAULT_EXTENSION) == 0 || *GetPathExtension(path.c_str()) != '\0') return path;
    std::string extension = GroupExtension(request->filter, group);
    if (extension.empty()) return path;
    std::string extended = path + extension;
    if (!save && DoesFileExist(path.c_str())) return path;
    return extended;
}

// Shows the chooser until a usable answer or Cancel; returns the chosen path or "".
std::string RunFileChooser(Fl_File_Chooser* chooser, const FileDialogRequest* request, int save) {
    const char* title = request->title != nullptr ? request->title : "";
    for (;;) {
        g_Chooser.forced = 0;
        chooser->show();
        g_Chooser.fileChooser = chooser;
        int done = RunFltkModalLoop(IsFileChooserClosed, chooser);
        g_Chooser.fileChooser = nullptr;
        if (!done) chooser->hide();
        if (!done || g_Chooser.forced < 0 || chooser->count() < 1 || chooser->value() == nullptr) return "";
        std::string path = AddDefaultExtension(chooser->value(), request, chooser->filter_value(), save);
        if (!save && (request->flags & FILE_DIALOG_MUST_EXIST) != 0 && !FileExists(path.c_str())) {
            ShowUiMessageBox(request->owner,
                             g_Fltk.englishButtons ? "The file does not exist." : "ファイルが見つかりません。", title,
                             MB_OK | MB_ICONWARNING);
            continue;
        }
        if (save && (request->flags & FILE_DIALOG_OVERWRITE_PROMPT) != 0 && FileExists(path.c_str()) &&
            ShowUiMessageBox(request->owner,
                             g_Fltk.englishButtons ? "The file already exists. Replace it?"
                                                   : "ファイルは既に存在します。置き換えますか?",
                             title, MB_YESNO | MB_ICONWARNING) != IDYES) {
            continue;
        }
        return path;
    }
}

struct ColourDialog {
    Fl_Color_Chooser* chooser;
    int done;
    int accepted;
};

void ColourOkCallback(Fl_Widget*, void* data) {
    static_cast<ColourDialog*>(data)->accepted = 1;
    static_cast<ColourDialog*>(data)->done = 1;
}

void ColourCancelCallback(Fl_Widget*, void* data) { static_cast<ColourDialog*>(data)->done = 1; }

void ColourSwatchCallback(Fl_Widget* widget, void* data) {
    uchar r = 0, g = 0, b = 0;
    Fl::get_color(widget->color(), r, g, b);
    static_cast<ColourDialog*>(data)->chooser->rgb(r / 255.0, g / 255.0, b / 255.0);
}

int IsColourDialogDone(void* context) { return static_cast<ColourDialog*>(context)->done; }

int ToByte(double value) {
    int byte = static_cast<int>(value * 255.0 + 0.5);
    return byte < 0 ? 0 : (byte > 255 ? 255 : byte);
}

}  // namespace

const char* GetFltkStockButtonText(int answer) {
    int english = g_Fltk.englishButtons;
    switch (answer) {
    case IDOK: return "OK";
    case IDCANCEL: return english ? "Cancel" : "キャンセル";
    case IDABORT: return english ? "&Abort" : "中止(&A)";
    case IDRETRY: return english ? "&Retry" : "再試行(&R)";
    case IDIGNORE: return english ? "&Ignore" : "無視(&I)";
    case IDYES: return english ? "&Yes" : "はい(&Y)";
    case IDNO: return english ? "&No" : "いいえ(&N)";
    default: return "";
    }
}

int RunFltkModalLoop(int (*isDone)(void* context), void* context) {
    for (;;) {
        if (isDone(context)) return 1;
        if (RunUiLoopOnce(0xFFFFFFFFu, 1, nullptr) < 0) return 0;
    }
}

int ShowFltkMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style) {
    unsigned type = style & MB_TYPEMASK;
    if (type > 5) type = 0;
    BoxState box = {{kBoxButtons[type][0], kBoxButtons[type][1], kBoxButtons[type][2]}, 0};
    while (box.count < 3 && box.buttons[box.count] != 0) ++box.count;
    int defaultAnswer = GetMessageBoxDefaultAnswer(style);
    std::string shown = DoubleAmpersands(text);
    fl_font(FL_HELVETICA, kFltkFontSize);
    int textWidth = 0, textHeight = 0;
    fl_measure(shown.c_str(), textWidth, textHeight, 0);
    if (textWidth > 460) {
        textWidth = 460;
        fl_measure(shown.c_str(), textWidth, textHeight, 0);
    }
    constexpr int kButtonWidth = 96, kButtonHeight = 28, kMargin = 16;
    int buttonsWidth = box.count * (kButtonWidth + 8) - 8;
    int width = (textWidth > buttonsWidth ? textWidth : buttonsWidth) + 2 * kMargin;
    int height = textHeight + kButtonHeight + 3 * kMargin;
    std::vector<DialogItemTemplate> items;
    items.push_back(DialogItemTemplate{-1, DIALOG_ITEM_STATIC,
                                       UiRect{kMargin, kMargin, kMargin + textWidth + 4, kMargin + textHeight},
                                       shown.c_str(), 0});
    int left = (width - buttonsWidth) / 2;
    for (int i = 0; i < box.count; ++i) {
        int kind = box.buttons[i] == defaultAnswer ? DIALOG_ITEM_DEFAULT_BUTTON : DIALOG_ITEM_BUTTON;
        int x = left + i * (kButtonWidth + 8);
        items.push_back(DialogItemTemplate{
            box.buttons[i], kind, UiRect{x, height - kMargin - kButtonHeight, x + kButtonWidth, height - kMargin},
            GetFltkStockButtonText(box.buttons[i]), 0});
    }
    DialogTemplate boxTemplate = {
        kBoxTemplateId, caption, width, height, items.data(), static_cast<int>(items.size()), 0};
    return RunModalDialog(&boxTemplate, owner, MessageBoxProc, 0);
}

int ShowFltkFileDialog(FileDialogRequest* request, int save) {
    if (request == nullptr || request->path == nullptr || request->pathSize <= 0) return 0;
    std::string filter = ConvertFilter(request->filter);
    std::string folder = StartFolder(request);
    fl_cancel = GetFltkStockButtonText(IDCANCEL);   // the chooser's Cancel button
    Fl_Group::current(nullptr);
    Fl_File_Chooser chooser(folder.c_str(), filter.c_str(), save ? Fl_File_Chooser::CREATE : Fl_File_Chooser::SINGLE,
                            request->title != nullptr ? request->title : "");
    chooser.preview(0);
    if (request->filterIndex > 0) chooser.filter_value(request->filterIndex - 1);
    if (request->okCaption != nullptr) chooser.ok_label(request->okCaption);
    if (request->path[0] != '\0') chooser.value(ProposedPath(request, folder).c_str());
    Fl_Check_Button* extra = nullptr;
    if (request->checkboxCaption != nullptr) {
        Fl_Group::current(nullptr);
        extra = new Fl_Check_Button(0, 0, 300, 24, request->checkboxCaption);
        extra->value(request->checkboxValue ? 1 : 0);
        chooser.add_extra(extra);
    }
    std::string path = RunFileChooser(&chooser, request, save);
    int filterIndex = chooser.filter_value() + 1;
    int checked = extra != nullptr ? extra->value() : request->checkboxValue;
    if (extra != nullptr) {
        chooser.add_extra(nullptr);
        delete extra;
    }
    if (path.empty() || path.size() >= static_cast<size_t>(request->pathSize)) return 0;
    for (size_t i = 0; i <= path.size(); ++i) request->path[i] = path.c_str()[i];
    request->filterIndex = filterIndex;
    request->checkboxValue = checked;
    return 1;
}

int ShowFltkColourDialog(WindowHandle owner, unsigned* colour, unsigned* customColours) {
    (void)owner;
    Fl_Group::current(nullptr);
    // The window deletes the widgets made inside it when it goes.
    Fl_Double_Window window(330, 290, g_Fltk.englishButtons ? "Color" : "色の設定");
    ColourDialog dialog = {nullptr, 0, 0};
    dialog.chooser = new Fl_Color_Chooser(10, 10, 310, 170);
    dialog.chooser->rgb((*colour & 0xFFu) / 255.0, ((*colour >> 8) & 0xFFu) / 255.0, ((*colour >> 16) & 0xFFu) / 255.0);
    for (int i = 0; customColours != nullptr && i < 16; ++i) {
        Fl_Button* swatch = new Fl_Button(10 + (i % 8) * 39, 190 + (i / 8) * 26, 34, 22);
        swatch->color(static_cast<Fl_Color>(ToFltkColour(customColours[i])));
        swatch->box(FL_THIN_DOWN_BOX);
        swatch->callback(ColourSwatchCallback, &dialog);
    }
    Fl_Return_Button* ok = new Fl_Return_Button(130, 252, 90, 28, GetFltkStockButtonText(IDOK));
    ok->callback(ColourOkCallback, &dialog);
    Fl_Button* cancel = new Fl_Button(230, 252, 90, 28, GetFltkStockButtonText(IDCANCEL));
    cancel->callback(ColourCancelCallback, &dialog);
    window.end();
    window.callback(ColourCancelCallback, &dialog);
    window.set_modal();
    window.show();
    g_Chooser.colourDone = &dialog.done;
    g_Chooser.colourAccepted = &dialog.accepted;
    RunFltkModalLoop(IsColourDialogDone, &dialog);
    g_Chooser.colourDone = nullptr;
    g_Chooser.colourAccepted = nullptr;
    window.hide();
    if (!dialog.accepted) return 0;
    *colour = static_cast<unsigned>(ToByte(dialog.chooser->r())) |
              (static_cast<unsigned>(ToByte(dialog.chooser->g())) << 8) |
              (static_cast<unsigned>(ToByte(dialog.chooser->b())) << 16);
    return 1;
}

int AnswerFltkChooser(int accept, const char* path) {
    // A chooser already answered but not yet closed by its loop takes no second answer.
    if (g_Chooser.fileChooser != nullptr && g_Chooser.fileChooser->shown()) {
        g_Chooser.forced = accept ? 1 : -1;
        if (accept && path != nullptr) g_Chooser.fileChooser->value(path);
        g_Chooser.fileChooser->hide();
        return 1;
    }
    if (g_Chooser.colourDone != nullptr && !*g_Chooser.colourDone) {
        *g_Chooser.colourAccepted = accept ? 1 : 0;
        *g_Chooser.colourDone = 1;
        return 1;
    }
    return 0;
}
