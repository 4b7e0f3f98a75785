// Reference test of the cutting kernel: every tool type, at several tool axes and positions, cuts a
// box work (once, or twice at neighbouring tips); every ray of the three families is then sampled
// along its length and each sample is classified independently as material or not: the box minus
// the tool solids (body, neck sections, holder steps), point by point, never by ray crossings.
// Tool positions only (no swept moves); the STL body and the DXF outline tools are skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/tools/tool_table.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "tests/scoped_temp_folder.h"
#include "cut_reference_geometry.h"
#include "tests/simulation/cut_test_support.h"
#include "work_model/dexel_intervals.h"
#include "work_model/direction_blocks.h"
#include "work_model/work_model.h"

namespace {

// ---------------------------------------------------------------------------------------------------
// Cases.

struct ToolCase {
    const char* name;       // test name part
    const char* toolTable;  // tool table text defining tool 1
    const char* skipReason; // non-null: the type cannot be cut through the public interface yet
    int arborCheck;         // ARBOR CHECK: 2 (CUT) also cuts the neck sections and holder steps
};

const ToolCase kToolCases[] = {
    {"Ball", "MAGAZINE 1 BALL 8, 30\n", nullptr, 0},
    {"BallNarrowShank", "MAGAZINE 1 BALL 6, 8\nLENGTH 40;4\n", nullptr, 0},
    // A wide shank starting below the sphere's centre: rays beside the sphere meet the shank.
    {"BallWideShankBelowCentre", "MAGAZINE 1 BALL 6, 2\nLENGTH 40;8\n", nullptr, 0},
    {"Flat", "MAGAZINE 1 FLAT 8, 30\n", nullptr, 0},
    {"FlatNarrowShank", "MAGAZINE 1 FLAT 8, 3\nLENGTH 40;6\n", nullptr, 0},
    {"Bull", "MAGAZINE 1 BULL 8, 2, 30\n", nullptr, 0},
    {"BullWideShank", "MAGAZINE 1 BULL 6, 1, 2\nLENGTH 40;8\n", nullptr, 0},
    {"BullHollowCorner", "MAGAZINE 1 BULL 8, -1.5, 30\n", nullptr, 0},
    {"Drill", "MAGAZINE 1 DRILL 6, 31, 30\n", nullptr, 0},
    {"CutterCornerAngles", "MAGAZINE 1 CUTTER 8, 1, 0, 0, 10, 5, 12\n", nullptr, 0},
    {"CutterTipFlat", "MAGAZINE 1 CUTTER 8, 0, 0, 0, 20;2, 0, 20\n", nullptr, 0},
    {"TaperBall", "MAGAZINE 1 TAPERBALL 2, 5, 15\n", nullptr, 0},
    {"Vertical", "MAGAZINE 1 VERTICAL 8, 1.5, 30\n", nullptr, 0},
    {"Oval", "MAGAZINE 1 OVAL 8, 3, 4, 30\n", nullptr, 0},
    {"OvalCorner", "MAGAZINE 1 OVALR 8, 2, 6, 1, 30\n", nullptr, 0},
    {"TSlotEqualCorners", "MAGAZINE 1 T-THROW 9, 3, 0.5, 0.5, 4\n", nullptr, 0},
    {"TSlotUnequalCorners", "MAGAZINE 1 T-THROW 9, 3, 0.8, 0.4, 4\n", nullptr, 0},
    {"TSlotTapered", "MAGAZINE 1 T-THROW 8;9, 3, 0.5, 0.5, 4\n", nullptr, 0},
    {"Sphere", "MAGAZINE 1 SPHERE 6, 3\n", nullptr, 0},
    {"RadiusMill", "MAGAZINE 1 RADIUS 8, 2, 1\n", nullptr, 0},
    {"RadiusMillCore", "MAGAZINE 1 RADIUS 8, 1.5, 4\n", nullptr, 0},
    {"Scribing", "MAGAZINE 1 KEGAKI 6, 20\n", nullptr, 0},
    // Neck sections and holder steps cut with ARBOR CHECK CUT: a neck narrower than the cutter
    // (shrinking cone), cylindrical holder steps, the upper one narrower.
    {"FlatNeckArbor", "MAGAZINE 1 FLAT 4, 1\nLENGTH2 3, 1, 1, 3\nARBOR 6, 1, 4, 1.5\n", nullptr, 2},
    // A three-section neck wider than the cutter (growing cones) and ARBOR2 steps: one of zero
    // height, one of constant radius and one narrowing upwards.
    {"BallNeckConeArbor2", "MAGAZINE 1 BALL 4, 3\nLENGTH3 3.5, 1.5, 0.5, 20, 30, 6\nARBOR2 6, 0, 6, 0.8, 4, 1.2\n",
     nullptr, 2},
    // ARBOR3: a tapered step widening upwards, then a stepped one.
    {"BullArbor3", "MAGAZINE 1 BULL 4, 1, 3\nLENGTH2 4, 2.5, 0.5, 3\nARBOR3 3, 1, 1, 5, 1.5, 0, 4\n", nullptr, 2},
    // LENGTH2A: the neck (wider than the cutter) is cut whatever ARBOR CHECK says; the holder not.
    {"FlatNeck2A", "MAGAZINE 1 FLAT 4, 1\nLENGTH2A 3, 1, 1, 5\nARBOR 8, 2\n", nullptr, 0},
    {"DxfOutline", "", "an IMPORT-TOOL needs a DXF outline file; not built by this test", 0},
    {"StlBody", "", "the STL-body tool goes to the mesh-tool cut, which comes with a later issue", 0},
};

struct AxisCase {
    const char* name;
    double axis[3];  // normalised in the test
};

const double kDeg = M_PI / 180;
const AxisCase kAxisCases[] = {
    {"AlongZ", {0, 0, 1}},
    {"Reversed", {0, 0, -1}},
    // Components below 2.5e-4 are dropped: the same cut as AlongZ.
    {"TinyTilt", {1e-4, -2e-4, 1}},
    // 3 degrees: the X- and Y-rays meet the axis with a ray-axis component below 0.1.
    {"SlightTilt", {std::sin(3 * kDeg) * std::cos(30 * kDeg), std::sin(3 * kDeg) * std::sin(30 * kDeg),
                    std::cos(3 * kDeg)}},
    // Every ray-axis component above 0.1.
    {"StrongTilt", {0.5, -0.4, 0.768}},
    // Tilted in the XZ plane: the Y component is exactly 0.
    {"TiltXZ", {std::sin(30 * kDeg), 0, std::cos(30 * kDeg)}},
    {"AlongX", {1, 0, 0}},
    {"SteepDown", {-0.3, 0.2, -0.93}},
};

struct PositionCase {
    const char* name;
    int cutCount;     // 1 or 2 cuts with the same axis
    double tips[2][3];
};

// The box spans [0, 10] x [0, 10] x [0, 8]. The second cut of TwoCuts meets the ends the first
// one left, where the short-cut rule of the interval subtraction comes into play.
const PositionCase kPositionCases[] = {
    {"Centre", 1, {{5.13, 4.87, 4.21}}},
    {"Corner", 1, {{0.9, 9.3, 6.6}}},
    {"TwoCuts", 2, {{5.13, 4.87, 4.21}, {5.44, 4.7, 4.44}}},
};

const double kPitch = 0.5;
const int kNodes[3] = {21, 21, 17};
const double kSampleStep = 0.1007;
const double kMargin = 1e-5;

// ---------------------------------------------------------------------------------------------------
// Set-up.

std::string TestFolder() { return ProgramTempFolder().path; }

int MakeToolCurrent(const char* table)
{
    // Tool 1 only: small tables, allocated once.
    g_MaxMagazine = 2;
    if (g_ToolArrayCapacity != g_MaxMagazine + 1) AllocateToolArrays();
    g_ToolBasePoint = 0;
    g_WorkPitch = kPitch;
    g_ArborClearanceMode = 0;
    g_ArborClearance = 0;
    g_ToolClearanceMode = 0;
    g_HeightCheckType = 0;
    g_CmdToolNumber = 0;
    g_ToolHolderOffset = 0;
    g_AutoLengthOffset = 0;
    g_AutomaticToolOffset = 0;
    const std::string path = TestFolder() + "/atc.ttl";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return -1;
    std::fputs(table, f);
    std::fclose(f);
    std::snprintf(g_ToolTableFilePath, sizeof(g_ToolTableFilePath), "%s", path.c_str());
    if (ReadToolTableFile() != 1) return -2;
    return SelectCurrentTool(1, 0);
}

// A box work filling the whole grid: every ray holds one interval from its first to its last node.
// The record is allocated once and refilled for every case.
int MakeBoxWork(WorkModel* work)
{
    const bool reuse = work->nodeCountX == kNodes[0] && work->nodeCountY == kNodes[1] &&
                       work->nodeCountZ == kNodes[2] && work->pitch == kPitch && work->familyZ.counts != nullptr;
    if (!reuse) {
        if (work->nodeCountX != 0) DestroyWorkModel(work);
        *work = WorkModel{};
        for (int k = 0; k < 9; ++k) work->rotation[k] = (k % 4 == 0) ? 1 : 0;
        for (int k = 0; k < 9; ++k) work->inverseRotation[k] = work->rotation[k];
        work->nodeCountX = kNodes[0];
        work->nodeCountY = kNodes[1];
        work->nodeCountZ = kNodes[2];
        work->pitch = kPitch;
        work->undoLevels = 1;
        if (SetUpWorkGrid(work) != 1) return 0;
        if (AllocateWorkModelArrays(work) != 1) return 0;
        UpdateWorkHasPlacement(work);
    }
    const uint8_t attributes[2] = {0, 0};
    const int32_t values[2] = {0, 0};
    // family 2: Z-rays (x, y); 1: Y-rays (z, x); 0: X-rays (y, z).
    const int rayAxisOf[3] = {0, 1, 2};
    const int cross1Of[3] = {1, 2, 0}, cross2Of[3] = {2, 0, 1};
    for (int family = 0; family < 3; ++family) {
        const int a = rayAxisOf[family];
        const double ends[2] = {0, (kNodes[a] - 1) * kPitch};
        for (int j = 0; j < kNodes[cross2Of[family]]; ++j)
            for (int i = 0; i < kNodes[cross1Of[family]]; ++i)
                if (StoreDexelOfFamily(work, family, i, j, ends, attributes, values, 2) != 1) return 0;
    }
    for (int k = 0; k < 3; ++k) {
        work->minCorner[k] = 0;
        work->maxCorner[k] = (kNodes[k] - 1) * kPitch;
    }
    return 1;
}

void SetNeutralChecks(int arborCheck)
{
    g_ArborCheck = arborCheck;
    g_HeightCheck = 0;
    g_ChipWidthCheck = 0;
    g_OutputLengthCheckAll = 0;
    g_MotionKind = 1;
    g_CycleRapidInHole = 0;
    g_MachineStepCount = 0;
}

// The axis as the kernel takes it: components that are not 0 but below 2.5e-4 in size dropped,
// then unit length.
void NormaliseTestAxis(const double in[3], double out[3])
{
    double length = 0;
    for (int k = 0; k < 3; ++k) length += in[k] * in[k];
    length = std::sqrt(length);
    for (int k = 0; k < 3; ++k) out[k] = in[k] / length;
    length = 0;
    for (int k = 0; k < 3; ++k) {
        if (std::fabs(out[k]) < 2.5e-4) out[k] = 0;
        length += out[k] * out[k];
    }
    length = std::sqrt(length);
    for (int k = 0; k < 3; ++k) out[k] /= length;
}

// ---------------------------------------------------------------------------------------------------
// The reference body of the current tool: the solids that the sweep of the tool body is made of,
// by tool type. Solids whose ray crossings the sweep joins by hull enter as filled solids (a torus
// with its hole filled); a torus whose crossing pairs are taken one by one stays a ring.

const double kOpen = INFINITY;

RefSolid Cylinder(double base, double length, double radius)
{
    return MakeRefSolid(REF_CYLINDER, base, length, radius, 0);
}

// The cutting part above the tip shape, from height H with radius R.
void AddColumn(RefToolBody* body, double H, double R)
{
    const ToolCutGeometry& g = g_ToolCut;
    const double h = g_CurrentTool.cuttingLength;
    const double L2 = g_CurrentToolLengthRecord.lengths[1];
    if (g.cuttingTopRadius > g.neckRadius) {
        if (H < L2) AddRefPiece(body, Cylinder(H, L2 - H, R));
    } else if (g.cuttingTopRadius != g.shankRadius) {
        if (H < h) AddRefPiece(body, Cylinder(H, h - H, R));
    } else {
        AddRefPiece(body, Cylinder(H, kOpen, R));
    }
}

void AddShank(RefToolBody* body)
{
    if (g_ToolCut.hasShank) AddRefPiece(body, Cylinder(g_CurrentTool.cuttingLength, kOpen, g_ToolCut.shankRadius));
}

void AddTSlotBody(RefToolBody* body)
{
    const ToolCutGeometry& g = g_ToolCut;
    const ToolRecord& t = g_CurrentTool;
    const double v = g.slotBoundingDiameter / 2, T1 = t.headLength, c2 = t.secondRadius;
    const double cr = g.cornerRadius, d = t.diameter, D2 = t.topDiameter;
    const double h = t.cuttingLength, L2 = g_CurrentToolLengthRecord.lengths[1];
    if (g.slotSideLength == 0 && g.bottomEdgeRadius == 0 && g.slotTopCornerRadius == 0) {
        AddRefPiece(body, MakeRefSolid(REF_SPHERE, g.cornerCentreHeight, 0, v, 0));
    } else {
        if (cr > 0) {
            if (cr != v) {
                const double len = (g.slotSideLength == 0 && g.bottomEdgeRadius == g.slotTopCornerRadius) ? T1 : cr;
                AddRefPiece(body, Cylinder(0, len, g.bottomEdgeRadius));
                AddRefPiece(body, MakeRefSolid(REF_FILLED_TORUS, 0, 0, g.bottomEdgeRadius, cr));
            } else {
                AddRefPiece(body, MakeRefSolid(REF_SPHERE, g.cornerCentreHeight, 0, v, 0));
            }
        }
        if (g.slotSideLength > 0 && (cr != 0 || c2 != 0 || (D2 != 0 && D2 != d)))
            AddRefPiece(body, MakeRefSolid(REF_FRUSTUM, g.slotSideStartHeight, g.slotSideLength,
                                           g.slotSideStartRadius, g.slotSideEndRadius));
        else if (g.slotSideLength > 0)
            AddRefPiece(body, Cylinder(g.cornerCentreHeight, g.slotSideLength, g.sideStartRadius));
        if (c2 > 0) {
            if (g.bottomEdgeRadius != g.slotTopCornerRadius)
                AddRefPiece(body, Cylinder(T1 - c2, c2, g.slotTopCornerRadius));
            AddRefPiece(body, MakeRefSolid(REF_FILLED_TORUS, g.slotTopCornerHeight - c2, 0, g.slotTopCornerRadius, c2));
        }
    }
    // The neck above the head.
    if (g.cuttingTopRadius > g.neckRadius) {
        if (L2 > T1 - c2) AddRefPiece(body, Cylinder(T1 - c2, L2 - (T1 - c2), g.cuttingTopRadius));
    } else if (g.cuttingTopRadius != g.shankRadius) {
        if (g.cornerCentreHeight < h)
            AddRefPiece(body, Cylinder(g.cornerCentreHeight, h - g.cornerCentreHeight, g.cuttingTopRadius));
    } else {
        AddRefPiece(body, Cylinder(g.cornerCentreHeight, kOpen, g.cuttingTopRadius));
    }
}

void AddRadiusMillBody(RefToolBody* body)
{
    const ToolCutGeometry& g = g_ToolCut;
    const ToolRecord& t = g_CurrentTool;
    const double e = t.cornerCentreRadius, f = t.cornerCentreHeight, r = t.cornerRadius;
    // The pilot above the corner base.
    AddRefPiece(body, Cylinder(f, kOpen, e));
    // The column from the corner centre, hollowed by the core below f - r.
    RefToolBody column;
    AddColumn(&column, g.cornerCentreHeight, g.maxCuttingRadius);
    for (const RefPiece& piece : column.pieces) {
        if (r < f) AddRefPieceWithHole(body, piece.solid, Cylinder(0, f - r, e));
        else AddRefPiece(body, piece.solid);
    }
    AddShank(body);
    AddRefPiece(body, MakeRefSolid(REF_RING_TORUS, 0, 0, g.cornerCentreOffset, g.cornerRadius));
}

void AddGeneralBody(RefToolBody* body)
{
    const ToolCutGeometry& g = g_ToolCut;
    const ToolRecord& t = g_CurrentTool;
    const double v = g.maxCuttingRadius;
    if (t.cornerRadius < 0) {
        // Hollow corner: the column minus the groove torus around the side start point.
        RefToolBody column;
        AddColumn(&column, g.cornerCentreHeight - g.cornerRadius, v);
        const RefSolid groove = MakeRefSolid(REF_RING_TORUS, g.cornerCentreHeight - 2 * g.cornerRadius, 0,
                                             g.sideStartRadius, g.cornerRadius);
        for (const RefPiece& piece : column.pieces) AddRefPieceWithHole(body, piece.solid, groove);
        if (g.cornerCentreHeight > g.cornerRadius)
            AddRefPiece(body, Cylinder(0, t.cuttingLength, g.bottomEdgeRadius));
        AddShank(body);
        return;
    }
    // Bottom.
    if (t.type == TOOL_OVAL)
        AddRefPiece(body, MakeRefSolid(REF_TIP_ELLIPSOID, 0, g.ovalCapHeight, g.ovalRadialSemiAxis, g.ovalAxialSemiAxis));
    else if (g.bottomConeHeight > 0)
        AddRefPiece(body, MakeRefSolid(REF_FRUSTUM, 0, g.bottomConeHeight, g.tipFlatRadius,
                                       g.tipFlatRadius + g.bottomConeHeight / g.bottomConeTangent));
    else if (g.cornerCentreOffset > 0)
        AddRefPiece(body, Cylinder(0, g.cornerCentreHeight, g.bottomEdgeRadius));
    else if (t.type == TOOL_TAPER_BALL)
        AddRefPiece(body, MakeRefSolid(REF_SPHERE, g.cornerCentreHeight, 0, g.cornerRadius, 0));
    // Corner.
    if (t.type != TOOL_TAPER_BALL && g.sideStartRadius > g.cornerCentreOffset)
        AddRefPiece(body, MakeRefSolid(REF_FILLED_TORUS, g.cornerCentreHeight - g.cornerRadius, 0,
                                       g.bottomEdgeRadius, g.cornerRadius));
    // Tapered side.
    if (g.sideStartRadius < g.maxCuttingRadius) {
        const double length = g.sideEndHeight - g.sideStartHeight;
        AddRefPiece(body, MakeRefSolid(REF_FRUSTUM, g.sideStartHeight, length, g.sideStartRadius,
                                       g.sideStartRadius + length / g.sideCotangent));
    }
    AddColumn(body, g.sideEndHeight, v);
    AddShank(body);
}

// Neck sections of a two- or three-section length definition, cut with ARBOR CHECK above 0 (and
// always for the A kinds), and the holder steps, cut with ARBOR CHECK above 0.
void AddSectionsAndHolder(RefToolBody* body)
{
    const ToolCutGeometry& g = g_ToolCut;
    const ToolLengthRecord& lengths = g_CurrentToolLengthRecord;
    const int kind = lengths.kind;
    const double L1 = lengths.lengths[0], L2 = lengths.lengths[1], L3 = lengths.lengths[2];
    if ((g_ArborCheck > 0 && kind > 1) || kind > 10) {
        const bool threeSections = kind == LENGTH_THREE || kind == LENGTH_THREE_A;
        const double top0 = threeSections ? g.neckConeTopRadius : g.neckRadius;
        double end = L2;
        if (L3 > 0) {
            if (top0 == g.cuttingTopRadius) AddRefPiece(body, Cylinder(L2, kOpen, top0));
            else AddRefPiece(body, MakeRefSolid(REF_FRUSTUM, L2, L3, g.cuttingTopRadius, top0));
            end = L2 + L3;
        }
        if (threeSections) {
            const double length = (g.neckRadius - g.neckConeTopRadius) * g.neckCotangent2;
            if (length > 0) {
                AddRefPiece(body, MakeRefSolid(REF_FRUSTUM, L2 + L3, length, g.neckConeTopRadius, g.neckRadius));
                end = L2 + L3 + length;
            }
        }
        if (L1 - end > 0) AddRefPiece(body, Cylinder(end, L1 - end, g.neckRadius));
    }
    const ArborRecord& arbor = g_CurrentArbor;
    if (g_ArborCheck <= 0 || !arbor.used) return;
    double offset = L1;
    for (int i = 0; i < arbor.stepCount; ++i) {
        const double length = arbor.lengths[i], radius = arbor.diameters[i] / 2.0;
        if (length > 0) {
            if (arbor.kind == 0) {
                AddRefPiece(body, Cylinder(offset, length, radius));
            } else if (arbor.kind == 1) {
                const double r0 = i == 0 ? g.neckRadius : arbor.diameters[i - 1] / 2.0;
                AddRefPiece(body, MakeRefSolid(REF_FRUSTUM, offset, length, r0, radius));
            } else if (arbor.sectionCodes[i] != 0) {
                AddRefPiece(body, MakeRefSolid(REF_FRUSTUM, offset, length, radius, arbor.diameters[i + 1] / 2.0));
            } else {
                AddRefPiece(body, Cylinder(offset, length, radius));
            }
        }
        offset += length;
    }
}

RefToolBody BuildReferenceBody(const double tip[3], const double axis[3])
{
    RefToolBody body;
    for (int k = 0; k < 3; ++k) {
        body.tip[k] = tip[k];
        body.axis[k] = axis[k];
    }
    const ToolCutGeometry& g = g_ToolCut;
    switch (g_CurrentTool.type) {
    case TOOL_BALL:
        AddRefPiece(&body, MakeRefSolid(REF_SPHERE, g.cornerCentreHeight, 0, g.maxCuttingRadius, 0));
        AddColumn(&body, g.cornerCentreHeight, g.maxCuttingRadius);
        AddShank(&body);
        break;
    case TOOL_FLAT:
    case TOOL_VERTICAL:
        AddColumn(&body, 0, g_CurrentTool.diameter / 2.0);
        AddShank(&body);
        break;
    case TOOL_T_SLOT:
        AddTSlotBody(&body);
        break;
    case TOOL_RADIUS:
        AddRadiusMillBody(&body);
        break;
    default:
        AddGeneralBody(&body);
        break;
    }
    AddSectionsAndHolder(&body);
    return body;
}

// ---------------------------------------------------------------------------------------------------
// Comparison.

struct Mismatch {
    int family;         // 0 X-rays, 1 Y-rays, 2 Z-rays
    int i1, i2;         // ray node indices along the cross axes
    double point[3];    // the sample point
    double height;      // its height above the tip and distance from the axis
    double radial;
    int expected;       // 1 material, 0 none
    std::string kernelEnds;  // the ray's ends after the cut
};

const char* kFamilyNames[3] = {"X-rays", "Y-rays", "Z-rays"};
const int kRayAxis[3] = {0, 1, 2};
const int kCross1[3] = {1, 2, 0};
const int kCross2[3] = {2, 0, 1};

bool InsideKernelIntervals(const double* ends, int count, double t)
{
    for (int k = 0; k + 1 < count; k += 2)
        if (t > ends[k] && t < ends[k + 1]) return true;
    return false;
}

int ClassifyPointInBodies(const std::vector<RefToolBody>& bodies, const double p[3])
{
    int result = REF_OUTSIDE;
    for (const RefToolBody& body : bodies) {
        result = RefUniteClasses(result, ClassifyPointInToolBody(body, p, kMargin));
        if (result == REF_INSIDE) break;
    }
    return result;
}

// The short-cut rule may trim a material end up to one pitch beyond a cut shorter than the pitch:
// excuse removed material at t when one solid of a cut (the body's parts, a neck section, a holder
// step, each cut by itself or joined with others) crosses this ray in a stretch shorter than the
// pitch that lies within one pitch of t.
bool IsSliverTrim(const std::vector<RefToolBody>& bodies, const double base[3], int a, double t)
{
    const double fine = 1e-4;
    double p[3] = {base[0], base[1], base[2]};
    for (const RefToolBody& body : bodies) {
        for (const RefPiece& piece : body.pieces) {
            RefToolBody single;
            for (int k = 0; k < 3; ++k) {
                single.tip[k] = body.tip[k];
                single.axis[k] = body.axis[k];
            }
            single.pieces.push_back(piece);
            auto inTool = [&](double u) {
                p[a] = u;
                return ClassifyPointInToolBody(single, p, kMargin) != REF_OUTSIDE;
            };
            // The nearest stretch of this solid on either side of t, within one pitch.
            for (int side = -1; side <= 1; side += 2) {
                double nearest = NAN;
                for (double offset = 0; offset <= kPitch + fine; offset += fine) {
                    if (inTool(t + side * offset)) {
                        nearest = t + side * offset;
                        break;
                    }
                }
                if (std::isnan(nearest)) continue;
                double low = nearest, high = nearest;
                while (high - low <= kPitch + 2 * fine && inTool(low - fine)) low -= fine;
                while (high - low <= kPitch + 2 * fine && inTool(high + fine)) high += fine;
                if (high - low <= kPitch + 2 * fine) return true;
            }
        }
    }
    return false;
}

// The largest distance of the body from its axis line.
double GetBodyRadius(const RefToolBody& body)
{
    double radius = 0;
    for (const RefPiece& piece : body.pieces) {
        const RefSolid& solid = piece.solid;
        double r = solid.radius0;
        if (solid.kind == REF_FRUSTUM) r = std::max(solid.radius0, solid.radius1);
        if (solid.kind == REF_FILLED_TORUS || solid.kind == REF_RING_TORUS) r = solid.radius0 + solid.radius1;
        radius = std::max(radius, r);
    }
    return radius;
}

// The stretch [low, high] of the ray through base along axis a that comes within radius of the
// body's axis line (the body lies inside that infinite cylinder); empty when low > high.
void GetRayStretchNearAxis(const RefToolBody& body, double radius, const double base[3], int a, double* low,
                           double* high)
{
    // distance^2(t) = |P - tip|^2 - ((P - tip) . n)^2 with P = base + t e_a: A t^2 + B t + C.
    double d[3], dn = 0, dd = 0;
    for (int k = 0; k < 3; ++k) {
        d[k] = base[k] - body.tip[k];
        dn += d[k] * body.axis[k];
        dd += d[k] * d[k];
    }
    const double na = body.axis[a];
    const double A = 1 - na * na, B = 2 * (d[a] - dn * na), C = dd - dn * dn - radius * radius;
    if (A < 1e-12) {
        // Parallel to the axis: the whole ray or none of it.
        *low = C <= 0 ? -INFINITY : INFINITY;
        *high = C <= 0 ? INFINITY : -INFINITY;
        return;
    }
    const double disc = B * B - 4 * A * C;
    if (disc < 0) {
        *low = INFINITY;
        *high = -INFINITY;
        return;
    }
    *low = (-B - std::sqrt(disc)) / (2 * A);
    *high = (-B + std::sqrt(disc)) / (2 * A);
}

struct CompareResult {
    long samples = 0;
    long excused = 0;
    std::vector<Mismatch> mismatches;
    long mismatchCount = 0;
};

CompareResult CompareWorkWithReference(const WorkModel* work, const std::vector<RefToolBody>& bodies)
{
    CompareResult result;
    const DexelFamily* families[3] = {&work->familyX, &work->familyY, &work->familyZ};
    static std::vector<double> ends(DEXEL_MAX_ENDS);
    std::vector<double> bodyRadii;
    for (const RefToolBody& body : bodies) bodyRadii.push_back(GetBodyRadius(body) + 10 * kMargin);
    std::vector<double> nearLow(bodies.size()), nearHigh(bodies.size());
    for (int family = 0; family < 3; ++family) {
        const int a = kRayAxis[family], c1 = kCross1[family], c2 = kCross2[family];
        const DexelFamily* f = families[family];
        const double lo = 0, hi = (kNodes[a] - 1) * kPitch;
        for (int i2 = 0; i2 < kNodes[c2]; ++i2) {
            for (int i1 = 0; i1 < kNodes[c1]; ++i1) {
                const int ray = i1 + i2 * kNodes[c1];
                int count = 0;
                ReadDexelEnds(ray, f->capacity, f->counts, f->ends, &count, ends.data());
                const double* rayEnds = ends.data();
                double p[3];
                p[c1] = i1 * kPitch;
                p[c2] = i2 * kPitch;
                p[a] = 0;
                for (size_t b = 0; b < bodies.size(); ++b)
                    GetRayStretchNearAxis(bodies[b], bodyRadii[b], p, a, &nearLow[b], &nearHigh[b]);
                for (double t = lo - 0.3; t <= hi + 0.3; t += kSampleStep) {
                    p[a] = t;
                    const int inBox = RefClassifyBand(t, lo, hi, kMargin);
                    if (inBox == REF_NEAR) continue;
                    int expected;
                    if (inBox == REF_OUTSIDE) {
                        expected = 0;
                    } else {
                        bool nearTool = false;
                        for (size_t b = 0; b < bodies.size(); ++b)
                            if (t >= nearLow[b] && t <= nearHigh[b]) nearTool = true;
                        const int inTool = nearTool ? ClassifyPointInBodies(bodies, p) : REF_OUTSIDE;
                        if (inTool == REF_NEAR) continue;
                        expected = inTool == REF_OUTSIDE ? 1 : 0;
                    }
                    ++result.samples;
                    const int got = InsideKernelIntervals(rayEnds, count, t) ? 1 : 0;
                    if (got == expected) continue;
                    if (expected == 1 && IsSliverTrim(bodies, p, a, t)) {
                        ++result.excused;
                        continue;
                    }
                    ++result.mismatchCount;
                    if (result.mismatches.size() < 8) {
                        Mismatch m;
                        m.family = family;
                        m.i1 = i1;
                        m.i2 = i2;
                        for (int k = 0; k < 3; ++k) m.point[k] = p[k];
                        const RefToolBody& body = bodies[0];
                        double d[3], s = 0, r2 = 0;
                        for (int k = 0; k < 3; ++k) {
                            d[k] = p[k] - body.tip[k];
                            s += d[k] * body.axis[k];
                        }
                        for (int k = 0; k < 3; ++k) r2 += (d[k] - s * body.axis[k]) * (d[k] - s * body.axis[k]);
                        m.height = s;
                        m.radial = std::sqrt(r2);
                        m.expected = expected;
                        char text[64];
                        for (int k = 0; k < count && k < 8; ++k) {
                            std::snprintf(text, sizeof(text), "%s%.4f", k ? ", " : "", rayEnds[k]);
                            m.kernelEnds += text;
                        }
                        result.mismatches.push_back(m);
                    }
                }
            }
        }
    }
    return result;
}

std::string DescribeBody(const RefToolBody& body)
{
    static const char* kinds[] = {"cyl", "frustum", "sphere", "filled-torus", "ring-torus", "tip"};
    std::string text;
    char line[200];
    for (const RefPiece& piece : body.pieces) {
        const RefSolid* solids[2] = {&piece.solid, &piece.hole};
        for (int k = 0; k < (piece.hasHole ? 2 : 1); ++k) {
            const RefSolid& s = *solids[k];
            std::snprintf(line, sizeof(line), "%s%s(base %.4g, len %.4g, r0 %.4g, r1 %.4g)", k ? " minus " : "  ",
                          kinds[s.kind], s.base, s.length, s.radius0, s.radius1);
            text += line;
        }
        text += "\n";
    }
    return text;
}

// ---------------------------------------------------------------------------------------------------

using CaseParam = std::tuple<int, int, int>;  // tool, axis, position indexes

// The box work stays allocated from case to case (MakeBoxWork refills it).
class CutReferenceTest : public ::testing::TestWithParam<CaseParam> {};

TEST_P(CutReferenceTest, RaysMatchBoxMinusToolSolids)
{
    const ToolCase& tool = kToolCases[std::get<0>(GetParam())];
    const AxisCase& axisCase = kAxisCases[std::get<1>(GetParam())];
    const PositionCase& position = kPositionCases[std::get<2>(GetParam())];
    if (tool.skipReason) GTEST_SKIP() << tool.skipReason;

    SetNeutralChecks(tool.arborCheck);
    ASSERT_EQ(1, MakeToolCurrent(tool.toolTable)) << tool.toolTable;
    WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    ASSERT_EQ(1, MakeBoxWork(work));
    PrepareWorkForCutting(work);
    g_CutCodeState = 1;
    SetCutColourAndTag(17);
    ClearCheckFlags();
    g_MoveRemovedVolume = 0;
    // The kernel takes a unit axis; it drops tiny components itself.
    double unitAxis[3], length = 0;
    for (int k = 0; k < 3; ++k) length += axisCase.axis[k] * axisCase.axis[k];
    for (int k = 0; k < 3; ++k) unitAxis[k] = axisCase.axis[k] / std::sqrt(length);
    double axis[3];
    NormaliseTestAxis(unitAxis, axis);
    std::vector<RefToolBody> bodies;
    for (int c = 0; c < position.cutCount; ++c) {
        CutWorkAlongMove(work, position.tips[c], unitAxis);
        bodies.push_back(BuildReferenceBody(position.tips[c], axis));
    }
    const CompareResult result = CompareWorkWithReference(work, bodies);
    EXPECT_GT(result.samples, 100000);
    RecordProperty("shortCutExcused", std::to_string(result.excused));
    EXPECT_EQ(1, g_CutInMove) << "the cut removed nothing";
    if (result.mismatchCount == 0) return;
    std::string text;
    char line[600];
    std::snprintf(line, sizeof(line), "%s, axis %s (%.4f, %.4f, %.4f), tip %s (%.2f, %.2f, %.2f): %ld of %ld samples differ "
                  "(%ld excused by the short-cut rule)\nreference body of the first cut (heights above the tip, radii):\n",
                  tool.name, axisCase.name, axis[0], axis[1], axis[2], position.name, position.tips[0][0],
                  position.tips[0][1], position.tips[0][2], result.mismatchCount, result.samples, result.excused);
    text += line;
    text += DescribeBody(bodies[0]);
    for (const Mismatch& m : result.mismatches) {
        std::snprintf(line, sizeof(line),
                      "  %s ray (%d, %d) at (%.4f, %.4f, %.4f): height %.4f, radius %.4f: expected %s, kernel %s "
                      "(ray ends %s)\n",
                      kFamilyNames[m.family], m.i1, m.i2, m.point[0], m.point[1], m.point[2], m.height, m.radial,
                      m.expected ? "material" : "cut", m.expected ? "cut" : "material", m.kernelEnds.c_str());
        text += line;
    }
    ADD_FAILURE() << text;
}

// What one cut of a case leaves: the rays, the removed volume and cut flag, the check flags and
// measured lengths, the changed display blocks.
struct CutOutcome {
    uint64_t rays;
    double volume;
    int cutInMove;
    CheckFlags flags;
    ToolMeasureResult measure;
    std::vector<uint8_t> changedBlocks;
};

CutOutcome CutCaseOnThreads(const ToolCase& tool, const double axis[3], const PositionCase& position, int threads)
{
    WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    CutOutcome outcome{};
    if (MakeBoxWork(work) != 1) return outcome;
    PrepareWorkForCutting(work);
    std::fill(work->changedBlocks, work->changedBlocks + work->blockCount, uint8_t(0));
    SetNeutralChecks(tool.arborCheck);
    g_HeightCheck = 1;     // measures the deepest cut above the cutting length
    g_ChipWidthCheck = 2;  // raises CHIP
    ClearToolMeasureResult();
    SetCuttingThreadCount(threads);
    SetCutColourAndTag(17);
    ClearCheckFlags();
    g_MoveRemovedVolume = 0;
    for (int c = 0; c < position.cutCount; ++c) CutWorkAlongMove(work, position.tips[c], axis);
    outcome.rays = HashWorkRays(*work);
    outcome.volume = g_MoveRemovedVolume;
    outcome.cutInMove = g_CutInMove;
    outcome.flags = g_CheckFlags;
    outcome.measure = g_ToolMeasure;
    outcome.changedBlocks.assign(work->changedBlocks, work->changedBlocks + work->blockCount);
    return outcome;
}

// Every ray is cut by one thread and volumes, counts and flags are combined in a fixed order: the
// results of 1, 3 and 8 threads (one per ray even for these small cuts) are the same to the bit.
TEST_P(CutReferenceTest, ResultsDoNotDependOnTheThreadCount)
{
    const ToolCase& tool = kToolCases[std::get<0>(GetParam())];
    const AxisCase& axisCase = kAxisCases[std::get<1>(GetParam())];
    const PositionCase& position = kPositionCases[std::get<2>(GetParam())];
    if (tool.skipReason) GTEST_SKIP() << tool.skipReason;
    ASSERT_EQ(1, MakeToolCurrent(tool.toolTable)) << tool.toolTable;
    double unitAxis[3], length = 0;
    for (int k = 0; k < 3; ++k) length += axisCase.axis[k] * axisCase.axis[k];
    for (int k = 0; k < 3; ++k) unitAxis[k] = axisCase.axis[k] / std::sqrt(length);
    g_CutRaysPerThread = 1;
    const CutOutcome one = CutCaseOnThreads(tool, unitAxis, position, 1);
    for (int threads : {3, 8}) {
        const CutOutcome many = CutCaseOnThreads(tool, unitAxis, position, threads);
        EXPECT_EQ(many.rays, one.rays) << threads << " threads";
        EXPECT_EQ(many.volume, one.volume) << threads << " threads";
        EXPECT_EQ(many.cutInMove, one.cutInMove);
        EXPECT_EQ(0, std::memcmp(&many.flags, &one.flags, sizeof one.flags)) << threads << " threads";
        EXPECT_EQ(0, std::memcmp(&many.measure, &one.measure, sizeof one.measure)) << threads << " threads";
        EXPECT_EQ(many.changedBlocks, one.changedBlocks) << threads << " threads";
    }
    g_CutRaysPerThread = CUT_RAYS_PER_THREAD;
    SetCuttingThreadCount(0);
}

std::string CaseName(const ::testing::TestParamInfo<CaseParam>& info)
{
    return std::string(kToolCases[std::get<0>(info.param)].name) + "_" + kAxisCases[std::get<1>(info.param)].name +
           "_" + kPositionCases[std::get<2>(info.param)].name;
}

INSTANTIATE_TEST_SUITE_P(
    AllToolsAndAxes, CutReferenceTest,
    ::testing::Combine(::testing::Range(0, int(sizeof(kToolCases) / sizeof(kToolCases[0]))),
                       ::testing::Range(0, int(sizeof(kAxisCases) / sizeof(kAxisCases[0]))),
                       ::testing::Range(0, int(sizeof(kPositionCases) / sizeof(kPositionCases[0])))),
    CaseName);

}  // namespace
