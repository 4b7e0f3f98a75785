// The display-list numbering, the rebuild of every part list, and the lists that are not machine parts
// or the tool: the axis indicator, the axis triad, the pick and centre marks, the paths and the basic
// model. Machine parts: part_lists.cpp; the tool: tool_lists.cpp.
#include "view/display_lists.h"

#include <cmath>

#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "platform/ui/gl_calls.h"
#include "platform/ui/repaint_requests.h"
#include "view/picking.h"
#include "view/scene_materials.h"
#include "view/tool_path.h"
#include "view/view_camera.h"
#include "view/work_display.h"
#include "work_model/polygon_sink.h"
#include "work_model/stl_drawing.h"
#include "work_model/stl_files.h"
#include "work_model/work_model.h"
#include "work_model/work_values.h"

int g_ToolListCutState = 0;

unsigned WorkBlockListName(unsigned base, int slot, int row, int block)
{
    return base + static_cast<unsigned>(slot * WORK_LIST_SLOT_SIZE + WORK_LIST_FIRST + block + row * WORK_LIST_ROW_SIZE);
}

void MarkAllSceneListsForRebuild()
{
    g_RebuildViewIndicator = g_RebuildAxisTriad = g_RebuildMachineBasicModelsList = 1;
    g_RebuildToolList = 1;
    g_RebuildHeadPartLists = g_RebuildHead1PartList = g_RebuildHead2PartList = 1;
    g_RebuildTablePartLists = g_RebuildTable1PartList = g_RebuildTable2PartList = 1;
    g_RebuildViceModelsList = 1;
    g_RebuildToolPathList = g_RebuildLinearToolPathList = 1;
    g_RebuildBasicModelList = 1;
}

