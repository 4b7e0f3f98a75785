// The status panel and the progress display on a real X display. PanelUnderXvfb starts this program
// again under xvfb-run with QUMBRA_PANEL_UNDER_XVFB=1; PanelOnDisplay runs only there: a frame with its
// status bar and two progress bars on the real backend, a worker thread that plays the simulation
// thread (advancing the progress and redrawing the axis values inside the panel bracket) while the
// user-interface thread paints and polls the progress, until the progress reaches its end. The cells
// show the axis values in the format of the input increment, the stop-mode row and the pitch, and a
// screenshot shows the drawn panel column.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "../app/app_test_support.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "platform/os/clock.h"
#include "platform/ui/event_core.h"
#include "platform/ui/fltk/fltk_backend.h"
#include "platform/ui/panel_cells.h"
#include "platform/ui/progress.h"
#include "platform/ui/shell_services.h"
#include "platform/ui/status_bar.h"
#include "view/progress_display.h"
#include "view/status_panel.h"
#include "work_model/work_values.h"
#include "tests/xvfb_rerun.h"

namespace {

const char kInnerVariable[] = "QUMBRA_PANEL_UNDER_XVFB";

TEST(PanelUnderXvfb, DrawsPanelsAndProgressOnADisplay)
{
    if (IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "this is the run under Xvfb";
    if (!HasXvfbRun()) GTEST_SKIP() << "xvfb-run is not installed";
    CheckTestsUnderXvfb(kInnerVariable, "PanelOnDisplay.*", 0);
}

// --- The inner run -----------------------------------------------------------------------------------

intptr_t FrameProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (message == WM_PAINT) {
        PaintFrameWindow(window);
        return 0;
    }
    return DefaultWindowProc(window, message, wParam, lParam);
}

std::string CellText(WindowHandle frame, int index)
{
    PanelCell cell;
    std::memset(&cell, 0, sizeof cell);
    GetPanelCell(frame, index, &cell);
    return cell.text;
}

int CellStyle(WindowHandle frame, int index)
{
    PanelCell cell;
    std::memset(&cell, 0, sizeof cell);
    GetPanelCell(frame, index, &cell);
    return cell.style;
}

// The mean grey level (0 .. 1) and its spread over a rectangle of the screenshot.
void MeasureArea(const std::string& shot, int x, int y, int width, int height, double* mean, double* spread)
{
    char command[512];
    std::snprintf(command, sizeof command,
                  "convert '%s' -crop %dx%d+%d+%d -colorspace Gray -format '%%[fx:mean] %%[fx:standard_deviation]' info:",
                  shot.c_str(), width, height, x, y);
    *mean = *spread = -1.0;
    FILE* pipe = popen(command, "r");
    if (pipe == nullptr) return;
    if (std::fscanf(pipe, "%lf %lf", mean, spread) != 2) *mean = *spread = -1.0;
    pclose(pipe);
}

TEST(PanelOnDisplay, CellsAndProgressDuringARun)
{
    if (!IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "runs under Xvfb only (PanelUnderXvfb starts it)";
    ASSERT_EQ(OpenFltkDisplay(), 1);
    ASSERT_EQ(StartEventCore(GetFltkBackend()), 1);
    g_SilentMode = 0;
    g_EnglishUi = 1;
    InstallStatusPanelHooks();
    InstallProgressDisplayHooks();
    g_AxisCount = 5;
    LayOutStatusPanelCells(5);
    const char letters[6] = "XYZBC";
    for (int k = 0; k < 5; ++k) {
        g_AxisLabelCells[k][0] = '\t';
        g_AxisLabelCells[k][1] = letters[k];
        g_AxisLabelCells[k][2] = '\0';
    }
    g_InputIncrement = 100;   // "UNIT" 0.01
    g_StopMode = 3;
    g_WorkPitch = 0.5;
    g_ControllerNameTextColour[0] = 255;
    std::snprintf(g_ControllerName, sizeof g_ControllerName, "FANUC");
    g_ControllerNameLength = 5;
    g_ControlPoint = AxisPosition{{0, 0, 0, 0, 0}};

    const UiRect rect = {40, 40, 800, 600};
    WindowHandle frame = CreateUiWindow("PanelFrame", "panel", FrameProc, nullptr, 0, &rect, 0);
    ASSERT_NE(frame, nullptr);
    g_MainWindow = frame;
    g_StatusBarWindow = CreateStatusBar(frame, 22);
    const int parts[3] = {140, 190, -1};
    SetStatusBarParts(g_StatusBarWindow, 3, parts);
    UiRect part;
    GetStatusBarPartRect(g_StatusBarWindow, 0, &part);
    g_ProgressBar = CreateProgressBar(g_StatusBarWindow, &part, "ProgressBar");
    GetStatusBarPartRect(g_StatusBarWindow, 2, &part);
    g_ProgressBar2 = CreateProgressBar(g_StatusBarWindow, &part, "ProgressBar2");
    UiRect client;
    GetUiClientRect(frame, &client);
    g_StatusPanelCells[CELL_NC_TEXT].right = client.right;
    g_StatusPanelCells[CELL_PANEL_FRAME].bottom = client.bottom - 22;
    ShowUiWindow(frame, SW_SHOWNORMAL);
    const uint64_t start = GetTickCountMs();
    while (GetPanelDrawCount(frame) == 0 && GetTickCountMs() - start < 10000) RunUiLoopOnce(10, 1, nullptr);
    ASSERT_GT(GetPanelDrawCount(frame), 0);

    // The run: the user-interface thread begins the progress and polls it; the worker advances it and
    // redraws the axis values, as the simulation thread does.
    g_RunMode = 1;
    BeginProgress(frame, 1, 400, nullptr, 1, "切削", "Cut");
    std::atomic<int> done{0};
    std::thread simulation([&] {
        for (int k = 1; k <= 400; ++k) {
            AddProgress(1);
            if (k % 40 == 0) {
                BeginPanelDraw(frame);
                g_ControlPoint.axis[0] = 123.456;
                g_ControlPoint.axis[1] = -7.0 * k;
                DrawAxisValuesPanel(1);
                DrawStopModeRow();
                EndPanelDraw(frame);
            }
            SleepMs(1);
        }
        done = 1;
    });
    const uint64_t runStart = GetTickCountMs();
    int perMille = 0;
    while ((!done || perMille < 1000) && GetTickCountMs() - runStart < 20000) {
        RunUiLoopOnce(5, 1, nullptr);
        perMille = UpdateProgress(0);
    }
    simulation.join();
    EXPECT_EQ(perMille, 1000);
    ProgressBarState bar = {};
    GetProgressBarState(g_ProgressBar, &bar);
    EXPECT_EQ(bar.position, 1000);
    EXPECT_EQ(bar.shown, 1);
    char percent[32] = "";
    GetStatusBarPartText(g_StatusBarWindow, 1, percent, sizeof percent, nullptr);
    EXPECT_STREQ(percent, "100.0%");
    EXPECT_EQ(CellText(frame, CELL_AXIS_VALUE + 0), "\t\t  123.46");
    EXPECT_EQ(CellText(frame, CELL_AXIS_VALUE + 1), "\t\t-2800.00");
    EXPECT_EQ(CellText(frame, CELL_STOP_SINGLE), "\tSingle");
    EXPECT_EQ(CellStyle(frame, CELL_STOP_SINGLE), 0) << "the chosen stop mode is pressed";
    EXPECT_EQ(CellStyle(frame, CELL_STOP_GO), SBT_POPOUT) << "raised during the run";
    EXPECT_EQ(CellText(frame, CELL_PITCH), "\tPitch:0.500\t");

    // Let the display catch up, then look at the panel column.
    for (int k = 0; k < 40; ++k) RunUiLoopOnce(10, 1, nullptr);
    SyncFltkDisplay();
    TempFolder folder;
    const std::string shot = folder.File("shot.png");
    if (std::system(("import -window root '" + shot + "' 2> /dev/null").c_str()) == 0) {
        int x = 0;
        int y = 0;
        GetFltkClientOrigin(frame, &x, &y);
        double mean = 0.0;
        double spread = 0.0;
        MeasureArea(shot, x + 5, y + 37, 130, 75, &mean, &spread);   // the axis rows
        EXPECT_GT(spread, 0.05) << "the axis cells carry text";
    }

    g_RunMode = 0;
    EndProgress();
    GetProgressBarState(g_ProgressBar, &bar);
    EXPECT_EQ(bar.shown, 0);
    DestroyUiWindow(frame);
    g_MainWindow = g_StatusBarWindow = g_ProgressBar = g_ProgressBar2 = nullptr;
    g_ProgressHooks = ProgressHooks{};
    StopEventCore();
    CloseFltkDisplay();
}

}  // namespace
