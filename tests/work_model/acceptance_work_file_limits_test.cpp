// Acceptance checks of the ".DME" reader's limits (even counts up to 10,000 ends, ends never below
// the end before them, judged on the stored ends before they are fitted to the grid) and of the
// compressed formats' promise never to touch a user's own "tmp.dme" / "tmp.dmf" in the current folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "work_model/compressed_work_files.h"
#include "work_model/work_creation.h"
#include "work_model/work_files.h"
#include "work_file_test_support.h"

namespace {

const double kNoOrigin[3] = {0, 0, 0};
const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

template <typename T>
void Put(std::vector<uint8_t>* out, T value)
{
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out->insert(out->end(), bytes, bytes + sizeof(T));
}

// A "V1.0M" file of 2 x 2 x 2 nodes at pitch 1 from the origin (every axis 0..1). Every ray holds
// [0, 1] except Z-ray 1, which holds `ends`.
std::vector<uint8_t> MakeDme(const std::vector<double>& ends)
{
    const char header[] = "V1.0M       ";
    std::vector<uint8_t> out(header, header + 12);
    for (int k = 0; k < 9; k++) Put<double>(&out, kIdentity[k]);
    for (int k = 0; k < 3; k++) Put<double>(&out, 0.0);
    for (int k = 0; k < 3; k++) Put<int32_t>(&out, 2);
    Put<double>(&out, 1.0);
    for (int k = 0; k < 3; k++) Put<double>(&out, 0.0);
    for (int family = 0; family < 3; family++)
        for (int d = 0; d < 4; d++) {
            const std::vector<double> ray = (family == 0 && d == 1) ? ends : std::vector<double>{0, 1};
            Put<int32_t>(&out, int32_t(ray.size()));
            for (double e : ray) Put<double>(&out, e);
            for (size_t e = 0; e < ray.size(); e++) out.push_back(0);
            for (size_t e = 0; e < ray.size(); e++) Put<int32_t>(&out, 0);
        }
    return out;
}

int LoadBytes(WorkModel* work, const std::vector<uint8_t>& bytes)
{
    return LoadWorkModelFromBuffer(nullptr, work, bytes.data(), bytes.size(), WORK_CONTENT_DME, nullptr, nullptr);
}

TEST(DmeLimits, CountsAndOrderAreJudgedOnTheStoredEnds)
{
    struct Case {
        const char* what;
        std::vector<double> ends;
        int result;
    };
    std::vector<double> tenThousand, tenThousandTwo;
    for (int e = 0; e < 10000; e++) tenThousand.push_back(e * 1e-4);
    for (int e = 0; e < 10002; e++) tenThousandTwo.push_back(e * 1e-5);
    const Case cases[] = {
        {"equal ends", {0.5, 0.5}, 1},
        {"equal inner ends", {0.0, 0.25, 0.25, 1.0}, 1},
        {"10,000 ends", tenThousand, 1},
        {"10,002 ends", tenThousandTwo, WORK_FILE_DATA_ERROR},
        {"one end", {0.5}, WORK_FILE_DATA_ERROR},
        {"descending pair", {0.75, 0.25}, WORK_FILE_DATA_ERROR},
        {"descending pair below the grid", {-3.0, -5.0}, WORK_FILE_DATA_ERROR},
        {"descending pair above the grid", {5.0, 3.0}, WORK_FILE_DATA_ERROR},
        {"descending inner ends", {0.0, 0.6, 0.4, 1.0}, WORK_FILE_DATA_ERROR},
    };
    for (const Case& c : cases) {
        WorkHolder w;
        EXPECT_EQ(LoadBytes(&w.work, MakeDme(c.ends)), c.result) << c.what;
        if (c.result == 1) {
            EXPECT_EQ(w.work.familyZ.counts[1], int(c.ends.size())) << c.what;
        } else {
            EXPECT_EQ(w.work.nodeCountX, 0) << c.what;
            EXPECT_EQ(w.work.familyZ.counts, nullptr) << c.what;
        }
    }
    // The corners come from the stored ends, before they are fitted to the grid.
    WorkHolder below;
    ASSERT_EQ(LoadBytes(&below.work, MakeDme({-5.0, -3.0})), 1);
    EXPECT_EQ(below.work.minCorner[2], -5.0);
    EXPECT_EQ(below.work.maxCorner[2], 1.0);
    WorkHolder many;
    ASSERT_EQ(LoadBytes(&many.work, MakeDme(tenThousand)), 1);
    EXPECT_EQ(RayEnds(many.work.familyZ, 1), tenThousand);
}

// Intervals are clipped to the grid (Z from 0 to 1): those wholly outside, or left without length,
// are dropped; a loaded work saves to a file that loads back the same.
TEST(DmeLimits, IntervalsAreClippedToTheGridAndSaveBackAsLoaded)
{
    struct Case {
        const char* what;
        std::vector<double> ends, kept;
    };
    const Case cases[] = {
        {"whole ray below the grid", {-5.0, -3.0}, {}},
        {"whole ray above the grid", {3.0, 5.0}, {}},
        {"touching the bottom from below", {-5.0, 0.0}, {}},
        {"touching the top from above", {1.0, 5.0}, {}},
        {"through the bottom", {-1.0, 0.5}, {0.0, 0.5}},
        {"through the top", {0.5, 3.0}, {0.5, 1.0}},
        {"through both", {-1.0, 2.0}, {0.0, 1.0}},
        {"outside pieces around an inner one", {-5.0, -3.0, 0.25, 0.75, 3.0, 5.0}, {0.25, 0.75}},
        {"equal ends inside", {0.5, 0.5}, {0.5, 0.5}},
        {"pieces meeting inside", {0.0, 0.25, 0.25, 1.0}, {0.0, 0.25, 0.25, 1.0}},
    };
    for (const Case& c : cases) {
        WorkHolder loaded, reloaded;
        ASSERT_EQ(LoadBytes(&loaded.work, MakeDme(c.ends)), 1) << c.what;
        EXPECT_EQ(RayEnds(loaded.work.familyZ, 1), c.kept) << c.what;
        std::vector<uint8_t> saved;
        ASSERT_EQ(SerializeWorkModelDme(&loaded.work, 0, 0, kIdentity, kNoOrigin, &saved), 1) << c.what;
        ASSERT_EQ(LoadBytes(&reloaded.work, saved), 1) << c.what;
        ExpectSameWork(loaded.work, reloaded.work);
    }
    // A ray longer than its inline slots whose pieces outside the grid are dropped.
    std::vector<double> longRay = {-9.0, -8.0, -7.0, -6.0, -5.0, -4.0, -3.0, -2.0, 0.25, 0.5, 2.0, 3.0};
    WorkHolder w;
    ASSERT_EQ(LoadBytes(&w.work, MakeDme(longRay)), 1);
    EXPECT_EQ(RayEnds(w.work.familyZ, 1), (std::vector<double>{0.25, 0.5}));
}

// Runs in a folder of its own that holds the user's "tmp.dme" and "tmp.dmf".
class CurrentFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(getcwd(previous_, sizeof previous_), nullptr);
        ASSERT_EQ(chdir(folder_.path.c_str()), 0);
        WriteBytes("tmp.dme", {'m', 'i', 'n', 'e'});
        WriteBytes("tmp.dmf", {'a', 'l', 's', 'o'});
    }
    void TearDown() override { EXPECT_EQ(chdir(previous_), 0); }
    void ExpectUserFilesUntouched()
    {
        EXPECT_EQ(ReadBytes("tmp.dme"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
        EXPECT_EQ(ReadBytes("tmp.dmf"), (std::vector<uint8_t>{'a', 'l', 's', 'o'}));
    }
    TempFolder folder_;
    char previous_[4096] = {};
};

TEST_F(CurrentFolderTest, CompressedSaveAndLoadLeaveTheUsersTemporaryNamesAlone)
{
    WorkHolder saved, loaded;
    const double box[6] = {0, 0, 0, 6, 5, 4};
    ASSERT_EQ(CreateBoxWorkIdentity(&saved.work, box, 0.5), 1);
    DecorateWork(&saved.work);
    ASSERT_EQ(SaveWorkModel(&saved.work, "work.dmez", 0, 0, 0, kIdentity, kNoOrigin), 1);
    ExpectUserFilesUntouched();
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &loaded.work, "work.dmez", 1, 0), 1);
    ExpectSameWork(saved.work, loaded.work);
    ASSERT_EQ(LoadWorkFileForCommand(nullptr, &loaded.work, "work.dmez", nullptr, nullptr), 1);
    ExpectSameWork(saved.work, loaded.work);
    ExpectUserFilesUntouched();
    // A height field compressed under ".DMFZ" loads, and a broken one is refused, both without
    // touching "tmp.dmf".
    ASSERT_EQ(CompressFile(FixturePath("uniform.dmf").c_str(), "field.dmfz"), 1);
    WorkHolder field;
    ASSERT_EQ(LoadWorkFileForCommand(nullptr, &field.work, "field.dmfz", nullptr, nullptr), 1);
    EXPECT_EQ(field.work.nodeCountX, 4);
    std::vector<uint8_t> broken = ReadBytes("field.dmfz");
    broken.resize(broken.size() / 2);
    WriteBytes("field.dmfz", broken);
    EXPECT_EQ(LoadWorkFileForCommand(nullptr, &field.work, "field.dmfz", nullptr, nullptr), WORK_FILE_DATA_ERROR);
    EXPECT_EQ(field.work.nodeCountX, 0);
    ExpectUserFilesUntouched();
    // Nothing else was left in the folder: the two user files, the work and the field.
    EXPECT_EQ(std::system("test $(ls -A | wc -l) -eq 4"), 0);
}

}  // namespace
