// The status panel: the start-up layout of its 77 cells, the drawing bracket with the panel lock, the
// frame's paint of every cell and the routines that redraw one group of cells each.
#include "view/status_panel.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "nc/reader_plugin.h"
#include "platform/ui/event_core.h"
#include "platform/ui/panel_cells.h"
#include "platform/ui/shell_services.h"
#include "simulation/run_display.h"
#include "view/view_window.h"
#include "work_model/pens_paint.h"
#include "work_model/work_model.h"
#include "work_model/work_values.h"

PanelPaintRecord g_PanelPaint = {nullptr, 0, 0};
int g_PositionDisplayKind = 0;
int g_MeasurePointCount = 0;
int g_PickLookupEnabled = 0;
double* g_PathPointBuffer = nullptr;
double g_MeasureResults[8] = {};
int g_MeasureAxisLock[3] = {};
int g_StartSoundPlayed = 0;
int g_SyncMachineAccepted = 0;
int g_SyncGetEntryPresent = 0;
int g_SyncPutEntryPresent = 0;
int g_PluginPathMotionKind = 0;
double g_PluginPathPoint[3] = {};
char g_AxisColumnHeaders[AXIS_HEADER_ROWS][5][6] = {};

namespace {

// The panel lock. The frame's paint (user-interface thread) and the run's redraws (simulation thread)
// both draw through g_PanelPaint and g_PanelText; whoever holds the lock draws. It is recursive so
// that a bracket may open inside the paint or inside another bracket on the same thread. Nothing
// inside a bracket waits for another thread (cell writes only queue a redraw), so the lock can never
// close a circle with a cross-thread send.
std::recursive_mutex g_PanelDrawLock;
thread_local int t_PanelDrawDepth = 0;

char g_PanelText[PANEL_TEXT_SIZE];     // shared text buffer of the cell routines (under the lock)
char g_AxisValueText[256];             // DrawAxisValuesPanel's own buffer

const unsigned kCellFaceColour = 0x00F0F0F0u;   // the face of cells and buttons
const unsigned kCellTextColour = 0x00000000u;
const int kNcEdgeDefault = 220;

// Axis count clamped to the five axis rows the panel has.
int PanelAxisCount()
{
    if (g_AxisCount < 0) return 0;
    return g_AxisCount > 5 ? 5 : g_AxisCount;
}

void SetCell(int index, int left, int top, int right, int bottom)
{
    g_StatusPanelCells[index] = UiRect{left, top, right, bottom};
}

// One status-text cell of the current drawing record.
void DrawCell(int index, const char* text, int style)
{
    if (g_PanelPaint.window == nullptr) return;
    DrawPanelStatusText(g_PanelPaint.window, index, &g_StatusPanelCells[index], text, style, kCellTextColour,
                        kCellFaceColour);
}

// The same with the text colour of the drawing record (DrawTextA into a cell).
void DrawColouredCell(int index, const char* text, int style)
{
    if (g_PanelPaint.window == nullptr) return;
    DrawPanelStatusText(g_PanelPaint.window, index, &g_StatusPanelCells[index], text, style, g_PanelPaint.textColour,
                        kCellFaceColour);
}

const char* Pick(const char* english, const char* japanese) { return g_EnglishUi ? english : japanese; }

void LayOutHook(int axisCount) { LayOutStatusPanelCellsForAxes(axisCount); }

void DrawAxisLabelColumnHook() { DrawAxisLabelColumnCells(); }
void DrawMeasurePointHook() { DrawMeasurePointCells(); }
void DrawWorkExtentsHook() { DrawWorkExtentsCells(); }

// The value format of one cell; width9 selects "%9.2f" for the increment 100 (cylinder cells).
void FormatValueCell(char* text, int size, double value, int locked, int width9)
{
    const char* star = locked ? "*" : "";
    if (g_InputIncrement == 1000) std::snprintf(text, size, "%s\t\t%9.3f", star, value);
    else if (g_InputIncrement == 100) std::snprintf(text, size, width9 ? "%s\t\t%9.2f" : "%s\t\t%8.2f", star, value);
    else std::snprintf(text, size, "%s\t\t%10.4f", star, value);
}

// The common edge of the two NC row cells.
void SetNcRowEdge(int x)
{
    g_StatusPanelCells[CELL_NC_LABEL].right = x;
    g_StatusPanelCells[CELL_NC_TEXT].left = x;
}

void FormatPluginBlock(char* text, int size)
{
    const double* p = g_NcTargetPosition.axis;
    const double* v = g_ToolAxisVector;
    const double feed = g_FeedValues[0];
    const int ijk = !ReaderPluginHasPathWithPlane();
    switch (g_MotionKind) {
    case 0:
        if (ijk) std::snprintf(text, size, "RAPID:%9.3f,%9.3f,%9.3f IJK:%.3f,%.3f,%.3f", p[0], p[1], p[2], v[0], v[1], v[2]);
        else std::snprintf(text, size, "RAPID:%9.3f,%9.3f,%9.3f", p[0], p[1], p[2]);
        break;
    case 1:
        if (ijk) {
            std::snprintf(text, size, "LINE:%9.3f,%9.3f,%9.3f IJK:%.3f,%.3f,%.3f FEED=%9.3f", p[0], p[1], p[2], v[0], v[1],
                          v[2], feed);
        } else {
            std::snprintf(text, size, "LINE:%9.3f,%9.3f,%9.3f , FEED=%9.3f", p[0], p[1], p[2], feed);
        }
        break;
    case 2: std::snprintf(text, size, "ARC(CW):%9.3f,%9.3f,%9.3f , FEED=%9.3f", p[0], p[1], p[2], feed); break;
    case 3: std::snprintf(text, size, "ARC(CCW):%9.3f,%9.3f,%9.3f , FEED=%9.3f", p[0], p[1], p[2], feed); break;
    default: std::snprintf(text, size, "OTHER:%9.3f,%9.3f,%9.3f , FEED=%9.3f", p[0], p[1], p[2], feed); break;
    }
}

void FormatPluginPathPoint(char* text, int size)
{
    static const char* const kKinds[5] = {"RAPID    ", "LINE     ", "ARC(CW)  ", "ARC(CCW) ", "OTHER    "};
    const int kind = g_PluginPathMotionKind >= 0 && g_PluginPathMotionKind <= 3 ? g_PluginPathMotionKind : 4;
    std::snprintf(text, size, "%s%9.3f,%9.3f,%9.3f", kKinds[kind], g_PluginPathPoint[0], g_PluginPathPoint[1],
                  g_PluginPathPoint[2]);
}

// The NC row while running (state 2): label by sub-program depth, then the block.
void DrawCurrentBlockRow()
{
    const int depth = g_SubprogramDepth;
    if (depth < 1) {
        SetNcRowEdge(kNcEdgeDefault);
        std::snprintf(g_PanelText, sizeof g_PanelText, "\t\t%ld:", static_cast<long>(g_LevelLineNumber));
    } else {
        const char* name = g_SubprogramCallNames[depth - 1 < 4 ? depth - 1 : 3];
        int edge = MeasurePanelTextWidth(name) + 150;
        SetNcRowEdge(edge < kNcEdgeDefault ? kNcEdgeDefault : edge);
        std::snprintf(g_PanelText, sizeof g_PanelText, "\t\t%s", name);
    }
    DrawCell(CELL_NC_LABEL, g_PanelText, 0);
    if (g_ActiveReaderPlugin < 0) {
        if (depth >= 1) {
            std::snprintf(g_PanelText, sizeof g_PanelText, "%8ld:%.240s", static_cast<long>(g_LevelLineNumber), g_NcLineBuffer);
            DrawCell(CELL_NC_TEXT, g_PanelText, 0);
        } else {
            DrawCell(CELL_NC_TEXT, g_NcLineBuffer, 0);
        }
    } else {
        FormatPluginBlock(g_PanelText, sizeof g_PanelText);
        DrawCell(CELL_NC_TEXT, g_PanelText, 0);
    }
    g_PickedBlockNumber = 0;
}

// The picked block (state 6): the number in red (positive) or yellow, then the block.
void DrawPickedBlockRow()
{
    g_PanelPaint.transparent = 1;
    g_PanelPaint.textColour = g_PickedBlockNumber > 0 ? 0x000000FFu : 0x0000FFFFu;
    const long number = g_PickedBlockNumber < 0 ? -static_cast<long>(g_PickedBlockNumber) : g_PickedBlockNumber;
    std::snprintf(g_PanelText, sizeof g_PanelText, "\t\t%ld: ", number);
    DrawColouredCell(CELL_NC_LABEL, g_PanelText, 0);
    if (g_ActiveReaderPlugin < 0) {
        DrawColouredCell(CELL_NC_TEXT, g_NcLineBuffer, 0);
    } else {
        FormatPluginPathPoint(g_PanelText, sizeof g_PanelText);
        DrawCell(CELL_NC_TEXT, g_PanelText, 0);
    }
}

}  // namespace

