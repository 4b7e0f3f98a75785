// The ".DME" reader and writer, the ".DMF" reader and the entry points that choose between them.
#include "work_model/work_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/os/system_memory.h"
#include "platform/ui/message_box.h"
#include "work_model/matrix.h"
#include "work_model/work_creation.h"
#include "work_file_test_support.h"

namespace {

const double kNoOrigin[3] = {0, 0, 0};
const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

uint64_t CountEnds(const WorkModel& w)
{
    uint64_t ends = 0;
    const DexelFamily* families[3] = {&w.familyX, &w.familyY, &w.familyZ};
    for (const DexelFamily* f : families)
        for (int d = 0; d < f->rayCount; d++) ends += uint64_t(std::max(f->counts[d], 0));
    return ends;
}

void ExpectEmptyRecord(const WorkModel& w)
{
    EXPECT_EQ(w.nodeCountX, 0);
    EXPECT_EQ(w.coordinatesX, nullptr);
    EXPECT_EQ(w.levelCountsZ, nullptr);
    EXPECT_EQ(w.familyZ.counts, nullptr);
}

std::string HeaderOf(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.begin() + std::min<size_t>(12, bytes.size()));
}

TEST(DmeFile, BoxRoundTripKeepsEveryRayAndThePlacement)
{
    TempFolder folder;
    WorkHolder saved, loaded;
    const double box[6] = {0, 0, 0, 100, 100, 50};
    const double placement[12] = {0, 1, 0, -1, 0, 0, 0, 0, 1, 5, 6, 7};
    ASSERT_EQ(CreateBoxWork(&saved.work, box, placement, 1.0), 1);
    DecorateWork(&saved.work);
    const std::string path = folder.File("box.DME");
    ASSERT_EQ(SaveWorkModel(&saved.work, path.c_str(), 0, 0, 0, kIdentity, kNoOrigin), 1);
    const uint64_t rays = uint64_t(saved.work.rayCountX) + saved.work.rayCountY + saved.work.rayCountZ;
    EXPECT_EQ(uint64_t(GetFileSizeBytes(path.c_str())), 152 + 4 * rays + 13 * CountEnds(saved.work));
    EXPECT_EQ(HeaderOf(path), "V1.0M       ");
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &loaded.work, path.c_str(), 1.0, 0), 1);
    ExpectSameWork(saved.work, loaded.work);
    // Corners: the material box (0..100, 0..100, 0..50) placed by the 90-degree turn and shift.
    EXPECT_EQ(loaded.work.minCorner[0], -95.0);
    EXPECT_EQ(loaded.work.maxCorner[0], 5.0);
    EXPECT_EQ(loaded.work.minCorner[1], 6.0);
    EXPECT_EQ(loaded.work.maxCorner[1], 106.0);
    EXPECT_EQ(loaded.work.maxCorner[2], 57.0);
    EXPECT_EQ(loaded.work.inverseRotation[3], 1.0);
    EXPECT_EQ(loaded.work.inverseTranslation[0], -5.0);
    // The same content read from memory gives the same work.
    WorkHolder fromMemory;
    const std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_EQ(LoadWorkModelFromBuffer(nullptr, &fromMemory.work, bytes.data(), bytes.size(),
                                      WORK_CONTENT_DME, nullptr, nullptr), 1);
    ExpectSameWork(saved.work, fromMemory.work);
}

TEST(DmeFile, SizesOfEmptyAndOneRayWorks)
{
    TempFolder folder;
    WorkHolder w;
    const double box[6] = {0, 0, 0, 2, 2, 2};
    ASSERT_EQ(CreateBoxWorkIdentity(&w.work, box, 1.0), 1);
    DexelFamily* families[3] = {&w.work.familyX, &w.work.familyY, &w.work.familyZ};
    for (DexelFamily* f : families)
        for (int d = 0; d < f->rayCount; d++) f->counts[d] = 0;
    const std::string path = folder.File("empty.dme");
    ASSERT_EQ(SaveWorkModel(&w.work, path.c_str(), 0, 0, 0, kIdentity, kNoOrigin), 1);
    EXPECT_EQ(GetFileSizeBytes(path.c_str()), 260);
    w.work.familyZ.counts[4] = 2;
    ASSERT_EQ(SaveWorkModel(&w.work, path.c_str(), 0, 0, 0, kIdentity, kNoOrigin), 1);
    EXPECT_EQ(GetFileSizeBytes(path.c_str()), 286);
}

class WorkFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memcpy(savedRotation_, g_ActiveWorkRotation, sizeof savedRotation_);
        std::memcpy(savedInverse_, g_ActiveWorkInverseRotation, sizeof savedInverse_);
        std::memcpy(savedOrigin_, g_ActiveWorkOrigin, sizeof savedOrigin_);
        savedRotated_ = g_WorkCoordRotated;
        savedShifted_ = g_WorkOriginShifted;
        savedImport_ = g_ImportInWorkCoordinates;
    }
    void TearDown() override
    {
        std::memcpy(g_ActiveWorkRotation, savedRotation_, sizeof savedRotation_);
        std::memcpy(g_ActiveWorkInverseRotation, savedInverse_, sizeof savedInverse_);
        std::memcpy(g_ActiveWorkOrigin, savedOrigin_, sizeof savedOrigin_);
        g_WorkCoordRotated = savedRotated_;
        g_WorkOriginShifted = savedShifted_;
        g_ImportInWorkCoordinates = savedImport_;
    }
    // A work frame turned 30 degrees about Z and 10 about X, shifted to (12.5, -3, 40).
    void SetTurnedShiftedFrame()
    {
        const double a = 30.0 * M_PI / 180.0, b = 10.0 * M_PI / 180.0;
        const double turnZ[9] = {std::cos(a), std::sin(a), 0, -std::sin(a), std::cos(a), 0, 0, 0, 1};
        const double turnX[9] = {1, 0, 0, 0, std::cos(b), std::sin(b), 0, -std::sin(b), std::cos(b)};
        MultiplyMatrix3(turnZ, turnX, g_ActiveWorkRotation);
        InvertMatrix3(g_ActiveWorkRotation, g_ActiveWorkInverseRotation);
        const double origin[3] = {12.5, -3, 40};
        std::memcpy(g_ActiveWorkOrigin, origin, sizeof origin);
        g_WorkCoordRotated = 1;
        g_WorkOriginShifted = 1;
    }
    double savedRotation_[9], savedInverse_[9], savedOrigin_[3];
    int savedRotated_, savedShifted_, savedImport_;
};

TEST_F(WorkFrameTest, HeaderLetterFollowsTheSaveSettings)
{
    TempFolder folder;
    WorkHolder w, loaded;
    const double box[6] = {0, 0, 0, 3, 3, 3};
    ASSERT_EQ(CreateBoxWorkIdentity(&w.work, box, 1.0), 1);
    const std::string path = folder.File("frame.DME");
    const double shifted[3] = {1, 2, 3};
    ASSERT_EQ(SaveWorkModel(&w.work, path.c_str(), 0, 0, 0, kIdentity, shifted), 1);
    EXPECT_EQ(HeaderOf(path), "V1.0M       ");
    EXPECT_EQ(GetWorkFileKind(path.c_str()), 1);
    ASSERT_EQ(SaveWorkModel(&w.work, path.c_str(), 0, 1, 0, kIdentity, kNoOrigin), 1);
    EXPECT_EQ(HeaderOf(path), "V1.0N       ");
    EXPECT_EQ(GetWorkFileKind(path.c_str()), 3);
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &loaded.work, path.c_str(), 1.0, 0), 1);
    EXPECT_EQ(loaded.work.hasPlacement, 0);
    // Shifted only: translation minus the origin, rotation unchanged.
    ASSERT_EQ(SaveWorkModel(&w.work, path.c_str(), 0, 1, 0, kIdentity, shifted), 1);
    EXPECT_EQ(HeaderOf(path), "V1.0W       ");
    EXPECT_EQ(GetWorkFileKind(path.c_str()), 2);
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &loaded.work, path.c_str(), 1.0, 0), 1);
    EXPECT_EQ(loaded.work.translation[0], -1.0);
    EXPECT_EQ(loaded.work.translation[2], -3.0);
    std::memcpy(g_ActiveWorkOrigin, shifted, sizeof shifted);
    g_WorkCoordRotated = 0;
    const ImportFrame frame = GetActiveImportFrame(1);
    ASSERT_EQ(LoadWorkModelDme(&loaded.work, path.c_str(), &frame), 1);
    for (int k = 0; k < 3; k++) EXPECT_EQ(loaded.work.translation[k], 0.0);
    EXPECT_EQ(loaded.work.hasPlacement, 0);
    EXPECT_EQ(GetWorkFileKind(folder.File("missing.dme").c_str()), 0);
    EXPECT_EQ(GetWorkFileKind(FixturePath("old_header.dme").c_str()), 0);
}

