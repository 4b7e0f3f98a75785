// The tool profile of the current tool: its half outline (cutting part, shank, holder) from the derived
// cutting geometry or the DXF outline, the outline revolved in 36 steps (turned by the angle head when
// the spindle is tilted), the part boxes and the overall tool length g_ToolLength.
#include "machine_setup/tools/tool_profile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/ui/shell_services.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_models.h"
#include "platform/ui/repaint_requests.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"

double* g_ToolProfileRadius = nullptr;
double* g_ToolProfileHeight = nullptr;
int g_ToolProfileCutterEnd = 0;
int g_ToolProfileShankEnd = 0;
int g_ToolProfilePointCount = 0;
int g_ToolProfileLength2Index = 0;
int g_ToolProfileTaperStart = 0;
int g_ToolSurfaceStepCount = TOOL_SURFACE_STEPS;
double* g_ToolSolidBuffers[3] = {nullptr, nullptr, nullptr};
ToolPartBox g_ToolBox;
ToolPartBox g_ToolShankBox;
ToolPartBox g_ToolHolderBox;
double g_ToolProfileTop = 0;
double g_ToolLength = 0;
double g_HolderHeightAboveTool = 0;

namespace {

constexpr double DEG = M_PI / 180.0;

// The outline being built; full is set when a point did not fit.
struct Outline {
    int count;
    int full;
};

void AddPoint(Outline* o, double radius, double height) {
    if (o->count >= TOOL_PROFILE_MAX_POINTS) {
        o->full = 1;
        return;
    }
    g_ToolProfileRadius[o->count] = radius;
    g_ToolProfileHeight[o->count] = height;
    o->count++;
}

double LastHeight(const Outline& o) { return o.count > 0 ? g_ToolProfileHeight[o.count - 1] : 0.0; }
double LastRadius(const Outline& o) { return o.count > 0 ? g_ToolProfileRadius[o.count - 1] : 0.0; }

// Number of arc points for a span: floor(span / pitch) within [low, high].
int ArcPointCount(double span, int low, int high) {
    const double pitch = g_WorkPitch;
    if (!(pitch > 0)) return high;
    const double steps = std::floor(span / pitch);
    if (!(steps < high)) return high;
    if (steps < low) return low;  // also a negative span far below the int range
    return (int)steps;
}

void AddRadiusMill(Outline* o) {
    const ToolRecord& t = g_CurrentTool;
    const ToolCutGeometry& g = g_ToolCut;
    const double e = t.cornerCentreRadius, f = t.cornerCentreHeight, r = t.cornerRadius, d = t.diameter;
    const double Q = g.cornerCentreHeight;
    g_ToolProfileHeight[0] = f;
    AddPoint(o, e, f);
    if (r < f) AddPoint(o, e, r);
    for (int i = 0; i <= 10; i++) {
        const double radius = d / 2.0 - 2.0 * r + i * r / 5.0;
        if (!(radius > e)) continue;
        double height = Q;
        if (i != 0 && i != 10) {
            const double x = r - i * r / 5.0;
            const double inner = r != 0 ? 1.0 - (x * x) / (r * r) : 0.0;
            height = (1.0 - std::sqrt(inner > 0 ? inner : 0.0)) * Q;
        }
        AddPoint(o, radius, height);
    }
}

void AddOvalArc(Outline* o) {
    const ToolRecord& t = g_CurrentTool;
    const ToolCutGeometry& g = g_ToolCut;
    const double start = g.bottomEdgeRadius, e = g.ovalRadialSemiAxis, f = g.ovalAxialSemiAxis;
    const int n = ArcPointCount(start, 4, 6);
    for (int i = 1; i <= n; i++) {
        const double radius = i == n ? start : i * start / n;
        double height = f;
        if (radius < e) height = (1.0 - std::sqrt(1.0 - radius * radius / (e * e))) * f;
        AddPoint(o, radius, height);
    }
    const double D = t.diameter / 2.0;
    if (!(t.cornerCentreRadius > D)) return;
    const int m = ArcPointCount(D - start, 2, 4);
    const double Q = g.cornerCentreHeight, C = g.cornerCentreOffset, R = g.cornerRadius;
    for (int i = 1; i <= m; i++) {
        if (i == m) {
            AddPoint(o, g.sideStartRadius, Q);
            break;
        }
        const double radius = start + i * (D - start) / m;
        const double inner = R * R - (radius - C) * (radius - C);
        AddPoint(o, radius, Q - std::sqrt(inner > 0 ? inner : 0.0));
    }
}

void AddSlotLowerArc(Outline* o) {
    const ToolCutGeometry& g = g_ToolCut;
    const double r = g_CurrentTool.cornerRadius, C = g.bottomEdgeRadius, Q = g.cornerCentreHeight;
    for (int i = 0; i <= 10; i++) {
        double phi = M_PI / 2 - i * g.slotBottomCornerSweep / 10.0;
        if (i == 0) phi = M_PI / 2;
        if (i == 10) phi = M_PI / 2 - g.slotBottomCornerSweep;
        const double c = i == 0 ? 0.0 : std::cos(phi);
        const double s = i == 0 ? 1.0 : std::sin(phi);
        AddPoint(o, c * r + C, Q - s * r);
    }
}

// The corner arc from the corner start radius to the corner end radius (types other than 6, 7, 9).
void AddCornerArc(Outline* o) {
    const ToolCutGeometry& g = g_ToolCut;
    const double start = g.bottomEdgeRadius, end = g.sideStartRadius;
    const double C = g.cornerCentreOffset, Q = g.cornerCentreHeight, R = g.cornerRadius;
    const double r = g_CurrentTool.cornerRadius;
    const int n = ArcPointCount(end - start, 5, 10);
    for (int u = r < 0 ? 0 : 1; u <= n; u++) {
        const double radius = u == n ? end : start + u * (end - start) / n;
        double height;
        if (r <= 0 && C != 0) {
            const double x = R - radius + C;
            height = x >= R ? Q - R : std::sqrt(R * R - x * x) + Q - R;
        } else {
            const double x = C == 0 ? radius : radius - C;
            height = x < R ? Q - std::sqrt(R * R - x * x) : Q;
        }
        AddPoint(o, radius, height);
    }
}

void AddSlotTop(Outline* o) {
    const ToolRecord& t = g_CurrentTool;
    const ToolCutGeometry& g = g_ToolCut;
    if (g.slotSideLength > 0) AddPoint(o, g.slotSideEndRadius, g.slotSideEndHeight);
    const double ru = t.secondRadius;
    if (ru > 0) {
        for (int k = 9; k >= 0; k--) {
            const double phi = M_PI / 2 - k * g.slotTopCornerSweep / 10.0;
            const double c = k == 0 ? 0.0 : std::cos(phi);
            const double s = k == 0 ? 1.0 : std::sin(phi);
            AddPoint(o, c * ru + g.slotTopCornerRadius, s * ru + g.slotTopCornerHeight);
        }
    }
    double s = 0;
    const double q = t.neckDiameter - (t.diameter - 2.0 * ru);
    if ((t.topDiameter == 0 || t.topDiameter == t.diameter) && q > 0 && t.neckDiameter < t.diameter &&
        ru > 0) {
        const double inner = ru * ru - (q / 2.0) * (q / 2.0);
        s = ru - std::sqrt(inner > 0 ? inner : 0.0);
    }
    AddPoint(o, t.neckDiameter / 2.0, t.headLength - s);
}

int IsTwoOrThreeSections(int kind) {
    return kind == LENGTH_TWO || kind == LENGTH_THREE || kind == LENGTH_TWO_A || kind == LENGTH_THREE_A;
}

void AddCuttingPart(Outline* o) {
    const ToolRecord& t = g_CurrentTool;
    const ToolCutGeometry& g = g_ToolCut;
    const int type = t.type;
    if (type == TOOL_STL) {
        AddPoint(o, t.neckDiameter > 0 ? t.neckDiameter / 2.0 : t.diameter / 2.0, t.cuttingLength);
        return;
    }
    AddPoint(o, 0, 0);
    if (type == TOOL_VERTICAL) AddPoint(o, g.bottomEdgeRadius - t.verticalInset, 0);
    if (type == TOOL_RADIUS) {
        AddRadiusMill(o);
        return;
    }
    if (type != TOOL_OVAL && g.bottomEdgeRadius > 0) {
        if (g.tipFlatRadius > 0) {
            AddPoint(o, g.tipFlatRadius, 0);
            AddPoint(o, g.bottomEdgeRadius, g.bottomConeTangent * g.bottomEdgeRadius + g.bottomLineOffset);
        } else if (type == TOOL_T_SLOT) {
            AddPoint(o, g.bottomEdgeRadius, 0);
        } else {
            AddPoint(o, g.bottomEdgeRadius, g.bottomConeTangent * g.bottomEdgeRadius);
        }
    }
    if (type == TOOL_OVAL) AddOvalArc(o);
    if (type == TOOL_T_SLOT && t.cornerRadius > 0) AddSlotLowerArc(o);
    if (type != TOOL_OVAL && type != TOOL_T_SLOT && g.bottomEdgeRadius < g.sideStartRadius) AddCornerArc(o);
    if (type == TOOL_T_SLOT) AddSlotTop(o);
    if (g.sideStartRadius < g.maxCuttingRadius)
        AddPoint(o, g.maxCuttingRadius, g.sideCotangent * g.maxCuttingRadius + g.sideLineOffset);
    if (type == TOOL_T_SLOT) return;
    const double h = t.cuttingLength;
    if (LastHeight(*o) < h) {
        double top = h;
        const double L2 = g_CurrentToolLengthRecord.lengths[1];
        if (IsTwoOrThreeSections(g_CurrentToolLengthRecord.kind) && L2 < top) top = L2;
        AddPoint(o, g.maxCuttingRadius, top);
    }
}

void AddShankPart(Outline* o) {
    const ToolLengthRecord& l = g_CurrentToolLengthRecord;
    const ToolCutGeometry& g = g_ToolCut;
    const double L1 = l.lengths[0], L2 = l.lengths[1], L3 = l.lengths[2];
    const double neck = g.hasShank ? g.shankRadius : 0.0;
    const double shankStart = g.hasShank ? g.shankRadius : g.cuttingTopRadius;
    const double neckTop = IsTwoOrThreeSections(l.kind) ? L2 : LastHeight(*o);
    if (neck > 0 && neck != shankStart) {
        const double last = LastHeight(*o);
        AddPoint(o, neck, last);
        if (neckTop > last) AddPoint(o, neck, neckTop);
    } else if (neck > 0 && LastRadius(*o) != neck) {
        const double last = LastHeight(*o);
        AddPoint(o, neck, last);
        if (neckTop > last) AddPoint(o, neck, neckTop);
    }
    const double halfD = g.neckRadius;
    if (l.kind > LENGTH_ONE) {
        g_ToolProfileLength2Index = o->count;
        AddPoint(o, shankStart, L2);
        if (l.kind == LENGTH_THREE || l.kind == LENGTH_THREE_A) {
            g_ToolProfileTaperStart = o->count;
            AddPoint(o, g.neckConeTopRadius, L2 + L3);
            AddPoint(o, halfD, (halfD - g.neckConeTopRadius) * g.neckCotangent2 + L2 + L3);
            if (l.kind == LENGTH_THREE_A && g_CurrentTool.cuttingLength > L2 + g_ToolTaperLength)
                AddPoint(o, halfD, g_CurrentTool.cuttingLength);
        } else {
            AddPoint(o, halfD, L2 + L3);
            if (l.kind == LENGTH_TWO_A && g_CurrentTool.cuttingLength > L2 + L3)
                AddPoint(o, halfD, g_CurrentTool.cuttingLength);
        }
        if (l.kind == LENGTH_TWO_A || l.kind == LENGTH_THREE_A) g_ToolProfileCutterEnd = o->count;
    }
    if (g_CurrentArbor.used) return;
    const double radius = LastRadius(*o);
    // The shank reaches six radii without a given length, else the given length; a cutting part
    // that already reaches higher ends the shank at its own top, never below it.
    const double top = std::max(l.kind == LENGTH_NONE ? 6.0 * radius : L1, LastHeight(*o));
    if (l.kind != LENGTH_NONE || g_CurrentTool.type != TOOL_STL) AddPoint(o, radius, top);
    g_ToolProfileShankEnd = o->count;
}

void AddHolderPart(Outline* o) {
    const ArborRecord& a = g_CurrentArbor;
    AddPoint(o, LastRadius(*o), g_HolderStepHeights[0]);
    g_ToolProfileShankEnd = o->count;
    const int steps = a.stepCount < 0 ? 0 : (a.stepCount > ARBOR_MAX_STEPS ? ARBOR_MAX_STEPS : a.stepCount);
    if (a.kind == ARBOR_KIND_SECTIONS) {
        AddPoint(o, g_HolderStepRadii[1], g_HolderStepHeights[0]);
        for (int i = 0; i < steps; i++) {
            if (a.sectionCodes[i] == 0) AddPoint(o, g_HolderStepRadii[i + 1], g_HolderStepHeights[i + 1]);
            AddPoint(o, g_HolderStepRadii[i + 2], g_HolderStepHeights[i + 1]);
        }
        return;
    }
    for (int i = 0; i < steps; i++) {
        if (!(g_HolderStepRadii[i + 1] > 0)) continue;
        if (a.kind == ARBOR_KIND_STEPS) AddPoint(o, g_HolderStepRadii[i + 1], g_HolderStepHeights[i]);
        AddPoint(o, g_HolderStepRadii[i + 1], g_HolderStepHeights[i + 1]);
    }
}

// Cosine and sine of the 36 surface steps, exact at the quarter turns.
struct StepTable {
    double cosine[TOOL_SURFACE_STEPS];
    double sine[TOOL_SURFACE_STEPS];
    StepTable() {
        static const double quarter[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
        for (int i = 0; i < TOOL_SURFACE_STEPS; i++) {
            if (i % 9 == 0) {
                cosine[i] = quarter[i / 9][0];
                sine[i] = quarter[i / 9][1];
            } else {
                cosine[i] = std::cos(10.0 * i * DEG);
                sine[i] = std::sin(10.0 * i * DEG);
            }
        }
    }
};

// Turns (a, b) by the angle whose cosine and sine are given.
void RotatePair(double* a, double* b, double c, double s) {
    const double na = c * *a - s * *b;
    const double nb = s * *a + c * *b;
    *a = na;
    *b = nb;
}

void RevolveProfile() {
    static const StepTable steps;
    const double* angles = g_AngleHeadAngles;
    const int turned = g_ToolDirectionTilted && (angles[0] != 0 || angles[1] != 0);
    const double first = angles[0] != 0 ? angles[0] : angles[1];
    const double c1 = std::cos(first * DEG), s1 = std::sin(first * DEG);
    const double c3 = std::cos(angles[2] * DEG), s3 = std::sin(angles[2] * DEG);
    for (int j = 0; j < g_ToolProfilePointCount; j++) {
        const double radius = g_ToolProfileRadius[j], height = g_ToolProfileHeight[j];
        double* plain = g_ToolSolidBuffers[0] + j * TOOL_SURFACE_STEPS * 3;
        double* head = g_ToolSolidBuffers[1] + j * TOOL_SURFACE_STEPS * 3;
        for (int i = 0; i < TOOL_SURFACE_STEPS; i++) {
            double p[3] = {steps.cosine[i] * radius, steps.sine[i] * radius, height};
            if (turned) {
                if (angles[0] != 0) RotatePair(&p[1], &p[2], c1, s1);
                else RotatePair(&p[2], &p[0], c1, s1);
                if (angles[2] != 0) RotatePair(&p[0], &p[1], c3, s3);
                std::memcpy(head + i * 3, p, sizeof(p));
            }
            std::memcpy(plain + i * 3, p, sizeof(p));
        }
    }
}

void StartBox(ToolPartBox* box) {
    for (int k = 0; k < 3; k++) {
        box->minimum[k] = 1e9;
        box->maximum[k] = -1e9;
    }
}

void AddPointsToBox(ToolPartBox* box, int first, int end) {
    for (int j = first; j < end; j++) {
        for (int i = 0; i < TOOL_SURFACE_STEPS; i++) {
            const double* p = g_ToolSolidBuffers[0] + (j * TOOL_SURFACE_STEPS + i) * 3;
            for (int k = 0; k < 3; k++) {
                if (p[k] < box->minimum[k]) box->minimum[k] = p[k];
                if (p[k] > box->maximum[k]) box->maximum[k] = p[k];
            }
        }
    }
}

void BuildBoxes() {
    StartBox(&g_ToolBox);
    StartBox(&g_ToolShankBox);
    StartBox(&g_ToolHolderBox);
    const int kind = g_CurrentToolLengthRecord.kind;
    const int shankEnd = g_ToolProfileShankEnd < g_ToolProfilePointCount ? g_ToolProfileShankEnd
                                                                          : g_ToolProfilePointCount;
    const int runCase = g_RunMode > 0 && g_OutputLengthCheckAll && g_ArborCheck == 1 &&
                        (kind == LENGTH_TWO || kind == LENGTH_THREE);
    if (runCase) {
        const int split = g_ToolProfileLength2Index < shankEnd ? g_ToolProfileLength2Index : shankEnd - 1;
        AddPointsToBox(&g_ToolBox, 0, split + 1);
        AddPointsToBox(&g_ToolShankBox, split, shankEnd);
        MakeBoxCorners(g_ToolShankBox.minimum, g_ToolShankBox.maximum, g_ToolShankBox.corners);
    } else {
        AddPointsToBox(&g_ToolBox, 0, shankEnd);
    }
    MakeBoxCorners(g_ToolBox.minimum, g_ToolBox.maximum, g_ToolBox.corners);
    AddPointsToBox(&g_ToolHolderBox, shankEnd, g_ToolProfilePointCount);
    if (g_ToolProfilePointCount > shankEnd)
        MakeBoxCorners(g_ToolHolderBox.minimum, g_ToolHolderBox.maximum, g_ToolHolderBox.corners);
}

// Empties the profile of a refused tool.
int RefuseProfile() {
    g_ToolProfilePointCount = g_ToolProfileCutterEnd = g_ToolProfileShankEnd = 0;
    g_ToolProfileLength2Index = g_ToolProfileTaperStart = 0;
    g_ToolProfileTop = 0;
    g_ToolLength = g_ToolHolderOffset;
    g_HolderHeightAboveTool = 0;
    return -2;
}

// Points of one DXF segment.
void AddDxfSegment(const DxfProfileSegment& s, int* end, int* full) {
    double sweep = 0;
    if (s.kind <= 0) return;
    if (s.kind >= 2) {
        sweep = s.endAngle - s.startAngle;
        if (s.kind == 2 && s.endAngle > s.startAngle) sweep -= 360.0;
        if (s.kind == 3 && sweep < 0) sweep += 360.0;
        for (int k = 1; k <= 9; k++) {
            if (*end >= TOOL_PROFILE_MAX_POINTS) { *full = 1; return; }
            const double a = (s.startAngle + k * sweep / 10.0) * DEG;
            g_ToolProfileRadius[*end] = s.centreX + s.radius * std::cos(a);
            g_ToolProfileHeight[*end] = s.centreY + s.radius * std::sin(a);
            (*end)++;
        }
    }
    if (*end >= TOOL_PROFILE_MAX_POINTS) { *full = 1; return; }
    g_ToolProfileRadius[*end] = s.endX;
    g_ToolProfileHeight[*end] = s.endY;
    (*end)++;
}

void FinishProfile() {
    const int last = g_ToolProfilePointCount - 1;
    g_ToolProfileTop = last >= 0 ? (double)(float)g_ToolProfileHeight[last] : 0.0;
    g_ToolLength = g_ToolHolderOffset + g_ToolProfileTop;
    g_HolderHeightAboveTool = g_CurrentArbor.used ? g_ToolLength - g_CurrentToolLengthRecord.lengths[0] : 0.0;
    g_RebuildHeadPartLists = g_RebuildHead1PartList = g_RebuildHead2PartList = 1;
}

}  // namespace

int AllocToolProfileBuffers() {
    if (!g_ToolProfileRadius) g_ToolProfileRadius = (double*)std::calloc(TOOL_PROFILE_MAX_POINTS, sizeof(double));
    if (!g_ToolProfileHeight) g_ToolProfileHeight = (double*)std::calloc(TOOL_PROFILE_MAX_POINTS, sizeof(double));
    for (double*& buffer : g_ToolSolidBuffers) {
        if (!buffer) buffer = (double*)std::calloc(TOOL_SURFACE_DOUBLES, sizeof(double));
    }
    return g_ToolProfileRadius && g_ToolProfileHeight && g_ToolSolidBuffers[0] && g_ToolSolidBuffers[1] &&
           g_ToolSolidBuffers[2];
}

void FreeToolProfileBuffers() {
    std::free(g_ToolProfileRadius);
    std::free(g_ToolProfileHeight);
    g_ToolProfileRadius = g_ToolProfileHeight = nullptr;
    for (double*& buffer : g_ToolSolidBuffers) {
        std::free(buffer);
        buffer = nullptr;
    }
    g_ToolProfilePointCount = 0;
}

int BuildDxfToolOutline() {
    if (!g_CurrentTool.defined) {
        g_ToolLength = 0;
        return 0;
    }
    const ToolRecord& t = g_CurrentTool;
    g_ToolProfileRadius[0] = 0;
    g_ToolProfileHeight[0] = 0;
    int ends[3] = {1, 1, 1};
    int section = 0, shankOpened = 0, full = 0;
    const int used = t.dxfSegments ? (t.dxfSegmentsUsed < t.dxfSegmentCount ? t.dxfSegmentsUsed
                                                                            : t.dxfSegmentCount)
                                   : 0;
    for (int i = 0; i < used && !full; i++) {
        const DxfProfileSegment& s = t.dxfSegments[i];
        if (s.mark == DXF_CLASS_SHANK && section == 0) {
            section = 1;
            shankOpened = 1;
            ends[1] = ends[0];
        } else if (s.mark == DXF_CLASS_HOLDER && shankOpened && section == 1) {
            section = 2;
            ends[2] = ends[1];
        }
        AddDxfSegment(s, &ends[section], &full);
    }
    if (full) return -2;
    g_ToolProfileCutterEnd = ends[0];
    g_ToolProfileShankEnd = ends[1] > ends[0] ? ends[1] : ends[0];
    g_ToolProfilePointCount = ends[2] > ends[0] ? ends[2] : ends[0];
    return 1;
}

int BuildToolProfile() {
    if (!g_ToolProfileRadius || !g_ToolProfileHeight || !g_ToolSolidBuffers[0]) return -1;
    const ToolRecord& t = g_CurrentTool;
    g_ToolProfileLength2Index = 0;
    g_ToolProfileTaperStart = 0;
    Outline o = {0, 0};
    int dxfOnly = 0;
    if (t.type == TOOL_DXF) {
        const int result = BuildDxfToolOutline();
        if (result == -2) return RefuseProfile();
        if (result == 1) {
            if (g_CurrentToolLengthRecord.kind < 1) dxfOnly = 1;
            o.count = g_ToolProfileCutterEnd;
        }
    }
    if (!t.defined) {
        g_ToolLength = 0;
        return 0;
    }
    if (!dxfOnly) {
        if (t.type != TOOL_DXF) {
            AddCuttingPart(&o);
            g_ToolProfileCutterEnd = o.count;
        }
        AddShankPart(&o);
        if (g_CurrentArbor.used) AddHolderPart(&o);
        if (o.full) return RefuseProfile();
        g_ToolProfilePointCount = o.count;
    }
    RevolveProfile();
    BuildBoxes();
    FinishProfile();
    return 1;
}
