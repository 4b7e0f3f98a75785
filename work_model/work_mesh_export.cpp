// The work mesh export: the boundary pass (merged rectangles on the faces of the grid box), the
// uncut-box shortcut and the cell pass whose segments are chained into loops and written as fans.
#include "work_model/work_mesh_export.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "work_model/matrix.h"
#include "work_model/stl_writer.h"

namespace {

// A segment as the chaining sees it: its two points (possibly taken reversed) and its label.
struct ChainSegment {
    const double* p0;
    const double* p1;
    uint8_t a0, a1;   // attribute bytes at p0 and p1
    int label;
};

inline bool ArePointsEqual(const double* a, const double* b)
{
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

// Follows the chain that starts with segment `start` (already taken out): each step takes the first
// later live segment (of label face or face + 10 when face >= 0) that begins at the chain's last
// point and does not run back to its last-but-one point. Returns 1 with the loop in points / *count
// when it closes; 0 when it stays open, with its segments live again.
int FollowChain(const ChainSegment* list, int n, bool* live, int start, int face,
                double (*points)[3], uint8_t* attributes, int* count)
{
    int members[CELL_MAX_SEGMENTS];
    int memberCount = 0;
    members[memberCount++] = start;
    live[start] = false;
    int m = 0;
    attributes[m] = list[start].a0;
    std::memcpy(points[m++], list[start].p0, 3 * sizeof(double));
    attributes[m] = list[start].a1;
    std::memcpy(points[m++], list[start].p1, 3 * sizeof(double));
    for (;;) {
        int found = -1;
        for (int t = start + 1; t < n; t++) {
            if (!live[t]) continue;
            if (face >= 0 && list[t].label != face && list[t].label != face + SEGMENT_CROSSES_FACE)
                continue;
            if (ArePointsEqual(list[t].p0, list[t].p1)) continue;
            if (!ArePointsEqual(list[t].p0, points[m - 1])) continue;
            if (ArePointsEqual(list[t].p1, points[m - 2])) continue;
            found = t;
            break;
        }
        if (found < 0) {
            for (int i = 0; i < memberCount; i++) live[members[i]] = true;
            return 0;
        }
        live[found] = false;
        members[memberCount++] = found;
        if (ArePointsEqual(list[found].p1, points[0])) {
            *count = m;
            return 1;
        }
        attributes[m] = list[found].a1;
        std::memcpy(points[m++], list[found].p1, 3 * sizeof(double));
    }
}

struct ExportContext {
    uint32_t* facetCount;
};

void WriteLoopFan(void* context, const double (*points)[3], const uint8_t*, int count)
{
    ExportContext* export_ = static_cast<ExportContext*>(context);
    double placed[CELL_MAX_SEGMENTS + 1][3];
    const int rotate = g_MeshOutput.outputRotate, translate = g_MeshOutput.outputTranslate;
    for (int p = 0; p < count; p++) {
        std::memcpy(placed[p], points[p], 3 * sizeof(double));
        if (rotate || translate) ApplyOutputTransform(rotate, translate, placed[p]);
    }
    for (int i = 1; i + 1 < count; i++)
        WriteStlFacet(export_->facetCount, placed[0], placed[i], placed[i + 1]);
}

void WriteCellLoops(void* context, const int faceFlags[CELL_FACE_COUNT],
                    const FaceSegment* segments, int segmentCount)
{
    ExportContext* export_ = static_cast<ExportContext*>(context);
    WriteClosingPolygons(export_->facetCount, faceFlags, segments, segmentCount);
}

const double kFaceNormals[6][3] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0},
                                   {0, 1, 0},  {0, 0, -1}, {0, 0, 1}};

// The point of face `face` at (u, v) on plane.
void FacePoint(int face, double u, double v, double plane, double out[3])
{
    const int n = face / 2;
    out[n] = plane;
    out[(n + 1) % 3] = u;
    out[(n + 2) % 3] = v;
}

