// The tool in use: SelectCurrentTool copies a tool's records into the current-tool globals and derives
// its cutting geometry (ToolCutGeometry), length sections and holder steps; the tool profile, the
// cutting kernel, the checks and the display read the results.
#include "machine_setup/tools/current_tool.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/tools/tool_profile.h"
#include "platform/ui/repaint_requests.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/tools/tool_length_reference.h"
#include "machine_setup/tools/tool_body.h"
#include "work_model/geometry.h"

ToolCutGeometry g_ToolCut;
double g_ToolTaperLength = 0;
double g_HolderStepHeights[HOLDER_STEP_ENTRIES];
double g_HolderStepRadii[HOLDER_STEP_ENTRIES];
double g_HolderStepRadiiSquared[HOLDER_STEP_ENTRIES];
double g_ToolReachClearance = 0;
double g_ToolReachRadius = 0;

ToolRecord g_CurrentTool;
ToolLengthRecord g_CurrentToolLengthRecord;
ArborRecord g_CurrentArbor;
ToolOptFeedRecord g_CurrentToolOptFeed;
float g_CurrentToolLength = 0;
int g_CurrentToolNumber = -1;
int g_CurrentToolPenIndex = 0;
unsigned char g_ToolPenAttribute = 0;
unsigned char g_CutColour[2] = {0, 0};
int g_ToolProfileStatus = 0;

