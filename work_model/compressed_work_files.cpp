// Compressed work files: whole files compressed and decompressed with the LZMS buffer codec, the test
// for compressed content, and the load and save steps of the work-file commands around them. The
// content is unpacked and packed in memory, so no temporary file can clash with a user's file.
#include "work_model/compressed_work_files.h"

#include <cstdio>
#include <string>

#include "work_model/work_values.h"
#include "platform/os/files.h"
#include "platform/os/lzms_buffer.h"
#include "platform/os/paths.h"
#include "work_model/file_routines.h"
#include "work_model/work_files.h"

namespace {

int s_compressionAvailable = -1;  // -1 not yet asked, 0 missing, 1 available (UI thread)

const uint8_t kCompressedFirstByte = 0x0A;

// Reads a whole source file of less than 4 GB. 1, or 0 when missing, too large or unreadable.
int ReadCompressionSource(const char* path, std::string* out)
{
    const int64_t size = GetFileSizeBytes(MakeNativePath(path).c_str());
    if (size < 0 || uint64_t(size) > kLzmsMaxTotalSize) return 0;
    return ReadWholeFile(path, out);
}

const uint8_t* AsBytes(const std::string& text)
{
    return reinterpret_cast<const uint8_t*>(text.data());
}

}  // namespace

int CheckCompressionApi()
{
    // The codec is part of the program: it is available whenever it was built in.
    if (s_compressionAvailable == -1) s_compressionAvailable = 1;
    return s_compressionAvailable;
}

int IsCompressedFile(const char* path)
{
    FILE* stream = OpenFile(path, "rb");
    if (!stream) return 0;
    uint8_t head[8];
    const size_t count = std::fread(head, 1, sizeof head, stream);
    std::fclose(stream);
    return count > 0 && head[0] == kCompressedFirstByte ? 1 : 0;
}

int CompressWorkFileBuffer(const uint8_t* data, size_t size, std::vector<uint8_t>* out)
{
    return CompressLzmsBufferWithOptions(data, size, kLzmsDefaultBlockSize,
                                         WORK_FILE_COMPRESSION_LEVEL, out) == LZMS_OK ? 1 : 0;
}

int CompressFile(const char* sourcePath, const char* destinationPath)
{
    if (!CheckCompressionApi()) return -1;
    std::string source;
    if (!ReadCompressionSource(sourcePath, &source)) return -2;
    std::vector<uint8_t> packed;
    if (!CompressWorkFileBuffer(AsBytes(source), source.size(), &packed)) return -2;
    return WriteFileThroughTemporary(destinationPath, packed.data(), packed.size()) ? 1 : -2;
}

int DecompressFile(const char* sourcePath, const char* destinationPath)
{
    if (!CheckCompressionApi()) return -1;
    std::string source;
    if (!ReadCompressionSource(sourcePath, &source)) return -2;
    std::vector<uint8_t> content;
    const int result = DecompressLzmsBuffer(AsBytes(source), source.size(), &content);
    if (result != LZMS_OK) {
        std::printf("Cannot decompress data: %d.\n", result);
        return -2;
    }
    return WriteFileThroughTemporary(destinationPath, content.data(), content.size()) ? 1 : -2;
}

int SaveWorkModelCompressed(const WorkModel* work, const char* path, int inWorkCoordinates,
                            int rotated, const double inverseRotation[9],
                            const double workOrigin[3])
{
    if (!CheckCompressionApi()) return WORK_FILE_NO_COMPRESSION;
    std::vector<uint8_t> content;
    const int result = SerializeWorkModelDme(work, inWorkCoordinates, rotated, inverseRotation,
                                             workOrigin, &content);
    if (result != 1) return result;
    if (uint64_t(content.size()) > kLzmsMaxTotalSize) return WORK_FILE_WRITE_FAILED;
    std::vector<uint8_t> packed;
    if (!CompressWorkFileBuffer(content.data(), content.size(), &packed))
        return WORK_FILE_WRITE_FAILED;
    std::vector<uint8_t>().swap(content);
    return WriteFileThroughTemporary(path, packed.data(), packed.size()) ? 1
                                                                        : WORK_FILE_WRITE_FAILED;
}

