// The panel-cell model: cells written by any thread under the panel lock, a redraw request per
// write or per bracket, and the copies the backend draws from and tests read.
#include <cstring>
#include "platform/ui/ui_internal.h"

namespace {

std::mutex g_PanelLock;           // guards every PanelModel's cells
thread_local int t_PanelBracketDepth = 0;
thread_local int t_PanelBracketChanged = 0;

// The window's model, made on first use; null for a dead window.
PanelModel* GetModel(UiWindow* w) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    if (!w->alive) return nullptr;
    if (!w->panel) {
        w->panel = std::make_unique<PanelModel>();
        std::memset(w->panel->cells, 0, sizeof(w->panel->cells));
    }
    return w->panel.get();
}

void RequestPanelDraw(UiWindow* w) {
    if (t_PanelBracketDepth > 0) {
        t_PanelBracketChanged = 1;
        return;
    }
    NoteUiWindowChange(w, UI_CHANGE_PANEL, -1);
}

int WriteCell(WindowHandle window, int index, const PanelCell& cell) {
    if (index < 0 || index >= kPanelMaxCells) return 0;
    UiWindow* w = FindLiveWindow(window);
    if (w == nullptr) return 0;
    PanelModel* model = GetModel(w);
    if (model == nullptr) return 0;
    {
        std::lock_guard<std::mutex> guard(g_PanelLock);
        model->cells[index] = cell;
    }
    RequestPanelDraw(w);
    return 1;
}

PanelCell MakeCell(int kind, const UiRect* rect, const char* text, int style, unsigned textColour, unsigned fill) {
    PanelCell cell;
    std::memset(&cell, 0, sizeof(cell));
    cell.kind = kind;
    if (rect != nullptr) cell.rect = *rect;
    cell.style = style;
    cell.textColour = textColour;
    cell.fillColour = fill;
    CopyUiTextToArray(text, cell.text, kPanelCellTextMax);
    return cell;
}

}  // namespace

void BeginPanelUpdate(WindowHandle window) {
    (void)window;
    if (t_PanelBracketDepth++ == 0) t_PanelBracketChanged = 0;
}

void EndPanelUpdate(WindowHandle window) {
    if (t_PanelBracketDepth <= 0) return;
    if (--t_PanelBracketDepth > 0 || !t_PanelBracketChanged) return;
    t_PanelBracketChanged = 0;
    UiWindow* w = FindLiveWindow(window);
    if (w != nullptr) NoteUiWindowChange(w, UI_CHANGE_PANEL, -1);
}

int DrawPanelStatusText(WindowHandle window, int index, const UiRect* rect, const char* text, int style,
                        unsigned textColour, unsigned backgroundColour) {
    return WriteCell(window, index, MakeCell(PANEL_CELL_STATUS_TEXT, rect, text, style, textColour, backgroundColour));
}

int FillPanelCell(WindowHandle window, int index, const UiRect* rect, unsigned colour) {
    return WriteCell(window, index, MakeCell(PANEL_CELL_FILL, rect, "", SBT_NOBORDERS, 0, colour));
}

int DrawPanelPlainText(WindowHandle window, int index, const UiRect* rect, const char* text, unsigned textColour) {
    return WriteCell(window, index, MakeCell(PANEL_CELL_PLAIN_TEXT, rect, text, SBT_NOBORDERS, textColour, 0));
}

int ClearPanelCell(WindowHandle window, int index) {
    return WriteCell(window, index, MakeCell(PANEL_CELL_EMPTY, nullptr, "", 0, 0, 0));
}

int GetPanelCell(WindowHandle window, int index, PanelCell* cell) {
    if (index < 0 || index >= kPanelMaxCells || cell == nullptr) return 0;
    UiWindow* w = FindLiveWindow(window);
    if (w == nullptr) return 0;
    PanelModel* model = GetModel(w);
    if (model == nullptr) return 0;
    std::lock_guard<std::mutex> guard(g_PanelLock);
    *cell = model->cells[index];
    return 1;
}

int CopyPanelCells(WindowHandle window, PanelCell* cells, int maxCount) {
    UiWindow* w = FindLiveWindow(window);
    if (w == nullptr || cells == nullptr) return 0;
    PanelModel* model = GetModel(w);
    if (model == nullptr) return 0;
    int count = maxCount < kPanelMaxCells ? maxCount : kPanelMaxCells;
    std::lock_guard<std::mutex> guard(g_PanelLock);
    for (int i = 0; i < count; ++i) cells[i] = model->cells[i];
    return count;
}

int GetPanelDrawCount(WindowHandle window) {
    std::lock_guard<std::mutex> guard(g_UiCore.lock);
    UiWindow* w = FindLiveWindowLocked(window);
    return w != nullptr && w->panel ? w->panel->drawCount : 0;
}
