// The work model display: per display block and undo level one list of the block's surface, rebuilt
// only for the blocks a cut or edit marked changed. The outer faces of the grid box are merged into
// rectangles; inside the cells the surface comes from the work's cell kernel (work_surface.h), chained
// into closed polygons (work_mesh_export.h) and drawn as fans coloured by the pens of the ray ends.
#include "view/work_display.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "machine_setup/settings/colour_settings.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/ui/gl_calls.h"
#include "platform/ui/shell_services.h"
#include "work_model/dexel_intervals.h"
#include "work_model/matrix.h"
#include "work_model/work_mesh_export.h"
#include "view/display_lists.h"
#include "view/scene_materials.h"
#include "view/view_camera.h"
#include "view/view_window.h"

unsigned g_PointModeListId = 0;
int32_t* g_WorkListIdTables[WORK_MODEL_SLOTS] = {};
int g_FaceRotate = 0;
int g_FaceShift = 0;
double g_FaceMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
double g_FaceShiftVector[3] = {0, 0, 0};
unsigned g_OpenPrimitive = 0;
int g_CurrentFaceMaterial = -2;
int g_BatchStartCount = 0;

namespace {

const int kPointModeColumn = 999;          // no display block has this column
const int kTrianglesPerBatch = 10000;      // a primitive of one colour is restarted after this many

// The face buffers of one rebuild: per face of the grid box (0 x-min .. 5 z-max) the marks of the
// squares whose lower corner is a ray of the family perpendicular to it (0 not visited, 1 covered
// by a rectangle, 2 no face there).
struct FaceBuffers {
    uint8_t* marks[CELL_FACE_COUNT];
};
FaceBuffers s_Faces = {};

// The block being emitted: its list (0: the caller's open list), whether it was opened, the mode.
struct BlockEmission {
    unsigned listName;
    int listOpened;
    int wire;
};
BlockEmission s_Block = {0, 0, 0};

const double kFaceNormals[6][3] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};

int WorkSlot(const WorkModel* work)
{
    const std::ptrdiff_t slot = work - g_WorkModels;
    return slot >= 0 && slot < WORK_MODEL_SLOTS ? int(slot) : 0;
}

void OpenBlockList()
{
    if (s_Block.listOpened) return;
    s_Block.listOpened = 1;
    if (s_Block.listName == 0) return;
    if (GlIsList(s_Block.listName)) GlDeleteLists(s_Block.listName, 1);
    GlNewList(s_Block.listName, UI_GL_COMPILE);
}

void BeginPrimitive(unsigned mode)
{
    GlBegin(mode);
    g_OpenPrimitive = mode + 1;
}

void EndPrimitive()
{
    if (g_OpenPrimitive == 0) return;
    GlEnd();
    g_OpenPrimitive = 0;
}

const SceneMaterial* MaterialOf(int material)
{
    return material < 0 ? &g_PaintMaterial : &g_PenMaterials[material];
}

// Vertex of the work frame in scene units.
void PlaceVertex(double p[3])
{
    if (g_FaceRotate || g_FaceShift) TransformVertex(g_FaceRotate, g_FaceShift, p);
    for (int k = 0; k < 3; k++) p[k] /= g_SceneScale;
}

// Point (a along P, b along K) of face `face` at the face coordinate d.
void FacePoint(int face, double a, double b, double d, double out[3])
{
    const int n = face / 2;
    out[n] = d;
    out[(n + 1) % 3] = a;
    out[(n + 2) % 3] = b;
}

struct CellContext {
    int wire;
    int* count;
};

