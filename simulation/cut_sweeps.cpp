// Dexel-grid sweeps of the tool body: per ray of a family's range, the stretch inside the tool
// (a union of simple solids on the tool axis, joined into a few intervals) is removed with the
// cut's colour and tag, the changed ray stored, its display blocks marked and LENGTH/CHIP checked.
#include "simulation/cut_sweeps.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "machine_setup/tools/current_tool.h"
#include "machine_setup/settings/display_settings.h"
#include "nc/interpreter_state.h"
#include "simulation/check_flags.h"
#include "simulation/cut_interval_subtraction.h"
#include "simulation/cut_ray_intersections.h"
#include "simulation/cut_thread_pool.h"
#include "simulation/cutting.h"
#include "work_model/dexel_intervals.h"

// The tool-axis plane values and points on the axis of the position being cut, as
// SetCutPositionValues or a sweep of several positions gives them: one copy per thread that cuts.
static thread_local double g_ToolAxisPlane[11];
static thread_local double g_CutPoints[5][3];
// The colour and line tag that new ends of the position being cut take: the run's g_CutColour and
// g_CutLineTag, or during a sweep of several positions those of the position a thread cuts (the
// positions of one sweep may belong to several NC blocks); and that position's index in the sweep.
static thread_local const unsigned char* t_CutColour = g_CutColour;
static thread_local const int32_t* t_CutLineTag = g_CutLineTag;
static thread_local int t_PositionIndex = 0;

namespace {

const int kMaxCandidateEnds = 16;                           // candidate intervals of one ray phase
const int kScratchEnds = DEXEL_MAX_ENDS + kMaxCandidateEnds + 2;
const double kJoinGap = 1e-9;                               // intervals this close become one
// A body interval shorter than this removes nothing: a ray that only touches the tool would
// otherwise be split by a gap of rounding size at every position that touches it.
const double kMinChord = 1e-6;

// Working values of one thread that cuts (worker 0 is the calling thread): a copy of one ray, the
// pieces of one subtraction, the display blocks it changed and its check results.
// Each thread's on its own cache lines.
struct alignas(64) CutScratch {
    double ends[kScratchEnds];
    uint8_t attributes[kScratchEnds];
    int32_t values[kScratchEnds];
    double pieces[kScratchEnds];
    std::vector<uint8_t> marks;  // one byte per display block of the work
    bool marked;                 // some mark is set
    size_t markLow, markHigh;    // the marks set lie in [markLow, markHigh)
    // The box of display blocks this thread marked last (valid while its marks are kept): the
    // cross block ranges of one family and the ray coordinates whose blocks lie in its ray-axis
    // range, so that a span of a neighbouring ray inside it is not marked again.
    struct MarkedBox {
        const DexelDirectionBlock* block;  // null: none
        int first1, last1, first2, last2;
        double low, high;
        int rayFirst, rayLast;  // the ray-axis blocks whose coordinates low, high are
        // The rays whose cross blocks lie in the box: cross 1 indices near1 .. near1 + span1,
        // cross 2 likewise (not found yet: near -1, span 0; found when a ray in it is marked).
        int near1, span1, near2, span2;
    } lastBox;
    // The last few distinct boxes this thread marked while its marks are kept (lastBox among
    // them): rows cross the same block columns and pieces the same block layers, so a piece that
    // misses the box marked last often lies in one marked before it.
    static constexpr int kRecentBoxes = 8;
    MarkedBox recentBoxes[kRecentBoxes];
    int recentCount, recentNext;
    CutCheckResults checks;
    int unstoredRays;            // rays this thread could not store (past the most ends a ray holds)
    int unstoredPosition;        // the first position (index in its sweep) of one of them
    int32_t unstoredTag;         // and that position's line tag
};

std::vector<std::unique_ptr<CutScratch>> s_Scratches;

// Forgets the boxes a thread marked: its marks were merged, cleared or made anew.
inline void ForgetMarkedBoxes(CutScratch* scratch)
{
    scratch->lastBox.block = nullptr;
    scratch->recentCount = 0;
    scratch->recentNext = 0;
}

// The recent box of block b that holds a span low .. high of a ray whose cross blocks are
// l1 .. u1 and l2 .. u2 (null: none): every block the span's marking would set is set already.
inline const CutScratch::MarkedBox* FindMarkedBox(const CutScratch* scratch, const DexelDirectionBlock* b, int l1,
                                                  int u1, int l2, int u2, double low, double high)
{
    for (int k = 0; k < scratch->recentCount; k++) {
        const CutScratch::MarkedBox& box = scratch->recentBoxes[k];
        if (box.block == b && low >= box.low && high <= box.high && l1 >= box.first1 && u1 <= box.last1 &&
            l2 >= box.first2 && u2 <= box.last2)
            return &box;
    }
    return nullptr;
}

// Adds the box marked last to the recent ones where it is not among them, the oldest giving way.
inline void NoteLastMarkedBox(CutScratch* scratch)
{
    const CutScratch::MarkedBox& box = scratch->lastBox;
    for (int k = 0; k < scratch->recentCount; k++) {
        const CutScratch::MarkedBox& b = scratch->recentBoxes[k];
        if (b.block == box.block && b.first1 == box.first1 && b.last1 == box.last1 && b.first2 == box.first2 &&
            b.last2 == box.last2 && b.low == box.low && b.high == box.high)
            return;
    }
    scratch->recentBoxes[scratch->recentNext] = box;
    scratch->recentNext = (scratch->recentNext + 1) % CutScratch::kRecentBoxes;
    scratch->recentCount = std::min(scratch->recentCount + 1, CutScratch::kRecentBoxes);
}

// A summary of the Z-rays' material tops: per ray a float at or above its highest end (rounded
// toward +inf; -inf for an empty ray), four bytes beside each ray's count where its ends take a
// cache line of their own. A tool along +Z leaves every ray whose summary its tip or its sphere's
// lower crossing already clears without loading the ray. The kernel's cuts, which never raise a
// top, set the entry of every ray they store; any other change of ray storage moves the storage
// generation, and the summary is built anew at the next sweep.
// The family arrays and storage generation a summary of rays was made for: it holds while they are
// the block's and nothing outside the kernel changed ray storage since.
struct SummaryStamp {
    const int32_t* counts = nullptr;
    const double* ends = nullptr;
    int64_t rayCount = 0;
    int capacity = 0;
    uint64_t generation = 0;  // GetDexelStorageGeneration() when made
};

inline bool StampHolds(const SummaryStamp& stamp, const DexelDirectionBlock* block, int64_t rays, uint64_t generation)
{
    return stamp.counts == block->counts && stamp.ends == block->ends && stamp.rayCount == rays &&
           stamp.capacity == block->capacity && stamp.generation == generation;
}

inline SummaryStamp StampOf(const DexelDirectionBlock* block, int64_t rays, uint64_t generation)
{
    return SummaryStamp{block->counts, block->ends, rays, block->capacity, generation};
}

struct TopSummary {
    std::vector<float> tops;
    SummaryStamp stamp;
};
TopSummary s_ZTopSummary;
// The counts of the family whose rays the summary describes during a sweep (null: none; the
// workers cut copies of the blocks, so the family is known by its arrays), and its entries.
const int32_t* s_SummaryCounts = nullptr;
float* s_SummaryTops = nullptr;
// Moved on by every sweep before its threads start: values a thread finds once per position of a
// sweep are known by it and the position's index.
uint64_t s_SweepSerial = 0;

// The least float at or above top (NaN stays NaN, so every comparison with it fails). Branch-free
// for the usual positive top: the nearest float, one step up when it lies below.
inline float TopBound(double top)
{
    if (top > 0.0 && top < double(FLT_MAX)) {
        float bound = float(top);
        uint32_t bits;
        std::memcpy(&bits, &bound, sizeof bits);
        bits += uint32_t(double(bound) < top);
        std::memcpy(&bound, &bits, sizeof bound);
        return bound;
    }
    if (top >= double(FLT_MAX)) return HUGE_VALF;
    if (top < -double(FLT_MAX)) return -FLT_MAX;
    if (!(top == top)) return NAN;
    // Zero or negative: the nearest float, toward zero by one step when it lies below.
    float bound = float(top);
    if (double(bound) < top) {
        uint32_t bits;
        std::memcpy(&bits, &bound, sizeof bits);
        bits -= 1;  // bound < top <= 0: bound is negative and nonzero
        std::memcpy(&bound, &bits, sizeof bound);
    }
    return bound;
}

inline float RayTopBound(const DexelDirectionBlock* b, int d)
{
    const int n = b->counts[d];
    if (n <= 0) return -HUGE_VALF;
    return TopBound(GetDexelEndsPointer(d, b->capacity, b->counts, b->ends)[n - 1]);
}

// Makes the summary describe the Z block's current rays (building it when the storage changed
// since) and hangs it on the block for the sweep that follows.
void AttachTopSummary(const DexelDirectionBlock* block)
{
    s_SummaryCounts = nullptr;
    s_SummaryTops = nullptr;
    if (!block || block->rayAxis != 2 || !block->counts || !block->ends) return;
    const int64_t rays = int64_t(block->crossNodeCount1) * block->crossNodeCount2;
    TopSummary& summary = s_ZTopSummary;
    const uint64_t generation = GetDexelStorageGeneration();
    if (!StampHolds(summary.stamp, block, rays, generation)) {
        summary.stamp = SummaryStamp{};
        summary.tops.resize(size_t(rays));
        for (int64_t d = 0; d < rays; d++) summary.tops[size_t(d)] = RayTopBound(block, int(d));
        summary.stamp = StampOf(block, rays, generation);
    }
    s_SummaryCounts = block->counts;
    s_SummaryTops = summary.tops.data();
}

// A summary of the X- and Y-rays' material gaps: per ray two floats bounding one stretch that
// holds no material (rounded inward; +inf, -inf where none is known), set where a sweep across a
// tool's axis loaded the ray and left it. The kernel's cuts only remove material, so a stretch
// once empty stays empty; any other change of ray storage moves the storage generation, and the
// summary starts anew (knowing nothing) at the next sweep. A ray whose known empty stretch holds
// the tool's chords is left without loading its ends.
struct GapSummary {
    std::vector<float> gaps;  // per ray: low, high
    SummaryStamp stamp;
};
GapSummary s_GapSummaries[2];
// Per family (X, Y) during a sweep: the counts the summary describes (null: none) and its entries.
const int32_t* s_GapCounts[2] = {nullptr, nullptr};
float* s_GapEntries[2] = {nullptr, nullptr};

// The greatest float at or below x (-inf for NaN, which then never bounds a gap).
inline float FloatAtOrBelow(double x)
{
    if (!(x == x)) return -HUGE_VALF;
    return -TopBound(-x);
}

// Makes the gap summary describe the X or Y block's current rays (starting anew when the storage
// changed since) and hangs it on the block for the sweep that follows.
void AttachGapSummary(const DexelDirectionBlock* block)
{
    if (!block || (block->rayAxis != 0 && block->rayAxis != 1)) return;
    const int f = block->rayAxis;
    s_GapCounts[f] = nullptr;
    s_GapEntries[f] = nullptr;
    if (!block->counts || !block->ends) return;
    const int64_t rays = int64_t(block->crossNodeCount1) * block->crossNodeCount2;
    GapSummary& summary = s_GapSummaries[f];
    const uint64_t generation = GetDexelStorageGeneration();
    if (!StampHolds(summary.stamp, block, rays, generation)) {
        summary.stamp = SummaryStamp{};
        summary.gaps.resize(size_t(2 * rays));
        for (int64_t d = 0; d < rays; d++) {
            summary.gaps[size_t(2 * d)] = HUGE_VALF;
            summary.gaps[size_t(2 * d + 1)] = -HUGE_VALF;
        }
        summary.stamp = StampOf(block, rays, generation);
    }
    s_GapCounts[f] = block->counts;
    s_GapEntries[f] = summary.gaps.data();
}

// One ray being cut.
struct RayContext {
    DexelDirectionBlock* block;
    DexelSweepState* state;
    CutScratch* scratch;  // of the thread that cuts the ray
    double* volume;       // where a section stamp adds its removed volume
    std::vector<double>* volumeTerms;  // where the body sweep lists its removed volumes
    int* endCount;        // where the removed ends are counted
    int i1, i2;           // node indices along the cross axes
    int index;            // ray index in the family
    double c1, c2;        // cross coordinates
    double area;          // area weight
    double plane;         // n . (ray point at t = 0) - n . tip: the tip plane's value along the ray
    float* top;           // the ray's entry in the top summary (null: none)
    const ToolFrameAxis* frameAxis;  // the axis values of the ray's row (null: found per ray)
};

// A short list of intervals (ascending, disjoint or touching) as plain ends.
struct IntervalList {
    double ends[kMaxCandidateEnds];
    int count = 0;
};

inline void AddInterval(IntervalList* list, double a, double b)
{
    if (list->count + 2 > kMaxCandidateEnds) return;
    list->ends[list->count++] = a;
    list->ends[list->count++] = b;
}

// Hull join of [a, b] into the list's single hull (the list becomes one interval).
void JoinHull(IntervalList* list, double a, double b)
{
    if (list->count == 0) {
        AddInterval(list, a, b);
        return;
    }
    double lo = list->ends[0] < a ? list->ends[0] : a;
    double hi = list->ends[list->count - 1] > b ? list->ends[list->count - 1] : b;
    list->count = 2;
    list->ends[0] = lo;
    list->ends[1] = hi;
}

// The join rule of two intervals P and Q into out (one or two intervals, ordered by start).
void JoinRule(const double P[2], const double Q[2], IntervalList* out)
{
    out->count = 0;
    if (Q[0] >= P[0] && Q[1] <= P[1]) {  // Q inside P
        AddInterval(out, P[0], P[1]);
    } else if (P[0] >= Q[0] && P[1] <= Q[1]) {  // P inside Q
        AddInterval(out, Q[0], Q[1]);
    } else if (P[0] <= Q[0] && P[0] < Q[1] && Q[0] - P[1] < kJoinGap) {
        AddInterval(out, P[0], Q[1]);
    } else if (Q[0] <= P[0] && Q[0] < P[1] && P[0] - Q[1] < kJoinGap) {
        AddInterval(out, Q[0], P[1]);
    } else if (P[0] <= Q[0]) {
        AddInterval(out, P[0], P[1]);
        AddInterval(out, Q[0], Q[1]);
    } else {
        AddInterval(out, Q[0], Q[1]);
        AddInterval(out, P[0], P[1]);
    }
}

// Row flags: -1 untested in the row, 0 hit, 1 left after a hit (not tested again in the row).
inline void UpdateRowFlag(int* flag, bool hit)
{
    if (hit)
        *flag = 0;
    else if (*flag == 0)
        *flag = 1;
}

// Sphere chord of the ray at cross coordinates (c1, c2): q the squared cross distance from the
// centre.
int IntersectSphere(const double C[3], double R, double c1, double c2, double t[2])
{
    const double e1 = C[0] - c1;
    const double e2 = C[1] - c2;
    const double q = e1 * e1 + e2 * e2;
    if (!(q < R * R)) return 0;
    const double root = std::sqrt(R * R - q);
    t[0] = C[2] - root;
    t[1] = C[2] + root;
    return 2;
}

inline int IntersectSphere(const double C[3], double R, const RayContext& ray, double t[2])
{
    return IntersectSphere(C, R, ray.c1, ray.c2, t);
}

// The tool values the sweep reads, gathered once per sweep.
struct ToolShape {
    int type;
    double r;        // cornerRadius as stored (sign matters)
    double h;        // cutting length
    double d;        // diameter
    double e, f;     // cornerCentreRadius, cornerCentreHeight of the record
    double T1, c2, D2;
    double L2;       // cutting-edge length of the length record
    int lengthKind;
    const ToolCutGeometry* g;
    double bodyReach;  // no solid of the body lies farther from the axis (bodies the sweep bounds)
    // Height of the corner torus's bounding cylinder for a ray that meets the column: the column
    // holds every torus point a quarter of the corner radius above the corner's centres with a
    // margin, so only the torus below can reach beyond the column. Twice the corner radius
    // (the whole torus) where the column does not cover it.
    double cornerBoundHeight;
};

// The farthest that any solid of a ball, flat, vertical or general tool with r >= 0 reaches from
// its axis: the largest radius of each of them.
double ComputeBodyReach(const ToolShape& s)
{
    const ToolCutGeometry& g = *s.g;
    double reach = std::max({g_CutBoundRadius, s.d / 2.0, g.maxCuttingRadius, g.cornerRadius,
                             g.bottomEdgeRadius + g.cornerRadius, g.cornerCentreOffset + g.cornerRadius,
                             g.sideStartRadius, g.tipFlatRadius, g.ovalRadialSemiAxis, g.cuttingTopRadius});
    if (g.bottomConeTangent > 0.0) reach = std::max(reach, g.tipFlatRadius + g.bottomConeHeight / g.bottomConeTangent);
    if (g.sideCotangent > 0.0)
        reach = std::max(reach, g.sideStartRadius + (g.sideEndHeight - g.sideStartHeight) / g.sideCotangent);
    if (g.hasShank) reach = std::max(reach, g.shankRadius);
    return reach;
}

// Height of the top of the column that IntersectColumn cuts (unbounded for the open column).
double ColumnTopHeight(const ToolShape& s)
{
    const ToolCutGeometry& g = *s.g;
    if (g.cuttingTopRadius > g.neckRadius) return s.L2;
    if (g.cuttingTopRadius != g.shankRadius) return s.h;
    return HUGE_VAL;
}

// Height of the corner torus's bounding cylinder for a ray that meets the column (see ToolShape).
// A torus point a quarter corner radius r above the corner centres lies at most
// r sqrt(15 / 16) beyond the corner's centre circle, so at least 0.03 r inside a column of radius
// >= the corner's outer radius that starts at or below the centres and ends above the torus.
double ComputeCornerBoundHeight(const ToolShape& s)
{
    const ToolCutGeometry& g = *s.g;
    const double r = g.cornerRadius;
    const double whole = 2.0 * r;
    if (!(r >= 1e-3) || !(g_CutBoundRadius >= g.bottomEdgeRadius + r) || !(g.sideEndHeight <= g.cornerCentreHeight) ||
        !(ColumnTopHeight(s) >= g.cornerCentreHeight + r))
        return whole;
    return 1.25 * r;
}

ToolShape ReadToolShape()
{
    ToolShape s;
    s.type = g_CurrentTool.type;
    s.r = g_CurrentTool.cornerRadius;
    s.h = g_CurrentTool.cuttingLength;
    s.d = g_CurrentTool.diameter;
    s.e = g_CurrentTool.cornerCentreRadius;
    s.f = g_CurrentTool.cornerCentreHeight;
    s.T1 = g_CurrentTool.headLength;
    s.c2 = g_CurrentTool.secondRadius;
    s.D2 = g_CurrentTool.topDiameter;
    s.L2 = g_CurrentToolLengthRecord.lengths[1];
    s.lengthKind = g_CurrentToolLengthRecord.kind;
    s.g = &g_ToolCut;
    s.bodyReach = ComputeBodyReach(s);
    s.cornerBoundHeight = ComputeCornerBoundHeight(s);
    return s;
}

// Point tip + n x height in the block's axis order.
inline void PointOnAxis(const DexelSweepState* state, double height, double out[3])
{
    for (int k = 0; k < 3; k++) out[k] = state->basePoint[k] + state->axisVector[k] * height;
}

// --- Per-ray set-up and subtraction ------------------------------------------------------------

inline void SetUpRay(RayContext* ray, DexelDirectionBlock* block, int i1, int i2, CutScratch* scratch,
              double* volume, std::vector<double>* volumeTerms, int* endCount)
{
    ray->block = block;
    ray->state = block->sweep;
    ray->scratch = scratch;
    ray->volume = volume;
    ray->volumeTerms = volumeTerms;
    ray->endCount = endCount;
    ray->i1 = i1;
    ray->i2 = i2;
    ray->index = i1 + i2 * block->crossNodeCount1;
    ray->c1 = block->crossCoordinates1[i1];
    ray->c2 = block->crossCoordinates2[i2];
    double area = block->pitch * block->pitch;
    if (i1 == 0 || i1 == block->crossCellCount1) area *= 0.5;
    if (i2 == 0 || i2 == block->crossCellCount2) area *= 0.5;
    ray->area = area;
    ray->plane = g_ToolAxisPlane[block->crossAxis1] * ray->c1 + g_ToolAxisPlane[block->crossAxis2] * ray->c2 +
                 g_ToolAxisPlane[3];
    ray->top = block->counts == s_SummaryCounts ? s_SummaryTops + ray->index : nullptr;
    ray->frameAxis = nullptr;
}

// SetUpRay's values that every ray of a row shares.
struct RowRayValues {
    int indexBase;      // index of the row's ray 0
    double area;        // the area weight before the halving at the row's own ends
    double plane1, plane2c2, plane3;  // the tip plane's terms: plane1 c1 + plane2c2 + plane3
    float* tops;        // the row's entries in the top summary (null: none)
};

inline RowRayValues GetRowRayValues(const DexelDirectionBlock* block, int i2)
{
    RowRayValues row;
    row.indexBase = i2 * block->crossNodeCount1;
    // Halving is exact, so halving for the row first gives SetUpRay's value.
    row.area = block->pitch * block->pitch;
    if (i2 == 0 || i2 == block->crossCellCount2) row.area *= 0.5;
    row.plane1 = g_ToolAxisPlane[block->crossAxis1];
    row.plane2c2 = g_ToolAxisPlane[block->crossAxis2] * block->crossCoordinates2[i2];
    row.plane3 = g_ToolAxisPlane[3];
    row.tops = block->counts == s_SummaryCounts ? s_SummaryTops + row.indexBase : nullptr;
    return row;
}

// SetUpRay for ray i1 of a ray already set up for a ray of the same row: only the values that
// differ from ray to ray, found as SetUpRay finds them.
inline void SetUpRayOfRow(RayContext* ray, const RowRayValues& row, const DexelDirectionBlock* block, int i1)
{
    ray->i1 = i1;
    ray->index = row.indexBase + i1;
    ray->c1 = block->crossCoordinates1[i1];
    double area = row.area;
    if (i1 == 0 || i1 == block->crossCellCount1) area *= 0.5;
    ray->area = area;
    ray->plane = row.plane1 * ray->c1 + row.plane2c2 + row.plane3;
    ray->top = row.tops ? row.tops + i1 : nullptr;
}

// The ray's quadratic about tip T where the axis n serves it (SetUpToolFrameRayIfTilted), else
// nullptr; from the row's axis values where the sweep found them.
inline const ToolFrameRay* SetUpRayFrame(const RayContext& ray, const double T[3], const double n[3],
                                         ToolFrameRay* frame)
{
    if (!ray.frameAxis) return SetUpToolFrameRayIfTilted(T, n, ray.c1, ray.c2, frame);
    if (!ray.frameAxis->usable) return nullptr;
    SetUpToolFrameRayOnAxis(*ray.frameAxis, T, n, ray.c1, ray.c2, frame);
    return frame;
}

// Height of ray point t above the tip plane (times |n|).
inline double HeightAboveTip(int rayAxis, double rayPlane, double t)
{
    return std::fabs(g_ToolAxisPlane[rayAxis] * t + rayPlane);
}

// The colour pair of one candidate of the tool body (feed-move rule, paint bits) on the ray of
// block b at (c1, c2) whose tip plane value is plane.
inline void ChooseBodyColourOnRay(const DexelDirectionBlock* b, double plane, double c1, double c2, double t0,
                                  double t1, bool verticalSingle, uint8_t colour[2])
{
    colour[0] = t_CutColour[0];
    colour[1] = t_CutColour[1];
    if (g_MotionKind <= 0) return;
    colour[0] = colour[1] = g_ToolPenAttribute;
    if (!g_CycleRapidInHole) TestPointsAgainstPlaneBand(b->rayAxis, plane, t0, t1, colour);
    if (verticalSingle) TestPointsAgainstCylinder(b->crossAxis1, b->crossAxis2, b->rayAxis, c1, c2, t0, t1, colour);
}

inline void ChooseBodyColour(const RayContext& ray, double t0, double t1, bool verticalSingle,
                      uint8_t colour[2])
{
    ChooseBodyColourOnRay(ray.block, ray.plane, ray.c1, ray.c2, t0, t1, verticalSingle, colour);
}

// The colour ChooseBodyColour gives end side (0: an exit at t, 1: an entry at t) of a candidate of
// a tool that is not vertical single.
inline uint8_t ChooseBodyEndColour(const RayContext& ray, double t, int side)
{
    if (g_MotionKind <= 0) return t_CutColour[side];
    uint8_t colour = g_ToolPenAttribute;
    if (!g_CycleRapidInHole && HeightAboveTip(ray.block->rayAxis, ray.plane, t) > g_ToolAxisPlane[5]) colour |= 1;
    return colour;
}

// The settings every in-place cut of a ray reads, read once for a run of rays: read where they are
// used, they are loaded again after each store into a ray's attributes (which may alias them).
struct BodyCutConstants {
    uint8_t cutColour[2];
    uint8_t penAttribute;
    bool feed;      // feed-move colouring
    bool bandTest;  // the height band sets bit 0 of the colour
    bool heightCheck, chipCheck;
    int32_t lineTag[2];
    double band;
};

inline void ReadBodyCutConstants(BodyCutConstants* c)
{
    c->cutColour[0] = t_CutColour[0];
    c->cutColour[1] = t_CutColour[1];
    c->penAttribute = g_ToolPenAttribute;
    c->feed = g_MotionKind > 0;
    c->bandTest = !g_CycleRapidInHole;
    c->heightCheck = g_HeightCheck > 0;
    c->chipCheck = g_ChipWidthCheck > 0;
    c->lineTag[0] = t_CutLineTag[0];
    c->lineTag[1] = t_CutLineTag[1];
    c->band = g_ToolAxisPlane[5];
}

// ChooseBodyEndColour with the settings read before.
inline uint8_t ChooseBodyEndColourWith(const BodyCutConstants& c, const RayContext& ray, double t, int side)
{
    if (!c.feed) return c.cutColour[side];
    uint8_t colour = c.penAttribute;
    if (c.bandTest && HeightAboveTip(ray.block->rayAxis, ray.plane, t) > c.band) colour |= 1;
    return colour;
}

// Where one ray is edited: its own slots or separate arrays when the growth fits them, else the
// scratch copy.
struct RayEdit {
    double* ends;
    uint8_t* attributes;
    int32_t* values;
    int count;
    int oldCount;
    bool inPlace;
    bool changed;
};

void BeginRayEdit(const RayContext& ray, int growth, RayEdit* edit)
{
    DexelDirectionBlock* b = ray.block;
    const int d = ray.index;
    const int c = b->capacity;
    edit->count = b->counts[d];
    edit->oldCount = edit->count;
    edit->changed = false;
    const int room = edit->count > c ? GetDexelSeparateCapacity(edit->count) : c;
    edit->inPlace = growth <= DEXEL_MAX_ENDS - edit->count && edit->count + growth <= room;
    double* ends = GetDexelEndsPointer(d, c, b->counts, b->ends);
    uint8_t* attributes = GetDexelAttributesPointer(d, c, b->counts, b->ends, b->attributes);
    int32_t* values = GetDexelValuesPointer(d, c, b->counts, b->values);
    if (edit->inPlace) {
        edit->ends = ends;
        edit->attributes = attributes;
        edit->values = values;
        return;
    }
    int n = edit->count;
    if (n > DEXEL_MAX_ENDS) n = DEXEL_MAX_ENDS;
    CutScratch* scratch = ray.scratch;
    std::memcpy(scratch->ends, ends, size_t(n) * sizeof(double));
    std::memcpy(scratch->attributes, attributes, size_t(n));
    std::memcpy(scratch->values, values, size_t(n) * sizeof(int32_t));
    edit->count = n;
    edit->ends = scratch->ends;
    edit->attributes = scratch->attributes;
    edit->values = scratch->values;
}

void FinishRayEdit(const RayContext& ray, RayEdit* edit)
{
    DexelDirectionBlock* b = ray.block;
    if (!edit->changed) return;
    const int c = b->capacity;
    // Edited in its own storage: only the count changes, unless a ray held in separate arrays
    // leaves their size class (StoreDexel then moves it, reading it where it was edited).
    if (edit->inPlace && (edit->oldCount <= c || (edit->count > c && GetDexelSeparateCapacity(edit->count) ==
                                                                          GetDexelSeparateCapacity(edit->oldCount)))) {
        b->counts[ray.index] = edit->count;
        if (ray.top) *ray.top = RayTopBound(b, ray.index);
        return;
    }
    // A ray that would outgrow the most ends a ray may hold keeps its old list; the run is told.
    const int stored = StoreDexelKeepingGeneration(ray.index, b->capacity, b->counts, b->ends, b->attributes,
                                                   b->values, edit->ends, edit->attributes, edit->values,
                                                   edit->count);
    if (ray.top) *ray.top = RayTopBound(b, ray.index);
    if (!stored) {
        CutScratch* scratch = ray.scratch;
        if (scratch->unstoredRays++ == 0 || t_PositionIndex < scratch->unstoredPosition) {
            scratch->unstoredPosition = t_PositionIndex;
            scratch->unstoredTag = t_CutLineTag[0];
        }
    }
}

// Ray coordinates whose display blocks along the ray axis lie in first .. last, as the marking
// finds them (node index by truncation, the block below a node only for a span starting exactly
// on it): from half a pitch above the first node of block `first` (unbounded for block 0) to half
// a pitch above the last node whose upper block is `last` (unbounded for the last block). The
// half pitch covers the rounding of the node index.
void GetBlockRangeCoordinates(const DexelDirectionBlock* b, int first, int last, double* low, double* high)
{
    const WorkModel* work = b->work;
    const int axis = b->rayAxis;
    const int32_t* upper = axis == 0 ? work->upperBlockX : axis == 1 ? work->upperBlockY : work->upperBlockZ;
    const int blocks = axis == 0 ? work->blocksX : axis == 1 ? work->blocksY : work->blocksZ;
    const double origin = axis == 0 ? work->originX : axis == 1 ? work->originY : work->originZ;
    const int nodes = b->rayNodeCount;
    *low = -HUGE_VAL;
    *high = HUGE_VAL;
    if (!upper || nodes < 1) {
        *low = HUGE_VAL;  // nothing known: no span is inside
        return;
    }
    if (first > 0) {
        const int node = int(std::lower_bound(upper, upper + nodes, first) - upper);
        *low = node < nodes ? origin + node * b->pitch + 0.5 * b->pitch : HUGE_VAL;
    }
    if (last < blocks - 1) {
        const int node = int(std::upper_bound(upper, upper + nodes, last) - upper) - 1;
        *high = node >= 0 ? origin + node * b->pitch + 0.5 * b->pitch : -HUGE_VAL;
    }
}

// The ray-axis block range that the marking gives a span (as MarkChangedBlocksInto computes it).
void GetSpanBlocks(const DexelDirectionBlock* b, double start, double end, int* first, int* last)
{
    const WorkModel* work = b->work;
    const int axis = b->rayAxis;
    const int32_t* lower = axis == 0 ? work->lowerBlockX : axis == 1 ? work->lowerBlockY : work->lowerBlockZ;
    const int32_t* upper = axis == 0 ? work->upperBlockX : axis == 1 ? work->upperBlockY : work->upperBlockZ;
    const int blocks = axis == 0 ? work->blocksX : axis == 1 ? work->blocksY : work->blocksZ;
    const double origin = axis == 0 ? work->originX : axis == 1 ? work->originY : work->originZ;
    const int nodes = b->rayNodeCount;
    auto nodeIndex = [&](double x) {
        const double index = std::trunc((x - origin) / b->pitch);
        if (!(index >= 0.0)) return 0;
        if (index > double(nodes - 1)) return nodes - 1;
        return int(index);
    };
    const int nodeFirst = nodeIndex(start);
    const int nodeLast = nodeIndex(end);
    const bool onNode = b->rayCoordinates ? start == b->rayCoordinates[nodeFirst]
                                          : start == origin + nodeFirst * b->pitch;
    *first = std::max(onNode ? lower[nodeFirst] : upper[nodeFirst], 0);
    *last = std::min(upper[nodeLast], blocks - 1);
}

// Sets the rays of block b whose cross blocks lie in box, the last box of scratch, there and in
// its copy among the recent boxes: the node blocks grow with the node index, so they are the
// nodes from the first whose lower block is the box's first to the last whose upper block is its
// last, along each cross axis.
void SetMarkedBoxRays(CutScratch* scratch, const DexelDirectionBlock* b, CutScratch::MarkedBox* box)
{
    const int32_t *lower1 = b->crossLowerBlock1, *upper1 = b->crossUpperBlock1;
    const int32_t *lower2 = b->crossLowerBlock2, *upper2 = b->crossUpperBlock2;
    const int n1 = b->crossNodeCount1, n2 = b->crossNodeCount2;
    const int low1 = int(std::lower_bound(lower1, lower1 + n1, box->first1) - lower1);
    const int high1 = int(std::upper_bound(upper1, upper1 + n1, box->last1) - upper1) - 1;
    const int low2 = int(std::lower_bound(lower2, lower2 + n2, box->first2) - lower2);
    const int high2 = int(std::upper_bound(upper2, upper2 + n2, box->last2) - upper2) - 1;
    if (low1 > high1 || low2 > high2) return;
    box->near1 = low1;
    box->span1 = high1 - low1;
    box->near2 = low2;
    box->span2 = high2 - low2;
    for (int k = 0; k < scratch->recentCount; k++) {
        CutScratch::MarkedBox& r = scratch->recentBoxes[k];
        if (r.block == box->block && r.first1 == box->first1 && r.last1 == box->last1 &&
            r.first2 == box->first2 && r.last2 == box->last2) {
            r.near1 = box->near1;
            r.span1 = box->span1;
            r.near2 = box->near2;
            r.span2 = box->span2;
        }
    }
}

// Marks the display blocks of the pieces in the thread's own marks (merged after the sweep). A
// span whose blocks lie in a box this thread marked recently is passed over: marks are only set.
void MarkRayBlocksOutsideBox(const RayContext& ray, const double* pieces, int pieceEnds);

// MarkRayBlocks for ray (i1, i2) of block b cut by the thread of scratch.
inline void MarkRayBlocksAt(DexelDirectionBlock* b, CutScratch* scratch, int i1, int i2, const double* pieces,
                            int pieceEnds)
{
    // Most changed rays of a row fall in the box marked last: tested on the span first, then on
    // the ray's cross blocks, before anything else is read.
    if (pieceEnds < 1) return;
    const CutScratch::MarkedBox& box = scratch->lastBox;
    if (box.block == b && pieces[0] >= box.low && pieces[pieceEnds - 1] <= box.high &&
        uint32_t(i1 - box.near1) <= uint32_t(box.span1) && uint32_t(i2 - box.near2) <= uint32_t(box.span2))
        return;
    RayContext ray{};
    ray.block = b;
    ray.scratch = scratch;
    ray.i1 = i1;
    ray.i2 = i2;
    MarkRayBlocksOutsideBox(ray, pieces, pieceEnds);
}

inline void MarkRayBlocks(const RayContext& ray, const double* pieces, int pieceEnds)
{
    MarkRayBlocksAt(ray.block, ray.scratch, ray.i1, ray.i2, pieces, pieceEnds);
}

void MarkRayBlocksOutsideBox(const RayContext& ray, const double* pieces, int pieceEnds)
{
    DexelDirectionBlock* b = ray.block;
    const int l1 = b->crossLowerBlock1[ray.i1], u1 = b->crossUpperBlock1[ray.i1];
    const int l2 = b->crossLowerBlock2[ray.i2], u2 = b->crossUpperBlock2[ray.i2];
    CutScratch* scratch = ray.scratch;
    if (scratch->marks.empty()) return;
    CutScratch::MarkedBox& box = scratch->lastBox;
    const double start = pieces[0], end = pieces[pieceEnds - 1];
    // A span in a box marked before sets nothing new; that box becomes the one tested first.
    if (const CutScratch::MarkedBox* known = FindMarkedBox(scratch, b, l1, u1, l2, u2, start, end)) {
        box = *known;
        // Its rays are found once, for the test of the rays that follow.
        if (box.near1 < 0) SetMarkedBoxRays(scratch, b, &box);
        return;
    }
    const WorkModel* work = b->work;
    MarkChangedBlocksInto(work, scratch->marks.data(), b->rayAxis, l1, u1, l2, u2, pieces, pieceEnds);
    scratch->marked = true;
    // The box marked last of the same block and ray-axis blocks already holds their coordinates.
    const CutScratch::MarkedBox previous = box;
    box.block = nullptr;
    if (!work->lowerBlockX || !work->lowerBlockY || !work->lowerBlockZ) {
        scratch->markLow = 0;
        scratch->markHigh = scratch->marks.size();
        return;
    }
    int first, last;
    GetSpanBlocks(b, start, end, &first, &last);
    if (first > last) return;
    // The marked box's first and last block indices bound every index in it.
    int low[3], high[3];
    const int blocks[3] = {work->blocksX, work->blocksY, work->blocksZ};
    low[b->rayAxis] = first;
    high[b->rayAxis] = last;
    low[b->crossAxis1] = std::max(l1, 0);
    high[b->crossAxis1] = std::min(u1, blocks[b->crossAxis1] - 1);
    low[b->crossAxis2] = std::max(l2, 0);
    high[b->crossAxis2] = std::min(u2, blocks[b->crossAxis2] - 1);
    if (low[0] > high[0] || low[1] > high[1] || low[2] > high[2]) return;
    scratch->markLow = std::min(scratch->markLow, size_t(GetDisplayBlockIndex(work, low[0], low[1], low[2])));
    scratch->markHigh =
        std::max(scratch->markHigh, size_t(GetDisplayBlockIndex(work, high[0], high[1], high[2])) + 1);
    box = CutScratch::MarkedBox{b, l1, u1, l2, u2, 0.0, 0.0, first, last, -1, 0, -1, 0};
    if (previous.block == b && previous.rayFirst == first && previous.rayLast == last) {
        box.low = previous.low;
        box.high = previous.high;
    } else {
        GetBlockRangeCoordinates(b, first, last, &box.low, &box.high);
    }
    NoteLastMarkedBox(scratch);
}

// Lists the volume terms of one subtraction in the order the subtraction added them: its volume
// when it removed one piece, else each piece's length x area (a subtraction of several pieces
// adds exactly those; only a single piece may be a trimmed sliver whose volume is not its length).
// Summed later in the order of the rays, they give the sum a sweep on one thread would give.
void ListVolumeTerms(const RayContext& ray, double volume, const double* pieces, int pieceEnds)
{
    if (pieceEnds == 2) {
        ray.volumeTerms->push_back(volume);
        return;
    }
    for (int k = 0; k + 1 < pieceEnds; k += 2) ray.volumeTerms->push_back((pieces[k + 1] - pieces[k]) * ray.area);
}

// Index of the first of the n material ends' intervals whose exit lies above a (n when none): a
// scan for short rays, a binary search over the exits of long ones.
int SearchFirstMaterialExitAbove(const double* material, int n, double a);

inline int FindFirstMaterialExitAbove(const double* material, int n, double a)
{
    if (n <= 16) {
        int j = 0;
        while (j < n && material[j + 1] <= a) j += 2;
        return j;
    }
    return SearchFirstMaterialExitAbove(material, n, a);
}

// The binary search of FindFirstMaterialExitAbove (kept out of line: the scan is what most rays take).
int SearchFirstMaterialExitAbove(const double* material, int n, double a)
{
    int low = 0, high = n / 2;  // interval indices
    while (low < high) {
        const int middle = (low + high) / 2;
        if (material[2 * middle + 1] <= a)
            low = middle + 1;
        else
            high = middle;
    }
    return 2 * low;
}

// True when the ray has material with an exit above a and an entry below b: what a subtraction of
// [a, b] would remove something from.
inline bool MaterialBetween(const double* material, int n, double a, double b)
{
    if (!(a < b) || !(b > material[0]) || !(a < material[n - 1])) return false;
    const int j = FindFirstMaterialExitAbove(material, n, a);
    return j < n && material[j] < b;
}

// The index of FindFirstMaterialExitAbove(material, n, a) from j, that of a point p: the scan goes
// down from j where a <= p, up from it otherwise (most rays find it at j or next to it).
inline int FindFirstMaterialExitAboveFrom(const double* material, int n, double a, double p, int j)
{
    if (a <= p) {
        while (j >= 2 && material[j - 1] > a) j -= 2;
    } else {
        while (j < n && material[j + 1] <= a) j += 2;
    }
    return j;
}

// MaterialBetween with the search started from the index j of a point p
// (FindFirstMaterialExitAbove(material, n, p)).
inline bool MaterialBetweenFrom(const double* material, int n, double a, double b, double p, int j)
{
    if (!(a < b) || !(b > material[0]) || !(a < material[n - 1])) return false;
    const int k = FindFirstMaterialExitAboveFrom(material, n, a, p, j);
    return k < n && material[k] < b;
}

// True when some candidate of at least kMinChord meets the ray's material. The subtractions only
// remove material, so a ray that no candidate meets is left unchanged by all of them.
bool CandidatesMeetMaterial(const IntervalList& list, const double* material, int n)
{
    for (int k = 0; k + 1 < list.count; k += 2) {
        const double t0 = list.ends[k], t1 = list.ends[k + 1];
        if (t1 - t0 >= kMinChord && MaterialBetween(material, n, t0, t1)) return true;
    }
    return false;
}

// Options of one body subtraction.
struct BodyCutOptions {
    bool verticalSingle;  // vertical tool whose candidates form one interval (paint and CHIP)
    bool lengthCheck;     // run the LENGTH check on removed pieces
};

// Counts, marks and checks the pieces a subtraction removed from ray (i1, i2) of block b at
// (c1, c2) with tip plane value plane, cut by the thread of scratch.
inline void NoteRemovedPiecesAt(DexelDirectionBlock* b, CutScratch* scratch, int* endCount, int i1, int i2,
                                double c1, double c2, double plane, BodyCutOptions options, const double* pieces,
                                int pieceEnds, bool heightCheck, bool chipCheck)
{
    *endCount += pieceEnds;
    MarkRayBlocksAt(b, scratch, i1, i2, pieces, pieceEnds);
    if (options.lengthCheck && heightCheck) CheckAxialDepth(b->rayAxis, plane, pieces, pieceEnds, &scratch->checks);
    if (options.verticalSingle && chipCheck)
        CheckRadialEngagement(b->crossAxis1, b->crossAxis2, b->rayAxis, c1, c2, pieces, pieceEnds, &scratch->checks);
}

inline void NoteRemovedPieces(const RayContext& ray, BodyCutOptions options, const double* pieces, int pieceEnds)
{
    NoteRemovedPiecesAt(ray.block, ray.scratch, ray.endCount, ray.i1, ray.i2, ray.c1, ray.c2, ray.plane, options,
                        pieces, pieceEnds, g_HeightCheck > 0, g_ChipWidthCheck > 0);
}

// NoteRemovedPieces with the check switches read before.
inline void NoteRemovedPiecesWith(const BodyCutConstants& c, const RayContext& ray, BodyCutOptions options,
                                  const double* pieces, int pieceEnds)
{
    NoteRemovedPiecesAt(ray.block, ray.scratch, ray.endCount, ray.i1, ray.i2, ray.c1, ray.c2, ray.plane, options,
                        pieces, pieceEnds, c.heightCheck, c.chipCheck);
}

// Moves in place the ends a candidate [t0, t1] covers in the ray's material of n ends, where k is
// its first interval whose exit lies above t0: both ends of a gap it widens on both sides, or the
// one exit or entry it covers. Records the pieces, their volume terms (area per unit length) and
// the ray's top summary entry (top, null: none) as the general subtraction does; returns the
// piece ends. Expanded in its callers: a call would pass most of its arguments on the stack.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline int MoveCoveredEndsInPlace(double* material, uint8_t* attributes, int32_t* values, int n, int k, double t0,
                                  double t1, bool coversGap, bool coversExit, const uint8_t colour[2], double area,
                                  float* top, double* pieces, std::vector<double>* volumeTerms,
                                  const int32_t tag[2])
{
    const double entry = material[k], exit = material[k + 1];
    if (coversGap) {
        pieces[0] = t0;
        pieces[1] = exit;
        pieces[2] = material[k + 2];
        pieces[3] = t1;
        material[k + 1] = t0;
        attributes[k + 1] = colour[0];
        values[k + 1] = tag[0];
        material[k + 2] = t1;
        attributes[k + 2] = colour[1];
        values[k + 2] = tag[1];
        volumeTerms->push_back((pieces[1] - pieces[0]) * area);
        volumeTerms->push_back((pieces[3] - pieces[2]) * area);
        return 4;
    }
    const int side = coversExit ? 0 : 1;
    const int e = coversExit ? k + 1 : k;
    pieces[0] = coversExit ? t0 : entry;
    pieces[1] = coversExit ? exit : t1;
    const double volume = 0.0 + (pieces[1] - pieces[0]) * area;
    material[e] = coversExit ? t0 : t1;
    if (top && e == n - 1) *top = TopBound(t0);
    attributes[e] = colour[side];
    values[e] = tag[side];
    volumeTerms->push_back(volume);
    return 2;
}

