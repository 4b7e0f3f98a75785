// The view window, the renderer and the part-list builders against a recording GL table: no GL call in
// silent mode, nothing drawn or saved for a view of no size, the fixed drawing order of a TABLE
// machine, the default shapes, the indicator, the tool list and the colour rebuilds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/colour_settings.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/tool_profile.h"
#include "platform/os/files.h"
#include "platform/ui/event_core.h"
#include "platform/ui/repaint_requests.h"
#include "platform/ui/shell_services.h"
#include "platform/ui/ui_backend.h"
#include "tests/scoped_temp_folder.h"
#include "tests/view/gl_recorder.h"
#include "view/default_shapes.h"
#include "view/display_lists.h"
#include "view/image_capture.h"
#include "view/scene_materials.h"
#include "view/scene_rendering.h"
#include "view/view_camera.h"
#include "view/view_window.h"

namespace {

int GlYes(WindowHandle, int) { return 1; }
int GlCurrent(WindowHandle) { return 1; }
int PaintYes(WindowHandle) { return 1; }

// A backend whose windows have an OpenGL context that records its calls.
UiBackend MakeGlBackend()
{
    UiBackend backend = {};
    backend.name = "recording";
    backend.beginPaint = PaintYes;
    backend.createGlContext = GlYes;
    backend.makeGlCurrent = GlCurrent;
    backend.gl = gl_recorder::Table();
    return backend;
}

// The backend lives as long as the program: windows still use it when a test tears down.
const UiBackend* GlBackend()
{
    static const UiBackend backend = MakeGlBackend();
    return &backend;
}

std::vector<int> CalledLists()
{
    std::vector<int> lists;
    for (const GlCall& call : RecordedCalls("callList")) lists.push_back(static_cast<int>(call.values[0]));
    return lists;
}

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetViewCamera();
        ResetViewWindowState();
        ResetMachineDefinition();
        ResetDisplaySettings();
        ResetColourSettings();
        UpdateSceneMaterials();
        g_MachinePosition = AxisPosition{};
        g_SilentMode = 0;
        g_WorkDefined = 0;
        InstallGlRecorder();
    }
    void TearDown() override
    {
        if (g_ViewWindow != nullptr) DestroyUiWindow(g_ViewWindow);
        g_ViewWindow = nullptr;
        StopEventCore();
        SetUiGlCalls(nullptr);
        g_SilentMode = 0;
        g_ColoursAppliedHook = nullptr;
    }
    // Creates the view on backend (null: headless) with a view area of width x height.
    void CreateView(const UiBackend* backend, int width, int height)
    {
        StartEventCore(backend);
        if (backend == nullptr) SetUiGlCalls(GetUiGlCalls());
        InstallGlRecorder();
        SetViewAreaSize(width, height);
        const UiRect rect = {0, 0, width, height};
        g_ViewWindow = CreateUiWindow(g_ViewClassName, "", ViewWindowProc, nullptr, 0, &rect, 0);
        ASSERT_NE(g_ViewWindow, nullptr);
    }
};

TEST_F(SceneTest, SilentViewMakesNoGlCall)
{
    g_SilentMode = 1;
    CreateView(GlBackend(), 400, 300);
    GetGlRecorder().calls.clear();
    // The recorder stays installed: any call through it would be counted.
    SendUiMessage(g_ViewWindow, WM_SIZE, 0, (300 << 16) | 400);
    SendUiMessage(g_ViewWindow, WM_PAINT, 0, 0);
    SendUiMessage(g_ViewWindow, WM_MOUSEWHEEL, static_cast<uintptr_t>(120) << 16, 0);
    EXPECT_EQ(0, g_ViewGlContext);
    EXPECT_EQ(0u, GetGlRecorder().calls.size());
    ScopedTempFolder folder;
    EXPECT_EQ(0, SaveViewImage(folder.File("silent.png").c_str()));
    EXPECT_EQ(0u, GetGlRecorder().calls.size());
}

