// The tool-length reference of the spindle tool (H memory, g_ToolLengthOffset, the pending shift) by
// TOOL BASE POINT and AUTO LENGTH POSITION, and the tool-tip offset of a tilted head. The block-end
// step that applies them lives with the block interpreter.
#include "machine_setup/tools/tool_length_reference.h"

#include <cmath>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/machine/rotation.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/machine_setup_state.h"

namespace {

// The reference value of the current tool for a base-point code (BALL-CENTER 1, F-CENTER 2,
// R-HEIGHT 3); 0 for the others.
double ShapeReference(int code) {
    const double r = g_CurrentTool.cornerRadius;
    const int type = g_CurrentTool.type;
    switch (code) {
    case TOOL_BASE_BALL_CENTER: return (type == TOOL_BALL || type == TOOL_TAPER_BALL) ? r : 0.0;
    case TOOL_BASE_F_CENTER: return g_ToolCut.cornerCentreHeight;
    case TOOL_BASE_R_HEIGHT: return (r > 0 && g_CurrentTool.bottomAngle == 0) ? r : 0.0;
    default: return 0.0;
    }
}

}  // namespace

void ComputeToolLengthReference() {
    const int t = g_SpindleToolNumber;
    const int stored = t >= 0 && t < TOOL_OFFSET_COUNT;
    g_HWordNumber = t;
    float h = 0, h2 = 0;
    switch (g_ToolBasePoint) {
    case TOOL_BASE_BALL_CENTER:
    case TOOL_BASE_F_CENTER:
    case TOOL_BASE_R_HEIGHT: h = (float)ShapeReference(g_ToolBasePoint); break;
    case TOOL_BASE_LENGTH_TOP: h = g_CurrentToolLengthRecord.lengths[0]; break;
    case TOOL_BASE_ARBOR_TOP: h = (float)g_ToolProfileTop; break;
    default: break;
    }
    if (g_ToolBasePoint == TOOL_BASE_LENGTH_TOP || g_ToolBasePoint == TOOL_BASE_ARBOR_TOP) {
        if (g_AutoLengthPosition == 0) h2 = (float)g_HeidenhainLengthDelta;
        else h = (float)(h - ShapeReference(g_AutoLengthPosition));
    }
    if (stored) {
        g_ToolOffsetH[t] = h;
        g_ToolOffsetH2[t] = h2;
    }
    double offset = (float)(h + h2);
    if (g_ToolBasePoint == TOOL_BASE_ARBOR_TOP) offset += g_ToolHolderOffset;
    g_ToolLengthOffset = offset;
    g_PendingToolLengthShift = offset;
}

void ComputeHeadTipOffset(double angleDeg) {
    if (g_DialectOsp && g_MachineKind == MACHINE_HEAD && g_LastGCode == 353) {
        double s1, c1, s2, c2;
        ComputeAxisAngleSinCos(g_NcTargetPosition.axis[AXIS_ROTARY1], g_Rotary1Direction, &s1, &c1);
        ComputeAxisAngleSinCos(g_NcTargetPosition.axis[AXIS_ROTARY2], g_Rotary2Direction, &s2, &c2);
        const int arborTop = g_ToolBasePoint == TOOL_BASE_ARBOR_TOP;
        const double L = arborTop ? g_ToolLength : g_ToolLength - g_CurrentToolLength;
        g_HeadTipOffset[0] = L * s2 * c1;
        g_HeadTipOffset[1] = L * s2 * s1;
        g_HeadTipOffset[2] = (c2 - 1.0) * L + (arborTop ? g_ToolLengthOffset : 0.0);
        return;
    }
    if (g_DialectMazak && !g_MachineLathe && !g_MazakHeadOffsetMode) {
        g_HeadTipOffset[0] = 0;
        g_HeadTipOffset[1] = 0;
        g_HeadTipOffset[2] = g_ToolLengthOffset;
        return;
    }
    const double radians = angleDeg * M_PI / 180.0;
    g_HeadTipOffset[0] = std::sin(radians) * g_ToolLengthOffset;
    g_HeadTipOffset[1] = 0;
    g_HeadTipOffset[2] = std::cos(radians) * g_ToolLengthOffset;
}
