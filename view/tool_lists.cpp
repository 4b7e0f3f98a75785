// The tool's display list: the current tool with its holder as a revolved surface (and its STL body),
// or every mounted layout tool at its position; and the drawing of an STL tool body's facets.
#include "view/display_lists.h"

#include <cmath>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/tool_body.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/tools/tool_table.h"
#include "platform/ui/gl_calls.h"
#include "platform/ui/repaint_requests.h"
#include "simulation/tool_switch_lock.h"
#include "view/scene_materials.h"
#include "view/view_camera.h"
#include "work_model/work_values.h"

namespace {

const int kSteps = 36;
const int kToolTypeStlBody = 999;

SceneMaterial g_ToolTransitionMaterial;   // the cutter end's half-transparent band (list 4)

// Profile point k at angular step m of the plain surface, plus offset, in scene units.
void ProfilePoint(int k, int m, const double* offset, double* p)
{
    const double* q = g_ToolSolidBuffers[0] + (k * kSteps + m) * 3;
    for (int a = 0; a < 3; ++a) p[a] = (offset[a] + q[a]) / g_SceneScale;
}

SceneMaterial BackgroundMaterial()
{
    SceneMaterial m;
    for (int k = 0; k < 4; ++k) m.rgba[k] = g_BackgroundColour[k];
    return m;
}

// The material of the cutting part: the tool-top colour, or the pen of the tool with g_ToolAlpha.
SceneMaterial CuttingMaterial()
{
    if (g_ToolTopColourSpecified) return g_ToolTopMaterial;
    const int pen = g_CurrentToolPenIndex >= 0 && g_CurrentToolPenIndex < PEN_COLOUR_COUNT ? g_CurrentToolPenIndex : 0;
    SceneMaterial m = g_PenMaterials[pen];
    m.rgba[3] = g_ToolAlpha;
    return m;
}

void SetMaterial(const SceneMaterial& material) { SetSceneMaterial(&material); }

// One quad of segment i at step j with its face normal.
void DrawSegmentQuad(int i, int j, const double* offset)
{
    const int j1 = (j + 1) % kSteps;
    double a[3], b[3], c[3], d[3];
    ProfilePoint(i, j, offset, a);
    ProfilePoint(i, j1, offset, b);
    ProfilePoint(i + 1, j1, offset, c);
    ProfilePoint(i + 1, j, offset, d);
    const double u[3] = {c[0] - b[0], c[1] - b[1], c[2] - b[2]};
    const double v[3] = {d[0] - b[0], d[1] - b[1], d[2] - b[2]};
    double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length > 0.0) {
        for (double& x : n) x /= length;
    }
    GlNormal3dv(n);
    GlVertex3dv(a);
    GlVertex3dv(b);
    GlVertex3dv(c);
    GlVertex3dv(d);
}

// The top cap through the last profile ring.
void DrawTopCap(const double* offset)
{
    const int last = g_ToolProfilePointCount - 1;
    double p[3];
    GlBegin(UI_GL_POLYGON);
    GlNormal3d(0.0, 0.0, 1.0);
    for (int j = 0; j <= kSteps; ++j) {
        ProfilePoint(last, j % kSteps, offset, p);
        GlVertex3dv(p);
    }
    GlEnd();
}

// The revolved surface of the current profile with the section materials of the current tool.
void DrawRevolvedSurface(const double* offset, int layout)
{
    if (g_ToolProfilePointCount < 2 || g_ToolSolidBuffers[0] == nullptr) return;
    const int e = g_ToolProfileCutterEnd;
    const int k = g_ToolProfileShankEnd;
    const int semi = g_ToolDisplayMode == PART_DISPLAY_SEMITRANSPARENT;
    for (int i = 0; i + 1 < g_ToolProfilePointCount; ++i) {
        if (layout || g_ToolCut.shankRadius != 0.0) {
            if (i == e - 1) SetMaterial(g_ToolSideMaterial);
            else if (i == k - 1) SetMaterial(g_ArborMaterial);
        } else if (i == e - 1) {
            GlEnable(UI_GL_BLEND);
            ColourToRgbaFloat(g_ToolSideColour, semi ? g_ToolAlpha / 2.0f : 0.5f, &g_ToolTransitionMaterial);
            SetMaterial(g_ToolTransitionMaterial);
        } else if (i == e) {
            if (!semi) GlDisable(UI_GL_BLEND);
            SetMaterial(g_ToolSideMaterial);
        } else if (i == k - 1) {
            SetMaterial(g_ArborMaterial);
        }
        GlBegin(UI_GL_QUADS);
        for (int j = 0; j < kSteps; ++j) DrawSegmentQuad(i, j, offset);
        GlEnd();
    }
}

}  // namespace

