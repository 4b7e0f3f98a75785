// The work display with a recording GL table: a box work is built block by block, cut by the cutting
// kernel, and only the blocks the cut marked are compiled again, into names of their own per undo
// level; the outer faces merge into rectangles, hidden pens and empty blocks compile nothing, and the
// cut faces carry the tool's pen.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <set>
#include <vector>

#include "machine_setup/settings/colour_settings.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/work_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "nc/interpreter_state.h"
#include "platform/ui/shell_services.h"
#include "simulation/check_flags.h"
#include "simulation/cutting.h"
#include "tests/view/gl_recorder.h"
#include "view/display_lists.h"
#include "view/scene_materials.h"
#include "view/view_camera.h"
#include "view/view_window.h"
#include "view/work_display.h"
#include "work_model/dexel_intervals.h"
#include "work_model/undo_levels.h"
#include "work_model/work_model.h"
#include "work_model/work_surface.h"

namespace {

const unsigned kListBase = 5000;

// A box work of 40 x 40 x 20 mm at pitch 1 (or `cells` per axis with a single block), every ray one
// interval of pen `pen`, in work slot 0.
void BuildBox(WorkModel* work, int undoLevels, double pitch = 1.0, bool singleBlock = false, int pen = 0)
{
    const double size[3] = {40, 40, 20};
    *work = WorkModel{};
    work->nodeCountX = int(std::lround(size[0] / pitch)) + 1;
    work->nodeCountY = int(std::lround(size[1] / pitch)) + 1;
    work->nodeCountZ = int(std::lround(size[2] / pitch)) + 1;
    work->pitch = pitch;
    work->rotation[0] = work->rotation[4] = work->rotation[8] = 1.0;
    work->inverseRotation[0] = work->inverseRotation[4] = work->inverseRotation[8] = 1.0;
    ASSERT_EQ(1, singleBlock ? SetUpWorkGridSingleBlock(work) : SetUpWorkGrid(work));
    work->undoLevels = undoLevels;
    ASSERT_EQ(1, AllocateWorkModelArrays(work));
    DexelFamily* families[3] = {&work->familyX, &work->familyY, &work->familyZ};
    const uint8_t attributes[2] = {uint8_t(pen << 4), uint8_t(pen << 4)};
    const int32_t values[2] = {0, 0};
    for (int axis = 0; axis < 3; axis++) {
        const double ends[2] = {0.0, size[axis]};
        DexelFamily* f = families[axis];
        for (int d = 0; d < f->rayCount; d++)
            StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, ends, attributes, values, 2);
    }
}

std::vector<double> ListNames(const char* call)
{
    std::vector<double> names;
    for (const GlCall& c : RecordedCalls(call)) names.push_back(c.values[0]);
    return names;
}

class WorkDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallGlRecorder();
        g_ListIdBase = kListBase;
        ResetDisplaySettings();
        ResetColourSettings();
        UpdateSceneMaterials();
        savedRebuild_ = g_WorkListRebuild;
        savedRingSize_ = g_UndoRingSize;
        g_WorkListRebuild = rebuild_;
        g_UndoRingSize = 2;
        g_SceneScale = 1.0;
    }
    void TearDown() override
    {
        FreeWorkDisplayLists(0, work_);
        DestroyWorkModel(work_);
        work_->nodeCountX = 0;
        g_WorkListRebuild = savedRebuild_;
        g_UndoRingSize = savedRingSize_;
        g_ListIdBase = 0;
        g_WorkDefined = 0;
        SetUiGlCalls(nullptr);
    }
    // Marks the current level for rebuilding and lets the view bring it up to date.
    void Redraw()
    {
        GetGlRecorder().calls.clear();
        g_WorkListRebuild[work_->currentLevel] = 1;
        DrawWorkModel(work_);
        EXPECT_EQ(0, g_WorkListRebuild[work_->currentLevel]);
    }
    std::vector<int> ChangedBlocks() const
    {
        std::vector<int> blocks;
        for (int b = 0; b < work_->blockCount; b++)
            if (work_->changedBlocks[b]) blocks.push_back(b);
        return blocks;
    }
    const int32_t* Names(int level) const { return g_WorkListIdTables[0] + level * BLOCK_LIST_IDS_PER_LEVEL; }
    const int32_t* Counts(int level) const { return work_->blockListIds + level * BLOCK_LIST_IDS_PER_LEVEL; }

    WorkModel* work_ = &g_WorkModels[0];
    unsigned char rebuild_[2] = {0, 0};
    unsigned char* savedRebuild_ = nullptr;
    int savedRingSize_ = 0;
};

