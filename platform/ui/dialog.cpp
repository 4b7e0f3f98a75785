// Dialogs from templates: modal and modeless dialogs, their procedures, preset answers for tests
// and unattended runs, and the control model with the notifications a user's actions send.
#include <deque>
#include <map>
#include "platform/ui/ui_internal.h"

namespace {

constexpr intptr_t kNoPreset = -1000000;

std::mutex g_PresetLock;
std::map<int, std::deque<int>> g_DialogPresets;   // guarded by g_PresetLock

intptr_t TakeDialogPreset(int templateId) {
    std::lock_guard<std::mutex> guard(g_PresetLock);
    auto found = g_DialogPresets.find(templateId);
    if (found == g_DialogPresets.end() || found->second.empty()) return kNoPreset;
    int command = found->second.front();
    found->second.pop_front();
    return command;
}

DialogState* GetDialogState(UiWindow* w) { return w != nullptr && w->dialog ? w->dialog.get() : nullptr; }

// The window procedure of every dialog: forwards to the dialog procedure from WM_INITDIALOG on;
// an unhandled WM_CLOSE becomes IDCANCEL.
intptr_t DialogWindowProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    DialogState* state = GetDialogState(window);
    if (state == nullptr) return DefaultWindowProc(window, message, wParam, lParam);
    if (!state->initialised || state->dialogProc == nullptr) return 0;
    intptr_t handled = state->dialogProc(window, message, wParam, lParam);
    if (handled == 0 && message == WM_CLOSE) {
        SendUiMessage(window, WM_COMMAND, MakeParam(IDCANCEL, BN_CLICKED), 0);
    } else if (handled == 0 && message == WM_SYSCOMMAND) {
        DefaultWindowProc(window, message, wParam, lParam);
    }
    return handled;
}

std::unique_ptr<DialogState> MakeDialogState(const DialogTemplate* t, WindowProc proc, intptr_t param) {
    auto state = std::make_unique<DialogState>();
    state->dialogTemplate = t;
    state->dialogProc = proc;
    state->param = param;
    for (int i = 0; i < t->itemCount && t->items != nullptr; ++i) {
        const DialogItemTemplate& it = t->items[i];
        DialogItemState item;
        item.id = it.id;
        item.kind = it.kind;
        item.rect = it.rect;
        item.style = it.style;
        item.text = it.caption != nullptr ? it.caption : "";
        item.checked = BST_UNCHECKED;
        item.enabled = (it.style & DIALOG_ITEM_DISABLED) == 0;
        item.shown = (it.style & DIALOG_ITEM_HIDDEN) == 0;
        item.selection = -1;
        state->items.push_back(item);
    }
    return state;
}

// Creates the dialog window (hidden) near its owner and sends WM_INITDIALOG.
UiWindow* CreateDialogWindow(const DialogTemplate* t, WindowHandle owner, WindowProc proc, intptr_t param, int modal) {
    if (t == nullptr) return nullptr;
    UiRect rect = {40, 40, 40 + t->width, 40 + t->height};
    UiRect ownerRect;
    if (GetUiWindowRect(owner, &ownerRect)) {
        rect = UiRect{ownerRect.left + 40, ownerRect.top + 40, ownerRect.left + 40 + t->width, ownerRect.top + 40 + t->height};
    }
    auto state = MakeDialogState(t, proc, param);
    state->modal = modal;
    WindowHandle dialog = CreateUiWindowOfKind(UI_WINDOW_DIALOG, "#32770", t->caption, DialogWindowProc, nullptr, owner,
                                               0, &rect, param, std::move(state));
    UiWindow* w = FindLiveWindow(dialog);
    if (w == nullptr) return nullptr;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        w->dialog->initialised = 1;
    }
    CallWindowProcedure(w, WM_INITDIALOG, 0, param);
    return IsUiWindow(w) ? w : nullptr;
}

int DialogEnded(UiWindow* w) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    return !w->alive || w->dialog->ended;
}

// The control of a dialog; lock held.
DialogItemState* FindItemLocked(WindowHandle dialog, int id) {
    UiWindow* w = FindLiveWindowLocked(dialog);
    DialogState* state = GetDialogState(w);
    if (state == nullptr) return nullptr;
    for (DialogItemState& item : state->items) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

void NoteItemChanged(WindowHandle dialog, int id) {
    UiWindow* w = FindLiveWindow(dialog);
    if (w != nullptr) NoteUiWindowChange(w, UI_CHANGE_DIALOG_ITEM, id);
}

// Sets one int field of a control and records the change; 0 when the control does not exist.
int SetItemField(WindowHandle dialog, int id, int DialogItemState::*field, int value) {
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        DialogItemState* item = FindItemLocked(dialog, id);
        if (item == nullptr) return 0;
        item->*field = value;
    }
    NoteItemChanged(dialog, id);
    return 1;
}

