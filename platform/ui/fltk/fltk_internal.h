// Private to platform/ui/fltk: the record the backend keeps per event-core window, the backend's
// program-wide state and the helpers its files share. Everything here runs on the UI thread, except
// the wake flag.
#pragma once
#include <atomic>
#include <deque>
#include <string>
#include <vector>
#include <FL/Fl.H>
#include <FL/Fl_Menu_Item.H>
#include "platform/ui/fltk/fltk_backend.h"

class Fl_Widget;
class Fl_Window;
class Fl_Menu_Bar;
class Fl_Gl_Window;

constexpr int kFltkMenuBarHeight = 26;
constexpr int kFltkFontSize = 13;

// One control of a dialog and the widget that shows it.
struct FltkControl {
    int id;
    int kind;                          // DialogItemKind
    Fl_Widget* widget;
};

// What the backend keeps for one window of the event core (its backend data).
struct FltkWindowRecord {
    WindowHandle window;
    int kind;                          // UiWindowKind
    int isTop;                         // 1: shown by its own FLTK top-level window
    Fl_Window* top;                    // top windows: that window
    Fl_Widget* widget;                 // the widget showing the window (top windows: top)
    Fl_Gl_Window* glView;              // child windows with an OpenGL context (then widget == glView)
    Fl_Menu_Bar* menuBar;              // top windows with a menu bar
    std::vector<Fl_Menu_Item> menuItems;   // the menu bar's items, built from the menu model
    std::deque<std::string> menuLabels;    // their texts (stable addresses)
    int menuHeight;                    // 0 or kFltkMenuBarHeight
    int menuRebuildPending;            // 1: the model changed while an FLTK menu was open
    std::vector<FltkControl> controls; // dialogs
    int applying;                      // 1 while the backend moves or shows the widget itself
    int shownMinimised;                // top windows: 1 after the backend iconised it
};

// The backend's state.
struct FltkState {
    int displayOpen;                   // 1 after OpenFltkDisplay succeeded
    int englishButtons;                // stock button texts: 1 English, 0 Japanese
    std::atomic<int> wakePending;      // any thread: 1 while an awake callback is queued
    int menuDepth;                     // > 0 while an FLTK menu of ours is open
    int glDrawDepth;                   // > 0 while FLTK draws an OpenGL view (FLTK swaps after)
    Fl_Gl_Window* glHolder;            // hidden window owning the one OpenGL context of the views
    void* sharedContext;               // that context (GLXContext)
};
extern FltkState g_Fltk;

// Records.
FltkWindowRecord* GetFltkRecord(WindowHandle window);
// The record of the top window that shows window (itself when it is one), or null.
FltkWindowRecord* GetFltkTopRecord(WindowHandle window);
// The window shown by a widget (its user data), or null.
WindowHandle GetWidgetUiWindow(const Fl_Widget* widget);
// Places every widget of a top window's children where the model says, shown or hidden.
void LayoutFltkTopWindow(FltkWindowRecord* top);
// Replaces a child window's widget (the OpenGL view takes the place of the plain surface).
void ReplaceFltkChildWidget(FltkWindowRecord* record, Fl_Widget* widget);
// 1 when input to window must be ignored (it or an ancestor or owner is disabled).
int IsFltkInputBlocked(WindowHandle window);

// Widgets (fltk_windows.cpp).
Fl_Window* CreateFltkTopWindow(FltkWindowRecord* record);
Fl_Widget* CreateFltkPlainSurface(WindowHandle window);
Fl_Widget* CreateFltkStatusBarWidget(WindowHandle window);
Fl_Widget* CreateFltkProgressWidget(WindowHandle window);
void UpdateFltkProgressWidget(FltkWindowRecord* record);
// Draws the panel-cell model of window with its client origin at ox, oy of the current drawing.
void DrawFltkPanelCells(WindowHandle window, int ox, int oy);
// Draws text split by tabs into left, centred and right parts inside the rectangle.
void DrawFltkTabbedText(const char* text, int x, int y, int w, int h, unsigned colour);
// Converts a colour 0x00BBGGRR.
unsigned ToFltkColour(unsigned colourRef);

// Input (fltk_input.cpp). Each returns 1 when the event was a mouse, key or drop event it took.
int HandleFltkMouseEvent(WindowHandle window, int event, int clientX, int clientY);
int HandleFltkKeyEvent(WindowHandle window, int event);
int HandleFltkDropEvent(WindowHandle window, int event);
void ApplyFltkCursor(int cursor);
int MapFltkKeyToVirtualKey(int key);

// OpenGL (fltk_gl_view.cpp).
int CreateFltkGlContext(WindowHandle window, int doubleBuffered);
int MakeFltkGlCurrent(WindowHandle window);
void SwapFltkGlBuffers(WindowHandle window);
void DeleteFltkGlContext(WindowHandle window);
void DestroyFltkGlHolder();
// The GL calls on the OpenGL library (fltk_gl_calls.cpp).
const struct UiGlCalls* GetFltkGlCalls();

// Menus (fltk_menu.cpp).
void RebuildFltkMenuBar(FltkWindowRecord* record);
int TrackFltkPopupMenu(MenuHandle menu, int screenX, int screenY, WindowHandle owner);

// Dialogs (fltk_dialogs.cpp).
void CreateFltkDialogControls(FltkWindowRecord* record);
void SyncFltkDialogItem(FltkWindowRecord* record, int id);

// Boxes and choosers (fltk_boxes.cpp).
int ShowFltkMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style);
int ShowFltkFileDialog(FileDialogRequest* request, int save);
int ShowFltkColourDialog(WindowHandle owner, unsigned* colour, unsigned* customColours);
// Runs the core's loop (serving sends, posts, timers, paints) until isDone(context) or a quit request.
// Returns 1 when done, 0 when a quit request or the core's end stopped it.
int RunFltkModalLoop(int (*isDone)(void* context), void* context);
// A stock button text by result id (IDOK, IDCANCEL, IDYES, ...), in the chosen language.
const char* GetFltkStockButtonText(int answer);