TEST_F(SceneTest, ViewOfNoSizeIsNeitherDrawnNorSaved)
{
    CreateView(GlBackend(), 0, 0);
    EXPECT_EQ(1, g_ViewGlContext);
    SendUiMessage(g_ViewWindow, WM_SIZE, 0, 0);
    GetGlRecorder().calls.clear();
    SendUiMessage(g_ViewWindow, WM_PAINT, 0, 0);
    EXPECT_TRUE(RecordedCalls("clear").empty());
    EXPECT_TRUE(RecordedCalls("callList").empty());
    ScopedTempFolder folder;
    const std::string path = folder.File("empty.png");
    EXPECT_EQ(0, SaveViewImage(path.c_str()));
    EXPECT_EQ(0, DoesFileExist((path + ".PNG").c_str()));
    EXPECT_EQ(0, DoesFileExist(path.c_str()));
    EXPECT_TRUE(RecordedCalls("readPixels").empty());
    unsigned char pixel[4] = {};
    EXPECT_EQ(0, SaveImagePng(path.c_str(), pixel, 4, 0, 1));
}

// The recorder reads nothing back (all zero), as a front buffer that cannot be read: the first capture
// reads the back buffer again and later captures read it at once. A PNG name that cannot be written
// is reported as a failed image; the screenshot goes to the next name.
TEST_F(SceneTest, CapturesFallBackToTheBackBufferAndTheNextName)
{
    CreateView(GlBackend(), 30, 20);
    SendUiMessage(g_ViewWindow, WM_SIZE, 0, (20 << 16) | 30);
    EXPECT_EQ(92, g_ViewRowBytes);
    EXPECT_EQ(92 * 20, g_ViewImageBytes);
    ScopedTempFolder folder;
    g_ReadBufferChoice = -1;
    GetGlRecorder().calls.clear();
    ASSERT_EQ(1, SaveViewImage(folder.File("first.png").c_str()));
    std::vector<GlCall> buffers = RecordedCalls("readBuffer");
    ASSERT_EQ(2u, buffers.size());
    EXPECT_EQ(UI_GL_FRONT, buffers[0].values[0]);
    EXPECT_EQ(UI_GL_BACK, buffers[1].values[0]);
    EXPECT_EQ(0, g_ReadBufferChoice);
    EXPECT_EQ(1, DoesFileExist(folder.File("first.png").c_str()));
    GetGlRecorder().calls.clear();
    ASSERT_EQ(1, SaveViewImage(folder.File("second").c_str()));
    EXPECT_TRUE(RecordedCalls("readBuffer").empty());
    EXPECT_EQ(1u, RecordedCalls("readPixels").size());
    EXPECT_EQ(1, DoesFileExist(folder.File("second.PNG").c_str()));
    // A folder in the way: no file, result 0, nothing left behind.
    EXPECT_EQ(0, SaveViewImage(folder.File("none/at/all.png").c_str()));
    char previous[4096];
    ASSERT_NE(nullptr, getcwd(previous, sizeof previous));
    ASSERT_EQ(0, chdir(folder.path.c_str()));
    ASSERT_EQ(0, mkdir("tmp.png", 0700));   // "tmp.png" cannot be written
    char written[16] = "";
    EXPECT_EQ(1, SaveViewScreenshot(written, sizeof written));
    EXPECT_STREQ("tmp1.png", written);
    EXPECT_EQ(1, DoesFileExist("tmp1.png"));
    ASSERT_EQ(0, chdir(previous));
    g_ReadBufferChoice = -1;
}

