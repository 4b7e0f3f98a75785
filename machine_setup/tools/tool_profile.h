// The tool profile: the current tool's half outline as (radius, height) points from the tip upwards in
// cutting, shank and holder parts, the outline revolved about the tool axis in 36 steps of 10 degrees,
// the boxes of its parts and the overall tool length. Built from the current tool (current_tool.h).
#pragma once

constexpr int TOOL_PROFILE_MAX_POINTS = 49;
constexpr int TOOL_SURFACE_STEPS = 36;
constexpr int TOOL_SURFACE_DOUBLES = TOOL_PROFILE_MAX_POINTS * TOOL_SURFACE_STEPS * 3;

// A box in the tool frame with its eight corners.
struct ToolPartBox {
    double minimum[3];
    double maximum[3];
    double corners[8][3];
};

// Written by BuildToolProfile on the thread that selects a tool (UI or simulation thread).
extern double* g_ToolProfileRadius;         // TOOL_PROFILE_MAX_POINTS radii, point 0 at the tip
extern double* g_ToolProfileHeight;         // heights above the tip
extern int g_ToolProfileCutterEnd;          // points of the cutting part
extern int g_ToolProfileShankEnd;           // index where the holder part starts
extern int g_ToolProfilePointCount;         // points in all, at most TOOL_PROFILE_MAX_POINTS
extern int g_ToolProfileLength2Index;       // point at height L2 (length kinds above 1), else 0
extern int g_ToolProfileTaperStart;         // point where the LENGTH3 taper starts (0 none)
extern int g_ToolSurfaceStepCount;          // 36
extern double* g_ToolSolidBuffers[3];       // point j, step i at (j * 36 + i) * 3: plain surface,
                                            // angle-head copy, working space of the holder checks
extern ToolPartBox g_ToolBox;               // cutting and shank parts
extern ToolPartBox g_ToolShankBox;          // shank part, output-length check runs only
extern ToolPartBox g_ToolHolderBox;         // holder part
extern double g_ToolProfileTop;             // last height, single precision
extern double g_ToolLength;                 // g_ToolHolderOffset + g_ToolProfileTop; 0 without tool
extern double g_HolderHeightAboveTool;      // with a holder: g_ToolLength - L1; else 0

// Allocates the five buffers once (later calls keep them). Returns 1, or 0 when out of memory.
int AllocToolProfileBuffers();
void FreeToolProfileBuffers();

// Rebuilds the whole profile of the current tool. Returns 1 when built, 0 when no tool is current
// (g_ToolLength = 0), -1 when the buffers are missing, -2 when the outline needs more than
// TOOL_PROFILE_MAX_POINTS points (the profile is then emptied and the tool is refused).
int BuildToolProfile();
// The cutting, shank and holder points of a type-990 tool from its DXF segments. Returns 1, 0 without
// a current tool, -2 when the points do not fit.
int BuildDxfToolOutline();
