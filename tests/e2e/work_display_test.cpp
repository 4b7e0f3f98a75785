// The work display on a real X display. WorkViewUnderXvfb starts this program again under xvfb-run
// with QUMBRA_WORK_VIEW_UNDER_XVFB=1; the WorkViewOnDisplay test runs only there: a box work is shown
// from above, then a flat tool of pen 3 cuts a slot into it, the view is painted again (only the cut
// blocks are compiled anew), saved as a PNG file, read back, and the slot floor must show pen 3's
// colour while the uncut top keeps the work colour. The WorkRunOnDisplay tests run the program itself
// there: "-X1" makes the optimal stock from the NC program's extents and the view draws it; a "-X4"
// run compiles again only the display blocks its cuts marked.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/colour_settings.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "nc/interpreter_state.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "view/scene_materials.h"
#include "view/work_display.h"
#include "work_model/dexel_intervals.h"
#include "work_model/work_model.h"
#include "platform/ui/event_core.h"
#include "platform/ui/fltk/fltk_backend.h"
#include "platform/ui/shell_services.h"
#include "tests/scoped_temp_folder.h"
#include "tests/origin_box_work.h"
#include "tests/png_picture.h"
#include "tests/xvfb_rerun.h"
#include "view/image_capture.h"
#include "view/view_camera.h"
#include "view/view_window.h"