TEST_F(SceneTest, TableMachineIsDrawnInTheFixedOrder)
{
    g_MachineKind = MACHINE_TABLE;
    g_TableType = TABLE_TYPE_PLANE;
    g_Table2Type = TABLE_TYPE_CIRCLE;
    g_HeadType = HEAD_TYPE_PRESENT;
    CreateView(GlBackend(), 400, 300);
    EXPECT_EQ(1u, g_ListIdBase);
    ASSERT_EQ(1u, RecordedCalls("genLists").size());
    EXPECT_EQ(400034.0, RecordedCalls("genLists")[0].values[0]);
    GetGlRecorder().calls.clear();
    SendUiMessage(g_ViewWindow, WM_PAINT, 0, 0);
    // Every flagged list was compiled once; list 19 is not a TABLE machine's and keeps its request.
    std::vector<int> compiled;
    for (const GlCall& call : RecordedCalls("newList")) compiled.push_back(static_cast<int>(call.values[0]));
    for (int list : {1, 2, 11, 12, 13, 14, 18, 21, 22, 23, 24, 25, 26, 31, 32}) {
        EXPECT_EQ(1, std::count(compiled.begin(), compiled.end(), list)) << list;
    }
    EXPECT_EQ(0, std::count(compiled.begin(), compiled.end(), 19));
    EXPECT_EQ(1, g_RebuildHead2PartList);
    EXPECT_EQ(0, g_RebuildTable2PartList);
    // No model files, no vice, no basic models and no current tool: lists 3, 22 to 24, 27 and 4 are
    // left out of the replay or were never compiled.
    const std::vector<int> expected = {1, 21, 25, 26, 27, 2, 31, 11, 18, 4};
    EXPECT_EQ(expected, CalledLists());
    // Nothing is rebuilt on the next frame.
    GetGlRecorder().calls.clear();
    SendUiMessage(g_ViewWindow, WM_PAINT, 0, 0);
    EXPECT_TRUE(RecordedCalls("newList").empty());
    EXPECT_EQ(expected, CalledLists());
}

TEST_F(SceneTest, MachineDisplayOffStillMovesTheToolWithTheMachine)
{
    g_MachineKind = MACHINE_HEAD;
    g_MachineDisplayMode = PART_DISPLAY_OFF;
    g_TableMovesAxis[0] = 1;   // the table moves along X, the head along Y and Z
    g_MachinePosition.axis[0] = 50.0;
    g_MachinePosition.axis[1] = 100.0;
    g_SceneScale = 500.0;
    ComputeSceneOffsets();
    EXPECT_DOUBLE_EQ(-0.1, g_TableDisplayOffsets[0]);
    EXPECT_DOUBLE_EQ(0.0, g_TableDisplayOffsets[1]);
    EXPECT_DOUBLE_EQ(0.0, g_HeadDisplayOffsets[0]);
    EXPECT_DOUBLE_EQ(0.2, g_HeadDisplayOffsets[1]);
    EXPECT_DOUBLE_EQ(-50.0, g_TableAxisOffsets[0]);
    CreateView(GlBackend(), 200, 200);
    GetGlRecorder().calls.clear();
    SendUiMessage(g_ViewWindow, WM_PAINT, 0, 0);
    const std::vector<int> expected = {1, 2, 31, 4};
    EXPECT_EQ(expected, CalledLists());
    bool headMoved = false;
    for (const GlCall& call : RecordedCalls("translated")) {
        if (call.values[0] == 0.0 && call.values[1] == 0.2 && call.values[2] == 0.0) headMoved = true;
    }
    EXPECT_TRUE(headMoved);
}

// The extents of the vertices recorded between two indices of the call list.
void VertexExtents(size_t from, size_t to, double* mn, double* mx)
{
    for (int k = 0; k < 3; ++k) { mn[k] = 1e300; mx[k] = -1e300; }
    const auto& calls = GetGlRecorder().calls;
    for (size_t i = from; i < to && i < calls.size(); ++i) {
        if (calls[i].name != "vertex") continue;
        for (int k = 0; k < 3; ++k) {
            mn[k] = std::min(mn[k], calls[i].values[k]);
            mx[k] = std::max(mx[k], calls[i].values[k]);
        }
    }
}