// SubtractBodyIntervals of the one candidate [t0, t1] where it meets no material (0) or lies as
// the in-place end moves take it: most changed rays lose the part of one material interval beyond
// one of its ends (the tool moved on by a step). That end is moved where the ray lies, with the
// piece, volume and colour the general subtraction gives it; returns the piece ends. Returns -1,
// having changed nothing, where the general subtraction has to run. Expanded in its callers.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline int CutOneIntervalInPlace(const RayContext& ray, double t0, double t1, BodyCutOptions options,
                                 const BodyCutConstants* held = nullptr)
{
    DexelDirectionBlock* b = ray.block;
    const int n = b->counts[ray.index];
    if (n == 0) return 0;
    double* material = GetDexelEndsPointer(ray.index, b->capacity, b->counts, b->ends);
    // MaterialBetween with its search kept: the first interval whose exit lies above t0 meets the
    // candidate exactly when its entry lies below t1.
    if (!(t1 - t0 >= kMinChord)) return 0;
    const int k = FindFirstMaterialExitAbove(material, n, t0);
    if (!(k < n && material[k] < t1)) return 0;
    const double entry = material[k], exit = material[k + 1];
    const bool coversExit = entry < t0 && !(t1 < exit) && (k + 2 >= n || material[k + 2] > t1);
    const bool coversEntry = !(entry < t0) && t1 < exit;
    // The candidate covers the exit of one interval and the entry of the next (a gap the tool
    // widens on both sides): both ends are moved, each with its piece as the general subtraction
    // records it.
    const bool coversGap = entry < t0 && !(t1 < exit) && k + 2 < n && material[k + 2] < t1 && material[k + 3] > t1;
    if (!(coversGap || coversExit || coversEntry) || n > DEXEL_MAX_ENDS) return -1;
    // The settings of a run of rays where the caller read them, else read here before any store.
    BodyCutConstants read;
    if (!held) ReadBodyCutConstants(&read);
    const BodyCutConstants& c = held ? *held : read;
    // A trim stores the colour of the one end it moves: only that end's colour is chosen.
    uint8_t colour[2];
    if (coversGap || options.verticalSingle)
        ChooseBodyColour(ray, t0, t1, options.verticalSingle, colour);
    else if (coversExit)
        colour[0] = ChooseBodyEndColourWith(c, ray, t0, 0);
    else
        colour[1] = ChooseBodyEndColourWith(c, ray, t1, 1);
    uint8_t* attributes;
    int32_t* values;
    if (n <= b->capacity) {
        attributes = b->attributes + size_t(ray.index) * size_t(b->capacity);
        values = b->values + size_t(ray.index) * size_t(b->capacity);
    } else {
        attributes = GetDexelAttributesPointer(ray.index, b->capacity, b->counts, b->ends, b->attributes);
        values = GetDexelValuesPointer(ray.index, b->capacity, b->counts, b->values);
    }
    double* pieces = ray.scratch->pieces;
    const int pieceEnds = MoveCoveredEndsInPlace(material, attributes, values, n, k, t0, t1, coversGap, coversExit,
                                                 colour, ray.area, ray.top, pieces, ray.volumeTerms, c.lineTag);
    NoteRemovedPiecesWith(c, ray, options, pieces, pieceEnds);
    return pieceEnds;
}

// Subtracts the list's intervals from the ray with the body's colour rules. Returns the removed
// piece ends in total.
int SubtractBodyIntervals(const RayContext& ray, const IntervalList& list, BodyCutOptions options)
{
    if (list.count < 2 || ray.block->counts[ray.index] == 0) return 0;
    DexelDirectionBlock* b = ray.block;
    // A subtraction of [t0, t1] changes the ray exactly when one of its material intervals has its
    // exit above t0 and its entry below t1, and the subtractions only remove material: a ray that
    // no candidate meets, as most rays already cut by the previous position are, is left before
    // anything is copied, coloured or subtracted.
    const int n = b->counts[ray.index];
    double* material = GetDexelEndsPointer(ray.index, b->capacity, b->counts, b->ends);
    double* pieces = ray.scratch->pieces;
    if (list.count == 2) {
        const int pieceEnds = CutOneIntervalInPlace(ray, list.ends[0], list.ends[1], options);
        if (pieceEnds >= 0) return pieceEnds;
    } else if (!CandidatesMeetMaterial(list, material, n)) {
        return 0;
    }
    RayEdit edit;
    BeginRayEdit(ray, list.count, &edit);
    int removedTotal = 0;
    for (int k = 0; k + 1 < list.count && edit.count > 0; k += 2) {
        const double t0 = list.ends[k], t1 = list.ends[k + 1];
        if (!(t1 - t0 >= kMinChord)) continue;
        uint8_t colour[2];
        ChooseBodyColour(ray, t0, t1, options.verticalSingle, colour);
        int pieceEnds = 0;
        double volume = 0.0;
        SubtractDexelIntervalWithVolume(edit.ends, edit.attributes, edit.values, &edit.count,
                                        b->pitch, b->rayCoordinates, ray.area, &volume,
                                        pieces, &pieceEnds, t0, t1, colour, t_CutLineTag);
        if (pieceEnds <= 0) continue;
        ListVolumeTerms(ray, volume, pieces, pieceEnds);
        edit.changed = true;
        removedTotal += pieceEnds;
        NoteRemovedPieces(ray, options, pieces, pieceEnds);
    }
    FinishRayEdit(ray, &edit);
    return removedTotal;
}

// --- Solids of the tool body -------------------------------------------------------------------

// The cutting part above the tip shape from base B at height H (capped or open column).
// frame, when set, is the ray's quadratic about the tip (SetUpToolFrameRay).
int IntersectColumn(const ToolShape& tool, const RayContext& ray, const double B[3], double R,
                    double H, double t[2], const ToolFrameRay* frame = nullptr)
{
    const ToolCutGeometry& g = *tool.g;
    const double* n = ray.state->axisVector;
    double s[2];
    if (g.cuttingTopRadius > g.neckRadius) {
        if (!(H < tool.L2)) return 0;
        return IntersectCylinderOnAxis(frame, B, n, R, tool.L2 - H, true, ray.c1, ray.c2, t, s);
    }
    if (g.cuttingTopRadius != g.shankRadius) {
        if (!(H < tool.h)) return 0;
        return IntersectCylinderOnAxis(frame, B, n, R, tool.h - H, true, ray.c1, ray.c2, t, s);
    }
    return IntersectCylinderOnAxis(frame, B, n, R, 0.0, false, ray.c1, ray.c2, t, s);
}

int IntersectShank(const ToolShape& tool, const RayContext& ray, double t[2], const ToolFrameRay* frame = nullptr)
{
    if (!tool.g->hasShank) return 0;
    double s[2];
    return IntersectCylinderOnAxis(frame, ray.state->shankBasePoint, ray.state->axisVector, tool.g->shankRadius,
                                   0.0, false, ray.c1, ray.c2, t, s);
}

// Torus crossings reduced to their hull; boundMet as for IntersectLineWithTorusInBound.
int IntersectTorusHull(const RayContext& ray, const double B[3], const double n[3], double Rc,
                       double Rt, double t[2], bool boundMet = false)
{
    return IntersectLineWithTorusHullInBound(B, n, Rc, Rt, ray.c1, ray.c2, boundMet, t);
}

// Row flags of the current row.
struct RowFlags {
    int column, shank, radiusMill;
};

