// The run's display: panel drawing through the view's hooks (or the frame's panel cell), and the
// display handshake with the frame's run poll.
#include "simulation/run_display.h"

#include "platform/os/clock.h"
#include "platform/ui/event_core.h"
#include "platform/ui/panel_cells.h"
#include "platform/ui/shell_services.h"
#include "simulation/run_state.h"

RunDisplayHooks g_RunDisplayHooks = {nullptr, nullptr};

void DrawRunNcBlockRow()
{
    if (g_RunDisplayHooks.drawNcBlockRow != nullptr) {
        g_RunDisplayHooks.drawNcBlockRow();
        return;
    }
    if (g_MainWindow == nullptr || !IsUiWindow(g_MainWindow)) return;
    PanelCell cell;
    if (!GetPanelCell(g_MainWindow, RUN_NC_ROW_CELL, &cell)) return;
    DrawPanelStatusText(g_MainWindow, RUN_NC_ROW_CELL, &cell.rect, g_CurrentBlockText, cell.style, cell.textColour,
                        cell.fillColour);
}

void DrawRunAxisValues(int force)
{
    if (g_RunDisplayHooks.drawAxisValuesPanel != nullptr) g_RunDisplayHooks.drawAxisValuesPanel(force);
}

int IsFrameMinimised()
{
    return g_MainWindow != nullptr && IsUiWindowMinimised(g_MainWindow);
}

void WaitForStepDisplay(int clearStepRequest)
{
    StoreRunFlag(g_StepDisplayWait, 1);
    if (clearStepRequest) StoreRunFlag(g_StepDisplayRequest, 0);
    while (LoadRunFlag(g_StepDisplayWait)) {
        if (LoadRunFlag(g_AbortRequest)) {
            StoreRunFlag(g_StepDisplayWait, 0);
            return;
        }
        SleepMs(5);
    }
}
