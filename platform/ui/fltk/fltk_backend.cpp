// The FLTK backend's table and its glue to the event core: the display, waking and waiting, the
// widgets made and destroyed with the core's windows, model changes shown, the placement of child
// widgets, cursor and clipboard, and the test helpers that read the screen.
#include <FL/Fl.H>
#include <FL/Fl_Copy_Surface.H>
#include <FL/Fl_Device.H>
#include <FL/Fl_Gl_Window.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <vector>
#include "platform/ui/cursor_clipboard.h"
#include "platform/ui/fltk/fltk_internal.h"

FltkState g_Fltk;

namespace {

// Runs inside any FLTK wait on the UI thread, also FLTK's own menu loops: serves the sends of other
// threads so that they never wait for a menu to close.
void ServeSendsFromAwake(void*) {
    g_Fltk.wakePending.store(0);
    ServePendingSends();
}

void WakeFltk() {
    if (g_Fltk.wakePending.exchange(1) == 0) Fl::awake(ServeSendsFromAwake, nullptr);
}

void WaitFltkEvents(unsigned timeoutMs) {
    // Fl::wait(double) waits even while no window is shown (Fl::wait() would return at once).
    Fl::wait(timeoutMs == 0xFFFFFFFFu ? 1e20 : timeoutMs / 1000.0);
}

std::vector<WindowHandle> ListLiveWindows() {
    std::vector<WindowHandle> windows(static_cast<size_t>(ListUiWindows(nullptr, 0)) + 16);
    int count = ListUiWindows(windows.data(), static_cast<int>(windows.size()));
    if (count < static_cast<int>(windows.size())) windows.resize(static_cast<size_t>(count));
    return windows;
}

// A child's position relative to its top window's client origin, and whether it and every parent up
// to the top window are visible.
void ComputeChildPlacement(WindowHandle window, WindowHandle top, int* x, int* y, int* visible) {
    *x = 0;
    *y = 0;
    *visible = 1;
    for (WindowHandle c = window; c != nullptr && c != top; c = GetUiWindowParent(c)) {
        UiRect rect = {0, 0, 0, 0};
        GetUiWindowRect(c, &rect);
        *x += rect.left;
        *y += rect.top;
        if (!IsUiWindowVisible(c)) *visible = 0;
    }
}

void ApplyTitle(FltkWindowRecord* record) {
    if (!record->isTop) return;
    char title[512];
    GetUiWindowText(record->window, title, sizeof(title));
    record->top->copy_label(title);
}

// Moves, shows, hides, iconises or restores a top window as the model says.
void ApplyTopPlacement(FltkWindowRecord* record) {
    WindowHandle window = record->window;
    UiRect rect = {0, 0, 0, 0};
    GetUiWindowRect(window, &rect);
    int x = 0, y = 0;
    ClientToScreenPoint(window, &x, &y);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top + record->menuHeight;
    Fl_Window* top = record->top;
    record->applying = 1;
    if (top->x() != x || top->y() != y || top->w() != width || top->h() != height) {
        top->resize(x, y, width > 0 ? width : 1, height > 0 ? height : 1);
    }
    int visible = IsUiWindowVisible(window);
    int minimised = IsUiWindowMinimised(window);
    if (!visible) {
        if (top->shown()) top->hide();
        record->shownMinimised = 0;
    } else if (minimised && !record->shownMinimised) {
        top->iconize();
        record->shownMinimised = 1;
    } else if (!minimised && (record->shownMinimised || !top->shown())) {
        top->show();
        record->shownMinimised = 0;
    }
    record->applying = 0;
}

Fl_Widget* CreateChildWidget(FltkWindowRecord* record) {
    if (record->kind == UI_WINDOW_STATUS_BAR) return CreateFltkStatusBarWidget(record->window);
    if (record->kind == UI_WINDOW_PROGRESS_BAR) return CreateFltkProgressWidget(record->window);
    return CreateFltkPlainSurface(record->window);
}

int CreateFltkWindow(WindowHandle window) {
    FltkWindowRecord* record = new FltkWindowRecord();
    record->window = window;
    record->kind = GetUiWindowKind(window);
    WindowHandle parent = GetUiWindowParent(window);
    unsigned style = GetUiWindowStyle(window);
    record->isTop = parent == nullptr || (record->kind == UI_WINDOW_PLAIN && (style & WS_CHILD) == 0);
    FltkWindowRecord* top = record->isTop ? nullptr : GetFltkTopRecord(parent);
    if (!record->isTop && top == nullptr) {
        delete record;
        return 0;
    }
    SetUiWindowBackendData(window, record);
    if (record->isTop) {
        record->top = CreateFltkTopWindow(record);
        record->widget = record->top;
        if (record->kind == UI_WINDOW_DIALOG) CreateFltkDialogControls(record);
        ApplyTitle(record);
        ApplyTopPlacement(record);
        return 1;
    }
    record->widget = CreateChildWidget(record);
    top->top->add(record->widget);
    LayoutFltkTopWindow(top);
    return 1;
}

void DestroyFltkWindow(WindowHandle window) {
    FltkWindowRecord* record = GetFltkRecord(window);
    if (record == nullptr) return;
    SetUiWindowBackendData(window, nullptr);
    if (record->menuBar != nullptr) record->menuBar->menu(nullptr);
    Fl_Widget* widget = record->widget;
    if (widget != nullptr) {
        if (!record->isTop && widget->parent() != nullptr) widget->parent()->remove(widget);
        Fl_Window* asWindow = widget->as_window();
        if (asWindow != nullptr && asWindow->shown()) asWindow->hide();
        else widget->hide();
        Fl::delete_widget(widget);
    }
    delete record;
}

void ShowFltkWindowChange(WindowHandle window, unsigned what, int detail) {
    FltkWindowRecord* record = GetFltkRecord(window);
    if (record == nullptr) return;
    if ((what & UI_CHANGE_TEXT) != 0) ApplyTitle(record);
    if ((what & UI_CHANGE_MENU) != 0 && record->isTop) RebuildFltkMenuBar(record);
    if ((what & (UI_CHANGE_GEOMETRY | UI_CHANGE_VISIBILITY | UI_CHANGE_STATE | UI_CHANGE_MENU)) != 0) {
        if (record->isTop) ApplyTopPlacement(record);
        LayoutFltkTopWindow(GetFltkTopRecord(window));
    }
    if ((what & (UI_CHANGE_STATUS | UI_CHANGE_PANEL)) != 0 && record->widget != nullptr) record->widget->redraw();
    if ((what & UI_CHANGE_PROGRESS) != 0) UpdateFltkProgressWidget(record);
    if ((what & UI_CHANGE_DIALOG_ITEM) != 0) SyncFltkDialogItem(record, detail);
    if ((what & UI_CHANGE_FOCUS) != 0 && record->glView != nullptr && record->glView->shown()) {
        Fl::focus(record->glView);
    }
}

void InvalidateFltkWindow(WindowHandle window) {
    // OpenGL views are painted by the core's WM_PAINT; other windows draw their model when FLTK redraws.
    FltkWindowRecord* record = GetFltkRecord(window);
    if (record != nullptr && record->glView == nullptr && record->widget != nullptr) record->widget->redraw();
}

int BeginFltkPaint(WindowHandle window) {
    FltkWindowRecord* record = GetFltkRecord(window);
    if (record == nullptr || record->widget == nullptr) return 0;
    return record->widget->visible_r() ? 1 : 0;
}

void EndFltkPaint(WindowHandle window) { InvalidateFltkWindow(window); }

void SetFltkCursor(int cursor) { ApplyFltkCursor(cursor); }

// The clipboard image: bottom-up blue-green-red rows padded to 4 bytes, handed to FLTK top-down RGB.
void SetFltkClipboardImage(const unsigned char* pixels, int width, int height) {
    if (Fl::first_window() == nullptr) return;   // X needs a window to own the selection
    int rowBytes = (width * 3 + 3) / 4 * 4;
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3u);
    for (int row = 0; row < height; ++row) {
        const unsigned char* source = pixels + static_cast<size_t>(height - 1 - row) * static_cast<size_t>(rowBytes);
        unsigned char* target = rgb.data() + static_cast<size_t>(row) * static_cast<size_t>(width) * 3u;
        for (int column = 0; column < width; ++column) {
            target[column * 3 + 0] = source[column * 3 + 2];
            target[column * 3 + 1] = source[column * 3 + 1];
            target[column * 3 + 2] = source[column * 3 + 0];
        }
    }
    Fl_Copy_Surface* surface = new Fl_Copy_Surface(width, height);
    surface->set_current();
    fl_draw_image(rgb.data(), 0, 0, width, height, 3, 0);
    delete surface;
    Fl_Display_Device::display_device()->set_current();
}

