// The FLTK 1.3 backend of the event core: real windows on an X display (frame with menu bar, status bar
// and progress bars, OpenGL view, dialogs from templates, message boxes, file and colour choosers).
// Start-up: if (OpenFltkDisplay()) StartEventCore(GetFltkBackend()); else StartEventCore(nullptr);
#pragma once
#include "platform/ui/ui_backend.h"

// Opens the X display (UI thread, before StartEventCore), sets the CJK font and the screen size the
// core maximises to. Returns 1, or 0 when no display can be opened (the program then runs headless).
int OpenFltkDisplay();
// The backend table for StartEventCore (valid after OpenFltkDisplay returned 1).
const UiBackend* GetFltkBackend();
// Closes every FLTK window the backend still holds and the display (UI thread, after StopEventCore).
void CloseFltkDisplay();
// Texts of the stock buttons of message boxes and choosers: 1 English, 0 Japanese (the default).
void SetFltkEnglishButtons(int english);

// --- What a user does, for tests and automation (UI thread) -------------------------------------

// Chooses the menu-bar item with commandId of window as a click in its open menu would (posting
// WM_COMMAND). Returns 1, 0 when the item is not in the shown menu bar or is greyed.
int ChooseFltkMenuItem(WindowHandle window, int commandId);
// The item as the menu bar shows it: label (at most size - 1 bytes) and MF_GRAYED / MF_CHECKED
// flags. Returns 1, 0 when the shown menu bar has no such item.
int DescribeFltkMenuItem(WindowHandle window, int commandId, char* label, int size, unsigned* flags);
// A left click (press and release) at client point x, y of window, delivered through FLTK's event
// handling to whatever widget is there. Returns 1 when the window is shown.
int SimulateFltkClick(WindowHandle window, int x, int y);
// A key press and release with its text (letters and digits as typed; modifiers: MK_SHIFT,
// MK_CONTROL, or 0x20 for Alt) delivered through FLTK's keyboard handling to the focused widget of
// window. Returns 1 when the window is shown.
int SimulateFltkKey(WindowHandle window, int virtualKey, unsigned modifiers);
// The root-window (screen) position of window's client origin as the X server places it. Returns 1,
// 0 when the window is not shown.
int GetFltkClientOrigin(WindowHandle window, int* x, int* y);
// Draws everything pending and waits until the X server has done it (before reading the screen).
void SyncFltkDisplay();
// Answers the open file or colour chooser: accept 1 with path (file chooser) as if chosen, 0 as
// Cancel. Returns 1 when a chooser was open and not yet answered.
int AnswerFltkChooser(int accept, const char* path);
