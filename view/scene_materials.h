// The colour materials of the 3D scene: each a colour of the colour settings as four floats with its
// transparency. Made by the shell's drawing resources at start-up and again after the colour settings
// change; read by the scene drawing. UI thread only.
#pragma once

// A colour as red, green, blue and alpha, each 0 to 1.
struct SceneMaterial {
    float red;
    float green;
    float blue;
    float alpha;
};

const int HEAD_PART_MATERIALS = 5;    // HEAD(*), HEAD(**), HEAD, HEAD1, HEAD2
const int TABLE_PART_MATERIALS = 4;   // TABLE(*), TABLE, TABLE1, TABLE2
const int PEN_MATERIALS = 16;         // WORK, PEN1 to PEN15

extern SceneMaterial g_TopPathMaterial;
extern SceneMaterial g_TopPath2Material;
extern SceneMaterial g_ConstructionMaterial;
extern SceneMaterial g_ToolTopMaterial;
extern SceneMaterial g_ToolSideMaterial;
extern SceneMaterial g_ArborMaterial;
extern SceneMaterial g_BaseModelMaterial;
extern SceneMaterial g_HeadPartMaterials[HEAD_PART_MATERIALS];
extern SceneMaterial g_TablePartMaterials[TABLE_PART_MATERIALS];
extern SceneMaterial g_ViceMaterial;
extern SceneMaterial g_BasicModelsMaterial;
extern SceneMaterial g_PenMaterials[PEN_MATERIALS];
extern SceneMaterial g_PaintMaterial;
extern SceneMaterial g_BackgroundColour;

// A 0x00BBGGRR colour (red in the low byte) and an alpha into a material; the alpha is kept as given.
void ColourToRgbaFloat(unsigned colour, float alpha, SceneMaterial* material);
