// Stand-in definitions of the view, shell and kinematics services of the block interpreter: headless
// values and calls that do nothing.
#include "nc/block_services_standin.h"

int g_ShowWorkCoordinates = 0;
int g_ShowExtentsInWorkCoordinates = 0;
double g_PathToolTipPoint[3] = {};
int g_RotarySolutionMemory = 0;

void BeginPanelDraw(WindowHandle) {}
void EndPanelDraw(WindowHandle) {}
void DrawAxisLabelColumn() {}
void DrawMeasurePointPanel() {}
void DrawWorkExtentsPanel() {}
void BeginSubprogramProgress(WindowHandle, const char*) {}
void UpdateMenuChecks() {}
