// The renderer of the 3D view: per-frame offsets, the rebuild of flagged lists, lights and blending,
// and the replay of every list in its fixed order: 1, 30, 3, 22 to 24, 21, 25, 26, 27, 2, the work,
// 33, 31, 32, 28, 12 to 17, 11, 18, 19, 4.
#include "view/scene_rendering.h"

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/tools/tool_table.h"
#include "platform/ui/gl_calls.h"
#include "platform/ui/repaint_requests.h"
#include "platform/ui/shell_services.h"
#include "view/display_lists.h"
#include "view/picking.h"
#include "view/scene_materials.h"
#include "view/view_window.h"
#include "view/work_display.h"
#include "work_model/work_model.h"

double g_TableDisplayOffsets[3] = {0.0, 0.0, 0.0};
double g_HeadDisplayOffsets[3] = {0.0, 0.0, 0.0};

namespace {

int HasModelFile(int part) { return g_PartModelFiles[part][0] != '\0'; }

// Blending by a display mode: ON off, PERS on, OFF unchanged.
void BlendByMode(int mode)
{
    if (mode == PART_DISPLAY_ON) GlDisable(UI_GL_BLEND);
    else if (mode == PART_DISPLAY_SEMITRANSPARENT) GlEnable(UI_GL_BLEND);
}

void SetLight()
{
    const int code = g_AxisDirection;
    float position[4] = {0.5f, 0.5f, 1.0f, 0.0f};
    if (code == 1 || (code >= 3 && code <= 9)) {
        position[0] = -0.5f; position[1] = 0.5f; position[2] = 1.0f;
    } else if (code == 10 || code == 12) {
        position[0] = 1.0f; position[1] = 0.5f; position[2] = 0.5f;
    } else if (code == 11 || code == 13) {
        position[0] = 0.5f; position[1] = -1.0f; position[2] = 0.5f;
    } else if (code >= 30 && code <= 33) {
        position[0] = -0.5f; position[1] = -1.0f; position[2] = 0.5f;
    }
    const float ambient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
    const float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float specular[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    GlLightfv(UI_GL_LIGHT0, UI_GL_POSITION, position);
    GlLightfv(UI_GL_LIGHT0, UI_GL_AMBIENT, ambient);
    GlLightfv(UI_GL_LIGHT0, UI_GL_DIFFUSE, diffuse);
    GlLightfv(UI_GL_LIGHT0, UI_GL_SPECULAR, specular);
}

// The angle shown for rotary axis `index` (3 or 4) with the turning spin of the animation.
double SpunAngle(int index)
{
    const double angle = g_MachinePosition.axis[index];
    const double spin = 10.0 * g_CutAnimationStep;
    if (g_MachineKind == MACHINE_TABLE) {
        return g_RotatingAxisIndex == index && g_CutAnimationStep > 0 ? angle + spin : angle;
    }
    if (g_MachineKind == MACHINE_MIX && index == 4) return angle + spin;
    return angle;
}

void Rotate(double angle, const double* axis) { GlRotated(angle, axis[0], axis[1], axis[2]); }

// Turns about an axis through point p (scene units).
void RotateAbout(const double* p, double angle, const double* axis)
{
    GlTranslated(p[0], p[1], p[2]);
    Rotate(angle, axis);
    GlTranslated(-p[0], -p[1], -p[2]);
}

void DrawOverlay()
{
    GlMatrixMode(UI_GL_MODELVIEW);
    GlPushMatrix();
    GlLoadIdentity();
    GlMatrixMode(UI_GL_PROJECTION);
    GlPushMatrix();
    GlLoadIdentity();
    GlDisable(UI_GL_LIGHTING);
    if (g_ZoomWindowArmed && g_ZoomWindowDragging) DrawZoomRectangle();
    GlCallList(LIST_VIEW_INDICATOR);
    GlPopMatrix();
    GlMatrixMode(UI_GL_MODELVIEW);
    GlPopMatrix();
    GlLoadIdentity();
    GlEnable(UI_GL_LIGHTING);
}

void TurnSceneWithTable(const double* t)
{
    if (g_MachineKind == MACHINE_TABLE) {
        Rotate(g_Rotary2Direction * SpunAngle(4), g_Rotary2UnitVector);
        RotateAbout(t, g_Rotary1Direction * SpunAngle(3), g_Rotary1UnitVector);
    } else if (g_MachineKind == MACHINE_MIX) {
        RotateAbout(t, g_Rotary2Direction * SpunAngle(4), g_Rotary2UnitVector);
    }
}

void DrawTableSide(const double* t, int machineShown)
{
    const double* o = g_TableDisplayOffsets;
    if (machineShown) {
        const int parts[3] = {PART_MODEL_TABLE_X, PART_MODEL_TABLE_Y, PART_MODEL_TABLE_Z};
        for (int k = 0; k < 3; ++k) {
            if (!HasModelFile(parts[k])) continue;
            double shift[3] = {0.0, 0.0, 0.0};
            shift[k] = o[k];
            GlTranslated(shift[0], shift[1], shift[2]);
            GlCallList(LIST_TABLE_X + k);
            GlTranslated(-shift[0], -shift[1], -shift[2]);
        }
    }
    GlTranslated(o[0], o[1], o[2]);
    if (machineShown) GlCallList(LIST_TABLE);
    switch (g_MachineKind) {
    case MACHINE_TABLE:
        RotateAbout(t, -g_Rotary1Direction * SpunAngle(3), g_Rotary1UnitVector);
        if (machineShown) GlCallList(LIST_TABLE1);
        Rotate(-g_Rotary2Direction * SpunAngle(4), g_Rotary2UnitVector);
        if (machineShown) {
            GlCallList(LIST_TABLE2);
            GlCallList(LIST_VICE_MODELS);
        }
        break;
    case MACHINE_MIX:
        RotateAbout(t, -g_Rotary2Direction * SpunAngle(4), g_Rotary2UnitVector);
        if (machineShown) {
            GlCallList(LIST_TABLE1);
            GlCallList(LIST_VICE_MODELS);
        }
        break;
    case MACHINE_HEAD:
        if (machineShown) {
            GlCallList(LIST_TABLE1);
            GlCallList(LIST_VICE_MODELS);
        }
        break;
    default:
        break;
    }
}

void DrawWorkAndPaths(WorkModel* work)
{
    if (g_WorkDisplayMode > 0) {
        BlendByMode(g_WorkDisplayMode);
        if (g_WorkDisplayStyle != 0) GlDisable(UI_GL_LIGHTING);
        else GlEnable(UI_GL_LIGHTING);
        if (g_WorkDefined) {
            if (g_WorkDisplayStyle > 1) GlCallList(g_PointModeListId);
            else CallWorkBlockLists(work);
        }
    }
    if (g_BasicModelDisplayMode > 0) {
        BlendByMode(g_BasicModelDisplayMode);
        GlEnable(UI_GL_LIGHTING);
        if (g_BasicModel.nodeCountX > 0) GlCallList(LIST_BASIC_MODEL);
    }
    GlDisable(UI_GL_LIGHTING);
    if (g_ShowToolPath) GlCallList(LIST_TOOL_PATH);
    if (g_ShowLinearToolPath) GlCallList(LIST_LINEAR_TOOL_PATH);
    if (g_PickMarkState > 0) GlCallList(LIST_PICK_MARK);
    GlEnable(UI_GL_LIGHTING);
}

// A head part moved along one axis, with the pair parts that also move along it.
void DrawHeadAxisPart(int axis, int part, const int pairs[2][2])
{
    if (!HasModelFile(part)) return;
    const double* h = g_HeadDisplayOffsets;
    double shift[3] = {0.0, 0.0, 0.0};
    shift[axis] = h[axis];
    GlTranslated(shift[0], shift[1], shift[2]);
    GlCallList(LIST_HEAD_X + axis);
    for (int k = 0; k < 2; ++k) {
        const int pairPart = pairs[k][0];
        const int other = pairs[k][1];
        if (!HasModelFile(pairPart)) continue;
        double second[3] = {0.0, 0.0, 0.0};
        second[other] = h[other];
        GlTranslated(second[0], second[1], second[2]);
        GlCallList(LIST_HEAD_XY + (pairPart - PART_MODEL_HEAD_XY));
        GlTranslated(-second[0], -second[1], -second[2]);
        break;   // the first pair part given is drawn
    }
    GlTranslated(-shift[0], -shift[1], -shift[2]);
}

void DrawHeadSide(int machineShown)
{
    const double* h = g_HeadDisplayOffsets;
    BlendByMode(g_MachineDisplayMode);
    if (machineShown) {
        const int pairsX[2][2] = {{PART_MODEL_HEAD_XY, 1}, {PART_MODEL_HEAD_ZX, 2}};
        const int pairsY[2][2] = {{PART_MODEL_HEAD_XY, 0}, {PART_MODEL_HEAD_YZ, 2}};
        const int pairsZ[2][2] = {{PART_MODEL_HEAD_ZX, 0}, {PART_MODEL_HEAD_YZ, 1}};
        DrawHeadAxisPart(0, PART_MODEL_HEAD_X, pairsX);
        DrawHeadAxisPart(1, PART_MODEL_HEAD_Y, pairsY);
        DrawHeadAxisPart(2, PART_MODEL_HEAD_Z, pairsZ);
    }
    GlTranslated(h[0], h[1], h[2]);
    if (machineShown) GlCallList(LIST_HEAD);
    const double s = g_SceneScale;
    const double head[3] = {g_HeadPosition[0] / s, g_HeadPosition[1] / s, g_HeadPosition[2] / s};
    const double angle1 = g_MachinePosition.axis[3];
    const double angle2 = g_MachinePosition.axis[4];
    if (g_MachineKind == MACHINE_HEAD) {
        Rotate(g_Rotary1Direction * angle1, g_Rotary1UnitVector);
        if (machineShown) GlCallList(LIST_HEAD1);
        RotateAbout(head, g_Rotary2Direction * angle2, g_Rotary2UnitVector);
        if (machineShown) GlCallList(LIST_HEAD2);
    } else if (g_MachineKind == MACHINE_MIX) {
        RotateAbout(head, g_Rotary1Direction * angle1, g_Rotary1UnitVector);
        if (machineShown) GlCallList(LIST_HEAD1);
    } else if (g_MachineKind == MACHINE_TABLE) {
        if (machineShown) GlCallList(LIST_HEAD1);
    }
}

}  // namespace

void ComputeSceneOffsets()
{
    const double s = g_SceneScale;
    for (int k = 0; k < 3; ++k) {
        const double position = g_MachinePosition.axis[k];
        g_TableAxisOffsets[k] = g_TableMovesAxis[k] ? -position : 0.0;
        g_TableDisplayOffsets[k] = g_TableAxisOffsets[k] / s;
        g_HeadDisplayOffsets[k] = g_TableMovesAxis[k] ? 0.0 : position / s;
    }
    const int spindle = g_SpindleToolNumber;
    if (spindle >= 0 && spindle < TOOL_LAYOUT_SLOTS && g_ToolLayoutFlags[spindle]) {
        for (int k = 0; k < 3; ++k) g_HeadDisplayOffsets[k] -= g_ToolLayoutPositions[spindle][k] / s;
    }
}

void RebuildFlaggedLists(WorkModel* work)
{
    const int level = work->currentLevel;
    if (g_WorkDefined && g_WorkListRebuild != nullptr && level >= 0 && level < g_UndoRingSize &&
        g_WorkListRebuild[level]) {
        DrawWorkModel(work);
    }
    if (g_RebuildBasicModelList && g_BasicModelDisplayMode != PART_DISPLAY_OFF) BuildBasicModelList();
    if (g_BasicModel.nodeCountX <= 0 && GlIsList(LIST_BASIC_MODEL)) GlDeleteLists(LIST_BASIC_MODEL, 1);
    if (g_RebuildViewIndicator) BuildViewAxisIndicatorList();
    if (g_RebuildAxisTriad) BuildAxisTriadList();
    if (g_RebuildMachineBasicModelsList) BuildMachineBasicModelsList();
    if (g_RebuildToolPathList) BuildToolPathList();
    if (g_RebuildLinearToolPathList) BuildLinearToolPathList();
    if (g_RebuildToolList) {
        const int spindle = g_SpindleToolNumber;
        const int spindleLaidOut = spindle == 0 ||
                                   (spindle > 0 && spindle < TOOL_LAYOUT_SLOTS && g_ToolLayoutFlags[spindle]);
        if (g_MountedToolCount < 1 || !spindleLaidOut) BuildCurrentToolList();
        else BuildLayoutToolsList();
    }
    if (g_RebuildHeadPartLists) BuildHeadPartLists();
    if (g_RebuildHead1PartList) BuildHead1PartList();
    if (g_RebuildHead2PartList) BuildHead2PartList();
    if (g_RebuildTablePartLists) BuildTablePartLists();
    if (g_RebuildTable1PartList) BuildTable1PartList();
    if (g_RebuildTable2PartList) BuildTable2PartList();
    if (g_RebuildViceModelsList) BuildViceModelsList();
    if (g_PickMarkState == 2) BuildPickMarkList();
    if (g_ShowViewCentre) BuildViewCentreMarkList();
}

void RenderScene(WorkModel* work)
{
    if (g_ToolListCutState != g_CutCodeState) g_RebuildToolList = 1;
    ComputeSceneOffsets();
    GlEnable(UI_GL_CULL_FACE);
    GlEnable(UI_GL_NORMALIZE);
    GlEnable(UI_GL_LIGHTING);
    GlEnable(UI_GL_LIGHT0);
    SetLight();
    GlBlendFunc(UI_GL_SRC_ALPHA, UI_GL_ONE_MINUS_SRC_ALPHA);
    RebuildFlaggedLists(work);
    GlClearColor(g_BackgroundColour[0], g_BackgroundColour[1], g_BackgroundColour[2], g_BackgroundColour[3]);
    GlViewport(0, 0, g_ViewportWidth, g_ViewportHeight);
    GlClear(UI_GL_COLOR_BUFFER_BIT | UI_GL_DEPTH_BUFFER_BIT);
    GlEnable(UI_GL_DEPTH_TEST);
    DrawOverlay();
    ApplyViewTransform();
    const double s = g_SceneScale;
    const double t[3] = {g_TablePosition[0] / s, g_TablePosition[1] / s, g_TablePosition[2] / s};
    if (g_ViewFollowsTableRotation) TurnSceneWithTable(t);
    if (g_ViewFollowsTableMove) {
        GlTranslated(-g_TableDisplayOffsets[0], -g_TableDisplayOffsets[1], -g_TableDisplayOffsets[2]);
    }
    if (g_ShowViewCentre) {
        GlDisable(UI_GL_LIGHTING);
        GlCallList(LIST_VIEW_CENTRE_MARK);
        GlEnable(UI_GL_LIGHTING);
    }
    const int machineShown = g_MachineDisplayMode > 0;
    BlendByMode(g_MachineDisplayMode);
    if (machineShown && g_BasicModelCount > 0) GlCallList(LIST_MACHINE_BASIC_MODELS);
    GlPushMatrix();
    DrawTableSide(t, machineShown);
    if (g_MachineDisplayMode == PART_DISPLAY_SEMITRANSPARENT) GlDisable(UI_GL_BLEND);
    GlDisable(UI_GL_LIGHTING);
    if (g_ShowAxisTriad) GlCallList(LIST_AXIS_TRIAD);
    GlEnable(UI_GL_LIGHTING);
    DrawWorkAndPaths(work);
    GlPopMatrix();
    DrawHeadSide(machineShown);
    BlendByMode(g_ToolDisplayMode);
    if (g_ToolDisplayMode > 0) {
        if (g_ZTurnAngle != 0.0) GlRotated(g_ZTurnAngle, g_ToolDirection[0], g_ToolDirection[1], g_ToolDirection[2]);
        GlCallList(LIST_TOOL);
    }
    GlLoadIdentity();
}

void DrawZoomRectangle()
{
    if (g_ZoomWindowEnd[0] == g_ZoomWindowStart[0] && g_ZoomWindowEnd[1] == g_ZoomWindowStart[1]) return;
    GlColor3fv(g_AxisColours[0]);
    GlLineWidth(2.0f);
    GlBegin(UI_GL_LINE_LOOP);
    for (int i = 0; i < 4; ++i) GlVertex3d(g_ZoomRectangleCorners[2 * i], g_ZoomRectangleCorners[2 * i + 1], -1.0);
    GlEnd();
    GlLineWidth(1.0f);
}