// One int field of a control, or missing when the control does not exist.
int GetItemField(WindowHandle dialog, int id, int DialogItemState::*field, int missing) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    DialogItemState* item = FindItemLocked(dialog, id);
    return item != nullptr ? item->*field : missing;
}

void Notify(WindowHandle dialog, int id, unsigned notification) {
    SendUiMessage(dialog, WM_COMMAND, MakeParam(static_cast<unsigned>(id), notification), 0);
}

int IsButtonKind(int kind) {
    return kind == DIALOG_ITEM_BUTTON || kind == DIALOG_ITEM_DEFAULT_BUTTON || kind == DIALOG_ITEM_CHECKBOX ||
           kind == DIALOG_ITEM_RADIO;
}

// Checks a radio button and clears the others of its group (the run of radio buttons that starts at
// the nearest DIALOG_ITEM_GROUP_START). Lock held.
void CheckRadioLocked(DialogState* state, size_t index) {
    size_t first = index;
    while (first > 0 && (state->items[first].style & DIALOG_ITEM_GROUP_START) == 0 &&
           state->items[first - 1].kind == DIALOG_ITEM_RADIO) {
        --first;
    }
    for (size_t i = first; i < state->items.size() && state->items[i].kind == DIALOG_ITEM_RADIO; ++i) {
        if (i > first && (state->items[i].style & DIALOG_ITEM_GROUP_START) != 0) break;
        state->items[i].checked = i == index ? BST_CHECKED : BST_UNCHECKED;
    }
}

}  // namespace

void ResetDialogState() { ClearDialogPresets(); }

int RunModalDialog(const DialogTemplate* dialogTemplate, WindowHandle owner, WindowProc dialogProc, intptr_t param) {
    StartEventCore(nullptr);
    if (dialogTemplate == nullptr || !IsUiThread()) return -1;
    int ownerWasEnabled = IsUiWindowEnabled(owner);
    if (ownerWasEnabled) EnableUiWindow(owner, 0);
    UiWindow* w = CreateDialogWindow(dialogTemplate, owner, dialogProc, param, 1);
    if (w == nullptr) {
        if (ownerWasEnabled) EnableUiWindow(owner, 1);
        return -1;
    }
    if (!DialogEnded(w)) ShowUiWindow(w, SW_SHOW);
    intptr_t preset = TakeDialogPreset(dialogTemplate->id);
    if (preset != kNoPreset && !DialogEnded(w)) Notify(w, static_cast<int>(preset), BN_CLICKED);
    if (IsUiUnattended() && !DialogEnded(w)) Notify(w, IDCANCEL, BN_CLICKED);
    if (IsUiUnattended() && !DialogEnded(w)) EndUiDialog(w, 0);
    while (!DialogEnded(w)) {
        if (RunUiLoopOnce(0xFFFFFFFFu, 1, nullptr) < 0) break;   // quit request or the core stopped
    }
    intptr_t result = 0;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        if (w->dialog->ended) result = w->dialog->result;
    }
    if (ownerWasEnabled) EnableUiWindow(owner, 1);
    DestroyUiWindow(w);
    return static_cast<int>(result);
}

WindowHandle CreateModelessDialog(const DialogTemplate* dialogTemplate, WindowHandle owner, WindowProc dialogProc,
                                  intptr_t param) {
    StartEventCore(nullptr);
    if (dialogTemplate == nullptr || !IsUiThread()) return nullptr;
    UiWindow* w = CreateDialogWindow(dialogTemplate, owner, dialogProc, param, 0);
    if (w != nullptr && (dialogTemplate->style & WS_VISIBLE) != 0) ShowUiWindow(w, SW_SHOW);
    return w;
}

int EndUiDialog(WindowHandle dialog, intptr_t result) {
    int modal = 0;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        DialogState* state = GetDialogState(FindLiveWindowLocked(dialog));
        if (state == nullptr) return 0;
        state->ended = 1;
        state->result = result;
        modal = state->modal;
    }
    if (!modal) ShowUiWindow(dialog, SW_HIDE);
    WakeUiThread();
    return 1;
}

int GetDialogTemplateId(WindowHandle dialog) {
    const DialogTemplate* t = GetUiDialogTemplate(dialog);
    return t != nullptr ? t->id : -1;
}

void PresetDialogCommand(int templateId, int command) {
    std::lock_guard<std::mutex> guard(g_PresetLock);
    g_DialogPresets[templateId].push_back(command);
}

void ClearDialogPresets() {
    std::lock_guard<std::mutex> guard(g_PresetLock);
    g_DialogPresets.clear();
}

// --- Control model ---------------------------------------------------------------------------------

