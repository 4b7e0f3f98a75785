// Checked little-endian reading from a stream or a memory buffer and buffered writing, for the
// work-file readers and writers.
#include "work_model/work_file_io.h"

#include <cstring>

namespace {

constexpr size_t kSinkFlushBytes = 1 << 20;

bool IsHostLittleEndian()
{
    const uint16_t probe = 1;
    uint8_t first;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

// Reverses each item of size bytes in place when the host is big-endian.
void ConvertLittleEndian(void* data, size_t items, size_t size)
{
    if (IsHostLittleEndian()) return;
    uint8_t* bytes = static_cast<uint8_t*>(data);
    for (size_t i = 0; i < items; i++)
        for (size_t k = 0; k < size / 2; k++) {
            const uint8_t t = bytes[i * size + k];
            bytes[i * size + k] = bytes[i * size + size - 1 - k];
            bytes[i * size + size - 1 - k] = t;
        }
}

}  // namespace

void InitMemorySource(WorkFileSource* source, const uint8_t* data, size_t size)
{
    source->stream = nullptr;
    source->data = data;
    source->size = size;
    source->position = 0;
}

int InitStreamSource(WorkFileSource* source, FILE* stream)
{
    source->stream = stream;
    source->data = nullptr;
    source->size = 0;
    source->position = 0;
    if (fseeko(stream, 0, SEEK_END) != 0) return 0;
    const off_t end = ftello(stream);
    if (end < 0 || fseeko(stream, 0, SEEK_SET) != 0) return 0;
    source->size = uint64_t(end);
    return 1;
}

int ReadSourceBytes(WorkFileSource* source, void* out, size_t n)
{
    if (n > GetSourceRemaining(source)) return 0;
    if (source->stream) {
        // The stream belongs to this reader alone: no locking per read.
        if (fread_unlocked(out, 1, n, source->stream) != n) return 0;
    } else if (n > 0) {
        std::memcpy(out, source->data + source->position, n);
    }
    source->position += n;
    return 1;
}

int SkipSourceBytes(WorkFileSource* source, uint64_t n)
{
    if (n > GetSourceRemaining(source)) return 0;
    return SeekSource(source, source->position + n);
}

int SeekSource(WorkFileSource* source, uint64_t offset)
{
    if (offset > source->size) return 0;
    if (source->stream && fseeko(source->stream, off_t(offset), SEEK_SET) != 0) return 0;
    source->position = offset;
    return 1;
}

int ReadSourceInt32(WorkFileSource* source, int32_t* out)
{
    return ReadSourceInt32s(source, out, 1);
}

int ReadSourceDouble(WorkFileSource* source, double* out)
{
    return ReadSourceDoubles(source, out, 1);
}

int ReadSourceFloat(WorkFileSource* source, float* out)
{
    if (!ReadSourceBytes(source, out, sizeof(float))) return 0;
    ConvertLittleEndian(out, 1, sizeof(float));
    return 1;
}

int ReadSourceDoubles(WorkFileSource* source, double* out, int n)
{
    if (n < 0 || !ReadSourceBytes(source, out, size_t(n) * sizeof(double))) return 0;
    ConvertLittleEndian(out, size_t(n), sizeof(double));
    return 1;
}

int ReadSourceInt32s(WorkFileSource* source, int32_t* out, int n)
{
    if (n < 0 || !ReadSourceBytes(source, out, size_t(n) * sizeof(int32_t))) return 0;
    ConvertLittleEndian(out, size_t(n), sizeof(int32_t));
    return 1;
}

void WriteSinkBytes(WorkFileSink* sink, const void* data, size_t n)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    sink->buffer.insert(sink->buffer.end(), bytes, bytes + n);
    if (sink->stream && sink->buffer.size() >= kSinkFlushBytes) FlushSink(sink);
}

void WriteSinkInt32(WorkFileSink* sink, int32_t value)
{
    WriteSinkInt32s(sink, &value, 1);
}

namespace {

// Writes n items of size bytes, each turned little-endian.
void WriteSinkItems(WorkFileSink* sink, const void* items, int n, size_t size)
{
    if (n <= 0) return;
    if (IsHostLittleEndian()) {
        WriteSinkBytes(sink, items, size_t(n) * size);
        return;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(items);
    for (int i = 0; i < n; i++) {
        uint8_t item[8];
        std::memcpy(item, bytes + size_t(i) * size, size);
        ConvertLittleEndian(item, 1, size);
        WriteSinkBytes(sink, item, size);
    }
}

}  // namespace

void WriteSinkDoubles(WorkFileSink* sink, const double* values, int n)
{
    WriteSinkItems(sink, values, n, sizeof(double));
}

void WriteSinkInt32s(WorkFileSink* sink, const int32_t* values, int n)
{
    WriteSinkItems(sink, values, n, sizeof(int32_t));
}

int FlushSink(WorkFileSink* sink)
{
    if (sink->stream && !sink->buffer.empty()) {
        if (std::fwrite(sink->buffer.data(), 1, sink->buffer.size(), sink->stream) !=
            sink->buffer.size())
            sink->failed = 1;
        sink->buffer.clear();
    }
    return sink->failed ? 0 : 1;
}
