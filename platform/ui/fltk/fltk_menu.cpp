// Menus: the frame's Fl_Menu_Bar built from the event core's menu model (captions, grey and check
// states, sub-menus, separators), whose items post WM_COMMAND; popup menus; and choosing an item for
// tests. The model stays the truth: FLTK's own toggling of check marks is undone by a rebuild.
#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Window.H>
#include <cstring>
#include "platform/ui/fltk/fltk_internal.h"
#include "platform/ui/menu.h"

namespace {

void MenuItemCallback(Fl_Widget* widget, void* data) {
    int id = static_cast<int>(reinterpret_cast<intptr_t>(data));
    WindowHandle window = GetWidgetUiWindow(widget);
    FltkWindowRecord* record = GetFltkRecord(window);
    if (record != nullptr) record->menuRebuildPending = 1;   // restore the model's check marks
    if (id > 0 && IsUiWindow(window) && !IsFltkInputBlocked(window)) {
        PostUiMessage(window, WM_COMMAND, MakeParam(static_cast<unsigned>(id), 0), 0);
    }
}

void RebuildIfPending(WindowHandle window) {
    FltkWindowRecord* record = GetFltkRecord(window);
    if (g_Fltk.menuDepth == 0 && record != nullptr && record->menuRebuildPending) RebuildFltkMenuBar(record);
}

class FltkMenuBar : public Fl_Menu_Bar {
public:
    FltkMenuBar(int x, int y, int w, int h) : Fl_Menu_Bar(x, y, w, h) {}

    int handle(int event) override {
        WindowHandle window = GetWidgetUiWindow(this);
        if ((event == FL_PUSH || event == FL_SHORTCUT) && IsFltkInputBlocked(window)) return event == FL_PUSH ? 1 : 0;
        ++g_Fltk.menuDepth;
        int result = Fl_Menu_Bar::handle(event);
        --g_Fltk.menuDepth;
        RebuildIfPending(window);
        return result;
    }
};

// Appends the items of menu (and, recursively, its sub-menus) to items.
void AppendMenuItems(MenuHandle menu, std::vector<Fl_Menu_Item>* items, std::deque<std::string>* labels) {
    int count = CountUiMenuItems(menu);
    long previous = -1;   // index of the last item at this level, which a separator marks
    for (int i = 0; i < count; ++i) {
        int state = GetUiMenuItemState(menu, i, MF_BYPOSITION);
        if (state < 0) continue;
        if ((state & MF_SEPARATOR) != 0) {
            if (previous >= 0) (*items)[static_cast<size_t>(previous)].flags |= FL_MENU_DIVIDER;
            continue;
        }
        char caption[512];
        GetUiMenuItemCaption(menu, i, MF_BYPOSITION, caption, sizeof(caption));
        labels->push_back(caption[0] != '\0' ? caption : " ");
        Fl_Menu_Item item = {};
        item.text = labels->back().c_str();
        if ((state & (MF_GRAYED | MF_DISABLED)) != 0) item.flags |= FL_MENU_INACTIVE;
        previous = static_cast<long>(items->size());
        if ((state & MF_POPUP) != 0) {
            item.flags |= FL_SUBMENU;
            items->push_back(item);
            AppendMenuItems(GetUiSubMenu(menu, i), items, labels);
            items->push_back(Fl_Menu_Item{});
            continue;
        }
        if ((state & MF_CHECKED) != 0) item.flags |= FL_MENU_TOGGLE | FL_MENU_VALUE;
        item.callback_ = MenuItemCallback;
        item.user_data_ = reinterpret_cast<void*>(static_cast<intptr_t>(GetUiMenuItemId(menu, i)));
        items->push_back(item);
    }
}

void RemoveMenuBar(FltkWindowRecord* record) {
    if (record->menuBar == nullptr) return;
    record->menuBar->menu(nullptr);
    record->top->remove(record->menuBar);
    Fl::delete_widget(record->menuBar);
    record->menuBar = nullptr;
    record->menuHeight = 0;
}

const Fl_Menu_Item* FindCommandItem(FltkWindowRecord* record, int commandId) {
    if (record == nullptr || record->menuBar == nullptr) return nullptr;
    for (const Fl_Menu_Item& item : record->menuItems) {
        if (item.text != nullptr && item.callback_ == MenuItemCallback &&
            reinterpret_cast<intptr_t>(item.user_data_) == commandId) {
            return &item;
        }
    }
    return nullptr;
}

}  // namespace

