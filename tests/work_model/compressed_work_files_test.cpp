// Compressed work files: whole-file compression, the content test, and the load and save steps of
// the work-file commands on ".DMEZ" / ".DMFZ" and on compressed content under other names.
#include "work_model/compressed_work_files.h"

#include <gtest/gtest.h>

#include <cstring>

#include "machine_setup/controller/work_coordinates.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/os/lzms_buffer.h"
#include "work_model/work_creation.h"
#include "work_model/work_files.h"
#include "work_file_test_support.h"

namespace {

const double kNoOrigin[3] = {0, 0, 0};
const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

void MakeDecoratedBox(WorkModel* work)
{
    const double box[6] = {0, 0, 0, 20, 15, 10};
    ASSERT_EQ(CreateBoxWorkIdentity(work, box, 0.5), 1);
    DecorateWork(work);
}

TEST(CompressedWorkFiles, SavedDmezLoadsBackIdentical)
{
    TempFolder folder;
    WorkHolder saved, loaded;
    MakeDecoratedBox(&saved.work);
    const std::string path = folder.File("work.DMEZ");
    ASSERT_EQ(SaveWorkModel(&saved.work, path.c_str(), 0, 0, 0, kIdentity, kNoOrigin), 1);
    const std::vector<uint8_t> packed = ReadBytes(path);
    ASSERT_FALSE(packed.empty());
    EXPECT_EQ(packed[0], 0x0A);
    EXPECT_EQ(IsCompressedFile(path.c_str()), 1);
    // The content is exactly the ".DME" the plain writer makes.
    std::vector<uint8_t> content, plain;
    ASSERT_EQ(DecompressLzmsBuffer(packed.data(), packed.size(), &content), LZMS_OK);
    ASSERT_EQ(SerializeWorkModelDme(&saved.work, 0, 0, kIdentity, kNoOrigin, &plain), 1);
    EXPECT_EQ(content, plain);
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &loaded.work, path.c_str(), 1, 0), 1);
    ExpectSameWork(saved.work, loaded.work);
    ASSERT_EQ(LoadWorkFileForCommand(nullptr, &loaded.work, path.c_str(), nullptr, nullptr), 1);
    ExpectSameWork(saved.work, loaded.work);
}

TEST(CompressedWorkFiles, ContentDecidesNotTheName)
{
    TempFolder folder;
    WorkHolder saved, loaded;
    MakeDecoratedBox(&saved.work);
    // Compressed content under a ".DME" name still loads.
    const std::string packedDme = folder.File("packed.dme");
    ASSERT_EQ(SaveWorkModelCompressed(&saved.work, packedDme.c_str(), 0, 0, kIdentity, kNoOrigin), 1);
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &loaded.work, packedDme.c_str(), 1, 0), 1);
    ExpectSameWork(saved.work, loaded.work);
    ASSERT_EQ(LoadWorkFileForCommand(nullptr, &loaded.work, packedDme.c_str(), nullptr, nullptr), 1);
    ExpectSameWork(saved.work, loaded.work);
    // Plain content under a ".DMEZ" / ".DMFZ" name is refused ("Broken Data?").
    const std::string plainDmez = folder.File("plain.dmez");
    ASSERT_EQ(SaveWorkModel(&saved.work, folder.File("plain.dme").c_str(), 0, 0, 0, kIdentity,
                            kNoOrigin), 1);
    WriteBytes(plainDmez, ReadBytes(folder.File("plain.dme")));
    EXPECT_EQ(LoadWorkModelIdentity(nullptr, &loaded.work, plainDmez.c_str(), 1, 0),
              WORK_FILE_NOT_COMPRESSED);
    EXPECT_EQ(loaded.work.nodeCountX, 0);
    EXPECT_EQ(LoadWorkFileForCommand(nullptr, &loaded.work, plainDmez.c_str(), nullptr, nullptr),
              WORK_FILE_NOT_COMPRESSED);
    const std::string plainDmfz = folder.File("plain.DMFZ");
    WriteBytes(plainDmfz, ReadBytes(FixturePath("uniform.dmf")));
    EXPECT_EQ(LoadWorkFileForCommand(nullptr, &loaded.work, plainDmfz.c_str(), nullptr, nullptr),
              WORK_FILE_NOT_COMPRESSED);
}