// Column and shank intersections under the row flags.
void IntersectColumnAndShank(const ToolShape& tool, const RayContext& ray, RowFlags* flags,
                             const double B[3], double R, double H, int* columnCount,
                             double column[2], int* shankCount, double shank[2],
                             const ToolFrameRay* frame = nullptr)
{
    *columnCount = 0;
    *shankCount = 0;
    if (flags->column != 1) {
        *columnCount = IntersectColumn(tool, ray, B, R, H, column, frame);
        UpdateRowFlag(&flags->column, *columnCount == 2);
    }
    if (tool.g->hasShank && flags->shank != 1) {
        *shankCount = IntersectShank(tool, ray, shank, frame);
        UpdateRowFlag(&flags->shank, *shankCount == 2);
    }
}

// --- Candidate intervals per tool type ---------------------------------------------------------

// The candidates of a flat-ended body: its column's and shank's chords, joined by the rule
// between them where the ray meets both.
inline void JoinColumnAndShank(IntervalList* list, int columnCount, const double column[2], int shankCount,
                               const double shank[2])
{
    if (columnCount == 2 && shankCount == 2)
        JoinRule(column, shank, list);
    else if (columnCount == 2)
        AddInterval(list, column[0], column[1]);
    else if (shankCount == 2)
        AddInterval(list, shank[0], shank[1]);
}

inline void JoinUpperParts(IntervalList* list, int columnCount, const double column[2], int shankCount,
                           const double shank[2]);

void CutBall(const ToolShape& tool, const RayContext& ray, RowFlags* flags)
{
    const DexelSweepState* st = ray.state;
    IntervalList list;
    double t[2];
    if (IntersectSphere(st->cornerCentrePoint, g_CutBoundRadius, ray, t) == 2) AddInterval(&list, t[0], t[1]);
    int columnCount, shankCount;
    double column[2], shank[2];
    ToolFrameRay frameValues;
    const ToolFrameRay* frame = SetUpRayFrame(ray, st->basePoint, st->axisVector, &frameValues);
    IntersectColumnAndShank(tool, ray, flags, st->cornerCentrePoint, g_CutBoundRadius,
                            tool.g->cornerCentreHeight, &columnCount, column, &shankCount, shank, frame);
    JoinUpperParts(&list, columnCount, column, shankCount, shank);
    SubtractBodyIntervals(ray, list, BodyCutOptions{false, true});
}

// The column and shank of a ball along +Z against the Z-rays, parallel to its axis: each meets a
// ray over its whole height or not at all, so their chords are the same for every ray they meet,
// found once on the axis; per ray only the cross distance decides, tested exactly as the solids'
// own intersections test it.
struct AxialUpperParts {
    int columnKind;       // 0: never met, 1: tool cylinder (root test), 2: open like the shank
    double column[2];
    bool shankPossible;
    double shank[2];
    double columnBase[2], shankBase[2];  // cross coordinates of the solids' base points
    double columnRadius, shankRadius;
    // Bounds of the square cross distance within which the root test surely meets the tool
    // cylinder and beyond which it surely misses it (between them the root decides).
    double columnSurelyIn, columnSurelyOut;
};

// Row flags and chords of a ball's column and shank for a Z-ray at (c1, c2), as
// IntersectColumnAndShank gives them.
inline void IntersectAxialUpperParts(const AxialUpperParts& parts, double c1, double c2, RowFlags* flags,
                                     int* columnCount, double column[2], int* shankCount, double shank[2],
                                     bool hasShank)
{
    *columnCount = 0;
    *shankCount = 0;
    if (flags->column != 1) {
        bool met = false;
        if (parts.columnKind != 0) {
            const double dx = parts.columnBase[0] - c1;
            const double dy = parts.columnBase[1] - c2;
            const double R = parts.columnRadius;
            const double q = dx * dx + dy * dy;
            if (parts.columnKind != 1)
                met = q < R * R;
            else if (q <= parts.columnSurelyIn)
                met = true;
            else if (q >= parts.columnSurelyOut)
                met = false;
            else
                met = R > std::sqrt(q);
        }
        if (met) {
            column[0] = parts.column[0];
            column[1] = parts.column[1];
            *columnCount = 2;
        }
        UpdateRowFlag(&flags->column, met);
    }
    if (hasShank && flags->shank != 1) {
        bool met = false;
        if (parts.shankPossible) {
            const double dx = parts.shankBase[0] - c1;
            const double dy = parts.shankBase[1] - c2;
            met = dx * dx + dy * dy < parts.shankRadius * parts.shankRadius;
        }
        if (met) {
            shank[0] = parts.shank[0];
            shank[1] = parts.shank[1];
            *shankCount = 2;
        }
        UpdateRowFlag(&flags->shank, met);
    }
}

// UpdateIntervalOverlap on a list in place: the candidates' hull widened by the column, joined
// with the shank by the join rule.
inline void JoinUpperParts(IntervalList* list, int columnCount, const double column[2], int shankCount,
                           const double shank[2])
{
    double P[2];
    if (list->count >= 2) {
        P[0] = list->ends[0];
        P[1] = list->ends[list->count - 1];
        if (columnCount == 2) {
            if (column[0] < P[0]) P[0] = column[0];
            if (column[1] > P[1]) P[1] = column[1];
        }
    } else if (columnCount == 2) {
        P[0] = column[0];
        P[1] = column[1];
    } else {
        list->count = 0;
        if (shankCount == 2) AddInterval(list, shank[0], shank[1]);
        return;
    }
    if (shankCount == 2) {
        JoinRule(P, shank, list);
    } else {
        list->count = 0;
        AddInterval(list, P[0], P[1]);
    }
}

// The chords of a ball's column and shank on its axis (a ball along +Z over the Z family).
void FindAxialUpperParts(const ToolShape& tool, DexelDirectionBlock* block, AxialUpperParts* parts)
{
    const DexelSweepState* st = block->sweep;
    const ToolCutGeometry& g = *tool.g;
    const double* C = st->cornerCentrePoint;
    RayContext axis{};
    axis.block = block;
    axis.state = block->sweep;
    axis.c1 = C[0];
    axis.c2 = C[1];
    // The column's kind as IntersectColumn chooses it; met on the axis unless its height is empty.
    if (g.cuttingTopRadius > g.neckRadius || g.cuttingTopRadius != g.shankRadius)
        parts->columnKind = 1;
    else
        parts->columnKind = 2;
    if (IntersectColumn(tool, axis, C, g_CutBoundRadius, g.cornerCentreHeight, parts->column) != 2)
        parts->columnKind = 0;
    parts->columnBase[0] = C[0];
    parts->columnBase[1] = C[1];
    parts->columnRadius = g_CutBoundRadius;
    // R > sqrt(q), sqrt rounded to nearest: q at or below (R's lower neighbour)^2 less a relative
    // margin far above the rounding of the bound gives sqrt(q) <= that neighbour < R; q at or
    // above R^2 plus the margin gives sqrt(q) >= R.
    const double R = g_CutBoundRadius;
    parts->columnSurelyIn = -1.0;
    parts->columnSurelyOut = HUGE_VAL;
    if (R > 1e-100 && R < 1e100) {
        const double below = std::nextafter(R, 0.0);
        parts->columnSurelyIn = below * below * (1.0 - 1e-12);
        parts->columnSurelyOut = R * R * (1.0 + 1e-12);
    }
    parts->shankPossible = false;
    parts->shankBase[0] = st->shankBasePoint[0];
    parts->shankBase[1] = st->shankBasePoint[1];
    parts->shankRadius = g.shankRadius;
    if (g.hasShank) {
        axis.c1 = st->shankBasePoint[0];
        axis.c2 = st->shankBasePoint[1];
        parts->shankPossible = IntersectShank(tool, axis, parts->shank) == 2;
    }
}

// CutBall for a ray whose sphere chord the sweep has already found (sphereCount ends in sphere, as
// IntersectSphere gives them). With belowUpperParts the ray lies below the bases of the column and
// the shank, which then miss it: their row flags take the miss without intersecting them.
inline void CutBallAfterSphere(const ToolShape& tool, const RayContext& ray, RowFlags* flags, int sphereCount,
                        const double sphere[2], bool belowUpperParts, const AxialUpperParts* axialParts = nullptr)
{
    const DexelSweepState* st = ray.state;
    IntervalList list;
    if (sphereCount == 2) AddInterval(&list, sphere[0], sphere[1]);
    if (belowUpperParts) {
        if (flags->column != 1) UpdateRowFlag(&flags->column, false);
        if (tool.g->hasShank && flags->shank != 1) UpdateRowFlag(&flags->shank, false);
        SubtractBodyIntervals(ray, list, BodyCutOptions{false, true});
        return;
    }
    int columnCount, shankCount;
    double column[2], shank[2];
    if (axialParts) {
        IntersectAxialUpperParts(*axialParts, ray.c1, ray.c2, flags, &columnCount, column, &shankCount, shank,
                                 tool.g->hasShank);
        JoinUpperParts(&list, columnCount, column, shankCount, shank);
        SubtractBodyIntervals(ray, list, BodyCutOptions{false, true});
        return;
    }
    IntersectColumnAndShank(tool, ray, flags, st->cornerCentrePoint, g_CutBoundRadius,
                            tool.g->cornerCentreHeight, &columnCount, column, &shankCount, shank);
    JoinUpperParts(&list, columnCount, column, shankCount, shank);
    SubtractBodyIntervals(ray, list, BodyCutOptions{false, true});
}

void CutFlat(const ToolShape& tool, const RayContext& ray, RowFlags* flags)
{
    const DexelSweepState* st = ray.state;
    int columnCount, shankCount;
    double column[2], shank[2];
    ToolFrameRay frameValues;
    const ToolFrameRay* frame = SetUpRayFrame(ray, st->basePoint, st->axisVector, &frameValues);
    IntersectColumnAndShank(tool, ray, flags, st->basePoint, tool.d / 2.0, 0.0, &columnCount, column,
                            &shankCount, shank, frame);
    IntervalList list;
    JoinColumnAndShank(&list, columnCount, column, shankCount, shank);
    const bool verticalSingle = tool.type == TOOL_VERTICAL && list.count == 2;
    SubtractBodyIntervals(ray, list, BodyCutOptions{verticalSingle, true});
}

// The stretches of a ray on which the corner torus must be shown clear for it to leave the ray's cut
// unchanged: from the chord's start up to a margin past the last material before low, and from a
// margin before the first material after high up to the chord's end.
struct TorusStretches {
    int count;      // stretches to show clear (0 to 2)
    bool anyClear;  // one stretch shown clear suffices (else every one must be)
    double from[2], to[2];
};

// Whether the corner torus, whose crossings lie within its bounding chord (t[0], t[1]), can change
// what the ray loses beside the hull [low, high] of the other solids (empty when low > high). Its
// hull join only widens that hull toward the bounding chord: from the chord's start (less a margin
// for the rounding of the torus roots) up to low and from high up to the chord's end. When the
// ray has no material there, a cut widened into it removes the same pieces and makes the same ends.
// Nor can it where the torus (B, n, Rc, Rt) provably stays off the ray from the chord's start up to
// the margin past the last material before low (and from the margin before the first material after
// high up to the chord's end): its crossings then leave that material out of the widening as well.
// Not so when the widening could lift a hull shorter than kMinChord over that length or join the
// shank's interval to it: with a shank interval, or a hull that short, the torus is always solved.
// Returns 1 where the torus may change the cut, 0 where it cannot, and -1 where that depends on
// the stretches in *stretches being shown clear of the torus (TorusClearOfRayStretch), which the
// caller does for several rays at once. For an axis whose clearance is never shown the material
// alone decides.
int TorusMayMeetMaterial(const RayContext& ray, const double t[2], double low, double high, int shankCount,
                         const double n[3], double Rc, double Rt, TorusStretches* stretches)
{
    const double kMargin = 1e-5;
    if (shankCount != 0 || (low <= high && !(high - low >= kMinChord))) return 1;
    const DexelDirectionBlock* b = ray.block;
    const int count = b->counts[ray.index];
    if (count == 0) return 0;
    const bool provable = std::fabs(n[2]) >= 0.1 && !(n[0] == 0.0 && n[1] == 0.0) && Rt > 0.0 && Rc > 0.0;
    const double* material = GetDexelEndsPointer(ray.index, b->capacity, b->counts, b->ends);
    if (low > high) {
        // No other solid: the torus's hull is all the ray loses. It removes nothing where the torus
        // stays off the ray from the margin before the first material in the chord up to the
        // chord's end (its last crossing then lies before all of it), or from the chord's start up
        // to the margin past the last material.
        const double from = t[0] - kMargin, to = t[1] + kMargin;
        if (!MaterialBetween(material, count, from, to)) return 0;
        if (!provable) return 1;
        const int i = FindFirstMaterialExitAbove(material, count, from);
        const double first = std::max(material[i], from);
        const int j = FindFirstMaterialExitAbove(material, count, to);
        const double last = j < count && material[j] < to ? to : material[j - 1];
        stretches->count = 2;
        stretches->anyClear = true;
        stretches->from[0] = first - kMargin, stretches->to[0] = to;
        stretches->from[1] = from, stretches->to[1] = last + kMargin;
        return -1;
    }
    int k = 0;
    if (MaterialBetween(material, count, t[0] - kMargin, low)) {
        if (!provable) return 1;
        // The last material before low: the interval across low, or else the last one ending below it.
        const int j = FindFirstMaterialExitAbove(material, count, low);
        const double last = j < count && material[j] < low ? low : material[j - 1];
        stretches->from[k] = t[0] - kMargin, stretches->to[k++] = last + kMargin;
    }
    if (MaterialBetween(material, count, high, t[1] + kMargin)) {
        if (!provable) return 1;
        const int j = FindFirstMaterialExitAbove(material, count, high);
        const double first = std::max(material[j], high);
        stretches->from[k] = first - kMargin, stretches->to[k++] = t[1] + kMargin;
    }
    if (k == 0) return 0;
    stretches->count = k;
    stretches->anyClear = false;
    return -1;
}

// The chord of a cylinder on the tool axis (as IntersectCylinderOnAxis gives it, to the bit) in
// *low, *high; false where the ray misses it. Expanded in its caller, so the chord stays in
// registers: ends written to memory one by one and read back as a pair stall the load.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline bool AxisCylinderChord(const ToolFrameRay* frame, const double B[3], const double n[3], double R,
                              double len, bool capped, const RayContext& ray, double* low, double* high,
                              const AxisCylinderTerms* terms = nullptr)
{
    if (frame) {
        double sLow, sHigh;
        const int count = terms ? AxisCylinderChordWithTerms(*frame, *terms, len, capped, low, high, &sLow, &sHigh)
                                : AxisCylinderChordOnFrame(*frame, B, n, R, len, capped, low, high, &sLow, &sHigh);
        if (count >= 0) return count == 2;
    }
    double t[2], s[2];
    int count;
    if (n[2] == 0.0 && !(n[0] == 0.0 && n[1] == 0.0))
        count = CylinderChordAcrossAxis(B, n, R, len, capped, ray.c1, ray.c2, t, s);
    else
        count = capped ? IntersectLineWithToolCylinder(B, n, R, len, ray.c1, ray.c2, t, s)
                       : IntersectLineWithShank(B, n, R, ray.c1, ray.c2, t, s);
    if (count != 2) return false;
    *low = t[0];
    *high = t[1];
    return true;
}

// IntersectColumn's chord through AxisCylinderChord (terms: the column's for the frame, or null).
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline bool ColumnChord(const ToolShape& tool, const RayContext& ray, const ToolFrameRay* frame, const double B[3],
                        double R, double H, double* low, double* high, const AxisCylinderTerms* terms = nullptr)
{
    const ToolCutGeometry& g = *tool.g;
    const double* n = ray.state->axisVector;
    if (g.cuttingTopRadius > g.neckRadius) {
        if (!(H < tool.L2)) return false;
        return AxisCylinderChord(frame, B, n, R, tool.L2 - H, true, ray, low, high, terms);
    }
    if (g.cuttingTopRadius != g.shankRadius) {
        if (!(H < tool.h)) return false;
        return AxisCylinderChord(frame, B, n, R, tool.h - H, true, ray, low, high, terms);
    }
    return AxisCylinderChord(frame, B, n, R, 0.0, false, ray, low, high, terms);
}

// The hull [*low, *high] (none yet where !*hull) widened by the chord [a, b].
inline void WidenHull(bool* hull, double* low, double* high, double a, double b)
{
    if (*hull) {
        *low = *low < a ? *low : a;
        *high = *high > b ? *high : b;
    } else {
        *low = a, *high = b;
    }
    *hull = true;
}

// A ray of a general tool between its candidates and its cut: the hull of every solid but the
// corner torus and the shank, the column's and shank's chords, and whether the torus is still to
// be solved.
struct GeneralCut {
    RayContext ray;
    bool hull;  // [low, high] holds a chord
    double low, high;
    bool haveColumn, haveShank;
    double column[2], shank[2];
    bool torus;  // the torus is to be solved, unless the stretches below are shown clear of it
    TorusStretches torusStretches;
};

// The terms of a general tool's cylinders on the axis that every ray of one row shares at one
// position, for the rays whose quadratic comes from the row's axis values (axis).
struct GeneralCutTerms {
    const ToolFrameAxis* axis = nullptr;  // null: not found (the rays take the cylinders' own)
    AxisCylinderTerms bottom, column, shank, bound;
};

void SetUpGeneralCutTerms(const ToolShape& tool, const RayContext& ray, GeneralCutTerms* terms)
{
    terms->axis = nullptr;
    if (!ray.frameAxis || !ray.frameAxis->usable) return;
    const DexelSweepState* st = ray.state;
    const ToolCutGeometry& g = *tool.g;
    const double* n = st->axisVector;
    const double* T = st->basePoint;
    const double A = ray.frameAxis->A;
    terms->bottom = GetAxisCylinderTerms(A, T, st->basePoint, n, g.bottomEdgeRadius);
    terms->column = GetAxisCylinderTerms(A, T, st->sideEndPoint, n, g_CutBoundRadius);
    terms->shank = GetAxisCylinderTerms(A, T, st->shankBasePoint, n, g.shankRadius);
    terms->bound = GetAxisCylinderTerms(A, T, st->cornerBasePoint, n, g.bottomEdgeRadius + g.cornerRadius);
    terms->axis = ray.frameAxis;
}

// General, bull, taper ball, oval, sphere, scribing and outline tools with r >= 0. Bottom, corner,
// side and column are joined by hull, so the corner torus is solved only when the ray's stretch
// through its bounding cylinder reaches beyond the hull of the others. The hull is kept as two
// values (the candidates are one interval until the shank is joined). Finds the candidates up to
// the torus; FinishGeneralCut joins the torus's hull and cuts.
// How a ray of a general tool finds its cylinders' chords: from the quadratic of its row's axis
// values, whose cylinder terms the row holds (the quadratic then stays a value of the call, kept in
// registers); by the plain routines, the row's axis not serving the quadratic; or as the ray finds.
enum GeneralCutFrame { kRowFrame, kNoFrame, kRayFrame };

template <GeneralCutFrame frameKind>
void PrepareGeneralCutWith(const ToolShape& tool, const RayContext& ray, RowFlags* flags, GeneralCut* cut,
                           const GeneralCutTerms* rowTerms)
{
    const DexelSweepState* st = ray.state;
    const ToolCutGeometry& g = *tool.g;
    const double* n = st->axisVector;
    cut->torus = false;
    double t[2], s[2];
    bool hull = false;  // the hull [low, high] holds a chord
    double low = 0.0, high = 0.0;
    // The ray's quadratic about the tip serves the cylinders along the axis.
    ToolFrameRay frameValues;
    const ToolFrameRay* frame;
    const GeneralCutTerms* terms;
    if (frameKind == kRowFrame) {
        SetUpToolFrameRayOnAxis(*ray.frameAxis, st->basePoint, n, ray.c1, ray.c2, &frameValues);
        frame = &frameValues;
        terms = rowTerms;
    } else if (frameKind == kNoFrame) {
        frame = nullptr;
        terms = nullptr;
    } else {
        frame = SetUpRayFrame(ray, st->basePoint, n, &frameValues);
        terms = nullptr;
    }
    int count = 0;
    if (tool.type == TOOL_OVAL)
        count = IntersectLineWithToolTip(st->basePoint, n, g.ovalRadialSemiAxis, g.ovalAxialSemiAxis,
                                         g.ovalCapHeight, ray.c1, ray.c2, t, s);
    else if (g.bottomConeHeight > 0.0)
        count = IntersectLineWithToolCone(st->basePoint, n, g.tipFlatRadius, 1.0 / g.bottomConeTangent,
                                          g.bottomConeHeight, ray.c1, ray.c2, t, s);
    else if (g.cornerCentreOffset > 0.0)
        hull = AxisCylinderChord(frame, st->basePoint, n, g.bottomEdgeRadius, g.cornerCentreHeight, true, ray,
                                 &low, &high, terms ? &terms->bottom : nullptr);
    else if (tool.type == TOOL_TAPER_BALL)
        count = IntersectSphere(st->cornerCentrePoint, g.cornerRadius, ray, t);
    if (count == 2) {
        low = t[0], high = t[1];
        hull = true;
    }
    if (g.sideStartRadius < g.maxCuttingRadius &&
        IntersectLineWithToolCone(st->sideStartPoint, n, g.sideStartRadius, 1.0 / g.sideCotangent,
                                  g.sideEndHeight - g.sideStartHeight, ray.c1, ray.c2, t, s) == 2)
        WidenHull(&hull, &low, &high, t[0], t[1]);
    // The column and the shank under the row flags.
    bool haveColumn = false, haveShank = false;
    double* column = cut->column;
    double* shank = cut->shank;
    column[0] = column[1] = shank[0] = shank[1] = 0.0;
    if (flags->column != 1) {
        haveColumn = ColumnChord(tool, ray, frame, st->sideEndPoint, g_CutBoundRadius, g.sideEndHeight, &column[0],
                                 &column[1], terms ? &terms->column : nullptr);
        UpdateRowFlag(&flags->column, haveColumn);
    }
    if (g.hasShank && flags->shank != 1) {
        haveShank = AxisCylinderChord(frame, st->shankBasePoint, n, g.shankRadius, 0.0, false, ray, &shank[0],
                                      &shank[1], terms ? &terms->shank : nullptr);
        UpdateRowFlag(&flags->shank, haveShank);
    }
    if (tool.type != TOOL_TAPER_BALL && g.sideStartRadius > g.cornerCentreOffset &&
        AxisCylinderChord(frame, st->cornerBasePoint, n, g.bottomEdgeRadius + g.cornerRadius,
                          haveColumn ? tool.cornerBoundHeight : 2.0 * g.cornerRadius, true, ray, &t[0], &t[1],
                          terms ? &terms->bound : nullptr)) {
        double least = HUGE_VAL, most = -HUGE_VAL;
        if (hull) least = low, most = high;
        if (haveColumn) least = std::min(least, column[0]), most = std::max(most, column[1]);
        cut->torusStretches.count = 0;
        cut->torus = (t[0] < least || t[1] > most) &&
                     TorusMayMeetMaterial(ray, t, least, most, haveShank ? 2 : 0, n, g.bottomEdgeRadius,
                                          g.cornerRadius, &cut->torusStretches) != 0;
    }
    cut->hull = hull;
    cut->low = low;
    cut->high = high;
    cut->haveColumn = haveColumn;
    cut->haveShank = haveShank;
}

void PrepareGeneralCut(const ToolShape& tool, const RayContext& ray, RowFlags* flags, GeneralCut* cut,
                       const GeneralCutTerms* rowTerms = nullptr)
{
    // The cylinders' terms of the row where the ray's quadratic comes from the row's axis values.
    if (rowTerms && rowTerms->axis && rowTerms->axis == ray.frameAxis)
        PrepareGeneralCutWith<kRowFrame>(tool, ray, flags, cut, rowTerms);
    else if (ray.frameAxis && !ray.frameAxis->usable)
        PrepareGeneralCutWith<kNoFrame>(tool, ray, flags, cut, nullptr);
    else
        PrepareGeneralCutWith<kRayFrame>(tool, ray, flags, cut, nullptr);
}

// The cut of a prepared ray, with the torus hull's count and ends where it was solved.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline void FinishGeneralCut(GeneralCut* cut, int torusCount, const double torus[2], const BodyCutConstants& c)
{
    bool hull = cut->hull;
    double low = cut->low, high = cut->high;
    if (cut->torus && torusCount == 2) WidenHull(&hull, &low, &high, torus[0], torus[1]);
    // The hull widened by the column, joined with the shank by the join rule (JoinUpperParts).
    IntervalList list;
    if (hull) {
        if (cut->haveColumn) {
            if (cut->column[0] < low) low = cut->column[0];
            if (cut->column[1] > high) high = cut->column[1];
        }
    } else if (cut->haveColumn) {
        low = cut->column[0], high = cut->column[1];
        hull = true;
    }
    // Without the shank the candidate is the one interval [low, high].
    if (hull && !cut->haveShank && CutOneIntervalInPlace(cut->ray, low, high, BodyCutOptions{false, true}, &c) >= 0)
        return;
    if (hull) {
        if (cut->haveShank) {
            const double P[2] = {low, high};
            JoinRule(P, cut->shank, &list);
        } else {
            AddInterval(&list, low, high);
        }
    } else if (cut->haveShank) {
        AddInterval(&list, cut->shank[0], cut->shank[1]);
    }
    SubtractBodyIntervals(cut->ray, list, BodyCutOptions{false, true});
}

// The rays of a row that a general tool cuts, kept from their candidates to their cuts so that the
// corner torus is solved for several rays at once; the cuts are made in ray order as before.
struct GeneralCutQueue {
    static const int kRays = 16, kTorusRays = 16;
    // Made as rays are queued, so that a row of another tool pays nothing for them.
    union {
        GeneralCut cuts[kRays];
    };
    int count = 0, torusCount = 0;
    int made = 0;  // the slots made for the row: their rays hold the row's shared values
    bool haveTerms = false;  // terms set up for the row
    GeneralCutTerms terms;
    GeneralCutQueue() {}
};