void DrawTriangleList(const double* offset)
{
    if (g_ToolBodyFacets == nullptr) return;
    const double s = g_SceneScale;
    for (int f = 0; f < g_ToolBodyFacetCount; ++f) {
        const double* facet = g_ToolBodyFacets + 12 * f;
        GlBegin(UI_GL_POLYGON);
        GlNormal3dv(facet);
        for (int v = 1; v <= 3; ++v) {
            const double* p = facet + 3 * v;
            GlVertex3d((p[0] + offset[0]) / s, (p[1] + offset[1]) / s, (p[2] + offset[2]) / s);
        }
        GlEnd();
    }
}

void BuildCurrentToolList()
{
    g_RebuildToolList = 0;
    if (GlIsList(LIST_TOOL)) GlDeleteLists(LIST_TOOL, 1);
    if (!g_CurrentTool.defined) return;
    const double length = g_ToolLength;
    double offset[3] = {0.0, 0.0, -length};
    if (g_ToolDirectionTilted) {
        for (int a = 0; a < 3; ++a) offset[a] = -length * g_ToolDirection[a];
    }
    const SceneMaterial cutting = g_CutCodeState != 0 ? CuttingMaterial() : BackgroundMaterial();
    g_ToolListCutState = g_CutCodeState;
    GlNewList(LIST_TOOL, UI_GL_COMPILE);
    SetMaterial(cutting);
    if (g_CurrentTool.type == kToolTypeStlBody) DrawTriangleList(offset);
    if (g_ToolProfilePointCount >= 2 && g_ToolSolidBuffers[0] != nullptr) {
        DrawRevolvedSurface(offset, 0);
        if (g_CutCodeState == 0) SetMaterial(BackgroundMaterial());
        else if (g_ToolLength == static_cast<double>(g_CurrentTool.cuttingLength)) SetMaterial(cutting);
        DrawTopCap(offset);
    }
    GlEndList();
}

void BuildLayoutToolsList()
{
    BeginToolListBuilding();
    g_RebuildToolList = 0;
    if (GlIsList(LIST_TOOL)) GlDeleteLists(LIST_TOOL, 1);
    const double length = g_ToolLength;
    double base[3] = {0.0, 0.0, -length};
    if (g_MachineKind == MACHINE_HEAD) {
        for (int a = 0; a < 3; ++a) base[a] = -g_HeadPosition[a] - g_HeadOffset[a];
        base[2] -= length;
    } else if (g_ToolDirectionTilted) {
        for (int a = 0; a < 3; ++a) base[a] = -length * g_ToolDirection[a];
    }
    GlNewList(LIST_TOOL, UI_GL_COMPILE);
    for (int n = 0; n < g_MountedToolCount && n < MAX_MOUNTED_TOOLS; ++n) {
        const int tool = g_MountedTools[n];
        if (tool < 0 || tool >= TOOL_LAYOUT_SLOTS) continue;
        const double toolLength = g_ToolLengths != nullptr ? g_ToolLengths[tool] : 0.0;
        double position[3];
        for (int a = 0; a < 3; ++a) {
            position[a] = base[a] + g_ToolLayoutPositions[tool][a] - toolLength * g_ToolDirection[a];
        }
        SelectCurrentTool(tool, 0.0);
        if (g_ToolTopColourSpecified) SetMaterial(tool == g_SpindleToolNumber ? g_ToolTopMaterial : g_ArborMaterial);
        else SetMaterial(CuttingMaterial());
        DrawRevolvedSurface(position, 1);
        if (g_ToolProfilePointCount >= 2 && g_ToolSolidBuffers[0] != nullptr) DrawTopCap(position);
    }
    GlEndList();
    SelectCurrentTool(g_SpindleToolNumber, g_WorkPitch);
    EndToolListBuilding();
}
