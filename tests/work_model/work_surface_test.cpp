// The cell kernel of the work surface: edge classification, reconciliation at the nodes, the face
// segments of the cases that matter, boundary flags and the first/last ends.
#include "work_model/work_surface.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "work_model/dexel_intervals.h"
#include "work_model/work_creation.h"
#include "work_model/work_mesh_export.h"
#include "work_file_test_support.h"

namespace {

// A 5 x 5 x 4 node box work at pitch 1 whose Z-ray ends can be replaced.
struct SmallWork {
    WorkHolder holder;
    WorkModel* w;
    SmallWork()
    {
        const double box[6] = {0, 0, 0, 4, 4, 3};
        w = &holder.work;
        EXPECT_EQ(CreateBoxWorkIdentity(w, box, 1.0), 1);
    }
    void SetRay(int family, int ray, const std::vector<double>& ends)
    {
        const std::vector<uint8_t> attributes(ends.size(), 0x10);
        const std::vector<int32_t> values(ends.size(), 0);
        DexelFamily* f = family == 0 ? &w->familyX : family == 1 ? &w->familyY : &w->familyZ;
        ASSERT_EQ(StoreDexel(ray, f->capacity, f->counts, f->ends, f->attributes, f->values,
                             ends.data(), attributes.data(), values.data(), int(ends.size())),
                  1);
    }
    // Every ray of a family at node-layer coordinate `layer` (along `axis`) emptied.
    void EmptyLayer(int family, int axis, double layer)
    {
        const int nodes[3] = {w->nodeCountX, w->nodeCountY, w->nodeCountZ};
        const int ua = (family + 1) % 3, va = (family + 2) % 3;
        for (int b = 0; b < nodes[va]; b++)
            for (int a = 0; a < nodes[ua]; a++) {
                const double coordinate = axis == ua ? a : b;
                if (coordinate == layer) SetRay(family, a + b * nodes[ua], {});
            }
    }
};

TEST(CellEdges, ClassificationTable)
{
    struct Case {
        std::vector<double> ends;
        int code;
        std::vector<double> values;
    };
    // Edge [2, 3] of one ray.
    const Case cases[] = {
        {{}, EDGE_EMPTY, {}},
        {{0, 5}, EDGE_FULL, {}},
        {{0, 1}, EDGE_EMPTY, {}},
        {{2, 3}, EDGE_SPAN_EXACT, {2, 3}},
        {{2.5, 3}, EDGE_ENTER_INSIDE_EXIT_AT_UPPER, {2.5, 3}},
        {{0, 2}, EDGE_TOUCH_LOWER, {2}},
        {{3, 4}, EDGE_TOUCH_UPPER, {3}},
        {{2, 4}, EDGE_ENTER_AT_LOWER, {2}},
        {{0, 3}, EDGE_EXIT_AT_UPPER, {3}},
        {{2.5, 4}, EDGE_ENTER_INSIDE, {2.5}},
        {{0, 2.5}, EDGE_EXIT_INSIDE, {2.5}},
        {{2, 2.5}, EDGE_ENTER_AT_LOWER_EXIT_INSIDE, {2, 2.5}},
        {{2.2, 2.5}, EDGE_INSIDE, {2.2, 2.5}},
        // Several intervals: gaps inside the edge are closed over.
        {{0, 2, 3, 4}, EDGE_FULL, {}},
        {{0, 2.3, 2.6, 4}, EDGE_FULL, {}},
        {{2.1, 2.3, 2.6, 2.8}, EDGE_INSIDE, {2.1, 2.8}},
        {{0, 1, 2.1, 2.3, 2.6, 3}, EDGE_ENTER_INSIDE_EXIT_AT_UPPER, {2.1, 3}},
        {{0, 2.2, 2.6, 2.8}, EDGE_EXIT_INSIDE, {2.8}},
        {{0, 2.2, 2.6, 5}, EDGE_FULL, {}},
        {{2, 2.2, 2.6, 5}, EDGE_ENTER_AT_LOWER, {2}},
        {{2, 2.2, 2.6, 3}, EDGE_SPAN_EXACT, {2, 3}},
        {{0, 1, 3, 4}, EDGE_TOUCH_UPPER, {3}},
        {{0, 1, 4, 5}, EDGE_EMPTY, {}},
        // More ends than a ray keeps inline.
        {{0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 2.4, 2.5, 2.6, 2.7}, EDGE_INSIDE, {2.4, 2.7}},
    };
    SmallWork small;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.ends));
        small.SetRay(2, 0, c.ends);
        CellEdge edge;
        ClassifyCellEdge(&small.w->familyZ, 0, 2, 3, &edge);
        EXPECT_EQ(edge.code, c.code);
        ASSERT_EQ(edge.count, int(c.values.size()));
        for (int v = 0; v < edge.count; v++) {
            EXPECT_EQ(edge.values[v], c.values[size_t(v)]);
            EXPECT_EQ(edge.attributes[v], 0x10);
        }
    }
}

