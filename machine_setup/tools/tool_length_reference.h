// The tool-length reference of the spindle tool (from the tool's shape by TOOL BASE POINT and AUTO
// LENGTH POSITION) and the tool-tip offset of a tilted head; shared by the tool selection and the
// block interpreter.
#pragma once

// Sets the H memory of the spindle tool, g_ToolLengthOffset and g_PendingToolLengthShift.
// A spindle tool number outside the H memory (0 to 999) stores nothing there but still sets the offset.
void ComputeToolLengthReference();
// Sets g_HeadTipOffset for the rotary angle (degrees).
void ComputeHeadTipOffset(double angleDeg);
