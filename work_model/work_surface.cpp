// The cell kernel of the work surface: classification of a cell's edges against the rays, their
// reconciliation at the nodes, the segments of each face and the walk over a box of cells. The
// kernel only reads the work and keeps nothing between calls.
#include "work_model/work_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "work_model/dexel_intervals.h"

namespace {

// Crossing values per code.
const int kValueCount[12] = {0, 0, 1, 1, 2, 1, 2, 1, 2, 2, 1, 1};

inline bool InSet(int code, unsigned set)
{
    return ((set >> code) & 1u) != 0;
}

constexpr unsigned Bits(int a, int b = -1, int c = -1, int d = -1, int e = -1, int f = -1)
{
    return (1u << a) | (b >= 0 ? 1u << b : 0) | (c >= 0 ? 1u << c : 0) | (d >= 0 ? 1u << d : 0) |
           (e >= 0 ? 1u << e : 0) | (f >= 0 ? 1u << f : 0);
}

// Node states of a code at the edge's lower node L and upper node U.
const unsigned kInnerAtLower = Bits(2, 4, 8);
const unsigned kInnerAtUpper = Bits(3, 4, 6);
const unsigned kMaterialAtLower = Bits(1, 3, 7);

void SetEdge(CellEdge* edge, int code, double v0, uint8_t a0, double v1 = 0.0, uint8_t a1 = 0)
{
    edge->code = code;
    edge->count = kValueCount[code];
    edge->values[0] = v0;
    edge->attributes[0] = a0;
    edge->values[1] = v1;
    edge->attributes[1] = a1;
}

void SetFull(CellEdge* edge)
{
    edge->code = EDGE_FULL;
    edge->count = 0;
}

void SetCode(CellEdge* edge, int code)
{
    edge->code = code;
    edge->count = kValueCount[code];
}

// --- Node reconciliation -------------------------------------------------------------------

bool IsInnerBoundaryAt(const CellEdge* e, bool atUpper)
{
    return InSet(e->code, atUpper ? kInnerAtUpper : kInnerAtLower);
}

bool IsOuterTouchAt(const CellEdge* e, bool atUpper)
{
    return e->code == (atUpper ? EDGE_TOUCH_UPPER : EDGE_TOUCH_LOWER);
}

// Void as seen from the node: empty, or the outer touch of the other node.
bool IsVoidFrom(const CellEdge* e, bool atUpper)
{
    return e->code == EDGE_EMPTY || e->code == (atUpper ? EDGE_TOUCH_LOWER : EDGE_TOUCH_UPPER);
}

bool HasValueAt(const CellEdge* e, bool atUpper)
{
    return IsInnerBoundaryAt(e, atUpper) || IsOuterTouchAt(e, atUpper);
}

uint8_t AttributeAt(const CellEdge* e, bool atUpper)
{
    return atUpper ? e->attributes[e->count - 1] : e->attributes[0];
}

// Whether node P (where n1 and n2 end, at their upper end when the flag says so) is a surface
// node; *attribute gets the attribute of the crossing value there.
bool IsSurfaceNode(const CellEdge* n1, bool n1Upper, const CellEdge* n2, bool n2Upper,
                   uint8_t* attribute)
{
    const bool surface = IsOuterTouchAt(n1, n1Upper) || IsOuterTouchAt(n2, n2Upper) ||
                         (IsInnerBoundaryAt(n1, n1Upper) && IsVoidFrom(n2, n2Upper)) ||
                         (IsInnerBoundaryAt(n2, n2Upper) && IsVoidFrom(n1, n1Upper));
    if (!surface) return false;
    if (HasValueAt(n1, n1Upper))
        *attribute = AttributeAt(n1, n1Upper);
    else if (HasValueAt(n2, n2Upper))
        *attribute = AttributeAt(n2, n2Upper);
    else
        *attribute = 0;
    return true;
}

// --- Face segments ---------------------------------------------------------------------------

// Walking terms of a face edge; index 0 for e1 and e2 (walked lower to upper), 1 for e3 and e4.
const unsigned kLeavesInside[2] = {Bits(7, 8, 9), Bits(5, 6, 9)};
const unsigned kLeavesAtStart[2] = {Bits(10), Bits(11)};
const unsigned kLeavesAtEnd[2] = {Bits(3, 4, 6), Bits(2, 4, 8)};
const unsigned kEntersAtStartOrInside[2] = {Bits(2, 4, 5, 6, 8, 9), Bits(3, 4, 6, 7, 8, 9)};
const unsigned kEntersAtEnd[2] = {Bits(11), Bits(10)};
const unsigned kEntersInsideAfterEmptyStart[2] = {Bits(5, 6, 9), Bits(7, 8, 9)};
const unsigned kMaterialOrInnerAtEnd[2] = {Bits(1, 2, 3, 4, 5, 6), Bits(1, 2, 3, 4, 7, 8)};
const unsigned kEmptyAtStart[2] = {Bits(0, 5, 6, 9, 11), Bits(0, 7, 8, 9, 10)};

// The neighbour of face edge w at its lower and upper node, and whether that neighbour touches the
// node with its upper end.
const int kLowerNeighbour[4] = {3, 0, 3, 0};
const bool kLowerNeighbourAtUpper[4] = {false, true, true, false};
const int kUpperNeighbour[4] = {1, 2, 1, 2};
const bool kUpperNeighbourAtUpper[4] = {false, true, true, false};

struct FaceFrame {
    int normalAxis, f, g;
    double plane, fLo, fHi, gLo, gHi;
    const CellEdge* edges[4];
};

inline int Walk(int w)
{
    return w < 2 ? 0 : 1;
}

// The point at coordinate t along face edge w.
void PointOnEdge(const FaceFrame* frame, int w, double t, double out[3])
{
    out[frame->normalAxis] = frame->plane;
    switch (w) {
    case 0: out[frame->f] = t; out[frame->g] = frame->gLo; break;
    case 1: out[frame->f] = frame->fHi; out[frame->g] = t; break;
    case 2: out[frame->f] = t; out[frame->g] = frame->gHi; break;
    default: out[frame->f] = frame->fLo; out[frame->g] = t; break;
    }
}

double EdgeLowerCoordinate(const FaceFrame* frame, int w)
{
    return (w == 0 || w == 2) ? frame->fLo : frame->gLo;
}

double EdgeUpperCoordinate(const FaceFrame* frame, int w)
{
    return (w == 0 || w == 2) ? frame->fHi : frame->gHi;
}

// The attribute of the corner at edge w's lower or upper node: from the face edge through it that
// holds a value there.
uint8_t CornerAttribute(const FaceFrame* frame, int w, bool atUpper)
{
    const CellEdge* e = frame->edges[w];
    if (HasValueAt(e, atUpper)) return AttributeAt(e, atUpper);
    const int n = atUpper ? kUpperNeighbour[w] : kLowerNeighbour[w];
    const bool nUpper = atUpper ? kUpperNeighbourAtUpper[w] : kLowerNeighbourAtUpper[w];
    if (HasValueAt(frame->edges[n], nUpper)) return AttributeAt(frame->edges[n], nUpper);
    return 0;
}

// The walk-first (first = true) or walk-last value index of edge w.
int WalkValueIndex(const CellEdge* e, int w, bool first)
{
    const bool lowerFirst = w < 2;
    return (first == lowerFirst) ? 0 : e->count - 1;
}

void AppendSegment(int face, const double p0[3], uint8_t a0, const double p1[3], uint8_t a1,
                   int label, FaceSegment* segments, int* segmentCount)
{
    FaceSegment* s = &segments[(*segmentCount)++];
    const bool reversed = (face & 1) != 0;
    std::memcpy(s->points[reversed ? 1 : 0], p0, 3 * sizeof(double));
    std::memcpy(s->points[reversed ? 0 : 1], p1, 3 * sizeof(double));
    s->attributes[reversed ? 1 : 0] = a0;
    s->attributes[reversed ? 0 : 1] = a1;
    s->label = label;
}

// Appends a segment along edge w between coordinates t0 < t1 in the walking direction.
void AppendWalkingSegment(const FaceFrame* frame, int face, int w, double t0, uint8_t a0, double t1,
                          uint8_t a1, int label, FaceSegment* segments, int* segmentCount)
{
    double p0[3], p1[3];
    PointOnEdge(frame, w, t0, p0);
    PointOnEdge(frame, w, t1, p1);
    if (w < 2)
        AppendSegment(face, p0, a0, p1, a1, label, segments, segmentCount);
    else
        AppendSegment(face, p1, a1, p0, a0, label, segments, segmentCount);
}

// The edge segment of face edge w, if any.
void AppendEdgeSegment(const FaceFrame* frame, int face, int w, int ownFlag, int adjacentFace,
                       int adjacentFlag, FaceSegment* segments, int* segmentCount)
{
    const CellEdge* e = frame->edges[w];
    bool othersEmpty = true;
    for (int o = 0; o < 4; o++)
        if (o != w && frame->edges[o]->code > 0) othersEmpty = false;
    if (!ownFlag && e->code == EDGE_INSIDE && !othersEmpty) {
        // Against the walking direction: from the walk-last to the walk-first value.
        const int last = WalkValueIndex(e, w, false), first = WalkValueIndex(e, w, true);
        double p0[3], p1[3];
        PointOnEdge(frame, w, e->values[last], p0);
        PointOnEdge(frame, w, e->values[first], p1);
        AppendSegment(face, p0, e->attributes[last], p1, e->attributes[first], face, segments,
                      segmentCount);
        return;
    }
    if (adjacentFlag) return;
    const double lo = EdgeLowerCoordinate(frame, w), hi = EdgeUpperCoordinate(frame, w);
    const CellEdge* nLower = frame->edges[kLowerNeighbour[w]];
    const CellEdge* nUpper = frame->edges[kUpperNeighbour[w]];
    const bool innerLower = IsInnerBoundaryAt(nLower, kLowerNeighbourAtUpper[w]);
    const bool innerUpper = IsInnerBoundaryAt(nUpper, kUpperNeighbourAtUpper[w]);
    switch (e->code) {
    case EDGE_FULL:
        if (innerLower && innerUpper)
            AppendWalkingSegment(frame, face, w, lo, CornerAttribute(frame, w, false), hi,
                                 CornerAttribute(frame, w, true), adjacentFace, segments,
                                 segmentCount);
        break;
    case EDGE_ENTER_AT_LOWER:
    case EDGE_ENTER_INSIDE:
        if (innerUpper)
            AppendWalkingSegment(frame, face, w, e->values[0], e->attributes[0], hi,
                                 CornerAttribute(frame, w, true), adjacentFace, segments,
                                 segmentCount);
        break;
    case EDGE_EXIT_AT_UPPER:
    case EDGE_EXIT_INSIDE:
        if (innerLower)
            AppendWalkingSegment(frame, face, w, lo, CornerAttribute(frame, w, false), e->values[0],
                                 e->attributes[0], adjacentFace, segments, segmentCount);
        break;
    case EDGE_SPAN_EXACT:
    case EDGE_ENTER_INSIDE_EXIT_AT_UPPER:
    case EDGE_ENTER_AT_LOWER_EXIT_INSIDE:
        AppendWalkingSegment(frame, face, w, e->values[0], e->attributes[0], e->values[1],
                             e->attributes[1], adjacentFace, segments, segmentCount);
        break;
    case EDGE_INSIDE:
        if (othersEmpty)
            AppendWalkingSegment(frame, face, w, e->values[0], e->attributes[0], e->values[1],
                                 e->attributes[1], adjacentFace, segments, segmentCount);
        break;
    default:
        break;
    }
}

bool Opens(const FaceFrame* frame, int x)
{
    const int code = frame->edges[x]->code;
    if (InSet(code, kEntersAtStartOrInside[Walk(x)])) return true;
    const int next = (x + 1) & 3;
    return InSet(code, kEntersAtEnd[Walk(x)]) &&
           !InSet(frame->edges[next]->code, kEmptyAtStart[Walk(next)]);
}

// The interior segment that starts at face edge a, if any.
void AppendInteriorSegment(const FaceFrame* frame, int face, int a, FaceSegment* segments,
                           int* segmentCount)
{
    const int b = (a + 1) & 3, c = (a + 2) & 3, d = (a + 3) & 3;
    const int codeA = frame->edges[a]->code;
    int target = -1;
    if (InSet(codeA, kLeavesInside[Walk(a)]) ||
        (InSet(codeA, kLeavesAtStart[Walk(a)]) &&
         InSet(frame->edges[d]->code, kMaterialOrInnerAtEnd[Walk(d)]))) {
        if (Opens(frame, b))
            target = b;
        else if (Opens(frame, c))
            target = c;
        else if (Opens(frame, d))
            target = d;
    } else if (InSet(codeA, kLeavesAtEnd[Walk(a)]) &&
               InSet(frame->edges[b]->code, kEmptyAtStart[Walk(b)])) {
        const int codeC = frame->edges[c]->code, codeD = frame->edges[d]->code;
        if (frame->edges[b]->code != EDGE_EMPTY)
            target = b;
        else if (InSet(codeC, kEntersAtStartOrInside[Walk(c)]) ||
                 (InSet(codeC, kEntersAtEnd[Walk(c)]) &&
                  !InSet(codeD, kEntersInsideAfterEmptyStart[Walk(d)])))
            target = c;
        else if (InSet(codeD, kEntersAtStartOrInside[Walk(d)]))
            target = d;
    }
    if (target < 0) return;
    const CellEdge* t = frame->edges[target];
    const CellEdge* s = frame->edges[a];
    const int ti = WalkValueIndex(t, target, true), si = WalkValueIndex(s, a, false);
    double p0[3], p1[3];
    PointOnEdge(frame, target, t->values[ti], p0);
    PointOnEdge(frame, a, s->values[si], p1);
    AppendSegment(face, p0, t->attributes[ti], p1, s->attributes[si],
                  SEGMENT_CROSSES_FACE + face, segments, segmentCount);
}

// Edges e1..e4 of each face, with the adjacent face of each.
const int kFaceEdges[6][4] = {
    {EDGE_Y00, EDGE_Z01, EDGE_Y01, EDGE_Z00}, {EDGE_Y10, EDGE_Z11, EDGE_Y11, EDGE_Z10},
    {EDGE_Z00, EDGE_X01, EDGE_Z10, EDGE_X00}, {EDGE_Z01, EDGE_X11, EDGE_Z11, EDGE_X10},
    {EDGE_X00, EDGE_Y10, EDGE_X10, EDGE_Y00}, {EDGE_X01, EDGE_Y11, EDGE_X11, EDGE_Y01}};

int AdjacentFace(int normalAxis, int w)
{
    const int f = (normalAxis + 1) % 3, g = (normalAxis + 2) % 3;
    switch (w) {
    case 0: return 2 * g;
    case 1: return 2 * f + 1;
    case 2: return 2 * g + 1;
    default: return 2 * f;
    }
}

// The reconciliation order: edge, type, neighbours at its lower node, at its upper node.
struct CombineStep {
    int edge, type, lower1, lower2, upper1, upper2;
};
const CombineStep kCombineSteps[12] = {
    {EDGE_X01, 0, EDGE_Z00, EDGE_Y01, EDGE_Z10, EDGE_Y11},
    {EDGE_X11, 1, EDGE_Z01, EDGE_Y01, EDGE_Z11, EDGE_Y11},
    {EDGE_Y01, 0, EDGE_Z00, EDGE_X01, EDGE_Z01, EDGE_X11},
    {EDGE_Y11, 1, EDGE_Z10, EDGE_X01, EDGE_Z11, EDGE_X11},
    {EDGE_X00, 2, EDGE_Z00, EDGE_Y00, EDGE_Z10, EDGE_Y10},
    {EDGE_X10, 3, EDGE_Z01, EDGE_Y00, EDGE_Z11, EDGE_Y10},
    {EDGE_Y00, 2, EDGE_Z00, EDGE_X00, EDGE_Z01, EDGE_X10},
    {EDGE_Y10, 3, EDGE_Z10, EDGE_X00, EDGE_Z11, EDGE_X10},
    {EDGE_Z00, 2, EDGE_X00, EDGE_Y00, EDGE_X01, EDGE_Y01},
    {EDGE_Z10, 0, EDGE_X00, EDGE_Y10, EDGE_X01, EDGE_Y11},
    {EDGE_Z01, 3, EDGE_X10, EDGE_Y00, EDGE_X11, EDGE_Y01},
    {EDGE_Z11, 1, EDGE_X10, EDGE_Y10, EDGE_X11, EDGE_Y11}};

// What a ray shows on the edge [L, U] without classifying it: QUICK_EDGE_MATERIAL when material
// covers part of the edge or all of it, QUICK_EDGE_CROSSED when an end lies on the edge (the
// classification may then give any code); 0 when the edge is empty. Without the crossed bit the
// code is EDGE_FULL with the material bit and EDGE_EMPTY without.
enum { QUICK_EDGE_MATERIAL = 1, QUICK_EDGE_CROSSED = 2 };

inline int GetQuickEdgeState(const DexelFamily* family, int ray, double L, double U)
{
    const int count = family->counts[ray];
    if (count <= 0) return 0;
    const double* e = family->ends + size_t(ray) * size_t(family->capacity);
    if (count == 2) {
        if (e[1] < L || e[0] > U) return 0;
        if (e[0] < L && e[1] > U) return QUICK_EDGE_MATERIAL;
        return QUICK_EDGE_MATERIAL | QUICK_EDGE_CROSSED;
    }
    e = GetDexelEndsPointer(ray, family->capacity, family->counts, family->ends);
    if (e[0] > U || e[count - 1] < L) return 0;
    int below = 0;
    for (int m = 0; m < count; m++) {
        if (e[m] >= L) return e[m] <= U ? QUICK_EDGE_MATERIAL | QUICK_EDGE_CROSSED : (below & 1);
        below++;
    }
    return 0;
}

inline int EdgeAxis(int edge)
{
    return edge / 4;
}

}  // namespace

