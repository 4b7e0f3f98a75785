// FLTK input turned into the event core's messages: mouse buttons, moves and the wheel, keys with
// their virtual-key codes and typed characters, dropped files; and the simulated clicks and keys that
// tests deliver through FLTK's own event handling.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <cstring>
#include <string>
#include <vector>
#include "platform/ui/cursor_clipboard.h"
#include "platform/ui/fltk/fltk_internal.h"

namespace {

struct KeyPair {
    int fltkKey;
    int virtualKey;
};

// Keys whose code is not a letter, digit or function key.
const KeyPair kKeyPairs[] = {
    {FL_Enter, VK_RETURN},       {FL_KP_Enter, VK_RETURN},     {FL_Escape, VK_ESCAPE},
    {FL_BackSpace, VK_BACK},     {FL_Tab, VK_TAB},             {' ', VK_SPACE},
    {FL_Left, VK_LEFT},          {FL_Up, VK_UP},               {FL_Right, VK_RIGHT},
    {FL_Down, VK_DOWN},          {FL_Page_Up, VK_PRIOR},       {FL_Page_Down, VK_NEXT},
    {FL_Home, VK_HOME},          {FL_End, VK_END},             {FL_Insert, VK_INSERT},
    {FL_Delete, VK_DELETE},      {FL_Pause, VK_PAUSE},         {FL_Shift_L, VK_SHIFT},
    {FL_Shift_R, VK_SHIFT},      {FL_Control_L, VK_CONTROL},   {FL_Control_R, VK_CONTROL},
    {FL_Alt_L, VK_MENU},         {FL_Alt_R, VK_MENU},          {FL_KP + '*', VK_MULTIPLY},
    {FL_KP + '+', VK_ADD},       {FL_KP + '-', VK_SUBTRACT},   {FL_KP + '.', VK_DECIMAL},
    {FL_KP + '/', VK_DIVIDE},    {';', VK_OEM_1},              {'=', VK_OEM_PLUS},
    {',', VK_OEM_COMMA},         {'-', VK_OEM_MINUS},          {'.', VK_OEM_PERIOD},
    {'/', VK_OEM_2},
};

int MapVirtualKeyToFltkKey(int virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey + ('a' - 'A');
    if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
    if (virtualKey >= VK_F1 && virtualKey <= VK_F12) return FL_F + 1 + (virtualKey - VK_F1);
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9) return FL_KP + '0' + (virtualKey - VK_NUMPAD0);
    for (const KeyPair& pair : kKeyPairs) {
        if (pair.virtualKey == virtualKey) return pair.fltkKey;
    }
    return 0;
}

// Key states of the modifiers and buttons as the event reports them.
void NoteModifierStates() {
    int state = Fl::event_state();
    SetUiKeyState(VK_SHIFT, (state & FL_SHIFT) != 0);
    SetUiKeyState(VK_CONTROL, (state & FL_CTRL) != 0);
    SetUiKeyState(VK_MENU, (state & FL_ALT) != 0);
    SetUiKeyState(VK_LBUTTON, (state & FL_BUTTON1) != 0);
    SetUiKeyState(VK_MBUTTON, (state & FL_BUTTON2) != 0);
    SetUiKeyState(VK_RBUTTON, (state & FL_BUTTON3) != 0);
}

unsigned MouseKeyFlags() {
    int state = Fl::event_state();
    unsigned flags = 0;
    if ((state & FL_BUTTON1) != 0) flags |= MK_LBUTTON;
    if ((state & FL_BUTTON2) != 0) flags |= MK_MBUTTON;
    if ((state & FL_BUTTON3) != 0) flags |= MK_RBUTTON;
    if ((state & FL_SHIFT) != 0) flags |= MK_SHIFT;
    if ((state & FL_CTRL) != 0) flags |= MK_CONTROL;
    return flags;
}

unsigned ButtonMessage(int button, int down) {
    if (button == FL_MIDDLE_MOUSE) return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    if (button == FL_RIGHT_MOUSE) return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
}

// Decodes the next UTF-8 character (invalid bytes are taken one by one).
unsigned DecodeUtf8(const unsigned char** text) {
    const unsigned char* p = *text;
    unsigned c = *p++;
    int extra = c >= 0xF0 ? 3 : (c >= 0xE0 ? 2 : (c >= 0xC0 ? 1 : 0));
    if (extra > 0) c &= 0x3Fu >> extra;
    for (int i = 0; i < extra && (*p & 0xC0u) == 0x80u; ++i) c = (c << 6) | (*p++ & 0x3Fu);
    *text = p;
    return c;
}

// The window keys go to: the event core's focus window inside the same top window, else window.
WindowHandle KeyTarget(WindowHandle window) {
    WindowHandle focus = GetUiFocus();
    if (focus != nullptr && IsUiWindow(focus) && GetFltkTopRecord(focus) == GetFltkTopRecord(window)) return focus;
    return window;
}