CellEdge MakeEdge(int code, double v0 = 0, double v1 = 0)
{
    CellEdge e;
    std::memset(&e, 0, sizeof e);
    e.code = code;
    static const int counts[12] = {0, 0, 1, 1, 2, 1, 2, 1, 2, 2, 1, 1};
    e.count = counts[code];
    e.values[0] = v0;
    e.values[1] = v1;
    e.attributes[0] = 0x21;
    e.attributes[1] = 0x22;
    return e;
}

TEST(CellEdges, FullEdgeMeetingAnOuterTouchGetsItsNodeAsValue)
{
    // Type 2: both neighbours meet the edge's nodes with their lower ends.
    const CellEdge touch = MakeEdge(EDGE_TOUCH_UPPER, 0);
    const CellEdge full = MakeEdge(EDGE_FULL);
    CellEdge edge = MakeEdge(EDGE_FULL);
    // Type 0: the first neighbour meets the lower node with its upper end (11 there: outer touch).
    CombineCellCases(0, &edge, 4, 5, &touch, &full, &full, &full);
    EXPECT_EQ(edge.code, EDGE_ENTER_AT_LOWER);
    ASSERT_EQ(edge.count, 1);
    EXPECT_EQ(edge.values[0], 4);
    EXPECT_EQ(edge.attributes[0], 0x21);
    // Both nodes on the surface.
    edge = MakeEdge(EDGE_FULL);
    CombineCellCases(0, &edge, 4, 5, &touch, &full, &touch, &full);
    EXPECT_EQ(edge.code, EDGE_SPAN_EXACT);
    ASSERT_EQ(edge.count, 2);
    EXPECT_EQ(edge.values[0], 4);
    EXPECT_EQ(edge.values[1], 5);
    // An inner boundary beside a void edge makes a surface node; beside material it does not.
    const CellEdge inner = MakeEdge(EDGE_EXIT_AT_UPPER, 1);  // inner boundary at its upper end
    const CellEdge empty = MakeEdge(EDGE_EMPTY);
    edge = MakeEdge(EDGE_EXIT_INSIDE, 4.5);
    CombineCellCases(0, &edge, 4, 5, &inner, &empty, &full, &full);
    EXPECT_EQ(edge.code, EDGE_ENTER_AT_LOWER_EXIT_INSIDE);
    EXPECT_EQ(edge.values[0], 4);
    EXPECT_EQ(edge.values[1], 4.5);
    edge = MakeEdge(EDGE_EXIT_INSIDE, 4.5);
    CombineCellCases(0, &edge, 4, 5, &inner, &full, &full, &full);
    EXPECT_EQ(edge.code, EDGE_EXIT_INSIDE);
    // Code 2 whose upper node is no surface node but has an empty neighbour collapses to L, L.
    edge = MakeEdge(EDGE_ENTER_AT_LOWER, 4);
    CombineCellCases(2, &edge, 4, 5, &full, &full, &empty, &full);
    EXPECT_EQ(edge.code, EDGE_ENTER_AT_LOWER_EXIT_INSIDE);
    EXPECT_EQ(edge.values[0], 4);
    EXPECT_EQ(edge.values[1], 4);
}