void EmitLoop(void* context, const double (*points)[3], const uint8_t* attributes, int pointCount)
{
    CellContext* cell = static_cast<CellContext*>(context);
    double w[CELL_MAX_SEGMENTS + 1][3];
    for (int p = 0; p < pointCount; p++) {
        std::memcpy(w[p], points[p], sizeof w[p]);
        PlaceVertex(w[p]);
    }
    for (int k = 1; k + 1 < pointCount; k++) {
        const uint8_t a = attributes[0], b = attributes[k], c = attributes[k + 1];
        const int pen = GetTrianglePen(a, b, c);
        if (!g_PenColourFlags[pen]) continue;
        const bool painted = (a & 1) && (b & 1) && (c & 1);
        const int material = painted ? -1 : pen;
        bool change;
        if (painted) {
            change = g_CurrentFaceMaterial != -1;
        } else {
            change = pen != g_CurrentFaceMaterial || *cell->count - g_BatchStartCount > kTrianglesPerBatch;
            if (change) g_BatchStartCount = *cell->count;
        }
        OpenBlockList();
        if (cell->wire) {
            BeginPrimitive(UI_GL_LINE_LOOP);
            GlColor3fv(MaterialOf(material)->rgba);
        } else if (change || g_OpenPrimitive == 0) {
            EndPrimitive();
            SetSceneMaterial(MaterialOf(material));
            g_CurrentFaceMaterial = material;
            BeginPrimitive(UI_GL_TRIANGLES);
        }
        const double u[3] = {w[k][0] - w[0][0], w[k][1] - w[0][1], w[k][2] - w[0][2]};
        const double v[3] = {w[k + 1][0] - w[0][0], w[k + 1][1] - w[0][1], w[k + 1][2] - w[0][2]};
        GlNormal3d(u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]);
        GlVertex3dv(w[0]);
        GlVertex3dv(w[k]);
        GlVertex3dv(w[k + 1]);
        if (cell->wire) EndPrimitive();
        (*cell->count)++;
    }
}

void EmitCell(void* context, const int faceFlags[CELL_FACE_COUNT], const FaceSegment* segments, int segmentCount)
{
    CellContext* cell = static_cast<CellContext*>(context);
    EmitColouredTriangles(cell->wire, faceFlags, segments, segmentCount, cell->count);
}

const double* RayEnds(const DexelFamily* family, int ray)
{
    return GetDexelEndsPointer(ray, family->capacity, family->counts, family->ends);
}

// 1 when some X ray along the block's cells holds material on [x_x0, x_x1].
bool HasXMaterial(const WorkModel* work, int x0, int x1, int y0, int y1, int z0, int z1)
{
    const DexelFamily* fx = &work->familyX;
    const double lo = work->coordinatesX[x0], hi = work->coordinatesX[x1];
    for (int k = z0; k <= z1; k++) {
        for (int j = y0; j <= y1; j++) {
            const int ray = j + k * work->nodeCountY;
            const int n = fx->counts[ray];
            if (n <= 0) continue;
            const double* e = RayEnds(fx, ray);
            for (int m = 0; m + 1 < n; m += 2)
                if (e[m + 1] >= lo && e[m] <= hi) return true;
        }
    }
    return false;
}

// A row of cells (j, k) with no material on its four X rays gives nothing.
bool IsRowEmpty(const WorkModel* work, int j, int k)
{
    const int ny = work->nodeCountY;
    const int32_t* counts = work->familyX.counts;
    const int r = j + k * ny;
    return counts[r] == 0 && counts[r + 1] == 0 && counts[r + ny] == 0 && counts[r + ny + 1] == 0;
}

void EmitRayPoints(const WorkModel* work, int family)
{
    const DexelFamily* f = family == 0 ? &work->familyX : family == 1 ? &work->familyY : &work->familyZ;
    const int nodes[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    const double* coordinates[3] = {work->coordinatesX, work->coordinatesY, work->coordinatesZ};
    const int u = (family + 1) % 3, v = (family + 2) % 3;
    const int rotate = work->hasPlacement ? 1 : 0;
    double inverse[9];
    InvertMatrix3(work->rotation, inverse);
    GlBegin(UI_GL_POINTS);
    for (int d = 0; d < f->rayCount; d++) {
        const int n = f->counts[d];
        if (n <= 0) continue;
        const double* e = RayEnds(f, d);
        double p[3];
        p[u] = coordinates[u][d % nodes[u]];
        p[v] = coordinates[v][d / nodes[u]];
        for (int m = 0; m < n; m++) {
            p[family] = e[m];
            double q[3] = {p[0], p[1], p[2]};
            if (rotate) {
                q[0] = inverse[0] * p[0] + inverse[1] * p[1] + inverse[2] * p[2];
                q[1] = inverse[3] * p[0] + inverse[4] * p[1] + inverse[5] * p[2];
                q[2] = inverse[6] * p[0] + inverse[7] * p[1] + inverse[8] * p[2];
                for (int k = 0; k < 3; k++) q[k] += work->translation[k];
            }
            for (int k = 0; k < 3; k++) q[k] /= g_SceneScale;
            GlColor3fv(g_AxisColours[2 * family + (m & 1)]);
            GlVertex3dv(q);
        }
    }
    GlEnd();
}

}  // namespace