void RebuildFltkMenuBar(FltkWindowRecord* record) {
    if (record == nullptr || record->top == nullptr) return;
    if (g_Fltk.menuDepth > 0) {
        record->menuRebuildPending = 1;   // an open menu still reads the items
        return;
    }
    record->menuRebuildPending = 0;
    MenuHandle menu = GetUiWindowMenu(record->window);
    if (menu == nullptr) {
        RemoveMenuBar(record);
        record->menuItems.clear();
        record->menuLabels.clear();
        return;
    }
    if (record->menuBar == nullptr) {
        Fl_Group::current(nullptr);
        record->menuBar = new FltkMenuBar(0, 0, record->top->w(), kFltkMenuBarHeight);
        record->menuBar->user_data(record->window);
        record->menuBar->box(FL_FLAT_BOX);
        record->top->add(record->menuBar);
        record->menuHeight = kFltkMenuBarHeight;
    }
    std::vector<Fl_Menu_Item> items;
    std::deque<std::string> labels;
    AppendMenuItems(menu, &items, &labels);
    items.push_back(Fl_Menu_Item{});
    record->menuItems.swap(items);
    record->menuLabels.swap(labels);
    record->menuBar->menu(record->menuItems.data());
    record->menuBar->redraw();
}

int TrackFltkPopupMenu(MenuHandle menu, int screenX, int screenY, WindowHandle owner) {
    FltkWindowRecord* top = GetFltkTopRecord(owner);
    if (top == nullptr || !top->top->shown() || CountUiMenuItems(menu) <= 0) return -1;
    std::vector<Fl_Menu_Item> items;
    std::deque<std::string> labels;
    AppendMenuItems(menu, &items, &labels);
    items.push_back(Fl_Menu_Item{});
    int x = screenX, y = screenY;
    ScreenToClientPoint(top->window, &x, &y);
    y += top->menuHeight;
    // A hidden button of the top window makes the point relative to that window.
    Fl_Group::current(nullptr);
    Fl_Menu_Button* anchor = new Fl_Menu_Button(0, 0, 1, 1);
    anchor->hide();
    top->top->add(anchor);
    ++g_Fltk.menuDepth;
    const Fl_Menu_Item* picked = items[0].popup(x, y, nullptr, nullptr, anchor);
    --g_Fltk.menuDepth;
    top->top->remove(anchor);
    Fl::delete_widget(anchor);
    RebuildIfPending(top->window);
    if (picked == nullptr || picked->callback_ != MenuItemCallback) return 0;
    return static_cast<int>(reinterpret_cast<intptr_t>(picked->user_data_));
}

int ChooseFltkMenuItem(WindowHandle window, int commandId) {
    FltkWindowRecord* record = GetFltkTopRecord(window);
    const Fl_Menu_Item* item = FindCommandItem(record, commandId);
    if (item == nullptr || !item->active() || !record->top->shown()) return 0;
    ++g_Fltk.menuDepth;
    record->menuBar->picked(item);
    --g_Fltk.menuDepth;
    RebuildIfPending(record->window);
    return 1;
}

int DescribeFltkMenuItem(WindowHandle window, int commandId, char* label, int size, unsigned* flags) {
    const Fl_Menu_Item* item = FindCommandItem(GetFltkTopRecord(window), commandId);
    if (item == nullptr) return 0;
    if (label != nullptr && size > 0) {
        std::strncpy(label, item->text, static_cast<size_t>(size - 1));
        label[size - 1] = '\0';
    }
    if (flags != nullptr) *flags = (item->active() ? 0u : MF_GRAYED) | (item->value() ? MF_CHECKED : 0u);
    return 1;
}