TEST(CompressedWorkFiles, CompressedHeightFieldLoads)
{
    TempFolder folder;
    const std::string packed = folder.File("field.dmfz");
    ASSERT_EQ(CompressFile(FixturePath("colour2.dmf").c_str(), packed.c_str()), 1);
    WorkHolder a, b;
    ASSERT_EQ(LoadWorkFileForCommand(nullptr, &a.work, packed.c_str(), nullptr, nullptr), 1);
    ASSERT_EQ(LoadWorkModelIdentity(nullptr, &b.work, FixturePath("colour2.dmf").c_str(), 1, 0), 1);
    ExpectSameWork(a.work, b.work);
}

TEST(CompressedWorkFiles, CorruptCompressedFilesAreRefused)
{
    TempFolder folder;
    WorkHolder saved, loaded;
    MakeDecoratedBox(&saved.work);
    const std::string path = folder.File("work.dmez");
    ASSERT_EQ(SaveWorkModel(&saved.work, path.c_str(), 0, 0, 0, kIdentity, kNoOrigin), 1);
    const std::vector<uint8_t> good = ReadBytes(path);
    std::vector<std::vector<uint8_t>> broken;
    broken.push_back(std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2));
    broken.push_back(std::vector<uint8_t>(good.begin(), good.begin() + 10));
    std::vector<uint8_t> flipped = good;
    for (size_t i = 40; i < flipped.size(); i += 7) flipped[i] ^= 0x5A;
    broken.push_back(flipped);
    broken.push_back({0x0A});
    for (const std::vector<uint8_t>& bytes : broken) {
        WriteBytes(path, bytes);
        EXPECT_EQ(LoadWorkModelIdentity(nullptr, &loaded.work, path.c_str(), 1, 0),
                  WORK_FILE_DATA_ERROR) << bytes.size();
        EXPECT_EQ(loaded.work.nodeCountX, 0);
        EXPECT_EQ(loaded.work.coordinatesX, nullptr);
        EXPECT_EQ(LoadWorkFileForCommand(nullptr, &loaded.work, path.c_str(), nullptr, nullptr),
                  WORK_FILE_DATA_ERROR);
        EXPECT_EQ(loaded.work.nodeCountX, 0);
    }
}

TEST(CompressedWorkFiles, WholeFileCompressionAndTheContentTest)
{
    TempFolder folder;
    const std::string source = FixturePath("small_v10m.dme");
    const std::string packed = folder.File("a.dmez"), unpacked = folder.File("b.dme");
    EXPECT_EQ(CheckCompressionApi(), 1);
    EXPECT_EQ(CheckCompressionApi(), 1);
    ASSERT_EQ(CompressFile(source.c_str(), packed.c_str()), 1);
    ASSERT_EQ(DecompressFile(packed.c_str(), unpacked.c_str()), 1);
    EXPECT_EQ(ReadBytes(unpacked), ReadBytes(source));
    EXPECT_EQ(IsCompressedFile(packed.c_str()), 1);
    EXPECT_EQ(IsCompressedFile(source.c_str()), 0);
    EXPECT_EQ(IsCompressedFile(folder.File("missing").c_str()), 0);
    WriteBytes(folder.File("empty"), {});
    EXPECT_EQ(IsCompressedFile(folder.File("empty").c_str()), 0);
    EXPECT_EQ(CompressFile(folder.File("missing").c_str(), packed.c_str()), -2);
    // A corrupt source leaves an existing destination as it was.
    WriteBytes(unpacked, {7, 7, 7});
    WriteBytes(folder.File("bad.dmez"), {0x0A, 0x51, 0xE5, 0xC0, 1, 2, 3});
    testing::internal::CaptureStdout();
    EXPECT_EQ(DecompressFile(folder.File("bad.dmez").c_str(), unpacked.c_str()), -2);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Cannot decompress data:"), std::string::npos);
    EXPECT_EQ(ReadBytes(unpacked), (std::vector<uint8_t>{7, 7, 7}));
}