TEST_F(WorkFrameTest, WorkFrameSaveRoundTripsUnderATurnedShiftedFrame)
{
    TempFolder folder;
    SetTurnedShiftedFrame();
    WorkHolder saved, loaded;
    const double c = std::cos(0.35), s = std::sin(0.35);
    const double placement[12] = {1, 0, 0, 0, c, s, 0, -s, c, -7.25, 3.5, 120.125};
    const double box[6] = {-5, -5, 0, 5, 5, 8};
    ASSERT_EQ(CreateBoxWork(&saved.work, box, placement, 0.5), 1);
    DecorateWork(&saved.work);
    const std::string path = folder.File("turned.dme");
    ASSERT_EQ(SaveWorkModel(&saved.work, path.c_str(), 0, 1, g_WorkCoordRotated,
                            g_ActiveWorkInverseRotation, g_ActiveWorkOrigin), 1);
    EXPECT_EQ(HeaderOf(path), "V1.0W       ");
    const ImportFrame frame = GetActiveImportFrame(1);
    ASSERT_EQ(LoadWorkModelDme(&loaded.work, path.c_str(), &frame), 1);
    ExpectSameWork(saved.work, loaded.work, false);
    for (int k = 0; k < 9; k++) EXPECT_NEAR(loaded.work.rotation[k], placement[k], 1e-12) << k;
    for (int k = 0; k < 3; k++) EXPECT_NEAR(loaded.work.translation[k], placement[9 + k], 1e-12) << k;
    EXPECT_EQ(loaded.work.hasPlacement, 1);
}

