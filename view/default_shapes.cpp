// Default machine part shapes and the box and cylinder primitives.
#include "view/default_shapes.h"

#include <algorithm>
#include <cmath>

#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/tools/tool_profile.h"
#include "platform/ui/gl_calls.h"
#include "platform/ui/shell_services.h"
#include "view/view_camera.h"
#include "work_model/work_model.h"

double g_DefaultPartSize = 80.0;

namespace {

const double kPi = 3.14159265358979323846;

// The cosine and sine axes of a circle about axis.
void CircleAxes(int axis, int* cosAxis, int* sinAxis)
{
    if (axis == 2) { *cosAxis = 0; *sinAxis = 1; }
    else if (axis == 1) { *cosAxis = 2; *sinAxis = 0; }
    else { *cosAxis = 1; *sinAxis = 2; }
}

// The radius of the current tool's top (0 without a profile).
double ToolTopRadius()
{
    if (g_ToolProfilePointCount < 1 || g_ToolSolidBuffers[0] == nullptr) return 0.0;
    return g_ToolSolidBuffers[0][(g_ToolProfilePointCount - 1) * 36 * 3];
}

int HasModelFile(int part) { return g_PartModelFiles[part][0] != '\0'; }

// A cylinder given in millimetres.
void DrawCylinderMm(const double* centre, double radius, int axis, double length, int sides)
{
    const double s = g_SceneScale;
    const double c[3] = {centre[0] / s, centre[1] / s, centre[2] / s};
    DrawCylinder(c, radius / s, axis, length / s, sides);
}

void DrawBoxMm(const double* minimum, const double* maximum)
{
    const double s = g_SceneScale;
    const double a[3] = {minimum[0] / s, minimum[1] / s, minimum[2] / s};
    const double b[3] = {maximum[0] / s, maximum[1] / s, maximum[2] / s};
    DrawBox(a, b);
}

// A plate with half sizes along X and Y by the table axis a, as the default table shapes use them.
void PlateHalfSizes(int a, double size, double* halfX, double* halfY)
{
    *halfX = a == 0 ? 3.2 * size : 2.2 * size;
    *halfY = a == 1 ? 3.2 * size : 2.2 * size;
}

// A bar along a with discs at both ends. With a work the bar starts at its minimum corner minus
// startFactor x E along a and is lengthFactor x E long; without one it starts at 0 and is one scene
// unit long, with F = 50.
void DrawAxisBar(int a, double startFactor, double lengthFactor)
{
    const double s = g_SceneScale;
    const WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    double f = 50.0;
    double start = 0.0;      // scene units
    double length = 1.0;     // scene units
    if (g_WorkDefined && work->minCorner != nullptr && work->maxCorner != nullptr) {
        const double e = work->maxCorner[a] - work->minCorner[a];
        const int next = (a + 1) % 3;
        f = work->maxCorner[next] - work->minCorner[next];
        start = (work->minCorner[a] - startFactor * e) / s;
        length = lengthFactor * e / s;
    }
    double centre[3] = {0.0, 0.0, 0.0};
    centre[a] = start;
    DrawCylinder(centre, f / 6.0 / s, a, length, 4);
    const double disc = f / 10.0 / s;
    centre[a] = start - disc;
    DrawCylinder(centre, f / 2.0 / s, a, disc, 20);
    centre[a] = start + length;
    DrawCylinder(centre, f / 2.0 / s, a, disc, 20);
}

}  // namespace