void GetDexelFirstLastEnds(const WorkModel* work, int family, double* first,
                           uint8_t* firstAttributes, double* last, uint8_t* lastAttributes)
{
    const DexelFamily* f = family == 0 ? &work->familyX : family == 1 ? &work->familyY : &work->familyZ;
    const double* coordinates = family == 0   ? work->coordinatesX
                                : family == 1 ? work->coordinatesY
                                              : work->coordinatesZ;
    const int nodes = family == 0 ? work->nodeCountX : family == 1 ? work->nodeCountY : work->nodeCountZ;
    for (int d = 0; d < f->rayCount; d++) {
        const int count = f->counts[d];
        if (count <= 0) {
            first[d] = coordinates[nodes - 1];
            last[d] = coordinates[0];
            continue;
        }
        const double* ends = GetDexelEndsPointer(d, f->capacity, f->counts, f->ends);
        first[d] = ends[0];
        last[d] = ends[count - 1];
        if (firstAttributes || lastAttributes) {
            const uint8_t* a = GetDexelAttributesPointer(d, f->capacity, f->counts, f->ends, f->attributes);
            if (firstAttributes) firstAttributes[d] = a[0];
            if (lastAttributes) lastAttributes[d] = a[count - 1];
        }
    }
}

void ClassifyIntervalInCell(const double ends[2], const uint8_t attributes[2], double L, double U,
                            CellEdge* edge)
{
    const double c = ends[0], d = ends[1];
    const uint8_t ac = attributes[0], ad = attributes[1];
    if (c < L) {
        if (d == U)
            SetEdge(edge, EDGE_EXIT_AT_UPPER, U, ad);
        else if (d == L)
            SetEdge(edge, EDGE_TOUCH_LOWER, L, ad);
        else
            SetEdge(edge, EDGE_EXIT_INSIDE, d, ad);
    } else if (c == L) {
        if (d > U)
            SetEdge(edge, EDGE_ENTER_AT_LOWER, L, ac);
        else if (d == U)
            SetEdge(edge, EDGE_SPAN_EXACT, L, ac, U, ad);
        else if (d == L)
            SetEdge(edge, EDGE_TOUCH_LOWER, L, ad);
        else
            SetEdge(edge, EDGE_ENTER_AT_LOWER_EXIT_INSIDE, L, ac, d, ad);
    } else if (c < U) {
        if (d > U)
            SetEdge(edge, EDGE_ENTER_INSIDE, c, ac);
        else if (d == U)
            SetEdge(edge, EDGE_ENTER_INSIDE_EXIT_AT_UPPER, c, ac, U, ad);
        else
            SetEdge(edge, EDGE_INSIDE, c, ac, d, ad);
    } else {
        SetEdge(edge, EDGE_TOUCH_UPPER, U, ac);
    }
}

