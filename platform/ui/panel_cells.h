// The panel-cell model: what a window's panel shows, as numbered cells (rectangle, text, border
// style, colours). Any thread draws into the model under the panel lock and asks for a redraw; the
// UI thread (the backend) draws the model. Tests read the cells directly.
#pragma once
#include "platform/ui/event_core.h"

constexpr int kPanelMaxCells = 160;
constexpr int kPanelCellTextMax = 256;

enum PanelCellKind {
    PANEL_CELL_EMPTY = 0,        // never drawn
    PANEL_CELL_STATUS_TEXT = 1,  // status-text cell: tab-split alignment, border by style
    PANEL_CELL_FILL = 2,         // rectangle filled with fillColour
    PANEL_CELL_PLAIN_TEXT = 3,   // text centred in the rectangle, transparent background
};

struct PanelCell {
    int kind;                          // PanelCellKind
    UiRect rect;                       // client pixels of the panel's window
    int style;                         // 0 sunken, SBT_POPOUT raised, SBT_NOBORDERS none
    unsigned textColour;               // 0x00BBGGRR
    unsigned fillColour;               // 0x00BBGGRR (PANEL_CELL_FILL, and the background of text cells)
    char text[kPanelCellTextMax];      // UTF-8; "\t" splits left, centred and right parts
};

// Brackets a group of cell drawings of the calling thread (they nest): the redraw request is made
// once, at the outermost EndPanelUpdate. No lock is held in between, so the thread may send messages
// inside the bracket; every single cell write is atomic under the panel lock.
void BeginPanelUpdate(WindowHandle window);
void EndPanelUpdate(WindowHandle window);

// Draws one cell into the model (any thread) and asks for a redraw unless inside a bracket. Text
// longer than the cell holds is cut at a character boundary. Returns 1, 0 for a dead window or an
// index out of range.
int DrawPanelStatusText(WindowHandle window, int index, const UiRect* rect, const char* text, int style,
                        unsigned textColour, unsigned backgroundColour);
int FillPanelCell(WindowHandle window, int index, const UiRect* rect, unsigned colour);
int DrawPanelPlainText(WindowHandle window, int index, const UiRect* rect, const char* text, unsigned textColour);
int ClearPanelCell(WindowHandle window, int index);

// Copies cell index (under the lock). Returns 1, or 0 when out of range or the window is dead.
int GetPanelCell(WindowHandle window, int index, PanelCell* cell);
// Copies every cell (count kPanelMaxCells) under the lock for drawing. Returns the count copied.
int CopyPanelCells(WindowHandle window, PanelCell* cells, int maxCount);
// How many times the UI thread drew this window's panel (for tests).
int GetPanelDrawCount(WindowHandle window);
