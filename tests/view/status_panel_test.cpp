// The status panel: the start-up layout of its cells, the value formats by the input increment, the
// stop-mode row, the measure cells, the NC row, silent mode, and the panel lock that keeps the user
// interface and the simulation thread from drawing at the same time. Read back from the frame's
// panel-cell model.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "platform/ui/event_core.h"
#include "platform/ui/panel_cells.h"
#include "platform/ui/shell_services.h"
#include "view/scene_materials.h"
#include "view/status_panel.h"
#include "work_model/work_values.h"

namespace {

intptr_t PlainProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    return DefaultWindowProc(window, message, wParam, lParam);
}

class StatusPanelTest : public ::testing::Test {
protected:
    WindowHandle frame = nullptr;
    double points[30] = {};

    void SetUp() override
    {
        ASSERT_EQ(StartEventCore(nullptr), 1);
        const UiRect rect = {0, 0, 800, 600};
        frame = CreateUiWindow("PanelFrame", "", PlainProc, nullptr, 0, &rect, 0);
        ASSERT_NE(frame, nullptr);
        InstallStatusPanelHooks();
        g_AxisCount = 5;
        LayOutStatusPanelCells(5);
        const char letters[6] = "XYZAC";
        for (int k = 0; k < 5; ++k) {
            g_AxisLabelCells[k][0] = '\t';
            g_AxisLabelCells[k][1] = letters[k];
            g_AxisLabelCells[k][2] = '\0';
        }
        g_SilentMode = 0;
        g_EnglishUi = 1;
        g_InputIncrement = 1000;
        g_PositionDisplayKind = 0;
        g_StopMode = 1;
        g_RunMode = 0;
        g_StopBlockPending = 0;
        g_MeasurePointCount = 0;
        g_PathPointBuffer = points;
        g_CylindricalInterpolationOn = 0;
        g_RotaryFollowMode = 0;
        g_ActiveReaderPlugin = -1;
        g_SubprogramDepth = 0;
        g_NcRowState = 0;
    }
    void TearDown() override
    {
        g_PathPointBuffer = nullptr;
        g_SilentMode = 0;
        g_CylindricalInterpolationOn = 0;
        g_SubprogramDepth = 0;
        StopEventCore();
    }

    PanelCell Cell(int index)
    {
        PanelCell cell;
        std::memset(&cell, 0, sizeof cell);
        EXPECT_EQ(GetPanelCell(frame, index, &cell), 1);
        return cell;
    }
    std::string Text(int index) { return Cell(index).text; }

    template <typename Fn>
    void Draw(Fn fn)
    {
        BeginPanelDraw(frame);
        fn();
        EndPanelDraw(frame);
    }
};

TEST_F(StatusPanelTest, StartLayoutFollowsTheAxisCount)
{
    struct Case {
        int axes;
        int index;
        UiRect rect;
    };
    // Five axes: B = 112, M = 378; three axes: B = 82.
    const Case cases[] = {
        {5, CELL_NC_LABEL, {140, 0, 220, 15}},       {5, CELL_CONTROLLER_NAME, {5, 5, 135, 20}},
        {5, CELL_AXIS_VALUE + 4, {65, 97, 135, 112}}, {5, CELL_AXIS_MINUS + 1, {20, 52, 35, 67}},
        {5, CELL_D_CODE, {5, 112, 70, 127}},          {5, CELL_SYNC_PUT, {103, 127, 135, 142}},
        {5, CELL_STOP_GO, {55, 162, 95, 177}},        {5, CELL_MEASURE_TITLE, {5, 180, 135, 195}},
        {5, CELL_RADIUS_3D, {65, 360, 135, 375}},     {5, CELL_WORK_LABEL, {5, 378, 65, 393}},
        {5, CELL_MIN_VALUE + 2, {65, 468, 135, 483}}, {3, CELL_STOP_M01, {5, 117, 48, 132}},
        {3, CELL_PITCH, {65, 348, 135, 363}},
    };
    for (const Case& c : cases) {
        LayOutStatusPanelCells(c.axes);
        const UiRect& r = g_StatusPanelCells[c.index];
        EXPECT_EQ(r.left, c.rect.left) << c.axes << " axes, cell " << c.index;
        EXPECT_EQ(r.top, c.rect.top) << c.axes << " axes, cell " << c.index;
        EXPECT_EQ(r.right, c.rect.right) << c.axes << " axes, cell " << c.index;
        EXPECT_EQ(r.bottom, c.rect.bottom) << c.axes << " axes, cell " << c.index;
    }
}