namespace {

// Issues one STL facet as a polygon of the open list.
void DrawSinkTriangle(void*, const double normal[3], const double vertices[9])
{
    GlBegin(UI_GL_POLYGON);
    GlNormal3dv(normal);
    GlVertex3dv(vertices);
    GlVertex3dv(vertices + 3);
    GlVertex3dv(vertices + 6);
    GlEnd();
}

// Deletes list `name` when it exists and opens it again for compiling.
void OpenList(unsigned name)
{
    if (GlIsList(name)) GlDeleteLists(name, 1);
    GlNewList(name, UI_GL_COMPILE);
}

void Line(const double* from, const double* direction, double length, const float* colour)
{
    GlColor3fv(colour);
    GlBegin(UI_GL_LINES);
    GlVertex3dv(from);
    GlVertex3d(from[0] + direction[0] * length, from[1] + direction[1] * length, from[2] + direction[2] * length);
    GlEnd();
}

// Three lines from origin along the rows of axes (row by row), in the colours first, first + 2, first + 4.
void Triad(const double* origin, const double* axes, double length, int firstColour)
{
    for (int k = 0; k < 3; ++k) Line(origin, axes + 3 * k, length, g_AxisColours[firstColour + 2 * k]);
}

const double kUnitAxes[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

// Exact cosine and sine of an indicator angle near a quarter turn, else the cached ones.
void IndicatorCosSin(double angle, double cachedCos, double cachedSin, double* c, double* s)
{
    const double quarters[5][3] = {{0, 1, 0}, {90, 0, 1}, {180, -1, 0}, {270, 0, -1}, {360, 1, 0}};
    for (const auto& q : quarters) {
        if (std::fabs(angle - q[0]) < 0.1) {
            *c = q[1];
            *s = q[2];
            return;
        }
    }
    *c = cachedCos;
    *s = cachedSin;
}

void DrawIndicatorLetter(int axis, double x, double y)
{
    const double* m = g_RotaryMarkScales;
    if (axis == 0) {
        GlBegin(UI_GL_LINES);
        GlVertex3d(x - m[2], y + m[3], -1.0);
        GlVertex3d(x + m[4], y - m[5], -1.0);
        GlVertex3d(x + m[2], y + m[3], -1.0);
        GlVertex3d(x - m[4], y - m[5], -1.0);
        GlEnd();
    } else if (axis == 1) {
        GlBegin(UI_GL_LINES);
        GlVertex3d(x, y, -1.0);
        GlVertex3d(x + m[4], y + m[5], -1.0);
        GlEnd();
        GlBegin(UI_GL_LINE_STRIP);
        GlVertex3d(x - m[2], y + m[3], -1.0);
        GlVertex3d(x, y, -1.0);
        GlVertex3d(x, y - m[5], -1.0);
        GlEnd();
    } else {
        GlBegin(UI_GL_LINE_STRIP);
        GlVertex3d(x - m[2], y + m[3], -1.0);
        GlVertex3d(x + m[2], y + m[3], -1.0);
        GlVertex3d(x - m[2], y - m[3], -1.0);
        GlVertex3d(x + m[4], y - m[3], -1.0);
        GlEnd();
    }
}

int CodeIn(int code, std::initializer_list<int> codes)
{
    for (int c : codes) {
        if (c == code) return 1;
    }
    return 0;
}

}  // namespace

void GetIndicatorAxisDirection(int axis, int code, double c, double s, double bigC, double bigN, double* dx, double* dy)
{
    // The six screen directions the table chooses from.
    const double forms[6][2] = {{c, bigC * s}, {-s, bigC * c}, {-c, -bigC * s}, {s, -bigC * c}, {0.0, bigN}, {0.0, -bigN}};
    int form = -1;
    if (axis == 0) {
        if (CodeIn(code, {0, 30, 40})) form = 0;
        else if (CodeIn(code, {1, 11, 21})) form = 1;
        else if (CodeIn(code, {2, 32, 42})) form = 2;
        else if (CodeIn(code, {3, 13, 23})) form = 3;
        else if (CodeIn(code, {10, 22, 33, 41})) form = 4;
        else if (CodeIn(code, {12, 20, 31, 43})) form = 5;
    } else if (axis == 1) {
        if (CodeIn(code, {0, 10, 20})) form = 1;
        else if (CodeIn(code, {1, 31, 41})) form = 2;
        else if (CodeIn(code, {2, 12, 22})) form = 3;
        else if (CodeIn(code, {3, 33, 43})) form = 0;
        else if (CodeIn(code, {13, 21, 32, 40})) form = 4;
        else if (CodeIn(code, {11, 23, 30, 42})) form = 5;
    } else {
        if (code >= 0 && code <= 3) form = 5;
        else if (code >= 10 && code <= 13) form = 0;
        else if (code >= 20 && code <= 23) form = 2;
        else if (code >= 30 && code <= 33) form = 3;
        else if (code >= 40 && code <= 43) form = 1;
    }
    // A code outside the table shows the axes as code 0 does.
    if (form < 0) {
        GetIndicatorAxisDirection(axis, 0, c, s, bigC, bigN, dx, dy);
        return;
    }
    *dx = forms[form][0];
    *dy = forms[form][1];
}

void BuildViewAxisIndicatorList()
{
    g_RebuildViewIndicator = 0;
    OpenList(LIST_VIEW_INDICATOR);
    double c = 1.0, s = 0.0, bigC = 1.0, sinB = 0.0;
    IndicatorCosSin(g_ViewAngleA, g_ViewAngleCosSin[0], g_ViewAngleCosSin[1], &c, &s);
    IndicatorCosSin(g_ViewAngleB, g_ViewAngleCosSin[2], g_ViewAngleCosSin[3], &bigC, &sinB);
    const double bigN = sinB == 0.0 ? 0.0 : -sinB;
    const double* m = g_RotaryMarkScales;
    const double ox = m[0], oy = m[1];
    for (int axis = 0; axis < 3; ++axis) {
        double dx = 0.0, dy = 0.0;
        GetIndicatorAxisDirection(axis, g_AxisDirection, c, s, bigC, bigN, &dx, &dy);
        if (dx == 0.0 && dy == 0.0) continue;   // seen end-on
        const double ex = dx * m[8], ey = dy * m[9];
        const double tx = ox + ex, ty = oy + ey;
        GlColor3fv(g_AxisColours[2 * axis]);
        GlBegin(UI_GL_LINES);
        GlVertex3d(ox, oy, -1.0);
        GlVertex3d(tx, ty, -1.0);
        GlEnd();
        double lx = tx, ly = ty;
        if (dx == 0.0) {
            const int zUp = axis == 2 && g_AxisDirection >= 0 && g_AxisDirection <= 3;
            ly = (zUp || ey > 0.0) ? ty + m[7] : ty - m[7];
        } else {
            const double e = std::sqrt(ex * ex + ey * ey);
            lx = tx + ex / e * m[6];
            ly = ty + ey / e * m[7];
        }
        DrawIndicatorLetter(axis, lx, ly);
    }
    GlEndList();
}

void BuildAxisTriadList()
{
    g_RebuildAxisTriad = 0;
    OpenList(LIST_AXIS_TRIAD);
    const double s = g_SceneScale;
    const double origin[3] = {0.0, 0.0, 0.0};
    Triad(origin, kUnitAxes, 1.5, 0);
    const AxisPosition& external = g_WorkOffsets[0];
    int externalGiven = 0;
    for (double v : external.axis) externalGiven |= v != 0.0;
    if (externalGiven) {
        const double p[3] = {external.axis[0] / s, external.axis[1] / s, external.axis[2] / s};
        Triad(p, kUnitAxes, 0.05, 1);
    }
    if (g_RotaryFollowMode != 0) {
        double q[3];
        double axes[9];
        for (int k = 0; k < 9; ++k) axes[k] = g_TiltedPlaneMatrix[k];
        if (g_WorkCoordRotated) {
            for (int k = 0; k < 3; ++k) {
                double turned = 0.0;
                for (int i = 0; i < 3; ++i) turned += g_TiltedPlaneOrigin[i] * g_ActiveWorkRotation[3 * i + k];
                q[k] = (g_ActiveWorkOrigin[k] + turned) / s;
            }
            for (int row = 0; row < 3; ++row) {
                for (int k = 0; k < 3; ++k) {
                    double turned = 0.0;
                    for (int i = 0; i < 3; ++i) turned += g_TiltedPlaneMatrix[3 * row + i] * g_ActiveWorkRotation[3 * i + k];
                    axes[3 * row + k] = turned;
                }
            }
        } else {
            for (int k = 0; k < 3; ++k) q[k] = (g_ActiveWorkOffset.axis[k] + g_TiltedPlaneOrigin[k]) / s;
        }
        Triad(q, axes, 0.1, 1);
    }
    int entryGiven = 0;
    for (double v : g_ActiveWorkCoordEntry.axis) entryGiven |= v != 0.0;
    if (g_WorkOffsetIndex > 0 && entryGiven) {
        const double p[3] = {g_ActiveWorkOrigin[0] / s, g_ActiveWorkOrigin[1] / s, g_ActiveWorkOrigin[2] / s};
        Triad(p, g_ActiveWorkRotation, 0.2, 0);
    }
    GlEndList();
}

void DrawPartModelFile(const char* path, const double* offset)
{
    if (path == nullptr || path[0] == '\0') return;
    g_PolygonSink = {DrawSinkTriangle, nullptr};
    DrawStlFile(DetectStlKind(path), path, offset, nullptr, g_SceneScale);
}

void BuildMachineBasicModelsList()
{
    g_RebuildMachineBasicModelsList = 0;
    if (GlIsList(LIST_MACHINE_BASIC_MODELS)) GlDeleteLists(LIST_MACHINE_BASIC_MODELS, 1);
    if (g_BasicModelCount == 0) return;
    GlNewList(LIST_MACHINE_BASIC_MODELS, UI_GL_COMPILE);
    SetSceneMaterial(&g_BasicModelsMaterial);
    for (int i = 0; i < g_BasicModelCount && i < MAX_BASIC_MODEL_FILES; ++i) {
        DrawPartModelFile(g_BasicModelFiles[i], g_PartModelOffsets.basic);
    }
    GlEndList();
}

void BuildViceModelsList()
{
    g_RebuildViceModelsList = 0;
    if (GlIsList(LIST_VICE_MODELS)) GlDeleteLists(LIST_VICE_MODELS, 1);
    if (g_ViceModelCount == 0) return;
    GlNewList(LIST_VICE_MODELS, UI_GL_COMPILE);
    SetSceneMaterial(&g_ViceMaterial);
    for (int i = 0; i < g_ViceModelCount && i < MAX_VICE_MODEL_FILES; ++i) {
        DrawPartModelFile(g_ViceModelFiles[i], g_PartModelOffsets.vice[i]);
    }
    GlEndList();
}

void BuildPickMarkList()
{
    OpenList(LIST_PICK_MARK);
    GlPointSize(5.0f);
    GlColor3fv(g_AxisColours[0]);
    GlBegin(UI_GL_POINTS);
    GlVertex3d(g_PickedPoint[0] / g_SceneScale, g_PickedPoint[1] / g_SceneScale, g_PickedPoint[2] / g_SceneScale);
    GlEnd();
    GlEndList();
    g_PickMarkState = 1;
}

void BuildViewCentreMarkList()
{
    OpenList(LIST_VIEW_CENTRE_MARK);
    GlPointSize(5.0f);
    GlColor3fv(g_AxisColours[0]);
    GlBegin(UI_GL_POINTS);
    GlVertex3dv(g_ViewCentre);
    GlEnd();
    GlEndList();
}

void BuildToolPathList()
{
    g_RebuildToolPathList = 0;
    OpenList(LIST_TOOL_PATH);
    const int pen = g_CurrentToolPenIndex >= 0 && g_CurrentToolPenIndex < PEN_COLOUR_COUNT ? g_CurrentToolPenIndex : 0;
    SetSceneMaterial(g_TopPathColourSpecified ? &g_TopPathMaterial : &g_PenMaterials[pen]);
    DrawToolPath(1);
    GlEndList();
}

void BuildLinearToolPathList()
{
    g_RebuildLinearToolPathList = 0;
    OpenList(LIST_LINEAR_TOOL_PATH);
    SetSceneMaterial(&g_TopPath2Material);
    DrawToolPath(0);
    GlEndList();
}

void BuildBasicModelList()
{
    if (GlIsList(LIST_BASIC_MODEL)) GlDeleteLists(LIST_BASIC_MODEL, 1);
    if (PrepareWorkFaceBuffers(&g_BasicModel)) {
        g_PenMaterials[0] = g_BaseModelMaterial;
        // The list is opened with the first triangle: an empty model leaves none.
        TessellateWorkBlock(&g_BasicModel, 0, 0, g_BasicModel.cellCountX, 0, g_BasicModel.cellCountY, 0,
                            g_BasicModel.cellCountZ, LIST_BASIC_MODEL);
        ColourToRgbaFloat(g_PenColours[0], g_WorkAlpha, &g_PenMaterials[0]);
        FreeWorkFaceBuffers();
    }
    g_RebuildBasicModelList = 0;
}