namespace {

// How a ".DME" content with header letter kind is read under the work frame: -1 as
// LoadWorkModelIdentity does (no placement letter, or the frame is neither shifted nor rotated);
// else 0 or 1, the value given to g_ImportInWorkCoordinates (M 0, W and N 1; the chooser may change
// it when "DME SELECT" is on), which LoadWorkModelDme takes as its flag.
int ChooseDmeImport(int kind, ChooseImportCoordinatesFn chooser, const ImportFrame* frame)
{
    const bool shifted = frame->origin[0] != 0.0 || frame->origin[1] != 0.0 || frame->origin[2] != 0.0;
    if (!(shifted || frame->workRotated) || kind < 1 || kind > 3) return -1;
    g_ImportInWorkCoordinates = kind == 1 ? 0 : 1;
    if (g_DmeSelect && chooser) g_ImportInWorkCoordinates = chooser(kind, g_ImportInWorkCoordinates);
    return g_ImportInWorkCoordinates;
}

int RefuseLoad(WorkModel* work, int code)
{
    DestroyWorkModel(work);
    work->nodeCountX = 0;
    return code;
}

}  // namespace

int LoadWorkFileForCommand(WindowHandle owner, WorkModel* work, const char* path,
                           ChooseImportCoordinatesFn chooser, const ImportFrame* workFrame)
{
    // The frame the readers get: the work frame with the "IMPORT COORDINATE" choice in force
    // (g_ImportInWorkCoordinates, which a ".DME" letter below may set first).
    ImportFrame frame = {0, 0, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}};
    if (workFrame) frame = *workFrame;
    frame.inWorkCoordinates = g_ImportInWorkCoordinates;
    double placement[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    const bool dmez = HasFileExtension(path, ".DMEZ");
    if (!HasFileExtension(path, ".DME") && !dmez)  // ".DMF", ".DMFZ", ".STL" and the rest
        return LoadWorkModel(owner, work, path, placement, g_WorkPitchSetting, g_StlWorkAxisCode,
                             &frame);
    if (!IsCompressedFile(path)) {
        // A plain ".DMEZ" is refused by the reader ("Broken Data?").
        const int flag = dmez ? -1 : ChooseDmeImport(GetWorkFileKind(path), chooser, &frame);
        frame.inWorkCoordinates = g_ImportInWorkCoordinates;
        if (flag >= 0) return LoadWorkModelDme(work, path, &frame);
        return LoadWorkModel(owner, work, path, placement, g_WorkPitchSetting, g_StlWorkAxisCode,
                             &frame);
    }
    // Compressed content, whatever the name: unpacked in memory, then its letter decides.
    if (!CheckCompressionApi()) return RefuseLoad(work, WORK_FILE_NO_COMPRESSION);
    std::string file;
    if (!ReadWholeFile(path, &file)) return RefuseLoad(work, WORK_FILE_OPEN_FAILED);
    std::vector<uint8_t> content;
    if (DecompressLzmsBuffer(AsBytes(file), file.size(), &content) != LZMS_OK)
        return RefuseLoad(work, WORK_FILE_DATA_ERROR);
    std::string().swap(file);
    const int flag =
        ChooseDmeImport(GetWorkFileKindOfBuffer(content.data(), content.size()), chooser, &frame);
    frame.inWorkCoordinates = g_ImportInWorkCoordinates;
    if (flag >= 0) return LoadWorkModelDmeFromBuffer(work, content.data(), content.size(), &frame);
    return LoadWorkModelFromBuffer(owner, work, content.data(), content.size(), WORK_CONTENT_DME,
                                   nullptr, &frame);
}
