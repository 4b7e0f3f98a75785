// Dialog controls built from the event core's templates (static texts, buttons, check boxes, radio
// buttons, edits, group boxes, list and combo boxes, images, tab strips), kept equal to the control
// model, and the user's actions on them reported through the core's user-action calls.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Int_Input.H>
#include <FL/Fl_Multiline_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <cstring>
#include "platform/ui/dialog.h"
#include "platform/ui/fltk/fltk_internal.h"

namespace {

WindowHandle DialogOf(Fl_Widget* widget) {
    Fl_Window* window = widget->as_window() != nullptr ? widget->as_window() : widget->window();
    return window != nullptr ? GetWidgetUiWindow(window) : nullptr;
}

int ItemIdOf(void* data) { return static_cast<int>(reinterpret_cast<intptr_t>(data)); }

void ButtonCallback(Fl_Widget* widget, void* data) { ClickDialogItem(DialogOf(widget), ItemIdOf(data)); }

void EditCallback(Fl_Widget* widget, void* data) {
    TypeDialogItemText(DialogOf(widget), ItemIdOf(data), static_cast<Fl_Input*>(widget)->value());
}

void ListCallback(Fl_Widget* widget, void* data) {
    WindowHandle dialog = DialogOf(widget);
    int id = ItemIdOf(data);
    Fl_Hold_Browser* list = static_cast<Fl_Hold_Browser*>(widget);
    int index = list->value() - 1;
    if (index != GetDialogListSelection(dialog, id)) SelectDialogListItem(dialog, id, index);
    if (Fl::event() == FL_RELEASE && Fl::event_clicks() > 0 && index >= 0) {
        SendUiMessage(dialog, WM_COMMAND, MakeParam(static_cast<unsigned>(id), LBN_DBLCLK), 0);
    }
}

void ComboCallback(Fl_Widget* widget, void* data) {
    SelectDialogListItem(DialogOf(widget), ItemIdOf(data), static_cast<Fl_Choice*>(widget)->value());
}

std::string GetItemText(WindowHandle dialog, int id) {
    int length = GetDialogItemText(dialog, id, nullptr, 0);
    std::vector<char> text(static_cast<size_t>(length) + 1);
    GetDialogItemText(dialog, id, text.data(), length + 1);
    return std::string(text.data());
}

std::vector<std::string> GetListTexts(WindowHandle dialog, int id) {
    std::vector<std::string> texts;
    int count = CountDialogListItems(dialog, id);
    for (int i = 0; i < count; ++i) {
        int length = GetDialogListItemText(dialog, id, i, nullptr, 0);
        std::vector<char> text(static_cast<size_t>(length) + 1);
        GetDialogListItemText(dialog, id, i, text.data(), length + 1);
        texts.push_back(text.data());
    }
    return texts;
}

// A tab strip: the list items are the page titles; a click selects one.
class FltkTabStrip : public Fl_Widget {
public:
    FltkTabStrip(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {}

    void draw() override {
        WindowHandle dialog = DialogOf(this);
        int id = ItemIdOf(user_data());
        std::vector<std::string> titles = GetListTexts(dialog, id);
        int selected = GetDialogListSelection(dialog, id);
        draw_box(FL_FLAT_BOX, x(), y(), w(), h(), FL_BACKGROUND_COLOR);
        fl_font(FL_HELVETICA, kFltkFontSize);
        for (size_t i = 0; i < titles.size(); ++i) {
            int left = TabLeft(titles, i);
            int width = TabWidth(titles[i]);
            draw_box(static_cast<int>(i) == selected ? FL_UP_BOX : FL_THIN_UP_BOX, left, y(), width, TabHeight(),
                     static_cast<int>(i) == selected ? FL_WHITE : FL_BACKGROUND_COLOR);
            fl_color(FL_FOREGROUND_COLOR);
            fl_draw(titles[i].c_str(), left, y(), width, TabHeight(), FL_ALIGN_CENTER, nullptr, 0);
        }
    }

    int handle(int event) override {
        if (event != FL_PUSH || Fl::event_y() > y() + TabHeight()) return 0;
        WindowHandle dialog = DialogOf(this);
        int id = ItemIdOf(user_data());
        std::vector<std::string> titles = GetListTexts(dialog, id);
        fl_font(FL_HELVETICA, kFltkFontSize);
        for (size_t i = 0; i < titles.size(); ++i) {
            int left = TabLeft(titles, i);
            if (Fl::event_x() >= left && Fl::event_x() < left + TabWidth(titles[i])) {
                SelectDialogListItem(dialog, id, static_cast<int>(i));
                return 1;
            }
        }
        return 1;
    }

private:
    int TabHeight() const { return kFltkFontSize + 10; }
    static int TabWidth(const std::string& title) { return static_cast<int>(fl_width(title.c_str())) + 16; }
    int TabLeft(const std::vector<std::string>& titles, size_t index) const {
        int left = x();
        for (size_t i = 0; i < index; ++i) left += TabWidth(titles[i]);
        return left;
    }
};

Fl_Widget* CreateEdit(const DialogItemTemplate& item, int x, int y, int w, int h) {
    Fl_Input* edit = nullptr;
    if ((item.style & DIALOG_ITEM_MULTILINE) != 0) edit = new Fl_Multiline_Input(x, y, w, h);
    else if ((item.style & DIALOG_ITEM_NUMBER) != 0) edit = new Fl_Int_Input(x, y, w, h);
    else edit = new Fl_Input(x, y, w, h);
    edit->when(FL_WHEN_CHANGED);
    edit->callback(EditCallback);
    if ((item.style & DIALOG_ITEM_READ_ONLY) != 0) edit->readonly(1);
    return edit;
}

Fl_Widget* CreateControl(const DialogItemTemplate& item) {
    int x = item.rect.left, y = item.rect.top;
    int w = item.rect.right - item.rect.left, h = item.rect.bottom - item.rect.top;
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    Fl_Widget* widget = nullptr;
    switch (item.kind) {
    case DIALOG_ITEM_BUTTON: widget = new Fl_Button(x, y, w, h); widget->callback(ButtonCallback); break;
    case DIALOG_ITEM_DEFAULT_BUTTON: widget = new Fl_Return_Button(x, y, w, h); widget->callback(ButtonCallback); break;
    case DIALOG_ITEM_CHECKBOX: widget = new Fl_Check_Button(x, y, w, h); widget->callback(ButtonCallback); break;
    case DIALOG_ITEM_RADIO: widget = new Fl_Round_Button(x, y, w, h); widget->callback(ButtonCallback); break;
    case DIALOG_ITEM_EDIT: widget = CreateEdit(item, x, y, w, h); break;
    case DIALOG_ITEM_GROUP_BOX:
        widget = new Fl_Box(FL_ENGRAVED_FRAME, x, y + kFltkFontSize / 2, w, h - kFltkFontSize / 2, nullptr);
        widget->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
        break;
    case DIALOG_ITEM_LIST_BOX: {
        Fl_Hold_Browser* list = new Fl_Hold_Browser(x, y, w, h);
        list->format_char(0);
        list->when(FL_WHEN_CHANGED | FL_WHEN_NOT_CHANGED);
        list->callback(ListCallback);
        widget = list;
        break;
    }
    case DIALOG_ITEM_COMBO_BOX: {
        Fl_Choice* combo = new Fl_Choice(x, y, w, h > 26 ? 26 : h);
        combo->callback(ComboCallback);
        widget = combo;
        break;
    }
    case DIALOG_ITEM_IMAGE: widget = new Fl_Box(FL_THIN_DOWN_FRAME, x, y, w, h, nullptr); break;
    case DIALOG_ITEM_TAB: widget = new FltkTabStrip(x, y, w, h); break;
    default:
        widget = new Fl_Box(FL_NO_BOX, x, y, w, h, nullptr);
        widget->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
        break;
    }
    widget->user_data(reinterpret_cast<void*>(static_cast<intptr_t>(item.id)));
    widget->labelsize(kFltkFontSize);
    // Controls with id -1 are never addressed: the template alone says what they show.
    int hasLabel = item.kind != DIALOG_ITEM_EDIT && item.kind != DIALOG_ITEM_LIST_BOX &&
                   item.kind != DIALOG_ITEM_COMBO_BOX && item.kind != DIALOG_ITEM_TAB;
    if (hasLabel && item.caption != nullptr) widget->copy_label(item.caption);
    if ((item.style & DIALOG_ITEM_DISABLED) != 0) widget->deactivate();
    if ((item.style & DIALOG_ITEM_HIDDEN) != 0) widget->hide();
    return widget;
}

void SyncListItems(Fl_Widget* widget, int kind, WindowHandle dialog, int id) {
    std::vector<std::string> texts = GetListTexts(dialog, id);
    int selection = GetDialogListSelection(dialog, id);
    if (kind == DIALOG_ITEM_LIST_BOX) {
        Fl_Hold_Browser* list = static_cast<Fl_Hold_Browser*>(widget);
        int same = list->size() == static_cast<int>(texts.size());
        for (int i = 0; same && i < list->size(); ++i) same = texts[static_cast<size_t>(i)] == list->text(i + 1);
        if (!same) {
            list->clear();
            for (const std::string& text : texts) list->add(text.c_str());
        }
        if (list->value() != selection + 1) list->value(selection + 1);
    } else if (kind == DIALOG_ITEM_COMBO_BOX) {
        Fl_Choice* combo = static_cast<Fl_Choice*>(widget);
        // Items are drawn as labels, where '&' marks a mnemonic: double it to show it.
        for (std::string& text : texts) {
            for (size_t at = text.find('&'); at != std::string::npos; at = text.find('&', at + 2)) text.insert(at, "&");
        }
        int same = combo->size() - 1 == static_cast<int>(texts.size());
        for (int i = 0; same && i < static_cast<int>(texts.size()); ++i)
            same = texts[static_cast<size_t>(i)] == combo->text(i);
        if (!same) {
            combo->clear();
            // add() reads '/', '&' and '_' as menu syntax; replace() takes the text as it is.
            for (size_t i = 0; i < texts.size(); ++i) combo->replace(combo->add("x"), texts[i].c_str());
        }
        if (combo->value() != selection) combo->value(selection);
    }
}

void SyncControl(WindowHandle dialog, const FltkControl& control) {
    Fl_Widget* widget = control.widget;
    int id = control.id;
    if (id == -1) return;
    if (IsDialogItemEnabled(dialog, id)) widget->activate();
    else widget->deactivate();
    if (IsDialogItemShown(dialog, id)) widget->show();
    else widget->hide();
    std::string text = GetItemText(dialog, id);
    switch (control.kind) {
    case DIALOG_ITEM_EDIT: {
        Fl_Input* edit = static_cast<Fl_Input*>(widget);
        if (text != edit->value()) edit->value(text.c_str());
        break;
    }
    case DIALOG_ITEM_LIST_BOX:
    case DIALOG_ITEM_COMBO_BOX:
        SyncListItems(widget, control.kind, dialog, id);
        break;
    case DIALOG_ITEM_CHECKBOX:
    case DIALOG_ITEM_RADIO:
        static_cast<Fl_Button*>(widget)->value(IsDialogButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0);
        if (widget->label() == nullptr || text != widget->label()) widget->copy_label(text.c_str());
        break;
    case DIALOG_ITEM_TAB:
    case DIALOG_ITEM_IMAGE:
        break;
    default:
        if (widget->label() == nullptr || text != widget->label()) widget->copy_label(text.c_str());
        break;
    }
    widget->redraw();
}

}  // namespace

void CreateFltkDialogControls(FltkWindowRecord* record) {
    const DialogTemplate* t = GetUiDialogTemplate(record->window);
    if (t == nullptr || t->items == nullptr) return;
    for (int i = 0; i < t->itemCount; ++i) {
        Fl_Group::current(nullptr);
        Fl_Widget* widget = CreateControl(t->items[i]);
        record->top->add(widget);
        record->controls.push_back(FltkControl{t->items[i].id, t->items[i].kind, widget});
    }
    Fl_Group::current(nullptr);
    SyncFltkDialogItem(record, -1);
}

void SyncFltkDialogItem(FltkWindowRecord* record, int id) {
    if (record == nullptr) return;
    // A radio button's click also clears the others of its group: show every radio button again.
    int radio = 0;
    for (const FltkControl& control : record->controls) {
        if (control.id == id && control.kind == DIALOG_ITEM_RADIO) radio = 1;
    }
    for (const FltkControl& control : record->controls) {
        if (id == -1 || control.id == id || (radio && control.kind == DIALOG_ITEM_RADIO))
            SyncControl(record->window, control);
    }
}
