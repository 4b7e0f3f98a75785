// Cursors, pens and scene materials of the program, and the cursor routines of the frame and view.
#include "app/gdi_resources.h"

#include "machine_setup/settings/colour_settings.h"
#include "platform/ui/cursor_clipboard.h"
#include "view/scene_materials.h"
#include "view/view_window.h"

int g_ArrowCursor = 0;
int g_WaitCursor = 0;
int g_ModeCursors[MODE_CURSOR_COUNT] = {};
int g_ModeCursorActive = 0;
PenRecord g_PanelNullPen = {};
PenRecord g_LightGreyPen = {};
PenRecord g_GreyPen = {};
PenRecord g_GreyDotPen = {};
PenRecord g_PathSolidPens[READ_PLUGIN_SLOTS][READ_PLUGIN_PATH_COLOURS] = {};
PenRecord g_PathDotPens[READ_PLUGIN_SLOTS][READ_PLUGIN_PATH_COLOURS] = {};
PenRecord g_PathDashDotPens[READ_PLUGIN_SLOTS][READ_PLUGIN_PATH_COLOURS] = {};
int g_ReadPluginFamilyCount = 0;
int g_ReadPluginPathColourCount[READ_PLUGIN_SLOTS] = {};
unsigned g_ReadPluginPathColours[READ_PLUGIN_SLOTS][READ_PLUGIN_PATH_COLOURS] = {};

namespace {

// The program's cursor resources, in the order of g_ModeCursors.
const int kModeCursorIds[MODE_CURSOR_COUNT] = {238, 240, 241, 243, 245, 246, 247, 248, 249,
                                               250, 251, 252, 253, 254, 257, 258, 265, 266};

PenRecord MakePen(int style, int width, unsigned colour) { return PenRecord{1, style, width, colour}; }

void ReleasePathPens()
{
    for (int i = 0; i < READ_PLUGIN_SLOTS; ++i) {
        for (int j = 0; j < READ_PLUGIN_PATH_COLOURS; ++j) {
            g_PathDashDotPens[i][j] = PenRecord{};
            g_PathDotPens[i][j] = PenRecord{};
            g_PathSolidPens[i][j] = PenRecord{};
        }
    }
}

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

}  // namespace

void CreateGdiResources()
{
    g_ArrowCursor = IDC_ARROW;
    g_WaitCursor = IDC_WAIT;
    for (int k = 0; k < MODE_CURSOR_COUNT; ++k) g_ModeCursors[k] = kModeCursorIds[k];
    g_PanelNullPen = MakePen(PEN_NULL, 0, 0);
    g_LightGreyPen = MakePen(PEN_SOLID, 1, 0xBFBFBFu);
    g_GreyPen = MakePen(PEN_SOLID, 1, 0x7F7F7Fu);
    g_GreyDotPen = MakePen(PEN_DOT, 1, 0x7F7F7Fu);
    CreatePathPens();
    UpdateSceneMaterials();
}

void UpdateMachinePartColours()
{
    for (int k = 0; k < HEAD_COLOUR_COUNT; ++k) ColourToRgbaFloat(g_HeadColours[k], g_MachineAlpha, &g_HeadPartMaterials[k]);
    for (int k = 0; k < TABLE_COLOUR_COUNT; ++k) {
        ColourToRgbaFloat(g_TableColours[k], g_MachineAlpha, &g_TablePartMaterials[k]);
    }
    ColourToRgbaFloat(g_ViceColour, g_MachineAlpha, &g_ViceMaterial);
    ColourToRgbaFloat(g_BasicColour, g_MachineAlpha, &g_BasicModelsMaterial);
}

void UpdateToolColours()
{
    ColourToRgbaFloat(g_ToolTopColour, g_ToolAlpha, &g_ToolTopMaterial);
    ColourToRgbaFloat(g_ToolSideColour, g_ToolAlpha, &g_ToolSideMaterial);
    ColourToRgbaFloat(g_ArborColour, g_ToolAlpha, &g_ArborMaterial);
}

void CreatePathPens()
{
    // The colour dialog calls this again: the pens of the earlier call go first, so none is left over.
    ReleasePathPens();
    const int families = Clamp(g_ReadPluginFamilyCount, 0, READ_PLUGIN_SLOTS);
    for (int i = 0; i < families; ++i) {
        const int colours = Clamp(g_ReadPluginPathColourCount[i], 0, READ_PLUGIN_PATH_COLOURS);
        for (int j = 0; j < colours; ++j) {
            const unsigned colour = g_ReadPluginPathColours[i][j];
            g_PathSolidPens[i][j] = MakePen(PEN_SOLID, 1, colour);
            g_PathDotPens[i][j] = MakePen(PEN_DOT, 1, colour);
            g_PathDashDotPens[i][j] = MakePen(PEN_DASHDOT, 1, colour);
        }
    }
    for (int k = 0; k < PEN_COLOUR_COUNT; ++k) ColourToRgbaFloat(g_PenColours[k], g_WorkAlpha, &g_PenMaterials[k]);
    ColourToRgbaFloat(g_BaseColour, g_BaseAlpha, &g_BaseModelMaterial);
    ColourToRgbaFloat(g_PaintColour, g_WorkAlpha, &g_PaintMaterial);
}

void DeleteGdiResources()
{
    ReleasePathPens();
    g_PanelNullPen = PenRecord{};
    g_LightGreyPen = PenRecord{};
    g_GreyPen = PenRecord{};
    g_GreyDotPen = PenRecord{};
}

int CountMadePens()
{
    int count = g_PanelNullPen.made + g_LightGreyPen.made + g_GreyPen.made + g_GreyDotPen.made;
    for (int i = 0; i < READ_PLUGIN_SLOTS; ++i) {
        for (int j = 0; j < READ_PLUGIN_PATH_COLOURS; ++j) {
            count += g_PathSolidPens[i][j].made + g_PathDotPens[i][j].made + g_PathDashDotPens[i][j].made;
        }
    }
    return count;
}

void SetCursorTo(int cursor) { SetUiCursor(cursor); }

void RestoreInteractionCursor()
{
    if (!g_ModeCursorActive) SetUiCursor(g_ArrowCursor != 0 ? g_ArrowCursor : IDC_ARROW);
    else SetUiCursor(g_ViewMouseMode == 11 ? GetModeCursor(238) : GetModeCursor(258));
}

void RestoreCursorAndKillTimer(WindowHandle window, uintptr_t timerId)
{
    SetUiClassCursor(window, g_ArrowCursor != 0 ? g_ArrowCursor : IDC_ARROW);
    KillUiTimer(window, timerId);
    g_ModeCursorActive = 0;
}

int GetModeCursor(int resourceId)
{
    for (int k = 0; k < MODE_CURSOR_COUNT; ++k) {
        if (kModeCursorIds[k] == resourceId) return g_ModeCursors[k] != 0 ? g_ModeCursors[k] : resourceId;
    }
    return 0;
}