// --- Layout, hooks and the bracket -------------------------------------------------------------------

void InstallStatusPanelHooks()
{
    g_LayOutStatusPanelCellsHook = LayOutHook;
    g_InterpreterUiHooks.beginPanelDraw = BeginPanelDrawing;
    g_InterpreterUiHooks.endPanelDraw = EndPanelDrawing;
    g_InterpreterUiHooks.drawAxisLabelColumn = DrawAxisLabelColumnHook;
    g_InterpreterUiHooks.drawMeasurePointPanel = DrawMeasurePointHook;
    g_InterpreterUiHooks.drawWorkExtentsPanel = DrawWorkExtentsHook;
    g_RunDisplayHooks.drawNcBlockRow = DrawNcBlockRow;
    g_RunDisplayHooks.drawAxisValuesPanel = DrawAxisValuesPanel;
}

void LayOutStatusPanelCellsForAxes(int axisCount)
{
    if (axisCount < 0) axisCount = 0;
    if (axisCount > 5) axisCount = 5;
    std::memset(g_StatusPanelCells, 0, sizeof g_StatusPanelCells);
    // The frame's resize moves the right edge of the NC text and the bottom of the column.
    SetCell(CELL_NC_LABEL, 140, 0, kNcEdgeDefault, 15);
    SetCell(CELL_NC_TEXT, kNcEdgeDefault, 0, 1024, 15);
    SetCell(CELL_PANEL_FRAME, 0, 0, 140, 768);
    SetCell(CELL_PANEL_FILL, 1, 1, 139, 767);
    SetCell(CELL_CONTROLLER_NAME, 5, 5, 135, 20);
    SetCell(CELL_POSITION_KIND, 5, 22, 135, 37);
    for (int i = 0; i < axisCount; ++i) {
        const int top = 37 + 15 * i;
        SetCell(CELL_AXIS_PLUS + i, 5, top, 20, top + 15);
        SetCell(CELL_AXIS_MINUS + i, 20, top, 35, top + 15);
        SetCell(CELL_AXIS_LABEL + i, 35, top, 65, top + 15);
        SetCell(CELL_AXIS_VALUE + i, 65, top, 135, top + 15);
    }
    const int b = 37 + 15 * axisCount;
    SetCell(CELL_D_CODE, 5, b, 70, b + 15);
    SetCell(CELL_H_CODE, 70, b, 135, b + 15);
    SetCell(CELL_WORK_COORDINATES, 5, b + 15, 70, b + 30);
    SetCell(CELL_SYNC_GET, 71, b + 15, 103, b + 30);
    SetCell(CELL_SYNC_PUT, 103, b + 15, 135, b + 30);
    SetCell(CELL_STOP_M01, 5, b + 35, 48, b + 50);
    SetCell(CELL_STOP_SINGLE, 48, b + 35, 91, b + 50);
    SetCell(CELL_STOP_DEFINE, 91, b + 35, 135, b + 50);
    SetCell(CELL_STOP_NONE, 5, b + 50, 55, b + 65);
    SetCell(CELL_STOP_GO, 55, b + 50, 95, b + 65);
    SetCell(CELL_ESC, 95, b + 50, 135, b + 65);
    SetCell(CELL_MEASURE_TITLE, 5, b + 68, 135, b + 83);
    SetCell(CELL_MEASURE_TITLE + 13, 0, b + 68, 135, b + 83);   // cell 50: never drawn
    for (int k = 1; k <= 12; ++k) {
        const int top = b + 68 + 15 * k;
        SetCell(CELL_MEASURE_TITLE + k, 5, top, 65, top + 15);
        SetCell(CELL_MEASURE_TITLE + 13 + k, 65, top, 135, top + 15);
    }
    const int m = b + 266;
    SetCell(CELL_WORK_LABEL, 5, m, 65, m + 15);
    SetCell(CELL_PITCH, 65, m, 135, m + 15);
    for (int j = 1; j <= 6; ++j) {
        const int top = m + 15 * j;
        SetCell(CELL_WORK_LABEL + j, 5, top, 65, top + 15);
        SetCell(CELL_PITCH + j, 65, top, 135, top + 15);
    }
}