TEST_F(WorkFrameTest, HeightFieldInWorkCoordinatesTakesTheWorkFrame)
{
    const double origin[3] = {1, 2, 3};
    std::memcpy(g_ActiveWorkRotation, kIdentity, sizeof kIdentity);
    std::memcpy(g_ActiveWorkOrigin, origin, sizeof origin);
    g_ImportInWorkCoordinates = 1;
    WorkHolder w;
    const ImportFrame frame = GetActiveImportFrame(g_ImportInWorkCoordinates);
    double placement[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    ASSERT_EQ(LoadWorkModel(nullptr, &w.work, FixturePath("uniform.dmf").c_str(), placement, 1, 0, &frame), 1);
    EXPECT_EQ(w.work.translation[1], 2.0);
    EXPECT_EQ(w.work.hasPlacement, 1);
    EXPECT_EQ(w.work.minCorner[0], 11.0);  // corners in the machine frame
    EXPECT_EQ(w.work.maxCorner[2], 8.0);
}

TEST(DmeFile, HandMadeFilesLoadAsLaidOut)
{
    WorkHolder w;
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &w.work, FixturePath("old_header.dme").c_str(), 1, 0), 1);
    EXPECT_EQ(w.work.nodeCountX, 2);
    EXPECT_EQ(w.work.hasPlacement, 0);
    EXPECT_EQ(RayEnds(w.work.familyY, 3), (std::vector<double>{0, 1}));
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &w.work, FixturePath("lower_case_header.dme").c_str(), 1, 0), 1);
    EXPECT_EQ(w.work.translation[2], 30.0);
    EXPECT_EQ(w.work.maxCorner[1], 21.0);

    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &w.work, FixturePath("small_v10m.dme").c_str(), 1, 0), 1);
    EXPECT_EQ(w.work.pitch, 0.5);
    EXPECT_EQ(w.work.originZ, 3.0);
    EXPECT_EQ(RayEnds(w.work.familyZ, 4), (std::vector<double>{3.25, 3.75}));
    EXPECT_EQ(RayAttributes(w.work.familyZ, 4), (std::vector<int>{0x10, 0x21}));
    EXPECT_EQ(RayValues(w.work.familyZ, 4), (std::vector<int32_t>{7, -8}));
    EXPECT_EQ(RayEnds(w.work.familyZ, 0), (std::vector<double>{3.0, 3.5}));  // raised to the grid
    EXPECT_EQ(RayEnds(w.work.familyZ, 8), (std::vector<double>{3.5, 4.0}));  // lowered to the grid
    // Corners come from the ends before clamping.
    EXPECT_EQ(w.work.minCorner[2], 2.5);
    EXPECT_EQ(w.work.maxCorner[2], 4.5);
    ASSERT_EQ(w.work.familyY.counts[5], 10);
    EXPECT_NE(GetDexelEndsPointer(5, 8, w.work.familyY.counts, w.work.familyY.ends),
              w.work.familyY.ends + 5 * 8);
    EXPECT_EQ(RayValues(w.work.familyY, 5)[9], 109);
    EXPECT_EQ(w.work.familyX.counts[3], 0);  // a negative count reads as an empty ray
    // No X-ray material: the start values, boxed by BoundTransformedGrid.
    EXPECT_EQ(w.work.minCorner[0], -99999999999.0);
    EXPECT_EQ(w.work.maxCorner[0], 99999999999.0);
}

TEST(DmeFile, BrokenFilesAreRefusedWithAnEmptyRecord)
{
    const char* names[] = {"bad_odd_count.dme",         "bad_descending_ends.dme",
                           "bad_nan_end.dme",           "bad_count_above_limit.dme",
                           "bad_truncated.dme",         "bad_negative_nodes.dme",
                           "bad_huge_grid.dme",         "bad_flat.dmf",
                           "bad_short.dmf"};
    for (const char* name : names) {
        WorkHolder w;
        EXPECT_EQ(LoadWorkModelIdentity(nullptr, &w.work, FixturePath(name).c_str(), 1, 0),
                  WORK_FILE_DATA_ERROR) << name;
        ExpectEmptyRecord(w.work);
    }
}

TEST(DmeFile, EveryShorterPrefixIsRefused)
{
    const std::vector<uint8_t> bytes = ReadBytes(FixturePath("small_v10m.dme"));
    ASSERT_GT(bytes.size(), 152u);
    WorkHolder w;
    for (size_t size = 0; size < bytes.size(); size++) {
        EXPECT_EQ(LoadWorkModelFromBuffer(nullptr, &w.work, bytes.data(), size, WORK_CONTENT_DME,
                                          nullptr, nullptr), WORK_FILE_DATA_ERROR) << size;
        ExpectEmptyRecord(w.work);
    }
    EXPECT_EQ(LoadWorkModelFromBuffer(nullptr, &w.work, bytes.data(), bytes.size(),
                                      WORK_CONTENT_DME, nullptr, nullptr), 1);
}