void DrawBox(const double* mn, const double* mx)
{
    GlBegin(UI_GL_QUADS);
    GlNormal3d(1.0, 0.0, 0.0);
    GlVertex3d(mx[0], mn[1], mn[2]); GlVertex3d(mx[0], mx[1], mn[2]); GlVertex3d(mx[0], mx[1], mx[2]); GlVertex3d(mx[0], mn[1], mx[2]);
    GlNormal3d(0.0, 1.0, 0.0);
    GlVertex3d(mx[0], mx[1], mn[2]); GlVertex3d(mn[0], mx[1], mn[2]); GlVertex3d(mn[0], mx[1], mx[2]); GlVertex3d(mx[0], mx[1], mx[2]);
    GlNormal3d(-1.0, 0.0, 0.0);
    GlVertex3d(mn[0], mx[1], mn[2]); GlVertex3d(mn[0], mn[1], mn[2]); GlVertex3d(mn[0], mn[1], mx[2]); GlVertex3d(mn[0], mx[1], mx[2]);
    GlNormal3d(0.0, -1.0, 0.0);
    GlVertex3d(mn[0], mn[1], mn[2]); GlVertex3d(mx[0], mn[1], mn[2]); GlVertex3d(mx[0], mn[1], mx[2]); GlVertex3d(mn[0], mn[1], mx[2]);
    GlNormal3d(0.0, 0.0, -1.0);
    GlVertex3d(mx[0], mx[1], mn[2]); GlVertex3d(mx[0], mn[1], mn[2]); GlVertex3d(mn[0], mn[1], mn[2]); GlVertex3d(mn[0], mx[1], mn[2]);
    GlNormal3d(0.0, 0.0, 1.0);
    GlVertex3d(mx[0], mx[1], mx[2]); GlVertex3d(mn[0], mx[1], mx[2]); GlVertex3d(mn[0], mn[1], mx[2]); GlVertex3d(mx[0], mn[1], mx[2]);
    GlEnd();
}

void DrawCylinder(const double* centre, double radius, int axis, double length, int sides)
{
    if (sides < 3) return;
    if (axis < 0 || axis > 2) axis = 2;
    int cu = 0, cv = 1;
    CircleAxes(axis, &cu, &cv);
    GlShadeModel(UI_GL_FLAT);
    const double e = 2.0 * kPi / sides;
    // Corner k of the base (top 0) or the top (top 1), and the radial direction at an angle.
    auto corner = [&](int k, int top, double* p) {
        const double t = k * e + e / 2.0;
        p[0] = centre[0];
        p[1] = centre[1];
        p[2] = centre[2];
        p[cu] += radius * std::cos(t);
        p[cv] += radius * std::sin(t);
        if (top) p[axis] += length;
    };
    auto radial = [&](double t) {
        double n[3] = {0.0, 0.0, 0.0};
        n[cu] = std::cos(t);
        n[cv] = std::sin(t);
        GlNormal3dv(n);
    };
    double p[3];
    GlBegin(UI_GL_QUADS);
    for (int k = 0; k < sides; ++k) {
        const double t0 = k * e + e / 2.0;
        const double t1 = t0 + e;
        if (sides < 10) radial((k + 1) * e);
        else radial(t0);
        corner(k, 1, p); GlVertex3dv(p);
        corner(k, 0, p); GlVertex3dv(p);
        if (sides >= 10) radial(t1);
        corner(k + 1, 0, p); GlVertex3dv(p);
        corner(k + 1, 1, p); GlVertex3dv(p);
    }
    GlEnd();
    double n[3] = {0.0, 0.0, 0.0};
    n[axis] = 1.0;
    GlBegin(UI_GL_POLYGON);
    GlNormal3dv(n);
    for (int k = 0; k < sides; ++k) {
        corner(k, 1, p);
        GlVertex3dv(p);
    }
    GlEnd();
    n[axis] = -1.0;
    GlBegin(UI_GL_POLYGON);
    GlNormal3dv(n);
    for (int k = sides; k >= 1; --k) {
        corner(k % sides, 0, p);
        GlVertex3dv(p);
    }
    GlEnd();
}

void DrawDefaultHeadBox()
{
    if (HasModelFile(PART_MODEL_HEAD) || g_MachineKind != MACHINE_TABLE || g_HeadType != HEAD_TYPE_PRESENT ||
        HasModelFile(PART_MODEL_HEAD1)) {
        return;
    }
    const double h = std::max(50.0, 1.5 * ToolTopRadius());
    const double mn[3] = {-h, -h, g_ToolHolderOffset};
    const double mx[3] = {h, h, g_ToolHolderOffset + 50.0};
    DrawBoxMm(mn, mx);
}

void DrawDefaultHead1Cylinder()
{
    if (HasModelFile(PART_MODEL_HEAD1) || g_Head1Type != HEAD_TYPE_PRESENT) return;
    const double r = ToolTopRadius();
    const int a = g_Rotary1Axis;
    double centre[3] = {0.0, 0.0, 0.0};
    if (g_MachineKind == MACHINE_HEAD) centre[a] = r;
    else if (g_MachineKind == MACHINE_MIX) centre[a] = -0.75 * r;
    else return;
    DrawCylinderMm(centre, 1.5 * r, a, 1.5 * r, 20);
}