void BeginPanelDrawing(WindowHandle window)
{
    g_PanelDrawLock.lock();
    ++t_PanelDrawDepth;
    g_PanelPaint.window = window;
    g_PanelPaint.transparent = 0;
    g_PanelPaint.textColour = kCellTextColour;
    BeginPanelUpdate(window);
}

void EndPanelDrawing(WindowHandle window)
{
    if (t_PanelDrawDepth <= 0) return;   // an end without its begin releases nothing
    EndPanelUpdate(window);
    --t_PanelDrawDepth;
    g_PanelDrawLock.unlock();
}

void PaintFrameWindow(WindowHandle frame)
{
    BeginPanelDrawing(frame);
    BeginUiPaint(frame);
    if (!g_SilentMode) PaintStatusPanel();
    EndUiPaint(frame);
    EndPanelDrawing(frame);
}

// --- The whole panel ---------------------------------------------------------------------------------

void PaintStatusPanel()
{
    if (g_SilentMode || g_PanelPaint.window == nullptr) return;
    const int axes = PanelAxisCount();
    DrawCell(CELL_PANEL_FRAME, "", SBT_POPOUT);
    g_StatusPanelCells[CELL_PANEL_FILL].bottom = g_StatusPanelCells[CELL_PANEL_FRAME].bottom - 1;
    // The column's background is the controller definition's "NAME COLOR" background (read afresh, so a
    // reload of the definition shows at the next paint).
    const unsigned background = (g_ControllerNameBackColour[0] & 255) | ((g_ControllerNameBackColour[1] & 255) << 8) |
                                ((g_ControllerNameBackColour[2] & 255) << 16);
    FillPanelCell(g_PanelPaint.window, CELL_PANEL_FILL, &g_StatusPanelCells[CELL_PANEL_FILL], background);
    const unsigned nameColour = (g_ControllerNameTextColour[0] & 255) | ((g_ControllerNameTextColour[1] & 255) << 8) |
                                ((g_ControllerNameTextColour[2] & 255) << 16);
    g_PanelPaint.transparent = 1;
    g_PanelPaint.textColour = nameColour;
    char name[CONTROLLER_NAME_MAX + 1];
    int length = g_ControllerNameLength < 0 ? 0 : g_ControllerNameLength > CONTROLLER_NAME_MAX ? CONTROLLER_NAME_MAX
                                                                                               : g_ControllerNameLength;
    std::memcpy(name, g_ControllerName, static_cast<size_t>(length));
    name[length] = '\0';
    DrawPanelPlainText(g_PanelPaint.window, CELL_CONTROLLER_NAME, &g_StatusPanelCells[CELL_CONTROLLER_NAME], name,
                       nameColour);
    DrawControlPointKind();
    for (int i = 0; i < axes; ++i) {
        DrawCell(CELL_AXIS_PLUS + i, "\t+", SBT_POPOUT);
        DrawCell(CELL_AXIS_MINUS + i, "\t-", SBT_POPOUT);
    }
    DrawAxisLabelColumnCells();
    DrawAxisValuesPanel(1);
    DrawCell(CELL_D_CODE, Pick("\tD-Code", "\t径補正値"), SBT_POPOUT);
    DrawCell(CELL_H_CODE, Pick("\tH-Code", "\t長補正値"), SBT_POPOUT);
    DrawCell(CELL_WORK_COORDINATES, Pick("\tWorkpiece", "\tﾜｰｸ座標"), SBT_POPOUT);
    if (g_SyncMachineAccepted) {
        if (g_SyncGetEntryPresent) DrawCell(CELL_SYNC_GET, "\tGET", SBT_POPOUT);
        if (g_SyncPutEntryPresent) DrawCell(CELL_SYNC_PUT, "\tPUT", SBT_POPOUT);
    }
    DrawStopModeRow();
    DrawMeasureAxisHeaders();
    DrawCell(CELL_MEASURE_TITLE, Pick("\tMeasured Data", "\t計測位置のデータ"), SBT_NOBORDERS);
    DrawCell(CELL_MEASURE_COUNT_LABEL, Pick("\tCount", "\t点数"), 0);
    static const char* const kDeltaEnglish[3] = {"\tDelta-X", "\tDelta-Y", "\tDelta-Z"};
    static const char* const kDeltaJapanese[3] = {"\tX増分", "\tY増分", "\tZ増分"};
    static const char* const kRadius[3] = {"\tR(2D-X)", "\tR(2D-Y)", "\tR(2D-Z)"};
    for (int a = 0; a < 3; ++a) {
        DrawCell(CELL_DELTA_LABEL + a, Pick(kDeltaEnglish[a], kDeltaJapanese[a]), 0);
        DrawCell(CELL_RADIUS_2D_LABEL + a, kRadius[a], 0);
    }
    DrawCell(CELL_DISTANCE_LABEL, Pick("\tDis", "\t距離"), 0);
    DrawCell(CELL_RADIUS_3D_LABEL, "\tR(3D)", 0);
    DrawMeasureAxisHeaders();
    DrawMeasurePointCells();
    DrawMeasureResultPanel();
    DrawCell(CELL_WORK_LABEL, Pick("\tWork\t", "\t被切削材\t"), SBT_POPOUT);
    char pitch[64];
    std::snprintf(pitch, sizeof pitch, g_EnglishUi ? "\tPitch:%5.3f\t" : "\t精度:%5.3f\t", g_WorkPitch);
    DrawMaxMinRow();
    DrawCell(CELL_PITCH, pitch, SBT_POPOUT);
    DrawWorkExtentsCells();
    DrawNcBlockRow();
}

