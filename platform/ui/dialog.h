// Dialogs built from templates: the template tables (controls with id, kind, rectangle, caption),
// modal and modeless dialogs run by dialog procedures, and the model of each control (text, check,
// enabled, shown, list items, selection) that procedures and backends read and write.
// A dialog procedure sees WM_INITDIALOG (lParam: the caller's parameter) and WM_COMMAND (control id
// in the low word, notification in the high word) whichever backend runs it; it returns 1 for a
// message it handled.
#pragma once
#include <cstdint>
#include "platform/ui/event_core.h"

// Kinds of controls.
enum DialogItemKind {
    DIALOG_ITEM_STATIC = 0,        // label or text
    DIALOG_ITEM_BUTTON = 1,        // push button: BN_CLICKED
    DIALOG_ITEM_DEFAULT_BUTTON = 2,
    DIALOG_ITEM_CHECKBOX = 3,      // tick toggled by a click, then BN_CLICKED
    DIALOG_ITEM_RADIO = 4,         // checked by a click, others of its group cleared, then BN_CLICKED
    DIALOG_ITEM_EDIT = 5,          // text field: EN_CHANGE on every change of its text
    DIALOG_ITEM_GROUP_BOX = 6,
    DIALOG_ITEM_LIST_BOX = 7,      // LBN_SELCHANGE when the user selects
    DIALOG_ITEM_COMBO_BOX = 8,     // CBN_SELCHANGE when the user selects
    DIALOG_ITEM_IMAGE = 9,         // bitmap (caption: resource name or empty)
    DIALOG_ITEM_TAB = 10,          // tab strip; its list items are the page titles
};

// Control style flags (item template style).
constexpr unsigned DIALOG_ITEM_DISABLED = 0x1;
constexpr unsigned DIALOG_ITEM_HIDDEN = 0x2;
constexpr unsigned DIALOG_ITEM_GROUP_START = 0x4;   // first radio button of a group
constexpr unsigned DIALOG_ITEM_READ_ONLY = 0x8;
constexpr unsigned DIALOG_ITEM_MULTILINE = 0x10;
constexpr unsigned DIALOG_ITEM_NUMBER = 0x20;

struct DialogItemTemplate {
    int id;                // control id (-1 for a label nobody addresses)
    int kind;              // DialogItemKind
    UiRect rect;           // in dialog pixels
    const char* caption;   // UTF-8; null gives ""
    unsigned style;        // DIALOG_ITEM_* flags
};

struct DialogTemplate {
    int id;                          // template (resource) number
    const char* caption;             // title, UTF-8
    int width;                       // client size in pixels
    int height;
    const DialogItemTemplate* items;
    int itemCount;
    unsigned style;                  // WS_VISIBLE: a modeless dialog shows itself after WM_INITDIALOG
};

// Runs a modal dialog (UI thread): creates it from the template, disables owner, sends
// WM_INITDIALOG, and runs a modal loop (sends, posts, timers, paints) until EndUiDialog. Returns the
// EndUiDialog result, or -1 when the dialog could not be made. Headless: a preset answer for the
// template (PresetDialogCommand) is sent as WM_COMMAND after WM_INITDIALOG; unattended, IDCANCEL is
// sent when the dialog is still open after that, and a dialog that still stays open ends with 0;
// otherwise the loop waits (another thread may drive the dialog by sends).
// A quit request seen by the modal loop ends the dialog with 0 and stays queued.
int RunModalDialog(const DialogTemplate* dialogTemplate, WindowHandle owner, WindowProc dialogProc, intptr_t param);
// Creates a modeless dialog (UI thread), sends WM_INITDIALOG, then shows it when the template has
// WS_VISIBLE. Returns the dialog window, or null. Destroy it with DestroyUiWindow.
WindowHandle CreateModelessDialog(const DialogTemplate* dialogTemplate, WindowHandle owner, WindowProc dialogProc,
                                  intptr_t param);
// Ends a modal dialog with result (its loop returns it); for a modeless dialog it only hides it.
int EndUiDialog(WindowHandle dialog, intptr_t result);
int GetDialogTemplateId(WindowHandle dialog);            // -1 when not a dialog

// Tests and unattended runs: the command (IDOK, IDCANCEL or a control id; notification BN_CLICKED)
// the next dialog of template id receives after WM_INITDIALOG, first in first out per template.
void PresetDialogCommand(int templateId, int command);
void ClearDialogPresets();

// Control model (UI thread, or any thread for reading). Each returns 0 (or -1, or "") for an unknown
// dialog or id.
// Sets the text; an edit control then sends EN_CHANGE to the dialog procedure.
int SetDialogItemText(WindowHandle dialog, int id, const char* text);
// Copies at most size - 1 bytes; returns the full length.
int GetDialogItemText(WindowHandle dialog, int id, char* text, int size);
int CheckDialogButton(WindowHandle dialog, int id, int state);     // BST_CHECKED / BST_UNCHECKED
int IsDialogButtonChecked(WindowHandle dialog, int id);
int EnableDialogItem(WindowHandle dialog, int id, int enable);
int IsDialogItemEnabled(WindowHandle dialog, int id);
int ShowDialogItem(WindowHandle dialog, int id, int show);
int IsDialogItemShown(WindowHandle dialog, int id);
int GetDialogItemKind(WindowHandle dialog, int id);              // -1 when unknown
// List and combo boxes (and tab titles): items and the selected index (-1 none).
int AddDialogListItem(WindowHandle dialog, int id, const char* text);   // returns the new index or -1
int ClearDialogList(WindowHandle dialog, int id);
int CountDialogListItems(WindowHandle dialog, int id);
int GetDialogListItemText(WindowHandle dialog, int id, int index, char* text, int size);
int SetDialogListSelection(WindowHandle dialog, int id, int index);
int GetDialogListSelection(WindowHandle dialog, int id);

// What a user does to a control (the backend calls these; tests too), each with the control's
// notification to the dialog procedure: a click on a button, check box or radio button (BN_CLICKED
// after the tick changed), typed text (EN_CHANGE), a chosen list entry (LBN_SELCHANGE/CBN_SELCHANGE).
int ClickDialogItem(WindowHandle dialog, int id);
int TypeDialogItemText(WindowHandle dialog, int id, const char* text);
int SelectDialogListItem(WindowHandle dialog, int id, int index);
