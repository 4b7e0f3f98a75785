// The OpenGL view: an Fl_Gl_Window (RGB, double-buffered, depth) in place of a child window's plain
// surface, painted by its window procedure's WM_PAINT, and the one rendering context every view
// uses. The context lives on a hidden helper window so that it exists, with its display lists, before
// the frame is first shown (the view reserves its lists when it is created) and across hide and show.
#include <FL/Fl.H>
#include <FL/Fl_Gl_Window.H>
#include <FL/x.H>
#include "platform/ui/fltk/fltk_internal.h"

namespace {

constexpr int kGlMode = FL_RGB | FL_DOUBLE | FL_DEPTH;

// Gives a view the shared context, which FLTK must never delete with the view.
void AttachSharedContext(Fl_Gl_Window* view) {
    if (g_Fltk.sharedContext != nullptr && view->context() != g_Fltk.sharedContext) {
        view->context(g_Fltk.sharedContext, 0);
    }
}

class FltkGlHolder : public Fl_Gl_Window {
public:
    FltkGlHolder() : Fl_Gl_Window(0, 0, 1, 1) {
        mode(kGlMode);
        end();
        border(0);
    }
    void draw() override {}
};

class FltkGlView : public Fl_Gl_Window {
public:
    FltkGlView() : Fl_Gl_Window(0, 0, 1, 1) {
        mode(kGlMode);
        end();
    }

    void show() override {
        AttachSharedContext(this);
        Fl_Gl_Window::show();
    }

    void flush() override {
        AttachSharedContext(this);
        Fl_Gl_Window::flush();
    }

    // FLTK exposes or resized the view: its window procedure paints it now, with the context current;
    // FLTK swaps the buffers afterwards.
    void draw() override {
        WindowHandle window = GetWidgetUiWindow(this);
        if (!IsUiWindow(window)) return;
        ++g_Fltk.glDrawDepth;
        SendUiMessage(window, WM_PAINT, 0, 0);
        --g_Fltk.glDrawDepth;
    }

    int handle(int event) override {
        WindowHandle window = GetWidgetUiWindow(this);
        switch (event) {
        case FL_FOCUS:
        case FL_UNFOCUS:
            return 1;
        case FL_KEYBOARD:
        case FL_KEYUP:
            return HandleFltkKeyEvent(window, event);
        case FL_PUSH:
            if (!IsFltkInputBlocked(window)) Fl::focus(this);
            return HandleFltkMouseEvent(window, event, Fl::event_x(), Fl::event_y());
        case FL_RELEASE:
        case FL_DRAG:
        case FL_MOVE:
        case FL_ENTER:
        case FL_LEAVE:
        case FL_MOUSEWHEEL:
            return HandleFltkMouseEvent(window, event, Fl::event_x(), Fl::event_y());
        case FL_DND_ENTER:
        case FL_DND_DRAG:
        case FL_DND_LEAVE:
        case FL_DND_RELEASE:
        case FL_PASTE:
            return HandleFltkDropEvent(window, event);
        default:
            return Fl_Gl_Window::handle(event);
        }
    }
};

// Makes the shared context on the hidden helper window. Returns 1 when it exists.
int EnsureGlHolder() {
    if (g_Fltk.sharedContext != nullptr) return 1;
    if (!g_Fltk.displayOpen || !Fl_Gl_Window::can_do(kGlMode)) return 0;
    Fl_Group::current(nullptr);
    FltkGlHolder* holder = new FltkGlHolder();
    holder->set_override();
    holder->show();
    if (!holder->shown()) {
        delete holder;
        return 0;
    }
    holder->make_current();
    g_Fltk.sharedContext = holder->context();
    // The window only carries the context: take it off the screen again.
    XUnmapWindow(fl_display, fl_xid(holder));
    XFlush(fl_display);
    g_Fltk.glHolder = holder;
    return g_Fltk.sharedContext != nullptr ? 1 : 0;
}

FltkGlView* GetView(WindowHandle window) {
    FltkWindowRecord* record = GetFltkRecord(window);
    return record != nullptr ? static_cast<FltkGlView*>(record->glView) : nullptr;
}

}  // namespace

int CreateFltkGlContext(WindowHandle window, int doubleBuffered) {
    // The view is always double-buffered: a single-buffered request still shows each frame once the
    // window procedure swaps, as it does after every paint.
    (void)doubleBuffered;
    FltkWindowRecord* record = GetFltkRecord(window);
    if (record == nullptr || record->isTop || !EnsureGlHolder()) return 0;
    if (record->glView == nullptr) {
        Fl_Group::current(nullptr);
        FltkGlView* view = new FltkGlView();
        view->user_data(window);
        AttachSharedContext(view);
        record->glView = view;
        ReplaceFltkChildWidget(record, view);
    }
    return 1;
}

int MakeFltkGlCurrent(WindowHandle window) {
    // Releasing is not needed: only the UI thread draws, and FLTK keeps track of the current context.
    if (window == nullptr) return 1;
    FltkGlView* view = GetView(window);
    if (view == nullptr || g_Fltk.sharedContext == nullptr) return 0;
    AttachSharedContext(view);
    if (view->shown()) view->make_current();
    else g_Fltk.glHolder->make_current();
    return 1;
}

void SwapFltkGlBuffers(WindowHandle window) {
    FltkGlView* view = GetView(window);
    if (view == nullptr || g_Fltk.glDrawDepth > 0 || !view->shown()) return;
    view->swap_buffers();
}

void DeleteFltkGlContext(WindowHandle window) {
    // The context is shared by the views and lives until the display closes.
    (void)window;
}

void DestroyFltkGlHolder() {
    if (g_Fltk.glHolder == nullptr) return;
    g_Fltk.glHolder->hide();   // deletes the context
    delete g_Fltk.glHolder;
    g_Fltk.glHolder = nullptr;
    g_Fltk.sharedContext = nullptr;
}