void DrawDefaultHead2Cylinder()
{
    if (HasModelFile(PART_MODEL_HEAD2) || g_Head2Type != HEAD_TYPE_PRESENT) return;
    const double r = ToolTopRadius();
    const int a = g_Rotary2Axis;
    double centre[3] = {-g_HeadOffset[0], -g_HeadOffset[1], -g_HeadOffset[2]};
    centre[a] -= 0.5 * r;
    DrawCylinderMm(centre, r, a, r, 20);
}

void DrawDefaultTable1Shape()
{
    if (HasModelFile(PART_MODEL_TABLE1) || g_MachineKind == MACHINE_HEAD) return;
    const double size = g_DefaultPartSize;
    const double* t = g_TablePosition;
    const int a = g_MachineKind == MACHINE_MIX ? g_Rotary2Axis : g_Rotary1Axis;
    const int u = a == 2 ? 0 : a == 1 ? 2 : 1;
    const int v = a == 2 ? 1 : a == 1 ? 0 : 2;
    const int tableKind = g_MachineKind == MACHINE_TABLE;
    if (g_TableType == TABLE_TYPE_PLANE) {
        const int rotary = g_MachineKind == MACHINE_TABLE || g_MachineKind == MACHINE_MIX;
        double halfX = 2.2 * size, halfY = 2.2 * size;
        double cx = 0.0, cy = 0.0;
        if (rotary && (a == 0 || a == 1)) {
            PlateHalfSizes(a, size, &halfX, &halfY);
            cx = t[0];
            cy = t[1];
        }
        const double mn[3] = {cx - halfX, cy - halfY, tableKind ? t[2] - 40.0 : t[2] - 20.0};
        const double mx[3] = {cx + halfX, cy + halfY, tableKind ? t[2] - 20.0 : t[2]};
        DrawBoxMm(mn, mx);
        double centre[3] = {0.0, 0.0, 0.0};
        centre[u] = t[u];
        centre[v] = t[v];
        centre[a] = mn[a] - 0.3 * size;
        DrawCylinderMm(centre, 1.5 * size, a, 0.3 * size, 20);
        centre[a] = mx[a];
        DrawCylinderMm(centre, 1.5 * size, a, 0.3 * size, 20);
    } else if (g_TableType == TABLE_TYPE_CIRCLE || g_TableType == TABLE_TYPE_LATHE) {
        double centre[3] = {0.0, 0.0, 0.0};
        centre[u] = t[u];
        centre[v] = t[v];
        centre[a] = tableKind ? -40.0 : -20.0;
        DrawCylinderMm(centre, 2.2 * size, a, 20.0, 10);
    } else if (g_TableType == TABLE_TYPE_AXIS) {
        DrawAxisBar(a, 1.0, 3.0);
    }
}

void DrawDefaultTable2Shape()
{
    if (HasModelFile(PART_MODEL_TABLE2)) return;
    const double size = g_DefaultPartSize;
    const int a = g_Rotary2Axis;
    if (g_Table2Type == TABLE_TYPE_PLANE) {
        double halfX = 0.0, halfY = 0.0;
        PlateHalfSizes(a, size, &halfX, &halfY);
        const double mn[3] = {-halfX, -halfY, -20.0};
        const double mx[3] = {halfX, halfY, 0.0};
        DrawBoxMm(mn, mx);
    } else if (g_Table2Type == TABLE_TYPE_CIRCLE || g_Table2Type == TABLE_TYPE_LATHE) {
        double centre[3] = {g_TablePosition[0], g_TablePosition[1], g_TablePosition[2]};
        centre[a] -= 20.0;
        for (int k = 0; k < 2; ++k) centre[g_Rotary2CrossAxes[k]] += g_TableOffset[g_Rotary2CrossAxes[k]];
        DrawCylinderMm(centre, 2.2 * size, a, 20.0, 10);
    } else if (g_Table2Type == TABLE_TYPE_AXIS) {
        DrawAxisBar(a, 0.5, 2.0);
    }
}
