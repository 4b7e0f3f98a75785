// The colour materials of the scene and the colour conversion that makes them.
#include "view/scene_materials.h"

SceneMaterial g_TopPathMaterial = {};
SceneMaterial g_TopPath2Material = {};
SceneMaterial g_ConstructionMaterial = {};
SceneMaterial g_ToolTopMaterial = {};
SceneMaterial g_ToolSideMaterial = {};
SceneMaterial g_ArborMaterial = {};
SceneMaterial g_BaseModelMaterial = {};
SceneMaterial g_HeadPartMaterials[HEAD_PART_MATERIALS] = {};
SceneMaterial g_TablePartMaterials[TABLE_PART_MATERIALS] = {};
SceneMaterial g_ViceMaterial = {};
SceneMaterial g_BasicModelsMaterial = {};
SceneMaterial g_PenMaterials[PEN_MATERIALS] = {};
SceneMaterial g_PaintMaterial = {};
SceneMaterial g_BackgroundColour = {};

void ColourToRgbaFloat(unsigned colour, float alpha, SceneMaterial* material)
{
    if (material == nullptr) return;
    material->red = static_cast<float>(colour & 255u) / 255.0f;
    material->green = static_cast<float>((colour >> 8) & 255u) / 255.0f;
    material->blue = static_cast<float>((colour >> 16) & 255u) / 255.0f;
    material->alpha = alpha;
}