int SetDialogItemText(WindowHandle dialog, int id, const char* text) {
    int isEdit = 0;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        DialogItemState* item = FindItemLocked(dialog, id);
        if (item == nullptr) return 0;
        item->text = text != nullptr ? text : "";
        isEdit = item->kind == DIALOG_ITEM_EDIT;
    }
    NoteItemChanged(dialog, id);
    if (isEdit) Notify(dialog, id, EN_CHANGE);
    return 1;
}

int GetDialogItemText(WindowHandle dialog, int id, char* text, int size) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    DialogItemState* item = FindItemLocked(dialog, id);
    if (item == nullptr) {
        if (text != nullptr && size > 0) text[0] = '\0';
        return 0;
    }
    return CopyUiText(item->text, text, size);
}

int CheckDialogButton(WindowHandle dialog, int id, int state) {
    return SetItemField(dialog, id, &DialogItemState::checked, state == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED);
}

int IsDialogButtonChecked(WindowHandle dialog, int id) {
    return GetItemField(dialog, id, &DialogItemState::checked, 0);
}

int EnableDialogItem(WindowHandle dialog, int id, int enable) {
    return SetItemField(dialog, id, &DialogItemState::enabled, enable ? 1 : 0);
}

int IsDialogItemEnabled(WindowHandle dialog, int id) {
    return GetItemField(dialog, id, &DialogItemState::enabled, 0);
}

int ShowDialogItem(WindowHandle dialog, int id, int show) {
    return SetItemField(dialog, id, &DialogItemState::shown, show ? 1 : 0);
}

int IsDialogItemShown(WindowHandle dialog, int id) {
    return GetItemField(dialog, id, &DialogItemState::shown, 0);
}

int GetDialogItemKind(WindowHandle dialog, int id) {
    return GetItemField(dialog, id, &DialogItemState::kind, -1);
}

int AddDialogListItem(WindowHandle dialog, int id, const char* text) {
    int index = -1;
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        DialogItemState* item = FindItemLocked(dialog, id);
        if (item == nullptr) return -1;
        item->listItems.push_back(text != nullptr ? text : "");
        index = static_cast<int>(item->listItems.size()) - 1;
    }
    NoteItemChanged(dialog, id);
    return index;
}

int ClearDialogList(WindowHandle dialog, int id) {
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        DialogItemState* item = FindItemLocked(dialog, id);
        if (item == nullptr) return 0;
        item->listItems.clear();
        item->selection = -1;
    }
    NoteItemChanged(dialog, id);
    return 1;
}

int CountDialogListItems(WindowHandle dialog, int id) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    DialogItemState* item = FindItemLocked(dialog, id);
    return item != nullptr ? static_cast<int>(item->listItems.size()) : 0;
}

int GetDialogListItemText(WindowHandle dialog, int id, int index, char* text, int size) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    DialogItemState* item = FindItemLocked(dialog, id);
    if (item == nullptr || index < 0 || index >= static_cast<int>(item->listItems.size())) {
        if (text != nullptr && size > 0) text[0] = '\0';
        return 0;
    }
    return CopyUiText(item->listItems[static_cast<size_t>(index)], text, size);
}

int SetDialogListSelection(WindowHandle dialog, int id, int index) {
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        DialogItemState* item = FindItemLocked(dialog, id);
        if (item == nullptr) return 0;
        item->selection = index >= 0 && index < static_cast<int>(item->listItems.size()) ? index : -1;
    }
    NoteItemChanged(dialog, id);
    return 1;
}

int GetDialogListSelection(WindowHandle dialog, int id) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    DialogItemState* item = FindItemLocked(dialog, id);
    return item != nullptr ? item->selection : -1;
}

// --- A user's actions ------------------------------------------------------------------------------

int ClickDialogItem(WindowHandle dialog, int id) {
    {
        std::lock_guard<std::mutex> guard(g_UiCore.lock);
        DialogItemState* item = FindItemLocked(dialog, id);
        if (item == nullptr || !item->enabled || !IsButtonKind(item->kind)) return 0;
        if (item->kind == DIALOG_ITEM_CHECKBOX) {
            item->checked = item->checked == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        } else if (item->kind == DIALOG_ITEM_RADIO) {
            DialogState* state = GetDialogState(FindLiveWindowLocked(dialog));
            CheckRadioLocked(state, static_cast<size_t>(item - state->items.data()));
        }
    }
    NoteItemChanged(dialog, id);
    Notify(dialog, id, BN_CLICKED);
    return 1;
}

int TypeDialogItemText(WindowHandle dialog, int id, const char* text) {
    if (!IsDialogItemEnabled(dialog, id)) return 0;
    return SetDialogItemText(dialog, id, text);
}

int SelectDialogListItem(WindowHandle dialog, int id, int index) {
    if (!IsDialogItemEnabled(dialog, id) || !SetDialogListSelection(dialog, id, index)) return 0;
    Notify(dialog, id, LBN_SELCHANGE);
    return 1;
}