TEST(CompressedWorkFiles, FailedCompressedSaveKeepsTheEarlierFile)
{
    TempFolder folder;
    WorkHolder empty;
    const std::string path = folder.File("keep.dmez");
    WriteBytes(path, {9, 9});
    EXPECT_EQ(SaveWorkModelCompressed(&empty.work, path.c_str(), 0, 0, kIdentity, kNoOrigin),
              WORK_FILE_DATA_ERROR);
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{9, 9}));
    WorkHolder w;
    MakeDecoratedBox(&w.work);
    EXPECT_EQ(SaveWorkModel(&w.work, (path + "/inner.dmez").c_str(), 0, 0, 0, kIdentity, kNoOrigin),
              WORK_FILE_WRITE_FAILED);
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{9, 9}));
    // The files of the current folder are never touched: no "tmp.dme" is made or removed.
    EXPECT_EQ(std::system(("cd '" + folder.path + "' && test $(ls -A | wc -l) -eq 1").c_str()), 0);
}

int s_chooserCalls = 0;
int ChooseMachineCoordinates(int kind, int proposed)
{
    s_chooserCalls++;
    EXPECT_EQ(kind, 2);
    EXPECT_EQ(proposed, 1);
    return 0;
}

TEST(CompressedWorkFiles, CommandLoadUsesThePlacementLetterUnderAShiftedFrame)
{
    TempFolder folder;
    double savedOrigin[3];
    std::memcpy(savedOrigin, g_ActiveWorkOrigin, sizeof savedOrigin);
    const int savedShifted = g_WorkOriginShifted, savedRotated = g_WorkCoordRotated;
    const int savedImport = g_ImportInWorkCoordinates, savedSelect = g_DmeSelect;
    const double origin[3] = {100, 0, -50};
    std::memcpy(g_ActiveWorkOrigin, origin, sizeof origin);
    g_WorkOriginShifted = 1;
    g_WorkCoordRotated = 0;

    WorkHolder saved, loaded;
    MakeDecoratedBox(&saved.work);
    const std::string path = folder.File("frame.dmez");
    ASSERT_EQ(SaveWorkModel(&saved.work, path.c_str(), 0, 1, 0, kIdentity, g_ActiveWorkOrigin), 1);
    g_ImportInWorkCoordinates = 0;
    const ImportFrame frame = GetActiveImportFrame(g_ImportInWorkCoordinates);
    ASSERT_EQ(LoadWorkFileForCommand(nullptr, &loaded.work, path.c_str(), nullptr, &frame), 1);
    EXPECT_EQ(g_ImportInWorkCoordinates, 1);  // "V1.0W" proposes work coordinates
    ExpectSameWork(saved.work, loaded.work);
    // With "DME SELECT" on, the chooser decides: machine coordinates keep the stored placement.
    g_DmeSelect = 1;
    ASSERT_EQ(LoadWorkFileForCommand(nullptr, &loaded.work, path.c_str(), ChooseMachineCoordinates, &frame), 1);
    EXPECT_EQ(s_chooserCalls, 1);
    EXPECT_EQ(g_ImportInWorkCoordinates, 0);
    EXPECT_EQ(loaded.work.translation[0], -100.0);

    std::memcpy(g_ActiveWorkOrigin, savedOrigin, sizeof savedOrigin);
    g_WorkOriginShifted = savedShifted;
    g_WorkCoordRotated = savedRotated;
    g_ImportInWorkCoordinates = savedImport;
    g_DmeSelect = savedSelect;
}

}  // namespace
