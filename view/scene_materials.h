// Drawing materials of the 3D view made from the colour settings (red, green, blue, alpha floats),
// the axis colours, and what the view remakes and rebuilds when colours are applied.
#pragma once
#include "machine_setup/settings/colour_settings.h"

// One material: red, green, blue, alpha, each 0 to 1.
struct SceneMaterial {
    float rgba[4];
};

// Materials (UI thread).
extern SceneMaterial g_PenMaterials[PEN_COLOUR_COUNT];   // "WORK COLOR" and the pens, g_WorkAlpha
extern SceneMaterial g_PaintMaterial;                    // "PENKI COLOR", g_WorkAlpha
extern SceneMaterial g_BaseModelMaterial;                // "BASE COLOR", g_BaseAlpha
extern SceneMaterial g_TopPathMaterial;                  // alpha 1
extern SceneMaterial g_TopPath2Material;
extern SceneMaterial g_ConstructionMaterial;
extern SceneMaterial g_ToolTopMaterial;                  // g_ToolAlpha
extern SceneMaterial g_ToolSideMaterial;
extern SceneMaterial g_ArborMaterial;
extern SceneMaterial g_HeadPartMaterials[HEAD_COLOUR_COUNT];    // g_MachineAlpha, by HeadColourIndex
extern SceneMaterial g_TablePartMaterials[TABLE_COLOUR_COUNT];  // by TableColourIndex
extern SceneMaterial g_ViceMaterial;
extern SceneMaterial g_BasicModelsMaterial;
extern float g_BackgroundColour[4];                      // "BACKGROUND", alpha 1

// Axis colours: X, light X, Y, light Y, Z, light Z.
extern const float g_AxisColours[6][4];

// Fills material from colour (0x00BBGGRR) and alpha. Returns the blue byte.
int ColourToRgbaFloat(ColourValue colour, float alpha, SceneMaterial* material);
// Makes every material from the colour settings in use.
void UpdateSceneMaterials();
// The hook of ApplyColourSettings: remakes the materials of the entries that differ from previous
// and marks the lists they colour for rebuilding.
void ApplyChangedColours(const ColourSettings* previous);
// Sets the material for both faces as diffuse and ambient colour.
void SetSceneMaterial(const SceneMaterial* material);