void ClipDexelToCell(int capacity, int count, const double* ends, const uint8_t* attributes,
                     double L, double U, CellEdge* edge)
{
    const int32_t counts[1] = {count};
    const double* e = GetDexelEndsPointer(0, capacity, counts, const_cast<double*>(ends));
    const uint8_t* a = GetDexelAttributesPointer(0, capacity, counts, ends, const_cast<uint8_t*>(attributes));
    if (count < 2 || e[0] > U || e[count - 1] < L) return;
    for (int n = 0; n + 1 < count; n += 2) {
        const double en = e[n], x = e[n + 1];
        const uint8_t ae = a[n], ax = a[n + 1];
        const int running = edge->code;
        if (en == L) {
            if (x == U) {
                SetEdge(edge, EDGE_SPAN_EXACT, en, ae, x, ax);
                return;
            }
            if (x > U) {
                SetEdge(edge, EDGE_ENTER_AT_LOWER, en, ae);
                return;
            }
            SetEdge(edge, EDGE_ENTER_AT_LOWER_EXIT_INSIDE, en, ae, x, ax);
        } else if (en == U) {
            if (running == EDGE_EMPTY)
                SetEdge(edge, EDGE_TOUCH_UPPER, en, ae);
            else if (running == EDGE_TOUCH_LOWER)
                SetFull(edge);
            return;
        } else if (en > U) {
            return;
        } else if (en < L) {
            if (x < L) continue;
            if (x == L) {
                SetEdge(edge, EDGE_TOUCH_LOWER, x, ax);
            } else if (x < U) {
                SetEdge(edge, EDGE_EXIT_INSIDE, x, ax);
            } else if (x == U) {
                SetEdge(edge, EDGE_EXIT_AT_UPPER, x, ax);
                return;
            } else {
                SetFull(edge);
                return;
            }
        } else if (x > U) {  // entry inside the edge, exit beyond it
            if (running == EDGE_EMPTY || running == EDGE_TOUCH_LOWER)
                SetEdge(edge, EDGE_ENTER_INSIDE, en, ae);
            else if (running == EDGE_EXIT_INSIDE)
                SetFull(edge);
            else if (running == EDGE_ENTER_AT_LOWER_EXIT_INSIDE)
                SetCode(edge, EDGE_ENTER_AT_LOWER);
            else if (running == EDGE_INSIDE)
                SetCode(edge, EDGE_ENTER_INSIDE);
            return;
        } else if (x == U) {
            if (running == EDGE_EMPTY || running == EDGE_TOUCH_LOWER) {
                SetEdge(edge, EDGE_ENTER_INSIDE_EXIT_AT_UPPER, en, ae, x, ax);
            } else if (running == EDGE_EXIT_INSIDE) {
                SetEdge(edge, EDGE_EXIT_AT_UPPER, x, ax);
            } else if (running == EDGE_ENTER_AT_LOWER_EXIT_INSIDE) {
                SetCode(edge, EDGE_SPAN_EXACT);
                edge->values[1] = x;
                edge->attributes[1] = ax;
            } else if (running == EDGE_INSIDE) {
                SetCode(edge, EDGE_ENTER_INSIDE_EXIT_AT_UPPER);
                edge->values[1] = x;
                edge->attributes[1] = ax;
            }
            return;
        } else {  // entry and exit inside the edge
            if (running == EDGE_EMPTY || running == EDGE_TOUCH_LOWER) {
                SetEdge(edge, EDGE_INSIDE, en, ae, x, ax);
            } else if (running == EDGE_EXIT_INSIDE) {
                edge->values[0] = x;
                edge->attributes[0] = ax;
            } else {  // 8 and 9 keep their code with the new exit
                edge->values[1] = x;
                edge->attributes[1] = ax;
            }
        }
    }
}

