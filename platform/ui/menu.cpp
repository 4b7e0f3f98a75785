// The menu model (items, states, captions, sub-menus, edits by id or position), the window's menu
// bar, popup menus and accelerator translation. One lock guards every menu.
#include <deque>
#include <mutex>
#include <string>
#include <vector>
#include "platform/ui/menu.h"
#include "platform/ui/ui_internal.h"

struct UiMenuItem {
    unsigned flags;         // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_BITMAP, MF_POPUP
    int id;
    int bitmapId;
    std::string caption;
    UiMenu* subMenu;        // MF_POPUP: owned by this item
};

struct UiMenu {
    int isPopup;
    UiMenu* parent;         // the menu holding this one as a sub-menu
    std::vector<UiMenuItem> items;
};

namespace {

std::mutex g_MenuLock;
std::deque<int> g_PopupChoices;   // guarded by g_MenuLock

constexpr unsigned kStateFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED;

void DeleteMenuTree(UiMenu* menu) {
    if (menu == nullptr) return;
    for (UiMenuItem& item : menu->items) DeleteMenuTree(item.subMenu);
    delete menu;
}

// The item with command id (depth first) or at position; its menu in *holder. Lock held.
UiMenuItem* FindItemLocked(UiMenu* menu, int idOrPosition, unsigned byFlags, UiMenu** holder) {
    if (menu == nullptr) return nullptr;
    if ((byFlags & MF_BYPOSITION) != 0) {
        if (idOrPosition < 0 || idOrPosition >= static_cast<int>(menu->items.size())) return nullptr;
        if (holder != nullptr) *holder = menu;
        return &menu->items[static_cast<size_t>(idOrPosition)];
    }
    for (UiMenuItem& item : menu->items) {
        if ((item.flags & (MF_POPUP | MF_SEPARATOR)) == 0 && item.id == idOrPosition) {
            if (holder != nullptr) *holder = menu;
            return &item;
        }
        if (item.subMenu != nullptr) {
            UiMenuItem* found = FindItemLocked(item.subMenu, idOrPosition, byFlags, holder);
            if (found != nullptr) return found;
        }
    }
    return nullptr;
}

// Tells the backend of every window whose menu bar holds menu.
void NoteMenuChanged(UiMenu* menu) {
    UiMenu* root = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_MenuLock);
        root = menu;
        while (root != nullptr && root->parent != nullptr) root = root->parent;
    }
    std::vector<UiWindow*> holders;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        for (UiWindow* w : g_UiCore.windows) {
            if (w->alive && w->menu == root) holders.push_back(w);
        }
    }
    for (UiWindow* w : holders) NoteUiWindowChange(w, UI_CHANGE_MENU, -1);
}

UiMenuItem MakeItem(unsigned flags, int id, const char* caption, UiMenu* subMenu) {
    UiMenuItem item;
    item.flags = flags & (kStateFlags | MF_SEPARATOR | MF_BITMAP | MF_POPUP);
    item.id = (flags & (MF_POPUP | MF_SEPARATOR)) != 0 ? -1 : id;
    item.bitmapId = (flags & MF_BITMAP) != 0 ? id : 0;
    item.caption = caption != nullptr ? caption : "";
    item.subMenu = subMenu;
    return item;
}

int InsertItem(MenuHandle menu, int position, const UiMenuItem& item) {
    if (menu == nullptr) return 0;
    {
        std::lock_guard<std::mutex> guard(g_MenuLock);
        auto& items = menu->items;
        if (position < 0 || position > static_cast<int>(items.size())) position = static_cast<int>(items.size());
        items.insert(items.begin() + position, item);
        if (item.subMenu != nullptr) item.subMenu->parent = menu;
    }
    NoteMenuChanged(menu);
    return 1;
}

}  // namespace

void ResetMenuState() {
    std::lock_guard<std::mutex> guard(g_MenuLock);
    g_PopupChoices.clear();
}

MenuHandle CreateUiMenu() { return new UiMenu{0, nullptr, {}}; }

