// AVI writer: a RIFF "AVI " file with one uncompressed 24-bit video stream and an idx1 index. The
// headers are written with zero counts when the movie opens and rewritten with the real ones at close.
#include "platform/os/avi_writer.h"

#include <cstring>

namespace {

constexpr uint32_t kAviHasIndex = 0x10;        // avih flag: the file ends with an idx1 index
constexpr uint32_t kIndexKeyFrame = 0x10;      // idx1 flag: the frame is a key frame
constexpr uint64_t kMaxRiffFileBytes = 0x7FFFFFFFull;

void PutU16(std::vector<uint8_t>* b, uint32_t v) {
    b->push_back(static_cast<uint8_t>(v));
    b->push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>* b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutFourCc(std::vector<uint8_t>* b, const char* code) { b->insert(b->end(), code, code + 4); }

void SetU32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t CountFrames(const AviWriter& w) { return static_cast<uint32_t>(w.frameOffsets.size()); }

// The main header "avih" (56 bytes of data).
void PutMainHeader(const AviWriter& w, std::vector<uint8_t>* b) {
    PutFourCc(b, "avih");
    PutU32(b, 56);
    PutU32(b, static_cast<uint32_t>(1000000 / w.framesPerSecond));  // microseconds per frame
    PutU32(b, w.frameBytes * static_cast<uint32_t>(w.framesPerSecond));  // max bytes per second
    PutU32(b, 0);                                                    // padding granularity
    PutU32(b, kAviHasIndex);
    PutU32(b, CountFrames(w));
    PutU32(b, 0);                                                    // initial frames
    PutU32(b, 1);                                                    // streams
    PutU32(b, w.frameBytes + 8);                                     // suggested buffer size
    PutU32(b, static_cast<uint32_t>(w.width));
    PutU32(b, static_cast<uint32_t>(w.height));
    for (int i = 0; i < 4; ++i) PutU32(b, 0);
}

// The stream list "strl": stream header, bitmap format, and the stream's name when there is one.
void PutStreamList(const AviWriter& w, std::vector<uint8_t>* b) {
    size_t listStart = b->size();
    PutFourCc(b, "LIST");
    PutU32(b, 0);
    PutFourCc(b, "strl");
    PutFourCc(b, "strh");
    PutU32(b, 56);
    PutFourCc(b, "vids");
    PutFourCc(b, "DIB ");
    PutU32(b, 0);                                  // flags
    PutU16(b, 0);                                  // priority
    PutU16(b, 0);                                  // language
    PutU32(b, 0);                                  // initial frames
    PutU32(b, 1);                                  // scale
    PutU32(b, static_cast<uint32_t>(w.framesPerSecond));  // rate: frames per second = rate / scale
    PutU32(b, 0);                                  // start
    PutU32(b, CountFrames(w));                     // length
    PutU32(b, w.frameBytes);                       // suggested buffer size
    PutU32(b, 0xFFFFFFFFu);                        // quality: the default
    PutU32(b, 0);                                  // sample size: varies (one frame per chunk)
    PutU16(b, 0);
    PutU16(b, 0);
    PutU16(b, static_cast<uint32_t>(w.width));     // frame rectangle right
    PutU16(b, static_cast<uint32_t>(w.height));    // frame rectangle bottom
    PutFourCc(b, "strf");
    PutU32(b, 40);
    PutU32(b, 40);                                 // bitmap header size
    PutU32(b, static_cast<uint32_t>(w.width));
    PutU32(b, static_cast<uint32_t>(w.height));    // positive: rows bottom-up
    PutU16(b, 1);                                  // planes
    PutU16(b, 24);                                 // bits per pixel
    PutU32(b, 0);                                  // no compression
    PutU32(b, w.frameBytes);
    for (int i = 0; i < 4; ++i) PutU32(b, 0);      // resolution and colour table counts
    if (!w.streamName.empty()) {
        uint32_t length = static_cast<uint32_t>(w.streamName.size() + 1);
        PutFourCc(b, "strn");
        PutU32(b, length);
        b->insert(b->end(), w.streamName.begin(), w.streamName.end());
        b->push_back(0);
        if (length & 1) b->push_back(0);
    }
    SetU32(b, listStart + 4, static_cast<uint32_t>(b->size() - listStart - 8));
}

// Everything before the first frame chunk, with the counts the writer has now. The index follows the
// "movi" list, so the RIFF size counts it when frames exist.
std::vector<uint8_t> BuildHeaders(const AviWriter& w) {
    std::vector<uint8_t> b;
    PutFourCc(&b, "RIFF");
    PutU32(&b, 0);
    PutFourCc(&b, "AVI ");
    PutFourCc(&b, "LIST");
    PutU32(&b, 0);
    PutFourCc(&b, "hdrl");
    PutMainHeader(w, &b);
    PutStreamList(w, &b);
    SetU32(&b, 16, static_cast<uint32_t>(b.size() - 20));
    PutFourCc(&b, "LIST");
    PutU32(&b, static_cast<uint32_t>(4 + w.moviDataBytes));
    PutFourCc(&b, "movi");
    uint64_t indexBytes = 8 + 16ull * CountFrames(w);
    SetU32(&b, 4, static_cast<uint32_t>(b.size() - 8 + w.moviDataBytes + indexBytes));
    return b;
}

int WriteBytes(AviWriter* w, const void* data, size_t size) {
    if (size > 0 && std::fwrite(data, 1, size, w->rewrite.stream) != size) w->failed = 1;
    return w->failed ? 0 : 1;
}

// Appends the idx1 index and rewrites the headers with the final counts.
int FinishFile(AviWriter* w) {
    std::vector<uint8_t> index;
    PutFourCc(&index, "idx1");
    PutU32(&index, 16 * CountFrames(*w));
    for (uint32_t offset : w->frameOffsets) {
        PutFourCc(&index, "00db");
        PutU32(&index, kIndexKeyFrame);
        PutU32(&index, offset);
        PutU32(&index, w->frameBytes);
    }
    if (!WriteBytes(w, index.data(), index.size())) return 0;
    std::vector<uint8_t> headers = BuildHeaders(*w);
    if (std::fseek(w->rewrite.stream, 0, SEEK_SET) != 0) return 0;
    return WriteBytes(w, headers.data(), headers.size());
}

}  // namespace

uint32_t GetAviFrameBytes(int width, int height) {
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return 0;
    uint64_t rowBytes = (3ull * width + 3) / 4 * 4;
    uint64_t bytes = rowBytes * static_cast<uint64_t>(height);
    return bytes > kMaxRiffFileBytes ? 0 : static_cast<uint32_t>(bytes);
}

int IsAviWriterOpen(const AviWriter* writer) { return writer != nullptr && writer->rewrite.stream != nullptr; }

int OpenAviWriter(AviWriter* writer, const char* path, int width, int height, int framesPerSecond,
                  const char* streamName) {
    if (writer == nullptr) return AVI_ERROR_ARGUMENT;
    if (IsAviWriterOpen(writer)) CloseAviWriter(writer);
    *writer = AviWriter();
    uint32_t frameBytes = GetAviFrameBytes(width, height);
    if (path == nullptr || path[0] == '\0' || frameBytes == 0 || framesPerSecond <= 0 || framesPerSecond > 1000)
        return AVI_ERROR_ARGUMENT;
    writer->width = width;
    writer->height = height;
    writer->framesPerSecond = framesPerSecond;
    writer->frameBytes = frameBytes;
    if (streamName != nullptr) writer->streamName = streamName;
    if (!BeginFileRewrite(path, &writer->rewrite)) {
        *writer = AviWriter();
        return AVI_ERROR_CREATE;
    }
    std::vector<uint8_t> headers = BuildHeaders(*writer);
    writer->headerBytes = static_cast<uint32_t>(headers.size());
    if (!WriteBytes(writer, headers.data(), headers.size())) {
        AbortFileRewrite(&writer->rewrite);
        *writer = AviWriter();
        return AVI_ERROR_WRITE;
    }
    return AVI_OK;
}

int AddAviFrame(AviWriter* writer, const uint8_t* pixels, size_t bytes) {
    if (!IsAviWriterOpen(writer) || pixels == nullptr || bytes != writer->frameBytes) return AVI_ERROR_ARGUMENT;
    if (writer->failed) return AVI_ERROR_WRITE;
    uint64_t chunkBytes = 8 + static_cast<uint64_t>(writer->frameBytes);
    uint64_t fileBytes = writer->headerBytes + writer->moviDataBytes + chunkBytes + 8 + 16ull * (CountFrames(*writer) + 1);
    if (fileBytes > kMaxRiffFileBytes) return AVI_ERROR_FULL;
    std::vector<uint8_t> chunkHeader;
    PutFourCc(&chunkHeader, "00db");
    PutU32(&chunkHeader, writer->frameBytes);
    if (!WriteBytes(writer, chunkHeader.data(), chunkHeader.size()) || !WriteBytes(writer, pixels, bytes))
        return AVI_ERROR_WRITE;
    writer->frameOffsets.push_back(static_cast<uint32_t>(4 + writer->moviDataBytes));
    writer->moviDataBytes += chunkBytes;
    return AVI_OK;
}

int CloseAviWriter(AviWriter* writer) {
    if (!IsAviWriterOpen(writer)) return AVI_ERROR_ARGUMENT;
    int result = AVI_OK;
    if (writer->failed || !FinishFile(writer)) {
        AbortFileRewrite(&writer->rewrite);
        result = AVI_ERROR_WRITE;
    } else if (!CommitFileRewrite(&writer->rewrite)) {
        result = AVI_ERROR_WRITE;
    }
    *writer = AviWriter();
    return result;
}