// A D10 ball tool of pen `pen` plunged at (x, y) 3 mm into the top.
void CutWithBall(WorkModel* work, double x, double y, int pen)
{
    ToolRecord tool{};
    tool.defined = 1;
    tool.type = TOOL_BALL;
    tool.diameter = 10.0f;
    tool.cornerRadius = 5.0f;
    tool.cuttingLength = 30.0f;
    tool.readCuttingLength = 30.0f;
    ASSERT_EQ(1, MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, pen));
    g_ArborCheck = 0;
    g_HeightCheck = 0;
    g_ChipWidthCheck = 0;
    g_MotionKind = 1;
    const double tip[3] = {x, y, 17.0}, axis[3] = {0, 0, 1};
    g_MoveRemovedVolume = 0.0;
    ClearCheckFlags();
    SetCutColourAndTag(10);
    CutWorkAlongMove(work, tip, axis);
    ASSERT_GT(g_MoveRemovedVolume, 0.0);
}

TEST_F(WorkDisplayTest, ACutRebuildsOnlyItsBlocksAndEachUndoLevelKeepsItsLists)
{
    BuildBox(work_, 2);
    ASSERT_GT(work_->blockCount, 50);
    PrepareWorkForCutting(work_);
    MarkWorkBlocksForRebuild();
    GetGlRecorder().calls.clear();
    DrawWorkModel(work_);
    // The first display builds every block, each under its row-0 name.
    // The first display builds every block, each under its row-0 name; the blocks inside the box
    // have no surface and compile no list.
    std::vector<double> compiled = ListNames("newList");
    std::vector<double> withSurface;
    for (int b = 0; b < work_->blockCount; b++) {
        EXPECT_EQ(int32_t(WorkBlockListName(kListBase, 0, 0, b)), Names(0)[b]);
        if (Counts(0)[b] > 0) withSurface.push_back(Names(0)[b]);
        else EXPECT_EQ(0, Counts(0)[b]) << b;
    }
    EXPECT_EQ(withSurface, compiled);
    EXPECT_GT(Counts(0)[0], 0);
    EXPECT_EQ(0, Counts(0)[GetDisplayBlockIndex(work_, 2, 2, 1)]);
    EXPECT_TRUE(ChangedBlocks().empty());

    // A cut at level 0: only the blocks it marked are compiled again, under the same names.
    CutWithBall(work_, 20.5, 20.5, 3);
    const std::vector<int> changed = ChangedBlocks();
    ASSERT_FALSE(changed.empty());
    ASSERT_LT(changed.size(), size_t(work_->blockCount) / 4);
    Redraw();
    compiled = ListNames("newList");
    ASSERT_EQ(changed.size(), compiled.size());   // the cut blocks all hold surface
    for (size_t i = 0; i < changed.size(); i++) EXPECT_EQ(Names(0)[changed[i]], int32_t(compiled[i]));
    // The cut faces carry pen 3's material.
    const float* pen3 = g_PenMaterials[3].rgba;
    bool pen3Used = false;
    for (const GlCall& c : RecordedCalls("material"))
        pen3Used = pen3Used || (float(c.values[2]) == pen3[0] && float(c.values[3]) == pen3[1] && float(c.values[4]) == pen3[2]);
    EXPECT_TRUE(pen3Used);

    // Push a level and cut elsewhere: the changed blocks get names 1000 above level 0's.
    ASSERT_EQ(1, PushUndoLevel(work_));
    CopyPreviousStepListIds(work_, g_WorkListIdTables[0]);
    ASSERT_EQ(1, work_->currentLevel);
    PrepareWorkForCutting(work_);
    CutWithBall(work_, 30.5, 10.5, 5);
    const std::vector<int> changed2 = ChangedBlocks();
    ASSERT_FALSE(changed2.empty());
    Redraw();
    compiled = ListNames("newList");
    ASSERT_EQ(changed2.size(), compiled.size());
    std::set<int> changedSet(changed2.begin(), changed2.end());
    for (int b = 0; b < work_->blockCount; b++) {
        const int32_t expected = Names(0)[b] + (changedSet.count(b) ? 1000 : 0);
        EXPECT_EQ(expected, Names(1)[b]) << b;
    }
    EXPECT_TRUE(RecordedCalls("deleteLists").empty());   // level 0's lists stay intact

    // Stepping back shows level 0's lists at once, without tessellating.
    StepUndoLevelBack(work_);
    ASSERT_EQ(0, work_->currentLevel);
    GetGlRecorder().calls.clear();
    CallWorkBlockLists(work_);
    EXPECT_TRUE(RecordedCalls("newList").empty());
    std::vector<double> level0;
    for (int b = 0; b < work_->blockCount; b++)
        if (Counts(0)[b] > 0) level0.push_back(Names(0)[b]);
    EXPECT_EQ(level0, ListNames("callList"));
    EXPECT_EQ(Names(0)[changed2[0]] + 1000, Names(1)[changed2[0]]);
}

