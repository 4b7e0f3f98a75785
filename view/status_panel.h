// The status panel drawn on the frame's client area: the cells the frame's layout reads and the paint of
// the whole panel. Stand-in (status_panel_standin.cpp) until the panel drawing is built: nothing is drawn.
#pragma once
#include "platform/ui/ui_types.h"

// Cells of g_StatusPanelCells (machine_setup_state.h) that the frame's layout uses.
enum StatusPanelCell {
    CELL_NC_LABEL = 0,      // NC row label
    CELL_NC_TEXT = 1,       // NC row text, to the client's right edge
    CELL_PANEL_FRAME = 2    // the frame of the panel column, to the client's bottom
};

// Paints the whole status panel of the frame (stand-in: the paint bracket only).
void PaintFrameWindow(WindowHandle frame);