namespace {

constexpr double DEG = M_PI / 180.0;

// tan of an angle in degrees, exactly 1 at 45 degrees.
double TanDeg(double degrees) { return degrees == 45.0 ? 1.0 : std::tan(degrees * DEG); }

double Square(double v) { return v * v; }
double SafeSqrt(double v) { return v > 0 ? std::sqrt(v) : 0.0; }

// Bottom, corner and side of every shape but the oval tool (steps 1 to 6 of the shape derivation).
void DeriveCornerAndSide(const ToolRecord& t, double D, double R, double tipRadius, ToolCutGeometry* g) {
    const double alpha = t.bottomAngle, beta = t.sideAngle;
    const double halfAngle = (alpha + beta) / 2.0 + 45.0;
    const int ballLike = alpha == 0 && beta == 0 && std::fabs(D - R) < 0.001;
    if (t.type == TOOL_BALL || t.type == TOOL_TAPER_BALL) g->cornerCentreOffset = 0;
    else if (alpha == 0 && beta == 0) g->cornerCentreOffset = D - R;
    else g->cornerCentreOffset = D - std::cos(alpha * DEG) * R / TanDeg(halfAngle);
    g->bottomEdgeRadius = g->cornerCentreOffset - std::sin(alpha * DEG) * R;
    if (ballLike) g->bottomEdgeRadius = g->cornerCentreOffset = 0;
    g->cornerCentreHeight = std::cos(alpha * DEG) * R + (g->cornerCentreOffset - tipRadius) * g->bottomConeTangent;
    if (t.cornerRadius < 0) g->cornerCentreHeight = t.cornerCentreHeight;
    if (beta == 0) {
        g->sideCotangent = 0;
        g->sideStartRadius = D;
        g->sideLineOffset = g->cornerCentreHeight;
        g->maxCuttingRadius = D;
        return;
    }
    g->sideStartRadius = std::sin(beta * DEG) * R / TanDeg(halfAngle) + D;
    if (t.topDiameter > 0) {
        g->maxCuttingRadius = t.topDiameter / 2.0;
    } else {
        const double top = (t.type == TOOL_GENERAL || t.type == TOOL_TAPER_BALL) ? t.readCuttingLength
                                                                                   : t.cuttingLength;
        g->maxCuttingRadius = D + TanDeg(beta) * (top - TanDeg(alpha) * D);
    }
}

void DeriveOval(const ToolRecord& t, double D, ToolCutGeometry* g) {
    const double e = t.cornerCentreRadius, f = t.cornerCentreHeight, R = g->cornerRadius;
    g->cornerCentreOffset = R == 0 ? D : SolveProfileIntersection(e, f, R, t.diameter);
    if (e > D) {
        g->bottomEdgeRadius = D - R;
        const double s = e != 0 ? SafeSqrt(1.0 - Square(g->cornerCentreOffset) / Square(e)) : 0.0;
        g->cornerCentreHeight = f - (s * f - SafeSqrt(Square(R) - Square(g->cornerCentreOffset - (D - R))));
        g->ovalCapHeight = f - s * f;
    } else {
        g->bottomEdgeRadius = D;
        g->cornerCentreHeight = f;
        g->ovalCapHeight = f;
    }
    g->sideStartRadius = g->maxCuttingRadius = D;
    g->sideCotangent = 0;
    g->sideLineOffset = g->cornerCentreHeight;
}

// The body above the cutting shape (step 10).
void DeriveBody(const ToolRecord& t, const ToolLengthRecord& l, double D, ToolCutGeometry* g) {
    if (t.type == TOOL_T_SLOT) {
        g->cuttingTopRadius = g->neckRadius = g->shankRadius = t.neckDiameter / 2.0;
        g->hasShank = 0;
    } else if (t.type == TOOL_STL) {
        const double rb = t.neckDiameter > 0 ? t.neckDiameter / 2.0 : t.diameter / 2.0;
        g->maxCuttingRadius = g->sideStartRadius = g->cornerCentreOffset = rb;
        g->cuttingTopRadius = g->neckRadius = g->shankRadius = rb;
        g->hasShank = 0;
    } else {
        g->cuttingTopRadius = g->neckRadius = g->maxCuttingRadius;
        if (g->maxCuttingRadius > l.lengths[5] / 2.0) g->shankRadius = g->maxCuttingRadius;
        else if (l.semicolonValue >= 0) g->shankRadius = l.semicolonValue / 2.0;
        else if (l.kind == LENGTH_TWO_A || l.kind == LENGTH_THREE_A) g->shankRadius = g->maxCuttingRadius;
        else if (g_HeightCheckType == 1) g->shankRadius = g->maxCuttingRadius + g_HeightCheckValue;
        else if (g_HeightCheckType == 2) g->shankRadius = 0;
        else g->shankRadius = g->maxCuttingRadius;
        g->hasShank = g->shankRadius != g->maxCuttingRadius && g->shankRadius > 0;
    }
    g->innerRadiusSquared = t.type == TOOL_VERTICAL ? Square(D - t.verticalInset) : 0.0;
}

void DeriveCuttingShape(const ToolRecord& t, const ToolLengthRecord& l, ToolCutGeometry* g) {
    const double D = t.diameter / 2.0;
    const double R = std::fabs((double)t.cornerRadius);
    const double tipRadius =
        (t.type == TOOL_GENERAL && t.bottomAngle > 0 && t.tipFlatDiameter > 0) ? t.tipFlatDiameter / 2.0 : 0.0;
    const int oval = t.type == TOOL_OVAL;
    ToolRecord shape = t;
    if (oval) {
        g->ovalRadialSemiAxis = t.cornerCentreRadius;
        g->ovalAxialSemiAxis = t.cornerCentreHeight;
        g->ovalRadialSemiAxisSquared = Square(t.cornerCentreRadius);
        shape.bottomAngle = shape.sideAngle = 0;
    }
    g->cornerRadius = (oval && t.cornerCentreRadius == D) ? 0.0 : R;
    g->tipFlatRadius = tipRadius;
    const double tanAlpha = TanDeg(shape.bottomAngle);
    g->bottomConeTangent = oval ? -1.0 : tanAlpha;
    g->bottomLineOffset = t.tipFlatDiameter > 0 ? -tipRadius * tanAlpha : 0.0;
    g->cornerRadiusSquared = Square(g->cornerRadius);
    if (shape.sideAngle > 0) {
        g->sideCotangent = 1.0 / TanDeg(shape.sideAngle);
        g->sideLineOffset = (tanAlpha - g->sideCotangent) * D - g->bottomConeTangent * tipRadius;
    }
    if (oval) DeriveOval(t, D, g);
    else DeriveCornerAndSide(shape, D, R, tipRadius, g);
    if (t.type == TOOL_T_SLOT) ComputeTaperGeometryInto(&t, g);
    g->bottomConeHeight = g->cornerCentreOffset * g->bottomConeTangent + g->bottomLineOffset;
    g->sideStartHeight = g->sideStartRadius * g->sideCotangent + g->sideLineOffset;
    g->sideEndHeight = g->maxCuttingRadius * g->sideCotangent + g->sideLineOffset;
    UpdateToolReachOffset();
    DeriveBody(t, l, D, g);
}

// Length sections: flute length, neck radius and slopes, taper length; raises the cutting length of
// the ...A kinds. Returns the cutting length before those raises.
double DeriveLengthSections(int n, ToolRecord* t, ToolLengthRecord* l, ToolCutGeometry* g) {
    const double cutBefore = t->cuttingLength;
    const double L2 = l->lengths[1], L3 = l->lengths[2], L4 = l->lengths[3], L5 = l->lengths[4];
    const double halfL6 = l->lengths[5] / 2.0;
    switch (l->kind) {
    case LENGTH_NONE:
        g->fluteLength = 6.0 * g->neckRadius;
        l->lengths[0] = (float)g->fluteLength;
        break;
    case LENGTH_ONE:
        g->fluteLength = l->lengths[0];
        g_ToolTaperLength = 0;
        break;
    case LENGTH_TWO:
    case LENGTH_TWO_A:
        g->fluteLength = L2;
        g_ToolTaperLength = L3;
        g->neckRadius = halfL6;
        g->neckCotangent2 = halfL6 > g->maxCuttingRadius ? L3 / (halfL6 - g->maxCuttingRadius) : 0.0;
        break;
    case LENGTH_THREE:
    case LENGTH_THREE_A:
        g->fluteLength = L2;
        if (halfL6 > g->maxCuttingRadius) {
            g->neckRadius = halfL6;
            g->neckCotangent2 = L5 != 0 ? 1.0 / TanDeg(L5) : 0.0;
            if (L4 != 0) {
                g->neckCotangent1 = 1.0 / TanDeg(L4);
                g->neckConeTopRadius = g->maxCuttingRadius + L3 * TanDeg(L4);
            } else {
                g->neckCotangent1 = DBL_MAX;
                g->neckConeTopRadius = g->maxCuttingRadius;
            }
        } else {
            g->neckRadius = g->neckConeTopRadius = g->maxCuttingRadius;
            g->neckCotangent1 = g->neckCotangent2 = 0;
        }
        g_ToolTaperLength = (g->neckRadius - g->neckConeTopRadius) * g->neckCotangent2 + L3;
        break;
    default: break;
    }
    double raised = t->cuttingLength;
    if (l->kind == LENGTH_TWO_A && L2 + L3 > raised) raised = L2 + L3;
    if (l->kind == LENGTH_THREE_A && L2 + g_ToolTaperLength > raised) raised = L2 + g_ToolTaperLength;
    if (raised != t->cuttingLength) {
        t->cuttingLength = (float)raised;
        if (IsToolNumberInTable(n)) g_ToolTable[n].cuttingLength = (float)raised;
    }
    return cutBefore;
}

void DeriveHolderSteps(const ArborRecord& a, double baseHeight, double neckRadius) {
    g_HolderStepHeights[0] = baseHeight;
    if (!a.used) return;
    g_HolderStepRadii[0] = neckRadius;
    const int steps = a.stepCount < ARBOR_MAX_STEPS ? (a.stepCount > 0 ? a.stepCount : 0) : ARBOR_MAX_STEPS;
    for (int i = 0; i < steps; i++) {
        g_HolderStepHeights[i + 1] = g_HolderStepHeights[i] + a.lengths[i];
        const double r = a.diameters[i] / 2.0;
        g_HolderStepRadii[i + 1] = r > g_HolderStepRadii[i] ? r : g_HolderStepRadii[i];
    }
    int radii = steps + 1;
    if (a.kind == ARBOR_KIND_SECTIONS) {
        const double r = a.diameters[steps] / 2.0;
        g_HolderStepRadii[steps + 1] = r > g_HolderStepRadii[steps] ? r : g_HolderStepRadii[steps];
        radii++;
    }
    for (int i = 0; i < radii; i++) g_HolderStepRadiiSquared[i] = Square(g_HolderStepRadii[i]);
}

void ApplyHolderClearance() {
    ToolLengthRecord& l = g_CurrentToolLengthRecord;
    if (l.kind == LENGTH_TWO || l.kind == LENGTH_THREE) l.lengths[5] = ComputeEffectiveDiameter(l.lengths[5]);
    ArborRecord& a = g_CurrentArbor;
    if (!a.used) return;
    int last = a.kind == ARBOR_KIND_SECTIONS ? a.stepCount : a.stepCount - 1;
    if (last > ARBOR_MAX_STEPS) last = ARBOR_MAX_STEPS;
    for (int i = 0; i <= last; i++) a.diameters[i] = ComputeEffectiveDiameter(a.diameters[i]);
}

int IsAutomaticLengthOn() { return g_AutoLengthOffset || g_AutomaticToolOffset; }

void SelectUndefinedTool(int n) {
    if (n > 0) g_PluginToolActive = 0;
    g_ToolProfileTop = 0;
    g_ToolLength = g_ToolHolderOffset;
    if (IsAutomaticLengthOn()) g_ToolLengthOffset = 0;
    g_RebuildToolList = 1;
}

void CopyToolRecords(int n) {
    g_CurrentTool = g_ToolTable[n];
    g_CurrentToolLengthRecord = g_ToolLengthTable[n];
    g_CurrentArbor = g_ArborTable[n];
    g_CurrentToolOptFeed = g_ToolOptFeedTable[n];
    if (n == 0 && g_ToolLengths[0] == TOOL_PLUGIN_LENGTH_MARKER) g_CurrentToolLength = 0;
    else g_CurrentToolLength = g_ToolLengths[n];
    if (n > 0 || g_ToolPenTable[0] >= 0) {
        int pen = g_ToolPenTable[n];
        if (pen < 0) pen = 0;
        if (pen > 15) pen = 15;
        g_CurrentToolPenIndex = pen;
        g_ToolPenAttribute = (unsigned char)(pen * 16);
        g_CutColour[0] = g_CutColour[1] = (unsigned char)(pen * 16);
    }
}

}  // namespace

