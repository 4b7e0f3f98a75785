// The view's drawing materials from the colour settings, and the rebuilds that a change of colours asks
// for. The work blocks' own rebuild belongs to the work display.
#include "view/scene_materials.h"

#include "machine_setup/settings/display_settings.h"
#include "machine_setup/machine_setup_state.h"
#include "platform/ui/gl_calls.h"
#include "platform/ui/repaint_requests.h"
#include "view/work_display.h"

SceneMaterial g_PenMaterials[PEN_COLOUR_COUNT];
SceneMaterial g_PaintMaterial;
SceneMaterial g_BaseModelMaterial;
SceneMaterial g_TopPathMaterial;
SceneMaterial g_TopPath2Material;
SceneMaterial g_ConstructionMaterial;
SceneMaterial g_ToolTopMaterial;
SceneMaterial g_ToolSideMaterial;
SceneMaterial g_ArborMaterial;
SceneMaterial g_HeadPartMaterials[HEAD_COLOUR_COUNT];
SceneMaterial g_TablePartMaterials[TABLE_COLOUR_COUNT];
SceneMaterial g_ViceMaterial;
SceneMaterial g_BasicModelsMaterial;
float g_BackgroundColour[4] = {0.0f, 0.0f, 0.0f, 1.0f};

const float g_AxisColours[6][4] = {
    {1.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 0.5f, 0.5f, 1.0f}, {0.0f, 1.0f, 0.0f, 1.0f},
    {0.5f, 1.0f, 0.5f, 1.0f}, {0.0f, 0.0f, 1.0f, 1.0f}, {0.5f, 0.5f, 1.0f, 1.0f},
};

int ColourToRgbaFloat(ColourValue colour, float alpha, SceneMaterial* material)
{
    material->rgba[0] = static_cast<float>(colour & 0xFFu) / 255.0f;
    material->rgba[1] = static_cast<float>((colour >> 8) & 0xFFu) / 255.0f;
    material->rgba[2] = static_cast<float>((colour >> 16) & 0xFFu) / 255.0f;
    material->rgba[3] = alpha;
    return static_cast<int>((colour >> 16) & 0xFFu);
}

namespace {

void MakeBackground()
{
    SceneMaterial background;
    ColourToRgbaFloat(g_BackgroundColourSetting, 1.0f, &background);
    for (int k = 0; k < 4; ++k) g_BackgroundColour[k] = background.rgba[k];
}

// The rebuild flag of a head colour's lists.
unsigned char* HeadListFlag(int index)
{
    if (index == HEAD_COLOUR_HEAD1) return &g_RebuildHead1PartList;
    if (index == HEAD_COLOUR_HEAD2) return &g_RebuildHead2PartList;
    return &g_RebuildHeadPartLists;
}

unsigned char* TableListFlag(int index)
{
    if (index == TABLE_COLOUR_TABLE1) return &g_RebuildTable1PartList;
    if (index == TABLE_COLOUR_TABLE2) return &g_RebuildTable2PartList;
    return &g_RebuildTablePartLists;
}

}  // namespace

void UpdateSceneMaterials()
{
    for (int i = 0; i < PEN_COLOUR_COUNT; ++i) ColourToRgbaFloat(g_PenColours[i], g_WorkAlpha, &g_PenMaterials[i]);
    ColourToRgbaFloat(g_PaintColour, g_WorkAlpha, &g_PaintMaterial);
    ColourToRgbaFloat(g_BaseColour, g_BaseAlpha, &g_BaseModelMaterial);
    ColourToRgbaFloat(g_TopPathColour, 1.0f, &g_TopPathMaterial);
    ColourToRgbaFloat(g_TopPath2Colour, 1.0f, &g_TopPath2Material);
    ColourToRgbaFloat(g_ConstructionColour, 1.0f, &g_ConstructionMaterial);
    ColourToRgbaFloat(g_ToolTopColour, g_ToolAlpha, &g_ToolTopMaterial);
    ColourToRgbaFloat(g_ToolSideColour, g_ToolAlpha, &g_ToolSideMaterial);
    ColourToRgbaFloat(g_ArborColour, g_ToolAlpha, &g_ArborMaterial);
    for (int i = 0; i < HEAD_COLOUR_COUNT; ++i) ColourToRgbaFloat(g_HeadColours[i], g_MachineAlpha, &g_HeadPartMaterials[i]);
    for (int i = 0; i < TABLE_COLOUR_COUNT; ++i) {
        ColourToRgbaFloat(g_TableColours[i], g_MachineAlpha, &g_TablePartMaterials[i]);
    }
    ColourToRgbaFloat(g_ViceColour, g_MachineAlpha, &g_ViceMaterial);
    ColourToRgbaFloat(g_BasicColour, g_MachineAlpha, &g_BasicModelsMaterial);
    MakeBackground();
}