int GetTrianglePen(uint8_t a, uint8_t b, uint8_t c)
{
    const int pa = a >> 4, pb = b >> 4, pc = c >> 4;
    if (pa == 0 || pb == 0 || pc == 0) return 0;
    if (pa == pb || pa == pc) return pa;
    if (pb == pc) return pb;
    return 0;
}

void TransformVertex(int rotate, int shift, double point[3])
{
    if (rotate) {
        const double* m = g_FaceMatrix;
        const double x = point[0], y = point[1], z = point[2];
        point[0] = m[0] * x + m[1] * y + m[2] * z;
        point[1] = m[3] * x + m[4] * y + m[5] * z;
        point[2] = m[6] * x + m[7] * y + m[8] * z;
    }
    if (shift) {
        for (int k = 0; k < 3; k++) point[k] += g_FaceShiftVector[k];
    }
}

int PrepareWorkFaceBuffers(const WorkModel* work)
{
    FreeWorkFaceBuffers();
    const double* r = work->rotation;
    g_FaceRotate = (r[0] == 1.0 && r[4] == 1.0 && r[8] == 1.0) ? 0 : 1;
    if (g_FaceRotate) InvertMatrix3(r, g_FaceMatrix);
    const double* t = work->translation;
    g_FaceShift = (t[0] != 0.0 || t[1] != 0.0 || t[2] != 0.0) ? 1 : 0;
    std::memcpy(g_FaceShiftVector, t, sizeof g_FaceShiftVector);
    if (work->nodeCountX < 2 || !work->familyX.counts || !work->familyY.counts || !work->familyZ.counts) return 1;
    const int rays[3] = {work->rayCountX, work->rayCountY, work->rayCountZ};
    bool ok = true;
    for (int face = 0; face < CELL_FACE_COUNT && ok; face++) {
        s_Faces.marks[face] = static_cast<uint8_t*>(std::calloc(size_t(rays[face / 2]), 1));
        ok = s_Faces.marks[face] != nullptr;
    }
    if (!ok) {
        FreeWorkFaceBuffers();
        return 0;
    }
    return 1;
}

void FreeWorkFaceBuffers()
{
    for (uint8_t* m : s_Faces.marks) std::free(m);
    s_Faces = FaceBuffers{};
}