// Makes the queued cuts in order, with the torus hulls of the rays that need them found together:
// first the stretches that may spare rays the torus are tested together, then the torus is solved
// for the rays left.
void FlushGeneralCuts(const ToolShape& tool, GeneralCutQueue* queue)
{
    const int kRays = GeneralCutQueue::kRays;
    double c1[2 * kRays], c2[2 * kRays], from[2 * kRays], to[2 * kRays];
    bool clear[2 * kRays];
    double hull[kRays][2];
    int found[kRays];
    const DexelSweepState* st = queue->cuts[0].ray.state;
    const double Rc = tool.g->bottomEdgeRadius, Rt = tool.g->cornerRadius;
    int m = 0;
    for (int i = 0; i < queue->count; i++) {
        const GeneralCut& cut = queue->cuts[i];
        if (!cut.torus) continue;
        for (int k = 0; k < cut.torusStretches.count; k++) {
            c1[m] = cut.ray.c1;
            c2[m] = cut.ray.c2;
            from[m] = cut.torusStretches.from[k];
            to[m++] = cut.torusStretches.to[k];
        }
    }
    if (m > 0) TorusClearOfRayStretches(st->cornerBasePoint, st->axisVector, Rc, Rt, m, c1, c2, from, to, clear);
    int p = 0;
    m = 0;
    for (int i = 0; i < queue->count; i++) {
        GeneralCut* cut = &queue->cuts[i];
        if (!cut->torus) continue;
        const TorusStretches& s = cut->torusStretches;
        if (s.count > 0) {
            bool any = false, all = true;
            for (int k = 0; k < s.count; k++) {
                any = any || clear[p + k];
                all = all && clear[p + k];
            }
            p += s.count;
            if (s.anyClear ? any : all) {
                cut->torus = false;
                continue;
            }
        }
        c1[m] = cut->ray.c1;
        c2[m++] = cut->ray.c2;
    }
    if (m > 0)
        IntersectLinesWithTorusHullInBound(st->cornerBasePoint, st->axisVector, Rc, Rt, m, c1, c2, true, hull, found);
    BodyCutConstants constants;
    ReadBodyCutConstants(&constants);
    m = 0;
    for (int i = 0; i < queue->count; i++) {
        GeneralCut* cut = &queue->cuts[i];
        if (cut->torus) {
            FinishGeneralCut(cut, found[m], hull[m], constants);
            m++;
        } else {
            FinishGeneralCut(cut, 0, nullptr, constants);
        }
    }
    queue->count = 0;
    queue->torusCount = 0;
}

// CutGeneral for a ray of the row whose queue this is: its cut is made when the queue is flushed.
void QueueGeneralCut(const ToolShape& tool, const RayContext& ray, RowFlags* flags, GeneralCutQueue* queue)
{
    if (!queue->haveTerms) {
        SetUpGeneralCutTerms(tool, ray, &queue->terms);
        queue->haveTerms = true;
    }
    // The ray's record is kept in its slot: a slot made for the row already holds what every ray
    // of the row shares, so only the values that differ from ray to ray are set.
    GeneralCut* cut;
    if (queue->count < queue->made) {
        cut = &queue->cuts[queue->count++];
        RayContext* r = &cut->ray;
        r->i1 = ray.i1;
        r->index = ray.index;
        r->c1 = ray.c1;
        r->area = ray.area;
        r->plane = ray.plane;
        r->top = ray.top;
    } else {
        cut = new (&queue->cuts[queue->count++]) GeneralCut;
        cut->ray = ray;
        queue->made = queue->count;
    }
    // Prepared from the caller's record, which no store into the slot can change.
    PrepareGeneralCut(tool, ray, flags, cut, &queue->terms);
    queue->torusCount += cut->torus;
    if (queue->count == GeneralCutQueue::kRays || queue->torusCount == GeneralCutQueue::kTorusRays)
        FlushGeneralCuts(tool, queue);
}

// The same tools with a corner radius stored as a negative number (hollow corner).
void CutHollowCorner(const ToolShape& tool, const RayContext& ray, RowFlags* flags)
{
    const DexelSweepState* st = ray.state;
    const ToolCutGeometry& g = *tool.g;
    const double* n = st->axisVector;
    IntervalList list;
    double column[2];
    int columnCount = 0;
    if (flags->column != 1) {
        columnCount = IntersectColumn(tool, ray, st->sideEndPoint, g_CutBoundRadius,
                                      g.cornerCentreHeight - g.cornerRadius, column);
        UpdateRowFlag(&flags->column, columnCount == 2);
    }
    if (columnCount == 2) {
        AddInterval(&list, column[0], column[1]);
        double tt[4], ss[4];
        const int count = IntersectLineWithTorus(st->sideStartPoint, n, g.sideStartRadius,
                                                 g.cornerRadius, ray.c1, ray.c2, tt, ss);
        for (int k = 0; k + 1 < count; k += 2) SubtractPlainInterval(list.ends, &list.count, tt[k], tt[k + 1]);
        SubtractBodyIntervals(ray, list, BodyCutOptions{false, true});
    }
    IntervalList rest;
    double core[2], s[2];
    int coreCount = 0;
    if (g.cornerCentreHeight > g.cornerRadius)
        coreCount = IntersectLineWithToolCylinder(st->basePoint, n, g.bottomEdgeRadius, tool.h, ray.c1,
                                                  ray.c2, core, s);
    double shank[2];
    int shankCount = 0;
    if (g.hasShank && flags->shank != 1) {
        shankCount = IntersectShank(tool, ray, shank);
        UpdateRowFlag(&flags->shank, shankCount == 2);
    }
    if (coreCount == 2 && shankCount == 2)
        JoinRule(core, shank, &rest);
    else if (coreCount == 2)
        AddInterval(&rest, core[0], core[1]);
    else if (shankCount == 2)
        AddInterval(&rest, shank[0], shank[1]);
    SubtractBodyIntervals(ray, rest, BodyCutOptions{false, true});
}

// Hull of every interval of src joined into dst.
void JoinListByHull(IntervalList* dst, const IntervalList& src)
{
    if (src.count < 2) return;
    JoinHull(dst, src.ends[0], src.ends[src.count - 1]);
}

void CutTSlot(const ToolShape& tool, const RayContext& ray)
{
    const DexelSweepState* st = ray.state;
    const ToolCutGeometry& g = *tool.g;
    const double* n = st->axisVector;
    const double v = g_CutBoundRadius;
    double t[2], s[2];
    IntervalList result;
    if (g.slotSideLength == 0.0 && g.bottomEdgeRadius == 0.0 && g.slotTopCornerRadius == 0.0) {
        if (IntersectSphere(st->cornerCentrePoint, v, ray, t) == 2) AddInterval(&result, t[0], t[1]);
    } else {
        IntervalList lower;
        if (g.cornerRadius > 0.0) {
            if (g.cornerRadius != v) {
                const double len = (g.slotSideLength == 0.0 && g.bottomEdgeRadius == g.slotTopCornerRadius)
                                       ? tool.T1
                                       : g.cornerRadius;
                if (IntersectLineWithToolCylinder(st->basePoint, n, g.bottomEdgeRadius, len, ray.c1, ray.c2,
                                                  t, s) == 2)
                    JoinHull(&lower, t[0], t[1]);
                if (IntersectTorusHull(ray, st->basePoint, n, g.bottomEdgeRadius, g.cornerRadius, t) == 2)
                    JoinHull(&lower, t[0], t[1]);
            } else if (IntersectSphere(st->cornerCentrePoint, v, ray, t) == 2) {
                AddInterval(&lower, t[0], t[1]);
            }
            if (lower.count > 0 && g.cornerRadius > tool.T1 / 2.0 &&
                IntersectLineWithToolCylinder(st->cornerCentrePoint, n, g.slotBoundingDiameter,
                                              g.cornerRadius, ray.c1, ray.c2, t, s) == 2)
                SubtractPlainInterval(lower.ends, &lower.count, t[0], t[1]);
        }
        result = lower;
        int sideCount = 0;
        const bool shaped = g.cornerRadius != 0.0 || tool.c2 != 0.0 || (tool.D2 != 0.0 && tool.D2 != tool.d);
        if (g.slotSideLength > 0.0 && shaped) {
            if (tool.D2 > tool.d) {
                double B[3];
                PointOnAxis(st, g.slotSideStartHeight, B);
                sideCount = IntersectLineWithToolCone(B, n, g.slotSideStartRadius,
                                                      (g.slotSideEndRadius - g.slotSideStartRadius) / g.slotSideLength,
                                                      g.slotSideLength, ray.c1, ray.c2, t, s);
            } else {
                double B[3];
                PointOnAxis(st, g.slotSideEndHeight, B);
                const double reversed[3] = {-n[0], -n[1], -n[2]};
                sideCount = IntersectLineWithToolCone(B, reversed, g.slotSideEndRadius,
                                                      (g.slotSideStartRadius - g.slotSideEndRadius) / g.slotSideLength,
                                                      g.slotSideLength, ray.c1, ray.c2, t, s);
            }
        } else {
            sideCount = IntersectLineWithToolCylinder(st->cornerCentrePoint, n, g.sideStartRadius,
                                                      g.slotSideLength, ray.c1, ray.c2, t, s);
        }
        if (sideCount == 2) {
            IntervalList joined;
            JoinListByHull(&joined, result);
            JoinHull(&joined, t[0], t[1]);
            result = joined;
        }
        if (tool.c2 > 0.0) {
            IntervalList upper;
            // The disc inside the upper corner is part of the head also when both corner radii
            // are equal (then only a side of no length lets the lower cylinder reach the top).
            if (IntersectLineWithToolCylinder(st->sideStartPoint, n, g.slotTopCornerRadius, tool.c2, ray.c1,
                                              ray.c2, t, s) == 2)
                JoinHull(&upper, t[0], t[1]);
            double B[3];
            PointOnAxis(st, g.slotTopCornerHeight - tool.c2, B);
            IntervalList torus;
            if (IntersectTorusHull(ray, B, n, g.slotTopCornerRadius, tool.c2, t) == 2) {
                AddInterval(&torus, t[0], t[1]);
                if (tool.c2 > tool.T1 / 2.0 &&
                    IntersectLineWithToolCylinder(B, n, g.slotBoundingDiameter, tool.c2, ray.c1, ray.c2, t, s) == 2)
                    SubtractPlainInterval(torus.ends, &torus.count, t[0], t[1]);
            }
            JoinListByHull(&upper, torus);
            if (upper.count > 0) {
                IntervalList joined;
                JoinListByHull(&joined, result);
                JoinListByHull(&joined, upper);
                result = joined;
            }
        }
    }
    SubtractBodyIntervals(ray, result, BodyCutOptions{false, true});
    // The neck above the head.
    IntervalList neck;
    int count = 0;
    if (g.cuttingTopRadius > g.neckRadius) {
        if (tool.L2 > tool.T1 - tool.c2)
            count = IntersectLineWithToolCylinder(st->sideStartPoint, n, g.cuttingTopRadius,
                                                  tool.L2 - (tool.T1 - tool.c2), ray.c1, ray.c2, t, s);
    } else if (g.cuttingTopRadius != g.shankRadius) {
        if (g.cornerCentreHeight < tool.h)
            count = IntersectLineWithToolCylinder(st->cornerCentrePoint, n, g.cuttingTopRadius,
                                                  tool.h - g.cornerCentreHeight, ray.c1, ray.c2, t, s);
    } else {
        count = IntersectLineWithShank(st->cornerCentrePoint, n, g.cuttingTopRadius, ray.c1, ray.c2, t, s);
    }
    if (count == 2) AddInterval(&neck, t[0], t[1]);
    SubtractBodyIntervals(ray, neck, BodyCutOptions{false, true});
}

// The CenterH search of a radius mill (CHIP-W CHECK OUTPUT) on one ray.
void SearchCenterHeight(const ToolShape& tool, const RayContext& ray, RowFlags* flags)
{
    DexelSweepState* st = ray.state;
    DexelDirectionBlock* b = ray.block;
    for (int guard = 0; guard < 100000; guard++) {
        g_CheckFlags.chip = 0;
        const double radius = ComputeBullNoseOffset(tool.d, tool.r, g_ToolMeasure.centerH);
        double t[2], s[2];
        const int count = IntersectLineWithShank(st->cornerBasePoint, st->axisVector, radius, ray.c1,
                                                 ray.c2, t, s);
        if (count != 2) {
            UpdateRowFlag(&flags->radiusMill, false);
            return;
        }
        UpdateRowFlag(&flags->radiusMill, true);
        RayEdit edit;
        BeginRayEdit(ray, 1 << 30, &edit);  // always the scratch copy: nothing is stored
        uint8_t colour[2];
        ChooseBodyColour(ray, t[0], t[1], false, colour);
        double volume = 0.0;
        int pieceEnds = 0;
        SubtractDexelIntervalWithVolume(edit.ends, edit.attributes, edit.values, &edit.count, b->pitch,
                                        b->rayCoordinates, ray.area, &volume, ray.scratch->pieces, &pieceEnds,
                                        t[0], t[1], colour, t_CutLineTag);
        if (pieceEnds <= 0) return;
        g_CheckFlags.chip = 1;
        g_ToolMeasure.centerH += 0.1;
        PointOnAxis(st, g_ToolMeasure.centerH, st->cornerBasePoint);
    }
}

void CutRadiusMill(const ToolShape& tool, const RayContext& ray, RowFlags* flags)
{
    DexelSweepState* st = ray.state;
    const ToolCutGeometry& g = *tool.g;
    const double* n = st->axisVector;
    double t[2], s[2];
    if (g_ChipWidthCheck == 1) {
        if (flags->radiusMill != 1) SearchCenterHeight(tool, ray, flags);
        g_CheckFlags.chip = 0;
    } else if (flags->radiusMill != 1) {
        const int count = IntersectLineWithShank(st->cornerBasePoint, n, tool.e, ray.c1, ray.c2, t, s);
        UpdateRowFlag(&flags->radiusMill, count == 2);
        if (count == 2) {
            IntervalList inner;
            AddInterval(&inner, t[0], t[1]);
            if (SubtractBodyIntervals(ray, inner, BodyCutOptions{false, false}) > 0 && g_ChipWidthCheck > 0)
                ray.scratch->checks.chip = 1;
        }
    }
    IntervalList list;
    int columnCount = 0;
    double column[2];
    if (flags->column != 1) {
        columnCount = IntersectColumn(tool, ray, st->cornerCentrePoint, g_CutBoundRadius,
                                      g.cornerCentreHeight, column);
        UpdateRowFlag(&flags->column, columnCount == 2);
    }
    if (columnCount == 2) {
        double coreHeight = 0.0;
        bool hasCore;
        if (g_ChipWidthCheck == 1) {
            hasCore = g_ToolMeasure.centerH > tool.r;
            coreHeight = g_ToolMeasure.centerH - tool.r;
        } else {
            hasCore = tool.r < tool.f;
            coreHeight = tool.f - tool.r;
        }
        double core[2];
        const int coreCount = hasCore ? IntersectLineWithToolCylinder(st->basePoint, n, tool.e, coreHeight,
                                                                      ray.c1, ray.c2, core, s)
                                      : 0;
        // The column less the core: trimmed at whichever end the core covers, split when the core
        // lies inside (an axis pointing against the ray puts the core at the column's upper end).
        AddInterval(&list, column[0], column[1]);
        if (coreCount == 2) SubtractPlainInterval(list.ends, &list.count, core[0], core[1]);
    }
    if (g.hasShank && flags->shank != 1) {
        double shank[2];
        const int shankCount = IntersectShank(tool, ray, shank);
        UpdateRowFlag(&flags->shank, shankCount == 2);
        if (shankCount == 2) AddInterval(&list, shank[0], shank[1]);
    }
    SubtractBodyIntervals(ray, list, BodyCutOptions{false, true});
    double tt[4], ss[4];
    const int count = IntersectLineWithTorus(st->basePoint, n, g.cornerCentreOffset, g.cornerRadius, ray.c1,
                                             ray.c2, tt, ss);
    IntervalList torus;
    for (int k = 0; k + 1 < count; k += 2) AddInterval(&torus, tt[k], tt[k + 1]);
    SubtractBodyIntervals(ray, torus, BodyCutOptions{false, true});
}

// --- Sections and holder steps -----------------------------------------------------------------

// The solid of neck section st->sectionIndex.
int IntersectNeckSection(const ToolShape& tool, const RayContext& ray, double t[2])
{
    const DexelSweepState* st = ray.state;
    const ToolCutGeometry& g = *tool.g;
    const double len = g_ToolAxisPlane[8];
    const double base = g_ToolAxisPlane[9];
    const double top = g_ToolAxisPlane[10];
    double s[2];
    if (st->sectionIndex == 0) {
        if (top != base) {
            if (!(len > 0.0)) return 0;
            // The sign of the slope chooses the growing or the shrinking frustum.
            if (top > base)
                return IntersectLineWithToolCone(st->basePoint, st->axisVector, base, (top - base) / len, len,
                                                 ray.c1, ray.c2, t, s);
            return IntersectLineWithNextConeBand(st->basePoint, st->axisVector, base, (top - base) / len, len,
                                                 ray.c1, ray.c2, t, s);
        }
        return IntersectLineWithShank(st->basePoint, st->axisVector, base, ray.c1, ray.c2, t, s);
    }
    if (st->sectionIndex == 1) {
        if (!(len > 0.0)) return 0;
        return IntersectLineWithToolCone(st->basePoint, st->axisVector, base, (top - base) / len, len, ray.c1,
                                         ray.c2, t, s);
    }
    return IntersectLineWithToolCylinder(st->basePoint, st->axisVector, g.neckRadius, len, ray.c1, ray.c2, t, s);
}

// The solid of holder step st->sectionIndex of the current holder.
int IntersectHolderStep(const RayContext& ray, double t[2])
{
    const DexelSweepState* st = ray.state;
    const ArborRecord& a = g_CurrentArbor;
    const int i = st->sectionIndex;
    const double len = a.lengths[i];
    if (!(len > 0.0)) return 0;  // a step of no height holds nothing
    const double* n = st->axisVector;
    double s[2];
    double R0 = a.diameters[i] / 2.0, R1 = R0;
    if (a.kind == ARBOR_KIND_TAPERS) {
        R0 = i == 0 ? g_ToolCut.neckRadius : a.diameters[i - 1] / 2.0;
        R1 = a.diameters[i] / 2.0;
    } else if (a.kind == ARBOR_KIND_SECTIONS && a.sectionCodes[i] != 0) {
        R1 = a.diameters[i + 1] / 2.0;
    }
    if (R0 == R1) return IntersectLineWithToolCylinder(st->basePoint, n, R0, len, ray.c1, ray.c2, t, s);
    // A step narrowing upwards is the shrinking frustum it is.
    if (R1 > R0) return IntersectLineWithToolCone(st->basePoint, n, R0, (R1 - R0) / len, len, ray.c1, ray.c2, t, s);
    return IntersectLineWithNextConeBand(st->basePoint, n, R0, (R1 - R0) / len, len, ray.c1, ray.c2, t, s);
}

// Removes [t0, t1] from a scratch copy of the ray with the given colours; stores it, marks the
// display and runs the LENGTH check unless this is a test. Returns 1 when it is a test and
// material would go.
int StampInterval(const RayContext& ray, double t0, double t1, const uint8_t colour[2], bool test,
                  bool lengthCheck)
{
    DexelDirectionBlock* b = ray.block;
    double* pieces = ray.scratch->pieces;
    RayEdit edit;
    BeginRayEdit(ray, 1 << 30, &edit);
    int pieceEnds = 0;
    SubtractCutIntervalFromDexel(edit.ends, edit.attributes, edit.values, &edit.count, b->pitch,
                                 b->rayNodeCount, b->rayCoordinates, ray.area, ray.volume, pieces,
                                 &pieceEnds, t0, t1, colour, t_CutLineTag);
    if (pieceEnds <= 0) return 0;
    *ray.endCount += pieceEnds;
    if (test) return 1;
    edit.changed = true;
    FinishRayEdit(ray, &edit);
    MarkRayBlocks(ray, pieces, pieceEnds);
    if (lengthCheck && g_HeightCheck > 0) CheckAxialDepth(b->rayAxis, ray.plane, pieces, pieceEnds, &ray.scratch->checks);
    return 0;
}

}  // namespace

// --- Public routines ---------------------------------------------------------------------------

void UpdateIntervalOverlap(double* candidates, int* candidateCount, int columnCount,
                           const double column[2], int shankCount, const double shank[2])
{
    IntervalList list;
    const bool haveColumn = columnCount == 2;
    const bool haveShank = shankCount == 2;
    double P[2];
    bool haveP = false;
    if (*candidateCount >= 2) {
        P[0] = candidates[0];
        P[1] = candidates[*candidateCount - 1];
        haveP = true;
        if (haveColumn) {
            if (column[0] < P[0]) P[0] = column[0];
            if (column[1] > P[1]) P[1] = column[1];
        }
    } else if (haveColumn) {
        P[0] = column[0];
        P[1] = column[1];
        haveP = true;
    } else if (haveShank) {
        P[0] = shank[0];
        P[1] = shank[1];
        haveP = true;
        *candidateCount = 2;
        candidates[0] = P[0];
        candidates[1] = P[1];
        return;
    }
    if (!haveP) {
        *candidateCount = 0;
        return;
    }
    if (haveShank)
        JoinRule(P, shank, &list);
    else
        AddInterval(&list, P[0], P[1]);
    // One or two intervals: copied end by end within that bound (a copy of open length would be a
    // library call on every ray).
    for (int k = 0; k < list.count && k < 4; k++) candidates[k] = list.ends[k];
    *candidateCount = list.count;
}

void TestPointsAgainstPlaneBand(int rayAxis, double rayPlane, double t0, double t1, unsigned char colour[2])
{
    if (HeightAboveTip(rayAxis, rayPlane, t0) > g_ToolAxisPlane[5]) colour[0] |= 1;
    if (HeightAboveTip(rayAxis, rayPlane, t1) > g_ToolAxisPlane[5]) colour[1] |= 1;
}

namespace {
// Squared distance of the point with block coordinates (c1, c2, t) from the tool axis line
// through the corner-centre point (global order values of g_CutPoints and g_ToolAxisPlane).
double SquaredDistanceFromAxis(int cross1, int cross2, int rayAxis, double c1, double c2, double t)
{
    double p[3];
    p[cross1] = c1;
    p[cross2] = c2;
    p[rayAxis] = t;
    const double* c = g_CutPoints[0];
    const double v[3] = {p[0] - c[0], p[1] - c[1], p[2] - c[2]};
    const double along = v[0] * g_ToolAxisPlane[0] + v[1] * g_ToolAxisPlane[1] + v[2] * g_ToolAxisPlane[2];
    return v[0] * v[0] + v[1] * v[1] + v[2] * v[2] - along * along;
}
}  // namespace

void TestPointsAgainstCylinder(int cross1, int cross2, int rayAxis, double c1, double c2, double t0,
                               double t1, unsigned char colour[2])
{
    const double inner = g_ToolCut.innerRadiusSquared;
    if (SquaredDistanceFromAxis(cross1, cross2, rayAxis, c1, c2, t0) < inner) colour[0] |= 1;
    if (SquaredDistanceFromAxis(cross1, cross2, rayAxis, c1, c2, t1) < inner) colour[1] |= 1;
}

void CheckAxialDepth(int rayAxis, double rayPlane, const double* pieces, int pieceEndCount,
                     CutCheckResults* results)
{
    if (g_HeightCheck == 1) {
        for (int k = 0; k < pieceEndCount; k++) {
            const double height = HeightAboveTip(rayAxis, rayPlane, pieces[k]) / g_ToolAxisPlane[4];
            if (height > results->height) results->height = height;
        }
        return;
    }
    if (g_HeightCheck == 2 || g_HeightCheck == 3) {
        for (int k = 0; k < pieceEndCount; k++) {
            if (HeightAboveTip(rayAxis, rayPlane, pieces[k]) > g_ToolAxisPlane[5]) {
                results->length = 1;
                return;
            }
        }
    }
}

void CheckRadialEngagement(int cross1, int cross2, int rayAxis, double c1, double c2,
                           const double* pieces, int pieceEndCount, CutCheckResults* results)
{
    for (int k = 0; k < pieceEndCount; k++) {
        const double q = SquaredDistanceFromAxis(cross1, cross2, rayAxis, c1, c2, pieces[k]);
        if (g_ChipWidthCheck == 1) {
            const double width = g_ToolCut.maxCuttingRadius - std::sqrt(q > 0.0 ? q : 0.0);
            if (width > results->tipW) results->tipW = width;
        } else if ((g_ChipWidthCheck == 2 || g_ChipWidthCheck == 3) && q < g_ToolCut.innerRadiusSquared) {
            results->chip = 1;
        }
    }
}

void ClearCutCheckResults(CutCheckResults* results)
{
    results->length = 0;
    results->chip = 0;
    results->height = -HUGE_VAL;
    results->tipW = -HUGE_VAL;
}

void MergeCutCheckResults(CutCheckResults* results)
{
    if (results->length) g_CheckFlags.length = 1;
    if (results->chip) g_CheckFlags.chip = 1;
    if (results->height > g_ToolMeasure.height) g_ToolMeasure.height = results->height;
    if (results->tipW > g_ToolMeasure.tipW) g_ToolMeasure.tipW = results->tipW;
    ClearCutCheckResults(results);
}