const UiBackend kFltkBackend = {
    "fltk",
    WakeFltk,
    WaitFltkEvents,
    CreateFltkWindow,
    DestroyFltkWindow,
    ShowFltkWindowChange,
    InvalidateFltkWindow,
    BeginFltkPaint,
    EndFltkPaint,
    CreateFltkGlContext,
    MakeFltkGlCurrent,
    SwapFltkGlBuffers,
    DeleteFltkGlContext,
    TrackFltkPopupMenu,
    ShowFltkMessageBox,
    ShowFltkFileDialog,
    ShowFltkColourDialog,
    SetFltkCursor,
    nullptr,
    SetFltkClipboardImage,
    nullptr,   // the GL calls: set by GetFltkBackend
};

}  // namespace

// --- Records and placement -------------------------------------------------------------------------

FltkWindowRecord* GetFltkRecord(WindowHandle window) {
    return window != nullptr ? static_cast<FltkWindowRecord*>(GetUiWindowBackendData(window)) : nullptr;
}

FltkWindowRecord* GetFltkTopRecord(WindowHandle window) {
    for (WindowHandle w = window; w != nullptr; w = GetUiWindowParent(w)) {
        FltkWindowRecord* record = GetFltkRecord(w);
        if (record != nullptr && record->isTop) return record;
    }
    return nullptr;
}