// Indices of the "begin" calls.
std::vector<size_t> Begins()
{
    std::vector<size_t> at;
    const auto& calls = GetGlRecorder().calls;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].name == "begin") at.push_back(i);
    }
    at.push_back(calls.size());
    return at;
}

TEST_F(SceneTest, PlaneTableOfATableMachineIsAPlateWithTwoBearingDiscs)
{
    g_MachineKind = MACHINE_TABLE;
    g_TableType = TABLE_TYPE_PLANE;
    g_Rotary1Axis = 0;
    g_TablePosition[0] = 10.0;
    g_TablePosition[1] = 20.0;
    g_TablePosition[2] = 30.0;
    g_SceneScale = 1.0;
    g_DefaultPartSize = 80.0;
    DrawDefaultTable1Shape();
    const std::vector<size_t> begins = Begins();
    ASSERT_EQ(8u, begins.size());   // plate, then sides, top and base of each disc, and the end
    double mn[3], mx[3];
    VertexExtents(begins[0], begins[1], mn, mx);
    EXPECT_NEAR(512.0, mx[0] - mn[0], 1e-9);
    EXPECT_NEAR(352.0, mx[1] - mn[1], 1e-9);
    EXPECT_NEAR(10.0, (mx[0] + mn[0]) / 2, 1e-9);
    EXPECT_NEAR(-10.0, mn[2], 1e-9);
    EXPECT_NEAR(10.0, mx[2], 1e-9);
    VertexExtents(begins[1], begins[4], mn, mx);   // first disc: before the plate's low X end
    EXPECT_NEAR(10.0 - 256.0 - 24.0, mn[0], 1e-9);
    EXPECT_NEAR(10.0 - 256.0, mx[0], 1e-9);
    EXPECT_NEAR(120.0 * std::cos(3.14159265358979323846 / 20), (mx[1] - mn[1]) / 2, 1e-9);   // radius 120
    VertexExtents(begins[4], begins[7], mn, mx);
    EXPECT_NEAR(10.0 + 256.0, mn[0], 1e-9);
    EXPECT_NEAR(10.0 + 256.0 + 24.0, mx[0], 1e-9);
    g_DefaultPartSize = 80.0;
    g_SceneScale = 500.0;
    // A HEAD machine never gets a default TABLE1 shape; without rotary axes the plate is at (0, 0).
    InstallGlRecorder();
    g_MachineKind = MACHINE_HEAD;
    DrawDefaultTable1Shape();
    EXPECT_TRUE(GetGlRecorder().calls.empty());
    g_MachineKind = MACHINE_NONE;
    g_SceneScale = 1.0;
    DrawDefaultTable1Shape();
    VertexExtents(0, Begins()[1], mn, mx);
    EXPECT_NEAR(0.0, mx[0] + mn[0], 1e-9);
    EXPECT_NEAR(352.0, mx[0] - mn[0], 1e-9);
    EXPECT_NEAR(352.0, mx[1] - mn[1], 1e-9);
    g_SceneScale = 500.0;
}

TEST_F(SceneTest, HeadBoxFollowsTheToolTopRadius)
{
    g_MachineKind = MACHINE_TABLE;
    g_HeadType = HEAD_TYPE_PRESENT;
    g_ToolHolderOffset = 100.0;
    g_SceneScale = 1.0;
    double ring[36 * 3] = {};
    double* saved = g_ToolSolidBuffers[0];
    const int savedCount = g_ToolProfilePointCount;
    g_ToolSolidBuffers[0] = ring;
    g_ToolProfilePointCount = 1;
    for (const double radius : {20.0, 40.0}) {
        ring[0] = radius;
        InstallGlRecorder();
        DrawDefaultHeadBox();
        double mn[3], mx[3];
        VertexExtents(0, GetGlRecorder().calls.size(), mn, mx);
        EXPECT_NEAR(radius == 20.0 ? 100.0 : 120.0, mx[0] - mn[0], 1e-9);
        EXPECT_NEAR(100.0, mn[2], 1e-9);
        EXPECT_NEAR(150.0, mx[2], 1e-9);
    }
    g_ToolSolidBuffers[0] = saved;
    g_ToolProfilePointCount = savedCount;
    g_SceneScale = 500.0;
}

