// The program's frame on a real X display. FrameUnderXvfb starts this program again under xvfb-run with
// QUMBRA_FRAME_UNDER_XVFB=1 for each language; the FrameOnDisplay tests run only there: the program
// starts with a tool table, controller and machine file on its command line, shows its menu (Japanese,
// or English with "qumbra5000.mes" in its folder), the ten status-bar parts, the title and the view
// child, a screenshot is taken and read back, and closing the frame ends the program with exit code 0
// and its settings saved.
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
#include "app/frame_window.h"
#include "platform/ui/shell_services.h"
#include "app/startup.h"
#include "platform/os/clock.h"
#include "platform/os/files.h"
#include "platform/ui/event_core.h"
#include "platform/ui/fltk/fltk_backend.h"
#include "platform/ui/menu.h"
#include "platform/ui/status_bar.h"
#include "tests/xvfb_rerun.h"

namespace {

const char kInnerVariable[] = "QUMBRA_FRAME_UNDER_XVFB";

// --- The outer run: this program under Xvfb, once per language --------------------------------------

TEST(FrameUnderXvfb, ShowsTheFrameInBothLanguages)
{
    if (IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "this is the run under Xvfb";
    if (!HasXvfbRun()) GTEST_SKIP() << "xvfb-run is not installed";
    CheckTestsUnderXvfb(kInnerVariable, "FrameOnDisplay.Japanese", 1);
    CheckTestsUnderXvfb(kInnerVariable, "FrameOnDisplay.English", 1);
}

// --- The inner runs ----------------------------------------------------------------------------------

const UiBackend* OpenDisplay(int silent)
{
    if (silent || !OpenFltkDisplay()) return nullptr;
    return GetFltkBackend();
}

// What the watcher saw of the shown frame (filled on the UI thread).
struct FrameFacts {
    std::string title;
    std::string expectedTitle;
    std::string barCaption;
    std::string selectLabel;
    unsigned reportFlags = 0;
    int partCount = 0;
    int viewVisible = 0;
    int viewHasGl = 0;
    int clientX = 0;
    int clientY = 0;
    UiRect viewRect = {0, 0, 0, 0};
};

intptr_t CollectFacts(void* context)
{
    FrameFacts* facts = static_cast<FrameFacts*>(context);
    char text[FRAME_TITLE_SIZE];
    GetUiWindowText(g_MainWindow, text, sizeof text);
    facts->title = text;
    ComposeMainTitle(text, sizeof text);
    facts->expectedTitle = text;
    GetUiMenuItemCaption(g_MainMenu, 0, MF_BYPOSITION, text, sizeof text);
    facts->barCaption = text;
    DescribeFltkMenuItem(g_MainWindow, 32771, text, sizeof text, nullptr);
    facts->selectLabel = text;
    DescribeFltkMenuItem(g_MainWindow, 32773, nullptr, 0, &facts->reportFlags);
    int parts[16];
    facts->partCount = GetStatusBarParts(g_StatusBarWindow, parts, 16);
    facts->viewVisible = IsUiWindowVisible(g_ViewWindow);
    facts->viewHasGl = HasUiGlContext(g_ViewWindow);
    GetFltkClientOrigin(g_MainWindow, &facts->clientX, &facts->clientY);
    facts->viewRect = g_ViewRect;
    SyncFltkDisplay();
    return 1;
}

intptr_t IsFrameShown(void*)
{
    char title[8];
    return g_MainWindow != nullptr && g_ViewCreated && GetUiWindowText(g_MainWindow, title, sizeof title) > 0;
}

// The mean grey level (0 .. 1) and its spread over a rectangle of the screenshot.
void MeasureArea(const std::string& shot, int x, int y, int width, int height, double* mean, double* spread)
{
    char command[512];
    std::snprintf(command, sizeof command, "convert '%s' -crop %dx%d+%d+%d -colorspace Gray -format '%%[fx:mean] %%[fx:standard_deviation]' info:",
                  shot.c_str(), width, height, x, y);
    *mean = *spread = -1.0;
    FILE* pipe = popen(command, "r");
    if (pipe == nullptr) return;
    if (std::fscanf(pipe, "%lf %lf", mean, spread) != 2) *mean = *spread = -1.0;
    pclose(pipe);
}

void RunFrameOnDisplay(int english)
{
    if (!IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "runs under Xvfb only (FrameUnderXvfb starts it)";
    TempFolder folder;
    if (english) {
        std::system(("cp '" QUMBRA_SOURCE_DIR "/resources/qumbra5000.mes' '" + folder.path + "/'").c_str());
    }
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder.path.c_str()), 0);
    const std::string demo = std::string(QUMBRA_SOURCE_DIR) + "/examples/";
    const std::string line = "-I" + folder.File("qumbra.ini") + " " + demo + "demo.ttl " + demo + "fanuc_demo.ctl " +
                             demo + "vmc3.mtl";
    const std::string shot = folder.File("shot.png");
    FrameFacts facts;
    std::atomic<int> shown{0};
    std::thread watcher([&] {
        for (int i = 0; i < 300 && !shown; ++i) {
            SleepMs(100);
            if (RunOnUiThread(IsFrameShown, nullptr)) shown = 1;
        }
        if (shown) {
            SleepMs(300);
            RunOnUiThread(CollectFacts, &facts);
            std::system(("import -window root '" + shot + "'").c_str());
        }
        PostUiMessage(g_MainWindow, WM_CLOSE, 0, 0);
        PostUiMessage(g_MainWindow, WM_CLOSE, 0, 0);   // a second close request does nothing more
    });
    const int exitCode = RunProgram(line.c_str(), SW_SHOWNORMAL, OpenDisplay);
    watcher.join();
    CloseFltkDisplay();
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(shown.load(), 1);
    EXPECT_EQ(facts.title, facts.expectedTitle);
    EXPECT_NE(facts.title.find("(demo,fanuc_demo,vmc3)"), std::string::npos) << facts.title;
    EXPECT_EQ(facts.barCaption, english ? "NC Data(&N)" : "NCデータ(&N)");
    EXPECT_NE(facts.selectLabel.find(english ? "Select" : "選択"), std::string::npos) << facts.selectLabel;
    EXPECT_EQ(facts.reportFlags & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(facts.partCount, STATUS_BAR_PART_COUNT);
    EXPECT_EQ(facts.viewVisible, 1);
    EXPECT_EQ(facts.viewHasGl, 1);
    EXPECT_EQ(DoesFileExist(folder.File("qumbra.ini").c_str()), 1);   // the settings were saved at exit
    ASSERT_EQ(DoesFileExist(shot.c_str()), 1);
    // The menu bar carries text (light with dark letters), the view is a dark area of its own.
    double mean = 0.0;
    double spread = 0.0;
    MeasureArea(shot, facts.clientX + 2, facts.clientY - 22, 400, 18, &mean, &spread);
    EXPECT_GT(mean, 0.4);
    EXPECT_GT(spread, 0.05);
    MeasureArea(shot, facts.clientX + facts.viewRect.left + 20, facts.clientY + facts.viewRect.top + 20, 200, 200,
                &mean, &spread);
    EXPECT_GE(mean, 0.0);
    EXPECT_LT(spread, 0.05);
    EXPECT_EQ(chdir(previous), 0);
}

TEST(FrameOnDisplay, Japanese) { RunFrameOnDisplay(0); }
TEST(FrameOnDisplay, English) { RunFrameOnDisplay(1); }

}  // namespace

// --- A run on the display ----------------------------------------------------------------------------

#include "platform/ui/panel_cells.h"
#include "platform/ui/progress.h"
#include "view/status_panel.h"

namespace {

struct RunFacts {
    int sawRun = 0;
    int ended = 0;
    int counter = 0;      // the main progress counter: bytes of the NC file the run reached
    std::string axisValues[3];
    std::string stopGo;
    std::string stopNone;
};

intptr_t SampleRun(void* context)
{
    RunFacts* facts = static_cast<RunFacts*>(context);
    if (g_RunMode != 0) {
        facts->sawRun = 1;
        if (GetProgress() > facts->counter) facts->counter = GetProgress();
        return 0;
    }
    if (!facts->sawRun) return 0;
    if (GetProgress() > facts->counter) facts->counter = GetProgress();
    PanelCell cell{};
    for (int a = 0; a < 3; ++a) {
        if (GetPanelCell(g_MainWindow, CELL_AXIS_VALUE + a, &cell)) facts->axisValues[a] = cell.text;
    }
    if (GetPanelCell(g_MainWindow, CELL_STOP_GO, &cell)) facts->stopGo = cell.text;
    if (GetPanelCell(g_MainWindow, CELL_STOP_NONE, &cell)) facts->stopNone = cell.text;
    facts->ended = 1;
    return 1;
}

}  // namespace

TEST(FrameUnderXvfb, CutsTheDemoWithThePanelsShown)
{
    if (IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "this is the run under Xvfb";
    if (!HasXvfbRun()) GTEST_SKIP() << "xvfb-run is not installed";
    CheckTestsUnderXvfb(kInnerVariable, "FrameOnDisplay.CutsTheDemo", 1);
}

// The demo cut in the window (-X4 keeps the frame open when the run has ended): the axis value cells
// show the end position in the controller's format, the stop-mode cells are drawn, the progress went
// up to the end of the NC file.
TEST(FrameOnDisplay, CutsTheDemo)
{
    if (!IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "runs under Xvfb only (FrameUnderXvfb starts it)";
    TempFolder folder;
    const std::string demo = std::string(QUMBRA_SOURCE_DIR) + "/examples/";
    for (const char* name : {"qumbra.ini", "demo.ttl", "fanuc_demo.ctl", "vmc3.mtl", "pocket.nc"}) {
        std::system(("cp '" + demo + name + "' '" + folder.path + "/'").c_str());
    }
    InFolder inside(folder.path);
    const std::string line = "-Iqumbra.ini -X4 \"-D(100,80,0,0,0,-25)\" pocket.nc";
    RunFacts facts;
    std::thread watcher([&] {
        for (int i = 0; i < 20000 && !facts.ended; ++i) {
            SleepMs(2);
            if (g_MainWindow != nullptr && g_ViewCreated) RunOnUiThread(SampleRun, &facts);
        }
        PostUiMessage(g_MainWindow, WM_CLOSE, 0, 0);
    });
    const int exitCode = RunProgram(line.c_str(), SW_SHOWNORMAL, OpenDisplay);
    watcher.join();
    CloseFltkDisplay();
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(facts.ended, 1);
    std::string program;
    ReadWholeFile((demo + "pocket.nc").c_str(), &program);
    EXPECT_GE(facts.counter, static_cast<int>(program.size()) - 8);
    // The demo ends at its start point above the work: every value in the 1/1000 format "\t\t%9.3f".
    for (const std::string& value : facts.axisValues) {
        ASSERT_GT(value.size(), 2u);
        EXPECT_EQ(value.substr(0, 2), "\t\t");
        EXPECT_EQ(value.size(), 11u) << value;
        EXPECT_EQ(value[value.size() - 4], '.') << value;
    }
    EXPECT_NE(facts.stopGo, "");
    EXPECT_NE(facts.stopNone, "");
}
