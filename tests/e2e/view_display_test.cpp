// The 3D view on a real X display. ViewUnderXvfb starts this program again under xvfb-run with
// QUMBRA_VIEW_UNDER_XVFB=1; the ViewOnDisplay test runs only there: a TABLE machine with its default
// table shapes, the HEAD box, a tool with its holder and the axis indicator are drawn by the view's
// own window procedure in a front view, saved as a PNG file through the view's image capture, read
// back, and the colours at the pixels where the camera puts each part are checked.
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
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/tool_profile.h"
#include "platform/ui/event_core.h"
#include "platform/ui/fltk/fltk_backend.h"
#include "platform/ui/shell_services.h"
#include "tests/scoped_temp_folder.h"
#include "tests/png_picture.h"
#include "tests/xvfb_rerun.h"
#include "view/image_capture.h"
#include "view/view_camera.h"
#include "view/view_window.h"

namespace {

const char kInnerVariable[] = "QUMBRA_VIEW_UNDER_XVFB";

TEST(ViewUnderXvfb, DrawsTheMachineOnADisplay)
{
    if (IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "this is the run under Xvfb";
    if (!HasXvfbRun()) GTEST_SKIP() << "xvfb-run is not installed";
    CheckTestsUnderXvfb(kInnerVariable, "ViewOnDisplay.*", 1);
}

// --- The inner run ---------------------------------------------------------------------------------

intptr_t PlainFrameProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    return DefaultWindowProc(window, message, wParam, lParam);
}

// A tool of four profile points: a cutter of radius 5 from 0 to 30, the shank to 50, a holder of radius
// 15 from 50 to 80.
std::vector<double> g_ToolRings;

void SetUpTool()
{
    const double radius[4] = {5.0, 5.0, 5.0, 15.0};
    const double height[4] = {0.0, 30.0, 50.0, 50.0};
    const double pi = 3.14159265358979323846;
    g_ToolRings.assign(5 * 36 * 3, 0.0);
    for (int k = 0; k < 5; ++k) {
        const double r = k < 4 ? radius[k] : 15.0;
        const double z = k < 4 ? height[k] : 80.0;
        for (int j = 0; j < 36; ++j) {
            double* p = &g_ToolRings[(k * 36 + j) * 3];
            p[0] = r * std::cos(j * 10.0 * pi / 180.0);
            p[1] = r * std::sin(j * 10.0 * pi / 180.0);
            p[2] = z;
        }
    }
    g_ToolSolidBuffers[0] = g_ToolRings.data();
    g_ToolProfilePointCount = 5;
    g_ToolProfileCutterEnd = 2;
    g_ToolProfileShankEnd = 3;
    g_ToolLength = 80.0;
    g_ToolCut.shankRadius = 5.0;
    g_CurrentTool.defined = 1;
    g_CurrentTool.type = 2;
    g_CurrentTool.cuttingLength = 30.0f;
    g_CutCodeState = 1;
}

// A TABLE machine turning about X (table 1, a plate) and Z (table 2, a disc), pivot 150 mm below the
// spindle; the head box is drawn since no model is given.
void SetUpTableMachine()
{
    ResetMachineDefinition();
    g_MachineKind = MACHINE_TABLE;
    g_TableType = TABLE_TYPE_PLANE;
    g_Table2Type = TABLE_TYPE_CIRCLE;
    g_HeadType = HEAD_TYPE_PRESENT;
    g_Rotary1Axis = 0;
    g_Rotary1CrossAxes[0] = 1;
    g_Rotary1CrossAxes[1] = 2;
    g_Rotary2Axis = 2;
    g_Rotary2CrossAxes[0] = 0;
    g_Rotary2CrossAxes[1] = 1;
    g_TablePosition[0] = 0.0;
    g_TablePosition[1] = 0.0;
    g_TablePosition[2] = -150.0;
    g_ToolHolderOffset = 0.0;
    g_MachinePosition = AxisPosition{};
}

int Near(const unsigned char* p, int r, int g, int b, int tolerance)
{
    return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance;
}

std::string Describe(const unsigned char* p)
{
    return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
}

TEST(ViewOnDisplay, TableMachinePartsToolAndIndicator)
{
    if (!IsUnderXvfb(kInnerVariable)) GTEST_SKIP() << "runs under Xvfb only (ViewUnderXvfb starts it)";
    ASSERT_EQ(1, OpenFltkDisplay());
    ASSERT_EQ(1, StartEventCore(GetFltkBackend()));
    g_SilentMode = 0;
    ResetDisplaySettings();
    ResetColourSettings();
    g_BackgroundColourSetting = 0x00281414u;   // (20, 20, 40)
    SetUpTableMachine();
    SetUpTool();
    // A front view: model X to the right, Z up; 1 mm is 0.6 pixel; the centre 110 mm below the spindle.
    g_Perspective = 0;
    g_ViewAngleA = 0.0;
    g_ViewAngleB = 90.0;
    UpdateViewRotationCosSin();
    g_SceneScale = 250.0;
    g_ViewZoom = 1.0;
    g_ViewCentre[0] = 0.0;
    g_ViewCentre[1] = 0.0;
    g_ViewCentre[2] = -110.0 / 250.0;

    const int width = 600, height = 300;
    const UiRect frameRect = {40, 40, width, height};
    WindowHandle frame = CreateUiWindow("ViewTestFrame", "view", PlainFrameProc, nullptr, 0, &frameRect, 0);
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
    InvalidateUiWindow(g_ViewWindow, 0);
    UpdateUiWindow(g_ViewWindow);
    SyncFltkDisplay();
    ASSERT_EQ(width, g_ViewWidth);
    ASSERT_EQ(height, g_ViewHeight);

    ScopedTempFolder folder;
    const std::string path = folder.File("view");
    ASSERT_EQ(1, SaveViewImage(path.c_str()));
    Picture picture;
    ASSERT_EQ(1, ReadPng(path + ".PNG", &picture));
    ASSERT_EQ(width, picture.width);
    ASSERT_EQ(height, picture.height);

    // Pixel of a model point in this view (x right, y down).
    auto at = [&](double x, double z) {
        const int px = static_cast<int>(std::lround(width / 2.0 + x * 0.6));
        const int py = static_cast<int>(std::lround(height / 2.0 - (z + 110.0) * 0.6));
        return picture.At(px, py);
    };
    const unsigned char* corner = picture.At(5, 5);
    EXPECT_TRUE(Near(corner, 20, 20, 40, 2)) << Describe(corner);
    // HEAD box (63, 95, 63) above the spindle, facing the viewer and lit.
    const unsigned char* head = at(0.0, 25.0);
    EXPECT_TRUE(head[1] > head[0] + 15 && head[1] > head[2] + 15) << Describe(head);
    // The tool: the cutting part in the tool-top colour (255, 0, 128), the holder in the arbor colour
    // (0, 128, 0).
    const unsigned char* cutter = at(0.0, -65.0);
    EXPECT_TRUE(cutter[0] > 150 && cutter[1] < 60 && cutter[2] > 40) << Describe(cutter);
    const unsigned char* holder = at(8.0, -15.0);
    EXPECT_TRUE(holder[1] > 80 && holder[0] < 40 && holder[2] < 40) << Describe(holder);
    // Beside the tool's cutter there is background.
    const unsigned char* besideTool = at(30.0, -65.0);
    EXPECT_TRUE(Near(besideTool, 20, 20, 40, 2)) << Describe(besideTool);
    // Table 2, the disc (0, 63, 63) from 170 to 150 mm below the spindle.
    const unsigned char* disc = at(0.0, -160.0);
    EXPECT_TRUE(disc[0] < 20 && disc[1] > 40 && std::abs(disc[1] - disc[2]) < 10) << Describe(disc);
    // Table 1, the plate (127, 127, 127) below it, wider than the disc.
    const unsigned char* plate = at(220.0, -180.0);
    EXPECT_TRUE(plate[0] > 90 && std::abs(plate[0] - plate[1]) < 6 && std::abs(plate[1] - plate[2]) < 6) << Describe(plate);
    // The axis indicator at the bottom left: X to the right in red, Z up in blue; Y is seen end-on.
    auto strongest = [&](int x0, int y0, int channel) {
        int best = 0;
        for (int y = y0 - 1; y <= y0 + 1; ++y) {
            for (int x = x0 - 1; x <= x0 + 1; ++x) {
                const unsigned char* p = picture.At(x, y);
                const int other = channel == 0 ? std::max(p[1], p[2]) : std::max(p[0], p[1]);
                best = std::max(best, p[channel] - other);
            }
        }
        return best;
    };
    EXPECT_GT(strongest(55, height - 40, 0), 150);
    EXPECT_GT(strongest(40, height - 55, 2), 150);
    EXPECT_LT(strongest(40, height - 25, 2), 30);   // nothing below the origin

    DestroyUiWindow(frame);
    g_ViewWindow = nullptr;
    StopEventCore();
    CloseFltkDisplay();
    g_ToolSolidBuffers[0] = nullptr;
    g_ToolProfilePointCount = 0;
    g_CurrentTool.defined = 0;
}

}  // namespace
