// The status panel drawn on the frame's client area: a column of cells at the left and the NC row along
// the top, each cell a rectangle of g_StatusPanelCells (machine_setup/machine_setup_state.h)
// drawn as a status text into the frame's panel-cell model. One routine per group of cells; every
// drawing outside the frame's paint is bracketed by BeginPanelDraw and EndPanelDraw.
//
// Threads: the user-interface thread paints the whole panel; the simulation thread (with the
// interpreter on it) redraws axis labels, axis values, the NC row, work extents and the measure point
// during a run. Both share g_PanelPaint and the text buffer, so a panel lock is held from
// BeginPanelDraw to EndPanelDraw (and through the frame's paint): one thread draws at a time.
#pragma once
#include "nc/interpreter_state.h"   // BeginPanelDraw, EndPanelDraw and the interpreter's panel calls
#include "platform/ui/ui_types.h"

// Cells of g_StatusPanelCells (machine_setup_state.h) that the frame's layout uses.
enum StatusPanelCell {
    CELL_NC_LABEL = 0,            // NC row label, block number or sub-program name
    CELL_NC_TEXT = 1,             // NC row text, to the client's right edge
    CELL_PANEL_FRAME = 2,         // the frame of the panel column, to the client's bottom
    CELL_PANEL_FILL = 3,          // filled with the background colour
    CELL_CONTROLLER_NAME = 4,
    CELL_POSITION_KIND = 5,       // what the axis values show (button)
    CELL_STOP_M01 = 6,
    CELL_STOP_SINGLE = 7,
    CELL_STOP_DEFINE = 8,
    CELL_STOP_NONE = 9,
    CELL_STOP_GO = 10,
    CELL_ESC = 11,
    CELL_D_CODE = 12,
    CELL_H_CODE = 13,
    CELL_WORK_COORDINATES = 14,
    CELL_SYNC_GET = 15,
    CELL_SYNC_PUT = 16,
    CELL_AXIS_PLUS = 17,          // + axis
    CELL_AXIS_MINUS = 22,
    CELL_AXIS_LABEL = 27,
    CELL_AXIS_VALUE = 32,
    CELL_MEASURE_TITLE = 37,
    CELL_MEASURE_COUNT_LABEL = 38,
    CELL_MEASURE_AXIS_LABEL = 39, // + 0..2
    CELL_DELTA_LABEL = 42,        // + 0..2
    CELL_DISTANCE_LABEL = 45,
    CELL_RADIUS_2D_LABEL = 46,    // + 0..2
    CELL_RADIUS_3D_LABEL = 49,
    CELL_MEASURE_COUNT = 51,
    CELL_MEASURE_POINT = 52,      // + 0..2
    CELL_DELTA = 55,              // + 0..2
    CELL_DISTANCE = 58,
    CELL_RADIUS_2D = 59,          // + 0..2
    CELL_RADIUS_3D = 62,
    CELL_WORK_LABEL = 63,
    CELL_MAX_LABEL = 64,          // + 0..2
    CELL_MIN_LABEL = 67,          // + 0..2
    CELL_PITCH = 70,
    CELL_MAX_VALUE = 71,          // + 0..2
    CELL_MIN_VALUE = 74           // + 0..2
};

const int PANEL_TEXT_SIZE = 258;
const int AXIS_HEADER_ROWS = 11;

// The drawing record of the panel: the window drawn into, set by BeginPanelDraw and by the frame's
// paint; the background mode and text colour of the next plain text.
struct PanelPaintRecord {
    WindowHandle window;
    int transparent;              // 1 after SetBkMode TRANSPARENT
    unsigned textColour;          // 0x00BBGGRR
};
extern PanelPaintRecord g_PanelPaint;

// View values the panel shows (UI thread writes them; the simulation thread only reads).
extern int g_PositionDisplayKind;       // 0 control point, 1 machine (control point), 2 machine (tool tip)
extern int g_MeasurePointCount;         // points of the measuring polyline
// 1 once a work has been made or loaded: a pick in the view then looks up the NC block that cut the
// point (UI thread).
extern int g_PickLookupEnabled;
extern double* g_PathPointBuffer;       // the measuring polyline, three doubles a point (start-up allocates)
extern double g_MeasureResults[8];      // delta X, Y, Z, distance, R(2D-X), R(2D-Y), R(2D-Z), R(3D)
extern int g_MeasureAxisLock[3];        // at most one of X, Y, Z set
extern int g_StartSoundPlayed;          // 1 after the first paint of the frame
// Written by the shell (run control, plug-ins); the panel reads them.
extern int g_SyncMachineAccepted;       // the sync plug-in accepted the machine definition
extern int g_SyncGetEntryPresent;       // the sync plug-in exports its GET entry
extern int g_SyncPutEntryPresent;       // ... and its PUT entry
extern int g_PluginPathMotionKind;      // the path point last fetched from the reader plug-in
extern double g_PluginPathPoint[3];

// Header texts of the axis label column, one row per coordinate situation, five cells of six bytes.
extern char g_AxisColumnHeaders[AXIS_HEADER_ROWS][5][6];

// Installs the panel's hooks: the start-up cell layout (settings reader) and the interpreter's panel
// calls. Called once at start-up, before the settings are read.
void InstallStatusPanelHooks();
// The start-up rectangles of the 77 cells for axisCount axes.
void LayOutStatusPanelCellsForAxes(int axisCount);

// The drawing bracket of any thread is BeginPanelDraw / EndPanelDraw (nc/interpreter_state.h), which
// reach these once the hooks are installed. They nest on one thread; the bracket holds the panel lock,
// so the code inside must not wait for another thread.
void BeginPanelDrawing(WindowHandle window);
void EndPanelDrawing(WindowHandle window);
// The frame's paint: the whole panel inside the frame's paint bracket (UI thread).
void PaintFrameWindow(WindowHandle frame);
// Every cell (inside a bracket or the paint). Nothing in silent mode.
void PaintStatusPanel();

// Cell routines (inside a bracket).
void BuildAxisColumnHeaders();
void DrawControlPointKind();
void DrawAxisLabelColumnCells();
void DrawAxisValuesPanel(int force);
void DrawStopModeRow();
void DrawMeasureAxisHeaders();
void DrawMeasurePointCells();
void DrawMeasureResultPanel();
void DrawMaxMinRow();
void DrawWorkExtentsCells();
void DrawNcBlockRow();

// The value text of a number by g_InputIncrement: "\t\t%9.3f" (1000), "\t\t%8.2f" (100), else
// "\t\t%10.4f"; locked puts a star at the left. Returns text.
char* FormatPanelValue(char* text, int size, double value, int locked);
// The width of a text in the panel font, in pixels (fixed metrics: the same on every thread).
int MeasurePanelTextWidth(const char* text);