TEST_F(SceneTest, FourSidedBarHasOneNormalPerFace)
{
    const double centre[3] = {0.0, 0.0, 0.0};
    DrawCylinder(centre, 1.0, 2, 2.0, 4);
    const auto& calls = GetGlRecorder().calls;
    EXPECT_EQ(UI_GL_FLAT, RecordedCalls("shadeModel").at(0).values[0]);
    // The sides: one normal, then four vertices all at the same distance along it.
    size_t i = 0;
    while (calls[i].name != "begin") ++i;
    ++i;
    for (int face = 0; face < 4; ++face) {
        ASSERT_EQ("normal", calls[i].name);
        const std::vector<double> n = calls[i].values;
        EXPECT_NEAR(1.0, std::fabs(n[0]) + std::fabs(n[1]), 1e-12);   // axis-parallel faces
        const double d = n[0] * calls[i + 1].values[0] + n[1] * calls[i + 1].values[1];
        for (int v = 1; v <= 4; ++v) {
            ASSERT_EQ("vertex", calls[i + v].name);
            EXPECT_NEAR(d, n[0] * calls[i + v].values[0] + n[1] * calls[i + v].values[1], 1e-12);
        }
        EXPECT_GT(d, 0.0);   // outward
        i += 5;
    }
}

TEST_F(SceneTest, IndicatorUsesExactQuarterTurnsAndLeavesEndOnAxesOut)
{
    SetViewAreaSize(800, 600);
    g_ViewAngleA = 89.95;
    g_ViewAngleB = 0.0;
    UpdateViewRotationCosSin();
    g_AxisDirection = 0;
    BuildViewAxisIndicatorList();
    std::vector<GlCall> colours = RecordedCalls("color");
    ASSERT_EQ(2u, colours.size());   // Z points at the viewer
    // X at A = 90: direction (0, 1), exactly vertical from the origin 40 pixels in from the corner.
    const auto& calls = GetGlRecorder().calls;
    size_t at = 0;
    while (calls[at].name != "vertex") ++at;
    EXPECT_DOUBLE_EQ(80.0 / 800 - 1, calls[at].values[0]);
    EXPECT_DOUBLE_EQ(80.0 / 600 - 1, calls[at].values[1]);
    EXPECT_DOUBLE_EQ(calls[at].values[0], calls[at + 1].values[0]);
    EXPECT_DOUBLE_EQ(60.0 / 600, calls[at + 1].values[1] - calls[at].values[1]);
    // Code 10, B = 90: X is drawn straight down with its letter 10/H below the tip.
    double dx = 0, dy = 0;
    GetIndicatorAxisDirection(0, 10, 1.0, 0.0, 0.0, -1.0, &dx, &dy);
    EXPECT_EQ(0.0, dx);
    EXPECT_EQ(-1.0, dy);
    g_ViewAngleA = 0.0;
    g_ViewAngleB = 90.0;
    UpdateViewRotationCosSin();
    g_AxisDirection = 10;
    InstallGlRecorder();
    BuildViewAxisIndicatorList();
    const auto& c2 = GetGlRecorder().calls;
    at = 0;
    while (c2[at].name != "vertex") ++at;
    const double tipY = c2[at + 1].values[1];
    EXPECT_NEAR(80.0 / 600 - 1 - 60.0 / 600, tipY, 1e-15);
    // The letter X's first stroke starts at (x - 7/W, y + 7/H) around y = tip - 10/H.
    size_t letter = at + 2;
    while (c2[letter].name != "vertex") ++letter;
    EXPECT_NEAR(tipY - 10.0 / 600 + 7.0 / 600, c2[letter].values[1], 1e-15);
    g_AxisDirection = 0;
    g_ViewAngleA = 315.0;
    g_ViewAngleB = 45.0;
    UpdateViewRotationCosSin();
}