int SelectCurrentTool(int n, double gate) {
    g_CurrentToolNumber = n;
    if (!IsToolNumberInTable(n)) {
        std::memset(&g_CurrentTool, 0, sizeof(g_CurrentTool));
        std::memset(&g_CurrentToolLengthRecord, 0, sizeof(g_CurrentToolLengthRecord));
        ClearArborRecord(&g_CurrentArbor);
        g_CurrentToolLength = 0;
        SelectUndefinedTool(n);
        return -1;
    }
    CopyToolRecords(n);
    if (!g_CurrentTool.defined) {
        SelectUndefinedTool(n);
        return 0;
    }
    if (gate > 0 && g_ArborClearanceMode != 0) ApplyHolderClearance();
    DeriveCuttingShape(g_CurrentTool, g_CurrentToolLengthRecord, &g_ToolCut);
    const double cutBefore = DeriveLengthSections(n, &g_CurrentTool, &g_CurrentToolLengthRecord, &g_ToolCut);
    const double L1 = g_CurrentToolLengthRecord.lengths[0];
    DeriveHolderSteps(g_CurrentArbor, L1 != 0 ? L1 : cutBefore, g_ToolCut.neckRadius);
    g_ToolProfileStatus = BuildToolProfile();
    if (n > 0) g_PluginToolActive = 0;
    if (IsAutomaticLengthOn()) ComputeToolLengthReference();
    if (g_MachineLathe && g_AutomaticToolOffset && g_Rotary1Letter == 'B')
        ComputeHeadTipOffset(g_NcTargetPosition.axis[AXIS_ROTARY1] + g_ActiveWorkOffset.axis[AXIS_ROTARY1]);
    if (g_CurrentTool.type == TOOL_STL) LoadToolBody(&g_CurrentTool, 1);
    g_RebuildToolList = 1;
    return g_ToolProfileStatus == -2 ? -2 : 1;
}

