// The view values the settings reader reads and writes, with their start values, the camera cosines,
// and the status panel layout and colour take-over, which go through hooks the view installs.
#include "machine_setup/machine_setup_state.h"

#include "machine_setup/settings/colour_settings.h"
#include "machine_setup/machine/rotation.h"

double g_ViewAngleA = 315.0;
double g_ViewAngleB = 45.0;
double g_ViewAngleHome[2] = {315.0, 45.0};
double g_ViewAngleCosSin[4] = {1.0, 0.0, 1.0, 0.0};
double g_ZoomKeyFactor = 5.0;
int g_Perspective = 1;
int g_ShowToolPath = 1;
int g_ShowLinearToolPath = 0;
UiRect g_StatusPanelCells[STATUS_PANEL_CELL_COUNT] = {};
int g_NcRowState = 0;
int g_ToolPanelPage = 0;
void (*g_LayOutStatusPanelCellsHook)(int) = nullptr;
void (*g_ColoursAppliedHook)(const ColourSettings*) = nullptr;

void UpdateViewRotationCosSin()
{
    ComputeAxisAngleSinCos(g_ViewAngleA, 1, &g_ViewAngleCosSin[1], &g_ViewAngleCosSin[0]);
    ComputeAxisAngleSinCos(g_ViewAngleB, 1, &g_ViewAngleCosSin[3], &g_ViewAngleCosSin[2]);
}

void LayOutStatusPanelCells(int axisCount)
{
    if (g_LayOutStatusPanelCellsHook != nullptr) g_LayOutStatusPanelCellsHook(axisCount);
}

void ApplyColourSettings()
{
    ColourSettings previous;
    CaptureColourSettings(&previous);
    RestoreColourSettings();
    if (g_ColoursAppliedHook != nullptr) g_ColoursAppliedHook(&previous);
}
