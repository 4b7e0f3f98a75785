// Cutting the work at one tool position: the tool tip and axis in the work's frame, the points on
// the axis and the ray ranges the tool can reach, the body sweep of the three ray families with the
// blend of their volumes, the neck sections and holder steps with the TAPER and ARBOR flags and the
// overhang searches of the OUTPUT mode.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "machine_setup/tools/current_tool.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/machine/rotation.h"
#include "machine_setup/tools/tool_arrays.h"
#include "machine_setup/tools/tool_profile.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/tools/tool_body.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "simulation/check_flags.h"
#include "simulation/mesh_tool_cut.h"
#include "simulation/cut_sweeps.h"
#include "simulation/cut_thread_pool.h"
#include "simulation/cutting.h"
#include "work_model/dexel_intervals.h"
#include "work_model/geometry.h"

int32_t g_CutLineTag[2] = {0, 0};
double g_MoveRemovedVolume = 0.0;
int g_CutInMove = 0;
int g_UnstoredRayCount = 0;
int32_t g_FirstUnstoredRayLine = 0;
double g_CutBoundRadius = 0.0;
double g_CutBoundRadiusSquared = 0.0;
uint8_t g_SectionPaintColour[2] = {0, 0};
DexelSweepState g_SweepStateX, g_SweepStateY, g_SweepStateZ;
int g_CutThreadCount = 0;
int g_CutRaysPerThread = CUT_RAYS_PER_THREAD;