void ClassifyCellEdge(const DexelFamily* family, int ray, double L, double U, CellEdge* edge)
{
    const int count = family->counts[ray];
    edge->code = EDGE_EMPTY;
    edge->count = 0;
    const size_t slot = size_t(ray) * size_t(family->capacity);
    if (count == 2) {
        const double* e = family->ends + slot;
        const double c = e[0], d = e[1];
        if (L > c && U < d) {
            SetFull(edge);
        } else if (!(U < c || L > d)) {
            ClassifyIntervalInCell(e, family->attributes + slot, L, U, edge);
        }
        return;
    }
    if (count < 1) return;
    ClipDexelToCell(family->capacity, count, family->ends + slot, family->attributes + slot, L, U,
                    edge);
}

void CombineCellCases(int type, CellEdge* edge, double L, double U, const CellEdge* n1Lower,
                      const CellEdge* n2Lower, const CellEdge* n1Upper, const CellEdge* n2Upper)
{
    if (edge->code == EDGE_EMPTY) return;
    const bool n1AtUpper = type == 0 || type == 1;
    const bool n2AtUpper = type == 1 || type == 3;
    uint8_t attribute = 0;
    if (InSet(edge->code, kMaterialAtLower) &&
        IsSurfaceNode(n1Lower, n1AtUpper, n2Lower, n2AtUpper, &attribute)) {
        if (edge->code == EDGE_FULL) {
            SetEdge(edge, EDGE_ENTER_AT_LOWER, L, attribute);
        } else {
            const int code = edge->code == EDGE_EXIT_AT_UPPER ? EDGE_SPAN_EXACT
                                                              : EDGE_ENTER_AT_LOWER_EXIT_INSIDE;
            SetEdge(edge, code, L, attribute, edge->values[0], edge->attributes[0]);
        }
    }
    const int code = edge->code;
    if (code != EDGE_FULL && code != EDGE_ENTER_AT_LOWER && code != EDGE_ENTER_INSIDE) return;
    if (IsSurfaceNode(n1Upper, n1AtUpper, n2Upper, n2AtUpper, &attribute)) {
        if (code == EDGE_FULL) {
            SetEdge(edge, EDGE_EXIT_AT_UPPER, U, attribute);
        } else {
            SetCode(edge, code == EDGE_ENTER_AT_LOWER ? EDGE_SPAN_EXACT
                                                      : EDGE_ENTER_INSIDE_EXIT_AT_UPPER);
            edge->values[1] = U;
            edge->attributes[1] = attribute;
        }
    } else if (code == EDGE_ENTER_AT_LOWER &&
               (n1Upper->code == EDGE_EMPTY || n2Upper->code == EDGE_EMPTY)) {
        SetCode(edge, EDGE_ENTER_AT_LOWER_EXIT_INSIDE);
        edge->values[1] = edge->values[0];
        edge->attributes[1] = edge->attributes[0];
    }
}

