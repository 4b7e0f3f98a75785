// The display lists of the machine parts: the HEAD and the head parts the linear axes move, HEAD1,
// HEAD2, the TABLE and the table parts the linear axes move, TABLE1 and TABLE2, each from its model
// file or, where the machine asks for one, its default shape.
#include "view/display_lists.h"

#include "machine_setup/machine/machine_definition.h"
#include "platform/ui/gl_calls.h"
#include "platform/ui/repaint_requests.h"
#include "view/default_shapes.h"
#include "view/scene_materials.h"

namespace {

int HasModelFile(int part) { return g_PartModelFiles[part][0] != '\0'; }

// Compiles list `name` with the material and the part's model file (when given), then calls
// drawDefault (when given) inside the same list.
void CompilePartList(unsigned name, const SceneMaterial* material, int part, void (*drawDefault)())
{
    if (GlIsList(name)) GlDeleteLists(name, 1);
    GlNewList(name, UI_GL_COMPILE);
    SetSceneMaterial(material);
    if (HasModelFile(part)) DrawPartModelFile(g_PartModelFiles[part], g_PartModelOffsets.part[part]);
    else if (drawDefault != nullptr) drawDefault();
    GlEndList();
}

}  // namespace

void BuildHeadPartLists()
{
    g_RebuildHeadPartLists = 0;
    CompilePartList(LIST_HEAD, &g_HeadPartMaterials[HEAD_COLOUR_HEAD], PART_MODEL_HEAD, DrawDefaultHeadBox);
    const int axisParts[3] = {PART_MODEL_HEAD_X, PART_MODEL_HEAD_Y, PART_MODEL_HEAD_Z};
    for (int k = 0; k < 3; ++k) {
        CompilePartList(LIST_HEAD_X + k, &g_HeadPartMaterials[HEAD_COLOUR_STAR], axisParts[k], nullptr);
    }
    const int pairParts[3] = {PART_MODEL_HEAD_XY, PART_MODEL_HEAD_YZ, PART_MODEL_HEAD_ZX};
    for (int k = 0; k < 3; ++k) {
        if (HasModelFile(pairParts[k])) {
            CompilePartList(LIST_HEAD_XY + k, &g_HeadPartMaterials[HEAD_COLOUR_DOUBLE_STAR], pairParts[k], nullptr);
        }
    }
}

void BuildHead1PartList()
{
    g_RebuildHead1PartList = 0;
    CompilePartList(LIST_HEAD1, &g_HeadPartMaterials[HEAD_COLOUR_HEAD1], PART_MODEL_HEAD1, DrawDefaultHead1Cylinder);
}

void BuildHead2PartList()
{
    // Only a HEAD machine has a HEAD2; on the others the request stays and the builder returns at once.
    if (g_MachineKind != MACHINE_HEAD) return;
    g_RebuildHead2PartList = 0;
    CompilePartList(LIST_HEAD2, &g_HeadPartMaterials[HEAD_COLOUR_HEAD2], PART_MODEL_HEAD2, DrawDefaultHead2Cylinder);
}

void BuildTablePartLists()
{
    g_RebuildTablePartLists = 0;
    CompilePartList(LIST_TABLE, &g_TablePartMaterials[TABLE_COLOUR_TABLE], PART_MODEL_TABLE, nullptr);
    const int axisParts[3] = {PART_MODEL_TABLE_X, PART_MODEL_TABLE_Y, PART_MODEL_TABLE_Z};
    for (int k = 0; k < 3; ++k) {
        CompilePartList(LIST_TABLE_X + k, &g_TablePartMaterials[TABLE_COLOUR_STAR], axisParts[k], nullptr);
    }
}

void BuildTable1PartList()
{
    g_RebuildTable1PartList = 0;
    CompilePartList(LIST_TABLE1, &g_TablePartMaterials[TABLE_COLOUR_TABLE1], PART_MODEL_TABLE1, DrawDefaultTable1Shape);
}

void BuildTable2PartList()
{
    // Only a TABLE machine has a TABLE2; on the others the request stays and the builder returns at once.
    if (g_MachineKind != MACHINE_TABLE) return;
    g_RebuildTable2PartList = 0;
    CompilePartList(LIST_TABLE2, &g_TablePartMaterials[TABLE_COLOUR_TABLE2], PART_MODEL_TABLE2, DrawDefaultTable2Shape);
}