void ComputeTaperGeometry(const ToolRecord* tool) { ComputeTaperGeometryInto(tool, &g_ToolCut); }

void ComputeTaperGeometryInto(const ToolRecord* tool, ToolCutGeometry* g) {
    const double d = tool->diameter, d2 = tool->topDiameter, L = tool->headLength;
    const double r = tool->cornerRadius, r2 = tool->secondRadius;
    const int direction = (d2 == 0 || d2 == d) ? 0 : (d2 > d ? 1 : -1);
    g->bottomEdgeRadius = d / 2.0;
    g->slotTopCornerRadius = d2 > 0 ? d2 / 2.0 : d / 2.0;
    double theta = M_PI / 2, lowerHalf = M_PI / 4, upperHalf = M_PI / 4;
    if (direction != 0) {
        theta = std::atan(L / (std::fabs(d - d2) / 2.0));
        lowerHalf = (M_PI - theta) / 2.0;
        upperHalf = theta / 2.0;
        if (direction < 0) {
            const double swap = lowerHalf;
            lowerHalf = upperHalf;
            upperHalf = swap;
        }
    }
    const double tanLower = direction == 0 ? 1.0 : std::tan(lowerHalf);
    const double tanUpper = direction == 0 ? 1.0 : std::tan(upperHalf);
    const double sinTheta = direction == 0 ? 1.0 : std::sin(theta);
    if (r > 0) {
        g->cornerCentreHeight = r;
        g->slotSideStartHeight = sinTheta * r / tanLower;
        g->bottomEdgeRadius -= r / tanLower;
    } else {
        g->slotSideStartHeight = g->cornerCentreHeight = 0;
    }
    if (r2 > 0) {
        g->slotTopCornerHeight = L - r2;
        g->slotSideEndHeight = L - sinTheta * r2 / tanUpper;
        g->slotTopCornerRadius -= r2 / tanUpper;
    } else {
        g->slotSideEndHeight = g->slotTopCornerHeight = L;
    }
    const double widest = d > d2 ? d : d2;
    if (direction == 0) {
        g->slotSideStartRadius = g->slotSideEndRadius = d / 2.0;
        g->slotBoundingDiameter = widest;
    } else {
        g->slotSideStartRadius = ((d2 - d) * g->slotSideStartHeight / L + d) / 2.0;
        g->slotSideEndRadius = ((d2 - d) * g->slotSideEndHeight / L + d) / 2.0;
        if (direction == 1 && r2 > 0) g->slotBoundingDiameter = 2.0 * (g->slotTopCornerRadius + r2);
        else if (direction == -1 && r > 0) g->slotBoundingDiameter = 2.0 * (g->bottomEdgeRadius + r);
        else g->slotBoundingDiameter = widest;
    }
    g->slotSideLength = g->slotSideEndHeight - g->slotSideStartHeight;
    g->slotBottomCornerSweep = M_PI - 2.0 * lowerHalf;
    g->slotTopCornerSweep = M_PI - 2.0 * upperHalf;
}