void ReconcileCellEdges(CellEdge edges[CELL_EDGE_COUNT], const double lo[3], const double hi[3])
{
    for (const CombineStep& s : kCombineSteps) {
        const int axis = EdgeAxis(s.edge);
        CombineCellCases(s.type, &edges[s.edge], lo[axis], hi[axis], &edges[s.lower1],
                         &edges[s.lower2], &edges[s.upper1], &edges[s.upper2]);
    }
}

void GetCellBoundaryFlags(const WorkModel* work, int i, int j, int k, int xRay, int yRay, int zRay,
                          const uint8_t* const marks[CELL_FACE_COUNT], int flags[CELL_FACE_COUNT])
{
    for (int f = 0; f < CELL_FACE_COUNT; f++) flags[f] = 0;
    if (marks == nullptr) return;
    const int cell[3] = {i, j, k};
    const int last[3] = {work->cellCountX - 1, work->cellCountY - 1, work->cellCountZ - 1};
    const int ray[3] = {xRay, yRay, zRay};
    for (int axis = 0; axis < 3; axis++) {
        // In a grid one cell thick both faces of the box bound that cell; each is tested against
        // its own marks, so that neither face is written twice.
        if (cell[axis] == 0 && marks[2 * axis] && marks[2 * axis][ray[axis]] == 1)
            flags[2 * axis] = 1;
        if (cell[axis] == last[axis] && marks[2 * axis + 1] && marks[2 * axis + 1][ray[axis]] == 1)
            flags[2 * axis + 1] = 1;
    }
}

void BuildCellPolygons(int normalAxis, int f, int g, int face, double plane, double fLo, double fHi,
                       double gLo, double gHi, int ownFlag, const int adjacentFlags[4],
                       const CellEdge* e1, const CellEdge* e2, const CellEdge* e3,
                       const CellEdge* e4, FaceSegment* segments, int* segmentCount)
{
    FaceFrame frame;
    frame.normalAxis = normalAxis;
    frame.f = f;
    frame.g = g;
    frame.plane = plane;
    frame.fLo = fLo;
    frame.fHi = fHi;
    frame.gLo = gLo;
    frame.gHi = gHi;
    frame.edges[0] = e1;
    frame.edges[1] = e2;
    frame.edges[2] = e3;
    frame.edges[3] = e4;
    for (int w = 0; w < 4; w++)
        AppendEdgeSegment(&frame, face, w, ownFlag, AdjacentFace(normalAxis, w), adjacentFlags[w],
                          segments, segmentCount);
    for (int w = 0; w < 4; w++) AppendInteriorSegment(&frame, face, w, segments, segmentCount);
}