// --- Cell groups -------------------------------------------------------------------------------------

void BuildAxisColumnHeaders()
{
    std::memset(g_AxisColumnHeaders, 0, sizeof g_AxisColumnHeaders);
    char letters[5];
    for (int k = 0; k < 5; ++k) letters[k] = g_AxisLabelCells[k][1];
    for (int row = 0; row < AXIS_HEADER_ROWS; ++row) {
        for (int k = 0; k < 5; ++k) {
            g_AxisColumnHeaders[row][k][0] = '\t';
            g_AxisColumnHeaders[row][k][1] = letters[k];
        }
    }
    // Suffixes after the letter: rows 1 to 5, 9 and 10 on X, Y, Z (rows 1 and 2 on the rotaries too).
    struct Suffix {
        int row;
        const char* linear;
        const char* rotary;
    };
    static const Suffix kSuffixes[] = {{1, "m", "m"}, {2, "mt", "m"},  {3, "(t)", ""}, {4, "(w)", ""},
                                       {5, "(r)", ""}, {9, "h", ""},   {10, "hr", ""}};
    for (const Suffix& s : kSuffixes) {
        for (int k = 0; k < 5; ++k) {
            const char* suffix = k < 3 ? s.linear : s.rotary;
            std::memcpy(&g_AxisColumnHeaders[s.row][k][2], suffix, std::strlen(suffix));
        }
    }
    // Polar interpolation: X(p), Y or C (p), Z, the first rotary, "-".
    std::snprintf(g_AxisColumnHeaders[6][0], 6, "\t%c(p)", letters[0]);
    std::snprintf(g_AxisColumnHeaders[6][1], 6, "\t%c(p)", g_DialectCode == 1 ? 'Y' : 'C');
    std::snprintf(g_AxisColumnHeaders[6][4], 6, "\t-");
    // Cylindrical interpolation: the unrolled axis C(c), the other linear axis, Z(c), the rotary, CR.
    std::snprintf(g_AxisColumnHeaders[7][0], 6, "\tC(c)");
    std::snprintf(g_AxisColumnHeaders[7][1], 6, "\tX");
    std::snprintf(g_AxisColumnHeaders[8][0], 6, "\tX");
    std::snprintf(g_AxisColumnHeaders[8][1], 6, "\tC(c)");
    for (int row = 7; row <= 8; ++row) {
        std::snprintf(g_AxisColumnHeaders[row][2], 6, "\tZ(c)");
        std::snprintf(g_AxisColumnHeaders[row][4], 6, "\tCR");
    }
}

