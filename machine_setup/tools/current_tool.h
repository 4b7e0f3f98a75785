// The tool in use: copies of the selected tool's records, its length shift and pen, and the cutting
// geometry derived from its shape (ToolCutGeometry, holder step tables) that the cutting kernel, the
// checks, the display and the tool profile read. Only SelectCurrentTool writes them.
#pragma once
#include "machine_setup/tools/tool_table.h"

// Derived dimensions of the tool in use (mm, radians where angles). Written by SelectCurrentTool on the
// thread that selects (UI or simulation thread); the slot group also by ComputeTaperGeometry.
struct ToolCutGeometry {
    double cornerRadius;          // R = |r| (0 for an oval tool whose e equals d/2)
    double cornerRadiusSquared;
    double bottomEdgeRadius;      // where the corner arc meets the bottom
    double cornerCentreHeight;    // height of the corner-arc centre above the tip
    double cornerCentreOffset;    // radial distance of the corner-arc centre from the axis
    double tipFlatRadius;         // flat at the tip of an inclined bottom
    double bottomConeTangent;     // tan(alpha); -1 for oval tools
    double bottomLineOffset;      // bottom line: height = radius x tangent + offset
    double bottomConeHeight;      // height of the bottom line at cornerCentreOffset
    double sideCotangent;         // 1 / tan(beta), 0 when beta is 0
    double sideLineOffset;        // side line: height = radius x sideCotangent + sideLineOffset
    double sideStartRadius;       // where the corner arc meets the side
    double sideStartHeight;
    double maxCuttingRadius;      // radius at the top of the cutting part
    double sideEndHeight;         // side line height at maxCuttingRadius
    double ovalAxialSemiAxis;     // oval: f
    double ovalRadialSemiAxis;    // oval: e
    double ovalRadialSemiAxisSquared;
    double ovalCapHeight;         // oval: height at which the corner arc replaces the ellipse
    double cuttingTopRadius;      // body radius directly above the cutting shape
    double shankRadius;           // non-cutting body above the cutting length (HEIGHT CHECK TYPE)
    int hasShank;                 // 1 when shankRadius differs from maxCuttingRadius and is above 0
    double neckRadius;            // half of L6 for two- and three-section lengths, else maxCuttingRadius
    double neckConeTopRadius;     // three sections: radius at the end of the first neck section
    double neckCotangent1;        // neck slopes (height per unit radius)
    double neckCotangent2;
    double fluteLength;           // length of the cutting edge
    double innerRadiusSquared;    // VERTICAL: (d/2 - w)^2, else 0
    // T-slot head (type 7).
    double slotTopCornerRadius;   // radial position of the upper corner centre
    double slotTopCornerHeight;
    double slotBoundingDiameter;
    double slotSideStartRadius;
    double slotSideStartHeight;
    double slotSideEndRadius;
    double slotSideEndHeight;
    double slotSideLength;        // below 0: the corner radii overlap
    double slotBottomCornerSweep; // radians
    double slotTopCornerSweep;    // radians
};

constexpr int HOLDER_STEP_ENTRIES = 12;

extern ToolCutGeometry g_ToolCut;
extern double g_ToolTaperLength;                          // height over which the neck reaches neckRadius
extern double g_HolderStepHeights[HOLDER_STEP_ENTRIES];   // 0: holder base; i: top of step i-1
extern double g_HolderStepRadii[HOLDER_STEP_ENTRIES];
extern double g_HolderStepRadiiSquared[HOLDER_STEP_ENTRIES];
extern double g_ToolReachClearance;                       // TOOL CLEARANCE allowance of the cutting radius
extern double g_ToolReachRadius;                          // maxCuttingRadius + g_ToolReachClearance

extern ToolRecord g_CurrentTool;                 // copy of the selected tool (its heap fields are shared)
extern ToolLengthRecord g_CurrentToolLengthRecord;
extern ArborRecord g_CurrentArbor;
extern ToolOptFeedRecord g_CurrentToolOptFeed;
extern float g_CurrentToolLength;                // length shift that programmed positions refer to
extern int g_CurrentToolNumber;                  // tool number last selected (-1 none)
extern int g_CurrentToolPenIndex;
extern unsigned char g_ToolPenAttribute;         // pen x 16: attribute byte of new interval ends
extern unsigned char g_CutColour[2];             // pen x 16, both bytes
extern int g_ToolProfileStatus;                  // result of the last BuildToolProfile (1 ok, -1 refused)

// Makes tool n current and derives its geometry (gate: g_WorkPitch, or 0 for no holder clearance).
// Returns 1 for a defined tool whose profile was built, 0 for an undefined tool, -1 when n lies outside
// the tool arrays (no tool is then current, as for an undefined number), -2 when the profile was refused
// (too many outline points).
int SelectCurrentTool(int n, double gate);

// The T-slot head geometry of tool into g_ToolCut's slot group, bottomEdgeRadius and cornerCentreHeight.
void ComputeTaperGeometry(const ToolRecord* tool);
// The same into geometry (the tool table tests a T-THROW record without touching g_ToolCut).
void ComputeTaperGeometryInto(const ToolRecord* tool, ToolCutGeometry* geometry);
// The corner-centre radius of an oval tool (root strictly between d/2 - r and d/2, else 0).
double SolveProfileIntersection(double e, double f, double r, double d);
// A holder diameter enlarged by the ARBOR CLEARANCE setting.
float ComputeEffectiveDiameter(float diameter);
// The TOOL CLEARANCE allowance into g_ToolReachClearance and g_ToolReachRadius.
void UpdateToolReachOffset();
// d/2 - r - s, s = r when f >= r, else sqrt(max(0, r^2 - (r - f)^2)).
double ComputeBullNoseOffset(double d, double r, double f);