int ExtractCellSegments(const WorkModel* work, int i, int j, int k,
                        const CellEdge classified[CELL_EDGE_COUNT],
                        const uint8_t* const marks[CELL_FACE_COUNT], int faceFlags[CELL_FACE_COUNT],
                        FaceSegment segments[CELL_MAX_SEGMENTS])
{
    // Edges that are all empty or full have no crossing, and reconciliation changes an edge only
    // next to a crossing: nothing in the cell.
    int highest = 0;
    for (int e = 0; e < CELL_EDGE_COUNT; e++) highest = std::max(highest, classified[e].code);
    if (highest <= EDGE_FULL) return 0;
    // All four edges of one family touching the cell from outside: nothing in the cell.
    for (int axis = 0; axis < 3; axis++) {
        const int c = classified[4 * axis].code;
        if ((c == EDGE_TOUCH_LOWER || c == EDGE_TOUCH_UPPER) && classified[4 * axis + 1].code == c &&
            classified[4 * axis + 2].code == c && classified[4 * axis + 3].code == c)
            return 0;
    }
    CellEdge edges[CELL_EDGE_COUNT];
    std::memcpy(edges, classified, sizeof edges);
    const double lo[3] = {work->coordinatesX[i], work->coordinatesY[j], work->coordinatesZ[k]};
    const double hi[3] = {work->coordinatesX[i + 1], work->coordinatesY[j + 1],
                          work->coordinatesZ[k + 1]};
    ReconcileCellEdges(edges, lo, hi);
    bool crossing = false;
    int values = 0;
    for (const CellEdge& e : edges) {
        if (e.code > EDGE_FULL) crossing = true;
        values += e.count;
    }
    if (!crossing || values <= 2) return 0;
    const int xRay = j + k * work->nodeCountY;
    const int yRay = k + i * work->nodeCountZ;
    const int zRay = i + j * work->nodeCountX;
    GetCellBoundaryFlags(work, i, j, k, xRay, yRay, zRay, marks, faceFlags);
    int count = 0;
    for (int face = 0; face < CELL_FACE_COUNT; face++) {
        const int* e = kFaceEdges[face];
        if (edges[e[0]].code == 0 && edges[e[1]].code == 0 && edges[e[2]].code == 0 &&
            edges[e[3]].code == 0)
            continue;
        const int n = face / 2, f = (n + 1) % 3, g = (n + 2) % 3;
        int adjacent[4];
        for (int w = 0; w < 4; w++) adjacent[w] = faceFlags[AdjacentFace(n, w)];
        const double plane = (face & 1) ? hi[n] : lo[n];
        BuildCellPolygons(n, f, g, face, plane, lo[f], hi[f], lo[g], hi[g], faceFlags[face],
                          adjacent, &edges[e[0]], &edges[e[1]], &edges[e[2]], &edges[e[3]],
                          segments, &count);
    }
    return count;
}

void WalkWorkCells(const WorkModel* work, const int cellLo[3], const int cellHi[3],
                   const uint8_t* const marks[CELL_FACE_COUNT], CellSegmentsSink sink,
                   void* context)
{
    if (work->nodeCountX < 2 || !work->familyX.counts) return;
    const int cells[3] = {work->cellCountX, work->cellCountY, work->cellCountZ};
    int lo[3], hi[3];
    for (int a = 0; a < 3; a++) {
        lo[a] = std::max(cellLo[a], 0);
        hi[a] = std::min(cellHi[a], cells[a]);
        if (lo[a] >= hi[a]) return;
    }
    const int nx = work->nodeCountX, ny = work->nodeCountY, nz = work->nodeCountZ;
    const DexelFamily* fx = &work->familyX;
    const DexelFamily* fy = &work->familyY;
    const DexelFamily* fz = &work->familyZ;
    const double* cx = work->coordinatesX;
    const double* cy = work->coordinatesY;
    const double* cz = work->coordinatesZ;
    CellEdge edges[CELL_EDGE_COUNT];
    int faceFlags[CELL_FACE_COUNT];
    FaceSegment segments[CELL_MAX_SEGMENTS];
    for (int k = lo[2]; k < hi[2]; k++) {
        for (int j = lo[1]; j < hi[1]; j++) {
            const int x0 = j + k * ny;
            const int xRays[4] = {x0, x0 + 1, x0 + ny, x0 + ny + 1};
            // Quick states of the Y- and Z-edges at node x_i (from the previous cell) and x_i+1.
            int lowerState = -1;
            for (int i = lo[0]; i < hi[0]; i++) {
                int xState = 0;
                for (int e = 0; e < 4; e++)
                    xState |= GetQuickEdgeState(fx, xRays[e], cx[i], cx[i + 1]);
                const int y0 = k + i * nz, z0 = i + j * nx;
                if (xState == 0) {
                    lowerState = -1;
                    continue;
                }
                if (lowerState < 0)
                    lowerState = GetQuickEdgeState(fy, y0, cy[j], cy[j + 1]) |
                                 GetQuickEdgeState(fy, y0 + 1, cy[j], cy[j + 1]) |
                                 GetQuickEdgeState(fz, z0, cz[k], cz[k + 1]) |
                                 GetQuickEdgeState(fz, z0 + nx, cz[k], cz[k + 1]);
                const int upperState = GetQuickEdgeState(fy, y0 + nz, cy[j], cy[j + 1]) |
                                       GetQuickEdgeState(fy, y0 + nz + 1, cy[j], cy[j + 1]) |
                                       GetQuickEdgeState(fz, z0 + 1, cz[k], cz[k + 1]) |
                                       GetQuickEdgeState(fz, z0 + nx + 1, cz[k], cz[k + 1]);
                const int state = xState | lowerState | upperState;
                lowerState = upperState;
                // Without an end on any edge every code is empty or full: nothing in the cell.
                if ((state & QUICK_EDGE_CROSSED) == 0) continue;
                for (int e = 0; e < 4; e++)
                    ClassifyCellEdge(fx, xRays[e], cx[i], cx[i + 1], &edges[EDGE_X00 + e]);
                ClassifyCellEdge(fy, y0, cy[j], cy[j + 1], &edges[EDGE_Y00]);
                ClassifyCellEdge(fy, y0 + 1, cy[j], cy[j + 1], &edges[EDGE_Y01]);
                ClassifyCellEdge(fy, y0 + nz, cy[j], cy[j + 1], &edges[EDGE_Y10]);
                ClassifyCellEdge(fy, y0 + nz + 1, cy[j], cy[j + 1], &edges[EDGE_Y11]);
                ClassifyCellEdge(fz, z0, cz[k], cz[k + 1], &edges[EDGE_Z00]);
                ClassifyCellEdge(fz, z0 + 1, cz[k], cz[k + 1], &edges[EDGE_Z10]);
                ClassifyCellEdge(fz, z0 + nx, cz[k], cz[k + 1], &edges[EDGE_Z01]);
                ClassifyCellEdge(fz, z0 + nx + 1, cz[k], cz[k + 1], &edges[EDGE_Z11]);
                if (edges[EDGE_X00].code == EDGE_EMPTY && edges[EDGE_X10].code == EDGE_EMPTY &&
                    edges[EDGE_X01].code == EDGE_EMPTY && edges[EDGE_X11].code == EDGE_EMPTY)
                    continue;
                const int count = ExtractCellSegments(work, i, j, k, edges, marks, faceFlags, segments);
                if (count > 2) sink(context, faceFlags, segments, count);
            }
        }
    }
}