namespace {

const double kOpenReach = 10000.0;   // reach of the ray range along an axis open upward
const double kSearchLimit = 499.0;   // Lu and Length searches stop here (mm)
const double kTaperLimit = 199.0;    // the Lt search gives up here
const double kSearchStep = 0.1;
const double kTestSectionLength = 500.0;

DexelDirectionBlock* const kBlocks[3] = {&g_DexelDirectionX, &g_DexelDirectionY, &g_DexelDirectionZ};

// The tip and axis of the current call in the work frame.
double s_Tip[3];
double s_Axis[3];
// The tool-axis plane values and the points on the axis of the current position (section values in
// 8 .. 10 and a section base in point 0 while sections are stamped), handed to the sweeps.
double s_ToolAxisPlane[11];  // n (0..2), -(n . tip), |n|, h x |n|, (6 unused), |n|^2, section
                             // length, base radius, top radius
double s_CutPoints[5][3];    // corner-centre, corner-base, side-start, side-end, shank-base

// The work whose cuts the cutting threads serve: they end when it is destroyed.
const WorkModel* s_ThreadsWork = nullptr;

void StopThreadsWithWork(const WorkModel* work)
{
    if (work != s_ThreadsWork) return;
    StopCutThreads();
    ReleaseCutScratches();
    s_ThreadsWork = nullptr;
}

// Publishes the direction blocks when they describe another work or level, and hangs the sweep
// states on them.
void AttachSweepStates(WorkModel* work)
{
    if (g_DexelDirectionZ.work != work || g_DexelDirectionZ.counts != work->familyZ.counts ||
        g_DexelDirectionX.counts != work->familyX.counts || g_DexelDirectionY.counts != work->familyY.counts)
        PublishDexelDirectionBlocks(work);
    g_DexelDirectionX.sweep = &g_SweepStateX;
    g_DexelDirectionY.sweep = &g_SweepStateY;
    g_DexelDirectionZ.sweep = &g_SweepStateZ;
}

// A global-order point into a block's axis order.
inline void ToBlockOrder(const DexelDirectionBlock* block, const double p[3], double out[3])
{
    out[0] = p[block->crossAxis1];
    out[1] = p[block->crossAxis2];
    out[2] = p[block->rayAxis];
}

inline void PointAtHeight(double height, double out[3])
{
    for (int k = 0; k < 3; k++) out[k] = s_Tip[k] + s_Axis[k] * height;
}

// Sets a base point (section base or tip) into s_CutPoints[0] and every block.
void SetBasePoint(const double point[3])
{
    for (int k = 0; k < 3; k++) s_CutPoints[0][k] = point[k];
    for (DexelDirectionBlock* block : kBlocks) ToBlockOrder(block, point, block->sweep->basePoint);
}

// Node range along one axis: empty (0) when it misses the grid, else clamped into it.
int ClampRange(double low, double high, int nodeCount, int range[2])
{
    if (!(low < double(nodeCount)) || !(high >= 0.0)) return 0;
    low = std::max(low, 0.0);
    high = std::min(high, double(nodeCount - 1));
    if (low > high) return 0;
    range[0] = int(low);
    range[1] = int(high);
    return 1;
}

// Stores per-axis node ranges into the blocks (each takes its two cross axes).
void StoreRanges(const int ranges[3][2])
{
    for (DexelDirectionBlock* block : kBlocks) {
        DexelSweepState* st = block->sweep;
        st->rangeLow1 = ranges[block->crossAxis1][0];
        st->rangeHigh1 = ranges[block->crossAxis1][1];
        st->rangeLow2 = ranges[block->crossAxis2][0];
        st->rangeHigh2 = ranges[block->crossAxis2][1];
    }
}

const double* GridOrigin(const WorkModel* work, double out[3])
{
    out[0] = work->originX;
    out[1] = work->originY;
    out[2] = work->originZ;
    return out;
}

// Ranges of the tool column around reference point q (work frame) with bounding radius v; the
// side toward the tip also covers the tip, so a tool whose tip lies farther than v below the
// reference point is still reached. Returns 0 when an axis misses the grid.
int ComputeColumnRanges(const WorkModel* work, const double q[3], double v, double L1)
{
    double origin[3];
    GridOrigin(work, origin);
    const int nodeCounts[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    const double p = work->pitch;
    int ranges[3][2];
    for (int k = 0; k < 3; k++) {
        const double qk = q[k] - origin[k];
        const double tipk = s_Tip[k] - origin[k];
        const double nk = s_Axis[k];
        double low, high;
        if (nk == 0.0) {
            low = std::ceil((qk - v) / p);
            high = std::trunc((qk + v) / p);
        } else if (nk > 0.0) {
            low = std::ceil((std::min(qk, tipk) - v) / p);
            high = std::max(std::trunc((qk + kOpenReach) / p), std::trunc((qk + v + L1 * nk) / p));
        } else {
            low = std::min(std::ceil((qk - v + L1 * nk) / p), std::ceil((qk - kOpenReach) / p));
            high = std::trunc((std::max(qk, tipk) + v) / p);
        }
        if (!ClampRange(low, high, nodeCounts[k], ranges[k])) return 0;
    }
    StoreRanges(ranges);
    return 1;
}

// Narrows the stored ranges to the rays that the tool body can reach inside the grid: the body lies
// in the cylinder of radius `reach` around the axis from height lowest upward, and only the part of
// that cylinder inside the grid box (widened by the cylinder's extent along each axis) can meet
// material. The axis is clipped to that box; each axis's node range then covers the clipped axis
// widened by the cylinder's extent. An empty result leaves every range empty (low above high).
void NarrowRangesToGrid(const WorkModel* work, double reach, double lowest)
{
    double origin[3];
    GridOrigin(work, origin);
    const int nodeCounts[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    const double p = work->pitch;
    double extent[3];
    double sLow = lowest, sHigh = HUGE_VAL;
    for (int k = 0; k < 3; k++) {
        const double nk = s_Axis[k];
        extent[k] = reach * std::sqrt(std::max(0.0, 1.0 - nk * nk)) + p;
        const double lo = origin[k] - extent[k];
        const double hi = origin[k] + (nodeCounts[k] - 1) * p + extent[k];
        if (nk == 0.0) {
            if (s_Tip[k] < lo || s_Tip[k] > hi) sHigh = -HUGE_VAL;
            continue;
        }
        double a = (lo - s_Tip[k]) / nk, b = (hi - s_Tip[k]) / nk;
        if (a > b) std::swap(a, b);
        sLow = std::max(sLow, a);
        sHigh = std::min(sHigh, b);
    }
    int ranges[3][2];
    bool empty = !(sLow <= sHigh);
    for (int k = 0; k < 3 && !empty; k++) {
        const double a = s_Tip[k] + sLow * s_Axis[k], b = s_Tip[k] + sHigh * s_Axis[k];
        const double low = std::ceil((std::min(a, b) - extent[k] - origin[k]) / p);
        const double high = std::floor((std::max(a, b) + extent[k] - origin[k]) / p);
        if (!ClampRange(low, high, nodeCounts[k], ranges[k])) empty = true;
    }
    for (DexelDirectionBlock* block : kBlocks) {
        DexelSweepState* st = block->sweep;
        if (empty) {
            st->rangeLow1 = st->rangeLow2 = 1;
            st->rangeHigh1 = st->rangeHigh2 = 0;
            continue;
        }
        st->rangeLow1 = std::max(st->rangeLow1, ranges[block->crossAxis1][0]);
        st->rangeHigh1 = std::min(st->rangeHigh1, ranges[block->crossAxis1][1]);
        st->rangeLow2 = std::max(st->rangeLow2, ranges[block->crossAxis2][0]);
        st->rangeHigh2 = std::min(st->rangeHigh2, ranges[block->crossAxis2][1]);
    }
}

// Ranges of a section of length s from base b with bounding radius v.
int ComputeSectionRanges(const WorkModel* work, const double b[3], double v, double s)
{
    double origin[3];
    GridOrigin(work, origin);
    const int nodeCounts[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    const double p = work->pitch;
    int ranges[3][2];
    for (int k = 0; k < 3; k++) {
        const double bk = b[k] - origin[k];
        const double nk = s_Axis[k];
        double low = std::ceil((bk - v) / p);
        double high = std::trunc((bk + v) / p);
        if (nk > 0.0) high = std::trunc((bk + v + s * nk) / p);
        if (nk < 0.0) low = std::ceil((bk - v + s * nk) / p);
        if (!ClampRange(low, high, nodeCounts[k], ranges[k])) return 0;
    }
    StoreRanges(ranges);
    return 1;
}

void ClearBlockResults()
{
    for (DexelDirectionBlock* block : kBlocks) {
        block->sweep->removedVolume = 0.0;
        block->sweep->removedEndCount = 0;
    }
}

bool AnyBlockVolume()
{
    for (DexelDirectionBlock* block : kBlocks)
        if (block->sweep->removedVolume > 0.0) return true;
    return false;
}

double BlendBlocks()
{
    double blend = 0.0;
    BlendThreeValues(g_SweepStateX.removedVolume, g_SweepStateX.removedEndCount, g_SweepStateY.removedVolume,
                     g_SweepStateY.removedEndCount, g_SweepStateZ.removedVolume, g_SweepStateZ.removedEndCount,
                     &blend);
    return blend;
}

void SetStepMark()
{
    if (g_MachineStepCount >= 0 && g_MachineStepCount < MACHINING_STEP_SLOTS) g_StepCutMarks[g_MachineStepCount] = 1;
}

// Adds a section's blend to the sub-step's volume with the cut flag and step mark.
void AddSectionVolume(double blend)
{
    g_MoveRemovedVolume += blend;
    if (g_MoveRemovedVolume > 0.0) {
        g_CutInMove = 1;
        SetStepMark();
    } else if (g_CutInMove == 1) {
        SetStepMark();
    }
}

// One neck section or holder step: its geometry, base and ranges. Returns 0 when it has no length
// or reaches no ray.
struct Section {
    int index;
    double baseHeight, length, baseRadius, topRadius, boundRadius;
};

int PrepareSection(const WorkModel* work, const Section& section)
{
    if (!(section.length > 0.0)) return 0;
    double base[3];
    PointAtHeight(section.baseHeight, base);
    SetBasePoint(base);
    s_ToolAxisPlane[8] = section.length;
    s_ToolAxisPlane[9] = section.baseRadius;
    s_ToolAxisPlane[10] = section.topRadius;
    if (!ComputeSectionRanges(work, base, section.boundRadius, section.length)) return 0;
    ClearBlockResults();
    for (DexelDirectionBlock* block : kBlocks) block->sweep->sectionIndex = section.index;
    SetCutPositionValues(s_ToolAxisPlane, s_CutPoints);
    return 1;
}

// A test stamp: Z-, then Y-, then X-rays, stopping at the first touch.
int TestStamp(int (*stamp)(DexelDirectionBlock*))
{
    return stamp(&g_DexelDirectionZ) || stamp(&g_DexelDirectionY) || stamp(&g_DexelDirectionX);
}

// The neck sections of the current tool with section 0 from height start (L2 normally).
int BuildNeckSections(double start, double length0, double top0, Section sections[3])
{
    const ToolCutGeometry& g = g_ToolCut;
    const int kind = g_CurrentToolLengthRecord.kind;
    const bool three = kind == LENGTH_THREE || kind == LENGTH_THREE_A;
    int count = 0;
    sections[count++] = Section{0, start, length0, g.cuttingTopRadius, top0, std::max(top0, g.cuttingTopRadius)};
    double end = start + std::max(length0, 0.0);
    if (three) {
        const double length1 = (g.neckRadius - top0) * g.neckCotangent2;
        sections[count++] = Section{1, end, length1, top0, g.neckRadius, std::max(top0, g.neckRadius)};
        end += std::max(length1, 0.0);
    }
    const double L1 = g_CurrentToolLengthRecord.lengths[0];
    sections[count++] = Section{2, end, L1 - end, g.neckRadius, g.neckRadius, g.neckRadius};
    return count;
}

// Test of neck sections: 1 when one of them touches material.
int TestNeckSections(const WorkModel* work, Section* sections, int count)
{
    for (int i = 0; i < count; i++)
        if (PrepareSection(work, sections[i]) && TestStamp(StampToolSection)) return 1;
    return 0;
}

void SearchNeckOverhang(const WorkModel* work)
{
    const ToolCutGeometry& g = g_ToolCut;
    const int kind = g_CurrentToolLengthRecord.kind;
    const double L2 = g_CurrentToolLengthRecord.lengths[1];
    const double L3 = g_CurrentToolLengthRecord.lengths[2];
    const double top0 = kind == LENGTH_TWO ? g.neckRadius : g.neckConeTopRadius;
    Section sections[3];
    for (;;) {
        const int count = BuildNeckSections(g_ToolMeasure.lu, L3, top0, sections);
        sections[count - 1].length = kTestSectionLength;
        if (!TestNeckSections(work, sections, count) || g_ToolMeasure.lu >= kSearchLimit) break;
        g_TaperInterferenceCode = 0;
        g_ToolMeasure.lu += kSearchStep;
    }
    while (g_ToolMeasure.lt >= 0.0) {
        const double lt = g_ToolMeasure.lt;
        const double top = kind == LENGTH_TWO ? g.neckRadius : g.maxCuttingRadius + lt * g.neckCotangent1;
        if (top > g.neckRadius) {
            g_ToolMeasure.lt = -1.0;
            break;
        }
        const int count = BuildNeckSections(L2, lt, top, sections);
        sections[count - 1].length = kTestSectionLength;
        const int touched = TestNeckSections(work, sections, count);
        if (lt >= kTaperLimit) {
            g_ToolMeasure.lt = -1.0;
            break;
        }
        if (!touched) break;
        g_ToolMeasure.lt += kSearchStep;
    }
}

void CutNeckSections(const WorkModel* work)
{
    const int kind = g_CurrentToolLengthRecord.kind;
    const double L2 = g_CurrentToolLengthRecord.lengths[1];
    const double L3 = g_CurrentToolLengthRecord.lengths[2];
    const bool two = kind == LENGTH_TWO || kind == LENGTH_TWO_A;
    const double top0 = two ? g_ToolCut.neckRadius : g_ToolCut.neckConeTopRadius;
    g_SectionPaintColour[0] = g_SectionPaintColour[1] = uint8_t(g_ToolPenAttribute | 1);
    Section sections[3];
    const int count = BuildNeckSections(L2, L3, top0, sections);
    for (int i = 0; i < count; i++) {
        // Blocks keep the results of an earlier stamp: only a stamped section adds a volume.
        if (!PrepareSection(work, sections[i])) continue;
        for (DexelDirectionBlock* block : kBlocks) StampToolSection(block);
        const double blend = BlendBlocks();
        if (g_ArborCheck >= 3 && kind < 10 && AnyBlockVolume()) g_CheckFlags.taper = 1;
        AddSectionVolume(blend);
    }
}

// The holder step i from base height with its bounding radius (that of its widest end).
Section MakeHolderStep(int i, double baseHeight)
{
    const ArborRecord& a = g_CurrentArbor;
    double width = a.diameters[i];
    if (a.kind == ARBOR_KIND_SECTIONS && a.sectionCodes[i] != 0) width = std::max(width, double(a.diameters[i + 1]));
    if (a.kind == ARBOR_KIND_TAPERS) {
        const double lowerWidth = i == 0 ? 2.0 * g_ToolCut.neckRadius : double(a.diameters[i - 1]);
        width = std::max(width, lowerWidth);
    }
    return Section{i, baseHeight, a.lengths[i], 0.0, 0.0, width / 2.0};
}

int HolderStepCount()
{
    return std::min(std::max(g_CurrentArbor.stepCount, 0), ARBOR_MAX_STEPS);
}

void SearchHolderLength(const WorkModel* work)
{
    g_ToolMeasure.length = std::max(g_ToolMeasure.length, g_ToolMeasure.lu);
    for (;;) {
        int touched = 0;
        double offset = g_ToolMeasure.length;
        for (int i = 0; i < HolderStepCount() && !touched; i++) {
            const Section step = MakeHolderStep(i, offset);
            offset += g_CurrentArbor.lengths[i];
            if (PrepareSection(work, step)) touched = TestStamp(StampToolSectionFromTable);
        }
        if (!touched || g_ToolMeasure.length >= kSearchLimit) return;
        g_ReportedInterferenceCode = 0;
        g_ToolMeasure.length += kSearchStep;
        if (g_OutputLengthCheckAll)
            g_ToolMeasure.holderSearchLength =
                std::max(g_ToolMeasure.holderSearchLength, g_HolderHeightAboveTool + g_ToolMeasure.length);
    }
}

void CutHolderSteps(const WorkModel* work)
{
    g_SectionPaintColour[0] = g_SectionPaintColour[1] = uint8_t(g_ToolPenAttribute | 1);
    double offset = g_CurrentToolLengthRecord.lengths[0];
    for (int i = 0; i < HolderStepCount(); i++) {
        const Section step = MakeHolderStep(i, offset);
        offset += g_CurrentArbor.lengths[i];
        if (!PrepareSection(work, step)) continue;
        for (DexelDirectionBlock* block : kBlocks) StampToolSectionFromTable(block);
        const double blend = BlendBlocks();
        if (g_ArborCheck >= 3 && AnyBlockVolume()) g_CheckFlags.arbor = 1;
        AddSectionVolume(blend);
    }
}

// Heights above the tip of the corner-centre, corner-base, side-start, side-end and shank-base
// points of the current tool.
void ComputePointHeights(double heights[5])
{
    const ToolCutGeometry& g = g_ToolCut;
    const int type = g_CurrentTool.type;
    const double r = g_CurrentTool.cornerRadius;
    const double T1 = g_CurrentTool.headLength;
    const double c2 = g_CurrentTool.secondRadius;
    heights[0] = g.cornerCentreHeight;
    if (type == TOOL_T_SLOT)
        heights[1] = T1 - 2.0 * c2;
    else if (type == TOOL_RADIUS)
        heights[1] = g_ChipWidthCheck == 1 ? g_ToolMeasure.centerH : double(g_CurrentTool.cornerCentreHeight);
    else
        heights[1] = g.cornerCentreHeight - g.cornerRadius;
    if (type == TOOL_T_SLOT)
        heights[2] = T1 - c2;
    else if (r < 0.0)
        heights[2] = g.cornerCentreHeight - 2.0 * g.cornerRadius;
    else
        heights[2] = g.sideStartHeight;
    heights[3] = r < 0.0 ? g.cornerCentreHeight - g.cornerRadius : g.sideEndHeight;
    heights[4] = g_CurrentTool.cuttingLength;
}

// The lowest height above the tip that the body reaches (below 0 only for odd hollow corners): the
// corner reaches one corner radius below its centre, the other points on the axis are where
// their solids start.
double LowestBodyHeight()
{
    double lowest = 0.0;
    for (int i = 0; i < 4; i++) {
        double height = 0.0;
        for (int k = 0; k < 3; k++) height += (s_CutPoints[i][k] - s_Tip[k]) * s_Axis[k];
        if (i == 0) height -= std::fabs(g_ToolCut.cornerRadius);
        lowest = std::min(lowest, height);
    }
    return lowest;
}

double ComputeBoundRadius()
{
    const int type = g_CurrentTool.type;
    if (type == TOOL_STL)
        return std::max(g_ToolBodyBox[1][0] - g_ToolBodyBox[0][0], g_ToolBodyBox[1][1] - g_ToolBodyBox[0][1]);
    if (type == TOOL_T_SLOT) return g_ToolCut.slotBoundingDiameter / 2.0;
    return g_ToolCut.maxCuttingRadius;
}

// The mesh-tool cut and its cut-flag rules.
void CutWithMeshTool()
{
    CutWorkWithMeshTool();
    // Its cuts do not keep the sweeps' summary of the Z-rays' tops: the next sweep builds it anew.
    MarkDexelStorageChanged();
    const double vx = g_SweepStateX.removedVolume, vy = g_SweepStateY.removedVolume, vz = g_SweepStateZ.removedVolume;
    if (vx > 0.0 || vy > 0.0 || vz > 0.0) {
        g_CutInMove = 1;
        SetStepMark();
    } else if (g_CutInMove == 1) {
        SetStepMark();
    }
    if (g_MotionKind == 0 && vx < 0.001 && vy < 0.001 && vz < 0.001 && (vx == 0.0 || vy == 0.0 || vz == 0.0))
        g_CutInMove = 0;
}

// Work-frame tip and axis, the axis plane and the points along the axis.
void PreparePosition(WorkModel* work, const double tip[3], const double axis[3])
{
    for (int k = 0; k < 3; k++) {
        s_Tip[k] = tip[k];
        s_Axis[k] = axis[k];
    }
    if (work->hasPlacement) {
        ToWorkModelFrame(work, s_Tip);
        RotateVector(work->inverseRotation, axis, s_Axis);
    }
    NormaliseAxisVector(s_Axis);
    for (int k = 0; k < 3; k++) s_ToolAxisPlane[k] = s_Axis[k];
    s_ToolAxisPlane[3] = -(s_Axis[0] * s_Tip[0] + s_Axis[1] * s_Tip[1] + s_Axis[2] * s_Tip[2]);
    s_ToolAxisPlane[7] = s_Axis[0] * s_Axis[0] + s_Axis[1] * s_Axis[1] + s_Axis[2] * s_Axis[2];
    s_ToolAxisPlane[4] = std::sqrt(s_ToolAxisPlane[7]);
    s_ToolAxisPlane[5] = double(g_CurrentTool.cuttingLength) * s_ToolAxisPlane[4];
    double heights[5];
    ComputePointHeights(heights);
    for (int i = 0; i < 5; i++) PointAtHeight(heights[i], s_CutPoints[i]);
    for (DexelDirectionBlock* block : kBlocks) {
        DexelSweepState* st = block->sweep;
        ToBlockOrder(block, s_Tip, st->basePoint);
        ToBlockOrder(block, s_CutPoints[0], st->cornerCentrePoint);
        ToBlockOrder(block, s_CutPoints[1], st->cornerBasePoint);
        ToBlockOrder(block, s_CutPoints[2], st->sideStartPoint);
        ToBlockOrder(block, s_CutPoints[3], st->sideEndPoint);
        if (g_ToolCut.hasShank) ToBlockOrder(block, s_CutPoints[4], st->shankBasePoint);
        ToBlockOrder(block, s_Axis, st->axisVector);
    }
}

}  // namespace

void BlendThreeValues(double volumeX, int endsX, double volumeY, int endsY, double volumeZ, int endsZ,
                      double* out)
{
    const double volumes[3] = {volumeX, volumeY, volumeZ};
    int winner = 2;
    int most = endsZ;
    if (endsX > most) {
        winner = 0;
        most = endsX;
    }
    if (endsY > most) winner = 1;
    double sum = volumes[winner];
    int count = 1;
    for (int k = 0; k < 3; k++) {
        if (k != winner && volumes[k] < volumes[winner]) {
            sum += volumes[k];
            count++;
        }
    }
    *out = sum / count;
}

void CutWorkAlongMove(WorkModel* work, const double tip[3], const double axis[3])
{
    if (!g_CutCodeState || !g_WorkDefined || g_WorkState > 0 || !g_CurrentTool.defined) return;
    if (!work || work->nodeCountX < 2 || !work->familyZ.counts) return;
    AttachSweepStates(work);
    PreparePosition(work, tip, axis);
    const double v = ComputeBoundRadius();
    g_CutBoundRadius = v;
    const double L1 = g_CurrentToolLengthRecord.lengths[0];
    const double* q = g_CurrentTool.cornerRadius < 0.0 ? s_Tip : s_CutPoints[0];
    // A shank wider than the cutting part reaches rays beyond v.
    const double reach = g_ToolCut.hasShank && g_CurrentTool.type != TOOL_STL ? std::max(v, g_ToolCut.shankRadius) : v;
    if (ComputeColumnRanges(work, q, reach, L1)) {
        if (g_CurrentTool.type != TOOL_STL) NarrowRangesToGrid(work, reach, LowestBodyHeight());
        ClearBlockResults();
        g_CutBoundRadiusSquared = v * v;
        if (g_CurrentTool.type == TOOL_STL) {
            CutWithMeshTool();
        } else {
            if (s_ThreadsWork != work) {
                StopThreadsWithWork(s_ThreadsWork);
                s_ThreadsWork = work;
                g_WorkDestroyHook = StopThreadsWithWork;
            }
            SetCutPositionValues(s_ToolAxisPlane, s_CutPoints);
            SweepToolThroughDexelGrids(kBlocks, ResolveCutThreadCount(g_CutThreadCount));
            g_MoveRemovedVolume = BlendBlocks();
            if (AnyBlockVolume()) g_CutInMove = 1;
        }
    }
    const int kind = g_CurrentToolLengthRecord.kind;
    if ((g_ArborCheck > 0 && kind > 1) || kind > 10) {
        if (g_ArborCheck == 1 && kind < 10)
            SearchNeckOverhang(work);
        else
            CutNeckSections(work);
    }
    if (g_ArborCheck > 0 && g_CurrentArbor.used) {
        if (g_ArborCheck == 1)
            SearchHolderLength(work);
        else
            CutHolderSteps(work);
    }
}

int CanCutPositionsTogether()
{
    if (!g_CutCodeState || !g_WorkDefined || g_WorkState > 0 || !g_CurrentTool.defined) return 0;
    const int type = g_CurrentTool.type;
    if (type == TOOL_STL || (type == TOOL_RADIUS && g_ChipWidthCheck == 1)) return 0;
    if (g_HeightCheck != 0 || g_ChipWidthCheck != 0) return 0;
    const int kind = g_CurrentToolLengthRecord.kind;
    if ((g_ArborCheck > 0 && kind > 1) || kind > 10) return 0;
    if (g_ArborCheck > 0 && g_CurrentArbor.used) return 0;
    return 1;
}

void CutWorkAtPositions(WorkModel* work, int count, const double (*tips)[3], const double (*axes)[3],
                        CutPositionResult* results, const unsigned char (*colours)[2], const int32_t (*lineTags)[2])
{
    static std::vector<SweepPosition> s_Positions;
    if (count <= 0) return;
    for (int j = 0; j < count; j++) results[j] = CutPositionResult{0, 0, 0.0};
    if (!work || work->nodeCountX < 2 || !work->familyZ.counts) return;
    if (!CanCutPositionsTogether()) {
        const double keptVolume = g_MoveRemovedVolume;
        const int keptCut = g_CutInMove;
        unsigned char keptColour[2] = {g_CutColour[0], g_CutColour[1]};
        const int32_t keptTag[2] = {g_CutLineTag[0], g_CutLineTag[1]};
        for (int j = 0; j < count; j++) {
            g_MoveRemovedVolume = 0.0;
            g_CutInMove = 0;
            if (colours) std::memcpy(g_CutColour, colours[j], sizeof g_CutColour);
            if (lineTags) std::memcpy(g_CutLineTag, lineTags[j], sizeof g_CutLineTag);
            CutWorkAlongMove(work, tips[j], axes[j]);
            results[j].swept = 1;
            results[j].cut = g_CutInMove;
            results[j].removedVolume = g_MoveRemovedVolume;
        }
        g_MoveRemovedVolume = keptVolume;
        g_CutInMove = keptCut;
        std::memcpy(g_CutColour, keptColour, sizeof g_CutColour);
        std::memcpy(g_CutLineTag, keptTag, sizeof g_CutLineTag);
        return;
    }
    AttachSweepStates(work);
    if (int(s_Positions.size()) < count) s_Positions.resize(size_t(count));
    // The ranges and points of every position, as CutWorkAlongMove finds them.
    bool any = false;
    for (int j = 0; j < count; j++) {
        PreparePosition(work, tips[j], axes[j]);
        const double v = ComputeBoundRadius();
        g_CutBoundRadius = v;
        const double L1 = g_CurrentToolLengthRecord.lengths[0];
        const double* q = g_CurrentTool.cornerRadius < 0.0 ? s_Tip : s_CutPoints[0];
        const double reach = g_ToolCut.hasShank ? std::max(v, g_ToolCut.shankRadius) : v;
        SweepPosition& position = s_Positions[size_t(j)];
        if (ComputeColumnRanges(work, q, reach, L1)) {
            NarrowRangesToGrid(work, reach, LowestBodyHeight());
            ClearBlockResults();
            g_CutBoundRadiusSquared = v * v;
            results[j].swept = 1;
            any = true;
        }
        for (int f = 0; f < 3; f++) {
            position.states[f] = *kBlocks[f]->sweep;
            if (!results[j].swept) {
                // Not swept: no ray of this position is visited.
                position.states[f].rangeLow1 = position.states[f].rangeLow2 = 1;
                position.states[f].rangeHigh1 = position.states[f].rangeHigh2 = 0;
            }
        }
        std::memcpy(position.toolAxisPlane, s_ToolAxisPlane, sizeof position.toolAxisPlane);
        std::memcpy(position.cutPoints, s_CutPoints, sizeof position.cutPoints);
        std::memcpy(position.colour, colours ? colours[j] : g_CutColour, sizeof position.colour);
        std::memcpy(position.lineTag, lineTags ? lineTags[j] : g_CutLineTag, sizeof position.lineTag);
    }
    if (any) {
        if (s_ThreadsWork != work) {
            StopThreadsWithWork(s_ThreadsWork);
            s_ThreadsWork = work;
            g_WorkDestroyHook = StopThreadsWithWork;
        }
        SweepToolThroughDexelGridsAtPositions(kBlocks, s_Positions.data(), count,
                                              ResolveCutThreadCount(g_CutThreadCount));
    }
    for (int j = 0; j < count; j++) {
        if (!results[j].swept) continue;
        const DexelSweepState* st = s_Positions[size_t(j)].states;
        BlendThreeValues(st[0].removedVolume, st[0].removedEndCount, st[1].removedVolume, st[1].removedEndCount,
                         st[2].removedVolume, st[2].removedEndCount, &results[j].removedVolume);
        results[j].cut = st[0].removedVolume > 0.0 || st[1].removedVolume > 0.0 || st[2].removedVolume > 0.0;
    }
    // The sweep states hold the ranges and points of the last position already; their results are
    // those of the last position swept, as after cutting the positions one by one.
    for (int j = count - 1; j >= 0; j--) {
        if (!results[j].swept) continue;
        for (int f = 0; f < 3; f++) {
            kBlocks[f]->sweep->removedVolume = s_Positions[size_t(j)].states[f].removedVolume;
            kBlocks[f]->sweep->removedEndCount = s_Positions[size_t(j)].states[f].removedEndCount;
        }
        break;
    }
}

void PrepareWorkForCutting(WorkModel* work)
{
    PublishDexelDirectionBlocks(work);
    AttachSweepStates(work);
    g_WorkDefined = 1;
    g_WorkState = 0;
    g_CutCodeState = 1;
}

int MakeCuttingToolCurrent(int number, const ToolRecord* tool, const ToolLengthRecord* length,
                           const ArborRecord* arbor, int pen)
{
    if (number < 0 || !tool) return -1;
    if (!g_ToolTable || number >= g_ToolArrayCapacity) {
        g_MaxMagazine = std::max(std::max(g_MaxMagazine, number), 200);
        AllocateToolArrays();
        if (!g_ToolTable || number >= g_ToolArrayCapacity) return -1;
    }
    g_ToolTable[number] = *tool;
    if (length) {
        g_ToolLengthTable[number] = *length;
    } else {
        g_ToolLengthTable[number] = ToolLengthRecord{};
        g_ToolLengthTable[number].semicolonValue = -1.0f;
    }
    if (arbor)
        g_ArborTable[number] = *arbor;
    else
        ClearArborRecord(&g_ArborTable[number]);
    g_ToolLengths[number] = 0.0f;
    g_ToolPenTable[number] = std::min(std::max(pen, 0), 15);
    return SelectCurrentTool(number, 0.0);
}

void SetCutColourAndTag(int32_t lineTag)
{
    uint8_t colour = g_ToolPenAttribute;
    if (g_MotionKind == 0 && !g_CycleRapidInHole) colour = uint8_t(colour | 1);
    g_CutColour[0] = g_CutColour[1] = colour;
    g_CutLineTag[0] = g_CutLineTag[1] = lineTag;
}

void ClearCutRunValues()
{
    g_UnstoredRayCount = 0;
    g_FirstUnstoredRayLine = 0;
}

void SetCuttingThreadCount(int count)
{
    g_CutThreadCount = count > 0 ? count : 0;
}
