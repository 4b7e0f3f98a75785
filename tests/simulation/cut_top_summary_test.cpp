// The cutting kernel's summary of the Z-rays' material tops: after the kernel's own cuts (one
// thread, eight threads, positions cut together) every entry is the least float at or above its
// ray's top; after every other writer of ray storage the storage generation has moved and no
// summary still offered lies below a top, and the next cut finds the rays as a fresh work does.
// Material stored where the cuts left the X-rays a gap is cut again by the next pass, along Z and
// under a tilted tool.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "simulation/cut_sweeps.h"
#include "tests/simulation/cut_test_support.h"
#include "work_model/dexel_cleaning.h"
#include "work_model/undo_levels.h"
#include "work_model/work_files.h"

namespace {

const double kLow[3] = {0.0, 0.0, 0.0};
const double kHigh[3] = {20.0, 20.0, 10.0};
const double kPitch = 0.25;
const double kAlongZ[3] = {0.0, 0.0, 1.0};
const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const double kNoOrigin[3] = {0, 0, 0};

// The box with `levels` undo levels, ready to be cut by a D6 ball.
void BuildBox(WorkModel* work, int levels)
{
    *work = WorkModel{};
    for (int k = 0; k < 3; k++) (&work->nodeCountX)[k] = int(std::lround((kHigh[k] - kLow[k]) / kPitch)) + 1;
    work->pitch = kPitch;
    work->rotation[0] = work->rotation[4] = work->rotation[8] = 1.0;
    work->inverseRotation[0] = work->inverseRotation[4] = work->inverseRotation[8] = 1.0;
    ASSERT_EQ(SetUpWorkGrid(work), 1);
    work->undoLevels = levels;
    ASSERT_EQ(AllocateWorkModelArrays(work), 1);
    DexelFamily* families[3] = {&work->familyX, &work->familyY, &work->familyZ};
    for (int axis = 0; axis < 3; axis++) {
        const double ends[2] = {kLow[axis], kHigh[axis]};
        DexelFamily* f = families[axis];
        for (int d = 0; d < f->rayCount; d++)
            ASSERT_EQ(StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, ends, nullptr, nullptr, 2), 1);
    }
    PrepareWorkForCutting(work);
}

void MakeTool(int type, double diameter, double cornerRadius)
{
    ToolRecord tool = MakeToolRecord(type, diameter, cornerRadius, 15);
    ASSERT_EQ(MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 3), 1);
}

// A row of positions along X at height z (axis tilted by `tilt` degrees about Y), one by one or
// all together.
double CutRow(WorkModel* work, double y, double z, double tilt, bool together)
{
    const double a = tilt * 3.14159265358979323846 / 180.0;
    std::vector<std::array<double, 3>> tips, axes;
    for (double x = 4.0; x <= 16.0; x += 0.25) {
        tips.push_back({x, y, z});
        axes.push_back({std::sin(a), 0.0, std::cos(a)});
    }
    double volume = 0.0;
    if (together) {
        std::vector<CutPositionResult> results(tips.size());
        SetCutColourAndTag(9);
        CutWorkAtPositions(work, int(tips.size()), reinterpret_cast<const double(*)[3]>(tips.data()),
                           reinterpret_cast<const double(*)[3]>(axes.data()), results.data());
        for (const CutPositionResult& r : results) volume += r.removedVolume;
    } else {
        for (size_t k = 0; k < tips.size(); k++) volume += CutOnce(work, tips[k].data(), axes[k].data(), 9);
    }
    return volume;
}

// Every entry at or above its ray's top (any value for an empty ray); with exact, the least float
// at or above it and -inf for an empty ray.
void ExpectSummaryCoversTops(const WorkModel& work, const float* tops, bool exact)
{
    const DexelFamily& f = work.familyZ;
    int below = 0, loose = 0;
    for (int d = 0; d < f.rayCount; d++) {
        const int n = f.counts[d];
        if (n == 0) {
            if (exact && tops[d] != -HUGE_VALF) loose++;
            continue;
        }
        const double top = GetDexelEndsPointer(d, f.capacity, f.counts, f.ends)[n - 1];
        if (!(double(tops[d]) >= top))
            below++;
        else if (exact && !(double(std::nextafter(tops[d], -HUGE_VALF)) < top))
            loose++;
    }
    EXPECT_EQ(below, 0);
    EXPECT_EQ(loose, 0);
}

