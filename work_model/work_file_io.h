// Byte sources and sinks of the work-file readers and writers: a buffered stream or a whole file held
// in memory, read and written little-endian, with every read checked against the bytes left.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

struct WorkFileSource {
    FILE* stream;          // the file being read, or null when reading data
    const uint8_t* data;   // the whole content when stream is null
    uint64_t size;         // bytes of the content
    uint64_t position;     // bytes consumed
};

// A source over a whole buffer / an open stream (its size taken by seeking; 0 when it cannot be).
void InitMemorySource(WorkFileSource* source, const uint8_t* data, size_t size);
int InitStreamSource(WorkFileSource* source, FILE* stream);
inline uint64_t GetSourceRemaining(const WorkFileSource* source)
{
    return source->size - source->position;
}
// Reads n bytes; 0 (nothing consumed) when fewer remain or the stream fails.
int ReadSourceBytes(WorkFileSource* source, void* out, size_t n);
int SkipSourceBytes(WorkFileSource* source, uint64_t n);
// Moves to an absolute offset within the content.
int SeekSource(WorkFileSource* source, uint64_t offset);
int ReadSourceInt32(WorkFileSource* source, int32_t* out);
int ReadSourceDouble(WorkFileSource* source, double* out);
int ReadSourceFloat(WorkFileSource* source, float* out);
// n little-endian values into out.
int ReadSourceDoubles(WorkFileSource* source, double* out, int n);
int ReadSourceInt32s(WorkFileSource* source, int32_t* out, int n);

struct WorkFileSink {
    FILE* stream;                 // flushed to when the buffer fills; null: the buffer is the output
    std::vector<uint8_t> buffer;  // bytes not yet flushed (all bytes for a memory sink)
    int failed;                   // 1 after a failed write
};
void WriteSinkBytes(WorkFileSink* sink, const void* data, size_t n);
void WriteSinkInt32(WorkFileSink* sink, int32_t value);
void WriteSinkDoubles(WorkFileSink* sink, const double* values, int n);
void WriteSinkInt32s(WorkFileSink* sink, const int32_t* values, int n);
// Writes what is buffered to the stream; 1, or 0 when any write failed.
int FlushSink(WorkFileSink* sink);