// Every call a cell walk makes to its sink, flattened: the face flags, the segment count and each
// segment's points, attributes and label.
struct SinkStream {
    std::vector<double> values;
    int cells = 0;
};

void RecordCell(void* context, const int flags[CELL_FACE_COUNT], const FaceSegment* segments, int count)
{
    SinkStream* stream = static_cast<SinkStream*>(context);
    stream->cells++;
    stream->values.insert(stream->values.end(), flags, flags + CELL_FACE_COUNT);
    stream->values.push_back(count);
    for (int s = 0; s < count; s++) {
        for (int p = 0; p < 2; p++) {
            stream->values.insert(stream->values.end(), segments[s].points[p], segments[s].points[p] + 3);
            stream->values.push_back(segments[s].attributes[p]);
        }
        stream->values.push_back(segments[s].label);
    }
}

TEST_F(WorkDisplayTest, SparseCellWalkOfABoxGivesWhatTheDenseWalkGave)
{
    struct Cut { double x, y; int pen; };
    struct Case { double pitch; std::vector<Cut> cuts; };
    // Ball plunges inside, over block and box edges, with ends on nodes (pitch 1) and between
    // them (pitch 0.7, where the box's far ends also lie beyond the last node).
    const Case cases[] = {{1.0, {{20.5, 20.5, 3}, {2.0, 38.0, 5}, {30.0, 10.0, 7}}},
                          {0.7, {{11.3, 29.9, 4}, {39.0, 1.0, 6}, {20.0, 20.0, 2}}}};
    for (const Case& c : cases) {
        DestroyWorkModel(work_);
        BuildBox(work_, 1, c.pitch);
        PrepareWorkForCutting(work_);
        for (const Cut& cut : c.cuts) CutWithBall(work_, cut.x, cut.y, cut.pen);
        // Boundary marks of every kind, so that the face flags vary from cell to cell.
        const int rays[3] = {work_->rayCountX, work_->rayCountY, work_->rayCountZ};
        std::vector<std::vector<uint8_t>> marks(CELL_FACE_COUNT);
        const uint8_t* markPointers[CELL_FACE_COUNT];
        for (int f = 0; f < CELL_FACE_COUNT; f++) {
            marks[size_t(f)].resize(size_t(rays[f / 2]));
            for (size_t r = 0; r < marks[size_t(f)].size(); r++) marks[size_t(f)][r] = uint8_t((r * 7 + size_t(f)) % 3);
            markPointers[f] = marks[size_t(f)].data();
        }
        // The whole grid, and boxes whose sides run through the craters.
        const int cells[3] = {work_->cellCountX, work_->cellCountY, work_->cellCountZ};
        const int splits[3][4] = {{0, cells[0] / 3, cells[0] / 2 + 1, cells[0]},
                                  {0, cells[1] / 4, cells[1] / 2, cells[1]},
                                  {0, cells[2] - 6, cells[2] - 2, cells[2]}};
        std::vector<std::array<int, 6>> boxes = {{0, 0, 0, cells[0], cells[1], cells[2]}};
        for (int bz = 0; bz < 3; bz++)
            for (int by = 0; by < 3; by++)
                for (int bx = 0; bx < 3; bx++)
                    boxes.push_back({splits[0][bx], splits[1][by], splits[2][bz], splits[0][bx + 1],
                                     splits[1][by + 1], splits[2][bz + 1]});
        int boxesWithSurface = 0;
        for (const std::array<int, 6>& box : boxes) {
            SinkStream dense, sparse;
            WalkWorkCells(work_, &box[0], &box[3], markPointers, RecordCell, &dense);
            ASSERT_EQ(1, WalkWorkCellsSparse(work_, &box[0], &box[3], markPointers, RecordCell, &sparse));
            EXPECT_EQ(dense.cells, sparse.cells) << c.pitch << " box from " << box[0] << " " << box[1] << " " << box[2];
            EXPECT_TRUE(dense.values == sparse.values) << c.pitch << " box from " << box[0] << " " << box[1] << " " << box[2];
            if (dense.cells > 0) boxesWithSurface++;
        }
        EXPECT_GT(boxesWithSurface, 12) << c.pitch;
    }
}