double SolveProfileIntersection(double e, double f, double r, double d) {
    const double D = d / 2.0, c = D - r;
    if (e == 0) return 0;
    double roots[8];
    int rootCount = 0;
    for (double& v : roots) v = 0;
    if (e == f) {
        SolveQuadratic(Square(f / e) * Square(r / e) - 1.0, 2.0 * c, -c * c, roots);
        rootCount = 2;
    } else {
        const double K = e * e - f * f;
        const double e4 = Square(e * e);
        const double k2 = c * c - e4 / K + f * f * r * r / K, k1 = 2.0 * e4 * c / K, k0 = -e4 * c * c / K;
        SolveQuartic(1.0, -2.0 * c, k2, k1, k0, roots);
        // The complex solver's roots carry rounding noise in their imaginary parts, so the real part
        // of the first of them inside (c, D) is taken. But the real part of a complex pair is no
        // contact point (the quartic is far from 0 there, against the size of its terms): where the
        // real factorisation finds a real root inside (c, D), that root is taken instead.
        for (int i = 0; i < 4; i++) {
            const double x = roots[2 * i];
            if (!(x > c && x < D)) continue;
            const double b3 = -2.0 * c;
            const double value = (((x + b3) * x + k2) * x + k1) * x + k0;
            const double ax = std::fabs(x);
            const double size = (((ax + std::fabs(b3)) * ax + std::fabs(k2)) * ax + std::fabs(k1)) * ax + std::fabs(k0);
            if (std::fabs(value) <= 1e-6 * size) return x;
            double real[4];
            const int realCount = SolveRealQuartic(1.0, b3, k2, k1, k0, real);
            for (int k = 0; k < realCount; k++)
                if (real[k] > c && real[k] < D) return real[k];
            return x;
        }
        return 0;
    }
    for (int i = 0; i < rootCount; i++) {
        const double x = roots[2 * i];
        if (x > c && x < D) return x;
    }
    return 0;
}

float ComputeEffectiveDiameter(float diameter) {
    if (g_ArborClearanceMode == 2) return (float)(diameter + 2.0 * g_ArborClearance);
    if (g_ArborClearanceMode == 1) {
        const double p = g_WorkPitch;
        return (float)(2.0 * std::sqrt(Square(p / 2.0) + Square(diameter / 2.0 + p)));
    }
    return diameter;
}

void UpdateToolReachOffset() {
    const double p = g_WorkPitch, radius = g_ToolCut.maxCuttingRadius;
    if (g_ToolClearanceMode == 1) g_ToolReachClearance = std::sqrt(p * p / 4.0 + Square(p + radius)) - radius;
    else if (g_ToolClearanceMode == 2) g_ToolReachClearance = g_ToolClearance;
    else g_ToolReachClearance = 0;
    g_ToolReachRadius = g_ToolReachClearance + radius;
}

double ComputeBullNoseOffset(double d, double r, double f) {
    const double s = f >= r ? r : SafeSqrt(r * r - Square(r - f));
    return d / 2.0 - r - s;
}