namespace {

// Scratch of workers 0 .. workers - 1, with marks for the work's display blocks, made on the
// calling thread before a sweep.
void ProvideScratches(int workers, const WorkModel* work)
{
    const size_t blocks = work && work->changedBlocks ? size_t(work->blockCount) : 0;
    while (int(s_Scratches.size()) < workers) {
        std::unique_ptr<CutScratch> scratch(new CutScratch);
        scratch->marked = false;
        scratch->markLow = SIZE_MAX;
        scratch->markHigh = 0;
        ForgetMarkedBoxes(scratch.get());
        scratch->unstoredRays = 0;
        ClearCutCheckResults(&scratch->checks);
        s_Scratches.push_back(std::move(scratch));
    }
    for (int w = 0; w < workers; w++)
        if (s_Scratches[w]->marks.size() != blocks) {
            s_Scratches[w]->marks.assign(blocks, 0);
            s_Scratches[w]->markLow = SIZE_MAX;
            s_Scratches[w]->markHigh = 0;
            ForgetMarkedBoxes(s_Scratches[w].get());
        }
}

// Hands the marks and check results of workers 0 .. workers - 1 to the work and the check records,
// clearing them for the next sweep. Marks are set bits and the checks flags and maxima, so the
// result does not depend on which worker cut which ray.
void MergeScratches(int workers, WorkModel* work)
{
    // The first line of unstored rays is that of the earliest position that met one, whichever
    // thread met it.
    int unstored = 0, firstPosition = INT32_MAX;
    int32_t firstTag = 0;
    for (int w = 0; w < workers; w++) {
        CutScratch* scratch = s_Scratches[size_t(w)].get();
        if (scratch->unstoredRays <= 0) continue;
        unstored += scratch->unstoredRays;
        if (scratch->unstoredPosition < firstPosition) {
            firstPosition = scratch->unstoredPosition;
            firstTag = scratch->unstoredTag;
        }
        scratch->unstoredRays = 0;
    }
    if (unstored > 0) {
        if (g_UnstoredRayCount == 0) g_FirstUnstoredRayLine = firstTag;
        g_UnstoredRayCount += unstored;
    }
    for (int w = 0; w < workers; w++) {
        CutScratch* scratch = s_Scratches[size_t(w)].get();
        MergeCutCheckResults(&scratch->checks);
        if (!scratch->marked) continue;
        scratch->marked = false;
        ForgetMarkedBoxes(scratch);
        uint8_t* marks = scratch->marks.data();
        const size_t count = scratch->marks.size();
        const size_t low = std::min(scratch->markLow, count), high = std::min(scratch->markHigh, count);
        scratch->markLow = SIZE_MAX;
        scratch->markHigh = 0;
        if (low >= high) continue;
        if (work && work->changedBlocks && size_t(work->blockCount) == count)
            for (size_t k = low; k < high; k++) work->changedBlocks[k] |= marks[k];
        std::memset(marks + low, 0, high - low);
    }
}

// Rays across the axis of a tool whose axis lies along cross axis h of the family (n[h] = +-1): a
// ray meets each cylinder on the axis at one height, in the chord of the cylinder's circle there.
// One such cylinder (capped or open) or none, as IntersectColumn and IntersectShank choose it.
struct AcrossCylinder {
    int kind;  // 0: none, 1: capped at height len above its base, 2: open
    const double* B;
    double R, len;
};

// Cylinder s on the rays of one row (cross coordinate c2): the squared half chord of its circle
// on a ray at c1 (not above 0 where the ray misses it), with the arithmetic of the plain capped and
// open routines for such an axis, so that its chord s.B[2] -+ the root is theirs, bit for bit. The
// row fixes the height (axis along cross axis 2) or the circle's radicand (along cross axis 1).
struct AcrossRowCylinder {
    int kind;            // 0: never met in the row
    bool alongRow;       // axis along cross axis 1: the height varies from ray to ray
    double B0, nh, len;  // base's cross 1 coordinate, axis component, capped length
    double radicand;     // axis along cross axis 1: the row's radicand
    double RR;           // R^2
};

AcrossRowCylinder SetUpAcrossRow(const AcrossCylinder& s, int h, double nh, double c2)
{
    AcrossRowCylinder r{s.kind, h == 0, s.B[0], nh, s.len, 0.0, s.R * s.R};
    if (s.kind == 0) return r;
    if (h == 0) {
        const double e = s.B[1] - c2;
        r.radicand = s.R * s.R - e * e;
    } else {
        // -(B - c) / nh for nh = +-1 is the open routine's difference, rounded alike.
        const double height = nh > 0.0 ? c2 - s.B[1] : s.B[1] - c2;
        if (height < 0.0 || (s.kind == 1 && height > s.len)) r.kind = 0;
    }
    return r;
}

inline double AcrossRadicand(const AcrossRowCylinder& r, double c1)
{
    if (r.kind == 0) return 0.0;
    if (r.alongRow) {
        const double height = r.nh > 0.0 ? c1 - r.B0 : r.B0 - c1;
        if (height < 0.0 || (r.kind == 1 && height > r.len)) return 0.0;
        return r.radicand;
    }
    const double e = r.B0 - c1;
    return r.RR - e * e;
}

// The chord around centre of a radicand AcrossRadicand or the sphere's gives.
inline int ChordOfRadicand(double centre, double radicand, double t[2])
{
    if (!(radicand > 0.0)) return 0;
    const double root = std::sqrt(radicand);
    t[0] = centre - root;
    t[1] = centre + root;
    return 2;
}

// The cylinder IntersectColumn cuts from base B at height H, as an AcrossCylinder.
AcrossCylinder ChooseAcrossColumn(const ToolShape& tool, const double B[3], double R, double H)
{
    const ToolCutGeometry& g = *tool.g;
    AcrossCylinder s{0, B, R, 0.0};
    if (g.cuttingTopRadius > g.neckRadius) {
        if (H < tool.L2) s = AcrossCylinder{1, B, R, tool.L2 - H};
    } else if (g.cuttingTopRadius != g.shankRadius) {
        if (H < tool.h) s = AcrossCylinder{1, B, R, tool.h - H};
    } else {
        s.kind = 2;
    }
    return s;
}

// True when the row's rays lie across the axis of a ball, flat or vertical tool along one of the
// family's cross axes: SweepRowAcrossAxis cuts them.
bool CutsAcrossAxis(const ToolShape& tool, const double n[3])
{
    if (!(tool.type == TOOL_BALL || tool.type == TOOL_FLAT || tool.type == TOOL_VERTICAL) || !(tool.r >= 0.0))
        return false;
    return n[2] == 0.0 && ((n[0] == 0.0 && std::fabs(n[1]) == 1.0) || (n[1] == 0.0 && std::fabs(n[0]) == 1.0));
}

// The values of one row of rays across a tool's axis that a ray's cut needs, read once per row:
// after a ray's attribute bytes are stored the compiler would read every value again from memory.
struct AcrossRowCut {
    DexelDirectionBlock* block;
    CutScratch* scratch;
    std::vector<double>* volumeTerms;
    int* endCount;
    int i2;
    double c2;
    float* tops;        // the row's entries in the top summary (null: none)
    double tipT;        // the tip's coordinate along the rays
    double rowArea;     // the pitch squared, halved where the row lies on the grid's side
    int lastCell1;      // the last cell along cross axis 1: rays 0 and this weigh half
    // The tip plane's value on the ray at c1 is (plane1 c1 + plane2) + plane3, as SetUpRay finds it.
    double plane1, plane2, plane3;
    // ChooseBodyColourOnRay without the cylinder test: the ends' colours, and where bandTest
    // holds, bit 0 set on an end whose height above the tip (HeightAboveTip) exceeds band.
    uint8_t colour[2];
    bool bandTest;
    double heightFactor, band;
    int32_t tag[2];      // the new ends' line tags
    bool heightCheck;    // the LENGTH check runs on removed pieces
    bool chipCheck;      // the CHIP check runs on removed pieces of a vertical single candidate
    // The box this thread marked last as the row sees it (read again after anything that may
    // mark): boxHoldsRow where it is the block's and holds the row's cross 2 blocks; a span within
    // [boxLow, boxHigh] of a ray whose cross 1 blocks lie in boxFirst1 .. boxLast1 lies in it.
    bool boxHoldsRow;
    int boxFirst1, boxLast1;
    double boxLow, boxHigh;
};

void ReadRowBox(AcrossRowCut* row)
{
    const CutScratch::MarkedBox& box = row->scratch->lastBox;
    const DexelDirectionBlock* b = row->block;
    row->boxHoldsRow = box.block == b && b->crossLowerBlock2[row->i2] >= box.first2 &&
                       b->crossUpperBlock2[row->i2] <= box.last2;
    row->boxFirst1 = box.first1;
    row->boxLast1 = box.last1;
    row->boxLow = box.low;
    row->boxHigh = box.high;
}

void SetUpAcrossRowCut(AcrossRowCut* row, DexelDirectionBlock* block, CutScratch* scratch,
                       std::vector<double>* volumeTerms, int* endCount, int i2, double tipT)
{
    row->block = block;
    row->scratch = scratch;
    row->volumeTerms = volumeTerms;
    row->endCount = endCount;
    row->i2 = i2;
    row->c2 = block->crossCoordinates2[i2];
    row->tops = block->counts == s_SummaryCounts ? s_SummaryTops + int64_t(i2) * block->crossNodeCount1 : nullptr;
    row->tipT = tipT;
    // Halving is exact: the weight is the same whichever side is halved first.
    row->rowArea = block->pitch * block->pitch;
    if (i2 == 0 || i2 == block->crossCellCount2) row->rowArea *= 0.5;
    row->lastCell1 = block->crossCellCount1;
    row->plane1 = g_ToolAxisPlane[block->crossAxis1];
    row->plane2 = g_ToolAxisPlane[block->crossAxis2] * row->c2;
    row->plane3 = g_ToolAxisPlane[3];
    const bool feed = g_MotionKind > 0;
    row->colour[0] = feed ? g_ToolPenAttribute : t_CutColour[0];
    row->colour[1] = feed ? g_ToolPenAttribute : t_CutColour[1];
    row->bandTest = feed && !g_CycleRapidInHole;
    row->heightFactor = g_ToolAxisPlane[block->rayAxis];
    row->band = g_ToolAxisPlane[5];
    row->tag[0] = t_CutLineTag[0];
    row->tag[1] = t_CutLineTag[1];
    row->heightCheck = g_HeightCheck > 0;
    row->chipCheck = g_ChipWidthCheck > 0;
    ReadRowBox(row);
}

// Index of the first of the n material ends' intervals whose exit lies above t0, given j, the first
// whose exit lies above the tip: the exits ascend, so for t0 at or below the tip it is found by
// stepping back from j.
inline int FindFirstExitAboveFromTip(const double* material, int n, int j, double tipT, double t0)
{
    if (!(t0 <= tipT)) return FindFirstMaterialExitAbove(material, n, t0);
    int k = j;
    while (k >= 2 && material[k - 1] > t0) k -= 2;
    return k;
}

// SubtractBodyIntervals of one candidate [t0, t1] from ray i1 (at c1, material of n ends whose
// first interval with its exit above the tip is j) of the row, where the candidate meets no
// material or lies as the in-place moves of the subtraction take it: the same ends, attributes,
// tags, volume terms, counts, marks and checks, without the ray's full set-up. Returns false,
// having changed nothing, where the subtraction has to run.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline bool CutAcrossRayInPlace(AcrossRowCut& row, int i1, double c1, double* material, int n, int j, double t0,
                                double t1, BodyCutOptions options)
{
    if (!(t1 - t0 >= kMinChord)) return true;
    const int k = FindFirstExitAboveFromTip(material, n, j, row.tipT, t0);
    if (!(k < n && material[k] < t1)) return true;
    if (n > DEXEL_MAX_ENDS) return false;
    const double entry = material[k], exit = material[k + 1];
    const bool coversExit = entry < t0 && !(t1 < exit) && (k + 2 >= n || material[k + 2] > t1);
    const bool coversEntry = !(entry < t0) && t1 < exit;
    const bool coversGap = entry < t0 && !(t1 < exit) && k + 2 < n && material[k + 2] < t1 && material[k + 3] > t1;
    if (!coversGap && !coversExit && !coversEntry) return false;
    DexelDirectionBlock* b = row.block;
    const int d = i1 + row.i2 * b->crossNodeCount1;
    double area = row.rowArea;
    if (i1 == 0 || i1 == row.lastCell1) area *= 0.5;
    const double plane = row.plane1 * c1 + row.plane2 + row.plane3;
    uint8_t colour[2];
    if (options.verticalSingle) {
        ChooseBodyColourOnRay(b, plane, c1, row.c2, t0, t1, true, colour);
    } else {
        colour[0] = row.colour[0];
        colour[1] = row.colour[1];
        if (row.bandTest) {
            if (std::fabs(row.heightFactor * t0 + plane) > row.band) colour[0] |= 1;
            if (std::fabs(row.heightFactor * t1 + plane) > row.band) colour[1] |= 1;
        }
    }
    uint8_t* attributes = GetDexelAttributesPointer(d, b->capacity, b->counts, b->ends, b->attributes);
    int32_t* values = GetDexelValuesPointer(d, b->capacity, b->counts, b->values);
    double pieces[4];
    int pieceEnds = 2;
    if (coversGap) {
        pieceEnds = MoveCoveredEndsInPlace(material, attributes, values, n, k, t0, t1, true, false, colour, area,
                                           row.tops ? row.tops + i1 : nullptr, pieces, row.volumeTerms, row.tag);
    } else {
        // MoveCoveredEndsInPlace's move of one exit or entry.
        const int side = coversExit ? 0 : 1;
        const int e = coversExit ? k + 1 : k;
        pieces[0] = coversExit ? t0 : entry;
        pieces[1] = coversExit ? exit : t1;
        const double volume = 0.0 + (pieces[1] - pieces[0]) * area;
        material[e] = coversExit ? t0 : t1;
        if (row.tops && e == n - 1) row.tops[i1] = TopBound(t0);
        attributes[e] = colour[side];
        values[e] = row.tag[side];
        row.volumeTerms->push_back(volume);
    }
    // NoteRemovedPiecesAt with the marked box as the row holds it.
    *row.endCount += pieceEnds;
    const int lower1 = b->crossLowerBlock1[i1], upper1 = b->crossUpperBlock1[i1];
    if (!(row.boxHoldsRow && pieces[0] >= row.boxLow && pieces[pieceEnds - 1] <= row.boxHigh &&
          lower1 >= row.boxFirst1 && upper1 <= row.boxLast1)) {
        // Else most lie in a box marked a little earlier, which then becomes the row's.
        if (const CutScratch::MarkedBox* known =
                FindMarkedBox(row.scratch, b, lower1, upper1, b->crossLowerBlock2[row.i2],
                              b->crossUpperBlock2[row.i2], pieces[0], pieces[pieceEnds - 1])) {
            row.scratch->lastBox = *known;
        } else {
            RayContext ray{};
            ray.block = b;
            ray.scratch = row.scratch;
            ray.i1 = i1;
            ray.i2 = row.i2;
            MarkRayBlocksOutsideBox(ray, pieces, pieceEnds);
        }
        ReadRowBox(&row);
    }
    if (row.heightCheck) CheckAxialDepth(b->rayAxis, plane, pieces, pieceEnds, &row.scratch->checks);
    if (options.verticalSingle && row.chipCheck)
        CheckRadialEngagement(b->crossAxis1, b->crossAxis2, b->rayAxis, c1, row.c2, pieces, pieceEnds,
                              &row.scratch->checks);
    return true;
}

// SweepRow for such rays. Each ray gets the candidates CutBall or CutFlat gives it (the row flags
// only pass over rays past the solids' run of hits, which is one run for such rays), without the
// general solid routines, and the subtraction alone decides whether its material meets them.
void SweepRowAcrossAxis(const ToolShape& tool, DexelDirectionBlock* block, int i2, CutScratch* scratch,
                        std::vector<double>* volumeTerms, int* endCount)
{
    const DexelSweepState* st = block->sweep;
    const double* n = st->axisVector;
    const int h = n[0] == 0.0 ? 1 : 0;
    const double nh = n[h];
    const ToolCutGeometry& g = *tool.g;
    const bool ball = tool.type == TOOL_BALL;
    const AcrossCylinder column = ball ? ChooseAcrossColumn(tool, st->cornerCentrePoint, g_CutBoundRadius,
                                                            g.cornerCentreHeight)
                                       : ChooseAcrossColumn(tool, st->basePoint, tool.d / 2.0, 0.0);
    const AcrossCylinder shank{g.hasShank ? 2 : 0, st->shankBasePoint, g.shankRadius, 0.0};
    const int32_t* counts = block->counts + i2 * block->crossNodeCount1;
    const double* C = st->cornerCentrePoint;
    const double R = g_CutBoundRadius;
    // Every chord lies within its solid's centre -+ its root: a ray whose material lies farther from
    // the tip than the largest root (by a margin far above the rounding of the roots, their centres'
    // offsets from the tip included) is passed over on squares, without the roots.
    const double tipT = st->basePoint[2];
    double offset = 1e-9 * (1.0 + std::fabs(tipT));
    offset += std::max({ball ? std::fabs(C[2] - tipT) : 0.0, column.kind ? std::fabs(column.B[2] - tipT) : 0.0,
                        shank.kind ? std::fabs(shank.B[2] - tipT) : 0.0});
    const double c2 = block->crossCoordinates2[i2];
    const double e2 = C[1] - c2;
    const AcrossRowCylinder rowColumn = SetUpAcrossRow(column, h, nh, c2);
    const AcrossRowCylinder rowShank = SetUpAcrossRow(shank, h, nh, c2);
    const int f = block->rayAxis;
    // The known empty stretches serve tools along Z, whose X- and Y-rays sit at fixed heights
    // under the tool's path; under a tool along X or Y they cost more than they save. The axis is
    // given in the family's frame: cross axis h is the work's Z for a tool along Z.
    const bool alongZ = (h == 0 ? block->crossAxis1 : block->crossAxis2) == 2;
    float* gaps = alongZ && (f == 0 || f == 1) && block->counts == s_GapCounts[f]
                      ? s_GapEntries[f] + 2 * int64_t(i2) * block->crossNodeCount1
                      : nullptr;
    int low1 = st->rangeLow1, high1 = st->rangeHigh1;
    if (low1 <= high1) {
        // The rays that can have a radicand lie within the hull of the sphere's circle on the row,
        // the cylinders' circles (axis across the row) or their heights (axis along the row, where
        // the row's circle has a radicand), each widened by a margin far above the rounding of the
        // radicands; the rays beyond it are passed over unread.
        double low = HUGE_VAL, high = -HUGE_VAL;
        bool known = true;
        auto widen = [&](double a, double b, double scale) {
            const double margin = 1e-6 * (1.0 + scale);
            if (!(a - margin <= b + margin)) known = false;
            low = std::min(low, a - margin);
            high = std::max(high, b + margin);
        };
        if (ball && e2 * e2 < R * R) widen(C[0] - std::sqrt(R * R - e2 * e2), C[0] + std::sqrt(R * R - e2 * e2), std::fabs(C[0]) + R);
        else if (ball && !(e2 * e2 >= R * R)) known = false;
        for (const AcrossRowCylinder* r : {&rowColumn, &rowShank}) {
            if (r->kind == 0) continue;
            if (!r->alongRow) {
                const double radius = std::sqrt(r->RR);
                widen(r->B0 - radius, r->B0 + radius, std::fabs(r->B0) + radius);
            } else if (r->radicand > 0.0) {
                const bool up = r->nh > 0.0;
                const double length = r->kind == 1 ? r->len : HUGE_VAL;
                widen(up ? r->B0 : r->B0 - length, up ? r->B0 + length : r->B0, std::fabs(r->B0) + (r->kind == 1 ? r->len : 0.0));
            }
        }
        if (known) {
            if (!(low <= high)) return;
            const double* x = block->crossCoordinates1;
            low1 = int(std::lower_bound(x + low1, x + high1 + 1, low) - x);
            high1 = int(std::upper_bound(x + low1, x + high1 + 1, high) - x) - 1;
        }
    }
    AcrossRowCut row;
    SetUpAcrossRowCut(&row, block, scratch, volumeTerms, endCount, i2, tipT);
    const double* x = block->crossCoordinates1;
    // A cylinder whose axis lies along the row gives the row's radicand to the rays at its heights
    // (AcrossRadicand): where that radicand is not positive, or every ray of the range lies below
    // the cylinder's base, it gives no ray a chord nor a largest radicand above the sphere's.
    auto meetsRange = [&](const AcrossRowCylinder& r) {
        if (r.kind == 0) return false;
        if (!r.alongRow || !(low1 <= high1)) return true;
        if (r.radicand <= 0.0) return false;
        return r.nh > 0.0 ? !(x[high1] - r.B0 < 0.0) : !(r.B0 - x[low1] < 0.0);
    };
    const bool cylinders = rowColumn.kind != 0 || rowShank.kind != 0;
    const double RR = R * R, e22 = e2 * e2;
    if (ball && !meetsRange(rowColumn) && !meetsRange(rowShank)) {
        // A row of a ball that neither cylinder meets (most rows under a ball): the loop below
        // with the sphere's chord alone, which is then the ray's one candidate.
        const double C0 = C[0], C2 = C[2];
        for (int i1 = low1; i1 <= high1; i1++) {
            const int cnt = counts[i1];
            if (cnt == 0) continue;
            const double c1 = x[i1];
            const double e1 = C0 - c1;
            const double q = e1 * e1 + e22;
            if (!(q < RR)) continue;
            const double most = RR - q;
            float* gap = gaps ? gaps + 2 * i1 : nullptr;
            if (gap) {
                const double known = std::min(tipT - double(gap[0]), double(gap[1]) - tipT);
                const double knownClear = known - offset;
                if (knownClear > 0.0 && knownClear * knownClear > most) continue;
            }
            const int d = i1 + i2 * block->crossNodeCount1;
            double* material = GetDexelEndsPointer(d, block->capacity, block->counts, block->ends);
            const int j = FindFirstMaterialExitAbove(material, cnt, tipT);
            double distance = HUGE_VAL;
            if (j < cnt) distance = material[j] - tipT;
            if (j >= 2) distance = std::min(distance, tipT - material[j - 1]);
            const double clear = distance - offset;
            if (clear > 0.0 && clear * clear > most) {
                if (gap) {
                    gap[0] = j >= 2 ? TopBound(material[j - 1]) : -HUGE_VALF;
                    gap[1] = j < cnt ? FloatAtOrBelow(material[j]) : HUGE_VALF;
                }
                continue;
            }
            const double root = std::sqrt(most);
            const double t0 = C2 - root, t1 = C2 + root;
            const BodyCutOptions options{false, true};
            if (CutAcrossRayInPlace(row, i1, c1, material, cnt, j, t0, t1, options)) continue;
            IntervalList list;
            AddInterval(&list, t0, t1);
            RayContext ray;
            SetUpRay(&ray, block, i1, i2, scratch, nullptr, volumeTerms, endCount);
            SubtractBodyIntervals(ray, list, options);
            ReadRowBox(&row);
        }
        return;
    }
    for (int i1 = low1; i1 <= high1; i1++) {
        const int cnt = counts[i1];
        if (cnt == 0) continue;
        const double c1 = x[i1];
        double columnRadicand = 0.0, shankRadicand = 0.0;
        if (cylinders) {
            columnRadicand = AcrossRadicand(rowColumn, c1);
            shankRadicand = AcrossRadicand(rowShank, c1);
        }
        // IntersectSphere's arithmetic.
        double sphereRadicand = 0.0;
        if (ball) {
            const double e1 = C[0] - c1;
            const double q = e1 * e1 + e22;
            if (q < RR) sphereRadicand = RR - q;
        }
        const double most = std::max({columnRadicand, shankRadicand, sphereRadicand});
        if (!(most > 0.0)) continue;
        // The ray's known empty stretch lies within the material's gap around the tip (when it
        // holds the tip), so where it clears the chords on squares, the material does.
        float* gap = gaps ? gaps + 2 * i1 : nullptr;
        if (gap) {
            const double known = std::min(tipT - double(gap[0]), double(gap[1]) - tipT);
            const double knownClear = known - offset;
            if (knownClear > 0.0 && knownClear * knownClear > most) continue;
        }
        const int d = i1 + i2 * block->crossNodeCount1;
        double* material = GetDexelEndsPointer(d, block->capacity, block->counts, block->ends);
        const int j = FindFirstMaterialExitAbove(material, cnt, tipT);
        double distance = HUGE_VAL;
        if (j < cnt) distance = material[j] - tipT;
        if (j >= 2) distance = std::min(distance, tipT - material[j - 1]);
        const double clear = distance - offset;
        if (clear > 0.0 && clear * clear > most) {
            // Left: the gap around the tip is kept for the next positions.
            if (gap) {
                gap[0] = j >= 2 ? TopBound(material[j - 1]) : -HUGE_VALF;
                gap[1] = j < cnt ? FloatAtOrBelow(material[j]) : HUGE_VALF;
            }
            continue;
        }
        double columnChord[2], shankChord[2];
        const int columnCount = ChordOfRadicand(column.B[2], columnRadicand, columnChord);
        const int shankCount = ChordOfRadicand(shank.B[2], shankRadicand, shankChord);
        IntervalList list;
        bool verticalSingle = false;
        if (ball) {
            double sphere[2];
            if (ChordOfRadicand(C[2], sphereRadicand, sphere) == 2) AddInterval(&list, sphere[0], sphere[1]);
            JoinUpperParts(&list, columnCount, columnChord, shankCount, shankChord);
        } else {
            JoinColumnAndShank(&list, columnCount, columnChord, shankCount, shankChord);
            verticalSingle = tool.type == TOOL_VERTICAL && list.count == 2;
        }
        const BodyCutOptions options{verticalSingle, true};
        if (list.count == 2 && CutAcrossRayInPlace(row, i1, c1, material, cnt, j, list.ends[0], list.ends[1], options))
            continue;
        RayContext ray;
        SetUpRay(&ray, block, i1, i2, scratch, nullptr, volumeTerms, endCount);
        SubtractBodyIntervals(ray, list, options);
        ReadRowBox(&row);
    }
}