void DrawControlPointKind()
{
    const char* text;
    if (g_PositionDisplayKind == 0) text = Pick("\tControl Point", "\t制御点座標値");
    else if (g_PositionDisplayKind == 1) text = Pick("\tMachine(Ctrl-Pt)", "\t機械座標(指令位置)");
    else text = Pick("\tMachine(Tool-Pt)", "\t機械座標(工具先端)");
    DrawCell(CELL_POSITION_KIND, text, SBT_POPOUT);
}

void DrawAxisLabelColumnCells()
{
    // The letters come from the controller and machine definitions: rebuilt here so that a reload of
    // either always shows.
    BuildAxisColumnHeaders();
    int row = 0;
    if (g_PositionDisplayKind != 0) row = g_PositionDisplayKind == 1 ? 1 : 2;
    else if (g_ToolCentreMode != 0) row = 3;
    else if (g_RotaryFollowMode != 0) row = 4;
    else if (g_OffsetApplyMode == 1 || g_OffsetApplyMode == 2) row = g_CoordinateRotationState != 0 ? 10 : 9;
    else if (g_CoordinateRotationState != 0) row = 5;
    else if (g_PolarInterpolationOn) row = 6;
    else if (g_CylindricalInterpolationOn) row = std::abs(g_PlaneCode) == 18 ? 7 : 8;
    char text[8];
    const int axes = PanelAxisCount();
    for (int i = 0; i < axes; ++i) {
        std::memcpy(text, g_AxisColumnHeaders[row][i], 6);
        text[6] = '\0';
        DrawCell(CELL_AXIS_LABEL + i, text, 0);
    }
}

