// Stand-in definitions of the view services the settings reader uses, until the view provides them:
// the camera values with their start values, the tool-path switches, the status panel cells (no
// layout) and ApplyColourSettings (takes the backup colours into use; no materials exist here).
#include "machine_setup/settings/view_settings_services.h"

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

void UpdateViewRotationCosSin()
{
    ComputeAxisAngleSinCos(g_ViewAngleA, 1, &g_ViewAngleCosSin[1], &g_ViewAngleCosSin[0]);
    ComputeAxisAngleSinCos(g_ViewAngleB, 1, &g_ViewAngleCosSin[3], &g_ViewAngleCosSin[2]);
}

void LayOutStatusPanelCells(int axisCount)
{
    (void)axisCount;
}

void ApplyColourSettings()
{
    RestoreColourSettings();
}