TEST_F(StatusPanelTest, AxisValuesUseTheFormatOfTheInputIncrement)
{
    g_ControlPoint = AxisPosition{{12.5, -3.25, 100.0, 90.0, 45.0}};
    struct Case {
        int increment;
        const char* x;
        const char* a;
    };
    const Case cases[] = {{1000, "\t\t   12.500", "\t\t   90.000"},
                          {100, "\t\t   12.50", "\t\t   90.00"},
                          {10000, "\t\t   12.5000", "\t\t   90.0000"}};
    for (const Case& c : cases) {
        g_InputIncrement = c.increment;
        Draw([] { DrawAxisValuesPanel(1); });
        EXPECT_EQ(Text(CELL_AXIS_VALUE + 0), c.x) << c.increment;
        EXPECT_EQ(Text(CELL_AXIS_VALUE + 3), c.a) << c.increment;
        EXPECT_EQ(Cell(CELL_AXIS_VALUE).style, 0);
    }
    // Cylindrical interpolation: the unrolled axis in degrees and the radius cell, "%9.2f" at 100.
    g_InputIncrement = 100;
    g_CylindricalInterpolationOn = 1;
    g_CylindricalAxisPlane = 0;
    g_CylinderRadius = 10.0;
    g_CylinderLengthPerDegree = 10.0 * 3.14159265358979323846 / 180.0;
    g_ControlPoint.axis[0] = g_CylinderLengthPerDegree * 30.0;
    Draw([] { DrawAxisValuesPanel(1); });
    EXPECT_EQ(Text(CELL_AXIS_VALUE + 0), "\t\t    30.00");
    EXPECT_EQ(Text(CELL_AXIS_VALUE + 4), "\t\t    10.00");
    EXPECT_EQ(Text(CELL_AXIS_VALUE + 1), "\t\t   -3.25");
}

TEST_F(StatusPanelTest, ToolTipKindRedrawsOnlyTheMovingAxesUnlessForced)
{
    g_PositionDisplayKind = 2;
    g_ToolTipPoint[0] = 1.0;
    g_ToolTipPoint[1] = 2.0;
    Draw([] { DrawAxisValuesPanel(1); });
    EXPECT_EQ(Text(CELL_AXIS_VALUE + 1), "\t\t    2.000");
    g_NcMoveStart = AxisPosition{{0, 0, 0, 0, 0}};
    g_NcMoveEnd = AxisPosition{{5, 0, 0, 0, 0}};
    g_ToolTipPoint[0] = 5.0;
    g_ToolTipPoint[1] = 7.0;
    Draw([] { DrawAxisValuesPanel(0); });
    EXPECT_EQ(Text(CELL_AXIS_VALUE + 0), "\t\t    5.000");
    EXPECT_EQ(Text(CELL_AXIS_VALUE + 1), "\t\t    2.000") << "Y does not move in this block";
}

TEST_F(StatusPanelTest, StopModeRowShowsTheModeAndTheRunState)
{
    g_StopMode = 1;
    Draw([] { DrawStopModeRow(); });
    for (int index = CELL_STOP_M01; index <= CELL_STOP_NONE; ++index) EXPECT_EQ(Cell(index).style, SBT_POPOUT) << index;
    EXPECT_EQ(Text(CELL_STOP_GO), "\tSTOP");
    EXPECT_EQ(Cell(CELL_STOP_GO).style, 0) << "idle: sunken";
    EXPECT_EQ(Cell(CELL_ESC).style, 0);
    g_StopMode = 3;
    g_RunMode = 1;
    Draw([] { DrawStopModeRow(); });
    EXPECT_EQ(Cell(CELL_STOP_SINGLE).style, 0);
    EXPECT_EQ(Cell(CELL_STOP_M01).style, SBT_POPOUT);
    EXPECT_EQ(Cell(CELL_STOP_GO).style, SBT_POPOUT) << "running: raised";
    g_StopBlockPending = 1;
    g_GoPromptBlink = 1;
    Draw([] { DrawStopModeRow(); });
    EXPECT_EQ(Text(CELL_STOP_GO), "\tGO");
    EXPECT_EQ(Text(CELL_ESC), "\tESC");
    g_GoPromptBlink = 0;
    Draw([] { DrawStopModeRow(); });
    EXPECT_EQ(Text(CELL_STOP_GO), "\t");
    EXPECT_EQ(Text(CELL_ESC), "\t");
    g_StopBlockPending = 0;
    g_RunMode = 0;
}