// The rays of row i2 (first .. last of the family's range) that can pass the reach-chord test of a
// tool whose axis n crosses them obliquely (n[2] not 0): only those whose chord through the cylinder
// of radius P (the padded reach) around the axis line meets the grid's span along the rays (widened
// by a pitch, as the ranges are) on the tool's side of the tip plane (less planeMargin). With a, b2
// the ray's cross offsets from the tip and w = n[0] a + n[1] b2, the chord is centred at n[2] w / A
// with a half length of at most H, and every such condition bounds w linearly; the cylinder itself
// bounds a where n[1] is not 0, and the chord's reach onto the tool's side of the tip plane bounds
// it by the roots of a quadratic. Bounds widened far beyond their rounding, so every ray left out
// would fail the test. Leaves last < first when no ray can pass.
void NarrowObliqueRow(const DexelDirectionBlock* block, int i2, double P, double planeMargin, int* first, int* last)
{
    const DexelSweepState* st = block->sweep;
    const double* n = st->axisVector;
    const double* T = st->basePoint;
    const double A = 1.0 - n[2] * n[2];
    const double b2 = block->crossCoordinates2[i2] - T[1];
    const double kLeast = n[1] == 0.0 ? std::fabs(n[0] * b2) : 0.0;  // least distance of a ray from the axis
    const double discMost = A * P * P - kLeast * kLeast;
    if (!(discMost > 0.0) || !(A > 0.0)) {
        *last = *first - 1;
        return;
    }
    const double H = std::sqrt(discMost) / A;
    double rayLow, rayHigh;
    const WorkModel* work = block->work;
    const int axis = block->rayAxis;
    if (block->rayCoordinates) {
        rayLow = block->rayCoordinates[0];
        rayHigh = block->rayCoordinates[block->rayNodeCount - 1];
    } else {
        rayLow = axis == 0 ? work->originX : axis == 1 ? work->originY : work->originZ;
        rayHigh = rayLow + (block->rayNodeCount - 1) * block->pitch;
    }
    const double U0 = rayLow - block->pitch - T[2], U1 = rayHigh + block->pitch - T[2];
    const double nz = n[2];
    // Lower bounds of w: the chord reaches the tool's side of the plane, and that side the span.
    double wLow, wHigh;
    if (nz > 0.0) {
        wLow = std::max((-planeMargin / nz - H) / (nz / A + 1.0 / nz), -planeMargin - U1 * nz);
        wLow = std::max(wLow, (U0 - H) * A / nz);   // the chord's top above the span's start
        wHigh = (U1 + H) * A / nz;                   // its bottom below the span's end
    } else {
        wLow = std::max((-planeMargin + H * nz) / (nz * nz / A + 1.0), -planeMargin - U0 * nz);
        wLow = std::max(wLow, (U1 + H) * A / nz);
        wHigh = (U0 - H) * A / nz;
    }
    const double wMargin = 1e-6 * (1.0 + std::fabs(wLow) + std::fabs(wHigh));
    wLow -= wMargin;
    wHigh += wMargin;
    double aLow = -HUGE_VAL, aHigh = HUGE_VAL;
    const double w0 = n[1] * b2;  // w at a = 0
    if (n[0] != 0.0) {
        aLow = (wLow - w0) / n[0];
        aHigh = (wHigh - w0) / n[0];
        if (aLow > aHigh) std::swap(aLow, aHigh);
    } else if (!(w0 >= wLow && w0 <= wHigh)) {
        *last = *first - 1;
        return;
    }
    if (n[1] != 0.0) {
        // |n[1] a - n[0] b2| < sqrt(A) P.
        const double reach = std::sqrt(A) * P;
        double low = (n[0] * b2 - reach) / n[1], high = (n[0] * b2 + reach) / n[1];
        if (low > high) std::swap(low, high);
        aLow = std::max(aLow, low);
        aHigh = std::min(aHigh, high);
    }
    if (!(aLow <= aHigh)) {
        *last = *first - 1;
        return;
    }
    const double aMargin = 1e-6 * (1.0 + std::fabs(T[0]) + std::fabs(aLow) + std::fabs(aHigh));
    aLow -= aMargin;
    aHigh += aMargin;
    if (A >= 1e-3 && std::fabs(nz) >= 1e-3) {
        // The chord reaches the tool's side of the plane where its centre lies there (u = m A + w
        // > 0, with m the plane margin) or its half length exceeds the centre's distance from the
        // plane: u^2 + nz^2 k^2 < nz^2 A P^2 for k = n[1] a - n[0] b2. Both are intervals of a and
        // so is their hull; the rays outside it have no chord there. Widened far beyond the
        // rounding of both the bounds and the rays' own tests (near a tangent the bounds move with
        // the square root of that rounding).
        const double u0 = n[1] * b2 + planeMargin * A, k0 = -n[0] * b2;
        const double alpha = n[0] * n[0] + nz * nz * n[1] * n[1];
        const double beta = n[0] * u0 + nz * nz * n[1] * k0;
        const double gamma = u0 * u0 + nz * nz * (k0 * k0 - A * P * P);
        const double D = beta * beta - alpha * gamma;
        double kLow = HUGE_VAL, kHigh = -HUGE_VAL;  // the hull, empty so far
        if (alpha > 0.0 && D > 0.0) {
            const double root = std::sqrt(D);
            kLow = (-beta - root) / alpha;
            kHigh = (root - beta) / alpha;
        }
        // The centre on the tool's side, within the reach (aLow .. aHigh holds the latter).
        double cLow = aLow, cHigh = aHigh;
        if (n[0] > 0.0)
            cLow = std::max(cLow, -u0 / n[0]);
        else if (n[0] < 0.0)
            cHigh = std::min(cHigh, -u0 / n[0]);
        else if (!(u0 > 0.0))
            cHigh = cLow - 1.0;
        if (cLow <= cHigh) {
            kLow = std::min(kLow, cLow);
            kHigh = std::max(kHigh, cHigh);
        }
        if (!(kLow <= kHigh)) {
            *last = *first - 1;
            return;
        }
        const double margin = 1e-4 * (1.0 + std::fabs(T[0]) + std::fabs(kLow) + std::fabs(kHigh) + P);
        aLow = std::max(aLow, kLow - margin);
        aHigh = std::min(aHigh, kHigh + margin);
        if (!(aLow <= aHigh)) {
            *last = *first - 1;
            return;
        }
    }
    const double* c = block->crossCoordinates1;
    if (aLow > -HUGE_VAL) *first = int(std::lower_bound(c + *first, c + *last + 1, T[0] + aLow) - c);
    if (aHigh < HUGE_VAL) *last = int(std::upper_bound(c + *first, c + *last + 1, T[0] + aHigh) - c) - 1;
}

// The rays of row i2 (first .. last of the family's range) that can pass the tests of a tool whose
// axis n lies across them (n[2] = 0): a ray at height w = n[0] a + n[1] b2 above the tip (a, b2 its
// cross offsets from it) is passed over below the tip plane (w < -planeMargin) and, where reach
// is set, outside the cylinder of radius P around the axis (|n[1] a - n[0] b2| >= P, the ray's
// distance from the axis line). Both bound a linearly; bounds found only where the axis component
// they divide by is not tiny, and widened far beyond the rounding of the rays' own tests, so every
// ray left out would fail them. Leaves last < first when no ray can pass.
void NarrowAcrossRow(const DexelDirectionBlock* block, int i2, double P, double planeMargin, bool reach, int* first,
                     int* last)
{
    const DexelSweepState* st = block->sweep;
    const double* n = st->axisVector;
    const double* T = st->basePoint;
    const double b2 = block->crossCoordinates2[i2] - T[1];
    double aLow = -HUGE_VAL, aHigh = HUGE_VAL;
    if (std::fabs(n[0]) >= 1e-3) {
        const double bound = (-planeMargin - n[1] * b2) / n[0];
        if (n[0] > 0.0)
            aLow = bound;
        else
            aHigh = bound;
    }
    if (reach && std::fabs(n[1]) >= 1e-3) {
        double low = (n[0] * b2 - P) / n[1], high = (n[0] * b2 + P) / n[1];
        if (low > high) std::swap(low, high);
        aLow = std::max(aLow, low);
        aHigh = std::min(aHigh, high);
    }
    const double margin = 1e-4 * (1.0 + std::fabs(T[0]) + std::fabs(b2) + P + (aLow > -HUGE_VAL ? std::fabs(aLow) : 0.0) +
                                  (aHigh < HUGE_VAL ? std::fabs(aHigh) : 0.0));
    aLow -= margin;
    aHigh += margin;
    if (!(aLow <= aHigh)) {
        *last = *first - 1;
        return;
    }
    const double* c = block->crossCoordinates1;
    if (aLow > -HUGE_VAL) *first = int(std::lower_bound(c + *first, c + *last + 1, T[0] + aLow) - c);
    if (aHigh < HUGE_VAL) *last = int(std::upper_bound(c + *first, c + *last + 1, T[0] + aHigh) - c) - 1;
}

// The chord [*low, *high] of a ball's reach cylinder above its upper parts' base (upper: the ray
// meets that part) hulled with the chord of its padded sphere, of square distance sphereQ from the
// ray and centred at centre along it. False when the ray meets neither.
inline bool HullWithPaddedSphere(bool upper, double sphereQ, double paddedSphere, double centre, double* low,
                                 double* high)
{
    if (sphereQ < paddedSphere * paddedSphere) {
        const double half = std::sqrt(paddedSphere * paddedSphere - sphereQ);
        *low = upper ? std::min(*low, centre - half) : centre - half;
        *high = upper ? std::max(*high, centre + half) : centre + half;
        return true;
    }
    return upper;
}

// The padded chord of a ray crossing a tool's axis obliquely, as SweepRow tests it against the
// material next to its split point (heights relative to the tip).
struct ObliqueChord {
    bool up;                  // n[2] > 0
    double onLimit, centre, halfSquared, split;
    double sphereCentre, sphereHalfSquared;  // the padded sphere's chord (none: 0 half square)
    double margin;
};

// True when the material's last exit at or below the split point (exit; -inf: none) lies below the
// chord and its first entry above it (entry; +inf: none) above the chord, on squares, less the
// margin. Every comparison grows monotonically false toward the chord, so bounds of the exit from
// above and of the entry from below that pass pass for the material too.
// The part of it below the split point, without the sphere.
inline bool ExitClearBelowObliqueChord(const ObliqueChord& c, double exit)
{
    const double below = c.centre - exit - c.margin;
    return (c.up && exit <= c.onLimit - c.margin) || (below > 0.0 && below * below >= c.halfSquared);
}

inline bool MaterialClearOfObliqueChord(const ObliqueChord& c, double exit, double entry)
{
    bool clearBelow = ExitClearBelowObliqueChord(c, exit);
    if (c.sphereHalfSquared > 0.0) {
        const double sphereBelow = c.sphereCentre - exit - c.margin;
        clearBelow = clearBelow && sphereBelow > 0.0 && sphereBelow * sphereBelow >= c.sphereHalfSquared;
    }
    const double above = entry - c.centre - c.margin;
    bool clearAbove =
        entry > c.split && ((!c.up && entry >= c.onLimit + c.margin) || (above > 0.0 && above * above >= c.halfSquared));
    if (c.sphereHalfSquared > 0.0) {
        const double sphereAbove = entry - c.sphereCentre - c.margin;
        clearAbove = clearAbove && sphereAbove > 0.0 && sphereAbove * sphereAbove >= c.sphereHalfSquared;
    }
    return clearBelow && clearAbove;
}

// One row (cross index i2) of a family's range cut by the tool body; the row's removed volumes are
// listed in volumeTerms and its removed ends counted in *endCount.
// The summary tests of the Z-rays first .. last (at most 64) of a row under a tool along +Z, as
// bits (bit k for ray first + k) of the rays they leave open: a ray whose summary top the tip
// clears, that lies outside the reach, or (sphere set: a ball) whose summary top lies below the
// sphere's lower crossing by the margin, tested on squares, is passed over. Two rays at a time
// where the processor has the paired instructions, with the same operations in the same order as
// for one, so the bits do not depend on it.
struct SummaryTest {
    const float* tops;
    const double* coordinates;  // the row's cross coordinates along its rays' index
    double tipT, baseX, dySquared, outsideReach;
    bool sphere;
    double centreX, e2Squared, centreZ, radiusSquared, margin;
};

inline bool SummaryLeavesOpen(const SummaryTest& s, int i)
{
    const double top = s.tops[i];
    const double dx = s.baseX - s.coordinates[i];
    const double e1 = s.centreX - s.coordinates[i];
    const double q = e1 * e1 + s.e2Squared;
    const double u = s.centreZ - top - s.margin;
    const bool below = s.sphere && q < s.radiusSquared && u > 0.0 && u * u > s.radiusSquared - q;
    return !(s.tipT >= top) && !(dx * dx + s.dySquared > s.outsideReach) && !below;
}

uint64_t SummaryOpenBits(const SummaryTest& s, int first, int last)
{
    uint64_t bits = 0;
    int i = first;
#if defined(__SSE2__)
    const __m128d tipT = _mm_set1_pd(s.tipT), baseX = _mm_set1_pd(s.baseX), dySquared = _mm_set1_pd(s.dySquared);
    const __m128d outsideReach = _mm_set1_pd(s.outsideReach), centreX = _mm_set1_pd(s.centreX);
    const __m128d e2Squared = _mm_set1_pd(s.e2Squared), centreZ = _mm_set1_pd(s.centreZ);
    const __m128d radiusSquared = _mm_set1_pd(s.radiusSquared), margin = _mm_set1_pd(s.margin);
    const __m128d sphere = _mm_castsi128_pd(_mm_set1_epi64x(s.sphere ? -1 : 0));
    const __m128d zero = _mm_setzero_pd();
    for (; i + 1 <= last; i += 2) {
        const __m128d top = _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s.tops + i))));
        const __m128d x = _mm_loadu_pd(s.coordinates + i);
        const __m128d dx = _mm_sub_pd(baseX, x);
        const __m128d e1 = _mm_sub_pd(centreX, x);
        const __m128d q = _mm_add_pd(_mm_mul_pd(e1, e1), e2Squared);
        const __m128d u = _mm_sub_pd(_mm_sub_pd(centreZ, top), margin);
        __m128d below = _mm_and_pd(_mm_cmplt_pd(q, radiusSquared), _mm_cmpgt_pd(u, zero));
        below = _mm_and_pd(below, _mm_cmpgt_pd(_mm_mul_pd(u, u), _mm_sub_pd(radiusSquared, q)));
        below = _mm_and_pd(below, sphere);
        __m128d closed = _mm_or_pd(_mm_cmpge_pd(tipT, top),
                                   _mm_cmpgt_pd(_mm_add_pd(_mm_mul_pd(dx, dx), dySquared), outsideReach));
        closed = _mm_or_pd(closed, below);
        bits |= uint64_t(~_mm_movemask_pd(closed) & 3) << (i - first);
    }
#endif
    for (; i <= last; i++) bits |= uint64_t(SummaryLeavesOpen(s, i)) << (i - first);
    return bits;
}

// The summary tests of a row's rays first .. last (at most 64) under a tool (not a ball) crossing
// them obliquely, as bits of the rays they leave open (ObliqueSummaryOpenBits for the Z-rays'
// tops, ObliqueGapOpenBits for the X- and Y-rays' known empty stretches). The arithmetic of
// SweepRow's test of one ray, operation for operation, two rays at a time where the processor has
// the paired instructions.
struct ObliqueRowTest {
    const float* summary;       // the row's tops (one per ray) or stretches (low, high per ray)
    const double* coordinates;  // the row's cross coordinates along its rays' index
    double baseX, n0, n1, n2, b2, rowTerm, reachTerm, planeMargin, inverseRayComponent, inverseA, tipT, margin;
};

// The padded chord of ray i (without a sphere); false where the ray lies outside the reach.
inline bool ObliqueChordOfRay(const ObliqueRowTest& s, int i, ObliqueChord* chord)
{
    const double a = s.coordinates[i] - s.baseX;
    const double w = a * s.n0 + s.b2 * s.n1;
    const double k = s.n1 * a - s.rowTerm;
    const double disc = s.reachTerm - k * k;
    if (!(disc > 0.0)) return false;
    const double onLimit = (-s.planeMargin - w) * s.inverseRayComponent;
    const double centre = s.n2 * w * s.inverseA;
    const double halfSquared = disc * s.inverseA * s.inverseA;
    const double split = s.n2 > 0.0 ? std::max(centre, onLimit) : std::min(centre, onLimit);
    *chord = ObliqueChord{s.n2 > 0.0, onLimit, centre, halfSquared, split, 0.0, 0.0, s.margin};
    return true;
}

// A Z-ray outside the reach, or whose summary top lies at or below its split point and below its
// chord (or the tip plane), is passed over.
inline bool ObliqueSummaryLeavesOpen(const ObliqueRowTest& s, int i)
{
    ObliqueChord chord;
    if (!ObliqueChordOfRay(s, i, &chord)) return false;
    const double top = s.summary[i];
    if (!(top <= s.tipT + chord.split)) return true;
    return !ExitClearBelowObliqueChord(chord, top - s.tipT);
}

// An X- or Y-ray outside the reach, or whose stretch holds its split point and its chord
// (MaterialClearOfObliqueChord on the stretch's ends), is passed over.
inline bool ObliqueGapLeavesOpen(const ObliqueRowTest& s, int i)
{
    ObliqueChord chord;
    if (!ObliqueChordOfRay(s, i, &chord)) return false;
    const double splitPoint = s.tipT + chord.split;
    const double g0 = s.summary[2 * i], g1 = s.summary[2 * i + 1];
    return !(g0 <= splitPoint && splitPoint < g1 && MaterialClearOfObliqueChord(chord, g0 - s.tipT, g1 - s.tipT));
}

#if defined(__SSE2__)
// ObliqueChordOfRay for two rays at once: the row's values in pairs, and per pair of rays the
// chords' values and the mask of the rays outside the reach.
struct ObliqueLanes {
    __m128d baseX, n0, n1, n2, rowW, rowTerm, reachTerm, planeMargin, inverseRayComponent, inverseA, tipT, margin,
        zero, up;
};

struct ObliqueChordPair {
    __m128d outside, onLimit, centre, halfSquared, split;
};

inline ObliqueLanes SetUpObliqueLanes(const ObliqueRowTest& s)
{
    return ObliqueLanes{_mm_set1_pd(s.baseX),
                        _mm_set1_pd(s.n0),
                        _mm_set1_pd(s.n1),
                        _mm_set1_pd(s.n2),
                        _mm_set1_pd(s.b2 * s.n1),
                        _mm_set1_pd(s.rowTerm),
                        _mm_set1_pd(s.reachTerm),
                        _mm_set1_pd(-s.planeMargin),
                        _mm_set1_pd(s.inverseRayComponent),
                        _mm_set1_pd(s.inverseA),
                        _mm_set1_pd(s.tipT),
                        _mm_set1_pd(s.margin),
                        _mm_setzero_pd(),
                        _mm_castsi128_pd(_mm_set1_epi64x(s.n2 > 0.0 ? -1 : 0))};
}

inline ObliqueChordPair ObliqueChordsOfPair(const ObliqueLanes& l, const double* coordinates)
{
    ObliqueChordPair c;
    const __m128d a = _mm_sub_pd(_mm_loadu_pd(coordinates), l.baseX);
    const __m128d w = _mm_add_pd(_mm_mul_pd(a, l.n0), l.rowW);
    const __m128d k = _mm_sub_pd(_mm_mul_pd(l.n1, a), l.rowTerm);
    const __m128d disc = _mm_sub_pd(l.reachTerm, _mm_mul_pd(k, k));
    c.outside = _mm_cmpngt_pd(disc, l.zero);
    c.onLimit = _mm_mul_pd(_mm_sub_pd(l.planeMargin, w), l.inverseRayComponent);
    c.centre = _mm_mul_pd(_mm_mul_pd(l.n2, w), l.inverseA);
    c.halfSquared = _mm_mul_pd(_mm_mul_pd(disc, l.inverseA), l.inverseA);
    // std::max(centre, onLimit) takes onLimit only where it is greater, std::min only where less.
    c.split = _mm_or_pd(_mm_and_pd(l.up, _mm_max_pd(c.onLimit, c.centre)),
                        _mm_andnot_pd(l.up, _mm_min_pd(c.onLimit, c.centre)));
    return c;
}

// ExitClearBelowObliqueChord for two rays at once.
inline __m128d ExitsClearBelowObliqueChords(const ObliqueLanes& l, const ObliqueChordPair& c, __m128d exit)
{
    const __m128d below = _mm_sub_pd(_mm_sub_pd(c.centre, exit), l.margin);
    return _mm_or_pd(_mm_and_pd(l.up, _mm_cmple_pd(exit, _mm_sub_pd(c.onLimit, l.margin))),
                     _mm_and_pd(_mm_cmpgt_pd(below, l.zero), _mm_cmpge_pd(_mm_mul_pd(below, below), c.halfSquared)));
}
#endif

uint64_t ObliqueSummaryOpenBits(const ObliqueRowTest& s, int first, int last)
{
    uint64_t bits = 0;
    int i = first;
#if defined(__SSE2__)
    const ObliqueLanes l = SetUpObliqueLanes(s);
    for (; i + 1 <= last; i += 2) {
        const __m128d top =
            _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s.summary + i))));
        const ObliqueChordPair c = ObliqueChordsOfPair(l, s.coordinates + i);
        const __m128d inSplit = _mm_cmple_pd(top, _mm_add_pd(l.tipT, c.split));
        const __m128d clearBelow = ExitsClearBelowObliqueChords(l, c, _mm_sub_pd(top, l.tipT));
        const __m128d closed = _mm_or_pd(c.outside, _mm_and_pd(inSplit, clearBelow));
        bits |= uint64_t(~_mm_movemask_pd(closed) & 3) << (i - first);
    }
#endif
    for (; i <= last; i++) bits |= uint64_t(ObliqueSummaryLeavesOpen(s, i)) << (i - first);
    return bits;
}

uint64_t ObliqueGapOpenBits(const ObliqueRowTest& s, int first, int last)
{
    uint64_t bits = 0;
    int i = first;
#if defined(__SSE2__)
    const ObliqueLanes l = SetUpObliqueLanes(s);
    for (; i + 1 <= last; i += 2) {
        // low, high of ray i and of ray i + 1, as the two lows and the two highs.
        const __m128 stretch = _mm_loadu_ps(s.summary + 2 * i);
        const __m128 sorted = _mm_shuffle_ps(stretch, stretch, _MM_SHUFFLE(3, 1, 2, 0));
        const __m128d g0 = _mm_cvtps_pd(sorted), g1 = _mm_cvtps_pd(_mm_movehl_ps(sorted, sorted));
        const ObliqueChordPair c = ObliqueChordsOfPair(l, s.coordinates + i);
        const __m128d splitPoint = _mm_add_pd(l.tipT, c.split);
        const __m128d inGap = _mm_and_pd(_mm_cmple_pd(g0, splitPoint), _mm_cmplt_pd(splitPoint, g1));
        const __m128d exit = _mm_sub_pd(g0, l.tipT), entry = _mm_sub_pd(g1, l.tipT);
        const __m128d clearBelow = ExitsClearBelowObliqueChords(l, c, exit);
        const __m128d above = _mm_sub_pd(_mm_sub_pd(entry, c.centre), l.margin);
        const __m128d clearAbove = _mm_and_pd(
            _mm_cmpgt_pd(entry, c.split),
            _mm_or_pd(_mm_andnot_pd(l.up, _mm_cmpge_pd(entry, _mm_add_pd(c.onLimit, l.margin))),
                      _mm_and_pd(_mm_cmpgt_pd(above, l.zero), _mm_cmpge_pd(_mm_mul_pd(above, above), c.halfSquared))));
        const __m128d closed = _mm_or_pd(c.outside, _mm_and_pd(inGap, _mm_and_pd(clearBelow, clearAbove)));
        bits |= uint64_t(~_mm_movemask_pd(closed) & 3) << (i - first);
    }
#endif
    for (; i <= last; i++) bits |= uint64_t(ObliqueGapLeavesOpen(s, i)) << (i - first);
    return bits;
}

// The gap tests of a row's X- or Y-rays first .. last (at most 64) under a tool (not a ball) whose
// axis lies across them (n[2] = 0), as bits of the rays they leave open: SweepRow's test of one
// ray, operation for operation, two rays at a time where the processor has the paired
// instructions.
struct AcrossRowTest {
    const float* gaps;          // the row's known empty stretches (low, high per ray)
    const double* coordinates;  // the row's cross coordinates along its rays' index
    double baseX, n0, n1, n2, b2, rowC, A, planeMargin, tipT, offset;
};

inline bool AcrossGapLeavesOpen(const AcrossRowTest& s, int i)
{
    const double a = s.coordinates[i] - s.baseX;
    const double w = a * s.n0 + s.b2 * s.n1;
    const double B = -s.n2 * w;
    const double C = a * a + s.rowC - w * w;
    const double disc = B * B - s.A * C;
    if (!(disc > 0.0) || w < -s.planeMargin) return false;
    const double g0 = s.gaps[2 * i], g1 = s.gaps[2 * i + 1];
    if (g0 <= s.tipT && s.tipT < g1) {
        const double knownClear = std::min(g1 - s.tipT, s.tipT - g0) - s.offset;
        if (knownClear > 0.0 && knownClear * knownClear > disc) return false;
    }
    return true;
}

uint64_t AcrossGapOpenBits(const AcrossRowTest& s, int first, int last)
{
    uint64_t bits = 0;
    int i = first;
#if defined(__SSE2__)
    const __m128d baseX = _mm_set1_pd(s.baseX), n0 = _mm_set1_pd(s.n0), rowW = _mm_set1_pd(s.b2 * s.n1);
    const __m128d minusN2 = _mm_set1_pd(-s.n2), rowC = _mm_set1_pd(s.rowC), A = _mm_set1_pd(s.A);
    const __m128d planeLimit = _mm_set1_pd(-s.planeMargin), tipT = _mm_set1_pd(s.tipT);
    const __m128d offset = _mm_set1_pd(s.offset), zero = _mm_setzero_pd();
    for (; i + 1 <= last; i += 2) {
        const __m128d a = _mm_sub_pd(_mm_loadu_pd(s.coordinates + i), baseX);
        const __m128d w = _mm_add_pd(_mm_mul_pd(a, n0), rowW);
        const __m128d B = _mm_mul_pd(minusN2, w);
        const __m128d C = _mm_sub_pd(_mm_add_pd(_mm_mul_pd(a, a), rowC), _mm_mul_pd(w, w));
        const __m128d disc = _mm_sub_pd(_mm_mul_pd(B, B), _mm_mul_pd(A, C));
        // low, high of ray i and of ray i + 1, as the two lows and the two highs.
        const __m128 stretch = _mm_loadu_ps(s.gaps + 2 * i);
        const __m128 sorted = _mm_shuffle_ps(stretch, stretch, _MM_SHUFFLE(3, 1, 2, 0));
        const __m128d g0 = _mm_cvtps_pd(sorted), g1 = _mm_cvtps_pd(_mm_movehl_ps(sorted, sorted));
        const __m128d inGap = _mm_and_pd(_mm_cmple_pd(g0, tipT), _mm_cmplt_pd(tipT, g1));
        // std::min(p, q) is q where q < p, else p: _mm_min_pd(q, p).
        const __m128d knownClear = _mm_sub_pd(_mm_min_pd(_mm_sub_pd(tipT, g0), _mm_sub_pd(g1, tipT)), offset);
        const __m128d clear = _mm_and_pd(inGap, _mm_and_pd(_mm_cmpgt_pd(knownClear, zero),
                                                           _mm_cmpgt_pd(_mm_mul_pd(knownClear, knownClear), disc)));
        const __m128d closed =
            _mm_or_pd(_mm_or_pd(_mm_cmpngt_pd(disc, zero), _mm_cmplt_pd(w, planeLimit)), clear);
        bits |= uint64_t(~_mm_movemask_pd(closed) & 3) << (i - first);
    }
#endif
    for (; i <= last; i++) bits |= uint64_t(AcrossGapLeavesOpen(s, i)) << (i - first);
    return bits;
}