void ApplyChangedColours(const ColourSettings* previous)
{
    const ColourSettings* p = previous;
    int workBlocks = 0;
    for (int i = 0; i < PEN_COLOUR_COUNT; ++i) {
        if (p->penColours[i] != g_PenColours[i] || p->penColourFlags[i] != g_PenColourFlags[i]) {
            workBlocks = 1;
            ColourToRgbaFloat(g_PenColours[i], g_WorkAlpha, &g_PenMaterials[i]);
        }
        if (p->penColourFlags2[i] != g_PenColourFlags2[i] && g_ShowToolPath) g_RebuildToolPathList = 1;
    }
    if (p->paintColour != g_PaintColour) {
        workBlocks = 1;
        ColourToRgbaFloat(g_PaintColour, g_WorkAlpha, &g_PaintMaterial);
    }
    if (p->baseColour != g_BaseColour) {
        g_RebuildBasicModelList = 1;
        ColourToRgbaFloat(g_BaseColour, g_BaseAlpha, &g_BaseModelMaterial);
    }
    const int topPath = p->topPathColour != g_TopPathColour;
    const int topPath2 = p->topPath2Colour != g_TopPath2Colour;
    const int construction = p->constructionColour != g_ConstructionColour;
    if (topPath) ColourToRgbaFloat(g_TopPathColour, 1.0f, &g_TopPathMaterial);
    if (topPath2) ColourToRgbaFloat(g_TopPath2Colour, 1.0f, &g_TopPath2Material);
    if (construction) ColourToRgbaFloat(g_ConstructionColour, 1.0f, &g_ConstructionMaterial);
    if ((topPath || construction) && g_ShowToolPath) g_RebuildToolPathList = 1;
    if ((topPath2 || construction) && g_ShowLinearToolPath) g_RebuildLinearToolPathList = 1;
    const ColourValue toolBefore[3] = {p->toolTopColour, p->toolSideColour, p->arborColour};
    const ColourValue toolNow[3] = {g_ToolTopColour, g_ToolSideColour, g_ArborColour};
    SceneMaterial* toolMaterials[3] = {&g_ToolTopMaterial, &g_ToolSideMaterial, &g_ArborMaterial};
    for (int i = 0; i < 3; ++i) {
        if (toolBefore[i] == toolNow[i]) continue;
        ColourToRgbaFloat(toolNow[i], g_ToolAlpha, toolMaterials[i]);
        if (g_ToolDisplayMode != PART_DISPLAY_OFF) g_RebuildToolList = 1;
    }
    const int machineShown = g_MachineDisplayMode != PART_DISPLAY_OFF;
    for (int i = 0; i < HEAD_COLOUR_COUNT; ++i) {
        if (p->headColours[i] == g_HeadColours[i]) continue;
        ColourToRgbaFloat(g_HeadColours[i], g_MachineAlpha, &g_HeadPartMaterials[i]);
        if (machineShown) *HeadListFlag(i) = 1;
    }
    for (int i = 0; i < TABLE_COLOUR_COUNT; ++i) {
        if (p->tableColours[i] == g_TableColours[i]) continue;
        ColourToRgbaFloat(g_TableColours[i], g_MachineAlpha, &g_TablePartMaterials[i]);
        if (machineShown) *TableListFlag(i) = 1;
    }
    if (p->viceColour != g_ViceColour) {
        ColourToRgbaFloat(g_ViceColour, g_MachineAlpha, &g_ViceMaterial);
        if (machineShown) g_RebuildViceModelsList = 1;
    }
    if (p->basicColour != g_BasicColour) {
        ColourToRgbaFloat(g_BasicColour, g_MachineAlpha, &g_BasicModelsMaterial);
        if (machineShown) g_RebuildMachineBasicModelsList = 1;
    }
    if (p->backgroundColourSetting != g_BackgroundColourSetting) MakeBackground();
    if (workBlocks) MarkWorkBlocksForRebuild();
}

void SetSceneMaterial(const SceneMaterial* material)
{
    GlMaterialfv(UI_GL_FRONT_AND_BACK, UI_GL_DIFFUSE, material->rgba);
    GlMaterialfv(UI_GL_FRONT_AND_BACK, UI_GL_AMBIENT, material->rgba);
}