// The calls recorded between glNewList(name) and its glEndList, per list name, flattened.
std::map<unsigned, std::vector<std::string>> CallsPerList(const std::vector<GlCall>& calls)
{
    std::map<unsigned, std::vector<std::string>> lists;
    std::vector<std::string>* open = nullptr;
    for (const GlCall& c : calls) {
        if (c.name == "newList") open = &lists[unsigned(c.values.at(0))];
        if (!open) continue;
        std::string text = c.name;
        for (double v : c.values) text += " " + std::to_string(v);
        open->push_back(text);
        if (c.name == "endList") open = nullptr;
    }
    return lists;
}

TEST_F(WorkDisplayTest, BlocksCompiledTogetherGiveWhatEachBlockGivesAlone)
{
    BuildBox(work_, 1);
    PrepareWorkForCutting(work_);
    CutWithBall(work_, 20.5, 20.5, 3);
    CutWithBall(work_, 2.0, 38.0, 5);
    CutWithBall(work_, 30.0, 10.0, 7);
    for (int wire : {0, 1}) {
        g_WorkDisplayStyle = wire;
        MarkWorkBlocksForRebuild();
        GetGlRecorder().calls.clear();
        DrawWorkModel(work_);
        const std::map<unsigned, std::vector<std::string>> together = CallsPerList(GetGlRecorder().calls);
        ASSERT_GT(together.size(), 20u);
        const unsigned first = WorkBlockListName(kListBase, 0, 0, 0);
        for (const auto& list : together) {
            const int b = int((list.first - first) % 1000);
            const int bx = b % work_->blocksX, by = b / work_->blocksX % work_->blocksY,
                      bz = b / (work_->blocksX * work_->blocksY);
            const int lo[3] = {bx * work_->blockCellsX, by * work_->blockCellsY, bz * work_->blockCellsZ};
            const int hi[3] = {lo[0] + (bx == work_->lastBlockX ? work_->lastBlockCellsX : work_->blockCellsX),
                               lo[1] + (by == work_->lastBlockY ? work_->lastBlockCellsY : work_->blockCellsY),
                               lo[2] + (bz == work_->lastBlockZ ? work_->lastBlockCellsZ : work_->blockCellsZ)};
            ASSERT_EQ(1, PrepareWorkFaceBuffers(work_));
            GetGlRecorder().calls.clear();
            EXPECT_EQ(Counts(0)[b], TessellateWorkBlock(work_, wire, lo[0], hi[0], lo[1], hi[1], lo[2], hi[2], list.first));
            FreeWorkFaceBuffers();
            EXPECT_TRUE(CallsPerList(GetGlRecorder().calls)[list.first] == list.second) << "block " << b << " wire " << wire;
        }
    }
    g_WorkDisplayStyle = 0;
}

TEST_F(WorkDisplayTest, UncutBoxFacesMergeIntoOneRectanglePerFace)
{
    BuildBox(work_, 1, 2.0, true);
    ASSERT_EQ(1, work_->blockCount);
    ASSERT_EQ(1, PrepareWorkFaceBuffers(work_));
    const unsigned name = WorkBlockListName(kListBase, 0, 0, 0);
    EXPECT_EQ(6, TessellateWorkBlock(work_, 0, 0, work_->cellCountX, 0, work_->cellCountY, 0, work_->cellCountZ, name));
    EXPECT_EQ(1u, ListNames("newList").size());
    EXPECT_EQ(36u, RecordedCalls("vertex").size());
    // The top face: counter-clockwise seen from above, normal +Z.
    const std::vector<GlCall> normals = RecordedCalls("normal");
    ASSERT_EQ(6u, normals.size());
    EXPECT_EQ((std::vector<double>{0, 0, 1}), normals[1].values);

    // Wire mode: each rectangle a line loop through V0, V1, V3, V2, V3, V1.
    FreeWorkFaceBuffers();
    ASSERT_EQ(1, PrepareWorkFaceBuffers(work_));
    GetGlRecorder().calls.clear();
    EXPECT_EQ(6, TessellateWorkBlock(work_, 1, 0, work_->cellCountX, 0, work_->cellCountY, 0, work_->cellCountZ, name));
    EXPECT_EQ(6u, RecordedCalls("begin").size());
    EXPECT_EQ(double(UI_GL_LINE_LOOP), RecordedCalls("begin")[0].values[0]);
    const std::vector<GlCall> v = RecordedCalls("vertex");
    // Face 4 (Z min) first: V0 = (a_j, b_J), V1 = (a_j, b_r) with P = X, K = Y.
    EXPECT_EQ((std::vector<double>{40, 40, 0}), v[0].values);
    EXPECT_EQ((std::vector<double>{40, 0, 0}), v[1].values);
    EXPECT_EQ(v[2].values, v[4].values);
    EXPECT_EQ(v[1].values, v[5].values);
    FreeWorkFaceBuffers();
}