WindowHandle GetWidgetUiWindow(const Fl_Widget* widget) {
    return widget != nullptr ? static_cast<WindowHandle>(widget->user_data()) : nullptr;
}

void LayoutFltkTopWindow(FltkWindowRecord* top) {
    if (top == nullptr || top->top == nullptr) return;
    for (WindowHandle window : ListLiveWindows()) {
        FltkWindowRecord* record = GetFltkRecord(window);
        if (record == nullptr || record->isTop || record->widget == nullptr || GetFltkTopRecord(window) != top)
            continue;
        int x = 0, y = 0, visible = 1;
        ComputeChildPlacement(window, top->window, &x, &y, &visible);
        UiRect rect = {0, 0, 0, 0};
        GetUiWindowRect(window, &rect);
        int width = rect.right - rect.left;
        int height = rect.bottom - rect.top;
        Fl_Widget* widget = record->widget;
        record->applying = 1;
        y += top->menuHeight;
        if (widget->x() != x || widget->y() != y || widget->w() != width || widget->h() != height) {
            widget->resize(x, y, width > 0 ? width : 1, height > 0 ? height : 1);
        }
        if (visible && width > 0 && height > 0) {
            if (!widget->visible()) widget->show();
        } else if (widget->visible()) {
            widget->hide();
        }
        record->applying = 0;
    }
    if (top->menuBar != nullptr) top->menuBar->resize(0, 0, top->top->w(), kFltkMenuBarHeight);
    top->top->init_sizes();
    top->top->redraw();
}