MenuHandle CreateUiPopupMenu() { return new UiMenu{1, nullptr, {}}; }

void DestroyUiMenu(MenuHandle menu) {
    if (menu == nullptr) return;
    std::lock_guard<std::mutex> guard(g_MenuLock);
    DeleteMenuTree(menu);
}

int AppendUiMenuItem(MenuHandle menu, unsigned flags, int id, const char* caption) {
    return InsertItem(menu, -1, MakeItem(flags & ~MF_POPUP, id, caption, nullptr));
}

int AppendUiSubMenu(MenuHandle menu, MenuHandle subMenu, const char* caption) {
    return InsertItem(menu, -1, MakeItem(MF_POPUP, -1, caption, subMenu));
}

int AppendUiBitmapItem(MenuHandle menu, int id, int bitmapId) {
    UiMenuItem item = MakeItem(MF_STRING, id, "", nullptr);
    item.flags |= MF_BITMAP;
    item.bitmapId = bitmapId;
    return InsertItem(menu, -1, item);
}

int InsertUiMenuItem(MenuHandle menu, int position, unsigned flags, int id, const char* caption) {
    return InsertItem(menu, position, MakeItem(flags & ~MF_POPUP, id, caption, nullptr));
}

int InsertUiSubMenu(MenuHandle menu, int position, MenuHandle subMenu, const char* caption) {
    return InsertItem(menu, position, MakeItem(MF_POPUP, -1, caption, subMenu));
}

int DeleteUiMenuItem(MenuHandle menu, int idOrPosition, unsigned byFlags) {
    UiMenu* holder = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_MenuLock);
        UiMenuItem* item = FindItemLocked(menu, idOrPosition, byFlags, &holder);
        if (item == nullptr) return 0;
        DeleteMenuTree(item->subMenu);
        holder->items.erase(holder->items.begin() + (item - holder->items.data()));
    }
    NoteMenuChanged(holder);
    return 1;
}

int EnableUiMenuItem(MenuHandle menu, int idOrPosition, unsigned flags) {
    int previous = -1;
    UiMenu* holder = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_MenuLock);
        UiMenuItem* item = FindItemLocked(menu, idOrPosition, flags, &holder);
        if (item == nullptr) return -1;
        previous = static_cast<int>(item->flags & (MF_GRAYED | MF_DISABLED));
        item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    }
    NoteMenuChanged(holder);
    return previous;
}

int CheckUiMenuItem(MenuHandle menu, int idOrPosition, unsigned flags) {
    int previous = -1;
    UiMenu* holder = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_MenuLock);
        UiMenuItem* item = FindItemLocked(menu, idOrPosition, flags, &holder);
        if (item == nullptr) return -1;
        previous = static_cast<int>(item->flags & MF_CHECKED);
        item->flags = (item->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    }
    NoteMenuChanged(holder);
    return previous;
}

int GetUiMenuItemState(MenuHandle menu, int idOrPosition, unsigned byFlags) {
    std::lock_guard<std::mutex> guard(g_MenuLock);
    UiMenuItem* item = FindItemLocked(menu, idOrPosition, byFlags, nullptr);
    return item != nullptr ? static_cast<int>(item->flags) : -1;
}

int SetUiMenuItemCaption(MenuHandle menu, int idOrPosition, unsigned byFlags, const char* caption) {
    UiMenu* holder = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_MenuLock);
        UiMenuItem* item = FindItemLocked(menu, idOrPosition, byFlags, &holder);
        if (item == nullptr) return 0;
        item->caption = caption != nullptr ? caption : "";
    }
    NoteMenuChanged(holder);
    return 1;
}

int GetUiMenuItemCaption(MenuHandle menu, int idOrPosition, unsigned byFlags, char* caption, int size) {
    std::lock_guard<std::mutex> guard(g_MenuLock);
    UiMenuItem* item = FindItemLocked(menu, idOrPosition, byFlags, nullptr);
    if (item == nullptr) {
        if (caption != nullptr && size > 0) caption[0] = '\0';
        return -1;
    }
    return CopyUiText(item->caption, caption, size);
}