// 1 when every ray of the family holds exactly one interval from its first to its last node.
bool IsFamilyUncut(const DexelFamily* family, double first, double last)
{
    for (int d = 0; d < family->rayCount; d++) {
        if (family->counts[d] != 2) return false;
        const double* e = family->ends + size_t(d) * size_t(family->capacity);
        if (e[0] != first || e[1] != last) return false;
    }
    return true;
}

bool IsUncutBox(const WorkModel* work)
{
    return IsFamilyUncut(&work->familyX, work->coordinatesX[0], work->coordinatesX[work->nodeCountX - 1]) &&
           IsFamilyUncut(&work->familyY, work->coordinatesY[0], work->coordinatesY[work->nodeCountY - 1]) &&
           IsFamilyUncut(&work->familyZ, work->coordinatesZ[0], work->coordinatesZ[work->nodeCountZ - 1]);
}

void SetOutputTransform(const WorkModel* work)
{
    if (ClassifyAxisPermutation(work->rotation) == 1) {
        g_MeshOutput.outputRotate = 0;
    } else {
        g_MeshOutput.outputRotate = 1;
        InvertMatrix3(work->rotation, g_MeshOutput.outputRotation);
    }
    const double* t = work->translation;
    g_MeshOutput.outputTranslate = (t[0] != 0.0 || t[1] != 0.0 || t[2] != 0.0) ? 1 : 0;
    std::memcpy(g_MeshOutput.outputTranslation, t, 3 * sizeof(double));
}

// The boundary pass over one family: its first and last ends, then its two faces.
void WriteFamilyFaces(const WorkModel* work, int family, double* first, double* last,
                      uint8_t* marks[CELL_FACE_COUNT], uint32_t* facetCount)
{
    const int nodes[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    const double* coordinates[3] = {work->coordinatesX, work->coordinatesY, work->coordinatesZ};
    const int u = (family + 1) % 3, v = (family + 2) % 3;
    GetDexelFirstLastEnds(work, family, first, nullptr, last, nullptr);
    WriteCellFaces(2 * family, facetCount, nodes[u], coordinates[u], nodes[v], coordinates[v],
                   coordinates[family][0], first, marks[2 * family]);
    WriteCellFaces(2 * family + 1, facetCount, nodes[u], coordinates[u], nodes[v], coordinates[v],
                   coordinates[family][nodes[family] - 1], last, marks[2 * family + 1]);
}

}  // namespace

void ApplyOutputTransform(int rotate, int translate, double point[3])
{
    if (rotate) {
        const double* m = g_MeshOutput.outputRotation;
        const double x = point[0], y = point[1], z = point[2];
        point[0] = m[0] * x + m[1] * y + m[2] * z;
        point[1] = m[3] * x + m[4] * y + m[5] * z;
        point[2] = m[6] * x + m[7] * y + m[8] * z;
    }
    if (translate) {
        for (int k = 0; k < 3; k++) point[k] += g_MeshOutput.outputTranslation[k];
    }
}

