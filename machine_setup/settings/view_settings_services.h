// Services of the view that the settings reader uses: the camera angles and their cosines, the view's
// start-up options, the status panel cells and what the colour dialog does with changed colours.
// They are declared here, below the view, because the settings reader reads them; the view installs
// the two hooks at start-up.
#pragma once
#include "platform/ui/ui_types.h"

struct ColourSettings;

const int STATUS_PANEL_CELL_COUNT = 77;

// Camera (UI thread).
extern double g_ViewAngleA;          // rotation about the model's Z axis, degrees ("ANGLE-A")
extern double g_ViewAngleB;          // tilt about the screen's X axis, degrees ("ANGLE-B")
extern double g_ViewAngleHome[2];    // A and B as read from the settings ("R" key)
extern double g_ViewAngleCosSin[4];  // cos A, sin A, cos B, sin B
extern double g_ZoomKeyFactor;       // zoom step of the zoom keys ("EXPAND RATE")
extern int g_Perspective;            // 1 perspective, 0 orthographic ("PERSPECTIVE")

// Display switches of the tool paths (UI thread).
extern int g_ShowToolPath;
extern int g_ShowLinearToolPath;

// Status panel (UI thread lays out; the panel drawing reads).
extern UiRect g_StatusPanelCells[STATUS_PANEL_CELL_COUNT];
extern int g_NcRowState;             // what the NC row shows (0 the two captions)
extern int g_ToolPanelPage;           // page the tool panel shows

// Recomputes g_ViewAngleCosSin from g_ViewAngleA and g_ViewAngleB.
void UpdateViewRotationCosSin();
// Sets the start-up rectangles of the status panel cells for axisCount axis rows.
void LayOutStatusPanelCells(int axisCount);
// Takes the colours of g_ColourSettingsBackup into use; the view's hook then remakes the materials of
// the entries that changed and marks what they colour for rebuilding. No repaint.
void ApplyColourSettings();
// Hooks the view installs: the panel layout, and what it rebuilds after the colours changed (its
// materials; previous is the set in use before). Null: LayOutStatusPanelCells does nothing,
// ApplyColourSettings only takes the colours.
extern void (*g_LayOutStatusPanelCellsHook)(int axisCount);
extern void (*g_ColoursAppliedHook)(const ColourSettings* previous);