TEST_F(StatusPanelTest, MeasureCellsShowPointsLocksAndRadii)
{
    Draw([] {
        DrawMeasurePointCells();
        DrawMeasureResultPanel();
    });
    EXPECT_EQ(Text(CELL_MEASURE_POINT), "\t-");
    EXPECT_EQ(Text(CELL_RADIUS_3D), "\t-");
    g_MeasurePointCount = 2;
    points[3] = 1.0;
    points[4] = 2.0;
    points[5] = 3.0;
    g_MeasureAxisLock[1] = 1;
    const double results[8] = {1, 2, 3, 4, 0.0, 10000.0, -20000.0, 0.0};
    std::memcpy(g_MeasureResults, results, sizeof results);
    Draw([] {
        DrawMeasurePointCells();
        DrawMeasureResultPanel();
    });
    g_MeasureAxisLock[1] = 0;
    EXPECT_EQ(Text(CELL_MEASURE_COUNT), "\t\t    2");
    EXPECT_EQ(Text(CELL_MEASURE_POINT + 0), "\t\t    1.000");
    EXPECT_EQ(Text(CELL_MEASURE_POINT + 1), "*\t\t    2.000");
    EXPECT_EQ(Text(CELL_RADIUS_2D + 0), "\t\t    0.000") << "R(2D) of 0 is a number";
    EXPECT_EQ(Text(CELL_RADIUS_2D + 1), "\t*PLANE*");
    EXPECT_EQ(Text(CELL_RADIUS_2D + 2), "\t*PLANE*");
    EXPECT_EQ(Text(CELL_RADIUS_3D), "\t-") << "R(3D) of exactly 0";
    g_MeasureResults[7] = 100000.0;
    Draw([] { DrawMeasureResultPanel(); });
    EXPECT_EQ(Text(CELL_RADIUS_3D), "\t*LINE*");
    g_MeasurePointCount = 0;
}

TEST_F(StatusPanelTest, NcRowFollowsTheSubprogramAndThePickedBlock)
{
    g_NcRowState = 2;
    g_LevelLineNumber = 12;
    std::snprintf(g_NcLineBuffer, NC_LINE_BUFFER_SIZE, "G01 X10.");
    Draw([] { DrawNcBlockRow(); });
    EXPECT_EQ(Text(CELL_NC_LABEL), "\t\t12:");
    EXPECT_EQ(Text(CELL_NC_TEXT), "G01 X10.");
    // A sub-program whose name is 100 pixels wide moves the edge to 250.
    g_SubprogramDepth = 1;
    std::string name;
    while (MeasurePanelTextWidth(name.c_str()) < 100) name += "O";
    ASSERT_EQ(MeasurePanelTextWidth(name.c_str()), 105);   // fixed metrics: 7 pixels a letter
    std::snprintf(g_SubprogramCallNames[0], sizeof g_SubprogramCallNames[0], "%s", name.c_str());
    Draw([] { DrawNcBlockRow(); });
    EXPECT_EQ(g_StatusPanelCells[CELL_NC_LABEL].right, 255);
    EXPECT_EQ(g_StatusPanelCells[CELL_NC_TEXT].left, 255);
    EXPECT_EQ(Text(CELL_NC_TEXT), "      12:G01 X10.");
    g_SubprogramDepth = 0;
    Draw([] { DrawNcBlockRow(); });
    EXPECT_EQ(g_StatusPanelCells[CELL_NC_TEXT].left, 220);
    // The picked block: its number without sign, red when positive, yellow when negative.
    g_NcRowState = 6;
    g_PickedBlockNumber = -57;
    Draw([] { DrawNcBlockRow(); });
    EXPECT_EQ(Text(CELL_NC_LABEL), "\t\t57: ");
    EXPECT_EQ(Cell(CELL_NC_LABEL).textColour, 0x0000FFFFu);
    g_PickedBlockNumber = 57;
    Draw([] { DrawNcBlockRow(); });
    EXPECT_EQ(Cell(CELL_NC_LABEL).textColour, 0x000000FFu);
    g_NcRowState = 1;
    Draw([] { DrawNcBlockRow(); });
    EXPECT_EQ(g_PickedBlockNumber, 0);
    EXPECT_EQ(g_LevelLineNumber, 1);
}

TEST_F(StatusPanelTest, FramePaintDrawsEveryCellButNothingInSilentMode)
{
    g_WorkPitch = 0.25;
    g_WorkDefined = 0;
    g_ControllerNameBackColour[0] = 255;
    g_ControllerNameBackColour[1] = 255;
    g_ControllerNameBackColour[2] = 0;
    SendUiMessage(frame, WM_PAINT, 0, 0);
    PaintFrameWindow(frame);
    EXPECT_EQ(Text(CELL_PITCH), "\tPitch:0.250\t");
    EXPECT_EQ(Text(CELL_MAX_VALUE), "\tundefined");
    EXPECT_EQ(Text(CELL_AXIS_LABEL + 3), "\tA");
    EXPECT_EQ(Text(CELL_NC_TEXT), "- Not Selected -");
    EXPECT_EQ(Cell(CELL_PANEL_FILL).kind, PANEL_CELL_FILL);
    EXPECT_EQ(Cell(CELL_PANEL_FILL).fillColour, 0x0000FFFFu) << "the controller name's background, yellow";
    EXPECT_EQ(Cell(CELL_SYNC_GET).kind, PANEL_CELL_EMPTY) << "no sync plug-in: not drawn";
    EXPECT_EQ(Cell(50).kind, PANEL_CELL_EMPTY) << "the title row's value cell is never drawn";

    StopEventCore();
    ASSERT_EQ(StartEventCore(nullptr), 1);
    const UiRect rect = {0, 0, 800, 600};
    frame = CreateUiWindow("PanelFrame", "", PlainProc, nullptr, 0, &rect, 0);
    g_SilentMode = 1;
    PaintFrameWindow(frame);
    Draw([] {
        DrawNcBlockRow();
        DrawStopModeRow();
        DrawAxisValuesPanel(1);
        DrawWorkExtentsCells();
    });
    for (int index = 0; index < STATUS_PANEL_CELL_COUNT; ++index) EXPECT_EQ(Cell(index).kind, PANEL_CELL_EMPTY) << index;
}

