// The program's menu, accelerator and string resources as plain tables: the frame's menu bar 109 with
// its Japanese captions and the English twins the message file "qumbra5000.mes" carries, accelerator
// table 109 and the string table.
#pragma once
#include "platform/ui/menu.h"

const int MENU_MAIN = 109;            // the frame's menu bar
const int ACCELERATORS_MAIN = 109;    // Alt+"?" and Alt+"/": the version dialog
const int STRING_CLASS_NAME = 109;    // "QUMBRA5000"
const int ICON_MAIN = 107;

// One item of a menu resource, in the order the menu shows them.
struct MenuResourceItem {
    int depth;              // 0 a menu-bar caption, 1 an item of its popup, 2 an item of a nested popup
    unsigned flags;         // MF_POPUP, MF_SEPARATOR, MF_GRAYED (initial state)
    int id;                 // command id (0 for popups and separators)
    const char* japanese;   // caption of the resource
    const char* english;    // caption of the message file
};

// The items of menu resource id and their count (0 for an unknown id).
const MenuResourceItem* GetMenuResourceItems(int id, int* count);
// Builds menu resource id as a new menu bar (null for an unknown id). The caller owns it.
MenuHandle LoadMenuResource(int id);
// Accelerator table id (null for an unknown id).
const AcceleratorTable* LoadAcceleratorTable(int id);
// Copies string resource id into text (at most size - 1 bytes). Returns its length, 0 when unknown.
int LoadStringResource(int id, char* text, int size);