void DrawAxisValuesPanel(int force)
{
    if (g_SilentMode == 1) return;
    const int axes = PanelAxisCount();
    for (int i = 0; i < axes; ++i) {
        double value = 0.0;
        int width9 = 0;
        if (g_PositionDisplayKind == 0) {
            if (g_CylindricalInterpolationOn && i == g_CylindricalAxisPlane) {
                value = g_CylinderLengthPerDegree != 0.0 ? g_ControlPoint.axis[i] / g_CylinderLengthPerDegree : 0.0;
                width9 = 1;
            } else if (g_CylindricalInterpolationOn && i == 4) {
                value = g_CylinderRadius;
                width9 = 1;
            } else if (g_RotaryFollowMode && i >= 3) {
                value = g_MachinePosition.axis[i];
            } else {
                value = g_ControlPoint.axis[i];
            }
        } else if (g_PositionDisplayKind == 1) {
            value = g_MachinePosition.axis[i];
        } else {
            if (!force && g_NcMoveStart.axis[i] == g_NcMoveEnd.axis[i]) continue;
            value = i < 3 ? g_ToolTipPoint[i] : g_MachinePosition.axis[i];
        }
        FormatValueCell(g_AxisValueText, sizeof g_AxisValueText, value, 0, width9);
        DrawCell(CELL_AXIS_VALUE + i, g_AxisValueText, 0);
    }
}