namespace {

// The rectangles of one outer face over the block's cells, marking the face squares they cover; with
// emit 0 only the marks are made (the same marks, no GL call).
void CoverWorkModelFace(const WorkModel* work, int wire, int face, const int cellLo[3], const int cellHi[3],
                        int* count, bool emit)
{
    const int family = face / 2;
    const int P = (family + 1) % 3, K = (family + 2) % 3;
    const int nodes[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    const double* coordinates[3] = {work->coordinatesX, work->coordinatesY, work->coordinatesZ};
    const int nP = nodes[P];
    const bool high = (face & 1) != 0;
    const DexelFamily* f = family == 0 ? &work->familyX : family == 1 ? &work->familyY : &work->familyZ;
    uint8_t* marks = s_Faces.marks[face];
    if (!marks) return;
    const double d = coordinates[family][high ? nodes[family] - 1 : 0];
    const double* a = coordinates[P];
    const double* b = coordinates[K];
    const int p0 = cellLo[P], p1 = cellHi[P], k0 = cellLo[K], k1 = cellHi[K];
    if (p0 < 0 || k0 < 0 || p1 >= nodes[P] || k1 >= nodes[K] || p0 >= p1 || k0 >= k1) return;
    double normal[3] = {kFaceNormals[face][0], kFaceNormals[face][1], kFaceNormals[face][2]};
    if (g_FaceRotate) TransformVertex(1, 0, normal);
    auto ray = [nP](int i, int r) { return size_t(i) + size_t(r) * size_t(nP); };
    // The attribute byte of the ray's first (low face) or last (high face) end; 0 for an empty ray.
    auto attributeAt = [&](size_t q) -> uint8_t {
        const int n = f->counts[q];
        return n > 0 ? GetDexelAttributesPointer(int(q), f->capacity, f->counts, f->ends, f->attributes)[high ? n - 1 : 0] : 0;
    };
    // The ray's first (last) end lies on the face with that attribute byte.
    auto onFace = [&](int i, int r, uint8_t attribute) {
        const size_t q = ray(i, r);
        const int n = f->counts[q];
        if (n <= 0) return false;
        const int m = high ? n - 1 : 0;
        return GetDexelEndsPointer(int(q), f->capacity, f->counts, f->ends)[m] == d &&
               GetDexelAttributesPointer(int(q), f->capacity, f->counts, f->ends, f->attributes)[m] == attribute;
    };
    for (int r = k0; r < k1; r++) {
        for (int i = p0; i < p1; i++) {
            uint8_t* mark = &marks[ray(i, r)];
            if (*mark != 0) continue;
            const uint8_t attribute = attributeAt(ray(i, r));
            if (!(onFace(i, r, attribute) && onFace(i + 1, r, attribute) && onFace(i, r + 1, attribute) &&
                  onFace(i + 1, r + 1, attribute))) {
                *mark = 2;
                continue;
            }
            int j = i + 1;
            while (j < p1 && marks[ray(j, r)] == 0 && onFace(j + 1, r, attribute) && onFace(j + 1, r + 1, attribute))
                j++;
            const int pen = attribute >> 4;
            if (!g_PenColourFlags[pen]) continue;
            int J = r + 1;
            for (;;) {
                if (J >= k1) break;
                bool whole = true;
                for (int s = i; s <= j && whole; s++) whole = onFace(s, J + 1, attribute);
                if (!whole) break;
                J++;
            }
            for (int q = r; q < J; q++) std::memset(&marks[ray(i, q)], 1, size_t(j - i));
            double V[4][3];
            if (high) {
                FacePoint(face, a[i], b[r], d, V[0]);
                FacePoint(face, a[j], b[r], d, V[1]);
                FacePoint(face, a[j], b[J], d, V[2]);
                FacePoint(face, a[i], b[J], d, V[3]);
            } else {
                FacePoint(face, a[j], b[J], d, V[0]);
                FacePoint(face, a[j], b[r], d, V[1]);
                FacePoint(face, a[i], b[r], d, V[2]);
                FacePoint(face, a[i], b[J], d, V[3]);
            }
            if (!emit) continue;
            for (double* v : V) PlaceVertex(v);
            const bool painted = (attribute & 1) != 0;
            OpenBlockList();
            if (wire) {
                BeginPrimitive(UI_GL_LINE_LOOP);
                GlColor3fv(MaterialOf(painted ? -1 : pen)->rgba);
            } else {
                const int material = painted ? -1 : pen;
                if (material != g_CurrentFaceMaterial) {
                    SetSceneMaterial(MaterialOf(material));
                    g_CurrentFaceMaterial = material;
                }
                if (g_OpenPrimitive == 0) BeginPrimitive(UI_GL_TRIANGLES);
            }
            GlNormal3dv(normal);
            GlVertex3dv(V[0]);
            GlVertex3dv(V[1]);
            GlVertex3dv(V[3]);
            GlVertex3dv(V[2]);
            GlVertex3dv(V[3]);
            GlVertex3dv(V[1]);
            if (wire) EndPrimitive();
            (*count)++;
        }
    }
}

// The squares of the outer faces a block covers, cleared (0 not visited).
void ClearBlockFaceMarks(const WorkModel* work, const int lo[3], const int hi[3])
{
    const int nodes[3] = {work->nodeCountX, work->nodeCountY, work->nodeCountZ};
    const int cells[3] = {work->cellCountX, work->cellCountY, work->cellCountZ};
    for (int face = 0; face < CELL_FACE_COUNT; face++) {
        const int family = face / 2;
        const bool onFace = (face & 1) ? hi[family] == cells[family] : lo[family] == 0;
        uint8_t* marks = s_Faces.marks[face];
        if (!onFace || !marks) continue;
        const int P = (family + 1) % 3, K = (family + 2) % 3;
        for (int r = lo[K]; r < hi[K]; r++)
            std::memset(&marks[size_t(lo[P]) + size_t(r) * size_t(nodes[P])], 0, size_t(hi[P] - lo[P]));
    }
}

// The outer faces of a block in their drawing order: z-min, z-max, y-min, y-max, x-min, x-max.
void CoverBlockFaces(const WorkModel* work, int wire, const int lo[3], const int hi[3], int* count, bool emit)
{
    if (lo[2] == 0) CoverWorkModelFace(work, wire, 4, lo, hi, count, emit);
    if (hi[2] == work->cellCountZ) CoverWorkModelFace(work, wire, 5, lo, hi, count, emit);
    if (lo[1] == 0) CoverWorkModelFace(work, wire, 2, lo, hi, count, emit);
    if (hi[1] == work->cellCountY) CoverWorkModelFace(work, wire, 3, lo, hi, count, emit);
    if (lo[0] == 0) CoverWorkModelFace(work, wire, 0, lo, hi, count, emit);
    if (hi[0] == work->cellCountX) CoverWorkModelFace(work, wire, 1, lo, hi, count, emit);
}

// The surface cells of one block as the walk gave them, gathered (on any thread) for emission on the
// UI thread: per cell its face flags and its run of segments.
struct GatheredCell {
    int faceFlags[CELL_FACE_COUNT];
    int first;
    int count;
};
struct BlockCells {
    int lo[3], hi[3];
    bool material;   // some X ray of the block holds material
    bool walked;     // the cells are gathered (false: no memory for the walk)
    bool full;       // a cell could not be kept for want of memory
    std::vector<GatheredCell> cells;
    std::vector<FaceSegment> segments;
};

void GatherCell(void* context, const int faceFlags[CELL_FACE_COUNT], const FaceSegment* segments, int segmentCount)
{
    BlockCells* block = static_cast<BlockCells*>(context);
    if (block->full) return;
    GatheredCell cell;
    std::memcpy(cell.faceFlags, faceFlags, sizeof cell.faceFlags);
    cell.first = int(block->segments.size());
    cell.count = segmentCount;
    try {
        block->cells.push_back(cell);
        block->segments.insert(block->segments.end(), segments, segments + segmentCount);
    } catch (const std::bad_alloc&) {
        block->full = true;
    }
}

// Reads one block: marks its outer faces (as drawing them will) and gathers its surface cells. Only
// reads the work and writes the block's own face squares, so blocks may be gathered side by side.
void GatherBlockCells(const WorkModel* work, BlockCells* block)
{
    int unused = 0;
    block->cells.clear();
    block->segments.clear();
    CoverBlockFaces(work, 0, block->lo, block->hi, &unused, false);
    block->material = HasXMaterial(work, block->lo[0], block->hi[0], block->lo[1], block->hi[1], block->lo[2],
                                   block->hi[2]);
    block->walked = false;
    block->full = false;
    if (!block->material) return;
    const uint8_t* const* marks = s_Faces.marks[0] ? s_Faces.marks : nullptr;
    block->walked = WalkWorkCellsSparse(work, block->lo, block->hi, marks, GatherCell, block) == 1 && !block->full;
    if (!block->walked) {
        block->cells.clear();
        block->segments.clear();
    }
}

// Compiles a gathered block into list `listName` (0: the caller's list): its faces drawn again over
// cleared marks, then its cells; without gathered cells the block's rows are walked here.
int EmitGatheredBlock(const WorkModel* work, int wire, const BlockCells& block, unsigned listName)
{
    int count = 0;
    g_CurrentFaceMaterial = -2;
    g_BatchStartCount = 0;
    g_OpenPrimitive = 0;
    s_Block = BlockEmission{listName, 0, wire};
    ClearBlockFaceMarks(work, block.lo, block.hi);
    CoverBlockFaces(work, wire, block.lo, block.hi, &count, true);
    if (g_PumpMessagesInLoops) PumpMessagesAndBusyCursor();
    if (block.material) {
        if (block.walked) {
            for (const GatheredCell& cell : block.cells)
                EmitColouredTriangles(wire, cell.faceFlags, &block.segments[size_t(cell.first)], cell.count, &count);
        } else {
            const uint8_t* const* marks = s_Faces.marks[0] ? s_Faces.marks : nullptr;
            CellContext context = {wire, &count};
            for (int k = block.lo[2]; k < block.hi[2]; k++) {
                for (int j = block.lo[1]; j < block.hi[1]; j++) {
                    if (g_PumpMessagesInLoops) PumpMessagesDuringWork();
                    if (IsRowEmpty(work, j, k)) continue;
                    const int cellLo[3] = {block.lo[0], j, k}, cellHi[3] = {block.hi[0], j + 1, k + 1};
                    WalkWorkCells(work, cellLo, cellHi, marks, EmitCell, &context);
                }
            }
        }
    }
    EndPrimitive();
    if (s_Block.listOpened && listName != 0) GlEndList();
    s_Block = BlockEmission{0, 0, 0};
    return block.material ? count : -1;
}

}  // namespace

void DrawWorkModelFace(const WorkModel* work, int wire, int face, const int cellLo[3], const int cellHi[3],
                       int* count)
{
    CoverWorkModelFace(work, wire, face, cellLo, cellHi, count, true);
}

void EmitColouredTriangles(int wire, const int faceFlags[CELL_FACE_COUNT], const FaceSegment* segments,
                           int segmentCount, int* count)
{
    CellContext context = {wire, count};
    ChainCellSegments(faceFlags, segments, segmentCount, EmitLoop, &context);
}

int TessellateWorkBlock(const WorkModel* work, int wire, int x0, int x1, int y0, int y1, int z0, int z1,
                        unsigned listName)
{
    g_CurrentFaceMaterial = -2;
    g_BatchStartCount = 0;
    g_OpenPrimitive = 0;
    if (work->nodeCountX < 2 || !work->familyX.counts) return -1;
    BlockCells block;
    const int lo[3] = {x0, y0, z0}, hi[3] = {x1, y1, z1};
    std::memcpy(block.lo, lo, sizeof block.lo);
    std::memcpy(block.hi, hi, sizeof block.hi);
    GatherBlockCells(work, &block);
    return EmitGatheredBlock(work, wire, block, listName);
}

int RebuildWorkBlockLists(WorkModel* work, int32_t* idTable, int wire)
{
    if (!work->changedBlocks || !work->blockListIds || !idTable) return 0;
    if (!PrepareWorkFaceBuffers(work)) return 0;   // no memory: the blocks stay marked for the next frame
    const int slot = WorkSlot(work);
    const int level = work->currentLevel;
    const int highest = std::max(work->highestLevel, level);
    int32_t* row = idTable + size_t(level) * BLOCK_LIST_IDS_PER_LEVEL;
    int32_t* counts = work->blockListIds + size_t(level) * BLOCK_LIST_IDS_PER_LEVEL;
    // The blocks to tessellate, in block order, with their cell ranges.
    struct Pending {
        int block;
        int lo[3], hi[3];
    };
    std::vector<Pending> pending;
    int b = 0;
    int z = 0;
    for (int bz = 0; bz < work->blocksZ; bz++) {
        const int zCells = bz == work->lastBlockZ ? work->lastBlockCellsZ : work->blockCellsZ;
        int y = 0;
        for (int by = 0; by < work->blocksY; by++) {
            const int yCells = by == work->lastBlockY ? work->lastBlockCellsY : work->blockCellsY;
            int x = 0;
            for (int bx = 0; bx < work->blocksX; bx++, b++) {
                const int xCells = bx == work->lastBlockX ? work->lastBlockCellsX : work->blockCellsX;
                // A changed block's byte is cleared once its list is compiled.
                if (work->changedBlocks[b] && counts[b] >= 0)
                    pending.push_back(Pending{b, {x, y, z}, {x + xCells, y + yCells, z + zCells}});
                else
                    work->changedBlocks[b] = 0;
                x += xCells;
            }
            y += yCells;
        }
        z += zCells;
    }
    // Blocks are read side by side (each writes only its own face squares), a batch at a time, and
    // compiled in block order on this thread, so the lists are what one block after the other gives.
    const unsigned processors = std::thread::hardware_concurrency();
    const int threads = int(std::max(1u, std::min(processors, 8u)));
    const int batch = threads * 4;
    std::vector<BlockCells> cells(size_t(std::min(int(pending.size()), batch)));
    for (size_t start = 0; start < pending.size(); start += size_t(batch)) {
        const size_t end = std::min(pending.size(), start + size_t(batch));
        for (size_t p = start; p < end; p++) {
            BlockCells& block = cells[p - start];
            std::memcpy(block.lo, pending[p].lo, sizeof block.lo);
            std::memcpy(block.hi, pending[p].hi, sizeof block.hi);
        }
        const int taskCount = int(end - start);
        const int workers = std::min(threads, taskCount);
        std::atomic<int> next{0};
        auto gather = [&]() {
            for (int t = next++; t < taskCount; t = next++) GatherBlockCells(work, &cells[size_t(t)]);
        };
        std::vector<std::thread> helpers;
        for (int w = 1; w < workers; w++) {
            try {
                helpers.emplace_back(gather);
            } catch (const std::system_error&) {
                break;   // no more threads: this thread gathers the rest
            }
        }
        gather();
        for (std::thread& helper : helpers) helper.join();
        for (size_t p = start; p < end; p++) {
            const int block = pending[p].block;
            // A name no other level of this block holds, so that older levels keep their lists.
            int32_t candidate = int32_t(WorkBlockListName(g_ListIdBase, slot, 0, block));
            for (int attempt = 0; attempt <= highest; attempt++) {
                bool used = false;
                for (int w = 0; w <= highest && !used; w++)
                    used = w != level && idTable[size_t(w) * BLOCK_LIST_IDS_PER_LEVEL + size_t(block)] == candidate;
                if (!used) break;
                candidate += WORK_LIST_ROW_SIZE;
            }
            row[block] = candidate;
            if (counts[block] > 0 && GlIsList(unsigned(candidate))) GlDeleteLists(unsigned(candidate), 1);
            counts[block] = EmitGatheredBlock(work, wire, cells[p - start], unsigned(candidate));
            work->changedBlocks[block] = 0;
        }
    }
    FreeWorkFaceBuffers();
    return int(pending.size());
}

int InitWorkListIdTable(const WorkModel* work, int32_t** table)
{
    std::free(*table);
    const int levels = std::max(1, int(work->undoLevels));
    *table = static_cast<int32_t*>(std::calloc(size_t(levels) * BLOCK_LIST_IDS_PER_LEVEL, sizeof(int32_t)));
    if (!*table) return 0;
    const int slot = WorkSlot(work);
    for (int b = 0; b < work->blockCount && b < BLOCK_LIST_IDS_PER_LEVEL; b++)
        (*table)[b] = int32_t(WorkBlockListName(g_ListIdBase, slot, 0, b));
    return 1;
}

void CopyPreviousStepListIds(const WorkModel* work, int32_t* table)
{
    if (!table) return;
    const int level = work->currentLevel;
    const int previous = level > 0 ? level - 1 : work->highestLevel;
    if (previous == level) return;
    std::memcpy(table + size_t(level) * BLOCK_LIST_IDS_PER_LEVEL, table + size_t(previous) * BLOCK_LIST_IDS_PER_LEVEL,
                size_t(std::min(int(work->blockCount), int(BLOCK_LIST_IDS_PER_LEVEL))) * sizeof(int32_t));
}

void FreeWorkDisplayLists(int slot, const WorkModel* work)
{
    if (slot < 0 || slot >= WORK_MODEL_SLOTS) return;
    if (g_ListIdBase != 0) {
        const int rows = std::max(work->highestLevel, work->currentLevel) + 1;
        GlDeleteLists(WorkBlockListName(g_ListIdBase, slot, 0, 0), rows * WORK_LIST_ROW_SIZE);
    }
    std::free(g_WorkListIdTables[slot]);
    g_WorkListIdTables[slot] = nullptr;
}

void DrawWorkRayPointsX(const WorkModel* work) { EmitRayPoints(work, 0); }
void DrawWorkRayPointsY(const WorkModel* work) { EmitRayPoints(work, 1); }
void DrawWorkRayPointsZ(const WorkModel* work) { EmitRayPoints(work, 2); }

void DrawWorkModel(WorkModel* work)
{
    if (g_WorkDisplayMode == PART_DISPLAY_OFF) return;   // the rebuild byte stays set
    const int level = work->currentLevel;
    if (g_WorkListRebuild && level >= 0 && level < g_UndoRingSize) g_WorkListRebuild[level] = 0;
    if (work->nodeCountX < 2 || !work->familyX.counts) return;
    const int slot = WorkSlot(work);
    if (g_WorkDisplayStyle <= 1) {
        if (!g_WorkListIdTables[slot] && !InitWorkListIdTable(work, &g_WorkListIdTables[slot])) return;
        RebuildWorkBlockLists(work, g_WorkListIdTables[slot], g_WorkDisplayStyle);
        return;
    }
    g_PointModeListId = WorkBlockListName(g_ListIdBase, slot, level, kPointModeColumn);
    if (GlIsList(g_PointModeListId)) GlDeleteLists(g_PointModeListId, 1);
    GlNewList(g_PointModeListId, UI_GL_COMPILE);
    GlPointSize(float(std::max(2.0, g_ViewZoom * 0.5)));
    if (g_WorkDisplayStyle == 2 || g_WorkDisplayStyle == 5) DrawWorkRayPointsX(work);
    if (g_WorkDisplayStyle == 3 || g_WorkDisplayStyle == 5) DrawWorkRayPointsY(work);
    if (g_WorkDisplayStyle == 4 || g_WorkDisplayStyle == 5) DrawWorkRayPointsZ(work);
    GlEndList();
}

void CallWorkBlockLists(const WorkModel* work)
{
    const int slot = WorkSlot(work);
    const int32_t* table = g_WorkListIdTables[slot];
    if (!table || !work->blockListIds) return;
    const size_t row = size_t(work->currentLevel) * BLOCK_LIST_IDS_PER_LEVEL;
    for (int b = 0; b < work->blockCount; b++)
        if (work->blockListIds[row + size_t(b)] > 0) GlCallList(unsigned(table[row + size_t(b)]));
}

void MarkWorkStepForRebuild()
{
    if (!g_WorkDefined) return;
    const WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    const int level = work->currentLevel;
    if (g_WorkListRebuild && level >= 0 && level < g_UndoRingSize) g_WorkListRebuild[level] = 1;
}

void MarkWorkBlocksForRebuild()
{
    WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    if (work->changedBlocks) std::memset(work->changedBlocks, 1, size_t(work->blockCount));
    const int level = work->currentLevel;
    if (g_WorkListRebuild && level >= 0 && level < g_UndoRingSize) g_WorkListRebuild[level] = 1;
}