void WriteCellFaces(int face, uint32_t* facetCount, int uCount, const double* uCoordinates,
                    int vCount, const double* vCoordinates, double plane, const double* ends,
                    uint8_t* marks)
{
    double normal[3] = {kFaceNormals[face][0], kFaceNormals[face][1], kFaceNormals[face][2]};
    if (g_MeshOutput.outputRotate) ApplyOutputTransform(1, 0, normal);
    const bool transform = g_MeshOutput.outputRotate || g_MeshOutput.outputTranslate;
    auto onPlane = [&](int a, int b) { return ends[size_t(a) + size_t(b) * size_t(uCount)] == plane; };
    for (int b = 0; b + 1 < vCount; b++) {
        for (int a = 0; a + 1 < uCount; a++) {
            uint8_t* mark = &marks[size_t(a) + size_t(b) * size_t(uCount)];
            if (*mark != 0) continue;
            if (!(onPlane(a, b) && onPlane(a + 1, b) && onPlane(a, b + 1) && onPlane(a + 1, b + 1))) {
                *mark = 2;
                continue;
            }
            int e = a + 1;
            while (e < uCount - 1 && marks[size_t(e) + size_t(b) * size_t(uCount)] == 0 &&
                   onPlane(e + 1, b) && onPlane(e + 1, b + 1))
                e++;
            int t = b + 1;
            for (;;) {
                if (t >= vCount - 1) break;
                bool whole = true;
                for (int s = a; s <= e && whole; s++) whole = onPlane(s, t + 1);
                if (!whole) break;
                t++;
            }
            for (int r = b; r < t; r++)
                std::memset(&marks[size_t(a) + size_t(r) * size_t(uCount)], 1, size_t(e - a));
            double A[3], B[3], C[3], D[3];
            if ((face & 1) == 0) {
                FacePoint(face, uCoordinates[e], vCoordinates[t], plane, A);
                FacePoint(face, uCoordinates[e], vCoordinates[b], plane, B);
                FacePoint(face, uCoordinates[a], vCoordinates[b], plane, C);
                FacePoint(face, uCoordinates[a], vCoordinates[t], plane, D);
            } else {
                FacePoint(face, uCoordinates[a], vCoordinates[b], plane, A);
                FacePoint(face, uCoordinates[e], vCoordinates[b], plane, B);
                FacePoint(face, uCoordinates[e], vCoordinates[t], plane, C);
                FacePoint(face, uCoordinates[a], vCoordinates[t], plane, D);
            }
            if (transform) {
                ApplyOutputTransform(g_MeshOutput.outputRotate, g_MeshOutput.outputTranslate, A);
                ApplyOutputTransform(g_MeshOutput.outputRotate, g_MeshOutput.outputTranslate, B);
                ApplyOutputTransform(g_MeshOutput.outputRotate, g_MeshOutput.outputTranslate, C);
                ApplyOutputTransform(g_MeshOutput.outputRotate, g_MeshOutput.outputTranslate, D);
            }
            WriteStlFacetWithNormal(normal, A, B, D);
            WriteStlFacetWithNormal(normal, C, D, B);
            *facetCount += 2;
        }
    }
}

int ChainCellSegments(const int faceFlags[CELL_FACE_COUNT], const FaceSegment* segments,
                      int segmentCount, SurfaceLoopSink sink, void* context)
{
    const int n = std::min(segmentCount, int(CELL_MAX_SEGMENTS));
    ChainSegment list[CELL_MAX_SEGMENTS];
    bool live[CELL_MAX_SEGMENTS];
    bool screened[CELL_MAX_SEGMENTS];
    int faceCounts[CELL_FACE_COUNT] = {0, 0, 0, 0, 0, 0};
    double points[CELL_MAX_SEGMENTS + 1][3];
    uint8_t attributes[CELL_MAX_SEGMENTS + 1];
    int pointCount = 0;
    int givenUp = 0;
    // Screening: degenerate segments and flat pieces on a face the boundary pass wrote.
    for (int s = 0; s < n; s++) {
        const FaceSegment& seg = segments[s];
        list[s].p0 = seg.points[0];
        list[s].p1 = seg.points[1];
        list[s].a0 = seg.attributes[0];
        list[s].a1 = seg.attributes[1];
        list[s].label = seg.label;
        const int face = seg.label >= SEGMENT_CROSSES_FACE ? seg.label - SEGMENT_CROSSES_FACE : seg.label;
        screened[s] = ArePointsEqual(seg.points[0], seg.points[1]) ||
                      (seg.label < SEGMENT_CROSSES_FACE && faceFlags[seg.label]) || face < 0 ||
                      face >= CELL_FACE_COUNT;
        live[s] = !screened[s];
        if (live[s]) faceCounts[face]++;
    }
    // Flat patches lying in one face of the cell.
    for (int face = 0; face < CELL_FACE_COUNT; face++) {
        if (faceCounts[face] <= 2) continue;
        for (int s = 0; s < n; s++) {
            if (!live[s] || (list[s].label != face && list[s].label != face + SEGMENT_CROSSES_FACE))
                continue;
            if (!FollowChain(list, n, live, s, face, points, attributes, &pointCount)) {
                givenUp++;
                break;
            }
            sink(context, points, attributes, pointCount);
        }
    }
    // The crossing segments bound the curved surface too.
    for (int s = 0; s < n; s++)
        if (list[s].label >= SEGMENT_CROSSES_FACE && !screened[s]) live[s] = true;
    // Surface loops: crossing segments first, then flat edges, all reversed.
    ChainSegment loops[CELL_MAX_SEGMENTS];
    int m = 0;
    for (int pass = 0; pass < 2; pass++) {
        for (int s = 0; s < n; s++) {
            if (!live[s] || (list[s].label >= SEGMENT_CROSSES_FACE) != (pass == 0)) continue;
            loops[m].p0 = list[s].p1;
            loops[m].p1 = list[s].p0;
            loops[m].a0 = list[s].a1;
            loops[m].a1 = list[s].a0;
            loops[m].label = list[s].label;
            m++;
        }
    }
    if (m <= 2) return givenUp;
    bool loopLive[CELL_MAX_SEGMENTS];
    for (int s = 0; s < m; s++) loopLive[s] = true;
    for (int s = 0; s < m; s++) {
        if (loops[s].label < SEGMENT_CROSSES_FACE) continue;
        for (int t = s + 1; t < m; t++) {
            if (loops[t].label < SEGMENT_CROSSES_FACE) continue;
            if (ArePointsEqual(loops[s].p0, loops[t].p1) && ArePointsEqual(loops[s].p1, loops[t].p0)) {
                loopLive[s] = false;
                loopLive[t] = false;
            }
        }
    }
    for (int s = 0; s < m; s++) {
        if (!loopLive[s]) continue;
        if (!FollowChain(loops, m, loopLive, s, -1, points, attributes, &pointCount)) return givenUp + 1;
        sink(context, points, attributes, pointCount);
    }
    return givenUp;
}