TEST(DmeFile, MemoryLimitRefusesLargeGrids)
{
    SetWorkFileMemoryLimitForTest(1000);
    WorkHolder w;
    EXPECT_EQ(LoadWorkModelIdentity(nullptr, &w.work, FixturePath("small_v10m.dme").c_str(), 1, 0),
              WORK_GRID_OVER_MEMORY);
    SetWorkFileMemoryLimitForTest(0);
    ExpectEmptyRecord(w.work);
}

// The uniform height file with its cell and row counts replaced: a few hundred bytes asking for any grid.
std::vector<uint8_t> UniformDmfWithNodes(int32_t cellsX, int32_t rows)
{
    std::vector<uint8_t> bytes = ReadBytes(FixturePath("uniform.dmf"));
    std::memcpy(&bytes[112], &cellsX, 4);
    std::memcpy(&bytes[116], &rows, 4);
    return bytes;
}

TEST(DmfFile, GridBeyondTheMemoryIsRefusedBeforeAllocating)
{
    ASSERT_GT(GetPhysicalMemoryBytes(), 0u);
    EXPECT_EQ(GetWorkMemoryLimit(), GetPhysicalMemoryBytes());
    // 6000 x 6000 nodes take about 3.9 GB: refused at once on a machine of 1 GB, with a message.
    SetWorkFileMemoryLimitForTest(1u << 30);
    ClearShownMessageBoxes();
    const std::vector<uint8_t> big = UniformDmfWithNodes(6000, 6000);
    WorkHolder w;
    EXPECT_EQ(LoadWorkModelFromBuffer(nullptr, &w.work, big.data(), big.size(), WORK_CONTENT_DMF, nullptr, nullptr),
              WORK_GRID_OVER_MEMORY);
    ExpectEmptyRecord(w.work);
    ShownMessageBox shown;
    ASSERT_EQ(GetShownMessageBox(CountShownMessageBoxes() - 1, &shown), 1);
    EXPECT_NE(std::strstr(shown.text, "6000 x 6000 x 4"), nullptr) << shown.text;
    // A box work asked for by the settings is refused the same way.
    const double box[6] = {0, 0, 0, 6000, 6000, 3};
    EXPECT_EQ(CreateBoxWorkIdentity(&w.work, box, 1.0), WORK_GRID_OVER_MEMORY);
    ExpectEmptyRecord(w.work);
    SetWorkFileMemoryLimitForTest(0);
    // On the real machine: enough undo levels of a 16000 x 16000 grid pass any physical memory.
    const int32_t nodes[3] = {16000, 16000, 4};
    const uint64_t perLevel = EstimateWorkMemoryBytes(nodes, 1);
    const int32_t most[3] = {INT32_MAX, INT32_MAX, INT32_MAX};
    EXPECT_EQ(EstimateWorkMemoryBytes(most, 1000), UINT64_MAX);  // saturates, never wraps
    WorkHolder huge;
    huge.work.undoLevels = int(GetPhysicalMemoryBytes() / perLevel) + 1;
    const std::vector<uint8_t> bigger = UniformDmfWithNodes(16000, 16000);
    EXPECT_EQ(LoadWorkModelFromBuffer(nullptr, &huge.work, bigger.data(), bigger.size(), WORK_CONTENT_DMF,
                                      nullptr, nullptr), WORK_GRID_OVER_MEMORY);
    ExpectEmptyRecord(huge.work);
    // The original file still loads.
    const std::vector<uint8_t> small = UniformDmfWithNodes(4, 3);
    EXPECT_EQ(LoadWorkModelFromBuffer(nullptr, &w.work, small.data(), small.size(), WORK_CONTENT_DMF, nullptr, nullptr), 1);
}