TEST_F(WorkDisplayTest, PaintedCellsHiddenPensAndEmptyBlocks)
{
    BuildBox(work_, 1, 2.0, true);
    // Paint the top end of one Z ray in the middle: its four cells leave the merged top face.
    DexelFamily* fz = &work_->familyZ;
    const int middle = 10 + 10 * work_->nodeCountX;
    fz->attributes[size_t(middle) * fz->capacity + 1] |= 1;
    ASSERT_EQ(1, PrepareWorkFaceBuffers(work_));
    const unsigned name = WorkBlockListName(kListBase, 0, 0, 0);
    const int count = TessellateWorkBlock(work_, 0, 0, work_->cellCountX, 0, work_->cellCountY, 0, work_->cellCountZ, name);
    EXPECT_GT(count, 6);
    FreeWorkFaceBuffers();

    // Everything of pen 0 hidden: no list, count 0.
    g_PenColourFlags[0] = 0;
    GetGlRecorder().calls.clear();
    fz->attributes[size_t(middle) * fz->capacity + 1] &= uint8_t(~1);
    ASSERT_EQ(1, PrepareWorkFaceBuffers(work_));
    EXPECT_EQ(0, TessellateWorkBlock(work_, 0, 0, work_->cellCountX, 0, work_->cellCountY, 0, work_->cellCountZ, name));
    EXPECT_TRUE(RecordedCalls("newList").empty());
    g_PenColourFlags[0] = 1;

    // No material on any X ray: -1, and the block is never tessellated again at that level.
    DexelFamily* families[3] = {&work_->familyX, &work_->familyY, &work_->familyZ};
    for (DexelFamily* f : families)
        for (int d = 0; d < f->rayCount; d++) f->counts[d] = 0;
    FreeWorkFaceBuffers();
    ASSERT_EQ(1, PrepareWorkFaceBuffers(work_));
    EXPECT_EQ(-1, TessellateWorkBlock(work_, 0, 0, work_->cellCountX, 0, work_->cellCountY, 0, work_->cellCountZ, name));
    FreeWorkFaceBuffers();
    MarkWorkBlocksForRebuild();
    Redraw();
    EXPECT_EQ(-1, Counts(0)[0]);
    MarkWorkBlocksForRebuild();
    Redraw();
    EXPECT_TRUE(RecordedCalls("newList").empty());
    EXPECT_EQ(0, work_->changedBlocks[0]);
}

TEST_F(WorkDisplayTest, PointStylesAndTrianglePens)
{
    BuildBox(work_, 1, 2.0, true);
    struct Case { int style; double zoom; double size; size_t points; };
    const size_t x = size_t(work_->rayCountX) * 2, y = size_t(work_->rayCountY) * 2, z = size_t(work_->rayCountZ) * 2;
    for (const Case& c : {Case{2, 3.0, 2.0, x}, Case{3, 10.0, 5.0, y}, Case{4, 1.0, 2.0, z}, Case{5, 1.0, 2.0, x + y + z}}) {
        g_WorkDisplayStyle = c.style;
        g_ViewZoom = c.zoom;
        Redraw();
        ASSERT_EQ(1u, RecordedCalls("pointSize").size());
        EXPECT_EQ(c.size, RecordedCalls("pointSize")[0].values[0]) << c.style;
        EXPECT_EQ(c.points, RecordedCalls("vertex").size()) << c.style;
        EXPECT_EQ(double(WorkBlockListName(kListBase, 0, 0, 999)), ListNames("newList").at(0));
    }
    g_WorkDisplayStyle = 0;
    g_ViewZoom = 1.0;
    // The work display off: nothing is built and the request stays.
    g_WorkDisplayMode = PART_DISPLAY_OFF;
    g_WorkListRebuild[0] = 1;
    DrawWorkModel(work_);
    EXPECT_EQ(1, g_WorkListRebuild[0]);

    struct Pens { int a, b, c, pen; };
    for (const Pens& p : {Pens{3, 3, 5, 3}, Pens{3, 5, 7, 0}, Pens{0, 4, 4, 0}, Pens{5, 3, 3, 3}, Pens{6, 2, 6, 6}})
        EXPECT_EQ(p.pen, GetTrianglePen(uint8_t(p.a << 4), uint8_t(p.b << 4 | 1), uint8_t(p.c << 4))) << p.a << p.b << p.c;
}

}  // namespace