void WriteClosingPolygons(uint32_t* facetCount, const int faceFlags[CELL_FACE_COUNT],
                          const FaceSegment* segments, int segmentCount)
{
    ExportContext context;
    context.facetCount = facetCount;
    g_MeshOutput.givenUpChains +=
        uint32_t(ChainCellSegments(faceFlags, segments, segmentCount, WriteLoopFan, &context));
}

int ExportWorkMesh(const WorkModel* work, uint32_t* facetCount)
{
    *facetCount = 0;
    g_MeshOutput.givenUpChains = 0;
    SetOutputTransform(work);
    if (work->nodeCountX < 2 || !work->familyX.counts || !work->familyY.counts || !work->familyZ.counts)
        return 1;
    const int rays[3] = {work->rayCountX, work->rayCountY, work->rayCountZ};
    uint8_t* marks[CELL_FACE_COUNT] = {};
    bool ok = true;
    for (int f = 0; f < CELL_FACE_COUNT && ok; f++) {
        marks[f] = static_cast<uint8_t*>(std::calloc(size_t(rays[f / 2]), 1));
        ok = marks[f] != nullptr;
    }
    const size_t most = size_t(std::max(rays[0], std::max(rays[1], rays[2])));
    double* first = ok ? static_cast<double*>(std::malloc(most * sizeof(double))) : nullptr;
    double* last = ok ? static_cast<double*>(std::malloc(most * sizeof(double))) : nullptr;
    if (!first || !last) {
        std::free(first);
        std::free(last);
        for (uint8_t* m : marks) std::free(m);
        return 0;
    }
    WriteFamilyFaces(work, 2, first, last, marks, facetCount);
    WriteFamilyFaces(work, 1, first, last, marks, facetCount);
    WriteFamilyFaces(work, 0, first, last, marks, facetCount);
    std::free(first);
    std::free(last);
    int result = 1;
    if (!(*facetCount == 12 && IsUncutBox(work))) {
        ExportContext context;
        context.facetCount = facetCount;
        const uint8_t* const* constMarks = marks;
        result = WalkAllWorkCells(work, constMarks, WriteCellLoops, &context);
    }
    for (uint8_t* m : marks) std::free(m);
    return result;
}