intptr_t KeyLParam(int alt, int up) {
    uintptr_t value = 1u;
    if (alt) value |= 1u << 29;
    if (up) value |= (1u << 30) | (1u << 31);
    return static_cast<intptr_t>(value);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One line of a text/uri-list ("file:///path" with %XX escapes) or a plain path; "" when neither.
std::string DecodeDroppedLine(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) line.pop_back();
    if (line.compare(0, 7, "file://") == 0) {
        size_t slash = line.find('/', 7);
        if (slash == std::string::npos) return "";
        line = line.substr(slash);
    }
    if (line.empty() || line[0] != '/') return "";
    std::string path;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '%' && i + 2 < line.size() && HexValue(line[i + 1]) >= 0 && HexValue(line[i + 2]) >= 0) {
            path += static_cast<char>(HexValue(line[i + 1]) * 16 + HexValue(line[i + 2]));
            i += 2;
        } else {
            path += line[i];
        }
    }
    return path;
}

int g_DropPending = 0;   // UI thread: 1 between a drop's release and its pasted names

// The top window that receives events for window's client point, and the point in its coordinates
// (FLTK passes events from a top window down to its children and subwindows).
Fl_Window* FindEventWindow(FltkWindowRecord* record, int x, int y, int* windowX, int* windowY) {
    FltkWindowRecord* top = GetFltkTopRecord(record->window);
    Fl_Widget* widget = record->widget;
    if (top == nullptr || widget == nullptr) return nullptr;
    if (record == top) {
        *windowX = x;
        *windowY = y + top->menuHeight;
    } else {
        *windowX = widget->x() + x;
        *windowY = widget->y() + y;
    }
    return top->top;
}

}  // namespace

int MapFltkKeyToVirtualKey(int key) {
    if (key >= 'a' && key <= 'z') return key - ('a' - 'A');
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return key;
    if (key >= FL_F + 1 && key <= FL_F + 12) return VK_F1 + (key - FL_F - 1);
    if (key >= FL_KP + '0' && key <= FL_KP + '9') return VK_NUMPAD0 + (key - FL_KP - '0');
    for (const KeyPair& pair : kKeyPairs) {
        if (pair.fltkKey == key) return pair.virtualKey;
    }
    return 0;
}

int HandleFltkMouseEvent(WindowHandle window, int event, int clientX, int clientY) {
    if (!IsUiWindow(window)) return 0;
    if (event == FL_ENTER) {
        if (GetUiCursor() != IDC_WAIT) ApplyFltkCursor(GetUiClassCursor(window));
        return 1;
    }
    if (event == FL_LEAVE) return 1;
    if (IsFltkInputBlocked(window)) return 1;
    NoteModifierStates();
    int screenX = clientX, screenY = clientY;
    ClientToScreenPoint(window, &screenX, &screenY);
    SetUiCursorPosition(screenX, screenY);
    unsigned flags = MouseKeyFlags();
    intptr_t point = MakeLParam(static_cast<unsigned>(clientX), static_cast<unsigned>(clientY));
    switch (event) {
    case FL_PUSH:
        PostUiMessage(window, ButtonMessage(Fl::event_button(), 1), flags, point);
        return 1;
    case FL_RELEASE:
        PostUiMessage(window, ButtonMessage(Fl::event_button(), 0), flags, point);
        return 1;
    case FL_DRAG:
    case FL_MOVE:
        PostUiMessage(window, WM_MOUSEMOVE, flags, point);
        return 1;
    case FL_MOUSEWHEEL: {
        int delta = -Fl::event_dy() * 120;   // FLTK: positive towards the user; here away from the user
        if (delta == 0) return 0;
        PostUiMessage(window, WM_MOUSEWHEEL, MakeParam(flags, static_cast<unsigned>(delta)),
                      MakeLParam(static_cast<unsigned>(screenX), static_cast<unsigned>(screenY)));
        return 1;
    }
    default:
        return 0;
    }
}

int HandleFltkKeyEvent(WindowHandle window, int event) {
    if (!IsUiWindow(window)) return 0;
    if (IsFltkInputBlocked(window)) return 1;
    int virtualKey = MapFltkKeyToVirtualKey(Fl::event_key());
    int down = event == FL_KEYBOARD;
    NoteModifierStates();
    if (virtualKey != 0) SetUiKeyState(virtualKey, down);
    int alt = IsUiKeyDown(VK_MENU) || (virtualKey == VK_MENU && !down);
    int system = alt || virtualKey == VK_F10;
    WindowHandle target = KeyTarget(window);
    if (down) {
        if (virtualKey != 0)
            PostUiMessage(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<uintptr_t>(virtualKey),
                          KeyLParam(alt, 0));
        const unsigned char* text = reinterpret_cast<const unsigned char*>(Fl::event_text());
        const unsigned char* end = text + (text != nullptr ? Fl::event_length() : 0);
        while (text != nullptr && text < end && *text != 0) {
            unsigned character = DecodeUtf8(&text);
            PostUiMessage(target, alt ? WM_SYSCHAR : WM_CHAR, character, KeyLParam(alt, 0));
        }
    } else if (virtualKey != 0) {
        PostUiMessage(target, system ? WM_SYSKEYUP : WM_KEYUP, static_cast<uintptr_t>(virtualKey), KeyLParam(alt, 1));
    }
    // Alt combinations and F10 also go on to FLTK's shortcuts (the menu bar's mnemonics).
    return system ? 0 : 1;
}