// Classifies all twelve edges of cell (i, j, k) and extracts its segments.
int ExtractCell(const WorkModel* w, int i, int j, int k, FaceSegment* segments, int flags[6],
                const uint8_t* const* marks = nullptr)
{
    CellEdge edges[CELL_EDGE_COUNT];
    const int nx = w->nodeCountX, ny = w->nodeCountY, nz = w->nodeCountZ;
    const double* cx = w->coordinatesX;
    const double* cy = w->coordinatesY;
    const double* cz = w->coordinatesZ;
    const int xRays[4] = {j + k * ny, j + 1 + k * ny, j + (k + 1) * ny, j + 1 + (k + 1) * ny};
    const int yRays[4] = {k + i * nz, k + 1 + i * nz, k + (i + 1) * nz, k + 1 + (i + 1) * nz};
    const int zRays[4] = {i + j * nx, i + 1 + j * nx, i + (j + 1) * nx, i + 1 + (j + 1) * nx};
    for (int e = 0; e < 4; e++) {
        ClassifyCellEdge(&w->familyX, xRays[e], cx[i], cx[i + 1], &edges[EDGE_X00 + e]);
        ClassifyCellEdge(&w->familyY, yRays[e], cy[j], cy[j + 1], &edges[EDGE_Y00 + e]);
        ClassifyCellEdge(&w->familyZ, zRays[e], cz[k], cz[k + 1], &edges[EDGE_Z00 + e]);
    }
    return ExtractCellSegments(w, i, j, k, edges, marks, flags, segments);
}

struct LoopCapture {
    std::vector<std::vector<std::array<double, 3>>> loops;
    static void Add(void* context, const double (*points)[3], const uint8_t*, int count)
    {
        std::vector<std::array<double, 3>> loop;
        for (int p = 0; p < count; p++) loop.push_back({points[p][0], points[p][1], points[p][2]});
        static_cast<LoopCapture*>(context)->loops.push_back(loop);
    }
};