int CountUiMenuItems(MenuHandle menu) {
    if (menu == nullptr) return -1;
    std::lock_guard<std::mutex> guard(g_MenuLock);
    return static_cast<int>(menu->items.size());
}

int GetUiMenuItemId(MenuHandle menu, int position) {
    std::lock_guard<std::mutex> guard(g_MenuLock);
    UiMenuItem* item = FindItemLocked(menu, position, MF_BYPOSITION, nullptr);
    return item != nullptr ? item->id : -1;
}

MenuHandle GetUiSubMenu(MenuHandle menu, int position) {
    std::lock_guard<std::mutex> guard(g_MenuLock);
    UiMenuItem* item = FindItemLocked(menu, position, MF_BYPOSITION, nullptr);
    return item != nullptr ? item->subMenu : nullptr;
}

int SetUiWindowMenu(WindowHandle window, MenuHandle menu) {
    UiWindow* w = nullptr;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        w = FindLiveWindowLocked(window);
        if (w == nullptr) return 0;
        w->menu = menu;
    }
    NoteUiWindowChange(w, UI_CHANGE_MENU, -1);
    return 1;
}

MenuHandle GetUiWindowMenu(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    return w != nullptr ? w->menu : nullptr;
}

void DrawUiMenuBar(WindowHandle window) {
    UiWindow* w = FindLiveWindow(window);
    if (w != nullptr) NoteUiWindowChange(w, UI_CHANGE_MENU, -1);
}

int TrackUiPopupMenu(MenuHandle menu, int screenX, int screenY, WindowHandle owner) {
    if (menu == nullptr || !IsUiWindow(owner)) return 0;
    int choice = -1;
    {
        std::lock_guard<std::mutex> guard(g_MenuLock);
        if (!g_PopupChoices.empty()) {
            choice = g_PopupChoices.front();
            g_PopupChoices.pop_front();
        }
    }
    const UiBackend* backend = GetUiBackend();
    if (choice < 0 && backend->trackPopupMenu != nullptr && IsUiThread() && !IsUiUnattended()) {
        choice = backend->trackPopupMenu(menu, screenX, screenY, owner);
    }
    if (choice <= 0) return 0;
    PostUiMessage(owner, WM_COMMAND, MakeParam(static_cast<unsigned>(choice), 0), 0);
    return 1;
}

void PresetPopupMenuChoice(int commandId) {
    std::lock_guard<std::mutex> guard(g_MenuLock);
    g_PopupChoices.push_back(commandId > 0 ? commandId : 0);
}

int TranslateUiAccelerator(const AcceleratorTable* table, const UiMessage* message) {
    if (table == nullptr || message == nullptr || table->entries == nullptr) return 0;
    unsigned kind = message->message;
    int isKey = kind == WM_KEYDOWN || kind == WM_SYSKEYDOWN;
    int isChar = kind == WM_CHAR || kind == WM_SYSCHAR;
    if (!isKey && !isChar) return 0;
    int alt = kind == WM_SYSKEYDOWN || kind == WM_SYSCHAR || IsUiKeyDown(VK_MENU);
    int ctrl = IsUiKeyDown(VK_CONTROL);
    int shift = IsUiKeyDown(VK_SHIFT);
    int key = static_cast<int>(message->wParam);
    for (int i = 0; i < table->count; ++i) {
        const AcceleratorEntry& e = table->entries[i];
        int virtualEntry = (e.flags & FVIRTKEY) != 0;
        if (e.key != key || virtualEntry != isKey) continue;
        if (((e.flags & FALT) != 0) != (alt != 0)) continue;
        // Shift and Ctrl are part of a typed character; only virtual-key entries test them.
        if (virtualEntry && (((e.flags & FCONTROL) != 0) != (ctrl != 0) || ((e.flags & FSHIFT) != 0) != (shift != 0))) {
            continue;
        }
        SendUiMessage(message->window, WM_COMMAND, MakeParam(static_cast<unsigned>(e.command), 1), 0);
        return 1;
    }
    return 0;
}