#if defined(__x86_64__) && defined(__GNUC__)
// SummaryOpenBits four rays at a time where the processor has the four-lane instructions: the same
// operations on each ray, and comparisons of the same kind (ordered, false for NaN), so the bits
// are the same as from the pairs.
__attribute__((target("avx2"))) uint64_t SummaryOpenBitsFour(const SummaryTest& s, int first, int last)
{
    uint64_t bits = 0;
    int i = first;
    const __m256d tipT = _mm256_set1_pd(s.tipT), baseX = _mm256_set1_pd(s.baseX);
    const __m256d dySquared = _mm256_set1_pd(s.dySquared), outsideReach = _mm256_set1_pd(s.outsideReach);
    const __m256d centreX = _mm256_set1_pd(s.centreX), e2Squared = _mm256_set1_pd(s.e2Squared);
    const __m256d centreZ = _mm256_set1_pd(s.centreZ), radiusSquared = _mm256_set1_pd(s.radiusSquared);
    const __m256d margin = _mm256_set1_pd(s.margin);
    const __m256d sphere = _mm256_castsi256_pd(_mm256_set1_epi64x(s.sphere ? -1 : 0));
    const __m256d zero = _mm256_setzero_pd();
    for (; i + 3 <= last; i += 4) {
        const __m256d top = _mm256_cvtps_pd(_mm_loadu_ps(s.tops + i));
        const __m256d x = _mm256_loadu_pd(s.coordinates + i);
        const __m256d dx = _mm256_sub_pd(baseX, x);
        const __m256d e1 = _mm256_sub_pd(centreX, x);
        const __m256d q = _mm256_add_pd(_mm256_mul_pd(e1, e1), e2Squared);
        const __m256d u = _mm256_sub_pd(_mm256_sub_pd(centreZ, top), margin);
        __m256d below = _mm256_and_pd(_mm256_cmp_pd(q, radiusSquared, _CMP_LT_OS), _mm256_cmp_pd(u, zero, _CMP_GT_OS));
        below = _mm256_and_pd(below,
                              _mm256_cmp_pd(_mm256_mul_pd(u, u), _mm256_sub_pd(radiusSquared, q), _CMP_GT_OS));
        below = _mm256_and_pd(below, sphere);
        __m256d closed = _mm256_or_pd(
            _mm256_cmp_pd(tipT, top, _CMP_GE_OS),
            _mm256_cmp_pd(_mm256_add_pd(_mm256_mul_pd(dx, dx), dySquared), outsideReach, _CMP_GT_OS));
        closed = _mm256_or_pd(closed, below);
        bits |= uint64_t(~_mm256_movemask_pd(closed) & 15) << (i - first);
    }
    for (; i <= last; i++) bits |= uint64_t(SummaryLeavesOpen(s, i)) << (i - first);
    return bits;
}
#endif

// The summary tests four rays at a time where the processor allows it (unless a test asked for
// the pairs), else two.
bool s_SummaryPairsOnly = false;

bool SummaryFourLanes()
{
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool available = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return available && !s_SummaryPairsOnly;
#else
    return false;
#endif
}

// One row of Z-rays under a ball along +Z, with the summary of the rays' tops: only the rays the
// summary tests leave open are visited (the tests of the reach and of the sphere's squares there
// are the sweep's own, on the summary's bound of the top). A visited ray is passed over when the
// tip or the sphere's lower crossing clears its top; a ray through the sphere whose top interval
// only loses the part above the sphere's lower crossing (the tool moved on by a step: one
// candidate from below that top to above it, the top end moving down to the candidate's start)
// is cut here with the row's values found once, giving the end, colour, tag, piece, volume term,
// summary entry, block marks and checks that SubtractBodyIntervals gives it; every other ray is
// cut there (CutBallAfterSphere with the column and shank found on the axis).
void SweepZRowUnderBall(const ToolShape& tool, DexelDirectionBlock* block, int i2, CutScratch* scratch,
                        std::vector<double>* volumeTerms, int* endCount, double outsideReach, double dy)
{
    const DexelSweepState* st = block->sweep;
    const double tipT = st->basePoint[2];
    int low1 = st->rangeLow1, high1 = st->rangeHigh1;
    // Only the rays within the reach of the axis, found from the reach circle's chord in this row
    // widened by two nodes (the summary tests stay the exact ones).
    const double rest = outsideReach - dy * dy;
    if (rest < 0.0) return;  // dx^2 + dy^2 >= dy^2 > the reach's square for every ray of the row
    const double half = std::sqrt(rest);
    const double* coordinates = block->crossCoordinates1;
    const double origin = coordinates[0], pitch = block->pitch;
    const double first = std::floor((st->basePoint[0] - half - origin) / pitch) - 2.0;
    const double last = std::ceil((st->basePoint[0] + half - origin) / pitch) + 2.0;
    if (first > double(low1) && first <= double(high1)) low1 = int(first);
    if (last < double(high1) && last >= double(low1)) high1 = int(last);
    const double* C = st->cornerCentrePoint;
    const double R = g_CutBoundRadius;
    const double RR = R * R;
    const double sphereMargin = 1e-9 * (1.0 + std::fabs(C[2]));
    const double e2 = C[1] - block->crossCoordinates2[i2];
    const size_t rowStart = size_t(i2) * size_t(block->crossNodeCount1);
    float* tops = s_SummaryTops + rowStart;
    const SummaryTest summaryTest{tops, coordinates, tipT, st->basePoint[0], dy * dy, outsideReach,
                                  true, C[0], e2 * e2, C[2], RR, sphereMargin};
    // The column's and shank's chords depend on the position only: found by the first row a thread
    // cuts at it.
    static thread_local struct {
        uint64_t sweep = 0;
        int position = -1;
        AxialUpperParts parts;
    } t_Parts;
    if (t_Parts.sweep != s_SweepSerial || t_Parts.position != t_PositionIndex) {
        FindAxialUpperParts(tool, block, &t_Parts.parts);
        t_Parts.sweep = s_SweepSerial;
        t_Parts.position = t_PositionIndex;
    }
    const AxialUpperParts& parts = t_Parts.parts;
    RowFlags flags{-1, -1, -1};
    const bool hasShank = tool.g->hasShank;
    // The row's values of the lean cut: none of them changes while the row is cut.
    const int32_t* counts = block->counts + rowStart;
    const int c = block->capacity;
    const double c2 = block->crossCoordinates2[i2];
    const int cells1 = block->crossCellCount1;
    double rowArea = pitch * pitch;
    if (i2 == 0 || i2 == block->crossCellCount2) rowArea *= 0.5;
    const double planeFactor1 = g_ToolAxisPlane[block->crossAxis1];
    const double planeTerm2 = g_ToolAxisPlane[block->crossAxis2] * c2;
    const double planeOffset = g_ToolAxisPlane[3];
    const double planeFactorRay = g_ToolAxisPlane[block->rayAxis];
    const double bandHeight = g_ToolAxisPlane[5];
    // The colour of a new end: the cut's, or under a feed move the pen's, with bit 0 above the
    // band unless a cycle's rapid in the hole.
    const bool feedColour = g_MotionKind > 0;
    const bool bandTest = feedColour && !g_CycleRapidInHole;
    const uint8_t baseColour = feedColour ? g_ToolPenAttribute : t_CutColour[0];
    const int32_t tag = t_CutLineTag[0];
    const bool heightCheck = g_HeightCheck > 0;
    const int32_t* lower1 = block->crossLowerBlock1;
    const int32_t* upper1 = block->crossUpperBlock1;
    const int32_t lower2 = block->crossLowerBlock2[i2], upper2 = block->crossUpperBlock2[i2];
    // The box this thread marked last, where it holds this row (read again after every mark).
    bool boxHoldsRow = false;
    double boxLow = 0.0, boxHigh = 0.0;
    int boxFirst1 = 0, boxLast1 = -1;
    auto readBox = [&]() {
        const CutScratch::MarkedBox& box = scratch->lastBox;
        boxHoldsRow = box.block == block && lower2 >= box.first2 && upper2 <= box.last2;
        boxLow = box.low;
        boxHigh = box.high;
        boxFirst1 = box.first1;
        boxLast1 = box.last1;
    };
    readBox();
    const bool fourLanes = SummaryFourLanes();
    uint64_t open = 0;
    int chunk = low1;  // the first ray of the chunk after the one open describes
    for (;;) {
        while (open == 0 && chunk <= high1) {
#if defined(__x86_64__) && defined(__GNUC__)
            if (fourLanes)
                open = SummaryOpenBitsFour(summaryTest, chunk, std::min(chunk + 63, high1));
            else
#endif
                open = SummaryOpenBits(summaryTest, chunk, std::min(chunk + 63, high1));
            chunk += 64;
        }
        if (open == 0) break;
        const int i1 = chunk - 64 + __builtin_ctzll(open);
        open &= open - 1;
        const int n = counts[i1];
        if (n == 0) continue;
        const int d = int(rowStart) + i1;
        double* material = GetDexelEndsPointer(d, c, block->counts, block->ends);
        const double top = material[n - 1];
        if (tipT >= top) continue;
        // IntersectSphere's arithmetic, with the root only where the squares leave it open.
        const double c1 = coordinates[i1];
        const double e1 = C[0] - c1;
        const double q = e1 * e1 + e2 * e2;
        double sphere[2] = {0.0, 0.0};
        if (!(q < RR)) {
            // Beside the sphere: the column and shank may still meet it.
            RayContext ray;
            SetUpRay(&ray, block, i1, i2, scratch, nullptr, volumeTerms, endCount);
            CutBallAfterSphere(tool, ray, &flags, 0, sphere, false, &parts);
            readBox();
            continue;
        }
        const double u = C[2] - top - sphereMargin;
        if (u > 0.0 && u * u > RR - q) continue;
        const double root = std::sqrt(RR - q);
        sphere[0] = C[2] - root;
        sphere[1] = C[2] + root;
        if (sphere[0] >= top) continue;
        int columnCount, shankCount;
        double column[2] = {0.0, 0.0}, shank[2] = {0.0, 0.0};
        IntersectAxialUpperParts(parts, c1, c2, &flags, &columnCount, column, &shankCount, shank, hasShank);
        // Without the shank, JoinUpperParts gives the hull of the sphere's and the column's chords.
        double t0 = sphere[0], t1 = sphere[1];
        if (columnCount == 2) {
            if (column[0] < t0) t0 = column[0];
            if (column[1] > t1) t1 = column[1];
        }
        // One candidate of at least the least chord; the highest interval is the first whose exit
        // lies above its start, begins below it and ends within it.
        const double exit = top;
        if (!(shankCount != 2 && n >= 2 && n <= DEXEL_MAX_ENDS && t1 - t0 >= kMinChord && t0 < exit &&
              material[n - 2] < t0 && !(t1 < exit) && (n == 2 || material[n - 3] <= t0))) {
            IntervalList list;
            AddInterval(&list, sphere[0], sphere[1]);
            JoinUpperParts(&list, columnCount, column, shankCount, shank);
            RayContext ray;
            SetUpRay(&ray, block, i1, i2, scratch, nullptr, volumeTerms, endCount);
            SubtractBodyIntervals(ray, list, BodyCutOptions{false, true});
            readBox();
            continue;
        }
        const double plane = planeFactor1 * c1 + planeTerm2 + planeOffset;
        uint8_t colour = baseColour;
        if (bandTest && std::fabs(planeFactorRay * t0 + plane) > bandHeight) colour |= 1;
        double area = rowArea;
        if (i1 == 0 || i1 == cells1) area *= 0.5;
        uint8_t* attributes = GetDexelAttributesPointer(d, c, block->counts, block->ends, block->attributes);
        int32_t* values = GetDexelValuesPointer(d, c, block->counts, block->values);
        material[n - 1] = t0;
        tops[i1] = TopBound(t0);
        attributes[n - 1] = colour;
        values[n - 1] = tag;
        volumeTerms->push_back(0.0 + (exit - t0) * area);
        *endCount += 2;
        // MarkRayBlocks: most pieces lie in the box this thread marked last.
        const bool inBox = boxHoldsRow && t0 >= boxLow && exit <= boxHigh && lower1[i1] >= boxFirst1 &&
                           upper1[i1] <= boxLast1;
        if (!inBox || heightCheck) {
            double* pieces = scratch->pieces;
            pieces[0] = t0;
            pieces[1] = exit;
            if (!inBox) {
                // Most of the others lie in a box marked a little earlier, which then becomes the
                // one the next rays are tested against first.
                if (const CutScratch::MarkedBox* known =
                        FindMarkedBox(scratch, block, lower1[i1], upper1[i1], lower2, upper2, t0, exit)) {
                    scratch->lastBox = *known;
                } else {
                    RayContext ray;
                    SetUpRay(&ray, block, i1, i2, scratch, nullptr, volumeTerms, endCount);
                    MarkRayBlocksOutsideBox(ray, pieces, 2);
                }
                readBox();
            }
            if (heightCheck) CheckAxialDepth(block->rayAxis, plane, pieces, 2, &scratch->checks);
        }
    }
}

void SweepRow(const ToolShape& tool, DexelDirectionBlock* block, int i2, CutScratch* scratch,
              std::vector<double>* volumeTerms, int* endCount)
{
    const DexelSweepState* st = block->sweep;
    RowFlags flags{-1, -1, -1};
    const int32_t* counts = block->counts + i2 * block->crossNodeCount1;
    // Rays along the axis of a tool whose body lies above its tip plane: a ray whose material ends
    // short of the tip (or, with the axis against the ray, starts beyond it) is passed over before
    // any solid is intersected; most rays below a tool moving over cut material are.
    const double* n = st->axisVector;
    const bool bounded = tool.type != TOOL_T_SLOT && tool.type != TOOL_RADIUS && tool.r >= 0.0;
    const bool axial = n[0] == 0.0 && n[1] == 0.0 && bounded;
    const double tipT = st->basePoint[2];
    // Such a body lies within the reach radius of its axis, so a ray clearly outside it (by a
    // margin that covers the rounding of the solids' own tests) meets none of its solids.
    const double reach = tool.g->hasShank ? std::max(g_CutBoundRadius, tool.g->shankRadius) : g_CutBoundRadius;
    const double outsideReach = reach * reach * (1.0 + 1e-9);
    const double dy = st->basePoint[1] - block->crossCoordinates2[i2];
    // A ball along +Z: every candidate of a ray through the sphere starts at or above the sphere's
    // lower crossing (the column and shank start higher), so a ray whose material ends there is
    // left before the column and shank are intersected.
    const bool ballFromAbove = axial && tool.type == TOOL_BALL && n[2] > 0.0;
    if (ballFromAbove && block->counts == s_SummaryCounts) {
        SweepZRowUnderBall(tool, block, i2, scratch, volumeTerms, endCount, outsideReach, dy);
        return;
    }
    // Rays across the axis: every candidate of such a body lies in the ray's chord through the
    // cylinder of the body's reach around the axis line. Widened by a margin far above the
    // rounding of the solids, the chord of a ray that has no material in it is passed over before
    // any solid is intersected (as most rays beside a tool moving over cut material are). A ray
    // nearly parallel to the axis (A tiny) is left to the solids.
    const double A = 1.0 - n[2] * n[2];
    const bool oblique = bounded && !axial && A > 1e-12;
    const double paddedReach = tool.bodyReach + 1e-4;
    const double b2 = block->crossCoordinates2[i2] - st->basePoint[1];
    const double rowC = b2 * b2 - paddedReach * paddedReach;
    // The chord ends are only compared with the material, so the margin covers their rounding
    // through the reciprocals.
    const double inverseA = 1.0 / A;
    if (oblique && CutsAcrossAxis(tool, n)) {
        SweepRowAcrossAxis(tool, block, i2, scratch, volumeTerms, endCount);
        return;
    }
    // Every solid of such a body lies on or above its tip plane: n . (ray point - tip) = w + n[2] u
    // >= 0, less the same margin. A ray across the axis (n[2] = 0) lies wholly below it or not.
    const double kPlaneMargin = 1e-4;
    const double inverseRayComponent = n[2] != 0.0 ? 1.0 / n[2] : 0.0;
    // A ball's sphere, column and shank: below the lower of the column's base (the sphere's centre)
    // and the shank's base only the sphere is there, and every candidate (hulls of the sphere's and
    // the column's chords, joined to the shank's only where they touch) lies in the sphere or in
    // the reach cylinder above that height. The chord tested is the hull of both parts, so a ray
    // beside the sphere under the column (as most rays behind a ball moving over cut material
    // are) is passed over before the column and shank are intersected.
    const bool ballParts = oblique && tool.type == TOOL_BALL;
    double upperPartHeight = tool.g->cornerCentreHeight;
    if (tool.g->hasShank) {
        double shankHeight = 0.0;
        for (int k = 0; k < 3; k++) shankHeight += n[k] * (st->shankBasePoint[k] - st->basePoint[k]);
        upperPartHeight = std::min(upperPartHeight, shankHeight);
    }
    const double paddedSphere = g_CutBoundRadius + 1e-4;
    const double sphereRowC = st->cornerCentrePoint[1] - block->crossCoordinates2[i2];
    // A ray across the axis lies at one height w above the tip: below the upper parts' base (by the
    // margin) only the sphere can meet it, so the reach cylinder is not needed for the test and the
    // column and shank miss it (their own tests find it below their bases).
    const bool sphereBelowUpperParts = ballParts && n[2] == 0.0;
    // The sphere's lower crossing of a Z-ray lies above its material when C - top exceeds the root
    // by a margin far above the rounding of the root and the difference: tested on squares, so most
    // such rays are passed over without the root.
    const double* C = st->cornerCentrePoint;
    const double R = g_CutBoundRadius;
    const double sphereMargin = 1e-9 * (1.0 + std::fabs(C[2]));
    const double e2 = C[1] - block->crossCoordinates2[i2];
    const double chordMargin = 1e-9 * (1.0 + std::fabs(tipT));
    // A ray crossing the axis obliquely (n[2] not 0) at distance k from the axis line meets the
    // reach cylinder on a chord centred at n[2] w / A of half length sqrt(A P^2 - k^2) / A, with
    // k = n[1] a - n[0] b2 for a, b2 its cross offsets from the tip (the same chord as above). Its
    // material is compared with the chord's ends on squares first, less a margin far above their
    // rounding and far below the padding, so that a ray whose material lies wholly below or above
    // the chord is passed over without the root.
    const double obliqueRowTerm = n[0] * b2;
    const double reachTerm = A * (paddedReach * paddedReach);
    const double kSquareMargin = 1e-7 * (1.0 + std::fabs(tipT));
    AxialUpperParts axialParts;
    if (ballFromAbove) FindAxialUpperParts(tool, block, &axialParts);
    // The axis values of the rays' quadratics, found once for a row that the axis crosses obliquely
    // (other rays find them per ray where they need them).
    ToolFrameAxis frameAxis;
    if (oblique) SetUpToolFrameAxis(n, &frameAxis);
    int firstRay = st->rangeLow1, lastRay = st->rangeHigh1;
    if (oblique && n[2] != 0.0)
        NarrowObliqueRow(block, i2, paddedReach, kPlaneMargin, &firstRay, &lastRay);
    else if (oblique)
        NarrowAcrossRow(block, i2, paddedReach, kPlaneMargin, !ballParts, &firstRay, &lastRay);
    // Z-rays under a tool along +Z: the tests below on the summary of the rays' tops (at or above
    // each top, so whatever they pass over the tests on the ray's own top pass over too), before
    // the ray's count and ends are loaded.
    const float* tops = axial && n[2] > 0.0 && block->counts == s_SummaryCounts
                            ? s_SummaryTops + size_t(i2) * size_t(block->crossNodeCount1)
                            : nullptr;
    // Z-rays under a tool crossing them obliquely: the summary of their tops, tested before a ray's
    // count and ends are loaded.
    const float* obliqueTops = oblique && n[2] != 0.0 && block->counts == s_SummaryCounts
                                   ? s_SummaryTops + size_t(i2) * size_t(block->crossNodeCount1)
                                   : nullptr;
    // X- and Y-rays under a tilted tool: their known empty stretches (the gap summary), tested
    // before a ray's count and ends are loaded and set where a ray is loaded and left. Such a
    // stretch holds no material, so where it holds the split point (across the axis: the tip),
    // the material next to that point lies at or beyond its ends and the tests on squares below
    // pass on the stretch only where they pass on the material. A ball across the axis takes its
    // own tests first, without the summary.
    const int family = block->rayAxis;
    float* rayGaps = oblique && (family == 0 || family == 1) && block->counts == s_GapCounts[family] &&
                             !(ballParts && n[2] == 0.0)
                         ? s_GapEntries[family] + 2 * int64_t(i2) * block->crossNodeCount1
                         : nullptr;
    int low1 = firstRay, high1 = lastRay;
    // The greatest float at or below the tip: a summary entry at or below it is a top the tip clears.
    float tipFloor = 0.0f;
    if (tops) {
        // Only the rays within the reach of the axis, found from the reach circle's chord in this row
        // widened by two nodes (the per-ray test below stays the exact one).
        const double rest = outsideReach - dy * dy;
        if (rest < 0.0) return;  // dx^2 + dy^2 >= dy^2 > the reach's square for every ray of the row
        const double half = std::sqrt(rest);
        const double origin = block->crossCoordinates1[0], pitch = block->pitch;
        const double first = std::floor((st->basePoint[0] - half - origin) / pitch) - 2.0;
        const double last = std::ceil((st->basePoint[0] + half - origin) / pitch) + 2.0;
        if (first > double(low1) && first <= double(high1)) low1 = int(first);
        if (last < double(high1) && last >= double(low1)) high1 = int(last);
        tipFloor = TopBound(tipT);
        if (double(tipFloor) > tipT) tipFloor = std::nextafter(tipFloor, -HUGE_VALF);
    }
    // Under a tilted tool other than a ball the summary tests below, 64 rays at a time, on the
    // Z-rays' tops or on the X- and Y-rays' known empty stretches: only the rays they leave open
    // are visited.
    const bool obliqueBits = obliqueTops && !ballParts;
    const bool gapBits = rayGaps && n[2] != 0.0 && !ballParts;
    // X- and Y-rays across the axis under a tool other than a ball: the gap tests below, 64 rays at
    // a time.
    const bool acrossBits = oblique && rayGaps && n[2] == 0.0 && !ballParts;
    const AcrossRowTest acrossTest{rayGaps, block->crossCoordinates1, st->basePoint[0], n[0], n[1], n[2], b2,
                                   rowC, A, kPlaneMargin, tipT, chordMargin};
    const ObliqueRowTest obliqueTest{obliqueBits ? obliqueTops : rayGaps, block->crossCoordinates1, st->basePoint[0],
                                     n[0], n[1], n[2], b2, obliqueRowTerm, reachTerm, kPlaneMargin,
                                     inverseRayComponent, inverseA, tipT, kSquareMargin};
    uint64_t open = 0;
    int chunk = low1;  // the first ray of the chunk after the one open describes
    GeneralCutQueue generalCuts;
    // The ray handed to the cuts: what every ray of the row shares set here, the rest per ray.
    RayContext ray{};
    ray.block = block;
    ray.state = block->sweep;
    ray.scratch = scratch;
    ray.volumeTerms = volumeTerms;
    ray.endCount = endCount;
    ray.i2 = i2;
    ray.c2 = block->crossCoordinates2[i2];
    ray.frameAxis = oblique ? &frameAxis : nullptr;
    const RowRayValues rowValues = GetRowRayValues(block, i2);
    for (int i1 = low1; i1 <= high1; i1++) {
        if (obliqueBits || gapBits || acrossBits) {
            while (open == 0 && chunk <= high1) {
                const int last = std::min(chunk + 63, high1);
                open = obliqueBits ? ObliqueSummaryOpenBits(obliqueTest, chunk, last)
                       : gapBits   ? ObliqueGapOpenBits(obliqueTest, chunk, last)
                                   : AcrossGapOpenBits(acrossTest, chunk, last);
                chunk += 64;
            }
            if (open == 0) break;
            i1 = chunk - 64 + __builtin_ctzll(open);
            open &= open - 1;
            // The next open ray's count and end slots are requested while this one is tested and cut
            // (most open rays are cut, and the first load of their ends is what they wait for).
            if (open != 0) {
                const size_t next = size_t(chunk - 64) + size_t(__builtin_ctzll(open));
                __builtin_prefetch(counts + next);
                __builtin_prefetch(block->ends + (size_t(i2) * size_t(block->crossNodeCount1) + next) *
                                                     size_t(block->capacity));
            }
        } else if (tops) {
            const double top = tops[i1];
            if (tipT >= top) {
                // The runs of eight rays after it whose tops the tip clears too (as under a flat
                // bottom) are passed over at once.
                while (i1 + 8 <= high1) {
                    bool above = false;
                    for (int k = 1; k <= 8; k++) above |= !(tops[i1 + k] <= tipFloor);
                    if (above) break;
                    i1 += 8;
                }
                continue;
            }
            const double dx = st->basePoint[0] - block->crossCoordinates1[i1];
            if (dx * dx + dy * dy > outsideReach) continue;
        }
        if (obliqueTops && !obliqueBits) {
            // The test below on the summary's bound of the ray's top in place of its material: the
            // summary at or below the split point puts every exit there, and the chord's clearance
            // of the top only shrinks as the top rises (the same arithmetic, rounded monotonically),
            // so a ray passed over here is one the test on its material passes over too. Most
            // Z-rays behind a tilted tool moving over cut material are, without loading their ends.
            const double top = obliqueTops[i1];
            const double a = block->crossCoordinates1[i1] - st->basePoint[0];
            const double w = a * n[0] + b2 * n[1];
            const double k = n[1] * a - obliqueRowTerm;
            const double disc = reachTerm - k * k;
            if (!(disc > 0.0)) continue;
            const double onLimit = ballParts ? (upperPartHeight - kPlaneMargin - w) * inverseRayComponent
                                             : (-kPlaneMargin - w) * inverseRayComponent;
            const double centre = n[2] * w * inverseA;
            const double halfSquared = disc * inverseA * inverseA;
            double split = n[2] > 0.0 ? std::max(centre, onLimit) : std::min(centre, onLimit);
            double sphereHalfSquared = 0.0;
            const double sphereCentre = st->cornerCentrePoint[2] - tipT;
            if (ballParts) {
                const double e1 = st->cornerCentrePoint[0] - block->crossCoordinates1[i1];
                const double sphereQ = e1 * e1 + sphereRowC * sphereRowC;
                if (sphereQ < paddedSphere * paddedSphere) {
                    sphereHalfSquared = paddedSphere * paddedSphere - sphereQ;
                    split = sphereCentre;
                }
            }
            if (top <= tipT + split) {
                const double exit = top - tipT;
                const double below = centre - exit - kSquareMargin;
                bool clearBelow =
                    (n[2] > 0.0 && exit <= onLimit - kSquareMargin) || (below > 0.0 && below * below >= halfSquared);
                if (sphereHalfSquared > 0.0) {
                    const double sphereBelow = sphereCentre - exit - kSquareMargin;
                    clearBelow = clearBelow && sphereBelow > 0.0 && sphereBelow * sphereBelow >= sphereHalfSquared;
                }
                if (clearBelow) continue;
            }
        }
        if (!rayGaps && counts[i1] == 0) continue;
        int sphereCount = -1;  // -1: the sphere is not intersected yet
        double sphere[2] = {0.0, 0.0};
        bool belowUpperParts = false;
        if (oblique && sphereBelowUpperParts) {
            const double a = block->crossCoordinates1[i1] - st->basePoint[0];
            const double w = a * n[0] + b2 * n[1];
            if (w < upperPartHeight - kPlaneMargin) {
                if (w < -kPlaneMargin) continue;
                const double e1 = st->cornerCentrePoint[0] - block->crossCoordinates1[i1];
                const double q = e1 * e1 + sphereRowC * sphereRowC;
                if (!(q < paddedSphere * paddedSphere)) continue;
                const double centre = st->cornerCentrePoint[2] - tipT;
                const int d = i1 + i2 * block->crossNodeCount1;
                const double* material = GetDexelEndsPointer(d, block->capacity, block->counts, block->ends);
                // The material's distance from the chord's centre against the half chord on squares
                // first (margin as for the chord across the axis below).
                const int cnt = counts[i1];
                const double middle = tipT + centre;
                const int j = FindFirstMaterialExitAbove(material, cnt, middle);
                double distance = HUGE_VAL;
                if (j < cnt) distance = material[j] - middle;
                if (j >= 2) distance = std::min(distance, middle - material[j - 1]);
                const double clear = distance - chordMargin - 1e-9 * std::fabs(centre);
                if (clear > 0.0 && clear * clear > paddedSphere * paddedSphere - q) continue;
                const double half = std::sqrt(paddedSphere * paddedSphere - q);
                if (!MaterialBetween(material, cnt, tipT + (centre - half), tipT + (centre + half))) continue;
                belowUpperParts = true;
            }
        }
        if (oblique && !belowUpperParts && n[2] != 0.0) {
            const double a = block->crossCoordinates1[i1] - st->basePoint[0];
            const double w = a * n[0] + b2 * n[1];
            const double k = n[1] * a - obliqueRowTerm;
            const double disc = reachTerm - k * k;
            if (!(disc > 0.0)) continue;
            // Every solid lies on or above the tip plane, as below; a ball's reach cylinder is only
            // needed above the upper parts' base, its sphere below.
            const double onPlane = (-kPlaneMargin - w) * inverseRayComponent;
            const double onLimit = ballParts ? (upperPartHeight - kPlaneMargin - w) * inverseRayComponent : onPlane;
            const double centre = n[2] * w * inverseA;
            const double halfSquared = disc * inverseA * inverseA;
            // The material next to a split point: the last exit at or below it and the first entry
            // above it (none: beyond any chord). A ray passes over when the exit lies below the
            // chord's lower end and the entry above its upper end (an interval across the split
            // point is taken to meet the chord).
            double split = n[2] > 0.0 ? std::max(centre, onLimit) : std::min(centre, onLimit);
            double sphereQ = HUGE_VAL, sphereHalfSquared = 0.0;
            const double sphereCentre = st->cornerCentrePoint[2] - tipT;
            if (ballParts) {
                // The chord is the hull with the padded sphere's: the material must lie beyond both.
                const double e1 = st->cornerCentrePoint[0] - block->crossCoordinates1[i1];
                sphereQ = e1 * e1 + sphereRowC * sphereRowC;
                if (sphereQ < paddedSphere * paddedSphere) {
                    sphereHalfSquared = paddedSphere * paddedSphere - sphereQ;
                    split = sphereCentre;
                }
            }
            const ObliqueChord chord{n[2] > 0.0, onLimit, centre, halfSquared, split, sphereCentre,
                                     sphereHalfSquared, kSquareMargin};
            const double splitPoint = tipT + split;
            float* gap = rayGaps ? rayGaps + 2 * i1 : nullptr;
            if (gap) {
                // The bits above left open only the rays this test keeps.
                const double g0 = gap[0], g1 = gap[1];
                if (!gapBits && g0 <= splitPoint && splitPoint < g1 &&
                    MaterialClearOfObliqueChord(chord, g0 - tipT, g1 - tipT))
                    continue;
                if (counts[i1] == 0) {
                    gap[0] = -HUGE_VALF;
                    gap[1] = HUGE_VALF;
                    continue;
                }
            }
            const int d = i1 + i2 * block->crossNodeCount1;
            const double* material = GetDexelEndsPointer(d, block->capacity, block->counts, block->ends);
            const int cnt = counts[i1];
            const int j = FindFirstMaterialExitAbove(material, cnt, splitPoint);
            const double exit = j >= 2 ? material[j - 1] - tipT : -HUGE_VAL;
            const double entry = j < cnt ? material[j] - tipT : HUGE_VAL;
            if (MaterialClearOfObliqueChord(chord, exit, entry)) {
                if (gap) {
                    gap[0] = j >= 2 ? TopBound(material[j - 1]) : -HUGE_VALF;
                    gap[1] = j < cnt ? FloatAtOrBelow(material[j]) : HUGE_VALF;
                }
                continue;
            }
            const double root = std::sqrt(disc) * inverseA;
            double low = centre - root, high = centre + root;
            if (n[2] > 0.0)
                low = std::max(low, onPlane);
            else
                high = std::min(high, onPlane);
            if (!(low < high)) continue;
            if (ballParts) {
                // The reach cylinder's part above the upper parts' base, hulled with the sphere.
                if (n[2] > 0.0)
                    low = std::max(low, onLimit);
                else
                    high = std::min(high, onLimit);
                if (!HullWithPaddedSphere(low < high, sphereQ, paddedSphere, st->cornerCentrePoint[2] - tipT, &low,
                                          &high))
                    continue;
            }
            if (!MaterialBetweenFrom(material, cnt, tipT + low, tipT + high, splitPoint, j)) continue;
        } else if (oblique && !belowUpperParts) {
            // A ray across the axis (n[2] = 0; the rays crossing it obliquely took the branch above).
            // |v|^2 - (v . n)^2 <= reach^2 for v = ray point - tip = (a, b2, u): A u^2 + 2 B u + C <= 0,
            // so the chord is tipT -/+ root (B = 0, A = 1), hulled for a ball with the padded sphere's
            // chord around the sphere centre. The ray lies at one height w above the tip, wholly
            // below the tip plane or not. The material's distance from tipT, less a margin far above
            // the rounding of the chord's ends, is compared with the chord's half lengths on squares,
            // so that a ray whose material lies beyond the chord (as most rays beside the column of a
            // tool moving over cut material) is passed over without the root; the others take the
            // exact test on the chord.
            const double a = block->crossCoordinates1[i1] - st->basePoint[0];
            const double w = a * n[0] + b2 * n[1];
            const double B = -n[2] * w;
            const double C = a * a + rowC - w * w;
            const double disc = B * B - A * C;
            if (!(disc > 0.0)) continue;
            if (w < -kPlaneMargin) continue;
            double halfSquared = disc;
            double offset = chordMargin;
            // The padded sphere's square distance from the ray (ball only).
            double sphereQ = HUGE_VAL;
            if (ballParts) {
                const double e1 = st->cornerCentrePoint[0] - block->crossCoordinates1[i1];
                sphereQ = e1 * e1 + sphereRowC * sphereRowC;
                if (sphereQ < paddedSphere * paddedSphere)
                    halfSquared = std::max(halfSquared, paddedSphere * paddedSphere - sphereQ);
                offset += std::fabs(st->cornerCentrePoint[2] - tipT);
            }
            float* gap = rayGaps ? rayGaps + 2 * i1 : nullptr;
            if (gap) {
                // The bits above left open only the rays this test keeps.
                const double g0 = gap[0], g1 = gap[1];
                if (!acrossBits && g0 <= tipT && tipT < g1) {
                    const double knownClear = std::min(g1 - tipT, tipT - g0) - offset;
                    if (knownClear > 0.0 && knownClear * knownClear > halfSquared) continue;
                }
                if (counts[i1] == 0) {
                    gap[0] = -HUGE_VALF;
                    gap[1] = HUGE_VALF;
                    continue;
                }
            }
            const int d = i1 + i2 * block->crossNodeCount1;
            const double* material = GetDexelEndsPointer(d, block->capacity, block->counts, block->ends);
            const int cnt = counts[i1];
            const int j = FindFirstMaterialExitAbove(material, cnt, tipT);
            double distance = HUGE_VAL;
            if (j < cnt) distance = material[j] - tipT;
            if (j >= 2) distance = std::min(distance, tipT - material[j - 1]);
            const double clear = distance - offset;
            if (clear > 0.0 && clear * clear > halfSquared) {
                if (gap) {
                    gap[0] = j >= 2 ? TopBound(material[j - 1]) : -HUGE_VALF;
                    gap[1] = j < cnt ? FloatAtOrBelow(material[j]) : HUGE_VALF;
                }
                continue;
            }
            const double root = std::sqrt(disc);
            double low = (-B - root) * inverseA, high = (root - B) * inverseA;
            if (ballParts) {
                // The reach cylinder's part above the upper parts' base, hulled with the sphere.
                if (!HullWithPaddedSphere(w >= upperPartHeight - kPlaneMargin, sphereQ, paddedSphere,
                                          st->cornerCentrePoint[2] - tipT, &low, &high))
                    continue;
            }
            if (!MaterialBetweenFrom(material, cnt, tipT + low, tipT + high, tipT, j)) continue;
        }
        if (axial) {
            const double dx = st->basePoint[0] - block->crossCoordinates1[i1];
            if (dx * dx + dy * dy > outsideReach) continue;
            const int d = i1 + i2 * block->crossNodeCount1;
            const double* material = GetDexelEndsPointer(d, block->capacity, block->counts, block->ends);
            const double top = material[counts[i1] - 1];
            if (n[2] > 0.0 ? tipT >= top : tipT <= material[0]) continue;
            if (ballFromAbove) {
                // IntersectSphere's arithmetic, with the root only where the squares leave it open.
                const double e1 = C[0] - block->crossCoordinates1[i1];
                const double q = e1 * e1 + e2 * e2;
                sphereCount = 0;
                if (q < R * R) {
                    const double u = C[2] - top - sphereMargin;
                    if (u > 0.0 && u * u > R * R - q) continue;
                    const double root = std::sqrt(R * R - q);
                    sphere[0] = C[2] - root;
                    sphere[1] = C[2] + root;
                    sphereCount = 2;
                    if (sphere[0] >= top) continue;
                }
            }
        }
        SetUpRayOfRow(&ray, rowValues, block, i1);
        if (tool.type == TOOL_BALL && (sphereCount >= 0 || belowUpperParts)) {
            if (sphereCount < 0)
                sphereCount = IntersectSphere(st->cornerCentrePoint, g_CutBoundRadius, ray, sphere);
            CutBallAfterSphere(tool, ray, &flags, sphereCount, sphere, belowUpperParts,
                               ballFromAbove ? &axialParts : nullptr);
            continue;
        }
        switch (tool.type) {
        case TOOL_BALL: CutBall(tool, ray, &flags); break;
        case TOOL_FLAT:
        case TOOL_VERTICAL: CutFlat(tool, ray, &flags); break;
        case TOOL_T_SLOT: CutTSlot(tool, ray); break;
        case TOOL_RADIUS: CutRadiusMill(tool, ray, &flags); break;
        default:
            if (tool.r < 0.0)
                CutHollowCorner(tool, ray, &flags);
            else
                QueueGeneralCut(tool, ray, &flags, &generalCuts);
            break;
        }
    }
    if (generalCuts.count > 0) FlushGeneralCuts(tool, &generalCuts);
}