int HandleFltkDropEvent(WindowHandle window, int event) {
    switch (event) {
    case FL_DND_ENTER:
    case FL_DND_DRAG:
    case FL_DND_LEAVE:
        return 1;
    case FL_DND_RELEASE:
        g_DropPending = 1;
        return 1;
    case FL_PASTE: {
        if (!g_DropPending) return 0;
        g_DropPending = 0;
        std::vector<std::string> paths;
        std::string text =
            Fl::event_text() != nullptr ? std::string(Fl::event_text(), static_cast<size_t>(Fl::event_length())) : "";
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string path = DecodeDroppedLine(text.substr(start, end - start));
            if (!path.empty()) paths.push_back(path);
            start = end + 1;
        }
        std::vector<const char*> names;
        for (const std::string& path : paths) names.push_back(path.c_str());
        if (!names.empty() && !IsFltkInputBlocked(window))
            DropUiFiles(window, names.data(), static_cast<int>(names.size()));
        return 1;
    }
    default:
        return 0;
    }
}

// --- Simulated input -------------------------------------------------------------------------------

int SimulateFltkClick(WindowHandle window, int x, int y) {
    FltkWindowRecord* record = GetFltkRecord(window);
    if (record == nullptr) return 0;
    int windowX = 0, windowY = 0;
    Fl_Window* target = FindEventWindow(record, x, y, &windowX, &windowY);
    int rootX = 0, rootY = 0;
    if (target == nullptr || !target->shown() || !GetFltkClientOrigin(window, &rootX, &rootY)) return 0;
    Fl::flush();   // a user clicks on what is drawn (widgets such as lists place their items when drawing)
    Fl::e_x = windowX;
    Fl::e_y = windowY;
    Fl::e_x_root = rootX + x;
    Fl::e_y_root = rootY + y;
    Fl::e_clicks = 0;
    Fl::e_is_click = 1;
    Fl::e_keysym = FL_Button + FL_LEFT_MOUSE;
    Fl::e_state = 0;
    Fl::handle(FL_MOVE, target);
    Fl::e_state = FL_BUTTON1;
    Fl::handle(FL_PUSH, target);
    Fl::e_state = 0;
    Fl::handle(FL_RELEASE, target);
    return 1;
}

int SimulateFltkKey(WindowHandle window, int virtualKey, unsigned modifiers) {
    FltkWindowRecord* top = GetFltkTopRecord(window);
    FltkWindowRecord* record = GetFltkRecord(window);
    int key = MapVirtualKeyToFltkKey(virtualKey);
    if (top == nullptr || record == nullptr || key == 0 || !top->top->shown()) return 0;
    Fl_Window* target = top->top;
    Fl::flush();
    // As when the window gets the keyboard focus: its focus widget, or itself.
    if (Fl::focus() == nullptr || !top->top->contains(Fl::focus())) {
        if (!top->top->take_focus()) Fl::focus(top->top);
    }
    static char text[8];
    text[0] = '\0';
    int state = ((modifiers & MK_SHIFT) != 0 ? FL_SHIFT : 0) | ((modifiers & MK_CONTROL) != 0 ? FL_CTRL : 0) |
                ((modifiers & 0x20u) != 0 ? FL_ALT : 0);
    int character = MapVirtualKeyToChar(virtualKey);
    if (character >= 'A' && character <= 'Z') {
        if ((state & FL_CTRL) != 0) character = character - 'A' + 1;
        else if ((state & FL_SHIFT) == 0) character += 'a' - 'A';
    }
    if (character != 0) {
        text[0] = static_cast<char>(character);
        text[1] = '\0';
    }
    Fl::e_keysym = key;
    Fl::e_original_keysym = key;
    Fl::e_state = state;
    Fl::e_text = text;
    Fl::e_length = static_cast<int>(std::strlen(text));
    Fl::e_is_click = 0;
    Fl::handle(FL_KEYBOARD, target);
    Fl::e_length = 0;
    text[0] = '\0';
    Fl::handle(FL_KEYUP, target);
    Fl::e_state = 0;
    return 1;
}