TEST_F(SceneTest, ToolListFollowsTheCutStateAndTheCurrentTool)
{
    CreateView(GlBackend(), 200, 200);
    SendUiMessage(g_ViewWindow, WM_PAINT, 0, 0);
    // No current tool: list 4 is not compiled.
    EXPECT_EQ(0u, GetGlRecorder().lists.count(LIST_TOOL));
    // A change of the cut state alone recompiles the tool list at the next frame.
    const ToolRecord savedTool = g_CurrentTool;
    g_CurrentTool.defined = 1;
    g_CutCodeState = 1;
    InstallGlRecorder();
    SendUiMessage(g_ViewWindow, WM_PAINT, 0, 0);
    EXPECT_EQ(1u, GetGlRecorder().lists.count(LIST_TOOL));
    EXPECT_EQ(1, g_ToolListCutState);
    g_CutCodeState = 0;
    InstallGlRecorder();
    SendUiMessage(g_ViewWindow, WM_PAINT, 0, 0);
    ASSERT_EQ(1u, RecordedCalls("newList").size());
    EXPECT_EQ(LIST_TOOL, RecordedCalls("newList")[0].values[0]);
    const GlCall material = RecordedCalls("material").at(0);   // the cutting part in the background colour
    EXPECT_FLOAT_EQ(g_BackgroundColour[0], static_cast<float>(material.values[2]));
    EXPECT_EQ(0, g_ToolListCutState);
    g_CurrentTool = savedTool;
}

TEST_F(SceneTest, AppliedColoursRebuildOnlyWhatTheyColour)
{
    CreateView(GlBackend(), 200, 200);   // installs the colour hook
    SendUiMessage(g_ViewWindow, WM_PAINT, 0, 0);
    SaveColourSettings();
    ApplyColourSettings();   // nothing changed: nothing to rebuild
    EXPECT_EQ(0, g_RebuildViceModelsList);
    EXPECT_EQ(0, g_RebuildToolList);
    EXPECT_EQ(0, g_RebuildTable1PartList);
    g_ColourSettingsBackup.viceColour = 0x00112233u;
    g_ColourSettingsBackup.tableColours[TABLE_COLOUR_TABLE1] = 0x00445566u;
    g_ColourSettingsBackup.backgroundColourSetting = 0x000000FFu;
    ApplyColourSettings();
    EXPECT_EQ(1, g_RebuildViceModelsList);
    EXPECT_EQ(1, g_RebuildTable1PartList);
    EXPECT_EQ(0, g_RebuildTablePartLists);
    EXPECT_EQ(0, g_RebuildToolList);
    EXPECT_FLOAT_EQ(0x33 / 255.0f, g_ViceMaterial.rgba[0]);
    EXPECT_FLOAT_EQ(g_MachineAlpha, g_ViceMaterial.rgba[3]);
    EXPECT_FLOAT_EQ(1.0f, g_BackgroundColour[0]);
    SCOPED_TRACE("restore");
    ResetColourSettings();
    UpdateSceneMaterials();
}

intptr_t MakePoint(int x, int y) { return static_cast<intptr_t>((static_cast<unsigned>(y) << 16) | static_cast<unsigned>(x)); }