void DrawStopModeRow()
{
    if (g_SilentMode) return;
    DrawCell(CELL_STOP_M01, "\tM01", g_StopMode == 2 ? 0 : SBT_POPOUT);
    DrawCell(CELL_STOP_SINGLE, Pick("\tSingle", "\tｼﾝｸﾞﾙ"), g_StopMode == 3 ? 0 : SBT_POPOUT);
    DrawCell(CELL_STOP_DEFINE, Pick("\tDefine", "\t指定"), g_StopMode == 4 ? 0 : SBT_POPOUT);
    DrawCell(CELL_STOP_NONE, Pick("\tNone", "\tﾉﾝｽﾄｯﾌﾟ"), g_StopMode == 0 ? 0 : SBT_POPOUT);
    if (g_StopBlockPending) {
        DrawCell(CELL_STOP_GO, g_GoPromptBlink ? "\tGO" : "\t", SBT_POPOUT);
        DrawCell(CELL_ESC, g_GoPromptBlink ? "\tESC" : "\t", SBT_POPOUT);
    } else {
        const int style = g_RunMode > 0 ? SBT_POPOUT : 0;
        DrawCell(CELL_STOP_GO, "\tSTOP", style);
        DrawCell(CELL_ESC, "\tESC", style);
    }
}

void DrawMeasureAxisHeaders()
{
    char text[8];
    for (int a = 0; a < 3; ++a) {
        std::snprintf(text, sizeof text, "\t%c%c", g_AxisLabelCells[a][1], g_ShowWorkCoordinates ? 'w' : 'm');
        DrawCell(CELL_MEASURE_AXIS_LABEL + a, text, 0);
    }
}

void DrawMeasurePointCells()
{
    std::snprintf(g_PanelText, sizeof g_PanelText, "\t\t%5ld", static_cast<long>(g_MeasurePointCount));
    DrawCell(CELL_MEASURE_COUNT, g_PanelText, 0);
    if ((g_MeasurePointCount < 1 && g_ViewMouseMode != 5) || g_PathPointBuffer == nullptr) {
        for (int a = 0; a < 3; ++a) DrawCell(CELL_MEASURE_POINT + a, "\t-", 0);
        return;
    }
    // Mouse mode 5 keeps its pick in entry 0 without counting it.
    const int entry = g_MeasurePointCount > 0 ? g_MeasurePointCount - 1 : 0;
    double point[3] = {g_PathPointBuffer[entry * 3], g_PathPointBuffer[entry * 3 + 1], g_PathPointBuffer[entry * 3 + 2]};
    if (g_ShowWorkCoordinates) {
        double work[3];
        ToWorkCoordinates(point, work);
        for (int a = 0; a < 3; ++a) point[a] = work[a];
    }
    for (int a = 0; a < 3; ++a) {
        FormatValueCell(g_PanelText, sizeof g_PanelText, point[a], g_MeasureAxisLock[a] != 0, 0);
        DrawCell(CELL_MEASURE_POINT + a, g_PanelText, 0);
    }
}

void DrawMeasureResultPanel()
{
    if (g_MeasurePointCount < 1) {
        for (int index = CELL_DELTA; index <= CELL_RADIUS_3D; ++index) DrawCell(index, "\t-", 0);
        return;
    }
    for (int k = 0; k < 4; ++k) {
        FormatValueCell(g_PanelText, sizeof g_PanelText, g_MeasureResults[k], 0, 0);
        DrawCell(CELL_DELTA + k, g_PanelText, 0);
    }
    for (int a = 0; a < 3; ++a) {
        const double radius = g_MeasureResults[4 + a];
        if (std::fabs(radius) >= 10000.0) std::snprintf(g_PanelText, sizeof g_PanelText, "\t*PLANE*");
        else FormatValueCell(g_PanelText, sizeof g_PanelText, radius, 0, 0);
        DrawCell(CELL_RADIUS_2D + a, g_PanelText, 0);
    }
    const double radius3d = g_MeasureResults[7];
    if (std::fabs(radius3d) >= 10000.0) std::snprintf(g_PanelText, sizeof g_PanelText, "\t*LINE*");
    else if (radius3d == 0.0) std::snprintf(g_PanelText, sizeof g_PanelText, "\t-");
    else FormatValueCell(g_PanelText, sizeof g_PanelText, radius3d, 0, 0);
    DrawCell(CELL_RADIUS_3D, g_PanelText, 0);
}