namespace {

// Cells k (along an axis of nodes coordinates[0..nodes-1]) whose range [c_k, c_k+1] holds e: none,
// one, or two when e lies on an inner node. Returns how many were written to cells.
int FindCellsHolding(double e, const double* coordinates, int nodes, double origin, double pitch,
                     int cells[2])
{
    if (!(e >= coordinates[0] && e <= coordinates[nodes - 1])) return 0;
    double guess = std::floor((e - origin) / pitch);
    int k = guess < 0 ? 0 : guess > nodes - 1 ? nodes - 1 : int(guess);
    while (k > 0 && coordinates[k] > e) k--;
    while (k < nodes - 1 && coordinates[k + 1] <= e) k++;
    int n = 0;
    if (k < nodes - 1) cells[n++] = k;
    if (coordinates[k] == e && k > 0) cells[n++] = k - 1;
    return n;
}

// The cells of one z slab that an end touches, marked once each and listed.
struct SlabMarks {
    uint8_t* marked;   // cellsX * cellsY bytes
    int32_t* active;   // listed cells (i + j * cellsX)
    int count;
    int cellsX, cellsY;
};

inline void MarkCell(SlabMarks* slab, int i, int j)
{
    if (i < 0 || j < 0 || i >= slab->cellsX || j >= slab->cellsY) return;
    const int32_t cell = i + j * slab->cellsX;
    if (slab->marked[cell]) return;
    slab->marked[cell] = 1;
    slab->active[slab->count++] = cell;
}

// Marks the cells of slab k (box cells lo..hi - 1 in x and y) whose edges lie on the rays of the
// node plane z_kk (kk = k or k + 1). The slab's cell (i, j) is kept box-relative.
void MarkPlaneRays(const WorkModel* work, int kk, const int lo[3], const int hi[3], SlabMarks* slab)
{
    const int nx = work->nodeCountX, ny = work->nodeCountY, nz = work->nodeCountZ;
    int cells[2];
    const DexelFamily* fx = &work->familyX;
    const double xLo = work->coordinatesX[lo[0]], xHi = work->coordinatesX[hi[0]];
    for (int j = lo[1]; j <= hi[1]; j++) {
        const int ray = j + kk * ny;
        const int count = fx->counts[ray];
        if (count <= 0) continue;
        const double* e = GetDexelEndsPointer(ray, fx->capacity, fx->counts, fx->ends);
        for (int m = 0; m < count; m++) {
            if (!(e[m] >= xLo && e[m] <= xHi)) continue;
            const int n = FindCellsHolding(e[m], work->coordinatesX, nx, work->originX, work->pitch, cells);
            for (int c = 0; c < n; c++) {
                MarkCell(slab, cells[c] - lo[0], j - 1 - lo[1]);
                MarkCell(slab, cells[c] - lo[0], j - lo[1]);
            }
        }
    }
    const DexelFamily* fy = &work->familyY;
    const double yLo = work->coordinatesY[lo[1]], yHi = work->coordinatesY[hi[1]];
    for (int i = lo[0]; i <= hi[0]; i++) {
        const int ray = kk + i * nz;
        const int count = fy->counts[ray];
        if (count <= 0) continue;
        const double* e = GetDexelEndsPointer(ray, fy->capacity, fy->counts, fy->ends);
        for (int m = 0; m < count; m++) {
            if (!(e[m] >= yLo && e[m] <= yHi)) continue;
            const int n = FindCellsHolding(e[m], work->coordinatesY, ny, work->originY, work->pitch, cells);
            for (int c = 0; c < n; c++) {
                MarkCell(slab, i - 1 - lo[0], cells[c] - lo[1]);
                MarkCell(slab, i - lo[0], cells[c] - lo[1]);
            }
        }
    }
}

// The twelve edges of cell (i, j, k) classified.
void ClassifyCell(const WorkModel* work, int i, int j, int k, CellEdge edges[CELL_EDGE_COUNT])
{
    const int nx = work->nodeCountX, ny = work->nodeCountY, nz = work->nodeCountZ;
    const double* cx = work->coordinatesX;
    const double* cy = work->coordinatesY;
    const double* cz = work->coordinatesZ;
    const int x0 = j + k * ny, y0 = k + i * nz, z0 = i + j * nx;
    ClassifyCellEdge(&work->familyX, x0, cx[i], cx[i + 1], &edges[EDGE_X00]);
    ClassifyCellEdge(&work->familyX, x0 + 1, cx[i], cx[i + 1], &edges[EDGE_X10]);
    ClassifyCellEdge(&work->familyX, x0 + ny, cx[i], cx[i + 1], &edges[EDGE_X01]);
    ClassifyCellEdge(&work->familyX, x0 + ny + 1, cx[i], cx[i + 1], &edges[EDGE_X11]);
    ClassifyCellEdge(&work->familyY, y0, cy[j], cy[j + 1], &edges[EDGE_Y00]);
    ClassifyCellEdge(&work->familyY, y0 + 1, cy[j], cy[j + 1], &edges[EDGE_Y01]);
    ClassifyCellEdge(&work->familyY, y0 + nz, cy[j], cy[j + 1], &edges[EDGE_Y10]);
    ClassifyCellEdge(&work->familyY, y0 + nz + 1, cy[j], cy[j + 1], &edges[EDGE_Y11]);
    ClassifyCellEdge(&work->familyZ, z0, cz[k], cz[k + 1], &edges[EDGE_Z00]);
    ClassifyCellEdge(&work->familyZ, z0 + 1, cz[k], cz[k + 1], &edges[EDGE_Z10]);
    ClassifyCellEdge(&work->familyZ, z0 + nx, cz[k], cz[k + 1], &edges[EDGE_Z01]);
    ClassifyCellEdge(&work->familyZ, z0 + nx + 1, cz[k], cz[k + 1], &edges[EDGE_Z11]);
}

}  // namespace

