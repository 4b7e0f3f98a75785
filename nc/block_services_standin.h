// Stand-ins for the view, shell and kinematics services the block interpreter calls or reads (panel
// drawing, menu checks, sub-file progress, the path drawing's tool tip, the rotary solution memory),
// until their owners provide them. Each goes away when its owner's header has it.
#pragma once
#include "platform/ui/ui_types.h"

// View (read or set by the interpreter's thread).
extern int g_ShowWorkCoordinates;            // the measure point cell shows work coordinates
extern int g_ShowExtentsInWorkCoordinates;   // the work extents cells show work coordinates
extern double g_PathToolTipPoint[3];         // tool tip of the path drawing
// Kinematics: the inverse kinematics' solution memory, cleared when the vector mode starts.
extern int g_RotarySolutionMemory;

void BeginPanelDraw(WindowHandle window);
void EndPanelDraw(WindowHandle window);
void DrawAxisLabelColumn();
void DrawMeasurePointPanel();
void DrawWorkExtentsPanel();
void BeginSubprogramProgress(WindowHandle window, const char* path);
// Shell: sets the menu check marks from the settings.
void UpdateMenuChecks();