TEST_F(StatusPanelTest, AxisHeadersFollowTheCoordinateSituation)
{
    struct Case {
        int kind;
        int toolCentre;
        int rotation;
        int offsetMode;
        int polar;
        int cylinder;
        int plane;
        const char* labels[5];
    };
    const Case cases[] = {
        {1, 0, 0, 0, 0, 0, 17, {"\tXm", "\tYm", "\tZm", "\tAm", "\tCm"}},
        {2, 0, 0, 0, 0, 0, 17, {"\tXmt", "\tYmt", "\tZmt", "\tAm", "\tCm"}},
        {0, 1, 0, 0, 0, 0, 17, {"\tX(t)", "\tY(t)", "\tZ(t)", "\tA", "\tC"}},
        {0, 0, 2, 1, 0, 0, 17, {"\tXhr", "\tYhr", "\tZhr", "\tA", "\tC"}},
        {0, 0, 0, 0, 1, 0, 17, {"\tX(p)", "\tC(p)", "\tZ", "\tA", "\t-"}},
        {0, 0, 0, 0, 0, 1, -18, {"\tC(c)", "\tX", "\tZ(c)", "\tA", "\tCR"}},
        {0, 0, 0, 0, 0, 1, 19, {"\tX", "\tC(c)", "\tZ(c)", "\tA", "\tCR"}},
    };
    for (const Case& c : cases) {
        g_PositionDisplayKind = c.kind;
        g_ToolCentreMode = c.toolCentre;
        g_CoordinateRotationState = c.rotation;
        g_OffsetApplyMode = c.offsetMode;
        g_PolarInterpolationOn = c.polar;
        g_CylindricalInterpolationOn = c.cylinder;
        g_PlaneCode = c.plane;
        Draw([] { DrawAxisLabelColumn(); });   // through the interpreter's call
        for (int i = 0; i < 5; ++i) EXPECT_EQ(Text(CELL_AXIS_LABEL + i), c.labels[i]) << "case " << (&c - cases);
    }
    g_PositionDisplayKind = g_ToolCentreMode = g_CoordinateRotationState = g_OffsetApplyMode = 0;
    g_PolarInterpolationOn = g_CylindricalInterpolationOn = 0;
    g_PlaneCode = 17;
}

TEST_F(StatusPanelTest, OneThreadDrawsAtATime)
{
    // The simulation thread holds the bracket; the user-interface thread's paint waits for its end.
    std::atomic<int> inside{0};
    std::atomic<int> release{0};
    std::thread simulation([&] {
        BeginPanelDraw(frame);
        inside = 1;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        DrawAxisValuesPanel(1);
        inside = 0;
        EndPanelDraw(frame);
    });
    while (!inside) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::atomic<int> painted{0};
    std::thread painter([&] {
        BeginPanelDraw(frame);
        EXPECT_EQ(inside.load(), 0) << "drew while the other thread held the panel";
        painted = 1;
        EndPanelDraw(frame);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(painted.load(), 0);
    release = 1;
    simulation.join();
    painter.join();
    EXPECT_EQ(painted.load(), 1);
    EndPanelDraw(frame);   // an end without its begin does nothing
}

TEST(SceneMaterials, ColourBecomesFourFloats)
{
    SceneMaterial material = {};
    ColourToRgbaFloat(0x0000FF00u, 0.5f, &material);
    EXPECT_EQ(material.rgba[0], 0.0f);
    EXPECT_EQ(material.rgba[1], 1.0f);
    EXPECT_EQ(material.rgba[2], 0.0f);
    EXPECT_EQ(material.rgba[3], 0.5f);
    ColourToRgbaFloat(0x00FF0080u, 1.0f, &material);
    EXPECT_FLOAT_EQ(material.rgba[0], 128.0f / 255.0f);
    EXPECT_EQ(material.rgba[2], 1.0f);
}

}  // namespace