// The area vector of a loop (Newell): its direction is the loop's right-hand normal.
std::array<double, 3> LoopAreaVector(const std::vector<std::array<double, 3>>& loop)
{
    std::array<double, 3> n = {0, 0, 0};
    for (size_t p = 0; p < loop.size(); p++) {
        const auto& a = loop[p];
        const auto& b = loop[(p + 1) % loop.size()];
        n[0] += (a[1] - b[1]) * (a[2] + b[2]);
        n[1] += (a[2] - b[2]) * (a[0] + b[0]);
        n[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    for (double& v : n) v /= 2;
    return n;
}

TEST(CellFaces, FlatTopOnANodePlaneIsOutlinedFromTheSideFaces)
{
    // Material up to z = 2 (a node plane): Z-rays [0, 2], the X- and Y-rays at z = 3 empty.
    SmallWork small;
    for (int d = 0; d < small.w->rayCountZ; d++) small.SetRay(2, d, {0, 2});
    small.EmptyLayer(0, 2, 3);
    small.EmptyLayer(1, 2, 3);
    FaceSegment segments[CELL_MAX_SEGMENTS];
    int flags[6];
    const int n = ExtractCell(small.w, 1, 1, 1, segments, flags);
    ASSERT_EQ(n, 4);
    for (int s = 0; s < n; s++) {
        EXPECT_EQ(segments[s].label, 5);
        EXPECT_EQ(segments[s].points[0][2], 2);
        EXPECT_EQ(segments[s].points[1][2], 2);
    }
    LoopCapture capture;
    EXPECT_EQ(ChainCellSegments(flags, segments, n, LoopCapture::Add, &capture), 0);
    ASSERT_EQ(capture.loops.size(), 1u);
    const auto area = LoopAreaVector(capture.loops[0]);
    EXPECT_EQ(area[2], 1.0);  // the whole cell face, facing up
    // The cell above only touches it: nothing there.
    EXPECT_EQ(ExtractCell(small.w, 1, 1, 2, segments, flags), 0);
}

TEST(CellFaces, CutPlaneBetweenNodePlanesCrossesTheSideFaces)
{
    // Material up to z = 1.5: Z-rays [0, 1.5], the X- and Y-rays at z = 2 and 3 empty.
    SmallWork small;
    for (int d = 0; d < small.w->rayCountZ; d++) small.SetRay(2, d, {0, 1.5});
    for (double layer : {2.0, 3.0}) {
        small.EmptyLayer(0, 2, layer);
        small.EmptyLayer(1, 2, layer);
    }
    FaceSegment segments[CELL_MAX_SEGMENTS];
    int flags[6];
    const int n = ExtractCell(small.w, 1, 2, 1, segments, flags);
    ASSERT_EQ(n, 4);
    for (int s = 0; s < n; s++) {
        EXPECT_EQ(segments[s].label, SEGMENT_CROSSES_FACE + s);  // faces 0 to 3, one each
        EXPECT_EQ(segments[s].points[0][2], 1.5);
        EXPECT_EQ(segments[s].points[1][2], 1.5);
    }
    LoopCapture capture;
    EXPECT_EQ(ChainCellSegments(flags, segments, n, LoopCapture::Add, &capture), 0);
    ASSERT_EQ(capture.loops.size(), 1u);
    EXPECT_EQ(capture.loops[0].size(), 4u);
    const auto area = LoopAreaVector(capture.loops[0]);
    EXPECT_EQ(area[0], 0.0);
    EXPECT_EQ(area[1], 0.0);
    EXPECT_EQ(area[2], 1.0);
    // Below it the cell is full; only the grid's bottom face (z = 0) bounds it.
    const int below = ExtractCell(small.w, 1, 2, 0, segments, flags);
    EXPECT_EQ(below, 4);
    for (int s = 0; s < below; s++) EXPECT_EQ(segments[s].label, 4);
}

TEST(CellFaces, LoneInsideEdgeGivesASegmentUnlessItsFaceIsWritten)
{
    const CellEdge inside = MakeEdge(EDGE_INSIDE, 0.25, 0.75);
    const CellEdge empty = MakeEdge(EDGE_EMPTY);
    const int clear[4] = {0, 0, 0, 0};
    const int set[4] = {1, 0, 0, 0};
    FaceSegment segments[FACE_MAX_SEGMENTS];
    int count = 0;
    // Face 4 (z = 0), e1 along x at y = 0: adjacent face 2.
    BuildCellPolygons(2, 0, 1, 4, 0.0, 0, 1, 0, 1, 0, clear, &inside, &empty, &empty, &empty,
                      segments, &count);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(segments[0].label, 2);
    EXPECT_EQ(segments[0].points[0][0], 0.25);
    EXPECT_EQ(segments[0].points[1][0], 0.75);
    count = 0;
    BuildCellPolygons(2, 0, 1, 4, 0.0, 0, 1, 0, 1, 0, set, &inside, &empty, &empty, &empty,
                      segments, &count);
    EXPECT_EQ(count, 0);
}

TEST(CellFaces, CellWithEmptyXEdgesGivesNothing)
{
    // Only the Y- and Z-rays hold material; the walk skips every cell.
    SmallWork small;
    for (int d = 0; d < small.w->rayCountX; d++) small.SetRay(0, d, {});
    int cells = 0;
    const int lo[3] = {0, 0, 0}, hi[3] = {4, 4, 3};
    WalkWorkCells(small.w, lo, hi, nullptr,
                  [](void* c, const int*, const FaceSegment*, int) { ++*static_cast<int*>(c); },
                  &cells);
    EXPECT_EQ(cells, 0);
}

TEST(CellFaces, BoundaryFlagsAndFirstLastEnds)
{
    SmallWork small;
    WorkModel* w = small.w;
    // An empty Z-ray reports first = the last node and last = the first node.
    small.SetRay(2, 6, {});
    small.SetRay(2, 7, {0.5, 1, 2, 2.5});
    std::vector<double> first(size_t(w->rayCountZ)), last(size_t(w->rayCountZ));
    std::vector<uint8_t> firstA(size_t(w->rayCountZ), 0xEE), lastA(size_t(w->rayCountZ), 0xEE);
    GetDexelFirstLastEnds(w, 2, first.data(), firstA.data(), last.data(), lastA.data());
    EXPECT_EQ(first[6], 3);
    EXPECT_EQ(last[6], 0);
    EXPECT_EQ(firstA[6], 0xEE);
    EXPECT_EQ(first[7], 0.5);
    EXPECT_EQ(last[7], 2.5);
    EXPECT_EQ(firstA[7], 0x10);
    EXPECT_EQ(first[0], 0);
    EXPECT_EQ(last[0], 3);
    // Flags come from the marks of the faces the cell lies on.
    std::vector<std::vector<uint8_t>> marks = {
        std::vector<uint8_t>(size_t(w->rayCountX), 1), std::vector<uint8_t>(size_t(w->rayCountX), 1),
        std::vector<uint8_t>(size_t(w->rayCountY), 1), std::vector<uint8_t>(size_t(w->rayCountY), 2),
        std::vector<uint8_t>(size_t(w->rayCountZ), 1), std::vector<uint8_t>(size_t(w->rayCountZ), 1)};
    const uint8_t* m[6];
    for (int f = 0; f < 6; f++) m[f] = marks[size_t(f)].data();
    int flags[6];
    GetCellBoundaryFlags(w, 0, 3, 1, 3 + 1 * 5, 1 + 0 * 4, 0 + 3 * 5, m, flags);
    EXPECT_EQ(std::vector<int>(flags, flags + 6), (std::vector<int>{1, 0, 0, 0, 0, 0}));
    GetCellBoundaryFlags(w, 3, 3, 2, 3 + 2 * 5, 2 + 3 * 4, 3 + 3 * 5, m, flags);
    EXPECT_EQ(std::vector<int>(flags, flags + 6), (std::vector<int>{0, 1, 0, 0, 0, 1}));
}

TEST(CellFaces, OneCellThickGridFlagsBothItsFaces)
{
    // Two z nodes: one cell thick. Both the bottom and the top face of the box are flagged from
    // their own marks, so a cut work's cells never write either face a second time.
    WorkHolder holder;
    const double box[6] = {0, 0, 0, 3, 3, 1};
    ASSERT_EQ(CreateBoxWorkIdentity(&holder.work, box, 1.0), 1);
    WorkModel* w = &holder.work;
    ASSERT_EQ(w->nodeCountZ, 2);
    std::vector<uint8_t> none(64, 0), bottom(64, 1), top(64, 1);
    const uint8_t* m[6] = {none.data(), none.data(), none.data(), none.data(), bottom.data(), top.data()};
    int flags[6];
    GetCellBoundaryFlags(w, 1, 1, 0, 1, 0 + 1 * 2, 1 + 1 * 4, m, flags);
    EXPECT_EQ(flags[4], 1);
    EXPECT_EQ(flags[5], 1);
    top.assign(64, 2);
    GetCellBoundaryFlags(w, 1, 1, 0, 1, 0 + 1 * 2, 1 + 1 * 4, m, flags);
    EXPECT_EQ(flags[4], 1);
    EXPECT_EQ(flags[5], 0);
}

}  // namespace