// FNV-1a hash of the Z-rays' counts and ends.
uint64_t HashZRays(const WorkModel& work)
{
    const DexelFamily& f = work.familyZ;
    uint64_t hash = 14695981039346656037ull;
    for (int d = 0; d < f.rayCount; d++) {
        const int n = f.counts[d];
        const double* e = GetDexelEndsPointer(d, f.capacity, f.counts, f.ends);
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(e);
        for (size_t k = 0; k < size_t(n) * sizeof(double); k++) hash = (hash ^ bytes[k]) * 1099511628211ull;
        hash = (hash ^ uint64_t(n)) * 1099511628211ull;
    }
    return hash;
}

class CutTopSummary : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetCutSettings();
        MakeTool(TOOL_BALL, 6, 3);
    }
    void TearDown() override
    {
        SetCuttingThreadCount(0);
        g_CutRaysPerThread = CUT_RAYS_PER_THREAD;
        SetCutSummaryPairsOnlyForTest(false);
        DestroyWorkModel(&work_);
    }
    WorkModel work_{};
};

TEST_F(CutTopSummary, FollowsTheKernelsCutsOnAnyThreadCountAndInPasses)
{
    struct Case {
        const char* name;
        int threads;
        bool together;
    };
    const Case cases[] = {{"one thread", 1, false}, {"eight threads", 8, false}, {"passes on eight threads", 8, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildBox(&work_, 1);
        SetCuttingThreadCount(c.threads);
        g_CutRaysPerThread = 16;
        // A ball and a flat along Z, then a tilted ball whose cuts reach the Z-rays by the other paths.
        MakeTool(TOOL_BALL, 6, 3);
        EXPECT_GT(CutRow(&work_, 8.0, 8.0, 0.0, c.together), 0.0);
        MakeTool(TOOL_FLAT, 6, 0);
        EXPECT_GT(CutRow(&work_, 10.0, 7.5, 0.0, c.together), 0.0);
        MakeTool(TOOL_BALL, 6, 3);
        EXPECT_GT(CutRow(&work_, 12.0, 7.0, 30.0, c.together), 0.0);
        const float* tops = GetZTopSummaryForTest(&work_);
        ASSERT_NE(tops, nullptr);
        ExpectSummaryCoversTops(work_, tops, true);
        DestroyWorkModel(&work_);
        EXPECT_EQ(GetZTopSummaryForTest(&work_), nullptr);
    }
}

TEST_F(CutTopSummary, EveryOtherWriterMovesTheGenerationAndTheNextCutSeesItsMaterial)
{
    // Each writer runs on the box (3 undo levels, level 1 cut by a row of the ball); `fresh` when
    // it leaves the uncut box, so that the next cut must give what it gives on a fresh box.
    struct Writer {
        const char* name;
        bool fresh;
        std::function<void(WorkModel*, const std::vector<uint8_t>&)> write;
    };
    const Writer writers[] = {
        {"store", false,
         [](WorkModel* w, const std::vector<uint8_t>&) {
             const double ends[2] = {0.0, 10.0};
             DexelFamily* f = &w->familyZ;
             const int d = 40 + 32 * w->nodeCountX;  // under the row cut
             ASSERT_EQ(StoreDexel(d, f->capacity, f->counts, f->ends, f->attributes, f->values, ends, nullptr, nullptr, 2), 1);
         }},
        {"store of a family", false,
         [](WorkModel* w, const std::vector<uint8_t>&) {
             const double ends[4] = {0.0, 2.0, 3.0, 10.0};
             ASSERT_EQ(StoreDexelOfFamily(w, 2, 41, 32, ends, nullptr, nullptr, 4), 1);
         }},
        {"undo step back", true, [](WorkModel* w, const std::vector<uint8_t>&) { StepUndoLevelBack(w); }},
        {"undo push", false, [](WorkModel* w, const std::vector<uint8_t>&) { ASSERT_EQ(PushUndoLevel(w), 1); }},
        {"load of a saved work", true,
         [](WorkModel* w, const std::vector<uint8_t>& saved) {
             ASSERT_EQ(LoadWorkModelDmeFromBuffer(w, saved.data(), saved.size(), nullptr), 1);
         }},
        {"rebuild", true,
         [](WorkModel* w, const std::vector<uint8_t>&) {
             DestroyWorkModel(w);
             BuildBox(w, 3);
         }},
        {"cleaning", false, [](WorkModel* w, const std::vector<uint8_t>&) { ASSERT_EQ(CleanConvertedWork(w, 0), 1); }},
    };
    // What one cut under the row gives on a fresh box, along Z and tilted (the tilted tool passes
    // over Z-rays on the summary by its own test).
    const double tip[3] = {10.0, 8.0, 7.5};
    const double tilted[3] = {0.5, 0.0, std::sqrt(0.75)};
    for (const double* axis : {kAlongZ, tilted}) {
        SCOPED_TRACE(axis == kAlongZ ? "along Z" : "tilted");
        BuildBox(&work_, 1);
        CutOnce(&work_, tip, axis);
        const uint64_t freshHash = HashZRays(work_);
        DestroyWorkModel(&work_);
        for (const Writer& writer : writers) {
            SCOPED_TRACE(writer.name);
            BuildBox(&work_, 3);
            std::vector<uint8_t> saved;
            ASSERT_EQ(SerializeWorkModelDme(&work_, 0, 0, kIdentity, kNoOrigin, &saved), 1);
            ASSERT_EQ(PushUndoLevel(&work_), 1);
            EXPECT_GT(CutRow(&work_, 8.0, 8.0, 0.0, false), 0.0);
            ASSERT_NE(GetZTopSummaryForTest(&work_), nullptr);
            const uint64_t generation = GetDexelStorageGeneration();
            writer.write(&work_, saved);
            EXPECT_NE(GetDexelStorageGeneration(), generation);
            if (const float* tops = GetZTopSummaryForTest(&work_)) ExpectSummaryCoversTops(work_, tops, false);
            PrepareWorkForCutting(&work_);
            CutOnce(&work_, tip, axis);
            const float* tops = GetZTopSummaryForTest(&work_);
            ASSERT_NE(tops, nullptr);
            ExpectSummaryCoversTops(work_, tops, true);
            if (writer.fresh) {
                EXPECT_EQ(HashZRays(work_), freshHash);
            }
            DestroyWorkModel(&work_);
        }
    }
}

TEST_F(CutTopSummary, TestsFourRaysAtATimeCutWhatPairsCut)
{
    // Rows of a ball along Z over rows already cut (most rays then lie below the sphere or beside
    // the reach, some only just), the summary tested four rays at a time where the processor can
    // and two at a time: the same rays and volumes.
    uint64_t hashes[2];
    double volumes[2];
    for (int pairs = 0; pairs < 2; pairs++) {
        SCOPED_TRACE(pairs);
        SetCutSummaryPairsOnlyForTest(pairs == 1);
        BuildBox(&work_, 1);
        volumes[pairs] = CutRow(&work_, 8.0, 8.0, 0.0, false) + CutRow(&work_, 9.0, 7.5, 0.0, false) +
                         CutRow(&work_, 8.6, 7.75, 0.0, false);
        hashes[pairs] = HashZRays(work_);
        ExpectSummaryCoversTops(work_, GetZTopSummaryForTest(&work_), true);
        DestroyWorkModel(&work_);
    }
    EXPECT_EQ(hashes[0], hashes[1]);
    EXPECT_EQ(volumes[0], volumes[1]);
}

TEST_F(CutTopSummary, RaysBesideABallAlongZKnowOnlyEmptyStretches)
{
    // The Y-rays a ball along Z passes on its row keep the stretch the tool left empty, and no
    // known stretch of an X- or Y-ray holds material: on one thread, on eight and in passes.
    const bool together[] = {false, false, true};
    const int threads[] = {1, 8, 8};
    for (int c = 0; c < 3; c++) {
        SCOPED_TRACE(c);
        BuildBox(&work_, 1);
        SetCuttingThreadCount(threads[c]);
        g_CutRaysPerThread = 16;
        EXPECT_GT(CutRow(&work_, 8.0, 8.0, 0.0, together[c]), 0.0);
        EXPECT_GT(CutRow(&work_, 9.5, 8.5, 0.0, together[c]), 0.0);
        for (int family = 0; family < 2; family++) {
            SCOPED_TRACE(family);
            const float* gaps = GetGapSummaryForTest(&work_, family);
            ASSERT_NE(gaps, nullptr);
            const DexelFamily& f = family == 0 ? work_.familyX : work_.familyY;
            int known = 0, holding = 0;
            for (int d = 0; d < f.rayCount; d++) {
                const double low = gaps[2 * d], high = gaps[2 * d + 1];
                if (!(low <= high)) continue;
                known++;
                const double* ends = GetDexelEndsPointer(d, f.capacity, f.counts, f.ends);
                for (int k = 0; k + 1 < f.counts[d]; k += 2) {
                    if (ends[k] < high && ends[k + 1] > low) holding++;
                }
            }
            if (family == 1) {
                EXPECT_GT(known, 100);
            }
            EXPECT_EQ(holding, 0);
        }
        DestroyWorkModel(&work_);
    }
}

TEST_F(CutTopSummary, MaterialStoredIntoAGapLeftByTheCutsIsCutByTheNextPass)
{
    // A row along X leaves the X-rays under it a gap along the row, and a row beside it passes over
    // the X-rays whose gap already holds its chords. Material stored into such a gap afterwards
    // (one X-ray under both rows filled again) is cut by the next pass of the second row as on a
    // ray never cut: on one thread and on eight.
    for (int threads : {1, 8}) {
        SCOPED_TRACE(threads);
        SetCuttingThreadCount(threads);
        g_CutRaysPerThread = threads > 1 ? 1 : CUT_RAYS_PER_THREAD;
        BuildBox(&work_, 1);
        EXPECT_GT(CutRow(&work_, 8.0, 8.0, 0.0, false), 0.0);
        EXPECT_GT(CutRow(&work_, 9.0, 8.0, 0.0, true), 0.0);
        const int i = 34, j = 38;  // the X-ray at y 8.5, z 9.5
        const double full[2] = {0.0, 20.0};
        ASSERT_EQ(StoreDexelOfFamily(&work_, 0, i, j, full, nullptr, nullptr, 2), 1);
        PrepareWorkForCutting(&work_);
        EXPECT_GT(CutRow(&work_, 9.0, 8.0, 0.0, false), 0.0);
        const DexelFamily& f = work_.familyX;
        const int d = i + j * work_.nodeCountY;
        const double* ends = GetDexelEndsPointer(d, f.capacity, f.counts, f.ends);
        ASSERT_EQ(f.counts[d], 4);
        EXPECT_LT(ends[1], 4.0 - 2.5);
        EXPECT_GT(ends[2], 16.0 + 2.5);
        DestroyWorkModel(&work_);
    }
}

TEST_F(CutTopSummary, MaterialStoredIntoAGapLeftByATiltedToolIsCutByTheNextPass)
{
    // A tilted tool's row along X leaves the X-rays (crossed obliquely) and the Y-rays (across its
    // axis) under it gaps, which a pass of a row beside it finds holding its chords. One X-ray and
    // one Y-ray under both rows filled again are cut by the next pass of the second row exactly as
    // on a work that only that pass cut.
    struct Case {
        const char* name;
        int type;
        double cornerRadius;
    };
    const Case cases[] = {{"bull", TOOL_BULL, 1.0}, {"flat", TOOL_FLAT, 0.0}};
    const int xRay[2] = {34, 38};  // y 8.5, z 9.5
    const int yRay[2] = {38, 40};  // z 9.5, x 10
    for (const Case& c : cases)
        for (int threads : {1, 8}) {
            SCOPED_TRACE(c.name);
            SCOPED_TRACE(threads);
            MakeTool(c.type, 6, c.cornerRadius);
            SetCuttingThreadCount(threads);
            g_CutRaysPerThread = threads > 1 ? 1 : CUT_RAYS_PER_THREAD;
            WorkModel fresh{};
            BuildBox(&fresh, 1);
            EXPECT_GT(CutRow(&fresh, 9.0, 8.0, 30.0, false), 0.0);
            BuildBox(&work_, 1);
            EXPECT_GT(CutRow(&work_, 8.0, 8.0, 30.0, false), 0.0);
            EXPECT_GT(CutRow(&work_, 9.0, 8.0, 30.0, true), 0.0);
            const double fullX[2] = {0.0, 20.0};
            ASSERT_EQ(StoreDexelOfFamily(&work_, 0, xRay[0], xRay[1], fullX, nullptr, nullptr, 2), 1);
            ASSERT_EQ(StoreDexelOfFamily(&work_, 1, yRay[0], yRay[1], fullX, nullptr, nullptr, 2), 1);
            PrepareWorkForCutting(&work_);
            EXPECT_GT(CutRow(&work_, 9.0, 8.0, 30.0, false), 0.0);
            const DexelFamily* cut[2] = {&work_.familyX, &work_.familyY};
            const DexelFamily* once[2] = {&fresh.familyX, &fresh.familyY};
            const int rays[2][2] = {{xRay[0], xRay[1]}, {yRay[0], yRay[1]}};
            const int firstCount[2] = {work_.nodeCountY, work_.nodeCountZ};
            for (int f = 0; f < 2; f++) {
                const int d = rays[f][0] + rays[f][1] * firstCount[f];
                const int n = cut[f]->counts[d];
                ASSERT_EQ(n, once[f]->counts[d]);
                const double* ends = GetDexelEndsPointer(d, cut[f]->capacity, cut[f]->counts, cut[f]->ends);
                const double* expected = GetDexelEndsPointer(d, once[f]->capacity, once[f]->counts, once[f]->ends);
                EXPECT_FALSE(n == 2 && ends[0] == 0.0 && ends[1] == 20.0) << "family " << f << " left uncut";
                for (int k = 0; k < n; k++) EXPECT_EQ(ends[k], expected[k]) << "family " << f << " end " << k;
            }
            DestroyWorkModel(&fresh);
            DestroyWorkModel(&work_);
        }
}

}  // namespace