TEST(WorkFilePaths, UnknownEndingsAndMissingFiles)
{
    TempFolder folder;
    WorkHolder w;
    const std::string text = folder.File("work.txt");
    WriteBytes(text, ReadBytes(FixturePath("small_v10m.dme")));
    EXPECT_EQ(LoadWorkModelIdentity(nullptr, &w.work, text.c_str(), 1, 0), WORK_FILE_DATA_ERROR);
    ExpectEmptyRecord(w.work);
    EXPECT_EQ(LoadWorkModelIdentity(nullptr, &w.work, folder.File("none.DME").c_str(), 1, 0),
              WORK_FILE_OPEN_FAILED);
    ExpectEmptyRecord(w.work);
    // The ending is compared without regard to case.
    const std::string mixed = folder.File("work.DmE");
    WriteBytes(mixed, ReadBytes(FixturePath("small_v10m.dme")));
    EXPECT_EQ(LoadWorkModelIdentity(nullptr, &w.work, mixed.c_str(), 1, 0), 1);
    // Saving under an unknown ending writes nothing and says so.
    const std::string out = folder.File("out.dmx");
    EXPECT_EQ(SaveWorkModel(&w.work, out.c_str(), 0, 0, 0, kIdentity, kNoOrigin), WORK_FILE_DATA_ERROR);
    EXPECT_EQ(DoesFileExist(out.c_str()), 0);
}

TEST(DmeFile, FailedSaveKeepsTheEarlierFile)
{
    TempFolder folder;
    WorkHolder w, empty;
    const double box[6] = {0, 0, 0, 3, 3, 3};
    ASSERT_EQ(CreateBoxWorkIdentity(&w.work, box, 1.0), 1);
    const std::string path = folder.File("keep.dme");
    WriteBytes(path, {1, 2, 3});
    // Nothing to save: refused, the earlier file untouched.
    EXPECT_EQ(SaveWorkModel(&empty.work, path.c_str(), 0, 0, 0, kIdentity, kNoOrigin),
              WORK_FILE_DATA_ERROR);
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{1, 2, 3}));
    // A folder that cannot exist (its parent is a file): reported, nothing written.
    const std::string impossible = path + "/inner.dme";
    EXPECT_EQ(SaveWorkModel(&w.work, impossible.c_str(), 0, 0, 0, kIdentity, kNoOrigin),
              WORK_FILE_WRITE_FAILED);
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{1, 2, 3}));
    // A successful save replaces it and leaves no temporary file beside it.
    ASSERT_EQ(SaveWorkModel(&w.work, path.c_str(), 0, 0, 0, kIdentity, kNoOrigin), 1);
    EXPECT_EQ(HeaderOf(path), "V1.0M       ");
    EXPECT_EQ(std::system(("test $(ls -A '" + folder.path + "' | wc -l) -eq 1").c_str()), 0);
}

TEST(DmfFile, UniformHeightFillsTheWholeGrid)
{
    WorkHolder w;
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &w.work, FixturePath("uniform.dmf").c_str(), 1, 0), 1);
    EXPECT_EQ(w.work.nodeCountX, 4);
    EXPECT_EQ(w.work.nodeCountY, 3);
    EXPECT_EQ(w.work.nodeCountZ, 4);
    EXPECT_EQ(w.work.originX, 10.0);
    EXPECT_EQ(w.work.originY, 20.0);
    EXPECT_EQ(w.work.originZ, 2.0);
    for (int d = 0; d < 12; d++) {
        EXPECT_EQ(RayEnds(w.work.familyZ, d), (std::vector<double>{2, 5}));
        EXPECT_EQ(RayAttributes(w.work.familyZ, d), (std::vector<int>{0, 0x31}));
        EXPECT_EQ(RayValues(w.work.familyZ, d), (std::vector<int32_t>{0, 77}));
    }
    for (int d = 0; d < w.work.rayCountY; d++)
        EXPECT_EQ(RayEnds(w.work.familyY, d), (std::vector<double>{20, 22}));
    for (int d = 0; d < w.work.rayCountX; d++)
        EXPECT_EQ(RayEnds(w.work.familyX, d), (std::vector<double>{10, 13}));
    EXPECT_EQ(w.work.minCorner[2], 2.0);
    EXPECT_EQ(w.work.maxCorner[0], 13.0);
    EXPECT_EQ(w.work.maxCorner[2], 5.0);
}

