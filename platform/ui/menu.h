// The menu model: menu bars and popup menus of items with command ids, captions, grey and check
// states and sub-menus, edited by id or by position; and accelerator tables. Any thread may edit a
// menu (one lock guards all menus); the backend shows them.
#pragma once
#include <cstdint>
#include "platform/ui/event_core.h"

MenuHandle CreateUiMenu();            // a menu bar
MenuHandle CreateUiPopupMenu();       // a popup (sub-menu or context menu)
// Destroys the menu and its sub-menus (detach it from its window first).
void DestroyUiMenu(MenuHandle menu);

// Appends an item. flags: MF_STRING, MF_SEPARATOR, MF_BITMAP (caption null; bitmapId names the
// bitmap resource), MF_POPUP (id is ignored; subMenu is attached), MF_GRAYED, MF_CHECKED.
// Returns 1, 0 for a null menu.
int AppendUiMenuItem(MenuHandle menu, unsigned flags, int id, const char* caption);
int AppendUiSubMenu(MenuHandle menu, MenuHandle subMenu, const char* caption);
int AppendUiBitmapItem(MenuHandle menu, int id, int bitmapId);
// Inserts an item before position (0 first; a position at or past the end appends).
int InsertUiMenuItem(MenuHandle menu, int position, unsigned flags, int id, const char* caption);
int InsertUiSubMenu(MenuHandle menu, int position, MenuHandle subMenu, const char* caption);
// Removes an item (by command id through the sub-menus, or by position with MF_BYPOSITION); a
// removed sub-menu is destroyed. Returns 1 when found.
int DeleteUiMenuItem(MenuHandle menu, int idOrPosition, unsigned byFlags);

// Item states, by command id (searched through sub-menus) or by position with MF_BYPOSITION.
// EnableUiMenuItem: MF_ENABLED, MF_GRAYED or MF_DISABLED; CheckUiMenuItem: MF_CHECKED or MF_UNCHECKED.
// Both return the previous state flags, or -1 when the item does not exist.
int EnableUiMenuItem(MenuHandle menu, int idOrPosition, unsigned flags);
int CheckUiMenuItem(MenuHandle menu, int idOrPosition, unsigned flags);
// The state flags (MF_GRAYED, MF_CHECKED, MF_POPUP, MF_SEPARATOR, MF_BITMAP), or -1 when not found.
int GetUiMenuItemState(MenuHandle menu, int idOrPosition, unsigned byFlags);
// Replaces an item's caption. Returns 1 when found.
int SetUiMenuItemCaption(MenuHandle menu, int idOrPosition, unsigned byFlags, const char* caption);
// Copies the caption (at most size - 1 bytes); returns its full length, or -1 when not found.
int GetUiMenuItemCaption(MenuHandle menu, int idOrPosition, unsigned byFlags, char* caption, int size);

int CountUiMenuItems(MenuHandle menu);                   // -1 for a null menu
int GetUiMenuItemId(MenuHandle menu, int position);      // -1 for a separator, a sub-menu or no item
MenuHandle GetUiSubMenu(MenuHandle menu, int position);  // null when that item has none

// The window's menu bar (the backend shows it); DrawUiMenuBar tells the backend that items changed.
int SetUiWindowMenu(WindowHandle window, MenuHandle menu);
MenuHandle GetUiWindowMenu(WindowHandle window);
void DrawUiMenuBar(WindowHandle window);

// Shows a popup menu at a screen point for owner (UI thread). The chosen item is posted to owner as
// WM_COMMAND; returns 1 when an item was chosen. Headless: the next preset choice, else none.
int TrackUiPopupMenu(MenuHandle menu, int screenX, int screenY, WindowHandle owner);
// Tests: the command id the next TrackUiPopupMenu chooses (0 or less: none), first in first out.
void PresetPopupMenuChoice(int commandId);

// Accelerator tables: a key with modifiers gives a command.
struct AcceleratorEntry {
    unsigned flags;      // FVIRTKEY (key is a virtual-key code, else a character), FSHIFT, FCONTROL, FALT
    int key;             // virtual-key code or character
    int command;         // WM_COMMAND id
};
struct AcceleratorTable {
    const AcceleratorEntry* entries;
    int count;
};
// When message is a key message matching an entry (WM_KEYDOWN/WM_SYSKEYDOWN against virtual-key
// entries, WM_CHAR/WM_SYSCHAR against character entries, the modifiers taken from the key states;
// WM_SYSCHAR and WM_SYSKEYDOWN imply Alt), sends WM_COMMAND with the command and notification 1 to
// the message's window and returns 1; else 0.
int TranslateUiAccelerator(const AcceleratorTable* table, const UiMessage* message);