TEST_F(SceneTest, MouseTurnsZoomsAndPansTheView)
{
    CreateView(GlBackend(), 400, 300);
    g_ViewRect = UiRect{0, 0, 400, 300};
    g_ViewAngleA = 315.0;
    g_ViewAngleB = 45.0;
    UpdateViewRotationCosSin();
    // A quick drag to the right turns the view and its release starts the auto-rotation.
    SendUiMessage(g_ViewWindow, WM_LBUTTONDOWN, MK_LBUTTON, MakePoint(100, 100));
    EXPECT_EQ(1, g_ViewDragging);
    SendUiMessage(g_ViewWindow, WM_MOUSEMOVE, MK_LBUTTON, MakePoint(120, 100));
    EXPECT_DOUBLE_EQ(315.0 + 7 * 2.5, g_ViewAngleA);   // n = int(20 x 72 / 200 + 0.5) = 7
    SendUiMessage(g_ViewWindow, WM_LBUTTONUP, 0, MakePoint(120, 100));
    EXPECT_EQ(0, g_ViewDragging);
    EXPECT_EQ(1, IsUiTimerSet(g_ViewWindow, TIMER_AUTO_ROTATE, nullptr));
    SendUiMessage(g_ViewWindow, WM_TIMER, TIMER_AUTO_ROTATE, 0);
    EXPECT_DOUBLE_EQ(315.0 + 14 * 2.5, g_ViewAngleA);
    // The next press stops it.
    SendUiMessage(g_ViewWindow, WM_LBUTTONDOWN, MK_LBUTTON, MakePoint(10, 10));
    EXPECT_EQ(0, IsUiTimerSet(g_ViewWindow, TIMER_AUTO_ROTATE, nullptr));
    // Ctrl held with the left button zooms.
    SendUiMessage(g_ViewWindow, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MakePoint(10, 40));
    EXPECT_EQ(VIEW_MOUSE_ZOOM, g_ViewMouseMode);
    EXPECT_NEAR(std::pow(1.1, 20.0 * 30 / 150), g_ViewZoom, 1e-12);
    SendUiMessage(g_ViewWindow, WM_LBUTTONUP, 0, MakePoint(10, 40));
    EXPECT_EQ(VIEW_MOUSE_ROTATE, g_ViewMouseMode);
    EXPECT_EQ(0, IsUiTimerSet(g_ViewWindow, TIMER_AUTO_ROTATE, nullptr));   // not after a zoom step
    // The wheel zooms at once and repaints only when its timer ends.
    const double zoom = g_ViewZoom;
    SendUiMessage(g_ViewWindow, WM_MOUSEWHEEL, static_cast<uintptr_t>(static_cast<uint16_t>(-240)) << 16, 0);
    EXPECT_NEAR(zoom / 1.21, g_ViewZoom, 1e-12);
    EXPECT_EQ(1, IsUiTimerSet(g_ViewWindow, TIMER_WHEEL_ZOOM_END, nullptr));
}

TEST_F(SceneTest, ZoomWindowNeedsFivePixelsEachWay)
{
    CreateView(GlBackend(), 400, 300);
    g_ViewRect = UiRect{0, 0, 400, 300};
    g_ZoomWindowArmed = 1;
    SendUiMessage(g_ViewWindow, WM_LBUTTONDOWN, MK_LBUTTON, MakePoint(100, 100));
    EXPECT_EQ(1, g_ZoomWindowDragging);
    // Corners that coincide draw no rectangle.
    InstallGlRecorder();
    DrawZoomRectangle();
    EXPECT_TRUE(GetGlRecorder().calls.empty());
    SendUiMessage(g_ViewWindow, WM_MOUSEMOVE, MK_LBUTTON, MakePoint(300, 100));
    EXPECT_DOUBLE_EQ(-0.5, g_ZoomRectangleCorners[0]);
    EXPECT_DOUBLE_EQ(0.5, g_ZoomRectangleCorners[2]);
    SendUiMessage(g_ViewWindow, WM_LBUTTONUP, 0, MakePoint(104, 160));   // 4 pixels wide
    EXPECT_EQ(1, g_ZoomWindowArmed);
    EXPECT_DOUBLE_EQ(1.0, g_ViewZoom);
    SendUiMessage(g_ViewWindow, WM_LBUTTONUP, 0, MakePoint(200, 150));   // 100 x 50
    EXPECT_EQ(0, g_ZoomWindowArmed);
    EXPECT_EQ(0, g_ZoomWindowDragging);
    EXPECT_DOUBLE_EQ(400.0 / 100.0, g_ViewZoom);   // 400 / 100 below 300 / 50: by the width
}

}  // namespace
