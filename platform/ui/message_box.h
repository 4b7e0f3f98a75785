// Message boxes and Yes/No questions, and the open, save and colour dialogs. Unattended (silent or
// batch) they never block: a box is logged and takes its default answer, a file or colour dialog is
// cancelled. Tests preset the answers, first in first out; every box shown is kept in a short history.
#pragma once
#include <string>
#include "platform/ui/event_core.h"

// Shows a message box owned by owner (any thread; other threads' boxes are shown through the UI
// thread). style: MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL, ... with MB_ICON*, MB_DEFBUTTON2/3,
// MB_TOPMOST. Returns IDOK, IDCANCEL, IDYES or IDNO. A preset answer is taken first; unattended or
// headless, the default button's answer (the first button unless MB_DEFBUTTON2/3) after logging
// "caption: text" through g_UiSettings.logHook. The real box waits in a loop that serves sends.
int ShowUiMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned style);
// The default button's answer of a style.
int GetMessageBoxDefaultAnswer(unsigned style);

// Tests: the answer of the next box (IDOK, IDYES, ...), first in first out.
void PresetMessageBoxAnswer(int answer);
void ClearMessageBoxPresets();

// History of the boxes shown, newest last (at most kMessageBoxHistory kept).
constexpr int kMessageBoxHistory = 64;
struct ShownMessageBox {
    char caption[256];
    char text[1024];
    unsigned style;
    int answer;
    int unattended;      // 1 when it answered by itself
};
int CountShownMessageBoxes();                       // boxes kept (at most kMessageBoxHistory)
int GetShownMessageBox(int index, ShownMessageBox* box);   // 0 oldest kept; returns 1 or 0
void ClearShownMessageBoxes();

// The open and save dialogs. The filter is the usual list of NUL-terminated pairs "name", "pattern"
// (patterns separated by ";"), ended by an empty name.
constexpr unsigned FILE_DIALOG_MUST_EXIST = 0x1;        // open: the chosen file must exist
constexpr unsigned FILE_DIALOG_OVERWRITE_PROMPT = 0x2;  // save: ask before replacing a file
// A name typed without an extension gets the first extension of the chosen group ("*.*" gives none);
// an open dialog takes that name only when the name as typed does not exist.
constexpr unsigned FILE_DIALOG_DEFAULT_EXTENSION = 0x4;
struct FileDialogRequest {
    WindowHandle owner;
    const char* title;
    const char* filter;
    int filterIndex;              // in: 1-based group shown first (0: the first); out: the chosen group
    const char* initialFolder;
    char* path;                   // in: proposed name; out: the chosen file (full path)
    int pathSize;
    unsigned flags;               // FILE_DIALOG_*
    const char* okCaption;        // caption of the OK button; null: the usual one
    const char* checkboxCaption;  // an extra check box when not null
    int checkboxValue;            // in: its tick; out: its tick when the dialog ended with OK
};
// Returns 1 with path, filterIndex and checkboxValue set when the user chose a file, 0 when cancelled
// or when the chosen path does not fit pathSize (nothing changed then). Headless: the next preset
// answer, else cancelled.
int ShowOpenFileDialog(FileDialogRequest* request);
int ShowSaveFileDialog(FileDialogRequest* request);
// Tests: the next file dialog's answer (result 0: cancel), first in first out.
void PresetFileDialogAnswer(int result, const char* path, int filterIndex, int checkboxValue);

// What the last open or save dialog was asked to show (kept whether a preset, the user or nobody
// answered it), for tests: the request as it came in, its filter as NUL-separated texts.
struct ShownFileDialog {
    int save;                    // 1 for a save dialog
    std::string title;
    std::string filter;          // the pairs with their NULs, up to the closing empty name
    int filterIndex;
    std::string initialFolder;
    std::string path;            // the proposed name
    unsigned flags;
    std::string okCaption;       // "" when null
    std::string checkboxCaption; // "" when no check box
    int hasCheckbox;
    int checkboxValue;
};
// Copies the last dialog's request: 1, or 0 when none was shown since ClearFileAndColourPresets.
int GetLastFileDialog(ShownFileDialog* shown);

// The colour chooser: colour in 0x00BBGGRR; customColours, 16 entries, may be edited. Returns 1 with
// *colour set, 0 when cancelled. Headless: the next preset colour, else cancelled.
int ShowColourDialog(WindowHandle owner, unsigned* colour, unsigned* customColours);
void PresetColourDialogAnswer(int result, unsigned colour);
void ClearFileAndColourPresets();