void ReplaceFltkChildWidget(FltkWindowRecord* record, Fl_Widget* widget) {
    Fl_Widget* old = record->widget;
    FltkWindowRecord* top = GetFltkTopRecord(record->window);
    if (top == nullptr || old == widget) return;
    int index = top->top->find(old);
    top->top->insert(*widget, index);
    top->top->remove(old);
    Fl::delete_widget(old);
    record->widget = widget;
    LayoutFltkTopWindow(top);
}

int IsFltkInputBlocked(WindowHandle window) {
    for (WindowHandle w = window; w != nullptr; w = GetUiWindowParent(w)) {
        if (!IsUiWindowEnabled(w)) return 1;
    }
    return 0;
}

void ApplyFltkCursor(int cursor) {
    Fl_Cursor shape = FL_CURSOR_DEFAULT;
    if (cursor == IDC_WAIT) shape = FL_CURSOR_WAIT;
    else if (cursor == IDC_IBEAM) shape = FL_CURSOR_INSERT;
    else if (cursor == IDC_CROSS || (cursor >= 250 && cursor <= 254)) shape = FL_CURSOR_CROSS;
    else if (cursor != IDC_ARROW && cursor > 0 && cursor < IDC_ARROW) shape = FL_CURSOR_HAND;
    for (Fl_Window* w = Fl::first_window(); w != nullptr; w = Fl::next_window(w)) w->cursor(shape);
}

// --- Entry points ----------------------------------------------------------------------------------

int OpenFltkDisplay() {
    if (g_Fltk.displayOpen) return 1;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 0;
    fl_open_display(display);
    // The default font has no Japanese glyphs; the CJK font has both scripts.
    Fl::set_font(FL_HELVETICA, "Noto Sans CJK JP");
    Fl::set_font(FL_HELVETICA_BOLD, "BNoto Sans CJK JP");
    FL_NORMAL_SIZE = kFltkFontSize;
    Fl::scheme("gtk+");
    Fl::lock();   // enables Fl::awake from other threads
    int x = 0, y = 0, w = 0, h = 0;
    Fl::screen_work_area(x, y, w, h);
    if (w > 0 && h > kFltkMenuBarHeight) {
        // A maximised frame's client area: the work area less the menu bar above it.
        g_UiSettings.screenWidth = w;
        g_UiSettings.screenHeight = h - kFltkMenuBarHeight;
    }
    g_Fltk.displayOpen = 1;
    return 1;
}

const UiBackend* GetFltkBackend() {
    static UiBackend backend = kFltkBackend;
    backend.gl = GetFltkGlCalls();
    return &backend;
}

void CloseFltkDisplay() {
    if (!g_Fltk.displayOpen) return;
    DestroyFltkGlHolder();
    while (Fl::first_window() != nullptr) Fl::first_window()->hide();
    Fl::do_widget_deletion();
    Fl::unlock();
    fl_close_display();
    g_Fltk.displayOpen = 0;
}

void SetFltkEnglishButtons(int english) { g_Fltk.englishButtons = english ? 1 : 0; }

int GetFltkClientOrigin(WindowHandle window, int* x, int* y) {
    FltkWindowRecord* record = GetFltkRecord(window);
    if (record == nullptr || record->widget == nullptr) return 0;
    Fl_Widget* widget = record->widget;
    Fl_Window* holder = widget->as_window() != nullptr ? widget->as_window() : widget->window();
    if (holder == nullptr || !holder->shown()) return 0;
    int dx = holder == widget ? 0 : widget->x();
    int dy = holder == widget ? record->menuHeight : widget->y();
    int rootX = 0, rootY = 0;
    ::Window child = 0;
    XTranslateCoordinates(fl_display, fl_xid(holder), RootWindow(fl_display, fl_screen), dx, dy, &rootX, &rootY,
                          &child);
    *x = rootX;
    *y = rootY;
    return 1;
}

void SyncFltkDisplay() {
    if (!g_Fltk.displayOpen) return;
    Fl::flush();
    XSync(fl_display, False);
}