TEST(DmfFile, ColourModesGiveTheSameRaysAndTheirValues)
{
    const char* names[] = {"colour0.dmf", "colour1.dmf", "colour2.dmf"};
    for (int mode = 0; mode < 3; mode++) {
        WorkHolder w;
        ASSERT_EQ(LoadWorkModelIdentity(nullptr, &w.work, FixturePath(names[mode]).c_str(), 1, 0), 1);
        // Matrix not the identity: origin from m3, m7.
        EXPECT_EQ(w.work.originX, -1.0);
        EXPECT_EQ(w.work.originY, -2.0);
        EXPECT_EQ(w.work.nodeCountZ, 4);
        EXPECT_EQ(RayEnds(w.work.familyZ, 2), (std::vector<double>{0, 3}));
        EXPECT_EQ(RayAttributes(w.work.familyZ, 2), (std::vector<int>{0, 0}));
        const int32_t expected = mode == 2 ? 13 : 0;
        EXPECT_EQ(RayValues(w.work.familyZ, 2), (std::vector<int32_t>{0, expected}));
        if (mode == 2) {
            EXPECT_EQ(RayValues(w.work.familyZ, 5)[1], -16);
        }
        // X-rays j + k * 2 (rows 1 2 3 and 3 2 1 over x = -1, 0, 1).
        EXPECT_EQ(RayEnds(w.work.familyX, 0 + 0 * 2), (std::vector<double>{-1, 1}));
        EXPECT_EQ(RayEnds(w.work.familyX, 0 + 2 * 2), (std::vector<double>{0, 1}));
        EXPECT_EQ(RayEnds(w.work.familyX, 0 + 3 * 2), (std::vector<double>{1, 1}));
        EXPECT_EQ(RayEnds(w.work.familyX, 1 + 2 * 2), (std::vector<double>{-1, 0}));
        // Y-rays k + i * 4: x0's profile 1, 3 over y = -2, -1 at z = 2.
        EXPECT_EQ(RayEnds(w.work.familyY, 2 + 0 * 4), (std::vector<double>{-1.5, -1}));
        EXPECT_EQ(w.work.familyY.values[(2 + 0 * 4) * 8 + 1], 0);
    }
}

TEST(DmfFile, ScaledIntegerHeightsUseFloatPrecision)
{
    WorkHolder w;
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &w.work, FixturePath("scaled.dmf").c_str(), 1, 0), 1);
    const double baseFloat = double(float(3 * 0.1));
    EXPECT_EQ(w.work.originZ, 3 * 0.1);  // the double product
    EXPECT_EQ(w.work.nodeCountZ, 9);     // ceil((4 - 0.3f) / 0.5) + 1
    EXPECT_EQ(RayEnds(w.work.familyZ, 0), (std::vector<double>{baseFloat, double(float(30 * 0.1))}));
    EXPECT_EQ(RayEnds(w.work.familyZ, 3), (std::vector<double>{baseFloat, 4.0}));
    EXPECT_EQ(w.work.minCorner[2], baseFloat);
    EXPECT_EQ(w.work.maxCorner[2], 4.0);
}

TEST(DmfFile, CellBelowTheBaseLeavesAnEmptyColumn)
{
    WorkHolder w;
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &w.work, FixturePath("below_base.dmf").c_str(), 1, 0), 1);
    EXPECT_EQ(w.work.familyZ.counts[1], 0);
    EXPECT_EQ(RayEnds(w.work.familyZ, 0), (std::vector<double>{2, 4}));
    // X-ray of row y0 at z = 2: the profile 4, 1 falls through the level at x = 2/3.
    const std::vector<double> ends = RayEnds(w.work.familyX, 0 + 0 * 2);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[0], 0.0);
    EXPECT_DOUBLE_EQ(ends[1], 2.0 / 3.0);
}

}  // namespace
