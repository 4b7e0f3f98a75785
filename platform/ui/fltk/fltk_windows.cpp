// The widgets that show the event core's windows: top-level windows (frames, popups, dialogs), the
// plain surface of a child window, the status bar and the progress bar; and the drawing of the
// panel-cell model and of status texts. Input translation is in fltk_input.cpp.
#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Gl_Window.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>
#include <string>
#include <vector>
#include "platform/ui/fltk/fltk_internal.h"
#include "platform/ui/panel_cells.h"
#include "platform/ui/status_bar.h"

namespace {

int IsMouseEvent(int event) {
    return event == FL_PUSH || event == FL_RELEASE || event == FL_DRAG || event == FL_MOVE || event == FL_ENTER ||
           event == FL_LEAVE || event == FL_MOUSEWHEEL;
}

int IsDropEvent(int event) {
    return event == FL_DND_ENTER || event == FL_DND_DRAG || event == FL_DND_LEAVE || event == FL_DND_RELEASE ||
           event == FL_PASTE;
}

// The close button, or Escape on a window nobody else took it from.
void TopWindowCallback(Fl_Widget* widget, void*) {
    WindowHandle window = GetWidgetUiWindow(widget);
    if (!IsUiWindow(window)) return;
    int escape = Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape;
    if (GetUiWindowKind(window) == UI_WINDOW_DIALOG) {
        if (escape) SendUiMessage(window, WM_COMMAND, MakeParam(IDCANCEL, BN_CLICKED), 0);
        else SendUiMessage(window, WM_CLOSE, 0, 0);
        return;
    }
    if (escape || IsFltkInputBlocked(window)) return;   // Escape is the window procedure's key
    PostUiMessage(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// The window manager iconised or restored a top window: the model follows.
void NoteIconicChange(FltkWindowRecord* record, int event, int shown) {
    WindowHandle window = record->window;
    if (record->applying || !IsUiWindowVisible(window)) return;
    if (event == FL_HIDE && shown && !IsUiWindowMinimised(window)) {
        record->shownMinimised = 1;
        ReportUiWindowShowCommand(window, SW_MINIMIZE);
    } else if (event == FL_SHOW && IsUiWindowMinimised(window)) {
        record->shownMinimised = 0;
        ReportUiWindowShowCommand(window, SW_RESTORE);
    }
}

class FltkTopWindow : public Fl_Double_Window {
public:
    FltkTopWindow(int w, int h) : Fl_Double_Window(w, h) {}

    void draw() override {
        WindowHandle window = GetWidgetUiWindow(this);
        FltkWindowRecord* record = GetFltkRecord(window);
        // Only a full redraw paints the background; otherwise just the damaged children draw again.
        if ((damage() & ~FL_DAMAGE_CHILD) != 0) {
            draw_box(FL_FLAT_BOX, 0, 0, w(), h(), color());
            if (record != nullptr && record->kind != UI_WINDOW_DIALOG)
                DrawFltkPanelCells(window, 0, record->menuHeight);
        }
        draw_children();
    }

    int handle(int event) override {
        WindowHandle window = GetWidgetUiWindow(this);
        FltkWindowRecord* record = GetFltkRecord(window);
        if (record == nullptr) return Fl_Double_Window::handle(event);
        if (event == FL_SHOW || event == FL_HIDE) {
            int wasShown = shown();
            int result = Fl_Double_Window::handle(event);
            NoteIconicChange(record, event, wasShown);
            return result;
        }
        if (record->kind == UI_WINDOW_DIALOG) return Fl_Double_Window::handle(event);
        if (event == FL_KEYBOARD || event == FL_KEYUP) {
            // An OpenGL view with the focus already posted the key before passing it up.
            FltkWindowRecord* focus = GetFltkRecord(GetWidgetUiWindow(Fl::focus()));
            if (Fl::focus() != this && focus != nullptr && static_cast<Fl_Widget*>(focus->glView) == Fl::focus())
                return 0;
            return HandleFltkKeyEvent(window, event);
        }
        if (IsDropEvent(event)) return HandleFltkDropEvent(window, event);
        if (!IsMouseEvent(event)) return Fl_Double_Window::handle(event);
        if (IsFltkInputBlocked(window) && event != FL_ENTER && event != FL_LEAVE) return 1;
        if (Fl_Double_Window::handle(event)) return 1;
        if (Fl::event_y() < record->menuHeight && event != FL_DRAG && event != FL_RELEASE) return 0;
        return HandleFltkMouseEvent(window, event, Fl::event_x(), Fl::event_y() - record->menuHeight);
    }

    void resize(int x, int y, int w, int h) override {
        Fl_Double_Window::resize(x, y, w, h);
        WindowHandle window = GetWidgetUiWindow(this);
        FltkWindowRecord* record = GetFltkRecord(window);
        if (record == nullptr || record->applying || !IsUiWindow(window)) return;
        // The user moved or sized the window: the model takes the client rectangle.
        WindowHandle parent = GetUiWindowParent(window);
        if (parent != nullptr) ScreenToClientPoint(parent, &x, &y);
        ReportUiWindowGeometry(window, x, y, w, h - record->menuHeight);
        LayoutFltkTopWindow(record);
    }
};

class FltkPlainSurface : public Fl_Widget {
public:
    FltkPlainSurface() : Fl_Widget(0, 0, 1, 1) {}

    void draw() override {
        fl_push_clip(x(), y(), w(), h());
        draw_box(FL_FLAT_BOX, x(), y(), w(), h(), FL_BACKGROUND_COLOR);
        DrawFltkPanelCells(GetWidgetUiWindow(this), x(), y());
        fl_pop_clip();
    }

    int handle(int event) override {
        WindowHandle window = GetWidgetUiWindow(this);
        if (IsDropEvent(event)) return HandleFltkDropEvent(window, event);
        if (!IsMouseEvent(event)) return 0;
        return HandleFltkMouseEvent(window, event, Fl::event_x() - x(), Fl::event_y() - y());
    }
};

class FltkStatusBarWidget : public Fl_Widget {
public:
    FltkStatusBarWidget() : Fl_Widget(0, 0, 1, 1) {}

    void draw() override {
        WindowHandle bar = GetWidgetUiWindow(this);
        fl_push_clip(x(), y(), w(), h());
        draw_box(FL_FLAT_BOX, x(), y(), w(), h(), FL_BACKGROUND_COLOR);
        int count = GetStatusBarParts(bar, nullptr, 0);
        for (int part = 0; part < count; ++part) DrawPart(bar, part);
        fl_pop_clip();
    }

    // Status-bar controls take the mouse over them; the frame does not see it.
    int handle(int event) override { return IsMouseEvent(event) ? 1 : 0; }

private:
    void DrawPart(WindowHandle bar, int part) {
        UiRect rect = {0, 0, 0, 0};
        if (!GetStatusBarPartRect(bar, part, &rect)) return;
        std::vector<char> text(kStatusTextMax);
        int style = 0;
        GetStatusBarPartText(bar, part, text.data(), kStatusTextMax, &style);
        Fl_Boxtype box = FL_THIN_DOWN_BOX;
        if ((style & SBT_NOBORDERS) != 0) box = FL_NO_BOX;
        else if ((style & SBT_POPOUT) != 0) box = FL_THIN_UP_BOX;
        int px = x() + rect.left;
        int pw = rect.right - rect.left - 2;
        if (pw <= 0) return;
        draw_box(box, px, y() + 1, pw, h() - 2, FL_BACKGROUND_COLOR);
        DrawFltkTabbedText(text.data(), px + 3, y() + 1, pw - 6, h() - 2, 0);
    }
};

}  // namespace

Fl_Window* CreateFltkTopWindow(FltkWindowRecord* record) {
    Fl_Group::current(nullptr);
    UiRect rect = {0, 0, 1, 1};
    GetUiWindowRect(record->window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    FltkTopWindow* top = new FltkTopWindow(width > 0 ? width : 1, height > 0 ? height : 1);
    top->end();
    top->user_data(record->window);
    top->callback(TopWindowCallback);
    // Only the model sizes the children; FLTK's own resizing of them is undone by the next layout.
    top->resizable(top);
    if (record->kind == UI_WINDOW_DIALOG) top->set_non_modal();
    Fl_Group::current(nullptr);
    return top;
}

Fl_Widget* CreateFltkPlainSurface(WindowHandle window) {
    Fl_Group::current(nullptr);
    FltkPlainSurface* surface = new FltkPlainSurface();
    surface->user_data(window);
    return surface;
}

Fl_Widget* CreateFltkStatusBarWidget(WindowHandle window) {
    Fl_Group::current(nullptr);
    FltkStatusBarWidget* bar = new FltkStatusBarWidget();
    bar->user_data(window);
    return bar;
}

Fl_Widget* CreateFltkProgressWidget(WindowHandle window) {
    Fl_Group::current(nullptr);
    Fl_Progress* progress = new Fl_Progress(0, 0, 1, 1);
    progress->user_data(window);
    progress->selection_color(fl_rgb_color(6, 176, 37));
    progress->color(FL_WHITE);
    progress->box(FL_THIN_DOWN_BOX);
    progress->minimum(0);
    progress->maximum(100);
    progress->value(0);
    return progress;
}

void UpdateFltkProgressWidget(FltkWindowRecord* record) {
    if (record == nullptr || record->kind != UI_WINDOW_PROGRESS_BAR || record->widget == nullptr) return;
    ProgressBarState state = {};
    if (!GetProgressBarState(record->window, &state)) return;
    Fl_Progress* progress = static_cast<Fl_Progress*>(record->widget);
    progress->minimum(static_cast<float>(state.minimum));
    progress->maximum(static_cast<float>(state.maximum > state.minimum ? state.maximum : state.minimum + 1));
    progress->value(static_cast<float>(state.position));
}

unsigned ToFltkColour(unsigned colourRef) {
    return fl_rgb_color(static_cast<uchar>(colourRef & 0xFFu), static_cast<uchar>((colourRef >> 8) & 0xFFu),
                        static_cast<uchar>((colourRef >> 16) & 0xFFu));
}

void DrawFltkTabbedText(const char* text, int x, int y, int w, int h, unsigned colour) {
    if (text == nullptr || text[0] == '\0' || w <= 0 || h <= 0) return;
    std::string parts[3];
    int index = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '\t' && index < 2) ++index;
        else parts[index] += *p;
    }
    static const Fl_Align kAligns[3] = {FL_ALIGN_LEFT, FL_ALIGN_CENTER, FL_ALIGN_RIGHT};
    int size = h - 4 < kFltkFontSize ? (h - 4 > 8 ? h - 4 : 8) : kFltkFontSize;
    fl_font(FL_HELVETICA, size);
    fl_color(static_cast<Fl_Color>(ToFltkColour(colour)));
    for (int i = 0; i < 3; ++i) {
        if (parts[i].empty()) continue;
        fl_draw(parts[i].c_str(), x, y, w, h, static_cast<Fl_Align>(kAligns[i] | FL_ALIGN_INSIDE | FL_ALIGN_CLIP),
                nullptr, 0);
    }
}

void DrawFltkPanelCells(WindowHandle window, int ox, int oy) {
    std::vector<PanelCell> cells(kPanelMaxCells);
    int count = CopyPanelCells(window, cells.data(), kPanelMaxCells);
    for (int i = 0; i < count; ++i) {
        const PanelCell& cell = cells[static_cast<size_t>(i)];
        int x = ox + cell.rect.left;
        int y = oy + cell.rect.top;
        int w = cell.rect.right - cell.rect.left;
        int h = cell.rect.bottom - cell.rect.top;
        if (cell.kind == PANEL_CELL_EMPTY || w <= 0 || h <= 0) continue;
        Fl_Color fill = static_cast<Fl_Color>(ToFltkColour(cell.fillColour));
        if (cell.kind == PANEL_CELL_FILL) {
            fl_rectf(x, y, w, h, fill);
        } else if (cell.kind == PANEL_CELL_STATUS_TEXT) {
            Fl_Boxtype box = FL_THIN_DOWN_BOX;
            if ((cell.style & SBT_NOBORDERS) != 0) box = FL_FLAT_BOX;
            else if ((cell.style & SBT_POPOUT) != 0) box = FL_THIN_UP_BOX;
            fl_draw_box(box, x, y, w, h, fill);
            DrawFltkTabbedText(cell.text, x + 3, y, w - 6, h, cell.textColour);
        } else if (cell.kind == PANEL_CELL_PLAIN_TEXT) {
            fl_font(FL_HELVETICA, h - 4 < kFltkFontSize ? (h - 4 > 8 ? h - 4 : 8) : kFltkFontSize);
            fl_color(static_cast<Fl_Color>(ToFltkColour(cell.textColour)));
            fl_draw(cell.text, x, y, w, h, FL_ALIGN_CENTER, nullptr, 0);
        }
    }
}
