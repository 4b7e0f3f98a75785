// The work display on a real X display. WorkViewUnderXvfb starts this program again under xvfb-run
// with QUMBRA_WORK_VIEW_UNDER_XVFB=1; the WorkViewOnDisplay test runs only there: a box work is shown
// from above, then a flat tool of pen 3 cuts a slot into it, the view is painted again (only the cut
// blocks are compiled anew), saved as a PNG file, read back, and the slot floor must show pen 3's
// colour while the uncut top keeps the work colour.
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
    ScopedTempFolder logs;
    std::string output;
    const int status = RunSelfUnderXvfb(kInnerVariable, "WorkViewOnDisplay.*", logs.File("inner.log"), &output);
    std::printf("%s\n", output.c_str());
    ExpectInnerRunPassed(status, output, 1);
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