void DrawMaxMinRow()
{
    static const char* const kMachine[6] = {"\tMaxXm", "\tMaxYm", "\tMaxZm", "\tMinXm", "\tMinYm", "\tMinZm"};
    static const char* const kWork[6] = {"\tMaxXw", "\tMaxYw", "\tMaxZw", "\tMinXw", "\tMinYw", "\tMinZw"};
    const char* const* texts = g_ShowExtentsInWorkCoordinates ? kWork : kMachine;
    for (int a = 0; a < 3; ++a) {
        DrawCell(CELL_MAX_LABEL + a, texts[a], 0);
        DrawCell(CELL_MIN_LABEL + a, texts[3 + a], 0);
    }
}

void DrawWorkExtentsCells()
{
    if (g_SilentMode == 1) return;
    if (!g_WorkDefined) {
        for (int a = 0; a < 3; ++a) {
            DrawCell(CELL_MAX_VALUE + a, "\tundefined", 0);
            DrawCell(CELL_MIN_VALUE + a, "\tundefined", 0);
        }
        return;
    }
    double minimum[3];
    double maximum[3];
    const WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    if (g_ShowExtentsInWorkCoordinates) GetWorkExtentsInWorkCoords(work, ToWorkCoordinates, minimum, maximum);
    else GetWorkExtents(work, minimum, maximum);
    for (int a = 0; a < 3; ++a) {
        FormatValueCell(g_PanelText, sizeof g_PanelText, maximum[a], 0, 0);
        DrawCell(CELL_MAX_VALUE + a, g_PanelText, 0);
        FormatValueCell(g_PanelText, sizeof g_PanelText, minimum[a], 0, 0);
        DrawCell(CELL_MIN_VALUE + a, g_PanelText, 0);
    }
}

void DrawNcBlockRow()
{
    if (g_SilentMode) return;
    switch (g_NcRowState) {
    case 0:
        DrawCell(CELL_NC_LABEL, Pick("\tNcdata\t", "\tNCﾃﾞｰﾀ\t"), 0);
        DrawCell(CELL_NC_TEXT, Pick("- Not Selected -", "- 未選択 -"), 0);
        break;
    case 1:
        SetNcRowEdge(kNcEdgeDefault);
        DrawCell(CELL_NC_LABEL, Pick("\tNcdata\t", "\tNCﾃﾞｰﾀ\t"), 0);
        DrawCell(CELL_NC_TEXT, g_NcFilePath, 0);
        g_LevelLineNumber = 1;
        g_PickedBlockNumber = 0;
        break;
    case 2: DrawCurrentBlockRow(); break;
    case 3:
        DrawCell(CELL_NC_LABEL, "", 0);
        DrawCell(CELL_NC_TEXT, Pick("Not Cut", "そこは選択中のNCデータで切削されていません"), 0);
        break;
    case 4:
        DrawCell(CELL_NC_LABEL, "", 0);
        DrawCell(CELL_NC_TEXT, "-", 0);
        g_PickedBlockNumber = 0;
        break;
    case 5:
        DrawCell(CELL_NC_LABEL, "", 0);
        DrawCell(CELL_NC_TEXT, "", 0);
        break;
    case 6: DrawPickedBlockRow(); break;
    default: break;
    }
}

char* FormatPanelValue(char* text, int size, double value, int locked)
{
    FormatValueCell(text, size, value, locked, 0);
    return text;
}

int MeasurePanelTextWidth(const char* text)
{
    // Fixed metrics of the panel font: 7 pixels a single-byte character, 13 a wider one (one UTF-8
    // sequence). The simulation thread measures too, so no toolkit call is made here.
    int width = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); p != nullptr && *p != 0; ++p) {
        if (*p < 0x80) width += 7;
        else if ((*p & 0xC0) == 0xC0) width += 13;
    }
    return width;
}