namespace {

const char kInnerVariable[] = "QUMBRA_WORK_VIEW_UNDER_XVFB";

TEST(WorkViewUnderXvfb, DrawsACutWorkOnADisplay)
{
    if (IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "this is the run under Xvfb";
    if (!HasXvfbRun()) GTEST_SKIP() << "xvfb-run is not installed";
    CheckTestsUnderXvfb(kInnerVariable, "WorkViewOnDisplay.*", 1);
}

TEST(WorkViewUnderXvfb, RunsTheProgramWithItsWorkShown)
{
    if (IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "this is the run under Xvfb";
    if (!HasXvfbRun()) GTEST_SKIP() << "xvfb-run is not installed";
    for (const char* filter : {"WorkRunOnDisplay.OptimalStockOfTheSelectedProgramIsDrawn",
                               "WorkRunOnDisplay.ARunCompilesAgainOnlyTheBlocksItsCutsMarked"}) {
        CheckTestsUnderXvfb(kInnerVariable, filter, 1);
    }
}

// --- The inner run ---------------------------------------------------------------------------------

intptr_t PlainFrameProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    return DefaultWindowProc(window, message, wParam, lParam);
}

int Near(const unsigned char* p, int r, int g, int b, int tolerance)
{
    return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance;
}

std::string Describe(const unsigned char* p)
{
    return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
}

// A 100 x 100 x 30 box at pitch 0.5 with node 0 at the origin, every ray one interval of pen 0.
bool BuildBoxWork(WorkModel* work)
{
    const double size[3] = {100, 100, 30};
    return BuildOriginBoxWork(work, size, 0.5);
}

void PaintView()
{
    InvalidateUiWindow(g_ViewWindow, 0);
    UpdateUiWindow(g_ViewWindow);
    SyncFltkDisplay();
}

TEST(WorkViewOnDisplay, CutFacesShowThePenColour)
{
    if (!IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "runs under Xvfb only (WorkViewUnderXvfb starts it)";
    ASSERT_EQ(1, OpenFltkDisplay());
    ASSERT_EQ(1, StartEventCore(GetFltkBackend()));
    g_SilentMode = 0;
    ResetDisplaySettings();
    ResetColourSettings();
    ResetMachineDefinition();
    g_MachinePosition = AxisPosition{};
    g_BackgroundColourSetting = 0x00281414u;   // (20, 20, 40)
    g_PenColours[0] = 0x0000C800u;             // work colour (0, 200, 0)
    g_PenColours[3] = 0x000000C8u;             // pen 3 (200, 0, 0)
    g_MachineDisplayMode = PART_DISPLAY_OFF;
    g_ToolDisplayMode = PART_DISPLAY_OFF;
    g_WorkDisplayStyle = 0;
    g_ShowAxisTriad = 0;
    UpdateSceneMaterials();
    WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    ASSERT_TRUE(BuildBoxWork(work));
    PrepareWorkForCutting(work);
    // From above: X to the right, Y up; 1 mm is 1.2 pixels; the centre over the middle of the box.
    g_Perspective = 0;
    g_ViewAngleA = 0.0;
    g_ViewAngleB = 0.0;
    UpdateViewRotationCosSin();
    g_SceneScale = 125.0;
    g_ViewZoom = 1.0;
    g_ViewCentre[0] = 50.0 / 125.0;
    g_ViewCentre[1] = 50.0 / 125.0;
    g_ViewCentre[2] = 15.0 / 125.0;

    const int width = 400, height = 300;
    const UiRect frameRect = {40, 40, width, height};
    WindowHandle frame = CreateUiWindow("WorkViewTestFrame", "view", PlainFrameProc, nullptr, 0, &frameRect, 0);
    ASSERT_NE(frame, nullptr);
    ShowUiWindow(frame, SW_SHOW);
    SetViewAreaSize(width, height);
    g_ViewRect = UiRect{0, 0, width, height};
    const UiRect viewRect = {0, 0, width, height};
    g_ViewWindow = CreateUiWindow(g_ViewClassName, "", ViewWindowProc, frame, 0x40000000u, &viewRect, 0);
    ASSERT_NE(g_ViewWindow, nullptr);
    ASSERT_EQ(1, g_ViewGlContext);
    ShowUiWindow(g_ViewWindow, SW_SHOW);
    SyncFltkDisplay();
    // The first display of the whole work.
    MarkWorkBlocksForRebuild();
    PaintView();
    ASSERT_EQ(0, g_WorkListRebuild[work->currentLevel]);

    // A flat D10 tool of pen 3, 8 mm deep, from x 30 to 70 along y 50.
    ToolRecord tool{};
    tool.defined = 1;
    tool.type = TOOL_FLAT;
    tool.diameter = 10.0f;
    tool.cuttingLength = 30.0f;
    tool.readCuttingLength = 30.0f;
    ASSERT_EQ(1, MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 3));
    g_ArborCheck = 0;
    g_HeightCheck = 0;
    g_ChipWidthCheck = 0;
    g_MotionKind = 1;
    const double axis[3] = {0, 0, 1};
    for (double x = 30.0; x <= 70.0; x += 0.5) {
        const double tip[3] = {x, 50.0, 22.0};
        g_MoveRemovedVolume = 0.0;
        ClearCheckFlags();
        SetCutColourAndTag(10);
        CutWorkAlongMove(work, tip, axis);
    }
    int changed = 0;
    for (int b = 0; b < work->blockCount; b++) changed += work->changedBlocks[b];
    ASSERT_GT(changed, 0);
    ASSERT_LT(changed, work->blockCount);
    g_WorkListRebuild[work->currentLevel] = 1;
    PaintView();
    for (int b = 0; b < work->blockCount; b++) EXPECT_EQ(0, work->changedBlocks[b]) << b;

    ScopedTempFolder folder;
    const std::string path = folder.File("work");
    ASSERT_EQ(1, SaveViewImage(path.c_str()));
    Picture picture;
    ASSERT_EQ(1, ReadPng(path + ".PNG", &picture));
    ASSERT_EQ(width, picture.width);
    ASSERT_EQ(height, picture.height);
    auto at = [&](double x, double y) {
        const int px = static_cast<int>(std::lround(width / 2.0 + (x - 50.0) * 1.2));
        const int py = static_cast<int>(std::lround(height / 2.0 - (y - 50.0) * 1.2));
        return picture.At(px, py);
    };
    const unsigned char* corner = picture.At(5, 5);
    EXPECT_TRUE(Near(corner, 20, 20, 40, 2)) << Describe(corner);
    // The slot floor in pen 3's red, at several places along the slot.
    for (double x : {32.0, 50.0, 68.0}) {
        const unsigned char* floor = at(x, 50.0);
        EXPECT_TRUE(floor[0] > 100 && floor[1] < 40 && floor[2] < 40) << x << ": " << Describe(floor);
    }
    // The uncut top in the work colour, beside the slot and far from it.
    const double tops[3][2] = {{50.0, 62.0}, {10.0, 10.0}, {90.0, 85.0}};
    for (const auto& p : tops) {
        const unsigned char* top = at(p[0], p[1]);
        EXPECT_TRUE(top[1] > 100 && top[0] < 40 && top[2] < 40) << p[0] << "," << p[1] << ": " << Describe(top);
    }
    // Outside the box: background.
    EXPECT_TRUE(Near(at(-10.0, 50.0), 20, 20, 40, 2)) << Describe(at(-10.0, 50.0));

    DestroyUiWindow(frame);
    g_ViewWindow = nullptr;
    FreeWorkDisplayLists(g_CurrentWorkIndex, work);
    DestroyWorkModel(work);
    work->nodeCountX = 0;
    g_WorkDefined = 0;
    StopEventCore();
    CloseFltkDisplay();
}

}  // namespace

// --- The program's runs on the display ---------------------------------------------------------------

#include <atomic>
#include <thread>

#include "../app/app_test_support.h"
#include "app/frame_window.h"
#include "app/startup.h"
#include "nc/nc_data_check.h"
#include "platform/os/clock.h"
#include "platform/ui/gl_calls.h"
#include "view/display_lists.h"

namespace {

const UiBackend* OpenDisplay(int silent)
{
    if (silent || !OpenFltkDisplay()) return nullptr;
    return GetFltkBackend();
}

// A folder holding the demo's settings, tables and NC program, current while the object lives.
struct DemoFolder {
    TempFolder folder;
    DemoFolder()
    {
        const std::string demo = std::string(QUMBRA_SOURCE_DIR) + "/examples/";
        for (const char* name : {"qumbra.ini", "demo.ttl", "fanuc_demo.ctl", "vmc3.mtl", "pocket.nc"})
            std::system(("cp '" + demo + name + "' '" + folder.path + "/'").c_str());
    }
};

// Display blocks of the current work with a compiled list at its current level.
int BlocksWithLists(const WorkModel* work)
{
    if (work->blockListIds == nullptr) return 0;
    const int32_t* row = work->blockListIds + size_t(work->currentLevel) * BLOCK_LIST_IDS_PER_LEVEL;
    int blocks = 0;
    for (int b = 0; b < work->blockCount; b++) blocks += row[b] > 0 ? 1 : 0;
    return blocks;
}

struct StockFacts {
    int shown = 0;
    int blocks = 0;
    double low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
    int saved = 0;
};

StockFacts g_StockFacts;
std::string g_StockImage;

// Once the view has drawn a defined work: its lists, its box and the view saved as a picture.
intptr_t SampleStock(void*)
{
    const WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    if (g_WorkDefined != 1 || work->nodeCountX < 2 || g_WorkListRebuild == nullptr ||
        g_WorkListRebuild[work->currentLevel] != 0 || BlocksWithLists(work) == 0)
        return 0;
    g_StockFacts.blocks = BlocksWithLists(work);
    const int nodes[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    const double* coordinates[3] = {work->coordinatesX, work->coordinatesY, work->coordinatesZ};
    for (int a = 0; a < 3; a++) {
        g_StockFacts.low[a] = coordinates[a][0];
        g_StockFacts.high[a] = coordinates[a][nodes[a] - 1];
    }
    g_StockFacts.saved = SaveViewImage(g_StockImage.c_str());
    g_StockFacts.shown = 1;
    return 1;
}

TEST(WorkRunOnDisplay, OptimalStockOfTheSelectedProgramIsDrawn)
{
    if (!IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "runs under Xvfb only (WorkViewUnderXvfb starts it)";
    DemoFolder demo;
    InFolder inside(demo.folder.path);
    g_StockImage = demo.folder.File("stock");
    g_StockFacts = StockFacts{};
    std::atomic<int> done{0};
    std::thread watcher([&] {
        for (int i = 0; i < 3000 && !done; ++i) {
            SleepMs(10);
            if (g_MainWindow != nullptr && g_ViewCreated && RunOnUiThread(SampleStock, nullptr)) done = 1;
        }
        PostUiMessage(g_MainWindow, WM_CLOSE, 0, 0);
    });
    const int exitCode = RunProgram("-Iqumbra.ini -X1 pocket.nc", SW_SHOWNORMAL, OpenDisplay);
    watcher.join();
    CloseFltkDisplay();
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(g_StockFacts.shown, 1);
    EXPECT_GT(g_StockFacts.blocks, 0);
    // The stock holds every cutting move of the program in X and Y, and reaches below the deepest.
    const CheckExtentBox& cuts = g_CheckExtentsCutWork;
    ASSERT_LE(cuts.min[0], cuts.max[0]);
    for (int a = 0; a < 2; a++) {
        EXPECT_LE(g_StockFacts.low[a], cuts.min[a]) << a;
        EXPECT_GE(g_StockFacts.high[a], cuts.max[a]) << a;
    }
    EXPECT_LT(g_StockFacts.low[2], cuts.min[2]);
    // The view is centred on the new box: the middle of the saved view shows the work colour (pen 0,
    // bluish (127, 127, 255) by default, lit), the far corner only background.
    ASSERT_EQ(g_StockFacts.saved, 1);
    Picture picture;
    ASSERT_EQ(1, ReadPng(g_StockImage + ".PNG", &picture));
    auto workColoured = [](const unsigned char* p) { return p[2] >= 150 && p[2] > p[0] + 40 && p[2] > p[1] + 40; };
    int work = 0;
    for (int y = picture.height / 2 - 20; y < picture.height / 2 + 20; y++)
        for (int x = picture.width / 2 - 20; x < picture.width / 2 + 20; x++) work += workColoured(picture.At(x, y)) ? 1 : 0;
    EXPECT_GT(work, 40) << Describe(picture.At(picture.width / 2, picture.height / 2));
    int far = 0;
    for (int y = 0; y < 60; y++)
        for (int x = picture.width - 60; x < picture.width; x++) far += workColoured(picture.At(x, y)) ? 1 : 0;
    EXPECT_EQ(far, 0);
}

// The GL table of the display with glNewList counting the work's display blocks as they are compiled,
// and noting each compile of a block that no cut had marked.
UiGlCalls g_CountingCalls;
const UiGlCalls* g_DisplayCalls = nullptr;
std::atomic<int> g_BlockCompiles{0};
std::atomic<int> g_UnmarkedCompiles{0};
std::atomic<int> g_Paints{0};

void CountingNewList(unsigned list, unsigned mode)
{
    const WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    const unsigned first = WorkBlockListName(g_ListIdBase, g_CurrentWorkIndex, 0, 0);
    const unsigned last = first + unsigned(g_UndoRingSize) * unsigned(WORK_LIST_ROW_SIZE);
    if (g_ListIdBase != 0 && list >= first && list < last && work->changedBlocks != nullptr) {
        const int block = int((list - first) % unsigned(WORK_LIST_ROW_SIZE));
        if (block < work->blockCount) {
            g_BlockCompiles++;
            if (work->changedBlocks[block] == 0) g_UnmarkedCompiles++;
        }
    }
    g_DisplayCalls->newList(list, mode);
}

void CountingClear(unsigned mask)
{
    g_Paints++;
    g_DisplayCalls->clear(mask);
}

intptr_t InstallCountingCalls(void*)
{
    if (g_DisplayCalls == nullptr) {
        g_DisplayCalls = GetUiGlCalls();
        if (g_DisplayCalls == nullptr || g_DisplayCalls->newList == nullptr || g_DisplayCalls->clear == nullptr)
            return 0;
        g_CountingCalls = *g_DisplayCalls;
        g_CountingCalls.newList = CountingNewList;
        g_CountingCalls.clear = CountingClear;
    }
    SetUiGlCalls(&g_CountingCalls);
    return 1;
}

struct RunState {
    int sawRun = 0;
    int ended = 0;
    int blockCount = 0;
    int marked = 0;   // blocks still marked after the last paint
};

intptr_t SampleRunEnd(void* context)
{
    RunState* state = static_cast<RunState*>(context);
    if (g_RunMode != 0) {
        state->sawRun = 1;
        return 0;
    }
    const WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    if (!state->sawRun || work->changedBlocks == nullptr) return 0;
    // The run has ended: one more paint brings the view up to date with the last cut.
    InvalidateUiWindow(g_ViewWindow, 0);
    UpdateUiWindow(g_ViewWindow);
    state->blockCount = work->blockCount;
    state->marked = 0;
    for (int b = 0; b < work->blockCount; b++) state->marked += work->changedBlocks[b];
    state->ended = 1;
    return 1;
}

TEST(WorkRunOnDisplay, ARunCompilesAgainOnlyTheBlocksItsCutsMarked)
{
    if (!IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "runs under Xvfb only (WorkViewUnderXvfb starts it)";
    DemoFolder demo;
    InFolder inside(demo.folder.path);
    RunState state;
    std::atomic<int> installed{0};
    std::thread watcher([&] {
        for (int i = 0; i < 20000 && !state.ended; ++i) {
            SleepMs(2);
            if (g_MainWindow == nullptr || !g_ViewCreated) continue;
            if (!installed) installed = int(RunOnUiThread(InstallCountingCalls, nullptr));
            if (installed) RunOnUiThread(SampleRunEnd, &state);
        }
        PostUiMessage(g_MainWindow, WM_CLOSE, 0, 0);
    });
    const int exitCode = RunProgram("-Iqumbra.ini -X4 \"-D(100,80,0,0,0,-25)\" pocket.nc", SW_SHOWNORMAL, OpenDisplay);
    watcher.join();
    CloseFltkDisplay();
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(installed.load(), 1);
    ASSERT_EQ(state.ended, 1);
    EXPECT_GT(g_Paints.load(), 2);
    // Every block compiled was one a cut (or the first display) had marked, the last cuts are shown, and
    // the run compiled more than the first display did, but far fewer than a full rebuild per paint.
    EXPECT_EQ(g_UnmarkedCompiles.load(), 0);
    EXPECT_EQ(state.marked, 0);
    EXPECT_GT(g_BlockCompiles.load(), 0);
    EXPECT_LT(g_BlockCompiles.load(), state.blockCount * g_Paints.load() / 2)
        << g_BlockCompiles.load() << " compiles in " << g_Paints.load() << " paints of " << state.blockCount;
}

}  // namespace