int WalkWorkCellsSparse(const WorkModel* work, const int cellLo[3], const int cellHi[3],
                        const uint8_t* const marks[CELL_FACE_COUNT], CellSegmentsSink sink,
                        void* context)
{
    if (work->nodeCountX < 2 || !work->familyX.counts) return 1;
    const int gridCells[3] = {work->cellCountX, work->cellCountY, work->cellCountZ};
    int lo[3], hi[3];
    for (int a = 0; a < 3; a++) {
        lo[a] = std::max(cellLo[a], 0);
        hi[a] = std::min(cellHi[a], gridCells[a]);
        if (lo[a] >= hi[a]) return 1;
    }
    const int nx = work->nodeCountX, nz = work->nodeCountZ;
    const int cellsX = hi[0] - lo[0], cellsY = hi[1] - lo[1], cellsZ = hi[2] - lo[2];
    const DexelFamily* fz = &work->familyZ;
    const double zLo = work->coordinatesZ[lo[2]], zHi = work->coordinatesZ[hi[2]];
    // The Z-ray ends over the box bucketed by the slab (or two slabs) that holds them.
    int64_t* slabStart = static_cast<int64_t*>(std::calloc(size_t(cellsZ) + 1, sizeof(int64_t)));
    if (!slabStart) return 0;
    int cells[2];
    for (int pass = 0; pass < 2; pass++) {
        int32_t* slabRays = nullptr;
        int64_t* fill = nullptr;
        if (pass == 1) {
            for (int k = 0; k < cellsZ; k++) slabStart[k + 1] += slabStart[k];
            slabRays = static_cast<int32_t*>(std::malloc(size_t(slabStart[cellsZ]) * sizeof(int32_t) + 1));
            fill = static_cast<int64_t*>(std::malloc(size_t(cellsZ) * sizeof(int64_t)));
            if (!slabRays || !fill) {
                std::free(slabRays);
                std::free(fill);
                std::free(slabStart);
                return 0;
            }
            std::memcpy(fill, slabStart, size_t(cellsZ) * sizeof(int64_t));
        }
        for (int b = lo[1]; b <= hi[1]; b++) {
            for (int a = lo[0]; a <= hi[0]; a++) {
                const int ray = a + b * nx;
                const int count = fz->counts[ray];
                if (count <= 0) continue;
                const double* e = GetDexelEndsPointer(ray, fz->capacity, fz->counts, fz->ends);
                for (int m = 0; m < count; m++) {
                    if (!(e[m] >= zLo && e[m] <= zHi)) continue;
                    const int n =
                        FindCellsHolding(e[m], work->coordinatesZ, nz, work->originZ, work->pitch, cells);
                    for (int c = 0; c < n; c++) {
                        const int k = cells[c] - lo[2];
                        if (k < 0 || k >= cellsZ) continue;
                        if (pass == 0)
                            slabStart[k + 1]++;
                        else
                            slabRays[fill[k]++] = ray;
                    }
                }
            }
        }
        if (pass == 0) continue;
        std::free(fill);
        SlabMarks slab;
        slab.cellsX = cellsX;
        slab.cellsY = cellsY;
        const size_t slabCells = size_t(cellsX) * size_t(cellsY);
        slab.marked = static_cast<uint8_t*>(std::calloc(slabCells, 1));
        slab.active = static_cast<int32_t*>(std::malloc(slabCells * sizeof(int32_t)));
        if (!slab.marked || !slab.active) {
            std::free(slab.marked);
            std::free(slab.active);
            std::free(slabRays);
            std::free(slabStart);
            return 0;
        }
        CellEdge edges[CELL_EDGE_COUNT];
        int faceFlags[CELL_FACE_COUNT];
        FaceSegment segments[CELL_MAX_SEGMENTS];
        for (int kb = 0; kb < cellsZ; kb++) {
            const int k = lo[2] + kb;
            slab.count = 0;
            for (int64_t r = slabStart[kb]; r < slabStart[kb + 1]; r++) {
                const int a = slabRays[r] % nx - lo[0], b = slabRays[r] / nx - lo[1];
                MarkCell(&slab, a - 1, b - 1);
                MarkCell(&slab, a, b - 1);
                MarkCell(&slab, a - 1, b);
                MarkCell(&slab, a, b);
            }
            MarkPlaneRays(work, k, lo, hi, &slab);
            MarkPlaneRays(work, k + 1, lo, hi, &slab);
            // In the order of the dense walk: j, then i.
            std::sort(slab.active, slab.active + slab.count);
            for (int c = 0; c < slab.count; c++) {
                const int cell = slab.active[c];
                slab.marked[cell] = 0;
                const int i = lo[0] + cell % cellsX, j = lo[1] + cell / cellsX;
                ClassifyCell(work, i, j, k, edges);
                if (edges[EDGE_X00].code == EDGE_EMPTY && edges[EDGE_X10].code == EDGE_EMPTY &&
                    edges[EDGE_X01].code == EDGE_EMPTY && edges[EDGE_X11].code == EDGE_EMPTY)
                    continue;
                const int segmentCount =
                    ExtractCellSegments(work, i, j, k, edges, marks, faceFlags, segments);
                if (segmentCount > 2) sink(context, faceFlags, segments, segmentCount);
            }
        }
        std::free(slab.marked);
        std::free(slab.active);
        std::free(slabRays);
    }
    std::free(slabStart);
    return 1;
}

int WalkAllWorkCells(const WorkModel* work, const uint8_t* const marks[CELL_FACE_COUNT],
                     CellSegmentsSink sink, void* context)
{
    const int lo[3] = {0, 0, 0};
    const int hi[3] = {work->cellCountX, work->cellCountY, work->cellCountZ};
    return WalkWorkCellsSparse(work, lo, hi, marks, sink, context);
}
