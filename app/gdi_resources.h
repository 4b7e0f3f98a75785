// The program's drawing resources: cursors, pens and the colour materials of the scene, made once at
// start-up after the settings and definition files are read and released at exit; the materials and
// the path pens are made again when the colour settings change. The small cursor routines of the frame
// and the view. UI thread only.
#pragma once
#include <cstdint>
#include "platform/ui/ui_types.h"

// Pen styles.
const int PEN_SOLID = 0;
const int PEN_DOT = 2;
const int PEN_DASHDOT = 3;
const int PEN_NULL = 5;

const int READ_PLUGIN_SLOTS = 3;
const int READ_PLUGIN_PATH_COLOURS = 10;
const int MODE_CURSOR_COUNT = 18;

// A pen: how lines are drawn. A pen that is not made has made 0.
struct PenRecord {
    int made;
    int style;
    int width;
    unsigned colour;    // 0x00BBGGRR
};

// Cursors: system cursors are IDC_* numbers, the program's own their resource ids.
extern int g_ArrowCursor;
extern int g_WaitCursor;
extern int g_ModeCursors[MODE_CURSOR_COUNT];   // 238, 240, 241, 243, 245 .. 266 in that order
extern int g_ModeCursorActive;                 // 1 while the view shows a mode cursor

// Pens of the panels and of the read plug-ins' tool paths.
extern PenRecord g_PanelNullPen;
extern PenRecord g_LightGreyPen;
extern PenRecord g_GreyPen;
extern PenRecord g_GreyDotPen;
extern PenRecord g_PathSolidPens[READ_PLUGIN_SLOTS][READ_PLUGIN_PATH_COLOURS];
extern PenRecord g_PathDotPens[READ_PLUGIN_SLOTS][READ_PLUGIN_PATH_COLOURS];
extern PenRecord g_PathDashDotPens[READ_PLUGIN_SLOTS][READ_PLUGIN_PATH_COLOURS];

// What the read plug-ins give for their paths: written by the plug-in loader, 0 while none is loaded.
extern int g_ReadPluginFamilyCount;
extern int g_ReadPluginPathColourCount[READ_PLUGIN_SLOTS];
extern unsigned g_ReadPluginPathColours[READ_PLUGIN_SLOTS][READ_PLUGIN_PATH_COLOURS];

// Cursors, pens and materials, once at start-up.
void CreateGdiResources();
// The machine part materials (machine alpha), the tool materials (tool alpha).
void UpdateMachinePartColours();
void UpdateToolColours();
// The read plug-ins' path pens (those of an earlier call are released first), then the pen, basic
// model and paint materials.
void CreatePathPens();
// Releases the pens at exit.
void DeleteGdiResources();
// The number of pens made (tests).
int CountMadePens();

// Shows cursor now.
void SetCursorTo(int cursor);
// The cursor of the view's current mouse mode: the arrow unless a mode cursor is active; then 238 for
// rotation (mode 11), else 258.
void RestoreInteractionCursor();
// The arrow becomes the class cursor of window, the window's timer stops, no mode cursor is active.
void RestoreCursorAndKillTimer(WindowHandle window, uintptr_t timerId);
// The cursor of resource id (0 when it is not one of the program's cursors).
int GetModeCursor(int resourceId);