// A run of rows of one family, the unit of work handed to a thread, with its results for every
// position of the round (a thread cuts its rows at the positions one after the other, so every ray
// sees the positions in their order). Each on its own cache lines: the workers grow their tasks'
// lists side by side.
struct alignas(64) SweepTask {
    int family;
    int firstRow, lastRow;
    std::vector<double> volumeTerms;  // removed volumes in position order, then ray order
    std::vector<size_t> termEnds;     // per position: the end of its terms in volumeTerms
    std::vector<int> endCounts;       // per position: removed ends
    std::atomic<int> done{0};         // set once the task has cut its rows at every position
};

// The sweep of one or more positions: its tasks in family and row order (slots kept from sweep to
// sweep).
struct SweepRound {
    DexelDirectionBlock* blocks[3];
    ToolShape tool;
    SweepPosition* positions;
    int positionCount;
    std::deque<SweepTask> tasks;  // a deque: its tasks never move
    int taskCount;
    int familyTasks[4];  // the tasks of family f: familyTasks[f] .. familyTasks[f + 1] - 1
    // The 3 x sumChunks tasks past taskCount sum the volumes of one family each at one run of
    // positions (sum task s: family s / sumChunks, chunk s % sumChunks), once the family's sweep
    // tasks are done.
    int sumChunks;
    // One thread cuts every task in order: each position's sums grow as its rows are cut (the same
    // terms in the same order), and no task sums them afterwards.
    bool sumAsCut;
};

SweepRound s_Round;

// Per worker: the three blocks with block->sweep on the state of the position being cut.
// Each worker's on its own cache lines.
struct alignas(64) WorkerBlocks {
    std::array<DexelDirectionBlock, 3> blocks;
};
std::vector<WorkerBlocks> s_WorkerBlocks;

void AddSweepTask(SweepRound* round, int family, int firstRow, int lastRow)
{
    if (int(round->tasks.size()) <= round->taskCount) round->tasks.emplace_back();
    SweepTask& task = round->tasks[size_t(round->taskCount++)];
    task.family = family;
    task.firstRow = firstRow;
    task.lastRow = lastRow;
    task.volumeTerms.clear();
    task.termEnds.clear();
    task.endCounts.clear();
    task.done.store(0, std::memory_order_relaxed);
}

// The working values of position `index` of a sweep into the calling thread's copies.
void InstallPositionValues(const SweepPosition& position, int index)
{
    SetCutPositionValues(position.toolAxisPlane, position.cutPoints);
    t_CutColour = position.colour;
    t_CutLineTag = position.lineTag;
    t_PositionIndex = index;
}

// The volumes and end counts of family f at every position summed in the order of the rays (the
// family's tasks in row order, each task's terms in ray order): the sums of a sweep on one thread,
// whichever thread cut a row. One worker reads each task's lists from start to end.
// Positions first .. last - 1 only; each position's sum takes its terms in the same order whatever
// the runs of positions, so the runs can be summed on several workers.
void SumFamilyResults(const SweepRound& round, int f, int first, int last)
{
    // Every sweep task is drawn already (the pool deals these tasks out last) and ends soon.
    for (int k = round.familyTasks[f]; k < round.familyTasks[f + 1]; k++) {
        for (int spin = 0; !round.tasks[size_t(k)].done.load(std::memory_order_acquire); spin++) {
            if (spin < 4000) PauseCutThread(spin);
            else std::this_thread::yield();
        }
    }
    // Task by task (their lists read from start to end), every position's sum growing in turn.
    for (int k = round.familyTasks[f]; k < round.familyTasks[f + 1]; k++) {
        const SweepTask& task = round.tasks[size_t(k)];
        const double* terms = task.volumeTerms.data();
        const size_t* termEnds = task.termEnds.data();
        const int* endCounts = task.endCounts.data();
        size_t t = first == 0 ? 0 : termEnds[first - 1];
        for (int j = first; j < last; j++) {
            DexelSweepState* st = &round.positions[j].states[f];
            double volume = st->removedVolume;
            for (const size_t end = termEnds[j]; t < end; t++) volume += terms[t];
            st->removedVolume = volume;
            st->removedEndCount += endCounts[j];
        }
    }
}

void RunSweepTask(int taskIndex, int worker, void* context)
{
    SweepRound* round = static_cast<SweepRound*>(context);
    if (taskIndex >= round->taskCount) {
        const int sum = taskIndex - round->taskCount, chunks = round->sumChunks;
        const int chunk = sum % chunks, n = round->positionCount;
        SumFamilyResults(*round, sum / chunks, int(int64_t(n) * chunk / chunks),
                         int(int64_t(n) * (chunk + 1) / chunks));
        return;
    }
    SweepTask& task = round->tasks[size_t(taskIndex)];
    DexelDirectionBlock* block = &s_WorkerBlocks[size_t(worker)].blocks[size_t(task.family)];
    *block = *round->blocks[task.family];
    CutScratch* scratch = s_Scratches[size_t(worker)].get();
    for (int j = 0; j < round->positionCount; j++) {
        SweepPosition& position = round->positions[j];
        DexelSweepState* st = &position.states[task.family];
        int endCount = 0;
        const int first = std::max(task.firstRow, st->rangeLow2), last = std::min(task.lastRow, st->rangeHigh2);
        if (first <= last && st->rangeLow1 <= st->rangeHigh1) {
            InstallPositionValues(position, j);
            block->sweep = st;
            if (round->sumAsCut) {
                // Each row's terms added (and let go) while the next row is cut.
                double volume = st->removedVolume;
                for (int i2 = first; i2 <= last; i2++) {
                    task.volumeTerms.clear();
                    SweepRow(round->tool, block, i2, scratch, &task.volumeTerms, &endCount);
                    const double* terms = task.volumeTerms.data();
                    for (size_t t = 0, end = task.volumeTerms.size(); t < end; t++) volume += terms[t];
                }
                task.volumeTerms.clear();
                st->removedVolume = volume;
            } else {
                for (int i2 = first; i2 <= last; i2++)
                    SweepRow(round->tool, block, i2, scratch, &task.volumeTerms, &endCount);
            }
        }
        if (round->sumAsCut) st->removedEndCount += endCount;
        task.termEnds.push_back(task.volumeTerms.size());
        task.endCounts.push_back(endCount);
    }
    task.done.store(1, std::memory_order_release);
}

// Rays in a state's range (0 when empty).
int64_t CountRangeRays(const DexelSweepState* st)
{
    if (!st || st->rangeLow1 > st->rangeHigh1 || st->rangeLow2 > st->rangeHigh2) return 0;
    return int64_t(st->rangeHigh1 - st->rangeLow1 + 1) * int64_t(st->rangeHigh2 - st->rangeLow2 + 1);
}

}  // namespace

void SweepToolThroughDexelGridsAtPositions(DexelDirectionBlock* const blocks[3], SweepPosition* positions,
                                           int count, int threads)
{
    SweepRound& round = s_Round;
    s_SweepSerial++;
    round.tool = ReadToolShape();
    round.taskCount = 0;
    round.positions = positions;
    round.positionCount = count;
    // Per family the rows that some position reaches.
    int64_t rays = 0;
    int rows = 0;
    int rowLow[3], rowHigh[3];
    for (int f = 0; f < 3; f++) {
        round.blocks[f] = blocks[f];
        rowLow[f] = INT32_MAX;
        rowHigh[f] = INT32_MIN;
        for (int j = 0; j < count; j++) {
            const DexelSweepState* st = &positions[j].states[f];
            const int64_t n = CountRangeRays(st);
            if (n == 0) continue;
            rays += n;
            rowLow[f] = std::min(rowLow[f], int(st->rangeLow2));
            rowHigh[f] = std::max(rowHigh[f], int(st->rangeHigh2));
        }
        if (rowLow[f] <= rowHigh[f]) rows += rowHigh[f] - rowLow[f] + 1;
    }
    if (rays == 0) return;
    // The search of a radius mill's centre height carries values from ray to ray: one thread.
    int workers = round.tool.type == TOOL_RADIUS && g_ChipWidthCheck == 1 ? 1 : threads;
    workers = int(std::max<int64_t>(1, std::min<int64_t>(workers, rays / std::max(1, g_CutRaysPerThread))));
    const int rowsPerTask = std::max(1, rows / (16 * workers));
    for (int f = 0; f < 3; f++) {
        round.familyTasks[f] = round.taskCount;
        for (int first = rowLow[f]; first <= rowHigh[f]; first += rowsPerTask)
            AddSweepTask(&round, f, first, std::min(first + rowsPerTask - 1, rowHigh[f]));
    }
    round.familyTasks[3] = round.taskCount;
    WorkModel* work = blocks[0]->work;
    ProvideScratches(workers, work);
    for (int f = 0; f < 3; f++)
        if (blocks[f]->rayAxis == 2) AttachTopSummary(blocks[f]);
        else AttachGapSummary(blocks[f]);
    if (int(s_WorkerBlocks.size()) < workers) s_WorkerBlocks.resize(size_t(workers));
    // The sweep tasks, then per family the tasks summing its results (a long run of positions in
    // a few parts).
    round.sumChunks = std::max(1, std::min(count / 32, (workers + 2) / 3));
    round.sumAsCut = workers == 1;
    RunCutTasks(round.taskCount + (round.sumAsCut ? 0 : 3 * round.sumChunks), round.taskCount, workers,
                RunSweepTask, &round);
    // The caller's thread keeps the working values of the last position, as after cutting it alone.
    InstallPositionValues(positions[count - 1], count - 1);
    MergeScratches(workers, work);
    // Cuts on this thread outside a sweep (sections, holder steps) take the run's colour and tag.
    t_CutColour = g_CutColour;
    t_CutLineTag = g_CutLineTag;
    t_PositionIndex = 0;
}

void SweepToolThroughDexelGrids(DexelDirectionBlock* const blocks[3], int threads)
{
    SweepPosition position;
    for (int f = 0; f < 3; f++) position.states[f] = *blocks[f]->sweep;
    std::memcpy(position.toolAxisPlane, g_ToolAxisPlane, sizeof position.toolAxisPlane);
    std::memcpy(position.cutPoints, g_CutPoints, sizeof position.cutPoints);
    std::memcpy(position.colour, g_CutColour, sizeof position.colour);
    std::memcpy(position.lineTag, g_CutLineTag, sizeof position.lineTag);
    SweepToolThroughDexelGridsAtPositions(blocks, &position, 1, threads);
    // The states with their results (and whatever the sweep moved, as the radius mill's search does).
    for (int f = 0; f < 3; f++) *blocks[f]->sweep = position.states[f];
}

namespace {

// Stamps one section solid (neck section or holder step) over a block's range on the calling
// thread. Returns 1 when a test stamp meets material.
int StampSectionRays(DexelDirectionBlock* block, const ToolShape* tool, bool test)
{
    DexelSweepState* st = block->sweep;
    ProvideScratches(1, block->work);
    AttachTopSummary(block);
    CutScratch* scratch = s_Scratches[0].get();
    int touched = 0;
    for (int i2 = st->rangeLow2; i2 <= st->rangeHigh2 && !touched; i2++) {
        for (int i1 = st->rangeLow1; i1 <= st->rangeHigh1 && !touched; i1++) {
            if (block->counts[i1 + i2 * block->crossNodeCount1] == 0) continue;
            RayContext ray;
            SetUpRay(&ray, block, i1, i2, scratch, &st->removedVolume, nullptr, &st->removedEndCount);
            double t[2];
            if (tool) {
                if (IntersectNeckSection(*tool, ray, t) != 2) continue;
                uint8_t colour[2] = {g_SectionPaintColour[0], g_SectionPaintColour[1]};
                if (tool->lengthKind > 10) ChooseBodyColour(ray, t[0], t[1], false, colour);
                touched = StampInterval(ray, t[0], t[1], colour, test, tool->lengthKind > 10);
            } else {
                if (IntersectHolderStep(ray, t) != 2) continue;
                touched = StampInterval(ray, t[0], t[1], g_SectionPaintColour, test, false);
            }
        }
    }
    MergeScratches(1, block->work);
    return touched;
}

}  // namespace

void SetCutPositionValues(const double toolAxisPlane[11], const double cutPoints[5][3])
{
    std::memcpy(g_ToolAxisPlane, toolAxisPlane, sizeof g_ToolAxisPlane);
    std::memcpy(g_CutPoints, cutPoints, sizeof g_CutPoints);
}

void ReleaseCutScratches()
{
    s_Scratches.clear();
    s_Scratches.shrink_to_fit();
    s_ZTopSummary = TopSummary{};
    s_SummaryCounts = nullptr;
    s_SummaryTops = nullptr;
    for (int f = 0; f < 2; f++) {
        s_GapSummaries[f] = GapSummary{};
        s_GapCounts[f] = nullptr;
        s_GapEntries[f] = nullptr;
    }
}

void SetCutSummaryPairsOnlyForTest(bool pairsOnly)
{
    s_SummaryPairsOnly = pairsOnly;
}

const float* GetZTopSummaryForTest(const WorkModel* work)
{
    const SummaryStamp& stamp = s_ZTopSummary.stamp;
    if (!work || !stamp.counts || stamp.counts != work->familyZ.counts || stamp.ends != work->familyZ.ends ||
        stamp.rayCount != work->familyZ.rayCount || stamp.capacity != work->familyZ.capacity ||
        stamp.generation != GetDexelStorageGeneration())
        return nullptr;
    return s_ZTopSummary.tops.data();
}

const float* GetGapSummaryForTest(const WorkModel* work, int family)
{
    if (!work || (family != 0 && family != 1)) return nullptr;
    const SummaryStamp& stamp = s_GapSummaries[family].stamp;
    const DexelFamily& f = family == 0 ? work->familyX : work->familyY;
    if (!stamp.counts || stamp.counts != f.counts || stamp.ends != f.ends || stamp.rayCount != f.rayCount ||
        stamp.capacity != f.capacity || stamp.generation != GetDexelStorageGeneration())
        return nullptr;
    return s_GapSummaries[family].gaps.data();
}

int StampToolSection(DexelDirectionBlock* block)
{
    if (!block->sweep) return 0;
    const ToolShape tool = ReadToolShape();
    return StampSectionRays(block, &tool, g_ArborCheck == 1 && tool.lengthKind < 10);
}

int StampToolSectionFromTable(DexelDirectionBlock* block)
{
    DexelSweepState* st = block->sweep;
    if (!st || st->sectionIndex < 0 || st->sectionIndex >= ARBOR_MAX_STEPS) return 0;
    return StampSectionRays(block, nullptr, g_ArborCheck == 1);
}
